// The main window's wiring under the offscreen platform: command actions and their route,
// bars per document type and per setting, Esc, full-screen mode and the placement it stores.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <memory>

#include "app/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
int g_argc = 1;
char g_name[] = "test_gui";
char* g_argv[] = {g_name, nullptr};

// A target that counts what it runs and says what tests tell it.
struct CProbeTarget : CCommandTarget
{
    int nId = 0;
    bool bEnabled = true;
    bool bChecked = false;
    int nRuns = 0;
    bool OnUpdateCommand(int n, SCommandState& state) override
    {
        if (n != nId)
            return false;
        state.bEnabled = bEnabled;
        state.bChecked = bChecked;
        return true;
    }
    bool OnCommand(int n) override
    {
        if (n != nId)
            return false;
        ++nRuns;
        return true;
    }
};

struct FrameFixture : ::testing::Test
{
    // One application per test, gone with it (each test runs in a process of its own).
    std::unique_ptr<QApplication> app;
    CAppSettings settings;
    std::unique_ptr<CMainFrame> frame;
    void SetUp() override
    {
        app = std::make_unique<QApplication>(g_argc, g_argv);
        frame = std::make_unique<CMainFrame>(settings);
    }
    void TearDown() override
    {
        frame.reset();
        app.reset();
    }
    QMdiSubWindow* AddChild()
    {
        auto* child = frame->MdiArea()->addSubWindow(new QWidget);
        child->setAttribute(Qt::WA_DeleteOnClose);
        child->show();
        frame->MdiArea()->setActiveSubWindow(child);
        return child;
    }
};
} // namespace

TEST_F(FrameFixture, ActionsRunThroughTheHookTargetsFirstAndFollowTheirState)
{
    CProbeTarget view, app;
    view.nId = app.nId = 4242;
    frame->SetApplicationTarget(&app);
    frame->RegisterCommands({{4242, "&Probe", "Ctrl+Shift+F12"}});
    QAction* action = frame->CommandAction(4242);
    EXPECT_EQ(action, frame->CommandAction(4242)); // one action per id
    EXPECT_EQ(action->text(), "&Probe");
    EXPECT_EQ(action->shortcut(), QKeySequence("Ctrl+Shift+F12"));

    // Without the hook the application runs it.
    action->trigger();
    EXPECT_EQ(app.nRuns, 1);
    frame->SetActiveRouteHook([&](CCommandRoute& route) { route.Add(&view); });
    action->trigger();
    EXPECT_EQ(view.nRuns, 1);
    EXPECT_EQ(app.nRuns, 1);

    // The first target that knows the id decides the state, also to disable it.
    view.bEnabled = false;
    view.bChecked = true;
    frame->UpdateCommandStates();
    EXPECT_FALSE(action->isEnabled());
    EXPECT_TRUE(action->isChecked());
    EXPECT_FALSE(frame->RunCommand(4242));
    EXPECT_EQ(app.nRuns, 1);

    // A command nobody handles is disabled; registering later renames the existing action.
    QAction* orphan = frame->CommandAction(4243);
    frame->UpdateCommandStates();
    EXPECT_FALSE(orphan->isEnabled());
    frame->RegisterCommands({{4243, "&Later", ""}});
    EXPECT_EQ(orphan->text(), "&Later");
    frame->SetApplicationTarget(nullptr);
}

TEST_F(FrameFixture, MenusComeInMenuBarOrderWhateverTheOrderOfCreation)
{
    frame->Menu("&Edit");
    frame->Menu("&Search");
    frame->Menu("&Custom");
    QStringList titles;
    for (QAction* top : frame->menuBar()->actions())
        titles << top->text();
    EXPECT_EQ(titles, QStringList({"&File", "&Edit", "&View", "&Search", "&Custom", "&Tools",
                                   "&Window", "&Help"}));
    EXPECT_EQ(frame->Menu("&Edit"), frame->Menu("&Edit"));
}

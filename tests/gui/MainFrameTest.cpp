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
#include <QMimeData>
#include <QPointer>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <memory>

#include "app/AppSettings.h"
#include "syntax/SyntaxParserFactory.h"
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
        frame->resize(1000, 700);
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
    // A tool button without an icon shows the menu text without its keys and mnemonic.
    frame->RegisterCommands({{4244, "Cu&t && Keep\tCtrl+X", "Ctrl+X"}});
    EXPECT_EQ(frame->CommandAction(4244)->iconText(), "Cut & Keep");
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

TEST_F(FrameFixture, ShowCommandsShowTheBarsAndKeepTheMenuBarOrToolBarReachable)
{
    frame->show();
    QAction* menuBar = frame->CommandAction(ID_VIEW_MENU_BAR);
    QAction* toolBar = frame->CommandAction(ID_VIEW_STANDARD_TOOLBAR);
    frame->UpdateCommandStates();
    EXPECT_TRUE(menuBar->isChecked());
    EXPECT_TRUE(toolBar->isEnabled());

    menuBar->trigger();
    EXPECT_FALSE(frame->menuBar()->isVisible());
    EXPECT_FALSE(menuBar->isChecked());
    EXPECT_FALSE(toolBar->isEnabled());
    // Its keys still work with the menu bar hidden: the actions belong to the frame.
    EXPECT_TRUE(frame->actions().contains(frame->CommandAction(ID_FILE_OPEN)));
    menuBar->trigger();
    EXPECT_TRUE(frame->menuBar()->isVisible());

    frame->RunCommand(ID_VIEW_STANDARD_TOOLBAR);
    EXPECT_FALSE(frame->ToolBar(0)->isVisible());
    EXPECT_FALSE(menuBar->isEnabled());
    EXPECT_FALSE(frame->CommandAction(ID_VIEW_FIND_TOOLBAR)->isEnabled());

    EXPECT_FALSE(frame->OutputBar()->isVisible());
    frame->RunCommand(ID_VIEW_OUTPUT_BAR);
    EXPECT_TRUE(frame->OutputBar()->isVisible());
    EXPECT_TRUE(settings.m_bShowOutputBar);
    // The dock's own close button goes through the command, so the setting follows.
    frame->OutputBar()->close();
    EXPECT_FALSE(frame->OutputBar()->isVisible());
    EXPECT_FALSE(settings.m_bShowOutputBar);

    frame->RunCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->statusBar()->isVisible());
    // The control-bars menu carries the six Show commands.
    EXPECT_EQ(frame->ControlBarsMenu()->actions().size(), 6);
}

TEST_F(FrameFixture, ToolBarFindBoxAndPanesFollowTheActiveDocumentType)
{
    frame->show();
    auto shown = [&]()
    {
        int n = 0, which = -1;
        for (int type : {0, kDocTypeText, kDocTypeBinary})
            if (frame->ToolBar(type)->isVisible())
                ++n, which = type;
        return n == 1 ? which : (n == 0 ? -1 : -2);
    };
    EXPECT_EQ(shown(), 0);
    frame->SetActiveDocumentType(kDocTypeText);
    EXPECT_EQ(shown(), kDocTypeText);
    frame->SetPaneText(1, "Ln: 1/1, Col: 1/1, Ch: 1/1");
    EXPECT_EQ(frame->PaneText(1), "Ln: 1/1, Col: 1/1, Ch: 1/1");
    frame->SetActiveDocumentType(kDocTypeBinary);
    EXPECT_EQ(shown(), kDocTypeBinary);
    EXPECT_EQ(frame->PaneText(1), ""); // the hex panes are others
    frame->SetActiveDocumentType(kDocTypeFindInFiles);
    EXPECT_EQ(shown(), 0);
    EXPECT_NE(frame->FindBox(kDocTypeText), frame->FindBox(kDocTypeBinary));
    EXPECT_EQ(frame->FindBox(kDocTypeFindInFiles), frame->FindBox(0));

    frame->SetActiveDocumentType(kDocTypeText);
    EXPECT_TRUE(frame->FindBox(kDocTypeText)->isVisible());
    frame->RunCommand(ID_VIEW_FIND_TOOLBAR);
    QCoreApplication::processEvents(); // the tool bar lays its widgets out when it settles
    EXPECT_FALSE(frame->FindBox(kDocTypeText)->isVisible());
    frame->RunCommand(ID_VIEW_STANDARD_TOOLBAR);
    EXPECT_EQ(shown(), -1);
    frame->SetActiveDocumentType(kDocTypeBinary);
    EXPECT_EQ(shown(), -1);
}

TEST_F(FrameFixture, EscClosesTheActiveDocumentEvenInFullScreen)
{
    frame->show();
    QMdiSubWindow* child = AddChild();
    QPointer<QMdiSubWindow> guard(child);
    frame->SetFullScreen(true);
    ASSERT_TRUE(frame->IsFullScreenMode());
    EXPECT_FALSE(frame->menuBar()->isVisible());
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->NavigateBar()->isVisible());
    QTest::keyClick(child->widget(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(frame->IsFullScreenMode());
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(FrameFixture, EscOnlyLeavesFullScreenWhenItDoesNotClose)
{
    settings.m_bEscToClose = false;
    frame->setGeometry(40, 50, 640, 480);
    frame->show();
    QMdiSubWindow* child = AddChild();
    QPointer<QMdiSubWindow> guard(child);
    QTest::keyClick(child->widget(), Qt::Key_Escape); // passes on: nothing happens
    EXPECT_FALSE(guard.isNull());

    frame->SetFullScreen(true);
    EXPECT_TRUE(frame->CommandAction(ID_VIEW_FULL_SCREEN)->isChecked());
    QTest::keyClick(child->widget(), Qt::Key_Escape);
    EXPECT_FALSE(frame->IsFullScreenMode());
    EXPECT_FALSE(frame->isFullScreen());
    EXPECT_FALSE(guard.isNull());
    EXPECT_TRUE(frame->menuBar()->isVisible());
    EXPECT_TRUE(frame->statusBar()->isVisible());
    EXPECT_EQ(frame->geometry(), QRect(40, 50, 640, 480));
}

TEST_F(FrameFixture, ClosingInFullScreenStoresThePlacementFromBefore)
{
    frame->setGeometry(40, 50, 640, 480);
    frame->show();
    frame->SetFullScreen(true);
    ASSERT_TRUE(frame->isFullScreen());
    frame->close();
    EXPECT_TRUE(settings.m_bWindowFullScreen);
    EXPECT_FALSE(settings.m_bWindowMaximized);
    EXPECT_EQ(settings.m_nWindowPosX, 40);
    EXPECT_EQ(settings.m_nWindowPosY, 50);
    EXPECT_EQ(settings.m_nWindowSizeCX, 640);
    EXPECT_EQ(settings.m_nWindowSizeCY, 480);
}

TEST_F(FrameFixture, ClosingWhileMinimizedKeepsThePreviousPlacement)
{
    settings.m_nWindowPosX = 7;
    settings.m_nWindowPosY = 8;
    settings.m_nWindowSizeCX = 900;
    settings.m_nWindowSizeCY = 700;
    settings.m_bWindowMaximized = false;
    settings.m_bWindowFullScreen = true;
    frame->setGeometry(40, 50, 640, 480);
    frame->showMinimized();
    ASSERT_TRUE(frame->isMinimized());
    frame->close();
    EXPECT_EQ(settings.m_nWindowPosX, 7);
    EXPECT_EQ(settings.m_nWindowSizeCY, 700);
    EXPECT_TRUE(settings.m_bWindowFullScreen);
    EXPECT_FALSE(settings.m_bWindowMaximized);
}

TEST_F(FrameFixture, DroppedLocalFilesReachTheHookAndHoverTextsGiveTheMessageBack)
{
    QStringList dropped;
    frame->SetDropHook([&](const QStringList& paths) { dropped = paths; });
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/a b.txt"), QUrl("https://example.org/x"),
                  QUrl::fromLocalFile("/tmp/c.bin")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame.get(), &drop);
    EXPECT_EQ(dropped, QStringList({"/tmp/a b.txt", "/tmp/c.bin"}));

    frame->SetStatusText("3 files opened");
    QStatusTipEvent hover("Extensions:txt,diz");
    QApplication::sendEvent(frame.get(), &hover);
    EXPECT_EQ(frame->PaneText(0), "Extensions:txt,diz");
    QStatusTipEvent leave("");
    QApplication::sendEvent(frame.get(), &leave);
    EXPECT_EQ(frame->PaneText(0), "3 files opened");
}

TEST_F(FrameFixture, PointerOnADisabledSyntaxItemShowsItsExtensions)
{
    CSyntaxParserFactory factory;
    ASSERT_GT(factory.CreateParsers(), 1);
    frame->BuildSyntaxMenu(factory);
    frame->show();
    QMenu* syntax = frame->findChild<QMenu*>("SyntaxMenu");
    ASSERT_NE(syntax, nullptr);
    syntax->popup(QPoint(0, 0));
    frame->UpdateCommandStates();
    QAction* cpp = nullptr;
    for (QAction* action : syntax->actions())
        if (action->text() == "C/C++")
            cpp = action;
    ASSERT_NE(cpp, nullptr);
    EXPECT_FALSE(cpp->isEnabled()); // no document handles it
    QTest::mouseMove(syntax, syntax->actionGeometry(cpp).center());
    EXPECT_EQ(frame->PaneText(0), "Extensions:c,cc,cpp,cxx,h,hpp,hxx,hm,inl,rh,tlh,tli,xs");
    syntax->hide();
    EXPECT_EQ(frame->PaneText(0), "Ready");
}

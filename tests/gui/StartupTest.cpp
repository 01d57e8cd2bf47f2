// Start-up and shut-down of the whole application under the offscreen platform.

#include <gtest/gtest.h>

#include <QDir>
#include <QMdiArea>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/gui/ScrivelApp.h"
#include "platform/gui/QtProfileStore.h"
#include "ui/gui/MainFrame.h"

namespace
{
struct SEnvironment
{
    QTemporaryDir home;
    SEnvironment()
    {
        ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
        ::setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QString ConfigFile() const { return home.path() + "/config/Vantro Software/Scrivel.conf"; }
};

int RunApp(std::vector<std::string> args, std::vector<std::string>* messages, bool* started,
           std::function<void(CScrivelApp&)> whileRunning = {})
{
    args.insert(args.begin(), "scrivel");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    int argc = static_cast<int>(argv.size());
    CScrivelApp app(argc, argv.data());
    app.SetMessageHook([messages](const std::string& text) { messages->push_back(text); });
    *started = app.InitInstance();
    if (*started)
    {
        if (whileRunning)
            whileRunning(app);
        app.MainFrame()->close();
    }
    return app.ExitInstance(0);
}
} // namespace

TEST(Startup, RunsShowsTheWindowAndWritesEverySetting)
{
    SEnvironment env;
    std::vector<std::string> messages;
    bool started = false;
    bool visible = false, tabbed = false;
    RunApp({}, &messages, &started,
           [&](CScrivelApp& app)
           {
               visible = app.MainFrame()->isVisible();
               tabbed = app.MainFrame()->MdiArea()->viewMode() == QMdiArea::TabbedView;
           });
    ASSERT_TRUE(started);
    EXPECT_TRUE(visible);
    EXPECT_TRUE(tabbed);
    EXPECT_TRUE(messages.empty());

    QSettings written(env.ConfigFile(), QSettings::IniFormat);
    for (const char* key : {"Settings/FileWatch",
                            "Settings/ShowLongTitle",
                            "Settings/TabbedDocuments",
                            "Settings/ShowMenuBar",
                            "Settings/ShowStandardToolBar",
                            "Settings/ShowFindToolBar",
                            "Settings/ShowNavigateBar",
                            "Settings/ShowOutputBar",
                            "Settings/ShowStatusBar",
                            "Settings/ShowShellPage",
                            "Settings/ShowHistoryPage",
                            "Settings/ActiveNavigatePage",
                            "Settings/ActiveOutputPage",
                            "Settings/MaxFiles",
                            "Settings/WindowPosX",
                            "Settings/WindowPosY",
                            "Settings/WindowSizeCX",
                            "Settings/WindowSizeCY",
                            "Settings/WindowMaximized",
                            "Settings/WindowFullScreen",
                            "Settings/NavigateBarWidth",
                            "Settings/OutputBarHeight",
                            "Settings/EscToClose",
                            "Integration/Shell/Cascaded",
                            "Integration/Shell/Background",
                            "TextEdit/Settings/ShowLineNumbers",
                            "TextEdit/Settings/DefaultCodePage",
                            "TextEdit/Settings/WrapLines",
                            "TextEdit/Settings/Font",
                            "TextEdit/Settings/Colors/Count",
                            "TextEdit/Settings/Colors/Color20",
                            "TextEdit/Settings/Colors/Bold20"})
        EXPECT_TRUE(written.contains(key)) << key;
    EXPECT_EQ(written.value("Settings/MaxFiles").toInt(), 1000);
    // The user data is written beside: an empty history and favorites file.
    EXPECT_TRUE(QFile::exists(env.home.path() + "/data/Vantro Software/Scrivel/History"));
    EXPECT_TRUE(QFile::exists(env.home.path() + "/data/Vantro Software/Scrivel/Favorites"));
}

TEST(Startup, StoredPlacementAndMalformedSettingsFile)
{
    SEnvironment env;
    QDir().mkpath(env.home.path() + "/config/Vantro Software");
    {
        QFile file(env.ConfigFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Settings]\nWindowMaximized=0\nWindowPosX=40\nWindowPosY=50\n"
                   "WindowSizeCX=640\nWindowSizeCY=480\nMaxFiles=abc\n\x01\x02garbage[[[\n");
    }
    std::vector<std::string> messages;
    bool started = false;
    bool maximized = true;
    int width = 0;
    RunApp({}, &messages, &started,
           [&](CScrivelApp& app)
           {
               maximized = app.MainFrame()->isMaximized();
               width = app.MainFrame()->width();
           });
    ASSERT_TRUE(started);
    EXPECT_FALSE(maximized);
    EXPECT_EQ(width, 640);
    QSettings written(env.ConfigFile(), QSettings::IniFormat);
    EXPECT_EQ(written.value("Settings/MaxFiles").toInt(), 1000);
}

TEST(Startup, HelpSwitchWithoutHelpPagesEndsTheProgram)
{
    SEnvironment env;
    // Point the program folder somewhere without help pages.
    QDir().mkpath(env.home.path() + "/config/Vantro Software");
    {
        QSettings seed(env.ConfigFile(), QSettings::IniFormat);
        seed.setValue("AppFolder", env.home.path() + "/nohelp");
    }
    std::vector<std::string> messages;
    bool started = true;
    RunApp({"-help"}, &messages, &started);
    EXPECT_FALSE(started);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Help file is missing!");
}

TEST(QtProfileStore, SectionsMapToGroupsAndRoundTrip)
{
    SEnvironment env;
    QString path = env.home.path() + "/store.ini";
    {
        CQtProfileStore store(path);
        store.WriteProfileInt("TextEdit\\Settings\\Colors", "Count", 20);
        store.WriteProfileString("Recent\\FileFilters", "01", "*.cpp");
        store.WriteProfileString("", "AppFolder", "/opt/x");
        EXPECT_EQ(store.GetProfileInt("TextEdit\\Settings\\Colors", "Count", 0), 20);
        EXPECT_EQ(store.GetProfileInt("TextEdit\\Settings\\Colors", "Missing", 7), 7);
        EXPECT_EQ(store.GetProfileString("Recent\\FileFilters", "01", ""), "*.cpp");
        EXPECT_EQ(store.GetProfileInt("Recent\\FileFilters", "01", 3), 3); // not a number
    }
    QSettings raw(path, QSettings::IniFormat);
    EXPECT_EQ(raw.value("TextEdit/Settings/Colors/Count").toInt(), 20);
    EXPECT_EQ(raw.value("AppFolder").toString(), QString("/opt/x"));
    CQtProfileStore again(path);
    again.DeleteSection("TextEdit\\Settings");
    EXPECT_FALSE(again.HasValue("TextEdit\\Settings\\Colors", "Count"));
    EXPECT_TRUE(again.HasValue("Recent\\FileFilters", "01"));
}

TEST(Startup, MainWindowScreenshotAndSyntaxMenu)
{
    SEnvironment env;
    std::vector<std::string> messages;
    bool started = false;
    QString extensions;
    int nSyntaxItems = 0;
    RunApp({}, &messages, &started,
           [&](CScrivelApp& app)
           {
               CMainFrame* frame = app.MainFrame();
               frame->showNormal();
               frame->setGeometry(0, 0, 1000, 640);
               QCoreApplication::processEvents();
               // A picture of the empty window beside the test program, to look at.
               const QString path = QCoreApplication::applicationDirPath() + "/mainframe.png";
               EXPECT_TRUE(frame->grab().save(path)) << path.toStdString();

               QMenu* syntax = frame->findChild<QMenu*>("SyntaxMenu");
               ASSERT_NE(syntax, nullptr);
               for (QAction* action : syntax->actions())
               {
                   if (action->isSeparator())
                       continue;
                   ++nSyntaxItems;
                   if (action->text() == "C/C++")
                       extensions = action->statusTip();
               }
               EXPECT_EQ(syntax->actions().value(0)->text(), "&None");
               EXPECT_EQ(syntax->actions().value(0)->data().toInt(), 36800);
           });
    ASSERT_TRUE(started);
    EXPECT_GT(nSyntaxItems, 20);
    EXPECT_EQ(extensions, "Extensions:c,cc,cpp,cxx,h,hpp,hxx,hm,inl,rh,tlh,tli,xs");
}

// The find-in-files window, its result panes and the navigation bar wired into the whole
// application, under the offscreen platform.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <string>
#include <vector>

#include "app/AppletDocTemplate.h"
#include "app/UserData.h"
#include "app/gui/DocumentWindows.h"
#include "app/gui/ScrivelApp.h"
#include "findinfiles/gui/FindInFilesApplet.h"
#include "findinfiles/gui/FindInFilesForm.h"
#include "findinfiles/gui/FindInFilesWnd.h"
#include "navigate/gui/NavigateApplet.h"
#include "navigate/gui/NavigateBar.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
class FindInFilesWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("HOME", m_home.path().toLocal8Bit().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_home.path() + "/config").toLocal8Bit().constData(), 1);
        ::setenv("XDG_DATA_HOME", (m_home.path() + "/data").toLocal8Bit().constData(), 1);
        m_args = {"scrivel"};
        m_argv = {m_args[0].data()};
        m_argc = 1;
        m_pApp = std::make_unique<CScrivelApp>(m_argc, m_argv.data());
        m_pApp->SetMessageHook([this](const std::string& text) { m_messages.push_back(text); });
        ASSERT_TRUE(m_pApp->InitInstance());
        ASSERT_NE(m_pApp->FindInFiles(), nullptr);
        m_root = m_files.path().toStdString();
        m_pApp->FindInFiles()->SetChooseFolderHook([this](const std::string&)
                                                   { return m_strChosen; });
    }
    void TearDown() override
    {
        if (!m_pApp)
            return;
        m_pApp->MainFrame()->close();
        m_pApp->ExitInstance(0);
        m_pApp.reset();
    }

    void Write(const std::string& rel, const std::string& text)
    {
        const std::filesystem::path path = std::filesystem::path(m_root) / rel;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    template <class F> static bool ProcessUntil(F condition)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition())
        {
            if (timer.elapsed() > 10000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    // A new tool document through the command, and its form.
    CFindInFilesForm* NewForm()
    {
        const int nBefore = static_cast<int>(Frame()->MdiArea()->subWindowList().size());
        EXPECT_TRUE(Frame()->RunCommand(ID_FIND_IN_FILES));
        const auto frames = Frame()->MdiArea()->subWindowList();
        EXPECT_EQ(static_cast<int>(frames.size()), nBefore + 1);
        return frames.isEmpty() ? nullptr : frames.back()->findChild<CFindInFilesForm*>();
    }
    void AddFolder(CFindInFilesForm* pForm, const std::string& folder)
    {
        m_strChosen = folder;
        pForm->AddFolder();
    }
    void Search(CFindInFilesForm* pForm, const QString& text)
    {
        pForm->findChild<QComboBox*>("FindWhat")->setEditText(text);
        QSignalSpy finished(pForm, &CFindInFilesForm::SearchFinished);
        QTest::mouseClick(pForm->findChild<QPushButton*>("Start"), Qt::LeftButton);
        ASSERT_TRUE(ProcessUntil([&] { return finished.count() > 0; }));
    }
    std::vector<std::string> PaneTexts(int nPane = 0)
    {
        CFindInFilesWnd* pPane = Bar()->Pane(nPane);
        std::vector<std::string> texts;
        for (int i = 0; i < pPane->Results().GetCount(); ++i)
            texts.push_back(pPane->LineText(i));
        return texts;
    }
    CMainFrame* Frame() { return m_pApp->MainFrame(); }
    CFindInFilesOutputBar* Bar() { return m_pApp->FindInFiles()->OutputBar(); }

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    std::string m_root;
    std::string m_strChosen;
    std::vector<std::string> m_args;
    std::vector<char*> m_argv;
    int m_argc = 0;
    std::unique_ptr<CScrivelApp> m_pApp;
    std::vector<std::string> m_messages;
};
} // namespace

TEST_F(FindInFilesWindow, ASearchShowsItsLinesInThePaneAndDoubleClickOpensTheLine)
{
    Write("a.c", "int alpha;\nint beta;\r\nalpha again\n");
    Write("sub/b.h", "no match\nlast alpha");
    Write("sub/c.txt", "nothing\n");
    CFindInFilesForm* pForm = NewForm();
    ASSERT_NE(pForm, nullptr);
    const QString title = Frame()->MdiArea()->subWindowList().back()->windowTitle();
    EXPECT_TRUE(title.startsWith("Find in Files (")) << title.toStdString();
    EXPECT_FALSE(pForm->findChild<QPushButton*>("Stop")->isEnabled());

    AddFolder(pForm, m_root);
    AddFolder(pForm, m_root + "/");
    EXPECT_EQ(pForm->findChild<QListWidget*>("LookIn")->count(), 1);
    // The file types box: choosing "All Files (*.*)" gives its patterns.
    auto* pTypes = pForm->findChild<QComboBox*>("FileTypes");
    EXPECT_EQ(pTypes->currentText(), "*.*");
    ASSERT_GT(pTypes->count(), 1);
    pTypes->setEditText("*.c");
    pTypes->setCurrentIndex(0);
    emit pTypes->activated(0);
    EXPECT_EQ(pTypes->currentText(), "*.*");

    Search(pForm, "alpha");
    const std::vector<std::string> expected = {
        "Searching for \"alpha\" ...",
        m_root + "/a.c",
        "[1   ] int alpha;",
        "[3   ] alpha again",
        m_root + "/sub/b.h",
        "[2   ] last alpha",
        "3 occurrence(s) have been found.",
    };
    EXPECT_EQ(PaneTexts(), expected);
    EXPECT_TRUE(pForm->findChild<QPushButton*>("Start")->isEnabled());
    EXPECT_FALSE(pForm->findChild<QPushButton*>("Stop")->isEnabled());
    EXPECT_FALSE(Frame()->OutputBar()->isHidden());
    // The margin shows the source lines; the remembered folders follow the search.
    CFindInFilesWnd* pPane = Bar()->Pane(0);
    EXPECT_EQ(pPane->MarginLineNumber(3), 3);
    EXPECT_EQ(pPane->MarginLineNumber(0), -1);
    EXPECT_EQ(m_pApp->FindInFiles()->Settings().m_lastFolders, std::vector<std::string>{m_root});

    // A double click on a match opens its file at its line; header, file name and summary
    // lines are told apart.
    std::vector<std::pair<std::string, int>> opened;
    Bar()->SetOpenHook([&](const std::string& path, int nLine)
                       { opened.emplace_back(path, nLine); });
    Frame()->resize(1000, 700);
    pPane->show();
    QCoreApplication::processEvents();
    const int nLineHeight = pPane->Layout().GetLineHeight();
    auto clickLine = [&](int nLine)
    {
        QTest::mouseDClick(pPane->viewport(), Qt::LeftButton, {},
                           QPoint(60, nLine * nLineHeight + nLineHeight / 2));
    };
    pPane->ScrollToRow(0);
    clickLine(3);
    clickLine(0);
    clickLine(6);
    clickLine(4);
    EXPECT_EQ(opened, (std::vector<std::pair<std::string, int>>{{m_root + "/a.c", 3},
                                                                {m_root + "/sub/b.h", -1}}));

    // The application's own hook opens the file as a document.
    m_pApp->FindInFiles()->OpenResult(m_root + "/a.c", 3);
    EXPECT_NE(m_pApp->DocumentManager()->GetTemplate(200)->FindOpenDocument(m_root + "/a.c"),
              nullptr);
}

TEST_F(FindInFilesWindow, WithoutClearingANewSearchAppendsAndPreviousResultsAreSearched)
{
    Write("a.c", "one\ntwo\n");
    Write("b.c", "two\n");
    CFindInFilesForm* pForm = NewForm();
    AddFolder(pForm, m_root);
    pForm->findChild<QRadioButton*>("Pane2")->setChecked(true);
    Search(pForm, "two");
    ASSERT_EQ(PaneTexts(1).size(), 6u);

    pForm->findChild<QCheckBox*>("ClearPreviousResults")->setChecked(false);
    Search(pForm, "zzz");
    std::vector<std::string> texts = PaneTexts(1);
    ASSERT_EQ(texts.size(), 8u);
    EXPECT_EQ(texts[5], "2 occurrence(s) have been found.");
    EXPECT_EQ(texts[6], "Searching for \"zzz\" ...");
    EXPECT_EQ(texts[7], "Cannot find the string \"zzz\".");

    // Searching the previous results: each file once; the folder controls are off meanwhile.
    auto* pPrevious = pForm->findChild<QCheckBox*>("LookInPreviousResults");
    pPrevious->setChecked(true);
    EXPECT_FALSE(pForm->findChild<QListWidget*>("LookIn")->isEnabled());
    EXPECT_FALSE(pForm->findChild<QCheckBox*>("LookInSubfolders")->isEnabled());
    pForm->findChild<QCheckBox*>("ClearPreviousResults")->setChecked(true);
    Search(pForm, "one");
    EXPECT_EQ(PaneTexts(1),
              (std::vector<std::string>{"Searching for \"one\" ...", m_root + "/a.c", "[1   ] one",
                                        "1 occurrence(s) have been found."}));
}

// What the search could not read is counted in a note under the unchanged summary; a
// search that read everything has none.
TEST_F(FindInFilesWindow, ASearchThatSkippedEntriesNotesHowManyAfterItsSummary)
{
    Write("a.c", "alpha\n");
    ASSERT_EQ(mkfifo((m_root + "/pipe.c").c_str(), 0600), 0);
    std::filesystem::create_symlink("loop.c", m_root + "/loop.c");
    CFindInFilesForm* pForm = NewForm();
    AddFolder(pForm, m_root);
    Search(pForm, "alpha");
    EXPECT_EQ(PaneTexts(), (std::vector<std::string>{"Searching for \"alpha\" ...", m_root + "/a.c",
                                                     "[1   ] alpha", "1 occurrence(s) have been found.",
                                                     "2 files or folders could not be read."}));
    // The note opens nothing and is no location for a search in the results.
    CFindInFilesWnd* pPane = Bar()->Pane(0);
    EXPECT_FALSE(pPane->Results().OpensFile(4));

    std::filesystem::remove(m_root + "/pipe.c");
    std::filesystem::remove(m_root + "/loop.c");
    Search(pForm, "alpha");
    EXPECT_EQ(PaneTexts().back(), "1 occurrence(s) have been found.");
    EXPECT_EQ(PaneTexts().size(), 4u);
}

TEST_F(FindInFilesWindow, StopAndClosingWhileSearchingCancelTheWorker)
{
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "match " + std::to_string(i) + "\n";
    for (int f = 0; f < 40; ++f)
        Write("f" + std::to_string(f) + ".txt", many);

    CFindInFilesForm* pForm = NewForm();
    AddFolder(pForm, m_root);
    pForm->findChild<QComboBox*>("FindWhat")->setEditText("match");
    QTest::mouseClick(pForm->findChild<QPushButton*>("Start"), Qt::LeftButton);
    ASSERT_TRUE(pForm->IsSearching());
    EXPECT_TRUE(pForm->findChild<QPushButton*>("Stop")->isEnabled());
    EXPECT_FALSE(pForm->findChild<QComboBox*>("FindWhat")->isEnabled());
    ASSERT_TRUE(ProcessUntil([&] { return Bar()->Pane(0)->Results().GetCount() > 10; }));
    QTest::mouseClick(pForm->findChild<QPushButton*>("Stop"), Qt::LeftButton);
    EXPECT_FALSE(pForm->IsSearching());
    std::vector<std::string> texts = PaneTexts();
    EXPECT_EQ(texts.back(), "Canceled.");
    EXPECT_LT(texts.size(), 40u * 20000u);
    EXPECT_TRUE(pForm->findChild<QPushButton*>("Start")->isEnabled());

    // Closing the tool while it searches: the worker ends first, the pane keeps its lines.
    Search(pForm, "nothing like this");
    pForm->findChild<QComboBox*>("FindWhat")->setEditText("match");
    QTest::mouseClick(pForm->findChild<QPushButton*>("Start"), Qt::LeftButton);
    ASSERT_TRUE(ProcessUntil([&] { return Bar()->Pane(0)->Results().GetCount() > 10; }));
    CAppletDocTemplate* pTool = m_pApp->DocumentManager()->GetTemplate(300);
    ASSERT_EQ(pTool->GetDocuments().size(), 1u);
    QPointer<CFindInFilesForm> pClosing = pForm;
    pTool->CloseDocument(pTool->GetDocuments().front());
    // The frame goes with the next deferred deletion, as in the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(pClosing.isNull());
    EXPECT_EQ(PaneTexts().back(), "Canceled.");

    // And closing the program while a search runs.
    pForm = NewForm();
    AddFolder(pForm, m_root);
    pForm->findChild<QComboBox*>("FindWhat")->setEditText("match");
    QTest::mouseClick(pForm->findChild<QPushButton*>("Start"), Qt::LeftButton);
    ASSERT_TRUE(pForm->IsSearching());
    m_pApp->MainFrame()->close();
    m_pApp->ExitInstance(0);
    m_pApp.reset();
}

TEST_F(FindInFilesWindow, TheNavigationBarListsTheHistoryByDayAndTheScreenShowsBoth)
{
    Write("src/main.c", "int main(void) { return 0; }\n");
    Write("src/util.c", "static int helper_t value;\n");
    CUserData& data = *m_pApp->UserData();
    CNavigateBar* pBar = m_pApp->Navigate()->Bar();
    ASSERT_NE(pBar, nullptr);
    EXPECT_EQ(Frame()->NavigateBar()->widget(), pBar);
    EXPECT_EQ(pBar->tabText(0), "Explorer");
    EXPECT_EQ(pBar->tabText(1), "Favorites");
    EXPECT_EQ(pBar->tabText(2), "History");
    EXPECT_EQ(pBar->ShellPage()->FilterBox()->itemText(0), "*.*");

    // Closing a document makes a history record, which the page lists under today.
    m_pApp->DocumentWindows()->OpenFiles({m_root + "/src/main.c", m_root + "/src/util.c"}, 0,
                                         false);
    for (const auto& pTemplate : m_pApp->DocumentManager()->GetTemplates())
        pTemplate->CloseAllDocumentsBut(nullptr);
    CNavigateRecordPage* pHistory = pBar->HistoryPage();
    ASSERT_EQ(data.GetHistory().GetCount(), 2);
    ASSERT_EQ(pHistory->topLevelItemCount(), 1);
    EXPECT_TRUE(pHistory->topLevelItem(0)->text(0).startsWith("Today - "));
    ASSERT_EQ(pHistory->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(pHistory->topLevelItem(0)->child(0)->text(0), "util.c");
    EXPECT_EQ(pHistory->topLevelItem(0)->child(0)->text(1),
              QString::fromStdString(m_root + "/src"));

    // Open from the page reopens the file.
    pHistory->topLevelItem(0)->child(1)->setSelected(true);
    pHistory->OpenSelected();
    EXPECT_NE(m_pApp->DocumentManager()->GetTemplate(200)->FindOpenDocument(m_root + "/src/main.c"),
              nullptr);

    // A search with results beside the bar, for the screenshot.
    CFindInFilesForm* pForm = NewForm();
    AddFolder(pForm, m_root);
    Search(pForm, "int");
    pBar->setCurrentIndex(CNavigateBar::PageHistory);
    Frame()->resize(1100, 720);
    Frame()->NavigateBar()->show();
    Frame()->OutputBar()->show();
    QCoreApplication::processEvents();
    const QString shot = QCoreApplication::applicationDirPath() + "/find-in-files-window.png";
    EXPECT_TRUE(Frame()->grab().save(shot));
}

// The document windows wired into the whole application, under the offscreen platform.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include "app/AppletDocTemplate.h"
#include "app/TextEditDoc.h"
#include "app/gui/DocumentWindows.h"
#include "app/gui/ScrivelApp.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
// One application with a home and a folder of files of its own.
class DocumentWindows : public ::testing::Test
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
        SDocumentPrompts prompts;
        prompts.askYesNo = [this](const std::string& q)
        {
            m_questions.push_back(q);
            return m_bYes;
        };
        prompts.askSaveChanges = [this](const std::string& title)
        {
            m_questions.push_back("save " + title);
            return m_saveAnswer;
        };
        prompts.showError = [this](const std::string& text) { m_messages.push_back(text); };
        Windows().SetPrompts(prompts);
    }
    void TearDown() override
    {
        m_saveAnswer = CDocumentUi::AnswerDiscard;
        Frame()->close();
        m_pApp->ExitInstance(0);
        m_pApp.reset();
    }

    CDocumentWindows& Windows() { return *m_pApp->DocumentWindows(); }
    CMainFrame* Frame() { return m_pApp->MainFrame(); }
    CAppletDocManager& Manager() { return *m_pApp->DocumentManager(); }
    QList<QMdiSubWindow*> Tabs() { return Frame()->MdiArea()->subWindowList(); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = m_files.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Lets queued calls run until the condition holds; false after 5 seconds.
    template <class F> static bool ProcessUntil(F condition)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition())
        {
            if (timer.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_files;
    std::vector<std::string> m_args;
    std::vector<char*> m_argv;
    int m_argc = 0;
    std::unique_ptr<CScrivelApp> m_pApp;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_questions;
    bool m_bYes = false;
    CDocumentUi::ESaveAnswer m_saveAnswer = CDocumentUi::AnswerCancel;
};
} // namespace

TEST_F(DocumentWindows, TwoFilesOpenInTwoTabsWithTheirTitlesAndTheBarsOfTheirType)
{
    const std::string a = Write("alpha.txt", "alpha\n");
    const std::string b = Write("beta.bin", std::string("b\0eta", 5));
    Windows().OpenFiles({a, b}, 0, false);
    ASSERT_EQ(Tabs().size(), 2);
    EXPECT_EQ(Tabs()[0]->windowTitle(), "alpha.txt");
    EXPECT_EQ(Tabs()[1]->windowTitle(), "beta.bin");
    EXPECT_FALSE(Tabs()[0]->windowIcon().isNull());
    EXPECT_EQ(Frame()->ActiveDocumentType(), 210);
    Frame()->MdiArea()->setActiveSubWindow(Tabs()[0]);
    EXPECT_EQ(Frame()->ActiveDocumentType(), 200);

    // Opening an open file again brings its tab forward.
    Windows().OpenFiles({a}, 0, true);
    EXPECT_EQ(Tabs().size(), 2);

    // New text files are untitled and numbered.
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_NEW_TEXT));
    ASSERT_EQ(Tabs().size(), 3);
    EXPECT_EQ(Tabs()[2]->windowTitle(), "New 1");

    Frame()->MdiArea()->setActiveSubWindow(Tabs()[0]);
    Frame()->resize(900, 600);
    const QString shot = QCoreApplication::applicationDirPath() + "/documents-two-tabs.png";
    EXPECT_TRUE(Frame()->grab().save(shot));
}

TEST_F(DocumentWindows, SaveWritesTheFileAndTheTitleLosesItsMark)
{
    const std::string a = Write("save.txt", "text");
    Windows().OpenFiles({a}, 0, false);
    auto* pDoc = dynamic_cast<CTextEditDoc*>(Windows().ActiveDocument());
    ASSERT_NE(pDoc, nullptr);
    Frame()->UpdateCommandStates();
    EXPECT_FALSE(Frame()->CommandAction(ID_FILE_SAVE)->isEnabled());
    int nLine = 0, nChar = 0;
    ASSERT_TRUE(pDoc->GetBuffer().InsertText(nullptr, 0, 0, "more ", nLine, nChar));
    EXPECT_EQ(Tabs()[0]->windowTitle(), "* save.txt");
    Frame()->UpdateCommandStates();
    EXPECT_TRUE(Frame()->CommandAction(ID_FILE_SAVE)->isEnabled());
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_SAVE));
    EXPECT_EQ(Read(a), "more text");
    EXPECT_EQ(Tabs()[0]->windowTitle(), "save.txt");
    EXPECT_TRUE(m_questions.empty());
}

TEST_F(DocumentWindows, ClosingWithAModifiedDocumentAsksAndCancelKeepsEverything)
{
    const std::string a = Write("one.txt", "1");
    const std::string b = Write("two.txt", "2");
    Windows().OpenFiles({a, b}, 0, false);
    auto* pDoc = dynamic_cast<CTextEditDoc*>(Manager().GetDocuments()[1]);
    int nLine = 0, nChar = 0;
    ASSERT_TRUE(pDoc->GetBuffer().InsertText(nullptr, 0, 0, "x", nLine, nChar));

    m_saveAnswer = CDocumentUi::AnswerCancel;
    EXPECT_FALSE(Frame()->close());
    EXPECT_TRUE(Frame()->isVisible());
    EXPECT_EQ(Tabs().size(), 2);
    EXPECT_EQ(Manager().GetDocumentCount(), 2u);
    EXPECT_EQ(m_questions, std::vector<std::string>{"save " + b});

    // Close All asks the same way; Cancel closes nothing.
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_CLOSE_ALL));
    EXPECT_EQ(Manager().GetDocumentCount(), 2u);

    // Closing the tab by hand with Save writes the file, then the tab goes.
    m_saveAnswer = CDocumentUi::AnswerSave;
    Frame()->MdiArea()->setActiveSubWindow(Tabs()[1]);
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_CLOSE));
    EXPECT_EQ(Read(b), "x2");
    ASSERT_TRUE(ProcessUntil([&] { return Tabs().size() == 1; }));
    EXPECT_EQ(Manager().GetDocumentCount(), 1u);
}

TEST_F(DocumentWindows, TheOpenAsChoiceOfTheOpenDialogDecidesTheKind)
{
    const std::string a = Write("plain.txt", "plain text");
    SDocumentPrompts prompts;
    prompts.promptOpen = [&](std::vector<std::string>& files, int& nItem, bool& bReadOnly)
    {
        files = {a};
        nItem = 2; // "Binary"
        bReadOnly = true;
        return true;
    };
    Windows().SetPrompts(prompts);
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_OPEN));
    ASSERT_EQ(Manager().GetDocumentCount(), 1u);
    CAppletDoc* pDoc = Manager().GetDocuments()[0];
    EXPECT_EQ(pDoc->GetDocType(), CAppletDoc::DocTypeBinary);
    EXPECT_TRUE(pDoc->IsReadOnly());
    EXPECT_EQ(Frame()->ActiveDocumentType(), 210);
}

TEST_F(DocumentWindows, AChangeByAnotherProgramAsksToReload)
{
    const std::string a = Write("watched.txt", "before");
    Windows().OpenFiles({a}, 0, false);
    auto* pDoc = dynamic_cast<CTextEditDoc*>(Windows().ActiveDocument());
    ASSERT_NE(pDoc, nullptr);
    m_bYes = true;
    std::ofstream(a, std::ios::binary | std::ios::trunc) << "after!";
    ASSERT_TRUE(ProcessUntil([&] { return !m_questions.empty(); }));
    EXPECT_EQ(m_questions[0], a + " is changed, reload it?");
    std::string text;
    pDoc->GetBuffer().GetTextRange(0, 0, 0, pDoc->GetBuffer().GetLineRecord(0)->nLength, text);
    EXPECT_EQ(text, "after!");
}

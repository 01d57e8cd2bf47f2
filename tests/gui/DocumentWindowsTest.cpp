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
#include "gui/AppTestFixture.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
// One application with a home and a folder of files of its own.
class DocumentWindows : public CScrivelAppTest
{
protected:
    DocumentWindows() { m_saveAnswer = CDocumentUi::AnswerCancel; }

    CDocumentWindows& Windows() { return *m_pApp->DocumentWindows(); }
    CAppletDocManager& Manager() { return *m_pApp->DocumentManager(); }
    // Files written with an old time, so that a rewrite in the test is a change.
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = m_files.path().toStdString() + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        return path;
    }
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

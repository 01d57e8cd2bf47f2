// Text documents in the whole application, used as a person would: opened into an
// editable view, typed into, saved, undone, searched, re-coloured, closed while work runs.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/TextEditDoc.h"
#include "app/gui/DocumentWindows.h"
#include "app/gui/ScrivelApp.h"
#include "app/gui/TextDocumentViews.h"
#include "gui/AppTestFixture.h"
#include "syntax/SyntaxParser.h"
#include "syntax/TextEditModule.h"
#include "textview/TextEditCommands.h"
#include "textview/TextViewCommands.h"
#include "textview/gui/TarvoTextEditView.h"
#include "textview/gui/TextSearchHistory.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
class TextDocuments : public CScrivelAppTest
{
protected:
    void OnStarted() override
    {
        Frame()->resize(1000, 700);
        Frame()->show();
    }

    CTextEditDoc* ActiveDoc()
    {
        return dynamic_cast<CTextEditDoc*>(m_pApp->DocumentWindows()->ActiveDocument());
    }
    CTarvoTextEditView* Open(const std::string& path)
    {
        m_pApp->DocumentWindows()->OpenFiles({path}, 0, false);
        QCoreApplication::processEvents();
        auto* pView =
            Tabs().isEmpty() ? nullptr : qobject_cast<CTarvoTextEditView*>(Tabs().back()->widget());
        if (pView != nullptr)
            pView->setFocus();
        return pView;
    }
};
} // namespace

TEST_F(TextDocuments, TypingSavingAndUndoingInAColouredCppTab)
{
    const std::string original = "int main()\r\n{\r\n\treturn 0;\r\n}\r\n";
    const std::string path = Write("main.cpp", original);
    CTarvoTextEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    CTextEditDoc* pDoc = ActiveDoc();
    ASSERT_NE(pDoc, nullptr);
    EXPECT_EQ(pView->GetBuffer(), &pDoc->GetBuffer());
    EXPECT_EQ(Frame()->ActiveDocumentType(), kDocTypeText);
    // Coloured by the C++ parser, whose menu item is the checked one.
    const CSyntaxParser* pCpp = m_pApp->TextModule()->GetFactory().FindByExtension("cpp");
    ASSERT_NE(pCpp, nullptr);
    EXPECT_EQ(pDoc->GetBuffer().GetParser(), pCpp);
    EXPECT_TRUE(Action(ID_SYNTAX_FIRST + pCpp->GetParserId())->isChecked());
    EXPECT_EQ(Frame()->PaneText(2), QStringLiteral("CRLF"));

    QTest::keyClicks(pView, "ab");
    EXPECT_EQ(Tabs()[0]->windowTitle(), QStringLiteral("* main.cpp"));
    EXPECT_EQ(Frame()->PaneText(1), QStringLiteral("Ln: 1/5, Col: 3/13, Ch: 3/13"));
    EXPECT_TRUE(Action(CmdUndo)->isEnabled());
    // Typing joined one undo step; undoing it leaves the document as it was read.
    EXPECT_TRUE(Frame()->RunCommand(CmdUndo));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(Tabs()[0]->windowTitle(), QStringLiteral("main.cpp"));

    // A line break keeps the file's CR LF; Ctrl+S writes exactly the edited text.
    pView->Controller().SetCaret({1, 2});
    QTest::keyClicks(pView, "x");
    QTest::keyClick(pView, Qt::Key_End);
    QTest::keyClick(pView, Qt::Key_Return);
    QTest::keyClicks(pView, "y++;");
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_SAVE));
    EXPECT_EQ(Read(path), "int main()\r\n{\r\n\txreturn 0;\r\n\ty++;\r\n}\r\n");
    EXPECT_EQ(Tabs()[0]->windowTitle(), QStringLiteral("main.cpp"));
    EXPECT_TRUE(m_messages.empty());

    // The syntax menu switches the parser; "None" is plain text.
    EXPECT_TRUE(Frame()->RunCommand(ID_SYNTAX_FIRST));
    EXPECT_NE(pDoc->GetBuffer().GetParser(), pCpp);
    EXPECT_TRUE(Action(ID_SYNTAX_FIRST)->isChecked());
    EXPECT_FALSE(Action(ID_SYNTAX_FIRST + pCpp->GetParserId())->isChecked());
    EXPECT_TRUE(Frame()->RunCommand(ID_SYNTAX_FIRST + pCpp->GetParserId()));
    EXPECT_EQ(pDoc->GetBuffer().GetParser(), pCpp);
}

TEST_F(TextDocuments, FindBoxFindsAndTheRecentListAndDisplayTogglesLastToTheNextStart)
{
    const std::string path = Write("find.txt", "alpha\nbeta\ngamma beta\n");
    CTarvoTextEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    QComboBox* pBox = Frame()->FindBox(kDocTypeText);
    ASSERT_NE(pBox, nullptr);
    pBox->setEditText(QStringLiteral("beta"));
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
    STextPosition start;
    STextPosition end;
    pView->Controller().GetSelection(start, end);
    EXPECT_EQ(start, (STextPosition{0, 1}));
    EXPECT_EQ(end, (STextPosition{4, 1}));
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
    pView->Controller().GetSelection(start, end);
    EXPECT_EQ(start, (STextPosition{6, 2}));

    // A display toggle shows its check and goes to the settings.
    const bool bNumbers = Action(ID_VIEW_LINE_NUMBERS)->isChecked();
    EXPECT_TRUE(Frame()->RunCommand(ID_VIEW_LINE_NUMBERS));
    EXPECT_NE(Action(ID_VIEW_LINE_NUMBERS)->isChecked(), bNumbers);

    Stop();
    CRecentSearchHistory::Instance() = CRecentSearchHistory();
    Start();
    EXPECT_EQ(CRecentSearchHistory::Instance().GetFindTexts(), std::vector<std::string>{"beta"});
    pView = Open(path);
    ASSERT_NE(pView, nullptr);
    EXPECT_NE(Action(ID_VIEW_LINE_NUMBERS)->isChecked(), bNumbers);
    EXPECT_NE((pView->Layout().GetViewFlags() & ViewLineNumbers) != 0, bNumbers);
}

TEST_F(TextDocuments, ReloadEncodingAndLineEndingsGoThroughTheDocument)
{
    const std::string path = Write("crlf.txt", "one\r\ntwo\r\n");
    CTarvoTextEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    CTextEditDoc* pDoc = ActiveDoc();
    QTest::keyClicks(pView, "zz");
    pView->Controller().SetCaret({2, 1});

    // Reload of a modified document asks; No keeps the edit.
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_RELOAD));
    ASSERT_EQ(m_questions.size(), 1u);
    EXPECT_EQ(m_questions[0], path + " is changed, reload anyway?");
    EXPECT_TRUE(pDoc->IsModified());
    // Yes reads the file again; the view starts over on the new lines.
    m_bYes = true;
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_RELOAD));
    EXPECT_FALSE(pDoc->IsModified());
    EXPECT_EQ(pView->Controller().GetCaret(), (STextPosition{0, 0}));
    std::string text;
    pDoc->GetBuffer().GetTextRange(0, 0, 0, 3, text);
    EXPECT_EQ(text, "one");
    QTest::keyClicks(pView, "!");
    EXPECT_EQ(Tabs()[0]->windowTitle(), QStringLiteral("* crlf.txt"));
    EXPECT_TRUE(Frame()->RunCommand(CmdUndo));

    // Line endings: "Unix (LF)" converts every line and marks the document modified.
    STextDocumentPrompts prompts;
    prompts.chooseLineEndings = [](const std::string&) { return 3; };
    prompts.chooseEncoding = [](const std::string&, int& nEncoding, int& nCodePage)
    {
        nEncoding = 3; // UTF-8 with its byte-order mark
        nCodePage = -1;
        return true;
    };
    m_pApp->TextViews()->SetPrompts(prompts);
    EXPECT_TRUE(Action(ID_TEXT_LINE_ENDINGS)->isEnabled());
    EXPECT_TRUE(Frame()->RunCommand(ID_TEXT_LINE_ENDINGS));
    EXPECT_TRUE(pDoc->IsModified());
    EXPECT_EQ(Frame()->PaneText(2), QStringLiteral("LF"));
    EXPECT_TRUE(Frame()->RunCommand(ID_TEXT_ENCODING));
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_SAVE));
    EXPECT_EQ(Read(path), "\xEF\xBB\xBFone\ntwo\n");
}

TEST_F(TextDocuments, ClosingWhileAWrapPassRunsNeitherCrashesNorLeaks)
{
    std::string big;
    for (int i = 0; i < 300000; ++i)
        big += "int value" + std::to_string(i) +
               " = compute(alpha, beta, gamma, delta, epsilon, zeta, eta, theta, iota);\n";
    const std::string path = Write("big.cpp", big);
    for (int round = 0; round < 3; ++round)
    {
        CTarvoTextEditView* pView = Open(path);
        ASSERT_NE(pView, nullptr);
        pView->resize(400, 300);
        EXPECT_TRUE(Frame()->RunCommand(ID_VIEW_WRAP_LINES));
        if (round == 1)
            QCoreApplication::processEvents();
        EXPECT_TRUE(Frame()->RunCommand(ID_FILE_CLOSE));
        QElapsedTimer timer;
        timer.start();
        while (!Tabs().isEmpty() && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_TRUE(Tabs().isEmpty());
        // Back to the setting as it was.
        pView = Open(Write("small.txt", "x\n"));
        ASSERT_NE(pView, nullptr);
        EXPECT_TRUE(Frame()->RunCommand(ID_VIEW_WRAP_LINES));
        EXPECT_TRUE(Frame()->RunCommand(ID_FILE_CLOSE));
    }
}

TEST_F(TextDocuments, ScreenshotOfTheMainWindowWithASelectionAndHighlightedMatches)
{
    const std::string path = Write("shot.cpp", "#include <vector>\n"
                                               "\n"
                                               "// Adds twice each value.\n"
                                               "int Sum(const std::vector<int>& v)\n"
                                               "{\n"
                                               "\tint total = 0;\n"
                                               "\tfor (int x : v)\n"
                                               "\t\ttotal += x * 2;\n"
                                               "\treturn total; /* done */\n"
                                               "}\n");
    CTarvoTextEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    QComboBox* pBox = Frame()->FindBox(kDocTypeText);
    pBox->setEditText(QStringLiteral("total"));
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(Frame()->RunCommand(CmdHighlightAll));
    pView->Controller().SetSelection({0, 6}, {6, 7});
    pView->RunCommand(CmdExtCharRight);
    QCoreApplication::processEvents();
    const QImage image = Frame()->grab().toImage();
    const QString shot = QCoreApplication::applicationDirPath() + "/text-document-main-window.png";
    ASSERT_TRUE(image.save(shot));
    std::printf("screenshot: %s\n", shot.toLocal8Bit().constData());
    // A match outside the selection has the highlight colour.
    const SClientPoint p = pView->Layout().TextToClient({8, 8});
    const QPoint global = pView->viewport()->mapTo(Frame(), QPoint(p.x + 2, p.y + 1));
    EXPECT_EQ(image.pixelColor(global), pView->ClassColor(kColorHighlightMatch));
}

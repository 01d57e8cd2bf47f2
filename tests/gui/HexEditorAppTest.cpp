// The hex editor in the running program, under the offscreen platform: a binary file opens
// in a hex view tab, keys edit and save it through its document, the hex tool bar's find
// box searches, the status panes follow the view, and the "Options" hex page reaches the
// open views.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include "app/AppSettings.h"
#include "app/AppletDocTemplate.h"
#include "app/HexEditDoc.h"
#include "app/OpenFile.h"
#include "app/gui/DocumentWindows.h"
#include "app/gui/OptionsSheet.h"
#include "app/gui/ScrivelApp.h"
#include "gui/AppTestFixture.h"
#include "hex/HexCommands.h"
#include "hex/gui/HexEditModule.h"
#include "hex/gui/HexEditView.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
// The view's own messages, recorded instead of modal boxes.
class CRecordingSink : public CHexMessageSink
{
public:
    std::vector<std::string> m_texts;
    void ShowMessage(const std::string& strText) override { m_texts.push_back(strText); }
    bool AskYesNo(const std::string& strText) override
    {
        m_texts.push_back(strText);
        return false;
    }
    bool AskOkCancel(const std::string& strText) override
    {
        m_texts.push_back(strText);
        return false;
    }
    void ShowStatusMessage(const std::string&) override {}
};

class HexEditorApp : public CScrivelAppTest
{
protected:
    void AdjustPrompts(SDocumentPrompts& prompts) override
    {
        prompts.promptSaveAs = [this](SSaveAsPrompt& prompt)
        {
            if (m_saveAsPath.empty())
                return false;
            prompt.strPath = m_saveAsPath;
            return true;
        };
    }
    void OnStarted() override { Frame()->resize(1000, 640); }

    // Opens path as the user's open command does and returns the view of its tab.
    CTarvoHexEditView* Open(const std::string& path)
    {
        EXPECT_NE(OpenFileAs(*m_pApp, path, 0, false), nullptr);
        QMdiSubWindow* pTab = Frame()->MdiArea()->activeSubWindow();
        auto* pView = pTab ? qobject_cast<CTarvoHexEditView*>(pTab->widget()) : nullptr;
        if (pView)
        {
            pView->SetMessageOverride(&m_viewMessages);
            pView->setFocus();
        }
        return pView;
    }
    CRecordingSink m_viewMessages;
    std::string m_saveAsPath;
};
} // namespace

TEST_F(HexEditorApp, ABinaryFileIsEditedInItsTabSavedWithCtrlSAndClosed)
{
    const std::string path = Write("data.bin", std::string("\x01\x02\0abc", 6));
    CTarvoHexEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    ASSERT_EQ(Tabs().size(), 1);
    EXPECT_EQ(Tabs()[0]->windowTitle(), "data.bin");
    EXPECT_EQ(Frame()->ActiveDocumentType(), kDocTypeBinary);
    EXPECT_EQ(Frame()->PaneText(4), "OVR");
    EXPECT_FALSE(Frame()->PaneText(2).isEmpty());

    // One digit is half a byte and already a change.
    QTest::keyClick(pView, Qt::Key_4);
    EXPECT_EQ(Tabs()[0]->windowTitle(), "* data.bin");
    QTest::keyClick(pView, Qt::Key_1);
    // Insert mode from the key, shown in the pane at once.
    QTest::keyClick(pView, Qt::Key_Insert);
    EXPECT_EQ(Frame()->PaneText(4), "INS");
    QTest::keyClicks(pView, "ff");

    // The frame's Undo reaches the view: the inserted byte goes again.
    Frame()->UpdateCommandStates();
    EXPECT_TRUE(Frame()->CommandAction(ID_EDIT_UNDO)->isEnabled());
    EXPECT_TRUE(Frame()->RunCommand(ID_EDIT_UNDO));
    EXPECT_EQ(pView->Buffer().GetLength(), 6u);

    QTest::keyClick(pView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Read(path), std::string("\x41\x02\0abc", 6));
    EXPECT_EQ(Tabs()[0]->windowTitle(), "data.bin");
    // Our own save is no outside change: nothing asks to reload.
    ProcessUntil([] { return false; }, 400);
    EXPECT_TRUE(m_questions.empty());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_viewMessages.m_texts.empty());

    // Closing destroys the view with its document (the sanitizer sees any later use).
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_CLOSE));
    ProcessUntil([this] { return Tabs().isEmpty(); });
    EXPECT_TRUE(Tabs().isEmpty());
}

TEST_F(HexEditorApp, AFailedSaveShowsTheBuffersMessageOnceAndKeepsTheChange)
{
    const std::string path = Write("keep.bin", std::string("\0\1", 2));
    CTarvoHexEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    QTest::keyClicks(pView, "7f");
    m_saveAsPath = m_files.path().toStdString() + "/no such folder/out.bin";
    EXPECT_TRUE(Frame()->RunCommand(ID_FILE_SAVE_AS));
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_viewMessages.m_texts.empty());
    EXPECT_EQ(Tabs()[0]->windowTitle(), "* keep.bin");
    EXPECT_EQ(Read(path), std::string("\0\1", 2));
}

TEST_F(HexEditorApp, TheFindBoxSearchesTheActiveViewAndKeepsTheRecentList)
{
    std::string data(300, '\0');
    data.replace(100, 6, "needle");
    data.replace(200, 6, "needle");
    CTarvoHexEditView* pView = Open(Write("hay.bin", data));
    ASSERT_NE(pView, nullptr);
    QComboBox* pBox = Frame()->FindBox(kDocTypeBinary);
    ASSERT_NE(pBox, nullptr);
    pBox->setEditText("=needle");
    EXPECT_EQ(m_pApp->HexModule()->GetSearchText(), "=needle");
    // Return reaches the line edit directly (as in a test) or through the combo box (as
    // from the window system); either way it finds once.
    QTest::keyClick(pBox->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(pView->Controller().GetSelStart(), 100u);
    QTest::keyClick(pBox, Qt::Key_Return);
    EXPECT_EQ(pView->Controller().GetSelStart(), 200u);
    EXPECT_EQ(pView->Controller().GetSelEnd(), 206u);
    QTest::keyClick(pBox, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(pView->Controller().GetSelStart(), 100u);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_viewMessages.m_texts.empty()) << m_viewMessages.m_texts[0];
    ASSERT_EQ(pBox->count(), 1);
    EXPECT_EQ(pBox->itemText(0), "=needle");
    EXPECT_EQ(pBox->currentText(), "=needle");

    // The hex-only menu items show while a binary document is active.
    QAction* pFindNext = Frame()->CommandAction(HexCommand::kFindNext);
    emit Frame()->Menu("&Search")->aboutToShow();
    EXPECT_TRUE(pFindNext->isVisible());
    EXPECT_TRUE(pFindNext->text().endsWith("\tF3"));
    Frame()->RunCommand(ID_FILE_CLOSE);
    emit Frame()->Menu("&Search")->aboutToShow();
    EXPECT_FALSE(pFindNext->isVisible());
}

TEST_F(HexEditorApp, TheOptionsHexPageChangesOpenViewsAndTheBackupSwitch)
{
    const std::string path = Write("rows.bin", std::string(100, '\0'));
    CTarvoHexEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    EXPECT_EQ(pView->Controller().GetLayout().GetRowSize(), 16);
    {
        COptionsSheet sheet(GetAppSettings(), m_pApp->TextModule(), m_pApp->OptionsContext(),
                            Frame());
        COptionsPage* pPage = sheet.Page("Hex Editor");
        ASSERT_NE(pPage, nullptr);
        pPage->findChild<QSpinBox*>("RowSize")->setValue(8);
        pPage->findChild<QSpinBox*>("GroupSize")->setValue(2);
        pPage->findChild<QCheckBox*>("BackupFile")->setChecked(true);
        sheet.accept();
    }
    EXPECT_EQ(pView->Controller().GetLayout().GetRowSize(), 8);
    EXPECT_EQ(m_pApp->HexModule()->m_nRowSize, 8);

    // A save now keeps the old file as ".bak".
    QTest::keyClicks(pView, "ab");
    QTest::keyClick(pView, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Read(path + ".bak"), std::string(100, '\0'));
    EXPECT_EQ(static_cast<unsigned char>(Read(path)[0]), 0xABu);
}

TEST_F(HexEditorApp, AnOutsideChangeReloadsIntoTheOpenView)
{
    const std::string path = Write("grow.bin", std::string(10, '\0'));
    CTarvoHexEditView* pView = Open(path);
    ASSERT_NE(pView, nullptr);
    pView->Controller().SetSelection(9, 9);
    m_bYes = true;
    // A later modification time, whatever the clock's resolution.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(5000, '\x11');
    struct timespec times[2] = {{2000000000, 0}, {2000000000, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    ASSERT_TRUE(ProcessUntil([&] { return pView->Buffer().GetLength() == 5000u; }));
    EXPECT_EQ(m_questions.size(), 1u);
    // The view pages through the new data.
    QTest::keyClick(pView, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(pView->Controller().GetCaret(), 5000u);
    EXPECT_FALSE(pView->grab().isNull());
}

TEST_F(HexEditorApp, MainWindowScreenshotWithSelectionAndMatches)
{
    std::string data;
    const std::string text = "Scrivel hex: bytes\tand text\r\n";
    for (int i = 0; i < 40; ++i)
    {
        data += text;
        for (int b = 0; b < 6; ++b)
            data += static_cast<char>(i * 6 + b);
    }
    CTarvoHexEditView* pView = Open(Write("shot.bin", data));
    ASSERT_NE(pView, nullptr);
    Frame()->FindBox(kDocTypeBinary)->setEditText("=text");
    Frame()->RunCommand(HexCommand::kHighlightAll);
    pView->Controller().SetSelection(100, 70);
    // Room for both areas.
    if (Frame()->NavigateBar()->isVisible())
        Frame()->RunCommand(ID_VIEW_NAVIGATE_BAR);
    QApplication::processEvents();
    const QString shot = QCoreApplication::applicationDirPath() + "/hex-main-window.png";
    const QImage image = Frame()->grab().toImage();
    ASSERT_TRUE(image.save(shot));
    int nYellow = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nYellow += image.pixelColor(x, y) == QColor(255, 255, 0) ? 1 : 0;
    EXPECT_GT(nYellow, 200) << shot.toStdString();
    EXPECT_EQ(Frame()->PaneText(3), "");
}

TEST(HexEditorStartup, AFileOpenedFromTheCommandLineShowsTheHexBarsAndPanes)
{
    QTemporaryDir home;
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
    const std::string path = home.path().toStdString() + "/plain.txt";
    std::ofstream(path) << "text, shown as bytes";
    std::vector<std::string> args = {"scrivel", "-e", "-t:hex", path};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    int argc = static_cast<int>(argv.size());
    CScrivelApp app(argc, argv.data());
    app.SetMessageHook([](const std::string&) {});
    ASSERT_TRUE(app.InitInstance());
    QCoreApplication::processEvents();
    EXPECT_EQ(app.MainFrame()->ActiveDocumentType(), kDocTypeBinary);
    EXPECT_EQ(app.MainFrame()->PaneText(4), "OVR");
    app.MainFrame()->close();
    app.ExitInstance(0);
}

// The hex view's wiring under the offscreen platform: keys, mouse, the clipboard, drops,
// the entry field, the find and go-to dialogs, the worker search with its abort question,
// saving, and a screenshot of a coloured page.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "../hex/HexTestSupport.h"
#include "hex/HexCommands.h"
#include "hex/gui/HexEditCtrl.h"
#include "hex/gui/HexEditView.h"
#include "hex/gui/HexFindDlg.h"
#include "platform/ProfileStore.h"

namespace
{
int g_argc = 1;
char g_arg0[] = "test_gui";
char* g_argv[] = {g_arg0, nullptr};

class HexViewGui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        m_pApp = std::make_unique<QApplication>(g_argc, g_argv);
        m_module.Start(m_store);
    }
    void TearDown() override
    {
        m_pView.reset();
        m_pApp.reset();
    }

    CTarvoHexEditView& Open(const Bytes& data, QSize size = QSize(900, 500))
    {
        WriteFileBytes(m_folder / "data.bin", data);
        EXPECT_TRUE(OpenDocument(m_buffer, m_folder / "data.bin"));
        m_pView = std::make_unique<CTarvoHexEditView>(m_buffer, m_module);
        m_pView->SetMessageOverride(&m_sink);
        m_pView->resize(size);
        m_pView->show();
        m_pView->setFocus();
        QApplication::processEvents();
        return *m_pView;
    }

    QPoint PointOf(uint32_t nPosition, bool bChar)
    {
        const CHexLayout& layout = m_pView->Controller().GetLayout();
        const SHexPoint at = layout.PositionToPoint(nPosition, bChar);
        return QPoint(
            static_cast<int>(at.m_nX) + 2,
            static_cast<int>(at.m_nY - int64_t(m_pView->GetTopLine()) * layout.GetLineHeight()) +
                3);
    }

    // Runs f on the first modal dialog of type T once the event loop shows it.
    template <class T> void WhenModal(std::function<void(T&)> f)
    {
        QTimer::singleShot(0,
                           [f]
                           {
                               for (QWidget* pWidget : QApplication::topLevelWidgets())
                               {
                                   if (auto* pDialog = qobject_cast<T*>(pWidget);
                                       pDialog && pDialog->isVisible())
                                   {
                                       f(*pDialog);
                                       return;
                                   }
                               }
                               ADD_FAILURE() << "no dialog";
                           });
    }

    CScratchFolder m_folder;
    std::unique_ptr<QApplication> m_pApp;
    CMemoryProfileStore m_store;
    CTarvoHexEditModule m_module;
    CTarvoHexEditBuffer m_buffer;
    CRecordingSink m_sink;
    std::unique_ptr<CTarvoHexEditView> m_pView;
};
} // namespace

TEST_F(HexViewGui, KeysAndClicksReachTheController)
{
    CTarvoHexEditView& view = Open(ToBytes("0123456789abcdefghij"));
    CHexEditController& c = view.Controller();
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(c.GetCaret(), 2u);
    EXPECT_EQ(c.GetAnchor(), 1u);
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(c.GetCaret(), 20u);
    EXPECT_FALSE(view.GetStatus().m_bByteEnabled);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, PointOf(3, false));
    EXPECT_EQ(c.GetCaret(), 3u);
    EXPECT_EQ(view.GetStatus().m_strByte, "33, 51, 063, 00110011, '3'");
    QTest::keyClicks(&view, "AB");
    EXPECT_EQ(ReadAll(m_buffer)[3], 0xAB);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ReadAll(m_buffer)[3], '3');

    QTest::keyClick(&view, Qt::Key_Insert);
    EXPECT_EQ(view.GetStatus().m_strOvertype, "INS");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, PointOf(5, true));
    EXPECT_TRUE(c.IsCaretInCharArea());
    QTest::keyClicks(&view, "xy");
    QTest::keyClick(&view, Qt::Key_Backspace);
    EXPECT_EQ(ReadAll(m_buffer), ToBytes("01234x56789abcdefghij"));
    QTest::keyClick(&view, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(c.GetBookmark(), 6);

    // Dragging with the button down selects.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, PointOf(1, true));
    QMouseEvent move(QEvent::MouseMove, PointOf(4, true),
                     view.viewport()->mapToGlobal(PointOf(4, true)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, PointOf(4, true));
    EXPECT_EQ(c.GetSelStart(), 1u);
    EXPECT_EQ(c.GetSelEnd(), 4u);
}

TEST_F(HexViewGui, ClipboardCarriesZeroBytesWholeAndTextWithoutThem)
{
    CTarvoHexEditView& view = Open(Bytes{'a', 0, 'b', 0, 'c'});
    view.SetYesNoCancelHook([](const std::string&) { return 1; });
    view.Controller().SelectAll();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* pMime = QApplication::clipboard()->mimeData();
    ASSERT_NE(pMime, nullptr);
    EXPECT_EQ(pMime->text(), "abc");
    const QByteArray binary = pMime->data(kHexBinaryMimeType);
    EXPECT_EQ(binary, QByteArray("\x05\x00\x00\x00"
                                 "a\0b\0c",
                                 9));

    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ReadAll(m_buffer), (Bytes{'a', 0, 'b', 0, 'c', 'a', 0, 'b', 0, 'c'}));

    // Text from another program pastes as the bytes of the text code page.
    QApplication::clipboard()->setText("XY");
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(ReadAll(m_buffer)[0], 'X');
    EXPECT_EQ(ReadAll(m_buffer).size(), 12u);
}

TEST_F(HexViewGui, DropInsertsAtTheByteUnderTheMouse)
{
    CTarvoHexEditView& view = Open(ToBytes("abcdef"));
    QMimeData mime;
    mime.setText("XYZ");
    QDragEnterEvent enter(PointOf(2, true), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(PointOf(2, true), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    const bool bDelivered = QApplication::sendEvent(view.viewport(), &drop);
    EXPECT_TRUE(bDelivered);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(ReadAll(m_buffer), ToBytes("abXYZcdef"));
    EXPECT_EQ(view.Controller().GetSelStart(), 2u);
    EXPECT_EQ(view.Controller().GetSelEnd(), 5u);
}

TEST_F(HexViewGui, EntryFieldKeepsDigitsInGroupsOfFour)
{
    CTarvoHexEditCtrl field(true);
    field.show();
    QTest::keyClicks(&field, "12g3 4x5");
    EXPECT_EQ(field.text(), "1 2345");
    EXPECT_EQ(field.cursorPosition(), 6);
    QTest::keyClick(&field, Qt::Key_Left);
    QTest::keyClick(&field, Qt::Key_Left);
    QTest::keyClick(&field, Qt::Key_Left);
    QTest::keyClick(&field, Qt::Key_Left);
    EXPECT_EQ(field.cursorPosition(), 2); // before the 2: the blank was stepped over
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "2345");
    QTest::keyClicks(&field, "ff");
    EXPECT_EQ(field.text(), "FF 2345");
}

TEST_F(HexViewGui, GoToDialogFieldsFollowEachOtherAndMoveTheCaret)
{
    CTarvoHexEditView& view = Open(Bytes(0x20000, 0x41));
    bool bSeen = false;
    WhenModal<CHexGoToDlg>(
        [&](CHexGoToDlg& dialog)
        {
            bSeen = true;
            EXPECT_EQ(dialog.HexField()->text(), "1 FFFF");
            EXPECT_EQ(dialog.DecimalField()->text(), "131071");
            EXPECT_EQ(dialog.RangeLabel()->text(), "(0 - 0X1FFFF)");
            dialog.DecimalField()->setText("4096");
            EXPECT_EQ(dialog.HexField()->text(), "1000");
            dialog.accept();
        });
    view.OnCommand(HexCommand::kGoTo);
    EXPECT_TRUE(bSeen);
    EXPECT_EQ(view.Controller().GetCaret(), 0x1000u);
    // The row of the caret is in view.
    EXPECT_LE(view.GetTopLine(), 0x100u);
    EXPECT_GT(view.GetTopLine() + view.GetVisibleLines(), 0x100u);
}

TEST_F(HexViewGui, FindDialogSearchesStoresTheTextAndHighlights)
{
    CTarvoHexEditView& view = Open(ToBytes("xxabcxxabcxx"));
    WhenModal<CHexFindDlg>(
        [](CHexFindDlg& dialog)
        {
            dialog.TextBox()->setEditText("=abc");
            dialog.findChildren<QPushButton*>()[1]->click(); // Highlight All
        });
    view.OnCommand(HexCommand::kEditFind);
    EXPECT_EQ(view.Controller().GetSelStart(), 2u);
    EXPECT_EQ(view.Controller().GetSelEnd(), 5u);
    EXPECT_TRUE(view.Controller().IsCaretInCharArea());
    EXPECT_TRUE(view.Controller().IsHighlightAll());
    EXPECT_EQ(m_module.GetSearchText(), "=abc");
    ASSERT_GE(m_module.GetRecentFind().GetCount(), 1);
    EXPECT_EQ(m_module.GetRecentFind().GetAt(0), "=abc");

    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(view.Controller().GetSelStart(), 7u);
    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(m_sink.m_messages.back(), "Search text not found (forward search)");
    EXPECT_EQ(view.Controller().GetSelStart(), 7u);
    QTest::keyClick(&view, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(view.Controller().GetSelStart(), 2u);
    m_module.SetSearchText("xyz");
    QTest::keyClick(&view, Qt::Key_F3);
    EXPECT_EQ(m_sink.m_messages.back(), "There is no search text");
}

TEST_F(HexViewGui, LongSearchRunsOnAWorkerAndAsksBeforeAborting)
{
    // A sparse file: long to search, cheap to make.
    const std::string path = m_folder / "big.bin";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 512 << 20), 0);
    ::close(fd);
    ASSERT_TRUE(OpenDocument(m_buffer, path));
    m_pView = std::make_unique<CTarvoHexEditView>(m_buffer, m_module);
    CTarvoHexEditView& view = *m_pView;
    view.SetMessageOverride(&m_sink);
    view.SetProgressDelay(0);
    view.resize(600, 400);
    view.show();
    m_sink.m_bAnswer = true; // "Abort search?" Yes
    bool bCancelled = false;
    QTimer::singleShot(0,
                       [&]
                       {
                           for (QWidget* pWidget : QApplication::topLevelWidgets())
                           {
                               if (auto* pDialog = qobject_cast<CHexSearchProgressDlg*>(pWidget))
                               {
                                   // Input to the view is held back while the worker reads.
                                   QTest::keyClick(&view, Qt::Key_Delete);
                                   pDialog->reject();
                                   bCancelled = true;
                               }
                           }
                       });
    EXPECT_FALSE(view.RunSearch("=needle", true));
    EXPECT_TRUE(bCancelled);
    ASSERT_FALSE(m_sink.m_questions.empty());
    EXPECT_EQ(m_sink.m_questions.back(), "Abort search?");
    ASSERT_FALSE(m_sink.m_status.empty());
    EXPECT_EQ(m_sink.m_status.back(), "Search aborted");
    EXPECT_TRUE(m_sink.m_messages.empty());
    EXPECT_EQ(m_buffer.GetLength(), 512u << 20);
    EXPECT_FALSE(m_buffer.IsModified());
}

TEST_F(HexViewGui, SaveAndSaveAsWriteThroughTheBuffer)
{
    CTarvoHexEditView& view = Open(ToBytes("abc"));
    QTest::keyClick(&view, Qt::Key_Insert);
    QTest::keyClicks(&view, "41");
    QTest::keyClick(&view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFileBytes(m_folder / "data.bin"), ToBytes("Aabc"));
    EXPECT_FALSE(m_buffer.IsModified());
    QTest::keyClicks(&view, "42");
    view.SetSaveAsHook([this] { return m_folder / "copy.bin"; });
    view.OnCommand(HexCommand::kFileSaveAs);
    EXPECT_EQ(ReadFileBytes(m_folder / "copy.bin"), ToBytes("ABabc"));
    // Nothing saved can be undone.
    SCommandState state;
    view.OnUpdateCommand(HexCommand::kEditUndo, state);
    EXPECT_FALSE(state.bEnabled);
}

TEST_F(HexViewGui, ScreenshotOfAColouredPageWithSelectionAndMatches)
{
    Bytes data;
    const std::string text = "Hex view: bytes\tin colour\r\n";
    for (int i = 0; i < 40; ++i)
    {
        data.insert(data.end(), text.begin(), text.end());
        for (int b = 0; b < 8; ++b)
            data.push_back(static_cast<uint8_t>(i * 8 + b + 120));
    }
    CTarvoHexEditView& view = Open(data, QSize(1000, 420));
    m_module.SetSearchText("=colour");
    view.OnCommand(HexCommand::kHighlightAll);
    view.Controller().SetSelection(70, 40);
    view.Controller().ToggleBookmark();
    QApplication::processEvents();
    const QImage image = view.grab().toImage();
    const QString path = QDir::current().filePath("hexview-screenshot.png");
    ASSERT_TRUE(image.save(path));
    int nYellow = 0;
    int nSelected = 0;
    const QColor focused(0x00, 0x78, 0xD7);
    const QColor unfocused(123, 153, 225);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
        {
            const QColor pixel = image.pixelColor(x, y);
            nYellow += pixel == QColor(255, 255, 0) ? 1 : 0;
            nSelected += (pixel == focused || pixel == unfocused) ? 1 : 0;
        }
    EXPECT_GT(nYellow, 200) << path.toStdString();
    EXPECT_GT(nSelected, 200) << path.toStdString();
}

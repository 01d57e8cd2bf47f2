// The editable text view under the offscreen platform: keys reach the editing commands
// (the numeric-pad slash included), mouse clicks, double and triple clicks, the margin and
// dragging select as the controller says, the auto-scroll timer runs while the pointer is
// outside, dialogs and message boxes run on the controller, drops insert text, the find box
// of the frame finds, and a screenshot shows the selection and Highlight All.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>

#include "app/AppSettings.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/TextEditTestSupport.h"
#include "textview/TextViewTestUtil.h"
#include "textview/gui/TarvoTextEditView.h"
#include "textview/gui/TextEditFrameBinding.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
int g_argc = 1;
char g_name[] = "test_gui";
char* g_argv[] = {g_name, nullptr};

std::string LineText(CTarvoTextEditBuffer& buffer, int line)
{
    return GetLineText(buffer, line);
}

// Runs `fn` on the next modal window that opens (a dialog or a message box).
void OnNextModal(std::function<void(QWidget*)> fn)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout,
                     [timer, fn]
                     {
                         if (QWidget* modal = QApplication::activeModalWidget())
                         {
                             timer->stop();
                             timer->deleteLater();
                             fn(modal);
                         }
                     });
    timer->start();
}

QPushButton* ButtonWithText(QWidget* parent, const QString& text)
{
    for (QPushButton* button : parent->findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}

struct EditViewFixture : ::testing::Test
{
    std::unique_ptr<QApplication> app;
    SCodePageGuard codePage;
    CTarvoTextEditBuffer buffer;
    std::unique_ptr<CSyntaxParser> parser;
    std::unique_ptr<CTarvoTextEditView> view;

    void SetUp() override
    {
        app = std::make_unique<QApplication>(g_argc, g_argv);
        SetTextCodePage(1252);
    }
    void TearDown() override
    {
        view.reset();
        app.reset();
    }

    void Open(const std::string& text, int nLineEnd = LineEndLf)
    {
        buffer.InitNew(nLineEnd);
        int endLine = 0;
        int endChar = 0;
        buffer.InsertText(nullptr, 0, 0, text.c_str(), endLine, endChar, 0, false);
        parser = std::make_unique<CTestSyntaxParser>(
            90, kSyntaxFlagAutoIndent | kSyntaxFlagBracketIndent, "//");
        buffer.SetParser(parser.get());
        view = std::make_unique<CTarvoTextEditView>();
        view->resize(600, 300);
        view->SetBuffer(&buffer);
        view->show();
        view->activateWindow();
        view->setFocus();
        QApplication::processEvents();
    }

    CTarvoTextEditController& Ctl() { return view->Controller(); }
    QPoint Cell(int x, int y)
    {
        const SClientPoint p = view->Layout().TextToClient({x, y});
        return QPoint(p.x + 1, p.y + view->Layout().GetLineHeight() / 2);
    }
    void SendMouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                   Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent event(type, pos, view->viewport()->mapToGlobal(pos), button, buttons, mods);
        QApplication::sendEvent(view->viewport(), &event);
    }
};
} // namespace

TEST(TextEditKeyTable, KeysMapToCommandsWithTheNumericPadRules)
{
    using K = QKeyCombination;
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(
                  K(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Slash)),
              CmdCommentSelection);
    // The slash of the main block is not the comment key.
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::ControlModifier, Qt::Key_Slash)), 0);
    // Pad arrows act as the arrows.
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::KeypadModifier, Qt::Key_Left)), CmdCharLeft);
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::ShiftModifier, Qt::Key_Backtab)), CmdUntab);
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::ControlModifier, Qt::Key_BracketRight)),
              CmdMatchBrace);
    EXPECT_EQ(
        CTarvoTextEditView::CommandForKey(K(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_U)),
        CmdUppercase);
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::AltModifier, Qt::Key_Backspace)), CmdUndo);
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::ShiftModifier, Qt::Key_Insert)), CmdPaste);
    EXPECT_EQ(CTarvoTextEditView::CommandForKey(K(Qt::NoModifier, Qt::Key_A)), 0);
}

TEST_F(EditViewFixture, KeysTypeAndRunCommands)
{
    Open("alpha beta\n    if (x) {\nlast");
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{10, 0}));
    QTest::keyClicks(view.get(), "!?");
    EXPECT_EQ(LineText(buffer, 0), "alpha beta!?");
    QTest::keyClick(view.get(), Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(Ctl().HasSelection());
    // Typed text with Ctrl is a shortcut, never text.
    QTest::keyClick(view.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(LineText(buffer, 0), "alpha beta!?");

    // Enter after an opening bracket in an LF file indents one unit deeper.
    QTest::keyClick(view.get(), Qt::Key_Down);
    QTest::keyClick(view.get(), Qt::Key_End);
    QTest::keyClick(view.get(), Qt::Key_Return);
    const std::string indented = LineText(buffer, 2);
    EXPECT_GT(indented.size(), 4u);
    EXPECT_EQ(indented.find_first_not_of(" \t"), std::string::npos);
    QTest::keyClick(view.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(LineText(buffer, 1), "    if (x) {");
    EXPECT_EQ(buffer.GetLineCount(), 3);

    // Ctrl + numeric-pad slash comments a two-line selection; Tab indents it, Shift+Tab
    // (Backtab) takes it back.
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Slash, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(LineText(buffer, 0), "//alpha beta!?");
    EXPECT_EQ(LineText(buffer, 1), "//    if (x) {");
    EXPECT_EQ(LineText(buffer, 2), "last");
    QTest::keyClick(view.get(), Qt::Key_Tab);
    EXPECT_NE(LineText(buffer, 0), "//alpha beta!?");
    QTest::keyClick(view.get(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(LineText(buffer, 0), "//alpha beta!?");
    EXPECT_TRUE(view->hasFocus() || !view->isActiveWindow());

    // Insert toggles overwrite; the layout shows what the controller holds.
    QTest::keyClick(view.get(), Qt::Key_Insert);
    EXPECT_TRUE(Ctl().IsOverwrite());
    EXPECT_TRUE(view->Layout().GetOverwrite());
    EXPECT_EQ(view->Layout().GetCaret(), Ctl().GetCaret());
}

TEST_F(EditViewFixture, InputMethodTextIsTyped)
{
    Open("ab");
    QInputMethodEvent event;
    event.setCommitString(QString::fromUtf8("\xc3\xa9\xe2\x82\xac"));
    QApplication::sendEvent(view.get(), &event);
    // In code page 1252 both characters exist: é and the euro sign.
    EXPECT_EQ(LineText(buffer, 0), "\xe9\x80"
                                   "ab");
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{2, 0}));
    QInputMethodEvent other;
    other.setCommitString(QString::fromUtf8("\xe6\x97\xa5"));
    QApplication::sendEvent(view.get(), &other);
    EXPECT_EQ(LineText(buffer, 0), "\xe9\x80?ab");
    EXPECT_FALSE(view->LastStatusText().isEmpty());
}

TEST_F(EditViewFixture, MouseSelectsByCharacterWordLineAndRow)
{
    Open("alpha beta gamma\nsecond line here\nthird");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(7, 0));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{7, 0}));
    EXPECT_FALSE(Ctl().HasSelection());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, Cell(3, 1));
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{7, 0}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{3, 1}));
    EXPECT_TRUE(view->Layout().HasSelection());

    // Double click: the word; a third click soon after: the line.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(8, 1));
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{7, 1}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{11, 1}));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, Cell(8, 1));
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{0, 1}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{16, 1}));

    // The margin selects a whole row; dragging in it extends by rows.
    const int y2 = Cell(0, 2).y();
    SendMouse(QEvent::MouseButtonPress, QPoint(2, Cell(0, 0).y()), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{0, 0}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{0, 1}));
    SendMouse(QEvent::MouseMove, QPoint(2, y2), Qt::NoButton, Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, QPoint(2, y2), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{0, 0}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{5, 2}));

    // Dragging in the text extends by characters.
    SendMouse(QEvent::MouseButtonPress, Cell(2, 2), Qt::LeftButton, Qt::LeftButton);
    // (a press inside the selection only prepares a drag: release and press again outside)
    SendMouse(QEvent::MouseButtonRelease, Cell(2, 2), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{2, 2}));
    EXPECT_FALSE(Ctl().HasSelection());
    SendMouse(QEvent::MouseButtonPress, Cell(1, 0), Qt::LeftButton, Qt::LeftButton);
    SendMouse(QEvent::MouseMove, Cell(4, 1), Qt::NoButton, Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, Cell(4, 1), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{1, 0}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{4, 1}));
    EXPECT_EQ(view->Layout().GetAnchor(), (STextPosition{1, 0}));
}

TEST_F(EditViewFixture, AutoScrollRunsOnTheTimerWhileThePointerIsBelow)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\n";
    Open(text);
    SendMouse(QEvent::MouseButtonPress, Cell(2, 3), Qt::LeftButton, Qt::LeftButton);
    const QPoint below(100, view->viewport()->height() + 3 * view->Layout().GetLineHeight());
    SendMouse(QEvent::MouseMove, below, Qt::NoButton, Qt::LeftButton);
    const int top = view->Layout().GetTopSubLine();
    QTest::qWait(450);
    // Three rows a tick while more than a row below.
    EXPECT_GE(view->Layout().GetTopSubLine(), top + 6);
    EXPECT_GT(Ctl().GetCaret().y, view->Layout().GetTopSubLine());
    SendMouse(QEvent::MouseButtonRelease, below, Qt::LeftButton, Qt::NoButton);
    const int stopped = view->Layout().GetTopSubLine();
    QTest::qWait(250);
    EXPECT_EQ(view->Layout().GetTopSubLine(), stopped);
    EXPECT_EQ(view->verticalScrollBar()->value(), stopped);
}

TEST_F(EditViewFixture, DialogsAndMessagesRunOnTheController)
{
    Open("one\ntwo\nthree\nfour");
    Ctl().SetCaret({1, 1});
    // Go to Line starts at the caret's line as the user counts it.
    QString initial;
    OnNextModal(
        [&](QWidget* dlg)
        {
            auto* edit = dlg->findChild<QLineEdit*>();
            initial = edit->text();
            edit->setText(QStringLiteral("4"));
            static_cast<QDialog*>(dlg)->accept();
        });
    QTest::keyClick(view.get(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(initial, QStringLiteral("2"));
    EXPECT_EQ(Ctl().GetCaret().y, 3);
    EXPECT_EQ(view->Layout().GetCaret().y, 3);

    // Find: the text field, "Find Next", the match selected.
    OnNextModal(
        [&](QWidget* dlg)
        {
            dlg->findChild<QComboBox*>()->setEditText(QStringLiteral("hre"));
            ButtonWithText(dlg, QStringLiteral("Find Next"))->click();
        });
    QTest::keyClick(view.get(), Qt::Key_F, Qt::ControlModifier);
    if (QWidget* still = QApplication::activeModalWidget())
        static_cast<QDialog*>(still)->reject();
    STextPosition start;
    STextPosition end;
    Ctl().GetSelection(start, end);
    EXPECT_EQ(start, (STextPosition{1, 2}));
    EXPECT_EQ(end, (STextPosition{4, 2}));

    // F3 with a text that is not there: the plain message with the space.
    Ctl().GetFind().SetLastSearch("nowhere", 0);
    const STextPosition caret = Ctl().GetCaret();
    QString message;
    QMessageBox::Icon icon = QMessageBox::Information;
    OnNextModal(
        [&](QWidget* box)
        {
            auto* messageBox = qobject_cast<QMessageBox*>(box);
            ASSERT_NE(messageBox, nullptr);
            message = messageBox->text();
            icon = messageBox->icon();
            messageBox->accept();
        });
    QTest::keyClick(view.get(), Qt::Key_F3);
    EXPECT_EQ(message, QStringLiteral("Cannot find string \"nowhere\""));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(caret, Ctl().GetCaret());
}

TEST_F(EditViewFixture, DropsInsertTextAndLeaveFilesToTheWindow)
{
    Open("abc\ndef");
    QMimeData text;
    text.setText(QStringLiteral("XY\r\nZ"));
    const QPoint at = Cell(1, 1);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton,
                        Qt::ControlModifier);
    QApplication::sendEvent(view->viewport(), &move);
    EXPECT_EQ(move.dropAction(), Qt::CopyAction);
    EXPECT_EQ(view->DropCaret(), (STextPosition{1, 1}));
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton,
                    Qt::ControlModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(LineText(buffer, 1), "dXY");
    EXPECT_EQ(LineText(buffer, 2), "Zef");
    EXPECT_EQ(Ctl().GetAnchor(), (STextPosition{1, 1}));
    EXPECT_EQ(Ctl().GetCaret(), (STextPosition{1, 2}));
    EXPECT_LT(view->DropCaret().x, 0);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/some.txt"))});
    files.setText(QStringLiteral("/tmp/some.txt"));
    QDragEnterEvent fileEnter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &fileEnter);
    EXPECT_FALSE(fileEnter.isAccepted());

    // A read-only buffer takes no drop.
    buffer.SetReadOnly(true);
    QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(EditViewFixture, ContextMenuFollowsTheCommandStates)
{
    Open("abc def");
    std::unique_ptr<QMenu> menu(view->CreateContextMenu());
    auto action = [&](int nId)
    {
        for (QAction* a : menu->actions())
            if (a->data().toInt() == nId)
                return a;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_NE(action(CmdCut), nullptr);
    EXPECT_FALSE(action(CmdCut)->isEnabled());
    EXPECT_EQ(action(CmdToggleBookmark)->text(), QStringLiteral("Toggle &Bookmark"));
    Ctl().SetSelection({0, 0}, {3, 0});
    menu.reset(view->CreateContextMenu());
    EXPECT_TRUE(action(CmdCut)->isEnabled());
    action(CmdCut)->trigger();
    EXPECT_EQ(LineText(buffer, 0), " def");
}

TEST_F(EditViewFixture, FrameShowsPanesAndItsFindBoxFindsWithTheRecentList)
{
    CAppSettings settings;
    CMainFrame frame(settings);
    InstallTextEditCommands(frame);
    CMemorySearchHistory history;
    auto* binding = new CTextEditFrameBinding(frame, history);
    Open("int a;\r\nint b;\r\nfloat c;", LineEndCrLf);
    frame.SetActiveRouteHook([this](CCommandRoute& route) { route.Add(view.get()); });
    frame.SetActiveDocumentType(kDocTypeText);
    binding->SetActiveView(view.get());
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(frame.PaneText(1), QStringLiteral("Ln: 2/3, Col: 1/7, Ch: 1/7"));
    EXPECT_EQ(frame.PaneText(2), QStringLiteral("CRLF"));
    QTest::keyClick(view.get(), Qt::Key_Insert);
    EXPECT_EQ(frame.PaneText(4), QStringLiteral("OVR"));

    // Undo's menu text comes from the buffer.
    QTest::keyClicks(view.get(), "x");
    frame.UpdateCommandStates();
    EXPECT_TRUE(frame.CommandAction(CmdUndo)->isEnabled());
    EXPECT_TRUE(frame.CommandAction(CmdUndo)->text().startsWith(QStringLiteral("&Undo ")));

    QComboBox* box = frame.FindBox(kDocTypeText);
    ASSERT_NE(box, nullptr);
    box->setEditText(QStringLiteral("float"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    STextPosition start;
    STextPosition end;
    Ctl().GetSelection(start, end);
    EXPECT_EQ(start, (STextPosition{0, 2}));
    EXPECT_EQ(end, (STextPosition{5, 2}));
    ASSERT_EQ(box->count(), 1);
    EXPECT_EQ(box->itemText(0), QStringLiteral("float"));
    binding->SetActiveView(nullptr);
    EXPECT_TRUE(frame.PaneText(1).isEmpty());
}

TEST_F(EditViewFixture, ScreenshotShowsSelectionAndHighlightedMatches)
{
    CSyntaxParserFactory factory;
    factory.CreateParsers();
    Open("int Sum(const std::vector<int>& v)\n"
         "{\n"
         "\tint total = 0; /* running */\n"
         "\tfor (int x : v)\n"
         "\t\ttotal += x * 2;\n"
         "\treturn total; // done\n"
         "}\n");
    buffer.SetParser(factory.FindById(4));
    Ctl().GetFind().SetLastSearch("total", 0);
    view->RunCommand(CmdHighlightAll);
    Ctl().SetSelection({0, 3}, {9, 4});
    view->RunCommand(CmdExtCharRight);
    QApplication::processEvents();
    const QImage image = view->viewport()->grab().toImage();
    const QString path = QDir::current().filePath(QStringLiteral("text_edit_view.png"));
    ASSERT_TRUE(image.save(path));
    std::printf("screenshot: %s\n", path.toLocal8Bit().constData());

    auto background = [&](int x, int y)
    {
        const QPoint p = Cell(x, y);
        return image.pixelColor(p.x(), view->Layout().TextToClient({x, y}).y + 1);
    };
    // "total" on line 2 (characters 5 to 9) is a highlighted match, not selected.
    EXPECT_EQ(background(6, 2), view->ClassColor(kColorHighlightMatch));
    EXPECT_NE(background(3, 2), view->ClassColor(kColorHighlightMatch));
    // Line 3 from character 0 is selected.
    const QColor selected = background(2, 3);
    EXPECT_TRUE(selected == view->ClassColor(kColorSelectionFocus) ||
                selected == view->ClassColor(kColorSelectionNoFocus));
    // After the selection on line 4, plain text background.
    EXPECT_NE(background(12, 4), selected);
}

#include "textview/gui/TarvoTextEditView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "platform/SystemInfo.h"
#include "textview/TextClipboard.h"
#include "textview/TextFind.h"
#include "textview/gui/QtTextClipboard.h"
#include "textview/gui/TextEditDlgs.h"

namespace
{
// Texts of the controller are bytes of the text code page.
QString FromText(const std::string& text)
{
    return QString::fromStdU16String(TextToClipboard(text, GetTextCodePage()));
}

// The view a drag of text started in, while QDrag runs (drops into the same window and
// the Move Here / Copy Here menu of a right-button drag need to know it).
CTarvoTextEditView* g_pDragSource = nullptr;

// The key table as combined key codes, built once.
const QHash<int, int>& KeyTable()
{
    static const QHash<int, int> table = []
    {
        QHash<int, int> keys;
        for (const SCommandInfo& info : TextEditCommandTable())
        {
            const QStringList parts = QString::fromLatin1(info.pszKeys).split(QLatin1Char(';'));
            for (const QString& part : parts)
            {
                const QString trimmed = part.trimmed();
                if (trimmed.isEmpty())
                    continue;
                const QKeySequence sequence =
                    QKeySequence::fromString(trimmed, QKeySequence::PortableText);
                if (!sequence.isEmpty())
                    keys.insert(sequence[0].toCombined(), info.nId);
            }
        }
        return keys;
    }();
    return table;
}
} // namespace

void CTarvoTextEditView::CHighlightSource::GetHighlightBlocks(int nLine,
                                                              std::vector<SHighlightBlock>& blocks)
{
    blocks.clear();
    if (!m_controller.GetFind().IsHighlightAll())
        return;
    for (const auto& [start, end] : m_controller.GetFind().HighlightMatchesInLine(nLine))
        blocks.push_back({start, end});
}

CTarvoTextEditView::CTarvoTextEditView(QWidget* parent)
    : CTarvoTextView(parent), m_geometry(Layout()), m_highlight(m_controller)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    SetHighlightSource(&m_highlight);
    m_geometry.SetScrolledHook([this] { AfterScroll(); });
    m_geometry.SetInvalidateHook([this] { viewport()->update(); });
    m_scrollTimer.setInterval(100);
    connect(&m_scrollTimer, &QTimer::timeout, this,
            [this]
            {
                if (m_controller.OnTimer())
                    Sync();
            });
    connect(this, &CTarvoTextView::InputMethodText, this, &CTarvoTextEditView::TypeText);
    m_controller.SetSourceView(this);
    m_controller.SetDoubleClickTime(static_cast<uint32_t>(QApplication::doubleClickInterval()));
    InstallHooks();
}

CTarvoTextEditView::~CTarvoTextEditView()
{
    if (g_pDragSource == this)
        g_pDragSource = nullptr;
    m_controller.Detach();
}

void CTarvoTextEditView::SetBuffer(CTarvoTextEditBuffer* pBuffer)
{
    m_controller.Detach();
    CTarvoTextView::SetBuffer(pBuffer);
    m_controller.Attach(pBuffer, &m_geometry, false);
    m_controller.SetShowLineEndings(Layout().GetShowLineEndings());
    m_ptShownCaret = m_ptShownAnchor = {-1, -1};
    Sync();
}

void CTarvoTextEditView::SetDocumentPath(const std::string& path)
{
    m_strPath = path;
    CTarvoTextView::SetDocumentPath(path);
}

void CTarvoTextEditView::InstallHooks()
{
    STextEditHooks& hooks = m_controller.GetHooks();
    InstallClipboardHooks(hooks);
    hooks.setStatusText = [this](const std::string& text)
    {
        m_strLastStatus = FromText(text);
        if (m_fnStatus)
            m_fnStatus(m_strLastStatus);
    };
    hooks.messageBox = [this](const std::string& text, bool bInformationIcon)
    {
        QMessageBox box(bInformationIcon ? QMessageBox::Information : QMessageBox::NoIcon,
                        QGuiApplication::applicationDisplayName(), FromText(text), QMessageBox::Ok,
                        this);
        box.exec();
    };
    hooks.setCapture = [this](bool bCapture)
    {
        if (bCapture)
            m_scrollTimer.start();
        else
            m_scrollTimer.stop();
    };
    hooks.getModifiers = [this] { return Modifiers(); };
    hooks.showFindDialog = [this]
    {
        CFindDlg dlg(m_controller, this);
        dlg.exec();
    };
    hooks.showReplaceDialog = [this]
    {
        CReplaceDlg dlg(m_controller, this);
        dlg.exec();
    };
    hooks.showGoToDialog = [this]
    {
        CGoToLineDlg dlg(m_controller, this);
        dlg.exec();
    };
    hooks.doDragDrop = [this](const std::u16string& text, bool bAllowMove)
    { return RunDrag(text, bAllowMove); };
    hooks.getDocumentPath = [this] { return m_strPath; };
}

int CTarvoTextEditView::Modifiers() const
{
    if (m_nKeyModifiers >= 0)
        return m_nKeyModifiers;
    const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
    return ((mods & Qt::ShiftModifier) != 0 ? kTextModShift : 0) |
           ((mods & Qt::ControlModifier) != 0 ? kTextModCtrl : 0);
}

// ---------------------------------------------------------------------------------------
// Showing the controller's state

void CTarvoTextEditView::RepaintLines(int nFirst, int nLast)
{
    CTextLayout& layout = Layout();
    const int count = layout.GetLineCount();
    if (count == 0)
        return;
    nFirst = std::clamp(nFirst, 0, count - 1);
    nLast = std::clamp(nLast, nFirst, count - 1);
    const int top = layout.GetTopSubLine();
    const int rows = layout.GetScreenRows() + 1;
    const int first = layout.GetSubLineIndex(nFirst) - top;
    const int last = layout.GetSubLineIndex(nLast) + layout.GetLineRowCount(nLast) - top;
    const int from = std::max(first, 0);
    const int to = std::min(last, rows);
    if (from >= to)
        return;
    const int lh = layout.GetLineHeight();
    viewport()->update(QRect(0, from * lh, viewport()->width(), (to - from) * lh));
}

void CTarvoTextEditView::SetCaret(STextPosition pt)
{
    m_controller.SetSelection(m_controller.GetAnchor(), pt);
    Sync();
}

void CTarvoTextEditView::SetSelection(STextPosition ptAnchor, STextPosition ptActive)
{
    m_controller.SetSelection(ptAnchor, ptActive);
    Sync();
}

void CTarvoTextEditView::Sync()
{
    CTextLayout& layout = Layout();
    const STextPosition caret = m_controller.GetCaret();
    const STextPosition anchor = m_controller.GetAnchor();
    const bool bOverwrite = m_controller.IsOverwrite();
    const bool bFirst = m_ptShownCaret.y < 0;
    const bool bMoved = !(caret == m_ptShownCaret) || !(anchor == m_ptShownAnchor) ||
                        bOverwrite != m_bShownOverwrite;
    if (bMoved)
    {
        // The rows of the old and the new selection and caret change their look (the
        // selection, the caret line's colour and its number in the margin).
        if (bFirst)
            viewport()->update();
        else
        {
            RepaintLines(std::min(m_ptShownCaret.y, m_ptShownAnchor.y),
                         std::max(m_ptShownCaret.y, m_ptShownAnchor.y));
            RepaintLines(std::min(caret.y, anchor.y), std::max(caret.y, anchor.y));
        }
        layout.SetSelection(anchor, caret);
        layout.SetCaret(caret);
        layout.SetOverwrite(bOverwrite);
        m_ptShownCaret = caret;
        m_ptShownAnchor = anchor;
        m_bShownOverwrite = bOverwrite;
        if (hasFocus())
            QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    }
    if (m_fnStateChanged)
        m_fnStateChanged();
}

QString CTarvoTextEditView::PositionPaneText() const
{
    return QString::fromStdString(m_controller.GetPositionPaneText());
}

QString CTarvoTextEditView::LineEndPaneText() const
{
    return QString::fromStdString(m_controller.GetLineEndPaneText());
}

// ---------------------------------------------------------------------------------------
// Buffer notifications and commands

void CTarvoTextEditView::OnUpdate(CTextBufferView* pSource, const CUpdateContext* pContext,
                                  uint32_t dwHint, int nLine)
{
    CTarvoTextView::OnUpdate(pSource, pContext, dwHint, nLine);
    m_controller.OnUpdate(pSource, pContext, dwHint, nLine);
    // Another view's edit moved this view's caret; its own commands end in Sync anyway.
    if (pSource != this)
        Sync();
}

void CTarvoTextEditView::OnParserChanged()
{
    CTarvoTextView::OnParserChanged();
    m_controller.OnParserChanged();
}

void CTarvoTextEditView::OnUndoGroupClosed(int nAction, const char* pszText)
{
    m_controller.OnUndoGroupClosed(nAction, pszText);
}

bool CTarvoTextEditView::OnUpdateCommand(int nId, SCommandState& state)
{
    return m_controller.OnUpdateCommand(nId, state) || CTarvoTextView::OnUpdateCommand(nId, state);
}

bool CTarvoTextEditView::OnCommand(int nId)
{
    // Scroll bars and the longest line are measured once after the command, not after
    // each line a block command changes.
    Layout().SetBlockCommand(true);
    bool bDone = m_controller.OnCommand(nId);
    Layout().SetBlockCommand(false);
    if (!bDone)
        bDone = CTarvoTextView::OnCommand(nId);
    else
        RefreshLayout();
    Sync();
    return bDone;
}

bool CTarvoTextEditView::RunCommand(int nId)
{
    SCommandState state;
    if (!OnUpdateCommand(nId, state) || !state.bEnabled)
        return false;
    return OnCommand(nId);
}

int CTarvoTextEditView::CommandForKey(QKeyCombination key)
{
    Qt::Key code = key.key();
    Qt::KeyboardModifiers mods = key.keyboardModifiers();
    if (code == Qt::Key_Backtab)
    {
        code = Qt::Key_Tab;
        mods |= Qt::ShiftModifier;
    }
    mods &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier |
            Qt::KeypadModifier;
    const QHash<int, int>& table = KeyTable();
    auto it = table.find(QKeyCombination(mods, code).toCombined());
    if (it == table.end() && (mods & Qt::KeypadModifier) != 0)
        it = table.find(QKeyCombination(mods & ~Qt::KeypadModifier, code).toCombined());
    return it == table.end() ? 0 : it.value();
}

void CTarvoTextEditView::TypeText(const QString& text)
{
    const std::u16string u = text.toStdU16String();
    const int cp = GetTextCodePage();
    int lostTotal = 0;
    for (size_t i = 0; i < u.size();)
    {
        if (u[i] == u'\r' || u[i] == u'\n')
        {
            // CR LF from an input method is one line break.
            const size_t n = u[i] == u'\r' && i + 1 < u.size() && u[i + 1] == u'\n' ? 2 : 1;
            m_controller.OnChar("\r");
            i += n;
            continue;
        }
        const size_t n = QChar::isHighSurrogate(u[i]) && i + 1 < u.size() ? 2 : 1;
        int lost = 0;
        const std::string bytes = ClipboardToText(u.substr(i, n), "\r\n", cp, lost);
        lostTotal += lost;
        if (!bytes.empty())
            m_controller.OnChar(bytes);
        i += n;
    }
    if (lostTotal > 0 && m_controller.GetHooks().setStatusText)
        m_controller.GetHooks().setStatusText(LostCharactersStatusText(lostTotal));
    Sync();
}

// ---------------------------------------------------------------------------------------
// Keys

bool CTarvoTextEditView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride)
    {
        // The view's own keys win over window shortcuts while it has the focus.
        auto* key = static_cast<QKeyEvent*>(event);
        if (CommandForKey(key->keyCombination()) != 0)
        {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress)
    {
        // Tab and Shift+Tab are editing keys here, not focus moves.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
        {
            keyPressEvent(key);
            return true;
        }
    }
    return CTarvoTextView::event(event);
}

void CTarvoTextEditView::keyPressEvent(QKeyEvent* event)
{
    const int nId = CommandForKey(event->keyCombination());
    if (nId != 0)
    {
        const Qt::KeyboardModifiers mods = event->modifiers();
        m_nKeyModifiers = ((mods & Qt::ShiftModifier) != 0 ? kTextModShift : 0) |
                          ((mods & Qt::ControlModifier) != 0 ? kTextModCtrl : 0);
        RunCommand(nId);
        m_nKeyModifiers = -1;
        event->accept();
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool bCtrl = (mods & Qt::ControlModifier) != 0;
    const bool bAlt = (mods & Qt::AltModifier) != 0;
    // Ctrl+Alt is AltGr on some keyboards and types characters.
    const bool bShortcut = (bCtrl != bAlt) || (mods & Qt::MetaModifier) != 0;
    const QString text = event->text();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    {
        if (!bShortcut)
        {
            TypeText(QStringLiteral("\r"));
            event->accept();
            return;
        }
    }
    else if (!bShortcut && !text.isEmpty() && text.at(0).isPrint())
    {
        TypeText(text);
        event->accept();
        return;
    }
    CTarvoTextView::keyPressEvent(event);
}

// ---------------------------------------------------------------------------------------
// Mouse

void CTarvoTextEditView::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const bool bShift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool bCtrl = (event->modifiers() & Qt::ControlModifier) != 0;
    if (event->button() == Qt::LeftButton)
    {
        m_bDragStarted = false;
        m_controller.OnLButtonDown(pos.x(), pos.y(), bShift, bCtrl,
                                   static_cast<uint32_t>(event->timestamp()));
        Sync();
    }
    else if (event->button() == Qt::RightButton)
    {
        m_bDragStarted = false;
        m_bRightDown = true;
        m_controller.OnRButtonDown(pos.x(), pos.y());
        Sync();
    }
    event->accept();
}

void CTarvoTextEditView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
    {
        mousePressEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    m_controller.OnLButtonDblClk(pos.x(), pos.y(), static_cast<uint32_t>(event->timestamp()));
    Sync();
    event->accept();
}

void CTarvoTextEditView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    viewport()->setCursor(pos.x() < Layout().MarginWidth() ? Qt::ArrowCursor : Qt::IBeamCursor);
    if (event->buttons() == Qt::NoButton)
        return;
    if ((event->buttons() & Qt::RightButton) != 0)
        m_bRightDrag = true;
    m_controller.OnMouseMove(pos.x(), pos.y());
    m_bRightDrag = false;
    Sync();
}

void CTarvoTextEditView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton)
    {
        m_controller.OnLButtonUp(pos.x(), pos.y());
        Sync();
    }
    else if (event->button() == Qt::RightButton)
    {
        m_controller.OnRButtonUp();
        m_bRightDown = false;
        Sync();
        // The context menu follows a right click that did not become a drag.
        if (!m_bDragStarted)
            ShowContextMenu(pos);
    }
    event->accept();
}

void CTarvoTextEditView::contextMenuEvent(QContextMenuEvent* event)
{
    // A mouse right click opens the menu on release (after a possible drag); here only
    // the keyboard's menu key.
    if (event->reason() == QContextMenuEvent::Keyboard)
    {
        int x = 0;
        int y = 0;
        TextContextMenuPoint(true, 0, 0, x, y);
        ShowContextMenu(QPoint(x, y));
    }
    event->accept();
}

QMenu* CTarvoTextEditView::CreateContextMenu()
{
    auto* menu = new QMenu(this);
    for (const STextMenuItem& item : TextContextMenuItems())
    {
        if (item.nId == 0)
        {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromStdString(item.strText));
        SCommandState state;
        OnUpdateCommand(item.nId, state);
        action->setEnabled(state.bEnabled);
        action->setData(item.nId);
        const int nId = item.nId;
        connect(action, &QAction::triggered, this, [this, nId] { RunCommand(nId); });
    }
    return menu;
}

void CTarvoTextEditView::ShowContextMenu(const QPoint& clientPos)
{
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(clientPos));
}

void CTarvoTextEditView::focusOutEvent(QFocusEvent* event)
{
    // A drag of text keeps the focus where it is; any other loss ends a mouse selection.
    if (g_pDragSource != this && m_controller.IsMouseSelecting())
    {
        m_controller.OnCaptureLost();
        Sync();
    }
    CTarvoTextView::focusOutEvent(event);
}

// ---------------------------------------------------------------------------------------
// Drag and drop

int CTarvoTextEditView::RunDrag(const std::u16string& text, bool bAllowMove)
{
    m_bDragStarted = true;
    m_scrollTimer.stop();
    auto* data = new QMimeData;
    data->setText(QString::fromStdU16String(text));
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    g_pDragSource = this;
    m_bRightDrag = m_bRightDrag || m_bRightDown;
    const Qt::DropActions actions = bAllowMove ? (Qt::CopyAction | Qt::MoveAction) : Qt::CopyAction;
    const Qt::DropAction result = drag->exec(actions, bAllowMove ? Qt::MoveAction : Qt::CopyAction);
    g_pDragSource = nullptr;
    m_bRightDrag = false;
    m_bRightDown = false;
    HideDropCaret();
    if (result == Qt::MoveAction)
        return TextDropMove;
    return result == Qt::CopyAction ? TextDropCopy : TextDropNone;
}

bool CTarvoTextEditView::AcceptsDrag(const QMimeData* data) const
{
    if (data == nullptr || !data->hasText() || !m_controller.CanDrop())
        return false;
    // Files dropped from a file manager are opened by the main window, not inserted.
    if (data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                return false;
    return true;
}

void CTarvoTextEditView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!AcceptsDrag(event->mimeData()))
    {
        event->ignore();
        return;
    }
    const bool bCopy = (event->modifiers() & Qt::ControlModifier) != 0 ||
                       (event->possibleActions() & Qt::MoveAction) == 0;
    event->setDropAction(bCopy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    UpdateDropCaret(event->position().toPoint());
}

void CTarvoTextEditView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!AcceptsDrag(event->mimeData()))
    {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    CTextLayout& layout = Layout();
    // Near an edge the view scrolls a line or a column on each move.
    const int margin = layout.MarginWidth();
    if (pos.y() < 5)
        ScrollToRow(layout.GetTopSubLine() - 1);
    else if (pos.y() >= viewport()->height() - 5)
        ScrollToRow(layout.GetTopSubLine() + 1);
    if (pos.x() < margin + 5)
        ScrollToColumn(layout.GetOffsetChar() - 1);
    else if (pos.x() >= viewport()->width() - 5)
        ScrollToColumn(layout.GetOffsetChar() + 1);
    const bool bCopy = (event->modifiers() & Qt::ControlModifier) != 0 ||
                       (event->possibleActions() & Qt::MoveAction) == 0;
    event->setDropAction(bCopy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    UpdateDropCaret(pos);
}

void CTarvoTextEditView::dragLeaveEvent(QDragLeaveEvent* event)
{
    HideDropCaret();
    event->accept();
}

void CTarvoTextEditView::dropEvent(QDropEvent* event)
{
    HideDropCaret();
    if (!AcceptsDrag(event->mimeData()))
    {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const STextPosition pt = m_geometry.ClientToText(pos.x(), pos.y());
    bool bCopy = (event->modifiers() & Qt::ControlModifier) != 0 ||
                 (event->possibleActions() & Qt::MoveAction) == 0;
    if (g_pDragSource != nullptr && g_pDragSource->IsRightButtonDrag() &&
        (event->possibleActions() & Qt::MoveAction) != 0)
    {
        QMenu menu(this);
        for (const STextMenuItem& item : TextDropMenuItems())
        {
            if (item.nId == 0)
                menu.addSeparator();
            else
                menu.addAction(QString::fromStdString(item.strText))->setData(item.nId);
        }
        QAction* chosen = menu.exec(viewport()->mapToGlobal(pos));
        const int nId = chosen != nullptr ? chosen->data().toInt() : CmdDropCancel;
        if (nId != CmdDropMove && nId != CmdDropCopy)
        {
            event->setDropAction(Qt::IgnoreAction);
            event->ignore();
            return;
        }
        bCopy = nId == CmdDropCopy;
    }
    const int effect = m_controller.Drop(pt, event->mimeData()->text().toStdU16String(), bCopy);
    Sync();
    if (effect == TextDropNone)
    {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->setDropAction(effect == TextDropCopy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    activateWindow();
    setFocus();
}

void CTarvoTextEditView::UpdateDropCaret(const QPoint& pos)
{
    const STextPosition pt = m_geometry.ClientToText(pos.x(), pos.y());
    if (pt == m_ptDropCaret)
        return;
    if (m_ptDropCaret.x >= 0)
        RepaintLines(m_ptDropCaret.y, m_ptDropCaret.y);
    m_ptDropCaret = pt;
    RepaintLines(pt.y, pt.y);
}

void CTarvoTextEditView::HideDropCaret()
{
    if (m_ptDropCaret.x < 0)
        return;
    RepaintLines(m_ptDropCaret.y, m_ptDropCaret.y);
    m_ptDropCaret = {-1, -1};
}

void CTarvoTextEditView::paintEvent(QPaintEvent* event)
{
    CTarvoTextView::paintEvent(event);
    if (m_ptDropCaret.x < 0 || Layout().GetLineCount() == 0)
        return;
    // The drop caret: grey, 2 pixels wide, one row high; hidden left of the text.
    if (Layout().CharToColumn(m_ptDropCaret.y, m_ptDropCaret.x, false) < Layout().GetOffsetChar())
        return;
    const SClientPoint p = Layout().TextToClient(m_ptDropCaret);
    QPainter painter(viewport());
    painter.fillRect(QRect(p.x, p.y, 2, Layout().GetLineHeight()), QColor(128, 128, 128));
}

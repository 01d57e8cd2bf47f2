#include "textview/gui/TextEditFrameBinding.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <string>
#include <vector>

#include "platform/SystemInfo.h"
#include "textview/TextClipboard.h"
#include "textview/TextEditCommands.h"
#include "textview/TextFind.h"
#include "textview/gui/TarvoTextEditView.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
QString FromText(const std::string& text)
{
    return QString::fromStdU16String(TextToClipboard(text, GetTextCodePage()));
}

std::string ToText(const QString& text)
{
    int lost = 0;
    return ClipboardToText(text.toStdU16String(), "\r\n", GetTextCodePage(), lost);
}

// A key that only the focused view may have: no Ctrl, no Alt and not a function key.
bool IsWindowShortcut(const QString& key)
{
    const QKeySequence sequence = QKeySequence::fromString(key, QKeySequence::PortableText);
    if (sequence.isEmpty())
        return false;
    const QKeyCombination combination = sequence[0];
    if ((combination.keyboardModifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0)
        return true;
    return combination.key() >= Qt::Key_F1 && combination.key() <= Qt::Key_F35;
}

const int kEditMenu[] = {CmdUndo,
                         CmdRedo,
                         0,
                         CmdCut,
                         CmdCopy,
                         CmdPaste,
                         CmdDelete,
                         0,
                         CmdSelectAll,
                         0,
                         CmdCommentSelection,
                         CmdUncommentSelection,
                         0,
                         CmdLowercase,
                         CmdUppercase,
                         CmdInvertCase,
                         CmdCapitalize,
                         CmdSentenceCase,
                         0,
                         CmdToggleBookmark,
                         CmdNextBookmark,
                         CmdPrevBookmark,
                         CmdClearBookmarks,
                         0,
                         CmdGoLastChange,
                         CmdMatchBrace,
                         CmdHeaderSource,
                         0,
                         CmdReadOnly};
const int kSearchMenu[] = {CmdFind, CmdRepeatFind, CmdFindPrevious, CmdReplace, CmdHighlightAll,
                           0,       CmdGoTo};
} // namespace

void InstallTextEditCommands(CMainFrame& frame)
{
    // The frame keeps the pointers: the texts live as long as the process.
    static std::vector<std::string> keys;
    static std::vector<SCommandInfo> commands;
    if (commands.empty())
    {
        const std::vector<SCommandInfo>& table = TextEditCommandTable();
        keys.reserve(table.size());
        for (const SCommandInfo& info : table)
        {
            std::string kept;
            for (const QString& part : QString::fromLatin1(info.pszKeys).split(QLatin1Char(';')))
                if (IsWindowShortcut(part.trimmed()))
                    kept += (kept.empty() ? "" : "; ") + part.trimmed().toStdString();
            keys.push_back(kept);
        }
        for (size_t i = 0; i < table.size(); ++i)
            commands.push_back({table[i].nId, table[i].pszMenuText, keys[i].c_str()});
    }
    frame.RegisterCommands(commands);
    auto fill = [&frame](QMenu* menu, const int* ids, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
        {
            if (ids[i] == 0)
                menu->addSeparator();
            else
                menu->addAction(frame.CommandAction(ids[i]));
        }
    };
    fill(frame.Menu(QStringLiteral("&Edit")), kEditMenu, std::size(kEditMenu));
    fill(frame.Menu(QStringLiteral("&Search")), kSearchMenu, std::size(kSearchMenu));
    for (int nId : {CmdReadOnly, CmdHighlightAll})
        frame.CommandAction(nId)->setCheckable(true);
}

CTextEditFrameBinding::CTextEditFrameBinding(CMainFrame& frame, ITextSearchHistory& history)
    : QObject(&frame), m_frame(frame), m_history(history)
{
    QComboBox* box = m_frame.FindBox(kDocTypeText);
    if (box != nullptr)
    {
        // Enter is taken from the line edit before it reaches the combo box: the line edit
        // leaves the key unaccepted, and the combo box hands it back to the line edit, so
        // returnPressed comes twice for one key and one match would be skipped.
        box->lineEdit()->installEventFilter(this);
        FillFindBox();
    }
}

bool CTextEditFrameBinding::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
    {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
        {
            OnFindBoxEnter();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void CTextEditFrameBinding::SetActiveView(CTarvoTextEditView* pView)
{
    if (m_pView == pView)
        return;
    if (m_pView != nullptr)
    {
        m_pView->SetStateChangedHook({});
        m_pView->SetStatusHook({});
        STextEditHooks& hooks = m_pView->Controller().GetHooks();
        hooks.getFindBarText = {};
        hooks.setFindBarText = {};
    }
    m_pView = pView;
    if (pView == nullptr)
    {
        for (int pane = 1; pane <= 4; ++pane)
            m_frame.SetPaneText(pane, QString());
        m_frame.RequestCommandStateUpdate();
        return;
    }
    pView->Controller().SetSearchHistory(&m_history);
    pView->SetStateChangedHook([this] { UpdatePanes(); });
    pView->SetStatusHook([this](const QString& text) { m_frame.SetStatusText(text); });
    STextEditHooks& hooks = pView->Controller().GetHooks();
    hooks.getFindBarText = [this]
    {
        QComboBox* box = m_frame.FindBox(kDocTypeText);
        return box != nullptr ? ToText(box->currentText()) : std::string();
    };
    hooks.setFindBarText = [this](const std::string& text)
    {
        FillFindBox();
        if (QComboBox* box = m_frame.FindBox(kDocTypeText))
            box->setEditText(FromText(text));
    };
    // The box shows the view's search text.
    if (QComboBox* box = m_frame.FindBox(kDocTypeText))
        if (pView->Controller().GetFind().HasLastSearch())
            box->setEditText(FromText(pView->Controller().GetFind().GetLastSearchText()));
    UpdatePanes();
}

void CTextEditFrameBinding::UpdatePanes()
{
    if (m_pView == nullptr)
        return;
    CTarvoTextEditController& controller = m_pView->Controller();
    m_frame.SetPaneText(1, m_pView->PositionPaneText());
    m_frame.SetPaneText(2, m_pView->LineEndPaneText());
    const bool bReadOnly = controller.GetBuffer() != nullptr && !controller.CanEdit();
    m_frame.SetPaneText(3, bReadOnly ? QStringLiteral("RO") : QString());
    m_frame.SetPaneText(4, controller.IsOverwrite() ? QStringLiteral("OVR") : QString());
    m_frame.RequestCommandStateUpdate();
}

void CTextEditFrameBinding::FillFindBox()
{
    QComboBox* box = m_frame.FindBox(kDocTypeText);
    if (box == nullptr)
        return;
    const QString text = box->currentText();
    box->blockSignals(true);
    box->clear();
    for (const std::string& entry : m_history.GetFindTexts())
        box->addItem(FromText(entry));
    box->setEditText(text);
    box->blockSignals(false);
}

void CTextEditFrameBinding::OnFindBoxEnter()
{
    QComboBox* box = m_frame.FindBox(kDocTypeText);
    if (m_pView == nullptr || box == nullptr || box->currentText().isEmpty())
        return;
    const std::string text = ToText(box->currentText());
    m_pView->RunCommand(CmdFindNext);
    if (m_pView != nullptr && m_pView->Controller().GetFind().GetFoundFlag())
    {
        m_history.AddFindText(text);
        FillFindBox();
    }
}

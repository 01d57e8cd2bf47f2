#include "app/gui/HexEditWindows.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include <string>

#include "app/HexEditDoc.h"
#include "app/gui/DocumentWindows.h"
#include "hex/HexCommands.h"
#include "hex/HexEditController.h"
#include "hex/gui/HexEditModule.h"
#include "hex/gui/HexEditView.h"
#include "ui/CommandIds.h"
#include "ui/Options.h"
#include "ui/gui/MainFrame.h"

namespace
{
struct SMenuItem
{
    int nId;       // 0: a separator
    bool bHexOnly; // handled by the hex view alone: hidden while another kind is active
};

const SMenuItem kEditItems[] = {
    {HexCommand::kEditUndo, false},
    {0, false},
    {HexCommand::kEditCut, false},
    {HexCommand::kEditCopy, false},
    {HexCommand::kEditPaste, false},
    {HexCommand::kEditClear, false},
    {0, false},
    {HexCommand::kEditSelectAll, false},
    {0, true},
    {HexCommand::kToggleOvertype, true},
    {HexCommand::kReadOnly, true},
    {0, true},
    {HexCommand::kToggleBookmark, true},
    {HexCommand::kGotoBookmark, true},
    {HexCommand::kClearBookmarks, true},
};
const SMenuItem kSearchItems[] = {
    {HexCommand::kEditFind, false},
    {HexCommand::kFindNext, true},
    {HexCommand::kFindPrevious, true},
    {HexCommand::kHighlightAll, true},
    {0, true},
    {HexCommand::kGoTo, true},
};
const SMenuItem kViewItems[] = {
    {0, true},
    {HexCommand::kCharacterArea, true},
    {HexCommand::kDecimalAddresses, true},
};
} // namespace

CHexEditWindows::CHexEditWindows(CTarvoHexEditModule& module, CDocumentWindows& windows,
                                 CMainFrame& frame, SOptionsContext& options)
    : m_module(module), m_windows(windows), m_frame(frame), m_options(options)
{
    m_windows.SetHexViewFactory([this](CHexEditDoc& doc) { return MakeView(doc); });
    AddMenus();
    ConnectFindBox();
    connect(m_frame.MdiArea(), &QMdiArea::subWindowActivated, this,
            &CHexEditWindows::OnSubWindowActivated);

    m_options.hooks.readHexOptions = [this] { return SHexOptions::FromSettings(m_module); };
    m_options.hooks.writeHexOptions = [this](const SHexOptions& hex) { hex.ToSettings(m_module); };
    m_options.hooks.applyHexLayout = [this] { m_module.NotifySettingsChanged(); };
}

CHexEditWindows::~CHexEditWindows()
{
    m_module.SetSearchTextListener({});
    m_options.hooks.readHexOptions = nullptr;
    m_options.hooks.writeHexOptions = nullptr;
    m_options.hooks.applyHexLayout = nullptr;
    m_windows.SetHexViewFactory({});
}

QWidget* CHexEditWindows::MakeView(CHexEditDoc& doc)
{
    auto* pView = new CTarvoHexEditView(doc.GetBuffer(), m_module);
    pView->setObjectName(QStringLiteral("HexEditView"));
    // The view is destroyed with its document's windows, before the document.
    pView->SetSaveHandler(
        [this, &doc](bool bSaveAs)
        { return m_windows.OnDocumentCommand(doc, bSaveAs ? ID_FILE_SAVE_AS : ID_FILE_SAVE); });
    pView->SetStatusMessageHandler([this](const std::string& text)
                                   { m_frame.SetStatusText(QString::fromStdString(text)); });
    connect(pView, &CTarvoHexEditView::StatusChanged, this,
            [this, pView]
            {
                if (ActiveView() == pView)
                {
                    UpdatePanes(pView);
                    m_frame.RequestCommandStateUpdate();
                }
            });
    // A document opened before the main window shows (from the command line) activates
    // its window while the area is hidden, and the area does not tell: the bars and panes
    // follow the view once the event loop runs.
    QTimer::singleShot(0, pView,
                       [this, pView]
                       {
                           if (ActiveView() == pView)
                           {
                               UpdatePanes(pView);
                               ShowHexItems();
                           }
                       });
    return pView;
}

CTarvoHexEditView* CHexEditWindows::ActiveView() const
{
    QMdiSubWindow* pWindow = m_frame.MdiArea()->activeSubWindow();
    if (!pWindow)
    {
        // While the main window is not active the area names no active window; the
        // current tab is still the one the user works in.
        const auto list = m_frame.MdiArea()->subWindowList(QMdiArea::ActivationHistoryOrder);
        pWindow = list.isEmpty() ? nullptr : list.back();
    }
    return pWindow ? qobject_cast<CTarvoHexEditView*>(pWindow->widget()) : nullptr;
}

void CHexEditWindows::AddMenus()
{
    // Keys are the view's own (it takes them before the window's shortcuts while it has
    // the focus); the menus show them after a tab, so that no window-wide shortcut can
    // clash with another editor's key. An id another part has named keeps its text.
    for (const SCommandInfo& info : CHexEditController::GetCommands())
    {
        if (info.nId == HexCommand::kFileSave || info.nId == HexCommand::kFileSaveAs ||
            !m_frame.CommandAction(info.nId)->text().isEmpty())
            continue;
        std::string text = info.pszMenuText;
        if (info.pszKeys && *info.pszKeys)
            text += std::string("\t") + info.pszKeys;
        m_frame.RegisterCommands({{info.nId, text.c_str(), ""}});
    }

    auto addItems = [this](QMenu* pMenu, const auto& items)
    {
        for (const SMenuItem& item : items)
        {
            QAction* pAction = nullptr;
            if (item.nId == 0)
                pAction = pMenu->addSeparator();
            else if (pMenu->actions().contains(m_frame.CommandAction(item.nId)))
                continue; // another editor placed it already
            else
            {
                pAction = m_frame.CommandAction(item.nId);
                pMenu->addAction(pAction);
            }
            if (item.bHexOnly)
                m_hexOnlyItems.push_back(pAction);
        }
        connect(pMenu, &QMenu::aboutToShow, this, &CHexEditWindows::ShowHexItems);
    };
    addItems(m_frame.Menu(QStringLiteral("&Edit")), kEditItems);
    addItems(m_frame.Menu(QStringLiteral("&Search")), kSearchItems);
    addItems(m_frame.Menu(QStringLiteral("&View")), kViewItems);
    for (int nId : {HexCommand::kReadOnly, HexCommand::kHighlightAll, HexCommand::kCharacterArea,
                    HexCommand::kDecimalAddresses})
        m_frame.CommandAction(nId)->setCheckable(true);
    ShowHexItems();
}

void CHexEditWindows::ShowHexItems()
{
    const bool bHex = ActiveView() != nullptr;
    for (QAction* pAction : m_hexOnlyItems)
        pAction->setVisible(bHex);
}

void CHexEditWindows::ConnectFindBox()
{
    m_pFindBox = m_frame.FindBox(kDocTypeBinary);
    if (!m_pFindBox)
        return;
    FillFindBox();
    m_module.SetSearchTextListener([this] { FillFindBox(); });
    connect(m_pFindBox, &QComboBox::editTextChanged, this,
            [this](const QString& text)
            {
                if (!m_bFillingFindBox)
                    m_module.SetSearchText(text.toStdString());
            });
    // Return is taken here, from whichever gets it first: the combo box has the focus and
    // hands keys to its line edit by a direct call, and the line edit hands an unused
    // Return back to the combo box; listening to the line edit's signal would miss the
    // first road or search twice on the second.
    m_pFindBox->installEventFilter(this);
    m_pFindBox->lineEdit()->installEventFilter(this);
}

void CHexEditWindows::FillFindBox()
{
    if (!m_pFindBox)
        return;
    m_bFillingFindBox = true;
    m_pFindBox->clear();
    CRecentStringList& recent = m_module.GetRecentFind();
    for (int i = 0; i < recent.GetCount(); ++i)
        m_pFindBox->addItem(QString::fromStdString(recent.GetAt(i)));
    m_pFindBox->setEditText(QString::fromStdString(m_module.GetSearchText()));
    m_bFillingFindBox = false;
}

bool CHexEditWindows::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (m_pFindBox && (pWatched == m_pFindBox || pWatched == m_pFindBox->lineEdit()) &&
        pEvent->type() == QEvent::KeyPress)
    {
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if ((pKey->key() == Qt::Key_Return || pKey->key() == Qt::Key_Enter) && ActiveView())
        {
            FindFromBox((pKey->modifiers() & Qt::ShiftModifier) == 0);
            return true;
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

bool CHexEditWindows::FindFromBox(bool bForward)
{
    CTarvoHexEditView* pView = ActiveView();
    if (!pView || !m_pFindBox)
        return false;
    m_module.SetSearchText(m_pFindBox->currentText().toStdString());
    const bool bFound = pView->Find(bForward);
    pView->setFocus();
    return bFound;
}

void CHexEditWindows::UpdatePanes(CTarvoHexEditView* pView)
{
    if (m_frame.ActiveDocumentType() != kDocTypeBinary)
        m_frame.SetActiveDocumentType(kDocTypeBinary);
    const SHexStatus status = pView->GetStatus();
    m_frame.SetPaneText(1, QString::fromStdString(status.m_strByte));
    m_frame.SetPaneEnabled(1, status.m_bByteEnabled);
    m_frame.SetPaneText(2, QString::fromStdString(status.m_strPosition));
    m_frame.SetPaneText(3, QString::fromStdString(status.m_strReadOnly));
    m_frame.SetPaneText(4, QString::fromStdString(status.m_strOvertype));
    m_frame.SetPaneEnabled(4, status.m_bOvertypeEnabled);
}

void CHexEditWindows::OnSubWindowActivated(QMdiSubWindow*)
{
    if (CTarvoHexEditView* pView = ActiveView())
        UpdatePanes(pView);
    ShowHexItems();
}

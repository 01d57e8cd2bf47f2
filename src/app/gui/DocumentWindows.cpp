#include "app/gui/DocumentWindows.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>

#include "app/AppSettings.h"
#include "app/FileDialogModel.h"
#include "app/HexEditDoc.h"
#include "app/TextEditDoc.h"
#include "app/UserData.h"
#include "app/gui/FileDialogs.h"
#include "platform/FileWatch.h"
#include "platform/Folders.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

// One child frame of a document. Closing it by hand asks the document layer first; a
// frame closed because its document closes has no document any more and just goes.
class CDocChildFrame : public QMdiSubWindow
{
public:
    CDocChildFrame(CDocumentWindows& owner, CAppletDoc* pDoc) : m_owner(owner), m_pDoc(pDoc)
    {
        setAttribute(Qt::WA_DeleteOnClose);
    }
    CAppletDoc* Document() const { return m_pDoc; }
    void Detach() { m_pDoc = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (m_pDoc && !m_owner.CanCloseFrame(this))
        {
            event->ignore();
            return;
        }
        QMdiSubWindow::closeEvent(event);
    }

private:
    CDocumentWindows& m_owner;
    CAppletDoc* m_pDoc;
};

namespace
{
QString Q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Says what is open until the real view of the kind exists.
QWidget* MakePlaceholder(CAppletDoc& doc)
{
    QString kind;
    QString detail;
    if (auto* pText = dynamic_cast<CTextEditDoc*>(&doc))
    {
        kind = QObject::tr("Text document");
        detail = QObject::tr("%n line(s)", nullptr, pText->GetBuffer().GetLineCount());
    }
    else if (auto* pHex = dynamic_cast<CHexEditDoc*>(&doc))
    {
        kind = QObject::tr("Binary document");
        detail = QObject::tr("%1 bytes").arg(pHex->GetBuffer().GetLength());
    }
    else
    {
        kind = Q(doc.GetTitleText(false, false));
    }
    const QString path =
        doc.GetPathName().empty() ? QObject::tr("(untitled)") : Q(doc.GetPathName());
    auto* pLabel = new QLabel(QStringLiteral("<b>%1</b><br>%2<br>%3")
                                  .arg(kind.toHtmlEscaped(), path.toHtmlEscaped(), detail));
    pLabel->setObjectName(QStringLiteral("PlaceholderView"));
    pLabel->setAlignment(Qt::AlignCenter);
    pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return pLabel;
}
} // namespace

CDocumentWindows::CDocumentWindows(CAppletDocManager& manager, CDocumentHost& host,
                                   CUserData* pUserData, const CSyntaxParserFactory* pFactory)
    : m_manager(manager), m_host(host), m_pUserData(pUserData), m_pFactory(pFactory)
{
    m_manager.SetUi(this);
}

// The owner closes every document and unbinds the manager first.
CDocumentWindows::~CDocumentWindows() = default;

QWidget* CDocumentWindows::DialogParent() const
{
    return m_pFrame;
}

void CDocumentWindows::AttachFrame(CMainFrame* pFrame)
{
    m_pFrame = pFrame;
    pFrame->SetActiveRouteHook(
        [this](CCommandRoute& route)
        {
            // The active view first (it knows its own commands), then its document.
            if (QMdiSubWindow* pWindow = ActiveFrame())
                if (auto* pView = dynamic_cast<CCommandTarget*>(pWindow->widget()))
                    route.Add(pView);
            m_activeTarget.m_pDoc = ActiveDocument();
            if (m_textViewHooks.addToRoute && m_activeTarget.m_pDoc)
                m_textViewHooks.addToRoute(route, ActiveView(), m_activeTarget.m_pDoc);
            route.Add(&m_activeTarget);
            route.Add(this);
        });
    pFrame->SetDropHook(
        [this](const QStringList& paths)
        {
            for (const QString& path : paths)
                OpenFileAs(m_host, path.toStdString(), 0, false);
        });
    pFrame->SetCanCloseHook([this] { return CanCloseMainWindow(); });
    connect(pFrame->MdiArea(), &QMdiArea::subWindowActivated, this,
            &CDocumentWindows::OnSubWindowActivated);

    // The history entries stand before the separator above "Exit"; the menu shows as many
    // as the history has.
    QMenu* pFile = pFrame->Menu(QStringLiteral("&File"));
    for (int id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id)
    {
        QAction* pAction = pFrame->CommandAction(id);
        pFile->insertAction(pFrame->FileHistoryAnchor(), pAction);
    }
    connect(pFile, &QMenu::aboutToShow, this, &CDocumentWindows::RefreshHistoryMenu);
    RefreshHistoryMenu();
}

void CDocumentWindows::PostFileWatchNotification(const SFileWatchNotification& notification)
{
    QMetaObject::invokeMethod(
        this, [this, notification] { m_manager.OnFileWatchNotification(notification); },
        Qt::QueuedConnection);
}

QMdiSubWindow* CDocumentWindows::ActiveFrame() const
{
    if (!m_pFrame)
        return nullptr;
    QMdiSubWindow* pWindow = m_pFrame->MdiArea()->activeSubWindow();
    if (!pWindow)
    {
        // While the main window is not active the area names no active frame; the current
        // tab still is the document the user works on.
        const auto list = m_pFrame->MdiArea()->subWindowList(QMdiArea::ActivationHistoryOrder);
        pWindow = list.isEmpty() ? nullptr : list.back();
    }
    return pWindow;
}

CAppletDoc* CDocumentWindows::ActiveDocument() const
{
    auto* pWindow = dynamic_cast<CDocChildFrame*>(ActiveFrame());
    return pWindow ? pWindow->Document() : nullptr;
}

QWidget* CDocumentWindows::ActiveView() const
{
    if (!m_pFrame)
        return nullptr;
    QMdiSubWindow* pWindow = m_pFrame->MdiArea()->activeSubWindow();
    if (!pWindow)
    {
        const auto list = m_pFrame->MdiArea()->subWindowList(QMdiArea::ActivationHistoryOrder);
        pWindow = list.isEmpty() ? nullptr : list.back();
    }
    return pWindow ? pWindow->widget() : nullptr;
}

std::vector<QMdiSubWindow*> CDocumentWindows::FramesOf(const CAppletDoc& doc) const
{
    std::vector<QMdiSubWindow*> frames;
    auto it = m_frames.find(&doc);
    if (it != m_frames.end())
        frames.assign(it->second.begin(), it->second.end());
    return frames;
}

bool CDocumentWindows::ActivateDocument(CAppletDoc& doc)
{
    const auto frames = FramesOf(doc);
    if (frames.empty() || !m_pFrame)
        return false;
    m_pFrame->MdiArea()->setActiveSubWindow(frames.front());
    frames.front()->setFocus();
    m_pFrame->activateWindow();
    return true;
}

QIcon CDocumentWindows::DocumentIcon(const CAppletDoc& doc)
{
    QIcon icon;
    if (!doc.GetPathName().empty())
        icon = QFileIconProvider().icon(QFileInfo(Q(doc.GetPathName())));
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

QWidget* CDocumentWindows::MakeView(CAppletDoc& doc)
{
    QWidget* pView = nullptr;
    if (auto* pText = dynamic_cast<CTextEditDoc*>(&doc); pText && m_textViewFactory)
        pView = m_textViewFactory(*pText);
    else if (auto* pHex = dynamic_cast<CHexEditDoc*>(&doc); pHex && m_hexViewFactory)
        pView = m_hexViewFactory(*pHex);
    else if (doc.GetDocType() == CAppletDoc::DocTypeFindInFiles && m_toolViewFactory)
        pView = m_toolViewFactory(doc);
    return pView ? pView : MakePlaceholder(doc);
}

void CDocumentWindows::OnDocumentCreated(CAppletDoc& doc)
{
    if (!m_pFrame)
        return;
    auto* pChild = new CDocChildFrame(*this, &doc);
    pChild->setWidget(MakeView(doc));
    pChild->setWindowTitle(Q(doc.GetTitle()));
    pChild->setWindowIcon(DocumentIcon(doc));
    m_frames[&doc].push_back(pChild);
    m_pFrame->MdiArea()->addSubWindow(pChild);
    pChild->showMaximized();
    m_pFrame->MdiArea()->setActiveSubWindow(pChild);
    // While the main window is not the active window the area signals no activation; the
    // new tab is the current document all the same (bars, panes and route follow it).
    if (m_pFrame->MdiArea()->activeSubWindow() != pChild)
        OnSubWindowActivated(pChild);
    if (m_historyHooks.opened && !doc.GetPathName().empty())
        m_historyHooks.opened(doc);
}

void CDocumentWindows::OnDocumentClosing(CAppletDoc& doc)
{
    auto it = m_frames.find(&doc);
    if (it == m_frames.end())
        return;
    const std::vector<CDocChildFrame*> frames = it->second;
    m_frames.erase(it);
    if (m_textViewHooks.closing)
        for (CDocChildFrame* pChild : frames)
            if (pChild->widget())
                m_textViewHooks.closing(pChild->widget(), doc);
    for (CDocChildFrame* pChild : frames)
    {
        pChild->Detach();
        // The view goes now, not with the frame's deferred deletion: it reads the
        // document's data, which is destroyed when this returns.
        if (QWidget* pView = pChild->widget())
        {
            pChild->setWidget(nullptr);
            delete pView;
        }
        // A frame that is closing already (the user closed it) finishes on its own.
        if (pChild->isVisible())
            pChild->close();
    }
    if (m_pFrame && m_frames.empty())
        m_pFrame->SetActiveDocumentType(0);
}

void CDocumentWindows::OnTitleChanged(CAppletDoc& doc)
{
    for (QMdiSubWindow* pChild : FramesOf(doc))
        pChild->setWindowTitle(Q(doc.GetTitle()));
    if (m_pFrame && ActiveDocument() == &doc)
        m_pFrame->setWindowTitle(Q(doc.GetTitle()) + QStringLiteral(" - Scrivel"));
}

void CDocumentWindows::OnPathChanged(CAppletDoc& doc)
{
    const QIcon icon = DocumentIcon(doc);
    for (QMdiSubWindow* pChild : FramesOf(doc))
        pChild->setWindowIcon(icon);
}

void CDocumentWindows::UpdateViews(CAppletDoc& doc)
{
    // The placeholder shows what it was made with; it is made again. A real view re-reads
    // its buffer when told by the buffer.
    for (QMdiSubWindow* pChild : FramesOf(doc))
        if (pChild->widget() && pChild->widget()->objectName() == QStringLiteral("PlaceholderView"))
            pChild->setWidget(MakeView(doc));
        else if (pChild->widget())
        {
            if (m_textViewHooks.reloaded)
                m_textViewHooks.reloaded(pChild->widget(), doc);
            pChild->widget()->update();
        }
}

void CDocumentWindows::OnSubWindowActivated(QMdiSubWindow*)
{
    if (!m_pFrame)
        return;
    CAppletDoc* pDoc = ActiveDocument();
    m_pFrame->SetActiveDocumentType(pDoc ? pDoc->GetDocType() : 0);
    if (m_textViewHooks.activated)
        m_textViewHooks.activated(pDoc ? ActiveView() : nullptr, pDoc);
    m_pFrame->setWindowTitle(pDoc ? Q(pDoc->GetTitle()) + QStringLiteral(" - Scrivel")
                                  : QStringLiteral("Scrivel"));
}

bool CDocumentWindows::AskYesNo(const std::string& question)
{
    if (m_prompts.askYesNo)
        return m_prompts.askYesNo(question);
    QString text = Q(question);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return QMessageBox::question(DialogParent(), QStringLiteral("Scrivel"), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

CDocumentUi::ESaveAnswer CDocumentWindows::AskSaveChanges(CAppletDoc& doc)
{
    const std::string title = doc.GetTitleText(true, false);
    if (m_prompts.askSaveChanges)
        return m_prompts.askSaveChanges(title);
    ActivateDocument(doc);
    const auto answer = QMessageBox::question(
        DialogParent(), QStringLiteral("Scrivel"), tr("Save changes to %1?").arg(Q(title)),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return AnswerSave;
    return answer == QMessageBox::Discard ? AnswerDiscard : AnswerCancel;
}

bool CDocumentWindows::PromptSaveAs(CAppletDoc&, SSaveAsPrompt& prompt)
{
    if (m_prompts.promptSaveAs)
        return m_prompts.promptSaveAs(prompt);
    std::string lastFolder = m_pUserData ? m_pUserData->GetLastFolder() : std::string();
    const bool bOk = RunSaveAsDialog(
        DialogParent(), prompt, FileDialogStartFolder(lastFolder, QDir::homePath().toStdString()));
    if (bOk && m_pUserData)
        m_pUserData->SetLastFolder(FileDialogFolderToRemember({prompt.strPath}, lastFolder));
    return bOk;
}

void CDocumentWindows::ShowError(const std::string& text)
{
    if (m_prompts.showError)
    {
        m_prompts.showError(text);
        return;
    }
    QString message = Q(text);
    message.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox::warning(DialogParent(), QStringLiteral("Scrivel"), message);
}

void CDocumentWindows::ShowStatus(const std::string& text)
{
    if (m_pFrame)
        m_pFrame->SetStatusText(Q(text));
}

// Closed files go to the history with their kind; the owner of the history hooks adds the
// place of the document's view. Without them the record has no place.
void CDocumentWindows::RecordClosedDocument(CAppletDoc& doc)
{
    if (doc.GetPathName().empty())
        return;
    if (m_historyHooks.closed)
    {
        m_historyHooks.closed(doc);
        return;
    }
    if (!m_pUserData)
        return;
    const int nKind = doc.GetDocType() == CAppletDoc::DocTypeText ? 1 : 2;
    m_pUserData->GetHistory().AddFileRecord(doc.GetPathName(), nKind, 0, 0, 0, 0, -1, -1, -1, -1);
}

bool CDocumentWindows::CanCloseMainWindow()
{
    if (!m_manager.SaveAllModified())
        return false;
    for (const auto& pTemplate : m_manager.GetTemplates())
        pTemplate->CloseAllDocumentsBut(nullptr);
    return true;
}

bool CDocumentWindows::CanCloseFrame(CDocChildFrame* pFrame)
{
    CAppletDoc* pDoc = pFrame->Document();
    if (!pDoc)
        return true;
    auto& frames = m_frames[pDoc];
    if (frames.size() > 1)
    {
        // Another frame still shows the document.
        frames.erase(std::remove(frames.begin(), frames.end(), pFrame), frames.end());
        pFrame->Detach();
        return true;
    }
    // Closing the document detaches and closes its frames, this one included.
    return m_manager.CloseDocument(pDoc);
}

// --- Commands --------------------------------------------------------------------------------

bool CDocumentWindows::OnUpdateCommand(int nId, SCommandState& state)
{
    switch (nId)
    {
    case ID_FILE_NEW_TEXT:
    case ID_FILE_NEW_BINARY:
    case ID_FILE_OPEN:
    case ID_FILE_SAVE_ALL:
        return true;
    case ID_FILE_CLOSE_ALL:
        state.bEnabled = m_manager.GetDocumentCount() > 0;
        return true;
    default:
        break;
    }
    if (nId >= ID_FILE_MRU_FIRST && nId <= ID_FILE_MRU_LAST)
    {
        const size_t n = static_cast<size_t>(nId - ID_FILE_MRU_FIRST);
        state.bEnabled = n < m_historyTexts.size() && !m_historyTexts[n].empty();
        if (n < m_historyTexts.size())
            state.SetText(m_historyTexts[n]);
        return true;
    }
    return false;
}

bool CDocumentWindows::OnCommand(int nId)
{
    switch (nId)
    {
    case ID_FILE_NEW_TEXT:
        OpenTextFile(m_host, "", false);
        return true;
    case ID_FILE_NEW_BINARY:
        OpenBinaryFile(m_host, "", false);
        return true;
    case ID_FILE_OPEN:
        OnFileOpen();
        return true;
    case ID_FILE_SAVE_ALL:
        m_manager.SaveAll();
        return true;
    case ID_FILE_CLOSE_ALL:
        m_manager.CloseAllDocuments();
        return true;
    default:
        break;
    }
    if (nId >= ID_FILE_MRU_FIRST && nId <= ID_FILE_MRU_LAST)
    {
        OpenHistoryEntry(nId - ID_FILE_MRU_FIRST);
        return true;
    }
    return false;
}

bool CDocumentWindows::OnUpdateDocumentCommand(CAppletDoc& doc, int nId, SCommandState& state)
{
    if (nId == ID_FILE_CLOSE)
        return true;
    if (nId == ID_FILE_CLOSE_ALL_BUT_THIS)
    {
        state.bEnabled = m_manager.GetDocumentCount() > 1;
        return true;
    }
    auto* pFile = dynamic_cast<CFileEditDoc*>(&doc);
    if (!pFile)
        return false;
    switch (nId)
    {
    case ID_FILE_SAVE:
        state.bEnabled = pFile->IsModified();
        return true;
    case ID_FILE_SAVE_AS:
        return true;
    case ID_FILE_RELOAD:
    case ID_FILE_COPY_FULL_PATH:
    case ID_FILE_OPEN_CONTAINING_FOLDER:
        state.bEnabled = pFile->HasPath();
        return true;
    case ID_FILE_PROPERTIES:
        state.bEnabled = pFile->FileExists();
        return true;
    default:
        return false;
    }
}

bool CDocumentWindows::OnDocumentCommand(CAppletDoc& doc, int nId)
{
    switch (nId)
    {
    case ID_FILE_CLOSE:
        m_manager.CloseDocument(&doc);
        return true;
    case ID_FILE_CLOSE_ALL_BUT_THIS:
        m_manager.CloseAllDocuments(&doc);
        return true;
    default:
        break;
    }
    auto* pFile = dynamic_cast<CFileEditDoc*>(&doc);
    if (!pFile)
        return false;
    switch (nId)
    {
    case ID_FILE_SAVE:
        pFile->DoFileSave();
        return true;
    case ID_FILE_SAVE_AS:
        pFile->DoSaveAs();
        return true;
    case ID_FILE_RELOAD:
        pFile->Reload(true);
        return true;
    case ID_FILE_COPY_FULL_PATH:
        QGuiApplication::clipboard()->setText(Q(pFile->GetPathName()));
        return true;
    case ID_FILE_OPEN_CONTAINING_FOLDER:
        OpenContainingFolder(pFile->GetPathName());
        return true;
    case ID_FILE_PROPERTIES:
        ShowFileProperties(pFile->GetPathName());
        return true;
    default:
        return false;
    }
}

void CDocumentWindows::OnFileOpen()
{
    std::vector<std::string> files;
    int nItem = 0;
    bool bReadOnly = false;
    const std::string lastFolder = m_pUserData ? m_pUserData->GetLastFolder() : std::string();
    bool bOk;
    if (m_prompts.promptOpen)
        bOk = m_prompts.promptOpen(files, nItem, bReadOnly);
    else
        bOk = RunOpenDialog(DialogParent(), m_pFactory,
                            FileDialogStartFolder(lastFolder, QDir::homePath().toStdString()),
                            files, nItem, bReadOnly);
    if (!bOk)
        return;
    if (m_pUserData)
        m_pUserData->SetLastFolder(FileDialogFolderToRemember(files, lastFolder));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (const auto& request : COpenAsChoice::Requests(files, nItem, bReadOnly))
        OpenFileAs(m_host, request.strPath, request.nKind, request.bReadOnly);
    QApplication::restoreOverrideCursor();
}

void CDocumentWindows::OpenFiles(const std::vector<std::string>& files, int nKind, bool bReadOnly)
{
    for (const std::string& file : files)
        OpenFileAs(m_host, file, nKind, bReadOnly);
}

void CDocumentWindows::RefreshHistoryMenu()
{
    if (!m_pFrame)
        return;
    m_historyTexts.clear();
    if (m_pUserData)
    {
        SFileRecordMenuState state;
        state.nFirstCommandId = ID_FILE_MRU_FIRST;
        state.nMaxItems = ID_FILE_MRU_LAST - ID_FILE_MRU_FIRST + 1;
        state.strCurrentText = "Recent Files";
        m_pUserData->GetHistory().UpdateFileRecordMenu(state);
        for (const SFileRecordMenuItem& item : state.items)
        {
            // A plain text: '&' is doubled so that it shows; the first nine get a key.
            const size_t n = m_historyTexts.size();
            std::string text;
            if (item.bEnabled && n < 9)
            {
                text += '&';
                text += std::to_string(n + 1);
                text += ' ';
            }
            for (char c : item.strText)
                text += c == '&' ? std::string("&&") : std::string(1, c);
            m_historyTexts.push_back(item.bEnabled ? text : std::string());
        }
    }
    for (int id = ID_FILE_MRU_FIRST; id <= ID_FILE_MRU_LAST; ++id)
    {
        const size_t n = static_cast<size_t>(id - ID_FILE_MRU_FIRST);
        QAction* pAction = m_pFrame->CommandAction(id);
        const bool bShown = n < m_historyTexts.size() && !m_historyTexts[n].empty();
        pAction->setVisible(bShown);
        if (bShown)
            pAction->setText(Q(m_historyTexts[n]));
    }
}

void CDocumentWindows::OpenHistoryEntry(int nIndex)
{
    if (!m_pUserData || nIndex < 0 || nIndex >= m_pUserData->GetHistory().GetCount())
        return;
    const SFileRecord record = m_pUserData->GetHistory().GetAt(nIndex);
    const int nKind = record.nType == 1 || record.nType == 2 ? record.nType : 0;
    if (!OpenFileAs(m_host, record.strPath, nKind, false))
    {
        // The record may have moved while the file was opened (closing adds records).
        CHistoryManager& history = m_pUserData->GetHistory();
        for (int i = 0; i < history.GetCount(); ++i)
            if (history.GetAt(i).strPath == record.strPath &&
                history.GetAt(i).nType == record.nType)
            {
                history.RemoveFileRecord(i);
                break;
            }
    }
    RefreshHistoryMenu();
}

void CDocumentWindows::ShowFileProperties(const std::string& path)
{
    CFilePropertiesDlg dlg(Q(path), DialogParent());
    dlg.exec();
}

void CDocumentWindows::OpenContainingFolder(const std::string& path)
{
    ShowFileInFileManager(Q(path));
}

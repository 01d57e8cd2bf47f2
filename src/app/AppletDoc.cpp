#include "app/AppletDoc.h"

#include "app/AppSettings.h"
#include "app/AppletDocTemplate.h"
#include "platform/FileWatch.h"
#include "platform/Folders.h"

#include <cstdio>

namespace
{
std::string Format(const char* format, const std::string& text)
{
    std::string out(text.size() + 128, '\0');
    const int n = std::snprintf(out.data(), out.size(), format, text.c_str());
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}
} // namespace

CAppletDoc::CAppletDoc(CAppletDocTemplate& docTemplate, int nDocType)
    : m_template(docTemplate), m_nDocType(nDocType)
{
}

CAppletDoc::~CAppletDoc() = default;

CAppletDocManager& CAppletDoc::GetManager() const
{
    return m_template.GetManager();
}

CDocumentUi* CAppletDoc::GetUi() const
{
    return GetManager().GetUi();
}

std::string CAppletDoc::GetTitleText(bool, bool) const
{
    return m_strBaseTitle;
}

void CAppletDoc::SetTitle(const std::string& title)
{
    m_strBaseTitle = title;
    UpdateTitle();
}

void CAppletDoc::UpdateTitle()
{
    std::string title = GetTitleText(GetManager().GetSettings().m_bShowLongTitle, true);
    if (title == m_strTitle)
        return;
    m_strTitle = std::move(title);
    if (CDocumentUi* pUi = GetUi())
        pUi->OnTitleChanged(*this);
}

void CAppletDoc::SetPathName(const std::string& path)
{
    const bool bChanged = path != m_strPath;
    m_strPath = path;
    if (bChanged)
        if (CDocumentUi* pUi = GetUi())
            pUi->OnPathChanged(*this);
    UpdateTitle();
}

bool CAppletDoc::OnNewDocument()
{
    m_nNewDocumentNumber = GetManager().TakeNewDocumentNumber();
    return true;
}

bool CAppletDoc::OnOpenDocument(const std::string& path)
{
    SetPathName(path);
    return true;
}

bool CAppletDoc::OnSaveDocument(const std::string&)
{
    return false;
}

void CAppletDoc::OnCloseDocument()
{
    StopWatching();
}

bool CAppletDoc::DoFileSave()
{
    if (m_strPath.empty())
        return DoSaveAs();
    return OnSaveDocument(m_strPath);
}

bool CAppletDoc::DoSaveAs()
{
    std::string path = m_strPath;
    if (!GetManager().DoPromptFileName(*this, path))
        return false;
    return OnSaveDocument(path);
}

bool CAppletDoc::SaveModified()
{
    if (!IsModified())
        return true;
    CDocumentUi* pUi = GetUi();
    const CDocumentUi::ESaveAnswer answer =
        pUi ? pUi->AskSaveChanges(*this) : CDocumentUi::AnswerCancel;
    switch (answer)
    {
    case CDocumentUi::AnswerSave:
        return DoFileSave();
    case CDocumentUi::AnswerDiscard:
        return true;
    default:
        return false;
    }
}

// --- CFileEditDoc ----------------------------------------------------------------------------

std::string CFileEditDoc::GetTitleText(bool bFullPath, bool bModifiedMark) const
{
    std::string title;
    if (GetPathName().empty())
        title = "New " + std::to_string(GetNewDocumentNumber());
    else
        title = bFullPath ? GetPathName() : NameOfPath(GetPathName());
    if (bModifiedMark && IsModified())
        title = "* " + title;
    return title;
}

bool CFileEditDoc::FileExists() const
{
    return HasPath() && PathExists(GetPathName());
}

void CFileEditDoc::StartWatching()
{
    StartWatchingPath(GetPathName());
}

void CFileEditDoc::StartWatchingPath(const std::string& path)
{
    CFileWatchService* pWatch = GetManager().GetWatchService();
    if (m_nFileWatchId != 0 || !pWatch || path.empty() || !GetManager().GetSettings().m_bFileWatch)
        return;
    m_nFileWatchId = pWatch->AddWatch(path);
    if (m_nFileWatchId != 0)
        pWatch->SetWatchValue(m_nFileWatchId, 0);
}

void CFileEditDoc::StopWatching()
{
    if (m_nFileWatchId == 0)
        return;
    if (CFileWatchService* pWatch = GetManager().GetWatchService())
        pWatch->RemoveWatch(m_nFileWatchId);
    m_nFileWatchId = 0;
}

void CFileEditDoc::OnCloseDocument()
{
    if (CDocumentUi* pUi = GetUi())
        pUi->RecordClosedDocument(*this);
    StopWatching();
}

void CFileEditDoc::OnFileWatchNotification(const SFileWatchNotification& notification)
{
    CDocumentUi* pUi = GetUi();
    // A question is open already: it is about the same file, and answering it reads the
    // file as it is then.
    if (!pUi || m_bAsking)
        return;
    if (notification.nKind == SFileWatchNotification::Missing)
    {
        pUi->ShowStatus(Format("%s no longer exists; Save writes it again.", GetPathName()));
        SetModified(true);
        UpdateTitle();
        return;
    }
    m_bAsking = true;
    const bool bReload = pUi->AskYesNo(Format("%s is changed, reload it?", GetPathName()));
    m_bAsking = false;
    if (bReload)
        Reload(false);
}

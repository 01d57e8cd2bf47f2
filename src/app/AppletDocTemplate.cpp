#include "app/AppletDocTemplate.h"

#include "app/AppSettings.h"
#include "platform/FileWatch.h"
#include "platform/Folders.h"

#include <algorithm>

CAppletDocTemplate::CAppletDocTemplate(CAppletDocManager& manager, int nDocType)
    : m_manager(manager), m_nDocType(nDocType)
{
}

CAppletDocTemplate::~CAppletDocTemplate()
{
    CloseAllDocumentsBut(nullptr);
}

std::vector<CAppletDoc*> CAppletDocTemplate::GetDocuments() const
{
    std::vector<CAppletDoc*> docs;
    docs.reserve(m_documents.size());
    for (const auto& doc : m_documents)
        docs.push_back(doc.get());
    return docs;
}

CAppletDoc* CAppletDocTemplate::OpenDocumentFile(const std::string& path)
{
    std::unique_ptr<CAppletDoc> pDoc = CreateDocument();
    if (!pDoc)
        return nullptr;
    const bool bMade = path.empty() ? pDoc->OnNewDocument() : pDoc->OnOpenDocument(path);
    if (!bMade)
        return nullptr;
    CAppletDoc* pResult = pDoc.get();
    m_documents.push_back(std::move(pDoc));
    pResult->UpdateTitle();
    if (CDocumentUi* pUi = m_manager.GetUi())
        pUi->OnDocumentCreated(*pResult);
    pResult->StartWatching();
    return pResult;
}

CAppletDoc* CAppletDocTemplate::FindOpenDocument(const std::string& path) const
{
    if (path.empty())
        return nullptr;
    const std::string wanted = MakeAbsolutePath(path);
    for (const auto& doc : m_documents)
        if (!doc->GetPathName().empty() && PathsEqual(MakeAbsolutePath(doc->GetPathName()), wanted))
            return doc.get();
    return nullptr;
}

void CAppletDocTemplate::CloseDocument(CAppletDoc* pDocument)
{
    auto it = std::find_if(m_documents.begin(), m_documents.end(),
                           [pDocument](const auto& p) { return p.get() == pDocument; });
    if (it == m_documents.end())
        return;
    pDocument->OnCloseDocument();
    if (CDocumentUi* pUi = m_manager.GetUi())
        pUi->OnDocumentClosing(*pDocument);
    // Taken out of the list before it is destroyed, so nothing reaches it half-destroyed.
    std::unique_ptr<CAppletDoc> pOwned = std::move(*it);
    m_documents.erase(it);
}

bool CAppletDocTemplate::SaveAll()
{
    bool bAll = true;
    for (CAppletDoc* pDoc : GetDocuments())
        if (pDoc->IsModified() && !pDoc->DoFileSave())
            bAll = false;
    return bAll;
}

void CAppletDocTemplate::CloseAllDocumentsBut(const CAppletDoc* pKeep)
{
    for (CAppletDoc* pDoc : GetDocuments())
        if (pDoc != pKeep)
            CloseDocument(pDoc);
}

void CAppletDocTemplate::UpdateAllViews()
{
    if (CDocumentUi* pUi = m_manager.GetUi())
        for (CAppletDoc* pDoc : GetDocuments())
            pUi->UpdateViews(*pDoc);
}

void CAppletDocTemplate::UpdateTitles()
{
    for (CAppletDoc* pDoc : GetDocuments())
        pDoc->UpdateTitle();
}

void CAppletDocTemplate::ApplyFileWatch()
{
    const bool bOn = m_manager.GetSettings().m_bFileWatch;
    for (CAppletDoc* pDoc : GetDocuments())
    {
        if (bOn && pDoc->GetFileWatchId() == 0)
            pDoc->StartWatching();
        else if (!bOn && pDoc->GetFileWatchId() != 0)
            pDoc->StopWatching();
    }
}

bool CAppletDocTemplate::PromptFileName(CAppletDoc&, std::string&)
{
    return false;
}

bool CFileEditDocTemplate::PromptFileName(CAppletDoc& doc, std::string& path)
{
    CDocumentUi* pUi = GetManager().GetUi();
    if (!pUi)
        return false;
    SSaveAsPrompt prompt;
    prompt.strPath = doc.GetPathName();
    prompt.strFilter = "All Files (*.*)|*.*||";
    prompt.nFilterIndex = 1;
    if (!pUi->PromptSaveAs(doc, prompt) || prompt.strPath.empty())
        return false;
    path = prompt.strPath;
    return true;
}

// --- CAppletDocManager -----------------------------------------------------------------------

CAppletDocManager::CAppletDocManager(CAppSettings& settings, CFileWatchService* pWatch)
    : m_settings(settings), m_pWatch(pWatch)
{
}

CAppletDocManager::~CAppletDocManager()
{
    // Documents close while every template still exists (a document may look at another
    // template while it closes).
    for (auto& pTemplate : m_templates)
        pTemplate->CloseAllDocumentsBut(nullptr);
}

CAppletDocTemplate* CAppletDocManager::AddTemplate(std::unique_ptr<CAppletDocTemplate> pTemplate)
{
    m_templates.push_back(std::move(pTemplate));
    return m_templates.back().get();
}

CAppletDocTemplate* CAppletDocManager::GetTemplate(int nDocType) const
{
    for (const auto& pTemplate : m_templates)
        if (pTemplate->GetDocType() == nDocType)
            return pTemplate.get();
    return nullptr;
}

std::vector<CAppletDoc*> CAppletDocManager::GetDocuments() const
{
    std::vector<CAppletDoc*> docs;
    for (const auto& pTemplate : m_templates)
        for (CAppletDoc* pDoc : pTemplate->GetDocuments())
            docs.push_back(pDoc);
    return docs;
}

size_t CAppletDocManager::GetDocumentCount() const
{
    return GetDocuments().size();
}

bool CAppletDocManager::DoPromptFileName(CAppletDoc& doc, std::string& path)
{
    const int nType = doc.GetTemplate().GetDocType();
    if (nType != CAppletDoc::DocTypeText && nType != CAppletDoc::DocTypeBinary)
        return false;
    return doc.GetTemplate().PromptFileName(doc, path);
}

bool CAppletDocManager::SaveAll()
{
    bool bAll = true;
    for (const auto& pTemplate : m_templates)
        bAll = pTemplate->SaveAll() && bAll;
    return bAll;
}

bool CAppletDocManager::SaveAllModified(const CAppletDoc* pExcept)
{
    for (CAppletDoc* pDoc : GetDocuments())
        if (pDoc != pExcept && !pDoc->SaveModified())
            return false;
    return true;
}

bool CAppletDocManager::CloseAllDocuments(const CAppletDoc* pExcept)
{
    if (!SaveAllModified(pExcept))
        return false;
    for (const auto& pTemplate : m_templates)
        pTemplate->CloseAllDocumentsBut(pExcept);
    return true;
}

bool CAppletDocManager::CloseDocument(CAppletDoc* pDocument)
{
    if (!pDocument->SaveModified())
        return false;
    pDocument->GetTemplate().CloseDocument(pDocument);
    return true;
}

void CAppletDocManager::UpdateTitles()
{
    for (const auto& pTemplate : m_templates)
        pTemplate->UpdateTitles();
}

void CAppletDocManager::ApplyFileWatch()
{
    for (const auto& pTemplate : m_templates)
        pTemplate->ApplyFileWatch();
}

CAppletDoc* CAppletDocManager::FindDocumentByWatchId(uint32_t nWatchId) const
{
    if (nWatchId == 0)
        return nullptr;
    for (CAppletDoc* pDoc : GetDocuments())
        if (pDoc->GetFileWatchId() == nWatchId)
            return pDoc;
    return nullptr;
}

void CAppletDocManager::OnFileWatchNotification(const SFileWatchNotification& notification)
{
    if (auto* pDoc = dynamic_cast<CFileEditDoc*>(FindDocumentByWatchId(notification.nWatchId)))
        pDoc->OnFileWatchNotification(notification);
}

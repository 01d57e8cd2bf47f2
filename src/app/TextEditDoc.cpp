#include "app/TextEditDoc.h"

#include "navigate/FileRecordManager.h"
#include "syntax/SyntaxParserFactory.h"

CTextEditDoc::CTextEditDoc(CAppletDocTemplate& docTemplate)
    : CFileEditDoc(docTemplate, DocTypeText), m_logic(MakeHooks())
{
}

STextDocumentHooks CTextEditDoc::MakeHooks()
{
    STextDocumentHooks hooks;
    hooks.isFavorite = [this](const std::string& path)
    {
        auto* pTemplate = dynamic_cast<CTextEditDocTemplate*>(&GetTemplate());
        return pTemplate && pTemplate->GetFavorites() &&
               pTemplate->GetFavorites()->IsFavorite(path);
    };
    // The logic suspends watching around a save (naming the path written, which becomes
    // the document's path) and around a reload.
    hooks.stopWatching = [this](const std::string&) { StopWatching(); };
    hooks.startWatching = [this](const std::string& path) { StartWatchingPath(path); };
    hooks.askYesNo = [this](const std::string& question)
    {
        if (m_bReloadAgreed)
            return true;
        CDocumentUi* pUi = GetUi();
        return pUi && pUi->AskYesNo(question);
    };
    hooks.reloadViews = [this]
    {
        if (CDocumentUi* pUi = GetUi())
            pUi->UpdateViews(*this);
    };
    hooks.modifiedChanged = [this] { UpdateTitle(); };
    return hooks;
}

CTextEditDoc::~CTextEditDoc() = default;

void CTextEditDoc::SetModified(bool bModified)
{
    GetBuffer().SetModified(bModified);
    UpdateTitle();
}

bool CTextEditDoc::OnNewDocument()
{
    if (!CFileEditDoc::OnNewDocument())
        return false;
    m_logic.OnNewDocument();
    return true;
}

bool CTextEditDoc::OnOpenDocument(const std::string& path)
{
    if (!m_logic.OnOpenDocument(path))
    {
        if (CDocumentUi* pUi = GetUi())
            pUi->ShowError(path + "\r" + m_logic.GetErrorText());
        return false;
    }
    SetFavorite(m_logic.IsFavorite());
    return CFileEditDoc::OnOpenDocument(path);
}

bool CTextEditDoc::OnSaveDocument(const std::string& path)
{
    if (!m_logic.OnSaveDocument(path))
    {
        // The logic watched the path it tried to write; the document still stands for
        // its old file.
        StopWatching();
        StartWatching();
        if (CDocumentUi* pUi = GetUi())
            pUi->ShowError(path + "\r" + m_logic.GetErrorText());
        UpdateTitle();
        return false;
    }
    SetPathName(path);
    UpdateTitle();
    return true;
}

bool CTextEditDoc::Reload(bool bAskWhenModified)
{
    // Reading a file that is not there would empty the document and keep nothing.
    if (!FileExists())
    {
        if (CDocumentUi* pUi = GetUi())
            pUi->ShowError(GetPathName() + "\rThe file does not exist.");
        return false;
    }
    m_bReloadAgreed = !bAskWhenModified;
    const bool bReloaded = m_logic.Reload();
    m_bReloadAgreed = false;
    if (!bReloaded && m_logic.GetLastLoadResult() == LoadFailed)
    {
        if (CDocumentUi* pUi = GetUi())
            pUi->ShowError(GetPathName() + "\r" + m_logic.GetErrorText());
    }
    UpdateTitle();
    return bReloaded;
}

// --- CTextEditDocTemplate --------------------------------------------------------------------

CTextEditDocTemplate::CTextEditDocTemplate(CAppletDocManager& manager,
                                           const CSyntaxParserFactory* pFactory,
                                           const CFavoritesManager* pFavorites)
    : CFileEditDocTemplate(manager, CAppletDoc::DocTypeText), m_pFactory(pFactory),
      m_pFavorites(pFavorites)
{
}

std::unique_ptr<CAppletDoc> CTextEditDocTemplate::CreateDocument()
{
    return std::make_unique<CTextEditDoc>(*this);
}

bool CTextEditDocTemplate::PromptFileName(CAppletDoc& doc, std::string& path)
{
    auto* pDoc = dynamic_cast<CTextEditDoc*>(&doc);
    CDocumentUi* pUi = GetManager().GetUi();
    if (!pDoc || !pUi)
        return false;
    SSaveAsPrompt prompt;
    prompt.strPath = doc.GetPathName();
    if (m_pFactory)
    {
        prompt.strFilter = m_pFactory->BuildFilterString(true);
        prompt.nFilterIndex = pDoc->GetLogic().GetSaveAsFilterIndex(*m_pFactory);
    }
    else
    {
        prompt.strFilter = "All Files (*.*)|*.*||";
    }
    prompt.bTextChoices = true;
    prompt.encoding = pDoc->GetLogic().GetEncodingInput();
    if (!pUi->PromptSaveAs(doc, prompt) || prompt.strPath.empty())
        return false;
    pDoc->GetLogic().ApplySaveAsChoices(prompt.encoding, prompt.nLineEndMode);
    path = prompt.strPath;
    return true;
}

void CTextEditDocTemplate::ApplyTabSettings(int nTabSize, bool bUseTabs)
{
    for (CAppletDoc* pDoc : GetDocuments())
    {
        auto* pText = static_cast<CTextEditDoc*>(pDoc);
        const bool bLayout = pText->GetBuffer().GetTabSize() != nTabSize;
        pText->GetBuffer().SetTabSize(nTabSize);
        pText->GetBuffer().SetUseTabs(bUseTabs);
        if (bLayout)
            if (CDocumentUi* pUi = GetManager().GetUi())
                pUi->UpdateViews(*pDoc);
    }
}

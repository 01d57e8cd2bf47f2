#include "app/HexEditDoc.h"

#include <cstdio>

#include "hex/HexEditSettings.h"

CHexEditDoc::CHexEditDoc(CAppletDocTemplate& docTemplate) : CFileEditDoc(docTemplate, DocTypeBinary)
{
    m_buffer.SetMessageSink(this);
    m_buffer.AddView(this);
}

CHexEditDoc::~CHexEditDoc()
{
    m_buffer.RemoveView(this);
    m_buffer.SetMessageSink(nullptr);
}

void CHexEditDoc::SetModified(bool bModified)
{
    m_buffer.SetModified(bModified);
    UpdateTitle();
}

void CHexEditDoc::OnBufferUpdate(CHexBufferView*, long, CHexUpdateHint*)
{
    UpdateTitle();
}

bool CHexEditDoc::OnNewDocument()
{
    if (!CFileEditDoc::OnNewDocument())
        return false;
    m_buffer.Close();
    return true;
}

bool CHexEditDoc::OnOpenDocument(const std::string& path)
{
    if (!m_buffer.Open(path))
        return false;
    m_buffer.AttachFileData();
    return CFileEditDoc::OnOpenDocument(path);
}

bool CHexEditDoc::OnSaveDocument(const std::string& path)
{
    if (const auto* pTemplate = dynamic_cast<const CHexEditDocTemplate*>(&GetTemplate()))
        if (const CHexEditSettings* pSettings = pTemplate->GetSettings())
            m_buffer.SetBackupFile(pSettings->m_bBackupFile);
    StopWatching();
    const bool bSaved = m_buffer.Save(path);
    if (bSaved)
        SetPathName(path);
    StartWatching();
    UpdateTitle();
    return bSaved;
}

bool CHexEditDoc::Reload(bool bAskWhenModified)
{
    if (!HasPath())
        return false;
    if (bAskWhenModified && m_buffer.IsModified())
    {
        std::string question(GetPathName().size() + 64, '\0');
        question.resize(static_cast<size_t>(std::snprintf(question.data(), question.size(),
                                                          "%s is changed, reload anyway?",
                                                          GetPathName().c_str())));
        CDocumentUi* pUi = GetUi();
        if (!pUi || !pUi->AskYesNo(question))
            return false;
    }
    // The buffer reads the file through its open descriptor: a file that cannot be opened
    // again leaves the document as it was rather than empty.
    if (!FileExists())
    {
        ShowMessage(GetPathName() + "\rThe file does not exist.");
        return false;
    }
    const std::string path = GetPathName();
    const bool bReadOnly = m_buffer.IsReadOnly();
    StopWatching();
    m_buffer.Close();
    const bool bOpened = m_buffer.Open(path);
    if (bOpened)
    {
        m_buffer.AttachFileData();
        m_buffer.SetReadOnly(bReadOnly);
    }
    if (CDocumentUi* pUi = GetUi())
        pUi->UpdateViews(*this);
    StartWatching();
    UpdateTitle();
    return bOpened;
}

void CHexEditDoc::ShowMessage(const std::string& strText)
{
    if (CDocumentUi* pUi = GetUi())
        pUi->ShowError(strText);
}

bool CHexEditDoc::AskYesNo(const std::string& strText)
{
    CDocumentUi* pUi = GetUi();
    return pUi && pUi->AskYesNo(strText);
}

bool CHexEditDoc::AskOkCancel(const std::string& strText)
{
    CDocumentUi* pUi = GetUi();
    return pUi && pUi->AskYesNo(strText);
}

void CHexEditDoc::ShowStatusMessage(const std::string& strText)
{
    if (CDocumentUi* pUi = GetUi())
        pUi->ShowStatus(strText);
}

std::unique_ptr<CAppletDoc> CHexEditDocTemplate::CreateDocument()
{
    return std::make_unique<CHexEditDoc>(*this);
}

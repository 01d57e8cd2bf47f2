#include "encoding/TextDocumentLogic.h"

#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"

#include <cstdio>
#include <utility>

CTextDocumentLogic::CTextDocumentLogic(STextDocumentHooks hooks) : m_hooks(std::move(hooks))
{
    m_buffer.m_modifiedChanged = m_hooks.modifiedChanged;
}

void CTextDocumentLogic::OnNewDocument()
{
    m_buffer.InitNew(LineEndCrLf);
    m_strError.clear();
}

bool CTextDocumentLogic::OnOpenDocument(const std::string& path)
{
    m_lastLoad = m_buffer.LoadFile(path, 0, GetTextCodePage(), m_strError);
    if (m_lastLoad == LoadFailed)
        return false;
    m_strPath = path;
    m_bFavorite = m_hooks.isFavorite ? m_hooks.isFavorite(path) : false;
    return true;
}

bool CTextDocumentLogic::OnSaveDocument(const std::string& path)
{
    if (m_hooks.stopWatching)
        m_hooks.stopWatching(path);
    const bool bFailed = m_buffer.SaveFile(path, false, m_strError, 0, true);
    if (m_hooks.startWatching)
        m_hooks.startWatching(path);
    if (bFailed)
        return false;
    m_strPath = path;
    return true;
}

int CTextDocumentLogic::GetSaveAsFilterIndex(const CSyntaxParserFactory& factory) const
{
    // Items: "All Supported Text Files", one per parser that has extensions, "All Files".
    int item = 1;
    int found = 0;
    for (int i = 0; i < factory.GetCount(); ++i)
    {
        const CSyntaxParser* parser = factory.GetAt(i);
        if (CSyntaxParserFactory::MakeMask(parser->GetExtensions()).empty())
            continue;
        ++item;
        if (!m_strPath.empty() && static_cast<const CTextParser*>(parser) == m_buffer.GetParser())
            found = item;
    }
    return found != 0 ? found : item + 1;
}

SEncodingChoice CTextDocumentLogic::GetEncodingInput() const
{
    SEncodingChoice choice;
    choice.nEncoding = m_buffer.GetEncoding();
    choice.nCodePage = m_buffer.GetCodePage();
    return choice;
}

void CTextDocumentLogic::ApplySaveAsChoices(const SEncodingChoice& encoding, int nLineEndMode)
{
    if (encoding.nEncoding != -1)
        m_buffer.SetEncoding(encoding.nEncoding);
    else if (encoding.nCodePage != -1)
    {
        m_buffer.SetEncoding(EncodingNone);
        m_buffer.SetCodePage(encoding.nCodePage);
    }
    if (nLineEndMode >= LineEndCrLf && nLineEndMode <= LineEndLf &&
        nLineEndMode != m_buffer.GetLineEndMode())
    {
        m_buffer.SetLineEndMode(nLineEndMode);
        m_buffer.ConvertLineEnds();
    }
}

bool CTextDocumentLogic::ApplyEncodingChoice(const SEncodingChoice& choice)
{
    bool bChanged = false;
    if (choice.nEncoding != -1)
    {
        if (choice.nEncoding != m_buffer.GetEncoding())
        {
            m_buffer.SetEncoding(choice.nEncoding);
            bChanged = true;
        }
    }
    else if (choice.nCodePage != -1)
    {
        // 8-bit text (or a new document, written as such) already in that code page is
        // not a change.
        const bool bSame =
            (m_buffer.GetEncoding() == -1 || m_buffer.GetEncoding() == EncodingNone) &&
            m_buffer.GetCodePage() == choice.nCodePage;
        if (!bSame)
        {
            m_buffer.SetEncoding(EncodingNone);
            m_buffer.SetCodePage(choice.nCodePage);
            bChanged = true;
        }
    }
    if (bChanged)
        m_buffer.SetModified(true);
    return bChanged;
}

bool CTextDocumentLogic::ApplyLineEndMode(int nLineEndMode)
{
    if (nLineEndMode < LineEndCrLf || nLineEndMode > LineEndLf ||
        nLineEndMode == m_buffer.GetLineEndMode())
        return false;
    m_buffer.SetLineEndMode(nLineEndMode);
    m_buffer.ConvertLineEnds();
    return true;
}

void CTextDocumentLogic::ToggleReadOnly()
{
    if (IsReadOnlyEnabled())
        m_buffer.SetReadOnly(!m_buffer.IsReadOnly());
}

bool CTextDocumentLogic::Reload()
{
    if (!CanReload())
        return false;
    if (m_buffer.IsModified())
    {
        char question[4096];
        std::snprintf(question, sizeof question, "%s is changed, reload anyway?",
                      m_strPath.c_str());
        if (!m_hooks.askYesNo || !m_hooks.askYesNo(question))
            return false;
    }
    const std::string path = m_strPath;
    if (m_hooks.stopWatching)
        m_hooks.stopWatching(path);
    m_buffer.FreeAll();
    const bool bOpened = OnOpenDocument(path);
    if (bOpened && m_hooks.reloadViews)
        m_hooks.reloadViews();
    // Watched again either way: the document still stands for this file, and a file that
    // comes back readable should be offered for reloading.
    if (m_hooks.startWatching)
        m_hooks.startWatching(path);
    return bOpened;
}

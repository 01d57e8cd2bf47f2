#pragma once
// The text document and its template, apart from any window. The document owns the text
// document logic (buffer, load, save, encoding and line-ending choices, reload) and binds
// it to the document layer: watching around save and reload, the title following the
// modified flag, the favorite mark, and the user's answers through CDocumentUi.

#include "app/AppletDocTemplate.h"
#include "encoding/TextDocumentLogic.h"

class CSyntaxParserFactory;
class CFavoritesManager;

class CTextEditDoc : public CFileEditDoc
{
public:
    explicit CTextEditDoc(CAppletDocTemplate& docTemplate);
    ~CTextEditDoc() override;

    CTextDocumentLogic& GetLogic() { return m_logic; }
    CTarvoTextEditBufferEx& GetBuffer() { return m_logic.GetBuffer(); }
    const CTarvoTextEditBufferEx& GetBuffer() const { return m_logic.GetBuffer(); }

    bool IsModified() const override { return GetBuffer().IsModified(); }
    void SetModified(bool bModified) override;
    int GetFileKind() const override { return 1; }
    void SetReadOnly(bool bReadOnly) override { GetBuffer().SetReadOnly(bReadOnly); }
    bool IsReadOnly() const override
    {
        return GetBuffer().IsReadOnly() || GetBuffer().IsWriteProtected();
    }

    bool OnNewDocument() override;
    // A file that cannot be read is reported with the path and the reason.
    bool OnOpenDocument(const std::string& path) override;
    // A failed save is reported with the path and the reason; the document stays modified.
    bool OnSaveDocument(const std::string& path) override;
    bool Reload(bool bAskWhenModified) override;

private:
    STextDocumentHooks MakeHooks();

    CTextDocumentLogic m_logic;
    // Set while a reload the user has already agreed to runs: the logic's own question is
    // answered Yes.
    bool m_bReloadAgreed = false;
};

class CTextEditDocTemplate : public CFileEditDocTemplate
{
public:
    // The factory gives the Save As filter list; the favorites give the favorite mark.
    // Either may be null.
    CTextEditDocTemplate(CAppletDocManager& manager, const CSyntaxParserFactory* pFactory,
                         const CFavoritesManager* pFavorites);

    const CSyntaxParserFactory* GetFactory() const { return m_pFactory; }
    const CFavoritesManager* GetFavorites() const { return m_pFavorites; }

    // The save dialog with the parser factory's filter list (the document's parser
    // selected), and the encoding and line-ending choices, which are applied to the
    // document before it is written.
    bool PromptFileName(CAppletDoc& doc, std::string& path) override;
    // Every text document takes the tab size and tab handling; its views lay out again.
    void ApplyTabSettings(int nTabSize, bool bUseTabs);

protected:
    std::unique_ptr<CAppletDoc> CreateDocument() override;

private:
    const CSyntaxParserFactory* m_pFactory;
    const CFavoritesManager* m_pFavorites;
};

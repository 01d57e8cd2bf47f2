#pragma once
// The binary (hex) document and its template, apart from any window. The document owns
// the hex buffer, which reads the file through its piece list without loading it whole;
// saving, reopening after an outside change and the read-only switch go through it, with
// watching suspended around them.

#include "app/AppletDocTemplate.h"
#include "hex/HexEditBuffer.h"
#include "hex/HexHints.h"

class CHexEditSettings;

class CHexEditDoc : public CFileEditDoc, private CHexBufferView, private CHexMessageSink
{
public:
    explicit CHexEditDoc(CAppletDocTemplate& docTemplate);
    ~CHexEditDoc() override;

    CTarvoHexEditBuffer& GetBuffer() { return m_buffer; }
    const CTarvoHexEditBuffer& GetBuffer() const { return m_buffer; }

    bool IsModified() const override { return m_buffer.IsModified(); }
    void SetModified(bool bModified) override;
    int GetFileKind() const override { return 2; }
    void SetReadOnly(bool bReadOnly) override { m_buffer.SetReadOnly(bReadOnly); }
    bool IsReadOnly() const override { return !m_buffer.CanModify(); }

    bool OnNewDocument() override;
    // The buffer tells the user why a file cannot be opened.
    bool OnOpenDocument(const std::string& path) override;
    // The buffer tells the user why a save failed; the old file is then intact. A ".bak"
    // copy of the old file is kept when the template's settings say so.
    bool OnSaveDocument(const std::string& path) override;
    // Reopens the file: the changes are dropped and the data is the file as it is now.
    bool Reload(bool bAskWhenModified) override;

private:
    // CHexBufferView: a change, undo or save may change the modified flag.
    void OnBufferUpdate(CHexBufferView* pSender, long nHintCode, CHexUpdateHint* pHint) override;
    // CHexMessageSink: the buffer's messages go to the user through the document layer.
    void ShowMessage(const std::string& strText) override;
    bool AskYesNo(const std::string& strText) override;
    bool AskOkCancel(const std::string& strText) override;
    void ShowStatusMessage(const std::string& strText) override;

    CTarvoHexEditBuffer m_buffer;
};

class CHexEditDocTemplate : public CFileEditDocTemplate
{
public:
    // pSettings (the hex edit module's, or null for none) outlives the template; its
    // backup switch is read at every save.
    explicit CHexEditDocTemplate(CAppletDocManager& manager,
                                 const CHexEditSettings* pSettings = nullptr)
        : CFileEditDocTemplate(manager, CAppletDoc::DocTypeBinary), m_pSettings(pSettings)
    {
    }
    const CHexEditSettings* GetSettings() const { return m_pSettings; }

protected:
    std::unique_ptr<CAppletDoc> CreateDocument() override;

private:
    const CHexEditSettings* m_pSettings;
};

#pragma once
// The documents of the program apart from any window.
//
// CAppletDoc is what every document has: its type id, title, favorite mark, file-watch id
// and new-document number. CFileEditDoc adds what a document of a file does: its path, the
// "New %d" title of an untitled document, the read-only switch, watching the file while it
// is open (stopped around every save, reload and close so that the program's own writes
// are never reported), and the answer to a change made by another program.
//
// Whatever needs the user or a window goes through CDocumentUi, which the GUI implements
// once for the whole program and tests implement to record what the user would see. The
// documents are owned by their template (AppletDocTemplate.h).

#include <cstdint>
#include <string>

#include "app/OpenFile.h"
#include "encoding/CodePageList.h"

class CAppletDoc;
class CAppletDocTemplate;
class CAppletDocManager;
struct SFileWatchNotification;

// What the Save As prompt starts with and what it returns.
struct SSaveAsPrompt
{
    // In: the document's path (empty for an untitled document) and the dialog's filter
    // list ("Name|mask|...|" as the parser factory builds it) with the 1-based index of
    // the filter to select. Out: the chosen path.
    std::string strPath;
    std::string strFilter;
    int nFilterIndex = 1;
    // Text documents only: the encoding and line-ending drop-downs. In: the document's
    // encoding kind and code page; out: the encoding choice (both -1 for no change) and
    // the line-ending mode (0 for no change, 1-3 a mode).
    bool bTextChoices = false;
    SEncodingChoice encoding;
    int nLineEndMode = 0;
};

class CDocumentUi
{
public:
    enum ESaveAnswer
    {
        AnswerSave,
        AnswerDiscard,
        AnswerCancel,
    };

    virtual ~CDocumentUi() = default;
    // A document was made or opened and wants its frame and views.
    virtual void OnDocumentCreated(CAppletDoc& doc) = 0;
    // The document is about to be destroyed: its frames go.
    virtual void OnDocumentClosing(CAppletDoc& doc) = 0;
    // The title (GetTitle) of every frame of the document changed.
    virtual void OnTitleChanged(CAppletDoc& doc) = 0;
    // The path changed: every frame takes the icon of the new path.
    virtual void OnPathChanged(CAppletDoc& doc) = 0;
    // After a reload, or when the views must lay their text out again: every view of the
    // document re-reads its buffer and is redrawn.
    virtual void UpdateViews(CAppletDoc& doc) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
    // Save / Don't Save / Cancel for a modified document that is about to close.
    virtual ESaveAnswer AskSaveChanges(CAppletDoc& doc) = 0;
    // The file-name prompt of Save As; false when the user cancelled.
    virtual bool PromptSaveAs(CAppletDoc& doc, SSaveAsPrompt& prompt) = 0;
    // A modal message, and a note in the status bar.
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowStatus(const std::string& text) = 0;
    // The document is closing: the place to record it in the history. Called while the
    // document still has its path and views.
    virtual void RecordClosedDocument(CAppletDoc& doc) = 0;
};

class CAppletDoc : public CAppDocument
{
public:
    // Document type ids; the frame shows the bars of the active document's type.
    static constexpr int DocTypeText = 200;
    static constexpr int DocTypeBinary = 210;
    static constexpr int DocTypeFindInFiles = 300;

    CAppletDoc(CAppletDocTemplate& docTemplate, int nDocType);
    ~CAppletDoc() override;
    CAppletDoc(const CAppletDoc&) = delete;
    CAppletDoc& operator=(const CAppletDoc&) = delete;

    int GetDocType() const { return m_nDocType; }
    CAppletDocTemplate& GetTemplate() const { return m_template; }
    CAppletDocManager& GetManager() const;
    CDocumentUi* GetUi() const;

    bool IsFavorite() const { return m_bFavorite; }
    void SetFavorite(bool bFavorite) { m_bFavorite = bFavorite; }
    uint32_t GetFileWatchId() const { return m_nFileWatchId; }
    // 0 for a document that was opened rather than made new.
    int GetNewDocumentNumber() const { return m_nNewDocumentNumber; }
    const std::string& GetPathName() const { return m_strPath; }
    // The title the frames show: GetTitleText(setting "ShowLongTitle", true).
    const std::string& GetTitle() const { return m_strTitle; }

    virtual bool IsModified() const { return false; }
    // The title that the document gives itself (untitled documents, tools).
    virtual std::string GetTitleText(bool bFullPath, bool bModifiedMark) const;
    // 1 text, 2 binary, 0 for a document that is not a file.
    virtual int GetFileKind() const { return 0; }
    virtual void SetReadOnly(bool bReadOnly) { (void)bReadOnly; }
    virtual bool IsReadOnly() const { return false; }
    virtual void StartWatching() {}
    virtual void StopWatching() {}

    // The document is being made new (no file). Takes the next new-document number.
    virtual bool OnNewDocument();
    // The document is being filled from a file. Reports its own failures to the user.
    virtual bool OnOpenDocument(const std::string& path);
    // Writes the document to path, which becomes its path on success. Reports its own
    // failures to the user; on failure the file and the document are as they were.
    virtual bool OnSaveDocument(const std::string& path);
    // The document is about to be destroyed.
    virtual void OnCloseDocument();

    // Save: to the document's path, or through the Save As prompt when it has none.
    bool DoFileSave();
    // Save As: the prompt, then the save under the chosen name.
    bool DoSaveAs();
    // Before the document closes: Save / Don't Save / Cancel when it is modified. False
    // for Cancel, and when the chosen save failed or was cancelled.
    bool SaveModified();

    // The title follows the modified flag and the "ShowLongTitle" setting.
    void UpdateTitle();
    void SetTitle(const std::string& title);

protected:
    // Sets the path without any other effect than the frames' icon and title.
    void SetPathName(const std::string& path);

    uint32_t m_nFileWatchId = 0;

private:
    CAppletDocTemplate& m_template;
    int m_nDocType;
    bool m_bFavorite = false;
    int m_nNewDocumentNumber = 0;
    std::string m_strPath;
    std::string m_strTitle;
    std::string m_strBaseTitle;
};

class CFileEditDoc : public CAppletDoc
{
public:
    using CAppletDoc::CAppletDoc;

    // "New %d" for an untitled document; otherwise the full path or the file name; "* "
    // in front when bModifiedMark is set and the document is modified.
    std::string GetTitleText(bool bFullPath, bool bModifiedMark) const override;

    // Watches the document's file when the setting "FileWatch" is on, the document has a
    // path and the file exists; does nothing while it is watched already.
    void StartWatching() override;
    void StopWatching() override;

    // Commands of every file document: Copy Full Path, Open Containing Folder and Reload
    // need a path; File Properties needs the file to exist.
    bool HasPath() const { return !GetPathName().empty(); }
    bool FileExists() const;

    // Reload: asks "%s is changed, reload anyway?" when the document is modified (unless
    // the user has answered already); then reads the file again with watching suspended.
    // True when the file was read again.
    virtual bool Reload(bool bAskWhenModified) = 0;
    virtual void SetModified(bool bModified) = 0;

    // A notification of the file-watch service for this document's watch. A change asks
    // "%s is changed, reload it?" and reloads on Yes; a file that went away is told once
    // in the status bar and the document is marked modified, so that Save writes it back
    // and closing asks before its contents are dropped.
    void OnFileWatchNotification(const SFileWatchNotification& notification);

protected:
    void OnCloseDocument() override;
    // Watches path (for a save under a new name, the new one).
    void StartWatchingPath(const std::string& path);

private:
    bool m_bAsking = false;
};

#pragma once
// What a text document does with its file, apart from any window: new, open, save, the
// Save As choices, the Encoding, Line Endings and Read Only commands, and Reload. The
// document class forwards to it and plugs in the outside world through hooks (favorites,
// file watching, the Yes/No question, the views).

#include <functional>
#include <string>

#include "encoding/CodePageList.h"
#include "encoding/TextEditBufferEx.h"
#include "encoding/UniFile.h"

class CSyntaxParserFactory;

struct STextDocumentHooks
{
    // Whether the path is among the favorites (the flag is set after each open).
    std::function<bool(const std::string& path)> isFavorite;
    // Suspend and resume the watching of the file, so a save of our own is not reported
    // as an outside change.
    std::function<void(const std::string& path)> stopWatching;
    std::function<void(const std::string& path)> startWatching;
    // A Yes/No question; true for Yes. Without it every question is answered No.
    std::function<bool(const std::string& question)> askYesNo;
    // After a reload: every view re-reads the buffer and is redrawn.
    std::function<void()> reloadViews;
    // After every change of the buffer's modified flag (the title shows it).
    std::function<void()> modifiedChanged;
};

class CTextDocumentLogic
{
public:
    explicit CTextDocumentLogic(STextDocumentHooks hooks = {});
    CTextDocumentLogic(const CTextDocumentLogic&) = delete;
    CTextDocumentLogic& operator=(const CTextDocumentLogic&) = delete;

    CTarvoTextEditBufferEx& GetBuffer() { return m_buffer; }
    const CTarvoTextEditBufferEx& GetBuffer() const { return m_buffer; }
    const std::string& GetPath() const { return m_strPath; }
    void SetPath(const std::string& path) { m_strPath = path; }
    bool IsFavorite() const { return m_bFavorite; }
    void SetFavorite(bool bFavorite) { m_bFavorite = bFavorite; }
    // The text of the last failure of open, save or reload.
    const std::string& GetErrorText() const { return m_strError; }
    LoadResult GetLastLoadResult() const { return m_lastLoad; }

    // New document: one empty line, mode CR LF.
    void OnNewDocument();
    // Loads the file in the current default code page, detecting its line endings, and
    // sets the favorite flag. True unless the file could not be opened (a file with a zero
    // byte opens empty; GetLastLoadResult tells).
    bool OnOpenDocument(const std::string& path);
    // Saves with watching suspended. False when the save failed: the error text says why,
    // the file on disk is untouched and the document stays modified.
    bool OnSaveDocument(const std::string& path);

    // Save enabled while modified; Reload while the document has a path.
    bool CanSave() const { return m_buffer.IsModified(); }
    bool CanReload() const { return !m_strPath.empty(); }

    // Save As: the 1-based index of the initial filter in the factory's filter list (with
    // "All Supported Text Files" first and "All Files (*.*)" last): the item of the
    // document's parser when the document has a path and its parser has an item, else
    // "All Files (*.*)".
    int GetSaveAsFilterIndex(const CSyntaxParserFactory& factory) const;
    // The encoding the Save As dialog starts with: the buffer's kind and code page.
    SEncodingChoice GetEncodingInput() const;
    // Applies the Save As choices before the document is written to its new name: a kind
    // (not -1) becomes the buffer's kind, else a code page (not -1) sets kind 0 and that
    // code page; a line-ending mode 1-3 that differs from the buffer's converts every line.
    void ApplySaveAsChoices(const SEncodingChoice& encoding, int nLineEndMode);

    // The Encoding command's result: a different kind, or a code page for a buffer that
    // does not already use it, marks the document modified. The text is not converted;
    // the new form is written by the next save. Returns whether anything changed.
    bool ApplyEncodingChoice(const SEncodingChoice& choice);
    // The Line Endings command's result (0 no change, 1-3 a mode): a different mode is set
    // and every line converted (marking the document modified when a line changed).
    // Returns whether the mode changed.
    bool ApplyLineEndMode(int nLineEndMode);

    // Read Only: toggles the buffer's flag. Enabled unless the buffer is write-protected;
    // checked when write-protected or read-only.
    void ToggleReadOnly();
    bool IsReadOnlyEnabled() const { return !m_buffer.IsWriteProtected(); }
    bool IsReadOnlyChecked() const { return m_buffer.IsWriteProtected() || m_buffer.IsReadOnly(); }

    // Reload: asks "%s is changed, reload anyway?" when modified; anything but Yes ends it.
    // Returns true when the file was read again.
    bool Reload();

private:
    // The buffer tells the document when its modified flag changes; the views learn of
    // an edit before the flag is set, so they cannot tell it.
    class CMyTarvoTextEditBuffer : public CTarvoTextEditBufferEx
    {
    public:
        std::function<void()> m_modifiedChanged;
        void SetModified(bool bModified = true) override
        {
            const bool bChanged = bModified != IsModified();
            CTarvoTextEditBufferEx::SetModified(bModified);
            if (bChanged && m_modifiedChanged)
                m_modifiedChanged();
        }
    };

    STextDocumentHooks m_hooks;
    CMyTarvoTextEditBuffer m_buffer;
    std::string m_strPath;
    std::string m_strError;
    bool m_bFavorite = false;
    LoadResult m_lastLoad = LoadFailed;
};

#pragma once
// The text buffer of a document: the line store plus edits, undo and redo, the modified
// flag, the line-ending mode, line flags, revision stamps, the attached views and the
// syntax parser with its cache of line states.
//
// Every change of the text goes through two primitives, the raw insert and the raw delete;
// InsertText and DeleteText add revision stamps and undo records on top of them, and Undo
// and Redo replay records through them. Each primitive tells every attached view what it
// changed (hint and update context).

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "text/EditAction.h"
#include "text/TextBuffer.h"
#include "text/TextBufferView.h"
#include "text/TextParser.h"
#include "text/TextPosition.h"
#include "text/UpdateContext.h"

// Line-ending modes of a buffer.
constexpr int LineEndCrLf = 1;
constexpr int LineEndCr = 2;
constexpr int LineEndLf = 3;

// The line flag of a bookmark.
constexpr uint32_t LineFlagBookmark = 0x80000;

// Whether new buffers stamp revisions (the text edit settings' "TrackChanges", on by
// default). Read once when a buffer is created.
void SetTrackChangesDefault(bool bTrack);
bool GetTrackChangesDefault();

class CTarvoTextEditBuffer : public CTarvoTextBuffer
{
public:
    using CInsertContext = ::CInsertContext;
    using CDeleteContext = ::CDeleteContext;

    // One recorded edit. Texts of up to 15 bytes, typed characters among them, are held
    // inside the record without an allocation.
    struct SUndoRecord
    {
        uint32_t m_dwFlags = 0; // kUndoInsert, kUndoBeginGroup
        STextPosition m_ptStartPos;
        STextPosition m_ptEndPos;
        int m_nAction = 0;
        std::vector<uint32_t> m_aRevisions; // revisions of lines start.y.. before the edit
        std::string m_strText;              // the inserted or deleted bytes
        // Bytes of each line of a deleted text, kept only when the text alone would not
        // give back the same lines: a line ending in CR followed by an empty line ending
        // in LF reads back as one CR LF ending.
        std::vector<int> m_aLineLengths;
    };
    static constexpr uint32_t kUndoInsert = 0x0001;
    static constexpr uint32_t kUndoBeginGroup = 0x0100;
    static constexpr int kDefaultUndoLimit = 1024;

    CTarvoTextEditBuffer();
    ~CTarvoTextEditBuffer() override;

    // Records an edit for undo. Redo records above the undo position are dropped first.
    // At the undo limit the oldest whole groups are dropped, but never the group that the
    // new record continues: a single group larger than the limit stays whole until a newer
    // group needs the room.
    virtual void AddUndoRecord(bool bInsert, const STextPosition& ptStart, const STextPosition& ptEnd,
                               std::string_view text, int nAction, std::vector<uint32_t> revisions = {},
                               std::vector<int> lineLengths = {});
    // The display name of an edit action ("Typing"); false for a code without one.
    virtual bool GetActionDescription(int nAction, std::string& desc) const;

    // Back to no lines, no history, not initialised.
    virtual void FreeAll();
    virtual void SetModified(bool bModified = true);
    bool IsModified() const
    {
        return m_bModified;
    }

    // The text of a range with `mode`'s line ending between lines (2 "\r", 3 "\n", any
    // other value "\r\n"). False, with an empty result, for a range that does not lie in
    // the text or ends before it starts.
    virtual bool GetTextRange(int nStartLine, int nStartChar, int nEndLine, int nEndChar, std::string& text,
                              int nMode = LineEndCrLf) const;
    // The bytes of a range exactly as stored, each line with its own ending. This is what
    // a delete removes and what an undo record must match.
    bool GetStoredTextRange(int nStartLine, int nStartChar, int nEndLine, int nEndChar, std::string& text) const;
    // Gives every line that has an ending the ending of the buffer's mode. Not recorded for
    // undo; sets the modified flag when a line changed. Returns whether one did.
    virtual bool ConvertLineEnds();
    virtual bool CanEdit() const
    {
        return !m_bWriteProtected && !m_bReadOnly;
    }

    // Inserts zero-terminated text at (nPos, nLine); the end of the inserted text comes back
    // in nEndLine, nEndChar. bHistory records it for undo (in the open group, or in a group
    // of its own). False, with nothing changed or recorded, when the buffer may not be
    // edited or the position is not in the text.
    virtual bool InsertText(CTextBufferView* pSource, int nLine, int nPos, const char* pszText, int& nEndLine,
                            int& nEndChar, int nAction = EditActionUnknown, bool bHistory = true);
    // Deletes the range (nStartChar, nStartLine)..(nEndChar, nEndLine).
    virtual bool DeleteText(CTextBufferView* pSource, int nStartLine, int nStartChar, int nEndLine, int nEndChar,
                            int nAction = EditActionUnknown, bool bHistory = true);

    // Undoes the group below the undo position; ptCaret receives where the caret belongs.
    // False when there is nothing to undo, the buffer may not be edited, or the text no
    // longer matches the history (the history is then dropped).
    virtual bool Undo(CTextBufferView* pSource, STextPosition& ptCaret);
    virtual bool Redo(CTextBufferView* pSource, STextPosition& ptCaret);
    // Opens a group; with bMerge the next record continues the previous group.
    virtual void BeginUndoGroup(bool bMerge = false);
    // Closes the open group and tells pSource (when given) what its last record was.
    virtual void FlushUndoGroup(CTextBufferView* pSource);
    virtual void TrimRedoRecords();
    bool CanUndo() const
    {
        return m_nUndoPosition > 0;
    }
    bool CanRedo() const
    {
        return m_nUndoPosition < static_cast<int>(m_aUndo.size());
    }
    // Names of the steps that Undo and Redo would take from position nIndex (0 = the undo
    // position); false and empty when there is no such step or its action has no name.
    bool GetUndoDescription(std::string& desc, int nIndex = 0) const;
    bool GetRedoDescription(std::string& desc, int nIndex = 0) const;
    // The Edit menu entries: "&Undo Typing\tCtrl+Z", or "&Undo\tCtrl+Z" when there is
    // nothing to undo or the step has no name; the same for redo.
    std::string GetUndoMenuText() const;
    std::string GetRedoMenuText() const;

    virtual void NotifyViews(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint, int nLine);
    // Tells every attached view that the text is about to change (OnBeforeTextChange).
    void NotifyBeforeTextChange();
    void AttachView(CTextBufferView* pView);
    void DetachView(CTextBufferView* pView);

    // Syntax parsing through the document's parser; without a parser the state is 0.
    virtual uint32_t ParseLine(uint32_t state, int nLine, SyntaxRun* runs, int* count);
    virtual uint32_t ParseLineComments(uint32_t state, int nLine, SyntaxRun* runs, int* count);
    virtual void SetParser(CTextParser* pParser);
    CTextParser* GetParser() const
    {
        return m_pParser;
    }
    // The lookup's parser with this id, else its parser 0, else none.
    void SetParserById(int nId);
    // The parse state at the end of a line, computed from the last known one (0 for a
    // negative line). States are forgotten from the first line an edit changed on.
    uint32_t GetLineParseState(int nLine);
    void SetLineParseState(int nLine, uint32_t state);
    // Forgets the parse states from nLine to the end.
    void InvalidateParseStates(int nLine);
    // Whether the state at the end of a line is known without parsing. After an edit
    // inside one line the states of the lines below stay known exactly when that line
    // still ends in the state it ended in before, so a view can tell whether the lines
    // below it may look different.
    bool IsLineParseStateKnown(int nLine) const;

    // Makes the buffer one empty line with fresh settings and no history; sends HintReset.
    bool InitNew(int nLineEndMode = LineEndCrLf);

    int GetLineEndMode() const;
    void SetLineEndMode(int nMode);
    // The ending of the buffer's mode: "\r\n", "\r" or "\n".
    const char* GetLineEndString() const;
    int GetTabSize() const
    {
        return m_nTabSize;
    }
    void SetTabSize(int nTabSize);
    bool GetUseTabs() const
    {
        return m_bUseTabs;
    }
    void SetUseTabs(bool bUseTabs)
    {
        m_bUseTabs = bUseTabs;
    }
    bool IsReadOnly() const
    {
        return m_bReadOnly;
    }
    void SetReadOnly(bool bReadOnly = true)
    {
        m_bReadOnly = bReadOnly;
    }
    bool IsWriteProtected() const
    {
        return m_bWriteProtected;
    }
    void SetWriteProtected(bool bProtected = true)
    {
        m_bWriteProtected = bProtected;
    }
    bool IsInitialised() const
    {
        return m_bInit;
    }
    bool IsDragging() const
    {
        return m_bDragging;
    }
    void SetDragging(bool bDragging)
    {
        m_bDragging = bDragging;
    }
    STextPosition GetLastEditPosition() const
    {
        return m_ptLastChange;
    }

    // Line flags.
    // The first line whose flags share a bit with dwFlag, or -1.
    int FindLineWithFlag(uint32_t dwFlag) const;
    // As FindLineWithFlag for a single-bit flag; -1 for any other value.
    int GetLineWithFlag(uint32_t dwFlag) const;
    // Sets (or with bSet false clears) a flag of a line; line -1 means the line that has
    // the flag now. bUnique moves a single-bit flag: the line that held it loses it first.
    // bUpdate notifies the views.
    void SetLineFlag(int nLine, uint32_t dwFlag, bool bSet, bool bUnique = true, bool bUpdate = true);
    int FindNextBookmark(int nLine) const;
    int FindPreviousBookmark(int nLine) const;

    // True when the byte at nIndex of the line is a trail byte of a multibyte character
    // in the code page of text in memory.
    bool IsTrailByte(int nLine, int nIndex) const;

    // Revisions: every tracked edit stamps the lines it changed with a new revision.
    uint32_t GetLineRevision(int nLine) const;
    uint32_t GetRevision() const
    {
        return m_dwCurrentRevision;
    }
    uint32_t GetSavedRevision() const
    {
        return m_dwSavedRevision;
    }
    void SetSavedRevision(uint32_t dwRevision)
    {
        m_dwSavedRevision = dwRevision;
    }
    bool GetTrackChanges() const
    {
        return m_bTrackChanges;
    }
    void SetTrackChanges(bool bTrack)
    {
        m_bTrackChanges = bTrack;
    }

    // Undo state.
    int GetUndoPosition() const
    {
        return m_nUndoPosition;
    }
    int GetUndoRecordCount() const
    {
        return static_cast<int>(m_aUndo.size());
    }
    const SUndoRecord& GetUndoRecord(int nIndex) const
    {
        return m_aUndo[static_cast<size_t>(nIndex)];
    }
    // The undo position at the last save; undo or redo back to it clears the modified flag.
    // Negative when that state can no longer be reached.
    int GetSavedPosition() const
    {
        return m_nSavedPosition;
    }
    // A save calls this: the present text is the saved one.
    void MarkSavedPosition()
    {
        m_nSavedPosition = m_nUndoPosition;
    }
    int GetUndoLimit() const
    {
        return m_nUndoLimit;
    }
    void SetUndoLimit(int nLimit)
    {
        m_nUndoLimit = nLimit < 1 ? 1 : nLimit;
    }
    // No records, position and saved position 0, no group open.
    void ResetUndoHistory();

protected:
    // The primitives: no revision stamps, no undo records.
    // pLineLengths, when given, splits the text into lines of these byte counts instead of
    // after each line ending.
    bool InternalInsertText(CTextBufferView* pSource, int nLine, int nPos, std::string_view text, int& nEndLine,
                            int& nEndChar, const std::vector<int>* pLineLengths = nullptr);
    bool InternalDeleteText(CTextBufferView* pSource, int nStartLine, int nStartChar, int nEndLine, int nEndChar);
    bool IsValidPosition(int nLine, int nChar) const;
    // Revision stamps of a tracked insert or delete (nothing when tracking is off).
    void StampInsert(int nLine, int nPos, int nEndLine, int nEndChar);
    void StampDelete(int nStartLine, int nStartChar, int nEndChar);
    void CheckInvariants() const;
    void AlignModifiedWithSavedPosition();
    // Drops the whole history after the text was found not to match it; bTextChanged tells
    // whether the failed replay had already changed the text.
    void DropUndoHistory(bool bTextChanged);
    // Drops old groups so that one more record fits the limit; bNewGroup tells whether the
    // coming record begins a group (else it continues the last one, which is kept).
    void MakeRoomForUndoRecord(bool bNewGroup);
    void FindLastGroupStart();

    // Fields, in the order of the design.
    uint32_t m_dwCurrentRevision = 0;
    uint32_t m_dwSavedRevision = 0;
    bool m_bWriteProtected = false;
    bool m_bReadOnly = false;
    bool m_bInit = false;
    bool m_bModified = false;
    int m_nLineEndMode = 0;
    int m_nUndoLimit = kDefaultUndoLimit;
    bool m_bUseTabs = true;
    int m_nTabSize = 4;
    std::deque<SUndoRecord> m_aUndo;
    int m_nUndoPosition = 0;
    int m_nSavedPosition = 0;
    bool m_bUndoGroup = false;
    bool m_bUndoBeginGroup = false;
    STextPosition m_ptLastChange{-1, -1};
    std::vector<CTextBufferView*> m_aViews;
    bool m_bDragging = false;
    bool m_bTrackChanges = true;
    void ReserveParseStates(int nLine);
    std::vector<uint32_t> m_aParseStates;
    CTextParser* m_pParser = nullptr;

private:
    // Parse states of lines below this count are valid (or individually unknown); the
    // rest are unknown. Lowering it is how an edit forgets states without touching them.
    int m_nParseStatesValid = 0;
    // After an edit inside line nLine, which ended in state `before` (known) or in an
    // unknown one: forgets the states from the line on, but remembers the states below
    // it, which become valid again as soon as the line's end state is computed and equals
    // `before`. Nothing is parsed here, so an edit far from anything shown costs nothing.
    void UpdateParseStatesAfterLineEdit(int nLine, bool bKnown, uint32_t before);
    // The state of line nLine has just been computed: revives the remembered states.
    void CheckKeptParseStates(int nLine);
    // The line whose end state decides whether states below it are still valid (-1 =
    // none), the state it ended in, and the count of valid states then.
    int m_nKeptLine = -1;
    uint32_t m_dwKeptState = 0;
    int m_nKeptValid = 0;
    // Index of the record that begins the last group, -1 with no records. Kept so that
    // recording a group of any size costs constant time per record.
    int m_nLastGroupStart = -1;
    // Scratch for the bytes behind an insertion point.
    std::string m_strTail;
};

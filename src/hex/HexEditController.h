#pragma once
// Everything a hex view decides, without a window: the caret and selection in the hex or
// the character area, caret movement, typing, Delete and Backspace as changes passed to
// the buffer, insert and overtype mode with their questions, the clipboard and drag and
// drop as bytes and text, undo, the bookmark, Read Only, the context menu by area, the
// status panes and the command states.
//
// The controller attaches itself to the buffer as the view: it is the sender of its
// changes and follows every change of the buffer (from any view) through the hints. The
// widget forwards its keys, clicks and commands here and repaints what the host calls
// name. Positions are byte positions 0..n, n being the data length (the caret may stand
// after the last byte).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hex/HexEditBuffer.h"
#include "hex/HexHints.h"
#include "hex/HexLayout.h"
#include "hex/HexSearch.h"
#include "ui/CommandTarget.h"

class CHexEditSettings;

// What the controller needs from the window it lives in.
class CHexEditHost
{
public:
    virtual ~CHexEditHost() = default;
    // Message boxes and the status-message operation.
    virtual CHexMessageSink& GetMessages() = 0;
    // A question with Yes, No and Cancel: 1, 0 or -1.
    virtual int AskYesNoCancel(const std::string& strText) = 0;
    // A refused edit: the system's information beep.
    virtual void BeepRefused() = 0;
    // A key that is not a hex digit in the hex area: 5000 Hz for 200 ms.
    virtual void BeepInvalidKey() = 0;
    // Whole lines the window shows (at least 1).
    virtual int GetVisibleLines() const = 0;
    // The caret or the selection moved; bScroll asks to bring the caret into view.
    virtual void OnSelectionChanged(bool bScroll) = 0;
    // Data changed: redraw as said.
    virtual void OnDataChanged(const SHexInvalidation& invalidation) = 0;
    // The geometry changed (line count, address width, areas): new scroll extents.
    virtual void OnLayoutChanged() = 0;
};

// The clipboard as the controller uses it. Text is bytes in the code page of text in
// memory; binary data is the "BinaryData" layout (u32 little-endian count, then bytes).
class CHexClipboard
{
public:
    virtual ~CHexClipboard() = default;
    virtual bool Open() = 0;
    virtual bool Empty() = 0;
    virtual bool SetText(const std::string& strBytes) = 0;
    virtual bool SetBinary(const std::vector<uint8_t>& layout) = 0;
    // False when the clipboard holds no binary data, or no text.
    virtual bool GetBinary(std::vector<uint8_t>& layout) = 0;
    virtual bool GetText(std::string& strBytes) = 0;
    virtual void Close() = 0;
};

// The "BinaryData" clipboard layout.
std::vector<uint8_t> MakeBinaryClipData(const uint8_t* pBytes, uint32_t nCount);
// The bytes of a layout; a count larger than the bytes that follow is cut to them, so a
// damaged or foreign entry never reads beyond its end.
std::vector<uint8_t> ReadBinaryClipData(const std::vector<uint8_t>& layout);

enum class EHexKey
{
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
};

enum class EHexMouse
{
    Ignored,       // outside the drawn line
    Selecting,     // the caret was placed; moves extend the selection
    DragCandidate, // pressed inside the selection: a move may start dragging it
};

struct SHexMenuItem
{
    int m_nId = 0;
    const char* m_pszText = "";
};

struct SHexStatus
{
    std::string m_strByte;
    bool m_bByteEnabled = false;
    std::string m_strPosition;
    std::string m_strReadOnly; // "" or "RO"
    std::string m_strOvertype; // "OVR" or "INS"
    bool m_bOvertypeEnabled = false;
};

class CHexEditController : public CHexBufferView
{
public:
    // Selections larger than this are not copied or dragged: the text, the binary form
    // and the toolkit's copies of both must fit in memory together.
    static constexpr uint32_t kMaxClipboardBytes = 256u << 20;

    CHexEditController(CTarvoHexEditBuffer& buffer, CHexEditHost& host,
                       const CHexEditSettings& settings);
    ~CHexEditController() override;
    CHexEditController(const CHexEditController&) = delete;
    CHexEditController& operator=(const CHexEditController&) = delete;

    CTarvoHexEditBuffer& GetBuffer() { return m_buffer; }
    const CHexLayout& GetLayout() const { return m_layout; }
    void SetMetrics(int nCharWidth, int nLineHeight);
    // Takes the row and group size of the settings again; a change recalculates the
    // layout and keeps the selection.
    void ApplySettings();
    bool IsUppercase() const;

    uint32_t GetCaret() const { return m_nCaret; }
    uint32_t GetAnchor() const { return m_nAnchor; }
    uint32_t GetSelStart() const { return std::min(m_nCaret, m_nAnchor); }
    uint32_t GetSelEnd() const { return std::max(m_nCaret, m_nAnchor); }
    bool HasSelection() const { return m_nCaret != m_nAnchor; }
    bool IsCaretInCharArea() const { return m_bCharArea; }
    bool IsOvertype() const { return m_bOvertype; }
    // The first hex digit of the byte at the caret has been typed.
    bool IsHalfTyped() const { return !m_bCharArea && (m_nTypingSequence % 2) != 0; }
    int64_t GetBookmark() const { return m_nBookmark; }
    int GetTypingSequence() const { return m_nTypingSequence; }

    // Keyboard.
    void MoveCaret(EHexKey key, bool bShift, bool bCtrl);
    // A character message: a typed byte, 8 for Backspace.
    void OnChar(uint8_t nChar);

    // Mouse, in document points.
    EHexMouse MouseDown(int64_t nX, int64_t nY, bool bShift);
    void MouseMove(int64_t nX, int64_t nY);
    // The button went up without a drag starting: a press inside the selection places
    // the caret there.
    void MouseUp(int64_t nX, int64_t nY);

    // Commands.
    void Delete();
    bool Copy(CHexClipboard& clipboard);
    bool Cut(CHexClipboard& clipboard);
    bool Paste(CHexClipboard& clipboard);
    void SelectAll();
    void Undo();
    void ToggleOvertype();
    void ToggleReadOnly();
    void ToggleBookmark();
    void ClearBookmarks();
    void GotoBookmark();
    void ToggleCharacterArea();
    void ToggleDecimalAddresses();
    bool IsHighlightAll() const { return m_bHighlightAll; }
    void SetHighlightAll(bool bOn) { m_bHighlightAll = bOn; }
    // Saves the data to path through the buffer (backup as the settings say); the buffer
    // shows its messages.
    bool Save(const std::string& path);

    // The move of search and go-to: checks the caret (asking to jump to the end when it
    // lies outside the data), collapses an anchor outside the data and scrolls the caret
    // into view. False when the user cancelled.
    bool SetSelection(int64_t nCaret, int64_t nAnchor);
    // Go To: the same check for one position.
    bool GoTo(int64_t nPosition) { return SetSelection(nPosition, nPosition); }
    // Selects a found match and moves the caret to the area that fits the search.
    void ApplyFound(const SHexFindResult& found);
    // Resets the three typing sequences (search, go-to and clipboard do this).
    void ResetSequences();

    // Drag and drop. StartDrag gives the selection as text and as binary data (false,
    // with a message, when nothing can be dragged) and remembers the range. EndDrag
    // deletes the range after a move.
    bool StartDrag(std::string& strText, std::vector<uint8_t>& binary);
    void EndDrag(bool bMoved, bool bDroppedHere);
    // Drops bytes at the byte under a point; false when refused.
    bool Drop(const std::vector<uint8_t>& bytes, uint32_t nPosition);
    bool IsDragging() const { return m_bDragging; }
    // The byte under a document point, for the drop caret (clamped to the data).
    uint32_t PositionAt(int64_t nX, int64_t nY, bool* pbCharArea = nullptr) const;

    // Status panes and the selection size tip.
    SHexStatus GetStatus(const SHexNumberFormat& format) const;
    std::string GetSelectionTip(const SHexNumberFormat& format) const;

    // Commands: the list with texts and keys, their states, the context menu by area.
    static const std::vector<SCommandInfo>& GetCommands();
    bool UpdateCommand(int nId, SCommandState& state) const;
    std::vector<SHexMenuItem> GetContextMenu(int64_t nX) const;

    // CHexBufferView
    void OnBufferUpdate(CHexBufferView* pSender, long nHintCode, CHexUpdateHint* pHint) override;

private:
    bool CanModifyOrBeep();
    // The overtype questions: true to go on (insert mode switched on), false to abandon.
    bool ResolveOvertype(const char* pszQuestion);
    bool ChangeBuffer(uint32_t nType, uint32_t nOffset, uint32_t nCount, const uint8_t* pData,
                      int nSequence);
    void PlaceCaret(uint32_t nCaret, uint32_t nAnchor, bool bScroll = true);
    void TypeByte(uint8_t nChar);
    void Backspace();
    bool BuildClipText(uint32_t nFrom, uint32_t nTo, std::string& strText,
                       std::vector<uint8_t>& binary, bool bWithBinary);
    uint8_t ByteAt(uint32_t nPosition) const;
    void FollowChange(const CHexHint& hint);
    void UpdateLength();
    uint32_t Length() const { return m_buffer.GetLength(); }

    CTarvoHexEditBuffer& m_buffer;
    CHexEditHost& m_host;
    const CHexEditSettings& m_settings;
    CHexLayout m_layout;

    uint32_t m_nCaret = 0;
    uint32_t m_nAnchor = 0;
    bool m_bCharArea = false;
    bool m_bOvertype = true;
    int m_nTypingSequence = 0;
    int m_nDeleteSequence = 0;
    int m_nBackspaceSequence = 0;
    int64_t m_nBookmark = -1;
    bool m_bBookmarkCharArea = false;
    bool m_bHighlightAll = false;
    // Mouse and dragging.
    bool m_bMouseCharArea = false;
    bool m_bDragging = false;
    uint32_t m_nDragFrom = 0;
    uint32_t m_nDragTo = 0;
};

#pragma once
// The geometry of a text view, without any window: how the lines of a buffer become a
// fixed-pitch grid of columns and rows, where the margin ends, how far the view is
// scrolled, which rows a wrapped line takes, how the view reacts to each change of the
// buffer, and how the text splits into printed pages. The widget (CTarvoTextView) paints
// what this class says and forwards its events here; editing commands ask it for geometry.
//
// Units. A character index is a byte index in a line (Part of STextPosition). A column is
// one cell of the grid: a single-byte character takes one, a double-byte character two, a
// UTF-8 sequence (code page 65001) one or, when East Asian wide, two; a tab runs to the
// next tab stop counted from the line start; a blank shown as a visible glyph takes as
// many columns as the glyph has bytes. A row is one display row: a line takes one row, or
// one per sub-line when word wrap breaks it. Pixels are the client coordinates of the
// widget: a cell is GetCharWidth() wide and GetLineHeight() high.
//
// Threads. Everything here runs on the user-interface thread except the whole-text wrap
// pass (StartWrapPass). While the pass runs the layout is "wrap pending": it answers every
// row question as if no line were wrapped and never reads or writes the wrap fields of
// the line records or the buffer's sub-line array, which belong to the pass until its end
// has been taken (TakeWrapPassEnd) on this thread. Any change of the text cancels the
// pass through its cancel flag and waits for it (OnBeforeTextChange), and so do a new
// wrap request and the destructor; the pass itself only reads line texts, which nothing
// else changes while it runs.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "syntax/SyntaxParser.h"
#include "text/TextEditBuffer.h"
#include "text/TextPosition.h"
#include "text/UpdateContext.h"

// Display options (the view's flag set).
constexpr uint32_t ViewHighlightSyntax = 0x01;
constexpr uint32_t ViewHighlightLine = 0x02;
constexpr uint32_t ViewMargin = 0x10;
constexpr uint32_t ViewLineNumbers = 0x20;
constexpr uint32_t ViewChangeMarks = 0x40;

// Colour classes the layout itself names (the parsers' are in SyntaxParser.h).
constexpr int32_t kColorTextBackground = 1;
constexpr int32_t kColorMarginBackground = 2;
constexpr int32_t kColorSelectionFocus = 5;
constexpr int32_t kColorSelectedText = 6;
constexpr int32_t kColorSelectionNoFocus = 7;
constexpr int32_t kColorHighlightMatch = 8;
// A background that is not a class: the colour of the caret line.
constexpr int32_t kColorCaretLine = 0x40000000;

// Glyphs that stand for a tab, a blank, CR and LF when white space or line endings are
// shown: byte strings in the code page of the text.
struct SWhitespaceGlyphs
{
    const char* pszTab;
    const char* pszSpace;
    const char* pszCr;
    const char* pszLf;
};
const SWhitespaceGlyphs& GetWhitespaceGlyphs(int nCodePage);

// One character of a display string: where its bytes are in the string and which columns
// it covers (nColumn counted from the start of the line).
struct SDisplayCell
{
    int32_t nOffset;
    int32_t nColumn;
    int16_t nBytes;
    int16_t nWidth;
};

// A highlighted range of a line [nStart, nEnd) (the matches of "highlight all").
struct SHighlightBlock
{
    int32_t nStart;
    int32_t nEnd;
};

// Gives the highlighted ranges of a line; the find commands supply one.
class CTextHighlightSource
{
public:
    virtual ~CTextHighlightSource() = default;
    virtual void GetHighlightBlocks(int nLine, std::vector<SHighlightBlock>& blocks) = 0;
};

// Lays the highlight blocks over runs: text inside a block keeps its colour and takes the
// match background (class 8). The runs stay ordered; nLength is the line's length.
void MergeHighlightBlocks(std::vector<SyntaxRun>& runs, int nLength,
                          const std::vector<SHighlightBlock>& blocks);

// One piece of a row in one colour pair: the expanded text and its cells.
struct SRowSpan
{
    int32_t nTextColor; // colour class
    int32_t nBkColor;   // colour class or kColorCaretLine
    bool bSelected;
    std::string strText;
    std::vector<SDisplayCell> cells; // columns from the line start
    int32_t nColumn;                 // first column, from the line start
    int32_t nColumns;                // columns covered
};

// What one display row shows, from its first column on.
struct SRowLayout
{
    int nLine = -1;
    int nSubLine = 0;
    int nStartChar = 0;   // first character of the row
    int nEndChar = 0;     // one past its last character
    int nStartColumn = 0; // column of the row start, from the line start
    std::vector<SRowSpan> spans;
    int nEndColumn = 0;                        // column after the last span
    bool bLineEndSelected = false;             // one selected cell after the text
    int32_t nFillColor = kColorTextBackground; // right of the text
};

// What the widget must do after a change of the buffer.
struct SLayoutUpdate
{
    bool bRepaintAll = false;
    int nFirstLine = -1;     // lines from this one ...
    int nLastLine = -1;      // ... to this one (-1 = to the end) repaint
    int nInvalidTop = -1;    // the client area from this y down is invalid (-1 = none) ...
    int nInvalidBottom = -1; // ... up to this y (-1 = to the bottom of the client area)
    bool bVScroll = false;
    bool bHScroll = false;
    bool bCaret = false;
};

struct SScrollRange
{
    int nMin = 0;
    int nMax = 0;
    int nPage = 0;
    int nPos = 0;
    bool bEnabled = true;
};

struct SClientPoint
{
    int x = 0;
    int y = 0;
};

class CTextLayout : public CSyntaxWrapSource
{
public:
    CTextLayout();
    ~CTextLayout() override;
    CTextLayout(const CTextLayout&) = delete;
    CTextLayout& operator=(const CTextLayout&) = delete;

    // The buffer shown (not owned; the caller attaches the view to it). Resets all state.
    void SetBuffer(CTarvoTextEditBuffer* pBuffer);
    CTarvoTextEditBuffer* GetBuffer() const { return m_pBuffer; }
    // Forgets caret, selection, scroll position and every cache, as after a new text.
    void Reset();

    // Metrics, measured by the widget: the cell of "X" and the width of "5" in the margin
    // font. Values below 1 count as 1.
    void SetMetrics(int nCharWidth, int nLineHeight, int nMarginDigitWidth);
    int GetCharWidth() const { return m_nCharWidth; }
    int GetLineHeight() const { return m_nLineHeight; }
    int GetMarginDigitWidth() const { return m_nMarginDigitWidth; }

    // The client size in pixels. A change keeps the text position that was at the top-left
    // (re-wrapping first when the width in columns changed) and returns true when it did so.
    bool SetClientSize(int nWidth, int nHeight);
    int GetClientWidth() const { return m_nClientWidth; }
    int GetClientHeight() const { return m_nClientHeight; }
    // Whole rows that fit, and whole columns right of the margin (at least 1 each).
    int GetScreenRows() const;
    int GetScreenColumns() const;

    // Display options. Each setter returns whether the layout changed so that the scroll
    // bars and the caret need recomputing.
    uint32_t GetViewFlags() const { return m_dwFlags; }
    bool SetViewFlags(uint32_t dwFlags);
    bool GetShowWhitespace() const { return m_bShowWhitespace; }
    bool SetShowWhitespace(bool bShow);
    bool GetShowLineEndings() const { return m_bShowLineEndings; }
    bool SetShowLineEndings(bool bShow);
    bool GetWordWrap() const { return m_bWordWrap; }
    // Switches word wrap. Switching on starts the whole-text pass (StartWrapPass).
    void SetWordWrap(bool bWrap);
    int GetTabSize() const;
    // The code page of the text (its multibyte rules and glyphs); the text code page of
    // the process unless a caller sets one (0 = back to it).
    int GetCodePage() const;
    void SetCodePage(int nCodePage) { m_nCodePage = nCodePage; }

    // Caret, selection and focus: plain state that the editing commands set.
    STextPosition GetCaret() const { return m_ptCaret; }
    void SetCaret(STextPosition pt) { m_ptCaret = pt; }
    STextPosition GetAnchor() const { return m_ptAnchor; }
    STextPosition GetActiveEnd() const { return m_ptActive; }
    void SetSelection(STextPosition ptAnchor, STextPosition ptActive);
    bool HasSelection() const { return !(m_ptAnchor == m_ptActive); }
    // The selection in text order.
    void GetDrawSelection(STextPosition& ptStart, STextPosition& ptEnd) const;
    bool GetFocus() const { return m_bFocus; }
    void SetFocus(bool bFocus) { m_bFocus = bFocus; }
    bool GetOverwrite() const { return m_bOverwrite; }
    void SetOverwrite(bool bOverwrite) { m_bOverwrite = bOverwrite; }
    void SetHighlightSource(CTextHighlightSource* pSource) { m_pHighlight = pSource; }

    // Lines.
    int GetLineCount() const;
    int GetLineLength(int nLine) const;
    const char* GetLineChars(int nLine) const;

    // Geometry.
    int MarginWidth() const;
    // Turns chars[first .. first + count) of a line (length `length`; the bytes after it
    // may be the line ending) into the string that is drawn, starting at column
    // nStartColumn of the line, and returns the columns it takes. Cells, when given,
    // receive one entry per drawn character.
    int ExpandForDisplay(const char* chars, int length, int first, int count, int nStartColumn,
                         std::string& out, std::vector<SDisplayCell>* cells) const;
    // The column of a character: from the line start, or from the start of its sub-line.
    int CharToColumn(int nLine, int nChar, bool bFromLineStart = false);
    // The character a column of a sub-line of a line falls on; never the inside of a
    // multibyte character.
    int ColumnToChar(int nLine, int nColumn, int nSubLine = 0);
    // The client point of the top-left corner of a position's cell.
    SClientPoint TextToClient(STextPosition pt);
    // Columns a line's text takes (cached per line).
    int GetLineColumns(int nLine);
    // The largest GetLineColumns over the lines known so far (see GetHScroll).
    int GetLongestLineColumns();

    // Rows.
    int GetLineRowCount(int nLine, bool bForPrinting = false);
    // The row of the first sub-line of a line (a line at or past the end gives the total).
    int GetSubLineIndex(int nLine);
    // The line and sub-line of a row; a row past the end gives the last line's last one.
    void GetLineFromRow(int nRow, int& nLine, int& nSubLine);
    int GetTotalRows();
    // The sub-line of a line that holds a character.
    int GetSubLineOfChar(int nLine, int nChar);
    // The start characters of the sub-lines after the first, for a width in columns; the
    // number of breaks. Nothing when neither printing nor wrapping.
    int GetLineBreaks(int nLine, std::vector<int>* pBreaks, bool bForPrinting = false);

    // Scrolling.
    int GetTopLine() const { return m_nTopLine; }
    int GetTopSubLine() const { return m_nTopSubLine; }
    int GetOffsetChar() const { return m_nOffsetChar; }
    // Clamps and sets the top row; returns the rows moved (0 when nothing moved).
    int ScrollToRow(int nRow);
    // Clamps and sets the horizontal offset in columns; returns the columns moved.
    int ScrollToColumn(int nColumn);
    // Rows a wheel turn of nDelta (120 per notch, positive = up) moves: delta / 40 rows,
    // with the remainder of high-resolution wheels carried to the next turn.
    int WheelRows(int nDelta);
    SScrollRange GetVScroll();
    // When wrapping is off: 0 .. longest line + visible columns, page = visible columns.
    // With wrapping on: disabled and empty. The longest line is taken over the lines whose
    // columns are known (all lines of a buffer of up to kFullScanLines lines; in a larger
    // buffer the lines shown so far), so that opening a large file does not walk it.
    SScrollRange GetHScroll();
    static constexpr int kFullScanLines = 65536;
    // After the size or the content changed: when every row fits and the view is scrolled,
    // back to the top; when every column fits, back to column 0. True when it moved.
    bool ClampScroll();

    // The caret rectangle in client pixels (2 px wide, a whole cell in overwrite mode);
    // false when the caret is not shown (no focus, or left of the visible columns).
    bool GetCaretRect(int& x, int& y, int& w, int& h);

    // Painting. The runs of a line as drawn: {0, 3, 2}, then the parser's (when syntax is
    // highlighted), then the highlight blocks. Updates the parse state after the line.
    void GetLineRuns(int nLine, std::vector<SyntaxRun>& runs);
    // The runs of a line from a given state, without touching the state cache (for a
    // reader on another thread, such as the export); returns the state after the line.
    // A run slot that is not cleared when a scratch array grows: the parser writes what
    // it uses.
    struct SRunSlot
    {
        SyntaxRun run;
        SRunSlot() {}
    };
    uint32_t GetLineRunsFrom(uint32_t state, const CTarvoTextLineInfo* pLine,
                             std::vector<SyntaxRun>& runs,
                             std::vector<SRunSlot>* pScratch = nullptr) const;
    // The layout of one display row, clipped to the columns [nFirstColumn, nLastColumn)
    // counted from the row start (tabs still count from the line start).
    void LayoutRow(int nLine, int nSubLine, int nFirstColumn, int nLastColumn, SRowLayout& row,
                   bool bForPrinting = false);

    // Reaction to a change of the buffer (CTextBufferView::OnUpdate).
    SLayoutUpdate OnUpdate(const CUpdateContext* pContext, uint32_t dwHint, int nLine);
    // Before the buffer changes its text: stops a running wrap pass.
    void OnBeforeTextChange();
    // A block command (indenting several lines) is running: the scroll bars are recomputed
    // once at its end, not after every line.
    void SetBlockCommand(bool bRunning) { m_bBlockCommand = bRunning; }

    // Word wrap internals (exposed for the widget and the tests).
    void InvalidateLineWrapping(int nFirst, int nLast);
    int RebuildSubLineArray(bool bForce);
    // Whole-text wrap. A buffer of at most SetSyncWrapLines lines is wrapped at once; a
    // larger one on a worker thread, which calls the end callback (from its own thread,
    // with the pass number) when it is done; the owner then calls TakeWrapPassEnd on the
    // user-interface thread.
    void StartWrapPass();
    bool IsWrapPending() const { return m_bWrapPending; }
    void SetWrapEndCallback(std::function<void(int nPass)> fn) { m_fnWrapEnd = std::move(fn); }
    void SetSyncWrapLines(int nLines) { m_nSyncWrapLines = nLines; }
    // Joins the finished pass and installs its result; false for a stale pass number.
    bool TakeWrapPassEnd(int nPass);
    // Cancels a running pass and waits for it; true when one was running.
    bool CancelWrapPass();

    // Printing: the width in columns used for wrapped lines, and the pagination: the first
    // line of each page, for pages of nRowsPerPage rows.
    void SetPrintColumns(int nColumns) { m_nPrintColumns = nColumns < 1 ? 1 : nColumns; }
    int GetPrintColumns() const { return m_nPrintColumns; }
    std::vector<int> Paginate(int nRowsPerPage);

    // CSyntaxWrapSource (user-interface thread reads).
    int GetWrapLineLength(int nLine) const override { return GetLineLength(nLine); }
    const char* GetWrapLineChars(int nLine) const override { return GetLineChars(nLine); }
    int GetWrapTabSize() const override { return GetTabSize(); }

private:
    // Columns a character at index i adds at column `column`; its byte count in *pBytes.
    int CharColumns(const char* chars, int length, int i, int column, int* pBytes) const;
    int WrapWidth(bool bForPrinting) const;
    const CSyntaxParser& WrapParser() const;
    // Computes the breaks of a line (and caches its count unless printing).
    int WrapLine(int nLine, std::vector<int>* pBreaks, bool bForPrinting);
    void ClearWrapping();
    void StartWrapPassAt(STextPosition top);
    void RunWrapPass(int nWidth);
    // The text position at the top-left, and back.
    STextPosition TopLeftPosition();
    void ScrollToPosition(STextPosition pt);
    void SyncTopLine();
    void InvalidateColumnCache(int nFirst, int nLast);
    void EnsureColumnCacheSize();
    void MapThroughContext(const CUpdateContext* pContext);
    void AdjustColumnCache(const CUpdateContext* pContext, uint32_t dwHint, int nLine);

    CTarvoTextEditBuffer* m_pBuffer = nullptr;
    int m_nCodePage = 0;
    int m_nCharWidth = 8;
    int m_nLineHeight = 16;
    int m_nMarginDigitWidth = 6;
    int m_nClientWidth = 0;
    int m_nClientHeight = 0;
    uint32_t m_dwFlags =
        ViewHighlightSyntax | ViewHighlightLine | ViewMargin | ViewLineNumbers | ViewChangeMarks;
    bool m_bShowWhitespace = false;
    bool m_bShowLineEndings = false;
    bool m_bWordWrap = false;
    int m_nTopLine = 0;
    int m_nTopSubLine = 0;
    int m_nOffsetChar = 0;
    int m_nWheelRemainder = 0;
    STextPosition m_ptCaret;
    STextPosition m_ptAnchor;
    STextPosition m_ptActive;
    bool m_bFocus = false;
    bool m_bOverwrite = false;
    bool m_bBlockCommand = false;
    CTextHighlightSource* m_pHighlight = nullptr;
    int m_nPrintColumns = 80;

    // Columns of each line's text, -1 = unknown; the longest known and its line.
    std::vector<int32_t> m_aColumns;
    int m_nLongest = -1;     // -1 = to be found again
    int m_nLongestLine = -1; // its line, in a buffer too large for a slot per line

    // Scratch for painting.
    std::vector<SyntaxRun> m_aRuns;
    std::vector<SHighlightBlock> m_aBlocks;
    std::vector<int> m_aBreaks;

    // The whole-text wrap pass.
    std::thread m_wrapThread;
    std::atomic<int> m_nCancel{0};
    int m_nPass = 0;
    bool m_bWrapPending = false;
    bool m_bRestartWrap = false;
    int m_nSyncWrapLines = 20000;
    std::vector<CTarvoTextSubLineInfo> m_aPassSubLines; // the pass's own until it ends
    STextPosition m_ptPassTop;                          // top-left text position to keep
    std::function<void(int)> m_fnWrapEnd;
};

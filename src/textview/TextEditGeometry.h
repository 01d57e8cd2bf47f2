#pragma once
// What the editing controller needs to know about the layout of a text view: columns of
// characters, display rows (sub-lines) of wrapped lines, the scroll position, the visible
// page, and how a pointer position maps to the text. The view's layout class implements
// it; CSimpleTextEditGeometry is a complete implementation without word wrap, used by the
// tests and by drivers that run the controller without a window.
//
// Units: a column is one cell of the fixed-pitch grid; a row is one sub-line; "row index"
// counts rows over the whole text from 0. Pixel positions are client coordinates, the
// margin included (x = 0 is the left edge of the margin).

#include "text/TextPosition.h"

class CTarvoTextEditBuffer;

class ITextEditGeometry
{
public:
    virtual ~ITextEditGeometry() = default;

    // Display column of character nChar of nLine: from the start of the line with
    // bFromLineStart, else from the start of the sub-line that holds it.
    virtual int CharToColumn(int nLine, int nChar, bool bFromLineStart) const = 0;
    // The character on which column nColumn (counted from the start of sub-line nSubLine)
    // falls, never past the end of that sub-line and never on a byte inside a multibyte
    // character.
    virtual int ColumnToChar(int nLine, int nColumn, int nSubLine) const = 0;

    // Rows of a line (1 when not wrapped) and the character where row nSubLine begins.
    virtual int GetSubLineCount(int nLine) const = 0;
    virtual int GetSubLineStart(int nLine, int nSubLine) const = 0;
    // The row index of the first row of a line, and the line and sub-line of a row index.
    virtual int GetSubLineIndex(int nLine) const = 0;
    virtual void GetLineBySubLineIndex(int nRow, int& nLine, int& nSubLine) const = 0;
    virtual int GetSubLineTotal() const = 0;

    // Whole rows and columns that fit the client area (1 at least).
    virtual int GetScreenRows() const = 0;
    virtual int GetScreenColumns() const = 0;
    // The row index shown at the top; scrolling clamps to the text.
    virtual int GetTopSubLine() const = 0;
    virtual void ScrollToSubLine(int nRow) = 0;
    // Horizontal scroll offset in columns; scrolling clamps to 0 and the longest line.
    virtual int GetOffsetChar() const = 0;
    virtual void ScrollToColumn(int nColumn) = 0;
    // Scrolls so that the position is visible.
    virtual void EnsureVisible(const STextPosition& pt) = 0;
    // Repaints the whole client area (highlight switched, options changed).
    virtual void InvalidateAll() = 0;

    // Pointer geometry in pixels.
    virtual int GetMarginWidth() const = 0;
    virtual int GetLineHeight() const = 0;
    virtual int GetClientWidth() const = 0;
    virtual int GetClientHeight() const = 0;
    // The text position under a client point, snapped to whole characters and clamped to
    // the text (a point below the last row gives the last line).
    virtual STextPosition ClientToText(int x, int y) const = 0;
    // The row index under a client y, clamped to the text.
    virtual int ClientToSubLineIndex(int y) const = 0;
};

// Sub-line of nLine that holds character nChar.
int SubLineOfChar(const ITextEditGeometry& geometry, int nLine, int nChar);

// No wrap: one row per line; a tab runs to the next multiple of the buffer's tab size; a
// multibyte character of the text code page (GetTextCodePage) is one character of one or
// two columns. Pixels: columns of 8, rows of 16, a margin of 20.
class CSimpleTextEditGeometry : public ITextEditGeometry
{
public:
    explicit CSimpleTextEditGeometry(const CTarvoTextEditBuffer* pBuffer, int nScreenRows = 10,
                                     int nScreenColumns = 80);

    static constexpr int kCharWidth = 8;
    static constexpr int kLineHeight = 16;
    static constexpr int kMarginWidth = 20;

    int CharToColumn(int nLine, int nChar, bool bFromLineStart) const override;
    int ColumnToChar(int nLine, int nColumn, int nSubLine) const override;
    int GetSubLineCount(int nLine) const override;
    int GetSubLineStart(int nLine, int nSubLine) const override;
    int GetSubLineIndex(int nLine) const override;
    void GetLineBySubLineIndex(int nRow, int& nLine, int& nSubLine) const override;
    int GetSubLineTotal() const override;
    int GetScreenRows() const override { return m_nScreenRows; }
    int GetScreenColumns() const override { return m_nScreenColumns; }
    int GetTopSubLine() const override { return m_nTopSubLine; }
    void ScrollToSubLine(int nRow) override;
    int GetOffsetChar() const override { return m_nOffsetChar; }
    void ScrollToColumn(int nColumn) override;
    void EnsureVisible(const STextPosition& pt) override;
    void InvalidateAll() override { ++m_nInvalidations; }
    int GetMarginWidth() const override { return kMarginWidth; }
    int GetLineHeight() const override { return kLineHeight; }
    int GetClientWidth() const override { return kMarginWidth + m_nScreenColumns * kCharWidth; }
    int GetClientHeight() const override { return m_nScreenRows * kLineHeight; }
    STextPosition ClientToText(int x, int y) const override;
    int ClientToSubLineIndex(int y) const override;

    void SetScreenRows(int nRows) { m_nScreenRows = nRows < 1 ? 1 : nRows; }
    int GetInvalidations() const { return m_nInvalidations; }
    // The client point of the left edge of a character cell.
    void TextToClient(const STextPosition& pt, int& x, int& y) const;

private:
    int LongestLineColumns() const;

    const CTarvoTextEditBuffer* m_pBuffer;
    int m_nScreenRows;
    int m_nScreenColumns;
    int m_nTopSubLine = 0;
    int m_nOffsetChar = 0;
    int m_nInvalidations = 0;
};

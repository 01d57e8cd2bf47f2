#include "textview/TextLayoutGeometry.h"

#include <algorithm>
#include <vector>

#include "textview/TextLayout.h"

namespace
{
// Floor division: pixels left of or above the client area give negative cells.
int FloorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
} // namespace

int CTextLayoutGeometry::CharToColumn(int nLine, int nChar, bool bFromLineStart) const
{
    return m_layout.CharToColumn(nLine, nChar, bFromLineStart);
}

int CTextLayoutGeometry::ColumnToChar(int nLine, int nColumn, int nSubLine) const
{
    const int rows = m_layout.GetLineRowCount(nLine);
    nSubLine = std::clamp(nSubLine, 0, std::max(rows - 1, 0));
    const int result = m_layout.ColumnToChar(nLine, std::max(nColumn, 0), nSubLine);
    if (nSubLine + 1 >= rows)
        return result;
    const int next = GetSubLineStart(nLine, nSubLine + 1);
    if (result < next)
        return result;
    const int start = GetSubLineStart(nLine, nSubLine);
    const int width =
        m_layout.CharToColumn(nLine, next, true) - m_layout.CharToColumn(nLine, start, true);
    return m_layout.ColumnToChar(nLine, std::max(width - 1, 0), nSubLine);
}

int CTextLayoutGeometry::GetSubLineCount(int nLine) const
{
    return m_layout.GetLineRowCount(nLine);
}

int CTextLayoutGeometry::GetSubLineStart(int nLine, int nSubLine) const
{
    if (nSubLine <= 0)
        return 0;
    std::vector<int> breaks;
    const int n = m_layout.GetLineBreaks(nLine, &breaks);
    if (n == 0)
        return 0;
    return breaks[static_cast<size_t>(std::min(nSubLine, n) - 1)];
}

int CTextLayoutGeometry::GetSubLineIndex(int nLine) const
{
    return m_layout.GetSubLineIndex(nLine);
}

void CTextLayoutGeometry::GetLineBySubLineIndex(int nRow, int& nLine, int& nSubLine) const
{
    m_layout.GetLineFromRow(nRow, nLine, nSubLine);
}

int CTextLayoutGeometry::GetSubLineTotal() const
{
    return m_layout.GetTotalRows();
}

int CTextLayoutGeometry::GetScreenRows() const
{
    return m_layout.GetScreenRows();
}

int CTextLayoutGeometry::GetScreenColumns() const
{
    return m_layout.GetScreenColumns();
}

int CTextLayoutGeometry::GetTopSubLine() const
{
    return m_layout.GetTopSubLine();
}

void CTextLayoutGeometry::ScrollToSubLine(int nRow)
{
    if (m_layout.ScrollToRow(nRow) != 0)
        Scrolled();
}

int CTextLayoutGeometry::GetOffsetChar() const
{
    return m_layout.GetOffsetChar();
}

void CTextLayoutGeometry::ScrollToColumn(int nColumn)
{
    if (m_layout.ScrollToColumn(nColumn) != 0)
        Scrolled();
}

void CTextLayoutGeometry::EnsureVisible(const STextPosition& pt)
{
    const int count = m_layout.GetLineCount();
    if (count == 0)
        return;
    const int line = std::clamp(pt.y, 0, count - 1);
    const int row = m_layout.GetSubLineIndex(line) + m_layout.GetSubLineOfChar(line, pt.x);
    const int top = m_layout.GetTopSubLine();
    const int rows = m_layout.GetScreenRows();
    int moved = 0;
    if (row < top)
        moved += m_layout.ScrollToRow(row);
    else if (row >= top + rows)
        moved += m_layout.ScrollToRow(row - rows + 1);
    if (!m_layout.GetWordWrap())
    {
        // The caret's cell and the one after it, so that a caret at the end shows.
        const int column = m_layout.CharToColumn(line, pt.x, true);
        const int offset = m_layout.GetOffsetChar();
        const int columns = m_layout.GetScreenColumns();
        if (column < offset)
            moved += m_layout.ScrollToColumn(column) != 0 ? 1 : 0;
        else if (column >= offset + columns)
            moved += m_layout.ScrollToColumn(column - columns + 1) != 0 ? 1 : 0;
    }
    if (moved != 0)
        Scrolled();
}

void CTextLayoutGeometry::InvalidateAll()
{
    if (m_fnInvalidate)
        m_fnInvalidate();
}

int CTextLayoutGeometry::GetMarginWidth() const
{
    return m_layout.MarginWidth();
}

int CTextLayoutGeometry::GetLineHeight() const
{
    return m_layout.GetLineHeight();
}

int CTextLayoutGeometry::GetClientWidth() const
{
    return m_layout.GetClientWidth();
}

int CTextLayoutGeometry::GetClientHeight() const
{
    return m_layout.GetClientHeight();
}

STextPosition CTextLayoutGeometry::ClientToText(int x, int y) const
{
    if (m_layout.GetLineCount() == 0)
        return {0, 0};
    int line = 0;
    int sub = 0;
    m_layout.GetLineFromRow(ClientToSubLineIndex(y), line, sub);
    const int cw = m_layout.GetCharWidth();
    const int column =
        std::max(0, FloorDiv(x - m_layout.MarginWidth() + cw / 2, cw) + m_layout.GetOffsetChar());
    return {ColumnToChar(line, column, sub), line};
}

int CTextLayoutGeometry::ClientToSubLineIndex(int y) const
{
    const int total = m_layout.GetTotalRows();
    return std::clamp(m_layout.GetTopSubLine() + FloorDiv(y, m_layout.GetLineHeight()), 0,
                      std::max(total - 1, 0));
}

void CTextLayoutGeometry::Scrolled() const
{
    if (m_fnScrolled)
        m_fnScrolled();
}

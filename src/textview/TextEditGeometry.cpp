#include "textview/TextEditGeometry.h"

#include <algorithm>

#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"
#include "text/TextEditBuffer.h"

int SubLineOfChar(const ITextEditGeometry& geometry, int nLine, int nChar)
{
    const int count = geometry.GetSubLineCount(nLine);
    int sub = 0;
    while (sub + 1 < count && geometry.GetSubLineStart(nLine, sub + 1) <= nChar)
        ++sub;
    return sub;
}

CSimpleTextEditGeometry::CSimpleTextEditGeometry(const CTarvoTextEditBuffer* pBuffer,
                                                 int nScreenRows, int nScreenColumns)
    : m_pBuffer(pBuffer), m_nScreenRows(std::max(nScreenRows, 1)),
      m_nScreenColumns(std::max(nScreenColumns, 1))
{
}

int CSimpleTextEditGeometry::CharToColumn(int nLine, int nChar, bool /*bFromLineStart*/) const
{
    const CTarvoTextLineInfo* line = m_pBuffer->GetLineRecord(nLine);
    if (line == nullptr)
        return 0;
    const int cp = GetTextCodePage();
    const int tab = m_pBuffer->GetTabSize();
    const int end = std::min(nChar, line->nLength);
    int column = 0;
    for (int i = 0; i < end;)
    {
        if (line->pcLine[i] == '\t')
        {
            column += tab - column % tab;
            ++i;
            continue;
        }
        column += CharDisplayWidth(cp, line->pcLine, line->nLength, i);
        i += CharLength(cp, line->pcLine, line->nLength, i);
    }
    return column;
}

int CSimpleTextEditGeometry::ColumnToChar(int nLine, int nColumn, int /*nSubLine*/) const
{
    const CTarvoTextLineInfo* line = m_pBuffer->GetLineRecord(nLine);
    if (line == nullptr)
        return 0;
    const int cp = GetTextCodePage();
    const int tab = m_pBuffer->GetTabSize();
    int column = 0;
    int i = 0;
    while (i < line->nLength)
    {
        const int width = line->pcLine[i] == '\t'
                              ? tab - column % tab
                              : CharDisplayWidth(cp, line->pcLine, line->nLength, i);
        if (column + width > nColumn)
            break;
        column += width;
        i += line->pcLine[i] == '\t' ? 1 : CharLength(cp, line->pcLine, line->nLength, i);
    }
    return i;
}

int CSimpleTextEditGeometry::GetSubLineCount(int /*nLine*/) const
{
    return 1;
}

int CSimpleTextEditGeometry::GetSubLineStart(int /*nLine*/, int /*nSubLine*/) const
{
    return 0;
}

int CSimpleTextEditGeometry::GetSubLineIndex(int nLine) const
{
    return nLine;
}

void CSimpleTextEditGeometry::GetLineBySubLineIndex(int nRow, int& nLine, int& nSubLine) const
{
    nLine = std::clamp(nRow, 0, std::max(m_pBuffer->GetLineCount() - 1, 0));
    nSubLine = 0;
}

int CSimpleTextEditGeometry::GetSubLineTotal() const
{
    return m_pBuffer->GetLineCount();
}

void CSimpleTextEditGeometry::ScrollToSubLine(int nRow)
{
    m_nTopSubLine = std::max(0, std::min(nRow, GetSubLineTotal() - m_nScreenRows));
}

int CSimpleTextEditGeometry::LongestLineColumns() const
{
    int longest = 0;
    for (int i = 0; i < m_pBuffer->GetLineCount(); ++i)
        longest = std::max(longest, CharToColumn(i, m_pBuffer->GetLineRecord(i)->nLength, true));
    return longest;
}

void CSimpleTextEditGeometry::ScrollToColumn(int nColumn)
{
    m_nOffsetChar = std::max(0, std::min(nColumn, LongestLineColumns()));
}

void CSimpleTextEditGeometry::EnsureVisible(const STextPosition& pt)
{
    const int row = GetSubLineIndex(pt.y);
    if (row < m_nTopSubLine)
        ScrollToSubLine(row);
    else if (row >= m_nTopSubLine + m_nScreenRows)
        ScrollToSubLine(row - m_nScreenRows + 1);
    const int column = CharToColumn(pt.y, pt.x, true);
    if (column < m_nOffsetChar)
        m_nOffsetChar = column;
    else if (column >= m_nOffsetChar + m_nScreenColumns)
        m_nOffsetChar = column - m_nScreenColumns + 1;
}

STextPosition CSimpleTextEditGeometry::ClientToText(int x, int y) const
{
    int line = 0;
    int sub = 0;
    GetLineBySubLineIndex(ClientToSubLineIndex(y), line, sub);
    const CTarvoTextLineInfo* record = m_pBuffer->GetLineRecord(line);
    if (record == nullptr)
        return {0, 0};
    // A point in the right half of a cell belongs to the boundary after it.
    const int column =
        std::max(0, (x - kMarginWidth + kCharWidth / 2) / kCharWidth + m_nOffsetChar);
    const int pos = ColumnToChar(line, column, sub);
    return {pos, line};
}

int CSimpleTextEditGeometry::ClientToSubLineIndex(int y) const
{
    const int rows = y < 0 ? -((-y + kLineHeight - 1) / kLineHeight) : y / kLineHeight;
    return std::clamp(m_nTopSubLine + rows, 0, std::max(GetSubLineTotal() - 1, 0));
}

void CSimpleTextEditGeometry::TextToClient(const STextPosition& pt, int& x, int& y) const
{
    x = kMarginWidth + (CharToColumn(pt.y, pt.x, true) - m_nOffsetChar) * kCharWidth;
    y = (GetSubLineIndex(pt.y) - m_nTopSubLine) * kLineHeight;
}

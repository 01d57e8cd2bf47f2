#include "textview/TextLayout.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"

namespace
{
// Breaks lines when the buffer has no syntax parser: the common break rule of every
// parser, which none of them overrides.
class CDefaultWrapParser : public CSyntaxParser
{
};

// Feeds one line record to the break finder on the wrap thread, without asking the
// layout (whose own accessors are for the user-interface thread).
class CRecordWrapSource : public CSyntaxWrapSource
{
public:
    CRecordWrapSource(const CTarvoTextLineInfo* pLine, int nTabSize)
        : m_pLine(pLine), m_nTabSize(nTabSize)
    {
    }
    int GetWrapLineLength(int) const override { return m_pLine->nLength; }
    const char* GetWrapLineChars(int) const override { return m_pLine->pcLine; }
    int GetWrapTabSize() const override { return m_nTabSize; }

private:
    const CTarvoTextLineInfo* m_pLine;
    int m_nTabSize;
};

int GlyphLength(const char* glyph)
{
    int n = 0;
    while (glyph[n] != '\0')
        ++n;
    return n;
}
} // namespace

const SWhitespaceGlyphs& GetWhitespaceGlyphs(int nCodePage)
{
    static const SWhitespaceGlyphs kAscii{">", ".", "$", "!"};
    static const SWhitespaceGlyphs k850{"\xAF", "\xFA", "\xF5", "\xF4"};
    static const SWhitespaceGlyphs k932{">", ".", "\x81\x98", "\x81\xF7"};
    static const SWhitespaceGlyphs k949{">", "\xA1\xA4", "\xA1\xD7", "\xA2\xD2"};
    static const SWhitespaceGlyphs k951{"\xA1\x6D", "\xA1\x50", "\xA1\xB1", "\xA2\x54"};
    static const SWhitespaceGlyphs k125x{"\xBB", "\xB7", "\xA7", "\xB6"};
    switch (nCodePage)
    {
    case 850:
        return k850;
    case 932:
        return k932;
    case 949:
        return k949;
    case 951:
        return k951;
    default:
        return nCodePage >= 1250 && nCodePage <= 1257 ? k125x : kAscii;
    }
}

void MergeHighlightBlocks(std::vector<SyntaxRun>& runs, int nLength,
                          const std::vector<SHighlightBlock>& blocks)
{
    if (blocks.empty() || runs.empty())
        return;
    std::vector<int> bounds;
    bounds.reserve(runs.size() + 2 * blocks.size());
    for (const SyntaxRun& run : runs)
        bounds.push_back(run.nStart);
    for (const SHighlightBlock& block : blocks)
    {
        if (block.nEnd <= block.nStart)
            continue;
        bounds.push_back(std::clamp(block.nStart, 0, nLength));
        bounds.push_back(std::clamp(block.nEnd, 0, nLength));
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    std::vector<SyntaxRun> merged;
    merged.reserve(bounds.size());
    size_t r = 0;
    for (int b : bounds)
    {
        if (b >= nLength && b > 0)
            break;
        // The run that covers b is the last one starting at or before it.
        while (r + 1 < runs.size() && runs[r + 1].nStart <= b)
            ++r;
        SyntaxRun run{b, runs[r].nColor, runs[r].nBkColor};
        if (runs[r].nStart > b)
            run.nColor = kSyntaxColorNormal, run.nBkColor = kSyntaxColorBackground;
        for (const SHighlightBlock& block : blocks)
            if (block.nStart <= b && b < block.nEnd)
                run.nBkColor = kColorHighlightMatch;
        if (!merged.empty() && merged.back().nColor == run.nColor &&
            merged.back().nBkColor == run.nBkColor)
            continue;
        merged.push_back(run);
    }
    if (!merged.empty())
        runs.swap(merged);
}

// ---------------------------------------------------------------------------------------

CTextLayout::CTextLayout() = default;

CTextLayout::~CTextLayout()
{
    CancelWrapPass();
}

void CTextLayout::SetBuffer(CTarvoTextEditBuffer* pBuffer)
{
    CancelWrapPass();
    m_pBuffer = pBuffer;
    Reset();
}

void CTextLayout::Reset()
{
    CancelWrapPass();
    m_bRestartWrap = false;
    m_bWrapPending = false;
    m_nTopLine = m_nTopSubLine = m_nOffsetChar = 0;
    m_nWheelRemainder = 0;
    m_ptCaret = m_ptAnchor = m_ptActive = STextPosition{};
    m_aColumns.clear();
    m_nLongest = -1;
    if (m_pBuffer != nullptr)
    {
        m_pBuffer->SetWrapState(-1);
        if (m_bWordWrap)
            StartWrapPass();
    }
}

void CTextLayout::SetMetrics(int nCharWidth, int nLineHeight, int nMarginDigitWidth)
{
    const int oldColumns = GetScreenColumns();
    const STextPosition top = TopLeftPosition();
    m_nCharWidth = std::max(1, nCharWidth);
    m_nLineHeight = std::max(1, nLineHeight);
    m_nMarginDigitWidth = std::max(1, nMarginDigitWidth);
    if (m_bWordWrap && GetScreenColumns() != oldColumns && m_nClientWidth > 0)
        StartWrapPassAt(top);
    else
        ScrollToPosition(top);
}

bool CTextLayout::SetClientSize(int nWidth, int nHeight)
{
    if (nWidth == m_nClientWidth && nHeight == m_nClientHeight)
        return false;
    const STextPosition top = TopLeftPosition();
    const int oldColumns = GetScreenColumns();
    m_nClientWidth = std::max(0, nWidth);
    m_nClientHeight = std::max(0, nHeight);
    if (m_bWordWrap && GetScreenColumns() != oldColumns)
        StartWrapPassAt(top);
    else
    {
        ScrollToPosition(top);
    }
    return true;
}

int CTextLayout::GetScreenRows() const
{
    return std::max(1, m_nClientHeight / m_nLineHeight);
}

int CTextLayout::GetScreenColumns() const
{
    return std::max(1, (m_nClientWidth - MarginWidth()) / m_nCharWidth);
}

bool CTextLayout::SetViewFlags(uint32_t dwFlags)
{
    if (dwFlags == m_dwFlags)
        return false;
    const int oldMargin = MarginWidth();
    m_dwFlags = dwFlags;
    if (MarginWidth() != oldMargin && m_bWordWrap)
        StartWrapPassAt(TopLeftPosition());
    return true;
}

bool CTextLayout::SetShowWhitespace(bool bShow)
{
    if (bShow == m_bShowWhitespace)
        return false;
    m_bShowWhitespace = bShow;
    // A shown blank may be wider than one column: every line's width may change.
    std::fill(m_aColumns.begin(), m_aColumns.end(), -1);
    m_nLongest = -1;
    return true;
}

bool CTextLayout::SetShowLineEndings(bool bShow)
{
    if (bShow == m_bShowLineEndings)
        return false;
    m_bShowLineEndings = bShow;
    return true;
}

void CTextLayout::SetWordWrap(bool bWrap)
{
    if (bWrap == m_bWordWrap)
        return;
    const STextPosition top = TopLeftPosition();
    m_bWordWrap = bWrap;
    m_nOffsetChar = 0;
    if (bWrap)
    {
        StartWrapPassAt(top);
    }
    else
    {
        ClearWrapping();
        ScrollToPosition(top);
    }
}

int CTextLayout::GetTabSize() const
{
    const int n = m_pBuffer != nullptr ? m_pBuffer->GetTabSize() : 4;
    return n < 1 ? 1 : n;
}

int CTextLayout::GetCodePage() const
{
    return m_nCodePage != 0 ? m_nCodePage : GetTextCodePage();
}

void CTextLayout::SetSelection(STextPosition ptAnchor, STextPosition ptActive)
{
    m_ptAnchor = ptAnchor;
    m_ptActive = ptActive;
}

void CTextLayout::GetDrawSelection(STextPosition& ptStart, STextPosition& ptEnd) const
{
    const bool bAnchorFirst = m_ptAnchor.y < m_ptActive.y ||
                              (m_ptAnchor.y == m_ptActive.y && m_ptAnchor.x <= m_ptActive.x);
    ptStart = bAnchorFirst ? m_ptAnchor : m_ptActive;
    ptEnd = bAnchorFirst ? m_ptActive : m_ptAnchor;
}

int CTextLayout::GetLineCount() const
{
    return m_pBuffer != nullptr ? m_pBuffer->GetLineCount() : 0;
}

int CTextLayout::GetLineLength(int nLine) const
{
    const CTarvoTextLineInfo* p = m_pBuffer != nullptr ? m_pBuffer->GetLineRecord(nLine) : nullptr;
    return p != nullptr ? p->nLength : 0;
}

const char* CTextLayout::GetLineChars(int nLine) const
{
    const CTarvoTextLineInfo* p = m_pBuffer != nullptr ? m_pBuffer->GetLineRecord(nLine) : nullptr;
    return p != nullptr ? p->pcLine : nullptr;
}

// ---------------------------------------------------------------------------------------
// Columns

int CTextLayout::MarginWidth() const
{
    if ((m_dwFlags & ViewMargin) == 0)
        return 16;
    int width = 16;
    if ((m_dwFlags & ViewLineNumbers) != 0)
    {
        int digits = 1;
        for (long long n = static_cast<long long>(GetLineCount()) + 10; n >= 10; n /= 10)
            ++digits;
        width = m_nMarginDigitWidth * (digits + 2);
        if ((m_dwFlags & ViewChangeMarks) != 0)
            width += 4;
    }
    return std::max(width, 16);
}

int CTextLayout::CharColumns(const char* chars, int length, int i, int column, int* pBytes) const
{
    const unsigned char c = static_cast<unsigned char>(chars[i]);
    *pBytes = 1;
    if (c == '\t')
    {
        const int tab = GetTabSize();
        return tab - column % tab;
    }
    if (c == ' ')
        return m_bShowWhitespace ? GlyphLength(GetWhitespaceGlyphs(GetCodePage()).pszSpace) : 1;
    if (c < 0x80)
        return 1;
    const int cp = GetCodePage();
    if (!IsMultibyteCodePage(cp))
        return 1;
    *pBytes = CharLength(cp, chars, length, i);
    return CharDisplayWidth(cp, chars, length, i);
}

int CTextLayout::ExpandForDisplay(const char* chars, int length, int first, int count,
                                  int nStartColumn, std::string& out,
                                  std::vector<SDisplayCell>* cells) const
{
    out.clear();
    if (cells != nullptr)
        cells->clear();
    if (chars == nullptr || count <= 0)
        return 0;
    const int cp = GetCodePage();
    const SWhitespaceGlyphs& glyphs = GetWhitespaceGlyphs(cp);
    const int end = first + count;
    const int textEnd = std::min(length, end);
    int column = nStartColumn;
    if (cells == nullptr && !m_bShowWhitespace && !m_bShowLineEndings && first < textEnd &&
        std::memchr(chars + first, '\t', static_cast<size_t>(textEnd - first)) == nullptr)
    {
        // Nothing to expand: the bytes as they are; only the columns need counting.
        out.assign(chars + first, static_cast<size_t>(textEnd - first));
        if (!IsMultibyteCodePage(cp))
            return textEnd - first;
        for (int i = first; i < textEnd;)
        {
            if (static_cast<unsigned char>(chars[i]) < 0x80)
            {
                ++column;
                ++i;
                continue;
            }
            column += CharDisplayWidth(cp, chars, textEnd, i);
            i += CharLength(cp, chars, textEnd, i);
        }
        return column - nStartColumn;
    }
    auto add = [&](const char* bytes, int nBytes, int nWidth)
    {
        if (cells != nullptr)
            cells->push_back({static_cast<int32_t>(out.size()), column,
                              static_cast<int16_t>(nBytes), static_cast<int16_t>(nWidth)});
        out.append(bytes, static_cast<size_t>(nBytes));
        column += nWidth;
    };
    for (int i = first; i < end;)
    {
        const char c = chars[i];
        if (i >= length)
        {
            // The line ending: shown as glyphs or not at all.
            if (m_bShowLineEndings && (c == '\r' || c == '\n'))
            {
                const char* glyph = c == '\r' ? glyphs.pszCr : glyphs.pszLf;
                const int n = GlyphLength(glyph);
                add(glyph, n, n);
            }
            ++i;
            continue;
        }
        if (c == '\t')
        {
            const int tab = GetTabSize();
            int n = tab - column % tab;
            if (m_bShowWhitespace)
            {
                const int g = GlyphLength(glyphs.pszTab);
                add(glyphs.pszTab, g, g);
                --n;
            }
            for (; n > 0; --n)
                add(" ", 1, 1);
            ++i;
            continue;
        }
        if (c == ' ' && m_bShowWhitespace)
        {
            const int g = GlyphLength(glyphs.pszSpace);
            add(glyphs.pszSpace, g, g);
            ++i;
            continue;
        }
        int bytes = 1;
        const int width = CharColumns(chars, textEnd, i, column, &bytes);
        add(chars + i, bytes, width);
        i += bytes;
    }
    return column - nStartColumn;
}

int CTextLayout::CharToColumn(int nLine, int nChar, bool bFromLineStart)
{
    const char* chars = GetLineChars(nLine);
    const int length = GetLineLength(nLine);
    if (chars == nullptr)
        return 0;
    nChar = std::clamp(nChar, 0, length);
    int subStart = 0;
    if (!bFromLineStart && GetLineBreaks(nLine, nullptr) > 0)
    {
        GetLineBreaks(nLine, &m_aBreaks);
        for (int b : m_aBreaks)
            if (b <= nChar)
                subStart = b;
    }
    int column = 0;
    int subColumn = 0;
    for (int i = 0; i < nChar;)
    {
        if (i == subStart)
            subColumn = column;
        int bytes = 1;
        column += CharColumns(chars, length, i, column, &bytes);
        i += bytes;
    }
    if (subStart == nChar)
        subColumn = column;
    return bFromLineStart ? column : column - subColumn;
}

int CTextLayout::ColumnToChar(int nLine, int nColumn, int nSubLine)
{
    const char* chars = GetLineChars(nLine);
    const int length = GetLineLength(nLine);
    if (chars == nullptr)
        return 0;
    std::vector<int> breaks;
    const int nBreaks = GetLineBreaks(nLine, &breaks);
    nSubLine = std::clamp(nSubLine, 0, nBreaks);
    const int start = nSubLine == 0 ? 0 : breaks[static_cast<size_t>(nSubLine - 1)];
    const int end = nSubLine < nBreaks ? breaks[static_cast<size_t>(nSubLine)] : length;
    int column = 0;
    int i = 0;
    while (i < start)
    {
        int bytes = 1;
        column += CharColumns(chars, length, i, column, &bytes);
        i += bytes;
    }
    const int startColumn = column;
    while (i < end)
    {
        int bytes = 1;
        const int width = CharColumns(chars, length, i, column, &bytes);
        if (column + width - startColumn > nColumn)
            return i;
        column += width;
        i += bytes;
    }
    return end;
}

SClientPoint CTextLayout::TextToClient(STextPosition pt)
{
    const int sub = GetSubLineOfChar(pt.y, pt.x);
    SClientPoint p;
    p.y = m_nLineHeight * (GetSubLineIndex(pt.y) + sub - m_nTopSubLine);
    p.x = m_nCharWidth * (CharToColumn(pt.y, pt.x, false) - m_nOffsetChar) + MarginWidth();
    return p;
}

void CTextLayout::EnsureColumnCacheSize()
{
    const size_t n = static_cast<size_t>(GetLineCount());
    if (n > static_cast<size_t>(kFullScanLines))
    {
        // A large buffer keeps no slot per line: only the longest line shown so far.
        if (!m_aColumns.empty())
        {
            m_aColumns.clear();
            m_aColumns.shrink_to_fit();
            m_nLongest = -1;
        }
        return;
    }
    if (m_aColumns.size() != n)
    {
        m_aColumns.assign(n, -1);
        m_nLongest = -1;
    }
}

int CTextLayout::GetLineColumns(int nLine)
{
    if (nLine < 0 || nLine >= GetLineCount())
        return 0;
    EnsureColumnCacheSize();
    if (m_aColumns.empty())
    {
        const int columns = CharToColumn(nLine, GetLineLength(nLine), true);
        if (columns > std::max(0, m_nLongest))
        {
            m_nLongest = columns;
            m_nLongestLine = nLine;
        }
        return columns;
    }
    int32_t& slot = m_aColumns[static_cast<size_t>(nLine)];
    if (slot < 0)
    {
        slot = CharToColumn(nLine, GetLineLength(nLine), true);
        if (m_nLongest >= 0 && slot > m_nLongest)
            m_nLongest = slot;
    }
    return slot;
}

int CTextLayout::GetLongestLineColumns()
{
    EnsureColumnCacheSize();
    if (m_nLongest >= 0)
        return m_nLongest;
    if (m_aColumns.empty())
    {
        m_nLongest = 0; // grows as lines are laid out
        m_nLongestLine = -1;
        return 0;
    }
    for (int i = 0, count = GetLineCount(); i < count; ++i)
        GetLineColumns(i);
    int longest = 0;
    for (int32_t n : m_aColumns)
        longest = std::max(longest, static_cast<int>(n));
    m_nLongest = longest;
    return longest;
}

void CTextLayout::InvalidateColumnCache(int nFirst, int nLast)
{
    if (m_aColumns.empty())
        return;
    nFirst = std::max(0, nFirst);
    nLast = std::min(nLast, static_cast<int>(m_aColumns.size()) - 1);
    for (int i = nFirst; i <= nLast; ++i)
        m_aColumns[static_cast<size_t>(i)] = -1;
    m_nLongest = -1;
}

// ---------------------------------------------------------------------------------------
// Rows and wrapping

int CTextLayout::WrapWidth(bool bForPrinting) const
{
    return bForPrinting ? m_nPrintColumns : GetScreenColumns();
}

const CSyntaxParser& CTextLayout::WrapParser() const
{
    static const CDefaultWrapParser kDefault;
    const auto* parser =
        dynamic_cast<const CSyntaxParser*>(m_pBuffer != nullptr ? m_pBuffer->GetParser() : nullptr);
    return parser != nullptr ? *parser : kDefault;
}

int CTextLayout::WrapLine(int nLine, std::vector<int>* pBreaks, bool bForPrinting)
{
    CTarvoTextLineInfo* rec = m_pBuffer != nullptr ? m_pBuffer->GetLineRecord(nLine) : nullptr;
    if (rec == nullptr)
        return 0;
    std::vector<int>& breaks = pBreaks != nullptr ? *pBreaks : m_aBreaks;
    breaks.resize(static_cast<size_t>(rec->nLength) + 1);
    int n = 0;
    WrapParser().ComputeWrapPoints(*this, nLine, WrapWidth(bForPrinting), breaks.data(), &n,
                                   nullptr);
    breaks.resize(static_cast<size_t>(n));
    if (!bForPrinting)
    {
        rec->nSubLineCount = n + 1;
        rec->nExtraRows = 0;
    }
    return n;
}

int CTextLayout::GetLineBreaks(int nLine, std::vector<int>* pBreaks, bool bForPrinting)
{
    if (pBreaks != nullptr)
        pBreaks->clear();
    if (m_pBuffer == nullptr || nLine < 0 || nLine >= GetLineCount())
        return 0;
    if (bForPrinting)
        return WrapLine(nLine, pBreaks, true);
    if (!m_bWordWrap || m_bWrapPending)
        return 0;
    const CTarvoTextLineInfo* rec = m_pBuffer->GetLineRecord(nLine);
    if (pBreaks == nullptr)
        return rec->nSubLineCount > 0 ? rec->nSubLineCount - 1 : WrapLine(nLine, nullptr, false);
    if (rec->nSubLineCount == 1)
        return 0;
    const std::vector<CTarvoTextSubLineInfo>& subs = m_pBuffer->GetSubLines();
    if (rec->nSubLineCount > 1 && m_pBuffer->GetWrapState() >= 0 && rec->nFirstSubLine >= 0 &&
        static_cast<size_t>(rec->nFirstSubLine + rec->nSubLineCount) <= subs.size() &&
        subs[static_cast<size_t>(rec->nFirstSubLine)].nStartChar != -1)
    {
        for (int k = 1; k < rec->nSubLineCount; ++k)
            pBreaks->push_back(subs[static_cast<size_t>(rec->nFirstSubLine + k)].nStartChar);
        return rec->nSubLineCount - 1;
    }
    return WrapLine(nLine, pBreaks, false);
}

int CTextLayout::GetLineRowCount(int nLine, bool bForPrinting)
{
    if (nLine < 0 || nLine >= GetLineCount())
        return 1;
    return GetLineBreaks(nLine, nullptr, bForPrinting) + 1;
}

void CTextLayout::InvalidateLineWrapping(int nFirst, int nLast)
{
    const int count = GetLineCount();
    if (count == 0)
        return;
    if (nLast < 0)
        nLast = count - 1;
    if (nFirst > nLast)
        std::swap(nFirst, nLast);
    nFirst = std::max(0, nFirst);
    nLast = std::min(nLast, count - 1);
    for (int i = nFirst; i <= nLast; ++i)
    {
        CTarvoTextLineInfo* rec = m_pBuffer->GetLineRecord(i);
        rec->nSubLineCount = 0;
        rec->nFirstSubLine = -1;
        rec->nExtraRows = -1;
    }
}

int CTextLayout::RebuildSubLineArray(bool bForce)
{
    if (m_pBuffer == nullptr)
        return 0;
    if (!m_bWordWrap || m_bWrapPending)
        return GetLineCount();
    if (m_pBuffer->GetWrapState() >= 0 && !bForce)
        return m_pBuffer->GetWrapState();
    // Lines whose wrap is known keep the starts they have in the present array (a record
    // carries its first entry with it when lines move), so only the lines an edit
    // invalidated are wrapped again.
    const std::vector<CTarvoTextSubLineInfo>& old = m_pBuffer->GetSubLines();
    std::vector<CTarvoTextSubLineInfo> subs;
    subs.reserve(static_cast<size_t>(GetLineCount()) + 16);
    const int count = GetLineCount();
    for (int i = 0; i < count; ++i)
    {
        CTarvoTextLineInfo* rec = m_pBuffer->GetLineRecord(i);
        const int first = static_cast<int>(subs.size());
        if (rec->nSubLineCount == 1)
        {
            subs.push_back({i, 0, 0, 0});
        }
        else if (rec->nSubLineCount > 1 && rec->nFirstSubLine >= 0 &&
                 static_cast<size_t>(rec->nFirstSubLine + rec->nSubLineCount) <= old.size() &&
                 old[static_cast<size_t>(rec->nFirstSubLine)].nStartChar == 0)
        {
            for (int k = 0; k < rec->nSubLineCount; ++k)
                subs.push_back(
                    {i, old[static_cast<size_t>(rec->nFirstSubLine + k)].nStartChar, 0, 0});
        }
        else
        {
            WrapLine(i, &m_aBreaks, false);
            subs.push_back({i, 0, 0, 0});
            for (int b : m_aBreaks)
                subs.push_back({i, b, 0, 0});
        }
        rec->nFirstSubLine = first;
    }
    m_pBuffer->GetSubLines().swap(subs);
    const int total = static_cast<int>(m_pBuffer->GetSubLines().size());
    m_pBuffer->SetWrapState(total);
    return total;
}

int CTextLayout::GetTotalRows()
{
    return RebuildSubLineArray(false);
}

int CTextLayout::GetSubLineIndex(int nLine)
{
    const int count = GetLineCount();
    if (!m_bWordWrap || m_bWrapPending)
        return std::clamp(nLine, 0, count);
    const int total = RebuildSubLineArray(false);
    if (nLine >= count)
        return total;
    if (nLine < 0)
        return 0;
    return m_pBuffer->GetLineRecord(nLine)->nFirstSubLine;
}

void CTextLayout::GetLineFromRow(int nRow, int& nLine, int& nSubLine)
{
    nSubLine = 0;
    const int count = GetLineCount();
    if (count == 0)
    {
        nLine = 0;
        return;
    }
    if (!m_bWordWrap || m_bWrapPending)
    {
        nLine = std::clamp(nRow, 0, count - 1);
        return;
    }
    const int total = RebuildSubLineArray(false);
    if (nRow >= total)
    {
        nLine = count - 1;
        nSubLine = GetLineRowCount(nLine) - 1;
        return;
    }
    nRow = std::max(0, nRow);
    nLine = m_pBuffer->GetSubLines()[static_cast<size_t>(nRow)].nLine;
    nSubLine = nRow - m_pBuffer->GetLineRecord(nLine)->nFirstSubLine;
}

int CTextLayout::GetSubLineOfChar(int nLine, int nChar)
{
    if (GetLineBreaks(nLine, nullptr) == 0)
        return 0;
    std::vector<int> breaks;
    GetLineBreaks(nLine, &breaks);
    int sub = 0;
    for (int b : breaks)
        if (b <= nChar)
            ++sub;
    return sub;
}

void CTextLayout::ClearWrapping()
{
    CancelWrapPass();
    m_bWrapPending = false;
    m_bRestartWrap = false;
    if (m_pBuffer != nullptr)
    {
        // The counts in the line records stay; they are not read while wrapping is off,
        // and switching it on again wraps every line anew.
        m_pBuffer->GetSubLines().clear();
        m_pBuffer->GetSubLines().shrink_to_fit();
        m_pBuffer->SetWrapState(-1);
    }
}

void CTextLayout::StartWrapPass()
{
    StartWrapPassAt(TopLeftPosition());
}

void CTextLayout::StartWrapPassAt(STextPosition top)
{
    CancelWrapPass();
    m_bRestartWrap = false;
    if (m_pBuffer == nullptr || !m_bWordWrap)
        return;
    m_ptPassTop = top;
    m_pBuffer->SetWrapState(-1);
    m_pBuffer->GetSubLines().clear();
    m_bWrapPending = true;
    m_nTopLine = std::clamp(top.y, 0, std::max(0, GetLineCount() - 1));
    m_nTopSubLine = m_nTopLine;
    const int pass = ++m_nPass;
    const int width = GetScreenColumns();
    m_aPassSubLines.clear();
    if (GetLineCount() <= m_nSyncWrapLines)
    {
        RunWrapPass(width);
        TakeWrapPassEnd(pass);
        return;
    }
    m_wrapThread = std::thread(
        [this, pass, width]
        {
            RunWrapPass(width);
            if (m_nCancel.load(std::memory_order_acquire) == 0 && m_fnWrapEnd)
                m_fnWrapEnd(pass);
        });
}

void CTextLayout::RunWrapPass(int nWidth)
{
    // Runs on the wrap thread (or inline for a small buffer). Reads line texts, writes the
    // wrap fields of the records and its own sub-line array; nothing else touches either
    // until the pass has been joined.
    const CSyntaxParser& parser = WrapParser();
    const int tab = GetTabSize();
    const int count = m_pBuffer->GetLineCount();
    std::vector<CTarvoTextSubLineInfo> subs;
    subs.reserve(static_cast<size_t>(count) + static_cast<size_t>(count) / 8 + 16);
    std::vector<int> breaks;
    for (int i = 0; i < count; ++i)
    {
        if (m_nCancel.load(std::memory_order_relaxed) != 0)
            return;
        CTarvoTextLineInfo* rec = m_pBuffer->GetLineRecord(i);
        int n = 0;
        // A byte takes at most a tab's columns, so a short line needs no look.
        if (static_cast<long long>(rec->nLength) * std::max(tab, 2) > nWidth)
        {
            breaks.resize(static_cast<size_t>(rec->nLength) + 1);
            parser.ComputeWrapPoints(CRecordWrapSource(rec, tab), i, nWidth, breaks.data(), &n,
                                     &m_nCancel);
        }
        rec->nSubLineCount = n + 1;
        rec->nExtraRows = 0;
        rec->nFirstSubLine = static_cast<int32_t>(subs.size());
        subs.push_back({i, 0, 0, 0});
        for (int k = 0; k < n; ++k)
            subs.push_back({i, breaks[static_cast<size_t>(k)], 0, 0});
    }
    if (m_nCancel.load(std::memory_order_relaxed) == 0)
        m_aPassSubLines.swap(subs);
}

bool CTextLayout::TakeWrapPassEnd(int nPass)
{
    if (nPass != m_nPass || !m_bWrapPending)
        return false;
    if (m_wrapThread.joinable())
        m_wrapThread.join();
    if (m_pBuffer == nullptr)
        return false;
    m_pBuffer->GetSubLines().swap(m_aPassSubLines);
    m_aPassSubLines.clear();
    m_aPassSubLines.shrink_to_fit();
    m_pBuffer->SetWrapState(static_cast<int>(m_pBuffer->GetSubLines().size()));
    m_bWrapPending = false;
    ScrollToPosition(m_ptPassTop);
    return true;
}

bool CTextLayout::CancelWrapPass()
{
    if (!m_wrapThread.joinable())
        return false;
    m_nCancel.store(1, std::memory_order_release);
    m_wrapThread.join();
    m_nCancel.store(0, std::memory_order_release);
    ++m_nPass; // an end message already posted is stale now
    m_aPassSubLines.clear();
    return true;
}

void CTextLayout::OnBeforeTextChange()
{
    if (CancelWrapPass())
        m_bRestartWrap = true;
}

// ---------------------------------------------------------------------------------------
// Scrolling

STextPosition CTextLayout::TopLeftPosition()
{
    if (m_pBuffer == nullptr || GetLineCount() == 0)
        return {};
    int line = 0, sub = 0;
    GetLineFromRow(m_nTopSubLine, line, sub);
    int start = 0;
    if (sub > 0)
    {
        std::vector<int> breaks;
        GetLineBreaks(line, &breaks);
        if (sub - 1 < static_cast<int>(breaks.size()))
            start = breaks[static_cast<size_t>(sub - 1)];
    }
    return {start, line};
}

void CTextLayout::ScrollToPosition(STextPosition pt)
{
    if (m_pBuffer == nullptr || GetLineCount() == 0)
    {
        m_nTopLine = m_nTopSubLine = 0;
        return;
    }
    pt.y = std::clamp(pt.y, 0, GetLineCount() - 1);
    m_nTopSubLine = GetSubLineIndex(pt.y) + GetSubLineOfChar(pt.y, pt.x);
    const int maxTop = std::max(0, GetTotalRows() - GetScreenRows());
    if (m_nTopSubLine > maxTop && m_nClientHeight > 0)
        m_nTopSubLine = maxTop;
    SyncTopLine();
}

void CTextLayout::SyncTopLine()
{
    int sub = 0;
    GetLineFromRow(m_nTopSubLine, m_nTopLine, sub);
}

int CTextLayout::ScrollToRow(int nRow)
{
    if (nRow == m_nTopSubLine)
        return 0;
    const int maxTop = std::max(0, GetTotalRows() - GetScreenRows());
    nRow = std::clamp(nRow, 0, maxTop);
    const int delta = nRow - m_nTopSubLine;
    m_nTopSubLine = nRow;
    SyncTopLine();
    return delta;
}

int CTextLayout::ScrollToColumn(int nColumn)
{
    if (m_bWordWrap)
        nColumn = 0;
    const SScrollRange h = GetHScroll();
    nColumn = std::clamp(nColumn, 0, std::max(0, h.nMax - h.nPage + 1));
    const int delta = nColumn - m_nOffsetChar;
    m_nOffsetChar = nColumn;
    return delta;
}

int CTextLayout::WheelRows(int nDelta)
{
    const int total = m_nWheelRemainder + nDelta;
    const int rows = total / 40;
    m_nWheelRemainder = total - rows * 40;
    return rows;
}

SScrollRange CTextLayout::GetVScroll()
{
    SScrollRange r;
    const int total = GetTotalRows();
    r.nMax = std::max(0, total - 1);
    r.nPage = GetScreenRows();
    r.nPos = m_nTopSubLine;
    r.bEnabled = total > r.nPage;
    return r;
}

SScrollRange CTextLayout::GetHScroll()
{
    SScrollRange r;
    if (m_bWordWrap)
    {
        r.bEnabled = false;
        return r;
    }
    const int columns = GetScreenColumns();
    r.nMax = GetLongestLineColumns() + columns;
    r.nPage = columns;
    r.nPos = m_nOffsetChar;
    r.bEnabled = GetLongestLineColumns() > columns;
    return r;
}

bool CTextLayout::ClampScroll()
{
    bool moved = false;
    const int total = GetTotalRows();
    const int rows = GetScreenRows();
    const int maxTop = total <= rows ? 0 : total - rows;
    if (m_nTopSubLine > maxTop)
    {
        m_nTopSubLine = maxTop;
        SyncTopLine();
        moved = true;
    }
    if (m_nOffsetChar > 0 && (m_bWordWrap || GetLongestLineColumns() <= GetScreenColumns()))
    {
        m_nOffsetChar = 0;
        moved = true;
    }
    return moved;
}

bool CTextLayout::GetCaretRect(int& x, int& y, int& w, int& h)
{
    if (!m_bFocus || m_pBuffer == nullptr || GetLineCount() == 0)
        return false;
    STextPosition pt = m_ptCaret;
    pt.y = std::clamp(pt.y, 0, GetLineCount() - 1);
    if (CharToColumn(pt.y, pt.x, false) < m_nOffsetChar)
        return false;
    const SClientPoint p = TextToClient(pt);
    x = p.x;
    y = p.y;
    w = m_bOverwrite ? m_nCharWidth : 2;
    h = m_nLineHeight;
    return true;
}

// ---------------------------------------------------------------------------------------
// Painting

uint32_t CTextLayout::GetLineRunsFrom(uint32_t state, const CTarvoTextLineInfo* pLine,
                                      std::vector<SyntaxRun>& runs,
                                      std::vector<SRunSlot>* pScratch) const
{
    runs.assign(1, SyntaxRun{0, kSyntaxColorNormal, kSyntaxColorBackground});
    CTextParser* parser = m_pBuffer != nullptr ? m_pBuffer->GetParser() : nullptr;
    if (parser == nullptr || pLine == nullptr)
        return 0;
    int count = 1;
    if ((m_dwFlags & ViewHighlightSyntax) == 0)
        return parser->ParseLine(state, pLine, nullptr, &count);
    const size_t needed = 3 * (static_cast<size_t>(pLine->nLength) + 1) + 1;
    std::vector<SRunSlot> local;
    std::vector<SRunSlot>& slots = pScratch != nullptr ? *pScratch : local;
    if (slots.size() < needed)
        slots.resize(needed);
    SyntaxRun* array = &slots[0].run;
    array[0] = runs[0];
    const uint32_t after = parser->ParseLine(state, pLine, array, &count);
    runs.assign(array, array + count);
    return after;
}

void CTextLayout::GetLineRuns(int nLine, std::vector<SyntaxRun>& runs)
{
    runs.assign(1, SyntaxRun{0, kSyntaxColorNormal, kSyntaxColorBackground});
    if (m_pBuffer == nullptr || nLine < 0 || nLine >= GetLineCount())
        return;
    if ((m_dwFlags & ViewHighlightSyntax) != 0 && m_pBuffer->GetParser() != nullptr)
    {
        const uint32_t state = m_pBuffer->GetLineParseState(nLine - 1);
        runs.resize(3 * (static_cast<size_t>(GetLineLength(nLine)) + 1) + 1);
        int count = 1;
        const uint32_t after = m_pBuffer->ParseLine(state, nLine, runs.data(), &count);
        runs.resize(static_cast<size_t>(count));
        m_pBuffer->SetLineParseState(nLine, after);
    }
    if (m_pHighlight != nullptr)
    {
        m_aBlocks.clear();
        m_pHighlight->GetHighlightBlocks(nLine, m_aBlocks);
        MergeHighlightBlocks(runs, GetLineLength(nLine), m_aBlocks);
    }
}

void CTextLayout::LayoutRow(int nLine, int nSubLine, int nFirstColumn, int nLastColumn,
                            SRowLayout& row, bool bForPrinting)
{
    row.nLine = nLine;
    row.nSubLine = nSubLine;
    row.spans.clear();
    row.bLineEndSelected = false;
    row.nFillColor = kColorTextBackground;
    row.nStartChar = row.nEndChar = row.nStartColumn = row.nEndColumn = 0;
    if (m_pBuffer == nullptr || nLine < 0 || nLine >= GetLineCount())
        return;
    const CTarvoTextLineInfo* rec = m_pBuffer->GetLineRecord(nLine);
    const char* chars = rec->pcLine;
    const int length = rec->nLength;
    std::vector<int> breaks;
    const int nBreaks = GetLineBreaks(nLine, &breaks, bForPrinting);
    nSubLine = std::clamp(nSubLine, 0, nBreaks);
    const int start = nSubLine == 0 ? 0 : breaks[static_cast<size_t>(nSubLine - 1)];
    const bool bLastSub = nSubLine == nBreaks;
    const int end = bLastSub ? length : breaks[static_cast<size_t>(nSubLine)];
    row.nStartChar = start;
    row.nEndChar = end;

    int column = 0;
    for (int i = 0; i < start;)
    {
        int bytes = 1;
        column += CharColumns(chars, length, i, column, &bytes);
        i += bytes;
    }
    row.nStartColumn = column;
    const int clipLeft = column + std::max(0, nFirstColumn);
    const int clipRight = column + nLastColumn;

    const bool bCaretLine =
        (m_dwFlags & ViewHighlightLine) != 0 && !bForPrinting && nLine == m_ptCaret.y;
    if (bCaretLine)
        row.nFillColor = kColorCaretLine;

    // The selection within this line, as character indexes; the end may pass the text.
    int selStart = INT_MAX, selEnd = INT_MIN;
    STextPosition s, e;
    GetDrawSelection(s, e);
    if (HasSelection() && !bForPrinting && s.y <= nLine && e.y >= nLine)
    {
        selStart = s.y < nLine ? 0 : s.x;
        selEnd = e.y > nLine ? INT_MAX : e.x;
    }
    const int32_t selBk = m_bFocus ? kColorSelectionFocus : kColorSelectionNoFocus;

    GetLineRuns(nLine, m_aRuns);
    const std::vector<SyntaxRun>& runs = m_aRuns;
    auto addPart = [&](int a, int b, int32_t text, int32_t bk, bool bSelected)
    {
        if (b <= a)
            return;
        SRowSpan span;
        span.bSelected = bSelected;
        span.nTextColor = bSelected ? kColorSelectedText : text;
        span.nBkColor = bSelected ? selBk : bk;
        span.nColumn = column;
        std::vector<SDisplayCell> cells;
        std::string text8;
        const int columns = ExpandForDisplay(chars, length, a, b - a, column, text8, &cells);
        span.nColumns = columns;
        column += columns;
        if (column <= clipLeft || span.nColumn >= clipRight)
            return; // wholly outside the clip
        // Keep only the characters that reach the clip.
        for (const SDisplayCell& cell : cells)
        {
            if (cell.nColumn + cell.nWidth <= clipLeft || cell.nColumn >= clipRight)
                continue;
            SDisplayCell c = cell;
            c.nOffset = static_cast<int32_t>(span.strText.size());
            span.strText.append(text8, static_cast<size_t>(cell.nOffset),
                                static_cast<size_t>(cell.nBytes));
            span.cells.push_back(c);
        }
        row.spans.push_back(std::move(span));
    };
    auto addSplit = [&](int a, int b, int32_t text, int32_t bk)
    {
        const int sa = std::clamp(selStart, a, b);
        const int sb = std::clamp(selEnd, a, b);
        if (selStart >= selEnd || sa >= sb)
        {
            addPart(a, b, text, bk, false);
            return;
        }
        addPart(a, sa, text, bk, false);
        addPart(sa, sb, text, bk, true);
        addPart(sb, b, text, bk, false);
    };
    for (size_t r = 0; r < runs.size(); ++r)
    {
        const int a = std::max(runs[r].nStart, start);
        const int b = std::min(r + 1 < runs.size() ? runs[r + 1].nStart : length, end);
        if (b <= a)
            continue;
        int32_t bk = runs[r].nBkColor;
        if (bCaretLine && bk == kSyntaxColorBackground)
            bk = kColorCaretLine;
        addSplit(a, b, runs[r].nColor, bk);
    }
    if (bLastSub)
    {
        if (m_bShowLineEndings && rec->nEolLength > 0)
            addSplit(length, length + rec->nEolLength, kSyntaxColorNormal,
                     bCaretLine ? kColorCaretLine : kSyntaxColorBackground);
        row.bLineEndSelected = selStart <= length && selEnd > length;
    }
    row.nEndColumn = column;
}

// ---------------------------------------------------------------------------------------
// Changes of the buffer

void CTextLayout::MapThroughContext(const CUpdateContext* pContext)
{
    pContext->RecalcPoint(m_ptCaret);
    pContext->RecalcPoint(m_ptAnchor);
    pContext->RecalcPoint(m_ptActive);
    STextPosition top{0, m_nTopLine};
    pContext->RecalcPoint(top);
    m_nTopLine = std::clamp(top.y, 0, std::max(0, GetLineCount() - 1));
    m_nTopSubLine = GetSubLineIndex(m_nTopLine);
}

void CTextLayout::AdjustColumnCache(const CUpdateContext* pContext, uint32_t dwHint, int nLine)
{
    const auto* ins = dynamic_cast<const CInsertContext*>(pContext);
    const auto* del = dynamic_cast<const CDeleteContext*>(pContext);
    if (m_aColumns.empty())
    {
        // Only the longest line is known: follow it, or forget it when it changed.
        if (m_nLongestLine < 0)
            return;
        const bool bCount = (dwHint & HintLineCount) != 0;
        if (bCount && ins != nullptr)
        {
            if (m_nLongestLine > ins->m_ptStart.y)
                m_nLongestLine += ins->m_ptEnd.y - ins->m_ptStart.y;
            else if (m_nLongestLine == ins->m_ptStart.y)
                m_nLongest = -1;
        }
        else if (bCount && del != nullptr)
        {
            if (m_nLongestLine > del->m_ptEnd.y)
                m_nLongestLine -= del->m_ptEnd.y - del->m_ptStart.y;
            else if (m_nLongestLine >= del->m_ptStart.y)
                m_nLongest = -1;
        }
        else if (bCount)
        {
            m_nLongest = -1;
        }
        else if (m_nLongestLine == nLine)
        {
            // Typing on the longest line keeps it the longest; only a shorter one sends
            // the view looking again.
            const int columns = CharToColumn(nLine, GetLineLength(nLine), true);
            m_nLongest = m_nLongest >= 0 && columns >= m_nLongest ? columns : -1;
        }
        return;
    }
    const auto size = static_cast<int>(m_aColumns.size());
    if ((dwHint & HintLineCount) == 0 && nLine >= 0 && nLine < size &&
        static_cast<size_t>(size) == static_cast<size_t>(GetLineCount()))
    {
        // An edit inside one line: measure it, and look through every line again only
        // when it was the longest and got shorter.
        int32_t& slot = m_aColumns[static_cast<size_t>(nLine)];
        const int before = slot;
        slot = CharToColumn(nLine, GetLineLength(nLine), true);
        if (m_nLongest >= 0 && before >= 0 && slot >= m_nLongest)
            m_nLongest = slot;
        else if (before < 0 || before >= m_nLongest)
            m_nLongest = -1;
        return;
    }
    m_nLongest = -1;
    if ((dwHint & HintLineCount) != 0 && ins != nullptr && ins->m_ptStart.y < size)
    {
        const int added = ins->m_ptEnd.y - ins->m_ptStart.y;
        m_aColumns.insert(m_aColumns.begin() + ins->m_ptStart.y + 1, static_cast<size_t>(added),
                          -1);
        InvalidateColumnCache(ins->m_ptStart.y, ins->m_ptEnd.y);
    }
    else if ((dwHint & HintLineCount) != 0 && del != nullptr && del->m_ptEnd.y < size)
    {
        m_aColumns.erase(m_aColumns.begin() + del->m_ptStart.y + 1,
                         m_aColumns.begin() + del->m_ptEnd.y + 1);
        InvalidateColumnCache(del->m_ptStart.y, del->m_ptStart.y);
    }
    else if ((dwHint & HintLineCount) != 0)
    {
        m_aColumns.resize(static_cast<size_t>(GetLineCount()), -1);
        InvalidateColumnCache(nLine, INT_MAX);
    }
    else
    {
        InvalidateColumnCache(nLine, nLine);
    }
    if (m_aColumns.size() != static_cast<size_t>(GetLineCount()))
        m_aColumns.assign(static_cast<size_t>(GetLineCount()), -1);
}

SLayoutUpdate CTextLayout::OnUpdate(const CUpdateContext* pContext, uint32_t dwHint, int nLine)
{
    SLayoutUpdate u;
    if ((dwHint & HintReset) != 0)
    {
        Reset();
        u.bRepaintAll = u.bVScroll = u.bHScroll = u.bCaret = true;
        u.nInvalidTop = 0;
        return u;
    }
    if (nLine < 0)
        nLine = 0;
    const bool bTextChanged = (dwHint & (HintLineCount | HintLineLength)) != 0;
    if (bTextChanged)
    {
        AdjustColumnCache(pContext, dwHint, nLine);
        if (m_bWordWrap && !m_bWrapPending)
        {
            const auto* ins = dynamic_cast<const CInsertContext*>(pContext);
            const auto* del = dynamic_cast<const CDeleteContext*>(pContext);
            if ((dwHint & HintLineCount) == 0)
                InvalidateLineWrapping(nLine, nLine);
            else if (ins != nullptr)
                InvalidateLineWrapping(ins->m_ptStart.y, ins->m_ptEnd.y);
            else if (del != nullptr)
                InvalidateLineWrapping(del->m_ptStart.y, del->m_ptStart.y);
            else
                InvalidateLineWrapping(nLine, -1);
            m_pBuffer->SetWrapState(-1);
        }
    }
    if (!m_bWordWrap)
        m_bRestartWrap = false;
    if (m_bRestartWrap)
    {
        // The edit stopped a whole-text pass; it starts again over the new text.
        if (pContext != nullptr)
            MapThroughContext(pContext);
        StartWrapPassAt({0, m_nTopLine});
        u.bRepaintAll = u.bVScroll = u.bHScroll = u.bCaret = true;
        u.nInvalidTop = 0;
        return u;
    }
    if ((dwHint & HintSingleLine) != 0)
    {
        u.nFirstLine = u.nLastLine = nLine;
        // An edit inside a line changes only its band unless the lines below may look
        // different too: when the line now ends in another parse state (the buffer then
        // keeps no state below it), or its rows changed under word wrap. The line's end
        // state is computed only for a line on the screen (its paint needs it anyway);
        // an edit above the screen repaints all of it.
        bool bBelow = m_bWordWrap;
        if (bTextChanged && !bBelow && (m_dwFlags & ViewHighlightSyntax) != 0 &&
            m_pBuffer->GetParser() != nullptr && nLine + 1 < GetLineCount() &&
            nLine <= m_nTopLine + GetScreenRows())
        {
            if (nLine >= m_nTopLine)
                m_pBuffer->GetLineParseState(nLine);
            bBelow = !m_pBuffer->IsLineParseStateKnown(nLine + 1);
        }
        if (bTextChanged && bBelow)
            u.nLastLine = -1;
    }
    else if (dwHint == HintLineMarks)
    {
        u.bRepaintAll = true;
        u.nFirstLine = 0;
    }
    else
    {
        u.nFirstLine = nLine;
        if ((m_dwFlags & ViewMargin) != 0 && (m_dwFlags & ViewLineNumbers) != 0 &&
            nLine > m_nTopLine)
            u.nFirstLine = m_nTopLine;
        u.nLastLine = -1;
    }
    if (pContext != nullptr)
    {
        MapThroughContext(pContext);
        u.bCaret = true;
    }
    const int row = GetSubLineIndex(u.nFirstLine) - m_nTopSubLine;
    u.nInvalidTop = std::max(0, row) * m_nLineHeight;
    if (u.nLastLine >= 0 && !u.bRepaintAll)
    {
        const int end = GetSubLineIndex(u.nLastLine) + GetLineRowCount(u.nLastLine) - m_nTopSubLine;
        u.nInvalidBottom = std::max(0, end) * m_nLineHeight;
    }
    if ((dwHint & HintLineCount) != 0 && !m_bBlockCommand)
        u.bVScroll = true;
    if ((dwHint & HintLineLength) != 0 && !m_bBlockCommand)
        u.bHScroll = true;
    return u;
}

// ---------------------------------------------------------------------------------------
// Printing

std::vector<int> CTextLayout::Paginate(int nRowsPerPage)
{
    std::vector<int> pages;
    const int count = GetLineCount();
    if (count == 0)
        return pages;
    nRowsPerPage = std::max(1, nRowsPerPage);
    pages.reserve(32);
    pages.push_back(0);
    int rows = 0;
    for (int i = 0; i < count; ++i)
    {
        const int r = GetLineRowCount(i, true);
        if (rows + r > nRowsPerPage && rows > 0)
        {
            if (pages.size() == pages.capacity())
                pages.reserve(pages.size() + 32);
            pages.push_back(i);
            rows = r;
        }
        else
        {
            rows += r;
        }
    }
    return pages;
}

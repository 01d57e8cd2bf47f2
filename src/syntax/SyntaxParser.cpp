#include "syntax/SyntaxParser.h"

#include <algorithm>
#include <cstring>

#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"

namespace
{
void CopyField(char* dest, size_t size, const char* src)
{
    if (src == nullptr)
        src = "";
    const size_t n = std::min(std::strlen(src), size - 1);
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}

bool IsIdeographOrKanaCodePoint(uint32_t cp)
{
    return (cp >= 0x3040 && cp <= 0x30FF) || // hiragana, katakana
           (cp >= 0x31F0 && cp <= 0x31FF) || // katakana phonetic extensions
           (cp >= 0xFF66 && cp <= 0xFF9F) || // halfwidth katakana
           (cp >= 0x3005 && cp <= 0x3007) || // ideographic iteration mark, closing mark, zero
           (cp >= 0x3400 && cp <= 0x4DBF) || // CJK extension A
           (cp >= 0x4E00 && cp <= 0x9FFF) || // CJK unified ideographs
           (cp >= 0xF900 && cp <= 0xFAFF) || // compatibility ideographs
           (cp >= 0x20000 && cp <= 0x3FFFF); // supplementary ideographic planes
}

// Whether the multibyte character at `index` is an ideograph, hiragana or katakana: the
// characters between which a line may break although no blank separates them. UTF-8 is
// decoded; for the double-byte code pages the rows of their character sets that hold
// kana and ideographs are used.
bool IsIdeographOrKana(int nCodePage, const char* text, int length, int index, int charLen)
{
    if (nCodePage == 65001)
    {
        uint32_t cp = 0;
        return DecodeUtf8(text, length, index, &cp) > 0 && IsIdeographOrKanaCodePoint(cp);
    }
    if (charLen != 2)
        return false;
    const unsigned lead = static_cast<unsigned char>(text[index]);
    const unsigned trail = static_cast<unsigned char>(text[index + 1]);
    const unsigned code = (lead << 8) | trail;
    switch (nCodePage)
    {
    case 932: // Shift-JIS: kana rows 0x829F.., 0x8340..; kanji from lead byte 0x88
        return (code >= 0x829F && code <= 0x82F1) || (code >= 0x8340 && code <= 0x8396) ||
               (lead >= 0x88 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    case 936: // GBK: kana rows 0xA4, 0xA5; hanzi in 0xB0..0xF7 and the GBK extensions
        return lead == 0xA4 || lead == 0xA5 || (lead >= 0xB0 && lead <= 0xF7) ||
               (lead >= 0x81 && lead <= 0xA0) || (lead >= 0xAA && lead <= 0xFE && trail < 0xA1);
    case 949: // UHC: kana rows 0xAA, 0xAB; hanja from 0xCA
        return lead == 0xAA || lead == 0xAB || (lead >= 0xCA && lead <= 0xFD);
    case 950: // Big5: kana in row 0xC6; hanzi 0xA440..0xC67E and 0xC940..0xF9FE
        return (code >= 0xA440 && code <= 0xC67E) || (code >= 0xC6E7 && code <= 0xC7F2) ||
               (code >= 0xC940 && code <= 0xF9FE);
    case 1361: // Johab: hanja rows from 0xE0
        return lead >= 0xE0 && lead <= 0xF9;
    default:
        return false;
    }
}
} // namespace

void CSyntaxDefinition::SetDefinition(int nId, const char* name, const char* extensions,
                                      uint32_t dwFlags, const char* blockOpen,
                                      const char* blockClose, const char* lineComment)
{
    m_nId = nId;
    CopyField(m_szName, sizeof(m_szName), name);
    CopyField(m_szExtensions, sizeof(m_szExtensions), extensions);
    m_dwFlags.store(dwFlags, std::memory_order_relaxed);
    CopyField(m_szBlockCommentOpen, sizeof(m_szBlockCommentOpen), blockOpen);
    CopyField(m_szBlockCommentClose, sizeof(m_szBlockCommentClose), blockClose);
    CopyField(m_szLineComment, sizeof(m_szLineComment), lineComment);
}

uint32_t CSyntaxParser::ParseLine(uint32_t /*state*/, const CTarvoTextLineInfo* /*line*/,
                                  SyntaxRun* /*runs*/, int* /*count*/)
{
    return 0;
}

uint32_t CSyntaxParser::ParseLineComments(uint32_t state, const CTarvoTextLineInfo* line,
                                          SyntaxRun* runs, int* count)
{
    return ParseLine(state, line, runs, count);
}

bool CSyntaxParser::IsTrailByte(const CTarvoTextLineInfo* line, int nOffset) const
{
    if (line == nullptr || line->pcLine == nullptr || nOffset < 0 || nOffset >= line->nLength)
        return false;
    return ::IsTrailByte(GetTextCodePage(), line->pcLine, line->nLength, nOffset);
}

int CSyntaxParser::GetLineLength(const CTarvoTextLineInfo* line) const
{
    return line != nullptr ? line->nLength : 0;
}

const char* CSyntaxParser::GetLineChars(const CTarvoTextLineInfo* line) const
{
    return line != nullptr ? line->pcLine : nullptr;
}

int CSyntaxParser::AddRun(const CTarvoTextLineInfo* /*line*/, int nStart, int nColor,
                          SyntaxRun* runs, int* count) const
{
    return AppendSyntaxRun(runs, count, nStart, nColor);
}

void CSyntaxParser::ComputeWrapPoints(const CSyntaxWrapSource& view, int nLine, int nMaxColumns,
                                      int* pBreaks, int* pnBreaks,
                                      const std::atomic<int>* pCancel) const
{
    int nBreaks = 0;
    const int length = view.GetWrapLineLength(nLine);
    const char* text = view.GetWrapLineChars(nLine);
    if (pnBreaks != nullptr)
        *pnBreaks = 0;
    if (length < 1 || text == nullptr)
        return;
    int tabSize = view.GetWrapTabSize();
    if (tabSize < 1)
        tabSize = 1;
    const int nCodePage = GetTextCodePage();
    const bool multibyte = IsMultibyteCodePage(nCodePage);

    int width = 0;     // columns since the last break
    int column = 0;    // columns since the line start
    int candidate = 0; // offset of the last break opportunity; 0 = none
    int candidateColumn = 0;
    bool spaceSeen = false;
    for (int i = 0; i < length;)
    {
        if (pCancel != nullptr && pCancel->load(std::memory_order_relaxed) != 0)
        {
            if (pnBreaks != nullptr)
                *pnBreaks = 0;
            return;
        }
        if (spaceSeen)
        {
            candidate = i;
            candidateColumn = column;
            spaceSeen = false;
        }
        const int charLen = multibyte ? CharLength(nCodePage, text, length, i) : 1;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int columnBefore = column;
        int advance = 1;
        if (c == '\t')
            advance = tabSize - (column % tabSize);
        else if (charLen > 1)
            advance = CharDisplayWidth(nCodePage, text, length, i);
        width += advance;
        column += advance;
        if (c == '\t' || c == ' ' ||
            (charLen > 1 && IsIdeographOrKana(nCodePage, text, length, i, charLen)))
            spaceSeen = true;
        // A row holds up to nMaxColumns columns: the character that would overflow it
        // starts the next row, which begins at the last break opportunity, or at this
        // character when the row offers none. A first character wider than the row stays.
        if (width > nMaxColumns && i > 0)
        {
            if (candidate == 0)
            {
                candidate = i;
                candidateColumn = columnBefore;
            }
            if (pBreaks != nullptr)
                pBreaks[nBreaks] = candidate;
            ++nBreaks;
            width = column - candidateColumn;
            candidate = 0;
        }
        i += charLen;
    }
    if (pnBreaks != nullptr)
        *pnBreaks = nBreaks;
}

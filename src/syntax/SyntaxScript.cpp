#include "syntax/SyntaxScript.h"

#include <cstring>

CScriptSyntaxParser::SScan::SScan(const CTarvoTextLineInfo* line, SyntaxRun* runs, int* count)
    : text(line), pLine(line), pRuns(count != nullptr ? runs : nullptr), pnCount(count),
      nOwnRuns(count != nullptr ? *count : 0)
{
}

CScriptSyntaxParser::CScriptSyntaxParser(int nId, const char* name, const char* extensions,
                                         uint32_t dwFlags, const char* blockOpen,
                                         const char* blockClose, const char* lineComment,
                                         uint32_t dwCarriedBits)
    : m_dwCarriedBits(dwCarriedBits)
{
    for (int c = 0; c < 256; ++c)
        m_abWordBytes[c] = IsSyntaxWordChar(static_cast<unsigned char>(c));
    SetDefinition(nId, name, extensions, dwFlags, blockOpen, blockClose, lineComment);
}

CScriptSyntaxParser::~CScriptSyntaxParser() = default;

void CScriptSyntaxParser::AddWordList(const char* const* words, int nColor, bool bNoCase)
{
    SList entry;
    entry.list = {words, nColor, bNoCase};
    entry.pSet = std::make_unique<CSyntaxKeywordSet>(words, bNoCase);
    m_lists.push_back(std::move(entry));
}

int CScriptSyntaxParser::GetWordListCount() const
{
    return static_cast<int>(m_lists.size());
}

SSyntaxWordList CScriptSyntaxParser::GetWordList(int index) const
{
    if (index < 0 || index >= GetWordListCount())
        return {nullptr, 0, false};
    return m_lists[static_cast<size_t>(index)].list;
}

uint32_t CScriptSyntaxParser::ParseLine(uint32_t state, const CTarvoTextLineInfo* line,
                                        SyntaxRun* runs, int* count)
{
    SScan scan(line, runs, count);
    const int n = scan.Length();
    if (n <= 0)
        return state & m_dwCarriedBits;

    scan.dwState = state;
    scan.bFirstChar = (state & ~m_dwCarriedBits) == 0;
    BeginLine(scan);

    // The plain scan is compiled apart from the fast one, so the parsers that use it pay
    // nothing for the fast scan's tests.
    if (!m_bFastScan)
        ScanLine<false, false>(scan);
    else if (scan.text.bDbcs)
        ScanLine<true, false>(scan);
    else
        ScanLine<true, true>(scan);
    if (scan.text.EndsWithBackslash())
        return scan.dwState & (m_dwCarriedBits | m_dwBackslashBits);
    return scan.dwState & m_dwCarriedBits;
}

template <bool kCode, bool kSkip> void CScriptSyntaxParser::ScanLine(SScan& scan) const
{
    const int n = scan.Length();
    const unsigned char* p = scan.text.pText;
    // Bits outside the context bits open a region (with the plain scan, every bit does).
    const uint32_t regionBits = kCode ? ~m_dwContextBits : ~0u;
    int pos = 0;
    while (!scan.bStop)
    {
        if (kSkip && scan.nWordStart >= 0 && pos < n && m_abWordBytes[p[pos]])
        {
            int j = pos + 1;
            while (j < n && m_abWordBytes[p[j]])
                ++j;
            scan.nPrevPrev = j - 2;
            scan.nPrev = j - 1;
            pos = j;
        }
        if (scan.nWordStart >= 0 && (pos >= n || !IsWordAt(scan, pos)))
        {
            const int start = scan.nWordStart;
            scan.nWordStart = -1;
            scan.bNewRun = true;
            const int resume = EndWord(scan, start, pos);
            if (resume > pos)
            {
                // Only ASCII characters are ever consumed beyond the word.
                scan.nPrevPrev = resume - 2;
                scan.nPrev = resume - 1;
                pos = resume;
            }
            if (scan.bStop)
                break;
        }
        if (pos >= n)
            break;
        if (scan.bNewRun && scan.pRuns != nullptr)
            StartRun<kCode>(scan, pos);
        if (kSkip && (scan.dwState & regionBits) == 0 && (p[pos] == ' ' || p[pos] == '\t'))
        {
            // Blanks of normal text open nothing and end in the run just started.
            int j = pos + 1;
            while (j < n && (p[j] == ' ' || p[j] == '\t'))
                ++j;
            if (j >= n)
                break;
            scan.nPrevPrev = j - 2;
            scan.nPrev = j - 1;
            pos = j;
            continue;
        }
        if (kSkip && (scan.dwState & regionBits) != 0 && !m_abRegionStops[p[pos]])
        {
            // Inside a region: everything up to the next stop keeps the region's run.
            int j = pos + 1;
            while (j < n && !m_abRegionStops[p[j]])
                ++j;
            if (j >= n)
                break;
            scan.nPrevPrev = j - 2;
            scan.nPrev = j - 1;
            pos = j;
        }

        scan.nPos = pos;
        const int step = scan.text.Next(pos);
        scan.nNext = step;
        ScanChar<kCode>(scan);
        if (scan.nNext > step)
        {
            // Openers and closers consume only ASCII characters.
            scan.nPrevPrev = scan.nNext - 2;
            scan.nPrev = scan.nNext - 1;
        }
        else
        {
            scan.nPrevPrev = scan.nPrev;
            scan.nPrev = pos;
        }
        pos = scan.nNext;
    }
}

void CScriptSyntaxParser::EnableFastScan(const char* extraWordBytes, const char* regionStops)
{
    m_bFastScan = true;
    for (const char* b = extraWordBytes; b != nullptr && *b != 0; ++b)
        m_abWordBytes[static_cast<unsigned char>(*b)] = true;
    for (const char* b = regionStops; b != nullptr && *b != 0; ++b)
        m_abRegionStops[static_cast<unsigned char>(*b)] = true;
}

template <bool kCode> void CScriptSyntaxParser::StartRun(SScan& scan, int pos) const
{
    const int color = StateColor(scan.dwState);
    if (color >= 0)
    {
        Emit(scan, pos, color);
        scan.bNewRun = false;
    }
    else if (IsWordAt(scan, pos))
    {
        Emit(scan, pos, kSyntaxColorNormal);
        scan.bNewRun = false;
    }
    else
    {
        // Every operator character is a run of its own, so new-run mode stays on. The
        // fast-scan parsers let an operator run go on instead, which looks the same.
        const int n = *scan.pnCount;
        if (kCode && n > scan.nOwnRuns && scan.pRuns[n - 1].nColor == kSyntaxColorOperator)
            return;
        Emit(scan, pos, kSyntaxColorOperator);
    }
}

template <bool kCode> void CScriptSyntaxParser::ScanChar(SScan& scan) const
{
    // Bits outside the context bits open a region (with the plain scan, every bit does).
    const uint32_t regionBits = kCode ? ~m_dwContextBits : ~0u;
    if ((scan.dwState & kScriptLineComment) != 0)
    {
        // A line comment carried in by a trailing backslash: the run at the line start
        // already coloured the whole line.
        scan.bStop = true;
        return;
    }
    if ((scan.dwState & regionBits) != 0)
    {
        ScanRegion(scan);
        return;
    }
    if (scan.bFirstChar && !IsSyntaxSpace(scan.Current()))
    {
        scan.bFirstChar = false;
        if (ScanFirstChar(scan))
            return;
    }
    if (ScanOpener(scan))
        return;
    if (scan.nWordStart < 0 && IsWordAt(scan, scan.nPos))
        scan.nWordStart = scan.nPos;
}

int CScriptSyntaxParser::StateColor(uint32_t state) const
{
    if ((state & (kScriptLineComment | kScriptBlockComment)) != 0)
        return kSyntaxColorComment;
    if ((state & kScriptStringBits) != 0)
        return kSyntaxColorString;
    if ((state & kScriptDirective) != 0)
        return kSyntaxColorPreprocessor;
    return -1;
}

void CScriptSyntaxParser::ScanRegion(SScan& scan) const
{
    if ((scan.dwState & kScriptStringBits) != 0)
        ScanString(scan);
}

bool CScriptSyntaxParser::ScanOpener(SScan& scan) const
{
    return OpenString(scan);
}

int CScriptSyntaxParser::EndWord(SScan& scan, int start, int end) const
{
    if (scan.pRuns != nullptr)
    {
        const int color = ClassifyWord(scan, start, end);
        if (color >= 0)
            Emit(scan, start, color);
    }
    return end;
}

int CScriptSyntaxParser::ClassifyWord(SScan& scan, int start, int end) const
{
    const int color = ListColor(scan, start, end);
    if (color >= 0)
        return color;
    if (IsNumber(reinterpret_cast<const char*>(scan.text.pText + start), end - start))
        return kSyntaxColorNumber;
    if (m_bFunctionNames && NextNonBlankIs(scan, end, '('))
        return kSyntaxColorFunction;
    return -1;
}

void CScriptSyntaxParser::Emit(SScan& scan, int pos, int nColor) const
{
    if (scan.pRuns == nullptr)
        return;
    const int n = *scan.pnCount;
    if (n > scan.nOwnRuns && scan.pRuns[n - 1].nStart == pos)
    {
        // Same start as our own previous run: the later colour wins, as it would if the
        // run were appended, and the array stays free of dead entries.
        scan.pRuns[n - 1].nColor = nColor;
        return;
    }
    AddRun(scan.pLine, pos, nColor, scan.pRuns, scan.pnCount);
}

void CScriptSyntaxParser::Recolour(SScan& scan, int pos, int nColor) const
{
    if (scan.pRuns == nullptr)
        return;
    while (*scan.pnCount > scan.nOwnRuns && scan.pRuns[*scan.pnCount - 1].nStart > pos)
        --*scan.pnCount;
    Emit(scan, pos, nColor);
}

void CScriptSyntaxParser::StartLineComment(SScan& scan, int pos) const
{
    Emit(scan, pos, kSyntaxColorComment);
    scan.dwState |= kScriptLineComment;
    scan.bStop = true;
}

void CScriptSyntaxParser::OpenRegion(SScan& scan, uint32_t bit, int nColor, int width) const
{
    Emit(scan, scan.nPos, nColor);
    scan.dwState |= bit;
    scan.bNewRun = false;
    if (width > 1)
        scan.nNext = scan.nPos + width;
}

void CScriptSyntaxParser::CloseRegion(SScan& scan, uint32_t bit, int width) const
{
    scan.dwState &= ~bit;
    scan.bNewRun = true;
    if (width > 1)
        scan.nNext = scan.nPos + width;
}

bool CScriptSyntaxParser::OpenString(SScan& scan) const
{
    const unsigned char c = scan.Current();
    if (c == '"')
    {
        OpenRegion(scan, kScriptString, kSyntaxColorString, 1);
        return true;
    }
    if (c == '\'' && m_bSingleQuoteStrings && (scan.nPrev < 0 || !IsWordByte(scan.At(scan.nPrev))))
    {
        OpenRegion(scan, kScriptCharString, kSyntaxColorString, 1);
        return true;
    }
    return false;
}

void CScriptSyntaxParser::ScanString(SScan& scan) const
{
    const unsigned char quote = (scan.dwState & kScriptString) != 0 ? '"' : '\'';
    if (scan.Current() == quote && !IsEscaped(scan))
        CloseRegion(scan, kScriptStringBits, 1);
}

bool CScriptSyntaxParser::IsEscaped(const SScan& scan) const
{
    if (scan.nPrev < 0 || scan.At(scan.nPrev) != '\\')
        return false;
    return scan.nPrevPrev < 0 || scan.At(scan.nPrevPrev) != '\\';
}

bool CScriptSyntaxParser::MatchesAt(const SScan& scan, int pos, const char* text) const
{
    const int n = scan.Length();
    for (; *text != 0; ++text, ++pos)
    {
        if (pos >= n || scan.At(pos) != static_cast<unsigned char>(*text))
            return false;
    }
    return true;
}

bool CScriptSyntaxParser::MatchesAtNoCase(const SScan& scan, int pos, const char* text) const
{
    const int n = scan.Length();
    for (; *text != 0; ++text, ++pos)
    {
        if (pos >= n)
            return false;
        unsigned char c = scan.At(pos);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c - 'A' + 'a');
        unsigned char t = static_cast<unsigned char>(*text);
        if (t >= 'A' && t <= 'Z')
            t = static_cast<unsigned char>(t - 'A' + 'a');
        if (c != t)
            return false;
    }
    return true;
}

bool CScriptSyntaxParser::IsWordAt(const SScan& scan, int pos) const
{
    const unsigned char c = scan.At(pos);
    if (IsWordByte(c))
        return true;
    if (c != '.' || pos == 0)
        return false;
    // The character before: in a double-byte code page the byte before may be the trail
    // byte of a character whose lead byte is above 127.
    const int before = pos - 1;
    if (IsSyntaxAlphaLike(scan.At(before)) || (scan.text.bDbcs && IsTrailByte(scan.pLine, before)))
        return false;
    return pos + 1 >= scan.Length() || !IsSyntaxAlphaLike(scan.At(pos + 1));
}

int CScriptSyntaxParser::ListColor(const SScan& scan, int start, int end) const
{
    const char* word = reinterpret_cast<const char*>(scan.text.pText + start);
    for (const SList& entry : m_lists)
    {
        if (entry.pSet->Contains(word, end - start))
            return entry.list.nColor;
    }
    return -1;
}

bool CScriptSyntaxParser::NextNonBlankIs(const SScan& scan, int from, unsigned char c) const
{
    const int i = FindNextNonSpace(scan.text.pText, scan.Length(), from);
    return i < scan.Length() && scan.At(i) == c;
}

bool CScriptHashCommentParser::ScanOpener(SScan& scan) const
{
    if (scan.Current() == '#')
    {
        StartLineComment(scan, scan.nPos);
        return true;
    }
    return OpenString(scan);
}

CScriptPascalCommentParser::CScriptPascalCommentParser(int nId, const char* name,
                                                       const char* extensions, uint32_t dwFlags,
                                                       const char* blockOpen,
                                                       const char* blockClose,
                                                       const char* lineComment)
    : CScriptSyntaxParser(nId, name, extensions, dwFlags, blockOpen, blockClose, lineComment,
                          kScriptBlockComment | kScriptBraceComment)
{
}

int CScriptPascalCommentParser::StateColor(uint32_t state) const
{
    if ((state & kScriptBraceComment) != 0)
        return kSyntaxColorComment;
    return CScriptSyntaxParser::StateColor(state);
}

void CScriptPascalCommentParser::ScanRegion(SScan& scan) const
{
    if ((scan.dwState & kScriptBlockComment) != 0)
    {
        if (MatchesAt(scan, scan.nPos, "*)"))
            CloseRegion(scan, kScriptBlockComment, 2);
        return;
    }
    if ((scan.dwState & kScriptBraceComment) != 0)
    {
        if (scan.Current() == '}')
            CloseRegion(scan, kScriptBraceComment, 1);
        return;
    }
    CScriptSyntaxParser::ScanRegion(scan);
}

bool CScriptPascalCommentParser::OpenComment(SScan& scan) const
{
    const unsigned char c = scan.Current();
    if (c == '/' && MatchesAt(scan, scan.nPos, "//"))
    {
        StartLineComment(scan, scan.nPos);
        return true;
    }
    if (c == '(' && MatchesAt(scan, scan.nPos, "(*"))
    {
        OpenRegion(scan, kScriptBlockComment, kSyntaxColorComment, 2);
        return true;
    }
    if (c == '{')
    {
        OpenRegion(scan, kScriptBraceComment, kSyntaxColorComment, 1);
        return true;
    }
    return false;
}

bool CScriptPascalCommentParser::ScanOpener(SScan& scan) const
{
    return OpenComment(scan) || OpenString(scan);
}

CScriptLispParser::CScriptLispParser(int nId, const char* name, const char* extensions,
                                     uint32_t dwFlags)
    : CScriptSyntaxParser(nId, name, extensions, dwFlags, ";|", "|;", ";", kScriptBlockComment)
{
    m_bSingleQuoteStrings = false;
}

void CScriptLispParser::ScanRegion(SScan& scan) const
{
    if ((scan.dwState & kScriptBlockComment) != 0)
    {
        if (MatchesAt(scan, scan.nPos, "|;"))
            CloseRegion(scan, kScriptBlockComment, 2);
        return;
    }
    CScriptSyntaxParser::ScanRegion(scan);
}

bool CScriptLispParser::ScanOpener(SScan& scan) const
{
    if (scan.Current() == ';')
    {
        if (MatchesAt(scan, scan.nPos, ";|"))
            OpenRegion(scan, kScriptBlockComment, kSyntaxColorComment, 2);
        else
            StartLineComment(scan, scan.nPos);
        return true;
    }
    return OpenString(scan);
}

int CScriptLispParser::ClassifyWord(SScan& scan, int start, int end) const
{
    const int color = ListColor(scan, start, end);
    if (color >= 0)
    {
        if (end - start >= 5 && MatchesAtNoCase(scan, start, "defun"))
            scan.bKeywordSeen = true;
        return color;
    }
    if (IsNumber(reinterpret_cast<const char*>(scan.text.pText + start), end - start))
        return kSyntaxColorNumber;
    if (end < scan.Length() && scan.At(end) == '(')
        return kSyntaxColorFunction;
    const int before = FindPrevNonSpace(scan.text.pText, start);
    if (before >= 0 && scan.At(before) == '(' && !scan.bKeywordSeen)
        return kSyntaxColorFunction;
    return -1;
}

namespace
{
bool IsBinaryDigit(unsigned char c)
{
    return c == '0' || c == '1';
}
bool IsOctalDigit(unsigned char c)
{
    return c >= '0' && c <= '7';
}

// Digits of one kind with single "_" between them; returns the index after them.
int SkipDigits(const unsigned char* w, int i, int len, bool (*isDigit)(unsigned char))
{
    while (i < len && (isDigit(w[i]) || (w[i] == '_' && i + 1 < len && isDigit(w[i + 1]))))
        ++i;
    return i;
}

bool IsDecimalDigit(unsigned char c)
{
    return IsSyntaxDigit(c);
}
bool IsHexDigitByte(unsigned char c)
{
    return IsSyntaxHexDigit(c);
}

// An exponent at i ("e" or "p" as given, a sign, digits): the index after it, or i.
int SkipExponent(const unsigned char* w, int i, int len, char lower)
{
    if (i >= len || (w[i] | 0x20) != lower)
        return i;
    int j = i + 1;
    if (j < len && (w[j] == '+' || w[j] == '-'))
        ++j;
    if (j >= len || !IsSyntaxDigit(w[j]))
        return i;
    return SkipDigits(w, j, len, IsDecimalDigit);
}
} // namespace

int MeasureCodeNumber(const unsigned char* w, int len)
{
    if (len <= 0)
        return 0;
    if (w[0] == '0' && len >= 3)
    {
        const unsigned char x = static_cast<unsigned char>(w[1] | 0x20);
        bool (*isDigit)(unsigned char) = x == 'x'   ? IsHexDigitByte
                                         : x == 'b' ? IsBinaryDigit
                                         : x == 'o' ? IsOctalDigit
                                                    : nullptr;
        if (isDigit != nullptr)
        {
            int i = SkipDigits(w, 2, len, isDigit);
            if (i == 2)
                return 0;
            if (x == 'x')
            {
                if (i < len && w[i] == '.')
                    i = SkipDigits(w, i + 1, len, IsHexDigitByte);
                i = SkipExponent(w, i, len, 'p');
            }
            return i;
        }
    }
    int i = 0;
    if (IsSyntaxDigit(w[0]))
        i = SkipDigits(w, 0, len, IsDecimalDigit);
    else if (!(w[0] == '.' && len > 1 && IsSyntaxDigit(w[1])))
        return 0;
    if (i < len && w[i] == '.' &&
        (i + 1 >= len || IsSyntaxDigit(w[i + 1]) || w[i + 1] == 'e' || w[i + 1] == 'E'))
        i = SkipDigits(w, i + 1, len, IsDecimalDigit);
    return SkipExponent(w, i, len, 'e');
}

CScriptCodeParser::CScriptCodeParser(int nId, const char* name, const char* extensions,
                                     uint32_t dwFlags, const char* blockOpen,
                                     const char* blockClose, const char* lineComment,
                                     uint32_t dwCarriedBits, const char* extraWordBytes,
                                     const char* regionStops)
    : CScriptSyntaxParser(nId, name, extensions, dwFlags, blockOpen, blockClose, lineComment,
                          dwCarriedBits)
{
    EnableFastScan(extraWordBytes, regionStops);
}

int CScriptCodeParser::EndWord(SScan& scan, int start, int end) const
{
    const int n = scan.Length();
    int stop = end;
    // "1e" before "+5": the sign and the digits after it belong to the number.
    if (end + 1 < n && (scan.At(end) == '+' || scan.At(end) == '-') &&
        IsSyntaxDigit(scan.At(end + 1)))
    {
        int j = end + 2;
        while (j < n && IsWordByte(scan.At(j)))
            ++j;
        if (MeasureCodeNumber(scan.text.pText + start, j - start) > end - start)
            stop = j;
    }
    if (scan.pRuns == nullptr)
        return stop;
    // A ".." inside the word is an operator between two words ("0..10").
    int from = start;
    for (int i = start; i + 1 < stop; ++i)
    {
        if (scan.At(i) == '.' && scan.At(i + 1) == '.')
        {
            if (i > from)
            {
                const int color = ClassifyWord(scan, from, i);
                Emit(scan, from, color >= 0 ? color : kSyntaxColorNormal);
            }
            int j = i;
            while (j < stop && scan.At(j) == '.')
                ++j;
            Emit(scan, i, kSyntaxColorOperator);
            from = j;
            i = j - 1;
        }
    }
    if (from < stop)
    {
        const int color = ClassifyWord(scan, from, stop);
        if (color >= 0)
            Emit(scan, from, color);
        else if (from > start)
            Emit(scan, from, kSyntaxColorNormal);
    }
    return stop;
}

int CScriptCodeParser::ClassifyWord(SScan& scan, int start, int end) const
{
    const int color = ListColor(scan, start, end);
    if (color >= 0)
        return color;
    if (IsNumberWord(scan, start, end))
        return kSyntaxColorNumber;
    if (m_bFunctionNames && NextNonBlankIs(scan, end, '('))
        return kSyntaxColorFunction;
    return -1;
}

bool CScriptCodeParser::IsNumberWord(const SScan& scan, int start, int end) const
{
    const unsigned char* w = scan.text.pText + start;
    const int len = end - start;
    const int m = MeasureCodeNumber(w, len);
    if (m == 0)
        return false;
    if (!m_bNumberUnderscores)
    {
        for (int i = 0; i < m; ++i)
        {
            if (w[i] == '_')
                return false;
        }
    }
    if (m == len)
        return true;
    for (const char* const* s = m_pNumberSuffixes; s != nullptr && *s != nullptr; ++s)
    {
        const int sl = static_cast<int>(std::strlen(*s));
        if (sl == len - m && std::memcmp(*s, w + m, static_cast<size_t>(sl)) == 0)
            return true;
    }
    return false;
}

bool CScriptCodeParser::OpenSlashComment(SScan& scan) const
{
    if (scan.Current() != '/' || scan.nPos + 1 >= scan.Length())
        return false;
    const unsigned char next = scan.At(scan.nPos + 1);
    if (next == '/')
    {
        StartLineComment(scan, scan.nPos);
        return true;
    }
    if (next == '*')
    {
        OpenRegion(scan, kScriptBlockComment, kSyntaxColorComment, 2);
        return true;
    }
    return false;
}

void CScriptCodeParser::ScanBlockComment(SScan& scan) const
{
    if (scan.Current() == '*' && scan.nPos + 1 < scan.Length() && scan.At(scan.nPos + 1) == '/')
        CloseRegion(scan, kScriptBlockComment, 2);
}

unsigned char CScriptCodeParser::PrevNonBlank(const SScan& scan, int pos) const
{
    const int i = FindPrevNonSpace(scan.text.pText, pos);
    return i >= 0 ? scan.At(i) : 0;
}

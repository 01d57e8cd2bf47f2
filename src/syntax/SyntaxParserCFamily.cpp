#include "syntax/SyntaxParserCFamily.h"

#include <cstring>

CSyntaxParserCFamily::CSyntaxParserCFamily(const SCFamilyOptions& options) : m_options(options)
{
    for (unsigned char c : {'/', '*', '"', '\''})
        m_interesting[c] = true;
    if (m_options.bSemicolonComment)
        m_interesting[static_cast<unsigned char>(';')] = true;
    for (int i = 0; i < m_options.nListCount; ++i)
    {
        const SCFamilyWordList& list = m_options.pLists[i];
        m_sets.push_back(std::make_unique<CSyntaxKeywordSet>(list.pWords, list.bNoCase));
    }
}

CSyntaxParserCFamily::~CSyntaxParserCFamily() = default;

int CSyntaxParserCFamily::GetWordListCount() const
{
    return m_options.nListCount;
}

SSyntaxWordList CSyntaxParserCFamily::GetWordList(int index) const
{
    if (index < 0 || index >= m_options.nListCount)
        return {nullptr, 0, false};
    const SCFamilyWordList& list = m_options.pLists[index];
    return {list.pWords, list.nColor, list.bNoCase};
}

int CSyntaxParserCFamily::ClassifyWord(const unsigned char* text, int length, int begin,
                                       int end) const
{
    const char* word = reinterpret_cast<const char*>(text + begin);
    const int wordLength = end - begin;
    for (size_t i = 0; i < m_sets.size(); ++i)
    {
        if (m_sets[i]->Contains(word, wordLength))
            return m_options.pLists[i].nColor;
    }
    if (IsNumber(word, wordLength))
        return kSyntaxColorNumber;
    const int next = FindNextNonSpace(text, length, end);
    if (m_options.bDclFunctionNames)
    {
        if (next < length && (text[next] == '{' || text[next] == ':'))
            return kSyntaxColorFunction;
        const int before = FindPrevNonSpace(text, begin);
        if (before >= 0 && text[before] == ':')
            return kSyntaxColorFunction;
        return -1;
    }
    if (next < length && text[next] == '(')
        return kSyntaxColorFunction;
    return -1;
}

uint32_t CSyntaxParserCFamily::ParseLine(uint32_t state, const CTarvoTextLineInfo* line,
                                         SyntaxRun* runs, int* count)
{
    const SSyntaxLineText text(line);
    const int n = text.nLength;
    if (n <= 0)
        return state & kCFamilyBlockComment;
    const unsigned char* p = text.pText;
    const bool colour = runs != nullptr && count != nullptr;
    uint32_t s = state;

    if (s & kCFamilyLineComment)
    {
        // A line comment continued by a trailing backslash: the whole line is comment.
        AppendSyntaxRun(runs, count, 0, kSyntaxColorComment);
        return SyntaxEndOfLineState(text, s, kCFamilyBlockComment);
    }

    bool firstChar = (s & ~kCFamilyBlockComment) == 0; // a directive may still begin
    bool newRun = true;                                // the next character starts a run
    bool escaped = false;       // in a string: the previous backslash escapes this character
    int wordBegin = -1;         // start of the word being collected (colouring only)
    int prev = -1;              // index of the previous character
    int commentOpenStar = -1;   // the "*" of a "/*" opened on this line
    int commentCloseSlash = -1; // the "/" of the last "*/" on this line
    const uint32_t quoted = kCFamilyString | kCFamilyChar;
    // The state-only pass of a single-byte or UTF-8 line jumps over the bytes that cannot
    // change the state; character steps are byte steps there, so prev is always i - 1.
    const bool fast = !colour && !text.bDbcs;

    for (int i = 0; i < n; prev = i, i = text.Next(i))
    {
        unsigned char c = p[i];
        if (s & quoted)
        {
            if (fast && !escaped && !((s & kCFamilyChar) && m_options.bLooseCharLiteral))
            {
                const unsigned char quote = (s & kCFamilyString) ? '"' : '\'';
                int j = i;
                while (j < n && p[j] != quote && p[j] != '\\')
                    ++j;
                if (j >= n)
                    break;
                i = j;
                prev = j - 1;
                c = p[i];
            }
            if (newRun)
            {
                AppendSyntaxRun(runs, count, i, kSyntaxColorString);
                newRun = false;
            }
            if (!(s & kCFamilyString) && m_options.bLooseCharLiteral)
            {
                if (c == '\'' && (i == 0 || p[prev] != '\\'))
                {
                    s &= ~kCFamilyChar;
                    newRun = true;
                }
            }
            else
            {
                // A backslash escapes the character after it, so "\\" is one escaped
                // backslash and the quote after it closes the literal.
                const bool bString = (s & kCFamilyString) != 0;
                if (escaped)
                    escaped = false;
                else if (c == '\\')
                    escaped = true;
                else if (c == (bString ? '"' : '\''))
                {
                    s &= bString ? ~kCFamilyString : ~kCFamilyChar;
                    newRun = true;
                }
            }
            continue;
        }
        if (s & kCFamilyBlockComment)
        {
            if (fast)
            {
                int j = i;
                for (;;)
                {
                    const void* slash = std::memchr(p + j, '/', static_cast<size_t>(n - j));
                    if (slash == nullptr)
                    {
                        j = n;
                        break;
                    }
                    j = static_cast<int>(static_cast<const unsigned char*>(slash) - p);
                    if (j > 0 && p[j - 1] == '*' && j - 1 != commentOpenStar)
                        break;
                    if (++j >= n)
                        break;
                }
                if (j >= n)
                    break;
                i = j;
                prev = j - 1;
                c = p[i];
            }
            if (newRun)
            {
                AppendSyntaxRun(runs, count, i, kSyntaxColorComment);
                newRun = false;
            }
            if (c == '/' && prev >= 0 && p[prev] == '*' && prev != commentOpenStar)
            {
                s &= ~kCFamilyBlockComment;
                commentCloseSlash = i;
                newRun = true;
            }
            continue;
        }

        // Normal text or a directive.
        if (fast && !firstChar)
        {
            int j = i;
            while (j < n && !m_interesting[p[j]])
                ++j;
            if (j >= n)
                break;
            i = j;
            prev = j - 1;
            c = p[i];
        }
        const bool isWord =
            IsSyntaxWordChar(c) || (c == '.' && (m_options.bDotIsWordChar ||
                                                 (prev >= 0 && !IsSyntaxAlphaLike(p[prev]) &&
                                                  (i + 1 >= n || !IsSyntaxAlphaLike(p[i + 1])))));
        if (isWord && wordBegin >= 0)
        {
            // Inside a word nothing but its end matters; single-byte text runs to the end
            // of the plain word characters at once.
            if (!text.bDbcs)
            {
                int j = i + 1;
                while (j < n && IsSyntaxWordChar(p[j]))
                    ++j;
                i = j - 1;
            }
            continue;
        }
        if (!isWord && wordBegin >= 0)
        {
            const int colourIndex = ClassifyWord(p, n, wordBegin, i);
            if (colourIndex >= 0)
                AppendSyntaxRun(runs, count, wordBegin, colourIndex);
            wordBegin = -1;
            newRun = true;
        }
        // "//" and "/*" are coloured from their first "/", so they are recognised before
        // this character gets a run of its own. The "/" that closed a comment opens none.
        if (prev >= 0 && p[prev] == '/' && prev != commentCloseSlash)
        {
            if (c == '/')
            {
                AppendSyntaxRun(runs, count, prev, kSyntaxColorComment);
                s |= kCFamilyLineComment;
                break;
            }
            if (c == '*')
            {
                AppendSyntaxRun(runs, count, prev, kSyntaxColorComment);
                s |= kCFamilyBlockComment;
                commentOpenStar = i;
                newRun = false;
                firstChar = false;
                continue;
            }
        }
        if (c == ';' && m_options.bSemicolonComment)
        {
            AppendSyntaxRun(runs, count, i, kSyntaxColorComment);
            s |= kCFamilyLineComment;
            break;
        }
        if (newRun && colour)
        {
            if (s & kCFamilyDirective)
            {
                AppendSyntaxRun(runs, count, i, kSyntaxColorPreprocessor);
                newRun = false;
            }
            else if (isWord)
            {
                AppendSyntaxRun(runs, count, i, kSyntaxColorNormal);
                newRun = false;
            }
            else
            {
                AppendSyntaxRun(runs, count, i, kSyntaxColorOperator);
            }
        }
        if (s & kCFamilyDirective)
            continue; // quotes and words stay directive colour
        if (c == '"')
        {
            AppendSyntaxRun(runs, count, i, kSyntaxColorString);
            s |= kCFamilyString;
            escaped = false;
            newRun = false;
            firstChar = false;
            continue;
        }
        if (c == '\'' && !(prev >= 0 && IsSyntaxWordChar(p[prev])))
        {
            AppendSyntaxRun(runs, count, i, kSyntaxColorString);
            s |= kCFamilyChar;
            escaped = false;
            newRun = false;
            firstChar = false;
            continue;
        }
        if (firstChar)
        {
            if (m_options.chDirective != 0 &&
                c == static_cast<unsigned char>(m_options.chDirective))
            {
                AppendSyntaxRun(runs, count, i, kSyntaxColorPreprocessor);
                s |= kCFamilyDirective;
                firstChar = false;
                newRun = false;
                continue;
            }
            if (!IsSyntaxSpace(c))
                firstChar = false;
        }
        if (isWord && colour && wordBegin < 0)
            wordBegin = i;
    }
    if (wordBegin >= 0)
    {
        const int colourIndex = ClassifyWord(p, n, wordBegin, n);
        if (colourIndex >= 0)
            AppendSyntaxRun(runs, count, wordBegin, colourIndex);
    }
    return SyntaxEndOfLineState(text, s, kCFamilyBlockComment);
}

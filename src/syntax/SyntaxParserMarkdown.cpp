// Markdown documents.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kMdHtmlComment = kScriptBlockComment; // "<!--" ... "-->", carried
constexpr uint32_t kMdFence = 64;                        // inside a fenced code block, carried
constexpr uint32_t kMdFenceTilde = 128;                  // the fence is made of "~" rather than "`"
constexpr int kMdFenceShift = 8;
constexpr uint32_t kMdFenceMask = 0xFFu << kMdFenceShift; // the length of the opening fence

// Prose is normal text; what Markdown marks is coloured: headings (9, the whole line),
// fenced code blocks with their fences and code spans (14), strong emphasis (9) and
// emphasis (18), link texts (10) and their targets and automatic links (19), quotes (11,
// the whole line), list markers and rules (13), HTML tags (15) and HTML comments (11,
// carried across lines). Emphasis and code spans close on their own line.
class CSyntaxParserMarkdown final : public CScriptSyntaxParser
{
public:
    CSyntaxParserMarkdown()
        : CScriptSyntaxParser(32, "Markdown", "md,markdown", 0x10, "<!--", "-->", "",
                              kMdHtmlComment | kMdFence | kMdFenceTilde | kMdFenceMask)
    {
        m_bFunctionNames = false;
        m_dwBackslashBits = 0;   // a trailing backslash is a hard line break
        SetWordByte('_', false); // emphasis marks are not part of words
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kMdHtmlComment) != 0)
            return kSyntaxColorComment;
        if ((state & kMdFence) != 0)
            return kSyntaxColorString;
        return kSyntaxColorNormal;
    }

    int ClassifyWord(SScan& /*scan*/, int /*start*/, int /*end*/) const override { return -1; }

    void BeginLine(SScan& scan) const override
    {
        if ((scan.dwState & kMdFence) == 0)
            return;
        // Code up to a closing fence: the fence's character, at least as long as the
        // opening one, and nothing but blanks after it.
        const int n = scan.Length();
        const int at = Indent(scan);
        const unsigned char fence = (scan.dwState & kMdFenceTilde) != 0 ? '~' : '`';
        int j = at;
        while (j < n && scan.At(j) == fence)
            ++j;
        const uint32_t opened = (scan.dwState & kMdFenceMask) >> kMdFenceShift;
        Emit(scan, 0, kSyntaxColorString);
        if (at <= 3 && static_cast<uint32_t>(j - at) >= opened &&
            FindNextNonSpace(scan.text.pText, n, j) == n)
            scan.dwState = 0;
        scan.bStop = true;
    }

    bool ScanFirstChar(SScan& scan) const override
    {
        const int n = scan.Length();
        const int pos = scan.nPos;
        if (pos > 3)
            return false; // indented: a continuation or code, coloured as prose
        const unsigned char c = scan.Current();
        int run = pos;
        while (run < n && scan.At(run) == c)
            ++run;
        const int count = run - pos;
        if (c == '#' && count <= 6 && (run == n || IsSyntaxSpace(scan.At(run))))
            return WholeLine(scan, kSyntaxColorKeyword);
        if ((c == '`' || c == '~') && count >= 3)
        {
            if (c == '`')
            {
                for (int j = run; j < n; ++j)
                {
                    if (scan.At(j) == '`')
                        return false; // an info string never holds a backtick
                }
            }
            const uint32_t length = count > 255 ? 255u : static_cast<uint32_t>(count);
            scan.dwState |= kMdFence | (c == '~' ? kMdFenceTilde : 0) | (length << kMdFenceShift);
            return WholeLine(scan, kSyntaxColorString);
        }
        if (c == '>')
            return WholeLine(scan, kSyntaxColorComment);
        if (c == '=' && FindNextNonSpace(scan.text.pText, n, run) == n)
            return WholeLine(scan, kSyntaxColorKeyword); // the underline of a heading
        if ((c == '-' || c == '*' || c == '_') && IsRule(scan, c))
            return WholeLine(scan, kSyntaxColorOperator);
        // List items: "-", "*" or "+", or up to nine digits and "." or ")", then a blank.
        int marker = 0;
        if ((c == '-' || c == '*' || c == '+') &&
            (pos + 1 == n || scan.At(pos + 1) == ' ' || scan.At(pos + 1) == '\t'))
            marker = 1;
        else if (IsSyntaxDigit(c))
        {
            int j = pos;
            while (j < n && j - pos < 9 && IsSyntaxDigit(scan.At(j)))
                ++j;
            if (j < n && (scan.At(j) == '.' || scan.At(j) == ')') &&
                (j + 1 == n || scan.At(j + 1) == ' ' || scan.At(j + 1) == '\t'))
                marker = j + 1 - pos;
        }
        if (marker > 0)
        {
            Emit(scan, pos, kSyntaxColorOperator);
            scan.bNewRun = true;
            scan.nNext = pos + marker;
            return true;
        }
        return false;
    }

    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & kMdHtmlComment) != 0 && MatchesAt(scan, scan.nPos, "-->"))
            CloseRegion(scan, kMdHtmlComment, 3);
    }

    bool ScanOpener(SScan& scan) const override
    {
        const int n = scan.Length();
        const int pos = scan.nPos;
        const unsigned char c = scan.Current();
        switch (c)
        {
        case '\\':
            // An escaped mark is literal text.
            if (pos + 1 < n && scan.At(pos + 1) < 128 && !IsSyntaxWordChar(scan.At(pos + 1)))
                scan.nNext = pos + 2;
            return true;
        case '`':
        {
            int run = pos;
            while (run < n && scan.At(run) == '`')
                ++run;
            const int close = FindRun(scan, run, '`', run - pos);
            return Span(scan, close < 0 ? -1 : close + (run - pos), kSyntaxColorString, run);
        }
        case '*':
        case '_':
        {
            int run = pos;
            while (run < n && scan.At(run) == c)
                ++run;
            const int count = run - pos;
            // "_" inside a word ("snake_case") and a mark before a blank open nothing.
            if (count > 3 || run >= n || IsSyntaxSpace(scan.At(run)) ||
                (c == '_' && pos > 0 && IsSyntaxWordChar(scan.At(pos - 1))))
                return Span(scan, -1, 0, run);
            const int close = FindRun(scan, run + 1, c, count);
            if (close < 0 || IsSyntaxSpace(scan.At(close - 1)))
                return Span(scan, -1, 0, run);
            return Span(scan, close + count,
                        count == 1 ? kSyntaxColorKeyword2 : kSyntaxColorKeyword, run);
        }
        case '!':
            if (pos + 1 < n && scan.At(pos + 1) == '[')
                return Link(scan, pos, pos + 1);
            return false;
        case '[':
            return Link(scan, pos, pos);
        case '<':
        {
            if (MatchesAt(scan, pos, "<!--"))
            {
                OpenRegion(scan, kMdHtmlComment, kSyntaxColorComment, 4);
                return true;
            }
            if (pos + 1 >= n || !(IsSyntaxWordStart(scan.At(pos + 1)) || scan.At(pos + 1) == '/'))
                return false;
            int close = pos + 1;
            bool blank = false;
            bool link = false;
            while (close < n && scan.At(close) != '>' && scan.At(close) != '<')
            {
                blank = blank || IsSyntaxSpace(scan.At(close));
                link = link || scan.At(close) == ':' || scan.At(close) == '@';
                ++close;
            }
            if (close >= n || scan.At(close) != '>')
                return false;
            return Span(scan, close + 1,
                        link && !blank ? kSyntaxColorKeyword3 : kSyntaxColorPreprocessor, pos + 1);
        }
        default:
            return false;
        }
    }

private:
    static int Indent(const SScan& scan)
    {
        int i = 0;
        while (i < scan.Length() && scan.At(i) == ' ')
            ++i;
        return i;
    }

    bool WholeLine(SScan& scan, int nColor) const
    {
        Emit(scan, 0, nColor);
        scan.bStop = true;
        return true;
    }

    // Three or more of one mark, blanks between them allowed, and nothing else.
    static bool IsRule(const SScan& scan, unsigned char c)
    {
        int marks = 0;
        for (int j = scan.nPos; j < scan.Length(); ++j)
        {
            if (scan.At(j) == c)
                ++marks;
            else if (!IsSyntaxSpace(scan.At(j)))
                return false;
        }
        return marks >= 3;
    }

    // The start of the first run of exactly `count` marks `c` at or after `from`, or -1.
    static int FindRun(const SScan& scan, int from, unsigned char c, int count)
    {
        const int n = scan.Length();
        for (int j = from; j < n;)
        {
            if (scan.At(j) != c)
            {
                j += scan.At(j) == '\\' && c != '`' ? 2 : 1;
                continue;
            }
            int k = j;
            while (k < n && scan.At(k) == c)
                ++k;
            if (k - j == count)
                return j;
            j = k;
        }
        return -1;
    }

    // A span from the current character to `end` (exclusive) in one colour; with end < 0
    // the marks up to `literalEnd` are ordinary text.
    bool Span(SScan& scan, int end, int nColor, int literalEnd) const
    {
        if (end < 0)
        {
            scan.nNext = literalEnd;
            return true;
        }
        Emit(scan, scan.nPos, nColor);
        scan.bNewRun = true;
        scan.nNext = end;
        return true;
    }

    // "[text]" in function colour (10) and its "(target)" or "[label]" after it in colour
    // 19; a reference definition "[label]: target" colours the target to the line end.
    bool Link(SScan& scan, int start, int open) const
    {
        const int n = scan.Length();
        int depth = 0;
        int close = open;
        for (; close < n; ++close)
        {
            const unsigned char c = scan.At(close);
            if (c == '\\')
                ++close;
            else if (c == '[')
                ++depth;
            else if (c == ']' && --depth == 0)
                break;
        }
        if (close >= n)
            return Span(scan, -1, 0, open + 1);
        Emit(scan, start, kSyntaxColorFunction);
        int end = close + 1;
        if (end < n && (scan.At(end) == '(' || scan.At(end) == '['))
        {
            const unsigned char last = scan.At(end) == '(' ? ')' : ']';
            int target = end + 1;
            while (target < n && scan.At(target) != last)
                ++target;
            if (target < n)
            {
                Emit(scan, end, kSyntaxColorKeyword3);
                end = target + 1;
            }
        }
        else if (end < n && scan.At(end) == ':' && FindPrevNonSpace(scan.text.pText, start) < 0)
        {
            Emit(scan, end, kSyntaxColorOperator);
            if (end + 1 < n)
                Emit(scan, end + 1, kSyntaxColorKeyword3);
            end = n;
        }
        scan.bNewRun = true;
        scan.nNext = end;
        return true;
    }
};

CSyntaxParser* CreateSyntaxParserMarkdown()
{
    return new CSyntaxParserMarkdown();
}

// Cascading style sheets, also in the Sass (SCSS) and Less syntaxes.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr int kCssDepthShift = 5;
constexpr uint32_t kCssDepthMask =
    7u << kCssDepthShift; // "{" open (up to 7), carried to the next lines

// What a word is depends on where it stands. In a selector (outside every block, or before
// a "{" on the line) element names are keywords (9), class and id names after "." and "#"
// function names (10), and pseudo-classes after ":" second-class words (18). In a
// declaration a name before ":" is a property (18), a name before "(" a function (10), and
// numbers with their units and hex colours are numbers (12). At-rules ("@media") are
// directives (15), Sass variables ("$size") third-class words (19). "/* */" comments
// continue across lines; "//" (Sass and Less) comments out the rest of the line unless it
// follows a ":" as in "http://". The body of url(...) without quotes is a string.
class CSyntaxParserCss final : public CScriptCodeParser
{
public:
    CSyntaxParserCss()
        : CScriptCodeParser(31, "CSS", "css,scss,less", 0x30, "/*", "*/", "",
                            kScriptBlockComment | kCssDepthMask, "-", "*\"'\\")
    {
        m_dwContextBits = kCssDepthMask;
        m_dwBackslashBits = kScriptStringBits;
    }

protected:
    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & kScriptBlockComment) != 0)
            ScanBlockComment(scan);
        else
            ScanString(scan);
    }

    bool ScanOpener(SScan& scan) const override
    {
        const unsigned char c = scan.Current();
        const uint32_t s = scan.dwState;
        const int n = scan.Length();
        const int pos = scan.nPos;
        switch (c)
        {
        case '/':
            if (MatchesAt(scan, pos, "/*") ||
                (MatchesAt(scan, pos, "//") && (pos == 0 || scan.At(pos - 1) != ':')))
                return OpenSlashComment(scan);
            return false;
        case '{':
            if ((s & kCssDepthMask) != kCssDepthMask)
                scan.dwState = s + (1u << kCssDepthShift);
            return false;
        case '}':
            if ((s & kCssDepthMask) != 0)
                scan.dwState = s - (1u << kCssDepthShift);
            return false;
        case '@':
            return ColourName(scan, kSyntaxColorPreprocessor);
        case '$':
            return ColourName(scan, kSyntaxColorKeyword3);
        case '#':
        {
            int j = pos + 1;
            bool hex = true;
            for (; j < n && IsWordByte(scan.At(j)); ++j)
                hex = hex && IsSyntaxHexDigit(scan.At(j));
            const int len = j - pos - 1;
            if (len == 0)
                return false;
            const bool colour =
                hex && (len == 3 || len == 4 || len == 6 || len == 8) && !InSelector(scan, j);
            Emit(scan, pos, colour ? kSyntaxColorNumber : kSyntaxColorFunction);
            scan.bNewRun = true;
            scan.nNext = j;
            return true;
        }
        case '!':
            if (MatchesAtNoCase(scan, pos + 1, "important"))
            {
                Emit(scan, pos, kSyntaxColorKeyword);
                scan.bNewRun = true;
                scan.nNext = pos + 10;
                return true;
            }
            return false;
        default:
            return OpenString(scan);
        }
    }

    int EndWord(SScan& scan, int start, int end) const override
    {
        const int n = scan.Length();
        if (end - start == 3 && MatchesAtNoCase(scan, start, "url") && end < n &&
            scan.At(end) == '(')
        {
            const int body = FindNextNonSpace(scan.text.pText, n, end + 1);
            if (body < n && scan.At(body) != '"' && scan.At(body) != '\'')
            {
                int close = body;
                while (close < n && scan.At(close) != ')')
                    ++close;
                Emit(scan, start, kSyntaxColorFunction);
                Emit(scan, end, kSyntaxColorOperator);
                if (body < close)
                    Emit(scan, body, kSyntaxColorString);
                if (close < n)
                    Emit(scan, close, kSyntaxColorOperator);
                return close < n ? close + 1 : n;
            }
        }
        return CScriptCodeParser::EndWord(scan, start, end);
    }

    int ClassifyWord(SScan& scan, int start, int end) const override
    {
        if (IsNumberWord(scan, start, end))
            return kSyntaxColorNumber;
        const unsigned char before = start > 0 ? scan.At(start - 1) : 0;
        if (InSelector(scan, end))
        {
            if (before == '.' || before == '#')
                return kSyntaxColorFunction;
            // A feature of a media query, "(max-width: 600px)", is named like a property.
            if (before == ':' ||
                (NextNonBlankIs(scan, end, ':') && PrevNonBlank(scan, start) == '('))
                return kSyntaxColorKeyword2;
            return IsSyntaxWordStart(scan.At(start)) ? kSyntaxColorKeyword : -1;
        }
        if (NextNonBlankIs(scan, end, ':'))
            return kSyntaxColorKeyword2;
        if (NextNonBlankIs(scan, end, '('))
            return kSyntaxColorFunction;
        return -1;
    }

    // A number with an optional "-" before it and an optional unit after it ("-1.5em").
    bool IsNumberWord(const SScan& scan, int start, int end) const override
    {
        const unsigned char* w = scan.text.pText + start;
        int len = end - start;
        if (len > 1 && w[0] == '-')
        {
            ++w;
            --len;
        }
        const int m = MeasureCodeNumber(w, len);
        if (m == 0)
            return false;
        for (int i = m; i < len; ++i)
        {
            if (!((w[i] | 0x20) >= 'a' && (w[i] | 0x20) <= 'z'))
                return false;
        }
        for (int i = 0; i < m; ++i)
        {
            if (w[i] == '_')
                return false;
        }
        return true;
    }

private:
    // True outside every block, and before a "{" that opens a nested rule on this line.
    bool InSelector(const SScan& scan, int from) const
    {
        if ((scan.dwState & kCssDepthMask) == 0)
            return true;
        const int n = scan.Length();
        for (int j = from; j < n; ++j)
        {
            const unsigned char c = scan.At(j);
            if (c == '{')
                return true;
            if (c == ';' || c == '}')
                return false;
        }
        // A selector list goes on over several lines with a "," at the end of each.
        const int last = FindPrevNonSpace(scan.text.pText, n);
        return last >= from && scan.At(last) == ',';
    }

    // "@name" or "$name" in one colour; false when no name follows.
    bool ColourName(SScan& scan, int nColor) const
    {
        int j = scan.nPos + 1;
        while (j < scan.Length() && IsWordByte(scan.At(j)))
            ++j;
        if (j == scan.nPos + 1)
            return false;
        Emit(scan, scan.nPos, nColor);
        scan.bNewRun = true;
        scan.nNext = j;
        return true;
    }
};

CSyntaxParser* CreateSyntaxParserCss()
{
    return new CSyntaxParserCss();
}

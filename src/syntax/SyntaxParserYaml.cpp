// YAML documents.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kYamlBlockScalar = 64; // inside the lines of a "|" or ">" block scalar, carried
constexpr int kYamlIndentShift = 16;
constexpr uint32_t kYamlIndentMask =
    0xFFu << kYamlIndentShift; // the indentation the block scalar's lines exceed

static const char* const s_apszYamlLiterals[] = {
    "true", "false", "null", "yes", "no", "on", "off", nullptr,
};

// Keys are second-class words (18), comments 11, quoted scalars 14 (both kinds go on over
// the following lines until their quote), block scalars 14 on every line that is indented
// deeper than the line that opened them, anchors and aliases third-class words (19), tags,
// directives and document markers directives (15), the indicators of structure ("- ", ": ",
// "[", "{", ",", "|", ">") operators (13), and true, false, null and numbers as usual. The
// rest of a plain scalar is normal text, punctuation included.
class CSyntaxParserYaml final : public CScriptCodeParser
{
public:
    CSyntaxParserYaml()
        : CScriptCodeParser(33, "YAML", "yml,yaml", 0x10, "", "", "#",
                            kScriptStringBits | kYamlBlockScalar | kYamlIndentMask, "", "\"'\\")
    {
        m_bFunctionNames = false;
        m_bNumberUnderscores = false;
        m_dwBackslashBits = 0;
        // The rest of the line that opens a block scalar is scanned as usual (a comment
        // may follow the indicator); BeginLine colours the scalar's own lines.
        m_dwContextBits = kYamlBlockScalar | kYamlIndentMask;
        AddWordList(s_apszYamlLiterals, kSyntaxColorKeyword, true);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kScriptLineComment) != 0)
            return kSyntaxColorComment;
        if ((state & kScriptStringBits) != 0)
            return kSyntaxColorString;
        return kSyntaxColorNormal;
    }

    void BeginLine(SScan& scan) const override
    {
        if ((scan.dwState & kYamlBlockScalar) == 0)
            return;
        const int n = scan.Length();
        int indent = 0;
        while (indent < n && scan.At(indent) == ' ')
            ++indent;
        const uint32_t parent = (scan.dwState & kYamlIndentMask) >> kYamlIndentShift;
        if (indent == n || static_cast<uint32_t>(indent) > parent)
        {
            Emit(scan, 0, kSyntaxColorString);
            scan.bStop = true;
            return;
        }
        scan.dwState &= ~(kYamlBlockScalar | kYamlIndentMask);
    }

    bool ScanFirstChar(SScan& scan) const override
    {
        const int n = scan.Length();
        const int pos = scan.nPos;
        const unsigned char c = scan.Current();
        if (pos == 0 && (MatchesAt(scan, 0, "---") || MatchesAt(scan, 0, "...")) &&
            (n == 3 || IsSyntaxSpace(scan.At(3))))
            return Mark(scan, 3, kSyntaxColorPreprocessor);
        if (pos == 0 && c == '%')
        {
            Emit(scan, 0, kSyntaxColorPreprocessor);
            scan.bStop = true;
            return true;
        }
        // "- " and "? " begin an entry; what follows is again the start of a line's node.
        if ((c == '-' || c == '?') && (pos + 1 == n || IsSyntaxSpace(scan.At(pos + 1))))
        {
            scan.bFirstChar = true;
            return Mark(scan, 1, kSyntaxColorOperator);
        }
        const int colon = KeyEnd(scan);
        if (colon < 0)
            return false;
        Emit(scan, pos, kSyntaxColorKeyword2);
        scan.bNewRun = true;
        scan.nNext = colon;
        return true;
    }

    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & kScriptString) != 0)
        {
            ScanString(scan);
            return;
        }
        // Single quotes have no escapes; a doubled quote stands for one.
        if (scan.Current() == '\'')
        {
            if (scan.nPos + 1 < scan.Length() && scan.At(scan.nPos + 1) == '\'')
                scan.nNext = scan.nPos + 2;
            else
                CloseRegion(scan, kScriptCharString, 1);
        }
    }

    bool ScanOpener(SScan& scan) const override
    {
        const int n = scan.Length();
        const int pos = scan.nPos;
        const unsigned char c = scan.Current();
        const bool afterBlank = pos == 0 || IsSyntaxSpace(scan.At(pos - 1));
        switch (c)
        {
        case '#':
            if (!afterBlank)
                return false;
            StartLineComment(scan, pos);
            return true;
        case ':':
            if (pos + 1 < n && !IsSyntaxSpace(scan.At(pos + 1)))
                return false;
            return Mark(scan, 1, kSyntaxColorOperator);
        case '[':
        case ']':
        case '{':
        case '}':
        case ',':
            return Mark(scan, 1, kSyntaxColorOperator);
        default:
            break;
        }
        if (!AtNodeStart(scan))
            return false;
        switch (c)
        {
        case '"':
            OpenRegion(scan, kScriptString, kSyntaxColorString, 1);
            return true;
        case '\'':
            OpenRegion(scan, kScriptCharString, kSyntaxColorString, 1);
            return true;
        case '&':
        case '*':
            return Mark(scan, NameLength(scan), kSyntaxColorKeyword3);
        case '!':
            return Mark(scan, NameLength(scan), kSyntaxColorPreprocessor);
        case '|':
        case '>':
        {
            // A block scalar header: the indicator, chomping and indentation marks, and at
            // most a comment after them.
            int j = pos + 1;
            while (j < n && (scan.At(j) == '+' || scan.At(j) == '-' || IsSyntaxDigit(scan.At(j))))
                ++j;
            const int rest = FindNextNonSpace(scan.text.pText, n, j);
            if (rest < n && !(scan.At(rest) == '#' && rest > j))
                return false;
            const uint32_t parent = static_cast<uint32_t>(ParentIndent(scan));
            scan.dwState |= kYamlBlockScalar | ((parent > 255 ? 255u : parent) << kYamlIndentShift);
            return Mark(scan, j - pos, kSyntaxColorOperator);
        }
        default:
            return false;
        }
    }

private:
    // `width` characters from the current one in one colour; the text after them starts
    // a run of its own.
    bool Mark(SScan& scan, int width, int nColor) const
    {
        Emit(scan, scan.nPos, nColor);
        scan.bNewRun = true;
        scan.nNext = scan.nPos + width;
        return true;
    }

    // A node may start here: at the line's first node, or after ": ", "- ", "? ", "[",
    // "{", "," or a tag or anchor.
    bool AtNodeStart(const SScan& scan) const
    {
        const int i = FindPrevNonSpace(scan.text.pText, scan.nPos);
        if (i < 0)
            return true;
        const unsigned char c = scan.At(i);
        if (i + 1 == scan.nPos && c != '[' && c != '{' && c != ',')
            return false; // no blank between
        if (c == ':' || c == '-' || c == '?' || c == '[' || c == '{' || c == ',')
            return true;
        // After a tag or an anchor: the word before the blank starts with "!" or "&".
        int k = i;
        while (k > 0 && !IsSyntaxSpace(scan.At(k - 1)))
            --k;
        return scan.At(k) == '!' || scan.At(k) == '&';
    }

    int NameLength(const SScan& scan) const
    {
        int j = scan.nPos + 1;
        while (j < scan.Length() && !IsSyntaxSpace(scan.At(j)) && scan.At(j) != ',' &&
               scan.At(j) != ']' && scan.At(j) != '}')
            ++j;
        return j - scan.nPos;
    }

    // The indentation that the lines of a block scalar opened on this line must exceed:
    // the column of the key the scalar belongs to, or of the "- " whose item it is.
    int ParentIndent(const SScan& scan) const
    {
        int i = 0;
        int marker = -1;
        const int n = scan.Length();
        for (;;)
        {
            while (i < n && IsSyntaxSpace(scan.At(i)))
                ++i;
            if (i + 1 < n && (scan.At(i) == '-' || scan.At(i) == '?') &&
                IsSyntaxSpace(scan.At(i + 1)))
            {
                marker = i;
                ++i;
                continue;
            }
            break;
        }
        if (i == scan.nPos && marker >= 0)
            return marker;
        return i;
    }

    // The position of the ":" that ends a key starting at the current character, or -1:
    // a quoted scalar or plain text followed by ":" and a blank or the line end, before
    // any comment.
    int KeyEnd(const SScan& scan) const
    {
        const int n = scan.Length();
        int j = scan.nPos;
        const unsigned char c = scan.Current();
        if (c == '"' || c == '\'')
        {
            ++j;
            while (j < n && scan.At(j) != c)
                j += c == '"' && scan.At(j) == '\\' ? 2 : 1;
            if (j >= n)
                return -1;
            j = FindNextNonSpace(scan.text.pText, n, j + 1);
            return j < n && scan.At(j) == ':' && (j + 1 == n || IsSyntaxSpace(scan.At(j + 1))) ? j
                                                                                               : -1;
        }
        if (c == '[' || c == '{' || c == '#' || c == '&' || c == '*' || c == '!' || c == '|' ||
            c == '>' || c == '%' || c == '@' || c == '`')
            return -1;
        for (; j < n; ++j)
        {
            const unsigned char b = scan.At(j);
            if (b == ':' && (j + 1 == n || IsSyntaxSpace(scan.At(j + 1))))
                return j > scan.nPos ? j : -1;
            if (b == '#' && IsSyntaxSpace(scan.At(j - 1)))
                return -1;
        }
        return -1;
    }
};

CSyntaxParser* CreateSyntaxParserYaml()
{
    return new CSyntaxParserYaml();
}

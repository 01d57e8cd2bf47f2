// Differences and patches: unified, context and normal diff output.

#include <cstring>

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

namespace
{
// Lines of the headers that tools such as git write before the file names.
const char* const s_apszDiffHeaders[] = {
    "diff ",
    "index ",
    "Index: ",
    "Only in ",
    "Binary files ",
    "new file mode",
    "deleted file mode",
    "old mode",
    "new mode",
    "similarity index",
    "dissimilarity index",
    "rename from",
    "rename to",
    "copy from",
    "copy to",
    "====",
    "Files ",
    nullptr,
};

bool StartsWith(const unsigned char* text, int length, const char* prefix)
{
    const int n = static_cast<int>(std::strlen(prefix));
    return n <= length && std::memcmp(text, prefix, static_cast<size_t>(n)) == 0;
}

// "12,14c12" and the like: the hunk line of normal diff output.
bool IsNormalHunk(const unsigned char* text, int length)
{
    int i = 0;
    bool letter = false;
    for (int part = 0; part < 2; ++part)
    {
        const int digits = i;
        while (i < length && IsSyntaxDigit(text[i]))
            ++i;
        if (i == digits)
            return false;
        if (i < length && text[i] == ',')
        {
            ++i;
            while (i < length && IsSyntaxDigit(text[i]))
                ++i;
        }
        if (part == 0)
        {
            if (i >= length || (text[i] != 'a' && text[i] != 'c' && text[i] != 'd'))
                return false;
            letter = true;
            ++i;
        }
    }
    return letter && i == length;
}
} // namespace

// Each line is coloured as a whole by what it is, and no state carries over: added lines
// in comment colour (11, green by default), removed lines in number colour (12, red by
// default), changed lines of context diffs as third-class words (19), the "---" and "+++"
// file lines as directives (15), other header lines as keywords (9), hunk lines
// ("@@ -1,4 +1,5 @@", "*** 1,4 ****", "12,14c12") as function names (10, the text after
// a unified hunk's second "@@" stays normal), and "\ No newline at end of file" and
// separators as operators (13). Context lines are normal text.
class CSyntaxParserDiff final : public CScriptSyntaxParser
{
public:
    CSyntaxParserDiff() : CScriptSyntaxParser(39, "Diff", "diff,patch", 0, "", "", "", 0)
    {
        m_bFunctionNames = false;
        m_dwBackslashBits = 0;
    }

protected:
    void BeginLine(SScan& scan) const override
    {
        scan.dwState = 0;
        scan.bStop = true;
        const unsigned char* p = scan.text.pText;
        const int n = scan.Length();
        int color = kSyntaxColorNormal;
        if (StartsWith(p, n, "@@"))
        {
            Emit(scan, 0, kSyntaxColorFunction);
            for (int j = 2; j + 1 < n; ++j)
            {
                if (p[j] == '@' && p[j + 1] == '@')
                {
                    if (j + 2 < n)
                        Emit(scan, j + 2, kSyntaxColorNormal);
                    break;
                }
            }
            return;
        }
        if ((StartsWith(p, n, "*** ") || StartsWith(p, n, "--- ")) && n > 4 &&
            IsSyntaxDigit(p[4]) && (p[n - 1] == '*' || p[n - 1] == '-'))
            color = kSyntaxColorFunction;
        else if (StartsWith(p, n, "+++ ") || StartsWith(p, n, "--- ") || StartsWith(p, n, "*** "))
            color = kSyntaxColorPreprocessor;
        else if (StartsWith(p, n, "***************"))
            color = kSyntaxColorOperator;
        else if (p[0] == '+' || p[0] == '>')
            color = kSyntaxColorComment;
        else if (p[0] == '-' || p[0] == '<')
            color = kSyntaxColorNumber;
        else if (p[0] == '!')
            color = kSyntaxColorKeyword3;
        else if (p[0] == '\\')
            color = kSyntaxColorOperator;
        else if (IsSyntaxDigit(p[0]) && IsNormalHunk(p, n))
            color = kSyntaxColorFunction;
        else
        {
            for (const char* const* h = s_apszDiffHeaders; *h != nullptr; ++h)
            {
                if (StartsWith(p, n, *h))
                {
                    color = kSyntaxColorKeyword;
                    break;
                }
            }
        }
        if (color != kSyntaxColorNormal)
            Emit(scan, 0, color);
    }
};

CSyntaxParser* CreateSyntaxParserDiff()
{
    return new CSyntaxParserDiff();
}

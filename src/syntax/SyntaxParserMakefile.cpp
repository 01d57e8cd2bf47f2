// Makefiles.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kMakeRecipe = 64; // the line is a recipe line (it starts with a tab)

// Directives, recognised as the first word of a line.
static const char* const s_apszMakeDirectives[] = {
    "include",  "-include", "sinclude", "ifeq",     "ifneq", "ifdef",
    "ifndef",   "else",     "endif",    "define",   "endef", "export",
    "unexport", "override", "private",  "undefine", "vpath", nullptr,
};

// The targets of a rule ("all: main.o") are coloured as function names (10), the name of
// an assigned variable ("CFLAGS += -O2", also after "export" or "override") as a
// second-class word (18), directives as keywords (9) and references to variables and
// functions ("$(CC)", "${x}", "$@") as third-class words (19). Recipe lines, which start
// with a tab, are shell text: strings are recognised there, and "#" starts a comment only
// after a blank. A line ending with a backslash goes on on the next line in every respect,
// comments included.
class CSyntaxParserMakefile final : public CScriptSyntaxParser
{
public:
    CSyntaxParserMakefile()
        : CScriptSyntaxParser(37, "Makefile", "Makefile,GNUmakefile,mk", 0x10, "", "", "#", 0)
    {
        m_bFunctionNames = false;
        EnableFastScan("", "\"'\\");
        m_dwContextBits = kMakeRecipe;
        AddWordList(s_apszMakeDirectives, kSyntaxColorKeyword, false);
    }

protected:
    void BeginLine(SScan& scan) const override
    {
        if (scan.At(0) == '\t')
            scan.dwState |= kMakeRecipe;
    }

    bool ScanFirstChar(SScan& scan) const override
    {
        if ((scan.dwState & kMakeRecipe) != 0)
            return false;
        const int n = scan.Length();
        const int pos = scan.nPos;
        int wordEnd = pos;
        while (wordEnd < n && (IsSyntaxWordChar(scan.At(wordEnd)) || scan.At(wordEnd) == '-'))
            ++wordEnd;
        if (wordEnd > pos && ListColor(scan, pos, wordEnd) >= 0)
        {
            // "export NAME = value": the name after the directive is still a variable.
            const bool again = MatchesAt(scan, pos, "export") || MatchesAt(scan, pos, "override") ||
                               MatchesAt(scan, pos, "private") ||
                               MatchesAt(scan, pos, "unexport") || MatchesAt(scan, pos, "define") ||
                               MatchesAt(scan, pos, "undefine");
            Emit(scan, pos, kSyntaxColorKeyword);
            scan.bNewRun = true;
            scan.nNext = wordEnd;
            scan.bFirstChar = again;
            return true;
        }
        // The first "=" or ":" outside references decides: an assignment or a rule.
        int j = pos;
        while (j < n)
        {
            const unsigned char c = scan.At(j);
            if (c == '$' && j + 1 < n && (scan.At(j + 1) == '(' || scan.At(j + 1) == '{'))
            {
                j = ReferenceEnd(scan, j);
                continue;
            }
            if (c == '#' || c == ';')
                return false;
            if (c == '=' || c == ':')
                break;
            ++j;
        }
        if (j >= n || j == pos)
            return false;
        int op = j;
        bool assignment = scan.At(j) == '=';
        if (!assignment)
        {
            int k = j;
            while (k < n && scan.At(k) == ':')
                ++k;
            assignment = k < n && scan.At(k) == '=';
        }
        else
        {
            while (op > pos &&
                   (scan.At(op - 1) == '?' || scan.At(op - 1) == '+' || scan.At(op - 1) == '!'))
                --op;
        }
        if (op == pos)
            return false;
        Emit(scan, pos, assignment ? kSyntaxColorKeyword2 : kSyntaxColorFunction);
        scan.bNewRun = true;
        scan.nNext = op;
        return true;
    }

    bool ScanOpener(SScan& scan) const override
    {
        const int pos = scan.nPos;
        const int n = scan.Length();
        const bool recipe = (scan.dwState & kMakeRecipe) != 0;
        switch (scan.Current())
        {
        case '#':
            if (recipe && pos > 0 && !IsSyntaxSpace(scan.At(pos - 1)))
                return false;
            StartLineComment(scan, pos);
            return true;
        case '$':
            if (pos + 1 >= n)
                return false;
            if (scan.At(pos + 1) == '$')
            {
                scan.nNext = pos + 2; // an escaped dollar sign
                return true;
            }
            Emit(scan, pos, kSyntaxColorKeyword3);
            scan.bNewRun = true;
            scan.nNext = ReferenceEnd(scan, pos);
            return true;
        default:
            return recipe && OpenString(scan);
        }
    }

    int ClassifyWord(SScan& scan, int start, int end) const override
    {
        if (IsNumber(reinterpret_cast<const char*>(scan.text.pText + start), end - start))
            return kSyntaxColorNumber;
        return -1;
    }

private:
    // The end of the reference at the "$" at `pos`: after its closing bracket (brackets
    // nest), after the one character of "$@", or the line end when it is not closed.
    static int ReferenceEnd(const SScan& scan, int pos)
    {
        const int n = scan.Length();
        if (pos + 1 >= n)
            return n;
        const unsigned char open = scan.At(pos + 1);
        if (open != '(' && open != '{')
            return pos + 2;
        const unsigned char close = open == '(' ? ')' : '}';
        int depth = 0;
        for (int j = pos + 1; j < n; ++j)
        {
            if (scan.At(j) == open)
                ++depth;
            else if (scan.At(j) == close && --depth == 0)
                return j + 1;
        }
        return n;
    }
};

CSyntaxParser* CreateSyntaxParserMakefile()
{
    return new CSyntaxParserMakefile();
}

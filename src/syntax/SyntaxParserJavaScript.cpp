// JavaScript, also as ES modules, CommonJS and JSX.

#include "syntax/SyntaxParserJavaScript.h"

#include "syntax/SyntaxParsers.h"

// Reserved words, the literals and the contextual words that read as keywords.
const char* const g_apszJsKeywords[] = {
    "async",    "await",   "break",    "case",     "catch",     "class",  "const",      "continue",
    "debugger", "default", "delete",   "do",       "else",      "export", "extends",    "false",
    "finally",  "for",     "function", "if",       "import",    "in",     "instanceof", "let",
    "new",      "null",    "of",       "return",   "static",    "super",  "switch",     "this",
    "throw",    "true",    "try",      "typeof",   "undefined", "var",    "void",       "while",
    "with",     "yield",   "NaN",      "Infinity", nullptr,
};

// The standard global objects.
const char* const g_apszJsGlobals[] = {
    "Array",     "ArrayBuffer", "BigInt",     "Boolean", "DataView",   "Date",
    "Error",     "EvalError",   "Function",   "JSON",    "Map",        "Math",
    "Number",    "Object",      "Promise",    "Proxy",   "RangeError", "ReferenceError",
    "Reflect",   "RegExp",      "Set",        "String",  "Symbol",     "SyntaxError",
    "TypeError", "URIError",    "WeakMap",    "WeakRef", "WeakSet",    "Intl",
    "arguments", "console",     "globalThis", nullptr,
};

namespace
{
const char* const s_apszJsNumberSuffixes[] = {"n", nullptr};

// Words after which a "/" begins a regular expression rather than dividing.
const char* const s_apszJsRegexAfter[] = {
    "return", "typeof", "instanceof", "in",   "of",    "new",   "delete", "void",
    "throw",  "case",   "do",         "else", "yield", "await", nullptr,
};
} // namespace

CSyntaxParserJsFamily::CSyntaxParserJsFamily(int nId, const char* name, const char* extensions)
    : CScriptCodeParser(nId, name, extensions, 0x30, "/*", "*/", "//",
                        kScriptBlockComment | kJsTemplate | kJsTemplateCode | kJsDepthMask, "$",
                        "*\"'`\\$/[]")
{
    m_dwContextBits = kJsTemplateCode | kJsDepthMask;
    m_dwBackslashBits = kScriptStringBits;
    m_pNumberSuffixes = s_apszJsNumberSuffixes;
}

int CSyntaxParserJsFamily::StateColor(uint32_t state) const
{
    if ((state & (kScriptLineComment | kScriptBlockComment)) != 0)
        return kSyntaxColorComment;
    if ((state & (kScriptStringBits | kJsTemplate | kJsRegex)) != 0)
        return kSyntaxColorString;
    return -1;
}

void CSyntaxParserJsFamily::ScanRegion(SScan& scan) const
{
    const uint32_t s = scan.dwState;
    const unsigned char c = scan.Current();
    if ((s & kScriptBlockComment) != 0)
    {
        ScanBlockComment(scan);
        return;
    }
    if ((s & kJsTemplate) != 0)
    {
        if (IsEscaped(scan))
            return;
        if (c == '`')
        {
            CloseRegion(scan, kJsTemplate, 1);
        }
        else if (c == '$' && (s & kJsTemplateCode) == 0 && MatchesAt(scan, scan.nPos, "${"))
        {
            Emit(scan, scan.nPos, kSyntaxColorOperator);
            scan.dwState = (s & ~(kJsTemplate | kJsDepthMask)) | kJsTemplateCode;
            scan.bNewRun = true;
            scan.nNext = scan.nPos + 2;
        }
        return;
    }
    if ((s & kJsRegex) != 0)
    {
        if (IsEscaped(scan))
            return;
        if (c == '[')
            scan.dwState |= kJsRegexClass;
        else if (c == ']')
            scan.dwState &= ~kJsRegexClass;
        else if (c == '/' && (s & kJsRegexClass) == 0)
        {
            // The flags after the closing "/" belong to the literal.
            int j = scan.nPos + 1;
            while (j < scan.Length() && IsSyntaxAlphaLike(scan.At(j)) && scan.At(j) < 128)
                ++j;
            CloseRegion(scan, kJsRegex | kJsRegexClass, j - scan.nPos);
        }
        return;
    }
    ScanString(scan);
}

bool CSyntaxParserJsFamily::ScanOpener(SScan& scan) const
{
    const unsigned char c = scan.Current();
    const uint32_t s = scan.dwState;
    switch (c)
    {
    case '/':
        if (OpenSlashComment(scan))
            return true;
        if (RegexMayStart(scan))
        {
            OpenRegion(scan, kJsRegex, kSyntaxColorString, 1);
            return true;
        }
        return false;
    case '`':
        OpenRegion(scan, kJsTemplate, kSyntaxColorString, 1);
        return true;
    case '{':
        if ((s & kJsTemplateCode) != 0 && (s & kJsDepthMask) != kJsDepthMask)
            scan.dwState = s + (1u << kJsDepthShift);
        return false;
    case '}':
        if ((s & kJsTemplateCode) == 0)
            return false;
        if ((s & kJsDepthMask) != 0)
        {
            scan.dwState = s - (1u << kJsDepthShift);
            return false;
        }
        scan.dwState = (s & ~kJsTemplateCode) | kJsTemplate;
        scan.bNewRun = true;
        return true;
    case '@':
        // A decorator: "@" and its name in directive colour.
        if (scan.nPos + 1 < scan.Length() && IsSyntaxWordStart(scan.At(scan.nPos + 1)))
        {
            int j = scan.nPos + 1;
            while (j < scan.Length() && IsWordByte(scan.At(j)))
                ++j;
            Emit(scan, scan.nPos, kSyntaxColorPreprocessor);
            scan.bNewRun = true;
            scan.nNext = j;
            return true;
        }
        return false;
    case '#':
        // "#!" at the start of a line: the interpreter line of a script.
        if (scan.nPos == 0 && MatchesAt(scan, 0, "#!"))
        {
            StartLineComment(scan, 0);
            return true;
        }
        return false;
    default:
        return OpenString(scan);
    }
}

bool CSyntaxParserJsFamily::RegexMayStart(const SScan& scan) const
{
    const int i = FindPrevNonSpace(scan.text.pText, scan.nPos);
    if (i < 0)
        return true;
    const unsigned char c = scan.At(i);
    if (IsWordByte(c))
    {
        int k = i;
        while (k > 0 && IsWordByte(scan.At(k - 1)))
            --k;
        return IsKeyword(s_apszJsRegexAfter, reinterpret_cast<const char*>(scan.text.pText + k),
                         i + 1 - k);
    }
    switch (c)
    {
    case ')':
    case ']':
    case '}':
    case '"':
    case '\'':
    case '`':
    case '.':
        return false;
    default:
        return true;
    }
}

class CSyntaxParserJavaScript final : public CSyntaxParserJsFamily
{
public:
    CSyntaxParserJavaScript() : CSyntaxParserJsFamily(28, "JavaScript", "js,mjs,cjs,jsx")
    {
        AddWordList(g_apszJsKeywords, kSyntaxColorKeyword, false);
        AddWordList(g_apszJsGlobals, kSyntaxColorKeyword2, false);
    }
};

CSyntaxParser* CreateSyntaxParserJavaScript()
{
    return new CSyntaxParserJavaScript();
}

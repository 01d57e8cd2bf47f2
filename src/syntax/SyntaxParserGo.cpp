// Go.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kGoRawString = 64; // inside `...`, carried

static const char* const s_apszGoKeywords[] = {
    "break",  "case",        "chan", "const",   "continue", "default", "defer",
    "else",   "fallthrough", "for",  "func",    "go",       "goto",    "if",
    "import", "interface",   "map",  "package", "range",    "return",  "select",
    "struct", "switch",      "type", "var",     nullptr,
};

// The predeclared types, constants and functions.
static const char* const s_apszGoPredeclared[] = {
    "any",     "bool",    "byte",   "comparable", "complex64", "complex128", "error",   "float32",
    "float64", "int",     "int8",   "int16",      "int32",     "int64",      "rune",    "string",
    "uint",    "uint8",   "uint16", "uint32",     "uint64",    "uintptr",    "true",    "false",
    "iota",    "nil",     "append", "cap",        "clear",     "close",      "complex", "copy",
    "delete",  "imag",    "len",    "make",       "max",       "min",        "new",     "panic",
    "print",   "println", "real",   "recover",    nullptr,
};

static const char* const s_apszGoNumberSuffixes[] = {"i", nullptr};

// Interpreted strings and runes end with their line; raw strings in back quotes have no
// escapes and go on over the following lines, as do block comments.
class CSyntaxParserGo final : public CScriptCodeParser
{
public:
    CSyntaxParserGo()
        : CScriptCodeParser(35, "Go", "go", 0x30, "/*", "*/", "//",
                            kScriptBlockComment | kGoRawString, "", "*\"'\\`")
    {
        m_dwBackslashBits = 0;
        m_pNumberSuffixes = s_apszGoNumberSuffixes;
        AddWordList(s_apszGoKeywords, kSyntaxColorKeyword, false);
        AddWordList(s_apszGoPredeclared, kSyntaxColorKeyword2, false);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kGoRawString) != 0)
            return kSyntaxColorString;
        return CScriptSyntaxParser::StateColor(state);
    }

    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & kScriptBlockComment) != 0)
            ScanBlockComment(scan);
        else if ((scan.dwState & kGoRawString) != 0)
        {
            if (scan.Current() == '`')
                CloseRegion(scan, kGoRawString, 1);
        }
        else
            ScanString(scan);
    }

    bool ScanOpener(SScan& scan) const override
    {
        if (scan.Current() == '`')
        {
            OpenRegion(scan, kGoRawString, kSyntaxColorString, 1);
            return true;
        }
        return OpenSlashComment(scan) || OpenString(scan);
    }
};

CSyntaxParser* CreateSyntaxParserGo()
{
    return new CSyntaxParserGo();
}

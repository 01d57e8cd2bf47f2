// Lua.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kLuaLongString = 32; // inside [[ ... ]] or [==[ ... ]==], carried
constexpr int kLuaLevelShift = 8;
constexpr uint32_t kLuaLevelMask = 0xFFu
                                   << kLuaLevelShift; // the "=" count of the open long bracket

static const char* const s_apszLuaKeywords[] = {
    "and",      "break",  "do",   "else", "elseif", "end",   "false", "for",
    "function", "goto",   "if",   "in",   "local",  "nil",   "not",   "or",
    "repeat",   "return", "then", "true", "until",  "while", nullptr,
};

// The standard library's global functions and tables.
static const char* const s_apszLuaLibrary[] = {
    "assert",       "collectgarbage", "dofile",    "error",  "getmetatable", "ipairs",
    "load",         "loadfile",       "next",      "pairs",  "pcall",        "print",
    "rawequal",     "rawget",         "rawlen",    "rawset", "require",      "select",
    "setmetatable", "tonumber",       "tostring",  "type",   "xpcall",       "_G",
    "_ENV",         "_VERSION",       "coroutine", "debug",  "io",           "math",
    "os",           "package",        "string",    "table",  "utf8",         nullptr,
};

// "--" comments out the rest of the line, "--[[" ... "]]" is a comment over several
// lines and "[[" ... "]]" a string over several lines; both long brackets may hold "="
// signs ("[==[" ... "]==]"), which the closing bracket must repeat.
class CSyntaxParserLua final : public CScriptCodeParser
{
public:
    CSyntaxParserLua()
        : CScriptCodeParser(36, "Lua", "lua", 0x10, "--[[", "]]", "--",
                            kScriptBlockComment | kLuaLongString | kLuaLevelMask, "", "]\"'\\")
    {
        m_dwBackslashBits = kScriptStringBits;
        m_bNumberUnderscores = false;
        AddWordList(s_apszLuaKeywords, kSyntaxColorKeyword, false);
        AddWordList(s_apszLuaLibrary, kSyntaxColorKeyword2, false);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kLuaLongString) != 0)
            return kSyntaxColorString;
        return CScriptSyntaxParser::StateColor(state);
    }

    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & (kScriptBlockComment | kLuaLongString)) == 0)
        {
            ScanString(scan);
            return;
        }
        if (scan.Current() != ']')
            return;
        const int level = static_cast<int>((scan.dwState & kLuaLevelMask) >> kLuaLevelShift);
        int j = scan.nPos + 1;
        while (j < scan.Length() && scan.At(j) == '=')
            ++j;
        if (j - scan.nPos - 1 == level && j < scan.Length() && scan.At(j) == ']')
            CloseRegion(scan, kScriptBlockComment | kLuaLongString | kLuaLevelMask,
                        j + 1 - scan.nPos);
    }

    bool ScanOpener(SScan& scan) const override
    {
        const int pos = scan.nPos;
        const unsigned char c = scan.Current();
        if (c == '-' && MatchesAt(scan, pos, "--"))
        {
            if (OpenLongBracket(scan, pos + 2, kScriptBlockComment, kSyntaxColorComment))
                return true;
            StartLineComment(scan, pos);
            return true;
        }
        if (c == '[')
            return OpenLongBracket(scan, pos, kLuaLongString, kSyntaxColorString);
        if (c == '#' && pos == 0 && MatchesAt(scan, 0, "#!"))
        {
            StartLineComment(scan, 0);
            return true;
        }
        return OpenString(scan);
    }

private:
    // A long bracket "[" "="* "[" at `at`: opens `bit` coloured from the current character.
    bool OpenLongBracket(SScan& scan, int at, uint32_t bit, int nColor) const
    {
        const int n = scan.Length();
        if (at >= n || scan.At(at) != '[')
            return false;
        int j = at + 1;
        while (j < n && scan.At(j) == '=')
            ++j;
        const int level = j - at - 1;
        if (j >= n || scan.At(j) != '[' || level > 255)
            return false;
        Emit(scan, scan.nPos, nColor);
        scan.dwState |= bit | (static_cast<uint32_t>(level) << kLuaLevelShift);
        scan.bNewRun = false;
        scan.nNext = j + 1;
        return true;
    }
};

CSyntaxParser* CreateSyntaxParserLua()
{
    return new CSyntaxParserLua();
}

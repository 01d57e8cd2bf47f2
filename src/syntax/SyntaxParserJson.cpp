// JSON, also with the comments of JSON with comments.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

constexpr uint32_t kJsonKey = 32; // with bit 8: the string is a member name

static const char* const s_apszJsonLiterals[] = {"true", "false", "null", nullptr};

// Member names and string values are told apart when the string opens: a string whose
// closing quote on the line is followed by ":" is a name (colour 18), any other a value
// (14). Strings end with their line, as JSON has no line breaks in strings.
class CSyntaxParserJson final : public CScriptCodeParser
{
public:
    CSyntaxParserJson()
        : CScriptCodeParser(30, "JSON", "json,jsonc", 0x30, "/*", "*/", "//", kScriptBlockComment,
                            "", "*\"\\")
    {
        m_bSingleQuoteStrings = false;
        m_bFunctionNames = false;
        m_bNumberUnderscores = false;
        m_dwBackslashBits = kScriptString | kJsonKey;
        AddWordList(s_apszJsonLiterals, kSyntaxColorKeyword, false);
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kJsonKey) != 0)
            return kSyntaxColorKeyword2;
        return CScriptSyntaxParser::StateColor(state);
    }

    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & kScriptBlockComment) != 0)
            ScanBlockComment(scan);
        else if (scan.Current() == '"' && !IsEscaped(scan))
            CloseRegion(scan, kScriptString | kJsonKey, 1);
    }

    bool ScanOpener(SScan& scan) const override
    {
        if (OpenSlashComment(scan))
            return true;
        if (scan.Current() != '"')
            return false;
        const bool key = IsMemberName(scan);
        OpenRegion(scan, key ? kScriptString | kJsonKey : kScriptString,
                   key ? kSyntaxColorKeyword2 : kSyntaxColorString, 1);
        return true;
    }

private:
    static bool IsMemberName(const SScan& scan)
    {
        const int n = scan.Length();
        int j = scan.nPos + 1;
        while (j < n && scan.At(j) != '"')
            j += scan.At(j) == '\\' ? 2 : 1;
        if (j >= n)
            return false;
        const int next = FindNextNonSpace(scan.text.pText, n, j + 1);
        return next < n && scan.At(next) == ':';
    }
};

CSyntaxParser* CreateSyntaxParserJson()
{
    return new CSyntaxParserJson();
}

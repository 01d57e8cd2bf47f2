// INI and registry files.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

enum : uint32_t
{
    kIniSection = 32,
};

// ";" comments out the rest of a line; "[" that does not follow a word character opens a
// section name, shown in function-name colour up to and including "]". There are no word
// lists: numbers and function names are still coloured.
class CSyntaxParserIni : public CScriptSyntaxParser
{
public:
    CSyntaxParserIni()
        : CScriptSyntaxParser(9, "INI", "ini,reg", 0x50, "", "", ";", kScriptBlockComment)
    {
    }

protected:
    int StateColor(uint32_t state) const override
    {
        if ((state & kIniSection) != 0)
            return kSyntaxColorFunction;
        return CScriptSyntaxParser::StateColor(state);
    }

    void ScanRegion(SScan& scan) const override
    {
        if ((scan.dwState & kIniSection) != 0)
        {
            if (scan.Current() == ']')
                CloseRegion(scan, kIniSection, 1);
            return;
        }
        CScriptSyntaxParser::ScanRegion(scan);
    }

    bool ScanOpener(SScan& scan) const override
    {
        const unsigned char c = scan.Current();
        if (c == ';')
        {
            StartLineComment(scan, scan.nPos);
            return true;
        }
        if (c == '[' && (scan.nPrev < 0 || !IsWordByte(scan.At(scan.nPrev))))
        {
            OpenRegion(scan, kIniSection, kSyntaxColorFunction, 1);
            return true;
        }
        return OpenString(scan);
    }
};

CSyntaxParser* CreateSyntaxParserIni()
{
    return new CSyntaxParserIni();
}

// InstallShield scripts.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kIsFirst[] = {
    "begin",  "call",    "case",      "declare",  "default",  "downto", "else",     "elseif",
    "end",    "endif",   "endswitch", "endwhile", "external", "for",    "function", "goto",
    "if",     "program", "prototype", "repeat",   "return",   "step",   "switch",   "then",
    "to",     "typedef", "until",     "void",     "while",    "BOOL",   "BYREF",    "CHAR",
    "HIWORD", "HWND",    "INT",       "LIST",     "LONG",     "LOWORD", "NUMBER",   "POINTER",
    "QUAD",   "RGB",     "SHORT",     "STRING",   nullptr,
};

const char* const kIsSecond[] = {
    "AFTER",    "APPEND",  "BACK",    "BEFORE",       "CANCEL",       "COMMAND", "COMMANDEX",
    "CONTINUE", "DISABLE", "DLG_ERR", "ENABLE",       "EXCLUSIVE",    "EXISTS",  "FAILIFEXISTS",
    "FALSE",    "FULL",    "NEXT",    "NO",           "NONEXCLUSIVE", "NOSET",   "OFF",
    "ON",       "PARTIAL", "REPLACE", "REPLACE_ITEM", "RESET",        "RESTART", "SET",
    "TRUE",     "YES",     nullptr,
};

const char* const kIsThird[] = {
    "CMDLINE", "ERRORFILENAME", "INFOFILENAME", "ISRES",     "ISUSER",     "ISVERSION",
    "SRCDIR",  "SRCDISK",       "SUPPORTDIR",   "TARGETDIR", "TARGETDISK", "WINDIR",
    "WINDISK", "WINSYSDIR",     "WINSYSDISK",   nullptr,
};

const SCFamilyWordList kLists[] = {
    {kIsFirst, kSyntaxColorKeyword, false},
    {kIsSecond, kSyntaxColorKeyword2, false},
    {kIsThird, kSyntaxColorKeyword3, false},
};

SCFamilyOptions MakeOptions()
{
    return MakeCFamilyOptions(kLists, '#');
}
} // namespace

class CSyntaxParserIs final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserIs() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(11, "InstallShield", "rul", 0x30, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserIs()
{
    return new CSyntaxParserIs();
}

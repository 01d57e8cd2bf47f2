// REXX scripts; words compare without case.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kRexxKeywords[] = {
    "ADDRESS", "ARG",     "CALL",   "DO",      "DROP",     "EXIT",       "IF",          "INTERPRET",
    "ITERATE", "LEAVE",   "NOP",    "NUMERIC", "OPTIONS",  "PARSE",      "PROCEDURE",   "PULL",
    "PUSH",    "QUEUE",   "RETURN", "SAY",     "SELECT",   "OTHERWISE",  "SIGNAL",      "TRACE",
    "END",     "WHEN",    "ELSE",   "WITH",    "TO",       "BY",         "ON",          "FOR",
    "OFF",     "VAR",     "THEN",   "HALT",    "NAME",     "FORM",       "FUZZ",        "VALUE",
    "WHILE",   "UNTIL",   "ERROR",  "UPPER",   "EXPOSE",   "DIGITS",     "FOREVER",     "FAILURE",
    "VERSION", "NOVALUE", "SOURCE", "SYNTAX",  "NOTREADY", "SCIENTIFIC", "ENGINEERING", nullptr,
};

const char* const kRexxSecond[] = {
    "METHOD",  "CLASS",      "NULL", "LOOP",    "CATCH", "RETURNS",
    "EXTENDS", "IMPLEMENTS", "CHAR", "BOOLEAN", nullptr,
};

const SCFamilyWordList kLists[] = {
    {kRexxKeywords, kSyntaxColorKeyword, true},
    {kRexxSecond, kSyntaxColorKeyword2, true},
};

SCFamilyOptions MakeOptions()
{
    return MakeCFamilyOptions(kLists, 0);
}
} // namespace

class CSyntaxParserRexx final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserRexx() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(19, "REXX", "rex,rexx", 0x10, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserRexx()
{
    return new CSyntaxParserRexx();
}

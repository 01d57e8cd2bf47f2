// Pascal and Delphi.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszPascalKeywords[] = {
    "program", "const", "type", "var", "begin", "end", "array", "set", "record", "string", "if",
    "then", "else", "while", "for", "to", "downto", "do", "with", "repeat", "until", "case",
    "of", "goto", "exit", "label", "procedure", "function", "nil", "file", "and", "or", "not",
    "xor", "div", "mod", "unit", "uses", "implementation", "interface", "external", "asm",
    "inline", "object", "constructor", "destructor", "virtual", "far", "assembler", "near",
    "inherited", nullptr,
};

class CSyntaxParserPascal : public CScriptPascalCommentParser
{
public:
    CSyntaxParserPascal()
        : CScriptPascalCommentParser(15, "Pascal", "pas", 0x30, "{", "}", "")
    {
        AddWordList(s_apszPascalKeywords, kSyntaxColorKeyword, true);
    }
};

CSyntaxParser* CreateSyntaxParserPascal()
{
    return new CSyntaxParserPascal();
}

// Tcl.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszTclKeywords[] = {
    "case", "do", "done", "elif", "else", "esac", "fi", "for", "function", "if", "in", "then",
    "until", "while", nullptr,
};

class CSyntaxParserTcl : public CScriptHashCommentParser
{
public:
    CSyntaxParserTcl()
        : CScriptHashCommentParser(25, "TCL", "tcl", 0x50, "", "", "#", kScriptBlockComment)
    {
        AddWordList(s_apszTclKeywords, kSyntaxColorKeyword, true);
    }
};

CSyntaxParser* CreateSyntaxParserTcl()
{
    return new CSyntaxParserTcl();
}

// Shell scripts and configuration files.

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxScript.h"

static const char* const s_apszShellKeywords[] = {
    "case", "do", "done", "elif", "else", "esac", "fi", "for", "function", "if", "in", "then",
    "until", "while", "exec", "export", "set", "echo", "exit", "select", "source", "unset",
    "alias", "unalias", "shift", "break", "read", "return", nullptr,
};

static const char* const s_apszShellCommands[] = {
    "ls", "pwd", "chown", "chmod", "logout", "ssh", "telnet", "who", nullptr,
};

class CSyntaxParserSh : public CScriptHashCommentParser
{
public:
    CSyntaxParserSh()
        : CScriptHashCommentParser(22, "Shell", "sh,conf", 0x10, "", "", "#",
                                   kScriptBlockComment)
    {
        AddWordList(s_apszShellKeywords, kSyntaxColorKeyword, true);
        AddWordList(s_apszShellCommands, kSyntaxColorKeyword2, true);
    }
};

CSyntaxParser* CreateSyntaxParserSh()
{
    return new CSyntaxParserSh();
}

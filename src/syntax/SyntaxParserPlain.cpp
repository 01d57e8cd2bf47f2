// Plain text: the base behaviour, no runs and state 0 for every line.

#include "syntax/SyntaxParsers.h"

class CSyntaxParserPlain final : public CSyntaxParser
{
public:
    CSyntaxParserPlain()
    {
        SetDefinition(0, "Text", "txt,diz", kSyntaxFlagAutoIndent, "", "", ";");
    }
};

CSyntaxParser* CreateSyntaxParserPlain()
{
    return new CSyntaxParserPlain();
}

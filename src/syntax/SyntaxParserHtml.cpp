#include "syntax/SyntaxMarkup.h"
#include "syntax/SyntaxParsers.h"

// HTML: tags, attributes, entities, comments; "<? ... ?>" blocks shown as one colour.
class CSyntaxParserHtml : public CSyntaxMarkupParser
{
public:
    CSyntaxParserHtml()
        : CSyntaxMarkupParser(EMarkupDialect::Html, g_apszHtmlTagNames, g_apszHtmlAttributeNames,
                              nullptr, nullptr, nullptr)
    {
        SetDefinition(8, "HTML", "html,htm,shtml,ihtml,ssi,stm,stml", 0x30, "<!--", "-->", "'");
    }
};

CSyntaxParser* CreateSyntaxParserHtml()
{
    return new CSyntaxParserHtml;
}

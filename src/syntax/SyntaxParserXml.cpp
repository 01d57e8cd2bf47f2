#include "syntax/SyntaxMarkup.h"
#include "syntax/SyntaxParsers.h"

namespace
{
// XML, first list: colour 9, 6 words.
const char* const g_apszXmlFirstList[] = {
    "xml", "DOCTYPE", "ELEMENT", "ATTLIST", "ENTITY", "NOTATION", nullptr,
};

// XML, second list: colour 18, 22 words.
const char* const g_apszXmlSecondList[] = {
    "version",   "encoding", "standalone", "SYSTEM", "PUBLIC",  "EMPTY",    "ANY",     "PCDATA",
    "CDATA",     "ID",       "IDREF",      "IDREFS", "ENTITY",  "ENTITIES", "NMTOKEN", "NMTOKENS",
    "#REQUIRED", "#IMPLIED", "#FIXED",     "NDATA",  "INCLUDE", "IGNORE",   nullptr,
};
} // namespace

// XML: markup declarations and their keywords; strings and numbers in text too.
class CSyntaxParserXml : public CSyntaxMarkupParser
{
public:
    CSyntaxParserXml()
        : CSyntaxMarkupParser(EMarkupDialect::Xml, g_apszXmlFirstList, g_apszXmlSecondList, nullptr,
                              nullptr, nullptr)
    {
        SetDefinition(27, "XML", "xml", 0x30, "<!--", "-->", "");
    }
};

CSyntaxParser* CreateSyntaxParserXml()
{
    return new CSyntaxParserXml;
}

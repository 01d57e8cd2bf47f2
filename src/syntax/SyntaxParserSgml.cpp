#include "syntax/SyntaxMarkup.h"
#include "syntax/SyntaxParsers.h"

namespace
{
// SGML tag names: colour 9, 55 words.
const char* const g_apszSgmlTagNames[] = {
    "ABSTRACT", "ARTICLE",   "AUTHOR",  "BF",      "BOOK",    "CHAPT",   "CODE",     "COPYRIGHT",
    "DATE",     "DEBIANDOC", "DESCRIP", "DOCTYPE", "EM",      "EMAIL",   "ENUM",     "ENUMLIST",
    "EXAMPLE",  "FOOTNOTE",  "FTPSITE", "FTPPATH", "HEADING", "HTMLURL", "HTTPSITE", "HTTPPATH",
    "IT",       "ITEM",      "ITEMIZE", "LABEL",   "LIST",    "MANREF",  "NAME",     "P",
    "PRGN",     "PUBLIC",    "QREF",    "QUOTE",   "REF",     "SECT",    "SECT1",    "SECT2",
    "SECT3",    "SECT4",     "STRONG",  "SYSTEM",  "TAG",     "TAGLIST", "TITLE",    "TITLEPAG",
    "TOC",      "TSCREEN",   "TT",      "URL",     "VAR",     "VERB",    "VERSION",  nullptr,
};

// SGML attribute names: colour 18, 4 words.
const char* const g_apszSgmlAttributeNames[] = {
    "COMPACT", "ID", "NAME", "SECTION", nullptr,
};
} // namespace

// SGML: as XML, with backslash escapes in strings.
class CSyntaxParserSgml : public CSyntaxMarkupParser
{
public:
    CSyntaxParserSgml()
        : CSyntaxMarkupParser(EMarkupDialect::Sgml, g_apszSgmlTagNames, g_apszSgmlAttributeNames,
                              nullptr, nullptr, nullptr)
    {
        SetDefinition(21, "Sgml", "sgml", 0x30, "<!--", "-->", "'");
    }
};

CSyntaxParser* CreateSyntaxParserSgml()
{
    return new CSyntaxParserSgml;
}

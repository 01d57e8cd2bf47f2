// Creation functions of the parsers that are not written yet; each returns null, so the
// factory leaves them out of its list. When you add a parser in its own source file
// (SyntaxParser<Name>.cpp defining CreateSyntaxParser<Name>), delete its line here.

#include "syntax/SyntaxParsers.h"

// Markup parsers.
CSyntaxParser* CreateSyntaxParserAsp() { return nullptr; }
CSyntaxParser* CreateSyntaxParserHtml() { return nullptr; }
CSyntaxParser* CreateSyntaxParserPhp() { return nullptr; }
CSyntaxParser* CreateSyntaxParserSgml() { return nullptr; }
CSyntaxParser* CreateSyntaxParserXml() { return nullptr; }

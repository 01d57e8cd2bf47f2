// Creation functions of the parsers that are not written yet; each returns null, so the
// factory leaves them out of its list. When you add a parser in its own source file
// (SyntaxParser<Name>.cpp defining CreateSyntaxParser<Name>), delete its line here.

#include "syntax/SyntaxParsers.h"

// Other-language parsers.
CSyntaxParser* CreateSyntaxParserBasic() { return nullptr; }
CSyntaxParser* CreateSyntaxParserBatch() { return nullptr; }
CSyntaxParser* CreateSyntaxParserFortran() { return nullptr; }
CSyntaxParser* CreateSyntaxParserIni() { return nullptr; }
CSyntaxParser* CreateSyntaxParserIss() { return nullptr; }
CSyntaxParser* CreateSyntaxParserLisp() { return nullptr; }
CSyntaxParser* CreateSyntaxParserPascal() { return nullptr; }
CSyntaxParser* CreateSyntaxParserPerl() { return nullptr; }
CSyntaxParser* CreateSyntaxParserPython() { return nullptr; }
CSyntaxParser* CreateSyntaxParserSh() { return nullptr; }
CSyntaxParser* CreateSyntaxParserSiod() { return nullptr; }
CSyntaxParser* CreateSyntaxParserTcl() { return nullptr; }
CSyntaxParser* CreateSyntaxParserTex() { return nullptr; }

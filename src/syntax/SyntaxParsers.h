#pragma once
// The creation functions of the built-in parsers, one per id (0 to 39). Each returns a new
// parser owned by the caller (the factory), or null when the parser cannot be made.

#include "syntax/SyntaxParser.h"

CSyntaxParser* CreateSyntaxParserPlain();   // 0
CSyntaxParser* CreateSyntaxParserAsp();     // 1
CSyntaxParser* CreateSyntaxParserBasic();   // 2
CSyntaxParser* CreateSyntaxParserBatch();   // 3
CSyntaxParser* CreateSyntaxParserCpp();     // 4
CSyntaxParser* CreateSyntaxParserCsharp();  // 5
CSyntaxParser* CreateSyntaxParserDcl();     // 6
CSyntaxParser* CreateSyntaxParserFortran(); // 7
CSyntaxParser* CreateSyntaxParserHtml();    // 8
CSyntaxParser* CreateSyntaxParserIni();     // 9
CSyntaxParser* CreateSyntaxParserIss();     // 10
CSyntaxParser* CreateSyntaxParserIs();      // 11
CSyntaxParser* CreateSyntaxParserJava();    // 12
CSyntaxParser* CreateSyntaxParserLisp();    // 13
CSyntaxParser* CreateSyntaxParserNsis();    // 14
CSyntaxParser* CreateSyntaxParserPascal();  // 15
CSyntaxParser* CreateSyntaxParserPerl();    // 16
CSyntaxParser* CreateSyntaxParserPhp();     // 17
CSyntaxParser* CreateSyntaxParserPython();  // 18
CSyntaxParser* CreateSyntaxParserRexx();    // 19
CSyntaxParser* CreateSyntaxParserRsrc();    // 20
CSyntaxParser* CreateSyntaxParserSgml();    // 21
CSyntaxParser* CreateSyntaxParserSh();      // 22
CSyntaxParser* CreateSyntaxParserSiod();    // 23
CSyntaxParser* CreateSyntaxParserSql();     // 24
CSyntaxParser* CreateSyntaxParserTcl();     // 25
CSyntaxParser* CreateSyntaxParserTex();     // 26
CSyntaxParser* CreateSyntaxParserXml();     // 27
// The languages added after the first 28; their ids follow on.
CSyntaxParser* CreateSyntaxParserJavaScript(); // 28
CSyntaxParser* CreateSyntaxParserTypeScript(); // 29
CSyntaxParser* CreateSyntaxParserJson();       // 30
CSyntaxParser* CreateSyntaxParserCss();        // 31
CSyntaxParser* CreateSyntaxParserMarkdown();   // 32
CSyntaxParser* CreateSyntaxParserYaml();       // 33
CSyntaxParser* CreateSyntaxParserRust();       // 34
CSyntaxParser* CreateSyntaxParserGo();         // 35
CSyntaxParser* CreateSyntaxParserLua();        // 36
CSyntaxParser* CreateSyntaxParserMakefile();   // 37
CSyntaxParser* CreateSyntaxParserCmake();      // 38
CSyntaxParser* CreateSyntaxParserDiff();       // 39

// The creation functions in id order; kSyntaxParserCount entries.
using PFNCreateSyntaxParser = CSyntaxParser* (*)();
constexpr int kSyntaxParserCount = 40;
// The first 28 ids keep their definitions for good: documents, settings and menus of
// earlier versions refer to them.
constexpr int kSyntaxClassicParserCount = 28;
extern const PFNCreateSyntaxParser g_syntaxParserCreators[kSyntaxParserCount];

#include "syntax/SyntaxParsers.h"

const PFNCreateSyntaxParser g_syntaxParserCreators[kSyntaxParserCount] = {
    CreateSyntaxParserPlain,  CreateSyntaxParserAsp,        CreateSyntaxParserBasic,
    CreateSyntaxParserBatch,  CreateSyntaxParserCpp,        CreateSyntaxParserCsharp,
    CreateSyntaxParserDcl,    CreateSyntaxParserFortran,    CreateSyntaxParserHtml,
    CreateSyntaxParserIni,    CreateSyntaxParserIss,        CreateSyntaxParserIs,
    CreateSyntaxParserJava,   CreateSyntaxParserLisp,       CreateSyntaxParserNsis,
    CreateSyntaxParserPascal, CreateSyntaxParserPerl,       CreateSyntaxParserPhp,
    CreateSyntaxParserPython, CreateSyntaxParserRexx,       CreateSyntaxParserRsrc,
    CreateSyntaxParserSgml,   CreateSyntaxParserSh,         CreateSyntaxParserSiod,
    CreateSyntaxParserSql,    CreateSyntaxParserTcl,        CreateSyntaxParserTex,
    CreateSyntaxParserXml,    CreateSyntaxParserJavaScript, CreateSyntaxParserTypeScript,
    CreateSyntaxParserJson,   CreateSyntaxParserCss,        CreateSyntaxParserMarkdown,
    CreateSyntaxParserYaml,   CreateSyntaxParserRust,       CreateSyntaxParserGo,
    CreateSyntaxParserLua,    CreateSyntaxParserMakefile,   CreateSyntaxParserCmake,
    CreateSyntaxParserDiff,
};

#include "syntax/SyntaxMarkup.h"
#include "syntax/SyntaxParsers.h"

namespace
{
// PHP keywords: colour 9, 48 words.
const char* const g_apszPhpKeywords[] = {
    "exception",    "php_user_filter",
    "array",        "as",
    "break",        "case",
    "cfunction",    "class",
    "const",        "continue",
    "declare",      "default",
    "die",          "do",
    "echo",         "else",
    "elseif",       "empty",
    "enddeclare",   "endfor",
    "endforeach",   "endif",
    "endswitch",    "endwhile",
    "eval",         "exit",
    "extends",      "for",
    "foreach",      "function",
    "global",       "if",
    "include",      "include_once",
    "isset",        "list",
    "new",          "old_function",
    "print",        "require",
    "require_once", "return",
    "static",       "switch",
    "unset",        "use",
    "var",          "while",
    nullptr,
};

// PHP word operators: colour 13, 3 words.
const char* const g_apszPhpWordOperators[] = {
    "OR",
    "AND",
    "XOR",
    nullptr,
};

// PHP magic constants: colour 19, 5 words.
const char* const g_apszPhpMagicConstants[] = {
    "__LINE__", "__FILE__", "__FUNCTION__", "__CLASS__", "__METHOD__", nullptr,
};
} // namespace

// PHP: HTML with "<?php ... ?>" script blocks.
class CSyntaxParserPhp : public CSyntaxMarkupParser
{
public:
    CSyntaxParserPhp()
        : CSyntaxMarkupParser(EMarkupDialect::Php, g_apszHtmlTagNames, g_apszHtmlAttributeNames,
                              g_apszPhpKeywords, g_apszPhpWordOperators, g_apszPhpMagicConstants)
    {
        SetDefinition(17, "PHP", "php,php3,php4,php5,phtml", 0x50, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserPhp()
{
    return new CSyntaxParserPhp;
}

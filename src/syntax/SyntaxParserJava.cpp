// Java and JavaScript sources.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kJavaKeywords[] = {
    "abstract",   "default",    "goto",   "null",      "synchronized", "boolean",    "do",
    "if",         "package",    "this",   "break",     "double",       "implements", "private",
    "threadsafe", "byte",       "else",   "import",    "protected",    "throw",      "byvalue",
    "extends",    "instanceof", "public", "transient", "case",         "false",      "int",
    "return",     "true",       "catch",  "final",     "interface",    "short",      "try",
    "char",       "finally",    "long",   "static",    "void",         "class",      "float",
    "native",     "super",      "while",  "const",     "for",          "new",        "switch",
    "continue",   nullptr,
};

const SCFamilyWordList kLists[] = {
    {kJavaKeywords, kSyntaxColorKeyword, false},
};

SCFamilyOptions MakeOptions()
{
    return MakeCFamilyOptions(kLists, '#');
}
} // namespace

class CSyntaxParserJava final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserJava() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(12, "Java", "java,jav,js", 0x30, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserJava()
{
    return new CSyntaxParserJava();
}

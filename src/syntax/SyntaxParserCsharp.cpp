// C# sources.

#include "syntax/SyntaxParserCFamily.h"
#include "syntax/SyntaxParsers.h"

namespace
{
const char* const kCsharpKeywords[] = {
    "abstract",  "base",      "bool",     "break",    "byte",     "case",     "catch",
    "char",      "checked",   "class",    "const",    "continue", "decimal",  "default",
    "delegate",  "do",        "double",   "else",     "enum",     "event",    "exdouble",
    "exfloat",   "explicit",  "extern",   "false",    "finally",  "fixed",    "float",
    "for",       "foreach",   "get",      "goto",     "if",       "implicit", "in",
    "int",       "interface", "internal", "is",       "lock",     "long",     "namespace",
    "new",       "null",      "object",   "operator", "out",      "override", "private",
    "protected", "public",    "readonly", "ref",      "return",   "sbyte",    "sealed",
    "set",       "short",     "sizeof",   "static",   "string",   "struct",   "switch",
    "this",      "throw",     "true",     "try",      "typeof",   "uint",     "ulong",
    "unchecked", "unsafe",    "ushort",   "using",    "virtual",  "void",     nullptr,
};

const SCFamilyWordList kLists[] = {
    {kCsharpKeywords, kSyntaxColorKeyword, false},
};

SCFamilyOptions MakeOptions()
{
    return MakeCFamilyOptions(kLists, '#');
}
} // namespace

class CSyntaxParserCsharp final : public CSyntaxParserCFamily
{
public:
    CSyntaxParserCsharp() : CSyntaxParserCFamily(MakeOptions())
    {
        SetDefinition(5, "C#", "cs", 0x30, "/*", "*/", "//");
    }
};

CSyntaxParser* CreateSyntaxParserCsharp()
{
    return new CSyntaxParserCsharp();
}

// TypeScript, also with JSX and as ES or CommonJS modules.

#include "syntax/SyntaxParserJavaScript.h"
#include "syntax/SyntaxParsers.h"

namespace
{
// The words TypeScript adds to JavaScript's, in keyword colour.
const char* const s_apszTsKeywords[] = {
    "abstract",   "accessor", "as",        "asserts",   "declare", "enum",
    "implements", "infer",    "interface", "is",        "keyof",   "module",
    "namespace",  "override", "private",   "protected", "public",  "readonly",
    "satisfies",  "type",     "unique",    nullptr,
};

// The built-in types, beside JavaScript's global objects.
const char* const s_apszTsTypes[] = {
    "any",     "bigint",      "boolean",    "never",      "number",  "object", "string", "symbol",
    "unknown", "Partial",     "Required",   "Readonly",   "Record",  "Pick",   "Omit",   "Exclude",
    "Extract", "NonNullable", "ReturnType", "Parameters", "Awaited", nullptr,
};
} // namespace

class CSyntaxParserTypeScript final : public CSyntaxParserJsFamily
{
public:
    CSyntaxParserTypeScript() : CSyntaxParserJsFamily(29, "TypeScript", "ts,tsx,mts,cts")
    {
        AddWordList(g_apszJsKeywords, kSyntaxColorKeyword, false);
        AddWordList(s_apszTsKeywords, kSyntaxColorKeyword, false);
        AddWordList(s_apszTsTypes, kSyntaxColorKeyword2, false);
        AddWordList(g_apszJsGlobals, kSyntaxColorKeyword2, false);
    }
};

CSyntaxParser* CreateSyntaxParserTypeScript()
{
    return new CSyntaxParserTypeScript();
}

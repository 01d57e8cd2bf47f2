#pragma once
// The colouring engine of the markup languages: HTML, XML, SGML and the two server-page
// languages ASP and PHP, which are HTML with embedded script blocks. The five parsers are
// one scanner with per-dialect switches, so a fix to the shared rules reaches all of them.
//
// Line-state bits (the value carried from line to line):
//   0x01  rest of the line is a comment (ASP and PHP script blocks only)
//   0x02  inside a tag, "<" ... ">" (XML and SGML also "{" ... "}")
//   0x04  inside "<!--" ... "-->" (inside a PHP block: "/*" ... "*/")
//   0x08  inside a double-quoted string
//   0x10  inside a single-quoted string
//   0x20  inside an entity reference, "&" ... ";"
//   0x40  HTML and ASP: inside a script block "<?" / "<%" ... "?>" / "%>";
//         PHP: inside a variable name after "$"
//   0x80  PHP: inside a script block
// Single-quoted strings, entity references, line comments and PHP variable names end with
// the line; which bits survive is given by each dialect's carry mask.

#include <cstdint>

#include "syntax/SyntaxParser.h"
#include "syntax/SyntaxShared.h"

enum class EMarkupDialect
{
    Html,
    Asp,
    Php,
    Xml,
    Sgml,
};

enum : uint32_t
{
    kMarkupLineComment = 0x01,
    kMarkupTag = 0x02,
    kMarkupComment = 0x04,
    kMarkupString = 0x08,
    kMarkupQuote = 0x10,
    kMarkupEntity = 0x20,
    kMarkupScript = 0x40,   // HTML and ASP
    kMarkupVariable = 0x40, // PHP
    kMarkupPhpBlock = 0x80,
};

// Word lists shared by several markup parsers; each is null-terminated and compared
// without regard to case.
extern const char* const g_apszHtmlTagNames[];       // HTML and PHP tag names (93)
extern const char* const g_apszHtmlAttributeNames[]; // HTML and PHP attribute names (122)
extern const char* const g_apszEntityNames[];        // entity names of all five (100)

// Number of entries of a null-terminated list, as written (duplicates included).
int CountListEntries(const char* const* list);

// The base of the five markup parsers. The concrete class supplies its definition (id,
// name, extensions, flags, comment delimiters) and its word lists; the scanning is here.
class CSyntaxMarkupParser : public CSyntaxParser
{
public:
    uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs,
                       int* count) override;

    int GetWordListCount() const override;
    SSyntaxWordList GetWordList(int index) const override;

    EMarkupDialect GetDialect() const { return m_dialect; }

protected:
    // `tags` and `attributes` colour words inside tags (9 and 18); the entity list is the
    // common one. The script lists serve the script blocks: ASP uses `scriptKeywords`
    // only, PHP all three (keywords 9, word operators 13, magic constants 19). Lists must
    // outlive the parser (static arrays).
    CSyntaxMarkupParser(EMarkupDialect dialect, const char* const* tags,
                        const char* const* attributes, const char* const* scriptKeywords,
                        const char* const* scriptOperators, const char* const* scriptConstants);

private:
    friend class CMarkupLineScanner;

    EMarkupDialect m_dialect;
    CSyntaxKeywordSet m_tags;
    CSyntaxKeywordSet m_attributes;
    CSyntaxKeywordSet m_entities;
    CSyntaxKeywordSet m_scriptKeywords;
    CSyntaxKeywordSet m_scriptOperators;
    CSyntaxKeywordSet m_scriptConstants;
};

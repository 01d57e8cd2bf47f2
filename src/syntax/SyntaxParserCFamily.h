#pragma once
// The C-family line scanner: the C/C++ parser and the parsers built on its scheme (C#,
// Java, Resources, InstallShield, NSIS, REXX, SQL, DCL) differ only in the options below.
//
// State bits carried between lines:
//   1 line comment, 2 directive, 4 block comment, 8 string, 16 character literal.
// Only bit 4 survives the end of a line, unless the line ends with a backslash of its own;
// then all bits survive. An empty line returns its input masked to bit 4.
//
// Colouring: every non-word character outside strings, comments and directives is an
// operator run (13) of its own; words are classified when the character after them is
// reached: the word lists in order, then numbers (12), then function names (10, the next
// non-blank character is "("). Strings and character literals are 14, comments 11,
// directives 15.

#include <memory>
#include <vector>

#include "syntax/SyntaxParser.h"
#include "syntax/SyntaxShared.h"

enum : uint32_t
{
    kCFamilyLineComment = 1,
    kCFamilyDirective = 2,
    kCFamilyBlockComment = 4,
    kCFamilyString = 8,
    kCFamilyChar = 16,
};

struct SCFamilyWordList
{
    const char* const* pWords; // null-terminated
    int32_t nColor;
    bool bNoCase;
};

struct SCFamilyOptions
{
    const SCFamilyWordList* pLists = nullptr; // classification order
    int nListCount = 0;
    char chDirective = '#';         // opens a directive at the first non-blank; 0 = none
    bool bSemicolonComment = false; // ";" also opens a line comment
    bool bDotIsWordChar = false;    // every "." belongs to words
    bool bDclFunctionNames = false; // function names by "{" / ":" instead of "("
    bool bLooseCharLiteral = false; // a "'" ends a literal unless a backslash precedes it
};

// The options of a C-family language with these word lists (checked in order) and this
// directive character; the caller sets the remaining switches where its language differs.
template <int N>
SCFamilyOptions MakeCFamilyOptions(const SCFamilyWordList (&lists)[N], char chDirective)
{
    SCFamilyOptions options;
    options.pLists = lists;
    options.nListCount = N;
    options.chDirective = chDirective;
    return options;
}

class CSyntaxParserCFamily : public CSyntaxParser
{
public:
    uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs,
                       int* count) override;

    int GetWordListCount() const override;
    SSyntaxWordList GetWordList(int index) const override;

protected:
    explicit CSyntaxParserCFamily(const SCFamilyOptions& options);
    ~CSyntaxParserCFamily() override;

private:
    // Colour of the finished word [begin, end) of the line, or -1 to leave it normal.
    int ClassifyWord(const unsigned char* text, int length, int begin, int end) const;

    SCFamilyOptions m_options;
    std::vector<std::unique_ptr<CSyntaxKeywordSet>> m_sets; // one per word list
    bool m_interesting[256] = {}; // bytes that can change the state outside strings and comments
};

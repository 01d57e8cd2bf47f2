#pragma once
// The search patterns of the text editor's Find and Replace: a pattern language of its own
// (not the regular expressions of find in files), compiled into a PatternProgram and matched
// against one line, or a window of lines joined by LF, from a start offset.
//
// Syntax: '.' any character, '^' start of the text, '$' its end, '<' start and '>' end of a
// word; "[...]" and "[^...]" sets with ranges by character code; "(...)" a capturing group
// (1 to 63), "{...}" a group that captures nothing; postfix '*' '+' (greedy), '@' '#' (as
// few as possible), '?'; "x|y" a choice between the single piece before and the single piece
// after (left first); escapes \t \n \r \f \v \a \b \e, \xHH, \oOOO, \NDDD, the classes
// \d \D \w \W \s \S \U \L, and \C / \c to make the rest of the pattern case-sensitive /
// case-insensitive. A ')' or '}' with no opener ends the pattern there.
//
// Characters follow the text code page (GetTextCodePage) at compile time: a double-byte
// character or a UTF-8 sequence is one character for literals, '.', sets and stepping. Sets
// hold 16-bit character codes (a double-byte character is lead * 256 + trail, a UTF-8
// character its code point; code points above U+FFFF are in no set). Letter and digit
// classes and case folding are ASCII.
//
// Ownership: PatternCompile returns a program the caller owns and releases with
// PatternFree. Threads: a program is read-only after compiling; PatternMatch keeps its
// working state in the call, so several threads may match, even with the same program.
//
// Depth: the matcher is iterative with its backtracking stack on the heap, so a line of any
// length cannot overflow the machine stack; once an attempt grows expensive, positions
// where the rest of the pattern already failed are remembered, which keeps patterns such
// as "{a|a}*b" from exploding (the memo takes at most 8 MiB; beyond that the search goes
// on without it). Results are always exact.

#include <cstdint>
#include <string>

constexpr int kPatternGroups = 64; // entry 0: the whole match; 1 to 63: the groups

// Node kinds (the low byte of the type when the high byte is 0).
enum EPatternNodeKind : uint16_t
{
    PatternEmpty = 0,
    PatternJump = 1,      // continue at the data node
    PatternSkipRight = 2, // end of a choice's left side: continue after its right side
    PatternLineStart = 3,
    PatternLineEnd = 4,
    PatternWordStart = 5,
    PatternWordEnd = 6,
    PatternCaseOn = 7,  // case-sensitive from here on
    PatternCaseOff = 8, // case-insensitive from here on
    PatternEndProgram = 31,
    PatternAnyChar = 33,
    PatternInSet = 34,
    PatternNotInSet = 35,
    PatternLiteral = 36,
    PatternSpace = 37,
    PatternNotSpace = 38,
    PatternUpper = 39,
    PatternLower = 40,
    PatternDigit = 41,
    PatternNotDigit = 42,
    PatternAlnum = 43,
    PatternNotAlnum = 44
};

// Flags in the high byte of the type.
constexpr uint16_t kPatternGroupFlag = 0x0100;
constexpr uint16_t kPatternOpenFlag = 0x0200;
constexpr uint16_t kPatternCloseFlag = 0x0400;
constexpr uint16_t kPatternGreedyFlag = 0x0800;
constexpr uint16_t kPatternOperatorFlag = 0x1000;

// Bytes of a set bitmap: one bit for each 16-bit character code.
constexpr int kPatternSetBytes = 8192;

struct SPatternNode
{
    uint16_t type;   // kind, or operator character / group number with the flags above
    uint16_t length; // bytes of a literal (1 to 4) or of a set bitmap
    SPatternNode* prev;
    SPatternNode* next;
    // Literal bytes or set bitmap (owned by the node).
    unsigned char* data;
    // Operators: where matching continues when the operand is skipped; jumps and the
    // end of a choice's left side: where they continue.
    SPatternNode* target;
    int index; // position in the list, from 0
};

struct PatternProgram
{
    SPatternNode* first; // the list ends with a PatternEndProgram node
    int codePage;        // the code page the pattern was read in, used for matching
    int groupCount;      // capturing groups
    int nodeCount;
};

struct PatternMatchInfo
{
    int32_t start[kPatternGroups]; // offsets from the start of the text; -1: took no part
    int32_t end[kPatternGroups];
};

// Compiles a NUL-terminated pattern in the text code page; null when it is malformed (also
// when groups nest more than 100 deep or it holds more than 4096 sets).
PatternProgram* PatternCompile(const char* pattern);
// The same with an explicit code page (a real number, not 0, 1 or 3).
PatternProgram* PatternCompile(const char* pattern, int codePage);

void PatternFree(PatternProgram* prog);

// Looks for the leftmost match at or after `searchStart` (a character boundary) in
// text[0, length). Returns 1 and fills *pInfo (when given) on a match, else 0 (*pInfo then
// all -1). `caseSensitive` is the case mode the pattern starts in.
int PatternMatch(const PatternProgram* prog, const char* text, int length, int searchStart,
                 PatternMatchInfo* pInfo, bool caseSensitive);

// Expands a NUL-terminated replacement template against a match in `text`: \0 to \9 the
// text of a group, \U \L ... \E (or \e) upper- or lower-case, \u \l the next character only,
// \a \b \n \r \t, \xHH, \oOOO, \dDDD, any other escaped character itself. Returns false
// (and leaves *pOut empty) when a used group took no part, the template ends in a
// backslash, or a numeric escape is malformed.
// Case conversion steps over the multibyte characters of the text code page.
bool PatternSubstitute(const char* templ, const char* text, const PatternMatchInfo& info,
                       std::string* pOut);
// The same with an explicit code page (a real number).
bool PatternSubstitute(const char* templ, const char* text, const PatternMatchInfo& info,
                       std::string* pOut, int codePage);

#pragma once
// The regular-expression engine of find in files: a small backtracking matcher for 8-bit,
// NUL-terminated strings.
//
// Syntax (bytes, left to right): branches separated by '|'; a piece is an atom optionally
// followed by '*', '+' or '?'; atoms are "(...)" (a group, at most nine), '.', '^' (start of
// the string), '$' (the terminating NUL), "[...]" / "[^...]" sets with ranges, '\' followed
// by any byte (that byte literally; there are no escape classes) and any other byte. Matching
// is byte-exact and case-sensitive; the engine knows nothing of lines, case folding or
// multibyte characters.
//
// Ownership. RegexCompile returns one heap block (malloc) that the caller owns and releases
// with RegexFree (or free); the program holds no other allocation. mustText points into it.
//
// Errors. RegexCompile returns null and RegexExecute returns 0 on an error. The message (a
// static text such as "unmatched ()") goes to the optional out parameter and to the
// process's error hook when one is set.
//
// Threads. Compiling and matching keep all working state in the call (nothing process-wide
// but the error hook, which is read atomically), so any number of threads may compile and
// match at the same time. RegexExecute writes the group positions into the program, so one
// program must not be executed by two threads at once; give each thread its own program.
//
// Depth and time. The matcher is iterative: its backtracking stack lives on the heap and
// grows with the input, so no line length can overflow the machine stack. Positions where
// the rest of the pattern has already failed are remembered once a match attempt grows
// expensive, so nested repetitions such as "(a|a)*b" stay proportional to the line length
// times the pattern size instead of exploding (the memo takes at most 8 MiB, one bit per
// choice node and position; beyond that the search goes on without it, slower but still
// exact). The answer is always the exact one.

#include <cstdint>

// Number of group slots: slot 0 is the whole match, 1 to 9 the groups.
constexpr int kRegexGroupSlots = 10;
// The first byte of every compiled program.
constexpr unsigned char kRegexMagic = 0x9C;
// A program (magic byte and nodes) must be smaller than this.
constexpr int kRegexMaxProgram = 32767;

// Node types of the compiled program. Every node is a type byte, a big-endian 16-bit offset
// to the next node (0: none; backward for NodeBack, forward otherwise) and an operand.
enum ERegexNode : unsigned char
{
    NodeEnd = 0,       // match succeeds
    NodeLineStart = 1, // only at the start of the string
    NodeLineEnd = 2,   // only at the terminating NUL
    NodeAnyChar = 3,   // any byte but NUL
    NodeAnyOf = 4,     // a byte of the NUL-terminated operand
    NodeAnyBut = 5,    // a byte, not NUL, not in the operand
    NodeBranch = 6,    // the operand, or else the next branch
    NodeBack = 7,      // no-op whose next offset points backward
    NodeLiteral = 8,   // the NUL-terminated operand byte for byte
    NodeEmpty = 9,     // the empty string
    NodeStar = 10,     // the one-byte operand node, zero or more times, greedy
    NodePlus = 11,     // the one-byte operand node, one or more times, greedy
    NodeOpen = 20,     // 21 to 29: start of group 1 to 9
    NodeClose = 30     // 31 to 39: end of group 1 to 9
};

struct RegexProgram
{
    // After a successful RegexExecute: slot 0 is the whole match, slots 1 to 9 the groups
    // (for a repeated group, its last repetition); null for a group that took no part.
    // groupEnd points one past the last byte.
    const char* groupStart[kRegexGroupSlots];
    const char* groupEnd[kRegexGroupSlots];

    unsigned char firstChar; // the byte every match begins with, or 0 when not known
    unsigned char anchored;  // 1: can only match at the start of the string
    const char* mustText;    // the longest literal every match contains, or null
    int mustLength;          // length of mustText

    // The program: kRegexMagic followed by the nodes (programLength bytes in all).
    unsigned char* program;
    int programLength;

    // Matching aids derived from the program at compile time; private to the engine.
    unsigned char leadSet[32]; // bit per byte (NUL included) with which a match may begin
    unsigned char leadSetKnown;
    int setCount;                 // sets of the program, ascending by node offset
    const uint16_t* setNodes;     // node offset of each set
    const unsigned char* setMaps; // 32-byte membership map of each set (NUL never a member)
};

// Receives each error message (a static NUL-terminated text).
typedef void (*RegexErrorHook)(const char* message);

// Sets the process's error hook (null: none) and returns the previous one.
RegexErrorHook SetRegexErrorHook(RegexErrorHook hook);
RegexErrorHook GetRegexErrorHook();

// Compiles a NUL-terminated pattern. Returns the program (release with RegexFree) or null;
// on null, *ppError (when given) is the message.
RegexProgram* RegexCompile(const char* pattern, const char** ppError = nullptr);

// Returns 1 when the program matches somewhere in the NUL-terminated string, with the group
// positions of the leftmost match in the program; 0 when it does not match or on an error
// (then *ppError, when given, is the message; otherwise it is set to null).
int RegexExecute(RegexProgram* prog, const char* string, const char** ppError = nullptr);

void RegexFree(RegexProgram* prog);

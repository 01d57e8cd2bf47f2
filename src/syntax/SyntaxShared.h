#pragma once
// Routines shared by every language parser: character classes, word-list lookup, numbers,
// and the small scanning helpers that all parsers built on the C-family scheme use.
//
// Character classes work on the byte value 0..255 and ignore the locale:
// - word start: an ASCII letter, "_" or a byte above 127;
// - word character: an ASCII letter or digit, "_" or a byte above 127;
// - space: " ", tab, line feed, vertical tab, form feed or carriage return;
// - alpha-like: an ASCII letter, "_" or a byte above 127 (the neighbours that keep a "."
//   from joining a number).

#include <cstdint>
#include <vector>

#include "text/TextParser.h"

enum : uint8_t
{
    kSyntaxCharWordStart = 0x01,
    kSyntaxCharWord = 0x02,
    kSyntaxCharSpace = 0x04,
    kSyntaxCharAlphaLike = 0x08,
    kSyntaxCharDigit = 0x10,
    kSyntaxCharHexDigit = 0x20,
};

extern const uint8_t g_syntaxCharClass[256];

inline bool IsSyntaxWordStart(unsigned char c)
{
    return (g_syntaxCharClass[c] & kSyntaxCharWordStart) != 0;
}
inline bool IsSyntaxWordChar(unsigned char c)
{
    return (g_syntaxCharClass[c] & kSyntaxCharWord) != 0;
}
inline bool IsSyntaxSpace(unsigned char c)
{
    return (g_syntaxCharClass[c] & kSyntaxCharSpace) != 0;
}
inline bool IsSyntaxAlphaLike(unsigned char c)
{
    return (g_syntaxCharClass[c] & kSyntaxCharAlphaLike) != 0;
}
inline bool IsSyntaxDigit(unsigned char c)
{
    return (g_syntaxCharClass[c] & kSyntaxCharDigit) != 0;
}
inline bool IsSyntaxHexDigit(unsigned char c)
{
    return (g_syntaxCharClass[c] & kSyntaxCharHexDigit) != 0;
}

// True when some entry of the null-terminated `list` has exactly `length` bytes equal to
// `word` (case-sensitive). Linear scan; parsers use CSyntaxKeywordSet, which answers alike.
bool IsKeyword(const char* const* list, const char* word, int length);
// As IsKeyword, comparing ASCII letters without regard to case. The bytes of a multibyte
// character (in the code page of text in memory) are compared exactly.
bool IsKeywordNoCase(const char* const* list, const char* word, int length);

// A number word: "0x" followed by at least one hexadecimal digit, or a decimal digit
// followed by digits, "+", "-", ".", "e" or "E". "0X" is not a hex prefix.
bool IsNumber(const char* word, int length);

// A hashed word list that gives exactly the answers of IsKeyword / IsKeywordNoCase for the
// list it was built from. Immutable after construction, so parsers on several threads may
// share it. The list must stay alive as long as the set (parsers use static arrays).
class CSyntaxKeywordSet
{
public:
    CSyntaxKeywordSet(const char* const* list, bool bNoCase);

    bool Contains(const char* word, int length) const;
    bool IsNoCase() const { return m_bNoCase; }
    const char* const* GetList() const { return m_list; }

private:
    struct SSlot
    {
        const char* pWord = nullptr;
        int32_t nLength = 0;
    };
    uint32_t Hash(const char* word, int length) const;

    const char* const* m_list;
    bool m_bNoCase;
    bool m_bLinear = false; // a list with non-ASCII bytes falls back to the linear lookup
    int m_nMinLength = 0;
    int m_nMaxLength = 0;
    uint32_t m_nMask = 0;
    std::vector<SSlot> m_slots;
};

// Number of words in a null-terminated list (duplicates counted once).
int CountDistinctWords(const char* const* list, bool bNoCase);

// Index of the first byte at or after `from` that is not a space, or `length` if none.
inline int FindNextNonSpace(const unsigned char* text, int length, int from)
{
    while (from < length && IsSyntaxSpace(text[from]))
        ++from;
    return from;
}

// Index of the last byte before `before` that is not a space, or -1 if none.
inline int FindPrevNonSpace(const unsigned char* text, int before)
{
    int i = before - 1;
    while (i >= 0 && IsSyntaxSpace(text[i]))
        --i;
    return i;
}

// Steps through a line by whole characters. Only the double-byte code pages need real
// stepping: in UTF-8 every byte of a multibyte sequence is above 127, so byte steps give
// the same classes and the same ASCII neighbours as character steps.
struct SSyntaxLineText
{
    const unsigned char* pText = nullptr;
    int nLength = 0;
    int nCodePage = 0;
    bool bDbcs = false;

    explicit SSyntaxLineText(const CTarvoTextLineInfo* line);

    int Next(int index) const { return bDbcs ? NextDbcs(index) : index + 1; }
    int NextDbcs(int index) const;
    // True when the line's last byte is a backslash that is a character of its own; the
    // parsers then carry every state bit into the next line.
    bool EndsWithBackslash() const;
};

// The state at the end of a line under the common rule: only the bits of `keepMask`
// survive, unless the line ends with a backslash of its own, which keeps all bits.
inline uint32_t SyntaxEndOfLineState(const SSyntaxLineText& text, uint32_t state, uint32_t keepMask)
{
    return text.EndsWithBackslash() ? state : (state & keepMask);
}

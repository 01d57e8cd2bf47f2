#include "syntax/SyntaxWildcard.h"

namespace
{
constexpr char kEscape = '`';

inline unsigned char Lower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}
inline unsigned char Upper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// Index just past the set that starts with "[" at `open`, or npos when unterminated.
size_t EndOfSet(const std::string& p, size_t open)
{
    size_t i = open + 1;
    if (i < p.size() && p[i] == '!')
        ++i;
    if (i < p.size() && p[i] == ']')
        ++i; // a leading "]" is a member
    while (i < p.size())
    {
        if (p[i] == kEscape)
        {
            if (i + 1 >= p.size())
                return std::string::npos;
            i += 2;
            continue;
        }
        if (p[i] == ']')
            return i + 1;
        ++i;
    }
    return std::string::npos;
}

bool InRange(unsigned char c, unsigned char lo, unsigned char hi)
{
    const unsigned char l = Lower(c);
    const unsigned char u = Upper(c);
    return (l >= Lower(lo) && l <= Lower(hi)) || (u >= Upper(lo) && u <= Upper(hi)) ||
           (c >= lo && c <= hi);
}

// Whether c is a member of the set p[open .. end), end being past the "]".
bool MatchSet(const std::string& p, size_t open, size_t end, unsigned char c)
{
    size_t i = open + 1;
    bool negate = false;
    if (p[i] == '!')
    {
        negate = true;
        ++i;
    }
    const size_t close = end - 1;
    bool member = false;
    bool first = true;
    while (i < close)
    {
        unsigned char lo;
        if (p[i] == kEscape)
        {
            lo = static_cast<unsigned char>(p[i + 1]);
            i += 2;
        }
        else
        {
            lo = static_cast<unsigned char>(p[i]);
            ++i;
        }
        unsigned char hi = lo;
        // "a-z": a "-" between two members; a "-" first or last is a member itself.
        if (!(first && lo == '-') && i + 1 < close && p[i] == '-')
        {
            if (p[i + 1] == kEscape)
            {
                hi = static_cast<unsigned char>(p[i + 2]);
                i += 3;
            }
            else
            {
                hi = static_cast<unsigned char>(p[i + 1]);
                i += 2;
            }
        }
        first = false;
        if (InRange(c, lo, hi))
            member = true;
    }
    return member != negate;
}

// Matches one pattern element at p[i] against c; sets *next past the element.
bool MatchOne(const std::string& p, size_t i, unsigned char c, size_t* next)
{
    if (p[i] == '?')
    {
        *next = i + 1;
        return true;
    }
    if (p[i] == '[')
    {
        const size_t end = EndOfSet(p, i);
        *next = end;
        return MatchSet(p, i, end, c);
    }
    if (p[i] == kEscape)
    {
        *next = i + 2;
        return static_cast<unsigned char>(p[i + 1]) == c;
    }
    *next = i + 1;
    return Lower(static_cast<unsigned char>(p[i])) == Lower(c);
}

// Whole-text match of a well-formed pattern without the leading negation. A single
// backtracking point is enough: every element other than "*" matches exactly one
// character, so the latest "*" can always absorb what an earlier one would.
bool MatchPlain(const std::string& p, size_t pi, const std::string& t)
{
    size_t ti = 0;
    size_t starP = std::string::npos;
    size_t starT = 0;
    while (ti < t.size())
    {
        if (pi < p.size() && p[pi] == '*')
        {
            starP = ++pi;
            starT = ti;
            continue;
        }
        size_t next = 0;
        if (pi < p.size() && MatchOne(p, pi, static_cast<unsigned char>(t[ti]), &next))
        {
            pi = next;
            ++ti;
            continue;
        }
        if (starP == std::string::npos)
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}
} // namespace

bool IsWellFormedWildcard(const std::string& pattern)
{
    for (size_t i = 0; i < pattern.size();)
    {
        if (pattern[i] == kEscape)
        {
            if (i + 1 >= pattern.size())
                return false;
            i += 2;
        }
        else if (pattern[i] == '[')
        {
            const size_t end = EndOfSet(pattern, i);
            if (end == std::string::npos)
                return false;
            i = end;
        }
        else
        {
            ++i;
        }
    }
    return true;
}

bool MatchWildcard(const std::string& pattern, const std::string& text)
{
    if (!IsWellFormedWildcard(pattern))
        return false;
    if (!pattern.empty() && pattern[0] == '!')
        return !MatchPlain(pattern, 1, text);
    return MatchPlain(pattern, 0, text);
}

#pragma once
// Wildcard patterns of extension lists, compared without regard to ASCII case:
//   "*"        any run of characters (also none)
//   "?"        exactly one character
//   "[set]"    one character of the set; "a-z" ranges, "!" first negates the set, a "]"
//              right after "[" or "[!" is a member
//   "`c"       the character c itself (escape), also inside a set
//   "!" first  negates the match of the rest of the pattern
// A pattern with an unterminated set or an escape at its end is not well-formed and
// matches nothing.

#include <string>

bool IsWellFormedWildcard(const std::string& pattern);
// Matches the whole text. False for a pattern that is not well-formed.
bool MatchWildcard(const std::string& pattern, const std::string& text);

#pragma once
// Conversions between the encoding kinds and code pages of encoded files.
//
// Losses are counted per character: a character that the target cannot represent exactly
// becomes the target's default character ("?" when it has none), invalid input becomes
// "?", and each counts once. Characters above U+FFFF travel whole (as surrogate pairs in
// UTF-16 and 4-byte sequences in UTF-8).

#include <cstddef>
#include <cstdint>
#include <string>

// Converts `byteCount` bytes of text of kind `fromKind` (code page `fromCodePage` for
// kind 0) into kind `toKind` (code page `toCodePage` for kind 0), replacing `buffer`.
// Adds the lost characters to *pLost when given. False when a code page or kind cannot
// be converted; `buffer` is then empty.
bool ConvertText(int fromKind, int fromCodePage, const char* data, size_t byteCount, int toKind,
                 int toCodePage, std::string& buffer, int* pLost = nullptr);

// Converts bytes from one code page to another. Equivalent code pages copy the bytes.
// *pLost (when given) becomes true when a character was lost. A source code page that
// cannot be converted gives "?".
std::string ConvertCodePage(const char* bytes, size_t count, int fromCodePage, int toCodePage,
                            bool* pLost);

// The same, appending to `out` and returning the number of lost characters.
int AppendConvertedCodePage(const char* bytes, size_t count, int fromCodePage, int toCodePage,
                            std::string& out);

// One character (a code point, U+10FFFF at most) in the system's ANSI code page, or in
// `nCodePage`. Below 128 the byte itself. A character the code page cannot represent
// exactly is lost and becomes the code page's default character ("?" when it has none).
// A character that takes several bytes in the code page is not lost.
std::string ConvertCharacter(uint32_t code, bool* pLost);
std::string ConvertCharacter(uint32_t code, int nCodePage, bool* pLost);

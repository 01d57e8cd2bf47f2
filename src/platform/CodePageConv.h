#pragma once
// Conversion between the system code pages and UTF-16.
//
// Code pages are Windows code-page numbers; 0, 1 and 3 are resolved through
// ResolveCodePage. UTF-16 text is char16_t in the host's byte order; a surrogate pair is
// one character.
//
// Every conversion works one character at a time as far as losses go:
// - decoding: a byte or sequence that is not a character of the code page becomes "?"
//   (U+003F) and counts as one lost character;
// - encoding: a character the code page cannot represent exactly (there is no best-fit
//   mapping) becomes the code page's default character, which is the code page's own "?",
//   or "?" when it has none, and counts as one lost character. An unpaired surrogate is
//   one lost character as well.
// 65001 (UTF-8), 1200 and 1201 (UTF-16 LE and BE bytes), 20127 (ASCII) and the
// single-byte code pages (through a 256-entry table built once per code page) are
// converted without iconv; every other code page goes through iconv.
//
// All functions are safe to call from several threads at once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The iconv name of a code page, or nullptr when the program knows none.
const char* IconvNameOfCodePage(int nCodePage);

// The code pages of the name table, ascending (the ones iconv may still refuse included).
std::vector<int> EnumCodePages();

// True when text can be converted from and to this code page.
bool IsCodePageConvertible(int nCodePage);

// True when every byte is one character (a 256-entry table describes the code page).
bool IsSingleByteCodePage(int nCodePage);

// True when text of this code page may not come back as the same bytes once it has been
// decoded and encoded again: code pages with several byte sequences for one character
// (932's NEC-selected IBM extensions, 950's duplicates), with composed characters (1255,
// 1258), and stateful ones whose shifts and escapes can be written in more than one way
// (UTF-7, ISO-2022, the EBCDIC double-byte code pages). False for every other code page,
// UTF-8 and UTF-16 among them, so that a caller checks only where it is needed.
bool HasOneWayMappings(int nCodePage);

// True when both numbers name the same code page once 0, 1 and 3 are resolved.
bool AreCodePagesEquivalent(int nCodePage1, int nCodePage2);

// Decodes `count` bytes of `nCodePage` and appends them to `out`. Adds the number of lost
// characters to *pLost when pLost is given. Returns false, appending nothing, when the
// code page cannot be converted. Bytes cut at the end of the input count as one lost
// character.
bool AppendCodePageToUtf16(int nCodePage, const char* bytes, size_t count, std::u16string& out,
                           int* pLost);

// Encodes `count` UTF-16 units into `nCodePage` and appends the bytes to `out`. Adds the
// number of lost characters to *pLost when given. Returns false, appending nothing, when
// the code page cannot be converted.
bool AppendUtf16ToCodePage(int nCodePage, const char16_t* text, size_t count, std::string& out,
                           int* pLost);

// The bytes that stand for a lost character in the code page ("?" when it has none).
std::string CodePageDefaultChar(int nCodePage);

// Appends one code point (at most U+10FFFF) as one or two UTF-16 units. A surrogate value
// is appended as it is.
void AppendCodePointToUtf16(uint32_t codePoint, std::u16string& out);

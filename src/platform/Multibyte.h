#pragma once
// The multibyte character rules of the system code pages, in one place.
//
// Text in memory is bytes in one code page. Wherever a character made of several bytes is
// treated as one character (caret movement, trail-byte tests, display columns, wrapping,
// searching), the code asks these functions:
// - the double-byte code pages 932, 936, 949, 950 and 1361: a lead byte (by the code page's
//   lead-byte ranges) and the byte after it form one character, two columns wide; a lead
//   byte at the end of the text is a character of its own;
// - 65001: a well-formed UTF-8 sequence is one character, two columns wide when it is East
//   Asian wide or fullwidth, else one; every byte that is not part of a well-formed
//   sequence is a character of its own, one column wide;
// - every other code page: one byte, one character, one column.
// Code pages 0, 1 and 3 are resolved through the system (ResolveCodePage) by the callers
// that hold them; these functions take the real number.
// None of the functions reads at or beyond `length`.

#include <cstdint>

bool IsDbcsCodePage(int nCodePage);
// True for the double-byte code pages and for 65001.
bool IsMultibyteCodePage(int nCodePage);

// True when the byte may begin a character of more than one byte.
bool IsLeadByte(int nCodePage, unsigned char byte);

// Bytes of the character that starts at `index` (1 at least, never past `length`).
// `index` must be below `length`.
int CharLength(int nCodePage, const char* text, int length, int index);

// True when the byte at `index` is the second (or later) byte of a multibyte character.
bool IsTrailByte(int nCodePage, const char* text, int length, int index);

// Start of the character that ends just before `index` (0 < index <= length).
int PrevCharIndex(int nCodePage, const char* text, int length, int index);

// Display columns of the character that starts at `index`: 1 or 2.
int CharDisplayWidth(int nCodePage, const char* text, int length, int index);

// Decodes the well-formed UTF-8 sequence at `index`. Returns its length in bytes and the
// code point in *pCodePoint, or 0 when the bytes there are not a well-formed sequence
// (overlong forms, surrogates, values above U+10FFFF and cut sequences are not).
int DecodeUtf8(const char* text, int length, int index, uint32_t* pCodePoint);

// Encodes a code point (at most U+10FFFF, not a surrogate) as UTF-8 into out[0..3];
// returns the byte count, 0 for a value that cannot be encoded.
int EncodeUtf8(uint32_t codePoint, char* out);

// East Asian wide or fullwidth (display width 2).
bool IsEastAsianWide(uint32_t codePoint);

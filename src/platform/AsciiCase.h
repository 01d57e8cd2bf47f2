#pragma once
// ASCII letter case for the places where only A-Z and a-z fold: file-name patterns,
// search options and list comparisons; and the value of an ASCII hex digit. Bytes above 127 are
// never changed, so the bytes of multibyte characters stay as they are.

inline char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline unsigned char LowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Equal ignoring the case of ASCII letters; both texts end at their zero byte.
inline bool EqualsAsciiNoCase(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    return *a == *b;
}

// The value of a hex digit (0-9, a-f, A-F), or -1 for any other byte.
inline int AsciiHexDigitValue(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

#pragma once
// ASCII letter case for the places where only A-Z and a-z fold: file-name patterns,
// search options and list comparisons. Bytes above 127 are never changed, so the bytes of
// multibyte characters stay as they are.

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

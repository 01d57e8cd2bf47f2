#include "platform/Multibyte.h"

namespace
{
bool InRange(unsigned char b, unsigned char lo, unsigned char hi)
{
    return b >= lo && b <= hi;
}
} // namespace

bool IsDbcsCodePage(int nCodePage)
{
    switch (nCodePage)
    {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1361:
        return true;
    default:
        return false;
    }
}

bool IsMultibyteCodePage(int nCodePage)
{
    return nCodePage == 65001 || IsDbcsCodePage(nCodePage);
}

bool IsLeadByte(int nCodePage, unsigned char b)
{
    switch (nCodePage)
    {
    case 932:
        return InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC);
    case 936:
    case 949:
    case 950:
        return InRange(b, 0x81, 0xFE);
    case 1361:
        return InRange(b, 0x84, 0xD3) || InRange(b, 0xD8, 0xDE) || InRange(b, 0xE0, 0xF9);
    case 65001:
        return InRange(b, 0xC2, 0xF4);
    default:
        return false;
    }
}

int DecodeUtf8(const char* text, int length, int index, uint32_t* pCodePoint)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    if (index < 0 || index >= length)
        return 0;
    unsigned char b0 = p[index];
    int n;
    uint32_t cp;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 < 0x80)
    {
        if (pCodePoint)
            *pCodePoint = b0;
        return 1;
    }
    else if (InRange(b0, 0xC2, 0xDF))
    {
        n = 2;
        cp = b0 & 0x1F;
    }
    else if (InRange(b0, 0xE0, 0xEF))
    {
        n = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    }
    else if (InRange(b0, 0xF0, 0xF4))
    {
        n = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    }
    else
        return 0;
    if (length - index < n)
        return 0;
    for (int i = 1; i < n; ++i)
    {
        unsigned char b = p[index + i];
        if (i == 1 ? !InRange(b, lo, hi) : !InRange(b, 0x80, 0xBF))
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (pCodePoint)
        *pCodePoint = cp;
    return n;
}

int EncodeUtf8(uint32_t cp, char* out)
{
    if (cp < 0x80)
    {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800)
    {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return 0;
    if (cp < 0x10000)
    {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    if (cp <= 0x10FFFF)
    {
        out[0] = static_cast<char>(0xF0 | (cp >> 18));
        out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<char>(0x80 | (cp & 0x3F));
        return 4;
    }
    return 0;
}

int CharLength(int nCodePage, const char* text, int length, int index)
{
    if (index < 0 || index >= length)
        return 1;
    const auto b = static_cast<unsigned char>(text[index]);
    if (b < 0x80)
        return 1;
    if (nCodePage == 65001)
    {
        int n = DecodeUtf8(text, length, index, nullptr);
        return n > 0 ? n : 1;
    }
    if (IsDbcsCodePage(nCodePage) && IsLeadByte(nCodePage, b) && index + 1 < length)
        return 2;
    return 1;
}

bool IsTrailByte(int nCodePage, const char* text, int length, int index)
{
    if (index <= 0 || index >= length)
        return false;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    if (nCodePage == 65001)
    {
        if (!InRange(p[index], 0x80, 0xBF))
            return false;
        for (int start = index - 1; start >= 0 && start >= index - 3; --start)
        {
            if (!InRange(p[start], 0x80, 0xBF))
            {
                int n = DecodeUtf8(text, length, start, nullptr);
                return n > 0 && start + n > index;
            }
        }
        return false;
    }
    if (!IsDbcsCodePage(nCodePage))
        return false;
    // A byte outside the lead range always ends a character (it is a single-byte character
    // or a trail byte), so characters are aligned right after the nearest such byte. Past
    // it, the byte at index is a trail byte when an odd number of lead bytes precede it.
    int leads = 0;
    for (int i = index - 1; i >= 0 && IsLeadByte(nCodePage, p[i]); --i)
        ++leads;
    return (leads & 1) != 0;
}

int PrevCharIndex(int nCodePage, const char* text, int length, int index)
{
    if (index <= 0)
        return 0;
    if (index > length)
        index = length;
    int i = index - 1;
    while (i > 0 && IsTrailByte(nCodePage, text, length, i))
        --i;
    return i;
}

int CharDisplayWidth(int nCodePage, const char* text, int length, int index)
{
    if (index < 0 || index >= length || static_cast<unsigned char>(text[index]) < 0x80)
        return 1;
    if (nCodePage == 65001)
    {
        uint32_t cp = 0;
        return DecodeUtf8(text, length, index, &cp) > 0 && IsEastAsianWide(cp) ? 2 : 1;
    }
    return CharLength(nCodePage, text, length, index) == 2 ? 2 : 1;
}

bool IsEastAsianWide(uint32_t c)
{
    // The wide and fullwidth blocks of the East Asian Width property, coarsely grouped.
    static const uint32_t ranges[][2] = {
        {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
        {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
        {0x2648, 0x2653},   {0x267F, 0x267F},   {0x2693, 0x2693},   {0x26A1, 0x26A1},
        {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},   {0x26CE, 0x26CE},
        {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
        {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},
        {0x2728, 0x2728},   {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},
        {0x2757, 0x2757},   {0x2795, 0x2797},   {0x27B0, 0x27B0},   {0x27BF, 0x27BF},
        {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},   {0x2E80, 0x303E},
        {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
        {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
        {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x16FE0, 0x16FE4},
        {0x17000, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F004, 0x1F004}, {0x1F0CF, 0x1F0CF},
        {0x1F18E, 0x1F18E}, {0x1F191, 0x1F19A}, {0x1F200, 0x1F251}, {0x1F300, 0x1F64F},
        {0x1F680, 0x1F6FF}, {0x1F7E0, 0x1F7EB}, {0x1F90C, 0x1F9FF}, {0x1FA70, 0x1FAFF},
        {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
    };
    if (c < 0x1100)
        return false;
    int lo = 0, hi = static_cast<int>(sizeof ranges / sizeof ranges[0]) - 1;
    while (lo <= hi)
    {
        int mid = (lo + hi) / 2;
        if (c < ranges[mid][0])
            hi = mid - 1;
        else if (c > ranges[mid][1])
            lo = mid + 1;
        else
            return true;
    }
    return false;
}

#include "syntax/SyntaxShared.h"

#include <cstring>
#include <set>
#include <string>

#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"

namespace
{
constexpr uint8_t MakeClass(int c)
{
    const bool upper = c >= 'A' && c <= 'Z';
    const bool lower = c >= 'a' && c <= 'z';
    const bool digit = c >= '0' && c <= '9';
    const bool high = c > 127;
    const bool letter = upper || lower;
    uint8_t v = 0;
    if (letter || c == '_' || high)
        v |= kSyntaxCharWordStart | kSyntaxCharAlphaLike;
    if (letter || digit || c == '_' || high)
        v |= kSyntaxCharWord;
    if (c == ' ' || (c >= '\t' && c <= '\r'))
        v |= kSyntaxCharSpace;
    if (digit)
        v |= kSyntaxCharDigit;
    if (digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
        v |= kSyntaxCharHexDigit;
    return v;
}

inline unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Compares ASCII letters without case; the bytes of multibyte characters exactly.
bool EqualNoCase(const char* a, const char* b, int length, int nCodePage)
{
    const bool dbcs = IsDbcsCodePage(nCodePage);
    for (int i = 0; i < length;)
    {
        const int step = dbcs ? CharLength(nCodePage, b, length, i) : 1;
        if (step == 1)
        {
            if (FoldAscii(static_cast<unsigned char>(a[i])) !=
                FoldAscii(static_cast<unsigned char>(b[i])))
                return false;
        }
        else if (std::memcmp(a + i, b + i, static_cast<size_t>(step)) != 0)
        {
            return false;
        }
        i += step;
    }
    return true;
}
} // namespace

const uint8_t g_syntaxCharClass[256] = {
#define SYN_ROW(b)                                                                                 \
    MakeClass(b + 0), MakeClass(b + 1), MakeClass(b + 2), MakeClass(b + 3), MakeClass(b + 4),      \
        MakeClass(b + 5), MakeClass(b + 6), MakeClass(b + 7), MakeClass(b + 8), MakeClass(b + 9),  \
        MakeClass(b + 10), MakeClass(b + 11), MakeClass(b + 12), MakeClass(b + 13),                \
        MakeClass(b + 14), MakeClass(b + 15)
    SYN_ROW(0),   SYN_ROW(16),  SYN_ROW(32),  SYN_ROW(48),  SYN_ROW(64),  SYN_ROW(80),
    SYN_ROW(96),  SYN_ROW(112), SYN_ROW(128), SYN_ROW(144), SYN_ROW(160), SYN_ROW(176),
    SYN_ROW(192), SYN_ROW(208), SYN_ROW(224), SYN_ROW(240),
#undef SYN_ROW
};

bool IsKeyword(const char* const* list, const char* word, int length)
{
    if (list == nullptr || word == nullptr || length <= 0)
        return false;
    for (; *list != nullptr; ++list)
    {
        if (static_cast<int>(std::strlen(*list)) == length &&
            std::memcmp(*list, word, static_cast<size_t>(length)) == 0)
            return true;
    }
    return false;
}

bool IsKeywordNoCase(const char* const* list, const char* word, int length)
{
    if (list == nullptr || word == nullptr || length <= 0)
        return false;
    const int nCodePage = GetTextCodePage();
    for (; *list != nullptr; ++list)
    {
        if (static_cast<int>(std::strlen(*list)) == length &&
            EqualNoCase(*list, word, length, nCodePage))
            return true;
    }
    return false;
}

bool IsNumber(const char* word, int length)
{
    if (word == nullptr || length <= 0)
        return false;
    const auto* w = reinterpret_cast<const unsigned char*>(word);
    if (length >= 3 && w[0] == '0' && w[1] == 'x')
    {
        for (int i = 2; i < length; ++i)
        {
            if (!IsSyntaxHexDigit(w[i]))
                return false;
        }
        return true;
    }
    if (!IsSyntaxDigit(w[0]))
        return false;
    for (int i = 1; i < length; ++i)
    {
        const unsigned char c = w[i];
        if (!IsSyntaxDigit(c) && c != '+' && c != '-' && c != '.' && c != 'e' && c != 'E')
            return false;
    }
    return true;
}

CSyntaxKeywordSet::CSyntaxKeywordSet(const char* const* list, bool bNoCase)
    : m_list(list), m_bNoCase(bNoCase)
{
    int count = 0;
    m_nMinLength = 1 << 30;
    for (const char* const* p = list; p != nullptr && *p != nullptr; ++p)
    {
        const int len = static_cast<int>(std::strlen(*p));
        for (int i = 0; i < len; ++i)
        {
            if (static_cast<unsigned char>((*p)[i]) > 127)
                m_bLinear = true;
        }
        if (len < m_nMinLength)
            m_nMinLength = len;
        if (len > m_nMaxLength)
            m_nMaxLength = len;
        ++count;
    }
    if (count == 0)
    {
        m_nMinLength = 1;
        m_nMaxLength = 0;
        return;
    }
    if (m_bLinear)
        return;
    uint32_t size = 16;
    while (size < static_cast<uint32_t>(count) * 4)
        size <<= 1;
    m_nMask = size - 1;
    m_slots.resize(size);
    for (const char* const* p = list; *p != nullptr; ++p)
    {
        const int len = static_cast<int>(std::strlen(*p));
        if (Contains(*p, len))
            continue; // duplicates have no effect
        uint32_t h = Hash(*p, len) & m_nMask;
        while (m_slots[h].pWord != nullptr)
            h = (h + 1) & m_nMask;
        m_slots[h].pWord = *p;
        m_slots[h].nLength = len;
    }
}

uint32_t CSyntaxKeywordSet::Hash(const char* word, int length) const
{
    uint32_t h = 2166136261u;
    const auto* w = reinterpret_cast<const unsigned char*>(word);
    if (m_bNoCase)
    {
        for (int i = 0; i < length; ++i)
            h = (h ^ FoldAscii(w[i])) * 16777619u;
    }
    else
    {
        for (int i = 0; i < length; ++i)
            h = (h ^ w[i]) * 16777619u;
    }
    return h ^ (h >> 15);
}

bool CSyntaxKeywordSet::Contains(const char* word, int length) const
{
    if (length < m_nMinLength || length > m_nMaxLength || word == nullptr)
        return false;
    if (m_bLinear)
        return m_bNoCase ? IsKeywordNoCase(m_list, word, length) : IsKeyword(m_list, word, length);
    if (m_slots.empty())
        return false;
    // Every entry is ASCII, so a word holding a byte above 127 can match no entry under
    // either comparison; folding ASCII letters alone therefore answers as IsKeywordNoCase.
    uint32_t h = Hash(word, length) & m_nMask;
    for (;;)
    {
        const SSlot& slot = m_slots[h];
        if (slot.pWord == nullptr)
            return false;
        if (slot.nLength == length)
        {
            if (!m_bNoCase)
            {
                if (std::memcmp(slot.pWord, word, static_cast<size_t>(length)) == 0)
                    return true;
            }
            else
            {
                int i = 0;
                while (i < length && FoldAscii(static_cast<unsigned char>(slot.pWord[i])) ==
                                         FoldAscii(static_cast<unsigned char>(word[i])))
                    ++i;
                if (i == length)
                    return true;
            }
        }
        h = (h + 1) & m_nMask;
    }
}

int CountDistinctWords(const char* const* list, bool bNoCase)
{
    std::set<std::string> words;
    for (const char* const* p = list; p != nullptr && *p != nullptr; ++p)
    {
        std::string w = *p;
        if (bNoCase)
        {
            for (char& c : w)
                c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
        }
        words.insert(w);
    }
    return static_cast<int>(words.size());
}

SSyntaxLineText::SSyntaxLineText(const CTarvoTextLineInfo* line)
{
    if (line != nullptr && line->pcLine != nullptr && line->nLength > 0)
    {
        pText = reinterpret_cast<const unsigned char*>(line->pcLine);
        nLength = line->nLength;
    }
    nCodePage = GetTextCodePage();
    bDbcs = IsDbcsCodePage(nCodePage);
}

int SSyntaxLineText::NextDbcs(int index) const
{
    return index + CharLength(nCodePage, reinterpret_cast<const char*>(pText), nLength, index);
}

bool SSyntaxLineText::EndsWithBackslash() const
{
    if (nLength <= 0 || pText[nLength - 1] != '\\')
        return false;
    return !bDbcs ||
           !IsTrailByte(nCodePage, reinterpret_cast<const char*>(pText), nLength, nLength - 1);
}

#include "syntax/SyntaxColors.h"

#include <cstdio>
#include <string>

#include "platform/ProfileStore.h"

namespace
{
int MaskIndex(int32_t nIndex)
{
    return static_cast<int>(static_cast<uint32_t>(nIndex) & 0x7FFFFFFFu);
}

std::string ValueName(const char* prefix, int n)
{
    char name[32];
    std::snprintf(name, sizeof(name), "%s%d", prefix, n);
    return name;
}
} // namespace

CSyntaxColors::CSyntaxColors()
{
    SetDefaults();
}

void CSyntaxColors::SetDefaults()
{
    const COLORREF defaults[kCount] = {
        0x000080,        GetSysColor(5), GetSysColor(5), GetSysColor(8), GetSysColor(0),
        GetSysColor(13), 0xFFFFFF,       0xE19A7B,       0x00FFFF,       0xFF0000,
        0x800080,        0x008000,       0x0000FF,       0x606060,       0x000080,
        0xC08000,        0x000080,       0x000080,       0x800000,       0xC08000,
    };
    for (int i = 0; i < kCount; ++i)
    {
        m_colors[i] = defaults[i];
        m_bold[i] = (i == 9);
    }
}

COLORREF CSyntaxColors::GetColor(int32_t nIndex) const
{
    const int i = MaskIndex(nIndex);
    return i < kCount ? m_colors[i] : 0;
}

bool CSyntaxColors::GetBold(int32_t nIndex) const
{
    const int i = MaskIndex(nIndex);
    return i < kCount && m_bold[i];
}

void CSyntaxColors::SetColor(int32_t nIndex, COLORREF color)
{
    const int i = MaskIndex(nIndex);
    if (i < kCount)
        m_colors[i] = color;
}

void CSyntaxColors::SetBold(int32_t nIndex, bool bBold)
{
    const int i = MaskIndex(nIndex);
    if (i < kCount)
        m_bold[i] = bBold;
}

void CSyntaxColors::Load(CProfileStore& store)
{
    if (store.GetProfileInt(kSection, "Count", 0) != kCount)
        return;
    for (int i = 0; i < kCount; ++i)
    {
        m_colors[i] = static_cast<COLORREF>(store.GetProfileInt(kSection, ValueName("Color", i + 1),
                                                                static_cast<int>(m_colors[i])));
        m_bold[i] = store.GetProfileInt(kSection, ValueName("Bold", i + 1), m_bold[i] ? 1 : 0) != 0;
    }
}

void CSyntaxColors::Save(CProfileStore& store) const
{
    store.WriteProfileInt(kSection, "Count", kCount);
    for (int i = 0; i < kCount; ++i)
    {
        store.WriteProfileInt(kSection, ValueName("Color", i + 1), static_cast<int>(m_colors[i]));
        store.WriteProfileInt(kSection, ValueName("Bold", i + 1), m_bold[i] ? 1 : 0);
    }
}

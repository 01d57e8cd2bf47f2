#include "hex/HexEditSettings.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/ProfileStore.h"

namespace
{
constexpr int kColorWindow = 5;
constexpr int kColorHighlight = 13;
constexpr int kColorButtonShadow = 16;

const char kAnsiFontEntry[] = "ANSIFont";
const char kOemFontEntry[] = "OEMFont";

bool ReadBool(CProfileStore& store, const char* entry, bool bDefault)
{
    return store.GetProfileInt(CHexEditSettings::kSection, entry, bDefault ? 1 : 0) != 0;
}

bool ParseInt(const std::string& field, long& value)
{
    if (field.empty())
    {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(field.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
    {
        return false;
    }
    value = v;
    return true;
}
} // namespace

// ---------------------------------------------------------------------------------------
// Colours

CHexColors::CHexColors()
{
    SetDefaultColors();
}

void CHexColors::SetDefaultColors()
{
    m_colors = {HexRgb(0, 0, 0), HexRgb(0, 0, 0), HexRgb(0, 128, 0), HexRgb(0, 0, 128),
                HexRgb(128, 0, 0)};
    // Printable ASCII black; tab, line feed and carriage return green; the upper printable
    // range of the ANSI code page dark blue; every other byte dark red.
    SetColorMap({{32, 126, 1},
                 {9, 10, 2},
                 {13, 13, 2},
                 {130, 140, 3},
                 {145, 156, 3},
                 {159, 255, 3},
                 {0, 255, 4}});
}

COLORREF CHexColors::GetByteColor(int nIndex) const
{
    return (nIndex >= 0 && nIndex < kColorCount) ? m_colors[static_cast<size_t>(nIndex)] : 0;
}

void CHexColors::SetByteColor(int nIndex, COLORREF color)
{
    if (nIndex >= 0 && nIndex < kColorCount)
    {
        m_colors[static_cast<size_t>(nIndex)] = color;
    }
}

void CHexColors::SetColorMap(std::vector<SHexColorMap> colorMap)
{
    m_colorMap = std::move(colorMap);
    m_byteColor.fill(0);
    for (auto it = m_colorMap.rbegin(); it != m_colorMap.rend(); ++it)
    {
        const uint8_t nColor = std::min<uint8_t>(it->m_nColor, kColorCount - 1);
        for (int b = it->m_nLow; b <= it->m_nHigh; ++b)
        {
            m_byteColor[static_cast<size_t>(b)] = nColor;
        }
    }
}

COLORREF CHexColors::GetBackgroundColor()
{
    return GetSysColor(kColorWindow);
}

COLORREF CHexColors::GetAddressColor()
{
    return GetSysColor(kColorButtonShadow);
}

COLORREF CHexColors::GetSelectedTextColor()
{
    return GetSysColor(kColorWindow);
}

COLORREF CHexColors::GetSelectionColor(bool bFocused)
{
    return bFocused ? GetSysColor(kColorHighlight) : kInactiveSelectionColor;
}

void CHexColors::LoadColors(CProfileStore& store)
{
    SetDefaultColors();
    // A table of another size was written by something else: none of it is trusted.
    if (store.GetProfileInt(kColorSection, "Count", 0) != kColorCount)
    {
        return;
    }
    for (int i = 0; i < kColorCount; ++i)
    {
        const std::string entry = "Color" + std::to_string(i + 1);
        m_colors[static_cast<size_t>(i)] = static_cast<COLORREF>(store.GetProfileInt(
            kColorSection, entry, static_cast<int>(m_colors[static_cast<size_t>(i)])));
    }
}

void CHexColors::SaveColors(CProfileStore& store) const
{
    store.WriteProfileInt(kColorSection, "Count", kColorCount);
    for (int i = 0; i < kColorCount; ++i)
    {
        store.WriteProfileInt(kColorSection, "Color" + std::to_string(i + 1),
                              static_cast<int>(m_colors[static_cast<size_t>(i)]));
    }
}

// ---------------------------------------------------------------------------------------
// Fonts

CHexFonts::CHexFonts() : m_ansiFont(DefaultAnsiFont()), m_oemFont(DefaultOemFont()) {}

SHexFont CHexFonts::DefaultAnsiFont()
{
    return SHexFont{"Courier New", 15, 400, false, kAnsiCharSet};
}

SHexFont CHexFonts::DefaultOemFont()
{
    return SHexFont{"Terminal", 16, 400, false, kOemCharSet};
}

void CHexFonts::SetAnsiFont(const SHexFont& font)
{
    m_ansiFont = font;
    m_ansiFont.m_nCharSet = kAnsiCharSet;
}

std::string CHexFonts::FormatFontValue(const SHexFont& font)
{
    return font.m_strFaceName + "|" + std::to_string(font.m_nHeight) + "|" +
           std::to_string(font.m_nWeight) + "|" + std::to_string(font.m_bItalic ? 1 : 0) + "|" +
           std::to_string(font.m_nCharSet);
}

bool CHexFonts::ParseFontValue(const std::string& value, const SHexFont& defaultFont,
                               SHexFont& font)
{
    std::vector<std::string> fields;
    size_t nStart = 0;
    for (;;)
    {
        const size_t nBar = value.find('|', nStart);
        fields.push_back(value.substr(nStart, nBar == std::string::npos ? nBar : nBar - nStart));
        if (nBar == std::string::npos)
        {
            break;
        }
        nStart = nBar + 1;
    }
    if (fields[0].empty())
    {
        font = defaultFont;
        return false;
    }
    // A field that is missing or not a number keeps the default font's value.
    const long defaults[3] = {defaultFont.m_nHeight, defaultFont.m_nWeight,
                              defaultFont.m_bItalic ? 1 : 0};
    long numbers[3];
    for (size_t i = 0; i < 3; ++i)
    {
        if (i + 1 >= fields.size() || !ParseInt(fields[i + 1], numbers[i]))
        {
            numbers[i] = defaults[i];
        }
    }
    font.m_strFaceName = fields[0];
    font.m_nHeight = static_cast<int32_t>(numbers[0]);
    font.m_nWeight = static_cast<int32_t>(numbers[1]);
    font.m_bItalic = numbers[2] != 0;
    font.m_nCharSet = defaultFont.m_nCharSet;
    return true;
}

void CHexFonts::LoadFonts(CProfileStore& store)
{
    ParseFontValue(store.GetProfileString(CHexEditSettings::kSection, kAnsiFontEntry, ""),
                   DefaultAnsiFont(), m_ansiFont);
    ParseFontValue(store.GetProfileString(CHexEditSettings::kSection, kOemFontEntry, ""),
                   DefaultOemFont(), m_oemFont);
}

void CHexFonts::SaveFonts(CProfileStore& store) const
{
    store.WriteProfileString(CHexEditSettings::kSection, kAnsiFontEntry,
                             FormatFontValue(m_ansiFont));
    store.WriteProfileString(CHexEditSettings::kSection, kOemFontEntry, FormatFontValue(m_oemFont));
}

// ---------------------------------------------------------------------------------------
// Settings

void CHexEditSettings::Load(CProfileStore& store)
{
    m_bShowUppercase = ReadBool(store, "ShowUppercase", true);
    m_bShowDecimalAddresses = ReadBool(store, "ShowDecimalAddresses", false);
    m_bShowCharacterArea = ReadBool(store, "ShowCharacterArea", true);
    m_nRowSize = store.GetProfileInt(kSection, "RowSize", 16);
    if (m_nRowSize < kMinRowSize || m_nRowSize > kMaxRowSize)
    {
        m_nRowSize = kMinRowSize;
    }
    m_nGroupSize = store.GetProfileInt(kSection, "GroupSize", 4);
    if (m_nGroupSize < kMinGroupSize)
    {
        m_nGroupSize = kMinGroupSize;
    }
    m_bBackupFile = ReadBool(store, "BackupFile", false);
    LoadColors(store);
    LoadFonts(store);
}

void CHexEditSettings::Save(CProfileStore& store) const
{
    store.WriteProfileInt(kSection, "ShowUppercase", m_bShowUppercase ? 1 : 0);
    store.WriteProfileInt(kSection, "ShowDecimalAddresses", m_bShowDecimalAddresses ? 1 : 0);
    store.WriteProfileInt(kSection, "ShowCharacterArea", m_bShowCharacterArea ? 1 : 0);
    store.WriteProfileInt(kSection, "RowSize", m_nRowSize);
    store.WriteProfileInt(kSection, "GroupSize", m_nGroupSize);
    store.WriteProfileInt(kSection, "BackupFile", m_bBackupFile ? 1 : 0);
    SaveColors(store);
    SaveFonts(store);
}

bool CHexEditSettings::AreValidSizes(int nRowSize, int nGroupSize)
{
    return nRowSize >= kMinRowSize && nRowSize <= kMaxRowSize && nGroupSize >= kMinGroupSize &&
           nGroupSize <= nRowSize;
}

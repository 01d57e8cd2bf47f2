#pragma once
// The hex editor's settings, byte colours and fonts of "HexEdit\Settings", read once at
// start-up and written back, all of them, at exit. Any stored switch other than 0 reads
// as true.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SystemColors.h"

class CProfileStore;

constexpr COLORREF HexRgb(int r, int g, int b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) |
           (static_cast<COLORREF>(b) << 16);
}

// One entry of the colour map: the bytes low..high (inclusive) get byte colour m_nColor.
struct SHexColorMap
{
    uint8_t m_nLow = 0;
    uint8_t m_nHigh = 0;
    uint8_t m_nColor = 0; // 0..4
};

// The five byte colours ("HexEdit\Settings\Colors": "Count" must read 5, then "Color1" ..
// "Color5"; any other count leaves the defaults) and the map from byte to colour, plus the
// fixed colours of the view.
class CHexColors
{
public:
    static constexpr int kColorCount = 5;
    static constexpr const char* kColorSection = "HexEdit\\Settings\\Colors";
    static constexpr COLORREF kBookmarkColor = HexRgb(255, 0, 0);
    static constexpr COLORREF kMatchColor = HexRgb(255, 255, 0);
    static constexpr COLORREF kInactiveSelectionColor = HexRgb(123, 153, 225);

    CHexColors();

    void SetDefaultColors();
    COLORREF GetByteColor(int nIndex) const;
    void SetByteColor(int nIndex, COLORREF color);
    // The colour a byte is drawn in.
    COLORREF GetColorOfByte(uint8_t nByte) const { return m_colors[m_byteColor[nByte]]; }
    uint8_t GetColorIndexOfByte(uint8_t nByte) const { return m_byteColor[nByte]; }

    const std::vector<SHexColorMap>& GetColorMap() const { return m_colorMap; }
    // Rebuilds the byte table: entries apply from the last to the first, so earlier ones
    // win; a byte that no entry names takes colour 0; indices above 4 count as 4.
    void SetColorMap(std::vector<SHexColorMap> colorMap);

    static COLORREF GetBackgroundColor();
    static COLORREF GetAddressColor();
    static COLORREF GetSelectedTextColor();
    static COLORREF GetSelectionColor(bool bFocused);

    void LoadColors(CProfileStore& store);
    void SaveColors(CProfileStore& store) const;

private:
    std::array<COLORREF, kColorCount> m_colors{};
    std::vector<SHexColorMap> m_colorMap;
    std::array<uint8_t, 256> m_byteColor{};
};

// A font as stored: "face|height|weight|italic|charset".
struct SHexFont
{
    std::string m_strFaceName;
    int32_t m_nHeight = 0; // cell height in pixels when positive, character height when negative
    int32_t m_nWeight = 400;
    bool m_bItalic = false;
    uint8_t m_nCharSet = 0;

    bool operator==(const SHexFont&) const = default;
};

// The ANSI font the views draw with, and the OEM font, which is only kept.
class CHexFonts
{
public:
    static constexpr uint8_t kAnsiCharSet = 0;
    static constexpr uint8_t kOemCharSet = 255;

    CHexFonts();

    static SHexFont DefaultAnsiFont();
    static SHexFont DefaultOemFont();
    const SHexFont& GetAnsiFont() const { return m_ansiFont; }
    void SetAnsiFont(const SHexFont& font);
    const SHexFont& GetOemFont() const { return m_oemFont; }

    static std::string FormatFontValue(const SHexFont& font);
    // False, and the default, for an empty value or face name. A stored font always gets
    // the character set of its role.
    static bool ParseFontValue(const std::string& value, const SHexFont& defaultFont,
                               SHexFont& font);

    void LoadFonts(CProfileStore& store);
    void SaveFonts(CProfileStore& store) const;

private:
    SHexFont m_ansiFont;
    SHexFont m_oemFont;
};

class CHexEditSettings : public CHexColors, public CHexFonts
{
public:
    static constexpr const char* kSection = "HexEdit\\Settings";
    static constexpr int kMinRowSize = 4;
    static constexpr int kMaxRowSize = 1024;
    static constexpr int kMinGroupSize = 2;

    bool m_bShowUppercase = true;
    bool m_bShowDecimalAddresses = false;
    bool m_bShowCharacterArea = true;
    int m_nRowSize = 16;
    int m_nGroupSize = 4;
    bool m_bBackupFile = false;

    // A stored row size outside 4..1024 becomes 4 (the smallest, not the nearest); a group
    // size below 2 becomes 2.
    void Load(CProfileStore& store);
    void Save(CProfileStore& store) const;

    // What the settings page accepts: row size 4..1024, group size at least 2 and not
    // above the row size.
    static bool AreValidSizes(int nRowSize, int nGroupSize);
};

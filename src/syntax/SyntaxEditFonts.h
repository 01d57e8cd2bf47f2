#pragma once
// The description of the text view's fonts: one base font and its four variants (normal,
// bold, italic, bold italic), plus the height of the margin font. The view makes the font
// objects from these descriptions; a variant it cannot make stays empty.
//
// Stored in "TextEdit\Settings": "Font" = "face|height|weight|italic|charset" (a missing
// numeric field reads as 14, 400, 0 and 1; an empty value or face gives the default font)
// and "MarginFontHeight".

#include <cstdint>
#include <string>

class CProfileStore;

struct SFontDescription
{
    std::string strFaceName; // at most 31 characters
    int32_t nHeight = 0;     // LOGFONT height: negative = character height in pixels
    int32_t nWeight = 400;
    bool bItalic = false;
    uint8_t nCharSet = 1;

    bool operator==(const SFontDescription&) const = default;
};

class CSyntaxEditFonts
{
public:
    static constexpr const char* kSection = "TextEdit\\Settings";
    static constexpr size_t kMaxFaceLength = 31;

    explicit CSyntaxEditFonts(int nLogPixelsY = 96);

    // "Courier New", 12 points, weight 400, character set 1; margin font 8 points.
    void SetDefaults();
    static SFontDescription DefaultFont(int nLogPixelsY);

    const SFontDescription& GetBaseFont() const { return m_base; }
    void SetBaseFont(const SFontDescription& font);
    int32_t GetMarginFontHeight() const { return m_nMarginFontHeight; }
    void SetMarginFontHeight(int32_t nHeight) { m_nMarginFontHeight = nHeight; }
    int GetLogPixelsY() const { return m_nLogPixelsY; }

    // 2 x italic + bold.
    static int VariantIndex(bool bBold, bool bItalic)
    {
        return (bItalic ? 2 : 0) + (bBold ? 1 : 0);
    }
    // The font of a variant. Bold (weight 700) and italic are applied only to faces whose
    // name begins with "Courier" (any case); other faces keep weight 400 and no italic in
    // their bold and italic variants, so the character cells of every variant stay alike.
    SFontDescription GetVariant(int nIndex) const;

    // The "Font" value of the current base font, and its reading (false and the default
    // font for an empty value or face name).
    std::string FormatFontValue() const;
    bool ParseFontValue(const std::string& value);

    void Load(CProfileStore& store);
    void Save(CProfileStore& store) const;

private:
    int m_nLogPixelsY;
    SFontDescription m_base;
    int32_t m_nMarginFontHeight = 0;
};

#include "syntax/SyntaxEditFonts.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/ProfileStore.h"

namespace
{
// Points to a LOGFONT height at the given resolution, rounded as the system does.
int32_t PointsToHeight(int points, int nLogPixelsY)
{
    const long long v = static_cast<long long>(points) * nLogPixelsY;
    return -static_cast<int32_t>((v + 36) / 72);
}

bool ParseInt(const std::string& field, long* value)
{
    if (field.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(field.c_str(), &end, 10);
    if (errno != 0 || end == field.c_str() || *end != '\0' || v < INT32_MIN || v > INT32_MAX)
        return false;
    *value = v;
    return true;
}

bool StartsWithCourier(const std::string& face)
{
    static const char kCourier[] = "courier";
    if (face.size() < 7)
        return false;
    for (size_t i = 0; i < 7; ++i)
    {
        char c = face[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != kCourier[i])
            return false;
    }
    return true;
}
} // namespace

CSyntaxEditFonts::CSyntaxEditFonts(int nLogPixelsY)
    : m_nLogPixelsY(nLogPixelsY > 0 ? nLogPixelsY : 96)
{
    SetDefaults();
}

SFontDescription CSyntaxEditFonts::DefaultFont(int nLogPixelsY)
{
    SFontDescription font;
    font.strFaceName = "Courier New";
    font.nHeight = PointsToHeight(12, nLogPixelsY);
    font.nWeight = 400;
    font.bItalic = false;
    font.nCharSet = 1;
    return font;
}

void CSyntaxEditFonts::SetDefaults()
{
    m_base = DefaultFont(m_nLogPixelsY);
    m_nMarginFontHeight = PointsToHeight(8, m_nLogPixelsY);
}

void CSyntaxEditFonts::SetBaseFont(const SFontDescription& font)
{
    m_base = font;
    if (m_base.strFaceName.size() > kMaxFaceLength)
        m_base.strFaceName.resize(kMaxFaceLength);
}

SFontDescription CSyntaxEditFonts::GetVariant(int nIndex) const
{
    SFontDescription font = m_base;
    if (nIndex <= 0 || nIndex > 3)
        return font;
    if (StartsWithCourier(font.strFaceName))
    {
        if (nIndex & 1)
            font.nWeight = 700;
        if (nIndex & 2)
            font.bItalic = true;
    }
    else
    {
        font.nWeight = 400;
        font.bItalic = false;
    }
    return font;
}

std::string CSyntaxEditFonts::FormatFontValue() const
{
    return m_base.strFaceName + "|" + std::to_string(m_base.nHeight) + "|" +
           std::to_string(m_base.nWeight) + "|" + std::to_string(m_base.bItalic ? 1 : 0) + "|" +
           std::to_string(m_base.nCharSet);
}

bool CSyntaxEditFonts::ParseFontValue(const std::string& value)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;)
    {
        const size_t bar = value.find('|', start);
        fields.push_back(
            value.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    if (value.empty() || fields[0].empty())
    {
        m_base = DefaultFont(m_nLogPixelsY);
        return false;
    }
    // A field that is missing or not a number takes its default.
    const long defaults[4] = {14, 400, 0, 1};
    long numbers[4];
    for (int i = 0; i < 4; ++i)
    {
        if (static_cast<size_t>(i + 1) >= fields.size() || !ParseInt(fields[i + 1], &numbers[i]))
            numbers[i] = defaults[i];
    }
    SFontDescription font;
    font.strFaceName = fields[0];
    font.nHeight = static_cast<int32_t>(numbers[0]);
    font.nWeight = static_cast<int32_t>(numbers[1]);
    font.bItalic = numbers[2] != 0;
    font.nCharSet = (numbers[3] >= 0 && numbers[3] <= 255) ? static_cast<uint8_t>(numbers[3]) : 1;
    SetBaseFont(font);
    return true;
}

void CSyntaxEditFonts::Load(CProfileStore& store)
{
    ParseFontValue(store.GetProfileString(kSection, "Font", ""));
    m_nMarginFontHeight = store.GetProfileInt(kSection, "MarginFontHeight", m_nMarginFontHeight);
}

void CSyntaxEditFonts::Save(CProfileStore& store) const
{
    store.WriteProfileString(kSection, "Font", FormatFontValue());
    store.WriteProfileInt(kSection, "MarginFontHeight", m_nMarginFontHeight);
}

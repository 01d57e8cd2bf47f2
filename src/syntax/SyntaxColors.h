#pragma once
// The colour table of the text view: 20 colours (COLORREF 0x00BBGGRR) and bold flags,
// indexed by the colour classes parsers write (see SyntaxParser.h). Saved under
// "TextEdit\Settings\Colors" as "Count" = 20 and "Color1".."Color20", "Bold1".."Bold20"
// ("Color1" is index 0); a stored table whose "Count" is not 20 is ignored as a whole.

#include <cstdint>

#include "platform/SystemColors.h"

class CProfileStore;

class CSyntaxColors
{
public:
    static constexpr int kCount = 20;
    static constexpr const char* kSection = "TextEdit\\Settings\\Colors";

    CSyntaxColors();

    // The built-in colours; the system colours are read at the time of the call.
    void SetDefaults();

    // The index is masked by 0x7FFFFFFF (the view marks its own runs with the high bit);
    // an index past the table gives black, not bold.
    COLORREF GetColor(int32_t nIndex) const;
    bool GetBold(int32_t nIndex) const;
    void SetColor(int32_t nIndex, COLORREF color);
    void SetBold(int32_t nIndex, bool bBold);

    void Load(CProfileStore& store);
    void Save(CProfileStore& store) const;

private:
    COLORREF m_colors[kCount] = {};
    bool m_bold[kCount] = {};
};

// Colours, fonts and the module that owns them with the parsers.

#include <gtest/gtest.h>

#include "platform/ProfileStore.h"
#include "platform/SystemColors.h"
#include "syntax/TextEditModule.h"

namespace
{
TEST(SyntaxColors, DefaultsTakeSystemColoursAtTheTimeTheyAreMade)
{
    SetSysColor(5, 0x123456);
    CSyntaxColors colors;
    ResetSysColors();
    EXPECT_EQ(colors.GetColor(1), 0x123456u);
    EXPECT_EQ(colors.GetColor(2), 0x123456u);
    EXPECT_EQ(colors.GetColor(9), 0xFF0000u);
    EXPECT_TRUE(colors.GetBold(9));
    EXPECT_FALSE(colors.GetBold(10));
    EXPECT_EQ(colors.GetColor(19), 0xC08000u);
    // The view's marker bit is ignored; indices past the table give black.
    EXPECT_EQ(colors.GetColor(static_cast<int32_t>(0x80000000u | 12)), 0x0000FFu);
    EXPECT_EQ(colors.GetColor(20), 0u);
    EXPECT_FALSE(colors.GetBold(-1));
}

TEST(SyntaxColors, SaveAndLoadRoundTripUnderOneSection)
{
    CMemoryProfileStore store;
    CSyntaxColors colors;
    colors.SetColor(3, 0x0A0B0C);
    colors.SetBold(11, true);
    colors.SetColor(14, 0xFFFFFFFF); // the full DWORD range survives
    colors.Save(store);
    EXPECT_EQ(store.CountValues(CSyntaxColors::kSection), 41);
    EXPECT_EQ(store.GetProfileInt(CSyntaxColors::kSection, "Color4", 0), 0x0A0B0C);
    EXPECT_EQ(store.GetProfileInt(CSyntaxColors::kSection, "Bold12", 0), 1);

    CSyntaxColors loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.GetColor(3), 0x0A0B0Cu);
    EXPECT_TRUE(loaded.GetBold(11));
    EXPECT_EQ(loaded.GetColor(14), 0xFFFFFFFFu);
}

TEST(SyntaxColors, TableIsIgnoredWhenCountIsNotTwenty)
{
    CMemoryProfileStore store;
    store.WriteProfileInt(CSyntaxColors::kSection, "Count", 19);
    store.WriteProfileInt(CSyntaxColors::kSection, "Color10", 0x111111);
    CSyntaxColors colors;
    colors.Load(store);
    EXPECT_EQ(colors.GetColor(9), 0xFF0000u);

    // With the right count, missing values keep their current entry.
    store.WriteProfileInt(CSyntaxColors::kSection, "Count", 20);
    colors.Load(store);
    EXPECT_EQ(colors.GetColor(9), 0x111111u);
    EXPECT_EQ(colors.GetColor(11), 0x008000u);
}

TEST(SyntaxEditFonts, DefaultsAndVariants)
{
    CSyntaxEditFonts fonts(96);
    EXPECT_EQ(fonts.GetBaseFont().strFaceName, "Courier New");
    EXPECT_EQ(fonts.GetBaseFont().nHeight, -16);
    EXPECT_EQ(fonts.GetBaseFont().nWeight, 400);
    EXPECT_EQ(fonts.GetBaseFont().nCharSet, 1);
    EXPECT_EQ(fonts.GetMarginFontHeight(), -11);
    EXPECT_EQ(CSyntaxEditFonts::VariantIndex(true, true), 3);
    EXPECT_EQ(fonts.GetVariant(1).nWeight, 700);
    EXPECT_FALSE(fonts.GetVariant(1).bItalic);
    EXPECT_TRUE(fonts.GetVariant(2).bItalic);
    EXPECT_EQ(fonts.GetVariant(2).nWeight, 400);

    SFontDescription lucida = fonts.GetBaseFont();
    lucida.strFaceName = "Lucida Console";
    lucida.nWeight = 300;
    fonts.SetBaseFont(lucida);
    EXPECT_EQ(fonts.GetVariant(0).nWeight, 300);
    EXPECT_EQ(fonts.GetVariant(3).nWeight, 400);
    EXPECT_FALSE(fonts.GetVariant(3).bItalic);

    lucida.strFaceName = "COURIER";
    fonts.SetBaseFont(lucida);
    EXPECT_EQ(fonts.GetVariant(3).nWeight, 700);
    EXPECT_TRUE(fonts.GetVariant(3).bItalic);
}

TEST(SyntaxEditFonts, FontValueRoundTripsAndFillsMissingFields)
{
    CSyntaxEditFonts fonts(96);
    EXPECT_TRUE(fonts.ParseFontValue("Consolas|-13|700|1|0"));
    EXPECT_EQ(fonts.FormatFontValue(), "Consolas|-13|700|1|0");

    EXPECT_TRUE(fonts.ParseFontValue("Consolas"));
    EXPECT_EQ(fonts.FormatFontValue(), "Consolas|14|400|0|1");
    EXPECT_TRUE(fonts.ParseFontValue("Consolas|-20|abc||"));
    EXPECT_EQ(fonts.FormatFontValue(), "Consolas|-20|400|0|1");
    EXPECT_TRUE(fonts.ParseFontValue("A very long face name that cannot fit|-12"));
    EXPECT_EQ(fonts.GetBaseFont().strFaceName.size(), CSyntaxEditFonts::kMaxFaceLength);

    EXPECT_FALSE(fonts.ParseFontValue(""));
    EXPECT_EQ(fonts.GetBaseFont(), CSyntaxEditFonts::DefaultFont(96));
    EXPECT_FALSE(fonts.ParseFontValue("|-13|700|1|0"));
    EXPECT_EQ(fonts.GetBaseFont(), CSyntaxEditFonts::DefaultFont(96));

    CMemoryProfileStore store;
    fonts.ParseFontValue("Consolas|-13|700|1|0");
    fonts.SetMarginFontHeight(-9);
    fonts.Save(store);
    CSyntaxEditFonts loaded(96);
    loaded.Load(store);
    EXPECT_EQ(loaded.GetBaseFont(), fonts.GetBaseFont());
    EXPECT_EQ(loaded.GetMarginFontHeight(), -9);
}

TEST(TextEditModule, StartRegistersTheFactoryAndStopSavesTheSettings)
{
    CMemoryProfileStore store;
    {
        CTarvoTextEditModule module(96);
        ASSERT_TRUE(module.Start(store));
        EXPECT_EQ(CTarvoTextEditModule::GetInstance(), &module);
        ASSERT_NE(GetTextParserLookup(), nullptr);
        EXPECT_EQ(GetTextParserLookup()->FindParserById(4), module.GetFactory().FindById(4));
        SyntaxRun* runs = module.GetRunScratch(2000);
        ASSERT_NE(runs, nullptr);
        EXPECT_GE(module.GetRunScratchCapacity(), 3 * 2001);
        EXPECT_EQ(module.GetRunScratchCapacity() % 1024, 0);
        module.GetColors().SetColor(3, 0x010203);
        module.Stop(store);
        EXPECT_EQ(GetTextParserLookup(), nullptr);
        EXPECT_EQ(module.GetFactory().GetCount(), 0);
    }
    EXPECT_EQ(CTarvoTextEditModule::GetInstance(), nullptr);
    EXPECT_EQ(store.GetProfileInt(CSyntaxColors::kSection, "Color4", 0), 0x010203);
    EXPECT_FALSE(store.GetProfileString(CSyntaxEditFonts::kSection, "Font", "").empty());

    // A module destroyed without Stop still unregisters itself.
    {
        CTarvoTextEditModule module(96);
        ASSERT_TRUE(module.Start(store));
        EXPECT_EQ(module.GetColors().GetColor(3), 0x010203u);
    }
    EXPECT_EQ(GetTextParserLookup(), nullptr);
}
} // namespace

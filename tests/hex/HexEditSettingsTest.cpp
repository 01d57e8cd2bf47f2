// The hex settings, colours and fonts as they are read from and written to the profile.

#include <gtest/gtest.h>

#include "hex/HexEditSettings.h"
#include "platform/ProfileStore.h"

TEST(HexSettings, StoredSizesOutsideTheirLimitsFallBackToTheSmallest)
{
    CMemoryProfileStore store;
    store.WriteProfileInt("HexEdit\\Settings", "RowSize", 2000);
    store.WriteProfileInt("HexEdit\\Settings", "GroupSize", 1);
    store.WriteProfileInt("HexEdit\\Settings", "ShowUppercase", 7);
    CHexEditSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.m_nRowSize, 4); // not 1024
    EXPECT_EQ(settings.m_nGroupSize, 2);
    EXPECT_TRUE(settings.m_bShowUppercase);

    store.WriteProfileInt("HexEdit\\Settings", "RowSize", 1024);
    settings.Load(store);
    EXPECT_EQ(settings.m_nRowSize, 1024);
    store.WriteProfileInt("HexEdit\\Settings", "RowSize", 3);
    settings.Load(store);
    EXPECT_EQ(settings.m_nRowSize, 4);

    EXPECT_TRUE(CHexEditSettings::AreValidSizes(16, 16));
    EXPECT_FALSE(CHexEditSettings::AreValidSizes(8, 16));
    EXPECT_FALSE(CHexEditSettings::AreValidSizes(3, 2));
}

TEST(HexSettings, EverySettingRoundTripsAndDefaultsAreWritten)
{
    CMemoryProfileStore store;
    CHexEditSettings settings;
    settings.Load(store);
    EXPECT_EQ(settings.m_nRowSize, 16);
    EXPECT_EQ(settings.m_nGroupSize, 4);
    EXPECT_TRUE(settings.m_bShowCharacterArea);
    EXPECT_FALSE(settings.m_bBackupFile);
    settings.m_bShowUppercase = false;
    settings.m_bShowDecimalAddresses = true;
    settings.m_bBackupFile = true;
    settings.m_nRowSize = 32;
    settings.SetByteColor(2, HexRgb(1, 2, 3));
    SHexFont font{"DejaVu Sans Mono", -13, 700, true, 0};
    settings.SetAnsiFont(font);
    settings.Save(store);
    EXPECT_EQ(store.GetProfileString("HexEdit\\Settings", "ANSIFont", ""),
              "DejaVu Sans Mono|-13|700|1|0");
    EXPECT_EQ(store.GetProfileString("HexEdit\\Settings", "OEMFont", ""), "Terminal|16|400|0|255");
    EXPECT_EQ(store.GetProfileInt("HexEdit\\Settings\\Colors", "Count", 0), 5);

    CHexEditSettings back;
    back.Load(store);
    EXPECT_FALSE(back.m_bShowUppercase);
    EXPECT_TRUE(back.m_bShowDecimalAddresses);
    EXPECT_TRUE(back.m_bBackupFile);
    EXPECT_EQ(back.m_nRowSize, 32);
    EXPECT_EQ(back.GetByteColor(2), HexRgb(1, 2, 3));
    EXPECT_EQ(back.GetAnsiFont(), font);
}

TEST(HexSettings, ColoursOfAnotherCountAreIgnoredAsAWhole)
{
    CMemoryProfileStore store;
    store.WriteProfileInt("HexEdit\\Settings\\Colors", "Count", 4);
    store.WriteProfileInt("HexEdit\\Settings\\Colors", "Color1", 0x123456);
    CHexColors colors;
    colors.LoadColors(store);
    EXPECT_EQ(colors.GetByteColor(0), HexRgb(0, 0, 0));
    store.WriteProfileInt("HexEdit\\Settings\\Colors", "Count", 5);
    colors.LoadColors(store);
    EXPECT_EQ(colors.GetByteColor(0), 0x123456u);
}

TEST(HexSettings, ColourMapEarlierEntriesWin)
{
    const CHexColors colors;
    EXPECT_EQ(colors.GetColorIndexOfByte('A'), 1);
    EXPECT_EQ(colors.GetColorIndexOfByte(' '), 1);
    EXPECT_EQ(colors.GetColorIndexOfByte('\t'), 2);
    EXPECT_EQ(colors.GetColorIndexOfByte('\r'), 2);
    EXPECT_EQ(colors.GetColorIndexOfByte(11), 4);
    EXPECT_EQ(colors.GetColorIndexOfByte(127), 4);
    EXPECT_EQ(colors.GetColorIndexOfByte(130), 3);
    EXPECT_EQ(colors.GetColorIndexOfByte(141), 4);
    EXPECT_EQ(colors.GetColorIndexOfByte(255), 3);
    EXPECT_EQ(colors.GetColorOfByte('\n'), HexRgb(0, 128, 0));
    EXPECT_EQ(colors.GetColorOfByte(0), HexRgb(128, 0, 0));
}

TEST(HexSettings, FontValuesMissingOrDamaged)
{
    SHexFont font;
    EXPECT_FALSE(CHexFonts::ParseFontValue("", CHexFonts::DefaultAnsiFont(), font));
    EXPECT_EQ(font, CHexFonts::DefaultAnsiFont());
    EXPECT_FALSE(CHexFonts::ParseFontValue("|12|400|0|0", CHexFonts::DefaultAnsiFont(), font));
    // A stored character set is never trusted: the role decides.
    EXPECT_TRUE(CHexFonts::ParseFontValue("Mono|x|500|0|2", CHexFonts::DefaultOemFont(), font));
    EXPECT_EQ(font.m_strFaceName, "Mono");
    EXPECT_EQ(font.m_nHeight, 16);
    EXPECT_EQ(font.m_nWeight, 500);
    EXPECT_EQ(font.m_nCharSet, CHexFonts::kOemCharSet);
}

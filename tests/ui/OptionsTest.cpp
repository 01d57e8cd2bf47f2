// The "Options" values without the sheet: read out of their owners, written back, what
// counts as a change and which hooks that calls; the page rules.

#include <gtest/gtest.h>

#include <vector>

#include "app/AppSettings.h"
#include "hex/HexEditSettings.h"
#include "platform/ProfileStore.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParser.h"
#include "syntax/TextEditModule.h"
#include "ui/Options.h"

namespace
{
struct OptionsFixture : ::testing::Test
{
    CMemoryProfileStore store;
    CAppSettings settings;
    CTarvoTextEditModule module{96};
    SOptionsContext context;
    std::vector<std::string> calls;
    SHexOptions hex;
    int nCodePageBefore = 0;

    void SetUp() override
    {
        nCodePageBefore = GetTextCodePage();
        ASSERT_TRUE(module.Start(store));
        SOptionsHooks& h = context.hooks;
        h.updateTitles = [this]() { calls.push_back("titles"); };
        h.applyFileWatch = [this](bool b) { calls.push_back(b ? "watch on" : "watch off"); };
        h.applyTabbed = [this](bool b) { calls.push_back(b ? "tabbed" : "windowed"); };
        h.applyTabSettings = [this](const STabOptions& t)
        { calls.push_back("tabs " + std::to_string(t.nTabSize)); };
        h.applyTextDisplay = [this]() { calls.push_back("display"); };
        h.applyHexLayout = [this]() { calls.push_back("hex layout"); };
        h.readHexOptions = [this]() { return hex; };
        h.writeHexOptions = [this](const SHexOptions& o) { hex = o; };
    }
    void TearDown() override
    {
        module.Stop(store);
        SetTextCodePage(nCodePageBefore);
    }
    SOptionsChanges Write(const SOptionsValues& v)
    {
        SOptionsChanges c = WriteOptions(v, settings, &module, context);
        ApplyOptionChanges(c, v, context);
        return c;
    }
};
} // namespace

TEST_F(OptionsFixture, UnchangedValuesChangeNothingAndCallNoHook)
{
    const SOptionsValues v = ReadOptions(settings, &module, context);
    EXPECT_TRUE(v.bHexAvailable);
    EXPECT_FALSE(Write(v).Any());
    EXPECT_TRUE(calls.empty());
}

TEST_F(OptionsFixture, EachChangeReachesItsOwnerAndCallsOnlyItsHook)
{
    SOptionsValues v = ReadOptions(settings, &module, context);
    v.bShowLongTitle = true;
    v.bFileWatch = false;
    v.bTabbedDocuments = false;
    v.bEscToClose = false;
    v.tabs.nTabSize = 8;
    Write(v);
    EXPECT_TRUE(settings.m_bShowLongTitle);
    EXPECT_FALSE(settings.m_bFileWatch);
    EXPECT_FALSE(settings.m_bTabbedDocuments);
    EXPECT_FALSE(settings.m_bEscToClose);
    EXPECT_EQ(context.tabs.nTabSize, 8);
    EXPECT_EQ(calls, (std::vector<std::string>{"windowed", "titles", "watch off", "tabs 8"}));

    calls.clear();
    v = ReadOptions(settings, &module, context);
    v.display.m_bShowWhitespace = true;
    v.hex.nRowSize = 32;
    Write(v);
    EXPECT_TRUE(module.GetSettings().m_bShowWhitespace);
    EXPECT_EQ(hex.nRowSize, 32);
    EXPECT_EQ(calls, (std::vector<std::string>{"display", "hex layout"}));

    // The backup switch is stored but lays nothing out again.
    calls.clear();
    v = ReadOptions(settings, &module, context);
    v.hex.bBackupFile = true;
    EXPECT_TRUE(Write(v).bHexOther);
    EXPECT_TRUE(hex.bBackupFile);
    EXPECT_TRUE(calls.empty());
}

TEST_F(OptionsFixture, ColoursFontAndDefaultCodePage)
{
    SOptionsValues v = ReadOptions(settings, &module, context);
    // Item 0 is the background: classes 1 and 2 together.
    SetItemColor(v.colors, 0, 0x123456);
    v.colors.SetBold(kSyntaxColorComment, true);
    v.font.strFaceName = "DejaVu Sans Mono";
    v.font.nHeight = FontHeightOfPoints(10, v.nLogPixelsY);
    const int nNewCodePage = GetTextCodePage() == 1252 ? 65001 : 1252;
    v.nDefaultCodePage = nNewCodePage;
    const int nInMemory = GetTextCodePage();
    const SOptionsChanges c = Write(v);
    EXPECT_TRUE(c.bTextDisplay);
    EXPECT_TRUE(c.bDefaultCodePage);
    EXPECT_EQ(module.GetColors().GetColor(1), 0x123456u);
    EXPECT_EQ(module.GetColors().GetColor(kSyntaxColorBackground), 0x123456u);
    EXPECT_TRUE(module.GetColors().GetBold(kSyntaxColorComment));
    EXPECT_EQ(module.GetFonts().GetBaseFont().strFaceName, "DejaVu Sans Mono");
    EXPECT_EQ(module.GetFonts().GetBaseFont().nHeight, -13);
    // Stored for the next start; text already in memory keeps its code page.
    EXPECT_EQ(module.GetSettings().m_nDefaultCodePage, nNewCodePage);
    EXPECT_EQ(GetTextCodePage(), nInMemory);
    module.GetSettings().Save(store);
    EXPECT_EQ(store.GetProfileInt("TextEdit\\Settings", "DefaultCodePage", 0), nNewCodePage);
}

TEST_F(OptionsFixture, WithoutHexOwnerTheHexValuesAreNotOffered)
{
    context.hooks.readHexOptions = nullptr;
    SOptionsValues v = ReadOptions(settings, &module, context);
    EXPECT_FALSE(v.bHexAvailable);
    v.hex.nRowSize = 64;
    EXPECT_FALSE(Write(v).bHexLayout);
    EXPECT_EQ(hex.nRowSize, 16);
}

TEST(OptionsRules, HexSizesAndFontPoints)
{
    EXPECT_TRUE(CHexEditSettings::AreValidSizes(4, 2));
    EXPECT_TRUE(CHexEditSettings::AreValidSizes(1024, 1024));
    EXPECT_FALSE(CHexEditSettings::AreValidSizes(3, 2));
    EXPECT_FALSE(CHexEditSettings::AreValidSizes(1025, 4));
    EXPECT_FALSE(CHexEditSettings::AreValidSizes(16, 1));
    EXPECT_FALSE(CHexEditSettings::AreValidSizes(8, 16));

    // 12 points at 96 dpi is 16 pixels; the stored height is negative (character height).
    EXPECT_EQ(FontHeightOfPoints(12, 96), -16);
    EXPECT_EQ(FontPointsOfHeight(-16, 96), 12);
    EXPECT_EQ(FontPointsOfHeight(16, 96), 12);
    for (int points = 4; points <= 72; ++points)
        EXPECT_EQ(FontPointsOfHeight(FontHeightOfPoints(points, 120), 120), points) << points;
    EXPECT_EQ(FontPointsOfHeight(-16, 0), 12); // no resolution known: 96
}

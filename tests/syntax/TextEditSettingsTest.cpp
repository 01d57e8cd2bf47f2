#include <gtest/gtest.h>

#include "platform/ProfileStore.h"
#include "platform/SystemInfo.h"
#include "syntax/TextEditModule.h"
#include "syntax/TextEditSettings.h"

TEST(TextEditSettings, DefaultsFollowTheSystemAndEveryValueIsWritten)
{
    SetAnsiCodePage(1252);
    CMemoryProfileStore store;
    CTextEditSettings settings;
    settings.Load(store);
    EXPECT_TRUE(settings.m_bShowLineNumbers);
    EXPECT_FALSE(settings.m_bWrapLines);
    EXPECT_EQ(settings.m_nDefaultCodePage, 1252);
    settings.Save(store);
    EXPECT_EQ(store.CountValues("TextEdit\\Settings"), 9);
    EXPECT_EQ(store.GetProfileInt("TextEdit\\Settings", "DefaultCodePage", 0), 1252);
    SetAnsiCodePage(0);
}

TEST(TextEditSettings, ModuleStartAppliesTheCodePageAndStopWritesSettingsColoursAndFont)
{
    SetAnsiCodePage(1252);
    CMemoryProfileStore store;
    store.WriteProfileInt("TextEdit\\Settings", "DefaultCodePage", 932);
    store.WriteProfileInt("TextEdit\\Settings", "WrapLines", 5); // any non-zero is on
    {
        CTarvoTextEditModule module;
        ASSERT_TRUE(module.Start(store));
        EXPECT_EQ(GetTextCodePage(), 932);
        EXPECT_TRUE(module.GetSettings().m_bWrapLines);
        module.Stop(store);
    }
    EXPECT_EQ(store.GetProfileInt("TextEdit\\Settings", "WrapLines", 0), 1);
    EXPECT_EQ(store.GetProfileInt("TextEdit\\Settings\\Colors", "Count", 0), 20);
    EXPECT_TRUE(store.HasValue("TextEdit\\Settings", "Font"));
    SetTextCodePage(0);
    SetAnsiCodePage(0);
}

#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "app/RecentStringList.h"
#include "platform/ProfileStore.h"
#include "platform/SystemInfo.h"

TEST(AppSettings, DefaultsWithAnEmptyStore)
{
    CMemoryProfileStore store;
    CAppSettings s;
    s.m_bWindowMaximized = false;
    s.Load(store);
    EXPECT_TRUE(s.m_bWindowMaximized);
    EXPECT_FALSE(s.HasStoredPlacement());
    EXPECT_EQ(s.m_nNavigateBarWidth, 320);
    EXPECT_FALSE(s.m_bShowOutputBar);
    EXPECT_EQ(s.m_nMaxFiles, 1000);
    EXPECT_EQ(s.m_nPageMarginTop, 500);
}

TEST(AppSettings, EveryValueIsWrittenAtExit)
{
    CMemoryProfileStore store;
    CAppSettings s;
    s.Load(store);
    s.Save(store);
    for (const char* name :
         {"FileWatch", "ShowLongTitle", "TabbedDocuments", "ShowMenuBar", "ShowStandardToolBar",
          "ShowFindToolBar", "ShowNavigateBar", "ShowOutputBar", "ShowStatusBar", "ShowShellPage",
          "ShowHistoryPage", "ActiveNavigatePage", "ActiveOutputPage", "MaxFiles", "WindowPosX",
          "WindowPosY", "WindowSizeCX", "WindowSizeCY", "WindowMaximized", "WindowFullScreen",
          "NavigateBarWidth", "OutputBarHeight", "EscToClose"})
        EXPECT_TRUE(store.HasValue("Settings", name)) << name;
    EXPECT_TRUE(store.HasValue("Integration\\Shell", "Cascaded"));
    EXPECT_TRUE(store.HasValue("Integration\\Shell", "Background"));
    EXPECT_EQ(store.GetProfileInt("Settings", "WindowMaximized", -5), 1);
}

TEST(AppSettings, RoundTripAndNonZeroBooleans)
{
    CMemoryProfileStore store;
    store.WriteProfileInt("Settings", "ShowLongTitle", 7); // any non-zero value is true
    store.WriteProfileInt("Settings", "WindowMaximized", 0);
    store.WriteProfileInt("Settings", "WindowPosX", 10);
    CAppSettings s;
    s.Load(store);
    EXPECT_TRUE(s.m_bShowLongTitle);
    EXPECT_TRUE(s.HasStoredPlacement());
    s.m_nOutputBarHeight = 99;
    s.Save(store);
    EXPECT_EQ(store.GetProfileInt("Settings", "ShowLongTitle", -1), 1);
    CAppSettings t;
    t.Load(store);
    EXPECT_EQ(t.m_nOutputBarHeight, 99);
    EXPECT_EQ(t.m_nWindowPosX, 10);
}

TEST(AppSettings, MaxFilesRange)
{
    CMemoryProfileStore store;
    CAppSettings s;
    for (auto [stored, expected] : {std::pair{10, 10}, {0, 0}, {15, 15}, {16, 1000}, {-1, 1000}, {999, 1000}})
    {
        store.WriteProfileInt("Settings", "MaxFiles", stored);
        s.Load(store);
        EXPECT_EQ(s.m_nMaxFiles, expected) << stored;
    }
    s.m_nMaxFiles = 42; // replaced on write too
    s.Save(store);
    EXPECT_EQ(store.GetProfileInt("Settings", "MaxFiles", 0), 1000);
}

TEST(RecentStringList, AddMovesEqualEntryIgnoringCaseToTheFront)
{
    CRecentStringList list("Recent\\Test", "%02d", 10);
    list.Add("y");
    list.Add("ABC");
    list.Add("x");
    list.Add("abc");
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(0), "abc");
    EXPECT_EQ(list.GetAt(1), "x");
    EXPECT_EQ(list.GetAt(2), "y");
    list.Add("   \t ");
    EXPECT_EQ(list.GetCount(), 3);
    list.Add("  padded  ");
    EXPECT_EQ(list.GetAt(0), "padded");
}

TEST(RecentStringList, KeepsTheMaximumAndRemovesByIndex)
{
    CRecentStringList list("S", "%02d", 3);
    for (const char* s : {"1", "2", "3", "4"})
        list.Add(s);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(2), "2");
    list.Remove(5);
    list.Remove(-1);
    EXPECT_EQ(list.GetCount(), 3);
    list.Remove(0);
    EXPECT_EQ(list.GetAt(0), "3");
}

TEST(RecentStringList, DoubleByteTrailBytesAreNotCaseFolded)
{
    SetAnsiCodePage(932);
    // 0x82 0x61 and 0x82 0x41 are two different characters whose trail bytes look like
    // "a" and "A"; they must not be taken as equal.
    CRecentStringList list("S", "%02d", 10);
    list.Add("\x82\x61");
    list.Add("\x82\x41");
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_TRUE(EqualNoCaseMultibyte("Ab\x82\x61", "aB\x82\x61", 932));
    SetAnsiCodePage(0);
}

TEST(RecentStringList, SaveReplacesTheWholeSection)
{
    CMemoryProfileStore store;
    for (int i = 1; i <= 5; ++i)
        store.WriteProfileString("Recent\\Find", (i < 10 ? "0" : "") + std::to_string(i),
                                 "old" + std::to_string(i));
    CRecentStringList list("Recent\\Find", "%02d", 20);
    list.Load(store);
    ASSERT_EQ(list.GetCount(), 5);
    list.Remove(4);
    list.Remove(0);
    list.Remove(0);
    list.Save(store);
    EXPECT_EQ(store.CountValues("Recent\\Find"), 2);
    EXPECT_EQ(store.GetProfileString("Recent\\Find", "01", ""), "old3");
    EXPECT_FALSE(store.HasValue("Recent\\Find", "03"));
}

TEST(RecentStringList, LoadSkipsGapsAndBlanksAndDoesNothingWithoutSection)
{
    CMemoryProfileStore store;
    store.WriteProfileString("R", "01", " a ");
    store.WriteProfileString("R", "03", "   ");
    store.WriteProfileString("R", "04", "b");
    CRecentStringList list("R", "%02d", 4);
    list.Load(store);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0), "a");
    EXPECT_EQ(list.GetAt(1), "b");

    CRecentStringList noSection("", "%02d", 4);
    noSection.Add("x");
    noSection.Save(store);
    noSection.Load(store);
    EXPECT_EQ(noSection.GetCount(), 1);
    EXPECT_EQ(store.CountValues(""), 0);
}

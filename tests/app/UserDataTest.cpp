#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "app/UserData.h"
#include "platform/ProfileStore.h"

namespace fs = std::filesystem;

namespace
{
class UserData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() /
                   ("scrivel-userdata-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_history = (m_folder / "History").string();
        m_favorites = (m_folder / "Favorites").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    // Two history records and one favorite on disk.
    void WriteLists()
    {
        CUserData data;
        data.Load(m_store, 10, m_history, m_favorites);
        data.GetHistory().AddFileRecord("/a.txt", FileRecordText, 0, 3, 0, 4, -1, -1, -1, -1);
        data.GetHistory().AddFileRecord("/b.bin", FileRecordBinary, 0, 0, 0, 0, -1, -1, -1, -1);
        data.GetFavorites().AddFileRecord("/fav.txt", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
        ASSERT_TRUE(data.Save(m_store));
    }

    CMemoryProfileStore m_store;
    fs::path m_folder;
    std::string m_history;
    std::string m_favorites;
};
} // namespace

TEST_F(UserData, SaveThenLoadBringsEverythingBack)
{
    {
        CUserData data;
        data.Load(m_store, 10, m_history, m_favorites);
        EXPECT_EQ(data.GetLastFolder(), "");
        EXPECT_EQ(data.GetFileFilters().GetMaxCount(), 50);
        data.SetLastFolder("/home/u/src");
        data.GetFileFilters().Add("*.cpp");
        data.GetFileFilters().Add("*.h");
        data.GetHistory().AddFileRecord("/a.txt", FileRecordText, 0, 3, 0, 4, -1, -1, -1, -1);
        data.GetFavorites().AddFileRecord("/fav.txt", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
        ASSERT_TRUE(data.Save(m_store));
    }
    EXPECT_EQ(m_store.GetProfileString("Settings", "LastFolder", ""), "/home/u/src");
    EXPECT_EQ(m_store.GetProfileString("Recent\\FileFilters", "01", ""), "*.h");
    EXPECT_NE(Read(m_history).find("<Record FilePath=\"/a.txt\""), std::string::npos);
    EXPECT_NE(Read(m_favorites).find("<Favorite FilePath=\"/fav.txt\""), std::string::npos);

    CUserData data;
    data.Load(m_store, 10, m_history, m_favorites);
    EXPECT_EQ(data.GetLastFolder(), "/home/u/src");
    ASSERT_EQ(data.GetHistory().GetCount(), 1);
    EXPECT_EQ(data.GetHistory().GetAt(0).nCursorPosY, 4);
    ASSERT_EQ(data.GetFavorites().GetCount(), 1);
    EXPECT_EQ(data.GetFileFilters().GetCount(), 2);
    EXPECT_EQ(data.GetHistory().GetLimit(), 10);
    EXPECT_EQ(data.GetFavorites().GetLimit(), 10);
}

TEST_F(UserData, LimitZeroLoadsNothingKeepsNothingAndSavesEmptyLists)
{
    WriteLists();
    CUserData data;
    data.Load(m_store, 0, m_history, m_favorites);
    EXPECT_EQ(data.GetHistory().GetCount(), 0);
    EXPECT_EQ(data.GetFavorites().GetCount(), 0);
    EXPECT_EQ(data.GetHistory().AddFileRecord("/c.txt", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1),
              0);
    EXPECT_EQ(data.GetHistory().GetCount(), 0);
    ASSERT_TRUE(data.Save(m_store));
    EXPECT_EQ(Read(m_history),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Records Version=\"2.0.0\" />\n");
    EXPECT_EQ(Read(m_favorites),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Favorites Version=\"2.0.0\" />\n");
}

TEST_F(UserData, SmallerLimitSavesOnlyTheNewestRecords)
{
    WriteLists();
    CUserData data;
    data.Load(m_store, 1, m_history, m_favorites);
    // Loading keeps what the file holds; the limit applies when saving.
    EXPECT_EQ(data.GetHistory().GetCount(), 2);
    ASSERT_TRUE(data.Save(m_store));
    CUserData again;
    again.Load(m_store, 10, m_history, m_favorites);
    ASSERT_EQ(again.GetHistory().GetCount(), 1);
    EXPECT_EQ(again.GetHistory().GetAt(0).strPath, "/b.bin");
}

TEST_F(UserData, AListThatCannotBeSavedIsReportedAndTheOtherIsStillSaved)
{
    CUserData data;
    data.Load(m_store, 10, (m_folder / "missing" / "History").string(), m_favorites);
    data.SetLastFolder("/x");
    data.GetFavorites().AddFileRecord("/fav.txt", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    EXPECT_FALSE(data.Save(m_store));
    EXPECT_EQ(m_store.GetProfileString("Settings", "LastFolder", ""), "/x");
    EXPECT_NE(Read(m_favorites).find("/fav.txt"), std::string::npos);
}

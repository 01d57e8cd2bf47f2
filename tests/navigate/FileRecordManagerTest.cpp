#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "navigate/FileRecordManager.h"

namespace
{
int AddText(CFileRecordManager& list, const std::string& path, int nCaretY = 0)
{
    return list.AddFileRecord(path, FileRecordText, 0, 0, 0, nCaretY, -1, -1, -1, -1);
}

std::vector<std::string> Paths(const CFileRecordManager& list)
{
    std::vector<std::string> paths;
    for (int i = 0; i < list.GetCount(); ++i)
        paths.push_back(list.GetAt(i).strPath);
    return paths;
}

// Keeps a page's items the way a list control would: one per record, found by address.
class CPageItems : public CFileRecordObserver
{
public:
    std::vector<const SFileRecord*> items;
    void OnFileRecordAdded(const SFileRecord& record) override
    {
        items.insert(items.begin(), &record);
    }
    void OnFileRecordRemoving(const SFileRecord& record) override
    {
        for (auto it = items.begin(); it != items.end(); ++it)
            if (*it == &record)
            {
                items.erase(it);
                return;
            }
        ADD_FAILURE() << "no item for " << record.strPath;
    }
    void OnAllFileRecordsRemoving() override { items.clear(); }
};

class CMarks : public CFavoriteMarkObserver
{
public:
    std::vector<std::string> cleared;
    void OnFavoriteMarkCleared(const std::string& strPath) override { cleared.push_back(strPath); }
};
} // namespace

TEST(FileRecordManager, AddKeepsNewestFirstWithoutDuplicatesOfPathAndType)
{
    CHistoryManager history;
    history.SetLimit(10);
    std::time_t before = std::time(nullptr);
    ASSERT_EQ(history.AddFileRecord("  /a/one.txt\t", FileRecordText, 1, 2, 3, 4, 5, 6, 7, 8), 0);
    std::time_t after = std::time(nullptr);
    const SFileRecord& record = history.GetAt(0);
    EXPECT_EQ(record.strPath, "/a/one.txt");
    EXPECT_EQ(record.nType, FileRecordText);
    EXPECT_EQ(record.nScrollPosX, 1);
    EXPECT_EQ(record.nScrollPosY, 2);
    EXPECT_EQ(record.nCursorPosX, 3);
    EXPECT_EQ(record.nCursorPosY, 4);
    EXPECT_EQ(record.nSelectionStartX, 5);
    EXPECT_EQ(record.nSelectionStartY, 6);
    EXPECT_EQ(record.nSelectionEndX, 7);
    EXPECT_EQ(record.nSelectionEndY, 8);
    EXPECT_GE(record.nLastAccessTime, before);
    EXPECT_LE(record.nLastAccessTime, after);

    AddText(history, "/a/two.txt");
    AddText(history, "/a/one.txt", 9);
    EXPECT_EQ(Paths(history), (std::vector<std::string>{"/a/one.txt", "/a/two.txt"}));
    EXPECT_EQ(history.GetAt(0).nCursorPosY, 9);

    // The same file as bytes is a record of its own.
    history.AddFileRecord("/a/one.txt", FileRecordBinary, 0, 0, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(history.GetCount(), 3);
    EXPECT_EQ(history.GetAt(0).nType, FileRecordBinary);
    EXPECT_EQ(history.GetAt(1).nType, FileRecordText);
}

TEST(FileRecordManager, PathsThatDifferInCaseAreDifferentFilesHere)
{
    CHistoryManager history;
    history.SetLimit(10);
    AddText(history, "/a/File.txt");
    AddText(history, "/a/file.txt");
    EXPECT_EQ(Paths(history), (std::vector<std::string>{"/a/file.txt", "/a/File.txt"}));
    EXPECT_TRUE(history.IsDifferentFileRecord("/a/file.txt", 1, history.GetAt(1), 1));
    EXPECT_FALSE(history.IsDifferentFileRecord("/a/file.txt", 1, history.GetAt(0), 1));
    EXPECT_TRUE(history.IsDifferentFileRecord("/a/file.txt", 2, history.GetAt(0), 1));
}

TEST(FileRecordManager, EmptyOrUnusablePathChangesNothing)
{
    CFavoritesManager favorites;
    favorites.SetLimit(10);
    AddText(favorites, "/a/one.txt");
    EXPECT_EQ(AddText(favorites, ""), -1);
    EXPECT_EQ(AddText(favorites, " \t\r\n "), -1);
    EXPECT_EQ(AddText(favorites, std::string("/a/x\0y", 6)), -1);
    EXPECT_EQ(Paths(favorites), (std::vector<std::string>{"/a/one.txt"}));
}

TEST(FileRecordManager, LimitDropsTheOldestAndZeroKeepsNothing)
{
    CPageItems page;
    CHistoryManager history;
    history.SetObserver(&page);
    history.SetLimit(3);
    for (const char* path : {"/1", "/2", "/3", "/4"})
        AddText(history, path);
    EXPECT_EQ(Paths(history), (std::vector<std::string>{"/4", "/3", "/2"}));
    ASSERT_EQ(page.items.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(page.items[static_cast<size_t>(i)], &history.GetAt(i));

    CHistoryManager off;
    off.SetObserver(&page);
    page.items.clear();
    off.SetLimit(0);
    EXPECT_EQ(AddText(off, "/a"), 0);
    EXPECT_EQ(off.GetCount(), 0);
    EXPECT_TRUE(page.items.empty());
}

TEST(FileRecordManager, PageItemsFollowRemovals)
{
    CPageItems page;
    CHistoryManager history;
    history.SetObserver(&page);
    history.SetLimit(10);
    for (const char* path : {"/1", "/2", "/3", "/4", "/5"})
        AddText(history, path);
    AddText(history, "/3"); // replaces the older record of /3, and its item
    EXPECT_EQ(Paths(history), (std::vector<std::string>{"/3", "/5", "/4", "/2", "/1"}));
    ASSERT_EQ(page.items.size(), 5u);
    EXPECT_EQ(page.items[0], &history.GetAt(0));

    EXPECT_EQ(history.RemoveFileRecord(5), -1);
    EXPECT_EQ(history.RemoveFileRecord(-1), -1);
    EXPECT_EQ(history.RemoveFileRecord(1), 0);
    EXPECT_EQ(Paths(history), (std::vector<std::string>{"/3", "/4", "/2", "/1"}));
    EXPECT_EQ(page.items.size(), 4u);
    EXPECT_EQ(history.FindRecord(page.items[1]), 1);

    EXPECT_EQ(history.RemoveAllFileRecords(), 0);
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_TRUE(page.items.empty());
}

TEST(FileRecordManager, RemovingASelectionRemovesExactlyThoseRecords)
{
    CFavoritesManager favorites;
    favorites.SetLimit(10);
    for (const char* path : {"/1", "/2", "/3", "/4", "/5", "/6"})
        AddText(favorites, path);
    // Items 0, 2 and 3 selected (/6, /4, /3), given in any order, one twice, one invalid.
    EXPECT_EQ(favorites.RemoveFileRecords({3, 0, 2, 0, 17}), 3);
    EXPECT_EQ(Paths(favorites), (std::vector<std::string>{"/5", "/2", "/1"}));
}

TEST(FileRecordManager, FavoriteMarkIsClearedWhenThePathLeavesTheList)
{
    CMarks marks;
    CFavoritesManager favorites;
    favorites.SetMarkObserver(&marks);
    favorites.SetLimit(2);
    AddText(favorites, "/a");
    AddText(favorites, "/a"); // a newer record of the same file keeps the mark
    EXPECT_TRUE(marks.cleared.empty());
    favorites.AddFileRecord("/a", FileRecordBinary, 0, 0, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(favorites.RemoveFileRecord(0), 0); // /a is still a favorite as text
    EXPECT_TRUE(marks.cleared.empty());
    EXPECT_TRUE(favorites.IsFavorite("/a"));

    AddText(favorites, "/b");
    AddText(favorites, "/c"); // the limit drops /a
    EXPECT_EQ(marks.cleared, (std::vector<std::string>{"/a"}));
    favorites.RemoveAllFileRecords();
    EXPECT_EQ(marks.cleared, (std::vector<std::string>{"/a", "/c", "/b"}));
}

TEST(FileRecordManager, MenuListsRecordsOrShowsTheRememberedTextDisabled)
{
    CHistoryManager history;
    history.SetLimit(1000);
    SFileRecordMenuState state;
    state.nFirstCommandId = 57616;
    state.strCurrentText = "Recent File";
    history.UpdateFileRecordMenu(state);
    ASSERT_EQ(state.items.size(), 1u);
    EXPECT_EQ(state.items[0].nCommandId, 57616);
    EXPECT_EQ(state.items[0].strText, "Recent File");
    EXPECT_FALSE(state.items[0].bEnabled);

    for (int i = 0; i < 20; ++i)
        AddText(history, "/dir/f" + std::to_string(i) + ".txt");
    state.strCurrentText = "/dir/f19.txt"; // the menu now shows records: not remembered
    history.UpdateFileRecordMenu(state);
    ASSERT_EQ(state.items.size(), 16u); // the ids the caller handles, 57616..57631
    EXPECT_EQ(state.items[0].strText, "/dir/f19.txt");
    EXPECT_EQ(state.items[15].nCommandId, 57631);
    EXPECT_EQ(state.items[15].strText, "/dir/f4.txt");
    EXPECT_TRUE(state.items[15].bEnabled);

    history.SetShowFullPath(false);
    history.SetLimit(2);
    history.UpdateFileRecordMenu(state);
    ASSERT_EQ(state.items.size(), 2u);
    EXPECT_EQ(state.items[1].strText, "f18.txt");

    history.RemoveAllFileRecords();
    history.UpdateFileRecordMenu(state);
    ASSERT_EQ(state.items.size(), 1u);
    EXPECT_EQ(state.items[0].strText, "Recent File");
    EXPECT_FALSE(state.items[0].bEnabled);
}

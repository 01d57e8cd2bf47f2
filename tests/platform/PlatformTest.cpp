#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/Folders.h"
#include "platform/ProfileStore.h"
#include "platform/SystemInfo.h"

TEST(MemoryProfileStore, ValuesAndDefaults)
{
    CMemoryProfileStore store;
    EXPECT_EQ(store.GetProfileInt("Settings", "MaxFiles", 1000), 1000);
    EXPECT_EQ(store.GetProfileString("Settings", "LastFolder", "x"), "x");
    store.WriteProfileInt("Settings", "MaxFiles", 7);
    store.WriteProfileString("Settings", "LastFolder", "/home");
    EXPECT_EQ(store.GetProfileInt("Settings", "MaxFiles", 1000), 7);
    EXPECT_EQ(store.GetProfileString("Settings", "MaxFiles", ""), "7");
    EXPECT_EQ(store.GetProfileString("Settings", "LastFolder", ""), "/home");
    // A string that is no number reads as the default integer.
    EXPECT_EQ(store.GetProfileInt("Settings", "LastFolder", 5), 5);
}

TEST(MemoryProfileStore, DeleteSectionRemovesSubsectionsOnly)
{
    CMemoryProfileStore store;
    store.WriteProfileInt("TextEdit\\Settings", "A", 1);
    store.WriteProfileInt("TextEdit\\Settings\\Colors", "Count", 20);
    store.WriteProfileInt("TextEdit\\SettingsOther", "B", 2);
    store.DeleteSection("TextEdit\\Settings");
    EXPECT_FALSE(store.HasValue("TextEdit\\Settings", "A"));
    EXPECT_FALSE(store.HasValue("TextEdit\\Settings\\Colors", "Count"));
    EXPECT_TRUE(store.HasValue("TextEdit\\SettingsOther", "B"));
}

TEST(SystemInfo, SymbolicCodePagesResolve)
{
    SetAnsiCodePage(1252);
    SetOemCodePage(0);
    EXPECT_EQ(ResolveCodePage(0), 1252);
    EXPECT_EQ(ResolveCodePage(3), 1252);
    EXPECT_EQ(ResolveCodePage(1), 437);
    EXPECT_EQ(ResolveCodePage(932), 932);
    SetAnsiCodePage(0);
    EXPECT_GT(GetAnsiCodePage(), 0);
    EXPECT_FALSE(GetSystemErrorText(2).empty());
}

TEST(Folders, CreateFolderTreeMakesEveryParent)
{
    namespace fs = std::filesystem;
    fs::path root = fs::temp_directory_path() / ("scrivel-folders-" + std::to_string(::getpid()));
    fs::remove_all(root);
    std::string deep = (root / "a" / "b" / "c").string();
    EXPECT_TRUE(CreateFolderTree(deep));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_TRUE(CreateFolderTree(deep)); // exists: fine
    // A file in the way cannot become a folder.
    std::string file = (root / "file").string();
    FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    EXPECT_FALSE(CreateFolderTree(file + "/sub"));
    fs::remove_all(root);
}

TEST(Folders, PathHelpers)
{
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(FolderOfPath("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(FolderOfPath("/c.txt"), "/");
    EXPECT_EQ(NameOfPath("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(MakeAbsolutePath("/x"), "/x");
    EXPECT_EQ(MakeAbsolutePath("x").front(), '/');
    EXPECT_TRUE(PathsEqual("/a/File.txt", "/a/File.txt"));
    EXPECT_FALSE(PathsEqual("/a/File.txt", "/a/file.txt"));
    EXPECT_FALSE(GetExecutableFolder().empty());
}

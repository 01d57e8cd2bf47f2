#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "app/AppFolders.h"
#include "platform/Folders.h"
#include "platform/ProfileStore.h"

namespace fs = std::filesystem;

TEST(AppFolders, FirstRequestWritesTheProgramFolder)
{
    CMemoryProfileStore store;
    EXPECT_FALSE(store.HasValue("", "AppFolder"));
    std::string folder = GetAppFolder(store);
    EXPECT_EQ(folder, GetExecutableFolder());
    EXPECT_EQ(store.GetProfileString("", "AppFolder", ""), folder);
    store.WriteProfileString("", "AppFolder", "/opt/scrivel");
    EXPECT_EQ(GetAppFolder(store), "/opt/scrivel");
    EXPECT_EQ(GetHelpTopicPath(store, "::/command_line.html"), "/opt/scrivel/help/command_line.html");
    EXPECT_EQ(GetHelpFilePath(store), "/opt/scrivel/help/index.html");
}

TEST(AppFolders, UserDataFolderIsCreatedUnderTheApplicationDataFolder)
{
    fs::path root = fs::temp_directory_path() / ("scrivel-data-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const char* old = std::getenv("XDG_DATA_HOME");
    std::string saved = old ? old : "";
    ::setenv("XDG_DATA_HOME", (root / "deep" / "share").c_str(), 1);
    CMemoryProfileStore store;
    std::string folder = GetUserDataFolder(store);
    EXPECT_EQ(folder, (root / "deep" / "share" / "Vantro Software" / "Scrivel").string());
    EXPECT_TRUE(IsDirectory(folder));
    EXPECT_EQ(GetFavoritesFilePath(store), folder + "/Favorites");
    EXPECT_EQ(GetHistoryFilePath(store), folder + "/History");
    if (old)
        ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
}

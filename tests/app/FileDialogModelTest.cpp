#include <gtest/gtest.h>

#include <filesystem>

#include "app/FileDialogModel.h"

TEST(FileDialogModel, FiltersReadTheFactoryListAndAllFilesMatchesEveryName)
{
    const auto filters =
        FileDialogFilters("All Supported Text Files|*.c;*.cpp;*.txt|C/C++ Files|*.c;*.cpp|"
                          "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||");
    ASSERT_EQ(filters.size(), 4u);
    EXPECT_EQ(filters[0], "All Supported Text Files (*.c *.cpp *.txt)");
    EXPECT_EQ(filters[1], "C/C++ Files (*.c *.cpp)");
    EXPECT_EQ(filters[2], "Text Files (*.txt)");
    EXPECT_EQ(filters[3], "All Files (*)");
    EXPECT_TRUE(FileDialogFilters("").empty());
}

TEST(FileDialogModel, OpenAsChoiceGivesTheKindOfEveryChosenFile)
{
    EXPECT_EQ(COpenAsChoice::Items(), (std::vector<std::string>{"Auto", "Text", "Binary"}));
    EXPECT_EQ(COpenAsChoice::KindOfItem(0), 0);
    EXPECT_EQ(COpenAsChoice::KindOfItem(1), 1);
    EXPECT_EQ(COpenAsChoice::KindOfItem(2), 2);
    EXPECT_EQ(COpenAsChoice::KindOfItem(-1), 0); // nothing chosen: decided by contents

    const auto requests = COpenAsChoice::Requests({"/a/x.txt", "", "/a/y.bin"}, 2, true);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].strPath, "/a/y.bin");
    EXPECT_EQ(requests[1].nKind, 2);
    EXPECT_TRUE(requests[0].bReadOnly);
}

TEST(FileDialogModel, TheLastFolderIsUsedWhileItExists)
{
    const std::string tmp = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(FileDialogStartFolder(tmp, "/home"), tmp);
    EXPECT_EQ(FileDialogStartFolder(tmp + "/no-such-folder-here", "/home"), "/home");
    EXPECT_EQ(FileDialogStartFolder("", "/home"), "/home");
    EXPECT_EQ(FileDialogFolderToRemember({"/srv/data/a.txt", "/x/b.txt"}, "/old"), "/srv/data");
    EXPECT_EQ(FileDialogFolderToRemember({}, "/old"), "/old");
}

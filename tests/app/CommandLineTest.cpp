#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace
{
CCommandLine Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "scrivel");
    CCommandLine cmd;
    cmd.ParseCommandLine(args, false);
    return cmd;
}
} // namespace

TEST(CommandLine, NothingHappensWithoutArguments)
{
    CCommandLine cmd = Parse({});
    EXPECT_EQ(cmd.m_nAction, CCommandOptions::ActionNone);
    EXPECT_EQ(cmd.m_nFileCount, 0);
}

TEST(CommandLine, FileNameAloneOpensAndTwoNamesCompare)
{
    CCommandLine one = Parse({"a.txt"});
    EXPECT_EQ(one.m_nAction, CCommandOptions::ActionOpen);
    EXPECT_EQ(one.m_nFileCount, 1);
    EXPECT_EQ(one.m_strFiles[0], "a.txt");

    CCommandLine two = Parse({"a.txt", "b.txt", "c.txt"});
    EXPECT_EQ(two.m_nAction, CCommandOptions::ActionCompare);
    EXPECT_EQ(two.m_nFileCount, 2);
    EXPECT_EQ(two.m_strFiles[1], "b.txt"); // the third name is dropped
}

TEST(CommandLine, SwitchesWithEitherPrefix)
{
    EXPECT_EQ(Parse({"-edit", "a"}).m_nAction, CCommandOptions::ActionEdit);
    EXPECT_EQ(Parse({"/e", "a"}).m_nAction, CCommandOptions::ActionEdit);
    EXPECT_EQ(Parse({"-?"}).m_nAction, CCommandOptions::ActionHelp);
    EXPECT_EQ(Parse({"/help"}).m_nAction, CCommandOptions::ActionHelp);
    EXPECT_EQ(Parse({"-h"}).m_nAction, CCommandOptions::ActionHelp);
    EXPECT_EQ(Parse({"-c", "a"}).m_nAction, CCommandOptions::ActionCompare);
    // The action set by a switch is not replaced by the file-name rule.
    EXPECT_EQ(Parse({"-e", "a", "b"}).m_nAction, CCommandOptions::ActionEdit);
}

TEST(CommandLine, SwitchWordsAreCaseSensitive)
{
    CCommandLine cmd = Parse({"-Edit", "a.txt"});
    EXPECT_EQ(cmd.m_nAction, CCommandOptions::ActionOpen);
    EXPECT_EQ(Parse({"-T:hex", "a"}).m_nFileType, CCommandOptions::FileTypeAuto);
    EXPECT_EQ(Parse({"-unknown"}).m_nAction, CCommandOptions::ActionOpen);
}

TEST(CommandLine, ReadOnlyLists)
{
    CCommandLine all = Parse({"-ro", "a"});
    EXPECT_TRUE(all.m_bReadOnly[0] && all.m_bReadOnly[1]);
    CCommandLine second = Parse({"-e", "-ro:2", "a", "b"});
    EXPECT_FALSE(second.m_bReadOnly[0]);
    EXPECT_TRUE(second.m_bReadOnly[1]);
    CCommandLine both = Parse({"-readonly:1|2|x||3"});
    EXPECT_TRUE(both.m_bReadOnly[0] && both.m_bReadOnly[1]);
    // With a second colon the list starts after it.
    CCommandLine afterSecond = Parse({"-ro:1:2"});
    EXPECT_FALSE(afterSecond.m_bReadOnly[0]);
    EXPECT_TRUE(afterSecond.m_bReadOnly[1]);
    CCommandLine empty = Parse({"-ro:"});
    EXPECT_FALSE(empty.m_bReadOnly[0] || empty.m_bReadOnly[1]);
}

TEST(CommandLine, TypeWords)
{
    EXPECT_EQ(Parse({"-t:text"}).m_nFileType, CCommandOptions::FileTypeText);
    EXPECT_EQ(Parse({"-type:t"}).m_nFileType, CCommandOptions::FileTypeText);
    for (const char* w : {"-t:binary", "-t:b", "-t:hex", "-type:x"})
        EXPECT_EQ(Parse({w}).m_nFileType, CCommandOptions::FileTypeBinary) << w;
    EXPECT_EQ(Parse({"-t:folder"}).m_nFileType, CCommandOptions::FileTypeFolder);
    EXPECT_EQ(Parse({"-t:f"}).m_nFileType, CCommandOptions::FileTypeFolder);
    EXPECT_EQ(Parse({"-t:hex", "-t:bogus"}).m_nFileType, CCommandOptions::FileTypeBinary);
}

TEST(CommandLine, RelativeNamesResolveAgainstCurrentFolder)
{
    CCommandLine cmd;
    cmd.ParseCommandLine(std::vector<std::string>{"scrivel", "-e", "rel.txt", "/abs/x.txt"}, true);
    ASSERT_EQ(cmd.m_nFileCount, 2);
    EXPECT_EQ(cmd.m_strFiles[0].front(), '/');
    EXPECT_NE(cmd.m_strFiles[0].find("/rel.txt"), std::string::npos);
    EXPECT_EQ(cmd.m_strFiles[1], "/abs/x.txt");
}

TEST(CommandLine, SlashSwitchesAndAbsolutePathsAreToldApart)
{
    // "/e" is the edit switch; "/tmp" exists and "/a/b.txt" holds a second slash: names.
    CCommandLine cmd = Parse({"/e", "/tmp", "/a/b.txt"});
    EXPECT_EQ(cmd.m_nAction, CCommandOptions::ActionEdit);
    ASSERT_EQ(cmd.m_nFileCount, 2);
    EXPECT_EQ(cmd.m_strFiles[0], "/tmp");
    EXPECT_EQ(cmd.m_strFiles[1], "/a/b.txt");
    EXPECT_EQ(Parse({"/t:hex"}).m_nFileType, CCommandOptions::FileTypeBinary);
    EXPECT_EQ(Parse({"/ro:1|2"}).m_bReadOnly[1], 1);
}

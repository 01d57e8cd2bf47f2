#include <gtest/gtest.h>

#include "encoding/EncodingTestFiles.h"
#include "encoding/FileKind.h"

TEST(DetectFileKind, MarksZerosAndMissingFiles)
{
    CScratchFolder folder;
    EXPECT_EQ(DetectFileKind(""), -1);
    EXPECT_EQ(DetectFileKind(folder.Path("missing")), -1);
    EXPECT_EQ(DetectFileKind(folder.Write("empty", "")), 1);
    EXPECT_EQ(DetectFileKind(folder.Write("text", "plain\ntext\n")), 1);
    // UTF-16 is full of zero bytes, but its mark makes it text.
    EXPECT_EQ(DetectFileKind(folder.Write("le", std::string("\xFF\xFE"
                                                            "a\0",
                                                            4))),
              1);
    EXPECT_EQ(DetectFileKind(folder.Write("be", std::string("\xFE\xFF\0a", 4))), 1);
    EXPECT_EQ(DetectFileKind(folder.Write("u8", std::string("\xEF\xBB\xBF\0", 4))), 1);
    EXPECT_EQ(DetectFileKind(folder.Write("zero", std::string("ab\0", 3))), 2);
    // A zero in the second block, and one just past a full first block.
    EXPECT_EQ(DetectFileKind(folder.Write("late", std::string(6000, 'x') + '\0')), 2);
    EXPECT_EQ(DetectFileKind(folder.Write("edge", std::string(4096, 'x') + '\0')), 2);
    EXPECT_EQ(DetectFileKind(folder.Write("full", std::string(8192, 'x'))), 1);
}

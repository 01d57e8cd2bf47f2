#include <gtest/gtest.h>

#include <algorithm>

#include "encoding/CodePageList.h"
#include "platform/SystemInfo.h"

TEST(CodePageName, TableRowsAndQuotedNames)
{
    std::vector<int> numbers = CodePageNameTableNumbers();
    EXPECT_EQ(numbers.size(), 150u);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
    EXPECT_EQ(CodePageName(37), "IBM EBCDIC - U.S./Canada");
    EXPECT_EQ(CodePageName(858), "OEM - Multlingual Latin I + Euro symbol");
    EXPECT_EQ(CodePageName(874), "ANSI/OEM - Thai (same as 28605, ISO 8859-15)");
    EXPECT_EQ(CodePageName(1252), "ANSI - Latin I");
    EXPECT_EQ(CodePageName(28598), "ISO 8859-8 Hebrew");
    EXPECT_EQ(CodePageName(38598), "ISO 8859-8 Hebrew");
    EXPECT_EQ(CodePageName(54936), "Windows XP: GB18030 Simplified Chinese (4 Byte)");
    EXPECT_EQ(CodePageName(65001), "Unicode UTF-8");
    EXPECT_EQ(CodePageName(1234), "");
    for (int n : numbers)
        EXPECT_FALSE(CodePageName(n).empty()) << n;
}

TEST(BuildCodePageList, ConvertiblePagesAscendingWithTheAnsiPageMarked)
{
    SetAnsiCodePage(1252);
    CGetCPInfoEx query;
    EXPECT_FALSE(query.Load());
    EXPECT_FALSE(query.IsAvailable());
    CodePageInfoList list;
    list.push_back({1, "stale"});
    BuildCodePageList(list, CodePageListSupported);
    ASSERT_GT(list.size(), 50u);
    for (size_t i = 1; i < list.size(); ++i)
        EXPECT_LT(list[i - 1].nCodePage, list[i].nCodePage);
    auto find = [&](uint32_t n)
    {
        return std::find_if(list.begin(), list.end(),
                            [n](const tagCODEPAGEINFO& e) { return e.nCodePage == n; });
    };
    ASSERT_NE(find(1252), list.end());
    EXPECT_EQ(find(1252)->strName, "* 1252\t(ANSI - Latin I)");
    ASSERT_NE(find(437), list.end());
    EXPECT_EQ(find(437)->strName, "437\t(OEM - United States)");
    EXPECT_NE(find(932), list.end());
    EXPECT_NE(find(65001), list.end());
    EXPECT_EQ(find(709), list.end()) << "not convertible here";
    EXPECT_EQ(find(1200), list.end()) << "UTF-16 is chosen as an encoding kind";
    EXPECT_EQ(find(1), list.end());
    SetAnsiCodePage(0);
}

TEST(EncodingChooser, SelectionAndChoices)
{
    SetAnsiCodePage(1252);
    CodePageInfoList list;
    BuildCodePageList(list);
    std::vector<std::string> items = EncodingChooserItems(list);
    ASSERT_EQ(items.size(), list.size() + 3);
    EXPECT_EQ(items[0], "UNI16_LE");
    EXPECT_EQ(items[1], "UNI16_BE");
    EXPECT_EQ(items[2], "UTF-8");

    auto itemOf = [&](int cp)
    {
        for (size_t i = 0; i < list.size(); ++i)
            if (static_cast<int>(list[i].nCodePage) == cp)
                return static_cast<int>(i) + 3;
        return -1;
    };
    // A new document (no kind, no code page) selects the default code page.
    EXPECT_EQ(EncodingChooserSelection(list, -1, -1, 1252), itemOf(1252));
    EXPECT_EQ(items[static_cast<size_t>(itemOf(1252))], "* 1252\t(ANSI - Latin I)");
    EXPECT_EQ(EncodingChooserSelection(list, 3, -1, 1252), 2);
    EXPECT_EQ(EncodingChooserSelection(list, 0, 437, 1252), itemOf(437));
    EXPECT_EQ(EncodingChooserSelection(list, 0, 0, 437), itemOf(1252)) << "0 is the ANSI page";
    EXPECT_EQ(EncodingChooserSelection(list, 0, 709, 1252), 0);
    EXPECT_EQ(EncodingChooserSelection(list, -1, -1, 709), -1);

    SEncodingChoice choice = EncodingChoiceOfItem(list, 1);
    EXPECT_EQ(choice.nEncoding, 2);
    EXPECT_EQ(choice.nCodePage, -1);
    choice = EncodingChoiceOfItem(list, itemOf(437));
    EXPECT_EQ(choice.nEncoding, -1);
    EXPECT_EQ(choice.nCodePage, 437);
    choice = EncodingChoiceOfItem(list, -1);
    EXPECT_EQ(choice.nEncoding, -1);
    EXPECT_EQ(choice.nCodePage, -1);
    choice = EncodingChoiceOfItem(list, static_cast<int>(items.size()));
    EXPECT_EQ(choice.nCodePage, -1);
    SetAnsiCodePage(0);
}

TEST(LineEndingChooser, ItemsAndModes)
{
    std::vector<std::string> items = LineEndingChooserItems();
    std::vector<std::string> expected = {"Current Setting", "Windows (CRLF)", "Macintosh (CR)",
                                         "Unix (LF)"};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(LineEndModeOfItem(0), 0);
    EXPECT_EQ(LineEndModeOfItem(3), 3);
    EXPECT_EQ(LineEndModeOfItem(-1), 0);
    EXPECT_EQ(LineEndModeOfItem(4), 0);
}

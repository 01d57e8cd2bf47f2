// The parser base: runs, trail bytes, the wrap-point finder, and the shared word routines.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "SyntaxTestUtil.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxShared.h"

namespace
{
struct SCodePageGuard
{
    int nSaved = GetTextCodePage();
    ~SCodePageGuard() { SetTextCodePage(nSaved); }
};

TEST(SyntaxRuns, AddRunRefusesBackwardsAndMissingArrays)
{
    std::unique_ptr<CSyntaxParser> parser(CreateSyntaxParserPlain());
    CTestLine line("abcdef");
    SyntaxRun runs[4] = {};
    int count = 0;
    EXPECT_EQ(parser->AddRun(line.Info(), 3, 9, runs, &count), 0);
    EXPECT_EQ(parser->AddRun(line.Info(), 2, 11, runs, &count), -1);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(parser->AddRun(line.Info(), 3, 12, runs, &count), 1); // equal start appends
    EXPECT_EQ(count, 2);
    EXPECT_EQ(runs[1].nColor, 12);
    EXPECT_EQ(runs[1].nBkColor, kSyntaxColorBackground);
    EXPECT_EQ(parser->AddRun(line.Info(), 4, 3, nullptr, &count), -1);
    EXPECT_EQ(count, 2);
}

TEST(SyntaxRuns, PlainParserColoursNothingAndReturnsZero)
{
    std::unique_ptr<CSyntaxParser> parser(CreateSyntaxParserPlain());
    const SColourResult result = ColourLine(*parser, 7, "/* int x; \"");
    EXPECT_EQ(result.nState, 0u);
    EXPECT_EQ(result.runs.size(), 1u);
    EXPECT_EQ(parser->GetId(), 0);
    EXPECT_STREQ(parser->GetName(), "Text");
}

TEST(SyntaxRuns, TrailBytesFollowTheTextCodePage)
{
    SCodePageGuard guard;
    std::unique_ptr<CSyntaxParser> parser(CreateSyntaxParserCpp());
    CTestLine line("\x95\x5c\x5c"); // a Shift-JIS character whose second byte is "\"
    SetTextCodePage(932);
    EXPECT_FALSE(parser->IsTrailByte(line.Info(), 0));
    EXPECT_TRUE(parser->IsTrailByte(line.Info(), 1));
    EXPECT_FALSE(parser->IsTrailByte(line.Info(), 2));
    EXPECT_FALSE(parser->IsTrailByte(line.Info(), 3)); // past the end
    SetTextCodePage(1252);
    EXPECT_FALSE(parser->IsTrailByte(line.Info(), 1));
}

TEST(SyntaxRuns, BackslashThatIsASecondByteDoesNotContinueTheLine)
{
    SCodePageGuard guard;
    std::unique_ptr<CSyntaxParser> parser(CreateSyntaxParserCpp());
    SetTextCodePage(932);
    EXPECT_EQ(StateOnly(*parser, 0, "// \x95\x5c"), 0u);
    EXPECT_EQ(StateOnly(*parser, 0, "// \x95\x5c\x5c"), 1u);
    // In a string the double-byte character does not escape the closing quote.
    EXPECT_EQ(StateOnly(*parser, 0, "\"\x95\x5c\" x"), 0u);
    SetTextCodePage(1252);
    EXPECT_EQ(StateOnly(*parser, 0, "// \x95\x5c"), 1u);
}

class CTestWrapSource : public CSyntaxWrapSource
{
public:
    CTestWrapSource(const std::string& text, int tabSize) : m_text(text), m_nTabSize(tabSize) {}
    int GetWrapLineLength(int) const override { return static_cast<int>(m_text.size()); }
    const char* GetWrapLineChars(int) const override { return m_text.data(); }
    int GetWrapTabSize() const override { return m_nTabSize; }

private:
    std::string m_text;
    int m_nTabSize;
};

std::vector<int> WrapPoints(const std::string& text, int tabSize, int maxColumns,
                            const std::atomic<int>* cancel = nullptr)
{
    std::unique_ptr<CSyntaxParser> parser(CreateSyntaxParserPlain());
    CTestWrapSource source(text, tabSize);
    std::vector<int> breaks(text.size() + 1, -1);
    int count = -1;
    parser->ComputeWrapPoints(source, 0, maxColumns, breaks.data(), &count, cancel);
    int counted = -1;
    parser->ComputeWrapPoints(source, 0, maxColumns, nullptr, &counted, cancel);
    EXPECT_EQ(count, counted);
    breaks.resize(static_cast<size_t>(std::max(count, 0)));
    return breaks;
}

TEST(WrapPoints, BreaksAfterBlanksAndFillsRowsToTheWidth)
{
    SCodePageGuard guard;
    SetTextCodePage(1252);
    EXPECT_EQ(WrapPoints("\t\t\t\t\t\t", 4, 8), (std::vector<int>{2, 4}));
    EXPECT_EQ(WrapPoints("abcdefghij", 4, 4), (std::vector<int>{4, 8}));
    EXPECT_EQ(WrapPoints("hello world foo", 4, 8), (std::vector<int>{6, 12}));
    EXPECT_EQ(WrapPoints("short", 4, 80), std::vector<int>{});
    EXPECT_EQ(WrapPoints("", 4, 8), std::vector<int>{});
    std::atomic<int> cancel{1};
    EXPECT_EQ(WrapPoints("abcdefghijabcdefghij", 4, 4, &cancel), std::vector<int>{});
}

TEST(WrapPoints, WideCharactersCountTwoAndOfferBreaks)
{
    SCodePageGuard guard;
    SetTextCodePage(65001);
    // Four ideographs of two columns each in six columns: three per row would overflow.
    const std::string ideographs = "\xe4\xb8\x80\xe4\xb8\x80\xe4\xb8\x80\xe4\xb8\x80";
    EXPECT_EQ(WrapPoints(ideographs, 4, 6), (std::vector<int>{9}));
    // No break lands inside a multibyte character.
    SetTextCodePage(932);
    EXPECT_EQ(WrapPoints("\x82\xa0\x82\xa0\x82\xa0", 4, 4), (std::vector<int>{4}));
}

TEST(SharedRoutines, NumbersFollowTheDecimalAndHexRules)
{
    const auto num = [](const char* s) { return IsNumber(s, static_cast<int>(strlen(s))); };
    EXPECT_TRUE(num("0x1F"));
    EXPECT_TRUE(num("1e5"));
    EXPECT_TRUE(num("3.14"));
    EXPECT_TRUE(num("1e+5"));
    EXPECT_FALSE(num("0X1F"));
    EXPECT_FALSE(num("1f"));
    EXPECT_FALSE(num("0x")); // too short for a hex prefix, and "x" is no digit
    EXPECT_FALSE(num(".5"));
    EXPECT_FALSE(num("0xG"));
    EXPECT_FALSE(IsNumber("", 0));
}

TEST(SharedRoutines, KeywordSetAnswersAsTheLinearLookup)
{
    SCodePageGuard guard;
    SetTextCodePage(1252);
    static const char* const list[] = {"if", "IF", "while", "_x", "a.b", "while", nullptr};
    const CSyntaxKeywordSet exact(list, false);
    const CSyntaxKeywordSet folded(list, true);
    const char* probes[] = {"if", "If", "iF",  "IF",  "while", "WHILE", "whil",    "whilee",
                            "_x", "_X", "a.b", "A.B", "",      "i",     "\xc9\x66"};
    for (const char* probe : probes)
    {
        const int length = static_cast<int>(strlen(probe));
        EXPECT_EQ(exact.Contains(probe, length), IsKeyword(list, probe, length)) << probe;
        EXPECT_EQ(folded.Contains(probe, length), IsKeywordNoCase(list, probe, length)) << probe;
    }
    EXPECT_TRUE(folded.Contains("While", 5));
    EXPECT_FALSE(exact.Contains("While", 5));
    EXPECT_TRUE(exact.Contains("whilex", 5)); // only the given length counts
}

TEST(SharedRoutines, CharacterClasses)
{
    EXPECT_TRUE(IsSyntaxWordStart('_'));
    EXPECT_TRUE(IsSyntaxWordStart(0xE9));
    EXPECT_FALSE(IsSyntaxWordStart('5'));
    EXPECT_TRUE(IsSyntaxWordChar('5'));
    EXPECT_FALSE(IsSyntaxWordChar('.'));
    EXPECT_TRUE(IsSyntaxSpace('\v'));
    EXPECT_FALSE(IsSyntaxSpace(0xA0));
}
} // namespace

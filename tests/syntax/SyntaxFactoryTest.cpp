// The parser list, the choice by extension and wildcard, the dialog strings, the syntax
// menu, and the word lists of every parser against the counts they are defined with.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "syntax/SyntaxParserFactory.h"
#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxShared.h"
#include "syntax/SyntaxWildcard.h"

namespace
{
class SyntaxFactory : public ::testing::Test
{
protected:
    void SetUp() override { m_nCount = m_factory.CreateParsers(); }
    int IdFor(const std::string& extension)
    {
        CSyntaxParser* parser = m_factory.FindByExtension(extension);
        return parser != nullptr ? parser->GetId() : -1;
    }
    CSyntaxParserFactory m_factory;
    int m_nCount = 0;
};

TEST_F(SyntaxFactory, ListIsInIdOrderAndLookupsAgree)
{
    ASSERT_GT(m_nCount, 0);
    for (int i = 0; i < m_nCount; ++i)
    {
        CSyntaxParser* parser = m_factory.GetAt(i);
        ASSERT_NE(parser, nullptr);
        if (i > 0)
        {
            EXPECT_LT(m_factory.GetAt(i - 1)->GetId(), parser->GetId());
        }
        EXPECT_EQ(m_factory.FindById(parser->GetId()), parser);
        EXPECT_EQ(m_factory.IndexOf(parser), i);
        EXPECT_EQ(m_factory.FindParserById(parser->GetId()), parser);
    }
    EXPECT_EQ(m_factory.GetAt(-1), nullptr);
    EXPECT_EQ(m_factory.GetAt(m_nCount), nullptr);
    EXPECT_EQ(m_factory.FindById(99), nullptr);
    EXPECT_EQ(m_factory.IndexOf(nullptr), -1);
    EXPECT_EQ(m_factory.FindByCommand(kSyntaxFirstCommandId + 4)->GetId(), 4);
    EXPECT_EQ(m_factory.FindByCommand(kSyntaxFirstCommandId + 500)->GetId(), 0);
}

TEST_F(SyntaxFactory, ExtensionsChooseTheirParser)
{
    EXPECT_EQ(IdFor("CPP"), 4);
    EXPECT_EQ(IdFor("  .cpp "), 4);
    EXPECT_EQ(IdFor("..cpp"), 4);
    EXPECT_EQ(IdFor("h"), 4);
    EXPECT_EQ(IdFor("xs"), 4);
    EXPECT_EQ(IdFor("js"), 12);
    EXPECT_EQ(IdFor("rc2"), 20);
    EXPECT_EQ(IdFor("nsh"), 14);
    EXPECT_EQ(IdFor(""), 0);
    EXPECT_EQ(IdFor("zzz"), 0);
    EXPECT_EQ(IdFor("..."), 0);
    EXPECT_EQ(IdFor("c*"), 0); // the extension is text, not a pattern
    if (m_factory.FindById(27) != nullptr)
    {
        EXPECT_EQ(IdFor("xml"), 27);
    }
}

TEST_F(SyntaxFactory, EmptyFactoryFindsNothing)
{
    CSyntaxParserFactory empty;
    EXPECT_EQ(empty.FindByExtension("cpp"), nullptr);
    EXPECT_EQ(empty.BuildFilterString(false), "");
    const auto menu = empty.BuildSyntaxMenu(0);
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_FALSE(menu[0].bEnabled);
    EXPECT_TRUE(menu[0].bChecked);
}

TEST(SyntaxWildcard, PatternsMatchWholeExtensionsWithoutCase)
{
    EXPECT_TRUE(MatchWildcard("cpp", "CPP"));
    EXPECT_FALSE(MatchWildcard("cpp", "cppx"));
    EXPECT_TRUE(MatchWildcard("c*", "c"));
    EXPECT_TRUE(MatchWildcard("*p*p", "cpxp"));
    EXPECT_FALSE(MatchWildcard("*p*p", "cpx"));
    EXPECT_TRUE(MatchWildcard("h?", "hm"));
    EXPECT_FALSE(MatchWildcard("h?", "h"));
    EXPECT_TRUE(MatchWildcard("r[0-9][0-9]", "r16"));
    EXPECT_FALSE(MatchWildcard("r[0-9][0-9]", "rc2"));
    EXPECT_TRUE(MatchWildcard("[a-c]x", "Bx"));
    EXPECT_TRUE(MatchWildcard("[!a-c]x", "dx"));
    EXPECT_FALSE(MatchWildcard("[!a-c]x", "ax"));
    EXPECT_TRUE(MatchWildcard("[]]", "]"));
    EXPECT_TRUE(MatchWildcard("[-a]", "-"));
    EXPECT_TRUE(MatchWildcard("a`*", "a*"));
    EXPECT_FALSE(MatchWildcard("a`*", "ab"));
    EXPECT_TRUE(MatchWildcard("[`]]", "]"));
    EXPECT_TRUE(MatchWildcard("!c*", "h"));
    EXPECT_FALSE(MatchWildcard("!c*", "cpp"));
    EXPECT_TRUE(MatchWildcard("*", ""));
    EXPECT_TRUE(MatchWildcard("**a**b", "xxaxxb"));
}

TEST(SyntaxWildcard, MalformedPatternsMatchNothing)
{
    EXPECT_FALSE(IsWellFormedWildcard("[abc"));
    EXPECT_FALSE(IsWellFormedWildcard("abc`"));
    EXPECT_FALSE(IsWellFormedWildcard("[a`]"));
    EXPECT_FALSE(MatchWildcard("[abc", "[abc"));
    EXPECT_FALSE(MatchWildcard("!abc`", "x")); // not even through the negation
    EXPECT_TRUE(IsWellFormedWildcard("a[!b]`c*?"));
}

TEST_F(SyntaxFactory, FilterStringAndMasksFollowTheListOrder)
{
    const std::string filter = m_factory.BuildFilterString(true);
    EXPECT_EQ(filter.rfind("All Supported Text Files|*.txt;*.diz;", 0), 0u) << filter;
    EXPECT_NE(filter.find("|Text Files (*.txt;*.diz)|*.txt;*.diz|"), std::string::npos);
    EXPECT_NE(filter.find("|C/C++ Files (*.c;*.cc;*.cpp;*.cxx;*.h;*.hpp;*.hxx;*.hm;*.inl;"
                          "*.rh;*.tlh;*.tli;*.xs)|"),
              std::string::npos);
    EXPECT_EQ(filter.substr(filter.size() - 21), "All Files (*.*)|*.*||");
    EXPECT_EQ(filter.find(";|"), std::string::npos);

    const std::string plain = m_factory.BuildFilterString(false, "%Name:%Exts:%Name");
    EXPECT_EQ(plain.rfind("Text:*.txt;*.diz:Text|", 0), 0u) << plain;

    std::vector<std::string> masks;
    EXPECT_EQ(m_factory.BuildMaskList(masks), m_nCount);
    EXPECT_EQ(masks[0], "*.txt;*.diz");
    EXPECT_EQ(CSyntaxParserFactory::MakeMask("bat,btm,cmd"), "*.bat;*.btm;*.cmd");
}

TEST_F(SyntaxFactory, SyntaxMenuListsEveryParserAndChecksTheCurrentOne)
{
    const auto menu = m_factory.BuildSyntaxMenu(4);
    ASSERT_EQ(menu.size(), static_cast<size_t>(m_nCount) + 1);
    EXPECT_EQ(menu[0].nCommandId, kSyntaxFirstCommandId);
    EXPECT_EQ(menu[0].strText, "Text");
    EXPECT_TRUE(menu[1].bSeparator);
    int checked = 0;
    for (const SSyntaxMenuItem& item : menu)
    {
        if (item.bChecked)
        {
            ++checked;
            EXPECT_EQ(item.nCommandId, kSyntaxFirstCommandId + 4);
            EXPECT_EQ(item.strText, "C/C++");
        }
    }
    EXPECT_EQ(checked, 1);
}

// The number of distinct words each parser's lists hold, as the languages define them
// (order does not matter). A word dropped or mistyped while copying shows up here.
TEST(SyntaxWordLists, EveryListHasItsDefinedWordCount)
{
    const std::map<int, std::vector<int>> expected = {
        {0, {}},
        {1, {77, 57, 100, 149}},
        {2, {182}},
        {3, {177, 66, 268}},
        {4, {108, 29}},
        {5, {76}},
        {6, {20, 18, 31}},
        {7, {204}},
        {8, {93, 122, 100}},
        {9, {}},
        {10, {201, 79}},
        {11, {44, 30, 15}},
        {12, {50}},
        {13, {226}},
        {14, {224, 94}},
        {15, {51}},
        {16, {221}},
        {17, {93, 122, 100, 48, 3, 5}},
        {18, {28, 37, 51}},
        {19, {55, 10}},
        {20, {80, 51}},
        {21, {55, 4, 100}},
        {22, {28, 8}},
        {23, {70, 9, 203}},
        {24, {17, 10}},
        {25, {14}},
        {26, {500, 288}},
        {27, {6, 22, 100}},
    };
    for (int id = 0; id < kSyntaxClassicParserCount; ++id)
    {
        std::unique_ptr<CSyntaxParser> parser(g_syntaxParserCreators[id]());
        if (!parser)
            continue;
        std::vector<int> counts;
        for (int i = 0; i < parser->GetWordListCount(); ++i)
        {
            const SSyntaxWordList list = parser->GetWordList(i);
            counts.push_back(CountDistinctWords(list.pWords, false));
            // Every word is found by the parser's own kind of lookup.
            for (const char* const* w = list.pWords; *w != nullptr; ++w)
            {
                const int length = static_cast<int>(strlen(*w));
                EXPECT_TRUE(list.bNoCase ? IsKeywordNoCase(list.pWords, *w, length)
                                         : IsKeyword(list.pWords, *w, length));
            }
        }
        std::vector<int> want = expected.at(id);
        std::sort(counts.begin(), counts.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(counts, want) << "parser " << id << " (" << parser->GetName() << ")";
    }
}
} // namespace

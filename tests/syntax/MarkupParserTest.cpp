// The markup parsers (HTML, XML, SGML, ASP, PHP) beyond the golden files: their
// definitions, the size of every word list, that each list word reaches its colour in the
// context that colours it, and that the returned state never holds bits the parser does
// not carry, whatever state comes in.

#include <gtest/gtest.h>

#include <random>

#include "SyntaxTestUtil.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxMarkup.h"
#include "syntax/SyntaxParsers.h"

namespace
{
struct SCodePageGuard
{
    int nSaved = GetTextCodePage();
    SCodePageGuard() { SetTextCodePage(1252); }
    ~SCodePageGuard() { SetTextCodePage(nSaved); }
};

struct SMarkupCase
{
    int nId;
    const char* name;
    const char* extensions;
    uint32_t dwFlags;
    const char* blockOpen;
    const char* blockClose;
    const char* lineComment;
    std::vector<int> listSizes; // in the order GetWordList reports them
    uint32_t carryMask;
    uint32_t emptyMask;
};

const std::vector<SMarkupCase>& MarkupCases()
{
    static const std::vector<SMarkupCase> cases = {
        {1, "ASP", "asp", 0x30, "", "", "'", {77, 57, 100, 149}, 0x4E, 0x44},
        {8,
         "HTML",
         "html,htm,shtml,ihtml,ssi,stm,stml",
         0x30,
         "<!--",
         "-->",
         "'",
         {93, 122, 100},
         0x4E,
         0x44},
        {17,
         "PHP",
         "php,php3,php4,php5,phtml",
         0x50,
         "/*",
         "*/",
         "//",
         {93, 122, 100, 48, 3, 5},
         0x8E,
         0x84},
        {21, "Sgml", "sgml", 0x30, "<!--", "-->", "'", {55, 4, 100}, 0x4E, 0x04},
        {27, "XML", "xml", 0x30, "<!--", "-->", "", {6, 22, 100}, 0x4E, 0x04},
    };
    return cases;
}

std::unique_ptr<CSyntaxParser> Create(int id)
{
    return std::unique_ptr<CSyntaxParser>(g_syntaxParserCreators[id]());
}

// The colour the user sees at byte `pos` of the coloured line.
int ColourAt(const SColourResult& result, int pos)
{
    int colour = kSyntaxColorNormal;
    for (const SyntaxRun& run : result.runs)
    {
        if (run.nStart <= pos)
            colour = run.nColor;
    }
    return colour;
}

bool IsPlainWord(const std::string& word)
{
    for (unsigned char c : word)
    {
        if (!IsSyntaxWordChar(c))
            return false;
    }
    return !word.empty();
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

TEST(MarkupParsers, DefinitionsAndWordListSizes)
{
    for (const SMarkupCase& c : MarkupCases())
    {
        SCOPED_TRACE(c.name);
        auto parser = Create(c.nId);
        ASSERT_TRUE(parser);
        EXPECT_EQ(c.nId, parser->GetId());
        EXPECT_STREQ(c.name, parser->GetName());
        EXPECT_STREQ(c.extensions, parser->GetExtensions());
        EXPECT_EQ(c.dwFlags, parser->GetFlags());
        EXPECT_STREQ(c.blockOpen, parser->GetBlockCommentOpen());
        EXPECT_STREQ(c.blockClose, parser->GetBlockCommentClose());
        EXPECT_STREQ(c.lineComment, parser->GetLineComment());
        ASSERT_EQ(static_cast<int>(c.listSizes.size()), parser->GetWordListCount());
        for (int i = 0; i < parser->GetWordListCount(); ++i)
        {
            const SSyntaxWordList list = parser->GetWordList(i);
            EXPECT_TRUE(list.bNoCase);
            EXPECT_EQ(c.listSizes[i], CountListEntries(list.pWords)) << "list " << i;
        }
    }
}

// Every list word, in upper and in lower case, gets its list's colour where that list
// applies: tag names after "<", attributes inside a tag, entities between "&" and ";",
// script words inside a script block. A word that an earlier list of the same context
// already claims (XML's ENTITY is in both of its lists) is left out.
TEST(MarkupParsers, EveryListWordReachesItsColourInAnyCase)
{
    SCodePageGuard guard;
    for (const SMarkupCase& c : MarkupCases())
    {
        SCOPED_TRACE(c.name);
        auto parser = Create(c.nId);
        ASSERT_TRUE(parser);
        auto* markup = dynamic_cast<CSyntaxMarkupParser*>(parser.get());
        ASSERT_NE(nullptr, markup);
        const bool scriptDialect = c.nId == 1 || c.nId == 17;
        for (int i = 0; i < parser->GetWordListCount(); ++i)
        {
            const SSyntaxWordList list = parser->GetWordList(i);
            for (const char* const* p = list.pWords; *p != nullptr; ++p)
            {
                const std::string word = *p;
                if (!IsPlainWord(word))
                    continue; // "ACCEPT-CHARSET", "#FIXED", "Select Case" are never one word
                std::string prefix;
                std::string suffix;
                if (i == 0)
                {
                    prefix = "<";
                    suffix = ">";
                }
                else if (i == 1)
                {
                    if (CSyntaxKeywordSet(parser->GetWordList(0).pWords, true)
                            .Contains(word.c_str(), static_cast<int>(word.size())) &&
                        (c.nId == 21 || c.nId == 27))
                        continue;
                    prefix = "<x ";
                    suffix = "=1>";
                }
                else if (i == 2)
                {
                    prefix = "&";
                    suffix = ";";
                }
                else
                {
                    ASSERT_TRUE(scriptDialect);
                    bool claimed = false;
                    for (int k = 3; k < i; ++k)
                        claimed =
                            claimed || CSyntaxKeywordSet(parser->GetWordList(k).pWords, true)
                                           .Contains(word.c_str(), static_cast<int>(word.size()));
                    if (claimed)
                        continue;
                    prefix = "<% ";
                    suffix = " %>";
                }
                for (const std::string& form : {Upper(word), Lower(word)})
                {
                    const SColourResult r = ColourLine(*parser, 0, prefix + form + suffix);
                    EXPECT_EQ(list.nColor, ColourAt(r, static_cast<int>(prefix.size())))
                        << "list " << i << " word " << form;
                    EXPECT_EQ(list.nColor,
                              ColourAt(r, static_cast<int>(prefix.size() + form.size()) - 1))
                        << "list " << i << " word " << form;
                }
            }
        }
    }
}

// Whatever state comes in (a cache filled by another parser, a corrupted value), the state
// that goes out holds only the bits the dialect carries, equals the state-only result,
// and is never the "not computed" marker.
TEST(MarkupParsers, ReturnedStateKeepsOnlyCarriedBits)
{
    SCodePageGuard guard;
    std::mt19937 random(77);
    const char alphabet[] = "<>!-?%&;'\"\\/*#$ab1. {}=";
    for (const SMarkupCase& c : MarkupCases())
    {
        SCOPED_TRACE(c.name);
        auto parser = Create(c.nId);
        ASSERT_TRUE(parser);
        for (uint32_t state : {0u, 0xFFu, 0xFFFFFFFEu, 0x1u, 0x41u, 0x81u, 0x46u, 0x96u})
        {
            EXPECT_EQ(state & c.emptyMask, StateOnly(*parser, state, std::string()));
            for (int line = 0; line < 60; ++line)
            {
                std::string text;
                const int length = 2 + static_cast<int>(random() % 20);
                for (int i = 0; i < length; ++i)
                    text += alphabet[random() % (sizeof(alphabet) - 1)];
                const SColourResult r = ColourLine(*parser, state, text);
                EXPECT_EQ(0u, r.nState & ~c.carryMask) << text;
                EXPECT_EQ(r.nState, StateOnly(*parser, state, text)) << text;
                for (const SyntaxRun& run : r.runs)
                {
                    EXPECT_LT(run.nStart, static_cast<int>(text.size())) << text;
                    EXPECT_EQ(kSyntaxColorBackground, run.nBkColor);
                }
                if (HasFailure())
                    return;
            }
        }
    }
}

// A script comment used to swallow the block's closing "?>" or "%>", leaving every later
// line of the page coloured as script.
TEST(MarkupParsers, ScriptLineCommentEndsAtBlockClose)
{
    SCodePageGuard guard;
    auto php = Create(17);
    auto asp = Create(1);
    ASSERT_TRUE(php && asp);
    EXPECT_EQ(0u, ColourLine(*php, 0, "<?php # x ?>").nState);
    EXPECT_EQ(0u, ColourLine(*php, 0, "<?php // x ?>").nState);
    EXPECT_EQ(0u, ColourLine(*asp, 0, "<% ' x %>").nState);
    // Inside a block comment or a string the delimiter does not end the block.
    EXPECT_EQ(0x84u, ColourLine(*php, 0, "<?php /* ?> */ /* ?>").nState);
    EXPECT_EQ(0x88u, ColourLine(*php, 0, "<?php \"?>").nState);
    EXPECT_EQ(0x48u, ColourLine(*asp, 0, "<% \"%>").nState);
}
} // namespace

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePageConv.h"
#include "platform/SystemInfo.h"

namespace
{
// Decodes and reports the lost count.
std::u16string Decode(int cp, const std::string& bytes, int* pLost = nullptr)
{
    std::u16string out;
    int nLost = 0;
    EXPECT_TRUE(AppendCodePageToUtf16(cp, bytes.data(), bytes.size(), out, &nLost));
    if (pLost)
        *pLost = nLost;
    return out;
}

std::string Encode(int cp, const std::u16string& text, int* pLost = nullptr)
{
    std::string out;
    int nLost = 0;
    EXPECT_TRUE(AppendUtf16ToCodePage(cp, text.data(), text.size(), out, &nLost));
    if (pLost)
        *pLost = nLost;
    return out;
}
} // namespace

TEST(CodePageConv, Utf8CharactersAboveBmpTravelWhole)
{
    int nLost = -1;
    std::u16string wide = Decode(65001, "a\xF0\x9F\x98\x80z", &nLost);
    EXPECT_EQ(wide, std::u16string(u"a\U0001F600z"));
    EXPECT_EQ(nLost, 0);
    EXPECT_EQ(Encode(65001, wide, &nLost), "a\xF0\x9F\x98\x80z");
    EXPECT_EQ(nLost, 0);
}

TEST(CodePageConv, InvalidUtf8BecomesQuestionMarksCountedPerCharacter)
{
    struct SCase
    {
        std::string bytes;
        std::u16string expected;
        int nLost;
    } cases[] = {
        {"\x80", u"?", 1},                     // lone continuation byte
        {"a\xC0\x80z", u"a??z", 2},            // overlong NUL
        {"\xED\xA0\x80", u"???", 3},           // encoded surrogate
        {"ab\xE2\x82", u"ab?", 1},             // cut by the end: one character
        {"\xE2\x82x", u"??x", 2},              // cut by another character
        {"\xF8\x88\x80\x80\x80", u"?????", 5}, // five-byte form
    };
    for (const SCase& c : cases)
    {
        int nLost = 0;
        EXPECT_EQ(Decode(65001, c.bytes, &nLost), c.expected) << c.bytes;
        EXPECT_EQ(nLost, c.nLost) << c.bytes;
    }
}

TEST(CodePageConv, UnpairedSurrogateIsOneLostCharacter)
{
    int nLost = 0;
    EXPECT_EQ(Encode(65001, std::u16string(u"a") + char16_t(0xD800) + u"b", &nLost), "a?b");
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Encode(1252, std::u16string(1, char16_t(0xDC00)), &nLost), "?");
    EXPECT_EQ(nLost, 1);
}

TEST(CodePageConv, SingleByteTableRoundTripsAndCountsLosses)
{
    ASSERT_TRUE(IsSingleByteCodePage(1252));
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    int nLost = 0;
    std::u16string wide = Decode(1252, all, &nLost);
    EXPECT_EQ(nLost, 0) << "every 1252 byte, the unassigned ones included, has a character";
    EXPECT_EQ(wide[0x80 - 1], u'\u20AC');
    EXPECT_EQ(wide[0x81 - 1], u'\u0081');
    EXPECT_EQ(Encode(1252, wide, &nLost), all);
    EXPECT_EQ(nLost, 0);

    // One loss per character: a CJK character and a pair above U+FFFF.
    EXPECT_EQ(Encode(1252, u"x\u4E00\U0001F600y", &nLost), "x??y");
    EXPECT_EQ(nLost, 2);
}

TEST(CodePageConv, EbcdicUsesItsOwnDefaultCharacter)
{
    ASSERT_TRUE(IsCodePageConvertible(37));
    EXPECT_EQ(CodePageDefaultChar(37), "\x6F");
    int nLost = 0;
    EXPECT_EQ(Encode(37, u"A\u4E00", &nLost), "\xC1\x6F");
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Decode(37, "\xC1\x81"), u"Aa");
}

TEST(CodePageConv, DoubleByteCodePageThroughIconv)
{
    ASSERT_TRUE(IsCodePageConvertible(932));
    EXPECT_FALSE(IsSingleByteCodePage(932));
    int nLost = 0;
    std::string sjis = Encode(932, u"a\u65E5\u672Cb\u00E9", &nLost);
    EXPECT_EQ(sjis, "a\x93\xFA\x96\x7B"
                    "b?");
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Decode(932, "a\x93\xFA\x96\x7B", &nLost), u"a\u65E5\u672C");
    // A lead byte cut by the end of the input.
    EXPECT_EQ(Decode(932, "a\x93", &nLost), u"a?");
    EXPECT_EQ(nLost, 1);
}

TEST(CodePageConv, StatefulEncodingKeepsItsShiftStateAroundALoss)
{
    ASSERT_TRUE(IsCodePageConvertible(50220));
    int nLost = 0;
    std::string jis = Encode(50220, u"\u65E5\u00E9\u65E5", &nLost);
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Decode(50220, jis, &nLost), u"\u65E5?\u65E5");
    EXPECT_EQ(nLost, 0);
}

TEST(CodePageConv, FastPathsForUtf16AndAscii)
{
    int nLost = 0;
    EXPECT_EQ(Decode(1200, std::string("a\0\x3D\xD8\x00\xDE", 6)), u"a\U0001F600");
    EXPECT_EQ(Decode(1201, std::string("\0a\0b", 4)), u"ab");
    EXPECT_EQ(Decode(1200, std::string("a\0b", 3), &nLost), u"a?");
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Encode(1201, u"ab"), std::string("\0a\0b", 4));
    EXPECT_EQ(Decode(20127, "a\xE9", &nLost), u"a?");
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Encode(20127, u"a\u00E9\U0001F600", &nLost), "a??");
    EXPECT_EQ(nLost, 2);
}

TEST(CodePageConv, NamesAndAvailability)
{
    EXPECT_STREQ(IconvNameOfCodePage(65001), "UTF-8");
    EXPECT_STREQ(IconvNameOfCodePage(1200), "UTF-16LE");
    EXPECT_STREQ(IconvNameOfCodePage(1201), "UTF-16BE");
    EXPECT_STREQ(IconvNameOfCodePage(20127), "ASCII");
    EXPECT_STREQ(IconvNameOfCodePage(10000), "MACINTOSH");
    EXPECT_STREQ(IconvNameOfCodePage(20866), "KOI8-R");
    EXPECT_STREQ(IconvNameOfCodePage(20932), "EUC-JP");
    EXPECT_STREQ(IconvNameOfCodePage(65000), "UTF-7");
    EXPECT_EQ(IconvNameOfCodePage(709), nullptr);
    EXPECT_FALSE(IsCodePageConvertible(709));
    EXPECT_FALSE(IsCodePageConvertible(12345));
    std::u16string out;
    EXPECT_FALSE(AppendCodePageToUtf16(709, "a", 1, out, nullptr));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(IsSingleByteCodePage(65000));
    EXPECT_TRUE(IsSingleByteCodePage(20866));
}

TEST(CodePageConv, SymbolicCodePagesFollowTheSystem)
{
    SetAnsiCodePage(1252);
    EXPECT_TRUE(AreCodePagesEquivalent(0, 1252));
    EXPECT_TRUE(AreCodePagesEquivalent(3, 0));
    EXPECT_FALSE(AreCodePagesEquivalent(1, 1252));
    EXPECT_EQ(Encode(0, u"\u20AC"), "\x80");
    SetAnsiCodePage(65001);
    EXPECT_EQ(Encode(0, u"\u20AC"), "\xE2\x82\xAC");
    SetAnsiCodePage(0);
}

// The round-trip check of loading runs only for the code pages named as having one-way
// mappings; any other code page whose short sequences do not come back would let a save
// change bytes silently.
TEST(CodePageConv, EveryCodePageWithOneWayMappingsIsNamed)
{
    for (int nCodePage : EnumCodePages())
    {
        if (!IsCodePageConvertible(nCodePage) || HasOneWayMappings(nCodePage))
            continue;
        SCOPED_TRACE(nCodePage);
        int nFailures = 0;
        auto check = [&](const char* bytes, size_t count)
        {
            std::u16string wide;
            int nLost = 0;
            if (!AppendCodePageToUtf16(nCodePage, bytes, count, wide, &nLost) || nLost != 0)
                return;
            std::string back;
            ASSERT_TRUE(AppendUtf16ToCodePage(nCodePage, wide.data(), wide.size(), back, &nLost));
            if (back != std::string(bytes, count) && nFailures++ < 3)
                ADD_FAILURE() << "bytes " << std::hex << (static_cast<unsigned>(bytes[0]) & 0xFF)
                              << " " << (count > 1 ? static_cast<unsigned>(bytes[1]) & 0xFF : 0u);
        };
        for (int a = 0; a < 256; ++a)
        {
            const char one[1] = {static_cast<char>(a)};
            check(one, 1);
            if (IsSingleByteCodePage(nCodePage))
                continue;
            for (int b = 0; b < 256; ++b)
            {
                const char two[2] = {static_cast<char>(a), static_cast<char>(b)};
                check(two, 2);
            }
        }
    }
    EXPECT_TRUE(HasOneWayMappings(932));
    EXPECT_FALSE(HasOneWayMappings(65001));
    EXPECT_FALSE(HasOneWayMappings(1200));
}

// iconv can consume an invalid sequence whole before it reports it; at the end of the
// input the decoder must not then step past it (it read beyond its input before).
TEST(CodePageConv, InvalidSequenceConsumedWholeAtTheEndIsOneLostCharacter)
{
    std::u16string wide;
    int nLost = 0;
    ASSERT_TRUE(AppendCodePageToUtf16(949, "a\xA2\xE8", 3, wide, &nLost));
    EXPECT_EQ(wide, u"a?");
    EXPECT_EQ(nLost, 1);
}

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/Multibyte.h"

namespace
{
int Len(const std::string& s, int i, int cp)
{
    return CharLength(cp, s.data(), static_cast<int>(s.size()), i);
}
bool Trail(const std::string& s, int i, int cp)
{
    return IsTrailByte(cp, s.data(), static_cast<int>(s.size()), i);
}
} // namespace

TEST(Multibyte, ShiftJisTrailBytesInLeadRangeAreFoundFromTheLeft)
{
    // 0x81 0x81 is one character whose trail byte is itself a lead-range byte; the next
    // 0x81 0x40 is another. The trail test must count leads from an aligned point.
    std::string s = "a\x81\x81\x81\x40z";
    EXPECT_FALSE(Trail(s, 1, 932));
    EXPECT_TRUE(Trail(s, 2, 932));
    EXPECT_FALSE(Trail(s, 3, 932));
    EXPECT_TRUE(Trail(s, 4, 932));
    EXPECT_FALSE(Trail(s, 5, 932));
    EXPECT_EQ(Len(s, 1, 932), 2);
    EXPECT_EQ(PrevCharIndex(932, s.data(), 6, 5), 3);
    EXPECT_EQ(PrevCharIndex(932, s.data(), 6, 3), 1);
}

TEST(Multibyte, LeadByteAtEndOfTextIsACharacterOfItsOwn)
{
    std::string s = "ab\x88";
    EXPECT_EQ(Len(s, 2, 936), 1);
    EXPECT_EQ(CharDisplayWidth(936, s.data(), 3, 2), 1);
}

TEST(Multibyte, LeadByteRangesPerCodePage)
{
    EXPECT_TRUE(IsLeadByte(932, 0x81));
    EXPECT_FALSE(IsLeadByte(932, 0xA0));
    EXPECT_TRUE(IsLeadByte(932, 0xFC));
    EXPECT_FALSE(IsLeadByte(932, 0xFD));
    EXPECT_TRUE(IsLeadByte(949, 0xFE));
    EXPECT_FALSE(IsLeadByte(1361, 0xD5));
    EXPECT_TRUE(IsLeadByte(1361, 0xD8));
    EXPECT_FALSE(IsLeadByte(1252, 0x81));
    EXPECT_FALSE(IsTrailByte(1252, "\x81\x81", 2, 1));
}

TEST(Multibyte, Utf8SequencesAreOneCharacter)
{
    std::string s = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80z"; // a é 日 😀 z
    EXPECT_EQ(Len(s, 1, 65001), 2);
    EXPECT_EQ(Len(s, 3, 65001), 3);
    EXPECT_EQ(Len(s, 6, 65001), 4);
    EXPECT_TRUE(Trail(s, 2, 65001));
    EXPECT_TRUE(Trail(s, 8, 65001));
    EXPECT_FALSE(Trail(s, 10, 65001));
    EXPECT_EQ(PrevCharIndex(65001, s.data(), 11, 10), 6);
    EXPECT_EQ(CharDisplayWidth(65001, s.data(), 11, 1), 1);
    EXPECT_EQ(CharDisplayWidth(65001, s.data(), 11, 3), 2);
    EXPECT_EQ(CharDisplayWidth(65001, s.data(), 11, 6), 2);
}

TEST(Multibyte, MalformedUtf8BytesAreSingleCharacters)
{
    // Lone continuation, overlong "/", encoded surrogate, cut sequence at the end.
    std::string s = "\x80\xC0\xAF\xED\xA0\x80\xE6\x97";
    for (int i = 0; i < static_cast<int>(s.size()); ++i)
    {
        EXPECT_EQ(Len(s, i, 65001), 1) << i;
        EXPECT_FALSE(Trail(s, i, 65001)) << i;
    }
    uint32_t cp = 0;
    EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80", 4, 0, &cp), 0); // above U+10FFFF
    EXPECT_EQ(DecodeUtf8("\xF4\x8F\xBF\xBF", 4, 0, &cp), 4);
    EXPECT_EQ(cp, 0x10FFFFu);
}

TEST(Multibyte, EncodeUtf8RoundTrips)
{
    for (uint32_t cp : {0x41u, 0xE9u, 0x7FFu, 0x800u, 0xFFFDu, 0x10000u, 0x1F600u, 0x10FFFFu})
    {
        char buf[4];
        int n = EncodeUtf8(cp, buf);
        ASSERT_GT(n, 0);
        uint32_t back = 0;
        EXPECT_EQ(DecodeUtf8(buf, n, 0, &back), n);
        EXPECT_EQ(back, cp);
    }
    char buf[4];
    EXPECT_EQ(EncodeUtf8(0xD800, buf), 0);
    EXPECT_EQ(EncodeUtf8(0x110000, buf), 0);
}

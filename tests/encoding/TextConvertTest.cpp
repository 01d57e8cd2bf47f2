#include <gtest/gtest.h>

#include "encoding/TextConvert.h"
#include "encoding/UniFile.h"
#include "platform/SystemInfo.h"

namespace
{
std::string Convert(int fromKind, int fromCp, const std::string& data, int toKind, int toCp,
                    int* pLost = nullptr)
{
    std::string out;
    EXPECT_TRUE(ConvertText(fromKind, fromCp, data.data(), data.size(), toKind, toCp, out, pLost));
    return out;
}
} // namespace

TEST(ConvertText, EveryPairOfKinds)
{
    const std::string le("a\0\xE9\0\x3D\xD8\x00\xDE", 8);
    const std::string be("\0a\0\xE9\xD8\x3D\xDE\x00", 8);
    const std::string utf8("a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(Convert(EncodingUcs2Le, 0, le, EncodingUcs2Be, 0), be);
    EXPECT_EQ(Convert(EncodingUcs2Be, 0, be, EncodingUcs2Le, 0), le);
    EXPECT_EQ(Convert(EncodingUcs2Le, 0, le, EncodingUtf8, 0), utf8);
    EXPECT_EQ(Convert(EncodingUtf8, 0, utf8, EncodingUcs2Be, 0), be);
    EXPECT_EQ(Convert(EncodingNone, 65001, utf8, EncodingUcs2Le, 0), le);

    int nLost = 0;
    EXPECT_EQ(Convert(EncodingUtf8, 0, utf8, EncodingNone, 1252, &nLost), "a\xE9?");
    EXPECT_EQ(nLost, 1);
    EXPECT_EQ(Convert(EncodingNone, 1252, "a\xE9\x80", EncodingUtf8, 0), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(Convert(EncodingNone, 1252, "\xE9", EncodingNone, 28595), "?");
    // The same form on both sides is copied, invalid bytes included.
    EXPECT_EQ(Convert(EncodingNone, 65001, "\xFF", EncodingUtf8, 0), "\xFF");
}

TEST(ConvertText, UnknownCodePageFailsWithAnEmptyBuffer)
{
    std::string out = "old";
    EXPECT_FALSE(ConvertText(EncodingNone, 709, "a", 1, EncodingUtf8, 0, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(ConvertText(7, 0, "a", 1, EncodingUtf8, 0, out));
}

TEST(ConvertCodePage, EquivalentPagesCopyAndOthersConvert)
{
    SetAnsiCodePage(1252);
    bool bLost = true;
    EXPECT_EQ(ConvertCodePage("\x81\xFF", 2, 0, 1252, &bLost), "\x81\xFF");
    EXPECT_FALSE(bLost);
    EXPECT_EQ(ConvertCodePage("\xE9\x80", 2, 1252, 437, &bLost), "\x82?");
    EXPECT_TRUE(bLost);
    EXPECT_EQ(ConvertCodePage("", 0, 1252, 437, &bLost), "");
    EXPECT_EQ(ConvertCodePage("x", 1, 709, 1252, &bLost), "?");
    EXPECT_TRUE(bLost);
    SetAnsiCodePage(0);
}

TEST(ConvertCharacter, LossesAndMultibyteResults)
{
    bool bLost = true;
    SetAnsiCodePage(1252);
    EXPECT_EQ(ConvertCharacter('A', &bLost), "A");
    EXPECT_FALSE(bLost);
    EXPECT_EQ(ConvertCharacter(0x20AC, &bLost), "\x80");
    EXPECT_FALSE(bLost);
    EXPECT_EQ(ConvertCharacter(0x4E00, &bLost), "?");
    EXPECT_TRUE(bLost);
    EXPECT_EQ(ConvertCharacter(0x1F600, &bLost), "?");
    EXPECT_TRUE(bLost);

    // A character of two bytes in the code page comes out whole and is not lost.
    SetAnsiCodePage(932);
    EXPECT_EQ(ConvertCharacter(0x65E5, &bLost), "\x93\xFA");
    EXPECT_FALSE(bLost);
    SetAnsiCodePage(65001);
    EXPECT_EQ(ConvertCharacter(0x1F600, &bLost), "\xF0\x9F\x98\x80");
    EXPECT_FALSE(bLost);
    EXPECT_EQ(ConvertCharacter(0xD800, &bLost), "?");
    EXPECT_TRUE(bLost);
    SetAnsiCodePage(0);
}

#include "hex/HexSearch.h"
#include "HexTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace
{

using B = CTarvoHexEditBuffer;

TEST(HexSearchText, TextsAndHexDigitsBecomePatterns)
{
    SHexPattern pattern;
    EXPECT_FALSE(ParseHexSearchText("=", pattern));
    EXPECT_FALSE(ParseHexSearchText("xyz", pattern));
    EXPECT_FALSE(ParseHexSearchText("", pattern));
    ASSERT_TRUE(ParseHexSearchText("0", pattern));
    EXPECT_EQ(pattern.m_bytes, Bytes({0x00}));
    EXPECT_FALSE(pattern.m_bText);
    ASSERT_TRUE(ParseHexSearchText("A B C", pattern));
    EXPECT_EQ(pattern.m_bytes, Bytes({0xAB, 0x0C}));
    ASSERT_TRUE(ParseHexSearchText("=12", pattern));
    EXPECT_EQ(pattern.m_bytes, ToBytes("12"));
    EXPECT_TRUE(pattern.m_bText);
    EXPECT_FALSE(pattern.m_bIgnoreCase);
    ASSERT_TRUE(ParseHexSearchText("~Ab", pattern));
    EXPECT_EQ(pattern.m_bytes, ToBytes("Ab"));
    EXPECT_TRUE(pattern.m_bIgnoreCase);
    EXPECT_FALSE(ParseHexSearchText("~", pattern));
}

class HexSearchTest : public ::testing::Test
{
protected:
    void OpenWith(const Bytes& data)
    {
        WriteFileBytes(m_path, data);
        ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    }
    std::optional<SHexFindResult> Find(const std::string& text, bool bForward, uint32_t s,
                                       uint32_t e)
    {
        return HexFind(m_buffer, text, bForward, s, e, m_sink, nullptr);
    }

    CScratchFolder m_folder;
    std::string m_path = m_folder / "data.bin";
    CRecordingSink m_sink;
    CTarvoHexEditBuffer m_buffer;
};

TEST_F(HexSearchTest, RepeatedSearchFindsOverlappingMatches)
{
    OpenWith(ToBytes("aaaa"));
    auto found = Find("=aa", true, 0, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 0u);
    EXPECT_EQ(found->m_nEnd, 2u);
    EXPECT_TRUE(found->m_bText);
    found = Find("=aa", true, found->m_nStart, found->m_nEnd);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 1u);
    found = Find("=aa", true, found->m_nStart, found->m_nEnd);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 2u);
    EXPECT_FALSE(Find("=aa", true, found->m_nStart, found->m_nEnd));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], "Search text not found (forward search)");

    // And backward from the end, one overlapping match at a time.
    found = Find("=aa", false, 4, 4);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 2u);
    found = Find("=aa", false, found->m_nStart, found->m_nEnd);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 1u);
    found = Find("=aa", false, found->m_nStart, found->m_nEnd);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 0u);
    EXPECT_FALSE(Find("=aa", false, found->m_nStart, found->m_nEnd));
    EXPECT_EQ(m_sink.m_messages.back(), "Search text not found (backward search)");
}

TEST_F(HexSearchTest, MessagesForMissingTooLongAndCaseInsensitiveSearches)
{
    OpenWith(ToBytes("Hello, World"));
    EXPECT_FALSE(Find("xyz", true, 0, 0));
    EXPECT_FALSE(Find("=Hello, World!", true, 0, 0));
    auto found = Find("~WORLD", true, 0, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 7u);
    found = Find("~hello", false, 12, 12);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 0u);
    // Patterns that begin or end in a letter, or in a character without case.
    found = Find("~O, w", true, 0, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 4u);
    found = Find("~O, ", true, 0, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 4u);
    found = Find("~, w", false, 12, 12);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 5u);
    EXPECT_FALSE(Find("=WORLD", true, 0, 0));
    EXPECT_FALSE(Find("~planet", true, 0, 0));
    EXPECT_FALSE(Find("~planet", false, 12, 12));
    found = Find("6c 6c", true, 0, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 2u);
    EXPECT_FALSE(found->m_bText);
    const std::vector<std::string> expected = {
        "There is no search text",
        "Search byte sequence is longer than the file",
        "Search text not found (forward search)",
        "Search text not found (case insensitive search)",
        "Search text not found (case insensitive backward search)",
    };
    EXPECT_EQ(m_sink.m_messages, expected);
}

TEST_F(HexSearchTest, EmptyFileIsShorterThanAnyPattern)
{
    OpenWith({});
    EXPECT_FALSE(Find("00", true, 0, 0));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], "Search byte sequence is longer than the file");
}

// Every search answer agrees with a plain scan, whatever the window borders cut: small
// alphabet so that matches are dense, data in several pieces, and patterns of many lengths.
TEST_F(HexSearchTest, WindowedSearchesAgreeWithAPlainScan)
{
    std::mt19937 random(7);
    Bytes data(100000);
    for (uint8_t& b : data)
    {
        b = "abAB"[random() % 4];
    }
    OpenWith(data);
    // Edits so that reads cross memory and file pieces.
    const uint8_t insert[] = {'b', 'a', 'b'};
    ASSERT_TRUE(m_buffer.Change(B::kInsert, 32770, 3, insert, 0, nullptr));
    ASSERT_TRUE(m_buffer.Change(B::kDelete, 65530, 7, nullptr, 0, nullptr));
    data.insert(data.begin() + 32770, insert, insert + 3);
    data.erase(data.begin() + 65530, data.begin() + 65537);
    ASSERT_EQ(ReadAll(m_buffer), data);

    auto matchesAt = [&](size_t i, const Bytes& p, bool bFold)
    {
        for (size_t j = 0; j < p.size(); ++j)
        {
            uint8_t a = data[i + j];
            uint8_t b = p[j];
            if (bFold)
            {
                a = static_cast<uint8_t>(toupper(a));
                b = static_cast<uint8_t>(toupper(b));
            }
            if (a != b)
            {
                return false;
            }
        }
        return true;
    };
    const uint32_t n = static_cast<uint32_t>(data.size());
    for (int nCase = 0; nCase < 60; ++nCase)
    {
        const size_t m = 1 + random() % 12;
        Bytes p(m);
        for (uint8_t& b : p)
        {
            b = "abAB"[random() % 4];
        }
        const bool bFold = nCase % 3 == 0;
        const std::string text = (bFold ? "~" : "=") + std::string(p.begin(), p.end());
        const uint32_t nStart = static_cast<uint32_t>(random() % n);
        SCOPED_TRACE(text + " from " + std::to_string(nStart));

        int64_t nExpected = -1;
        for (size_t i = nStart; i + m <= n; ++i)
        {
            if (matchesAt(i, p, bFold))
            {
                nExpected = static_cast<int64_t>(i);
                break;
            }
        }
        auto found = Find(text, true, nStart, nStart);
        EXPECT_EQ(found ? int64_t(found->m_nStart) : -1, nExpected);

        nExpected = -1;
        for (size_t i = nStart + 1; i-- > 0;)
        {
            if (i + m <= nStart && matchesAt(i, p, bFold))
            {
                nExpected = static_cast<int64_t>(i);
                break;
            }
        }
        found = Find(text, false, nStart, nStart);
        EXPECT_EQ(found ? int64_t(found->m_nStart) : -1, nExpected);

        const uint32_t nTo = std::min(n, nStart + 1 + static_cast<uint32_t>(random() % 70000));
        std::vector<std::pair<uint32_t, uint32_t>> expected;
        for (size_t i = nStart; i < nTo && i + m <= n; ++i)
        {
            if (matchesAt(i, p, bFold))
            {
                expected.emplace_back(i, i + m);
            }
        }
        EXPECT_EQ(HexFindAllInRange(m_buffer, text, nStart, nTo), expected);
    }
}

TEST_F(HexSearchTest, MatchStraddlingAWindowBorderIsFoundBothWays)
{
    const std::string marker = "Qz7#PbM!";
    // The first window reads 8 + 32767 bytes; put the marker across its end and across
    // the border of the first backward window.
    for (uint32_t nAt : {32768u, 32771u, 65534u, 100000u - 32770u})
    {
        SCOPED_TRACE(nAt);
        Bytes data(100000, 0);
        std::copy(marker.begin(), marker.end(), data.begin() + nAt);
        CTarvoHexEditBuffer buffer;
        WriteFileBytes(m_path, data);
        ASSERT_TRUE(OpenDocument(buffer, m_path));
        auto found = HexFind(buffer, "=" + marker, true, 0, 0, m_sink, nullptr);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->m_nStart, nAt);
        found = HexFind(buffer, "=" + marker, false, 100000, 100000, m_sink, nullptr);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->m_nStart, nAt);
    }
}

class CEscapeAfter : public CHexSearchProgress
{
public:
    explicit CEscapeAfter(int nChecks) : m_nLeft(nChecks) {}
    bool IsEscapePending() override
    {
        ++m_nCalls;
        return --m_nLeft < 0;
    }
    int m_nLeft;
    int m_nCalls = 0;
};

TEST_F(HexSearchTest, EscapeAtACheckpointAsksAndAbortsQuietly)
{
    // Checkpoints fall every 128 KiB forward and at multiples of 2 MiB backward.
    Bytes data(0x300000, 'x');
    data[0x180000] = 'y';
    OpenWith(data);
    CEscapeAfter escape(1);
    EXPECT_FALSE(HexFind(m_buffer, "=y", true, 0, 0, m_sink, &escape));
    EXPECT_EQ(escape.m_nCalls, 2);
    EXPECT_EQ(m_sink.m_questions, std::vector<std::string>({"Abort search?"}));
    EXPECT_EQ(m_sink.m_status, std::vector<std::string>({"Search aborted"}));
    EXPECT_TRUE(m_sink.m_messages.empty());

    // Answering No goes on to the match; backward too.
    m_sink.m_bAnswer = false;
    CEscapeAfter again(0);
    auto found = HexFind(m_buffer, "=y", true, 0, 0, m_sink, &again);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 0x180000u);
    CEscapeAfter back(0);
    found = HexFind(m_buffer, "=y", false, 0x300000, 0x300000, m_sink, &back);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->m_nStart, 0x180000u);
    EXPECT_GT(back.m_nCalls, 0);
}

TEST(HexGoTo, PositionsBeyondTheEndAskToJumpToTheEnd)
{
    CRecordingSink sink;
    auto selection = CheckHexSelection(100, 100, 100, sink);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->m_nCaret, 100u);
    EXPECT_TRUE(sink.m_questions.empty());

    selection = CheckHexSelection(101, 101, 100, sink);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->m_nCaret, 100u);
    EXPECT_EQ(selection->m_nAnchor, 100u);
    ASSERT_EQ(sink.m_questions.size(), 1u);
    EXPECT_EQ(sink.m_questions[0],
              "Attempt to jump to invalid address 101\rJump to EOF instead and continue?");

    sink.m_bAnswer = false;
    EXPECT_FALSE(CheckHexSelection(-1, 0, 100, sink));
    selection = CheckHexSelection(5, 500, 100, sink);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->m_nAnchor, 5u);
    // An address past 2 GiB in a large file is an ordinary address.
    selection = CheckHexSelection(ParseAddressText("8000 0000", 16), -1, 0xF0000000u, sink);
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->m_nCaret, 0x80000000u);
    EXPECT_EQ(sink.m_questions.size(), 2u);
}

TEST(HexGoTo, AddressTextIgnoresCharactersOutsideTheBase)
{
    EXPECT_EQ(ParseAddressText("1 0f:", 16), 0x10Fu);
    EXPECT_EQ(ParseAddressText("1,234", 10), 1234u);
    EXPECT_EQ(ParseAddressText("1 0000 0000", 16), 0u); // wraps at 32 bits
    EXPECT_EQ(ParseAddressText("", 16), 0u);
}

} // namespace

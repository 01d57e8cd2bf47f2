// The worker search finds what the window search of the hex search finds, in both
// directions, and stops when aborted.

#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "HexTestSupport.h"
#include "hex/HexSearchJob.h"

TEST(HexSearchJob, AgreesWithTheWindowSearchInBothDirections)
{
    CScratchFolder folder;
    std::mt19937 random(7);
    // Over 2 MiB, so that matches straddle the job's read windows.
    Bytes data(2u * 1024 * 1024 + 333);
    for (uint8_t& b : data)
        b = static_cast<uint8_t>('a' + random() % 3);
    WriteFileBytes(folder / "d.bin", data);
    CTarvoHexEditBuffer buffer;
    ASSERT_TRUE(OpenDocument(buffer, folder / "d.bin"));
    CSilentHexMessageSink silent;
    for (int nCase = 0; nCase < 60; ++nCase)
    {
        std::string text = "=";
        const int m = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < m; ++i)
            text += static_cast<char>('a' + random() % 3);
        if (nCase % 5 == 0)
            text[0] = '~';
        const uint32_t a = static_cast<uint32_t>(random() % data.size());
        const uint32_t b = nCase % 3 == 0 ? a : a + static_cast<uint32_t>(random() % 4);
        for (bool bForward : {true, false})
        {
            SHexPattern pattern;
            std::string strMessage;
            ASSERT_TRUE(CHexSearchJob::Prepare(buffer, text, pattern, strMessage));
            CHexSearchJob job(buffer, pattern, bForward, a, b);
            job.Run();
            const auto expected = HexFind(buffer, text, bForward, a, b, silent, nullptr);
            ASSERT_EQ(job.GetOutcome() == EHexSearchOutcome::Found, expected.has_value())
                << text << " " << a << " " << bForward;
            if (expected)
            {
                EXPECT_EQ(job.GetResult().m_nStart, expected->m_nStart) << text << " " << bForward;
                EXPECT_EQ(job.GetResult().m_nEnd, expected->m_nEnd);
            }
        }
    }
}

TEST(HexSearchJob, MessagesAndAbort)
{
    CScratchFolder folder;
    WriteFileBytes(folder / "d.bin", ToBytes("abc"));
    CTarvoHexEditBuffer buffer;
    ASSERT_TRUE(OpenDocument(buffer, folder / "d.bin"));
    SHexPattern pattern;
    std::string strMessage;
    EXPECT_FALSE(CHexSearchJob::Prepare(buffer, "=", pattern, strMessage));
    EXPECT_EQ(strMessage, "There is no search text");
    EXPECT_FALSE(CHexSearchJob::Prepare(buffer, "xyz", pattern, strMessage));
    EXPECT_EQ(strMessage, "There is no search text");
    EXPECT_FALSE(CHexSearchJob::Prepare(buffer, "=abcd", pattern, strMessage));
    EXPECT_EQ(strMessage, "Search byte sequence is longer than the file");
    ASSERT_TRUE(CHexSearchJob::Prepare(buffer, "~X", pattern, strMessage));
    CHexSearchJob back(buffer, pattern, false, 3, 3);
    back.Run();
    EXPECT_EQ(back.GetNotFoundMessage(),
              "Search text not found (case insensitive backward search)");
    ASSERT_TRUE(CHexSearchJob::Prepare(buffer, "=b", pattern, strMessage));
    CHexSearchJob aborted(buffer, pattern, true, 0, 0);
    aborted.Abort();
    aborted.Run();
    EXPECT_EQ(aborted.GetOutcome(), EHexSearchOutcome::Aborted);
    EXPECT_EQ(aborted.GetNotFoundMessage(), "");
}

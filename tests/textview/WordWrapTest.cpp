// Word wrap in the layout: the sub-line data kept in the buffer, lazy wrapping after edits,
// and the whole-text pass on its worker thread racing edits, resizes and new requests.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TextViewTestUtil.h"
#include "platform/SystemInfo.h"
#include "textview/TextLayout.h"

namespace
{
// 16 px margin (hidden), 10 px columns: a client of 16 + 10 n pixels holds n columns.
constexpr int ClientWidth(int columns)
{
    return 16 + 10 * columns;
}

std::string Paragraphs(int n, int seed)
{
    std::mt19937 rng(static_cast<unsigned>(seed));
    std::string text;
    for (int i = 0; i < n; ++i)
    {
        const int words = static_cast<int>(rng() % 30);
        for (int w = 0; w < words; ++w)
            text += std::string(1 + rng() % 9, static_cast<char>('a' + rng() % 26)) +
                    (rng() % 7 == 0 ? "\t" : " ");
        text += "\n";
    }
    return text;
}

// What a synchronous, fresh layout says: the rows of every line and their starts.
std::vector<std::vector<int>> ReferenceRows(CTarvoTextEditBuffer& buffer, int columns)
{
    CTextLayout fresh;
    fresh.SetBuffer(&buffer);
    fresh.SetMetrics(10, 20, 6);
    fresh.SetViewFlags(0);
    fresh.SetClientSize(ClientWidth(columns), 200);
    std::vector<std::vector<int>> rows;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
    {
        std::vector<int> breaks;
        fresh.SetPrintColumns(columns);
        fresh.GetLineBreaks(i, &breaks, true);
        rows.push_back(breaks);
    }
    return rows;
}

class WordWrapTest : public ::testing::Test
{
protected:
    void SetUp() override { SetTextCodePage(1252); }
    void TearDown() override
    {
        m_buffer.DetachView(&m_view);
        SetTextCodePage(0);
    }

    void Load(const std::string& text, int columns)
    {
        MakeBuffer(m_buffer, text);
        m_layout.SetBuffer(&m_buffer);
        m_layout.SetMetrics(10, 20, 6);
        m_layout.SetViewFlags(0);
        m_layout.SetClientSize(ClientWidth(columns), 200);
        m_buffer.AttachView(&m_view);
        m_layout.SetWrapEndCallback([this](int pass) { m_nEnded.store(pass); });
    }

    // Waits for the end message of the running pass and takes it, as the widget does.
    void FinishPass()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (m_layout.IsWrapPending() && std::chrono::steady_clock::now() < deadline)
        {
            const int pass = m_nEnded.load();
            if (pass != 0)
                m_layout.TakeWrapPassEnd(pass);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_FALSE(m_layout.IsWrapPending());
    }

    // Every line's rows and the sub-line array agree with a fresh computation.
    void ExpectConsistent(int columns)
    {
        const auto reference = ReferenceRows(m_buffer, columns);
        int total = 0;
        for (int i = 0; i < m_buffer.GetLineCount(); ++i)
        {
            std::vector<int> breaks;
            m_layout.GetLineBreaks(i, &breaks);
            ASSERT_EQ(breaks, reference[static_cast<size_t>(i)]) << "line " << i;
            ASSERT_EQ(m_layout.GetSubLineIndex(i), total) << "line " << i;
            total += static_cast<int>(breaks.size()) + 1;
        }
        EXPECT_EQ(m_layout.GetTotalRows(), total);
        const auto& subs = m_buffer.GetSubLines();
        ASSERT_EQ(static_cast<int>(subs.size()), total);
        for (int row = 0; row < total; ++row)
        {
            int line = 0, sub = 0;
            m_layout.GetLineFromRow(row, line, sub);
            ASSERT_EQ(subs[static_cast<size_t>(row)].nLine, line);
            ASSERT_EQ(
                subs[static_cast<size_t>(row)].nStartChar,
                sub == 0 ? 0 : reference[static_cast<size_t>(line)][static_cast<size_t>(sub - 1)]);
        }
    }

    CTarvoTextEditBuffer m_buffer;
    CTextLayout m_layout;
    CLayoutView m_view{m_layout};
    std::atomic<int> m_nEnded{0};
};
} // namespace

TEST_F(WordWrapTest, ShortAndEmptyLinesTakeOneRow)
{
    Load("fits\n\nalso fits", 20);
    m_layout.SetWordWrap(true);
    EXPECT_EQ(m_layout.GetTotalRows(), 3);
    EXPECT_EQ(m_buffer.GetLineRecord(0)->nSubLineCount, 1);
    ASSERT_EQ(m_buffer.GetSubLines().size(), 3u);
    EXPECT_EQ(m_buffer.GetSubLines()[0].nStartChar, 0);
    EXPECT_EQ(m_layout.GetLineRowCount(1), 1);
    EXPECT_EQ(m_layout.GetLineRowCount(7), 1); // past the end
}

TEST_F(WordWrapTest, WrapOffReportsNoBreaksDespiteCachedCounts)
{
    Load("aaaa bbbb cccc dddd eeee", 10);
    m_layout.SetWordWrap(true);
    EXPECT_EQ(m_layout.GetLineRowCount(0), 3);
    EXPECT_EQ(m_layout.GetLineRowCount(0, true), 1); // printing uses its own width (80)
    m_layout.SetWordWrap(false);
    EXPECT_GT(m_buffer.GetLineRecord(0)->nSubLineCount, 1);
    std::vector<int> breaks;
    EXPECT_EQ(m_layout.GetLineBreaks(0, &breaks), 0);
    EXPECT_EQ(m_layout.GetTotalRows(), 1);
    m_layout.SetWordWrap(true);
    EXPECT_EQ(m_layout.GetTotalRows(), 3);
}

TEST_F(WordWrapTest, ContinuationRowsBelongToTheirLine)
{
    Load("x\naaaa bbbb cccc dddd eeee\ny", 10);
    m_layout.SetWordWrap(true);
    EXPECT_EQ(m_layout.GetLineRowCount(1), 3);
    int line = 0, sub = 0;
    for (int row = 1; row <= 3; ++row)
    {
        m_layout.GetLineFromRow(row, line, sub);
        EXPECT_EQ(line, 1);
        EXPECT_EQ(sub, row - 1); // rows 2 and 3 show the continuation image
    }
    m_layout.GetLineFromRow(4, line, sub);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(m_layout.TextToClient({10, 1}).y, 2 * 20); // "cccc" starts the third row
    EXPECT_EQ(m_layout.TextToClient({10, 1}).x, 16);
}

TEST_F(WordWrapTest, EditsRewrapOnlyWhatTheyChanged)
{
    Load(Paragraphs(200, 1), 30);
    m_layout.SetWordWrap(true);
    ExpectConsistent(30);
    std::mt19937 rng(3);
    for (int step = 0; step < 60; ++step)
    {
        const int line = static_cast<int>(rng() % static_cast<unsigned>(m_buffer.GetLineCount()));
        const int len = GetLineLength(m_buffer, line);
        const int x = static_cast<int>(rng() % static_cast<unsigned>(len + 1));
        int el = 0, ec = 0;
        switch (step % 3)
        {
        case 0:
            m_buffer.InsertText(nullptr, line, x, "some words inserted here ", el, ec);
            break;
        case 1:
            m_buffer.InsertText(nullptr, line, x, "new\nline in the middle\n", el, ec);
            break;
        default:
            if (line + 2 < m_buffer.GetLineCount())
                m_buffer.DeleteText(nullptr, line, x, line + 2, 0);
        }
        ExpectConsistent(30);
    }
}

TEST_F(WordWrapTest, ToggleOnAndOffOnTheWorkerThread)
{
    Load(Paragraphs(3000, 2), 40);
    m_layout.SetSyncWrapLines(0);
    m_layout.ScrollToRow(500);
    m_layout.SetWordWrap(true);
    EXPECT_TRUE(m_layout.IsWrapPending());
    EXPECT_EQ(m_layout.GetTotalRows(), m_buffer.GetLineCount()); // unwrapped meanwhile
    FinishPass();
    EXPECT_EQ(m_layout.GetTopLine(), 500);
    ExpectConsistent(40);
    m_layout.SetWordWrap(false);
    EXPECT_EQ(m_layout.GetTotalRows(), m_buffer.GetLineCount());
    EXPECT_EQ(m_layout.GetTopLine(), 500);
}

// Edits, resizes and new wrap requests arrive while the pass runs: each stops the pass
// and waits for it, so neither side ever sees the other's half-done work; at the end the
// wrap matches a fresh computation.
TEST_F(WordWrapTest, EditsAndResizesRaceTheWorkerPass)
{
    const std::string text = Paragraphs(4000, 5);
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round)
    {
        m_buffer.DetachView(&m_view);
        Load(text, 25 + round % 10);
        m_layout.SetSyncWrapLines(0);
        m_layout.SetWordWrap(true);
        int columns = 25 + round % 10;
        for (int step = 0; step < 5; ++step)
        {
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 2000));
            const int line =
                static_cast<int>(rng() % static_cast<unsigned>(m_buffer.GetLineCount()));
            int el = 0, ec = 0;
            switch (rng() % 4)
            {
            case 0:
                m_buffer.InsertText(nullptr, line, 0, "racing words\nand a new line ", el, ec);
                break;
            case 1:
                if (line + 3 < m_buffer.GetLineCount())
                    m_buffer.DeleteText(nullptr, line, 0, line + 3, 0);
                break;
            case 2:
                columns = 20 + static_cast<int>(rng() % 30);
                m_layout.SetClientSize(ClientWidth(columns), 200);
                break;
            default:
                m_layout.SetWordWrap(false);
                m_layout.SetWordWrap(true);
            }
            // A stale end message of a stopped pass must be refused.
            const int stale = m_nEnded.load();
            if (stale != 0 && m_layout.IsWrapPending())
                m_layout.TakeWrapPassEnd(stale);
        }
        FinishPass();
        ExpectConsistent(columns);
        m_nEnded.store(0);
    }
}

TEST_F(WordWrapTest, DestroyingTheLayoutStopsARunningPass)
{
    MakeBuffer(m_buffer, Paragraphs(20000, 9));
    for (int i = 0; i < 5; ++i)
    {
        CTextLayout layout;
        layout.SetBuffer(&m_buffer);
        layout.SetMetrics(10, 20, 6);
        layout.SetClientSize(ClientWidth(30), 200);
        layout.SetSyncWrapLines(0);
        layout.SetWordWrap(true);
        EXPECT_TRUE(layout.IsWrapPending());
    }
}

// The line store: the block array behind it and the line-record primitives.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "text/TextBuffer.h"
#include "text/TextLineArray.h"

namespace
{
CTarvoTextLineInfo Tagged(int tag)
{
    CTarvoTextLineInfo record;
    record.nLength = tag;
    return record;
}

void ExpectSameTags(const CTextLineArray& array, const std::vector<int>& model)
{
    ASSERT_EQ(array.GetSize(), static_cast<int>(model.size()));
    for (int i = 0; i < array.GetSize(); ++i)
        ASSERT_EQ(array[i].nLength, model[static_cast<size_t>(i)]) << "index " << i;
}
} // namespace

// Inserts and removes of every size, at block boundaries and inside blocks, keep the
// order that a plain vector keeps.
TEST(TextLineArray, RandomInsertsAndRemovesKeepVectorOrder)
{
    std::mt19937 random(7);
    CTextLineArray array;
    std::vector<int> model;
    int tag = 0;
    for (int step = 0; step < 400; ++step)
    {
        const int size = static_cast<int>(model.size());
        if (size < 3000 || random() % 3 != 0)
        {
            const int index = static_cast<int>(random() % static_cast<unsigned>(size + 1));
            const int count = random() % 5 == 0 ? static_cast<int>(random() % 2500) + 1 : static_cast<int>(random() % 4) + 1;
            std::vector<CTarvoTextLineInfo> records;
            std::vector<int> tags;
            for (int i = 0; i < count; ++i)
            {
                records.push_back(Tagged(tag));
                tags.push_back(tag++);
            }
            array.Insert(index, records.data(), count);
            model.insert(model.begin() + index, tags.begin(), tags.end());
        }
        else
        {
            const int index = static_cast<int>(random() % static_cast<unsigned>(size));
            const int count = std::min(size - index, static_cast<int>(random() % 3000) + 1);
            array.Remove(index, count);
            model.erase(model.begin() + index, model.begin() + index + count);
        }
        if (step % 50 == 0)
            ExpectSameTags(array, model);
    }
    ExpectSameTags(array, model);
    // Removals merge small neighbours, so blocks stay reasonably full.
    EXPECT_LE(array.GetBlockCount(), static_cast<int>(model.size()) / (CTextLineArray::kMaxBlock / 4) + 2);
    array.Remove(0, array.GetSize());
    EXPECT_EQ(array.GetSize(), 0);
    EXPECT_EQ(array.GetBlockCount(), 0);
}

TEST(TextLineArray, AppendingFillsBlocksCompletely)
{
    CTextLineArray array;
    for (int i = 0; i < 10 * CTextLineArray::kMaxBlock; ++i)
    {
        const CTarvoTextLineInfo record = Tagged(i);
        array.Insert(array.GetSize(), &record, 1);
    }
    EXPECT_EQ(array.GetBlockCount(), 10);
    // Walking backwards (no sequential hint) still finds every record.
    for (int i = array.GetSize() - 1; i >= 0; i -= 97)
        ASSERT_EQ(array[i].nLength, i);
}

TEST(TextLineStore, InsertLineRecordTakesTheEndingFromTheTextAndSizesBlocksIn16ByteSteps)
{
    CTarvoTextBuffer buffer;
    EXPECT_EQ(buffer.InsertLineRecord("abc\r\n", -1, -1), 0);
    EXPECT_EQ(buffer.InsertLineRecord("x\r", 2, -1), 1);
    EXPECT_EQ(buffer.InsertLineRecord("\n", -1, 1), 1);
    EXPECT_EQ(buffer.InsertLineRecord(nullptr, -1, -1), 3);
    EXPECT_EQ(buffer.InsertLineRecord("123456789012345", -1, -1, 3), 4);
    ASSERT_EQ(buffer.GetLineCount(), 7);

    const CTarvoTextLineInfo* line = buffer.GetLineRecord(0);
    EXPECT_EQ(line->nLength, 3);
    EXPECT_EQ(line->nEolLength, 2);
    EXPECT_EQ(line->nMax, 16);
    EXPECT_EQ(line->nFirstSubLine, -1);
    EXPECT_EQ(line->nExtraRows, -1);
    EXPECT_STREQ(line->pcLine, "abc\r\n");
    EXPECT_EQ(buffer.GetLineRecord(1)->nLength, 0);
    EXPECT_EQ(buffer.GetLineRecord(1)->nEolLength, 1);
    EXPECT_EQ(buffer.GetLineRecord(2)->nEolLength, 1);
    EXPECT_EQ(buffer.GetLineRecord(3)->nLength, 0);
    // 15 bytes need 16 with the terminator: (15 + 1) / 16 + 1 blocks of 16.
    EXPECT_EQ(buffer.GetLineRecord(4)->nMax, 32);
    // Copies own their blocks.
    EXPECT_NE(buffer.GetLineRecord(4)->pcLine, buffer.GetLineRecord(5)->pcLine);

    EXPECT_EQ(buffer.InsertLineRecord("x", 1, 9), -1);
    EXPECT_EQ(buffer.InsertLineRecord("x", 1, 0, 0), -1);
    EXPECT_EQ(buffer.GetLineCount(), 7);
}

TEST(TextLineStore, AppendToLineGrowsTheBlockAndDetectsTheEnding)
{
    CTarvoTextBuffer buffer;
    buffer.InsertLineRecord("", 0, -1);
    std::string expected;
    for (int i = 0; i < 40; ++i)
    {
        buffer.AppendToLine(0, "ab", 2);
        expected += "ab";
        const CTarvoTextLineInfo* line = buffer.GetLineRecord(0);
        ASSERT_EQ(line->nMax % 16, 0);
        ASSERT_GT(line->nMax, line->nLength);
    }
    buffer.AppendToLine(0, "\r", 1);
    buffer.AppendToLine(0, "more", 4); // the line has an ending now: ignored
    const CTarvoTextLineInfo* line = buffer.GetLineRecord(0);
    EXPECT_EQ(std::string(line->pcLine, static_cast<size_t>(line->nLength)), expected);
    EXPECT_EQ(line->nEolLength, 1);

    buffer.InsertLineRecord("", 0, -1);
    buffer.AppendToLine(1, "z\r\n", -1);
    EXPECT_EQ(buffer.GetLineRecord(1)->nEolLength, 2);
    EXPECT_EQ(buffer.GetLineRecord(1)->nLength, 1);
    buffer.AppendToLine(7, "z", 1); // no such line: nothing happens
}

TEST(TextLineStore, MoveLineRecordsThenInsertEmptyLinesOpensAGap)
{
    CTarvoTextBuffer buffer;
    for (const char* text : {"a\n", "b\n", "c\n", "d\n", "e"})
        buffer.InsertLineRecord(text, -1, -1);
    // Move b..c two slots down (over d, e): the slots of b, c are then refilled empty.
    CTarvoTextLineInfo* d = buffer.GetLineRecord(3);
    CTarvoTextLineInfo* e = buffer.GetLineRecord(4);
    char* dBlock = d->pcLine;
    char* eBlock = e->pcLine;
    buffer.MoveLineRecords(1, 2, 3);
    buffer.InsertEmptyLines(1, 2);
    EXPECT_STREQ(buffer.GetLineRecord(0)->pcLine, "a\n");
    EXPECT_STREQ(buffer.GetLineRecord(1)->pcLine, "");
    EXPECT_EQ(buffer.GetLineRecord(1)->nMax, 16);
    EXPECT_STREQ(buffer.GetLineRecord(3)->pcLine, "b\n");
    EXPECT_STREQ(buffer.GetLineRecord(4)->pcLine, "c\n");
    // The overwritten records' blocks were the caller's to free.
    std::free(dBlock);
    std::free(eBlock);
    // Out of range: nothing moves.
    buffer.MoveLineRecords(3, 4, 4);
    EXPECT_STREQ(buffer.GetLineRecord(4)->pcLine, "c\n");
}

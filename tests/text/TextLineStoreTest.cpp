// The line store: the block array behind it and the line-record primitives.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
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

namespace
{
// Packed lines of a test: "<tag>" plus an ending, each followed by a zero byte, in memory
// that lives as long as the test.
class CPackedText
{
public:
    char* Pack(const std::vector<int>& tags)
    {
        std::string bytes;
        for (int tag : tags)
        {
            bytes += std::to_string(tag);
            bytes += tag % 3 == 0 ? "\r\n" : (tag % 3 == 1 ? "\n" : "\r");
            bytes += '\0';
        }
        m_blocks.push_back(std::make_unique<char[]>(bytes.size()));
        std::memcpy(m_blocks.back().get(), bytes.data(), bytes.size());
        return m_blocks.back().get();
    }

private:
    std::vector<std::unique_ptr<char[]>> m_blocks;
};

// A record's tag: the number a packed line holds, or the length a tagged record carries.
int TagOf(const CTarvoTextLineInfo& record)
{
    return record.pcLine != nullptr ? std::atoi(record.pcLine) : record.nLength;
}
} // namespace

// Packed blocks mixed with inserted records, removals, reads and flag searches behave as a
// plain vector does; the records of a packed block are made only when one of its lines is
// read or changed, and visiting or searching flags never makes them.
TEST(TextLineArray, PackedBlocksMatchAVectorAndAreMadeOnlyWhenRead)
{
    std::mt19937 random(11);
    CPackedText storage;
    CTextLineArray array;
    std::vector<int> model;
    std::vector<bool> flagged;
    int tag = 0;
    auto appendPacked = [&](int count)
    {
        std::vector<int> tags;
        for (int i = 0; i < count; ++i)
            tags.push_back(tag++);
        array.AppendPacked(storage.Pack(tags), count);
        model.insert(model.end(), tags.begin(), tags.end());
        flagged.insert(flagged.end(), tags.size(), false);
    };
    for (int i = 0; i < 8; ++i)
        appendPacked(i == 3 ? 17 : CTextLineArray::kMaxBlock);
    EXPECT_EQ(array.GetPackedBlockCount(), 8);

    // A visit sees the packed lines as records with their endings, and makes none.
    int visited = 0;
    array.VisitLines(1020, 10, [&](const CTarvoTextLineInfo& record)
    {
        const int expected = model[static_cast<size_t>(1020 + visited++)];
        EXPECT_EQ(TagOf(record), expected);
        EXPECT_EQ(record.nEolLength, expected % 3 == 0 ? 2 : 1);
        EXPECT_EQ(record.nLength + record.nEolLength + 1, record.nMax);
    });
    EXPECT_EQ(visited, 10);
    EXPECT_EQ(array.FindFlagged(0, array.GetSize() - 1, 0x80000), -1);
    EXPECT_EQ(array.GetPackedBlockCount(), 8);
    // Reading one line makes its block only; removing whole packed blocks makes nothing.
    EXPECT_EQ(TagOf(array[2 * CTextLineArray::kMaxBlock + 5]), 2 * CTextLineArray::kMaxBlock + 5);
    EXPECT_EQ(array.GetPackedBlockCount(), 7);
    array.Remove(4 * CTextLineArray::kMaxBlock + 17, 2 * CTextLineArray::kMaxBlock);
    model.erase(model.begin() + 4 * CTextLineArray::kMaxBlock + 17, model.begin() + 6 * CTextLineArray::kMaxBlock + 17);
    flagged.resize(model.size());
    EXPECT_EQ(array.GetPackedBlockCount(), 5);

    for (int step = 0; step < 600; ++step)
    {
        const int size = static_cast<int>(model.size());
        const unsigned action = random() % 10;
        if (action == 0)
            appendPacked(static_cast<int>(random() % CTextLineArray::kMaxBlock) + 1);
        else if (action <= 3 || size < 100)
        {
            const int index = static_cast<int>(random() % static_cast<unsigned>(size + 1));
            const int count = random() % 8 == 0 ? static_cast<int>(random() % 1500) + 1 : static_cast<int>(random() % 3) + 1;
            std::vector<CTarvoTextLineInfo> records;
            for (int i = 0; i < count; ++i)
                records.push_back(Tagged(tag + i));
            array.Insert(index, records.data(), count);
            for (int i = 0; i < count; ++i)
                model.insert(model.begin() + index + i, tag++);
            flagged.insert(flagged.begin() + index, static_cast<size_t>(count), false);
        }
        else if (action <= 5)
        {
            const int index = static_cast<int>(random() % static_cast<unsigned>(size));
            const int count = std::min(size - index, static_cast<int>(random() % 1200) + 1);
            array.Remove(index, count);
            model.erase(model.begin() + index, model.begin() + index + count);
            flagged.erase(flagged.begin() + index, flagged.begin() + index + count);
        }
        else if (action <= 7)
        {
            // Flag a line (which makes its block), then search both ways from anywhere.
            const int line = static_cast<int>(random() % static_cast<unsigned>(size));
            array[line].dwFlags |= 0x10;
            flagged[static_cast<size_t>(line)] = true;
            const int from = static_cast<int>(random() % static_cast<unsigned>(size));
            const int to = static_cast<int>(random() % static_cast<unsigned>(size));
            int expected = -1;
            for (int i = from;; i += from <= to ? 1 : -1)
            {
                if (flagged[static_cast<size_t>(i)])
                {
                    expected = i;
                    break;
                }
                if (i == to)
                    break;
            }
            ASSERT_EQ(array.FindFlagged(from, to, 0x10), expected) << from << ".." << to;
        }
        else
        {
            const int first = static_cast<int>(random() % static_cast<unsigned>(size));
            const int count = static_cast<int>(random() % 3000);
            int i = first;
            array.VisitLines(first, count, [&](const CTarvoTextLineInfo& record)
            {
                ASSERT_EQ(TagOf(record), model[static_cast<size_t>(i)]) << "line " << i;
                ++i;
            });
            ASSERT_EQ(i, std::min(size, first + count));
        }
    }
    appendPacked(100);
    EXPECT_GT(array.GetPackedBlockCount(), 0);
    for (int i = 0; i < array.GetSize(); ++i)
        ASSERT_EQ(TagOf(array[i]), model[static_cast<size_t>(i)]) << "line " << i;
    EXPECT_EQ(array.GetPackedBlockCount(), 0);
}

// Readers on several threads may ask for lines of the same packed blocks at once: each
// block is made once and every reader sees complete records.
TEST(TextLineArray, ConcurrentReadersOfPackedBlocksSeeTheSameRecords)
{
    CPackedText storage;
    CTextLineArray array;
    std::vector<int> tags;
    for (int block = 0; block < 64; ++block)
    {
        tags.clear();
        for (int i = 0; i < CTextLineArray::kMaxBlock; ++i)
            tags.push_back(block * CTextLineArray::kMaxBlock + i);
        array.AppendPacked(storage.Pack(tags), CTextLineArray::kMaxBlock);
    }
    auto reader = [&array](int stride, std::vector<const char*>* seen)
    {
        seen->assign(static_cast<size_t>(array.GetSize()), nullptr);
        for (int i = stride - 1; i < array.GetSize(); i += stride)
        {
            const CTarvoTextLineInfo& record = array[i];
            if (TagOf(record) == i)
                (*seen)[static_cast<size_t>(i)] = record.pcLine;
        }
    };
    std::vector<const char*> a, b;
    std::thread first(reader, 1, &a);
    std::thread second(reader, 3, &b);
    first.join();
    second.join();
    EXPECT_EQ(array.GetPackedBlockCount(), 0);
    for (int i = 0; i < array.GetSize(); ++i)
    {
        ASSERT_NE(a[static_cast<size_t>(i)], nullptr) << i;
        if (i % 3 == 2)
        {
            ASSERT_EQ(b[static_cast<size_t>(i)], a[static_cast<size_t>(i)]) << i;
        }
    }
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

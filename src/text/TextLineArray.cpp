#include "text/TextLineArray.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/LargeBlock.h"

CTextRecordPool::~CTextRecordPool()
{
    ReleaseChunks();
}

void* CTextRecordPool::Take(size_t nBlockBytes)
{
    if (m_pFree != nullptr)
    {
        void* block = m_pFree;
        m_pFree = *static_cast<void**>(block);
        ++m_nLive;
        return block;
    }
    if (m_nLeft < nBlockBytes)
    {
        // Chunks double with the blocks carved so far, so a small document takes one block's
        // room and a large file a few big chunks; from 2 MiB on they are whole huge pages.
        constexpr size_t kHugePage = size_t(2) << 20;
        size_t bytes = std::clamp<size_t>(m_nCarved, 1, 512) * nBlockBytes;
        if (bytes >= kHugePage)
            bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* base = AllocateLargeBlock(bytes);
        if (base == nullptr)
            throw std::bad_alloc();
        try
        {
            m_aChunks.push_back({base, bytes});
        }
        catch (...)
        {
            FreeLargeBlock(base, bytes);
            throw;
        }
        // The rest of the previous chunk, too small for a block, is left unused.
        m_pNext = static_cast<char*>(base);
        m_nLeft = bytes;
    }
    void* block = m_pNext;
    m_pNext += nBlockBytes;
    m_nLeft -= nBlockBytes;
    ++m_nCarved;
    ++m_nLive;
    return block;
}

void CTextRecordPool::Give(void* block)
{
    *static_cast<void**>(block) = m_pFree;
    m_pFree = block;
    --m_nLive;
}

void CTextRecordPool::Trim()
{
    if (m_nLive == 0)
        ReleaseChunks();
}

void CTextRecordPool::ReleaseChunks()
{
    for (const SChunk& chunk : m_aChunks)
        FreeLargeBlock(chunk.pBase, chunk.nBytes);
    m_aChunks.clear();
    m_pNext = nullptr;
    m_nLeft = 0;
    m_pFree = nullptr;
    m_nCarved = 0;
}

CTarvoTextLineInfo CTextLineArray::MakePackedRecord(char* text)
{
    const size_t bytes = std::strlen(text);
    CTarvoTextLineInfo record;
    record.pcLine = text;
    record.nMax = static_cast<int32_t>(bytes + 1);
    int eol = 0;
    if (bytes >= 2 && text[bytes - 2] == '\r' && text[bytes - 1] == '\n')
        eol = 2;
    else if (bytes >= 1 && (text[bytes - 1] == '\r' || text[bytes - 1] == '\n'))
        eol = 1;
    record.nEolLength = eol;
    record.nLength = static_cast<int32_t>(bytes) - eol;
    return record;
}

char* CTextLineArray::SkipPackedLine(char* text)
{
    return text + std::strlen(text) + 1;
}

int CTextLineArray::GetPackedBlockCount() const
{
    int count = 0;
    for (const SBlock& block : m_aBlocks)
        count += block.pPacked.load(std::memory_order_acquire) != nullptr;
    return count;
}

void CTextLineArray::MakeRecords(SBlock& block) const
{
    const std::lock_guard<std::mutex> lock(m_makeLock);
    char* text = block.pPacked.load(std::memory_order_acquire);
    if (text == nullptr)
        return; // another reader made them meanwhile
    Block records = NewBlock();
    for (int i = 0; i < block.nPacked; ++i)
    {
        records.push_back(MakePackedRecord(text));
        text += records.back().nMax;
    }
    block.records = std::move(records);
    block.pPacked.store(nullptr, std::memory_order_release);
}

void CTextLineArray::AppendPacked(char* text, int count)
{
    assert(text != nullptr && count >= 1 && count <= kMaxBlock);
    SBlock block{Block{CTextRecordAllocator<CTarvoTextLineInfo>(&m_pool)}};
    block.pPacked.store(text, std::memory_order_relaxed);
    block.nPacked = count;
    m_aBlocks.push_back(std::move(block));
    m_aStarts.push_back(m_nSize);
    m_nSize += count;
}

int CTextLineArray::FindFlagged(int first, int last, uint32_t mask) const
{
    if (m_nSize == 0 || mask == 0)
        return -1;
    first = std::clamp(first, 0, m_nSize - 1);
    last = std::clamp(last, 0, m_nSize - 1);
    const int step = first <= last ? 1 : -1;
    size_t block = static_cast<size_t>(FindBlock(first));
    int i = first;
    for (;;)
    {
        const SBlock& b = m_aBlocks[block];
        const int start = m_aStarts[block];
        const int end = start + BlockSize(block); // one past the block's last line
        const bool bPacked = b.pPacked.load(std::memory_order_acquire) != nullptr;
        for (; i >= start && i < end; i += step)
        {
            if (!bPacked && (b.records[static_cast<size_t>(i - start)].dwFlags & mask) != 0)
                return i;
            if (i == last)
                return -1;
        }
        if (step > 0)
            ++block;
        else if (block-- == 0)
            return -1;
        if (block >= m_aBlocks.size())
            return -1;
        i = step > 0 ? m_aStarts[block] : m_aStarts[block] + BlockSize(block) - 1;
    }
}

int CTextLineArray::FindBlock(int index) const
{
    assert(index >= 0 && index < m_nSize);
    const int blockCount = static_cast<int>(m_aBlocks.size());
    int hint = m_nLastBlock.load(std::memory_order_relaxed);
    if (hint < blockCount)
    {
        const int start = m_aStarts[static_cast<size_t>(hint)];
        if (index >= start)
        {
            const int end = start + BlockSize(static_cast<size_t>(hint));
            if (index < end)
                return hint;
            // Sequential walks step into the next block.
            if (hint + 1 < blockCount && index < end + BlockSize(static_cast<size_t>(hint + 1)))
            {
                m_nLastBlock.store(hint + 1, std::memory_order_relaxed);
                return hint + 1;
            }
        }
    }
    const auto it = std::upper_bound(m_aStarts.begin(), m_aStarts.end(), index);
    const int block = static_cast<int>(it - m_aStarts.begin()) - 1;
    m_nLastBlock.store(block, std::memory_order_relaxed);
    return block;
}

void CTextLineArray::Renumber(size_t fromBlock)
{
    auto sizeOf = [](const SBlock& block)
    {
        return block.pPacked.load(std::memory_order_relaxed) != nullptr
                   ? block.nPacked
                   : static_cast<int>(block.records.size());
    };
    m_aStarts.resize(m_aBlocks.size());
    int start = fromBlock == 0 ? 0 : m_aStarts[fromBlock - 1] + sizeOf(m_aBlocks[fromBlock - 1]);
    for (size_t b = fromBlock; b < m_aBlocks.size(); ++b)
    {
        m_aStarts[b] = start;
        start += sizeOf(m_aBlocks[b]);
    }
    assert(start == m_nSize);
    m_nLastBlock.store(0, std::memory_order_relaxed);
}

CTextLineArray::Block CTextLineArray::NewBlock() const
{
    Block block{CTextRecordAllocator<CTarvoTextLineInfo>(&m_pool)};
    // Full capacity from the start: a block never reallocates, and a file loaded line by
    // line fills its blocks completely.
    block.reserve(kMaxBlock);
    return block;
}

void CTextLineArray::Insert(int index, const CTarvoTextLineInfo* records, int count)
{
    assert(index >= 0 && index <= m_nSize && count >= 0);
    if (count <= 0)
        return;
    if (m_aBlocks.empty())
    {
        m_aBlocks.emplace_back(NewBlock());
        m_aStarts.push_back(0);
    }

    // The block that receives the records, and the offset inside it. An index at a block
    // boundary goes to the end of the earlier block, so appending fills the last block.
    size_t block;
    int offset;
    if (index == m_nSize)
    {
        block = m_aBlocks.size() - 1;
        offset = BlockSize(block);
    }
    else
    {
        block = static_cast<size_t>(FindBlock(index));
        offset = index - m_aStarts[block];
        if (offset == 0 && block > 0 && BlockSize(block - 1) + count <= kMaxBlock)
        {
            --block;
            offset = BlockSize(block);
        }
    }

    Block& target = Records(block);
    m_nSize += count;
    if (target.size() + static_cast<size_t>(count) <= kMaxBlock)
    {
        target.insert(target.begin() + offset, records, records + count);
        Renumber(block);
        return;
    }

    // Too many for the block: keep the records before the offset in it, then new blocks
    // with the inserted records, then a block with the records that followed.
    Block tail = NewBlock();
    tail.assign(target.begin() + offset, target.end());
    target.erase(target.begin() + offset, target.end());
    std::vector<SBlock> fresh;
    int done = 0;
    // Top up the cut block first, so that appending line by line leaves full blocks.
    const int room = kMaxBlock - static_cast<int>(target.size());
    if (room > 0)
    {
        const int take = std::min(room, count);
        target.insert(target.end(), records, records + take);
        done = take;
    }
    while (done < count)
    {
        const int take = std::min(kMaxBlock, count - done);
        Block b = NewBlock();
        b.assign(records + done, records + done + take);
        done += take;
        fresh.emplace_back(std::move(b));
    }
    if (!tail.empty())
    {
        if (!fresh.empty() && fresh.back().records.size() + tail.size() <= kMaxBlock)
            fresh.back().records.insert(fresh.back().records.end(), tail.begin(), tail.end());
        else
            fresh.emplace_back(std::move(tail));
    }
    m_aBlocks.insert(m_aBlocks.begin() + static_cast<std::ptrdiff_t>(block) + 1,
                     std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    if (m_aBlocks[block].records.empty())
        m_aBlocks.erase(m_aBlocks.begin() + static_cast<std::ptrdiff_t>(block));
    Renumber(block);
}

void CTextLineArray::Remove(int index, int count)
{
    assert(index >= 0 && count >= 0 && index + count <= m_nSize);
    if (count <= 0)
        return;
    size_t block = static_cast<size_t>(FindBlock(index));
    const size_t first = block;
    int offset = index - m_aStarts[block];
    int left = count;
    // Sizes come from the blocks themselves: the block table is renumbered at the end.
    while (left > 0)
    {
        SBlock& b = m_aBlocks[block];
        const int size = b.pPacked.load(std::memory_order_relaxed) != nullptr ? b.nPacked
                                                                             : static_cast<int>(b.records.size());
        const int take = std::min(left, size - offset);
        if (take == size)
        {
            // A whole block goes; a packed one without ever making its records.
            m_aBlocks.erase(m_aBlocks.begin() + static_cast<std::ptrdiff_t>(block));
        }
        else
        {
            Block& records = Records(block);
            records.erase(records.begin() + offset, records.begin() + offset + take);
            ++block;
        }
        left -= take;
        offset = 0;
    }
    m_nSize -= count;
    const size_t from = first > 0 ? first - 1 : 0;
    if (!m_aBlocks.empty())
        MergeAround(std::min(first, m_aBlocks.size() - 1));
    Renumber(std::min(from, m_aBlocks.empty() ? 0 : m_aBlocks.size() - 1));
    if (m_aBlocks.empty())
        m_aStarts.clear();
}

// Keeps removals from leaving many small blocks: a block joins a neighbour when both fit
// in half a block, so the block count stays near size / (kMaxBlock / 2) at worst. Packed
// blocks are left as they are: merging is not worth making their records.
void CTextLineArray::MergeAround(size_t block)
{
    auto tryMerge = [this](size_t a)
    {
        if (a + 1 >= m_aBlocks.size())
            return false;
        SBlock& left = m_aBlocks[a];
        SBlock& right = m_aBlocks[a + 1];
        if (left.pPacked.load(std::memory_order_relaxed) != nullptr ||
            right.pPacked.load(std::memory_order_relaxed) != nullptr)
            return false;
        if (left.records.size() + right.records.size() > kMaxBlock / 2)
            return false;
        left.records.insert(left.records.end(), right.records.begin(), right.records.end());
        m_aBlocks.erase(m_aBlocks.begin() + static_cast<std::ptrdiff_t>(a) + 1);
        return true;
    };
    if (block > 0 && tryMerge(block - 1))
        --block;
    tryMerge(block);
}

void CTextLineArray::Clear()
{
    m_aBlocks.clear();
    m_aStarts.clear();
    m_nSize = 0;
    m_pool.Trim();
    m_nLastBlock.store(0, std::memory_order_relaxed);
}

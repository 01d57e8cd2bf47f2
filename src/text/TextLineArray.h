#pragma once
// The indexable sequence of line records behind a text buffer.
//
// A file of millions of lines must not move every record when one line is inserted, so the
// records live in blocks of at most kMaxBlock records, with a table of the index at which
// each block starts. Index access finds the block (the last block used is tried first, so
// walking the lines in order costs no search); an insert or a removal moves records inside
// one block only and renumbers the block table. The array owns the records, not the text
// blocks they point to: freeing those is the buffer's business.
//
// A loaded file does not get its records at once. Its lines arrive packed (AppendPacked):
// back to back in memory the buffer owns, each its text, its ending and a zero byte, and
// the records of such a block are made when one of its lines is first asked for. Opening
// a large file then costs its text and nothing per line; the records of the lines nobody
// looks at are never made.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <new>
#include <vector>

#include "text/TextLineInfo.h"

// Storage for the full-size record blocks of one array, carved from large chunks taken
// straight from the system (huge pages where offered). A loaded file of millions of lines
// fills thousands of blocks at once; from the general heap each block would cost a page
// fault per 4 KiB. A returned block is kept for reuse; the chunks go back to the system
// once no block is in use.
class CTextRecordPool
{
public:
    CTextRecordPool() = default;
    CTextRecordPool(const CTextRecordPool&) = delete;
    CTextRecordPool& operator=(const CTextRecordPool&) = delete;
    ~CTextRecordPool();

    // Room for one block of nBlockBytes, the same size on every call; throws
    // std::bad_alloc when the system has none.
    void* Take(size_t nBlockBytes);
    void Give(void* block);
    // Returns the chunks to the system when no block is in use.
    void Trim();

private:
    struct SChunk
    {
        void* pBase;
        size_t nBytes;
    };
    void ReleaseChunks();

    std::vector<SChunk> m_aChunks;
    char* m_pNext = nullptr; // unused rest of the newest chunk
    size_t m_nLeft = 0;      // its bytes
    void* m_pFree = nullptr; // returned blocks, each holding the address of the next
    size_t m_nLive = 0;      // blocks handed out and not returned
    size_t m_nCarved = 0;    // blocks carved from the chunks so far
};

// Allocator of the record blocks: exactly a full block comes from the pool, any other size
// from the heap.
template <class T> class CTextRecordAllocator
{
public:
    using value_type = T;
    static constexpr size_t kPooledCount = 1024;

    explicit CTextRecordAllocator(CTextRecordPool* pool) : m_pPool(pool) {}
    template <class U>
    CTextRecordAllocator(const CTextRecordAllocator<U>& other) : m_pPool(other.m_pPool)
    {
    }

    T* allocate(size_t n)
    {
        if (n == kPooledCount && m_pPool != nullptr)
            return static_cast<T*>(m_pPool->Take(n * sizeof(T)));
        return static_cast<T*>(::operator new(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n)
    {
        if (n == kPooledCount && m_pPool != nullptr)
            m_pPool->Give(p);
        else
            ::operator delete(p);
    }
    template <class U> bool operator==(const CTextRecordAllocator<U>& other) const
    {
        return m_pPool == other.m_pPool;
    }

    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

private:
    template <class U> friend class CTextRecordAllocator;
    CTextRecordPool* m_pPool;
};

class CTextLineArray
{
public:
    static constexpr int kMaxBlock = 1024;

    CTextLineArray() = default;
    CTextLineArray(const CTextLineArray&) = delete;
    CTextLineArray& operator=(const CTextLineArray&) = delete;

    int GetSize() const
    {
        return m_nSize;
    }

    // 0 <= index < GetSize(). The reference stays valid until the next insert or removal.
    // Reading lines from several threads at once is safe (a packed block is made once).
    CTarvoTextLineInfo& operator[](int index)
    {
        const size_t block = static_cast<size_t>(FindBlock(index));
        return Records(block)[static_cast<size_t>(index - m_aStarts[block])];
    }
    const CTarvoTextLineInfo& operator[](int index) const
    {
        const size_t block = static_cast<size_t>(FindBlock(index));
        return Records(block)[static_cast<size_t>(index - m_aStarts[block])];
    }

    // Inserts `count` records before `index` (0 <= index <= GetSize()), in their order.
    void Insert(int index, const CTarvoTextLineInfo* records, int count);
    // Removes `count` records from `index` on; the range must lie inside the array.
    void Remove(int index, int count);
    void Clear();

    // Appends `count` lines (1 <= count <= kMaxBlock) as one block without records. They lie
    // back to back from `text` on, each its text, its ending (CR LF, CR or LF; the last
    // line of the array may have none) and a zero byte, and no line holds another zero
    // byte. The memory must stay unchanged until the records are made, and alive as long
    // as they are: the records point into it, with a capacity of exactly the line's bytes.
    void AppendPacked(char* text, int count);

    // Calls fn(record) for every record made so far, in order. Packed lines have none and
    // are skipped: they own nothing and carry no flags.
    template <class F> void ForEachMade(F&& fn)
    {
        for (SBlock& block : m_aBlocks)
            if (block.pPacked.load(std::memory_order_acquire) == nullptr)
                for (CTarvoTextLineInfo& record : block.records)
                    fn(record);
    }

    // Calls fn(const record&) for the lines first..first+count-1 (clipped to the array), in
    // order, without making the records of packed lines: a temporary stands for each. For
    // walks over the whole text (saving, checking) that must not cost a record per line.
    template <class F> void VisitLines(int first, int count, F&& fn) const
    {
        if (first < 0)
        {
            count += first;
            first = 0;
        }
        if (count > m_nSize - first)
            count = m_nSize - first;
        if (count <= 0)
            return;
        size_t block = static_cast<size_t>(FindBlock(first));
        int offset = first - m_aStarts[block];
        while (count > 0)
        {
            const int size = BlockSize(block);
            const int take = std::min(count, size - offset);
            const SBlock& b = m_aBlocks[block];
            if (char* text = b.pPacked.load(std::memory_order_acquire))
            {
                for (int i = 0; i < offset; ++i)
                    text = SkipPackedLine(text);
                for (int i = 0; i < take; ++i)
                {
                    const CTarvoTextLineInfo record = MakePackedRecord(text);
                    fn(static_cast<const CTarvoTextLineInfo&>(record));
                    text += record.nMax;
                }
            }
            else
            {
                for (int i = 0; i < take; ++i)
                    fn(static_cast<const CTarvoTextLineInfo&>(b.records[static_cast<size_t>(offset + i)]));
            }
            count -= take;
            offset = 0;
            ++block;
        }
    }

    // The first line from `first` to `last` (inclusive, walking backwards when first > last)
    // whose flags share a bit with `mask`; -1 when none. Packed lines carry no flags and are
    // passed over without making their records.
    int FindFlagged(int first, int last, uint32_t mask) const;

    // Blocks in use, and those whose records are made; for memory accounting and tests.
    int GetBlockCount() const
    {
        return static_cast<int>(m_aBlocks.size());
    }
    int GetPackedBlockCount() const;

    // The record of the packed line at `text`, and the start of the line after it.
    static CTarvoTextLineInfo MakePackedRecord(char* text);
    static char* SkipPackedLine(char* text);

private:
    using Block = std::vector<CTarvoTextLineInfo, CTextRecordAllocator<CTarvoTextLineInfo>>;
    static_assert(CTextRecordAllocator<CTarvoTextLineInfo>::kPooledCount == kMaxBlock);

    struct SBlock
    {
        explicit SBlock(Block&& made) : records(std::move(made)) {}
        SBlock(SBlock&& other) noexcept
            : records(std::move(other.records)),
              pPacked(other.pPacked.load(std::memory_order_relaxed)), nPacked(other.nPacked)
        {
        }
        SBlock& operator=(SBlock&& other) noexcept
        {
            records = std::move(other.records);
            pPacked.store(other.pPacked.load(std::memory_order_relaxed), std::memory_order_relaxed);
            nPacked = other.nPacked;
            return *this;
        }

        Block records;
        // The packed lines while their records are not made; null once they are. Set to
        // null (release) only after `records` is filled, so a reader that sees null may
        // read the records without a lock.
        std::atomic<char*> pPacked{nullptr};
        int nPacked = 0;
    };

    int FindBlock(int index) const;
    int BlockSize(size_t block) const
    {
        const size_t next = block + 1;
        return (next < m_aStarts.size() ? m_aStarts[next] : m_nSize) - m_aStarts[block];
    }
    // The records of a block, made first when it is packed.
    Block& Records(size_t block) const
    {
        SBlock& b = m_aBlocks[block];
        if (b.pPacked.load(std::memory_order_acquire) != nullptr)
            MakeRecords(b);
        return b.records;
    }
    void MakeRecords(SBlock& block) const;
    void Renumber(size_t fromBlock);
    Block NewBlock() const;
    void MergeAround(size_t block);

    // Declared before the blocks, so it outlives them.
    mutable CTextRecordPool m_pool;
    // Only making records changes a block behind a const access; it is the one thing that
    // needs the lock. Everything else that changes the array is the single writer's.
    mutable std::mutex m_makeLock;
    mutable std::vector<SBlock> m_aBlocks;
    std::vector<int> m_aStarts; // index of the first record of each block
    int m_nSize = 0;
    // The block of the last access. Atomic because the wrap thread reads lines while the
    // interface thread may read too; the value is only a hint.
    mutable std::atomic<int> m_nLastBlock{0};
};

#pragma once
// The indexable sequence of line records behind a text buffer.
//
// A file of millions of lines must not move every record when one line is inserted, so the
// records live in blocks of at most kMaxBlock records, with a table of the index at which
// each block starts. Index access finds the block (the last block used is tried first, so
// walking the lines in order costs no search); an insert or a removal moves records inside
// one block only and renumbers the block table. The array owns the records, not the text
// blocks they point to: freeing those is the buffer's business.

#include <atomic>
#include <cstddef>
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
    CTarvoTextLineInfo& operator[](int index)
    {
        const int block = FindBlock(index);
        return m_aBlocks[static_cast<size_t>(block)][static_cast<size_t>(index - m_aStarts[static_cast<size_t>(block)])];
    }
    const CTarvoTextLineInfo& operator[](int index) const
    {
        const int block = FindBlock(index);
        return m_aBlocks[static_cast<size_t>(block)][static_cast<size_t>(index - m_aStarts[static_cast<size_t>(block)])];
    }

    // Inserts `count` records before `index` (0 <= index <= GetSize()), in their order.
    void Insert(int index, const CTarvoTextLineInfo* records, int count);
    // Removes `count` records from `index` on; the range must lie inside the array.
    void Remove(int index, int count);
    void Clear();

    // Calls fn(record) for every record in order; cheaper than indexing each in turn.
    template <class F> void ForEach(F&& fn)
    {
        for (Block& block : m_aBlocks)
            for (CTarvoTextLineInfo& record : block)
                fn(record);
    }

    // Blocks in use; for memory accounting and tests.
    int GetBlockCount() const
    {
        return static_cast<int>(m_aBlocks.size());
    }

private:
    using Block = std::vector<CTarvoTextLineInfo, CTextRecordAllocator<CTarvoTextLineInfo>>;
    static_assert(CTextRecordAllocator<CTarvoTextLineInfo>::kPooledCount == kMaxBlock);

    int FindBlock(int index) const;
    void Renumber(size_t fromBlock);
    Block NewBlock() const;
    void MergeAround(size_t block);

    // Declared before the blocks, so it outlives them.
    mutable CTextRecordPool m_pool;
    std::vector<Block> m_aBlocks;
    std::vector<int> m_aStarts; // index of the first record of each block
    int m_nSize = 0;
    // The block of the last access. Atomic because the wrap thread reads lines while the
    // interface thread may read too; the value is only a hint.
    mutable std::atomic<int> m_nLastBlock{0};
};

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
#include <vector>

#include "text/TextLineInfo.h"

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

    // Blocks in use; for memory accounting and tests.
    int GetBlockCount() const
    {
        return static_cast<int>(m_aBlocks.size());
    }

private:
    using Block = std::vector<CTarvoTextLineInfo>;

    int FindBlock(int index) const;
    void Renumber(size_t fromBlock);
    Block NewBlock() const;
    void MergeAround(size_t block);

    std::vector<Block> m_aBlocks;
    std::vector<int> m_aStarts; // index of the first record of each block
    int m_nSize = 0;
    // The block of the last access. Atomic because the wrap thread reads lines while the
    // interface thread may read too; the value is only a hint.
    mutable std::atomic<int> m_nLastBlock{0};
};

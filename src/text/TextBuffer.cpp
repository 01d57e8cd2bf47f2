#include "text/TextBuffer.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

#include "platform/LargeBlock.h"

namespace
{
char* AllocateBlock(int capacity)
{
    char* block = static_cast<char*>(std::malloc(static_cast<size_t>(capacity)));
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

// Length of a trailing line ending of text[0..length): 2 for CR LF, 1 for CR or LF.
int TrailingEolLength(const char* text, int length, int appended)
{
    if (appended > 1 && length > 1 && text[length - 2] == '\r' && text[length - 1] == '\n')
        return 2;
    if (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        return 1;
    return 0;
}
} // namespace

CTarvoTextBuffer::~CTarvoTextBuffer()
{
    CTarvoTextBuffer::FreeAllLines();
}

void CTarvoTextBuffer::FreeLineRecord(CTarvoTextLineInfo& record)
{
    if (!IsSlabBlock(record.pcLine))
        std::free(record.pcLine);
    record.pcLine = nullptr;
}

bool CTarvoTextBuffer::IsSlabBlock(const char* block) const
{
    if (block == nullptr || m_aSlabs.empty())
        return false;
    // Lines in order lie in the same slab, so the last one found is tried first.
    if (m_nLastSlab < m_aSlabs.size())
    {
        const SLineSlab& last = m_aSlabs[m_nLastSlab];
        if (!std::less<const char*>()(block, last.pBase) &&
            std::less<const char*>()(block, last.pBase + last.nSize))
            return true;
    }
    auto it = std::upper_bound(m_aSlabs.begin(), m_aSlabs.end(), block,
                               [](const char* p, const SLineSlab& slab)
                               { return std::less<const char*>()(p, slab.pBase); });
    if (it == m_aSlabs.begin())
        return false;
    --it;
    if (std::less<const char*>()(block, it->pBase) ||
        !std::less<const char*>()(block, it->pBase + it->nSize))
        return false;
    m_nLastSlab = static_cast<size_t>(it - m_aSlabs.begin());
    return true;
}

void CTarvoTextBuffer::FreeSlabs()
{
    for (const SLineSlab& slab : m_aSlabs)
        FreeLargeBlock(slab.pBase, slab.nSize);
    m_aSlabs.clear();
    m_nLastSlab = 0;
    m_pSlabFree = nullptr;
    m_nSlabFree = 0;
    m_pPackedStart = nullptr;
    m_nPackedCount = 0;
}

void CTarvoTextBuffer::FlushPackedLines()
{
    if (m_nPackedCount == 0)
        return;
    m_aLines.AppendPacked(m_pPackedStart, m_nPackedCount);
    m_pPackedStart = nullptr;
    m_nPackedCount = 0;
}

bool CTarvoTextBuffer::AddSlab(int nCapacity, size_t nSlabBytes)
{
    // A line longer than a slab gets a slab of its own size.
    const size_t size = std::max(nSlabBytes, static_cast<size_t>(nCapacity));
    char* base = static_cast<char*>(AllocateLargeBlock(size));
    if (base == nullptr)
        return false;
    SLineSlab slab{base, size};
    try
    {
        m_aSlabs.insert(std::upper_bound(m_aSlabs.begin(), m_aSlabs.end(), slab,
                                         [](const SLineSlab& a, const SLineSlab& b)
                                         { return std::less<const char*>()(a.pBase, b.pBase); }),
                        slab);
    }
    catch (...)
    {
        FreeLargeBlock(base, size);
        throw;
    }
    m_pSlabFree = base;
    m_nSlabFree = size;
    return true;
}

void CTarvoTextBuffer::FreeAllLines()
{
    m_aSubLines.clear();
    m_nWrapState = -1;
    // Packed lines without records live in the slabs and own nothing.
    m_aLines.ForEachMade([this](CTarvoTextLineInfo& record) { FreeLineRecord(record); });
    m_aLines.Clear();
    FreeSlabs();
}

CTarvoTextLineInfo CTarvoTextBuffer::MakeLineRecord(const char* text, int length)
{
    CTarvoTextLineInfo record;
    record.nMax = NewBlockCapacity(length);
    record.pcLine = AllocateBlock(record.nMax);
    if (length > 0)
        std::memcpy(record.pcLine, text, static_cast<size_t>(length));
    record.pcLine[length] = '\0';
    record.nEolLength = TrailingEolLength(text, length, length);
    record.nLength = length - record.nEolLength;
    return record;
}

int CTarvoTextBuffer::InsertLineRecord(const char* text, int length, int index, int count)
{
    if (length < 0)
        length = text == nullptr ? 0 : static_cast<int>(std::strlen(text));
    if (text == nullptr)
        length = 0;
    if (index == -1)
        index = m_aLines.GetSize();
    if (index < 0 || index > m_aLines.GetSize() || count < 1 || length > kMaxLineBytes)
        return -1;
    std::vector<CTarvoTextLineInfo> records;
    records.reserve(static_cast<size_t>(count));
    records.push_back(MakeLineRecord(text, length));
    for (int i = 1; i < count; ++i)
        records.push_back(MakeLineRecord(text, length));
    m_aLines.Insert(index, records.data(), count);
    return index;
}

void CTarvoTextBuffer::RemoveLineRecords(int index, int count)
{
    if (index < 0)
    {
        count += index;
        index = 0;
    }
    if (count > m_aLines.GetSize() - index)
        count = m_aLines.GetSize() - index;
    if (count <= 0)
        return;
    for (int i = index; i < index + count; ++i)
        FreeLineRecord(m_aLines[i]);
    m_aLines.Remove(index, count);
}

void CTarvoTextBuffer::ReserveLineBytes(CTarvoTextLineInfo& record, int nBytes)
{
    if (nBytes <= record.nMax && record.pcLine != nullptr)
        return;
    const int capacity = GrownBlockCapacity(nBytes);
    if (IsSlabBlock(record.pcLine))
    {
        char* moved = AllocateBlock(capacity);
        std::memcpy(moved, record.pcLine, static_cast<size_t>(record.nMax));
        record.pcLine = moved;
        record.nMax = capacity;
        return;
    }
    char* block = static_cast<char*>(std::realloc(record.pcLine, static_cast<size_t>(capacity)));
    if (block == nullptr)
        throw std::bad_alloc();
    if (record.pcLine == nullptr)
        block[0] = '\0';
    record.pcLine = block;
    record.nMax = capacity;
}

void CTarvoTextBuffer::AppendToRecord(CTarvoTextLineInfo& record, const char* text, int length)
{
    assert(record.nEolLength == 0);
    if (text == nullptr || length == 0)
        return;
    if (length < 0)
        length = static_cast<int>(std::strlen(text));
    const int total = record.nLength + length;
    ReserveLineBytes(record, total + 1);
    std::memcpy(record.pcLine + record.nLength, text, static_cast<size_t>(length));
    record.pcLine[total] = '\0';
    record.nEolLength = TrailingEolLength(record.pcLine, total, length);
    record.nLength = total - record.nEolLength;
}

void CTarvoTextBuffer::AppendToLine(int line, const char* text, int length)
{
    CTarvoTextLineInfo* record = GetLineRecord(line);
    if (record == nullptr || record->nEolLength != 0)
        return;
    if (length < 0 && text != nullptr)
        length = static_cast<int>(std::strlen(text));
    if (length > kMaxLineBytes - record->nLength)
        return;
    AppendToRecord(*record, text, length);
}

void CTarvoTextBuffer::MoveLineRecords(int first, int last, int target)
{
    const int size = m_aLines.GetSize();
    if (first < 0 || last < first || last >= size || target < 0 || target + (last - first) >= size)
        return;
    if (target > first)
    {
        for (int i = last; i >= first; --i)
            m_aLines[target + (i - first)] = m_aLines[i];
    }
    else if (target < first)
    {
        for (int i = first; i <= last; ++i)
            m_aLines[target + (i - first)] = m_aLines[i];
    }
}

void CTarvoTextBuffer::InsertEmptyLines(int index, int count)
{
    if (index < 0)
        return;
    const int end = std::min(index + std::max(count, 0), m_aLines.GetSize());
    for (int i = index; i < end; ++i)
    {
        CTarvoTextLineInfo record;
        record.nMax = 16;
        record.pcLine = AllocateBlock(16);
        record.pcLine[0] = '\0';
        m_aLines[i] = record;
    }
}

CTarvoTextLineInfo* CTarvoTextBuffer::GetLineRecord(int line)
{
    if (line < 0 || line >= m_aLines.GetSize())
        return nullptr;
    return &m_aLines[line];
}

const CTarvoTextLineInfo* CTarvoTextBuffer::GetLineRecord(int line) const
{
    if (line < 0 || line >= m_aLines.GetSize())
        return nullptr;
    return &m_aLines[line];
}

void CTarvoTextBuffer::CheckLines([[maybe_unused]] int first, [[maybe_unused]] int last) const
{
#ifndef NDEBUG
    // Visited, not indexed: checking must not make the records of packed lines.
    const int size = m_aLines.GetSize();
    int i = std::max(first, 0);
    m_aLines.VisitLines(i, last - i + 1, [&](const CTarvoTextLineInfo& r)
    {
        assert(r.pcLine != nullptr && r.nLength >= 0);
        assert(r.nMax % 16 == 0 || IsSlabBlock(r.pcLine));
        assert(r.nEolLength >= 0 && r.nEolLength <= 2 && r.nLength + r.nEolLength < r.nMax);
        assert(r.pcLine[r.nLength + r.nEolLength] == '\0');
        assert(std::memchr(r.pcLine, '\r', static_cast<size_t>(r.nLength)) == nullptr);
        assert(std::memchr(r.pcLine, '\n', static_cast<size_t>(r.nLength)) == nullptr);
        const char* eol = r.pcLine + r.nLength;
        assert(r.nEolLength != 2 || (eol[0] == '\r' && eol[1] == '\n'));
        assert(r.nEolLength != 1 || eol[0] == '\r' || eol[0] == '\n');
        assert(i + 1 < size || r.nEolLength == 0);
        ++i;
    });
#endif
}

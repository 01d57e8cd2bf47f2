#pragma once
// The line store of a text document: one record per line, each owning a heap block with
// its text, its own line ending and a terminating zero byte.
//
// Invariants (checked with assert after every primitive edit of the edit buffer): a line's
// text holds no CR or LF; its ending is 0, 1 or 2 bytes (CR, LF or CR LF) and is followed
// by a zero byte; every heap block's capacity is a multiple of 16 and larger than text plus
// ending (a slab line's is exactly text, ending and zero byte); an initialised buffer has
// at least one line and its last line has no ending.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "text/TextLineArray.h"
#include "text/TextLineInfo.h"

// One display row of a wrapped line (filled by word wrapping).
struct CTarvoTextSubLineInfo
{
    int32_t nLine = -1;      // the line the row belongs to
    int32_t nStartChar = -1; // byte index in the line where the row begins; -1 = not filled
    int32_t nReserved1 = 0;
    int32_t nReserved2 = 0;
};

class CTarvoTextBuffer
{
public:
    CTarvoTextBuffer() = default;
    CTarvoTextBuffer(const CTarvoTextBuffer&) = delete;
    CTarvoTextBuffer& operator=(const CTarvoTextBuffer&) = delete;
    virtual ~CTarvoTextBuffer();

    // Empties the sub-line array (wrap state -1), frees every line block, empties the lines.
    virtual void FreeAllLines();

    // Inserts `count` (>= 1) copies of a line made from text[0..length): length -1 means up
    // to the zero byte (a null text is empty). A trailing CR LF, CR or LF becomes the line's
    // ending. index -1 appends. Returns the index of the first new line, or -1 when the
    // index or count is out of range (nothing changes then).
    virtual int InsertLineRecord(const char* text, int length, int index, int count = 1);
    // Frees the blocks of `count` lines from `index` on and closes the gap. A range that
    // does not lie inside the text is clipped to it.
    virtual void RemoveLineRecords(int index, int count);
    // Appends text to a line that has no ending; a trailing CR LF, CR or LF of the result
    // becomes its ending. Length -1 means up to the zero byte. Does nothing for a line that
    // already has an ending or does not exist.
    virtual void AppendToLine(int line, const char* text, int length);
    // Copies the records first..last so that they start at target; the array keeps its
    // size. The blocks are not copied: the slots left behind still point to the moved
    // blocks and must be overwritten (InsertEmptyLines) before anything frees them. Does
    // nothing when a range falls outside the array.
    virtual void MoveLineRecords(int first, int last, int target);
    // Overwrites the slots index..index+count-1 with empty lines (16-byte blocks) without
    // freeing what they pointed to; used after MoveLineRecords. Clipped to the array.
    virtual void InsertEmptyLines(int index, int count);

    int GetLineCount() const
    {
        return m_aLines.GetSize();
    }
    // The record of a line (0 <= line < GetLineCount()), valid until the next change of the
    // line structure; null for a line that does not exist.
    CTarvoTextLineInfo* GetLineRecord(int line);
    const CTarvoTextLineInfo* GetLineRecord(int line) const;

    // Sub-lines of word wrapping and the wrap state (total rows, -1 = not built).
    std::vector<CTarvoTextSubLineInfo>& GetSubLines()
    {
        return m_aSubLines;
    }
    int GetWrapState() const
    {
        return m_nWrapState;
    }
    void SetWrapState(int nState)
    {
        m_nWrapState = nState;
    }

    // Capacity of a new block for n bytes of text and ending: (floor((n + 1) / 16) + 1) * 16.
    static int NewBlockCapacity(int nBytes)
    {
        return ((nBytes + 1) / 16 + 1) * 16;
    }
    // Capacity of a block grown to hold m bytes including the terminator.
    static int GrownBlockCapacity(int nBytes)
    {
        return (nBytes / 16 + 1) * 16;
    }
    // The largest line (text and ending) a block can hold; edits that would pass it are
    // refused, so block sizes never overflow.
    static constexpr int kMaxLineBytes = 0x7FFFFFFF - 64;

protected:
    // A record made from text[0..length) with its own new block, as InsertLineRecord does.
    static CTarvoTextLineInfo MakeLineRecord(const char* text, int length);
    // Packs a line made from text[0..length) (a trailing CR LF, CR or LF is its ending) into
    // the buffer's slabs, behind the line packed before it; a new slab, when one is needed,
    // has at least nSlabBytes. The packed lines join the array a block at a time, without
    // records (CTextLineArray::AppendPacked), in FlushPackedLines or when a block is full.
    // The text must hold no zero byte. Inline: a file load packs one line after another.
    // Throws std::bad_alloc when the system has no room.
    void PackLine(const char* text, int length, size_t nSlabBytes)
    {
        const size_t bytes = static_cast<size_t>(length) + 1;
        if (bytes > m_nSlabFree || m_nPackedCount == CTextLineArray::kMaxBlock)
        {
            FlushPackedLines();
            if (bytes > m_nSlabFree && !AddSlab(static_cast<int>(bytes), nSlabBytes))
                throw std::bad_alloc();
        }
        if (m_nPackedCount == 0)
            m_pPackedStart = m_pSlabFree;
        if (length > 0)
            std::memcpy(m_pSlabFree, text, static_cast<size_t>(length));
        m_pSlabFree[length] = '\0';
        m_pSlabFree += bytes;
        m_nSlabFree -= bytes;
        ++m_nPackedCount;
    }
    void FlushPackedLines();
    // AppendToLine for a record that may not be in the array yet.
    void AppendToRecord(CTarvoTextLineInfo& record, const char* text, int length);
    // Grows the block so that it holds at least nBytes including the terminator.
    void ReserveLineBytes(CTarvoTextLineInfo& record, int nBytes);
    void FreeLineRecord(CTarvoTextLineInfo& record);

    // The lines of a loaded file lie in large slabs that the buffer owns, packed back to
    // back, which spares a heap allocation (and its overhead) per line. A slab line's
    // capacity is exactly its text, ending and zero byte; it is never freed or grown in
    // place: freeing a line forgets its block, growing moves the line to the heap. The
    // slabs go when all lines go (FreeAllLines).
    bool IsSlabBlock(const char* block) const;
    void FreeSlabs();
    // Starts a new slab of at least nSlabBytes and nCapacity bytes; false when the system
    // has no room (the line then takes a heap block).
    bool AddSlab(int nCapacity, size_t nSlabBytes);

    // Asserts the invariants of every line from first to last (debug builds).
    void CheckLines(int first, int last) const;

    CTextLineArray m_aLines;
    std::vector<CTarvoTextSubLineInfo> m_aSubLines;
    int32_t m_nWrapState = -1;

private:
    struct SLineSlab
    {
        char* pBase = nullptr;
        size_t nSize = 0;
    };
    std::vector<SLineSlab> m_aSlabs; // ascending by address
    mutable size_t m_nLastSlab = 0;  // where IsSlabBlock last found a block
    char* m_pSlabFree = nullptr;     // the unused rest of the newest slab
    size_t m_nSlabFree = 0;
    char* m_pPackedStart = nullptr;  // lines packed but not yet handed to the array
    int m_nPackedCount = 0;
};

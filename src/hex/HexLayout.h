#pragma once
// The geometry of the hex view: the address column, where each byte's digits and
// character stand in a row, the conversion between byte positions and points of the
// document (pixels from the top-left corner of the first line, not scrolled), and what a
// change hint makes the view redraw.
//
// A row of R bytes in groups of G, with A the address width, in character cells:
//   | address (A) | hex digits: 3 cells per byte, 1 more after each group | characters (R) |
// Byte p stands on line p / R in column p % R. There are n / R + 1 lines, so there is
// always a place for the caret after the last byte.

#include <cstdint>
#include <string>
#include <vector>

#include "hex/HexFormat.h"

enum class EHexArea
{
    Address,
    Hex,
    Character,
    Beyond, // right of the drawn line
};

struct SHexPoint
{
    int64_t m_nX = 0;
    int64_t m_nY = 0;
};

struct SHexRect
{
    int64_t m_nLeft = 0;
    int64_t m_nTop = 0;
    int64_t m_nRight = 0;
    int64_t m_nBottom = 0;
};

// What the view redraws after a change.
struct SHexInvalidation
{
    enum class EKind
    {
        None,
        Bytes,        // the bytes [m_nFrom, m_nTo) in both areas
        FromPosition, // everything from the line of m_nFrom to the end of the window
        All,
    };
    EKind m_eKind = EKind::None;
    uint32_t m_nFrom = 0;
    uint32_t m_nTo = 0;
};

class CHexLayout
{
public:
    // nRowSize >= 1 and nGroupSize >= 1 (the settings keep them at 4.. and 2..).
    void SetRowGeometry(int nRowSize, int nGroupSize);
    void SetDecimalAddresses(bool bDecimal);
    void SetCharacterArea(bool bShown);
    // Character width and line height in pixels (at least 1).
    void SetMetrics(int nCharWidth, int nLineHeight);
    // Returns true when the address width changed (everything must be redrawn).
    bool SetDataLength(uint32_t nLength);

    int GetRowSize() const { return m_nRowSize; }
    int GetGroupSize() const { return m_nGroupSize; }
    bool IsDecimalAddresses() const { return m_bDecimal; }
    bool IsCharacterAreaShown() const { return m_bCharArea; }
    int GetCharWidth() const { return m_nCharWidth; }
    int GetLineHeight() const { return m_nLineHeight; }
    uint32_t GetDataLength() const { return m_nLength; }

    // Address column width in cells and the printf format of an address.
    int GetAddressWidth() const;
    const char* GetAddressFormat(bool bUppercase) const;
    // The address text of a position as drawn (digit groups and the colon), which the view
    // right-aligns in the address column minus one cell.
    std::string FormatAddress(uint32_t nPosition, bool bUppercase,
                              const SHexNumberFormat& format) const;

    // Cells.
    int GetHexCell(int nColumn) const;
    int GetCharAreaCell() const;
    int GetCharCell(int nColumn) const { return GetCharAreaCell() + nColumn; }
    // The line width: the horizontal scroll extent.
    int GetLineCells() const;
    int64_t GetLineWidth() const { return int64_t(GetLineCells()) * m_nCharWidth; }
    uint32_t GetLineCount() const { return m_nLength / uint32_t(m_nRowSize) + 1; }
    uint32_t GetLineOfPosition(uint32_t nPosition) const
    {
        return nPosition / uint32_t(m_nRowSize);
    }
    uint64_t GetLineStart(uint32_t nLine) const { return uint64_t(nLine) * uint32_t(m_nRowSize); }

    // The top-left point of the byte's digits (hex area; two cells further while the
    // first digit of the byte has been typed) or of its character.
    SHexPoint PositionToPoint(uint32_t nPosition, bool bCharArea, bool bHalfTyped = false) const;
    // The byte at a point of one area: in the hex area the nearest cell counts. Columns
    // below 0 give 0, columns beyond the row give R (R - 1 with bInsideRow). The result
    // may lie beyond the data; the caller clamps it.
    uint64_t PointToPosition(int64_t nX, int64_t nY, bool bCharArea, bool bInsideRow) const;
    // Which part of a line lies under x.
    EHexArea AreaAt(int64_t nX) const;

    // The rectangles of the bytes [nFrom, nTo) in both areas, one pair per line.
    std::vector<SHexRect> RectsOfBytes(uint32_t nFrom, uint32_t nTo) const;
    // What to redraw after a change hint of type nType ('I', 'R', '<', 'D', 'B') of nCount
    // bytes at nOffset, once the new data length is known.
    static SHexInvalidation InvalidationAfterChange(uint32_t nType, uint32_t nOffset,
                                                    uint32_t nCount, bool bAddressWidthChanged);

private:
    int m_nRowSize = 16;
    int m_nGroupSize = 4;
    bool m_bDecimal = false;
    bool m_bCharArea = true;
    int m_nCharWidth = 8;
    int m_nLineHeight = 16;
    uint32_t m_nLength = 0;
};

#include "hex/HexLayout.h"

#include <algorithm>
#include <cstdio>

namespace
{
struct SAddressForm
{
    uint64_t m_nBelow; // the data length this form serves up to (exclusive)
    int m_nWidth;
    const char* m_pszLower;
    const char* m_pszUpper;
};

// Each width leaves room for the digit groups, the colon and one blank cell.
constexpr SAddressForm kHexForms[] = {
    {0x10000, 6, "%04lx:", "%04lX:"},
    {0x1000000, 9, "%06lx:", "%06lX:"},
    {UINT64_MAX, 11, "%08lx:", "%08lX:"},
};
constexpr SAddressForm kDecimalForms[] = {
    {10000, 7, "%4ld:", "%4ld:"},         {100000, 8, "%5ld:", "%5ld:"},
    {1000000, 9, "%6ld:", "%6ld:"},       {10000000, 11, "%7ld:", "%7ld:"},
    {100000000, 12, "%8ld:", "%8ld:"},    {1000000000, 13, "%9ld:", "%9ld:"},
    {UINT64_MAX, 15, "%10ld:", "%10ld:"},
};

template <size_t N> const SAddressForm& FormOf(const SAddressForm (&forms)[N], uint32_t nLength)
{
    for (const SAddressForm& form : forms)
    {
        if (nLength < form.m_nBelow)
        {
            return form;
        }
    }
    return forms[N - 1];
}
} // namespace

void CHexLayout::SetRowGeometry(int nRowSize, int nGroupSize)
{
    m_nRowSize = std::max(1, nRowSize);
    m_nGroupSize = std::max(1, nGroupSize);
}

void CHexLayout::SetDecimalAddresses(bool bDecimal)
{
    m_bDecimal = bDecimal;
}

void CHexLayout::SetCharacterArea(bool bShown)
{
    m_bCharArea = bShown;
}

void CHexLayout::SetMetrics(int nCharWidth, int nLineHeight)
{
    m_nCharWidth = std::max(1, nCharWidth);
    m_nLineHeight = std::max(1, nLineHeight);
}

bool CHexLayout::SetDataLength(uint32_t nLength)
{
    const int nOldWidth = GetAddressWidth();
    m_nLength = nLength;
    return GetAddressWidth() != nOldWidth;
}

int CHexLayout::GetAddressWidth() const
{
    return (m_bDecimal ? FormOf(kDecimalForms, m_nLength) : FormOf(kHexForms, m_nLength)).m_nWidth;
}

const char* CHexLayout::GetAddressFormat(bool bUppercase) const
{
    const SAddressForm& form =
        m_bDecimal ? FormOf(kDecimalForms, m_nLength) : FormOf(kHexForms, m_nLength);
    return bUppercase ? form.m_pszUpper : form.m_pszLower;
}

std::string CHexLayout::FormatAddress(uint32_t nPosition, bool bUppercase,
                                      const SHexNumberFormat& format) const
{
    char text[32];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, GetAddressFormat(bUppercase), static_cast<long>(nPosition));
#pragma GCC diagnostic pop
    std::string address = text;
    // Leading blanks of the decimal forms only pad; the view aligns the text itself.
    address.erase(0, address.find_first_not_of(' '));
    return m_bDecimal ? GroupDecimalDigits(address, format) : GroupHexDigits(address);
}

int CHexLayout::GetHexCell(int nColumn) const
{
    return GetAddressWidth() + 3 * nColumn + nColumn / m_nGroupSize;
}

int CHexLayout::GetCharAreaCell() const
{
    return GetAddressWidth() + 3 * m_nRowSize + m_nRowSize / m_nGroupSize;
}

int CHexLayout::GetLineCells() const
{
    return GetCharAreaCell() + (m_bCharArea ? m_nRowSize : 0);
}

SHexPoint CHexLayout::PositionToPoint(uint32_t nPosition, bool bCharArea, bool bHalfTyped) const
{
    const int nColumn = static_cast<int>(nPosition % uint32_t(m_nRowSize));
    SHexPoint point;
    point.m_nY = int64_t(GetLineOfPosition(nPosition)) * m_nLineHeight;
    if (bCharArea)
    {
        point.m_nX = int64_t(GetCharCell(nColumn)) * m_nCharWidth;
    }
    else
    {
        point.m_nX = int64_t(GetHexCell(nColumn) + (bHalfTyped ? 2 : 0)) * m_nCharWidth;
    }
    return point;
}

uint64_t CHexLayout::PointToPosition(int64_t nX, int64_t nY, bool bCharArea, bool bInsideRow) const
{
    const int64_t nLine = nY < 0 ? 0 : nY / m_nLineHeight;
    const int64_t w = m_nCharWidth;
    int64_t nColumn;
    if (bCharArea)
    {
        const int64_t x = nX - int64_t(GetCharAreaCell()) * w;
        nColumn = x < 0 ? 0 : x / w;
    }
    else
    {
        int64_t x = nX + w / 2 - int64_t(GetAddressWidth()) * w;
        if (x < 0)
        {
            nColumn = 0;
        }
        else
        {
            x -= (x / ((3 * int64_t(m_nGroupSize) + 1) * w)) * w;
            nColumn = x / (3 * w);
        }
    }
    const int64_t nLast = bInsideRow ? m_nRowSize - 1 : m_nRowSize;
    nColumn = std::clamp<int64_t>(nColumn, 0, nLast);
    return uint64_t(nLine) * uint64_t(m_nRowSize) + uint64_t(nColumn);
}

EHexArea CHexLayout::AreaAt(int64_t nX) const
{
    const int64_t w = m_nCharWidth;
    if (nX < int64_t(GetAddressWidth()) * w)
    {
        return EHexArea::Address;
    }
    if (nX >= int64_t(GetLineCells()) * w)
    {
        return EHexArea::Beyond;
    }
    return (m_bCharArea && nX >= int64_t(GetCharAreaCell()) * w) ? EHexArea::Character
                                                                 : EHexArea::Hex;
}

std::vector<SHexRect> CHexLayout::RectsOfBytes(uint32_t nFrom, uint32_t nTo) const
{
    std::vector<SHexRect> rects;
    if (nTo <= nFrom)
    {
        return rects;
    }
    const uint32_t nRow = uint32_t(m_nRowSize);
    const int64_t w = m_nCharWidth;
    for (uint32_t nLine = nFrom / nRow; nLine <= (nTo - 1) / nRow; ++nLine)
    {
        const uint64_t nLineStart = uint64_t(nLine) * nRow;
        const int nFirst = static_cast<int>(std::max<uint64_t>(nFrom, nLineStart) - nLineStart);
        const int nLast =
            static_cast<int>(std::min<uint64_t>(nTo, nLineStart + nRow) - 1 - nLineStart);
        const int64_t nTop = int64_t(nLine) * m_nLineHeight;
        const int64_t nBottom = nTop + m_nLineHeight;
        rects.push_back({GetHexCell(nFirst) * w, nTop, (GetHexCell(nLast) + 2) * w, nBottom});
        if (m_bCharArea)
        {
            rects.push_back({GetCharCell(nFirst) * w, nTop, (GetCharCell(nLast) + 1) * w, nBottom});
        }
        if (nLine == UINT32_MAX)
        {
            break;
        }
    }
    return rects;
}

SHexInvalidation CHexLayout::InvalidationAfterChange(uint32_t nType, uint32_t nOffset,
                                                     uint32_t nCount, bool bAddressWidthChanged)
{
    SHexInvalidation invalidation;
    if (bAddressWidthChanged)
    {
        invalidation.m_eKind = SHexInvalidation::EKind::All;
        return invalidation;
    }
    if (nType == 'R' || nType == '<')
    {
        invalidation.m_eKind = SHexInvalidation::EKind::Bytes;
        invalidation.m_nFrom = nOffset;
        invalidation.m_nTo =
            static_cast<uint32_t>(std::min<uint64_t>(uint64_t(nOffset) + nCount, UINT32_MAX));
        return invalidation;
    }
    invalidation.m_eKind = SHexInvalidation::EKind::FromPosition;
    invalidation.m_nFrom = nOffset;
    return invalidation;
}

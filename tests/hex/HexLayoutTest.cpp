// Geometry of the hex view: address forms, cells, position <-> point, invalidation, and
// the texts of the status panes and dialogs.

#include <gtest/gtest.h>

#include "hex/HexEntryRules.h"
#include "hex/HexFormat.h"
#include "hex/HexLayout.h"

namespace
{
CHexLayout MakeLayout(uint32_t nLength, int nRow = 16, int nGroup = 4, bool bDecimal = false)
{
    CHexLayout layout;
    layout.SetRowGeometry(nRow, nGroup);
    layout.SetDecimalAddresses(bDecimal);
    layout.SetMetrics(7, 15);
    layout.SetDataLength(nLength);
    return layout;
}
} // namespace

TEST(HexLayout, AddressFormWidensAtEachLengthStep)
{
    struct SCase
    {
        uint32_t n;
        bool bDecimal;
        int nWidth;
        const char* pszFormat;
    } cases[] = {
        {0, false, 6, "%04lx:"},          {65535, false, 6, "%04lx:"},
        {65536, false, 9, "%06lx:"},      {0xFFFFFF, false, 9, "%06lx:"},
        {0x1000000, false, 11, "%08lx:"}, {UINT32_MAX, false, 11, "%08lx:"},
        {9999, true, 7, "%4ld:"},         {10000, true, 8, "%5ld:"},
        {999999, true, 9, "%6ld:"},       {1000000, true, 11, "%7ld:"},
        {99999999, true, 12, "%8ld:"},    {100000000, true, 13, "%9ld:"},
        {1000000000, true, 15, "%10ld:"},
    };
    for (const SCase& c : cases)
    {
        const CHexLayout layout = MakeLayout(c.n, 16, 4, c.bDecimal);
        EXPECT_EQ(layout.GetAddressWidth(), c.nWidth) << c.n;
        EXPECT_STREQ(layout.GetAddressFormat(false), c.pszFormat) << c.n;
    }
    EXPECT_STREQ(MakeLayout(65536).GetAddressFormat(true), "%06lX:");

    CHexLayout layout = MakeLayout(65535);
    EXPECT_FALSE(layout.SetDataLength(65534));
    EXPECT_TRUE(layout.SetDataLength(65536)); // one more byte: everything is redrawn
}

TEST(HexLayout, AddressTextsAreGroupedAndFitTheirColumn)
{
    const SHexNumberFormat format;
    EXPECT_EQ(MakeLayout(100).FormatAddress(16, false, format), "0010:");
    EXPECT_EQ(MakeLayout(0x2000000).FormatAddress(0x1000, false, format), "0000 1000:");
    EXPECT_EQ(MakeLayout(0x2000000).FormatAddress(0xABCDEF0, true, format), "0ABC DEF0:");
    EXPECT_EQ(MakeLayout(0x100000).FormatAddress(0xabcdef, false, format), "ab cdef:");
    EXPECT_EQ(MakeLayout(50, 16, 4, true).FormatAddress(16, false, format), "16:");
    const CHexLayout big = MakeLayout(UINT32_MAX, 16, 4, true);
    const std::string text = big.FormatAddress(4000000000u, false, format);
    EXPECT_EQ(text, "4,000,000,000:");
    EXPECT_LE(static_cast<int>(text.size()), big.GetAddressWidth() - 1);
    EXPECT_LE(static_cast<int>(
                  MakeLayout(UINT32_MAX).FormatAddress(UINT32_MAX - 15, false, format).size()),
              MakeLayout(UINT32_MAX).GetAddressWidth() - 1);
    EXPECT_EQ(MakeLayout(9999999, 16, 4, true).FormatAddress(1234567, false, {'.', 3}),
              "1.234.567:");
}

TEST(HexLayout, RowGeometryAndLineCount)
{
    const CHexLayout layout = MakeLayout(32);
    EXPECT_EQ(layout.GetHexCell(0), 6);
    EXPECT_EQ(layout.GetHexCell(3), 6 + 9);
    EXPECT_EQ(layout.GetHexCell(4), 6 + 12 + 1);
    EXPECT_EQ(layout.GetCharAreaCell(), 6 + 48 + 4);
    EXPECT_EQ(layout.GetLineCells(), 6 + 48 + 4 + 16);
    // Always a line for the caret after the last byte; an empty file has one line.
    EXPECT_EQ(layout.GetLineCount(), 3u);
    EXPECT_EQ(MakeLayout(0).GetLineCount(), 1u);
    EXPECT_EQ(MakeLayout(15).GetLineCount(), 1u);
    EXPECT_EQ(layout.GetLineOfPosition(16), 1u);

    CHexLayout noChars = MakeLayout(32);
    noChars.SetCharacterArea(false);
    EXPECT_EQ(noChars.GetLineCells(), 6 + 48 + 4);
}

TEST(HexLayout, EveryColumnRoundTripsInBothAreasWithGroups)
{
    for (int nGroup : {2, 3, 4, 5, 8, 16})
    {
        for (int nRow : {4, 7, 16, 33})
        {
            const CHexLayout layout = MakeLayout(100000, nRow, nGroup);
            for (uint32_t p = 0; p < uint32_t(nRow) * 3; ++p)
            {
                for (bool bChar : {false, true})
                {
                    const SHexPoint at = layout.PositionToPoint(p, bChar);
                    ASSERT_EQ(layout.PointToPosition(at.m_nX, at.m_nY, bChar, true), p)
                        << "row " << nRow << " group " << nGroup << " char " << bChar;
                    // Anywhere on the byte's digits or character still names it.
                    const int64_t nInside = bChar ? 6 : 12;
                    ASSERT_EQ(layout.PointToPosition(at.m_nX + nInside, at.m_nY + 14, bChar, true),
                              p);
                    ASSERT_EQ(layout.AreaAt(at.m_nX), bChar ? EHexArea::Character : EHexArea::Hex);
                }
            }
        }
    }
}

TEST(HexLayout, PointsOutsideTheRowClampToItsEnds)
{
    const CHexLayout layout = MakeLayout(1000);
    EXPECT_EQ(layout.PointToPosition(-50, 20, false, true), 16u);
    EXPECT_EQ(layout.PointToPosition(0, 20, false, true), 16u); // in the address column
    EXPECT_EQ(layout.PointToPosition(0, -5, true, true), 0u);
    const int64_t nFar = layout.GetLineWidth() + 500;
    EXPECT_EQ(layout.PointToPosition(nFar, 0, true, true), 15u);
    EXPECT_EQ(layout.PointToPosition(nFar, 0, true, false), 16u);
    EXPECT_EQ(layout.AreaAt(nFar), EHexArea::Beyond);
    EXPECT_EQ(layout.AreaAt(3), EHexArea::Address);
    // While the first digit has been typed the caret stands after the byte's digits.
    EXPECT_EQ(layout.PositionToPoint(1, false, true).m_nX,
              layout.PositionToPoint(1, false).m_nX + 14);
}

TEST(HexLayout, InvalidationAfterEachKindOfChange)
{
    using EKind = SHexInvalidation::EKind;
    EXPECT_EQ(CHexLayout::InvalidationAfterChange('R', 5, 3, false).m_eKind, EKind::Bytes);
    EXPECT_EQ(CHexLayout::InvalidationAfterChange('R', 5, 3, false).m_nTo, 8u);
    EXPECT_EQ(CHexLayout::InvalidationAfterChange('<', 5, 1, false).m_eKind, EKind::Bytes);
    for (uint32_t nType : {'I', 'D', 'B'})
    {
        const SHexInvalidation inv = CHexLayout::InvalidationAfterChange(nType, 7, 2, false);
        EXPECT_EQ(inv.m_eKind, EKind::FromPosition);
        EXPECT_EQ(inv.m_nFrom, 7u);
    }
    EXPECT_EQ(CHexLayout::InvalidationAfterChange('R', 5, 3, true).m_eKind, EKind::All);

    // Bytes across a line end: one rectangle per line and area.
    const CHexLayout layout = MakeLayout(100);
    const std::vector<SHexRect> rects = layout.RectsOfBytes(14, 18);
    ASSERT_EQ(rects.size(), 4u);
    EXPECT_EQ(rects[0].m_nLeft, layout.GetHexCell(14) * 7);
    EXPECT_EQ(rects[0].m_nRight, (layout.GetHexCell(15) + 2) * 7);
    EXPECT_EQ(rects[2].m_nTop, 15);
    EXPECT_EQ(rects[3].m_nRight, (layout.GetCharCell(1) + 1) * 7);
}

TEST(HexFormat, StatusPaneTexts)
{
    EXPECT_EQ(FormatByteStatus(0x3C, false), "3c, 60, 074, 00111100, '<'");
    EXPECT_EQ(FormatByteStatus(0xAB, true), "AB, 171, 253, 10101011, '\xAB'");
    EXPECT_EQ(FormatByteStatus(0x01, false), "01, 1, 001, 00000001, '^A'");
    EXPECT_EQ(FormatByteStatus(0x00, true), "00, 0, 000, 00000000, '^@'");
    const SHexNumberFormat format;
    EXPECT_EQ(FormatPositionStatus(0x1F4, false, format), "1f4 | 500");
    EXPECT_EQ(FormatPositionStatus(1234567890, true, format), "499602D2 | 1,234,567,890");
    EXPECT_EQ(FormatSelectionSize(9, false, false, format), "9 (9)");
    EXPECT_EQ(FormatSelectionSize(0x12345, true, false, format), "1 2345h (74,565)");
    EXPECT_EQ(FormatSelectionSize(12345, true, true, format), "12,345");
}

TEST(HexFormat, GoToFieldsAndRange)
{
    EXPECT_EQ(FormatGoToRange(0x400, false), "(0 - 0x3ff)");
    EXPECT_EQ(FormatGoToRange(0x400, true), "(0 - 0X3FF)");
    EXPECT_EQ(FormatGoToRange(1, false), "");
    EXPECT_EQ(FormatGoToRange(2, false), "(0 - 0x1)");
    EXPECT_EQ(HexFieldToDecimalText("1 0000"), "65536");
    EXPECT_EQ(HexFieldToDecimalText("zz"), "0");
    EXPECT_EQ(DecimalFieldToHexText("65,536", true), "1 0000");
    EXPECT_EQ(DecimalFieldToHexText("4294967296", false), "0"); // wraps at 32 bits
    EXPECT_EQ(GroupDecimalDigits("12345678", {'\'', 4}), "1234'5678");
}

// --- The hex entry field ------------------------------------------------------------------

namespace
{
SHexEntryState State(const std::string& text, size_t nCaret)
{
    return SHexEntryState{text, nCaret, nCaret};
}
} // namespace

TEST(HexEntry, DigitsAreRegroupedAndTheCaretStaysOnItsDigit)
{
    const CHexEntryRules rules(true);
    SHexEntryState state = State("1234", 4);
    EXPECT_EQ(rules.OnChar('a', state), EHexEntryResult::Handled);
    EXPECT_EQ(state.m_strText, "1 234A");
    EXPECT_EQ(state.m_nCaret, 6u);
    state = State("1234", 0);
    rules.OnChar('f', state);
    EXPECT_EQ(state.m_strText, "F 1234");
    EXPECT_EQ(state.m_nCaret, 2u); // before the 1, which followed the caret
    EXPECT_EQ(rules.OnChar(' ', state), EHexEntryResult::Ignored);
    EXPECT_EQ(rules.OnChar('g', state), EHexEntryResult::Beep);
    EXPECT_EQ(rules.OnChar('-', state), EHexEntryResult::Beep);
    EXPECT_EQ(state.m_strText, "F 1234");

    const CHexEntryRules lower(false);
    state = State("AB", 2);
    lower.OnChar('C', state);
    EXPECT_EQ(state.m_strText, "abc");
    // A selection is replaced.
    state = SHexEntryState{"1 2345", 0, 6};
    rules.OnChar('9', state);
    EXPECT_EQ(state.m_strText, "9");
}

TEST(HexEntry, BackspaceDeleteAndArrowsStepOverGroupBlanks)
{
    const CHexEntryRules rules(true);
    SHexEntryState state = State("12 3456", 3); // right after the blank
    rules.OnChar('\b', state);
    EXPECT_EQ(state.m_strText, "1 3456");
    EXPECT_EQ(state.m_nCaret, 2u);

    state = State("12 3456", 1); // on the 2, which a blank follows
    rules.OnDelete(state);
    EXPECT_EQ(state.m_strText, "1 3456");
    EXPECT_EQ(state.m_nCaret, 2u);

    state = State("12 3456", 3);
    rules.OnLeft(false, state);
    EXPECT_EQ(state.m_nCaret, 1u);
    rules.OnRight(false, state);
    EXPECT_EQ(state.m_nCaret, 3u); // never parked on the blank
    rules.OnRight(false, state);
    EXPECT_EQ(state.m_nCaret, 4u);
    EXPECT_EQ(rules.OnLeft(true, state), EHexEntryResult::Default);

    state = State("", 0);
    rules.OnChar('\b', state);
    rules.OnDelete(state);
    EXPECT_EQ(state.m_strText, "");
}

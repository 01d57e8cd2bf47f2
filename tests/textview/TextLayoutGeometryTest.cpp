// The editing controller over the view's own layout: under word wrap the vertical and row
// commands and the pointer follow the rows the view draws.

#include <gtest/gtest.h>

#include <string>

#include "TextViewTestUtil.h"
#include "platform/SystemInfo.h"
#include "textview/TextEditCommands.h"
#include "textview/TextEditController.h"
#include "textview/TextLayout.h"
#include "textview/TextLayoutGeometry.h"

namespace
{
class LayoutGeometryTest : public ::testing::Test
{
protected:
    void SetUp() override { SetTextCodePage(1252); }
    void TearDown() override
    {
        m_controller.Detach();
        m_buffer.DetachView(&m_view);
        SetTextCodePage(0);
    }

    // 10 px cells; `columns` visible columns right of the margin and `rows` visible rows.
    void Load(const std::string& text, int columns, int rows, bool bWrap)
    {
        MakeBuffer(m_buffer, text);
        m_layout.SetBuffer(&m_buffer);
        m_layout.SetMetrics(10, 20, 6);
        m_layout.SetViewFlags(0);
        m_layout.SetClientSize(m_layout.MarginWidth() + 10 * columns, 20 * rows);
        m_buffer.AttachView(&m_view);
        m_layout.SetWordWrap(bWrap);
        m_geometry.SetScrolledHook([this] { ++m_nScrolled; });
        m_controller.Attach(&m_buffer, &m_geometry);
    }

    int Sub(const STextPosition& pt) { return m_layout.GetSubLineOfChar(pt.y, pt.x); }

    CTarvoTextEditBuffer m_buffer;
    CTextLayout m_layout;
    CLayoutView m_view{m_layout};
    CTextLayoutGeometry m_geometry{m_layout};
    CTarvoTextEditController m_controller;
    int m_nScrolled = 0;
};
} // namespace

TEST_F(LayoutGeometryTest, VerticalAndRowCommandsFollowWrappedRows)
{
    Load("alpha beta gamma delta epsilon\nzeta", 12, 10, true);
    ASSERT_GE(m_layout.GetLineRowCount(0), 3);
    const int row1 = m_geometry.GetSubLineStart(0, 1);
    const int row2 = m_geometry.GetSubLineStart(0, 2);
    ASSERT_GT(row1, 0);

    m_controller.SetCaret({2, 0});
    m_controller.OnCommand(CmdLineDown);
    EXPECT_EQ(m_controller.GetCaret(), (STextPosition{row1 + 2, 0}));
    m_controller.OnCommand(CmdLineEnd);
    // The end of a row that is not the last is its last character, so the caret stays
    // on the row it was on.
    EXPECT_EQ(m_controller.GetCaret(), (STextPosition{row2 - 1, 0}));
    EXPECT_EQ(Sub(m_controller.GetCaret()), 1);
    m_controller.OnCommand(CmdHome);
    EXPECT_EQ(m_controller.GetCaret(), (STextPosition{row1, 0}));
    m_controller.OnCommand(CmdLineUp);
    EXPECT_EQ(m_controller.GetCaret(), (STextPosition{0, 0}));

    // From the last row of the first line Down reaches the next line at the kept column.
    m_controller.SetCaret({row2 + 3, 0});
    for (int i = m_layout.GetSubLineOfChar(0, row2); i + 1 < m_layout.GetLineRowCount(0); ++i)
        m_controller.OnCommand(CmdLineDown);
    m_controller.OnCommand(CmdLineDown);
    EXPECT_EQ(m_controller.GetCaret(), (STextPosition{3, 1}));
}

TEST_F(LayoutGeometryTest, IdealColumnPastAShortRowStaysOnThatRow)
{
    // "ab cdefghijkl": the first row is "ab " and the next starts at "c".
    Load("ab cdefghij\nabcdefghij", 8, 10, true);
    ASSERT_EQ(m_layout.GetLineRowCount(0), 2);
    const int row1 = m_geometry.GetSubLineStart(0, 1);
    m_controller.SetCaret({7, 1});
    m_controller.OnCommand(CmdLineUp);
    m_controller.OnCommand(CmdLineUp);
    EXPECT_EQ(m_controller.GetCaret().y, 0);
    EXPECT_LT(m_controller.GetCaret().x, row1);
    EXPECT_EQ(Sub(m_controller.GetCaret()), 0);
}

TEST_F(LayoutGeometryTest, PointerMapsToRowsAndRoundsToTheNearerBoundary)
{
    Load("alpha beta gamma delta\nzeta", 12, 10, true);
    const int row1 = m_geometry.GetSubLineStart(0, 1);
    // Second row, 2.6 cells in: the boundary after the third character.
    const int m = m_layout.MarginWidth();
    EXPECT_EQ(m_geometry.ClientToText(m + 26, 25), (STextPosition{row1 + 3, 0}));
    EXPECT_EQ(m_geometry.ClientToText(m + 24, 25), (STextPosition{row1 + 2, 0}));
    // Far right of the first row stays on the first row.
    EXPECT_LT(m_geometry.ClientToText(m + 115, 5).x, row1);
    // Above and below the text clamp to the first and last row.
    EXPECT_EQ(m_geometry.ClientToText(0, -50), (STextPosition{0, 0}));
    EXPECT_EQ(m_geometry.ClientToText(0, 5000).y, 1);
}

TEST_F(LayoutGeometryTest, EnsureVisibleScrollsRowsAndColumnsAndReportsIt)
{
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "line " + std::to_string(i) + " " + std::string(40, 'x') + "\n";
    Load(text, 20, 5, false);
    m_controller.OnCommand(CmdTextEnd);
    EXPECT_GT(m_nScrolled, 0);
    const int top = m_layout.GetTopSubLine();
    EXPECT_LE(top, 50);
    EXPECT_GT(top + m_layout.GetScreenRows(), 50);
    m_controller.SetCaret({45, 10});
    m_geometry.EnsureVisible(m_controller.GetCaret());
    EXPECT_EQ(m_layout.GetTopSubLine(), 10);
    EXPECT_GT(m_layout.GetOffsetChar() + m_layout.GetScreenColumns(), 45);
    EXPECT_LE(m_layout.GetOffsetChar(), 45);
}

TEST_F(LayoutGeometryTest, LongestLineFollowsEditsWithoutLosingTrack)
{
    Load("abc\nabcdefgh\nab\nabcdef", 20, 5, false);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 8);
    // Typing on the longest line makes it longer.
    m_controller.SetCaret({8, 1});
    m_controller.OnChar("x");
    m_controller.OnChar("y");
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 10);
    // Another line growing past it.
    m_controller.SetCaret({3, 0});
    for (int i = 0; i < 9; ++i)
        m_controller.OnChar("z");
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 12);
    // The longest shrinking gives the next one.
    m_controller.SetSelection({0, 0}, {12, 0});
    m_controller.OnCommand(CmdDelete);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 10);
    // Deleting whole lines, the longest among them.
    m_controller.SetSelection({0, 1}, {0, 2});
    m_controller.OnCommand(CmdDelete);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 6);
    m_controller.OnCommand(CmdUndo);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 10);
}

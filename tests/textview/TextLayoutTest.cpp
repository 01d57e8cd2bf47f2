// The text layout without a window: columns, margin, rows, scrolling, the reaction to
// buffer changes, pagination and painting plans.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TextViewTestUtil.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/TextLayout.h"

namespace
{
class TextLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override { SetTextCodePage(1252); }
    void TearDown() override { SetTextCodePage(0); }

    // A layout of 10 x 20 pixel cells, 6 px margin digits, over the text.
    void Load(const std::string& text, int width = 800, int height = 400)
    {
        MakeBuffer(m_buffer, text);
        m_layout.SetBuffer(&m_buffer);
        m_layout.SetMetrics(10, 20, 6);
        m_layout.SetClientSize(width, height);
    }

    CTarvoTextEditBuffer m_buffer;
    CTextLayout m_layout;
};

std::string Lines(int n, const std::string& prefix = "line ")
{
    std::string text;
    for (int i = 0; i < n; ++i)
        text += prefix + std::to_string(i) + (i + 1 < n ? "\n" : "");
    return text;
}
} // namespace

TEST_F(TextLayoutTest, TabsCountFromTheLineStartAlsoAfterASubLineBreak)
{
    Load("abcdef\tx");
    EXPECT_EQ(m_layout.CharToColumn(0, 7, true), 8); // the tab at column 6 takes 2
    std::string out;
    EXPECT_EQ(m_layout.ExpandForDisplay("abcdef\tx", 8, 6, 1, 6, out, nullptr), 2);
    EXPECT_EQ(out, "  ");

    // Wrapped at 5 columns the second row starts at "f" (column 5): the tab still ends on
    // column 8 of the line, so it takes 2 columns in its row.
    Load("abcdefgh ij\tk", 16 + 5 * 10 + 9 + 6 * 4 /*margin*/, 400);
    m_layout.SetViewFlags(0);
    m_layout.SetClientSize(16 + 5 * 10 + 9, 400);
    m_layout.SetWordWrap(true);
    std::vector<int> breaks;
    ASSERT_EQ(m_layout.GetLineBreaks(0, &breaks), 2);
    EXPECT_EQ(breaks, (std::vector<int>{5, 9}));
    EXPECT_EQ(m_layout.CharToColumn(0, 12, true), 12);
    EXPECT_EQ(m_layout.CharToColumn(0, 12, false), 3); // row "ij\tk" starts at column 9
    EXPECT_EQ(m_layout.ColumnToChar(0, 2, 2), 11);     // on the tab
    EXPECT_EQ(m_layout.ColumnToChar(0, 3, 2), 12);
}

TEST_F(TextLayoutTest, ShownBlanksTakeTheGlyphsWidth)
{
    Load("a b");
    m_layout.SetShowWhitespace(true);
    EXPECT_EQ(m_layout.CharToColumn(0, 3, true), 3);
    std::string out;
    m_layout.ExpandForDisplay("a\tb c", 5, 0, 5, 0, out, nullptr);
    EXPECT_EQ(out, "a\xBB  b\xB7"
                   "c");       // the glyphs of code page 1252
    m_layout.SetCodePage(437); // a code page without glyphs of its own
    m_layout.ExpandForDisplay("a\tb c", 5, 0, 5, 0, out, nullptr);
    EXPECT_EQ(out, "a>  b.c");

    m_layout.SetCodePage(949);
    EXPECT_EQ(m_layout.CharToColumn(0, 3, true), 4);
    EXPECT_EQ(m_layout.ExpandForDisplay("a b", 3, 0, 3, 0, out, nullptr), 4);
    EXPECT_EQ(out, "a\xA1\xA4"
                   "b");
}

TEST_F(TextLayoutTest, LineEndingsShowAsGlyphsOnlyWhenAsked)
{
    const char text[] = "ab\r\n";
    m_layout.SetCodePage(65001);
    std::string out;
    EXPECT_EQ(m_layout.ExpandForDisplay(text, 2, 0, 4, 0, out, nullptr), 2);
    EXPECT_EQ(out, "ab");
    m_layout.SetShowLineEndings(true);
    EXPECT_EQ(m_layout.ExpandForDisplay(text, 2, 0, 4, 0, out, nullptr), 4);
    EXPECT_EQ(out, "ab$!");
}

TEST_F(TextLayoutTest, MarginWidthFollowsTheDigitsOfTheLineCount)
{
    Load(Lines(95));
    m_layout.SetViewFlags(ViewMargin | ViewLineNumbers);
    EXPECT_EQ(m_layout.MarginWidth(), 6 * (3 + 2)); // 95 + 10 = 105: three digits
    m_layout.SetViewFlags(ViewMargin | ViewLineNumbers | ViewChangeMarks);
    EXPECT_EQ(m_layout.MarginWidth(), 6 * 5 + 4);
    Load(Lines(89));
    m_layout.SetViewFlags(ViewMargin | ViewLineNumbers);
    EXPECT_EQ(m_layout.MarginWidth(), 6 * 4);
    m_layout.SetViewFlags(ViewMargin);
    EXPECT_EQ(m_layout.MarginWidth(), 16);
    m_layout.SetViewFlags(ViewLineNumbers); // the margin hidden: text still starts at 16
    EXPECT_EQ(m_layout.MarginWidth(), 16);
    EXPECT_EQ(m_layout.TextToClient({0, 0}).x, 16);
}

TEST_F(TextLayoutTest, MultibyteCharactersAreOneCaretStop)
{
    // Shift-JIS: the two bytes of a double-byte character take two columns together.
    SetTextCodePage(932);
    Load("a\x88\x9F"
         "b");
    EXPECT_EQ(m_layout.CharToColumn(0, 3, true), 3);
    EXPECT_EQ(m_layout.ColumnToChar(0, 1), 1);
    EXPECT_EQ(m_layout.ColumnToChar(0, 2), 1); // the second column of the pair
    EXPECT_EQ(m_layout.ColumnToChar(0, 3), 3);

    // UTF-8: a sequence is one character; a wide one takes two cells, an invalid byte one.
    SetTextCodePage(65001);
    Load("a\xE6\xBC\xA2\xC3\xA9\xFF"
         "b");
    EXPECT_EQ(m_layout.CharToColumn(0, 1, true), 1);
    EXPECT_EQ(m_layout.CharToColumn(0, 4, true), 3); // after the wide character
    EXPECT_EQ(m_layout.CharToColumn(0, 6, true), 4); // after the e acute
    EXPECT_EQ(m_layout.CharToColumn(0, 7, true), 5); // after the invalid byte
    for (int column = 0; column < 7; ++column)
    {
        const int ch = m_layout.ColumnToChar(0, column);
        EXPECT_TRUE(ch == 0 || ch == 1 || ch == 4 || ch == 6 || ch == 7 || ch == 8)
            << "column " << column << " gave " << ch;
    }
    std::string out;
    std::vector<SDisplayCell> cells;
    m_layout.ExpandForDisplay(GetLineText(m_buffer, 0).c_str(), 8, 0, 8, 0, out, &cells);
    ASSERT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells[1].nBytes, 3);
    EXPECT_EQ(cells[1].nWidth, 2);
    EXPECT_EQ(cells[2].nColumn, 3);
    EXPECT_EQ(cells[3].nBytes, 1); // 0xFF alone
    EXPECT_EQ(cells[4].nColumn, 5);
}

TEST_F(TextLayoutTest, ColumnToCharStopsBeforeTheLineEnding)
{
    Load("ab\r\ncd");
    EXPECT_EQ(m_layout.ColumnToChar(0, 50), 2); // never between CR and LF
    EXPECT_EQ(m_layout.ColumnToChar(1, 1), 1);
}

TEST_F(TextLayoutTest, RowLayoutMarksSelectionAndTheSelectedLineEnd)
{
    Load("abc\ndef\nghi");
    m_layout.SetViewFlags(0);
    m_layout.SetFocus(true);
    m_layout.SetSelection({1, 0}, {1, 1}); // from "b" over the line end to "e"
    SRowLayout row;
    m_layout.LayoutRow(0, 0, 0, 100, row);
    ASSERT_EQ(row.spans.size(), 2u);
    EXPECT_FALSE(row.spans[0].bSelected);
    EXPECT_TRUE(row.spans[1].bSelected);
    EXPECT_EQ(row.spans[1].nBkColor, kColorSelectionFocus);
    EXPECT_EQ(row.spans[1].nTextColor, kColorSelectedText);
    EXPECT_TRUE(row.bLineEndSelected);
    EXPECT_EQ(row.nEndColumn, 3);
    m_layout.LayoutRow(1, 0, 0, 100, row);
    EXPECT_FALSE(row.bLineEndSelected); // the selection ends inside this line
    m_layout.SetFocus(false);
    m_layout.LayoutRow(1, 0, 0, 100, row);
    EXPECT_EQ(row.spans[0].nBkColor, kColorSelectionNoFocus);
    m_layout.SetSelection({3, 0}, {3, 0});
    m_layout.LayoutRow(0, 0, 0, 100, row);
    EXPECT_FALSE(row.bLineEndSelected);
}

TEST_F(TextLayoutTest, RowLayoutClipsToTheColumnsAndMarksTheCaretLine)
{
    Load("0123456789");
    m_layout.SetViewFlags(ViewHighlightLine);
    m_layout.SetCaret({0, 0});
    SRowLayout row;
    m_layout.LayoutRow(0, 0, 3, 6, row);
    ASSERT_EQ(row.spans.size(), 1u);
    EXPECT_EQ(row.spans[0].strText, "345");
    EXPECT_EQ(row.spans[0].cells.front().nColumn, 3);
    EXPECT_EQ(row.spans[0].nBkColor, kColorCaretLine);
    EXPECT_EQ(row.nFillColor, kColorCaretLine);
    EXPECT_EQ(row.nEndColumn, 10);
}

TEST(HighlightBlocks, LieOverTheRunsKeepingTheirTextColours)
{
    std::vector<SyntaxRun> runs{{0, 3, 2}, {4, 9, 2}, {8, 3, 2}};
    MergeHighlightBlocks(runs, 12, {{2, 6}});
    const std::vector<std::pair<int, int>> expect{{0, 3}, {2, 3}, {4, 9}, {6, 9}, {8, 3}};
    ASSERT_EQ(runs.size(), expect.size());
    for (size_t i = 0; i < runs.size(); ++i)
    {
        EXPECT_EQ(runs[i].nStart, expect[i].first);
        EXPECT_EQ(runs[i].nColor, expect[i].second);
    }
    EXPECT_EQ(runs[1].nBkColor, kColorHighlightMatch);
    EXPECT_EQ(runs[2].nBkColor, kColorHighlightMatch);
    EXPECT_EQ(runs[3].nBkColor, 2);
}

TEST_F(TextLayoutTest, ScrollRangesAndTheWheel)
{
    Load(Lines(100, "abcdefghijklmnopqrstuvwxyz "), 400, 200);
    m_layout.SetViewFlags(0);
    EXPECT_EQ(m_layout.GetScreenRows(), 10);
    EXPECT_EQ(m_layout.GetScreenColumns(), (400 - 16) / 10);
    SScrollRange v = m_layout.GetVScroll();
    EXPECT_EQ(v.nMax, 99);
    EXPECT_EQ(v.nPage, 10);
    SScrollRange h = m_layout.GetHScroll();
    EXPECT_EQ(h.nMax, 29 + 38);
    EXPECT_EQ(h.nPage, 38);

    EXPECT_EQ(m_layout.WheelRows(120), 3);
    EXPECT_EQ(m_layout.ScrollToRow(m_layout.GetTopSubLine() - 3), 0); // up at row 0
    EXPECT_EQ(m_layout.ScrollToRow(3), 3);
    EXPECT_EQ(m_layout.WheelRows(-30), 0); // a high-resolution wheel adds up
    EXPECT_EQ(m_layout.WheelRows(-30), -1);
    EXPECT_EQ(m_layout.WheelRows(-10), 0);
    EXPECT_EQ(m_layout.WheelRows(-10), -1);
    EXPECT_EQ(m_layout.ScrollToRow(1000), 90 - 3); // clamped to the last page
    EXPECT_EQ(m_layout.GetTopLine(), 90);

    m_layout.SetWordWrap(true);
    h = m_layout.GetHScroll();
    EXPECT_FALSE(h.bEnabled);
    EXPECT_EQ(h.nMax, 0);
}

TEST_F(TextLayoutTest, ResizeKeepsTheTopLeftTextPosition)
{
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "word " + std::to_string(i) + " and some more words to wrap here\n";
    Load(text, 16 + 20 * 10, 200);
    m_layout.SetViewFlags(0);
    m_layout.SetWordWrap(true);
    const int rows = m_layout.GetTotalRows();
    EXPECT_GT(rows, 100);
    m_layout.ScrollToRow(41);
    int line = 0, sub = 0;
    m_layout.GetLineFromRow(41, line, sub);
    std::vector<int> breaks;
    m_layout.GetLineBreaks(line, &breaks);
    const int ch = sub == 0 ? 0 : breaks[static_cast<size_t>(sub - 1)];

    m_layout.SetClientSize(16 + 13 * 10, 200);
    EXPECT_GT(m_layout.GetTotalRows(), rows);
    EXPECT_EQ(m_layout.GetTopLine(), line);
    const int top = m_layout.GetTopSubLine();
    EXPECT_EQ(top, m_layout.GetSubLineIndex(line) + m_layout.GetSubLineOfChar(line, ch));
    EXPECT_EQ(m_layout.TextToClient({ch, line}).y, 0);

    // Growing back to one row per line keeps the line on top.
    m_layout.SetClientSize(16 + 200 * 10, 200);
    EXPECT_EQ(m_layout.GetTotalRows(), 51);
    EXPECT_EQ(m_layout.GetTopLine(), line);
}

TEST_F(TextLayoutTest, CaretRectangle)
{
    Load("abc\ndef");
    m_layout.SetViewFlags(0);
    int x, y, w, h;
    m_layout.SetCaret({2, 1});
    EXPECT_FALSE(m_layout.GetCaretRect(x, y, w, h)); // no focus
    m_layout.SetFocus(true);
    ASSERT_TRUE(m_layout.GetCaretRect(x, y, w, h));
    EXPECT_EQ(x, 16 + 20);
    EXPECT_EQ(y, 20);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 20);
    m_layout.SetOverwrite(true);
    ASSERT_TRUE(m_layout.GetCaretRect(x, y, w, h));
    EXPECT_EQ(w, 10);
}

// The update hints against a model: after each edit every screen row that shows other text
// or another line number than before must lie in the area the layout invalidates, and the
// caret must be where the update context moves it.
TEST_F(TextLayoutTest, UpdateHintsRepaintEveryRowThatChanged)
{
    Load(Lines(60), 400, 300);
    CLayoutView view(m_layout);
    m_buffer.AttachView(&view);
    std::mt19937 rng(7);
    auto snapshot = [&]
    {
        std::vector<std::string> rows;
        for (int r = 0; r < m_layout.GetScreenRows(); ++r)
        {
            int line = 0, sub = 0;
            m_layout.GetLineFromRow(m_layout.GetTopSubLine() + r, line, sub);
            rows.push_back(std::to_string(line) + ":" + GetLineText(m_buffer, line));
        }
        return rows;
    };
    for (int step = 0; step < 300; ++step)
    {
        if (step == 100)
            m_layout.SetViewFlags(ViewMargin); // no numbers: fewer rows repaint
        m_layout.ScrollToRow(static_cast<int>(rng() % 40));
        const int lineCount = m_buffer.GetLineCount();
        const int line = static_cast<int>(rng() % static_cast<unsigned>(lineCount));
        const int len = GetLineLength(m_buffer, line);
        const int x = len > 0 ? static_cast<int>(rng() % static_cast<unsigned>(len + 1)) : 0;
        m_layout.SetCaret({x, line});
        const auto before = snapshot();
        const int topLine = m_layout.GetTopLine();
        int endLine = 0, endChar = 0;
        const int kind = static_cast<int>(rng() % 3);
        if (kind == 0)
            m_buffer.InsertText(nullptr, line, x, "ins", endLine, endChar);
        else if (kind == 1)
            m_buffer.InsertText(nullptr, line, x, "a\nb", endLine, endChar);
        else if (line + 1 < lineCount)
            m_buffer.DeleteText(nullptr, line, 0, line + 1, 0);
        else
            continue;
        ASSERT_TRUE(view.m_bUpdated);
        view.m_bUpdated = false;
        const SLayoutUpdate& u = view.m_last;
        // An edit inside one line (no parser here) invalidates that line's band alone.
        if (kind == 0)
        {
            const int row = line - m_layout.GetTopSubLine();
            EXPECT_EQ(u.nInvalidTop, std::max(0, row) * m_layout.GetLineHeight());
            EXPECT_EQ(u.nInvalidBottom, std::max(0, row + 1) * m_layout.GetLineHeight());
        }
        else
        {
            EXPECT_EQ(u.nInvalidBottom, -1);
        }
        EXPECT_TRUE(u.bCaret);
        // The caret was at the edit point: an insert leaves it before the new text.
        EXPECT_EQ(m_layout.GetCaret(), (STextPosition{kind == 2 ? 0 : x, line}));
        const auto after = snapshot();
        for (size_t r = 0; r < before.size(); ++r)
        {
            // Rows are compared by what they show; the top line may move with the context.
            if (before[r] == after[r] && m_layout.GetTopLine() == topLine)
                continue;
            if (u.bRepaintAll)
                continue;
            EXPECT_LE(u.nInvalidTop, static_cast<int>(r) * m_layout.GetLineHeight())
                << "step " << step << " row " << r << " kind " << kind;
        }
        EXPECT_EQ(u.bVScroll, kind != 0);
    }
    m_buffer.DetachView(&view);
}

TEST_F(TextLayoutTest, ResetForgetsTheViewState)
{
    Load(Lines(100));
    m_layout.ScrollToRow(20);
    m_layout.SetCaret({3, 40});
    const SLayoutUpdate u = m_layout.OnUpdate(nullptr, HintReset, -1);
    EXPECT_TRUE(u.bRepaintAll);
    EXPECT_EQ(m_layout.GetTopSubLine(), 0);
    EXPECT_EQ(m_layout.GetCaret(), (STextPosition{0, 0}));
}

TEST_F(TextLayoutTest, LongestLineFollowsEdits)
{
    Load("short\na much longer line here\nmid");
    CLayoutView view(m_layout);
    m_buffer.AttachView(&view);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 23);
    m_buffer.DeleteText(nullptr, 1, 0, 1, 10);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 13);
    int el = 0, ec = 0;
    m_buffer.InsertText(nullptr, 0, 0, "x\n\t\t\t\t\t\t\t\t", el, ec);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 32 + 5);
    m_buffer.DetachView(&view);
}

TEST_F(TextLayoutTest, PaginationCountsPrintedRows)
{
    std::string text = Lines(10);
    text += "\n" + std::string(250, 'x') + "\n" + Lines(5);
    Load(text);
    m_layout.SetPrintColumns(100);
    EXPECT_EQ(m_layout.GetLineRowCount(10, true), 3);
    EXPECT_EQ(m_layout.GetLineRowCount(10, false), 1); // the screen is not wrapped
    // 16 lines, line 10 takes 3 rows: 18 rows; 7 rows per page.
    const std::vector<int> pages = m_layout.Paginate(7);
    EXPECT_EQ(pages, (std::vector<int>{0, 7, 12}));
    EXPECT_EQ(m_layout.Paginate(100), (std::vector<int>{0}));
    // A line taller than a page gets a page of its own.
    EXPECT_EQ(m_layout.Paginate(2), (std::vector<int>{0, 2, 4, 6, 8, 10, 11, 13, 15}));
}

// A buffer too large for a slot per line learns its longest line from the lines laid out,
// and follows it through edits.
TEST_F(TextLayoutTest, LargeBufferLongestLineFromTheLinesShown)
{
    std::string text(CTextLayout::kFullScanLines + 10, '\n');
    text.insert(100, std::string(40, 'x'));
    text.insert(70, std::string(30, 'y'));
    Load(text);
    CLayoutView view(m_layout);
    m_buffer.AttachView(&view);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 0); // nothing shown yet
    m_layout.GetLineColumns(70);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 30);
    m_layout.GetLineColumns(100);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 40);
    int el = 0, ec = 0;
    m_buffer.InsertText(nullptr, 0, 0, "\n\n", el, ec); // the longest line moves down two
    m_buffer.DeleteText(nullptr, 10, 0, 11, 0);         // and up one
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 40);
    EXPECT_EQ(GetLineLength(m_buffer, 101), 40);
    m_buffer.DeleteText(nullptr, 101, 0, 101, 35); // the longest line shrinks: forgotten
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 0);
    m_layout.GetLineColumns(101);
    EXPECT_EQ(m_layout.GetLongestLineColumns(), 5);
    m_buffer.DetachView(&view);
}

// With a parser, a typed character repaints only its line's band while the line still ends
// in the parse state it ended in; a change of that state (a comment opened or closed)
// invalidates every row below it, since the lines there change colour.
TEST_F(TextLayoutTest, LineEditRepaintsTheLinesBelowOnlyWhenItsEndStateChanged)
{
    Load(Lines(60, "int x = "), 400, 300);
    CSyntaxParserFactory factory;
    factory.CreateParsers();
    m_buffer.SetParser(factory.FindById(4));
    CLayoutView view(m_layout);
    m_buffer.AttachView(&view);
    m_layout.ScrollToRow(10);
    std::vector<SyntaxRun> runs;
    auto paint = [&]
    {
        for (int r = 0; r <= m_layout.GetScreenRows(); ++r)
            m_layout.GetLineRuns(10 + r, runs);
    };
    paint();
    const int lh = m_layout.GetLineHeight();
    int endLine = 0, endChar = 0;
    m_buffer.InsertText(nullptr, 14, 8, "1", endLine, endChar);
    EXPECT_EQ(view.m_last.nInvalidTop, 4 * lh);
    EXPECT_EQ(view.m_last.nInvalidBottom, 5 * lh);
    paint();
    m_buffer.InsertText(nullptr, 14, 0, "/*", endLine, endChar);
    EXPECT_EQ(view.m_last.nInvalidTop, 4 * lh);
    EXPECT_EQ(view.m_last.nInvalidBottom, -1);
    paint();
    m_layout.GetLineRuns(20, runs);
    EXPECT_EQ(runs.back().nColor, kSyntaxColorComment); // inside the comment
    // Typing inside the comment changes no state below; closing it does.
    m_buffer.InsertText(nullptr, 14, 2, "z", endLine, endChar);
    EXPECT_EQ(view.m_last.nInvalidBottom, 5 * lh);
    paint();
    m_buffer.DeleteText(nullptr, 14, 0, 14, 2);
    EXPECT_EQ(view.m_last.nInvalidBottom, -1);
    paint();
    m_layout.GetLineRuns(20, runs);
    EXPECT_NE(runs.back().nColor, kSyntaxColorComment);
    m_buffer.DetachView(&view);
    m_buffer.SetParser(nullptr);
}

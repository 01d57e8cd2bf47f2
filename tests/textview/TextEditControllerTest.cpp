// The editing controller beyond the keystroke cases: mouse selection and drag, clipboard
// conversions, the find messages and highlight blocks, dialog rules, menus and panes.

#include <gtest/gtest.h>

#include <set>

#include "TextEditTestSupport.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/TextClipboard.h"
#include "textview/TextEditDialogs.h"

namespace
{
using Geo = CSimpleTextEditGeometry;

// Client point of the left edge of a character cell.
int X(int column)
{
    return Geo::kMarginWidth + column * Geo::kCharWidth + 1;
}
int Y(int row)
{
    return row * Geo::kLineHeight + 2;
}
} // namespace

TEST(TextEditMouse, ClickDoubleTripleAndMarginSelect)
{
    CEditFixture f("alpha beta\r\ngamma\r\ndelta");
    bool bCaptured = false;
    f.m_controller.GetHooks().setCapture = [&](bool b) { bCaptured = b; };

    f.m_controller.OnLButtonDown(X(7), Y(0), false, false, 1000);
    EXPECT_TRUE(bCaptured);
    f.m_controller.OnMouseMove(X(2), Y(1));
    f.m_controller.OnLButtonUp(X(2), Y(1));
    EXPECT_FALSE(bCaptured);
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{7, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{2, 1}));

    // Shift+click keeps the anchor.
    f.m_controller.OnLButtonDown(X(4), Y(2), true, false, 2000);
    f.m_controller.OnLButtonUp(X(4), Y(2));
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{7, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{4, 2}));

    // Double click selects the word; a third click soon after selects the line.
    f.m_controller.OnLButtonDown(X(7), Y(0), false, false, 3000);
    f.m_controller.OnLButtonUp(X(7), Y(0));
    f.m_controller.OnLButtonDblClk(X(7), Y(0), 3100);
    f.m_controller.OnLButtonUp(X(7), Y(0));
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{6, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{10, 0}));
    f.m_controller.OnLButtonDown(X(7), Y(0), false, false, 3200);
    f.m_controller.OnLButtonUp(X(7), Y(0));
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{0, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{10, 0}));
    // Too late for a triple click: an ordinary click.
    f.m_controller.OnLButtonDblClk(X(1), Y(1), 4000);
    f.m_controller.OnLButtonUp(X(1), Y(1));
    f.m_controller.OnLButtonDown(X(1), Y(1), false, false, 9000);
    f.m_controller.OnLButtonUp(X(1), Y(1));
    EXPECT_FALSE(f.m_controller.HasSelection());

    // The margin selects whole rows and extends by rows; Ctrl selects all.
    f.m_controller.OnLButtonDown(2, Y(0), false, false, 10000);
    f.m_controller.OnMouseMove(2, Y(1));
    f.m_controller.OnLButtonUp(2, Y(1));
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{0, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{0, 2}));
    f.m_controller.OnLButtonDown(2, Y(2), false, false, 11000);
    f.m_controller.OnLButtonUp(2, Y(2));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{5, 2}))
        << "the last row ends at the line's end";
    f.m_controller.OnLButtonDown(2, Y(1), false, true, 12000);
    f.m_controller.OnLButtonUp(2, Y(1));
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{0, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{5, 2}));
}

TEST(TextEditMouse, DoubleClickInMarginTogglesBookmarkAndCtrlDragGrowsByWords)
{
    CEditFixture f("one two three\r\nfour");
    f.m_controller.OnLButtonDblClk(2, Y(1), 100);
    f.m_controller.OnLButtonUp(2, Y(1));
    EXPECT_NE(f.m_buffer.GetLineRecord(1)->dwFlags & LineFlagBookmark, 0u);
    SCommandState state;
    f.m_controller.OnUpdateCommand(CmdNextBookmark, state);
    EXPECT_TRUE(state.bEnabled);

    f.m_controller.OnLButtonDown(X(5), Y(0), false, true, 5000);
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{4, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{7, 0}));
    f.m_controller.OnMouseMove(X(9), Y(0));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{13, 0}));
    f.m_controller.OnMouseMove(X(1), Y(0));
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{7, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{0, 0}));
    f.m_controller.OnLButtonUp(X(1), Y(0));
}

TEST(TextEditMouse, DragBelowTheViewScrollsOnTimerTicks)
{
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "line\r\n";
    CEditFixture f(text, LineEndCrLf, 5);
    f.m_controller.OnLButtonDown(X(1), Y(1), false, false, 0);
    EXPECT_FALSE(f.m_controller.OnTimer()) << "inside the view nothing scrolls";
    f.m_controller.OnMouseMove(X(1), 5 * Geo::kLineHeight + 2);
    ASSERT_TRUE(f.m_controller.OnTimer());
    EXPECT_EQ(f.m_geometry.GetTopSubLine(), 1);
    f.m_controller.OnMouseMove(X(1), 7 * Geo::kLineHeight);
    ASSERT_TRUE(f.m_controller.OnTimer());
    EXPECT_EQ(f.m_geometry.GetTopSubLine(), 4) << "more than a row below scrolls by three";
    EXPECT_EQ(f.m_controller.GetCaret().y, 11);
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{1, 1}));
    f.m_controller.OnMouseMove(X(1), -40);
    ASSERT_TRUE(f.m_controller.OnTimer());
    EXPECT_EQ(f.m_geometry.GetTopSubLine(), 1);
    f.m_controller.OnLButtonUp(X(1), -40);
    EXPECT_FALSE(f.m_controller.OnTimer());
}

TEST(TextEditMouse, PressInsideSelectionDragsOrPlacesTheCaret)
{
    CEditFixture f("hello world");
    f.m_controller.SetSelection({0, 0}, {5, 0});
    // A press and release without moving puts the caret at the click.
    f.m_controller.OnLButtonDown(X(2), Y(0), false, false, 0);
    EXPECT_TRUE(f.m_controller.HasSelection());
    f.m_controller.OnLButtonUp(X(2), Y(0));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{2, 0}));
    EXPECT_FALSE(f.m_controller.HasSelection());

    // Moving starts a drag; a move drop after the block inserts there and deletes the
    // block, all in one undo step.
    f.m_controller.SetSelection({0, 0}, {5, 0});
    std::u16string dragged;
    f.m_controller.GetHooks().doDragDrop = [&](const std::u16string& t, bool bMove)
    {
        dragged = t;
        EXPECT_TRUE(bMove);
        return f.m_controller.Drop({11, 0}, t, false);
    };
    f.m_controller.OnLButtonDown(X(2), Y(0), false, false, 0);
    f.m_controller.OnMouseMove(X(3), Y(0));
    EXPECT_EQ(dragged, u"hello");
    EXPECT_EQ(f.Text(), " worldhello");
    EXPECT_EQ(f.m_controller.GetAnchor(), (STextPosition{6, 0}));
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{11, 0}));
    f.Run(CmdUndo);
    EXPECT_EQ(f.Text(), "hello world");

    // A drop onto the dragged text changes nothing.
    f.m_controller.SetSelection({0, 0}, {5, 0});
    f.m_controller.GetHooks().doDragDrop = [&](const std::u16string& t, bool) {
        return f.m_controller.Drop({3, 0}, t, false);
    };
    f.m_controller.OnLButtonDown(X(1), Y(0), false, false, 0);
    f.m_controller.OnMouseMove(X(2), Y(0));
    EXPECT_EQ(f.Text(), "hello world");
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{3, 0}));

    // Typing is ignored while a button is down; a read-only view refuses drops.
    f.m_controller.OnLButtonDown(X(1), Y(0), false, false, 0);
    EXPECT_FALSE(f.m_controller.OnChar("x"));
    f.m_controller.OnLButtonUp(X(1), Y(0));
    f.Run(CmdReadOnly);
    EXPECT_FALSE(f.m_controller.CanDrop());
    EXPECT_EQ(f.m_controller.Drop({0, 0}, u"zz", true), TextDropNone);
}

TEST(TextClipboard, CopyKeepsTheDocumentsEndingsAndPasteTakesAnyEnding)
{
    SCodePageGuard guard;
    for (int cp : {65001, 1252})
    {
        SCOPED_TRACE(cp);
        SetTextCodePage(cp);
        CEditFixture f(cp == 65001 ? "gr\xc3\xbc\xc3\x9f\ndu" : "gr\xfc\xdf\ndu", LineEndLf);
        f.Run(CmdSelectAll);
        f.Run(CmdCopy);
        EXPECT_EQ(f.m_clipboard, u"gr\u00fc\u00df\ndu");
        f.m_clipboard = u"a\r\nb\rc\nd";
        f.Run(CmdPaste);
        EXPECT_EQ(f.Text(), "a\nb\nc\nd");
        EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{1, 3}));
        EXPECT_TRUE(f.m_status.empty());
    }
    // Characters that 1252 cannot hold are replaced and counted.
    SetTextCodePage(1252);
    CEditFixture f("", LineEndCrLf);
    f.m_clipboard = u"x\u4e2d\u6587\r\ny";
    f.Run(CmdPaste);
    EXPECT_EQ(f.Text(), "x??\r\ny");
    ASSERT_EQ(f.m_status.size(), 1u);
    EXPECT_EQ(f.m_status[0],
              "2 characters could not be represented in the code page and were replaced");
    int lost = 0;
    EXPECT_EQ(ClipboardToText(std::u16string(u"a\0b", 3), "\n", 1252, lost), "a?b");
    EXPECT_EQ(lost, 1) << "a zero character cannot live in a line";
}

TEST(TextFind, NotFoundMessagesAndFindNextRules)
{
    CEditFixture f("abc");
    bool bDialog = false;
    f.m_controller.GetHooks().showFindDialog = [&]() { bDialog = true; };
    f.Run(CmdRepeatFind);
    EXPECT_TRUE(bDialog) << "without a search text F3 opens the Find dialog";

    EXPECT_FALSE(f.m_controller.GetFind().FindFromDialog("zz", 0, false));
    EXPECT_EQ(f.m_messages.back(), "Cannot find string\"zz\"");
    f.m_findBar = "qq";
    f.Run(CmdFindNext);
    EXPECT_EQ(f.m_messages.back(), "Cannot find string \"qq\"");
    EXPECT_EQ(f.m_controller.GetFind().GetLastSearchText(), "qq")
        << "the bar's text becomes the last search";
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{0, 0}));

    EXPECT_TRUE(f.m_controller.GetFind().FindFromDialog("B", 0, true));
    EXPECT_TRUE(f.m_controller.GetFind().IsHighlightAll());
    EXPECT_EQ(f.m_history.GetFindTexts().front(), "B");
    EXPECT_FALSE(f.m_controller.GetFind().FindFromDialog("B", SearchMatchCase, false));
    EXPECT_EQ(CTextEditFind::CutAtLineBreak("ab\r\ncd"), "ab");
}

TEST(TextFind, PatternWindowOverTheLimitIsSkippedNotFatal)
{
    CEditFixture f(std::string(200, 'x') + "\r\nabc xyz\r\n");
    CTextSearcher& searcher = f.m_controller.GetFind().GetSearcher();
    searcher.SetPatternWindowLimit(100);
    STextPosition found;
    ASSERT_TRUE(searcher.FindText("x+", {0, 0}, SearchPattern, false, found));
    EXPECT_EQ(found, (STextPosition{4, 1})) << "the long first line counts as not matching";
    ASSERT_TRUE(searcher.FindText("[", {0, 0}, SearchPattern, false, found) == false)
        << "a bad pattern finds nothing";
}

TEST(TextFind, BlockLimitsAndWholeWordNeighbours)
{
    CEditFixture f("cat cat\r\ncat");
    CTextSearcher& searcher = f.m_controller.GetFind().GetSearcher();
    STextPosition found;
    // Only matches that begin before the block end count; without wrap the block ends it.
    EXPECT_TRUE(searcher.FindTextInBlock("cat", {0, 0}, {1, 0}, {5, 0}, 0, false, found));
    EXPECT_EQ(found, (STextPosition{4, 0}));
    EXPECT_FALSE(searcher.FindTextInBlock("cat", {5, 0}, {1, 0}, {5, 0}, 0, false, found));
    // A start inside a word does not make the rest of it a whole word.
    EXPECT_FALSE(
        searcher.FindTextInBlock("at", {1, 0}, {0, 0}, {3, 1}, SearchWholeWord, true, found));
    // Up from the top wraps to the last line.
    EXPECT_TRUE(searcher.FindText("cat", {0, 0}, SearchUp, true, found));
    EXPECT_EQ(found, (STextPosition{0, 1}));
    EXPECT_FALSE(searcher.FindText("cat", {0, 0}, SearchUp, false, found) && found.y != 0);
}

TEST(TextFind, HighlightBlocksKeepTheSyntaxColours)
{
    const std::vector<SyntaxRun> runs = {{0, 3, 2}, {4, 9, 2}, {8, 3, 2}};
    const std::vector<std::pair<int, int>> matches = FindMatchesInLine("int x = int", 11, "INT", 0);
    ASSERT_EQ(matches.size(), 2u);
    const std::vector<SyntaxRun> merged = MergeHighlightRuns(runs, matches);
    const std::vector<SyntaxRun> expected = {
        {0, 3, 8}, {3, 3, 2}, {4, 9, 2}, {8, 3, 8}, {11, 3, 2}};
    ASSERT_EQ(merged.size(), expected.size());
    for (size_t i = 0; i < merged.size(); ++i)
    {
        EXPECT_EQ(merged[i].nStart, expected[i].nStart) << i;
        EXPECT_EQ(merged[i].nColor, expected[i].nColor) << i;
        EXPECT_EQ(merged[i].nBkColor, expected[i].nBkColor) << i;
    }
    // An empty pattern match moves one character on instead of looping.
    EXPECT_EQ(FindMatchesInLine("ab", 2, "x*", SearchPattern).size(), 3u);
}

TEST(TextFind, ReplaceWithUnusableTemplateLeavesTheMatchAndSaysSo)
{
    CEditFixture f("ab");
    CTextReplaceSession session(f.m_controller);
    session.m_strFind = "a(x)?b";
    session.m_strReplace = "\\1";
    session.m_bRegExp = true;
    ASSERT_TRUE(session.FindNext());
    session.Replace();
    EXPECT_EQ(f.Text(), "ab");
    ASSERT_FALSE(f.m_status.empty());
    EXPECT_EQ(f.m_status.back(), kReplaceExpandFailedText);
    EXPECT_EQ(session.ReplaceAll(), 0);
    EXPECT_EQ(f.Text(), "ab");
}

TEST(TextEditDialogs, FindAndReplaceStartValues)
{
    CEditFixture f("foo bar\r\nbaz");
    f.m_controller.SetCaret({5, 0});
    SFindDialogValues values = InitFindDialog(f.m_controller);
    EXPECT_EQ(values.strText, "bar");
    EXPECT_FALSE(values.bUp || values.bMatchCase || values.bWholeWord || values.bRegExp);
    f.m_controller.GetFind().SetLastSearch("zz", SearchMatchCase | SearchUp);
    f.m_controller.SetSelection({0, 0}, {2, 0});
    values = InitFindDialog(f.m_controller);
    EXPECT_EQ(values.strText, "fo");
    EXPECT_TRUE(values.bMatchCase && values.bUp);
    f.m_controller.SetSelection({0, 0}, {1, 1});
    EXPECT_EQ(InitFindDialog(f.m_controller).strText, "zz")
        << "a selection over lines is not taken";

    CTextReplaceSession withSelection(f.m_controller);
    EXPECT_TRUE(withSelection.IsSelectionEnabled());
    EXPECT_TRUE(withSelection.m_bSelectionScope);
    f.m_controller.SetCaret({1, 1});
    CTextReplaceSession withoutSelection(f.m_controller);
    EXPECT_FALSE(withoutSelection.IsSelectionEnabled());
    EXPECT_EQ(withoutSelection.m_strFind, "baz");
    EXPECT_TRUE(withoutSelection.AreButtonsEnabled());
    EXPECT_EQ(withoutSelection.GetDefaultButton(), IdcFindNextButton);
    withoutSelection.m_strFind = "ba";
    ASSERT_TRUE(withoutSelection.FindNext());
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{6, 0})) << "the search wraps to the top";
    EXPECT_EQ(withoutSelection.GetDefaultButton(), IdcReplaceButton);
    withoutSelection.m_bDontWrap = true;
    ASSERT_TRUE(withoutSelection.FindNext());
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{2, 1}));
    EXPECT_FALSE(withoutSelection.FindNext()) << "not past the end without wrapping";
    EXPECT_EQ(withoutSelection.GetDefaultButton(), IdcFindNextButton);
    withoutSelection.Close();
    EXPECT_EQ(f.m_controller.GetFind().GetLastSearchFlags(),
              static_cast<uint32_t>(SearchMatchCase | SearchNoWrap));
}

TEST(TextEditDialogs, GoToLineRangeAndStartValue)
{
    EXPECT_EQ(SGoToLine::RangeText(120), "(0 - 120)");
    EXPECT_EQ(SGoToLine::InitialValue(0), 1) << "accepting the start value keeps the caret's line";
    int n = -1;
    EXPECT_TRUE(SGoToLine::Parse("120", 120, n));
    EXPECT_EQ(n, 120);
    EXPECT_FALSE(SGoToLine::Parse("121", 120, n));
    EXPECT_FALSE(SGoToLine::Parse("-1", 120, n));
    EXPECT_FALSE(SGoToLine::Parse("", 120, n));
    CEditFixture f("a\r\nb\r\nc\r\nd");
    f.m_controller.SetCaret({1, 1});
    SGoToLine::Apply(f.m_controller, SGoToLine::InitialValue(1), false);
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{1, 1}));
    SGoToLine::Apply(f.m_controller, 2, true);
    EXPECT_EQ(f.m_controller.GetCaret(), (STextPosition{1, 2}));
    SGoToLine::Apply(f.m_controller, 99, false);
    EXPECT_EQ(f.m_controller.GetCaret().y, 3);
}

TEST(TextEditCommands, TableMenusAndPanes)
{
    std::set<int> ids;
    std::set<std::string> keys;
    for (const SCommandInfo& info : TextEditCommandTable())
    {
        EXPECT_TRUE(ids.insert(info.nId).second) << info.nId;
        std::string k = info.pszKeys;
        for (size_t pos = 0; !k.empty() && pos != std::string::npos;)
        {
            const size_t next = k.find("; ", pos);
            EXPECT_TRUE(keys.insert(k.substr(pos, next - pos)).second) << k;
            pos = next == std::string::npos ? next : next + 2;
        }
    }
    EXPECT_TRUE(keys.count("Ctrl+Num+/"));
    const std::vector<STextMenuItem> context = TextContextMenuItems();
    ASSERT_EQ(context.size(), 6u);
    EXPECT_EQ(context[0].strText, "Cu&t");
    EXPECT_EQ(context[5].strText, "Toggle &Bookmark");

    CEditFixture f("ab\r\ncd");
    SCommandState undo;
    f.m_controller.OnUpdateCommand(CmdUndo, undo);
    EXPECT_FALSE(undo.bEnabled);
    EXPECT_EQ(undo.strText, "&Undo\tCtrl+Z");
    f.Type("x");
    undo = {};
    f.m_controller.OnUpdateCommand(CmdUndo, undo);
    EXPECT_EQ(undo.strText, "&Undo Typing\tCtrl+Z");
    f.Run(CmdUndo);
    SCommandState redo;
    f.m_controller.OnUpdateCommand(CmdRedo, redo);
    EXPECT_EQ(redo.strText, "&Redo Typing\tCtrl+Y");
    EXPECT_EQ(f.m_controller.GetLineEndPaneText(), "CRLF");
    f.m_controller.SetCaret({0, 1});
    EXPECT_EQ(f.m_controller.GetLineEndPaneText(), "");

    // Read only disables every editing command; write protection disables the toggle.
    f.Run(CmdReadOnly);
    SCommandState state;
    f.m_controller.OnUpdateCommand(CmdDelete, state);
    EXPECT_FALSE(state.bEnabled);
    state = {};
    f.m_controller.OnUpdateCommand(CmdReadOnly, state);
    EXPECT_TRUE(state.bChecked && state.bEnabled);
    f.m_buffer.SetWriteProtected(true);
    state = {};
    f.m_controller.OnUpdateCommand(CmdReadOnly, state);
    EXPECT_FALSE(state.bEnabled);
}

TEST(TextEditCommands, SyntaxMenuAndHeaderSourceSwitch)
{
    CSyntaxParserFactory factory;
    ASSERT_GT(factory.CreateParsers(), 4);
    const std::vector<STextMenuItem> menu = BuildSyntaxTypeMenu(factory, 4);
    ASSERT_GT(menu.size(), 2u);
    EXPECT_EQ(menu[0].strText, "&None");
    EXPECT_EQ(menu[0].nId, CmdSyntaxFirst);
    for (const STextMenuItem& item : menu)
        EXPECT_EQ(item.bChecked, item.nId == CmdSyntaxFirst + 4) << item.strText;

    const std::set<std::string> files = {"/p/a.h", "/p/b.hpp", "/p/b.cpp", "/p/c.inl"};
    auto exists = [&](const std::string& path) { return files.count(path) > 0; };
    EXPECT_EQ(FindCounterpartFile("/p/a.CPP", exists), "/p/a.h");
    EXPECT_EQ(FindCounterpartFile("/p/b.h", exists), "/p/b.hpp");
    EXPECT_EQ(FindCounterpartFile("/p/b.hpp", exists), "/p/b.cpp");
    EXPECT_EQ(FindCounterpartFile("/p/c.h", exists), "/p/c.inl");
    EXPECT_EQ(FindCounterpartFile("/p/z.c", exists), "");
    EXPECT_EQ(FindCounterpartFile("/p/x.txt", exists), "/p/x.txt");
    EXPECT_EQ(HeaderSourceMenuText("a.cxx"), "Go to Header File\tF12");
    EXPECT_EQ(HeaderSourceMenuText("a.inl"), "Go to Source File\tF12");

    CEditFixture f("x");
    std::string opened;
    f.m_controller.GetHooks().getDocumentPath = []() { return std::string("/p/z.c"); };
    f.m_controller.GetHooks().fileExists = exists;
    f.m_controller.GetHooks().openDocument = [&](const std::string& p) { opened = p; };
    f.m_buffer.SetParser(factory.FindById(4));
    SCommandState state;
    f.m_controller.OnUpdateCommand(CmdHeaderSource, state);
    EXPECT_TRUE(state.bEnabled);
    EXPECT_EQ(state.strText, "Go to Header File\tF12");
    f.Run(CmdHeaderSource);
    EXPECT_EQ(f.m_messages.back(), "Can not find source/header file!");
    f.m_controller.GetHooks().getDocumentPath = []() { return std::string("/p/a.cpp"); };
    f.Run(CmdHeaderSource);
    EXPECT_EQ(opened, "/p/a.h");

    // The syntax menu command sets the parser.
    SetTextParserLookup(&factory);
    f.Run(CmdSyntaxFirst + 9);
    SetTextParserLookup(nullptr);
    ASSERT_NE(f.m_buffer.GetParser(), nullptr);
    EXPECT_EQ(f.m_buffer.GetParser()->GetParserId(), 9);
    state = {};
    f.m_controller.OnUpdateCommand(CmdSyntaxFirst + 9, state);
    EXPECT_TRUE(state.bChecked);
}

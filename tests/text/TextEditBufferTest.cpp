// Edits, hints, update contexts, ranges, line endings, flags, revisions and parse states.

#include <gtest/gtest.h>

#include "platform/SystemInfo.h"
#include "TextTestSupport.h"

namespace
{
// Parses by folding the line length into the state, and counts its calls.
class CCountingParser : public CTextParser
{
public:
    explicit CCountingParser(int nId) : m_nId(nId)
    {
    }
    uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun*, int*) override
    {
        ++m_nCalls;
        return state * 31 + static_cast<uint32_t>(line->nLength) + 1;
    }
    uint32_t ParseLineComments(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs, int* count) override
    {
        return ParseLine(state, line, runs, count);
    }
    int GetParserId() const override
    {
        return m_nId;
    }
    int m_nId;
    int m_nCalls = 0;
};

class CTwoParserLookup : public CTextParserLookup
{
public:
    CTextParser* FindParserById(int id) override
    {
        return id == 0 ? &m_plain : id == 5 ? &m_cpp : nullptr;
    }
    CCountingParser m_plain{0};
    CCountingParser m_cpp{5};
};

uint32_t ExpectedState(const std::vector<int>& lengths, int line)
{
    uint32_t state = 0;
    for (int i = 0; i <= line; ++i)
        state = state * 31 + static_cast<uint32_t>(lengths[static_cast<size_t>(i)]) + 1;
    return state;
}
} // namespace

TEST(TextEdit, InsertSplitsTheTextIntoLinesAtEveryKindOfEnding)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "xy");
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.InsertText(nullptr, 0, 1, "a\r\nb", endLine, endChar));
    EXPECT_EQ(StoredText(buffer), "xa\r\nby");
    EXPECT_EQ(LineEnding(buffer, 0), "\r\n");
    EXPECT_EQ(endLine, 1);
    EXPECT_EQ(endChar, 1);
    EXPECT_EQ(buffer.GetLastEditPosition(), (STextPosition{1, 1}));

    // LF then CR is two endings; a lone CR is one.
    ASSERT_TRUE(buffer.InsertText(nullptr, 1, 0, "1\n\r2\r", endLine, endChar));
    EXPECT_EQ(StoredText(buffer), "xa\r\n1\n\r2\rby");
    EXPECT_EQ(buffer.GetLineCount(), 5);
    EXPECT_EQ(endLine, 4);
    EXPECT_EQ(endChar, 0);
    EXPECT_EQ(LineText(buffer, 4), "by");
}

TEST(TextEdit, LineBreakAtTheEndOfTheTextAddsAnEmptyLastLine)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "ab");
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.InsertText(nullptr, 0, 2, "\n", endLine, endChar));
    ASSERT_EQ(buffer.GetLineCount(), 2);
    EXPECT_EQ(buffer.GetLineRecord(0)->nEolLength, 1);
    EXPECT_EQ(buffer.GetLineRecord(1)->nLength, 0);
    EXPECT_EQ(buffer.GetLineRecord(1)->nEolLength, 0);
    EXPECT_EQ(endLine, 1);
    EXPECT_EQ(endChar, 0);
}

TEST(TextEdit, TextEndingInALineBreakAtTheStartOfALineLeavesThatLineIntactBelow)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "one\r\ntwo\nthree");
    int endLine = 0;
    int endChar = 0;
    ASSERT_TRUE(buffer.InsertText(nullptr, 1, 0, "new\r\n", endLine, endChar));
    EXPECT_EQ(StoredText(buffer), "one\r\nnew\r\ntwo\nthree");
    EXPECT_EQ(endLine, 2);
    EXPECT_EQ(endChar, 0);
}

TEST(TextEdit, DeleteAcrossLinesJoinsThemWithTheEndLinesEnding)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc\r\ndef\nghi");
    ASSERT_TRUE(buffer.DeleteText(nullptr, 0, 2, 1, 1));
    EXPECT_EQ(StoredText(buffer), "abef\nghi");
    EXPECT_EQ(LineEnding(buffer, 0), "\n");
    EXPECT_EQ(buffer.GetLastEditPosition(), (STextPosition{2, 0}));
    ASSERT_TRUE(buffer.DeleteText(nullptr, 0, 0, 1, 3));
    EXPECT_EQ(StoredText(buffer), "");
    EXPECT_EQ(buffer.GetLineCount(), 1);
}

TEST(TextEdit, PositionsOutsideTheTextAreRefusedWithoutChange)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "ab\ncd");
    CRecorderView view;
    buffer.AttachView(&view);
    int endLine = 0;
    int endChar = 0;
    EXPECT_FALSE(buffer.InsertText(nullptr, 2, 0, "x", endLine, endChar));
    EXPECT_FALSE(buffer.InsertText(nullptr, 0, 3, "x", endLine, endChar));
    EXPECT_FALSE(buffer.InsertText(nullptr, -1, 0, "x", endLine, endChar));
    EXPECT_FALSE(buffer.DeleteText(nullptr, 1, 1, 0, 1));
    EXPECT_FALSE(buffer.DeleteText(nullptr, 0, 0, 1, 3));
    EXPECT_FALSE(buffer.DeleteText(nullptr, 0, 2, 0, 1));
    EXPECT_EQ(StoredText(buffer), "ab\ncd");
    EXPECT_TRUE(view.m_aUpdates.empty());
    EXPECT_EQ(buffer.GetUndoRecordCount(), 0);
    EXPECT_FALSE(buffer.IsModified());

    // Empty edits succeed and change nothing, not even the modified flag.
    EXPECT_TRUE(buffer.InsertText(nullptr, 0, 1, "", endLine, endChar));
    EXPECT_EQ(endLine, 0);
    EXPECT_EQ(endChar, 1);
    EXPECT_TRUE(buffer.DeleteText(nullptr, 1, 1, 1, 1));
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_EQ(buffer.GetUndoRecordCount(), 0);
    buffer.DetachView(&view);
}

TEST(TextEdit, ReadOnlyAndWriteProtectedBuffersRefuseEdits)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc");
    CRecorderView view;
    buffer.AttachView(&view);
    int endLine = 0;
    int endChar = 0;
    buffer.SetReadOnly(true);
    EXPECT_FALSE(buffer.CanEdit());
    EXPECT_FALSE(buffer.InsertText(nullptr, 0, 0, "x", endLine, endChar));
    EXPECT_FALSE(buffer.DeleteText(nullptr, 0, 0, 0, 1));
    buffer.SetReadOnly(false);
    buffer.SetWriteProtected(true);
    EXPECT_FALSE(buffer.InsertText(nullptr, 0, 0, "x", endLine, endChar));
    EXPECT_EQ(buffer.GetUndoRecordCount(), 0);
    EXPECT_TRUE(view.m_aUpdates.empty());
    EXPECT_FALSE(buffer.IsModified());

    // Undo and redo are refused too, and keep the history.
    buffer.SetWriteProtected(false);
    ASSERT_TRUE(buffer.InsertText(nullptr, 0, 0, "x", endLine, endChar));
    buffer.SetReadOnly(true);
    STextPosition caret;
    EXPECT_FALSE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(buffer.GetUndoRecordCount(), 1);
    EXPECT_EQ(StoredText(buffer), "xabc");
    buffer.DetachView(&view);
}

TEST(TextEdit, EachKindOfEditSendsItsHintWithTheFirstChangedLine)
{
    CTarvoTextEditBuffer buffer;
    CRecorderView view;
    CRecorderView other;
    buffer.AttachView(&view);
    buffer.AttachView(&other);
    buffer.InitNew(LineEndCrLf);
    ASSERT_EQ(view.m_aUpdates.size(), 1u);
    EXPECT_EQ(view.m_aUpdates[0].dwHint, HintReset);
    EXPECT_EQ(view.m_aUpdates[0].nLine, -1);

    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(&view, 0, 0, "abc\ndef", endLine, endChar);
    buffer.InsertText(&view, 1, 1, "x", endLine, endChar);
    buffer.DeleteText(&other, 1, 0, 1, 1);
    buffer.DeleteText(&other, 0, 1, 1, 1);
    buffer.SetLineFlag(0, LineFlagBookmark, true);
    const std::vector<std::pair<uint32_t, int>> expected = {
        {HintReset, -1},
        {HintLineLength | HintLineCount, 0},
        {HintSingleLine | HintLineLength, 1},
        {HintSingleLine | HintLineLength, 1},
        {HintLineLength | HintLineCount, 0},
        {HintSingleLine | HintLineMarks, 0},
    };
    for (const CRecorderView* recorder : {&view, &other})
    {
        ASSERT_EQ(recorder->m_aUpdates.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i)
        {
            EXPECT_EQ(recorder->m_aUpdates[i].dwHint, expected[i].first) << i;
            EXPECT_EQ(recorder->m_aUpdates[i].nLine, expected[i].second) << i;
        }
    }
    EXPECT_EQ(view.m_aUpdates[1].pSource, &view);
    EXPECT_EQ(view.m_aUpdates[3].pSource, &other);
    EXPECT_TRUE(view.m_aUpdates[1].bHasContext);
    EXPECT_FALSE(view.m_aUpdates[5].bHasContext);

    buffer.DetachView(&other);
    buffer.InsertText(&view, 0, 0, "y", endLine, endChar);
    EXPECT_EQ(other.m_aUpdates.size(), expected.size());
    EXPECT_EQ(view.m_aUpdates.size(), expected.size() + 1);
    buffer.DetachView(&view);
}

TEST(TextEdit, UpdateContextsMoveStoredPositions)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "0123\nabcd\nwxyz");
    CRecorderView view;
    buffer.AttachView(&view);
    // Before, at, after the insertion point, and on a later line.
    view.m_aTracked = {{1, 1}, {2, 1}, {3, 1}, {2, 2}, {4, 0}};
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 1, 2, "XY\nZ", endLine, endChar);
    EXPECT_EQ(view.m_aTracked, (std::vector<STextPosition>{{1, 1}, {2, 1}, {2, 2}, {2, 3}, {4, 0}}));
    // Text now: 0123 / abXY / Zcd / wxyz. Delete (1,1)..(1,2): inside, after on the end
    // line, on the start line beyond the start, and below.
    view.m_aTracked = {{0, 1}, {3, 1}, {1, 2}, {3, 2}, {4, 1}, {2, 3}, {0, 2}};
    buffer.DeleteText(nullptr, 1, 1, 2, 1);
    EXPECT_EQ(view.m_aTracked, (std::vector<STextPosition>{{0, 1}, {1, 1}, {1, 1}, {3, 1}, {1, 1}, {2, 2}, {1, 1}}));
    EXPECT_EQ(StoredText(buffer), "0123\nacd\nwxyz");
    buffer.DetachView(&view);
}

TEST(TextEdit, GetTextRangeWritesTheModesEndingBetweenLines)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "ab\ncd\r\nef\rgh");
    std::string text;
    EXPECT_TRUE(buffer.GetTextRange(0, 1, 3, 1, text, LineEndCrLf));
    EXPECT_EQ(text, "b\r\ncd\r\nef\r\ng");
    buffer.GetTextRange(0, 1, 3, 1, text, 0);
    EXPECT_EQ(text, "b\r\ncd\r\nef\r\ng");
    buffer.GetTextRange(0, 1, 3, 1, text, LineEndCr);
    EXPECT_EQ(text, "b\rcd\ref\rg");
    buffer.GetTextRange(0, 1, 3, 1, text, LineEndLf);
    EXPECT_EQ(text, "b\ncd\nef\ng");
    buffer.GetTextRange(1, 0, 1, 2, text);
    EXPECT_EQ(text, "cd");
    buffer.GetStoredTextRange(0, 0, 3, 2, text);
    EXPECT_EQ(text, "ab\ncd\r\nef\rgh");
    EXPECT_FALSE(buffer.GetTextRange(0, 0, 4, 0, text));
    EXPECT_TRUE(text.empty());
    EXPECT_FALSE(buffer.GetTextRange(1, 1, 0, 0, text));
    EXPECT_FALSE(buffer.GetTextRange(0, 0, 0, 3, text));
}

TEST(TextEdit, ConvertLineEndsChangesOnlyLinesWithAnotherEnding)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "ab\r\ncd\r\nef");
    EXPECT_FALSE(buffer.ConvertLineEnds());
    EXPECT_FALSE(buffer.IsModified());

    FillBuffer(buffer, "a\nbbbbbbbbbbbbbb\rc\r\nd");
    buffer.SetLineEndMode(LineEndCrLf);
    EXPECT_TRUE(buffer.ConvertLineEnds());
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(StoredText(buffer), "a\r\nbbbbbbbbbbbbbb\r\nc\r\nd");
    EXPECT_EQ(buffer.GetLineRecord(1)->nMax, 32); // 14 + 2 + 1 bytes no longer fit 16
    buffer.SetLineEndMode(LineEndLf);
    EXPECT_TRUE(buffer.ConvertLineEnds());
    EXPECT_EQ(StoredText(buffer), "a\nbbbbbbbbbbbbbb\nc\nd");
    EXPECT_EQ(buffer.GetUndoRecordCount(), 0);
}

TEST(TextEdit, LineEndingModeReadsUnknownValuesAsCrLf)
{
    CTarvoTextEditBuffer buffer;
    buffer.SetLineEndMode(0);
    EXPECT_EQ(buffer.GetLineEndMode(), LineEndCrLf);
    buffer.SetLineEndMode(7);
    EXPECT_EQ(buffer.GetLineEndMode(), LineEndCrLf);
    EXPECT_STREQ(buffer.GetLineEndString(), "\r\n");
    buffer.SetLineEndMode(LineEndCr);
    EXPECT_STREQ(buffer.GetLineEndString(), "\r");
    buffer.SetLineEndMode(LineEndLf);
    EXPECT_STREQ(buffer.GetLineEndString(), "\n");
}

TEST(TextEdit, InitNewGivesOneEmptyLineWithFreshSettings)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "a\nb\nc");
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 0, 0, "x", endLine, endChar);
    buffer.SetTabSize(8);
    buffer.SetUseTabs(false);
    buffer.SetReadOnly(true);
    buffer.SetLineEndMode(LineEndLf);
    buffer.InitNew(LineEndCrLf);
    EXPECT_EQ(buffer.GetLineCount(), 1);
    EXPECT_EQ(StoredText(buffer), "");
    EXPECT_EQ(buffer.GetTabSize(), 4);
    EXPECT_TRUE(buffer.GetUseTabs());
    EXPECT_FALSE(buffer.IsReadOnly());
    EXPECT_FALSE(buffer.IsModified());
    EXPECT_TRUE(buffer.IsInitialised());
    EXPECT_EQ(buffer.GetLineEndMode(), LineEndCrLf);
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_EQ(buffer.GetLastEditPosition(), (STextPosition{-1, -1}));

    buffer.FreeAll();
    EXPECT_EQ(buffer.GetLineCount(), 0);
    EXPECT_FALSE(buffer.IsInitialised());
}

TEST(TextEdit, UniqueFlagMovesBetweenLinesAndBookmarkSearchWraps)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "0\n1\n2\n3\n4\n5");
    CRecorderView view;
    buffer.AttachView(&view);
    const uint32_t kExecution = 0x10000;
    buffer.SetLineFlag(1, kExecution, true, true);
    buffer.SetLineFlag(4, kExecution, true, true);
    EXPECT_EQ(buffer.GetLineRecord(1)->dwFlags, 0u);
    EXPECT_EQ(buffer.GetLineWithFlag(kExecution), 4);
    ASSERT_EQ(view.m_aUpdates.size(), 3u);
    EXPECT_EQ(view.m_aUpdates[1].nLine, 1); // the old holder is told first
    EXPECT_EQ(view.m_aUpdates[2].nLine, 4);

    // Line -1 means the holder; a flag that is not a single bit needs a real line and no
    // uniqueness.
    buffer.SetLineFlag(-1, kExecution, false, true);
    EXPECT_EQ(buffer.FindLineWithFlag(kExecution), -1);
    buffer.SetLineFlag(-1, kExecution, false, true); // no holder: nothing
    buffer.SetLineFlag(2, 0x3, true, true);
    EXPECT_EQ(buffer.GetLineRecord(2)->dwFlags, 0u);
    buffer.SetLineFlag(2, 0x3, true, false, false);
    EXPECT_EQ(buffer.GetLineRecord(2)->dwFlags, 0x3u);
    EXPECT_EQ(buffer.GetLineWithFlag(0x3), -1);
    EXPECT_EQ(buffer.FindLineWithFlag(0x2), 2);
    buffer.SetLineFlag(2, 0, true, false, false); // set with flag 0 clears every flag
    EXPECT_EQ(buffer.GetLineRecord(2)->dwFlags, 0u);
    const size_t updates = view.m_aUpdates.size();
    buffer.SetLineFlag(3, kExecution, false, false); // no change: no notification
    EXPECT_EQ(view.m_aUpdates.size(), updates);

    EXPECT_EQ(buffer.FindNextBookmark(0), -1);
    EXPECT_EQ(buffer.FindPreviousBookmark(0), -1);
    buffer.SetLineFlag(1, LineFlagBookmark, true, false);
    buffer.SetLineFlag(4, LineFlagBookmark, true, false);
    EXPECT_EQ(buffer.FindNextBookmark(1), 4);
    EXPECT_EQ(buffer.FindNextBookmark(2), 4);
    EXPECT_EQ(buffer.FindNextBookmark(4), 1);
    EXPECT_EQ(buffer.FindNextBookmark(5), 1);
    EXPECT_EQ(buffer.FindPreviousBookmark(4), 1);
    EXPECT_EQ(buffer.FindPreviousBookmark(1), 4);
    EXPECT_EQ(buffer.FindPreviousBookmark(0), 4);
    EXPECT_EQ(buffer.FindNextBookmark(99), 1);
    buffer.DetachView(&view);
}

TEST(TextEdit, TrackedEditsStampRevisionsAndUndoRestoresThem)
{
    CTarvoTextEditBuffer buffer;
    buffer.SetTrackChanges(true);
    FillBuffer(buffer, "a\nb\nc");
    for (int i = 0; i < 3; ++i)
        buffer.GetLineRecord(i)->dwRevision = 0;
    const uint32_t first = buffer.GetRevision();
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 1, 1, "x\ny", endLine, endChar);
    EXPECT_EQ(buffer.GetRevision(), first + 1);
    EXPECT_EQ(buffer.GetLineRevision(0), 0u);
    EXPECT_EQ(buffer.GetLineRevision(1), first + 1);
    EXPECT_EQ(buffer.GetLineRevision(2), first + 1);
    EXPECT_EQ(buffer.GetLineRevision(3), 0u);
    buffer.DeleteText(nullptr, 0, 0, 0, 1);
    EXPECT_EQ(buffer.GetLineRevision(0), first + 2);

    STextPosition caret;
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(buffer.GetLineRevision(i), 0u) << i;

    // Without tracking nothing is stamped.
    buffer.SetTrackChanges(false);
    buffer.InsertText(nullptr, 0, 0, "q", endLine, endChar);
    EXPECT_EQ(buffer.GetLineRevision(0), 0u);
}

TEST(TextEdit, ParseStatesAreComputedFromTheLastKnownLineAndForgottenAfterEdits)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "a\nbb\nccc\ndddd\neeeee");
    EXPECT_EQ(buffer.GetLineParseState(3), 0u); // no parser: state 0
    CCountingParser parser(1);
    buffer.SetParser(&parser);
    std::vector<int> lengths = {1, 2, 3, 4, 5};
    EXPECT_EQ(buffer.GetLineParseState(2), ExpectedState(lengths, 2));
    EXPECT_EQ(parser.m_nCalls, 3);
    EXPECT_EQ(buffer.GetLineParseState(4), ExpectedState(lengths, 4));
    EXPECT_EQ(parser.m_nCalls, 5);
    EXPECT_EQ(buffer.GetLineParseState(1), ExpectedState(lengths, 1));
    EXPECT_EQ(parser.m_nCalls, 5);
    EXPECT_EQ(buffer.GetLineParseState(-1), 0u);

    // An edit of line 2 that also removes a line: states from line 2 on are recomputed.
    buffer.DeleteText(nullptr, 2, 1, 3, 2);
    lengths = {1, 2, 3, 5};
    parser.m_nCalls = 0;
    EXPECT_EQ(buffer.GetLineParseState(3), ExpectedState(lengths, 3));
    EXPECT_EQ(parser.m_nCalls, 2);

    // A stored state is used as the start of the next walk.
    buffer.InvalidateParseStates(0);
    buffer.SetLineParseState(1, 1000);
    parser.m_nCalls = 0;
    EXPECT_EQ(buffer.GetLineParseState(2), 1000u * 31 + 4);
    EXPECT_EQ(parser.m_nCalls, 1);
    buffer.SetParser(nullptr);
}

// The state array covers only the lines asked about; states far past it, and after the
// text grew or shrank around it, still equal a walk from the first line.
TEST(TextEdit, ParseStatesPastTheCoveredLinesMatchAFullWalk)
{
    CTarvoTextEditBuffer buffer;
    std::string text;
    std::vector<int> lengths;
    for (int i = 0; i < 5000; ++i)
    {
        text += std::string(static_cast<size_t>(i % 7), 'x') + (i + 1 < 5000 ? "\n" : "");
        lengths.push_back(i % 7);
    }
    FillBuffer(buffer, text.c_str());
    CCountingParser parser(1);
    buffer.SetParser(&parser);
    EXPECT_EQ(buffer.GetLineParseState(10), ExpectedState(lengths, 10));
    EXPECT_EQ(buffer.GetLineParseState(4999), ExpectedState(lengths, 4999));
    buffer.SetLineParseState(3000, ExpectedState(lengths, 3000));
    EXPECT_EQ(buffer.GetLineParseState(3001), ExpectedState(lengths, 3001));

    // Lines inserted at the top: every later state moves with its line.
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 0, 0, "yy\nyyy\n", endLine, endChar);
    lengths.insert(lengths.begin(), {2, 3});
    EXPECT_EQ(buffer.GetLineParseState(5001), ExpectedState(lengths, 5001));
    // Lines removed: the asked line is the last one of a shorter text.
    buffer.DeleteText(nullptr, 0, 0, 2500, 0);
    lengths.erase(lengths.begin(), lengths.begin() + 2500);
    EXPECT_EQ(buffer.GetLineParseState(2501), ExpectedState(lengths, 2501));
    EXPECT_EQ(buffer.GetLineParseState(2502), 0u); // past the end
    buffer.SetParser(nullptr);
}

TEST(TextEdit, SetParserByIdFallsBackToPlainTextAndTellsTheViews)
{
    CTwoParserLookup lookup;
    CTextParserLookup* previous = GetTextParserLookup();
    SetTextParserLookup(&lookup);
    CTarvoTextEditBuffer buffer;
    CRecorderView view;
    buffer.AttachView(&view);
    buffer.InitNew(LineEndCrLf);
    EXPECT_EQ(buffer.GetParser(), &lookup.m_plain);
    EXPECT_EQ(view.m_nParserChanges, 0);
    buffer.SetParserById(5);
    EXPECT_EQ(buffer.GetParser(), &lookup.m_cpp);
    buffer.SetParserById(42);
    EXPECT_EQ(buffer.GetParser(), &lookup.m_plain);
    EXPECT_EQ(view.m_nParserChanges, 2);
    SetTextParserLookup(previous);
    buffer.DetachView(&view);
}

TEST(TextEdit, TrailBytesFollowTheCodePageOfTextInMemory)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "a\x82\xa0z");
    SetTextCodePage(932);
    EXPECT_FALSE(buffer.IsTrailByte(0, 1));
    EXPECT_TRUE(buffer.IsTrailByte(0, 2));
    EXPECT_FALSE(buffer.IsTrailByte(0, 3));
    EXPECT_FALSE(buffer.IsTrailByte(0, 4));
    EXPECT_FALSE(buffer.IsTrailByte(5, 0));
    SetTextCodePage(1252);
    EXPECT_FALSE(buffer.IsTrailByte(0, 2));
    SetTextCodePage(0);
}

namespace
{
// A parser with a block state: each '#' opens or closes a block.
class CBlockParser : public CTextParser
{
public:
    uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun*, int*) override
    {
        ++m_nCalls;
        for (int i = 0; i < line->nLength; ++i)
            if (line->pcLine[i] == '#')
                state ^= 1;
        return state;
    }
    uint32_t ParseLineComments(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs, int* count) override
    {
        return ParseLine(state, line, runs, count);
    }
    int GetParserId() const override
    {
        return 9;
    }
    int m_nCalls = 0;
};
} // namespace

// An edit inside one line keeps the states below it exactly when the line still ends in
// the state it ended in; every state read afterwards is what a walk from the top gives.
TEST(TextEdit, EditsInsideALineKeepTheStatesBelowOnlyWhileItsEndStateHolds)
{
    CTarvoTextEditBuffer buffer;
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += (i % 7 == 3 ? "a#b" : "line") + std::string(i + 1 < 40 ? "\n" : "");
    FillBuffer(buffer, text.c_str());
    CBlockParser parser;
    buffer.SetParser(&parser);
    auto expected = [&](int line)
    {
        uint32_t state = 0;
        for (int i = 0; i <= line; ++i)
            for (char c : LineText(buffer, i))
                state ^= c == '#' ? 1u : 0u;
        return state;
    };
    const int last = buffer.GetLineCount() - 1;
    uint32_t seed = 12345;
    for (int step = 0; step < 200; ++step)
    {
        buffer.GetLineParseState(last); // every state known, as after a paint of the end
        seed = seed * 1103515245u + 12345u;
        const int line = static_cast<int>((seed >> 8) % static_cast<uint32_t>(last + 1));
        const uint32_t endBefore = buffer.GetLineParseState(line);
        const int length = static_cast<int>(LineText(buffer, line).size());
        int endLine = 0, endChar = 0;
        if ((seed >> 4) % 3 != 0 || length == 0)
            buffer.InsertText(nullptr, line, length / 2, (seed >> 12) % 2 != 0 ? "#" : "x", endLine, endChar);
        else
            buffer.DeleteText(nullptr, line, 0, line, 1);
        if (step % 4 == 0)
        {
            // A second edit before anything is read, above, on or below the first.
            const int other = static_cast<int>((seed >> 16) % static_cast<uint32_t>(last + 1));
            buffer.InsertText(nullptr, other, 0, (seed >> 20) % 2 != 0 ? "#" : "y", endLine, endChar);
            for (int i = last; i >= 0; i -= 3)
                ASSERT_EQ(buffer.GetLineParseState(i), expected(i)) << "step " << step << " line " << i;
            continue;
        }
        const bool bKept = expected(line) == endBefore;
        // Nothing is parsed until the edited line's state is asked for.
        EXPECT_FALSE(buffer.IsLineParseStateKnown(line));
        EXPECT_EQ(buffer.GetLineParseState(line), expected(line));
        if (line < last)
        {
            EXPECT_EQ(buffer.IsLineParseStateKnown(line + 1), bKept) << "step " << step;
        }
        parser.m_nCalls = 0;
        EXPECT_EQ(buffer.GetLineParseState(last), expected(last)) << "step " << step;
        if (bKept && line < last)
        {
            EXPECT_EQ(parser.m_nCalls, 0) << "step " << step;
        }
        for (int i = 0; i <= last; i += 5)
            ASSERT_EQ(buffer.GetLineParseState(i), expected(i)) << "step " << step << " line " << i;
    }
    // A line split forgets everything below it as before.
    int endLine = 0, endChar = 0;
    buffer.InsertText(nullptr, 3, 0, "\n", endLine, endChar);
    EXPECT_FALSE(buffer.IsLineParseStateKnown(4));
    buffer.SetParser(nullptr);
}

// Undo and redo: groups, the saved position, the record limit, failures, descriptions,
// and a model-based run of random edits, undos and redos.

#include <gtest/gtest.h>

#include <random>

#include "TextTestSupport.h"

namespace
{
// Types one character the way the view does: a typing group merged with the previous one.
void Type(CTarvoTextEditBuffer& buffer, CTextBufferView* view, int line, int pos, const char* text, bool merge)
{
    int endLine = 0;
    int endChar = 0;
    buffer.BeginUndoGroup(merge);
    buffer.InsertText(view, line, pos, text, endLine, endChar, EditActionTyping);
    buffer.FlushUndoGroup(view);
}

// One group of two records: delete a character, insert another (what a replace does).
void ReplaceChar(CTarvoTextEditBuffer& buffer, int line, int pos, const char* text)
{
    int endLine = 0;
    int endChar = 0;
    buffer.BeginUndoGroup(false);
    buffer.DeleteText(nullptr, line, pos, line, pos + 1, EditActionReplace);
    buffer.InsertText(nullptr, line, pos, text, endLine, endChar, EditActionReplace);
    buffer.FlushUndoGroup(nullptr);
}

void Save(CTarvoTextEditBuffer& buffer)
{
    buffer.MarkSavedPosition();
    buffer.SetModified(false);
}
} // namespace

TEST(TextUndo, MergedTypingIsUndoneAndRedoneAsOneStep)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "xy");
    CRecorderView view;
    Type(buffer, &view, 0, 1, "a", false);
    Type(buffer, &view, 0, 2, "b", true);
    Type(buffer, &view, 0, 3, "c", true);
    EXPECT_EQ(StoredText(buffer), "xabcy");
    EXPECT_EQ(buffer.GetUndoRecordCount(), 3);
    // The view hears of each closed group with its last record.
    ASSERT_EQ(view.m_aClosed.size(), 3u);
    EXPECT_EQ(view.m_aClosed[2], (std::pair<int, std::string>(EditActionTyping, "c")));

    STextPosition caret;
    ASSERT_TRUE(buffer.Undo(&view, caret));
    EXPECT_EQ(StoredText(buffer), "xy");
    EXPECT_EQ(caret, (STextPosition{1, 0}));
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_FALSE(buffer.IsModified());
    ASSERT_TRUE(buffer.Redo(&view, caret));
    EXPECT_EQ(StoredText(buffer), "xabcy");
    EXPECT_EQ(caret, (STextPosition{4, 0}));
    EXPECT_FALSE(buffer.CanRedo());
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_FALSE(buffer.Redo(&view, caret));
}

TEST(TextUndo, UndoAndRedoToTheSavedPositionClearTheModifiedFlag)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc");
    Type(buffer, nullptr, 0, 0, "1", false);
    Save(buffer);
    Type(buffer, nullptr, 0, 0, "2", false);
    EXPECT_TRUE(buffer.IsModified());
    STextPosition caret;
    buffer.Undo(nullptr, caret);
    EXPECT_FALSE(buffer.IsModified());
    buffer.Undo(nullptr, caret);
    EXPECT_TRUE(buffer.IsModified());
    buffer.Redo(nullptr, caret);
    EXPECT_FALSE(buffer.IsModified());
}

TEST(TextUndo, AnEditAfterUndoDropsTheRedoSteps)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc");
    Type(buffer, nullptr, 0, 0, "1", false);
    Type(buffer, nullptr, 0, 0, "2", false);
    STextPosition caret;
    buffer.Undo(nullptr, caret);
    EXPECT_TRUE(buffer.CanRedo());
    Type(buffer, nullptr, 0, 0, "3", false);
    EXPECT_FALSE(buffer.CanRedo());
    EXPECT_EQ(buffer.GetUndoRecordCount(), 2);
    buffer.Undo(nullptr, caret);
    EXPECT_EQ(StoredText(buffer), "1abc");
}

// Saving, undoing, and typing something else used to leave the saved position pointing
// at a record count that the new edits reach again, so the new text counted as saved.
TEST(TextUndo, ModifiedFlagStaysSetWhenTheSavedStateWasReplacedByOtherEdits)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc");
    Type(buffer, nullptr, 0, 0, "1", false);
    Type(buffer, nullptr, 0, 0, "2", false);
    Save(buffer);
    STextPosition caret;
    buffer.Undo(nullptr, caret);
    Type(buffer, nullptr, 0, 0, "X", false);
    EXPECT_EQ(buffer.GetUndoPosition(), 2);
    EXPECT_LT(buffer.GetSavedPosition(), 0);
    buffer.Undo(nullptr, caret);
    buffer.Redo(nullptr, caret);
    EXPECT_EQ(StoredText(buffer), "X1abc");
    EXPECT_TRUE(buffer.IsModified());
}

TEST(TextUndo, AtTheLimitTheOldestWholeGroupIsDropped)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, std::string(600, 'a').c_str());
    for (int i = 0; i < 512; ++i)
        ReplaceChar(buffer, 0, i, "b");
    ASSERT_EQ(buffer.GetUndoRecordCount(), 1024);
    buffer.MarkSavedPosition();
    ASSERT_EQ(buffer.GetSavedPosition(), 1024);

    ReplaceChar(buffer, 0, 512, "b");
    // The first record of the new group made room by dropping exactly the oldest group.
    EXPECT_EQ(buffer.GetUndoRecordCount(), 1024);
    EXPECT_EQ(buffer.GetSavedPosition(), 1022);
    EXPECT_NE(buffer.GetUndoRecord(0).m_dwFlags & CTarvoTextEditBuffer::kUndoBeginGroup, 0u);

    // All 512 remaining groups undo; the first replacement can no longer be undone.
    STextPosition caret;
    int undone = 0;
    while (buffer.Undo(nullptr, caret))
        ++undone;
    EXPECT_EQ(undone, 512);
    EXPECT_EQ(StoredText(buffer), "b" + std::string(599, 'a'));
}

// A Replace All of 600 matches records 1,200 records in one group. Cutting the group at
// the limit left Undo reverting only the last replacements and a half-replaced text.
TEST(TextUndo, UndoRightAfterAGroupLargerThanTheLimitRestoresAllOfIt)
{
    CTarvoTextEditBuffer buffer;
    const std::string original = std::string(700, 'a') + "\r\n" + std::string(10, 'c');
    FillBuffer(buffer, original.c_str());
    for (int i = 0; i < 5; ++i)
        Type(buffer, nullptr, 1, 0, "t", false);
    const std::string typed = StoredText(buffer);

    int endLine = 0;
    int endChar = 0;
    buffer.BeginUndoGroup(false);
    for (int i = 0; i < 600; ++i)
    {
        buffer.DeleteText(nullptr, 0, i, 0, i + 1, EditActionReplace);
        buffer.InsertText(nullptr, 0, i, "b", endLine, endChar, EditActionReplace);
    }
    buffer.FlushUndoGroup(nullptr);
    // The older typing groups made room; the replace group is whole.
    EXPECT_EQ(buffer.GetUndoRecordCount(), 1200);
    std::string desc;
    EXPECT_TRUE(buffer.GetUndoDescription(desc));
    EXPECT_EQ(desc, "Replace");

    STextPosition caret;
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer), typed);
    EXPECT_EQ(caret, (STextPosition{1, 0})); // after the first character put back
    EXPECT_FALSE(buffer.CanUndo());
    ASSERT_TRUE(buffer.Redo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer).substr(0, 601), std::string(600, 'b') + "a");

    // The next group needs room: the big group goes, whole.
    Type(buffer, nullptr, 1, 0, "z", false);
    EXPECT_EQ(buffer.GetUndoRecordCount(), 1);
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    EXPECT_FALSE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer).substr(0, 601), std::string(600, 'b') + "a");
}

TEST(TextUndo, UndoOfTextChangedBehindTheHistoryFailsAndDropsIt)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "xy");
    Type(buffer, nullptr, 0, 0, "0", false);
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 0, 1, "a\r\nb", endLine, endChar, EditActionPaste);
    buffer.SetLineEndMode(LineEndLf);
    ASSERT_TRUE(buffer.ConvertLineEnds());
    Save(buffer);
    STextPosition caret;
    EXPECT_FALSE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer), "0a\nbxy");
    EXPECT_FALSE(buffer.CanUndo());
    EXPECT_FALSE(buffer.CanRedo());
    // Nothing was replayed, so the text is still the saved one.
    EXPECT_FALSE(buffer.IsModified());
    Type(buffer, nullptr, 0, 0, "1", false);
    buffer.Undo(nullptr, caret);
    EXPECT_FALSE(buffer.IsModified());
}

TEST(TextUndo, FailureAfterPartOfAGroupWasReplayedLeavesTheBufferModified)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "ab\ncd");
    int endLine = 0;
    int endChar = 0;
    buffer.BeginUndoGroup(false);
    buffer.InsertText(nullptr, 0, 0, "1\r\n", endLine, endChar, EditActionPaste);
    buffer.InsertText(nullptr, 2, 0, "2", endLine, endChar, EditActionPaste);
    buffer.FlushUndoGroup(nullptr);
    buffer.SetLineEndMode(LineEndCr);
    buffer.ConvertLineEnds();
    Save(buffer);
    STextPosition caret;
    EXPECT_FALSE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer), "1\rab\rcd");
    EXPECT_TRUE(buffer.IsModified());
    EXPECT_EQ(buffer.GetUndoRecordCount(), 0);
    EXPECT_LT(buffer.GetSavedPosition(), 0);
}

// Enter in a file with LF endings inserts "\n"; its undo compared the text against CR LF
// and dropped the whole history.
TEST(TextUndo, UndoOfALineBreakInAnLfFileKeepsTheHistory)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "ab\ncd");
    buffer.SetLineEndMode(LineEndLf);
    Type(buffer, nullptr, 1, 1, "x", false);
    Type(buffer, nullptr, 0, 1, buffer.GetLineEndString(), false);
    STextPosition caret;
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer), "ab\ncxd");
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer), "ab\ncd");
}

TEST(TextUndo, UndoOfADeletionRestoresEachLinesOwnEnding)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "a\nb\rc\r\nd");
    buffer.DeleteText(nullptr, 0, 0, 3, 0, EditActionDelete);
    EXPECT_EQ(StoredText(buffer), "d");
    STextPosition caret;
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(StoredText(buffer), "a\nb\rc\r\nd");
    EXPECT_EQ(caret, (STextPosition{0, 3}));
}

// A line ending in CR followed by an empty line ending in LF reads back as one CR LF; the
// undo of their deletion must still give two lines.
TEST(TextUndo, UndoOfDeletingACrLineBeforeAnEmptyLfLineKeepsBothLines)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "a\r");
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 1, 0, "\nb", endLine, endChar, 0, false);
    ASSERT_EQ(buffer.GetLineCount(), 3);
    buffer.DeleteText(nullptr, 0, 0, 2, 1, EditActionDelete);
    STextPosition caret;
    ASSERT_TRUE(buffer.Undo(nullptr, caret));
    EXPECT_EQ(buffer.GetLineCount(), 3);
    EXPECT_EQ(LineEnding(buffer, 0), "\r");
    EXPECT_EQ(LineEnding(buffer, 1), "\n");
    EXPECT_EQ(caret, (STextPosition{1, 2}));
}

TEST(TextUndo, TrimRedoRecordsKeepsAsManyRedoRecordsAsUndoRecords)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc");
    for (int i = 0; i < 5; ++i)
        Type(buffer, nullptr, 0, 0, "x", false);
    STextPosition caret;
    for (int i = 0; i < 3; ++i)
        buffer.Undo(nullptr, caret);
    buffer.TrimRedoRecords();
    EXPECT_EQ(buffer.GetUndoRecordCount(), 4);
    EXPECT_EQ(buffer.GetUndoPosition(), 2);
    buffer.TrimRedoRecords(); // p == n - p: unchanged
    EXPECT_EQ(buffer.GetUndoRecordCount(), 4);
}

TEST(TextUndo, DescriptionsNameTheActionOfTheNextStep)
{
    CTarvoTextEditBuffer buffer;
    FillBuffer(buffer, "abc");
    EXPECT_EQ(buffer.GetUndoMenuText(), "&Undo\tCtrl+Z");
    EXPECT_EQ(buffer.GetRedoMenuText(), "&Redo\tCtrl+Y");
    int endLine = 0;
    int endChar = 0;
    buffer.BeginUndoGroup(false);
    buffer.DeleteText(nullptr, 0, 0, 0, 1, EditActionCut);
    buffer.InsertText(nullptr, 0, 0, "q", endLine, endChar, EditActionTyping);
    buffer.FlushUndoGroup(nullptr);
    buffer.InsertText(nullptr, 0, 0, "q", endLine, endChar, EditActionUppercase);
    EXPECT_EQ(buffer.GetUndoMenuText(), "&Undo Uppercase\tCtrl+Z");
    std::string desc;
    EXPECT_TRUE(buffer.GetUndoDescription(desc, 2)); // the group's first record names it
    EXPECT_EQ(desc, "Cut");
    STextPosition caret;
    buffer.Undo(nullptr, caret);
    EXPECT_EQ(buffer.GetRedoMenuText(), "&Redo Uppercase\tCtrl+Y");
    EXPECT_EQ(buffer.GetUndoMenuText(), "&Undo Cut\tCtrl+Z");
    buffer.InsertText(nullptr, 0, 0, "q", endLine, endChar, 12);
    EXPECT_EQ(buffer.GetUndoMenuText(), "&Undo\tCtrl+Z");

    const std::vector<std::pair<int, const char*>> names = {
        {0, "Unknown"}, {1, "Paste"}, {2, "Delete Selection"}, {3, "Cut"}, {4, "Typing"}, {5, "Backspace"},
        {6, "Indent"}, {7, "Drag And Drop"}, {8, "Replace"}, {9, "Delete"}, {10, "Auto Indent"},
        {13, "Lowercase"}, {14, "Uppercase"}, {15, "Invert Case"}, {16, "Capitalize"}, {17, "Sentence Case"}};
    for (const auto& [action, name] : names)
    {
        EXPECT_TRUE(buffer.GetActionDescription(action, desc));
        EXPECT_EQ(desc, name);
    }
    for (int action : {-1, 11, 12, 18})
        EXPECT_FALSE(buffer.GetActionDescription(action, desc)) << action;
}

// ---------------------------------------------------------------------------------------
// Model-based run

namespace
{
// The text as one string with '\x01' after every line ending, so that a CR at the end of
// one line and an LF that forms the next line stay two lines, as they do in the buffer.
class CTextModel
{
public:
    std::string m_strText;

    int LineStart(int line) const
    {
        size_t offset = 0;
        for (int i = 0; i < line; ++i)
            offset = m_strText.find('\x01', offset) + 1;
        return static_cast<int>(offset);
    }
    int LineCount() const
    {
        return static_cast<int>(std::count(m_strText.begin(), m_strText.end(), '\x01')) + 1;
    }
    int LineLength(int line) const
    {
        const int start = LineStart(line);
        int end = start;
        while (end < static_cast<int>(m_strText.size()) && m_strText[static_cast<size_t>(end)] != '\r' &&
               m_strText[static_cast<size_t>(end)] != '\n' && m_strText[static_cast<size_t>(end)] != '\x01')
            ++end;
        return end - start;
    }
    int Offset(STextPosition pt) const
    {
        return LineStart(pt.y) + pt.x;
    }
    STextPosition Position(int offset) const
    {
        STextPosition pt{0, 0};
        for (int i = 0; i < offset; ++i)
        {
            if (m_strText[static_cast<size_t>(i)] == '\x01')
            {
                ++pt.y;
                pt.x = 0;
            }
            else if (m_strText[static_cast<size_t>(i)] != '\r' && m_strText[static_cast<size_t>(i)] != '\n')
            {
                ++pt.x;
            }
        }
        return pt;
    }
    static std::string Separated(const std::string& text)
    {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i)
        {
            out += text[i];
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                out += text[++i];
            if (text[i] == '\r' || text[i] == '\n')
                out += '\x01';
        }
        return out;
    }
};

std::string SeparatedBufferText(const CTarvoTextEditBuffer& buffer)
{
    std::string out;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
    {
        out += LineText(buffer, i);
        const std::string ending = LineEnding(buffer, i);
        if (!ending.empty())
            out += ending + '\x01';
    }
    return out;
}

// The history as the model sees it: the text after each group and each group's size.
struct SModelHistory
{
    std::vector<std::string> states{""};
    std::vector<int> groupSizes;
    int position = 0;
    int saved = 0;
    int limit = 0;

    int Records() const
    {
        int total = 0;
        for (int size : groupSizes)
            total += size;
        return total;
    }
    void DropOldest()
    {
        states.erase(states.begin());
        groupSizes.erase(groupSizes.begin());
        --position;
        if (saved >= 0)
            --saved;
    }
    // One record was added: it began a group or continued the last one.
    void Record(const std::string& text, bool newGroup)
    {
        if (position < static_cast<int>(groupSizes.size()))
        {
            states.resize(static_cast<size_t>(position) + 1);
            groupSizes.resize(static_cast<size_t>(position));
            if (saved > position)
                saved = -1;
        }
        newGroup = newGroup || groupSizes.empty();
        // Continuing the group that ended at the saved text makes that text unreachable.
        if (!newGroup && saved == position)
            saved = -1;
        const int kept = newGroup ? 0 : 1;
        while (Records() >= limit && static_cast<int>(groupSizes.size()) > kept)
            DropOldest();
        if (newGroup)
        {
            groupSizes.push_back(1);
            states.push_back(text);
        }
        else
        {
            ++groupSizes.back();
            states.back() = text;
        }
        position = static_cast<int>(groupSizes.size());
    }
};
} // namespace

TEST(TextUndo, RandomEditsUndosAndRedosMatchASimpleModel)
{
    std::mt19937 random(20240611);
    auto pick = [&random](int n) { return n <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n)); };
    CTarvoTextEditBuffer buffer;
    buffer.InitNew(LineEndCrLf);
    buffer.SetUndoLimit(40);
    CRecorderView view;
    buffer.AttachView(&view);
    CTextModel model;
    SModelHistory history;
    history.limit = 40;
    bool modified = false;

    auto randomPosition = [&]() {
        const int line = pick(model.LineCount());
        return STextPosition{pick(model.LineLength(line) + 1), line};
    };
    auto randomText = [&]() {
        static const char* const pieces[] = {"a", "b", "cd", "\r", "\n", "\r\n", "xyz"};
        std::string text;
        const int count = pick(4) + 1;
        for (int i = 0; i < count; ++i)
            text += pieces[pick(7)];
        return text;
    };
    // One edit, checked for its text and its context mapping against the model.
    auto edit = [&](bool newGroup) -> bool {
        std::vector<STextPosition> tracked;
        for (int i = 0; i < 4; ++i)
            tracked.push_back(randomPosition());
        view.m_aTracked = tracked;
        std::vector<int> expectedOffsets;
        const bool insert = model.m_strText.size() < 300 && pick(5) < 3;
        if (insert)
        {
            const STextPosition at = randomPosition();
            const std::string text = randomText();
            const std::string separated = CTextModel::Separated(text);
            const int offset = model.Offset(at);
            for (const STextPosition& pt : tracked)
            {
                const int p = model.Offset(pt);
                expectedOffsets.push_back(p <= offset ? p : p + static_cast<int>(separated.size()));
            }
            int endLine = 0;
            int endChar = 0;
            if (!buffer.InsertText(&view, at.y, at.x, text.c_str(), endLine, endChar, EditActionTyping))
            {
                ADD_FAILURE() << "insert refused";
                return false;
            }
            model.m_strText.insert(static_cast<size_t>(offset), separated);
            EXPECT_EQ((STextPosition{endChar, endLine}), model.Position(offset + static_cast<int>(separated.size())));
        }
        else
        {
            STextPosition from = randomPosition();
            STextPosition to = randomPosition();
            if (model.Offset(to) < model.Offset(from))
                std::swap(from, to);
            const int start = model.Offset(from);
            const int end = model.Offset(to);
            if (start == end)
                return false;
            for (const STextPosition& pt : tracked)
            {
                const int p = model.Offset(pt);
                expectedOffsets.push_back(p <= start ? p : p >= end ? p - (end - start) : start);
            }
            if (!buffer.DeleteText(&view, from.y, from.x, to.y, to.x, EditActionDelete))
            {
                ADD_FAILURE() << "delete refused";
                return false;
            }
            model.m_strText.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
        }
        for (size_t i = 0; i < tracked.size(); ++i)
            EXPECT_EQ(view.m_aTracked[i], model.Position(expectedOffsets[i])) << "tracked position " << i;
        history.Record(model.m_strText, newGroup);
        modified = true;
        return true;
    };

    for (int step = 0; step < 6000; ++step)
    {
        const int choice = pick(20);
        if (choice < 8)
        {
            edit(true);
        }
        else if (choice < 10)
        {
            // Several edits in one group, or typing merged into the previous group.
            const bool merge = choice == 9;
            buffer.BeginUndoGroup(merge);
            bool newGroup = !merge || history.position == 0;
            const int edits = merge ? 1 : pick(3) + 2;
            for (int i = 0; i < edits; ++i)
                if (edit(newGroup))
                    newGroup = false;
            buffer.FlushUndoGroup(&view);
        }
        else if (choice < 15)
        {
            STextPosition caret;
            const bool done = buffer.Undo(&view, caret);
            ASSERT_EQ(done, history.position > 0) << "step " << step;
            if (done)
            {
                --history.position;
                modified = history.position != history.saved;
            }
        }
        else if (choice < 19)
        {
            STextPosition caret;
            const bool done = buffer.Redo(&view, caret);
            ASSERT_EQ(done, history.position < static_cast<int>(history.groupSizes.size())) << "step " << step;
            if (done)
            {
                ++history.position;
                modified = history.position != history.saved;
            }
        }
        else
        {
            Save(buffer);
            history.saved = history.position;
            modified = false;
        }
        model.m_strText = history.states[static_cast<size_t>(history.position)];
        ASSERT_EQ(SeparatedBufferText(buffer), model.m_strText) << "step " << step;
        ASSERT_EQ(buffer.GetLineCount(), model.LineCount());
        ASSERT_EQ(buffer.IsModified(), modified) << "step " << step << " choice " << choice << " position "
                                                 << history.position << " saved " << history.saved << " buffer "
                                                 << buffer.GetUndoPosition() << " " << buffer.GetSavedPosition();
        ASSERT_LE(buffer.GetUndoRecordCount(), 40 + 4);
    }
    buffer.DetachView(&view);
}

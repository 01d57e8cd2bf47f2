// The hex editing controller: typing sequences and their records, the overtype questions,
// caret movement, the clipboard, drag and drop, following other views' changes, and a
// model run of random keys against a plain byte vector.

#include <gtest/gtest.h>

#include <random>

#include "HexViewTestSupport.h"
#include "hex/HexCommands.h"

namespace
{
Bytes Sequence(size_t n)
{
    Bytes data(n);
    for (size_t i = 0; i < n; ++i)
        data[i] = static_cast<uint8_t>(i);
    return data;
}

void ClickHex(SHexEditFixture& f, uint32_t nPosition)
{
    const SHexPoint at = f.C().GetLayout().PositionToPoint(nPosition, false);
    f.C().MouseDown(at.m_nX, at.m_nY, false);
}

void ClickChar(SHexEditFixture& f, uint32_t nPosition)
{
    const SHexPoint at = f.C().GetLayout().PositionToPoint(nPosition, true);
    f.C().MouseDown(at.m_nX, at.m_nY, false);
}
} // namespace

TEST(HexTyping, CharactersInInsertModeShareRecordsOfFourBytes)
{
    SHexEditFixture f(ToBytes("xy"));
    f.C().ToggleOvertype();
    ClickChar(f, 1);
    f.Type("12345");
    EXPECT_EQ(f.Data(), ToBytes("x12345y"));
    EXPECT_EQ(f.m_buffer.GetRecords().size(), 2u);
    EXPECT_EQ(f.C().GetCaret(), 6u);
    f.C().Undo();
    EXPECT_EQ(f.Data(), ToBytes("x1234y"));
    EXPECT_EQ(f.C().GetCaret(), 5u);
    f.C().Undo();
    EXPECT_EQ(f.Data(), ToBytes("xy"));
    EXPECT_EQ(f.C().GetCaret(), 1u);
    EXPECT_FALSE(f.m_buffer.IsModified());
}

TEST(HexTyping, TwoHexDigitsMakeOneByteAndOneUndoRestoresIt)
{
    SHexEditFixture f(Bytes{0x3C, 0x55});
    f.Type("F");
    EXPECT_EQ(f.Data(), (Bytes{0x0F, 0x55}));
    EXPECT_TRUE(f.C().IsHalfTyped());
    EXPECT_EQ(f.C().GetCaret(), 0u);
    f.Type("0");
    EXPECT_EQ(f.Data(), (Bytes{0xF0, 0x55}));
    EXPECT_FALSE(f.C().IsHalfTyped());
    EXPECT_EQ(f.C().GetCaret(), 1u);
    f.C().Undo();
    EXPECT_EQ(f.Data(), (Bytes{0x3C, 0x55}));

    // Insert mode: A then B is one new byte 0xAB; a non-digit beeps and changes nothing.
    f.C().ToggleOvertype();
    f.Type("AbZ");
    EXPECT_EQ(f.Data(), (Bytes{0xAB, 0x3C, 0x55}));
    EXPECT_EQ(f.m_host.m_nKeyBeeps, 1);
    EXPECT_EQ(f.m_buffer.GetRecords().size(), 1u);
}

TEST(HexTyping, BackspaceBlanksInOvertypeAndRemovesAHalfTypedByteInInsert)
{
    SHexEditFixture f(ToBytes("abcd"));
    ClickHex(f, 2);
    f.Type("\b");
    EXPECT_EQ(f.Data(), (Bytes{'a', 0x00, 'c', 'd'}));
    EXPECT_EQ(f.C().GetCaret(), 1u);
    ClickChar(f, 3);
    f.Type("\b");
    EXPECT_EQ(f.Data(), (Bytes{'a', 0x00, ' ', 'd'}));

    f.C().ToggleOvertype(); // insert
    ClickHex(f, 1);
    f.Type("7");
    EXPECT_EQ(f.Data(), (Bytes{'a', 0x07, 0x00, ' ', 'd'}));
    f.Type("\b");
    EXPECT_EQ(f.Data(), (Bytes{'a', 0x00, ' ', 'd'}));
    EXPECT_EQ(f.C().GetCaret(), 1u);
    f.Type("\b\b");
    EXPECT_EQ(f.Data(), (Bytes{0x00, ' ', 'd'}));
    EXPECT_EQ(f.C().GetCaret(), 0u);
}

TEST(HexTyping, FiveDeletesAtOnePlaceMakeTwoRecords)
{
    SHexEditFixture f(ToBytes("0123456789"));
    f.C().ToggleOvertype();
    ClickHex(f, 2);
    for (int i = 0; i < 5; ++i)
        f.C().Delete();
    EXPECT_EQ(f.Data(), ToBytes("01789"));
    EXPECT_EQ(f.m_buffer.GetRecords().size(), 2u);
    // At the end nothing is deleted.
    f.C().MoveCaret(EHexKey::End, false, true);
    f.C().Delete();
    EXPECT_EQ(f.Data(), ToBytes("01789"));
}

TEST(HexOvertype, EachQuestionAnsweredBothWays)
{
    struct SCase
    {
        const char* pszQuestion;
        void (*act)(SHexEditFixture&);
    } cases[] = {
        {"You can't extend this file while in overtype mode.\rDo you want to turn off overtype "
         "mode?",
         [](SHexEditFixture& f)
         {
             f.C().MoveCaret(EHexKey::End, false, true);
             f.Type("A");
         }},
        {"This will delete the current selection\rwhich is not allowed in overtype mode.\rDo you "
         "want to turn off overtype mode?",
         [](SHexEditFixture& f)
         {
             f.C().MoveCaret(EHexKey::Right, true, false);
             f.Type("A");
         }},
        {"This will delete the current selection\rwhich is not allowed in overtype mode.\rDo you "
         "want to turn off overtype mode?",
         [](SHexEditFixture& f)
         {
             f.C().MoveCaret(EHexKey::Right, true, false);
             f.Type("\b");
         }},
        {"You can't delete while in overtype mode.\rDo you want to turn off overtype mode?",
         [](SHexEditFixture& f) { f.C().Delete(); }},
        {"You can't cut while in overtype mode.\rDo you want to turn off overtype mode?",
         [](SHexEditFixture& f)
         {
             CMemoryClipboard clipboard;
             f.C().MoveCaret(EHexKey::Right, true, false);
             f.C().Cut(clipboard);
         }},
    };
    for (const SCase& c : cases)
    {
        for (bool bOk : {false, true})
        {
            SHexEditFixture f(ToBytes("abc"));
            f.m_host.m_sink.m_bAnswer = bOk;
            c.act(f);
            ASSERT_EQ(f.m_host.m_sink.m_questions.size(), 1u) << c.pszQuestion;
            EXPECT_EQ(f.m_host.m_sink.m_questions[0], c.pszQuestion);
            EXPECT_EQ(f.C().IsOvertype(), !bOk);
            EXPECT_EQ(f.Data() != ToBytes("abc"), bOk) << c.pszQuestion;
        }
    }
}

TEST(HexOvertype, ReadOnlyRefusesEditsWithABeepAndTheToggleWithAMessage)
{
    SHexEditFixture f(ToBytes("abc"));
    f.C().ToggleReadOnly();
    SCommandState state;
    f.C().UpdateCommand(HexCommand::kReadOnly, state);
    EXPECT_TRUE(state.bChecked);
    f.Type("A");
    f.C().Delete();
    f.C().ToggleOvertype();
    EXPECT_EQ(f.Data(), ToBytes("abc"));
    EXPECT_EQ(f.m_host.m_nRefusedBeeps, 2);
    ASSERT_EQ(f.m_host.m_sink.m_messages.size(), 1u);
    EXPECT_EQ(f.m_host.m_sink.m_messages[0], "Attempt to toggle OVR/INS in read only mode");
    EXPECT_EQ(f.C().GetStatus({}).m_strReadOnly, "RO");
    EXPECT_TRUE(f.C().IsOvertype());
}

TEST(HexCaret, MovesByBytesRowsGroupsAndPages)
{
    SHexEditFixture f(Sequence(100), 10, 4);
    CHexEditController& c = f.C();
    c.MoveCaret(EHexKey::Right, false, true);
    EXPECT_EQ(c.GetCaret(), 4u);
    c.MoveCaret(EHexKey::Right, false, true);
    EXPECT_EQ(c.GetCaret(), 8u);
    c.MoveCaret(EHexKey::Right, false, true); // groups continue on the next row
    EXPECT_EQ(c.GetCaret(), 10u);
    c.MoveCaret(EHexKey::Left, false, true); // from a row start to the last group above
    EXPECT_EQ(c.GetCaret(), 8u);
    c.MoveCaret(EHexKey::Right, false, false);
    c.MoveCaret(EHexKey::Left, false, true);
    EXPECT_EQ(c.GetCaret(), 8u);
    c.MoveCaret(EHexKey::Left, false, true);
    EXPECT_EQ(c.GetCaret(), 4u);
    c.MoveCaret(EHexKey::Down, false, false);
    EXPECT_EQ(c.GetCaret(), 14u);
    c.MoveCaret(EHexKey::End, false, false);
    EXPECT_EQ(c.GetCaret(), 19u);
    c.MoveCaret(EHexKey::Home, true, false);
    EXPECT_EQ(c.GetCaret(), 10u);
    EXPECT_EQ(c.GetAnchor(), 19u);
    c.MoveCaret(EHexKey::End, true, false); // extending, End passes the row's last byte
    EXPECT_EQ(c.GetCaret(), 20u);
    c.MoveCaret(EHexKey::PageDown, false, false); // 10 visible lines: 9 rows
    EXPECT_EQ(c.GetCaret(), 100u);                // clamped to the end
    c.MoveCaret(EHexKey::PageUp, false, false);
    EXPECT_EQ(c.GetCaret(), 10u);
    // Below 0: the caret goes to the selection start.
    c.MoveCaret(EHexKey::Right, true, false);
    c.MoveCaret(EHexKey::Right, true, false);
    c.MoveCaret(EHexKey::PageUp, false, false);
    EXPECT_EQ(c.GetCaret(), 10u);
    EXPECT_FALSE(c.HasSelection());
    c.MoveCaret(EHexKey::End, false, true);
    EXPECT_EQ(c.GetCaret(), 100u);
    c.MoveCaret(EHexKey::Home, false, true);
    EXPECT_EQ(c.GetCaret(), 0u);
}

TEST(HexMouse, ClicksChooseTheAreaAndDragsSelect)
{
    SHexEditFixture f(Sequence(64));
    CHexEditController& c = f.C();
    const CHexLayout& layout = c.GetLayout();
    ClickChar(f, 20);
    EXPECT_TRUE(c.IsCaretInCharArea());
    EXPECT_EQ(c.GetCaret(), 20u);
    const SHexPoint to = layout.PositionToPoint(25, true);
    c.MouseMove(to.m_nX, to.m_nY);
    EXPECT_EQ(c.GetSelStart(), 20u);
    EXPECT_EQ(c.GetSelEnd(), 25u);
    EXPECT_EQ(c.GetSelectionTip({}), "5 (5)");
    // A press inside the selection may start a drag; released, it places the caret.
    const SHexPoint inside = layout.PositionToPoint(22, true);
    EXPECT_EQ(c.MouseDown(inside.m_nX, inside.m_nY, false), EHexMouse::DragCandidate);
    c.MouseUp(inside.m_nX, inside.m_nY);
    EXPECT_EQ(c.GetCaret(), 22u);
    EXPECT_FALSE(c.HasSelection());
    ClickHex(f, 3);
    EXPECT_FALSE(c.IsCaretInCharArea());
    EXPECT_EQ(c.MouseDown(layout.GetLineWidth() + 10, 0, false), EHexMouse::Ignored);
    EXPECT_EQ(c.GetCaret(), 3u);
    // Below the last line the caret stops at the end.
    const SHexPoint below = layout.PositionToPoint(10, false);
    c.MouseDown(below.m_nX, below.m_nY + 50 * layout.GetLineHeight(), false);
    EXPECT_EQ(c.GetCaret(), 64u);
}

TEST(HexClipboard, BinaryRoundTripKeepsZeroBytesAndTextDropsThem)
{
    const Bytes data{'a', 0, 'b', 0, 0, 'c', 0xFF};
    SHexEditFixture f(data);
    CMemoryClipboard clipboard;
    f.C().SelectAll();
    ASSERT_TRUE(f.C().Copy(clipboard));
    EXPECT_EQ(clipboard.m_strText, std::string("abc\xFF"));
    EXPECT_EQ(clipboard.m_binary.size(), data.size() + 4);
    EXPECT_EQ(clipboard.m_binary[0], 7);
    EXPECT_EQ(ReadBinaryClipData(clipboard.m_binary), data);

    // Pasted back at the end in insert mode, the bytes arrive whole.
    f.C().MoveCaret(EHexKey::End, false, true);
    f.m_host.m_nYesNoCancel = 1; // "turn on insert mode?" Yes
    ASSERT_TRUE(f.C().Paste(clipboard));
    Bytes twice = data;
    twice.insert(twice.end(), data.begin(), data.end());
    EXPECT_EQ(f.Data(), twice);
    EXPECT_EQ(f.C().GetSelStart(), 7u);
    EXPECT_EQ(f.C().GetSelEnd(), 14u);

    // A damaged layout that claims more bytes than it holds pastes what it holds.
    clipboard.m_binary = {200, 0, 0, 0, 'x', 'y'};
    EXPECT_EQ(ReadBinaryClipData(clipboard.m_binary), ToBytes("xy"));
}

TEST(HexClipboard, CopyMessagesAndZeroOnlySelection)
{
    SHexEditFixture f(Bytes{0, 0, 0, 'a'});
    CMemoryClipboard clipboard;
    EXPECT_FALSE(f.C().Copy(clipboard));
    EXPECT_EQ(f.m_host.m_sink.m_messages.back(), "Nothing selected to place on clipboard!");
    f.C().MoveCaret(EHexKey::Right, true, false);
    f.C().MoveCaret(EHexKey::Right, true, false);
    EXPECT_TRUE(f.C().Copy(clipboard));
    EXPECT_TRUE(clipboard.m_bHasText);
    EXPECT_EQ(clipboard.m_strText, "");
    EXPECT_EQ(ReadBinaryClipData(clipboard.m_binary), (Bytes{0, 0}));
    ASSERT_EQ(f.m_host.m_sink.m_status.size(), 1u);
    EXPECT_EQ(f.m_host.m_sink.m_status[0],
              "Warning: no valid text bytes - no text placed on clipboard");
    clipboard.m_bOpenWorks = false;
    EXPECT_FALSE(f.C().Copy(clipboard));
    EXPECT_EQ(f.m_host.m_sink.m_messages.back(), "The clipboard is in use!");
}

TEST(HexClipboard, PasteInsertsBeforeTheSelectionAndAsksInOvertype)
{
    SHexEditFixture f(ToBytes("abcdef"));
    CMemoryClipboard clipboard;
    clipboard.m_bHasText = true;
    clipboard.m_strText = "XY";
    ClickHex(f, 1);
    f.C().MoveCaret(EHexKey::Right, true, false);
    f.C().MoveCaret(EHexKey::Right, true, false);
    f.C().MoveCaret(EHexKey::Right, true, false);

    f.m_host.m_nYesNoCancel = -1; // Cancel
    EXPECT_FALSE(f.C().Paste(clipboard));
    EXPECT_EQ(f.Data(), ToBytes("abcdef"));
    EXPECT_EQ(f.m_host.m_sink.m_questions.back(),
              "Pasting in overtype mode will overwrite data!\rDo you want to turn on insert mode?");

    f.m_host.m_nYesNoCancel = 0; // No: paste over the data
    EXPECT_TRUE(f.C().Paste(clipboard));
    EXPECT_EQ(f.Data(), ToBytes("aXYdef"));

    f.m_host.m_nYesNoCancel = 1; // Yes: insert before the selection
    f.C().MoveCaret(EHexKey::Right, true, false);
    EXPECT_TRUE(f.C().Paste(clipboard));
    EXPECT_EQ(f.Data(), ToBytes("aXYXYdef"));

    // Overtype past the end asks again; Cancel leaves the data.
    SHexEditFixture g(ToBytes("ab"));
    g.m_host.m_nYesNoCancel = 0;
    g.m_host.m_sink.m_bAnswer = false;
    ClickHex(g, 1);
    EXPECT_FALSE(g.C().Paste(clipboard));
    EXPECT_EQ(g.m_host.m_sink.m_questions.back(),
              "The paste operation extends past EOF\nwhich is illegal in overtype mode.\nDo you "
              "want to turn on insert mode?");
    EXPECT_EQ(g.Data(), ToBytes("ab"));

    CMemoryClipboard empty;
    EXPECT_FALSE(g.C().Paste(empty));
    EXPECT_EQ(g.m_host.m_sink.m_messages.back(), "There is nothing on the clipboard to paste");
    empty.m_bHasText = true;
    EXPECT_FALSE(g.C().Paste(empty));
    EXPECT_EQ(g.m_host.m_sink.m_messages.back(), "Text on clipboard is not valid ASCII text!");
}

TEST(HexClipboard, CutCopiesThenDeletes)
{
    SHexEditFixture f(ToBytes("abcdef"));
    f.C().ToggleOvertype();
    CMemoryClipboard clipboard;
    ClickHex(f, 2);
    f.C().MoveCaret(EHexKey::Right, true, false);
    f.C().MoveCaret(EHexKey::Right, true, false);
    EXPECT_TRUE(f.C().Cut(clipboard));
    EXPECT_EQ(f.Data(), ToBytes("abef"));
    EXPECT_EQ(clipboard.m_strText, "cd");
    EXPECT_EQ(f.C().GetCaret(), 2u);
}

TEST(HexDragDrop, MoveWithinTheViewAndDropsInsideTheDraggedBytesAreRefused)
{
    SHexEditFixture f(ToBytes("0123456789"));
    CHexEditController& c = f.C();
    ClickHex(f, 2);
    c.MoveCaret(EHexKey::Right, true, false);
    c.MoveCaret(EHexKey::Right, true, false); // "23"
    std::string strText;
    std::vector<uint8_t> binary;
    ASSERT_TRUE(c.StartDrag(strText, binary));
    EXPECT_EQ(strText, "23");
    EXPECT_FALSE(c.Drop(ReadBinaryClipData(binary), 3)); // inside itself
    ASSERT_TRUE(c.Drop(ReadBinaryClipData(binary), 8));
    c.EndDrag(true, true);
    EXPECT_EQ(f.Data(), ToBytes("0145672389"));
    EXPECT_EQ(c.GetSelStart(), 6u); // the dropped bytes, moved back with the delete
    EXPECT_EQ(c.GetSelEnd(), 8u);

    // Dropped before the dragged bytes, the range moves on before it is deleted.
    ASSERT_TRUE(c.StartDrag(strText, binary));
    ASSERT_TRUE(c.Drop(ReadBinaryClipData(binary), 0));
    c.EndDrag(true, true);
    EXPECT_EQ(f.Data(), ToBytes("2301456789"));
}

TEST(HexFollow, OtherViewsKeepTheirSelectionAndBookmarkOnTheirBytes)
{
    SHexEditFixture f(Sequence(40));
    CRecordingHost host2;
    CHexEditController other(f.m_buffer, host2, f.m_settings);
    other.SetSelection(20, 10);
    other.ToggleBookmark(); // at the caret, 20
    f.C().ToggleOvertype();
    ClickChar(f, 5);
    f.Type("abc"); // insert 3 before the other selection
    EXPECT_EQ(other.GetSelStart(), 13u);
    EXPECT_EQ(other.GetSelEnd(), 23u);
    EXPECT_EQ(other.GetCaret(), 23u);
    EXPECT_EQ(other.GetBookmark(), 23);
    f.C().SetSelection(15, 8); // delete 8..15: overlaps the start
    f.C().Delete();
    EXPECT_EQ(other.GetSelStart(), 8u);
    EXPECT_EQ(other.GetSelEnd(), 16u);
    EXPECT_EQ(other.GetBookmark(), 16);
    f.C().SetSelection(30, 10); // covers the end and the bookmark
    f.C().Delete();
    EXPECT_EQ(other.GetSelStart(), 8u);
    EXPECT_EQ(other.GetSelEnd(), 10u);
    EXPECT_EQ(other.GetBookmark(), 10);
    // An undo or save starts new records in every view.
    other.OnChar('7');
    EXPECT_NE(other.GetTypingSequence(), 0);
    f.C().Undo();
    EXPECT_EQ(other.GetTypingSequence(), 0);
}

TEST(HexBookmark, ToggleGoToAndArea)
{
    SHexEditFixture f(Sequence(40));
    CHexEditController& c = f.C();
    SCommandState state;
    c.UpdateCommand(HexCommand::kGotoBookmark, state);
    EXPECT_FALSE(state.bEnabled);
    ClickChar(f, 7);
    c.ToggleBookmark();
    EXPECT_EQ(c.GetBookmark(), 7);
    ClickHex(f, 30);
    c.GotoBookmark();
    EXPECT_EQ(c.GetCaret(), 7u);
    EXPECT_TRUE(c.IsCaretInCharArea());
    c.ToggleBookmark();
    EXPECT_EQ(c.GetBookmark(), -1);
    // Hiding the character area takes the caret to the hex area.
    c.ToggleCharacterArea();
    EXPECT_FALSE(c.IsCaretInCharArea());
}

TEST(HexCommands, ContextMenuByAreaAndGoToQuestion)
{
    SHexEditFixture f(Sequence(40));
    CHexEditController& c = f.C();
    const std::vector<SHexMenuItem> address = c.GetContextMenu(2);
    ASSERT_EQ(address.size(), 4u);
    EXPECT_STREQ(address[0].m_pszText, "&Decimal Addresses");
    const std::vector<SHexMenuItem> hex =
        c.GetContextMenu(c.GetLayout().PositionToPoint(0, false).m_nX);
    const std::vector<SHexMenuItem> chars =
        c.GetContextMenu(c.GetLayout().PositionToPoint(0, true).m_nX);
    ASSERT_EQ(hex.size(), 6u);
    EXPECT_STREQ(hex[5].m_pszText, "Compare to...");
    EXPECT_EQ(chars.size(), hex.size());

    EXPECT_TRUE(c.GoTo(40)); // the end: no question
    EXPECT_TRUE(f.m_host.m_sink.m_questions.empty());
    f.m_host.m_sink.m_bAnswer = false;
    EXPECT_FALSE(c.GoTo(41));
    EXPECT_EQ(f.m_host.m_sink.m_questions.back(),
              "Attempt to jump to invalid address 41\rJump to EOF instead and continue?");
    c.GoTo(3);
    f.m_host.m_sink.m_bAnswer = true;
    EXPECT_TRUE(c.GoTo(41));
    EXPECT_EQ(c.GetCaret(), 40u);

    SCommandState state;
    EXPECT_FALSE(c.UpdateCommand(HexCommand::kCompareTo, state));
    c.UpdateCommand(HexCommand::kEditUndo, state);
    EXPECT_FALSE(state.bEnabled);
}

// --- Model run ------------------------------------------------------------------------------

namespace
{
// The same keys applied to a plain byte vector by the rules a user reads in the manual.
struct SModel
{
    Bytes m_data;
    uint32_t m_nCaret = 0;
    uint32_t m_nAnchor = 0;
    bool m_bCharArea = false;
    bool m_bOvertype = true;
    bool m_bHalf = false;

    uint32_t S() const { return std::min(m_nCaret, m_nAnchor); }
    uint32_t E() const { return std::max(m_nCaret, m_nAnchor); }
    uint32_t N() const { return static_cast<uint32_t>(m_data.size()); }
    void Place(uint32_t p) { m_nCaret = m_nAnchor = p; }
    void EraseSelection()
    {
        m_data.erase(m_data.begin() + S(), m_data.begin() + E());
        Place(S());
    }
};

class CControllerModelRun
{
public:
    explicit CControllerModelRun(unsigned nSeed) : m_random(nSeed) {}

    void Run(int nSteps)
    {
        Bytes data(m_random() % 60);
        for (uint8_t& b : data)
            b = static_cast<uint8_t>(m_random());
        m_model.m_data = data;
        SHexEditFixture f(data, 8, 4);
        f.m_host.m_sink.m_bAnswer = true; // every overtype question: OK
        for (int nStep = 0; nStep < nSteps; ++nStep)
        {
            const size_t nRecords = f.m_buffer.GetRecords().size();
            const Bytes before = m_model.m_data;
            Step(f);
            const size_t nNow = f.m_buffer.GetRecords().size();
            if (nNow > nRecords)
            {
                // A typed key over a selection makes two records: the delete, the byte.
                if (nNow - nRecords == 2)
                    m_undo.push_back(before);
                m_undo.push_back(nNow - nRecords == 2 ? m_afterSelectionDelete : before);
            }
            ASSERT_EQ(f.m_buffer.GetRecords().size(), m_undo.size()) << "step " << nStep;
            ASSERT_EQ(f.Data(), m_model.m_data) << "step " << nStep;
            ASSERT_EQ(f.C().GetCaret(), m_model.m_nCaret) << "step " << nStep << m_strTrace;
            ASSERT_EQ(f.C().GetAnchor(), m_model.m_nAnchor) << "step " << nStep;
            ASSERT_EQ(f.C().IsHalfTyped(), m_model.m_bHalf) << "step " << nStep;
            ASSERT_EQ(f.C().IsOvertype(), m_model.m_bOvertype) << "step " << nStep;
        }
        while (!m_undo.empty())
        {
            f.C().Undo();
            m_model.m_data = m_undo.back();
            m_undo.pop_back();
            ASSERT_EQ(f.Data(), m_model.m_data);
        }
        EXPECT_EQ(f.Data(), data);
        EXPECT_FALSE(f.m_buffer.IsModified());
    }

private:
    void Step(SHexEditFixture& f)
    {
        SModel& m = m_model;
        const uint32_t nAction = m_random() % 20;
        m_strTrace += " " + std::to_string(nAction) + "@" + std::to_string(m.m_nCaret) + "/" +
                      std::to_string(m.m_nAnchor) + (m.m_bCharArea ? "c" : "h") +
                      (m.m_bOvertype ? "o" : "i") + (m.m_bHalf ? "½" : "") + "n" +
                      std::to_string(m.N());
        if (nAction < 8)
        {
            const uint8_t c = m.m_bCharArea
                                  ? static_cast<uint8_t>(32 + m_random() % 95)
                                  : static_cast<uint8_t>("0123456789abcdefABCDEF"[m_random() % 22]);
            f.C().OnChar(c);
            TypeInModel(c);
        }
        else if (nAction < 10)
        {
            f.C().OnChar('\b');
            BackspaceInModel();
        }
        else if (nAction < 11)
        {
            f.C().Delete();
            m.m_bOvertype = false;
            m.m_bHalf = false;
            if (m.S() < m.E())
                m.EraseSelection();
            else if (m.m_nCaret < m.N())
                m.m_data.erase(m.m_data.begin() + m.m_nCaret);
        }
        else if (nAction < 15)
        {
            const bool bShift = m_random() % 3 == 0;
            const EHexKey key = static_cast<EHexKey>(m_random() % 4); // Left, Right, Up, Down
            f.C().MoveCaret(key, bShift, false);
            const int64_t d = key == EHexKey::Left    ? -1
                              : key == EHexKey::Right ? 1
                              : key == EHexKey::Up    ? -8
                                                      : 8;
            int64_t t = int64_t(m.m_nCaret) + d;
            if (t < 0)
                t = m.S();
            t = std::min<int64_t>(t, m.N());
            m.m_nCaret = static_cast<uint32_t>(t);
            if (!bShift)
                m.m_nAnchor = m.m_nCaret;
            m.m_bHalf = false;
        }
        else if (nAction < 17)
        {
            const uint32_t p = static_cast<uint32_t>(m_random() % (m.N() + 1));
            const bool bChar = m_random() % 2 == 0;
            const SHexPoint at = f.C().GetLayout().PositionToPoint(p, bChar);
            if (f.C().MouseDown(at.m_nX, at.m_nY, false) == EHexMouse::DragCandidate)
                f.C().MouseUp(at.m_nX, at.m_nY); // a click, not a drag
            m.m_bCharArea = bChar;
            m.Place(p);
            m.m_bHalf = false;
        }
        else if (nAction < 18)
        {
            f.C().ToggleOvertype();
            m.m_bOvertype = !m.m_bOvertype;
            m.m_bHalf = false;
        }
        else if (!m_undo.empty())
        {
            const uint32_t nOffset = f.m_buffer.GetRecords().back().m_nOffset;
            f.C().Undo();
            m.m_data = m_undo.back();
            m_undo.pop_back();
            m.Place(std::min(nOffset, m.N()));
            m.m_bHalf = false;
            m_bUndone = true;
        }
    }

    void TypeInModel(uint8_t c)
    {
        SModel& m = m_model;
        if (m.m_bOvertype && (m.S() < m.E() || (m.m_nCaret >= m.N() && !m.m_bHalf)))
            m.m_bOvertype = false;
        if (m.S() < m.E())
        {
            m.EraseSelection();
            m_afterSelectionDelete = m.m_data;
        }
        const uint32_t s = m.m_nCaret;
        if (m.m_bCharArea)
        {
            if (m.m_bOvertype)
                m.m_data[s] = c;
            else
                m.m_data.insert(m.m_data.begin() + s, c);
            m.Place(s + 1);
            return;
        }
        const uint8_t d =
            static_cast<uint8_t>(std::isdigit(c) ? c - '0' : (std::tolower(c) - 'a' + 10));
        if (!m.m_bHalf)
        {
            if (m.m_bOvertype)
                m.m_data[s] = d;
            else
                m.m_data.insert(m.m_data.begin() + s, d);
            m.m_bHalf = true;
            return;
        }
        m.m_data[s] = static_cast<uint8_t>((m.m_data[s] << 4) | d);
        m.m_bHalf = false;
        m.Place(s + 1);
    }

    void BackspaceInModel()
    {
        SModel& m = m_model;
        if (m.S() < m.E())
        {
            m.m_bOvertype = false;
            m.EraseSelection();
            m.m_bHalf = false;
            return;
        }
        const uint32_t nFrom = m.m_nCaret + (m.m_bHalf ? 1 : 0);
        if (nFrom == 0)
            return;
        const uint32_t p = nFrom - 1;
        if (m.m_bOvertype)
            m.m_data[p] = m.m_bCharArea ? 0x20 : 0x00;
        else
            m.m_data.erase(m.m_data.begin() + p);
        m.Place(p);
        m.m_bHalf = false;
    }

    std::mt19937 m_random;
    SModel m_model;
    std::vector<Bytes> m_undo;
    Bytes m_afterSelectionDelete;
    bool m_bUndone = false;
    std::string m_strTrace;
};
} // namespace

TEST(HexEditModel, RandomKeysInBothAreasAndModesMatchAByteVectorThroughUndo)
{
    for (unsigned nSeed = 1; nSeed <= 40; ++nSeed)
    {
        SCOPED_TRACE(nSeed);
        CControllerModelRun(nSeed).Run(400);
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// Random command sequences against a model of undo: every command that records makes one
// undo step (consecutive typing joins one), and undoing a step gives back the text, the
// caret and the anchor as they were before it; redoing gives back the text after it.

#include <gtest/gtest.h>

#include <random>

#include "TextEditTestSupport.h"

namespace
{
struct SSnapshot
{
    std::string strText;
    STextPosition ptCaret;
    STextPosition ptAnchor;
};

int GroupsBelowPosition(const CTarvoTextEditBuffer& buffer)
{
    int groups = 0;
    for (int i = 0; i < buffer.GetUndoPosition(); ++i)
        if ((buffer.GetUndoRecord(i).m_dwFlags & CTarvoTextEditBuffer::kUndoBeginGroup) != 0)
            ++groups;
    return groups;
}

void RunModel(unsigned seed, int nCodePage, int nLineEndMode, uint32_t dwFlags)
{
    SCodePageGuard guard;
    SetTextCodePage(nCodePage);
    const std::string eol = nLineEndMode == LineEndLf ? "\n" : "\r\n";
    CEditFixture f("int main() {" + eol + "    return 0;" + eol + "}" + eol + "word_one two",
                   nLineEndMode, 4);
    f.SetParser(std::make_unique<CTestSyntaxParser>(0, dwFlags, "//"));
    f.m_controller.OnParserChanged();
    f.m_buffer.SetUseTabs((seed & 1) != 0);
    std::mt19937 rng(seed);
    const std::vector<std::string> typed = {"a", "b",  " ", "(",        ")",       "{",
                                            "}", "\t", "x", "\xc3\xa9", "\x82\xa0"};
    const std::vector<int> commands = {CmdCharLeft,
                                       CmdExtCharLeft,
                                       CmdCharRight,
                                       CmdExtCharRight,
                                       CmdWordLeft,
                                       CmdExtWordRight,
                                       CmdLineUp,
                                       CmdExtLineDown,
                                       CmdLineDown,
                                       CmdHome,
                                       CmdExtLineEnd,
                                       CmdPageDown,
                                       CmdExtPageUp,
                                       CmdTextBegin,
                                       CmdExtTextEnd,
                                       CmdDelete,
                                       CmdDeleteBack,
                                       CmdDeleteWord,
                                       CmdDeleteWordBack,
                                       CmdTab,
                                       CmdUntab,
                                       CmdCommentSelection,
                                       CmdUncommentSelection,
                                       CmdLowercase,
                                       CmdUppercase,
                                       CmdInvertCase,
                                       CmdCapitalize,
                                       CmdSentenceCase,
                                       CmdCut,
                                       CmdCopy,
                                       CmdPaste,
                                       CmdToggleOverwrite,
                                       CmdMatchBrace,
                                       CmdSelectAll};
    std::vector<SSnapshot> undo;
    // Each undone step: the text after it, and the state before it.
    std::vector<std::pair<std::string, SSnapshot>> redo;
    std::vector<std::string> log; // what each step did, for a failure's message
    auto history = [&]()
    {
        std::string text;
        for (size_t i = log.size() > 12 ? log.size() - 12 : 0; i < log.size(); ++i)
            text += log[i] + "; ";
        return text;
    };
    for (int step = 0; step < 400; ++step)
    {
        const int choice = static_cast<int>(rng() % 100);
        const SSnapshot before{f.Text(), f.m_controller.GetCaret(), f.m_controller.GetAnchor()};
        if (choice < 12)
        {
            if (!f.m_buffer.CanUndo())
                continue;
            ASSERT_FALSE(undo.empty());
            f.Run(CmdUndo);
            log.push_back("undo");
            SCOPED_TRACE(history());
            const SSnapshot& expected = undo.back();
            ASSERT_EQ(f.Text(), expected.strText) << "step " << step;
            ASSERT_EQ(f.m_controller.GetCaret(), expected.ptCaret) << "step " << step;
            ASSERT_EQ(f.m_controller.GetAnchor(), expected.ptAnchor) << "step " << step;
            redo.emplace_back(before.strText, expected);
            undo.pop_back();
            continue;
        }
        if (choice < 18)
        {
            if (!f.m_buffer.CanRedo())
                continue;
            ASSERT_FALSE(redo.empty());
            f.Run(CmdRedo);
            log.push_back("redo");
            ASSERT_EQ(f.Text(), redo.back().first) << "step " << step;
            undo.push_back(redo.back().second);
            redo.pop_back();
            continue;
        }
        const int groupsBefore = GroupsBelowPosition(f.m_buffer);
        if (choice < 45)
        {
            const std::string& c = typed[rng() % typed.size()];
            f.m_controller.OnChar(c);
            log.push_back("type " + c);
        }
        else if (choice < 50)
        {
            f.m_controller.OnChar("\r");
            log.push_back("enter");
        }
        else
        {
            const int id = commands[rng() % commands.size()];
            f.Run(id);
            log.push_back(std::to_string(id));
        }
        log.back() += " (" + std::to_string(before.ptAnchor.x) + "," +
                      std::to_string(before.ptAnchor.y) + ")-(" + std::to_string(before.ptCaret.x) +
                      "," + std::to_string(before.ptCaret.y) + ")";
        const int groupsAfter = GroupsBelowPosition(f.m_buffer);
        if (groupsAfter == groupsBefore + 1)
        {
            undo.push_back(before);
            redo.clear();
        }
        else
        {
            ASSERT_EQ(groupsAfter, groupsBefore)
                << "one command made several undo steps, step " << step;
            if (f.Text() != before.strText)
            {
                ASSERT_FALSE(undo.empty()) << "a change without an undo step, step " << step;
                redo.clear();
            }
        }
        ASSERT_EQ(static_cast<int>(undo.size()), groupsAfter);
        // The caret always stands in the text, never inside a multibyte character.
        const STextPosition caret = f.m_controller.GetCaret();
        ASSERT_LT(caret.y, f.m_buffer.GetLineCount());
        ASSERT_LE(caret.x, f.m_buffer.GetLineRecord(caret.y)->nLength);
        ASSERT_FALSE(f.m_buffer.IsTrailByte(caret.y, caret.x)) << "step " << step;
    }
}
} // namespace

TEST(TextEditModel, RandomCommandsUndoToTheStateBeforeEachStep)
{
    for (unsigned seed = 1; seed <= 40; ++seed)
    {
        SCOPED_TRACE(seed);
        RunModel(seed, seed % 3 == 0 ? 65001 : (seed % 3 == 1 ? 1252 : 932),
                 seed % 2 ? LineEndCrLf : LineEndLf, seed % 4 == 0 ? 0x10 : 0x70);
        if (HasFatalFailure())
            return;
    }
}

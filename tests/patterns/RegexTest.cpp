#include "patterns/Regex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <regex.h>
#include <string>
#include <vector>

namespace
{
struct SProgramDeleter
{
    void operator()(RegexProgram* prog) const { RegexFree(prog); }
};
using ProgramPtr = std::unique_ptr<RegexProgram, SProgramDeleter>;

ProgramPtr Compile(const char* pattern, const char** ppError = nullptr)
{
    return ProgramPtr(RegexCompile(pattern, ppError));
}

std::string CompileError(const char* pattern)
{
    const char* error = nullptr;
    ProgramPtr prog = Compile(pattern, &error);
    EXPECT_EQ(prog, nullptr) << pattern;
    return error ? error : "";
}

bool Matches(const char* pattern, const char* text)
{
    ProgramPtr prog = Compile(pattern);
    EXPECT_NE(prog, nullptr) << pattern;
    return prog && RegexExecute(prog.get(), text) == 1;
}

// The whole match or a group as text; "<none>" for a group that took no part.
std::string Group(const RegexProgram* prog, int slot)
{
    if (!prog->groupStart[slot] || !prog->groupEnd[slot])
        return "<none>";
    return std::string(prog->groupStart[slot], prog->groupEnd[slot]);
}

std::vector<std::string> g_hookMessages;
void RecordingHook(const char* message)
{
    g_hookMessages.push_back(message);
}
} // namespace

TEST(Regex, ErrorsCarryTheirTexts)
{
    EXPECT_EQ(CompileError(nullptr), "NULL argument");
    EXPECT_EQ(CompileError("(a"), "unmatched ()");
    EXPECT_EQ(CompileError("a)"), "unmatched ()");
    EXPECT_EQ(CompileError("(a*)*"), "*+ operand could be empty");
    EXPECT_EQ(CompileError("(a?)+"), "*+ operand could be empty");
    EXPECT_EQ(CompileError("^*"), "*+ operand could be empty");
    EXPECT_EQ(CompileError("a**"), "nested *?+");
    EXPECT_EQ(CompileError("a?+"), "nested *?+");
    EXPECT_EQ(CompileError("*a"), "?+* follows nothing");
    EXPECT_EQ(CompileError("a|+"), "?+* follows nothing");
    EXPECT_EQ(CompileError("[ab"), "unmatched []");
    EXPECT_EQ(CompileError("[z-a]"), "invalid [] range");
    EXPECT_EQ(CompileError("ab\\"), "trailing \\");
    EXPECT_EQ(CompileError("(((((((((())))))))))"), "too many ()");
    EXPECT_EQ(CompileError(std::string(40000, 'x').c_str()), "regexp too big");

    // Nine groups are the limit.
    EXPECT_NE(Compile("(((((((((a)))))))))"), nullptr);
    // "a|" has an empty branch and matches every string.
    EXPECT_TRUE(Matches("a|", ""));
    EXPECT_TRUE(Matches("a|", "zzz"));

    RegexErrorHook previous = SetRegexErrorHook(RecordingHook);
    g_hookMessages.clear();
    EXPECT_EQ(Compile("[z-a]"), nullptr);
    EXPECT_EQ(RegexExecute(nullptr, "x"), 0);
    ProgramPtr prog = Compile("x");
    prog->program[0] = 0;
    EXPECT_EQ(RegexExecute(prog.get(), "x"), 0);
    SetRegexErrorHook(previous);
    EXPECT_EQ(g_hookMessages, (std::vector<std::string>{"invalid [] range", "NULL parameter",
                                                        "corrupted program"}));
}

TEST(Regex, ProgramSizeLimitIsExact)
{
    // Magic (1) + branch (3) + literal (3 + n + 1) + end (3) = n + 11 bytes.
    std::string justFits(32766 - 11, 'q');
    std::string tooBig(32767 - 11, 'q');
    ProgramPtr prog = Compile(justFits.c_str());
    ASSERT_NE(prog, nullptr);
    EXPECT_EQ(prog->programLength, 32766);
    EXPECT_EQ(CompileError(tooBig.c_str()), "regexp too big");
}

TEST(Regex, ProgramBytesFollowTheNodeFormat)
{
    ProgramPtr prog = Compile("ab*");
    ASSERT_NE(prog, nullptr);
    // magic; branch -> end; literal "a"; star -> end with operand literal "b"; end.
    const std::vector<unsigned char> expected = {
        0x9C,                       //
        NodeBranch,  0, 16,         // at 1, next at 17
        NodeLiteral, 0, 5,  'a', 0, // at 4
        NodeStar,    0, 8,          // at 9, next at 17
        NodeLiteral, 0, 0,  'b', 0, // at 12, the star's operand
        NodeEnd,     0, 0};         // at 17
    ASSERT_EQ(prog->programLength, static_cast<int>(expected.size()));
    EXPECT_EQ(std::vector<unsigned char>(prog->program, prog->program + prog->programLength),
              expected);

    // "(x)*": a loop whose back node points backward to the branch around the group.
    prog = Compile("(x)*");
    ASSERT_NE(prog, nullptr);
    const unsigned char* code = prog->program;
    EXPECT_EQ(code[4], NodeBranch);
    EXPECT_EQ(code[7], NodeOpen + 1);
    bool sawBack = false;
    for (int node = 7; node + 3 <= prog->programLength; node += 3)
    {
        if (code[node] == NodeLiteral)
            node += 2;
        if (code[node] == NodeBack)
        {
            sawBack = true;
            EXPECT_EQ(node - ((code[node + 1] << 8) | code[node + 2]), 4);
        }
    }
    EXPECT_TRUE(sawBack);
}

TEST(Regex, HintsDescribeTheProgram)
{
    ProgramPtr prog = Compile("FINDME_MARKER_[0-9]+");
    EXPECT_EQ(prog->firstChar, 'F');
    EXPECT_EQ(prog->anchored, 0);
    EXPECT_EQ(prog->mustText, nullptr);

    prog = Compile("^abc");
    EXPECT_EQ(prog->anchored, 1);
    EXPECT_EQ(prog->firstChar, 0);

    // Of equal lengths the last literal wins.
    prog = Compile("x*abc.*def");
    ASSERT_NE(prog->mustText, nullptr);
    EXPECT_STREQ(prog->mustText, "def");
    EXPECT_EQ(prog->mustLength, 3);
    EXPECT_GT(prog->mustText, reinterpret_cast<const char*>(prog->program));

    prog = Compile("[a-z]+_t[^a-z]");
    ASSERT_NE(prog->mustText, nullptr);
    EXPECT_STREQ(prog->mustText, "_t");

    // Two top-level branches: no hints at all.
    prog = Compile("abc|abd");
    EXPECT_EQ(prog->firstChar, 0);
    EXPECT_EQ(prog->mustText, nullptr);
}

TEST(Regex, MatchingRules)
{
    EXPECT_TRUE(Matches("abc*", "ab"));
    EXPECT_FALSE(Matches("abc*", "ac"));
    EXPECT_FALSE(Matches("^x", "yx"));
    EXPECT_TRUE(Matches("x$", "ax"));
    EXPECT_FALSE(Matches("x$", "x\n"));
    EXPECT_TRUE(Matches("\\n", "n"));
    EXPECT_FALSE(Matches("\\n", "\n"));
    EXPECT_FALSE(Matches("Abc", "abc"));
    EXPECT_TRUE(Matches("[]a]", "]"));
    EXPECT_TRUE(Matches("[]a]", "a"));
    EXPECT_FALSE(Matches("[]a]", "b"));
    EXPECT_TRUE(Matches("[a-]", "-"));
    EXPECT_TRUE(Matches("[^-a]", "b"));
    EXPECT_FALSE(Matches("[^-a]", "-"));
    EXPECT_FALSE(Matches("[^a]", ""));
    EXPECT_FALSE(Matches(".", ""));
    EXPECT_TRUE(Matches("$", ""));
    EXPECT_TRUE(Matches("[\x80-\xff]", "caf\xe9"));
    EXPECT_TRUE(Matches("a\\*b", "a*b"));
    EXPECT_TRUE(Matches("a^b|c", "c"));
    EXPECT_FALSE(Matches("a^b", "a^b"));

    // Leftmost match; the first alternative that works at that position.
    ProgramPtr prog = Compile("b+|a(b*)");
    ASSERT_EQ(RegexExecute(prog.get(), "xabbb"), 1);
    EXPECT_EQ(Group(prog.get(), 0), "abbb");
    EXPECT_EQ(Group(prog.get(), 1), "bbb");

    prog = Compile("(a|ab)(c|bcd)");
    ASSERT_EQ(RegexExecute(prog.get(), "abcd"), 1);
    EXPECT_EQ(Group(prog.get(), 0), "abcd");
    EXPECT_EQ(Group(prog.get(), 1), "a");
    EXPECT_EQ(Group(prog.get(), 2), "bcd");
}

TEST(Regex, GroupsKeepTheirLastRepetition)
{
    ProgramPtr prog = Compile("(a)*");
    ASSERT_EQ(RegexExecute(prog.get(), "aaa"), 1);
    const char* text = "aaa";
    ASSERT_EQ(RegexExecute(prog.get(), text), 1);
    EXPECT_EQ(prog->groupStart[1], text + 2);
    EXPECT_EQ(prog->groupEnd[1], text + 3);

    prog = Compile("(a(b)?)+");
    ASSERT_EQ(RegexExecute(prog.get(), "abaa"), 1);
    EXPECT_EQ(Group(prog.get(), 0), "abaa");
    EXPECT_EQ(Group(prog.get(), 1), "a");
    EXPECT_EQ(Group(prog.get(), 2), "b");

    prog = Compile("x(y)?z|(q)");
    ASSERT_EQ(RegexExecute(prog.get(), "xz"), 1);
    EXPECT_EQ(Group(prog.get(), 1), "<none>");
    EXPECT_EQ(Group(prog.get(), 2), "<none>");

    // A failed execute leaves no stale positions from an earlier success.
    ASSERT_EQ(RegexExecute(prog.get(), "none"), 0);
    EXPECT_EQ(prog->groupStart[0], nullptr);
}

// A 65,535-byte line is the longest that find in files passes. The matcher's depth follows
// the line, so it must not live on the machine stack.
TEST(Regex, LongLinesDoNotOverflowTheStack)
{
    std::string ab;
    for (int i = 0; i < 65534 / 2; i++)
        ab += "ab";
    EXPECT_EQ(RegexExecute(Compile("(ab)*c").get(), (ab + "c").c_str()), 1);
    EXPECT_EQ(RegexExecute(Compile("(ab)*c").get(), (ab + "x").c_str()), 0);
    EXPECT_EQ(RegexExecute(Compile("(a|b)*c").get(), (ab + "c").c_str()), 1);
    EXPECT_EQ(RegexExecute(Compile("(a|b)*c").get(), ("c" + ab + "x").c_str()), 1);
    EXPECT_EQ(RegexExecute(Compile("^(a|b)*c").get(), (ab + "xc").c_str()), 0);
    ProgramPtr prog = Compile("x(a|b)+y");
    ASSERT_EQ(RegexExecute(prog.get(), ("x" + ab + "y").c_str()), 1);
    EXPECT_EQ(prog->groupEnd[0] - prog->groupStart[0], 65536);

    // Patterns whose backtracking would explode stay fast and exact.
    std::string as(65533, 'a');
    EXPECT_EQ(RegexExecute(Compile("(a|a)*b").get(), (as + "cb").c_str()), 1);
    EXPECT_EQ(RegexExecute(Compile("(a|a)*bb").get(), (as + "cb").c_str()), 0);
    EXPECT_EQ(RegexExecute(Compile("(a*a)+bb").get(), (as + "cb").c_str()), 0);
    EXPECT_EQ(RegexExecute(Compile("((a|a)(a|a))+$").get(), (as + "b").c_str()), 0);
    EXPECT_EQ(RegexExecute(Compile("(a|aa)+$").get(), as.c_str()), 1);
    EXPECT_EQ(RegexExecute(Compile("c(a|b)*c").get(), ("c" + ab + "x c").c_str()), 0);
}

// Leftmost match positions agree with the system's POSIX matcher in the C locale, where the
// two syntaxes coincide (small alphabet, groups, alternation, quantifiers, sets, anchors).
TEST(Regex, AgreesWithPosixMatcherOnRandomPatterns)
{
    std::mt19937 rng(20261206);
    const char* atoms[] = {"a", "b", "c", ".", "[ab]", "[^a]", "[b-c]", "\\.", "^", "$"};
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::function<std::string(int)> gen = [&](int depth) -> std::string
    {
        std::string out;
        int pieces = 1 + pick(4);
        for (int i = 0; i < pieces; i++)
        {
            std::string atom;
            if (depth < 3 && pick(5) == 0)
            {
                atom = "(" + gen(depth + 1);
                if (pick(3) == 0)
                    atom += "|" + gen(depth + 1);
                atom += ")";
            }
            else
            {
                atom = atoms[pick(10)];
            }
            out += atom;
            int q = pick(6);
            if (q == 0)
                out += "*";
            else if (q == 1)
                out += "+";
            else if (q == 2)
                out += "?";
        }
        if (depth == 0 && pick(6) == 0)
            out += "|" + gen(1);
        return out;
    };

    int compared = 0;
    for (int round = 0; round < 3000; round++)
    {
        std::string pattern = gen(0);
        ProgramPtr prog = Compile(pattern.c_str());
        regex_t posix;
        if (!prog || regcomp(&posix, pattern.c_str(), REG_EXTENDED) != 0)
            continue;
        for (int t = 0; t < 8; t++)
        {
            std::string text;
            int length = pick(12);
            for (int i = 0; i < length; i++)
                text += "abc."[pick(4)];
            regmatch_t m[1];
            bool posixFound = regexec(&posix, text.c_str(), 1, m, 0) == 0;
            bool found = RegexExecute(prog.get(), text.c_str()) == 1;
            ASSERT_EQ(found, posixFound) << "pattern " << pattern << " text " << text;
            if (found)
            {
                EXPECT_EQ(prog->groupStart[0] - text.c_str(), m[0].rm_so)
                    << "pattern " << pattern << " text " << text;
                EXPECT_LE(prog->groupEnd[0] - text.c_str(), m[0].rm_eo);
            }
            compared++;
        }
        regfree(&posix);
    }
    EXPECT_GT(compared, 10000);
}

// Random bytes as patterns and texts: every call returns, and a compiled program matches
// without touching memory it does not own (checked by the sanitizers).
TEST(Regex, RandomInputFuzz)
{
    std::mt19937 rng(6);
    const char alphabet[] = "ab()[]^$.|*+?\\-x\x80\xff";
    for (int round = 0; round < 20000; round++)
    {
        std::string pattern;
        int length = static_cast<int>(rng() % 16);
        for (int i = 0; i < length; i++)
            pattern += rng() % 8 == 0 ? static_cast<char>(1 + rng() % 255)
                                      : alphabet[rng() % (sizeof(alphabet) - 1)];
        ProgramPtr prog = Compile(pattern.c_str());
        if (!prog)
            continue;
        for (int t = 0; t < 4; t++)
        {
            std::string text;
            int textLength = static_cast<int>(rng() % 40);
            for (int i = 0; i < textLength; i++)
                text += alphabet[rng() % (sizeof(alphabet) - 1)];
            int found = RegexExecute(prog.get(), text.c_str());
            if (found)
            {
                ASSERT_GE(prog->groupStart[0], text.c_str());
                ASSERT_LE(prog->groupStart[0], prog->groupEnd[0]);
                ASSERT_LE(prog->groupEnd[0], text.c_str() + text.size());
            }
        }
    }
}

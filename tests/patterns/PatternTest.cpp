#include "patterns/Pattern.h"
#include "patterns/Regex.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace
{
struct SProgramDeleter
{
    void operator()(PatternProgram* prog) const { PatternFree(prog); }
};
using ProgramPtr = std::unique_ptr<PatternProgram, SProgramDeleter>;

ProgramPtr Compile(const std::string& pattern, int codePage = 1252)
{
    return ProgramPtr(PatternCompile(pattern.c_str(), codePage));
}

// The match as "[start,end)" and the groups asked for, or "none".
std::string Find(const std::string& pattern, const std::string& text, int searchStart = 0,
                 bool caseSensitive = true, int groups = 0, int codePage = 1252)
{
    ProgramPtr prog = Compile(pattern, codePage);
    if (!prog)
        return "refused";
    PatternMatchInfo info;
    if (!PatternMatch(prog.get(), text.data(), static_cast<int>(text.size()), searchStart, &info,
                      caseSensitive))
        return "none";
    std::string out;
    for (int i = 0; i <= groups; i++)
    {
        if (i)
            out += " ";
        out += "[" + std::to_string(info.start[i]) + "," + std::to_string(info.end[i]) + ")";
    }
    return out;
}

std::string Substitute(const char* templ, const std::string& text, const PatternMatchInfo& info)
{
    std::string out;
    if (!PatternSubstitute(templ, text.c_str(), info, &out))
        return "<failed>";
    return out;
}
} // namespace

TEST(Pattern, MalformedPatternsAreRefused)
{
    for (const char* pattern :
         {"[a-z", "[z-a]",  "[a-]",   "[",     "a**",   "a@*", "*a",   "+",    "a|",
          "|a",   "a||b",   "(a",     "{a",    "(a}",   "\\",  "ab\\", "\\x4", "\\xg0",
          "\\o9", "\\o400", "\\N256", "\\N12", "(a?)*", "{}+", "^*",   "<#",   "\\C*"})
    {
        EXPECT_EQ(Compile(pattern), nullptr) << pattern;
    }
    // 63 capturing groups are allowed, a 64th is not; non-capturing ones do not count.
    std::string groups63, groups64;
    for (int i = 0; i < 63; i++)
        groups63 += "(a)";
    groups64 = groups63 + "(b)";
    EXPECT_NE(Compile(groups63), nullptr);
    EXPECT_EQ(Compile(groups64), nullptr);
    EXPECT_NE(Compile(groups63 + "{b}"), nullptr);
    EXPECT_NE(Compile("[]"), nullptr);
    // Deep nesting is refused rather than taking the compiler's stack.
    EXPECT_EQ(Compile(std::string(100000, '{') + "a" + std::string(100000, '}')), nullptr);
    EXPECT_NE(Compile(std::string(50, '{') + "a" + std::string(50, '}')), nullptr);
    EXPECT_NE(Compile(""), nullptr);
}

TEST(Pattern, OperatorsAndChoices)
{
    EXPECT_EQ(Find("ab|cd", "xacdy"), "[1,4)");
    EXPECT_EQ(Find("ab|cd", "abd"), "[0,3)");
    EXPECT_EQ(Find("ab|cd", "xcdy"), "none");
    EXPECT_EQ(Find("a|b|c", "zzc"), "[2,3)");
    EXPECT_EQ(Find("x(ab)|cy", "xcy", 0, true, 1), "[0,3) [-1,-1)");
    EXPECT_EQ(Find("a|b*c", "bbbc"), "[0,4)"); // the operator belongs to the right piece
    EXPECT_EQ(Find("a@b", "aab"), "[0,3)");
    EXPECT_EQ(Find("a*", "xyz"), "[0,0)");
    EXPECT_EQ(Find("a+", "xaaa"), "[1,4)");
    EXPECT_EQ(Find("a#", "xaaa"), "[1,2)");
    EXPECT_EQ(Find("xa@", "xaaa"), "[0,1)");
    EXPECT_EQ(Find("colou?r", "color colour"), "[0,5)");
    EXPECT_EQ(Find("(a+)(a*)", "aaa", 0, true, 2), "[0,3) [0,3) [3,3)");
    EXPECT_EQ(Find("(a#)(a*)", "aaa", 0, true, 2), "[0,3) [0,1) [1,3)");
    EXPECT_EQ(Find("(a)*", "aaa", 0, true, 1), "[0,3) [2,3)");
    EXPECT_EQ(Find("{ab}+(c)", "ababc", 0, true, 1), "[0,5) [4,5)");
    EXPECT_EQ(Find("(x)?y", "y", 0, true, 1), "[0,1) [-1,-1)");
    EXPECT_EQ(Find("x)yz", "ax"), "[1,2)");
    EXPECT_EQ(Find("x}(", "ax"), "[1,2)");
    EXPECT_EQ(Find("a.c", "abc"), "[0,3)");
    EXPECT_EQ(Find("a.c", "ac"), "none");
}

TEST(Pattern, AnchorsWordsAndStart)
{
    EXPECT_EQ(Find("<word>", "a word."), "[2,6)");
    EXPECT_EQ(Find("<word>", "swordfish"), "none");
    EXPECT_EQ(Find("<word>", "word"), "[0,4)");
    EXPECT_EQ(Find("^a", "aXa", 1), "none");
    EXPECT_EQ(Find("^a", "aXa"), "[0,1)");
    EXPECT_EQ(Find("a", "aXa", 1), "[2,3)");
    EXPECT_EQ(Find("a$", "aXa"), "[2,3)");
    // The end of the text is a position too: "$" and empty-matching patterns find it.
    EXPECT_EQ(Find("$", "abc"), "[3,3)");
    EXPECT_EQ(Find("b*$", "abc"), "[3,3)");
    EXPECT_EQ(Find("x*", "abc", 3), "[3,3)");
    EXPECT_EQ(Find("a", "abc", 4), "none");
}

TEST(Pattern, CaseModesAndClasses)
{
    EXPECT_EQ(Find("\\cABC", "xabc"), "[1,4)");
    EXPECT_EQ(Find("\\CABC", "xabc", 0, false), "none");
    EXPECT_EQ(Find("ABC", "xabc", 0, false), "[1,4)");
    EXPECT_EQ(Find("ABC", "xabc", 0, true), "none");
    EXPECT_EQ(Find("a\\Cb", "AB aB Ab", 0, false), "[6,8)");
    // A case switch inside a failed alternative does not leak into the next one.
    EXPECT_EQ(Find("{\\Cax}|ab", "Ab", 0, false), "[0,2)");
    EXPECT_EQ(Find("[a]", "A", 0, false), "none"); // sets ignore the case mode
    EXPECT_EQ(Find("\\d+", "ab123c"), "[2,5)");
    EXPECT_EQ(Find("\\D", "123c"), "[3,4)");
    EXPECT_EQ(Find("\\w+", "-ab9_"), "[1,4)");
    EXPECT_EQ(Find("\\W", "ab9_"), "[3,4)");
    EXPECT_EQ(Find("\\s", "a\tb"), "[1,2)");
    EXPECT_EQ(Find("a\\S", "a"), "none");
    EXPECT_EQ(Find("\\U\\L", "aBc"), "[1,3)");
    EXPECT_EQ(Find("\\L\\U", "aBc"), "[0,2)");
    EXPECT_EQ(Find("[\\d_]+", "ab1_2c"), "[2,5)");
    EXPECT_EQ(Find("[^a-c]", "abcd"), "[3,4)");
    EXPECT_EQ(Find("[\\]]", "a]"), "[1,2)");
    EXPECT_EQ(Find("\\x41\\o102\\N067", "xABC"), "[1,4)");
    EXPECT_EQ(Find("a\\tb\\n", "a\tb\n"), "[0,4)");
    EXPECT_EQ(Find("\\.\\*", "a.*"), "[1,3)");
}

TEST(Pattern, MultibyteCharactersAreWhole)
{
    // Shift-JIS: 0x83 0x41 is one character whose trail byte looks like 'A'.
    const std::string kana = "\x83\x41";
    EXPECT_EQ(Find("A", kana + "A", 0, true, 0, 932), "[2,3)");
    EXPECT_EQ(Find("A", kana + "A", 0, false, 0, 932), "[2,3)");
    EXPECT_EQ(Find(".", kana, 0, true, 0, 932), "[0,2)");
    EXPECT_EQ(Find("<A", kana + "A", 0, true, 0, 932), "[2,3)");
    EXPECT_EQ(Find(kana + "+", "x" + kana + kana, 0, true, 0, 932), "[1,5)");
    EXPECT_EQ(Find("[" + kana + "]", "A" + kana, 0, true, 0, 932), "[1,3)");
    EXPECT_EQ(Find("[\x81\x40-\x9f\xfc]", "ab" + kana, 0, true, 0, 932), "[2,4)");
    EXPECT_EQ(Find("\\W", kana, 0, true, 0, 932), "[0,2)");

    // UTF-8: a sequence is one character; sets hold code points.
    const std::string eAcute = "\xc3\xa9", euro = "\xe2\x82\xac";
    EXPECT_EQ(Find("caf.!", "caf" + eAcute + "!", 0, true, 0, 65001), "[0,6)");
    EXPECT_EQ(Find("." + euro, "a" + euro, 0, true, 0, 65001), "[0,4)");
    EXPECT_EQ(Find("[" + eAcute + "-" + euro + "]+", "x" + euro + eAcute, 0, true, 0, 65001),
              "[1,6)");
    EXPECT_EQ(Find("\\xc3", eAcute, 0, true, 0, 65001), "none");
}

TEST(Pattern, SubstitutionTemplates)
{
    std::string text = "ab-cd";
    ProgramPtr prog = Compile("(ab)-(cd)");
    PatternMatchInfo info;
    ASSERT_EQ(PatternMatch(prog.get(), text.data(), 5, 0, &info, true), 1);
    EXPECT_EQ(Substitute("\\U\\1\\E-\\2", text, info), "AB-cd");
    EXPECT_EQ(Substitute("<\\0>", text, info), "<ab-cd>");
    EXPECT_EQ(Substitute("\\u\\2\\1", text, info), "Cdab");
    EXPECT_EQ(Substitute("\\U\\2 \\l\\1 x\\ey", text, info), "CD aB Xy");
    EXPECT_EQ(Substitute("\\LABC\\uDEF", text, info), "abcDef");
    EXPECT_EQ(Substitute("\\x41\\o102\\d067", text, info), "ABC");
    EXPECT_EQ(Substitute("\\t\\n\\r\\a\\b", text, info), "\t\n\r\a\b");
    EXPECT_EQ(Substitute("\\q\\\\\\$", text, info), "q\\$");
    EXPECT_EQ(Substitute("", text, info), "");
    EXPECT_EQ(Substitute("x\\", text, info), "<failed>");
    EXPECT_EQ(Substitute("\\3", text, info), "<failed>"); // group 3 took no part
    EXPECT_EQ(Substitute("a\\x4", text, info), "<failed>");
    EXPECT_EQ(Substitute("\\d256", text, info), "<failed>");

    // Case conversion leaves a double-byte character whole, trail byte included.
    std::string kana = "\x83\x61z";
    PatternMatchInfo whole;
    whole.start[0] = 0;
    whole.end[0] = 3;
    std::string out;
    ASSERT_TRUE(PatternSubstitute("\\U\\0", kana.c_str(), whole, &out, 932));
    EXPECT_EQ(out, "\x83\x61Z");
}

// Lines of 65,535 bytes: the matchers' depth follows the line, so it must not be the
// machine stack's.
TEST(Pattern, LongLinesDoNotOverflowTheStack)
{
    std::string as(65534, 'a');
    EXPECT_EQ(Find("a@b", as + "b"), "[0,65535)");
    EXPECT_EQ(Find("a#b", as + "b"), "[0,65535)");
    EXPECT_EQ(Find("a*b", as + "c"), "none");
    std::string ab;
    for (int i = 0; i < 65534 / 2; i++)
        ab += "ab";
    EXPECT_EQ(Find("(ab)*c", ab + "c", 0, true, 1), "[0,65535) [65532,65534)");
    EXPECT_EQ(Find("{a|b}*c", "x" + ab + "x"), "none");
    EXPECT_EQ(Find("{{a|b}|a}+$", ab), "[0,65534)");
    // Choices inside repetitions would explode without the failure memo.
    EXPECT_EQ(Find("{a|a}*c", as + "b"), "none");
    EXPECT_EQ(Find("{a*a}+c", as + "b"), "none");
}

// Random patterns from the pattern alphabet and random texts: every call returns and the
// match lies inside the text (memory checked by the sanitizers).
TEST(Pattern, RandomInputFuzz)
{
    std::mt19937 rng(55);
    const char alphabet[] = "ab.^$<>[]-()}{*+@#?|\\xdwCc0A\x83\x41\xc3\xa9";
    const int codePages[] = {1252, 932, 65001};
    for (int round = 0; round < 20000; round++)
    {
        std::string pattern;
        int length = static_cast<int>(rng() % 12);
        for (int i = 0; i < length; i++)
            pattern += alphabet[rng() % (sizeof(alphabet) - 1)];
        int codePage = codePages[rng() % 3];
        ProgramPtr prog = Compile(pattern, codePage);
        if (!prog)
            continue;
        for (int t = 0; t < 4; t++)
        {
            std::string text;
            int textLength = static_cast<int>(rng() % 30);
            for (int i = 0; i < textLength; i++)
                text += alphabet[rng() % (sizeof(alphabet) - 1)];
            PatternMatchInfo info;
            int start =
                textLength ? static_cast<int>(rng() % static_cast<unsigned>(textLength + 1)) : 0;
            if (codePage != 1252)
                start = 0;
            if (PatternMatch(prog.get(), text.data(), textLength, start, &info, rng() % 2 == 0))
            {
                ASSERT_LE(start, info.start[0]);
                ASSERT_LE(info.start[0], info.end[0]);
                ASSERT_LE(info.end[0], textLength);
                for (int g = 1; g < kPatternGroups; g++)
                {
                    if (info.start[g] >= 0 && info.end[g] >= 0)
                    {
                        ASSERT_LE(info.end[g], textLength);
                    }
                }
                std::string out;
                PatternSubstitute("\\U\\0\\E\\1\\u\\l\\x41", text.c_str(), info, &out);
            }
        }
    }
}

// On their common ground (letters, '.', simple sets, groups, the greedy operators and the
// anchors) the two engines backtrack in the same order, so they must agree on whether, where
// and how long the first match is, and on the groups.
TEST(Pattern, AgreesWithRegexEngineOnCommonSyntax)
{
    std::mt19937 rng(7);
    const char* atoms[] = {"a", "b", "c", ".", "[ab]", "[^a]", "^", "$"};
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::function<std::string(int)> gen = [&](int depth) -> std::string
    {
        std::string out;
        int pieces = 1 + pick(4);
        for (int i = 0; i < pieces; i++)
        {
            out += depth < 2 && pick(5) == 0 ? "(" + gen(depth + 1) + ")" : atoms[pick(8)];
            int q = pick(6);
            if (q < 3)
                out += "*+?"[q];
        }
        return out;
    };
    int compared = 0;
    for (int round = 0; round < 2000; round++)
    {
        std::string pattern = gen(0);
        RegexProgram* regex = RegexCompile(pattern.c_str());
        ProgramPtr prog = Compile(pattern);
        if (!regex || !prog)
        {
            RegexFree(regex);
            continue;
        }
        for (int t = 0; t < 8; t++)
        {
            std::string text;
            int length = pick(10);
            for (int i = 0; i < length; i++)
                text += "abc"[pick(3)];
            PatternMatchInfo info;
            int found = PatternMatch(prog.get(), text.data(), length, 0, &info, true);
            ASSERT_EQ(found, RegexExecute(regex, text.c_str())) << pattern << " on " << text;
            compared++;
            if (!found)
                continue;
            for (int g = 0; g < kRegexGroupSlots; g++)
            {
                int start = regex->groupStart[g]
                                ? static_cast<int>(regex->groupStart[g] - text.c_str())
                                : -1;
                int end =
                    regex->groupEnd[g] ? static_cast<int>(regex->groupEnd[g] - text.c_str()) : -1;
                ASSERT_EQ(info.start[g], start) << pattern << " on " << text << " group " << g;
                ASSERT_EQ(info.end[g], end) << pattern << " on " << text << " group " << g;
            }
        }
        RegexFree(regex);
    }
    EXPECT_GT(compared, 5000);
}

// Find in files (regex, on its worker) and the editor (patterns) match at the same time;
// neither engine keeps working state outside the call.
TEST(Pattern, EnginesMatchOnSeveralThreadsAtOnce)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 200; i++)
        lines.push_back(std::string(static_cast<size_t>(i % 17), 'a') + (i % 3 ? "b" : "c") + "ab");
    auto run = [&](std::vector<int>* pResults)
    {
        RegexProgram* regex = RegexCompile("(a|b)*c");
        ProgramPtr prog = Compile("{a|b}*c");
        for (int round = 0; round < 5; round++)
        {
            for (const std::string& line : lines)
            {
                PatternMatchInfo info;
                pResults->push_back(RegexExecute(regex, line.c_str()) * 2 +
                                    PatternMatch(prog.get(), line.data(),
                                                 static_cast<int>(line.size()), 0, &info, true));
            }
        }
        RegexFree(regex);
    };
    std::vector<int> alone, first, second;
    run(&alone);
    std::thread a(run, &first);
    std::thread b(run, &second);
    a.join();
    b.join();
    EXPECT_EQ(first, alone);
    EXPECT_EQ(second, alone);
}

// Properties that hold whatever the pattern: whether a match exists and where the leftmost
// one starts do not depend on greedy or lazy operators, and a non-capturing group around the
// whole pattern changes nothing at all.
TEST(Pattern, LazinessAndWrappingKeepTheLeftmostMatch)
{
    std::mt19937 rng(99);
    const char* atoms[] = {"a", "b", "A", ".", "[ab]", "[^a]", "\\w", "\\S", "<", ">", "^", "$"};
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::function<std::string(int)> gen = [&](int depth) -> std::string
    {
        std::string out;
        int pieces = 1 + pick(4);
        for (int i = 0; i < pieces; i++)
        {
            int kind = pick(8);
            if (depth < 2 && kind == 0)
                out += "(" + gen(depth + 1) + ")";
            else if (depth < 2 && kind == 1)
                out += "{" + gen(depth + 1) + "}";
            else
                out += atoms[pick(12)];
            int q = pick(8);
            if (q < 3)
                out += "*+?"[q];
            if (i + 1 < pieces && pick(6) == 0)
                out += "|";
        }
        return out;
    };
    int compared = 0;
    for (int round = 0; round < 1200; round++)
    {
        std::string pattern = gen(0);
        std::string lazy = pattern;
        for (size_t i = 0; i < lazy.size(); i++)
        {
            if (lazy[i] == '\\')
                i++;
            else if (lazy[i] == '*')
                lazy[i] = '@';
            else if (lazy[i] == '+')
                lazy[i] = '#';
        }
        ProgramPtr prog = Compile(pattern);
        ProgramPtr lazyProg = Compile(lazy);
        ProgramPtr wrapped = Compile("{" + pattern + "}");
        ASSERT_EQ(prog == nullptr, lazyProg == nullptr) << pattern;
        ASSERT_EQ(prog == nullptr, wrapped == nullptr) << pattern;
        if (!prog)
            continue;
        for (int t = 0; t < 6; t++)
        {
            std::string text;
            int length = pick(10);
            for (int i = 0; i < length; i++)
                text += "abA -"[pick(5)];
            bool caseSensitive = pick(2) == 0;
            PatternMatchInfo info, lazyInfo, wrappedInfo;
            int found = PatternMatch(prog.get(), text.data(), length, 0, &info, caseSensitive);
            ASSERT_EQ(found, PatternMatch(lazyProg.get(), text.data(), length, 0, &lazyInfo,
                                          caseSensitive))
                << pattern << " / " << lazy << " on '" << text << "'";
            ASSERT_EQ(found, PatternMatch(wrapped.get(), text.data(), length, 0, &wrappedInfo,
                                          caseSensitive));
            compared++;
            if (!found)
                continue;
            EXPECT_EQ(info.start[0], lazyInfo.start[0]) << pattern << " on '" << text << "'";
            EXPECT_EQ(0, std::memcmp(&info, &wrappedInfo, sizeof info)) << pattern;
        }
    }
    EXPECT_GT(compared, 3000);
}

// Runs every golden file in data/ (see data/README.md for the format): each input line is
// coloured with the state left by the line before, and its visible runs and end state are
// compared with the file. Every line is also parsed without a run array, which must give
// the same state.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "SyntaxTestUtil.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParsers.h"

namespace
{
std::vector<std::string> FindGoldenFiles()
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(SCRIVEL_TEST_DATA_DIR, ec))
    {
        if (entry.path().extension() == ".txt")
            files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return "";
    const size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string DecodeHexBytes(const std::string& hex, bool* ok)
{
    std::string out;
    std::istringstream in(hex);
    std::string byte;
    *ok = true;
    while (in >> byte)
    {
        char* end = nullptr;
        const long v = std::strtol(byte.c_str(), &end, 16);
        if (byte.size() > 2 || *end != '\0' || v < 0 || v > 255)
            *ok = false;
        out += static_cast<char>(v);
    }
    return out;
}

struct SCodePageGuard
{
    int nSaved = GetTextCodePage();
    ~SCodePageGuard() { SetTextCodePage(nSaved); }
};

class GoldenTest : public ::testing::TestWithParam<std::string>
{
};

TEST_P(GoldenTest, MatchesExpectedRunsAndStates)
{
    const std::string path = std::string(SCRIVEL_TEST_DATA_DIR) + "/" + GetParam();
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << path;
    SCodePageGuard codePageGuard;
    SetTextCodePage(1252);

    std::unique_ptr<CSyntaxParser> parser;
    uint32_t state = 0;
    bool haveLine = false; // a "> " line was parsed and awaits its checks
    int checkedLines = 0;
    std::string text;
    SColourResult result;
    std::string raw;
    int lineNo = 0;
    while (std::getline(file, raw))
    {
        ++lineNo;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        const std::string where = GetParam() + ":" + std::to_string(lineNo);
        if (raw.empty() || raw[0] == '#')
            continue;
        if (raw.rfind("parser:", 0) == 0)
        {
            const int id = std::atoi(raw.c_str() + 7);
            ASSERT_TRUE(id >= 0 && id < kSyntaxParserCount) << where;
            parser.reset(g_syntaxParserCreators[id]());
            if (!parser)
                GTEST_SKIP() << "parser " << id << " is not built yet";
            ASSERT_EQ(parser->GetId(), id) << where;
            state = 0;
            continue;
        }
        if (raw.rfind("codepage:", 0) == 0)
        {
            SetTextCodePage(std::atoi(raw.c_str() + 9));
            continue;
        }
        if (raw.rfind("state:", 0) == 0)
        {
            state = static_cast<uint32_t>(std::strtoul(raw.c_str() + 6, nullptr, 0));
            continue;
        }
        if (raw == "---")
        {
            state = 0;
            continue;
        }
        ASSERT_TRUE(parser) << where << ": a \"parser:\" line must come first";
        if (raw[0] == '>')
        {
            if (raw.size() >= 2 && raw[1] == 'x')
            {
                bool ok = false;
                text = DecodeHexBytes(raw.substr(2), &ok);
                ASSERT_TRUE(ok) << where << ": bad hex bytes";
            }
            else
            {
                ASSERT_TRUE(raw.size() == 1 || raw[1] == ' ') << where << ": \"> text\" expected";
                text = raw.size() > 2 ? raw.substr(2) : std::string();
            }
            result = ColourLine(*parser, state, text);
            EXPECT_EQ(StateOnly(*parser, state, text), result.nState)
                << where << ": state-only pass differs";
            for (size_t i = 1; i < result.runs.size(); ++i)
                EXPECT_LE(result.runs[i - 1].nStart, result.runs[i].nStart) << where;
            state = result.nState;
            haveLine = true;
            ++checkedLines;
            continue;
        }
        ASSERT_TRUE(haveLine) << where << ": expectation without an input line";
        if (raw[0] == '=')
        {
            const std::string expected = Trim(raw.substr(1));
            const std::string actual =
                FormatRuns(EffectiveRuns(result.runs, static_cast<int>(text.size())));
            EXPECT_EQ(expected, actual) << where << ": runs of \"" << text << "\"";
            continue;
        }
        if (raw[0] == '~')
        {
            const uint32_t expected =
                static_cast<uint32_t>(std::strtoul(Trim(raw.substr(1)).c_str(), nullptr, 0));
            EXPECT_EQ(expected, result.nState) << where << ": end state of \"" << text << "\"";
            continue;
        }
        ADD_FAILURE() << where << ": unknown line \"" << raw << "\"";
    }
    EXPECT_GT(checkedLines, 0) << GetParam() << " holds no input line";
}

std::string NameOfFile(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param.substr(0, info.param.size() - 4);
    for (char& c : name)
    {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, GoldenTest, ::testing::ValuesIn(FindGoldenFiles()), NameOfFile);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenTest);
} // namespace

// Properties every parser keeps on real text: the state-only pass returns the states of the
// colouring pass, runs never go backwards and stay within the caller's array, the unknown
// state is never returned, and no byte at or past the line length is read (each line lives
// in a heap block of exactly its length, so AddressSanitizer stops any such read).
// Real files come from the machine (/usr/include for C and C++, /usr and /etc for the
// others, by extension or by file name as "Makefile") with a cap per parser so that the
// test stays quick under the sanitizers.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "SyntaxTestUtil.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"
#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxWildcard.h"

namespace
{
constexpr int kMaxFilesPerParser = 12;
constexpr size_t kMaxBytesPerParser = 256 * 1024;
constexpr size_t kMaxBytesPerFile = 64 * 1024;

struct SParserSample
{
    std::vector<std::string> files;
    size_t nBytes = 0;
};

// Which parsers colour which files: plain extension entries by the lower-case
// extension, file-name masks ("Makefile", "CMakeLists.txt") against the whole name. A file
// whose extension two lists share, as "js", is a sample for both parsers.
struct SFileKinds
{
    std::map<std::string, std::vector<int>> byExtension;
    std::vector<std::pair<std::string, int>> nameMasks;

    explicit SFileKinds(const std::vector<std::unique_ptr<CSyntaxParser>>& parsers)
    {
        for (const auto& parser : parsers)
        {
            if (!parser)
                continue;
            std::stringstream in(parser->GetExtensions());
            std::string item;
            while (std::getline(in, item, ','))
            {
                if (CSyntaxParserFactory::IsFileNameMask(item))
                    nameMasks.emplace_back(item, parser->GetId());
                else if (!item.empty())
                    byExtension[item].push_back(parser->GetId());
            }
        }
    }

    std::vector<int> ParsersFor(const std::filesystem::path& path) const
    {
        const std::string name = path.filename().string();
        for (const auto& [mask, id] : nameMasks)
        {
            if (MatchWildcard(mask, name))
                return {id};
        }
        std::string ext = path.extension().string();
        if (!ext.empty())
            ext.erase(0, 1);
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto found = byExtension.find(ext);
        return found == byExtension.end() ? std::vector<int>() : found->second;
    }
};

// Walks the roots and collects up to the cap of files for every parser whose extensions
// or file names match. The walk itself is bounded in entries and time.
void CollectSamples(const std::vector<std::string>& roots, const SFileKinds& kinds,
                    std::map<int, SParserSample>& samples, int onlyParser)
{
    namespace fs = std::filesystem;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    long visited = 0;
    for (const std::string& root : roots)
    {
        std::error_code ec;
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied,
                                            ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        {
            if (++visited > 300000 || std::chrono::steady_clock::now() > deadline)
                return;
            std::error_code fileEc;
            if (!it->is_regular_file(fileEc) || it->is_symlink(fileEc))
                continue;
            for (const int id : kinds.ParsersFor(it->path()))
            {
                if (onlyParser >= 0 && id != onlyParser)
                    continue;
                SParserSample& sample = samples[id];
                if (static_cast<int>(sample.files.size()) >= kMaxFilesPerParser ||
                    sample.nBytes >= kMaxBytesPerParser)
                    continue;
                const auto size = it->file_size(fileEc);
                if (fileEc || size == 0)
                    continue;
                sample.files.push_back(it->path().string());
                sample.nBytes += std::min<size_t>(size, kMaxBytesPerFile);
            }
        }
    }
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string data(kMaxBytesPerFile, '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(in.gcount()));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= data.size())
    {
        size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Checks the properties on one line; returns the end state.
uint32_t CheckLine(CSyntaxParser& parser, uint32_t state, const std::string& text,
                   const std::string& where)
{
    const SColourResult coloured = ColourLine(parser, state, text);
    const uint32_t stateOnly = StateOnly(parser, state, text);
    EXPECT_EQ(coloured.nState, stateOnly) << where;
    EXPECT_NE(coloured.nState, kParseStateUnknown) << where;
    EXPECT_LE(coloured.runs.size(), 3 * (text.size() + 1)) << where;
    for (size_t i = 0; i < coloured.runs.size(); ++i)
    {
        const SyntaxRun& run = coloured.runs[i];
        EXPECT_EQ(run.nBkColor, kSyntaxColorBackground) << where;
        EXPECT_TRUE(run.nColor >= 0 && run.nColor < kSyntaxColorCount) << where;
        EXPECT_GE(run.nStart, 0) << where;
        if (i > 0)
        {
            EXPECT_LE(coloured.runs[i - 1].nStart, run.nStart) << where;
        }
    }
    return coloured.nState;
}

struct SCodePageGuard
{
    int nSaved = GetTextCodePage();
    ~SCodePageGuard() { SetTextCodePage(nSaved); }
};

TEST(ParserProperties, RealFilesKeepStateRunAndBoundsRules)
{
    SCodePageGuard guard;
    SetTextCodePage(65001);
    std::vector<std::unique_ptr<CSyntaxParser>> parsers(kSyntaxParserCount);
    for (int id = 0; id < kSyntaxParserCount; ++id)
        parsers[id].reset(g_syntaxParserCreators[id]());
    const SFileKinds kinds(parsers);
    std::map<int, SParserSample> samples;
    CollectSamples({"/usr/include"}, kinds, samples, 4);
    CollectSamples({"/etc", "/usr/share", "/usr/lib"}, kinds, samples, -1);
    // The languages this machine is known to hold files of, found wherever they live.
    for (const int id : {28, 30, 31, 32, 33, 37, 38})
    {
        if (samples[id].files.empty())
            CollectSamples({"/usr/share", "/usr/lib"}, kinds, samples, id);
    }

    int linesChecked = 0;
    for (const auto& [id, sample] : samples)
    {
        for (const std::string& path : sample.files)
        {
            uint32_t state = 0;
            const std::vector<std::string> lines = ReadLines(path);
            for (size_t n = 0; n < lines.size(); ++n)
            {
                state =
                    CheckLine(*parsers[id], state, lines[n], path + ":" + std::to_string(n + 1));
                ++linesChecked;
                if (HasFailure())
                    return;
            }
        }
    }
    std::string covered;
    for (const auto& [id, sample] : samples)
        covered += " " + std::to_string(id) + "(" + std::to_string(sample.files.size()) + ")";
    RecordProperty("ParsersCovered", covered);
    std::printf("real files per parser id:%s; %d lines\n", covered.c_str(), linesChecked);
    // /usr/include exists wherever this project builds, so the C/C++ parser always runs.
    EXPECT_GT(samples[4].files.size(), 0u);
    // Debian ships JavaScript, JSON, CSS and Markdown files (documentation, web assets)
    // and makefiles with every development install.
    for (const int id : {28, 30, 31, 32, 37})
    {
        EXPECT_GT(samples[id].files.size(), 0u) << "no real file for parser " << id;
    }
    EXPECT_GT(linesChecked, 0);
}

// Random bytes, including lone quotes, backslashes at the end and broken double-byte
// characters, in a single-byte, a double-byte and the UTF-8 code page.
TEST(ParserProperties, RandomBytesKeepStateRunAndBoundsRules)
{
    SCodePageGuard guard;
    std::mt19937 random(1234);
    const char alphabet[] = "ab_1.x/*\"'\\#!;:{}( \t<>?%&$-=@[]|\x81\x5c\xe3\x80\xff";
    for (int codePage : {1252, 932, 65001})
    {
        SetTextCodePage(codePage);
        for (int id = 0; id < kSyntaxParserCount; ++id)
        {
            std::unique_ptr<CSyntaxParser> parser(g_syntaxParserCreators[id]());
            if (!parser)
                continue;
            uint32_t state = 0;
            for (int line = 0; line < 300; ++line)
            {
                std::string text;
                const int length = static_cast<int>(random() % 24);
                for (int i = 0; i < length; ++i)
                    text += alphabet[random() % (sizeof(alphabet) - 1)];
                state = CheckLine(*parser, state, text,
                                  "parser " + std::to_string(id) + " cp " +
                                      std::to_string(codePage) + " line " + std::to_string(line));
                if (HasFailure())
                    return;
            }
        }
    }
}
} // namespace

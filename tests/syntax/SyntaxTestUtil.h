#pragma once
// Helpers shared by the syntax tests: lines held in exact-size heap blocks (so that a parser
// reading at or past the length is caught by AddressSanitizer) and run arrays of exactly
// the size the view promises.

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "syntax/SyntaxParser.h"

class CTestLine
{
public:
    explicit CTestLine(const std::string& text)
        : m_block(new char[text.size()]), m_nLength(static_cast<int>(text.size()))
    {
        if (!text.empty())
            std::memcpy(m_block.get(), text.data(), text.size());
        m_info.pcLine = m_block.get();
        m_info.nLength = m_nLength;
    }
    const CTarvoTextLineInfo* Info() const { return &m_info; }

private:
    std::unique_ptr<char[]> m_block;
    int m_nLength;
    CTarvoTextLineInfo m_info;
};

struct SColourResult
{
    uint32_t nState = 0;
    std::vector<SyntaxRun> runs; // raw runs, the caller's first {0, 3, 2} included
};

// Colours one line as the view does: a run array of 3 x (length + 1) records starting with
// {0, 3, 2}.
inline SColourResult ColourLine(CSyntaxParser& parser, uint32_t state, const std::string& text)
{
    CTestLine line(text);
    const size_t capacity = 3 * (text.size() + 1);
    std::unique_ptr<SyntaxRun[]> runs(new SyntaxRun[capacity]);
    runs[0] = {0, kSyntaxColorNormal, kSyntaxColorBackground};
    int count = 1;
    SColourResult result;
    result.nState = parser.ParseLine(state, line.Info(), runs.get(), &count);
    result.runs.assign(runs.get(), runs.get() + count);
    return result;
}

inline uint32_t StateOnly(CSyntaxParser& parser, uint32_t state, const std::string& text)
{
    CTestLine line(text);
    int count = 0;
    return parser.ParseLine(state, line.Info(), nullptr, &count);
}

// What the user sees: for runs with equal starts the later one wins, neighbours of one
// colour merge, and runs at or past the end of the line are dropped (the first stays).
inline std::vector<std::pair<int, int>> EffectiveRuns(const std::vector<SyntaxRun>& runs,
                                                      int length)
{
    std::vector<std::pair<int, int>> out;
    for (const SyntaxRun& run : runs)
    {
        if (!out.empty() && run.nStart >= length)
            continue;
        if (!out.empty() && out.back().first == run.nStart)
            out.back().second = run.nColor;
        else
            out.emplace_back(run.nStart, run.nColor);
        if (out.size() >= 2 && out[out.size() - 2].second == out.back().second)
            out.pop_back();
    }
    return out;
}

inline std::string FormatRuns(const std::vector<std::pair<int, int>>& runs)
{
    std::string s;
    for (const auto& run : runs)
    {
        if (!s.empty())
            s += ' ';
        s += std::to_string(run.first) + ":" + std::to_string(run.second);
    }
    return s;
}

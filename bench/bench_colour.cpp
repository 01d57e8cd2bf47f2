// Colours every line of a file with one parser (C/C++ unless a parser id is given), the
// state carried from line to line, once with a run array (as the view draws) and once
// state-only (as the buffer fills its state cache), and prints the throughput of each pass
// in MB/s of line text:
//   bench_colour FILE [REPEAT [PARSER_ID]]
// Output: "colour <MB/s>" and "state <MB/s>" lines (per second of the thread's CPU time),
// plus a checksum so the work is kept.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/SystemInfo.h"
#include "syntax/SyntaxParsers.h"

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: bench_colour FILE [REPEAT [PARSER_ID]]\n");
        return 2;
    }
    const int repeat = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    const int parserId = argc > 3 ? std::atoi(argv[3]) : 4;
    if (parserId < 0 || parserId >= kSyntaxParserCount)
    {
        std::fprintf(stderr, "bench_colour: no parser with id %d\n", parserId);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "bench_colour: cannot open %s\n", argv[1]);
        return 1;
    }
    in.seekg(0, std::ios::end);
    std::string data(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
    in.seekg(0, std::ios::beg);
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(in.gcount()));

    // Line records over the file's bytes, without their line endings.
    std::vector<CTarvoTextLineInfo> lines;
    size_t textBytes = 0;
    int maxLength = 0;
    for (size_t start = 0; start < data.size();)
    {
        size_t end = data.find('\n', start);
        const size_t next = end == std::string::npos ? data.size() : end + 1;
        if (end == std::string::npos)
            end = data.size();
        size_t length = end - start;
        if (length > 0 && data[start + length - 1] == '\r')
            --length;
        CTarvoTextLineInfo line;
        line.pcLine = data.data() + start;
        line.nLength = static_cast<int32_t>(length);
        lines.push_back(line);
        textBytes += length;
        maxLength = std::max(maxLength, line.nLength);
        start = next;
    }

    SetTextCodePage(1252);
    std::unique_ptr<CSyntaxParser> parser(g_syntaxParserCreators[parserId]());
    std::vector<SyntaxRun> runs(3 * (static_cast<size_t>(maxLength) + 1));
    // CPU time of this thread: the machine running the benchmarks is shared, and wall time
    // would measure the other processes as much as the parser.
    const auto cpuNow = []
    {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
    };
    uint64_t checksum = 0;

    const double t0 = cpuNow();
    for (int r = 0; r < repeat; ++r)
    {
        uint32_t state = 0;
        for (const CTarvoTextLineInfo& line : lines)
        {
            runs[0] = {0, 3, 2};
            int count = 1;
            state = parser->ParseLine(state, &line, runs.data(), &count);
            checksum += static_cast<uint64_t>(count) + runs[static_cast<size_t>(count - 1)].nColor;
        }
        checksum += state;
    }
    const double t1 = cpuNow();
    for (int r = 0; r < repeat; ++r)
    {
        uint32_t state = 0;
        for (const CTarvoTextLineInfo& line : lines)
        {
            int count = 0;
            state = parser->ParseLine(state, &line, nullptr, &count);
            checksum += state;
        }
    }
    const double t2 = cpuNow();

    const double mb = static_cast<double>(textBytes) * repeat / 1e6;
    const double colourSeconds = t1 - t0;
    const double stateSeconds = t2 - t1;
    std::printf("colour %.1f\n", mb / std::max(colourSeconds, 1e-9));
    std::printf("state %.1f\n", mb / std::max(stateSeconds, 1e-9));
    std::printf("checksum %llu lines %zu\n", static_cast<unsigned long long>(checksum),
                lines.size());
    return 0;
}

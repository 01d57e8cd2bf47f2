// Measures the text buffer on a large file:
//   bench_buffer FILE
// loads every line of FILE into a buffer, then prints
//   lines <count>
//   load-memory <bytes per line>     peak resident memory after loading, per line
//   type <us>                        average of 100,000 recorded one-character inserts
//   newline <ms>                     median of 21 line breaks inserted mid-text
//   undo <s>, redo <s>               one group of 100,000 records (50,000 replacements)
//   peak-memory <bytes per line>     peak resident memory of the whole run, per line
// Times are CPU time of the thread, so that other work on a shared machine does not count;
// each is followed by a "<name>-wall" line with the wall-clock time of the same step.

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "text/TextEditBuffer.h"

namespace
{
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// CPU time of this thread: on a machine shared with other work the wall clock also counts
// the time the thread waited for a core.
double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double PeakBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: bench_buffer FILE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "bench_buffer: cannot open %s\n", argv[1]);
        return 1;
    }

    // Line by line, as the document loader fills a buffer.
    CTarvoTextEditBuffer buffer;
    buffer.InitNew(LineEndLf);
    buffer.RemoveLineRecords(0, 1);
    std::string line;
    bool bEndedWithEol = true;
    while (std::getline(in, line))
    {
        bEndedWithEol = !in.eof();
        if (bEndedWithEol)
            line += '\n';
        buffer.InsertLineRecord(line.data(), static_cast<int>(line.size()), -1);
    }
    if (bEndedWithEol)
        buffer.InsertLineRecord("", 0, -1);
    const int lines = buffer.GetLineCount();
    std::printf("lines %d\n", lines);
    std::printf("load-memory %.0f\n", PeakBytes() / lines);

    // Typing at spread-out places, each character its own recorded step.
    const int kTyped = 100000;
    int endLine = 0;
    int endChar = 0;
    auto start = Clock::now();
    double cpu = CpuSeconds();
    for (int i = 0; i < kTyped; ++i)
    {
        const int at = static_cast<int>((static_cast<long long>(i) * 7919 + 13) % lines);
        const int pos = buffer.GetLineRecord(at)->nLength / 2;
        buffer.InsertText(nullptr, at, pos, "x", endLine, endChar, EditActionTyping);
    }
    std::printf("type %.3f\n", (CpuSeconds() - cpu) * 1e6 / kTyped);
    std::printf("type-wall %.3f\n", Seconds(start, Clock::now()) * 1e6 / kTyped);

    // Line breaks in the middle of the text.
    std::vector<double> breaks;
    std::vector<double> breaksWall;
    for (int i = 0; i < 21; ++i)
    {
        const int at = buffer.GetLineCount() / 2 + i * 3;
        const int pos = buffer.GetLineRecord(at)->nLength / 2;
        start = Clock::now();
        cpu = CpuSeconds();
        buffer.InsertText(nullptr, at, pos, "\n", endLine, endChar, EditActionTyping);
        breaks.push_back((CpuSeconds() - cpu) * 1e3);
        breaksWall.push_back(Seconds(start, Clock::now()) * 1e3);
    }
    std::sort(breaks.begin(), breaks.end());
    std::sort(breaksWall.begin(), breaksWall.end());
    std::printf("newline %.4f\n", breaks[breaks.size() / 2]);
    std::printf("newline-wall %.4f\n", breaksWall[breaksWall.size() / 2]);

    // What a Replace All of 50,000 matches leaves: one group of 100,000 records.
    buffer.BeginUndoGroup(false);
    int replaced = 0;
    for (long long i = 0; replaced < 50000; ++i)
    {
        const int at = static_cast<int>((i * 104729 + 7) % buffer.GetLineCount());
        const int length = buffer.GetLineRecord(at)->nLength;
        if (length == 0)
            continue;
        const int pos = length / 3;
        buffer.DeleteText(nullptr, at, pos, at, pos + 1, EditActionReplace);
        buffer.InsertText(nullptr, at, pos, "R", endLine, endChar, EditActionReplace);
        ++replaced;
    }
    buffer.FlushUndoGroup(nullptr);
    if (buffer.GetUndoRecordCount() != 100000)
        std::fprintf(stderr, "bench_buffer: %d undo records, expected 100000\n", buffer.GetUndoRecordCount());
    STextPosition caret;
    start = Clock::now();
    cpu = CpuSeconds();
    const bool bUndone = buffer.Undo(nullptr, caret);
    std::printf("undo %.4f\n", CpuSeconds() - cpu);
    std::printf("undo-wall %.4f\n", Seconds(start, Clock::now()));
    start = Clock::now();
    cpu = CpuSeconds();
    const bool bRedone = buffer.Redo(nullptr, caret);
    std::printf("redo %.4f\n", CpuSeconds() - cpu);
    std::printf("redo-wall %.4f\n", Seconds(start, Clock::now()));
    if (!bUndone || !bRedone)
    {
        std::fprintf(stderr, "bench_buffer: undo or redo failed\n");
        return 1;
    }
    std::printf("peak-memory %.0f\n", PeakBytes() / lines);
    return 0;
}

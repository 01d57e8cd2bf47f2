// Driver for bench/hexsearch.sh: the hex buffer on a large file.
//   bench_hexsearch search FILE TEXT [back]   opens FILE, searches forward from 0 (or
//                                             backward from the end), prints the offset or
//                                             "not found"
//   bench_hexsearch open FILE                 prints the median time of opening FILE, ms
//   bench_hexsearch insert FILE               prints the median time of inserting one byte
//                                             at 0 and undoing it, ms
//   bench_hexsearch edits FILE                makes 100,000 one-byte changes spread over
//                                             FILE, then prints the median time of one
//                                             more change and its undo (us) and the time
//                                             of undoing all 100,000 (s)
#include "hex/HexEditBuffer.h"
#include "hex/HexSearch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{

class CPrintingSink : public CHexMessageSink
{
public:
    void ShowMessage(const std::string& strText) override
    {
        std::fprintf(stderr, "%s\n", strText.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool AskOkCancel(const std::string&) override { return false; }
};

double MedianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr,
                     "usage: %s search FILE TEXT [back] | open FILE | insert FILE | edits FILE\n",
                     argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const std::string path = argv[2];
    CPrintingSink sink;

    if (mode == "search" && argc >= 4)
    {
        CTarvoHexEditBuffer buffer;
        buffer.SetMessageSink(&sink);
        if (!buffer.Open(path))
        {
            return 1;
        }
        buffer.AttachFileData();
        const bool bForward = !(argc >= 5 && std::strcmp(argv[4], "back") == 0);
        const uint32_t nFrom = bForward ? 0 : buffer.GetLength();
        const auto found = HexFind(buffer, argv[3], bForward, nFrom, nFrom, sink, nullptr);
        if (found)
        {
            std::printf("%u\n", found->m_nStart);
        }
        return 0;
    }
    if (mode == "open")
    {
        std::vector<double> samples;
        for (int i = 0; i < 21; ++i)
        {
            CTarvoHexEditBuffer buffer;
            const Clock::time_point start = Clock::now();
            if (!buffer.Open(path))
            {
                return 1;
            }
            buffer.AttachFileData();
            samples.push_back(MsSince(start));
        }
        std::printf("%.3f\n", MedianMs(samples));
        return 0;
    }
    if (mode == "insert")
    {
        CTarvoHexEditBuffer buffer;
        if (!buffer.Open(path))
        {
            return 1;
        }
        buffer.AttachFileData();
        std::vector<double> samples;
        const uint8_t byte = 0x5A;
        for (int i = 0; i < 21; ++i)
        {
            const Clock::time_point start = Clock::now();
            buffer.Change(CTarvoHexEditBuffer::kInsert, 0, 1, &byte, 0, nullptr);
            buffer.Undo(nullptr, 0);
            samples.push_back(MsSince(start));
        }
        std::printf("%.4f\n", MedianMs(samples));
        return 0;
    }
    if (mode == "edits")
    {
        CTarvoHexEditBuffer buffer;
        buffer.SetMessageSink(&sink);
        if (!buffer.Open(path))
        {
            return 1;
        }
        buffer.AttachFileData();
        const uint32_t nLength = buffer.GetLength();
        if (nLength < 1000000)
        {
            std::fprintf(stderr, "%s is too short to spread the changes over\n", path.c_str());
            return 1;
        }
        // Replacements, insertions and deletions in turn, each its own record (sequence 0),
        // at evenly spread places with a pseudo-random jitter.
        constexpr uint32_t kChanges = 100000;
        const uint32_t nStride = nLength / kChanges;
        uint64_t nSeed = 88172645463325252ull;
        const uint32_t kinds[] = {CTarvoHexEditBuffer::kReplace, CTarvoHexEditBuffer::kInsert,
                                  CTarvoHexEditBuffer::kDelete};
        for (uint32_t i = 0; i < kChanges; ++i)
        {
            nSeed ^= nSeed << 13;
            nSeed ^= nSeed >> 7;
            nSeed ^= nSeed << 17;
            const uint32_t nOffset = i * nStride + static_cast<uint32_t>(nSeed % nStride);
            const uint8_t byte = static_cast<uint8_t>(nSeed >> 32);
            if (!buffer.Change(kinds[i % 3], nOffset, 1, &byte, 0, nullptr))
            {
                std::fprintf(stderr, "change %u at %u refused\n", i, nOffset);
                return 1;
            }
        }
        std::vector<double> samples;
        const uint8_t byte = 0xA5;
        for (int i = 0; i < 21; ++i)
        {
            const Clock::time_point start = Clock::now();
            buffer.Change(CTarvoHexEditBuffer::kReplace, nLength / 2 + 7, 1, &byte, 0, nullptr);
            buffer.Undo(nullptr, kChanges);
            samples.push_back(MsSince(start) * 1000.0);
        }
        const Clock::time_point start = Clock::now();
        for (int32_t nRecord = kChanges - 1; nRecord >= 0; --nRecord)
        {
            buffer.Undo(nullptr, nRecord);
        }
        const double nUndoSeconds = MsSince(start) / 1000.0;
        if (buffer.IsModified() || buffer.GetPieceCount() != 1)
        {
            std::fprintf(stderr, "undoing every change left %zu pieces\n", buffer.GetPieceCount());
            return 1;
        }
        std::printf("%.2f %.3f\n", MedianMs(samples), nUndoSeconds);
        return 0;
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}

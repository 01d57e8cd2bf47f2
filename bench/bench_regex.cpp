// Counts the lines of a file that RegexExecute matches, calling it once per line as find in
// files does. Usage: bench_regex EXPRESSION FILE. Prints the count, as grep -c does.
// Lines are given without their line feed (and without a carriage return before it), which
// is what grep matches against, so the two counts can be compared.

#include "patterns/Regex.h"

#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: bench_regex EXPRESSION FILE\n");
        return 2;
    }
    const char* error = nullptr;
    RegexProgram* prog = RegexCompile(argv[1], &error);
    if (!prog)
    {
        std::fprintf(stderr, "bench_regex: %s\n", error);
        return 2;
    }
    std::FILE* file = std::fopen(argv[2], "rb");
    if (!file)
    {
        std::perror(argv[2]);
        return 2;
    }
    // Blocks of 256 KiB (they stay in the cache between reading and matching); a line cut
    // by the block end moves to the front of the next read. A line longer than the block is
    // cut, as find in files cuts long lines.
    const size_t blockSize = size_t(1) << 18;
    std::vector<char> buffer(blockSize + 1);
    size_t kept = 0;
    long count = 0;
    bool atEnd = false;
    while (!atEnd)
    {
        size_t got = std::fread(buffer.data() + kept, 1, blockSize - kept, file);
        size_t filled = kept + got;
        atEnd = got == 0;
        char* line = buffer.data();
        char* end = buffer.data() + filled;
        for (;;)
        {
            char* feed =
                static_cast<char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
            if (!feed)
            {
                if (!atEnd && line != buffer.data())
                    break;
                if (line == end)
                    break;
                feed = end; // the last line, or a line longer than the block
            }
            char* stop = feed;
            if (stop > line && stop[-1] == '\r')
                stop--;
            *stop = '\0';
            if (RegexExecute(prog, line) == 1)
                count++;
            line = feed == end ? end : feed + 1;
        }
        kept = static_cast<size_t>(end - line);
        std::memmove(buffer.data(), line, kept);
    }
    std::fclose(file);
    RegexFree(prog);
    std::printf("%ld\n", count);
    return 0;
}

// Reads every line of a UTF-16 (or UTF-8) file with a mark, converting it into a code page,
// and prints the number of lines, text bytes and lost characters.
//   bench_decode16 FILE CODEPAGE
#include "encoding/UniMemFile.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s FILE CODEPAGE\n", argv[0]);
        return 2;
    }
    UniMemFile file;
    file.SetDefaultCodePage(std::atoi(argv[2]));
    if (!file.OpenRead(argv[1]))
    {
        std::fprintf(stderr, "%s\n", file.GetLastFileError().strDescription.c_str());
        return 1;
    }
    if (!file.ReadBom())
    {
        std::fprintf(stderr, "%s has no byte-order mark\n", argv[1]);
        return 1;
    }
    std::string text, ending;
    long long lines = 0, bytes = 0;
    while (true)
    {
        bool bMore = file.ReadLine(text, ending);
        if (!bMore && text.empty() && ending.empty())
            break;
        ++lines;
        bytes += static_cast<long long>(text.size());
    }
    std::printf("%lld lines, %lld bytes, %d lost\n", lines, bytes, file.GetTextStats().nLostCount);
    return 0;
}

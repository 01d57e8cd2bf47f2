// Reads every line of a file with UniMemFile, in the text code page (no conversion for a
// file without a mark), and prints the number of lines and of text bytes.
//   bench_readlines FILE
#include "encoding/UniMemFile.h"
#include "platform/SystemInfo.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    UniMemFile file;
    file.SetDefaultCodePage(GetTextCodePage());
    if (!file.OpenRead(argv[1]))
    {
        std::fprintf(stderr, "%s\n", file.GetLastFileError().strDescription.c_str());
        return 1;
    }
    if (!file.ReadBom())
        file.SetCodePage(GetTextCodePage());
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
    if (!file.GetLastFileError().IsEmpty())
    {
        std::fprintf(stderr, "%s\n", file.GetLastFileError().strDescription.c_str());
        return 1;
    }
    std::printf("%lld lines, %lld bytes, %d endings\n", lines, bytes, file.GetLineNumber());
    return 0;
}

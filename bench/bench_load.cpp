// Loads a file into a document buffer, as opening it in the editor does, and prints the
// line count and the result.
//   bench_load FILE
#include "encoding/TextEditBufferEx.h"
#include "platform/SystemInfo.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    CTarvoTextEditBufferEx buffer;
    std::string error;
    const LoadResult result = buffer.LoadFile(argv[1], 0, GetTextCodePage(), error);
    if (result == LoadFailed)
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%d lines, result %d, mode %d\n", buffer.GetLineCount(), static_cast<int>(result),
                buffer.GetLineEndMode());
    return 0;
}

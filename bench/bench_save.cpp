// Loads a file into a document buffer and saves it to another name through the safe save
// (temporary file, sync, rename), as the editor's Save does.
//   bench_save FILE OUTPUT
#include "encoding/TextEditBufferEx.h"
#include "platform/SystemInfo.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s FILE OUTPUT\n", argv[0]);
        return 2;
    }
    CTarvoTextEditBufferEx buffer;
    std::string error;
    if (buffer.LoadFile(argv[1], 0, GetTextCodePage(), error) == LoadFailed)
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (buffer.SaveFile(argv[2], false, error, 0, true))
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%d lines saved\n", buffer.GetLineCount());
    return 0;
}

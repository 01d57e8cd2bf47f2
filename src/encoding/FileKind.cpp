#include "encoding/FileKind.h"

#include "encoding/UniMemFile.h"
#include "platform/File.h"

#include <cstring>

int DetectFileKind(const std::string& path)
{
    SFileStatus status;
    if (path.empty() || !GetFileStatus(path, status))
        return FileKindMissing;
    {
        UniMemFile file;
        if (file.OpenRead(path) && file.ReadBom())
            return FileKindText;
    }
    CPlatformFile file;
    if (!file.Open(path, CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly))
    {
        // A FIFO or device has no bytes to look at without waiting: the text loader says
        // what it is.
        return file.GetErrorText() == CPlatformFile::kNotRegularText ? FileKindText
                                                                     : FileKindMissing;
    }
    file.AdviseSequential();
    int kind = FileKindText;
    char block[4096];
    for (;;)
    {
        const int64_t got = file.Read(block, sizeof block);
        if (got > 0 && std::memchr(block, 0, static_cast<size_t>(got)))
        {
            kind = FileKindBinary;
            break;
        }
        if (got < static_cast<int64_t>(sizeof block))
            break;
    }
    return kind;
}

#include "encoding/FileKind.h"

#include "encoding/UniMemFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int DetectFileKind(const std::string& path)
{
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0)
        return FileKindMissing;
    {
        UniMemFile file;
        if (file.OpenRead(path) && file.ReadBom())
            return FileKindText;
    }
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return FileKindMissing;
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    int kind = FileKindText;
    char block[4096];
    for (;;)
    {
        ssize_t got;
        do
            got = read(fd, block, sizeof block);
        while (got < 0 && errno == EINTR);
        if (got > 0 && std::memchr(block, 0, static_cast<size_t>(got)))
        {
            kind = FileKindBinary;
            break;
        }
        if (got < static_cast<ssize_t>(sizeof block))
            break;
    }
    close(fd);
    return kind;
}

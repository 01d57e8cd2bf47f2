#include "platform/TempFile.h"

#include "platform/Folders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

int CreateExclusiveFile(const std::string& path, unsigned nMode, int& nError)
{
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        static_cast<mode_t>(nMode));
    nError = fd < 0 ? errno : 0;
    return fd;
}

std::string ResolveFinalLinks(const std::string& path)
{
    std::string current = path;
    for (int nDepth = 0; nDepth < 40; ++nDepth)
    {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        {
            return current;
        }
        std::vector<char> target(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        const ssize_t nLength = readlink(current.c_str(), target.data(), target.size());
        if (nLength <= 0 || static_cast<size_t>(nLength) >= target.size())
        {
            return current;
        }
        std::string next(target.data(), static_cast<size_t>(nLength));
        if (next[0] != kPathSeparator)
        {
            const size_t nSlash = current.rfind(kPathSeparator);
            next = nSlash == std::string::npos ? next : current.substr(0, nSlash + 1) + next;
        }
        current = next;
    }
    return current;
}

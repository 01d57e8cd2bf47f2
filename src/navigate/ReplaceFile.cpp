#include "navigate/ReplaceFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Folders.h"
#include "platform/SystemInfo.h"
#include "platform/TempFile.h"

namespace
{
bool WriteAll(int fd, const char* p, size_t n)
{
    while (n > 0)
    {
        ssize_t written = ::write(fd, p, n);
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += written;
        n -= static_cast<size_t>(written);
    }
    return true;
}

std::string Describe(const char* pszWhat, const std::string& strPath, int nError)
{
    return std::string(pszWhat) + " \"" + strPath + "\": " + GetSystemErrorText(nError);
}
} // namespace

bool WriteFileReplacing(const std::string& strLinkPath, const std::string& data, std::string& strError)
{
    if (strLinkPath.empty())
    {
        strError = "No file name was given.";
        return false;
    }
    // A link is left a link: the file it points to is the one replaced.
    const std::string strPath = ResolveFinalLinks(strLinkPath);
    // mkstemp opens with O_EXCL and a random suffix, so a planted file or link of the
    // same name cannot be written through.
    std::string temp = strPath + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0)
    {
        strError = Describe("Cannot create a temporary file beside", strPath, errno);
        return false;
    }
    auto fail = [&](const char* pszWhat, const std::string& strWhere) {
        int nError = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        strError = Describe(pszWhat, strWhere, nError);
        return false;
    };

    if (!WriteAll(fd, data.data(), data.size()))
        return fail("Cannot write", temp);
    // The replaced file keeps its permissions; a new one gets the usual mode for a user
    // file instead of mkstemp's private 0600.
    struct stat st;
    mode_t mode = 0666;
    if (::stat(strPath.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    else
    {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);
    if (::fsync(fd) != 0)
        return fail("Cannot write", temp);
    int nClose = ::close(fd);
    fd = -1;
    if (nClose != 0)
        return fail("Cannot write", temp);
    if (::rename(temp.c_str(), strPath.c_str()) != 0)
        return fail("Cannot replace", strPath);

    // Make the rename itself durable; a failure here does not undo a completed replace.
    std::string folder = FolderOfPath(strPath);
    int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0)
    {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    strError.clear();
    return true;
}

bool ReadWholeFile(const std::string& strPath, std::string& data)
{
    data.clear();
    FILE* file = std::fopen(strPath.c_str(), "rb");
    if (!file)
        return false;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        data.append(buffer, n);
    bool bOk = !std::ferror(file);
    std::fclose(file);
    return bOk;
}

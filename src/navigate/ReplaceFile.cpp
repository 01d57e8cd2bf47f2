#include "navigate/ReplaceFile.h"

#include <cerrno>
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

// Gathers pieces into large writes.
class CDescriptorSink : public CFileContentSink
{
public:
    explicit CDescriptorSink(int fd) : m_fd(fd) { m_buffer.reserve(kBufferSize); }
    bool Write(const void* pData, size_t nSize) override
    {
        if (!m_bOk)
            return false;
        if (m_buffer.size() + nSize > kBufferSize && !Flush())
            return false;
        if (nSize >= kBufferSize)
            return Check(WriteAll(m_fd, static_cast<const char*>(pData), nSize));
        m_buffer.append(static_cast<const char*>(pData), nSize);
        return true;
    }
    bool Flush()
    {
        if (m_bOk && !m_buffer.empty())
            Check(WriteAll(m_fd, m_buffer.data(), m_buffer.size()));
        m_buffer.clear();
        return m_bOk;
    }

    // The errno value of the write that failed.
    int GetError() const { return m_nError; }

private:
    bool Check(bool bOk)
    {
        if (!bOk && m_bOk)
            m_nError = errno;
        m_bOk = bOk;
        return bOk;
    }

    static constexpr size_t kBufferSize = 256 * 1024;
    int m_fd;
    bool m_bOk = true;
    int m_nError = 0;
    std::string m_buffer;
};

std::string Describe(const char* pszWhat, const std::string& strPath, int nError)
{
    return std::string(pszWhat) + " \"" + strPath + "\": " + GetSystemErrorText(nError);
}
} // namespace

bool WriteFileReplacing(const std::string& strPath, const std::string& data, std::string& strError)
{
    return WriteFileReplacing(
        strPath, [&](CFileContentSink& sink) { sink.Write(data.data(), data.size()); }, strError);
}

bool WriteFileReplacing(const std::string& strLinkPath,
                        const std::function<void(CFileContentSink&)>& produce,
                        std::string& strError)
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
    auto fail = [&](const char* pszWhat, const std::string& strWhere)
    {
        int nError = errno;
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        strError = Describe(pszWhat, strWhere, nError);
        return false;
    };

    CDescriptorSink sink(fd);
    produce(sink);
    if (!sink.Flush())
    {
        errno = sink.GetError();
        return fail("Cannot write", temp);
    }
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
    int fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Read straight into one allocation of the file's size, so a large list is neither
    // regrown nor copied; a file that grows meanwhile is read on to its end.
    struct stat st;
    size_t nSize = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        nSize = static_cast<size_t>(st.st_size);
    data.resize(nSize + 1);
    size_t nRead = 0;
    bool bOk = true;
    for (;;)
    {
        if (nRead == data.size())
            data.resize(data.size() * 2);
        ssize_t n = ::read(fd, data.data() + nRead, data.size() - nRead);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            bOk = false;
        if (n <= 0)
            break;
        nRead += static_cast<size_t>(n);
    }
    data.resize(bOk ? nRead : 0);
    ::close(fd);
    return bOk;
}

#include "navigate/ReplaceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SafeSave.h"
#include "platform/SystemInfo.h"

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
    // The shared safe save: an exclusive temporary file beside the target (the target a
    // link points to), synced, then put in place; the old file is untouched on failure.
    CSafeSave save;
    if (!save.Begin(strLinkPath))
    {
        strError = "Cannot save \"" + strLinkPath + "\": " + save.GetError();
        return false;
    }
    CDescriptorSink sink(save.GetDescriptor());
    produce(sink);
    if (!sink.Flush())
    {
        save.Abort();
        strError = "Cannot write \"" + save.GetTargetPath() + "\": " + GetSystemErrorText(sink.GetError());
        return false;
    }
    if (!save.Commit())
    {
        strError = "Cannot save \"" + save.GetTargetPath() + "\": " + save.GetError();
        return false;
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

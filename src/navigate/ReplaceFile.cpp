#include "navigate/ReplaceFile.h"

#include "platform/File.h"
#include "platform/SafeSave.h"

namespace
{
// Gathers pieces into large writes.
class CFileSink : public CFileContentSink
{
public:
    explicit CFileSink(CPlatformFile& file) : m_file(file) { m_buffer.reserve(kBufferSize); }
    bool Write(const void* pData, size_t nSize) override
    {
        if (!m_bOk)
            return false;
        if (m_buffer.size() + nSize > kBufferSize && !Flush())
            return false;
        if (nSize >= kBufferSize)
            return m_bOk = m_file.Write(pData, nSize);
        m_buffer.append(static_cast<const char*>(pData), nSize);
        return true;
    }
    bool Flush()
    {
        if (m_bOk && !m_buffer.empty())
            m_bOk = m_file.Write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return m_bOk;
    }

    // The system's text for the write that failed.
    const std::string& GetError() const { return m_file.GetErrorText(); }

private:
    static constexpr size_t kBufferSize = 256 * 1024;
    CPlatformFile& m_file;
    bool m_bOk = true;
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
    CPlatformFile file;
    if (!save.OpenTempFile(file))
    {
        strError = "Cannot save \"" + strLinkPath + "\": " + save.GetError();
        return false;
    }
    CFileSink sink(file);
    produce(sink);
    if (!sink.Flush())
    {
        save.Abort();
        strError = "Cannot write \"" + save.GetTargetPath() + "\": " + sink.GetError();
        return false;
    }
    file.Close();
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
    // Regular files only: a FIFO put in place of the file must not hang the program.
    CPlatformFile file;
    if (!file.Open(strPath, CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly))
        return false;
    // Read straight into one allocation of the file's size, so a large list is neither
    // regrown nor copied; a file that grows meanwhile is read on to its end.
    const int64_t nSize = file.GetSize();
    data.resize(nSize > 0 ? static_cast<size_t>(nSize) + 1 : 1);
    size_t nRead = 0;
    for (;;)
    {
        if (nRead == data.size())
            data.resize(data.size() * 2);
        const size_t nWanted = data.size() - nRead;
        const int64_t n = file.Read(data.data() + nRead, nWanted);
        if (n < 0)
        {
            data.clear();
            return false;
        }
        nRead += static_cast<size_t>(n);
        if (static_cast<size_t>(n) < nWanted)
            break;
    }
    data.resize(nRead);
    return true;
}

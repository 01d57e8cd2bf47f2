#include "encoding/UniStdioFile.h"

#include "encoding/TextConvert.h"
#include "platform/CodePageConv.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int64_t MaxFileSize = int64_t(1) << 32;
}

UniStdioFile::~UniStdioFile()
{
    Close();
}

bool UniStdioFile::OpenWriteUtf8(const std::string& path)
{
    if (!OpenWrite(path))
        return false;
    SetEncoding(EncodingUtf8);
    return true;
}

bool UniStdioFile::Open(const std::string& path, const char* mode)
{
    if (DoOpen(path, mode))
        return true;
    Close();
    return false;
}

bool UniStdioFile::OpenDescriptor(int fd, const std::string& path)
{
    Close();
    m_lastError.Clear();
    m_strFullPath = path;
    m_strFileName = path;
    m_pStream = fd >= 0 ? fdopen(fd, "w+b") : nullptr;
    if (!m_pStream)
    {
        const int nError = fd >= 0 ? errno : EBADF;
        if (fd >= 0)
            ::close(fd);
        SetSystemError("_tfdopen", nError);
        Close();
        return false;
    }
    m_nLineNumber = 0;
    return true;
}

bool UniStdioFile::DoOpen(const std::string& path, const char* mode)
{
    Close();
    m_lastError.Clear();
    m_strFullPath = path;
    m_strFileName = path;
    if (path.empty())
    {
        SetCustomError("The file name is empty");
        return false;
    }
    // A file that does not exist yet is fine here; an existing one must not be too big.
    bool bHaveStatus = FetchStatus();
    if (bHaveStatus && m_nFileSize >= MaxFileSize)
    {
        SetCustomError("UniStdioFile cannot handle files over 4 gigabytes");
        return false;
    }
    m_pStream = std::fopen(path.c_str(), mode);
    if (!m_pStream)
    {
        SetSystemError("_tfopen", errno);
        return false;
    }
    struct stat st;
    if (fstat(fileno(m_pStream), &st) == 0 && S_ISDIR(st.st_mode))
    {
        SetSystemError("_tfopen", EISDIR);
        return false;
    }
    m_lastError.Clear();
    m_nLineNumber = 0;
    return true;
}

bool UniStdioFile::FetchOpenStatus()
{
    if (IsOpen())
        return false;
    return FetchStatus();
}

void UniStdioFile::Close()
{
    if (m_pStream)
    {
        if (std::fclose(m_pStream) != 0)
            SetSystemError("fclose", errno);
        m_pStream = nullptr;
    }
    ResetCommonState();
    m_nBomBytes = 0;
}

bool UniStdioFile::ReadBom()
{
    if (!IsOpen())
        return false;
    unsigned char bytes[3];
    std::rewind(m_pStream);
    size_t count = std::fread(bytes, 1, sizeof bytes, m_pStream);
    int nEncoding = m_nEncoding;
    int nMark = DetectByteOrderMark(bytes, count, &nEncoding);
    SetEncoding(nEncoding);
    std::fseek(m_pStream, nMark, SEEK_SET);
    m_nBomBytes = nMark;
    m_bBomRead = true;
    return nMark > 0;
}

int UniStdioFile::WriteBom()
{
    if (!IsOpen())
        return 0;
    static const char le[] = {'\xFF', '\xFE'}, be[] = {'\xFE', '\xFF'},
                      utf8[] = {'\xEF', '\xBB', '\xBF'};
    const char* mark = nullptr;
    size_t count = 0;
    switch (m_nEncoding)
    {
    case EncodingUcs2Le:
        mark = le, count = 2;
        break;
    case EncodingUcs2Be:
        mark = be, count = 2;
        break;
    case EncodingUtf8:
        mark = utf8, count = 3;
        break;
    default:
        break;
    }
    std::rewind(m_pStream);
    m_nBomBytes = count ? static_cast<int>(std::fwrite(mark, 1, count, m_pStream)) : 0;
    return m_nBomBytes;
}

int64_t UniStdioFile::GetPosition() const
{
    return m_pStream ? static_cast<int64_t>(ftello(m_pStream)) : 0;
}

bool UniStdioFile::WriteBytes(const char* bytes, size_t count)
{
    if (count == 0)
        return true;
    if (std::fwrite(bytes, 1, count, m_pStream) == count)
        return true;
    SetSystemError("fwrite", errno ? errno : EIO);
    return false;
}

bool UniStdioFile::WriteText(const char* text, size_t length)
{
    if (!IsOpen())
        return false;
    if (m_nEncoding == EncodingNone && AreCodePagesEquivalent(m_nCodePage, m_nDefaultCodePage))
        return WriteBytes(text, length);
    int nLost = 0;
    if (!ConvertText(EncodingNone, m_nDefaultCodePage, text, length, m_nEncoding, m_nCodePage,
                     m_conversion, &nLost))
    {
        SetCustomError("The text cannot be converted to code page " +
                       std::to_string(m_nEncoding == EncodingNone ? m_nCodePage : 65001));
        return false;
    }
    m_stats.nLostCount += nLost;
    return WriteBytes(m_conversion.data(), m_conversion.size());
}

bool UniStdioFile::Flush()
{
    if (!IsOpen())
        return false;
    if (std::fflush(m_pStream) == 0)
        return true;
    SetSystemError("fflush", errno);
    return false;
}

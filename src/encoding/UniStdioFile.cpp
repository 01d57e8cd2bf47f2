#include "encoding/UniStdioFile.h"

#include "encoding/TextConvert.h"
#include "platform/CodePageConv.h"

#include <cerrno>
#include <cstring>

namespace
{
constexpr int64_t MaxFileSize = int64_t(1) << 32;
// Small writes (a line at a time) are gathered up to this size; larger ones go straight
// to the file.
constexpr size_t kBufferBytes = 64 * 1024;

// The open flags of a stdio mode, or 0 for a mode this class does not take.
unsigned FlagsOfMode(const char* mode)
{
    std::string letters;
    for (const char* p = mode; *p; ++p)
        if (*p != 'b')
            letters += *p;
    if (letters == "r")
        return CPlatformFile::OpenRead;
    if (letters == "r+")
        return CPlatformFile::OpenReadWrite;
    if (letters == "w")
        return CPlatformFile::OpenWrite | CPlatformFile::OpenCreate | CPlatformFile::OpenTruncate;
    if (letters == "w+")
        return CPlatformFile::OpenReadWrite | CPlatformFile::OpenCreate |
               CPlatformFile::OpenTruncate;
    return 0;
}
} // namespace

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

bool UniStdioFile::OpenFile(CPlatformFile&& file, const std::string& path)
{
    Close();
    m_lastError.Clear();
    m_strFullPath = path;
    m_strFileName = path;
    m_file = std::move(file);
    if (!m_file.IsOpen())
    {
        SetSystemError("_tfdopen", EBADF);
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
    const unsigned nFlags = FlagsOfMode(mode);
    if (nFlags == 0)
    {
        SetSystemError("_tfopen", EINVAL);
        return false;
    }
    // A folder is refused before it could be opened (and, for writing, truncated).
    SFileStatus status;
    if (GetFileStatus(path, status) && status.type == EFileType::Folder)
    {
        SetSystemError("_tfopen", EISDIR);
        return false;
    }
    if (!m_file.Open(path, nFlags))
    {
        SetSystemError("_tfopen", m_file.GetErrorNumber());
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
    if (m_file.IsOpen())
    {
        FlushBuffer("fclose");
        if (!m_file.Close())
            SetSystemError("fclose", m_file.GetErrorNumber());
    }
    m_buffer.clear();
    m_nPosition = 0;
    ResetCommonState();
    m_nBomBytes = 0;
}

bool UniStdioFile::ReadBom()
{
    if (!IsOpen() || !FlushBuffer("fflush"))
        return false;
    unsigned char bytes[3];
    const int64_t count = m_file.ReadAt(bytes, sizeof bytes, 0);
    int nEncoding = m_nEncoding;
    int nMark = DetectByteOrderMark(bytes, count > 0 ? static_cast<size_t>(count) : 0, &nEncoding);
    SetEncoding(nEncoding);
    m_nPosition = nMark;
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
    if (!FlushBuffer("fflush"))
        return 0;
    m_nPosition = 0;
    m_nBomBytes = count && WriteBytes(mark, count) ? static_cast<int>(count) : 0;
    return m_nBomBytes;
}

int64_t UniStdioFile::GetPosition() const
{
    return IsOpen() ? m_nPosition + static_cast<int64_t>(m_buffer.size()) : 0;
}

bool UniStdioFile::FlushBuffer(const char* callName)
{
    if (m_buffer.empty())
        return true;
    const bool bOk = m_file.WriteAt(m_buffer.data(), m_buffer.size(), m_nPosition);
    if (bOk)
        m_nPosition += static_cast<int64_t>(m_buffer.size());
    else
        SetSystemError(callName, m_file.GetErrorNumber());
    m_buffer.clear();
    return bOk;
}

bool UniStdioFile::WriteBytes(const char* bytes, size_t count)
{
    if (count == 0)
        return true;
    if (m_buffer.size() + count <= kBufferBytes)
    {
        if (m_buffer.capacity() < kBufferBytes)
            m_buffer.reserve(kBufferBytes);
        m_buffer.append(bytes, count);
        return true;
    }
    if (!FlushBuffer("fwrite"))
        return false;
    if (count < kBufferBytes)
    {
        m_buffer.append(bytes, count);
        return true;
    }
    if (!m_file.WriteAt(bytes, count, m_nPosition))
    {
        SetSystemError("fwrite", m_file.GetErrorNumber());
        return false;
    }
    m_nPosition += static_cast<int64_t>(count);
    return true;
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
    return FlushBuffer("fflush");
}

bool UniStdioFile::Sync()
{
    if (!Flush())
        return false;
    if (m_file.Sync())
        return true;
    SetSystemError("fsync", m_file.GetErrorNumber());
    return false;
}

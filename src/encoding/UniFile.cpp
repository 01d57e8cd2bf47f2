#include "encoding/UniFile.h"

#include "platform/File.h"
#include "platform/SystemInfo.h"

int DetectByteOrderMark(const unsigned char* bytes, size_t count, int* pEncoding)
{
    if (count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    {
        *pEncoding = EncodingUcs2Le;
        return 2;
    }
    if (count >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
    {
        *pEncoding = EncodingUcs2Be;
        return 2;
    }
    if (count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    {
        *pEncoding = EncodingUtf8;
        return 3;
    }
    return 0;
}

UniLocalFile::UniLocalFile() : m_nCodePage(GetTextCodePage()), m_nDefaultCodePage(GetTextCodePage())
{
}

void UniLocalFile::SetEncoding(int nEncoding)
{
    m_nEncoding = nEncoding;
    m_nCharSize = nEncoding == EncodingUcs2Le || nEncoding == EncodingUcs2Be ? 2 : 1;
}

bool UniLocalFile::FetchStatus(CPlatformFile& file)
{
    m_lastError.Clear();
    m_strFileName = m_strFullPath;
    const int64_t nSize = file.GetSize();
    if (nSize < 0)
    {
        SetSystemError("GetFileSize", file.GetErrorNumber());
        return false;
    }
    m_nFileSize = nSize;
    m_nStatusFetched = 1;
    return true;
}

bool UniLocalFile::FetchStatus()
{
    m_lastError.Clear();
    SFileStatus status;
    int nError = 0;
    if (!GetFileStatus(m_strFullPath, status, &nError))
    {
        // The error number says why (missing, no permission), so it is kept.
        SetSystemError("_tstati64", nError);
        return false;
    }
    m_nFileSize = status.nSize;
    m_nStatusFetched = 1;
    return true;
}

void UniLocalFile::SetSystemError(const std::string& callName, int nError)
{
    m_lastError.strCallName = callName;
    m_lastError.nError = nError;
    m_lastError.strDescription = GetSystemErrorText(nError);
}

void UniLocalFile::SetCustomError(const std::string& description)
{
    m_lastError.strCallName.clear();
    m_lastError.nError = 0;
    m_lastError.strDescription = description;
}

void UniLocalFile::ResetCommonState()
{
    m_nStatusFetched = -1;
    m_nFileSize = 0;
    m_nLineNumber = -1;
    m_bBomRead = false;
    m_stats = TextStats();
}

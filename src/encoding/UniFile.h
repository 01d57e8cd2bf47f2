#pragma once
// Encoded text files: reading a file line by line into the editor's internal form and
// writing lines back in the file's encoding.
//
// The internal form is 8-bit text in one code page, the "default code page" of the file
// object (the "DefaultCodePage" setting; taken from GetTextCodePage() when the object is
// made, and settable with SetDefaultCodePage). The file itself is in one of the encoding
// kinds below; for kind EncodingNone its code page is GetCodePage().
//
// Every failure is reported by the operation's result and by the error record: the name of
// the failing system call with errno and the system's text for it, or a description alone.

#include <cstddef>
#include <cstdint>
#include <string>

class CPlatformFile;

enum EncodingKind : int32_t
{
    EncodingNone = 0,   // 8-bit text in a code page, no byte-order mark
    EncodingUcs2Le = 1, // UTF-16 little-endian, mark FF FE
    EncodingUcs2Be = 2, // UTF-16 big-endian, mark FE FF
    EncodingUtf8 = 3,   // UTF-8, mark EF BB BF
};

// The byte-order mark at the start of `bytes`: returns its length (0 when there is none)
// and sets *pEncoding to its kind when there is one.
int DetectByteOrderMark(const unsigned char* bytes, size_t count, int* pEncoding);

// The last error of a file object. Cleared at the start of every open and status query.
struct UniError
{
    std::string strCallName;    // the failing system call, empty for a custom error
    int32_t nError = 0;         // errno of the failure, 0 for a custom error
    std::string strDescription; // the system's text for nError, or the custom description

    void Clear()
    {
        strCallName.clear();
        nError = 0;
        strDescription.clear();
    }
    bool IsEmpty() const { return strCallName.empty() && strDescription.empty(); }
};

// Counts gathered while reading (and, for nLostCount, while writing).
struct TextStats
{
    int32_t nCrCount = 0;    // line endings that are a lone CR
    int32_t nLfCount = 0;    // line endings that are a lone LF
    int32_t nCrLfCount = 0;  // CR LF pairs
    int32_t nZeroCount = 0;  // zero bytes (8-bit text) or zero characters met
    int32_t nFirstZero = -1; // byte offset from the start of the text of the first zero
    int32_t nLastZero = -1;  // byte offset of the last zero
    // Characters that could not be converted exactly; on reading also lines whose bytes
    // would not come back the same when saved (see HasOneWayMappings).
    int32_t nLostCount = 0;
};

// The common interface of encoded files.
class UniFile
{
public:
    virtual ~UniFile() = default;

    virtual bool OpenRead(const std::string& path) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual std::string GetPath() const = 0;
    virtual UniError GetLastFileError() const = 0;
    // Reads the byte-order mark; true when the file starts with one (its kind is then the
    // encoding). A file without a mark keeps the encoding set before.
    virtual bool ReadBom() = 0;
    virtual int GetEncoding() const = 0;
    virtual void SetEncoding(int nEncoding) = 0;
    virtual int GetCodePage() const = 0;
    virtual void SetCodePage(int nCodePage) = 0;
    // Reads the next line into `text` (in the default code page, without its ending) and
    // its ending ("", "\r", "\n" or "\r\n"). See UniMemFile for the results.
    virtual bool ReadLine(std::string& text, std::string& ending) = 0;
    virtual bool ReadLine(std::string& text) = 0;
    // Line endings read so far; -1 while closed.
    virtual int GetLineNumber() const = 0;
    // Byte offset from the start of the file (the mark included).
    virtual int64_t GetPosition() const = 0;
    // Writes text given in the default code page, converted to the file's form.
    virtual bool WriteText(const std::string& text) = 0;
    virtual TextStats GetTextStats() const = 0;
};

// State and status shared by the files on the local file system.
class UniLocalFile : public UniFile
{
public:
    UniLocalFile();

    std::string GetPath() const override { return m_strFullPath; }
    UniError GetLastFileError() const override { return m_lastError; }
    int GetEncoding() const override { return m_nEncoding; }
    void SetEncoding(int nEncoding) override;
    int GetCodePage() const override { return m_nCodePage; }
    void SetCodePage(int nCodePage) override { m_nCodePage = nCodePage; }
    int GetLineNumber() const override { return m_nLineNumber; }
    TextStats GetTextStats() const override { return m_stats; }

    // The code page of the text handed to and from the caller.
    int GetDefaultCodePage() const { return m_nDefaultCodePage; }
    void SetDefaultCodePage(int nCodePage) { m_nDefaultCodePage = nCodePage; }

    bool IsBomRead() const { return m_bBomRead; }
    int64_t GetFileSize() const { return m_nFileSize; }

    // Status of an open file: full name and size. Failure: "GetFileSize" with errno.
    bool FetchStatus(CPlatformFile& file);
    // Status by path: the size. Failure: "_tstati64" with errno.
    bool FetchStatus();
    void SetSystemError(const std::string& callName, int nError);
    void SetCustomError(const std::string& description);

protected:
    // Back to the state after construction, except the encoding, the code pages and the
    // error record, which each class handles itself.
    void ResetCommonState();

    int m_nStatusFetched = -1;
    int64_t m_nFileSize = 0;
    std::string m_strFullPath;
    std::string m_strFileName;
    int m_nLineNumber = -1;
    UniError m_lastError;
    bool m_bBomRead = false;
    int m_nEncoding = EncodingNone;
    int m_nCharSize = 1;
    int m_nCodePage;
    int m_nDefaultCodePage;
    TextStats m_stats;
};

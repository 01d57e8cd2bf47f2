#pragma once
// Writing an encoded text file through a buffer of its own.
//
// The encoding and code page are set before opening and survive Close(), so one object
// can write several files in the same form. Typical use:
//     UniStdioFile file;
//     file.SetEncoding(kind); file.SetCodePage(codePage);
//     if (!file.OpenWrite(path)) report(file.GetLastFileError());
//     file.WriteBom();
//     for each line: ok = ok && file.WriteText(text) && file.WriteText(ending);
//     ok = ok && file.Flush();
//     file.Close();
// GetTextStats().nLostCount counts the characters that the file's form could not hold.

#include "encoding/UniFile.h"
#include "platform/File.h"

class UniStdioFile : public UniLocalFile
{
public:
    UniStdioFile() = default;
    ~UniStdioFile() override;
    UniStdioFile(const UniStdioFile&) = delete;
    UniStdioFile& operator=(const UniStdioFile&) = delete;

    bool OpenRead(const std::string& path) override { return Open(path, "rb"); }
    // Creates or truncates the file ("w+b").
    bool OpenWrite(const std::string& path) { return Open(path, "w+b"); }
    // OpenWrite, then UTF-8.
    bool OpenWriteUtf8(const std::string& path);
    // Opens with a stdio mode: "r", "r+", "w" or "w+", each with or without "b" (the file
    // is always binary). Failures: an empty path, "UniStdioFile cannot handle files over 4
    // gigabytes" (checked before the file is opened, so an existing file is never truncated
    // by a refused open), "_tfopen" with errno (EINVAL for another mode).
    bool Open(const std::string& path, const char* mode);
    // Writes to a file the caller opened for writing (a temporary file created exclusively,
    // say), so that the file is never reopened by name; `path` is only remembered. The
    // object owns the file from then on, also when this fails ("_tfdopen" with EBADF for a
    // file that is not open).
    bool OpenFile(CPlatformFile&& file, const std::string& path);
    // Writes out the buffer and closes the file. A failure of either is recorded as
    // "fclose" with errno.
    void Close() override;
    bool IsOpen() const override { return m_file.IsOpen(); }
    // When closed: the status by path. When open: false.
    bool FetchOpenStatus();

    // Reads the mark from the first 3 bytes of the stream and seeks past it.
    bool ReadBom() override;
    // Writes the mark of the encoding at the start of the stream; returns its byte count.
    int WriteBom();
    int GetBomByteCount() const { return m_nBomBytes; }

    // Not supported: a UniStdioFile only writes lines.
    bool ReadLine(std::string&, std::string&) override { return false; }
    bool ReadLine(std::string&) override { return false; }

    int64_t GetPosition() const override;
    // Writes text given in the default code page, converted to the file's kind and code
    // page. True when every byte was written; a failure is recorded as "fwrite" with errno.
    bool WriteText(const std::string& text) override { return WriteText(text.data(), text.size()); }
    bool WriteText(const char* text, size_t length);
    // Pushes the buffered bytes to the file. False (recorded as "fflush") when that fails,
    // for example on a full disk.
    bool Flush();
    // Flush, then brings the file's data to the disk. False (recorded as "fsync") when the
    // system cannot.
    bool Sync();

private:
    bool DoOpen(const std::string& path, const char* mode);
    bool WriteBytes(const char* bytes, size_t count);
    bool FlushBuffer(const char* callName);

    CPlatformFile m_file;
    int64_t m_nPosition = 0; // where the buffered bytes go
    std::string m_buffer;
    int m_nBomBytes = 0;
    std::string m_conversion; // reused conversion buffer
};

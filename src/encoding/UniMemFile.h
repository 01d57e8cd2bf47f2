#pragma once
// Reading an encoded text file line by line.
//
// The file is read through a private window of its bytes rather than a memory mapping: a
// mapped file that another program truncates kills the reader with a bus error, while a
// read only comes up short. The size is taken when the file is opened; a file that
// becomes shorter while it is read ends the reading with an error record, and bytes
// added later are not read.
//
// Typical use:
//     UniMemFile file;
//     file.SetDefaultCodePage(textCodePage);      // when it is not GetTextCodePage()
//     if (!file.OpenRead(path)) report(file.GetLastFileError());
//     if (!file.ReadBom()) file.SetCodePage(codePageOfFile);
//     std::string text, ending;
//     while (...) file.ReadLine(text, ending) ...
//     if (!file.GetLastFileError().IsEmpty()) the read failed part way;
//     file.GetTextStats() has the ending, zero and loss counts.

#include "encoding/UniFile.h"
#include "platform/File.h"

#include <memory>

class UniMemFile : public UniLocalFile
{
public:
    UniMemFile() = default;
    ~UniMemFile() override;
    UniMemFile(const UniMemFile&) = delete;
    UniMemFile& operator=(const UniMemFile&) = delete;

    // Opens an existing file for reading. Failures: "CreateFile" with errno (missing,
    // no permission, a directory), "GetFileSize", "UniMemFile cannot handle files over 2
    // gigabytes", "Not a regular file". A failed open leaves the object closed.
    bool OpenRead(const std::string& path) override;
    // Opens an existing file that must also be writable; it is read the same way.
    bool OpenWrite(const std::string& path);
    // Closes the file and returns every field to its initial value (the code page becomes
    // the default code page) except the error record and the default code page.
    void Close() override;
    bool IsOpen() const override { return m_nLineNumber >= 0; }
    bool FetchOpenStatus();

    // Recognises FF FE, FE FF and EF BB BF at the start of the file and moves the read
    // position after the mark (to the start of the file when there is none).
    bool ReadBom() override;

    // Reads one line.
    // - 8-bit text in the default code page: the bytes up to a CR, LF, zero byte or the end
    //   of the file are copied. A zero byte is counted, consumed and ends the line without
    //   an ending. True whenever something was left to read.
    // - 8-bit text in another code page: the bytes up to the next CR or LF are converted
    //   (zero bytes on the way are counted but stay in the line). True when a line ending
    //   was found; the last line without an ending is delivered with false.
    // - UTF-16 and UTF-8: decoded character by character and converted; a zero character
    //   ends the line and is counted. True whenever something was left to read.
    // Every ending read increases the line number; the ending counts go to the statistics.
    // False with nothing read at the end of the data, or after a read error (the error
    // record then says why). A lone byte at the end of a UTF-16 file counts as one lost
    // character.
    bool ReadLine(std::string& text, std::string& ending) override;
    bool ReadLine(std::string& text) override;

    // One line as ReadLine delivers it: the text followed directly by its ending.
    struct SLineView
    {
        const char* pText = "";
        size_t nLength = 0;    // bytes of text
        size_t nEolLength = 0; // bytes of the ending after the text: 0, 1 or 2
        bool bMore = false;    // what ReadLine returned for the line (set by ReadLineViews)
    };
    // ReadLine without the copies: the same result, text, ending, counts and errors, but
    // the bytes are handed out in place. For 8-bit text in the default code page they are
    // read straight from the read window; other text is converted into a buffer of the
    // file. The view stays valid until the next read, ReadBom or Close.
    bool ReadLineView(SLineView& line);
    // Several lines at once, exactly as calls of ReadLineView one after the other would give
    // them (each with its result in bMore), all valid until the next read. Fills at least
    // one view when count > 0, and stops after a view whose bMore is false. Text in the
    // default code page is taken a window at a time without a call per line.
    size_t ReadLineViews(SLineView* lines, size_t count);

    int64_t GetPosition() const override { return m_nWindowOffset + static_cast<int64_t>(m_nPos); }
    // Not supported: a UniMemFile only reads.
    bool WriteText(const std::string&) override { return false; }

private:
    bool DoOpen(const std::string& path, bool bWrite);
    size_t Available() const { return m_nFill - m_nPos; }
    // Moves the unread bytes to the front of the window and reads more of the file. False at
    // the end of the data or on a read error (recorded).
    bool ReadMore();
    // At least `count` unread bytes, unless the data ends first.
    bool Ensure(size_t count);
    void SeekTo(int64_t offset);
    void RecordZero(size_t indexFromPos);
    void CountEnding(char first, size_t length);

    // The next line of 8-bit text in the default code page, in place: its text starts at
    // `start` in the window and is `length` bytes long; `eolLength` bytes of ending follow.
    // A zero byte ends the line without an ending. False at the end of the data.
    bool ScanLineDirect(size_t& start, size_t& length, size_t& eolLength);
    // Whole lines of 8-bit text in the default code page that lie inside the window, up to
    // `count`, without reading more of the file; stops before a line that holds a zero byte,
    // ends at the window's edge, or might end in a CR LF split by that edge.
    size_t ScanWindowLines(SLineView* lines, size_t count);
    bool ReadLineDirect(std::string& text, std::string& ending);
    bool ReadLineCodePage(std::string& text, std::string& ending);
    bool ReadLineUnicode(std::string& text, std::string& ending);
    // Whether text read from `bytes` turns back into the same bytes when it is saved. Asked
    // only where a code page has one-way mappings (HasOneWayMappings); a line that does not
    // come back counts as a lost character, so the file loads write-protected and a save
    // never changes bytes the user did not touch.
    bool ComesBackAs(const std::string& text, const char* bytes, size_t count);

    CPlatformFile m_file;
    std::unique_ptr<char[]> m_window;
    size_t m_nCapacity = 0;
    size_t m_nFill = 0;          // bytes of the window that hold file data
    size_t m_nPos = 0;           // read position within the window
    int64_t m_nWindowOffset = 0; // file offset of the window's first byte
    int64_t m_nTextStart = 0;    // file offset of the text, after the mark
    bool m_bReadFailed = false;
    std::u16string m_wide;                // scratch for the Unicode lines
    std::string m_viewText, m_viewEnding; // the converted line handed out by ReadLineView
    std::string m_roundTrip;              // scratch for ComesBackAs
};

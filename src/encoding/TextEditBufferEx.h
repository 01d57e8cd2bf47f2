#pragma once
// The text buffer of a document together with its file: reading a whole encoded file into
// lines and writing the lines back in the form they were read.
//
// The buffer remembers the file's encoding kind (-1 until a load or a command gives it
// one) and code page, so that a save writes the file back as it was read: the same mark,
// the same encoding, and every line with the ending of the buffer's line-ending mode.
// A file that used one kind of line ending and was not edited saves back byte for byte.

#include <cstdint>
#include <string>

#include "text/TextEditBuffer.h"

enum LoadResult : int32_t
{
    LoadFailed = 0,       // not opened or not read; the error text says why; buffer empty
    LoadOk = 1,           // loaded; at most one kind of line ending
    LoadMixedEndings = 2, // loaded; two or three kinds of line ending
    LoadBinary = 3,       // a zero byte or zero character; buffer empty
};

class CTarvoTextEditBufferEx : public CTarvoTextEditBuffer
{
public:
    CTarvoTextEditBufferEx();
    ~CTarvoTextEditBufferEx() override;

    // Reads a file into the buffer, replacing what it held.
    // - The parser is the factory's for the file name's extension (plain text without one).
    // - nCodePage is the code page of a file without a byte-order mark.
    // - nLineEndMode 0 detects the mode from the endings the file used (the most frequent;
    //   CR LF wins a tie); 1, 2 or 3 sets it. Every line keeps its own ending in memory.
    // - A file whose characters could not all be converted exactly is loaded
    //   write-protected, so it cannot be altered and saved with the losses.
    // - On LoadFailed and LoadBinary the buffer is one empty line (InitNew(1)); a read that
    //   fails part way (the file shrank or vanished) is LoadFailed, never a partial text.
    // On failure errorText holds the system's message or the file layer's description.
    LoadResult LoadFile(const std::string& path, int nLineEndMode, int nCodePage,
                        std::string& errorText);

    // Writes the buffer to path in its encoding kind (kind -1 is written as 8-bit text in
    // the buffer's code page, without a mark) with the ending of nLineEndMode (0: the
    // buffer's mode; a buffer that was never initialised writes each line's own ending)
    // after every line but the last.
    // - bDirect false replaces the file safely: the complete text goes to a temporary file
    //   that is synced and then put in place of the file, so that a failure at any point
    //   leaves the old file as it was. bDirect true writes path in place (for a file that
    //   holds nothing worth keeping yet).
    // - Every write, the flush, the close and the sync are checked: a save reported as
    //   done has reached the disk.
    // - On success with bClearModified the buffer is not modified and the saved undo
    //   position is the current one; after a save through a temporary file with change
    //   tracking on, the saved revision becomes the current revision and the views get
    //   HintLineMarks for line -1.
    // Returns true when the save FAILED; errorText then holds the system's message.
    bool SaveFile(const std::string& path, bool bDirect, std::string& errorText,
                  int nLineEndMode = 0, bool bClearModified = true);

    int GetEncoding() const { return m_nEncoding; }
    void SetEncoding(int nEncoding) { m_nEncoding = nEncoding; }
    int GetCodePage() const { return m_nCodePage; }
    void SetCodePage(int nCodePage) { m_nCodePage = nCodePage; }
    // Characters that the last successful save could not represent in the file's form
    // (each was written as the code page's default character). The document may warn.
    int GetLastSaveLostCount() const { return m_nLastSaveLost; }

    // The extension of a path's last component without its leading dots ("txt" for
    // "a.b/c.TXT" keeps its case; "" for "Makefile"): what picks the parser.
    static std::string ExtensionOfPath(const std::string& path);

protected:
    int m_nEncoding = -1;
    int m_nCodePage;
    int m_nLastSaveLost = 0;

private:
    // Chooses the parser that the path's name names and returns true; otherwise plain text,
    // and false.
    bool SetParserForPath(const std::string& path);
    // The parser that the first two lines name ("#!" line, editor mode line), if any.
    void SetParserFromFirstLines();
    LoadResult FailLoad(std::string& errorText, const std::string& text);
};

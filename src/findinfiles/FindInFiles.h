#pragma once
// The find-in-files engine: searches files and folders for lines that contain a text or
// match a regular expression, and reports every matching line through a callback the
// moment it is found. It reads files as bytes, line by line, and touches no window; the
// caller runs it on a worker thread and stops it with a cancel event.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CCancelEvent;
class CPlatformFile;
class CPlatformFolder;
struct RegexProgram;

class CFindInFilesOptions
{
public:
    enum
    {
        FlagSubfolders = 1,
        FlagRegex = 2,
        FlagMatchCase = 4,
    };
    virtual ~CFindInFilesOptions() = default;

    uint32_t m_dwFlags = FlagSubfolders;
    std::string m_strSearch;              // the text or expression
    std::string m_strFileTypes = "*.*";   // patterns separated by ";"
    std::vector<std::string> m_locations; // folders or single files, searched in order
};

// Receives the results. Every call happens on the searching thread, in walk order.
class CFindInFilesCallback
{
public:
    virtual ~CFindInFilesCallback() = default;
    virtual void OnBegin() = 0;
    // The first matching line of this file follows.
    virtual void OnFile(const std::string& path) = 0;
    // One matching line, numbered from 1; the text is the line as read: carriage returns
    // removed, the closing line feed kept (the last line of a file may have none).
    virtual void OnLine(const std::string& path, int nLine, std::string_view text) = 0;
    virtual void OnEnd(bool bCanceled) = 0;
    // A location, file or folder that was met but could not be read (missing, no access,
    // a FIFO, socket or device, a link that leads nowhere or in a circle); the search goes
    // on without it. A folder link that is deliberately not walked into is not reported.
    virtual void OnSkipped(const std::string& path) { (void)path; }
};

class CFindInFiles
{
public:
    static constexpr int kLineBufferSize = 65536; // a line of at most 65535 bytes + NUL
    static constexpr int kReadBufferSize = 8192;

    CFindInFiles(CFindInFilesCallback& callback, const CFindInFilesOptions& options);
    virtual ~CFindInFiles();
    CFindInFiles(const CFindInFiles&) = delete;
    CFindInFiles& operator=(const CFindInFiles&) = delete;

    // The whole search, synchronous, on the calling thread. The cancel event is only
    // polled: after every line, after every file of a listing, after every pattern's
    // listing and after every subfolder.
    //
    // A line matches when the search text occurs in it; with the expression flag also when
    // the expression matches it (an expression that does not compile leaves the text test
    // alone). Without the match-case flag both compare ASCII letters ignoring case. The
    // expression sees the line without its line feed, so "$" matches at the end of every
    // line and a set such as "[^a-z]" never matches the line break.
    //
    // Folders are walked with their entries in name order; with the subfolder flag,
    // subfolders follow depth first, each opened through its parent so that depth is no
    // limit. Symbolic links to folders are not walked into (a link to an ancestor would
    // never end); linked files are searched. Only regular files are read, and none is
    // opened in a way that could wait: a FIFO, socket or device, in a folder or given as a
    // location, is skipped like a file that cannot be read.
    void Search(const std::string& searchText, void* pUserValue, const CCancelEvent& cancel);

    int GetMatchCount() const { return m_nMatchCount; }
    void* GetUserValue() const { return m_pUserValue; }

private:
    void WalkFolder(CPlatformFolder& open, const std::string& folder, const CCancelEvent& cancel);
    // Searches an open file; path is what the results name it.
    void SearchFile(CPlatformFile& file, const std::string& path, const CCancelEvent& cancel);
    bool LineMatches(int nLength);

    CFindInFilesCallback& m_callback;
    CFindInFilesOptions m_options;
    RegexProgram* m_pRegex = nullptr;
    int m_nMatchCount = 0;
    void* m_pUserValue = nullptr;
    std::string m_strNeedle; // the search text, lowered when case is ignored
    std::vector<char> m_lineBuffer;
    std::vector<char> m_foldBuffer; // the lowered line when case is ignored
    std::vector<char> m_readBuffer;
    std::vector<char> m_foldBlock; // the lowered read block when case is ignored
};

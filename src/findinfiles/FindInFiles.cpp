#include "findinfiles/FindInFiles.h"

#include <algorithm>
#include <cstring>

#include "patterns/Regex.h"
#include "platform/AsciiCase.h"
#include "platform/CancelEvent.h"
#include "platform/File.h"
#include "platform/FolderList.h"

namespace
{
void LowerInto(char* out, const char* in, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        out[i] = LowerAscii(in[i]);
}

bool ContainsText(const char* line, size_t length, const std::string& needle)
{
    if (needle.empty())
        return true;
    return ::memmem(line, length, needle.data(), needle.size()) != nullptr;
}
} // namespace

CFindInFiles::CFindInFiles(CFindInFilesCallback& callback, const CFindInFilesOptions& options)
    : m_callback(callback), m_options(options), m_lineBuffer(kLineBufferSize),
      m_foldBuffer(kLineBufferSize), m_readBuffer(kReadBufferSize), m_foldBlock(kReadBufferSize)
{
}

CFindInFiles::~CFindInFiles()
{
    RegexFree(m_pRegex);
}

void CFindInFiles::Search(const std::string& searchText, void* pUserValue,
                          const CCancelEvent& cancel)
{
    m_pUserValue = pUserValue;
    const bool bMatchCase = (m_options.m_dwFlags & CFindInFilesOptions::FlagMatchCase) != 0;
    m_strNeedle = searchText;
    if (!bMatchCase)
        LowerInto(m_strNeedle.data(), m_strNeedle.data(), m_strNeedle.size());
    if (m_options.m_dwFlags & CFindInFilesOptions::FlagRegex)
    {
        RegexFree(m_pRegex);
        m_pRegex = nullptr;
        // Ignoring case, the lowered expression is matched against the lowered line. An
        // expression that does not compile leaves the literal test alone.
        std::string expression = searchText;
        if (!bMatchCase)
            LowerInto(expression.data(), expression.data(), expression.size());
        m_pRegex = RegexCompile(expression.c_str());
    }

    m_callback.OnBegin();
    m_nMatchCount = 0;
    for (const std::string& location : m_options.m_locations)
    {
        if (cancel.IsSet())
            break;
        SFileStatus status;
        if (location.empty())
            continue;
        if (!GetFileStatus(location, status))
        {
            m_callback.OnSkipped(location);
            continue;
        }
        if (status.type == EFileType::Folder)
        {
            CPlatformFolder folder;
            if (folder.Open(location))
                WalkFolder(folder, location, cancel);
            else
                m_callback.OnSkipped(location);
        }
        else
        {
            CPlatformFile file;
            if (file.Open(location, CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly))
                SearchFile(file, location, cancel);
            else
                m_callback.OnSkipped(location);
        }
    }
    m_callback.OnEnd(cancel.IsSet());
}

void CFindInFiles::WalkFolder(CPlatformFolder& open, const std::string& folder,
                              const CCancelEvent& cancel)
{
    std::string prefix = folder;
    while (prefix.size() > 1 && (prefix.back() == '/' || prefix.back() == '\\'))
        prefix.pop_back();
    if (prefix != "/")
        prefix += '/';

    std::vector<SFolderEntry> entries;
    if (!open.List(entries))
    {
        m_callback.OnSkipped(folder);
        return;
    }

    // Each pattern lists the folder in turn, so an entry matched by two patterns is
    // searched twice, as the user asked for both.
    const std::string& types = m_options.m_strFileTypes;
    size_t start = 0;
    while (start <= types.size() && !cancel.IsSet())
    {
        size_t end = types.find(';', start);
        if (end == std::string::npos)
            end = types.size();
        if (end > start)
        {
            const std::string pattern = types.substr(start, end - start);
            for (const SFolderEntry& entry : entries)
            {
                if (cancel.IsSet())
                    break;
                if (entry.bFolder || entry.bLinkToFolder)
                    continue;
                if (!MatchWildcard(pattern.c_str(), entry.strName.c_str()))
                    continue;
                // A FIFO, socket or device is skipped like a file that cannot be read.
                CPlatformFile file;
                if (file.OpenIn(open, entry,
                                CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly))
                    SearchFile(file, prefix + entry.strName, cancel);
                else
                    m_callback.OnSkipped(prefix + entry.strName);
            }
        }
        start = end + 1;
    }

    if (cancel.IsSet() || !(m_options.m_dwFlags & CFindInFilesOptions::FlagSubfolders))
        return;
    for (const SFolderEntry& entry : entries)
    {
        if (cancel.IsSet())
            break;
        // Opened through this folder, not by path, so that no depth is too deep.
        if (!entry.bFolder)
            continue;
        CPlatformFolder sub;
        if (sub.OpenIn(open, entry.strName))
            WalkFolder(sub, prefix + entry.strName, cancel);
        else
            m_callback.OnSkipped(prefix + entry.strName);
    }
}

bool CFindInFiles::LineMatches(int nLength)
{
    // The tests see the line without its line feed.
    int nText = nLength;
    if (nText > 0 && m_lineBuffer[static_cast<size_t>(nText) - 1] == '\n')
        --nText;
    const char* text = m_lineBuffer.data();
    if (!(m_options.m_dwFlags & CFindInFilesOptions::FlagMatchCase))
    {
        LowerInto(m_foldBuffer.data(), text, static_cast<size_t>(nText));
        text = m_foldBuffer.data();
    }
    if (m_pRegex)
    {
        char* writable = const_cast<char*>(text);
        const char saved = writable[nText];
        writable[nText] = '\0';
        const bool bMatch = RegexExecute(m_pRegex, writable) == 1;
        writable[nText] = saved;
        if (bMatch)
            return true;
    }
    return ContainsText(text, static_cast<size_t>(nText), m_strNeedle);
}

void CFindInFiles::SearchFile(CPlatformFile& file, const std::string& path,
                              const CCancelEvent& cancel)
{
    file.AdviseSequential();
    const bool bMatchCase = (m_options.m_dwFlags & CFindInFilesOptions::FlagMatchCase) != 0;
    char* line = m_lineBuffer.data();
    char* block = m_readBuffer.data();
    char* folded = m_foldBlock.data();
    const int kMaxLine = kLineBufferSize - 1;
    int nLength = 0; // bytes of a line that began in an earlier block
    int nLineNumber = 0;
    bool bFileReported = false;
    bool bStop = false;
    bool bEnd = false;

    auto report = [&](const char* text, int nTextLength)
    {
        ++m_nMatchCount;
        if (!bFileReported)
        {
            m_callback.OnFile(path);
            bFileReported = true;
        }
        m_callback.OnLine(path, nLineNumber,
                          std::string_view(text, static_cast<size_t>(nTextLength)));
    };
    // A line assembled in the line buffer (it spanned blocks, was cut, or ends the file).
    auto finishBufferedLine = [&]()
    {
        ++nLineNumber;
        line[nLength] = '\0';
        if (LineMatches(nLength))
            report(line, nLength);
        nLength = 0;
        if (cancel.IsSet())
            bStop = true;
    };

    for (;;)
    {
        const int64_t nRead = bEnd ? 0 : file.Read(block, kReadBufferSize);
        if (nRead <= 0)
            break; // the end, or a read error: what was read is still searched below
        // A block that comes back short is the last one: no call is spent to learn that.
        bEnd = nRead < kReadBufferSize;
        // Every carriage return is dropped wherever it stands.
        char* end = block + nRead;
        if (char* cr = static_cast<char*>(std::memchr(block, '\r', static_cast<size_t>(nRead))))
        {
            char* out = cr;
            for (char* in = cr; in < end; ++in)
                if (*in != '\r')
                    *out++ = *in;
            end = out;
        }
        const size_t nBlock = static_cast<size_t>(end - block);
        // The tests look at a lowered copy when case is ignored; lines are reported as read.
        const char* search = block;
        if (!bMatchCase)
        {
            LowerInto(folded, block, nBlock);
            search = folded;
        }
        const char* p = block;
        // Offset of the next occurrence of the search text at or after the current line,
        // found for the whole block at once so that lines without it cost one memchr.
        size_t nextHit = 0;
        bool bHitKnown = false;
        while (p < end && !bStop)
        {
            const size_t offset = static_cast<size_t>(p - block);
            if (nLength > 0)
            {
                // Finish the line begun in an earlier block in the line buffer.
                const size_t room = static_cast<size_t>(kMaxLine - nLength);
                size_t span = std::min(static_cast<size_t>(end - p), room);
                const char* lf = static_cast<const char*>(std::memchr(p, '\n', span));
                size_t upto = lf ? static_cast<size_t>(lf - p) + 1 : span;
                std::memcpy(line + nLength, p, upto);
                nLength += static_cast<int>(upto);
                p += upto;
                if (lf || nLength == kMaxLine)
                    finishBufferedLine();
                continue;
            }
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', nBlock - offset));
            if (!lf)
            {
                // The line goes on in the next block.
                std::memcpy(line, p, nBlock - offset);
                nLength = static_cast<int>(nBlock - offset);
                break;
            }
            const size_t lineEnd = static_cast<size_t>(lf - block); // offset of the line feed
            if (!bHitKnown || nextHit < offset)
            {
                const void* hit = m_strNeedle.empty()
                                      ? search + offset
                                      : ::memmem(search + offset, nBlock - offset,
                                                 m_strNeedle.data(), m_strNeedle.size());
                nextHit =
                    hit ? static_cast<size_t>(static_cast<const char*>(hit) - search) : nBlock;
                bHitKnown = true;
            }
            ++nLineNumber;
            bool bMatch = nextHit + m_strNeedle.size() <= lineEnd;
            if (!bMatch && m_pRegex)
            {
                // The expression sees the line without its line feed: end it there for the
                // call and put the line feed back.
                char* text = const_cast<char*>(search) + offset;
                char* brk = const_cast<char*>(search) + lineEnd;
                *brk = '\0';
                bMatch = RegexExecute(m_pRegex, text) == 1;
                *brk = '\n';
            }
            if (bMatch)
                report(p, static_cast<int>(lineEnd - offset) + 1);
            p = lf + 1;
            if (cancel.IsSet())
                bStop = true;
        }
        if (bStop)
            break;
    }
    if (!bStop && nLength > 0)
        finishBufferedLine();
}

#include "encoding/TextEditBufferEx.h"

#include "encoding/UniMemFile.h"
#include "encoding/UniStdioFile.h"
#include "platform/CodePageConv.h"
#include "platform/SafeSave.h"
#include "platform/SystemInfo.h"
#include "syntax/TextEditModule.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <unistd.h>
#include <vector>

namespace
{
// The error text of a failed file operation: the system's message when a system call
// failed, else the layer's own description.
std::string ErrorTextOf(const UniError& error)
{
    if (!error.strCallName.empty())
    {
        std::string text = GetSystemErrorText(error.nError);
        return text.empty() ? std::string("?") : text;
    }
    return error.strDescription;
}

const char* EndingOfMode(int nMode)
{
    switch (nMode)
    {
    case LineEndCr:
        return "\r";
    case LineEndLf:
        return "\n";
    default:
        return "\r\n";
    }
}

int DetectLineEndMode(const TextStats& stats)
{
    if (stats.nCrLfCount >= stats.nLfCount)
        return stats.nCrLfCount >= stats.nCrCount ? LineEndCrLf : LineEndCr;
    return stats.nLfCount >= stats.nCrCount ? LineEndLf : LineEndCr;
}
} // namespace

// Records made while reading wait here and join the line array a whole block at a time.
// Owns the text blocks of the records it holds until they are handed over.
class CLoadBatch
{
public:
    explicit CLoadBatch(CTextLineArray& lines) : m_lines(lines)
    {
        m_records.reserve(CTextLineArray::kMaxBlock);
    }
    ~CLoadBatch()
    {
        for (CTarvoTextLineInfo& record : m_records)
            std::free(record.pcLine);
    }
    void Add(const CTarvoTextLineInfo& record)
    {
        m_records.push_back(record);
        if (m_records.size() == CTextLineArray::kMaxBlock)
            Flush();
    }
    void Flush()
    {
        if (m_records.empty())
            return;
        // Taken out first: should the insert fail for want of memory, the blocks leak
        // rather than being freed twice.
        std::vector<CTarvoTextLineInfo> records;
        records.swap(m_records);
        m_lines.Insert(m_lines.GetSize(), records.data(), static_cast<int>(records.size()));
        records.clear();
        records.swap(m_records);
    }

private:
    CTextLineArray& m_lines;
    std::vector<CTarvoTextLineInfo> m_records;
};

CTarvoTextEditBufferEx::CTarvoTextEditBufferEx() : m_nCodePage(GetTextCodePage())
{
}

CTarvoTextEditBufferEx::~CTarvoTextEditBufferEx() = default;

std::string CTarvoTextEditBufferEx::ExtensionOfPath(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    const size_t start = name.find_first_not_of('.', dot);
    return start == std::string::npos ? std::string() : name.substr(start);
}

void CTarvoTextEditBufferEx::SetParserForPath(const std::string& path)
{
    CTextParser* parser = nullptr;
    if (CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance())
        parser = module->GetFactory().FindByExtension(ExtensionOfPath(path));
    else if (CTextParserLookup* lookup = GetTextParserLookup())
        parser = lookup->FindParserById(0);
    SetParser(parser);
}

LoadResult CTarvoTextEditBufferEx::FailLoad(std::string& errorText, const std::string& text)
{
    errorText = text;
    InitNew(LineEndCrLf);
    return LoadFailed;
}

LoadResult CTarvoTextEditBufferEx::LoadFile(const std::string& path, int nLineEndMode, int nCodePage,
                                            std::string& errorText)
{
    errorText.clear();
    FreeAll();
    SetParserForPath(path);

    UniMemFile file;
    if (!file.OpenRead(path))
        return FailLoad(errorText, ErrorTextOf(file.GetLastFileError()));
    if (!file.ReadBom())
        file.SetCodePage(nCodePage);
    // Only text that went through a conversion can hold a CR or LF inside a line (a code
    // page whose line break is another byte); such a line is split so that no line of the
    // buffer ever holds a break.
    const bool bConverted = file.GetEncoding() != EncodingNone ||
                            !AreCodePagesEquivalent(file.GetCodePage(), file.GetDefaultCodePage());

    try
    {
        CLoadBatch batch(m_aLines);
        std::string text, ending;
        std::string previousEnding = "\n";
        for (;;)
        {
            const bool bMore = file.ReadLine(text, ending);
            if (file.GetTextStats().nZeroCount != 0)
            {
                file.Close();
                FreeAll();
                InitNew(LineEndCrLf);
                return LoadBinary;
            }
            if (!bMore && previousEnding.empty())
                break;
            if (text.size() + ending.size() > static_cast<size_t>(kMaxLineBytes))
                return FailLoad(errorText, "The file has a line too long to edit");
            const size_t body = text.size();
            text += ending;
            size_t start = 0;
            if (bConverted)
            {
                for (size_t brk; (brk = text.find_first_of("\r\n", start)) < body;)
                {
                    const size_t end = brk + (text[brk] == '\r' && brk + 1 < body && text[brk + 1] == '\n' ? 2 : 1);
                    batch.Add(MakeLineRecord(text.data() + start, static_cast<int>(end - start)));
                    start = end;
                }
            }
            batch.Add(MakeLineRecord(text.data() + start, static_cast<int>(text.size() - start)));
            previousEnding = ending;
            if (!bMore)
                break;
        }
        batch.Flush();
    }
    catch (const std::bad_alloc&)
    {
        return FailLoad(errorText, GetSystemErrorText(ENOMEM));
    }
    // A read that failed part way must not pass for the whole file.
    if (!file.GetLastFileError().IsEmpty())
        return FailLoad(errorText, ErrorTextOf(file.GetLastFileError()));

    const TextStats stats = file.GetTextStats();
    SetLineEndMode(nLineEndMode != 0 ? nLineEndMode : DetectLineEndMode(stats));
    m_ptLastChange = {-1, -1};
    m_bInit = true;
    SetModified(false);
    m_bUndoGroup = false;
    m_bUndoBeginGroup = false;
    m_nUndoLimit = kDefaultUndoLimit;
    ResetUndoHistory();
    m_nEncoding = file.GetEncoding();
    m_nCodePage = file.GetCodePage();
    SetWriteProtected(stats.nLostCount != 0);
    CheckInvariants();
    const int kinds = (stats.nCrLfCount > 0) + (stats.nLfCount > 0) + (stats.nCrCount > 0);
    file.Close();
    return kinds >= 2 ? LoadMixedEndings : LoadOk;
}

bool CTarvoTextEditBufferEx::SaveFile(const std::string& path, bool bDirect, std::string& errorText,
                                      int nLineEndMode, bool bClearModified)
{
    errorText.clear();
    if (path.empty())
    {
        errorText = GetSystemErrorText(ENOENT);
        return true;
    }
    if (nLineEndMode == 0)
        nLineEndMode = m_nLineEndMode;

    UniStdioFile file;
    file.SetEncoding(m_nEncoding == -1 ? EncodingNone : m_nEncoding);
    file.SetCodePage(m_nCodePage);

    CSafeSave safe;
    int syncFd = -1;
    auto closeSync = [&syncFd]() {
        if (syncFd >= 0)
            ::close(syncFd);
        syncFd = -1;
    };
    if (bDirect)
    {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
        {
            errorText = GetSystemErrorText(errno);
            return true;
        }
        syncFd = ::dup(fd);
        if (syncFd < 0 || !file.OpenDescriptor(fd, path))
        {
            errorText = syncFd < 0 ? GetSystemErrorText(errno) : ErrorTextOf(file.GetLastFileError());
            if (syncFd < 0)
                ::close(fd);
            closeSync();
            return true;
        }
    }
    else
    {
        if (!safe.Begin(path))
        {
            errorText = safe.GetError();
            return true;
        }
        const int fd = ::dup(safe.GetDescriptor());
        if (fd < 0 || !file.OpenDescriptor(fd, safe.GetTempPath()))
        {
            errorText = fd < 0 ? GetSystemErrorText(errno) : ErrorTextOf(file.GetLastFileError());
            return true;
        }
    }

    const int bomBytes[] = {0, 2, 2, 3};
    const int kind = m_nEncoding == -1 ? EncodingNone : m_nEncoding;
    bool bOk = file.WriteBom() == (kind >= 0 && kind <= 3 ? bomBytes[kind] : 0);
    const char* eol = EndingOfMode(nLineEndMode);
    const size_t eolLength = std::strlen(eol);
    const int lineCount = GetLineCount();
    std::string scratch;
    for (int i = 0; i < lineCount && bOk; ++i)
    {
        const CTarvoTextLineInfo& line = m_aLines[i];
        const bool bLast = i + 1 == lineCount;
        size_t endingLength = 0;
        const char* ending = nullptr;
        if (nLineEndMode == 0)
            endingLength = static_cast<size_t>(line.nEolLength), ending = line.pcLine + line.nLength;
        else if (!bLast)
            endingLength = eolLength, ending = eol;
        // The line's own ending already matches: its bytes go out as they are stored.
        if (endingLength == static_cast<size_t>(line.nEolLength) &&
            (endingLength == 0 || std::memcmp(ending, line.pcLine + line.nLength, endingLength) == 0))
        {
            bOk = file.WriteText(line.pcLine, static_cast<size_t>(line.nLength) + endingLength);
            continue;
        }
        scratch.assign(line.pcLine, static_cast<size_t>(line.nLength));
        scratch.append(ending, endingLength);
        bOk = file.WriteText(scratch);
    }
    const int nLost = file.GetTextStats().nLostCount;
    bOk = bOk && file.Flush();
    if (!bOk)
        errorText = ErrorTextOf(file.GetLastFileError());
    file.Close();
    if (bOk && !file.GetLastFileError().IsEmpty())
    {
        bOk = false;
        errorText = ErrorTextOf(file.GetLastFileError());
    }
    if (bDirect)
    {
        if (bOk && ::fsync(syncFd) != 0)
        {
            bOk = false;
            errorText = GetSystemErrorText(errno);
        }
        closeSync();
    }
    else if (bOk && !safe.Commit())
    {
        bOk = false;
        errorText = safe.GetError();
    }
    if (!bOk)
    {
        if (errorText.empty())
            errorText = GetSystemErrorText(EIO);
        return true;
    }

    m_nLastSaveLost = nLost;
    if (bClearModified)
    {
        SetModified(false);
        MarkSavedPosition();
    }
    if (!bDirect && m_bTrackChanges)
    {
        SetSavedRevision(GetRevision());
        NotifyViews(nullptr, nullptr, HintLineMarks, -1);
    }
    return false;
}

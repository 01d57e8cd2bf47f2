#include "encoding/TextEditBufferEx.h"

#include "encoding/UniMemFile.h"
#include "encoding/UniStdioFile.h"
#include "platform/CodePageConv.h"
#include "platform/SafeSave.h"
#include "platform/SystemInfo.h"
#include "syntax/TextEditModule.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
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

CTarvoTextEditBufferEx::CTarvoTextEditBufferEx() : m_nCodePage(GetTextCodePage()) {}

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

bool CTarvoTextEditBufferEx::SetParserForPath(const std::string& path)
{
    CTextParser* parser = nullptr;
    bool bNamed = true;
    if (CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance())
    {
        const CSyntaxParserFactory& factory = module->GetFactory();
        parser = factory.MatchFileName(path);
        if (parser == nullptr)
        {
            bNamed = false;
            parser = factory.FindByExtension(std::string());
        }
    }
    else if (CTextParserLookup* lookup = GetTextParserLookup())
        parser = lookup->FindParserById(0);
    SetParser(parser);
    return bNamed;
}

void CTarvoTextEditBufferEx::SetParserFromFirstLines()
{
    CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance();
    if (module == nullptr)
        return;
    std::string lines[2];
    int i = 0;
    // Visited, not indexed: a loaded file keeps its lines packed until they are looked at.
    m_aLines.VisitLines(0, 2,
                        [&](const CTarvoTextLineInfo& line)
                        { lines[i++].assign(line.pcLine, static_cast<size_t>(line.nLength)); });
    if (CSyntaxParser* parser = module->GetFactory().FindByFirstLines(lines[0], lines[1]))
        SetParser(parser);
}

LoadResult CTarvoTextEditBufferEx::FailLoad(std::string& errorText, const std::string& text)
{
    errorText = text;
    InitNew(LineEndCrLf);
    return LoadFailed;
}

LoadResult CTarvoTextEditBufferEx::LoadFile(const std::string& path, int nLineEndMode,
                                            int nCodePage, std::string& errorText)
{
    errorText.clear();
    FreeAll();
    // A name that names no parser leaves the choice to the first lines ("#!/bin/sh", a mode
    // line), read once the file is in.
    const bool bNamedParser = SetParserForPath(path);

    UniMemFile file;
    if (!file.OpenRead(path))
        return FailLoad(errorText, ErrorTextOf(file.GetLastFileError()));
    if (!file.ReadBom())
        file.SetCodePage(nCodePage);
    // Only text that went through a conversion can hold a CR or LF inside a line (a code
    // page whose line break is another byte); such a line is split so that no line of the
    // buffer ever holds a break.
    // The lines are packed into slabs sized after the file, so a small file takes little
    // room and a large one few, large pieces; their records are made when they are first
    // looked at (CTextLineArray::AppendPacked).
    const size_t slabBytes = static_cast<size_t>(std::clamp<int64_t>(
        file.GetFileSize() + file.GetFileSize() / 4 + 4096, 64 * 1024, 32 * 1024 * 1024));
    const bool bConverted = file.GetEncoding() != EncodingNone ||
                            !AreCodePagesEquivalent(file.GetCodePage(), file.GetDefaultCodePage());

    bool bBinary = false, bTooLong = false;
    try
    {
        // The lines are taken in place, many at a time, not copied out of the file's buffer
        // first.
        constexpr size_t kViews = 256;
        UniMemFile::SLineView views[kViews];
        size_t previousEolLength = 1; // as if a line with an ending came before the first
        bool bDone = false;
        while (!bDone)
        {
            const size_t count = file.ReadLineViews(views, kViews);
            // Only the last view of a batch can have met a zero byte.
            if (file.GetTextStats().nZeroCount != 0)
            {
                bBinary = true;
                break;
            }
            for (size_t i = 0; i < count; ++i)
            {
                const UniMemFile::SLineView& line = views[i];
                if (!line.bMore && previousEolLength == 0)
                {
                    bDone = true;
                    break;
                }
                const size_t body = line.nLength;
                const size_t total = body + line.nEolLength;
                if (total > static_cast<size_t>(kMaxLineBytes))
                {
                    bTooLong = bDone = true;
                    break;
                }
                const char* text = line.pText;
                size_t start = 0;
                if (bConverted)
                {
                    // Packed lines end at their zero byte; no conversion makes one out of
                    // other characters, but should one appear, the file is not text.
                    if (std::memchr(text, '\0', total) != nullptr)
                    {
                        bBinary = bDone = true;
                        break;
                    }
                    for (size_t brk = start; brk < body; ++brk)
                    {
                        if (text[brk] != '\r' && text[brk] != '\n')
                            continue;
                        const size_t end =
                            brk +
                            (text[brk] == '\r' && brk + 1 < body && text[brk + 1] == '\n' ? 2 : 1);
                        PackLine(text + start, static_cast<int>(end - start), slabBytes);
                        start = end;
                        brk = end - 1;
                    }
                }
                PackLine(text + start, static_cast<int>(total - start), slabBytes);
                previousEolLength = line.nEolLength;
                if (!line.bMore)
                {
                    bDone = true;
                    break;
                }
            }
        }
        // Lines packed on the ways out below are dropped with the slabs.
        if (!bBinary && !bTooLong)
            FlushPackedLines();
    }
    catch (const std::bad_alloc&)
    {
        return FailLoad(errorText, GetSystemErrorText(ENOMEM));
    }
    if (bBinary)
    {
        file.Close();
        InitNew(LineEndCrLf);
        return LoadBinary;
    }
    if (bTooLong)
        return FailLoad(errorText, "The file has a line too long to edit");
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
    if (!bNamedParser)
        SetParserFromFirstLines();
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
    CPlatformFile target;
    if (bDirect)
    {
        if (!target.Open(path, CPlatformFile::OpenReadWrite | CPlatformFile::OpenCreate |
                                   CPlatformFile::OpenTruncate))
        {
            errorText = target.GetErrorText();
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
        if (!safe.OpenTempFile(target))
        {
            errorText = safe.GetError();
            return true;
        }
    }
    if (!file.OpenFile(std::move(target), bDirect ? path : safe.GetTempPath()))
    {
        errorText = ErrorTextOf(file.GetLastFileError());
        return true;
    }

    const int bomBytes[] = {0, 2, 2, 3};
    const int kind = m_nEncoding == -1 ? EncodingNone : m_nEncoding;
    bool bOk = file.WriteBom() == (kind >= 0 && kind <= 3 ? bomBytes[kind] : 0);
    const char* eol = EndingOfMode(nLineEndMode);
    const size_t eolLength = std::strlen(eol);
    const int lineCount = GetLineCount();
    // Whole lines are gathered into chunks of about a megabyte, each written (and
    // converted) at once: the same bytes as line by line, without a call per line.
    constexpr size_t kChunkBytes = 1 << 20;
    std::string chunk;
    chunk.reserve(kChunkBytes + 64);
    // Visited, not indexed: saving a file that was only opened makes no line records.
    int i = 0;
    m_aLines.VisitLines(0, lineCount,
                        [&](const CTarvoTextLineInfo& line)
                        {
                            ++i;
                            if (!bOk)
                                return;
                            chunk.append(line.pcLine, static_cast<size_t>(line.nLength));
                            if (nLineEndMode == 0)
                                chunk.append(line.pcLine + line.nLength,
                                             static_cast<size_t>(line.nEolLength));
                            else if (i < lineCount)
                                chunk.append(eol, eolLength);
                            if (chunk.size() >= kChunkBytes)
                            {
                                bOk = file.WriteText(chunk);
                                chunk.clear();
                            }
                        });
    if (bOk && !chunk.empty())
        bOk = file.WriteText(chunk);
    const int nLost = file.GetTextStats().nLostCount;
    // A direct save has no commit to sync the file: it is synced here.
    bOk = bOk && (bDirect ? file.Sync() : file.Flush());
    if (!bOk)
        errorText = ErrorTextOf(file.GetLastFileError());
    file.Close();
    if (bOk && !file.GetLastFileError().IsEmpty())
    {
        bOk = false;
        errorText = ErrorTextOf(file.GetLastFileError());
    }
    if (bOk && !bDirect && !safe.Commit())
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

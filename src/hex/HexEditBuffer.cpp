#include "hex/HexEditBuffer.h"

#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/Folders.h"
#include "platform/SafeSave.h"
#include "platform/TempFile.h"
#include "platform/WriteBehind.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace
{

// Write blocks are this size: large enough that the system calls cost little next to the
// bytes they move, small enough that saving never allocates in proportion to the file.
constexpr uint32_t kWriteBlock = uint32_t(1) << 20;
// A run of file bytes at least this long is copied file to file by the platform (within
// one file system the system moves the bytes itself); a shorter one is gathered into the
// write block with its neighbours, so that many small pieces still make few writes.
constexpr uint32_t kCopyDirect = kWriteBlock;

// The first record block is never smaller than this, so that a run of typing grows a
// record without reallocating.
constexpr size_t kMinRecordBlock = 5;

enum class EReasonColumn
{
    Open,
    Write,
};

bool IsReadOnlyFile(const std::string& path, const SFileStatus& status)
{
    // The permission bits count even for a user who could override them, as a
    // read-only attribute does.
    if ((status.nMode & 0222) == 0)
    {
        return true;
    }
    CPlatformFile probe; // opening for writing changes nothing in a regular file
    return !probe.Open(path, CPlatformFile::OpenWrite | CPlatformFile::OpenRegularOnly);
}

// The text appended to a file name when opening or creating it failed with nError.
std::string FileErrorReason(int nError, const std::string& path, EReasonColumn column)
{
    const bool bOpen = column == EReasonColumn::Open;
    switch (nError)
    {
    case ENOENT:
        if (IsDirectory(FolderOfPath(path)) || FolderOfPath(path).empty())
        {
            return bOpen ? "\rdoes not exist" : "\rcould not be opened (reason unknown)";
        }
        return bOpen ? "\ris an invalid file name or the drive/path does not exist"
                     : "\ris an invalid file name";
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return bOpen ? "\ris an invalid file name or the drive/path does not exist"
                     : "\ris an invalid file name";
    case EMFILE:
    case ENFILE:
        return "\r- too many files already open";
    case EISDIR:
        return "\ris a directory";
    case EACCES:
    case EPERM:
    case EROFS:
    {
        SFileStatus status;
        if (!GetFileStatus(path, status))
        {
            return bOpen ? "\rdoes not exist" : "\rcannot be created";
        }
        if (status.type == EFileType::Folder)
        {
            return "\ris a directory";
        }
        if (status.type != EFileType::Regular)
        {
            return "\ris a special file";
        }
        if (!bOpen && IsReadOnlyFile(path, status))
        {
            return "\ris a read only file";
        }
        return "\rcannot be used (reason unknown)";
    }
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return bOpen ? "\rcould not be opened (reason unknown)" : "\r- directory is full";
    case EIO:
        return "\r- hardware error";
    case EAGAIN:
    case ETXTBSY:
    case EBUSY:
        return "\ris in use";
    default:
        return "\rcould not be opened (reason unknown)";
    }
}

std::string WriteErrorText(int nError)
{
    switch (nError)
    {
    case EIO:
        return "Error writing file\r- hardware error";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "Error writing file\r- disk full";
    case EAGAIN:
    case ETXTBSY:
        return "File locked error";
    default:
        return "Error writing file";
    }
}

// Shown when the data to be written cannot be read back: the open file was cut short or
// became unreadable underneath the buffer.
const char* const kSourceLostText =
    "Error writing file\r- the file being edited has become shorter or unreadable";

// Appended when an in-place save stopped after writing some of the changes.
const char* const kPartlyWrittenText =
    "\rThe file now holds only part of the changes. Saving again writes all of them.";

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

bool SameFile(CPlatformFile& file, const std::string& path)
{
    SFileStatus open;
    SFileStatus named;
    return file.IsOpen() && file.GetStatus(open) && GetFileStatus(path, named) &&
           open.IsSameFile(named);
}

// Opens path with the sharing asked for. A file system without locks must not make every
// file unmodifiable, so only a lock held by someone else counts as a refusal (bConflict);
// otherwise the file is opened without a lock. Returns 0 or the errno value.
int OpenSharing(CPlatformFile& file, const std::string& path, unsigned nFlags,
                CPlatformFile::EShare share, bool& bConflict)
{
    bConflict = false;
    if (file.Open(path, nFlags, share))
    {
        return 0;
    }
    const int nError = file.GetErrorNumber();
    // An open refused as such is refused without a lock as well, with its own reason.
    if (!file.Open(path, nFlags, CPlatformFile::EShare::All))
    {
        return file.GetErrorNumber();
    }
    if (IsLockConflict(nError))
    {
        file.Close();
        bConflict = true;
        return nError;
    }
    return 0;
}

// The reason appended to a name for a failed open of it: a refused type has a text of its
// own.
std::string OpenFailureReason(const CPlatformFile& file, int nError, const std::string& path,
                              EReasonColumn column)
{
    if (nError == EINVAL && file.GetErrorText() == CPlatformFile::kNotRegularText)
    {
        return "\ris a special file";
    }
    return FileErrorReason(nError, path, column);
}

} // namespace

CTarvoHexEditBuffer::CTarvoHexEditBuffer()
{
    m_records.reserve(128);
}

CTarvoHexEditBuffer::~CTarvoHexEditBuffer()
{
    Close();
}

void CTarvoHexEditBuffer::SetMessageSink(CHexMessageSink* pSink)
{
    m_pMessages = pSink;
}

void CTarvoHexEditBuffer::ShowMessage(const std::string& strText) const
{
    if (m_pMessages != nullptr)
    {
        m_pMessages->ShowMessage(strText);
    }
}

void CTarvoHexEditBuffer::SetModified(bool bModified)
{
    m_bModified = bModified;
}

void CTarvoHexEditBuffer::UpdateAllViews(CHexBufferView* pSender, long nHintCode,
                                         CHexUpdateHint* pHint)
{
    // A view may detach itself while it handles the hint; walk a copy.
    const std::vector<CHexBufferView*> views = m_views;
    for (CHexBufferView* pView : views)
    {
        pView->OnBufferUpdate(pSender, nHintCode, pHint);
    }
}

int CTarvoHexEditBuffer::AddView(CHexBufferView* pView)
{
    m_views.push_back(pView);
    return static_cast<int>(m_views.size()) - 1;
}

void CTarvoHexEditBuffer::RemoveView(CHexBufferView* pView)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), pView), m_views.end());
}

bool CTarvoHexEditBuffer::CanModify() const
{
    return !m_bSharedAccess && !m_bReadOnly;
}

// ---------------------------------------------------------------------------------------
// Opening and closing

bool CTarvoHexEditBuffer::OpenFile(const std::string& path, SOpenFile& opened, bool bQuiet)
{
    auto fail = [&](const std::string& strText)
    {
        if (!bQuiet)
        {
            ShowMessage(strText);
        }
        return false;
    };
    SFileStatus status;
    if (GetFileStatus(path, status))
    {
        // A folder opens for reading here, and a pipe or device has no stable bytes to
        // page through; neither is a file the hex editor can hold.
        if (status.type == EFileType::Folder)
        {
            return fail(path + "\ris a directory");
        }
        if (status.type != EFileType::Regular)
        {
            return fail(path + "\ris a special file");
        }
    }

    // Read and write, nobody else writing; then read only, nobody else writing; then
    // read only while another program may write.
    using F = CPlatformFile;
    CPlatformFile& file = opened.m_file;
    bool bConflict = false;
    int nError =
        OpenSharing(file, path, F::OpenReadWrite | F::OpenRegularOnly, F::EShare::None, bConflict);
    if (nError != 0)
    {
        nError = OpenSharing(file, path, F::OpenRead | F::OpenRegularOnly, F::EShare::ReadOnly,
                             bConflict);
        if (nError == 0)
        {
            opened.m_bReadOnlyAccess = true;
        }
        else if (bConflict)
        {
            nError = file.Open(path, F::OpenRead | F::OpenRegularOnly) ? 0 : file.GetErrorNumber();
            opened.m_bSharedAccess = nError == 0;
        }
    }
    if (nError != 0)
    {
        return fail(path + OpenFailureReason(file, nError, path, EReasonColumn::Open));
    }

    const int64_t nSize = file.GetSize();
    if (nSize < 0)
    {
        const int nSizeError = file.GetErrorNumber();
        file.Close();
        return fail(path + FileErrorReason(nSizeError, path, EReasonColumn::Open));
    }
    // Positions are 32-bit: a longer file would silently lose its tail.
    if (static_cast<uint64_t>(nSize) > UINT32_MAX)
    {
        file.Close();
        return fail(path + "\ris too large for the hex editor (4 GiB or more)");
    }
    opened.m_nLength = static_cast<uint32_t>(nSize);
    return true;
}

void CTarvoHexEditBuffer::AdoptFile(SOpenFile& opened, const std::string& path)
{
    CloseFile();
    m_file = std::move(opened.m_file);
    m_bReadOnlyAccess = opened.m_bReadOnlyAccess;
    m_bSharedAccess = opened.m_bSharedAccess;
    m_nFileLength = opened.m_nLength;
    m_strPath = path;
    m_strResolvedPath = ResolveFinalLinks(path);
}

void CTarvoHexEditBuffer::CloseFile()
{
    m_file.Close(); // also ends the lock
    m_nFileLength = 0;
}

// A failed open leaves the buffer as it was, so that a file still open keeps the access
// flags that describe it.
bool CTarvoHexEditBuffer::Open(const std::string& path)
{
    SOpenFile opened;
    if (!OpenFile(path, opened))
    {
        return false;
    }
    AdoptFile(opened, path);
    m_bReadOnly = false;
    return true;
}

void CTarvoHexEditBuffer::AttachFileData()
{
    m_nLength = m_nFileLength;
    m_pLastSender = nullptr;
    // Records of other data cannot be undone over this one.
    m_records.clear();
    m_overwrittenBytes.clear();
    m_bPartlySaved = false;
    m_pieces.Reset(SHexPiece{'f', m_nFileLength, 0, nullptr});
}

void CTarvoHexEditBuffer::Close()
{
    CloseFile();
    m_records.clear();
    m_overwrittenBytes.clear();
    m_bPartlySaved = false;
    m_pieces.Clear();
    m_bReadOnlyAccess = false;
    m_bSharedAccess = false;
    m_bReadOnly = false;
    m_nLength = 0;
    m_pLastSender = nullptr;
    m_strPath.clear();
    m_strResolvedPath.clear();
    SetModified(false);
}

// ---------------------------------------------------------------------------------------
// Records and pieces

int32_t CTarvoHexEditBuffer::AddRecord(uint32_t nType, uint32_t nOffset, uint32_t nCount,
                                       const uint8_t* pData)
{
    SHexChangeRecord record;
    record.m_nType = nType;
    record.m_nCount = nCount;
    record.m_nOffset = nOffset;
    if (pData != nullptr)
    {
        record.m_data.reserve(std::max<size_t>(kMinRecordBlock, nCount));
        record.m_data.assign(pData, pData + nCount);
    }
    m_records.push_back(std::move(record));
    return static_cast<int32_t>(m_records.size()) - 1;
}

bool CTarvoHexEditBuffer::RemoveLastRecord()
{
    if (!m_records.empty())
    {
        m_records.pop_back();
    }
    return true;
}

// A change takes out the bytes it replaces or deletes (a replacement reaching beyond the
// end takes out only what is there) and puts its own bytes in their place; the pieces it
// took out are kept in the record for its undo.
void CTarvoHexEditBuffer::ApplyRecord(SHexChangeRecord& record)
{
    record.m_removed.clear();
    const bool bHasData = record.m_nType == kInsert || record.m_nType == kReplace ||
                          record.m_nType == kReplaceBackward;
    const bool bDeletes = record.m_nType == kDelete || record.m_nType == kDeleteBackward;
    if ((!bHasData && !bDeletes) || (bHasData && record.m_data.size() < record.m_nCount))
    {
        return;
    }
    const uint32_t nRemove = record.m_nType == kInsert ? 0 : record.m_nCount;
    const SHexPiece piece{'m', record.m_nCount, 0, record.m_data.data()};
    m_pieces.Splice(record.m_nOffset, nRemove, &piece, bHasData ? 1 : 0, &record.m_removed);
}

// The reverse of ApplyRecord, valid while the record is the newest: its own bytes lie as
// it put them, and the pieces it took out can go back where they were.
void CTarvoHexEditBuffer::UnapplyRecord(SHexChangeRecord& record)
{
    const bool bHasData = record.m_nType == kInsert || record.m_nType == kReplace ||
                          record.m_nType == kReplaceBackward;
    const bool bApplied = bHasData ? record.m_data.size() >= record.m_nCount
                                   : record.m_nType == kDelete || record.m_nType == kDeleteBackward;
    if (!bApplied)
    {
        return;
    }
    m_pieces.Splice(record.m_nOffset, bHasData ? record.m_nCount : 0, record.m_removed.data(),
                    record.m_removed.size(), nullptr);
    record.m_removed.clear();
}

void CTarvoHexEditBuffer::CheckInvariants() const
{
#ifndef NDEBUG
    assert(m_pieces.GetLength() == m_nLength);
    assert(m_pieces.IsConsistent(m_file.IsOpen() ? m_nFileLength : 0));
#endif
}

namespace
{

// Whether a change continues the newest record, so that merging the two describes the
// same bytes as applying them one after the other.
bool ContinuesRecord(const SHexChangeRecord& last, uint32_t nType, uint32_t nOffset,
                     uint32_t nCount, int nSequence)
{
    if (last.m_nType != nType)
    {
        return false;
    }
    switch (nType)
    {
    case CTarvoHexEditBuffer::kDelete:
        return nOffset == last.m_nOffset;
    case CTarvoHexEditBuffer::kDeleteBackward:
    case CTarvoHexEditBuffer::kReplaceBackward:
        return uint64_t(nOffset) + nCount == last.m_nOffset;
    case CTarvoHexEditBuffer::kInsert:
    case CTarvoHexEditBuffer::kReplace:
    {
        const uint64_t nEnd = uint64_t(last.m_nOffset) + last.m_nCount;
        // Only the second hex digit of a byte (odd sequence) rewrites the last byte.
        const bool bSecondDigit = nSequence % 2 != 0 && nCount == 1;
        return nOffset == nEnd || (bSecondDigit && last.m_nCount > 0 && nOffset + 1ull == nEnd);
    }
    default:
        return false;
    }
}

} // namespace

// Merge rules: a change joins the newest record when the typing sequence is odd and one
// byte changes (the second hex digit of a byte, or the next overtype backspace), or when
// the sequence is running and the record stays below 5 bytes; so a run of typing shares
// records of at most 4 bytes and both digits of a byte share one. A change that does not
// continue the newest record (another type or a position that does not adjoin) starts a
// record of its own, whatever the sequence says.
bool CTarvoHexEditBuffer::Change(uint32_t nType, uint32_t nOffset, uint32_t nCount,
                                 const uint8_t* pData, int nSequence, CHexBufferView* pSender)
{
    const bool bHasData = nType == kInsert || nType == kReplace || nType == kReplaceBackward;
    const bool bDeletes = nType == kDelete || nType == kDeleteBackward;
    if ((!bHasData && !bDeletes) || nOffset > m_nLength || nCount == 0 ||
        (bHasData && pData == nullptr))
    {
        return false;
    }
    if (bDeletes)
    {
        nCount = std::min(nCount, m_nLength - nOffset);
        if (nCount == 0)
        {
            return false;
        }
    }
    // Positions are 32-bit: the data must stay below 4 GiB.
    if ((bHasData && uint64_t(nOffset) + nCount > UINT32_MAX) ||
        (nType == kInsert && uint64_t(m_nLength) + nCount > UINT32_MAX))
    {
        return false;
    }

    uint32_t n = nCount;
    int32_t nRecord = -1;
    const bool bMergeWanted =
        !m_records.empty() && ((nSequence % 2 != 0 && nCount == 1) ||
                               (nSequence > 0 && uint64_t(m_records.back().m_nCount) + nCount < 5));
    if (bMergeWanted && ContinuesRecord(m_records.back(), nType, nOffset, nCount, nSequence))
    {
        // The newest record is taken out of the pieces, grown, and put back: a few splices
        // of its own range, and its data may move while it is out.
        SHexChangeRecord& last = m_records.back();
        UnapplyRecord(last);
        switch (nType)
        {
        case kDelete:
            last.m_nCount += nCount;
            break;
        case kDeleteBackward:
            last.m_nOffset = nOffset;
            last.m_nCount += nCount;
            break;
        case kReplaceBackward:
            last.m_data.insert(last.m_data.begin(), pData, pData + nCount);
            last.m_nOffset = nOffset;
            last.m_nCount += nCount;
            break;
        default: // kInsert, kReplace
            if (nOffset == last.m_nOffset + last.m_nCount)
            {
                last.m_data.insert(last.m_data.end(), pData, pData + nCount);
            }
            else
            {
                // A second hex digit rewrites the byte the first digit made.
                const size_t nAt = last.m_nCount - 1;
                last.m_data.resize(std::max(last.m_data.size(), nAt + nCount));
                std::copy(pData, pData + nCount, last.m_data.begin() + static_cast<ptrdiff_t>(nAt));
                n = nCount - 1;
            }
            last.m_nCount += n;
            break;
        }
        ApplyRecord(last);
    }
    else
    {
        nRecord = AddRecord(nType, nOffset, nCount, bHasData ? pData : nullptr);
        ApplyRecord(m_records.back());
    }
    m_pLastSender = pSender;

    switch (nType)
    {
    case kDelete:
    case kDeleteBackward:
        m_nLength -= n;
        break;
    case kInsert:
        m_nLength += n;
        break;
    default: // a replacement reaching beyond the end extends the data
        m_nLength =
            static_cast<uint32_t>(std::max<uint64_t>(m_nLength, uint64_t(nOffset) + nCount));
        break;
    }
    CheckInvariants();

    CHexHint hint(nType, n, nOffset, pSender, nRecord, false);
    if (nType == kInsert && n == 0)
    {
        hint.m_nType = kReplace;
        hint.m_nCount = 1;
    }
    SetModified(true);
    UpdateAllViews(nullptr, 0, &hint);
    return true;
}

bool CTarvoHexEditBuffer::Undo(CHexBufferView* pSender, int32_t nRecord)
{
    if (m_records.empty())
    {
        return false;
    }
    CUndoHint undoHint(pSender, nRecord);
    UpdateAllViews(nullptr, 0, &undoHint);

    SHexChangeRecord& last = m_records.back();
    uint32_t nReverse = kReplace;
    if (last.m_nType == kInsert)
    {
        nReverse = kDelete;
    }
    else if (last.m_nType == kDelete || last.m_nType == kDeleteBackward)
    {
        nReverse = kInsert;
    }
    CHexHint hint(nReverse, last.m_nCount, last.m_nOffset, pSender, nRecord, true);

    // The length follows the pieces: a replacement that extended the data shrinks it
    // again, which the record's count alone cannot tell.
    UnapplyRecord(last);
    m_nLength = static_cast<uint32_t>(m_pieces.GetLength());
    RemoveLastRecord();
    // After an in-place save stopped part way the file differs from the data even with
    // every change undone.
    if (m_records.empty() && !m_bPartlySaved)
    {
        SetModified(false);
    }
    CheckInvariants();
    UpdateAllViews(nullptr, 0, &hint);
    return true;
}

// ---------------------------------------------------------------------------------------
// Reading

uint32_t CTarvoHexEditBuffer::ReadData(uint8_t* pDest, uint32_t nCount, uint32_t nOffset) const
{
    if (nCount == 0 || nOffset >= m_nLength)
    {
        return 0;
    }
    uint32_t nCopied = 0;
    bool bShort = false;
    m_pieces.VisitFrom(
        nOffset,
        [&](const SHexPiece& piece, uint64_t nPieceStart)
        {
            const uint32_t nInPiece = static_cast<uint32_t>(nOffset + nCopied - nPieceStart);
            const uint32_t nTake = std::min(nCount - nCopied, piece.m_nLength - nInPiece);
            if (piece.m_cKind == 'm')
            {
                std::memcpy(pDest + nCopied, piece.m_pData + nInPiece, nTake);
                nCopied += nTake;
            }
            else
            {
                const int64_t nRead =
                    m_file.ReadAt(pDest + nCopied, nTake, int64_t(piece.m_nSource) + nInPiece);
                const uint32_t nGot = nRead > 0 ? static_cast<uint32_t>(nRead) : 0;
                nCopied += nGot;
                bShort = nGot < nTake;
            }
            return !bShort && nCopied < nCount;
        });
    return nCopied;
}

// ---------------------------------------------------------------------------------------
// Writing and saving

bool CTarvoHexEditBuffer::WriteRangeToFile(CPlatformFile& file, uint32_t nFrom, uint32_t nTo,
                                           int64_t nAt, CWriteBehind* pBehind)
{
    if (nFrom >= nTo)
    {
        return true;
    }
    std::vector<uint8_t> block(std::min(kWriteBlock, nTo - nFrom));
    size_t nHeld = 0;   // bytes gathered in the block
    int64_t nOut = nAt; // where the next byte goes in the file
    bool bOk = true;
    auto fail = [&](const std::string& text)
    {
        ShowMessage(text);
        bOk = false;
        return false;
    };
    auto flush = [&]()
    {
        if (nHeld > 0 && !file.WriteAt(block.data(), nHeld, nOut))
        {
            return fail(WriteErrorText(file.GetErrorNumber()));
        }
        nOut += static_cast<int64_t>(nHeld);
        nHeld = 0;
        if (pBehind != nullptr)
        {
            pBehind->Written(nOut);
        }
        return true;
    };
    uint32_t nPosition = nFrom;
    m_pieces.VisitFrom(
        nFrom,
        [&](const SHexPiece& piece, uint64_t nPieceStart)
        {
            uint32_t nInPiece = static_cast<uint32_t>(nPosition - nPieceStart);
            uint32_t nTake = std::min(nTo - nPosition, piece.m_nLength - nInPiece);
            if (piece.m_cKind == 'f' && nTake >= kCopyDirect)
            {
                if (!flush())
                {
                    return false;
                }
                const int64_t nCopied = file.CopyRangeFrom(
                    m_file, int64_t(piece.m_nSource) + nInPiece, nTake, nOut, pBehind);
                if (nCopied < 0)
                {
                    return fail(WriteErrorText(file.GetErrorNumber()));
                }
                if (nCopied < nTake)
                {
                    return fail(kSourceLostText);
                }
                nOut += nCopied;
                nPosition += nTake;
                return nPosition < nTo;
            }
            while (nTake > 0)
            {
                const uint32_t nPart = std::min(nTake, static_cast<uint32_t>(block.size() - nHeld));
                if (piece.m_cKind == 'm')
                {
                    std::memcpy(block.data() + nHeld, piece.m_pData + nInPiece, nPart);
                }
                else if (m_file.ReadAt(block.data() + nHeld, nPart,
                                       int64_t(piece.m_nSource) + nInPiece) != int64_t(nPart))
                {
                    return fail(kSourceLostText);
                }
                nHeld += nPart;
                nInPiece += nPart;
                nTake -= nPart;
                nPosition += nPart;
                if (nHeld == block.size() && !flush())
                {
                    return false;
                }
            }
            return nPosition < nTo;
        });
    if (bOk && nPosition < nTo)
    {
        return fail(kSourceLostText);
    }
    return bOk && flush();
}

bool CTarvoHexEditBuffer::WriteRange(const std::string& path, uint32_t nFrom, uint32_t nTo,
                                     bool bAppend)
{
    nTo = std::min(nTo, m_nLength);
    nFrom = std::min(nFrom, nTo);
    // Writing over the file the data is read from would destroy what is being written.
    if (SameFile(m_file, path))
    {
        ShowMessage("File " + Quoted(path) + "\ris in use");
        return false;
    }
    // Nobody else may use it while it is written; it is cut only once the lock is held.
    using F = CPlatformFile;
    CPlatformFile out;
    bool bConflict = false;
    const int nError =
        OpenSharing(out, path, F::OpenWrite | F::OpenRegularOnly | (bAppend ? 0u : F::OpenCreate),
                    F::EShare::None, bConflict);
    if (nError != 0)
    {
        ShowMessage("File " + Quoted(path) +
                    (bConflict ? std::string("\ris in use")
                               : OpenFailureReason(out, nError, path, EReasonColumn::Write)));
        return false;
    }
    const int64_t nOldSize = bAppend ? out.GetSize() : 0;
    if (nOldSize < 0 || !(bAppend ? out.Seek(nOldSize) : out.SetSize(0)))
    {
        ShowMessage(WriteErrorText(out.GetErrorNumber()));
        return false;
    }
    if (!WriteRangeToFile(out, nFrom, nTo, nOldSize))
    {
        // An appended file keeps what it held before; a new one goes.
        if (bAppend)
        {
            out.SetSize(nOldSize);
            out.Close();
        }
        else
        {
            out.Close();
            RemoveFile(path);
        }
        return false;
    }
    if (!out.Close())
    {
        ShowMessage(WriteErrorText(out.GetErrorNumber()));
        if (!bAppend)
        {
            RemoveFile(path);
        }
        return false;
    }
    return true;
}

bool CTarvoHexEditBuffer::CanSaveInPlace() const
{
    if (!m_file.IsOpen() || m_bReadOnlyAccess || m_bSharedAccess || m_nLength != m_nFileLength)
    {
        return false;
    }
    bool bInPlace = true;
    m_pieces.VisitFrom(0,
                       [&](const SHexPiece& piece, uint64_t nStart)
                       {
                           bInPlace = piece.m_cKind != 'f' || piece.m_nSource == nStart;
                           return bInPlace;
                       });
    return bInPlace;
}

bool CTarvoHexEditBuffer::CanReadEveryPiece() const
{
    const int64_t nFileSize = m_file.IsOpen() ? m_file.GetSize() : 0;
    const uint64_t nSize = nFileSize > 0 ? static_cast<uint64_t>(nFileSize) : 0;
    bool bReadable = true;
    m_pieces.VisitFrom(0,
                       [&](const SHexPiece& piece, uint64_t)
                       {
                           bReadable = piece.m_cKind != 'f' ||
                                       uint64_t(piece.m_nSource) + piece.m_nLength <= nSize;
                           return bReadable;
                       });
    return bReadable;
}

// Each changed run is written over the bytes it replaces. Those bytes are read first: if
// the save stops part way, the records still describe every change (so that saving again
// writes them all), but an undo would take the replaced bytes back from the file, which
// now holds new ones there; the records are pointed at the bytes read instead.
bool CTarvoHexEditBuffer::SaveInPlace()
{
    std::vector<SOverwritten> overwritten;
    int nError = 0;
    m_pieces.VisitFrom(
        0,
        [&](const SHexPiece& piece, uint64_t nStart)
        {
            if (piece.m_cKind != 'm')
            {
                return true;
            }
            SOverwritten old;
            old.m_nPosition = static_cast<uint32_t>(nStart);
            old.m_old.resize(piece.m_nLength);
            const int64_t nRead = m_file.ReadAt(old.m_old.data(), piece.m_nLength, int64_t(nStart));
            if (nRead != int64_t(piece.m_nLength))
            {
                nError = nRead < 0 ? m_file.GetErrorNumber() : EIO;
                return false;
            }
            if (m_file.WriteAt(piece.m_pData, piece.m_nLength, int64_t(nStart)))
            {
                overwritten.push_back(std::move(old));
                return true;
            }
            nError = m_file.GetErrorNumber();
            // A failed write may still have written a part of the run; what the file holds
            // there now tells.
            std::vector<uint8_t> now(piece.m_nLength);
            if (m_file.ReadAt(now.data(), now.size(), int64_t(nStart)) != int64_t(now.size()) ||
                now != old.m_old)
            {
                overwritten.push_back(std::move(old));
            }
            return false;
        });
    if (nError == 0 && !m_file.Sync() && m_file.GetErrorNumber() != EINVAL)
    {
        nError = m_file.GetErrorNumber();
    }
    if (nError == 0)
    {
        return true;
    }
    std::string text = WriteErrorText(nError);
    if (!overwritten.empty())
    {
        KeepOverwrittenBytes(overwritten);
        m_bPartlySaved = true;
        text += kPartlyWrittenText;
    }
    ShowMessage(text);
    return false;
}

void CTarvoHexEditBuffer::KeepOverwrittenBytes(std::vector<SOverwritten>& overwritten)
{
    // overwritten is in file order and its runs do not overlap.
    for (SHexChangeRecord& record : m_records)
    {
        std::vector<SHexPiece> patched;
        patched.reserve(record.m_removed.size());
        for (const SHexPiece& piece : record.m_removed)
        {
            if (piece.m_cKind != 'f')
            {
                patched.push_back(piece);
                continue;
            }
            uint64_t nPosition = piece.m_nSource;
            const uint64_t nEnd = nPosition + piece.m_nLength;
            auto it = std::upper_bound(overwritten.begin(), overwritten.end(), nPosition,
                                       [](uint64_t nAt, const SOverwritten& run)
                                       { return nAt < run.m_nPosition + run.m_old.size(); });
            while (nPosition < nEnd)
            {
                if (it == overwritten.end() || it->m_nPosition >= nEnd)
                {
                    patched.push_back(SHexPiece{'f', static_cast<uint32_t>(nEnd - nPosition),
                                                static_cast<uint32_t>(nPosition), nullptr});
                    break;
                }
                if (it->m_nPosition > nPosition)
                {
                    patched.push_back(SHexPiece{'f',
                                                static_cast<uint32_t>(it->m_nPosition - nPosition),
                                                static_cast<uint32_t>(nPosition), nullptr});
                    nPosition = it->m_nPosition;
                }
                const uint64_t nStop = std::min<uint64_t>(nEnd, it->m_nPosition + it->m_old.size());
                patched.push_back(SHexPiece{'m', static_cast<uint32_t>(nStop - nPosition), 0,
                                            it->m_old.data() + (nPosition - it->m_nPosition)});
                nPosition = nStop;
                ++it;
            }
        }
        record.m_removed = std::move(patched);
    }
    // Moving a block keeps its bytes where the pieces point.
    for (SOverwritten& run : overwritten)
    {
        m_overwrittenBytes.push_back(std::move(run.m_old));
    }
}

void CTarvoHexEditBuffer::DropRecords()
{
    CRemoveHint hint(static_cast<int32_t>(m_records.size()) - 1);
    UpdateAllViews(nullptr, 0, &hint);
    m_records.clear();
    m_overwrittenBytes.clear();
    m_bPartlySaved = false;
}

void CTarvoHexEditBuffer::FinishSave()
{
    const int64_t nSize = m_file.GetSize();
    if (nSize >= 0)
    {
        m_nFileLength = static_cast<uint32_t>(std::min<uint64_t>(uint64_t(nSize), UINT32_MAX));
    }
    m_nLength = m_nFileLength;
    DropRecords();
    m_pieces.Reset(SHexPiece{'f', m_nLength, 0, nullptr});
    SetModified(false);
}

bool CTarvoHexEditBuffer::Save(const std::string& path)
{
    m_pLastSender = nullptr;
    const std::string target = ResolveFinalLinks(path);
    if (!m_bBackupFile && SameFile(m_file, target) && CanSaveInPlace())
    {
        // Written in place, a file that another program cut short would keep a hole of
        // zeros where its tail was, and one it lengthened a tail that is not in the data.
        // Such a file is written whole instead (if its unchanged bytes can still be read).
        if (m_file.GetSize() == int64_t(m_nFileLength))
        {
            if (!SaveInPlace())
            {
                return false;
            }
            FinishSave();
            return true;
        }
    }
    return SaveThroughSafeSave(path, target);
}

// The backup is the old file under the name target + ".bak". When the new file is renamed
// into place, a second name (a hard link) keeps the old file as it is, owner, attributes
// and all, at no cost. When the new contents are copied over the target instead, a second
// name would be overwritten with it, so the backup is a copy.
bool CTarvoHexEditBuffer::MakeBackup(const std::string& target, const std::string& backupName,
                                     bool bMayLink, bool& bLinked)
{
    bLinked = bMayLink && LinkFile(target, backupName);
    if (bLinked)
    {
        return true;
    }
    using F = CPlatformFile;
    CPlatformFile from;
    SFileStatus status;
    if (!from.Open(target, F::OpenRead | F::OpenRegularOnly) || !from.GetStatus(status))
    {
        return false;
    }
    CPlatformFile to;
    if (!to.Open(backupName, F::OpenWrite | F::OpenCreateNew, F::EShare::All, status.nMode & 0777))
    {
        return false;
    }
    // Up to the end the file has when the copy reaches it, whatever its size said before.
    int64_t nPosition = 0;
    bool bOk = true;
    CWriteBehind behind(to); // most of the copy is on the disk by the time of the sync
    for (;;)
    {
        const int64_t nCopied =
            to.CopyRangeFrom(from, nPosition, int64_t(1) << 30, nPosition, &behind);
        if (nCopied <= 0)
        {
            bOk = nCopied == 0;
            break;
        }
        nPosition += nCopied;
    }
    behind.Finish();
    bOk = bOk && to.Sync();
    if (!to.Close() || !bOk)
    {
        RemoveFile(backupName);
        return false;
    }
    return true;
}

// The new data goes through the shared safe save, which gives the target its old owner,
// mode and attributes, keeps hard links together, and copies over the target where a new
// file cannot take its place. Until the commit the buffer reads the file it read before;
// then it reads the saved file.
bool CTarvoHexEditBuffer::SaveThroughSafeSave(const std::string& path, const std::string& target)
{
    SFileStatus old;
    const bool bExists = GetFileStatus(target, old);
    if (bExists && old.type == EFileType::Folder)
    {
        ShowMessage("File " + Quoted(path) + "\ris a directory");
        return false;
    }
    if (bExists && old.type != EFileType::Regular)
    {
        ShowMessage("File " + Quoted(path) + "\ris a special file");
        return false;
    }
    if (bExists && IsReadOnlyFile(target, old))
    {
        ShowMessage("File " + Quoted(path) + "\ris a read only file");
        return false;
    }
    // A program that edits the target in place would go on writing into a file that no
    // longer has a name; the target is in use. (Our own exclusive lock is never in the way
    // of this probe: it is only taken when we are the one that may write.)
    const bool bSameFile = SameFile(m_file, target);
    const bool bOwnWritableFile = bSameFile && !m_bReadOnlyAccess && !m_bSharedAccess;
    if (bExists && !bOwnWritableFile && IsWriteLockedByOther(target))
    {
        ShowMessage("File " + Quoted(path) + "\ris in use");
        return false;
    }
    // Nothing is touched when the data can no longer be read whole.
    if (!CanReadEveryPiece())
    {
        ShowMessage(kSourceLostText);
        return false;
    }

    CSafeSave save;
    CPlatformFile written; // the safe save's file, which the buffer writes and keeps
    if (!save.Begin(path) || !save.OpenTempFile(written))
    {
        ShowMessage("File " + Quoted(path) +
                    FileErrorReason(save.GetErrorNumber(), target, EReasonColumn::Write));
        return false;
    }
    {
        // The commit syncs the file; most of it is on its way to the disk by then.
        CWriteBehind behind(written);
        if (!WriteRangeToFile(written, 0, m_nLength, 0, &behind))
        {
            return false; // the safe save removes its file
        }
    }

    bool bLinkedBackup = false;
    const std::string backupName = target + ".bak";
    if (bExists && m_bBackupFile)
    {
        SFileStatus previous;
        if (GetFileStatus(backupName, previous, nullptr, false) && !RemoveFile(backupName))
        {
            ShowMessage("Could not remove previous backup file\r " + Quoted(backupName));
            return false;
        }
        // The safe save renames only a file that carries the target's owner and group, and
        // otherwise copies over the target, which would overwrite a backup that is a second
        // name of it. A file of another owner or group gets a copy for its backup.
        SFileStatus own;
        const bool bMayLink = save.GetRoute() == CSafeSave::ERoute::Rename &&
                              written.GetStatus(own) && own.nOwner == old.nOwner &&
                              own.nGroup == old.nGroup;
        if (!MakeBackup(target, backupName, bMayLink, bLinkedBackup))
        {
            ShowMessage("Could not create backup file\r " + Quoted(backupName));
            return false;
        }
    }

    if (!save.Commit())
    {
        std::string text = WriteErrorText(save.GetErrorNumber());
        if (!save.IsTempKept())
        {
            // The target is as it was; a second name made for the backup goes again.
            if (bLinkedBackup)
            {
                RemoveFile(backupName);
            }
            ShowMessage(text);
            return false;
        }
        text += "\rThe file now holds part of the new data; all of it is kept in\r " +
                Quoted(save.GetTempPath()) + ". Saving again completes it.";
        if (bSameFile)
        {
            // The copy stopped part way through the very file the pieces read from, so
            // they no longer describe the data. The kept file holds exactly the data: it
            // becomes the file read, without the records, which cannot be undone over it.
            CloseFile();
            m_file = std::move(written);
            m_nFileLength = m_nLength;
            m_bReadOnlyAccess = false;
            m_bSharedAccess = false;
            DropRecords();
            m_pieces.Reset(SHexPiece{'f', m_nLength, 0, nullptr});
            SetModified(true);
            CheckInvariants();
        }
        ShowMessage(text);
        return false;
    }

    // The saved file is opened afresh, with the lock that tells other programs it is being
    // edited. Should that fail, the safe save's file (the saved one when it was renamed
    // into place, a nameless copy of it otherwise) holds the same bytes. The file read
    // until now may have lost its last name; the system frees it as it closes.
    ReleaseReplacedFile(std::move(m_file));
    m_nFileLength = 0;
    SOpenFile opened;
    SFileStatus savedStatus;
    SFileStatus openedStatus;
    const bool bRenamed = save.GetRoute() == CSafeSave::ERoute::Rename;
    if (OpenFile(target, opened, true) && opened.m_file.GetStatus(openedStatus) &&
        (bRenamed ? written.GetStatus(savedStatus) : GetFileStatus(target, savedStatus)) &&
        openedStatus.IsSameFile(savedStatus))
    {
        m_file = std::move(opened.m_file);
        m_bReadOnlyAccess = opened.m_bReadOnlyAccess;
        m_bSharedAccess = opened.m_bSharedAccess;
    }
    else
    {
        m_file = std::move(written);
        m_bReadOnlyAccess = false;
        m_bSharedAccess = false;
    }
    m_bReadOnly = false;
    m_strPath = path;
    m_strResolvedPath = target;
    FinishSave();
    return true;
}

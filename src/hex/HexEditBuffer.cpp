#include "hex/HexEditBuffer.h"

#include "platform/FileLock.h"
#include "platform/Folders.h"
#include "platform/TempFile.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Write blocks are this size: large enough that the system calls cost little, small
// enough that saving never allocates in proportion to the file.
constexpr uint32_t kWriteBlock = 16384;

// The first record block is never smaller than this, so that a run of typing grows a
// record without reallocating.
constexpr size_t kMinRecordBlock = 5;

enum class EReasonColumn
{
    Open,
    Write,
};

bool IsReadOnlyFile(const std::string& path, const struct stat& info)
{
    // The permission bits count even for a user who could override them, as a
    // read-only attribute does.
    return (info.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0;
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
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
        {
            return bOpen ? "\rdoes not exist" : "\rcannot be created";
        }
        if (S_ISDIR(info.st_mode))
        {
            return "\ris a directory";
        }
        if (!S_ISREG(info.st_mode))
        {
            return "\ris a special file";
        }
        if (!bOpen && IsReadOnlyFile(path, info))
        {
            return "\ris a read only file";
        }
        return "\rcannot be used (reason unknown)";
    }
    case ENOSPC:
    case EDQUOT:
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
    case EDQUOT:
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

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

bool WriteAll(int fd, const uint8_t* pData, size_t nCount, off_t nPosition, bool bPositioned,
              int& nError)
{
    while (nCount > 0)
    {
        const ssize_t nDone =
            bPositioned ? pwrite(fd, pData, nCount, nPosition) : write(fd, pData, nCount);
        if (nDone < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            nError = errno;
            return false;
        }
        if (nDone == 0)
        {
            nError = EIO;
            return false;
        }
        pData += nDone;
        nCount -= static_cast<size_t>(nDone);
        nPosition += nDone;
    }
    return true;
}

bool SameFile(int fd, const std::string& path)
{
    struct stat a;
    struct stat b;
    return fd >= 0 && fstat(fd, &a) == 0 && stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
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

bool CTarvoHexEditBuffer::OpenFile(const std::string& path, SOpenFile& opened)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
    {
        // A folder opens for reading here, and a pipe or device has no stable bytes to
        // page through; neither is a file the hex editor can hold.
        if (S_ISDIR(info.st_mode))
        {
            ShowMessage(path + "\ris a directory");
            return false;
        }
        if (!S_ISREG(info.st_mode))
        {
            ShowMessage(path + "\ris a special file");
            return false;
        }
    }

    // Read and write, nobody else writing; then read only, nobody else writing; then
    // read only while another program may write.
    int nLastError = 0;
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    // A file system without locks must not make every file unmodifiable: only a lock held
    // by someone else counts as a refusal.
    if (fd >= 0)
    {
        nLastError = LockWholeFile(fd, EFileLock::Exclusive);
        if (nLastError != 0 && IsLockConflict(nLastError))
        {
            close(fd);
            fd = -1;
        }
    }
    else
    {
        nLastError = errno;
    }
    if (fd < 0)
    {
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0)
        {
            nLastError = LockWholeFile(fd, EFileLock::Shared);
            if (nLastError == 0 || !IsLockConflict(nLastError))
            {
                opened.m_bReadOnlyAccess = true;
            }
            else
            {
                close(fd);
                fd = -1;
            }
        }
        else
        {
            nLastError = errno;
        }
    }
    if (fd < 0)
    {
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0)
        {
            opened.m_bSharedAccess = true;
        }
        else
        {
            nLastError = errno;
        }
    }
    if (fd < 0)
    {
        ShowMessage(path + FileErrorReason(nLastError, path, EReasonColumn::Open));
        return false;
    }

    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        close(fd);
        ShowMessage(path + "\ris a special file");
        return false;
    }
    // Positions are 32-bit: a longer file would silently lose its tail.
    if (static_cast<uint64_t>(info.st_size) > UINT32_MAX)
    {
        close(fd);
        ShowMessage(path + "\ris too large for the hex editor (4 GiB or more)");
        return false;
    }
    opened.m_nFile = fd;
    opened.m_nLength = static_cast<uint32_t>(info.st_size);
    return true;
}

void CTarvoHexEditBuffer::AdoptFile(const SOpenFile& opened, const std::string& path)
{
    CloseFile();
    m_nFile = opened.m_nFile;
    m_bReadOnlyAccess = opened.m_bReadOnlyAccess;
    m_bSharedAccess = opened.m_bSharedAccess;
    m_nFileLength = opened.m_nLength;
    m_strPath = path;
    m_strResolvedPath = ResolveFinalLinks(path);
}

void CTarvoHexEditBuffer::CloseFile()
{
    if (m_nFile >= 0)
    {
        close(m_nFile); // also ends the lock
        m_nFile = -1;
    }
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
    m_pieces.clear();
    m_pieces.push_back(SHexPiece{'f', m_nFileLength, 0, nullptr});
}

void CTarvoHexEditBuffer::Close()
{
    CloseFile();
    m_records.clear();
    m_pieces.clear();
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

size_t CTarvoHexEditBuffer::FindPiece(uint32_t nOffset, uint32_t& nPieceStart) const
{
    uint64_t nStart = 0;
    for (size_t i = 0; i < m_pieces.size(); ++i)
    {
        if (nStart + m_pieces[i].m_nLength > nOffset)
        {
            nPieceStart = static_cast<uint32_t>(nStart);
            return i;
        }
        nStart += m_pieces[i].m_nLength;
    }
    nPieceStart = static_cast<uint32_t>(nStart);
    return m_pieces.size();
}

size_t CTarvoHexEditBuffer::SplitPiece(size_t nIndex, uint32_t nPieceStart, uint32_t nAt)
{
    SHexPiece& head = m_pieces[nIndex];
    const uint32_t nHead = nAt - nPieceStart;
    SHexPiece tail = head;
    tail.m_nLength = head.m_nLength - nHead;
    if (tail.m_cKind == 'f')
    {
        tail.m_nSource += nHead;
    }
    else
    {
        tail.m_pData += nHead;
    }
    head.m_nLength = nHead;
    m_pieces.insert(m_pieces.begin() + static_cast<ptrdiff_t>(nIndex) + 1, tail);
    return nIndex + 1;
}

void CTarvoHexEditBuffer::InsertPiece(const SHexChangeRecord& record)
{
    if (record.m_nCount == 0 || record.m_data.size() < record.m_nCount)
    {
        return;
    }
    uint32_t nStart = 0;
    size_t nIndex = FindPiece(record.m_nOffset, nStart);
    if (nIndex < m_pieces.size() && record.m_nOffset != nStart)
    {
        nIndex = SplitPiece(nIndex, nStart, record.m_nOffset);
    }
    m_pieces.insert(m_pieces.begin() + static_cast<ptrdiff_t>(nIndex),
                    SHexPiece{'m', record.m_nCount, 0, record.m_data.data()});
}

void CTarvoHexEditBuffer::DeletePieces(uint32_t nOffset, uint32_t nCount)
{
    uint32_t nStart = 0;
    size_t nIndex = FindPiece(nOffset, nStart);
    if (nIndex < m_pieces.size() && nOffset != nStart)
    {
        nIndex = SplitPiece(nIndex, nStart, nOffset);
    }
    uint32_t nLeft = nCount;
    size_t nEnd = nIndex;
    while (nEnd < m_pieces.size() && m_pieces[nEnd].m_nLength <= nLeft)
    {
        nLeft -= m_pieces[nEnd].m_nLength;
        ++nEnd;
    }
    m_pieces.erase(m_pieces.begin() + static_cast<ptrdiff_t>(nIndex),
                   m_pieces.begin() + static_cast<ptrdiff_t>(nEnd));
    if (nLeft > 0 && nIndex < m_pieces.size())
    {
        SHexPiece& piece = m_pieces[nIndex];
        piece.m_nLength -= nLeft;
        if (piece.m_cKind == 'f')
        {
            piece.m_nSource += nLeft;
        }
        else
        {
            piece.m_pData += nLeft;
        }
    }
}

void CTarvoHexEditBuffer::RebuildPieces()
{
    m_pieces.clear();
    if (m_nFile >= 0 && m_nFileLength > 0)
    {
        m_pieces.push_back(SHexPiece{'f', m_nFileLength, 0, nullptr});
    }
    for (const SHexChangeRecord& record : m_records)
    {
        switch (record.m_nType)
        {
        case kInsert:
            InsertPiece(record);
            break;
        case kReplace:
        case kReplaceBackward:
            DeletePieces(record.m_nOffset, record.m_nCount);
            InsertPiece(record);
            break;
        case kDelete:
        case kDeleteBackward:
            DeletePieces(record.m_nOffset, record.m_nCount);
            break;
        default:
            break;
        }
    }
}

void CTarvoHexEditBuffer::CheckInvariants() const
{
#ifndef NDEBUG
    uint64_t nSum = 0;
    for (const SHexPiece& piece : m_pieces)
    {
        assert(piece.m_cKind == 'f' || piece.m_pData != nullptr);
        assert(piece.m_cKind == 'm' ||
               uint64_t(piece.m_nSource) + piece.m_nLength <= m_nFileLength);
        nSum += piece.m_nLength;
    }
    assert(nSum == m_nLength);
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
        SHexChangeRecord& last = m_records.back();
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
    }
    else
    {
        nRecord = AddRecord(nType, nOffset, nCount, bHasData ? pData : nullptr);
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
    RebuildPieces();
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

    const SHexChangeRecord& last = m_records.back();
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

    RemoveLastRecord();
    if (m_records.empty())
    {
        SetModified(false);
    }
    RebuildPieces();
    // The length follows the rebuilt pieces: a replacement that extended the data shrinks
    // it again, which the record alone cannot tell.
    uint64_t nSum = 0;
    for (const SHexPiece& piece : m_pieces)
    {
        nSum += piece.m_nLength;
    }
    m_nLength = static_cast<uint32_t>(nSum);
    CheckInvariants();
    UpdateAllViews(nullptr, 0, &hint);
    return true;
}

// ---------------------------------------------------------------------------------------
// Reading

uint32_t CTarvoHexEditBuffer::ReadData(uint8_t* pDest, uint32_t nCount, uint32_t nOffset) const
{
    if (nCount == 0)
    {
        return 0;
    }
    uint32_t nPieceStart = 0;
    size_t nIndex = FindPiece(nOffset, nPieceStart);
    uint32_t nCopied = 0;
    uint32_t nPosition = nOffset;
    while (nCopied < nCount && nIndex < m_pieces.size())
    {
        const SHexPiece& piece = m_pieces[nIndex];
        const uint32_t nInPiece = nPosition - nPieceStart;
        const uint32_t nTake = std::min(nCount - nCopied, piece.m_nLength - nInPiece);
        if (piece.m_cKind == 'm')
        {
            std::memcpy(pDest + nCopied, piece.m_pData + nInPiece, nTake);
        }
        else
        {
            uint32_t nGot = 0;
            while (nGot < nTake)
            {
                const ssize_t nRead = pread(m_nFile, pDest + nCopied + nGot, nTake - nGot,
                                            off_t(piece.m_nSource) + nInPiece + nGot);
                if (nRead < 0 && errno == EINTR)
                {
                    continue;
                }
                if (nRead <= 0)
                {
                    break;
                }
                nGot += static_cast<uint32_t>(nRead);
            }
            if (nGot < nTake)
            {
                return nCopied + nGot;
            }
        }
        nCopied += nTake;
        nPosition += nTake;
        nPieceStart += piece.m_nLength;
        ++nIndex;
    }
    return nCopied;
}

// ---------------------------------------------------------------------------------------
// Writing and saving

bool CTarvoHexEditBuffer::WriteRangeToFile(int fd, uint32_t nFrom, uint32_t nTo)
{
    std::vector<uint8_t> block(kWriteBlock);
    uint32_t nPosition = nFrom;
    while (nPosition < nTo)
    {
        const uint32_t nWant = std::min(kWriteBlock, nTo - nPosition);
        const uint32_t nGot = ReadData(block.data(), nWant, nPosition);
        if (nGot == 0)
        {
            ShowMessage(kSourceLostText);
            return false;
        }
        int nError = 0;
        if (!WriteAll(fd, block.data(), nGot, 0, false, nError))
        {
            ShowMessage(WriteErrorText(nError));
            return false;
        }
        nPosition += nGot;
    }
    return true;
}

bool CTarvoHexEditBuffer::WriteRange(const std::string& path, uint32_t nFrom, uint32_t nTo,
                                     bool bAppend)
{
    nTo = std::min(nTo, m_nLength);
    nFrom = std::min(nFrom, nTo);
    // Writing over the file the data is read from would destroy what is being written.
    if (SameFile(m_nFile, path))
    {
        ShowMessage("File " + Quoted(path) + "\ris in use");
        return false;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | (bAppend ? 0 : O_CREAT), 0666);
    if (fd < 0)
    {
        ShowMessage("File " + Quoted(path) + FileErrorReason(errno, path, EReasonColumn::Write));
        return false;
    }
    // Nobody else may use it while it is written; it is cut only once the lock is held.
    if (IsLockConflict(LockWholeFile(fd, EFileLock::Exclusive)))
    {
        close(fd);
        ShowMessage("File " + Quoted(path) + "\ris in use");
        return false;
    }
    off_t nOldSize = 0;
    if (bAppend)
    {
        nOldSize = lseek(fd, 0, SEEK_END);
    }
    else if (ftruncate(fd, 0) != 0)
    {
        const int nError = errno;
        close(fd);
        ShowMessage(WriteErrorText(nError));
        return false;
    }
    if (!WriteRangeToFile(fd, nFrom, nTo))
    {
        // An appended file keeps what it held before; a new one goes.
        if (bAppend && nOldSize >= 0)
        {
            (void)!ftruncate(fd, nOldSize);
            close(fd);
        }
        else
        {
            close(fd);
            unlink(path.c_str());
        }
        return false;
    }
    if (close(fd) != 0)
    {
        ShowMessage(WriteErrorText(errno));
        if (!bAppend)
        {
            unlink(path.c_str());
        }
        return false;
    }
    return true;
}

bool CTarvoHexEditBuffer::CanSaveInPlace() const
{
    if (m_nFile < 0 || m_bReadOnlyAccess || m_bSharedAccess || m_nLength != m_nFileLength)
    {
        return false;
    }
    uint64_t nPosition = 0;
    for (const SHexPiece& piece : m_pieces)
    {
        if (piece.m_cKind == 'f' && piece.m_nSource != nPosition)
        {
            return false;
        }
        nPosition += piece.m_nLength;
    }
    return true;
}

bool CTarvoHexEditBuffer::SaveInPlace()
{
    uint64_t nPosition = 0;
    for (const SHexPiece& piece : m_pieces)
    {
        int nError = 0;
        if (piece.m_cKind == 'm' &&
            !WriteAll(m_nFile, piece.m_pData, piece.m_nLength, off_t(nPosition), true, nError))
        {
            ShowMessage(WriteErrorText(nError));
            return false;
        }
        nPosition += piece.m_nLength;
    }
    return true;
}

void CTarvoHexEditBuffer::FinishSave()
{
    struct stat info;
    if (fstat(m_nFile, &info) == 0)
    {
        m_nFileLength =
            static_cast<uint32_t>(std::min<uint64_t>(uint64_t(info.st_size), UINT32_MAX));
    }
    m_nLength = m_nFileLength;
    CRemoveHint hint(static_cast<int32_t>(m_records.size()) - 1);
    UpdateAllViews(nullptr, 0, &hint);
    m_records.clear();
    m_pieces.clear();
    m_pieces.push_back(SHexPiece{'f', m_nLength, 0, nullptr});
    SetModified(false);
}

bool CTarvoHexEditBuffer::Save(const std::string& path)
{
    m_pLastSender = nullptr;
    const std::string target = ResolveFinalLinks(path);
    if (!m_bBackupFile && SameFile(m_nFile, target) && CanSaveInPlace())
    {
        if (!SaveInPlace())
        {
            return false;
        }
        FinishSave();
        return true;
    }
    return SaveThroughTemporary(path, target);
}

// The new data goes into an exclusively created temporary file beside the target, which
// then takes the target's name in one rename, so that at every moment the target's name
// holds either the complete old file or the complete new one. The buffer keeps reading
// the file it read before (its descriptor stays valid through the renames) until the new
// file is in place; only then does it switch to the new file, whose descriptor it already
// holds.
bool CTarvoHexEditBuffer::SaveThroughTemporary(const std::string& path, const std::string& target)
{
    struct stat old;
    const bool bExists = stat(target.c_str(), &old) == 0;
    if (bExists && S_ISDIR(old.st_mode))
    {
        ShowMessage("File " + Quoted(path) + "\ris a directory");
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
    const bool bOwnWritableFile =
        SameFile(m_nFile, target) && !m_bReadOnlyAccess && !m_bSharedAccess;
    if (bExists && !bOwnWritableFile && IsWriteLockedByOther(target))
    {
        ShowMessage("File " + Quoted(path) + "\ris in use");
        return false;
    }

    const size_t nSlash = target.rfind(kPathSeparator);
    const std::string folder = nSlash == std::string::npos ? "" : target.substr(0, nSlash + 1);
    const unsigned nMode = bExists ? (old.st_mode & 07777) : 0666;
    std::string tempName;
    int fd = -1;
    for (int i = 0; i < 1000 && fd < 0; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "~HE%03d.tmp", i);
        tempName = folder + name;
        int nError = 0;
        fd = CreateExclusiveFile(tempName, nMode, nError);
        if (fd < 0 && nError != EEXIST)
        {
            ShowMessage("File " + Quoted(tempName) +
                        FileErrorReason(nError, tempName, EReasonColumn::Write));
            return false;
        }
    }
    if (fd < 0)
    {
        ShowMessage("Could not create a temporary file for\r " + Quoted(path));
        return false;
    }
    LockWholeFile(fd, EFileLock::Exclusive);
    if (bExists)
    {
        (void)!fchmod(fd, static_cast<mode_t>(nMode)); // the umask must not narrow the old rights
    }
    auto dropTemporary = [&]()
    {
        close(fd);
        unlink(tempName.c_str());
    };
    if (!WriteRangeToFile(fd, 0, m_nLength))
    {
        dropTemporary();
        return false;
    }
    if (fsync(fd) != 0)
    {
        ShowMessage(WriteErrorText(errno));
        dropTemporary();
        return false;
    }

    bool bBackedUp = false; // the old file was moved to the backup name
    const std::string backupName = target + ".bak";
    if (bExists && m_bBackupFile)
    {
        struct stat info;
        if (lstat(backupName.c_str(), &info) == 0 && unlink(backupName.c_str()) != 0)
        {
            dropTemporary();
            ShowMessage("Could not remove previous backup file\r " + Quoted(backupName));
            return false;
        }
        // A second name for the old file keeps it under its own name until the new file
        // takes its place; where the file system has no hard links it is moved instead.
        if (link(target.c_str(), backupName.c_str()) != 0)
        {
            if (rename(target.c_str(), backupName.c_str()) != 0)
            {
                dropTemporary();
                ShowMessage("Could not create backup file\r " + Quoted(backupName));
                return false;
            }
            bBackedUp = true;
        }
    }
    if (rename(tempName.c_str(), target.c_str()) != 0)
    {
        if (bBackedUp)
        {
            rename(backupName.c_str(), target.c_str());
        }
        dropTemporary();
        ShowMessage("File " + Quoted(tempName) + " could not be renamed\r  to " + Quoted(path));
        return false;
    }

    CloseFile();
    m_nFile = fd;
    m_bReadOnlyAccess = false;
    m_bSharedAccess = false;
    m_bReadOnly = false;
    m_strPath = path;
    m_strResolvedPath = target;
    FinishSave();
    return true;
}

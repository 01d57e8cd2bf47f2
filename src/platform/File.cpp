// The POSIX implementation of the file types.
#include "platform/File.h"

#include "platform/FileLock.h"
#include "platform/SystemInfo.h"
#include "platform/WriteBehind.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{
// The largest transfer asked of the system at once; Linux moves at most about 2 GiB per
// call anyway, and a smaller bound keeps ssize_t arithmetic safe everywhere.
constexpr size_t kMaxTransfer = size_t(1) << 30;
// The block of a copy that passes through this process: large enough that the calls cost
// little next to the bytes moved.
constexpr int64_t kCopyBlock = int64_t(1) << 20;
// The size of the system's pages, or a multiple of it: what the alignment of a copy is
// measured against.
constexpr size_t kPageAlign = 4096;

#ifdef __linux__
// Errors of copy_file_range that only say the system cannot copy between these files (other
// file systems, a kernel or file system without it); the bytes are then copied by hand.
bool IsCopyUnsupported(int nError)
{
    return nError == EXDEV || nError == EINVAL || nError == ENOSYS || nError == EOPNOTSUPP ||
           nError == ENOTSUP || nError == EBADF;
}
#endif

int64_t Nanoseconds(const struct timespec& time)
{
    return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

void FillStatus(const struct stat& st, SFileStatus& status)
{
    if (S_ISREG(st.st_mode))
        status.type = EFileType::Regular;
    else if (S_ISDIR(st.st_mode))
        status.type = EFileType::Folder;
    else if (S_ISLNK(st.st_mode))
        status.type = EFileType::Link;
    else
        status.type = EFileType::Other;
    status.nSize = static_cast<int64_t>(st.st_size);
    status.nLastWriteTime = Nanoseconds(st.st_mtim);
    status.nLastAccessTime = Nanoseconds(st.st_atim);
    status.nMode = static_cast<unsigned>(st.st_mode & 07777);
    status.nLinks = static_cast<unsigned>(st.st_nlink);
    status.nOwner = static_cast<unsigned>(st.st_uid);
    status.nGroup = static_cast<unsigned>(st.st_gid);
    status.nDevice = static_cast<uint64_t>(st.st_dev);
    status.nFileNumber = static_cast<uint64_t>(st.st_ino);
}

int OpenFlagsOf(unsigned nFlags)
{
    int flags = O_CLOEXEC | O_NOCTTY;
    switch (nFlags & CPlatformFile::OpenReadWrite)
    {
    case CPlatformFile::OpenRead:
        flags |= O_RDONLY;
        break;
    case CPlatformFile::OpenWrite:
        flags |= O_WRONLY;
        break;
    case CPlatformFile::OpenReadWrite:
        flags |= O_RDWR;
        break;
    default:
        return -1;
    }
    if (nFlags & CPlatformFile::OpenCreateNew)
        flags |= O_CREAT | O_EXCL | O_NOFOLLOW;
    else if (nFlags & CPlatformFile::OpenCreate)
        flags |= O_CREAT;
    if (nFlags & CPlatformFile::OpenTruncate)
        flags |= O_TRUNC;
    if (nFlags & CPlatformFile::OpenNoFollow)
        flags |= O_NOFOLLOW;
    // Opening a FIFO without this waits for a writer, and some devices wait for a carrier.
    if (nFlags & CPlatformFile::OpenRegularOnly)
        flags |= O_NONBLOCK;
    return flags;
}
} // namespace

bool GetFileStatus(const std::string& path, SFileStatus& status, int* pError, bool bFollowLinks)
{
    status = SFileStatus();
    struct stat st;
    const int result = bFollowLinks ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (result != 0)
    {
        if (pError)
            *pError = errno;
        return false;
    }
    FillStatus(st, status);
    if (pError)
        *pError = 0;
    return true;
}

bool RemoveFile(const std::string& path, int* pError)
{
    const bool bDone = ::unlink(path.c_str()) == 0;
    if (pError)
        *pError = bDone ? 0 : errno;
    return bDone;
}

bool LinkFile(const std::string& existing, const std::string& newName, int* pError)
{
    const bool bDone = ::link(existing.c_str(), newName.c_str()) == 0;
    if (pError)
        *pError = bDone ? 0 : errno;
    return bDone;
}

// ---- CPlatformFile ----

CPlatformFile::~CPlatformFile()
{
    Close();
}

CPlatformFile::CPlatformFile(CPlatformFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_nError(other.m_nError),
      m_strError(std::move(other.m_strError))
{
}

CPlatformFile& CPlatformFile::operator=(CPlatformFile&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_nError = other.m_nError;
        m_strError = std::move(other.m_strError);
    }
    return *this;
}

bool CPlatformFile::Fail(int nError)
{
    m_nError = nError;
    m_strError = GetSystemErrorText(nError);
    return false;
}

bool CPlatformFile::FailText(int nError, const char* text)
{
    m_nError = nError;
    m_strError = text;
    return false;
}

bool CPlatformFile::Open(const std::string& path, unsigned nFlags, EShare share,
                         unsigned nCreateMode)
{
    return OpenAt(AT_FDCWD, path, nFlags, share, nCreateMode);
}

bool CPlatformFile::OpenIn(const CPlatformFolder& folder, const std::string& name, unsigned nFlags,
                           EShare share, unsigned nCreateMode)
{
    if (!folder.IsOpen())
    {
        Close();
        return Fail(EBADF);
    }
    return OpenAt(folder.GetDescriptor(), name, nFlags, share, nCreateMode);
}

bool CPlatformFile::OpenIn(const CPlatformFolder& folder, const SFolderEntry& entry,
                           unsigned nFlags)
{
    if (!folder.IsOpen())
    {
        Close();
        return Fail(EBADF);
    }
    return OpenAt(folder.GetDescriptor(), entry.strName, nFlags, EShare::All, 0666, entry.bRegular);
}

bool CPlatformFile::OpenAt(int nFolder, const std::string& path, unsigned nFlags, EShare share,
                           unsigned nCreateMode, bool bKnownRegular)
{
    Close();
    m_nError = 0;
    m_strError.clear();
    if (path.empty())
        return Fail(ENOENT);
    const int flags = OpenFlagsOf(nFlags);
    if (flags < 0)
        return Fail(EINVAL);
    const bool bRegularOnly = (nFlags & OpenRegularOnly) != 0;
    if (bRegularOnly && !bKnownRegular)
    {
        // Checked before opening, because opening a device can act on it (a tape rewinds).
        struct stat st;
        if (::fstatat(nFolder, path.c_str(), &st,
                      (nFlags & OpenNoFollow) ? AT_SYMLINK_NOFOLLOW : 0) == 0)
        {
            if (S_ISDIR(st.st_mode))
                return Fail(EISDIR);
            if (!S_ISREG(st.st_mode))
                return FailText(EINVAL, kNotRegularText);
        }
        else if (errno != ENOENT || !(flags & O_CREAT))
            return Fail(errno);
    }
    int fd;
    do
        fd = ::openat(nFolder, path.c_str(), flags, static_cast<mode_t>(nCreateMode));
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Fail(errno);
    m_fd = fd;
    if (bRegularOnly)
    {
        // The name may have been given to something else between the check and the open.
        struct stat st;
        if (::fstat(fd, &st) != 0)
        {
            const int nError = errno;
            Close();
            return Fail(nError);
        }
        if (!S_ISREG(st.st_mode))
        {
            Close();
            return S_ISDIR(st.st_mode) ? Fail(EISDIR) : FailText(EINVAL, kNotRegularText);
        }
    }
    if (share != EShare::All)
    {
        const int nError =
            LockWholeFile(fd, share == EShare::None ? EFileLock::Exclusive : EFileLock::Shared);
        if (nError != 0)
        {
            Close();
            return Fail(nError);
        }
    }
    return true;
}

bool CPlatformFile::Close()
{
    if (m_fd < 0)
        return true;
    // Not repeated on EINTR: on Linux the descriptor is gone whatever close returns.
    const int result = ::close(m_fd);
    m_fd = -1;
    if (result != 0 && errno != EINTR)
        return Fail(errno);
    return true;
}

int64_t CPlatformFile::ReadAt(void* pData, size_t nCount, int64_t nOffset)
{
    if (m_fd < 0)
        return Fail(EBADF), -1;
    if (nOffset < 0)
        return Fail(EINVAL), -1;
    auto* p = static_cast<char*>(pData);
    size_t nDone = 0;
    while (nDone < nCount)
    {
        const ssize_t got = ::pread(m_fd, p + nDone, std::min(nCount - nDone, kMaxTransfer),
                                    static_cast<off_t>(nOffset + static_cast<int64_t>(nDone)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(errno), -1;
        if (got == 0)
            break;
        nDone += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(nDone);
}

int64_t CPlatformFile::Read(void* pData, size_t nCount)
{
    if (m_fd < 0)
        return Fail(EBADF), -1;
    auto* p = static_cast<char*>(pData);
    size_t nDone = 0;
    while (nDone < nCount)
    {
        const ssize_t got = ::read(m_fd, p + nDone, std::min(nCount - nDone, kMaxTransfer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Fail(errno), -1;
        if (got == 0)
            break;
        nDone += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(nDone);
}

bool CPlatformFile::WriteAt(const void* pData, size_t nCount, int64_t nOffset)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (nOffset < 0)
        return Fail(EINVAL);
    const auto* p = static_cast<const char*>(pData);
    while (nCount > 0)
    {
        const ssize_t written =
            ::pwrite(m_fd, p, std::min(nCount, kMaxTransfer), static_cast<off_t>(nOffset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return Fail(errno);
        if (written == 0)
            return Fail(EIO); // no progress and no reason: not repeated for ever
        p += written;
        nCount -= static_cast<size_t>(written);
        nOffset += written;
    }
    return true;
}

bool CPlatformFile::Write(const void* pData, size_t nCount)
{
    if (m_fd < 0)
        return Fail(EBADF);
    const auto* p = static_cast<const char*>(pData);
    while (nCount > 0)
    {
        const ssize_t written = ::write(m_fd, p, std::min(nCount, kMaxTransfer));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return Fail(errno);
        if (written == 0)
            return Fail(EIO);
        p += written;
        nCount -= static_cast<size_t>(written);
    }
    return true;
}

int64_t CPlatformFile::CopyRangeFrom(CPlatformFile& source, int64_t nSourceOffset, int64_t nCount,
                                     int64_t nOffset, CWriteBehind* pBehind)
{
    if (m_fd < 0 || source.m_fd < 0)
        return Fail(EBADF), -1;
    if (nSourceOffset < 0 || nOffset < 0 || nCount < 0 ||
        nCount > INT64_MAX - std::max(nSourceOffset, nOffset))
        return Fail(EINVAL), -1;
    if (nCount == 0)
        return 0;
    struct stat from;
    struct stat to;
    if (::fstat(source.m_fd, &from) != 0 || ::fstat(m_fd, &to) != 0)
        return Fail(errno), -1;
    // Block by block, an overlapping copy would read bytes it has already overwritten.
    if (from.st_dev == to.st_dev && from.st_ino == to.st_ino && nSourceOffset < nOffset + nCount &&
        nOffset < nSourceOffset + nCount)
        return Fail(EINVAL), -1;

    int64_t nDone = 0;
    // Where both offsets lie at the same place within a page, the system's copy moves whole
    // pages. Elsewhere it would copy every byte at an odd alignment, which common processors
    // do at a fraction of their speed; reading into a buffer laid out like the source and
    // writing from one laid out like the target, with one copy between them in this
    // process, is then faster.
    const bool bCoAligned = (nSourceOffset - nOffset) % int64_t(kPageAlign) == 0;
#ifdef __linux__
    while (bCoAligned && nDone < nCount)
    {
        loff_t in = static_cast<loff_t>(nSourceOffset + nDone);
        loff_t out = static_cast<loff_t>(nOffset + nDone);
        // In chunks of the write-behind when one hears of the progress.
        const int64_t nMost = pBehind != nullptr ? CWriteBehind::kChunk : int64_t(kMaxTransfer);
        const size_t nWant = static_cast<size_t>(std::min<int64_t>(nCount - nDone, nMost));
        const ssize_t copied = ::copy_file_range(source.m_fd, &in, m_fd, &out, nWant, 0);
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && !IsCopyUnsupported(errno))
            return Fail(errno), -1;
        // Refused, or nothing more: the end of the source, or a file system that reports
        // no bytes instead of an error. The copy by hand below tells these apart.
        if (copied <= 0)
            break;
        nDone += copied;
        if (pBehind != nullptr)
            pBehind->Written(nOffset + nDone);
    }
#endif
    if (nDone == nCount)
        return nDone;
    // The blocks start at the offsets' places within a page, so that the system copies
    // into and out of them at the alignment of its own pages.
    const size_t nBlock = static_cast<size_t>(std::min(nCount - nDone, kCopyBlock));
    const size_t nSourceAt = static_cast<size_t>(nSourceOffset + nDone) % kPageAlign;
    const size_t nTargetAt = static_cast<size_t>(nOffset + nDone) % kPageAlign;
    std::vector<char> readBlock(nBlock + 2 * kPageAlign);
    std::vector<char> writeBlock(bCoAligned ? 0 : nBlock + 2 * kPageAlign);
    auto pageStart = [](std::vector<char>& block, size_t nAt)
    {
        const auto address = reinterpret_cast<uintptr_t>(block.data());
        return block.data() + (kPageAlign - address % kPageAlign) % kPageAlign + nAt;
    };
    char* const pRead = pageStart(readBlock, nSourceAt);
    char* const pWrite = bCoAligned ? pRead : pageStart(writeBlock, nTargetAt);
    while (nDone < nCount)
    {
        const size_t nWant = static_cast<size_t>(std::min<int64_t>(nCount - nDone, nBlock));
        const int64_t nGot = source.ReadAt(pRead, nWant, nSourceOffset + nDone);
        if (nGot < 0)
            return Fail(source.m_nError), -1;
        if (nGot == 0)
            break;
        if (pWrite != pRead)
            std::memcpy(pWrite, pRead, static_cast<size_t>(nGot));
        if (!WriteAt(pWrite, static_cast<size_t>(nGot), nOffset + nDone))
            return -1;
        nDone += nGot;
        if (pBehind != nullptr)
            pBehind->Written(nOffset + nDone);
        if (static_cast<size_t>(nGot) < nWant)
            break; // ReadAt comes back short only at the end of the source
    }
    return nDone;
}

bool CPlatformFile::Seek(int64_t nOffset)
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (::lseek(m_fd, static_cast<off_t>(nOffset), SEEK_SET) < 0)
        return Fail(errno);
    return true;
}

int64_t CPlatformFile::GetSize()
{
    SFileStatus status;
    return GetStatus(status) ? status.nSize : -1;
}

bool CPlatformFile::GetStatus(SFileStatus& status)
{
    status = SFileStatus();
    if (m_fd < 0)
        return Fail(EBADF);
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
        return Fail(errno);
    FillStatus(st, status);
    return true;
}

bool CPlatformFile::SetSize(int64_t nSize)
{
    if (m_fd < 0)
        return Fail(EBADF);
    int result;
    do
        result = ::ftruncate(m_fd, static_cast<off_t>(nSize));
    while (result != 0 && errno == EINTR);
    if (result != 0)
        return Fail(errno);
    return true;
}

bool CPlatformFile::Reserve(int64_t nSize)
{
    if (m_fd < 0)
        return Fail(EBADF);
#ifdef FALLOC_FL_KEEP_SIZE
    if (nSize > 0 && ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(nSize)) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        return Fail(errno);
#else
    (void)nSize;
#endif
    return true;
}

bool CPlatformFile::Sync()
{
    if (m_fd < 0)
        return Fail(EBADF);
    if (::fsync(m_fd) != 0)
        return Fail(errno);
    return true;
}

void CPlatformFile::StartWriteback(int64_t nOffset, int64_t nCount) const
{
#ifdef SYNC_FILE_RANGE_WRITE
    if (m_fd >= 0 && nOffset >= 0 && nCount > 0)
        (void)::sync_file_range(m_fd, static_cast<off_t>(nOffset), static_cast<off_t>(nCount),
                                SYNC_FILE_RANGE_WRITE);
#else
    (void)nOffset;
    (void)nCount;
#endif
}

bool CPlatformFile::CanStartWriteback()
{
#ifdef SYNC_FILE_RANGE_WRITE
    return true;
#else
    return false;
#endif
}

void CPlatformFile::AdviseSequential()
{
#ifdef POSIX_FADV_SEQUENTIAL
    if (m_fd >= 0)
        (void)::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
}

bool CPlatformFile::Duplicate(CPlatformFile& copy) const
{
    copy.Close();
    if (m_fd < 0)
        return copy.Fail(EBADF);
    const int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return copy.Fail(errno);
    copy.m_fd = fd;
    return true;
}

// ---- CPlatformFolder ----

CPlatformFolder::~CPlatformFolder()
{
    Close();
}

CPlatformFolder::CPlatformFolder(CPlatformFolder&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_pListing(std::exchange(other.m_pListing, nullptr)),
      m_nError(other.m_nError), m_strError(std::move(other.m_strError))
{
}

CPlatformFolder& CPlatformFolder::operator=(CPlatformFolder&& other) noexcept
{
    if (this != &other)
    {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_pListing = std::exchange(other.m_pListing, nullptr);
        m_nError = other.m_nError;
        m_strError = std::move(other.m_strError);
    }
    return *this;
}

bool CPlatformFolder::Fail(int nError)
{
    m_nError = nError;
    m_strError = GetSystemErrorText(nError);
    return false;
}

void CPlatformFolder::Close()
{
    if (m_pListing)
        ::closedir(static_cast<DIR*>(m_pListing)); // closes m_fd as well
    else if (m_fd >= 0)
        ::close(m_fd);
    m_pListing = nullptr;
    m_fd = -1;
}

bool CPlatformFolder::Open(const std::string& path)
{
    Close();
    if (path.empty())
        return Fail(ENOENT);
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Fail(errno);
    m_fd = fd;
    return true;
}

bool CPlatformFolder::OpenIn(const CPlatformFolder& parent, const std::string& name)
{
    Close();
    if (!parent.IsOpen())
        return Fail(EBADF);
    if (name.empty())
        return Fail(ENOENT);
    int fd;
    do
        fd = ::openat(parent.m_fd, name.c_str(),
                      O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Fail(errno);
    m_fd = fd;
    return true;
}

bool CPlatformFolder::List(std::vector<SFolderEntry>& entries)
{
    entries.clear();
    if (m_fd < 0)
        return Fail(EBADF);
    // The stream is made once and then owns the descriptor; a later listing starts again
    // at the first entry.
    DIR* dir = static_cast<DIR*>(m_pListing);
    if (dir)
        ::rewinddir(dir);
    else
    {
        dir = ::fdopendir(m_fd);
        if (!dir)
            return Fail(errno);
        m_pListing = dir;
    }
    const int fd = m_fd;
    errno = 0;
    while (dirent* e = ::readdir(dir))
    {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        SFolderEntry entry;
        entry.strName = e->d_name;
        unsigned char type = e->d_type;
        struct stat st;
        if (type == DT_UNKNOWN && ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISDIR(st.st_mode)   ? DT_DIR
                   : S_ISLNK(st.st_mode) ? DT_LNK
                   : S_ISREG(st.st_mode) ? DT_REG
                                         : DT_UNKNOWN;
        entry.bFolder = type == DT_DIR;
        entry.bRegular = type == DT_REG;
        if (type == DT_LNK)
            entry.bLinkToFolder = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        entries.push_back(std::move(entry));
        errno = 0;
    }
    const int nError = errno;
    if (nError != 0)
    {
        entries.clear();
        return Fail(nError);
    }
    std::sort(entries.begin(), entries.end(),
              [](const SFolderEntry& a, const SFolderEntry& b) { return a.strName < b.strName; });
    return true;
}

bool CPlatformFolder::GetEntryStatus(const std::string& name, SFileStatus& status,
                                     bool bFollowLinks)
{
    status = SFileStatus();
    if (m_fd < 0)
        return Fail(EBADF);
    struct stat st;
    if (::fstatat(m_fd, name.c_str(), &st, bFollowLinks ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return Fail(errno);
    FillStatus(st, status);
    return true;
}

#include "platform/SafeSave.h"

#include "platform/File.h"
#include "platform/Folders.h"
#include "platform/SystemInfo.h"
#include "platform/TempFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace
{
// Prefix of the temporary files, so that one left behind by a crash is recognisable.
constexpr const char* kTempPrefix = ".scv";
constexpr int kNameAttempts = 100;

// Twelve characters that another program cannot guess. The kernel's generator is the
// source; should it fail, time, process and a counter still make the name unlikely, and
// the exclusive create keeps it safe either way.
std::string RandomSuffix()
{
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> s_nCounter{0};
    unsigned char bytes[12];
    if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes))
    {
        uint64_t seed =
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
            (static_cast<uint64_t>(getpid()) << 32) ^ s_nCounter.fetch_add(1);
        for (unsigned char& b : bytes)
        {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            b = static_cast<unsigned char>(seed >> 56);
        }
    }
    std::string suffix;
    for (unsigned char b : bytes)
        suffix += kAlphabet[b % (sizeof kAlphabet - 1)];
    return suffix;
}

bool WriteAllAt(int fd, const char* p, size_t n, off_t offset)
{
    while (n > 0)
    {
        const ssize_t written = ::pwrite(fd, p, n, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0)
        {
            errno = EIO;
            return false;
        }
        p += written;
        n -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

// The folder of a path for creating files in it: "." for a bare name.
std::string FolderForFiles(const std::string& path)
{
    if (path.find(kPathSeparator) == std::string::npos)
        return ".";
    std::string folder = FolderOfPath(path);
    return folder.empty() ? std::string(1, kPathSeparator) : folder;
}

std::string SystemTempFolder()
{
    const char* env = std::getenv("TMPDIR");
    if (env != nullptr && *env != '\0' && IsDirectory(env))
        return env;
    return "/tmp";
}

// Syncs a folder so that a rename in it survives a crash. File systems that cannot sync a
// folder say EINVAL (or EROFS, where nothing changed anyway); that is not a failure.
int SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    int nError = 0;
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        nError = errno;
    ::close(fd);
    return nError;
}
// Gives the file open as `fd` the extended attributes of the file at `from`: user
// attributes, the access and default ACLs, security labels. Best effort: an attribute the
// file system or this user may not set is left out, which can only take rights away (the
// new file is private until it gets the target's mode), never grant them.
void CopyExtendedAttributes(const std::string& from, int fd)
{
    std::vector<char> names(1024);
    ssize_t length;
    while ((length = ::listxattr(from.c_str(), names.data(), names.size())) < 0 && errno == ERANGE)
    {
        const ssize_t needed = ::listxattr(from.c_str(), nullptr, 0);
        if (needed <= 0)
            return;
        names.resize(static_cast<size_t>(needed) + 256);
    }
    if (length <= 0)
        return;
    std::vector<char> value(256);
    for (const char* name = names.data(); name < names.data() + length; name += std::strlen(name) + 1)
    {
        ssize_t size;
        while ((size = ::getxattr(from.c_str(), name, value.data(), value.size())) < 0 && errno == ERANGE)
        {
            const ssize_t needed = ::getxattr(from.c_str(), name, nullptr, 0);
            if (needed <= 0)
                break;
            value.resize(static_cast<size_t>(needed) + 256);
        }
        if (size >= 0)
            (void)::fsetxattr(fd, name, value.data(), static_cast<size_t>(size), 0);
    }
}
} // namespace


CSafeSave::~CSafeSave()
{
    if (!m_bTempKept)
        Abort();
    else if (m_fd >= 0)
        ::close(m_fd);
}

bool CSafeSave::Fail(int nError)
{
    m_nError = nError;
    m_strError = GetSystemErrorText(nError);
    return false;
}

void CSafeSave::RemoveTemp()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_strTemp.empty())
        ::unlink(m_strTemp.c_str());
    m_strTemp.clear();
}

void CSafeSave::Abort()
{
    RemoveTemp();
}

bool CSafeSave::OpenTempFile(CPlatformFile& file)
{
    file.Close();
    if (m_fd < 0)
        return Fail(EBADF);
    const int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return Fail(errno);
    file.m_fd = fd;
    return true;
}

bool CSafeSave::CreateTemp(const std::string& strFolder, unsigned nMode, int& nError)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt)
    {
        std::string name = JoinPath(strFolder, kTempPrefix + RandomSuffix() + ".tmp");
        const int fd = CreateExclusiveFile(name, nMode, nError);
        if (fd >= 0)
        {
            m_fd = fd;
            m_strTemp = std::move(name);
            return true;
        }
        if (nError != EEXIST)
            return false;
    }
    return false;
}

bool CSafeSave::Begin(const std::string& strPath)
{
    Abort();
    m_strError.clear();
    m_nError = 0;
    m_bTempKept = false;
    m_route = ERoute::Rename;
    if (strPath.empty())
        return Fail(ENOENT);
    m_strTarget = ResolveFinalLinks(strPath);

    struct stat st;
    m_bTargetExists = ::stat(m_strTarget.c_str(), &st) == 0;
    if (!m_bTargetExists && errno != ENOENT)
        return Fail(errno);
    if (m_bTargetExists)
    {
        if (S_ISDIR(st.st_mode))
            return Fail(EISDIR);
        if (!S_ISREG(st.st_mode))
            return Fail(EINVAL);
        // A file its owner made read-only stays as it is, although the folder would allow
        // renaming a new file over it.
        if (::access(m_strTarget.c_str(), W_OK) != 0)
            return Fail(errno);
        m_nTargetMode = st.st_mode & 07777;
        m_nTargetUid = st.st_uid;
        m_nTargetGid = st.st_gid;
        if (st.st_nlink > 1)
            m_route = ERoute::CopyOver;
    }

    // A new file gets the usual mode of a user's file (the umask applies); a replacement is
    // private until Commit gives it the target's mode.
    const unsigned nMode = m_bTargetExists ? 0600 : 0666;
    int nError = 0;
    if (CreateTemp(FolderForFiles(m_strTarget), nMode, nError))
        return true;
    const bool bFolderRefuses = nError == EACCES || nError == EPERM || nError == EROFS;
    if (!m_bTargetExists || !bFolderRefuses)
        return Fail(nError);
    // The folder takes no new file, but the target itself may still be written.
    m_route = ERoute::CopyOver;
    if (CreateTemp(SystemTempFolder(), 0600, nError))
        return true;
    return Fail(nError);
}

bool CSafeSave::Commit()
{
    if (m_fd < 0)
        return Fail(EBADF);
    // A renamed file must carry the target's attributes (its ACLs among them); copied
    // over, the target keeps its own. Before the sync, so that they are on disk with it.
    if (m_route == ERoute::Rename && m_bTargetExists)
        CopyExtendedAttributes(m_strTarget, m_fd);
    if (::fsync(m_fd) != 0)
    {
        const int nError = errno;
        RemoveTemp();
        return Fail(nError);
    }
    if (m_route == ERoute::Rename && m_bTargetExists)
    {
        struct stat own;
        if (::fstat(m_fd, &own) != 0)
        {
            const int nError = errno;
            RemoveTemp();
            return Fail(nError);
        }
        // A file owned by someone else (or in a group this user cannot give) keeps its
        // owner only when it is written over in place.
        if ((own.st_uid != m_nTargetUid || own.st_gid != m_nTargetGid) &&
            ::fchown(m_fd, m_nTargetUid, m_nTargetGid) != 0)
            m_route = ERoute::CopyOver;
    }
    return m_route == ERoute::Rename ? CommitRename() : CommitCopy();
}

bool CSafeSave::CommitRename()
{
    // After fchown, because changing the owner clears the set-user-id bits.
    if (m_bTargetExists && ::fchmod(m_fd, m_nTargetMode) != 0)
    {
        const int nError = errno;
        RemoveTemp();
        return Fail(nError);
    }
    const int nClose = ::close(m_fd);
    m_fd = -1;
    if (nClose != 0)
    {
        const int nError = errno;
        RemoveTemp();
        return Fail(nError);
    }
    if (::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0)
    {
        const int nError = errno;
        if (nError == EBUSY && m_bTargetExists)
        {
            // A file mounted over cannot be renamed over; writing into it still works.
            m_fd = ::open(m_strTemp.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (m_fd >= 0)
            {
                m_route = ERoute::CopyOver;
                return CommitCopy();
            }
        }
        RemoveTemp();
        return Fail(nError);
    }
    m_strTemp.clear();
    const int nError = SyncFolder(FolderForFiles(m_strTarget));
    if (nError != 0)
        return Fail(nError);
    return true;
}

bool CSafeSave::CommitCopy()
{
    struct stat st;
    if (::fstat(m_fd, &st) != 0)
    {
        const int nError = errno;
        RemoveTemp();
        return Fail(nError);
    }
    const off_t nSize = st.st_size;
    // Not truncated on opening: until the first byte is written the target is untouched.
    const int target = ::open(m_strTarget.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (target < 0)
    {
        const int nError = errno;
        RemoveTemp();
        return Fail(nError);
    }
#ifdef FALLOC_FL_KEEP_SIZE
    // Claims the room first, so that a full disk is found before anything is overwritten.
    if (nSize > 0 && ::fallocate(target, FALLOC_FL_KEEP_SIZE, 0, nSize) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
    {
        const int nError = errno;
        ::close(target);
        RemoveTemp();
        return Fail(nError);
    }
#endif
    std::vector<char> buffer(1 << 20);
    off_t offset = 0;
    int nError = 0;
    while (offset < nSize && nError == 0)
    {
        const ssize_t got = ::pread(m_fd, buffer.data(), buffer.size(), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            nError = got < 0 ? errno : EIO;
        else if (!WriteAllAt(target, buffer.data(), static_cast<size_t>(got), offset))
            nError = errno;
        else
            offset += got;
    }
    if (nError == 0 && ::ftruncate(target, nSize) != 0)
        nError = errno;
    if (nError == 0 && ::fsync(target) != 0)
        nError = errno;
    if (::close(target) != 0 && nError == 0)
        nError = errno;
    if (nError != 0)
    {
        // The target may hold part of the new contents now; the complete ones stay here.
        ::close(m_fd);
        m_fd = -1;
        m_bTempKept = true;
        Fail(nError);
        m_strError += " The new contents are kept in \"" + m_strTemp + "\".";
        return false;
    }
    RemoveTemp();
    return true;
}

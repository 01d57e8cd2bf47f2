#include "platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int LockWholeFile(int fd, EFileLock kind)
{
    struct flock lock = {};
    lock.l_type = kind == EFileLock::Exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end of the file, however far it grows
    lock.l_pid = 0; // required for open-file-description locks
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0)
    {
        return 0;
    }
    return errno;
}

bool IsLockConflict(int nError)
{
    return nError == EAGAIN || nError == EACCES || nError == EWOULDBLOCK;
}

bool IsWriteLockedByOther(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
    {
        return false;
    }
    struct flock lock = {};
    lock.l_type = F_RDLCK; // conflicts only with write locks
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    lock.l_pid = 0;
    const bool bLocked = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return bLocked;
}

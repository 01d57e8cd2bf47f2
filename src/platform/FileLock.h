#pragma once
#include <string>

// Advisory whole-file locks that stand in for the sharing modes of other systems.
//
// The locks belong to the open file description (F_OFD_SETLK), not to the process, so two
// descriptors of one process conflict with each other exactly as two programs do, and a
// lock ends when its descriptor is closed. Other programs see them only if they ask for
// locks themselves (a second Scrivel does).

enum class EFileLock
{
    // Keeps others from taking a write lock: "others may read, nobody else may write".
    Shared,
    // Keeps others from taking any lock: "nobody else may read or write".
    Exclusive,
};

// Takes the lock without waiting. Returns 0 on success, otherwise the errno value
// (EAGAIN or EACCES when another holder conflicts).
int LockWholeFile(int fd, EFileLock kind);

// Whether an errno value from LockWholeFile means another holder has a conflicting lock.
bool IsLockConflict(int nError);

// Whether another open file description holds a write (exclusive) lock on the file at
// path, that is, whether a program is editing it in place. False when it cannot be asked.
bool IsWriteLockedByOther(const std::string& path);

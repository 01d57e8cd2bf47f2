#pragma once
// Permission tests: permission bits mean nothing to root, so a test that checks what an
// ordinary user may do runs that part as one.

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs fn as an ordinary user: as root, in a child process that gave up root for user and
// group 65534; otherwise in this process. Returns fn's result (98 when the child died, 99
// when it could not give up root).
inline int RunUnprivileged(const std::function<int()>& fn)
{
    if (geteuid() != 0)
        return fn();
    const pid_t pid = fork();
    if (pid == 0)
    {
        if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)
            _exit(99);
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

#pragma once
// Shared by the load and save tests of the document buffer.

#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "encoding/TextEditBufferEx.h"
#include "platform/SystemInfo.h"

// Every line with its own ending, as the buffer holds it.
inline std::string StoredText(const CTarvoTextEditBuffer& buffer)
{
    std::string text;
    for (int i = 0; i < buffer.GetLineCount(); ++i)
    {
        const CTarvoTextLineInfo* line = buffer.GetLineRecord(i);
        text.append(line->pcLine, static_cast<size_t>(line->nLength + line->nEolLength));
    }
    return text;
}

// Runs fn as an ordinary user: as root in a child process that gave up root (permission
// bits mean nothing to root), otherwise here. Returns fn's result.
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

// Text in memory is UTF-8 for these tests, whatever the machine's locale says.
class CTextCodePageScope
{
public:
    explicit CTextCodePageScope(int nCodePage) : m_nOld(GetTextCodePage())
    {
        SetTextCodePage(nCodePage);
    }
    ~CTextCodePageScope() { SetTextCodePage(m_nOld); }

private:
    int m_nOld;
};

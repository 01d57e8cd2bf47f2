#pragma once
// Shared by the load and save tests of the document buffer.

#include <string>
#include <unistd.h>

#include "RunUnprivileged.h"
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

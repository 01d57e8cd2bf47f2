#pragma once
// Helpers of the text view tests: buffers made from a string, and a bare view that hands
// the buffer's notifications to a layout as the widget does.

#include <string>

#include "text/TextEditBuffer.h"
#include "textview/TextLayout.h"

// Makes the buffer hold exactly `text` (lines split at CR LF, CR or LF).
inline void MakeBuffer(CTarvoTextEditBuffer& buffer, const std::string& text)
{
    buffer.InitNew(LineEndCrLf);
    int endLine = 0, endChar = 0;
    if (!text.empty())
        buffer.InsertText(nullptr, 0, 0, text.c_str(), endLine, endChar, 0, false);
}

inline std::string GetLineText(CTarvoTextEditBuffer& buffer, int line)
{
    const CTarvoTextLineInfo* rec = buffer.GetLineRecord(line);
    return rec != nullptr ? std::string(rec->pcLine, static_cast<size_t>(rec->nLength)) : "";
}

inline int GetLineLength(CTarvoTextEditBuffer& buffer, int line)
{
    const CTarvoTextLineInfo* rec = buffer.GetLineRecord(line);
    return rec != nullptr ? rec->nLength : 0;
}

class CLayoutView : public CTextBufferView
{
public:
    explicit CLayoutView(CTextLayout& layout) : m_layout(layout) {}
    void OnUpdate(CTextBufferView*, const CUpdateContext* pContext, uint32_t dwHint,
                  int nLine) override
    {
        m_last = m_layout.OnUpdate(pContext, dwHint, nLine);
        m_bUpdated = true;
    }
    void OnBeforeTextChange() override { m_layout.OnBeforeTextChange(); }

    CTextLayout& m_layout;
    SLayoutUpdate m_last;
    bool m_bUpdated = false;
};

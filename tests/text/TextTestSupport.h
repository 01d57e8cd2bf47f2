#pragma once
// Helpers shared by the text buffer tests.

#include <string>
#include <vector>

#include "text/TextEditBuffer.h"

// A view that writes down what the buffer tells it.
class CRecorderView : public CTextBufferView
{
public:
    struct SUpdate
    {
        CTextBufferView* pSource;
        uint32_t dwHint;
        int nLine;
        bool bHasContext;
    };

    void OnUpdate(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint, int nLine) override
    {
        m_aUpdates.push_back({pSource, dwHint, nLine, pContext != nullptr});
        if (pContext != nullptr)
            for (STextPosition& pt : m_aTracked)
                pContext->RecalcPoint(pt);
    }
    void OnParserChanged() override
    {
        ++m_nParserChanges;
    }
    void OnUndoGroupClosed(int nAction, const char* pszText) override
    {
        m_aClosed.emplace_back(nAction, pszText);
    }

    std::vector<SUpdate> m_aUpdates;
    std::vector<STextPosition> m_aTracked; // positions mapped through every context
    int m_nParserChanges = 0;
    std::vector<std::pair<int, std::string>> m_aClosed;
};

// The whole text exactly as stored, each line with its own ending.
inline std::string StoredText(const CTarvoTextEditBuffer& buffer)
{
    std::string text;
    const int last = buffer.GetLineCount() - 1;
    buffer.GetStoredTextRange(0, 0, last, buffer.GetLineRecord(last)->nLength, text);
    return text;
}

// A buffer made new and filled with text (not recorded, not modified).
inline void FillBuffer(CTarvoTextEditBuffer& buffer, const char* text)
{
    buffer.InitNew(LineEndCrLf);
    int endLine = 0;
    int endChar = 0;
    buffer.InsertText(nullptr, 0, 0, text, endLine, endChar, 0, false);
    buffer.SetModified(false);
}

inline std::string LineText(const CTarvoTextEditBuffer& buffer, int line)
{
    const CTarvoTextLineInfo* record = buffer.GetLineRecord(line);
    return std::string(record->pcLine, static_cast<size_t>(record->nLength));
}

inline std::string LineEnding(const CTarvoTextEditBuffer& buffer, int line)
{
    const CTarvoTextLineInfo* record = buffer.GetLineRecord(line);
    return std::string(record->pcLine + record->nLength, static_cast<size_t>(record->nEolLength));
}

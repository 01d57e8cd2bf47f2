#pragma once
// The text layout as the source of an HTML export: the runs and the expansion the view
// draws with. Safe to use from the export's worker thread while the view paints: it reads
// line records and the layout's display options, and parses from the state it is given
// instead of using the buffer's state cache. Nothing may edit the text meanwhile.

#include "syntax/SyntaxTextExport.h"
#include "textview/TextLayout.h"

class CTextLayoutExportSource : public CSyntaxExportSource
{
public:
    explicit CTextLayoutExportSource(CTextLayout& layout) : m_layout(layout) {}

    int GetLineCount() const override { return m_layout.GetLineCount(); }
    const CTarvoTextLineInfo* GetExportLine(int nLine) const override
    {
        return m_layout.GetBuffer() != nullptr ? m_layout.GetBuffer()->GetLineRecord(nLine)
                                               : nullptr;
    }
    uint32_t GetExportRuns(uint32_t state, int nLine, std::vector<SyntaxRun>& runs) const override
    {
        return m_layout.GetLineRunsFrom(state, GetExportLine(nLine), runs);
    }
    int ExpandForExport(const char* chars, int length, int first, int count, int nStartColumn,
                        std::string& out) const override
    {
        return m_layout.ExpandForDisplay(chars, length, first, count, nStartColumn, out, nullptr);
    }
    int GetExportCodePage() const override { return m_layout.GetCodePage(); }

private:
    CTextLayout& m_layout;
};

#include "textview/TextViewCommands.h"

#include "syntax/TextEditSettings.h"

namespace
{
// The view flag each flag command toggles and the setting that keeps it.
struct SFlagCommand
{
    int nId;
    uint32_t dwFlag;
    bool CTextEditSettings::*pSetting;
};

const SFlagCommand kFlagCommands[] = {
    {ID_VIEW_HIGHLIGHT_SYNTAX, ViewHighlightSyntax, &CTextEditSettings::m_bHighlightSyntax},
    {ID_VIEW_HIGHLIGHT_LINE, ViewHighlightLine, &CTextEditSettings::m_bHighlightCurrentLine},
    {ID_VIEW_LINE_NUMBERS, ViewLineNumbers, &CTextEditSettings::m_bShowLineNumbers},
    {ID_VIEW_MARGIN, ViewMargin, &CTextEditSettings::m_bShowIndicatorMargin},
    {ID_VIEW_CHANGE_MARKS, ViewChangeMarks, &CTextEditSettings::m_bTrackChanges},
};

const SFlagCommand* FindFlagCommand(int nId)
{
    for (const SFlagCommand& c : kFlagCommands)
        if (c.nId == nId)
            return &c;
    return nullptr;
}
} // namespace

CTextViewOptions::CTextViewOptions(CTextLayout& layout, CTextEditSettings* pSettings)
    : m_layout(layout), m_pSettings(pSettings)
{
}

void CTextViewOptions::ApplySettings()
{
    if (m_pSettings == nullptr)
        return;
    uint32_t flags = 0;
    for (const SFlagCommand& c : kFlagCommands)
        if (m_pSettings->*c.pSetting)
            flags |= c.dwFlag;
    m_layout.SetViewFlags(flags);
    m_layout.SetShowWhitespace(m_pSettings->m_bShowWhitespace);
    m_layout.SetShowLineEndings(m_pSettings->m_bShowLineEndings);
    m_layout.SetWordWrap(m_pSettings->m_bWrapLines);
}

bool CTextViewOptions::IsChecked(int nId) const
{
    if (const SFlagCommand* c = FindFlagCommand(nId))
        return (m_layout.GetViewFlags() & c->dwFlag) != 0;
    switch (nId)
    {
    case ID_VIEW_WRAP_LINES:
        return m_layout.GetWordWrap();
    case ID_VIEW_WHITESPACE:
        return m_layout.GetShowWhitespace();
    case ID_VIEW_LINE_ENDINGS:
        return m_layout.GetShowLineEndings();
    default:
        return false;
    }
}

bool CTextViewOptions::OnUpdateCommand(int nId, SCommandState& state)
{
    if (FindFlagCommand(nId) == nullptr && nId != ID_VIEW_WRAP_LINES && nId != ID_VIEW_WHITESPACE &&
        nId != ID_VIEW_LINE_ENDINGS)
        return false;
    state.bEnabled = m_layout.GetBuffer() != nullptr;
    state.bChecked = IsChecked(nId);
    return true;
}

bool CTextViewOptions::OnCommand(int nId)
{
    const bool bOn = !IsChecked(nId);
    if (const SFlagCommand* c = FindFlagCommand(nId))
    {
        m_layout.SetViewFlags(bOn ? (m_layout.GetViewFlags() | c->dwFlag)
                                  : (m_layout.GetViewFlags() & ~c->dwFlag));
        if (m_pSettings != nullptr)
            m_pSettings->*c->pSetting = bOn;
    }
    else if (nId == ID_VIEW_WRAP_LINES)
    {
        m_layout.SetWordWrap(bOn);
        if (m_pSettings != nullptr)
            m_pSettings->m_bWrapLines = bOn;
    }
    else if (nId == ID_VIEW_WHITESPACE || nId == ID_VIEW_LINE_ENDINGS)
    {
        const bool bWhitespace = nId == ID_VIEW_WHITESPACE ? bOn : m_layout.GetShowWhitespace();
        const bool bLineEndings = nId == ID_VIEW_LINE_ENDINGS ? bOn : m_layout.GetShowLineEndings();
        if (m_pSettings != nullptr)
        {
            m_pSettings->m_bShowWhitespace = bWhitespace;
            m_pSettings->m_bShowLineEndings = bLineEndings;
        }
        if (m_fnDocumentSwitches)
        {
            m_fnDocumentSwitches(bWhitespace, bLineEndings);
        }
        else
        {
            m_layout.SetShowWhitespace(bWhitespace);
            m_layout.SetShowLineEndings(bLineEndings);
        }
    }
    else
    {
        return false;
    }
    if (m_fnChanged)
        m_fnChanged(nId);
    return true;
}

const std::vector<SCommandInfo>& CTextViewOptions::GetCommandInfos()
{
    static const std::vector<SCommandInfo> kInfos = {
        {ID_VIEW_HIGHLIGHT_SYNTAX, "&Highlight Syntax", ""},
        {ID_VIEW_HIGHLIGHT_LINE, "Highlight &Current Line", ""},
        {ID_VIEW_LINE_NUMBERS, "Show Line &Numbers", ""},
        {ID_VIEW_MARGIN, "Show &Margin", ""},
        {ID_VIEW_CHANGE_MARKS, "Show C&hange Marks", ""},
        {ID_VIEW_WHITESPACE, "Show &Whitespace", ""},
        {ID_VIEW_LINE_ENDINGS, "Show Line &Endings", ""},
        {ID_VIEW_WRAP_LINES, "&Wrap Lines", ""},
    };
    return kInfos;
}

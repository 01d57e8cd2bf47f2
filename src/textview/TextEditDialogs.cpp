#include "textview/TextEditDialogs.h"

#include <algorithm>
#include <cstdio>

#include "syntax/SyntaxParserFactory.h"
#include "text/TextEditBuffer.h"
#include "textview/TextEditController.h"
#include "textview/TextFind.h"

namespace
{
bool Less(const STextPosition& a, const STextPosition& b)
{
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

// The text the dialogs start with: a selection within one line, else the word at the caret.
std::string TextAtCaret(CTarvoTextEditController& controller, bool bUseSelection)
{
    if (bUseSelection && controller.HasSelection())
    {
        STextPosition start;
        STextPosition end;
        controller.GetSelection(start, end);
        if (start.y == end.y)
            return controller.GetSelectedText();
        return std::string();
    }
    const STextPosition start = controller.WordStartAt(controller.GetCaret());
    const STextPosition end = controller.WordEndAt(controller.GetCaret());
    return std::string(controller.LineChars(start.y) + start.x,
                       static_cast<size_t>(end.x - start.x));
}
} // namespace

uint32_t SFindDialogValues::Flags() const
{
    return (bMatchCase ? SearchMatchCase : 0u) | (bWholeWord ? SearchWholeWord : 0u) |
           (bRegExp ? SearchPattern : 0u) | (bUp ? SearchUp : 0u);
}

SFindDialogValues InitFindDialog(CTarvoTextEditController& controller)
{
    SFindDialogValues values;
    CTextEditFind& find = controller.GetFind();
    if (find.HasLastSearch())
    {
        const uint32_t flags = find.GetLastSearchFlags();
        values.strText = find.GetLastSearchText();
        values.bMatchCase = (flags & SearchMatchCase) != 0;
        values.bWholeWord = (flags & SearchWholeWord) != 0;
        values.bRegExp = (flags & SearchPattern) != 0;
        values.bUp = (flags & SearchUp) != 0;
    }
    const std::string here = TextAtCaret(controller, true);
    if (!here.empty())
        values.strText = here;
    if (controller.GetSearchHistory() != nullptr)
        values.recent = controller.GetSearchHistory()->GetFindTexts();
    return values;
}

// ---------------------------------------------------------------------------------------
// Replace

CTextReplaceSession::CTextReplaceSession(CTarvoTextEditController& controller)
    : m_controller(controller)
{
    CTextEditFind& find = controller.GetFind();
    if (find.HasLastSearch())
    {
        const uint32_t flags = find.GetLastSearchFlags();
        m_strFind = find.GetLastSearchText();
        m_bMatchCase = (flags & SearchMatchCase) != 0;
        m_bWholeWord = (flags & SearchWholeWord) != 0;
        m_bRegExp = (flags & SearchPattern) != 0;
        m_bDontWrap = (flags & SearchNoWrap) != 0;
    }
    if (controller.HasSelection())
    {
        m_bSelectionEnabled = true;
        m_bSelectionScope = true;
        controller.GetSelection(m_ptBlockBegin, m_ptBlockEnd);
        m_ptPosition = m_ptBlockBegin;
    }
    else
    {
        m_ptPosition = controller.GetCaret();
        const std::string word = TextAtCaret(controller, false);
        if (!word.empty())
            m_strFind = word;
    }
    if (controller.GetSearchHistory() != nullptr)
    {
        m_recentFind = controller.GetSearchHistory()->GetFindTexts();
        m_recentReplace = controller.GetSearchHistory()->GetReplaceTexts();
    }
}

uint32_t CTextReplaceSession::Flags() const
{
    return (m_bMatchCase ? SearchMatchCase : 0u) | (m_bWholeWord ? SearchWholeWord : 0u) |
           (m_bRegExp ? SearchPattern : 0u);
}

bool CTextReplaceSession::StepAfter(const STextPosition& pt, STextPosition& ptNext) const
{
    if (pt.x < m_controller.LineLength(pt.y))
    {
        ptNext = {m_controller.NextCharIndex(pt.y, pt.x), pt.y};
        return true;
    }
    if (pt.y + 1 < m_controller.LineCount())
    {
        ptNext = {0, pt.y + 1};
        return true;
    }
    return false;
}

STextPosition CTextReplaceSession::ShiftBehind(const STextPosition& pt,
                                               const STextPosition& ptMatchEnd,
                                               const STextPosition& ptReplacementEnd)
{
    if (Less(pt, ptMatchEnd))
        return pt;
    if (pt.y == ptMatchEnd.y)
        return {ptReplacementEnd.x + pt.x - ptMatchEnd.x, ptReplacementEnd.y};
    return {pt.x, pt.y + ptReplacementEnd.y - ptMatchEnd.y};
}

bool CTextReplaceSession::Search(const STextPosition& ptFrom, STextPosition& ptFound)
{
    CTextSearcher& searcher = m_controller.GetFind().GetSearcher();
    if (m_bSelectionScope)
        return searcher.FindTextInBlock(m_strFind, ptFrom, m_ptBlockBegin, m_ptBlockEnd, Flags(),
                                        false, ptFound);
    return searcher.FindText(m_strFind, ptFrom, Flags(), !m_bDontWrap, ptFound);
}

bool CTextReplaceSession::FindNext(bool bMessage)
{
    if (m_strFind.empty())
        return false;
    STextPosition from = m_ptPosition;
    if (m_bHasMatch && !StepAfter(m_ptMatchStart, from))
        m_bHasMatch = false;
    if (!m_bHasMatch)
        from = m_ptPosition;
    STextPosition found;
    if (Search(from, found))
    {
        m_ptMatchStart = found;
        m_ptMatchEnd = m_controller.GetFind().GetSearcher().GetMatchEnd();
        m_bHasMatch = true;
        m_controller.GetFind().SelectMatch(m_ptMatchStart, m_ptMatchEnd, false);
        m_nDefaultButton = IdcReplaceButton;
        return true;
    }
    if (m_bSelectionScope)
        m_ptPosition = m_ptBlockBegin;
    m_bHasMatch = false;
    m_nDefaultButton = IdcFindNextButton;
    const STextEditHooks& hooks = m_controller.GetHooks();
    if (bMessage && hooks.messageBox)
        hooks.messageBox(CTextEditFind::NotFoundMessage(m_strFind, false), true);
    return false;
}

bool CTextReplaceSession::Replace()
{
    if (!m_controller.CanEdit())
        return false;
    if (!m_bHasMatch)
        return FindNext();
    CTextEditFind& find = m_controller.GetFind();
    const STextPosition matchStart = m_ptMatchStart;
    const STextPosition matchEnd = m_ptMatchEnd;
    m_controller.SetSelection(matchStart, matchEnd);
    if (find.ReplaceSelection(m_strReplace, Flags()))
    {
        const STextPosition replacementEnd = m_controller.GetCaret();
        if (m_bSelectionScope)
            m_ptBlockEnd = ShiftBehind(m_ptBlockEnd, matchEnd, replacementEnd);
        m_ptPosition = replacementEnd;
        // After an empty match the search moves on by one character, so it cannot find
        // the same empty match again.
        if (matchStart == matchEnd && !StepAfter(replacementEnd, m_ptPosition))
            m_ptPosition = replacementEnd;
    }
    else if (!StepAfter(matchStart, m_ptPosition))
        m_ptPosition = matchStart;
    m_bHasMatch = false;
    return FindNext();
}

int CTextReplaceSession::ReplaceAll()
{
    if (!m_controller.CanEdit() || m_strFind.empty())
        return 0;
    m_controller.BeginEditStep();
    if (!m_bHasMatch && !FindNext(false))
    {
        m_controller.EndEditStep();
        const STextEditHooks& hooks = m_controller.GetHooks();
        if (hooks.messageBox)
            hooks.messageBox(CTextEditFind::NotFoundMessage(m_strFind, false), true);
        return 0;
    }
    CTextEditFind& find = m_controller.GetFind();
    CTextSearcher& searcher = find.GetSearcher();
    STextPosition begin = m_ptMatchStart;
    bool bWrapped = false;
    int count = 0;
    while (true)
    {
        const STextPosition matchStart = m_ptMatchStart;
        const STextPosition matchEnd = m_ptMatchEnd;
        m_controller.SetSelection(matchStart, matchEnd);
        STextPosition next = matchStart;
        if (find.ReplaceSelection(m_strReplace, Flags(), count > 0))
        {
            ++count;
            const STextPosition replacementEnd = m_controller.GetCaret();
            // The beginning moves only with text behind it; the first match itself stays
            // where replacing began.
            if (Less(matchStart, begin))
                begin = ShiftBehind(begin, matchEnd, replacementEnd);
            if (m_bSelectionScope)
                m_ptBlockEnd = ShiftBehind(m_ptBlockEnd, matchEnd, replacementEnd);
            next = replacementEnd;
            if (matchStart == matchEnd && !StepAfter(replacementEnd, next))
                break;
        }
        else if (!StepAfter(matchStart, next))
            break; // the match stays; the search goes on behind it
        STextPosition found;
        if (!Search(next, found))
            break;
        if (Less(found, matchStart) || (found == matchStart && !(next == matchStart)))
        {
            // The search wrapped: replacing ends at the first match at or after the point
            // where it began, and never goes round a second time.
            if (bWrapped)
                break;
            bWrapped = true;
        }
        if (bWrapped && !Less(found, begin))
            break;
        m_ptMatchStart = found;
        m_ptMatchEnd = searcher.GetMatchEnd();
    }
    m_controller.EndEditStep();
    m_bHasMatch = false;
    m_ptPosition = m_controller.GetCaret();
    m_nDefaultButton = IdcFindNextButton;
    if (m_controller.GetSearchHistory() != nullptr)
    {
        m_controller.GetSearchHistory()->AddFindText(m_strFind);
        m_controller.GetSearchHistory()->AddReplaceText(m_strReplace);
    }
    return count;
}

void CTextReplaceSession::Close()
{
    m_controller.GetFind().SetLastSearch(m_strFind, Flags() | (m_bDontWrap ? SearchNoWrap : 0u));
    if (m_bSelectionScope)
        m_controller.SetSelection(m_ptBlockBegin, m_ptBlockEnd);
}

// ---------------------------------------------------------------------------------------
// Go to Line

std::string SGoToLine::RangeText(int nLineCount)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%d - %d)", 0, nLineCount);
    return text;
}

bool SGoToLine::Parse(const std::string& text, int nLineCount, int& nValue)
{
    if (text.empty() || text.size() > 10)
        return false;
    long long value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > nLineCount)
        return false;
    nValue = static_cast<int>(value);
    return true;
}

void SGoToLine::Apply(CTarvoTextEditController& controller, int nValue, bool bRelative)
{
    if (controller.LineCount() == 0)
        return;
    const STextPosition caret = controller.GetCaret();
    long long n = nValue;
    if (bRelative)
        n += caret.y;
    const int line = static_cast<int>(std::clamp<long long>(n - 1, 0, controller.LineCount() - 1));
    const int x = std::min(caret.x, controller.LineLength(line));
    controller.SetCaret({x, line});
    controller.EnsureCaretVisible();
}

// ---------------------------------------------------------------------------------------
// Syntax menu

std::vector<STextMenuItem> BuildSyntaxTypeMenu(const CSyntaxParserFactory& factory,
                                               int nCurrentParserId)
{
    std::vector<STextMenuItem> items;
    for (const SSyntaxMenuItem& item : factory.BuildSyntaxMenu(nCurrentParserId, CmdSyntaxFirst))
    {
        STextMenuItem entry;
        entry.nId = item.bSeparator ? 0 : item.nCommandId;
        entry.strText = item.nCommandId == CmdSyntaxFirst ? "&None" : item.strText;
        entry.bChecked = item.bChecked;
        entry.bEnabled = item.bEnabled;
        items.push_back(entry);
    }
    return items;
}

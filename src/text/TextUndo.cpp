// Undo and redo of the text buffer.
//
// The history is a linear list of records; a record with kUndoBeginGroup starts a group,
// and undo and redo always move by whole groups. Records below the undo position can be
// undone, the rest redone. The saved position is the undo position whose text is the one
// on disk; it becomes negative when that text can no longer be reached.

#include <cassert>

#include "text/TextEditBuffer.h"

void CTarvoTextEditBuffer::ResetUndoHistory()
{
    m_aUndo.clear();
    m_nUndoPosition = 0;
    m_nSavedPosition = 0;
    m_bUndoGroup = false;
    m_bUndoBeginGroup = false;
    m_nLastGroupStart = -1;
}

void CTarvoTextEditBuffer::FindLastGroupStart()
{
    m_nLastGroupStart = static_cast<int>(m_aUndo.size()) - 1;
    while (m_nLastGroupStart > 0 && (m_aUndo[static_cast<size_t>(m_nLastGroupStart)].m_dwFlags & kUndoBeginGroup) == 0)
        --m_nLastGroupStart;
}

void CTarvoTextEditBuffer::MakeRoomForUndoRecord(bool bNewGroup)
{
    const int size = static_cast<int>(m_aUndo.size());
    // The group that the coming record continues is never cut: undoing it must restore
    // all of it (a Replace All may record far more than the limit in one group).
    const int kept = bNewGroup ? size : m_nLastGroupStart;
    int dropped = 0;
    while (size - dropped >= m_nUndoLimit && dropped < kept)
    {
        int next = dropped + 1;
        while (next < kept && (m_aUndo[static_cast<size_t>(next)].m_dwFlags & kUndoBeginGroup) == 0)
            ++next;
        dropped = next;
    }
    if (dropped == 0)
        return;
    m_aUndo.erase(m_aUndo.begin(), m_aUndo.begin() + dropped);
    if (m_nSavedPosition >= 0)
        m_nSavedPosition -= dropped;
    m_nUndoPosition -= dropped;
    m_nLastGroupStart = m_aUndo.empty() ? -1 : m_nLastGroupStart - dropped;
}

void CTarvoTextEditBuffer::AddUndoRecord(bool bInsert, const STextPosition& ptStart, const STextPosition& ptEnd,
                                         std::string_view text, int nAction, std::vector<uint32_t> revisions,
                                         std::vector<int> lineLengths)
{
    if (m_nUndoPosition < static_cast<int>(m_aUndo.size()))
    {
        // The redo steps are lost; if the saved text was among them, it cannot come back.
        if (m_nSavedPosition > m_nUndoPosition)
            m_nSavedPosition = -1;
        m_aUndo.erase(m_aUndo.begin() + m_nUndoPosition, m_aUndo.end());
        FindLastGroupStart();
    }
    const bool bNewGroup = m_bUndoBeginGroup || m_aUndo.empty();
    if (static_cast<int>(m_aUndo.size()) >= m_nUndoLimit)
        MakeRoomForUndoRecord(bNewGroup);

    SUndoRecord& record = m_aUndo.emplace_back();
    record.m_dwFlags = (bInsert ? kUndoInsert : 0) | (bNewGroup ? kUndoBeginGroup : 0);
    record.m_ptStartPos = ptStart;
    record.m_ptEndPos = ptEnd;
    record.m_nAction = nAction;
    record.m_aRevisions = std::move(revisions);
    record.m_strText.assign(text.data(), text.size());
    record.m_aLineLengths = std::move(lineLengths);
    m_bUndoBeginGroup = false;
    if (bNewGroup)
        m_nLastGroupStart = static_cast<int>(m_aUndo.size()) - 1;
    m_nUndoPosition = static_cast<int>(m_aUndo.size());
    CheckInvariants();
}

void CTarvoTextEditBuffer::BeginUndoGroup(bool bMerge)
{
    m_bUndoGroup = true;
    m_bUndoBeginGroup = m_nUndoPosition == 0 || !bMerge;
}

void CTarvoTextEditBuffer::FlushUndoGroup(CTextBufferView* pSource)
{
    // The group is closed before the view hears of it, so that the view may start a new
    // edit (automatic indentation) from its handler.
    m_bUndoGroup = false;
    if (pSource != nullptr && m_nUndoPosition > 0)
    {
        m_bUndoBeginGroup = true;
        const SUndoRecord& last = m_aUndo[static_cast<size_t>(m_nUndoPosition - 1)];
        const int nAction = last.m_nAction;
        const std::string text = last.m_strText;
        pSource->OnUndoGroupClosed(nAction, text.c_str());
    }
}

void CTarvoTextEditBuffer::TrimRedoRecords()
{
    const int count = static_cast<int>(m_aUndo.size());
    if (m_nUndoPosition > count)
    {
        m_nUndoPosition = count;
    }
    else if (m_nUndoPosition < count && m_nUndoPosition < count - m_nUndoPosition)
    {
        m_aUndo.erase(m_aUndo.begin() + 2 * m_nUndoPosition, m_aUndo.end());
        if (m_nSavedPosition > static_cast<int>(m_aUndo.size()))
            m_nSavedPosition = -1;
        FindLastGroupStart();
    }
    CheckInvariants();
}

void CTarvoTextEditBuffer::AlignModifiedWithSavedPosition()
{
    if (m_bModified && m_nSavedPosition == m_nUndoPosition)
        SetModified(false);
    else if (!m_bModified && m_nSavedPosition != m_nUndoPosition)
        SetModified(true);
}

void CTarvoTextEditBuffer::DropUndoHistory(bool bTextChanged)
{
    // Without history the present text is position 0; it is the saved text only if it was
    // before and nothing was replayed.
    const bool bWasSaved = !bTextChanged && m_nSavedPosition == m_nUndoPosition && !m_bModified;
    m_aUndo.clear();
    m_nUndoPosition = 0;
    m_nSavedPosition = bWasSaved ? 0 : -1;
    m_bUndoBeginGroup = true;
    m_nLastGroupStart = -1;
    if (!m_bModified && !bWasSaved)
        SetModified(true);
}

bool CTarvoTextEditBuffer::Undo(CTextBufferView* pSource, STextPosition& ptCaret)
{
    if (!CanUndo() || !CanEdit())
        return false;
    int position = m_nUndoPosition;
    bool bChanged = false;
    std::string present;
    for (;;)
    {
        --position;
        // A copy: the views told of each step may add to or clear the history.
        const SUndoRecord record = m_aUndo[static_cast<size_t>(position)];
        const STextPosition& start = record.m_ptStartPos;
        const STextPosition& end = record.m_ptEndPos;
        bool bDone;
        if ((record.m_dwFlags & kUndoInsert) == 0)
        {
            int nEndLine = 0;
            int nEndChar = 0;
            bDone = InternalInsertText(pSource, start.y, start.x, record.m_strText, nEndLine, nEndChar,
                                       record.m_aLineLengths.empty() ? nullptr : &record.m_aLineLengths);
            ptCaret = {nEndChar, nEndLine};
        }
        else
        {
            // The inserted text must still be there byte for byte, endings included.
            bDone = GetStoredTextRange(start.y, start.x, end.y, end.x, present) && present == record.m_strText &&
                    InternalDeleteText(pSource, start.y, start.x, end.y, end.x);
            ptCaret = start;
        }
        if (!bDone)
        {
            DropUndoHistory(bChanged);
            return false;
        }
        bChanged = true;
        if (m_bTrackChanges)
        {
            for (size_t i = 0; i < record.m_aRevisions.size(); ++i)
            {
                CTarvoTextLineInfo* line = GetLineRecord(start.y + static_cast<int>(i));
                if (line != nullptr)
                    line->dwRevision = record.m_aRevisions[i];
            }
        }
        if ((record.m_dwFlags & kUndoBeginGroup) != 0 || position == 0)
            break;
    }
    m_nUndoPosition = position;
    AlignModifiedWithSavedPosition();
    CheckInvariants();
    return true;
}

bool CTarvoTextEditBuffer::Redo(CTextBufferView* pSource, STextPosition& ptCaret)
{
    if (!CanRedo() || !CanEdit())
        return false;
    int position = m_nUndoPosition;
    bool bChanged = false;
    std::string present;
    do
    {
        const SUndoRecord record = m_aUndo[static_cast<size_t>(position)];
        const STextPosition& start = record.m_ptStartPos;
        const STextPosition& end = record.m_ptEndPos;
        bool bDone;
        if ((record.m_dwFlags & kUndoInsert) != 0)
        {
            int nEndLine = 0;
            int nEndChar = 0;
            bDone = InternalInsertText(pSource, start.y, start.x, record.m_strText, nEndLine, nEndChar);
            if (bDone)
                StampInsert(start.y, start.x, nEndLine, nEndChar);
            ptCaret = {nEndChar, nEndLine};
        }
        else
        {
            // Only the text that was deleted may be deleted again.
            bDone = GetStoredTextRange(start.y, start.x, end.y, end.x, present) && present == record.m_strText &&
                    InternalDeleteText(pSource, start.y, start.x, end.y, end.x);
            if (bDone)
                StampDelete(start.y, start.x, end.x);
            ptCaret = start;
        }
        if (!bDone)
        {
            DropUndoHistory(bChanged);
            return false;
        }
        bChanged = true;
        ++position;
    } while (position < static_cast<int>(m_aUndo.size()) &&
             (m_aUndo[static_cast<size_t>(position)].m_dwFlags & kUndoBeginGroup) == 0);
    m_nUndoPosition = position;
    AlignModifiedWithSavedPosition();
    CheckInvariants();
    return true;
}

bool CTarvoTextEditBuffer::GetActionDescription(int nAction, std::string& desc) const
{
    switch (nAction)
    {
    case EditActionUnknown: desc = "Unknown"; return true;
    case EditActionPaste: desc = "Paste"; return true;
    case EditActionDeleteSelection: desc = "Delete Selection"; return true;
    case EditActionCut: desc = "Cut"; return true;
    case EditActionTyping: desc = "Typing"; return true;
    case EditActionBackspace: desc = "Backspace"; return true;
    case EditActionIndent: desc = "Indent"; return true;
    case EditActionDragDrop: desc = "Drag And Drop"; return true;
    case EditActionReplace: desc = "Replace"; return true;
    case EditActionDelete: desc = "Delete"; return true;
    case EditActionAutoIndent: desc = "Auto Indent"; return true;
    case EditActionLowercase: desc = "Lowercase"; return true;
    case EditActionUppercase: desc = "Uppercase"; return true;
    case EditActionInvertCase: desc = "Invert Case"; return true;
    case EditActionCapitalize: desc = "Capitalize"; return true;
    case EditActionSentenceCase: desc = "Sentence Case"; return true;
    default: desc.clear(); return false;
    }
}

bool CTarvoTextEditBuffer::GetUndoDescription(std::string& desc, int nIndex) const
{
    desc.clear();
    const int index = nIndex == 0 ? m_nUndoPosition : nIndex;
    if (index <= 0 || index > static_cast<int>(m_aUndo.size()))
        return false;
    int i = index - 1;
    while (i > 0 && (m_aUndo[static_cast<size_t>(i)].m_dwFlags & kUndoBeginGroup) == 0)
        --i;
    return GetActionDescription(m_aUndo[static_cast<size_t>(i)].m_nAction, desc);
}

bool CTarvoTextEditBuffer::GetRedoDescription(std::string& desc, int nIndex) const
{
    desc.clear();
    const int index = nIndex == 0 ? m_nUndoPosition : nIndex;
    if (index < 0 || index >= static_cast<int>(m_aUndo.size()))
        return false;
    return GetActionDescription(m_aUndo[static_cast<size_t>(index)].m_nAction, desc);
}

std::string CTarvoTextEditBuffer::GetUndoMenuText() const
{
    std::string desc;
    if (!CanUndo() || !GetUndoDescription(desc) || desc.empty())
        return "&Undo\tCtrl+Z";
    return "&Undo " + desc + "\tCtrl+Z";
}

std::string CTarvoTextEditBuffer::GetRedoMenuText() const
{
    std::string desc;
    if (!CanRedo() || !GetRedoDescription(desc) || desc.empty())
        return "&Redo\tCtrl+Y";
    return "&Redo " + desc + "\tCtrl+Y";
}

#include "text/TextEditBuffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"

namespace
{
bool g_bTrackChangesDefault = true;

const char* LineEndStringOfMode(int nMode)
{
    switch (nMode)
    {
    case LineEndCr:
        return "\r";
    case LineEndLf:
        return "\n";
    default:
        return "\r\n";
    }
}
} // namespace

void SetTrackChangesDefault(bool bTrack)
{
    g_bTrackChangesDefault = bTrack;
}

bool GetTrackChangesDefault()
{
    return g_bTrackChangesDefault;
}

CTarvoTextEditBuffer::CTarvoTextEditBuffer() : m_bTrackChanges(GetTrackChangesDefault())
{
}

CTarvoTextEditBuffer::~CTarvoTextEditBuffer() = default;

void CTarvoTextEditBuffer::FreeAll()
{
    NotifyBeforeTextChange();
    FreeAllLines();
    ResetUndoHistory();
    m_aParseStates.clear();
    m_nParseStatesValid = 0;
    m_nKeptLine = -1;
    m_bInit = false;
    m_ptLastChange = {-1, -1};
}

void CTarvoTextEditBuffer::SetModified(bool bModified)
{
    m_bModified = bModified;
}

bool CTarvoTextEditBuffer::IsValidPosition(int nLine, int nChar) const
{
    const CTarvoTextLineInfo* line = GetLineRecord(nLine);
    return line != nullptr && nChar >= 0 && nChar <= line->nLength;
}

void CTarvoTextEditBuffer::CheckInvariants() const
{
#ifndef NDEBUG
    assert(!m_bInit || GetLineCount() >= 1);
    if (GetLineCount() > 0)
        CheckLines(GetLineCount() - 1, GetLineCount() - 1);
    assert(m_nUndoPosition >= 0 && m_nUndoPosition <= static_cast<int>(m_aUndo.size()));
    assert(m_aUndo.empty() || (m_aUndo.front().m_dwFlags & kUndoBeginGroup) != 0);
    assert(m_nLastGroupStart < static_cast<int>(m_aUndo.size()));
#endif
}

// ---------------------------------------------------------------------------------------
// Text ranges

namespace
{
// Appends the bytes of a range; eol null means each line's own ending.
void CollectRange(const CTarvoTextBuffer& buffer, int nStartLine, int nStartChar, int nEndLine, int nEndChar,
                  std::string& text, const char* eol)
{
    const size_t eolLength = eol == nullptr ? 0 : std::strlen(eol);
    size_t total = 0;
    for (int i = nStartLine; i <= nEndLine; ++i)
    {
        const CTarvoTextLineInfo* line = buffer.GetLineRecord(i);
        total += static_cast<size_t>(line->nLength) + std::max(static_cast<size_t>(line->nEolLength), eolLength);
    }
    text.clear();
    text.reserve(total);
    if (nStartLine == nEndLine)
    {
        text.assign(buffer.GetLineRecord(nStartLine)->pcLine + nStartChar, static_cast<size_t>(nEndChar - nStartChar));
        return;
    }
    for (int i = nStartLine; i <= nEndLine; ++i)
    {
        const CTarvoTextLineInfo* line = buffer.GetLineRecord(i);
        const int from = i == nStartLine ? nStartChar : 0;
        if (i == nEndLine)
        {
            text.append(line->pcLine, static_cast<size_t>(nEndChar));
            break;
        }
        text.append(line->pcLine + from, static_cast<size_t>(line->nLength - from));
        if (eol != nullptr)
            text.append(eol, eolLength);
        else
            text.append(line->pcLine + line->nLength, static_cast<size_t>(line->nEolLength));
    }
}
} // namespace

bool CTarvoTextEditBuffer::GetTextRange(int nStartLine, int nStartChar, int nEndLine, int nEndChar,
                                        std::string& text, int nMode) const
{
    text.clear();
    if (!IsValidPosition(nStartLine, nStartChar) || !IsValidPosition(nEndLine, nEndChar) || nEndLine < nStartLine ||
        (nEndLine == nStartLine && nEndChar < nStartChar))
        return false;
    CollectRange(*this, nStartLine, nStartChar, nEndLine, nEndChar, text, LineEndStringOfMode(nMode));
    return true;
}

bool CTarvoTextEditBuffer::GetStoredTextRange(int nStartLine, int nStartChar, int nEndLine, int nEndChar,
                                              std::string& text) const
{
    text.clear();
    if (!IsValidPosition(nStartLine, nStartChar) || !IsValidPosition(nEndLine, nEndChar) || nEndLine < nStartLine ||
        (nEndLine == nStartLine && nEndChar < nStartChar))
        return false;
    CollectRange(*this, nStartLine, nStartChar, nEndLine, nEndChar, text, nullptr);
    return true;
}

bool CTarvoTextEditBuffer::ConvertLineEnds()
{
    const char* eol = GetLineEndString();
    const int eolLength = static_cast<int>(std::strlen(eol));
    bool bChanged = false;
    NotifyBeforeTextChange();
    for (int i = 0; i < GetLineCount(); ++i)
    {
        CTarvoTextLineInfo& line = m_aLines[i];
        if (line.nEolLength == 0)
            continue;
        if (line.nEolLength == eolLength && std::memcmp(line.pcLine + line.nLength, eol, static_cast<size_t>(eolLength)) == 0)
            continue;
        ReserveLineBytes(line, line.nLength + eolLength + 1);
        std::memcpy(line.pcLine + line.nLength, eol, static_cast<size_t>(eolLength) + 1);
        line.nEolLength = eolLength;
        bChanged = true;
    }
    if (bChanged)
        SetModified(true);
    return bChanged;
}

// ---------------------------------------------------------------------------------------
// The two primitives

bool CTarvoTextEditBuffer::InternalInsertText(CTextBufferView* pSource, int nLine, int nPos, std::string_view text,
                                              int& nEndLine, int& nEndChar, const std::vector<int>* pLineLengths)
{
    if (!CanEdit() || !IsValidPosition(nLine, nPos))
        return false;
    CTarvoTextLineInfo* line = GetLineRecord(nLine);
    if (text.size() > static_cast<size_t>(kMaxLineBytes - line->nLength - line->nEolLength))
        return false;
    if (text.empty())
    {
        nEndLine = nLine;
        nEndChar = nPos;
        return true;
    }
    NotifyBeforeTextChange();
    const int textLength = static_cast<int>(text.size());
    const bool bStateKnown = IsLineParseStateKnown(nLine);
    const uint32_t stateBefore = bStateKnown ? m_aParseStates[static_cast<size_t>(nLine)] : 0;
    uint32_t dwHint;
    if (text.find_first_of("\r\n") == std::string_view::npos)
    {
        // Within one line: open a gap in the block.
        const int stored = line->nLength + line->nEolLength;
        ReserveLineBytes(*line, stored + textLength + 1);
        std::memmove(line->pcLine + nPos + textLength, line->pcLine + nPos, static_cast<size_t>(stored - nPos + 1));
        std::memcpy(line->pcLine + nPos, text.data(), text.size());
        line->nLength += textLength;
        nEndLine = nLine;
        nEndChar = nPos + textLength;
        dwHint = HintSingleLine | HintLineLength;
    }
    else
    {
        // The bytes behind the insertion point, ending included, wait aside while the
        // text's pieces (each up to and including one line ending) become lines.
        const uint32_t dwOldRevision = line->dwRevision;
        m_strTail.assign(line->pcLine + nPos, static_cast<size_t>(line->nLength + line->nEolLength - nPos));
        line->nLength = nPos;
        line->nEolLength = 0;
        line->pcLine[nPos] = '\0';

        std::vector<CTarvoTextLineInfo> fresh;
        size_t pos = 0;
        size_t piece = 0;
        bool bEndsWithEol = false;
        while (pos < text.size())
        {
            const size_t eol = text.find_first_of("\r\n", pos);
            size_t end = text.size();
            bEndsWithEol = eol != std::string_view::npos;
            if (bEndsWithEol)
                end = eol + (text[eol] == '\r' && eol + 1 < text.size() && text[eol + 1] == '\n' ? 2 : 1);
            if (pLineLengths != nullptr && piece < pLineLengths->size())
            {
                end = std::min(text.size(), pos + static_cast<size_t>(std::max((*pLineLengths)[piece], 1)));
                bEndsWithEol = text[end - 1] == '\r' || text[end - 1] == '\n';
            }
            ++piece;
            const char* pieceText = text.data() + pos;
            const int pieceLength = static_cast<int>(end - pos);
            if (pos == 0)
                AppendToRecord(*line, pieceText, pieceLength);
            else
                fresh.push_back(MakeLineRecord(pieceText, pieceLength));
            pos = end;
        }
        const int lastLine = nLine + static_cast<int>(fresh.size());
        if (bEndsWithEol)
        {
            // The tail (or, at the end of the text, an empty last line) follows the text.
            nEndLine = lastLine + 1;
            nEndChar = 0;
            fresh.push_back(MakeLineRecord(m_strTail.data(), static_cast<int>(m_strTail.size())));
            fresh.back().dwRevision = dwOldRevision;
        }
        else
        {
            CTarvoTextLineInfo& last = fresh.empty() ? *line : fresh.back();
            nEndLine = lastLine;
            nEndChar = last.nLength;
            AppendToRecord(last, m_strTail.data(), static_cast<int>(m_strTail.size()));
        }
        m_aLines.Insert(nLine + 1, fresh.data(), static_cast<int>(fresh.size()));
        dwHint = HintLineLength | HintLineCount;
    }
    CheckLines(nLine, nEndLine);
    CheckInvariants();

    if ((dwHint & HintLineCount) == 0)
        UpdateParseStatesAfterLineEdit(nLine, bStateKnown, stateBefore);
    else
        InvalidateParseStates(nLine);
    const CInsertContext context({nPos, nLine}, {nEndChar, nEndLine});
    NotifyViews(pSource, &context, dwHint, nLine);
    if (!m_bModified)
        SetModified(true);
    m_ptLastChange = {nEndChar, nEndLine};
    return true;
}

bool CTarvoTextEditBuffer::InternalDeleteText(CTextBufferView* pSource, int nStartLine, int nStartChar, int nEndLine,
                                              int nEndChar)
{
    if (!CanEdit() || !IsValidPosition(nStartLine, nStartChar) || !IsValidPosition(nEndLine, nEndChar) ||
        nEndLine < nStartLine || (nEndLine == nStartLine && nEndChar < nStartChar))
        return false;
    if (nStartLine == nEndLine && nStartChar == nEndChar)
        return true;
    NotifyBeforeTextChange();
    const bool bStateKnown = IsLineParseStateKnown(nStartLine);
    const uint32_t stateBefore = bStateKnown ? m_aParseStates[static_cast<size_t>(nStartLine)] : 0;
    uint32_t dwHint;
    CTarvoTextLineInfo& first = m_aLines[nStartLine];
    if (nStartLine == nEndLine)
    {
        const int stored = first.nLength + first.nEolLength;
        std::memmove(first.pcLine + nStartChar, first.pcLine + nEndChar, static_cast<size_t>(stored - nEndChar + 1));
        first.nLength -= nEndChar - nStartChar;
        dwHint = HintSingleLine | HintLineLength;
    }
    else
    {
        const CTarvoTextLineInfo& last = m_aLines[nEndLine];
        const int rest = last.nLength + last.nEolLength - nEndChar;
        if (rest > kMaxLineBytes - nStartChar)
            return false;
        first.nLength = nStartChar;
        first.nEolLength = 0;
        first.pcLine[nStartChar] = '\0';
        AppendToRecord(first, last.pcLine + nEndChar, rest);
        RemoveLineRecords(nStartLine + 1, nEndLine - nStartLine);
        dwHint = HintLineLength | HintLineCount;
    }
    CheckLines(nStartLine, nStartLine);
    CheckInvariants();

    if ((dwHint & HintLineCount) == 0)
        UpdateParseStatesAfterLineEdit(nStartLine, bStateKnown, stateBefore);
    else
        InvalidateParseStates(nStartLine);
    const CDeleteContext context({nStartChar, nStartLine}, {nEndChar, nEndLine});
    NotifyViews(pSource, &context, dwHint, nStartLine);
    if (!m_bModified)
        SetModified(true);
    m_ptLastChange = {nStartChar, nStartLine};
    return true;
}

// ---------------------------------------------------------------------------------------
// Recorded edits

void CTarvoTextEditBuffer::StampInsert(int nLine, int nPos, int nEndLine, int nEndChar)
{
    if (!m_bTrackChanges)
        return;
    ++m_dwCurrentRevision;
    for (int i = nLine; i < nEndLine; ++i)
        m_aLines[i].dwRevision = m_dwCurrentRevision;
    if (nPos != 0 || nEndChar != 0)
        m_aLines[nEndLine].dwRevision = m_dwCurrentRevision;
}

void CTarvoTextEditBuffer::StampDelete(int nStartLine, int nStartChar, int nEndChar)
{
    if (!m_bTrackChanges)
        return;
    ++m_dwCurrentRevision;
    if (nStartChar != 0 || nEndChar != 0)
        m_aLines[nStartLine].dwRevision = m_dwCurrentRevision;
}

bool CTarvoTextEditBuffer::InsertText(CTextBufferView* pSource, int nLine, int nPos, const char* pszText,
                                      int& nEndLine, int& nEndChar, int nAction, bool bHistory)
{
    const std::string_view text = pszText == nullptr ? std::string_view() : std::string_view(pszText);
    std::vector<uint32_t> revisions;
    if (bHistory && m_bTrackChanges && IsValidPosition(nLine, nPos))
        revisions.push_back(m_aLines[nLine].dwRevision);
    if (!InternalInsertText(pSource, nLine, nPos, text, nEndLine, nEndChar))
        return false;
    if (text.empty())
        return true;
    StampInsert(nLine, nPos, nEndLine, nEndChar);
    if (bHistory)
    {
        const bool bOpened = !m_bUndoGroup;
        if (bOpened)
            BeginUndoGroup(false);
        AddUndoRecord(true, {nPos, nLine}, {nEndChar, nEndLine}, text, nAction, std::move(revisions));
        if (bOpened)
            FlushUndoGroup(pSource);
    }
    return true;
}

bool CTarvoTextEditBuffer::DeleteText(CTextBufferView* pSource, int nStartLine, int nStartChar, int nEndLine,
                                      int nEndChar, int nAction, bool bHistory)
{
    if (!CanEdit())
        return false;
    std::string text;
    std::vector<uint32_t> revisions;
    std::vector<int> lineLengths;
    if (bHistory)
    {
        // The deleted bytes as stored, so that undo restores each line's own ending.
        if (!GetStoredTextRange(nStartLine, nStartChar, nEndLine, nEndChar, text))
            return false;
        if (m_bTrackChanges)
            for (int i = nStartLine; i <= nEndLine; ++i)
                revisions.push_back(m_aLines[i].dwRevision);
        bool bAmbiguous = false;
        for (int i = nStartLine; i + 1 < nEndLine && !bAmbiguous; ++i)
        {
            const CTarvoTextLineInfo& line = m_aLines[i];
            const CTarvoTextLineInfo& next = m_aLines[i + 1];
            bAmbiguous = line.nEolLength == 1 && line.pcLine[line.nLength] == '\r' && next.nLength == 0 &&
                         next.nEolLength == 1 && next.pcLine[0] == '\n';
        }
        if (bAmbiguous)
        {
            for (int i = nStartLine; i <= nEndLine; ++i)
            {
                const CTarvoTextLineInfo& line = m_aLines[i];
                const int from = i == nStartLine ? nStartChar : 0;
                lineLengths.push_back(i == nEndLine ? nEndChar - from : line.nLength + line.nEolLength - from);
            }
        }
    }
    if (!InternalDeleteText(pSource, nStartLine, nStartChar, nEndLine, nEndChar))
        return false;
    if (nStartLine == nEndLine && nStartChar == nEndChar)
        return true;
    StampDelete(nStartLine, nStartChar, nEndChar);
    if (bHistory)
    {
        const bool bOpened = !m_bUndoGroup;
        if (bOpened)
            BeginUndoGroup(false);
        AddUndoRecord(false, {nStartChar, nStartLine}, {nEndChar, nEndLine}, text, nAction, std::move(revisions),
                      std::move(lineLengths));
        if (bOpened)
            FlushUndoGroup(pSource);
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Views and parser

void CTarvoTextEditBuffer::NotifyViews(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint,
                                       int nLine)
{
    // A view may detach itself or another view while it is told; work on a copy and skip
    // views that left in the meantime.
    const std::vector<CTextBufferView*> views = m_aViews;
    for (CTextBufferView* view : views)
    {
        if (std::find(m_aViews.begin(), m_aViews.end(), view) != m_aViews.end())
            view->OnUpdate(pSource, pContext, dwHint, nLine);
    }
}

void CTarvoTextEditBuffer::NotifyBeforeTextChange()
{
    const std::vector<CTextBufferView*> views = m_aViews;
    for (CTextBufferView* view : views)
        view->OnBeforeTextChange();
}

void CTarvoTextEditBuffer::AttachView(CTextBufferView* pView)
{
    if (pView != nullptr && std::find(m_aViews.begin(), m_aViews.end(), pView) == m_aViews.end())
        m_aViews.push_back(pView);
}

void CTarvoTextEditBuffer::DetachView(CTextBufferView* pView)
{
    m_aViews.erase(std::remove(m_aViews.begin(), m_aViews.end(), pView), m_aViews.end());
}

uint32_t CTarvoTextEditBuffer::ParseLine(uint32_t state, int nLine, SyntaxRun* runs, int* count)
{
    const CTarvoTextLineInfo* line = GetLineRecord(nLine);
    if (m_pParser == nullptr || line == nullptr)
        return 0;
    int dummy = 0;
    return m_pParser->ParseLine(state, line, runs, count != nullptr ? count : &dummy);
}

uint32_t CTarvoTextEditBuffer::ParseLineComments(uint32_t state, int nLine, SyntaxRun* runs, int* count)
{
    const CTarvoTextLineInfo* line = GetLineRecord(nLine);
    if (m_pParser == nullptr || line == nullptr)
        return 0;
    int dummy = 0;
    return m_pParser->ParseLineComments(state, line, runs, count != nullptr ? count : &dummy);
}

void CTarvoTextEditBuffer::SetParser(CTextParser* pParser)
{
    m_pParser = pParser;
    InvalidateParseStates(0);
    const std::vector<CTextBufferView*> views = m_aViews;
    for (CTextBufferView* view : views)
    {
        if (std::find(m_aViews.begin(), m_aViews.end(), view) != m_aViews.end())
            view->OnParserChanged();
    }
}

void CTarvoTextEditBuffer::SetParserById(int nId)
{
    CTextParserLookup* lookup = GetTextParserLookup();
    CTextParser* parser = nullptr;
    if (lookup != nullptr)
    {
        parser = lookup->FindParserById(nId);
        if (parser == nullptr)
            parser = lookup->FindParserById(0);
    }
    SetParser(parser);
}

// The array covers the lines asked about so far, not every line: opening a large file and
// showing its first page then costs a few entries instead of one per line. It grows in
// steps of half its size; entries at or after m_nParseStatesValid are never read.
void CTarvoTextEditBuffer::ReserveParseStates(int nLine)
{
    m_nParseStatesValid = std::min(m_nParseStatesValid, GetLineCount());
    const size_t needed = static_cast<size_t>(nLine) + 1;
    if (m_aParseStates.size() >= needed)
        return;
    const size_t grown = std::max(needed, m_aParseStates.size() + m_aParseStates.size() / 2 + 1024);
    m_aParseStates.resize(std::min(grown, static_cast<size_t>(GetLineCount())), kParseStateUnknown);
}

uint32_t CTarvoTextEditBuffer::GetLineParseState(int nLine)
{
    if (nLine < 0 || nLine >= GetLineCount())
        return 0;
    ReserveParseStates(nLine);
    if (nLine < m_nParseStatesValid && m_aParseStates[static_cast<size_t>(nLine)] != kParseStateUnknown)
        return m_aParseStates[static_cast<size_t>(nLine)];
    int known = std::min(nLine, m_nParseStatesValid) - 1;
    while (known >= 0 && m_aParseStates[static_cast<size_t>(known)] == kParseStateUnknown)
        --known;
    uint32_t state = known >= 0 ? m_aParseStates[static_cast<size_t>(known)] : 0;
    // The walk reads packed lines in place: a state-only pass over a whole loaded file
    // must not make a record for every line it passes.
    size_t i = static_cast<size_t>(known + 1);
    int dummy = 0;
    m_aLines.VisitLines(known + 1, nLine - known, [&](const CTarvoTextLineInfo& line) {
        state = m_pParser != nullptr ? m_pParser->ParseLine(state, &line, nullptr, &dummy) : 0;
        m_aParseStates[i++] = state;
    });
    m_nParseStatesValid = std::max(m_nParseStatesValid, nLine + 1);
    CheckKeptParseStates(nLine);
    return state;
}

void CTarvoTextEditBuffer::SetLineParseState(int nLine, uint32_t state)
{
    if (nLine < 0 || nLine >= GetLineCount())
        return;
    ReserveParseStates(nLine);
    if (nLine > m_nParseStatesValid)
        std::fill(m_aParseStates.begin() + m_nParseStatesValid, m_aParseStates.begin() + nLine, kParseStateUnknown);
    m_aParseStates[static_cast<size_t>(nLine)] = state;
    m_nParseStatesValid = std::max(m_nParseStatesValid, nLine + 1);
    CheckKeptParseStates(nLine);
}

void CTarvoTextEditBuffer::InvalidateParseStates(int nLine)
{
    m_nParseStatesValid = std::min(m_nParseStatesValid, std::max(nLine, 0));
    m_nKeptLine = -1; // lines may have moved
}

bool CTarvoTextEditBuffer::IsLineParseStateKnown(int nLine) const
{
    return nLine >= 0 && nLine < m_nParseStatesValid && static_cast<size_t>(nLine) < m_aParseStates.size() &&
           m_aParseStates[static_cast<size_t>(nLine)] != kParseStateUnknown;
}

void CTarvoTextEditBuffer::UpdateParseStatesAfterLineEdit(int nLine, bool bKnown, uint32_t before)
{
    // States below a line the kept ones start after are valid only above this line now.
    if (m_nKeptLine >= 0 && nLine > m_nKeptLine)
        m_nKeptValid = std::min(m_nKeptValid, nLine);
    const int valid = m_nParseStatesValid;
    m_nParseStatesValid = std::min(m_nParseStatesValid, nLine);
    // Typing must not make the next paint, or a jump to the end, walk the rest of the text
    // again: when the line had a known end state and states below it are known, they wait
    // for the line's new end state.
    if (bKnown && m_pParser != nullptr && nLine + 1 < valid)
    {
        m_nKeptLine = nLine;
        m_dwKeptState = before;
        m_nKeptValid = valid;
    }
}

void CTarvoTextEditBuffer::CheckKeptParseStates(int nLine)
{
    if (m_nKeptLine < 0 || nLine < m_nKeptLine || m_nKeptLine >= m_nParseStatesValid)
        return;
    const uint32_t state = m_aParseStates[static_cast<size_t>(m_nKeptLine)];
    if (state != kParseStateUnknown && state == m_dwKeptState)
        m_nParseStatesValid = std::max(m_nParseStatesValid, m_nKeptValid);
    m_nKeptLine = -1;
}

// ---------------------------------------------------------------------------------------
// Settings and state

bool CTarvoTextEditBuffer::InitNew(int nLineEndMode)
{
    // Whatever the buffer held before is gone: a new buffer is exactly one empty line.
    FreeAll();
    CTextParserLookup* lookup = GetTextParserLookup();
    m_pParser = lookup != nullptr ? lookup->FindParserById(0) : nullptr;
    InsertLineRecord("", 0, -1, 1);
    SetLineEndMode(nLineEndMode);
    m_bInit = true;
    m_bWriteProtected = false;
    m_bReadOnly = false;
    SetModified(false);
    m_bUseTabs = true;
    m_nTabSize = 4;
    m_nUndoLimit = kDefaultUndoLimit;
    ResetUndoHistory();
    CheckInvariants();
    NotifyViews(nullptr, nullptr, HintReset, -1);
    m_ptLastChange = {-1, -1};
    return true;
}

int CTarvoTextEditBuffer::GetLineEndMode() const
{
    return m_nLineEndMode == LineEndCr || m_nLineEndMode == LineEndLf ? m_nLineEndMode : LineEndCrLf;
}

void CTarvoTextEditBuffer::SetLineEndMode(int nMode)
{
    m_nLineEndMode = nMode == 0 ? LineEndCrLf : nMode;
}

const char* CTarvoTextEditBuffer::GetLineEndString() const
{
    return LineEndStringOfMode(GetLineEndMode());
}

void CTarvoTextEditBuffer::SetTabSize(int nTabSize)
{
    // Views divide by the tab size.
    m_nTabSize = std::max(nTabSize, 1);
}

uint32_t CTarvoTextEditBuffer::GetLineRevision(int nLine) const
{
    const CTarvoTextLineInfo* line = GetLineRecord(nLine);
    return line != nullptr ? line->dwRevision : 0;
}

bool CTarvoTextEditBuffer::IsTrailByte(int nLine, int nIndex) const
{
    const CTarvoTextLineInfo* line = GetLineRecord(nLine);
    if (line == nullptr || nIndex < 0 || nIndex >= line->nLength)
        return false;
    return ::IsTrailByte(GetTextCodePage(), line->pcLine, line->nLength, nIndex);
}

// ---------------------------------------------------------------------------------------
// Line flags

namespace
{
bool IsSingleBit(uint32_t dwFlag)
{
    return dwFlag != 0 && (dwFlag & (dwFlag - 1)) == 0;
}
} // namespace

int CTarvoTextEditBuffer::FindLineWithFlag(uint32_t dwFlag) const
{
    return m_aLines.FindFlagged(0, GetLineCount() - 1, dwFlag);
}

int CTarvoTextEditBuffer::GetLineWithFlag(uint32_t dwFlag) const
{
    return IsSingleBit(dwFlag) ? FindLineWithFlag(dwFlag) : -1;
}

void CTarvoTextEditBuffer::SetLineFlag(int nLine, uint32_t dwFlag, bool bSet, bool bUnique, bool bUpdate)
{
    if (!IsSingleBit(dwFlag) && (nLine == -1 || bUnique))
        return;
    if (nLine == -1)
    {
        nLine = FindLineWithFlag(dwFlag);
        if (nLine == -1)
            return;
        bUnique = false;
    }
    CTarvoTextLineInfo* line = GetLineRecord(nLine);
    if (line == nullptr)
        return;
    uint32_t dwNew;
    if (bSet)
        dwNew = dwFlag == 0 ? 0 : line->dwFlags | dwFlag;
    else
        dwNew = line->dwFlags & ~dwFlag;
    if (dwNew == line->dwFlags)
        return;
    if (bUnique && bSet)
    {
        const int holder = FindLineWithFlag(dwFlag);
        if (holder != -1 && holder != nLine)
            SetLineFlag(holder, dwFlag, false, false, bUpdate);
        line = GetLineRecord(nLine);
    }
    line->dwFlags = dwNew;
    if (bUpdate)
        NotifyViews(nullptr, nullptr, HintSingleLine | HintLineMarks, nLine);
}

int CTarvoTextEditBuffer::FindNextBookmark(int nLine) const
{
    const int count = GetLineCount();
    if (count == 0)
        return -1;
    nLine = std::clamp(nLine, 0, count - 1);
    const int start = (m_aLines[nLine].dwFlags & LineFlagBookmark) != 0 ? nLine + 1 : nLine;
    const int found = start < count ? m_aLines.FindFlagged(start, count - 1, LineFlagBookmark) : -1;
    return found != -1 ? found : m_aLines.FindFlagged(0, count - 1, LineFlagBookmark);
}

int CTarvoTextEditBuffer::FindPreviousBookmark(int nLine) const
{
    const int count = GetLineCount();
    if (count == 0)
        return -1;
    nLine = std::clamp(nLine, 0, count - 1);
    const int start = (m_aLines[nLine].dwFlags & LineFlagBookmark) != 0 ? nLine - 1 : nLine;
    const int found = start >= 0 ? m_aLines.FindFlagged(start, 0, LineFlagBookmark) : -1;
    return found != -1 ? found : m_aLines.FindFlagged(count - 1, 0, LineFlagBookmark);
}

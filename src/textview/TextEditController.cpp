#include "textview/TextEditController.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/CodePageConv.h"
#include "platform/Folders.h"
#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParser.h"
#include "text/TextEditBuffer.h"
#include "textview/TextClipboard.h"
#include "textview/TextEditGeometry.h"
#include "textview/TextFind.h"

namespace
{
constexpr const char* kOpeningBrackets = "{([<";
constexpr const char* kClosingBrackets = "}]>"; // a closing parenthesis does not outdent
constexpr const char* kBracketPairs = "{}()[]<>";
constexpr int kCppParserId = 4;
constexpr size_t kMaxCaretMemos = 2048;

bool Less(const STextPosition& a, const STextPosition& b)
{
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

bool IsOneOf(char c, const char* set)
{
    return c != '\0' && std::strchr(set, c) != nullptr;
}

bool IsLineBreak(const std::string& text)
{
    return text == "\r\n" || text == "\n" || text == "\r";
}

char LowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperChar(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
} // namespace

bool IsEditWhiteSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsEditWordChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c > 127;
}

// ---------------------------------------------------------------------------------------
// Binding

CTarvoTextEditController::CTarvoTextEditController()
    : m_pSource(this), m_pFind(std::make_unique<CTextEditFind>(*this))
{
    m_hooks.fileExists = PathExists;
}

CTarvoTextEditController::~CTarvoTextEditController()
{
    Detach();
}

void CTarvoTextEditController::Attach(CTarvoTextEditBuffer* pBuffer, ITextEditGeometry* pGeometry,
                                      bool bAttachView)
{
    Detach();
    m_pBuffer = pBuffer;
    m_pGeometry = pGeometry;
    m_bAttachedAsView = bAttachView && pBuffer != nullptr;
    if (m_bAttachedAsView)
        m_pBuffer->AttachView(this);
    m_ptCaret = m_ptAnchor = {0, 0};
    m_nIdealColumn = -1;
    m_bOverwrite = false;
    m_bLastEditWasTyping = false;
    m_aMemos.clear();
    m_bBookmarkExists = m_pBuffer != nullptr && m_pBuffer->FindLineWithFlag(LineFlagBookmark) != -1;
    const CSyntaxDefinition* definition = GetSyntaxDefinition();
    m_bAutoIndent = definition == nullptr || (definition->GetFlags() & kSyntaxFlagAutoIndent) != 0;
    m_pFind->OnBufferChanged();
}

void CTarvoTextEditController::Detach()
{
    if (m_pBuffer != nullptr && m_bAttachedAsView)
        m_pBuffer->DetachView(this);
    m_pBuffer = nullptr;
    m_pGeometry = nullptr;
    m_bAttachedAsView = false;
    if (m_pFind)
        m_pFind->OnBufferChanged();
}

void CTarvoTextEditController::SetHooks(STextEditHooks hooks)
{
    if (!hooks.fileExists)
        hooks.fileExists = PathExists;
    m_hooks = std::move(hooks);
}

void CTarvoTextEditController::SetSearchHistory(ITextSearchHistory* pHistory)
{
    m_pHistory = pHistory;
}

const CSyntaxDefinition* CTarvoTextEditController::GetSyntaxDefinition() const
{
    if (m_pBuffer == nullptr)
        return nullptr;
    return dynamic_cast<const CSyntaxParser*>(m_pBuffer->GetParser());
}

bool CTarvoTextEditController::CanEdit() const
{
    return m_pBuffer != nullptr && m_pBuffer->CanEdit();
}

// ---------------------------------------------------------------------------------------
// Text helpers

int CTarvoTextEditController::LineCount() const
{
    return m_pBuffer != nullptr ? m_pBuffer->GetLineCount() : 0;
}

int CTarvoTextEditController::LineLength(int nLine) const
{
    const CTarvoTextLineInfo* line =
        m_pBuffer != nullptr ? m_pBuffer->GetLineRecord(nLine) : nullptr;
    return line != nullptr ? line->nLength : 0;
}

const char* CTarvoTextEditController::LineChars(int nLine) const
{
    const CTarvoTextLineInfo* line =
        m_pBuffer != nullptr ? m_pBuffer->GetLineRecord(nLine) : nullptr;
    return line != nullptr ? line->pcLine : "";
}

int CTarvoTextEditController::NextCharIndex(int nLine, int nChar) const
{
    const int length = LineLength(nLine);
    if (nChar >= length)
        return length;
    return nChar + CharLength(GetTextCodePage(), LineChars(nLine), length, nChar);
}

int CTarvoTextEditController::PrevCharIndex(int nLine, int nChar) const
{
    if (nChar <= 0)
        return 0;
    const int length = LineLength(nLine);
    return ::PrevCharIndex(GetTextCodePage(), LineChars(nLine), length, std::min(nChar, length));
}

STextPosition CTarvoTextEditController::Clamp(const STextPosition& pt) const
{
    if (LineCount() == 0)
        return {0, 0};
    STextPosition result;
    result.y = std::clamp(pt.y, 0, LineCount() - 1);
    result.x = std::clamp(pt.x, 0, LineLength(result.y));
    // Never inside a multibyte character.
    if (result.x > 0 && result.x < LineLength(result.y) &&
        IsTrailByte(GetTextCodePage(), LineChars(result.y), LineLength(result.y), result.x))
        result.x = PrevCharIndex(result.y, result.x);
    return result;
}

STextPosition CTarvoTextEditController::EndOfText() const
{
    const int last = std::max(LineCount() - 1, 0);
    return {LineLength(last), last};
}

void CTarvoTextEditController::SetSelection(const STextPosition& ptAnchor,
                                            const STextPosition& ptCaret)
{
    m_ptAnchor = Clamp(ptAnchor);
    m_ptCaret = Clamp(ptCaret);
    m_nIdealColumn = -1;
}

void CTarvoTextEditController::GetSelection(STextPosition& ptStart, STextPosition& ptEnd) const
{
    if (Less(m_ptCaret, m_ptAnchor))
    {
        ptStart = m_ptCaret;
        ptEnd = m_ptAnchor;
    }
    else
    {
        ptStart = m_ptAnchor;
        ptEnd = m_ptCaret;
    }
}

std::string CTarvoTextEditController::GetSelectedText() const
{
    std::string text;
    if (m_pBuffer == nullptr || !HasSelection())
        return text;
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    m_pBuffer->GetTextRange(start.y, start.x, end.y, end.x, text, m_pBuffer->GetLineEndMode());
    return text;
}

void CTarvoTextEditController::EnsureCaretVisible()
{
    if (m_pGeometry != nullptr)
        m_pGeometry->EnsureVisible(m_ptCaret);
}

STextPosition CTarvoTextEditController::WordStartAt(const STextPosition& pt) const
{
    STextPosition result = Clamp(pt);
    const char* chars = LineChars(result.y);
    while (result.x > 0)
    {
        const int prev = PrevCharIndex(result.y, result.x);
        if (!IsEditWordChar(static_cast<unsigned char>(chars[prev])))
            break;
        result.x = prev;
    }
    return result;
}

STextPosition CTarvoTextEditController::WordEndAt(const STextPosition& pt) const
{
    STextPosition result = Clamp(pt);
    const char* chars = LineChars(result.y);
    const int length = LineLength(result.y);
    while (result.x < length && IsEditWordChar(static_cast<unsigned char>(chars[result.x])))
        result.x = NextCharIndex(result.y, result.x);
    return result;
}

// ---------------------------------------------------------------------------------------
// Positions across edits

void CTarvoTextEditController::TrackPosition(STextPosition* pPoint)
{
    if (pPoint != nullptr &&
        std::find(m_aTracked.begin(), m_aTracked.end(), pPoint) == m_aTracked.end())
        m_aTracked.push_back(pPoint);
}

void CTarvoTextEditController::UntrackPosition(STextPosition* pPoint)
{
    m_aTracked.erase(std::remove(m_aTracked.begin(), m_aTracked.end(), pPoint), m_aTracked.end());
}

void CTarvoTextEditController::OnUpdate(CTextBufferView* /*pSource*/,
                                        const CUpdateContext* pContext, uint32_t dwHint,
                                        int /*nLine*/)
{
    if ((dwHint & HintReset) != 0)
    {
        // The buffer was made new or reloaded: back to the start, no selection.
        m_ptCaret = m_ptAnchor = {0, 0};
        m_nIdealColumn = -1;
        m_bOverwrite = false;
        m_bLastEditWasTyping = false;
        m_aMemos.clear();
        m_bBookmarkExists = false;
        for (STextPosition* pt : m_aTracked)
            *pt = {0, 0};
        return;
    }
    if (pContext == nullptr)
        return;
    pContext->RecalcPoint(m_ptCaret);
    pContext->RecalcPoint(m_ptAnchor);
    if (m_bDragSource)
    {
        pContext->RecalcPoint(m_ptDragStart);
        pContext->RecalcPoint(m_ptDragEnd);
    }
    for (STextPosition* pt : m_aTracked)
        pContext->RecalcPoint(*pt);
}

void CTarvoTextEditController::OnParserChanged()
{
    const CSyntaxDefinition* definition = GetSyntaxDefinition();
    if (definition != nullptr)
        m_bAutoIndent = (definition->GetFlags() & kSyntaxFlagAutoIndent) != 0;
}

// ---------------------------------------------------------------------------------------
// Undo steps and the caret memos

void CTarvoTextEditController::BeginEditStep()
{
    if (m_nStepDepth++ > 0 || m_pBuffer == nullptr)
        return;
    m_ptStepCaret = m_ptCaret;
    m_ptStepAnchor = m_ptAnchor;
    m_nStepUndoPosition = m_pBuffer->GetUndoPosition();
    m_nStepRecordCount = m_pBuffer->GetUndoRecordCount();
}

void CTarvoTextEditController::EndEditStep()
{
    if (m_nStepDepth == 0 || --m_nStepDepth > 0 || m_pBuffer == nullptr)
        return;
    if (m_pBuffer->GetUndoPosition() == m_nStepUndoPosition &&
        m_pBuffer->GetUndoRecordCount() == m_nStepRecordCount)
        return;
    RecordCaretMemo();
}

int CTarvoTextEditController::GroupStartOf(int nRecord) const
{
    while (nRecord > 0 && (m_pBuffer->GetUndoRecord(nRecord).m_dwFlags &
                           CTarvoTextEditBuffer::kUndoBeginGroup) == 0)
        --nRecord;
    return nRecord;
}

void CTarvoTextEditController::RecordCaretMemo()
{
    const int position = m_pBuffer->GetUndoPosition();
    if (position <= 0)
        return;
    const int groupStart = GroupStartOf(position - 1);
    const CTarvoTextEditBuffer::SUndoRecord& last = m_pBuffer->GetUndoRecord(position - 1);
    // A group that began before this step continues (typing); otherwise the step made a
    // new group, and memos of groups at or after its start (undone ones) are gone.
    SCaretMemo* merged = nullptr;
    const bool bContinued = groupStart < m_nStepUndoPosition;
    m_aMemos.erase(std::remove_if(m_aMemos.begin(), m_aMemos.end(),
                                  [&](const SCaretMemo& memo)
                                  {
                                      return bContinued ? memo.nGroupStart > groupStart
                                                        : memo.nGroupStart >= groupStart ||
                                                              memo.nGroupEnd > groupStart;
                                  }),
                   m_aMemos.end());
    if (bContinued && !m_aMemos.empty() && m_aMemos.back().nGroupStart == groupStart)
        merged = &m_aMemos.back();
    if (merged == nullptr)
    {
        SCaretMemo memo;
        memo.nGroupStart = groupStart;
        memo.ptCaret = m_ptStepCaret;
        memo.ptAnchor = m_ptStepAnchor;
        m_aMemos.push_back(memo);
        if (m_aMemos.size() > kMaxCaretMemos)
            m_aMemos.erase(m_aMemos.begin());
        merged = &m_aMemos.back();
    }
    merged->nGroupEnd = position;
    merged->dwFlags = last.m_dwFlags;
    merged->ptRecordStart = last.m_ptStartPos;
    merged->ptRecordEnd = last.m_ptEndPos;
    merged->nAction = last.m_nAction;
    merged->nTextSize = last.m_strText.size();
}

void CTarvoTextEditController::DoUndo()
{
    if (m_pBuffer == nullptr || !m_pBuffer->CanUndo() || !CanEdit())
        return;
    const int position = m_pBuffer->GetUndoPosition();
    const CTarvoTextEditBuffer::SUndoRecord& last = m_pBuffer->GetUndoRecord(position - 1);
    const SCaretMemo* memo = nullptr;
    for (auto it = m_aMemos.rbegin(); it != m_aMemos.rend(); ++it)
    {
        if (it->nGroupEnd == position && it->dwFlags == last.m_dwFlags &&
            it->ptRecordStart == last.m_ptStartPos && it->ptRecordEnd == last.m_ptEndPos &&
            it->nAction == last.m_nAction && it->nTextSize == last.m_strText.size() &&
            it->nGroupStart == GroupStartOf(position - 1))
        {
            memo = &*it;
            break;
        }
    }
    const SCaretMemo saved = memo != nullptr ? *memo : SCaretMemo();
    STextPosition caret;
    if (!m_pBuffer->Undo(Source(), caret))
    {
        m_aMemos.clear();
        return;
    }
    if (memo != nullptr)
        SetSelection(saved.ptAnchor, saved.ptCaret);
    else
        SetCaret(caret);
    EnsureCaretVisible();
}

void CTarvoTextEditController::DoRedo()
{
    if (m_pBuffer == nullptr || !m_pBuffer->CanRedo() || !CanEdit())
        return;
    STextPosition caret;
    if (m_pBuffer->Redo(Source(), caret))
    {
        SetCaret(caret);
        EnsureCaretVisible();
    }
}

// ---------------------------------------------------------------------------------------
// Movement

void CTarvoTextEditController::AfterHorizontalMove(bool bSelect)
{
    m_ptCaret = Clamp(m_ptCaret);
    if (!bSelect)
        m_ptAnchor = m_ptCaret;
    m_nIdealColumn = m_pGeometry != nullptr
                         ? m_pGeometry->CharToColumn(m_ptCaret.y, m_ptCaret.x, false)
                         : m_ptCaret.x;
    EnsureCaretVisible();
}

void CTarvoTextEditController::AfterVerticalMove(bool bSelect)
{
    if (!bSelect)
        m_ptAnchor = m_ptCaret;
    EnsureCaretVisible();
}

int CTarvoTextEditController::CaretRow() const
{
    return m_pGeometry->GetSubLineIndex(m_ptCaret.y) +
           SubLineOfChar(*m_pGeometry, m_ptCaret.y, m_ptCaret.x);
}

void CTarvoTextEditController::MoveToRow(int nRow, bool bSelect)
{
    if (m_nIdealColumn < 0)
        m_nIdealColumn = m_pGeometry->CharToColumn(m_ptCaret.y, m_ptCaret.x, false);
    nRow = std::clamp(nRow, 0, std::max(m_pGeometry->GetSubLineTotal() - 1, 0));
    int line = 0;
    int sub = 0;
    m_pGeometry->GetLineBySubLineIndex(nRow, line, sub);
    const int x = std::min(m_pGeometry->ColumnToChar(line, m_nIdealColumn, sub), LineLength(line));
    m_ptCaret = Clamp({x, line});
    AfterVerticalMove(bSelect);
}

void CTarvoTextEditController::MoveLeft(bool bSelect)
{
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    if (HasSelection() && !bSelect)
        m_ptCaret = start;
    else if (m_ptCaret.x > 0)
        m_ptCaret.x = PrevCharIndex(m_ptCaret.y, m_ptCaret.x);
    else if (m_ptCaret.y > 0)
        m_ptCaret = {LineLength(m_ptCaret.y - 1), m_ptCaret.y - 1};
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveRight(bool bSelect)
{
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    if (HasSelection() && !bSelect)
        m_ptCaret = end;
    else if (m_ptCaret.x < LineLength(m_ptCaret.y))
        m_ptCaret.x = NextCharIndex(m_ptCaret.y, m_ptCaret.x);
    else if (m_ptCaret.y + 1 < LineCount())
        m_ptCaret = {0, m_ptCaret.y + 1};
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveWordLeft(bool bSelect)
{
    if (HasSelection() && !bSelect)
    {
        MoveLeft(false);
        return;
    }
    if (m_ptCaret.x == 0)
    {
        if (m_ptCaret.y == 0)
            return;
        m_ptCaret = {LineLength(m_ptCaret.y - 1), m_ptCaret.y - 1};
        AfterHorizontalMove(bSelect);
        return;
    }
    const int y = m_ptCaret.y;
    const char* chars = LineChars(y);
    int x = m_ptCaret.x;
    auto before = [&](int pos) { return static_cast<unsigned char>(chars[PrevCharIndex(y, pos)]); };
    while (x > 0 && IsEditWhiteSpace(before(x)))
        x = PrevCharIndex(y, x);
    if (x > 0)
    {
        if (IsEditWordChar(before(x)))
        {
            while (x > 0 && IsEditWordChar(before(x)))
                x = PrevCharIndex(y, x);
        }
        else
        {
            while (x > 0 && !IsEditWordChar(before(x)) && !IsEditWhiteSpace(before(x)))
                x = PrevCharIndex(y, x);
        }
    }
    m_ptCaret.x = x;
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveWordRight(bool bSelect)
{
    if (HasSelection() && !bSelect)
    {
        MoveRight(false);
        return;
    }
    const int y = m_ptCaret.y;
    const int length = LineLength(y);
    if (m_ptCaret.x >= length)
    {
        if (y + 1 >= LineCount())
            return;
        m_ptCaret = {0, y + 1};
        AfterHorizontalMove(bSelect);
        return;
    }
    const char* chars = LineChars(y);
    int x = m_ptCaret.x;
    auto at = [&](int pos) { return static_cast<unsigned char>(chars[pos]); };
    if (IsEditWordChar(at(x)))
    {
        while (x < length && IsEditWordChar(at(x)))
            x = NextCharIndex(y, x);
    }
    else
    {
        while (x < length && !IsEditWordChar(at(x)) && !IsEditWhiteSpace(at(x)))
            x = NextCharIndex(y, x);
    }
    while (x < length && IsEditWhiteSpace(at(x)))
        x = NextCharIndex(y, x);
    m_ptCaret.x = x;
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveUp(bool bSelect)
{
    if (HasSelection() && !bSelect)
    {
        STextPosition start;
        STextPosition end;
        GetSelection(start, end);
        m_ptCaret = start;
    }
    const int row = CaretRow();
    if (row > 0)
        MoveToRow(row - 1, bSelect);
    else
        AfterVerticalMove(bSelect);
}

void CTarvoTextEditController::MoveDown(bool bSelect)
{
    if (HasSelection() && !bSelect)
    {
        STextPosition start;
        STextPosition end;
        GetSelection(start, end);
        m_ptCaret = end;
    }
    const int row = CaretRow();
    if (row + 1 < m_pGeometry->GetSubLineTotal())
        MoveToRow(row + 1, bSelect);
    else
        AfterVerticalMove(bSelect);
}

void CTarvoTextEditController::MovePageUp(bool bSelect)
{
    const int step = std::max(m_pGeometry->GetScreenRows() - 1, 1);
    m_pGeometry->ScrollToSubLine(std::max(m_pGeometry->GetTopSubLine() - step, 0));
    MoveToRow(std::max(CaretRow() - step, 0), bSelect);
}

void CTarvoTextEditController::MovePageDown(bool bSelect)
{
    const int step = std::max(m_pGeometry->GetScreenRows() - 1, 1);
    const int total = m_pGeometry->GetSubLineTotal();
    const int top = m_pGeometry->GetTopSubLine();
    int row = CaretRow();
    if (top + m_pGeometry->GetScreenRows() < total)
    {
        m_pGeometry->ScrollToSubLine(
            std::min(top + step, std::max(total - m_pGeometry->GetScreenRows(), 0)));
        row = m_pGeometry->GetTopSubLine();
    }
    MoveToRow(std::min(row + step, total - 1), bSelect);
}

void CTarvoTextEditController::MoveHome(bool bSelect)
{
    const int y = m_ptCaret.y;
    const int sub = SubLineOfChar(*m_pGeometry, y, m_ptCaret.x);
    const int rowStart = m_pGeometry->GetSubLineStart(y, sub);
    const int rowEnd = sub + 1 < m_pGeometry->GetSubLineCount(y)
                           ? m_pGeometry->GetSubLineStart(y, sub + 1)
                           : LineLength(y);
    const char* chars = LineChars(y);
    int x = rowStart;
    while (x < rowEnd && IsEditWhiteSpace(static_cast<unsigned char>(chars[x])))
        ++x;
    m_ptCaret.x = (x < rowEnd && x != m_ptCaret.x) ? x : rowStart;
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveEnd(bool bSelect)
{
    const int y = m_ptCaret.y;
    const int sub = SubLineOfChar(*m_pGeometry, y, m_ptCaret.x);
    if (sub + 1 < m_pGeometry->GetSubLineCount(y))
        m_ptCaret.x = PrevCharIndex(y, m_pGeometry->GetSubLineStart(y, sub + 1));
    else
        m_ptCaret.x = LineLength(y);
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveTextBegin(bool bSelect)
{
    m_ptCaret = {0, 0};
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::MoveTextEnd(bool bSelect)
{
    m_ptCaret = EndOfText();
    AfterHorizontalMove(bSelect);
}

void CTarvoTextEditController::ScrollLines(int nDelta)
{
    int line = 0;
    int sub = 0;
    m_pGeometry->GetLineBySubLineIndex(m_pGeometry->GetTopSubLine(), line, sub);
    line = std::clamp(line + nDelta, 0, std::max(LineCount() - 1, 0));
    m_pGeometry->ScrollToSubLine(m_pGeometry->GetSubLineIndex(line));
}

// ---------------------------------------------------------------------------------------
// Typing

bool CTarvoTextEditController::DeleteSelection(int nAction)
{
    if (!HasSelection())
        return false;
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    if (!m_pBuffer->DeleteText(Source(), start.y, start.x, end.y, end.x, nAction))
        return false;
    m_ptCaret = m_ptAnchor = start;
    return true;
}

bool CTarvoTextEditController::OnChar(std::string_view bytes)
{
    if (m_bLButtonDown || m_bRButtonDown || bytes.empty() || m_pBuffer == nullptr)
        return false;
    const unsigned char first = static_cast<unsigned char>(bytes[0]);
    if (bytes == "\r" || bytes == "\n" || bytes == "\r\n")
    {
        BeginEditStep();
        DoEnter();
        EndEditStep();
        return true;
    }
    if (first < 0x20 || first == 0x7F || !CanEdit())
        return false;
    BeginEditStep();
    m_pBuffer->BeginUndoGroup(m_bLastEditWasTyping);
    m_bLastEditWasTyping = true;
    if (!HasSelection() && m_bOverwrite && m_ptCaret.x < LineLength(m_ptCaret.y))
        m_pBuffer->DeleteText(Source(), m_ptCaret.y, m_ptCaret.x, m_ptCaret.y,
                              NextCharIndex(m_ptCaret.y, m_ptCaret.x), EditActionTyping);
    DeleteSelection(EditActionTyping);
    const std::string text(bytes);
    int endLine = m_ptCaret.y;
    int endChar = m_ptCaret.x;
    if (m_pBuffer->InsertText(Source(), m_ptCaret.y, m_ptCaret.x, text.c_str(), endLine, endChar,
                              EditActionTyping))
        m_ptCaret = m_ptAnchor = {endChar, endLine};
    m_nIdealColumn = -1;
    m_pBuffer->FlushUndoGroup(Source());
    EnsureCaretVisible();
    EndEditStep();
    return true;
}

void CTarvoTextEditController::DoEnter()
{
    if (m_bOverwrite && m_ptCaret.y + 1 < LineCount())
    {
        m_ptCaret = m_ptAnchor = {0, m_ptCaret.y + 1};
        m_nIdealColumn = -1;
        EnsureCaretVisible();
        return;
    }
    if (!CanEdit())
        return;
    m_pBuffer->BeginUndoGroup(m_bLastEditWasTyping);
    m_bLastEditWasTyping = false;
    DeleteSelection(EditActionTyping);
    int endLine = m_ptCaret.y;
    int endChar = m_ptCaret.x;
    if (m_pBuffer->InsertText(Source(), m_ptCaret.y, m_ptCaret.x, m_pBuffer->GetLineEndString(),
                              endLine, endChar, EditActionTyping))
        m_ptCaret = m_ptAnchor = {endChar, endLine};
    m_nIdealColumn = -1;
    m_pBuffer->FlushUndoGroup(Source());
    EnsureCaretVisible();
}

int CTarvoTextEditController::ColumnOfText(std::string_view text) const
{
    const int tab = m_pBuffer->GetTabSize();
    int column = 0;
    for (char c : text)
        column += c == '\t' ? tab - column % tab : 1;
    return column;
}

std::string CTarvoTextEditController::IndentUnitAt(int nColumn) const
{
    if (m_pBuffer->GetUseTabs())
        return "\t";
    const int tab = m_pBuffer->GetTabSize();
    return std::string(static_cast<size_t>(tab - nColumn % tab), ' ');
}

namespace
{
// Removes one indent unit from the end of leading white space: a tab, or the spaces back
// to the previous tab stop.
std::string RemoveIndentUnit(const std::string& white, int nTabSize)
{
    if (white.empty())
        return white;
    if (white.back() == '\t')
        return white.substr(0, white.size() - 1);
    int column = 0;
    for (char c : white)
        column += c == '\t' ? nTabSize - column % nTabSize : 1;
    const int target = ((column - 1) / nTabSize) * nTabSize;
    std::string result = white;
    while (!result.empty() && result.back() == ' ' && column > target)
    {
        result.pop_back();
        --column;
    }
    return result;
}
} // namespace

void CTarvoTextEditController::OnUndoGroupClosed(int nAction, const char* pszText)
{
    if (nAction != EditActionTyping || !m_bAutoIndent || !CanEdit() || pszText == nullptr)
        return;
    AutoIndentAfter(pszText);
}

void CTarvoTextEditController::AutoIndentAfter(const std::string& text)
{
    const CSyntaxDefinition* definition = GetSyntaxDefinition();
    const uint32_t flags = definition != nullptr ? definition->GetFlags() : 0;
    const bool bBracketIndent =
        (flags & (kSyntaxFlagBracketIndent | kSyntaxFlagBracketIndentBlankLine)) != 0;
    const bool bBlankLineRules = (flags & kSyntaxFlagBracketIndentBlankLine) != 0;
    const int tab = m_pBuffer->GetTabSize();
    const int y = m_ptCaret.y;
    // The automatic edit joins the group of the typing that caused it: one undo takes
    // both away, as the user saw them happen together.
    auto insertAt = [&](int x, const std::string& what)
    {
        int endLine = y;
        int endChar = x;
        const bool bAtCaret = x == m_ptCaret.x;
        m_pBuffer->BeginUndoGroup(true);
        // A caret at the insertion point stays before inserted text; indentation goes
        // before the caret.
        if (m_pBuffer->InsertText(Source(), y, x, what.c_str(), endLine, endChar,
                                  EditActionAutoIndent) &&
            bAtCaret)
            m_ptCaret = {endChar, endLine};
        m_pBuffer->FlushUndoGroup(nullptr);
    };
    auto deleteRange = [&](int x1, int x2)
    {
        m_pBuffer->BeginUndoGroup(true);
        m_pBuffer->DeleteText(Source(), y, x1, y, x2, EditActionAutoIndent);
        m_pBuffer->FlushUndoGroup(nullptr);
    };

    if (IsLineBreak(text))
    {
        if (m_bOverwrite || y == 0)
            return;
        const std::string previous(LineChars(y - 1), static_cast<size_t>(LineLength(y - 1)));
        size_t n = 0;
        while (n < previous.size() && (previous[n] == ' ' || previous[n] == '\t'))
            ++n;
        std::string white = previous.substr(0, n);
        const std::string rest = previous.substr(n);
        if (bBlankLineRules && rest.size() == 1 && IsOneOf(rest[0], kClosingBrackets))
            white = RemoveIndentUnit(white, tab);
        if (bBracketIndent && !previous.empty() && IsOneOf(previous.back(), kOpeningBrackets))
            white += IndentUnitAt(ColumnOfText(white));
        if (!white.empty())
        {
            insertAt(m_ptCaret.x, white);
            m_ptAnchor = m_ptCaret;
        }
        return;
    }
    if (text.size() != 1 || m_ptCaret.x < 1)
        return;
    const char typed = text[0];
    const int at = m_ptCaret.x - 1; // where the typed character stands
    const char* chars = LineChars(y);
    if (LineLength(y) <= at || chars[at] != typed)
        return;
    if (typed == '(' && (flags & kSyntaxFlagSpaceBeforeParen) != 0 && at > 0 &&
        IsEditWordChar(static_cast<unsigned char>(chars[at - 1])))
    {
        insertAt(at, " ");
        m_ptAnchor = m_ptCaret;
        return;
    }
    bool bBlankBefore = true;
    for (int i = 0; i < at && bBlankBefore; ++i)
        bBlankBefore = chars[i] == ' ' || chars[i] == '\t';
    if (IsOneOf(typed, kOpeningBrackets) && bBlankLineRules && bBlankBefore)
    {
        insertAt(at, IndentUnitAt(ColumnOfText(std::string_view(chars, static_cast<size_t>(at)))));
        m_ptAnchor = m_ptCaret;
        return;
    }
    if (IsOneOf(typed, kClosingBrackets) && bBracketIndent && y > 0 && at > 0 && bBlankBefore)
    {
        const std::string white(chars, static_cast<size_t>(at));
        const std::string kept = RemoveIndentUnit(white, tab);
        deleteRange(static_cast<int>(kept.size()), at);
        m_ptAnchor = m_ptCaret;
    }
}

// ---------------------------------------------------------------------------------------
// Delete and Backspace

void CTarvoTextEditController::DoDelete()
{
    if (DeleteSelection(EditActionDelete))
        return;
    const STextPosition pt = m_ptCaret;
    if (pt.x < LineLength(pt.y))
        m_pBuffer->DeleteText(Source(), pt.y, pt.x, pt.y, NextCharIndex(pt.y, pt.x),
                              EditActionDelete);
    else if (pt.y + 1 < LineCount())
        m_pBuffer->DeleteText(Source(), pt.y, pt.x, pt.y + 1, 0, EditActionDelete);
    m_ptCaret = m_ptAnchor = pt;
}

void CTarvoTextEditController::DoBackspace()
{
    if (DeleteSelection(EditActionDelete))
        return;
    const STextPosition pt = m_ptCaret;
    if (pt.x > 0)
    {
        const int prev = PrevCharIndex(pt.y, pt.x);
        if (m_pBuffer->DeleteText(Source(), pt.y, prev, pt.y, pt.x, EditActionBackspace))
            m_ptCaret = m_ptAnchor = {prev, pt.y};
        return;
    }
    const CSyntaxDefinition* definition = GetSyntaxDefinition();
    if (pt.y > 0 && definition != nullptr &&
        (definition->GetFlags() & kSyntaxFlagBackspaceJoinsLines) != 0)
    {
        const STextPosition joined{LineLength(pt.y - 1), pt.y - 1};
        if (m_pBuffer->DeleteText(Source(), joined.y, joined.x, pt.y, 0, EditActionBackspace))
            m_ptCaret = m_ptAnchor = joined;
    }
}

void CTarvoTextEditController::DoDeleteWord(bool bBack)
{
    if (!HasSelection())
    {
        if (bBack)
            MoveWordLeft(true);
        else
            MoveWordRight(true);
    }
    m_pBuffer->BeginUndoGroup(false);
    DeleteSelection(EditActionDelete);
    m_pBuffer->FlushUndoGroup(Source());
}

// ---------------------------------------------------------------------------------------
// Indent, outdent, comments

bool CTarvoTextEditController::GetBlockLines(int& nFirst, int& nLast) const
{
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    if (start.y == end.y)
        return false;
    nFirst = start.y;
    nLast = end.x == 0 ? end.y - 1 : end.y;
    return true;
}

void CTarvoTextEditController::SelectBlockLines(int nFirst, int nLast)
{
    const STextPosition start{0, nFirst};
    const STextPosition end = nLast + 1 < LineCount() ? STextPosition{0, nLast + 1}
                                                      : STextPosition{LineLength(nLast), nLast};
    m_ptAnchor = start;
    m_ptCaret = end;
    m_nIdealColumn = -1;
}

void CTarvoTextEditController::MoveToNextTabStop()
{
    const int tab = m_pBuffer->GetTabSize();
    const int y = m_ptCaret.y;
    const int target = (m_pGeometry->CharToColumn(y, m_ptCaret.x, true) / tab + 1) * tab;
    const char* chars = LineChars(y);
    int x = m_ptCaret.x;
    while (x < LineLength(y) && m_pGeometry->CharToColumn(y, x, true) < target)
    {
        const bool bTab = chars[x] == '\t';
        x = NextCharIndex(y, x);
        if (bTab)
            break;
    }
    m_ptCaret = m_ptAnchor = {x, y};
    m_nIdealColumn = -1;
}

void CTarvoTextEditController::DoTab()
{
    int first = 0;
    int last = 0;
    if (GetBlockLines(first, last))
    {
        // Lines are indented at their start, so the unit is a whole tab stop.
        const std::string indent = IndentUnitAt(0);
        m_pBuffer->BeginUndoGroup(false);
        for (int y = first; y <= last; ++y)
        {
            int endLine = 0;
            int endChar = 0;
            m_pBuffer->InsertText(Source(), y, 0, indent.c_str(), endLine, endChar,
                                  EditActionIndent);
        }
        m_pBuffer->FlushUndoGroup(Source());
        SelectBlockLines(first, last);
        return;
    }
    if (m_bOverwrite)
    {
        MoveToNextTabStop();
        return;
    }
    m_pBuffer->BeginUndoGroup(false);
    DeleteSelection(EditActionTyping);
    // Spaces fill to the next tab stop by display column, so text after tabs or
    // multibyte characters still lines up.
    const std::string indent =
        IndentUnitAt(m_pGeometry->CharToColumn(m_ptCaret.y, m_ptCaret.x, true));
    int endLine = m_ptCaret.y;
    int endChar = m_ptCaret.x;
    if (m_pBuffer->InsertText(Source(), m_ptCaret.y, m_ptCaret.x, indent.c_str(), endLine, endChar,
                              EditActionTyping))
        m_ptCaret = m_ptAnchor = {endChar, endLine};
    m_nIdealColumn = -1;
    m_pBuffer->FlushUndoGroup(Source());
}

void CTarvoTextEditController::DoUntab()
{
    int first = 0;
    int last = 0;
    const int tab = m_pBuffer->GetTabSize();
    if (GetBlockLines(first, last))
    {
        m_pBuffer->BeginUndoGroup(false);
        for (int y = first; y <= last; ++y)
        {
            const char* chars = LineChars(y);
            const int length = LineLength(y);
            int n = 0;
            while (n < length && n < tab && chars[n] == ' ')
                ++n;
            // Spaces short of a full stop followed by a tab make up one unit together.
            if (n < length && n < tab && chars[n] == '\t')
                ++n;
            if (n > 0)
                m_pBuffer->DeleteText(Source(), y, 0, y, n, EditActionIndent);
        }
        m_pBuffer->FlushUndoGroup(Source());
        SelectBlockLines(first, last);
        return;
    }
    const int y = m_ptCaret.y;
    const int column = m_pGeometry->CharToColumn(y, m_ptCaret.x, false);
    if (column > 0)
    {
        const int target = ((column - 1) / tab) * tab;
        const int sub = SubLineOfChar(*m_pGeometry, y, m_ptCaret.x);
        m_ptCaret = Clamp({m_pGeometry->ColumnToChar(y, target, sub), y});
    }
    m_ptAnchor = m_ptCaret;
    m_nIdealColumn = -1;
}

void CTarvoTextEditController::DoComment()
{
    const CSyntaxDefinition* definition = GetSyntaxDefinition();
    const std::string comment = definition != nullptr ? definition->GetLineComment() : "";
    if (comment.empty())
        return;
    int first = 0;
    int last = 0;
    if (GetBlockLines(first, last))
    {
        m_pBuffer->BeginUndoGroup(false);
        for (int y = first; y <= last; ++y)
        {
            int endLine = 0;
            int endChar = 0;
            m_pBuffer->InsertText(Source(), y, 0, comment.c_str(), endLine, endChar,
                                  EditActionIndent);
        }
        m_pBuffer->FlushUndoGroup(Source());
        SelectBlockLines(first, last);
        return;
    }
    // Also in overwrite mode the comment string is inserted: commenting never overwrites.
    m_pBuffer->BeginUndoGroup(false);
    DeleteSelection(EditActionTyping);
    int endLine = m_ptCaret.y;
    int endChar = m_ptCaret.x;
    if (m_pBuffer->InsertText(Source(), m_ptCaret.y, m_ptCaret.x, comment.c_str(), endLine, endChar,
                              EditActionTyping))
        m_ptCaret = m_ptAnchor = {endChar, endLine};
    m_nIdealColumn = -1;
    m_pBuffer->FlushUndoGroup(Source());
}

void CTarvoTextEditController::DoUncomment()
{
    const CSyntaxDefinition* definition = GetSyntaxDefinition();
    const std::string comment = definition != nullptr ? definition->GetLineComment() : "";
    int first = 0;
    int last = 0;
    if (comment.empty() || !GetBlockLines(first, last))
        return;
    m_pBuffer->BeginUndoGroup(false);
    for (int y = first; y <= last; ++y)
    {
        const char* chars = LineChars(y);
        const int length = LineLength(y);
        int x = 0;
        while (x < length && (chars[x] == ' ' || chars[x] == '\t'))
            ++x;
        // Only a comment string that starts the line's text is removed; one in the middle
        // of code or inside a string stays.
        if (length - x >= static_cast<int>(comment.size()) &&
            std::memcmp(chars + x, comment.data(), comment.size()) == 0)
            m_pBuffer->DeleteText(Source(), y, x, y, x + static_cast<int>(comment.size()),
                                  EditActionIndent);
    }
    m_pBuffer->FlushUndoGroup(Source());
    SelectBlockLines(first, last);
}

// ---------------------------------------------------------------------------------------
// Case

namespace
{
// Changes the letters of a text; multibyte characters (and so the trail bytes of double-
// byte characters) are never changed; line endings are kept.
std::string ChangeCase(const std::string& text, int nCommand, int nCodePage)
{
    std::string out = text;
    const int length = static_cast<int>(out.size());
    bool bStart = true;
    for (int i = 0; i < length;)
    {
        const int n = CharLength(nCodePage, out.data(), length, i);
        if (n == 1)
        {
            char& c = out[static_cast<size_t>(i)];
            const char original = c;
            switch (nCommand)
            {
            case CmdLowercase:
                c = LowerChar(c);
                break;
            case CmdUppercase:
                c = UpperChar(c);
                break;
            case CmdInvertCase:
                c = (c >= 'a' && c <= 'z') ? UpperChar(c) : LowerChar(c);
                break;
            case CmdCapitalize:
                if (IsAsciiLetter(c))
                    c = bStart ? UpperChar(c) : LowerChar(c);
                bStart = IsEditWhiteSpace(static_cast<unsigned char>(original));
                break;
            case CmdSentenceCase:
                if (IsAsciiLetter(c))
                {
                    c = bStart ? UpperChar(c) : LowerChar(c);
                    bStart = false;
                }
                else if (c == '.' && !(i + 1 < length && out[static_cast<size_t>(i) + 1] >= '0' &&
                                       out[static_cast<size_t>(i) + 1] <= '9'))
                {
                    bStart = true;
                }
                break;
            default:
                break;
            }
        }
        else if (nCommand == CmdCapitalize)
        {
            bStart = false;
        }
        i += n;
    }
    return out;
}

int CaseAction(int nCommand)
{
    switch (nCommand)
    {
    case CmdLowercase:
        return EditActionLowercase;
    case CmdUppercase:
        return EditActionUppercase;
    case CmdInvertCase:
        return EditActionInvertCase;
    case CmdCapitalize:
        return EditActionCapitalize;
    default:
        return EditActionSentenceCase;
    }
}
} // namespace

void CTarvoTextEditController::DoCase(int nCommand)
{
    if (!HasSelection())
        return;
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    std::string text;
    if (!m_pBuffer->GetStoredTextRange(start.y, start.x, end.y, end.x, text))
        return;
    const std::string changed = ChangeCase(text, nCommand, GetTextCodePage());
    const bool bCaretAtEnd = !Less(m_ptCaret, m_ptAnchor);
    if (changed != text)
    {
        const int action = CaseAction(nCommand);
        m_pBuffer->BeginUndoGroup(false);
        m_pBuffer->DeleteText(Source(), start.y, start.x, end.y, end.x, action);
        int endLine = start.y;
        int endChar = start.x;
        m_pBuffer->InsertText(Source(), start.y, start.x, changed.c_str(), endLine, endChar,
                              action);
        m_pBuffer->FlushUndoGroup(Source());
        end = {endChar, endLine};
    }
    (void)bCaretAtEnd;
    m_ptAnchor = start;
    m_ptCaret = end;
    m_nIdealColumn = -1;
}

// ---------------------------------------------------------------------------------------
// Clipboard

void CTarvoTextEditController::DoCopy()
{
    if (!HasSelection() || !m_hooks.setClipboardText)
        return;
    m_hooks.setClipboardText(TextToClipboard(GetSelectedText(), GetTextCodePage()));
}

void CTarvoTextEditController::DoCut()
{
    if (!HasSelection())
        return;
    DoCopy();
    m_pBuffer->BeginUndoGroup(false);
    DeleteSelection(EditActionCut);
    m_pBuffer->FlushUndoGroup(Source());
}

bool CTarvoTextEditController::ReplaceSelectionText(std::string_view text, int nAction,
                                                    STextPosition* pEnd, bool bMerge)
{
    if (!CanEdit())
        return false;
    m_pBuffer->BeginUndoGroup(bMerge);
    DeleteSelection(nAction);
    const std::string copy(text);
    int endLine = m_ptCaret.y;
    int endChar = m_ptCaret.x;
    const bool bDone = m_pBuffer->InsertText(Source(), m_ptCaret.y, m_ptCaret.x, copy.c_str(),
                                             endLine, endChar, nAction);
    m_pBuffer->FlushUndoGroup(Source());
    if (pEnd != nullptr)
        *pEnd = {endChar, endLine};
    return bDone;
}

void CTarvoTextEditController::DoPaste()
{
    std::u16string clip;
    if (!m_hooks.getClipboardText || !m_hooks.getClipboardText(clip) || clip.empty())
        return;
    int lost = 0;
    const std::string text =
        ClipboardToText(clip, m_pBuffer->GetLineEndString(), GetTextCodePage(), lost);
    STextPosition end;
    if (ReplaceSelectionText(text, EditActionPaste, &end))
        m_ptCaret = m_ptAnchor = end;
    m_nIdealColumn = -1;
    if (lost > 0 && m_hooks.setStatusText)
        m_hooks.setStatusText(LostCharactersStatusText(lost));
}

// ---------------------------------------------------------------------------------------
// Brackets, bookmarks, last change, header and source

bool CTarvoTextEditController::FindMatchingBracket(const STextPosition& ptFrom,
                                                   STextPosition& ptMatch, bool& bAfter) const
{
    if (m_pBuffer == nullptr)
        return false;
    const STextPosition from = Clamp(ptFrom);
    const char* chars = LineChars(from.y);
    const int length = LineLength(from.y);
    int x = from.x;
    bAfter = false;
    if (x >= length || std::strchr(kBracketPairs, chars[x]) == nullptr || chars[x] == '\0')
    {
        if (x == 0)
            return false;
        x = PrevCharIndex(from.y, x);
        if (std::strchr(kBracketPairs, chars[x]) == nullptr || chars[x] == '\0')
            return false;
        bAfter = true;
    }
    const char bracket = chars[x];
    const int index = static_cast<int>(std::strchr(kBracketPairs, bracket) - kBracketPairs);
    const bool bForward = index % 2 == 0;
    const char partner = kBracketPairs[bForward ? index + 1 : index - 1];

    // Brackets in comments and strings (as the parser colours them) are skipped, unless
    // the starting bracket stands in one itself: then only its own kind of text counts.
    CTarvoTextEditBuffer* buffer = m_pBuffer;
    std::vector<SyntaxRun> runs;
    auto skippedMask = [&](int nLine, std::vector<char>& mask)
    {
        const int len = LineLength(nLine);
        mask.assign(static_cast<size_t>(len), 0);
        if (buffer->GetParser() == nullptr || len == 0)
            return;
        runs.assign(static_cast<size_t>(3 * (len + 1) + 1), SyntaxRun{0, 0, 0});
        runs[0] = {0, kSyntaxColorNormal, kSyntaxColorBackground};
        int count = 1;
        buffer->ParseLine(buffer->GetLineParseState(nLine - 1), nLine, runs.data(), &count);
        for (int r = 0; r < count; ++r)
        {
            const int start = std::clamp(runs[static_cast<size_t>(r)].nStart, 0, len);
            const int stop = r + 1 < count
                                 ? std::clamp(runs[static_cast<size_t>(r) + 1].nStart, start, len)
                                 : len;
            const int colour = runs[static_cast<size_t>(r)].nColor;
            if (colour == kSyntaxColorComment || colour == kSyntaxColorString)
                std::fill(mask.begin() + start, mask.begin() + stop, 1);
        }
    };
    std::vector<char> mask;
    skippedMask(from.y, mask);
    const char startKind = mask.empty() ? 0 : mask[static_cast<size_t>(x)];
    int depth = 0;
    int y = from.y;
    int pos = x;
    const int cp = GetTextCodePage();
    while (true)
    {
        const char* line = LineChars(y);
        const int len = LineLength(y);
        if (bForward)
        {
            for (int i = pos; i < len; i += CharLength(cp, line, len, i))
            {
                if (mask[static_cast<size_t>(i)] != startKind)
                    continue;
                if (line[i] == bracket)
                    ++depth;
                else if (line[i] == partner && --depth == 0)
                {
                    ptMatch = {i, y};
                    return true;
                }
            }
            if (++y >= LineCount())
                return false;
            pos = 0;
        }
        else
        {
            for (int i = pos; i >= 0; i = i > 0 ? ::PrevCharIndex(cp, line, len, i) : -1)
            {
                if (mask[static_cast<size_t>(i)] != startKind)
                    continue;
                if (line[i] == bracket)
                    ++depth;
                else if (line[i] == partner && --depth == 0)
                {
                    ptMatch = {i, y};
                    return true;
                }
            }
            if (--y < 0)
                return false;
            pos = LineLength(y) - 1;
            if (pos > 0 && IsTrailByte(cp, LineChars(y), LineLength(y), pos))
                pos = ::PrevCharIndex(cp, LineChars(y), LineLength(y), pos);
        }
        skippedMask(y, mask);
    }
}

void CTarvoTextEditController::DoMatchBrace()
{
    STextPosition match;
    bool bAfter = false;
    if (!FindMatchingBracket(m_ptCaret, match, bAfter))
        return;
    if (bAfter)
        match.x = NextCharIndex(match.y, match.x);
    m_ptCaret = m_ptAnchor = match;
    AfterHorizontalMove(false);
}

void CTarvoTextEditController::DoToggleBookmark()
{
    const CTarvoTextLineInfo* line = m_pBuffer->GetLineRecord(m_ptCaret.y);
    if (line == nullptr)
        return;
    const bool bSet = (line->dwFlags & LineFlagBookmark) == 0;
    m_pBuffer->SetLineFlag(m_ptCaret.y, LineFlagBookmark, bSet, false);
    m_bBookmarkExists = bSet || m_pBuffer->FindLineWithFlag(LineFlagBookmark) != -1;
}

void CTarvoTextEditController::DoBookmarkJump(bool bNext)
{
    const int line = bNext ? m_pBuffer->FindNextBookmark(m_ptCaret.y)
                           : m_pBuffer->FindPreviousBookmark(m_ptCaret.y);
    if (line < 0)
    {
        m_bBookmarkExists = false;
        return;
    }
    m_ptCaret = {0, line};
    AfterHorizontalMove(false);
}

void CTarvoTextEditController::DoClearBookmarks()
{
    for (int line = m_pBuffer->FindLineWithFlag(LineFlagBookmark); line != -1;
         line = m_pBuffer->FindLineWithFlag(LineFlagBookmark))
        m_pBuffer->SetLineFlag(line, LineFlagBookmark, false, false);
    m_bBookmarkExists = false;
}

void CTarvoTextEditController::DoGoLastChange()
{
    const STextPosition pt = m_pBuffer->GetLastEditPosition();
    if (pt.y < 0 || pt.x < 0)
        return;
    m_ptCaret = Clamp(pt);
    AfterHorizontalMove(false);
}

namespace
{
bool EndsWithNoCase(const std::string& text, const char* ending)
{
    const size_t n = std::strlen(ending);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (LowerChar(text[text.size() - n + i]) != ending[i])
            return false;
    return true;
}
} // namespace

std::string FindCounterpartFile(const std::string& path,
                                const std::function<bool(const std::string&)>& exists)
{
    struct SRule
    {
        const char* ending;
        std::vector<const char*> candidates;
    };
    // Every ending is compared whole, so the order of the rules does not matter.
    static const SRule rules[] = {
        {".cpp", {".h"}},
        {".cxx", {".h"}},
        {".c", {".h"}},
        {".inl", {".c", ".cpp"}},
        {".hpp", {".inl", ".c", ".cpp"}},
        {".h", {".hpp", ".inl", ".c", ".cpp"}},
    };
    for (const SRule& rule : rules)
    {
        if (!EndsWithNoCase(path, rule.ending))
            continue;
        const std::string stem = path.substr(0, path.size() - std::strlen(rule.ending));
        for (const char* candidate : rule.candidates)
        {
            const std::string name = stem + candidate;
            if (exists && exists(name))
                return name;
        }
        return std::string();
    }
    return path;
}

std::string HeaderSourceMenuText(const std::string& path)
{
    for (const char* ending : {".c", ".cpp", ".cxx"})
        if (EndsWithNoCase(path, ending))
            return "Go to Header File\tF12";
    for (const char* ending : {".h", ".hpp", ".hxx", ".inl"})
        if (EndsWithNoCase(path, ending))
            return "Go to Source File\tF12";
    return std::string();
}

void CTarvoTextEditController::DoHeaderSource()
{
    const std::string path = m_hooks.getDocumentPath ? m_hooks.getDocumentPath() : std::string();
    if (path.empty())
        return;
    const std::string counterpart = FindCounterpartFile(path, m_hooks.fileExists);
    if (counterpart.empty())
    {
        if (m_hooks.messageBox)
            m_hooks.messageBox("Can not find source/header file!", false);
        return;
    }
    if (m_hooks.openDocument)
        m_hooks.openDocument(counterpart);
}

// ---------------------------------------------------------------------------------------
// Status panes

std::string CTarvoTextEditController::GetPositionPaneText() const
{
    if (m_pBuffer == nullptr || m_pGeometry == nullptr || LineCount() == 0)
        return std::string();
    const int y = m_ptCaret.y;
    const int length = LineLength(y);
    char text[128];
    std::snprintf(text, sizeof text, "Ln: %d/%d, Col: %d/%d, Ch: %d/%d", y + 1, LineCount(),
                  m_pGeometry->CharToColumn(y, m_ptCaret.x, false) + 1,
                  m_pGeometry->CharToColumn(y, length, false) + 1, m_ptCaret.x + 1, length + 1);
    return text;
}

std::string CTarvoTextEditController::GetLineEndPaneText() const
{
    const CTarvoTextLineInfo* line =
        m_pBuffer != nullptr ? m_pBuffer->GetLineRecord(m_ptCaret.y) : nullptr;
    if (line == nullptr || line->nEolLength == 0)
        return std::string();
    const std::string eol(line->pcLine + line->nLength, static_cast<size_t>(line->nEolLength));
    if (eol == "\r\n")
        return "CRLF";
    if (eol == "\n")
        return "LF";
    if (eol == "\r")
        return "CR";
    return "?";
}

// ---------------------------------------------------------------------------------------
// Commands

bool CTarvoTextEditController::IsEditCommand(int nId) const
{
    switch (nId)
    {
    case CmdDeleteBack:
    case CmdDeleteWord:
    case CmdDeleteWordBack:
    case CmdDelete:
    case CmdCut:
    case CmdPaste:
    case CmdTab:
    case CmdUntab:
    case CmdCommentSelection:
    case CmdUncommentSelection:
    case CmdLowercase:
    case CmdUppercase:
    case CmdInvertCase:
    case CmdCapitalize:
    case CmdSentenceCase:
    case CmdUndo:
    case CmdRedo:
    case CmdReplace:
        return true;
    default:
        return false;
    }
}

bool CTarvoTextEditController::OnUpdateCommand(int nId, SCommandState& state)
{
    const bool bSyntax = nId >= CmdSyntaxFirst && nId <= CmdSyntaxLast;
    if (FindTextEditCommand(nId) == nullptr && !bSyntax)
        return false;
    if (m_pBuffer == nullptr || m_pGeometry == nullptr)
    {
        state.bEnabled = false;
        return true;
    }
    if (bSyntax)
    {
        const CTextParser* parser = m_pBuffer->GetParser();
        state.bChecked = parser != nullptr && parser->GetParserId() + CmdSyntaxFirst == nId;
        return true;
    }
    if (IsEditCommand(nId) && !CanEdit())
    {
        state.bEnabled = false;
        if (nId == CmdUndo)
            state.SetText("&Undo\tCtrl+Z");
        else if (nId == CmdRedo)
            state.SetText("&Redo\tCtrl+Y");
        return true;
    }
    switch (nId)
    {
    case CmdUndo:
        state.bEnabled = m_pBuffer->CanUndo();
        state.SetText(m_pBuffer->GetUndoMenuText());
        break;
    case CmdRedo:
        state.bEnabled = m_pBuffer->CanRedo();
        state.SetText(m_pBuffer->GetRedoMenuText());
        break;
    case CmdCopy:
    case CmdCut:
    case CmdLowercase:
    case CmdUppercase:
    case CmdInvertCase:
    case CmdCapitalize:
    case CmdSentenceCase:
        state.bEnabled = HasSelection();
        break;
    case CmdPaste:
    {
        std::u16string clip;
        state.bEnabled =
            m_hooks.getClipboardText && m_hooks.getClipboardText(clip) && !clip.empty();
        break;
    }
    case CmdNextBookmark:
    case CmdPrevBookmark:
    case CmdClearBookmarks:
        state.bEnabled = m_bBookmarkExists;
        break;
    case CmdGoLastChange:
        state.bEnabled = m_pBuffer->GetLastEditPosition().y >= 0;
        break;
    case CmdToggleOverwrite:
        state.bChecked = m_bOverwrite;
        break;
    case CmdReadOnly:
        state.bEnabled = !m_pBuffer->IsWriteProtected();
        state.bChecked = m_pBuffer->IsWriteProtected() || m_pBuffer->IsReadOnly();
        break;
    case CmdHighlightAll:
        state.bChecked = m_pFind->IsHighlightAll();
        break;
    case CmdHeaderSource:
    {
        const CTextParser* parser = m_pBuffer->GetParser();
        const std::string path =
            m_hooks.getDocumentPath ? m_hooks.getDocumentPath() : std::string();
        const std::string text = HeaderSourceMenuText(path);
        state.bEnabled =
            parser != nullptr && parser->GetParserId() == kCppParserId && !text.empty();
        if (!text.empty())
            state.SetText(text);
        break;
    }
    default:
        break;
    }
    return true;
}

bool CTarvoTextEditController::OnCommand(int nId)
{
    const bool bSyntax = nId >= CmdSyntaxFirst && nId <= CmdSyntaxLast;
    if (FindTextEditCommand(nId) == nullptr && !bSyntax)
        return false;
    if (m_pBuffer == nullptr || m_pGeometry == nullptr)
        return true;
    if (bSyntax)
    {
        m_pBuffer->SetParserById(nId - CmdSyntaxFirst);
        OnParserChanged();
        m_pGeometry->InvalidateAll();
        return true;
    }
    if (IsEditCommand(nId) && !CanEdit())
        return true;
    if (nId != CmdUndo && nId != CmdRedo)
        m_bLastEditWasTyping = false;
    const bool bStep = IsEditCommand(nId) && nId != CmdUndo && nId != CmdRedo && nId != CmdReplace;
    if (bStep)
        BeginEditStep();
    switch (nId)
    {
    case CmdCharLeft:
        MoveLeft(false);
        break;
    case CmdExtCharLeft:
        MoveLeft(true);
        break;
    case CmdCharRight:
        MoveRight(false);
        break;
    case CmdExtCharRight:
        MoveRight(true);
        break;
    case CmdWordLeft:
        MoveWordLeft(false);
        break;
    case CmdExtWordLeft:
        MoveWordLeft(true);
        break;
    case CmdWordRight:
        MoveWordRight(false);
        break;
    case CmdExtWordRight:
        MoveWordRight(true);
        break;
    case CmdLineUp:
        MoveUp(false);
        break;
    case CmdExtLineUp:
        MoveUp(true);
        break;
    case CmdLineDown:
        MoveDown(false);
        break;
    case CmdExtLineDown:
        MoveDown(true);
        break;
    case CmdScrollUp:
        ScrollLines(-1);
        break;
    case CmdScrollDown:
        ScrollLines(1);
        break;
    case CmdPageUp:
        MovePageUp(false);
        break;
    case CmdExtPageUp:
        MovePageUp(true);
        break;
    case CmdPageDown:
        MovePageDown(false);
        break;
    case CmdExtPageDown:
        MovePageDown(true);
        break;
    case CmdLineEnd:
        MoveEnd(false);
        break;
    case CmdExtLineEnd:
        MoveEnd(true);
        break;
    case CmdHome:
        MoveHome(false);
        break;
    case CmdExtHome:
        MoveHome(true);
        break;
    case CmdTextBegin:
        MoveTextBegin(false);
        break;
    case CmdExtTextBegin:
        MoveTextBegin(true);
        break;
    case CmdTextEnd:
        MoveTextEnd(false);
        break;
    case CmdExtTextEnd:
        MoveTextEnd(true);
        break;
    case CmdDeleteBack:
        DoBackspace();
        break;
    case CmdDeleteWordBack:
        DoDeleteWord(true);
        break;
    case CmdDelete:
        DoDelete();
        break;
    case CmdDeleteWord:
        DoDeleteWord(false);
        break;
    case CmdCut:
        DoCut();
        break;
    case CmdCopy:
        DoCopy();
        break;
    case CmdPaste:
        DoPaste();
        break;
    case CmdToggleOverwrite:
        m_bOverwrite = !m_bOverwrite;
        break;
    case CmdTab:
        DoTab();
        break;
    case CmdUntab:
        DoUntab();
        break;
    case CmdMatchBrace:
        DoMatchBrace();
        break;
    case CmdCommentSelection:
        DoComment();
        break;
    case CmdUncommentSelection:
        DoUncomment();
        break;
    case CmdLowercase:
    case CmdUppercase:
    case CmdInvertCase:
    case CmdCapitalize:
    case CmdSentenceCase:
        DoCase(nId);
        break;
    case CmdSelectAll:
        m_ptAnchor = {0, 0};
        m_ptCaret = EndOfText();
        m_nIdealColumn = -1;
        EnsureCaretVisible();
        break;
    case CmdUndo:
        DoUndo();
        break;
    case CmdRedo:
        DoRedo();
        break;
    case CmdFind:
        if (m_hooks.showFindDialog)
            m_hooks.showFindDialog();
        break;
    case CmdRepeatFind:
    case CmdFindNext:
    case CmdFindPrevious:
        m_pFind->FindNextCommand(nId);
        break;
    case CmdHighlightAll:
        m_pFind->ToggleHighlightAll();
        break;
    case CmdReplace:
        if (m_hooks.showReplaceDialog)
            m_hooks.showReplaceDialog();
        break;
    case CmdGoTo:
        if (m_hooks.showGoToDialog)
            m_hooks.showGoToDialog();
        break;
    case CmdToggleBookmark:
        DoToggleBookmark();
        break;
    case CmdNextBookmark:
        DoBookmarkJump(true);
        break;
    case CmdPrevBookmark:
        DoBookmarkJump(false);
        break;
    case CmdClearBookmarks:
        DoClearBookmarks();
        break;
    case CmdGoLastChange:
        DoGoLastChange();
        break;
    case CmdReadOnly:
        if (!m_pBuffer->IsWriteProtected())
            m_pBuffer->SetReadOnly(!m_pBuffer->IsReadOnly());
        break;
    case CmdHeaderSource:
        DoHeaderSource();
        break;
    default:
        break;
    }
    if (bStep)
    {
        EnsureCaretVisible();
        EndEditStep();
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Mouse

void CTarvoTextEditController::RowBounds(int nRow, STextPosition& ptStart,
                                         STextPosition& ptEnd) const
{
    int line = 0;
    int sub = 0;
    m_pGeometry->GetLineBySubLineIndex(nRow, line, sub);
    ptStart = {m_pGeometry->GetSubLineStart(line, sub), line};
    if (sub + 1 < m_pGeometry->GetSubLineCount(line))
        ptEnd = {m_pGeometry->GetSubLineStart(line, sub + 1), line};
    else if (line + 1 < LineCount())
        ptEnd = {0, line + 1};
    else
        ptEnd = {LineLength(line), line};
}

bool CTarvoTextEditController::IsInsideSelection(const STextPosition& pt) const
{
    if (!HasSelection())
        return false;
    STextPosition start;
    STextPosition end;
    GetSelection(start, end);
    return !Less(pt, start) && Less(pt, end);
}

void CTarvoTextEditController::OnLButtonDown(int x, int y, bool bShift, bool bCtrl, uint32_t nTime)
{
    if (m_pBuffer == nullptr || m_pGeometry == nullptr)
        return;
    m_bLButtonDown = true;
    m_bLastEditWasTyping = false;
    m_nMouseX = m_nDownX = x;
    m_nMouseY = m_nDownY = y;
    // A third click soon after a double click selects the whole line.
    if (m_bDblClkSeen && nTime - m_nLastDblClkTime <= m_nDoubleClickTime)
    {
        m_bDblClkSeen = false;
        const int line = m_ptCaret.y;
        STextPosition end{LineLength(line), line};
        if (m_bShowLineEndings && line + 1 < LineCount())
            end = {0, line + 1};
        m_ptAnchor = {0, line};
        m_ptCaret = end;
        m_nIdealColumn = -1;
        return;
    }
    m_bDblClkSeen = false;
    if (x < m_pGeometry->GetMarginWidth())
    {
        if (bCtrl)
        {
            m_ptAnchor = {0, 0};
            m_ptCaret = EndOfText();
            m_nIdealColumn = -1;
            return;
        }
        STextPosition start;
        STextPosition end;
        RowBounds(m_pGeometry->ClientToSubLineIndex(y), start, end);
        m_ptOriginStart = start;
        m_ptOriginEnd = end;
        if (bShift)
            m_ptCaret = Less(start, m_ptAnchor) ? start : end;
        else
        {
            m_ptAnchor = start;
            m_ptCaret = end;
        }
        m_bRowSelection = true;
        m_bWordSelection = false;
        m_bDraggingSelection = true;
        m_nIdealColumn = -1;
        if (m_hooks.setCapture)
            m_hooks.setCapture(true);
        return;
    }
    const STextPosition pt = m_pGeometry->ClientToText(x, y);
    if (!bShift && !bCtrl && IsInsideSelection(pt))
    {
        m_bDragPending = true;
        m_ptPendingClick = pt;
        return;
    }
    m_bRowSelection = false;
    if (bCtrl)
    {
        if (!bShift)
            m_ptAnchor = pt;
        m_ptOriginStart = WordStartAt(m_ptAnchor);
        m_ptOriginEnd = WordEndAt(m_ptAnchor);
        m_bWordSelection = true;
        m_bDraggingSelection = true;
        ExtendMouseSelection(x, y);
    }
    else
    {
        m_bWordSelection = false;
        m_ptCaret = pt;
        if (!bShift)
            m_ptAnchor = pt;
        m_bDraggingSelection = true;
    }
    m_nIdealColumn = -1;
    EnsureCaretVisible();
    if (m_hooks.setCapture)
        m_hooks.setCapture(true);
}

void CTarvoTextEditController::OnLButtonDblClk(int x, int y, uint32_t nTime)
{
    if (m_pBuffer == nullptr || m_pGeometry == nullptr)
        return;
    m_bLButtonDown = true;
    m_bDblClkSeen = true;
    m_nLastDblClkTime = nTime;
    m_bDragPending = false;
    if (x < m_pGeometry->GetMarginWidth())
    {
        int line = 0;
        int sub = 0;
        m_pGeometry->GetLineBySubLineIndex(m_pGeometry->ClientToSubLineIndex(y), line, sub);
        m_ptCaret.y = line;
        DoToggleBookmark();
        return;
    }
    const STextPosition pt = m_pGeometry->ClientToText(x, y);
    m_ptOriginStart = WordStartAt(pt);
    m_ptOriginEnd = WordEndAt(pt);
    m_ptAnchor = m_ptOriginStart;
    m_ptCaret = m_ptOriginEnd;
    m_nIdealColumn = -1;
    m_bWordSelection = true;
    m_bRowSelection = false;
    m_bDraggingSelection = true;
    if (m_hooks.setCapture)
        m_hooks.setCapture(true);
}

void CTarvoTextEditController::ExtendMouseSelection(int x, int y)
{
    if (m_bRowSelection && x < m_pGeometry->GetMarginWidth())
    {
        STextPosition start;
        STextPosition end;
        RowBounds(m_pGeometry->ClientToSubLineIndex(y), start, end);
        if (Less(start, m_ptOriginStart))
        {
            m_ptAnchor = m_ptOriginEnd;
            m_ptCaret = start;
        }
        else
        {
            m_ptAnchor = m_ptOriginStart;
            m_ptCaret = end;
        }
        m_nIdealColumn = -1;
        return;
    }
    // Back in the text, a row selection goes on character by character.
    m_bRowSelection = false;
    const STextPosition pt = m_pGeometry->ClientToText(x, y);
    if (m_bWordSelection)
    {
        if (Less(pt, m_ptOriginStart))
        {
            m_ptAnchor = m_ptOriginEnd;
            m_ptCaret = WordStartAt(pt);
        }
        else
        {
            m_ptAnchor = m_ptOriginStart;
            m_ptCaret = WordEndAt(pt);
        }
    }
    else
        m_ptCaret = pt;
    m_nIdealColumn = -1;
}

void CTarvoTextEditController::OnMouseMove(int x, int y)
{
    m_nMouseX = x;
    m_nMouseY = y;
    if (m_bDragPending)
    {
        if (x != m_nDownX || y != m_nDownY)
        {
            m_bDragPending = false;
            StartDragSource();
        }
        return;
    }
    if (m_bRightDragPending)
    {
        m_bRightDragPending = false;
        StartDragSource();
        return;
    }
    if (!m_bDraggingSelection || m_pGeometry == nullptr)
        return;
    // Outside the view the auto-scroll timer scrolls, a row or three at each tick.
    ExtendMouseSelection(x, y);
}

void CTarvoTextEditController::EndMouseSelection()
{
    const bool bHadCapture = m_bDraggingSelection;
    m_bDraggingSelection = false;
    m_bWordSelection = false;
    m_bRowSelection = false;
    m_bLButtonDown = false;
    if (bHadCapture && m_hooks.setCapture)
        m_hooks.setCapture(false);
}

void CTarvoTextEditController::OnLButtonUp(int /*x*/, int /*y*/)
{
    if (m_bDragPending)
    {
        m_bDragPending = false;
        m_ptCaret = m_ptAnchor = m_ptPendingClick;
        m_nIdealColumn = -1;
    }
    EndMouseSelection();
}

void CTarvoTextEditController::OnCaptureLost()
{
    m_bDragPending = false;
    m_bRightDragPending = false;
    m_bRButtonDown = false;
    EndMouseSelection();
}

bool CTarvoTextEditController::OnTimer()
{
    if (!m_bDraggingSelection || m_pGeometry == nullptr)
        return false;
    const int lineHeight = m_pGeometry->GetLineHeight();
    const int top = m_pGeometry->GetTopSubLine();
    const int offset = m_pGeometry->GetOffsetChar();
    if (m_nMouseY < 0)
        m_pGeometry->ScrollToSubLine(std::max(top - (m_nMouseY < -lineHeight ? 3 : 1), 0));
    else if (m_nMouseY >= m_pGeometry->GetClientHeight())
        m_pGeometry->ScrollToSubLine(
            top + (m_nMouseY >= m_pGeometry->GetClientHeight() + lineHeight ? 3 : 1));
    if (m_nMouseX < m_pGeometry->GetMarginWidth() && !m_bRowSelection)
        m_pGeometry->ScrollToColumn(std::max(offset - 1, 0));
    else if (m_nMouseX >= m_pGeometry->GetClientWidth())
        m_pGeometry->ScrollToColumn(offset + 1);
    const bool bScrolled =
        m_pGeometry->GetTopSubLine() != top || m_pGeometry->GetOffsetChar() != offset;
    if (bScrolled)
        ExtendMouseSelection(m_nMouseX, m_nMouseY);
    return bScrolled;
}

void CTarvoTextEditController::OnRButtonDown(int x, int y)
{
    if (m_pBuffer == nullptr || m_pGeometry == nullptr)
        return;
    m_bRButtonDown = true;
    m_nDownX = x;
    m_nDownY = y;
    const STextPosition pt = m_pGeometry->ClientToText(x, y);
    if (x >= m_pGeometry->GetMarginWidth() && IsInsideSelection(pt))
    {
        m_bRightDragPending = true;
        return;
    }
    m_ptCaret = m_ptAnchor = pt;
    m_nIdealColumn = -1;
}

void CTarvoTextEditController::OnRButtonUp()
{
    m_bRButtonDown = false;
    m_bRightDragPending = false;
}

// ---------------------------------------------------------------------------------------
// Drag and drop

void CTarvoTextEditController::StartDragSource()
{
    if (!HasSelection() || !m_hooks.doDragDrop)
        return;
    GetSelection(m_ptDragStart, m_ptDragEnd);
    const std::u16string text = TextToClipboard(GetSelectedText(), GetTextCodePage());
    m_bDragSource = true;
    BeginEditStep();
    m_pBuffer->SetDragging(true);
    m_pBuffer->BeginUndoGroup(false);
    const int effect = m_hooks.doDragDrop(text, CanEdit());
    if (effect == TextDropMove && CanEdit())
        m_pBuffer->DeleteText(Source(), m_ptDragStart.y, m_ptDragStart.x, m_ptDragEnd.y,
                              m_ptDragEnd.x, EditActionDragDrop);
    else if (effect != TextDropMove)
        m_pBuffer->TrimRedoRecords();
    m_pBuffer->FlushUndoGroup(Source());
    m_pBuffer->SetDragging(false);
    m_bDragSource = false;
    EndEditStep();
    EndMouseSelection();
    m_bRButtonDown = false;
}

bool CTarvoTextEditController::CanDrop() const
{
    return CanEdit();
}

int CTarvoTextEditController::Drop(const STextPosition& ptAt, const std::u16string& text,
                                   bool bCopy)
{
    if (!CanEdit())
        return TextDropNone;
    const STextPosition pt = Clamp(ptAt);
    if (m_bDragSource && !Less(pt, m_ptDragStart) && !Less(m_ptDragEnd, pt))
    {
        // Onto the dragged text itself: only the caret moves.
        m_ptCaret = m_ptAnchor = pt;
        m_nIdealColumn = -1;
        return TextDropNone;
    }
    int lost = 0;
    const std::string bytes =
        ClipboardToText(text, m_pBuffer->GetLineEndString(), GetTextCodePage(), lost);
    if (!m_bDragSource)
    {
        BeginEditStep();
        m_pBuffer->BeginUndoGroup(false);
    }
    int endLine = pt.y;
    int endChar = pt.x;
    const bool bDone = m_pBuffer->InsertText(Source(), pt.y, pt.x, bytes.c_str(), endLine, endChar,
                                             EditActionDragDrop);
    if (!m_bDragSource)
    {
        m_pBuffer->FlushUndoGroup(Source());
    }
    if (bDone)
    {
        // A drop before the dragged block moved it along; the insert context took care.
        m_ptAnchor = pt;
        m_ptCaret = {endChar, endLine};
        m_nIdealColumn = -1;
        EnsureCaretVisible();
    }
    if (!m_bDragSource)
        EndEditStep();
    if (lost > 0 && m_hooks.setStatusText)
        m_hooks.setStatusText(LostCharactersStatusText(lost));
    return bDone ? (bCopy ? TextDropCopy : TextDropMove) : TextDropNone;
}

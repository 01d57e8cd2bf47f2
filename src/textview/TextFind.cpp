#include "textview/TextFind.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>

#include "platform/AsciiCase.h"
#include "platform/Multibyte.h"
#include "platform/SystemInfo.h"
#include "text/TextEditBuffer.h"
#include "textview/TextEditController.h"
#include "textview/TextEditGeometry.h"

const char* const kReplaceExpandFailedText =
    "The replacement uses a group that took no part in the match; the match was left unchanged";

namespace
{
constexpr size_t kHistorySize = 20;

bool Less(const STextPosition& a, const STextPosition& b)
{
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

// Lowers the ASCII letters of a text; in a double-byte code page the trail bytes stay, so
// that a trail byte that looks like a letter never matches another character.
void LowerForSearch(const char* text, int length, int nCodePage, std::string& out)
{
    out.assign(text, static_cast<size_t>(length));
    if (IsDbcsCodePage(nCodePage))
    {
        for (int i = 0; i < length;)
        {
            const int n = CharLength(nCodePage, text, length, i);
            if (n == 1)
                out[static_cast<size_t>(i)] = LowerAscii(text[i]);
            i += n;
        }
        return;
    }
    for (char& c : out)
        c = LowerAscii(c);
}

// Whether an occurrence at [at, at + n) of a line is a match: it starts and ends on
// character boundaries and, for whole word, the characters on both sides of it in the
// whole line are not word characters.
bool IsValidOccurrence(const char* line, int length, int at, int n, uint32_t dwFlags, int nCodePage)
{
    if (IsMultibyteCodePage(nCodePage))
    {
        if (at < length && IsTrailByte(nCodePage, line, length, at))
            return false;
        if (at + n < length && IsTrailByte(nCodePage, line, length, at + n))
            return false;
    }
    if ((dwFlags & SearchWholeWord) != 0)
    {
        if (at > 0)
        {
            const int prev =
                IsDbcsCodePage(nCodePage) ? PrevCharIndex(nCodePage, line, length, at) : at - 1;
            if (IsEditWordChar(static_cast<unsigned char>(line[prev])))
                return false;
        }
        if (at + n < length && IsEditWordChar(static_cast<unsigned char>(line[at + n])))
            return false;
    }
    return true;
}

int CountLineBreakEscapes(const std::string& pattern)
{
    int count = 0;
    for (size_t i = 0; i + 1 < pattern.size(); ++i)
    {
        if (pattern[i] != '\\')
            continue;
        if (pattern[i + 1] == 'n')
            ++count;
        ++i; // the escaped character is never the start of another escape
    }
    return count;
}

// A compiled pattern kept while its text and code page stay the same.
struct SProgramCache
{
    std::string strPattern;
    int nCodePage = -1;
    PatternProgram* pProgram = nullptr;
    bool bValid = false;

    ~SProgramCache() { PatternFree(pProgram); }
    const PatternProgram* Get(const std::string& pattern)
    {
        const int cp = GetTextCodePage();
        if (!bValid || pattern != strPattern || cp != nCodePage)
        {
            PatternFree(pProgram);
            pProgram = PatternCompile(pattern.c_str(), cp);
            strPattern = pattern;
            nCodePage = cp;
            bValid = true;
        }
        return pProgram;
    }
};
} // namespace

void CMemorySearchHistory::Add(std::vector<std::string>& list, const std::string& text)
{
    if (text.empty())
        return;
    for (auto it = list.begin(); it != list.end(); ++it)
    {
        if (EqualsAsciiNoCase(it->c_str(), text.c_str()))
        {
            list.erase(it);
            break;
        }
    }
    list.insert(list.begin(), text);
    if (list.size() > kHistorySize)
        list.resize(kHistorySize);
}

// ---------------------------------------------------------------------------------------
// CTextSearcher

struct CTextSearcher::SCompiled
{
    SProgramCache cache;
    const PatternProgram* pProgram = nullptr;
    int nExtraLines = 0;
};

CTextSearcher::CTextSearcher(const CTarvoTextEditBuffer* pBuffer)
    : m_pBuffer(pBuffer), m_pCompiled(std::make_unique<SCompiled>())
{
}

CTextSearcher::~CTextSearcher() = default;

bool CTextSearcher::FindText(const std::string& text, STextPosition ptStart, uint32_t dwFlags,
                             bool bWrap, STextPosition& ptFound)
{
    if (m_pBuffer == nullptr || m_pBuffer->GetLineCount() == 0)
        return false;
    const int last = m_pBuffer->GetLineCount() - 1;
    return FindTextInBlock(text, ptStart, {0, 0}, {m_pBuffer->GetLineRecord(last)->nLength, last},
                           dwFlags, bWrap, ptFound);
}

bool CTextSearcher::FindTextInBlock(const std::string& text, STextPosition ptStart,
                                    STextPosition ptBlockBegin, STextPosition ptBlockEnd,
                                    uint32_t dwFlags, bool bWrap, STextPosition& ptFound)
{
    if (m_pBuffer == nullptr || text.empty() || m_pBuffer->GetLineCount() == 0)
        return false;
    auto clamp = [&](STextPosition pt)
    {
        pt.y = std::clamp(pt.y, 0, m_pBuffer->GetLineCount() - 1);
        pt.x = std::clamp(pt.x, 0, m_pBuffer->GetLineRecord(pt.y)->nLength);
        return pt;
    };
    ptBlockBegin = clamp(ptBlockBegin);
    ptBlockEnd = clamp(ptBlockEnd);
    ptStart = clamp(ptStart);
    if (Less(ptBlockEnd, ptBlockBegin))
        return false;
    if (Less(ptStart, ptBlockBegin))
        ptStart = ptBlockBegin;
    if (Less(ptBlockEnd, ptStart))
        ptStart = ptBlockEnd;
    if ((dwFlags & SearchPattern) != 0)
    {
        m_pCompiled->pProgram = m_pCompiled->cache.Get(text);
        if (m_pCompiled->pProgram == nullptr)
            return false;
        m_pCompiled->nExtraLines = CountLineBreakEscapes(text);
    }
    else if ((dwFlags & SearchMatchCase) != 0)
        m_strLowerText = text;
    else
        LowerForSearch(text.data(), static_cast<int>(text.size()), GetTextCodePage(),
                       m_strLowerText);

    if ((dwFlags & SearchUp) == 0)
    {
        if (SearchDownward(ptStart, ptBlockEnd, dwFlags, ptFound))
            return true;
        return bWrap && SearchDownward(ptBlockBegin, ptBlockEnd, dwFlags, ptFound);
    }
    if (SearchUpward(ptStart, ptBlockBegin, ptBlockEnd, dwFlags, ptFound))
        return true;
    return bWrap && SearchUpward(ptBlockEnd, ptBlockBegin, ptBlockEnd, dwFlags, ptFound);
}

bool CTextSearcher::SearchDownward(STextPosition ptStart, STextPosition ptEnd, uint32_t dwFlags,
                                   STextPosition& ptFound)
{
    for (int y = ptStart.y; y <= ptEnd.y; ++y)
    {
        const int from = y == ptStart.y ? ptStart.x : 0;
        // A match counts only when it begins before the block end.
        const int startLimit = y == ptEnd.y ? ptEnd.x : INT_MAX;
        if (startLimit <= from)
            break;
        if (FindInLine(y, from, startLimit, INT_MAX, false, dwFlags, ptFound))
            return true;
    }
    return false;
}

bool CTextSearcher::SearchUpward(STextPosition ptStart, STextPosition ptBegin, STextPosition ptEnd,
                                 uint32_t dwFlags, STextPosition& ptFound)
{
    for (int y = ptStart.y; y >= ptBegin.y; --y)
    {
        const CTarvoTextLineInfo* line = m_pBuffer->GetLineRecord(y);
        const int from = y == ptBegin.y ? ptBegin.x : 0;
        const int startLimit = y == ptEnd.y ? ptEnd.x : INT_MAX;
        // On the start line the searched part runs up to and including the character at
        // the start position (the whole line from its end); an occurrence must lie in it.
        int endLimit = INT_MAX;
        if (y == ptStart.y && ptStart.x < line->nLength)
            endLimit =
                ptStart.x + CharLength(GetTextCodePage(), line->pcLine, line->nLength, ptStart.x);
        if (FindInLine(y, from, startLimit, endLimit, true, dwFlags, ptFound))
            return true;
    }
    return false;
}

void CTextSearcher::SetPlainMatch(int nLine, int nAt)
{
    m_bPatternMatch = false;
    const int n = static_cast<int>(m_strLowerText.size());
    m_ptMatchEnd = {nAt + n, nLine};
    m_nMatchLength = n;
}

bool CTextSearcher::FindInLine(int nLine, int nFrom, int nStartLimit, int nEndLimit, bool bLast,
                               uint32_t dwFlags, STextPosition& ptFound)
{
    if ((dwFlags & SearchPattern) != 0)
        return PatternInWindow(nLine, nFrom, nStartLimit, nEndLimit, bLast, dwFlags, ptFound);
    int at = 0;
    if (!PlainInLine(nLine, nFrom, nStartLimit, nEndLimit, bLast, dwFlags, at))
        return false;
    ptFound = {at, nLine};
    SetPlainMatch(nLine, at);
    return true;
}

bool CTextSearcher::PlainInLine(int nLine, int nFrom, int nLimit, int nEndLimit, bool bLast,
                                uint32_t dwFlags, int& nAt)
{
    const CTarvoTextLineInfo* line = m_pBuffer->GetLineRecord(nLine);
    const int length = line->nLength;
    const int n = static_cast<int>(m_strLowerText.size());
    const int endLimit = std::min(nEndLimit, length);
    if (n > endLimit - nFrom)
        return false;
    const int cp = GetTextCodePage();
    std::string_view hay;
    if ((dwFlags & SearchMatchCase) != 0)
        hay = std::string_view(line->pcLine, static_cast<size_t>(length));
    else
    {
        LowerForSearch(line->pcLine, length, cp, m_strScratch);
        hay = m_strScratch;
    }
    const std::string_view needle = m_strLowerText;
    if (!bLast)
    {
        size_t pos = static_cast<size_t>(nFrom);
        while ((pos = hay.find(needle, pos)) != std::string_view::npos)
        {
            const int at = static_cast<int>(pos);
            if (at >= nLimit)
                return false;
            if (IsValidOccurrence(line->pcLine, length, at, n, dwFlags, cp))
            {
                nAt = at;
                return true;
            }
            ++pos;
        }
        return false;
    }
    int last = std::min(endLimit - n, nLimit - 1);
    while (last >= nFrom)
    {
        const size_t pos = hay.rfind(needle, static_cast<size_t>(last));
        if (pos == std::string_view::npos || static_cast<int>(pos) < nFrom)
            return false;
        const int at = static_cast<int>(pos);
        if (IsValidOccurrence(line->pcLine, length, at, n, dwFlags, cp))
        {
            nAt = at;
            return true;
        }
        last = at - 1;
    }
    return false;
}

bool CTextSearcher::PatternInWindow(int nLine, int nFrom, int nLimit, int nEndLimit, bool bLast,
                                    uint32_t dwFlags, STextPosition& ptFound)
{
    const int endLimitOnFirst = nEndLimit;
    const int lineCount = m_pBuffer->GetLineCount();
    const int lastLine = std::min(lineCount - 1, nLine + m_pCompiled->nExtraLines);
    // The window: the line from nFrom, joined with the following lines by LF.
    size_t total = 0;
    for (int y = nLine; y <= lastLine; ++y)
        total += static_cast<size_t>(m_pBuffer->GetLineRecord(y)->nLength) + 1;
    if (total > static_cast<size_t>(m_nPatternWindowLimit))
        return false; // too long for the engine: this line does not match
    m_strWindow.clear();
    m_aWindowLineStarts.clear();
    for (int y = nLine; y <= lastLine; ++y)
    {
        const CTarvoTextLineInfo* line = m_pBuffer->GetLineRecord(y);
        if (y > nLine)
            m_strWindow.push_back('\n');
        m_aWindowLineStarts.push_back(static_cast<int>(m_strWindow.size()));
        const int from = y == nLine ? std::min(nFrom, line->nLength) : 0;
        m_strWindow.append(line->pcLine + from, static_cast<size_t>(line->nLength - from));
    }
    m_nWindowFirstChar = std::min(nFrom, m_pBuffer->GetLineRecord(nLine)->nLength);
    const int firstLineEnd =
        static_cast<int>(m_pBuffer->GetLineRecord(nLine)->nLength) - m_nWindowFirstChar;
    const int windowLength = static_cast<int>(m_strWindow.size());
    const bool bCase = (dwFlags & SearchMatchCase) != 0;
    const int cp = m_pCompiled->pProgram->codePage;

    auto toPosition = [&](int offset)
    {
        size_t k = 0;
        while (k + 1 < m_aWindowLineStarts.size() && m_aWindowLineStarts[k + 1] <= offset)
            ++k;
        const int x = offset - m_aWindowLineStarts[k] + (k == 0 ? m_nWindowFirstChar : 0);
        return STextPosition{x, nLine + static_cast<int>(k)};
    };
    // Offsets in the window of the limits on the first line.
    const long long startLimit =
        nLimit == INT_MAX ? LLONG_MAX : static_cast<long long>(nLimit) - m_nWindowFirstChar;
    const long long endLimit = endLimitOnFirst == INT_MAX
                                   ? LLONG_MAX
                                   : static_cast<long long>(endLimitOnFirst) - m_nWindowFirstChar;

    PatternMatchInfo info;
    bool bFound = false;
    PatternMatchInfo best{};
    int pos = 0;
    while (pos <= windowLength)
    {
        if (!PatternMatch(m_pCompiled->pProgram, m_strWindow.c_str(), windowLength, pos, &info,
                          bCase))
            break;
        const int s = info.start[0];
        const int e = info.end[0];
        // A match that begins past the first line belongs to a later line's window.
        if (s > firstLineEnd || s >= startLimit)
            break;
        if (e <= endLimit)
        {
            best = info;
            bFound = true;
            if (!bLast)
                break;
        }
        if (s >= windowLength)
            break;
        pos = s + CharLength(cp, m_strWindow.c_str(), windowLength, s);
    }
    if (!bFound)
        return false;
    m_matchInfo = best;
    m_bPatternMatch = true;
    ptFound = toPosition(best.start[0]);
    m_ptMatchEnd = toPosition(best.end[0]);
    m_nMatchLength = best.end[0] - best.start[0];
    return true;
}

// ---------------------------------------------------------------------------------------
// Highlight All

std::vector<std::pair<int, int>> FindMatchesInLine(const char* pLine, int nLength,
                                                   const std::string& text, uint32_t dwFlags)
{
    std::vector<std::pair<int, int>> matches;
    if (text.empty() || nLength < 0)
        return matches;
    const int cp = GetTextCodePage();
    if ((dwFlags & SearchPattern) != 0)
    {
        thread_local SProgramCache cache;
        const PatternProgram* program = cache.Get(text);
        if (program == nullptr)
            return matches;
        PatternMatchInfo info;
        int pos = 0;
        while (pos <= nLength && PatternMatch(program, pLine, nLength, pos, &info,
                                              (dwFlags & SearchMatchCase) != 0) != 0)
        {
            matches.emplace_back(info.start[0], info.end[0]);
            if (info.end[0] > info.start[0])
                pos = info.end[0];
            else if (info.start[0] >= nLength)
                break;
            else
                pos = info.start[0] + CharLength(cp, pLine, nLength, info.start[0]);
        }
        return matches;
    }
    std::string needle;
    std::string hayStore;
    std::string_view hay(pLine, static_cast<size_t>(nLength));
    if ((dwFlags & SearchMatchCase) != 0)
        needle = text;
    else
    {
        LowerForSearch(text.data(), static_cast<int>(text.size()), cp, needle);
        LowerForSearch(pLine, nLength, cp, hayStore);
        hay = hayStore;
    }
    const int n = static_cast<int>(needle.size());
    size_t pos = 0;
    while ((pos = hay.find(needle, pos)) != std::string_view::npos)
    {
        const int at = static_cast<int>(pos);
        if (IsValidOccurrence(pLine, nLength, at, n, dwFlags, cp))
        {
            matches.emplace_back(at, at + n);
            pos += static_cast<size_t>(n);
        }
        else
            ++pos;
    }
    return matches;
}

std::vector<SyntaxRun> MergeHighlightRuns(const std::vector<SyntaxRun>& runs,
                                          const std::vector<std::pair<int, int>>& matches)
{
    std::vector<int> points;
    points.reserve(runs.size() + 2 * matches.size());
    for (const SyntaxRun& run : runs)
        points.push_back(run.nStart);
    for (const auto& match : matches)
    {
        points.push_back(match.first);
        points.push_back(match.second);
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<SyntaxRun> result;
    size_t run = 0;
    size_t match = 0;
    for (int point : points)
    {
        while (run + 1 < runs.size() && runs[run + 1].nStart <= point)
            ++run;
        while (match < matches.size() &&
               (matches[match].second < point ||
                (matches[match].second == point && matches[match].first < point)))
            ++match;
        SyntaxRun block{point, 3, 2};
        if (!runs.empty() && runs[run].nStart <= point)
            block = {point, runs[run].nColor, runs[run].nBkColor};
        const bool bInMatch = match < matches.size() && matches[match].first <= point &&
                              point < matches[match].second;
        if (bInMatch)
            block.nBkColor = kHighlightColorClass;
        if (!result.empty() && result.back().nColor == block.nColor &&
            result.back().nBkColor == block.nBkColor)
            continue;
        result.push_back(block);
    }
    return result;
}

// ---------------------------------------------------------------------------------------
// CTextEditFind

CTextEditFind::CTextEditFind(CTarvoTextEditController& controller) : m_controller(controller) {}

void CTextEditFind::OnBufferChanged()
{
    m_searcher.SetBuffer(m_controller.GetBuffer());
}

void CTextEditFind::SetLastSearch(const std::string& text, uint32_t dwFlags)
{
    m_bHasLastSearch = true;
    m_strLastSearch = text;
    m_dwLastFlags = dwFlags;
}

std::string CTextEditFind::NotFoundMessage(const std::string& text, bool bFromFindDialog)
{
    return std::string(bFromFindDialog ? "Cannot find string" : "Cannot find string ") + "\"" +
           text + "\"";
}

std::string CTextEditFind::CutAtLineBreak(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

void CTextEditFind::SelectMatch(const STextPosition& ptStart, const STextPosition& ptEnd,
                                bool bCaretAtStart)
{
    m_controller.SetSelection(bCaretAtStart ? ptEnd : ptStart, bCaretAtStart ? ptStart : ptEnd);
    ITextEditGeometry* geometry = m_controller.GetGeometry();
    if (geometry == nullptr)
        return;
    const int top = geometry->GetTopSubLine();
    const int rows = geometry->GetScreenRows();
    const int first = geometry->GetSubLineIndex(ptStart.y);
    const int last = geometry->GetSubLineIndex(ptEnd.y);
    if (first < top || last >= top + rows)
        geometry->ScrollToSubLine(std::max(first - rows / 2, 0));
    geometry->EnsureVisible(m_controller.GetCaret());
}

bool CTextEditFind::FindFromDialog(const std::string& text, uint32_t dwFlags, bool bHighlight)
{
    if (text.empty() || m_controller.GetBuffer() == nullptr)
        return false;
    const STextPosition start = m_controller.GetCaret();
    STextPosition found;
    if (!m_searcher.FindText(text, start, dwFlags, true, found))
    {
        m_bFound = false;
        const STextEditHooks& hooks = m_controller.GetHooks();
        if (hooks.messageBox)
            hooks.messageBox(NotFoundMessage(text, true), true);
        return false;
    }
    SelectMatch(found, m_searcher.GetMatchEnd(), Less(found, start));
    SetLastSearch(text, dwFlags);
    m_bFound = true;
    if (m_controller.GetSearchHistory() != nullptr)
        m_controller.GetSearchHistory()->AddFindText(text);
    const STextEditHooks& hooks = m_controller.GetHooks();
    if (hooks.setFindBarText)
        hooks.setFindBarText(text);
    if (bHighlight)
    {
        m_bHighlightAll = true;
        m_strHighlight = text;
        if (m_controller.GetGeometry() != nullptr)
            m_controller.GetGeometry()->InvalidateAll();
    }
    return true;
}

void CTextEditFind::FindNextCommand(int nId)
{
    const STextEditHooks& hooks = m_controller.GetHooks();
    const std::string barText = hooks.getFindBarText ? hooks.getFindBarText() : std::string();
    if (!barText.empty() && barText != m_strLastSearch)
    {
        m_strLastSearch = barText;
        m_bHasLastSearch = true;
        if (m_bHighlightAll)
        {
            m_strHighlight = barText;
            if (m_controller.GetGeometry() != nullptr)
                m_controller.GetGeometry()->InvalidateAll();
        }
    }
    const int modifiers = nId == CmdRepeatFind && hooks.getModifiers ? hooks.getModifiers() : 0;
    std::string text = CutAtLineBreak(m_strLastSearch);
    if ((modifiers & kTextModCtrl) != 0 && m_controller.HasSelection())
        text = CutAtLineBreak(m_controller.GetSelectedText());
    if (text.empty())
    {
        if (hooks.showFindDialog)
            hooks.showFindDialog();
        return;
    }
    const bool bUp =
        nId == CmdFindPrevious || (nId == CmdRepeatFind && (modifiers & kTextModShift) != 0);
    if (bUp)
        m_dwLastFlags |= SearchUp;
    else
        m_dwLastFlags &= ~static_cast<uint32_t>(SearchUp);
    STextPosition start = m_controller.GetCaret();
    if (bUp && m_controller.HasSelection())
    {
        STextPosition end;
        m_controller.GetSelection(start, end);
    }
    STextPosition found;
    if (m_searcher.FindText(text, start, m_dwLastFlags, true, found))
    {
        SelectMatch(found, m_searcher.GetMatchEnd(), false);
        m_bFound = true;
        return;
    }
    m_bFound = false;
    if (hooks.messageBox)
        hooks.messageBox(NotFoundMessage(text, false), false);
}

void CTextEditFind::ToggleHighlightAll()
{
    if (!m_bHighlightAll)
    {
        if (!m_bHasLastSearch || m_strLastSearch.empty())
        {
            const STextEditHooks& hooks = m_controller.GetHooks();
            const std::string barText =
                hooks.getFindBarText ? hooks.getFindBarText() : std::string();
            if (!barText.empty())
                SetLastSearch(barText, m_dwLastFlags);
        }
        m_strHighlight = m_strLastSearch;
    }
    m_bHighlightAll = !m_bHighlightAll;
    if (m_controller.GetGeometry() != nullptr)
        m_controller.GetGeometry()->InvalidateAll();
}

bool CTextEditFind::ReplaceSelection(const std::string& replacement, uint32_t dwFlags, bool bMerge)
{
    CTarvoTextEditBuffer* buffer = m_controller.GetBuffer();
    if (buffer == nullptr || !m_controller.CanEdit())
        return false;
    std::string text = replacement;
    if ((dwFlags & SearchPattern) != 0)
    {
        if (!m_searcher.IsPatternMatch() ||
            !PatternSubstitute(replacement.c_str(), m_searcher.GetMatchWindow().c_str(),
                               m_searcher.GetMatchInfo(), &text, GetTextCodePage()))
        {
            const STextEditHooks& hooks = m_controller.GetHooks();
            if (hooks.setStatusText)
                hooks.setStatusText(kReplaceExpandFailedText);
            return false;
        }
    }
    // Line breaks of the replacement take the document's line ending.
    const std::string eol = buffer->GetLineEndString();
    std::string normalised;
    normalised.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r' || text[i] == '\n')
        {
            normalised += eol;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        }
        else
            normalised.push_back(text[i]);
    }
    STextPosition start;
    STextPosition end;
    m_controller.GetSelection(start, end);
    m_controller.BeginEditStep();
    STextPosition insertedEnd = start;
    const bool bDone =
        m_controller.ReplaceSelectionText(normalised, EditActionReplace, &insertedEnd, bMerge);
    m_controller.SetSelection(start, insertedEnd);
    m_controller.EndEditStep();
    m_nLastReplacementLength = static_cast<int>(normalised.size());
    return bDone;
}

std::vector<std::pair<int, int>> CTextEditFind::HighlightMatchesInLine(int nLine) const
{
    CTarvoTextEditBuffer* buffer = m_controller.GetBuffer();
    if (!m_bHighlightAll || m_strHighlight.empty() || buffer == nullptr)
        return {};
    const CTarvoTextLineInfo* line = buffer->GetLineRecord(nLine);
    if (line == nullptr)
        return {};
    return FindMatchesInLine(line->pcLine, line->nLength, CutAtLineBreak(m_strHighlight),
                             m_dwLastFlags & ~static_cast<uint32_t>(SearchUp));
}

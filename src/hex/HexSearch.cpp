#include "hex/HexSearch.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string.h> // memrchr

#include "platform/AsciiCase.h"

namespace
{

// Beyond the pattern, a read window holds this many bytes.
constexpr uint32_t kWindowExtra = 32767;

// Checkpoint spacing: fine at first so that Escape answers quickly on a short search,
// coarser once the search has run for a while.
constexpr uint64_t kFineStep = 0x20000;
constexpr uint64_t kFineSpan = 0x800000;
constexpr uint64_t kCoarseStep = 0x200000;

uint8_t UpperAscii(uint8_t c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

// Asks whether to stop when the user pressed Escape; true when the search must end.
bool CheckAbort(CHexSearchProgress* pProgress, CHexMessageSink* pMessages)
{
    if (pProgress == nullptr || !pProgress->IsEscapePending())
    {
        return false;
    }
    if (pMessages == nullptr || !pMessages->AskYesNo("Abort search?"))
    {
        return false;
    }
    pMessages->ShowStatusMessage("Search aborted");
    return true;
}

} // namespace

bool ParseHexSearchText(const std::string& strText, SHexPattern& pattern)
{
    pattern = SHexPattern();
    if (strText.size() >= 2 && (strText[0] == '=' || strText[0] == '~'))
    {
        pattern.m_bText = true;
        pattern.m_bIgnoreCase = strText[0] == '~';
        pattern.m_bytes.assign(strText.begin() + 1, strText.end());
        return true;
    }
    int nHigh = -1;
    for (char c : strText)
    {
        const int nDigit = AsciiHexDigitValue(static_cast<unsigned char>(c));
        if (nDigit < 0)
        {
            continue;
        }
        if (nHigh < 0)
        {
            nHigh = nDigit;
        }
        else
        {
            pattern.m_bytes.push_back(static_cast<uint8_t>(nHigh * 16 + nDigit));
            nHigh = -1;
        }
    }
    if (nHigh >= 0)
    {
        pattern.m_bytes.push_back(static_cast<uint8_t>(nHigh));
    }
    return !pattern.m_bytes.empty();
}

CHexSearcher::CHexSearcher(const SHexPattern& pattern)
    : m_pattern(pattern.m_bytes), m_bIgnoreCase(pattern.m_bIgnoreCase)
{
    const uint32_t m = static_cast<uint32_t>(m_pattern.size());
    uint32_t forward[256];
    uint32_t backward[256];
    for (int c = 0; c < 256; ++c)
    {
        forward[c] = m;
        backward[c] = m;
    }
    for (uint32_t i = 0; i < m; ++i)
    {
        forward[m_pattern[i]] = m - 1 - i; // the last occurrence wins
    }
    for (uint32_t i = m; i-- > 0;) // the first occurrence wins
    {
        backward[m_pattern[i]] = i;
    }
    for (int c = 0; c < 256; ++c)
    {
        if (m_bIgnoreCase)
        {
            // Either case form of a byte may stand at a pattern position.
            const uint8_t u = UpperAscii(static_cast<uint8_t>(c));
            const uint8_t l = LowerAscii(static_cast<uint8_t>(c));
            m_forward[c] = std::min(forward[u], forward[l]);
            m_backward[c] = std::min(backward[u], backward[l]);
        }
        else
        {
            m_forward[c] = forward[c];
            m_backward[c] = backward[c];
        }
    }
    if (m_bIgnoreCase)
    {
        for (uint8_t& c : m_pattern)
        {
            c = UpperAscii(c);
        }
    }
    // After a match at the pattern's last byte fails, the next possible alignment puts an
    // earlier occurrence of that byte under it; likewise backward for the first byte.
    m_nShiftAfterLast = m;
    for (uint32_t i = 0; i + 1 < m; ++i)
    {
        if (m_pattern[i] == m_pattern[m - 1])
        {
            m_nShiftAfterLast = m - 1 - i;
        }
    }
    // A byte that matches in one form only can be looked for with memchr.
    m_bSingleFormLast =
        m > 0 && (!m_bIgnoreCase || LowerAscii(m_pattern[m - 1]) == m_pattern[m - 1]);
    m_bSingleFormFirst = m > 0 && (!m_bIgnoreCase || LowerAscii(m_pattern[0]) == m_pattern[0]);
    m_nShiftAfterFirst = m;
    for (uint32_t i = m; i-- > 1;)
    {
        if (m_pattern[i] == m_pattern[0])
        {
            m_nShiftAfterFirst = i;
        }
    }
}

uint32_t CHexSearcher::GetWindowSize(uint32_t nDataLength) const
{
    return static_cast<uint32_t>(
        std::min<uint64_t>(uint64_t(m_pattern.size()) + kWindowExtra, nDataLength));
}

bool CHexSearcher::MatchesAt(const uint8_t* pText) const
{
    const size_t m = m_pattern.size();
    if (!m_bIgnoreCase)
    {
        return std::memcmp(pText, m_pattern.data(), m) == 0;
    }
    for (size_t i = m; i-- > 0;)
    {
        if (UpperAscii(pText[i]) != m_pattern[i])
        {
            return false;
        }
    }
    return true;
}

int64_t CHexSearcher::FindInBlock(const uint8_t* pBlock, size_t nLength, size_t nFrom) const
{
    const size_t m = m_pattern.size();
    if (nLength < m || nFrom > nLength - m)
    {
        return -1;
    }
    // i is the index of the byte under the pattern's last byte.
    size_t i = nFrom + m - 1;
    if (m_bSingleFormLast)
    {
        // Every alignment whose last byte differs from the pattern's cannot match; memchr
        // finds the next one that can many bytes at a time, which a table walk of at most
        // m bytes per step cannot match on long data.
        const uint8_t last = m_pattern[m - 1];
        while (i < nLength)
        {
            const void* pFound = std::memchr(pBlock + i, last, nLength - i);
            if (pFound == nullptr)
            {
                return -1;
            }
            i = static_cast<size_t>(static_cast<const uint8_t*>(pFound) - pBlock);
            if (MatchesAt(pBlock + i - (m - 1)))
            {
                return static_cast<int64_t>(i - (m - 1));
            }
            i += m_nShiftAfterLast;
        }
        return -1;
    }
    const uint32_t* const table = m_forward;
    while (i < nLength)
    {
        uint32_t nSkip = table[pBlock[i]];
        if (nSkip != 0)
        {
            i += nSkip;
            continue;
        }
        if (MatchesAt(pBlock + i - (m - 1)))
        {
            return static_cast<int64_t>(i - (m - 1));
        }
        i += m_nShiftAfterLast;
    }
    return -1;
}

int64_t CHexSearcher::FindLastInBlock(const uint8_t* pBlock, size_t nLength,
                                      size_t nLastStart) const
{
    const size_t m = m_pattern.size();
    if (nLength < m)
    {
        return -1;
    }
    // i is the index of the byte under the pattern's first byte.
    int64_t i = static_cast<int64_t>(std::min(nLastStart, nLength - m));
    if (m_bSingleFormFirst)
    {
        const uint8_t first = m_pattern[0];
        while (i >= 0)
        {
            const void* pFound = memrchr(pBlock, first, static_cast<size_t>(i) + 1);
            if (pFound == nullptr)
            {
                return -1;
            }
            i = static_cast<const uint8_t*>(pFound) - pBlock;
            if (MatchesAt(pBlock + i))
            {
                return i;
            }
            i -= m_nShiftAfterFirst;
        }
        return -1;
    }
    while (i >= 0)
    {
        const uint32_t nSkip = m_backward[pBlock[i]];
        if (nSkip != 0)
        {
            i -= nSkip;
            continue;
        }
        if (MatchesAt(pBlock + i))
        {
            return i;
        }
        i -= m_nShiftAfterFirst;
    }
    return -1;
}

EHexSearchOutcome CHexSearcher::SearchForward(const CTarvoHexEditBuffer& buffer, uint32_t nStart,
                                              CHexSearchProgress* pProgress,
                                              CHexMessageSink* pMessages, uint32_t& nMatch) const
{
    const uint64_t n = buffer.GetLength();
    const uint32_t m = static_cast<uint32_t>(m_pattern.size());
    uint64_t nPosition = nStart;
    if (m == 0 || nPosition + m > n)
    {
        return EHexSearchOutcome::NotFound;
    }
    const uint32_t nWindow = GetWindowSize(static_cast<uint32_t>(n));
    std::vector<uint8_t> window(nWindow);
    const uint32_t nHead = m - 1;
    if (buffer.ReadData(window.data(), nHead, static_cast<uint32_t>(nPosition)) != nHead)
    {
        return EHexSearchOutcome::NotFound;
    }
    uint64_t nNextCheck = (nPosition / kFineStep + 1) * kFineStep;
    const uint64_t nCoarseFrom = (nPosition / kFineSpan + 2) * kFineSpan;
    for (;;)
    {
        const uint32_t nGot = buffer.ReadData(window.data() + nHead, nWindow - nHead,
                                              static_cast<uint32_t>(nPosition + nHead));
        const int64_t k = FindInBlock(window.data(), nHead + nGot, 0);
        if (k >= 0)
        {
            nMatch = static_cast<uint32_t>(nPosition + uint64_t(k));
            return EHexSearchOutcome::Found;
        }
        nPosition += nGot;
        if (nGot == 0 || nPosition + nHead >= n)
        {
            return EHexSearchOutcome::NotFound;
        }
        std::memmove(window.data(), window.data() + nGot, nHead);
        if (nPosition >= nNextCheck)
        {
            if (CheckAbort(pProgress, pMessages))
            {
                return EHexSearchOutcome::Aborted;
            }
            const uint64_t nStep = nPosition > nCoarseFrom ? kCoarseStep : kFineStep;
            nNextCheck = (nPosition / nStep + 1) * nStep;
        }
    }
}

EHexSearchOutcome CHexSearcher::SearchBackward(const CTarvoHexEditBuffer& buffer, uint32_t nEnd,
                                               CHexSearchProgress* pProgress,
                                               CHexMessageSink* pMessages, uint32_t& nMatch) const
{
    const uint32_t m = static_cast<uint32_t>(m_pattern.size());
    uint64_t nBack = std::min(nEnd, buffer.GetLength());
    if (m == 0 || nBack < m)
    {
        return EHexSearchOutcome::NotFound;
    }
    const uint32_t nWindow = GetWindowSize(buffer.GetLength());
    std::vector<uint8_t> window(nWindow);
    int64_t nNextCheck = static_cast<int64_t>(nBack / kCoarseStep * kCoarseStep);
    for (;;)
    {
        const uint32_t nCount = static_cast<uint32_t>(std::min<uint64_t>(nWindow, nBack));
        const uint32_t nFrom = static_cast<uint32_t>(nBack - nCount);
        if (buffer.ReadData(window.data(), nCount, nFrom) != nCount)
        {
            return EHexSearchOutcome::NotFound; // the data ended early: nothing is there
        }
        const int64_t k = FindLastInBlock(window.data(), nCount, nCount - m);
        if (k >= 0)
        {
            nMatch = nFrom + static_cast<uint32_t>(k);
            return EHexSearchOutcome::Found;
        }
        if (nFrom == 0)
        {
            return EHexSearchOutcome::NotFound;
        }
        nBack -= nCount - (m - 1);
        if (nBack < m)
        {
            return EHexSearchOutcome::NotFound;
        }
        if (static_cast<int64_t>(nBack) <= nNextCheck)
        {
            if (CheckAbort(pProgress, pMessages))
            {
                return EHexSearchOutcome::Aborted;
            }
            nNextCheck -= static_cast<int64_t>(kCoarseStep);
        }
    }
}

std::vector<std::pair<uint32_t, uint32_t>> CHexSearcher::FindAll(const CTarvoHexEditBuffer& buffer,
                                                                 uint32_t nFrom, uint32_t nTo) const
{
    std::vector<std::pair<uint32_t, uint32_t>> matches;
    const uint64_t n = buffer.GetLength();
    const uint64_t m = m_pattern.size();
    if (m == 0 || m > n)
    {
        return matches;
    }
    const uint64_t nStartLimit = std::min<uint64_t>(nTo, n - m + 1); // starts below this
    const uint32_t nWindow = GetWindowSize(static_cast<uint32_t>(n));
    std::vector<uint8_t> window(nWindow);
    uint64_t nWindowStart = nFrom;
    while (nWindowStart < nStartLimit)
    {
        const uint32_t nCount =
            static_cast<uint32_t>(std::min<uint64_t>(nWindow, nStartLimit - 1 + m - nWindowStart));
        const uint32_t nGot =
            buffer.ReadData(window.data(), nCount, static_cast<uint32_t>(nWindowStart));
        if (nGot < m)
        {
            break;
        }
        for (int64_t k = FindInBlock(window.data(), nGot, 0);
             k >= 0 && nWindowStart + uint64_t(k) < nStartLimit;
             k = FindInBlock(window.data(), nGot, size_t(k) + 1))
        {
            const uint32_t nStart = static_cast<uint32_t>(nWindowStart + uint64_t(k));
            matches.emplace_back(nStart, static_cast<uint32_t>(nStart + m));
        }
        nWindowStart += nGot - (m - 1);
    }
    return matches;
}

std::optional<SHexFindResult> HexFind(const CTarvoHexEditBuffer& buffer, const std::string& strText,
                                      bool bForward, uint32_t nSelStart, uint32_t nSelEnd,
                                      CHexMessageSink& messages, CHexSearchProgress* pProgress)
{
    SHexPattern pattern;
    if (!ParseHexSearchText(strText, pattern))
    {
        messages.ShowMessage("There is no search text");
        return std::nullopt;
    }
    const size_t m = pattern.m_bytes.size();
    if (m == 0)
    {
        messages.ShowMessage("Empty search sequence");
        return std::nullopt;
    }
    if (m > buffer.GetLength())
    {
        messages.ShowMessage("Search byte sequence is longer than the file");
        return std::nullopt;
    }
    const CHexSearcher searcher(pattern);
    const bool bSelection = nSelEnd > nSelStart;
    uint32_t nMatch = 0;
    EHexSearchOutcome outcome;
    if (bForward)
    {
        const uint64_t nStart = uint64_t(nSelStart) + (bSelection ? 1 : 0);
        outcome = nStart > UINT32_MAX
                      ? EHexSearchOutcome::NotFound
                      : searcher.SearchForward(buffer, static_cast<uint32_t>(nStart), pProgress,
                                               &messages, nMatch);
    }
    else
    {
        const uint32_t nEnd = nSelEnd - (bSelection ? 1 : 0);
        outcome = searcher.SearchBackward(buffer, nEnd, pProgress, &messages, nMatch);
    }
    if (outcome == EHexSearchOutcome::Found)
    {
        SHexFindResult result;
        result.m_nStart = nMatch;
        result.m_nEnd = static_cast<uint32_t>(nMatch + m);
        result.m_bText = pattern.m_bText;
        return result;
    }
    if (outcome == EHexSearchOutcome::NotFound)
    {
        if (bForward)
        {
            messages.ShowMessage(pattern.m_bIgnoreCase
                                     ? "Search text not found (case insensitive search)"
                                     : "Search text not found (forward search)");
        }
        else
        {
            messages.ShowMessage(pattern.m_bIgnoreCase
                                     ? "Search text not found (case insensitive backward search)"
                                     : "Search text not found (backward search)");
        }
    }
    return std::nullopt;
}

std::vector<std::pair<uint32_t, uint32_t>> HexFindAllInRange(const CTarvoHexEditBuffer& buffer,
                                                             const std::string& strText,
                                                             uint32_t nFrom, uint32_t nTo)
{
    SHexPattern pattern;
    if (!ParseHexSearchText(strText, pattern))
    {
        return {};
    }
    return CHexSearcher(pattern).FindAll(buffer, nFrom, nTo);
}

std::optional<SHexSelection> CheckHexSelection(int64_t nCaret, int64_t nAnchor, uint32_t nLength,
                                               CHexMessageSink& messages)
{
    if (nCaret < 0 || nCaret > int64_t(nLength))
    {
        char text[128];
        std::snprintf(text, sizeof text,
                      "Attempt to jump to invalid address %lld\rJump to EOF instead and continue?",
                      static_cast<long long>(nCaret));
        if (!messages.AskOkCancel(text))
        {
            return std::nullopt;
        }
        nCaret = nLength;
    }
    SHexSelection selection;
    selection.m_nCaret = static_cast<uint32_t>(nCaret);
    selection.m_nAnchor = (nAnchor < 0 || nAnchor > int64_t(nLength))
                              ? selection.m_nCaret
                              : static_cast<uint32_t>(nAnchor);
    return selection;
}

uint32_t ParseAddressText(const std::string& strText, int nBase)
{
    uint32_t nValue = 0;
    for (char c : strText)
    {
        int nDigit = -1;
        if (c >= '0' && c <= '9')
        {
            nDigit = c - '0';
        }
        else if (c >= 'a' && c <= 'z')
        {
            nDigit = c - 'a' + 10;
        }
        else if (c >= 'A' && c <= 'Z')
        {
            nDigit = c - 'A' + 10;
        }
        if (nDigit >= 0 && nDigit < nBase)
        {
            nValue = nValue * static_cast<uint32_t>(nBase) + static_cast<uint32_t>(nDigit);
        }
    }
    return nValue;
}

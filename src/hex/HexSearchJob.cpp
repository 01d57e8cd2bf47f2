#include "hex/HexSearchJob.h"

#include <algorithm>
#include <vector>

namespace
{
// Bytes read per window beyond the pattern. Larger than the searcher's own window so that
// a long search pays few reads; the windows overlap by m - 1 bytes, so no match is lost.
constexpr uint64_t kWindowExtra = 1u << 20;
} // namespace

bool CHexSearchJob::Prepare(const CTarvoHexEditBuffer& buffer, const std::string& strText,
                            SHexPattern& pattern, std::string& strMessage)
{
    if (!ParseHexSearchText(strText, pattern))
    {
        strMessage = "There is no search text";
        return false;
    }
    if (pattern.m_bytes.empty())
    {
        strMessage = "Empty search sequence";
        return false;
    }
    if (pattern.m_bytes.size() > buffer.GetLength())
    {
        strMessage = "Search byte sequence is longer than the file";
        return false;
    }
    return true;
}

CHexSearchJob::CHexSearchJob(const CTarvoHexEditBuffer& buffer, const SHexPattern& pattern,
                             bool bForward, uint32_t nSelStart, uint32_t nSelEnd)
    : m_buffer(buffer), m_pattern(pattern), m_searcher(pattern), m_bForward(bForward)
{
    const bool bSelection = nSelEnd > nSelStart;
    if (bForward)
    {
        m_nFrom = uint64_t(nSelStart) + (bSelection ? 1 : 0);
        m_nTotal = buffer.GetLength() > m_nFrom ? buffer.GetLength() - m_nFrom : 0;
    }
    else
    {
        m_nFrom = std::min<uint64_t>(nSelEnd - (bSelection ? 1 : 0), buffer.GetLength());
        m_nTotal = m_nFrom;
    }
    m_result.m_bText = pattern.m_bText;
}

void CHexSearchJob::Run()
{
    if (m_pattern.m_bytes.empty())
    {
        m_eOutcome = EHexSearchOutcome::NotFound;
        return;
    }
    if (m_bForward)
    {
        RunForward();
    }
    else
    {
        RunBackward();
    }
    if (m_bAbort.load(std::memory_order_relaxed))
    {
        m_eOutcome = EHexSearchOutcome::Aborted; // the user's answer counts over a late find
    }
}

void CHexSearchJob::RunForward()
{
    const uint64_t n = m_buffer.GetLength();
    const uint64_t m = m_pattern.m_bytes.size();
    m_eOutcome = EHexSearchOutcome::NotFound;
    uint64_t nPosition = m_nFrom;
    if (nPosition + m > n)
    {
        return;
    }
    std::vector<uint8_t> window(static_cast<size_t>(std::min(n, m + kWindowExtra)));
    while (nPosition + m <= n)
    {
        if (m_bAbort.load(std::memory_order_relaxed))
        {
            return;
        }
        const uint32_t nWant =
            static_cast<uint32_t>(std::min<uint64_t>(window.size(), n - nPosition));
        const uint32_t nGot =
            m_buffer.ReadData(window.data(), nWant, static_cast<uint32_t>(nPosition));
        const int64_t k = m_searcher.FindInBlock(window.data(), nGot, 0);
        if (k >= 0)
        {
            m_eOutcome = EHexSearchOutcome::Found;
            m_result.m_nStart = static_cast<uint32_t>(nPosition + uint64_t(k));
            m_result.m_nEnd = static_cast<uint32_t>(nPosition + uint64_t(k) + m);
            return;
        }
        if (nGot < nWant || nGot < m)
        {
            return; // the data ended early
        }
        nPosition += nGot - (m - 1);
        m_nDone.store(nPosition - m_nFrom, std::memory_order_relaxed);
    }
}

void CHexSearchJob::RunBackward()
{
    const uint64_t m = m_pattern.m_bytes.size();
    m_eOutcome = EHexSearchOutcome::NotFound;
    uint64_t nEnd = m_nFrom;
    std::vector<uint8_t> window(
        static_cast<size_t>(std::min<uint64_t>(m_buffer.GetLength(), m + kWindowExtra)));
    while (nEnd >= m)
    {
        if (m_bAbort.load(std::memory_order_relaxed))
        {
            return;
        }
        const uint64_t nCount = std::min<uint64_t>(window.size(), nEnd);
        const uint64_t nStart = nEnd - nCount;
        if (m_buffer.ReadData(window.data(), static_cast<uint32_t>(nCount),
                              static_cast<uint32_t>(nStart)) != nCount)
        {
            return;
        }
        const int64_t k = m_searcher.FindLastInBlock(window.data(), static_cast<size_t>(nCount),
                                                     static_cast<size_t>(nCount - m));
        if (k >= 0)
        {
            m_eOutcome = EHexSearchOutcome::Found;
            m_result.m_nStart = static_cast<uint32_t>(nStart + uint64_t(k));
            m_result.m_nEnd = static_cast<uint32_t>(nStart + uint64_t(k) + m);
            return;
        }
        if (nStart == 0)
        {
            return;
        }
        nEnd = nStart + m - 1;
        m_nDone.store(m_nFrom - nEnd, std::memory_order_relaxed);
    }
}

std::string CHexSearchJob::GetNotFoundMessage() const
{
    if (m_eOutcome != EHexSearchOutcome::NotFound)
    {
        return {};
    }
    if (m_bForward)
    {
        return m_pattern.m_bIgnoreCase ? "Search text not found (case insensitive search)"
                                       : "Search text not found (forward search)";
    }
    return m_pattern.m_bIgnoreCase ? "Search text not found (case insensitive backward search)"
                                   : "Search text not found (backward search)";
}

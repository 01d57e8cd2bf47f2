#include "findinfiles/FindInFilesSearch.h"

CFindInFilesSearch::~CFindInFilesSearch()
{
    Cancel();
}

bool CFindInFilesSearch::Start(const CFindInFilesOptions& options, NotifyFn notify)
{
    if (IsBusy())
        return false;
    m_cancel.Reset();
    m_notify = std::move(notify);
    m_strSearch = options.m_strSearch;
    m_nMatchCount.store(0, std::memory_order_relaxed);
    m_nSkippedCount.store(0, std::memory_order_relaxed);
    m_bCanceled.store(false, std::memory_order_relaxed);
    m_bFinished.store(false, std::memory_order_release);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bNotified = false;
    }
    m_thread = std::thread(&CFindInFilesSearch::Run, this, options);
    return true;
}

void CFindInFilesSearch::Run(CFindInFilesOptions options)
{
    // The engine keeps a 64 KiB line buffer and an 8 KiB read buffer for the whole search;
    // it lives on this thread only.
    CFindInFiles engine(*this, options);
    engine.Search(options.m_strSearch, this, m_cancel);
}

void CFindInFilesSearch::Cancel()
{
    if (!m_thread.joinable())
        return;
    m_cancel.Set();
    m_thread.join();
    m_cancel.Reset();
}

void CFindInFilesSearch::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CFindInFilesSearch::IsBusy()
{
    if (m_thread.joinable())
    {
        if (!IsFinished())
            return true;
        // The worker has made its last report and is only returning.
        m_thread.join();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_queue.empty();
}

std::vector<SFindInFilesResultLine> CFindInFilesSearch::TakeLines(size_t nMax, bool& bMore)
{
    std::vector<SFindInFilesResultLine> lines;
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t n = std::min(nMax, m_queue.size());
    lines.reserve(n);
    for (size_t i = 0; i < n; ++i)
    {
        lines.push_back(std::move(m_queue.front()));
        m_queue.pop_front();
    }
    bMore = !m_queue.empty();
    if (!bMore)
        m_bNotified = false;
    return lines;
}

void CFindInFilesSearch::Push(unsigned nKind, const std::string* pPath, int nLine, std::string text)
{
    SFindInFilesResultLine line;
    line.record.m_nKind = nKind;
    if (pPath)
        line.record.m_strPath = *pPath;
    line.record.m_nLine = nLine;
    line.strText = std::move(text);
    bool bNotify = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(std::move(line));
        if (!m_bNotified)
            bNotify = m_bNotified = true;
    }
    if (bNotify && m_notify)
        m_notify();
}

void CFindInFilesSearch::OnBegin()
{
    m_nMatchCount.store(0, std::memory_order_relaxed);
    Push(CFindInFilesLineData::KindHeader, nullptr, -1, FormatSearchHeader(m_strSearch));
}

void CFindInFilesSearch::OnFile(const std::string& path)
{
    Push(CFindInFilesLineData::KindFile, &path, -1, FormatFileLine(path));
}

void CFindInFilesSearch::OnLine(const std::string& path, int nLine, std::string_view text)
{
    m_nMatchCount.fetch_add(1, std::memory_order_relaxed);
    Push(CFindInFilesLineData::KindMatch, &path, nLine, FormatMatchLine(nLine, text));
}

void CFindInFilesSearch::OnEnd(bool bCanceled)
{
    m_bCanceled.store(bCanceled, std::memory_order_relaxed);
    // Finished is set before the last line is queued: a reader that takes the summary line
    // then sees the search as finished and can join the worker at once.
    m_bFinished.store(true, std::memory_order_release);
    Push(CFindInFilesLineData::KindSummary, nullptr, -1,
         FormatSearchEnd(bCanceled, GetMatchCount(), m_strSearch));
}

void CFindInFilesSearch::OnSkipped(const std::string&)
{
    m_nSkippedCount.fetch_add(1, std::memory_order_relaxed);
}

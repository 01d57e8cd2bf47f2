#pragma once
// One search of the find-in-files tool on a worker thread of its own. The engine reports to
// this object on the worker; each report becomes a formatted result line in a queue that
// the user-interface thread empties in order. The worker never calls into a window: it
// only calls the notify function, whose job is to post a message to the reader's thread.
//
// Lifetime: Cancel and the destructor set the cancel event and wait for the worker, so a
// search never outlives the object that started it, and the notify function is never
// called after Cancel or the destructor has returned.

#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "findinfiles/FindInFiles.h"
#include "findinfiles/FindInFilesResults.h"
#include "platform/CancelEvent.h"

// One line of a result pane as the worker made it: the record and the text shown.
struct SFindInFilesResultLine
{
    CFindInFilesLineData record;
    std::string strText;
};

class CFindInFilesSearch : private CFindInFilesCallback
{
public:
    // Called on the worker when lines are waiting and the reader has not been told of them
    // since it last emptied the queue; so at most one notice is outstanding at a time. It
    // must not block and must not call back into this object.
    using NotifyFn = std::function<void()>;

    CFindInFilesSearch() = default;
    ~CFindInFilesSearch() override;
    CFindInFilesSearch(const CFindInFilesSearch&) = delete;
    CFindInFilesSearch& operator=(const CFindInFilesSearch&) = delete;

    // Starts a search with a copy of the options; false (and nothing happens) while a
    // search is still running or has lines nobody took.
    bool Start(const CFindInFilesOptions& options, NotifyFn notify);
    // Sets the cancel event, waits for the worker and resets the event. The worker's last
    // line ("Canceled." when it was still searching) is in the queue when this returns.
    void Cancel();
    // Waits for a worker that has finished (or will finish by itself).
    void Join();

    // True from Start until the worker and the reader are done: the worker has reported
    // the end and every line has been taken. Joins the finished worker on the way.
    bool IsBusy();
    // True once the worker has reported the end of the search.
    bool IsFinished() const { return m_bFinished.load(std::memory_order_acquire); }

    // Takes up to nMax waiting lines, oldest first. bMore tells whether lines are left;
    // when none are, the next line the worker makes notifies again.
    std::vector<SFindInFilesResultLine> TakeLines(size_t nMax, bool& bMore);

    int GetMatchCount() const { return m_nMatchCount.load(std::memory_order_relaxed); }
    bool WasCanceled() const { return m_bCanceled.load(std::memory_order_relaxed); }
    // Files and folders the search met but could not read (counted as the engine reports
    // them; a file matched by two patterns of the file types counts twice).
    int GetSkippedCount() const { return m_nSkippedCount.load(std::memory_order_relaxed); }

private:
    void OnBegin() override;
    void OnFile(const std::string& path) override;
    void OnLine(const std::string& path, int nLine, std::string_view text) override;
    void OnEnd(bool bCanceled) override;
    void OnSkipped(const std::string& path) override;
    void Push(unsigned nKind, const std::string* pPath, int nLine, std::string text);
    void Run(CFindInFilesOptions options);

    std::thread m_thread;
    CCancelEvent m_cancel;
    NotifyFn m_notify;
    std::string m_strSearch;
    std::atomic<int> m_nMatchCount{0};
    std::atomic<int> m_nSkippedCount{0};
    std::atomic<bool> m_bCanceled{false};
    std::atomic<bool> m_bFinished{false};

    std::mutex m_mutex; // guards the two members below
    std::deque<SFindInFilesResultLine> m_queue;
    bool m_bNotified = false;
};

#include "platform/WriteBehind.h"

#include "platform/File.h"

#include <deque>
#include <utility>

CWriteBehind::CWriteBehind(const CPlatformFile& file, int64_t nStart)
    : m_file(file), m_nWritten(nStart), m_nRequested(nStart)
{
}

CWriteBehind::~CWriteBehind()
{
    Finish();
}

void CWriteBehind::Written(int64_t nEnd)
{
    if (!CPlatformFile::CanStartWriteback())
        return;
    {
        std::lock_guard lock(m_mutex);
        if (nEnd <= m_nWritten || m_bFinish)
            return;
        m_nWritten = nEnd;
        if (nEnd - m_nRequested < kChunk)
            return;
        if (m_thread.joinable())
        {
            m_wake.notify_one();
            return;
        }
    }
    m_thread = std::thread([this] { Run(); });
}

void CWriteBehind::Finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_bFinish = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void CWriteBehind::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;)
    {
        m_wake.wait(lock, [this] { return m_bFinish || m_nWritten - m_nRequested >= kChunk; });
        if (m_bFinish)
            return;
        // In whole chunks: few and large requests. What is left at the end goes with the
        // writer's sync.
        const int64_t nFrom = m_nRequested;
        const int64_t nTo = nFrom + (m_nWritten - nFrom) / kChunk * kChunk;
        m_nRequested = nTo;
        lock.unlock();
        m_file.StartWriteback(nFrom, nTo - nFrom);
        lock.lock();
    }
}

namespace
{
// Smaller files close quickly enough on the user's thread.
constexpr int64_t kReleaseInBackground = int64_t(64) << 20;

class CFileReleaser
{
public:
    ~CFileReleaser() { Wait(); }

    void Add(CPlatformFile&& file)
    {
        std::lock_guard lock(m_mutex);
        m_files.push_back(std::move(file));
        if (m_bRunning)
            return;
        if (m_thread.joinable())
            m_thread.join(); // it has ended: m_bRunning is false
        m_bRunning = true;
        m_thread = std::thread([this] { Run(); });
    }

    void Wait()
    {
        std::thread finished;
        {
            std::unique_lock lock(m_mutex);
            m_idle.wait(lock, [this] { return !m_bRunning; });
            finished = std::move(m_thread);
        }
        if (finished.joinable())
            finished.join();
    }

private:
    void Run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_files.empty())
        {
            CPlatformFile file = std::move(m_files.front());
            m_files.pop_front();
            lock.unlock();
            file.Close();
            lock.lock();
        }
        m_bRunning = false;
        m_idle.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::deque<CPlatformFile> m_files;
    bool m_bRunning = false;
    std::thread m_thread;
};

CFileReleaser& Releaser()
{
    static CFileReleaser releaser;
    return releaser;
}
} // namespace

void ReleaseReplacedFile(CPlatformFile&& file)
{
    SFileStatus status;
    if (file.IsOpen() && file.GetStatus(status) && status.nLinks == 0 &&
        status.nSize >= kReleaseInBackground)
    {
        Releaser().Add(std::move(file));
        return;
    }
    CPlatformFile closing = std::move(file);
    closing.Close();
}

void WaitForReleasedFiles()
{
    Releaser().Wait();
}

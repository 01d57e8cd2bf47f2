#include "platform/FileWatch.h"

#include "platform/Folders.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <set>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
// Names, sizes and last-write times of the folder's entries, as well as the folder itself
// going away. Attribute changes are included because setting a file's time is one.
constexpr uint32_t kFolderEvents = IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_CREATE | IN_DELETE |
                                   IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF |
                                   IN_ONLYDIR;

// The folder whose notifications tell about path: that of the file a link leads to, so a
// link into another folder is watched where its file really changes.
// How long a burst of events must pause before the folder is examined, and the longest
// wait for that pause.
constexpr int kSettleMs = 15;
constexpr int kMaxSettleMs = 90;

std::string WatchedFolderOf(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return FolderOfPath(resolved);
    return FolderOfPath(MakeAbsolutePath(path));
}
} // namespace

CFileWatchService::CFileWatchService()
{
    m_nNotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_nWakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

CFileWatchService::~CFileWatchService()
{
    {
        std::lock_guard life(m_lifeMutex);
        StopThread();
        std::lock_guard lock(m_mutex);
        m_items.clear();
        m_folders.clear();
    }
    if (m_nNotifyFd >= 0)
        ::close(m_nNotifyFd);
    if (m_nWakeFd >= 0)
        ::close(m_nWakeFd);
}

void CFileWatchService::SetNotifyCallback(NotifyCallback callback)
{
    std::lock_guard lock(m_mutex);
    m_callback = std::move(callback);
}

bool CFileWatchService::ReadLastWriteTime(const std::string& path, int64_t& nTime)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return false;
    nTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

uint32_t CFileWatchService::AddWatch(const std::string& path)
{
    int64_t nTime = 0;
    if (!ReadLastWriteTime(path, nTime))
        return 0;
    const std::string folder = WatchedFolderOf(path);

    std::lock_guard life(m_lifeMutex);
    bool bStartThread = false;
    uint32_t nId;
    {
        std::lock_guard lock(m_mutex);
        nId = m_nNextId++;
        SItem& item = m_items[nId];
        item.strPath = path;
        item.strFolder = folder;
        item.nLastWriteTime = nTime;

        bool bKnown = false;
        for (const SFolder& f : m_folders)
            bKnown = bKnown || f.strFolder == folder;
        if (!bKnown)
        {
            // A folder the system cannot watch is kept with no descriptor: it raises no
            // events, and its files are still compared when a shared descriptor fires.
            SFolder f;
            f.strFolder = folder;
            if (m_nNotifyFd >= 0)
                f.nWatchDescriptor =
                    ::inotify_add_watch(m_nNotifyFd, folder.c_str(), kFolderEvents);
            m_folders.push_back(f);
        }
        bStartThread = !m_bThreadRunning;
        if (bStartThread)
        {
            m_bStop = false;
            m_bThreadRunning = true;
        }
    }
    if (bStartThread)
        m_thread = std::thread(&CFileWatchService::ThreadMain, this);
    return nId;
}

void CFileWatchService::SetWatchValue(uint32_t nId, uint32_t nValue)
{
    std::lock_guard lock(m_mutex);
    auto it = m_items.find(nId);
    if (it != m_items.end())
        it->second.nValue = nValue;
}

// Two folder names can lead to one folder (through links); the system then hands out one
// descriptor for both, which must live until neither needs it.
bool CFileWatchService::IsDescriptorShared(int nDescriptor, size_t nExceptFolder) const
{
    for (size_t i = 0; i < m_folders.size(); ++i)
        if (i != nExceptFolder && m_folders[i].nWatchDescriptor == nDescriptor)
            return true;
    return false;
}

void CFileWatchService::RemoveWatch(uint32_t nId)
{
    std::lock_guard life(m_lifeMutex);
    bool bEmpty;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_items.find(nId);
        if (it == m_items.end())
            return;
        const std::string folder = it->second.strFolder;
        m_items.erase(it);
        bool bFolderUsed = false;
        for (const auto& [id, item] : m_items)
            bFolderUsed = bFolderUsed || item.strFolder == folder;
        if (!bFolderUsed)
        {
            for (size_t i = 0; i < m_folders.size(); ++i)
            {
                if (m_folders[i].strFolder != folder)
                    continue;
                const int wd = m_folders[i].nWatchDescriptor;
                if (wd >= 0 && !IsDescriptorShared(wd, i))
                    ::inotify_rm_watch(m_nNotifyFd, wd);
                m_folders.erase(m_folders.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
        bEmpty = m_items.empty();
    }
    if (bEmpty)
        StopThread();
}

// The handshake: the stop flag is set under the lock, the thread is woken, and the caller
// returns only after the thread has ended, so no notification can follow the last removal.
void CFileWatchService::StopThread()
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_bThreadRunning)
            return;
        m_bStop = true;
    }
    Wake();
    if (m_thread.joinable())
        m_thread.join();
    std::lock_guard lock(m_mutex);
    m_bThreadRunning = false;
    m_bStop = false;
}

void CFileWatchService::Wake()
{
    if (m_nWakeFd >= 0)
    {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_nWakeFd, &one, sizeof one);
    }
}

void CFileWatchService::ThreadMain()
{
    // The lowest priority: comparing times must never compete with the user's work.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);

    alignas(struct inotify_event) char buffer[16384];
    std::vector<SFileWatchNotification> notifications;
    for (;;)
    {
        pollfd fds[2] = {{m_nWakeFd, POLLIN, 0}, {m_nNotifyFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            break;

        if (fds[0].revents & POLLIN)
        {
            uint64_t count;
            [[maybe_unused]] ssize_t n = ::read(m_nWakeFd, &count, sizeof count);
        }
        // A program writing a file makes a burst of events (truncate, writes, close, a
        // time set afterwards). The burst is let settle, up to a limit, and the folder is
        // then examined once, so one outside save gives one notification rather than one
        // per step; a file written without pause is still reported within the limit.
        std::set<int> fired;
        bool bOverflow = false;
        if (fds[1].revents & POLLIN)
        {
            int nWaited = 0;
            for (;;)
            {
                DrainEvents(buffer, sizeof buffer, fired, bOverflow);
                if (nWaited >= kMaxSettleMs)
                    break;
                pollfd settle[2] = {{m_nWakeFd, POLLIN, 0}, {m_nNotifyFd, POLLIN, 0}};
                const int r = ::poll(settle, 2, kSettleMs);
                nWaited += kSettleMs;
                if (r <= 0 || (settle[0].revents & POLLIN))
                    break;
            }
        }

        NotifyCallback callback;
        {
            std::lock_guard lock(m_mutex);
            ++m_nWakeCount;
            if (m_bStop)
                return;
            std::vector<int> descriptors;
            for (const SFolder& f : m_folders)
                if (f.nWatchDescriptor >= 0 && (bOverflow || fired.count(f.nWatchDescriptor)))
                    descriptors.push_back(f.nWatchDescriptor);
            notifications.clear();
            ExamineFolders(descriptors, notifications);
            callback = m_callback;
        }
        if (callback)
            for (const SFileWatchNotification& n : notifications)
                callback(n);
    }
    std::lock_guard lock(m_mutex);
    ++m_nWakeCount;
}

void CFileWatchService::ExamineFolders(const std::vector<int>& descriptors,
                                       std::vector<SFileWatchNotification>& out)
{
    if (descriptors.empty())
        return;
    std::set<std::string> folders;
    for (const SFolder& f : m_folders)
        for (int wd : descriptors)
            if (f.nWatchDescriptor == wd)
                folders.insert(f.strFolder);
    for (auto& [id, item] : m_items)
    {
        if (!folders.count(item.strFolder))
            continue;
        int64_t nTime = 0;
        SFileWatchNotification n;
        if (!ReadLastWriteTime(item.strPath, nTime))
        {
            if (item.bMissing)
                continue;
            item.bMissing = true;
            n.nKind = SFileWatchNotification::Missing;
        }
        else
        {
            item.bMissing = false;
            if (nTime == item.nLastWriteTime)
                continue;
            item.nLastWriteTime = nTime;
            n.nKind = SFileWatchNotification::Changed;
        }
        n.nWatchId = id;
        n.nValue = item.nValue;
        n.strPath = item.strPath;
        out.push_back(std::move(n));
    }
}

void CFileWatchService::DrainEvents(char* buffer, size_t nSize, std::set<int>& fired,
                                    bool& bOverflow)
{
    for (;;)
    {
        const ssize_t n = ::read(m_nNotifyFd, buffer, nSize);
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;)
        {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
            if (event->mask & IN_Q_OVERFLOW)
                bOverflow = true;
            else if (!(event->mask & IN_IGNORED))
                fired.insert(event->wd);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
        }
    }
}

bool CFileWatchService::IsThreadRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_bThreadRunning;
}

size_t CFileWatchService::GetWatchCount() const
{
    std::lock_guard lock(m_mutex);
    return m_items.size();
}

size_t CFileWatchService::GetFolderCount() const
{
    std::lock_guard lock(m_mutex);
    return m_folders.size();
}

uint64_t CFileWatchService::GetWakeCount() const
{
    std::lock_guard lock(m_mutex);
    return m_nWakeCount;
}

#pragma once
// Watching the files of open documents for changes made by other programs.
//
// One watch per watched file, one system notification per folder (not its subfolders)
// shared by every watched file of that folder, and one watcher thread that exists only
// while at least one file is watched: the first AddWatch starts it, the RemoveWatch that
// empties the table stops it and waits until it has ended.
//
// A file counts as changed when its last-write time, compared to the nanosecond, differs
// from the one recorded when it was last seen; a change that leaves the time as it was
// (a mode change, a time set back) is no change. A watched file that disappears (deleted,
// renamed away) is reported once as missing; when a file appears there again, the next
// event reports it as changed.
//
// Notifications are handed to the callback on the watcher thread. Each carries its own
// copy of the path, the watch id and the watch's value, never a pointer into the table,
// so the receiver may handle it after the watch is gone; a receiver looks its document up
// by the watch id (ids are never reused) and drops a notification whose watch no longer
// exists. The callback runs without the service's lock held but must not call back into
// the service: it is meant to post a queued call to the user-interface thread.
//
// AddWatch, SetWatchValue and RemoveWatch are called from one thread (the user-interface
// thread); the watcher thread shares the table with them under one lock.

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct SFileWatchNotification
{
    enum EKind
    {
        Changed, // the last-write time is not the one last seen
        Missing, // the file cannot be found any more (reported once until it returns)
    };
    EKind nKind = Changed;
    uint32_t nWatchId = 0;
    uint32_t nValue = 0;
    std::string strPath;
};

class CFileWatchService
{
public:
    using NotifyCallback = std::function<void(const SFileWatchNotification&)>;

    CFileWatchService();
    // Stops the thread and drops every watch.
    ~CFileWatchService();
    CFileWatchService(const CFileWatchService&) = delete;
    CFileWatchService& operator=(const CFileWatchService&) = delete;

    // Set before the first watch; the callback is read by the watcher thread.
    void SetNotifyCallback(NotifyCallback callback);

    // Starts watching path; returns its id (from 1, never reused), or 0 when the file's
    // last-write time cannot be read (the file is then not watched).
    uint32_t AddWatch(const std::string& path);
    // The value handed back with every notification of the watch (0 at first).
    void SetWatchValue(uint32_t nId, uint32_t nValue);
    // Stops watching; an unknown id does nothing. The last removal stops the thread and
    // returns after it has ended.
    void RemoveWatch(uint32_t nId);

    // For tests and benchmarks.
    bool IsThreadRunning() const;
    size_t GetWatchCount() const;
    // The number of folders under system notification.
    size_t GetFolderCount() const;
    // How many times the watcher thread has woken up, for any reason.
    uint64_t GetWakeCount() const;

    // Last-write time of a file in nanoseconds since 1970, following links; false when it
    // cannot be read.
    static bool ReadLastWriteTime(const std::string& path, int64_t& nTime);

private:
    struct SItem
    {
        std::string strPath;
        std::string strFolder;
        int64_t nLastWriteTime = 0;
        uint32_t nValue = 0;
        bool bMissing = false;
    };
    struct SFolder
    {
        std::string strFolder;
        int nWatchDescriptor = -1;
    };

    void ThreadMain();
    void DrainEvents(char* buffer, size_t nSize, std::set<int>& fired, bool& bOverflow);
    void Wake();
    void ExamineFolders(const std::vector<int>& descriptors,
                        std::vector<SFileWatchNotification>& out);
    bool IsDescriptorShared(int nDescriptor, size_t nExceptFolder) const;
    void StopThread();

    mutable std::mutex m_mutex;
    // Serialises starting and stopping the thread.
    std::mutex m_lifeMutex;
    std::map<uint32_t, SItem> m_items;
    uint32_t m_nNextId = 1;
    std::vector<SFolder> m_folders;
    int m_nNotifyFd = -1;
    int m_nWakeFd = -1;
    bool m_bStop = false;
    bool m_bThreadRunning = false;
    std::thread m_thread;
    NotifyCallback m_callback;
    uint64_t m_nWakeCount = 0;
};

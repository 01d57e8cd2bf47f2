// The file-watch service with real files in a folder of the test's own.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileWatch.h"

namespace
{
namespace fs = std::filesystem;

// Collects what the watcher thread reports.
class CCollector
{
public:
    void Add(const SFileWatchNotification& n)
    {
        std::lock_guard lock(m_mutex);
        m_received.push_back(n);
        m_changed.notify_all();
    }
    // Waits until a notification of that kind names the path; false after 5 seconds.
    bool WaitFor(const std::string& path,
                 SFileWatchNotification::EKind kind = SFileWatchNotification::Changed)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5),
                                  [&] { return CountLocked(path, kind) > 0; });
    }
    int Count(const std::string& path,
              SFileWatchNotification::EKind kind = SFileWatchNotification::Changed)
    {
        std::lock_guard lock(m_mutex);
        return CountLocked(path, kind);
    }
    std::vector<SFileWatchNotification> Received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_received.clear();
    }

private:
    int CountLocked(const std::string& path, SFileWatchNotification::EKind kind) const
    {
        int n = 0;
        for (const auto& r : m_received)
            n += r.strPath == path && r.nKind == kind;
        return n;
    }
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<SFileWatchNotification> m_received;
};

class FileWatch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_folder = fs::temp_directory_path() /
                   ("scrivel-watch-" + std::to_string(::getpid()) + "-" + test->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_service.SetNotifyCallback([this](const SFileWatchNotification& n)
                                    { m_collector.Add(n); });
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = (m_folder / name).string();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path;
    }
    // Sets the last-write time to a whole second in the past (nanoseconds 0), so that a
    // rewrite now gives a different time even on a coarse clock.
    static void SetTime(const std::string& path, time_t seconds, long nanoseconds = 0)
    {
        struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    fs::path m_folder;
    CCollector m_collector;
    CFileWatchService m_service;
};
} // namespace

TEST_F(FileWatch, FilesOfOneFolderShareOneNotificationAndTheLastRemovalStopsTheThread)
{
    const std::string a = Write("a.txt", "a");
    const std::string b = Write("b.txt", "b");
    EXPECT_FALSE(m_service.IsThreadRunning());

    const uint32_t idA = m_service.AddWatch(a);
    const uint32_t idB = m_service.AddWatch(b);
    EXPECT_EQ(idA, 1u); // ids count from 1
    EXPECT_EQ(idB, 2u);
    EXPECT_EQ(m_service.GetFolderCount(), 1u);
    EXPECT_TRUE(m_service.IsThreadRunning());

    // Closing one keeps the other watched.
    m_service.RemoveWatch(idA);
    EXPECT_EQ(m_service.GetFolderCount(), 1u);
    EXPECT_TRUE(m_service.IsThreadRunning());
    m_service.SetWatchValue(idB, 77);
    SetTime(b, 1000000000);
    ASSERT_TRUE(m_collector.WaitFor(b));
    const auto received = m_collector.Received();
    EXPECT_EQ(received.back().nWatchId, idB);
    EXPECT_EQ(received.back().nValue, 77u);
    EXPECT_EQ(m_collector.Count(a), 0);

    m_service.RemoveWatch(idB);
    EXPECT_FALSE(m_service.IsThreadRunning());
    EXPECT_EQ(m_service.GetFolderCount(), 0u);
    EXPECT_EQ(m_service.GetWatchCount(), 0u);

    // Watching again starts a new thread; ids are not reused.
    const uint32_t idC = m_service.AddWatch(a);
    EXPECT_EQ(idC, 3u);
    EXPECT_TRUE(m_service.IsThreadRunning());
    m_service.RemoveWatch(idC);
    EXPECT_FALSE(m_service.IsThreadRunning());
}

TEST_F(FileWatch, OnlyANewLastWriteTimeCounts)
{
    const std::string kept = Write("kept.txt", "one");
    const std::string sentinel = Write("sentinel.txt", "s");
    const time_t old = ::time(nullptr) - 100;
    SetTime(kept, old, 123456789);
    m_service.AddWatch(kept);
    m_service.AddWatch(sentinel);

    // A mode change and a time set back to what it was are not changes.
    ASSERT_EQ(::chmod(kept.c_str(), 0600), 0);
    SetTime(kept, old, 123456789);
    // The sentinel's change is reported after every earlier event of the folder was seen.
    SetTime(sentinel, old);
    ASSERT_TRUE(m_collector.WaitFor(sentinel));
    EXPECT_EQ(m_collector.Count(kept), 0);

    // The same second, another nanosecond: a change.
    SetTime(kept, old, 123456790);
    EXPECT_TRUE(m_collector.WaitFor(kept));
}

TEST_F(FileWatch, ARewriteWithinTheSameSecondIsReported)
{
    const std::string path = Write("same.txt", "before");
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    // Recorded at the start of the current second; the rewrite lands later in it.
    SetTime(path, now.tv_sec, 0);
    m_service.AddWatch(path);
    Write("same.txt", "after!");
    EXPECT_TRUE(m_collector.WaitFor(path));
}

TEST_F(FileWatch, AFileThatGoesAwayIsReportedOnceAndAgainWhenItComesBack)
{
    const std::string gone = Write("gone.txt", "x");
    const std::string moved = Write("moved.txt", "y");
    const std::string sentinel = Write("sentinel.txt", "s");
    SetTime(gone, 1000000000);
    m_service.AddWatch(gone);
    m_service.AddWatch(moved);
    m_service.AddWatch(sentinel);

    fs::remove(gone);
    fs::rename(moved, m_folder / "elsewhere.txt");
    ASSERT_TRUE(m_collector.WaitFor(gone, SFileWatchNotification::Missing));
    ASSERT_TRUE(m_collector.WaitFor(moved, SFileWatchNotification::Missing));
    // More events in the folder do not repeat the report.
    SetTime(sentinel, 1000000001);
    ASSERT_TRUE(m_collector.WaitFor(sentinel));
    EXPECT_EQ(m_collector.Count(gone, SFileWatchNotification::Missing), 1);
    EXPECT_EQ(m_collector.Count(moved, SFileWatchNotification::Missing), 1);

    // Written again under the same name: a change to offer for reloading.
    Write("gone.txt", "back");
    EXPECT_TRUE(m_collector.WaitFor(gone));
}

TEST_F(FileWatch, AFileThatCannotBeFoundIsNotWatched)
{
    EXPECT_EQ(m_service.AddWatch((m_folder / "none.txt").string()), 0u);
    EXPECT_EQ(m_service.AddWatch(""), 0u);
    EXPECT_FALSE(m_service.IsThreadRunning());
    m_service.RemoveWatch(42); // unknown: nothing happens
}

TEST_F(FileWatch, ChangesInSubfoldersAndOtherFoldersAreNotReported)
{
    fs::create_directories(m_folder / "sub");
    fs::create_directories(m_folder / "other");
    const std::string top = Write("top.txt", "t");
    const std::string inSub = Write("sub/inner.txt", "i");
    const std::string other = Write("other/o.txt", "o");
    m_service.AddWatch(top);
    m_service.AddWatch(other);
    EXPECT_EQ(m_service.GetFolderCount(), 2u);
    const uint64_t wakes = m_service.GetWakeCount();
    SetTime(inSub, 1000000000);
    SetTime(top, 1000000000);
    ASSERT_TRUE(m_collector.WaitFor(top));
    EXPECT_EQ(m_collector.Count(other), 0);
    EXPECT_EQ(m_collector.Count(inSub), 0);
    EXPECT_EQ(m_collector.Count(top), 1);
    EXPECT_GE(m_service.GetWakeCount(), wakes + 1);
}

TEST_F(FileWatch, ALinkIsWatchedWhereItsFileLives)
{
    fs::create_directories(m_folder / "real");
    const std::string target = Write("real/file.txt", "r");
    const std::string link = (m_folder / "link.txt").string();
    fs::create_symlink(target, link);
    m_service.AddWatch(link);
    SetTime(target, 1000000000);
    EXPECT_TRUE(m_collector.WaitFor(link));
}

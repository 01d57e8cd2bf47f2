// The file-watch service under load, without windows.
//   bench_watch latency FOLDER ROUNDS   one watched file among 1,000 in 50 folders is changed
//                                       by a child process; prints the milliseconds from the
//                                       child's write to the notification being taken from
//                                       the queue on the main thread, one line per round
//   bench_watch idle FOLDER SECONDS     1,000 watched files in 50 folders, nothing changes;
//                                       prints the process's CPU time in percent of the wall
//                                       time over the idle period
// The queue stands for the queued call to the user-interface thread: the watcher thread
// posts, the main thread waits on it as an event loop would.

#include "platform/FileWatch.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace
{
double NowMs()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double CpuSeconds()
{
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct SQueue
{
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<SFileWatchNotification> items;
};

std::vector<std::string> MakeFiles(const std::string& root)
{
    std::vector<std::string> files;
    for (int f = 0; f < 50; ++f)
    {
        const std::string folder = root + "/folder" + std::to_string(f);
        std::filesystem::create_directories(folder);
        for (int i = 0; i < 20; ++i)
        {
            files.push_back(folder + "/file" + std::to_string(i) + ".txt");
            std::ofstream(files.back()) << "line " << i << "\n";
        }
    }
    return files;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
    {
        std::fprintf(stderr, "usage: %s latency|idle FOLDER N\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const std::string root = argv[2];
    const int n = std::atoi(argv[3]);
    const std::vector<std::string> files = MakeFiles(root);

    SQueue queue;
    CFileWatchService watch;
    watch.SetNotifyCallback(
        [&queue](const SFileWatchNotification& note)
        {
            std::lock_guard lock(queue.mutex);
            queue.items.push_back(note);
            queue.arrived.notify_one();
        });
    for (const std::string& file : files)
        if (watch.AddWatch(file) == 0)
            return 1;

    if (mode == "idle")
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const double cpu0 = CpuSeconds(), wall0 = NowMs();
        std::this_thread::sleep_for(std::chrono::seconds(n));
        const double cpu = CpuSeconds() - cpu0, wall = (NowMs() - wall0) / 1000.0;
        std::printf("%.4f\n", 100.0 * cpu / wall);
        return 0;
    }

    const std::string& target = files[files.size() / 2 + 7];
    for (int round = 0; round < n; ++round)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return 1;
        const pid_t child = fork();
        if (child == 0)
        {
            const double t0 = NowMs();
            FILE* f = std::fopen(target.c_str(), "a");
            std::fprintf(f, "changed %d\n", round);
            std::fclose(f);
            [[maybe_unused]] ssize_t w = write(fds[1], &t0, sizeof t0);
            _exit(0);
        }
        double t0 = 0;
        [[maybe_unused]] ssize_t r = read(fds[0], &t0, sizeof t0);
        close(fds[0]);
        close(fds[1]);
        waitpid(child, nullptr, 0);
        std::unique_lock lock(queue.mutex);
        for (;;)
        {
            if (!queue.arrived.wait_for(lock, std::chrono::seconds(5),
                                        [&] { return !queue.items.empty(); }))
                return 1;
            const SFileWatchNotification note = queue.items.front();
            queue.items.pop_front();
            if (note.strPath == target)
                break;
        }
        std::printf("%.3f\n", NowMs() - t0);
        std::fflush(stdout);
        lock.unlock();
        // Let the burst of this round settle so the next round starts clean.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::lock_guard drain(queue.mutex);
        queue.items.clear();
    }
    return 0;
}

// Loads and saves a history file of a million records and prints the median times, and
// the load time against pugixml alone loading the same file with its default allocator
// in the same rounds.
//   file_records [FOLDER] [RECORDS] [ROUNDS]
// The file is made in FOLDER (default /tmp) and removed afterwards. The targets are on
// processor time (user + system) of the process doing the step, which other work on a
// shared machine changes far less than wall-clock time; the wall-clock medians are printed
// beside them.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <pugixml.hpp>

#include "navigate/FileRecordManager.h"

namespace
{
double CpuNow()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Processor and wall time of one step.
class CStopwatch
{
public:
    CStopwatch() : m_cpu(CpuNow()), m_wall(std::chrono::steady_clock::now()) {}
    // Appends the processor time and the wall-clock time.
    void Stop(std::vector<double>& out) const
    {
        out.push_back(CpuNow() - m_cpu);
        out.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_wall).count());
    }

private:
    double m_cpu;
    std::chrono::steady_clock::time_point m_wall;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct STimes
{
    std::vector<double> cpu, wall;
};

// Runs step in a child process; step appends a processor and a wall-clock time per
// measured part, which go, in order, to the entries of times. Returns false when the step
// failed.
bool RunChild(const std::function<bool(std::vector<double>&)>& step,
              std::initializer_list<STimes*> times)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0)
    {
        ::close(fds[0]);
        std::vector<double> out;
        bool bOk = step(out);
        if (bOk && ::write(fds[1], out.data(), out.size() * sizeof(double)) !=
                       static_cast<ssize_t>(out.size() * sizeof(double)))
            bOk = false;
        ::_exit(bOk ? 0 : 1);
    }
    ::close(fds[1]);
    std::vector<double> in(times.size() * 2);
    size_t nWanted = in.size() * sizeof(double), nGot = 0;
    while (nGot < nWanted)
    {
        ssize_t n = ::read(fds[0], reinterpret_cast<char*>(in.data()) + nGot, nWanted - nGot);
        if (n <= 0)
            break;
        nGot += static_cast<size_t>(n);
    }
    ::close(fds[0]);
    int nStatus = 0;
    ::waitpid(pid, &nStatus, 0);
    if (nGot != nWanted || !WIFEXITED(nStatus) || WEXITSTATUS(nStatus) != 0)
        return false;
    size_t i = 0;
    for (STimes* pTimes : times)
    {
        pTimes->cpu.push_back(in[i++]);
        pTimes->wall.push_back(in[i++]);
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int nRecords = argc > 2 ? std::atoi(argv[2]) : 1000000;
    const int nRuns = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    // Each step runs in a fresh child process, as the load runs once in a fresh program at
    // start-up: memory that an earlier run freed would otherwise be reused without the page
    // faults that the first use of memory costs, which hides most of the price of a large
    // document.
    const std::string path = folder + "/scrivel-bench-history-" + std::to_string(::getpid());

    std::string data = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Records Version=\"2.0.0\">\n";
    for (int i = 0; i < nRecords; ++i)
        data +=
            "\t<Record FilePath=\"/home/user/projects/scrivel/src/folder" + std::to_string(i % 97) +
            "/file" + std::to_string(i) +
            ".cpp\" FileType=\"Text\" ScrollPosX=\"0\" ScrollPosY=\"120\" CursorPosX=\"14\" "
            "CursorPosY=\"133\" SelectionStartX=\"-1\" SelectionStartY=\"-1\" SelectionEndX=\"-1\" "
            "SelectionEndY=\"-1\" LastAccessTime=\"1700000000\" />\n";
    data += "</Records>\n";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data.data(), 1, data.size(), file) != data.size() ||
        std::fclose(file) != 0)
    {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    data = {};

    auto loadBare = [&](std::vector<double>& out)
    {
        CStopwatch watch;
        {
            pugi::xml_document document;
            if (!document.load_file(path.c_str()))
                return false;
        }
        watch.Stop(out);
        return true;
    };
    auto loadOurs = [&](std::vector<double>& out)
    {
        CHistoryManager history;
        history.SetLimit(nRecords);
        CStopwatch loadWatch;
        history.LoadFileRecords(path);
        loadWatch.Stop(out);
        if (history.GetCount() != nRecords)
        {
            std::fprintf(stderr, "loaded %d records of %d\n", history.GetCount(), nRecords);
            return false;
        }
        CStopwatch freeWatch;
        history.RemoveAllFileRecords();
        freeWatch.Stop(out);
        return true;
    };
    auto saveAndAdd = [&](std::vector<double>& out)
    {
        CHistoryManager history;
        history.SetLimit(nRecords);
        history.LoadFileRecords(path);
        CStopwatch saveWatch;
        if (history.SaveFileRecords(path) != 0)
        {
            std::fprintf(stderr, "cannot save %s\n", path.c_str());
            return false;
        }
        saveWatch.Stop(out);
        // The first record added after start-up trims the loaded list to its limit.
        history.SetLimit(1000);
        CStopwatch addWatch;
        history.AddFileRecord("/home/user/new.txt", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
        addWatch.Stop(out);
        return true;
    };
    STimes loads, saves, bare, adds, frees;
    for (int run = 0; run < nRuns; ++run)
    {
        if (!RunChild(loadBare, {&bare}) || !RunChild(loadOurs, {&loads, &frees}) ||
            !RunChild(saveAndAdd, {&saves, &adds}))
        {
            std::remove(path.c_str());
            return 1;
        }
    }
    std::remove(path.c_str());
    std::printf("wall-clock medians: history load %.3f s, pugixml load %.3f s, save %.3f s, "
                "first add %.3f s\n",
                Median(loads.wall), Median(bare.wall), Median(saves.wall), Median(adds.wall));
    std::printf("pugixml-load-file (cpu, %d records): %.3f s\n", nRecords, Median(bare.cpu));
    std::printf("history-remove-all (cpu, %d records): %.3f s\n", nRecords, Median(frees.cpu));
    std::printf("history-load: %.3f s (target <= 1.0)\n", Median(loads.cpu));
    std::printf("history-load-vs-pugixml: %.2f x (target <= 1.5)\n",
                Median(loads.cpu) / Median(bare.cpu));
    std::printf("history-save: %.3f s (target <= 1.0)\n", Median(saves.cpu));
    std::printf("history-first-add-trim: %.3f s (target <= 0.1)\n", Median(adds.cpu));
    return 0;
}

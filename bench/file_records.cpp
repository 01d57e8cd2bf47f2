// Loads and saves a history file of a million records and prints the median times, and
// the load time against pugixml alone loading the same file in the same run (the floor for
// any loader built on it, and a measure that a busy machine does not distort).
//   file_records [FOLDER] [RECORDS]
// The file is made in FOLDER (default /tmp) and removed afterwards.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include <pugixml.hpp>

#include "navigate/FileRecordManager.h"

namespace
{
double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    const int nRecords = argc > 2 ? std::atoi(argv[2]) : 1000000;
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

    std::vector<double> loads, saves, bare, adds;
    for (int run = 0; run < 5; ++run)
    {
        {
            auto start = std::chrono::steady_clock::now();
            pugi::xml_document document;
            if (!document.load_file(path.c_str()))
                return 1;
            bare.push_back(Seconds(start));
        }
        CHistoryManager history;
        history.SetLimit(nRecords);
        auto start = std::chrono::steady_clock::now();
        history.LoadFileRecords(path);
        loads.push_back(Seconds(start));
        if (history.GetCount() != nRecords)
        {
            std::fprintf(stderr, "loaded %d records of %d\n", history.GetCount(), nRecords);
            return 1;
        }
        start = std::chrono::steady_clock::now();
        if (history.SaveFileRecords(path) != 0)
        {
            std::fprintf(stderr, "cannot save %s\n", path.c_str());
            return 1;
        }
        saves.push_back(Seconds(start));

        // The first record added after start-up trims the loaded list to its limit.
        history.SetLimit(1000);
        start = std::chrono::steady_clock::now();
        history.AddFileRecord("/home/user/new.txt", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
        adds.push_back(Seconds(start));
    }
    std::remove(path.c_str());
    std::printf("history_load_%d_records: %.3f s (target <= 1.0)\n", nRecords, Median(loads));
    std::printf("pugixml_load_file_%d_records: %.3f s\n", nRecords, Median(bare));
    std::printf("history_load_vs_pugixml: %.2f x (target <= 1.5)\n", Median(loads) / Median(bare));
    std::printf("history_save_%d_records: %.3f s (target <= 2.0)\n", nRecords, Median(saves));
    std::printf("history_first_add_trims_%d_records: %.3f s (target <= 0.1)\n", nRecords,
                Median(adds));
    return 0;
}

// The history page of the navigation bar under the offscreen platform: a history of N
// records spread over two weeks, listed grouped by day and painted.
//   bench_navigate N        prints "fill-ms"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

#include "navigate/FileRecordManager.h"
#include "navigate/gui/NavigateBar.h"

int main(int argc, char** argv)
{
    const int nRecords = argc > 1 ? std::atoi(argv[1]) : 1000;
    QApplication app(argc, argv);

    // The records come from a history file, as at start-up, so each has its own time.
    const std::string path = "/tmp/scrivel-bench-history-" + std::to_string(::getpid());
    {
        const long now = static_cast<long>(std::time(nullptr));
        std::ofstream out(path);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Records Version=\"2.0.0\">\n";
        for (int i = 0; i < nRecords; ++i)
            out << "\t<Record FilePath=\"/home/user/src/project" << i % 37 << "/module" << i % 11
                << "/file" << i << (i % 3 ? ".cpp" : ".h")
                << "\" FileType=\"Text\" ScrollPosX=\"0\" "
                << "ScrollPosY=\"" << i << "\" CursorPosX=\"0\" CursorPosY=\"" << i
                << "\" LastAccessTime=\"" << now - static_cast<long>(i) * 1200 << "\" />\n";
        out << "</Records>\n";
    }
    CHistoryManager history;
    history.SetLimit(nRecords);
    history.LoadFileRecords(path);
    ::unlink(path.c_str());

    QElapsedTimer timer;
    timer.start();
    CNavigateRecordPage page(history, QStringLiteral("History"), true);
    page.resize(520, 700);
    page.show();
    QApplication::processEvents();
    const qint64 nElapsed = timer.nsecsElapsed();
    std::printf("fill-ms: %.2f\n", nElapsed / 1e6);
    std::printf("items: %d\n", page.Model().GetCount());
    return 0;
}

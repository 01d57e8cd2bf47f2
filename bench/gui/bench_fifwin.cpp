// The find-in-files window under the offscreen platform: a search from Start to the summary
// line in the result pane, the longest stall of the user-interface thread while results
// stream in, and the time from Stop to an idle form.
//   bench_fifwin search REGEX FOLDER   prints "ms", "stall-ms", "lines", "rss-kib"
//   bench_fifwin stop REGEX FOLDER     prints "stop-ms"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "findinfiles/FindInFilesForm.h"
#include "findinfiles/gui/FindInFilesForm.h"
#include "findinfiles/gui/FindInFilesWnd.h"

namespace
{
long PeakRssKib()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s search|stop REGEX FOLDER\n", argv[0]);
        return 2;
    }
    const bool bStop = std::strcmp(argv[1], "stop") == 0;
    const std::string folder = argv[3];
    QApplication app(argc, argv);

    QWidget window;
    auto* pLayout = new QVBoxLayout(&window);
    auto* pBar = new CFindInFilesOutputBar(&window);
    CFindInFilesSettings settings;
    SFindInFilesFormHooks hooks;
    hooks.chooseFolder = [&](const std::string&) { return folder; };
    auto* pForm = new CFindInFilesForm(*pBar, settings, nullptr, hooks, &window);
    pLayout->addWidget(pForm);
    pLayout->addWidget(pBar);
    window.resize(1000, 800);
    window.show();
    QApplication::processEvents();

    pForm->AddFolder();
    pForm->findChild<QComboBox*>("FindWhat")->setEditText(QString::fromUtf8(argv[2]));
    pForm->findChild<QCheckBox*>("RegularExpression")->setChecked(true);
    pForm->findChild<QComboBox*>("FileTypes")->setEditText(QStringLiteral("*.*"));

    // A 1 ms timer: the longest gap between its ticks is the longest stall of the thread.
    QElapsedTimer clock;
    qint64 nLastTick = 0, nWorstGap = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&]
                     {
                         const qint64 now = clock.nsecsElapsed();
                         if (nLastTick != 0)
                             nWorstGap = std::max(nWorstGap, now - nLastTick);
                         nLastTick = now;
                     });

    qint64 nElapsed = 0;
    QObject::connect(pForm, &CFindInFilesForm::SearchFinished,
                     [&]
                     {
                         nElapsed = clock.nsecsElapsed();
                         ticker.stop();
                         app.quit();
                     });
    CFindInFilesWnd* pPane = pBar->Pane(0);
    if (bStop)
    {
        // Stop once results are streaming, from the event loop as a click would.
        QTimer* pPoll = new QTimer(&app);
        QObject::connect(pPoll, &QTimer::timeout,
                         [&]
                         {
                             if (pPane->Results().GetCount() < 2000)
                                 return;
                             pPoll->stop();
                             QElapsedTimer stop;
                             stop.start();
                             pForm->findChild<QPushButton*>("Stop")->click();
                             const qint64 nStop = stop.nsecsElapsed();
                             if (pForm->IsSearching())
                                 std::printf("stop: still searching\n");
                             std::printf("stop-ms: %.2f\n", nStop / 1e6);
                             std::printf("last: %s\n",
                                         pPane->LineText(pPane->Results().GetCount() - 1).c_str());
                         });
        pPoll->start(1);
    }
    clock.start();
    ticker.start(1);
    pForm->findChild<QPushButton*>("Start")->click();
    app.exec();

    if (!bStop)
    {
        std::printf("ms: %.2f\n", nElapsed / 1e6);
        std::printf("stall-ms: %.2f\n", nWorstGap / 1e6);
        std::printf("lines: %d\n", pPane->Results().GetCount());
        std::printf("summary: %s\n", pPane->LineText(pPane->Results().GetCount() - 1).c_str());
        std::printf("rss-kib: %ld\n", PeakRssKib());
    }
    return 0;
}

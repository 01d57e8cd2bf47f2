// The text view under the offscreen platform: the whole application started with "-e FILE",
// its main window 1600 x 1000 showing the document with the C/C++ parser. Prints one result
// line per measure.
//   bench_view main FILE      the whole application started with "-e FILE": the main window
//                             (1600 x 1000) to the first paint of the document's page, then
//                             the ordinary exit (timed from outside)
//   bench_view paint FILE     "paint <median ms>" of 200 full repaints in the middle
//   bench_view pagedown FILE  "pagedown <ms per step>" of 200 Page Down steps with paint
//   bench_view jump FILE      "jump <ms>" of Ctrl+End then Ctrl+Home right after opening
//   bench_view wrap FILE      "wrap-stall <ms>" and "wrap-total <s>" at 100 columns
//   bench_view export FILE    "export <MB/s>" of the HTML export to a temporary file
#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <vector>

#include "BenchMainWindow.h"
#include "app/TextEditDoc.h"
#include "app/gui/DocumentWindows.h"
#include "app/gui/ScrivelApp.h"
#include "app/gui/TextDocumentViews.h"
#include "encoding/TextEditBufferEx.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"
#include "syntax/SyntaxTextExport.h"
#include "syntax/TextEditModule.h"
#include "textview/TextExportSource.h"
#include "textview/gui/TarvoTextEditView.h"
#include "textview/gui/TarvoTextView.h"
#include "ui/gui/MainFrame.h"

namespace
{
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double NowMs()
{
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time of this thread: on a shared, loaded machine the wall clock mostly measures the
// wait for a processor. Painting, scrolling and exporting all run on this thread.
double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void Paint(CTarvoTextView& view)
{
    view.viewport()->repaint();
}

// The HTML export needs no window: a document loaded with the C/C++ parser.
int RunExport(int argc, char** argv)
{
    QApplication app(argc, argv);
    CSyntaxParserFactory factory;
    factory.CreateParsers();
    SetTextParserLookup(&factory);
    CTarvoTextEditBufferEx buffer;
    std::string error;
    if (buffer.LoadFile(argv[2], 0, GetTextCodePage(), error) == LoadFailed)
    {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    buffer.SetParser(factory.FindById(4));
    CTextLayout layout;
    layout.SetBuffer(&buffer);
    CTextLayoutExportSource source(layout);
    CSyntaxTextExport exporter;
    const std::string out = std::string(argv[2]) + ".bench.html";
    const double t0 = CpuMs();
    const bool ok = exporter.ExportToFile(argv[2], out, source, nullptr, error);
    const double ms = CpuMs() - t0;
    std::remove(out.c_str());
    struct stat st
    {
    };
    ::stat(argv[2], &st);
    if (!ok)
        return 1;
    std::printf("export %.1f\n", static_cast<double>(st.st_size) / 1e6 / (ms / 1000.0));
    return 0;
}

// The measures on the document's view in the main window (window: what to resize).
int Measure(const std::string& mode, CTarvoTextView& view, QWidget& window)
{
    CTarvoTextEditBuffer& buffer = *view.GetBuffer();
    CTextLayout& layout = view.Layout();
    const int page = layout.GetScreenRows();
    if (mode == "jump")
    {
        const double t0 = CpuMs();
        const int last = buffer.GetLineCount() - 1;
        view.SetCaret({buffer.GetLineRecord(last)->nLength, last});
        view.ScrollToRow(layout.GetTotalRows());
        Paint(view);
        view.SetCaret({0, 0});
        view.ScrollToRow(0);
        Paint(view);
        std::printf("jump %.2f\n", CpuMs() - t0);
        return 0;
    }
    if (mode == "paint" || mode == "pagedown")
    {
        const int middle = buffer.GetLineCount() / 2;
        view.SetCaret({0, middle});
        view.ScrollToRow(middle);
        Paint(view); // parses everything above the middle once
        if (mode == "paint")
        {
            std::vector<double> times;
            for (int i = 0; i < 200; ++i)
            {
                const double t0 = CpuMs();
                Paint(view);
                times.push_back(CpuMs() - t0);
            }
            std::printf("paint %.3f\n", Median(times));
            return 0;
        }
        const double t0 = CpuMs();
        for (int i = 0; i < 200; ++i)
        {
            view.ScrollToRow(layout.GetTopSubLine() + page - 1);
            Paint(view);
        }
        std::printf("pagedown %.3f\n", (CpuMs() - t0) / 200);
        return 0;
    }
    if (mode == "wrap")
    {
        // A window whose text area is exactly 100 columns wide.
        for (int i = 0; i < 8 && layout.GetScreenColumns() != 100; ++i)
        {
            window.resize(window.width() +
                              (100 - layout.GetScreenColumns()) * layout.GetCharWidth(),
                          window.height());
            QApplication::processEvents();
        }
        double worst = 0;
        double last = NowMs();
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout,
                         [&]
                         {
                             const double now = NowMs();
                             worst = std::max(worst, now - last);
                             last = now;
                         });
        tick.start(1);
        QApplication::processEvents();
        const double t0 = NowMs();
        last = t0;
        view.OnCommand(ID_VIEW_WRAP_LINES);
        while (layout.IsWrapPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Paint(view);
        const double total = NowMs() - t0;
        std::printf("wrap-columns %d\nwrap-stall %.2f\nwrap-total %.3f\n",
                    layout.GetScreenColumns(), std::max(0.0, worst - 1.0), total / 1000.0);
        return 0;
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}

int RunMainWindow(const char* pszFile)
{
    CBenchMainWindow window(pszFile);
    CTarvoTextEditView* pView = window.Start();
    if (pView == nullptr)
        return window.Exit(1);
    const bool bPainted = window.RunToFirstPaint();
    std::printf("main %d lines, painted %d\n", pView->GetBuffer()->GetLineCount(),
                bPainted ? 1 : 0);
    return window.Exit(bPainted ? 0 : 1);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s main|paint|pagedown|jump|wrap|export FILE\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string mode = argv[1];
    if (mode == "main")
        return RunMainWindow(argv[2]);
    if (mode == "export")
        return RunExport(argc, argv);
    CBenchMainWindow window(argv[2]);
    CTarvoTextEditView* pView = window.Start();
    if (pView == nullptr)
        return window.Exit(1);
    QApplication::processEvents();
    window.FocusView();
    Paint(*pView);
    const int code = Measure(mode, *pView, *window.App().MainFrame());
    return window.Exit(code);
}

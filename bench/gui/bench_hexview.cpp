// Drives the hex view in the real main window, 1600 x 1000 under the offscreen platform, and
// prints what bench/hexview.sh compares. Every mode runs the whole application in a home of
// its own (no stored settings, nothing written to the user's) and opens the file with the
// program's open command as a binary document.
//   bench_hexview view FILE          open, rss, paint, pagedown, jump (ms, MiB, ms, ms, ms)
//   bench_hexview edit FILE N SECS   typed digits, ms of one more digit (median of 21 after
//                                    the N), s of undoing all
//   bench_hexview save FILE          inserts one byte at 0; seconds from Ctrl+S to the window
//                                    painted with the document saved (through the temporary
//                                    file: the data moved by a byte)
//   bench_hexview find FILE TEXT     forward find with highlight on; prints the match

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <time.h>
#include <vector>

#include "app/OpenFile.h"
#include "app/gui/ScrivelApp.h"
#include "hex/HexCommands.h"
#include "hex/HexEditBuffer.h"
#include "hex/gui/HexEditModule.h"
#include "hex/gui/HexEditView.h"
#include "ui/gui/MainFrame.h"

namespace
{
class CQuietSink : public CHexMessageSink
{
public:
    void ShowMessage(const std::string& strText) override
    {
        std::fprintf(stderr, "message: %s\n", strText.c_str());
    }
    bool AskYesNo(const std::string&) override { return false; }
    bool AskOkCancel(const std::string&) override { return true; }
};

double Ms(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double ThreadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double RssMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    }
    return 0;
}

void Key(QWidget& view, int nKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
         const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, nKey, modifiers, text);
    QApplication::sendEvent(&view, &press);
    QKeyEvent release(QEvent::KeyRelease, nKey, modifiers, text);
    QApplication::sendEvent(&view, &release);
}

// Sees the first paint of a widget end.
class CPaintWatch : public QObject
{
public:
    bool m_bPainted = false;

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Paint)
            m_bPainted = true;
        return QObject::eventFilter(pObject, pEvent);
    }
};

// The application started as the user starts it, the main window up at 1600 x 1000 before
// anything is opened.
bool StartApp(CScrivelApp& app)
{
    if (!app.InitInstance())
        return false;
    app.SetMessageHook([](const std::string& text)
                       { std::fprintf(stderr, "message: %s\n", text.c_str()); });
    CMainFrame& frame = *app.MainFrame();
    frame.showNormal();
    frame.resize(1600, 1000);
    QApplication::processEvents();
    return true;
}

// The program's open command for path as a binary document, then the event loop until the
// tab's view has painted. Null (with a message) when that failed.
CTarvoHexEditView* OpenInApp(CScrivelApp& app, const std::string& path)
{
    if (OpenFileAs(app, path, 2, false) == nullptr)
        return nullptr;
    QMdiSubWindow* pTab = app.MainFrame()->MdiArea()->activeSubWindow();
    auto* pView = pTab ? qobject_cast<CTarvoHexEditView*>(pTab->widget()) : nullptr;
    if (pView == nullptr)
    {
        std::fprintf(stderr, "no hex view holds the file\n");
        return nullptr;
    }
    // No question may wait for an answer in a benchmark.
    static CQuietSink sink;
    pView->SetMessageOverride(&sink);
    pView->SetYesNoCancelHook([](const std::string&) { return 1; });
    CPaintWatch watch;
    pView->viewport()->installEventFilter(&watch);
    while (!watch.m_bPainted)
        QApplication::processEvents();
    pView->viewport()->removeEventFilter(&watch);
    return pView;
}

// The window active and the view holding the keyboard focus, as after a click into it:
// the window's shortcuts then apply as they do for the user.
void FocusView(CScrivelApp& app, CTarvoHexEditView& view)
{
    app.MainFrame()->activateWindow();
    view.setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
}

// A key as the window system delivers it (the window's shortcuts first, then the focused
// view), then everything it invalidated and queued painted and run.
void KeyAndPaint(QWidget& view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&view, key, modifiers);
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

int RunView(CScrivelApp& app, const std::string& path)
{
    if (!StartApp(app))
        return 1;

    // The open command of the program, then the event loop until the tab's view painted.
    QElapsedTimer timer;
    timer.start();
    CTarvoHexEditView* pView = OpenInApp(app, path);
    if (pView == nullptr)
        return 1;
    const double dOpen = Ms(timer);
    const double dRss = RssMiB();
    CTarvoHexEditView& view = *pView;

    // One page repaint in the middle of the file: the best of a few, once warm.
    view.SetTopLine(view.Controller().GetLayout().GetLineCount() / 2);
    view.viewport()->repaint();
    double dPaint = 1e9;
    for (int i = 0; i < 20; ++i)
    {
        timer.restart();
        view.viewport()->repaint();
        dPaint = std::min(dPaint, Ms(timer));
    }

    view.Controller().GoTo(0);
    view.viewport()->repaint();
    timer.restart();
    for (int i = 0; i < 500; ++i)
    {
        Key(view, Qt::Key_PageDown);
        view.viewport()->repaint();
    }
    const double dPageDown = Ms(timer) / 500;

    timer.restart();
    Key(view, Qt::Key_End, Qt::ControlModifier);
    view.viewport()->repaint();
    const double dJump = Ms(timer);
    std::printf("%.3f %.1f %.3f %.3f %.3f\n", dOpen, dRss, dPaint, dPageDown, dJump);
    return view.Controller().GetCaret() == view.Buffer().GetLength() ? 0 : 1;
}

int RunEdit(CScrivelApp& app, const std::string& path, long nDigits, double dSeconds)
{
    CTarvoHexEditView* pView = StartApp(app) ? OpenInApp(app, path) : nullptr;
    if (pView == nullptr)
        return 1;
    CTarvoHexEditView& view = *pView;
    FocusView(app, view);
    CHexEditController& c = view.Controller();
    c.ToggleOvertype(); // insert mode: every digit is a byte of its own
    const uint64_t n = view.Buffer().GetLength();
    QElapsedTimer timer;
    timer.start();
    long nTyped = 0;
    // Spread over the file: each digit at its own place, so each is its own record. The
    // typing goes straight to the view; the digits timed after it come as keys of the
    // window system.
    for (; nTyped < nDigits && Ms(timer) < dSeconds * 1000; ++nTyped)
    {
        c.GoTo(static_cast<int64_t>((uint64_t(nTyped) * 7919 * 1031) % (n + 1)));
        Key(view, Qt::Key_A, Qt::NoModifier, "a");
    }
    QApplication::processEvents();
    // One more digit at a time, each from its key to the end of its paint: the median of
    // 21, so that one stall of a shared machine does not decide it.
    // The processor time of this thread is shown beside it: on a shared machine the wall
    // clock also counts the waits for a processor.
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int i = 0; i < 21; ++i)
    {
        c.GoTo(static_cast<int64_t>(n / 3 + uint64_t(i) * 4099));
        view.viewport()->repaint();
        const double dCpu = ThreadCpuMs();
        timer.restart();
        KeyAndPaint(view, Qt::Key_B);
        times.push_back(Ms(timer));
        cpuTimes.push_back(ThreadCpuMs() - dCpu);
        ++nTyped;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    const double dOne = times[times.size() / 2];
    std::fprintf(stderr, "one more digit: %.3f to %.3f ms, median %.3f ms of processor time\n",
                 times.front(), times.back(), cpuTimes[cpuTimes.size() / 2]);

    timer.restart();
    while (!view.Buffer().GetRecords().empty())
        view.OnCommand(HexCommand::kEditUndo);
    QApplication::processEvents();
    const double dUndo = Ms(timer) / 1000;
    std::printf("%ld %.3f %.3f\n", nTyped, dOne, dUndo);
    return view.Buffer().IsModified() ? 1 : 0;
}

int RunSave(CScrivelApp& app, const std::string& path)
{
    CTarvoHexEditView* pView = StartApp(app) ? OpenInApp(app, path) : nullptr;
    if (pView == nullptr)
        return 1;
    CTarvoHexEditView& view = *pView;
    FocusView(app, view);
    view.Controller().ToggleOvertype();
    view.Controller().GoTo(0);
    KeyAndPaint(view, Qt::Key_4);
    KeyAndPaint(view, Qt::Key_2);
    if (!view.Buffer().IsModified() || view.Buffer().GetLength() == 0)
        return 1;
    QElapsedTimer timer;
    timer.start();
    KeyAndPaint(view, Qt::Key_S, Qt::ControlModifier);
    const double dSave = Ms(timer) / 1000;
    if (view.Buffer().IsModified())
    {
        std::fprintf(stderr, "the document was not saved\n");
        return 1;
    }
    std::printf("%.4f\n", dSave);
    return 0;
}

int RunFind(CScrivelApp& app, const std::string& path, const std::string& strText)
{
    CTarvoHexEditView* pView = StartApp(app) ? OpenInApp(app, path) : nullptr;
    if (pView == nullptr)
        return 1;
    CTarvoHexEditView& view = *pView;
    app.HexModule()->SetSearchText(strText);
    view.OnCommand(HexCommand::kHighlightAll);
    if (!view.Find(true))
        return 1;
    view.viewport()->repaint();
    std::printf("%u\n", view.Controller().GetSelStart());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: bench_hexview view|edit|save|find FILE ...\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string mode = argv[1];
    const std::string path = argv[2];
    // A home of its own: no stored settings, and nothing written to the user's.
    QTemporaryDir home;
    ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
    ::setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
    int nArgc = 1;
    CScrivelApp app(nArgc, argv);
    int nResult = 2;
    if (mode == "view")
        nResult = RunView(app, path);
    else if (mode == "edit")
        nResult = RunEdit(app, path, argc > 3 ? std::atol(argv[3]) : 100000,
                          argc > 4 ? std::atof(argv[4]) : 60);
    else if (mode == "save")
        nResult = RunSave(app, path);
    else if (mode == "find" && argc > 3)
        nResult = RunFind(app, path, argv[3]);
    std::fflush(stdout);
    // The edits are thrown away: the shut-down asks nothing.
    if (app.MainFrame())
    {
        if (QMdiSubWindow* pTab = app.MainFrame()->MdiArea()->activeSubWindow())
            if (auto* pView = qobject_cast<CTarvoHexEditView*>(pTab->widget()))
                pView->Buffer().SetModified(false);
        app.MainFrame()->close();
    }
    app.ExitInstance(nResult);
    return nResult;
}

// Drives the hex view in a window of 1600 x 1000 under the offscreen platform and prints
// what bench/hexview.sh compares. "view" runs the whole application (its own profile in a
// temporary home): from the open command for the file to the first painted page of its tab
// in the main window. The other modes host the view in a plain main window.
//   bench_hexview view FILE          open, rss, paint, pagedown, jump (ms, MiB, ms, ms, ms)
//   bench_hexview edit FILE N SECS   typed digits, ms of one more digit, s of undoing all
//   bench_hexview save FILE          inserts one byte at 0 and saves through the temporary file
//   bench_hexview find FILE TEXT     forward find with highlight on; prints the match

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/OpenFile.h"
#include "app/gui/ScrivelApp.h"
#include "hex/HexCommands.h"
#include "hex/gui/HexEditView.h"
#include "platform/ProfileStore.h"
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

struct SHost
{
    CMemoryProfileStore store;
    CTarvoHexEditModule module;
    CTarvoHexEditBuffer buffer;
    CQuietSink sink;
    QMainWindow window;
    CTarvoHexEditView* pView = nullptr;

    // The main window is up before the file is opened, as it is in the application.
    void ShowWindow()
    {
        module.Start(store);
        window.resize(1600, 1000);
        window.show();
        QFont warm(QString::fromStdString(module.GetAnsiFont().m_strFaceName));
        QFontMetrics(warm).horizontalAdvance(QLatin1Char('W'));
        QApplication::processEvents();
    }

    bool Open(const std::string& path)
    {
        buffer.SetMessageSink(&sink);
        if (!buffer.Open(path))
            return false;
        buffer.AttachFileData();
        pView = new CTarvoHexEditView(buffer, module, &window);
        pView->SetMessageOverride(&sink);
        pView->SetYesNoCancelHook([](const std::string&) { return 1; });
        window.setCentralWidget(pView);
        pView->setFocus();
        // A central widget set on a shown window is shown and laid out by posted events;
        // until they run, a repaint paints nothing and would time nothing.
        QApplication::processEvents();
        pView->viewport()->repaint();
        if (!pView->viewport()->isVisible() || pView->viewport()->height() < 500)
        {
            std::fprintf(stderr, "the view is not shown at its size\n");
            return false;
        }
        return true;
    }
};

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

int RunView(CScrivelApp& app, const std::string& path)
{
    if (!app.InitInstance())
        return 1;
    CMainFrame& frame = *app.MainFrame();
    frame.showNormal();
    frame.resize(1600, 1000);
    QApplication::processEvents();

    // The open command of the program, then the event loop until the tab's view painted.
    QElapsedTimer timer;
    timer.start();
    if (OpenFileAs(app, path, 2, false) == nullptr)
        return 1;
    QMdiSubWindow* pTab = frame.MdiArea()->activeSubWindow();
    auto* pView = pTab ? qobject_cast<CTarvoHexEditView*>(pTab->widget()) : nullptr;
    if (pView == nullptr)
        return 1;
    CPaintWatch watch;
    pView->viewport()->installEventFilter(&watch);
    while (!watch.m_bPainted)
        QApplication::processEvents();
    const double dOpen = Ms(timer);
    pView->viewport()->removeEventFilter(&watch);
    const double dRss = RssMiB();
    CQuietSink sink;
    pView->SetMessageOverride(&sink);
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

int RunEdit(const std::string& path, long nDigits, double dSeconds)
{
    SHost host;
    host.ShowWindow();
    if (!host.Open(path))
        return 1;
    CTarvoHexEditView& view = *host.pView;
    CHexEditController& c = view.Controller();
    c.ToggleOvertype(); // insert mode: every digit is a byte of its own
    const uint64_t n = host.buffer.GetLength();
    QElapsedTimer timer;
    timer.start();
    long nTyped = 0;
    // Spread over the file: each digit at its own place, so each is its own record.
    for (; nTyped < nDigits && Ms(timer) < dSeconds * 1000; ++nTyped)
    {
        c.GoTo(static_cast<int64_t>((uint64_t(nTyped) * 7919 * 1031) % (n + 1)));
        Key(view, Qt::Key_A, Qt::NoModifier, "a");
    }
    view.viewport()->repaint();
    c.GoTo(static_cast<int64_t>(n / 3));
    view.viewport()->repaint();
    timer.restart();
    Key(view, Qt::Key_B, Qt::NoModifier, "b");
    view.viewport()->repaint();
    const double dOne = Ms(timer);
    ++nTyped;

    timer.restart();
    while (!host.buffer.GetRecords().empty())
        view.OnCommand(HexCommand::kEditUndo);
    const double dUndo = Ms(timer) / 1000;
    std::printf("%ld %.3f %.3f\n", nTyped, dOne, dUndo);
    return host.buffer.IsModified() ? 1 : 0;
}

int RunSave(const std::string& path)
{
    SHost host;
    host.ShowWindow();
    if (!host.Open(path))
        return 1;
    CTarvoHexEditView& view = *host.pView;
    view.Controller().ToggleOvertype();
    view.Controller().GoTo(0);
    Key(view, Qt::Key_4, Qt::NoModifier, "4");
    Key(view, Qt::Key_2, Qt::NoModifier, "2");
    return view.OnCommand(HexCommand::kFileSave) && !host.buffer.IsModified() ? 0 : 1;
}

int RunFind(const std::string& path, const std::string& strText)
{
    SHost host;
    host.ShowWindow();
    if (!host.Open(path))
        return 1;
    CTarvoHexEditView& view = *host.pView;
    host.module.SetSearchText(strText);
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
    if (mode == "view")
    {
        // A home of its own: no stored settings, and nothing written to the user's.
        QTemporaryDir home;
        ::setenv("HOME", home.path().toLocal8Bit().constData(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit().constData(), 1);
        ::setenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit().constData(), 1);
        int nArgc = 1;
        CScrivelApp app(nArgc, argv);
        const int nResult = RunView(app, path);
        if (app.MainFrame())
            app.MainFrame()->close();
        app.ExitInstance(nResult);
        return nResult;
    }
    QApplication app(argc, argv);
    if (mode == "edit")
        return RunEdit(path, argc > 3 ? std::atol(argv[3]) : 100000,
                       argc > 4 ? std::atof(argv[4]) : 60);
    if (mode == "save")
        return RunSave(path);
    if (mode == "find" && argc > 3)
        return RunFind(path, argv[3]);
    return 2;
}

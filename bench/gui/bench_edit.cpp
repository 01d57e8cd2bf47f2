// Editing in the real main window, offscreen: the whole application started with "-e FILE"
// (window 1600 x 1000, the document coloured with the C/C++ parser, the caret in the middle
// of the file). Keys go to the view as the window system delivers them, window shortcuts
// included; each time runs from the key to the end of the repaint, with the command states
// and status panes the window refreshes after each key. Each mode prints one line
// "<name> <value>"; times are CPU milliseconds of the user-interface thread (painting
// included), as on a shared machine the wall clock mostly measures the wait for a
// processor. The caller runs it in a home of its own (the application keeps its settings).
//   bench_edit keystroke FILE   median of 500 typed characters, key event to painted
//   bench_edit enter FILE       median of 200 Enter keys after an indented line
//   bench_edit block FILE       medians of 5 Tab on a 10,000-line selection and its undo
//   bench_edit find FILE        median per hit of 100 F3 for FINDME_MARKER_42 from the top
//   bench_edit highlight FILE   median of 100 page repaints with Highlight All of "int" on
//   bench_edit replace FILE     Replace All of "int" by "long" (match case), whole file
#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <string>
#include <time.h>
#include <vector>

#include "BenchMainWindow.h"
#include "encoding/TextEditBufferEx.h"
#include "textview/TextEditDialogs.h"
#include "textview/TextFind.h"
#include "textview/gui/TarvoTextEditView.h"

namespace
{
double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double CpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// A key as the window system delivers it (the window's shortcuts first, then the focused
// view), then everything it invalidated and queued painted and run.
void Key(CTarvoTextEditView& view, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(&view, key, mods);
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

int Run(const std::string& mode, CTarvoTextEditView& view);
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: %s keystroke|enter|block|find|highlight|replace FILE\n",
                     argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CBenchMainWindow window(argv[2]);
    CTarvoTextEditView* pView = window.Start();
    if (pView == nullptr || !window.RunToFirstPaint())
        return window.Exit(1);
    if (!window.FocusView())
        std::fprintf(stderr, "the view does not hold the focus of the active window\n");
    const int code = Run(argv[1], *pView);
    return window.Exit(code);
}

namespace
{
int Run(const std::string& mode, CTarvoTextEditView& view)
{
    CTarvoTextEditBuffer& buffer = *view.GetBuffer();
    CTarvoTextEditController& controller = view.Controller();
    const int middle = buffer.GetLineCount() / 2;
    controller.SetCaret({0, middle});
    controller.EnsureCaretVisible();
    view.viewport()->repaint(); // parses everything above the middle once
    QApplication::processEvents();

    if (mode == "keystroke")
    {
        std::vector<double> times;
        for (int i = 0; i < 500; ++i)
        {
            const double t0 = CpuMs();
            Key(view, static_cast<Qt::Key>(Qt::Key_A + i % 26));
            times.push_back(CpuMs() - t0);
        }
        if (controller.GetCaret().x != 500)
            std::fprintf(stderr, "the keys typed %d characters, not 500\n",
                         controller.GetCaret().x);
        std::printf("keystroke %.3f\n", Median(times));
        return 0;
    }
    if (mode == "enter")
    {
        // An indented line that opens a block, so each Enter indents.
        controller.OnChar("\r");
        for (const char* typed : {"\t", "i", "f", " ", "(", "x", ")", " ", "{"})
            controller.OnChar(typed);
        QApplication::processEvents();
        std::vector<double> times;
        for (int i = 0; i < 200; ++i)
        {
            const double t0 = CpuMs();
            Key(view, Qt::Key_Return);
            times.push_back(CpuMs() - t0);
        }
        std::printf("enter %.3f\n", Median(times));
        return 0;
    }
    if (mode == "block")
    {
        std::vector<double> indent;
        std::vector<double> undo;
        const int length2 = buffer.GetLineRecord(middle + 10000)->nLength;
        for (int i = 0; i < 5; ++i)
        {
            controller.SetSelection({0, middle}, {0, middle + 10000});
            const double t0 = CpuMs();
            const int length = buffer.GetLineRecord(middle + 9999)->nLength;
            Key(view, Qt::Key_Tab);
            const double t1 = CpuMs();
            if (buffer.GetLineRecord(middle + 9999)->nLength <= length ||
                buffer.GetLineRecord(middle + 10000)->nLength != length2)
                std::fprintf(stderr, "Tab did not indent the selected lines only\n");
            Key(view, Qt::Key_Z, Qt::ControlModifier);
            const double t2 = CpuMs();
            if (buffer.GetLineRecord(middle + 9999)->nLength != length)
                std::fprintf(stderr, "Ctrl+Z did not undo the indent\n");
            indent.push_back(t1 - t0);
            undo.push_back(t2 - t1);
        }
        std::printf("block-indent %.3f\nblock-undo %.3f\n", Median(indent), Median(undo));
        return 0;
    }
    if (mode == "find")
    {
        controller.GetFind().SetLastSearch("FINDME_MARKER_42", 0);
        controller.SetCaret({0, 0});
        std::vector<double> times;
        int found = 0;
        for (int i = 0; i < 100; ++i)
        {
            const STextPosition before = controller.GetCaret();
            const double t0 = CpuMs();
            Key(view, Qt::Key_F3);
            times.push_back(CpuMs() - t0);
            found += controller.GetCaret() == before ? 0 : 1;
        }
        if (found != 100)
            std::fprintf(stderr, "only %d of 100 searches moved\n", found);
        std::printf("find-next %.3f\n", Median(times));
        return 0;
    }
    if (mode == "highlight")
    {
        controller.GetFind().SetLastSearch("int", SearchMatchCase);
        view.RunCommand(CmdHighlightAll);
        view.viewport()->repaint();
        std::vector<double> times;
        for (int i = 0; i < 100; ++i)
        {
            const double t0 = CpuMs();
            view.viewport()->repaint();
            times.push_back(CpuMs() - t0);
        }
        std::printf("find-highlight-paint %.3f\n", Median(times));
        return 0;
    }
    if (mode == "replace")
    {
        controller.SetCaret({0, 0});
        CTextReplaceSession session(controller);
        session.m_strFind = "int";
        session.m_strReplace = "long";
        session.m_bMatchCase = true;
        session.m_bSelectionScope = false;
        const double t0 = CpuMs();
        const int count = session.ReplaceAll();
        QApplication::processEvents();
        const double ms = CpuMs() - t0;
        std::fprintf(stderr, "%d replaced\n", count);
        std::printf("replace-all %.3f\n", ms);
        return 0;
    }
    std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
    return 2;
}
} // namespace

#pragma once
// The result panes of find in files and the output bar that holds them.
//
// A pane (CFindInFilesWnd) is a read-only text view over a text buffer of its own, with a
// record per line (CFindInFilesResultPane). Lines are appended at the end in batches; the
// view is told only of the lines added, so a pane of 100,000 lines costs no more per batch
// than one of ten. The margin shows the source line of each match. A double click on a file
// or match line asks the open hook to open that file at that line; header and summary lines
// do nothing.
//
// The output bar (CFindInFilesOutputBar) shows the four panes "Find in Files 1" ..
// "Find in Files 4" as tabs at its bottom.

#include <QTabWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "findinfiles/FindInFilesResults.h"
#include "findinfiles/FindInFilesSearch.h"
#include "textview/gui/TarvoTextView.h"

class CFindInFilesWnd : public CTarvoTextView
{
    Q_OBJECT
public:
    // Opens a file at a source line (-1: no line), through the application's open by kind.
    using OpenFn = std::function<void(const std::string& strPath, int nLine)>;

    explicit CFindInFilesWnd(QWidget* parent = nullptr);
    ~CFindInFilesWnd() override;

    void SetOpenHook(OpenFn open) { m_open = std::move(open); }

    const CFindInFilesResultPane& Results() const { return m_results; }
    // Empties the records and the text.
    void Clear();
    // Appends lines at the end. The caret moves to the last new line and the view follows
    // it, unless the user has moved the caret away from the last line meanwhile.
    void AppendLines(std::vector<SFindInFilesResultLine>& lines);
    // The pane line's text as shown (no line break).
    std::string LineText(int nLine) const;
    // What a double click on a pane line does; false when it does nothing.
    bool ActivateLine(int nLine);
    // The pane line at a point of the viewport, or -1.
    int LineAt(const QPoint& point);

    int MarginLineNumber(int nLine) const override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void MoveCaretTo(int nLine, bool bScroll);

    std::unique_ptr<CTarvoTextEditBuffer> m_pBuffer;
    CFindInFilesResultPane m_results;
    OpenFn m_open;
};

class CFindInFilesOutputBar : public QTabWidget
{
    Q_OBJECT
public:
    static constexpr int kPaneCount = 4;

    explicit CFindInFilesOutputBar(QWidget* parent = nullptr);

    CFindInFilesWnd* Pane(int nIndex) const;
    // Brings a pane to the front (an index out of range chooses the first).
    void SelectPane(int nIndex);
    void SetOpenHook(const CFindInFilesWnd::OpenFn& open);
    // Called by "Hide Output Bar" of the tab strip's menu.
    void SetHideHook(std::function<void()> hide) { m_hide = std::move(hide); }

    // The pane shown while the program runs, restored when a bar is made again.
    static int RememberedPane();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    std::vector<CFindInFilesWnd*> m_panes;
    std::function<void()> m_hide;
};

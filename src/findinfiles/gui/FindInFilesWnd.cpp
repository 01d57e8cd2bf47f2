#include "findinfiles/gui/FindInFilesWnd.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>

#include <algorithm>

#include "text/UpdateContext.h"

namespace
{
int s_nRememberedPane = 0;

// A line of the pane's buffer: the shown text with nothing the buffer cannot hold in a line
// (line breaks inside a searched line of a binary file, zero bytes).
std::string BufferLine(const CFindInFilesResultPane& results, int nIndex)
{
    std::string text = results.GetDisplayText(nIndex);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\0' || c == '\r' || c == '\n'; }, ' ');
    return text;
}
} // namespace

CFindInFilesWnd::CFindInFilesWnd(QWidget* parent)
    : CTarvoTextView(parent), m_pBuffer(std::make_unique<CTarvoTextEditBuffer>())
{
    m_pBuffer->InitNew(LineEndLf);
    m_pBuffer->SetReadOnly(true);
    SetBuffer(m_pBuffer.get());
    // The caret line keeps the window colour: the pane is a list, not a place to edit.
    Layout().SetViewFlags(Layout().GetViewFlags() & ~(ViewHighlightLine | ViewChangeMarks));
}

CFindInFilesWnd::~CFindInFilesWnd()
{
    SetBuffer(nullptr);
}

void CFindInFilesWnd::Clear()
{
    m_results.Clear();
    m_pBuffer->InitNew(LineEndLf);
    m_pBuffer->SetReadOnly(true);
    SetCaret({0, 0});
}

void CFindInFilesWnd::AppendLines(std::vector<SFindInFilesResultLine>& lines)
{
    if (lines.empty())
        return;
    const int nOldCount = m_results.GetCount();
    const int nOldLast = m_pBuffer->GetLineCount() - 1;
    const bool bFollow = nOldCount == 0 || Layout().GetCaret().y >= nOldCount - 1;

    m_pBuffer->NotifyBeforeTextChange();
    const STextPosition ptStart{m_pBuffer->GetLineRecord(nOldLast)->nLength, nOldLast};
    for (SFindInFilesResultLine& line : lines)
    {
        m_results.AddLine(std::move(line.record), std::move(line.strText));
        const std::string text = BufferLine(m_results, m_results.GetCount() - 1);
        const int nLength = static_cast<int>(text.size());
        if (m_results.GetCount() == 1)
            m_pBuffer->AppendToLine(0, text.data(), nLength);
        else
        {
            // The last line gets its ending, then the new line follows without one.
            m_pBuffer->AppendToLine(m_pBuffer->GetLineCount() - 1, "\n", 1);
            m_pBuffer->InsertLineRecord(text.data(), nLength, -1);
        }
    }
    lines.clear();
    const int nNewLast = m_pBuffer->GetLineCount() - 1;
    const STextPosition ptEnd{m_pBuffer->GetLineRecord(nNewLast)->nLength, nNewLast};
    CInsertContext context(ptStart, ptEnd);
    const uint32_t dwHint = nNewLast > nOldLast ? (HintLineCount | HintLineLength) : HintLineLength;
    m_pBuffer->NotifyViews(nullptr, &context, dwHint, nOldLast);
    if (bFollow)
        MoveCaretTo(nNewLast, true);
}

std::string CFindInFilesWnd::LineText(int nLine) const
{
    if (nLine < 0 || nLine >= m_results.GetCount())
        return {};
    return BufferLine(m_results, nLine);
}

int CFindInFilesWnd::MarginLineNumber(int nLine) const
{
    return nLine >= 0 && nLine < m_results.GetCount() ? m_results.GetLineNumber(nLine) : -1;
}

bool CFindInFilesWnd::ActivateLine(int nLine)
{
    if (nLine < 0 || nLine >= m_results.GetCount() || !m_results.OpensFile(nLine))
        return false;
    if (m_open)
    {
        // Copied: the hook may run a nested event loop in which the pane changes.
        const std::string path = m_results.GetRecord(nLine).m_strPath;
        m_open(path, m_results.GetLineNumber(nLine));
    }
    return true;
}

int CFindInFilesWnd::LineAt(const QPoint& point)
{
    CTextLayout& layout = Layout();
    if (point.y() < 0 || m_results.GetCount() == 0)
        return -1;
    const int nRow = layout.GetSubLineIndex(layout.GetTopLine()) + layout.GetTopSubLine() +
                     point.y() / std::max(layout.GetLineHeight(), 1);
    if (nRow >= layout.GetTotalRows())
        return -1;
    int nLine = 0, nSubLine = 0;
    layout.GetLineFromRow(nRow, nLine, nSubLine);
    return nLine < m_results.GetCount() ? nLine : -1;
}

void CFindInFilesWnd::MoveCaretTo(int nLine, bool bScroll)
{
    SetCaret({0, nLine});
    if (!bScroll)
        return;
    CTextLayout& layout = Layout();
    const int nRow = layout.GetSubLineIndex(nLine);
    const int nTop = layout.GetSubLineIndex(layout.GetTopLine()) + layout.GetTopSubLine();
    const int nRows = layout.GetScreenRows();
    if (nRow < nTop)
        ScrollToRow(nRow);
    else if (nRow >= nTop + nRows)
        ScrollToRow(nRow - nRows + 1);
}

void CFindInFilesWnd::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const int nLine = LineAt(event->position().toPoint());
    if (nLine >= 0)
        MoveCaretTo(nLine, false);
    event->accept();
}

void CFindInFilesWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        ActivateLine(LineAt(event->position().toPoint()));
    event->accept();
}

void CFindInFilesWnd::keyPressEvent(QKeyEvent* event)
{
    const int nCount = m_results.GetCount();
    const int nCaret = Layout().GetCaret().y;
    const int nPage = std::max(Layout().GetScreenRows() - 1, 1);
    int nTarget = -1;
    switch (event->key())
    {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ActivateLine(nCaret);
        return;
    case Qt::Key_Up:
        nTarget = nCaret - 1;
        break;
    case Qt::Key_Down:
        nTarget = nCaret + 1;
        break;
    case Qt::Key_PageUp:
        nTarget = nCaret - nPage;
        break;
    case Qt::Key_PageDown:
        nTarget = nCaret + nPage;
        break;
    case Qt::Key_Home:
        nTarget = 0;
        break;
    case Qt::Key_End:
        nTarget = nCount - 1;
        break;
    default:
        CTarvoTextView::keyPressEvent(event);
        return;
    }
    if (nCount > 0)
        MoveCaretTo(std::clamp(nTarget, 0, nCount - 1), true);
    event->accept();
}

// --- Output bar -----------------------------------------------------------------------------

CFindInFilesOutputBar::CFindInFilesOutputBar(QWidget* parent) : QTabWidget(parent)
{
    setObjectName(QStringLiteral("FindInFilesOutputBar"));
    setTabPosition(QTabWidget::South);
    setDocumentMode(true);
    for (int i = 0; i < kPaneCount; ++i)
    {
        auto* pPane = new CFindInFilesWnd(this);
        pPane->setObjectName(QStringLiteral("FindInFiles%1").arg(i + 1));
        m_panes.push_back(pPane);
        addTab(pPane, tr("Find in Files %1").arg(i + 1));
    }
    SelectPane(s_nRememberedPane);
    connect(this, &QTabWidget::currentChanged, this,
            [](int nIndex)
            {
                if (nIndex >= 0)
                    s_nRememberedPane = nIndex;
            });
}

int CFindInFilesOutputBar::RememberedPane()
{
    return s_nRememberedPane;
}

CFindInFilesWnd* CFindInFilesOutputBar::Pane(int nIndex) const
{
    return nIndex >= 0 && nIndex < kPaneCount ? m_panes[static_cast<size_t>(nIndex)] : nullptr;
}

void CFindInFilesOutputBar::SelectPane(int nIndex)
{
    setCurrentIndex(nIndex >= 0 && nIndex < kPaneCount ? nIndex : 0);
}

void CFindInFilesOutputBar::SetOpenHook(const CFindInFilesWnd::OpenFn& open)
{
    for (CFindInFilesWnd* pPane : m_panes)
        pPane->SetOpenHook(open);
}

void CFindInFilesOutputBar::contextMenuEvent(QContextMenuEvent* event)
{
    if (!tabBar()->geometry().contains(event->pos()))
    {
        QTabWidget::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    for (int i = 0; i < kPaneCount; ++i)
    {
        QAction* pAction = menu.addAction(tabText(i));
        pAction->setCheckable(true);
        pAction->setChecked(i == currentIndex());
        connect(pAction, &QAction::triggered, this, [this, i] { SelectPane(i); });
    }
    menu.addSeparator();
    QAction* pHide = menu.addAction(tr("Hide Output Bar"));
    connect(pHide, &QAction::triggered, this,
            [this]
            {
                if (m_hide)
                    m_hide();
            });
    menu.exec(event->globalPos());
}

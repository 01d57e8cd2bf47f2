#include "navigate/gui/DocumentViewPlace.h"

#include <QMdiSubWindow>

#include <algorithm>

#include "app/AppletDoc.h"
#include "app/gui/DocumentWindows.h"
#include "textview/gui/TarvoTextView.h"

namespace
{
// A position brought inside the text of the view's buffer.
STextPosition Clamp(CTarvoTextView& view, int x, int y)
{
    CTextLayout& layout = view.Layout();
    const int nLines = std::max(layout.GetLineCount(), 1);
    const int nLine = std::clamp(y, 0, nLines - 1);
    return {std::clamp(x, 0, std::max(layout.GetLineLength(nLine), 0)), nLine};
}
} // namespace

SViewPlace CTextViewPlace::GetViewPlace() const
{
    CTextLayout& layout = m_view.Layout();
    SViewPlace place;
    place.nScrollX = layout.GetOffsetChar();
    place.nScrollY = layout.GetTopLine();
    place.nCaretX = layout.GetCaret().x;
    place.nCaretY = layout.GetCaret().y;
    if (layout.HasSelection())
    {
        STextPosition ptStart, ptEnd;
        layout.GetDrawSelection(ptStart, ptEnd);
        place.nSelectionStartX = ptStart.x;
        place.nSelectionStartY = ptStart.y;
        place.nSelectionEndX = ptEnd.x;
        place.nSelectionEndY = ptEnd.y;
    }
    return place;
}

void CTextViewPlace::SetViewPlace(const SViewPlace& place, bool bScrollX)
{
    CTextLayout& layout = m_view.Layout();
    const STextPosition caret = Clamp(m_view, place.nCaretX, place.nCaretY);
    const bool bSelectionFits = place.HasSelection() &&
                                place.nSelectionEndY < layout.GetLineCount() &&
                                place.nSelectionStartY >= 0;
    if (bSelectionFits)
    {
        const STextPosition ptStart = Clamp(m_view, place.nSelectionStartX, place.nSelectionStartY);
        const STextPosition ptEnd = Clamp(m_view, place.nSelectionEndX, place.nSelectionEndY);
        // The selection grows from the end the caret is not on.
        const bool bCaretAtStart = caret == ptStart;
        m_view.SetSelection(bCaretAtStart ? ptEnd : ptStart, bCaretAtStart ? ptStart : ptEnd);
    }
    else
        m_view.SetSelection(caret, caret);
    m_view.SetCaret(caret);
    const int nTopLine = std::clamp(place.nScrollY, 0, std::max(layout.GetLineCount() - 1, 0));
    m_view.ScrollToRow(layout.GetSubLineIndex(nTopLine));
    if (bScrollX)
        m_view.ScrollToColumn(std::max(place.nScrollX, 0));
}

CTarvoTextView* FindTextView(CDocumentWindows& windows, CAppletDoc& doc)
{
    for (QMdiSubWindow* pFrame : windows.FramesOf(doc))
    {
        QWidget* pWidget = pFrame->widget();
        if (auto* pView = qobject_cast<CTarvoTextView*>(pWidget))
            return pView;
        if (pWidget)
            if (auto* pView = pWidget->findChild<CTarvoTextView*>())
                return pView;
    }
    return nullptr;
}

void GoToLineCentered(CTarvoTextView& view, int nLine)
{
    CTextLayout& layout = view.Layout();
    const int nIndex = std::clamp(nLine - 1, 0, std::max(layout.GetLineCount() - 1, 0));
    view.SetSelection({0, nIndex}, {0, nIndex});
    view.SetCaret({0, nIndex});
    const int nTop = std::max(nIndex - layout.GetScreenRows() / 2, 0);
    view.ScrollToRow(layout.GetSubLineIndex(nTop));
    view.ScrollToColumn(0);
}

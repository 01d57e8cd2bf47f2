#pragma once
// The editing controller's view of a CTextLayout: columns, rows of wrapped lines, the
// scroll position and the pointer mapping, so that Up, Down, Home, End, Page Up and Page
// Down follow display rows under word wrap exactly as the view draws them.
//
// The adapter scrolls the layout itself; the widget that owns the layout learns of it
// through the scrolled hook (to move its scroll bars and repaint) and of a request to
// repaint everything through the invalidate hook. Neither hook is called from inside a
// query.

#include <functional>

#include "textview/TextEditGeometry.h"

class CTextLayout;

class CTextLayoutGeometry : public ITextEditGeometry
{
public:
    explicit CTextLayoutGeometry(CTextLayout& layout) : m_layout(layout) {}

    void SetScrolledHook(std::function<void()> fn) { m_fnScrolled = std::move(fn); }
    void SetInvalidateHook(std::function<void()> fn) { m_fnInvalidate = std::move(fn); }

    int CharToColumn(int nLine, int nChar, bool bFromLineStart) const override;
    // On a row that is not the line's last, a column past the row's end falls on the row's
    // last character: the row's end is the next row's start, where the caret would show
    // on the next row.
    int ColumnToChar(int nLine, int nColumn, int nSubLine) const override;
    int GetSubLineCount(int nLine) const override;
    int GetSubLineStart(int nLine, int nSubLine) const override;
    int GetSubLineIndex(int nLine) const override;
    void GetLineBySubLineIndex(int nRow, int& nLine, int& nSubLine) const override;
    int GetSubLineTotal() const override;
    int GetScreenRows() const override;
    int GetScreenColumns() const override;
    int GetTopSubLine() const override;
    void ScrollToSubLine(int nRow) override;
    int GetOffsetChar() const override;
    void ScrollToColumn(int nColumn) override;
    void EnsureVisible(const STextPosition& pt) override;
    void InvalidateAll() override;
    int GetMarginWidth() const override;
    int GetLineHeight() const override;
    int GetClientWidth() const override;
    int GetClientHeight() const override;
    // A point in the right half of a cell belongs to the boundary after it.
    STextPosition ClientToText(int x, int y) const override;
    int ClientToSubLineIndex(int y) const override;

private:
    void Scrolled() const;

    CTextLayout& m_layout;
    std::function<void()> m_fnScrolled;
    std::function<void()> m_fnInvalidate;
};

#pragma once
// The text view of a document as the reopening service and find in files move it: its
// place (scroll position, caret, selection) read and set, and a line brought to the middle.

#include "navigate/ReopenService.h"

class CTarvoTextView;
class CAppletDoc;
class CDocumentWindows;

class CTextViewPlace : public CViewPlaceTarget
{
public:
    explicit CTextViewPlace(CTarvoTextView& view) : m_view(view) {}
    SViewPlace GetViewPlace() const override;
    // Lines and characters beyond the text are brought inside it; a selection that does not
    // fit whole is dropped.
    void SetViewPlace(const SViewPlace& place, bool bScrollX) override;

private:
    CTarvoTextView& m_view;
};

// The first text view among the frames of a document, or null.
CTarvoTextView* FindTextView(CDocumentWindows& windows, CAppletDoc& doc);

// Puts the caret at the start of a line (counted from 1) and scrolls so that the line
// stands in the middle of the view: the top line is the line minus half the visible lines,
// at least 0. A line beyond the text goes to the last line.
void GoToLineCentered(CTarvoTextView& view, int nLine);

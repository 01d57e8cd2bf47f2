#pragma once
// The display toggles of the text view's View menu as a command target: each command
// flips one option of the view's layout, shows the option as its check mark and stores
// the new state in the text edit settings, so that views opened later start with it.
// Show Whitespace and Show Line Endings are switches of the document: the document may
// take them over through the hook and apply them to all its views.

#include <cstdint>
#include <functional>
#include <vector>

#include "textview/TextLayout.h"
#include "ui/CommandTarget.h"

struct CTextEditSettings;

constexpr int ID_VIEW_HIGHLIGHT_SYNTAX = 44600;
constexpr int ID_VIEW_HIGHLIGHT_LINE = 44601;
constexpr int ID_VIEW_LINE_NUMBERS = 44610;
constexpr int ID_VIEW_MARGIN = 44612;
constexpr int ID_VIEW_WRAP_LINES = 44614;
constexpr int ID_VIEW_LINE_ENDINGS = 44616;
constexpr int ID_VIEW_WHITESPACE = 44617;
constexpr int ID_VIEW_CHANGE_MARKS = 44618;

class CTextViewOptions : public CCommandTarget
{
public:
    // pSettings may be null (nothing is stored then).
    CTextViewOptions(CTextLayout& layout, CTextEditSettings* pSettings);

    // Gives the layout the options the settings hold (a new view).
    void ApplySettings();

    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // The menu entries of the toggles, in menu order.
    static const std::vector<SCommandInfo>& GetCommandInfos();

    // After a command changed the layout: the widget recomputes its scroll bars, caret and
    // paint. Receives the command id.
    std::function<void(int nId)> m_fnChanged;
    // When set, Show Whitespace and Show Line Endings go to the document, which applies the
    // new switches to every view of it; otherwise they apply to this view.
    std::function<void(bool bWhitespace, bool bLineEndings)> m_fnDocumentSwitches;

private:
    bool IsChecked(int nId) const;
    CTextLayout& m_layout;
    CTextEditSettings* m_pSettings;
};

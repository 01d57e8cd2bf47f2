#pragma once
// What the Find, Replace and Go to Line dialogs and the syntax-type menu decide, apart from
// any window: their initial values, which buttons are enabled and default, and what each
// button does to the view. The Qt dialogs show these values and forward their buttons.

#include <cstdint>
#include <string>
#include <vector>

#include "text/TextPosition.h"
#include "textview/TextEditCommands.h"

class CTarvoTextEditController;
class CSyntaxParserFactory;

// Control ids of the dialogs.
enum : int
{
    IdcFindWhat = 10116,
    IdcWholeWord = 10108,
    IdcMatchCase = 10030,
    IdcRegExp = 10089,
    IdcUp = 10021,
    IdcDown = 10142,
    IdcHighlightAll = 10176,
    IdcReplaceWith = 10115,
    IdcDontWrap = 10120,
    IdcScopeSelection = 10118,
    IdcScopeWholeFile = 10119,
    IdcReplaceAll = 10121,
    IdcFindNextButton = 10111,
    IdcReplaceButton = 10117,
    IdcGoToLine = 10038,
    IdcGoToRange = 10125,
    IdcRelative = 10124,
};

// The Find dialog's fields.
struct SFindDialogValues
{
    std::string strText;
    bool bWholeWord = false;
    bool bMatchCase = false;
    bool bRegExp = false;
    bool bUp = false;
    std::vector<std::string> recent;

    uint32_t Flags() const;
};

// The values the Find dialog opens with: the last search's options and text (all off and
// down without one); then the selected text when the selection lies within one line, or
// without a selection the word at the caret when it is not empty.
SFindDialogValues InitFindDialog(CTarvoTextEditController& controller);

// The Replace dialog while it is open: its fields, its block and position, the current
// match. The block and the position follow the replacements it makes.
class CTextReplaceSession
{
public:
    explicit CTextReplaceSession(CTarvoTextEditController& controller);

    std::string m_strFind;
    std::string m_strReplace;
    bool m_bWholeWord = false;
    bool m_bMatchCase = false;
    bool m_bRegExp = false;
    bool m_bDontWrap = false;
    bool m_bSelectionScope = false;
    std::vector<std::string> m_recentFind;
    std::vector<std::string> m_recentReplace;

    bool IsSelectionEnabled() const { return m_bSelectionEnabled; }
    // "Find Next", "&Replace" and "Replace &All" need a find text.
    bool AreButtonsEnabled() const { return !m_strFind.empty(); }
    // IdcReplaceButton after a match was found, else IdcFindNextButton.
    int GetDefaultButton() const { return m_nDefaultButton; }
    bool HasMatch() const { return m_bHasMatch; }
    uint32_t Flags() const;

    // "Find Next": the next match is selected; not found says so (when bMessage).
    bool FindNext(bool bMessage = true);
    // "&Replace": replaces the current match and finds the next one; without a current
    // match it is "Find Next".
    bool Replace();
    // "Replace &All": every match in one undo group; returns the number replaced.
    int ReplaceAll();
    // The dialog closes: its text and options become the last search; in the selection
    // scope the (adjusted) block is selected again.
    void Close();

    STextPosition GetBlockBegin() const { return m_ptBlockBegin; }
    STextPosition GetBlockEnd() const { return m_ptBlockEnd; }

private:
    bool Search(const STextPosition& ptFrom, STextPosition& ptFound);
    // Where a search continues after a match: one character after its start (the start of
    // the next line at a line end); false past the last line.
    bool StepAfter(const STextPosition& pt, STextPosition& ptNext) const;
    // A position behind a replaced match moves with the text behind it.
    static STextPosition ShiftBehind(const STextPosition& pt, const STextPosition& ptMatchEnd,
                                     const STextPosition& ptReplacementEnd);

    CTarvoTextEditController& m_controller;
    bool m_bSelectionEnabled = false;
    STextPosition m_ptBlockBegin;
    STextPosition m_ptBlockEnd;
    STextPosition m_ptPosition;
    STextPosition m_ptMatchStart;
    STextPosition m_ptMatchEnd;
    bool m_bHasMatch = false;
    int m_nDefaultButton = IdcFindNextButton;
};

// The Go to Line dialog.
struct SGoToLine
{
    // "(0 - n)" with the line count.
    static std::string RangeText(int nLineCount);
    // The field starts with the caret's line as the user counts it, from 1.
    static int InitialValue(int nCaretLine) { return nCaretLine + 1; }
    // A whole number from 0 to the line count.
    static bool Parse(const std::string& text, int nLineCount, int& nValue);
    // Moves the caret: line n - 1 (n = 0 gives line 0; plus the caret's line index when
    // relative), not beyond the last line; the caret keeps its character index as far as
    // the target line is long.
    static void Apply(CTarvoTextEditController& controller, int nValue, bool bRelative);
};

// The "&Syntax Type" pop-up: "&None" (36800) for plain text, a separator and one item per
// further parser (36800 + its id), the current one checked.
std::vector<STextMenuItem> BuildSyntaxTypeMenu(const CSyntaxParserFactory& factory,
                                               int nCurrentParserId);

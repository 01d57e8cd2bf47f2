#pragma once
// The rules of the hex entry field of the search and go-to dialogs, without a widget:
// only hex digits are typed, the digits stand in groups of four counted from the right,
// and after each edit the caret stays on the digit it stood on.
//
// The widget hands each key to the rules together with its text, caret and selection,
// and takes back the new text and caret.

#include <cstddef>
#include <string>

struct SHexEntryState
{
    std::string m_strText;
    size_t m_nCaret = 0;
    size_t m_nAnchor = 0; // equal to the caret when nothing is selected
};

enum class EHexEntryResult
{
    Handled, // the state was changed (or stays) as the rules say
    Ignored, // the key does nothing (the space key)
    Beep,    // the key is refused: beep (5000 Hz, 200 ms) and drop it
    Default, // not a key of the rules: the widget handles it as usual
};

class CHexEntryRules
{
public:
    explicit CHexEntryRules(bool bUppercase = true) : m_bUppercase(bUppercase) {}
    void SetUppercase(bool bUppercase) { m_bUppercase = bUppercase; }

    // A typed character (printable, or 8 for Backspace).
    EHexEntryResult OnChar(char c, SHexEntryState& state) const;
    // Delete, Left and Right keys; Shift extends the selection as usual (Default).
    EHexEntryResult OnDelete(SHexEntryState& state) const;
    EHexEntryResult OnLeft(bool bShift, SHexEntryState& state) const;
    EHexEntryResult OnRight(bool bShift, SHexEntryState& state) const;

    // Keeps only the hex digits in the set case, grouped in fours from the right, with
    // the caret after as many digits as stood before it.
    void Reformat(SHexEntryState& state) const;

private:
    static void EraseSelection(SHexEntryState& state);

    bool m_bUppercase;
};

#include "hex/HexEntryRules.h"

#include <algorithm>
#include <cctype>

#include "hex/HexFormat.h"

namespace
{
bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

size_t DigitsBefore(const std::string& text, size_t nPosition)
{
    return static_cast<size_t>(std::count_if(
        text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(nPosition, text.size())),
        IsHexDigit));
}
} // namespace

void CHexEntryRules::EraseSelection(SHexEntryState& state)
{
    const size_t nFrom = std::min(state.m_nCaret, state.m_nAnchor);
    const size_t nTo = std::min(std::max(state.m_nCaret, state.m_nAnchor), state.m_strText.size());
    if (nFrom < nTo)
    {
        state.m_strText.erase(nFrom, nTo - nFrom);
    }
    state.m_nCaret = state.m_nAnchor = std::min(nFrom, state.m_strText.size());
}

void CHexEntryRules::Reformat(SHexEntryState& state) const
{
    const size_t nDigits = DigitsBefore(state.m_strText, state.m_nCaret);
    state.m_strText = RegroupHexText(state.m_strText, m_bUppercase);
    // The caret goes right before the digit that followed it (a group blank in between
    // is passed), or to the end when no digit followed.
    size_t nCaret = 0;
    size_t nSeen = 0;
    while (nCaret < state.m_strText.size())
    {
        if (IsHexDigit(state.m_strText[nCaret]))
        {
            if (nSeen == nDigits)
            {
                break;
            }
            ++nSeen;
        }
        ++nCaret;
    }
    state.m_nCaret = state.m_nAnchor = nCaret;
}

EHexEntryResult CHexEntryRules::OnChar(char c, SHexEntryState& state) const
{
    if (c == ' ')
    {
        return EHexEntryResult::Ignored;
    }
    if (c == '\b')
    {
        if (state.m_nCaret != state.m_nAnchor)
        {
            EraseSelection(state);
        }
        else if (state.m_nCaret > 0)
        {
            size_t nCaret = std::min(state.m_nCaret, state.m_strText.size());
            // Right after a group blank: the blank and the digit before it go.
            size_t nErase = 1;
            if (state.m_strText[nCaret - 1] == ' ' && nCaret >= 2)
            {
                nErase = 2;
            }
            state.m_strText.erase(nCaret - nErase, nErase);
            state.m_nCaret = state.m_nAnchor = nCaret - nErase;
        }
        Reformat(state);
        return EHexEntryResult::Handled;
    }
    if (!IsHexDigit(c))
    {
        return EHexEntryResult::Beep;
    }
    EraseSelection(state);
    state.m_strText.insert(state.m_nCaret, 1, c);
    state.m_nCaret = state.m_nAnchor = state.m_nCaret + 1;
    Reformat(state);
    return EHexEntryResult::Handled;
}

EHexEntryResult CHexEntryRules::OnDelete(SHexEntryState& state) const
{
    if (state.m_nCaret != state.m_nAnchor)
    {
        EraseSelection(state);
    }
    else if (state.m_nCaret < state.m_strText.size())
    {
        // A digit followed by a group blank goes together with the blank.
        const size_t nErase = (state.m_nCaret + 1 < state.m_strText.size() &&
                               state.m_strText[state.m_nCaret + 1] == ' ')
                                  ? 2
                                  : 1;
        state.m_strText.erase(state.m_nCaret, nErase);
    }
    if (!state.m_strText.empty())
    {
        Reformat(state);
    }
    return EHexEntryResult::Handled;
}

EHexEntryResult CHexEntryRules::OnLeft(bool bShift, SHexEntryState& state) const
{
    if (bShift)
    {
        return EHexEntryResult::Default;
    }
    size_t nCaret = std::min(state.m_nCaret, state.m_nAnchor);
    if (state.m_nCaret == state.m_nAnchor && nCaret > 0)
    {
        // A blank before the caret is skipped.
        nCaret -= (nCaret >= 2 && state.m_strText[nCaret - 1] == ' ') ? 2 : 1;
    }
    state.m_nCaret = state.m_nAnchor = nCaret;
    if (!state.m_strText.empty())
    {
        Reformat(state);
    }
    return EHexEntryResult::Handled;
}

EHexEntryResult CHexEntryRules::OnRight(bool bShift, SHexEntryState& state) const
{
    if (bShift)
    {
        return EHexEntryResult::Default;
    }
    size_t nCaret = std::max(state.m_nCaret, state.m_nAnchor);
    if (state.m_nCaret == state.m_nAnchor && nCaret < state.m_strText.size())
    {
        ++nCaret;
    }
    state.m_nCaret = state.m_nAnchor = nCaret;
    if (!state.m_strText.empty())
    {
        Reformat(state);
    }
    return EHexEntryResult::Handled;
}

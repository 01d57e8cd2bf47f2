#pragma once
// What the text buffer needs of a view that shows it. The text view implements it; the
// buffer keeps plain pointers to the attached views and never owns them.

#include <cstdint>

class CUpdateContext;

// Update hints: what an edit changed. The buffer sends
//   HintSingleLine | HintLineLength  after an edit inside one line (with that line),
//   HintLineLength | HintLineCount   after an edit that inserted or removed lines (with the
//                                    first changed line),
//   HintSingleLine | HintLineMarks   after a line flag changed (with that line),
//   HintReset                        after the buffer was made new (line -1),
//   HintLineMarks                    after a save that moved the saved revision (line -1).
constexpr uint32_t HintLineLength = 0x0001;
constexpr uint32_t HintLineCount = 0x0002;
constexpr uint32_t HintSingleLine = 0x0100;
constexpr uint32_t HintLineMarks = 0x0200;
constexpr uint32_t HintReset = 0x1000;

class CTextBufferView
{
public:
    virtual ~CTextBufferView() = default;

    // After every change. pSource is the view whose command made the edit (may be null);
    // pContext maps positions across the edit and is null for hints without an edit.
    virtual void OnUpdate(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint, int nLine) = 0;
    // Just before the buffer changes its text or its lines (an edit, a line-ending
    // conversion, emptying it for a load). A view whose worker threads read the lines
    // stops them here and waits for them.
    virtual void OnBeforeTextChange()
    {
    }
    // The buffer's parser was replaced.
    virtual void OnParserChanged()
    {
    }
    // An undo group that this view's command recorded was closed; nAction and pszText are
    // those of the group's last record. Typing aids such as automatic indentation use it.
    virtual void OnUndoGroupClosed(int nAction, const char* pszText)
    {
        (void)nAction;
        (void)pszText;
    }
    // Display rows that a line takes beyond its wrapped rows; the word-wrap code asks once
    // per line and caches the answer in the line record.
    virtual int GetExtraRows(int nLine)
    {
        (void)nLine;
        return 0;
    }
};

#pragma once
// What a hex buffer tells the views attached to it, and how it talks to the user.
//
// The buffer knows no toolkit: a view implements CHexBufferView to receive update hints
// and a CHexMessageSink to show the buffer's and the search's message boxes. Tests
// implement both to record what the user would see.

#include <cstdint>
#include <string>

class CHexBufferView;

// Base of every update hint, so that a view can tell the kinds apart (dynamic_cast).
class CHexUpdateHint
{
public:
    virtual ~CHexUpdateHint() = default;
};

// One change as the views must apply it. type is the change code ('I', 'R', '<', 'D',
// 'B'), count bytes from offset. nRecord is the index of the change record that was
// added, or -1 when the change merged into the newest one. bUndo marks the reverse change
// sent by an undo.
class CHexHint : public CHexUpdateHint
{
public:
    CHexHint(uint32_t nType, uint32_t nCount, uint32_t nOffset, CHexBufferView* pSender,
             int32_t nRecord, bool bUndo)
        : m_nType(nType), m_nCount(nCount), m_nOffset(nOffset), m_pSender(pSender),
          m_nRecord(nRecord), m_bUndo(bUndo)
    {
    }

    uint32_t m_nType;
    uint32_t m_nCount;
    uint32_t m_nOffset;
    CHexBufferView* m_pSender;
    int32_t m_nRecord;
    bool m_bUndo;
};

// Sent before the newest record is undone: the views reset their typing sequences.
class CUndoHint : public CHexUpdateHint
{
public:
    CUndoHint(CHexBufferView* pSender, int32_t nRecord) : m_pSender(pSender), m_nRecord(nRecord) {}

    CHexBufferView* m_pSender;
    int32_t m_nRecord;
};

// Every record up to and including m_nLastRecord has been dropped (after a save).
class CRemoveHint : public CHexUpdateHint
{
public:
    explicit CRemoveHint(int32_t nLastRecord) : m_nLastRecord(nLastRecord) {}

    int32_t m_nLastRecord;
};

// A view attached to a buffer. The buffer calls OnBufferUpdate on every attached view, in
// the order they attached, after each change, undo and save. The hint lives only for the
// duration of the call. The buffer itself always passes no sender and hint code 0.
class CHexBufferView
{
public:
    virtual ~CHexBufferView() = default;
    virtual void OnBufferUpdate(CHexBufferView* pSender, long nHintCode, CHexUpdateHint* pHint) = 0;
};

// The user's side of the hex engine: modal message boxes and the status line. Texts use
// '\r' for a line break, as the message boxes show it.
class CHexMessageSink
{
public:
    virtual ~CHexMessageSink() = default;
    // A modal message with an OK button.
    virtual void ShowMessage(const std::string& strText) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& strText) = 0;
    // A modal question with OK and Cancel; true for OK.
    virtual bool AskOkCancel(const std::string& strText) = 0;
    // A short note for the view's status line; shows nothing unless a view wants it.
    virtual void ShowStatusMessage(const std::string& /*strText*/) {}
};

// A sink that shows nothing and answers No and Cancel; used when nobody listens.
class CSilentHexMessageSink : public CHexMessageSink
{
public:
    void ShowMessage(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    bool AskOkCancel(const std::string&) override { return false; }
};

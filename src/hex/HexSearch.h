#pragma once
// Searching the data of a hex buffer for bytes or text, highlighting the matches in view,
// and checking go-to targets. Toolkit-free: the view hands in its selection, a progress
// hook and a message sink, and moves its caret by the result.

#include "hex/HexEditBuffer.h"
#include "hex/HexHints.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A parsed search text.
struct SHexPattern
{
    std::vector<uint8_t> m_bytes;
    bool m_bIgnoreCase = false; // "~text"
    bool m_bText = false;       // "=text" or "~text" (moves the caret to the character area)
};

// Reads a search text: "=" and at least one character: those characters exactly; "~" and
// at least one character: those characters ignoring case (ASCII letters); anything else:
// hex digits, every other character ignored, pairs making bytes high nibble first and an
// odd last digit making a byte of its own value ("ABC" is 0xAB 0x0C). False when there is
// no search text ("=" alone, or no hex digit at all).
bool ParseHexSearchText(const std::string& strText, SHexPattern& pattern);

// Called at the search's checkpoints. The view processes its pending paint messages and
// says whether an Escape key press is waiting.
class CHexSearchProgress
{
public:
    virtual ~CHexSearchProgress() = default;
    virtual bool IsEscapePending() = 0;
};

enum class EHexSearchOutcome
{
    Found,
    NotFound,
    Aborted,
};

// Boyer–Moore with the bad-character rule over the buffer's data, read in windows of
// min(m + 32767, n) bytes that overlap by m − 1 bytes, so that nothing is ever held in
// proportion to the file.
class CHexSearcher
{
public:
    // The pattern must not be empty.
    explicit CHexSearcher(const SHexPattern& pattern);

    // First match starting at or after nStart.
    EHexSearchOutcome SearchForward(const CTarvoHexEditBuffer& buffer, uint32_t nStart,
                                    CHexSearchProgress* pProgress, CHexMessageSink* pMessages,
                                    uint32_t& nMatch) const;
    // Last match ending at or before nEnd.
    EHexSearchOutcome SearchBackward(const CTarvoHexEditBuffer& buffer, uint32_t nEnd,
                                     CHexSearchProgress* pProgress, CHexMessageSink* pMessages,
                                     uint32_t& nMatch) const;
    // Every match (overlapping ones included) that starts in [nFrom, nTo), as
    // [start, end) ranges in order.
    std::vector<std::pair<uint32_t, uint32_t>> FindAll(const CTarvoHexEditBuffer& buffer,
                                                       uint32_t nFrom, uint32_t nTo) const;

    // Inside one block: the first match starting at or after nFrom, or the last match
    // starting at or before nLastStart; -1 when none.
    int64_t FindInBlock(const uint8_t* pBlock, size_t nLength, size_t nFrom) const;
    int64_t FindLastInBlock(const uint8_t* pBlock, size_t nLength, size_t nLastStart) const;

    uint32_t GetWindowSize(uint32_t nDataLength) const;

private:
    bool MatchesAt(const uint8_t* pText) const;

    std::vector<uint8_t> m_pattern; // upper-cased when ignoring case
    bool m_bIgnoreCase;
    uint32_t m_forward[256];     // distance from the last occurrence to the end; m when absent
    uint32_t m_backward[256];    // index of the first occurrence; m when absent
    uint32_t m_nShiftAfterLast;  // forward shift once the last byte has matched
    uint32_t m_nShiftAfterFirst; // backward shift once the first byte has matched
    bool m_bSingleFormLast;      // the last byte matches only itself (not ignoring case)
    bool m_bSingleFormFirst;     // likewise the first byte
};

// The result of a whole search as the view applies it.
struct SHexFindResult
{
    uint32_t m_nStart = 0;
    uint32_t m_nEnd = 0;
    bool m_bText = false; // a text search: the caret goes to the character area
};

// Searches the buffer for strText from the selection [nSelStart, nSelEnd): forward from
// its start (one further when it is not empty, so that repeating finds the next match,
// overlapping ones included), or backward to its end (one less when not empty). Shows
// every message of a search (no search text, pattern too long, not found); an aborted
// search shows none. Returns the match, or nothing when the caret must stay.
std::optional<SHexFindResult> HexFind(const CTarvoHexEditBuffer& buffer, const std::string& strText,
                                      bool bForward, uint32_t nSelStart, uint32_t nSelEnd,
                                      CHexMessageSink& messages, CHexSearchProgress* pProgress);

// The matches of strText that start within the visible bytes [nFrom, nTo), for
// highlighting; empty when the text holds no pattern or it is longer than the data.
std::vector<std::pair<uint32_t, uint32_t>> HexFindAllInRange(const CTarvoHexEditBuffer& buffer,
                                                             const std::string& strText,
                                                             uint32_t nFrom, uint32_t nTo);

// A caret and anchor for the view's SetSelection, checked against the data length n.
struct SHexSelection
{
    uint32_t m_nCaret = 0;
    uint32_t m_nAnchor = 0;
};

// Checks a jump target: a caret below 0 or beyond n asks "Attempt to jump to invalid
// address %ld\rJump to EOF instead and continue?"; OK puts the caret at n, Cancel gives
// nothing. An anchor outside 0..n collapses onto the caret. Positions are taken as 64-bit
// so that every address of a file above 2 GiB is valid.
std::optional<SHexSelection> CheckHexSelection(int64_t nCaret, int64_t nAnchor, uint32_t nLength,
                                               CHexMessageSink& messages);

// Reads a number typed into an address field: every character that is not a digit of
// the base is ignored (letters are the digits from 10 on), and the value wraps at 32 bits.
uint32_t ParseAddressText(const std::string& strText, int nBase);

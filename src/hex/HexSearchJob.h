#pragma once
// One find of the hex view, run on a worker thread while the window stays alive.
//
// The user-interface thread checks the search text (Prepare), starts Run on a worker,
// reads GetDone for the progress and calls Abort when the user answers "Abort search?"
// with Yes. The worker only reads the buffer: nothing may change it until Run returns.
// Results and messages are taken on the user-interface thread after the worker ended.

#include <atomic>
#include <cstdint>
#include <string>

#include "hex/HexEditBuffer.h"
#include "hex/HexSearch.h"

class CHexSearchJob
{
public:
    // Parses the text and checks it against the data. False with the message to show
    // ("There is no search text", "Search byte sequence is longer than the file", ...).
    static bool Prepare(const CTarvoHexEditBuffer& buffer, const std::string& strText,
                        SHexPattern& pattern, std::string& strMessage);

    // Forward from the selection start (one further when the selection is not empty), or
    // backward to the selection end (one less when not empty).
    CHexSearchJob(const CTarvoHexEditBuffer& buffer, const SHexPattern& pattern, bool bForward,
                  uint32_t nSelStart, uint32_t nSelEnd);

    // The search itself; returns when found, not found or aborted.
    void Run();
    void Abort() { m_bAbort.store(true, std::memory_order_relaxed); }

    // Bytes searched so far, of GetTotal (for the progress bar).
    uint64_t GetDone() const { return m_nDone.load(std::memory_order_relaxed); }
    uint64_t GetTotal() const { return m_nTotal; }

    EHexSearchOutcome GetOutcome() const { return m_eOutcome; }
    const SHexFindResult& GetResult() const { return m_result; }
    // The message for a search that found nothing (none for an aborted one).
    std::string GetNotFoundMessage() const;

private:
    void RunForward();
    void RunBackward();

    const CTarvoHexEditBuffer& m_buffer;
    SHexPattern m_pattern;
    CHexSearcher m_searcher;
    bool m_bForward;
    uint64_t m_nFrom; // forward: first start; backward: end of the searched range
    uint64_t m_nTotal = 0;
    std::atomic<uint64_t> m_nDone{0};
    std::atomic<bool> m_bAbort{false};
    EHexSearchOutcome m_eOutcome = EHexSearchOutcome::NotFound;
    SHexFindResult m_result;
};

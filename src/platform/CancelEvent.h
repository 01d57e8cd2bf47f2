#pragma once
// A manual-reset event that one thread sets and another polls: it stays set until reset.
// Polling is a relaxed-cost atomic load, cheap enough to test after every line.

#include <atomic>

class CCancelEvent
{
public:
    void Set() { m_bSet.store(true, std::memory_order_release); }
    void Reset() { m_bSet.store(false, std::memory_order_release); }
    bool IsSet() const { return m_bSet.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_bSet{false};
};

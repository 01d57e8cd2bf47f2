#pragma once
// Large blocks of memory straight from the system, for stores that fill hundreds of
// megabytes in one go (the lines of a loaded file). A block of 2 MiB or more is offered
// huge pages, so filling it takes one page fault per 2 MiB instead of one per 4 KiB.

#include <cstddef>

// A zero-filled block of nBytes, or nullptr when the system has no room.
void* AllocateLargeBlock(size_t nBytes);
// Returns a block; nBytes must be the size it was allocated with.
void FreeLargeBlock(void* pBlock, size_t nBytes);

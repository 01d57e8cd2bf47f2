#include "platform/LargeBlock.h"

#include <sys/mman.h>

void* AllocateLargeBlock(size_t nBytes)
{
    if (nBytes == 0)
        return nullptr;
    void* block = mmap(nullptr, nBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        return nullptr;
#ifdef MADV_HUGEPAGE
    // Advice only: a system without huge pages ignores it.
    if (nBytes >= (size_t(2) << 20))
        madvise(block, nBytes, MADV_HUGEPAGE);
#endif
    return block;
}

void FreeLargeBlock(void* pBlock, size_t nBytes)
{
    if (pBlock != nullptr)
        munmap(pBlock, nBytes);
}

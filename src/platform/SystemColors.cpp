#include "platform/SystemColors.h"

#include <atomic>

namespace
{
constexpr int kCount = 31;

// The standard light scheme: what a desktop shows when nothing overrides it.
constexpr COLORREF kDefaults[kCount] = {
    0xC8C8C8, // 0 scroll bar
    0x000000, // 1 background (desktop)
    0xD1B499, // 2 active caption
    0xDBCDBF, // 3 inactive caption
    0xF0F0F0, // 4 menu
    0xFFFFFF, // 5 window
    0x646464, // 6 window frame
    0x000000, // 7 menu text
    0x000000, // 8 window text
    0x000000, // 9 caption text
    0xB4B4B4, // 10 active border
    0xFCF7F4, // 11 inactive border
    0xABABAB, // 12 application workspace
    0xD77800, // 13 highlight
    0xFFFFFF, // 14 highlight text
    0xF0F0F0, // 15 button face
    0xA0A0A0, // 16 button shadow
    0x6D6D6D, // 17 grey text
    0x000000, // 18 button text
    0x000000, // 19 inactive caption text
    0xFFFFFF, // 20 button highlight
    0x696969, // 21 3D dark shadow
    0xE3E3E3, // 22 3D light
    0x000000, // 23 info text
    0xE1FFFF, // 24 info background
    0x000000, // 25 (unused)
    0xCC6600, // 26 hot-track
    0xEAD1B9, // 27 gradient active caption
    0xF2E4D7, // 28 gradient inactive caption
    0xFF9933, // 29 menu highlight
    0xF0F0F0, // 30 menu bar
};

std::atomic<COLORREF> g_colors[kCount] = {
    kDefaults[0],  kDefaults[1],  kDefaults[2],  kDefaults[3],  kDefaults[4],  kDefaults[5],
    kDefaults[6],  kDefaults[7],  kDefaults[8],  kDefaults[9],  kDefaults[10], kDefaults[11],
    kDefaults[12], kDefaults[13], kDefaults[14], kDefaults[15], kDefaults[16], kDefaults[17],
    kDefaults[18], kDefaults[19], kDefaults[20], kDefaults[21], kDefaults[22], kDefaults[23],
    kDefaults[24], kDefaults[25], kDefaults[26], kDefaults[27], kDefaults[28], kDefaults[29],
    kDefaults[30],
};
} // namespace

COLORREF GetSysColor(int nIndex)
{
    if (nIndex < 0 || nIndex >= kCount)
        return 0;
    return g_colors[nIndex].load(std::memory_order_relaxed);
}

void SetSysColor(int nIndex, COLORREF color)
{
    if (nIndex < 0 || nIndex >= kCount)
        return;
    g_colors[nIndex].store(color & 0x00FFFFFFu, std::memory_order_relaxed);
}

void ResetSysColors()
{
    for (int i = 0; i < kCount; ++i)
        g_colors[i].store(kDefaults[i], std::memory_order_relaxed);
}

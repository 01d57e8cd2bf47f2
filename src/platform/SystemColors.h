#pragma once
// The system's display colours by their Windows index (COLOR_WINDOW = 5, ...), as
// COLORREF values 0x00BBGGRR. Core code reads them here; the GUI layer replaces the
// defaults with its palette's colours at start-up.

#include <cstdint>

using COLORREF = uint32_t;

// Indices 0..30; any other index gives 0 (black).
COLORREF GetSysColor(int nIndex);
// Sets one colour (GUI start-up, tests). Indices outside 0..30 are ignored.
void SetSysColor(int nIndex, COLORREF color);
// Restores the built-in defaults.
void ResetSysColors();

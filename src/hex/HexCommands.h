#pragma once
// The command ids of the hex view. The editing commands it shares with the text view keep
// the framework's standard numbers; the hex view's own commands follow from 0x8600.

namespace HexCommand
{
// Shared with every editor.
constexpr int kFileSave = 0xE103;
constexpr int kFileSaveAs = 0xE104;
constexpr int kEditClear = 0xE120; // Delete
constexpr int kEditCopy = 0xE122;
constexpr int kEditCut = 0xE123;
constexpr int kEditFind = 0xE124;
constexpr int kEditPaste = 0xE125;
constexpr int kEditRepeat = 0xE128; // Find Next
constexpr int kEditSelectAll = 0xE12A;
constexpr int kEditUndo = 0xE12B;

// The hex view's own.
constexpr int kToggleOvertype = 0x8600;
constexpr int kReadOnly = 0x8601;
constexpr int kToggleBookmark = 0x8602;
constexpr int kClearBookmarks = 0x8603;
constexpr int kGotoBookmark = 0x8604;
constexpr int kFindNext = 0x8605;
constexpr int kFindPrevious = 0x8606;
constexpr int kHighlightAll = 0x8607;
constexpr int kGoTo = 0x8608;
constexpr int kCharacterArea = 0x8609;
constexpr int kDecimalAddresses = 0x860A;
// An application command offered in the context menu; the hex view does not handle it.
constexpr int kCompareTo = 0x860B;
} // namespace HexCommand

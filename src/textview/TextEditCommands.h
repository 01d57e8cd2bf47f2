#pragma once
// The command ids of the text editor and its key table: what a key, a menu item or a
// tool-bar button asks the editing controller to do. Tests run the same ids.

#include <string>
#include <vector>

#include "ui/CommandTarget.h"

enum ETextEditCommand : int
{
    CmdDeleteBack = 36100,
    CmdDeleteWord = 36101,
    CmdDeleteWordBack = 36102,
    CmdCharLeft = 36200,
    CmdExtCharLeft = 36201,
    CmdCharRight = 36202,
    CmdExtCharRight = 36203,
    CmdWordLeft = 36210,
    CmdExtWordLeft = 36211,
    CmdWordRight = 36212,
    CmdExtWordRight = 36213,
    CmdLineUp = 36220,
    CmdExtLineUp = 36221,
    CmdLineDown = 36222,
    CmdExtLineDown = 36223,
    CmdScrollUp = 36230,
    CmdScrollDown = 36231,
    CmdPageUp = 36240,
    CmdExtPageUp = 36241,
    CmdPageDown = 36242,
    CmdExtPageDown = 36243,
    CmdLineEnd = 36250,
    CmdExtLineEnd = 36251,
    CmdHome = 36260,
    CmdExtHome = 36261,
    CmdTextBegin = 36270,
    CmdExtTextBegin = 36271,
    CmdTextEnd = 36272,
    CmdExtTextEnd = 36273,
    CmdMatchBrace = 36300,
    CmdTab = 36400,
    CmdUntab = 36401,
    CmdCommentSelection = 36410,
    CmdUncommentSelection = 36411,
    CmdLowercase = 36420,
    CmdUppercase = 36421,
    CmdInvertCase = 36423,
    CmdSentenceCase = 36424,
    CmdCapitalize = 36425,
    CmdGoLastChange = 36500,
    CmdToggleBookmark = 36600,
    CmdClearBookmarks = 36601,
    CmdPrevBookmark = 36603,
    CmdNextBookmark = 36604,
    CmdSyntaxFirst = 36800, // 36800 + parser id; 36800 itself is "&None"
    CmdSyntaxLast = 36899,
    CmdDelete = 42000,
    CmdFindPrevious = 42200,
    CmdFindNext = 42201,
    CmdHighlightAll = 42210,
    CmdGoTo = 42300,
    CmdToggleOverwrite = 42400,
    CmdReadOnly = 42500,
    CmdHeaderSource = 44620,
    CmdCopy = 57634,
    CmdCut = 57635,
    CmdFind = 57636,
    CmdPaste = 57637,
    CmdRepeatFind = 57640, // F3: reads Shift and Ctrl when it runs
    CmdReplace = 57641,
    CmdSelectAll = 57642,
    CmdUndo = 57643,
    CmdRedo = 57644,
    // The drop menu of a right-button drag.
    CmdDropMove = 35100,
    CmdDropCopy = 35101,
    CmdDropCancel = 35102,
};

// The key table of the text editor (every command with a key) followed by the commands
// that only menus reach. Keys are in QKeySequence's portable form; "Num+" marks the
// numeric pad.
const std::vector<SCommandInfo>& TextEditCommandTable();
// The entry of a command id, or null.
const SCommandInfo* FindTextEditCommand(int nId);

// One item of a pop-up menu; nId 0 is a separator.
struct STextMenuItem
{
    int nId = 0;
    std::string strText;
    bool bChecked = false;
    bool bEnabled = true;
};

// The context menu of the text: "Cu&t", "&Copy", "&Paste", "&Delete", "Toggle &Bookmark".
std::vector<STextMenuItem> TextContextMenuItems();
// The pop-up of a right-button drop: "&Move Here", "&Copy Here", "Cancel".
std::vector<STextMenuItem> TextDropMenuItems();

// Where the context menu opens: at the pointer, or 5 pixels inside the top-left corner of
// the client area when opened from the keyboard (client coordinates).
void TextContextMenuPoint(bool bFromKeyboard, int nPointerX, int nPointerY, int& x, int& y);

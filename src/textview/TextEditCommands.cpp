#include "textview/TextEditCommands.h"

const std::vector<SCommandInfo>& TextEditCommandTable()
{
    static const std::vector<SCommandInfo> table = {
        {CmdCharLeft, "Character Left", "Left"},
        {CmdExtCharLeft, "Select Character Left", "Shift+Left"},
        {CmdCharRight, "Character Right", "Right"},
        {CmdExtCharRight, "Select Character Right", "Shift+Right"},
        {CmdWordLeft, "Word Left", "Ctrl+Left"},
        {CmdExtWordLeft, "Select Word Left", "Ctrl+Shift+Left"},
        {CmdWordRight, "Word Right", "Ctrl+Right"},
        {CmdExtWordRight, "Select Word Right", "Ctrl+Shift+Right"},
        {CmdLineUp, "Line Up", "Up"},
        {CmdExtLineUp, "Select Line Up", "Shift+Up"},
        {CmdLineDown, "Line Down", "Down"},
        {CmdExtLineDown, "Select Line Down", "Shift+Down"},
        {CmdScrollUp, "Scroll Up", "Ctrl+Up"},
        {CmdScrollDown, "Scroll Down", "Ctrl+Down"},
        {CmdPageUp, "Page Up", "PgUp"},
        {CmdExtPageUp, "Select Page Up", "Shift+PgUp"},
        {CmdPageDown, "Page Down", "PgDown"},
        {CmdExtPageDown, "Select Page Down", "Shift+PgDown"},
        {CmdLineEnd, "End of Line", "End"},
        {CmdExtLineEnd, "Select to End of Line", "Shift+End"},
        {CmdHome, "Start of Line", "Home"},
        {CmdExtHome, "Select to Start of Line", "Shift+Home"},
        {CmdTextBegin, "Start of Text", "Ctrl+Home"},
        {CmdExtTextBegin, "Select to Start of Text", "Ctrl+Shift+Home"},
        {CmdTextEnd, "End of Text", "Ctrl+End"},
        {CmdExtTextEnd, "Select to End of Text", "Ctrl+Shift+End"},
        {CmdDeleteBack, "Delete Back", "Backspace"},
        {CmdDeleteWordBack, "Delete Word Back", "Ctrl+Backspace"},
        {CmdDelete, "&Delete\tDel", "Del"},
        {CmdDeleteWord, "Delete Word", "Ctrl+Del"},
        {CmdCut, "Cu&t\tCtrl+X", "Ctrl+X; Shift+Del"},
        {CmdCopy, "&Copy\tCtrl+C", "Ctrl+C; Ctrl+Ins"},
        {CmdPaste, "&Paste\tCtrl+V", "Ctrl+V; Shift+Ins"},
        {CmdToggleOverwrite, "Overwrite", "Ins"},
        {CmdTab, "Increase Indent", "Tab"},
        {CmdUntab, "Decrease Indent", "Shift+Tab"},
        {CmdMatchBrace, "Go to Matching &Bracket", "Ctrl+[; Ctrl+]"},
        {CmdCommentSelection, "Co&mment Selection", "Ctrl+Num+/"},
        {CmdUncommentSelection, "U&ncomment Selection", ""},
        {CmdLowercase, "Make &Lowercase", "Ctrl+U"},
        {CmdUppercase, "Make &Uppercase", "Ctrl+Shift+U"},
        {CmdInvertCase, "&Invert Case", ""},
        {CmdCapitalize, "&Capitalize Words", ""},
        {CmdSentenceCase, "&Sentence Case", ""},
        {CmdSelectAll, "Select &All\tCtrl+A", "Ctrl+A"},
        {CmdUndo, "&Undo\tCtrl+Z", "Ctrl+Z; Alt+Backspace"},
        {CmdRedo, "&Redo\tCtrl+Y", "Ctrl+Y"},
        {CmdFind, "&Find...\tCtrl+F", "Ctrl+F"},
        {CmdRepeatFind, "Find &Next\tF3", "F3; Shift+F3; Ctrl+F3; Ctrl+Shift+F3"},
        {CmdFindNext, "Find Next", ""},
        {CmdFindPrevious, "Find Previous", ""},
        {CmdHighlightAll, "&Highlight All Matches\tAlt+F3", "Alt+F3"},
        {CmdReplace, "R&eplace...\tCtrl+H", "Ctrl+H"},
        {CmdGoTo, "&Go To...\tCtrl+G", "Ctrl+G"},
        {CmdNextBookmark, "&Next Bookmark\tF2", "F2"},
        {CmdPrevBookmark, "&Previous Bookmark\tShift+F2", "Shift+F2"},
        {CmdToggleBookmark, "Toggle &Bookmark\tCtrl+F2", "Ctrl+F2"},
        {CmdClearBookmarks, "&Clear All Bookmarks\tCtrl+Shift+F2", "Ctrl+Shift+F2"},
        {CmdGoLastChange, "Go to &Last Change\tCtrl+Shift+G", "Ctrl+Shift+G"},
        {CmdReadOnly, "&Read Only", ""},
        {CmdHeaderSource, "Go to Header File\tF12", "F12"},
    };
    return table;
}

const SCommandInfo* FindTextEditCommand(int nId)
{
    for (const SCommandInfo& info : TextEditCommandTable())
        if (info.nId == nId)
            return &info;
    return nullptr;
}

std::vector<STextMenuItem> TextContextMenuItems()
{
    return {{CmdCut, "Cu&t"},
            {CmdCopy, "&Copy"},
            {CmdPaste, "&Paste"},
            {CmdDelete, "&Delete"},
            {0, ""},
            {CmdToggleBookmark, "Toggle &Bookmark"}};
}

std::vector<STextMenuItem> TextDropMenuItems()
{
    return {{CmdDropMove, "&Move Here"},
            {CmdDropCopy, "&Copy Here"},
            {0, ""},
            {CmdDropCancel, "Cancel"}};
}

void TextContextMenuPoint(bool bFromKeyboard, int nPointerX, int nPointerY, int& x, int& y)
{
    x = bFromKeyboard ? 5 : nPointerX;
    y = bFromKeyboard ? 5 : nPointerY;
}

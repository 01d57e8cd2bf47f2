#pragma once
// Command ids shared by the frame's menus and tool bars and by the targets that handle
// them. A menu item, a tool-bar button and a key all carry one of these numbers.

// File menu.
constexpr int ID_FILE_NEW_TEXT = 40000;
constexpr int ID_FILE_NEW_BINARY = 40001;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_SAVE_ALL = 40025;
constexpr int ID_FILE_CLOSE_ALL = 40011;
constexpr int ID_FILE_CLOSE_ALL_BUT_THIS = 40010;
constexpr int ID_FILE_RELOAD = 40060;
constexpr int ID_FILE_PROPERTIES = 40040;
constexpr int ID_FILE_COPY_FULL_PATH = 40440;
constexpr int ID_FILE_OPEN_CONTAINING_FOLDER = 40300;
constexpr int ID_FILE_PAGE_SETUP = 57605;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_MRU_FIRST = 57616; // history entries 1..16
constexpr int ID_FILE_MRU_LAST = 57631;
constexpr int ID_APP_EXIT = 57665;

// Edit commands that the tool bars carry.
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_EDIT_REDO = 57644;

// View menu: the bars and full-screen mode.
constexpr int ID_VIEW_MENU_BAR = 44816;
constexpr int ID_VIEW_STANDARD_TOOLBAR = 44814;
constexpr int ID_VIEW_FIND_TOOLBAR = 44815;
constexpr int ID_VIEW_NAVIGATE_BAR = 44808;
constexpr int ID_VIEW_OUTPUT_BAR = 44004;
constexpr int ID_VIEW_STATUS_BAR = 59393;
constexpr int ID_VIEW_FULL_SCREEN = 44030;
// The syntax submenu: 36800 + parser id, below 37000.
constexpr int ID_SYNTAX_FIRST = 36800;
constexpr int ID_SYNTAX_END = 37000;

// Tools.
constexpr int ID_FIND_IN_FILES = 42220;
constexpr int ID_SETTINGS = 47000;

// Window menu.
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE_HORZ = 57651;
constexpr int ID_WINDOW_NEXT = 57680;
constexpr int ID_WINDOW_PREVIOUS = 57681;

// Help.
constexpr int ID_HELP_CONTENTS = 47200;
constexpr int ID_HELP_KEYBOARD = 47206;
constexpr int ID_HELP_COMMAND_LINE = 44123;
constexpr int ID_APP_ABOUT = 57664;

// Document types of the active document, as the frame switches bars by them.
constexpr int kDocTypeNone = 0;
constexpr int kDocTypeText = 200;
constexpr int kDocTypeBinary = 210;
constexpr int kDocTypeFindInFiles = 300;

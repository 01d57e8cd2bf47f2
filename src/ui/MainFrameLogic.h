#pragma once
// The decisions of the main window, free of any toolkit: which bars are visible, what the
// six Show commands and Full Screen look like in a menu and what they change, which tool
// bar and which status panes belong to the active document type, what Esc does, and what
// the window writes back to the settings when it closes.
//
// The window asks this class and applies the answer; it never decides itself. All state
// lives in the settings object (the Show switches) or here (the active type and the
// full-screen state with the placement it began from).

#include "ui/CommandTarget.h"

class CAppSettings;

// Where a window stands: its normal (restored) rectangle and whether it is maximized.
struct SWindowPlacement
{
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    bool bMaximized = false;

    bool IsValid() const { return cx > 0 && cy > 0; }
    bool operator==(const SWindowPlacement&) const = default;
};

enum class EFrameToolBar
{
    None,
    General,
    Text,
    Hex
};

// The status panes of a document type: only the message pane, or the message pane and the
// four panes of a text or hex document.
enum class EStatusPanes
{
    MessageOnly,
    Text,
    Hex
};

enum class EEscapeAction
{
    Pass,             // the key goes on to the focused widget
    CloseActiveChild, // a close request to the active document window
    CloseMainWindow,  // a close request to the main window
    LeaveFullScreen
};

// What is visible at the moment: the Show switches, except that full-screen mode hides
// every bar.
struct SFrameBars
{
    bool bMenuBar = false;
    EFrameToolBar toolBar = EFrameToolBar::None;
    bool bFindBoxes = false;
    bool bStatusBar = false;
    bool bNavigateBar = false;
    bool bOutputBar = false;

    bool operator==(const SFrameBars&) const = default;
};

class CMainFrameLogic : public CCommandTarget
{
public:
    explicit CMainFrameLogic(CAppSettings& settings);

    CAppSettings& Settings() { return m_settings; }

    // The six Show commands and Full Screen. A Show command inverts its setting; Full Screen
    // is left to the window (it needs the window's placement) and reported as handled only
    // by OnUpdateCommand.
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;
    static bool IsShowCommand(int nId);

    SFrameBars Bars() const;
    static EFrameToolBar ToolBarOf(int nDocumentType);
    static EStatusPanes StatusPanesOf(int nDocumentType);

    int ActiveDocumentType() const { return m_nActiveType; }
    // Keeps the type; true when it differs from the one kept (the window then switches its
    // tool bar and status panes).
    bool SetActiveDocumentType(int nType);

    // Esc pressed in the main window (not in a dialog or a pop-up menu).
    EEscapeAction OnEscape(bool bHasActiveChild) const;

    bool IsFullScreen() const { return m_bFullScreen; }
    // Begins full-screen mode from the window's current placement; false when it is on.
    bool EnterFullScreen(const SWindowPlacement& current);
    // Ends full-screen mode; the placement to go back to. False when it was off.
    bool LeaveFullScreen(SWindowPlacement& restore);
    const SWindowPlacement& FullScreenPlacement() const { return m_fullScreenPlacement; }

    // What the window writes back when it closes. nNavigateBarWidth is the navigation bar's
    // width, or a negative number when that bar was never laid out (its stored width stays).
    // A minimized window leaves position, size, maximized and full-screen as they were; in
    // full-screen mode the placement from before the mode is stored. A placement without a
    // size (a window never shown normally) keeps the stored position and size.
    void StoreOnClose(const SWindowPlacement& current, bool bMinimized, int nNavigateBarWidth);

private:
    CAppSettings& m_settings;
    int m_nActiveType = 0;
    bool m_bFullScreen = false;
    SWindowPlacement m_fullScreenPlacement;
};

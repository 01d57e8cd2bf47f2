#pragma once
// The main window: a document area (tabbed or windowed), the menu bar, three tool bars
// (general, text, hex) of which the active document type shows one, each with a find box,
// the status bar with the panes of the active type, the navigation bar docked left and the
// output bar docked bottom, and full-screen mode.
//
// Commands. Every menu item, tool-bar button and key is a command id with exactly one
// QAction (CommandAction). Triggering it runs the id through a route built for that moment:
// first whatever the active-route hook adds (the active view and its document), then the
// frame, then the application target. The same route decides every action's enabled and
// checked state and its text, before a menu shows and after every command. Decisions live
// in CMainFrameLogic; this class applies them to widgets.

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/CommandTarget.h"
#include "ui/MainFrameLogic.h"

class QAction;
class QComboBox;
class QDockWidget;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class CAppSettings;
class CFullScreenBar;
class CSyntaxParserFactory;

class CMainFrame : public QMainWindow, public CCommandTarget
{
    Q_OBJECT
public:
    explicit CMainFrame(CAppSettings& settings, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // --- Commands -------------------------------------------------------------------------
    // Texts and keys of commands; an action that exists already takes the new ones.
    void RegisterCommands(const std::vector<SCommandInfo>& commands);
    // The one action of an id, created on first use with its registered text and keys. The
    // action belongs to the frame (its keys work while the menu bar is hidden).
    QAction* CommandAction(int nId);
    // Runs the id through the current route, then refreshes every action's state. False
    // when no target ran it (unknown or disabled).
    bool RunCommand(int nId);
    // Asks the current route for the state of every action.
    void UpdateCommandStates();
    // Refreshes the states once, soon, however often it is asked before that (for changes
    // such as a new selection that enable tool-bar buttons).
    void RequestCommandStateUpdate();
    // Called whenever a route is built, before the frame and the application are added.
    void SetActiveRouteHook(std::function<void(CCommandRoute&)> hook);
    // The last target of every route (the application object).
    void SetApplicationTarget(CCommandTarget* pTarget) { m_pAppTarget = pTarget; }
    // The route of this moment: hook targets, the frame, the application.
    CCommandRoute BuildRoute();

    // --- Menus and bars -------------------------------------------------------------------
    // The top-level menu of this title, created on first use at its place in the menu bar
    // ("&File", "&Edit", "&View", "&Search", "&Tools", "&Window", "&Help"; other titles go
    // before "&Tools"). The frame refreshes command states before any of them shows.
    QMenu* Menu(const QString& strTopLevelTitle);
    // The File menu's separator before "Exit": the history entries go in before it.
    QAction* FileHistoryAnchor() const { return m_pHistoryAnchor; }
    // The pop-up of the six Show commands (right click over the menu bar or a tool bar).
    QMenu* ControlBarsMenu();
    // The "&Syntax Type" submenu of the View menu: "&None" and one item per parser of the
    // factory, ids 36800 + parser id; the status bar shows each item's extensions while the
    // pointer is on it.
    void BuildSyntaxMenu(const CSyntaxParserFactory& factory);

    QMdiArea* MdiArea() const { return m_pMdiArea; }
    QDockWidget* NavigateBar() const { return m_pNavigateBar; }
    QDockWidget* OutputBar() const { return m_pOutputBar; }
    // The tool bar and the find box of a document type (200 text, 210 binary, any other the
    // general one).
    QToolBar* ToolBar(int nDocumentType) const;
    QComboBox* FindBox(int nDocumentType) const;

    // 0 none, 200 text, 210 binary, 300 find in files: switches tool bar and status panes.
    void SetActiveDocumentType(int nType);
    int ActiveDocumentType() const { return m_logic.ActiveDocumentType(); }

    // The message pane (pane 0); an empty pointer-hover text gives it back.
    void SetStatusText(const QString& text);
    // Pane 0 is the message pane; 1 to 4 are the panes of the active document type (text:
    // position, line ending, read-only, overtype; hex: byte, position, read-only, overtype).
    void SetPaneText(int nPane, const QString& text);
    void SetPaneEnabled(int nPane, bool bEnabled);
    QString PaneText(int nPane) const;

    // Files dropped on the window from a file manager, as local paths.
    void SetDropHook(std::function<void(const QStringList&)> hook) { m_dropHook = std::move(hook); }
    // Asked first when the window is to close (the user's chance to save or to cancel);
    // false keeps the window and every document open.
    void SetCanCloseHook(std::function<bool()> hook) { m_canCloseHook = std::move(hook); }

    // --- Settings and placement -----------------------------------------------------------
    // Shows and hides the bars as the settings and full-screen mode say.
    void ApplyBars();
    // Tabs or separate child windows, at once.
    void SetTabbedDocuments(bool bTabbed);
    // Shows the window at the stored place (or maximized), then full screen when stored so.
    void PlaceFromSettings();
    // Writes placement, full-screen state and the navigation bar's width to the settings.
    void StorePlacement();
    bool IsFullScreenMode() const { return m_logic.IsFullScreen(); }
    void SetFullScreen(bool bOn);
    CMainFrameLogic& Logic() { return m_logic; }

    // CCommandTarget: the Show commands, Full Screen and the Window menu.
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    struct SCommandText
    {
        QString strMenuText;
        QString strKeys;
    };

    static void ApplyCommandText(QAction* pAction, const SCommandText& text);

    void CreateMenus();
    void CreateFileMenu();
    void CreateToolBars();
    void CreateStatusBar();
    void CreateDocks();
    QToolBar* MakeToolBar(const QString& name, const std::vector<int>& ids, QComboBox** ppFindBox,
                          QAction** ppFindAction);
    void ShowStatusPanes(EStatusPanes panes);
    SWindowPlacement CurrentPlacement() const;
    void ApplyPlacement(const SWindowPlacement& placement);
    bool HandleEscape();
    void OnFirstPaint();

    CAppSettings& m_settings;
    CMainFrameLogic m_logic;
    QMdiArea* m_pMdiArea = nullptr;
    std::map<int, SCommandText> m_commandText;
    std::map<int, QAction*> m_actions;
    std::map<QString, QMenu*> m_menus;
    std::function<void(CCommandRoute&)> m_routeHook;
    CCommandTarget* m_pAppTarget = nullptr;
    QAction* m_pHistoryAnchor = nullptr;
    QMenu* m_pControlBarsMenu = nullptr;
    QMenu* m_pSyntaxMenu = nullptr;
    QToolBar* m_toolBars[3] = {}; // general, text, hex
    QComboBox* m_findBoxes[3] = {};
    QAction* m_findBoxActions[3] = {};
    QDockWidget* m_pNavigateBar = nullptr;
    QDockWidget* m_pOutputBar = nullptr;
    QLabel* m_textPanes[4] = {};
    QLabel* m_hexPanes[4] = {};
    QString m_strStatusText;
    std::unique_ptr<CFullScreenBar> m_pFullScreenBar;
    std::function<void(const QStringList&)> m_dropHook;
    std::function<bool()> m_canCloseHook;
    int m_nNavigateBarWidth = -1; // last width while shown; -1 until it is laid out
    bool m_bUpdatePending = false;
    bool m_bBenchFirstPaint = false;
};

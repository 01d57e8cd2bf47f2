#include "ui/gui/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/AppSettings.h"
#include "syntax/SyntaxParserFactory.h"
#include "ui/CommandIds.h"
#include "ui/gui/FullScreenBar.h"

namespace
{
// Menu-bar order of the well-known menus; any other title goes before "&Tools".
int MenuRank(const QString& title)
{
    static const char* const order[] = {"&File",  "&Edit",   "&View", "&Search",
                                        "&Tools", "&Window", "&Help"};
    for (int i = 0; i < 7; ++i)
        if (title == QLatin1String(order[i]))
            return 2 * i;
    return 2 * 4 - 1;
}

int ToolBarIndex(EFrameToolBar bar)
{
    switch (bar)
    {
    case EFrameToolBar::Text:
        return 1;
    case EFrameToolBar::Hex:
        return 2;
    default:
        return 0;
    }
}

QIcon CommandIcon(int nId, QStyle* style)
{
    switch (nId)
    {
    case ID_FILE_NEW_TEXT:
        return QIcon::fromTheme(QStringLiteral("document-new"),
                                style->standardIcon(QStyle::SP_FileIcon));
    case ID_FILE_OPEN:
        return QIcon::fromTheme(QStringLiteral("document-open"),
                                style->standardIcon(QStyle::SP_DialogOpenButton));
    case ID_FILE_SAVE:
        return QIcon::fromTheme(QStringLiteral("document-save"),
                                style->standardIcon(QStyle::SP_DialogSaveButton));
    case ID_FILE_SAVE_ALL:
        return QIcon::fromTheme(QStringLiteral("document-save-all"),
                                style->standardIcon(QStyle::SP_DriveFDIcon));
    case ID_EDIT_CUT:
        return QIcon::fromTheme(QStringLiteral("edit-cut"));
    case ID_EDIT_COPY:
        return QIcon::fromTheme(QStringLiteral("edit-copy"));
    case ID_EDIT_PASTE:
        return QIcon::fromTheme(QStringLiteral("edit-paste"));
    case ID_EDIT_UNDO:
        return QIcon::fromTheme(QStringLiteral("edit-undo"),
                                style->standardIcon(QStyle::SP_ArrowBack));
    case ID_EDIT_REDO:
        return QIcon::fromTheme(QStringLiteral("edit-redo"),
                                style->standardIcon(QStyle::SP_ArrowForward));
    default:
        return {};
    }
}

// Prototype texts that set the widths of the status panes 1 to 4.
const char* const kTextPanePrototypes[4] = {"Ln: 99999/99999, Col: 999/999, Ch: 999/999", "CRLF",
                                            "RO", "OVR"};
const char* const kHexPanePrototypes[4] = {"DD, 999, 999, 00000000, 'WW'",
                                           "DDDDDDDD | 9,999,999,999", "RO", "OVR"};

// The frame's own commands: texts and keys of the menus it lays out.
const std::vector<SCommandInfo>& FrameCommands()
{
    static const std::vector<SCommandInfo> commands = {
        {ID_FILE_NEW_TEXT, "&New Text File", "Ctrl+N"},
        {ID_FILE_NEW_BINARY, "New &Binary File", "Ctrl+Shift+N"},
        {ID_FILE_OPEN, "&Open...", "Ctrl+O"},
        {ID_FILE_CLOSE, "&Close", "Ctrl+W; Ctrl+F4"},
        {ID_FILE_CLOSE_ALL, "Close A&ll", "Ctrl+Shift+W"},
        {ID_FILE_CLOSE_ALL_BUT_THIS, "Close All B&ut This", ""},
        {ID_FILE_SAVE, "&Save", "Ctrl+S"},
        {ID_FILE_SAVE_AS, "Save &As...", "Ctrl+Shift+S"},
        {ID_FILE_SAVE_ALL, "Sa&ve All", "Ctrl+Alt+S"},
        {ID_FILE_RELOAD, "&Reload", ""},
        {ID_FILE_PROPERTIES, "File &Properties", "Alt+Return"},
        {ID_FILE_COPY_FULL_PATH, "Copy &Full Path", ""},
        {ID_FILE_OPEN_CONTAINING_FOLDER, "Open Containing Fol&der", ""},
        {ID_FILE_PAGE_SETUP, "Page Set&up...", ""},
        {ID_FILE_PRINT_SETUP, "Print Se&tup...", ""},
        {ID_APP_EXIT, "E&xit", "Alt+F4"},
        {ID_EDIT_UNDO, "&Undo", ""},
        {ID_EDIT_REDO, "&Redo", ""},
        {ID_EDIT_CUT, "Cu&t", ""},
        {ID_EDIT_COPY, "&Copy", ""},
        {ID_EDIT_PASTE, "&Paste", ""},
        {ID_VIEW_MENU_BAR, "&Menu Bar", ""},
        {ID_VIEW_STANDARD_TOOLBAR, "&Standard Tool Bar", ""},
        {ID_VIEW_FIND_TOOLBAR, "&Find Tool Bar", ""},
        {ID_VIEW_NAVIGATE_BAR, "&Navigation Bar", ""},
        {ID_VIEW_OUTPUT_BAR, "&Output Bar", ""},
        {ID_VIEW_STATUS_BAR, "Status &Bar", ""},
        {ID_VIEW_FULL_SCREEN, "F&ull Screen", "F11"},
        {ID_FIND_IN_FILES, "Find in &Files...", "Ctrl+Shift+F"},
        {ID_SETTINGS, "&Options...", ""},
        {ID_WINDOW_CASCADE, "&Cascade", ""},
        {ID_WINDOW_TILE_HORZ, "&Tile", ""},
        {ID_WINDOW_NEXT, "Ne&xt Window", "Ctrl+F6"},
        {ID_WINDOW_PREVIOUS, "Pre&vious Window", "Ctrl+Shift+F6"},
        {ID_HELP_CONTENTS, "&Help", "F1"},
        {ID_HELP_KEYBOARD, "&Keyboard shortcuts", ""},
        {ID_HELP_COMMAND_LINE, "&Command line help", ""},
        {ID_APP_ABOUT, "&About Scrivel...", ""},
    };
    return commands;
}

const int kShowCommands[] = {ID_VIEW_MENU_BAR,     ID_VIEW_STANDARD_TOOLBAR, ID_VIEW_FIND_TOOLBAR,
                             ID_VIEW_NAVIGATE_BAR, ID_VIEW_OUTPUT_BAR,       ID_VIEW_STATUS_BAR};
} // namespace

CMainFrame::CMainFrame(CAppSettings& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_logic(settings)
{
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("Scrivel"));
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("DocumentArea"));
    m_pMdiArea->setTabsClosable(true);
    m_pMdiArea->setTabsMovable(true);
    m_pMdiArea->setDocumentMode(true);
    SetTabbedDocuments(settings.m_bTabbedDocuments);
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow*) { RequestCommandStateUpdate(); });

    RegisterCommands(FrameCommands());
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    CreateDocks();
    ApplyBars();
    setAcceptDrops(true);

    // Esc is decided before any widget of the frame sees it, as the frame's own key.
    qApp->installEventFilter(this);
    m_bBenchFirstPaint = std::getenv("SCRIVEL_BENCH_FIRST_PAINT") != nullptr;
}

CMainFrame::~CMainFrame()
{
    // The children outlive this part of the object while QWidget deletes them: nothing of
    // theirs may call back into the frame from here on.
    qApp->removeEventFilter(this);
    m_pMdiArea->disconnect(this);
    m_pNavigateBar->removeEventFilter(this);
    m_pOutputBar->removeEventFilter(this);
}

// --- Commands ---------------------------------------------------------------------------

void CMainFrame::RegisterCommands(const std::vector<SCommandInfo>& commands)
{
    for (const SCommandInfo& info : commands)
    {
        SCommandText& text = m_commandText[info.nId];
        text.strMenuText = QString::fromUtf8(info.pszMenuText ? info.pszMenuText : "");
        text.strKeys = QString::fromUtf8(info.pszKeys ? info.pszKeys : "");
        auto it = m_actions.find(info.nId);
        if (it != m_actions.end())
            ApplyCommandText(it->second, text);
    }
}

namespace
{
// A menu text such as "Cu&t\tCtrl+X" on the action, and "Cut" for a tool button that has
// no icon: Qt's own tool-button text would keep the keys after the tab.
void SetActionText(QAction* pAction, const QString& text)
{
    pAction->setText(text);
    QString iconText = text.section(QLatin1Char('\t'), 0, 0);
    iconText.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    iconText.remove(QLatin1Char('&'));
    iconText.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    pAction->setIconText(iconText);
}
} // namespace

void CMainFrame::ApplyCommandText(QAction* pAction, const SCommandText& text)
{
    SetActionText(pAction, text.strMenuText);
    pAction->setShortcuts(QKeySequence::listFromString(text.strKeys, QKeySequence::PortableText));
}

QAction* CMainFrame::CommandAction(int nId)
{
    auto it = m_actions.find(nId);
    if (it != m_actions.end())
        return it->second;
    auto* pAction = new QAction(this);
    pAction->setData(nId);
    auto text = m_commandText.find(nId);
    if (text != m_commandText.end())
        ApplyCommandText(pAction, text->second);
    // Keys work wherever the focus is in the frame, also while the menu bar is hidden.
    addAction(pAction);
    connect(pAction, &QAction::triggered, this, [this, nId]() { RunCommand(nId); });
    m_actions.emplace(nId, pAction);
    return pAction;
}

CCommandRoute CMainFrame::BuildRoute()
{
    CCommandRoute route;
    if (m_routeHook)
        m_routeHook(route);
    route.Add(this);
    route.Add(m_pAppTarget);
    return route;
}

bool CMainFrame::RunCommand(int nId)
{
    const bool bRan = BuildRoute().Run(nId);
    // The command may have closed the frame's documents or the frame itself is going;
    // states are refreshed either way so that a checkable action shows the truth again.
    UpdateCommandStates();
    return bRan;
}

void CMainFrame::UpdateCommandStates()
{
    m_bUpdatePending = false;
    const CCommandRoute route = BuildRoute();
    for (auto& [nId, pAction] : m_actions)
    {
        const SCommandState state = route.Update(nId);
        pAction->setEnabled(state.bEnabled);
        if (state.bChecked && !pAction->isCheckable())
            pAction->setCheckable(true);
        if (pAction->isCheckable())
            pAction->setChecked(state.bChecked);
        QString text;
        if (state.bTextSet)
            text = QString::fromStdString(state.strText);
        else if (auto it = m_commandText.find(nId); it != m_commandText.end())
            text = it->second.strMenuText;
        if (!text.isEmpty() && text != pAction->text())
            SetActionText(pAction, text);
    }
}

void CMainFrame::RequestCommandStateUpdate()
{
    if (m_bUpdatePending)
        return;
    m_bUpdatePending = true;
    QTimer::singleShot(0, this,
                       [this]()
                       {
                           if (m_bUpdatePending)
                               UpdateCommandStates();
                       });
}

void CMainFrame::SetActiveRouteHook(std::function<void(CCommandRoute&)> hook)
{
    m_routeHook = std::move(hook);
    RequestCommandStateUpdate();
}

bool CMainFrame::OnUpdateCommand(int nId, SCommandState& state)
{
    if (m_logic.OnUpdateCommand(nId, state))
        return true;
    const bool bHasChildren = !m_pMdiArea->subWindowList().isEmpty();
    switch (nId)
    {
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
        // Arranging means something only for separate child windows.
        state.bEnabled = bHasChildren && m_pMdiArea->viewMode() == QMdiArea::SubWindowView;
        return true;
    case ID_WINDOW_NEXT:
    case ID_WINDOW_PREVIOUS:
        state.bEnabled = m_pMdiArea->subWindowList().size() > 1;
        return true;
    default:
        return false;
    }
}

bool CMainFrame::OnCommand(int nId)
{
    if (m_logic.OnCommand(nId))
    {
        ApplyBars();
        return true;
    }
    switch (nId)
    {
    case ID_VIEW_FULL_SCREEN:
        SetFullScreen(!m_logic.IsFullScreen());
        return true;
    case ID_WINDOW_CASCADE:
        m_pMdiArea->cascadeSubWindows();
        return true;
    case ID_WINDOW_TILE_HORZ:
        m_pMdiArea->tileSubWindows();
        return true;
    case ID_WINDOW_NEXT:
        m_pMdiArea->activateNextSubWindow();
        return true;
    case ID_WINDOW_PREVIOUS:
        m_pMdiArea->activatePreviousSubWindow();
        return true;
    default:
        return false;
    }
}

// --- Menus and bars -----------------------------------------------------------------------

QMenu* CMainFrame::Menu(const QString& strTopLevelTitle)
{
    auto it = m_menus.find(strTopLevelTitle);
    if (it != m_menus.end())
        return it->second;
    auto* pMenu = new QMenu(strTopLevelTitle, this);
    const int nRank = MenuRank(strTopLevelTitle);
    QAction* pBefore = nullptr;
    for (QAction* pTop : menuBar()->actions())
    {
        if (MenuRank(pTop->text()) > nRank)
        {
            pBefore = pTop;
            break;
        }
    }
    menuBar()->insertMenu(pBefore, pMenu);
    connect(pMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    m_menus.emplace(strTopLevelTitle, pMenu);
    return pMenu;
}

void CMainFrame::CreateFileMenu()
{
    QMenu* file = Menu(tr("&File"));
    for (int nId : {ID_FILE_NEW_TEXT, ID_FILE_NEW_BINARY, ID_FILE_OPEN, ID_FILE_CLOSE,
                    ID_FILE_CLOSE_ALL, ID_FILE_CLOSE_ALL_BUT_THIS})
        file->addAction(CommandAction(nId));
    file->addSeparator();
    for (int nId : {ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_SAVE_ALL, ID_FILE_RELOAD})
        file->addAction(CommandAction(nId));
    file->addSeparator();
    for (int nId : {ID_FILE_PROPERTIES, ID_FILE_COPY_FULL_PATH, ID_FILE_OPEN_CONTAINING_FOLDER})
        file->addAction(CommandAction(nId));
    file->addSeparator();
    file->addAction(CommandAction(ID_FILE_PAGE_SETUP));
    file->addAction(CommandAction(ID_FILE_PRINT_SETUP));
    m_pHistoryAnchor = file->addSeparator();
    m_pHistoryAnchor->setObjectName(QStringLiteral("HistoryAnchor"));
    file->addAction(CommandAction(ID_APP_EXIT));
}

void CMainFrame::CreateMenus()
{
    CreateFileMenu();

    QMenu* view = Menu(tr("&View"));
    for (int nId : kShowCommands)
        view->addAction(CommandAction(nId));
    view->addSeparator();
    view->addAction(CommandAction(ID_VIEW_FULL_SCREEN));
    for (int nId : kShowCommands)
        CommandAction(nId)->setCheckable(true);
    CommandAction(ID_VIEW_FULL_SCREEN)->setCheckable(true);

    QMenu* tools = Menu(tr("&Tools"));
    tools->addAction(CommandAction(ID_FIND_IN_FILES));
    tools->addSeparator();
    tools->addAction(CommandAction(ID_SETTINGS));

    QMenu* window = Menu(tr("&Window"));
    for (int nId : {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_NEXT, ID_WINDOW_PREVIOUS})
        window->addAction(CommandAction(nId));

    QMenu* help = Menu(tr("&Help"));
    for (int nId : {ID_HELP_CONTENTS, ID_HELP_KEYBOARD, ID_HELP_COMMAND_LINE})
        help->addAction(CommandAction(nId));
    help->addSeparator();
    help->addAction(CommandAction(ID_APP_ABOUT));

    menuBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(menuBar(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { ControlBarsMenu()->popup(menuBar()->mapToGlobal(pos)); });
}

QMenu* CMainFrame::ControlBarsMenu()
{
    if (!m_pControlBarsMenu)
    {
        m_pControlBarsMenu = new QMenu(this);
        m_pControlBarsMenu->setObjectName(QStringLiteral("ControlBarsMenu"));
        for (int nId : kShowCommands)
            m_pControlBarsMenu->addAction(CommandAction(nId));
        connect(m_pControlBarsMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    }
    return m_pControlBarsMenu;
}

QMenu* CMainFrame::createPopupMenu()
{
    // QMainWindow deletes the menu it gets here after use: hand it a fresh copy.
    auto* pMenu = new QMenu(this);
    UpdateCommandStates();
    for (int nId : kShowCommands)
        pMenu->addAction(CommandAction(nId));
    return pMenu;
}

void CMainFrame::BuildSyntaxMenu(const CSyntaxParserFactory& factory)
{
    if (!m_pSyntaxMenu)
    {
        QMenu* view = Menu(tr("&View"));
        view->addSeparator();
        m_pSyntaxMenu = view->addMenu(tr("&Syntax Type"));
        m_pSyntaxMenu->setObjectName(QStringLiteral("SyntaxMenu"));
        // Disabled items (no text document active) get no hover from the menu itself; the
        // extensions are worth showing all the same: the frame's application-wide event
        // filter watches the pointer over this menu.
    }
    m_pSyntaxMenu->clear();
    std::vector<SCommandInfo> infos;
    std::vector<std::string> texts; // keeps the registered texts alive while registering
    const std::vector<SSyntaxMenuItem> items = factory.BuildSyntaxMenu(-1, ID_SYNTAX_FIRST);
    texts.reserve(items.size());
    bool bFirst = true;
    for (const SSyntaxMenuItem& item : items)
    {
        if (item.bSeparator)
        {
            m_pSyntaxMenu->addSeparator();
            continue;
        }
        if (item.nCommandId < ID_SYNTAX_FIRST || item.nCommandId >= ID_SYNTAX_END)
            continue;
        std::string text = bFirst ? std::string("&None") : item.strText;
        if (!bFirst)
        {
            // A parser name is shown as it is: "&" is not a mnemonic in it.
            std::string escaped;
            for (char c : text)
                escaped += (c == '&') ? std::string("&&") : std::string(1, c);
            text = escaped;
        }
        bFirst = false;
        texts.push_back(text);
        RegisterCommands({{item.nCommandId, texts.back().c_str(), ""}});
        QAction* pAction = CommandAction(item.nCommandId);
        // The pointer on the item shows the parser's extensions in the message pane.
        const CSyntaxParser* pParser = factory.FindByCommand(item.nCommandId, ID_SYNTAX_FIRST);
        const char* pszExtensions = pParser ? pParser->GetExtensions() : "";
        pAction->setStatusTip(tr("Extensions:") + QString::fromUtf8(pszExtensions));
        m_pSyntaxMenu->addAction(pAction);
    }
}

QToolBar* CMainFrame::MakeToolBar(const QString& name, const std::vector<int>& ids,
                                  QComboBox** ppFindBox, QAction** ppFindAction)
{
    auto* pBar = new QToolBar(name, this);
    pBar->setObjectName(name);
    pBar->setFloatable(false);
    pBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pBar, &QWidget::customContextMenuRequested, this,
            [this, pBar](const QPoint& pos) { ControlBarsMenu()->popup(pBar->mapToGlobal(pos)); });
    for (int nId : ids)
    {
        if (nId == 0)
        {
            pBar->addSeparator();
            continue;
        }
        QAction* pAction = CommandAction(nId);
        if (pAction->icon().isNull())
            pAction->setIcon(CommandIcon(nId, style()));
        pBar->addAction(pAction);
    }
    pBar->addSeparator();
    auto* pFindBox = new QComboBox(pBar);
    pFindBox->setObjectName(QStringLiteral("FindBox"));
    pFindBox->setEditable(true);
    pFindBox->setInsertPolicy(QComboBox::NoInsert);
    pFindBox->setMinimumContentsLength(24);
    pFindBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    pFindBox->lineEdit()->setPlaceholderText(tr("Find"));
    *ppFindBox = pFindBox;
    *ppFindAction = pBar->addWidget(pFindBox);
    addToolBar(Qt::TopToolBarArea, pBar);
    return pBar;
}

void CMainFrame::CreateToolBars()
{
    const std::vector<int> general = {ID_FILE_NEW_TEXT, ID_FILE_OPEN, ID_FILE_SAVE_ALL};
    const std::vector<int> editor = {ID_FILE_NEW_TEXT,
                                     ID_FILE_OPEN,
                                     ID_FILE_SAVE,
                                     ID_FILE_SAVE_ALL,
                                     0,
                                     ID_EDIT_CUT,
                                     ID_EDIT_COPY,
                                     ID_EDIT_PASTE,
                                     0,
                                     ID_EDIT_UNDO,
                                     ID_EDIT_REDO};
    m_toolBars[0] = MakeToolBar(QStringLiteral("GeneralToolBar"), general, &m_findBoxes[0],
                                &m_findBoxActions[0]);
    m_toolBars[1] =
        MakeToolBar(QStringLiteral("TextToolBar"), editor, &m_findBoxes[1], &m_findBoxActions[1]);
    m_toolBars[2] =
        MakeToolBar(QStringLiteral("HexToolBar"), editor, &m_findBoxes[2], &m_findBoxActions[2]);
    m_toolBars[0]->setWindowTitle(tr("General"));
    m_toolBars[1]->setWindowTitle(tr("Text"));
    m_toolBars[2]->setWindowTitle(tr("Hex"));
}

QToolBar* CMainFrame::ToolBar(int nDocumentType) const
{
    return m_toolBars[ToolBarIndex(CMainFrameLogic::ToolBarOf(nDocumentType))];
}

QComboBox* CMainFrame::FindBox(int nDocumentType) const
{
    return m_findBoxes[ToolBarIndex(CMainFrameLogic::ToolBarOf(nDocumentType))];
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* pBar = statusBar();
    pBar->setObjectName(QStringLiteral("StatusBar"));
    auto makePanes = [&](QLabel** panes, const char* const* prototypes)
    {
        for (int i = 0; i < 4; ++i)
        {
            panes[i] = new QLabel(pBar);
            panes[i]->setAlignment(Qt::AlignCenter);
            panes[i]->setMinimumWidth(
                panes[i]->fontMetrics().horizontalAdvance(QString::fromLatin1(prototypes[i])) + 8);
            pBar->addPermanentWidget(panes[i]);
            panes[i]->hide();
        }
    };
    makePanes(m_textPanes, kTextPanePrototypes);
    makePanes(m_hexPanes, kHexPanePrototypes);
    m_strStatusText = tr("Ready");
    pBar->showMessage(m_strStatusText);
}

void CMainFrame::ShowStatusPanes(EStatusPanes panes)
{
    for (int i = 0; i < 4; ++i)
    {
        m_textPanes[i]->setVisible(panes == EStatusPanes::Text);
        m_hexPanes[i]->setVisible(panes == EStatusPanes::Hex);
    }
}

void CMainFrame::CreateDocks()
{
    auto makeDock = [this](const QString& name, const QString& title)
    {
        auto* pDock = new QDockWidget(title, this);
        pDock->setObjectName(name);
        pDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
        auto* pEmpty = new QWidget(pDock);
        pEmpty->setObjectName(name + QStringLiteral("Contents"));
        pDock->setWidget(pEmpty);
        pDock->installEventFilter(this);
        return pDock;
    };
    m_pNavigateBar = makeDock(QStringLiteral("NavigateBar"), tr("Navigation"));
    m_pNavigateBar->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    addDockWidget(Qt::LeftDockWidgetArea, m_pNavigateBar);
    m_pOutputBar = makeDock(QStringLiteral("OutputBar"), tr("Output"));
    m_pOutputBar->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, m_pOutputBar);
    resizeDocks({m_pNavigateBar}, {m_settings.m_nNavigateBarWidth}, Qt::Horizontal);
    resizeDocks({m_pOutputBar}, {m_settings.m_nOutputBarHeight}, Qt::Vertical);
}

void CMainFrame::SetActiveDocumentType(int nType)
{
    if (!m_logic.SetActiveDocumentType(nType))
        return;
    ApplyBars();
    ShowStatusPanes(CMainFrameLogic::StatusPanesOf(nType));
    RequestCommandStateUpdate();
}

void CMainFrame::SetStatusText(const QString& text)
{
    m_strStatusText = text;
    statusBar()->showMessage(text);
}

void CMainFrame::SetPaneText(int nPane, const QString& text)
{
    if (nPane == 0)
    {
        SetStatusText(text);
        return;
    }
    if (nPane < 1 || nPane > 4)
        return;
    const EStatusPanes panes = CMainFrameLogic::StatusPanesOf(m_logic.ActiveDocumentType());
    if (panes == EStatusPanes::Text)
        m_textPanes[nPane - 1]->setText(text);
    else if (panes == EStatusPanes::Hex)
        m_hexPanes[nPane - 1]->setText(text);
}

void CMainFrame::SetPaneEnabled(int nPane, bool bEnabled)
{
    if (nPane < 1 || nPane > 4)
        return;
    m_textPanes[nPane - 1]->setEnabled(bEnabled);
    m_hexPanes[nPane - 1]->setEnabled(bEnabled);
}

QString CMainFrame::PaneText(int nPane) const
{
    if (nPane == 0)
        return statusBar()->currentMessage();
    if (nPane < 1 || nPane > 4)
        return {};
    const EStatusPanes panes = CMainFrameLogic::StatusPanesOf(m_logic.ActiveDocumentType());
    if (panes == EStatusPanes::Text)
        return m_textPanes[nPane - 1]->text();
    if (panes == EStatusPanes::Hex)
        return m_hexPanes[nPane - 1]->text();
    return {};
}

// --- Settings and placement ---------------------------------------------------------------

void CMainFrame::ApplyBars()
{
    const SFrameBars bars = m_logic.Bars();
    menuBar()->setVisible(bars.bMenuBar);
    const int nShown = bars.toolBar == EFrameToolBar::None ? -1 : ToolBarIndex(bars.toolBar);
    for (int i = 0; i < 3; ++i)
    {
        m_toolBars[i]->setVisible(i == nShown);
        m_findBoxActions[i]->setVisible(bars.bFindBoxes);
    }
    statusBar()->setVisible(bars.bStatusBar);
    m_pNavigateBar->setVisible(bars.bNavigateBar);
    m_pOutputBar->setVisible(bars.bOutputBar);
}

void CMainFrame::SetTabbedDocuments(bool bTabbed)
{
    m_pMdiArea->setViewMode(bTabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (!bTabbed)
    {
        // Child windows that were tabs come back as windows of a useful size.
        for (QMdiSubWindow* pChild : m_pMdiArea->subWindowList())
            if (pChild->isMaximized())
                pChild->showNormal();
        m_pMdiArea->cascadeSubWindows();
    }
}

SWindowPlacement CMainFrame::CurrentPlacement() const
{
    const bool bMaximized = isMaximized();
    // A maximized window's normal rectangle is where it goes back to: that is what the next
    // start restores it to when the user un-maximizes it.
    const QRect r = (bMaximized || isFullScreen() || isMinimized()) ? normalGeometry() : geometry();
    SWindowPlacement placement;
    placement.x = r.x();
    placement.y = r.y();
    placement.cx = r.width();
    placement.cy = r.height();
    placement.bMaximized = bMaximized;
    return placement;
}

void CMainFrame::ApplyPlacement(const SWindowPlacement& placement)
{
    if (placement.bMaximized)
    {
        if (placement.IsValid())
            setGeometry(placement.x, placement.y, placement.cx, placement.cy);
        showMaximized();
        return;
    }
    showNormal();
    if (placement.IsValid())
        setGeometry(placement.x, placement.y, placement.cx, placement.cy);
}

void CMainFrame::PlaceFromSettings()
{
    const CAppSettings& s = m_settings;
    if (s.HasStoredPlacement())
    {
        setGeometry(s.m_nWindowPosX, s.m_nWindowPosY, s.m_nWindowSizeCX, s.m_nWindowSizeCY);
        show();
    }
    else
    {
        // The stored normal rectangle, when there is one, is where un-maximizing leads.
        if (s.m_nWindowSizeCX > 0 && s.m_nWindowSizeCY > 0)
            setGeometry(s.m_nWindowPosX, s.m_nWindowPosY, s.m_nWindowSizeCX, s.m_nWindowSizeCY);
        showMaximized();
    }
    if (s.m_bWindowFullScreen)
        SetFullScreen(true);
}

void CMainFrame::StorePlacement()
{
    m_logic.StoreOnClose(CurrentPlacement(), isMinimized(), m_nNavigateBarWidth);
}

void CMainFrame::SetFullScreen(bool bOn)
{
    if (bOn)
    {
        if (!m_logic.EnterFullScreen(CurrentPlacement()))
            return;
        setUpdatesEnabled(false);
        ApplyBars();
        showFullScreen();
        m_pFullScreenBar =
            std::make_unique<CFullScreenBar>(CommandAction(ID_VIEW_FULL_SCREEN), this);
        m_pFullScreenBar->show();
        m_pFullScreenBar->PlaceOnScreen();
        setUpdatesEnabled(true);
    }
    else
    {
        SWindowPlacement restore;
        if (!m_logic.LeaveFullScreen(restore))
            return;
        setUpdatesEnabled(false);
        m_pFullScreenBar.reset();
        ApplyPlacement(restore);
        ApplyBars();
        setUpdatesEnabled(true);
    }
    UpdateCommandStates();
}

// --- Events -------------------------------------------------------------------------------

bool CMainFrame::HandleEscape()
{
    QMdiSubWindow* pChild = m_pMdiArea->activeSubWindow();
    switch (m_logic.OnEscape(pChild != nullptr))
    {
    case EEscapeAction::CloseActiveChild:
        pChild->close();
        return true;
    case EEscapeAction::CloseMainWindow:
        close();
        return true;
    case EEscapeAction::LeaveFullScreen:
        SetFullScreen(false);
        return true;
    case EEscapeAction::Pass:
        break;
    }
    return false;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pSyntaxMenu)
    {
        if (event->type() == QEvent::MouseMove)
        {
            const QAction* pAction =
                m_pSyntaxMenu->actionAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            const QString tip = pAction ? pAction->statusTip() : QString();
            statusBar()->showMessage(tip.isEmpty() ? m_strStatusText : tip);
        }
        else if (event->type() == QEvent::Leave || event->type() == QEvent::Hide)
            statusBar()->showMessage(m_strStatusText);
        return QMainWindow::eventFilter(watched, event);
    }
    switch (event->type())
    {
    case QEvent::KeyPress:
    {
        auto* pKey = static_cast<QKeyEvent*>(event);
        if (pKey->key() != Qt::Key_Escape || pKey->modifiers() != Qt::NoModifier)
            break;
        // Only keys of this window: dialogs, pop-up menus and lists are windows of their own
        // and keep Esc for themselves.
        auto* pWidget = qobject_cast<QWidget*>(watched);
        if (pWidget && pWidget->window() == this && HandleEscape())
            return true;
        break;
    }
    case QEvent::Close:
        // The close button of a dock is the Show command, so that the setting follows.
        if (watched == m_pNavigateBar || watched == m_pOutputBar)
        {
            event->ignore();
            RunCommand(watched == m_pNavigateBar ? ID_VIEW_NAVIGATE_BAR : ID_VIEW_OUTPUT_BAR);
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == m_pNavigateBar && m_pNavigateBar->isVisible())
            m_nNavigateBarWidth = m_pNavigateBar->width();
        break;
    case QEvent::Paint:
        if (m_bBenchFirstPaint)
        {
            auto* pWidget = qobject_cast<QWidget*>(watched);
            if (pWidget && pWidget->window() == this)
            {
                m_bBenchFirstPaint = false;
                // After the whole window has painted in this round.
                QTimer::singleShot(0, this, &CMainFrame::OnFirstPaint);
            }
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::OnFirstPaint()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    long long nRssKiB = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
    {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                nRssKiB = line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    std::printf("first-paint-ns: %lld\nrss-kib: %lld\n",
                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec, nRssKiB);
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip)
    {
        // A pointer leaving a menu item gives the message pane back its own text.
        auto* pTip = static_cast<QStatusTipEvent*>(event);
        statusBar()->showMessage(pTip->tip().isEmpty() ? m_strStatusText : pTip->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_canCloseHook && !m_canCloseHook())
    {
        event->ignore();
        return;
    }
    m_pMdiArea->closeAllSubWindows();
    if (!m_pMdiArea->subWindowList().isEmpty())
    {
        event->ignore();
        return;
    }
    StorePlacement();
    if (m_logic.IsFullScreen())
        m_pFullScreenBar.reset();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
    {
        for (const QUrl& url : event->mimeData()->urls())
        {
            if (url.isLocalFile())
            {
                event->acceptProposedAction();
                return;
            }
        }
    }
    QMainWindow::dragEnterEvent(event);
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
    {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    if (m_dropHook)
        m_dropHook(paths);
}

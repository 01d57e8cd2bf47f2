#include "ui/gui/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "app/AppSettings.h"

CMainFrame::CMainFrame(CAppSettings& settings, QWidget* parent)
    : QMainWindow(parent), m_settings(settings)
{
    setWindowTitle(QStringLiteral("Scrivel"));
    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setViewMode(settings.m_bTabbedDocuments ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    m_pMdiArea->setTabsClosable(true);
    m_pMdiArea->setTabsMovable(true);
    m_pMdiArea->setDocumentMode(true);
    setCentralWidget(m_pMdiArea);
    statusBar()->showMessage(tr("Ready"));
    statusBar()->setVisible(settings.m_bShowStatusBar);
    CreateMenus();
    menuBar()->setVisible(settings.m_bShowMenuBar);
}

void CMainFrame::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* pageSetup = file->addAction(tr("Page Set&up..."));
    connect(pageSetup, &QAction::triggered, this, &CMainFrame::PageSetupRequested);
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"));
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* topics = help->addAction(tr("&Help"));
    topics->setShortcut(QKeySequence(Qt::Key_F1));
    connect(topics, &QAction::triggered, this, &CMainFrame::HelpRequested);
    connect(help->addAction(tr("&Keyboard shortcuts")), &QAction::triggered, this,
            &CMainFrame::KeyboardShortcutsRequested);
    connect(help->addAction(tr("&Command line help")), &QAction::triggered, this,
            &CMainFrame::CommandLineHelpRequested);
    help->addSeparator();
    connect(help->addAction(tr("&About Scrivel...")), &QAction::triggered, this,
            &CMainFrame::AboutRequested);
}

void CMainFrame::PlaceFromSettings()
{
    if (m_settings.HasStoredPlacement())
    {
        setGeometry(m_settings.m_nWindowPosX, m_settings.m_nWindowPosY,
                    m_settings.m_nWindowSizeCX, m_settings.m_nWindowSizeCY);
        show();
    }
    else
        showMaximized();
    if (m_settings.m_bWindowFullScreen)
        showFullScreen();
}

void CMainFrame::StorePlacement()
{
    m_settings.m_bWindowFullScreen = isFullScreen();
    m_settings.m_bWindowMaximized = isMaximized();
    // The normal (restored) geometry is what the next start places a window at.
    const QRect normal = normalGeometry();
    if (!isMaximized() && !isFullScreen() && normal.isValid())
    {
        m_settings.m_nWindowPosX = normal.x();
        m_settings.m_nWindowPosY = normal.y();
        m_settings.m_nWindowSizeCX = normal.width();
        m_settings.m_nWindowSizeCY = normal.height();
    }
    m_bPlacementStored = true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_pMdiArea->closeAllSubWindows();
    if (!m_pMdiArea->subWindowList().isEmpty())
    {
        event->ignore();
        return;
    }
    StorePlacement();
    event->accept();
}

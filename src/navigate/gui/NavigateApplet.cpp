#include "navigate/gui/NavigateApplet.h"

#include <QDockWidget>

#include "app/AppSettings.h"
#include "app/AppletDoc.h"
#include "app/OpenFile.h"
#include "app/UserData.h"
#include "app/gui/DocumentWindows.h"
#include "navigate/gui/DocumentViewPlace.h"
#include "navigate/gui/NavigateBar.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/gui/TarvoTextView.h"
#include "ui/gui/MainFrame.h"

CNavigateApplet::CNavigateApplet(CMainFrame& frame, CUserData& userData, CDocumentWindows& windows,
                                 CDocumentHost& host, const CSyntaxParserFactory* pFactory,
                                 const CAppSettings& settings)
    : m_userData(userData), m_windows(windows), m_host(host),
      m_reopen(userData.GetHistory(), userData.GetFavorites())
{
    m_reopen.SetOpenHook([this](const std::string& path, int nKind)
                         { return OpenByKind(path, nKind); });

    std::vector<std::string> masks;
    if (pFactory)
        pFactory->BuildMaskList(masks);
    SNavigateBarHooks hooks;
    hooks.openRecord = [this](const SFileRecord& record, bool bRestoreHorizontal)
    { m_reopen.OpenRecord(record, bRestoreHorizontal); };
    hooks.openFile = [this](const std::string& path) { OpenFileAs(m_host, path, 0, false); };
    QDockWidget* pDock = frame.NavigateBar();
    m_pBar =
        new CNavigateBar(userData.GetFavorites(), userData.GetHistory(), userData.GetFileFilters(),
                         masks, userData.GetLastFolder(), std::move(hooks), pDock);
    if (QWidget* pOld = pDock->widget())
        pOld->hide();
    pDock->setWidget(m_pBar);
    m_pBar->setTabVisible(CNavigateBar::PageExplorer, settings.m_bShowShellPage);
    m_pBar->setTabVisible(CNavigateBar::PageHistory, settings.m_bShowHistoryPage);
    const int nPage = settings.m_nActiveNavigatePage;
    m_pBar->setCurrentIndex(nPage >= 0 && nPage < m_pBar->count() && m_pBar->isTabVisible(nPage)
                                ? nPage
                                : CNavigateBar::PageFavorites);
}

CNavigateApplet::~CNavigateApplet()
{
    m_reopen.SetOpenHook({});
}

CReopenService::SOpened CNavigateApplet::OpenByKind(const std::string& strPath, int nKind)
{
    CReopenService::SOpened opened;
    // Whether the document is open already decides whether the view is moved.
    const bool bWasOpen =
        (nKind == 1 || nKind == 0) && m_host.FindOpenDocument(1, strPath) != nullptr;
    auto* pDoc = dynamic_cast<CAppletDoc*>(OpenFileAs(m_host, strPath, nKind, false));
    if (!pDoc)
        return opened;
    opened.bNewlyOpened = !bWasOpen;
    if (pDoc->GetDocType() != CAppletDoc::DocTypeText)
        return opened;
    if (CTarvoTextView* pView = FindTextView(m_windows, *pDoc))
    {
        m_pPlace = std::make_unique<CTextViewPlace>(*pView);
        opened.pView = m_pPlace.get();
    }
    return opened;
}

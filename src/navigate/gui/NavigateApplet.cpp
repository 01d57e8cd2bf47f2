#include "navigate/gui/NavigateApplet.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>

#include "app/AppSettings.h"
#include "app/AppletDoc.h"
#include "app/OpenFile.h"
#include "app/UserData.h"
#include "app/gui/DocumentWindows.h"
#include "navigate/gui/DocumentViewPlace.h"
#include "navigate/gui/NavigateBar.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/gui/TarvoTextView.h"
#include "ui/CommandIds.h"
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
    {
        m_bOpeningRecord = true;
        m_reopen.OpenRecord(record, bRestoreHorizontal);
        m_bOpeningRecord = false;
    };
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

    m_windows.SetHistoryHooks({[this](CAppletDoc& doc) { OnDocumentClosed(doc); },
                               [this](CAppletDoc& doc) { OnDocumentOpened(doc); }});
    m_userData.GetFavorites().SetMarkObserver(this);

    // The Favorites commands follow the file commands of the File menu.
    frame.RegisterCommands({{ID_FAVORITES_ADD, "Add to Fa&vorites", ""},
                            {ID_FAVORITES_REMOVE, "Remove from Favo&rites", ""}});
    frame.CommandAction(ID_FAVORITES_ADD)->setCheckable(true);
    QMenu* pFile = frame.Menu(QStringLiteral("&File"));
    const QList<QAction*> actions = pFile->actions();
    const qsizetype nAfter = actions.indexOf(frame.CommandAction(ID_FILE_OPEN_CONTAINING_FOLDER));
    QAction* pBefore = nAfter >= 0 && nAfter + 1 < actions.size() ? actions[nAfter + 1] : nullptr;
    pFile->insertAction(pBefore, frame.CommandAction(ID_FAVORITES_ADD));
    pFile->insertAction(pBefore, frame.CommandAction(ID_FAVORITES_REMOVE));
}

CNavigateApplet::~CNavigateApplet()
{
    m_userData.GetFavorites().SetMarkObserver(nullptr);
    m_windows.SetHistoryHooks({});
    m_reopen.SetOpenHook({});
}

namespace
{
int RecordTypeOf(const CAppletDoc& doc)
{
    return doc.GetDocType() == CAppletDoc::DocTypeText ? FileRecordText : FileRecordBinary;
}
} // namespace

// A text document is recorded with the place of its first view; a hex document, or a text
// document whose view is not a text view, without one.
void CNavigateApplet::OnDocumentClosed(CAppletDoc& doc)
{
    CTarvoTextView* pView =
        doc.GetDocType() == CAppletDoc::DocTypeText ? FindTextView(m_windows, doc) : nullptr;
    if (pView)
    {
        const CTextViewPlace place(*pView);
        m_reopen.OnDocumentClosing(doc.GetPathName(), FileRecordText, &place);
    }
    else
        m_reopen.OnDocumentClosing(doc.GetPathName(), RecordTypeOf(doc), nullptr);
}

void CNavigateApplet::OnDocumentOpened(CAppletDoc& doc)
{
    doc.SetFavorite(m_userData.GetFavorites().IsFavorite(doc.GetPathName()));
    if (m_bOpeningRecord || doc.GetDocType() != CAppletDoc::DocTypeText)
        return;
    if (CTarvoTextView* pView = FindTextView(m_windows, doc))
    {
        CTextViewPlace place(*pView);
        m_reopen.RestoreFromHistory(doc.GetPathName(), place);
    }
}

void CNavigateApplet::OnFavoriteMarkCleared(const std::string& strPath)
{
    for (int nKind : {1, 2})
        if (auto* pDoc = dynamic_cast<CAppletDoc*>(m_host.FindOpenDocument(nKind, strPath)))
            pDoc->SetFavorite(false);
}

CAppletDoc* CNavigateApplet::FavoriteCandidate() const
{
    CAppletDoc* pDoc = m_windows.ActiveDocument();
    if (!pDoc || pDoc->GetPathName().empty())
        return nullptr;
    const int nType = pDoc->GetDocType();
    return nType == CAppletDoc::DocTypeText || nType == CAppletDoc::DocTypeBinary ? pDoc : nullptr;
}

bool CNavigateApplet::OnUpdateCommand(int nId, SCommandState& state)
{
    if (nId != ID_FAVORITES_ADD && nId != ID_FAVORITES_REMOVE)
        return false;
    const CAppletDoc* pDoc = FavoriteCandidate();
    const bool bFavorite = pDoc && pDoc->IsFavorite();
    if (nId == ID_FAVORITES_ADD)
    {
        state.bEnabled = pDoc && !bFavorite;
        state.bChecked = bFavorite;
    }
    else
        state.bEnabled = bFavorite;
    return true;
}

bool CNavigateApplet::OnCommand(int nId)
{
    CAppletDoc* pDoc = FavoriteCandidate();
    if (!pDoc || (nId != ID_FAVORITES_ADD && nId != ID_FAVORITES_REMOVE))
        return false;
    const std::string path = pDoc->GetPathName();
    if (nId == ID_FAVORITES_REMOVE)
    {
        // The mark stands for the path in either type, so both records go; the observer
        // then clears the mark of every open document of the path.
        m_reopen.RemoveFromFavorites(path, FileRecordText);
        m_reopen.RemoveFromFavorites(path, FileRecordBinary);
        return true;
    }
    CTarvoTextView* pView =
        pDoc->GetDocType() == CAppletDoc::DocTypeText ? FindTextView(m_windows, *pDoc) : nullptr;
    std::unique_ptr<CTextViewPlace> pPlace =
        pView ? std::make_unique<CTextViewPlace>(*pView) : nullptr;
    pDoc->SetFavorite(m_reopen.AddToFavorites(path, RecordTypeOf(*pDoc), pPlace.get()));
    return true;
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

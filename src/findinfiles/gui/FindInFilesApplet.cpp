#include "findinfiles/gui/FindInFilesApplet.h"

#include <QComboBox>
#include <QDockWidget>

#include "app/AppletDocTemplate.h"
#include "app/OpenFile.h"
#include "app/gui/DocumentWindows.h"
#include "findinfiles/gui/FindInFilesForm.h"
#include "navigate/gui/DocumentViewPlace.h"
#include "platform/ProfileStore.h"
#include "textview/gui/TarvoTextView.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

CFindInFilesApplet::CFindInFilesApplet(CMainFrame& frame, CAppletDocManager& manager,
                                       CDocumentWindows& windows, CDocumentHost& host,
                                       const CSyntaxParserFactory* pFactory, CProfileStore& store)
    : m_frame(frame), m_manager(manager), m_windows(windows), m_host(host), m_pFactory(pFactory)
{
    m_settings.Load(store);
    QDockWidget* pDock = m_frame.OutputBar();
    m_pOutputBar = new CFindInFilesOutputBar(pDock);
    m_pOldDockWidget = pDock->widget();
    pDock->setWidget(m_pOutputBar);
    if (m_pOldDockWidget)
        m_pOldDockWidget->hide();
    m_pOutputBar->SetOpenHook([this](const std::string& path, int nLine)
                              { OpenResult(path, nLine); });
    m_pOutputBar->SetHideHook([this] { m_frame.OutputBar()->hide(); });
    m_windows.SetToolViewFactory([this](CAppletDoc& doc) { return MakeForm(doc); });
}

CFindInFilesApplet::~CFindInFilesApplet()
{
    m_windows.SetToolViewFactory({});
    // The forms are views of their documents; each one cancels and joins its search when
    // it goes. The documents are closed before the applet ends, so none is left here;
    // should one be, its form still finds its pane, because the bar stays with the frame.
    m_pOutputBar->SetOpenHook({});
    m_pOutputBar->SetHideHook({});
}

void CFindInFilesApplet::Save(CProfileStore& store) const
{
    m_settings.Save(store);
}

CAppletDoc* CFindInFilesApplet::NewSearch()
{
    CAppletDocTemplate* pTemplate = m_manager.GetTemplate(CAppletDoc::DocTypeFindInFiles);
    return pTemplate ? pTemplate->OpenDocumentFile("") : nullptr;
}

QWidget* CFindInFilesApplet::MakeForm(CAppletDoc& doc)
{
    (void)doc;
    SFindInFilesFormHooks hooks;
    hooks.showOutputBar = [this]
    {
        QDockWidget* pDock = m_frame.OutputBar();
        if (pDock->isHidden())
            pDock->show();
    };
    // The shared find history is the text tool bar's find box.
    hooks.findHistory = [this]
    {
        std::vector<std::string> texts;
        if (QComboBox* pBox = m_frame.FindBox(kDocTypeText))
            for (int i = 0; i < pBox->count(); ++i)
                texts.push_back(pBox->itemText(i).toUtf8().toStdString());
        return texts;
    };
    hooks.addFindHistory = [this](const std::string& text)
    {
        QComboBox* pBox = m_frame.FindBox(kDocTypeText);
        const QString item = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (!pBox || item.trimmed().isEmpty())
            return;
        const int nOld = pBox->findText(item, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (nOld >= 0)
            pBox->removeItem(nOld);
        pBox->insertItem(0, item);
    };
    hooks.chooseFolder = m_chooseFolder;
    return new CFindInFilesForm(*m_pOutputBar, m_settings, m_pFactory, std::move(hooks));
}

void CFindInFilesApplet::OpenResult(const std::string& strPath, int nLine)
{
    auto* pDoc = dynamic_cast<CAppletDoc*>(OpenFileAs(m_host, strPath, 0, false));
    if (!pDoc || pDoc->GetDocType() != CAppletDoc::DocTypeText || nLine < 1)
        return;
    if (CTarvoTextView* pView = FindTextView(m_windows, *pDoc))
    {
        GoToLineCentered(*pView, nLine);
        pView->setFocus();
    }
}

bool CFindInFilesApplet::OnUpdateCommand(int nId, SCommandState& state)
{
    if (nId != ID_FIND_IN_FILES)
        return false;
    state.bEnabled = true;
    return true;
}

bool CFindInFilesApplet::OnCommand(int nId)
{
    if (nId != ID_FIND_IN_FILES)
        return false;
    NewSearch();
    return true;
}

#include "app/gui/TextDocumentViews.h"

#include <QAction>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <vector>

#include "app/TextEditDoc.h"
#include "app/gui/DocumentWindows.h"
#include "platform/Folders.h"
#include "platform/SystemInfo.h"
#include "textview/TextEditCommands.h"
#include "textview/TextViewCommands.h"
#include "textview/gui/TarvoTextEditView.h"
#include "textview/gui/TextEditFrameBinding.h"
#include "textview/gui/TextEncodingDlgs.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"

namespace
{
const std::vector<SCommandInfo>& DocumentCommands()
{
    static const std::vector<SCommandInfo> commands = {
        {ID_TEXT_LINE_ENDINGS, "Line &Endings...", ""},
        {ID_TEXT_ENCODING, "Character &Encoding...", ""},
        {ID_TEXT_EXPORT_HTML, "E&xport to HTML...", ""},
        {ID_TEXT_PREVIEW_BROWSER, "Preview in &Browser", ""},
        {ID_FILE_PRINT, "&Print...", "Ctrl+P"},
        {ID_FILE_PRINT_PREVIEW, "Print Pre&view", ""},
    };
    return commands;
}

CTarvoTextEditView* AsTextView(QWidget* pView)
{
    return qobject_cast<CTarvoTextEditView*>(pView);
}
} // namespace

CTextDocumentViews::CTextDocumentViews(CMainFrame& frame, ITextSearchHistory& history,
                                       std::function<void(int margins[4])> getPageMargins)
    : QObject(&frame), m_frame(frame), m_history(history),
      m_fnPageMargins(std::move(getPageMargins))
{
}

CTextDocumentViews::~CTextDocumentViews() = default;

void CTextDocumentViews::Install()
{
    InstallTextEditCommands(m_frame);
    m_frame.RegisterCommands(DocumentCommands());
    m_frame.RegisterCommands(CTextViewOptions::GetCommandInfos());

    // File menu: the encoding commands after Reload, export and printing before Page Setup.
    QMenu* file = m_frame.Menu(QStringLiteral("&File"));
    QAction* pProperties = m_frame.CommandAction(ID_FILE_PROPERTIES);
    file->insertAction(pProperties, m_frame.CommandAction(ID_TEXT_LINE_ENDINGS));
    file->insertAction(pProperties, m_frame.CommandAction(ID_TEXT_ENCODING));
    file->insertSeparator(pProperties);
    QAction* pPageSetup = m_frame.CommandAction(ID_FILE_PAGE_SETUP);
    for (int nId : {ID_TEXT_EXPORT_HTML, ID_TEXT_PREVIEW_BROWSER})
        file->insertAction(pPageSetup, m_frame.CommandAction(nId));
    file->insertSeparator(pPageSetup);
    for (int nId : {ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
        file->insertAction(pPageSetup, m_frame.CommandAction(nId));

    // View menu: the display toggles before the syntax types, all with check marks.
    QMenu* view = m_frame.Menu(QStringLiteral("&View"));
    auto* pSyntax = view->findChild<QMenu*>(QStringLiteral("SyntaxMenu"));
    QAction* pBefore = pSyntax != nullptr ? pSyntax->menuAction() : nullptr;
    view->insertSeparator(pBefore);
    for (const SCommandInfo& info : CTextViewOptions::GetCommandInfos())
    {
        QAction* pAction = m_frame.CommandAction(info.nId);
        pAction->setCheckable(true);
        view->insertAction(pBefore, pAction);
    }
    if (pSyntax != nullptr)
        for (QAction* pAction : pSyntax->actions())
            if (!pAction->isSeparator())
                pAction->setCheckable(true);

    m_pBinding = new CTextEditFrameBinding(m_frame, m_history);
}

SViewHooks CTextDocumentViews::MakeViewHooks()
{
    SViewHooks hooks;
    hooks.addToRoute = [this](CCommandRoute& route, QWidget* pView, CAppletDoc*)
    {
        if (CTarvoTextEditView* pText = AsTextView(pView))
        {
            route.Add(pText);
            route.Add(this);
        }
    };
    hooks.activated = [this](QWidget* pView, CAppletDoc* pDoc) { OnActivated(pView, pDoc); };
    hooks.reloaded = [](QWidget* pView, CAppletDoc& doc)
    {
        // The buffer holds other lines now: caret, selection, wrapping and scrolling start
        // over on them.
        auto* pText = AsTextView(pView);
        auto* pDoc = dynamic_cast<CTextEditDoc*>(&doc);
        if (pText != nullptr && pDoc != nullptr)
            pText->SetBuffer(&pDoc->GetBuffer());
    };
    hooks.closing = [this](QWidget* pView, CAppletDoc& doc)
    {
        CTarvoTextEditView* pText = AsTextView(pView);
        if (pText == nullptr)
            return;
        if (pText == m_pView)
        {
            m_pBinding->SetActiveView(nullptr);
            m_pView = nullptr;
            m_pDoc = nullptr;
        }
        else if (m_pDoc == &doc)
            m_pDoc = nullptr;
        // Cancels and joins a running wrap pass or export before the buffer goes away with
        // its document; the widget itself is deleted later by its frame.
        pText->SetBuffer(nullptr);
    };
    return hooks;
}

QWidget* CTextDocumentViews::MakeView(CTextEditDoc& doc)
{
    auto* pView = new CTarvoTextEditView();
    pView->SetDocumentPath(doc.GetPathName());
    pView->SetBuffer(&doc.GetBuffer());
    STextEditHooks& hooks = pView->Controller().GetHooks();
    hooks.fileExists = [](const std::string& path) { return PathExists(path); };
    hooks.openDocument = [this](const std::string& path)
    {
        if (m_fnOpenFile)
            m_fnOpenFile(path);
    };
    return pView;
}

void CTextDocumentViews::OnActivated(QWidget* pView, CAppletDoc* pDoc)
{
    CTarvoTextEditView* pText = AsTextView(pView);
    m_pView = pText;
    m_pDoc = pText != nullptr ? dynamic_cast<CTextEditDoc*>(pDoc) : nullptr;
    if (pText != nullptr && m_pDoc != nullptr)
        pText->SetDocumentPath(m_pDoc->GetPathName()); // a Save As may have renamed it
    m_pBinding->SetActiveView(pText);
    m_frame.RequestCommandStateUpdate();
}

bool CTextDocumentViews::OnUpdateCommand(int nId, SCommandState& state)
{
    switch (nId)
    {
    case ID_TEXT_LINE_ENDINGS:
    case ID_TEXT_ENCODING:
        state.bEnabled = m_pDoc != nullptr && !m_pDoc->GetBuffer().IsReadOnly();
        return true;
    case ID_TEXT_EXPORT_HTML:
    case ID_TEXT_PREVIEW_BROWSER:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
        state.bEnabled = m_pView != nullptr;
        return true;
    default:
        return false;
    }
}

bool CTextDocumentViews::OnCommand(int nId)
{
    if (m_pView == nullptr || m_pDoc == nullptr)
        return false;
    switch (nId)
    {
    case ID_TEXT_LINE_ENDINGS:
        ChooseLineEndings();
        return true;
    case ID_TEXT_ENCODING:
        ChooseEncoding();
        return true;
    case ID_TEXT_EXPORT_HTML:
        m_pView->SetDocumentPath(m_pDoc->GetPathName());
        m_pView->ExportToHtml();
        return true;
    case ID_TEXT_PREVIEW_BROWSER:
        m_pView->SetDocumentPath(m_pDoc->GetPathName());
        m_pView->PreviewInBrowser();
        return true;
    case ID_FILE_PRINT:
        Print(false);
        return true;
    case ID_FILE_PRINT_PREVIEW:
        Print(true);
        return true;
    default:
        return false;
    }
}

void CTextDocumentViews::ChooseLineEndings()
{
    const std::string path = m_pDoc->GetPathName();
    int nMode = 0;
    if (m_prompts.chooseLineEndings)
        nMode = m_prompts.chooseLineEndings(path);
    else
    {
        CLineEndingsDlg dlg(path, &m_frame);
        if (dlg.exec() == QDialog::Accepted)
            nMode = dlg.GetLineEndMode();
    }
    if (nMode == 0 || !m_pDoc->GetLogic().ApplyLineEndMode(nMode))
        return;
    m_pDoc->UpdateTitle();
    if (m_pView != nullptr)
    {
        m_pView->RefreshLayout();
        m_pView->viewport()->update();
    }
    m_pBinding->UpdatePanes();
}

void CTextDocumentViews::ChooseEncoding()
{
    const std::string path = m_pDoc->GetPathName();
    SEncodingChoice choice = m_pDoc->GetLogic().GetEncodingInput();
    bool bOk;
    if (m_prompts.chooseEncoding)
        bOk = m_prompts.chooseEncoding(path, choice.nEncoding, choice.nCodePage);
    else
    {
        CEncodingDlg dlg(path, choice, GetTextCodePage(), &m_frame);
        bOk = dlg.exec() == QDialog::Accepted;
        if (bOk)
            choice = dlg.GetChoice();
    }
    if (bOk && m_pDoc->GetLogic().ApplyEncodingChoice(choice))
        m_pDoc->UpdateTitle();
}

void CTextDocumentViews::Print(bool bPreview)
{
    int margins[4] = {2000, 2000, 2000, 2000};
    if (m_fnPageMargins)
        m_fnPageMargins(margins);
    QPointer<CTarvoTextEditView> pView = m_pView;
    auto print = [pView, margins](QPrinter* printer)
    {
        if (pView != nullptr && pView->GetBuffer() != nullptr)
            pView->PrintDocument(*printer, margins[0] / 100.0, margins[1] / 100.0,
                                 margins[2] / 100.0, margins[3] / 100.0);
    };
    QPrinter printer(QPrinter::HighResolution);
    if (m_pDoc != nullptr && !m_pDoc->GetPathName().empty())
        printer.setDocName(QString::fromStdString(m_pDoc->GetTitleText(false, false)));
    if (bPreview)
    {
        QPrintPreviewDialog dialog(&printer, &m_frame);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, print);
        dialog.exec();
        return;
    }
    QPrintDialog dialog(&printer, &m_frame);
    if (dialog.exec() == QDialog::Accepted)
        print(&printer);
}

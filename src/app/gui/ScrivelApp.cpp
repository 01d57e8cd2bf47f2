#include "app/gui/ScrivelApp.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

#include "app/AppFolders.h"
#include "app/AppSettings.h"
#include "app/AppletDocTemplate.h"
#include "app/CommandLine.h"
#include "app/FindInFilesDoc.h"
#include "app/HexEditDoc.h"
#include "app/TextEditDoc.h"
#include "app/UserData.h"
#include "app/gui/DocumentWindows.h"
#include "app/gui/HexEditWindows.h"
#include "app/gui/OptionsSheet.h"
#include "app/gui/TextDocumentViews.h"
#include "encoding/FileKind.h"
#include "findinfiles/gui/FindInFilesApplet.h"
#include "findinfiles/gui/FindInFilesWnd.h"
#include "hex/gui/HexEditModule.h"
#include "navigate/gui/NavigateApplet.h"
#include "navigate/gui/NavigateBar.h"
#include "platform/FileWatch.h"
#include "platform/Folders.h"
#include "platform/gui/QtProfileStore.h"
#include "syntax/TextEditModule.h"
#include "textview/gui/TextSearchHistory.h"
#include "ui/CommandIds.h"
#include "ui/gui/MainFrame.h"
#include "ui/gui/PageSetupDlg.h"

CScrivelApp::CScrivelApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // The arguments as the process received them (the toolkit has removed its own).
    for (int i = 0; i < argc; ++i)
        m_args.emplace_back(argv[i] ? argv[i] : "");
}

CScrivelApp::~CScrivelApp()
{
    SetProfileStore(nullptr);
}

CProfileStore& CScrivelApp::Profile()
{
    return m_pProfile ? static_cast<CProfileStore&>(*m_pProfile) : GetProfileStore();
}

bool CScrivelApp::InitInstance()
{
    if (!InitializeComponentModel())
    {
        ShowMessage("OLE initialization failed.  Make sure that the OLE libraries are the correct "
                    "version.");
        return false;
    }
    SetRegistryKey();
    if (!InitializeAppData())
        return false;
    LoadSettings();
    LoadUserData();
    if (!CreateModules())
        return false;
    if (!InitializeApplets())
        return false;
    if (!CreateMainFrame())
        return false;
    if (!ProcessCommandLine())
        return false;
    PlaceMainWindow();
    m_bStarted = true;
    return true;
}

int CScrivelApp::ExitInstance(int code)
{
    EndApplets();
    DestroyModules();
    if (m_pProfile)
    {
        SaveSettings();
        SaveUserData();
        m_pProfile->Flush();
    }
    m_pTextViews = nullptr; // goes with the frame
    m_pMainFrame.reset();
    return code;
}

// Component start-up: nothing to initialise on this platform; the step stays so that the
// order of start-up is the same everywhere.
bool CScrivelApp::InitializeComponentModel()
{
    return true;
}

void CScrivelApp::SetRegistryKey()
{
    setOrganizationName(QStringLiteral("Vantro Software"));
    setApplicationName(QStringLiteral("Scrivel"));
    m_pProfile = std::make_unique<CQtProfileStore>();
    SetProfileStore(m_pProfile.get());
}

// Shared user-interface resources and the list of installed code pages. The toolkit makes
// fonts and cursors on demand; the code-page list is built by the encoding layer.
bool CScrivelApp::InitializeAppData()
{
    return true;
}

void CScrivelApp::LoadSettings()
{
    GetAppSettings().Load(Profile());
}

// Last folder, history, favorites (each within "MaxFiles") and the file-filter list.
void CScrivelApp::LoadUserData()
{
    m_pUserData = std::make_unique<CUserData>();
    m_pUserData->Load(Profile(), GetAppSettings().m_nMaxFiles);
}

// The shell manager of the navigation bar (created with the navigation bar), then the text
// edit module (text settings, colours, fonts, parsers) and the hex edit module (hex
// settings, colours, fonts, the recent-find list). A text module that cannot start ends
// start-up.
bool CScrivelApp::CreateModules()
{
    const int nLogPixelsY =
        primaryScreen() ? static_cast<int>(primaryScreen()->logicalDotsPerInchY()) : 96;
    m_pTextModule = std::make_unique<CTarvoTextEditModule>(nLogPixelsY);
    if (!m_pTextModule->Start(Profile()))
        return false;
    // The recent find and replace texts belong to the text settings.
    CRecentSearchHistory::Instance().Load(Profile());
    m_pHexModule = std::make_unique<CTarvoHexEditModule>();
    m_pHexModule->Start(Profile());
    return true;
}

// The text, binary and find-in-files applets with their document templates, the document
// windows, and the watching of open files (whose notifications reach the windows as queued
// calls on this thread).
bool CScrivelApp::InitializeApplets()
{
    m_pWatch = std::make_unique<CFileWatchService>();
    m_pDocManager = std::make_unique<CAppletDocManager>(GetAppSettings(), m_pWatch.get());
    const CSyntaxParserFactory* pFactory = m_pTextModule ? &m_pTextModule->GetFactory() : nullptr;
    const CFavoritesManager* pFavorites = m_pUserData ? &m_pUserData->GetFavorites() : nullptr;
    m_pDocManager->AddTemplate(
        std::make_unique<CTextEditDocTemplate>(*m_pDocManager, pFactory, pFavorites));
    m_pDocManager->AddTemplate(
        std::make_unique<CHexEditDocTemplate>(*m_pDocManager, m_pHexModule.get()));
    m_pDocManager->AddTemplate(std::make_unique<CFindInFilesDocTemplate>(*m_pDocManager));
    m_pDocWindows =
        std::make_unique<CDocumentWindows>(*m_pDocManager, *this, m_pUserData.get(), pFactory);
    CDocumentWindows* pWindows = m_pDocWindows.get();
    m_pWatch->SetNotifyCallback([pWindows](const SFileWatchNotification& n)
                                { pWindows->PostFileWatchNotification(n); });
    // Changed options take effect in the open documents.
    m_optionsContext.hooks.updateTitles = [this]
    {
        if (m_pDocManager)
            m_pDocManager->UpdateTitles();
    };
    m_optionsContext.hooks.applyFileWatch = [this](bool)
    {
        if (m_pDocManager)
            m_pDocManager->ApplyFileWatch();
    };
    m_optionsContext.hooks.applyTabSettings = [this](const STabOptions& tabs)
    {
        CAppletDocTemplate* pTemplate =
            m_pDocManager ? m_pDocManager->GetTemplate(CAppletDoc::DocTypeText) : nullptr;
        if (auto* pText = dynamic_cast<CTextEditDocTemplate*>(pTemplate))
            pText->ApplyTabSettings(tabs.nTabSize, tabs.bKeepTabs);
    };
    return true;
}

void CScrivelApp::ApplyDocumentSettings()
{
    if (!m_pDocManager)
        return;
    m_pDocManager->UpdateTitles();
    m_pDocManager->ApplyFileWatch();
}

bool CScrivelApp::CreateMainFrame()
{
    // Desktops match the window to the installed desktop entry (its name and icon) by this.
    setDesktopFileName(QStringLiteral("scrivel"));
    m_pMainFrame = std::make_unique<CMainFrame>(GetAppSettings());
    m_pMainFrame->SetApplicationTarget(this);
    m_optionsContext.hooks.applyTabbed = [this](bool bTabbed)
    {
        if (m_pMainFrame)
            m_pMainFrame->SetTabbedDocuments(bTabbed);
    };
    if (m_pTextModule)
        m_pMainFrame->BuildSyntaxMenu(m_pTextModule->GetFactory());
    if (m_pDocWindows)
        m_pDocWindows->AttachFrame(m_pMainFrame.get());
    AttachTextViews();
    if (m_pDocWindows && m_pDocManager)
    {
        const CSyntaxParserFactory* pFactory =
            m_pTextModule ? &m_pTextModule->GetFactory() : nullptr;
        m_pFindInFiles = std::make_unique<CFindInFilesApplet>(
            *m_pMainFrame, *m_pDocManager, *m_pDocWindows, *this, pFactory, Profile());
        if (m_pUserData)
            m_pNavigate = std::make_unique<CNavigateApplet>(
                *m_pMainFrame, *m_pUserData, *m_pDocWindows, *this, pFactory, GetAppSettings());
    }
    if (m_pFindInFiles && m_pFindInFiles->OutputBar())
        m_pFindInFiles->OutputBar()->SelectPane(GetAppSettings().m_nActiveOutputPage);
    if (m_pDocWindows && m_pHexModule)
        m_pHexWindows = std::make_unique<CHexEditWindows>(*m_pHexModule, *m_pDocWindows,
                                                          *m_pMainFrame, m_optionsContext);
    return true;
}

// The text documents get the editable view; its commands join the frame's menus.
void CScrivelApp::AttachTextViews()
{
    if (!m_pDocWindows || !m_pTextModule)
        return;
    m_pTextViews = new CTextDocumentViews(*m_pMainFrame, CRecentSearchHistory::Instance(),
                                          [](int margins[4])
                                          {
                                              const CAppSettings& s = GetAppSettings();
                                              margins[0] = s.m_nPageMarginLeft;
                                              margins[1] = s.m_nPageMarginTop;
                                              margins[2] = s.m_nPageMarginRight;
                                              margins[3] = s.m_nPageMarginBottom;
                                          });
    m_pTextViews->Install();
    m_pTextViews->SetFileOpener([this](const std::string& path)
                                { OpenFileAs(*this, path, FileKindText, false); });
    CTextDocumentViews* pViews = m_pTextViews;
    m_pDocWindows->SetTextViewFactory([pViews](CTextEditDoc& doc)
                                      { return pViews->MakeView(doc); });
    m_pDocWindows->SetTextViewHooks(pViews->MakeViewHooks());
}

bool CScrivelApp::ProcessCommandLine()
{
    CCommandLine commandLine;
    commandLine.ParseCommandLine(m_args);
    return ActOnCommandLine(*this, commandLine);
}

void CScrivelApp::PlaceMainWindow()
{
    m_pMainFrame->PlaceFromSettings();
}

// Each applet ends its documents (the user has been asked before the window closed); the
// find-in-files applet stores its last folders. The watcher thread has ended when the
// last document stopped watching.
void CScrivelApp::EndApplets()
{
    if (m_pMainFrame)
    {
        m_pMainFrame->SetActiveRouteHook({});
        m_pMainFrame->SetDropHook({});
        m_pMainFrame->SetCanCloseHook({});
    }
    if (m_pDocManager)
        for (const auto& pTemplate : m_pDocManager->GetTemplates())
            pTemplate->CloseAllDocumentsBut(nullptr);
    StoreBarPages();
    // The find-in-files forms went with their documents, each after its search ended.
    if (m_pFindInFiles && m_pProfile)
        m_pFindInFiles->Save(Profile());
    m_pFindInFiles.reset();
    m_pNavigate.reset();
    if (m_pWatch)
        m_pWatch->SetNotifyCallback({});
    if (m_pDocManager)
        m_pDocManager->SetUi(nullptr);
    m_pHexWindows.reset();
    m_pDocWindows.reset();
    m_pDocManager.reset();
    m_pWatch.reset();
}

// The pages the navigation bar and the output bar show, to be shown again at the next
// start; they are saved with the other settings.
void CScrivelApp::StoreBarPages()
{
    CAppSettings& settings = GetAppSettings();
    if (m_pNavigate && m_pNavigate->Bar())
        settings.m_nActiveNavigatePage = m_pNavigate->Bar()->currentIndex();
    if (m_pFindInFiles && m_pFindInFiles->OutputBar())
        settings.m_nActiveOutputPage = m_pFindInFiles->OutputBar()->currentIndex();
}

// The hex edit module, then the text edit module (which saves its settings), then the
// shell manager.
void CScrivelApp::DestroyModules()
{
    if (m_pHexModule && m_pProfile)
        m_pHexModule->Stop(Profile());
    m_pHexModule.reset();
    if (m_pTextModule && m_pProfile)
    {
        CRecentSearchHistory::Instance().Save(Profile());
        m_pTextModule->Stop(Profile());
    }
    m_pTextModule.reset();
}

void CScrivelApp::SaveSettings()
{
    if (m_pMainFrame && m_pMainFrame->isVisible())
        m_pMainFrame->StorePlacement();
    GetAppSettings().Save(Profile());
}

// "LastFolder", the history, the favorites and the file-filter list.
void CScrivelApp::SaveUserData()
{
    if (m_pUserData)
        m_pUserData->Save(Profile());
}

int CScrivelApp::DetectFileKind(const std::string& path)
{
    return ::DetectFileKind(path);
}

namespace
{
int DocTypeOfTemplate(int nTemplate)
{
    return nTemplate == FileKindText ? CAppletDoc::DocTypeText : CAppletDoc::DocTypeBinary;
}
} // namespace

CAppDocument* CScrivelApp::FindOpenDocument(int nTemplate, const std::string& path)
{
    CAppletDocTemplate* pTemplate =
        m_pDocManager ? m_pDocManager->GetTemplate(DocTypeOfTemplate(nTemplate)) : nullptr;
    return pTemplate && !path.empty() ? pTemplate->FindOpenDocument(MakeAbsolutePath(path))
                                      : nullptr;
}

CAppDocument* CScrivelApp::OpenDocument(int nTemplate, const std::string& path)
{
    CAppletDocTemplate* pTemplate =
        m_pDocManager ? m_pDocManager->GetTemplate(DocTypeOfTemplate(nTemplate)) : nullptr;
    if (!pTemplate)
        return nullptr;
    // Documents keep absolute paths: the title, the history and the watch name the file
    // wherever the current folder moves.
    return pTemplate->OpenDocumentFile(path.empty() ? path : MakeAbsolutePath(path));
}

void CScrivelApp::SetDocumentReadOnly(CAppDocument* pDocument)
{
    if (auto* pDoc = dynamic_cast<CAppletDoc*>(pDocument))
    {
        pDoc->SetReadOnly(true);
        if (m_pDocWindows)
            m_pDocWindows->UpdateViews(*pDoc);
    }
}

bool CScrivelApp::ActivateDocument(CAppDocument* pDocument)
{
    auto* pDoc = dynamic_cast<CAppletDoc*>(pDocument);
    return pDoc && m_pDocWindows && m_pDocWindows->ActivateDocument(*pDoc);
}

bool CScrivelApp::HelpFileExists()
{
    return PathExists(GetHelpFilePath(Profile()));
}

void CScrivelApp::ShowHelpTopic(const std::string& topic)
{
    OpenHelpPage(topic);
}

void CScrivelApp::OpenHelpPage(const std::string& topic)
{
    if (!HelpFileExists())
    {
        ShowMessage("Help file is missing!");
        return;
    }
    std::string page =
        topic.empty() ? GetHelpFilePath(Profile()) : GetHelpTopicPath(Profile(), topic);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page)));
}

void CScrivelApp::ShowMessage(const std::string& text)
{
    if (m_messageHook)
    {
        m_messageHook(text);
        return;
    }
    QMessageBox::warning(m_pMainFrame.get(), QStringLiteral("Scrivel"),
                         QString::fromStdString(text));
}

bool CScrivelApp::OnUpdateCommand(int nId, SCommandState& state)
{
    if (m_pFindInFiles && m_pFindInFiles->OnUpdateCommand(nId, state))
        return true;
    if (m_pNavigate && m_pNavigate->OnUpdateCommand(nId, state))
        return true;
    switch (nId)
    {
    case ID_HELP_CONTENTS:
    case ID_HELP_KEYBOARD:
    case ID_HELP_COMMAND_LINE:
    case ID_APP_ABOUT:
    case ID_FILE_PAGE_SETUP:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_EXIT:
    case ID_SETTINGS:
        return true;
    default:
        return false;
    }
}

bool CScrivelApp::OnCommand(int nId)
{
    if (m_pFindInFiles && m_pFindInFiles->OnCommand(nId))
        return true;
    if (m_pNavigate && m_pNavigate->OnCommand(nId))
        return true;
    switch (nId)
    {
    case ID_HELP_CONTENTS:
        OnHelp();
        return true;
    case ID_HELP_KEYBOARD:
        OnKeyboardShortcuts();
        return true;
    case ID_HELP_COMMAND_LINE:
        OnCommandLineHelp();
        return true;
    case ID_APP_ABOUT:
        OnAbout();
        return true;
    case ID_FILE_PAGE_SETUP:
        OnPageSetup();
        return true;
    case ID_FILE_PRINT_SETUP:
        OnPrintSetup();
        return true;
    case ID_SETTINGS:
        OnSettings();
        return true;
    case ID_APP_EXIT:
        if (m_pMainFrame)
            m_pMainFrame->close();
        return true;
    default:
        return false;
    }
}

void CScrivelApp::OnHelp()
{
    OpenHelpPage("");
}

void CScrivelApp::OnKeyboardShortcuts()
{
    OpenHelpPage(kHelpTopicKeyboard);
}

void CScrivelApp::OnCommandLineHelp()
{
    OpenHelpPage(kHelpTopicCommandLine);
}

void CScrivelApp::OnAbout()
{
    QMessageBox::about(
        m_pMainFrame.get(), tr("About Scrivel"),
        tr("<b>Scrivel</b> %1<br>A fast, trustworthy editor for text and for bytes.<br>"
           "&copy; Vantro Software")
            .arg(QStringLiteral(SCRIVEL_VERSION)));
}

void CScrivelApp::OnPageSetup()
{
    CAppSettings& s = GetAppSettings();
    CPageSetupDlg dlg(s.m_nPageMarginLeft, s.m_nPageMarginTop, s.m_nPageMarginRight,
                      s.m_nPageMarginBottom, m_pMainFrame.get());
    if (dlg.exec() != QDialog::Accepted)
        return;
    s.m_nPageMarginLeft = dlg.Left();
    s.m_nPageMarginTop = dlg.Top();
    s.m_nPageMarginRight = dlg.Right();
    s.m_nPageMarginBottom = dlg.Bottom();
}

void CScrivelApp::OnPrintSetup()
{
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>();
    QPageSetupDialog dlg(m_pPrinter.get(), m_pMainFrame.get());
    dlg.exec();
}

void CScrivelApp::OnSettings()
{
    COptionsSheet sheet(GetAppSettings(), m_pTextModule.get(), m_optionsContext,
                        m_pMainFrame.get());
    sheet.exec();
}

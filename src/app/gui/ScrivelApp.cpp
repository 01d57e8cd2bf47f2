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
#include "app/CommandLine.h"
#include "app/UserData.h"
#include "encoding/FileKind.h"
#include "platform/Folders.h"
#include "platform/gui/QtProfileStore.h"
#include "syntax/TextEditModule.h"
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
// edit module (text settings, colours, fonts, parsers) and the hex edit module (created with
// the hex view). A text module that cannot start ends start-up.
bool CScrivelApp::CreateModules()
{
    const int nLogPixelsY =
        primaryScreen() ? static_cast<int>(primaryScreen()->logicalDotsPerInchY()) : 96;
    m_pTextModule = std::make_unique<CTarvoTextEditModule>(nLogPixelsY);
    return m_pTextModule->Start(Profile());
}

// The text, binary and find-in-files applets with their document templates.
bool CScrivelApp::InitializeApplets()
{
    return true;
}

bool CScrivelApp::CreateMainFrame()
{
    m_pMainFrame = std::make_unique<CMainFrame>(GetAppSettings());
    m_pMainFrame->SetApplicationTarget(this);
    if (m_pTextModule)
        m_pMainFrame->BuildSyntaxMenu(m_pTextModule->GetFactory());
    return true;
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

// Each applet ends its documents; the find-in-files applet stores its last folders.
void CScrivelApp::EndApplets() {}

// The hex edit module, then the text edit module (which saves its settings), then the
// shell manager.
void CScrivelApp::DestroyModules()
{
    if (m_pTextModule && m_pProfile)
        m_pTextModule->Stop(Profile());
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

CAppDocument* CScrivelApp::FindOpenDocument(int, const std::string&)
{
    return nullptr;
}

CAppDocument* CScrivelApp::OpenDocument(int nTemplate, const std::string& path)
{
    // The document templates register here; until a template of this kind exists the
    // request is reported in the status bar and nothing opens.
    if (m_pMainFrame)
    {
        const QString kind = nTemplate == FileKindText ? tr("text") : tr("binary");
        const QString name = path.empty() ? tr("a new document") : QString::fromStdString(path);
        m_pMainFrame->statusBar()->showMessage(
            tr("No %1 editor is available to open %2.").arg(kind, name));
    }
    return nullptr;
}

void CScrivelApp::SetDocumentReadOnly(CAppDocument*) {}

bool CScrivelApp::ActivateDocument(CAppDocument*)
{
    return false;
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
    (void)state;
    switch (nId)
    {
    case ID_HELP_CONTENTS:
    case ID_HELP_KEYBOARD:
    case ID_HELP_COMMAND_LINE:
    case ID_APP_ABOUT:
    case ID_FILE_PAGE_SETUP:
    case ID_FILE_PRINT_SETUP:
    case ID_APP_EXIT:
        return true;
    default:
        return false;
    }
}

bool CScrivelApp::OnCommand(int nId)
{
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

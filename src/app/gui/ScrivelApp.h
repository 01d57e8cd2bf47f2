#pragma once
// The application object: brings the process up in its fixed order, acts on the command
// line, owns the settings, the user data, the modules and the document templates, and
// tears everything down in the reverse order at exit.
//
// Start-up steps that belong to later work (the editor modules, the applets and their
// document templates, the navigation bar's shell manager) are the named seams below.

#include <QApplication>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/OpenFile.h"
#include "ui/CommandTarget.h"
#include "ui/Options.h"

class CMainFrame;
class CQtProfileStore;
class CProfileStore;
class CUserData;
class CTarvoTextEditModule;
class QPrinter;
class CFileWatchService;
class CAppletDocManager;
class CDocumentWindows;
class CFindInFilesApplet;
class CNavigateApplet;
class CTextDocumentViews;
class CTarvoHexEditModule;
class CHexEditWindows;

class CScrivelApp : public QApplication, public CDocumentHost, public CCommandTarget
{
    Q_OBJECT
public:
    CScrivelApp(int& argc, char** argv);
    ~CScrivelApp() override;

    // Start-up; false ends the process (the caller then calls ExitInstance).
    bool InitInstance();
    // Shut-down; returns the process exit code.
    int ExitInstance(int code);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    CProfileStore& Profile();
    CUserData* UserData() const { return m_pUserData.get(); }
    // The documents: their manager (templates, save all, close all) and their windows.
    CAppletDocManager* DocumentManager() const { return m_pDocManager.get(); }
    CDocumentWindows* DocumentWindows() const { return m_pDocWindows.get(); }
    CFileWatchService* FileWatchService() const { return m_pWatch.get(); }
    // After the settings changed: titles follow "ShowLongTitle", watching follows
    // "FileWatch".
    void ApplyDocumentSettings();
    CTarvoTextEditModule* TextModule() const { return m_pTextModule.get(); }
    // The find-in-files tool and the navigation bar, while the main window exists.
    CFindInFilesApplet* FindInFiles() const { return m_pFindInFiles.get(); }
    CNavigateApplet* Navigate() const { return m_pNavigate.get(); }
    // The text documents' views in the main window (owned by the frame).
    CTextDocumentViews* TextViews() const { return m_pTextViews; }
    CTarvoHexEditModule* HexModule() const { return m_pHexModule.get(); }
    CHexEditWindows* HexWindows() const { return m_pHexWindows.get(); }
    // The tab options of the session and the hooks that apply changed options to open
    // documents (connected by the document templates).
    SOptionsContext& OptionsContext() { return m_optionsContext; }

    // Replaces the modal message box (tests record the texts instead).
    void SetMessageHook(std::function<void(const std::string&)> hook)
    {
        m_messageHook = std::move(hook);
    }

    // CDocumentHost
    int DetectFileKind(const std::string& path) override;
    CAppDocument* FindOpenDocument(int nTemplate, const std::string& path) override;
    CAppDocument* OpenDocument(int nTemplate, const std::string& path) override;
    void SetDocumentReadOnly(CAppDocument* pDocument) override;
    bool ActivateDocument(CAppDocument* pDocument) override;
    bool HelpFileExists() override;
    void ShowHelpTopic(const std::string& topic) override;
    void ShowMessage(const std::string& text) override;

    // CCommandTarget: the application's own commands (help, about, page and print set-up,
    // settings, exit). The route asks the application last.
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // Commands of the application object.
    void OnHelp();
    void OnKeyboardShortcuts();
    void OnCommandLineHelp();
    void OnAbout();
    void OnPageSetup();
    void OnPrintSetup();
    void OnSettings();

private:
    // Start-up steps, in order.
    bool InitializeComponentModel();
    void SetRegistryKey();
    bool InitializeAppData();
    void LoadSettings();
    void LoadUserData();
    bool CreateModules();
    bool InitializeApplets();
    bool CreateMainFrame();
    void AttachTextViews();
    bool ProcessCommandLine();
    void PlaceMainWindow();

    // Shut-down steps, in order.
    void EndApplets();
    void StoreBarPages();
    void DestroyModules();
    void SaveSettings();
    void SaveUserData();

    void OpenHelpPage(const std::string& topic);

    std::vector<std::string> m_args;
    std::unique_ptr<CQtProfileStore> m_pProfile;
    std::unique_ptr<CUserData> m_pUserData;
    std::unique_ptr<CTarvoTextEditModule> m_pTextModule;
    std::unique_ptr<CTarvoHexEditModule> m_pHexModule;
    std::unique_ptr<CHexEditWindows> m_pHexWindows;
    std::unique_ptr<CFileWatchService> m_pWatch;
    std::unique_ptr<CAppletDocManager> m_pDocManager;
    std::unique_ptr<CDocumentWindows> m_pDocWindows;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<CFindInFilesApplet> m_pFindInFiles;
    std::unique_ptr<CNavigateApplet> m_pNavigate;
    CTextDocumentViews* m_pTextViews = nullptr;
    std::unique_ptr<QPrinter> m_pPrinter; // made by the first Print Setup
    std::function<void(const std::string&)> m_messageHook;
    SOptionsContext m_optionsContext;
    bool m_bStarted = false;
};

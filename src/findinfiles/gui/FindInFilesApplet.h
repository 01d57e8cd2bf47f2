#pragma once
// The find-in-files tool in the application: the settings shared by its forms, the output
// bar's four result panes in the main window's bottom dock, a form for every find-in-files
// document, the "Find in Files..." command, and what a double click on a result opens.

#include <functional>
#include <memory>
#include <string>

#include "findinfiles/FindInFilesForm.h"
#include "findinfiles/gui/FindInFilesWnd.h"
#include "ui/CommandTarget.h"

class QWidget;
class CAppletDoc;
class CAppletDocManager;
class CDocumentHost;
class CDocumentWindows;
class CMainFrame;
class CProfileStore;
class CSyntaxParserFactory;

class CFindInFilesApplet : public CCommandTarget
{
public:
    // Reads the remembered folders and puts the output bar into the frame's bottom dock.
    // Every reference must outlive the applet; the factory may be null.
    CFindInFilesApplet(CMainFrame& frame, CAppletDocManager& manager, CDocumentWindows& windows,
                       CDocumentHost& host, const CSyntaxParserFactory* pFactory,
                       CProfileStore& store);
    ~CFindInFilesApplet() override;
    CFindInFilesApplet(const CFindInFilesApplet&) = delete;
    CFindInFilesApplet& operator=(const CFindInFilesApplet&) = delete;

    // Writes the remembered folders.
    void Save(CProfileStore& store) const;

    CFindInFilesOutputBar* OutputBar() const { return m_pOutputBar; }
    CFindInFilesSettings& Settings() { return m_settings; }
    // A new find-in-files document with its form; null when it could not be made.
    CAppletDoc* NewSearch();
    // The view of a find-in-files document (the document windows' tool view factory).
    QWidget* MakeForm(CAppletDoc& doc);
    // Replaces the folder dialog of every form made afterwards (tests).
    void SetChooseFolderHook(std::function<std::string(const std::string&)> choose)
    {
        m_chooseFolder = std::move(choose);
    }
    // Opens a file at a line as a double click on a result does: by kind, not read-only;
    // a text view shows the line in its middle with the caret at its start.
    void OpenResult(const std::string& strPath, int nLine);

    // "Find in Files..." (42220).
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

private:
    CMainFrame& m_frame;
    CAppletDocManager& m_manager;
    CDocumentWindows& m_windows;
    CDocumentHost& m_host;
    const CSyntaxParserFactory* m_pFactory;
    CFindInFilesSettings m_settings;
    CFindInFilesOutputBar* m_pOutputBar = nullptr; // owned by the dock
    QWidget* m_pOldDockWidget = nullptr;
    std::function<std::string(const std::string&)> m_chooseFolder;
};

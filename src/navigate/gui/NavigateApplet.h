#pragma once
// The navigation bar in the application: its pages in the main window's left dock, fed by
// the user data's favorites, history and file filters, and the reopening service that puts
// a reopened text view back where it was left.

#include <memory>
#include <string>

#include "navigate/ReopenService.h"

class CAppletDoc;
class CAppSettings;
class CDocumentHost;
class CDocumentWindows;
class CMainFrame;
class CNavigateBar;
class CSyntaxParserFactory;
class CTextViewPlace;
class CUserData;

class CNavigateApplet
{
public:
    // Every reference must outlive the applet; the factory may be null.
    CNavigateApplet(CMainFrame& frame, CUserData& userData, CDocumentWindows& windows,
                    CDocumentHost& host, const CSyntaxParserFactory* pFactory,
                    const CAppSettings& settings);
    ~CNavigateApplet();
    CNavigateApplet(const CNavigateApplet&) = delete;
    CNavigateApplet& operator=(const CNavigateApplet&) = delete;

    CNavigateBar* Bar() const { return m_pBar; }
    CReopenService& Reopen() { return m_reopen; }

    // Opens a file by kind, not read-only. The text view of a document opened now is
    // returned with it, so that the caller can move it.
    CReopenService::SOpened OpenByKind(const std::string& strPath, int nKind);

private:
    CUserData& m_userData;
    CDocumentWindows& m_windows;
    CDocumentHost& m_host;
    CReopenService m_reopen;
    CNavigateBar* m_pBar = nullptr; // owned by the dock
    std::unique_ptr<CTextViewPlace> m_pPlace;
};

#pragma once
// The navigation bar in the application: its pages in the main window's left dock, fed by
// the user data's favorites, history and file filters, and the reopening service that puts
// a reopened text view back where it was left.

#include <memory>
#include <string>

#include "navigate/FileRecord.h"
#include "navigate/ReopenService.h"
#include "ui/CommandTarget.h"

// The Favorites commands of the text and hex documents.
constexpr int ID_FAVORITES_ADD = 44820;
constexpr int ID_FAVORITES_REMOVE = 44821;

class CAppletDoc;
class CAppSettings;
class CDocumentHost;
class CDocumentWindows;
class CMainFrame;
class CNavigateBar;
class CSyntaxParserFactory;
class CTextViewPlace;
class CUserData;

// On the frame's route (after the documents) it handles the Favorites commands of the
// active document: "Add to Favorites" is enabled while the document is not a favorite and
// shows a check mark while it is (the document's favorite mark); "Remove from Favorites"
// is enabled while it is. Documents without a file have neither.
class CNavigateApplet : public CCommandTarget, private CFavoriteMarkObserver
{
public:
    // Every reference must outlive the applet; the factory may be null.
    CNavigateApplet(CMainFrame& frame, CUserData& userData, CDocumentWindows& windows,
                    CDocumentHost& host, const CSyntaxParserFactory* pFactory,
                    const CAppSettings& settings);
    CNavigateApplet(const CNavigateApplet&) = delete;
    CNavigateApplet& operator=(const CNavigateApplet&) = delete;
    ~CNavigateApplet() override;

    CNavigateBar* Bar() const { return m_pBar; }
    CReopenService& Reopen() { return m_reopen; }

    // Opens a file by kind, not read-only. The text view of a document opened now is
    // returned with it, so that the caller can move it.
    CReopenService::SOpened OpenByKind(const std::string& strPath, int nKind);

    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

private:
    // The history hooks of the documents.
    void OnDocumentClosed(CAppletDoc& doc);
    void OnDocumentOpened(CAppletDoc& doc);
    void OnFavoriteMarkCleared(const std::string& strPath) override;
    // The active document when it has a file, or null.
    CAppletDoc* FavoriteCandidate() const;

    CUserData& m_userData;
    CDocumentWindows& m_windows;
    CDocumentHost& m_host;
    CReopenService m_reopen;
    CNavigateBar* m_pBar = nullptr; // owned by the dock
    std::unique_ptr<CTextViewPlace> m_pPlace;
    // Set while a page opens a record: that record's place wins over the history's.
    bool m_bOpeningRecord = false;
};

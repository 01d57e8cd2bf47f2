#pragma once
// The windows of the documents: one child frame (a tab of the main window's document area)
// per document, titled and iconed as the document says, with the view that a factory makes
// for it; the file commands of the documents and of the document manager; the user's
// answers (message boxes and file dialogs); and the file-watch notifications, which reach
// this object on the user-interface thread as queued calls.
//
// Every decision lives in the document layer (app/AppletDoc.h, app/AppletDocTemplate.h);
// this class shows what it asks and forwards what the user does.

#include <QObject>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/AppletDocTemplate.h"
#include "ui/CommandTarget.h"

class QIcon;
class QMdiSubWindow;
class QWidget;
class CMainFrame;
class CTextEditDoc;
class CHexEditDoc;
class CUserData;
class CSyntaxParserFactory;
class CDocChildFrame;
struct SFileWatchNotification;

// Replacements for the modal dialogs (tests answer with them). Unset members show the
// real dialog.
struct SDocumentPrompts
{
    std::function<bool(const std::string& question)> askYesNo;
    std::function<CDocumentUi::ESaveAnswer(const std::string& title)> askSaveChanges;
    std::function<bool(SSaveAsPrompt& prompt)> promptSaveAs;
    // Returns the chosen files, the "Open As" item and the read-only box; false on Cancel.
    std::function<bool(std::vector<std::string>& files, int& nOpenAsItem, bool& bReadOnly)>
        promptOpen;
    std::function<void(const std::string& text)> showError;
};

// What the owner of a kind of view does at the moments only the windows know of. Every
// member may be empty; each receives the view widget and its document.
struct SViewHooks
{
    // The route of the active document: the view's targets go before the document's.
    std::function<void(CCommandRoute& route, QWidget* pView, CAppletDoc* pDoc)> addToRoute;
    // The active frame changed (pView null when no document frame is active).
    std::function<void(QWidget* pView, CAppletDoc* pDoc)> activated;
    // The document read its file again: the view re-reads the buffer.
    std::function<void(QWidget* pView, CAppletDoc& doc)> reloaded;
    // The document is about to be destroyed: the view lets go of its buffer now (the
    // widget itself is deleted later).
    std::function<void(QWidget* pView, CAppletDoc& doc)> closing;
};

// What the history does when a document with a file opens or closes; the navigation bar
// sets them. closed runs while the document's views still show it, so that the record can
// take the first view's place; opened runs for a document opened now, after its view was
// made, so that the view goes back where the history left it.
struct SDocumentHistoryHooks
{
    std::function<void(CAppletDoc& doc)> closed;
    std::function<void(CAppletDoc& doc)> opened;
};

class CDocumentWindows : public QObject, public CDocumentUi, public CCommandTarget
{
    Q_OBJECT
public:
    CDocumentWindows(CAppletDocManager& manager, CDocumentHost& host, CUserData* pUserData,
                     const CSyntaxParserFactory* pFactory);
    ~CDocumentWindows() override;

    // Binds to the main frame: the route of the active document, dropped files, the
    // question before the window closes, the history entries of the File menu.
    void AttachFrame(CMainFrame* pFrame);

    // The views of the documents. Until a view of a kind exists, a placeholder says what
    // is open.
    void SetTextViewFactory(std::function<QWidget*(CTextEditDoc&)> factory)
    {
        m_textViewFactory = std::move(factory);
    }
    void SetHexViewFactory(std::function<QWidget*(CHexEditDoc&)> factory)
    {
        m_hexViewFactory = std::move(factory);
    }
    void SetToolViewFactory(std::function<QWidget*(CAppletDoc&)> factory)
    {
        m_toolViewFactory = std::move(factory);
    }
    void SetPrompts(SDocumentPrompts prompts) { m_prompts = std::move(prompts); }
    void SetHistoryHooks(SDocumentHistoryHooks hooks) { m_historyHooks = std::move(hooks); }
    // The hooks of the text views.
    void SetTextViewHooks(SViewHooks hooks) { m_textViewHooks = std::move(hooks); }

    // The watch service's callback, on its thread: queues the notification for the
    // user-interface thread.
    void PostFileWatchNotification(const SFileWatchNotification& notification);

    CAppletDoc* ActiveDocument() const;
    // The view of the active frame (the current tab while the window is not active).
    QWidget* ActiveView() const;
    // The document window the user works in (also while the main window is inactive).
    QMdiSubWindow* ActiveFrame() const;
    std::vector<QMdiSubWindow*> FramesOf(const CAppletDoc& doc) const;
    bool ActivateDocument(CAppletDoc& doc);

    // Before the main window closes: Save / Don't Save / Cancel for every modified
    // document; on Cancel nothing is closed and false is returned; otherwise every
    // document is closed.
    bool CanCloseMainWindow();
    // The question of a child frame that the user closes; false keeps it open.
    bool CanCloseFrame(CDocChildFrame* pFrame);

    // The icon of a document's frames: the desktop's icon for its path, a built-in one for
    // an untitled document or when the theme has none.
    static QIcon DocumentIcon(const CAppletDoc& doc);

    // CDocumentUi
    void OnDocumentCreated(CAppletDoc& doc) override;
    void OnDocumentClosing(CAppletDoc& doc) override;
    void OnTitleChanged(CAppletDoc& doc) override;
    void OnPathChanged(CAppletDoc& doc) override;
    void UpdateViews(CAppletDoc& doc) override;
    bool AskYesNo(const std::string& question) override;
    ESaveAnswer AskSaveChanges(CAppletDoc& doc) override;
    bool PromptSaveAs(CAppletDoc& doc, SSaveAsPrompt& prompt) override;
    void ShowError(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void RecordClosedDocument(CAppletDoc& doc) override;

    // CCommandTarget: the manager's commands (New, Open, Save All, Close All, history).
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // The commands of one document (Save, Save As, Close, Close All But This, Reload,
    // File Properties, Copy Full Path, Open Containing Folder).
    bool OnUpdateDocumentCommand(CAppletDoc& doc, int nId, SCommandState& state);
    bool OnDocumentCommand(CAppletDoc& doc, int nId);

    void OnFileOpen();
    void OpenFiles(const std::vector<std::string>& files, int nKind, bool bReadOnly);

private:
    class CActiveDocumentTarget : public CCommandTarget
    {
    public:
        explicit CActiveDocumentTarget(CDocumentWindows& owner) : m_owner(owner) {}
        CAppletDoc* m_pDoc = nullptr;
        bool OnUpdateCommand(int nId, SCommandState& state) override
        {
            return m_pDoc && m_owner.OnUpdateDocumentCommand(*m_pDoc, nId, state);
        }
        bool OnCommand(int nId) override
        {
            return m_pDoc && m_owner.OnDocumentCommand(*m_pDoc, nId);
        }

    private:
        CDocumentWindows& m_owner;
    };

    QWidget* MakeView(CAppletDoc& doc);
    void OnSubWindowActivated(QMdiSubWindow* pWindow);
    void RefreshHistoryMenu();
    void OpenHistoryEntry(int nIndex);
    void ShowFileProperties(const std::string& path);
    void OpenContainingFolder(const std::string& path);
    QWidget* DialogParent() const;

    CAppletDocManager& m_manager;
    CDocumentHost& m_host;
    CUserData* m_pUserData;
    const CSyntaxParserFactory* m_pFactory;
    CMainFrame* m_pFrame = nullptr;
    std::map<const CAppletDoc*, std::vector<CDocChildFrame*>> m_frames;
    CActiveDocumentTarget m_activeTarget{*this};
    std::function<QWidget*(CTextEditDoc&)> m_textViewFactory;
    std::function<QWidget*(CHexEditDoc&)> m_hexViewFactory;
    std::function<QWidget*(CAppletDoc&)> m_toolViewFactory;
    SDocumentPrompts m_prompts;
    SViewHooks m_textViewHooks;
    SDocumentHistoryHooks m_historyHooks;
    std::vector<std::string> m_historyTexts;
};

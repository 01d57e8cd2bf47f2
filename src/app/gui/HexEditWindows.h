#pragma once
// The hex editor inside the main window: the binary documents' views, their commands in
// the menus, the hex tool bar's find box, the status panes of the hex type and the hex
// page of "Options".
//
// Who shows what: the document owns the buffer's message sink, so the buffer's messages
// (opening, saving, reloading) reach the user once, through the document windows; the
// view shows the messages and questions of its own editing. Save and Save As in a view go
// through the document, so that watching, the title and the path follow the save.

#include <QObject>

#include <vector>

class QAction;
class QComboBox;
class QMdiSubWindow;
class QWidget;
class CDocumentWindows;
class CHexEditDoc;
class CMainFrame;
class CTarvoHexEditModule;
class CTarvoHexEditView;
struct SOptionsContext;

class CHexEditWindows : public QObject
{
    Q_OBJECT
public:
    // Every argument outlives this object; the views it makes are destroyed with their
    // documents, before the module.
    CHexEditWindows(CTarvoHexEditModule& module, CDocumentWindows& windows, CMainFrame& frame,
                    SOptionsContext& options);
    ~CHexEditWindows() override;

    // The hex view of the active document window, or null.
    CTarvoHexEditView* ActiveView() const;
    // Find from the find box (Return forward, Shift+Return backward): its text becomes
    // the search text.
    bool FindFromBox(bool bForward = true);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    QWidget* MakeView(CHexEditDoc& doc);
    void AddMenus();
    void ShowHexItems();
    void ConnectFindBox();
    void FillFindBox();
    void UpdatePanes(CTarvoHexEditView* pView);
    void OnSubWindowActivated(QMdiSubWindow* pWindow);

    CTarvoHexEditModule& m_module;
    CDocumentWindows& m_windows;
    CMainFrame& m_frame;
    SOptionsContext& m_options;
    QComboBox* m_pFindBox = nullptr;
    bool m_bFillingFindBox = false;
    // Items that only a hex view handles: shown while a binary document is active.
    std::vector<QAction*> m_hexOnlyItems;
};

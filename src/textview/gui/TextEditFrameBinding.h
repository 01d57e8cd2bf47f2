#pragma once
// The text editor in the main frame: its commands in the "&Edit" and "&Search" menus, and
// the frame's parts that follow the active text view: the status panes (position, line
// ending, RO, OVR), the message pane, the command states (Undo and Redo texts among them)
// and the find box of the text tool bar, whose Enter runs Find Next and whose list is the
// recent find list.
//
// Which view is active is the documents' business; they call SetActiveView when a text
// view gains or loses activation and add the view to the frame's route themselves.

#include <QObject>
#include <QPointer>

class CMainFrame;
class CTarvoTextEditView;
class ITextSearchHistory;

// Registers the texts of the text editor's commands with the frame and fills its "&Edit"
// and "&Search" menus. Keys that other widgets of the window need (arrows, Tab, Delete,
// Backspace, Insert with Shift alone...) stay with the view and are not made window
// shortcuts; commands with Ctrl, Alt or a function key are.
void InstallTextEditCommands(CMainFrame& frame);

class CTextEditFrameBinding : public QObject
{
    Q_OBJECT
public:
    CTextEditFrameBinding(CMainFrame& frame, ITextSearchHistory& history);

    // The view whose state the frame shows (null: none). Sets the view's search history,
    // status and find-box hooks.
    void SetActiveView(CTarvoTextEditView* pView);
    CTarvoTextEditView* ActiveView() const { return m_pView; }
    // Refreshes the panes from the active view.
    void UpdatePanes();
    // Fills the find box's list from the recent find list, keeping its text.
    void FillFindBox();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnFindBoxEnter();

    CMainFrame& m_frame;
    ITextSearchHistory& m_history;
    QPointer<CTarvoTextEditView> m_pView;
};

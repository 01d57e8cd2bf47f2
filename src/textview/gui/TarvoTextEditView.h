#pragma once
// The editable text view: CTarvoTextView with the editing controller behind it. The widget
// maps keys through the editor's key table, mouse buttons, the auto-scroll timer, drag and
// drop of plain text, input-method text and the context menu onto the controller, shows the
// controller's caret and selection, and draws the matches of Highlight All. Every decision
// (what a key or a click does, what a command changes, when it is enabled) is the
// controller's; after each event the widget copies the controller's caret, selection and
// overwrite mode into the layout and repaints the rows that changed.
//
// Owners (a document's frame window, the bench host) reach the controller through
// Controller() for the hooks only they can fill (opening a file, the find tool bar), and
// learn that caret, selection or text changed through the state-changed hook, which is
// where status panes and command states are refreshed.

#include <QTimer>

#include <functional>
#include <string>

#include "textview/TextEditController.h"
#include "textview/TextLayoutGeometry.h"
#include "textview/gui/TarvoTextView.h"

class QMenu;
class QMimeData;

class CTarvoTextEditView : public CTarvoTextView
{
    Q_OBJECT
public:
    explicit CTarvoTextEditView(QWidget* parent = nullptr);
    ~CTarvoTextEditView() override;

    // The buffer shown and edited (not owned). Caret, selection and overwrite mode start
    // over.
    void SetBuffer(CTarvoTextEditBuffer* pBuffer);
    void SetDocumentPath(const std::string& path);
    CTarvoTextEditController& Controller() { return m_controller; }
    // The caret and selection of the controller: what the next key and command act on.
    // SetCaret keeps the anchor, as on the plain view.
    void SetCaret(STextPosition pt) override;
    void SetSelection(STextPosition ptAnchor, STextPosition ptActive) override;
    CTextLayoutGeometry& Geometry() { return m_geometry; }

    // Called after every event that may have moved the caret or changed the text.
    void SetStateChangedHook(std::function<void()> fn) { m_fnStateChanged = std::move(fn); }
    // The message pane; without a hook the text is only kept (LastStatusText).
    void SetStatusHook(std::function<void(const QString&)> fn) { m_fnStatus = std::move(fn); }
    const QString& LastStatusText() const { return m_strLastStatus; }

    // Runs a command through the controller (then the display toggles) as a key would.
    bool RunCommand(int nId);
    // The command a key runs, or 0: the key table matched on key and modifiers, a key of
    // the numeric pad matching its own entry first ("Ctrl+Num+/") and otherwise as the
    // same key of the main block.
    static int CommandForKey(QKeyCombination key);
    // Typed text (keys and committed input-method text): each character goes to the
    // controller as typing, a line break as Enter.
    void TypeText(const QString& text);
    // The context menu with the controller's enable states (not shown).
    QMenu* CreateContextMenu();

    // Status panes: position and line ending of the caret line, RO and OVR.
    QString PositionPaneText() const;
    QString LineEndPaneText() const;

    // CTextBufferView: the layout first, then the controller.
    void OnUpdate(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint,
                  int nLine) override;
    void OnParserChanged() override;
    void OnUndoGroupClosed(int nAction, const char* pszText) override;

    // CCommandTarget: the editing commands, then the display toggles.
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // The drag in progress started in this view with the right button (the drop offers
    // Move Here / Copy Here).
    bool IsRightButtonDrag() const { return m_bRightDrag; }
    // The drop caret while text is dragged over the view (x < 0 when none).
    STextPosition DropCaret() const { return m_ptDropCaret; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class CHighlightSource : public CTextHighlightSource
    {
    public:
        explicit CHighlightSource(CTarvoTextEditController& controller) : m_controller(controller)
        {
        }
        void GetHighlightBlocks(int nLine, std::vector<SHighlightBlock>& blocks) override;

    private:
        CTarvoTextEditController& m_controller;
    };

    void InstallHooks();
    // Copies caret, selection and overwrite mode from the controller into the layout and
    // repaints the rows whose look changed; then tells the owner.
    void Sync();
    void RepaintLines(int nFirst, int nLast);
    void ShowContextMenu(const QPoint& clientPos);
    int RunDrag(const std::u16string& text, bool bAllowMove);
    bool AcceptsDrag(const QMimeData* data) const;
    void UpdateDropCaret(const QPoint& pos);
    void HideDropCaret();
    int Modifiers() const;

    CTarvoTextEditController m_controller;
    CTextLayoutGeometry m_geometry;
    CHighlightSource m_highlight;
    QTimer m_scrollTimer;
    std::function<void()> m_fnStateChanged;
    std::function<void(const QString&)> m_fnStatus;
    QString m_strLastStatus;
    std::string m_strPath;
    // What Sync last gave the layout.
    STextPosition m_ptShownCaret{-1, -1};
    STextPosition m_ptShownAnchor{-1, -1};
    bool m_bShownOverwrite = false;
    int m_nKeyModifiers = -1; // Shift/Ctrl of the key that runs a command, -1 = ask Qt
    bool m_bRightDown = false;
    bool m_bRightDrag = false;
    bool m_bDragStarted = false; // a drag ran during the present button press
    STextPosition m_ptDropCaret{-1, -1};
};

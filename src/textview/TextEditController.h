#pragma once
// The editing controller of a text view: caret, anchor, ideal column, overwrite mode, the
// mouse selection state and every command of the text editor's key table. A widget maps
// its key, mouse and drop events onto the controller and paints what it says; tests drive
// the same entry points without a window.
//
// The controller never owns the buffer or the geometry. Every change of the text goes
// through the buffer's recorded InsertText and DeleteText with the action code of the
// command, so undo groups and their names come from the buffer. The controller is a
// buffer view itself: edits (its own and other views') move its caret, anchor and tracked
// positions through the update context. When a widget is the view attached to the buffer
// instead, it forwards OnUpdate, OnParserChanged and OnUndoGroupClosed here and names
// itself with SetSourceView.
//
// What needs the world outside (clipboard, message boxes, dialogs, the status bar, mouse
// capture, drag and drop, opening a file) goes through STextEditHooks; a missing hook
// makes that step do nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/TextBufferView.h"
#include "text/TextPosition.h"
#include "textview/TextEditCommands.h"
#include "ui/CommandTarget.h"

class CTarvoTextEditBuffer;
class CSyntaxDefinition;
class ITextEditGeometry;
class CTextEditFind;
class ITextSearchHistory;

// Drop effects of a drag.
enum ETextDropEffect : int
{
    TextDropNone = 0,
    TextDropCopy = 1,
    TextDropMove = 2,
};

// Modifier keys as the F3 command reads them when it runs.
constexpr int kTextModShift = 1;
constexpr int kTextModCtrl = 2;

struct STextEditHooks
{
    // Clipboard as UTF-16 plain text; getClipboardText returns false when it holds none.
    std::function<void(const std::u16string&)> setClipboardText;
    std::function<bool(std::u16string&)> getClipboardText;
    // The message pane of the status bar.
    std::function<void(const std::string&)> setStatusText;
    // A modal message box; bInformationIcon selects the information icon.
    std::function<void(const std::string& text, bool bInformationIcon)> messageBox;
    // Mouse capture together with the 100 ms auto-scroll timer.
    std::function<void(bool bCapture)> setCapture;
    // Shift and Ctrl (kTextModShift | kTextModCtrl) at the moment a command runs.
    std::function<int()> getModifiers;
    // The dialogs: each is modal and calls back into the controller.
    std::function<void()> showFindDialog;
    std::function<void()> showReplaceDialog;
    std::function<void()> showGoToDialog;
    // Runs a drag of the selected text (UTF-16); returns the drop effect.
    std::function<int(const std::u16string& text, bool bAllowMove)> doDragDrop;
    // The document's path and opening another file as a document.
    std::function<std::string()> getDocumentPath;
    std::function<bool(const std::string& path)> fileExists;
    std::function<void(const std::string& path)> openDocument;
    // The find tool bar's text; the bar shows the current search text.
    std::function<std::string()> getFindBarText;
    std::function<void(const std::string&)> setFindBarText;
};

class CTarvoTextEditController : public CCommandTarget, public CTextBufferView
{
public:
    CTarvoTextEditController();
    ~CTarvoTextEditController() override;
    CTarvoTextEditController(const CTarvoTextEditController&) = delete;
    CTarvoTextEditController& operator=(const CTarvoTextEditController&) = delete;

    // Binds the controller to a buffer and a geometry; with bAttachView the controller
    // attaches itself to the buffer as a view (tests and drivers), else the widget that is
    // attached forwards the notifications. Resets caret, selection and overwrite mode.
    void Attach(CTarvoTextEditBuffer* pBuffer, ITextEditGeometry* pGeometry,
                bool bAttachView = true);
    void Detach();
    void SetHooks(STextEditHooks hooks);
    STextEditHooks& GetHooks() { return m_hooks; }
    // The view named as the source of this controller's edits (default: the controller).
    void SetSourceView(CTextBufferView* pView) { m_pSource = pView; }
    void SetSearchHistory(ITextSearchHistory* pHistory);
    ITextSearchHistory* GetSearchHistory() const { return m_pHistory; }

    CTarvoTextEditBuffer* GetBuffer() const { return m_pBuffer; }
    ITextEditGeometry* GetGeometry() const { return m_pGeometry; }
    CTextEditFind& GetFind() { return *m_pFind; }
    // The definition of the buffer's parser, or null.
    const CSyntaxDefinition* GetSyntaxDefinition() const;

    // CCommandTarget: every command of the key table, the syntax menu and Read Only.
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // A typed character as bytes of the text code page ("\r" for Enter). Control
    // characters other than CR are ignored, as is typing while a mouse button is down.
    // Returns whether it was taken.
    bool OnChar(std::string_view bytes);

    // Mouse, in client pixels; times in milliseconds of one clock.
    void OnLButtonDown(int x, int y, bool bShift, bool bCtrl, uint32_t nTime = 0);
    void OnLButtonDblClk(int x, int y, uint32_t nTime = 0);
    void OnMouseMove(int x, int y);
    void OnLButtonUp(int x, int y);
    // A tick of the auto-scroll timer; true when the view scrolled.
    bool OnTimer();
    void OnRButtonDown(int x, int y);
    void OnRButtonUp();
    // Capture or focus lost: the mouse selection ends.
    void OnCaptureLost();
    bool IsMouseSelecting() const { return m_bDraggingSelection; }
    void SetDoubleClickTime(uint32_t nMs) { m_nDoubleClickTime = nMs; }
    // Shown line endings make a triple click select the ending as well.
    void SetShowLineEndings(bool bShow) { m_bShowLineEndings = bShow; }

    // Drop target: whether a drop may happen, and the drop itself at a text position
    // (UTF-16 text). Returns the effect that happened.
    bool CanDrop() const;
    int Drop(const STextPosition& pt, const std::u16string& text, bool bCopy);

    // Caret and selection.
    STextPosition GetCaret() const { return m_ptCaret; }
    STextPosition GetAnchor() const { return m_ptAnchor; }
    // Sets anchor and caret (clamped to the text) and resets the ideal column.
    void SetSelection(const STextPosition& ptAnchor, const STextPosition& ptCaret);
    void SetCaret(const STextPosition& pt) { SetSelection(pt, pt); }
    bool HasSelection() const { return !(m_ptCaret == m_ptAnchor); }
    // The selection in text order.
    void GetSelection(STextPosition& ptStart, STextPosition& ptEnd) const;
    // The selected text with the document's line ending between lines.
    std::string GetSelectedText() const;
    int GetIdealColumn() const { return m_nIdealColumn; }
    bool IsOverwrite() const { return m_bOverwrite; }
    void SetOverwrite(bool bOverwrite) { m_bOverwrite = bOverwrite; }
    bool IsAutoIndent() const { return m_bAutoIndent; }
    void SetAutoIndent(bool bOn) { m_bAutoIndent = bOn; }
    bool CanEdit() const;

    // The word around a position: start (back over word characters) and end (forward).
    STextPosition WordStartAt(const STextPosition& pt) const;
    STextPosition WordEndAt(const STextPosition& pt) const;
    // The partner of the bracket at or before the caret; false when there is none.
    bool FindMatchingBracket(const STextPosition& ptFrom, STextPosition& ptMatch,
                             bool& bAfter) const;

    // Status panes: "Ln: %d/%d, Col: %d/%d, Ch: %d/%d" and the caret line's ending.
    std::string GetPositionPaneText() const;
    std::string GetLineEndPaneText() const;

    // Positions that move with the text (replace blocks, drag blocks); the pointer must
    // stay valid until untracked.
    void TrackPosition(STextPosition* pPoint);
    void UntrackPosition(STextPosition* pPoint);

    // Replaces the selection (or inserts at the caret) with bytes of the text code page in
    // one undo group, and selects the inserted text. Used by paste, replace and drop.
    // bMerge continues the previous undo group.
    bool ReplaceSelectionText(std::string_view text, int nAction, STextPosition* pEnd = nullptr,
                              bool bMerge = false);
    // Opens and closes the undo group of a command that makes several edits, remembering
    // where caret and selection stood so that undoing the group puts them back.
    void BeginEditStep();
    void EndEditStep();

    // CTextBufferView
    void OnUpdate(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint,
                  int nLine) override;
    void OnParserChanged() override;
    void OnUndoGroupClosed(int nAction, const char* pszText) override;

    // Helpers on the buffer in the text code page.
    int LineLength(int nLine) const;
    const char* LineChars(int nLine) const;
    int LineCount() const;
    int NextCharIndex(int nLine, int nChar) const;
    int PrevCharIndex(int nLine, int nChar) const;
    void EnsureCaretVisible();

private:
    struct SCaretMemo
    {
        int nGroupStart = 0;
        int nGroupEnd = 0;
        uint32_t dwFlags = 0;
        STextPosition ptRecordStart;
        STextPosition ptRecordEnd;
        int nAction = 0;
        size_t nTextSize = 0;
        STextPosition ptCaret;
        STextPosition ptAnchor;
    };

    CTextBufferView* Source() const { return m_pSource; }
    STextPosition Clamp(const STextPosition& pt) const;
    STextPosition EndOfText() const;
    void AfterHorizontalMove(bool bSelect);
    void AfterVerticalMove(bool bSelect);
    int CaretRow() const;
    void MoveToRow(int nRow, bool bSelect);

    // Movement.
    void MoveLeft(bool bSelect);
    void MoveRight(bool bSelect);
    void MoveWordLeft(bool bSelect);
    void MoveWordRight(bool bSelect);
    void MoveUp(bool bSelect);
    void MoveDown(bool bSelect);
    void MovePageUp(bool bSelect);
    void MovePageDown(bool bSelect);
    void MoveHome(bool bSelect);
    void MoveEnd(bool bSelect);
    void MoveTextBegin(bool bSelect);
    void MoveTextEnd(bool bSelect);
    void ScrollLines(int nDelta);

    // Editing.
    bool DeleteSelection(int nAction);
    void DoEnter();
    void DoDelete();
    void DoBackspace();
    void DoDeleteWord(bool bBack);
    void DoTab();
    void DoUntab();
    void DoComment();
    void DoUncomment();
    void DoCase(int nCommand);
    void DoCopy();
    void DoCut();
    void DoPaste();
    void DoUndo();
    void DoRedo();
    void DoMatchBrace();
    void DoToggleBookmark();
    void DoBookmarkJump(bool bNext);
    void DoClearBookmarks();
    void DoGoLastChange();
    void DoHeaderSource();
    bool IsEditCommand(int nId) const;
    // The lines a block command acts on (the last one dropped when the selection ends at
    // its character 0); false without a multi-line selection.
    bool GetBlockLines(int& nFirst, int& nLast) const;
    void SelectBlockLines(int nFirst, int nLast);
    // One indent unit inserted at a column: a tab, or spaces to the next tab stop.
    std::string IndentUnitAt(int nColumn) const;
    int ColumnOfText(std::string_view text) const;
    // Moves the caret to the next tab stop without inserting (overwrite mode).
    void MoveToNextTabStop();
    void AutoIndentAfter(const std::string& text);
    void RecordCaretMemo();
    int GroupStartOf(int nRecord) const;

    // Mouse helpers.
    void RowBounds(int nRow, STextPosition& ptStart, STextPosition& ptEnd) const;
    void ExtendMouseSelection(int x, int y);
    bool IsInsideSelection(const STextPosition& pt) const;
    void StartDragSource();
    void EndMouseSelection();

    CTarvoTextEditBuffer* m_pBuffer = nullptr;
    ITextEditGeometry* m_pGeometry = nullptr;
    CTextBufferView* m_pSource = nullptr;
    bool m_bAttachedAsView = false;
    STextEditHooks m_hooks;
    ITextSearchHistory* m_pHistory = nullptr;
    std::unique_ptr<CTextEditFind> m_pFind;

    STextPosition m_ptCaret;
    STextPosition m_ptAnchor;
    int m_nIdealColumn = -1;
    bool m_bOverwrite = false;
    bool m_bAutoIndent = true;
    bool m_bLastEditWasTyping = false;
    bool m_bBookmarkExists = false;
    bool m_bShowLineEndings = false;
    std::vector<STextPosition*> m_aTracked;

    // Mouse state.
    bool m_bLButtonDown = false;
    bool m_bRButtonDown = false;
    bool m_bDraggingSelection = false;
    bool m_bWordSelection = false;
    bool m_bRowSelection = false;
    bool m_bDragPending = false;
    bool m_bRightDragPending = false;
    bool m_bDragSource = false;
    STextPosition m_ptPendingClick;
    STextPosition m_ptOriginStart; // the word or row the mouse selection began with
    STextPosition m_ptOriginEnd;
    STextPosition m_ptDragStart; // the dragged block while a drag runs
    STextPosition m_ptDragEnd;
    int m_nMouseX = 0;
    int m_nMouseY = 0;
    int m_nDownX = 0;
    int m_nDownY = 0;
    uint32_t m_nDoubleClickTime = 500;
    uint32_t m_nLastDblClkTime = 0;
    bool m_bDblClkSeen = false;

    // Undo memos: where caret and anchor stood before each group this view recorded.
    std::vector<SCaretMemo> m_aMemos;
    int m_nStepDepth = 0;
    STextPosition m_ptStepCaret;
    STextPosition m_ptStepAnchor;
    int m_nStepUndoPosition = 0;
    int m_nStepRecordCount = 0;
};

// White space as the editing commands see it: space, tab, CR, LF, VT, FF.
bool IsEditWhiteSpace(unsigned char c);
// A word character: an ASCII letter or digit, an underscore, or a byte above 127.
bool IsEditWordChar(unsigned char c);

// The counterpart of a C or C++ file: the candidates for its ending, in order, the first
// that exists; the file itself for any other ending; empty when no candidate exists.
std::string FindCounterpartFile(const std::string& path,
                                const std::function<bool(const std::string&)>& exists);
// "Go to Header File\tF12", "Go to Source File\tF12", or empty for other endings.
std::string HeaderSourceMenuText(const std::string& path);

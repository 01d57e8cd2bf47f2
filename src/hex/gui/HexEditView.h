#pragma once
// The hex view: paints the visible rows of a hex buffer and forwards keys, clicks, drags
// and commands to its editing controller, which decides everything. Messages and
// questions are modal message boxes; the clipboard and drag and drop carry the bytes as
// text/plain (zero bytes dropped, in the code page of text in memory) and whole under
// "application/x-scrivel-binarydata" (the "BinaryData" layout).
//
// Finding runs on a worker thread; while it runs the window repaints, input to the other
// windows is held back, and a progress window appears after a moment, whose Escape or
// Cancel asks "Abort search?".

#include <QAbstractScrollArea>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>

#include <array>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hex/HexEditController.h"
#include "hex/gui/HexEditModule.h"
#include "ui/CommandTarget.h"

class QMimeData;

// The clipboard's MIME type of the "BinaryData" layout.
extern const char* const kHexBinaryMimeType;

// The clipboard of the toolkit: a copy collects text and binary data and places both at
// Close; reading prefers the binary form.
class CQtHexClipboard : public CHexClipboard
{
public:
    ~CQtHexClipboard() override;
    bool Open() override { return true; }
    bool Empty() override;
    bool SetText(const std::string& strBytes) override;
    bool SetBinary(const std::vector<uint8_t>& layout) override;
    bool GetBinary(std::vector<uint8_t>& layout) override;
    bool GetText(std::string& strBytes) override;
    void Close() override;

private:
    QMimeData* m_pPending = nullptr;
};

// Bytes of the code page of text in memory and the toolkit's text.
QString HexBytesToText(const std::string& strBytes);
std::string HexTextToBytes(const QString& text);
// The drag data of a selection, and the bytes a drop carries (binary data first).
QMimeData* MakeHexMimeData(const std::string& strText, const std::vector<uint8_t>& binary);
std::vector<uint8_t> BytesOfHexMimeData(const QMimeData* pMime);

class CTarvoHexEditView : public QAbstractScrollArea,
                          public CHexEditHost,
                          public CHexMessageSink,
                          public CCommandTarget,
                          public CHexModuleView
{
    Q_OBJECT
public:
    CTarvoHexEditView(CTarvoHexEditBuffer& buffer, CTarvoHexEditModule& module,
                      QWidget* pParent = nullptr);
    ~CTarvoHexEditView() override;

    CHexEditController& Controller() { return *m_pController; }
    CTarvoHexEditBuffer& Buffer() { return m_buffer; }
    SHexStatus GetStatus() const;
    static SHexNumberFormat LocaleNumberFormat();

    // The first line shown and the number of whole lines that fit.
    uint32_t GetTopLine() const;
    void SetTopLine(uint32_t nLine);

    // Find in one direction with the module's search text (Find Next / Find Previous);
    // the text is stored as the search text afterwards, found or not. False when nothing
    // was found.
    bool Find(bool bForward);
    // Searches for strText once (the find dialog's buttons).
    bool RunSearch(const std::string& strText, bool bForward);
    // The dialogs.
    void OnFindDialog();
    void OnGoToDialog();
    bool SaveAs();
    // Save (to the buffer's path, or Save As when it has none).
    bool Save();

    // Tests and hosts: answers and paths instead of modal windows. With a sink set,
    // messages and questions go there; the Yes/No/Cancel answer comes from the hook.
    void SetMessageOverride(CHexMessageSink* pSink) { m_pMessageOverride = pSink; }
    void SetYesNoCancelHook(std::function<int(const std::string&)> hook)
    {
        m_yesNoCancelHook = std::move(hook);
    }
    void SetSaveAsHook(std::function<std::string()> hook) { m_saveAsHook = std::move(hook); }
    // Save and Save As through the owner of the data (the document), which then shows the
    // buffer's messages through its own sink: with a handler set the view never takes the
    // buffer's message sink. The argument is true for Save As.
    void SetSaveHandler(std::function<bool(bool)> handler) { m_saveHandler = std::move(handler); }
    // Runs application commands the view offers but does not handle ("Compare to...").
    void SetForeignCommandHandler(std::function<void(int)> handler)
    {
        m_foreignCommand = std::move(handler);
    }
    // Milliseconds before the search progress window appears.
    void SetProgressDelay(int nMilliseconds) { m_nProgressDelay = nMilliseconds; }
    // The status-message operation (shows nothing unless a handler is set).
    void SetStatusMessageHandler(std::function<void(const std::string&)> handler)
    {
        m_statusHandler = std::move(handler);
    }

    // CCommandTarget
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // CHexEditHost
    CHexMessageSink& GetMessages() override { return *this; }
    int AskYesNoCancel(const std::string& strText) override;
    void BeepRefused() override;
    void BeepInvalidKey() override;
    int GetVisibleLines() const override;
    void OnSelectionChanged(bool bScroll) override;
    void OnDataChanged(const SHexInvalidation& invalidation) override;
    void OnLayoutChanged() override;

    // CHexMessageSink
    void ShowMessage(const std::string& strText) override;
    bool AskYesNo(const std::string& strText) override;
    bool AskOkCancel(const std::string& strText) override;
    void ShowStatusMessage(const std::string& strText) override;

    // CHexModuleView
    void OnHexSettingsChanged() override;
    void OnSearchTextChanged() override;

signals:
    // The status panes changed (caret, mode, read-only state).
    void StatusChanged();

protected:
    bool event(QEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void keyPressEvent(QKeyEvent* pEvent) override;
    void keyReleaseEvent(QKeyEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dragMoveEvent(QDragMoveEvent* pEvent) override;
    void dragLeaveEvent(QDragLeaveEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;
    bool focusNextPrevChild(bool) override { return false; }
    void scrollContentsBy(int dx, int dy) override;

private:
    void ApplyFont();
    void UpdateScrollBars();
    void EnsureCaretVisible();
    SHexPoint DocumentPoint(const QPoint& point) const;
    QPoint ViewPoint(const SHexPoint& point) const;
    void ShowSelectionTip(bool bShow);
    void StartDrag();
    void ShowContextMenu(const QPoint& viewPoint);
    bool IsBusy() const;
    int ShowBox(int nIcon, const std::string& strText, int nButtons);

    CTarvoHexEditBuffer& m_buffer;
    CTarvoHexEditModule& m_module;
    std::unique_ptr<CHexEditController> m_pController;
    QFont m_font;
    // The font's glyph of each ASCII character: the bytes are drawn as glyph runs, one
    // per colour for the whole window, with no text layout per paint.
    QRawFont m_rawFont;
    std::array<quint32, 128> m_glyphs{};
    int m_nAscent = 12;
    // Kept from paint to paint, so that a paint allocates nothing once the page has been
    // painted at its size: the bytes read, and the glyphs and positions of each colour.
    std::vector<uint8_t> m_paintBytes;
    std::vector<QList<quint32>> m_runGlyphs;
    std::vector<QList<QPointF>> m_runPositions;
    std::vector<QString> m_runCharacters;
    EHexMouse m_eMouse = EHexMouse::Ignored;
    QPoint m_pressPoint;
    bool m_bDropHere = false;
    int64_t m_nDropCaret = -1;
    bool m_bSearching = false;
    int m_nProgressDelay = 400;
    CHexMessageSink* m_pMessageOverride = nullptr;
    std::function<int(const std::string&)> m_yesNoCancelHook;
    std::function<std::string()> m_saveAsHook;
    std::function<bool(bool)> m_saveHandler;
    bool m_bSinkTaken = false; // the buffer's messages come here since the view saved
    std::function<void(int)> m_foreignCommand;
    std::function<void(const std::string&)> m_statusHandler;
};

#pragma once
// The text view widget: shows one text buffer through a CTextLayout. It paints (each line
// band drawn off-screen and copied in one block), scrolls, wraps on request and forwards
// its events; every decision about geometry lives in the layout. Several views may show
// one buffer; each keeps its own caret, selection and scroll position.

#include <QAbstractScrollArea>
#include <QFont>
#include <QPixmap>
#include <QRawFont>

#include <memory>
#include <vector>

#include "syntax/SyntaxColors.h"
#include "text/TextBufferView.h"
#include "text/TextEditBuffer.h"
#include "textview/TextLayout.h"
#include "textview/TextViewCommands.h"

class QPainter;
class QPrinter;
class CSyntaxEditFonts;
class CProcessDialog;

class CTarvoTextView : public QAbstractScrollArea, public CTextBufferView, public CCommandTarget
{
    Q_OBJECT
public:
    explicit CTarvoTextView(QWidget* parent = nullptr);
    ~CTarvoTextView() override;

    // The buffer shown (not owned); the view attaches itself and detaches on destruction.
    void SetBuffer(CTarvoTextEditBuffer* pBuffer);
    CTarvoTextEditBuffer* GetBuffer() const { return m_layout.GetBuffer(); }
    CTextLayout& Layout() { return m_layout; }
    CTextViewOptions& Options() { return m_options; }
    // The document path (its file name titles exported pages).
    void SetDocumentPath(const std::string& path) { m_strPath = path; }

    // Fonts: the screen font from a description (the module's by default). The cell is the
    // extent of "X"; the view stays fixed-pitch whatever the face.
    void SetFonts(const CSyntaxEditFonts& fonts);
    const QFont& TextFont() const { return m_fonts[0].font; }

    // Caret and selection, set by the editing commands; the view repaints what changed.
    // Virtual: a view that edits keeps its caret in its controller, which these must reach,
    // or the next key would act at the old place.
    virtual void SetCaret(STextPosition pt);
    virtual void SetSelection(STextPosition ptAnchor, STextPosition ptActive);
    void SetOverwrite(bool bOverwrite);
    void SetHighlightSource(CTextHighlightSource* pSource);
    // Re-reads the scroll ranges and repaints (after the editing commands changed things in
    // bulk, and at the end of a block command).
    void RefreshLayout();
    // After the layout scrolled (the caret was brought into view): re-reads the scroll
    // ranges and repaints; a move along the columns alone shifts the pixels of the text
    // area that stay visible and paints only the columns it uncovered.
    void AfterScroll();
    void ScrollToRow(int nRow);
    void ScrollToColumn(int nColumn);

    // The number the margin shows for a line: its own number counted from 1 here; a view
    // whose lines stand for lines elsewhere (find-in-files results) gives theirs, and a
    // negative number for a line that stands for none (nothing is shown).
    virtual int MarginLineNumber(int nLine) const { return nLine + 1; }

    // CTextBufferView.
    void OnUpdate(CTextBufferView* pSource, const CUpdateContext* pContext, uint32_t dwHint,
                  int nLine) override;
    void OnBeforeTextChange() override;
    void OnParserChanged() override;

    // The display toggles (CTextViewOptions).
    bool OnUpdateCommand(int nId, SCommandState& state) override;
    bool OnCommand(int nId) override;

    // Printing: paints the text on the printer's pages, "Page %d/%d" under each. Returns the
    // number of pages printed. Margins are in millimetres.
    int PrintDocument(QPrinter& printer, double leftMm = 20, double topMm = 20, double rightMm = 20,
                      double bottomMm = 20);
    // Rows of text on a page of the last print.
    int GetPrintRowsPerPage() const { return m_nPrintRowsPerPage; }
    void ShowPrintPreview();
    // Export to HTML (asks for a file) and preview in the browser, each behind the modal
    // progress dialog.
    void ExportToHtml();
    void PreviewInBrowser();

    // Colour of a colour class (or the caret-line colour).
    QColor ClassColor(int32_t nClass) const;
    // The pixel rectangle of a row's cell (for tests and the editing commands).
    QRect CellRect(int nRow, int nColumn) const;

signals:
    // Text committed by the input method; the editing commands insert it.
    void InputMethodText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    struct SFontSlot
    {
        QFont font;
        QRawFont raw;
        quint32 asciiGlyphs[128] = {};
    };
    void MakeFontSlot(SFontSlot& slot, const QFont& font);
    void UpdateScrollBars();
    void UpdateCaret();
    void OnWrapEnd(int nPass);
    void AfterOptionChanged(int nId);

    // Painting steps; y is the band's top in the band pixmap, rows the line's rows.
    void PaintMargin(QPainter& p, const QRect& rect, int nLine, int nRows, bool bPrinting);
    // Columns [nClipFirst, nClipFirst + nClipColumns) of the text area are laid out
    // (counted from nFirstColumn; -1 = all that fit).
    void PaintLine(QPainter& p, const QRect& rect, int nLine, int nFirstSub, int nLastSub,
                   int nFirstColumn, bool bPrinting, int nClipFirst = 0, int nClipColumns = -1);
    void PaintRowText(QPainter& p, const SRowLayout& row, int x0, int y, int nCharWidth,
                      int nLineHeight, const SFontSlot* fontSlots, bool bPrinting);
    void DrawCells(QPainter& p, const SRowSpan& span, int x0, int baseline, int nCharWidth,
                   const SFontSlot& slot, QColor color);

    CTextLayout m_layout;
    CTextViewOptions m_options;
    CSyntaxColors m_defaultColors;
    std::string m_strPath;
    SFontSlot m_fonts[2]; // normal, bold
    QFont m_marginFont;
    int m_nAscent = 0;
    QPixmap m_band;
    QPixmap m_images[2]; // bookmark, continuation
    QPixmap m_halftone;  // the margin's background tile
    QPair<QColor, QColor> m_halftoneColors;
    bool m_bUpdatingBars = false;
    int m_nPrintRowsPerPage = 0;
    CProcessDialog* m_pRunningExport = nullptr; // while an export reads the text
    SRowLayout m_row;                           // scratch
    QRect m_rcCaret;                            // where the last paint drew the caret
    // The scroll position the pixels on the screen show (set by a paint of the whole
    // client area and by AfterScroll).
    int m_nShownTop = -1;
    int m_nShownOffset = -1;
};

#include "textview/gui/TarvoTextView.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

#include "platform/CodePageConv.h"
#include "platform/Multibyte.h"
#include "syntax/TextEditModule.h"
#include "textview/gui/ProcessDialog.h"

namespace
{
QColor FromColorRef(COLORREF c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QFont MakeQFont(const SFontDescription& d)
{
    QFont font(QString::fromStdString(d.strFaceName));
    font.setPixelSize(std::max(1, d.nHeight < 0 ? -d.nHeight : d.nHeight));
    font.setWeight(d.nWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(d.bItalic);
    font.setStyleHint(QFont::TypeWriter);
    font.setKerning(false);
    return font;
}

// The margin images: a bookmark and the continuation mark of a wrapped line, 12 x 12.
QPixmap MakeBookmarkImage()
{
    QPixmap image(12, 12);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0, 64, 128));
    p.setBrush(QColor(64, 160, 255));
    p.drawRoundedRect(QRectF(1.5, 1.5, 9, 9), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QRectF(3.5, 3.5, 3, 3));
    return image;
}

QPixmap MakeContinuationImage()
{
    QPixmap image(12, 12);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(96, 96, 96), 1.4);
    p.setPen(pen);
    QPainterPath path;
    path.moveTo(9.5, 1.5);
    path.lineTo(9.5, 6.5);
    path.lineTo(2.5, 6.5);
    p.drawPath(path);
    p.drawLine(QPointF(2.5, 6.5), QPointF(5.0, 4.0));
    p.drawLine(QPointF(2.5, 6.5), QPointF(5.0, 9.0));
    return image;
}

// The Unicode text of one display cell: its bytes through the code page's conversion; a
// byte that is not a character of the code page is U+FFFD.
char32_t CellCodePoint(int nCodePage, const char* bytes, int n)
{
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    if (n == 1 && b0 < 0x80)
        return b0;
    if (nCodePage == 65001)
    {
        uint32_t cp = 0;
        return DecodeUtf8(bytes, n, 0, &cp) == n ? cp : 0xFFFD;
    }
    std::u16string u;
    int lost = 0;
    if (!AppendCodePageToUtf16(nCodePage, bytes, static_cast<size_t>(n), u, &lost) || u.empty() ||
        lost > 0)
        return 0xFFFD;
    if (u.size() >= 2 && QChar::isHighSurrogate(u[0]) && QChar::isLowSurrogate(u[1]))
        return QChar::surrogateToUcs4(u[0], u[1]);
    return u[0];
}
} // namespace

CTarvoTextView::CTarvoTextView(QWidget* parent)
    : QAbstractScrollArea(parent),
      m_options(m_layout, CTarvoTextEditModule::GetInstance() != nullptr
                              ? &CTarvoTextEditModule::GetInstance()->GetSettings()
                              : nullptr)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_images[0] = MakeBookmarkImage();
    m_images[1] = MakeContinuationImage();
    if (CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance())
        SetFonts(module->GetFonts());
    else
        SetFonts(CSyntaxEditFonts(logicalDpiY()));
    m_options.ApplySettings();
    m_options.m_fnChanged = [this](int nId) { AfterOptionChanged(nId); };
    // The wrap pass ends on its own thread; the view takes its result on this one.
    m_layout.SetWrapEndCallback(
        [this](int nPass)
        {
            QMetaObject::invokeMethod(
                this, [this, nPass] { OnWrapEnd(nPass); }, Qt::QueuedConnection);
        });
}

CTarvoTextView::~CTarvoTextView()
{
    if (m_pRunningExport != nullptr)
        m_pRunningExport->CancelAndWait();
    m_layout.CancelWrapPass();
    if (GetBuffer() != nullptr)
        GetBuffer()->DetachView(this);
}

void CTarvoTextView::SetBuffer(CTarvoTextEditBuffer* pBuffer)
{
    // An export reading the old buffer stops and ends first (its dialog then closes).
    if (m_pRunningExport != nullptr)
        m_pRunningExport->CancelAndWait();
    if (GetBuffer() != nullptr)
        GetBuffer()->DetachView(this);
    m_layout.SetBuffer(pBuffer);
    if (pBuffer != nullptr)
        pBuffer->AttachView(this);
    UpdateScrollBars();
    viewport()->update();
}

void CTarvoTextView::MakeFontSlot(SFontSlot& slot, const QFont& font)
{
    slot.font = font;
    slot.raw = QRawFont::fromFont(font);
    for (int c = 0; c < 128; ++c)
    {
        const QChar ch(c);
        quint32 glyph = 0;
        int n = 1;
        if (slot.raw.isValid() && slot.raw.glyphIndexesForChars(&ch, 1, &glyph, &n) && n == 1)
            slot.asciiGlyphs[c] = glyph;
        else
            slot.asciiGlyphs[c] = 0;
    }
}

void CTarvoTextView::SetFonts(const CSyntaxEditFonts& fonts)
{
    MakeFontSlot(m_fonts[0], MakeQFont(fonts.GetVariant(0)));
    MakeFontSlot(m_fonts[1], MakeQFont(fonts.GetVariant(1)));
    m_marginFont = m_fonts[0].font;
    const int margin = fonts.GetMarginFontHeight();
    m_marginFont.setPixelSize(std::max(1, margin < 0 ? -margin : (margin > 0 ? margin : 10)));
    m_marginFont.setWeight(QFont::Normal);
    const QFontMetrics fm(m_fonts[0].font);
    m_nAscent = fm.ascent();
    const QFontMetrics mm(m_marginFont);
    m_layout.SetMetrics(fm.horizontalAdvance(QLatin1Char('X')), fm.height(),
                        mm.horizontalAdvance(QLatin1Char('5')));
    m_band = QPixmap();
    UpdateScrollBars();
    viewport()->update();
}

QColor CTarvoTextView::ClassColor(int32_t nClass) const
{
    if (nClass == kColorCaretLine)
        return QColor(224, 240, 255);
    const CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance();
    const CSyntaxColors& colors = module != nullptr ? module->GetColors() : m_defaultColors;
    return FromColorRef(colors.GetColor(nClass));
}

QRect CTarvoTextView::CellRect(int nRow, int nColumn) const
{
    const int cw = m_layout.GetCharWidth();
    const int lh = m_layout.GetLineHeight();
    return QRect(m_layout.MarginWidth() + nColumn * cw, nRow * lh, cw, lh);
}

// ---------------------------------------------------------------------------------------
// State from outside

void CTarvoTextView::SetCaret(STextPosition pt)
{
    m_layout.SetCaret(pt);
    viewport()->update();
}

void CTarvoTextView::SetSelection(STextPosition ptAnchor, STextPosition ptActive)
{
    m_layout.SetSelection(ptAnchor, ptActive);
    viewport()->update();
}

void CTarvoTextView::SetOverwrite(bool bOverwrite)
{
    m_layout.SetOverwrite(bOverwrite);
    UpdateCaret();
}

void CTarvoTextView::SetHighlightSource(CTextHighlightSource* pSource)
{
    m_layout.SetHighlightSource(pSource);
    viewport()->update();
}

void CTarvoTextView::RefreshLayout()
{
    m_layout.ClampScroll();
    UpdateScrollBars();
    viewport()->update();
}

void CTarvoTextView::AfterScroll()
{
    m_layout.ClampScroll();
    UpdateScrollBars();
    const int top = m_layout.GetTopSubLine();
    const int offset = m_layout.GetOffsetChar();
    const int dColumns = m_nShownOffset - offset;
    if (top != m_nShownTop || dColumns == 0 || std::abs(dColumns) >= m_layout.GetScreenColumns() ||
        m_layout.GetWordWrap())
    {
        viewport()->update();
        return;
    }
    const int margin = m_layout.MarginWidth();
    const QRect client = viewport()->rect();
    const int dx = dColumns * m_layout.GetCharWidth();
    viewport()->scroll(dx, 0, QRect(margin, 0, client.width() - margin, client.height()));
    // The caret's pixels moved with the text.
    if (!m_rcCaret.isEmpty())
    {
        viewport()->update(m_rcCaret.translated(dx, 0));
        m_rcCaret.translate(dx, 0);
    }
    m_nShownOffset = offset;
}

void CTarvoTextView::ScrollToRow(int nRow)
{
    if (m_layout.ScrollToRow(nRow) != 0)
    {
        UpdateScrollBars();
        viewport()->update();
    }
}

void CTarvoTextView::ScrollToColumn(int nColumn)
{
    if (m_layout.ScrollToColumn(nColumn) != 0)
    {
        UpdateScrollBars();
        viewport()->update();
    }
}

// ---------------------------------------------------------------------------------------
// Buffer notifications

void CTarvoTextView::OnUpdate(CTextBufferView*, const CUpdateContext* pContext, uint32_t dwHint,
                              int nLine)
{
    const SLayoutUpdate u = m_layout.OnUpdate(pContext, dwHint, nLine);
    bool bMoved = false;
    if (u.bVScroll || u.bHScroll || u.bRepaintAll)
    {
        bMoved = m_layout.ClampScroll();
        UpdateScrollBars();
    }
    const QRect client = viewport()->rect();
    if (u.bRepaintAll || bMoved || u.nInvalidTop < 0)
    {
        viewport()->update();
    }
    else
    {
        const int bottom =
            u.nInvalidBottom < 0 ? client.height() : std::min(u.nInvalidBottom, client.height());
        if (u.nInvalidTop < bottom)
            viewport()->update(QRect(0, u.nInvalidTop, client.width(), bottom - u.nInvalidTop));
    }
    if (u.bCaret)
        UpdateCaret();
}

void CTarvoTextView::OnBeforeTextChange()
{
    if (m_pRunningExport != nullptr)
        m_pRunningExport->CancelAndWait();
    m_layout.OnBeforeTextChange();
}

void CTarvoTextView::OnParserChanged()
{
    viewport()->update();
}

bool CTarvoTextView::OnUpdateCommand(int nId, SCommandState& state)
{
    return m_options.OnUpdateCommand(nId, state);
}

bool CTarvoTextView::OnCommand(int nId)
{
    return m_options.OnCommand(nId);
}

void CTarvoTextView::AfterOptionChanged(int)
{
    m_layout.ClampScroll();
    UpdateScrollBars();
    UpdateCaret();
    viewport()->update();
}

void CTarvoTextView::OnWrapEnd(int nPass)
{
    if (!m_layout.TakeWrapPassEnd(nPass))
        return;
    UpdateScrollBars();
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Scrolling

void CTarvoTextView::UpdateScrollBars()
{
    m_bUpdatingBars = true;
    const SScrollRange v = m_layout.GetVScroll();
    QScrollBar* vb = verticalScrollBar();
    vb->setRange(0, std::max(0, v.nMax - v.nPage + 1));
    vb->setPageStep(std::max(1, v.nPage - 1));
    vb->setSingleStep(1);
    vb->setValue(v.nPos);
    vb->setEnabled(v.bEnabled);
    const SScrollRange h = m_layout.GetHScroll();
    QScrollBar* hb = horizontalScrollBar();
    hb->setRange(0, h.bEnabled ? std::max(0, h.nMax - h.nPage + 1) : 0);
    hb->setPageStep(std::max(1, h.nPage));
    hb->setSingleStep(1);
    hb->setValue(h.nPos);
    hb->setEnabled(h.bEnabled);
    m_bUpdatingBars = false;
}

void CTarvoTextView::scrollContentsBy(int, int)
{
    if (m_bUpdatingBars)
        return;
    const int dRows = m_layout.ScrollToRow(verticalScrollBar()->value());
    const int dColumns = m_layout.ScrollToColumn(horizontalScrollBar()->value());
    if (dRows != 0 || dColumns != 0)
    {
        UpdateCaret();
        viewport()->update();
    }
}

void CTarvoTextView::wheelEvent(QWheelEvent* event)
{
    const int rows = m_layout.WheelRows(event->angleDelta().y());
    if (rows != 0)
        ScrollToRow(m_layout.GetTopSubLine() - rows);
    event->accept();
}

void CTarvoTextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const QSize size = viewport()->size();
    m_band = QPixmap();
    if (m_layout.SetClientSize(size.width(), size.height()))
    {
        m_layout.ClampScroll();
        UpdateScrollBars();
        viewport()->update();
    }
}

// ---------------------------------------------------------------------------------------
// Focus, caret and input method

void CTarvoTextView::focusInEvent(QFocusEvent* event)
{
    m_layout.SetFocus(true);
    QAbstractScrollArea::focusInEvent(event);
    UpdateCaret();
    if (m_layout.HasSelection())
        viewport()->update();
}

void CTarvoTextView::focusOutEvent(QFocusEvent* event)
{
    m_layout.SetFocus(false);
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CTarvoTextView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        viewport()->update();
    QAbstractScrollArea::changeEvent(event);
}

void CTarvoTextView::UpdateCaret()
{
    // The caret's old and new cells: their bands are painted again whole, which is what
    // a caret that moved along a line needs, and no more.
    if (!m_rcCaret.isEmpty())
        viewport()->update(m_rcCaret);
    int x = 0, y = 0, w = 0, h = 0;
    if (m_layout.GetCaretRect(x, y, w, h))
        viewport()->update(QRect(x, y, w, h));
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
}

QVariant CTarvoTextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    auto& layout = const_cast<CTextLayout&>(m_layout);
    switch (query)
    {
    case Qt::ImEnabled:
        return true;
    case Qt::ImFont:
        return m_fonts[0].font;
    case Qt::ImCursorRectangle:
    {
        int x = 0, y = 0, w = 2, h = layout.GetLineHeight();
        const bool bFocus = layout.GetFocus();
        layout.SetFocus(true); // where the caret is, even while another window has focus
        layout.GetCaretRect(x, y, w, h);
        layout.SetFocus(bFocus);
        return QRect(viewport()->geometry().topLeft() + QPoint(x, y), QSize(w, h));
    }
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void CTarvoTextView::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        emit InputMethodText(event->commitString());
    event->accept();
}

// ---------------------------------------------------------------------------------------
// Painting

void CTarvoTextView::paintEvent(QPaintEvent* event)
{
    QPainter vp(viewport());
    const QRect client = viewport()->rect();
    CTarvoTextEditBuffer* buffer = GetBuffer();
    if (buffer == nullptr || !buffer->IsInitialised() || buffer->GetLineCount() == 0 ||
        client.isEmpty())
    {
        vp.fillRect(event->rect(), ClassColor(kColorTextBackground));
        return;
    }
    const qreal dpr = devicePixelRatioF();
    if (m_band.isNull() || m_band.width() < client.width() * dpr ||
        m_band.height() < client.height() * dpr)
    {
        m_band = QPixmap(client.size() * dpr);
        m_band.setDevicePixelRatio(dpr);
    }
    const int lh = m_layout.GetLineHeight();
    const int w = client.width();
    const int h = client.height();
    const int margin = m_layout.MarginWidth();
    const int count = buffer->GetLineCount();
    int line = 0, sub = 0;
    m_layout.GetLineFromRow(m_layout.GetTopSubLine(), line, sub);
    int y = -sub * lh;
    const QRegion& region = event->region();
    // Each line band that reaches the paint region is drawn into the off-screen pixmap at
    // its place, then the pixmap goes to the window in one copy: nothing flickers, and the
    // painter is made once per paint, not once per line.
    QPainter p(&m_band);
    QRegion painted;
    const int longest = m_layout.GetLongestLineColumns();
    const int cellWidth = m_layout.GetCharWidth();
    if (region.contains(client))
    {
        m_nShownTop = m_layout.GetTopSubLine();
        m_nShownOffset = m_layout.GetOffsetChar();
    }
    while (y < h)
    {
        const bool bExists = line < count;
        const int rows = bExists ? m_layout.GetLineRowCount(line) : (h - y + lh - 1) / lh;
        const int bandHeight = rows * lh;
        QRect visible = QRect(0, y, w, bandHeight).intersected(client);
        if (!visible.isEmpty() && region.intersects(visible))
        {
            // Only the columns of the band that the region reaches (after a sideways
            // scroll, the few it uncovered) are laid out and copied.
            const QRect reached = (region & visible).boundingRect();
            int clipFirst = 0, clipColumns = -1;
            if (reached.left() > margin || reached.right() < w - 1)
            {
                const int left = std::max(reached.left(), margin);
                clipFirst = (left - margin) / cellWidth;
                clipColumns = std::max(1, (reached.right() - margin) / cellWidth - clipFirst + 1);
                visible.setLeft(reached.left() < margin ? 0 : margin + clipFirst * cellWidth);
                visible.setRight(
                    std::min(w - 1, margin + (clipFirst + clipColumns) * cellWidth - 1));
            }
            // The text first, then the margin over whatever of it lies left of the text
            // area, so no clipping is needed.
            p.translate(0, y);
            const int firstSub = (visible.top() - y) / lh;
            const int lastSub = (visible.bottom() - y) / lh;
            PaintLine(p, QRect(margin, 0, w - margin, bandHeight), bExists ? line : -1, firstSub,
                      lastSub, m_layout.GetOffsetChar(), false, clipFirst, clipColumns);
            if (visible.left() < margin)
                PaintMargin(p, QRect(0, 0, margin, bandHeight), bExists ? line : -1, rows, false);
            p.translate(0, -y);
            painted |= visible;
        }
        y += bandHeight;
        if (!bExists)
            break;
        m_layout.GetLineColumns(line); // a large buffer learns its longest line as it shows it
        ++line;
    }
    p.end();
    if (m_layout.GetLongestLineColumns() != longest)
        QMetaObject::invokeMethod(
            this, [this] { UpdateScrollBars(); }, Qt::QueuedConnection);
    for (const QRect& r : painted)
        vp.drawPixmap(r.topLeft(), m_band,
                      QRectF(r.left() * dpr, r.top() * dpr, r.width() * dpr, r.height() * dpr));
    int cx = 0, cy = 0, cw = 0, ch = 0;
    m_rcCaret = QRect();
    if (m_layout.GetCaretRect(cx, cy, cw, ch) && cx >= margin)
    {
        m_rcCaret = QRect(cx, cy, cw, ch);
        if (m_layout.GetOverwrite())
            vp.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        vp.fillRect(QRect(cx, cy, cw, ch),
                    m_layout.GetOverwrite() ? QColor(Qt::white) : ClassColor(kSyntaxColorNormal));
    }
}

void CTarvoTextView::PaintMargin(QPainter& p, const QRect& rect, int nLine, int nRows,
                                 bool bPrinting)
{
    const uint32_t flags = m_layout.GetViewFlags();
    if ((flags & ViewMargin) == 0 && !bPrinting)
    {
        p.fillRect(rect, ClassColor(kColorMarginBackground));
        return;
    }
    const int lh = m_layout.GetLineHeight();
    const QRect strip(rect.right() - 3, rect.top(), 4, rect.height());
    const QRect numbers(rect.left(), rect.top(), rect.width() - 10, lh);
    CTarvoTextEditBuffer* buffer = GetBuffer();
    const bool bExists = buffer != nullptr && nLine >= 0 && nLine < buffer->GetLineCount();
    QColor numberColor;
    if (bPrinting)
    {
        p.fillRect(rect, Qt::white);
        numberColor = FromColorRef(GetSysColor(21)); // dark shadow
    }
    else
    {
        numberColor = nLine == m_layout.GetCaret().y ? QColor(0, 0, 255) : QColor(128, 128, 128);
        // The halftone of the window and button-face colours, from a tile made once.
        const QColor window = FromColorRef(GetSysColor(5));
        const QColor face = FromColorRef(GetSysColor(15));
        if (m_halftone.isNull() || m_halftoneColors != qMakePair(window, face))
        {
            m_halftone = QPixmap(8, 8);
            m_halftone.fill(window);
            QPainter tile(&m_halftone);
            tile.fillRect(QRect(0, 0, 8, 8), QBrush(face, Qt::Dense4Pattern));
            m_halftoneColors = qMakePair(window, face);
        }
        p.fillRect(rect, QBrush(m_halftone));
    }
    const int nNumber = bExists ? MarginLineNumber(nLine) : -1;
    if (nNumber >= 0 && (flags & ViewMargin) != 0 && (flags & ViewLineNumbers) != 0)
    {
        p.setFont(m_marginFont);
        p.setPen(numberColor);
        p.drawText(numbers, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                   QString::number(nNumber));
    }
    if (!bExists)
        return;
    if (!bPrinting)
    {
        const CTarvoTextLineInfo* rec = buffer->GetLineRecord(nLine);
        if ((rec->dwFlags & LineFlagBookmark) != 0)
            p.drawPixmap(rect.left() + 2, rect.top() + (lh - 12) / 2, m_images[0]);
        if ((flags & ViewChangeMarks) != 0 && rec->dwRevision != 0)
            p.fillRect(strip, rec->dwRevision > buffer->GetSavedRevision() ? QColor(255, 192, 0)
                                                                           : QColor(0, 192, 0));
    }
    for (int k = 1; k < nRows; ++k)
        p.drawPixmap(rect.right() + 1 - 12, rect.top() + k * lh + (lh - 12) / 2, m_images[1]);
}

void CTarvoTextView::PaintLine(QPainter& p, const QRect& rect, int nLine, int nFirstSub,
                               int nLastSub, int nFirstColumn, bool bPrinting, int nClipFirst,
                               int nClipColumns)
{
    if (nLine < 0)
    {
        p.fillRect(rect, bPrinting ? QColor(Qt::white) : ClassColor(kColorTextBackground));
        return;
    }
    const int cw = m_layout.GetCharWidth();
    const int lh = m_layout.GetLineHeight();
    const int columns = nClipColumns < 0 ? rect.width() / cw + 2 : nClipFirst + nClipColumns + 1;
    for (int k = nFirstSub; k <= nLastSub; ++k)
    {
        m_layout.LayoutRow(nLine, k, nFirstColumn + nClipFirst, nFirstColumn + columns, m_row,
                           bPrinting);
        const int y = rect.top() + k * lh;
        const int x0 = rect.left() - (m_row.nStartColumn + nFirstColumn) * cw;
        PaintRowText(p, m_row, x0, y, cw, lh, m_fonts, bPrinting);
        // Rows the line has not got (a band taller than its text) keep the background.
        if (m_row.nSubLine != k)
            p.fillRect(QRect(rect.left(), y, rect.width(), lh), ClassColor(kColorTextBackground));
    }
}

void CTarvoTextView::PaintRowText(QPainter& p, const SRowLayout& row, int x0, int y, int nCharWidth,
                                  int nLineHeight, const SFontSlot* fontSlots, bool bPrinting)
{
    // The whole row in the line's background first (the clip keeps it off the margin).
    p.fillRect(QRect(x0 + row.nStartColumn * nCharWidth - (1 << 20), y, 1 << 21, nLineHeight),
               bPrinting ? QColor(Qt::white) : ClassColor(row.nFillColor));
    for (const SRowSpan& span : row.spans)
        if (!(bPrinting &&
              (span.nBkColor == kSyntaxColorBackground || span.nBkColor == kColorTextBackground)))
            p.fillRect(
                QRect(x0 + span.nColumn * nCharWidth, y, span.nColumns * nCharWidth, nLineHeight),
                ClassColor(span.nBkColor));
    if (row.bLineEndSelected)
        p.fillRect(QRect(x0 + row.nEndColumn * nCharWidth, y, nCharWidth, nLineHeight),
                   ClassColor(m_layout.GetFocus() ? kColorSelectionFocus : kColorSelectionNoFocus));
    const CTarvoTextEditModule* module = CTarvoTextEditModule::GetInstance();
    const CSyntaxColors& colors = module != nullptr ? module->GetColors() : m_defaultColors;
    const int ascent = bPrinting ? QFontMetrics(fontSlots[0].font).ascent() : m_nAscent;
    for (const SRowSpan& span : row.spans)
    {
        const bool bBold = colors.GetBold(span.nTextColor);
        DrawCells(p, span, x0, y + ascent, nCharWidth, fontSlots[bBold ? 1 : 0],
                  ClassColor(span.nTextColor));
    }
}

void CTarvoTextView::DrawCells(QPainter& p, const SRowSpan& span, int x0, int baseline,
                               int nCharWidth, const SFontSlot& slot, QColor color)
{
    if (span.cells.empty())
        return;
    const int cp = m_layout.GetCodePage();
    QVector<quint32> glyphs;
    QVector<QPointF> positions;
    glyphs.reserve(static_cast<qsizetype>(span.cells.size()));
    positions.reserve(static_cast<qsizetype>(span.cells.size()));
    p.setPen(color);
    for (const SDisplayCell& cell : span.cells)
    {
        const char* bytes = span.strText.data() + cell.nOffset;
        const char32_t ch = CellCodePoint(cp, bytes, cell.nBytes);
        if (ch == U' ')
            continue;
        const qreal x = x0 + cell.nColumn * nCharWidth;
        quint32 glyph = 0;
        if (ch < 128)
        {
            glyph = slot.asciiGlyphs[ch];
        }
        else if (ch < 0x10000 && slot.raw.isValid())
        {
            const QChar qc(static_cast<char16_t>(ch));
            int n = 1;
            if (!slot.raw.glyphIndexesForChars(&qc, 1, &glyph, &n) || n != 1)
                glyph = 0;
        }
        if (glyph != 0)
        {
            glyphs.push_back(glyph);
            positions.push_back(QPointF(x, baseline));
        }
        else
        {
            // Not in the face: the toolkit's font fallback draws it in its cell.
            p.setFont(slot.font);
            p.drawText(QPointF(x, baseline), QString::fromUcs4(&ch, 1));
        }
    }
    if (!glyphs.isEmpty())
    {
        QGlyphRun run;
        run.setRawFont(slot.raw);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        p.drawGlyphRun(QPointF(0, 0), run);
    }
}

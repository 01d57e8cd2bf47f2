// Printing and print preview of the text view.

#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <cmath>

#include "textview/gui/TarvoTextView.h"

int CTarvoTextView::PrintDocument(QPrinter& printer, double leftMm, double topMm, double rightMm,
                                  double bottomMm)
{
    CTarvoTextEditBuffer* buffer = GetBuffer();
    if (buffer == nullptr)
        return 0;
    // The printable area is the page less the page set-up margins.
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(leftMm, topMm, rightMm, bottomMm), QPageLayout::Millimeter);
    QPainter p;
    if (!p.begin(&printer))
        return 0;

    // The screen font scaled by the printer's and the screen's pixels per inch.
    const double sx = printer.logicalDpiX() / static_cast<double>(std::max(1, logicalDpiX()));
    const double sy = printer.logicalDpiY() / static_cast<double>(std::max(1, logicalDpiY()));
    SFontSlot fontSlots[2];
    for (int i = 0; i < 2; ++i)
    {
        QFont font = m_fonts[i].font;
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pixelSize() * sy))));
        MakeFontSlot(fontSlots[i], font);
    }
    QFont marginFont = m_marginFont;
    marginFont.setPixelSize(
        std::max(1, static_cast<int>(std::lround(marginFont.pixelSize() * sy))));
    const QFontMetrics fm(fontSlots[0].font);
    const int cw = std::max(1, fm.horizontalAdvance(QLatin1Char('X')));
    const int lh = std::max(1, fm.height());

    const QRect area(QPoint(0, 0),
                     printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const int band = lh * 3 / 2; // the header and footer bands
    const int textTop = band;
    const int textHeight = std::max(lh, area.height() - 2 * band);
    const int rowsPerPage = std::max(1, textHeight / lh);
    m_nPrintRowsPerPage = rowsPerPage;
    const int margin = static_cast<int>(std::lround(m_layout.MarginWidth() * sx));
    const bool bNumbers = (m_layout.GetViewFlags() & ViewMargin) != 0 &&
                          (m_layout.GetViewFlags() & ViewLineNumbers) != 0;
    m_layout.SetPrintColumns(std::max(1, (area.width() - margin) / cw));
    const std::vector<int> pages = m_layout.Paginate(rowsPerPage);
    const int nPages = static_cast<int>(pages.size());
    const int lineCount = buffer->GetLineCount();
    SRowLayout row;
    for (int page = 0; page < nPages; ++page)
    {
        if (page > 0)
            printer.newPage();
        const int last = page + 1 < nPages ? pages[static_cast<size_t>(page + 1)] : lineCount;
        int y = textTop;
        for (int line = pages[static_cast<size_t>(page)]; line < last; ++line)
        {
            const int rows = m_layout.GetLineRowCount(line, true);
            if (bNumbers)
            {
                p.setFont(marginFont);
                p.setPen(QColor(Qt::black));
                p.drawText(QRect(0, y, margin - static_cast<int>(10 * sx), lh),
                           Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                           QString::number(line + 1));
            }
            for (int k = 0; k < rows && y + lh <= textTop + rowsPerPage * lh + lh; ++k)
            {
                m_layout.LayoutRow(line, k, 0, m_layout.GetPrintColumns(), row, true);
                p.save();
                p.setClipRect(QRect(margin, y, area.width() - margin, lh));
                PaintRowText(p, row, margin - row.nStartColumn * cw, y, cw, lh, fontSlots, true);
                p.restore();
                y += lh;
            }
        }
        p.setFont(fontSlots[0].font);
        p.setPen(QColor(Qt::black));
        p.drawText(QRect(0, textTop + rowsPerPage * lh, area.width(), band),
                   Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                   QString::asprintf("Page %d/%d", page + 1, nPages));
    }
    p.end();
    return nPages;
}

void CTarvoTextView::ShowPrintPreview()
{
    QPrintPreviewDialog dialog(this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintDocument(*printer); });
    dialog.exec();
}

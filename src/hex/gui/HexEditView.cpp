#include "hex/gui/HexEditView.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <unordered_map>

#include "hex/HexCommands.h"
#include "hex/HexSearchJob.h"
#include "hex/gui/HexFindDlg.h"
#include "platform/CodePageConv.h"
#include "platform/SystemInfo.h"

const char* const kHexBinaryMimeType = "application/x-scrivel-binarydata";

namespace
{
QColor ToColor(COLORREF color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// Buffers a search is reading on a worker: nobody may change them until it ends.
std::set<const CTarvoHexEditBuffer*>& SearchedBuffers()
{
    static std::set<const CTarvoHexEditBuffer*> buffers;
    return buffers;
}

// Holds back the user's input to every window but the progress window while a search
// runs, so that nothing changes the data the worker reads.
class CInputBlocker : public QObject
{
public:
    explicit CInputBlocker(QWidget* pAllowed) : m_pAllowed(pAllowed) {}

protected:
    bool eventFilter(QObject* pObject, QEvent* pEvent) override
    {
        switch (pEvent->type())
        {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::Drop:
        case QEvent::Close:
        {
            auto* pWidget = qobject_cast<QWidget*>(pObject);
            return pWidget == nullptr ||
                   (m_pAllowed != pWidget && !m_pAllowed->isAncestorOf(pWidget));
        }
        default:
            return false;
        }
    }

private:
    QWidget* m_pAllowed;
};

const std::unordered_map<int, int>& ShortcutMap()
{
    static const std::unordered_map<int, int> map = []
    {
        std::unordered_map<int, int> keys;
        for (const SCommandInfo& info : CHexEditController::GetCommands())
        {
            for (const QKeySequence& sequence : QKeySequence::listFromString(
                     QString::fromLatin1(info.pszKeys), QKeySequence::PortableText))
            {
                if (!sequence.isEmpty())
                {
                    keys[sequence[0].toCombined()] = info.nId;
                }
            }
        }
        return keys;
    }();
    return map;
}
} // namespace

// ---------------------------------------------------------------------------------------
// Clipboard and drag data

QString HexBytesToText(const std::string& strBytes)
{
    std::u16string text;
    if (!AppendCodePageToUtf16(GetTextCodePage(), strBytes.data(), strBytes.size(), text, nullptr))
    {
        return QString::fromLatin1(strBytes.data(), static_cast<qsizetype>(strBytes.size()));
    }
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string HexTextToBytes(const QString& text)
{
    std::string bytes;
    if (!AppendUtf16ToCodePage(GetTextCodePage(), reinterpret_cast<const char16_t*>(text.utf16()),
                               static_cast<size_t>(text.size()), bytes, nullptr))
    {
        bytes = text.toLatin1().toStdString();
    }
    return bytes;
}

QMimeData* MakeHexMimeData(const std::string& strText, const std::vector<uint8_t>& binary)
{
    auto* pMime = new QMimeData;
    pMime->setText(HexBytesToText(strText));
    if (!binary.empty())
    {
        pMime->setData(kHexBinaryMimeType, QByteArray(reinterpret_cast<const char*>(binary.data()),
                                                      static_cast<qsizetype>(binary.size())));
    }
    return pMime;
}

std::vector<uint8_t> BytesOfHexMimeData(const QMimeData* pMime)
{
    if (pMime == nullptr)
    {
        return {};
    }
    if (pMime->hasFormat(kHexBinaryMimeType))
    {
        const QByteArray data = pMime->data(kHexBinaryMimeType);
        return ReadBinaryClipData(std::vector<uint8_t>(data.begin(), data.end()));
    }
    if (pMime->hasText())
    {
        std::string bytes = HexTextToBytes(pMime->text());
        bytes.resize(std::strlen(bytes.c_str())); // text ends at its first zero byte
        return std::vector<uint8_t>(bytes.begin(), bytes.end());
    }
    return {};
}

CQtHexClipboard::~CQtHexClipboard()
{
    delete m_pPending;
}

bool CQtHexClipboard::Empty()
{
    delete m_pPending;
    m_pPending = new QMimeData;
    return true;
}

bool CQtHexClipboard::SetText(const std::string& strBytes)
{
    if (m_pPending == nullptr)
    {
        Empty();
    }
    m_pPending->setText(HexBytesToText(strBytes));
    return true;
}

bool CQtHexClipboard::SetBinary(const std::vector<uint8_t>& layout)
{
    if (m_pPending == nullptr)
    {
        Empty();
    }
    m_pPending->setData(kHexBinaryMimeType, QByteArray(reinterpret_cast<const char*>(layout.data()),
                                                       static_cast<qsizetype>(layout.size())));
    return true;
}

bool CQtHexClipboard::GetBinary(std::vector<uint8_t>& layout)
{
    const QMimeData* pMime = QApplication::clipboard()->mimeData();
    if (pMime == nullptr || !pMime->hasFormat(kHexBinaryMimeType))
    {
        return false;
    }
    const QByteArray data = pMime->data(kHexBinaryMimeType);
    layout.assign(data.begin(), data.end());
    return true;
}

bool CQtHexClipboard::GetText(std::string& strBytes)
{
    const QMimeData* pMime = QApplication::clipboard()->mimeData();
    if (pMime == nullptr || !pMime->hasText())
    {
        return false;
    }
    strBytes = HexTextToBytes(pMime->text());
    return true;
}

void CQtHexClipboard::Close()
{
    if (m_pPending != nullptr)
    {
        QApplication::clipboard()->setMimeData(m_pPending); // the clipboard owns it now
        m_pPending = nullptr;
    }
}

// ---------------------------------------------------------------------------------------
// The view

CTarvoHexEditView::CTarvoHexEditView(CTarvoHexEditBuffer& buffer, CTarvoHexEditModule& module,
                                     QWidget* pParent)
    : QAbstractScrollArea(pParent), m_buffer(buffer), m_module(module)
{
    m_pController = std::make_unique<CHexEditController>(buffer, *this, module);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    ApplyFont();
    m_module.AddView(this);
}

CTarvoHexEditView::~CTarvoHexEditView()
{
    m_module.RemoveView(this);
    // The buffer outlives the view: it must not keep a sink that is gone.
    if (m_bSinkTaken)
    {
        m_buffer.SetMessageSink(nullptr);
    }
}

bool CTarvoHexEditView::event(QEvent* pEvent)
{
    // The view's own keys come before any shortcut of the window around it, so that a key
    // such as F3 or Del does what it does in the hex view while the view has the focus.
    if (pEvent->type() == QEvent::ShortcutOverride)
    {
        const auto* pKey = static_cast<QKeyEvent*>(pEvent);
        if (ShortcutMap().count(pKey->keyCombination().toCombined()) != 0)
        {
            pEvent->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(pEvent);
}

SHexNumberFormat CTarvoHexEditView::LocaleNumberFormat()
{
    SHexNumberFormat format;
    const QString separator = QLocale().groupSeparator();
    if (separator.size() == 1 && separator[0].unicode() < 128)
    {
        format.m_cThousandsSeparator = static_cast<char>(separator[0].unicode());
    }
    return format;
}

SHexStatus CTarvoHexEditView::GetStatus() const
{
    return m_pController->GetStatus(LocaleNumberFormat());
}

void CTarvoHexEditView::ApplyFont()
{
    const SHexFont& font = m_module.GetAnsiFont();
    m_font = QFont(QString::fromStdString(font.m_strFaceName));
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    // A positive height is the whole cell, a negative one the character alone.
    const int nPixels =
        font.m_nHeight > 0 ? std::max(1, font.m_nHeight * 13 / 15) : std::max(1, -font.m_nHeight);
    m_font.setPixelSize(nPixels);
    m_font.setWeight(static_cast<QFont::Weight>(std::clamp(font.m_nWeight, 1, 1000)));
    m_font.setItalic(font.m_bItalic);
    const QFontMetrics metrics(m_font);
    m_nAscent = metrics.ascent();
    m_rawFont = QRawFont::fromFont(m_font);
    m_glyphs.fill(0);
    if (m_rawFont.isValid())
    {
        QString ascii;
        for (int c = 32; c < 127; ++c)
        {
            ascii += QLatin1Char(static_cast<char>(c));
        }
        const QList<quint32> glyphs = m_rawFont.glyphIndexesForString(ascii);
        for (int c = 32; c < 127 && c - 32 < glyphs.size(); ++c)
        {
            m_glyphs[static_cast<size_t>(c)] = glyphs[c - 32];
        }
    }
    m_pController->SetMetrics(metrics.horizontalAdvance(QLatin1Char('W')),
                              metrics.height() + std::max(0, metrics.leading()));
}

uint32_t CTarvoHexEditView::GetTopLine() const
{
    return static_cast<uint32_t>(verticalScrollBar()->value());
}

void CTarvoHexEditView::SetTopLine(uint32_t nLine)
{
    verticalScrollBar()->setValue(static_cast<int>(std::min<uint32_t>(nLine, INT32_MAX)));
}

int CTarvoHexEditView::GetVisibleLines() const
{
    return std::max(1, viewport()->height() / m_pController->GetLayout().GetLineHeight());
}

void CTarvoHexEditView::UpdateScrollBars()
{
    const CHexLayout& layout = m_pController->GetLayout();
    const int nVisible = GetVisibleLines();
    const int64_t nLines = layout.GetLineCount();
    verticalScrollBar()->setRange(
        0, static_cast<int>(std::clamp<int64_t>(nLines - nVisible, 0, INT32_MAX)));
    verticalScrollBar()->setPageStep(nVisible);
    verticalScrollBar()->setSingleStep(1);
    const int64_t nWidth = layout.GetLineWidth();
    horizontalScrollBar()->setRange(
        0, static_cast<int>(std::max<int64_t>(0, nWidth - viewport()->width())));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(layout.GetCharWidth());
}

SHexPoint CTarvoHexEditView::DocumentPoint(const QPoint& point) const
{
    const CHexLayout& layout = m_pController->GetLayout();
    return {int64_t(point.x()) + horizontalScrollBar()->value(),
            int64_t(point.y()) + int64_t(GetTopLine()) * layout.GetLineHeight()};
}

QPoint CTarvoHexEditView::ViewPoint(const SHexPoint& point) const
{
    const CHexLayout& layout = m_pController->GetLayout();
    return QPoint(static_cast<int>(point.m_nX - horizontalScrollBar()->value()),
                  static_cast<int>(point.m_nY - int64_t(GetTopLine()) * layout.GetLineHeight()));
}

void CTarvoHexEditView::EnsureCaretVisible()
{
    const CHexEditController& c = *m_pController;
    const CHexLayout& layout = c.GetLayout();
    const uint32_t nLine = layout.GetLineOfPosition(c.GetCaret());
    const uint32_t nTop = GetTopLine();
    const uint32_t nVisible = static_cast<uint32_t>(GetVisibleLines());
    if (nLine < nTop)
    {
        SetTopLine(nLine);
    }
    else if (nLine >= nTop + nVisible)
    {
        SetTopLine(nLine - nVisible + 1);
    }
    const SHexPoint at =
        layout.PositionToPoint(c.GetCaret(), c.IsCaretInCharArea(), c.IsHalfTyped());
    const int nX = static_cast<int>(at.m_nX);
    const int nW = layout.GetCharWidth() * 2;
    QScrollBar* pBar = horizontalScrollBar();
    if (nX < pBar->value())
    {
        pBar->setValue(nX);
    }
    else if (nX + nW > pBar->value() + viewport()->width())
    {
        pBar->setValue(nX + nW - viewport()->width());
    }
}

// ---------------------------------------------------------------------------------------
// Host of the controller

void CTarvoHexEditView::OnSelectionChanged(bool bScroll)
{
    if (bScroll)
    {
        EnsureCaretVisible();
    }
    viewport()->update();
    emit StatusChanged();
}

void CTarvoHexEditView::OnDataChanged(const SHexInvalidation& invalidation)
{
    const CHexLayout& layout = m_pController->GetLayout();
    const int64_t nTopY = int64_t(GetTopLine()) * layout.GetLineHeight();
    switch (invalidation.m_eKind)
    {
    case SHexInvalidation::EKind::None:
        break;
    case SHexInvalidation::EKind::Bytes:
    {
        // Only the bytes in the window are worth a rectangle.
        const uint64_t nFirst = layout.GetLineStart(GetTopLine());
        const uint64_t nLast =
            nFirst + uint64_t(GetVisibleLines() + 1) * uint32_t(layout.GetRowSize());
        const uint64_t nFrom = std::max<uint64_t>(invalidation.m_nFrom, nFirst);
        const uint64_t nTo = std::min<uint64_t>(invalidation.m_nTo, nLast);
        for (const SHexRect& rect : layout.RectsOfBytes(
                 static_cast<uint32_t>(nFrom), static_cast<uint32_t>(std::max(nFrom, nTo))))
        {
            viewport()->update(
                QRect(QPoint(static_cast<int>(rect.m_nLeft - horizontalScrollBar()->value()),
                             static_cast<int>(rect.m_nTop - nTopY)),
                      QPoint(static_cast<int>(rect.m_nRight - horizontalScrollBar()->value()),
                             static_cast<int>(rect.m_nBottom - nTopY)))
                    .adjusted(-2, 0, 2, 0));
        }
        break;
    }
    case SHexInvalidation::EKind::FromPosition:
    {
        const int64_t nY =
            int64_t(layout.GetLineOfPosition(invalidation.m_nFrom)) * layout.GetLineHeight() -
            nTopY;
        if (nY < viewport()->height())
        {
            viewport()->update(QRect(0, static_cast<int>(std::max<int64_t>(0, nY)),
                                     viewport()->width(), viewport()->height()));
        }
        break;
    }
    case SHexInvalidation::EKind::All:
        viewport()->update();
        break;
    }
    emit StatusChanged();
}

void CTarvoHexEditView::OnLayoutChanged()
{
    UpdateScrollBars();
    viewport()->update();
}

void CTarvoHexEditView::BeepRefused()
{
    QApplication::beep();
}

void CTarvoHexEditView::BeepInvalidKey()
{
    // The platform's stand-in for the 5000 Hz, 200 ms beep of a key that is not a digit.
    QApplication::beep();
}

int CTarvoHexEditView::ShowBox(int nIcon, const std::string& strText, int nButtons)
{
    QString text = QString::fromStdString(strText);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(static_cast<QMessageBox::Icon>(nIcon), QStringLiteral("Scrivel"), text,
                    static_cast<QMessageBox::StandardButtons>(nButtons), this);
    return box.exec();
}

void CTarvoHexEditView::ShowMessage(const std::string& strText)
{
    if (m_pMessageOverride != nullptr)
    {
        m_pMessageOverride->ShowMessage(strText);
        return;
    }
    ShowBox(QMessageBox::Information, strText, QMessageBox::Ok);
}

bool CTarvoHexEditView::AskYesNo(const std::string& strText)
{
    if (m_pMessageOverride != nullptr)
    {
        return m_pMessageOverride->AskYesNo(strText);
    }
    return ShowBox(QMessageBox::Question, strText, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool CTarvoHexEditView::AskOkCancel(const std::string& strText)
{
    if (m_pMessageOverride != nullptr)
    {
        return m_pMessageOverride->AskOkCancel(strText);
    }
    return ShowBox(QMessageBox::Question, strText, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

int CTarvoHexEditView::AskYesNoCancel(const std::string& strText)
{
    if (m_yesNoCancelHook)
    {
        return m_yesNoCancelHook(strText);
    }
    const int nButton = ShowBox(QMessageBox::Question, strText,
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return nButton == QMessageBox::Yes ? 1 : nButton == QMessageBox::No ? 0 : -1;
}

void CTarvoHexEditView::ShowStatusMessage(const std::string& strText)
{
    if (m_pMessageOverride != nullptr)
    {
        m_pMessageOverride->ShowStatusMessage(strText);
    }
    if (m_statusHandler)
    {
        m_statusHandler(strText);
    }
}

void CTarvoHexEditView::OnHexSettingsChanged()
{
    ApplyFont();
    m_pController->ApplySettings();
    UpdateScrollBars();
    viewport()->update();
}

void CTarvoHexEditView::OnSearchTextChanged()
{
    if (m_pController->IsHighlightAll())
    {
        viewport()->update();
    }
}

// ---------------------------------------------------------------------------------------
// Painting

void CTarvoHexEditView::paintEvent(QPaintEvent* pEvent)
{
    const CHexEditController& c = *m_pController;
    const CHexLayout& layout = c.GetLayout();
    QPainter painter(viewport());
    painter.setFont(m_font);
    painter.fillRect(pEvent->rect(), ToColor(CHexColors::GetBackgroundColor()));

    const int w = layout.GetCharWidth();
    const int h = layout.GetLineHeight();
    const int R = layout.GetRowSize();
    const int nScrollX = horizontalScrollBar()->value();
    const uint32_t nFirstLine = GetTopLine() + static_cast<uint32_t>(pEvent->rect().top() / h);
    const uint32_t nLastLine =
        std::min<uint64_t>(GetTopLine() + static_cast<uint64_t>(pEvent->rect().bottom() / h),
                           layout.GetLineCount() - 1);
    const uint32_t n = m_buffer.GetLength();
    const uint64_t nFrom = std::min<uint64_t>(layout.GetLineStart(nFirstLine), n);
    const uint64_t nTo = std::min<uint64_t>(layout.GetLineStart(nLastLine) + uint32_t(R), n);
    const int64_t nTopY = int64_t(GetTopLine()) * h;
    auto toView = [&](int64_t nX, int64_t nY)
    { return QPoint(static_cast<int>(nX - nScrollX), static_cast<int>(nY - nTopY)); };

    // The bytes of every visible line, read at once.
    std::vector<uint8_t>& bytes = m_paintBytes;
    bytes.resize(static_cast<size_t>(nTo - nFrom));
    bytes.resize(m_buffer.ReadData(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                   static_cast<uint32_t>(nFrom)));

    // Highlighted matches, then the bookmark marker.
    if (c.IsHighlightAll() && !m_module.GetSearchText().empty() && !bytes.empty())
    {
        const QColor match = ToColor(CHexColors::kMatchColor);
        for (const auto& [nStart, nEnd] :
             HexFindAllInRange(m_buffer, m_module.GetSearchText(), static_cast<uint32_t>(nFrom),
                               static_cast<uint32_t>(nTo)))
        {
            for (const SHexRect& rect : layout.RectsOfBytes(nStart, nEnd))
            {
                painter.fillRect(QRect(toView(rect.m_nLeft, rect.m_nTop),
                                       toView(rect.m_nRight, rect.m_nBottom) - QPoint(1, 1)),
                                 match);
            }
        }
    }
    if (c.GetBookmark() >= 0)
    {
        const uint32_t nMark = static_cast<uint32_t>(c.GetBookmark());
        const QColor mark = ToColor(CHexColors::kBookmarkColor);
        for (bool bChar : {false, true})
        {
            if (bChar && !layout.IsCharacterAreaShown())
                continue;
            const SHexPoint at = layout.PositionToPoint(nMark, bChar);
            const QPoint p = toView(at.m_nX, at.m_nY);
            // A small triangle pointing at the byte from its left.
            const QPoint triangle[3] = {QPoint(p.x() - w / 2 - 1, p.y() + 2),
                                        QPoint(p.x() - 1, p.y() + h / 2),
                                        QPoint(p.x() - w / 2 - 1, p.y() + h - 3)};
            painter.setPen(Qt::NoPen);
            painter.setBrush(mark);
            painter.drawPolygon(triangle, 3);
        }
    }

    const bool bUpper = c.IsUppercase();
    const char* const pszDigits = bUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    const SHexNumberFormat format = LocaleNumberFormat();
    const uint32_t nSelStart = c.GetSelStart();
    const uint32_t nSelEnd = c.GetSelEnd();
    const QColor selection = ToColor(CHexColors::GetSelectionColor(hasFocus()));
    const QColor selectedText = ToColor(CHexColors::GetSelectedTextColor());
    const QColor address = ToColor(CHexColors::GetAddressColor());
    const int nAddressRight = (layout.GetAddressWidth() - 1) * w;
    const bool bChars = layout.IsCharacterAreaShown();

    // Glyphs gathered per colour: index 0-4 the byte colours, 5 selected text, 6 the
    // addresses; each colour is drawn with one glyph run at the end.
    constexpr size_t kSelectedSlot = CHexColors::kColorCount;
    constexpr size_t kAddressSlot = kSelectedSlot + 1;
    std::vector<QList<quint32>>& glyphs = m_runGlyphs;
    std::vector<QList<QPointF>>& positions = m_runPositions;
    std::vector<QString>& characters = m_runCharacters; // for a font without raw glyphs
    glyphs.resize(kAddressSlot + 1);
    positions.resize(kAddressSlot + 1);
    characters.resize(kAddressSlot + 1);
    for (size_t nSlot = 0; nSlot <= kAddressSlot; ++nSlot)
    {
        glyphs[nSlot].clear(); // keeps the room of the last paint
        positions[nSlot].clear();
        characters[nSlot].resize(0);
    }
    const bool bRaw = m_rawFont.isValid();
    auto put = [&](size_t nSlot, char c, int64_t nX, int nBaseline)
    {
        if (bRaw)
            glyphs[nSlot].append(m_glyphs[static_cast<unsigned char>(c) & 127]);
        else
            characters[nSlot] += QLatin1Char(c);
        positions[nSlot].append(QPointF(static_cast<qreal>(nX - nScrollX), nBaseline));
    };
    const int nGroup = layout.GetGroupSize();
    const int64_t nCharArea = int64_t(layout.GetCharAreaCell()) * w;

    for (uint32_t nLine = nFirstLine; nLine <= nLastLine; ++nLine)
    {
        const uint64_t nLineStart = layout.GetLineStart(nLine);
        const int64_t nY = int64_t(nLine) * h;
        const int nBaseline = static_cast<int>(nY - nTopY) + m_nAscent;
        if (nLineStart > nFrom + bytes.size())
            break;
        const int nCount =
            static_cast<int>(std::min<uint64_t>(R, nLineStart < n ? n - nLineStart : 0));
        const uint8_t* pLine = bytes.data() + (nLineStart - nFrom);

        // 1. Selection.
        if (nSelEnd > nSelStart && nSelStart < nLineStart + uint32_t(R) && nSelEnd > nLineStart)
        {
            const uint32_t a = static_cast<uint32_t>(std::max<uint64_t>(nSelStart, nLineStart));
            const uint32_t b =
                static_cast<uint32_t>(std::min<uint64_t>(nSelEnd, nLineStart + uint32_t(R)));
            for (const SHexRect& rect : layout.RectsOfBytes(a, b))
            {
                painter.fillRect(QRect(toView(rect.m_nLeft, rect.m_nTop),
                                       toView(rect.m_nRight, rect.m_nBottom) - QPoint(1, 1)),
                                 selection);
            }
        }
        // 2. Address, right-aligned in the address column minus one cell.
        const std::string addressText =
            layout.FormatAddress(static_cast<uint32_t>(nLineStart), bUpper, format);
        int64_t nX = nAddressRight - int64_t(addressText.size()) * w;
        for (char c : addressText)
        {
            if (c != ' ')
                put(kAddressSlot, c, nX, nBaseline);
            nX += w;
        }
        // 3. and 4. The bytes' digits and characters.
        int64_t nHexX = int64_t(layout.GetHexCell(0)) * w;
        for (int k = 0; k < nCount; ++k)
        {
            if (k > 0 && k % nGroup == 0)
                nHexX += w;
            const uint8_t b = pLine[k];
            const uint32_t nPosition = static_cast<uint32_t>(nLineStart) + uint32_t(k);
            const size_t nSlot = (nPosition >= nSelStart && nPosition < nSelEnd)
                                     ? kSelectedSlot
                                     : m_module.GetColorIndexOfByte(b);
            put(nSlot, pszDigits[b >> 4], nHexX, nBaseline);
            put(nSlot, pszDigits[b & 15], nHexX + w, nBaseline);
            nHexX += 3 * w;
            if (bChars)
                put(nSlot, (b >= 32 && b <= 126) ? char(b) : '.', nCharArea + int64_t(k) * w,
                    nBaseline);
        }
    }
    for (size_t nSlot = 0; nSlot < glyphs.size(); ++nSlot)
    {
        if (positions[nSlot].isEmpty())
            continue;
        const QColor color = nSlot == kSelectedSlot ? selectedText
                             : nSlot == kAddressSlot
                                 ? address
                                 : ToColor(m_module.GetByteColor(static_cast<int>(nSlot)));
        painter.setPen(color);
        if (bRaw)
        {
            QGlyphRun run;
            run.setRawFont(m_rawFont);
            run.setGlyphIndexes(glyphs[nSlot]);
            run.setPositions(positions[nSlot]);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        else
        {
            for (qsizetype i = 0; i < characters[nSlot].size(); ++i)
                painter.drawText(positions[nSlot][i], QString(characters[nSlot][i]));
        }
    }

    // The caret: a block over the byte in overtype mode, a bar in insert mode; the drop
    // position while something is dragged over the view.
    const uint32_t nCaret = m_nDropCaret >= 0 ? static_cast<uint32_t>(m_nDropCaret) : c.GetCaret();
    if (hasFocus() || m_nDropCaret >= 0)
    {
        const SHexPoint at = layout.PositionToPoint(nCaret, c.IsCaretInCharArea(), c.IsHalfTyped());
        const QPoint p = toView(at.m_nX, at.m_nY);
        if (c.IsOvertype() && m_nDropCaret < 0)
            painter.fillRect(QRect(p.x(), p.y() + h - 3, w, 2), QColor(Qt::black));
        else
            painter.fillRect(QRect(p.x(), p.y(), 2, h), QColor(Qt::black));
    }
}

void CTarvoHexEditView::resizeEvent(QResizeEvent* pEvent)
{
    QAbstractScrollArea::resizeEvent(pEvent);
    UpdateScrollBars();
}

void CTarvoHexEditView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CTarvoHexEditView::focusInEvent(QFocusEvent* pEvent)
{
    QAbstractScrollArea::focusInEvent(pEvent);
    viewport()->update();
}

void CTarvoHexEditView::focusOutEvent(QFocusEvent* pEvent)
{
    QAbstractScrollArea::focusOutEvent(pEvent);
    ShowSelectionTip(false);
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Keys and mouse

bool CTarvoHexEditView::IsBusy() const
{
    return m_bSearching || SearchedBuffers().count(&m_buffer) != 0;
}

void CTarvoHexEditView::ShowSelectionTip(bool bShow)
{
    if (!bShow || !m_pController->HasSelection())
    {
        if (QToolTip::isVisible())
        {
            QToolTip::hideText();
        }
        return;
    }
    const CHexEditController& c = *m_pController;
    const SHexPoint at = c.GetLayout().PositionToPoint(c.GetCaret(), c.IsCaretInCharArea());
    const QPoint p = ViewPoint(at) + QPoint(0, c.GetLayout().GetLineHeight() + 4);
    QToolTip::showText(viewport()->mapToGlobal(p),
                       QString::fromStdString(c.GetSelectionTip(LocaleNumberFormat())), this);
}

void CTarvoHexEditView::keyPressEvent(QKeyEvent* pEvent)
{
    if (IsBusy())
    {
        return;
    }
    const auto& shortcuts = ShortcutMap();
    const auto it = shortcuts.find(pEvent->keyCombination().toCombined());
    if (it != shortcuts.end())
    {
        SCommandState state;
        if (OnUpdateCommand(it->second, state) && state.bEnabled)
        {
            OnCommand(it->second);
        }
        return;
    }
    const bool bShift = (pEvent->modifiers() & Qt::ShiftModifier) != 0;
    const bool bCtrl = (pEvent->modifiers() & Qt::ControlModifier) != 0;
    std::optional<EHexKey> key;
    switch (pEvent->key())
    {
    case Qt::Key_Left:
        key = EHexKey::Left;
        break;
    case Qt::Key_Right:
        key = EHexKey::Right;
        break;
    case Qt::Key_Up:
        key = EHexKey::Up;
        break;
    case Qt::Key_Down:
        key = EHexKey::Down;
        break;
    case Qt::Key_PageUp:
        key = EHexKey::PageUp;
        break;
    case Qt::Key_PageDown:
        key = EHexKey::PageDown;
        break;
    case Qt::Key_Home:
        key = EHexKey::Home;
        break;
    case Qt::Key_End:
        key = EHexKey::End;
        break;
    case Qt::Key_Menu:
        ShowContextMenu(QPoint(5, 5));
        return;
    case Qt::Key_Backspace:
        m_pController->OnChar('\b');
        return;
    case Qt::Key_Shift:
        ShowSelectionTip(true);
        return;
    default:
        break;
    }
    if (key)
    {
        m_pController->MoveCaret(*key, bShift, bCtrl);
        ShowSelectionTip(bShift);
        return;
    }
    const QString text = pEvent->text();
    if (text.isEmpty() || (pEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0)
    {
        QAbstractScrollArea::keyPressEvent(pEvent);
        return;
    }
    for (char c : HexTextToBytes(text))
    {
        m_pController->OnChar(static_cast<uint8_t>(c));
    }
}

void CTarvoHexEditView::keyReleaseEvent(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Shift && m_eMouse == EHexMouse::Ignored)
    {
        ShowSelectionTip(false);
    }
    QAbstractScrollArea::keyReleaseEvent(pEvent);
}

void CTarvoHexEditView::mousePressEvent(QMouseEvent* pEvent)
{
    if (IsBusy() || pEvent->button() != Qt::LeftButton)
    {
        return;
    }
    const SHexPoint at = DocumentPoint(pEvent->position().toPoint());
    m_pressPoint = pEvent->position().toPoint();
    m_eMouse =
        m_pController->MouseDown(at.m_nX, at.m_nY, (pEvent->modifiers() & Qt::ShiftModifier) != 0);
}

void CTarvoHexEditView::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (!(pEvent->buttons() & Qt::LeftButton))
    {
        return;
    }
    const QPoint point = pEvent->position().toPoint();
    if (m_eMouse == EHexMouse::DragCandidate)
    {
        if ((point - m_pressPoint).manhattanLength() >= QApplication::startDragDistance())
        {
            m_eMouse = EHexMouse::Ignored;
            StartDrag();
        }
        return;
    }
    if (m_eMouse == EHexMouse::Selecting)
    {
        const SHexPoint at = DocumentPoint(point);
        m_pController->MouseMove(at.m_nX, at.m_nY);
        ShowSelectionTip(true);
    }
}

void CTarvoHexEditView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    if (m_eMouse == EHexMouse::DragCandidate)
    {
        const SHexPoint at = DocumentPoint(pEvent->position().toPoint());
        m_pController->MouseUp(at.m_nX, at.m_nY);
    }
    m_eMouse = EHexMouse::Ignored;
    ShowSelectionTip((pEvent->modifiers() & Qt::ShiftModifier) != 0);
}

void CTarvoHexEditView::ShowContextMenu(const QPoint& viewPoint)
{
    QMenu menu(this);
    for (const SHexMenuItem& item : m_pController->GetContextMenu(DocumentPoint(viewPoint).m_nX))
    {
        QAction* pAction = menu.addAction(QString::fromLatin1(item.m_pszText));
        SCommandState state;
        if (OnUpdateCommand(item.m_nId, state))
        {
            pAction->setEnabled(state.bEnabled);
        }
        else
        {
            pAction->setEnabled(static_cast<bool>(m_foreignCommand));
        }
        const int nId = item.m_nId;
        connect(pAction, &QAction::triggered, this,
                [this, nId]
                {
                    if (!OnCommand(nId) && m_foreignCommand)
                    {
                        m_foreignCommand(nId);
                    }
                });
    }
    menu.exec(viewport()->mapToGlobal(viewPoint));
}

void CTarvoHexEditView::contextMenuEvent(QContextMenuEvent* pEvent)
{
    if (IsBusy())
    {
        return;
    }
    const QPoint point = pEvent->reason() == QContextMenuEvent::Mouse
                             ? viewport()->mapFromGlobal(pEvent->globalPos())
                             : QPoint(5, 5);
    ShowContextMenu(point);
}

// ---------------------------------------------------------------------------------------
// Drag and drop

void CTarvoHexEditView::StartDrag()
{
    std::string strText;
    std::vector<uint8_t> binary;
    if (!m_pController->StartDrag(strText, binary))
    {
        return;
    }
    auto* pDrag = new QDrag(this);
    pDrag->setMimeData(MakeHexMimeData(strText, binary));
    m_bDropHere = false;
    const Qt::DropAction action = pDrag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    m_pController->EndDrag(action == Qt::MoveAction, m_bDropHere);
}

void CTarvoHexEditView::dragEnterEvent(QDragEnterEvent* pEvent)
{
    const QMimeData* pMime = pEvent->mimeData();
    if (!IsBusy() && (pMime->hasFormat(kHexBinaryMimeType) || pMime->hasText()))
    {
        pEvent->acceptProposedAction();
    }
}

void CTarvoHexEditView::dragMoveEvent(QDragMoveEvent* pEvent)
{
    const SHexPoint at = DocumentPoint(pEvent->position().toPoint());
    m_nDropCaret = m_pController->PositionAt(at.m_nX, at.m_nY);
    viewport()->update();
    pEvent->acceptProposedAction();
}

void CTarvoHexEditView::dragLeaveEvent(QDragLeaveEvent*)
{
    m_nDropCaret = -1;
    viewport()->update();
}

void CTarvoHexEditView::dropEvent(QDropEvent* pEvent)
{
    m_nDropCaret = -1;
    const SHexPoint at = DocumentPoint(pEvent->position().toPoint());
    const uint32_t nPosition = m_pController->PositionAt(at.m_nX, at.m_nY);
    const bool bHere = pEvent->source() == this;
    if (!IsBusy() && m_pController->Drop(BytesOfHexMimeData(pEvent->mimeData()), nPosition))
    {
        m_bDropHere = bHere;
        if (bHere)
        {
            pEvent->setDropAction(Qt::MoveAction);
            pEvent->accept();
        }
        else
        {
            pEvent->acceptProposedAction();
        }
        setFocus();
    }
    else
    {
        pEvent->ignore();
    }
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Commands

bool CTarvoHexEditView::OnUpdateCommand(int nId, SCommandState& state)
{
    if (!m_pController->UpdateCommand(nId, state))
    {
        return false;
    }
    if (IsBusy())
    {
        state.bEnabled = false;
    }
    return true;
}

bool CTarvoHexEditView::OnCommand(int nId)
{
    using namespace HexCommand;
    if (IsBusy())
    {
        return false;
    }
    CHexEditController& c = *m_pController;
    switch (nId)
    {
    case kEditUndo:
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        c.Undo();
        QApplication::restoreOverrideCursor();
        return true;
    }
    case kEditCut:
    {
        CQtHexClipboard clipboard;
        c.Cut(clipboard);
        return true;
    }
    case kEditCopy:
    {
        CQtHexClipboard clipboard;
        c.Copy(clipboard);
        return true;
    }
    case kEditPaste:
    {
        CQtHexClipboard clipboard;
        c.Paste(clipboard);
        return true;
    }
    case kEditClear:
        c.Delete();
        return true;
    case kEditSelectAll:
        c.SelectAll();
        return true;
    case kToggleOvertype:
        c.ToggleOvertype();
        return true;
    case kReadOnly:
        c.ToggleReadOnly();
        return true;
    case kToggleBookmark:
        c.ToggleBookmark();
        return true;
    case kClearBookmarks:
        c.ClearBookmarks();
        return true;
    case kGotoBookmark:
        c.GotoBookmark();
        return true;
    case kEditFind:
        OnFindDialog();
        return true;
    case kFindNext:
    case kEditRepeat:
        Find(true);
        return true;
    case kFindPrevious:
        Find(false);
        return true;
    case kHighlightAll:
        c.SetHighlightAll(!c.IsHighlightAll());
        viewport()->update();
        return true;
    case kGoTo:
        OnGoToDialog();
        return true;
    case kCharacterArea:
        c.ToggleCharacterArea();
        return true;
    case kDecimalAddresses:
        c.ToggleDecimalAddresses();
        return true;
    case kFileSave:
        Save();
        return true;
    case kFileSaveAs:
        SaveAs();
        return true;
    default:
        return false;
    }
}

bool CTarvoHexEditView::Save()
{
    if (m_saveHandler)
    {
        m_pController->ResetSequences();
        return m_saveHandler(false);
    }
    if (m_buffer.GetPath().empty())
    {
        return SaveAs();
    }
    m_buffer.SetMessageSink(this);
    m_bSinkTaken = true;
    return m_pController->Save(m_buffer.GetPath());
}

bool CTarvoHexEditView::SaveAs()
{
    if (m_saveHandler)
    {
        m_pController->ResetSequences();
        return m_saveHandler(true);
    }
    std::string path;
    if (m_saveAsHook)
    {
        path = m_saveAsHook();
    }
    else
    {
        path = QFileDialog::getSaveFileName(this, "Save As",
                                            QString::fromStdString(m_buffer.GetPath()))
                   .toStdString();
    }
    if (path.empty())
    {
        return false;
    }
    m_buffer.SetMessageSink(this);
    m_bSinkTaken = true;
    return m_pController->Save(path);
}

// ---------------------------------------------------------------------------------------
// Find and go to

bool CTarvoHexEditView::Find(bool bForward)
{
    const std::string strText = m_module.GetSearchText();
    const bool bFound = RunSearch(strText, bForward);
    m_module.StoreSearchText(strText);
    return bFound;
}

bool CTarvoHexEditView::RunSearch(const std::string& strText, bool bForward)
{
    if (IsBusy())
    {
        return false;
    }
    SHexPattern pattern;
    std::string strMessage;
    if (!CHexSearchJob::Prepare(m_buffer, strText, pattern, strMessage))
    {
        ShowMessage(strMessage);
        return false;
    }
    CHexEditController& c = *m_pController;
    c.ResetSequences();
    auto pJob = std::make_shared<CHexSearchJob>(m_buffer, pattern, bForward, c.GetSelStart(),
                                                c.GetSelEnd());

    QPointer<CTarvoHexEditView> self(this);
    m_bSearching = true;
    SearchedBuffers().insert(&m_buffer);
    QApplication::setOverrideCursor(Qt::WaitCursor);

    QEventLoop loop;
    std::atomic<bool> bAsking{false};
    CHexSearchProgressDlg progress(
        [&]
        {
            if (bAsking.exchange(true))
                return;
            if (AskYesNo("Abort search?"))
                pJob->Abort();
            bAsking = false;
        },
        this);
    progress.setWindowModality(Qt::ApplicationModal);
    CInputBlocker blocker(&progress);
    qApp->installEventFilter(&blocker);
    QTimer showTimer;
    showTimer.setSingleShot(true);
    QObject::connect(&showTimer, &QTimer::timeout, &progress, [&] { progress.show(); });
    showTimer.start(m_nProgressDelay);
    QTimer progressTimer;
    QObject::connect(&progressTimer, &QTimer::timeout, &progress,
                     [&] { progress.SetProgress(pJob->GetDone(), pJob->GetTotal()); });
    progressTimer.start(100);

    // The worker only reads the buffer and, when done, wakes the loop with a queued call.
    std::thread worker(
        [pJob, &loop]
        {
            pJob->Run();
            QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
        });
    loop.exec();
    worker.join();

    progressTimer.stop();
    showTimer.stop();
    progress.hide();
    qApp->removeEventFilter(&blocker);
    QApplication::restoreOverrideCursor();
    SearchedBuffers().erase(&m_buffer);
    if (!self)
    {
        return false;
    }
    m_bSearching = false;

    switch (pJob->GetOutcome())
    {
    case EHexSearchOutcome::Found:
        c.ApplyFound(pJob->GetResult());
        return true;
    case EHexSearchOutcome::Aborted:
        ShowStatusMessage("Search aborted");
        return false;
    case EHexSearchOutcome::NotFound:
        ShowMessage(pJob->GetNotFoundMessage());
        return false;
    }
    return false;
}

void CTarvoHexEditView::OnFindDialog()
{
    CHexFindDlg dialog(m_module, this);
    if (dialog.exec() != QDialog::Accepted)
    {
        return;
    }
    const std::string strText = dialog.GetText();
    m_module.StoreSearchText(strText);
    RunSearch(strText, dialog.IsForward());
    if (dialog.GetAction() == CHexFindDlg::EAction::HighlightAll)
    {
        m_pController->SetHighlightAll(!m_pController->IsHighlightAll());
        viewport()->update();
    }
}

void CTarvoHexEditView::OnGoToDialog()
{
    CHexGoToDlg dialog(m_buffer.GetLength(), m_module.m_bShowUppercase, this);
    if (dialog.exec() != QDialog::Accepted)
    {
        return;
    }
    m_pController->GoTo(dialog.GetPosition());
}

// The text view widget under the offscreen platform: what it paints agrees with the layout
// cell by cell, the wheel and the scroll bars reach the layout, wrapping ends through the
// event loop, and printing gives the pages the layout counts.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <atomic>
#include <thread>

#include <chrono>
#include <cmath>
#include <string>

#include "../TextViewTestUtil.h"
#include "platform/SystemInfo.h"
#include "syntax/SyntaxParserFactory.h"
#include "textview/gui/ProcessDialog.h"
#include "textview/gui/TarvoTextView.h"

namespace
{
class CQtEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "test_textview_gui";
        static char* argv[] = {name, nullptr};
        m_app = new QApplication(argc, argv);
    }
    void TearDown() override { delete m_app; }

private:
    QApplication* m_app = nullptr;
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

const char kCpp[] = "// A sample of C++\n"
                    "#include <vector>\n"
                    "int Sum(const std::vector<int>& v)\n"
                    "{\n"
                    "\tint total = 0; /* running */\n"
                    "\tfor (int x : v)\n"
                    "\t\ttotal += x * 2;\n"
                    "\tif (total > 100 && v.size() < 5)\n"
                    "\t\treturn -1;\n"
                    "\tconst char* s = \"a string with <html> & more\";\n"
                    "\treturn total; // done\n"
                    "}\n";

class TextViewWidgetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetTextCodePage(1252);
        m_factory.CreateParsers();
    }
    void TearDown() override
    {
        m_view.reset();
        SetTextCodePage(0);
    }

    void Open(const std::string& text, int width, int height, int parserId = 4)
    {
        MakeBuffer(m_buffer, text);
        m_buffer.SetParser(m_factory.FindById(parserId));
        m_view = std::make_unique<CTarvoTextView>();
        m_view->SetBuffer(&m_buffer);
        m_view->resize(width, height);
        m_view->show();
        QApplication::processEvents();
    }

    QImage Grab()
    {
        return m_view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    static int Distance(QColor a, QColor b)
    {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue());
    }

    void SaveScreenshot(const QString& name)
    {
        const QString path = QCoreApplication::applicationDirPath() + "/" + name;
        EXPECT_TRUE(Grab().save(path)) << path.toStdString();
    }

    CSyntaxParserFactory m_factory;
    CTarvoTextEditBuffer m_buffer;
    std::unique_ptr<CTarvoTextView> m_view;
};
} // namespace

// Every visible cell shows its span's background at its corner, and a cell with a visible
// character holds pixels of the span's text colour.
TEST_F(TextViewWidgetTest, PaintedPageMatchesTheLayoutCellByCell)
{
    Open(kCpp, 700, 320);
    m_view->SetSelection({2, 5}, {8, 5}); // "or (in" on line 6
    m_view->SetCaret({0, 12});            // the caret and its line below the sampled rows
    const QImage image = Grab();
    SaveScreenshot("textview_cpp.png");
    CTextLayout& layout = m_view->Layout();
    const int cw = layout.GetCharWidth();
    const int lh = layout.GetLineHeight();
    const int margin = layout.MarginWidth();
    int checkedText = 0, checkedKeyword = 0;
    for (int row = 0; row < layout.GetScreenRows() && row < m_buffer.GetLineCount(); ++row)
    {
        SRowLayout r;
        layout.LayoutRow(row, 0, 0, 200, r);
        for (const SRowSpan& span : r.spans)
        {
            const QColor bk = m_view->ClassColor(span.nBkColor);
            const QColor fg = m_view->ClassColor(span.nTextColor);
            for (const SDisplayCell& cell : span.cells)
            {
                const int x = margin + cell.nColumn * cw;
                const int y = row * lh;
                ASSERT_LT(Distance(image.pixelColor(x, y), bk), 8)
                    << "row " << row << " column " << cell.nColumn;
                const char c = span.strText[static_cast<size_t>(cell.nOffset)];
                if (c == ' ' || bk == fg)
                    continue;
                int best = 1000;
                for (int py = y; py < y + lh; ++py)
                    for (int px = x; px < x + cw * cell.nWidth; ++px)
                        best = std::min(best, Distance(image.pixelColor(px, py), fg));
                EXPECT_LT(best, 90)
                    << "row " << row << " column " << cell.nColumn << " '" << c << "'";
                ++checkedText;
                if (span.nTextColor == kSyntaxColorKeyword)
                    ++checkedKeyword;
            }
        }
    }
    EXPECT_GT(checkedText, 150);
    EXPECT_GT(checkedKeyword, 10);
    // The margin shows the caret line's number in blue.
    int numberPixels = 0;
    for (int py = 12 * lh; py < 13 * lh; ++py)
        for (int px = 0; px < margin; ++px)
            if (Distance(image.pixelColor(px, py), QColor(0, 0, 255)) < 120)
                ++numberPixels;
    EXPECT_GT(numberPixels, 0); // the caret line's number is blue
}

TEST_F(TextViewWidgetTest, WheelAndScrollBarsReachTheLayout)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\n";
    Open(text, 500, 300);
    CTextLayout& layout = m_view->Layout();
    QScrollBar* bar = m_view->verticalScrollBar();
    EXPECT_EQ(bar->maximum(), 201 - layout.GetScreenRows());
    const QPointF pos(50, 50);
    QWheelEvent down(pos, m_view->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view->viewport(), &down);
    EXPECT_EQ(layout.GetTopSubLine(), 3);
    EXPECT_EQ(bar->value(), 3);
    QWheelEvent up(pos, m_view->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, 240),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view->viewport(), &up);
    EXPECT_EQ(layout.GetTopSubLine(), 0);
    bar->setValue(50);
    EXPECT_EQ(layout.GetTopLine(), 50);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(layout.GetTopLine(), 50 + layout.GetScreenRows() - 1);
    // The first painted row is the top line.
    const QImage image = Grab();
    EXPECT_EQ(image.width(), m_view->viewport()->width());
}

TEST_F(TextViewWidgetTest, WrapCommandEndsThroughTheEventLoop)
{
    std::string text;
    for (int i = 0; i < 30000; ++i)
        text += "some words that will wrap at a narrow width, line " + std::to_string(i) + "\n";
    Open(text, 400, 300, 0);
    CTextLayout& layout = m_view->Layout();
    layout.SetSyncWrapLines(0);
    SCommandState state;
    ASSERT_TRUE(m_view->OnUpdateCommand(ID_VIEW_WRAP_LINES, state));
    EXPECT_FALSE(state.bChecked);
    ASSERT_TRUE(m_view->OnCommand(ID_VIEW_WRAP_LINES));
    EXPECT_TRUE(layout.IsWrapPending());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (layout.IsWrapPending() && std::chrono::steady_clock::now() < deadline)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_FALSE(layout.IsWrapPending());
    EXPECT_GT(layout.GetTotalRows(), 30001);
    EXPECT_FALSE(m_view->horizontalScrollBar()->isEnabled());
    m_view->OnUpdateCommand(ID_VIEW_WRAP_LINES, state);
    EXPECT_TRUE(state.bChecked);
    m_view->Layout().SetShowWhitespace(true);
    m_view->viewport()->update();
    SaveScreenshot("textview_wrapped_whitespace.png");
    m_view->OnCommand(ID_VIEW_WRAP_LINES);
    EXPECT_EQ(layout.GetTotalRows(), 30001);
}

TEST_F(TextViewWidgetTest, ClosingTheViewStopsARunningWrap)
{
    std::string text;
    for (int i = 0; i < 60000; ++i)
        text += "words words words words words words words words words " + std::to_string(i) + "\n";
    Open(text, 300, 200, 0);
    m_view->Layout().SetSyncWrapLines(0);
    m_view->OnCommand(ID_VIEW_WRAP_LINES);
    m_view.reset(); // must stop and wait for the pass before the widget goes
    int el = 0, ec = 0;
    EXPECT_TRUE(m_buffer.InsertText(nullptr, 0, 0, "x", el, ec));
    QApplication::processEvents(); // a posted end, if any, must find no view
}

int CountPdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = file.readAll();
    int pages = 0;
    for (qsizetype i = data.indexOf("/Type /Page"); i >= 0; i = data.indexOf("/Type /Page", i + 1))
        if (data.mid(i + 11, 1) != "s")
            ++pages;
    return pages;
}

TEST_F(TextViewWidgetTest, PrintsTheExpectedNumberOfPagesToPdf)
{
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += "printed line " + std::to_string(i) + "\n";
    text += std::string(1000, 'w') + "\n"; // a long line printed on several rows
    Open(text, 500, 300);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setOutputFileName(dir.filePath("out.pdf"));
    const int pages = m_view->PrintDocument(printer);
    const int rows = m_view->GetPrintRowsPerPage();
    ASSERT_GT(rows, 10);
    const int columns = m_view->Layout().GetPrintColumns();
    const int longRows = (1000 + columns - 1) / columns;
    // 151 one-row lines and the long line, which never shares a page it does not fit.
    std::vector<int> expected = m_view->Layout().Paginate(rows);
    EXPECT_EQ(pages, static_cast<int>(expected.size()));
    EXPECT_GE(pages, (151 + longRows + rows - 1) / rows);
    EXPECT_EQ(CountPdfPages(dir.filePath("out.pdf")), pages);
    // The screen's wrap is untouched by printing.
    EXPECT_EQ(m_view->Layout().GetTotalRows(), 152);
}

TEST(ProcessDialog, RunsTheWorkAndCancelsOnlyWhenTheWorkerHasEnded)
{
    std::atomic<int> lines{0};
    CProcessDialog ok(nullptr,
                      [&](CSyntaxExportProgress& progress)
                      {
                          progress.SetRange(0, 99);
                          for (int i = 0; i < 100; ++i)
                              progress.Advance(i), ++lines;
                          return true;
                      });
    EXPECT_TRUE(ok.Run());
    EXPECT_EQ(lines.load(), 100);
    EXPECT_EQ(ok.windowTitle(), QStringLiteral("Processing"));

    std::atomic<bool> stillRunning{false};
    CProcessDialog cancelled(nullptr,
                             [&](CSyntaxExportProgress& progress)
                             {
                                 stillRunning = true;
                                 while (!progress.IsCancelled())
                                     std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 stillRunning = false;
                                 return false;
                             });
    QTimer::singleShot(50, &cancelled, [&] { cancelled.reject(); });
    EXPECT_FALSE(cancelled.Run());
    EXPECT_TRUE(cancelled.WasCancelled());
    EXPECT_FALSE(stillRunning.load());
}

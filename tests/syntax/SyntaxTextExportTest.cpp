// The HTML export: whole pages compared with golden files in data/export (written anew
// when SCRIVEL_UPDATE_GOLDEN is set), the pieces the page is made of, and the files it
// writes, replaces and removes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "syntax/SyntaxParserFactory.h"
#include "syntax/SyntaxTextExport.h"

namespace
{
// A view over lines in memory: C/C++ runs (or none), tabs of 4, endings dropped.
class CFakeView : public CSyntaxExportSource
{
public:
    CFakeView(const std::vector<std::string>& lines, CSyntaxParser* parser, int codePage = 65001)
        : m_pParser(parser), m_nCodePage(codePage)
    {
        for (const std::string& text : lines)
        {
            auto block = std::make_unique<std::string>(text + "\r\n");
            CTarvoTextLineInfo info;
            info.pcLine = block->data();
            info.nLength = static_cast<int>(text.size());
            info.nEolLength = 2;
            m_records.push_back(info);
            m_blocks.push_back(std::move(block));
        }
    }
    int GetLineCount() const override { return static_cast<int>(m_records.size()); }
    const CTarvoTextLineInfo* GetExportLine(int nLine) const override
    {
        return &m_records[static_cast<size_t>(nLine)];
    }
    uint32_t GetExportRuns(uint32_t state, int nLine, std::vector<SyntaxRun>& runs) const override
    {
        runs.assign(1, SyntaxRun{0, 3, 2});
        if (m_pParser == nullptr)
            return 0;
        const CTarvoTextLineInfo* line = GetExportLine(nLine);
        runs.resize(3 * (static_cast<size_t>(line->nLength) + 1));
        int count = 1;
        state = m_pParser->ParseLine(state, line, runs.data(), &count);
        runs.resize(static_cast<size_t>(count));
        return state;
    }
    int ExpandForExport(const char* chars, int length, int first, int count, int nStartColumn,
                        std::string& out) const override
    {
        out.clear();
        int column = nStartColumn;
        for (int i = first; i < first + count && i < length; ++i)
        {
            if (chars[i] == '\t')
            {
                const int n = 4 - column % 4;
                out.append(static_cast<size_t>(n), ' ');
                column += n;
                continue;
            }
            out += chars[i];
            ++column;
        }
        return column - nStartColumn;
    }
    int GetExportCodePage() const override { return m_nCodePage; }

private:
    CSyntaxParser* m_pParser;
    int m_nCodePage;
    std::vector<std::unique_ptr<std::string>> m_blocks;
    std::vector<CTarvoTextLineInfo> m_records;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ExpectGolden(const std::string& name, const std::string& page)
{
    const std::string path = std::string(SCRIVEL_TEST_DATA_DIR) + "/export/" + name;
    if (std::getenv("SCRIVEL_UPDATE_GOLDEN") != nullptr)
        std::ofstream(path, std::ios::binary) << page;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(page, ReadFile(path)) << name;
}

class SyntaxTextExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_factory.CreateParsers();
        m_export.SetTimestamp("2024-01-02 03:04:05");
    }
    CSyntaxParser* Cpp() { return m_factory.FindById(4); }

    // The body lines of a page (between "<pre class=\"hl\">" and "</pre></body>").
    static std::string Body(const std::string& page)
    {
        const std::string open = "<pre class=\"hl\">\r\n";
        const size_t from = page.find(open) + open.size();
        return page.substr(from, page.find("</pre></body>") - from);
    }

    CSyntaxParserFactory m_factory;
    CSyntaxTextExport m_export;
};

class CCancelAfter : public CSyntaxExportProgress
{
public:
    explicit CCancelAfter(int lines) : m_nLines(lines) {}
    void SetRange(int low, int high) override { m_nLow = low, m_nHigh = high; }
    void Advance(int line) override { m_nLast = line; }
    bool IsCancelled() const override { return m_nLast + 1 >= m_nLines; }
    int m_nLow = -1, m_nHigh = -1, m_nLast = -1, m_nLines;
};
} // namespace

TEST_F(SyntaxTextExportTest, GoldenPages)
{
    const CFakeView cpp({"#include <stdio.h>", "int main()", "{", "\tif (a<b&&c>d)",
                         "\t\treturn 0; // \"done\"", "}"},
                        Cpp());
    ExpectGolden("cpp.html", m_export.BuildPage("/home/user/src/main.cpp", cpp));
    const CFakeView empty({}, Cpp());
    ExpectGolden("empty.html", m_export.BuildPage("/tmp/empty.txt", empty));
}

TEST_F(SyntaxTextExportTest, OperatorsEscapedEachInItsSpan)
{
    const CFakeView view({"if (a<b&&c>d)"}, Cpp());
    const std::string body = Body(m_export.BuildPage("x.cpp", view));
    EXPECT_EQ(body, "<span class=\"tl\">1 </span><span class=\"tk\">if</span>"
                    "<span class=\"to\"> </span><span class=\"to\">(</span>a"
                    "<span class=\"to\">&lt;</span>b<span class=\"to\">&amp;</span>"
                    "<span class=\"to\">&amp;</span>c<span class=\"to\">&gt;</span>d"
                    "<span class=\"to\">)</span>\r\n");
}

TEST_F(SyntaxTextExportTest, LineNumberWidthFollowsTheLineCount)
{
    std::vector<std::string> nine(9, "x"), ten(10, "x");
    const std::string body9 = Body(m_export.BuildPage("a.txt", CFakeView(nine, nullptr)));
    EXPECT_EQ(body9.rfind("<span class=\"tl\">1 </span>x\r\n", 0), 0u);
    EXPECT_NE(body9.find("<span class=\"tl\">9 </span>x\r\n"), std::string::npos);
    const std::string body10 = Body(m_export.BuildPage("a.txt", CFakeView(ten, nullptr)));
    EXPECT_EQ(body10.rfind("<span class=\"tl\"> 1 </span>x\r\n", 0), 0u);
    EXPECT_NE(body10.find("<span class=\"tl\">10 </span>x\r\n"), std::string::npos);
    CSyntaxTextExport plain(false);
    EXPECT_EQ(Body(plain.BuildPage("a.txt", CFakeView({"y"}, nullptr))), "y\r\n");
}

TEST_F(SyntaxTextExportTest, TabsExpandAndTypeNamesHaveNoSpan)
{
    CSyntaxTextExport plain(false);
    const std::string body = Body(plain.BuildPage("a.cpp", CFakeView({"\tx", "abc\ty"}, nullptr)));
    EXPECT_EQ(body, "    x\r\nabc y\r\n");
    // size_t is a type name of colour 18: written bare.
    const std::string typed = Body(plain.BuildPage("a.cpp", CFakeView({"size_t"}, Cpp())));
    EXPECT_EQ(typed, "size_t\r\n");
}

TEST_F(SyntaxTextExportTest, StyleRulesWriteEveryColourAsHexAndNameTheCharset)
{
    CSyntaxColors colors;
    colors.SetColor(kSyntaxColorComment, 0); // black comments
    CSyntaxTextExport exporter(true, &colors);
    const std::string header = exporter.BuildHeader("dir/page.txt", 1252);
    EXPECT_NE(header.find(".tk { color:#0000ff; font-weight:bold; }\r\n"), std::string::npos);
    EXPECT_NE(header.find(".tc { color:#000000; }\r\n"), std::string::npos);
    EXPECT_EQ(header.find("color:0;"), std::string::npos);
    EXPECT_NE(header.find("charset=windows-1252\">"), std::string::npos);
    EXPECT_NE(header.find("<title>page.txt</title>"), std::string::npos);
    EXPECT_EQ(CSyntaxTextExport::CharsetOfCodePage(65001), "utf-8");
    EXPECT_EQ(CSyntaxTextExport::CharsetOfCodePage(932), "shift_jis");
    EXPECT_EQ(CSyntaxTextExport::CharsetOfCodePage(28595), "iso-8859-5");
}

TEST_F(SyntaxTextExportTest, ExportWritesReplacesAndCancelsWithoutLeavingAPart)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("scrivel_export_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string out = (dir / "page.html").string();
    std::vector<std::string> lines(500, "int x = 1;");
    const CFakeView view(lines, Cpp());
    std::string error;
    CCancelAfter all(1 << 30);
    ASSERT_TRUE(m_export.ExportToFile("a.cpp", out, view, &all, error)) << error;
    EXPECT_EQ(all.m_nLow, 0);
    EXPECT_EQ(all.m_nHigh, 499);
    EXPECT_EQ(all.m_nLast, 499);
    EXPECT_EQ(ReadFile(out), m_export.BuildPage("a.cpp", view));

    // A cancelled export leaves the old page whole, and no temporary file.
    CCancelAfter some(100);
    EXPECT_FALSE(m_export.ExportToFile("b.cpp", out, view, &some, error));
    EXPECT_TRUE(error.empty());
    EXPECT_EQ(ReadFile(out), m_export.BuildPage("a.cpp", view));
    const std::string fresh = (dir / "fresh.html").string();
    CCancelAfter early(10);
    EXPECT_FALSE(m_export.ExportToFile("b.cpp", fresh, view, &early, error));
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_FALSE(m_export.ExportToFile("a.cpp", (dir / "no/such/dir/x.html").string(), view,
                                       nullptr, error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(dir);
}

TEST_F(SyntaxTextExportTest, PreviewFileIsPrivateReusedAndRemoved)
{
    std::string first, second, error;
    {
        CSyntaxTextExport exporter;
        const CFakeView view({"a < b"}, nullptr);
        ASSERT_TRUE(exporter.PreviewInBrowser("a.txt", view, nullptr, first, error)) << error;
        ASSERT_TRUE(exporter.PreviewInBrowser("a.txt", view, nullptr, second, error));
        EXPECT_EQ(first, second);
        EXPECT_EQ(std::filesystem::path(first).extension(), ".html");
        EXPECT_EQ(std::filesystem::path(first).filename().string().substr(0, 2), "~S");
        const auto perms = std::filesystem::status(first).permissions();
        EXPECT_EQ(perms & std::filesystem::perms::others_read, std::filesystem::perms::none);
        EXPECT_NE(ReadFile(first).find("a &lt; b"), std::string::npos);
        CSyntaxTextExport other;
        std::string third;
        ASSERT_TRUE(other.PreviewInBrowser("a.txt", view, nullptr, third, error));
        EXPECT_NE(third, first); // unpredictable, never shared
    }
    EXPECT_FALSE(std::filesystem::exists(first));
}

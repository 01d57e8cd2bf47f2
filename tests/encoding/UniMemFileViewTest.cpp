// The in-place line reader must deliver exactly what the copying one does, on the direct
// path (8-bit text in the default code page) as on the converting ones, and a document
// loaded through it must hold the file's lines unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/EncodingTestFiles.h"
#include "encoding/TextEditBufferEx.h"
#include "encoding/TextEditBufferExTestUtil.h"
#include "encoding/UniMemFile.h"
#include "platform/SystemInfo.h"

namespace
{
// The read window is 512 KiB: these put the interesting bytes on its edges.
constexpr size_t kWindow = 512 * 1024;

struct SRead
{
    std::vector<std::string> lines; // text + ending, with the result appended as '+' or '-'
    int nCr = 0, nLf = 0, nCrLf = 0, nZero = 0, nFirstZero = 0, nLost = 0, nLineNumber = 0;
    bool bError = false;
    bool operator==(const SRead&) const = default;
};

std::ostream& operator<<(std::ostream& os, const SRead& r)
{
    return os << r.lines.size() << " lines, CR " << r.nCr << " LF " << r.nLf << " CRLF " << r.nCrLf
              << " zero " << r.nZero << "@" << r.nFirstZero << " lost " << r.nLost << " line "
              << r.nLineNumber << " error " << r.bError;
}

enum class Reader
{
    Copying,
    InPlace,
    Batched // a few lines per call, so batches end everywhere
};

SRead ReadWith(Reader reader, const std::string& path, int nFileCodePage, int nDefaultCodePage)
{
    SRead result;
    UniMemFile file;
    file.SetDefaultCodePage(nDefaultCodePage);
    EXPECT_TRUE(file.OpenRead(path));
    if (!file.ReadBom())
        file.SetCodePage(nFileCodePage);
    // Until false with nothing delivered, as the copying reader's callers do.
    for (int guard = 0; guard < 100000; ++guard)
    {
        if (reader == Reader::Batched)
        {
            UniMemFile::SLineView views[3];
            const size_t count = file.ReadLineViews(views, 3);
            EXPECT_GE(count, 1u);
            bool bEnd = false;
            for (size_t i = 0; i < count && !bEnd; ++i)
            {
                const std::string line(views[i].pText, views[i].nLength + views[i].nEolLength);
                EXPECT_TRUE(views[i].bMore || i + 1 == count);
                bEnd = !views[i].bMore && line.empty();
                if (!bEnd)
                    result.lines.push_back(line + (views[i].bMore ? '+' : '-'));
            }
            if (bEnd)
                break;
            continue;
        }
        std::string line;
        bool bMore;
        if (reader == Reader::Copying)
        {
            std::string text, ending;
            bMore = file.ReadLine(text, ending);
            line = text + ending;
        }
        else
        {
            UniMemFile::SLineView view;
            bMore = file.ReadLineView(view);
            EXPECT_LE(view.nEolLength, 2u);
            line.assign(view.pText, view.nLength + view.nEolLength);
        }
        if (!bMore && line.empty())
            break;
        result.lines.push_back(line + (bMore ? '+' : '-'));
    }
    const TextStats stats = file.GetTextStats();
    result.nCr = stats.nCrCount;
    result.nLf = stats.nLfCount;
    result.nCrLf = stats.nCrLfCount;
    result.nZero = stats.nZeroCount;
    result.nFirstZero = stats.nFirstZero;
    result.nLost = stats.nLostCount;
    result.nLineNumber = file.GetLineNumber();
    result.bError = !file.GetLastFileError().IsEmpty();
    return result;
}

class UniMemFileViewTest : public ::testing::Test
{
protected:
    void SetUp() override { SetAnsiCodePage(1252); }
    void TearDown() override { SetAnsiCodePage(0); }

    // Inputs with endings, zeros and broken characters on and beside the window edges.
    std::vector<std::string> TrickyInputs() const
    {
        // A short line first, so the window moves rather than grows at its edge; the byte
        // after `fill` is the window's last one.
        const std::string fill = "x\n" + std::string(kWindow - 3, 'a');
        // Lines of every length up to 70 with every kind of ending, across 64-byte blocks
        // and past the window.
        const char* endings[] = {"\n", "\r\n", "\r", "\r\r\n", "\n\r"};
        std::string mixed;
        for (int i = 0; mixed.size() < kWindow + 4096; ++i)
            mixed += std::string(static_cast<size_t>(i % 71), 'm') + endings[i % 5];
        return {
            mixed,
            "",
            "\r",
            "one\r\ntwo\nthree\rfour",
            "\n\n\r\r\n\r",
            fill + "\r\nb",        // CR LF split between two reads
            fill + "\rb\r",        // a lone CR at the window's last byte
            fill + "\r",           // a lone CR that ends the file
            fill + "a\r\n" + fill, // CR LF as the first bytes of the second read
            fill + std::string("\0z\n", 3),
            "bad \x80\xC0\xAF \xE2\n\xE2\x82 end",
            std::string(kWindow + 100, 'w') + "\nlong line above",
            "x\n" + std::string("caf\xC3\xA9\r\n", 7) + "\xEF\xBB\xBFmid-file mark\n",
        };
    }

    CScratchFolder m_folder;
};
} // namespace

TEST_F(UniMemFileViewTest, InPlaceLinesEqualCopiedLinesInEveryEncoding)
{
    // {file code page, default code page, mark}: the direct path, which reads in place, and
    // the converting paths (8-bit, UTF-8 and UTF-16), which hand out their converted line.
    // The window edges matter to the direct path only: the others read through the copying
    // reader.
    struct SCase
    {
        int nFileCodePage;
        int nDefaultCodePage;
        std::string mark;
        bool bDirect;
    };
    const SCase cases[] = {{65001, 65001, "", true},
                           {1252, 1252, "", true},
                           {1252, 65001, "", false},
                           {65001, 1252, "", false},
                           {65001, 65001, "\xEF\xBB\xBF", false},
                           {65001, 65001, "\xFF\xFE", false},
                           {65001, 65001, "\xFE\xFF", false}};
    int index = 0;
    for (const std::string& input : TrickyInputs())
    {
        for (const SCase& c : cases)
        {
            if (!c.bDirect && input.size() > 100)
                continue;
            const std::string path =
                m_folder.Write("in" + std::to_string(index++) + ".txt", c.mark + input);
            const SRead copied =
                ReadWith(Reader::Copying, path, c.nFileCodePage, c.nDefaultCodePage);
            const SRead inPlace =
                ReadWith(Reader::InPlace, path, c.nFileCodePage, c.nDefaultCodePage);
            const SRead batched =
                ReadWith(Reader::Batched, path, c.nFileCodePage, c.nDefaultCodePage);
            EXPECT_EQ(inPlace, copied) << "input " << index << ", code pages " << c.nFileCodePage
                                       << "/" << c.nDefaultCodePage << ", mark " << c.mark.size();
            EXPECT_EQ(batched, copied) << "input " << index << ", code pages " << c.nFileCodePage
                                       << "/" << c.nDefaultCodePage << ", mark " << c.mark.size();
        }
    }
}

TEST_F(UniMemFileViewTest, LoadedDocumentHoldsTheFileAcrossReadWindows)
{
    // Loaded in the text code page, so the lines are taken straight from the read window.
    const std::string fill = "x\n" + std::string(kWindow - 3, 'a');
    const std::string inputs[] = {
        std::string("\r\n\r\r\n\n\n\r") + std::string(200, 'q') + "\r",
        fill + "\r\nb\n",
        fill + "\rb\r",
        fill + "a\r\n" + fill + "\r\n" + fill + "\n\r",
        std::string(kWindow + 100, 'w') + "\nshort\r\n",
    };
    for (const std::string& input : inputs)
    {
        CTarvoTextEditBufferEx buffer;
        std::string error;
        const LoadResult result =
            buffer.LoadFile(m_folder.Write("doc.txt", input), 0, GetTextCodePage(), error);
        EXPECT_NE(result, LoadFailed) << error;
        // Every ending stays with its line; a file that ends with one gains an empty line.
        EXPECT_EQ(StoredText(buffer), input);
        int endings = 0;
        for (size_t i = 0; i < input.size(); ++i)
            if (input[i] == '\n' ||
                (input[i] == '\r' && (i + 1 == input.size() || input[i + 1] != '\n')))
                ++endings;
        EXPECT_EQ(buffer.GetLineCount(), endings + 1);
        EXPECT_EQ(buffer.GetLineRecord(buffer.GetLineCount() - 1)->nLength, 0);
    }

    // A zero byte found only in a later read still makes the file binary.
    CTarvoTextEditBufferEx buffer;
    std::string error;
    EXPECT_EQ(buffer.LoadFile(m_folder.Write("zero.txt", fill + "\n" + fill + std::string(1, '\0')),
                              0, GetTextCodePage(), error),
              LoadBinary);
    EXPECT_EQ(buffer.GetLineCount(), 1);
}

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "encoding/EncodingTestFiles.h"
#include "encoding/UniMemFile.h"
#include "encoding/UniStdioFile.h"
#include "platform/SystemInfo.h"

namespace
{
struct SLine
{
    std::string text;
    std::string ending;
    bool bResult;
    bool operator==(const SLine& o) const
    {
        return text == o.text && ending == o.ending && bResult == o.bResult;
    }
};

std::ostream& operator<<(std::ostream& os, const SLine& l)
{
    return os << "{\"" << l.text << "\", ending " << l.ending.size() << ", " << l.bResult << "}";
}

// Reads until ReadLine returns false with nothing delivered.
std::vector<SLine> ReadAll(UniMemFile& file)
{
    std::vector<SLine> lines;
    std::string text, ending;
    for (int guard = 0; guard < 100000; ++guard)
    {
        bool bResult = file.ReadLine(text, ending);
        if (!bResult && text.empty() && ending.empty())
            break;
        lines.push_back({text, ending, bResult});
    }
    return lines;
}

class UniFileTest : public ::testing::Test
{
protected:
    void SetUp() override { SetAnsiCodePage(1252); }
    void TearDown() override { SetAnsiCodePage(0); }

    // Opens a file with the given bytes, reads its mark, and sets the in-memory code page.
    void Open(UniMemFile& file, const std::string& bytes, int nDefaultCodePage = 65001)
    {
        file.SetDefaultCodePage(nDefaultCodePage);
        ASSERT_TRUE(file.OpenRead(m_folder.Write("in.txt", bytes)));
        if (!file.ReadBom())
            file.SetCodePage(nDefaultCodePage);
    }

    CScratchFolder m_folder;
};
} // namespace

TEST_F(UniFileTest, MarkOnlyUtf8FileHasNoLines)
{
    UniMemFile file;
    Open(file, "\xEF\xBB\xBF");
    EXPECT_EQ(file.GetEncoding(), EncodingUtf8);
    std::string text, ending;
    EXPECT_FALSE(file.ReadLine(text, ending));
    EXPECT_EQ(file.GetPosition(), 3);
}

TEST_F(UniFileTest, Utf16LittleEndianEndingsAndCounts)
{
    UniMemFile file;
    Open(file, std::string("\xFF\xFE"
                           "a\0\r\0\n\0b\0",
                           10));
    EXPECT_EQ(file.GetEncoding(), EncodingUcs2Le);
    std::vector<SLine> expected = {{"a", "\r\n", true}, {"b", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    TextStats stats = file.GetTextStats();
    EXPECT_EQ(stats.nCrLfCount, 1);
    EXPECT_EQ(stats.nCrCount + stats.nLfCount, 0);
    EXPECT_EQ(file.GetLineNumber(), 1);
}

TEST_F(UniFileTest, Utf16BigEndianAndLoneCr)
{
    UniMemFile file;
    Open(file, std::string("\xFE\xFF\0a\0\r\0b\0\n", 10));
    EXPECT_EQ(file.GetEncoding(), EncodingUcs2Be);
    std::vector<SLine> expected = {{"a", "\r", true}, {"b", "\n", true}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nCrCount, 1);
    EXPECT_EQ(file.GetTextStats().nLfCount, 1);
}

TEST_F(UniFileTest, EightBitEndingsOfEveryKind)
{
    UniMemFile file;
    Open(file, "a\rb\nc\r\nd");
    std::vector<SLine> expected = {
        {"a", "\r", true}, {"b", "\n", true}, {"c", "\r\n", true}, {"d", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    TextStats stats = file.GetTextStats();
    EXPECT_EQ(stats.nCrCount, 1);
    EXPECT_EQ(stats.nLfCount, 1);
    EXPECT_EQ(stats.nCrLfCount, 1);
    EXPECT_EQ(stats.nZeroCount, 0);
    EXPECT_EQ(stats.nFirstZero, -1);
    EXPECT_EQ(file.GetLineNumber(), 3);
}

TEST_F(UniFileTest, ZeroByteEndsAnEightBitLineAndIsCounted)
{
    UniMemFile file;
    Open(file, std::string("ab\0cd\n\0", 7));
    std::vector<SLine> expected = {{"ab", "", true}, {"cd", "\n", true}, {"", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    TextStats stats = file.GetTextStats();
    EXPECT_EQ(stats.nZeroCount, 2);
    EXPECT_EQ(stats.nFirstZero, 2);
    EXPECT_EQ(stats.nLastZero, 6);
}

TEST_F(UniFileTest, ZeroCharacterOffsetsCountFromTheTextStart)
{
    UniMemFile file;
    Open(file, std::string("\xFF\xFE"
                           "a\0\0\0b\0",
                           8));
    std::vector<SLine> expected = {{"a", "", true}, {"b", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nZeroCount, 1);
    EXPECT_EQ(file.GetTextStats().nFirstZero, 2);
}

TEST_F(UniFileTest, InvalidUtf8ReadsAsQuestionMarksAndCountsLosses)
{
    UniMemFile file;
    // A lone continuation byte, an overlong form, an encoded surrogate, a lead byte followed
    // by a line ending (which it must not swallow), and a sequence cut by the end.
    Open(file, "\xEF\xBB\xBF\x80|\xC0\xAF|\xED\xA0\x80|\xE2\n\xE2\x82");
    std::vector<SLine> expected = {{"?|??|???|?", "\n", true}, {"?", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nLostCount, 8);
    EXPECT_EQ(file.GetTextStats().nLfCount, 1);
}

TEST_F(UniFileTest, CharactersAboveU10000AreReadWhole)
{
    UniMemFile file;
    Open(file, "\xEF\xBB\xBFx\xF0\x9F\x98\x80y");
    std::vector<SLine> expected = {{"x\xF0\x9F\x98\x80y", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nLostCount, 0);

    UniMemFile wide;
    Open(wide, std::string("\xFF\xFE\x3D\xD8\x00\xDE\x3D\xD8\n\0", 10));
    expected = {{"\xF0\x9F\x98\x80?", "\n", true}};
    EXPECT_EQ(ReadAll(wide), expected);
    EXPECT_EQ(wide.GetTextStats().nLostCount, 1) << "the unpaired surrogate";
}

TEST_F(UniFileTest, LossesIntoWindows1252AndShiftJis)
{
    const std::string utf16 =
        std::string("\xFF\xFE", 2) + std::string("\xE9\x00\xE5\x65\x2C\x67\x3D\xD8\x00\xDE", 10);
    UniMemFile file;
    Open(file, utf16, 1252);
    std::vector<SLine> expected = {{"\xE9???", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nLostCount, 3);

    UniMemFile sjis;
    Open(sjis, utf16, 932);
    expected = {{"?\x93\xFA\x96\x7B?", "", true}};
    EXPECT_EQ(ReadAll(sjis), expected);
    EXPECT_EQ(sjis.GetTextStats().nLostCount, 2) << "the two kanji come through exactly";
}

TEST_F(UniFileTest, EightBitFileInAnotherCodePageIsConverted)
{
    UniMemFile file;
    file.SetDefaultCodePage(65001);
    ASSERT_TRUE(file.OpenRead(m_folder.Write("in.txt", std::string("caf\xE9\r\n\0x", 8))));
    EXPECT_FALSE(file.ReadBom());
    file.SetCodePage(1252);
    std::vector<SLine> expected = {{"caf\xC3\xA9", "\r\n", true},
                                   {std::string("\0x", 2), "", false}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nZeroCount, 1);
    EXPECT_EQ(file.GetTextStats().nFirstZero, 6);
    EXPECT_EQ(file.GetTextStats().nLostCount, 0);
}

TEST_F(UniFileTest, OddLengthUtf16LosesTheLastByteOnce)
{
    UniMemFile file;
    Open(file, std::string("\xFF\xFE"
                           "a\0\n\0b\0c",
                           9));
    std::vector<SLine> expected = {{"a", "\n", true}, {"b", "", true}};
    EXPECT_EQ(ReadAll(file), expected);
    EXPECT_EQ(file.GetTextStats().nLostCount, 1);
    std::string text;
    EXPECT_FALSE(file.ReadLine(text));
    EXPECT_EQ(file.GetTextStats().nLostCount, 1);
}

TEST_F(UniFileTest, LinesAndEndingsAcrossReadWindows)
{
    // Long lines, and CR LF pairs split between two reads of the file.
    for (size_t length : {size_t(512 * 1024 - 1), size_t(512 * 1024), size_t(700 * 1024)})
    {
        std::string line(length, 'x');
        UniMemFile file;
        Open(file, line + "\r\n" + line + "\ry");
        std::vector<SLine> lines = ReadAll(file);
        ASSERT_EQ(lines.size(), 3u) << length;
        EXPECT_TRUE(lines[0] == (SLine{line, "\r\n", true}));
        EXPECT_TRUE(lines[1] == (SLine{line, "\r", true}));
        EXPECT_EQ(lines[2], (SLine{"y", "", true}));
    }
    std::string wide;
    for (int i = 0; i < 262143; ++i)
        wide += std::string("z\0", 2);
    UniMemFile file;
    Open(file, "\xFF\xFE" + wide + std::string("\r\0\n\0q\0", 6));
    std::vector<SLine> lines = ReadAll(file);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, std::string(262143, 'z'));
    EXPECT_EQ(lines[0].ending, "\r\n");
    EXPECT_EQ(lines[1], (SLine{"q", "", true}));
}

TEST_F(UniFileTest, FileShrinkingWhileReadFailsWithoutCrash)
{
    std::string path = m_folder.Write("shrink.txt", std::string(2 * 1024 * 1024, 'a') + "\n");
    UniMemFile file;
    file.SetDefaultCodePage(65001);
    ASSERT_TRUE(file.OpenRead(path));
    file.ReadBom();
    file.SetCodePage(65001);
    ASSERT_EQ(truncate(path.c_str(), 100), 0);
    std::string text, ending;
    while (file.ReadLine(text, ending))
    {
    }
    UniError error = file.GetLastFileError();
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_EQ(error.strDescription, "The file became shorter while it was being read");
}

TEST_F(UniFileTest, OpenFailuresCarryCallNameAndErrno)
{
    UniMemFile file;
    EXPECT_FALSE(file.OpenRead(m_folder.Path("missing.txt")));
    EXPECT_FALSE(file.IsOpen());
    UniError error = file.GetLastFileError();
    EXPECT_EQ(error.strCallName, "CreateFile");
    EXPECT_EQ(error.nError, ENOENT);
    EXPECT_EQ(error.strDescription, std::strerror(ENOENT));

    EXPECT_FALSE(file.OpenRead(m_folder.Path("")));
    EXPECT_EQ(file.GetLastFileError().strCallName, "CreateFile");
    EXPECT_EQ(file.GetLastFileError().nError, EISDIR);
    EXPECT_EQ(file.GetLineNumber(), -1);

    if (geteuid() != 0) // permissions do not stop the superuser
    {
        std::string path = m_folder.Write("locked.txt", "x");
        chmod(path.c_str(), 0);
        EXPECT_FALSE(file.OpenRead(path));
        EXPECT_EQ(file.GetLastFileError().nError, EACCES);
    }

    // A later successful open clears the record.
    ASSERT_TRUE(file.OpenRead(m_folder.Write("ok.txt", "x")));
    EXPECT_TRUE(file.GetLastFileError().IsEmpty());
}

TEST_F(UniFileTest, FilesOfTwoGigabytesAreRefused)
{
    std::string path = m_folder.Path("sparse.bin");
    int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, (off_t(1) << 31) - 1), 0);
    UniMemFile file;
    EXPECT_TRUE(file.OpenRead(path)) << "one byte less is accepted";
    file.Close();
    ASSERT_EQ(ftruncate(fd, off_t(1) << 31), 0);
    close(fd);
    EXPECT_FALSE(file.OpenRead(path));
    EXPECT_EQ(file.GetLastFileError().strDescription,
              "UniMemFile cannot handle files over 2 gigabytes");
    EXPECT_TRUE(file.GetLastFileError().strCallName.empty());
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(UniFileTest, EmptyFileOpensAndHasNoLines)
{
    UniMemFile file;
    Open(file, "");
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetEncoding(), EncodingNone);
    std::string text;
    EXPECT_FALSE(file.ReadLine(text));
}

TEST_F(UniFileTest, CloseReturnsTheReaderToItsInitialState)
{
    UniMemFile file;
    Open(file, "\xEF\xBB\xBF"
               "a\n");
    ReadAll(file);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetEncoding(), EncodingNone);
    EXPECT_EQ(file.GetCodePage(), 65001);
    EXPECT_EQ(file.GetLineNumber(), -1);
    EXPECT_EQ(file.GetTextStats().nLfCount, 0);
    EXPECT_TRUE(file.GetPath().empty());
    std::string text;
    EXPECT_FALSE(file.ReadLine(text));

    // Without a mark the encoding set before reading the mark stays.
    ASSERT_TRUE(file.OpenRead(m_folder.Write("plain16.txt", std::string("a\0", 2))));
    file.SetEncoding(EncodingUcs2Le);
    EXPECT_FALSE(file.ReadBom());
    EXPECT_EQ(file.GetEncoding(), EncodingUcs2Le);
    EXPECT_TRUE(file.ReadLine(text));
    EXPECT_EQ(text, "a");
}

// Writes lines through UniStdioFile and reads them back through UniMemFile.
TEST_F(UniFileTest, EveryEncodingRoundTrips)
{
    const std::vector<std::string> lines = {"plain", "caf\xC3\xA9 \xE2\x82\xAC", "",
                                            "\xF0\x9F\x98\x80 wide"};
    struct SCase
    {
        int nEncoding;
        int nCodePage;
        std::string firstBytes;
    } cases[] = {
        {EncodingNone, 65001, "plain"},
        {EncodingUcs2Le, 65001, std::string("\xFF\xFEp\0", 4)},
        {EncodingUcs2Be, 65001, std::string("\xFE\xFF\0p", 4)},
        {EncodingUtf8, 65001, "\xEF\xBB\xBFp"},
    };
    for (const SCase& c : cases)
    {
        std::string path = m_folder.Path("round" + std::to_string(c.nEncoding) + ".txt");
        UniStdioFile out;
        out.SetDefaultCodePage(65001);
        out.SetEncoding(c.nEncoding);
        out.SetCodePage(c.nCodePage);
        ASSERT_TRUE(out.OpenWrite(path));
        out.WriteBom();
        for (size_t i = 0; i < lines.size(); ++i)
        {
            EXPECT_TRUE(out.WriteText(lines[i]));
            if (i + 1 < lines.size())
            {
                EXPECT_TRUE(out.WriteText("\r\n"));
            }
        }
        EXPECT_TRUE(out.Flush());
        EXPECT_EQ(out.GetTextStats().nLostCount, 0);
        out.Close();
        EXPECT_EQ(out.GetEncoding(), c.nEncoding) << "kept across Close";
        EXPECT_EQ(CScratchFolder::Read(path).substr(0, c.firstBytes.size()), c.firstBytes);

        UniMemFile in;
        in.SetDefaultCodePage(65001);
        ASSERT_TRUE(in.OpenRead(path));
        EXPECT_EQ(in.ReadBom(), c.nEncoding != EncodingNone);
        std::vector<SLine> read = ReadAll(in);
        ASSERT_EQ(read.size(), lines.size()) << c.nEncoding;
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(read[i].text, lines[i]) << c.nEncoding;
        EXPECT_EQ(in.GetTextStats().nCrLfCount, 3);
        EXPECT_EQ(in.GetTextStats().nLostCount, 0);
    }
}

TEST_F(UniFileTest, CodePageFileRoundTripsAndCountsLossesOnWrite)
{
    std::string path = m_folder.Path("cp1252.txt");
    UniStdioFile out;
    out.SetDefaultCodePage(65001);
    out.SetCodePage(1252);
    ASSERT_TRUE(out.OpenWrite(path));
    EXPECT_EQ(out.WriteBom(), 0);
    EXPECT_TRUE(out.WriteText("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\x80"));
    EXPECT_EQ(out.GetTextStats().nLostCount, 1);
    out.Close();
    EXPECT_EQ(CScratchFolder::Read(path), "caf\xE9 \x80 ?");

    UniMemFile in;
    in.SetDefaultCodePage(1252);
    ASSERT_TRUE(in.OpenRead(path));
    in.ReadBom();
    in.SetCodePage(1252);
    std::string text;
    EXPECT_TRUE(in.ReadLine(text));
    EXPECT_EQ(text, "caf\xE9 \x80 ?");
}

TEST_F(UniFileTest, StdioRefusalsLeaveExistingFilesAlone)
{
    UniStdioFile out;
    EXPECT_FALSE(out.OpenWrite(""));
    EXPECT_FALSE(out.GetLastFileError().strDescription.empty());

    std::string path = m_folder.Path("huge.bin");
    int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, (off_t(1) << 32) + 1), 0);
    close(fd);
    EXPECT_FALSE(out.OpenWrite(path));
    EXPECT_EQ(out.GetLastFileError().strDescription,
              "UniStdioFile cannot handle files over 4 gigabytes");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, (off_t(1) << 32) + 1) << "the refused open must not truncate";

    EXPECT_FALSE(out.OpenWrite(m_folder.Path("")));
    EXPECT_EQ(out.GetLastFileError().strCallName, "_tfopen");
    EXPECT_EQ(out.GetLastFileError().nError, EISDIR);
    EXPECT_FALSE(out.IsOpen());
}

TEST_F(UniFileTest, StdioReadsTheMarkAndWritesUtf8)
{
    std::string path = m_folder.Path("u8.txt");
    UniStdioFile out;
    out.SetDefaultCodePage(65001);
    ASSERT_TRUE(out.OpenWriteUtf8(path));
    EXPECT_EQ(out.WriteBom(), 3);
    EXPECT_TRUE(out.WriteText("x"));
    out.Close();

    UniStdioFile in;
    ASSERT_TRUE(in.OpenRead(path));
    EXPECT_TRUE(in.ReadBom());
    EXPECT_EQ(in.GetEncoding(), EncodingUtf8);
    EXPECT_EQ(in.GetPosition(), 3);
    std::string text;
    EXPECT_FALSE(in.ReadLine(text));
    EXPECT_FALSE(in.FetchOpenStatus());
}

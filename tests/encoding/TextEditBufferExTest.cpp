#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "EncodingTestFiles.h"
#include "TextEditBufferExTestUtil.h"
#include "encoding/TextEditBufferEx.h"
#include "encoding/UniFile.h"
#include "platform/CodePageConv.h"
#include "platform/ProfileStore.h"
#include "syntax/TextEditModule.h"

namespace
{
class CRecordingView : public CTextBufferView
{
public:
    void OnUpdate(CTextBufferView*, const CUpdateContext*, uint32_t dwHint, int nLine) override
    {
        m_hints.emplace_back(dwHint, nLine);
    }
    std::vector<std::pair<uint32_t, int>> m_hints;
};

class TextEditBufferExTest : public ::testing::Test
{
protected:
    CTextCodePageScope m_codePage{65001};
    CScratchFolder m_folder;
    CTarvoTextEditBufferEx m_buffer;
    std::string m_error;

    LoadResult Load(const std::string& bytes, int nMode = 0, int nCodePage = 65001)
    {
        return m_buffer.LoadFile(m_folder.Write("t.txt", bytes), nMode, nCodePage, m_error);
    }
    // Saves to a fresh name; the bytes written, or "<failed: message>".
    std::string SaveBytes(int nMode = 0, bool bDirect = false)
    {
        const std::string path = m_folder.Path("out.txt");
        std::filesystem::remove(path);
        if (m_buffer.SaveFile(path, bDirect, m_error, nMode, true))
            return "<failed: " + m_error + ">";
        return CScratchFolder::Read(path);
    }
};

std::string Utf16(const std::u16string& text, bool bLittleEndian)
{
    std::string bytes;
    for (char16_t u : text)
    {
        const char lo = static_cast<char>(u & 0xFF), hi = static_cast<char>(u >> 8);
        bytes += bLittleEndian ? lo : hi;
        bytes += bLittleEndian ? hi : lo;
    }
    return bytes;
}
} // namespace

TEST_F(TextEditBufferExTest, EmptyFileIsOneEmptyLineInModeCrLf)
{
    EXPECT_EQ(Load(""), LoadOk);
    EXPECT_EQ(m_buffer.GetLineCount(), 1);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCrLf);
    EXPECT_EQ(m_buffer.GetEncoding(), EncodingNone);
    EXPECT_TRUE(m_buffer.IsInitialised());
    EXPECT_EQ(SaveBytes(), "");
}

TEST_F(TextEditBufferExTest, UnchangedFilesSaveBackByteForByte)
{
    for (const std::string bytes :
         {"a\r\nb\r\n", "one line", "x\ny\nlast", "\r\r\r", "\n", "a\r\n\r\nb"})
    {
        SCOPED_TRACE(testing::PrintToString(bytes));
        ASSERT_EQ(Load(bytes), LoadOk);
        EXPECT_EQ(StoredText(m_buffer), bytes);
        EXPECT_EQ(SaveBytes(), bytes);
    }
    Load("a\r\nb\r\n");
    EXPECT_EQ(m_buffer.GetLineCount(), 3); // the ending of the last line makes an empty line
}

TEST_F(TextEditBufferExTest, MixedEndingsTakeTheMostFrequentAndSaveWithIt)
{
    EXPECT_EQ(Load("a\r\nb\r\nc\nd\ne\nf"), LoadMixedEndings);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndLf);
    EXPECT_EQ(StoredText(m_buffer), "a\r\nb\r\nc\nd\ne\nf"); // each line keeps its own
    EXPECT_EQ(SaveBytes(), "a\nb\nc\nd\ne\nf");

    EXPECT_EQ(Load("a\r\nb\nc"), LoadMixedEndings);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCrLf); // a tie goes to CR LF
    EXPECT_EQ(Load("a\rb\rc\r\nd"), LoadMixedEndings);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCr);
    EXPECT_EQ(Load("a\nb\rc\r"), LoadMixedEndings);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCr); // LF and CR tie above CR LF
    EXPECT_EQ(SaveBytes(), "a\rb\rc\r");
    EXPECT_EQ(SaveBytes(LineEndCrLf), "a\r\nb\r\nc\r\n");

    // A requested mode wins over the counts.
    EXPECT_EQ(Load("a\nb\n", LineEndCr), LoadOk);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCr);
}

TEST_F(TextEditBufferExTest, EveryEncodingRoundTripsWithAndWithoutAMark)
{
    const std::string utf8 = "h\xC3\xA9llo \xE2\x82\xAC\r\n\xF0\x9F\x98\x80 line\r\n";
    const std::u16string wide = u"h\u00E9llo \u20AC\r\n\U0001F600 line\r\n";
    struct SCase
    {
        const char* name;
        std::string bytes;
        int kind;
        int codePage; // of a file without a mark
    };
    const SCase cases[] = {
        {"UTF-16 LE", "\xFF\xFE" + Utf16(wide, true), EncodingUcs2Le, 65001},
        {"UTF-16 BE", "\xFE\xFF" + Utf16(wide, false), EncodingUcs2Be, 65001},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8, EncodingUtf8, 65001},
        {"UTF-8 without mark", utf8, EncodingNone, 65001},
        {"1252 without mark", "h\xE9llo \x80\r\n", EncodingNone, 1252},
        {"932 without mark", "\x93\xFA\x96\x7B\x8C\xEA\r\nabc", EncodingNone, 932},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(c.bytes, 0, c.codePage), LoadOk) << m_error;
        EXPECT_EQ(m_buffer.GetEncoding(), c.kind);
        EXPECT_FALSE(m_buffer.IsWriteProtected());
        if (c.kind != EncodingNone)
            EXPECT_EQ(StoredText(m_buffer), utf8);
        else
            EXPECT_EQ(m_buffer.GetCodePage(), c.codePage);
        EXPECT_EQ(SaveBytes(), c.bytes);
    }

    // A kind given to the buffer is written with its mark, and reads back as the text.
    Load(utf8);
    for (int kind : {EncodingUcs2Le, EncodingUcs2Be, EncodingUtf8})
    {
        m_buffer.SetEncoding(kind);
        const std::string bytes = SaveBytes();
        CTarvoTextEditBufferEx again;
        ASSERT_EQ(again.LoadFile(m_folder.Write("again.txt", bytes), 0, 1252, m_error), LoadOk);
        EXPECT_EQ(again.GetEncoding(), kind);
        EXPECT_EQ(StoredText(again), utf8);
    }
}

TEST_F(TextEditBufferExTest, NewDocumentWritesCrLfAfterEveryLineButTheLast)
{
    m_buffer.InitNew(LineEndCrLf);
    EXPECT_EQ(m_buffer.GetEncoding(), -1);
    int endLine = 0, endChar = 0;
    ASSERT_TRUE(m_buffer.InsertText(nullptr, 0, 0, "one\ntwo\n\xC3\xA9", endLine, endChar));
    m_buffer.SetCodePage(1252);
    // Kind -1 is 8-bit text in the buffer's code page, without a mark.
    EXPECT_EQ(SaveBytes(), "one\r\ntwo\r\n\xE9");
    EXPECT_FALSE(m_buffer.IsModified());
}

TEST_F(TextEditBufferExTest, ZeroByteOrZeroCharacterMeansBinary)
{
    for (const std::string& bytes :
         {std::string("ab\0cd\r\n", 7), "\xFF\xFE" + Utf16(std::u16string(u"a\0b", 3), true),
          std::string("\xEF\xBB\xBFx\0", 5)})
    {
        EXPECT_EQ(Load(bytes), LoadBinary);
        EXPECT_EQ(m_buffer.GetLineCount(), 1);
        EXPECT_EQ(StoredText(m_buffer), "");
        EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCrLf);
    }
    EXPECT_EQ(Load(std::string("ab\0cd", 5), 0, 1252), LoadBinary); // through a conversion
}

TEST_F(TextEditBufferExTest, LostCharactersLoadWriteProtected)
{
    EXPECT_EQ(Load("\xEF\xBB\xBF"
                   "a\xFF"
                   "b"),
              LoadOk);
    EXPECT_TRUE(m_buffer.IsWriteProtected());
    EXPECT_FALSE(m_buffer.CanEdit());
    EXPECT_EQ(Load("ab"), LoadOk);
    EXPECT_FALSE(m_buffer.IsWriteProtected());
}

// A file whose bytes the save would write differently (one character with two byte
// sequences, an optional escape) loads as a lossy file does, so an unchanged line can
// never be rewritten behind the user's back; its well-behaved neighbours stay editable
// and save byte for byte.
TEST_F(TextEditBufferExTest, BytesThatWouldNotComeBackLoadWriteProtected)
{
    struct SCase
    {
        const char* name;
        std::string bytes;
        int nFileCodePage;
        int nTextCodePage;
        bool bProtected;
    };
    const SCase cases[] = {
        {"932 NEC row 13 duplicate", "ok\r\n\x87\x90 x\r\n", 932, 65001, true},
        {"932 NEC-selected IBM extension", "\xED\x40", 932, 65001, true},
        {"932 IBM extension", "\xFA\x5C\r\n\x93\xFA\x96\x7B", 932, 65001, false},
        {"950 duplicate", "\xA2\xCC", 950, 65001, true},
        {"950 preferred form", "\xA4\x51\n", 950, 65001, false},
        {"UTF-7 optional direct character", "Hi!\r\n", 65000, 65001, true},
        {"UTF-7 as it is written", "Hi+ACE a b.c\r\n", 65000, 65001, false},
        {"UTF-7 with an optional dash", "Hi+ACE- a b.c\r\n", 65000, 65001, true},
        // Held in 932, a Unicode file's wave dash would come back as a fullwidth tilde.
        {"UTF-8 into 932 text", "\xEF\xBB\xBF\xE3\x80\x9C", 65001, 932, true},
        {"UTF-8 into 932 text, exact", "\xEF\xBB\xBF\xE6\x97\xA5", 65001, 932, false},
    };
    for (const SCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CTextCodePageScope textCodePage(c.nTextCodePage);
        CTarvoTextEditBufferEx buffer;
        ASSERT_EQ(buffer.LoadFile(m_folder.Write("t.txt", c.bytes), 0, c.nFileCodePage, m_error),
                  LoadOk)
            << m_error;
        EXPECT_EQ(buffer.IsWriteProtected(), c.bProtected);
        if (c.bProtected)
            continue;
        const std::string path = m_folder.Path("out.txt");
        ASSERT_FALSE(buffer.SaveFile(path, false, m_error, 0, true)) << m_error;
        EXPECT_EQ(CScratchFolder::Read(path), c.bytes);
    }
}

TEST_F(TextEditBufferExTest, UnreadableInputLeavesAnEmptyBufferAndSaysWhy)
{
    EXPECT_EQ(m_buffer.LoadFile(m_folder.Path("missing.txt"), 0, 65001, m_error), LoadFailed);
    EXPECT_EQ(m_error, GetSystemErrorText(ENOENT));
    EXPECT_EQ(m_buffer.GetLineCount(), 1);
    EXPECT_EQ(m_buffer.GetLineEndMode(), LineEndCrLf);

    EXPECT_EQ(m_buffer.LoadFile(m_folder.Path(""), 0, 65001, m_error), LoadFailed);
    EXPECT_EQ(m_error, GetSystemErrorText(EISDIR));

    const std::string big = m_folder.Path("big.txt");
    const int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, int64_t(1) << 31), 0); // sparse: takes no room
    close(fd);
    EXPECT_EQ(m_buffer.LoadFile(big, 0, 65001, m_error), LoadFailed);
    EXPECT_EQ(m_error, "UniMemFile cannot handle files over 2 gigabytes");
    EXPECT_EQ(StoredText(m_buffer), "");
}

TEST_F(TextEditBufferExTest, LineBreakOfAnotherCodePageNeverHidesInsideALine)
{
    if (!IsCodePageConvertible(37))
        GTEST_SKIP() << "EBCDIC not available";
    // In EBCDIC 0x25 is LF; it is no break byte of the file (0x0D is), but the text in
    // memory must still not hold a break inside a line.
    EXPECT_EQ(Load("\x81\x25\x82\x0D\x25\x83", 0, 37), LoadOk);
    ASSERT_EQ(m_buffer.GetLineCount(), 4); // "a\n", "b\r", "\n", "c"
    EXPECT_EQ(StoredText(m_buffer), "a\nb\r\nc");
}

TEST_F(TextEditBufferExTest, ParserComesFromTheExtension)
{
    EXPECT_EQ(CTarvoTextEditBufferEx::ExtensionOfPath("/a.b/c.TXT"), "TXT");
    EXPECT_EQ(CTarvoTextEditBufferEx::ExtensionOfPath("/a.b/Makefile"), "");
    EXPECT_EQ(CTarvoTextEditBufferEx::ExtensionOfPath(".bashrc"), "bashrc");
    EXPECT_EQ(CTarvoTextEditBufferEx::ExtensionOfPath("x..cpp"), "cpp");
    EXPECT_EQ(CTarvoTextEditBufferEx::ExtensionOfPath("x."), "");

    CMemoryProfileStore store;
    CTarvoTextEditModule module;
    ASSERT_TRUE(module.Start(store));
    ASSERT_EQ(m_buffer.LoadFile(m_folder.Write("x.cpp", "int x;"), 0, 65001, m_error), LoadOk);
    ASSERT_NE(m_buffer.GetParser(), nullptr);
    EXPECT_EQ(m_buffer.GetParser(), module.GetFactory().FindByExtension("cpp"));
    ASSERT_EQ(m_buffer.LoadFile(m_folder.Write("README", "x"), 0, 65001, m_error), LoadOk);
    EXPECT_EQ(m_buffer.GetParser()->GetParserId(), 0);
    // A whole name before the plain-text rule for ".txt"; a script without an extension
    // by its "#!" line; a named extension wins over the first line.
    ASSERT_EQ(m_buffer.LoadFile(m_folder.Write("CMakeLists.txt", "project(x)"), 0, 65001, m_error),
              LoadOk);
    EXPECT_EQ(m_buffer.GetParser(), module.GetFactory().MatchFileName("x.cmake"));
    ASSERT_EQ(m_buffer.LoadFile(m_folder.Write("build", "#!/bin/sh\necho"), 0, 65001, m_error),
              LoadOk);
    EXPECT_EQ(m_buffer.GetParser(), module.GetFactory().MatchFileName("x.sh"));
    ASSERT_EQ(m_buffer.LoadFile(m_folder.Write("y.cpp", "#!/bin/sh"), 0, 65001, m_error), LoadOk);
    EXPECT_EQ(m_buffer.GetParser(), module.GetFactory().FindByExtension("cpp"));
    ASSERT_EQ(m_buffer.LoadFile(m_folder.Write("empty", ""), 0, 65001, m_error), LoadOk);
    EXPECT_EQ(m_buffer.GetParser()->GetParserId(), 0);
    module.Stop(store);
}

TEST_F(TextEditBufferExTest, SaveClearsModifiedAndMarksTheSavedState)
{
    CRecordingView view;
    Load("a\nb");
    m_buffer.AttachView(&view);
    int endLine = 0, endChar = 0;
    ASSERT_TRUE(m_buffer.InsertText(nullptr, 1, 1, "c", endLine, endChar));
    ASSERT_TRUE(m_buffer.IsModified());
    view.m_hints.clear();
    EXPECT_EQ(SaveBytes(), "a\nbc");
    EXPECT_FALSE(m_buffer.IsModified());
    EXPECT_EQ(m_buffer.GetSavedPosition(), m_buffer.GetUndoPosition());
    EXPECT_EQ(m_buffer.GetSavedRevision(), m_buffer.GetRevision());
    EXPECT_EQ(view.m_hints, (std::vector<std::pair<uint32_t, int>>{{HintLineMarks, -1}}));

    // Written in place: the text is saved, the revision marks are left alone.
    ASSERT_TRUE(m_buffer.InsertText(nullptr, 1, 2, "d", endLine, endChar));
    view.m_hints.clear();
    EXPECT_EQ(SaveBytes(0, true), "a\nbcd");
    EXPECT_FALSE(m_buffer.IsModified());
    EXPECT_TRUE(view.m_hints.empty());
    EXPECT_NE(m_buffer.GetSavedRevision(), m_buffer.GetRevision());
    m_buffer.DetachView(&view);
}

TEST_F(TextEditBufferExTest, FailedSavesLeaveTheFileAsItWas)
{
    const std::string original(100000, 'o');
    const std::string path = m_folder.Write("keep.txt", original);
    Load("new text that is long enough\n" + std::string(200000, 'n'));
    m_buffer.SetModified(true);

    // The disk fills up (the file-size limit fails the writes the same way).
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool bFailed = m_buffer.SaveFile(path, false, m_error, 0, true);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(bFailed);
    EXPECT_EQ(m_error, GetSystemErrorText(EFBIG));
    EXPECT_TRUE(m_buffer.IsModified());
    EXPECT_EQ(CScratchFolder::Read(path), original);
    // No temporary file stays behind.
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        ++count;
    EXPECT_EQ(count, 2u); // keep.txt and t.txt

    // A read-only file, and a folder that takes no new file.
    const std::string readOnly = m_folder.Write("ro.txt", "read only");
    chmod(readOnly.c_str(), 0444);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    chmod(folder.c_str(), 0555);
    EXPECT_EQ(RunUnprivileged(
                  [&]
                  {
                      std::string error;
                      if (!m_buffer.SaveFile(readOnly, false, error, 0, true))
                          return 1;
                      if (error != GetSystemErrorText(EACCES))
                          return 2;
                      // A new file cannot be made in the folder.
                      return m_buffer.SaveFile(folder + "/new.txt", false, error, 0, true) ? 0 : 3;
                  }),
              0);
    chmod(folder.c_str(), 0700);
    EXPECT_EQ(CScratchFolder::Read(readOnly), "read only");
    EXPECT_FALSE(std::filesystem::exists(folder + "/new.txt"));

    EXPECT_TRUE(m_buffer.SaveFile("", false, m_error, 0, true));
    EXPECT_FALSE(m_error.empty());
}

TEST_F(TextEditBufferExTest, LoadedLinesCanBeGrownDeletedAndUndone)
{
    // Loaded lines share large blocks; growing one moves it, deleting one forgets it.
    ASSERT_EQ(Load("first\nsecond\nthird\n"), LoadOk);
    int endLine = 0, endChar = 0;
    const std::string longText(100, 'x');
    ASSERT_TRUE(m_buffer.InsertText(nullptr, 0, 5, longText.c_str(), endLine, endChar));
    ASSERT_TRUE(m_buffer.DeleteText(nullptr, 0, 2, 2, 1));
    EXPECT_EQ(StoredText(m_buffer), "fihird\n");
    m_buffer.SetLineEndMode(LineEndCrLf);
    EXPECT_TRUE(m_buffer.ConvertLineEnds());
    STextPosition caret;
    while (m_buffer.CanUndo() && m_buffer.Undo(nullptr, caret))
    {
    }
    m_buffer.RemoveLineRecords(0, 1);
    ASSERT_EQ(Load("again"), LoadOk);
    EXPECT_EQ(StoredText(m_buffer), "again");
}

namespace
{
// The document buffer with a view of how many of its line blocks are still packed.
class CPackedCountBuffer : public CTarvoTextEditBufferEx
{
public:
    int PackedBlocks() const { return m_aLines.GetPackedBlockCount(); }
};

// The offset in `text` of (line, char), lines split at CR LF, CR and LF as the buffer does.
size_t OffsetOf(const std::string& text, int line, int ch)
{
    size_t pos = 0;
    for (int i = 0; i < line; ++i)
    {
        pos = text.find_first_of("\r\n", pos);
        pos += text.compare(pos, 2, "\r\n") == 0 ? 2 : 1;
    }
    return pos + static_cast<size_t>(ch);
}

// The text with every line ending replaced by `eol`, as a save in one mode writes it.
std::string WithEndings(const std::string& text, const std::string& eol)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r' || text[i] == '\n')
        {
            result += eol;
            i += text.compare(i, 2, "\r\n") == 0 ? 1 : 0;
        }
        else
            result += text[i];
    }
    return result;
}

// Length of each line's text (without its ending).
std::vector<int> LineLengths(const std::string& text)
{
    std::vector<int> lengths;
    size_t start = 0;
    for (;;)
    {
        const size_t brk = text.find_first_of("\r\n", start);
        lengths.push_back(static_cast<int>((brk == std::string::npos ? text.size() : brk) - start));
        if (brk == std::string::npos)
            return lengths;
        start = brk + (text.compare(brk, 2, "\r\n") == 0 ? 2 : 1);
    }
}
} // namespace

// A loaded file's lines stay packed until they are looked at. Edits among them, undo
// and redo, bookmark searches and saves must see the same text as a plain string does, and
// saving or searching must not make the records of lines nobody touched.
TEST_F(TextEditBufferExTest, LoadedFileEditedAtRandomMatchesAModel)
{
    std::mt19937 random(5);
    std::string model;
    const char* endings[] = {"\n", "\r\n", "\r"};
    for (int i = 0; i < 6000; ++i)
    {
        model +=
            std::string(random() % 7 == 0 ? 0 : random() % 60, static_cast<char>('a' + i % 26));
        model += endings[random() % 3];
    }
    model += "last line without an ending";
    const std::string path = m_folder.Write("packed.txt", model);
    CPackedCountBuffer buffer;
    ASSERT_EQ(buffer.LoadFile(path, 0, 65001, m_error), LoadMixedEndings) << m_error;
    ASSERT_EQ(buffer.GetLineCount(), static_cast<int>(LineLengths(model).size()));
    const int packed = buffer.PackedBlocks();
    EXPECT_GE(packed, 5);

    // Saving and searching bookmarks walk every line and make no records. A save writes the
    // lines in the detected mode; the buffer keeps each line's own ending.
    const std::string out = m_folder.Path("out.txt");
    const std::string eol = buffer.GetLineEndString();
    ASSERT_FALSE(buffer.SaveFile(out, false, m_error, 0, true)) << m_error;
    EXPECT_EQ(CScratchFolder::Read(out), WithEndings(model, eol));
    EXPECT_EQ(buffer.PackedBlocks(), packed);
    // A bookmark search reads its starting line and passes over the packed ones.
    EXPECT_EQ(buffer.FindNextBookmark(0), -1);
    EXPECT_EQ(buffer.PackedBlocks(), packed - 1);
    buffer.SetLineFlag(5000, LineFlagBookmark, true, false, false);
    EXPECT_EQ(buffer.FindNextBookmark(10), 5000);
    EXPECT_EQ(buffer.FindPreviousBookmark(10), 5000);
    EXPECT_EQ(buffer.PackedBlocks(), packed - 2);

    std::vector<std::string> history{model};
    size_t position = 0; // the state of history the buffer holds
    const char* pieces[] = {"x", "yz", "new\nline", "two\r\nlines\nhere", "q\n\n"};
    for (int step = 0; step < 300; ++step)
    {
        const std::vector<int> lengths = LineLengths(model);
        const int lines = static_cast<int>(lengths.size());
        ASSERT_EQ(buffer.GetLineCount(), lines) << "step " << step;
        const unsigned action = random() % 10;
        // Edits stay in the first half, so that the blocks of the end stay packed.
        const int editedLines = lines / 2 + 1;
        STextPosition caret;
        if (action < 4)
        {
            const int line = static_cast<int>(random() % static_cast<unsigned>(editedLines));
            const int ch = static_cast<int>(
                random() % static_cast<unsigned>(lengths[static_cast<size_t>(line)] + 1));
            const char* piece = pieces[random() % 5];
            int endLine = 0, endChar = 0;
            ASSERT_TRUE(buffer.InsertText(nullptr, line, ch, piece, endLine, endChar));
            model.insert(OffsetOf(model, line, ch), piece);
        }
        else if (action < 7)
        {
            const int line = static_cast<int>(random() % static_cast<unsigned>(editedLines));
            const int span = static_cast<int>(random() % 8 == 0 ? random() % 400 : random() % 3);
            const int lastLine = std::min(lines - 1, line + span);
            const int ch = static_cast<int>(
                random() % static_cast<unsigned>(lengths[static_cast<size_t>(line)] + 1));
            const int lastCh = static_cast<int>(
                random() % static_cast<unsigned>(lengths[static_cast<size_t>(lastLine)] + 1));
            // An empty range changes nothing and leaves no undo step.
            if (lastLine == line && lastCh <= ch)
                continue;
            const size_t from = OffsetOf(model, line, ch);
            std::string joined = model;
            joined.erase(from, OffsetOf(model, lastLine, lastCh) - from);
            // A CR line followed by an empty LF line is two lines in the buffer but reads
            // as one CR LF in a string: such joins are left out.
            if (from > 0 && joined[from - 1] == '\r' && joined.compare(from, 1, "\n") == 0)
                continue;
            ASSERT_TRUE(buffer.DeleteText(nullptr, line, ch, lastLine, lastCh));
            model = joined;
        }
        else if (action < 9 && position > 0)
        {
            ASSERT_TRUE(buffer.Undo(nullptr, caret));
            model = history[--position];
            continue;
        }
        else if (position + 1 < history.size())
        {
            ASSERT_TRUE(buffer.Redo(nullptr, caret));
            model = history[++position];
            continue;
        }
        else
            continue;
        // A new edit drops the states that could have been redone.
        history.resize(position + 1);
        history.push_back(model);
        ++position;
        if (step % 25 == 0)
        {
            ASSERT_FALSE(buffer.SaveFile(out, false, m_error, 0, false)) << m_error;
            ASSERT_EQ(CScratchFolder::Read(out), WithEndings(model, eol)) << "step " << step;
        }
    }
    EXPECT_GT(buffer.PackedBlocks(), 0);
    EXPECT_EQ(StoredText(buffer), model);
    EXPECT_EQ(buffer.PackedBlocks(), 0);
}

// A file cut short by another program while it loads must not pass for the whole file:
// the load fails with a clear message and leaves an empty buffer. The cut comes from a
// second thread at a random moment within one load's time, so an attempt may also see the
// whole file (cut after reading) or only the short one (cut before opening); those loads
// must be complete. Attempts go on until a cut lands while reading.
TEST_F(TextEditBufferExTest, FileCutShortWhileLoadingFailsInsteadOfLoadingPart)
{
    std::string full;
    int fullLines = 0;
    while (full.size() < 8 * 1024 * 1024)
        full += "line " + std::to_string(fullLines++) + " of a file that is cut short\n";
    constexpr off_t kCut = 1024 * 1024;
    const std::string path = m_folder.Write("cut.txt", full);

    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(m_buffer.LoadFile(path, 0, 65001, m_error), LoadOk);
    const auto loadTime = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(m_buffer.GetLineCount(), fullLines + 1);

    std::mt19937 random(3);
    int cutWhileReading = 0;
    for (int attempt = 0; attempt < 40 && cutWhileReading < 3; ++attempt)
    {
        m_folder.Write("cut.txt", full);
        const auto delay = loadTime * (random() % 100) / 100;
        std::thread cutter(
            [&path, delay]
            {
                std::this_thread::sleep_for(delay);
                EXPECT_EQ(truncate(path.c_str(), kCut), 0);
            });
        const LoadResult result = m_buffer.LoadFile(path, 0, 65001, m_error);
        cutter.join();
        if (result == LoadFailed)
        {
            ++cutWhileReading;
            EXPECT_EQ(m_error, "The file became shorter while it was being read");
            EXPECT_EQ(m_buffer.GetLineCount(), 1);
            EXPECT_EQ(StoredText(m_buffer), "");
            continue;
        }
        ASSERT_EQ(result, LoadOk) << m_error;
        const std::string loaded = StoredText(m_buffer);
        EXPECT_TRUE(loaded == full || loaded == full.substr(0, kCut))
            << "a part of " << loaded.size() << " bytes";
    }
    EXPECT_GT(cutWhileReading, 0);
}

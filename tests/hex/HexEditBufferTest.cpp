#include "HexTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <random>

namespace
{

using B = CTarvoHexEditBuffer;

class HexBufferTest : public ::testing::Test
{
protected:
    void OpenWith(const std::string& text)
    {
        WriteFileBytes(m_path, ToBytes(text));
        m_buffer.SetMessageSink(&m_sink);
        m_buffer.AddView(&m_view);
        ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    }
    std::string Data() const
    {
        const Bytes data = ReadAll(m_buffer);
        return std::string(data.begin(), data.end());
    }
    void Type(uint32_t nType, uint32_t nOffset, uint8_t byte, int nSequence)
    {
        ASSERT_TRUE(m_buffer.Change(nType, nOffset, 1, &byte, nSequence, &m_view));
    }

    CScratchFolder m_folder;
    std::string m_path = m_folder / "data.bin";
    CRecordingSink m_sink;
    CRecordingView m_view;
    CTarvoHexEditBuffer m_buffer;
};

TEST_F(HexBufferTest, EmptyFileOpensWithOneEmptyPieceAndFirstInsertLeavesOnlyMemory)
{
    OpenWith("");
    ASSERT_EQ(m_buffer.GetPieces().size(), 1u);
    EXPECT_EQ(m_buffer.GetPieces()[0].m_nLength, 0u);
    EXPECT_EQ(m_buffer.GetLength(), 0u);
    Type(B::kInsert, 0, 'x', 0);
    ASSERT_EQ(m_buffer.GetPieces().size(), 1u);
    EXPECT_EQ(m_buffer.GetPieces()[0].m_cKind, 'm');
    EXPECT_EQ(Data(), "x");
}

TEST_F(HexBufferTest, CharacterTypingSharesRecordsOfFourBytes)
{
    OpenWith("abc");
    // The view counts typed characters up by 2 each.
    for (int i = 0; i < 5; ++i)
    {
        Type(B::kInsert, static_cast<uint32_t>(i), static_cast<uint8_t>('1' + i), 2 * i);
    }
    EXPECT_EQ(Data(), "12345abc");
    ASSERT_EQ(m_buffer.GetRecords().size(), 2u);
    EXPECT_EQ(m_buffer.GetRecords()[0].m_nCount, 4u);
    EXPECT_EQ(m_buffer.GetRecords()[1].m_nCount, 1u);
    ASSERT_TRUE(m_buffer.Undo(&m_view, 1));
    EXPECT_EQ(Data(), "1234abc");
    EXPECT_TRUE(m_buffer.IsModified());
    ASSERT_TRUE(m_buffer.Undo(&m_view, 0));
    EXPECT_EQ(Data(), "abc");
    EXPECT_FALSE(m_buffer.IsModified());
    EXPECT_FALSE(m_buffer.Undo(&m_view, 0));
}

TEST_F(HexBufferTest, SecondHexDigitRewritesTheByteOfTheFirst)
{
    OpenWith("\x3c\x3c");
    // Overtype: F then 0 over 0x3C gives 0x0F, then 0xF0; one record, one undo.
    Type(B::kReplace, 0, 0x0F, 0);
    EXPECT_EQ(Data(), "\x0f\x3c");
    m_view.m_hints.clear();
    Type(B::kReplace, 0, 0xF0, 1);
    EXPECT_EQ(Data(), "\xf0\x3c");
    ASSERT_EQ(m_buffer.GetRecords().size(), 1u);
    EXPECT_EQ(m_buffer.GetRecords()[0].m_nCount, 1u);
    ASSERT_EQ(m_view.m_hints.size(), 1u);
    EXPECT_EQ(m_view.m_hints[0].m_nRecord, -1);
    m_buffer.Undo(&m_view, 0);
    EXPECT_EQ(Data(), "\x3c\x3c");

    // Insert mode: the second digit's hint reports a one-byte replacement.
    Type(B::kInsert, 1, 0x0A, 0);
    m_view.m_hints.clear();
    Type(B::kInsert, 1, 0xAB, 1);
    EXPECT_EQ(Data(), "\x3c\xab\x3c");
    ASSERT_EQ(m_view.m_hints.size(), 1u);
    EXPECT_EQ(m_view.m_hints[0].m_nType, B::kReplace);
    EXPECT_EQ(m_view.m_hints[0].m_nCount, 1u);
    EXPECT_EQ(m_view.m_hints[0].m_nOffset, 1u);
    // Two more digits continue the record; the next byte's pair too.
    Type(B::kInsert, 2, 0x0C, 2);
    Type(B::kInsert, 2, 0xCD, 3);
    EXPECT_EQ(Data(), "\x3c\xab\xcd\x3c");
    EXPECT_EQ(m_buffer.GetRecords().size(), 1u);
    EXPECT_EQ(m_buffer.GetRecords()[0].m_nCount, 2u);
}

TEST_F(HexBufferTest, DeleteAndBackspaceRunsMergeAndUndoBringsBytesBack)
{
    OpenWith("0123456789");
    // Five Delete presses at one caret: two records.
    for (int i = 0; i < 5; ++i)
    {
        ASSERT_TRUE(m_buffer.Change(B::kDelete, 2, 1, nullptr, 2 * i, &m_view));
    }
    EXPECT_EQ(Data(), "01789");
    EXPECT_EQ(m_buffer.GetRecords().size(), 2u);
    // Insert-mode backspaces from the end: one record of up to four bytes.
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(m_buffer.Change(B::kDeleteBackward, 4 - i, 1, nullptr, 2 * i, &m_view));
    }
    EXPECT_EQ(Data(), "01");
    EXPECT_EQ(m_buffer.GetRecords().size(), 3u);
    EXPECT_EQ(m_buffer.GetRecords()[2].m_nOffset, 2u);
    EXPECT_EQ(m_buffer.GetRecords()[2].m_nCount, 3u);
    m_buffer.Undo(&m_view, 2);
    EXPECT_EQ(Data(), "01789");
    m_buffer.Undo(&m_view, 1);
    m_buffer.Undo(&m_view, 0);
    EXPECT_EQ(Data(), "0123456789");
    EXPECT_EQ(m_buffer.GetLength(), 10u);
}

TEST_F(HexBufferTest, OvertypeBackspaceBlanksBytesBackwardInOneRecord)
{
    OpenWith("abcdef");
    const uint8_t blank = 0;
    int nSequence = 0;
    for (uint32_t position = 5; position >= 2; --position)
    {
        ASSERT_TRUE(
            m_buffer.Change(B::kReplaceBackward, position, 1, &blank, nSequence++, &m_view));
    }
    EXPECT_EQ(Data(), std::string("ab\0\0\0\0", 6));
    ASSERT_EQ(m_buffer.GetRecords().size(), 1u);
    EXPECT_EQ(m_buffer.GetRecords()[0].m_nOffset, 2u);
    m_buffer.Undo(&m_view, 0);
    EXPECT_EQ(Data(), "abcdef");
}

TEST_F(HexBufferTest, UndoHintsReverseTheChangeAndCarryTheRecord)
{
    OpenWith("abc");
    const uint8_t bytes[] = {'x', 'y'};
    m_buffer.Change(B::kInsert, 1, 2, bytes, 0, &m_view);
    m_buffer.Change(B::kDelete, 0, 1, nullptr, 0, &m_view);
    EXPECT_EQ(m_buffer.GetLastSender(), &m_view);
    m_view.m_hints.clear();
    m_buffer.Undo(&m_view, 1);
    m_buffer.Undo(&m_view, 0);
    ASSERT_EQ(m_view.m_hints.size(), 4u);
    EXPECT_EQ(m_view.m_hints[0].m_cKind, 'U');
    EXPECT_EQ(m_view.m_hints[1].m_nType, B::kInsert); // the delete comes back
    EXPECT_TRUE(m_view.m_hints[1].m_bUndo);
    EXPECT_EQ(m_view.m_hints[3].m_nType, B::kDelete); // the insert goes
    EXPECT_EQ(m_view.m_hints[3].m_nCount, 2u);
    EXPECT_EQ(m_view.m_hints[3].m_nOffset, 1u);
}

TEST_F(HexBufferTest, UnrelatedChangeWithRunningSequenceStartsItsOwnRecord)
{
    OpenWith("abcdef");
    Type(B::kInsert, 0, 'x', 0);
    // A caller that forgot to reset its sequence must not glue bytes at the wrong place.
    Type(B::kInsert, 4, 'y', 2);
    ASSERT_TRUE(m_buffer.Change(B::kDelete, 1, 1, nullptr, 2, &m_view));
    EXPECT_EQ(Data(), "xbcydef");
    EXPECT_EQ(m_buffer.GetRecords().size(), 3u);
}

TEST_F(HexBufferTest, ReplacementBeyondTheEndExtendsAndItsUndoShrinksAgain)
{
    OpenWith("ab");
    const uint8_t bytes[] = {'1', '2', '3'};
    ASSERT_TRUE(m_buffer.Change(B::kReplace, 1, 3, bytes, 0, &m_view));
    EXPECT_EQ(Data(), "a123");
    EXPECT_EQ(m_buffer.GetLength(), 4u);
    m_buffer.Undo(&m_view, 0);
    EXPECT_EQ(Data(), "ab");
    EXPECT_EQ(m_buffer.GetLength(), 2u);
}

TEST_F(HexBufferTest, ChangesOutsideTheDataAreRefusedOrClipped)
{
    OpenWith("abc");
    const uint8_t byte = 'z';
    EXPECT_FALSE(m_buffer.Change(B::kInsert, 4, 1, &byte, 0, &m_view));
    EXPECT_FALSE(m_buffer.Change(B::kDelete, 3, 1, nullptr, 0, &m_view));
    EXPECT_FALSE(m_buffer.Change(B::kInsert, 0, 1, nullptr, 0, &m_view));
    EXPECT_FALSE(m_buffer.Change('Q', 0, 1, &byte, 0, &m_view));
    EXPECT_TRUE(m_buffer.Change(B::kDelete, 1, 100, nullptr, 0, &m_view));
    EXPECT_EQ(Data(), "a");
    EXPECT_EQ(m_buffer.GetRecords().size(), 1u);
}

TEST_F(HexBufferTest, ReadDataStopsAtTheEndAndCopiesNothingForZero)
{
    OpenWith("hello");
    uint8_t out[8] = {};
    EXPECT_EQ(m_buffer.ReadData(out, 8, 3), 2u);
    EXPECT_EQ(m_buffer.ReadData(out, 0, 0), 0u);
    EXPECT_EQ(m_buffer.ReadData(out, 4, 5), 0u);
    EXPECT_EQ(m_buffer.ReadData(out, 4, 99), 0u);
}

TEST_F(HexBufferTest, CloseReturnsToTheEmptyState)
{
    OpenWith("abc");
    m_buffer.SetReadOnly(true);
    EXPECT_FALSE(m_buffer.CanModify());
    Type(B::kInsert, 0, 'x', 0);
    m_buffer.Close();
    EXPECT_FALSE(m_buffer.IsFileOpen());
    EXPECT_FALSE(m_buffer.IsModified());
    EXPECT_FALSE(m_buffer.IsReadOnly());
    EXPECT_EQ(m_buffer.GetLength(), 0u);
    EXPECT_TRUE(m_buffer.GetRecords().empty());
}

// --- Opening -----------------------------------------------------------------------------

TEST(HexOpen, FailuresNameThePathAndTheReason)
{
    CScratchFolder folder;
    CRecordingSink sink;
    CTarvoHexEditBuffer buffer;
    buffer.SetMessageSink(&sink);
    EXPECT_FALSE(buffer.Open(folder / "missing.bin"));
    EXPECT_FALSE(buffer.Open(folder / "no/such/folder.bin"));
    EXPECT_FALSE(buffer.Open(folder.Path()));
    ASSERT_EQ(sink.m_messages.size(), 3u);
    EXPECT_EQ(sink.m_messages[0], folder / "missing.bin" + "\rdoes not exist");
    EXPECT_EQ(sink.m_messages[1], folder / "no/such/folder.bin" +
                                      "\ris an invalid file name or the drive/path does not exist");
    EXPECT_EQ(sink.m_messages[2], folder.Path() + "\ris a directory");
    EXPECT_FALSE(buffer.IsFileOpen());
}

TEST(HexOpen, FileOfFourGibibytesIsRefusedInsteadOfTruncated)
{
    CScratchFolder folder;
    const std::string big = folder / "big.bin";
    const int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, off_t(1) << 32), 0); // sparse: costs no disk space
    close(fd);
    CRecordingSink sink;
    CTarvoHexEditBuffer buffer;
    buffer.SetMessageSink(&sink);
    EXPECT_FALSE(buffer.Open(big));
    ASSERT_EQ(sink.m_messages.size(), 1u);
    EXPECT_EQ(sink.m_messages[0], big + "\ris too large for the hex editor (4 GiB or more)");
    EXPECT_FALSE(buffer.IsFileOpen());
}

TEST(HexOpen, LargestFileReadsItsLastBytesBeyondTwoGibibytes)
{
    CScratchFolder folder;
    const std::string big = folder / "big.bin";
    const int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, (off_t(1) << 32) - 1), 0);
    ASSERT_EQ(pwrite(fd, "end", 3, (off_t(1) << 32) - 4), 3);
    close(fd);
    CTarvoHexEditBuffer buffer;
    ASSERT_TRUE(OpenDocument(buffer, big));
    EXPECT_EQ(buffer.GetLength(), 0xFFFFFFFFu);
    uint8_t out[8] = {};
    ASSERT_EQ(buffer.ReadData(out, 8, 0xFFFFFFFCu), 3u);
    EXPECT_EQ(std::string(out, out + 3), "end");
    const uint8_t byte = 'x';
    EXPECT_FALSE(buffer.Change(B::kInsert, 0, 1, &byte, 0, nullptr)); // no room for a 33rd bit
}

TEST(HexOpen, FileEditedByAnotherBufferOpensSharedAndUnmodifiable)
{
    CScratchFolder folder;
    const std::string path = folder / "shared.bin";
    WriteFileBytes(path, ToBytes("data"));
    CTarvoHexEditBuffer first;
    ASSERT_TRUE(OpenDocument(first, path));
    EXPECT_FALSE(first.HasSharedAccess());
    EXPECT_FALSE(first.HasReadOnlyAccess());
    EXPECT_TRUE(first.CanModify());

    CTarvoHexEditBuffer second;
    ASSERT_TRUE(OpenDocument(second, path));
    EXPECT_TRUE(second.HasSharedAccess());
    EXPECT_FALSE(second.CanModify());
    EXPECT_EQ(ReadAll(second), ToBytes("data"));

    first.Close();
    CTarvoHexEditBuffer third;
    ASSERT_TRUE(OpenDocument(third, path));
    EXPECT_FALSE(third.HasSharedAccess());
}

// --- Model-based: random edits and undos against a plain byte vector ----------------------

class CModelRun
{
public:
    CModelRun(unsigned nSeed, const std::string& path) : m_random(nSeed), m_path(path) {}

    void Run(int nSteps, int nMaxSize = 200)
    {
        std::uniform_int_distribution<int> size(0, nMaxSize);
        m_model.resize(static_cast<size_t>(size(m_random)));
        for (uint8_t& b : m_model)
        {
            b = static_cast<uint8_t>(m_random());
        }
        WriteFileBytes(m_path, m_model);
        ASSERT_TRUE(OpenDocument(m_buffer, m_path));
        for (int nStep = 0; nStep < nSteps; ++nStep)
        {
            Step();
            Check();
            if (::testing::Test::HasFatalFailure())
            {
                ADD_FAILURE() << "at step " << nStep;
                return;
            }
        }
        // Every undo puts back exactly the pieces its change took out: once all changes
        // are undone the file is one piece again, however the edits cut it up.
        const Bytes original = m_undo.empty() ? m_model : m_undo.front();
        while (!m_undo.empty())
        {
            ASSERT_TRUE(m_buffer.Undo(nullptr, static_cast<int32_t>(m_undo.size()) - 1));
            m_undo.pop_back();
        }
        ASSERT_EQ(ReadAll(m_buffer), original);
        const std::vector<SHexPiece> pieces = m_buffer.GetPieces();
        if (original.empty())
        {
            EXPECT_TRUE(pieces.empty() || (pieces.size() == 1 && pieces[0].m_nLength == 0));
        }
        else
        {
            ASSERT_EQ(pieces.size(), 1u);
            EXPECT_EQ(pieces[0].m_cKind, 'f');
            EXPECT_EQ(pieces[0].m_nSource, 0u);
            EXPECT_EQ(pieces[0].m_nLength, original.size());
        }
        EXPECT_FALSE(m_buffer.IsModified());
    }

private:
    uint32_t Pick(uint32_t nLimit) { return static_cast<uint32_t>(m_random() % (nLimit + 1)); }
    uint8_t RandomByte() { return static_cast<uint8_t>(m_random()); }

    // Applies one change to both; remembers the model before it when a record was added.
    // bSecondDigit: the change rewrites the byte that the first hex digit made.
    void Apply(uint32_t nType, uint32_t nOffset, uint32_t nCount, const Bytes& data, int nSequence,
               bool bSecondDigit = false)
    {
        const Bytes before = m_model;
        const size_t nRecords = m_buffer.GetRecords().size();
        const bool bDone = m_buffer.Change(
            nType, nOffset, nCount, data.empty() ? nullptr : data.data(), nSequence, nullptr);
        const size_t n = m_model.size();
        switch (bSecondDigit ? 'R' : nType)
        {
        case 'I':
            m_model.insert(m_model.begin() + nOffset, data.begin(), data.end());
            break;
        case 'R':
        case '<':
            if (nOffset + nCount > n)
            {
                m_model.resize(nOffset + nCount);
            }
            std::copy(data.begin(), data.end(), m_model.begin() + nOffset);
            break;
        default:
            m_model.erase(m_model.begin() + nOffset,
                          m_model.begin() + std::min<size_t>(n, nOffset + nCount));
            break;
        }
        ASSERT_TRUE(bDone);
        if (m_buffer.GetRecords().size() > nRecords)
        {
            m_undo.push_back(before);
        }
    }

    void Step()
    {
        const uint32_t n = static_cast<uint32_t>(m_model.size());
        const int nAction = static_cast<int>(m_random() % 9);
        if (nAction == 0 && !m_undo.empty())
        {
            const int32_t nRecord = static_cast<int32_t>(m_buffer.GetRecords().size()) - 1;
            ASSERT_TRUE(m_buffer.Undo(nullptr, nRecord));
            m_model = m_undo.back();
            m_undo.pop_back();
            return;
        }
        const uint32_t nRun = 1 + Pick(6);
        if (nAction == 1 || nAction == 2)
        {
            // Hex digits, insert or overtype, as the view sends them.
            const bool bOver = nAction == 2;
            uint32_t s = Pick(n);
            int nSequence = 0;
            for (uint32_t i = 0; i < nRun && (!bOver || s < m_model.size()); ++i, ++s)
            {
                const uint8_t high = RandomByte() & 15;
                Apply(bOver ? 'R' : 'I', s, 1, {high}, nSequence++);
                if (m_random() % 5 == 0)
                {
                    break; // a byte left half typed
                }
                Apply(bOver ? 'R' : 'I', s, 1,
                      {static_cast<uint8_t>(high << 4 | (RandomByte() & 15))}, nSequence++, true);
            }
        }
        else if (nAction == 3)
        {
            const bool bOver = m_random() % 2 == 0;
            uint32_t s = Pick(n);
            for (uint32_t i = 0; i < nRun && (!bOver || s < m_model.size()); ++i, ++s)
            {
                Apply(bOver ? 'R' : 'I', s, 1, {RandomByte()}, static_cast<int>(2 * i));
            }
        }
        else if (nAction == 4 && n > 0)
        {
            const uint32_t s = Pick(n - 1);
            for (uint32_t i = 0; i < nRun && s < m_model.size(); ++i)
            {
                Apply('D', s, 1, {}, static_cast<int>(2 * i));
            }
        }
        else if (nAction == 5 && n > 0)
        {
            const bool bOver = m_random() % 2 == 0;
            uint32_t position = 1 + Pick(n - 1);
            for (uint32_t i = 0; i < nRun && position > 0; ++i, --position)
            {
                if (bOver)
                {
                    Apply('<', position - 1, 1, {0x20}, static_cast<int>(i));
                }
                else
                {
                    Apply('B', position - 1, 1, {}, static_cast<int>(2 * i));
                }
            }
        }
        else if (nAction == 6 || nAction == 7)
        {
            // Paste (insert or replace within the data) or a selection delete.
            const uint32_t s = Pick(n);
            // Now and then a large replacement or delete, which takes out many pieces.
            const bool bLarge = nAction == 7 && m_random() % 8 == 0;
            const uint32_t nCount = 1 + Pick(bLarge ? n : 40);
            Bytes bytes(nCount);
            for (uint8_t& b : bytes)
            {
                b = RandomByte();
            }
            if (nAction == 6)
            {
                Apply('I', s, nCount, bytes, 0);
            }
            else if (s < n)
            {
                const uint32_t nInside = std::min(nCount, n - s);
                if (m_random() % 2)
                {
                    bytes.resize(nInside);
                    Apply('R', s, nInside, bytes, 0);
                }
                else
                {
                    Apply('D', s, nInside, {}, 0);
                }
            }
        }
        else if (nAction == 8)
        {
            // A typing sequence still running at an unrelated place.
            const uint32_t s = Pick(n);
            Apply(m_random() % 2 ? 'I' : 'R', s, 1, {RandomByte()},
                  2 + 2 * static_cast<int>(Pick(2)));
        }
    }

    void Check()
    {
        ASSERT_EQ(m_buffer.GetLength(), m_model.size());
        ASSERT_EQ(m_buffer.IsModified(), !m_buffer.GetRecords().empty());
        ASSERT_EQ(m_buffer.GetRecords().size(), m_undo.size());
        const uint32_t n = static_cast<uint32_t>(m_model.size());
        for (int i = 0; i < 3; ++i)
        {
            const uint32_t nOffset = Pick(n);
            const uint32_t nCount = Pick(n - nOffset + 3);
            Bytes out(nCount + 1);
            const uint32_t nGot = m_buffer.ReadData(out.data(), nCount, nOffset);
            const uint32_t nExpected = std::min(nCount, n - nOffset);
            ASSERT_EQ(nGot, nExpected);
            ASSERT_TRUE(std::equal(out.begin(), out.begin() + nGot, m_model.begin() + nOffset));
        }
        CheckPieces();
    }

    // The piece list covers the data exactly, has no empty piece, refers to the file only
    // within it, and never holds two pieces that are one run of bytes (which undoing would
    // otherwise pile up).
    void CheckPieces()
    {
        const std::vector<SHexPiece> pieces = m_buffer.GetPieces();
        ASSERT_EQ(pieces.size(), m_buffer.GetPieceCount());
        uint64_t nSum = 0;
        for (size_t i = 0; i < pieces.size(); ++i)
        {
            const SHexPiece& piece = pieces[i];
            nSum += piece.m_nLength;
            if (pieces.size() > 1 || m_buffer.GetFileLength() > 0 || !m_buffer.GetRecords().empty())
            {
                ASSERT_GT(piece.m_nLength, 0u) << "piece " << i;
            }
            if (piece.m_cKind == 'f')
            {
                ASSERT_LE(uint64_t(piece.m_nSource) + piece.m_nLength, m_buffer.GetFileLength());
            }
            if (i > 0 && pieces[i - 1].m_cKind == piece.m_cKind)
            {
                const SHexPiece& previous = pieces[i - 1];
                ASSERT_FALSE(piece.m_cKind == 'f'
                                 ? previous.m_nSource + previous.m_nLength == piece.m_nSource
                                 : previous.m_pData + previous.m_nLength == piece.m_pData)
                    << "pieces " << i - 1 << " and " << i << " continue each other";
            }
        }
        ASSERT_EQ(nSum, m_model.size());
    }

    std::mt19937 m_random;
    std::string m_path;
    CTarvoHexEditBuffer m_buffer;
    Bytes m_model;
    std::vector<Bytes> m_undo;
};

TEST(HexModel, RandomChangesAndUndosMatchAPlainByteVector)
{
    CScratchFolder folder;
    for (unsigned nSeed = 1; nSeed <= 5; ++nSeed)
    {
        SCOPED_TRACE(nSeed);
        CModelRun run(nSeed, folder / ("model" + std::to_string(nSeed) + ".bin"));
        run.Run(300);
        if (HasFailure())
        {
            return;
        }
    }
}

// Long runs over larger data cut the pieces up into a deep tree.
TEST(HexModel, LongRunsOverLargerDataMatchAPlainByteVector)
{
    CScratchFolder folder;
    for (unsigned nSeed = 11; nSeed <= 13; ++nSeed)
    {
        SCOPED_TRACE(nSeed);
        CModelRun run(nSeed, folder / ("long" + std::to_string(nSeed) + ".bin"));
        run.Run(3000, 20000);
        if (HasFailure())
        {
            return;
        }
    }
}

} // namespace

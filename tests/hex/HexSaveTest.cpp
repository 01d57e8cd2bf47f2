#include "HexTestSupport.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/wait.h>

namespace
{

using B = CTarvoHexEditBuffer;

std::vector<std::string> TemporaryFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str()))
    {
        while (dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name.rfind("~HE", 0) == 0)
            {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

ino_t InodeOf(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class HexSaveTest : public ::testing::Test
{
protected:
    void OpenWith(const std::string& text)
    {
        WriteFileBytes(m_path, ToBytes(text));
        m_buffer.SetMessageSink(&m_sink);
        m_buffer.AddView(&m_view);
        ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    }
    void Insert(uint32_t nOffset, const std::string& text)
    {
        ASSERT_TRUE(m_buffer.Change(B::kInsert, nOffset, static_cast<uint32_t>(text.size()),
                                    reinterpret_cast<const uint8_t*>(text.data()), 0, nullptr));
    }
    void Replace(uint32_t nOffset, const std::string& text)
    {
        ASSERT_TRUE(m_buffer.Change(B::kReplace, nOffset, static_cast<uint32_t>(text.size()),
                                    reinterpret_cast<const uint8_t*>(text.data()), 0, nullptr));
    }
    // The save failed and lost nothing: the buffer still shows the edited data and can
    // save again, and no temporary file is left behind.
    void ExpectFailedSaveKeptEverything(const std::string& expected, size_t nRecords)
    {
        EXPECT_EQ(ReadAll(m_buffer), ToBytes(expected));
        EXPECT_EQ(m_buffer.GetRecords().size(), nRecords);
        EXPECT_TRUE(m_buffer.IsModified());
        EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
    }

    CScratchFolder m_folder;
    std::string m_path = m_folder / "data.bin";
    CRecordingSink m_sink;
    CRecordingView m_view;
    CTarvoHexEditBuffer m_buffer;
};

TEST_F(HexSaveTest, ReplacementsOnlyAreWrittenIntoTheOpenFile)
{
    OpenWith("0123456789");
    const ino_t nInode = InodeOf(m_path);
    Replace(2, "ab");
    Replace(8, "z");
    ASSERT_TRUE(m_buffer.CanSaveInPlace());
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("01ab4567z9"));
    EXPECT_EQ(InodeOf(m_path), nInode); // written in place, not replaced
    EXPECT_FALSE(m_buffer.IsModified());
    EXPECT_TRUE(m_buffer.GetRecords().empty());
    ASSERT_FALSE(m_view.m_hints.empty());
    EXPECT_EQ(m_view.m_hints.back().m_cKind, 'X');
    EXPECT_EQ(m_view.m_hints.back().m_nRecord, 1);
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(HexSaveTest, InsertionGoesThroughTheTemporaryFileAndLeavesNoneBehind)
{
    OpenWith("0123456789");
    const ino_t nInode = InodeOf(m_path);
    Insert(5, "--");
    ASSERT_FALSE(m_buffer.CanSaveInPlace());
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("01234--56789"));
    EXPECT_NE(InodeOf(m_path), nInode);
    EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
    EXPECT_FALSE(Exists(m_path + ".bak"));
    // The buffer now reads the saved file and edits it further.
    EXPECT_EQ(m_buffer.GetLength(), 12u);
    EXPECT_EQ(m_buffer.GetPieces().size(), 1u);
    EXPECT_FALSE(m_buffer.Undo(nullptr, 0));
    Replace(0, "X");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("X1234--56789"));
}

TEST_F(HexSaveTest, SavingKeepsTheFilePermissions)
{
    OpenWith("abc");
    ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
    Insert(0, "x");
    ASSERT_TRUE(m_buffer.Save(m_path));
    struct stat info;
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(HexSaveTest, BackupKeepsThePreviousContentsReplacingAnOlderBackup)
{
    OpenWith("old");
    WriteFileBytes(m_path + ".bak", ToBytes("older"));
    m_buffer.SetBackupFile(true);
    Replace(0, "n"); // even a replacement goes through the temporary file with backups on
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("nld"));
    EXPECT_EQ(ReadFileBytes(m_path + ".bak"), ToBytes("old"));
    EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
}

TEST_F(HexSaveTest, SymbolicLinkStaysALinkAndItsTargetIsReplaced)
{
    CScratchFolder other;
    const std::string target = other / "real.bin";
    WriteFileBytes(target, ToBytes("abc"));
    ASSERT_EQ(symlink(target.c_str(), m_path.c_str()), 0);
    m_buffer.SetMessageSink(&m_sink);
    ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    m_buffer.SetBackupFile(true);
    Insert(3, "def");
    ASSERT_TRUE(m_buffer.Save(m_path));
    struct stat info;
    ASSERT_EQ(lstat(m_path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFileBytes(target), ToBytes("abcdef"));
    EXPECT_EQ(ReadFileBytes(target + ".bak"), ToBytes("abc"));
    EXPECT_FALSE(Exists(m_path + ".bak"));
    EXPECT_EQ(m_buffer.GetPath(), m_path);
}

TEST_F(HexSaveTest, RelativeLinkChainIsFollowedToTheLastFile)
{
    ASSERT_EQ(mkdir((m_folder / "sub").c_str(), 0755), 0);
    WriteFileBytes(m_folder / "sub/real.bin", ToBytes("abc"));
    ASSERT_EQ(symlink("real.bin", (m_folder / "sub/inner.bin").c_str()), 0);
    ASSERT_EQ(symlink("sub/inner.bin", m_path.c_str()), 0);
    m_buffer.SetMessageSink(&m_sink);
    ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    Insert(0, ">");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_folder / "sub/real.bin"), ToBytes(">abc"));
    struct stat info;
    ASSERT_EQ(lstat((m_folder / "sub/inner.bin").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_TRUE(TemporaryFilesIn(m_folder / "sub").empty());
}

TEST_F(HexSaveTest, SaveUnderAnotherNameSwitchesToTheNewFile)
{
    OpenWith("abc");
    Insert(0, ">");
    const std::string copy = m_folder / "copy.bin";
    ASSERT_TRUE(m_buffer.Save(copy));
    EXPECT_EQ(ReadFileBytes(copy), ToBytes(">abc"));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("abc"));
    EXPECT_EQ(m_buffer.GetPath(), copy);
    Replace(1, "A");
    ASSERT_TRUE(m_buffer.Save(copy));
    EXPECT_EQ(ReadFileBytes(copy), ToBytes(">Abc"));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("abc"));
}

TEST_F(HexSaveTest, PlantedLinkUnderTheTemporaryNameIsNotFollowed)
{
    OpenWith("abc");
    const std::string victim = m_folder / "victim.txt";
    WriteFileBytes(victim, ToBytes("precious"));
    ASSERT_EQ(symlink(victim.c_str(), (m_folder / "~HE000.tmp").c_str()), 0);
    Insert(0, "x");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(victim), ToBytes("precious"));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("xabc"));
    EXPECT_TRUE(Exists(m_folder / "~HE000.tmp")); // someone else's name stays theirs
}

TEST_F(HexSaveTest, ReadOnlyTargetIsRefusedAndKeptIntact)
{
    OpenWith("abc");
    ASSERT_EQ(chmod(m_path.c_str(), 0444), 0);
    Insert(0, "x");
    EXPECT_FALSE(m_buffer.Save(m_path));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], "File \"" + m_path + "\"\ris a read only file");
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("abc"));
    ExpectFailedSaveKeptEverything("xabc", 1);
}

TEST_F(HexSaveTest, FileThatShrankUnderneathFailsTheSaveInsteadOfLooping)
{
    OpenWith("0123456789");
    Insert(0, "x");
    ASSERT_EQ(truncate(m_path.c_str(), 4), 0);
    EXPECT_FALSE(m_buffer.Save(m_path));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0].rfind("Error writing file", 0), 0u);
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("0123"));
    EXPECT_EQ(m_buffer.GetRecords().size(), 1u);
    EXPECT_TRUE(m_buffer.IsModified());
    EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
}

TEST_F(HexSaveTest, DeletedFileIsWrittenAgainFromTheOpenDescriptor)
{
    OpenWith("0123456789");
    Insert(10, "!");
    ASSERT_EQ(unlink(m_path.c_str()), 0);
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("0123456789!"));
}

TEST_F(HexSaveTest, FailedSaveToAnotherPathKeepsReadingTheOwnFile)
{
    OpenWith("abcdef");
    Insert(3, "+");
    const std::string elsewhere = m_folder / "missing/folder/out.bin";
    EXPECT_FALSE(m_buffer.Save(elsewhere));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], "File \"" + m_folder.Path() +
                                        "/missing/folder/~HE000.tmp\"\ris an invalid file name");
    EXPECT_EQ(m_buffer.GetPath(), m_path);
    ExpectFailedSaveKeptEverything("abc+def", 1);
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("abc+def"));
}

TEST_F(HexSaveTest, UnremovableOldBackupFailsWithTheOldFileIntact)
{
    OpenWith("abc");
    ASSERT_EQ(mkdir((m_path + ".bak").c_str(), 0755), 0);
    WriteFileBytes(m_path + ".bak/keep", ToBytes("k"));
    m_buffer.SetBackupFile(true);
    Insert(0, "x");
    EXPECT_FALSE(m_buffer.Save(m_path));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0],
              "Could not remove previous backup file\r \"" + m_path + ".bak\"");
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("abc"));
    ExpectFailedSaveKeptEverything("xabc", 1);
}

TEST_F(HexSaveTest, FileBeingEditedElsewhereIsNotReplacedUnderneath)
{
    OpenWith("abc");
    const std::string other = m_folder / "other.bin";
    WriteFileBytes(other, ToBytes("theirs"));
    CTarvoHexEditBuffer editor; // another program editing other.bin
    ASSERT_TRUE(OpenDocument(editor, other));
    Insert(0, "x");
    EXPECT_FALSE(m_buffer.Save(other));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0], "File \"" + other + "\"\ris in use");
    EXPECT_EQ(ReadFileBytes(other), ToBytes("theirs"));
}

// Root ignores permissions, so these cases run as an ordinary user in a child process
// when the tests run as root. The function returns 0 on success or a number naming the
// check that failed.
template <typename F> int RunUnprivileged(F run)
{
    if (geteuid() != 0)
    {
        return run();
    }
    const pid_t child = fork();
    if (child < 0)
    {
        return 100;
    }
    if (child == 0)
    {
        if (setgid(65534) != 0 || setuid(65534) != 0)
        {
            _exit(101);
        }
        _exit(run());
    }
    int nStatus = 0;
    if (waitpid(child, &nStatus, 0) != child || !WIFEXITED(nStatus))
    {
        return 102;
    }
    return WEXITSTATUS(nStatus);
}

TEST(HexSaveUnprivileged, ReadOnlyFileIsEditedInMemoryAndSavedUnderAnotherName)
{
    CScratchFolder folder;
    const std::string path = folder / "data.bin";
    WriteFileBytes(path, ToBytes("abc"));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);
    const int nResult = RunUnprivileged(
        [&]() -> int
        {
            CRecordingSink sink;
            CTarvoHexEditBuffer buffer;
            buffer.SetMessageSink(&sink);
            if (!OpenDocument(buffer, path) || !buffer.HasReadOnlyAccess() || !buffer.CanModify())
            {
                return 10;
            }
            const uint8_t byte = 'x';
            buffer.Change(B::kReplace, 0, 1, &byte, 0, nullptr);
            if (buffer.CanSaveInPlace() || buffer.Save(path))
            {
                return 11; // the read-only file must not be replaced
            }
            if (!buffer.Save(folder / "copy.bin") ||
                ReadFileBytes(folder / "copy.bin") != ToBytes("xbc"))
            {
                return 12;
            }
            return 0;
        });
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(ReadFileBytes(path), ToBytes("abc"));
}

TEST(HexSaveUnprivileged, UnwritableFolderFailsWithTheOldFileIntact)
{
    CScratchFolder folder;
    const std::string path = folder / "data.bin";
    WriteFileBytes(path, ToBytes("abc"));
    ASSERT_EQ(chmod(path.c_str(), 0666), 0); // the file itself may be written
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);

    auto run = [&]() -> int
    {
        CRecordingSink sink;
        CTarvoHexEditBuffer buffer;
        buffer.SetMessageSink(&sink);
        if (!OpenDocument(buffer, path))
        {
            return 10;
        }
        const uint8_t byte = 'x';
        buffer.Change(B::kInsert, 0, 1, &byte, 0, nullptr);
        if (buffer.Save(path))
        {
            return 11;
        }
        if (sink.m_messages.size() != 1 ||
            sink.m_messages[0] != "File \"" + folder.Path() + "/~HE000.tmp\"\rcannot be created")
        {
            fprintf(stderr, "messages: %s\n",
                    sink.m_messages.empty() ? "" : sink.m_messages[0].c_str());
            return 12;
        }
        if (ReadAll(buffer) != ToBytes("xabc") || buffer.GetRecords().size() != 1)
        {
            return 13;
        }
        return 0;
    };
    const int nResult = RunUnprivileged(run);
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(ReadFileBytes(path), ToBytes("abc"));
    EXPECT_TRUE(TemporaryFilesIn(folder.Path()).empty());
}

TEST_F(HexSaveTest, WriteRangeWritesAPartAndRefusesTheOwnFile)
{
    OpenWith("0123456789");
    Insert(0, "ab");
    const std::string part = m_folder / "part.bin";
    ASSERT_TRUE(m_buffer.WriteRange(part, 1, 5, false));
    EXPECT_EQ(ReadFileBytes(part), ToBytes("b012"));
    ASSERT_TRUE(m_buffer.WriteRange(part, 0, 1, true));
    EXPECT_EQ(ReadFileBytes(part), ToBytes("b012a"));
    EXPECT_FALSE(m_buffer.WriteRange(m_path, 0, 3, false));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("0123456789"));
    EXPECT_FALSE(m_buffer.WriteRange(m_folder / "none.bin", 0, 3, true)); // append needs a file
    ASSERT_EQ(m_sink.m_messages.size(), 2u);
    EXPECT_EQ(m_sink.m_messages[1],
              "File \"" + m_folder / "none.bin" + "\"\rcould not be opened (reason unknown)");
}

TEST_F(HexSaveTest, FailedAppendKeepsWhatTheFileHeldBefore)
{
    OpenWith("0123456789");
    Insert(0, "x");
    const std::string log = m_folder / "log.bin";
    WriteFileBytes(log, ToBytes("kept"));
    ASSERT_EQ(truncate(m_path.c_str(), 2), 0);
    EXPECT_FALSE(m_buffer.WriteRange(log, 0, 11, true));
    EXPECT_EQ(ReadFileBytes(log), ToBytes("kept"));
}

} // namespace

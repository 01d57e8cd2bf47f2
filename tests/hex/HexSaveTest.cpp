#include "HexTestSupport.h"
#include "RunUnprivileged.h"
#include "platform/WriteBehind.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace
{

using B = CTarvoHexEditBuffer;

// Files a save may leave behind: the safe save's temporary files have hidden names, and
// the tests make none of their own.
std::vector<std::string> TemporaryFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str()))
    {
        while (dirent* entry = readdir(dir))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && (name[0] == '.' || name.rfind("~HE", 0) == 0))
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
    const ino_t nInode = InodeOf(m_path);
    WriteFileBytes(m_path + ".bak", ToBytes("older"));
    m_buffer.SetBackupFile(true);
    Replace(0, "n"); // even a replacement goes through the temporary file with backups on
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("nld"));
    EXPECT_EQ(ReadFileBytes(m_path + ".bak"), ToBytes("old"));
    EXPECT_EQ(InodeOf(m_path + ".bak"), nInode); // the old file itself, not a copy
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
    EXPECT_EQ(m_sink.m_messages[0], "File \"" + elsewhere + "\"\ris an invalid file name");
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

// A folder that takes no new file: the data is copied over the file, which keeps its
// identity, as a text save does; a backup, which needs a new file, cannot be made there.
TEST(HexSaveUnprivileged, UnwritableFolderIsWrittenOverTheFileUnlessABackupIsWanted)
{
    CScratchFolder folder;
    const std::string path = folder / "data.bin";
    WriteFileBytes(path, ToBytes("abc"));
    ASSERT_EQ(chmod(path.c_str(), 0666), 0); // the file itself may be written
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
    const ino_t nInode = InodeOf(path);

    const int nResult = RunUnprivileged(
        [&]() -> int
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
            buffer.SetBackupFile(true);
            if (buffer.Save(path) || sink.m_messages.size() != 1 ||
                sink.m_messages[0] != "Could not create backup file\r \"" + path + ".bak\"" ||
                ReadFileBytes(path) != ToBytes("abc") || buffer.GetRecords().size() != 1)
            {
                return 11;
            }
            buffer.SetBackupFile(false);
            if (!buffer.Save(path) || ReadFileBytes(path) != ToBytes("xabc"))
            {
                return 12;
            }
            // The buffer reads the file it wrote, and saves into it again.
            buffer.Change(B::kInsert, 4, 1, &byte, 0, nullptr);
            if (!buffer.Save(path) || ReadFileBytes(path) != ToBytes("xabcx"))
            {
                return 13;
            }
            return 0;
        });
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(InodeOf(path), nInode);
    EXPECT_TRUE(TemporaryFilesIn(folder.Path()).empty());
    EXPECT_FALSE(Exists(path + ".bak"));
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

// --- What the file keeps across a save that rewrites it ---------------------------------

TEST_F(HexSaveTest, HardLinkedFileKeepsItsIdentitySoEveryNameSeesTheSave)
{
    OpenWith("0123456789");
    const std::string other = m_folder / "other.bin";
    ASSERT_EQ(link(m_path.c_str(), other.c_str()), 0);
    const ino_t nInode = InodeOf(m_path);
    Insert(5, "--");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(InodeOf(m_path), nInode);
    EXPECT_EQ(ReadFileBytes(other), ToBytes("01234--56789"));
    // The buffer reads the saved file: the next change goes in place, into both names.
    Replace(0, "X");
    ASSERT_TRUE(m_buffer.CanSaveInPlace());
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(other), ToBytes("X1234--56789"));
    EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
}

TEST_F(HexSaveTest, BackupOfAHardLinkedFileIsACopyOfTheOldContents)
{
    OpenWith("old data");
    const std::string other = m_folder / "other.bin";
    ASSERT_EQ(link(m_path.c_str(), other.c_str()), 0);
    m_buffer.SetBackupFile(true);
    Replace(0, "new");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("new data"));
    EXPECT_EQ(ReadFileBytes(other), ToBytes("new data"));
    EXPECT_EQ(ReadFileBytes(m_path + ".bak"), ToBytes("old data"));
    EXPECT_NE(InodeOf(m_path + ".bak"), InodeOf(m_path));
}

// A user attribute and an access list that lets another user read the file: losing the
// list on a save would lock that user out.
TEST_F(HexSaveTest, ExtendedAttributesAndAccessListSurviveARewrite)
{
    OpenWith("abc");
    ASSERT_EQ(chmod(m_folder.Path().c_str(), 0755), 0); // user 65534 reads it below
    ASSERT_EQ(chmod(m_path.c_str(), 0640), 0);
    if (setxattr(m_path.c_str(), "user.origin", "scanner", 7, 0) != 0 && errno == ENOTSUP)
    {
        GTEST_SKIP() << "the temporary folder's file system keeps no extended attributes";
    }
    // The list in the kernel's form: a version, then (tag, permissions, id) entries.
    struct SEntry
    {
        uint16_t m_nTag, m_nPerm;
        uint32_t m_nId;
    };
    const SEntry entries[] = {{0x01, 6, 0xFFFFFFFF},  // owner rw
                              {0x02, 4, 65534},       // user 65534 r
                              {0x04, 4, 0xFFFFFFFF},  // owning group r
                              {0x10, 4, 0xFFFFFFFF},  // mask r
                              {0x20, 0, 0xFFFFFFFF}}; // others none
    std::string acl(4, '\0');
    acl[0] = 2;
    acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
    ASSERT_EQ(setxattr(m_path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0)
        << std::strerror(errno);

    Insert(0, ">");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes(">abc"));
    char value[16] = {};
    ASSERT_EQ(getxattr(m_path.c_str(), "user.origin", value, sizeof value), 7);
    EXPECT_EQ(std::string(value, 7), "scanner");
    std::string copied(256, '\0');
    const ssize_t nSize =
        getxattr(m_path.c_str(), "system.posix_acl_access", copied.data(), copied.size());
    ASSERT_GT(nSize, 0);
    copied.resize(static_cast<size_t>(nSize));
    EXPECT_EQ(copied, acl);
    struct stat info;
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    const std::string path = m_path;
    EXPECT_EQ(RunUnprivileged([&path] { return ReadFileBytes(path) == ToBytes(">abc") ? 0 : 1; }),
              0);
}

TEST(HexSaveOwner, FileOfAnotherOwnerKeepsItsOwner)
{
    CScratchFolder folder;
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);
    const std::string theirs = folder / "theirs.bin";
    WriteFileBytes(theirs, ToBytes("abc"));
    ASSERT_EQ(chmod(theirs.c_str(), 0666), 0);
    const uid_t nOwner = geteuid();
    const int nResult = RunUnprivileged(
        [&]() -> int
        {
            // Written by somebody else (as root: by user 65534; otherwise by this user,
            // where the owner stays trivially).
            CTarvoHexEditBuffer buffer;
            if (!OpenDocument(buffer, theirs))
            {
                return 10;
            }
            const uint8_t byte = 'x';
            buffer.Change(B::kInsert, 0, 1, &byte, 0, nullptr);
            return buffer.Save(theirs) && ReadFileBytes(theirs) == ToBytes("xabc") ? 0 : 11;
        });
    EXPECT_EQ(nResult, 0);
    struct stat info;
    ASSERT_EQ(stat(theirs.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nOwner);
    EXPECT_EQ(info.st_mode & 07777, 0666u);
}

// --- Another program changed the file underneath ------------------------------------------

TEST_F(HexSaveTest, FileCutShortWhileOpenIsNotWrittenInPlaceOverAHole)
{
    OpenWith("0123456789");
    Replace(2, "ab");
    ASSERT_EQ(truncate(m_path.c_str(), 5), 0); // bytes 5 to 9, still shown, are gone
    ASSERT_TRUE(m_buffer.CanSaveInPlace());
    EXPECT_FALSE(m_buffer.Save(m_path));
    ASSERT_EQ(m_sink.m_messages.size(), 1u);
    EXPECT_EQ(m_sink.m_messages[0],
              "Error writing file\r- the file being edited has become shorter or unreadable");
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("01234"));
    EXPECT_EQ(m_buffer.GetRecords().size(), 1u);
    EXPECT_TRUE(m_buffer.IsModified());
    EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
}

TEST_F(HexSaveTest, FileCutOrGrownWhileOpenIsWrittenWholeWhenItsBytesCanBeRead)
{
    OpenWith("0123456789");
    Replace(6, "wxyz"); // every byte from 6 on is in memory
    ASSERT_EQ(truncate(m_path.c_str(), 6), 0);
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("012345wxyz"));

    // Grown: written in place the foreign tail would stay behind the data.
    WriteFileBytes(m_path, ToBytes("0123456789"));
    m_buffer.Close();
    ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    Replace(0, "A");
    {
        std::ofstream out(m_path, std::ios::binary | std::ios::app);
        out << "TAIL";
    }
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("A123456789"));
    EXPECT_TRUE(m_sink.m_messages.empty());
}

TEST_F(HexSaveTest, FileReplacedWhileOpenGetsTheDataShownNotAMixture)
{
    OpenWith("0123456789");
    Replace(0, "X");
    const std::string other = m_folder / "other.bin";
    WriteFileBytes(other, ToBytes("something else entirely"));
    ASSERT_EQ(rename(other.c_str(), m_path.c_str()), 0);
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_EQ(ReadFileBytes(m_path), ToBytes("X123456789"));
}

// --- An in-place save that stops part way --------------------------------------------------

// In a child process, a file-size limit makes every write at or beyond nLimit fail, as a
// full disk would make a later write fail after earlier ones went through. Returns 0 when
// all checks held, otherwise the number of the first that failed.
int RunWithFileSizeLimit(rlim_t nLimit, const std::function<int(const std::function<void()>&)>& fn)
{
    const pid_t pid = fork();
    if (pid == 0)
    {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlim_t nOld = limit.rlim_cur;
        limit.rlim_cur = nLimit;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        {
            _exit(99);
        }
        _exit(fn(
            [nOld]
            {
                struct rlimit raised;
                getrlimit(RLIMIT_FSIZE, &raised);
                raised.rlim_cur = nOld;
                setrlimit(RLIMIT_FSIZE, &raised);
            }));
    }
    int nStatus = 0;
    waitpid(pid, &nStatus, 0);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 98;
}

TEST(HexSaveInPlace, StoppedPartWaySaysSoKeepsTheRecordsAndUndoStillRestores)
{
    CScratchFolder folder;
    const std::string path = folder / "data.bin";
    Bytes original(65536);
    for (size_t i = 0; i < original.size(); ++i)
    {
        original[i] = static_cast<uint8_t>(i * 7);
    }
    WriteFileBytes(path, original);
    const std::string kPartly = "Error writing file\rThe file now holds only part of the "
                                "changes. Saving again writes all of them.";

    // Saving again completes the file.
    EXPECT_EQ(RunWithFileSizeLimit(
                  20000,
                  [&](const std::function<void()>& raiseLimit) -> int
                  {
                      CRecordingSink sink;
                      CTarvoHexEditBuffer buffer;
                      buffer.SetMessageSink(&sink);
                      if (!OpenDocument(buffer, path))
                      {
                          return 1;
                      }
                      const uint8_t a[] = {'A', 'A'};
                      const uint8_t b[] = {'B', 'B'};
                      buffer.Change(B::kReplace, 100, 2, a, 0, nullptr);
                      buffer.Change(B::kReplace, 40000, 2, b, 0, nullptr);
                      const Bytes expected = ReadAll(buffer);
                      if (buffer.Save(path) || sink.m_messages.size() != 1 ||
                          sink.m_messages[0] != kPartly)
                      {
                          return 2;
                      }
                      const Bytes onDisk = ReadFileBytes(path);
                      if (onDisk[100] != 'A' || onDisk[40000] != original[40000])
                      {
                          return 3; // the test's premise: only the first range was written
                      }
                      if (buffer.GetRecords().size() != 2 || !buffer.IsModified() ||
                          ReadAll(buffer) != expected)
                      {
                          return 4;
                      }
                      raiseLimit();
                      if (!buffer.Save(path) || ReadFileBytes(path) != expected)
                      {
                          return 5;
                      }
                      return 0;
                  }),
              0);

    // Undoing after the failure brings back the bytes the file held, though the file now
    // holds new ones there, and a save writes them back.
    WriteFileBytes(path, original);
    EXPECT_EQ(
        RunWithFileSizeLimit(20000,
                             [&](const std::function<void()>& raiseLimit) -> int
                             {
                                 CTarvoHexEditBuffer buffer;
                                 if (!OpenDocument(buffer, path))
                                 {
                                     return 1;
                                 }
                                 const uint8_t a[] = {'A', 'A'};
                                 const uint8_t b[] = {'B', 'B'};
                                 buffer.Change(B::kReplace, 100, 2, a, 0, nullptr);
                                 buffer.Change(B::kReplace, 40000, 2, b, 0, nullptr);
                                 if (buffer.Save(path) || ReadFileBytes(path)[100] != 'A')
                                 {
                                     return 2;
                                 }
                                 buffer.Undo(nullptr, 1);
                                 buffer.Undo(nullptr, 0);
                                 if (ReadAll(buffer) != original || !buffer.IsModified())
                                 {
                                     return 3; // the file on disk still differs from what is shown
                                 }
                                 raiseLimit();
                                 const uint8_t c = 'C';
                                 buffer.Change(B::kReplace, 0, 1, &c, 0, nullptr);
                                 if (!buffer.Save(path))
                                 {
                                     return 4;
                                 }
                                 Bytes expected = original;
                                 expected[0] = 'C';
                                 return ReadFileBytes(path) == expected ? 0 : 5;
                             }),
        0);
}

// Descriptors of this process that lead to a file without a name.
int OpenDeletedFiles()
{
    int nCount = 0;
    if (DIR* dir = opendir("/proc/self/fd"))
    {
        while (dirent* entry = readdir(dir))
        {
            char target[4096];
            const std::string link = std::string("/proc/self/fd/") + entry->d_name;
            const ssize_t n = readlink(link.c_str(), target, sizeof(target) - 1);
            if (n > 0 && std::string(target, size_t(n)).find(" (deleted)") != std::string::npos)
            {
                ++nCount;
            }
        }
        closedir(dir);
    }
    return nCount;
}

// A file large enough that the save hands its data to the disk as it goes and lets the
// replaced file go on a thread of its own.
TEST_F(HexSaveTest, LargeFileMovedByAByteIsSavedWholeAndTheOldFileIsLetGo)
{
    Bytes data(72u << 20);
    for (size_t i = 0; i < data.size(); ++i)
    {
        data[i] = static_cast<uint8_t>(i * 7 + i / 4099);
    }
    WriteFileBytes(m_path, data);
    m_buffer.SetMessageSink(&m_sink);
    ASSERT_TRUE(OpenDocument(m_buffer, m_path));
    const int nDeletedBefore = OpenDeletedFiles();
    Insert(0, "!");
    Replace(static_cast<uint32_t>(data.size()) - 2, "end"); // the last three bytes
    ASSERT_TRUE(m_buffer.Save(m_path));
    Bytes expected = data;
    expected.insert(expected.begin(), '!');
    std::memcpy(expected.data() + expected.size() - 3, "end", 3);
    EXPECT_TRUE(ReadFileBytes(m_path) == expected);
    EXPECT_TRUE(ReadAll(m_buffer) == expected);
    EXPECT_TRUE(m_sink.m_messages.empty());
    WaitForReleasedFiles();
    EXPECT_EQ(OpenDeletedFiles(), nDeletedBefore);

    // With a backup the unchanged bytes keep their places: the system copies them.
    m_buffer.SetBackupFile(true);
    Replace(5u << 20, "mid");
    ASSERT_TRUE(m_buffer.Save(m_path));
    EXPECT_TRUE(ReadFileBytes(m_path + ".bak") == expected);
    std::memcpy(expected.data() + (5u << 20), "mid", 3);
    EXPECT_TRUE(ReadFileBytes(m_path) == expected);
    EXPECT_TRUE(TemporaryFilesIn(m_folder.Path()).empty());
}

} // namespace

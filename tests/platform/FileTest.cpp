#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/WriteBehind.h"

namespace
{
class CFileFolder
{
public:
    CFileFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "scrivel-file-XXXXXX").string();
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
        m_path = pattern;
    }
    ~CFileFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary | std::ios::trunc) << bytes;
        return Path(name);
    }

private:
    std::string m_path;
};

std::atomic<int> g_nSignals{0};
void CountSignal(int)
{
    ++g_nSignals;
}

// Delivers SIGUSR1 without SA_RESTART, so that a blocked read or write is interrupted: it
// fails with EINTR, or comes back short when it had moved some bytes already.
class CInterrupter
{
public:
    CInterrupter()
    {
        struct sigaction action = {};
        action.sa_handler = CountSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(SIGUSR1, &action, &m_old);
    }
    ~CInterrupter()
    {
        Stop();
        sigaction(SIGUSR1, &m_old, nullptr);
    }
    // Signals `target` every 200 microseconds until Stop.
    void Start(pthread_t target)
    {
        m_bRun = true;
        m_thread = std::thread(
            [this, target]
            {
                while (m_bRun)
                {
                    pthread_kill(target, SIGUSR1);
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                }
            });
    }
    void Stop()
    {
        m_bRun = false;
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    struct sigaction m_old = {};
    std::atomic<bool> m_bRun{false};
    std::thread m_thread;
};

std::string Pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}
} // namespace

TEST(PlatformFile, InterruptedAndShortTransfersAreCompleted)
{
    // Through a FIFO, where reads come back with what the writer had written so far and
    // writes block once the pipe is full: both are interrupted time and again.
    CFileFolder folder;
    const std::string fifo = folder.Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string sent = Pattern(4 << 20);
    std::string received(sent.size(), '\0');
    g_nSignals = 0;
    const auto oldPipeAction = signal(SIGPIPE, SIG_IGN);
    CInterrupter interruptWriter, interruptReader;

    bool bWritten = false;
    int nWriteError = 0;
    std::atomic<bool> bRelease{false};
    std::thread writer(
        [&]
        {
            // The thread lives until the signals to it have stopped.
            struct SWait
            {
                std::atomic<bool>& bFlag;
                ~SWait()
                {
                    while (!bFlag)
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            } wait{bRelease};
            CPlatformFile out;
            if (!out.Open(fifo, CPlatformFile::OpenWrite))
                return;
            // First in small pieces with pauses, so that the reader sees short reads.
            for (size_t i = 0; i < 64; ++i)
            {
                out.Write(sent.data() + i * 100, 100);
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
            bWritten = out.Write(sent.data() + 6400, sent.size() - 6400);
            nWriteError = out.GetErrorNumber();
            out.Close(); // the end of the data for the reader
        });
    interruptWriter.Start(writer.native_handle());
    interruptReader.Start(pthread_self());

    CPlatformFile in;
    ASSERT_TRUE(in.Open(fifo, CPlatformFile::OpenRead)) << in.GetErrorText();
    // Slowly at first, so the writer fills the pipe and blocks in the middle of a write.
    int64_t nFirst = in.Read(received.data(), 6400);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    int64_t nRest = in.Read(received.data() + 6400, received.size() - 6400 + 10);
    interruptWriter.Stop();
    interruptReader.Stop();
    in.Close(); // a writer still blocked (after a failed read) fails instead of waiting
    bRelease = true;
    writer.join();

    EXPECT_GT(g_nSignals.load(), 10);
    EXPECT_TRUE(bWritten) << nWriteError;
    EXPECT_EQ(nFirst, 6400) << in.GetErrorText();
    EXPECT_EQ(nRest, static_cast<int64_t>(sent.size()) - 6400) << in.GetErrorText();
    EXPECT_TRUE(received == sent);
    signal(SIGPIPE, oldPipeAction);
}

TEST(PlatformFile, ReadsAndWritesBeyondFourGigabytes)
{
    CFileFolder folder;
    CPlatformFile file;
    ASSERT_TRUE(
        file.Open(folder.Path("sparse"), CPlatformFile::OpenReadWrite | CPlatformFile::OpenCreate));
    const int64_t nFar = (int64_t(5) << 30) + 3;
    ASSERT_TRUE(file.WriteAt("tail", 4, nFar)) << file.GetErrorText();
    EXPECT_EQ(file.GetSize(), nFar + 4);
    char buffer[8] = {};
    // Asking past the end gives what is there: a short read is the end, not an error.
    EXPECT_EQ(file.ReadAt(buffer, sizeof buffer, nFar - 1), 5);
    EXPECT_EQ(std::string(buffer, 5), std::string("\0tail", 5));
    EXPECT_EQ(file.ReadAt(buffer, sizeof buffer, nFar + 100), 0);
    ASSERT_TRUE(file.SetSize(2));
    EXPECT_EQ(file.GetSize(), 2);
}

// Bytes that differ at every offset a copy could get wrong by one or by a block.
std::vector<char> Pattern(size_t nSize, unsigned nSeed)
{
    std::vector<char> bytes(nSize);
    for (size_t i = 0; i < nSize; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 4093 + nSeed) & 0xff);
    return bytes;
}

std::vector<char> ReadBack(CPlatformFile& file, int64_t nOffset, size_t nCount)
{
    std::vector<char> bytes(nCount);
    bytes.resize(
        static_cast<size_t>(std::max<int64_t>(0, file.ReadAt(bytes.data(), nCount, nOffset))));
    return bytes;
}

// Copies whole and in parts at odd offsets, several blocks long, up to the end of the source
// and across the 2 GiB boundary of a sparse file, from a source in sourceFolder to a file in
// targetFolder: one file system takes the system's copy, two the copy by hand.
void CheckRangeCopies(const std::string& sourceFolder, const std::string& targetFolder)
{
    using F = CPlatformFile;
    CPlatformFile source;
    CPlatformFile target;
    ASSERT_TRUE(source.Open(sourceFolder + "/source", F::OpenReadWrite | F::OpenCreate));
    ASSERT_TRUE(target.Open(targetFolder + "/target", F::OpenReadWrite | F::OpenCreate));
    const std::vector<char> data = Pattern((size_t(3) << 20) + 5, 7);
    ASSERT_TRUE(source.WriteAt(data.data(), data.size(), 0));
    const int64_t nSize = static_cast<int64_t>(data.size());

    EXPECT_EQ(target.CopyRangeFrom(source, 0, nSize, 0), nSize) << target.GetErrorText();
    EXPECT_TRUE(ReadBack(target, 0, data.size() + 1) == data);
    // A part, moved by an odd distance, lands between untouched bytes.
    EXPECT_EQ(target.CopyRangeFrom(source, 1, 2000001, 3), 2000001);
    std::vector<char> expected = data;
    std::copy(data.begin() + 1, data.begin() + 2000002, expected.begin() + 3);
    EXPECT_TRUE(ReadBack(target, 0, data.size()) == expected);
    // Asking past the end copies what there is; at the end, nothing.
    EXPECT_EQ(target.CopyRangeFrom(source, nSize - 10, 100, 0), 10);
    EXPECT_TRUE(ReadBack(target, 0, 10) == std::vector<char>(data.end() - 10, data.end()));
    EXPECT_EQ(target.CopyRangeFrom(source, nSize, 100, 0), 0);
    EXPECT_EQ(target.CopyRangeFrom(source, 0, 0, 0), 0);

    // Across 2 GiB, into a target beyond 2 GiB as well.
    const int64_t nEdge = int64_t(1) << 31;
    const std::vector<char> marks = Pattern(300000, 3);
    ASSERT_TRUE(source.WriteAt(marks.data(), marks.size(), nEdge - 100000));
    ASSERT_TRUE(source.SetSize(nEdge + (int64_t(1) << 20))); // a hole after the marks too
    EXPECT_EQ(target.CopyRangeFrom(source, nEdge - 100001, 300002, nEdge + 11), 300002)
        << target.GetErrorText();
    const std::vector<char> back = ReadBack(target, nEdge + 11, 300002);
    ASSERT_EQ(back.size(), 300002u);
    EXPECT_EQ(back.front(), 0);
    EXPECT_EQ(back.back(), 0);
    EXPECT_TRUE(std::equal(marks.begin(), marks.end(), back.begin() + 1));
    // The same, with both offsets at one place within a page (the system's own copy).
    EXPECT_EQ(target.CopyRangeFrom(source, nEdge - 100000, 300000, nEdge + (int64_t(3) << 20)),
              300000);
    EXPECT_TRUE(ReadBack(target, nEdge + (int64_t(3) << 20), 300001) == marks);
}

TEST(PlatformFile, CopiesRangesWithinOneFileSystem)
{
    CFileFolder folder;
    CheckRangeCopies(folder.Path(""), folder.Path(""));

    // Within one file: apart is fine, overlapping is refused and changes nothing.
    CPlatformFile file;
    ASSERT_TRUE(file.Open(folder.Path("source"), CPlatformFile::OpenReadWrite));
    EXPECT_EQ(file.CopyRangeFrom(file, 0, 10, 20), 10);
    EXPECT_TRUE(ReadBack(file, 20, 10) == ReadBack(file, 0, 10));
    const std::vector<char> before = ReadBack(file, 0, 40);
    EXPECT_EQ(file.CopyRangeFrom(file, 0, 20, 10), -1);
    EXPECT_EQ(file.GetErrorNumber(), EINVAL);
    EXPECT_TRUE(ReadBack(file, 0, 40) == before);
    CPlatformFile closed;
    EXPECT_EQ(closed.CopyRangeFrom(file, 0, 1, 0), -1);
    EXPECT_EQ(closed.GetErrorNumber(), EBADF);
}

// The system copies within one file system only; between two the bytes pass through the
// process. A memory file system is the second one where the machine has it.
TEST(PlatformFile, CopiesRangesBetweenFileSystemsByHand)
{
    CFileFolder folder;
    struct stat memory;
    struct stat temp;
    if (stat("/dev/shm", &memory) != 0 || stat(folder.Path("").c_str(), &temp) != 0 ||
        memory.st_dev == temp.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system to copy from";
    char pattern[] = "/dev/shm/scrivel-copy-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string shm = pattern;
    CheckRangeCopies(shm, folder.Path(""));
    std::error_code ec;
    std::filesystem::remove_all(shm, ec);
}

TEST(PlatformFile, FailuresCarryTheErrorNumberAndText)
{
    CFileFolder folder;
    CPlatformFile file;
    EXPECT_FALSE(file.Open(folder.Path("missing"), CPlatformFile::OpenRead));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetErrorNumber(), ENOENT);
    EXPECT_EQ(file.GetErrorText(), std::strerror(ENOENT));

    const std::string path = folder.Write("present", "abc");
    EXPECT_FALSE(file.Open(path, CPlatformFile::OpenWrite | CPlatformFile::OpenCreateNew));
    EXPECT_EQ(file.GetErrorNumber(), EEXIST);
    // A name planted as a link is not followed by an exclusive create.
    ASSERT_EQ(symlink(folder.Path("target").c_str(), folder.Path("planted").c_str()), 0);
    EXPECT_FALSE(
        file.Open(folder.Path("planted"), CPlatformFile::OpenWrite | CPlatformFile::OpenCreateNew));
    EXPECT_FALSE(std::filesystem::exists(folder.Path("target")));

    // Nothing but reading through a handle open for reading.
    ASSERT_TRUE(file.Open(path, CPlatformFile::OpenRead));
    EXPECT_FALSE(file.WriteAt("x", 1, 0));
    EXPECT_EQ(file.GetErrorNumber(), EBADF);
    file.Close();
    char c;
    EXPECT_EQ(file.ReadAt(&c, 1, 0), -1);
    EXPECT_EQ(file.GetErrorNumber(), EBADF);
}

TEST(PlatformFile, VanishedFileIsMissingByNameAndShortThroughTheHandle)
{
    CFileFolder folder;
    const std::string path = folder.Write("doomed", "0123456789");
    CPlatformFile file;
    ASSERT_TRUE(file.Open(path, CPlatformFile::OpenRead));
    SFileStatus before;
    ASSERT_TRUE(file.GetStatus(before));
    // Cut short by another program: the read ends early without an error.
    ASSERT_EQ(truncate(path.c_str(), 4), 0);
    char buffer[10];
    EXPECT_EQ(file.ReadAt(buffer, sizeof buffer, 0), 4);
    ASSERT_EQ(unlink(path.c_str()), 0);
    SFileStatus status;
    int nError = 0;
    EXPECT_FALSE(GetFileStatus(path, status, &nError));
    EXPECT_EQ(nError, ENOENT);
    EXPECT_EQ(status.type, EFileType::Missing);
    // A new file under the old name is another file.
    folder.Write("doomed", "new");
    ASSERT_TRUE(GetFileStatus(path, status));
    EXPECT_FALSE(status.IsSameFile(before));
}

TEST(PlatformFile, RegularOnlyRefusesOtherTypesWithoutBlocking)
{
    CFileFolder folder;
    const std::string fifo = folder.Path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string socketPath = folder.Path("socket");
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(symlink(fifo.c_str(), folder.Path("link-to-fifo").c_str()), 0);

    // A FIFO opened without this flag would wait here for a writer for ever.
    for (const std::string& path :
         {fifo, socketPath, std::string("/dev/null"), folder.Path("link-to-fifo")})
    {
        CPlatformFile file;
        EXPECT_FALSE(file.Open(path, CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly))
            << path;
        EXPECT_EQ(file.GetErrorNumber(), EINVAL) << path;
        EXPECT_EQ(file.GetErrorText(), CPlatformFile::kNotRegularText);
    }
    CPlatformFile file;
    EXPECT_FALSE(
        file.Open(folder.Path(""), CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly));
    EXPECT_EQ(file.GetErrorNumber(), EISDIR);
    EXPECT_TRUE(file.Open(folder.Write("plain", "x"),
                          CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly));
    close(sock);
}

TEST(PlatformFile, StatusHasNanosecondTimesAndIdentity)
{
    CFileFolder folder;
    const std::string path = folder.Write("timed", "12345");
    const struct timespec times[2] = {{1700000000, 123456789}, {1600000000, 987654321}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    SFileStatus status;
    ASSERT_TRUE(GetFileStatus(path, status));
    EXPECT_EQ(status.type, EFileType::Regular);
    EXPECT_EQ(status.nSize, 5);
    EXPECT_EQ(status.nLastWriteTime, 1600000000LL * 1000000000 + 987654321);
    EXPECT_EQ(status.nLastAccessTime, 1700000000LL * 1000000000 + 123456789);
    ASSERT_EQ(link(path.c_str(), folder.Path("second").c_str()), 0);
    SFileStatus second;
    CPlatformFile file;
    ASSERT_TRUE(file.Open(folder.Path("second"), CPlatformFile::OpenRead));
    ASSERT_TRUE(file.GetStatus(second));
    EXPECT_TRUE(second.IsSameFile(status));
    EXPECT_EQ(second.nLinks, 2u);
}

TEST(PlatformFile, SharingLocksConflictLikeTwoPrograms)
{
    CFileFolder folder;
    const std::string path = folder.Write("shared", "x");
    CPlatformFile writer, reader;
    ASSERT_TRUE(writer.Open(path, CPlatformFile::OpenReadWrite, CPlatformFile::EShare::None));
    EXPECT_FALSE(reader.Open(path, CPlatformFile::OpenRead, CPlatformFile::EShare::ReadOnly));
    EXPECT_TRUE(IsLockConflict(reader.GetErrorNumber()));
    EXPECT_TRUE(reader.Open(path, CPlatformFile::OpenRead)); // no lock asked, none checked
    writer.Close();
    EXPECT_TRUE(reader.Open(path, CPlatformFile::OpenRead, CPlatformFile::EShare::ReadOnly));
}

TEST(PlatformFolder, ReachesFilesDeeperThanTheLongestPath)
{
    CFileFolder folder;
    const std::string name(40, 'd');
    constexpr int kDepth = 500; // 500 * 41 bytes: far beyond the longest path the system takes
    {
        int fd = open(folder.Path("").c_str(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < kDepth; ++i)
        {
            ASSERT_EQ(mkdirat(fd, name.c_str(), 0700), 0);
            int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = next;
        }
        const int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0600);
        ASSERT_EQ(write(file, "found", 5), 5);
        close(file);
        close(fd);
    }
    std::vector<CPlatformFolder> chain(kDepth + 1);
    ASSERT_TRUE(chain[0].Open(folder.Path("")));
    for (int i = 1; i <= kDepth; ++i)
        ASSERT_TRUE(chain[i].OpenIn(chain[i - 1], name)) << i << ": " << chain[i].GetErrorText();
    std::vector<SFolderEntry> entries;
    ASSERT_TRUE(chain[kDepth].List(entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].strName, "bottom.txt");
    CPlatformFile file;
    ASSERT_TRUE(file.OpenIn(chain[kDepth], "bottom.txt",
                            CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly));
    char buffer[8];
    EXPECT_EQ(file.ReadAt(buffer, sizeof buffer, 0), 5);
    // Removing it again needs the same: std::filesystem would fail on the long names.
    for (int i = kDepth; i >= 1; --i)
    {
        if (i == kDepth)
            unlinkat(chain[i].GetDescriptor(), "bottom.txt", 0);
        chain[i].Close();
        ASSERT_EQ(unlinkat(chain[i - 1].GetDescriptor(), name.c_str(), AT_REMOVEDIR), 0);
    }
}

TEST(PlatformFolder, ListsInNameOrderAndDoesNotFollowLinkedFolders)
{
    CFileFolder folder;
    std::filesystem::create_directory(folder.Path("sub"));
    folder.Write("b.txt", "");
    folder.Write("a.txt", "");
    ASSERT_EQ(symlink("sub", folder.Path("link").c_str()), 0);
    CPlatformFolder open;
    ASSERT_TRUE(open.Open(folder.Path("")));
    std::vector<SFolderEntry> entries;
    ASSERT_TRUE(open.List(entries));
    // Listing twice through one handle starts at the first entry both times.
    ASSERT_TRUE(open.List(entries));
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].strName, "a.txt");
    EXPECT_EQ(entries[2].strName, "link");
    EXPECT_TRUE(entries[2].bLinkToFolder);
    EXPECT_FALSE(entries[2].bFolder);
    EXPECT_TRUE(entries[3].bFolder);
    CPlatformFolder sub;
    EXPECT_FALSE(sub.OpenIn(open, "link"));
    EXPECT_TRUE(sub.OpenIn(open, "sub"));
    EXPECT_FALSE(sub.OpenIn(open, "a.txt"));
    EXPECT_EQ(sub.GetErrorNumber(), ENOTDIR);
}

// A walk opens listed regular files without looking at them again first; a FIFO put in
// place of one after the listing must still be refused, and without waiting for a writer.
TEST(PlatformFolder, ListedFileReplacedByAFifoIsRefused)
{
    CFileFolder folder;
    folder.Write("swap.txt", "x");
    CPlatformFolder open;
    ASSERT_TRUE(open.Open(folder.Path("")));
    std::vector<SFolderEntry> entries;
    ASSERT_TRUE(open.List(entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].bRegular);
    ASSERT_EQ(unlink(folder.Path("swap.txt").c_str()), 0);
    ASSERT_EQ(mkfifo(folder.Path("swap.txt").c_str(), 0600), 0);
    CPlatformFile file;
    EXPECT_FALSE(
        file.OpenIn(open, entries[0], CPlatformFile::OpenRead | CPlatformFile::OpenRegularOnly));
    EXPECT_EQ(file.GetErrorText(), CPlatformFile::kNotRegularText);
}

// A writer that reports its progress, out of order now and then, while the write-behind
// asks the system for writeback; the data stays exactly what was written, and ending the
// write-behind twice, or letting it go with its thread waiting, is safe.
TEST(WriteBehind, ReportsAlongAWriteLeaveTheDataAsWritten)
{
    using F = CPlatformFile;
    CFileFolder folder;
    CPlatformFile file;
    ASSERT_TRUE(file.Open(folder.Path("written"), F::OpenReadWrite | F::OpenCreate));
    const std::vector<char> data = Pattern(size_t(5) * size_t(CWriteBehind::kChunk) + 333, 11);
    {
        CWriteBehind behind(file);
        const size_t nBlock = (size_t(1) << 20) + 7; // chunks do not end on block ends
        for (size_t nAt = 0; nAt < data.size(); nAt += nBlock)
        {
            const size_t n = std::min(nBlock, data.size() - nAt);
            ASSERT_TRUE(file.WriteAt(data.data() + nAt, n, int64_t(nAt)));
            behind.Written(int64_t(nAt + n));
            behind.Written(int64_t(nAt)); // behind what it heard: ignored
        }
        behind.Finish();
        behind.Finish();
        behind.Written(int64_t(data.size()) * 2); // after the end: ignored
    }
    {
        CWriteBehind started(file, 100);
        started.Written(100 + 3 * CWriteBehind::kChunk); // the thread runs, then is let go
    }
    EXPECT_TRUE(ReadBack(file, 0, data.size() + 1) == data);
    EXPECT_TRUE(file.Sync());
}

bool IsDescriptorOpen(int fd)
{
    return fcntl(fd, F_GETFD) != -1;
}

// Only a large file that has lost its last name is closed on the releasing thread; every
// other file is closed at once. Either way the object handed over is left closed.
TEST(ReleaseReplacedFile, ClosesEveryFileHandedOver)
{
    using F = CPlatformFile;
    CFileFolder folder;
    CPlatformFile named;
    ASSERT_TRUE(named.Open(folder.Write("named", "abc"), F::OpenRead));
    const int nNamed = named.GetDescriptor();
    ReleaseReplacedFile(std::move(named));
    EXPECT_FALSE(named.IsOpen());
    EXPECT_FALSE(IsDescriptorOpen(nNamed));

    for (const int64_t nSize : {int64_t(1) << 20, int64_t(80) << 20})
    {
        CPlatformFile gone;
        const std::string path = folder.Path("gone");
        ASSERT_TRUE(gone.Open(path, F::OpenReadWrite | F::OpenCreate));
        ASSERT_TRUE(gone.SetSize(nSize)); // a hole: no data to write for it
        ASSERT_EQ(unlink(path.c_str()), 0);
        const int nGone = gone.GetDescriptor();
        ReleaseReplacedFile(std::move(gone));
        EXPECT_FALSE(gone.IsOpen());
        WaitForReleasedFiles();
        EXPECT_FALSE(IsDescriptorOpen(nGone)) << nSize;
    }
    ReleaseReplacedFile(CPlatformFile()); // nothing open: nothing to do
}

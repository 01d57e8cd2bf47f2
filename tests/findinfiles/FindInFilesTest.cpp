#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "findinfiles/FindInFiles.h"
#include "findinfiles/FindInFilesResults.h"
#include "platform/CancelEvent.h"
#include "platform/FolderList.h"
#include "../RunUnprivileged.h"

namespace fs = std::filesystem;

namespace
{
// Records the callbacks as result-pane lines, in order.
class CRecorder : public CFindInFilesCallback
{
public:
    std::string search;
    CFindInFilesResultPane pane;
    std::vector<std::string> events;
    std::vector<std::string> skipped; // file names, in the order met
    int matches = 0;
    std::function<void(int)> onLine;

    void OnBegin() override
    {
        events.push_back("begin");
        pane.AddHeader(search);
    }
    void OnFile(const std::string& path) override
    {
        events.push_back("file " + fs::path(path).filename().string());
        pane.AddFile(path);
    }
    void OnLine(const std::string& path, int nLine, std::string_view text) override
    {
        ++matches;
        events.push_back("line " + std::to_string(nLine) + " " + std::string(text));
        pane.AddMatch(path, nLine, text);
        if (onLine)
            onLine(nLine);
    }
    void OnEnd(bool bCanceled) override
    {
        events.push_back(bCanceled ? "end canceled" : "end");
        pane.AddEnd(bCanceled, matches, search);
    }
    void OnSkipped(const std::string& path) override
    {
        skipped.push_back(fs::path(path).filename().string());
    }
};

class FindInFilesTest : public ::testing::Test
{
protected:
    fs::path root;
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("scrivel-fif-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }
    void Write(const std::string& rel, const std::string& content)
    {
        fs::path p = root / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << content;
    }
    CRecorder Run(const std::string& text, uint32_t flags, const std::string& types,
                  std::vector<std::string> locations, CCancelEvent* pCancel = nullptr,
                  std::function<void(int)> onLine = {})
    {
        CFindInFilesOptions options;
        options.m_dwFlags = flags;
        options.m_strFileTypes = types;
        options.m_locations = std::move(locations);
        CRecorder recorder;
        recorder.search = text;
        recorder.onLine = std::move(onLine);
        CFindInFiles engine(recorder, options);
        CCancelEvent local;
        engine.Search(text, nullptr, pCancel ? *pCancel : local);
        return recorder;
    }
    static constexpr uint32_t kCase = CFindInFilesOptions::FlagMatchCase;
    static constexpr uint32_t kSub = CFindInFilesOptions::FlagSubfolders;
    static constexpr uint32_t kRegex = CFindInFilesOptions::FlagRegex;
};
} // namespace

TEST_F(FindInFilesTest, ReportsLinesInWalkOrderWithTheirOwnText)
{
    Write("b.txt", "no\r\nfind me\r\nalso find\n");
    Write("a.txt", "find at end");
    Write("sub/c.txt", "x\nfind\n");
    CRecorder r = Run("find", kCase | kSub, "*.*", {root.string()});
    std::vector<std::string> expected = {"begin",      "file a.txt",       "line 1 find at end",
                                         "file b.txt", "line 2 find me\n", "line 3 also find\n",
                                         "file c.txt", "line 2 find\n",    "end"};
    EXPECT_EQ(r.events, expected);
    EXPECT_EQ(r.pane.GetText(r.pane.GetCount() - 1), "4 occurrence(s) have been found.\n");
}

TEST_F(FindInFilesTest, EmptyTypesSearchNoFileButStillWalkSubfolders)
{
    Write("top.txt", "hit\n");
    Write("sub/deep.txt", "hit\n");
    CRecorder none = Run("hit", kCase | kSub, ";;", {root.string()});
    EXPECT_EQ(none.matches, 0);
    // A location that names a file is searched whatever the types say.
    CRecorder file =
        Run("hit", kCase, "*.cpp", {(root / "top.txt").string(), (root / "missing").string()});
    EXPECT_EQ(file.matches, 1);
    EXPECT_EQ(file.pane.GetText(0), "Searching for \"hit\" ...");
}

TEST_F(FindInFilesTest, OverlappingTypesSearchAFileTwice)
{
    Write("x.c", "needle\n");
    Write("y.h", "needle\n");
    CRecorder r = Run("needle", kCase, "*.c;*.*", {root.string() + "///"});
    EXPECT_EQ(r.matches, 3);
    std::vector<std::string> expected = {
        "begin",           "file x.c", "line 1 needle\n", "file x.c",
        "line 1 needle\n", "file y.h", "line 1 needle\n", "end"};
    EXPECT_EQ(r.events, expected);
}

TEST_F(FindInFilesTest, LongLineIsCutAt65535BytesAndNumberedOnward)
{
    std::string line(70000, 'a');
    line[69990] = 'Z';
    Write("long.txt", "first\n" + line + "\nZ last");
    CRecorder r = Run("Z", kCase, "*.*", {root.string()});
    ASSERT_EQ(r.matches, 2);
    EXPECT_EQ(r.pane.GetRecord(2).m_nLine, 3); // the tail of the long line is line 3
    EXPECT_EQ(r.pane.GetRecord(3).m_nLine, 4); // the last line, without a line feed
    EXPECT_EQ(r.pane.GetText(2).size(), std::string("[3   ] ").size() + 70000 - 65535 + 1);
}

TEST_F(FindInFilesTest, ExpressionsSeeTheLineWithoutItsBreak)
{
    Write("e.txt", "size_t x;\r\nfoo_t\nfoo_tab\n");
    CRecorder set = Run("[a-z]+_t[^a-z]", kCase | kRegex, "*.*", {root.string()});
    EXPECT_EQ(set.matches, 1); // "foo_t" at a line end is not followed by a character
    CRecorder dollar = Run("_t$", kCase | kRegex, "*.*", {root.string()});
    EXPECT_EQ(dollar.matches, 1);
    // An expression that does not compile leaves the literal test.
    Write("lit.txt", "a(b\n");
    CRecorder broken = Run("a(b", kCase | kRegex, "lit.txt", {root.string()});
    EXPECT_EQ(broken.matches, 1);
}

TEST_F(FindInFilesTest, MatchCaseOffFoldsAsciiLettersAndReportsTheLineAsRead)
{
    Write("c.cpp", "MemCpy(a)\nmemcpy(b)\nnothing\n");
    CRecorder fold = Run("MEMCPY", kSub, "*.CPP", {root.string()});
    ASSERT_EQ(fold.matches, 2);
    EXPECT_EQ(fold.pane.GetText(2), "[1   ] MemCpy(a)\n");
    CRecorder exact = Run("MEMCPY", kCase, "*.cpp", {root.string()});
    EXPECT_EQ(exact.matches, 0);
    EXPECT_EQ(exact.pane.GetText(1), "Cannot find the string \"MEMCPY\".");
    CRecorder regex = Run("mem[a-z]+\\(B", kRegex, "*.*", {root.string()});
    EXPECT_EQ(regex.matches, 1);
}

TEST_F(FindInFilesTest, CancelStopsAfterTheCurrentLine)
{
    std::string content;
    for (int i = 0; i < 1000; ++i)
        content += "hit\n";
    Write("a.txt", content);
    Write("b.txt", content);
    CCancelEvent cancel;
    CRecorder r = Run("hit", kCase, "*.*", {root.string()}, &cancel,
                      [&](int nLine)
                      {
                          if (nLine == 10)
                              cancel.Set();
                      });
    EXPECT_EQ(r.matches, 10);
    EXPECT_EQ(r.events.back(), "end canceled");
    EXPECT_EQ(r.pane.GetText(r.pane.GetCount() - 1), "Canceled.\n");
}

TEST_F(FindInFilesTest, LinkedFoldersAreNotWalkedButLinkedFilesAreSearched)
{
    Write("real/f.txt", "hit\n");
    fs::create_directory_symlink(root, root / "real" / "loop");
    fs::create_symlink(root / "real" / "f.txt", root / "link.txt");
    CRecorder r = Run("hit", kCase | kSub, "*.*", {root.string()});
    EXPECT_EQ(r.matches, 2); // link.txt and real/f.txt, and no endless walk
}

// A FIFO opened for reading waits for a writer, and Stop could not free the worker; a
// socket or device has no lines either. All of them, in the tree or named as locations,
// are passed over like unreadable files and the search comes to its end.
TEST_F(FindInFilesTest, FifosSocketsAndDevicesAreSkippedWithoutBlocking)
{
    Write("a.txt", "hit\n");
    Write("sub/z.txt", "hit\n");
    const fs::path fifo = root / "pipe.txt";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((root / "sub" / "deeper.txt").c_str(), 0600), 0);
    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (root / "sock.txt").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socketPath.c_str());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    fs::create_symlink("/dev/null", root / "device.txt");

    auto search =
        std::async(std::launch::async,
                   [&]
                   {
                       return Run("hit", kCase | kSub, "*.txt",
                                  {root.string(), fifo.string(), "/dev/null", socketPath});
                   });
    const bool bFinished = search.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    // Frees a worker stuck on a FIFO, so that the failure is reported, not a hang.
    while (search.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        for (const fs::path& path : {fifo, root / "sub" / "deeper.txt"})
            close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
    const CRecorder r = search.get();
    close(sock);
    EXPECT_TRUE(bFinished);
    EXPECT_EQ(r.matches, 2);
    EXPECT_EQ(r.events.back(), "end");
    // Each one is reported as skipped: the entries of the tree in walk order, then the
    // locations.
    const std::vector<std::string> skipped = {"device.txt", "pipe.txt", "sock.txt", "deeper.txt",
                                              "pipe.txt",   "null",     "sock.txt"};
    EXPECT_EQ(r.skipped, skipped);
}

// A folder without access, a link that leads to itself and a location that no longer exists
// are reported and passed over; a folder link, which is not walked by design, is not.
TEST_F(FindInFilesTest, UnreadableFoldersLinkLoopsAndMissingLocationsAreReportedAsSkipped)
{
    Write("a.txt", "hit\n");
    Write("locked/b.txt", "hit\n");
    Write("open/c.txt", "hit\n");
    fs::create_symlink("loop.txt", root / "loop.txt");
    fs::create_directory_symlink(root / "open", root / "openlink");
    fs::permissions(root, fs::perms::all);
    fs::permissions(root / "locked", fs::perms::none);
    const int nResult = RunUnprivileged(
        [&]
        {
            const CRecorder r =
                Run("hit", kCase | kSub, "*.*", {root.string(), (root / "missing").string()});
            const std::vector<std::string> expected = {"loop.txt", "locked", "missing"};
            if (r.matches != 2)
                return 1;
            return r.skipped == expected ? 0 : 2;
        });
    fs::permissions(root / "locked", fs::perms::owner_all);
    EXPECT_EQ(nResult, 0);
}

// Each subfolder is opened through its parent: a file far deeper than the longest path the
// system accepts is found (and named by its whole path).
TEST_F(FindInFilesTest, FoldersDeeperThanThePathLimitAreSearched)
{
    const std::string name(40, 'n');
    constexpr int kDepth = 500;
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<int> chain{fd};
    for (int i = 0; i < kDepth; ++i)
    {
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0700), 0);
        fd = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_GE(fd, 0);
        chain.push_back(fd);
    }
    const int file = openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(write(file, "a hit\n", 6), 6);
    close(file);

    CRecorder r = Run("hit", kCase | kSub, "*.txt", {root.string()});
    ASSERT_EQ(r.matches, 1);
    const std::string& path = r.pane.GetRecord(1).m_strPath;
    EXPECT_GT(path.size(), static_cast<size_t>(kDepth * 41));
    EXPECT_EQ(fs::path(path).filename(), "bottom.txt");

    // Taken down the same way: a path-based removal would stop at the limit.
    unlinkat(chain.back(), "bottom.txt", 0);
    for (int i = kDepth; i >= 1; --i)
    {
        close(chain[i]);
        ASSERT_EQ(unlinkat(chain[i - 1], name.c_str(), AT_REMOVEDIR), 0);
    }
    close(chain[0]);
}

TEST(FindInFilesResults, TextsAndPreviousResultLocations)
{
    EXPECT_EQ(FormatMatchLine(7, "x\n"), "[7   ] x\n");
    EXPECT_EQ(FormatMatchLine(123456, "y"), "[123456] y");
    EXPECT_EQ(FormatSearchEnd(false, 0, "q"), "Cannot find the string \"q\".");
    EXPECT_EQ(FormatSearchEnd(true, 5, "q"), "Canceled.\n");
    EXPECT_EQ(FormatSearchEnd(false, 2, "q"), "2 occurrence(s) have been found.\n");

    CFindInFilesResultPane pane;
    pane.AddHeader("q");
    pane.AddFile("/a");
    pane.AddMatch("/a", 3, "q\n");
    pane.AddEnd(false, 1, "q");
    EXPECT_FALSE(pane.OpensFile(0));
    EXPECT_TRUE(pane.OpensFile(1));
    EXPECT_TRUE(pane.OpensFile(2));
    EXPECT_FALSE(pane.OpensFile(3));
    EXPECT_EQ(pane.GetLineNumber(2), 3);
    EXPECT_EQ(pane.GetDisplayText(2), "[3   ] q");
    std::vector<std::string> expected = {"", "/a", "/a", ""};
    EXPECT_EQ(pane.GetPreviousResultLocations(), expected);
}

TEST(FolderList, WildcardsIgnoreCaseAndStarDotStarMatchesEverything)
{
    EXPECT_TRUE(MatchWildcard("*.cpp", "MAIN.CPP"));
    EXPECT_TRUE(MatchWildcard("*.*", "Makefile"));
    EXPECT_TRUE(MatchWildcard("*", ""));
    EXPECT_TRUE(MatchWildcard("a?c*", "abcdef"));
    EXPECT_FALSE(MatchWildcard("a?c", "ac"));
    EXPECT_FALSE(MatchWildcard("*.c", "x.cpp"));
    EXPECT_TRUE(MatchWildcard("*a*b*c", "aXbXbXc"));
}

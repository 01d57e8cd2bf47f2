// The find-in-files form without its window, and the worker that runs its searches.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

#include "findinfiles/FindInFilesForm.h"
#include "findinfiles/FindInFilesResults.h"
#include "findinfiles/FindInFilesSearch.h"
#include "platform/ProfileStore.h"
#include "syntax/SyntaxParserFactory.h"

namespace fs = std::filesystem;

TEST(FindInFilesForm, OptionsComeFromTheControls)
{
    CFindInFilesFormLogic form;
    form.AddFolder("/src/a");
    form.AddFolder("/src/b");
    form.AddFolder("/src/c");
    form.SetFolderChecked(1, false);
    form.m_strSearch = "needle";
    form.m_strFileTypes = "*.c;*.h";
    CFindInFilesResultPane pane;

    auto options = form.BuildSearch(pane, nullptr);
    ASSERT_TRUE(options);
    // The defaults: subfolders on, case and expressions off.
    EXPECT_EQ(options->m_dwFlags, unsigned(CFindInFilesOptions::FlagSubfolders));
    EXPECT_EQ(options->m_strSearch, "needle");
    EXPECT_EQ(options->m_strFileTypes, "*.c;*.h");
    EXPECT_EQ(options->m_locations, (std::vector<std::string>{"/src/a", "/src/c"}));

    form.m_bMatchCase = true;
    form.m_bRegex = true;
    form.m_bSubfolders = false;
    options = form.BuildSearch(pane, nullptr);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->m_dwFlags,
              unsigned(CFindInFilesOptions::FlagMatchCase | CFindInFilesOptions::FlagRegex));
}

TEST(FindInFilesForm, NothingStartsWithoutALocationOrWithABadPane)
{
    CFindInFilesFormLogic form;
    CFindInFilesResultPane pane;
    EXPECT_FALSE(form.BuildSearch(pane, nullptr));
    form.AddFolder("/src");
    form.SetFolderChecked(0, false);
    EXPECT_FALSE(form.BuildSearch(pane, nullptr)) << "no checked folder";
    form.SetFolderChecked(0, true);
    for (int pane_index : {-1, 4})
    {
        form.m_nPane = pane_index;
        EXPECT_FALSE(form.BuildSearch(pane, nullptr)) << pane_index;
    }
    form.m_nPane = 3;
    EXPECT_TRUE(form.BuildSearch(pane, nullptr));
}

TEST(FindInFilesForm, EverySearchRemembersTheWholeFolderList)
{
    CFindInFilesSettings settings;
    settings.m_lastFolders = {"/old"};
    CFindInFilesFormLogic form;
    form.SetFolders(settings.m_lastFolders);
    EXPECT_EQ(form.GetLastAddedFolder(), "/old");
    form.AddFolder("/new");
    form.SetFolderChecked(0, false);
    CFindInFilesResultPane pane;
    ASSERT_TRUE(form.BuildSearch(pane, &settings));
    EXPECT_EQ(settings.m_lastFolders, (std::vector<std::string>{"/old", "/new"}));

    // Searching the previous results leaves the remembered folders alone.
    pane.AddFile("/new/x.c");
    form.RemoveAllFolders();
    form.m_bLookInPrevious = true;
    ASSERT_TRUE(form.BuildSearch(pane, &settings));
    EXPECT_EQ(settings.m_lastFolders, (std::vector<std::string>{"/old", "/new"}));
}

TEST(FindInFilesForm, PreviousResultsGiveEachFileOnceAndSkipHeaderPaths)
{
    CFindInFilesResultPane pane;
    pane.AddHeader("x");
    pane.AddFile("/t/a.c");
    pane.AddMatch("/t/a.c", 3, "x\n");
    pane.AddMatch("/t/a.c", 9, "x\n");
    pane.AddFile("/t/b.c");
    pane.AddMatch("/t/b.c", 1, "x");
    pane.AddEnd(false, 3, "x");
    pane.AddHeader("y");
    pane.AddFile("/t/a.c");
    pane.AddEnd(false, 1, "y");

    CFindInFilesFormLogic form;
    form.AddFolder("/elsewhere");
    form.m_bLookInPrevious = true;
    auto options = form.BuildSearch(pane, nullptr);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->m_locations, (std::vector<std::string>{"/t/a.c", "/t/b.c"}));

    // A pane of header and summary lines only has no location.
    CFindInFilesResultPane empty;
    empty.AddHeader("z");
    empty.AddEnd(false, 0, "z");
    EXPECT_FALSE(form.BuildSearch(empty, nullptr));
}

TEST(FindInFilesForm, FoldersAreListedOnce)
{
    CFindInFilesFormLogic form;
    EXPECT_TRUE(form.AddFolder("/home/u/src"));
    EXPECT_FALSE(form.AddFolder("/home/u/src/"));
    EXPECT_FALSE(form.AddFolder("/home/u/src//"));
    EXPECT_FALSE(form.AddFolder(""));
    // Names differing in case are two folders on this platform.
    EXPECT_TRUE(form.AddFolder("/home/u/Src"));
    EXPECT_TRUE(form.AddFolder("/"));
    EXPECT_EQ(form.GetFolders().size(), 3u);
    EXPECT_EQ(form.GetLastAddedFolder(), "/");

    form.RemoveFolders({2, 0, 2, 7, -1});
    ASSERT_EQ(form.GetFolders().size(), 1u);
    EXPECT_EQ(form.GetFolders()[0].strPath, "/home/u/Src");
    form.RemoveAllFolders();
    EXPECT_TRUE(form.GetFolders().empty());
}

TEST(FindInFilesForm, ControlsFollowTheSearchAndThePreviousResultsSwitch)
{
    CFindInFilesFormLogic form;
    SFindInFilesFormEnable idle = form.GetEnableState(0);
    EXPECT_TRUE(idle.bInputs && idle.bFolderList && idle.bAddFolder && idle.bSubfolders);
    EXPECT_FALSE(idle.bStop || idle.bRemove || idle.bRemoveAll);

    form.AddFolder("/a");
    SFindInFilesFormEnable selected = form.GetEnableState(1);
    EXPECT_TRUE(selected.bRemove && selected.bRemoveAll);

    form.m_bLookInPrevious = true;
    SFindInFilesFormEnable previous = form.GetEnableState(1);
    EXPECT_TRUE(previous.bInputs);
    EXPECT_FALSE(previous.bFolderList || previous.bAddFolder || previous.bSubfolders ||
                 previous.bRemove || previous.bRemoveAll);

    form.m_bLookInPrevious = false;
    form.m_bSearching = true;
    SFindInFilesFormEnable searching = form.GetEnableState(1);
    EXPECT_TRUE(searching.bStop);
    EXPECT_FALSE(searching.bInputs || searching.bFolderList || searching.bRemove ||
                 searching.bRemoveAll || searching.bAddFolder);
}

TEST(FindInFilesForm, ExpressionSnippetsInsertAtTheCaretAndTurnExpressionsOn)
{
    const auto& snippets = CFindInFilesFormLogic::GetExpressionSnippets();
    ASSERT_EQ(snippets.size(), 11u);
    EXPECT_STREQ(snippets[0].pszMenuText, "&Any Character");
    EXPECT_STREQ(snippets[8].pszSnippet, "[a-bA-B]");
    EXPECT_STREQ(snippets[10].pszMenuText, "Define a &Group");

    CFindInFilesFormLogic form;
    std::string text = "ab";
    int caret = form.InsertSnippet(text, 1, 4); // "[^]" with the caret inside
    EXPECT_EQ(text, "a[^]b");
    EXPECT_EQ(caret, 3);
    EXPECT_TRUE(form.m_bRegex);

    form.m_bRegex = false;
    caret = form.InsertSnippet(text, 99, 9); // "[0-9]" at the end, caret after it
    EXPECT_EQ(text, "a[^]b[0-9]");
    EXPECT_EQ(caret, 10);
    EXPECT_EQ(form.InsertSnippet(text, 0, 3), 1);  // "[]": inside the brackets
    EXPECT_EQ(form.InsertSnippet(text, 0, 10), 1); // "()"
    EXPECT_EQ(text, "()[]a[^]b[0-9]");

    form.m_bRegex = false;
    EXPECT_EQ(form.InsertSnippet(text, 2, 11), 2);
    EXPECT_EQ(text, "()[]a[^]b[0-9]");
    EXPECT_FALSE(form.m_bRegex);
}

TEST(FindInFilesForm, FileTypeItemsComeFromTheParsersAndGiveTheirMasks)
{
    CSyntaxParserFactory factory;
    factory.CreateParsers();
    const std::vector<std::string> items = CFindInFilesFormLogic::BuildFileTypeItems(factory);
    ASSERT_GT(items.size(), 10u);
    EXPECT_EQ(items[0], "All Files (*.*)");
    EXPECT_EQ(CFindInFilesFormLogic::FileTypesFromItem(items[0]), "*.*");
    const auto cpp =
        std::find_if(items.begin(), items.end(),
                     [](const std::string& s) { return s.rfind("C/C++ Files (", 0) == 0; });
    ASSERT_NE(cpp, items.end());
    EXPECT_EQ(CFindInFilesFormLogic::FileTypesFromItem(*cpp).substr(0, 12), "*.c;*.cc;*.c");
    // Only the part inside the first brackets, and a typed text stays as it is.
    EXPECT_EQ(CFindInFilesFormLogic::FileTypesFromItem("X (y) Files (*.x)"), "y");
    EXPECT_EQ(CFindInFilesFormLogic::FileTypesFromItem("*.txt"), "*.txt");
}

TEST(FindInFilesForm, RememberedFoldersRoundTrip)
{
    CMemoryProfileStore store;
    CFindInFilesSettings written;
    written.m_lastFolders = {"/a", "/b b", "/c"};
    written.Save(store);
    EXPECT_EQ(store.GetProfileInt("FindInFiles\\Settings", "LastFolders", -1), 3);
    EXPECT_EQ(store.GetProfileString("FindInFiles\\Settings", "LastFolder-02", ""), "/b b");

    CFindInFilesSettings read;
    read.Load(store);
    EXPECT_EQ(read.m_lastFolders, written.m_lastFolders);

    // A shorter list written later is read back as it is.
    written.m_lastFolders = {"/z"};
    written.Save(store);
    read.Load(store);
    EXPECT_EQ(read.m_lastFolders, (std::vector<std::string>{"/z"}));

    // Blank values are skipped; nothing stored reads no folder.
    store.WriteProfileInt("FindInFiles\\Settings", "LastFolders", 3);
    store.WriteProfileString("FindInFiles\\Settings", "LastFolder-01", "  ");
    read.Load(store);
    EXPECT_EQ(read.m_lastFolders, (std::vector<std::string>{"/b b", "/c"}));
    CMemoryProfileStore none;
    read.Load(none);
    EXPECT_TRUE(read.m_lastFolders.empty());
}

namespace
{
class FindInFilesSearchTest : public ::testing::Test
{
protected:
    fs::path root;
    void SetUp() override
    {
        root = fs::temp_directory_path() /
               ("scrivel-fifsearch-" + std::to_string(::getpid()) + "-" +
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
    CFindInFilesOptions Options(const std::string& text)
    {
        CFindInFilesOptions options;
        options.m_strSearch = text;
        options.m_locations = {root.string()};
        return options;
    }

    // Stands for the user-interface thread: waits for a notice, then takes lines in small
    // batches, as a pane does, until the search is over.
    struct SReader
    {
        std::mutex mutex;
        std::condition_variable wake;
        int nNotices = 0;
        int nSeen = 0;
        void Notify()
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++nNotices;
            wake.notify_one();
        }
        CFindInFilesResultPane Drain(CFindInFilesSearch& search, size_t nBatch)
        {
            CFindInFilesResultPane pane;
            while (search.IsBusy())
            {
                {
                    std::unique_lock<std::mutex> lock(mutex);
                    wake.wait_for(lock, std::chrono::milliseconds(50),
                                  [&] { return nNotices > nSeen; });
                    nSeen = nNotices;
                }
                bool bMore = true;
                while (bMore)
                    for (SFindInFilesResultLine& line : search.TakeLines(nBatch, bMore))
                        pane.AddLine(std::move(line.record), std::move(line.strText));
            }
            return pane;
        }
    };
};
} // namespace

TEST_F(FindInFilesSearchTest, BatchesArriveInTheOrderOfTheSearch)
{
    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += "line " + std::to_string(i) + " hit\n";
    for (int f = 0; f < 20; ++f)
        Write("d" + std::to_string(f % 3) + "/f" + std::to_string(f) + ".txt", many);
    Write("z.txt", "nothing here\n");

    // The same search without a thread, into a pane directly.
    struct SDirect : CFindInFilesCallback
    {
        CFindInFilesResultPane pane;
        int n = 0;
        void OnBegin() override { pane.AddHeader("hit"); }
        void OnFile(const std::string& p) override { pane.AddFile(p); }
        void OnLine(const std::string& p, int l, std::string_view t) override
        {
            ++n;
            pane.AddMatch(p, l, t);
        }
        void OnEnd(bool c) override { pane.AddEnd(c, n, "hit"); }
    } direct;
    CFindInFiles engine(direct, Options("hit"));
    CCancelEvent never;
    engine.Search("hit", nullptr, never);

    SReader reader;
    CFindInFilesSearch search;
    ASSERT_TRUE(search.Start(Options("hit"), [&] { reader.Notify(); }));
    CFindInFilesResultPane pane = reader.Drain(search, 97);

    ASSERT_EQ(pane.GetCount(), direct.pane.GetCount());
    for (int i = 0; i < pane.GetCount(); ++i)
    {
        ASSERT_EQ(pane.GetText(i), direct.pane.GetText(i)) << i;
        ASSERT_EQ(pane.GetRecord(i).m_nKind, direct.pane.GetRecord(i).m_nKind);
        ASSERT_EQ(pane.GetRecord(i).m_strPath, direct.pane.GetRecord(i).m_strPath);
        ASSERT_EQ(pane.GetRecord(i).m_nLine, direct.pane.GetRecord(i).m_nLine);
    }
    EXPECT_EQ(pane.GetText(pane.GetCount() - 1), "60000 occurrence(s) have been found.\n");
    EXPECT_EQ(search.GetMatchCount(), 60000);
    // One notice per emptied queue, not one per line.
    EXPECT_LT(reader.nNotices, 60000 / 10);
}

TEST_F(FindInFilesSearchTest, CancelEndsWithCanceledAndAllowsANewSearch)
{
    std::string many;
    for (int i = 0; i < 400000; ++i)
        many += "x\n";
    Write("big.txt", many);

    CFindInFilesSearch search;
    std::mutex mutex;
    std::condition_variable first;
    bool bNotified = false;
    ASSERT_TRUE(search.Start(Options("x"),
                             [&]
                             {
                                 std::lock_guard<std::mutex> lock(mutex);
                                 bNotified = true;
                                 first.notify_one();
                             }));
    {
        std::unique_lock<std::mutex> lock(mutex);
        first.wait(lock, [&] { return bNotified; });
    }
    EXPECT_FALSE(search.Start(Options("x"), {})) << "a second search while one runs";
    search.Cancel();
    EXPECT_TRUE(search.WasCanceled());

    bool bMore = false;
    std::vector<SFindInFilesResultLine> lines = search.TakeLines(SIZE_MAX, bMore);
    EXPECT_FALSE(bMore);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front().strText, "Searching for \"x\" ...");
    EXPECT_EQ(lines.back().strText, "Canceled.\n");
    EXPECT_EQ(lines.back().record.m_nKind, unsigned(CFindInFilesLineData::KindSummary));
    EXPECT_LT(static_cast<int>(lines.size()), 400000);
    EXPECT_FALSE(search.IsBusy());

    // The cancel event was reset: the next search runs to its end.
    Write("big.txt", "x\n");
    SReader reader;
    ASSERT_TRUE(search.Start(Options("x"), [&] { reader.Notify(); }));
    CFindInFilesResultPane pane = reader.Drain(search, 10);
    ASSERT_EQ(pane.GetCount(), 4);
    EXPECT_EQ(pane.GetText(3), "1 occurrence(s) have been found.\n");
}

TEST_F(FindInFilesSearchTest, DestroyingARunningSearchWaitsForItsWorker)
{
    std::string many;
    for (int i = 0; i < 200000; ++i)
        many += "y\n";
    Write("big.txt", many);
    int nNotices = 0;
    {
        CFindInFilesSearch search;
        ASSERT_TRUE(search.Start(Options("y"), [&] { ++nNotices; }));
    }
    // Nothing calls back after the object is gone (the sanitizers watch the rest).
    const int nAfter = nNotices;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(nNotices, nAfter);
}

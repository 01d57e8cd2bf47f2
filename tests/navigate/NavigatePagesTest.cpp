// The favorites and history pages' items, the Explorer page's rules and reopening a file
// where it was left, all without windows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "NavigateFolderTest.h"
#include "app/RecentStringList.h"
#include "navigate/ExplorerPageLogic.h"
#include "navigate/FileRecordListModel.h"
#include "navigate/FileRecordManager.h"
#include "navigate/ReopenService.h"
#include "syntax/SyntaxParserFactory.h"

namespace
{
int64_t Utc(int y, int mon, int d, int h, int min)
{
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mon - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = min;
    return static_cast<int64_t>(::timegm(&tm));
}

// Pages in UTC, with a history read from a file so that every record has a chosen time.
class NavigatePages : public CNavigateFolderTest
{
protected:
    void SetUp() override
    {
        CNavigateFolderTest::SetUp();
        const char* tz = std::getenv("TZ");
        m_bHadTz = tz != nullptr;
        if (tz)
            m_savedTz = tz;
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        m_history.SetLimit(100);
        m_favorites.SetLimit(100);
    }
    void TearDown() override
    {
        if (m_bHadTz)
            ::setenv("TZ", m_savedTz.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
        CNavigateFolderTest::TearDown();
    }

    // Loads records (path, time) into the history, in this order.
    void LoadHistory(const std::vector<std::pair<std::string, int64_t>>& records)
    {
        LoadInto(m_history, records);
    }
    void LoadInto(CFileRecordManager& list,
                  const std::vector<std::pair<std::string, int64_t>>& records)
    {
        std::string xml = "<?xml version=\"1.0\"?>\n<Records Version=\"2.0.0\">\n";
        for (const auto& [path, time] : records)
            xml += "<Record FilePath=\"" + path +
                   "\" FileType=\"Text\" ScrollPosY=\"7\" LastAccessTime=\"" +
                   std::to_string(time) + "\"/>\n";
        xml += "</Records>\n";
        std::ofstream(Path("History")) << xml;
        ASSERT_EQ(list.LoadFileRecords(Path("History")), EFileRecordLoadResult::Loaded);
    }

    CHistoryManager m_history;
    CFavoritesManager m_favorites;
    bool m_bHadTz = false;
    std::string m_savedTz;
};

class CListenerLog : public CFileRecordListListener
{
public:
    std::vector<std::string> events;
    void OnItemInserted(int n) override { events.push_back("insert " + std::to_string(n)); }
    void OnItemRemoving(int n) override { events.push_back("remove " + std::to_string(n)); }
    void OnItemsReset() override { events.push_back("reset"); }
};

std::vector<std::string> Files(const CFileRecordListModel& model)
{
    std::vector<std::string> files;
    for (int i = 0; i < model.GetCount(); ++i)
        files.push_back(model.GetItem(i).strFile);
    return files;
}
} // namespace

TEST_F(NavigatePages, ItemsFollowTheListWithNameFolderAndDayGroup)
{
    const int64_t now = Utc(2024, 6, 12, 10, 0);
    LoadHistory({{"/w/today.c", Utc(2024, 6, 12, 0, 1)},
                 {"/w/sub/yesterday.c", Utc(2024, 6, 11, 23, 59)},
                 {"/six.c", Utc(2024, 6, 6, 0, 0)},
                 {"/w/old.c", Utc(2024, 6, 5, 23, 59)},
                 {"/w/future.c", Utc(2024, 6, 13, 0, 0)},
                 {"/w/never.c", 0}});
    CFileRecordListModel model(m_history, "History", true, [&] { return now; });

    ASSERT_EQ(model.GetCount(), 6);
    EXPECT_EQ(Files(model), (std::vector<std::string>{"today.c", "yesterday.c", "six.c", "old.c",
                                                      "future.c", "never.c"}));
    EXPECT_EQ(model.GetItem(1).strFolder, "/w/sub");
    EXPECT_EQ(model.GetItem(2).strFolder, "/");
    EXPECT_EQ(model.GetItem(0).pRecord, &m_history.GetAt(0));
    const std::vector<int> groups = {DayGroupToday, DayGroupToday + 1, DayGroupToday + 6,
                                     DayGroupOlder, DayGroupOlder,     DayGroupUnknown};
    for (int i = 0; i < model.GetCount(); ++i)
        EXPECT_EQ(model.GetItem(i).nGroup, groups[static_cast<size_t>(i)]) << i;

    const auto& labels = model.GetGroupLabels();
    EXPECT_EQ(labels[DayGroupTitle], "History");
    EXPECT_EQ(labels[DayGroupToday], "Today - Wednesday 2024-06-12");
    EXPECT_EQ(labels[DayGroupToday + 1], "Yesterday - Tuesday 2024-06-11");
    EXPECT_EQ(labels[DayGroupToday + 6], "6 days ago - Thursday 2024-06-06");
    EXPECT_EQ(labels[DayGroupOlder], "More than 6 days ago");
    EXPECT_EQ(labels[DayGroupUnknown], "Unknown");

    // The last day of a month seen on the first of the next is yesterday.
    CHistoryManager monthEnd;
    monthEnd.SetLimit(10);
    LoadInto(monthEnd, {{"/m.c", Utc(2024, 5, 31, 22, 0)}});
    CFileRecordListModel june(monthEnd, "History", true, [] { return Utc(2024, 6, 1, 8, 0); });
    EXPECT_EQ(june.GetItem(0).nGroup, DayGroupToday + 1);
}

TEST_F(NavigatePages, AddingAndRemovingRecordsMovesOnlyTheirItems)
{
    LoadHistory(
        {{"/a/1.c", 100}, {"/a/2.c", 100}, {"/a/3.c", 100}, {"/a/4.c", 100}, {"/a/5.c", 100}});
    CFileRecordListModel model(m_history, "History", true); // the real clock
    CListenerLog log;
    model.SetListener(&log);

    m_history.AddFileRecord("/a/new.c", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(log.events, (std::vector<std::string>{"insert 0"}));
    EXPECT_EQ(model.GetItem(0).strFile, "new.c");
    EXPECT_EQ(model.GetItem(0).nGroup, DayGroupToday);

    // Reopening a listed file moves its item to the top.
    log.events.clear();
    m_history.AddFileRecord("/a/3.c", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(log.events, (std::vector<std::string>{"remove 3", "insert 0"}));
    EXPECT_EQ(Files(model), (std::vector<std::string>{"3.c", "new.c", "1.c", "2.c", "4.c", "5.c"}));

    // Removing three selected items removes exactly their records.
    log.events.clear();
    model.Remove({4, 1, 2});
    EXPECT_EQ(Files(model), (std::vector<std::string>{"3.c", "2.c", "5.c"}));
    ASSERT_EQ(m_history.GetCount(), 3);
    EXPECT_EQ(m_history.GetAt(1).strPath, "/a/2.c");
    EXPECT_EQ(log.events.size(), 3u);

    model.RemoveAll();
    EXPECT_EQ(model.GetCount(), 0);
    EXPECT_EQ(m_history.GetCount(), 0);
    EXPECT_EQ(log.events.back(), "reset");
}

TEST_F(NavigatePages, ARecordAddedOnALaterDayRefillsThePage)
{
    LoadHistory({{"/a/old.c", 100}});
    int64_t now = std::time(nullptr);
    CFileRecordListModel model(m_history, "History", true, [&] { return now; });
    CListenerLog log;
    model.SetListener(&log);
    const std::string today = model.GetGroupLabels()[DayGroupToday];

    // Past midnight: the labels move on and the page is made again.
    now += 2 * 86400;
    m_history.AddFileRecord("/a/new.c", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(log.events, (std::vector<std::string>{"reset"}));
    EXPECT_NE(model.GetGroupLabels()[DayGroupToday], today);
    EXPECT_EQ(model.GetGroupLabels()[DayGroupToday + 2], "2 days ago - " + today.substr(8));
    ASSERT_EQ(model.GetCount(), 2);
    EXPECT_EQ(model.GetItem(0).nGroup, DayGroupToday + 2);
}

TEST_F(NavigatePages, OpenHandsACopyOfTheRecordAndThePagesRule)
{
    LoadHistory({{"/a/1.c", 100}});
    m_favorites.AddFileRecord("/f/fav.c", FileRecordBinary, 0, 0, 0, 0, -1, -1, -1, -1);
    std::vector<std::pair<std::string, bool>> opened;
    auto hook = [&](const SFileRecord& record, bool bRestoreHorizontal)
    {
        opened.emplace_back(record.strPath, bRestoreHorizontal);
        // Reopening records the file again, which frees the record the item showed.
        m_history.AddFileRecord(record.strPath, FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    };
    {
        CFileRecordListModel history(m_history, "History", true);
        CFileRecordListModel favorites(m_favorites, "Favorites", false);
        history.SetOpenHook(hook);
        favorites.SetOpenHook(hook);
        EXPECT_TRUE(history.Open(0));
        EXPECT_TRUE(favorites.Open(0));
        EXPECT_FALSE(history.Open(history.GetCount()));
        EXPECT_FALSE(history.Open(-1));
    }
    EXPECT_EQ(opened,
              (std::vector<std::pair<std::string, bool>>{{"/a/1.c", true}, {"/f/fav.c", false}}));
    // The pages are gone: the lists go on without them.
    m_history.AddFileRecord("/a/after.c", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    m_favorites.RemoveAllFileRecords();
}

TEST(ExplorerPage, AnEmptyFilterListStartsWithAllFilesThenTheParsersMasks)
{
    CRecentStringList filters("Recent\\FileFilters", "%02d", 50);
    FillFileFilters(filters, {"*.c;*.h", "*.txt", "*.py"});
    EXPECT_EQ(filters.GetStrings(), (std::vector<std::string>{"*.*", "*.c;*.h", "*.txt", "*.py"}));

    // The user's own list stays as it is.
    CRecentStringList mine("Recent\\FileFilters", "%02d", 50);
    mine.Add("*.md");
    FillFileFilters(mine, {"*.c"});
    EXPECT_EQ(mine.GetStrings(), (std::vector<std::string>{"*.md"}));

    CSyntaxParserFactory factory;
    factory.CreateParsers();
    std::vector<std::string> masks;
    factory.BuildMaskList(masks);
    CRecentStringList all("Recent\\FileFilters", "%02d", 50);
    FillFileFilters(all, masks);
    ASSERT_GE(all.GetCount(), 2);
    EXPECT_EQ(all.GetAt(0), "*.*");
    EXPECT_EQ(all.GetAt(1), masks[0]);
}

TEST_F(NavigatePages, TheExplorerOpensAtTheLastFolderOrTheNearestOneLeft)
{
    std::filesystem::create_directories(m_folder / "a" / "b");
    const std::string a = Path("a");
    EXPECT_EQ(ChooseExplorerFolder(a + "/b"), a + "/b");
    EXPECT_EQ(ChooseExplorerFolder(a + "/b/"), a + "/b");
    EXPECT_EQ(ChooseExplorerFolder(a + "/gone"), a);
    EXPECT_EQ(ChooseExplorerFolder(a + "/gone/deeper/still"), a);
    std::ofstream(Path("a/file.txt")) << "x";
    EXPECT_EQ(ChooseExplorerFolder(Path("a/file.txt")), a);
    EXPECT_EQ(ChooseExplorerFolder(""), "");
    EXPECT_EQ(ChooseExplorerFolder("relative/name", [](const std::string&) { return false; }), "");
}

namespace
{
class CFakeView : public CViewPlaceTarget
{
public:
    SViewPlace place;
    bool bScrollXTaken = false;
    int nMoves = 0;
    SViewPlace GetViewPlace() const override { return place; }
    void SetViewPlace(const SViewPlace& p, bool bScrollX) override
    {
        const int nKeepX = place.nScrollX;
        place = p;
        if (!bScrollX)
            place.nScrollX = nKeepX;
        bScrollXTaken = bScrollX;
        ++nMoves;
    }
};
} // namespace

TEST_F(NavigatePages, AClosedDocumentReopensWhereItWasLeft)
{
    CReopenService service(m_history, m_favorites);
    CFakeView closing;
    closing.place = {4, 120, 9, 130, 2, 129, 9, 130};
    service.OnDocumentClosing("/p/file.c", FileRecordText, &closing);
    service.OnDocumentClosing("/p/data.bin", FileRecordBinary, &closing);
    ASSERT_EQ(m_history.GetCount(), 2);
    EXPECT_EQ(CReopenService::PlaceOfRecord(m_history.GetAt(1)), closing.place);
    EXPECT_EQ(CReopenService::PlaceOfRecord(m_history.GetAt(0)), SViewPlace{})
        << "a hex document keeps no place";

    CFakeView reopened;
    bool bAlreadyOpen = false;
    std::vector<std::pair<std::string, int>> requests;
    service.SetOpenHook(
        [&](const std::string& path, int nKind)
        {
            requests.emplace_back(path, nKind);
            return CReopenService::SOpened{&reopened, !bAlreadyOpen};
        });

    // From the history page: everything, the horizontal position too.
    EXPECT_TRUE(service.OpenRecord(m_history.GetAt(1), true));
    EXPECT_EQ(reopened.place, closing.place);
    EXPECT_TRUE(reopened.bScrollXTaken);
    EXPECT_EQ(requests.back(), (std::pair<std::string, int>{"/p/file.c", FileRecordText}));

    // From the favorites page: the view keeps its own horizontal position.
    ASSERT_TRUE(service.AddToFavorites("/p/file.c", FileRecordText, &closing));
    reopened.place = {};
    reopened.place.nScrollX = 33;
    EXPECT_TRUE(service.OpenRecord(m_favorites.GetAt(0), false));
    EXPECT_EQ(reopened.place.nScrollX, 33);
    EXPECT_EQ(reopened.place.nScrollY, 120);
    EXPECT_EQ(reopened.place.nSelectionStartY, 129);

    // A document that is open already stays where the user has it.
    bAlreadyOpen = true;
    const int nMoves = reopened.nMoves;
    EXPECT_TRUE(service.OpenRecord(m_history.GetAt(1), true));
    EXPECT_EQ(reopened.nMoves, nMoves);

    // A record of unknown type opens by kind 0, decided from the contents.
    SFileRecord unknown;
    unknown.strPath = "/p/what";
    unknown.nType = FileRecordUnknown;
    service.OpenRecord(unknown, true);
    EXPECT_EQ(requests.back().second, 0);

    // Opening the same path by name restores the newest text record of it.
    CFakeView byName;
    EXPECT_TRUE(service.RestoreFromHistory("/p/file.c", byName));
    EXPECT_EQ(byName.place, closing.place);
    EXPECT_FALSE(service.RestoreFromHistory("/p/data.bin", byName))
        << "binary records have no place";
    EXPECT_FALSE(service.RestoreFromHistory("/p/other.c", byName));
}

TEST_F(NavigatePages, FavoritesCommandsKeepTheMark)
{
    CReopenService service(m_history, m_favorites);
    EXPECT_TRUE(service.AddToFavorites("/p/a.c", FileRecordText, nullptr));
    EXPECT_TRUE(service.AddToFavorites("/p/a.c", FileRecordBinary, nullptr));
    EXPECT_FALSE(service.AddToFavorites("", FileRecordText, nullptr));
    EXPECT_EQ(m_favorites.GetCount(), 2);
    // Removing the text favorite leaves the binary one, so the file stays a favorite.
    EXPECT_TRUE(service.RemoveFromFavorites("/p/a.c", FileRecordText));
    EXPECT_FALSE(service.RemoveFromFavorites("/p/a.c", FileRecordBinary));
    EXPECT_EQ(m_favorites.GetCount(), 0);
}

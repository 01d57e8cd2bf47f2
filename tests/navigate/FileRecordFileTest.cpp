#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "NavigateFolderTest.h"
#include "navigate/FileRecordManager.h"

namespace fs = std::filesystem;

namespace
{
std::string DataPath(const std::string& name)
{
    return std::string(SCRIVEL_TEST_DATA_DIR) + "/" + name;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& data)
{
    std::ofstream(path, std::ios::binary) << data;
}

class FileRecordFile : public CNavigateFolderTest
{
protected:
    size_t CountFiles() const
    {
        return static_cast<size_t>(
            std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()));
    }
};
} // namespace

TEST_F(FileRecordFile, LoadNormalisesValuesAndSaveWritesTheExactFormat)
{
    CHistoryManager history;
    history.SetLimit(1000);
    ASSERT_EQ(history.LoadFileRecords(DataPath("history_input.xml")),
              EFileRecordLoadResult::Loaded);
    ASSERT_EQ(history.GetCount(), 5);

    const SFileRecord& text = history.GetAt(0);
    EXPECT_EQ(text.strPath, "/home/u/a & b.txt");
    EXPECT_EQ(text.nType, FileRecordText); // "text" ignoring case
    EXPECT_EQ(text.nScrollPosY, 20);
    EXPECT_EQ(text.nLastAccessTime, 1700000000);
    const SFileRecord& binary = history.GetAt(1);
    EXPECT_EQ(binary.nType, FileRecordBinary);
    EXPECT_EQ(binary.nSelectionStartX, 0); // missing selection attributes read as 0
    EXPECT_EQ(binary.nLastAccessTime, 0);  // negative time reads as 0
    const SFileRecord& odd = history.GetAt(2);
    EXPECT_EQ(odd.nType, FileRecordUnknown);
    EXPECT_EQ(odd.nScrollPosX, 0);
    EXPECT_EQ(odd.nCursorPosY, 2147483647);
    EXPECT_EQ(odd.nLastAccessTime, 4102444800); // 2100-01-01 survives, not cut to 32 bits
    EXPECT_EQ(history.GetAt(3).strPath, "/home/u/\xC3\x9Cn\xC3\xAF"
                                        "code <1>.txt");
    EXPECT_EQ(history.GetAt(4).strPath, ""); // kept as it was read

    const std::string saved = Path("History");
    ASSERT_EQ(history.SaveFileRecords(saved), 0);
    const std::string expected = ReadFile(DataPath("history_expected.xml"));
    EXPECT_EQ(ReadFile(saved), expected);

    // The written format reads back to the same records and writes the same bytes.
    CHistoryManager again;
    again.SetLimit(1000);
    ASSERT_EQ(again.LoadFileRecords(saved), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(again.SaveFileRecords(saved), 0);
    EXPECT_EQ(ReadFile(saved), expected);
}

TEST_F(FileRecordFile, FavoritesUseTheirOwnElementsAndEmptyListsWriteAnEmptyRoot)
{
    CFavoritesManager favorites;
    favorites.SetLimit(3);
    const std::string path = Path("Favorites");
    ASSERT_EQ(favorites.SaveFileRecords(path), 0);
    EXPECT_EQ(ReadFile(path),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Favorites Version=\"2.0.0\" />\n");

    for (const char* name : {"/1", "/2", "/3"})
        favorites.AddFileRecord(name, FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    favorites.AddFileRecord("/4", FileRecordBinary, 0, 0, 0, 0, -1, -1, -1, -1);
    favorites.AddFileRecord("/5", 7, 0, 0, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(favorites.SaveFileRecords(path), 0);
    const std::string data = ReadFile(path);
    EXPECT_NE(data.find("\t<Favorite FilePath=\"/5\" ScrollPosX=\"0\""), std::string::npos) << data;
    EXPECT_NE(data.find("<Favorite FilePath=\"/4\" FileType=\"Binary\""), std::string::npos)
        << data;

    // A history reader finds no history in a favorites file.
    CHistoryManager history;
    history.SetLimit(10);
    EXPECT_EQ(history.LoadFileRecords(path), EFileRecordLoadResult::WrongFormat);
    EXPECT_EQ(history.GetCount(), 0);

    CFavoritesManager loaded;
    loaded.SetLimit(10);
    ASSERT_EQ(loaded.LoadFileRecords(path), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(loaded.GetCount(), 3);
    EXPECT_EQ(loaded.GetAt(0).nType, FileRecordUnknown);
    EXPECT_EQ(loaded.GetAt(2).strPath, "/3");
}

TEST_F(FileRecordFile, SaveWritesAtMostTheLimitAndLeavesTheListAlone)
{
    CHistoryManager history;
    history.SetLimit(10);
    for (int i = 0; i < 5; ++i)
        history.AddFileRecord("/f" + std::to_string(i), FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    history.SetLimit(3);
    ASSERT_EQ(history.SaveFileRecords(Path("History")), 0);
    EXPECT_EQ(history.GetCount(), 5);
    CHistoryManager loaded;
    loaded.SetLimit(3);
    loaded.LoadFileRecords(Path("History"));
    ASSERT_EQ(loaded.GetCount(), 3);
    EXPECT_EQ(loaded.GetAt(0).strPath, "/f4");
    EXPECT_EQ(loaded.GetAt(2).strPath, "/f2");
}

TEST_F(FileRecordFile, PathBytesSurviveARoundTrip)
{
    // Bytes that are not valid UTF-8, control characters and markup characters.
    const std::string odd = "/home/u/caf\xE9 \x01\t<&>\"'\n.txt";
    CHistoryManager history;
    history.SetLimit(10);
    history.AddFileRecord(odd, FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(history.SaveFileRecords(Path("History")), 0);
    CHistoryManager loaded;
    loaded.SetLimit(10);
    ASSERT_EQ(loaded.LoadFileRecords(Path("History")), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(loaded.GetCount(), 1);
    EXPECT_EQ(loaded.GetAt(0).strPath, odd);
}

TEST_F(FileRecordFile, UnicodeFileWithByteOrderMarkIsRead)
{
    CHistoryManager history;
    history.SetLimit(10);
    ASSERT_EQ(history.LoadFileRecords(DataPath("utf16.xml")), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetAt(0).strPath, "/home/u/\xC3\xBC"
                                        "ber.txt");
    EXPECT_EQ(history.GetAt(0).nCursorPosY, 5);
}

class BadHistoryFile
    : public ::testing::TestWithParam<std::pair<const char*, EFileRecordLoadResult>>
{
};

TEST_P(BadHistoryFile, LeavesTheListAsItWasAndExplains)
{
    CHistoryManager history;
    history.SetLimit(10);
    history.AddFileRecord("/kept", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    EXPECT_EQ(history.LoadFileRecords(DataPath(GetParam().first)), GetParam().second);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetAt(0).strPath, "/kept");
    EXPECT_FALSE(history.GetLoadMessage().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadHistoryFile,
    ::testing::Values(std::make_pair("truncated.xml", EFileRecordLoadResult::Unreadable),
                      std::make_pair("malformed.xml", EFileRecordLoadResult::Unreadable),
                      std::make_pair("binary.xml", EFileRecordLoadResult::Unreadable),
                      std::make_pair("nul_inside.xml", EFileRecordLoadResult::Unreadable),
                      std::make_pair("version_short.xml", EFileRecordLoadResult::WrongFormat),
                      std::make_pair("version_blank.xml", EFileRecordLoadResult::WrongFormat),
                      std::make_pair("version_missing.xml", EFileRecordLoadResult::WrongFormat),
                      std::make_pair("favorites_root.xml", EFileRecordLoadResult::WrongFormat),
                      std::make_pair("nested_root.xml", EFileRecordLoadResult::WrongFormat),
                      // A folder cannot be read as a file.
                      std::make_pair(".", EFileRecordLoadResult::Unreadable)),
    [](const auto& info)
    {
        std::string name = info.param.first;
        if (name == ".")
            return std::string("folder");
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST_F(FileRecordFile, MissingOrEmptyFileIsNothingToRead)
{
    CHistoryManager history;
    history.SetLimit(10);
    EXPECT_EQ(history.LoadFileRecords(Path("none")), EFileRecordLoadResult::Missing);
    WriteFile(Path("History"), "");
    EXPECT_EQ(history.LoadFileRecords(Path("History")), EFileRecordLoadResult::Missing);
    EXPECT_TRUE(history.GetLoadMessage().empty());
    EXPECT_EQ(history.SaveFileRecords(Path("History")), 0);
    EXPECT_FALSE(fs::exists(Path("History.bak")));
}

TEST_F(FileRecordFile, AFileThatCouldNotBeReadIsKeptBeforeItIsOverwritten)
{
    const std::string newer =
        "<?xml version=\"1.0\"?>\n<Records Version=\"3.0.0\"><Record FilePath=\"/a\"/></Records>\n";
    WriteFile(Path("History"), newer);
    CHistoryManager history;
    history.SetLimit(10);
    EXPECT_EQ(history.LoadFileRecords(Path("History")), EFileRecordLoadResult::WrongFormat);
    history.AddFileRecord("/b", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(history.SaveFileRecords(Path("History")), 0);
    EXPECT_EQ(ReadFile(Path("History.bak")), newer);
    EXPECT_NE(ReadFile(Path("History")).find("FilePath=\"/b\""), std::string::npos);

    // Only once: the next save does not replace the kept copy with the new format.
    ASSERT_EQ(history.SaveFileRecords(Path("History")), 0);
    EXPECT_EQ(ReadFile(Path("History.bak")), newer);
}

TEST_F(FileRecordFile, FailedSaveLeavesTheOldFileIntactAndNoTemporaryFile)
{
    const std::string path = Path("History");
    CHistoryManager history;
    history.SetLimit(1000);
    history.AddFileRecord("/old", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(history.SaveFileRecords(path), 0);
    const std::string old = ReadFile(path);
    for (int i = 0; i < 50; ++i)
        history.AddFileRecord("/new" + std::to_string(i), FileRecordText, 0, 0, 0, 0, -1, -1, -1,
                              -1);

    // A disk that fills up: writes beyond 200 bytes fail (EFBIG instead of a signal).
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 200;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int nResult = history.SaveFileRecords(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(nResult, -1);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(CountFiles(), 1u);
    EXPECT_EQ(history.GetCount(), 51);

    EXPECT_EQ(history.SaveFileRecords(Path("no such folder/History")), -1);
}

TEST_F(FileRecordFile, SaveKeepsALinkAndThePermissionsOfTheFileItReplaces)
{
    const std::string real = Path("real-history");
    WriteFile(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("real-history", Path("History"));
    CHistoryManager history;
    history.SetLimit(10);
    ASSERT_EQ(history.SaveFileRecords(Path("History")), 0);
    EXPECT_TRUE(fs::is_symlink(Path("History")));
    EXPECT_NE(ReadFile(real).find("<Records"), std::string::npos);
    struct stat st;
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FileRecordFile, ManyRecordsLoadInFileOrderWithoutLimitOrDuplicateChecks)
{
    std::string data = "<?xml version=\"1.0\"?>\n<Records Version=\"2.0.0\">\n";
    for (int i = 0; i < 20000; ++i)
        data += "\t<Record FilePath=\"/f" + std::to_string(i % 10000) + "\" FileType=\"Text\" />\n";
    data += "</Records>\n";
    WriteFile(Path("History"), data);
    CHistoryManager history;
    history.SetLimit(5);
    ASSERT_EQ(history.LoadFileRecords(Path("History")), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(history.GetCount(), 20000);
    EXPECT_EQ(history.GetAt(10001).strPath, "/f1");
    // The first add brings the list back to its limit.
    history.AddFileRecord("/f1", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1);
    ASSERT_EQ(history.GetCount(), 5);
    EXPECT_EQ(history.GetAt(1).strPath, "/f0");
    EXPECT_EQ(history.GetAt(2).strPath, "/f2");
}

// Long lists: a file of several megabytes is read and written by other means than a small
// one (memory from the system, records placed side by side, elements printed one at a
// time). These cases hold both ways to the result of the XML library working on the whole
// document.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "NavigateFolderTest.h"
#include "navigate/FileRecordManager.h"

namespace fs = std::filesystem;

namespace
{
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

struct SStringWriter : pugi::xml_writer
{
    std::string data;
    void write(const void* p, size_t n) override { data.append(static_cast<const char*>(p), n); }
};

// Numbers as a person or another program may have written them: each is read the way the
// XML library reads it.
const char* const kNumbers[] = {
    "0", "-1",         "120",        "+5",          " 7",          "0x1F", "12abc",
    "",  "2147483647", "2147483648", "-2147483649", "99999999999", "007",  "-0",
    "-", "1e3",        "123456789",  "-123456789",  "1234567890",  "\t-42"};
const char* const kTimes[] = {"1700000000",
                              "-5",
                              "4102444800",
                              "0x10",
                              "9223372036854775807",
                              "99999999999999999999",
                              "123456789012345678",
                              "1234567890123456789",
                              "+9"};
const char* const kTypes[] = {"Text", "binary", "TEXT", "Other", ""};

class FileRecordLarge : public CNavigateFolderTest
{
};
} // namespace

TEST_F(FileRecordLarge, LongFileReadsAsTheLibraryReadsEachValue)
{
    // Over the size from which a file is read into memory from the system.
    std::string data = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Records Version=\"2.0.0\">\n";
    const std::string padding(200, 'p');
    int nRecords = 0;
    for (; data.size() < (size_t(6) << 20); ++nRecords)
    {
        const size_t n = static_cast<size_t>(nRecords);
        data += "\t<Record FilePath=\"/l/" + std::to_string(nRecords) + "&amp;" + padding + "\"";
        if (n % 7 != 3)
            data += std::string(" FileType=\"") + kTypes[n % std::size(kTypes)] + "\"";
        data += std::string(" ScrollPosX=\"") + kNumbers[n % std::size(kNumbers)] +
                "\" CursorPosY=\"" + kNumbers[(n / 3) % std::size(kNumbers)] +
                "\" SelectionEndX=\"" + kNumbers[(n / 5) % std::size(kNumbers)] + "\"";
        if (n % 5 != 0)
            data += std::string(" LastAccessTime=\"") + kTimes[n % std::size(kTimes)] + "\"";
        data += " />\n";
        if (n % 1000 == 1)
            data += "\t<Other FilePath=\"/not/a/record\" />\n";
    }
    data += "</Records>\n";
    WriteFile(Path("History"), data);

    pugi::xml_document reference;
    ASSERT_TRUE(reference.load_file(Path("History").c_str()));
    CHistoryManager history;
    history.SetLimit(nRecords);
    ASSERT_EQ(history.LoadFileRecords(Path("History")), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(history.GetCount(), nRecords);
    int i = 0;
    for (pugi::xml_node element : reference.child("Records").children("Record"))
    {
        const SFileRecord& record = history.GetAt(i++);
        ASSERT_EQ(record.strPath, element.attribute("FilePath").as_string());
        const std::string type = element.attribute("FileType").as_string();
        ASSERT_EQ(record.nType, type == "Text" || type == "TEXT" ? FileRecordText
                                : type == "binary"               ? FileRecordBinary
                                                                 : FileRecordUnknown);
        ASSERT_EQ(record.nScrollPosX, element.attribute("ScrollPosX").as_int()) << i;
        ASSERT_EQ(record.nCursorPosY, element.attribute("CursorPosY").as_int()) << i;
        ASSERT_EQ(record.nSelectionEndX, element.attribute("SelectionEndX").as_int()) << i;
        ASSERT_EQ(record.nSelectionStartX, 0);
        const long long nTime = element.attribute("LastAccessTime").as_llong();
        ASSERT_EQ(record.nLastAccessTime, nTime < 0 ? 0 : nTime) << i;
    }

    // Records placed side by side stay valid while any of them is in the list: keep a few
    // from the start, the middle and the end, then drop the others by trimming.
    std::vector<int> doomed;
    for (int n = 0; n < nRecords; ++n)
        if (n % 4000 != 17 && n != nRecords - 1)
            doomed.push_back(n);
    const int nKept = nRecords - static_cast<int>(doomed.size());
    EXPECT_EQ(history.RemoveFileRecords(doomed), nRecords - nKept);
    ASSERT_EQ(history.GetCount(), nKept);
    EXPECT_EQ(history.GetAt(0).strPath, "/l/17&" + padding);
    EXPECT_EQ(history.GetAt(nKept - 1).strPath,
              "/l/" + std::to_string(nRecords - 1) + "&" + padding);
    history.SetLimit(2);
    ASSERT_EQ(history.AddFileRecord("/new", FileRecordText, 0, 0, 0, 0, -1, -1, -1, -1), 0);
    ASSERT_EQ(history.GetCount(), 2);
    EXPECT_EQ(history.GetAt(1).strPath, "/l/17&" + padding);
}

TEST_F(FileRecordLarge, SaveWritesWhatTheLibrarySavesForTheWholeDocument)
{
    // Every byte but NUL in a path, markup characters, odd types and extreme numbers, and
    // enough records that the writer starts its scratch document afresh several times.
    std::string allBytes;
    for (int c = 1; c < 256; ++c)
        allBytes += static_cast<char>(c);
    const std::vector<std::string> paths = {allBytes, "/a & b <c> \"d\" 'e'", "\t\r\n x \x7f",
                                            std::string(6000, 'L'), "/\xC3\xBC\xE9\xFF"};
    const int kTypeValues[] = {FileRecordText, FileRecordBinary, FileRecordUnknown, FileRecordNone,
                               7};
    CFavoritesManager favorites;
    const int nRecords = 4500;
    favorites.SetLimit(nRecords + 10);
    for (int n = nRecords - 1; n >= 0; --n)
    {
        const size_t i = static_cast<size_t>(n);
        const int nEdge = n % 3 == 0 ? INT32_MIN : n % 3 == 1 ? INT32_MAX : -n;
        ASSERT_EQ(favorites.AddFileRecord(paths[i % paths.size()] + std::to_string(n),
                                          kTypeValues[i % std::size(kTypeValues)], nEdge, n, -n,
                                          nEdge, -1, n, nEdge, 0),
                  0);
    }
    const std::string path = Path("Favorites");
    favorites.SetLimit(nRecords - 5); // the last five are left out
    ASSERT_EQ(favorites.SaveFileRecords(path), 0);

    pugi::xml_document whole;
    pugi::xml_node declaration = whole.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = whole.append_child("Favorites");
    root.append_attribute("Version") = "2.0.0";
    for (int n = 0; n < nRecords - 5; ++n)
    {
        const SFileRecord& record = favorites.GetAt(n);
        pugi::xml_node element = root.append_child("Favorite");
        element.append_attribute("FilePath") = record.strPath.c_str();
        if (record.nType == FileRecordText || record.nType == FileRecordBinary)
            element.append_attribute("FileType") =
                record.nType == FileRecordText ? "Text" : "Binary";
        element.append_attribute("ScrollPosX") = record.nScrollPosX;
        element.append_attribute("ScrollPosY") = record.nScrollPosY;
        element.append_attribute("CursorPosX") = record.nCursorPosX;
        element.append_attribute("CursorPosY") = record.nCursorPosY;
        element.append_attribute("SelectionStartX") = record.nSelectionStartX;
        element.append_attribute("SelectionStartY") = record.nSelectionStartY;
        element.append_attribute("SelectionEndX") = record.nSelectionEndX;
        element.append_attribute("SelectionEndY") = record.nSelectionEndY;
        element.append_attribute("LastAccessTime") = static_cast<long long>(record.nLastAccessTime);
    }
    SStringWriter expected;
    whole.save(expected, "\t", pugi::format_default, pugi::encoding_utf8);
    const std::string saved = ReadFile(path);
    ASSERT_EQ(saved.size(), expected.data.size());
    EXPECT_TRUE(saved == expected.data);

    // The file is long enough to come back by the large way, and reads back unchanged.
    ASSERT_GT(saved.size(), size_t(4) << 20);
    CFavoritesManager loaded;
    loaded.SetLimit(nRecords);
    ASSERT_EQ(loaded.LoadFileRecords(path), EFileRecordLoadResult::Loaded);
    ASSERT_EQ(loaded.GetCount(), nRecords - 5);
    for (int n = 0; n < nRecords - 5; n += 97)
    {
        const SFileRecord& record = favorites.GetAt(n);
        const SFileRecord& back = loaded.GetAt(n);
        EXPECT_EQ(back.strPath, record.strPath);
        EXPECT_EQ(back.nScrollPosX, record.nScrollPosX);
        EXPECT_EQ(back.nSelectionEndY, record.nSelectionEndY);
    }
    ASSERT_EQ(loaded.SaveFileRecords(Path("again")), 0);
    EXPECT_TRUE(ReadFile(Path("again")) == saved);
}

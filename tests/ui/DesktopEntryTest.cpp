// The per-user desktop entry: its text, the quoting of the program path, and writing and
// removing it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "ui/DesktopEntry.h"

namespace
{
std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LineOf(const std::string& text, const std::string& key, size_t from = 0)
{
    const size_t start = text.find("\n" + key + "=", from);
    if (start == std::string::npos)
        return {};
    const size_t end = text.find('\n', start + 1);
    return text.substr(start + 1, end - start - 1);
}
} // namespace

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenNeeded)
{
    EXPECT_EQ(CDesktopEntry::QuoteExecArgument("/usr/bin/scrivel"), "/usr/bin/scrivel");
    EXPECT_EQ(CDesktopEntry::QuoteExecArgument("/home/a b/scrivel"), "\"/home/a b/scrivel\"");
    EXPECT_EQ(CDesktopEntry::QuoteExecArgument("/x/$HOME\"q`"), "\"/x/\\$HOME\\\"q\\`\"");
    EXPECT_EQ(CDesktopEntry::QuoteExecArgument("/x/100%f"), "/x/100%%f"); // no field code
    EXPECT_EQ(CDesktopEntry::QuoteExecArgument(""), "\"\"");
}

TEST(DesktopEntry, OpensAsTextAndOffersTheHexEditorAsAnAction)
{
    const std::string text =
        CDesktopEntry::Build("/opt/my apps/scrivel", "scrivel", {"text/plain", "text/x-csrc"});
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(LineOf(text, "Exec"), "Exec=\"/opt/my apps/scrivel\" -e %f");
    EXPECT_EQ(LineOf(text, "MimeType"), "MimeType=text/plain;text/x-csrc;");
    EXPECT_EQ(LineOf(text, "Actions"), "Actions=hex;");
    const size_t action = text.find("[Desktop Action hex]");
    ASSERT_NE(action, std::string::npos);
    EXPECT_EQ(LineOf(text, "Name", action), "Name=Open in hex editor");
    EXPECT_EQ(LineOf(text, "Exec", action), "Exec=\"/opt/my apps/scrivel\" -e -t:hex %f");
    // A backslash in the path is escaped for the Exec line and again for the value.
    const std::string slash = CDesktopEntry::Build("/a\\b/scrivel", "scrivel", {});
    EXPECT_EQ(LineOf(slash, "Exec"), "Exec=\"/a\\\\\\\\b/scrivel\" -e %f");
}

TEST(DesktopEntry, InstallsIntoAMissingFolderReplacesAndRemoves)
{
    char tmpl[] = "/tmp/scrivel-entry-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    ::setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    const std::string path = CDesktopEntry::UserEntryPath();
    EXPECT_EQ(path, dir + "/data/applications/scrivel.desktop");
    std::string error;
    ASSERT_TRUE(CDesktopEntry::Install(path, "first\n", error)) << error;
    ASSERT_TRUE(CDesktopEntry::Install(path, "second\n", error)) << error;
    EXPECT_EQ(ReadFile(path), "second\n");
    EXPECT_TRUE(CDesktopEntry::Remove(path, error));
    EXPECT_NE(::access(path.c_str(), F_OK), 0);
    EXPECT_TRUE(CDesktopEntry::Remove(path, error)); // already gone: nothing to do
    ::rmdir((dir + "/data/applications").c_str());
    ::rmdir((dir + "/data").c_str());
    ::rmdir(dir.c_str());
}

TEST(DesktopEntry, InstalledEntryOffersTheSameTypesAsThePerUserOne)
{
    const std::string text =
        ReadFile(std::string(SCRIVEL_SOURCE_DIR) + "/resources/scrivel.desktop");
    ASSERT_FALSE(text.empty());
    std::string expected = "MimeType=";
    for (const std::string& type : TextMimeTypes())
        expected += type + ";";
    EXPECT_EQ(LineOf(text, "MimeType"), expected);
    EXPECT_EQ(LineOf(text, "Exec"), "Exec=scrivel -e %f");
    EXPECT_NE(text.find("Exec=scrivel -e -t:hex %f"), std::string::npos);
}

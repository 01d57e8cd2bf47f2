// Real files of this machine go through load and save: what loads cleanly with one kind
// of line ending comes back byte for byte, and a file with mixed endings comes back with
// the detected ending after every line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "EncodingTestFiles.h"
#include "TextEditBufferExTestUtil.h"

namespace
{
// Bounded so the test stays quick under the sanitizers.
constexpr size_t kMaxFilesPerRoot = 150;
constexpr uintmax_t kMaxFileBytes = 512 * 1024;
constexpr uintmax_t kMaxTotalBytes = 12 * 1024 * 1024;

bool IsCompressed(const std::filesystem::path& path)
{
    static const char* const kExtensions[] = {".gz",  ".bz2", ".xz",   ".zst", ".Z",
                                              ".zip", ".lz",  ".lzma", ".7z"};
    const std::string ext = path.extension().string();
    return std::find(std::begin(kExtensions), std::end(kExtensions), ext) != std::end(kExtensions);
}

std::vector<std::string> SampleFiles()
{
    std::vector<std::string> files;
    uintmax_t total = 0;
    for (const char* root : {"/usr/include", "/usr/share/doc"})
    {
        const size_t limit = files.size() + kMaxFilesPerRoot;
        std::error_code ec;
        std::filesystem::recursive_directory_iterator it(
            root, std::filesystem::directory_options::skip_permission_denied, ec);
        for (; !ec && it != std::filesystem::recursive_directory_iterator() && files.size() < limit;
             it.increment(ec))
        {
            const auto& entry = *it;
            if (entry.is_symlink(ec) || !entry.is_regular_file(ec) || IsCompressed(entry.path()))
                continue;
            const uintmax_t size = entry.file_size(ec);
            if (ec || size > kMaxFileBytes || total + size > kMaxTotalBytes)
                continue;
            total += size;
            files.push_back(entry.path().string());
        }
    }
    return files;
}

// Every line ending of the bytes, in order.
std::vector<std::string> Endings(const std::string& bytes)
{
    std::vector<std::string> endings;
    for (size_t i = 0; i < bytes.size(); ++i)
    {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            endings.push_back("\r\n"), ++i;
        else if (bytes[i] == '\r' || bytes[i] == '\n')
            endings.push_back(std::string(1, bytes[i]));
    }
    return endings;
}
} // namespace

TEST(TextEditBufferExRoundTrip, FilesOfThisMachineSaveBackInTheirOwnForm)
{
    CTextCodePageScope codePage(65001);
    CScratchFolder folder;
    const std::string out = folder.Path("out");
    const std::vector<std::string> files = SampleFiles();
    if (files.empty())
        GTEST_SKIP() << "no files under /usr/include or /usr/share/doc";
    int identical = 0, mixed = 0;
    for (const std::string& path : files)
    {
        CTarvoTextEditBufferEx buffer;
        std::string error;
        const LoadResult result = buffer.LoadFile(path, 0, 65001, error);
        if ((result != LoadOk && result != LoadMixedEndings) || buffer.IsWriteProtected())
            continue;
        ASSERT_FALSE(buffer.SaveFile(out, false, error, 0, true)) << path << ": " << error;
        const std::string original = CScratchFolder::Read(path);
        const std::string saved = CScratchFolder::Read(out);
        if (result == LoadOk)
        {
            ASSERT_EQ(saved, original) << path;
            ++identical;
            continue;
        }
        ++mixed;
        const std::vector<std::string> endings = Endings(saved);
        const std::string expected = buffer.GetLineEndString();
        ASSERT_EQ(endings.size(), static_cast<size_t>(buffer.GetLineCount() - 1)) << path;
        ASSERT_TRUE(std::all_of(endings.begin(), endings.end(),
                                [&](const std::string& e) { return e == expected; }))
            << path;
    }
    EXPECT_GT(identical, 0);
    RecordProperty("identical", identical);
    RecordProperty("mixed", mixed);
}

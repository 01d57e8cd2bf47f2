#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

#include "RunUnprivileged.h"
#include "platform/SafeSave.h"

namespace
{
class CSaveFolder
{
public:
    CSaveFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "scrivel-save-XXXXXX").string();
        EXPECT_NE(mkdtemp(pattern.data()), nullptr);
        m_path = pattern;
        chmod(m_path.c_str(), 0777);
    }
    ~CSaveFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Folder() const { return m_path; }
    std::string Write(const std::string& name, const std::string& bytes, mode_t mode = 0666) const
    {
        const std::string path = Path(name);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out << bytes;
        }
        chmod(path.c_str(), mode);
        return path;
    }
    // Names in the folder, so a test sees a temporary file left behind.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(int fd, const std::string& data)
{
    return write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size());
}

bool Save(const std::string& path, const std::string& data, CSafeSave& save)
{
    return save.Begin(path) && WriteAll(save.GetDescriptor(), data) && save.Commit();
}
} // namespace

TEST(SafeSave, ReplacesContentKeepingModeAndLeavesNoTemporaryFile)
{
    CSaveFolder folder;
    const std::string path = folder.Write("a.txt", "old contents", 0640);
    CSafeSave save;
    ASSERT_TRUE(Save(path, "new", save)) << save.GetError();
    EXPECT_EQ(save.GetRoute(), CSafeSave::ERoute::Rename);
    EXPECT_EQ(ReadAll(path), "new");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"a.txt"});
}

TEST(SafeSave, NewFileGetsTheUsualModeAndAbortLeavesNothing)
{
    CSaveFolder folder;
    const mode_t mask = umask(022);
    {
        CSafeSave save;
        ASSERT_TRUE(Save(folder.Path("new.txt"), "x", save));
        struct stat st;
        ASSERT_EQ(stat(folder.Path("new.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0644u);
    }
    {
        CSafeSave save;
        ASSERT_TRUE(save.Begin(folder.Path("other.txt")));
        EXPECT_EQ(save.GetTempPath().rfind(folder.Folder() + "/", 0), 0u);
        WriteAll(save.GetDescriptor(), "partial");
        // Destroyed without Commit: as if the writer failed.
    }
    umask(mask);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"new.txt"});
}

TEST(SafeSave, TemporaryNamesAreFreshEachTime)
{
    CSaveFolder folder;
    CSafeSave a, b;
    ASSERT_TRUE(a.Begin(folder.Path("f")));
    ASSERT_TRUE(b.Begin(folder.Path("f")));
    EXPECT_NE(a.GetTempPath(), b.GetTempPath());
}

TEST(SafeSave, SymbolicLinkStaysALinkAndItsTargetIsReplaced)
{
    CSaveFolder folder;
    const std::string real = folder.Write("real.txt", "old");
    ASSERT_EQ(symlink("real.txt", folder.Path("link.txt").c_str()), 0);
    CSafeSave save;
    ASSERT_TRUE(Save(folder.Path("link.txt"), "new", save)) << save.GetError();
    struct stat st;
    ASSERT_EQ(lstat(folder.Path("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(real), "new");
}

TEST(SafeSave, HardLinkedFileIsWrittenInPlaceSoEveryNameSeesIt)
{
    CSaveFolder folder;
    const std::string path = folder.Write("a.txt", "a much longer old content");
    ASSERT_EQ(link(path.c_str(), folder.Path("b.txt").c_str()), 0);
    struct stat before, after;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    CSafeSave save;
    ASSERT_TRUE(Save(path, "short", save)) << save.GetError();
    EXPECT_EQ(save.GetRoute(), CSafeSave::ERoute::CopyOver);
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(ReadAll(folder.Path("b.txt")), "short");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(SafeSave, RefusesWhatIsNoRegularFile)
{
    CSaveFolder folder;
    CSafeSave save;
    EXPECT_FALSE(save.Begin(folder.Folder()));
    EXPECT_EQ(save.GetErrorNumber(), EISDIR);
    EXPECT_FALSE(save.GetError().empty());
    EXPECT_FALSE(save.Begin(""));
    EXPECT_FALSE(save.Begin(folder.Path("missing/x.txt")));
    EXPECT_EQ(save.GetErrorNumber(), ENOENT);
}

TEST(SafeSave, PermissionsOfAnOrdinaryUser)
{
    CSaveFolder folder;
    const std::string readOnly = folder.Write("ro.txt", "keep me", 0444);
    const std::string writable = folder.Write("rw.txt", "old", 0666);
    struct stat before;
    ASSERT_EQ(stat(writable.c_str(), &before), 0);

    // A read-only file is refused, though the folder would let a new file replace it.
    EXPECT_EQ(RunUnprivileged(
                  [&]
                  {
                      CSafeSave save;
                      if (save.Begin(readOnly))
                          return 1;
                      return save.GetErrorNumber() == EACCES ? 0 : 2;
                  }),
              0);
    EXPECT_EQ(ReadAll(readOnly), "keep me");

    // A folder that takes no new file: the writable file is written over in place, the
    // temporary file living elsewhere meanwhile.
    ASSERT_EQ(chmod(folder.Folder().c_str(), 0555), 0);
    EXPECT_EQ(RunUnprivileged(
                  [&]
                  {
                      CSafeSave save;
                      if (!Save(writable, "new", save))
                          return 1;
                      return save.GetRoute() == CSafeSave::ERoute::CopyOver ? 0 : 2;
                  }),
              0);
    EXPECT_EQ(ReadAll(writable), "new");
    struct stat after;
    ASSERT_EQ(stat(writable.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    // ... and a new file cannot be made there at all.
    EXPECT_EQ(RunUnprivileged(
                  [&]
                  {
                      CSafeSave save;
                      return save.Begin(folder.Path("new.txt")) ? 1 : 0;
                  }),
              0);
    chmod(folder.Folder().c_str(), 0777);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"ro.txt", "rw.txt"}));
}

TEST(SafeSave, FileOfAnotherOwnerKeepsItsOwner)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to make a file of another owner";
    CSaveFolder folder;
    const std::string path = folder.Write("theirs.txt", "old", 0666);
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    // Root can give the new file any owner, so it is renamed; an ordinary user writing a
    // file of another owner goes in place.
    {
        CSafeSave save;
        ASSERT_TRUE(Save(path, "by root", save));
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
    }
    const std::string rootFile = folder.Write("root.txt", "old", 0666);
    EXPECT_EQ(RunUnprivileged(
                  [&]
                  {
                      CSafeSave save;
                      if (!Save(rootFile, "by nobody", save))
                          return 1;
                      return save.GetRoute() == CSafeSave::ERoute::CopyOver ? 0 : 2;
                  }),
              0);
    struct stat st;
    ASSERT_EQ(stat(rootFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(ReadAll(rootFile), "by nobody");
}

// A replaced file keeps its extended attributes: a user attribute, and an access ACL that
// gives another user read access (without it that user would lose access on every save).
TEST(SafeSave, ReplacedFileKeepsItsAttributesAndAccessList)
{
    CSaveFolder folder;
    const std::string path = folder.Write("acl.txt", "old", 0640);
    if (setxattr(path.c_str(), "user.origin", "scanner", 7, 0) != 0 && errno == ENOTSUP)
        GTEST_SKIP() << "the temporary folder's file system keeps no extended attributes";
    ASSERT_EQ(getxattr(path.c_str(), "user.origin", nullptr, 0), 7) << std::strerror(errno);
    // The ACL in the kernel's form: a version, then (tag, permissions, id) entries in order.
    struct Entry
    {
        uint16_t tag, perm;
        uint32_t id;
    };
    const Entry entries[] = {{0x01, 6, 0xFFFFFFFF},  // owner rw
                             {0x02, 4, 65534},       // user 65534 r
                             {0x04, 4, 0xFFFFFFFF},  // owning group r
                             {0x10, 4, 0xFFFFFFFF},  // mask r
                             {0x20, 0, 0xFFFFFFFF}}; // others none
    std::string acl(4, '\0');
    acl[0] = 2; // version 2, little-endian
    acl.append(reinterpret_cast<const char*>(entries), sizeof entries);
    ASSERT_EQ(setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0), 0)
        << std::strerror(errno);

    CSafeSave save;
    ASSERT_TRUE(Save(path, "new", save)) << save.GetError();
    EXPECT_EQ(save.GetRoute(), CSafeSave::ERoute::Rename);
    EXPECT_EQ(ReadAll(path), "new");
    char value[64] = {};
    ASSERT_EQ(getxattr(path.c_str(), "user.origin", value, sizeof value), 7);
    EXPECT_EQ(std::string(value, 7), "scanner");
    std::string copied(256, '\0');
    const ssize_t size = getxattr(path.c_str(), "system.posix_acl_access", copied.data(), copied.size());
    ASSERT_GT(size, 0);
    copied.resize(static_cast<size_t>(size));
    EXPECT_EQ(copied, acl);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // The user named in the list can still read the new contents.
    EXPECT_EQ(RunUnprivileged([&path] { return ReadAll(path) == "new" ? 0 : 1; }), 0);
}

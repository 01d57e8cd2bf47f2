#include "platform/Folders.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (folder.back() == kPathSeparator)
        return folder + name;
    return folder + kPathSeparator + name;
}

bool PathExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolderTree(const std::string& path)
{
    if (path.empty())
        return false;
    if (IsDirectory(path))
        return true;
    // Each prefix that ends before a separator, from the second character on, then the
    // whole path; a prefix that exists or cannot be made is passed over.
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == kPathSeparator)
            ::mkdir(path.substr(0, i).c_str(), 0777);
    ::mkdir(path.c_str(), 0777);
    return IsDirectory(path);
}

std::string GetUserAppDataFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && *home)
        return JoinPath(JoinPath(home, ".local"), "share");
    return {};
}

std::string GetExecutablePath()
{
    char buffer[PATH_MAX + 1];
    ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return {};
    return std::string(buffer, static_cast<size_t>(n));
}

std::string FolderOfPath(const std::string& path)
{
    size_t pos = path.find_last_of(kPathSeparator);
    if (pos == std::string::npos)
        return {};
    if (pos == 0)
        return std::string(1, kPathSeparator);
    return path.substr(0, pos);
}

std::string NameOfPath(const std::string& path)
{
    size_t pos = path.find_last_of(kPathSeparator);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string GetExecutableFolder()
{
    return FolderOfPath(GetExecutablePath());
}

std::string MakeAbsolutePath(const std::string& path)
{
    if (path.empty() || path[0] == kPathSeparator)
        return path;
    char buffer[PATH_MAX + 1];
    if (!::getcwd(buffer, sizeof buffer))
        return path;
    return JoinPath(buffer, path);
}

bool PathsEqual(const std::string& a, const std::string& b)
{
    return a == b;
}

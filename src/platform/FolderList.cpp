#include "platform/FolderList.h"

#include "platform/AsciiCase.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace
{
} // namespace

bool MatchWildcard(const char* pattern, const char* name)
{
    if (std::strcmp(pattern, "*.*") == 0)
        return true;
    // Iterative matching with one backtrack point for the last "*": linear for the
    // patterns of file dialogs and never recursive.
    const char* p = pattern;
    const char* n = name;
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*n)
    {
        if (*p == '*')
        {
            starP = ++p;
            starN = n;
        }
        else if (*p == '?' || (*p && LowerAscii(*p) == LowerAscii(*n)))
        {
            ++p;
            ++n;
        }
        else if (starP)
        {
            p = starP;
            n = ++starN;
        }
        else
            return false;
    }
    while (*p == '*')
        ++p;
    return *p == 0;
}

bool ListFolder(const std::string& folder, std::vector<SFolderEntry>& entries)
{
    entries.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    while (dirent* e = ::readdir(dir))
    {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        SFolderEntry entry;
        entry.strName = e->d_name;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN)
        {
            struct stat st;
            std::string path = folder + "/" + entry.strName;
            if (::lstat(path.c_str(), &st) == 0)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        entry.bFolder = type == DT_DIR;
        if (type == DT_LNK)
        {
            struct stat st;
            std::string path = folder + "/" + entry.strName;
            entry.bLinkToFolder = ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const SFolderEntry& a, const SFolderEntry& b) { return a.strName < b.strName; });
    return true;
}

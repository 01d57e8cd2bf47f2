#include "platform/FolderList.h"

#include "platform/AsciiCase.h"

#include <cstring>

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
    CPlatformFolder open;
    return open.Open(folder) && open.List(entries);
}

#include "navigate/ExplorerPageLogic.h"

#include "platform/Folders.h"

std::string ChooseExplorerFolder(const std::string& strLastFolder,
                                 const std::function<bool(const std::string&)>& isFolder)
{
    auto exists = [&](const std::string& path)
    { return isFolder ? isFolder(path) : IsDirectory(path); };
    std::string folder = strLastFolder;
    while (folder.size() > 1 && folder.back() == kPathSeparator)
        folder.pop_back();
    while (!folder.empty())
    {
        if (exists(folder))
            return folder;
        // A folder that went away (or a file that took its name) gives way to its parent;
        // a relative name runs out of parents and gives the first root.
        std::string parent = FolderOfPath(folder);
        if (parent == folder)
            break;
        folder = std::move(parent);
    }
    return {};
}

#include "app/AppFolders.h"

#include "platform/Folders.h"
#include "platform/ProfileStore.h"

std::string GetAppFolder(CProfileStore& store)
{
    std::string folder = store.GetProfileString("", "AppFolder", "");
    if (folder.empty())
    {
        folder = GetExecutableFolder();
        if (!folder.empty())
            store.WriteProfileString("", "AppFolder", folder);
    }
    return folder;
}

std::string GetUserDataFolder(CProfileStore& store)
{
    std::string appData = GetUserAppDataFolder();
    if (appData.empty())
        return GetAppFolder(store);
    std::string folder = JoinPath(JoinPath(appData, "Vantro Software"), "Scrivel");
    CreateFolderTree(folder);
    return folder;
}

std::string GetFavoritesFilePath(CProfileStore& store)
{
    return JoinPath(GetUserDataFolder(store), "Favorites");
}

std::string GetHistoryFilePath(CProfileStore& store)
{
    return JoinPath(GetUserDataFolder(store), "History");
}

std::string GetHelpFolder(CProfileStore& store)
{
    return JoinPath(GetAppFolder(store), "help");
}

std::string GetHelpFilePath(CProfileStore& store)
{
    return JoinPath(GetHelpFolder(store), "index.html");
}

std::string GetHelpTopicPath(CProfileStore& store, const std::string& topic)
{
    std::string page = topic;
    if (page.rfind("::/", 0) == 0)
        page = page.substr(3);
    if (page.empty())
        return GetHelpFilePath(store);
    return JoinPath(GetHelpFolder(store), page);
}

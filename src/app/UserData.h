#pragma once
// The user's data that outlives a session: the folder last used in a file dialog, the
// history and the favorites, and the file filters last typed.

#include <string>

#include "app/RecentStringList.h"
#include "navigate/FileRecordManager.h"

class CProfileStore;

class CUserData
{
public:
    CUserData();

    // Reads "Settings"/"LastFolder", gives both lists the limit nMaxFiles (already brought
    // into its range by the settings) and loads each list from its file in the user data
    // folder unless the limit is 0, then loads the file-filter list.
    void Load(CProfileStore& store, int nMaxFiles);
    // The same with the two files named by the caller.
    void Load(CProfileStore& store, int nMaxFiles, const std::string& strHistoryFile,
              const std::string& strFavoritesFile);
    // Writes "LastFolder", then the history, the favorites and the file-filter list, to the
    // files the last Load used. Every part is attempted; returns false when a list file
    // could not be written (the old file is then left as it was).
    bool Save(CProfileStore& store);

    const std::string& GetLastFolder() const { return m_strLastFolder; }
    void SetLastFolder(const std::string& strFolder) { m_strLastFolder = strFolder; }

    CHistoryManager& GetHistory() { return m_history; }
    CFavoritesManager& GetFavorites() { return m_favorites; }
    CRecentStringList& GetFileFilters() { return m_fileFilters; }

private:
    std::string m_strLastFolder;
    CHistoryManager m_history;
    CFavoritesManager m_favorites;
    CRecentStringList m_fileFilters;
    std::string m_strHistoryFile;
    std::string m_strFavoritesFile;
};

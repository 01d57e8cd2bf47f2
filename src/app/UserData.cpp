#include "app/UserData.h"

#include "app/AppFolders.h"
#include "platform/ProfileStore.h"

CUserData::CUserData() : m_fileFilters("Recent\\FileFilters", "%02d", 50) {}

void CUserData::Load(CProfileStore& store, int nMaxFiles)
{
    Load(store, nMaxFiles, GetHistoryFilePath(store), GetFavoritesFilePath(store));
}

void CUserData::Load(CProfileStore& store, int nMaxFiles, const std::string& strHistoryFile,
                     const std::string& strFavoritesFile)
{
    m_strHistoryFile = strHistoryFile;
    m_strFavoritesFile = strFavoritesFile;
    m_strLastFolder = store.GetProfileString("Settings", "LastFolder", "");
    m_history.SetLimit(nMaxFiles);
    m_favorites.SetLimit(nMaxFiles);
    if (m_history.GetLimit() != 0)
        m_history.LoadFileRecords(m_strHistoryFile);
    if (m_favorites.GetLimit() != 0)
        m_favorites.LoadFileRecords(m_strFavoritesFile);
    m_fileFilters.Load(store);
}

bool CUserData::Save(CProfileStore& store)
{
    store.WriteProfileString("Settings", "LastFolder", m_strLastFolder);
    bool bOk = true;
    // Without a file name (Load never ran) there is nothing to overwrite.
    if (!m_strHistoryFile.empty() && m_history.SaveFileRecords(m_strHistoryFile) != 0)
        bOk = false;
    if (!m_strFavoritesFile.empty() && m_favorites.SaveFileRecords(m_strFavoritesFile) != 0)
        bOk = false;
    m_fileFilters.Save(store);
    return bOk;
}

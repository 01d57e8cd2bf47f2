#include "textview/gui/TextSearchHistory.h"

CRecentSearchHistory::CRecentSearchHistory()
    : m_find("TextEdit\\Recent\\Find", "%02d", 20),
      m_replace("TextEdit\\Recent\\Replace", "%02d", 20)
{
}

void CRecentSearchHistory::Load(CProfileStore& store)
{
    m_find.Load(store);
    m_replace.Load(store);
}

void CRecentSearchHistory::Save(CProfileStore& store) const
{
    m_find.Save(store);
    m_replace.Save(store);
}

CRecentSearchHistory& CRecentSearchHistory::Instance()
{
    static CRecentSearchHistory history;
    return history;
}

#include "hex/gui/HexEditModule.h"

#include <algorithm>

#include "platform/ProfileStore.h"

namespace
{
CTarvoHexEditModule* g_pInstance = nullptr;
}

CTarvoHexEditModule::CTarvoHexEditModule()
    : m_recentFind("HexEdit\\Recent\\Find", "%02d", kMaxRecentFind)
{
}

CTarvoHexEditModule::~CTarvoHexEditModule()
{
    if (g_pInstance == this)
    {
        g_pInstance = nullptr;
    }
}

CTarvoHexEditModule* CTarvoHexEditModule::GetInstance()
{
    return g_pInstance;
}

void CTarvoHexEditModule::Start(CProfileStore& store)
{
    Load(store);
    m_recentFind.Load(store);
    if (m_recentFind.GetCount() > 0)
    {
        m_strSearchText = m_recentFind.GetAt(0);
    }
    g_pInstance = this;
}

void CTarvoHexEditModule::Stop(CProfileStore& store)
{
    Save(store);
    m_recentFind.Save(store);
}

void CTarvoHexEditModule::SetSearchText(const std::string& strText)
{
    if (strText == m_strSearchText)
    {
        return;
    }
    m_strSearchText = strText;
    for (CHexModuleView* pView : std::vector<CHexModuleView*>(m_views))
    {
        pView->OnSearchTextChanged();
    }
}

void CTarvoHexEditModule::StoreSearchText(const std::string& strText)
{
    m_recentFind.Add(strText);
    SetSearchText(strText);
    if (m_listener)
    {
        m_listener();
    }
}

void CTarvoHexEditModule::AddView(CHexModuleView* pView)
{
    m_views.push_back(pView);
}

void CTarvoHexEditModule::RemoveView(CHexModuleView* pView)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), pView), m_views.end());
}

void CTarvoHexEditModule::NotifySettingsChanged()
{
    for (CHexModuleView* pView : std::vector<CHexModuleView*>(m_views))
    {
        pView->OnHexSettingsChanged();
    }
}

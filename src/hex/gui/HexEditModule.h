#pragma once
// The hex edit module: one object for the life of the process holding the hex settings,
// colours and fonts, the search text shared by the hex views, the find dialog and the
// find tool bar, and the recent-find list ("HexEdit\Recent\Find", up to 20 texts). Start
// reads them from the profile; Stop writes them back. Open hex views register here so
// that a settings change reaches them.

#include <functional>
#include <string>
#include <vector>

#include "app/RecentStringList.h"
#include "hex/HexEditSettings.h"

class CProfileStore;

// A hex view as the module sees it.
class CHexModuleView
{
public:
    virtual ~CHexModuleView() = default;
    // The row size, group size, upper case or font of the module changed.
    virtual void OnHexSettingsChanged() = 0;
    // Highlighted matches follow the search text.
    virtual void OnSearchTextChanged() = 0;
};

class CTarvoHexEditModule : public CHexEditSettings
{
public:
    static constexpr int kMaxRecentFind = 20;

    CTarvoHexEditModule();
    ~CTarvoHexEditModule();
    CTarvoHexEditModule(const CTarvoHexEditModule&) = delete;
    CTarvoHexEditModule& operator=(const CTarvoHexEditModule&) = delete;

    // Reads the settings, colours, fonts and recent-find list; the module becomes the
    // instance.
    void Start(CProfileStore& store);
    // Writes them all back.
    void Stop(CProfileStore& store);

    // The started module, or null.
    static CTarvoHexEditModule* GetInstance();

    // The search text: what the find tool bar shows. SetSearchText only changes it;
    // StoreSearchText also puts it at the top of the recent-find list.
    const std::string& GetSearchText() const { return m_strSearchText; }
    void SetSearchText(const std::string& strText);
    void StoreSearchText(const std::string& strText);
    CRecentStringList& GetRecentFind() { return m_recentFind; }
    // Called after each change of the search text or the recent list (the find tool bar).
    void SetSearchTextListener(std::function<void()> listener) { m_listener = std::move(listener); }

    void AddView(CHexModuleView* pView);
    void RemoveView(CHexModuleView* pView);
    // Tells every open view that the settings changed (after the settings page).
    void NotifySettingsChanged();

private:
    std::string m_strSearchText;
    CRecentStringList m_recentFind;
    std::function<void()> m_listener;
    std::vector<CHexModuleView*> m_views;
};

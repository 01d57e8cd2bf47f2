#include "app/AppSettings.h"

#include "platform/ProfileStore.h"

namespace
{
const char kSettings[] = "Settings";
const char kShell[] = "Integration\\Shell";

bool ReadBool(CProfileStore& store, const char* section, const char* entry, bool bDefault)
{
    return store.GetProfileInt(section, entry, bDefault ? 1 : 0) != 0;
}

void WriteBool(CProfileStore& store, const char* section, const char* entry, bool bValue)
{
    store.WriteProfileInt(section, entry, bValue ? 1 : 0);
}
} // namespace

int CAppSettings::NormalizeMaxFiles(int nValue)
{
    return (nValue < 0 || nValue > 15) ? 1000 : nValue;
}

bool CAppSettings::HasStoredPlacement() const
{
    const bool bAllDefault = m_nWindowPosX == -1 && m_nWindowPosY == -1 &&
                             m_nWindowSizeCX == -1 && m_nWindowSizeCY == -1;
    return !m_bWindowMaximized && !bAllDefault;
}

void CAppSettings::Load(CProfileStore& s)
{
    m_bFileWatch = ReadBool(s, kSettings, "FileWatch", true);
    m_bShowLongTitle = ReadBool(s, kSettings, "ShowLongTitle", false);
    m_bTabbedDocuments = ReadBool(s, kSettings, "TabbedDocuments", true);
    m_bShowMenuBar = ReadBool(s, kSettings, "ShowMenuBar", true);
    m_bShowStandardToolBar = ReadBool(s, kSettings, "ShowStandardToolBar", true);
    m_bShowFindToolBar = ReadBool(s, kSettings, "ShowFindToolBar", true);
    m_bShowNavigateBar = ReadBool(s, kSettings, "ShowNavigateBar", true);
    m_bShowOutputBar = ReadBool(s, kSettings, "ShowOutputBar", false);
    m_bShowStatusBar = ReadBool(s, kSettings, "ShowStatusBar", true);
    m_bShowShellPage = ReadBool(s, kSettings, "ShowShellPage", true);
    m_bShowHistoryPage = ReadBool(s, kSettings, "ShowHistoryPage", true);
    m_nActiveNavigatePage = s.GetProfileInt(kSettings, "ActiveNavigatePage", 0);
    m_nActiveOutputPage = s.GetProfileInt(kSettings, "ActiveOutputPage", 0);
    m_nMaxFiles = NormalizeMaxFiles(s.GetProfileInt(kSettings, "MaxFiles", 1000));
    m_nWindowPosX = s.GetProfileInt(kSettings, "WindowPosX", -1);
    m_nWindowPosY = s.GetProfileInt(kSettings, "WindowPosY", -1);
    m_nWindowSizeCX = s.GetProfileInt(kSettings, "WindowSizeCX", -1);
    m_nWindowSizeCY = s.GetProfileInt(kSettings, "WindowSizeCY", -1);
    m_bWindowMaximized = ReadBool(s, kSettings, "WindowMaximized", true);
    m_bWindowFullScreen = ReadBool(s, kSettings, "WindowFullScreen", false);
    m_nNavigateBarWidth = s.GetProfileInt(kSettings, "NavigateBarWidth", 320);
    m_nOutputBarHeight = s.GetProfileInt(kSettings, "OutputBarHeight", 160);
    m_bEscToClose = ReadBool(s, kSettings, "EscToClose", true);
    m_nPageMarginLeft = s.GetProfileInt(kSettings, "PageMarginLeft", 200);
    m_nPageMarginTop = s.GetProfileInt(kSettings, "PageMarginTop", 500);
    m_nPageMarginRight = s.GetProfileInt(kSettings, "PageMarginRight", 200);
    m_nPageMarginBottom = s.GetProfileInt(kSettings, "PageMarginBottom", 500);
    m_bShellCascaded = ReadBool(s, kShell, "Cascaded", true);
    m_bShellBackground = ReadBool(s, kShell, "Background", false);
}

void CAppSettings::Save(CProfileStore& s) const
{
    WriteBool(s, kSettings, "FileWatch", m_bFileWatch);
    WriteBool(s, kSettings, "ShowLongTitle", m_bShowLongTitle);
    WriteBool(s, kSettings, "TabbedDocuments", m_bTabbedDocuments);
    WriteBool(s, kSettings, "ShowMenuBar", m_bShowMenuBar);
    WriteBool(s, kSettings, "ShowStandardToolBar", m_bShowStandardToolBar);
    WriteBool(s, kSettings, "ShowFindToolBar", m_bShowFindToolBar);
    WriteBool(s, kSettings, "ShowNavigateBar", m_bShowNavigateBar);
    WriteBool(s, kSettings, "ShowOutputBar", m_bShowOutputBar);
    WriteBool(s, kSettings, "ShowStatusBar", m_bShowStatusBar);
    WriteBool(s, kSettings, "ShowShellPage", m_bShowShellPage);
    WriteBool(s, kSettings, "ShowHistoryPage", m_bShowHistoryPage);
    s.WriteProfileInt(kSettings, "ActiveNavigatePage", m_nActiveNavigatePage);
    s.WriteProfileInt(kSettings, "ActiveOutputPage", m_nActiveOutputPage);
    s.WriteProfileInt(kSettings, "MaxFiles", NormalizeMaxFiles(m_nMaxFiles));
    s.WriteProfileInt(kSettings, "WindowPosX", m_nWindowPosX);
    s.WriteProfileInt(kSettings, "WindowPosY", m_nWindowPosY);
    s.WriteProfileInt(kSettings, "WindowSizeCX", m_nWindowSizeCX);
    s.WriteProfileInt(kSettings, "WindowSizeCY", m_nWindowSizeCY);
    WriteBool(s, kSettings, "WindowMaximized", m_bWindowMaximized);
    WriteBool(s, kSettings, "WindowFullScreen", m_bWindowFullScreen);
    s.WriteProfileInt(kSettings, "NavigateBarWidth", m_nNavigateBarWidth);
    s.WriteProfileInt(kSettings, "OutputBarHeight", m_nOutputBarHeight);
    WriteBool(s, kSettings, "EscToClose", m_bEscToClose);
    s.WriteProfileInt(kSettings, "PageMarginLeft", m_nPageMarginLeft);
    s.WriteProfileInt(kSettings, "PageMarginTop", m_nPageMarginTop);
    s.WriteProfileInt(kSettings, "PageMarginRight", m_nPageMarginRight);
    s.WriteProfileInt(kSettings, "PageMarginBottom", m_nPageMarginBottom);
    WriteBool(s, kShell, "Cascaded", m_bShellCascaded);
    WriteBool(s, kShell, "Background", m_bShellBackground);
}

CAppSettings& GetAppSettings()
{
    static CAppSettings settings;
    return settings;
}

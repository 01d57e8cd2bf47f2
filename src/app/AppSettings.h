#pragma once
// The application-wide settings, read once at start-up and written back, all of them, at
// exit. Booleans are stored as 0 or 1 and any stored value other than 0 reads as true.

#include <string>

class CProfileStore;

class CAppSettings
{
public:
    // Section "Settings".
    bool m_bFileWatch = true;
    bool m_bShowLongTitle = false;
    bool m_bTabbedDocuments = true;
    bool m_bShowMenuBar = true;
    bool m_bShowStandardToolBar = true;
    bool m_bShowFindToolBar = true;
    bool m_bShowNavigateBar = true;
    bool m_bShowOutputBar = false;
    bool m_bShowStatusBar = true;
    bool m_bShowShellPage = true;
    bool m_bShowHistoryPage = true;
    int m_nActiveNavigatePage = 0;
    int m_nActiveOutputPage = 0;
    int m_nMaxFiles = 1000;
    int m_nWindowPosX = -1;
    int m_nWindowPosY = -1;
    int m_nWindowSizeCX = -1;
    int m_nWindowSizeCY = -1;
    bool m_bWindowMaximized = true;
    bool m_bWindowFullScreen = false;
    int m_nNavigateBarWidth = 320;
    int m_nOutputBarHeight = 160;
    bool m_bEscToClose = true;

    // Print margins of the page set-up, in hundredths of a millimetre.
    int m_nPageMarginLeft = 200;
    int m_nPageMarginTop = 500;
    int m_nPageMarginRight = 200;
    int m_nPageMarginBottom = 500;

    // Section "Integration\Shell", read by the desktop integration.
    bool m_bShellCascaded = true;
    bool m_bShellBackground = false;

    // Reads every value with its default. A value out of range is replaced as the rules
    // say (see NormalizeMaxFiles) and the replacement is written back by Save.
    void Load(CProfileStore& store);
    // Writes every value, including those never changed.
    void Save(CProfileStore& store) const;

    // Whether the main window is placed from the stored position and size rather than
    // shown maximised.
    bool HasStoredPlacement() const;

    // The list limit of favorites and history: 0 to 15 are kept, anything else becomes 1000.
    static int NormalizeMaxFiles(int nValue);
};

// The application's single settings object.
CAppSettings& GetAppSettings();

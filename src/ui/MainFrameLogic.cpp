#include "ui/MainFrameLogic.h"

#include "app/AppSettings.h"
#include "ui/CommandIds.h"

CMainFrameLogic::CMainFrameLogic(CAppSettings& settings) : m_settings(settings) {}

bool CMainFrameLogic::IsShowCommand(int nId)
{
    switch (nId)
    {
    case ID_VIEW_MENU_BAR:
    case ID_VIEW_STANDARD_TOOLBAR:
    case ID_VIEW_FIND_TOOLBAR:
    case ID_VIEW_NAVIGATE_BAR:
    case ID_VIEW_OUTPUT_BAR:
    case ID_VIEW_STATUS_BAR:
        return true;
    default:
        return false;
    }
}

bool CMainFrameLogic::OnUpdateCommand(int nId, SCommandState& state)
{
    const CAppSettings& s = m_settings;
    switch (nId)
    {
    // The menu bar and the standard tool bar are the two ways back to these commands, so
    // each can be hidden only while the other is shown.
    case ID_VIEW_MENU_BAR:
        state.bChecked = s.m_bShowMenuBar;
        state.bEnabled = s.m_bShowStandardToolBar;
        return true;
    case ID_VIEW_STANDARD_TOOLBAR:
        state.bChecked = s.m_bShowStandardToolBar;
        state.bEnabled = s.m_bShowMenuBar;
        return true;
    // The find boxes live on the tool bars: without a tool bar none is seen.
    case ID_VIEW_FIND_TOOLBAR:
        state.bChecked = s.m_bShowStandardToolBar && s.m_bShowFindToolBar;
        state.bEnabled = s.m_bShowStandardToolBar;
        return true;
    case ID_VIEW_NAVIGATE_BAR:
        state.bChecked = s.m_bShowNavigateBar;
        return true;
    case ID_VIEW_OUTPUT_BAR:
        state.bChecked = s.m_bShowOutputBar;
        return true;
    case ID_VIEW_STATUS_BAR:
        state.bChecked = s.m_bShowStatusBar;
        return true;
    case ID_VIEW_FULL_SCREEN:
        state.bChecked = m_bFullScreen;
        return true;
    default:
        return false;
    }
}

bool CMainFrameLogic::OnCommand(int nId)
{
    CAppSettings& s = m_settings;
    switch (nId)
    {
    case ID_VIEW_MENU_BAR:
        s.m_bShowMenuBar = !s.m_bShowMenuBar;
        return true;
    case ID_VIEW_STANDARD_TOOLBAR:
        s.m_bShowStandardToolBar = !s.m_bShowStandardToolBar;
        return true;
    case ID_VIEW_FIND_TOOLBAR:
        s.m_bShowFindToolBar = !s.m_bShowFindToolBar;
        return true;
    case ID_VIEW_NAVIGATE_BAR:
        s.m_bShowNavigateBar = !s.m_bShowNavigateBar;
        return true;
    case ID_VIEW_OUTPUT_BAR:
        s.m_bShowOutputBar = !s.m_bShowOutputBar;
        return true;
    case ID_VIEW_STATUS_BAR:
        s.m_bShowStatusBar = !s.m_bShowStatusBar;
        return true;
    default:
        return false;
    }
}

EFrameToolBar CMainFrameLogic::ToolBarOf(int nDocumentType)
{
    switch (nDocumentType)
    {
    case kDocTypeText:
        return EFrameToolBar::Text;
    case kDocTypeBinary:
        return EFrameToolBar::Hex;
    default:
        return EFrameToolBar::General;
    }
}

EStatusPanes CMainFrameLogic::StatusPanesOf(int nDocumentType)
{
    switch (nDocumentType)
    {
    case kDocTypeText:
        return EStatusPanes::Text;
    case kDocTypeBinary:
        return EStatusPanes::Hex;
    default:
        return EStatusPanes::MessageOnly;
    }
}

SFrameBars CMainFrameLogic::Bars() const
{
    SFrameBars bars;
    if (m_bFullScreen)
        return bars;
    const CAppSettings& s = m_settings;
    bars.bMenuBar = s.m_bShowMenuBar;
    bars.toolBar = s.m_bShowStandardToolBar ? ToolBarOf(m_nActiveType) : EFrameToolBar::None;
    bars.bFindBoxes = s.m_bShowFindToolBar;
    bars.bStatusBar = s.m_bShowStatusBar;
    bars.bNavigateBar = s.m_bShowNavigateBar;
    bars.bOutputBar = s.m_bShowOutputBar;
    return bars;
}

bool CMainFrameLogic::SetActiveDocumentType(int nType)
{
    if (nType == m_nActiveType)
        return false;
    m_nActiveType = nType;
    return true;
}

EEscapeAction CMainFrameLogic::OnEscape(bool bHasActiveChild) const
{
    if (m_settings.m_bEscToClose)
        return bHasActiveChild ? EEscapeAction::CloseActiveChild : EEscapeAction::CloseMainWindow;
    if (m_bFullScreen)
        return EEscapeAction::LeaveFullScreen;
    return EEscapeAction::Pass;
}

bool CMainFrameLogic::EnterFullScreen(const SWindowPlacement& current)
{
    if (m_bFullScreen)
        return false;
    m_bFullScreen = true;
    m_fullScreenPlacement = current;
    return true;
}

bool CMainFrameLogic::LeaveFullScreen(SWindowPlacement& restore)
{
    if (!m_bFullScreen)
        return false;
    m_bFullScreen = false;
    restore = m_fullScreenPlacement;
    return true;
}

void CMainFrameLogic::StoreOnClose(const SWindowPlacement& current, bool bMinimized,
                                   int nNavigateBarWidth)
{
    CAppSettings& s = m_settings;
    if (nNavigateBarWidth >= 0)
        s.m_nNavigateBarWidth = nNavigateBarWidth;
    if (bMinimized)
        return;
    s.m_bWindowFullScreen = m_bFullScreen;
    const SWindowPlacement& placement = m_bFullScreen ? m_fullScreenPlacement : current;
    s.m_bWindowMaximized = placement.bMaximized;
    if (placement.IsValid())
    {
        s.m_nWindowPosX = placement.x;
        s.m_nWindowPosY = placement.y;
        s.m_nWindowSizeCX = placement.cx;
        s.m_nWindowSizeCY = placement.cy;
    }
}

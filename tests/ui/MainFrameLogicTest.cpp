// The main window's decisions without a window: the Show commands, the bars per document
// type, Esc, and what closing writes back to the settings.

#include <gtest/gtest.h>

#include "app/AppSettings.h"
#include "ui/CommandIds.h"
#include "ui/MainFrameLogic.h"

namespace
{
SCommandState StateOf(CMainFrameLogic& logic, int nId)
{
    SCommandState state;
    EXPECT_TRUE(logic.OnUpdateCommand(nId, state)) << nId;
    return state;
}
} // namespace

TEST(MainFrameLogic, MenuBarAndStandardToolBarCannotBothBeHiddenFromTheMenus)
{
    CAppSettings settings;
    CMainFrameLogic logic(settings);
    EXPECT_TRUE(StateOf(logic, ID_VIEW_MENU_BAR).bEnabled);
    EXPECT_TRUE(StateOf(logic, ID_VIEW_STANDARD_TOOLBAR).bEnabled);

    ASSERT_TRUE(logic.OnCommand(ID_VIEW_MENU_BAR));
    EXPECT_FALSE(settings.m_bShowMenuBar);
    EXPECT_FALSE(StateOf(logic, ID_VIEW_MENU_BAR).bChecked);
    EXPECT_TRUE(StateOf(logic, ID_VIEW_MENU_BAR).bEnabled);
    EXPECT_FALSE(StateOf(logic, ID_VIEW_STANDARD_TOOLBAR).bEnabled);

    logic.OnCommand(ID_VIEW_MENU_BAR);
    logic.OnCommand(ID_VIEW_STANDARD_TOOLBAR);
    EXPECT_FALSE(StateOf(logic, ID_VIEW_MENU_BAR).bEnabled);
    EXPECT_TRUE(StateOf(logic, ID_VIEW_STANDARD_TOOLBAR).bEnabled);
    // The find boxes sit on the tool bar: unchecked and disabled without it, whatever their
    // own switch says.
    EXPECT_TRUE(settings.m_bShowFindToolBar);
    EXPECT_FALSE(StateOf(logic, ID_VIEW_FIND_TOOLBAR).bChecked);
    EXPECT_FALSE(StateOf(logic, ID_VIEW_FIND_TOOLBAR).bEnabled);
}

TEST(MainFrameLogic, ShowCommandsInvertTheirSettingAndCheckFollows)
{
    CAppSettings settings;
    CMainFrameLogic logic(settings);
    struct
    {
        int nId;
        bool CAppSettings::*pFlag;
    } cases[] = {{ID_VIEW_FIND_TOOLBAR, &CAppSettings::m_bShowFindToolBar},
                 {ID_VIEW_NAVIGATE_BAR, &CAppSettings::m_bShowNavigateBar},
                 {ID_VIEW_OUTPUT_BAR, &CAppSettings::m_bShowOutputBar},
                 {ID_VIEW_STATUS_BAR, &CAppSettings::m_bShowStatusBar}};
    for (const auto& c : cases)
    {
        const bool bBefore = settings.*c.pFlag;
        EXPECT_EQ(StateOf(logic, c.nId).bChecked, bBefore) << c.nId;
        ASSERT_TRUE(logic.OnCommand(c.nId));
        EXPECT_EQ(settings.*c.pFlag, !bBefore) << c.nId;
        EXPECT_EQ(StateOf(logic, c.nId).bChecked, !bBefore) << c.nId;
    }
    // Full Screen is the window's to run; its check follows the mode.
    EXPECT_FALSE(logic.OnCommand(ID_VIEW_FULL_SCREEN));
    EXPECT_FALSE(StateOf(logic, ID_VIEW_FULL_SCREEN).bChecked);
    logic.EnterFullScreen({0, 0, 10, 10, false});
    EXPECT_TRUE(StateOf(logic, ID_VIEW_FULL_SCREEN).bChecked);
    SCommandState other;
    EXPECT_FALSE(logic.OnUpdateCommand(ID_FILE_OPEN, other));
}

TEST(MainFrameLogic, ToolBarAndStatusPanesFollowTheActiveDocumentType)
{
    CAppSettings settings;
    CMainFrameLogic logic(settings);
    EXPECT_EQ(logic.Bars().toolBar, EFrameToolBar::General);
    EXPECT_FALSE(logic.SetActiveDocumentType(0));
    EXPECT_TRUE(logic.SetActiveDocumentType(kDocTypeText));
    EXPECT_EQ(logic.Bars().toolBar, EFrameToolBar::Text);
    EXPECT_TRUE(logic.SetActiveDocumentType(kDocTypeBinary));
    EXPECT_EQ(logic.Bars().toolBar, EFrameToolBar::Hex);
    EXPECT_EQ(CMainFrameLogic::StatusPanesOf(kDocTypeBinary), EStatusPanes::Hex);
    EXPECT_EQ(CMainFrameLogic::StatusPanesOf(kDocTypeText), EStatusPanes::Text);
    EXPECT_EQ(CMainFrameLogic::StatusPanesOf(kDocTypeFindInFiles), EStatusPanes::MessageOnly);
    EXPECT_EQ(CMainFrameLogic::ToolBarOf(kDocTypeFindInFiles), EFrameToolBar::General);

    settings.m_bShowStandardToolBar = false;
    EXPECT_EQ(logic.Bars().toolBar, EFrameToolBar::None);
    logic.SetActiveDocumentType(kDocTypeText);
    EXPECT_EQ(logic.Bars().toolBar, EFrameToolBar::None);
}

TEST(MainFrameLogic, FullScreenHidesEveryBarAndGivesBackThePlacementItBeganFrom)
{
    CAppSettings settings;
    settings.m_bShowOutputBar = true;
    CMainFrameLogic logic(settings);
    const SFrameBars before = logic.Bars();
    EXPECT_TRUE(before.bMenuBar && before.bStatusBar && before.bNavigateBar && before.bOutputBar);

    const SWindowPlacement normal{40, 50, 800, 600, false};
    EXPECT_TRUE(logic.EnterFullScreen(normal));
    EXPECT_FALSE(logic.EnterFullScreen({0, 0, 1920, 1080, false})); // already on: kept
    EXPECT_EQ(logic.Bars(), SFrameBars{});
    // Switching a bar while the mode is on changes the setting only.
    logic.OnCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(logic.Bars().bStatusBar);

    SWindowPlacement restore;
    EXPECT_TRUE(logic.LeaveFullScreen(restore));
    EXPECT_EQ(restore, normal);
    EXPECT_FALSE(logic.LeaveFullScreen(restore));
    EXPECT_FALSE(logic.Bars().bStatusBar);
    EXPECT_TRUE(logic.Bars().bOutputBar);
}

TEST(MainFrameLogic, EscClosesWhenAskedToElseLeavesFullScreenElsePasses)
{
    CAppSettings settings;
    CMainFrameLogic logic(settings);
    EXPECT_EQ(logic.OnEscape(true), EEscapeAction::CloseActiveChild);
    EXPECT_EQ(logic.OnEscape(false), EEscapeAction::CloseMainWindow);
    logic.EnterFullScreen({0, 0, 100, 100, false});
    // Closing wins over leaving full screen.
    EXPECT_EQ(logic.OnEscape(true), EEscapeAction::CloseActiveChild);

    settings.m_bEscToClose = false;
    EXPECT_EQ(logic.OnEscape(true), EEscapeAction::LeaveFullScreen);
    EXPECT_EQ(logic.OnEscape(false), EEscapeAction::LeaveFullScreen);
    SWindowPlacement restore;
    logic.LeaveFullScreen(restore);
    EXPECT_EQ(logic.OnEscape(true), EEscapeAction::Pass);
}

TEST(MainFrameLogic, ClosingStoresThePlacementOfTheMomentOrOfBeforeFullScreen)
{
    CAppSettings settings;
    CMainFrameLogic logic(settings);
    logic.StoreOnClose({10, 20, 640, 480, false}, false, 250);
    EXPECT_EQ(settings.m_nWindowPosX, 10);
    EXPECT_EQ(settings.m_nWindowPosY, 20);
    EXPECT_EQ(settings.m_nWindowSizeCX, 640);
    EXPECT_EQ(settings.m_nWindowSizeCY, 480);
    EXPECT_FALSE(settings.m_bWindowMaximized);
    EXPECT_FALSE(settings.m_bWindowFullScreen);
    EXPECT_EQ(settings.m_nNavigateBarWidth, 250);

    // In full screen: the placement from before the mode, maximized as it was then.
    logic.EnterFullScreen({30, 40, 700, 500, true});
    logic.StoreOnClose({0, 0, 1920, 1080, false}, false, -1);
    EXPECT_TRUE(settings.m_bWindowFullScreen);
    EXPECT_TRUE(settings.m_bWindowMaximized);
    EXPECT_EQ(settings.m_nWindowPosX, 30);
    EXPECT_EQ(settings.m_nWindowSizeCX, 700);
    // A navigation bar never laid out keeps the stored width.
    EXPECT_EQ(settings.m_nNavigateBarWidth, 250);
}

TEST(MainFrameLogic, MinimizedOrSizelessWindowKeepsThePreviousRunsPlacement)
{
    CAppSettings settings;
    settings.m_nWindowPosX = 5;
    settings.m_nWindowPosY = 6;
    settings.m_nWindowSizeCX = 700;
    settings.m_nWindowSizeCY = 500;
    settings.m_bWindowMaximized = false;
    settings.m_bWindowFullScreen = true;
    CMainFrameLogic logic(settings);
    logic.StoreOnClose({100, 100, 300, 200, true}, true, 200);
    EXPECT_EQ(settings.m_nWindowPosX, 5);
    EXPECT_EQ(settings.m_nWindowSizeCY, 500);
    EXPECT_FALSE(settings.m_bWindowMaximized);
    EXPECT_TRUE(settings.m_bWindowFullScreen);
    EXPECT_EQ(settings.m_nNavigateBarWidth, 200); // the bar's width is still taken

    // A maximized window that never had a normal rectangle keeps the stored one.
    logic.StoreOnClose({0, 0, 0, 0, true}, false, -1);
    EXPECT_TRUE(settings.m_bWindowMaximized);
    EXPECT_FALSE(settings.m_bWindowFullScreen);
    EXPECT_EQ(settings.m_nWindowPosX, 5);
    EXPECT_EQ(settings.m_nWindowSizeCX, 700);
}

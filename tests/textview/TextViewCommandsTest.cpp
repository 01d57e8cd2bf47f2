// The display toggles: check marks follow the layout, and every toggle is stored so that
// the next view starts with it.

#include <gtest/gtest.h>

#include "TextViewTestUtil.h"
#include "syntax/TextEditSettings.h"
#include "textview/TextViewCommands.h"

TEST(TextViewCommands, TogglesCheckAndStoreForNewViews)
{
    CTarvoTextEditBuffer buffer;
    MakeBuffer(buffer, "text");
    CTextEditSettings settings;
    settings.m_bShowLineNumbers = false;
    settings.m_bWrapLines = true;
    CTextLayout layout;
    layout.SetBuffer(&buffer);
    CTextViewOptions options(layout, &settings);
    options.ApplySettings();
    EXPECT_TRUE(layout.GetWordWrap());
    EXPECT_EQ(layout.GetViewFlags() & ViewLineNumbers, 0u);

    int changed = 0;
    options.m_fnChanged = [&](int) { ++changed; };
    for (const SCommandInfo& info : CTextViewOptions::GetCommandInfos())
    {
        SCommandState before;
        ASSERT_TRUE(options.OnUpdateCommand(info.nId, before)) << info.nId;
        EXPECT_TRUE(before.bEnabled);
        ASSERT_TRUE(options.OnCommand(info.nId));
        SCommandState after;
        options.OnUpdateCommand(info.nId, after);
        EXPECT_NE(before.bChecked, after.bChecked) << info.pszMenuText;
    }
    EXPECT_EQ(changed, 8);
    // Every switch flipped, and the settings say so for the next view.
    EXPECT_TRUE(settings.m_bShowLineNumbers);
    EXPECT_FALSE(settings.m_bWrapLines);
    EXPECT_FALSE(settings.m_bHighlightSyntax);
    EXPECT_FALSE(settings.m_bHighlightCurrentLine);
    EXPECT_FALSE(settings.m_bShowIndicatorMargin);
    EXPECT_FALSE(settings.m_bTrackChanges);
    EXPECT_TRUE(settings.m_bShowWhitespace);
    EXPECT_TRUE(settings.m_bShowLineEndings);
    CTextLayout next;
    CTextViewOptions nextOptions(next, &settings);
    nextOptions.ApplySettings();
    EXPECT_EQ(next.GetViewFlags(), layout.GetViewFlags());
    EXPECT_TRUE(next.GetShowWhitespace());

    SCommandState other;
    EXPECT_FALSE(options.OnUpdateCommand(12345, other));
}

TEST(TextViewCommands, WhitespaceGoesToTheDocumentWhenItTakesIt)
{
    CTextLayout layout;
    CTextViewOptions options(layout, nullptr);
    bool ws = false, le = false;
    options.m_fnDocumentSwitches = [&](bool w, bool l) { ws = w, le = l; };
    options.OnCommand(ID_VIEW_LINE_ENDINGS);
    EXPECT_TRUE(le);
    EXPECT_FALSE(ws);
    EXPECT_FALSE(layout.GetShowLineEndings()); // the document applies it to its views
}

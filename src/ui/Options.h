#pragma once
// What the "Options" sheet edits, without the sheet: the values copied out of their owners
// (the application settings, the text edit module, the tab options, the hex settings), the
// rules the pages enforce, and, after OK or Apply, what changed and must be applied to open
// documents. The hooks that apply changes are connected by the parts that own documents.

#include <functional>
#include <string>

#include "syntax/SyntaxColors.h"
#include "syntax/SyntaxEditFonts.h"
#include "syntax/TextEditSettings.h"

class CAppSettings;
class CHexEditSettings;
class CTarvoTextEditModule;

// Tab handling of text documents: kept in memory for the session.
struct STabOptions
{
    static constexpr int kMinTabSize = 1;
    static constexpr int kMaxTabSize = 64;
    int nTabSize = 4;
    bool bKeepTabs = true; // false: a typed tab inserts blanks
    bool operator==(const STabOptions&) const = default;
};

// The hex editor's values the sheet edits: a copy of the hex settings' members of the
// same names, which also hold the rule of valid sizes (CHexEditSettings::AreValidSizes).
struct SHexOptions
{
    bool bShowUppercase = true;
    int nRowSize = 16;
    int nGroupSize = 4;
    bool bBackupFile = false;
    bool operator==(const SHexOptions&) const = default;

    static SHexOptions FromSettings(const CHexEditSettings& settings);
    void ToSettings(CHexEditSettings& settings) const;
};

// The colour items of the text display page: "Background Color" sets classes 1 and 2
// together; the others set one class each; classes 9 to 15 also have a bold flag.
struct SColorItem
{
    const char* pszName;
    int nClass;
    bool bHasBold;
};
constexpr int kColorItemCount = 9;
const SColorItem& ColorItem(int nItem);
COLORREF GetItemColor(const CSyntaxColors& colors, int nItem);
void SetItemColor(CSyntaxColors& colors, int nItem, COLORREF color);

// Points of a font description's height at a resolution, and back (negative height =
// character height in pixels, as stored).
int FontPointsOfHeight(int32_t nHeight, int nLogPixelsY);
int32_t FontHeightOfPoints(int nPoints, int nLogPixelsY);

// Hooks that make changed values take effect in open documents and windows. Any may be
// empty (nothing of that kind is open to apply to).
struct SOptionsHooks
{
    std::function<void()> updateTitles;       // "ShowLongTitle" changed
    std::function<void(bool)> applyFileWatch; // "FileWatch" changed: start or stop watching
    std::function<void(bool)> applyTabbed;    // "TabbedDocuments" changed
    std::function<void(const STabOptions&)> applyTabSettings;
    std::function<void()> applyTextDisplay; // display switches, colours or font changed
    std::function<void()> applyHexLayout;   // row size, group size or upper case changed
    // The hex settings' owner; while these are empty the hex page is not offered.
    std::function<SHexOptions()> readHexOptions;
    std::function<void(const SHexOptions&)> writeHexOptions;
};

// The session's option state that has no other owner, and the hooks.
struct SOptionsContext
{
    STabOptions tabs;
    SOptionsHooks hooks;
};

// Everything the sheet shows, as one value.
struct SOptionsValues
{
    // General.
    bool bFileWatch = true;
    bool bShowLongTitle = false;
    bool bTabbedDocuments = true;
    bool bEscToClose = true;
    bool bShowShellPage = true;
    bool bShowHistoryPage = true;
    // Text editor.
    STabOptions tabs;
    int nDefaultCodePage = 0;
    SFontDescription font;
    int nLogPixelsY = 96;
    // Text display.
    CTextEditSettings display;
    CSyntaxColors colors;
    // Hex editor.
    bool bHexAvailable = false;
    SHexOptions hex;
};

// What OK or Apply changed.
struct SOptionsChanges
{
    bool bTitles = false;
    bool bFileWatch = false;
    bool bTabbed = false;
    bool bTabSettings = false;
    bool bTextDisplay = false;
    bool bHexLayout = false;
    bool bHexOther = false;
    bool bDefaultCodePage = false;
    bool Any() const
    {
        return bTitles || bFileWatch || bTabbed || bTabSettings || bTextDisplay || bHexLayout ||
               bHexOther || bDefaultCodePage;
    }
};

// Copies the values out of their owners; pModule may be null (no text module: the text
// pages show the defaults and write nowhere).
SOptionsValues ReadOptions(const CAppSettings& settings, const CTarvoTextEditModule* pModule,
                           const SOptionsContext& context);

// Writes the values back into their owners and reports what changed. The default code
// page is stored for the next start only: text already in memory stays in the code page it
// was read into, so that no open document is reinterpreted.
SOptionsChanges WriteOptions(const SOptionsValues& values, CAppSettings& settings,
                             CTarvoTextEditModule* pModule, SOptionsContext& context);

// Calls the hooks of what changed.
void ApplyOptionChanges(const SOptionsChanges& changes, const SOptionsValues& values,
                        const SOptionsContext& context);

#include "ui/Options.h"

#include <cmath>

#include "app/AppSettings.h"
#include "hex/HexEditSettings.h"
#include "syntax/SyntaxParser.h"
#include "syntax/TextEditModule.h"

namespace
{
const SColorItem kColorItems[kColorItemCount] = {
    {"Background Color", 1, false},
    {"Text Color", kSyntaxColorNormal, false},
    {"Keywords", kSyntaxColorKeyword, true},
    {"Function Names", kSyntaxColorFunction, true},
    {"Comments", kSyntaxColorComment, true},
    {"Numbers", kSyntaxColorNumber, true},
    {"Operators", kSyntaxColorOperator, true},
    {"Strings", kSyntaxColorString, true},
    {"Preprocessors", kSyntaxColorPreprocessor, true},
};

bool SameColors(const CSyntaxColors& a, const CSyntaxColors& b)
{
    for (int i = 0; i < CSyntaxColors::kCount; ++i)
        if (a.GetColor(i) != b.GetColor(i) || a.GetBold(i) != b.GetBold(i))
            return false;
    return true;
}

bool SameDisplay(const CTextEditSettings& a, const CTextEditSettings& b)
{
    return a.m_bShowLineNumbers == b.m_bShowLineNumbers &&
           a.m_bShowIndicatorMargin == b.m_bShowIndicatorMargin &&
           a.m_bTrackChanges == b.m_bTrackChanges && a.m_bShowWhitespace == b.m_bShowWhitespace &&
           a.m_bShowLineEndings == b.m_bShowLineEndings &&
           a.m_bHighlightSyntax == b.m_bHighlightSyntax &&
           a.m_bHighlightCurrentLine == b.m_bHighlightCurrentLine &&
           a.m_bWrapLines == b.m_bWrapLines;
}
} // namespace

SHexOptions SHexOptions::FromSettings(const CHexEditSettings& settings)
{
    SHexOptions options;
    options.bShowUppercase = settings.m_bShowUppercase;
    options.nRowSize = settings.m_nRowSize;
    options.nGroupSize = settings.m_nGroupSize;
    options.bBackupFile = settings.m_bBackupFile;
    return options;
}

void SHexOptions::ToSettings(CHexEditSettings& settings) const
{
    settings.m_bShowUppercase = bShowUppercase;
    settings.m_nRowSize = nRowSize;
    settings.m_nGroupSize = nGroupSize;
    settings.m_bBackupFile = bBackupFile;
}

const SColorItem& ColorItem(int nItem)
{
    return kColorItems[nItem];
}

COLORREF GetItemColor(const CSyntaxColors& colors, int nItem)
{
    return colors.GetColor(kColorItems[nItem].nClass);
}

void SetItemColor(CSyntaxColors& colors, int nItem, COLORREF color)
{
    colors.SetColor(kColorItems[nItem].nClass, color);
    // The text background and the background of every parser run are one choice.
    if (kColorItems[nItem].nClass == 1)
        colors.SetColor(kSyntaxColorBackground, color);
}

int FontPointsOfHeight(int32_t nHeight, int nLogPixelsY)
{
    if (nLogPixelsY <= 0)
        nLogPixelsY = 96;
    const double pixels = std::abs(static_cast<double>(nHeight));
    return static_cast<int>(std::lround(pixels * 72.0 / nLogPixelsY));
}

int32_t FontHeightOfPoints(int nPoints, int nLogPixelsY)
{
    if (nLogPixelsY <= 0)
        nLogPixelsY = 96;
    return -static_cast<int32_t>(std::lround(nPoints * static_cast<double>(nLogPixelsY) / 72.0));
}

SOptionsValues ReadOptions(const CAppSettings& s, const CTarvoTextEditModule* pModule,
                           const SOptionsContext& context)
{
    SOptionsValues v;
    v.bFileWatch = s.m_bFileWatch;
    v.bShowLongTitle = s.m_bShowLongTitle;
    v.bTabbedDocuments = s.m_bTabbedDocuments;
    v.bEscToClose = s.m_bEscToClose;
    v.bShowShellPage = s.m_bShowShellPage;
    v.bShowHistoryPage = s.m_bShowHistoryPage;
    v.tabs = context.tabs;
    if (pModule)
    {
        v.display = pModule->GetSettings();
        v.nDefaultCodePage = v.display.m_nDefaultCodePage;
        v.colors = pModule->GetColors();
        v.font = pModule->GetFonts().GetBaseFont();
        v.nLogPixelsY = pModule->GetFonts().GetLogPixelsY();
    }
    else
        v.font = CSyntaxEditFonts::DefaultFont(v.nLogPixelsY);
    v.bHexAvailable = context.hooks.readHexOptions && context.hooks.writeHexOptions;
    if (v.bHexAvailable)
        v.hex = context.hooks.readHexOptions();
    return v;
}

SOptionsChanges WriteOptions(const SOptionsValues& v, CAppSettings& s,
                             CTarvoTextEditModule* pModule, SOptionsContext& context)
{
    SOptionsChanges c;
    c.bTitles = v.bShowLongTitle != s.m_bShowLongTitle;
    c.bFileWatch = v.bFileWatch != s.m_bFileWatch;
    c.bTabbed = v.bTabbedDocuments != s.m_bTabbedDocuments;
    s.m_bFileWatch = v.bFileWatch;
    s.m_bShowLongTitle = v.bShowLongTitle;
    s.m_bTabbedDocuments = v.bTabbedDocuments;
    s.m_bEscToClose = v.bEscToClose;
    s.m_bShowShellPage = v.bShowShellPage;
    s.m_bShowHistoryPage = v.bShowHistoryPage;

    c.bTabSettings = !(v.tabs == context.tabs);
    context.tabs = v.tabs;

    if (pModule)
    {
        CTextEditSettings& display = pModule->GetSettings();
        c.bDefaultCodePage = v.nDefaultCodePage != display.m_nDefaultCodePage;
        c.bTextDisplay = !SameDisplay(v.display, display) ||
                         !SameColors(v.colors, pModule->GetColors()) ||
                         !(v.font == pModule->GetFonts().GetBaseFont());
        const bool bTrackChanges = v.display.m_bTrackChanges != display.m_bTrackChanges;
        const int nCodePage = display.m_nDefaultCodePage;
        display = v.display;
        // Only the stored value changes; see the header.
        display.m_nDefaultCodePage = v.nDefaultCodePage;
        if (bTrackChanges)
        {
            // New buffers stamp revisions as the switch says; the code page in memory stays.
            CTextEditSettings current = display;
            current.m_nDefaultCodePage = nCodePage;
            current.Apply();
        }
        pModule->GetColors() = v.colors;
        pModule->GetFonts().SetBaseFont(v.font);
    }

    if (v.bHexAvailable && context.hooks.readHexOptions && context.hooks.writeHexOptions)
    {
        const SHexOptions before = context.hooks.readHexOptions();
        c.bHexLayout = before.bShowUppercase != v.hex.bShowUppercase ||
                       before.nRowSize != v.hex.nRowSize || before.nGroupSize != v.hex.nGroupSize;
        c.bHexOther = before.bBackupFile != v.hex.bBackupFile;
        if (c.bHexLayout || c.bHexOther)
            context.hooks.writeHexOptions(v.hex);
    }
    return c;
}

void ApplyOptionChanges(const SOptionsChanges& c, const SOptionsValues& v,
                        const SOptionsContext& context)
{
    const SOptionsHooks& h = context.hooks;
    if (c.bTabbed && h.applyTabbed)
        h.applyTabbed(v.bTabbedDocuments);
    if (c.bTitles && h.updateTitles)
        h.updateTitles();
    if (c.bFileWatch && h.applyFileWatch)
        h.applyFileWatch(v.bFileWatch);
    if (c.bTabSettings && h.applyTabSettings)
        h.applyTabSettings(v.tabs);
    if (c.bTextDisplay && h.applyTextDisplay)
        h.applyTextDisplay();
    if (c.bHexLayout && h.applyHexLayout)
        h.applyHexLayout();
}

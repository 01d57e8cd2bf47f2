#include "syntax/TextEditSettings.h"

#include "platform/ProfileStore.h"
#include "platform/SystemInfo.h"
#include "text/TextEditBuffer.h"

namespace
{
const char kSection[] = "TextEdit\\Settings";

bool ReadBool(CProfileStore& store, const char* entry, bool bDefault)
{
    return store.GetProfileInt(kSection, entry, bDefault ? 1 : 0) != 0;
}
} // namespace

void CTextEditSettings::Load(CProfileStore& store)
{
    m_bShowLineNumbers = ReadBool(store, "ShowLineNumbers", true);
    m_bShowIndicatorMargin = ReadBool(store, "ShowIndicatorMargin", true);
    m_bTrackChanges = ReadBool(store, "TrackChanges", true);
    m_bShowWhitespace = ReadBool(store, "ShowWhitespace", false);
    m_bShowLineEndings = ReadBool(store, "ShowLineEndings", false);
    m_bHighlightSyntax = ReadBool(store, "HighlightSyntax", true);
    m_bHighlightCurrentLine = ReadBool(store, "HighlightCurrentLine", true);
    m_nDefaultCodePage = store.GetProfileInt(kSection, "DefaultCodePage", GetAnsiCodePage());
    m_bWrapLines = ReadBool(store, "WrapLines", false);
}

void CTextEditSettings::Save(CProfileStore& store) const
{
    store.WriteProfileInt(kSection, "ShowLineNumbers", m_bShowLineNumbers ? 1 : 0);
    store.WriteProfileInt(kSection, "ShowIndicatorMargin", m_bShowIndicatorMargin ? 1 : 0);
    store.WriteProfileInt(kSection, "TrackChanges", m_bTrackChanges ? 1 : 0);
    store.WriteProfileInt(kSection, "ShowWhitespace", m_bShowWhitespace ? 1 : 0);
    store.WriteProfileInt(kSection, "ShowLineEndings", m_bShowLineEndings ? 1 : 0);
    store.WriteProfileInt(kSection, "HighlightSyntax", m_bHighlightSyntax ? 1 : 0);
    store.WriteProfileInt(kSection, "HighlightCurrentLine", m_bHighlightCurrentLine ? 1 : 0);
    store.WriteProfileInt(kSection, "DefaultCodePage",
                          m_nDefaultCodePage ? m_nDefaultCodePage : GetAnsiCodePage());
    store.WriteProfileInt(kSection, "WrapLines", m_bWrapLines ? 1 : 0);
}

void CTextEditSettings::Apply() const
{
    SetTextCodePage(m_nDefaultCodePage);
    SetTrackChangesDefault(m_bTrackChanges);
}

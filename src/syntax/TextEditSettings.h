#pragma once
// The text editor's display and text switches of "TextEdit\Settings", read once at start-up
// and written back, all of them, at exit. Any stored value other than 0 reads as true.
// (The font and margin font height of the same section belong to the font description.)

class CProfileStore;

struct CTextEditSettings
{
    bool m_bShowLineNumbers = true;
    bool m_bShowIndicatorMargin = true;
    bool m_bTrackChanges = true;
    bool m_bShowWhitespace = false;
    bool m_bShowLineEndings = false;
    bool m_bHighlightSyntax = true;
    bool m_bHighlightCurrentLine = true;
    // The code page of text in memory; 0 until loaded, then the stored value or the
    // system's ANSI code page.
    int m_nDefaultCodePage = 0;
    bool m_bWrapLines = false;

    void Load(CProfileStore& store);
    void Save(CProfileStore& store) const;
    // Makes the values take effect for the text layers: the code page of text in memory
    // and whether new buffers stamp revisions for change marks.
    void Apply() const;
};

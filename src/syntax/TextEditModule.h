#pragma once
// The text edit module: one object for the life of the process that owns the parser
// factory, the colour table and the font description (the HTML export joins them later).
// Start registers the factory as the text buffer's parser lookup; Stop saves the settings,
// unregisters it and deletes the parsers.

#include <vector>

#include "syntax/SyntaxColors.h"
#include "syntax/SyntaxEditFonts.h"
#include "syntax/SyntaxParserFactory.h"
#include "syntax/TextEditSettings.h"

class CProfileStore;

class CTarvoTextEditModule
{
public:
    explicit CTarvoTextEditModule(int nLogPixelsY = 96);
    CTarvoTextEditModule(const CTarvoTextEditModule&) = delete;
    CTarvoTextEditModule& operator=(const CTarvoTextEditModule&) = delete;
    // Unregisters and deletes the parsers if Stop was not called; saves nothing.
    ~CTarvoTextEditModule();

    // Reads the text settings (and applies them), colours and fonts, then makes the parsers. False when no parser could be
    // made (the documents would have nothing to colour with, not even plain text).
    bool Start(CProfileStore& store);
    // Saves the text settings, colours and fonts, unregisters the lookup and deletes the parsers.
    void Stop(CProfileStore& store);
    bool IsStarted() const { return m_bStarted; }

    CSyntaxParserFactory& GetFactory() { return m_factory; }
    const CSyntaxParserFactory& GetFactory() const { return m_factory; }
    CSyntaxColors& GetColors() { return m_colors; }
    const CSyntaxColors& GetColors() const { return m_colors; }
    CSyntaxEditFonts& GetFonts() { return m_fonts; }
    CTextEditSettings& GetSettings() { return m_settings; }
    const CTextEditSettings& GetSettings() const { return m_settings; }
    const CSyntaxEditFonts& GetFonts() const { return m_fonts; }

    // A run array for colouring a line of nLineLength bytes: at least 3 x (length + 1)
    // records, grown in steps of 1024 records. For the user-interface thread only; valid
    // until the next call.
    SyntaxRun* GetRunScratch(int nLineLength);
    int GetRunScratchCapacity() const { return static_cast<int>(m_runScratch.size()); }

    // The started module, or null.
    static CTarvoTextEditModule* GetInstance();

private:
    void Shutdown();

    CSyntaxParserFactory m_factory;
    CSyntaxColors m_colors;
    CSyntaxEditFonts m_fonts;
    CTextEditSettings m_settings;
    std::vector<SyntaxRun> m_runScratch;
    bool m_bStarted = false;
};

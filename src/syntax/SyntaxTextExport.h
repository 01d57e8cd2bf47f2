#pragma once
// Export of coloured text as an HTML page: the runs a text view draws, in the colour
// table's colours, each line optionally preceded by its number. The page names its
// character set (the code page of the text in memory) and escapes "<", ">" and "&", so a
// browser shows the characters the editor shows.
//
// The view is reached through CSyntaxExportSource, which the view implements without
// letting the export touch its caches, so the export may run on a worker thread while the
// view goes on painting (nothing may edit the text meanwhile). Progress goes to an
// optional reporter, which can also cancel: a cancelled or failed export leaves no file
// behind, and an existing file keeps its old contents.

#include <cstdint>
#include <string>
#include <vector>

#include "syntax/SyntaxColors.h"
#include "text/TextLineInfo.h"
#include "text/TextParser.h"

class CSyntaxExportSource
{
public:
    virtual ~CSyntaxExportSource() = default;
    virtual int GetLineCount() const = 0;
    // The record of a line: its characters, length and ending.
    virtual const CTarvoTextLineInfo* GetExportLine(int nLine) const = 0;
    // The runs of a line exactly as drawn, from the state at the end of the previous line
    // (0 before the first); returns the state after the line.
    virtual uint32_t GetExportRuns(uint32_t state, int nLine,
                                   std::vector<SyntaxRun>& runs) const = 0;
    // The view's expansion of chars[first .. first + count) starting at display column
    // nStartColumn (tabs, shown blanks and line endings); returns the columns taken.
    virtual int ExpandForExport(const char* chars, int length, int first, int count,
                                int nStartColumn, std::string& out) const = 0;
    // The code page of the text.
    virtual int GetExportCodePage() const = 0;
};

class CSyntaxExportProgress
{
public:
    virtual ~CSyntaxExportProgress() = default;
    virtual void Begin() {}
    virtual void SetRange(int nLow, int nHigh) = 0;
    // After each line, with its index.
    virtual void Advance(int nLine) = 0;
    virtual void End() {}
    virtual bool IsCancelled() const { return false; }
};

// Where the page goes piece by piece; false stops the export.
class CSyntaxExportSink
{
public:
    virtual ~CSyntaxExportSink() = default;
    virtual bool Write(const char* data, size_t size) = 0;
};

class CSyntaxTextExport
{
public:
    // Colours from the table given (the defaults when null); line numbers on or off.
    explicit CSyntaxTextExport(bool bLineNumbers = true, const CSyntaxColors* pColors = nullptr);
    // Deletes the preview file, if one was made.
    virtual ~CSyntaxTextExport();
    CSyntaxTextExport(const CSyntaxTextExport&) = delete;
    CSyntaxTextExport& operator=(const CSyntaxTextExport&) = delete;

    // The process's export, whose preview file goes when the program ends.
    static CSyntaxTextExport& GetInstance();

    // Writes the page of the view's text to strOutput, replacing it only once the whole
    // page is written. False when the file cannot be written or the export was cancelled;
    // strError then says why (empty when cancelled).
    virtual bool ExportToFile(const std::string& strDocPath, const std::string& strOutput,
                              const CSyntaxExportSource& view, CSyntaxExportProgress* pProgress,
                              std::string& strError);
    // Exports to the preview file: a file of the user's temporary folder, created the first
    // time exclusively under an unpredictable name and reused by every later preview.
    // strOutput receives its path (the caller opens it in the browser).
    virtual bool PreviewInBrowser(const std::string& strDocPath, const CSyntaxExportSource& view,
                                  CSyntaxExportProgress* pProgress, std::string& strOutput,
                                  std::string& strError);
    // The whole page in memory.
    std::string BuildPage(const std::string& strDocPath, const CSyntaxExportSource& view);

    virtual std::string BuildHeader(const std::string& strDocPath, int nCodePage) const;
    virtual std::string BuildTrailer() const;
    // Writes the lines; false when the sink refused or the progress cancelled.
    virtual bool WriteBody(CSyntaxExportSink& sink, const CSyntaxExportSource& view,
                           CSyntaxExportProgress* pProgress);
    // Appends one line (its number, its runs, CR LF); state goes in and out.
    virtual void BuildLine(const CSyntaxExportSource& view, int nLine, uint32_t& state,
                           std::string& out);
    virtual void BuildRuns(const CSyntaxExportSource& view, const CTarvoTextLineInfo& line,
                           const std::vector<SyntaxRun>& runs, std::string& out);

    // The colour table to take colours from (null = the defaults).
    void SetColors(const CSyntaxColors* pColors) { m_pColors = pColors; }
    // The time stamp in the page's comment; empty = the current local time. For tests.
    void SetTimestamp(const std::string& strTimestamp) { m_strTimestamp = strTimestamp; }
    const std::string& GetPreviewPath() const { return m_strTempFile; }

    // The style class of a colour index ("tk" for keywords), or null for text written
    // without a span.
    static const char* ClassOfColor(int32_t nColor);
    // The name of a code page for a page's charset ("utf-8", "windows-1252").
    static std::string CharsetOfCodePage(int nCodePage);

private:
    bool m_bLineNumbers;
    const CSyntaxColors* m_pColors;
    CSyntaxColors m_defaultColors;
    std::string m_strTempFile;
    std::string m_strTimestamp;
    std::string m_strNumberFormat;
    // Scratch of BuildLine.
    std::vector<SyntaxRun> m_aRuns;
    std::string m_strExpanded;
};

#pragma once
// The result pane model of find in files: one record and one text line per report of the
// engine, kept apart from any window so that the texts and records can be tested and the
// window only shows them.

#include <string>
#include <string_view>
#include <vector>

// One line of a result pane.
struct CFindInFilesLineData
{
    enum EKind : unsigned
    {
        KindHeader = 0,
        KindFile = 1,
        KindMatch = 2,
        KindSummary = 10,
    };
    unsigned m_nKind = KindHeader;
    std::string m_strPath;   // file of a file or match line, empty otherwise
    int m_nLine = -1;        // source line of a match line (from 1), -1 otherwise
};

// The exact texts of the four reports. Match texts keep the line's own line feed; the
// summary of a finished search ends with one, the "not found" text does not.
std::string FormatSearchHeader(const std::string& searchText);
std::string FormatFileLine(const std::string& path);
std::string FormatMatchLine(int nLine, std::string_view text);
std::string FormatSearchEnd(bool bCanceled, int nMatchCount, const std::string& searchText);
// The note that follows the summary of a finished search that could not read some of the
// files or folders it met.
std::string FormatSkippedNote(int nSkipped);

class CFindInFilesResultPane
{
public:
    void Clear();
    void AddHeader(const std::string& searchText);
    void AddFile(const std::string& path);
    void AddMatch(const std::string& path, int nLine, std::string_view text);
    void AddEnd(bool bCanceled, int nMatchCount, const std::string& searchText);
    // A line formatted elsewhere (by the searching thread), appended as it is.
    void AddLine(CFindInFilesLineData record, std::string text);

    int GetCount() const { return static_cast<int>(m_records.size()); }
    const CFindInFilesLineData& GetRecord(int nIndex) const { return m_records.at(static_cast<size_t>(nIndex)); }
    // The text of a line as formatted (with its line feed where the format has one).
    const std::string& GetText(int nIndex) const { return m_texts.at(static_cast<size_t>(nIndex)); }
    // The line as the pane shows it: the text without line breaks at its end.
    std::string GetDisplayText(int nIndex) const;
    // The source line a pane line stands for, -1 when it has none.
    int GetLineNumber(int nIndex) const { return GetRecord(nIndex).m_nLine; }
    // Whether double-clicking the line opens a file (file and match lines).
    bool OpensFile(int nIndex) const;

    // "Look in previous results": the paths of all records in order, header and summary
    // lines included as empty paths, which the engine skips as missing locations.
    std::vector<std::string> GetPreviousResultLocations() const;

private:
    void Add(unsigned nKind, std::string path, int nLine, std::string text);

    std::vector<CFindInFilesLineData> m_records;
    std::vector<std::string> m_texts;
};

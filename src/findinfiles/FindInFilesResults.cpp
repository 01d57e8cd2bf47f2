#include "findinfiles/FindInFilesResults.h"

#include <cstdio>

std::string FormatSearchHeader(const std::string& searchText)
{
    return "Searching for \"" + searchText + "\" ...";
}

std::string FormatFileLine(const std::string& path)
{
    return path;
}

std::string FormatMatchLine(int nLine, std::string_view text)
{
    char number[32];
    std::snprintf(number, sizeof number, "[%-4d] ", nLine);
    std::string result(number);
    result.append(text.data(), text.size());
    return result;
}

std::string FormatSearchEnd(bool bCanceled, int nMatchCount, const std::string& searchText)
{
    if (bCanceled)
        return "Canceled.\n";
    if (nMatchCount == 0)
        return "Cannot find the string \"" + searchText + "\".";
    return std::to_string(nMatchCount) + " occurrence(s) have been found.\n";
}

std::string FormatSkippedNote(int nSkipped)
{
    return std::to_string(nSkipped) + " files or folders could not be read.\n";
}

void CFindInFilesResultPane::Clear()
{
    m_records.clear();
    m_texts.clear();
}

void CFindInFilesResultPane::Add(unsigned nKind, std::string path, int nLine, std::string text)
{
    CFindInFilesLineData record;
    record.m_nKind = nKind;
    record.m_strPath = std::move(path);
    record.m_nLine = nLine;
    m_records.push_back(std::move(record));
    m_texts.push_back(std::move(text));
}

void CFindInFilesResultPane::AddLine(CFindInFilesLineData record, std::string text)
{
    m_records.push_back(std::move(record));
    m_texts.push_back(std::move(text));
}

void CFindInFilesResultPane::AddHeader(const std::string& searchText)
{
    Add(CFindInFilesLineData::KindHeader, {}, -1, FormatSearchHeader(searchText));
}

void CFindInFilesResultPane::AddFile(const std::string& path)
{
    Add(CFindInFilesLineData::KindFile, path, -1, FormatFileLine(path));
}

void CFindInFilesResultPane::AddMatch(const std::string& path, int nLine, std::string_view text)
{
    Add(CFindInFilesLineData::KindMatch, path, nLine, FormatMatchLine(nLine, text));
}

void CFindInFilesResultPane::AddEnd(bool bCanceled, int nMatchCount, const std::string& searchText)
{
    Add(CFindInFilesLineData::KindSummary, {}, -1, FormatSearchEnd(bCanceled, nMatchCount, searchText));
}

std::string CFindInFilesResultPane::GetDisplayText(int nIndex) const
{
    std::string text = GetText(nIndex);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

bool CFindInFilesResultPane::OpensFile(int nIndex) const
{
    const unsigned kind = GetRecord(nIndex).m_nKind;
    return kind == CFindInFilesLineData::KindFile || kind == CFindInFilesLineData::KindMatch;
}

std::vector<std::string> CFindInFilesResultPane::GetPreviousResultLocations() const
{
    std::vector<std::string> locations;
    locations.reserve(m_records.size());
    for (const CFindInFilesLineData& record : m_records)
        locations.push_back(record.m_strPath);
    return locations;
}

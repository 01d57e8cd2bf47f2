#pragma once
// A most-recently-used list of strings kept in one profile section (find texts, file
// filters, folders), most recent first.

#include <string>
#include <vector>

class CProfileStore;

class CRecentStringList
{
public:
    // section: profile section ("Recent\FileFilters"); format: value-name format with one
    // %d ("%02d"); nMaxCount: how many strings are kept.
    CRecentStringList(std::string section = {}, std::string format = "%02d", int nMaxCount = 10);

    // Trims white space at both ends; ignores an empty text; removes the first entry equal
    // to the text ignoring case (multibyte characters compared whole, by the ANSI code page);
    // inserts the text at the front and drops entries beyond the maximum.
    void Add(const std::string& text);
    // Removes the entry when the index is valid.
    void Remove(int nIndex);
    void RemoveAll() { m_strings.clear(); }

    // Reads "01" .. up to the maximum; empty (after trimming) values are skipped. Does
    // nothing when the section or the format is empty.
    void Load(CProfileStore& store);
    void Load();
    // Deletes the whole section, then writes each entry under its 1-based position.
    // Does nothing when the section or the format is empty.
    void Save(CProfileStore& store) const;
    void Save() const;

    int GetCount() const { return static_cast<int>(m_strings.size()); }
    const std::string& GetAt(int nIndex) const { return m_strings.at(static_cast<size_t>(nIndex)); }
    const std::vector<std::string>& GetStrings() const { return m_strings; }
    int GetMaxCount() const { return m_nMaxCount; }
    void SetMaxCount(int nMaxCount);
    const std::string& GetSection() const { return m_strSection; }

    // The value name for a 1-based position, e.g. "03".
    std::string FormatEntryName(int nPosition) const;

private:
    std::vector<std::string> m_strings;
    std::string m_strSection;
    std::string m_strFormat;
    int m_nMaxCount;
};

// White space at both ends removed (blank, tab, CR, LF, VT, FF).
std::string TrimWhiteSpace(const std::string& text);

// Case-insensitive comparison that treats each multibyte character of the code page as a
// whole: only single-byte ASCII letters are folded, so a trail byte that looks like a
// letter never matches another case.
bool EqualNoCaseMultibyte(const std::string& a, const std::string& b, int nCodePage);

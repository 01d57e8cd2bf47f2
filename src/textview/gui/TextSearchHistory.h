#pragma once
// The find and replace recent lists of the text editor in the profile: "TextEdit\Recent\Find"
// and "TextEdit\Recent\Replace", value names "%02d", 20 entries each, most recent first.
// One instance serves every text view of the process; the application loads it at start-up
// and saves it at exit.

#include "app/RecentStringList.h"
#include "textview/TextFind.h"

class CProfileStore;

class CRecentSearchHistory : public ITextSearchHistory
{
public:
    CRecentSearchHistory();

    void AddFindText(const std::string& text) override { m_find.Add(text); }
    void AddReplaceText(const std::string& text) override { m_replace.Add(text); }
    std::vector<std::string> GetFindTexts() const override { return m_find.GetStrings(); }
    std::vector<std::string> GetReplaceTexts() const override { return m_replace.GetStrings(); }

    void Load(CProfileStore& store);
    void Save(CProfileStore& store) const;

    // The process's lists.
    static CRecentSearchHistory& Instance();

private:
    CRecentStringList m_find;
    CRecentStringList m_replace;
};

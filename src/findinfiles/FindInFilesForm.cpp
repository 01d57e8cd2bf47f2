#include "findinfiles/FindInFilesForm.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "findinfiles/FindInFilesResults.h"
#include "platform/Folders.h"
#include "platform/ProfileStore.h"
#include "syntax/SyntaxParserFactory.h"

namespace
{
// A folder as the list compares it: without trailing separators, except for the root.
std::string FolderKey(const std::string& path)
{
    std::string key = path;
    while (key.size() > 1 && (key.back() == '/' || key.back() == '\\'))
        key.pop_back();
    return key;
}

std::string FolderValueName(int nPosition)
{
    char name[32];
    std::snprintf(name, sizeof name, "LastFolder-%02d", nPosition);
    return name;
}
} // namespace

void CFindInFilesSettings::Load(CProfileStore& store)
{
    m_lastFolders.clear();
    const int nCount = store.GetProfileInt(kSection, "LastFolders", 0);
    for (int i = 1; i <= nCount; ++i)
    {
        std::string folder = store.GetProfileString(kSection, FolderValueName(i), "");
        if (folder.find_first_not_of(" \t\r\n") != std::string::npos)
            m_lastFolders.push_back(std::move(folder));
    }
}

void CFindInFilesSettings::Save(CProfileStore& store) const
{
    store.WriteProfileInt(kSection, "LastFolders", static_cast<int>(m_lastFolders.size()));
    for (size_t i = 0; i < m_lastFolders.size(); ++i)
        store.WriteProfileString(kSection, FolderValueName(static_cast<int>(i) + 1),
                                 m_lastFolders[i]);
}

const std::vector<SExpressionSnippet>& CFindInFilesFormLogic::GetExpressionSnippets()
{
    static const std::vector<SExpressionSnippet> snippets = {
        {"&Any Character", ".", 1},
        {"&Beginning of Line", "^", 1},
        {"&End of Line", "$", 1},
        {"&Character in Range", "[]", 1},
        {"Character &not in Range", "[^]", 2},
        {"&0 or More Matches", "*", 1},
        {"&1 or More Matches", "+", 1},
        {"0 &or Once", "?", 1},
        {"A&lphabetic Character", "[a-bA-B]", 8},
        {"&Decimal Digit", "[0-9]", 5},
        {"Define a &Group", "()", 1},
    };
    return snippets;
}

int CFindInFilesFormLogic::InsertSnippet(std::string& text, int nCaret, int nIndex)
{
    const auto& snippets = GetExpressionSnippets();
    if (nIndex < 0 || nIndex >= static_cast<int>(snippets.size()))
        return nCaret;
    const SExpressionSnippet& snippet = snippets[static_cast<size_t>(nIndex)];
    const size_t at = std::min(static_cast<size_t>(std::max(nCaret, 0)), text.size());
    text.insert(at, snippet.pszSnippet);
    m_bRegex = true;
    return static_cast<int>(at) + snippet.nCaretOffset;
}

std::vector<std::string>
CFindInFilesFormLogic::BuildFileTypeItems(const CSyntaxParserFactory& factory)
{
    std::vector<std::string> items{"All Files (*.*)"};
    for (int i = 0; i < factory.GetCount(); ++i)
    {
        const CSyntaxParser* parser = factory.GetAt(i);
        const std::string exts = CSyntaxParserFactory::MakeMask(parser->GetExtensions());
        if (!exts.empty())
            items.push_back(std::string(parser->GetName()) + " Files (" + exts + ")");
    }
    return items;
}

std::string CFindInFilesFormLogic::FileTypesFromItem(const std::string& item)
{
    const size_t open = item.find('(');
    if (open == std::string::npos)
        return item;
    const size_t close = item.find(')', open + 1);
    if (close == std::string::npos)
        return item;
    return item.substr(open + 1, close - open - 1);
}

int CFindInFilesFormLogic::FindFolder(const std::string& strPath) const
{
    const std::string key = FolderKey(strPath);
    for (size_t i = 0; i < m_folders.size(); ++i)
        if (PathsEqual(FolderKey(m_folders[i].strPath), key))
            return static_cast<int>(i);
    return -1;
}

bool CFindInFilesFormLogic::AddFolder(const std::string& strPath)
{
    if (strPath.empty() || FindFolder(strPath) >= 0)
        return false;
    m_folders.push_back({strPath, true});
    m_strLastAddedFolder = strPath;
    return true;
}

void CFindInFilesFormLogic::SetFolders(const std::vector<std::string>& folders)
{
    m_folders.clear();
    for (const std::string& folder : folders)
        AddFolder(folder);
}

void CFindInFilesFormLogic::RemoveFolders(std::vector<int> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (auto it = indices.rbegin(); it != indices.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(m_folders.size()))
            m_folders.erase(m_folders.begin() + *it);
}

void CFindInFilesFormLogic::SetFolderChecked(int nIndex, bool bChecked)
{
    if (nIndex >= 0 && nIndex < static_cast<int>(m_folders.size()))
        m_folders[static_cast<size_t>(nIndex)].bChecked = bChecked;
}

SFindInFilesFormEnable CFindInFilesFormLogic::GetEnableState(int nSelectedFolders) const
{
    SFindInFilesFormEnable state;
    const bool bIdle = !m_bSearching;
    const bool bFolders = bIdle && !m_bLookInPrevious;
    state.bInputs = bIdle;
    state.bStop = m_bSearching;
    state.bFolderList = bFolders;
    state.bAddFolder = bFolders;
    state.bSubfolders = bFolders;
    state.bRemove = bFolders && nSelectedFolders > 0;
    state.bRemoveAll = bFolders && !m_folders.empty();
    return state;
}

std::optional<CFindInFilesOptions>
CFindInFilesFormLogic::BuildSearch(const CFindInFilesResultPane& previousResults,
                                   CFindInFilesSettings* pSettings)
{
    if (m_nPane < 0 || m_nPane >= kPaneCount)
        return std::nullopt;

    CFindInFilesOptions options;
    options.m_dwFlags = 0;
    if (m_bMatchCase)
        options.m_dwFlags |= CFindInFilesOptions::FlagMatchCase;
    if (m_bSubfolders)
        options.m_dwFlags |= CFindInFilesOptions::FlagSubfolders;
    if (m_bRegex)
        options.m_dwFlags |= CFindInFilesOptions::FlagRegex;
    options.m_strSearch = m_strSearch;
    options.m_strFileTypes = m_strFileTypes;

    if (m_bLookInPrevious)
    {
        // A file of the previous results is listed once per matching line; searching it
        // once per listing would report each of its lines as often. Each path is searched
        // once, in the order it first appears; the empty paths of header and summary lines
        // name nothing and are left out.
        std::unordered_set<std::string> seen;
        for (std::string& path : previousResults.GetPreviousResultLocations())
            if (!path.empty() && seen.insert(path).second)
                options.m_locations.push_back(std::move(path));
    }
    else
    {
        for (const SFindInFilesFolder& folder : m_folders)
            if (folder.bChecked)
                options.m_locations.push_back(folder.strPath);
        if (pSettings)
        {
            pSettings->m_lastFolders.clear();
            for (const SFindInFilesFolder& folder : m_folders)
                pSettings->m_lastFolders.push_back(folder.strPath);
        }
    }
    if (options.m_locations.empty())
        return std::nullopt;
    return options;
}

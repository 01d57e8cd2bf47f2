#pragma once
// The decisions of the Explorer page of the navigation bar, apart from its folder tree:
// which file filters its combo box starts with and which folder it opens at.

#include <functional>
#include <string>
#include <vector>

// An empty filter list is filled so that it reads "*.*" followed by the parsers' masks in
// their order: each is added to the head of the list, from the last to the first. TList is
// a most-recently-used list whose Add puts a text at its head (and drops an equal one
// further down). A list that holds anything is left as the user made it.
template <class TList> void FillFileFilters(TList& filters, const std::vector<std::string>& masks)
{
    if (filters.GetCount() != 0)
        return;
    for (auto it = masks.rbegin(); it != masks.rend(); ++it)
        filters.Add(*it);
    filters.Add("*.*");
}

// The folder the tree opens at: the last folder while it is a folder; otherwise the
// nearest of its ancestors that still is one. Empty when there is no last folder or none of
// its ancestors exists; the tree then opens at its first root. isFolder defaults to the
// file system's answer.
std::string ChooseExplorerFolder(const std::string& strLastFolder,
                                 const std::function<bool(const std::string&)>& isFolder = {});

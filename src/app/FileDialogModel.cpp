#include "app/FileDialogModel.h"

#include "platform/Folders.h"

namespace
{
std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;)
    {
        const size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}
} // namespace

std::vector<std::string> FileDialogFilters(const std::string& strFilterList)
{
    std::vector<std::string> filters;
    const std::vector<std::string> parts = Split(strFilterList, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2)
    {
        std::string name = parts[i];
        if (name.empty())
            break; // the "||" that ends the list
        const size_t bracket = name.rfind(" (");
        if (bracket != std::string::npos && name.back() == ')')
            name.erase(bracket);
        std::string patterns;
        for (const std::string& mask : Split(parts[i + 1], ';'))
        {
            if (mask.empty())
                continue;
            if (!patterns.empty())
                patterns += ' ';
            patterns += mask == "*.*" ? "*" : mask;
        }
        filters.push_back(name + " (" + patterns + ")");
    }
    return filters;
}

std::vector<std::string> COpenAsChoice::Items()
{
    return {"Auto", "Text", "Binary"};
}

int COpenAsChoice::KindOfItem(int nItem)
{
    return nItem == 1 || nItem == 2 ? nItem : 0;
}

std::vector<COpenAsChoice::SOpenRequest>
COpenAsChoice::Requests(const std::vector<std::string>& files, int nItem, bool bReadOnly)
{
    std::vector<SOpenRequest> requests;
    for (const std::string& file : files)
        if (!file.empty())
            requests.push_back({file, KindOfItem(nItem), bReadOnly});
    return requests;
}

std::string FileDialogStartFolder(const std::string& strLastFolder, const std::string& strFallback)
{
    return !strLastFolder.empty() && IsDirectory(strLastFolder) ? strLastFolder : strFallback;
}

std::string FileDialogFolderToRemember(const std::vector<std::string>& files,
                                       const std::string& strLastFolder)
{
    for (const std::string& file : files)
        if (!file.empty())
            return FolderOfPath(file);
    return strLastFolder;
}

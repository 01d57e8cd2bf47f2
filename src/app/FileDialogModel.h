#pragma once
// The decisions of the Open and Save As dialogs apart from the dialogs: the filter list in
// the form the dialogs read, the "Open &As:" choice, and the folder the dialogs start in
// and remember.

#include <string>
#include <vector>

// The filter list of the parser factory ("Name|*.a;*.b|...||") as dialog filters
// "Name (*.a *.b)". A name that carries its own pattern list in brackets loses it, and
// "*.*" becomes "*", so "All Files" also lists names without a dot.
std::vector<std::string> FileDialogFilters(const std::string& strFilterList);

class COpenAsChoice
{
public:
    // The items of the "Open &As:" drop-down: "Auto", "Text", "Binary".
    static std::vector<std::string> Items();
    // The file kind of an item: 0 automatic, 1 text, 2 binary; anything else is automatic.
    static int KindOfItem(int nItem);

    struct SOpenRequest
    {
        std::string strPath;
        int nKind = 0;
        bool bReadOnly = false;
    };
    // What OK opens: every selected file, in order, with the chosen kind and the
    // read-only box. Empty names are left out.
    static std::vector<SOpenRequest> Requests(const std::vector<std::string>& files, int nItem,
                                              bool bReadOnly);
};

// The folder a file dialog starts in: the last folder used while it still exists, else
// the fallback (the user's home).
std::string FileDialogStartFolder(const std::string& strLastFolder, const std::string& strFallback);
// The folder to remember after OK: the folder of the first chosen file (unchanged when
// nothing was chosen).
std::string FileDialogFolderToRemember(const std::vector<std::string>& files,
                                       const std::string& strLastFolder);

#pragma once
// The find-in-files form without its window: the values of every control, the rules that
// enable them, the folder list with its duplicate rule, the expression snippets, the file
// types box, the remembered folders, and the options a search is started with. The window
// shows these values and forwards the user's actions here.

#include <optional>
#include <string>
#include <vector>

#include "findinfiles/FindInFiles.h"

class CProfileStore;
class CSyntaxParserFactory;
class CFindInFilesResultPane;

// One folder of the "Look in:" list.
struct SFindInFilesFolder
{
    std::string strPath;
    bool bChecked = true;
};

// One item of the "Expression" menu: its text (with the "&" mnemonic), the text it inserts
// and where the caret lands in that text (at its end unless the caret goes inside brackets).
struct SExpressionSnippet
{
    const char* pszMenuText;
    const char* pszSnippet;
    int nCaretOffset;
};

// Which controls of the form take input right now.
struct SFindInFilesFormEnable
{
    bool bInputs = true;     // "Find what:", file types, options, pane choice, "Start"
    bool bStop = false;      // "Stop"
    bool bFolderList = true; // the "Look in:" list and its label
    bool bAddFolder = true;  // "Add Folder..."
    bool bRemove = false;    // "Remove"
    bool bRemoveAll = false; // "Remove All"
    bool bSubfolders = true; // "Look in subfolders"
};

// The settings of the tool, one set for all its forms: the remembered folders, kept under
// "FindInFiles\Settings" as "LastFolders" (the count) and "LastFolder-01", "LastFolder-02"..
class CFindInFilesSettings
{
public:
    static constexpr const char* kSection = "FindInFiles\\Settings";

    // Blank names are skipped; a missing or negative count reads no folder.
    void Load(CProfileStore& store);
    // Writes the count and the folders. Numbered values that a longer list left behind
    // stay, but lie beyond the count and are never read.
    void Save(CProfileStore& store) const;

    std::vector<std::string> m_lastFolders;
};

class CFindInFilesFormLogic
{
public:
    static constexpr int kPaneCount = 4;

    // The eleven snippets of the "Expression" menu, in menu order.
    static const std::vector<SExpressionSnippet>& GetExpressionSnippets();
    // Inserts snippet nIndex into text at nCaret (clamped to the text) and returns the new
    // caret; checks "Regular expression". An index outside the menu changes nothing and
    // returns nCaret.
    int InsertSnippet(std::string& text, int nCaret, int nIndex);

    // The file types box: "All Files (*.*)" first, then "%Name Files (%Exts)" for every
    // parser of the factory that has extensions, in the factory's order.
    static std::vector<std::string> BuildFileTypeItems(const CSyntaxParserFactory& factory);
    // The text a chosen item puts into the box: the part between its first "(" and the
    // next ")"; the item itself when it has no such part.
    static std::string FileTypesFromItem(const std::string& item);

    // Folders. A folder that names the same folder as one listed (trailing separators
    // aside, by the platform's rule for names) is not added again. A new one is appended
    // checked and becomes the last added folder. Returns whether it was added.
    bool AddFolder(const std::string& strPath);
    // Removes the listed indices (any order, duplicates and invalid ones ignored).
    void RemoveFolders(std::vector<int> indices);
    void RemoveAllFolders() { m_folders.clear(); }
    void SetFolderChecked(int nIndex, bool bChecked);
    const std::vector<SFindInFilesFolder>& GetFolders() const { return m_folders; }
    const std::string& GetLastAddedFolder() const { return m_strLastAddedFolder; }

    // A new form lists the remembered folders, checked; the last of them is the last
    // added folder.
    void SetFolders(const std::vector<std::string>& folders);

    // The enable state of every control for the current values. nSelectedFolders is how
    // many rows of the folder list are selected.
    SFindInFilesFormEnable GetEnableState(int nSelectedFolders) const;

    // Start: the options of a search over the current values, or nothing when no search
    // can start (a pane index outside 0..3, no location). With "Look in previous results"
    // the locations are the files of previousResults, each once, in the order they first
    // appear; otherwise
    // the checked folders, and every folder of the list, checked or not, becomes a
    // remembered folder of pSettings (when given).
    std::optional<CFindInFilesOptions> BuildSearch(const CFindInFilesResultPane& previousResults,
                                                   CFindInFilesSettings* pSettings);

    // The values of the controls.
    std::string m_strSearch;
    std::string m_strFileTypes = "*.*";
    bool m_bMatchCase = false;
    bool m_bRegex = false;
    bool m_bSubfolders = true;
    int m_nPane = 0;
    bool m_bClearPrevious = true;
    bool m_bLookInPrevious = false;
    bool m_bSearching = false;

private:
    int FindFolder(const std::string& strPath) const;

    std::vector<SFindInFilesFolder> m_folders;
    std::string m_strLastAddedFolder;
};

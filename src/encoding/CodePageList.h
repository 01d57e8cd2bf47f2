#pragma once
// The list of code pages the user can choose from, their display names, and the mapping
// between the items of the encoding and line-ending choosers and what they stand for.

#include <cstdint>
#include <string>
#include <vector>

// Access to the system's extended code-page information query. This platform has none:
// Load() reports false and the list uses the numbered fallback names.
class CGetCPInfoEx
{
public:
    CGetCPInfoEx() = default;
    ~CGetCPInfoEx() = default;
    bool Load();
    bool IsAvailable() const
    {
        return m_pfnGetCPInfoExA != nullptr && m_pfnGetCPInfoExW != nullptr;
    }

private:
    void* m_pfnGetCPInfoExA = nullptr;
    void* m_pfnGetCPInfoExW = nullptr;
    void* m_hLibrary = nullptr;
};

// One entry of the code-page list.
struct tagCODEPAGEINFO
{
    uint32_t nCodePage = 0;
    std::string strName; // at most 259 bytes
};
using CodePageInfoList = std::vector<tagCODEPAGEINFO>;

// The flags value the program passes: the code pages the system supports.
constexpr int CodePageListSupported = 2;

// Fills `list` (emptied first), in ascending order, with every code page of the name table
// that the conversion layer can convert as 8-bit text, named "%d\t(%s)" with its number and
// CodePageName, or "* %d\t(%s)" for the system's ANSI code page. UTF-16 (1200, 1201) is
// offered by the encoding kinds instead. `flags` is accepted for the callers' sake; every
// supported code page is listed.
void BuildCodePageList(CodePageInfoList& list, int flags = CodePageListSupported);

// The published description of a code page; empty for a number not in the table.
std::string CodePageName(int nCodePage);
// The numbers of the name table, ascending (150 rows).
std::vector<int> CodePageNameTableNumbers();

// What an encoding chooser returns: exactly one of the two is not -1, or both are -1 for
// "no change".
struct SEncodingChoice
{
    int nEncoding = -1; // 1, 2 or 3
    int nCodePage = -1;
};

// The items of the encoding chooser: "UNI16_LE", "UNI16_BE", "UTF-8", then the names of
// the list in list order.
std::vector<std::string> EncodingChooserItems(const CodePageInfoList& list);

// The item selected when a chooser opens for a file of kind `nEncoding` (or -1) and code
// page `nCodePage` (or -1): items 0-2 for kinds 1-3; otherwise the item of the code page
// (symbolic numbers resolved), item 0 when it is not listed; with neither, the item of
// `nDefaultCodePage`, or -1 (nothing selected) when that is not listed.
int EncodingChooserSelection(const CodePageInfoList& list, int nEncoding, int nCodePage,
                             int nDefaultCodePage);

// The choice an item stands for; an item out of range (nothing selected) is "no change".
SEncodingChoice EncodingChoiceOfItem(const CodePageInfoList& list, int item);

// The items of the line-ending chooser: "Current Setting", "Windows (CRLF)",
// "Macintosh (CR)", "Unix (LF)".
std::vector<std::string> LineEndingChooserItems();

// The line-ending mode of an item: 0 for no change (also for an item out of range), else 1
// (CR LF), 2 (CR) or 3 (LF).
int LineEndModeOfItem(int item);

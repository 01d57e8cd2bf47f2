#pragma once
// The list of built-in parsers in id order, and the choices made from it: by extension,
// by id or syntax-menu command, and the filter and mask strings of the file dialogs.
// The factory owns its parsers; everyone else holds plain pointers that stay valid until
// the factory is destroyed.

#include <string>
#include <vector>

#include "syntax/SyntaxParser.h"
#include "text/TextParser.h"

constexpr int kSyntaxFirstCommandId = 36800;

// One item of the syntax submenu as the menu code should show it.
struct SSyntaxMenuItem
{
    int nCommandId = 0;  // 0 for a separator
    std::string strText; // the parser's name; empty for a separator
    bool bSeparator = false;
    bool bEnabled = true;
    bool bChecked = false; // shown as the chosen radio item
};

class CSyntaxParserFactory : public CTextParserLookup
{
public:
    CSyntaxParserFactory() = default;
    CSyntaxParserFactory(const CSyntaxParserFactory&) = delete;
    CSyntaxParserFactory& operator=(const CSyntaxParserFactory&) = delete;
    ~CSyntaxParserFactory() override;

    // Makes the built-in parsers in id order and keeps every one that could be made
    // (replacing any made before). Returns the number of parsers.
    int CreateParsers();
    // Deletes every parser and empties the list.
    void DeleteParsers();

    int GetCount() const { return static_cast<int>(m_parsers.size()); }
    CSyntaxParser* GetAt(int index) const;
    CSyntaxParser* FindById(int id) const;
    int IndexOf(const CSyntaxParser* parser) const;
    // The first parser with an extension pattern matching `extension` (blanks around it
    // and leading dots are ignored, case too); the first parser of the list (plain text)
    // when none matches. Null only while the list is empty.
    CSyntaxParser* FindByExtension(const std::string& extension) const;
    // The parser of a syntax-menu command: FindById(command - first id), else plain text.
    CSyntaxParser* FindByCommand(int nCommandId, int nFirstCommandId = kSyntaxFirstCommandId) const;

    // The filter of the open and save dialogs: per parser with extensions one item made
    // from `format` ("%Name" and "%Exts" replaced) followed by "|". With bAllSupported, it
    // is framed by "All Supported Text Files|<all>|" and "All Files (*.*)|*.*||".
    std::string BuildFilterString(bool bAllSupported,
                                  const std::string& format = "%Name Files (%Exts)|%Exts") const;
    // One "*.a;*.b" string per parser with extensions, in list order; returns the count.
    int BuildMaskList(std::vector<std::string>& masks) const;
    // The syntax submenu: the first (plain-text) item, then, when there is more than one
    // parser, a separator and one item per further parser. The item of the parser with id
    // nCurrentId is checked; with a single parser the first item is disabled and checked.
    std::vector<SSyntaxMenuItem> BuildSyntaxMenu(int nCurrentId,
                                                 int nFirstCommandId = kSyntaxFirstCommandId) const;

    // CTextParserLookup: the text buffer's way to a parser by id.
    CTextParser* FindParserById(int id) override;

    // "*." + extensions with every "," replaced by ";*."; empty for an empty list.
    static std::string MakeMask(const char* extensions);

private:
    std::vector<CSyntaxParser*> m_parsers;
};

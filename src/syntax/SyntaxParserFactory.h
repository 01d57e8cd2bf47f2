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
    // The parser for an extension or a file name: MatchFileName, or the first parser of
    // the list (plain text) when nothing matches. Null only while the list is empty.
    CSyntaxParser* FindByExtension(const std::string& extension) const;
    // The parser that a file name, a path or a bare extension names, or null. Entries of
    // an extension list that could not be extensions (they hold a "." or an upper-case
    // letter: "CMakeLists.txt", "Makefile", "*.mk") are file-name masks, matched against
    // the whole name first, for every parser in list order; the other entries are
    // extension patterns, matched against the text after the name's last dot (the whole
    // text when it has none; blanks around it and leading dots are ignored). Both matches
    // ignore case, so "CMakeLists.txt" chooses CMake before the "txt" of plain text.
    CSyntaxParser* MatchFileName(const std::string& nameOrExtension) const;
    // The parser that the first two lines of a file name, or null: a "#!" interpreter line
    // (sh, bash, dash, zsh, ksh, python*, perl, tclsh, wish, lua, node, make, php; also
    // through "env"), or an editor mode line on either line ("-*- mode: python -*-",
    // "-*- C++ -*-", "vim: set ft=yaml:").
    CSyntaxParser* FindByFirstLines(const std::string& firstLine,
                                    const std::string& secondLine) const;
    // The parser for a file: by its name (MatchFileName), else by its first two lines
    // when its name names no parser, else plain text. Null only while the list is empty.
    CSyntaxParser* FindForFile(const std::string& path, const std::string& firstLine,
                               const std::string& secondLine) const;
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

    // The dialog mask of an extension list: "*." + each extension, a file-name mask as it
    // stands, joined by ";" ("c,h" gives "*.c;*.h"); empty for an empty list.
    static std::string MakeMask(const char* extensions);
    // True when an extension-list entry is a file-name mask rather than an extension.
    static bool IsFileNameMask(const std::string& entry);

private:
    // The parser a mode name of an editor ("python", "c++", "shell-script") stands for.
    CSyntaxParser* FindByModeName(std::string mode) const;

    std::vector<CSyntaxParser*> m_parsers;
};

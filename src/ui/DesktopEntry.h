#pragma once
// The per-user desktop entry: a file in the user's applications folder
// ($XDG_DATA_HOME/applications/scrivel.desktop) that puts the program into the desktop's
// menus and "Open With" lists, with an "Open in hex editor" action. It names the program
// by its full path, so that a build that is not installed can be offered as well.

#include <string>
#include <vector>

class CDesktopEntry
{
public:
    // The entry of the program at strProgram with the icon strIcon (a path or a theme name)
    // for the MIME types given.
    static std::string Build(const std::string& strProgram, const std::string& strIcon,
                             const std::vector<std::string>& mimeTypes);
    // One argument of an Exec line: quoted when it holds a reserved character, with the
    // characters that are special inside quotes escaped by a backslash. A "%" is doubled so
    // that it is not taken for a field code.
    static std::string QuoteExecArgument(const std::string& strArgument);

    // $XDG_DATA_HOME/applications/scrivel.desktop (or below ~/.local/share); empty when
    // neither is known.
    static std::string UserEntryPath();

    // Writes the entry (replacing it whole) or removes it. False with a message on failure.
    static bool Install(const std::string& strPath, const std::string& strText, std::string& error);
    static bool Remove(const std::string& strPath, std::string& error);
};

// The MIME types of the text files the program's parsers know, for the desktop entry.
std::vector<std::string> TextMimeTypes();

#include "ui/DesktopEntry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "platform/Folders.h"
#include "platform/SafeSave.h"

namespace
{
bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

std::string CDesktopEntry::QuoteExecArgument(const std::string& arg)
{
    // Reserved characters of an Exec argument; any of them requires quoting.
    static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
    std::string escaped;
    bool bQuote = arg.empty();
    for (char c : arg)
    {
        if (std::strchr(kReserved, c) && c != '\0')
            bQuote = true;
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            escaped += '\\';
        escaped += c;
        if (c == '%')
            escaped += '%';
    }
    if (!bQuote)
        return escaped;
    return "\"" + escaped + "\"";
}

std::string CDesktopEntry::Build(const std::string& strProgram, const std::string& strIcon,
                                 const std::vector<std::string>& mimeTypes)
{
    // In a desktop file a backslash of a string value is itself an escape: double it once
    // more for the key-value level.
    auto valueEscape = [](const std::string& s)
    {
        std::string out;
        for (char c : s)
            out += (c == '\\') ? std::string("\\\\") : std::string(1, c);
        return out;
    };
    const std::string program = valueEscape(QuoteExecArgument(strProgram));
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Scrivel\n"
                       "GenericName=Text and Hex Editor\n"
                       "Comment=Edit text files in any code page, and any file as bytes\n"
                       "Icon=" +
                       strIcon +
                       "\n"
                       "Exec=" +
                       program +
                       " -e %f\n"
                       "Terminal=false\n"
                       "Categories=Utility;TextEditor;Development;\n"
                       "Keywords=text;editor;hex;binary;\n";
    text += "MimeType=";
    for (const std::string& type : mimeTypes)
        text += type + ";";
    text += "\nActions=hex;\n\n"
            "[Desktop Action hex]\n"
            "Name=Open in hex editor\n"
            "Exec=" +
            program + " -e -t:hex %f\n";
    return text;
}

std::string CDesktopEntry::UserEntryPath()
{
    const std::string data = GetUserAppDataFolder();
    if (data.empty())
        return {};
    return JoinPath(JoinPath(data, "applications"), "scrivel.desktop");
}

bool CDesktopEntry::Install(const std::string& strPath, const std::string& strText,
                            std::string& error)
{
    if (!CreateFolderTree(FolderOfPath(strPath)))
    {
        error = "The folder of " + strPath + " cannot be created.";
        return false;
    }
    CSafeSave save;
    if (!save.Begin(strPath) || !WriteAll(save.GetDescriptor(), strText) || !save.Commit())
    {
        error = save.GetError().empty() ? "Cannot write " + strPath : save.GetError();
        return false;
    }
    return true;
}

bool CDesktopEntry::Remove(const std::string& strPath, std::string& error)
{
    if (std::remove(strPath.c_str()) != 0 && errno != ENOENT)
    {
        error = "Cannot remove " + strPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::vector<std::string> TextMimeTypes()
{
    // The shared MIME names of the languages the parsers colour, plus plain text.
    return {"text/plain",
            "text/x-csrc",
            "text/x-chdr",
            "text/x-c++src",
            "text/x-c++hdr",
            "text/x-csharp",
            "text/x-java",
            "text/javascript",
            "application/javascript",
            "text/html",
            "application/xhtml+xml",
            "text/xml",
            "application/xml",
            "text/x-sgml",
            "application/x-php",
            "application/x-asp",
            "text/x-python",
            "text/x-perl",
            "application/x-perl",
            "application/x-shellscript",
            "text/x-tcl",
            "text/x-tex",
            "text/x-pascal",
            "text/x-fortran",
            "text/x-sql",
            "text/x-basic",
            "text/vbscript",
            "text/x-lisp",
            "text/x-scheme",
            "text/x-rexx",
            "text/x-nsis"};
}

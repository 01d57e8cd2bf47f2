#include "app/CommandLine.h"

#include "platform/Folders.h"

namespace
{
bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// "-" always starts a switch. "/" starts one too, but on a system whose absolute paths
// begin with "/" an argument that holds another "/" or names an existing file or folder
// is a file name, so that "scrivel -e /home/me/notes.txt" opens the file.
bool IsSwitchArgument(const std::string& arg)
{
    if (arg.empty())
        return false;
    if (arg[0] == '-')
        return true;
    if (arg[0] != '/')
        return false;
    if (kPathSeparator == '/')
        return arg.find('/', 1) == std::string::npos && !PathExists(arg);
    return true;
}
} // namespace

void CCommandLine::ParseCommandLine(int argc, const char* const* argv, bool bResolvePaths)
{
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    ParseCommandLine(args, bResolvePaths);
}

void CCommandLine::ParseCommandLine(const std::vector<std::string>& args, bool bResolvePaths)
{
    m_bResolvePaths = bResolvePaths;
    const size_t count = args.size();
    if (count < 2)
        return;
    for (size_t i = 1; i < count; ++i)
    {
        const std::string& arg = args[i];
        const bool bLast = i + 1 == count;
        if (IsSwitchArgument(arg))
            ParseParam(arg.substr(1), true, bLast);
        else
            ParseParam(arg, false, bLast);
    }
}

void CCommandLine::ParseParam(const std::string& text, bool bSwitch, bool bLast)
{
    if (bSwitch)
        ParseSwitch(text);
    else if (m_nFileCount < 2)
        m_strFiles[m_nFileCount++] = m_bResolvePaths ? MakeAbsolutePath(text) : text;

    if (bLast && m_nAction == ActionNone)
        m_nAction = m_nFileCount == 2 ? ActionCompare : ActionOpen;
}

void CCommandLine::ParseSwitch(const std::string& word)
{
    if (word == "?" || word == "help" || word == "h")
        m_nAction = ActionHelp;
    else if (word == "compare" || word == "c")
        m_nAction = ActionCompare;
    else if (word == "edit" || word == "e")
        m_nAction = ActionEdit;
    else if (word == "readonly" || word == "ro")
        m_bReadOnly[0] = m_bReadOnly[1] = 1;
    else if (StartsWith(word, "readonly:") || StartsWith(word, "ro:"))
    {
        // The list follows the first colon, or the second one when there is another.
        std::string list = word.substr(word.find(':') + 1);
        size_t second = list.find(':');
        if (second != std::string::npos)
            list = list.substr(second + 1);
        size_t start = 0;
        while (start <= list.size())
        {
            size_t bar = list.find('|', start);
            std::string item = list.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            if (item == "1")
                m_bReadOnly[0] = 1;
            else if (item == "2")
                m_bReadOnly[1] = 1;
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
    }
    else if (StartsWith(word, "type:") || StartsWith(word, "t:"))
    {
        std::string type = word.substr(word.find(':') + 1);
        if (type == "text" || type == "t")
            m_nFileType = FileTypeText;
        else if (type == "binary" || type == "b" || type == "hex" || type == "x")
            m_nFileType = FileTypeBinary;
        else if (type == "folder" || type == "f")
            m_nFileType = FileTypeFolder;
    }
}

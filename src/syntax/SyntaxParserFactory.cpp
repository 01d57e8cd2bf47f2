#include "syntax/SyntaxParserFactory.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxWildcard.h"

namespace
{
std::string TrimBlanks(const std::string& text)
{
    const char* blanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to)
{
    for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
        s.replace(pos, from.size(), to);
}
} // namespace

CSyntaxParserFactory::~CSyntaxParserFactory()
{
    DeleteParsers();
}

int CSyntaxParserFactory::CreateParsers()
{
    DeleteParsers();
    for (PFNCreateSyntaxParser create : g_syntaxParserCreators)
    {
        if (CSyntaxParser* parser = create())
            m_parsers.push_back(parser);
    }
    return GetCount();
}

void CSyntaxParserFactory::DeleteParsers()
{
    for (CSyntaxParser* parser : m_parsers)
        delete parser;
    m_parsers.clear();
}

CSyntaxParser* CSyntaxParserFactory::GetAt(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return m_parsers[static_cast<size_t>(index)];
}

CSyntaxParser* CSyntaxParserFactory::FindById(int id) const
{
    for (CSyntaxParser* parser : m_parsers)
    {
        if (parser->GetId() == id)
            return parser;
    }
    return nullptr;
}

int CSyntaxParserFactory::IndexOf(const CSyntaxParser* parser) const
{
    for (size_t i = 0; i < m_parsers.size(); ++i)
    {
        if (m_parsers[i] == parser)
            return static_cast<int>(i);
    }
    return -1;
}

CSyntaxParser* CSyntaxParserFactory::FindByExtension(const std::string& extension) const
{
    if (m_parsers.empty())
        return nullptr;
    if (CSyntaxParser* parser = MatchFileName(extension))
        return parser;
    return m_parsers.front();
}

bool CSyntaxParserFactory::IsFileNameMask(const std::string& entry)
{
    for (char c : entry)
    {
        if (c == '.' || (c >= 'A' && c <= 'Z'))
            return true;
    }
    return false;
}

CSyntaxParser* CSyntaxParserFactory::MatchFileName(const std::string& nameOrExtension) const
{
    const std::string text = TrimBlanks(nameOrExtension);
    const size_t slash = text.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? text : text.substr(slash + 1);
    if (name.empty())
        return nullptr;
    for (CSyntaxParser* parser : m_parsers)
    {
        std::stringstream list(parser->GetExtensions());
        std::string pattern;
        while (std::getline(list, pattern, ','))
        {
            if (IsFileNameMask(pattern) && MatchWildcard(pattern, name))
                return parser;
        }
    }
    std::string ext = name.substr(std::min(name.find_first_not_of('.'), name.size()));
    const size_t dot = ext.rfind('.');
    if (dot != std::string::npos)
        ext.erase(0, dot + 1);
    if (ext.empty())
        return nullptr;
    for (char& c : ext)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    for (CSyntaxParser* parser : m_parsers)
    {
        std::stringstream list(parser->GetExtensions());
        std::string pattern;
        while (std::getline(list, pattern, ','))
        {
            if (!pattern.empty() && !IsFileNameMask(pattern) && MatchWildcard(pattern, ext))
                return parser;
        }
    }
    return nullptr;
}

CSyntaxParser* CSyntaxParserFactory::FindByFirstLines(const std::string& firstLine,
                                                      const std::string& secondLine) const
{
    if (firstLine.rfind("#!", 0) == 0)
    {
        std::istringstream words(firstLine.substr(2));
        std::string word;
        std::string interpreter;
        bool viaEnv = false;
        while (words >> word)
        {
            const std::string base = word.substr(word.find_last_of('/') + 1);
            if (interpreter.empty() && !viaEnv && base == "env")
            {
                viaEnv = true;
                continue;
            }
            // "env -S" and "env NAME=value" come before the interpreter.
            if (viaEnv && (word[0] == '-' || word.find('=') != std::string::npos))
                continue;
            interpreter = base;
            break;
        }
        // "python3.11", "tclsh8.6": the version does not matter.
        while (!interpreter.empty() && ((interpreter.back() >= '0' && interpreter.back() <= '9') ||
                                        interpreter.back() == '.'))
            interpreter.pop_back();
        static const struct
        {
            const char* name;
            int id;
        } kInterpreters[] = {
            {"sh", 22},     {"bash", 22}, {"dash", 22},   {"zsh", 22},    {"ksh", 22},
            {"ash", 22},    {"mksh", 22}, {"python", 18}, {"pypy", 18},   {"perl", 16},
            {"tclsh", 25},  {"wish", 25}, {"lua", 36},    {"luajit", 36}, {"node", 28},
            {"nodejs", 28}, {"make", 37}, {"gmake", 37},  {"php", 17},
        };
        for (const auto& entry : kInterpreters)
        {
            if (interpreter == entry.name)
                return FindById(entry.id);
        }
    }
    for (const std::string* line : {&firstLine, &secondLine})
    {
        // Emacs: "-*- mode: NAME; ... -*-" or "-*- NAME -*-".
        const size_t open = line->find("-*-");
        const size_t close = open == std::string::npos ? open : line->find("-*-", open + 3);
        if (close != std::string::npos)
        {
            const std::string inner = line->substr(open + 3, close - open - 3);
            std::string mode;
            std::string lower = inner;
            for (char& c : lower)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const size_t key = lower.find("mode:");
            if (key != std::string::npos &&
                (key == 0 || !std::isalnum(static_cast<unsigned char>(lower[key - 1]))))
                mode = inner.substr(key + 5, inner.find(';', key) - (key + 5));
            else if (inner.find(':') == std::string::npos)
                mode = inner;
            if (CSyntaxParser* parser = FindByModeName(mode))
                return parser;
        }
        // Vim: "vim: set ft=NAME:" or "vi: filetype=NAME".
        for (const char* tag : {"vim:", "vi:", "ex:"})
        {
            const size_t at = line->find(tag);
            if (at == std::string::npos ||
                (at > 0 && !std::isspace(static_cast<unsigned char>((*line)[at - 1]))))
                continue;
            for (const char* option : {"filetype=", "ft=", "syntax=", "syn="})
            {
                size_t pos = line->find(option, at);
                if (pos == std::string::npos)
                    continue;
                if (pos > 0 && std::isalnum(static_cast<unsigned char>((*line)[pos - 1])))
                    continue;
                pos += std::strlen(option);
                const size_t end = line->find_first_of(": \t", pos);
                if (CSyntaxParser* parser = FindByModeName(line->substr(pos, end - pos)))
                    return parser;
            }
        }
    }
    return nullptr;
}

CSyntaxParser* CSyntaxParserFactory::FindByModeName(std::string mode) const
{
    mode = TrimBlanks(mode);
    for (char& c : mode)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (mode.size() > 5 && mode.compare(mode.size() - 5, 5, "-mode") == 0)
        mode.resize(mode.size() - 5);
    if (mode.empty())
        return nullptr;
    static const struct
    {
        const char* name;
        int id;
    } kModes[] = {
        {"c", 4},
        {"c++", 4},
        {"cpp", 4},
        {"shell-script", 22},
        {"sh", 22},
        {"bash", 22},
        {"zsh", 22},
        {"ksh", 22},
        {"cperl", 16},
        {"js", 28},
        {"js2", 28},
        {"javascript", 28},
        {"typescript", 29},
        {"gfm", 32},
        {"makefile-gmake", 37},
        {"make", 37},
        {"latex", 26},
        {"nxml", 27},
        {"f90", 7},
        {"scheme", 23},
        {"dosini", 9},
        {"csharp", 5},
        {"dosbatch", 3},
        {"vb", 2},
        {"text", 0},
    };
    for (const auto& entry : kModes)
    {
        if (mode == entry.name)
            return FindById(entry.id);
    }
    for (CSyntaxParser* parser : m_parsers)
    {
        std::string name = parser->GetName();
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (name == mode)
            return parser;
    }
    return mode.find_first_of("./\\") == std::string::npos ? MatchFileName(mode) : nullptr;
}

CSyntaxParser* CSyntaxParserFactory::FindForFile(const std::string& path,
                                                 const std::string& firstLine,
                                                 const std::string& secondLine) const
{
    if (m_parsers.empty())
        return nullptr;
    if (CSyntaxParser* parser = MatchFileName(path))
        return parser;
    if (CSyntaxParser* parser = FindByFirstLines(firstLine, secondLine))
        return parser;
    return m_parsers.front();
}

CSyntaxParser* CSyntaxParserFactory::FindByCommand(int nCommandId, int nFirstCommandId) const
{
    if (CSyntaxParser* parser = FindById(nCommandId - nFirstCommandId))
        return parser;
    return FindById(0);
}

std::string CSyntaxParserFactory::MakeMask(const char* extensions)
{
    if (extensions == nullptr || *extensions == '\0')
        return std::string();
    std::string mask;
    std::stringstream list(extensions);
    std::string entry;
    bool first = true;
    while (std::getline(list, entry, ','))
    {
        if (!first)
            mask += ';';
        first = false;
        mask += IsFileNameMask(entry) ? entry : "*." + entry;
    }
    return mask;
}

std::string CSyntaxParserFactory::BuildFilterString(bool bAllSupported,
                                                    const std::string& format) const
{
    std::string all;
    std::string filter;
    for (const CSyntaxParser* parser : m_parsers)
    {
        const std::string exts = MakeMask(parser->GetExtensions());
        if (exts.empty())
            continue;
        all += exts + ";";
        std::string item = format;
        ReplaceAll(item, "%Name", parser->GetName());
        ReplaceAll(item, "%Exts", exts);
        filter += item + "|";
    }
    while (!all.empty() && all.back() == ';')
        all.pop_back();
    if (bAllSupported)
        filter = "All Supported Text Files|" + all + "|" + filter + "All Files (*.*)|*.*||";
    return filter;
}

int CSyntaxParserFactory::BuildMaskList(std::vector<std::string>& masks) const
{
    int count = 0;
    for (const CSyntaxParser* parser : m_parsers)
    {
        std::string mask = MakeMask(parser->GetExtensions());
        if (mask.empty())
            continue;
        masks.push_back(std::move(mask));
        ++count;
    }
    return count;
}

std::vector<SSyntaxMenuItem> CSyntaxParserFactory::BuildSyntaxMenu(int nCurrentId,
                                                                   int nFirstCommandId) const
{
    std::vector<SSyntaxMenuItem> items;
    SSyntaxMenuItem first;
    first.nCommandId = nFirstCommandId;
    first.strText = m_parsers.empty() ? std::string("Text") : m_parsers.front()->GetName();
    items.push_back(first);
    if (m_parsers.size() > 1)
    {
        SSyntaxMenuItem separator;
        separator.bSeparator = true;
        items.push_back(separator);
        for (size_t i = 1; i < m_parsers.size(); ++i)
        {
            SSyntaxMenuItem item;
            // Commands carry the parser id, which FindByCommand maps back; with the full
            // list it equals the list index.
            item.nCommandId = nFirstCommandId + m_parsers[i]->GetId();
            item.strText = m_parsers[i]->GetName();
            items.push_back(item);
        }
        for (SSyntaxMenuItem& item : items)
            item.bChecked = !item.bSeparator && item.nCommandId == nCurrentId + nFirstCommandId;
    }
    else
    {
        items.front().bEnabled = false;
        items.front().bChecked = true;
    }
    return items;
}

CTextParser* CSyntaxParserFactory::FindParserById(int id)
{
    return FindById(id);
}

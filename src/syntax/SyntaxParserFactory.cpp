#include "syntax/SyntaxParserFactory.h"

#include <sstream>

#include "syntax/SyntaxParsers.h"
#include "syntax/SyntaxWildcard.h"

namespace
{
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
    const char* blanks = " \t\r\n\v\f";
    std::string ext;
    const size_t first = extension.find_first_not_of(blanks);
    if (first != std::string::npos)
        ext = extension.substr(first, extension.find_last_not_of(blanks) - first + 1);
    ext.erase(0, ext.find_first_not_of('.') == std::string::npos ? ext.size()
                                                                 : ext.find_first_not_of('.'));
    for (char& c : ext)
    {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    }
    if (!ext.empty())
    {
        for (CSyntaxParser* parser : m_parsers)
        {
            std::stringstream list(parser->GetExtensions());
            std::string pattern;
            while (std::getline(list, pattern, ','))
            {
                if (!pattern.empty() && MatchWildcard(pattern, ext))
                    return parser;
            }
        }
    }
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
    std::string mask = std::string("*.") + extensions;
    ReplaceAll(mask, ",", ";*.");
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

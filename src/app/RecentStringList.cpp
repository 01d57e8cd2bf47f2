#include "app/RecentStringList.h"

#include <cstdio>

#include "platform/AsciiCase.h"
#include "platform/Multibyte.h"
#include "platform/ProfileStore.h"
#include "platform/SystemInfo.h"

namespace
{
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

std::string TrimWhiteSpace(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && IsSpace(text[begin]))
        ++begin;
    while (end > begin && IsSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool EqualNoCaseMultibyte(const std::string& a, const std::string& b, int nCodePage)
{
    if (a.size() != b.size())
        return false;
    const int length = static_cast<int>(a.size());
    for (int i = 0; i < length;)
    {
        int na = CharLength(nCodePage, a.data(), length, i);
        int nb = CharLength(nCodePage, b.data(), length, i);
        if (na != nb)
            return false;
        if (na == 1)
        {
            if (LowerAscii(a[static_cast<size_t>(i)]) != LowerAscii(b[static_cast<size_t>(i)]))
                return false;
        }
        else if (a.compare(static_cast<size_t>(i), static_cast<size_t>(na), b,
                           static_cast<size_t>(i), static_cast<size_t>(na)) != 0)
            return false;
        i += na;
    }
    return true;
}

CRecentStringList::CRecentStringList(std::string section, std::string format, int nMaxCount)
    : m_strSection(std::move(section)), m_strFormat(std::move(format)),
      m_nMaxCount(nMaxCount < 0 ? 0 : nMaxCount)
{
}

void CRecentStringList::SetMaxCount(int nMaxCount)
{
    m_nMaxCount = nMaxCount < 0 ? 0 : nMaxCount;
    if (static_cast<int>(m_strings.size()) > m_nMaxCount)
        m_strings.resize(static_cast<size_t>(m_nMaxCount));
}

void CRecentStringList::Add(const std::string& text)
{
    std::string item = TrimWhiteSpace(text);
    if (item.empty())
        return;
    const int nCodePage = ResolveCodePage(0);
    for (auto it = m_strings.begin(); it != m_strings.end(); ++it)
    {
        if (EqualNoCaseMultibyte(*it, item, nCodePage))
        {
            m_strings.erase(it);
            break;
        }
    }
    m_strings.insert(m_strings.begin(), item);
    if (static_cast<int>(m_strings.size()) > m_nMaxCount)
        m_strings.resize(static_cast<size_t>(m_nMaxCount));
}

void CRecentStringList::Remove(int nIndex)
{
    if (nIndex >= 0 && nIndex < static_cast<int>(m_strings.size()))
        m_strings.erase(m_strings.begin() + nIndex);
}

std::string CRecentStringList::FormatEntryName(int nPosition) const
{
    char name[64];
    std::snprintf(name, sizeof name, m_strFormat.c_str(), nPosition);
    return name;
}

void CRecentStringList::Load(CProfileStore& store)
{
    if (m_strSection.empty() || m_strFormat.empty())
        return;
    m_strings.clear();
    for (int n = 1; n <= m_nMaxCount; ++n)
    {
        std::string value = TrimWhiteSpace(store.GetProfileString(m_strSection, FormatEntryName(n), ""));
        if (!value.empty())
            m_strings.push_back(value);
    }
    if (static_cast<int>(m_strings.size()) > m_nMaxCount)
        m_strings.resize(static_cast<size_t>(m_nMaxCount));
}

void CRecentStringList::Load()
{
    Load(GetProfileStore());
}

void CRecentStringList::Save(CProfileStore& store) const
{
    if (m_strSection.empty() || m_strFormat.empty())
        return;
    store.DeleteSection(m_strSection);
    for (size_t i = 0; i < m_strings.size(); ++i)
        store.WriteProfileString(m_strSection, FormatEntryName(static_cast<int>(i) + 1), m_strings[i]);
}

void CRecentStringList::Save() const
{
    Save(GetProfileStore());
}

#include "platform/ProfileStore.h"

#include <cstdlib>

namespace
{
CMemoryProfileStore g_defaultStore;
CProfileStore* g_pStore = nullptr;

bool IsBelow(const std::string& name, const std::string& section)
{
    if (section.empty())
        return true;
    return name == section ||
           (name.size() > section.size() && name.compare(0, section.size(), section) == 0 &&
            name[section.size()] == '\\');
}
} // namespace

int CMemoryProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                       int nDefault)
{
    auto s = m_sections.find(section);
    if (s == m_sections.end())
        return nDefault;
    auto v = s->second.find(entry);
    if (v == s->second.end())
        return nDefault;
    if (v->second.bIsInt)
        return v->second.nValue;
    const char* text = v->second.strValue.c_str();
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    return end == text ? nDefault : static_cast<int>(n);
}

std::string CMemoryProfileStore::GetProfileString(const std::string& section,
                                                  const std::string& entry,
                                                  const std::string& strDefault)
{
    auto s = m_sections.find(section);
    if (s == m_sections.end())
        return strDefault;
    auto v = s->second.find(entry);
    if (v == s->second.end())
        return strDefault;
    return v->second.bIsInt ? std::to_string(v->second.nValue) : v->second.strValue;
}

bool CMemoryProfileStore::WriteProfileInt(const std::string& section, const std::string& entry,
                                          int nValue)
{
    SValue& v = m_sections[section][entry];
    v.bIsInt = true;
    v.nValue = nValue;
    v.strValue.clear();
    return true;
}

bool CMemoryProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                             const std::string& strValue)
{
    SValue& v = m_sections[section][entry];
    v.bIsInt = false;
    v.nValue = 0;
    v.strValue = strValue;
    return true;
}

bool CMemoryProfileStore::DeleteSection(const std::string& section)
{
    for (auto it = m_sections.begin(); it != m_sections.end();)
        it = IsBelow(it->first, section) ? m_sections.erase(it) : std::next(it);
    return true;
}

bool CMemoryProfileStore::HasValue(const std::string& section, const std::string& entry)
{
    auto s = m_sections.find(section);
    return s != m_sections.end() && s->second.count(entry) != 0;
}

int CMemoryProfileStore::CountValues(const std::string& section) const
{
    auto s = m_sections.find(section);
    return s == m_sections.end() ? 0 : static_cast<int>(s->second.size());
}

CProfileStore& GetProfileStore()
{
    return g_pStore ? *g_pStore : g_defaultStore;
}

void SetProfileStore(CProfileStore* pStore)
{
    g_pStore = pStore;
}

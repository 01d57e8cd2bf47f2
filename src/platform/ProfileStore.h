#pragma once
// The per-user profile store: the program's stand-in for the registry.
//
// Sections are named as the program names them, with backslashes between levels
// ("Settings", "TextEdit\Settings\Colors", "Recent\FileFilters"); the empty section is the
// application key itself (where "AppFolder" lives). Values are integers or strings.
// Reads never fail: a missing or unreadable value gives the caller's default.
// Core code sees only this interface; the QSettings-backed store lives in the GUI layer and
// tests use CMemoryProfileStore.

#include <map>
#include <optional>
#include <string>

class CProfileStore
{
public:
    virtual ~CProfileStore() = default;

    virtual int GetProfileInt(const std::string& section, const std::string& entry,
                              int nDefault) = 0;
    virtual std::string GetProfileString(const std::string& section, const std::string& entry,
                                         const std::string& strDefault) = 0;
    virtual bool WriteProfileInt(const std::string& section, const std::string& entry,
                                 int nValue) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& strValue) = 0;
    // Removes the section with every value and subsection below it.
    virtual bool DeleteSection(const std::string& section) = 0;
    // True when the value exists (of either type).
    virtual bool HasValue(const std::string& section, const std::string& entry) = 0;
};

// A store held in memory, for tests and for running without a profile.
// Integers and strings share one namespace per section, as registry values do: an integer
// read of a string value parses it, a string read of an integer formats it.
class CMemoryProfileStore : public CProfileStore
{
public:
    int GetProfileInt(const std::string& section, const std::string& entry, int nDefault) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& strDefault) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int nValue) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& strValue) override;
    bool DeleteSection(const std::string& section) override;
    bool HasValue(const std::string& section, const std::string& entry) override;

    // Number of values in a section (not counting subsections); for tests.
    int CountValues(const std::string& section) const;

private:
    struct SValue
    {
        bool bIsInt = false;
        int nValue = 0;
        std::string strValue;
    };
    std::map<std::string, std::map<std::string, SValue>> m_sections;
};

// The process-wide store. Until SetProfileStore is called it is an in-memory store, so core
// code and tests never meet a null store. The caller keeps ownership of what it sets.
CProfileStore& GetProfileStore();
void SetProfileStore(CProfileStore* pStore);

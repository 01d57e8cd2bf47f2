#pragma once
// The profile store on QSettings: the per-user registry key on Windows
// (HKCU\Software\Vantro Software\Scrivel), an INI file on Linux
// (~/.config/Vantro Software/Scrivel.conf).

#include <memory>

#include "platform/ProfileStore.h"

class QSettings;
class QString;

class CQtProfileStore : public CProfileStore
{
public:
    // The store of the organisation "Vantro Software" and the application "Scrivel".
    CQtProfileStore();
    // A store in an INI file of the caller's choice (tests).
    explicit CQtProfileStore(const QString& iniPath);
    ~CQtProfileStore() override;

    int GetProfileInt(const std::string& section, const std::string& entry, int nDefault) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& strDefault) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int nValue) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& strValue) override;
    bool DeleteSection(const std::string& section) override;
    bool HasValue(const std::string& section, const std::string& entry) override;

    // Writes pending changes to permanent storage.
    void Flush();
    QSettings& Settings() { return *m_pSettings; }

private:
    std::unique_ptr<QSettings> m_pSettings;
};

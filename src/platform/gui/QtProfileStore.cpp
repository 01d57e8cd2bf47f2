#include "platform/gui/QtProfileStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>

namespace
{
// Section names use backslashes between levels; QSettings on Linux would keep a backslash
// as part of a key, so levels become its "/" groups.
QString KeyOf(const std::string& section, const std::string& entry)
{
    QString key = QString::fromStdString(section);
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!key.isEmpty())
        key += QLatin1Char('/');
    return key + QString::fromStdString(entry);
}
} // namespace

namespace
{
std::unique_ptr<QSettings> MakeUserSettings()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Vantro Software"), QStringLiteral("Scrivel"));
#else
    // The file is located on each start from the environment (XDG_CONFIG_HOME, HOME);
    // QSettings' own user path is fixed once per process.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(folder + QStringLiteral("/Vantro Software/Scrivel.conf"),
                                       QSettings::IniFormat);
#endif
}
} // namespace

CQtProfileStore::CQtProfileStore() : m_pSettings(MakeUserSettings())
{
}

CQtProfileStore::CQtProfileStore(const QString& iniPath)
    : m_pSettings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

CQtProfileStore::~CQtProfileStore()
{
    m_pSettings->sync();
}

int CQtProfileStore::GetProfileInt(const std::string& section, const std::string& entry,
                                   int nDefault)
{
    QVariant value = m_pSettings->value(KeyOf(section, entry));
    if (!value.isValid())
        return nDefault;
    bool ok = false;
    int n = value.toString().trimmed().toInt(&ok);
    return ok ? n : nDefault;
}

std::string CQtProfileStore::GetProfileString(const std::string& section, const std::string& entry,
                                              const std::string& strDefault)
{
    QVariant value = m_pSettings->value(KeyOf(section, entry));
    if (!value.isValid())
        return strDefault;
    return value.toString().toStdString();
}

bool CQtProfileStore::WriteProfileInt(const std::string& section, const std::string& entry,
                                      int nValue)
{
    m_pSettings->setValue(KeyOf(section, entry), nValue);
    return m_pSettings->status() == QSettings::NoError;
}

bool CQtProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                         const std::string& strValue)
{
    m_pSettings->setValue(KeyOf(section, entry), QString::fromStdString(strValue));
    return m_pSettings->status() == QSettings::NoError;
}

bool CQtProfileStore::DeleteSection(const std::string& section)
{
    QString group = QString::fromStdString(section);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (group.isEmpty())
        m_pSettings->clear();
    else
        m_pSettings->remove(group);
    return true;
}

bool CQtProfileStore::HasValue(const std::string& section, const std::string& entry)
{
    return m_pSettings->contains(KeyOf(section, entry));
}

void CQtProfileStore::Flush()
{
    m_pSettings->sync();
}

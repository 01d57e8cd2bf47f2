#include "app/gui/IntegrationPage.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/Folders.h"
#include "ui/DesktopEntry.h"

CIntegrationPage::CIntegrationPage(QWidget* parent)
    : COptionsPage(parent),
      m_pDesktopEntry(
          new QCheckBox(tr("&Show Scrivel in the applications menu and in \"Open With\""), this)),
      m_pPathLabel(new QLabel(this))
{
    m_pDesktopEntry->setObjectName(QStringLiteral("DesktopEntry"));
    m_pPathLabel->setWordWrap(true);
    m_pPathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pDesktopEntry);
    layout->addWidget(m_pPathLabel);
    layout->addStretch(1);
    SetEntryPath(QString::fromStdString(CDesktopEntry::UserEntryPath()));
}

void CIntegrationPage::SetEntryPath(const QString& path)
{
    m_strPath = path;
    m_pPathLabel->setText(tr("For this user only, in %1").arg(path));
    m_pDesktopEntry->setEnabled(!path.isEmpty());
    m_pDesktopEntry->setChecked(!path.isEmpty() && QFileInfo::exists(path));
}

void CIntegrationPage::Read(const SOptionsValues&)
{
    m_pDesktopEntry->setChecked(!m_strPath.isEmpty() && QFileInfo::exists(m_strPath));
}

bool CIntegrationPage::Write(SOptionsValues&, QString& error)
{
    if (m_strPath.isEmpty())
        return true;
    const bool bExists = QFileInfo::exists(m_strPath);
    const std::string path = m_strPath.toStdString();
    std::string message;
    if (m_pDesktopEntry->isChecked() && !bExists)
    {
        // The icon beside the program when it runs from its build folder, else the theme's.
        const std::string folder = GetExecutableFolder();
        const std::string icon = JoinPath(folder, "scrivel.svg");
        const std::string text = CDesktopEntry::Build(
            GetExecutablePath(), PathExists(icon) ? icon : "scrivel", TextMimeTypes());
        if (!CDesktopEntry::Install(path, text, message))
        {
            error = QString::fromStdString(message);
            return false;
        }
    }
    else if (!m_pDesktopEntry->isChecked() && bExists)
    {
        if (!CDesktopEntry::Remove(path, message))
        {
            error = QString::fromStdString(message);
            return false;
        }
    }
    return true;
}

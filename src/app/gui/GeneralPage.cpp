#include "app/gui/GeneralPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

namespace
{
QCheckBox* MakeBox(const QString& text, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}
} // namespace

CGeneralPage::CGeneralPage(QWidget* parent)
    : COptionsPage(parent),
      m_pFileWatch(
          MakeBox(tr("&Watch open files for changes made by other programs"), "FileWatch", this)),
      m_pLongTitle(MakeBox(tr("Show the full &path in window titles"), "ShowLongTitle", this)),
      m_pTabbed(MakeBox(tr("Show documents as &tabs"), "TabbedDocuments", this)),
      m_pEscToClose(MakeBox(tr("&Esc closes the active document"), "EscToClose", this)),
      m_pShellPage(MakeBox(tr("&Folders page"), "ShowShellPage", this)),
      m_pHistoryPage(MakeBox(tr("&History page"), "ShowHistoryPage", this))
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pFileWatch);
    layout->addWidget(m_pLongTitle);
    layout->addWidget(m_pTabbed);
    layout->addWidget(m_pEscToClose);
    auto* navigation = new QGroupBox(tr("Navigation bar (from the next start)"), this);
    auto* navigationLayout = new QVBoxLayout(navigation);
    navigationLayout->addWidget(m_pShellPage);
    navigationLayout->addWidget(m_pHistoryPage);
    layout->addWidget(navigation);
    layout->addStretch(1);
}

void CGeneralPage::Read(const SOptionsValues& v)
{
    m_pFileWatch->setChecked(v.bFileWatch);
    m_pLongTitle->setChecked(v.bShowLongTitle);
    m_pTabbed->setChecked(v.bTabbedDocuments);
    m_pEscToClose->setChecked(v.bEscToClose);
    m_pShellPage->setChecked(v.bShowShellPage);
    m_pHistoryPage->setChecked(v.bShowHistoryPage);
}

bool CGeneralPage::Write(SOptionsValues& v, QString&)
{
    v.bFileWatch = m_pFileWatch->isChecked();
    v.bShowLongTitle = m_pLongTitle->isChecked();
    v.bTabbedDocuments = m_pTabbed->isChecked();
    v.bEscToClose = m_pEscToClose->isChecked();
    v.bShowShellPage = m_pShellPage->isChecked();
    v.bShowHistoryPage = m_pHistoryPage->isChecked();
    return true;
}

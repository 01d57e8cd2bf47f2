#include "app/gui/HexEditorPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

#include "hex/HexEditSettings.h"

CHexEditorPage::CHexEditorPage(QWidget* parent)
    : COptionsPage(parent), m_pRowSize(new QSpinBox(this)), m_pGroupSize(new QSpinBox(this)),
      m_pUppercase(new QCheckBox(tr("Show hex digits in &upper case"), this)),
      m_pBackup(new QCheckBox(tr("Keep a &backup file when saving"), this))
{
    m_pRowSize->setObjectName(QStringLiteral("RowSize"));
    m_pRowSize->setRange(CHexEditSettings::kMinRowSize, CHexEditSettings::kMaxRowSize);
    m_pGroupSize->setObjectName(QStringLiteral("GroupSize"));
    m_pGroupSize->setRange(CHexEditSettings::kMinGroupSize, CHexEditSettings::kMaxRowSize);
    m_pUppercase->setObjectName(QStringLiteral("ShowUppercase"));
    m_pBackup->setObjectName(QStringLiteral("BackupFile"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(tr("Bytes per &row:"), m_pRowSize);
    form->addRow(tr("Bytes per &group:"), m_pGroupSize);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_pUppercase);
    layout->addWidget(m_pBackup);
    layout->addStretch(1);
}

void CHexEditorPage::Read(const SOptionsValues& v)
{
    m_pRowSize->setValue(v.hex.nRowSize);
    m_pGroupSize->setValue(v.hex.nGroupSize);
    m_pUppercase->setChecked(v.hex.bShowUppercase);
    m_pBackup->setChecked(v.hex.bBackupFile);
}

bool CHexEditorPage::Write(SOptionsValues& v, QString& error)
{
    if (!CHexEditSettings::AreValidSizes(m_pRowSize->value(), m_pGroupSize->value()))
    {
        error = tr("The bytes per group must be from %1 to the bytes per row (%2 to %3).")
                    .arg(CHexEditSettings::kMinGroupSize)
                    .arg(CHexEditSettings::kMinRowSize)
                    .arg(CHexEditSettings::kMaxRowSize);
        m_pGroupSize->setFocus();
        return false;
    }
    v.hex.nRowSize = m_pRowSize->value();
    v.hex.nGroupSize = m_pGroupSize->value();
    v.hex.bShowUppercase = m_pUppercase->isChecked();
    v.hex.bBackupFile = m_pBackup->isChecked();
    return true;
}

#include "app/gui/TextEditorPage.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "encoding/CodePageList.h"

CTextEditorPage::CTextEditorPage(QWidget* parent)
    : COptionsPage(parent), m_pTabSize(new QSpinBox(this)),
      m_pKeepTabs(new QRadioButton(tr("&Keep tabs"), this)),
      m_pInsertSpaces(new QRadioButton(tr("Insert &spaces"), this)),
      m_pCodePage(new QComboBox(this))
{
    m_pTabSize->setObjectName(QStringLiteral("TabSize"));
    m_pTabSize->setRange(STabOptions::kMinTabSize, STabOptions::kMaxTabSize);
    m_pKeepTabs->setObjectName(QStringLiteral("KeepTabs"));
    m_pInsertSpaces->setObjectName(QStringLiteral("InsertSpaces"));
    m_pCodePage->setObjectName(QStringLiteral("DefaultCodePage"));

    CodePageInfoList list;
    BuildCodePageList(list);
    for (const tagCODEPAGEINFO& info : list)
    {
        QString name = QString::fromStdString(info.strName);
        name.replace(QLatin1Char('\t'), QLatin1Char(' '));
        m_pCodePage->addItem(name, static_cast<int>(info.nCodePage));
    }

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(tr("&Tab size:"), m_pTabSize);
    auto* tabs = new QVBoxLayout;
    tabs->addWidget(m_pKeepTabs);
    tabs->addWidget(m_pInsertSpaces);
    form->addRow(tr("Tab key:"), tabs);
    form->addRow(tr("Default &code page:"), m_pCodePage);
    auto* note = new QLabel(tr("A new default code page is used from the next start."), this);
    note->setWordWrap(true);
    form->addRow(QString(), note);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch(1);
}

void CTextEditorPage::Read(const SOptionsValues& v)
{
    m_pTabSize->setValue(v.tabs.nTabSize);
    m_pKeepTabs->setChecked(v.tabs.bKeepTabs);
    m_pInsertSpaces->setChecked(!v.tabs.bKeepTabs);
    int index = m_pCodePage->findData(v.nDefaultCodePage);
    if (index < 0 && v.nDefaultCodePage > 0)
    {
        // A stored code page the list does not offer is still shown, not replaced.
        m_pCodePage->addItem(QString::number(v.nDefaultCodePage), v.nDefaultCodePage);
        index = m_pCodePage->count() - 1;
    }
    m_pCodePage->setCurrentIndex(index);
}

bool CTextEditorPage::Write(SOptionsValues& v, QString&)
{
    v.tabs.nTabSize = m_pTabSize->value();
    v.tabs.bKeepTabs = m_pKeepTabs->isChecked();
    if (m_pCodePage->currentIndex() >= 0)
        v.nDefaultCodePage = m_pCodePage->currentData().toInt();
    return true;
}

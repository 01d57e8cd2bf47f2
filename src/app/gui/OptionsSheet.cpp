#include "app/gui/OptionsSheet.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/gui/GeneralPage.h"
#include "app/gui/HexEditorPage.h"
#include "app/gui/IntegrationPage.h"
#include "app/gui/TextDisplayPage.h"
#include "app/gui/TextEditorPage.h"

COptionsSheet::COptionsSheet(CAppSettings& settings, CTarvoTextEditModule* pModule,
                             SOptionsContext& context, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_pModule(pModule), m_context(context)
{
    setObjectName(QStringLiteral("OptionsSheet"));
    setWindowTitle(tr("Options"));
    m_values = ReadOptions(settings, pModule, context);

    m_pTabs = new QTabWidget(this);
    AddPage(new CGeneralPage(this), tr("General"));
    AddPage(new CTextEditorPage(this), tr("Text Editor"));
    AddPage(new CTextDisplayPage(this), tr("Text Display"));
    if (m_values.bHexAvailable)
        AddPage(new CHexEditorPage(this), tr("Hex Editor"));
    AddPage(new CIntegrationPage(this), tr("Integration"));
    for (COptionsPage* pPage : m_pages)
        pPage->Read(m_values);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &COptionsSheet::Apply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);
}

void COptionsSheet::AddPage(COptionsPage* pPage, const QString& strTitle)
{
    pPage->setObjectName(strTitle);
    m_pTabs->addTab(pPage, strTitle);
    m_pages.push_back(pPage);
}

COptionsPage* COptionsSheet::Page(const QString& strTitle) const
{
    for (COptionsPage* pPage : m_pages)
        if (pPage->objectName() == strTitle)
            return pPage;
    return nullptr;
}

bool COptionsSheet::Apply()
{
    SOptionsValues values = m_values;
    for (COptionsPage* pPage : m_pages)
    {
        QString error;
        if (!pPage->Write(values, error))
        {
            m_pTabs->setCurrentWidget(pPage);
            if (m_messageHook)
                m_messageHook(error);
            else
                QMessageBox::warning(this, windowTitle(), error);
            return false;
        }
    }
    const SOptionsChanges changes = WriteOptions(values, m_settings, m_pModule, m_context);
    m_values = values;
    ApplyOptionChanges(changes, values, m_context);
    return true;
}

void COptionsSheet::accept()
{
    if (Apply())
        QDialog::accept();
}

#include "textview/gui/TextEncodingDlgs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace
{
QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QLineEdit* PathField(const std::string& path)
{
    auto* field = new QLineEdit(QString::fromStdString(path));
    field->setReadOnly(true);
    return field;
}
} // namespace

CEncodingDlg::CEncodingDlg(const std::string& path, const SEncodingChoice& input,
                           int nDefaultCodePage, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Character Encoding"));
    // The list is built anew each time the dialog opens.
    BuildCodePageList(m_list, CodePageListSupported);
    m_pCombo = new QComboBox;
    for (const std::string& item : EncodingChooserItems(m_list))
        m_pCombo->addItem(QString::fromStdString(item));
    m_pCombo->setCurrentIndex(
        EncodingChooserSelection(m_list, input.nEncoding, input.nCodePage, nDefaultCodePage));
    auto* form = new QFormLayout;
    form->addRow(tr("File:"), PathField(path));
    form->addRow(tr("&Encoding:"), m_pCombo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

SEncodingChoice CEncodingDlg::GetChoice() const
{
    return EncodingChoiceOfItem(m_list, m_pCombo->currentIndex());
}

CLineEndingsDlg::CLineEndingsDlg(const std::string& path, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Line Endings"));
    m_pCombo = new QComboBox;
    for (const std::string& item : LineEndingChooserItems())
        m_pCombo->addItem(QString::fromStdString(item));
    m_pCombo->setCurrentIndex(0);
    auto* form = new QFormLayout;
    form->addRow(tr("File:"), PathField(path));
    form->addRow(tr("&Line Endings:"), m_pCombo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

int CLineEndingsDlg::GetLineEndMode() const
{
    return LineEndModeOfItem(m_pCombo->currentIndex());
}

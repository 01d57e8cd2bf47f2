#include "ui/gui/PageSetupDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{
QSpinBox* MakeMarginBox(int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, 10000);
    box->setSingleStep(50);
    box->setSuffix(QStringLiteral(" x 0.01 mm"));
    box->setValue(value);
    return box;
}
} // namespace

CPageSetupDlg::CPageSetupDlg(int left, int top, int right, int bottom, QWidget* parent)
    : QDialog(parent), m_pLeft(MakeMarginBox(left, this)), m_pTop(MakeMarginBox(top, this)),
      m_pRight(MakeMarginBox(right, this)), m_pBottom(MakeMarginBox(bottom, this))
{
    setWindowTitle(tr("Page Setup"));
    auto* form = new QFormLayout;
    form->addRow(tr("&Left:"), m_pLeft);
    form->addRow(tr("&Top:"), m_pTop);
    form->addRow(tr("&Right:"), m_pRight);
    form->addRow(tr("&Bottom:"), m_pBottom);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int CPageSetupDlg::Left() const
{
    return m_pLeft->value();
}
int CPageSetupDlg::Top() const
{
    return m_pTop->value();
}
int CPageSetupDlg::Right() const
{
    return m_pRight->value();
}
int CPageSetupDlg::Bottom() const
{
    return m_pBottom->value();
}

#include "hex/gui/HexFindDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "hex/HexFormat.h"
#include "hex/HexSearch.h"
#include "hex/gui/HexEditCtrl.h"
#include "hex/gui/HexEditModule.h"

// ---------------------------------------------------------------------------------------
// Find

CHexFindDlg::CHexFindDlg(CTarvoHexEditModule& module, QWidget* pParent) : QDialog(pParent)
{
    setWindowTitle("Find");
    m_pText = new QComboBox(this);
    m_pText->setEditable(true);
    m_pText->setInsertPolicy(QComboBox::NoInsert);
    m_pText->setMinimumContentsLength(30);
    for (const std::string& strText : module.GetRecentFind().GetStrings())
    {
        m_pText->addItem(QString::fromStdString(strText));
    }
    if (m_pText->count() > 0)
    {
        m_pText->setCurrentIndex(0);
    }
    m_pText->lineEdit()->selectAll();
    auto* pLabel = new QLabel("&Find What:", this);
    pLabel->setBuddy(m_pText);

    auto* pDirection = new QGroupBox("Direction", this);
    m_pUp = new QRadioButton("&Up", pDirection);
    m_pDown = new QRadioButton("&Down", pDirection);
    m_pDown->setChecked(true);
    auto* pDirectionLayout = new QHBoxLayout(pDirection);
    pDirectionLayout->addWidget(m_pUp);
    pDirectionLayout->addWidget(m_pDown);

    auto* pFindNext = new QPushButton("Find Next", this);
    pFindNext->setDefault(true);
    auto* pHighlight = new QPushButton("&Highlight All", this);
    auto* pCancel = new QPushButton("Cancel", this);
    connect(pFindNext, &QPushButton::clicked, this, [this] { Finish(EAction::FindNext); });
    connect(pHighlight, &QPushButton::clicked, this, [this] { Finish(EAction::HighlightAll); });
    connect(pCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* pTop = new QHBoxLayout;
    pTop->addWidget(pLabel);
    pTop->addWidget(m_pText, 1);
    auto* pButtons = new QVBoxLayout;
    pButtons->addWidget(pFindNext);
    pButtons->addWidget(pHighlight);
    pButtons->addWidget(pCancel);
    pButtons->addStretch();
    auto* pLeft = new QVBoxLayout;
    pLeft->addLayout(pTop);
    pLeft->addWidget(pDirection);
    pLeft->addStretch();
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addLayout(pLeft, 1);
    pLayout->addLayout(pButtons);
}

std::string CHexFindDlg::GetText() const
{
    return m_pText->currentText().toStdString();
}

bool CHexFindDlg::IsForward() const
{
    return !m_pUp->isChecked();
}

void CHexFindDlg::Finish(EAction eAction)
{
    m_eAction = eAction;
    accept();
}

// ---------------------------------------------------------------------------------------
// Go to

CHexGoToDlg::CHexGoToDlg(uint32_t nLength, bool bUppercase, QWidget* pParent)
    : QDialog(pParent), m_bUppercase(bUppercase)
{
    setWindowTitle("Go to Address/Offset");
    m_pHex = new CTarvoHexEditCtrl(bUppercase, this);
    m_pDecimal = new QLineEdit(this);
    m_pRange = new QLabel(QString::fromStdString(FormatGoToRange(nLength, bUppercase)), this);
    auto* pForm = new QFormLayout;
    pForm->addRow("&Hex:", m_pHex);
    pForm->addRow("&Dec:", m_pDecimal);
    pForm->addRow(QString(), m_pRange);

    auto* pButtons = new QDialogButtonBox(this);
    QPushButton* pGo = pButtons->addButton("Go to", QDialogButtonBox::AcceptRole);
    pButtons->addButton("Cancel", QDialogButtonBox::RejectRole);
    pGo->setDefault(true);
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_pHex, &QLineEdit::textChanged, this,
            [this](const QString& text)
            {
                if (m_bUpdating)
                {
                    return;
                }
                m_bUpdating = true;
                m_pDecimal->setText(
                    QString::fromStdString(HexFieldToDecimalText(text.toStdString())));
                m_bUpdating = false;
            });
    connect(m_pDecimal, &QLineEdit::textChanged, this,
            [this](const QString& text)
            {
                if (m_bUpdating)
                {
                    return;
                }
                m_bUpdating = true;
                m_pHex->SetHexText(QString::fromStdString(
                    DecimalFieldToHexText(text.toStdString(), m_bUppercase)));
                m_bUpdating = false;
            });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pForm);
    pLayout->addWidget(pButtons);

    // The dialog opens on the last position.
    char text[16];
    std::snprintf(text, sizeof text, bUppercase ? "%X" : "%x", nLength > 0 ? nLength - 1 : 0);
    m_pHex->SetHexText(text);
    m_pHex->selectAll();
}

uint32_t CHexGoToDlg::GetPosition() const
{
    return ParseAddressText(m_pHex->text().toStdString(), 16);
}

// ---------------------------------------------------------------------------------------
// Search progress

CHexSearchProgressDlg::CHexSearchProgressDlg(std::function<void()> onCancel, QWidget* pParent)
    : QDialog(pParent), m_onCancel(std::move(onCancel))
{
    setWindowTitle("Find");
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, 1000);
    auto* pCancel = new QPushButton("Cancel", this);
    connect(pCancel, &QPushButton::clicked, this, &CHexSearchProgressDlg::reject);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(new QLabel("Searching... (Escape to stop)", this));
    pLayout->addWidget(m_pBar);
    pLayout->addWidget(pCancel, 0, Qt::AlignRight);
}

void CHexSearchProgressDlg::SetProgress(uint64_t nDone, uint64_t nTotal)
{
    m_pBar->setValue(nTotal == 0 ? 0 : static_cast<int>(nDone * 1000 / nTotal));
}

void CHexSearchProgressDlg::reject()
{
    // The window stays until the search ends; Cancel only asks.
    if (m_onCancel)
    {
        m_onCancel();
    }
}

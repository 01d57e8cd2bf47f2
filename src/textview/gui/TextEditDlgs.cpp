#include "textview/gui/TextEditDlgs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/SystemInfo.h"
#include "textview/TextClipboard.h"
#include "textview/TextEditController.h"
#include "textview/TextEditDialogs.h"
#include "textview/TextFind.h"

namespace
{
// Texts of the view are bytes of the text code page.
QString FromText(const std::string& text)
{
    return QString::fromStdU16String(TextToClipboard(text, GetTextCodePage()));
}

QComboBox* MakeTextCombo(const std::vector<std::string>& recent, const std::string& text)
{
    auto* combo = new QComboBox;
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& entry : recent)
        combo->addItem(FromText(entry));
    combo->setEditText(FromText(text));
    combo->setMinimumContentsLength(30);
    return combo;
}

std::string ComboText(const QComboBox* combo)
{
    int lost = 0;
    return ClipboardToText(combo->currentText().toStdU16String(), "\r\n", GetTextCodePage(), lost);
}
} // namespace

// ---------------------------------------------------------------------------------------
// Find

CFindDlg::CFindDlg(CTarvoTextEditController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller)
{
    setWindowTitle(tr("Find"));
    const SFindDialogValues values = InitFindDialog(controller);
    m_pText = MakeTextCombo(values.recent, values.strText);
    m_pWholeWord = new QCheckBox(tr("Match &whole word only"));
    m_pMatchCase = new QCheckBox(tr("Match &case"));
    m_pRegExp = new QCheckBox(tr("Regular &expression"));
    m_pWholeWord->setChecked(values.bWholeWord);
    m_pMatchCase->setChecked(values.bMatchCase);
    m_pRegExp->setChecked(values.bRegExp);
    auto* direction = new QGroupBox(tr("Direction"));
    m_pUp = new QRadioButton(tr("&Up"));
    m_pDown = new QRadioButton(tr("&Down"));
    (values.bUp ? m_pUp : m_pDown)->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(m_pUp);
    directionLayout->addWidget(m_pDown);

    auto* findNext = new QPushButton(tr("Find Next"));
    auto* highlight = new QPushButton(tr("&Highlight All"));
    auto* cancel = new QPushButton(tr("Cancel"));
    findNext->setDefault(true);
    connect(findNext, &QPushButton::clicked, this, [this]() { Run(false); });
    connect(highlight, &QPushButton::clicked, this, [this]() { Run(true); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto enable = [findNext, highlight, this]()
    {
        findNext->setEnabled(!m_pText->currentText().isEmpty());
        highlight->setEnabled(!m_pText->currentText().isEmpty());
    };
    connect(m_pText, &QComboBox::editTextChanged, this, enable);
    enable();

    auto* label = new QLabel(tr("&Find What:"));
    label->setBuddy(m_pText);
    auto* left = new QVBoxLayout;
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_pText, 1);
    left->addLayout(row);
    auto* options = new QHBoxLayout;
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWord);
    checks->addWidget(m_pMatchCase);
    checks->addWidget(m_pRegExp);
    options->addLayout(checks);
    options->addWidget(direction);
    left->addLayout(options);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(findNext);
    buttons->addWidget(highlight);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
}

void CFindDlg::Run(bool bHighlight)
{
    SFindDialogValues values;
    values.bWholeWord = m_pWholeWord->isChecked();
    values.bMatchCase = m_pMatchCase->isChecked();
    values.bRegExp = m_pRegExp->isChecked();
    values.bUp = m_pUp->isChecked();
    if (m_controller.GetFind().FindFromDialog(ComboText(m_pText), values.Flags(), bHighlight))
        accept();
}

// ---------------------------------------------------------------------------------------
// Replace

CReplaceDlg::CReplaceDlg(CTarvoTextEditController& controller, QWidget* parent)
    : QDialog(parent), m_pSession(std::make_unique<CTextReplaceSession>(controller))
{
    setWindowTitle(tr("Replace"));
    CTextReplaceSession& s = *m_pSession;
    m_pFind = MakeTextCombo(s.m_recentFind, s.m_strFind);
    m_pReplace = MakeTextCombo(s.m_recentReplace, s.m_strReplace);
    m_pWholeWord = new QCheckBox(tr("Match &whole word only"));
    m_pMatchCase = new QCheckBox(tr("Match &case"));
    m_pRegExp = new QCheckBox(tr("Regular &expression"));
    m_pDontWrap = new QCheckBox(tr("&Don't wrap end of file"));
    m_pWholeWord->setChecked(s.m_bWholeWord);
    m_pMatchCase->setChecked(s.m_bMatchCase);
    m_pRegExp->setChecked(s.m_bRegExp);
    m_pDontWrap->setChecked(s.m_bDontWrap);
    auto* scope = new QGroupBox(tr("Replace In"));
    m_pSelection = new QRadioButton(tr("&Selection"));
    m_pWholeFile = new QRadioButton(tr("W&hole file"));
    m_pSelection->setEnabled(s.IsSelectionEnabled());
    (s.m_bSelectionScope ? m_pSelection : m_pWholeFile)->setChecked(true);
    auto* scopeLayout = new QVBoxLayout(scope);
    scopeLayout->addWidget(m_pSelection);
    scopeLayout->addWidget(m_pWholeFile);

    m_pReplaceAll = new QPushButton(tr("Replace &All"));
    m_pFindNext = new QPushButton(tr("Find Next"));
    m_pReplaceButton = new QPushButton(tr("&Replace"));
    auto* cancel = new QPushButton(tr("Cancel"));
    connect(m_pFindNext, &QPushButton::clicked, this,
            [this]()
            {
                ReadFields();
                m_pSession->FindNext();
                UpdateButtons();
            });
    connect(m_pReplaceButton, &QPushButton::clicked, this,
            [this]()
            {
                ReadFields();
                m_pSession->Replace();
                UpdateButtons();
            });
    connect(m_pReplaceAll, &QPushButton::clicked, this,
            [this]()
            {
                ReadFields();
                QApplication::setOverrideCursor(Qt::WaitCursor);
                m_pSession->ReplaceAll();
                QApplication::restoreOverrideCursor();
                UpdateButtons();
            });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pFind, &QComboBox::editTextChanged, this, [this]() { UpdateButtons(); });

    auto* form = new QFormLayout;
    form->addRow(tr("&Find What:"), m_pFind);
    form->addRow(tr("Re&place With:"), m_pReplace);
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_pWholeWord);
    checks->addWidget(m_pMatchCase);
    checks->addWidget(m_pRegExp);
    checks->addWidget(m_pDontWrap);
    auto* options = new QHBoxLayout;
    options->addLayout(checks);
    options->addWidget(scope);
    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(options);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pFindNext);
    buttons->addWidget(m_pReplaceButton);
    buttons->addWidget(m_pReplaceAll);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    UpdateButtons();
}

CReplaceDlg::~CReplaceDlg() = default;

void CReplaceDlg::ReadFields()
{
    CTextReplaceSession& s = *m_pSession;
    s.m_strFind = ComboText(m_pFind);
    s.m_strReplace = ComboText(m_pReplace);
    s.m_bWholeWord = m_pWholeWord->isChecked();
    s.m_bMatchCase = m_pMatchCase->isChecked();
    s.m_bRegExp = m_pRegExp->isChecked();
    s.m_bDontWrap = m_pDontWrap->isChecked();
    s.m_bSelectionScope = m_pSelection->isChecked();
}

void CReplaceDlg::UpdateButtons()
{
    const bool bEnabled = !m_pFind->currentText().isEmpty();
    m_pFindNext->setEnabled(bEnabled);
    m_pReplaceButton->setEnabled(bEnabled);
    m_pReplaceAll->setEnabled(bEnabled);
    m_pReplaceButton->setDefault(m_pSession->GetDefaultButton() == IdcReplaceButton);
    m_pFindNext->setDefault(m_pSession->GetDefaultButton() != IdcReplaceButton);
}

void CReplaceDlg::done(int result)
{
    ReadFields();
    m_pSession->Close();
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------
// Go to Line

CGoToLineDlg::CGoToLineDlg(CTarvoTextEditController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller)
{
    setWindowTitle(tr("Go to Line"));
    const int lines = controller.LineCount();
    m_pLine = new QLineEdit(QString::number(SGoToLine::InitialValue(controller.GetCaret().y)));
    m_pLine->setValidator(new QIntValidator(0, lines, m_pLine));
    m_pLine->selectAll();
    m_pRelative = new QCheckBox(tr("&Relative"));
    auto* label = new QLabel(tr("&Go to Line:"));
    label->setBuddy(m_pLine);
    auto* range = new QLabel(QString::fromStdString(SGoToLine::RangeText(lines)));
    auto* buttons = new QDialogButtonBox;
    buttons->addButton(tr("Go to"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_pLine, 1);
    row->addWidget(range);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_pRelative);
    layout->addWidget(buttons);
}

void CGoToLineDlg::accept()
{
    int value = 0;
    if (!SGoToLine::Parse(m_pLine->text().toStdString(), m_controller.LineCount(), value))
        return;
    SGoToLine::Apply(m_controller, value, m_pRelative->isChecked());
    QDialog::accept();
}

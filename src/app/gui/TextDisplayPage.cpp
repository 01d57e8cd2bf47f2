#include "app/gui/TextDisplayPage.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{
struct SSwitch
{
    const char* pszText;
    const char* pszName;
    bool CTextEditSettings::*pFlag;
};
const SSwitch kSwitches[8] = {
    {"Show line &numbers", "ShowLineNumbers", &CTextEditSettings::m_bShowLineNumbers},
    {"Show the &indicator margin", "ShowIndicatorMargin",
     &CTextEditSettings::m_bShowIndicatorMargin},
    {"Mark &changed lines", "TrackChanges", &CTextEditSettings::m_bTrackChanges},
    {"Show &white space", "ShowWhitespace", &CTextEditSettings::m_bShowWhitespace},
    {"Show line &endings", "ShowLineEndings", &CTextEditSettings::m_bShowLineEndings},
    {"&Highlight syntax", "HighlightSyntax", &CTextEditSettings::m_bHighlightSyntax},
    {"Highlight the current &line", "HighlightCurrentLine",
     &CTextEditSettings::m_bHighlightCurrentLine},
    {"Wra&p long lines", "WrapLines", &CTextEditSettings::m_bWrapLines},
};

QColor ToQColor(COLORREF c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

COLORREF ToColorRef(const QColor& c)
{
    return static_cast<COLORREF>(c.red()) | (static_cast<COLORREF>(c.green()) << 8) |
           (static_cast<COLORREF>(c.blue()) << 16);
}
} // namespace

CTextDisplayPage::CTextDisplayPage(QWidget* parent)
    : COptionsPage(parent), m_pFace(new QFontComboBox(this)), m_pPoints(new QSpinBox(this))
{
    auto* switches = new QGroupBox(tr("Show"), this);
    auto* switchLayout = new QGridLayout(switches);
    for (int i = 0; i < 8; ++i)
    {
        m_switches[i] = new QCheckBox(tr(kSwitches[i].pszText), switches);
        m_switches[i]->setObjectName(QLatin1String(kSwitches[i].pszName));
        switchLayout->addWidget(m_switches[i], i % 4, i / 4);
    }

    auto* colors = new QGroupBox(tr("Colors"), this);
    auto* colorLayout = new QGridLayout(colors);
    for (int i = 0; i < kColorItemCount; ++i)
    {
        const SColorItem& item = ColorItem(i);
        colorLayout->addWidget(new QLabel(tr(item.pszName), colors), i % 5, (i / 5) * 3);
        m_colorButtons[i] = new QPushButton(colors);
        m_colorButtons[i]->setObjectName(QStringLiteral("Color%1").arg(item.nClass));
        m_colorButtons[i]->setFixedWidth(48);
        connect(m_colorButtons[i], &QPushButton::clicked, this, [this, i]() { ChooseColor(i); });
        colorLayout->addWidget(m_colorButtons[i], i % 5, (i / 5) * 3 + 1);
        if (item.bHasBold)
        {
            m_boldBoxes[i] = new QCheckBox(tr("Bold"), colors);
            m_boldBoxes[i]->setObjectName(QStringLiteral("Bold%1").arg(item.nClass));
            colorLayout->addWidget(m_boldBoxes[i], i % 5, (i / 5) * 3 + 2);
        }
    }

    m_pFace->setObjectName(QStringLiteral("FontFace"));
    m_pFace->setFontFilters(QFontComboBox::MonospacedFonts);
    m_pPoints->setObjectName(QStringLiteral("FontPoints"));
    m_pPoints->setRange(4, 72);
    m_pPoints->setSuffix(tr(" pt"));
    auto* font = new QGroupBox(tr("Font"), this);
    auto* fontLayout = new QHBoxLayout(font);
    fontLayout->addWidget(m_pFace, 1);
    fontLayout->addWidget(m_pPoints);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(switches);
    layout->addWidget(colors);
    layout->addWidget(font);
    layout->addStretch(1);
}

void CTextDisplayPage::ShowColor(int nItem)
{
    QPixmap swatch(32, 14);
    swatch.fill(ToQColor(GetItemColor(m_colors, nItem)));
    m_colorButtons[nItem]->setIcon(QIcon(swatch));
    m_colorButtons[nItem]->setIconSize(swatch.size());
}

void CTextDisplayPage::SetItemColor(int nItem, COLORREF color)
{
    ::SetItemColor(m_colors, nItem, color);
    ShowColor(nItem);
}

COLORREF CTextDisplayPage::ItemColor(int nItem) const
{
    return GetItemColor(m_colors, nItem);
}

void CTextDisplayPage::ChooseColor(int nItem)
{
    const QColor chosen =
        QColorDialog::getColor(ToQColor(ItemColor(nItem)), this, tr(ColorItem(nItem).pszName));
    if (chosen.isValid())
        SetItemColor(nItem, ToColorRef(chosen));
}

void CTextDisplayPage::Read(const SOptionsValues& v)
{
    for (int i = 0; i < 8; ++i)
        m_switches[i]->setChecked(v.display.*kSwitches[i].pFlag);
    m_colors = v.colors;
    for (int i = 0; i < kColorItemCount; ++i)
    {
        ShowColor(i);
        if (m_boldBoxes[i])
            m_boldBoxes[i]->setChecked(m_colors.GetBold(ColorItem(i).nClass));
    }
    m_font = v.font;
    m_nLogPixelsY = v.nLogPixelsY;
    m_pFace->setCurrentFont(QFont(QString::fromStdString(m_font.strFaceName)));
    m_strShownFace = m_pFace->currentFont().family();
    m_pPoints->setValue(FontPointsOfHeight(m_font.nHeight, m_nLogPixelsY));
}

bool CTextDisplayPage::Write(SOptionsValues& v, QString&)
{
    for (int i = 0; i < 8; ++i)
        v.display.*kSwitches[i].pFlag = m_switches[i]->isChecked();
    for (int i = 0; i < kColorItemCount; ++i)
        if (m_boldBoxes[i])
            m_colors.SetBold(ColorItem(i).nClass, m_boldBoxes[i]->isChecked());
    v.colors = m_colors;
    SFontDescription font = m_font;
    const QString face = m_pFace->currentFont().family();
    // An unchanged choice keeps the stored description exactly (the combo box may show a
    // substitute family for a face this system lacks).
    if (face != m_strShownFace)
        font.strFaceName = face.left(CSyntaxEditFonts::kMaxFaceLength).toStdString();
    if (m_pPoints->value() != FontPointsOfHeight(m_font.nHeight, m_nLogPixelsY))
        font.nHeight = FontHeightOfPoints(m_pPoints->value(), m_nLogPixelsY);
    v.font = font;
    return true;
}

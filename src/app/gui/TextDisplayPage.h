#pragma once
// The text display page: the view switches, the colours of the colour classes the user may
// change (background, text, keywords ... preprocessors) with their bold flags, and the font.

#include "app/gui/OptionsSheet.h"

class QCheckBox;
class QFontComboBox;
class QPushButton;
class QSpinBox;

class CTextDisplayPage : public COptionsPage
{
    Q_OBJECT
public:
    explicit CTextDisplayPage(QWidget* parent = nullptr);
    void Read(const SOptionsValues& values) override;
    bool Write(SOptionsValues& values, QString& error) override;

    // The colour of an item as the page holds it (tests and the colour buttons).
    void SetItemColor(int nItem, COLORREF color);
    COLORREF ItemColor(int nItem) const;

private:
    void ChooseColor(int nItem);
    void ShowColor(int nItem);

    QCheckBox* m_switches[8] = {};
    QPushButton* m_colorButtons[kColorItemCount] = {};
    QCheckBox* m_boldBoxes[kColorItemCount] = {};
    QFontComboBox* m_pFace;
    QSpinBox* m_pPoints;
    CSyntaxColors m_colors;
    SFontDescription m_font;
    QString m_strShownFace; // the family the face box showed for m_font
    int m_nLogPixelsY = 96;
};

#pragma once
// The text editor page: tab size, tabs kept or replaced by blanks, and the default code
// page (used from the next start: text already in memory keeps its code page).

#include "app/gui/OptionsSheet.h"

class QComboBox;
class QRadioButton;
class QSpinBox;

class CTextEditorPage : public COptionsPage
{
    Q_OBJECT
public:
    explicit CTextEditorPage(QWidget* parent = nullptr);
    void Read(const SOptionsValues& values) override;
    bool Write(SOptionsValues& values, QString& error) override;

private:
    QSpinBox* m_pTabSize;
    QRadioButton* m_pKeepTabs;
    QRadioButton* m_pInsertSpaces;
    QComboBox* m_pCodePage;
};

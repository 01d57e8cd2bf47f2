#pragma once
// The hex editor page: bytes per row, bytes per group, upper-case digits and the backup
// file kept by saving.

#include "app/gui/OptionsSheet.h"

class QCheckBox;
class QSpinBox;

class CHexEditorPage : public COptionsPage
{
    Q_OBJECT
public:
    explicit CHexEditorPage(QWidget* parent = nullptr);
    void Read(const SOptionsValues& values) override;
    bool Write(SOptionsValues& values, QString& error) override;

private:
    QSpinBox* m_pRowSize;
    QSpinBox* m_pGroupSize;
    QCheckBox* m_pUppercase;
    QCheckBox* m_pBackup;
};

#pragma once
// The hex entry field of the find and go-to dialogs: takes only hex digits, shows them in
// groups of four counted from the right, and keeps the caret on its digit. A refused key
// beeps. The rules live in CHexEntryRules.

#include <QLineEdit>

#include "hex/HexEntryRules.h"

class CTarvoHexEditCtrl : public QLineEdit
{
    Q_OBJECT
public:
    explicit CTarvoHexEditCtrl(bool bUppercase, QWidget* pParent = nullptr);
    // Sets the text regrouped by the rules.
    void SetHexText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void Apply(const SHexEntryState& state);

    CHexEntryRules m_rules;
};

#pragma once
// The dialogs of finding and going to an address in the hex view, the progress window of
// a running search, and the find tool bar's field.

#include <QDialog>

#include <functional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class CTarvoHexEditCtrl;
class CTarvoHexEditModule;

// "Find": the search text (from the recent-find list), the direction, and Find Next or
// Highlight All.
class CHexFindDlg : public QDialog
{
    Q_OBJECT
public:
    enum class EAction
    {
        None,
        FindNext,
        HighlightAll,
    };

    CHexFindDlg(CTarvoHexEditModule& module, QWidget* pParent = nullptr);

    EAction GetAction() const { return m_eAction; }
    std::string GetText() const;
    bool IsForward() const;

    QComboBox* TextBox() const { return m_pText; }
    QRadioButton* UpButton() const { return m_pUp; }

private:
    void Finish(EAction eAction);

    QComboBox* m_pText = nullptr;
    QRadioButton* m_pUp = nullptr;
    QRadioButton* m_pDown = nullptr;
    EAction m_eAction = EAction::None;
};

// "Go to Address/Offset": the hex field and the decimal field rewrite each other.
class CHexGoToDlg : public QDialog
{
    Q_OBJECT
public:
    CHexGoToDlg(uint32_t nLength, bool bUppercase, QWidget* pParent = nullptr);

    // The hex field's value (base 16, other characters ignored, 32-bit).
    uint32_t GetPosition() const;
    CTarvoHexEditCtrl* HexField() const { return m_pHex; }
    QLineEdit* DecimalField() const { return m_pDecimal; }
    QLabel* RangeLabel() const { return m_pRange; }

private:
    CTarvoHexEditCtrl* m_pHex = nullptr;
    QLineEdit* m_pDecimal = nullptr;
    QLabel* m_pRange = nullptr;
    bool m_bUppercase;
    bool m_bUpdating = false;
};

// The window of a running search. Escape or Cancel asks whether to abort; the owner
// decides what a Yes does.
class CHexSearchProgressDlg : public QDialog
{
    Q_OBJECT
public:
    CHexSearchProgressDlg(std::function<void()> onCancel, QWidget* pParent = nullptr);
    void SetProgress(uint64_t nDone, uint64_t nTotal);

    void reject() override;

private:
    QProgressBar* m_pBar = nullptr;
    std::function<void()> m_onCancel;
};

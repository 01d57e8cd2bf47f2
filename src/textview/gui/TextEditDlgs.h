#pragma once
// The Find, Replace and Go to Line dialogs of the text editor: thin windows over the rules
// of textview/TextEditDialogs.h. Each runs modally on a view's editing controller.

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class CTarvoTextEditController;
class CTextReplaceSession;

class CFindDlg : public QDialog
{
public:
    CFindDlg(CTarvoTextEditController& controller, QWidget* parent = nullptr);

private:
    void Run(bool bHighlight);

    CTarvoTextEditController& m_controller;
    QComboBox* m_pText;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;
    QCheckBox* m_pRegExp;
    QRadioButton* m_pUp;
    QRadioButton* m_pDown;
};

class CReplaceDlg : public QDialog
{
public:
    CReplaceDlg(CTarvoTextEditController& controller, QWidget* parent = nullptr);
    ~CReplaceDlg() override;
    void done(int result) override;

private:
    void ReadFields();
    void UpdateButtons();

    std::unique_ptr<CTextReplaceSession> m_pSession;
    QComboBox* m_pFind;
    QComboBox* m_pReplace;
    QCheckBox* m_pWholeWord;
    QCheckBox* m_pMatchCase;
    QCheckBox* m_pRegExp;
    QCheckBox* m_pDontWrap;
    QRadioButton* m_pSelection;
    QRadioButton* m_pWholeFile;
    QPushButton* m_pReplaceAll;
    QPushButton* m_pFindNext;
    QPushButton* m_pReplaceButton;
};

class CGoToLineDlg : public QDialog
{
public:
    CGoToLineDlg(CTarvoTextEditController& controller, QWidget* parent = nullptr);
    void accept() override;

private:
    CTarvoTextEditController& m_controller;
    QLineEdit* m_pLine;
    QCheckBox* m_pRelative;
};

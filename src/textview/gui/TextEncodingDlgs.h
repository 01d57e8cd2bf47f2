#pragma once
// The Character Encoding and Line Endings dialogs of a text document: thin windows over
// the chooser rules of encoding/CodePageList.h.

#include <QDialog>

#include <string>

#include "encoding/CodePageList.h"

class QComboBox;

class CEncodingDlg : public QDialog
{
public:
    // Opens on the item of the file's kind and code page (or the default code page).
    CEncodingDlg(const std::string& path, const SEncodingChoice& input, int nDefaultCodePage,
                 QWidget* parent = nullptr);
    // The chosen encoding; both -1 (no change) when nothing is selected.
    SEncodingChoice GetChoice() const;

private:
    CodePageInfoList m_list;
    QComboBox* m_pCombo;
};

class CLineEndingsDlg : public QDialog
{
public:
    explicit CLineEndingsDlg(const std::string& path, QWidget* parent = nullptr);
    // 0 no change, 1 CR LF, 2 CR, 3 LF.
    int GetLineEndMode() const;

private:
    QComboBox* m_pCombo;
};

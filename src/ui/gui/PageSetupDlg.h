#pragma once
// The page set-up: the four print margins in hundredths of a millimetre.

#include <QDialog>

class QSpinBox;

class CPageSetupDlg : public QDialog
{
    Q_OBJECT
public:
    CPageSetupDlg(int left, int top, int right, int bottom, QWidget* parent = nullptr);
    int Left() const;
    int Top() const;
    int Right() const;
    int Bottom() const;

private:
    QSpinBox* m_pLeft;
    QSpinBox* m_pTop;
    QSpinBox* m_pRight;
    QSpinBox* m_pBottom;
};

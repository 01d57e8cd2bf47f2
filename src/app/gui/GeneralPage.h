#pragma once
// The general page: file watching, titles, tabs, Esc and the navigation bar's pages.

#include "app/gui/OptionsSheet.h"

class QCheckBox;

class CGeneralPage : public COptionsPage
{
    Q_OBJECT
public:
    explicit CGeneralPage(QWidget* parent = nullptr);
    void Read(const SOptionsValues& values) override;
    bool Write(SOptionsValues& values, QString& error) override;

private:
    QCheckBox* m_pFileWatch;
    QCheckBox* m_pLongTitle;
    QCheckBox* m_pTabbed;
    QCheckBox* m_pEscToClose;
    QCheckBox* m_pShellPage;
    QCheckBox* m_pHistoryPage;
};

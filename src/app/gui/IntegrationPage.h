#pragma once
// The integration page: adds the program to this user's desktop menus and "Open With"
// lists (a desktop entry with an "Open in hex editor" action), or removes it. The entry is
// written or removed when the page is applied, not at exit.

#include "app/gui/OptionsSheet.h"

class QCheckBox;
class QLabel;

class CIntegrationPage : public COptionsPage
{
    Q_OBJECT
public:
    explicit CIntegrationPage(QWidget* parent = nullptr);
    void Read(const SOptionsValues& values) override;
    bool Write(SOptionsValues& values, QString& error) override;

    // Where the entry goes (tests point it elsewhere).
    void SetEntryPath(const QString& path);

private:
    QCheckBox* m_pDesktopEntry;
    QLabel* m_pPathLabel;
    QString m_strPath;
};

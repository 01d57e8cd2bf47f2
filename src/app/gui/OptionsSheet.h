#pragma once
// The "Options" sheet: one page per group of settings. Pages copy the values of one
// SOptionsValues into their controls when the sheet opens and back when the user applies;
// Apply and OK then write the values into their owners and call the hooks of what changed
// (see ui/Options.h). A page that finds a value it cannot accept names it, and nothing is
// written.

#include <QDialog>

#include <vector>

#include "ui/Options.h"

class QAbstractButton;
class QTabWidget;
class CAppSettings;
class CTarvoTextEditModule;

class COptionsPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void Read(const SOptionsValues& values) = 0;
    // False with a message when a value cannot be accepted.
    virtual bool Write(SOptionsValues& values, QString& error) = 0;
};

class COptionsSheet : public QDialog
{
    Q_OBJECT
public:
    COptionsSheet(CAppSettings& settings, CTarvoTextEditModule* pModule, SOptionsContext& context,
                  QWidget* parent = nullptr);

    // Writes every page's values; false (and the page shown) when one refuses.
    bool Apply();
    // Replaces the message box of a refused value (tests record the text instead).
    void SetMessageHook(std::function<void(const QString&)> hook)
    {
        m_messageHook = std::move(hook);
    }

    QTabWidget* Pages() const { return m_pTabs; }
    // The page of a title ("General", "Text Editor", "Text Display", "Hex Editor",
    // "Integration"), or null.
    COptionsPage* Page(const QString& strTitle) const;

    void accept() override;

private:
    void AddPage(COptionsPage* pPage, const QString& strTitle);

    CAppSettings& m_settings;
    CTarvoTextEditModule* m_pModule;
    SOptionsContext& m_context;
    SOptionsValues m_values;
    QTabWidget* m_pTabs = nullptr;
    std::vector<COptionsPage*> m_pages;
    std::function<void(const QString&)> m_messageHook;
};

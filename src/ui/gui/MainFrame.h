#pragma once
// The main window: a tabbed document area, a status bar and the menus. Commands are routed
// to the application object, which owns documents and settings.

#include <QMainWindow>

class QMdiArea;
class CAppSettings;

class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainFrame(CAppSettings& settings, QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return m_pMdiArea; }

    // Shows the window where the settings say: at the stored position and size, or
    // maximised; then full screen when that was on.
    void PlaceFromSettings();
    // Stores the window's placement into the settings (called when the window closes).
    void StorePlacement();

signals:
    void HelpRequested();
    void KeyboardShortcutsRequested();
    void CommandLineHelpRequested();
    void AboutRequested();
    void PageSetupRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();

    CAppSettings& m_settings;
    QMdiArea* m_pMdiArea = nullptr;
    bool m_bPlacementStored = false;
};

#pragma once
// The navigation bar's pages in the main window's left dock: "Explorer" (a folder tree with
// a file-filter box), "Favorites" and "History" (the records grouped by the day they were
// made, newest first). The record pages follow their lists through CFileRecordListModel and
// change only the items that changed; the decisions live in the plain classes of
// src/navigate.

#include <QTabWidget>
#include <QTreeWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "navigate/FileRecordListModel.h"

class QComboBox;
class QFileSystemModel;
class QTreeView;
class CFileRecordManager;
class CRecentStringList;

// Favorites and history: a list with the columns "File" and "Folder", grouped by day.
class CNavigateRecordPage : public QTreeWidget, private CFileRecordListListener
{
    Q_OBJECT
public:
    CNavigateRecordPage(CFileRecordManager& list, const QString& title, bool bRestoreHorizontal,
                        CFileRecordListModel::ClockFn clock = {}, QWidget* parent = nullptr);
    ~CNavigateRecordPage() override;

    CFileRecordListModel& Model() { return m_model; }
    // The model indices of the selected records, in list order.
    std::vector<int> SelectedIndices() const;
    // The page's commands.
    void OpenSelected();
    void RemoveSelected();
    void RemoveAll();
    // The tree item of a record, or null.
    QTreeWidgetItem* ItemOf(const SFileRecord* pRecord) const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnItemInserted(int nIndex) override;
    void OnItemRemoving(int nIndex) override;
    void OnItemsReset() override;
    QTreeWidgetItem* GroupItem(int nGroup, bool bCreate);
    QTreeWidgetItem* MakeRecordItem(const SFileRecordItem& item);
    void ShowContextMenu(const QPoint& globalPos);

    CFileRecordListModel m_model;
    std::map<const SFileRecord*, QTreeWidgetItem*> m_items;
    QTreeWidgetItem* m_groups[DayGroupCount] = {};
};

// The Explorer page: a filter box over the list "Recent\FileFilters" and a folder tree.
class CNavigateShellPage : public QWidget
{
    Q_OBJECT
public:
    // The filter list is filled with "*.*" and the masks when empty; it must outlive the page.
    CNavigateShellPage(CRecentStringList& filters, const std::vector<std::string>& masks,
                       const std::string& strLastFolder, QWidget* parent = nullptr);

    void SetOpenHook(std::function<void(const std::string&)> open) { m_open = std::move(open); }
    QTreeView* Tree() const { return m_pTree; }
    QComboBox* FilterBox() const { return m_pFilter; }
    // The path of the selected tree item.
    std::string SelectedPath() const;
    // Applies a filter text ("*.c;*.h") to the tree and puts it first in the list.
    void ApplyFilter(const QString& text);

private:
    void ShowFilters();

    CRecentStringList& m_filters;
    QComboBox* m_pFilter = nullptr;
    QTreeView* m_pTree = nullptr;
    QFileSystemModel* m_pModel = nullptr;
    std::function<void(const std::string&)> m_open;
};

// What the bar needs from the application.
struct SNavigateBarHooks
{
    // Opens a record's file as its type and puts the view where the record says.
    CFileRecordListModel::OpenFn openRecord;
    // Opens a file of the folder tree by kind.
    std::function<void(const std::string&)> openFile;
    CFileRecordListModel::ClockFn clock;
};

class CNavigateBar : public QTabWidget
{
    Q_OBJECT
public:
    enum
    {
        PageExplorer = 0,
        PageFavorites = 1,
        PageHistory = 2,
    };
    CNavigateBar(CFileRecordManager& favorites, CFileRecordManager& history,
                 CRecentStringList& filters, const std::vector<std::string>& masks,
                 const std::string& strLastFolder, SNavigateBarHooks hooks,
                 QWidget* parent = nullptr);

    CNavigateShellPage* ShellPage() const { return m_pShell; }
    CNavigateRecordPage* FavoritesPage() const { return m_pFavorites; }
    CNavigateRecordPage* HistoryPage() const { return m_pHistory; }

private:
    CNavigateShellPage* m_pShell = nullptr;
    CNavigateRecordPage* m_pFavorites = nullptr;
    CNavigateRecordPage* m_pHistory = nullptr;
};

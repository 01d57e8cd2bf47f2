#include "navigate/gui/NavigateBar.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeDatabase>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "app/RecentStringList.h"
#include "navigate/ExplorerPageLogic.h"

namespace
{
QString ToQt(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The small icon of a file by its name alone: the file is not touched, so a page of a
// thousand records on slow or vanished drives fills at once. Icons are kept per suffix.
QIcon FileIcon(const std::string& strPath)
{
    static std::map<QString, QIcon> s_icons;
    static const QMimeDatabase s_mimes;
    const QString name = ToQt(strPath);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const QString suffix = dot > slash ? name.mid(dot + 1).toLower() : QString();
    auto it = s_icons.find(suffix);
    if (it != s_icons.end())
        return it->second;
    static const QIcon s_fallback = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    const QMimeType mime = s_mimes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon =
        QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), s_fallback));
    return s_icons.emplace(suffix, icon).first->second;
}

constexpr int kRecordRole = Qt::UserRole + 1;
} // namespace

// --- Favorites and history -------------------------------------------------------------------

CNavigateRecordPage::CNavigateRecordPage(CFileRecordManager& list, const QString& title,
                                         bool bRestoreHorizontal,
                                         CFileRecordListModel::ClockFn clock, QWidget* parent)
    : QTreeWidget(parent),
      m_model(list, title.toUtf8().toStdString(), bRestoreHorizontal, std::move(clock))
{
    setColumnCount(2);
    setHeaderLabels({tr("File"), tr("Folder")});
    header()->resizeSection(0, 200);
    header()->resizeSection(1, 320);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* pItem)
            {
                if (pItem && pItem->data(0, kRecordRole).isValid())
                    OpenSelected();
            });
    m_model.SetListener(this);
    OnItemsReset();
}

CNavigateRecordPage::~CNavigateRecordPage()
{
    m_model.SetListener(nullptr);
}

QTreeWidgetItem* CNavigateRecordPage::GroupItem(int nGroup, bool bCreate)
{
    if (m_groups[nGroup] || !bCreate)
        return m_groups[nGroup];
    // Groups stand in the order of their ids; a new one goes before the first later one.
    int nPosition = 0;
    for (int g = 0; g < nGroup; ++g)
        if (m_groups[g])
            ++nPosition;
    auto* pGroup = new QTreeWidgetItem;
    pGroup->setText(0, ToQt(m_model.GetGroupLabels()[static_cast<size_t>(nGroup)]));
    pGroup->setFlags(Qt::ItemIsEnabled);
    QFont font = pGroup->font(0);
    font.setBold(true);
    pGroup->setFont(0, font);
    insertTopLevelItem(nPosition, pGroup);
    pGroup->setFirstColumnSpanned(true);
    pGroup->setExpanded(true);
    m_groups[nGroup] = pGroup;
    return pGroup;
}

QTreeWidgetItem* CNavigateRecordPage::MakeRecordItem(const SFileRecordItem& item)
{
    auto* pItem = new QTreeWidgetItem;
    pItem->setText(0, ToQt(item.strFile));
    pItem->setText(1, ToQt(item.strFolder));
    pItem->setIcon(0, FileIcon(item.pRecord->strPath));
    pItem->setToolTip(0, ToQt(item.pRecord->strPath));
    pItem->setData(0, kRecordRole, QVariant::fromValue(reinterpret_cast<quintptr>(item.pRecord)));
    m_items[item.pRecord] = pItem;
    return pItem;
}

void CNavigateRecordPage::OnItemsReset()
{
    setUpdatesEnabled(false);
    clear();
    m_items.clear();
    std::fill(std::begin(m_groups), std::end(m_groups), nullptr);
    // Items are made per group first and handed over together: one insertion per group
    // rather than one per record.
    std::vector<QList<QTreeWidgetItem*>> children(DayGroupCount);
    for (int i = 0; i < m_model.GetCount(); ++i)
    {
        const SFileRecordItem& item = m_model.GetItem(i);
        children[static_cast<size_t>(item.nGroup)].append(MakeRecordItem(item));
    }
    for (int g = 0; g < DayGroupCount; ++g)
        if (!children[static_cast<size_t>(g)].isEmpty())
            GroupItem(g, true)->addChildren(children[static_cast<size_t>(g)]);
    setUpdatesEnabled(true);
}

void CNavigateRecordPage::OnItemInserted(int nIndex)
{
    const SFileRecordItem& item = m_model.GetItem(nIndex);
    QTreeWidgetItem* pGroup = GroupItem(item.nGroup, true);
    // Its place in the group: after the group's items that come before it in the list.
    int nPosition = 0;
    for (int i = 0; i < nIndex; ++i)
        if (m_model.GetItem(i).nGroup == item.nGroup)
            ++nPosition;
    pGroup->insertChild(nPosition, MakeRecordItem(item));
}

void CNavigateRecordPage::OnItemRemoving(int nIndex)
{
    const SFileRecord* pRecord = m_model.GetItem(nIndex).pRecord;
    auto it = m_items.find(pRecord);
    if (it == m_items.end())
        return;
    QTreeWidgetItem* pItem = it->second;
    m_items.erase(it);
    QTreeWidgetItem* pGroup = pItem->parent();
    delete pItem;
    if (pGroup && pGroup->childCount() == 0)
    {
        for (QTreeWidgetItem*& pSlot : m_groups)
            if (pSlot == pGroup)
                pSlot = nullptr;
        delete pGroup;
    }
}

QTreeWidgetItem* CNavigateRecordPage::ItemOf(const SFileRecord* pRecord) const
{
    auto it = m_items.find(pRecord);
    return it == m_items.end() ? nullptr : it->second;
}

std::vector<int> CNavigateRecordPage::SelectedIndices() const
{
    std::vector<int> indices;
    for (QTreeWidgetItem* pItem : selectedItems())
    {
        const QVariant data = pItem->data(0, kRecordRole);
        if (data.isValid())
            indices.push_back(
                m_model.FindItem(reinterpret_cast<const SFileRecord*>(data.value<quintptr>())));
    }
    std::sort(indices.begin(), indices.end());
    return indices;
}

void CNavigateRecordPage::OpenSelected()
{
    const std::vector<int> indices = SelectedIndices();
    if (!indices.empty())
        m_model.Open(indices.front());
}

void CNavigateRecordPage::RemoveSelected()
{
    m_model.Remove(SelectedIndices());
}

void CNavigateRecordPage::RemoveAll()
{
    m_model.RemoveAll();
}

void CNavigateRecordPage::ShowContextMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    const bool bSelected = !SelectedIndices().empty();
    QAction* pOpen = menu.addAction(tr("&Open"), this, [this] { OpenSelected(); });
    pOpen->setEnabled(bSelected);
    menu.setDefaultAction(pOpen);
    menu.addAction(tr("&Remove"), this, [this] { RemoveSelected(); })->setEnabled(bSelected);
    menu.addAction(tr("Remove &All"), this, [this] { RemoveAll(); })
        ->setEnabled(m_model.GetCount() > 0);
    menu.exec(globalPos);
}

void CNavigateRecordPage::contextMenuEvent(QContextMenuEvent* event)
{
    // From the keyboard the menu opens 5 pixels inside the list's top-left corner.
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? viewport()->mapToGlobal(QPoint(5, 5))
                          : event->globalPos();
    ShowContextMenu(at);
}

void CNavigateRecordPage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete)
    {
        RemoveSelected();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

// --- Explorer ---------------------------------------------------------------------------------

CNavigateShellPage::CNavigateShellPage(CRecentStringList& filters,
                                       const std::vector<std::string>& masks,
                                       const std::string& strLastFolder, QWidget* parent)
    : QWidget(parent), m_filters(filters)
{
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(2, 2, 2, 2);
    m_pFilter = new QComboBox(this);
    m_pFilter->setObjectName(QStringLiteral("FileFilter"));
    m_pFilter->setEditable(true);
    m_pFilter->setInsertPolicy(QComboBox::NoInsert);
    pLayout->addWidget(m_pFilter);
    m_pTree = new QTreeView(this);
    m_pTree->setObjectName(QStringLiteral("FolderTree"));
    pLayout->addWidget(m_pTree);

    m_pModel = new QFileSystemModel(this);
    m_pModel->setRootPath(QStringLiteral("/"));
    m_pModel->setNameFilterDisables(false);
    m_pModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Drives);
    m_pTree->setModel(m_pModel);
    for (int c = 1; c < m_pModel->columnCount(); ++c)
        m_pTree->hideColumn(c);
    m_pTree->setHeaderHidden(true);

    FillFileFilters(m_filters, masks);
    ShowFilters();
    if (m_filters.GetCount() > 0)
        ApplyFilter(ToQt(m_filters.GetAt(0)));
    connect(m_pFilter, &QComboBox::activated, this,
            [this](int nIndex) { ApplyFilter(m_pFilter->itemText(nIndex)); });
    connect(m_pFilter->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { ApplyFilter(m_pFilter->currentText()); });

    const std::string folder = ChooseExplorerFolder(strLastFolder);
    QModelIndex start = folder.empty() ? m_pModel->index(0, 0, m_pModel->index(QStringLiteral("/")))
                                       : m_pModel->index(ToQt(folder));
    if (!start.isValid())
        start = m_pModel->index(QStringLiteral("/"));
    m_pTree->setCurrentIndex(start);
    m_pTree->expand(start);
    m_pTree->scrollTo(start);

    connect(m_pTree, &QTreeView::activated, this,
            [this](const QModelIndex& index)
            {
                if (m_pModel->isDir(index) || !m_open)
                    return;
                m_open(m_pModel->filePath(index).toUtf8().toStdString());
            });
}

std::string CNavigateShellPage::SelectedPath() const
{
    return m_pModel->filePath(m_pTree->currentIndex()).toUtf8().toStdString();
}

void CNavigateShellPage::ShowFilters()
{
    const QSignalBlocker block(m_pFilter);
    m_pFilter->clear();
    for (const std::string& filter : m_filters.GetStrings())
        m_pFilter->addItem(ToQt(filter));
    m_pFilter->setCurrentIndex(m_pFilter->count() > 0 ? 0 : -1);
}

void CNavigateShellPage::ApplyFilter(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return;
    QStringList patterns = trimmed.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns)
        pattern = pattern.trimmed();
    // "*.*" means every file, with or without a dot in its name.
    if (patterns.contains(QStringLiteral("*.*")))
        patterns = {QStringLiteral("*")};
    m_pModel->setNameFilters(patterns);
    m_filters.Add(trimmed.toUtf8().toStdString());
    ShowFilters();
}

// --- The bar ----------------------------------------------------------------------------------

CNavigateBar::CNavigateBar(CFileRecordManager& favorites, CFileRecordManager& history,
                           CRecentStringList& filters, const std::vector<std::string>& masks,
                           const std::string& strLastFolder, SNavigateBarHooks hooks,
                           QWidget* parent)
    : QTabWidget(parent)
{
    setObjectName(QStringLiteral("NavigateTabs"));
    setDocumentMode(true);
    m_pShell = new CNavigateShellPage(filters, masks, strLastFolder, this);
    m_pShell->SetOpenHook(hooks.openFile);
    m_pFavorites = new CNavigateRecordPage(favorites, tr("Favorites"), false, hooks.clock, this);
    m_pFavorites->setObjectName(QStringLiteral("FavoritesPage"));
    m_pFavorites->Model().SetOpenHook(hooks.openRecord);
    m_pHistory = new CNavigateRecordPage(history, tr("History"), true, hooks.clock, this);
    m_pHistory->setObjectName(QStringLiteral("HistoryPage"));
    m_pHistory->Model().SetOpenHook(hooks.openRecord);
    QFileIconProvider icons;
    addTab(m_pShell, icons.icon(QAbstractFileIconProvider::Folder), tr("Explorer"));
    addTab(m_pFavorites, QIcon::fromTheme(QStringLiteral("emblem-favorite")), tr("Favorites"));
    addTab(m_pHistory, QIcon::fromTheme(QStringLiteral("document-open-recent")), tr("History"));
}

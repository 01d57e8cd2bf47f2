#include "navigate/FileRecordListModel.h"

#include <ctime>

#include "navigate/FileRecordManager.h"
#include "platform/Folders.h"

CFileRecordListModel::CFileRecordListModel(CFileRecordManager& list, std::string strTitle,
                                           bool bRestoreHorizontal, ClockFn clock)
    : m_list(list), m_strTitle(std::move(strTitle)), m_bRestoreHorizontal(bRestoreHorizontal),
      m_clock(std::move(clock))
{
    Fill();
    m_list.SetObserver(this);
}

CFileRecordListModel::~CFileRecordListModel()
{
    m_list.SetObserver(nullptr);
}

int64_t CFileRecordListModel::Now() const
{
    return m_clock ? m_clock() : static_cast<int64_t>(std::time(nullptr));
}

SFileRecordItem CFileRecordListModel::MakeItem(const SFileRecord& record, int64_t tNow) const
{
    SFileRecordItem item;
    item.pRecord = &record;
    item.strFile = NameOfPath(record.strPath);
    item.strFolder = FolderOfPath(record.strPath);
    item.nGroup = GetDayGroup(record.nLastAccessTime, tNow);
    return item;
}

void CFileRecordListModel::Fill()
{
    m_tFilled = Now();
    m_labels = GetDayGroupLabels(m_tFilled, m_strTitle);
    m_items.clear();
    m_items.reserve(static_cast<size_t>(m_list.GetCount()));
    for (int i = 0; i < m_list.GetCount(); ++i)
        m_items.push_back(MakeItem(m_list.GetAt(i), m_tFilled));
    if (m_pListener)
        m_pListener->OnItemsReset();
}

int CFileRecordListModel::FindItem(const SFileRecord* pRecord) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].pRecord == pRecord)
            return static_cast<int>(i);
    return -1;
}

bool CFileRecordListModel::Open(int nIndex) const
{
    if (nIndex < 0 || nIndex >= GetCount() || !m_open)
        return false;
    // The record is copied: opening closes nothing, but a hook that reopens a document may
    // add to the history, which can free the record the item points to.
    const SFileRecord record = *m_items[static_cast<size_t>(nIndex)].pRecord;
    m_open(record, m_bRestoreHorizontal);
    return true;
}

void CFileRecordListModel::Remove(const std::vector<int>& selected)
{
    // The items stand in the list's order, so an item's index is its record's index.
    m_list.RemoveFileRecords(selected);
}

void CFileRecordListModel::RemoveAll()
{
    m_list.RemoveAllFileRecords();
}

void CFileRecordListModel::OnFileRecordAdded(const SFileRecord& record)
{
    const int64_t tNow = Now();
    // The labels name the days as seen when the page was filled; a record added on a
    // later day would be grouped against stale dates, so the page is made again.
    if (GetDayGroup(m_tFilled, tNow) != DayGroupToday)
    {
        Fill();
        return;
    }
    m_items.insert(m_items.begin(), MakeItem(record, m_tFilled));
    if (m_pListener)
        m_pListener->OnItemInserted(0);
}

void CFileRecordListModel::OnFileRecordRemoving(const SFileRecord& record)
{
    const int nIndex = FindItem(&record);
    if (nIndex < 0)
        return;
    if (m_pListener)
        m_pListener->OnItemRemoving(nIndex);
    m_items.erase(m_items.begin() + nIndex);
}

void CFileRecordListModel::OnAllFileRecordsRemoving()
{
    m_items.clear();
    if (m_pListener)
        m_pListener->OnItemsReset();
}

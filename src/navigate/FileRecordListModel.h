#pragma once
// What the favorites and history pages list, apart from their windows: one item per record
// of a list, newest first, with its file name, its folder and its day group, kept in step
// with the list through its observer interface. The page shows the items and forwards
// Open, Remove and Remove all here.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "navigate/DayGroups.h"
#include "navigate/FileRecord.h"

class CFileRecordManager;

// One item of a page.
struct SFileRecordItem
{
    const SFileRecord* pRecord = nullptr;
    std::string strFile;   // the "File" column: the name part of the path
    std::string strFolder; // the "Folder" column: the folder part
    int nGroup = DayGroupTitle;
};

// Told how the items change, so that a window can follow without refilling.
class CFileRecordListListener
{
public:
    virtual ~CFileRecordListListener() = default;
    virtual void OnItemInserted(int nIndex) = 0;
    // The item is still in the model during the call.
    virtual void OnItemRemoving(int nIndex) = 0;
    // Every item (and possibly every group label) has changed.
    virtual void OnItemsReset() = 0;
};

class CFileRecordListModel : public CFileRecordObserver
{
public:
    // Seconds since 1970 UTC; tests give a fixed clock.
    using ClockFn = std::function<int64_t()>;
    // Opens a record's file as the record's type. bRestoreHorizontal: whether the view
    // takes the record's horizontal scroll position too (the history's does, the
    // favorites' does not).
    using OpenFn = std::function<void(const SFileRecord& record, bool bRestoreHorizontal)>;

    // Registers itself as the list's observer and fills the items.
    CFileRecordListModel(CFileRecordManager& list, std::string strTitle, bool bRestoreHorizontal,
                         ClockFn clock = {});
    ~CFileRecordListModel() override;
    CFileRecordListModel(const CFileRecordListModel&) = delete;
    CFileRecordListModel& operator=(const CFileRecordListModel&) = delete;

    // Rebuilds every item from the list and the group labels from today's date.
    void Fill();

    int GetCount() const { return static_cast<int>(m_items.size()); }
    const SFileRecordItem& GetItem(int nIndex) const
    {
        return m_items.at(static_cast<size_t>(nIndex));
    }
    // The index of the item that shows the record, or -1.
    int FindItem(const SFileRecord* pRecord) const;
    const std::array<std::string, DayGroupCount>& GetGroupLabels() const { return m_labels; }
    const std::string& GetTitle() const { return m_strTitle; }

    void SetListener(CFileRecordListListener* pListener) { m_pListener = pListener; }
    void SetOpenHook(OpenFn open) { m_open = std::move(open); }

    // The commands of the page. Open opens the item's record (nothing for an invalid index
    // or without a hook); the record stays in the list even when its file cannot be
    // opened. Remove removes the records of the selected items, each once.
    bool Open(int nIndex) const;
    void Remove(const std::vector<int>& selected);
    void RemoveAll();

    // CFileRecordObserver
    void OnFileRecordAdded(const SFileRecord& record) override;
    void OnFileRecordRemoving(const SFileRecord& record) override;
    void OnAllFileRecordsRemoving() override;

private:
    SFileRecordItem MakeItem(const SFileRecord& record, int64_t tNow) const;
    int64_t Now() const;

    CFileRecordManager& m_list;
    std::string m_strTitle;
    bool m_bRestoreHorizontal;
    ClockFn m_clock;
    OpenFn m_open;
    CFileRecordListListener* m_pListener = nullptr;
    std::vector<SFileRecordItem> m_items;
    std::array<std::string, DayGroupCount> m_labels;
    int64_t m_tFilled = 0; // when the labels were made
};

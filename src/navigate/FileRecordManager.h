#pragma once
// The favorites and the history: two lists of file records of the same shape, newest
// first, bounded by a limit, kept in one XML file each.
//
// File format (both lists; only the element names differ):
//   <?xml version="1.0" encoding="UTF-8"?>
//   <Records Version="2.0.0">                        (favorites: "Favorites")
//   	<Record FilePath="..." FileType="Text" ScrollPosX="0" ... LastAccessTime="..." />
//   </Records>
// One tab per indentation level. "FileType" is "Text" or "Binary" and is left out for any
// other type. Only the version "2.0.0" is read; any other file leaves the list empty.

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "navigate/FileRecord.h"
#include "platform/LargeBlock.h"

struct SRecordSlab;

// Frees a record of a list: one made alone is deleted; one of the records a large load
// placed together in a slab is destroyed, and the slab is given back with its last record.
struct SFileRecordDeleter
{
    SRecordSlab* pSlab = nullptr;
    void operator()(SFileRecord* pRecord) const;
};
using FileRecordPtr = std::unique_ptr<SFileRecord, SFileRecordDeleter>;

// Gives an array of a million records' pointers memory straight from the system, so that
// growing it while a long list loads costs a few page faults rather than thousands.
template <class T> struct SRecordArrayAllocator
{
    using value_type = T;
    SRecordArrayAllocator() = default;
    template <class U> SRecordArrayAllocator(const SRecordArrayAllocator<U>&) {}

    T* allocate(size_t n)
    {
        if (n > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        if (n * sizeof(T) < kLargeBytes)
            return static_cast<T*>(::operator new(n * sizeof(T)));
        void* p = AllocateLargeBlock(n * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t n)
    {
        if (n * sizeof(T) < kLargeBytes)
            ::operator delete(p);
        else
            FreeLargeBlock(p, n * sizeof(T));
    }
    template <class U> bool operator==(const SRecordArrayAllocator<U>&) const { return true; }

    static constexpr size_t kLargeBytes = size_t(2) << 20;
};
using FileRecordArray = std::vector<FileRecordPtr, SRecordArrayAllocator<FileRecordPtr>>;

// What a load found, for a caller that wants to tell the user.
enum class EFileRecordLoadResult
{
    Loaded,      // the file was read (it may have held no records)
    Missing,     // there was no file, or it was empty: nothing to read, nothing lost
    Unreadable,  // the file could not be opened or is not well-formed XML
    WrongFormat, // the root element is missing or the version is not "2.0.0"
};

// One entry of the menu that lists a record list.
struct SFileRecordMenuItem
{
    int nCommandId = 0;
    // Plain text: a renderer that gives '&' a meaning must escape it.
    std::string strText;
    bool bEnabled = true;
};

// The menu state handed to UpdateFileRecordMenu: the command id of the list's first item,
// the text that item has now, and how many consecutive command ids the caller handles.
// On return, items replaces the single item at the first command id.
struct SFileRecordMenuState
{
    int nFirstCommandId = 0;
    std::string strCurrentText;
    int nMaxItems = 16;
    std::vector<SFileRecordMenuItem> items;
};

class CFileRecordManager
{
public:
    virtual ~CFileRecordManager();

    CFileRecordManager(const CFileRecordManager&) = delete;
    CFileRecordManager& operator=(const CFileRecordManager&) = delete;

    // Reads the file into the list, appending its records in file order without checking
    // the limit or duplicates. A file that cannot be read leaves the list as it was. An
    // existing file that could not be read is kept as "<path>.bak" by the next save of the
    // same path, so that overwriting it in the current format loses nothing.
    virtual EFileRecordLoadResult LoadFileRecords(const std::string& strPath);
    // Writes at most limit records, newest first. The file is replaced whole: the new
    // content goes to a temporary file beside it that is synced and renamed over it, so a
    // crash or a full disk leaves the old file intact. Returns 0, or -1 when the file
    // could not be written. The list is never changed by saving.
    virtual int SaveFileRecords(const std::string& strPath);
    // Trims the path; returns -1 when it is empty. Removes every record of the same path
    // and type, inserts the new record at index 0 with the current time, then drops the
    // records beyond the limit. Returns 0.
    virtual int AddFileRecord(const std::string& strPath, int nType, int nScrollPosX,
                              int nScrollPosY, int nCursorPosX, int nCursorPosY,
                              int nSelectionStartX, int nSelectionStartY, int nSelectionEndX,
                              int nSelectionEndY);
    // Returns 0, or -1 when the index is outside 0..count-1.
    virtual int RemoveFileRecord(int nIndex);
    // Returns 0.
    virtual int RemoveAllFileRecords();
    // Fills state.items: one enabled item per record (at most the limit and at most
    // state.nMaxItems), with consecutive command ids from the first, showing the full path
    // or the file name; or, for an empty list, the single disabled item with the text the
    // first item had when this was first called.
    virtual void UpdateFileRecordMenu(SFileRecordMenuState& state);
    // True when the paths name different files (by the platform's rule for names) or the
    // types differ.
    virtual bool IsDifferentFileRecord(const std::string& strPath, int nType,
                                       const SFileRecord& record, int nRecordType) const;

    // Removes the records at the given indices, each once, whatever their order; invalid
    // indices are passed over. Returns how many were removed. For removing a multiple
    // selection, where removing one by one by index would shift the later ones.
    int RemoveFileRecords(std::vector<int> indices);

    int GetCount() const { return static_cast<int>(m_records.size()); }
    const SFileRecord& GetAt(int nIndex) const
    {
        return *m_records.at(static_cast<size_t>(nIndex));
    }
    // Index of the record with that address, or -1.
    int FindRecord(const SFileRecord* pRecord) const;

    int GetLimit() const { return m_nLimit; }
    // A negative limit counts as 0. Records beyond a smaller limit stay until the next add
    // and are left out by the next save.
    void SetLimit(int nLimit) { m_nLimit = nLimit < 0 ? 0 : nLimit; }
    bool GetShowFullPath() const { return m_bShowFullPath; }
    void SetShowFullPath(bool bShow) { m_bShowFullPath = bShow; }

    // The page that lists the records; null while there is none. Not owned.
    void SetObserver(CFileRecordObserver* pObserver) { m_pObserver = pObserver; }

    // The message that explains the last load that did not read the file; empty after a
    // successful load or a missing file.
    const std::string& GetLoadMessage() const { return m_strLoadMessage; }

    const char* GetRootName() const { return m_pszRootName; }
    const char* GetRecordName() const { return m_pszRecordName; }

protected:
    CFileRecordManager(const char* pszRootName, const char* pszRecordName, const char* pszListName);

    // Called after a record has left the list; the record is still valid.
    virtual void OnRecordRemoved(const SFileRecord& record);
    void RemoveAt(size_t nIndex);
    // Removes the records whose entry in marked (one per record) is true, keeping the
    // order of the others.
    void RemoveMarked(const std::vector<bool>& marked);

    FileRecordArray m_records;
    // The path being added while AddFileRecord drops its older records; null otherwise.
    const std::string* m_pAddingPath = nullptr;

private:
    const char* m_pszRootName;
    const char* m_pszRecordName;
    const char* m_pszListName;
    int m_nLimit = 0;
    bool m_bShowFullPath = true;
    bool m_bMenuTextKnown = false;
    std::string m_strMenuText;
    CFileRecordObserver* m_pObserver = nullptr;
    std::string m_strLoadMessage;
    // The file that a load found but could not read; backed up before it is overwritten.
    std::string m_strUnreadFile;
};

class CFavoritesManager : public CFileRecordManager
{
public:
    CFavoritesManager();

    // The documents whose favorite mark follows the list; null while there are none.
    void SetMarkObserver(CFavoriteMarkObserver* pObserver) { m_pMarkObserver = pObserver; }
    // True when some favorite has this path (of any type).
    bool IsFavorite(const std::string& strPath) const;

protected:
    // A path that is no longer in the list in any type loses its mark.
    void OnRecordRemoved(const SFileRecord& record) override;

private:
    CFavoriteMarkObserver* m_pMarkObserver = nullptr;
};

class CHistoryManager : public CFileRecordManager
{
public:
    CHistoryManager();
};

#pragma once
// The bytes of one file in the hex editor, held without reading the file into memory.
//
// The current data is a piece list over the open file and the change records. Every edit
// is one change record; the ordered records are both the modification list and the undo
// list. A change splices its own range of the piece list and remembers the pieces it took
// out; its undo puts them back. Neither looks at the other records, so the cost of an edit
// does not grow with their number. Positions and lengths are unsigned 32-bit, so a file
// must be below 4 GiB.
//
// Sharing: while the file is open the buffer holds an advisory lock on it. Opened for
// writing, it holds an exclusive lock (nobody else may write or lock it); opened for
// reading only, a shared lock (others may read); when another holder's lock is in the
// way it opens unlocked with sharedAccess and may not change the data.
//
// Messages go through a CHexMessageSink (SetMessageSink); without one they are dropped.
// Runs on one thread.

#include "hex/HexHints.h"
#include "hex/HexPieceTree.h"
#include "platform/File.h"

#include <cstdint>
#include <string>
#include <vector>

class CWriteBehind;

// One change. For 'I', 'R' and '<' the data holds the count new bytes. m_removed holds the
// pieces the change took out of the data, in order, so that its undo can put them back;
// the buffer keeps it.
struct SHexChangeRecord
{
    uint32_t m_nType = 0;
    uint32_t m_nCount = 0;
    uint32_t m_nOffset = 0;
    std::vector<uint8_t> m_data;
    std::vector<SHexPiece> m_removed;
};

class CTarvoHexEditBuffer
{
public:
    // The change codes passed to Change and kept in records.
    static constexpr uint32_t kInsert = 'I';
    static constexpr uint32_t kReplace = 'R';
    static constexpr uint32_t kReplaceBackward = '<';
    static constexpr uint32_t kDelete = 'D';
    static constexpr uint32_t kDeleteBackward = 'B';

    CTarvoHexEditBuffer();
    virtual ~CTarvoHexEditBuffer();
    CTarvoHexEditBuffer(const CTarvoHexEditBuffer&) = delete;
    CTarvoHexEditBuffer& operator=(const CTarvoHexEditBuffer&) = delete;

    // Writes the current data to path. In place (only the changed bytes) when backups are
    // off, path names the open file, the file is open for writing, no byte has moved and
    // the file still has the length it had when opened; otherwise through the shared safe
    // save (CSafeSave), which keeps the target's owner, mode, extended attributes and hard
    // links, and keeps the old file as path + ".bak" when backups are on. A path that is a
    // symbolic link saves into the file it points to. On success the buffer reads from the
    // saved file and the records are dropped (the views get a CRemoveHint). On failure a
    // message is shown and the records are kept, so saving again writes every change; the
    // old file is intact, except that an in-place save stopped part way leaves part of
    // the changes written (and says so), and a copy over the target stopped part way
    // leaves the complete data in a kept file that the message names.
    virtual bool Save(const std::string& path);
    virtual void SetModified(bool bModified);
    virtual void UpdateAllViews(CHexBufferView* pSender, long nHintCode, CHexUpdateHint* pHint);
    // Closes the file and returns to the empty state.
    virtual void Close();
    // True unless another program may write the file or the read-only switch is on.
    virtual bool CanModify() const;
    // Applies and records one change; see the .cpp for the merge rules. A change whose
    // offset lies beyond the data is refused (false); a delete stops at the data end.
    virtual bool Change(uint32_t nType, uint32_t nOffset, uint32_t nCount, const uint8_t* pData,
                        int nSequence, CHexBufferView* pSender);
    // Undoes the newest record; false when there is none.
    virtual bool Undo(CHexBufferView* pSender, int32_t nRecord);
    // Opens the file (without building pieces: call AttachFileData next). Shows the path
    // and the reason and returns false when it cannot be opened, is not a plain file, or
    // is 4 GiB or larger; then nothing changes. On success the access flags describe the
    // new file and the read-only switch is off.
    virtual bool Open(const std::string& path);
    virtual bool IsModified() const { return m_bModified; }
    // Appends a record (data copied for count bytes when given); returns its index.
    virtual int32_t AddRecord(uint32_t nType, uint32_t nOffset, uint32_t nCount,
                              const uint8_t* pData);
    virtual bool RemoveLastRecord();

    // After Open: the data becomes the whole file (one file piece), no sender.
    void AttachFileData();

    // Copies up to nCount bytes of the current data from nOffset; returns the bytes
    // copied, fewer at the data end or when the file cannot be read.
    uint32_t ReadData(uint8_t* pDest, uint32_t nCount, uint32_t nOffset) const;
    // Writes the data bytes [nFrom, nTo) to path, creating or truncating it, or appending
    // to an existing file. On failure shows a message, leaves no partial result (a new
    // file is deleted, an appended one cut back) and returns false.
    bool WriteRange(const std::string& path, uint32_t nFrom, uint32_t nTo, bool bAppend);
    // Attaches a view; returns its index. RemoveView detaches it (a view must detach
    // before it is destroyed).
    int AddView(CHexBufferView* pView);
    void RemoveView(CHexBufferView* pView);

    // Where the user sees messages; nullptr drops them. The caller keeps ownership.
    void SetMessageSink(CHexMessageSink* pSink);
    // Whether Save keeps the old file as path + ".bak" (the "BackupFile" hex setting,
    // handed in by whoever owns the settings).
    void SetBackupFile(bool bBackupFile) { m_bBackupFile = bBackupFile; }
    bool GetBackupFile() const { return m_bBackupFile; }
    void SetReadOnly(bool bReadOnly) { m_bReadOnly = bReadOnly; }
    bool IsReadOnly() const { return m_bReadOnly; }

    bool IsFileOpen() const { return m_file.IsOpen(); }
    bool HasReadOnlyAccess() const { return m_bReadOnlyAccess; }
    bool HasSharedAccess() const { return m_bSharedAccess; }
    const std::string& GetPath() const { return m_strPath; }
    uint32_t GetLength() const { return m_nLength; }
    uint32_t GetFileLength() const { return m_nFileLength; }
    CHexBufferView* GetLastSender() const { return m_pLastSender; }
    const std::vector<SHexChangeRecord>& GetRecords() const { return m_records; }
    // The piece list in order: a copy, for tests and diagnostics.
    std::vector<SHexPiece> GetPieces() const { return m_pieces.ToVector(); }
    size_t GetPieceCount() const { return m_pieces.GetCount(); }
    // Whether the changes can be written into the open file without moving any byte.
    bool CanSaveInPlace() const;

private:
    struct SOpenFile
    {
        CPlatformFile m_file;
        bool m_bReadOnlyAccess = false;
        bool m_bSharedAccess = false;
        uint32_t m_nLength = 0;
    };

    // A file piece's bytes as they were before an in-place save overwrote them.
    struct SOverwritten
    {
        uint32_t m_nPosition = 0;
        std::vector<uint8_t> m_old;
    };

    bool OpenFile(const std::string& path, SOpenFile& opened, bool bQuiet = false);
    void AdoptFile(SOpenFile& opened, const std::string& path);
    void CloseFile();
    void ShowMessage(const std::string& strText) const;
    bool SaveInPlace();
    bool SaveThroughSafeSave(const std::string& path, const std::string& target);
    bool MakeBackup(const std::string& target, const std::string& backupName, bool bMayLink,
                    bool& bLinked);
    // Writes data bytes [nFrom, nTo) at offset nAt of the file; shows the message and
    // returns false on a write error or when the data cannot be read back.
    // pBehind, when given, hears how far the file is written.
    bool WriteRangeToFile(CPlatformFile& file, uint32_t nFrom, uint32_t nTo, int64_t nAt,
                          CWriteBehind* pBehind = nullptr);
    // Whether every file piece still lies within the open file.
    bool CanReadEveryPiece() const;
    void KeepOverwrittenBytes(std::vector<SOverwritten>& overwritten);
    void DropRecords();
    void FinishSave();
    void ApplyRecord(SHexChangeRecord& record);
    void UnapplyRecord(SHexChangeRecord& record);
    void CheckInvariants() const;

    // Mutable: reading the data reads the file, which records the error of a failed read.
    mutable CPlatformFile m_file;
    std::string m_strPath;         // as opened
    std::string m_strResolvedPath; // with links followed: the file really read
    uint32_t m_nFileLength = 0;
    bool m_bReadOnlyAccess = false;
    bool m_bSharedAccess = false;
    bool m_bReadOnly = false;
    bool m_bModified = false;
    bool m_bBackupFile = false;
    uint32_t m_nLength = 0;
    CHexBufferView* m_pLastSender = nullptr;
    std::vector<SHexChangeRecord> m_records;
    CHexPieceTree m_pieces;
    // Old file bytes that pieces of the records point to after an in-place save stopped
    // part way; kept as long as the records.
    std::vector<std::vector<uint8_t>> m_overwrittenBytes;
    bool m_bPartlySaved = false; // the file holds some changes since the last full save
    std::vector<CHexBufferView*> m_views;
    CHexMessageSink* m_pMessages = nullptr;
};

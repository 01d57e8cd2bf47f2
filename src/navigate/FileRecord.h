#pragma once
// One remembered file of the favorites or the history: where it is, how it was open and
// where its view stood, so that reopening it can bring the view back.

#include <cstdint>
#include <string>

// How the file was open when the record was made.
enum EFileRecordType : int
{
    FileRecordUnknown = -1, // read from a file with a "FileType" that is neither kind
    FileRecordNone = 0,
    FileRecordText = 1,
    FileRecordBinary = 2,
};

struct SFileRecord
{
    // Full path, trimmed of white space at both ends.
    std::string strPath;
    int nType = FileRecordNone;
    int nScrollPosX = 0;
    int nScrollPosY = 0;
    // Caret as a text position: byte index within the line and line index.
    int nCursorPosX = 0;
    int nCursorPosY = 0;
    // Selection ends; all four are -1 when there is no selection.
    int nSelectionStartX = -1;
    int nSelectionStartY = -1;
    int nSelectionEndX = -1;
    int nSelectionEndY = -1;
    // Seconds since 1970-01-01 UTC when the record was made; 0 when unknown. Held in 64
    // bits so that times after January 2038 survive a save and a load.
    int64_t nLastAccessTime = 0;
};

// Told about the records of one list as they come and go, so that a page listing them can
// keep one item per record. Records are identified by address: a record keeps its address
// for as long as it is in its list, and the address is valid during each call.
class CFileRecordObserver
{
public:
    virtual ~CFileRecordObserver() = default;
    // A record has been inserted at index 0 (the newest).
    virtual void OnFileRecordAdded(const SFileRecord& record) = 0;
    // The record is about to be removed from the list and freed.
    virtual void OnFileRecordRemoving(const SFileRecord& record) = 0;
    // Every record is about to be removed.
    virtual void OnAllFileRecordsRemoving() = 0;
};

// Told when a path stops being a favorite, so that an open document of that path can drop
// its favorite mark. Marking a document when it is added is the adding command's business.
class CFavoriteMarkObserver
{
public:
    virtual ~CFavoriteMarkObserver() = default;
    virtual void OnFavoriteMarkCleared(const std::string& strPath) = 0;
};

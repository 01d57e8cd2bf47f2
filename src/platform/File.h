#pragma once
// The one way this program opens, reads and writes files and lists folders. Every other
// folder reaches the file system through these types (and the safe save), so that the
// system's headers and its quirks stay here.
//
// What the types guarantee on every system:
// - Reads and writes are whole: an interrupted call is repeated and a short transfer is
//   continued, so a caller sees a short read only at the end of the file and a write that
//   returns true wrote every byte.
// - A failure keeps the system's error number and its text; nothing is thrown.
// - Offsets and sizes are 64-bit, whatever the size of the system's own offset type.
// - OpenRegularOnly never blocks: the type is checked by name, the file is opened without
//   waiting for a writer or a device, and the type is checked again on what was opened, so
//   a FIFO, socket or device put in place meanwhile is refused as well.
// - A folder can be opened relative to its parent, and a file relative to its folder, so a
//   walk reaches any depth: no path longer than the system's limit is ever formed.
//
// This header is shared by every system; File.cpp is the POSIX implementation. The Windows
// implementation is a second source file with the same contract (sharing modes map to
// FILE_SHARE_*, the last-write time is converted from FILETIME ticks), still to be written.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class EFileType
{
    Missing,
    Regular,
    Folder,
    Link,  // only from a status that does not follow links
    Other, // FIFO, socket, character or block device
};

// What the system knows about a file.
struct SFileStatus
{
    EFileType type = EFileType::Missing;
    int64_t nSize = 0;
    int64_t nLastWriteTime = 0;  // nanoseconds since 1970-01-01 UTC
    int64_t nLastAccessTime = 0; // nanoseconds since 1970-01-01 UTC
    unsigned nMode = 0;          // permission bits (07777)
    unsigned nLinks = 0;         // hard links to the file
    unsigned nOwner = 0;         // the owning user and group (0 where the system has none)
    unsigned nGroup = 0;
    // Identity: two names or descriptors with equal device and file numbers are one file.
    uint64_t nDevice = 0;
    uint64_t nFileNumber = 0;

    bool IsSameFile(const SFileStatus& other) const
    {
        return nDevice == other.nDevice && nFileNumber == other.nFileNumber;
    }
};

// The status of the file a path names, links followed (bFollowLinks false: the link itself).
// False with the error number in *pError (when given) if the path cannot be examined; a
// missing file gives false with ENOENT.
bool GetFileStatus(const std::string& path, SFileStatus& status, int* pError = nullptr,
                   bool bFollowLinks = true);

// Removes the name path (a symbolic link itself, not what it leads to). False with the error
// number in *pError (when given).
bool RemoveFile(const std::string& path, int* pError = nullptr);
// Gives the existing file a second name (a hard link). False with the error number in
// *pError (when given), for instance across file systems or where a file system has none.
bool LinkFile(const std::string& existing, const std::string& newName, int* pError = nullptr);

class CPlatformFolder;

// One entry of a folder listing.
struct SFolderEntry
{
    std::string strName;
    bool bFolder = false;       // a real folder (not a link to one)
    bool bLinkToFolder = false; // a symbolic link that leads to a folder
    bool bRegular = false;      // a regular file (not a link to one)
};

class CWriteBehind;

class CPlatformFile
{
public:
    enum EOpen : unsigned
    {
        OpenRead = 1,
        OpenWrite = 2,
        OpenReadWrite = OpenRead | OpenWrite,
        OpenCreate = 4,       // create the file when it does not exist
        OpenCreateNew = 8,    // create the file; fail with EEXIST when it exists (no link followed)
        OpenTruncate = 16,    // empty an existing file
        OpenRegularOnly = 32, // refuse anything but a regular file, never blocking (see above)
        OpenNoFollow = 64,    // refuse a symbolic link as the last component (ELOOP)
    };
    // Sharing with other openers, as advisory whole-file locks (see FileLock.h): another
    // program sees them only if it asks for locks too. A conflict fails the open with
    // EAGAIN, EACCES or EWOULDBLOCK (IsLockConflict tells).
    enum class EShare
    {
        All,      // no lock
        ReadOnly, // others may read, nobody else may write
        None,     // nobody else may read or write
    };

    // The error of a type refused by OpenRegularOnly, other than a folder (EISDIR).
    static constexpr const char* kNotRegularText = "Not a regular file";

    CPlatformFile() = default;
    ~CPlatformFile();
    CPlatformFile(CPlatformFile&& other) noexcept;
    CPlatformFile& operator=(CPlatformFile&& other) noexcept;
    CPlatformFile(const CPlatformFile&) = delete;
    CPlatformFile& operator=(const CPlatformFile&) = delete;

    // Opens path with a combination of EOpen flags; a new file gets nCreateMode (before the
    // umask). A file already open here is closed first. False with the error set and the
    // object closed.
    bool Open(const std::string& path, unsigned nFlags, EShare share = EShare::All,
              unsigned nCreateMode = 0666);
    // The same for the entry `name` of an open folder, however deep that folder lies.
    bool OpenIn(const CPlatformFolder& folder, const std::string& name, unsigned nFlags,
                EShare share = EShare::All, unsigned nCreateMode = 0666);
    // The same for an entry just listed: with OpenRegularOnly, an entry the listing found
    // to be a regular file is not examined again before it is opened (a walk over many
    // files saves a call per file); the check on the opened file still refuses anything
    // put in its place meanwhile.
    bool OpenIn(const CPlatformFolder& folder, const SFolderEntry& entry, unsigned nFlags);
    // Closes the file. False with the error set when the system reports a failure on
    // closing (a write that could not reach the disk); the file is closed either way.
    bool Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Reads up to nCount bytes from nOffset. The number read, less than nCount only at the
    // end of the file; -1 with the error set.
    int64_t ReadAt(void* pData, size_t nCount, int64_t nOffset);
    // Reads up to nCount bytes at the current position and moves it on (for files that
    // have no positions, such as pipes). The number read, less than nCount only at the end
    // of the data; -1 with the error set.
    int64_t Read(void* pData, size_t nCount);
    // Writes all nCount bytes at nOffset (Write: at the current position). False with the
    // error set; some of the bytes may have been written then.
    bool WriteAt(const void* pData, size_t nCount, int64_t nOffset);
    bool Write(const void* pData, size_t nCount);
    // Copies nCount bytes of source, from nSourceOffset, to nOffset in this file; neither
    // file's current position moves. Within one file system, with both offsets at the same
    // place within a page, the system copies the bytes itself without passing them through
    // this process; otherwise they are read and written in blocks of 1 MiB. The number copied, less
    // than nCount only where the source ends first; -1 with the error set on this file (a failed
    // read of the source included). Overlapping ranges of one file are refused with EINVAL.
    // pBehind, when given, hears how far this file is written.
    int64_t CopyRangeFrom(CPlatformFile& source, int64_t nSourceOffset, int64_t nCount,
                          int64_t nOffset, CWriteBehind* pBehind = nullptr);
    // Sets the current position for Read and Write.
    bool Seek(int64_t nOffset);

    // The file's size; -1 with the error set.
    int64_t GetSize();
    bool GetStatus(SFileStatus& status);
    // Cuts or extends the file to nSize bytes (extended with zeros).
    bool SetSize(int64_t nSize);
    // Reserves disk room for nSize bytes without changing the size, so that a full disk is
    // found before anything is overwritten. True as well where the system cannot reserve.
    bool Reserve(int64_t nSize);
    // Brings the written data and the size to the disk.
    bool Sync();
    // Asks the system to start writing the data in [nOffset, nOffset + nCount) to the disk,
    // without waiting for it (a request; nothing happens where the system has none). It
    // changes nothing in this object, so another thread may ask while this one writes.
    void StartWriteback(int64_t nOffset, int64_t nCount) const;
    // Whether StartWriteback does anything on this system.
    static bool CanStartWriteback();
    // Tells the system the file will be read from start to end (a hint; never fails).
    void AdviseSequential();

    // Takes over another handle to the same open file (for a second writer that closes on
    // its own). False with the error set.
    bool Duplicate(CPlatformFile& copy) const;

    // The failure of the last operation that failed: the system's error number (0 for a
    // failure that has none) and its text.
    int GetErrorNumber() const { return m_nError; }
    const std::string& GetErrorText() const { return m_strError; }

    // The system's handle, for the other parts of the platform layer only.
    int GetDescriptor() const { return m_fd; }

private:
    friend class CSafeSave;

    bool OpenAt(int nFolder, const std::string& path, unsigned nFlags, EShare share,
                unsigned nCreateMode, bool bKnownRegular = false);
    bool Fail(int nError);
    bool FailText(int nError, const char* text);

    int m_fd = -1;
    int m_nError = 0;
    std::string m_strError;
};

// An open folder. Listing and opening go through its handle, so entries are found relative
// to it, and a folder opened in it stays reachable whatever the length of its path.
class CPlatformFolder
{
public:
    CPlatformFolder() = default;
    ~CPlatformFolder();
    CPlatformFolder(CPlatformFolder&& other) noexcept;
    CPlatformFolder& operator=(CPlatformFolder&& other) noexcept;
    CPlatformFolder(const CPlatformFolder&) = delete;
    CPlatformFolder& operator=(const CPlatformFolder&) = delete;

    // Opens a folder by path (links followed). False with the error set (ENOTDIR when the
    // path names something else).
    bool Open(const std::string& path);
    // Opens the subfolder `name` of an open folder. A symbolic link is not followed
    // (ELOOP or ENOTDIR), so a walk cannot be led in a circle.
    bool OpenIn(const CPlatformFolder& parent, const std::string& name);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // The entries, without "." and "..", sorted by name (byte order) so that every walk of
    // the same tree visits it in the same order. False with the error set.
    bool List(std::vector<SFolderEntry>& entries);
    // The status of an entry (links followed unless bFollowLinks is false).
    bool GetEntryStatus(const std::string& name, SFileStatus& status, bool bFollowLinks = true);

    int GetErrorNumber() const { return m_nError; }
    const std::string& GetErrorText() const { return m_strError; }
    int GetDescriptor() const { return m_fd; }

private:
    bool Fail(int nError);

    int m_fd = -1;
    void* m_pListing = nullptr; // the system's listing stream over m_fd, once listed
    int m_nError = 0;
    std::string m_strError;
};

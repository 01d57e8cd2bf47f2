#pragma once
// Replacing a file with new contents so that, whatever fails, the file holds either its
// old contents or the complete new ones, and a replacement reported as done has reached
// the disk.
//
// The new contents go to a temporary file created exclusively under an unpredictable name
// in the target's folder. Commit syncs it and renames it over the target, which keeps the
// target's permission bits, its extended attributes (ACLs, security labels) and, where the
// system allows, its owner and group. A symbolic link is followed: the file it points to
// is replaced and the link stays a link.
//
// Renaming is not always right or possible, and then the complete, synced temporary file
// is copied over the target instead (the target keeps its identity):
// - the target has several hard links (renaming would split it from the other names);
// - the target's owner or group cannot be given to a new file;
// - the folder takes no new file (the temporary file then lives in the system's
//   temporary folder);
// - the target cannot be renamed over (a mount point).
// Only a copy that fails after it has begun writing can leave the target changed; the
// temporary file with the complete new contents is then kept and the error text names it.
//
// Use:
//     CSafeSave save;
//     if (!save.Begin(path)) report(save.GetError());
//     write everything to save.GetDescriptor(), checking every write;
//     if (!save.Commit()) report(save.GetError());      // the old file is untouched
// An object destroyed without a successful Commit removes its temporary file.

#include <string>

class CPlatformFile;

class CSafeSave
{
public:
    enum class ERoute
    {
        Rename,   // the temporary file is renamed over the target
        CopyOver, // the temporary file is copied over the target
    };

    CSafeSave() = default;
    CSafeSave(const CSafeSave&) = delete;
    CSafeSave& operator=(const CSafeSave&) = delete;
    ~CSafeSave();

    // Prepares to replace strPath (or the file a link there points to). Refuses an existing
    // target that is not a regular file or that this process may not write (a read-only
    // file is not replaced behind its owner's back). False with the error set; nothing is
    // left behind then.
    bool Begin(const std::string& strPath);
    // The temporary file, open for reading and writing; -1 before Begin and after Commit.
    // The caller may write through a duplicate of it; Commit syncs the file itself.
    int GetDescriptor() const { return m_fd; }
    // Another handle to the temporary file, for writing through the file type; Commit syncs
    // what was written through it. False with the error set.
    bool OpenTempFile(CPlatformFile& file);
    const std::string& GetTempPath() const { return m_strTemp; }
    // The file that is replaced: strPath with its symbolic links followed.
    const std::string& GetTargetPath() const { return m_strTarget; }
    ERoute GetRoute() const { return m_route; }

    // Puts the written temporary file in place of the target, syncing the file and its
    // folder. False with the error set; the target is then untouched and the temporary
    // file removed, except after a copy that failed part way (see above).
    bool Commit();
    // Gives up: removes the temporary file and leaves the target untouched.
    void Abort();

    // The system's message for the failure, and its errno (0 for a failure without one).
    const std::string& GetError() const { return m_strError; }
    int GetErrorNumber() const { return m_nError; }
    // True when a failed copy left the target changed and the new contents are kept in
    // GetTempPath().
    bool IsTempKept() const { return m_bTempKept; }

private:
    bool Fail(int nError);
    bool CreateTemp(const std::string& strFolder, unsigned nMode, int& nError);
    bool CommitRename();
    bool CommitCopy();
    void RemoveTemp();

    std::string m_strTarget;
    std::string m_strTemp;
    int m_fd = -1;
    ERoute m_route = ERoute::Rename;
    bool m_bTargetExists = false;
    unsigned m_nTargetMode = 0;
    unsigned m_nTargetUid = 0;
    unsigned m_nTargetGid = 0;
    std::string m_strError;
    int m_nError = 0;
    bool m_bTempKept = false;
};

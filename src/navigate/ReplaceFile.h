#pragma once
// Writing a whole file so that it is either the old content or the new, never a mix.

#include <cstddef>
#include <functional>
#include <string>

// Takes the content of a file being written, in pieces of any size.
class CFileContentSink
{
public:
    virtual ~CFileContentSink() = default;
    // Returns false once writing has failed; later pieces are then dropped.
    virtual bool Write(const void* pData, size_t nSize) = 0;
};

// Writes data to a new temporary file in the folder of strPath (created exclusively under
// an unpredictable name), flushes it to the disk, gives it the mode of the file it
// replaces, and renames it over strPath (over the file a symbolic link at strPath points
// to, so the link stays a link). On failure the temporary file is removed, the old
// file is untouched, and strError holds the reason. Returns true on success.
bool WriteFileReplacing(const std::string& strPath, const std::string& data, std::string& strError);
// The same with the content produced piece by piece, so a large file is never held whole
// in memory.
bool WriteFileReplacing(const std::string& strPath,
                        const std::function<void(CFileContentSink&)>& produce,
                        std::string& strError);

// Reads a whole file into data. Returns false when it cannot be opened or read.
bool ReadWholeFile(const std::string& strPath, std::string& data);

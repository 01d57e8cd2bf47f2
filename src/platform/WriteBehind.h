#pragma once
// Getting a file's new data to the disk while it is still being written, and letting a
// replaced file go without making the user wait for it.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class CPlatformFile;

// Has the system write a file's new data to the disk while the writer is still producing
// it, so that the sync that ends a save finds little left to wait for. The requests run on
// a thread of their own: the system prepares the disk's work in the asker's time, and the
// writer goes on meanwhile. A file that stays small never starts the thread.
//
//     CWriteBehind behind(file);
//     for each block: write it, then behind.Written(end of what is written);
//     behind.Finish();          // the destructor does it too; then sync the file
//
// The writer reports its progress in order, from one thread. The file must stay open until
// Finish has returned.
class CWriteBehind
{
public:
    // How much newly written data is handed to the system at once.
    static constexpr int64_t kChunk = int64_t(4) << 20;

    explicit CWriteBehind(const CPlatformFile& file, int64_t nStart = 0);
    ~CWriteBehind();
    CWriteBehind(const CWriteBehind&) = delete;
    CWriteBehind& operator=(const CWriteBehind&) = delete;

    // The bytes from the start up to nEnd are written.
    void Written(int64_t nEnd);
    // Stops asking and waits for the thread. Requests already made go on in the system.
    void Finish();

private:
    void Run();

    const CPlatformFile& m_file;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    int64_t m_nWritten;   // reported by the writer
    int64_t m_nRequested; // handed to the system (the thread's own)
    bool m_bFinish = false;
    std::thread m_thread;
};

// Closes a file that a save has replaced. The system frees the blocks and the cached pages
// of a file that has no name left when its last descriptor closes; for a file of a
// gigabyte that takes a good part of a second. Such a large file is closed on a thread of
// its own; any other is closed at once.
void ReleaseReplacedFile(CPlatformFile&& file);
// Waits until every file handed to ReleaseReplacedFile is closed. Runs by itself when the
// program ends.
void WaitForReleasedFiles();

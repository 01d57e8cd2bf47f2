// Runs the find-in-files engine from the command line and prints the result texts one per
// line, as a result pane shows them. Used by bench/fif.sh and by hand.
//
//   scrivel_fif [-r] [-s] [-c] [-t TYPES] [--cancel-after-ms N] TEXT LOCATION...
//     -r regular expression, -s look in subfolders, -c match case, -t file types (*.*)
//     --count print only the number of matching lines
//     --cancel-after-ms N  set the cancel event after N ms and print the time from setting
//                          it to the end of the search (cancel-ms: <ms>)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "findinfiles/FindInFiles.h"
#include "findinfiles/FindInFilesResults.h"
#include "platform/CancelEvent.h"

namespace
{
using Clock = std::chrono::steady_clock;

class CPrintCallback : public CFindInFilesCallback
{
public:
    CPrintCallback(std::string search, bool bCountOnly) : m_strSearch(std::move(search)), m_bCountOnly(bCountOnly) {}
    void OnBegin() override { Print(FormatSearchHeader(m_strSearch)); }
    void OnFile(const std::string& path) override { Print(FormatFileLine(path)); }
    void OnLine(const std::string&, int nLine, std::string_view text) override
    {
        ++m_nMatches;
        if (!m_bCountOnly)
            Print(FormatMatchLine(nLine, text));
    }
    void OnEnd(bool bCanceled) override
    {
        m_end = Clock::now();
        if (m_bCountOnly)
            std::printf("%d\n", m_nMatches);
        else
            Print(FormatSearchEnd(bCanceled, m_nMatches, m_strSearch));
    }
    Clock::time_point m_end;

private:
    void Print(const std::string& text)
    {
        if (m_bCountOnly)
            return;
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (text.empty() || text.back() != '\n')
            std::fputc('\n', stdout);
    }
    std::string m_strSearch;
    bool m_bCountOnly;
    int m_nMatches = 0;
};
} // namespace

int main(int argc, char** argv)
{
    CFindInFilesOptions options;
    options.m_dwFlags = 0;
    bool bCount = false;
    int nCancelAfter = -1;
    int i = 1;
    for (; i < argc && argv[i][0] == '-'; ++i)
    {
        if (!std::strcmp(argv[i], "-r"))
            options.m_dwFlags |= CFindInFilesOptions::FlagRegex;
        else if (!std::strcmp(argv[i], "-s"))
            options.m_dwFlags |= CFindInFilesOptions::FlagSubfolders;
        else if (!std::strcmp(argv[i], "-c"))
            options.m_dwFlags |= CFindInFilesOptions::FlagMatchCase;
        else if (!std::strcmp(argv[i], "-t") && i + 1 < argc)
            options.m_strFileTypes = argv[++i];
        else if (!std::strcmp(argv[i], "--count"))
            bCount = true;
        else if (!std::strcmp(argv[i], "--cancel-after-ms") && i + 1 < argc)
            nCancelAfter = std::atoi(argv[++i]);
        else
        {
            std::fprintf(stderr, "unknown option %s\n", argv[i]);
            return 2;
        }
    }
    if (argc - i < 2)
    {
        std::fprintf(stderr, "usage: %s [-r] [-s] [-c] [-t TYPES] [--count] TEXT LOCATION...\n", argv[0]);
        return 2;
    }
    std::string search = argv[i++];
    for (; i < argc; ++i)
        options.m_locations.emplace_back(argv[i]);

    CPrintCallback callback(search, bCount);
    CFindInFiles engine(callback, options);
    CCancelEvent cancel;
    if (nCancelAfter < 0)
    {
        engine.Search(search, nullptr, cancel);
        return 0;
    }
    Clock::time_point setAt;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(nCancelAfter));
        setAt = Clock::now();
        cancel.Set();
    });
    engine.Search(search, nullptr, cancel);
    canceller.join();
    double ms = std::chrono::duration<double, std::milli>(callback.m_end - setAt).count();
    std::fprintf(stderr, "cancel-ms: %.3f\n", ms < 0 ? 0.0 : ms);
    return 0;
}

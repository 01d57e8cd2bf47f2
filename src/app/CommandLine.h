#pragma once
// Parsing of the program's switches and file names.

#include <string>
#include <vector>

// The result of parsing.
struct CCommandOptions
{
    enum EAction
    {
        ActionNone = 0,
        ActionOpen = 1,
        ActionHelp = 2,
        ActionCompare = 3,
        ActionEdit = 4,
    };
    enum EFileType
    {
        FileTypeAuto = 0,
        FileTypeText = 1,
        FileTypeBinary = 2,
        FileTypeFolder = 3,
    };

    int m_nAction = ActionNone;
    int m_nFileType = FileTypeAuto;
    int m_nFileCount = 0;          // names kept, 0 to 2
    std::string m_strFiles[2];     // the first two names, in command-line order
    int m_bReadOnly[2] = {0, 0};   // open file 1 / file 2 read-only
};

class CCommandLine : public CCommandOptions
{
public:
    virtual ~CCommandLine() = default;

    // Walks the arguments after the program name (argv[0]); with fewer than two arguments
    // in all nothing is done. "-" and "/" start a switch, passed on without that character;
    // where paths start with "/", an argument with a second "/" or naming an existing path
    // is a file name instead.
    // File names are kept as given; relative ones are made absolute against the current
    // folder when bResolvePaths is set.
    void ParseCommandLine(int argc, const char* const* argv, bool bResolvePaths = true);
    void ParseCommandLine(const std::vector<std::string>& args, bool bResolvePaths = true);

    // Handles one argument. Switch words are compared exactly and case-sensitively;
    // unknown switches are ignored. After the last argument an action that is still none
    // becomes ActionOpen, or ActionCompare with two names.
    virtual void ParseParam(const std::string& text, bool bSwitch, bool bLast);

private:
    void ParseSwitch(const std::string& word);
    bool m_bResolvePaths = true;
};

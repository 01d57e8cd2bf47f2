#pragma once
// Finding and replacing text in a buffer: the line-by-line search (plain, whole word, by
// search pattern, up, down, wrapped, within a block), the last-search state of a view,
// Find Next and Find Previous, Highlight All and the replacement of a match.
//
// Positions are byte positions (STextPosition). A match may span lines only for a pattern
// that holds n "\n" escapes; its length counts each line break as one character.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "patterns/Pattern.h"
#include "text/TextParser.h"
#include "text/TextPosition.h"

class CTarvoTextEditBuffer;
class CTarvoTextEditController;

// Search flags.
enum : uint32_t
{
    SearchMatchCase = 0x01,
    SearchWholeWord = 0x02,
    SearchPattern = 0x04,
    SearchUp = 0x10,
    SearchNoWrap = 0x200,
};

// The find and replace recent lists of the text editor ("TextEdit\Recent\Find" and
// "TextEdit\Recent\Replace", 20 entries each), most recent first. The application keeps
// them in the profile; tests use CMemorySearchHistory.
class ITextSearchHistory
{
public:
    virtual ~ITextSearchHistory() = default;
    virtual void AddFindText(const std::string& text) = 0;
    virtual void AddReplaceText(const std::string& text) = 0;
    virtual std::vector<std::string> GetFindTexts() const = 0;
    virtual std::vector<std::string> GetReplaceTexts() const = 0;
};

class CMemorySearchHistory : public ITextSearchHistory
{
public:
    void AddFindText(const std::string& text) override { Add(m_find, text); }
    void AddReplaceText(const std::string& text) override { Add(m_replace, text); }
    std::vector<std::string> GetFindTexts() const override { return m_find; }
    std::vector<std::string> GetReplaceTexts() const override { return m_replace; }

private:
    static void Add(std::vector<std::string>& list, const std::string& text);
    std::vector<std::string> m_find;
    std::vector<std::string> m_replace;
};

// The search over one buffer. Holds the last match (for selection and replacement).
class CTextSearcher
{
public:
    explicit CTextSearcher(const CTarvoTextEditBuffer* pBuffer = nullptr);
    ~CTextSearcher();
    void SetBuffer(const CTarvoTextEditBuffer* pBuffer) { m_pBuffer = pBuffer; }

    // Looks for `text` from ptStart (moved to the block start when before it) within the
    // block ptBlockBegin..ptBlockEnd, down or up (SearchUp), wrapping once to the other end
    // of the block when bWrap. A match counts only when it begins before the block end.
    // Returns true and the match start in ptFound.
    bool FindTextInBlock(const std::string& text, STextPosition ptStart, STextPosition ptBlockBegin,
                         STextPosition ptBlockEnd, uint32_t dwFlags, bool bWrap,
                         STextPosition& ptFound);
    // The same over the whole text.
    bool FindText(const std::string& text, STextPosition ptStart, uint32_t dwFlags, bool bWrap,
                  STextPosition& ptFound);

    // The last match: its end and its length in characters (a line break counts one).
    STextPosition GetMatchEnd() const { return m_ptMatchEnd; }
    int GetMatchLength() const { return m_nMatchLength; }
    // For a pattern match: the searched window and the groups, relative to the window.
    bool IsPatternMatch() const { return m_bPatternMatch; }
    const std::string& GetMatchWindow() const { return m_strWindow; }
    const PatternMatchInfo& GetMatchInfo() const { return m_matchInfo; }

    // The longest text a pattern is matched against; a longer window (a huge line) is
    // taken as not matching, and the search goes on with the next one.
    void SetPatternWindowLimit(int nBytes) { m_nPatternWindowLimit = nBytes; }

private:
    struct SCompiled;
    bool SearchDownward(STextPosition ptStart, STextPosition ptEnd, uint32_t dwFlags,
                        STextPosition& ptFound);
    bool SearchUpward(STextPosition ptStart, STextPosition ptBegin, STextPosition ptEnd,
                      uint32_t dwFlags, STextPosition& ptFound);
    // The first (or with bLast the last) occurrence in line nLine that starts in
    // [nFrom, nStartLimit) and, on the first line, ends at or before nEndLimit.
    bool FindInLine(int nLine, int nFrom, int nStartLimit, int nEndLimit, bool bLast,
                    uint32_t dwFlags, STextPosition& ptFound);
    bool PlainInLine(int nLine, int nFrom, int nStartLimit, int nEndLimit, bool bLast,
                     uint32_t dwFlags, int& nAt);
    bool PatternInWindow(int nLine, int nFrom, int nStartLimit, int nEndLimit, bool bLast,
                         uint32_t dwFlags, STextPosition& ptFound);
    void SetPlainMatch(int nLine, int nAt);

    const CTarvoTextEditBuffer* m_pBuffer;
    std::unique_ptr<SCompiled> m_pCompiled;
    std::string m_strLowerText; // the plain search text, lowered when case does not matter
    std::string m_strScratch;   // a lowered line
    std::string m_strWindow;
    std::vector<int> m_aWindowLineStarts; // offsets of the window's lines
    int m_nWindowFirstChar = 0;           // character of the first line where the window starts
    PatternMatchInfo m_matchInfo{};
    STextPosition m_ptMatchEnd;
    int m_nMatchLength = 0;
    bool m_bPatternMatch = false;
    int m_nPatternWindowLimit = 0x7FFFFFF0;
};

// Every match of `text` in one line for Highlight All: always searching down from the
// start of the line, the next search starting after the previous match (one character
// further after an empty match). Pairs of (start, end) byte offsets.
std::vector<std::pair<int, int>> FindMatchesInLine(const char* pLine, int nLength,
                                                   const std::string& text, uint32_t dwFlags);
// Lays highlight blocks (background colour class 8) over a line's syntax runs: a match
// keeps the text colour of the run under it; after a match the runs continue as before.
std::vector<SyntaxRun> MergeHighlightRuns(const std::vector<SyntaxRun>& runs,
                                          const std::vector<std::pair<int, int>>& matches);
constexpr int kHighlightColorClass = 8;

// The search state of a view and the commands that use it.
class CTextEditFind
{
public:
    explicit CTextEditFind(CTarvoTextEditController& controller);

    CTextSearcher& GetSearcher() { return m_searcher; }
    void OnBufferChanged();

    bool HasLastSearch() const { return m_bHasLastSearch; }
    const std::string& GetLastSearchText() const { return m_strLastSearch; }
    uint32_t GetLastSearchFlags() const { return m_dwLastFlags; }
    void SetLastSearch(const std::string& text, uint32_t dwFlags);
    bool IsHighlightAll() const { return m_bHighlightAll; }
    const std::string& GetHighlightText() const { return m_strHighlight; }
    bool GetFoundFlag() const { return m_bFound; }

    // The Find dialog's "Find Next" (bHighlight false) and "&Highlight All" (true): searches
    // from the caret with wrap. Not found: "Cannot find string" and the quoted text.
    bool FindFromDialog(const std::string& text, uint32_t dwFlags, bool bHighlight);
    // F3 (reads Shift and Ctrl), Find Next (42201) and Find Previous (42200).
    void FindNextCommand(int nId);
    void ToggleHighlightAll();

    // Selects a match ptStart..ptEnd, the caret at its start when bCaretAtStart, and
    // scrolls it into view (its first line half a page below the top) when it is not.
    void SelectMatch(const STextPosition& ptStart, const STextPosition& ptEnd, bool bCaretAtStart);
    // Replaces the selection (or inserts at the caret) with the replacement (action 8,
    // one undo group) and selects it. A pattern replacement is expanded against the last
    // match; when that fails, the match stays as it was, the status bar says so and the
    // result is false.
    // bMerge continues the undo group of the previous replacement (Replace All).
    bool ReplaceSelection(const std::string& replacement, uint32_t dwFlags, bool bMerge = false);
    int GetLastReplacementLength() const { return m_nLastReplacementLength; }

    // Highlight All: the matches of the highlight text in a line (empty when off).
    std::vector<std::pair<int, int>> HighlightMatchesInLine(int nLine) const;

    // "Cannot find string" + quoted text (the Find dialog), or "Cannot find string " + it.
    static std::string NotFoundMessage(const std::string& text, bool bFromFindDialog);
    // A search text as Find Next uses it: cut at its first CR LF.
    static std::string CutAtLineBreak(const std::string& text);

private:
    CTarvoTextEditController& m_controller;
    CTextSearcher m_searcher;
    bool m_bHasLastSearch = false;
    std::string m_strLastSearch;
    uint32_t m_dwLastFlags = 0;
    bool m_bHighlightAll = false;
    std::string m_strHighlight;
    bool m_bFound = false;
    int m_nLastReplacementLength = 0;
};

// Status text when a pattern replacement cannot be expanded.
extern const char* const kReplaceExpandFailedText;

#pragma once
// The syntax parser base: the definition of a language (id, name, extensions, editing
// flags, comment delimiters) and the line-parsing contract shared by all 28 parsers.
//
// Line-state convention: a parser turns the state at the end of the previous line (0 for
// the first line) and one line into the state at the end of that line. The bits are the
// parser's own; owners only store the value. kParseStateUnknown (all bits set) is never
// returned. A parser reads only line->pcLine[0 .. line->nLength) and keeps no data
// between calls, so one parser object serves every document and thread at once.
//
// Runs: the caller owns the array. It holds at least 3 x (line length + 1) records and the
// caller normally writes a first record {0, 3, 2} with *count = 1 before the call, so text
// before the parser's first run is normal text. Parsers append through AppendSyntaxRun /
// AddRun; runs never start before the previous run (a run with the same start as the
// previous one is appended and wins). With runs == null a parser computes the state only,
// and that state equals the one of a colouring pass.

#include <atomic>
#include <cstdint>

#include "text/TextLineInfo.h"
#include "text/TextParser.h"

// Colour classes: indices into the table of CSyntaxColors.
enum : int32_t
{
    kSyntaxColorBackground = 2, // background index of every parser run
    kSyntaxColorNormal = 3,
    kSyntaxColorKeyword = 9,
    kSyntaxColorFunction = 10,
    kSyntaxColorComment = 11,
    kSyntaxColorNumber = 12,
    kSyntaxColorOperator = 13,
    kSyntaxColorString = 14,
    kSyntaxColorPreprocessor = 15,
    kSyntaxColorKeyword2 = 18,
    kSyntaxColorKeyword3 = 19,
    kSyntaxColorCount = 20,
};

// Editing flags of a definition.
enum : uint32_t
{
    kSyntaxFlagBackspaceJoinsLines = 0x04,
    kSyntaxFlagIndicatorMargin = 0x08, // mirrored by the view
    kSyntaxFlagAutoIndent = 0x10,
    kSyntaxFlagBracketIndent = 0x20,
    kSyntaxFlagBracketIndentBlankLine = 0x40,
    kSyntaxFlagSpaceBeforeParen = 0x400,
    kSyntaxFlagWordWrap = 0x800, // mirrored by the view
};

// Appends {start, colour, 2} unless runs or count is null or the previous run starts after
// `start`. Returns the index of the new run or -1.
inline int AppendSyntaxRun(SyntaxRun* runs, int* count, int start, int colour)
{
    if (runs == nullptr || count == nullptr)
        return -1;
    const int n = *count;
    if (n > 0 && runs[n - 1].nStart > start)
        return -1;
    runs[n].nStart = start;
    runs[n].nColor = colour;
    runs[n].nBkColor = kSyntaxColorBackground;
    *count = n + 1;
    return n;
}

// The data part of every parser: set by the concrete parser's constructor and, apart from
// the two flags the view mirrors, never changed afterwards.
class CSyntaxDefinition
{
public:
    int GetId() const { return m_nId; }
    const char* GetName() const { return m_szName; }
    // Comma-separated, lower case, without dots or blanks ("c,cc,cpp").
    const char* GetExtensions() const { return m_szExtensions; }
    uint32_t GetFlags() const { return m_dwFlags.load(std::memory_order_relaxed); }
    void SetFlags(uint32_t dwFlags) { m_dwFlags.store(dwFlags, std::memory_order_relaxed); }
    const char* GetBlockCommentOpen() const { return m_szBlockCommentOpen; }
    const char* GetBlockCommentClose() const { return m_szBlockCommentClose; }
    const char* GetLineComment() const { return m_szLineComment; }

protected:
    CSyntaxDefinition() = default;
    // Copies the strings, truncating each to its field.
    void SetDefinition(int nId, const char* name, const char* extensions, uint32_t dwFlags,
                       const char* blockOpen, const char* blockClose, const char* lineComment);

    int32_t m_nId = 0;
    char m_szName[256] = {};
    char m_szExtensions[256] = {};
    // Atomic because the view mirrors margin and wrap into it while the wrap thread may read.
    std::atomic<uint32_t> m_dwFlags{0};
    char m_szBlockCommentOpen[8] = {};
    char m_szBlockCommentClose[8] = {};
    char m_szLineComment[8] = {};
};

// What ComputeWrapPoints needs of a view: the line's characters and length, the tab size.
// The wrap thread calls it, so implementations must be safe to call from that thread.
class CSyntaxWrapSource
{
public:
    virtual ~CSyntaxWrapSource() = default;
    virtual int GetWrapLineLength(int nLine) const = 0;
    virtual const char* GetWrapLineChars(int nLine) const = 0;
    virtual int GetWrapTabSize() const = 0;
};

// A word list of a parser with the colour it gives and how it is compared; exposed so
// tests and tools can inspect the lists a parser uses.
struct SSyntaxWordList
{
    const char* const* pWords; // null-terminated
    int32_t nColor;
    bool bNoCase;
};

class CSyntaxParser : public CTextParser, public CSyntaxDefinition
{
public:
    ~CSyntaxParser() override = default;

    // The base colours nothing: state 0, no runs (the plain-text behaviour).
    uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs,
                       int* count) override;
    // Same contract as ParseLine; the base forwards to it.
    uint32_t ParseLineComments(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs,
                               int* count) override;
    int GetParserId() const override { return m_nId; }

    // Finds where line nLine of the view breaks into display rows of at most nMaxColumns
    // columns. Writes the break offsets (each the byte offset where a new row starts) to
    // pBreaks when it is not null (room for one entry per byte of the line is enough) and
    // their number to *pnBreaks. A set cancel flag gives zero breaks.
    virtual void ComputeWrapPoints(const CSyntaxWrapSource& view, int nLine, int nMaxColumns,
                                   int* pBreaks, int* pnBreaks,
                                   const std::atomic<int>* pCancel) const;

    // True when the byte at nOffset is the second byte of a multibyte character in the
    // code page of text in memory.
    virtual bool IsTrailByte(const CTarvoTextLineInfo* line, int nOffset) const;
    virtual int GetLineLength(const CTarvoTextLineInfo* line) const;
    virtual const char* GetLineChars(const CTarvoTextLineInfo* line) const;
    // Appends a run (background 2). Returns its index, or -1 when runs is null or the
    // previous run starts after nStart.
    virtual int AddRun(const CTarvoTextLineInfo* line, int nStart, int nColor, SyntaxRun* runs,
                       int* count) const;

    // The word lists the parser colours with, in classification order.
    virtual int GetWordListCount() const { return 0; }
    virtual SSyntaxWordList GetWordList(int /*index*/) const { return {nullptr, 0, false}; }

protected:
    CSyntaxParser() = default;
};

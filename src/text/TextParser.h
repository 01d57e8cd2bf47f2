#pragma once
// What the text buffer knows of a syntax parser: two line-parsing entries and an id.
// The syntax library's CSyntaxParser implements this; the buffer works without any parser.

#include <cstdint>

#include "text/TextLineInfo.h"

// One coloured run of a line: it starts at byte nStart and ends where the next run starts
// or at the end of the line.
struct SyntaxRun
{
    int32_t nStart;   // byte offset in the line
    int32_t nColor;   // text colour index
    int32_t nBkColor; // background colour index (parsers always write 2)
};

// The line state value that marks "not computed yet"; no parser ever returns it.
constexpr uint32_t kParseStateUnknown = 0xFFFFFFFFu;

class CTextParser
{
public:
    virtual ~CTextParser() = default;

    // Parses one line: `state` is the state at the end of the previous line (0 for the
    // first line). When `runs` is null only the state is computed. Reads only
    // line->pcLine[0 .. line->nLength). Appends runs at runs[*count] and increases *count.
    virtual uint32_t ParseLine(uint32_t state, const CTarvoTextLineInfo* line, SyntaxRun* runs,
                               int* count) = 0;
    virtual uint32_t ParseLineComments(uint32_t state, const CTarvoTextLineInfo* line,
                                       SyntaxRun* runs, int* count) = 0;
    virtual int GetParserId() const = 0;
};

// Finds a parser by id (the syntax factory implements it).
class CTextParserLookup
{
public:
    virtual ~CTextParserLookup() = default;
    virtual CTextParser* FindParserById(int id) = 0;
};

// The process-wide lookup used by SetParserById; null until the text edit module sets it.
CTextParserLookup* GetTextParserLookup();
void SetTextParserLookup(CTextParserLookup* pLookup);

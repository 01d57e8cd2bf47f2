#pragma once
// The record of one line of a text buffer. Parsers, the view and the buffer share it.

#include <cstdint>

// One line. The block `pcLine` holds the text, then the line ending's bytes, then a
// terminating zero byte; `nLength` counts the text only.
struct CTarvoTextLineInfo
{
    char* pcLine = nullptr;     // the line's own heap block
    int32_t nLength = 0;        // bytes of text, without the line ending
    int32_t nMax = 0;           // capacity of the block in bytes (a multiple of 16)
    int32_t nEolLength = 0;     // 0, 1 or 2 bytes of line ending after the text
    uint32_t dwFlags = 0;       // line flags; 0x80000 is the bookmark
    int32_t nSubLineCount = 0;  // display rows when wrapped; 0 = not computed
    int32_t nFirstSubLine = -1; // index of the first sub-line entry; -1 = none
    int32_t nExtraRows = -1;    // rows beyond the wrapped sub-lines; -1 = not asked yet
    uint32_t dwRevision = 0;    // revision stamp of the last change; 0 = unchanged
};

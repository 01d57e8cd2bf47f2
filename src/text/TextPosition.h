#pragma once
// A place in a text buffer: x is the byte index within the line (a double-byte character
// takes two indexes), y the line index, both from 0. x equal to the line's length is the
// end of the line, before its line ending.

#include <cstdint>

struct STextPosition
{
    int32_t x = 0;
    int32_t y = 0;

    constexpr bool operator==(const STextPosition&) const = default;
};

// BuiltinFont - the small bitmap font drawn while no font is selected: ASCII 32-126 in 5 x 7 dots.
#pragma once

#include <cstdint>

namespace gfx {

constexpr int BUILTIN_COLUMNS = 5;
constexpr int BUILTIN_ROWS = 7;
constexpr int BUILTIN_ADVANCE = 6;     // dots from one character to the next
constexpr int BUILTIN_ASCENT = 7;      // dots from the top of a character to the baseline
constexpr int BUILTIN_ASCENDER = 8;    // dots from the top of the line box to the baseline
constexpr int BUILTIN_LINE = 10;       // dots from one baseline to the next

// The seven rows of a character, top first, bit 4 the leftmost dot; null for characters it lacks.
const uint8_t* BuiltinGlyphRows(char32_t c);

}  // namespace gfx

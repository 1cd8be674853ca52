#pragma once
// The glyphs of the text screen: the IBM VGA 8x16 set of code page 437,
// one per byte, 16 rows from the top, bit 7 the leftmost pixel. The table
// is generated from the console font when the program is built.
#include <cstdint>

namespace vorn {

inline constexpr uint8_t kGlyphs[256][16] = {
#include "vorn_glyphs_8x16.inc"
};

}  // namespace vorn

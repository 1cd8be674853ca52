#pragma once
#include <string>

namespace vorn {

// Text to number in extended precision (64-bit mantissa). Blanks and tabs
// are skipped anywhere; the first byte that cannot continue the number ends
// it; no number gives 0. Error 6 for a radix number longer than 64 bits.
long double to_number(const std::string& text);

}  // namespace vorn

#pragma once
// The numeric checks of the line entry: whether a value text (the entry
// without its quotes) may stand in a 16-bit integer or single-precision
// entry, and the value that entry stores. A failing check only makes the
// line entry refuse the key just typed.
#include <cstdint>
#include <string>

namespace vorn {

// True when text passes as a 16-bit integer entry; value gets what it stores.
bool check_int16_entry(const std::string& text, int16_t& value);
// True when text passes as a single-precision entry; value gets what it stores.
bool check_single_entry(const std::string& text, float& value);

}  // namespace vorn

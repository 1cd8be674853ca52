// Placeholder until the numeric checks land: plain digits only.
#include "platform/entry_check.h"

#include <cstdlib>

namespace vorn {

bool check_int16_entry(const std::string& text, int16_t& value) {
  long v = std::strtol(text.c_str(), nullptr, 10);
  if (v < -32768 || v > 32767) return false;
  value = int16_t(v);
  return true;
}

bool check_single_entry(const std::string& text, float& value) {
  value = std::strtof(text.c_str(), nullptr);
  return true;
}

}  // namespace vorn

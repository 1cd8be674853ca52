#pragma once
// The monotonic millisecond clock of the real program, shared by the
// flow's host and the window loop.
#include <chrono>
#include <cstdint>

namespace vorn {

inline int64_t steady_now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace vorn

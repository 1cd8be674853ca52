#pragma once
// The clocks of the program: the monotonic milliseconds of waits and the
// window loop, and the local date and time of the results file.
#include <chrono>
#include <cstdint>
#include <string>

namespace vorn {

inline int64_t steady_now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The local date as mm-dd-yyyy and the local time as hh:mm:ss; each reads
// the clock anew.
std::string date_text();
std::string time_text();

}  // namespace vorn

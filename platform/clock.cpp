#include "platform/clock.h"

#include <ctime>

namespace vorn {

namespace {

std::string local_now(const char* format) {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  if (!localtime_r(&t, &tm)) tm = std::tm{};
  char buf[32];
  const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

}  // namespace

std::string date_text() { return local_now("%m-%d-%Y"); }

std::string time_text() { return local_now("%H:%M:%S"); }

}  // namespace vorn

// Random bytes as a file, read by line and by field and compared with a
// byte-at-a-time model of the same rules; to_number over the bytes and the
// lines, compared with strtold and strtoull where those read the same text.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/errors.h"
#include "platform/files.h"
#include "platform/to_number.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "mismatch: %s\n", what);
  std::abort();
}

// The rules one byte at a time, on the whole content in memory.
struct Model {
  std::string bytes;
  std::size_t pos = 0;
  explicit Model(const std::string& b) : bytes(b.substr(0, b.find('\x1a'))) {}
  int peek() const { return pos < bytes.size() ? (unsigned char)bytes[pos] : -1; }
  void line_end() {
    int a = peek();
    ++pos;
    int b = peek();
    if ((a == '\r' && b == '\n') || (a == '\n' && b == '\r')) ++pos;
  }
  bool line(std::string& out) {
    out.clear();
    if (peek() < 0) return false;
    while (peek() >= 0 && peek() != '\r' && peek() != '\n') out.push_back(bytes[pos++]);
    if (peek() >= 0) line_end();
    return true;
  }
  bool field(std::string& out) {
    out.clear();
    while (peek() == ' ' || peek() == '\t') ++pos;
    if (peek() < 0) return false;
    if (peek() == '"') {
      ++pos;
      while (peek() >= 0 && peek() != '"') out.push_back(bytes[pos++]);
      if (peek() == '"') ++pos;
      while (peek() >= 0 && peek() != ',' && peek() != '\r' && peek() != '\n') ++pos;
    } else {
      while (peek() >= 0 && peek() != ',' && peek() != '\r' && peek() != '\n') out.push_back(bytes[pos++]);
      while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
    }
    if (peek() == ',')
      ++pos;
    else if (peek() >= 0)
      line_end();
    return true;
  }
};

int memfd() {
  static int fd = memfd_create("fuzz-files", 0);
  return fd;
}

std::string fd_name() { return "/proc/self/fd/" + std::to_string(memfd()); }

void number_of(const std::string& text) {
  try {
    vorn::to_number(text);
  } catch (const vorn::NumberedError& e) {
    if (e.number != vorn::err::overflow) fail("to_number raised other than 6");
  }
}

void compare_reads(const std::string& bytes, bool by_field) {
  vorn::FileTable t;
  t.open_file(fd_name(), vorn::FileMode::Input, 1);
  Model m(bytes);
  std::string got, want;
  for (std::size_t n = 0;; ++n) {
    if (n > bytes.size() + 1) fail("a read that takes no byte");
    bool have = by_field ? m.field(want) : m.line(want);
    int e = 0;
    got = "junk";
    try {
      if (by_field)
        t.read_field(1, got);
      else
        t.read_line(1, got);
    } catch (const vorn::NumberedError& err) {
      e = err.number;
    }
    if (!have) {
      if (e != vorn::err::input_past_end) fail("end not reported as 62");
      if (!got.empty()) fail("target not empty after 62");
      return;
    }
    if (e != 0) fail("error before the end");
    if (got != want) fail(by_field ? "field" : "line");
    number_of(got);
  }
}

bool plain_decimal(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::strchr("0123456789+-.eE", c)) return false;
  // Past 18 significant exponent digits the scan stops where strtold goes on.
  char* end = nullptr;
  std::strtold(s.c_str(), &end);
  std::string used(s.c_str(), std::size_t(end - s.c_str()));
  std::size_t e = used.find_first_of("eE");
  if (e == std::string::npos) return true;
  std::size_t d = used.find_first_not_of("+-", e + 1);
  d = used.find_first_not_of('0', d);
  return d == std::string::npos || used.size() - d <= 18;
}

void compare_numbers(const std::string& s) {
  if (plain_decimal(s)) {
    long double want = std::strtold(s.c_str(), nullptr);
    if (vorn::to_number(s) != want) fail("to_number against strtold");
  }
  if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h') &&
      s.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos) {
    std::size_t first = s.find_first_not_of('0', 2);
    std::size_t counted = first == std::string::npos ? 0 : s.size() - first;
    int e = 0;
    long double got = 0;
    try {
      got = vorn::to_number(s);
    } catch (const vorn::NumberedError& err) {
      e = err.number;
    }
    if (counted > 16) {
      if (e != vorn::err::overflow) fail("long hex without error 6");
    } else {
      long double want = (long double)(int64_t)std::strtoull(s.c_str() + 2, nullptr, 16);
      if (e != 0 || got != want) fail("hex against strtoull");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (memfd() < 0) std::abort();
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (ftruncate(memfd(), 0) != 0) std::abort();
  if (size && pwrite(memfd(), data, size, 0) != ssize_t(size)) std::abort();

  compare_reads(bytes, false);
  compare_reads(bytes, true);
  number_of(bytes);
  compare_numbers(bytes);
  return 0;
}

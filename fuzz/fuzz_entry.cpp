// Random keys into the line entry of every kind. Whatever was typed, the
// target must hold the value of what the screen shows, and nothing outside
// the entry may have changed.
//
// Input: the first byte picks the kind and where the entry begins; every
// further byte is a key, byte 0 with the next byte forming a key without a
// character (scan code). Enter is always typed last.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/errors.h"
#include "platform/entry_check.h"
#include "tests/support/headless.h"

namespace {

using namespace vorn;

// Byte 10 ends a line when written, so no entry can ever leave it in a cell.
constexpr uint8_t kFiller = 10;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_entry: %s\n", what);
  std::abort();
}

// The quote and comma rules, written out again so the console's own
// version is not checked against itself.
bool value_text(const std::string& entry, std::string& value) {
  if (entry.empty() || entry[0] != '"') {
    if (entry.find(',') != std::string::npos) return false;
    value = entry;
    return true;
  }
  std::string inner;
  for (size_t i = 1; i < entry.size(); ++i) {
    if (entry[i] == '"') {
      if (i + 1 != entry.size()) return false;
      value = inner;
      return true;
    }
    inner.push_back(entry[i]);
  }
  value = inner;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 4096) return 0;
  const int kind = data[0] % 3;
  const bool wrap_start = data[0] >= 240;
  const int start_col = wrap_start ? 80 : (data[0] / 3) % 80 + 1;

  HeadlessHost host;
  Screen& screen = host.console.screen;
  Screen::Saved filled = screen.save();
  for (Cell& c : filled.cells) c = Cell{kFiller, 7, 0};
  filled.row = 1;
  filled.col = start_col;
  filled.pending_wrap = wrap_start;
  screen.restore(filled);

  for (size_t i = 1; i < size; ++i) {
    if (data[i] == 0 && i + 1 < size) {
      host.key(Key{0, data[i + 1]});
      ++i;
    } else {
      host.key(Key{data[i], 0});
    }
  }
  host.type("\r");

  std::string text_target = "sentinel";
  int16_t int_target = 12345;
  float float_target = 12345.0f;
  try {
    switch (kind) {
      case 0: host.console.line_entry(text_target); break;
      case 1: host.console.line_entry(int_target); break;
      default: host.console.line_entry(float_target); break;
    }
  } catch (const ProgramEnd&) {
    fail("the entry did not end on Enter");
  }
  if (host.console.entry_cursor_on()) fail("entry cursor left on");

  // Read the entry back off the screen.
  int pos = wrap_start ? kCols : start_col - 1;  // cell index where it begins
  const int begin = pos;
  std::string shown;
  while (pos < kRows * kCols) {
    const Cell c = screen.cell(pos / kCols + 1, pos % kCols + 1);
    if (c.ch == kFiller) break;
    shown.push_back(char(c.ch));
    ++pos;
  }
  for (int i = 0; i < kRows * kCols; ++i) {
    if (i >= begin && i < pos) continue;
    if (screen.cell(i / kCols + 1, i % kCols + 1).ch != kFiller) fail("a cell outside the entry changed");
  }
  if (shown.size() > 255) fail("entry longer than 255 bytes");
  for (unsigned char b : shown) {
    if (b == 7 || (b >= 8 && b <= 13) || (b >= 28 && b <= 31)) fail("a control byte got into the entry");
  }
  const int end_row = shown.empty() ? 1 : (pos - 1) / kCols + 1;
  if (screen.row() != end_row + 1 || screen.col() != 1 || screen.pending_wrap())
    fail("Enter did not end the line after the entry");

  std::string value;
  if (!value_text(shown, value)) fail("the shown entry breaks the quote or comma rules");
  switch (kind) {
    case 0:
      if (text_target != value) fail("text target differs from the shown entry");
      break;
    case 1: {
      int16_t v = 0;
      if (!check_int16_entry(value, v)) fail("shown integer entry does not pass");
      if (v != int_target) fail("integer target differs from the shown entry");
      break;
    }
    default: {
      float v = 0.0f;
      if (!check_single_entry(value, v)) fail("shown single entry does not pass");
      if (std::memcmp(&v, &float_target, sizeof v) != 0) fail("single target differs from the shown entry");
      if (!(v <= 3.40282347e38f && v >= -3.40282347e38f)) fail("single target not a finite number");
      break;
    }
  }
  return 0;
}

// FF Tables, short and random or full and mutated, through both passes of
// the reader. Whatever the bytes, the run must end as a line-by-line model
// of the same rules predicts: read, refused by the grid test, refused by
// the format test, or ended by error 62 in the first 14 lines; and a table
// that is read must hold the values and the maximum the model finds.
//
// Input: the first byte picks the form; the short forms are the cheap ones
// and come more often.
//   form 0 (byte % 4 is 0 or 1): the rest is the whole file (the early
//           ends, the grid test);
//   form 1 (2): the first 12 lines of a valid table, then the rest (lines
//           13 and 14 and whatever follows come from the input);
//   form 2 (3): a whole valid table, decimal points or commas by bit 2,
//           edited by the rest read as commands (see edit()); bit 3 drops
//           the last line end.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/errors.h"
#include "app/flow.h"
#include "app/state.h"
#include "pattern/ff_table.h"
#include "platform/to_number.h"
#include "tests/support/headless.h"
#include "tools/lib/writers.h"

namespace {

using namespace vorn;

constexpr size_t kLines = 65893;
const std::string kGridMessage = " The FF Table must be of 1 deg. resolution but is not!";
const std::string kFormatMessage = " The FF Table file is not in accordance with the right format";
const std::string kCommaNote = " Replacing commas by dots, please wait a little more!";

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz_ff_table: %s\n", what);
  std::abort();
}

// A line as a view into a text that outlives it; base is the number of
// the valid table's line it still is, -1 for a line of other bytes.
struct Piece {
  const char* p;
  size_t n;
  int32_t base = -1;
  std::string_view view() const { return {p, n}; }
};

// A valid table, written once by the table tool, its lines and what the
// model makes of each line's Tot_dB field: an edited table is mostly the
// valid one, so the model looks up the lines it did not touch.
struct Base {
  std::string text;
  std::vector<Piece> lines;
  std::vector<double> value;
};

void field_of(std::string_view line, std::string& f);

Base base_table(bool comma) {
  char path[] = "/tmp/fuzz-ff-table-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) fail("mkstemp");
  close(fd);
  tools::FFTableOptions o;
  o.decimal_comma = comma;
  tools::write_ff_table(path, tools::directional_gain, o);
  std::ifstream in(path, std::ios::binary);
  Base b;
  b.text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  unlink(path);
  size_t pos = 0;
  while (pos < b.text.size()) {
    const size_t end = b.text.find("\r\n", pos);
    b.lines.push_back({b.text.data() + pos, end - pos, int32_t(b.lines.size())});
    pos = end + 2;
  }
  if (b.lines.size() != kLines) fail("base table");
  std::string field;
  for (const Piece& l : b.lines) {
    field_of(l.view(), field);
    b.value.push_back((double)to_number(field));
  }
  return b;
}

const Base& base(bool comma) {
  static const Base dots = base_table(false), commas = base_table(true);
  return comma ? commas : dots;
}

// The line reading rules, written out again: Ctrl-Z ends the file; a line
// ends at CR, LF, CR LF or LF CR. At most enough lines, as views of text.
void lines_of(const std::string& text, size_t enough, std::vector<Piece>& lines) {
  lines.clear();
  const char* p = text.data();
  const void* eof = std::memchr(p, '\x1a', text.size());
  const char* end = eof ? static_cast<const char*>(eof) : p + text.size();
  while (p < end && lines.size() < enough) {
    const char* cr = static_cast<const char*>(std::memchr(p, '\r', size_t(end - p)));
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
    const char* stop = !cr ? lf : !lf ? cr : std::min(cr, lf);
    if (!stop) stop = end;
    lines.push_back({p, size_t(stop - p)});
    p = stop;
    if (p < end) {
      const char a = *p++;
      if (p < end && ((a == '\r' && *p == '\n') || (a == '\n' && *p == '\r'))) ++p;
    }
  }
}

// Line number of (phi, theta), from 1 as the reading order gives it.
size_t line_of(int phi, int theta) { return 9 + size_t(180 - theta) * 364 + 3 + size_t(phi) + 1; }

// Characters 26-35, a comma in 33 rebuilt as a dot, into f.
void field_of(std::string_view line, std::string& f) {
  if (line.size() < 26) {
    f.clear();
    return;
  }
  f.assign(line.substr(25, 10));
  if (f.size() >= 8 && f[7] == ',') f = f.substr(0, 7) + "." + f.substr(f.size() - 2);
}

enum class End { Read, Grid, Format, Generic };

struct Expected {
  End end = End::Read;
  int step = 0;  // of the generic message
};

std::string first_three(const Piece& line) { return std::string(line.view().substr(0, 3)); }

Expected predict(const std::vector<Piece>& lines) {
  if (lines.size() < 12) return {End::Generic, 251};
  if (lines.size() < 13) return {End::Generic, 253};
  if (lines.size() < 14) return {End::Generic, 256};
  const float a13 = (float)to_number(first_three(lines[12]));
  const float a14 = (float)to_number(first_three(lines[13]));
  if ((long double)a14 - (long double)a13 != 1.0L) return {End::Grid};
  if (lines.size() < kLines || first_three(lines[kLines - 1]) != "360") return {End::Format};
  return {End::Read};
}

bool shows(const Screen& screen, const std::string& text) {
  for (int r = 1; r <= 25; ++r)
    if (screen.row_trimmed(r) == text) return true;
  return false;
}

void check_values(const State& S, const std::vector<Piece>& lines, const Base* table, const Screen& screen) {
  std::string field;
  float max_gain = -1000;
  int phi_max = 0, theta_max = 0;
  for (int theta = 180; theta >= 0; --theta)
    for (int phi = 0; phi <= 360; ++phi) {
      const int k = point_index(phi, theta);
      const Piece& line = lines[line_of(phi, theta) - 1];
      double want;
      if (table && line.base >= 0) {
        want = table->value[size_t(line.base)];
      } else {
        field_of(line.view(), field);
        want = (double)to_number(field);
      }
      const double got = S.Tot_dB[k];
      if (!(got == want || (std::isnan(got) && std::isnan(want)))) fail("Tot_dB against the model");
      if ((float)want > max_gain) {
        max_gain = (float)want;
        phi_max = phi;
        theta_max = theta;
      }
      const double cell = S.Cell_Gain[k];
      if (std::isnan(cell) || cell < 0) fail("Cell_Gain not a gain");
    }
  if ((float)S.Tot_dB[point_index(0, 90)] == max_gain) theta_max = 90;
  if (S.Max_Gain != max_gain || S.phi_max != phi_max || S.theta_max != theta_max) fail("maximum");
  if (S.Tot_dB[0] != 0 || S.Cell_Gain[0] != 0) fail("element 0 written");
  const std::string_view first = lines[line_of(0, 180) - 1].view();
  if (shows(screen, kCommaNote) != (first.size() >= 33 && first[32] == ',')) fail("comma note");
}

// lines: the lines of text as the reading rules split it, when the caller
// knows them; otherwise they are split here.
void run(const std::string& text, const std::vector<Piece>* known, const Base* table) {
  static const int fd = memfd_create("fuzz-ff-table", 0);
  if (fd < 0) fail("memfd");
  if (ftruncate(fd, 0) != 0) fail("ftruncate");
  if (!text.empty() && pwrite(fd, text.data(), text.size(), 0) != ssize_t(text.size())) fail("pwrite");

  static std::vector<Piece> split;
  lines_of(text, kLines, split);
  if (known) {
    // The pieces must be the lines the rules find, or the model is wrong.
    if (split.size() != std::min(known->size(), kLines)) fail("pieces against the split");
    for (size_t i = 0; i < split.size(); ++i)
      if (split[i].view() != (*known)[i].view()) fail("pieces against the split");
  }
  const std::vector<Piece>& lines = known ? *known : split;
  Expected want;
  try {
    want = predict(lines);
  } catch (const NumberedError&) {
    return;  // to_number refused the azimuth text: nothing to predict
  }

  HeadlessHost host;
  State S(host.console);
  S.ff_name = "/proc/self/fd/" + std::to_string(fd);
  End got = End::Read;
  try {
    check_ff_grid(S);
    read_ff_table(S);
  } catch (const ProgramEnd&) {
    const Screen& screen = host.console.screen;
    if (shows(screen, kGridMessage)) {
      got = End::Grid;
    } else if (shows(screen, kFormatMessage)) {
      got = End::Format;
    } else if (shows(screen, "Error 62 at line " + std::to_string(want.step))) {
      got = End::Generic;
    } else {
      fail("ended without a known message");
    }
  } catch (const WayBack&) {
    fail("way back on a table that opens");
  }
  if (got != want.end) fail("end against the model");
  if (got == End::Read) {
    if (S.files.is_open(1)) fail("file 1 left open");
    check_values(S, lines, known ? table : nullptr, host.console.screen);
  }
}

// Picks a line: the head (grid lines, first block), the tail, or anywhere.
size_t pick_line(uint8_t area, uint8_t hi, uint8_t lo, size_t count) {
  if (count == 0) return 0;
  const size_t v = size_t(hi) << 8 | lo;
  size_t n;
  switch (area % 4) {
    case 0: n = v % 24; break;
    case 1: n = count > 24 ? count - 1 - v % 24 : v % count; break;
    case 2: n = v * count / 65536; break;
    default: n = line_of(int(v % 361), int(hi % 181)) - 1; break;
  }
  return n < count ? n : count - 1;
}

// Bytes that split or end a line: a changed line that holds one reads as
// other lines than the pieces say.
bool splits(std::string_view bytes) { return bytes.find_first_of("\r\n\x1a") != std::string_view::npos; }

// Commands, each an op byte, three line bytes and a count byte:
//   0 replace the line by the next count bytes, 1 insert them as a line,
//   2 delete the line, 3 overwrite the line from character 24 + hi % 14 on
//   (the Tot_dB field), 4 cut the table after the line, 5 append the
//   bytes without a line end after the last line.
// lines gets the lines of text; false when they must be split from it.
bool edit(const Base& table, const uint8_t* p, size_t size, bool last_line_end, std::string& text,
          std::vector<Piece>& lines) {
  static std::deque<std::string> made;  // the text of every changed line
  made.clear();
  lines = table.lines;
  std::string extra;
  bool tail = false, exact = true;
  for (int commands = 0; size >= 5 && commands < 24; ++commands) {
    const uint8_t op = p[0] % 6, area = p[1], hi = p[2], lo = p[3];
    size_t count = p[4];
    p += 5;
    size -= 5;
    if (count > size) count = size;
    const std::string bytes(reinterpret_cast<const char*>(p), count);
    p += count;
    size -= count;
    const size_t n = pick_line(area, hi, lo, lines.size());
    switch (op) {
      case 0:
        if (!lines.empty()) {
          made.push_back(bytes);
          lines[n] = {made.back().data(), made.back().size()};
          exact = exact && !splits(bytes);
        }
        break;
      case 1:
        made.push_back(bytes);
        lines.insert(lines.begin() + long(n), Piece{made.back().data(), made.back().size()});
        exact = exact && !splits(bytes);
        break;
      case 2:
        if (!lines.empty()) lines.erase(lines.begin() + long(n));
        break;
      case 3:
        if (!lines.empty()) {
          std::string l(lines[n].view());
          const size_t at = 23 + hi % 14;
          if (l.size() < at + bytes.size()) l.resize(at + bytes.size(), ' ');
          l.replace(at, bytes.size(), bytes);
          made.push_back(std::move(l));
          lines[n] = {made.back().data(), made.back().size()};
          exact = exact && !splits(bytes);
        }
        break;
      case 4:
        if (lines.size() > n + 1) lines.resize(n + 1);
        break;
      default:
        tail = true;
        extra += bytes;
        exact = exact && !splits(bytes);
        break;
    }
  }
  text.clear();
  for (const Piece& l : lines) {
    text.append(l.p, l.n);
    text.append("\r\n", 2);
  }
  if (!last_line_end && !lines.empty()) text.resize(text.size() - 2);
  if (tail) text += extra;
  if (!exact) return false;
  // The same lines as the reading rules find in text: the bytes after the
  // last line end are a line of their own, and a last line without a line
  // end and without bytes is none.
  if (last_line_end || lines.empty()) {
    if (!extra.empty()) {
      made.push_back(extra);
      lines.push_back({made.back().data(), made.back().size()});
    }
  } else if (!extra.empty()) {
    made.push_back(std::string(lines.back().view()) + extra);
    lines.back() = {made.back().data(), made.back().size()};
  }
  if (!lines.empty() && !last_line_end && lines.back().n == 0) lines.pop_back();
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    set_extended_precision();
    base(false);
    base(true);
    return true;
  }();
  (void)ready;
  if (size < 1) return 0;
  const uint8_t form = data[0] % 4 < 2 ? 0 : data[0] % 4 - 1;
  const bool comma = data[0] & 4;
  static std::string text;
  if (form == 0) {
    text.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  } else if (form == 1) {
    const Base& b = base(comma);
    text.assign(b.text.data(), size_t(b.lines[12].p - b.text.data()));
    text.append(reinterpret_cast<const char*>(data + 1), size - 1);
  } else {
    const Base& b = base(comma);
    static std::vector<Piece> pieces;
    if (edit(b, data + 1, size - 1, !(data[0] & 8), text, pieces)) {
      run(text, &pieces, &b);
      return 0;
    }
  }
  run(text, nullptr, nullptr);
  return 0;
}

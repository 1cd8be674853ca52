// Matrix files built from a compact description, through the real reader,
// against a small model of the record rules written out here again: the
// records as the field read splits them, characters 14-22 after the leading
// blanks and tabs, the number those characters hold, rounded to nearest
// with ties to even, its low 32 bits as a signed source point. Cell_Gain(j)
// is j, so every Rot_Gain(i) names the source point the reader found.
//
// Input:
//   byte 0   bits 0-1 the line end (CR LF, LF, CR, LF CR); bit 2 no line end
//            after the last record; bit 3 dense (every record from the
//            templates) rather than sparse (every 16th, the rest "0"); bit 4
//            too few records (byte 1 + 1 fewer); bits 5-6 every 8th, 64th
//            or 512th line end is a comma instead (0: none).
//   byte 1   see bit 4.
//   then     templates, each a head byte and a length byte and that many
//            body bytes. Head bits 0-2: leading blanks and tabs (see lead());
//            bit 3 no 13-character filler before the body (so the body is
//            not the index field). Body bytes pick characters from kAlphabet;
//            "#" stands for a digit of the record number, units last.
//   Record i takes template (i - 1) % count; no template: the record number
//   after the filler, as a well-formed Matrix file has it.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "app/errors.h"
#include "app/flow.h"
#include "app/state.h"
#include "pattern/matrix.h"
#include "tests/support/headless.h"

#if defined(__has_attribute) && __has_attribute(no_sanitize_coverage)
#define NO_COVERAGE __attribute__((no_sanitize_coverage))
#elif defined(__clang__)
#define NO_COVERAGE __attribute__((no_sanitize("coverage")))
#else
#define NO_COVERAGE
#endif

namespace {

using namespace vorn;

constexpr int kRecords = 65341;

struct Place;
const Place& place();
void go_home();

[[noreturn]] void fail(const char* what, long i = -1) {
  go_home();
  std::fprintf(stderr, "fuzz_matrix: %s (record %ld)\n", what, i);
  std::abort();
}

// Digits and "#" come most often: the index fields are mostly numbers.
constexpr char kAlphabet[] =
    "0123456789012345678901234567890123456789##########"
    "  \t\t+-..EeDd&&HhOoBb,\"xAF\r\n\x1a";
constexpr size_t kAlphabetSize = sizeof kAlphabet - 1;

const char* const kFiller = "abcdefghijklm";  // characters 1-13

std::string lead(uint8_t head) {
  switch (head & 7) {
    case 0: return "";
    case 1: return " ";
    case 2: return "\t";
    case 3: return "    ";
    case 4: return " \t ";
    case 5: return "\t\t";
    case 6: return "        ";
    default: return "\t \t  ";
  }
}

struct Template {
  std::string lead, body;
  bool filler = true;
};

struct Shape {
  const char* line_end = "\r\n";
  bool last_line_end = true, dense = true;
  int records = kRecords;
  int comma_every = 0;
  std::vector<Template> templates;
};

Shape parse(const uint8_t* data, size_t size) {
  Shape s;
  const uint8_t flags = size > 0 ? data[0] : 0;
  static const char* const ends[] = {"\r\n", "\n", "\r", "\n\r"};
  s.line_end = ends[flags & 3];
  s.last_line_end = !(flags & 4);
  s.dense = flags & 8;
  if ((flags & 16) && size > 1) s.records = kRecords - 1 - data[1];
  static const int commas[] = {0, 8, 64, 512};
  s.comma_every = commas[(flags >> 5) & 3];
  for (size_t at = 2; at + 1 < size && s.templates.size() < 16;) {
    Template t;
    const uint8_t head = data[at], length = data[at + 1] % 24;
    at += 2;
    t.lead = lead(head);
    t.filler = !(head & 8);
    for (size_t k = 0; k < length && at < size; ++k, ++at) t.body.push_back(kAlphabet[data[at] % kAlphabetSize]);
    s.templates.push_back(std::move(t));
  }
  return s;
}

// The "#" of a body, right to left, take the digits of n, units first;
// the "#" left of them give 0.
NO_COVERAGE void put_record(const Template& t, int n, std::string& out) {
  out += t.lead;
  if (t.filler) out += kFiller;
  const size_t from = out.size();
  out += t.body;
  for (size_t k = out.size(); k-- > from;)
    if (out[k] == '#') {
      out[k] = char('0' + n % 10);
      n /= 10;
    }
}

NO_COVERAGE void build(const Shape& s, std::string& text) {
  text.clear();
  const Template counter{"", "#####", true};
  for (int i = 1; i <= s.records; ++i) {
    if (!s.dense && i % 16 != 1)
      text += '0';
    else if (s.templates.empty())
      put_record(counter, i, text);
    else
      put_record(s.templates[size_t(i - 1) % s.templates.size()], i, text);
    if (i < s.records || s.last_line_end) text += s.comma_every && i % s.comma_every == 0 ? "," : s.line_end;
  }
}

// --- The model ------------------------------------------------------------

// The records as the field read gives them; false when the file ends first.
// The model's own branches say nothing about the reader: no coverage.
struct Records {
  const char *p, *end;
  explicit Records(const std::string& text)
      : p(text.data()), end(text.data() + std::min(text.find('\x1a'), text.size())) {}
  NO_COVERAGE bool next(std::string_view& r) {
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    if (p == end) return false;
    auto separator = [&](const char* q) { return q == end || *q == ',' || *q == '\r' || *q == '\n'; };
    if (*p == '"') {
      const char* from = ++p;
      while (p < end && *p != '"') ++p;
      r = std::string_view(from, size_t(p - from));
      if (p < end) ++p;
      while (!separator(p)) ++p;
    } else {
      const char* from = p;
      while (!separator(p)) ++p;
      const char* to = p;
      while (to > from && (to[-1] == ' ' || to[-1] == '\t')) --to;
      r = std::string_view(from, size_t(to - from));
    }
    if (p < end) {
      const char a = *p++;
      if (a != ',' && p < end && ((a == '\r' && *p == '\n') || (a == '\n' && *p == '\r'))) ++p;
    }
    return true;
  }
};

bool digit(char c) { return c >= '0' && c <= '9'; }

// Exact value of a text as digits * 10^scale, or a radix number; the
// rounding to a source point follows from it without floating point.
struct Number {
  bool radix = false;
  int64_t radix_value = 0;
  bool negative = false;
  __int128 digits = 0;  // significant digits, at most 9 of them here
  int64_t scale = 0;
};

NO_COVERAGE Number number_of(std::string_view s) {
  Number n;
  size_t k = 0;
  auto skip = [&] {
    while (k < s.size() && (s[k] == ' ' || s[k] == '\t')) ++k;
  };
  skip();
  if (k < s.size() && s[k] == '&') {
    n.radix = true;
    if (s.size() - (k + 1) < 2) return n;
    const char r = s[k + 1];
    const int base = (r == 'H' || r == 'h') ? 16 : (r == 'O' || r == 'o') ? 8 : (r == 'B' || r == 'b') ? 2 : 0;
    if (!base) return n;
    for (k += 2; k < s.size(); ++k) {
      const char c = s[k];
      int d = digit(c) ? c - '0' : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : 99;
      if (d >= base) break;
      n.radix_value = n.radix_value * base + d;  // 7 digits at most: no overflow
    }
    return n;
  }
  enum { Start, Integer, Fraction, Letter, Exponent } state = Start;
  int64_t fraction = 0, exponent = 0;
  bool exponent_negative = false;
  for (; k < s.size(); ++k) {
    const char c = s[k];
    if (c == ' ' || c == '\t') continue;
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
    if (state == Start && (c == '+' || c == '-')) {
      n.negative = c == '-';
      state = Integer;
    } else if (state <= Fraction && digit(c)) {
      if (state == Start) state = Integer;
      if (state == Fraction) ++fraction;
      n.digits = n.digits * 10 + (c - '0');
    } else if ((state == Start || state == Integer) && c == '.') {
      state = Fraction;
    } else if (state <= Fraction && letter) {
      state = Letter;
    } else if (state == Letter && (c == '+' || c == '-')) {
      exponent_negative = c == '-';
      state = Exponent;
    } else if ((state == Letter || state == Exponent) && digit(c)) {
      state = Exponent;
      exponent = exponent * 10 + (c - '0');
    } else {
      break;
    }
  }
  n.scale = (exponent_negative ? -exponent : exponent) - fraction;
  return n;
}

// Rounded to nearest, ties to even; outside -2^63 .. 2^64 nothing; then the
// low 32 bits as a signed number.
NO_COVERAGE int32_t source_of(const Number& n) {
  if (n.radix) return (int32_t)(uint32_t)(uint64_t)n.radix_value;
  if (n.digits == 0) return 0;
  __int128 r;
  if (n.scale >= 0) {
    if (n.scale > 20) return 0;  // at least 10^21: past 2^64
    r = n.digits;
    for (int64_t k = 0; k < n.scale; ++k) r *= 10;
  } else {
    if (n.scale < -30) return 0;  // below 10^-21: rounds to 0
    __int128 p = 1;
    for (int64_t k = 0; k < -n.scale; ++k) p *= 10;
    r = n.digits / p;
    const __int128 rest = n.digits % p;
    if (2 * rest > p || (2 * rest == p && (r & 1))) ++r;
  }
  if (n.negative) r = -r;
  const __int128 low = -((__int128)1 << 63), high = (__int128)1 << 64;
  if (r < low || r >= high) return 0;
  return (int32_t)(uint32_t)(uint64_t)r;
}

enum class End { Read, Incomplete, Subscript };

bool shows(const Screen& screen, const std::string& text) {
  for (int r = 1; r <= 25; ++r)
    if (screen.row_trimmed(r) == text) return true;
  return false;
}

const std::string kIncomplete = " The Matrix file for alpha = 0 degrees is incomplete!";
const std::string kSubscript = "Error 9 at line 742";
constexpr double kUntouched = -7;

// The reader opens the file by its name in the working directory: a folder
// of its own holds that name, a link to the file in memory. The fuzzer's
// own folder is the working directory again whenever the reader is done.
struct Place {
  int file = -1, home = -1, folder = -1;
};

const Place& place() {
  static const Place p = [] {
    Place q;
    q.file = memfd_create("fuzz-matrix", 0);
    q.home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    char dir[] = "/tmp/fuzz-matrix-XXXXXX";
    if (q.file < 0 || q.home < 0 || !mkdtemp(dir)) fail("setup");
    q.folder = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::string target = "/proc/self/fd/" + std::to_string(q.file);
    if (q.folder < 0 || symlinkat(target.c_str(), q.folder, matrix_file_name(alpha_digits(0)).c_str()) != 0) fail("setup");
    return q;
  }();
  return p;
}

void go_home() {
  static bool busy = false;  // a failing setup calls fail, which calls this
  if (busy) return;
  busy = true;
  if (fchdir(place().home) != 0) std::abort();
  busy = false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::string text;
  static std::vector<int32_t> want;
  static const bool ready = [] {
    set_extended_precision();
    place();
    // Room for the largest file and every record: a buffer that grows in a
    // run looks like a leak to the fuzzer, which then runs the input again.
    text.reserve(size_t(kRecords) * 48);
    want.reserve(size_t(kRecords));
    return true;
  }();
  (void)ready;
  build(parse(data, size), text);
  const int fd = place().file;
  if (ftruncate(fd, 0) != 0) fail("ftruncate");
  if (!text.empty() && pwrite(fd, text.data(), text.size(), 0) != ssize_t(text.size())) fail("pwrite");

  // The model: the source point of every record up to the first failure.
  want.clear();
  End end = End::Read;
  {
    Records records(text);
    std::string_view record;
    for (int i = 1; i <= kRecords; ++i) {
      if (!records.next(record)) {
        end = End::Incomplete;
        break;
      }
      const std::string_view field = record.size() >= 14 ? record.substr(13, 9) : std::string_view();
      const int32_t j = source_of(number_of(field));
      if (j < 0 || j > kRecords) {
        end = End::Subscript;
        break;
      }
      want.push_back(j);
    }
  }

  HeadlessHost host;
  State S(host.console);
  for (int j = 0; j <= kRecords; ++j) {
    S.Cell_Gain[size_t(j)] = j;
    S.Rot_Gain[size_t(j)] = kUntouched;
  }
  S.alpha = 0;
  form_alpha_text(S);
  End got = End::Read;
  if (fchdir(place().folder) != 0) fail("fchdir");
  try {
    load_matrix(S);
    go_home();
  } catch (const ProgramEnd&) {
    go_home();
    const Screen& screen = host.console.screen;
    if (shows(screen, kIncomplete))
      got = End::Incomplete;
    else if (shows(screen, kSubscript))
      got = End::Subscript;
    else
      fail("ended without a known message");
    if (S.last_checkpoint != 210) fail("checkpoint");
  } catch (...) {
    fail("neither read nor ended");
  }
  if (got != end) fail("end against the model", long(want.size()) + 1);
  if (got == End::Read && S.files.is_open(1)) fail("file left open");
  if (S.Rot_Gain[0] != kUntouched) fail("element 0 written");
  for (size_t i = 1; i <= size_t(kRecords); ++i) {
    const double expect = i <= want.size() ? double(want[i - 1]) : kUntouched;
    if (S.Rot_Gain[i] != expect) fail("Rot_Gain against the model", long(i));
  }
  return 0;
}

// Random templates, kinds and bit patterns through format_fixed and
// plain_number, checked against what every rendering must satisfy.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/errors.h"
#include "report/numfmt.h"

namespace {

const char* const kTemplates[] = {"+#.##", "#.###",  "+#.###",  "#.#####", "##",     "+##.##",
                                  "+##.###", "##.#####", "###", "###.##", "###.###", "####.##"};

struct Reader {
  const uint8_t* p;
  size_t n;
  uint8_t byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  uint64_t bits(int count) {
    uint64_t v = 0;
    for (int i = 0; i < count; ++i) v |= uint64_t(byte()) << (8 * i);
    return v;
  }
};

struct Shape {
  bool valid = false, sign = false;
  int I = 0, F = 0;
};

Shape shape_of(const std::string& t) {
  Shape s;
  size_t i = 0;
  if (i < t.size() && t[i] == '+') s.sign = true, ++i;
  while (i < t.size() && t[i] == '#') ++s.I, ++i;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] == '#') ++s.F, ++i;
    if (s.F == 0) return s;
  }
  s.valid = s.I > 0 && i == t.size();
  return s;
}

void check(bool ok) {
  if (!ok) std::abort();
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

void check_fixed(const std::string& tmpl, double x) {
  const Shape s = shape_of(tmpl);
  std::string r;
  try {
    r = vorn::format_fixed(tmpl, x);
  } catch (const vorn::NumberedError& e) {
    check(e.number == 5 && (!s.valid || !std::isfinite(x)));
    return;
  }
  check(s.valid && std::isfinite(x));
  const bool neg = x < 0;

  size_t i = 0;
  const bool overflow = !r.empty() && r[0] == '%';
  if (overflow) ++i;
  if (s.sign) {
    check(i < r.size() && r[i] == (neg ? '-' : '+'));
    ++i;
  }
  size_t blanks = 0;
  while (i < r.size() && r[i] == ' ') ++blanks, ++i;
  check(!overflow || blanks == 0);
  if (!s.sign && neg) {
    check(i < r.size() && r[i] == '-');
    ++i;
  }
  size_t ints = 0;
  std::string number;
  while (i < r.size() && is_digit(r[i])) number += r[i++], ++ints;
  if (s.F > 0) {
    check(i < r.size() && r[i] == '.');
    number += r[i++];
    size_t frac = 0;
    while (i < r.size() && is_digit(r[i])) number += r[i++], ++frac;
    check(frac == size_t(s.F));
  }
  check(i == r.size());

  const size_t room = size_t(s.I) - (!s.sign && neg ? 1 : 0);
  if (overflow) {
    check(ints > room && r.size() > tmpl.size());
  } else {
    check(r.size() == tmpl.size() && ints <= room && blanks + ints == room);
    check(ints > 0 || room == 0);  // a "0" before the point wherever it fits
  }
  // More than one integer digit never starts with 0.
  check(ints <= 1 || number[0] != '0');

  // The text is the magnitude rounded at the last place.
  const long double shown = std::strtold(number.c_str(), nullptr);
  const long double mag = std::fabs(static_cast<long double>(x));
  const long double half = 0.5L * std::pow(10.0L, -s.F);
  check(std::fabs(shown - mag) <= half * (1 + 1e-12L) + mag * 1e-17L);
}

void check_plain(double v, vorn::PlainKind kind) {
  std::string r;
  try {
    r = vorn::plain_number(v, kind);
  } catch (const vorn::NumberedError& e) {
    check(e.number == 5 && !std::isfinite(v));
    return;
  }
  check(std::isfinite(v));
  check(r.size() >= 2 && r[0] == (v < 0 ? '-' : ' '));
  if (kind != vorn::PlainKind::Single) {
    const long long n = std::llround(v);
    check(r == (n < 0 ? "-" : " ") + std::to_string(std::llabs(n)));
    return;
  }
  const std::string body = r.substr(1);
  check(body.find(' ') == std::string::npos && body.rfind("0.", 0) != 0);
  size_t digits = 0;
  const size_t e = body.find('E');
  for (size_t i = 0; i < std::min(e, body.size()); ++i) {
    check(is_digit(body[i]) || body[i] == '.');
    if (is_digit(body[i])) ++digits;
  }
  if (v == 0) {
    check(r == " 0");
    return;
  }
  // Leading zeros of the fixed form are no significant digits.
  size_t lead = body.find_first_not_of("0.");
  check(lead != std::string::npos);
  size_t significant = 0;
  for (size_t i = lead; i < std::min(e, body.size()); ++i) significant += is_digit(body[i]);
  check(significant <= 7);
  if (e == std::string::npos)
    check(body.find('.') == std::string::npos || body.back() != '0');
  else
    check(e + 4 == body.size() && body[e - 1] != '0' && body[e - 1] != '.');
  const double back = std::strtod(body.c_str(), nullptr);
  check(std::fabs(back - std::fabs(v)) <= std::fabs(v) * 5.0000001e-7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  const uint8_t mode = in.byte();
  const uint8_t kind_byte = in.byte();

  std::string tmpl;
  if (mode < 200) {
    tmpl = kTemplates[mode % 12];
  } else if (mode < 240) {
    // A template of the grammar of any size.
    const uint8_t a = in.byte(), b = in.byte();
    tmpl = (a & 0x80 ? "+" : "") + std::string(1 + (a & 0x3f), '#');
    if (b % 40) tmpl += "." + std::string(b % 40, '#');
  } else {
    // Any short text, mostly outside the grammar.
    const size_t len = in.byte() % 12;
    for (size_t i = 0; i < len; ++i) {
      static const char alphabet[] = "+#.#-, 0#";
      tmpl += alphabet[in.byte() % (sizeof alphabet - 1)];
    }
  }

  const uint64_t raw = in.bits(8);
  const uint32_t low = uint32_t(raw);
  float single;
  std::memcpy(&single, &low, sizeof single);
  double x;
  switch (kind_byte % 3) {
    case 0:
      x = double(int32_t(low));
      break;
    case 1:
      x = double(single);
      break;
    default:
      std::memcpy(&x, &raw, sizeof x);
      break;
  }
  check_fixed(tmpl, x);

  switch (kind_byte / 3 % 4) {
    case 0: check_plain(double(int16_t(uint16_t(low))), vorn::PlainKind::Int16); break;
    case 1: check_plain(double(int32_t(low)), vorn::PlainKind::Int32); break;
    case 2: check_plain(double(low), vorn::PlainKind::UInt32); break;
    default: check_plain(double(single), vorn::PlainKind::Single); break;
  }
  return 0;
}

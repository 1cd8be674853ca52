// The numeric templates and the plain number form.
//
// Both work on the exact decimal expansion of the binary value. The digits
// come from std::to_chars with a precision: it rounds only beyond the digits
// asked for, and no double has more than 767 significant decimal digits, so
// asking for that many leaves nothing to round. It is integer arithmetic
// throughout, so neither the x87 control word nor the locale can touch it.
#include "report/numfmt.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/errors.h"

namespace vorn {
namespace {

// A magnitude as its significant digits d and its integer digit count n:
// the first digit of d stands in the place 10^(n-1). Zero is d "0", n 1.
struct Digits {
  std::string d;
  int n = 1;

  // The digit in the place 10^k; 0 outside the expansion.
  int at(int k) const {
    long i = long(n) - 1 - k;
    return i >= 0 && i < long(d.size()) ? d[size_t(i)] - '0' : 0;
  }
};

constexpr int kMaxSignificant = 767;

Digits exact_digits(double magnitude) {
  Digits r;
  if (magnitude == 0) {
    r.d = "0";
    r.n = 1;
    return r;
  }
  // "d.ddd...e+xx" with every significant digit there is.
  char buf[kMaxSignificant + 32];
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                           kMaxSignificant - 1);
  if (res.ec != std::errc()) raise_error(err::illegal_function_call);
  std::string_view text(buf, size_t(res.ptr - buf));
  size_t e = text.find('e');
  std::string_view mant = text.substr(0, e);
  r.d.reserve(mant.size());
  for (char c : mant)
    if (c != '.') r.d += c;
  size_t last = r.d.find_last_not_of('0');
  r.d.resize(last + 1);
  int exp10 = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), exp10);
  r.n = exp10 + 1;
  return r;
}

struct Template {
  bool sign = false;
  int I = 0;
  int F = 0;
};

// "+" (optional), one or more "#", then optionally "." and one or more "#".
Template parse_template(const std::string& t) {
  Template r;
  size_t i = 0;
  if (i < t.size() && t[i] == '+') {
    r.sign = true;
    ++i;
  }
  while (i < t.size() && t[i] == '#') ++r.I, ++i;
  if (r.I == 0) raise_error(err::illegal_function_call);
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] == '#') ++r.F, ++i;
    if (r.F == 0) raise_error(err::illegal_function_call);
  }
  if (i != t.size()) raise_error(err::illegal_function_call);
  return r;
}

std::string lay_out(const Template& t, bool negative, const Digits& m) {
  // Without a sign place the minus sign takes an integer place.
  int places = t.I - (negative && !t.sign ? 1 : 0);
  bool overflow = m.n > places;
  if (overflow) places = m.n;
  int shown = m.n > 0 ? m.n : 0;
  int pad = places - shown;
  bool zero_before_point = m.n <= 0 && pad >= 1;

  std::string out;
  out.reserve(size_t(places + t.F + 4));
  if (overflow) out += '%';
  if (t.sign) out += negative ? '-' : '+';
  out.append(size_t(zero_before_point ? pad - 1 : pad), ' ');
  if (negative && !t.sign) out += '-';
  if (zero_before_point) out += '0';
  for (int k = m.n - 1; k >= 0; --k) out += char('0' + m.at(k));
  if (t.F > 0) {
    out += '.';
    for (int k = -1; k >= -t.F; --k) out += char('0' + m.at(k));
  }
  return out;
}

// Adds one to a string of decimal digits; it may grow by a leading "1".
void increment(std::string& digits) {
  for (size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != '9') {
      ++digits[i];
      return;
    }
    digits[i] = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

std::string format_fixed(const std::string& tmpl, double value) {
  Template t = parse_template(tmpl);
  if (!std::isfinite(value)) raise_error(err::illegal_function_call);
  bool negative = value < 0;
  Digits m = exact_digits(std::fabs(value));
  if (m.at(-t.F - 1) < 5) return lay_out(t, negative, m);

  // Round the magnitude up in the last place written and lay it out afresh;
  // the sign stays that of the unrounded value.
  std::string units;
  for (int k = m.n > 0 ? m.n - 1 : 0; k >= -t.F; --k) units += char('0' + m.at(k));
  increment(units);
  size_t first = units.find_first_not_of('0');
  Digits r;
  r.d = units.substr(first);
  r.n = int(r.d.size()) - t.F;
  return lay_out(t, negative, r);
}

std::string plain_number(double value, PlainKind kind) {
  if (!std::isfinite(value)) raise_error(err::illegal_function_call);
  std::string out = value < 0 ? "-" : " ";

  if (kind != PlainKind::Single) {
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed, 0);
    out.append(buf, res.ptr);
    return out;
  }

  if (value == 0) return " 0";
  Digits m = exact_digits(std::fabs(value));
  // Seven significant digits, the eighth rounding half up.
  std::string s = m.d.substr(0, 7);
  s.resize(7, '0');
  int e = m.n - 1;
  if (m.d.size() > 7 && m.d[7] >= '5') {
    increment(s);
    if (s.size() > 7) {
      s.resize(7);
      ++e;
    }
  }
  s.resize(s.find_last_not_of('0') + 1);
  int k = int(s.size());

  if (e >= 7 || e - k < -8) {
    out += s[0];
    if (k > 1) {
      out += '.';
      out.append(s, 1);
    }
    out += 'E';
    out += e >= 0 ? '+' : '-';
    int ae = std::abs(e);
    if (ae < 10) out += '0';
    out += std::to_string(ae);
    return out;
  }
  if (e >= 0) {
    // Integer digits, with zeros where the seven digits end early.
    for (int i = 0; i <= e; ++i) out += i < k ? s[size_t(i)] : '0';
    if (k > e + 1) {
      out += '.';
      out.append(s, size_t(e) + 1);
    }
  } else {
    out += '.';
    out.append(size_t(-e - 1), '0');
    out += s;
  }
  return out;
}

}  // namespace vorn

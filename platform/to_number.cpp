// Text to number: the digits as written, converted once to the nearest
// extended-precision value.
#include "platform/to_number.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/errors.h"

namespace vorn {

namespace {

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_exponent_letter(unsigned char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

int radix_digit(unsigned char c, int radix) {
  int v;
  if (c >= '0' && c <= '9')
    v = c - '0';
  else if (c >= 'A' && c <= 'F')
    v = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f')
    v = c - 'a' + 10;
  else
    return -1;
  return v < radix ? v : -1;
}

// text[at] follows the "&".
long double radix_number(const std::string& text, std::size_t at) {
  if (text.size() - at < 2) return 0;
  int radix, bits;
  switch (text[at]) {
    case 'H': case 'h': radix = 16; bits = 4; break;
    case 'O': case 'o': radix = 8; bits = 3; break;
    case 'B': case 'b': radix = 2; bits = 1; break;
    default: return 0;
  }
  uint64_t value = 0;
  int used_bits = 0;  // bits of the digits after the leading zeros
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    int d = radix_digit(static_cast<unsigned char>(text[i]), radix);
    if (d < 0) break;
    if (value == 0) {
      if (d == 0) continue;
      used_bits = 0;
      for (int v = d; v; v >>= 1) ++used_bits;  // the first digit counts its own bits
    } else {
      used_bits += bits;
    }
    if (used_bits > 64) raise_error(err::overflow);
    value = (value << bits) | uint64_t(d);
  }
  return static_cast<long double>(static_cast<int64_t>(value));
}

// 10^k for k = 0..27: all exact in a 64-bit mantissa (5^27 < 2^64).
constexpr int kExactPowers = 27;
long double power_of_ten(int k) {
  static const std::array<long double, kExactPowers + 1> table = [] {
    std::array<long double, kExactPowers + 1> t{};
    long double v = 1;
    for (auto& p : t) {
      p = v;
      v *= 10;
    }
    return t;
  }();
  return table[std::size_t(k)];
}

}  // namespace

long double to_number(const std::string& text) {
  enum class State { Start, Integer, Fraction, ExponentLetter, ExponentDigits };
  State state = State::Start;
  bool negative = false, exponent_negative = false;
  std::string digits;  // significant digits, leading zeros dropped
  int64_t fraction_digits = 0;
  int64_t exponent = 0;
  int exponent_digits = 0;
  bool exponent_seen = false;

  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t') continue;
    bool go_on = true;
    switch (state) {
      case State::Start:
        if (c == '&') return radix_number(text, i + 1);
        if (c == '+' || c == '-') {
          negative = c == '-';
          state = State::Integer;
          continue;
        }
        state = State::Integer;
        [[fallthrough]];
      case State::Integer:
      case State::Fraction:
        if (is_digit(c)) {
          if (state == State::Fraction) ++fraction_digits;
          if (c != '0' || !digits.empty()) digits.push_back(char(c));
        } else if (c == '.' && state == State::Integer) {
          state = State::Fraction;
        } else if (is_exponent_letter(c)) {
          state = State::ExponentLetter;
          exponent_seen = true;
        } else {
          go_on = false;
        }
        break;
      case State::ExponentLetter:
        if (c == '+' || c == '-') {
          exponent_negative = c == '-';
          state = State::ExponentDigits;
          break;
        }
        state = State::ExponentDigits;
        [[fallthrough]];
      case State::ExponentDigits:
        if (!is_digit(c)) {
          go_on = false;
        } else if (exponent != 0 || c != '0') {
          if (++exponent_digits > 18) {
            go_on = false;
          } else {
            exponent = exponent * 10 + (c - '0');
          }
        }
        break;
    }
    if (!go_on) break;
  }

  if (digits.empty()) return 0;

  // Whole numbers of up to 18 digits are exact as integers.
  if (digits.size() <= 18 && fraction_digits == 0 && !exponent_seen) {
    uint64_t v = 0;
    for (char d : digits) v = v * 10 + uint64_t(d - '0');
    long double r = static_cast<long double>(v);
    return negative ? -r : r;
  }

  // value = digits * 10^scale
  int64_t scale = (exponent_negative ? -exponent : exponent) - fraction_digits;
  std::size_t keep = digits.find_last_not_of('0') + 1;
  scale += int64_t(digits.size() - keep);
  digits.resize(keep);

  // Both operands exact, so the one rounding of the product or quotient
  // gives the nearest value.
  // 19 digits still fit in 64 bits.
  if (digits.size() <= 19 && scale >= -kExactPowers && scale <= kExactPowers) {
    uint64_t v = 0;
    for (char d : digits) v = v * 10 + uint64_t(d - '0');
    long double m = static_cast<long double>(v);
    long double r = scale >= 0 ? m * power_of_ten(int(scale)) : m / power_of_ten(int(-scale));
    return negative ? -r : r;
  }

  // Everything else: the C library rounds correctly from the digit string.
  std::string clean;
  clean.reserve(digits.size() + 24);
  if (negative) clean.push_back('-');
  clean.append(digits);
  char exp_text[24];
  std::snprintf(exp_text, sizeof exp_text, "e%lld", static_cast<long long>(scale));
  clean.append(exp_text);
  return std::strtold(clean.c_str(), nullptr);
}

}  // namespace vorn

#include "platform/entry_check.h"

#include <cfloat>
#include <charconv>
#include <cstdint>

namespace vorn {

namespace {

bool is_dec(char c) { return c >= '0' && c <= '9'; }
bool is_oct(char c) { return c >= '0' && c <= '7'; }
bool is_hex(char c) {
  return is_dec(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
unsigned hex_digit(char c) {
  if (is_dec(c)) return unsigned(c - '0');
  if (c >= 'a') return unsigned(c - 'a' + 10);
  return unsigned(c - 'A' + 10);
}

// "&", "&H..." or "&O..." with at most max_digits digits. Leading zeros may
// be refused. value gets the whole number; digits gets how many there were.
bool parse_radix(const std::string& t, size_t max_digits, bool refuse_leading_zero,
                 uint64_t& value, size_t& digits) {
  value = 0;
  digits = 0;
  if (t.size() == 1) return true;  // "&" alone
  const char kind = t[1];
  unsigned base;
  if (kind == 'H' || kind == 'h') {
    base = 16;
  } else if (kind == 'O' || kind == 'o') {
    base = 8;
  } else {
    return false;
  }
  digits = t.size() - 2;
  if (digits > max_digits) return false;
  if (digits > 0 && refuse_leading_zero && t[2] == '0') return false;
  for (size_t i = 2; i < t.size(); ++i) {
    const char c = t[i];
    if (base == 16 ? !is_hex(c) : !is_oct(c)) return false;
    value = value * base + hex_digit(c);
  }
  return true;
}

// Compares the first up to 7 significant digits typed with a limit's
// digits: <0 when the first differing digit is smaller, >0 when greater,
// 0 when all typed ones agree.
int compare_leading(const std::string& sig, const char* limit) {
  for (size_t i = 0; i < sig.size() && i < 7; ++i) {
    if (sig[i] != limit[i]) return sig[i] < limit[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace

bool check_int16_entry(const std::string& text, int16_t& value) {
  if (!text.empty() && text[0] == '&') {
    uint64_t v;
    size_t digits;
    // Without a leading zero no passing text has more than 6 digits;
    // the cap only keeps the sum inside 64 bits.
    if (!parse_radix(text, 16, true, v, digits) || v > 65535) return false;
    value = int16_t(uint16_t(v));
    return true;
  }
  size_t i = 0;
  const bool neg = !text.empty() && text[0] == '-';
  if (neg) i = 1;
  if (i < text.size() && text[i] == '0' && text.size() > i + 1) return false;
  long v = 0;
  for (; i < text.size(); ++i) {
    if (!is_dec(text[i])) return false;
    v = v * 10 + (text[i] - '0');
    if (v > 32768) return false;
  }
  if (neg) v = -v;
  if (v > 32767) return false;
  value = int16_t(v);
  return true;
}

bool check_single_entry(const std::string& text, float& value) {
  if (!text.empty() && text[0] == '&') {
    uint64_t v;
    size_t digits;
    if (text.size() >= 2 && (text[1] == 'O' || text[1] == 'o')) {
      // 22 octal digits fit 64 bits only when the first is 0 or 1.
      if (!parse_radix(text, 22, false, v, digits)) return false;
      if (digits == 22 && text[2] > '1') return false;
    } else if (!parse_radix(text, 16, false, v, digits)) {
      return false;
    }
    value = float(v);
    return true;
  }

  const size_t end = text.size();
  size_t i = 0;
  const bool neg = i < end && text[i] == '-';
  if (neg) ++i;

  const size_t int_from = i;
  while (i < end && is_dec(text[i])) ++i;
  const std::string int_digits = text.substr(int_from, i - int_from);
  if (!int_digits.empty() && int_digits[0] == '0') {
    // A lone 0, and only as the whole number or right before the point.
    if (int_digits.size() > 1) return false;
    if (i < end && text[i] != '.') return false;
  }

  bool point = false;
  std::string frac;
  if (i < end && text[i] == '.') {
    point = true;
    const size_t frac_from = ++i;
    while (i < end && is_dec(text[i])) ++i;
    frac = text.substr(frac_from, i - frac_from);
  }

  std::string exp_digits;
  bool exp_neg = false;
  if (i < end && (text[i] == 'E' || text[i] == 'e')) {
    if (int_digits.empty() && !point) return false;
    if (point && frac.empty()) return false;
    if (point && (int_digits + frac).find_first_not_of('0') == std::string::npos) return false;
    ++i;
    if (i < end && (text[i] == '-' || text[i] == '+')) {
      exp_neg = text[i] == '-';
      ++i;
    }
    const size_t exp_from = i;
    while (i < end && is_dec(text[i])) ++i;
    exp_digits = text.substr(exp_from, i - exp_from);
    if (exp_digits.size() > 1 && exp_digits[0] == '0') return false;
  }
  if (i != end) return false;

  // A lone 0 after the point is no fraction at all.
  const std::string counted_frac = frac == "0" ? std::string() : frac;
  const long N = int_digits == "0" ? 0 : long(int_digits.size());
  const long F = long(counted_frac.size());
  long Z = 0;
  while (Z < F && counted_frac[size_t(Z)] == '0') ++Z;
  if (Z >= 44) return false;

  const bool nonzero = N > 0 || F > Z;
  long P = 0;
  if (nonzero) {
    // The exponent only has to be told apart from the limits, so it is
    // capped well beyond them.
    long e = 0;
    for (char c : exp_digits) {
      e = e * 10 + (c - '0');
      if (e > 100000) e = 100000;
    }
    if (exp_neg) e = -e;
    P = (N > 0 ? N : -Z) + e;
    const std::string sig =
        N > 0 ? int_digits + counted_frac : counted_frac.substr(size_t(Z));
    if (P >= 40) return false;
    if (P == 39 && compare_leading(sig, "3402823") > 0) return false;
    if (F > 0) {
      if (N > 0 && N + F > 8) return false;
      if (N == 0 && F - Z > 8) return false;
    }
    if (P < -44) return false;
    if (P == -44 && compare_leading(sig, "1401298") < 0) return false;
  }

  if (!nonzero) {
    value = 0.0f;
    return true;
  }
  std::string clean = neg ? "-" : "";
  clean += int_digits.empty() ? "0" : int_digits;
  if (!frac.empty()) clean += "." + frac;
  if (!exp_digits.empty()) clean += (exp_neg ? "e-" : "e") + exp_digits;
  float v = 0.0f;
  const auto r = std::from_chars(clean.data(), clean.data() + clean.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Past the largest single the nearest value is still the largest one;
    // the limits keep every entry well away from underflow.
    v = P > 0 ? FLT_MAX : 0.0f;
    if (neg) v = -v;
  }
  value = v;
  return true;
}

}  // namespace vorn

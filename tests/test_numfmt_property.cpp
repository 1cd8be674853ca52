// The templates and the plain number form against a slow path of exact
// rationals: GMP reads the binary value exactly, integer division finds the
// rounding digit, and the layout is built from the integer and fraction parts
// of the rounded magnitude rather than digit by digit.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/errors.h"
#include "report/numfmt.h"

namespace {

const char* const kTemplates[] = {"+#.##", "#.###",  "+#.###",  "#.#####", "##",     "+##.##",
                                  "+##.###", "##.#####", "###", "###.##", "###.###", "####.##"};

struct Shape {
  bool sign;
  int I, F;
};

Shape shape_of(const std::string& t) {
  Shape s;
  s.sign = t[0] == '+';
  size_t dot = t.find('.');
  s.I = int((dot == std::string::npos ? t.size() : dot) - (s.sign ? 1 : 0));
  s.F = dot == std::string::npos ? 0 : int(t.size() - dot - 1);
  return s;
}

mpz_class pow10(unsigned long n) {
  mpz_class r;
  mpz_ui_pow_ui(r.get_mpz_t(), 10, n);
  return r;
}

mpz_class floor_of(const mpq_class& q) {
  mpz_class r;
  mpz_fdiv_q(r.get_mpz_t(), q.get_num_mpz_t(), q.get_den_mpz_t());
  return r;
}

std::string slow_fixed(const Shape& t, double x) {
  const bool neg = x < 0;
  const mpq_class a(std::fabs(x));  // mpq_set_d is exact
  const mpz_class tenths = floor_of(a * pow10(t.F + 1));
  const bool up = mpz_class(tenths % 10) >= 5;
  const mpz_class q = tenths / 10 + (up ? 1 : 0);
  const mpz_class unit = pow10(t.F);
  const mpz_class ip = q / unit, fp = q % unit;

  std::string ints = ip > 0 ? ip.get_str() : "";
  std::string tail;
  if (t.F > 0) {
    std::string f = fp.get_str();
    tail = "." + std::string(t.F - f.size(), '0') + f;
  }
  const std::string sign = t.sign ? (neg ? "-" : "+") : "";
  const std::string minus = neg && !t.sign ? "-" : "";
  const int room = t.I - (minus.empty() ? 0 : 1);
  if (int(ints.size()) > room) return "%" + sign + minus + ints + tail;
  if (ints.empty() && room >= 1) ints = "0";
  return sign + std::string(room - ints.size(), ' ') + minus + ints + tail;
}

std::string slow_plain_single(float f) {
  if (f == 0) return " 0";
  const mpq_class a(std::fabs(double(f)));
  auto ten_to = [](int e) { return e >= 0 ? mpq_class(pow10(e)) : mpq_class(1, pow10(-e)); };
  int e = int(std::floor(std::log10(std::fabs(double(f)))));
  while (ten_to(e) > a) --e;
  while (ten_to(e + 1) <= a) ++e;
  // Half up: a tie goes to the larger magnitude.
  mpz_class s = floor_of(a * ten_to(6 - e) + mpq_class(1, 2));
  if (s == pow10(7)) {
    s = pow10(6);
    ++e;
  }
  std::string digits = s.get_str();
  while (digits.back() == '0') digits.pop_back();
  const int k = int(digits.size());

  std::string out = f < 0 ? "-" : " ";
  if (e >= 7 || e - k < -8) {
    char ex[16];
    std::snprintf(ex, sizeof ex, "E%c%02d", e >= 0 ? '+' : '-', std::abs(e));
    return out + digits.substr(0, 1) + (k > 1 ? "." + digits.substr(1) : "") + ex;
  }
  const int last = e - k + 1;  // the place of the last digit
  if (last >= 0) return out + mpz_class(mpz_class(digits) * pow10(last)).get_str();
  std::string padded = std::string(std::max(0, 1 - last - k), '0') + digits;
  std::string whole = padded.substr(0, padded.size() - size_t(-last));
  if (whole == "0") whole.clear();
  return out + whole + "." + padded.substr(padded.size() - size_t(-last));
}

struct Checker {
  long checked = 0, failed = 0;

  void fixed(double x) {
    for (const char* t : kTemplates) {
      const std::string want = slow_fixed(shape_of(t), x);
      const std::string got = vorn::format_fixed(t, x);
      ++checked;
      if (got != want && ++failed <= 10)
        ADD_FAILURE() << '"' << t << "\" " << std::hexfloat << x << std::defaultfloat << " (" << x
                      << "): got \"" << got << "\" want \"" << want << '"';
    }
  }
  void plain(float f) {
    const std::string want = slow_plain_single(f);
    const std::string got = vorn::plain_number(f);
    ++checked;
    if (got != want && ++failed <= 10)
      ADD_FAILURE() << std::hexfloat << f << std::defaultfloat << " (" << f << "): got \"" << got
                    << "\" want \"" << want << '"';
  }
};

double random_finite_double(std::mt19937_64& g) {
  for (;;) {
    uint64_t bits = g();
    double x;
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) return x;
  }
}

float random_finite_float(std::mt19937_64& g) {
  for (;;) {
    uint32_t bits = uint32_t(g());
    float x;
    std::memcpy(&x, &bits, sizeof x);
    if (std::isfinite(x)) return x;
  }
}

}  // namespace

TEST(NumfmtProperty, DoublesAcrossMagnitudes) {
  std::mt19937_64 g(20240611);
  std::uniform_real_distribution<double> exponent(-8.0, 6.0);
  Checker c;
  for (int i = 0; i < 200000; ++i) {
    double x = std::pow(10.0, exponent(g));
    if (g() & 1) x = -x;
    c.fixed(x);
  }
  for (int i = 0; i < 5000; ++i) c.fixed(random_finite_double(g));
  EXPECT_EQ(c.failed, 0) << "of " << c.checked;
}

TEST(NumfmtProperty, SinglesWidenedExactly) {
  std::mt19937_64 g(7);
  std::uniform_real_distribution<double> exponent(-8.0, 6.0);
  Checker c;
  for (int i = 0; i < 50000; ++i) {
    float f = float(std::pow(10.0, exponent(g)));
    if (g() & 1) f = -f;
    c.fixed(double(f));
  }
  for (int i = 0; i < 5000; ++i) c.fixed(double(random_finite_float(g)));
  EXPECT_EQ(c.failed, 0) << "of " << c.checked;
}

TEST(NumfmtProperty, Integers) {
  std::mt19937_64 g(11);
  std::uniform_int_distribution<int> value(-200000, 200000);
  Checker c;
  for (int v = -1100; v <= 1100; ++v) c.fixed(double(v));
  for (int i = 0; i < 5000; ++i) c.fixed(double(value(g)));
  EXPECT_EQ(c.failed, 0) << "of " << c.checked;
}

// The nearest double and single to k + 1/2 units of each template's last
// place, their neighbours, and the same near each overflow threshold.
TEST(NumfmtProperty, NearRoundingBoundaries) {
  std::mt19937_64 g(3);
  Checker c;
  auto around = [&](const std::string& decimal) {
    double x = std::strtod(decimal.c_str(), nullptr);
    float f = std::strtof(decimal.c_str(), nullptr);
    for (double v : {x, std::nextafter(x, 0.0), std::nextafter(x, 1e300)})
      for (double s : {v, -v}) c.fixed(s);
    for (float v : {f, std::nextafter(f, 0.0f), std::nextafter(f, 1e30f)})
      for (float s : {v, -v}) c.fixed(double(s));
  };
  for (const char* t : kTemplates) {
    const Shape s = shape_of(t);
    const long places = long(std::pow(10.0, s.I + 1 + s.F));
    std::uniform_int_distribution<long> units(0, places);
    for (int i = 0; i < 2000; ++i) {
      std::string k = std::to_string(units(g));
      // k units and a half of the last place, as a decimal literal.
      std::string digits = std::string(size_t(std::max(0, s.F + 1 - int(k.size()))), '0') + k;
      std::string decimal = digits.substr(0, digits.size() - s.F) + "." + digits.substr(digits.size() - s.F) + "5";
      around(decimal);
    }
    for (int room : {s.I - 1, s.I}) {
      if (room < 0) continue;
      std::string nines = std::string(size_t(room), '9');
      around((nines.empty() ? "0" : nines) + "." + std::string(size_t(s.F), '9') + "5");
    }
  }
  EXPECT_EQ(c.failed, 0) << "of " << c.checked;
}

TEST(NumfmtProperty, PlainSingles) {
  std::mt19937_64 g(5);
  std::uniform_real_distribution<double> exponent(-12.0, 10.0);
  Checker c;
  for (int i = 0; i < 100000; ++i) {
    float f = float(std::pow(10.0, exponent(g)));
    c.plain(g() & 1 ? -f : f);
  }
  for (int i = 0; i < 50000; ++i) c.plain(random_finite_float(g));
  // Seven-digit ties: k + 1/2 in the units place with 7 digits before it.
  for (int k = 8388600; k < 8388608; ++k) c.plain(float(k) + 0.5f);
  EXPECT_EQ(c.failed, 0) << "of " << c.checked;
}

TEST(NumfmtProperty, PlainIntegers) {
  std::mt19937_64 g(13);
  for (int i = 0; i < 20000; ++i) {
    int32_t v = int32_t(uint32_t(g()));
    std::string want = (v < 0 ? "-" : " ") + std::to_string(std::abs(int64_t(v)));
    ASSERT_EQ(vorn::plain_number(v), want);
    uint32_t u = uint32_t(g());
    ASSERT_EQ(vorn::plain_number(u), " " + std::to_string(u));
    int16_t h = int16_t(uint16_t(g()));
    ASSERT_EQ(vorn::plain_number(h), (h < 0 ? "-" : " ") + std::to_string(std::abs(int(h))));
  }
}

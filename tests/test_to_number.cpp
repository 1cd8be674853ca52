#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "app/errors.h"
#include "platform/files.h"
#include "platform/to_number.h"

using vorn::to_number;

namespace {

std::string hex(long double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%La", v);
  return buf;
}

struct Case {
  std::string text;
  long double want;
};

// The compiler rounds each literal to the nearest long double, which is
// what the conversion must deliver.
void check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    long double got = to_number(c.text);
    EXPECT_EQ(got, c.want) << '"' << c.text << "\" gave " << hex(got) << ", want " << hex(c.want);
  }
}

}  // namespace

TEST(ToNumber, DecimalTexts) {
  check({
      {"  -12.34", -12.34L},
      {"  -12,34", -12},
      {"", 0},
      {"12E-3", 0.012L},
      {"1 2", 12},
      {"1\t2", 12},
      {" 1 . 5 e 2 ", 150},
      {"1.5.3", 1.5L},
      {"-.5", -0.5L},
      {"+.5", 0.5L},
      {".", 0},
      {"-", 0},
      {"abc", 0},
      {"x12", 0},
      {"+5", 5},
      {"+-5", 0},
      {"5-3", 5},
      {"12&H1", 12},
      {"-&H10", 0},
      {"000123", 123},
      {"0.00123", 0.00123L},
      {"-000.000", 0},
      {"123.", 123},
      {"1D2", 100},
      {"1d-2", 0.01L},
      {"2.5E+3", 2500},
      {"E5", 0},
      {"1E", 1},
      {"1E+", 1},
      {"1E-", 1},
      {"7e x", 7},
      {"1EE2", 1},
      {"1E2.5", 100},
      {"1E0000000000000000000000000005", 100000},
      {"0.1", 0.1L},
      {"-3.14159265358979323846", -3.14159265358979323846L},
      {"6.02214076e23", 6.02214076e23L},
      {"1e27", 1e27L},
      {"1e28", 1e28L},
      {"1e-27", 1e-27L},
      {"1e-28", 1e-28L},
      {"1e400", 1e400L},
      {"1.18973149535723176502e+4932", LDBL_MAX},
      {"1e-4940", 1e-4940L},
  });
}

// Up to 18 digits the integer path is exact; beyond, the value is the
// nearest long double (ties to even).
TEST(ToNumber, LongNumbersAreCorrectlyRounded) {
  check({
      {"999999999999999999", 999999999999999999.0L},
      {"-123456789012345678", -123456789012345678.0L},
      {"0000000000000000000000000001", 1},
      {"9223372036854775807", 9223372036854775807.0L},
      {"18446744073709551615", 18446744073709551615.0L},
      {"18446744073709551617", 18446744073709551616.0L},   // tie: down to even
      {"18446744073709551619", 18446744073709551620.0L},   // tie: up to even
      {"18446744073709551617.0000000001", 18446744073709551618.0L},
      {"99999999999999999999", 99999999999999999999.0L},
      {"12345678901234567890123456789", 12345678901234567890123456789.0L},
      {"0.1000000000000000000000000000000001", 0.1000000000000000000000000000000001L},
      {"1" + std::string(400, '0'), 1e400L},
      {"-1.5" + std::string(30, '0') + "1", -1.5000000000000000000000000000001L},
  });
}

TEST(ToNumber, OutOfRangeGivesInfinityOrZeroWithoutError) {
  EXPECT_EQ(to_number("1e5000"), HUGE_VALL);
  EXPECT_EQ(to_number("-1e5000"), -HUGE_VALL);
  EXPECT_EQ(to_number("1E1234567890123456789"), HUGE_VALL);
  EXPECT_EQ(to_number("1e-5000"), 0);
  EXPECT_EQ(to_number("1E-1234567890123456789"), 0);
}

TEST(ToNumber, RadixTexts) {
  check({
      {"&H10", 16},
      {"&h1f", 31},
      {"&HfF", 255},
      {"  &H10", 16},
      {"&H", 0},
      {"&", 0},
      {"&X1", 0},
      {"& H1", 0},
      {"&Hz", 0},
      {"&H1 0", 1},
      {"&H1G", 1},
      {"&O17", 15},
      {"&o8", 0},
      {"&B101", 5},
      {"&b2", 0},
      {"&HFFFFFFFFFFFFFFFF", -1},
      {"&H7FFFFFFFFFFFFFFF", 9223372036854775807.0L},
      {"&H8000000000000000", -9223372036854775808.0L},
      {"&H00000000000000000000001", 1},
      {"&O1777777777777777777777", -1},
      {"&O777777777777777777777", 9223372036854775807.0L},
      {"&B" + std::string(64, '1'), -1},
      {"&B000" + std::string(64, '1'), -1},
  });
}

TEST(ToNumber, RadixOverflowGivesError6) {
  const std::string texts[] = {
      "&H10000000000000000",
      "&HFFFFFFFFFFFFFFFFF",
      "&O2000000000000000000000",
      "&O10000000000000000000000",
      "&B1" + std::string(64, '0'),
  };
  for (const std::string& t : texts) {
    int e = 0;
    try {
      to_number(t);
    } catch (const vorn::NumberedError& err) {
      e = err.number;
    }
    EXPECT_EQ(e, vorn::err::overflow) << t;
  }
}

// Plain decimal texts, random digits and exponents: the C library's own
// correctly rounded reading must agree.
TEST(ToNumber, AgreesWithStrtoldOnPlainDecimals) {
  std::mt19937_64 rng(12345);
  auto digits = [&](int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s.push_back(char('0' + rng() % 10));
    return s;
  };
  for (int i = 0; i < 20000; ++i) {
    std::string t;
    if (rng() % 2) t += '-';
    t += digits(int(rng() % 30));
    if (rng() % 2) t += '.' + digits(int(rng() % 30));
    if (rng() % 2) t += 'e' + std::string(rng() % 2 ? "-" : "") + std::to_string(rng() % 5000);
    long double want = std::strtold(t.c_str(), nullptr);
    long double got = to_number(t);
    ASSERT_EQ(got, want) << t << ": " << hex(got) << " vs " << hex(want);
  }
}

// Numeric entries: what stays on the screen and what the target holds after
// a sequence of keys, and the two checks on their own for the odd shapes.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <ostream>
#include <string>

#include "platform/entry_check.h"
#include "tests/support/headless.h"

namespace {

using vorn::HeadlessHost;

// The entry follows "? " on row 1; Enter is typed after the keys.
template <class T>
std::string enter(const std::string& keys, T& target) {
  HeadlessHost host;
  host.console.print_text("? ", false);
  host.type(keys + "\r");
  host.console.line_entry(target);
  EXPECT_EQ(host.console.screen.row(), 2) << keys;
  EXPECT_EQ(host.console.screen.col(), 1) << keys;
  EXPECT_FALSE(host.script_exhausted()) << keys;
  std::string row = host.console.screen.row_text(1);
  EXPECT_EQ(row.substr(0, 2), "? ");
  row.erase(0, 2);
  while (!row.empty() && row.back() == ' ') row.pop_back();
  return row;
}

bool same_float(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// ---------------------------------------------------------------------------
// 16-bit integer entries, key by key

struct IntKeys {
  const char* keys;
  const char* shown;
  int16_t value;
  friend std::ostream& operator<<(std::ostream& o, const IntKeys& c) { return o << c.keys; }
};

class Int16Keys : public ::testing::TestWithParam<IntKeys> {};

TEST_P(Int16Keys, ShowsAndStores) {
  const IntKeys c = GetParam();
  int16_t target = 777;
  EXPECT_EQ(enter(c.keys, target), c.shown) << "keys: " << c.keys;
  EXPECT_EQ(target, c.value) << "keys: " << c.keys;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Int16Keys,
    ::testing::Values(
        IntKeys{"", "", 0},
        IntKeys{"-", "-", 0},
        IntKeys{"40000", "4000", 4000},
        IntKeys{"-32768", "-32768", -32768},
        IntKeys{"-32769", "-3276", -3276},
        IntKeys{"32767", "32767", 32767},
        IntKeys{"32768", "3276", 3276},
        IntKeys{"05", "0", 0},
        IntKeys{"-05", "-0", 0},
        IntKeys{"5.0", "50", 50},
        IntKeys{"+5", "5", 5},
        IntKeys{" 5 ", "5", 5},
        IntKeys{"\t7", "7", 7},
        IntKeys{"--5", "-5", -5},
        IntKeys{"5-", "5", 5},
        IntKeys{"1,2", "12", 12},
        IntKeys{"1e2", "12", 12},
        IntKeys{"123\b", "12", 12},
        IntKeys{"-\b\b9", "9", 9},
        IntKeys{"&", "&", 0},
        IntKeys{"&H", "&H", 0},
        IntKeys{"&HFFFF", "&HFFFF", -1},
        IntKeys{"&hffff", "&hffff", -1},
        IntKeys{"&H8000", "&H8000", -32768},
        IntKeys{"&h7FfF", "&h7FfF", 32767},
        IntKeys{"&H10000", "&H1000", 4096},
        IntKeys{"&H0A", "&HA", 10},
        IntKeys{"&HG1", "&H1", 1},
        IntKeys{"&O177777", "&O177777", -1},
        IntKeys{"&o100000", "&o100000", -32768},
        IntKeys{"&O200000", "&O20000", 8192},
        IntKeys{"&O89", "&O", 0},
        IntKeys{"&X", "&", 0},
        IntKeys{"-&H1", "-1", -1},
        IntKeys{"\"12\"", "\"12\"", 12},
        IntKeys{"\"12\"3", "\"12\"", 12},
        IntKeys{"\"-\"", "\"-\"", 0}));

// ---------------------------------------------------------------------------
// Single-precision entries, key by key

struct FloatKeys {
  const char* keys;
  const char* shown;
  float value;
  friend std::ostream& operator<<(std::ostream& o, const FloatKeys& c) { return o << c.keys; }
};

class SingleKeys : public ::testing::TestWithParam<FloatKeys> {};

TEST_P(SingleKeys, ShowsAndStores) {
  const FloatKeys c = GetParam();
  float target = 777.0f;
  EXPECT_EQ(enter(c.keys, target), c.shown) << "keys: " << c.keys;
  EXPECT_TRUE(same_float(target, c.value))
      << "keys: " << c.keys << " stored " << target << " expected " << c.value;
}

const float kTiny = std::numeric_limits<float>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    Table, SingleKeys,
    ::testing::Values(
        FloatKeys{"", "", 0.0f},
        FloatKeys{"-", "-", 0.0f},
        FloatKeys{".", ".", 0.0f},
        FloatKeys{"-.", "-.", 0.0f},
        FloatKeys{"-0", "-0", 0.0f},
        FloatKeys{"300", "300", 300.0f},
        FloatKeys{"-0.5", "-0.5", -0.5f},
        FloatKeys{".5", ".5", 0.5f},
        FloatKeys{"+1", "1", 1.0f},
        FloatKeys{" 1 ", "1", 1.0f},
        FloatKeys{"1,5", "15", 15.0f},
        FloatKeys{"--1", "-1", -1.0f},
        FloatKeys{"1.2.3", "1.23", 1.23f},
        FloatKeys{"00", "0", 0.0f},
        FloatKeys{"05", "0", 0.0f},
        FloatKeys{"0.25", "0.25", 0.25f},
        // More than 8 digits with a fraction; a lone 0 after the point is none.
        FloatKeys{"12345678.5", "12345678.", 12345678.0f},
        FloatKeys{"12345678.0", "12345678.0", 12345678.0f},
        FloatKeys{"12345678.05", "12345678.0", 12345678.0f},
        FloatKeys{"1234567.12", "1234567.1", 1234567.1f},
        FloatKeys{"123456789", "123456789", 123456789.0f},
        FloatKeys{".123456789", ".12345678", 0.12345678f},
        FloatKeys{".000123456789", ".00012345678", 0.00012345678f},
        // The temperature limit: rounded to single before anyone looks.
        FloatKeys{"9999.9996", "9999.9996", 10000.0f},
        FloatKeys{"9999.9995", "9999.9995", 9999.9995f},
        // The exponent and where it may stand.
        FloatKeys{"0.5e3", "0.5e3", 500.0f},
        FloatKeys{"1.0e3", "1.0e3", 1000.0f},
        FloatKeys{"0.0e3", "0.03", 0.03f},
        FloatKeys{"1.e3", "1.3", 1.3f},
        FloatKeys{"e3", "3", 3.0f},
        FloatKeys{"-e3", "-3", -3.0f},
        FloatKeys{".e3", ".3", 0.3f},
        FloatKeys{"0e3", "0", 0.0f},
        FloatKeys{"1e", "1e", 1.0f},
        FloatKeys{"1e-", "1e-", 1.0f},
        FloatKeys{"1e+2", "1e+2", 100.0f},
        FloatKeys{"1E5", "1E5", 100000.0f},
        FloatKeys{"1e-5", "1e-5", 1e-5f},
        FloatKeys{"1e0", "1e0", 1.0f},
        FloatKeys{"1e05", "1e0", 1.0f},
        FloatKeys{"1e--5", "1e-5", 1e-5f},
        FloatKeys{"1e5e", "1e5", 100000.0f},
        FloatKeys{"1d5", "15", 15.0f},
        FloatKeys{"1e5.", "1e5", 100000.0f},
        // Upper limit of single precision.
        FloatKeys{"3402823e32", "3402823e32", 3.402823e38f},
        FloatKeys{"3402824e32", "3402824e3", 3.402824e9f},
        FloatKeys{"34e37", "34e37", 3.4e38f},
        FloatKeys{"35e37", "35e3", 35000.0f},
        FloatKeys{"4e39", "4e3", 4000.0f},
        FloatKeys{"100000000000000000000000000000000000000", "100000000000000000000000000000000000000",
                  1e38f},
        FloatKeys{"1000000000000000000000000000000000000000", "100000000000000000000000000000000000000",
                  1e38f},
        // Passes the digit comparison but lies beyond the largest single:
        // the nearest single is the largest one, not infinity.
        FloatKeys{"3402823.9e32", "3402823.9e32", FLT_MAX},
        FloatKeys{"-3402823.9e32", "-3402823.9e32", -FLT_MAX},
        // Lower limit.
        FloatKeys{"1401298e-51", "1401298e-51", kTiny},
        FloatKeys{"1401297e-51", "1401297e-5", 14.01297f},
        FloatKeys{"1e-45", "1e-45", kTiny},
        FloatKeys{"1e-46", "1e-4", 1e-4f},
        FloatKeys{"-1.5e-45", "-1.5e-45", -kTiny},
        // 43 zeros after the point pass, the 44th does not.
        FloatKeys{"0.0000000000000000000000000000000000000000000",
                  "0.0000000000000000000000000000000000000000000", 0.0f},
        FloatKeys{"0.00000000000000000000000000000000000000000001",
                  "0.00000000000000000000000000000000000000000001", 1e-44f},
        FloatKeys{"0.000000000000000000000000000000000000000000001",
                  "0.00000000000000000000000000000000000000000001", 1e-44f},
        // Hexadecimal and octal give the whole number.
        FloatKeys{"&", "&", 0.0f},
        FloatKeys{"&H", "&H", 0.0f},
        FloatKeys{"&HFFFF", "&HFFFF", 65535.0f},
        FloatKeys{"&h00ff", "&h00ff", 255.0f},
        FloatKeys{"&HFFFFFFFFFFFFFFFF1", "&HFFFFFFFFFFFFFFFF", 18446744073709551615.0f},
        FloatKeys{"&O17", "&O17", 15.0f},
        FloatKeys{"&O17777777777777777777771", "&O1777777777777777777777", 18446744073709551615.0f},
        FloatKeys{"&O2777777777777777777777", "&O277777777777777777777", 3458764513820540927.0f},
        FloatKeys{"&O8", "&O", 0.0f},
        FloatKeys{"\"2.5\"", "\"2.5\"", 2.5f},
        FloatKeys{"\"1,5\"", "\"15\"", 15.0f}));

TEST(SingleKeys, TemperatureLimitFigures) {
  float target = 0.0f;
  enter("9999.9996", target);
  EXPECT_EQ(target, 10000.0f);
  enter("9999.9995", target);
  EXPECT_LT(target, 10000.0f);
  EXPECT_GT(target, 9999.99f);
}

TEST(SingleKeys, MinusZeroStoresPlainZero) {
  for (const char* keys : {"-0", "-0.000", "-.0"}) {
    float target = 1.0f;
    enter(keys, target);
    EXPECT_EQ(target, 0.0f) << keys;
    EXPECT_FALSE(std::signbit(target)) << keys;
  }
}

// ---------------------------------------------------------------------------
// The checks on their own

struct IntText {
  const char* text;
  bool pass;
  int16_t value;
  friend std::ostream& operator<<(std::ostream& o, const IntText& c) { return o << c.text; }
};

class Int16Check : public ::testing::TestWithParam<IntText> {};

TEST_P(Int16Check, PassesAndStores) {
  const IntText c = GetParam();
  int16_t v = 555;
  EXPECT_EQ(vorn::check_int16_entry(c.text, v), c.pass) << '"' << c.text << '"';
  if (c.pass) {
    EXPECT_EQ(v, c.value) << '"' << c.text << '"';
  } else {
    EXPECT_EQ(v, 555) << "a failing check stores nothing: " << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Int16Check,
    ::testing::Values(
        IntText{"", true, 0}, IntText{"-", true, 0}, IntText{"0", true, 0},
        IntText{"-0", true, 0}, IntText{"00", false, 0}, IntText{"-00", false, 0},
        IntText{"007", false, 0}, IntText{"32767", true, 32767},
        IntText{"-32768", true, -32768}, IntText{"32768", false, 0},
        IntText{"-32769", false, 0}, IntText{"99999999999999999999999999", false, 0},
        IntText{"&", true, 0}, IntText{"&H", true, 0}, IntText{"&h", true, 0},
        IntText{"&O", true, 0}, IntText{"&o", true, 0}, IntText{"&HFFFF", true, -1},
        IntText{"&HfFfF", true, -1}, IntText{"&H8000", true, -32768},
        IntText{"&H7FFF", true, 32767}, IntText{"&H10000", false, 0},
        IntText{"&H0", false, 0}, IntText{"&H0F", false, 0}, IntText{"&O0", false, 0},
        IntText{"&O177777", true, -1}, IntText{"&O200000", false, 0},
        IntText{"&O8", false, 0}, IntText{"&HG", false, 0}, IntText{"&X", false, 0},
        IntText{"&&", false, 0}, IntText{"&1", false, 0}, IntText{"-&H1", false, 0},
        IntText{"&HFFFFFFFFFFFFFFFFFFFF", false, 0}, IntText{"+1", false, 0},
        IntText{" 1", false, 0}, IntText{"1 ", false, 0}, IntText{"1.0", false, 0},
        IntText{"1e2", false, 0}, IntText{"1,2", false, 0}, IntText{"--1", false, 0},
        IntText{"1-", false, 0}, IntText{"\"1\"", false, 0}));

struct FloatText {
  const char* text;
  bool pass;
  float value;
  friend std::ostream& operator<<(std::ostream& o, const FloatText& c) { return o << c.text; }
};

class SingleCheck : public ::testing::TestWithParam<FloatText> {};

TEST_P(SingleCheck, PassesAndStores) {
  const FloatText c = GetParam();
  float v = 555.0f;
  EXPECT_EQ(vorn::check_single_entry(c.text, v), c.pass) << '"' << c.text << '"';
  if (c.pass) {
    EXPECT_TRUE(same_float(v, c.value)) << '"' << c.text << "\" stored " << v;
  } else {
    EXPECT_EQ(v, 555.0f) << "a failing check stores nothing: " << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SingleCheck,
    ::testing::Values(
        FloatText{"0", true, 0.0f}, FloatText{"0.", true, 0.0f}, FloatText{"-0.", true, 0.0f},
        FloatText{"0.5", true, 0.5f}, FloatText{"05", false, 0}, FloatText{"0.5.", false, 0},
        FloatText{"+1", false, 0}, FloatText{"1 ", false, 0}, FloatText{"1,0", false, 0},
        FloatText{"1-", false, 0}, FloatText{"1d2", false, 0}, FloatText{"1D2", false, 0},
        FloatText{"E1", false, 0}, FloatText{"-E1", false, 0}, FloatText{".e1", false, 0},
        FloatText{"5.e1", false, 0}, FloatText{"0e1", false, 0}, FloatText{"0.0e1", false, 0},
        FloatText{"0.00e1", false, 0}, FloatText{"0.01e1", true, 0.1f},
        FloatText{".5e1", true, 5.0f}, FloatText{"1.0e1", true, 10.0f},
        FloatText{"1e00", false, 0}, FloatText{"1e-0", true, 1.0f}, FloatText{"1e+0", true, 1.0f},
        FloatText{"1e-05", false, 0}, FloatText{"1e+", true, 1.0f}, FloatText{"1e+-1", false, 0},
        FloatText{"1e1e1", false, 0}, FloatText{"1e1.5", false, 0},
        // Digit count with a fraction.
        FloatText{"1234567.0", true, 1234567.0f}, FloatText{"1234567.00", false, 0},
        FloatText{"1234567.1", true, 1234567.1f}, FloatText{"0.12345678", true, 0.12345678f},
        FloatText{"0.123456789", false, 0}, FloatText{"0.000012345678", true, 0.000012345678f},
        FloatText{"0.0000123456789", false, 0},
        FloatText{"1234567891234567", true, 1234567891234567.0f},
        // The upper limit: P counts integer digits plus the exponent.
        FloatText{"3e38", true, 3e38f}, FloatText{"9e38", false, 0}, FloatText{"1e39", false, 0},
        FloatText{"0.34e39", true, 3.4e38f}, FloatText{"0.35e39", false, 0},
        FloatText{"0.0034e41", true, 3.4e38f}, FloatText{"3.402823e38", true, 3.402823e38f},
        FloatText{"3.402824e38", false, 0}, FloatText{"34028235e31", true, FLT_MAX},
        FloatText{"0.34028236e39", true, FLT_MAX}, FloatText{"3402822999e29", true, 3402822999e29f},
        FloatText{"1e99999999999999999999999999", false, 0},
        // The lower limit: only the digits typed are compared.
        FloatText{"1.401298e-45", true, std::numeric_limits<float>::denorm_min()},
        FloatText{"1.401297e-45", false, 0}, FloatText{"14e-46", true, 1.4e-45f},
        FloatText{"1400000e-51", false, 0}, FloatText{"2e-45", true, 2e-45f},
        FloatText{"9e-46", false, 0}, FloatText{"1.0e-45", true, 1e-45f},
        FloatText{"0.0001e-41", true, 1e-45f}, FloatText{"0.00001e-41", false, 0},
        FloatText{"1e-99999999999999999999999999", false, 0},
        // Zeros after the point.
        FloatText{"0.0000000000000000000000000000000000000000000", true, 0.0f},
        FloatText{"0.00000000000000000000000000000000000000000000", false, 0},
        FloatText{".00000000000000000000000000000000000000000001", true, 1e-44f},
        // Hexadecimal and octal.
        FloatText{"&H0000000000000001", true, 1.0f}, FloatText{"&H00000000000000001", false, 0},
        FloatText{"&o7", true, 7.0f}, FloatText{"&O0777777777777777777777", true, 9223372036854775807.0f},
        FloatText{"&O2000000000000000000000", false, 0}, FloatText{"&O9", false, 0},
        FloatText{"&Hx", false, 0}, FloatText{"&.5", false, 0}, FloatText{"-&H1", false, 0}));

}  // namespace

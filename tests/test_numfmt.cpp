#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "app/errors.h"
#include "report/numfmt.h"

using vorn::format_fixed;
using vorn::NumberedError;
using vorn::PlainKind;
using vorn::plain_number;

namespace {

const char* const kTemplates[] = {"+#.##", "#.###",  "+#.###",  "#.#####", "##",     "+##.##",
                                  "+##.###", "##.#####", "###", "###.##", "###.###", "####.##"};

// The kind of variable a case's value comes from.
enum class Kind { Integer, Single, Double };
constexpr Kind I = Kind::Integer, S = Kind::Single, D = Kind::Double;

struct FixedCase {
  const char* tmpl;
  double value;
  Kind kind;
  const char* text;
};

std::ostream& operator<<(std::ostream& os, const FixedCase& c) {
  return os << '"' << c.tmpl << "\" " << c.value << " -> \"" << c.text << '"';
}

// A single's value is the literal rounded to single precision.
double as_kind(double v, Kind k) { return k == S ? double(float(v)) : v; }

// Exact decimal expansion through glibc's printf, a conversion of its own.
std::string expansion(double v, int decimals) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

int error_of(const std::string& tmpl, double v, Kind k) {
  try {
    format_fixed(tmpl, as_kind(v, k));
  } catch (const NumberedError& e) {
    return e.number;
  }
  return 0;
}

}  // namespace

class FixedTable : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedTable, Renders) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(format_fixed(c.tmpl, as_kind(c.value, c.kind)), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Templates, FixedTable,
    ::testing::Values(
        // The renderings of the table pages and the output file.
        FixedCase{"##", 0, I, " 0"}, FixedCase{"##", 5, I, " 5"}, FixedCase{"##", 30, I, "30"},
        FixedCase{"##", 90, I, "90"}, FixedCase{"###", 0, I, "  0"}, FixedCase{"###", 45, I, " 45"},
        FixedCase{"###", 360, I, "360"}, FixedCase{"###", -5, I, " -5"},
        FixedCase{"###", -45, I, "-45"}, FixedCase{"###", -90, I, "-90"},
        FixedCase{"#.###", 0.501174502887, D, "0.501"},
        FixedCase{"#.###", 0.999974604346, D, "1.000"}, FixedCase{"#.###", 0.0004, D, "0.000"},
        FixedCase{"#.###", 0.0005, D, "0.001"}, FixedCase{"#.###", 9.9996, D, "%10.000"},
        FixedCase{"+#.##", -3.00011031726, D, "-3.00"},
        FixedCase{"+#.##", -0.000110293326087, D, "-0.00"}, FixedCase{"+#.##", 0, D, "+0.00"},
        FixedCase{"+#.##", 0.004, D, "+0.00"}, FixedCase{"+#.##", 0.005, D, "+0.01"},
        FixedCase{"+#.##", -9.995, D, "-9.99"}, FixedCase{"+#.##", -9.996, D, "%-10.00"},
        FixedCase{"#.#####", 0.999974604346, D, "0.99997"},
        FixedCase{"#.#####", 0.501174502887, D, "0.50117"}, FixedCase{"#.#####", 1, D, "1.00000"},
        FixedCase{"+#.###", -3.00011031726, D, "-3.000"},
        FixedCase{"+#.###", -0.000110293326087, D, "-0.000"}, FixedCase{"+#.###", 0, D, "+0.000"},
        FixedCase{"+##.##", 12.5, S, "+12.50"}, FixedCase{"+##.##", 1.5, S, "+ 1.50"},
        FixedCase{"+##.##", 0, S, "+ 0.00"}, FixedCase{"+##.##", -3, S, "- 3.00"},
        FixedCase{"+##.##", -0.5, S, "- 0.50"}, FixedCase{"+##.##", 7.125, S, "+ 7.13"},
        FixedCase{"+##.##", 8.005, S, "+ 8.01"}, FixedCase{"+##.##", 99.995, S, "%+100.00"},
        FixedCase{"+##.##", -100, S, "%-100.00"},
        FixedCase{"+##.###", -26.8897866756, D, "-26.890"},
        FixedCase{"+##.###", -24.6239799790, D, "-24.624"}, FixedCase{"+##.###", 5.25, D, "+ 5.250"},
        FixedCase{"+##.###", -0.0004, D, "- 0.000"}, FixedCase{"+##.###", -100, D, "%-100.000"},
        FixedCase{"##.#####", 6.28302580906, D, " 6.28303"},
        FixedCase{"##.#####", 12.56605161812, D, "12.56605"},
        FixedCase{"##.#####", 0, D, " 0.00000"}, FixedCase{"###.##", 0, D, "  0.00"},
        FixedCase{"###.##", 288.640769491, D, "288.64"}, FixedCase{"###.##", 999.994, D, "999.99"},
        FixedCase{"###.##", 999.995, D, "%1000.00"}, FixedCase{"###.###", 100, D, "100.000"},
        FixedCase{"###.###", 99.99, D, " 99.990"}, FixedCase{"###.###", 1000, D, "%1000.000"},
        FixedCase{"####.##", 100, S, " 100.00"}, FixedCase{"####.##", 0, S, "   0.00"},
        FixedCase{"####.##", 0.5, S, "   0.50"}, FixedCase{"####.##", 35.125, S, "  35.13"},
        FixedCase{"####.##", 9999.99, S, "9999.99"},
        FixedCase{"####.##", 9999.995, S, "%10000.00"},
        FixedCase{"####.##", 244.89429474, D, " 244.89"}, FixedCase{"####.##", 290, D, " 290.00"},
        // A carry that drops the "0" before the point, and doubles on either
        // side of a short decimal.
        FixedCase{"#.###", 0.9996, D, "1.000"}, FixedCase{"#.###", 1.2345, D, "1.234"},
        // The sign comes before the blanks; a minus sign without a sign place
        // stands right before the digits.
        FixedCase{"###.##", -0.5, D, " -0.50"}, FixedCase{"##", -5, I, "-5"},
        FixedCase{"##", -10, I, "%-10"}, FixedCase{"###", 1000, I, "%1000"},
        // A negative value below 1 through a single "#" without a sign place
        // has no room for the "0"; after a carry to 1 it overflows.
        FixedCase{"#.###", -0.5, D, "-.500"}, FixedCase{"#.###", -0.0004, D, "-.000"},
        FixedCase{"#.###", -0.9996, D, "%-1.000"},
        // Only the first digit not written decides, a negative value rounds
        // away from zero.
        FixedCase{"+##.###", -2.0005, D, "- 2.001"}, FixedCase{"+##.###", -2.00049999, D, "- 2.000"},
        FixedCase{"##.#####", 99.999996, D, "%100.00000"},
        FixedCase{"##.#####", 99.999995, D, "99.99999"}, FixedCase{"+##.##", -2.125, D, "- 2.13"},
        // Negative zero is no negative value.
        FixedCase{"+#.##", -0.0, D, "+0.00"}, FixedCase{"###", -0.0, I, "  0"}));

TEST(FormatFixed, DoubleNearest8005RoundsUpLikeTheSingle) {
  const double nearest = 8.005;
  const double below = std::nextafter(nearest, 0.0);
  ASSERT_EQ(expansion(nearest, 49), "8.0050000000000007815970093361102044582366943359375");
  ASSERT_EQ(expansion(below, 48), "8.004999999999999005240169935859739780426025390625");
  ASSERT_EQ(expansion(double(8.005f), 20), "8.00500011444091796875");
  EXPECT_EQ(format_fixed("+##.##", nearest), "+ 8.01");
  EXPECT_EQ(format_fixed("+##.##", below), "+ 8.00");
  EXPECT_EQ(format_fixed("+##.##", 8.005f), "+ 8.01");
}

TEST(FormatFixed, ShortDecimalsRoundOnTheirExactExpansion) {
  ASSERT_EQ(expansion(1.2345, 20).substr(0, 12), "1.2344999999");
  ASSERT_EQ(expansion(0.0005, 25).substr(0, 22), "0.00050000000000000001");
  ASSERT_EQ(expansion(999.995, 15).substr(0, 12), "999.99500000");
  EXPECT_EQ(format_fixed("#.###", 1.2345), "1.234");
  EXPECT_EQ(format_fixed("#.###", std::nextafter(1.2345, 2.0)), "1.235");
  EXPECT_EQ(format_fixed("#.###", 0.0005), "0.001");
  EXPECT_EQ(format_fixed("#.###", std::nextafter(0.0005, 0.0)), "0.000");
}

TEST(FormatFixed, OverflowLengthCountsMarkSignNumberAndPoint) {
  EXPECT_EQ(format_fixed("###.##", 1000.0).size(), 8u);
  EXPECT_EQ(format_fixed("+##.##", 100.0f).size(), 8u);
  EXPECT_EQ(format_fixed("+##.###", 1e20), "%+100000000000000000000.000");
  // Beyond 17 digits the text shows the exact digits of the binary value.
  EXPECT_EQ(format_fixed("##", 1e23), "%99999999999999991611392");
  EXPECT_EQ(format_fixed("###.##", -1e6), "%-1000000.00");
}

TEST(FormatFixed, ExtremeMagnitudes) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  EXPECT_EQ(format_fixed("+##.###", tiny), "+ 0.000");
  EXPECT_EQ(format_fixed("#.###", -tiny), "-.000");
  const std::string big = format_fixed("+##.###", std::numeric_limits<double>::max());
  EXPECT_EQ(big.size(), 1 + 1 + 309 + 4u);
  EXPECT_EQ(big.substr(0, 8), "%+179769");
  EXPECT_EQ(big.substr(big.size() - 4), ".000");
}

TEST(FormatFixed, NotFiniteRaisesFiveThroughEveryTemplate) {
  const double bad[] = {std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (const char* t : kTemplates)
    for (double v : bad)
      for (Kind k : {I, S, D}) EXPECT_EQ(error_of(t, v, k), 5) << t << ' ' << v;
  EXPECT_THROW(format_fixed("####.##", std::numeric_limits<float>::infinity()), NumberedError);
}

TEST(FormatFixed, TemplateOutsideTheGrammarRaisesFive) {
  for (const char* t : {"", "+", ".", "#.", ".#", "+.#", "++#", "#+", "##.#.#", "# #", "#,##", "-##",
                        "#.##+", "0.00", "#.# ", " #"})
    EXPECT_EQ(error_of(t, 1.5, D), 5) << '"' << t << '"';
  // Any template of the grammar renders, not only the program's twelve.
  EXPECT_EQ(format_fixed("+#####.#", -12.25), "-   12.3");
}

struct PlainCase {
  double value;
  PlainKind kind;
  const char* text;
};

std::ostream& operator<<(std::ostream& os, const PlainCase& c) {
  return os << c.value << " -> \"" << c.text << '"';
}

class PlainTable : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainTable, Renders) {
  const PlainCase& c = GetParam();
  const double v = c.kind == PlainKind::Single ? double(float(c.value)) : c.value;
  EXPECT_EQ(plain_number(v, c.kind), c.text);
}

constexpr PlainKind P16 = PlainKind::Int16, P32 = PlainKind::Int32, PU = PlainKind::UInt32,
                    PS = PlainKind::Single;

INSTANTIATE_TEST_SUITE_P(
    Kinds, PlainTable,
    ::testing::Values(
        PlainCase{0, P16, " 0"}, PlainCase{5, P16, " 5"}, PlainCase{90, P16, " 90"},
        PlainCase{-5, P16, "-5"}, PlainCase{723, P32, " 723"}, PlainCase{62, PU, " 62"},
        PlainCase{35, PS, " 35"}, PlainCase{300, PS, " 300"}, PlainCase{0, PS, " 0"},
        PlainCase{100, PS, " 100"}, PlainCase{0.5, PS, " .5"}, PlainCase{0.1, PS, " .1"},
        PlainCase{0.001234, PS, " .001234"}, PlainCase{0.00001, PS, " .00001"},
        PlainCase{0.0000001, PS, " .0000001"}, PlainCase{0.00000001, PS, " 1E-08"},
        PlainCase{0.0001234567, PS, " 1.234567E-04"}, PlainCase{1234.56, PS, " 1234.56"},
        PlainCase{1000000, PS, " 1000000"}, PlainCase{1234567.8, PS, " 1234568"},
        PlainCase{10000000, PS, " 1E+07"}, PlainCase{-12.25, PS, "-12.25"},
        PlainCase{12345678, PS, " 1.234568E+07"}, PlainCase{0.000000015, PS, " 1.5E-08"},
        // Extremes of the integer kinds.
        PlainCase{-32768, P16, "-32768"}, PlainCase{-2147483648.0, P32, "-2147483648"},
        PlainCase{4294967295.0, PU, " 4294967295"},
        // Negative zero, negative values in both forms, a carry through the
        // seven digits, and the largest and smallest singles.
        PlainCase{-0.0, PS, " 0"}, PlainCase{-0.5, PS, "-.5"}, PlainCase{-1.5e-8, PS, "-1.5E-08"},
        PlainCase{1.99999988079071044921875, PS, " 2"}, PlainCase{9999999, PS, " 9999999"},
        PlainCase{3.4028234663852886e38, PS, " 3.402823E+38"},
        PlainCase{1.4012984643248171e-45, PS, " 1.401298E-45"},
        // Exactly halfway between two 7-digit results: rounded half up.
        PlainCase{1234.5625, PS, " 1234.563"}, PlainCase{8388607.5, PS, " 8388608"}));

TEST(PlainNumber, NumberItemAddsOneBlank) {
  std::string line = std::string("Error") + vorn::number_item(62, PU) + "at line" + vorn::number_item(251, P32);
  EXPECT_EQ(line, "Error 62 at line 251 ");
  EXPECT_EQ(vorn::number_item(35, PS), " 35 ");
}

TEST(PlainNumber, TypedOverloadsPickTheirKind) {
  EXPECT_EQ(plain_number(int16_t(-5)), "-5");
  EXPECT_EQ(plain_number(uint32_t(62)), " 62");
  EXPECT_EQ(plain_number(0.1f), " .1");
}

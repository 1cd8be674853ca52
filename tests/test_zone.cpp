// Zone integration, the run constants of the reference pass and the figures
// of a row, on real FF Tables and Matrix files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "app/errors.h"
#include "gt/zone.h"
#include "pattern/ff_table.h"
#include "pattern/matrix.h"
#include "support/harness.h"
#include "tools/lib/writers.h"
#include "support/names.h"

using namespace vorn;
using vorn::test::Run;
using vorn::test::TempDir;

namespace {

// The figure to within its last digit, and rounded to as many decimals it
// reads exactly as given.
void expect_figure(double value, const std::string& text) {
  const size_t dot = text.find('.');
  const int decimals = dot == std::string::npos ? 0 : int(text.size() - dot - 1);
  EXPECT_NEAR(value, std::stod(text), std::pow(10.0, -decimals)) << text;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  EXPECT_EQ(std::string(buf), text);
}

struct Antenna {
  TempDir dir;
  vorn::test::Run r;

  // A constant table and the Matrix files of the given alphas; alpha 0 is
  // the identity, the others tilt (every source is a real point).
  Antenna(double dB, float t_sky, float t_earth, std::vector<int> alphas = {0, 5}) {
    tools::write_ff_table("table.txt", [dB](int, int) { return dB; });
    for (int a : alphas) tools::write_matrix(tools::matrix_path("", a), tools::tilt_sources(a));
    r.S.T_sky = t_sky;
    r.S.T_earth = t_earth;
    r.S.ff_name = "table.txt";
    check_ff_grid(r.S);
    read_ff_table(r.S);
  }
  // false when the program ended.
  bool reference() { return ends_not([&] { reference_pass(r.S); }); }
  bool row(int alpha) {
    return ends_not([&] {
      r.S.alpha = (int16_t)alpha;
      compute_row(r.S);
    });
  }
  template <class F>
  bool ends_not(F&& f) {
    try {
      f();
    } catch (const ProgramEnd&) {
      return false;
    }
    return true;
  }
  std::string screen() {
    std::string s;
    for (int i = 1; i <= 25; ++i) s += r.row(i) + "\n";
    return s;
  }
  int row_showing(const std::string& text) {
    for (int i = 1; i <= 25; ++i)
      if (r.row(i).find(text) != std::string::npos) return i;
    return 0;
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// The worked examples

TEST(Figures, IsotropicLossless) {
  Antenna t(0.0, 100, 300);
  ASSERT_TRUE(t.reference());
  State& S = t.r.S;
  expect_figure(S.Sky_zone[0], "6.28302580906");
  expect_figure(S.Earth_zone[0], "6.28302580906");
  expect_figure(S.Sky_zone_0, "6.283025741577148");
  expect_figure(S.Earth_zone_0, "6.283025741577148");
  expect_figure(S.Avg_Gain, "0.999974604346");
  expect_figure(S.Avg_Gain_dB, "-0.000110293326087");
  EXPECT_TRUE(is_lossless(S.Avg_Gain));
  EXPECT_EQ(S.T_loss, 0.0);
  // The reference row, made while the run constants were still 0.
  expect_figure(S.T_pattern[0], "200");
  EXPECT_EQ(S.T_total[0], 290.0);
  expect_figure(S.G_T[0], "-24.6239799790");

  ASSERT_TRUE(t.row(5));
  expect_figure(S.Sky_zone[5], "6.28302580906");
  expect_figure(S.Earth_zone[5], "6.28302580906");
  expect_figure(S.T_pattern[5], "200");
  EXPECT_EQ(S.T_total[5], S.T_pattern[5]);
  expect_figure(S.G_T[5], "-23.0102999566");
  // Showing alpha 0 again leaves the run constants alone.
  const float sky0 = S.Sky_zone_0;
  const double avg = S.Avg_Gain;
  ASSERT_TRUE(t.row(0));
  EXPECT_EQ(S.Sky_zone_0, sky0);
  EXPECT_EQ(S.Avg_Gain, avg);
  expect_figure(S.T_total[0], "200");
  expect_figure(S.G_T[0], "-23.0102999566");
}

TEST(Figures, LossyMinus3dB) {
  Antenna t(-3.0, 100, 300);
  ASSERT_TRUE(t.reference());
  State& S = t.r.S;
  expect_figure(S.Avg_Gain, "0.501174502887");
  expect_figure(S.Avg_Gain_dB, "-3.00011031726");
  expect_figure(S.T_loss, "288.640769491");
  EXPECT_FALSE(is_lossless(S.Avg_Gain));
  EXPECT_EQ(S.T_total[0], 290.0);
  ASSERT_TRUE(t.row(5));
  expect_figure(S.T_pattern[5], "200");
  expect_figure(S.T_total[5], "244.894294740");
  expect_figure(S.G_T[5], "-26.8897866756");
}

TEST(Figures, LossyAtZeroKelvin) {
  Antenna t(-3.0, 0, 0);
  ASSERT_TRUE(t.reference());
  ASSERT_TRUE(t.row(5));
  State& S = t.r.S;
  EXPECT_EQ(S.T_pattern[5], 0.0);
  expect_figure(S.T_total[5], "144.659394163");
  expect_figure(S.G_T[5], "-24.6034664193");
}

TEST(Figures, AboveUnityAverageCountsAsLossless) {
  Antenna t(1.0, 100, 300);
  ASSERT_TRUE(t.reference());
  State& S = t.r.S;
  EXPECT_GT(S.Avg_Gain, 1.0);
  EXPECT_EQ(S.T_loss, 0.0);
  ASSERT_TRUE(t.row(5));
  EXPECT_EQ(S.T_total[5], S.T_pattern[5]);
}

// Any Matrix file whose sources all lie in 1..65,341 leaves a constant
// pattern unchanged, so every alpha gives the same figures.
enum class Sources { Tilt, Random, Reversed, Single };

std::vector<int32_t> sources_of(Sources kind, int alpha) {
  if (kind == Sources::Tilt) return tools::tilt_sources(alpha);
  std::vector<int32_t> s(kPoints);
  std::mt19937 rng(unsigned(alpha) * 7919u + 1u);
  std::uniform_int_distribution<int32_t> any(1, kPoints);
  for (int i = 0; i < kPoints; ++i) {
    if (kind == Sources::Random) s[size_t(i)] = any(rng);
    if (kind == Sources::Reversed) s[size_t(i)] = kPoints - i;
    if (kind == Sources::Single) s[size_t(i)] = kPoints;
  }
  return s;
}

struct EveryAlphaCase {
  const char* name;
  double dB;
  float t_sky, t_earth;
  const char* zone;  // Sky_zone and Earth_zone, "" when not given
  const char *t_pattern, *t_total, *g_t;
};

void PrintTo(const EveryAlphaCase& c, std::ostream* os) { *os << c.name; }

class EveryAlpha : public ::testing::TestWithParam<EveryAlphaCase> {};

TEST_P(EveryAlpha, SameFiguresWhateverTheMatrixFilesHold) {
  const EveryAlphaCase& c = GetParam();
  Antenna t(c.dB, c.t_sky, c.t_earth, {0});
  const std::vector<std::pair<int, Sources>> rows{
      {1, Sources::Tilt}, {30, Sources::Tilt}, {90, Sources::Tilt},  {17, Sources::Random},
      {44, Sources::Reversed}, {89, Sources::Single}, {0, Sources::Tilt}};
  for (auto [a, kind] : rows)
    if (a != 0) tools::write_matrix(tools::matrix_path("", a), sources_of(kind, a));
  ASSERT_TRUE(t.reference()) << t.screen();
  State& S = t.r.S;
  for (auto [a, kind] : rows) {
    SCOPED_TRACE("alpha " + std::to_string(a));
    ASSERT_TRUE(t.row(a)) << t.screen();
    if (*c.zone) {
      expect_figure(S.Sky_zone[a], c.zone);
      expect_figure(S.Earth_zone[a], c.zone);
    }
    EXPECT_EQ(S.Sky_zone[a], S.Sky_zone[0]);
    EXPECT_EQ(S.Earth_zone[a], S.Earth_zone[0]);
    expect_figure(S.T_pattern[a], c.t_pattern);
    expect_figure(S.T_total[a], c.t_total);
    expect_figure(S.G_T[a], c.g_t);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Figures, EveryAlpha,
    ::testing::Values(
        EveryAlphaCase{"IsotropicLossless", 0.0, 100, 300, "6.28302580906", "200", "200", "-23.0102999566"},
        EveryAlphaCase{"LossyMinus3dB", -3.0, 100, 300, "", "200", "244.894294740", "-26.8897866756"},
        EveryAlphaCase{"LossyAtZeroKelvin", -3.0, 0, 0, "", "0", "144.659394163", "-24.6034664193"}),
    [](const auto& info) { return std::string(info.param.name); });

// The rule as a row applies it, on either side of its boundary.
struct RowRuleCase {
  const char* name;
  double avg;
  bool lossless;
};

void PrintTo(const RowRuleCase& c, std::ostream* os) { *os << c.name; }

class RowRule : public ::testing::TestWithParam<RowRuleCase> {};

TEST_P(RowRule, TotalIsPatternOnlyWhenLossless) {
  const RowRuleCase& c = GetParam();
  Antenna t(0.0, 100, 300, {0});
  ASSERT_TRUE(t.reference());
  State& S = t.r.S;
  S.Avg_Gain = c.avg;
  ASSERT_TRUE(t.row(0));
  if (c.lossless) {
    EXPECT_EQ(S.T_total[0], S.T_pattern[0]);
  } else {
    // T_pattern is 200: 290 - 90 * Avg_Gain, about 200.09.
    EXPECT_NEAR(S.T_total[0], 290.0 - 90.0 * c.avg, 1e-9);
  }
}

INSTANTIATE_TEST_SUITE_P(Zone, RowRule,
                         ::testing::Values(RowRuleCase{"At0_99900004", 0.99900004, false},
                                           RowRuleCase{"At0_99900005", 0.99900005, true},
                                           RowRuleCase{"AtThreshold", 0.9990000426769257, true},
                                           RowRuleCase{"JustBelowThreshold",
                                                       std::nextafter(0.9990000426769257, 0.0), false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Rows that end the program

TEST(Figures, LosslessAtZeroKelvinEndsAt717OnFirstRow) {
  Antenna t(0.0, 0, 0);
  ASSERT_TRUE(t.reference());  // T_total(0) is 290 there
  EXPECT_EQ(t.r.S.T_total[0], 290.0);
  EXPECT_FALSE(t.row(5));
  const int at = t.row_showing("Error 5 at line 717");
  ASSERT_GT(at, 0) << t.screen();
  EXPECT_EQ(t.r.row(at), "Error 5 at line 717");  // starts its own line
  EXPECT_EQ(t.r.row(at + 2), " Press any key to close the windows!");
  EXPECT_EQ(t.r.S.T_total[5], 0.0);
}

TEST(Figures, FarBelowFloorEndsAt351) {
  Antenna t(-999.99, 100, 300);
  EXPECT_FALSE(t.reference());
  State& S = t.r.S;
  EXPECT_GT(S.Sky_zone[0], 0.0);  // not 0, but 0 in single precision
  EXPECT_EQ(S.Sky_zone_0, 0.0f);
  EXPECT_EQ(S.Earth_zone_0, 0.0f);
  EXPECT_EQ(S.Avg_Gain, 0.0);
  EXPECT_EQ(S.T_total[0], 290.0);
  expect_figure(S.T_pattern[0], "200");
  const int at = t.row_showing("Error 5 at line 351");
  ASSERT_GT(at, 0);
  EXPECT_EQ(t.r.row80(at).substr(0, 20), "Error 5 at line 351 ");
}

TEST(Figures, MatrixNamingNoPointEndsAt723) {
  Antenna t(0.0, 100, 300, {});
  tools::write_matrix(tools::matrix_path("", 0), std::vector<int32_t>(kPoints, 0));
  EXPECT_FALSE(t.reference());
  State& S = t.r.S;
  EXPECT_TRUE(std::isnan(S.T_pattern[0]));
  EXPECT_TRUE(std::isnan(S.T_total[0]));
  EXPECT_TRUE(std::isnan(S.G_T[0]));
  const int at = t.row_showing("Error 5 at line 723");
  ASSERT_GT(at, 0);
  // The row's first 18 characters, then the message on the same line.
  EXPECT_EQ(t.r.row(at), "       0          Error 5 at line 723");
  // Step 351 was never reached.
  EXPECT_EQ(S.Avg_Gain, 0.0);
}

// ---------------------------------------------------------------------------
// integrate_zone weights

struct WeightCase {
  const char* name;
  int phi, theta;
  double sky, earth;
};

void PrintTo(const WeightCase& c, std::ostream* os) { *os << c.name; }

class Weight : public ::testing::TestWithParam<WeightCase> {};

TEST_P(Weight, OnePointInBothZones) {
  const WeightCase& c = GetParam();
  vorn::test::Run r;
  r.S.Rot_Gain[point_index(c.phi, c.theta)] = 1.0;
  r.S.theta_from = 0;
  r.S.theta_to = 90;
  integrate_zone(r.S);
  EXPECT_DOUBLE_EQ(r.S.Zone_Sum, c.sky);
  r.S.theta_from = 90;
  r.S.theta_to = 180;
  integrate_zone(r.S);
  EXPECT_DOUBLE_EQ(r.S.Zone_Sum, c.earth);
}

const double kDeg = 3.141592653589793 / 180;

INSTANTIATE_TEST_SUITE_P(
    Zone, Weight,
    ::testing::Values(WeightCase{"HorizonFullPhi", 5, 90, 0.5, 0.5},
                      WeightCase{"HorizonPhi0", 0, 90, 0.25, 0.25},
                      WeightCase{"HorizonPhi360", 360, 90, 0.25, 0.25},
                      WeightCase{"Zenith", 7, 0, 0.0, 0.0},
                      WeightCase{"Nadir", 7, 180, 0.0, std::sin(180 * kDeg) / 2},
                      WeightCase{"Sky45", 7, 45, std::sin(45 * kDeg), 0.0},
                      WeightCase{"Sky1", 7, 1, std::sin(1 * kDeg), 0.0},
                      WeightCase{"Sky89Phi0", 0, 89, std::sin(89 * kDeg) / 2, 0.0},
                      WeightCase{"Earth91", 300, 91, 0.0, std::sin(91 * kDeg)},
                      WeightCase{"Earth179Phi360", 360, 179, 0.0, std::sin(179 * kDeg) / 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Zone, PhiSumOfEachAzimuth) {
  vorn::test::Run r;
  for (int theta = 0; theta <= 180; ++theta) r.S.Rot_Gain[point_index(17, theta)] = 2.0;
  r.S.theta_from = 0;
  r.S.theta_to = 90;
  integrate_zone(r.S);
  for (int phi = 0; phi <= 360; ++phi) {
    if (phi != 17) {
      EXPECT_EQ(r.S.Phi_Sum[phi], 0.0) << phi;
    }
  }
  // 2 * (sum of sines 1..89 + 1/2) ~ 2 * (cot(0.5 deg) / 2)
  EXPECT_NEAR(r.S.Phi_Sum[17], 1.0 / std::tan(0.5 * kDeg), 1e-9);
  EXPECT_EQ(r.S.Zone_Sum, r.S.Phi_Sum[17]);
}

// ---------------------------------------------------------------------------
// The lossless rule and the logarithm

struct LosslessCase {
  double avg;
  bool lossless;
};

void PrintTo(const LosslessCase& c, std::ostream* os) { *os << test::number_name(c.avg); }

class Lossless : public ::testing::TestWithParam<LosslessCase> {};

TEST_P(Lossless, SinglePrecisionComparison) {
  EXPECT_EQ(is_lossless(GetParam().avg), GetParam().lossless) << GetParam().avg;
}

INSTANTIATE_TEST_SUITE_P(Zone, Lossless,
                         ::testing::Values(LosslessCase{0.99900004, false}, LosslessCase{0.99900005, true},
                                           LosslessCase{0.9990000426769257, true},
                                           LosslessCase{std::nextafter(0.9990000426769257, 0.0), false},
                                           LosslessCase{0.999, false}, LosslessCase{1.0, true},
                                           LosslessCase{2.5, true}, LosslessCase{0.0, false},
                                           LosslessCase{NAN, false}, LosslessCase{INFINITY, true}),
                         ::testing::PrintToStringParamName());

TEST(Zone, LosslessThresholdIsHalfAStepAbove0999f) {
  EXPECT_EQ(0.9990000426769257, double(0.999f) + 0x1p-25);
}

TEST(Zone, LogarithmRefusesZeroAndBelow) {
  for (double x : {0.0, -0.0, -1.0, -1e-300, -double(INFINITY)}) {
    try {
      checked_ln(x);
      ADD_FAILURE() << x;
    } catch (const NumberedError& e) {
      EXPECT_EQ(e.number, 5);
    }
  }
  EXPECT_TRUE(std::isnan(checked_ln(NAN)));
  EXPECT_EQ(checked_ln(INFINITY), INFINITY);
  EXPECT_EQ(checked_ln(1.0), 0.0);
  EXPECT_EQ(checked_ln(10.0), 2.302585092994046);
}

TEST(Zone, LogarithmIsExtendedRoundedToDouble) {
  // Where the double logarithm and the extended one rounded to double part,
  // the extended one is taken.
  int parted = 0;
  for (int i = 1; i <= 200000 && parted < 20; ++i) {
    const double x = 1.0 + i * 0.0137;
    const double extended = (double)logl((long double)x);
    if (extended != std::log(x)) {
      ++parted;
      EXPECT_EQ(checked_ln(x), extended) << x;
    }
  }
  EXPECT_GT(parted, 0);
}

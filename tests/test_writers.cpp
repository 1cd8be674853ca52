#include "tools/lib/writers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/errors.h"
#include "app/state.h"
#include "pattern/ff_table.h"
#include "gt/zone.h"
#include "pattern/matrix.h"
#include "tests/support/harness.h"

namespace vorn::tools {
namespace {

constexpr double kDeg = 3.141592653589793 / 180.0;

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Splits on CR LF and fails on any bare CR or LF.
std::vector<std::string> crlf_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "last line lacks CR LF";
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "bare line end in: " << line;
    lines.push_back(line);
    pos = end + 2;
  }
  return lines;
}

// Characters from (1-based) first to last.
std::string chars(const std::string& line, size_t first, size_t last) {
  if (line.size() < first) return "";
  return line.substr(first - 1, last - first + 1);
}

// The line number of (phi, theta), from the reading order: blocks theta 180 down to 0, lines phi 0 up to 360.
size_t data_line(int phi, int theta) { return 9 + (180 - theta) * 364 + 3 + phi + 1; }

double pattern(int phi, int theta) { return phi * 0.01 - theta * 0.1; }

TEST(FFTableWriter, DefaultLayoutCarriesEveryPointAtItsLine) {
  test::TempDir dir;
  write_ff_table("t.txt", pattern);
  auto lines = crlf_lines(slurp("t.txt"));
  ASSERT_EQ(lines.size(), 65893u);
  for (int theta : {180, 91, 90, 0}) {
    for (int phi : {0, 1, 9, 10, 99, 100, 359, 360}) {
      const std::string& line = lines[data_line(phi, theta) - 1];
      char az[8];
      std::snprintf(az, sizeof az, "%3d", phi);
      EXPECT_EQ(chars(line, 1, 3), az) << line;
      std::string field = chars(line, 26, 35);
      ASSERT_EQ(field.size(), 10u) << line;
      EXPECT_EQ(field[7], '.') << line;
      EXPECT_EQ(field.find(','), std::string::npos);
      EXPECT_NEAR(std::stod(field), pattern(phi, theta), 0.005) << line;
    }
  }
  EXPECT_EQ(chars(lines[12], 1, 3), "  0");
  EXPECT_EQ(chars(lines[13], 1, 3), "  1");
  EXPECT_EQ(chars(lines.back(), 1, 3), "360");
}

TEST(FFTableWriter, FieldHoldsTwoDecimalsRightAligned) {
  struct Case { double value; const char* field; };
  const Case cases[] = {
      {-12.34, "    -12.34"}, {15.0, "     15.00"},     {0.004, "      0.00"},
      {-0.004, "      0.00"}, {-999.99, "   -999.99"},  {-1234.5, "  -1234.50"},
      {-1e9, "-999999.99"},   {1e12, "9999999.99"},     {-INFINITY, "-999999.99"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    write_ff_table("t.txt", [&](int, int) { return c.value; });
    auto lines = crlf_lines(slurp("t.txt"));
    EXPECT_EQ(chars(lines[12], 26, 35), c.field) << c.value;
    EXPECT_EQ(chars(lines[12], 26, 35).size(), 10u);
  }
}

TEST(FFTableWriter, DecimalCommaSitsInCharacter33OfEveryDataLine) {
  test::TempDir dir;
  FFTableOptions o;
  o.decimal_comma = true;
  write_ff_table("t.txt", [](int, int) { return -12.34; }, o);
  auto lines = crlf_lines(slurp("t.txt"));
  ASSERT_EQ(lines.size(), 65893u);
  for (int theta = 180; theta >= 0; --theta)
    for (int phi = 0; phi <= 360; ++phi)
      ASSERT_EQ(chars(lines[data_line(phi, theta) - 1], 26, 35), "    -12,34") << phi << " " << theta;
}

TEST(FFTableWriter, OptionsChangeTheLayoutAsTheReaderWouldSee) {
  struct Case {
    const char* name;
    FFTableOptions o;
    size_t lines;
    const char* az13;
    const char* az14;
  };
  auto opt = [](auto set) { FFTableOptions o; set(o); return o; };
  const Case cases[] = {
      {"phi step 5", opt([](auto& o) { o.phi_step = 5; }), 9 + 181 * (3 + 73), "  0", "  5"},
      {"theta step 2", opt([](auto& o) { o.theta_step = 2; }), 9 + 91 * 364, "  0", "  1"},
      {"theta step 5", opt([](auto& o) { o.theta_step = 5; }), 9 + 37 * 364, "  0", "  1"},
      {"header 10", opt([](auto& o) { o.header_lines = 10; }), 65894, "Az ", "  0"},
      {"header 8", opt([](auto& o) { o.header_lines = 8; }), 65892, "  1", "  2"},
      {"keep 13", opt([](auto& o) { o.keep_lines = 13; }), 13, "  0", nullptr},
      {"keep 65892", opt([](auto& o) { o.keep_lines = 65892; }), 65892, "  0", "  1"},
      {"keep more", opt([](auto& o) { o.keep_lines = 70000; }), 65893, "  0", "  1"},
      {"keep 0", opt([](auto& o) { o.keep_lines = 0; }), 0, nullptr, nullptr},
      {"extra 3", opt([](auto& o) { o.extra_lines = 3; }), 65896, "  0", "  1"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    write_ff_table("t.txt", pattern, c.o);
    auto lines = crlf_lines(slurp("t.txt"));
    ASSERT_EQ(lines.size(), c.lines) << c.name;
    if (c.az13) {
      EXPECT_EQ(chars(lines[12], 1, 3), c.az13) << c.name;
    }
    if (c.az14) {
      EXPECT_EQ(chars(lines[13], 1, 3), c.az14) << c.name;
    }
  }
}

TEST(FFTableWriter, CoarseGridsStillEndEachBlockAt360) {
  test::TempDir dir;
  FFTableOptions o;
  o.phi_step = 5;
  write_ff_table("t.txt", pattern, o);
  auto lines = crlf_lines(slurp("t.txt"));
  EXPECT_EQ(chars(lines.back(), 1, 3), "360");
  EXPECT_EQ(chars(lines[9 + 3 + 72], 1, 3), "360");
  EXPECT_NEAR(std::stod(chars(lines.back(), 26, 35)), pattern(360, 0), 0.005);
}

TEST(MatrixWriter, OneRecordPerLineWithTheSourceInCharacters14To22) {
  test::TempDir dir;
  std::vector<int32_t> source(kPoints);
  for (int i = 0; i < kPoints; ++i) source[i] = (i * 7919) % (kPoints + 1);  // 0..65341
  source[5] = -1;
  source[6] = 65342;
  write_matrix("m.txt", source);
  auto lines = crlf_lines(slurp("m.txt"));
  ASSERT_EQ(lines.size(), static_cast<size_t>(kPoints));
  for (int i = 0; i < kPoints; ++i) {
    const std::string& line = lines[i];
    // The reader counts characters after leading blanks and tabs.
    ASSERT_NE(line[0], ' ');
    ASSERT_NE(line[0], '\t');
    ASSERT_EQ(line.find_first_of(",\""), std::string::npos);
    std::string field = chars(line, 14, 22);
    ASSERT_EQ(field.size(), 9u);
    ASSERT_NE(field.back(), ' ');
    ASSERT_EQ(std::stol(field), source[i]) << line;
  }
}

TEST(MatrixWriter, WritesAsManyRecordsAsGiven) {
  test::TempDir dir;
  std::vector<int32_t> source = identity_sources();
  source.pop_back();
  write_matrix("m.txt", source);
  EXPECT_EQ(crlf_lines(slurp("m.txt")).size(), static_cast<size_t>(kPoints - 1));
}

TEST(MatrixWriter, IdentityNamesEachPointItself) {
  auto id = identity_sources();
  ASSERT_EQ(id.size(), static_cast<size_t>(kPoints));
  for (int i = 0; i < kPoints; ++i) ASSERT_EQ(id[i], i + 1);
}

TEST(MatrixWriter, PathCarriesTwoDigits) {
  struct Case { std::string folder; int alpha; std::string path; };
  const Case cases[] = {
      {"", 0, "FFstep1_phi2_theta2_basic_00_V2-0.txt"},
      {"d", 9, "d/FFstep1_phi2_theta2_basic_09_V2-0.txt"},
      {"d/", 10, "d/FFstep1_phi2_theta2_basic_10_V2-0.txt"},
      {"/a/b", 90, "/a/b/FFstep1_phi2_theta2_basic_90_V2-0.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(matrix_path(c.folder, c.alpha), c.path);
}

struct Dir { double x, y, z; };
Dir direction(int phi, int theta) {
  return {std::sin(theta * kDeg) * std::cos(phi * kDeg), std::sin(theta * kDeg) * std::sin(phi * kDeg),
          std::cos(theta * kDeg)};
}
Dir point_direction(int32_t index) { return direction((index - 1) / 181, (index - 1) % 181); }
double angle(Dir a, Dir b) {
  double c = a.x * b.x + a.y * b.y + a.z * b.z;
  return std::acos(std::clamp(c, -1.0, 1.0)) / kDeg;
}

TEST(Tilt, AlphaZeroIsExactlyTheIdentity) { EXPECT_EQ(tilt_sources(0), identity_sources()); }

TEST(Tilt, EverySourceIsAGridPointWithPhi360AndPolesFolded) {
  for (int alpha = 1; alpha <= 90; ++alpha) {
    auto src = tilt_sources(alpha);
    ASSERT_EQ(src.size(), static_cast<size_t>(kPoints));
    for (int32_t j : src) {
      ASSERT_GE(j, 1) << alpha;
      ASSERT_LE(j, kPoints) << alpha;
      int phi = (j - 1) / 181, theta = (j - 1) % 181;
      ASSERT_NE(phi, 360) << alpha;
      if (theta == 0 || theta == 180) {
        ASSERT_EQ(phi, 0) << alpha;
      }
    }
  }
}

// The tilt is a rotation that raises the boresight to elevation alpha about
// the axis through azimuths 90 and 270: it keeps every direction's angle to
// that axis and carries the boresight and the zenith along. Rounding to the
// grid moves a source by at most half a degree in theta and in phi.
TEST(Tilt, IsTheRotationRaisingTheBoresightWithinTheGrid) {
  const double tol = 0.7072;
  for (int alpha : {1, 7, 30, 45, 60, 89, 90}) {
    auto src = tilt_sources(alpha);
    const double a = alpha * kDeg;
    const Dir boresight_t{std::cos(a), 0, std::sin(a)}, zenith_t{-std::sin(a), 0, std::cos(a)};
    const Dir boresight{1, 0, 0}, zenith{0, 0, 1}, axis{0, 1, 0};
    double worst = 0;
    for (int phi = 0; phi <= 360; ++phi)
      for (int theta = 0; theta <= 180; ++theta) {
        Dir d = direction(phi, theta);
        Dir s = point_direction(src[point_index(phi, theta) - 1]);
        worst = std::max({worst, std::abs(angle(d, boresight_t) - angle(s, boresight)),
                          std::abs(angle(d, zenith_t) - angle(s, zenith)),
                          std::abs(angle(d, axis) - angle(s, axis))});
      }
    EXPECT_LE(worst, tol) << "alpha " << alpha;
  }
}

TEST(Tilt, AlphaNinetyPutsTheBoresightAtTheZenith) {
  auto src = tilt_sources(90);
  for (int phi = 0; phi <= 360; ++phi) ASSERT_EQ(src[point_index(phi, 0) - 1], point_index(0, 90)) << phi;
  // ... and the zenith at azimuth 180 on the horizon.
  EXPECT_EQ(src[point_index(180, 90) - 1], point_index(0, 0));
}

// A single strong lobe at the horizon, azimuth 0, falling off with angle.
double lobe(int phi, int theta) { return 20.0 - angle(direction(phi, theta), {1, 0, 0}); }

TEST(Tilt, TiltedLobePeaksAtElevationAlpha) {
  for (int alpha : {10, 30, 60}) {
    auto src = tilt_sources(alpha);
    std::vector<double> tilted(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      int32_t j = src[i] - 1;
      tilted[i] = lobe(j / 181, j % 181);
    }
    const double peak = *std::max_element(tilted.begin(), tilted.end());
    EXPECT_DOUBLE_EQ(peak, lobe(0, 90)) << alpha;
    const int theta = 90 - alpha;
    EXPECT_EQ(tilted[point_index(0, theta) - 1], peak) << alpha;
    EXPECT_EQ(tilted[point_index(360, theta) - 1], peak) << alpha;
    // Every point that shows the peak lies next to elevation alpha, azimuth 0.
    for (int i = 0; i < kPoints; ++i)
      if (tilted[i] == peak) {
        EXPECT_LE(angle(point_direction(i + 1), direction(0, theta)), 1.5) << alpha << " point " << i + 1;
      }
  }
}

// The same through the program's own reader and gather: the directional
// table's main lobe, tilted by 30, peaks at elevation 30 on azimuth 0.
TEST(Tilt, ReadTableTiltedBy30PeaksAtElevation30) {
  test::TempDir dir;
  write_ff_table("lobe.txt", directional_gain);
  write_matrix(matrix_path("", 30), tilt_sources(30));
  test::Session r;
  r.S.ff_name = "lobe.txt";
  check_ff_grid(r.S);
  read_ff_table(r.S);
  ASSERT_EQ(r.S.theta_max, 90);
  r.S.alpha = 30;
  form_alpha_text(r.S);
  load_matrix(r.S);
  const auto& g = r.S.Rot_Gain;
  const auto top = std::max_element(g.begin() + 1, g.end());
  EXPECT_EQ(*top, r.S.Cell_Gain[point_index(0, 90)]);
  const int k = int(top - g.begin());
  EXPECT_EQ(90 - (k - 1) % 181, 30);
  EXPECT_EQ(g[point_index(0, 60)], *top);
  EXPECT_EQ(g[point_index(360, 60)], *top);
  // Elevation 0 on azimuth 0 now lies 30 degrees off the boresight.
  EXPECT_LT(g[point_index(0, 90)], *top / 2);
}

// A passive antenna radiates less than it takes in: the sample table must
// integrate to an average gain a little below 1, so that its rows show the
// loss temperature as real tables do.
TEST(DirectionalGain, IntegratesLikeAnAntennaWithSomeLoss) {
  test::TempDir dir;
  write_ff_table("lobe.txt", directional_gain);
  write_matrix(matrix_path("", 0), identity_sources());
  test::Session r;
  r.S.ff_name = "lobe.txt";
  r.S.T_sky = 20;
  r.S.T_earth = 290;
  check_ff_grid(r.S);
  read_ff_table(r.S);
  reference_pass(r.S);
  EXPECT_GT(r.S.Avg_Gain, 0.85);
  EXPECT_LT(r.S.Avg_Gain, 0.97);
  EXPECT_FALSE(is_lossless(r.S.Avg_Gain));
  EXPECT_GT(r.S.T_loss, 5.0);
}

TEST(Tilt, AllMatricesAreWrittenWithTheirSources) {
  test::TempDir dir;
  std::filesystem::create_directory("m");
  write_all_matrices("m");
  for (int alpha = 0; alpha <= 90; ++alpha)
    ASSERT_TRUE(std::filesystem::exists(matrix_path("m", alpha))) << alpha;
  for (int alpha : {0, 45, 90}) {
    auto lines = crlf_lines(slurp(matrix_path("m", alpha)));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kPoints));
    auto src = tilt_sources(alpha);
    for (int i = 0; i < kPoints; i += 97) ASSERT_EQ(std::stol(chars(lines[i], 14, 22)), src[i]) << alpha;
  }
}

TEST(DirectionalGain, LooksLikeADirectionalAntenna) {
  double peak = -1e9, lowest = 1e9;
  int peak_phi = -1, peak_theta = -1;
  for (int phi = 0; phi <= 360; ++phi)
    for (int theta = 0; theta <= 180; ++theta) {
      double g = directional_gain(phi, theta);
      EXPECT_DOUBLE_EQ(g, std::round(g * 100) / 100);
      if (g > peak) peak = g, peak_phi = phi, peak_theta = theta;
      lowest = std::min(lowest, g);
    }
  EXPECT_EQ(peak_phi, 0);
  EXPECT_EQ(peak_theta, 90);
  EXPECT_NEAR(peak, 15.0, 1.0);
  EXPECT_NEAR(lowest, -25.0, 1.0);
  EXPECT_EQ(directional_gain(0, 90), directional_gain(360, 90));
  // Half power 15..20 degrees off boresight, both in azimuth and elevation.
  for (auto [phi, theta] : {std::pair{15, 90}, {345, 90}, {0, 75}, {0, 105}})
    EXPECT_GT(directional_gain(phi, theta), peak - 3.0) << phi << " " << theta;
  for (auto [phi, theta] : {std::pair{20, 90}, {340, 90}, {0, 70}, {0, 110}})
    EXPECT_LT(directional_gain(phi, theta), peak - 3.0) << phi << " " << theta;
  // Side lobes, back lobe.
  double side = directional_gain(90, 90), back = directional_gain(180, 90);
  EXPECT_GE(side, -6.0);
  EXPECT_LE(side, 0.5);
  EXPECT_NEAR(back, -10.0, 2.0);
}

}  // namespace
}  // namespace vorn::tools

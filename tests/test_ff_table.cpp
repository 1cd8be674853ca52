// The FF Table reader on real files: grid test, line count, values, decimal
// commas, the maximum and its direction, and the cell gains.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <sstream>

#include "app/errors.h"
#include "pattern/ff_table.h"
#include "support/harness.h"
#include "tools/lib/writers.h"

using namespace vorn;
using vorn::test::Run;
using vorn::test::TempDir;
using vorn::tools::FFTableOptions;
using vorn::tools::write_ff_table;

namespace {

const char* const kTable = "table.txt";
const std::string kGridMessage = " The FF Table must be of 1 deg. resolution but is not!";
const std::string kFormat1 = " The FF Table file is not in accordance with the right format";
const std::string kFormat2 = " (number of lines and/or content of lines).";
const std::string kCommaNote = " Replacing commas by dots, please wait a little more!";

std::vector<std::string> load_lines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string text = ss.str();
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

void save_lines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& l : lines) out << l << "\r\n";
}

// Line number (from 1) of the data line of (phi, theta) in a standard table.
size_t data_line(int phi, int theta) { return 9 + size_t(180 - theta) * 364 + 3 + size_t(phi) + 1; }

// A data line with the given characters from 26 on, azimuth kept.
std::string data_text(int phi, const std::string& from26) {
  char head[26];
  std::snprintf(head, sizeof head, "%3d%22s", phi, "");
  return std::string(head) + from26;
}

enum class Outcome { Read, Ended };

struct Reader {
  TempDir dir;
  Run r;

  Outcome read(const std::string& name = kTable) {
    r.S.ff_name = name;
    try {
      check_ff_grid(r.S);
      read_ff_table(r.S);
    } catch (const ProgramEnd&) {
      return Outcome::Ended;
    }
    return Outcome::Read;
  }
  std::string screen() {
    std::string s;
    for (int i = 1; i <= 25; ++i) s += r.row(i) + "\n";
    return s;
  }
  bool shows(const std::string& line) {
    for (int i = 1; i <= 25; ++i)
      if (r.row(i) == line) return true;
    return false;
  }
};

double zero(int, int) { return 0.0; }

}  // namespace

// ---------------------------------------------------------------------------
// Cell gains

TEST(CellGain, SolidAngleOfOneDegreeCell) {
  // 0 dBi gives (pi/180)^2 to double precision.
  EXPECT_EQ(cell_gain_of(0.0), 3.0461741978670857e-4);
}

TEST(CellGain, BitForBitWithExtendedComputation) {
  std::vector<double> values{-999.99, 0.0, -3.0, 30.0, 0.01, -0.01, 15.37, -25.0, -460.0};
  std::mt19937_64 rng(20240611);
  std::uniform_int_distribution<int> hundredths(-100000, 10000);
  for (int i = 0; i < 2000; ++i) values.push_back(double((long double)hundredths(rng) / 100.0L));

  const long double deg = (long double)3.141592653589793 / 180.0L;
  const long double cell = deg * deg;
  int differs_from_double = 0, differs_from_double_deg = 0;
  for (double v : values) {
    const double expected = (double)(powl(10.0L, (long double)v / 10.0L) * cell);
    const double got = cell_gain_of(v);
    ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << "Tot_dB " << v;
    // The spread must tell the one rounding from the plausible shortcuts.
    const double all_double = std::pow(10.0, v / 10.0) * std::pow(3.141592653589793 / 180.0, 2.0);
    if (all_double != got) ++differs_from_double;
    const double d = 3.141592653589793 / 180.0;
    const double deg_rounded = (double)(powl(10.0L, (long double)v / 10.0L) * powl((long double)d, 2.0L));
    if (deg_rounded != got) ++differs_from_double_deg;
  }
  EXPECT_GT(differs_from_double, 0);
  EXPECT_GT(differs_from_double_deg, 0);
}

// ---------------------------------------------------------------------------
// A correct table

TEST(FFTable, ReadsEveryPointInBlockOrder) {
  Reader t;
  // A value unique to each point, two decimals.
  auto gain = [](int phi, int theta) { return -(theta * 400 + phi) / 100.0; };
  write_ff_table(kTable, gain);
  ASSERT_EQ(t.read(), Outcome::Read);
  for (int phi = 0; phi <= 360; ++phi)
    for (int theta = 0; theta <= 180; ++theta) {
      const int k = point_index(phi, theta);
      const double expected = (double)((long double)-(theta * 400 + phi) / 100.0L);
      ASSERT_EQ(t.r.S.Tot_dB[k], expected) << phi << " " << theta;
      ASSERT_EQ(t.r.S.Cell_Gain[k], cell_gain_of(expected));
    }
  EXPECT_EQ(t.r.S.Tot_dB[0], 0.0);
  EXPECT_EQ(t.r.S.Cell_Gain[0], 0.0);
  // Highest value -0.00 at theta 0, phi 0; point 91 is lower.
  EXPECT_EQ(t.r.S.Max_Gain, 0.0f);
  EXPECT_EQ(t.r.S.phi_max, 0);
  EXPECT_EQ(t.r.S.theta_max, 0);
  EXPECT_FALSE(t.r.S.files.is_open(1));
}

TEST(FFTable, TitlePauseAndProgressLines) {
  Reader t;
  write_ff_table("my table.txt", zero);
  const int64_t before = t.r.host.now_ms();
  ASSERT_EQ(t.read("my table.txt"), Outcome::Read);
  EXPECT_EQ(*t.r.con().title(), "VORN v3.05         FFTab: my table.txt");
  EXPECT_GE(t.r.host.now_ms() - before, 2000);
  EXPECT_EQ(t.r.row(1), "");
  EXPECT_EQ(t.r.row(2), " Extracting the 65,341 Tot_dB values from the FF Table,");
  EXPECT_EQ(t.r.row(3), " looking at any possible comma and preparing");
  EXPECT_EQ(t.r.row(4), " the 65,341 elements for the double integration,");
  EXPECT_EQ(t.r.row(5), " please, wait ...");
  EXPECT_EQ(t.r.fg(2, 2), 7);
  EXPECT_EQ(t.r.screen().row(), 6);
  EXPECT_EQ(t.r.S.last_checkpoint, 130);
}

// ---------------------------------------------------------------------------
// Grid test, length and the last line

enum class Ends { Read, Grid, Format, Generic };

struct LayoutCase {
  const char* name;
  FFTableOptions options;
  std::function<void(std::vector<std::string>&)> patch;
  Ends ends;
  const char* generic = "";  // the generic message's line
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, EndsAsExpected) {
  const LayoutCase& c = GetParam();
  Reader t;
  write_ff_table(kTable, zero, c.options);
  if (c.patch) {
    auto lines = load_lines(kTable);
    c.patch(lines);
    save_lines(kTable, lines);
  }
  const Outcome o = t.read();
  SCOPED_TRACE(t.screen());
  EXPECT_EQ(o, c.ends == Ends::Read ? Outcome::Read : Outcome::Ended);
  EXPECT_EQ(t.shows(kGridMessage), c.ends == Ends::Grid);
  EXPECT_EQ(t.shows(kFormat1) && t.shows(kFormat2), c.ends == Ends::Format);
  if (c.ends == Ends::Grid || c.ends == Ends::Format) {
    EXPECT_EQ(t.r.row(25), "Press any key to continue");
    EXPECT_TRUE(t.shows(" Please close the program window ..."));
  }
  if (c.ends == Ends::Generic) {
    EXPECT_TRUE(t.shows(c.generic));
    EXPECT_TRUE(t.shows(" Press any key to close the windows!"));
  }
  if (c.ends == Ends::Read) {
    EXPECT_FALSE(t.r.S.files.is_open(1));
  }
}

auto set_line(size_t n, std::string text) {
  return [n, text](std::vector<std::string>& l) { l[n - 1] = text; };
}

INSTANTIATE_TEST_SUITE_P(
    FFTable, Layout,
    ::testing::Values(
        LayoutCase{"ExactLength", {}, nullptr, Ends::Read},
        LayoutCase{"LongerFile", {.extra_lines = 50}, nullptr, Ends::Read},
        LayoutCase{"FiveDegreeAzimuth", {.phi_step = 5}, nullptr, Ends::Grid},
        LayoutCase{"HeaderOneLineLonger", {.header_lines = 10}, nullptr, Ends::Grid},
        // Lines 13 and 14 are then the data lines of phi 1 and 2.
        LayoutCase{"HeaderOneLineShorter", {.header_lines = 8}, nullptr, Ends::Format},
        LayoutCase{"TwoDegreeElevation", {.theta_step = 2}, nullptr, Ends::Format},
        // 1.1f - 0.1f is 1 in single precision but not in extended.
        LayoutCase{"AzimuthsDifferByOneOnlyInSingle", {},
                   [](auto& l) { l[12].replace(0, 3, "0.1"); l[13].replace(0, 3, "1.1"); }, Ends::Grid},
        LayoutCase{"FractionalAzimuthsOneApart", {},
                   [](auto& l) { l[12].replace(0, 3, "0.5"); l[13].replace(0, 3, "1.5"); }, Ends::Read},
        LayoutCase{"AzimuthsNotNumbers", {}, [](auto& l) { l[12] = "abc"; l[13] = "def"; }, Ends::Grid},
        LayoutCase{"MissingLineInBlocks", {}, [](auto& l) { l.erase(l.begin() + 30000); }, Ends::Format},
        LayoutCase{"ExtraLineInBlocks", {}, [](auto& l) { l.insert(l.begin() + 30000, "stray"); }, Ends::Format},
        // The count is right again, but the last line read is not phi 360.
        LayoutCase{"MissingLineAndExtraAtEnd", {.extra_lines = 1},
                   [](auto& l) { l.erase(l.begin() + 30000); }, Ends::Format},
        // Nothing but the count and the last line is checked: one line too
        // many early and one too few later shift only the values between.
        LayoutCase{"ExtraAndMissingLineInBlocksUnnoticed", {},
                   [](auto& l) { l.insert(l.begin() + 30000, "stray"); l.erase(l.begin() + 40000); }, Ends::Read},
        // Lines after 65,893 are never read, so they cannot end the program.
        LayoutCase{"LongerFileWithShortLastLines", {.extra_lines = 2},
                   [](auto& l) { l[65893] = ""; l[65894] = "x"; }, Ends::Read},
        LayoutCase{"LastLineLongerAzimuthText", {}, set_line(65893, "3600 whatever"), Ends::Read},
        LayoutCase{"LastLineLeadingBlank", {}, set_line(65893, " 360"), Ends::Format},
        LayoutCase{"LastLineTwoCharacters", {}, set_line(65893, "36"), Ends::Format},
        LayoutCase{"LastBlockHeaderMissing", {.keep_lines = 9 + 180 * 364 + 2}, nullptr, Ends::Format},
        LayoutCase{"LastDataLineMissing", {.keep_lines = 65892}, nullptr, Ends::Format},
        LayoutCase{"FourteenLines", {.keep_lines = 14}, nullptr, Ends::Format},
        LayoutCase{"Empty", {.keep_lines = 0}, nullptr, Ends::Generic, "Error 62 at line 251"},
        LayoutCase{"ElevenLines", {.keep_lines = 11}, nullptr, Ends::Generic, "Error 62 at line 251"},
        LayoutCase{"TwelveLines", {.keep_lines = 12}, nullptr, Ends::Generic, "Error 62 at line 253"},
        LayoutCase{"ThirteenLines", {.keep_lines = 13}, nullptr, Ends::Generic, "Error 62 at line 256"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FFTable, LastLineWithoutLineEndIsRead) {
  Reader t;
  write_ff_table(kTable, [](int phi, int theta) { return phi == 360 && theta == 0 ? 4.56 : -1.0; });
  std::string text;
  {
    std::ifstream in(kTable, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ASSERT_EQ(text.substr(text.size() - 2), "\r\n");
  text.resize(text.size() - 2);
  std::ofstream(kTable, std::ios::binary | std::ios::trunc) << text;
  ASSERT_EQ(t.read(), Outcome::Read) << t.screen();
  EXPECT_EQ(t.r.S.Tot_dB[point_index(360, 0)], 4.56);
  EXPECT_EQ(t.r.S.Max_Gain, 4.56f);
  EXPECT_EQ(t.r.S.phi_max, 360);
  EXPECT_EQ(t.r.S.theta_max, 0);
}

TEST(FFTable, GenericMessageKeepsItsTrailingBlank) {
  Reader t;
  write_ff_table(kTable, zero, {.keep_lines = 0});
  ASSERT_EQ(t.read(), Outcome::Ended);
  EXPECT_EQ(t.r.row80(1).substr(0, 22), "Error 62 at line 251  ");
  EXPECT_EQ(t.r.fg(1, 1), 12);
  EXPECT_EQ(t.r.S.last_checkpoint, 20);
}

TEST(FFTable, GridMessageInLightRed) {
  Reader t;
  write_ff_table(kTable, zero, {.phi_step = 5});
  ASSERT_EQ(t.read(), Outcome::Ended);
  EXPECT_EQ(t.r.row(2), kGridMessage);
  EXPECT_EQ(t.r.fg(2, 2), 12);
  // The second pass never began.
  EXPECT_EQ(*t.r.con().title(), "Untitled");
}

TEST(FFTable, MissingTableGoesBackToTheNameQuestion) {
  Reader t;
  t.r.host.type("x");
  t.r.S.ff_name = "no such table.txt";
  EXPECT_THROW(check_ff_grid(t.r.S), WayBack);
  EXPECT_EQ(t.r.S.last_checkpoint, 20);
  EXPECT_FALSE(t.r.S.files.is_open(1));
}

// ---------------------------------------------------------------------------
// Tot_dB fields and decimal commas

struct FieldCase {
  const char* name;
  int phi, theta;
  std::string from26;  // characters from 26 on; empty with cut > 0
  double expected;
  bool note;
  size_t cut = 0;  // > 0: the line is this many characters long
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }

class Field : public ::testing::TestWithParam<FieldCase> {};

TEST_P(Field, GivesItsValue) {
  const FieldCase& c = GetParam();
  Reader t;
  write_ff_table(kTable, zero);
  auto lines = load_lines(kTable);
  std::string& line = lines[data_line(c.phi, c.theta) - 1];
  ASSERT_EQ(line.substr(0, 3), data_text(c.phi, "").substr(0, 3));
  line = c.cut ? line.substr(0, c.cut) : data_text(c.phi, c.from26);
  save_lines(kTable, lines);
  ASSERT_EQ(t.read(), Outcome::Read) << t.screen();
  const int k = point_index(c.phi, c.theta);
  EXPECT_EQ(t.r.S.Tot_dB[k], c.expected);
  EXPECT_EQ(t.r.S.Cell_Gain[k], cell_gain_of(c.expected));
  EXPECT_EQ(t.shows(kCommaNote), c.note);
  // Every other point is still 0 dBi.
  EXPECT_EQ(t.r.S.Tot_dB[k == 1 ? 2 : 1], 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    FFTable, Field,
    ::testing::Values(
        FieldCase{"CommaOnFirstDataLine", 0, 180, "    -12,34", -12.34, true},
        FieldCase{"CommaOnLaterLine", 5, 100, "    -12,34", -12.34, false},
        FieldCase{"DotOnFirstDataLine", 0, 180, "    -12.34", -12.34, false},
        FieldCase{"CommaInCharacter32", 0, 180, "  -123,456", -123.0, false},
        FieldCase{"TextAfterCharacter35", 7, 33, "    -12.34xyz", -12.34, false},
        FieldCase{"ShortFieldWithComma33", 9, 20, "    -12,3", -12.0, false},
        FieldCase{"EightCharactersEndingInComma", 9, 20, "    -12,", -12.2, false},
        FieldCase{"ShortField", 4, 170, "  -12", -12.0, false},
        FieldCase{"NotANumber", 4, 170, "   abc    ", 0.0, false},
        FieldCase{"BlankField", 4, 170, "          ", 0.0, false},
        FieldCase{"LineOf25Characters", 11, 45, "", 0.0, false, 25},
        FieldCase{"LineOf3Characters", 11, 45, "", 0.0, false, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FFTable, CommaNoteAfterProgressLinesInBlue) {
  Reader t;
  write_ff_table(kTable, [](int phi, int theta) { return -(phi + theta) / 100.0 - 12.0; },
                 {.decimal_comma = true});
  ASSERT_EQ(t.read(), Outcome::Read);
  EXPECT_EQ(t.r.row(5), " please, wait ...");
  EXPECT_EQ(t.r.row(6), "");
  EXPECT_EQ(t.r.row(7), kCommaNote);
  EXPECT_EQ(t.r.fg(7, 2), 9);
  EXPECT_EQ(t.r.row(8), "");
  EXPECT_EQ(t.r.screen().row(), 9);
  EXPECT_EQ(t.r.screen().colour(), 7);
  // Printed once only.
  int notes = 0;
  for (int i = 1; i <= 25; ++i) notes += t.r.row(i) == kCommaNote;
  EXPECT_EQ(notes, 1);
  EXPECT_EQ(t.r.S.Tot_dB[point_index(200, 77)], -14.77);
}

TEST(FFTable, CommasFurtherDownWithoutNote) {
  Reader t;
  write_ff_table(kTable, [](int phi, int) { return -phi / 100.0 - 1.0; }, {.decimal_comma = true});
  auto lines = load_lines(kTable);
  lines[12][32] = '.';  // the first data line gets a dot
  save_lines(kTable, lines);
  ASSERT_EQ(t.read(), Outcome::Read);
  EXPECT_FALSE(t.shows(kCommaNote));
  EXPECT_EQ(t.r.S.Tot_dB[point_index(0, 180)], -1.0);
  EXPECT_EQ(t.r.S.Tot_dB[point_index(123, 180)], -2.23);
  EXPECT_EQ(t.r.S.Tot_dB[point_index(359, 0)], -4.59);
}

TEST(FFTable, ShortLineGivesZeroDbi) {
  Reader t;
  write_ff_table(kTable, [](int, int) { return -7.0; });
  auto lines = load_lines(kTable);
  lines[data_line(30, 60) - 1].resize(20);
  save_lines(kTable, lines);
  ASSERT_EQ(t.read(), Outcome::Read);
  EXPECT_EQ(t.r.S.Tot_dB[point_index(30, 60)], 0.0);
  EXPECT_EQ(t.r.S.Cell_Gain[point_index(30, 60)], 3.0461741978670857e-4);
  EXPECT_EQ(t.r.S.Tot_dB[point_index(31, 60)], -7.0);
}

// ---------------------------------------------------------------------------
// Max_Gain and its direction

struct MaxCase {
  const char* name;
  std::function<double(int, int)> gain;
  float max_gain;
  int phi_max, theta_max;
};

void PrintTo(const MaxCase& c, std::ostream* os) { *os << c.name; }

class Maximum : public ::testing::TestWithParam<MaxCase> {};

TEST_P(Maximum, FirstStrictlyGreaterWins) {
  const MaxCase& c = GetParam();
  Reader t;
  write_ff_table(kTable, c.gain);
  ASSERT_EQ(t.read(), Outcome::Read) << t.screen();
  EXPECT_EQ(t.r.S.Max_Gain, c.max_gain);
  EXPECT_EQ(t.r.S.phi_max, c.phi_max);
  EXPECT_EQ(t.r.S.theta_max, c.theta_max);
}

auto peaks(std::vector<std::tuple<int, int, double>> at, double rest) {
  return [at, rest](int phi, int theta) {
    for (auto [p, th, v] : at)
      if (p == phi && th == theta) return v;
    return rest;
  };
}

INSTANTIATE_TEST_SUITE_P(
    FFTable, Maximum,
    ::testing::Values(
        MaxCase{"Phi0BeforePhi360", peaks({{360, 100, 5}, {0, 100, 5}}, -10), 5.0f, 0, 100},
        MaxCase{"HigherThetaFirst", peaks({{20, 50, 5}, {20, 150, 5}}, -10), 5.0f, 20, 150},
        MaxCase{"LaterStrictlyGreater", peaks({{1, 150, 5}, {2, 10, 6}}, -10), 6.0f, 2, 10},
        MaxCase{"Phi10Theta95AndPoint91", peaks({{10, 95, 7}, {0, 90, 7}}, -10), 7.0f, 10, 90},
        MaxCase{"Phi360OnHorizon", peaks({{360, 90, 7}}, -10), 7.0f, 360, 90},
        MaxCase{"AllEqual", peaks({}, 2.5), 2.5f, 0, 90},
        MaxCase{"AllBelowMinus1000", peaks({}, -1500), -1000.0f, 0, 0},
        MaxCase{"Point91ExactlyMinus1000", peaks({{0, 90, -1000}}, -1500), -1000.0f, 0, 90},
        // Different doubles, the same single: the first one read stays.
        MaxCase{"EqualInSinglePrecision", peaks({{4, 100, 1234567.02}, {3, 170, 1234567.01}}, 0),
                float(1234567.01), 3, 170}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CellGain, ReaderGivesExtendedRecipeBitForBit) {
  // Tot_dB in hundredths, one value per theta of azimuth 40.
  const std::vector<int> hundredths{-99999, 0, -300, 3000, 1, -1, 1537, -2500, -46000, 9999, -12345, 4,
                                    -5, 2999, -301, 77777, -77777, 33, -33, 1000};
  Reader t;
  write_ff_table(kTable, [&](int phi, int theta) {
    if (phi == 40 && theta < (int)hundredths.size()) return hundredths[size_t(theta)] / 100.0;
    return -7.0;
  });
  ASSERT_EQ(t.read(), Outcome::Read);
  const long double cell = powl((long double)3.141592653589793 / 180.0L, 2.0L);
  for (size_t n = 0; n < hundredths.size(); ++n) {
    const int k = point_index(40, int(n));
    const double tot = (double)((long double)hundredths[n] / 100.0L);
    ASSERT_EQ(t.r.S.Tot_dB[k], tot) << hundredths[n];
    const double expected = (double)(powl(10.0L, (long double)tot / 10.0L) * cell);
    const double got = t.r.S.Cell_Gain[k];
    EXPECT_EQ(std::memcmp(&expected, &got, sizeof got), 0) << hundredths[n];
  }
}

// Each distinct Tot_dB has its power computed once; every point must still
// get exactly the gain of a fresh power. One table repeats a few thousand
// values, the other holds more distinct values than are kept.
struct RandomTableCase {
  const char* name;
  int lowest, highest;  // hundredths of a dB
};
void PrintTo(const RandomTableCase& c, std::ostream* os) { *os << c.name; }

class RandomGains : public ::testing::TestWithParam<RandomTableCase> {};

TEST_P(RandomGains, CachedCellGainIsAFreshPower) {
  const RandomTableCase& c = GetParam();
  std::mt19937 gen(1606);
  std::uniform_int_distribution<int> hundredths(c.lowest, c.highest);
  std::vector<double> gains(kGainSize);
  for (double& g : gains) g = hundredths(gen) / 100.0;
  Reader t;
  write_ff_table(kTable, [&](int phi, int theta) { return gains[size_t(point_index(phi, theta))]; });
  ASSERT_EQ(t.read(), Outcome::Read) << t.screen();
  const long double cell = powl((long double)3.141592653589793 / 180.0L, 2.0L);
  std::set<double> distinct;
  for (int k = 1; k <= kPoints; ++k) {
    const double tot = t.r.S.Tot_dB[k];
    distinct.insert(tot);
    const double got = t.r.S.Cell_Gain[k];
    const double reference = cell_gain_of(tot);
    ASSERT_EQ(std::memcmp(&got, &reference, sizeof got), 0) << "point " << k << ", Tot_dB " << tot;
    const double fresh = (double)(powl(10.0L, (long double)tot / 10.0L) * cell);
    ASSERT_EQ(std::memcmp(&got, &fresh, sizeof got), 0) << "point " << k << ", Tot_dB " << tot;
  }
  // Both kinds of table as meant: repeats, or more values than the cache.
  if (c.highest - c.lowest < 10000) EXPECT_LT(distinct.size(), 10001u);
  else EXPECT_GT(distinct.size(), 20000u);
}

INSTANTIATE_TEST_SUITE_P(CellGain, RandomGains,
                         ::testing::Values(RandomTableCase{"FewThousandValues", -4000, 2000},
                                           RandomTableCase{"MoreValuesThanKept", -99999, 9999}),
                         [](const auto& info) { return std::string(info.param.name); });

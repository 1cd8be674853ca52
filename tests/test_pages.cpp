// Table pages and the alpha menu on real files: the rows of the examples,
// their colours, the pages of each choice and the saved range.
#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "support/harness.h"
#include "support/names.h"

using namespace vorn;
using vorn::test::Session;
using vorn::test::TempDir;

namespace {

const std::string kHeading = " Alpha (deg.)  T_pattern (K)   T_loss (K)   T_total (K)     G/T (dB)";
const std::string kLossyRow5 = "       5           200.00       288.64         244.89        -26.890";

// Types the start of a run: temperatures and table name.
void start(Session& r, const std::string& sky, const std::string& earth, const std::string& table) {
  r.host.type(sky + "\r" + earth + "\r" + table + "\r");
}

std::string lossy_row(int alpha) {
  std::string row = kLossyRow5;
  const std::string a = alpha < 10 ? " " + std::to_string(alpha) : std::to_string(alpha);
  row.replace(6, 2, a);
  return row;
}

class LossyTable : public ::testing::Test {
 protected:
  void SetUp() override {
    test::constant_table("lossy.txt", -3);
    test::identity_matrices();
  }
  TempDir dir;
};

}  // namespace

TEST_F(LossyTable, ChoiceOnePageRowsAndColours) {
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("1\r");
  r.host.close_window();  // at the key wait of the page
  r.flow();
  EXPECT_EQ(r.row(1), " Average Gain = 0.501 (/) = -3.00 dBi");
  EXPECT_EQ(r.fg(1, 2), 15);
  EXPECT_EQ(r.row(2), " Max Gain = - 3.00 dBi at azimuth =   0 degree(s) and elevation =   0 degree(s)");
  EXPECT_EQ(r.row(2).size(), 79u);
  EXPECT_EQ(r.fg(2, 2), 15);
  EXPECT_EQ(r.row(3), "  T_sky =  100.00 K" + std::string(39, ' ') + " T_earth =  300.00 K");
  EXPECT_EQ(r.fg(3, 3), 9);
  EXPECT_EQ(r.row(4), kHeading);
  EXPECT_EQ(r.fg(4, 2), 14);
  for (int i = 0; i < 19; ++i) {
    const int alpha = 5 * i;
    EXPECT_EQ(r.row(5 + i), lossy_row(alpha)) << alpha;
    EXPECT_EQ(r.fg(5 + i, 8), alpha == 30 ? 12 : 14) << alpha;
  }
  EXPECT_EQ(r.row(6), kLossyRow5);
  EXPECT_EQ(r.row(24), "");
  EXPECT_EQ(r.row(25), " Press any key to continue!");
  EXPECT_EQ(r.fg(25, 2), 9);
  EXPECT_EQ(r.host.beeps(), 0);
  EXPECT_EQ(r.S.saved_first_alpha, 0);
  EXPECT_EQ(r.S.saved_last_alpha, 90);
  EXPECT_EQ(r.S.saved_alpha_step, 5);
}

TEST_F(LossyTable, ChoiceTwoGivesFivePagesWithBeeps) {
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("2\rabcd");  // four keys: pages 1 to 4
  r.host.close_window();   // at the key wait of page 5
  r.flow();
  EXPECT_EQ(r.host.beeps(), 5);
  // Page 5: alpha 76 to 90, rows 5 to 19; rows 20 to 24 empty.
  EXPECT_EQ(r.row(5), lossy_row(76));
  EXPECT_EQ(r.row(19), lossy_row(90));
  for (int row = 20; row <= 24; ++row) EXPECT_EQ(r.row(row), "") << row;
  EXPECT_EQ(r.row(25), " Press any key to continue!");
  EXPECT_EQ(r.S.saved_alpha_step, 1);
  EXPECT_EQ(r.S.saved_last_alpha, 90);
}

TEST_F(LossyTable, KeysTypedDuringComputationPassSeveralPages) {
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("2\r");
  r.host.type_ahead("xyz");  // typed while page 1 is computed
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.host.beeps(), 4);
  EXPECT_EQ(r.row(5), lossy_row(57));  // page 4 waits for its key
}

struct Range {
  std::string first, last;
  std::vector<std::pair<int, int>> pages;
};

void PrintTo(const Range& c, std::ostream* os) {
  *os << "first_" << test::name_part(c.first) << "_last_" << test::name_part(c.last);
}

class OwnRange : public LossyTable, public ::testing::WithParamInterface<Range> {};

TEST_P(OwnRange, PagesOfNineteen) {
  const Range c = GetParam();
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("3\r" + c.first + "\r" + c.last + "\r");
  r.host.type(std::string(c.pages.size() - 1, 'k'));
  r.host.close_window();  // at the key wait of the last page
  r.flow();
  const auto [from, to] = c.pages.back();
  EXPECT_EQ(r.row(5), lossy_row(from));
  EXPECT_EQ(r.row(5 + to - from), lossy_row(to));
  EXPECT_EQ(r.row(6 + to - from), "");
  EXPECT_EQ(r.host.beeps(), int(c.pages.size()));
  EXPECT_EQ(r.S.saved_first_alpha, std::stoi(c.first.empty() ? "0" : c.first));
  EXPECT_EQ(r.S.saved_last_alpha, std::stoi(c.last));
  EXPECT_EQ(r.S.saved_alpha_step, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, OwnRange,
                         ::testing::Values(Range{"10", "28", {{10, 28}}}, Range{"10", "29", {{10, 28}, {29, 29}}},
                                           Range{"0", "37", {{0, 18}, {19, 37}}},
                                           Range{"", "38", {{0, 18}, {19, 37}, {38, 38}}},
                                           Range{"53", "90", {{53, 71}, {72, 90}}},
                                           Range{"89", "90", {{89, 90}}}),
                         ::testing::PrintToStringParamName());

TEST_F(LossyTable, OwnRangeQuestionsAndRefusals) {
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("3\r90\r\r");
  r.host.close_window();
  r.flow();
  // The menu stays; questions and short error displays pile up below it.
  EXPECT_EQ(r.row(8), " Enter # =>? 3");
  EXPECT_EQ(r.row(9), " Your choice for the first alpha value? 90");
  EXPECT_EQ(r.row(10), " First alpha value must be contained between 0 and 89 deg. inclusively!");
  EXPECT_EQ(r.fg(10, 2), 12);
  EXPECT_EQ(r.row(11), "");
  EXPECT_EQ(r.row(12), " Your choice for the first alpha value?");
  EXPECT_EQ(r.row(13), " First alpha value = 0 deg.");
  EXPECT_EQ(r.fg(13, 2), 9);
  EXPECT_EQ(r.row(14), "");
  EXPECT_EQ(r.row(15), " Your choice for the  last alpha value?");
  Session s;
  start(s, "100", "300", "lossy.txt");
  s.host.type("3\r20\r20\r-3\r91\r");
  s.host.close_window();
  s.flow();
  EXPECT_EQ(s.row(9), " Your choice for the first alpha value? 20");
  EXPECT_EQ(s.row(10), "");
  EXPECT_EQ(s.row(11), " Your choice for the  last alpha value? 20");
  EXPECT_EQ(s.row(12), " Last alpha value must be greater than the first alpha value!");
  EXPECT_EQ(s.row(14), " Your choice for the  last alpha value? -3");
  EXPECT_EQ(s.row(15), " Last alpha value must be greater than the first alpha value!");
  EXPECT_EQ(s.row(17), " Your choice for the  last alpha value? 91");
  EXPECT_EQ(s.row(18), " Maximum last alpha value is equal to 90 deg.!");
  EXPECT_EQ(s.row(20), " Your choice for the  last alpha value?");
  EXPECT_EQ(s.host.beeps(), 3);
  EXPECT_EQ(s.S.saved_alpha_step, 0);  // nothing saved by refused answers
}

TEST_F(LossyTable, MenuScreenAndWrongChoice) {
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("7\r");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.row(1), " Alpha is antenna tilting angle in degrees.");
  EXPECT_EQ(r.row(2), " Now enter range of alpha for computation:");
  EXPECT_EQ(r.row(3), "  - for alpha 0 - 90 degr., step 5 deg.: type \"1\",");
  EXPECT_EQ(r.row(4), "  - for alpha 0 - 90 degr., step 1 deg.: type \"2\",");
  EXPECT_EQ(r.row(5), "  - for your own alpha value range     : type \"3\",");
  EXPECT_EQ(r.row(6), "  - for a single alpha value           : type \"4\"");
  for (int row = 3; row <= 6; ++row) {
    EXPECT_EQ(r.row(row)[39], ':') << row;
    EXPECT_EQ(r.row(row)[47], '0' + row - 2) << row;
  }
  EXPECT_EQ(r.row(7), "");
  EXPECT_EQ(r.row(8), " Enter # =>? 7");
  EXPECT_EQ(r.row(10), " Enter only 1, 2, 3 or 4 for your choice!");
  EXPECT_EQ(r.row(12), " Press any key to continue!");
  EXPECT_EQ(r.host.beeps(), 1);
}

struct Single {
  std::string typed;
  bool refused;
};

void PrintTo(const Single& c, std::ostream* os) { *os << "typed_" << test::name_part(c.typed); }

class SingleAlpha : public LossyTable, public ::testing::WithParamInterface<Single> {};

TEST_P(SingleAlpha, OnePageOfOneRowOrRefusal) {
  const Single c = GetParam();
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("4\r" + c.typed + "\r");
  r.host.close_window();
  r.flow();
  if (c.refused) {
    EXPECT_EQ(r.row(9), " Your choice for alpha? " + c.typed);
    EXPECT_EQ(r.row(10), " Alpha must be between 0 to 90 degr. inclusively!");
    EXPECT_EQ(r.row(12), " Your choice for alpha?");
    EXPECT_EQ(r.host.beeps(), 1);
    EXPECT_EQ(r.S.saved_alpha_step, 0);
  } else {
    const int alpha = c.typed.empty() ? 0 : std::stoi(c.typed);
    EXPECT_EQ(r.row(4), kHeading);
    EXPECT_EQ(r.row(5), lossy_row(alpha));
    EXPECT_EQ(r.row(6), "");
    EXPECT_EQ(r.host.beeps(), 0);
    EXPECT_EQ(r.S.saved_first_alpha, alpha);
    EXPECT_EQ(r.S.saved_last_alpha, alpha);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, SingleAlpha,
                         ::testing::Values(Single{"0", false}, Single{"90", false}, Single{"", false},
                                           Single{"30", false}, Single{"-1", true}, Single{"91", true}),
                         ::testing::PrintToStringParamName());

TEST_F(LossyTable, AnotherRangeComputesAgainAndSavesOnlyTheLast) {
  Session r;
  start(r, "100", "300", "lossy.txt");
  r.host.type("1\rkY\r4\r30\rk");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.S.saved_first_alpha, 30);
  EXPECT_EQ(r.S.saved_last_alpha, 30);
  EXPECT_EQ(r.row(1), " Enter another range of alpha for computation (Y/N)?");
}

TEST(LosslessTable, SummaryLineAndRows) {
  TempDir dir;
  test::constant_table("iso.txt", 0);
  test::identity_matrices({0});
  Session r;
  start(r, "100", "300", "iso.txt");
  r.host.type("4\r0\r");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.row(1), " Average Gain = 1.000 (/) = -0.00 dBi, rounded to 1 (0 dBi)!");
  EXPECT_EQ(r.row(1).size(), 60u);
  EXPECT_EQ(r.row(2), " Max Gain = + 0.00 dBi at azimuth =   0 degree(s) and elevation =   0 degree(s)");
  EXPECT_EQ(r.row(5), "       0           200.00         0.00         200.00        -23.010");
}

struct Elevation {
  int phi, theta;
  std::string shown;
};

void PrintTo(const Elevation& c, std::ostream* os) { *os << "phi" << c.phi << "_theta" << c.theta; }

class MaxElevation : public ::testing::TestWithParam<Elevation> {};

TEST_P(MaxElevation, SummaryShowsNinetyMinusTheta) {
  const Elevation c = GetParam();
  TempDir dir;
  tools::write_ff_table("peak.txt", [&](int phi, int theta) { return phi == c.phi && theta == c.theta ? 10.0 : 0.0; });
  test::identity_matrices({0});
  Session r;
  start(r, "100", "300", "peak.txt");
  r.host.type("4\r0\r");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.row(2).substr(66, 3), c.shown);
  EXPECT_EQ(r.row(2).substr(36, 3), c.phi == 0 ? "  0" : std::to_string(c.phi));
}

INSTANTIATE_TEST_SUITE_P(Cases, MaxElevation,
                         ::testing::Values(Elevation{120, 95, " -5"}, Elevation{0, 180, "-90"},
                                           Elevation{0, 0, " 90"}),
                         ::testing::PrintToStringParamName());

TEST(Overflow, SkyTemperatureFillsRowThree) {
  TempDir dir;
  test::constant_table("lossy.txt", -3);
  test::identity_matrices({0});
  Session r;
  start(r, "9999.995", "300", "lossy.txt");
  r.host.type("4\r0\r");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.row80(3), "  T_sky = %10000.00 K" + std::string(39, ' ') + " T_earth =  300.00 K");
  EXPECT_EQ(r.row(4), kHeading);  // the line end after column 80 took no extra row
}

TEST(Overflow, LargeLossShiftsTheRowByTwoColumns) {
  TempDir dir;
  // -10 dB everywhere: Avg_Gain about 0.1, T_loss about 2610 K.
  test::constant_table("weak.txt", -10);
  test::identity_matrices({0});
  Session r;
  start(r, "100", "300", "weak.txt");
  r.host.type("4\r0\r");
  r.host.close_window();
  r.flow();
  const std::string row = r.row(5);
  EXPECT_EQ(row.size(), 70u);
  EXPECT_EQ(row.substr(32, 1), "%");
  EXPECT_EQ(row.substr(0, 18), std::string(6, ' ') + " 0" + std::string(10, ' '));
}

// The temperature and FF Table name questions, keys in and rows out.
#include <gtest/gtest.h>

#include "pattern/entry.h"
#include "support/harness.h"
#include "support/names.h"

using namespace vorn;
using vorn::test::Session;

namespace {

// Runs enter_temperatures from an empty screen; false when it did not finish.
bool temperatures(Session& r) {
  try {
    enter_temperatures(r.S);
    return true;
  } catch (const ProgramEnd&) {
    return false;
  }
}

}  // namespace

TEST(Temperatures, EmptyEntriesGiveTheZeroNotes) {
  Session r;
  r.host.type("\r\r");
  ASSERT_TRUE(temperatures(r));
  EXPECT_EQ(r.row(1), " Enter   Sky Temperature (K)?");
  EXPECT_EQ(r.row(2), "         Sky Temperature (K)= 0");
  EXPECT_EQ(r.fg(2, 10), 9);
  EXPECT_EQ(r.row(3), " Enter Earth Temperature (K)?");
  EXPECT_EQ(r.row(4), "       Earth Temperature (K)= 0");
  EXPECT_EQ(r.fg(4, 8), 9);
  EXPECT_EQ(r.screen().row(), 6);  // the closing empty line
  EXPECT_EQ(r.screen().colour(), 7);
  EXPECT_EQ(r.S.T_sky, 0.0f);
  EXPECT_EQ(r.S.T_earth, 0.0f);
  EXPECT_EQ(r.host.beeps(), 0);
}

struct Refusal {
  bool sky;  // the sky question, else the earth question after sky 300
  std::string typed;
  std::string message;
};

void PrintTo(const Refusal& c, std::ostream* os) {
  *os << (c.sky ? "sky_" : "earth_") << test::name_part(c.typed);
}

class TemperatureRefused : public ::testing::TestWithParam<Refusal> {};

TEST_P(TemperatureRefused, ExplainedThenAskedAgain) {
  const Refusal c = GetParam();
  Session r;
  if (!c.sky) r.host.type("300\r");
  r.host.type(c.typed + "\r");
  r.host.close_window();  // during the key wait of the error display
  EXPECT_FALSE(temperatures(r));
  const int q = c.sky ? 1 : 2;
  EXPECT_EQ(r.row(q + 2), c.message);
  EXPECT_EQ(r.fg(q + 2, 2), 12);
  EXPECT_EQ(r.row(q + 4), " Press any key to continue!");
  EXPECT_EQ(r.host.beeps(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemperatureRefused,
    ::testing::Values(Refusal{true, "10000", " Sky temperature too high ... must be < 10,000 K"},
                      Refusal{true, "9999.9996", " Sky temperature too high ... must be < 10,000 K"},
                      Refusal{true, "-0.5", " Sky temperature must be >= 0 K"},
                      Refusal{false, "10000", " Earth temperature too high ... must be < 10,000 K"},
                      Refusal{false, "-1", " Earth temperature must be >= 0 K"}),
    ::testing::PrintToStringParamName());

TEST(Temperatures, HighestAcceptedValue) {
  Session r;
  r.host.type("9999.999\r9999.9995\r");
  ASSERT_TRUE(temperatures(r));
  EXPECT_EQ(r.S.T_sky, 9999.999f);
  EXPECT_LT(r.S.T_earth, 10000.0f);
  EXPECT_EQ(r.host.beeps(), 0);
}

struct SkyLine {
  std::string sky;
  std::string shown;
};

void PrintTo(const SkyLine& c, std::ostream* os) { *os << "sky_" << test::name_part(c.sky); }

class RepeatedSkyLine : public ::testing::TestWithParam<SkyLine> {};

TEST_P(RepeatedSkyLine, ShowsTheAcceptedSkyAfterAWrongEarth) {
  const SkyLine c = GetParam();
  Session r;
  r.host.type(c.sky + "\r-1\rk150\r");
  ASSERT_TRUE(temperatures(r));
  EXPECT_EQ(r.row80(1).substr(0, 29 + c.shown.size()), "         Sky Temperature (K):" + c.shown);
  EXPECT_EQ(r.row(2), " Enter Earth Temperature (K)? 150");
  EXPECT_EQ(r.row(3), "");
  EXPECT_EQ(r.S.T_earth, 150.0f);
}

INSTANTIATE_TEST_SUITE_P(Cases, RepeatedSkyLine,
                         ::testing::Values(SkyLine{"", " 0 "}, SkyLine{"0.5", " .5 "}, SkyLine{"300", " 300 "}),
                         ::testing::PrintToStringParamName());

TEST(Temperatures, TwoWrongSkyEntriesLeaveOnlyTheQuestion) {
  Session r;
  r.host.type("-1\rk10000\rk");
  r.host.close_window();
  EXPECT_FALSE(temperatures(r));
  EXPECT_EQ(r.host.beeps(), 2);
  // After the second refusal and its key, the screen is cleared for the third question.
  Session r2;
  r2.host.type("-1\rk-1\rk");
  r2.host.close_window();
  temperatures(r2);
  EXPECT_EQ(r2.row(1), " Enter   Sky Temperature (K)?");
  for (int row = 2; row <= 25; ++row) EXPECT_EQ(r2.row(row), "") << row;
}

TEST(FFName, EmptyNameRefusedThenNameKeptAsTyped) {
  Session r;
  r.host.type("\rk  my table \r");
  enter_ff_name(r.S);
  EXPECT_EQ(r.S.ff_name, "  my table ");
  EXPECT_EQ(r.row(1), " Enter FFTab's file name  _ _ _ .txt?   my table");
  EXPECT_EQ(r.host.beeps(), 1);
}

TEST(FFName, EmptyNameMessage) {
  Session r;
  r.host.type("\r");
  r.host.close_window();
  EXPECT_THROW(enter_ff_name(r.S), ProgramEnd);
  EXPECT_EQ(r.row(3), " You did not set any FFtab file name");
  EXPECT_EQ(r.row(5), " Press any key to continue!");
}

TEST(FFName, QuotedNameWithCommaStoredWithoutQuotes) {
  Session r;
  r.host.type("\"a,b.txt\"\r");
  enter_ff_name(r.S);
  EXPECT_EQ(r.S.ff_name, "a,b.txt");
}

TEST(FFName, BlanksOnlyIsNotEmpty) {
  Session r;
  r.host.type("   \r");
  enter_ff_name(r.S);
  EXPECT_EQ(r.S.ff_name, "   ");
  EXPECT_EQ(r.host.beeps(), 0);
}

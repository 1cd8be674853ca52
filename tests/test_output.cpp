// The results file, byte for byte against files written out by hand.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "support/fixtures.h"
#include "support/harness.h"
#include "support/names.h"

using namespace vorn;
using vorn::test::Session;
using vorn::test::TempDir;

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find("\r\n", from);
    if (at == std::string::npos) break;
    out.push_back(text.substr(from, at - from));
    from = at + 2;
  }
  EXPECT_EQ(from, text.size()) << "text after the last CR LF";
  return out;
}

// Runs a whole session: temperatures, table, menu keys, then N to another
// range, Y to save, and the name.
void session(Session& r, const std::string& table, const std::string& menu, const std::string& name) {
  r.host.type("100\r300\r" + table + "\r" + menu + "N\rY\r" + name + "\r");
  r.flow();
}

const std::string kLine12 = std::string(34, ' ') +
                            "with phi = EZNEC \"azimuth\" and theta =  90 - EZNEC \"elevation\" (deg.)";
const std::string kLine20 =
    "alpha  T_pattern  T_loss   T_tot      G/T       Sky     Earth     Total   Local_Avg_Gain  LAG/Avg_Gain  alpha";
const std::string kLine21 =
    " deg.          K       K       K       dB      zone      zone      zone            (LAG)                 deg.";

void expect_date_and_time(const std::vector<std::string>& lines) {
  ASSERT_GE(lines.size(), 4u);
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(Date \(mm-dd-yyyy\)      : \d\d-\d\d-\d\d\d\d)")))
      << lines[2];
  EXPECT_TRUE(std::regex_match(lines[3], std::regex(R"(Time \(hh-mm-ss\)        : \d\d:\d\d:\d\d)"))) << lines[3];
}

}  // namespace

TEST(OutputFile, LossyTableChoiceFourByHand) {
  TempDir dir;
  test::constant_table("lossy.txt", -3);
  test::identity_matrices({0, 30});
  Session r;
  session(r, "lossy.txt", "4\r30\rk", "run");
  const std::vector<std::string> got = lines_of(slurp("run.txt"));
  const std::vector<std::string> want = {
      "Program name           : VORN_V3-05",
      "This output file name  : run.txt",
      "", "",  // date and time, checked for their form
      "",
      "Sky   Temperature      :  100.00 K",
      "Earth Temperature      :  300.00 K",
      "",
      "FF Table file name     : lossy.txt",
      "",
      "Max     Gain           : - 3.00 dBi at phi =   0 degree(s)   and theta =  90 degree(s)",
      kLine12,
      "",
      "Average Gain (Avg_Gain): 0.50117 (/) = -3.000 dBi",
      "",
      "Sky   zone             :  3.14897",
      "Earth zone             :  3.14897",
      "Total zone             :  6.29794",
      "",
      kLine20,
      kLine21,
      "   30     200.00  288.64  244.89  -26.890   3.14897   3.14897   6.29794          0.50117     100.000 %     30",
  };
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    if (i == 2 || i == 3) continue;  // date and time
    EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
  }
  expect_date_and_time(got);
  EXPECT_EQ(kLine12.size(), 103u);
  EXPECT_EQ(kLine20.size(), 109u);
  EXPECT_EQ(got.back().size(), 109u);
  // The dialogue: four lines, the name, and nothing after the empty line.
  EXPECT_EQ(r.row(1), " Save last alpha choice results (Y/N)?");
  EXPECT_EQ(r.row(5), " Please type name of file name for saving results to");
  EXPECT_EQ(r.row(6), " Enter name without extension: \".txt\" will be added.");
  EXPECT_EQ(r.row(7), " Be careful if this file name + extension is already in use in your directory");
  EXPECT_EQ(r.row(8), " as it will be erased !");
  EXPECT_EQ(r.row(10), " Enter file name for Output? run");
  EXPECT_EQ(r.row(11), "");
  EXPECT_EQ(r.screen().row(), 12);
  EXPECT_FALSE(r.host.script_exhausted());  // ended by itself after writing
}

TEST(OutputFile, LosslessTableChoiceOneByHand) {
  TempDir dir;
  test::constant_table("iso.txt", 0);
  test::identity_matrices();
  Session r;
  session(r, "iso.txt", "1\rk", "iso_out");
  const std::vector<std::string> got = lines_of(slurp("iso_out.txt"));
  ASSERT_EQ(got.size(), 21u + 19u);
  EXPECT_EQ(got[1], "This output file name  : iso_out.txt");
  EXPECT_EQ(got[10], "Max     Gain           : + 0.00 dBi at phi =   0 degree(s)   and theta =  90 degree(s)");
  EXPECT_EQ(got[13], "Average Gain (Avg_Gain): 0.99997 (/) = -0.000 dBi, rounded to 1 (0 dBi)!");
  EXPECT_EQ(got[15], "Sky   zone             :  6.28303");
  EXPECT_EQ(got[16], "Earth zone             :  6.28303");
  EXPECT_EQ(got[17], "Total zone             : 12.56605");
  for (int i = 0; i < 19; ++i) {
    const int alpha = 5 * i;
    const std::string a = alpha < 10 ? " " + std::to_string(alpha) : std::to_string(alpha);
    EXPECT_EQ(got[21 + i], "   " + a + "     200.00    0.00  200.00  -23.010   6.28303   6.28303  12.56605" +
                               "          0.99997     100.000 %     " + a)
        << alpha;
  }
}

struct RangeRows {
  std::string menu;
  int rows, first, last;
};

void PrintTo(const RangeRows& c, std::ostream* os) {
  *os << "rows" << c.rows << "_alpha" << c.first << "_to" << c.last;
}

class SavedRange : public ::testing::TestWithParam<RangeRows> {};

TEST_P(SavedRange, OneRowPerAlphaOfTheLastRange) {
  const RangeRows c = GetParam();
  TempDir dir;
  test::constant_table("lossy.txt", -3);
  test::identity_matrices();
  Session r;
  session(r, "lossy.txt", c.menu, "out");
  const std::vector<std::string> got = lines_of(slurp("out.txt"));
  ASSERT_EQ(got.size(), size_t(21 + c.rows));
  EXPECT_EQ(std::stoi(got[21].substr(3, 2)), c.first);
  EXPECT_EQ(std::stoi(got.back().substr(107, 2)), c.last);
}

INSTANTIATE_TEST_SUITE_P(Choices, SavedRange,
                         ::testing::Values(RangeRows{"1\rk", 19, 0, 90}, RangeRows{"2\rkkkkk", 91, 0, 90},
                                           RangeRows{"3\r12\r40\rkk", 29, 12, 40}, RangeRows{"4\r30\rk", 1, 30, 30},
                                           // another range: only the last one is written
                                           RangeRows{"1\rkY\r4\r7\rk", 1, 7, 7}),
                         ::testing::PrintToStringParamName());

struct BadName {
  std::string name;
  std::string message;
};

void PrintTo(const BadName& c, std::ostream* os) { *os << "name_" << test::name_part(c.name); }

class RefusedName : public ::testing::TestWithParam<BadName> {};

TEST_P(RefusedName, ExplainedThenTheDialogueAgain) {
  const BadName c = GetParam();
  TempDir dir;
  test::constant_table("lossy.txt", -3);
  test::identity_matrices({0, 30});
  Session r;
  r.host.type("100\r300\rlossy.txt\r4\r30\rkN\rY\r" + c.name + "\r");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.row(11), "");
  EXPECT_EQ(r.row(12), c.message);
  EXPECT_EQ(r.fg(12, 2), 12);
  EXPECT_EQ(r.row(14), " Press any key to continue!");
  // The name question after a key, on a cleared screen.
  Session s;
  s.host.type("100\r300\rlossy.txt\r4\r30\rkN\rY\r" + c.name + "\rk");
  s.host.close_window();
  s.flow();
  EXPECT_EQ(s.row(1), " Please type name of file name for saving results to");
  EXPECT_EQ(s.row(6), " Enter file name for Output?");
  EXPECT_EQ(s.host.beeps(), 1);
  EXPECT_FALSE(std::filesystem::exists("run.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedName,
    ::testing::Values(BadName{"", " You did not set any file name"},
                      BadName{"run.2", " No special characters like  .  :  /  allowed in file name!"},
                      BadName{"run.txt", " No special characters like  .  :  /  allowed in file name!"},
                      BadName{"X:run", " No special characters like  .  :  /  allowed in file name!"},
                      BadName{"out/run", " No special characters like  .  :  /  allowed in file name!"}),
    ::testing::PrintToStringParamName());

TEST(OutputFile, LeadingBlankKeptAndExistingFileOverwritten) {
  TempDir dir;
  test::constant_table("lossy.txt", -3);
  test::identity_matrices({0, 30});
  { std::ofstream(" run.txt") << std::string(100000, 'x'); }
  Session r;
  session(r, "lossy.txt", "4\r30\rk", " run");
  const std::vector<std::string> got = lines_of(slurp(" run.txt"));
  ASSERT_EQ(got.size(), 22u);
  EXPECT_EQ(got[1], "This output file name  :  run.txt");
}

TEST(OutputFile, BackslashNameWritesIntoExistingFolder) {
  TempDir dir;
  test::constant_table("lossy.txt", -3);
  test::identity_matrices({0, 30});
  std::filesystem::create_directory("out");
  Session r;
  session(r, "lossy.txt", "4\r30\rk", "out\\run");
  EXPECT_TRUE(std::filesystem::exists("out/run.txt"));
}

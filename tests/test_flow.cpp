// Whole dialogues on the headless console: keys in, screen rows out.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/harness.h"
#include "support/names.h"

using namespace vorn;
using vorn::test::Session;
using vorn::test::TempDir;

namespace {

const char* kFirstTitle = "VORN v3.05: G/T computed with pattern rotation and 91 external matrixes";

// Runs ask_continue and reports whether it returned (another range).
bool asks_again(Session& r) {
  try {
    ask_continue(r.S);
    return true;
  } catch (const ProgramEnd&) {
    return false;
  }
}

}  // namespace

TEST(StartScreen, BannerAfterTwoSecondPauseUnderFirstTitle) {
  Session r;
  r.host.close_window();  // at the first wait: the temperature question
  r.flow();
  EXPECT_EQ(*r.con().title(), kFirstTitle);
  EXPECT_GE(r.host.now_ms(), 2000);
  EXPECT_EQ(r.row(1), " VORN_V3-05");
  EXPECT_EQ(r.fg(1, 2), 14);
  EXPECT_EQ(r.row(2), " Computation of G/T from Far Field Table by PLOXI with DRUMEK, vers. 3.05");
  EXPECT_EQ(r.fg(2, 2), 7);
  EXPECT_EQ(r.row(3), "");
  EXPECT_EQ(r.row80(4).substr(0, 30), " Enter   Sky Temperature (K)? ");
  EXPECT_EQ(r.screen().row(), 4);
  EXPECT_EQ(r.screen().col(), 31);
}

TEST(StartScreen, ClosingDuringStartPauseEndsAtOnce) {
  Session r;
  r.host.close_window_at(1000);
  r.flow();
  EXPECT_LT(r.host.now_ms(), 1000 + 9 + 1);
  for (int row = 1; row <= 25; ++row) EXPECT_EQ(r.row(row), "") << row;
  EXPECT_EQ(*r.con().title(), kFirstTitle);
}

TEST(StartScreen, KeysTypedDuringPauseReachTheEntry) {
  Session r;
  r.host.type_at(500, "12\r");
  r.host.close_window();
  r.flow();
  EXPECT_EQ(r.S.T_sky, 12.0f);
  EXPECT_EQ(r.row80(5).substr(0, 30), " Enter Earth Temperature (K)? ");
}

struct YesNoCase {
  std::string answer;
  bool refused;
};

void PrintTo(const YesNoCase& c, std::ostream* os) { *os << test::name_part(c.answer); }

class AnotherRange : public ::testing::TestWithParam<YesNoCase> {};

TEST_P(AnotherRange, OnlyExactYOrNIsTaken) {
  const YesNoCase c = GetParam();
  Session r;
  r.host.type(c.answer + "\r");
  if (c.refused) r.host.type("x");  // ends the key wait of the error display
  r.host.close_window();
  const bool returned = asks_again(r);
  if (c.refused) {
    EXPECT_FALSE(returned);
    EXPECT_EQ(r.host.beeps(), 1);
    // The question again, on a cleared screen, waiting for the next answer.
    EXPECT_EQ(r.row(1), " Enter another range of alpha for computation (Y/N)?");
    EXPECT_EQ(r.row(3), " Enter # =>?");
    EXPECT_EQ(r.row(4), "");
  } else {
    EXPECT_EQ(r.host.beeps(), 0);
    EXPECT_EQ(returned, c.answer == "Y" || c.answer == "y");
  }
}

INSTANTIATE_TEST_SUITE_P(Answers, AnotherRange,
                         ::testing::Values(YesNoCase{"Y", false}, YesNoCase{"y", false}, YesNoCase{" y", true},
                                           YesNoCase{"y ", true}, YesNoCase{"yes", true},
                                           YesNoCase{"YES", true}, YesNoCase{"", true}),
                         ::testing::PrintToStringParamName());

TEST(AnotherRange, QuestionRowsAndColours) {
  Session r;
  r.host.close_window();
  asks_again(r);
  EXPECT_EQ(r.row(1), " Enter another range of alpha for computation (Y/N)?");
  EXPECT_EQ(r.row(1).size(), 52u);
  EXPECT_EQ(r.fg(1, 2), 7);
  EXPECT_EQ(r.fg(1, 47), 15);
  EXPECT_EQ(r.fg(1, 51), 15);
  EXPECT_EQ(r.fg(1, 52), 7);
  EXPECT_EQ(r.row(2), "");
  EXPECT_EQ(r.row(3), " Enter # =>?");
}

TEST(AnotherRange, WrongAnswerShowsCompactErrorDisplay) {
  Session r;
  r.host.type("yes\r");
  r.host.close_window();  // during the key wait of the error display
  asks_again(r);
  EXPECT_EQ(r.row(3), " Enter # =>? yes");
  EXPECT_EQ(r.row(4), " Enter only \"Y\" or \"N\"!");
  EXPECT_EQ(r.row(4).size(), 23u);
  EXPECT_EQ(r.fg(4, 2), 12);
  EXPECT_EQ(r.row(5), "");
  EXPECT_EQ(r.row(6), " Press any key to continue!");
  EXPECT_EQ(r.fg(6, 2), 9);
  EXPECT_EQ(r.host.beeps(), 1);
}

TEST(SaveQuestion, WrongAnswerComesBackToTheSaveQuestion) {
  TempDir dir;
  Session r;
  r.host.type("n\r");   // no other range
  r.host.type("yes\r"); // refused
  r.host.type("k");     // key wait
  r.host.close_window();
  EXPECT_FALSE(asks_again(r));
  EXPECT_EQ(r.row(1), " Save last alpha choice results (Y/N)?");
  EXPECT_EQ(r.row(1).size(), 38u);
  EXPECT_EQ(r.row(2), " \"N\" will close VORN without any results saving!");
  EXPECT_EQ(r.row(2).size(), 48u);
  EXPECT_EQ(r.row(4), " Enter # =>?");
  EXPECT_EQ(r.host.beeps(), 1);
  EXPECT_TRUE(r.host.script_exhausted() || r.con().stop_requested());
}

TEST(SaveQuestion, CompactErrorRows) {
  Session r;
  r.host.type("N\r");
  r.host.type("\r");
  r.host.close_window();
  asks_again(r);
  EXPECT_EQ(r.row(4), " Enter # =>?");
  EXPECT_EQ(r.row(5), " Enter only \"Y\" or \"N\"!");
  EXPECT_EQ(r.row(7), " Press any key to continue!");
}

TEST(SaveQuestion, NoEndsAtOnceWithoutAFile) {
  TempDir dir;
  Session r;
  r.host.type("N\r");
  r.host.type("n\r");
  EXPECT_FALSE(asks_again(r));
  EXPECT_FALSE(r.host.script_exhausted());  // ended by itself, not by the closed window
  EXPECT_EQ(r.row(4), " Enter # =>? n");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(KeyWait, KeysTypedAheadEndWaitsOneEach) {
  Session r;
  r.host.type_at(0, "ab");
  wait_for_key(r.S);
  wait_for_key(r.S);
  EXPECT_EQ(r.host.now_ms(), 0);
  EXPECT_TRUE(r.con().keys.empty());
  r.host.close_window();
  EXPECT_THROW(wait_for_key(r.S), ProgramEnd);
}

TEST(KeyWait, ExtendedKeyEndsTheWait) {
  Session r;
  r.host.key(Key{0, 0x48});
  wait_for_key(r.S);
  EXPECT_TRUE(r.con().keys.empty());
}

#include <gtest/gtest.h>

#include "app/errors.h"
#include "platform/screen.h"

using vorn::Screen;

TEST(Screen, EightyCharactersLeavePendingWrapAndOneRow) {
  Screen s;
  s.print_text(std::string(80, 'x'), false);
  EXPECT_EQ(s.row(), 1);
  EXPECT_EQ(s.col(), 80);
  EXPECT_TRUE(s.pending_wrap());
  s.print_text("", true);
  EXPECT_EQ(s.row(), 2);
  EXPECT_EQ(s.col(), 1);
  EXPECT_FALSE(s.pending_wrap());
  s.print_text("y", false);
  EXPECT_EQ(s.row_trimmed(2), "y");
}

TEST(Screen, EightyCharactersWithLineEndTakeOneRow) {
  Screen s;
  s.print_text(std::string(80, 'x'), true);
  EXPECT_EQ(s.row(), 2);
  EXPECT_EQ(s.col(), 1);
  EXPECT_EQ(s.row_trimmed(2), "");
}

TEST(Screen, PendingWrapThenTextStartsNextRow) {
  Screen s;
  s.print_text(std::string(80, 'x'), false);
  s.print_text("ab", false);
  EXPECT_EQ(s.row_trimmed(2), "ab");
  EXPECT_EQ(s.col(), 3);
}

TEST(Screen, LongTextWraps) {
  Screen s;
  s.print_text(std::string(90, 'z'), false);
  EXPECT_EQ(s.row_trimmed(1), std::string(80, 'z'));
  EXPECT_EQ(s.row_trimmed(2), std::string(10, 'z'));
}

struct FitCase {
  int start_col;
  size_t length;
  int row_after, col_after;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << "col" << c.start_col << "_length" << c.length; }

class FitCheck : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitCheck, EndsLineOnlyWhenItemWouldNotFit) {
  const FitCase c = GetParam();
  Screen s;
  s.print_text(std::string(c.start_col - 1, '.'), false);
  const std::string item(c.length, 'i');
  s.fit_check(item);
  s.print_text(item, false);
  EXPECT_EQ(s.row(), c.row_after);
  EXPECT_EQ(s.col(), c.col_after);
}

INSTANTIATE_TEST_SUITE_P(Cases, FitCheck,
                         ::testing::Values(FitCase{70, 20, 2, 21},  // 70+19 > 80: new line
                                           FitCase{61, 20, 1, 80},  // ends in column 80
                                           FitCase{1, 90, 2, 11},   // not moved, wraps
                                           FitCase{80, 0, 1, 80},   // empty item fits
                                           FitCase{80, 1, 1, 80}),
                         ::testing::PrintToStringParamName());

TEST(Screen, FitCheckDoesNothingWhenPendingWrap) {
  Screen s;
  s.print_text(std::string(80, 'x'), false);
  s.fit_check(std::string(5, 'a'));
  EXPECT_EQ(s.row(), 1);
  s.print_text("aaaaa", false);
  EXPECT_EQ(s.row_trimmed(2), "aaaaa");
}

TEST(Screen, LineEndOnRow24ScrollsAndKeepsRow25) {
  Screen s;
  s.move_cursor(25, 1);
  s.print_text("bottom", false);
  s.move_cursor(1, 1);
  for (int r = 1; r <= 24; ++r) s.print_text("line" + std::to_string(r), true);
  EXPECT_EQ(s.row(), 24);
  EXPECT_EQ(s.row_trimmed(1), "line2");
  EXPECT_EQ(s.row_trimmed(23), "line24");
  EXPECT_EQ(s.row_trimmed(24), "");
  EXPECT_EQ(s.row_trimmed(25), "bottom");
}

TEST(Screen, LineEndOnRow25ScrollsPrintArea) {
  Screen s;
  s.print_text("top", true);
  s.move_cursor(25, 1);
  s.print_text("prompt", true);
  EXPECT_EQ(s.row(), 24);
  EXPECT_EQ(s.col(), 1);
  EXPECT_EQ(s.row_trimmed(1), "");
  EXPECT_EQ(s.row_trimmed(25), "prompt");
}

TEST(Screen, ClearUsesCurrentColour) {
  Screen s;
  s.set_colour(12);
  s.print_text("abc", false);
  s.set_colour(9);
  s.clear();
  EXPECT_EQ(s.cell(1, 1).ch, ' ');
  EXPECT_EQ(s.cell(25, 80).fg, 9);
  EXPECT_EQ(s.row(), 1);
  EXPECT_EQ(s.col(), 1);
}

TEST(Screen, TabWritesBlanksToNextMultipleOfEight) {
  Screen s;
  s.print_text("ab\tc", false);
  EXPECT_EQ(s.cell(1, 9).ch, 'c');
  s.print_text("\t", false);
  EXPECT_EQ(s.col(), 17);
}

TEST(Screen, BadArgumentsRaiseError5) {
  Screen s;
  for (auto f : {+[](Screen& x) { x.set_colour(32); }, +[](Screen& x) { x.move_cursor(26, 1); },
                 +[](Screen& x) { x.move_cursor(1, 81); }, +[](Screen& x) { x.move_cursor(0, 1); }}) {
    try {
      f(s);
      ADD_FAILURE() << "no error";
    } catch (const vorn::NumberedError& e) {
      EXPECT_EQ(e.number, 5);
    }
  }
}

// The line entry on a text target: keys, quotes and commas, the screen copy
// put back on every refusal and Backspace, the cap, and the stop request.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/errors.h"
#include "tests/support/headless.h"

namespace {

using vorn::HeadlessHost;
using vorn::Key;
using vorn::ProgramEnd;

// Runs one text entry after "? " on row 1, with Enter after the keys.
struct TextEntry {
  HeadlessHost host;
  std::string target = "untouched";

  vorn::Screen& screen() { return host.console.screen; }
  void run(const std::string& keys) {
    host.console.print_text("? ", false);
    host.type(keys + "\r");
    host.console.line_entry(target);
    EXPECT_FALSE(host.script_exhausted());
  }
  // Row 1 after "? ", trailing blanks kept up to the entry's length.
  std::string shown(size_t length) { return screen().row_text(1).substr(2, length); }
};

struct KeysCase {
  const char* name;
  std::string keys;
  std::string value;  // what the target holds, and what row 1 shows after "? "
  std::string shown;
  friend std::ostream& operator<<(std::ostream& o, const KeysCase& c) { return o << c.name; }
};

class TextKeys : public ::testing::TestWithParam<KeysCase> {};

TEST_P(TextKeys, ShowsAndStores) {
  const KeysCase& c = GetParam();
  TextEntry e;
  e.run(c.keys);
  EXPECT_EQ(e.target, c.value);
  EXPECT_EQ(e.shown(c.shown.size() + 1), c.shown + " ");
  EXPECT_EQ(e.screen().row(), 2);
  EXPECT_EQ(e.screen().col(), 1);
  EXPECT_FALSE(e.host.console.entry_cursor_on());
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextKeys,
    ::testing::Values(
        KeysCase{"Empty", "", "", ""},
        KeysCase{"Plain", "Ab c", "Ab c", "Ab c"},
        KeysCase{"BlanksKept", "  x  ", "  x  ", "  x  "},
        KeysCase{"CommaRefusedUnquoted", "a,b", "ab", "ab"},
        KeysCase{"QuotedComma", "\"a,b", "a,b", "\"a,b"},
        KeysCase{"QuotedCommaClosed", "\"a,b\"", "a,b", "\"a,b\""},
        KeysCase{"AfterClosingQuoteRefused", "\"ab\"cd,\"\t", "ab", "\"ab\""},
        KeysCase{"BackspaceReopensQuote", "\"ab\"cd\bx", "abx", "\"abx"},
        KeysCase{"EmptyQuotes", "\"\"", "", "\"\""},
        KeysCase{"QuoteInsideIsOrdinary", "a\"b", "a\"b", "a\"b"},
        KeysCase{"CommaAfterInnerQuote", "a\"b,", "a\"b", "a\"b"},
        KeysCase{"Backspace", "abc\b\bd", "ad", "ad"},
        KeysCase{"BackspaceOnEmpty", "\b\bq", "q", "q"},
        KeysCase{"TabFromEmpty", "\t|", "        |", "        |"},
        KeysCase{"TabToNextEight", "ab\t|", "ab      |", "ab      |"},
        KeysCase{"TabAtEight", "12345678\t|", "12345678        |", "12345678        |"},
        KeysCase{"TabAfterSeven", "1234567\t|", "1234567 |", "1234567 |"},
        KeysCase{"ControlsIgnored", "a\n\x0b\x0c\x1c\x1d\x1e\x1f" "b", "ab", "ab"},
        KeysCase{"EscAndCtrlLettersAppended", "\x1b\x01z", "\x1b\x01z", "\x1b\x01z"},
        KeysCase{"HighBytes", "\xe9\xff", "\xe9\xff", "\xe9\xff"}));

TEST(LineEntry, TwoByteKeysIgnored) {
  TextEntry e;
  e.host.type("a");
  e.host.key(Key{0, 0x48});  // up arrow
  e.host.key(Key{0, 0x3b});  // F1
  e.host.type("b");
  e.run("");
  EXPECT_EQ(e.target, "ab");
  EXPECT_EQ(e.screen().row_trimmed(1), "? ab");
}

TEST(LineEntry, CtrlGHoldsQuarterSecondAndAddsNothing) {
  TextEntry e;
  e.run("a\x07" "b");
  EXPECT_EQ(e.target, "ab");
  EXPECT_EQ(e.screen().row_trimmed(1), "? ab");
  EXPECT_EQ(e.host.now_ms(), 250);
  EXPECT_EQ(e.host.beeps(), 0);
}

TEST(LineEntry, CapOf255BytesIgnoresAllButEnterAndBackspace) {
  TextEntry e;
  e.run(std::string(300, 'x') + "\t,\"" + "\by");
  EXPECT_EQ(e.target, std::string(254, 'x') + "y");
}

TEST(LineEntry, CapHoldsExactly255) {
  TextEntry e;
  e.run(std::string(255, 'x') + "zz");
  EXPECT_EQ(e.target, std::string(255, 'x'));
  // 2 + 255 bytes: three full rows and 17 on the fourth.
  EXPECT_EQ(e.screen().row_trimmed(4), std::string(17, 'x'));
  EXPECT_EQ(e.screen().row(), 5);
}

TEST(LineEntry, TabNearTheCapStopsAtTheCap) {
  TextEntry e;
  e.run(std::string(250, 'x') + "\t");
  EXPECT_EQ(e.target, std::string(250, 'x') + std::string(5, ' '));
}

// The screen copy taken when the entry begins comes back on Backspace and on
// every refused key, so what the entry overwrote reappears.
TEST(LineEntry, BackspaceRestoresScreenCopy) {
  HeadlessHost host;
  auto& con = host.console;
  con.print_text("? ABCDEFGH", false);
  con.move_cursor(1, 3);
  host.type("xyz\b\b\r");
  std::string target;
  con.line_entry(target);
  EXPECT_EQ(target, "x");
  EXPECT_EQ(con.screen.row_trimmed(1), "? xBCDEFGH");
}

TEST(LineEntry, RefusedKeyRestoresScreenCopy) {
  HeadlessHost host;
  auto& con = host.console;
  con.print_text("? ABCDEFGH", false);
  con.move_cursor(1, 3);
  host.type("x,\r");
  std::string target;
  con.line_entry(target);
  EXPECT_EQ(target, "x");
  EXPECT_EQ(con.screen.row_trimmed(1), "? xBCDEFGH");
}

TEST(LineEntry, WrapPastColumn80ThenShortened) {
  HeadlessHost host;
  auto& con = host.console;
  con.print_text(std::string(76, '.') + "? ", false);  // entry begins in column 79
  host.type("abcd\b\b\r");
  std::string target;
  con.line_entry(target);
  EXPECT_EQ(target, "ab");
  EXPECT_EQ(con.screen.row_trimmed(1), std::string(76, '.') + "? ab");
  EXPECT_EQ(con.screen.row_trimmed(2), "");
  // "ab" ended in column 80: the line end takes no extra row.
  EXPECT_EQ(con.screen.row(), 2);
  EXPECT_EQ(con.screen.col(), 1);
}

// "? " ending in column 80: the entry starts on the next row, also after a
// refused first key or a Backspace back to nothing.
TEST(LineEntry, EntryBeginningAtPendingWrap) {
  for (const char* keys : {"ab\r", ",ab\r", "x\bab\r", "x\b\bab\r"}) {
    HeadlessHost host;
    auto& con = host.console;
    con.print_text(std::string(78, '.') + "? ", false);
    ASSERT_TRUE(con.screen.pending_wrap());
    host.type(keys);
    std::string target;
    con.line_entry(target);
    EXPECT_EQ(target, "ab") << keys;
    EXPECT_EQ(con.screen.row_text(1), std::string(78, '.') + "? ") << keys;
    EXPECT_EQ(con.screen.row_trimmed(2), "ab") << keys;
    EXPECT_EQ(con.screen.row(), 3) << keys;
  }
}

TEST(LineEntry, WrapOnRow24ScrollsAndBackspaceUnscrolls) {
  HeadlessHost host;
  auto& con = host.console;
  for (int r = 1; r <= 23; ++r) con.print_text("L" + std::to_string(r), true);
  con.move_cursor(25, 1);
  con.print_text("row25", false);
  // Back to row 24: a line end on row 25 scrolls once and lands there.
  con.print_text("", true);
  EXPECT_EQ(con.screen.row_trimmed(1), "L2");
  con.print_text(std::string(78, '.'), false);
  host.type("abc");
  host.close_window();
  std::string target;
  EXPECT_THROW(con.line_entry(target), ProgramEnd);
  EXPECT_EQ(target, "abc");
  EXPECT_EQ(con.screen.row_trimmed(1), "L3");  // scrolled by the wrap
  EXPECT_EQ(con.screen.row_trimmed(24), "c");
  EXPECT_EQ(con.screen.row_trimmed(25), "row25");

  HeadlessHost again;
  auto& c2 = again.console;
  for (int r = 1; r <= 23; ++r) c2.print_text("L" + std::to_string(r), true);
  c2.print_text(std::string(78, '.'), false);
  again.type("abc\b");
  again.close_window();
  EXPECT_THROW(c2.line_entry(target), ProgramEnd);
  EXPECT_EQ(target, "ab");
  EXPECT_EQ(c2.screen.row_trimmed(1), "L1");  // the copy from before the wrap
  EXPECT_EQ(c2.screen.row_trimmed(24), std::string(78, '.') + "ab");
  EXPECT_EQ(c2.screen.row(), 24);
  EXPECT_EQ(c2.screen.col(), 80);
  EXPECT_TRUE(c2.screen.pending_wrap());
}

TEST(LineEntry, StopRequestDuringEntryEndsProgram) {
  HeadlessHost host;
  host.type("ab\"");
  host.close_window();
  host.type("cd\r");  // never reached
  std::string target;
  EXPECT_THROW(host.console.line_entry(target), ProgramEnd);
  EXPECT_EQ(target, "ab\"");
  EXPECT_FALSE(host.console.entry_cursor_on());
  EXPECT_EQ(host.pending_items(), 3u);
}

// Keys still waiting when the window is closed must not complete the entry.
TEST(LineEntry, StopRequestWinsOverWaitingKeys) {
  HeadlessHost host;
  for (char c : std::string("xy\r")) host.console.keys.push(Key{uint8_t(c), 0});
  host.console.request_stop();
  std::string target = "before";
  EXPECT_THROW(host.console.line_entry(target), ProgramEnd);
  EXPECT_EQ(target, "");
}

TEST(LineEntry, StopRequestSeenWithin10ms) {
  HeadlessHost host;
  host.close_window_at(1003);
  std::string target;
  EXPECT_THROW(host.console.line_entry(target), ProgramEnd);
  EXPECT_GE(host.now_ms(), 1003);
  EXPECT_LE(host.now_ms(), 1013);
}

TEST(LineEntry, StopDuringCtrlGHold) {
  HeadlessHost host;
  host.type("a\x07");
  host.close_window_at(100);
  std::string target;
  EXPECT_THROW(host.console.line_entry(target), ProgramEnd);
  EXPECT_LE(host.now_ms(), 109);
  EXPECT_EQ(target, "a");
}

TEST(LineEntry, KeysTypedAheadAreTaken) {
  HeadlessHost host;
  for (char c : std::string("hi\r")) host.console.keys.push(Key{uint8_t(c), 0});
  std::string target;
  host.console.line_entry(target);
  EXPECT_EQ(target, "hi");
  EXPECT_FALSE(host.script_exhausted());
}

// The target follows the entry key by key: whatever stops the entry, it
// holds the value of what stands on the screen.
struct FollowCase {
  const char* name;
  std::string keys;
  std::string value;
  std::string shown;
  friend std::ostream& operator<<(std::ostream& o, const FollowCase& c) { return o << c.name; }
};

class TargetFollows : public ::testing::TestWithParam<FollowCase> {};

TEST_P(TargetFollows, AtStop) {
  const FollowCase& c = GetParam();
  HeadlessHost host;
  host.console.print_text("? ", false);
  host.type(c.keys);
  host.close_window();
  std::string target = "untouched";
  EXPECT_THROW(host.console.line_entry(target), ProgramEnd);
  EXPECT_EQ(target, c.value);
  EXPECT_EQ(host.console.screen.row_text(1).substr(2, c.shown.size() + 1), c.shown + " ");
}

INSTANTIATE_TEST_SUITE_P(
    Table, TargetFollows,
    ::testing::Values(FollowCase{"Nothing", "", "", ""},
                      FollowCase{"AfterRefusal", "\"ab\"x", "ab", "\"ab\""},
                      FollowCase{"AfterBackspace", "abc\b", "ab", "ab"},
                      FollowCase{"BackToEmpty", "a\b", "", ""},
                      FollowCase{"QuoteOpen", "\"", "", "\""},
                      FollowCase{"TrailingBlanks", "a\t", "a       ", "a       "}));

}  // namespace

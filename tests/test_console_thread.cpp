// The console shared by two threads as in the real program: the window
// side pushes keys, reads the screen for its frames and raises the stop
// request, while the flow runs line entries, key waits and pauses on the
// real host. Meant to run under ThreadSanitizer; each test also checks
// what arrived on the other side.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <ostream>
#include <string>
#include <thread>

#include "app/errors.h"
#include "platform/console.h"
#include "platform/real_host.h"
#if __has_include(<GL/freeglut.h>)
#include "platform/window_keys.h"
#define VORN_TEST_WINDOW_KEYS 1
#endif

namespace {

using namespace std::chrono_literals;
using vorn::Console;
using vorn::Key;
using vorn::ProgramEnd;
using vorn::RealHost;

// Long enough never to be reached by a working console, even under the
// sanitizer; reaching it means a wake-up or a stop was lost.
constexpr auto kHang = 30s;

// What the window loop does with the console, minus the drawing.
struct WindowSide {
  Console& con;
  RealHost& host;
  std::string allowed;  // the bytes the screen may show
  vorn::ScreenSnapshot cells{};
  uint32_t seen_version = ~0u;
  int snapshots = 0;
  int bad_cells = 0;

  // One frame: title, a snapshot of a changed screen, the entry cursor.
  void frame() {
    if (con.title_version() != 0) (void)con.title()->size();
    const uint32_t v = con.screen.version();
    if (v != seen_version) {
      seen_version = v;
      con.screen.snapshot(cells);
      ++snapshots;
      for (const vorn::Cell& c : cells)
        if (allowed.find(char(c.ch)) == std::string::npos || c.fg != 7 || c.bg != 0) ++bad_cells;
    }
    (void)con.entry_cursor_on();
    (void)con.screen.cursor_row_atomic();
    (void)con.screen.cursor_col_atomic();
  }
  // A key press; false when 15 keys already waited and it was lost.
  bool press(uint8_t ch) {
    const bool stored = con.keys.push(Key{ch, 0});
    host.notify();
    return stored;
  }
  // Presses until the key is taken, drawing frames in between.
  void press_until_stored(uint8_t ch) {
    const auto deadline = std::chrono::steady_clock::now() + kHang;
    while (!press(ch)) {
      frame();
      std::this_thread::yield();
      if (std::chrono::steady_clock::now() > deadline) FAIL() << "the flow stopped taking keys";
    }
  }
  // Draws frames until cond holds; false on a hang.
  bool frames_until(const std::function<bool()>& cond) {
    const auto deadline = std::chrono::steady_clock::now() + kHang;
    while (!cond()) {
      frame();
      std::this_thread::sleep_for(1ms);
      if (std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
  }
  void close() {
    con.request_stop();
    host.notify();
  }
};

// Stops a flow that is still running: a test fails instead of hanging. A
// flow that ignores the stop request cannot be joined, so the process ends.
template <class T>
void stop_flow(std::future<T>& flow, WindowSide& w) {
  w.close();
  if (flow.wait_for(kHang) != std::future_status::ready) {
    std::fprintf(stderr, "the flow ignores the stop request\n");
    std::_Exit(1);
  }
}

// Declared after the flow's future, so that it acts before the future
// waits for the flow when a test leaves early.
template <class T>
struct StopAtExit {
  std::future<T>& flow;
  WindowSide& w;
  ~StopAtExit() {
    if (flow.valid()) stop_flow(flow, w);
  }
};

// Waits for the flow thread; false (the flow stopped) after kHang.
template <class T>
bool finished(std::future<T>& flow, WindowSide& w) {
  if (flow.wait_for(kHang) == std::future_status::ready) return true;
  stop_flow(flow, w);
  return false;
}

std::string text_of(Console& con, int row, int from, int length) {
  return con.screen.row_text(row).substr(size_t(from - 1), size_t(length));
}

TEST(ConcurrentConsole, TextEntriesGetEveryKeyAndTheSixteenthTypedAheadIsLost) {
  RealHost host;
  Console con(host);
  // 200 bytes: the entry wraps over three rows while the window reads them.
  std::string typed;
  for (int i = 0; i < 200; ++i) typed += "abcdefghijklmnopqrstuvwxyz0123456789 -"[(i * 7) % 38];
  const std::string burst = "ABCDEFGHIJKLMNOPQRST";  // 20 keys during a pause
  WindowSide w{con, host, typed + burst + "? "};

  std::atomic<bool> pausing{false}, pause_over{false};
  std::string first = "untouched", second = "untouched";
  auto flow = std::async(std::launch::async, [&] {
    con.print_text("? ", false);
    con.line_entry(first);
    pausing.store(true);
    con.pause(1.0);
    pause_over.store(true);
    con.print_text("? ", false);
    con.line_entry(second);
  });
  StopAtExit stop_at_exit{flow, w};

  for (char c : typed) {
    w.press_until_stored(uint8_t(c));
    w.frame();
  }
  w.press_until_stored(13);
  ASSERT_TRUE(w.frames_until([&] { return pausing.load(); }));

  // Nobody reads during the pause: 15 keys wait, the rest are lost.
  std::string stored;
  for (char c : burst)
    if (w.press(uint8_t(c))) stored += c;
  if (!pause_over.load()) {
    EXPECT_EQ(stored, burst.substr(0, 15));
  }
  EXPECT_GE(stored.size(), 15u);
  ASSERT_TRUE(w.frames_until([&] { return con.keys.empty(); }));
  w.press_until_stored(13);

  ASSERT_TRUE(finished(flow, w));
  flow.get();
  EXPECT_EQ(first, typed);
  EXPECT_EQ(second, stored);
  // The echo: "? " and the 200 bytes over rows 1 to 3, then the second entry.
  EXPECT_EQ(text_of(con, 1, 3, 78) + text_of(con, 2, 1, 80) + text_of(con, 3, 1, 42), typed);
  EXPECT_EQ(text_of(con, 4, 1, int(2 + stored.size() + 1)), "? " + stored + " ");
  EXPECT_EQ(con.screen.row(), 5);
  EXPECT_FALSE(con.entry_cursor_on());
  EXPECT_GT(w.snapshots, 0);
  EXPECT_EQ(w.bad_cells, 0);
}

TEST(ConcurrentConsole, NumericEntryRefusalsWhileTheWindowDraws) {
  RealHost host;
  Console con(host);
  // Every blank and letter is refused and put back on the screen while the
  // window is reading it.
  const std::string keys = "1 2a3x.5 e1";  // leaves 123.5e1
  WindowSide w{con, host, "0123456789.e ?ax"};
  float value = -1;
  auto flow = std::async(std::launch::async, [&] {
    con.print_text("? ", false);
    con.line_entry(value);
  });
  StopAtExit stop_at_exit{flow, w};
  for (char c : keys) {
    w.press_until_stored(uint8_t(c));
    w.frame();
  }
  w.press_until_stored(13);
  ASSERT_TRUE(finished(flow, w));
  flow.get();
  EXPECT_EQ(value, 1235.0f);
  EXPECT_EQ(con.screen.row_trimmed(1), "? 123.5e1");
  EXPECT_EQ(w.bad_cells, 0);
}

TEST(RealHostThread, EveryKeyWakesTheWaitingFlow) {
  RealHost host;
  Console con(host);
  WindowSide w{con, host, " "};
  constexpr int kKeys = 2000;
  std::string got;
  auto flow = std::async(std::launch::async, [&] {
    for (int i = 0; i < kKeys; ++i) got += con.wait_any_key();
  });
  StopAtExit stop_at_exit{flow, w};
  // One key at a time, each pushed when the flow has taken the one before:
  // the flow is then looking at an empty buffer or sleeping on it, and a
  // wake-up lost in between would leave it asleep.
  // A varying delay before each key lands it, now and then, right between
  // the flow's look at the buffer and its sleep.
  std::string sent;
  for (int i = 0; i < kKeys; ++i) {
    const char c = char('a' + i % 26);
    sent += c;
    const auto at = std::chrono::steady_clock::now() + std::chrono::microseconds(i % 41);
    while (std::chrono::steady_clock::now() < at) {
    }
    ASSERT_TRUE(w.press(uint8_t(c)));
    const auto deadline = std::chrono::steady_clock::now() + kHang;
    while (!con.keys.empty()) {
      std::this_thread::yield();
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "key " << i << " was never taken";
    }
  }
  ASSERT_TRUE(finished(flow, w));
  flow.get();
  EXPECT_EQ(got, sent);
}

TEST(RealHostThread, WaitKeyReturnsAtOnceForANotifyThatCameFirst) {
  RealHost host;
  host.notify();
  auto flow = std::async(std::launch::async, [&] { host.wait_key(-1); });
  const bool returned = flow.wait_for(kHang) == std::future_status::ready;
  if (!returned) host.notify();
  EXPECT_TRUE(returned) << "a notify before the wait was slept through";
}

struct StopCase {
  const char* name;
  std::function<void(Console&)> wait;
  // True once the flow is inside its wait, as the window can see it.
  std::function<bool(Console&)> waiting;
  friend std::ostream& operator<<(std::ostream& o, const StopCase& c) { return o << c.name; }
};

class StopFromWindowThread : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopFromWindowThread, EndsTheWaitWithProgramEnd) {
  const StopCase& c = GetParam();
  RealHost host;
  Console con(host);
  WindowSide w{con, host, " "};
  std::atomic<bool> started{false};
  auto flow = std::async(std::launch::async, [&] {
    started.store(true);
    try {
      c.wait(con);
    } catch (const ProgramEnd&) {
      return true;
    }
    return false;
  });
  StopAtExit stop_at_exit{flow, w};
  ASSERT_TRUE(w.frames_until([&] { return started.load() && c.waiting(con); }));
  w.close();
  ASSERT_TRUE(finished(flow, w)) << "the flow did not see the stop request";
  EXPECT_TRUE(flow.get()) << "the wait returned normally";
  EXPECT_FALSE(con.entry_cursor_on());
}

const auto kAlways = [](Console&) { return true; };
const auto kEntryShown = [](Console& con) { return con.entry_cursor_on(); };

INSTANTIATE_TEST_SUITE_P(
    Waits, StopFromWindowThread,
    ::testing::Values(
        StopCase{"TextEntry", [](Console& con) { std::string s; con.line_entry(s); }, kEntryShown},
        StopCase{"SingleEntry", [](Console& con) { float f = 0; con.line_entry(f); }, kEntryShown},
        StopCase{"IntegerEntry", [](Console& con) { int16_t i = 0; con.line_entry(i); }, kEntryShown},
        StopCase{"KeyWait", [](Console& con) { con.wait_any_key(); }, kAlways},
        StopCase{"LongPause", [](Console& con) { con.pause(600); }, kAlways},
        StopCase{"ClosingPrompt", [](Console& con) { con.closing_prompt(); },
                 [](Console& con) { return con.screen.row_trimmed(25) == "Press any key to continue"; }},
        StopCase{"HeldByPauseKey",
                 [](Console& con) {
                   con.set_hold(true);
                   con.check_stop();
                 },
                 [](Console& con) { return con.held(); }}),
    [](const ::testing::TestParamInfo<StopCase>& i) { return std::string(i.param.name); });

#ifdef VORN_TEST_WINDOW_KEYS
TEST(PauseKeyThread, HoldsTheFlowUntilTheNextKeyWhichIsNotStored) {
  RealHost host;
  Console con(host);
  vorn::deliver_key(con, host, vorn::key_from_pause(false));
  auto flow = std::async(std::launch::async, [&] { con.print_text("x", false); });
  // Held: the text waits for the next key.
  EXPECT_EQ(flow.wait_for(100ms), std::future_status::timeout);
  vorn::deliver_key(con, host, vorn::key_from_char('a', 0));
  const bool returned = flow.wait_for(kHang) == std::future_status::ready;
  if (!returned) {
    con.request_stop();
    host.notify();
  }
  ASSERT_TRUE(returned) << "the key did not lift the hold";
  flow.get();
  EXPECT_FALSE(con.held());
  EXPECT_TRUE(con.keys.empty());
  EXPECT_EQ(con.screen.row_trimmed(1), "x");
}
#endif

}  // namespace

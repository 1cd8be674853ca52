#pragma once
// The text console as the flow sees it: screen, line entry, key buffer,
// beep, pause, title and the two ends. Time, sleeping, waking on keys and
// the tone go through a Host, so the same console runs in the real window
// (platform/window.cpp) and headless in tests (tests/support/headless.h).
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/entry_check.h"
#include "platform/keys.h"
#include "platform/screen.h"

namespace vorn {

class Host {
 public:
  virtual ~Host() = default;
  // A monotonic millisecond clock.
  virtual int64_t now_ms() = 0;
  virtual void sleep_ms(int ms) = 0;
  // Returns when a key may have arrived, the stop request was raised, or
  // timeout_ms passed (-1: no timeout). May return early.
  virtual void wait_key(int timeout_ms) = 0;
  // The zero-length sleep of read_key.
  virtual void yield() = 0;
  // Queue the beep tone without waiting for it.
  virtual void tone() = 0;
};

class Console {
 public:
  explicit Console(Host& host) : host_(host) {}

  Screen screen;
  KeyBuffer keys;

  // --- flow side ---------------------------------------------------------
  void clear_screen() { check_stop(); screen.clear(); }
  void set_colour(int fg) { screen.set_colour(fg); }
  // Byte 7 holds the flow 0.25 s; everything else is the screen's.
  void print_text(const std::string& text, bool line_end);
  void fit_check(const std::string& text) { screen.fit_check(text); }
  // A printed item of the flow: fit check, then the text without line end.
  void print_item(const std::string& text) {
    fit_check(text);
    print_text(text, false);
  }
  void end_line() { print_text("", true); }
  void move_cursor(int row, int col) { screen.move_cursor(row, col); }

  void line_entry(std::string& target);
  void line_entry(int16_t& target);
  void line_entry(float& target);

  // The oldest key as one or two bytes, or empty. Never waits.
  std::string read_key();
  // Blocks until a key arrives (or throws ProgramEnd on stop).
  std::string wait_any_key();

  void beep();
  void pause(double seconds);
  void set_title(const std::string& title);
  std::shared_ptr<const std::string> title() const;

  // The screen part of the closing prompt: the caller has closed the files.
  [[noreturn]] void closing_prompt();
  [[noreturn]] void immediate_end();

  // Throws ProgramEnd once the stop request is raised; holds while the
  // Pause key holds the flow.
  void check_stop();

  // --- window side -------------------------------------------------------
  // Raised when the window is closed (or Ctrl+Break); never lowered.
  void request_stop() {
    stop_.store(true, std::memory_order_release);
  }
  bool stop_requested() const { return stop_.load(std::memory_order_acquire); }
  // The Pause key holds the flow at its next step until another key.
  void set_hold(bool on) { hold_.store(on, std::memory_order_release); }
  bool held() const { return hold_.load(std::memory_order_acquire); }
  // Whether the blinking entry cursor is to be drawn at the cursor.
  bool entry_cursor_on() const { return entry_cursor_.load(std::memory_order_acquire); }
  // Bumped when the title changes.
  uint32_t title_version() const { return title_version_.load(std::memory_order_acquire); }

 private:
  // Runs one entry; check tells whether a value text passes and stores it.
  template <class Check>
  void run_entry(Check&& check);
  template <class T>
  void numeric_entry(T& target, bool (*check)(const std::string&, T&));
  Host& host_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> hold_{false};
  std::atomic<bool> entry_cursor_{false};
  std::atomic<uint32_t> title_version_{0};
  std::atomic<std::shared_ptr<const std::string>> title_{std::make_shared<const std::string>("Untitled")};
};

}  // namespace vorn

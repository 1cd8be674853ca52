#pragma once
// A console without a window, for tests: a virtual clock that only moves
// when the flow sleeps or waits, and a script of keys and window events.
//
// Script items are delivered in order. An item "when idle" arrives only when
// the flow waits for a key and none is waiting, as if the user typed it
// then; a timed item arrives when the virtual clock reaches its time, as if
// typed during a pause or a computation (it may find the buffer full and be
// lost). When the flow waits and the script is used up, the window counts
// as closed, so a test can never hang.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/console.h"

namespace vorn {

class HeadlessHost : public Host {
 public:
  HeadlessHost() : console(*this) {}

  Console console;

  // Keys typed when the flow waits for them. Text bytes are keys; "\r" is
  // Enter. Use key() for keys without a character.
  void type(const std::string& text);
  void key(Key k);
  // Keys typed right behind the item before them, before the flow has
  // taken that one: they wait in the buffer (typed ahead).
  void type_ahead(const std::string& text);
  // Keys typed at a virtual time, in ms from the start.
  void type_at(int64_t at_ms, const std::string& text);
  // The window is closed when the flow next waits (or at a time).
  void close_window();
  void close_window_at(int64_t at_ms);

  // What happened.
  int beeps() const { return beeps_; }
  std::vector<int64_t> beep_times() const { return beep_times_; }
  bool script_exhausted() const { return exhausted_; }
  int64_t lost_keys() const { return lost_; }
  size_t pending_items() const { return script_.size(); }

  int64_t now_ms() override { return now_; }
  void sleep_ms(int ms) override;
  void wait_key(int timeout_ms) override;
  void yield() override { deliver(); }
  void tone() override {
    ++beeps_;
    beep_times_.push_back(now_);
  }

 private:
  struct Item {
    int64_t at;  // -1: when idle; -2: together with the item before
    bool close;
    Key key;
  };
  void deliver();
  void deliver_one(const Item& it);

  std::deque<Item> script_;
  int64_t now_ = 0;
  int beeps_ = 0;
  std::vector<int64_t> beep_times_;
  bool exhausted_ = false;
  int64_t lost_ = 0;
};

}  // namespace vorn

#include "tests/support/headless.h"

namespace vorn {

void HeadlessHost::type(const std::string& text) {
  for (unsigned char c : text) script_.push_back(Item{-1, false, Key{c, 0}});
}

void HeadlessHost::key(Key k) { script_.push_back(Item{-1, false, k}); }

void HeadlessHost::type_ahead(const std::string& text) {
  for (unsigned char c : text) script_.push_back(Item{-2, false, Key{c, 0}});
}

void HeadlessHost::type_at(int64_t at_ms, const std::string& text) {
  for (unsigned char c : text) script_.push_back(Item{at_ms, false, Key{c, 0}});
}

void HeadlessHost::close_window() { script_.push_back(Item{-1, true, Key{}}); }

void HeadlessHost::close_window_at(int64_t at_ms) { script_.push_back(Item{at_ms, true, Key{}}); }

void HeadlessHost::deliver_one(const Item& it) {
  if (it.close) {
    console.request_stop();
  } else if (!console.keys.push(it.key)) {
    ++lost_;
  }
}

void HeadlessHost::deliver() {
  while (!script_.empty() && (script_.front().at == -2 || (script_.front().at >= 0 && script_.front().at <= now_))) {
    deliver_one(script_.front());
    script_.pop_front();
  }
}

void HeadlessHost::sleep_ms(int ms) {
  now_ += ms;
  deliver();
}

void HeadlessHost::wait_key(int timeout_ms) {
  deliver();
  if (!console.keys.empty() || console.stop_requested()) return;
  if (script_.empty()) {
    exhausted_ = true;
    console.request_stop();
    return;
  }
  Item& next = script_.front();
  if (next.at < 0) {
    deliver_one(next);
    script_.pop_front();
    deliver();
    return;
  }
  // A timed item: let the clock run to it, or to the timeout.
  int64_t until = next.at;
  if (timeout_ms >= 0 && now_ + timeout_ms < until) until = now_ + timeout_ms;
  if (until > now_) now_ = until;
  deliver();
}

}  // namespace vorn

#include "platform/console.h"

#include <algorithm>

#include "app/errors.h"

namespace vorn {

namespace {

// The quote and comma rules of every entry. value gets the text between
// the quotes (or the whole entry when it does not open with one).
bool entry_shape(const std::string& entry, std::string& value) {
  if (!entry.empty() && entry[0] == '"') {
    const size_t close = entry.find('"', 1);
    if (close == std::string::npos) {
      value = entry.substr(1);
      return true;
    }
    if (close + 1 != entry.size()) return false;
    value = entry.substr(1, close - 1);
    return true;
  }
  if (entry.find(',') != std::string::npos) return false;
  value = entry;
  return true;
}

constexpr size_t kEntryMax = 255;

}  // namespace

void Console::check_stop() {
  if (stop_requested()) throw ProgramEnd{};
  while (held()) {
    host_.wait_key(50);
    if (stop_requested()) throw ProgramEnd{};
  }
}

void Console::print_text(const std::string& text, bool line_end) {
  check_stop();
  size_t from = 0;
  for (;;) {
    const size_t bell = text.find('\x07', from);
    if (bell == std::string::npos) break;
    screen.print_text(text.substr(from, bell - from), false);
    pause(0.25);
    from = bell + 1;
  }
  screen.print_text(from == 0 ? text : text.substr(from), line_end);
}

std::string Console::read_key() {
  host_.yield();
  Key k;
  if (!keys.pop(k)) return {};
  return KeyBuffer::as_text(k);
}

std::string Console::wait_any_key() {
  for (;;) {
    std::string k = read_key();
    if (!k.empty()) return k;
    check_stop();
    host_.wait_key(-1);
  }
}

template <class Check>
void Console::run_entry(Check&& check) {
  const Screen::Saved saved = screen.save();
  std::string entry, value;
  check(std::string());
  entry_cursor_.store(true, std::memory_order_release);
  auto redraw = [&] {
    screen.restore(saved);
    screen.print_text(entry, false);
  };
  auto add = [&](uint8_t b) {
    if (entry.size() >= kEntryMax) return;
    entry.push_back(char(b));
    screen.print_text(std::string(1, char(b)), false);
    if (!entry_shape(entry, value) || !check(value)) {
      entry.pop_back();
      redraw();
    }
  };
  for (;;) {
    const std::string k = read_key();
    // Checked after every look, so keys still waiting cannot finish an
    // entry the user already abandoned by closing the window.
    if (stop_requested()) {
      entry_cursor_.store(false, std::memory_order_release);
      throw ProgramEnd{};
    }
    if (k.empty()) {
      host_.wait_key(10);
      continue;
    }
    if (k.size() == 2) continue;
    const uint8_t b = uint8_t(k[0]);
    if (b == 13) break;
    switch (b) {
      case 8:
        if (!entry.empty()) {
          entry.pop_back();
          redraw();
          if (entry_shape(entry, value)) check(value);
        }
        break;
      case 9:
        for (size_t n = 8 - entry.size() % 8; n > 0; --n) add(' ');
        break;
      case 7:
        pause(0.25);
        break;
      case 10: case 11: case 12: case 28: case 29: case 30: case 31:
        break;
      default:
        add(b);
    }
  }
  entry_cursor_.store(false, std::memory_order_release);
  print_text("", true);
}

void Console::line_entry(std::string& target) {
  run_entry([&](const std::string& v) {
    target = v;
    return true;
  });
}

// A numeric entry keeps its target's last good value while keys are refused.
template <class T>
void Console::numeric_entry(T& target, bool (*check)(const std::string&, T&)) {
  run_entry([&](const std::string& v) {
    T x = 0;
    if (!check(v, x)) return false;
    target = x;
    return true;
  });
}

void Console::line_entry(int16_t& target) { numeric_entry(target, check_int16_entry); }

void Console::line_entry(float& target) { numeric_entry(target, check_single_entry); }

void Console::pause(double s) {
  if (!(s >= 0) || s > 2147483.647) raise_error(err::illegal_function_call);
  const int64_t start = host_.now_ms();
  const double target = double(start) + s * 1000.0;
  for (;;) {
    const int64_t left = int64_t(target - double(host_.now_ms()));
    if (left <= 0) return;
    if (left >= 10) {
      host_.sleep_ms(9);
      check_stop();
    } else {
      host_.sleep_ms(int(std::max<int64_t>(left, 1)));
      return;
    }
  }
}

void Console::beep() {
  host_.tone();
  pause(0.25);
}

void Console::set_title(const std::string& title) {
  title_.store(std::make_shared<const std::string>(title), std::memory_order_release);
  title_version_.fetch_add(1, std::memory_order_acq_rel);
}

std::shared_ptr<const std::string> Console::title() const {
  return title_.load(std::memory_order_acquire);
}

void Console::closing_prompt() {
  screen.set_print_area(25, 25);
  screen.move_cursor(25, 1);
  screen.print_text("", true);
  screen.print_text("Press any key to continue", false);
  keys.discard();
  for (;;) {
    if (stop_requested()) break;
    if (!read_key().empty()) break;
    host_.wait_key(100);
  }
  immediate_end();
}

void Console::immediate_end() { throw ProgramEnd{}; }

}  // namespace vorn

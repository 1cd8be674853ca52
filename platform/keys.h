#pragma once
// The key buffer: a ring of 16 slots, one always free, so 15 keys wait at
// most. One writer (the window side, tail) and one reader (the flow, head):
// each index is written by one side only, so no lock is needed.
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace vorn {

struct Key {
  uint8_t ch = 0;    // the character byte, 0 for a key without one
  uint8_t scan = 0;  // PC scan code when ch is 0
};

class KeyBuffer {
 public:
  // Writer side. False when 15 keys wait: the key is lost.
  bool push(Key k) {
    const unsigned t = tail_.load(std::memory_order_relaxed);
    const unsigned next = (t + 1) % kSlots;
    if (next == head_.load(std::memory_order_acquire)) return false;
    slots_[t] = k;
    tail_.store(next, std::memory_order_release);
    return true;
  }
  // Reader side. False when empty.
  bool pop(Key& k) {
    const unsigned h = head_.load(std::memory_order_relaxed);
    if (h == tail_.load(std::memory_order_acquire)) return false;
    k = slots_[h];
    head_.store((h + 1) % kSlots, std::memory_order_release);
    return true;
  }
  bool empty() const {
    return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
  }
  // Reader side: drop everything waiting.
  void discard() {
    Key k;
    while (pop(k)) {
    }
  }
  // One or two bytes: the character, or 0 and the scan code.
  static std::string as_text(Key k) {
    if (k.ch != 0 || k.scan == 0) return std::string(1, char(k.ch));
    return std::string{char(0), char(k.scan)};
  }

  static constexpr unsigned kSlots = 16;

 private:
  std::array<Key, kSlots> slots_{};
  std::atomic<unsigned> head_{0}, tail_{0};
};

}  // namespace vorn

#pragma once
// The Host of the real program: the steady clock, real sleeps, and a key
// wait that sleeps on a condition variable until the window side says a
// key arrived (or the stop request was raised), so an idle flow costs no
// processor time. No window or audio code here: the tone goes through a
// ToneSink that the audio output implements.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/console.h"

namespace vorn {

class ToneSink {
 public:
  virtual ~ToneSink() = default;
  // Queues the beep tone; must not wait for it to sound.
  virtual void tone() = 0;
};

class RealHost : public Host {
 public:
  explicit RealHost(ToneSink* sink = nullptr) : sink_(sink) {}

  int64_t now_ms() override;
  void sleep_ms(int ms) override;
  void wait_key(int timeout_ms) override;
  void yield() override;
  void tone() override;

  // Window side: call after every key pushed, after the stop request and
  // after a change of the hold. Wakes a waiting wait_key.
  void notify();

 private:
  ToneSink* sink_;
  std::mutex m_;
  std::condition_variable cv_;
  // Bumped by notify(). wait_key returns at once when something happened
  // since it last returned, so a key pushed between the flow's look at the
  // buffer and its wait is never slept through.
  uint64_t events_ = 0;
  uint64_t seen_ = 0;
};

}  // namespace vorn

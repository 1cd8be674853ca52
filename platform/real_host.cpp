#include "platform/real_host.h"

#include <sched.h>

#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace vorn {

int64_t RealHost::now_ms() { return steady_now_ms(); }

void RealHost::sleep_ms(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void RealHost::wait_key(int timeout_ms) {
  std::unique_lock<std::mutex> lock(m_);
  auto happened = [this] { return events_ != seen_; };
  if (timeout_ms < 0) {
    cv_.wait(lock, happened);
  } else {
    cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), happened);
  }
  seen_ = events_;
}

void RealHost::yield() { sched_yield(); }

void RealHost::tone() {
  if (sink_) sink_->tone();
}

void RealHost::notify() {
  {
    std::lock_guard<std::mutex> lock(m_);
    ++events_;
  }
  cv_.notify_all();
}

}  // namespace vorn

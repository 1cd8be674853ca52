#pragma once
// The beep: its samples (plain computation, usable without a sound card)
// and the OpenAL Soft output that plays them.
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/real_host.h"

namespace vorn {

constexpr int kBeepRate = 44100;
constexpr double kBeepHz = 783.99;
constexpr int kBeepFrames = 8820;  // 0.2 s
constexpr int kBeepPeak = 32767;

// Interleaved stereo, both channels alike: a triangle that starts at 0 and
// rises first, cut before the last rising zero crossing within 0.2 s so the
// tone stops on a zero crossing instead of clicking.
inline std::vector<int16_t> beep_samples() {
  const double cycle_frames = kBeepRate / kBeepHz;
  const double whole_cycles = std::floor(kBeepFrames / cycle_frames);
  std::vector<int16_t> out;
  out.reserve(2 * kBeepFrames);
  for (int n = 0; n < kBeepFrames; ++n) {
    const double phase = n * kBeepHz / kBeepRate;
    if (phase >= whole_cycles) break;
    const double f = phase - std::floor(phase);
    const double v = f < 0.25 ? 4 * f : f < 0.75 ? 2 - 4 * f : 4 * f - 4;
    const auto s = int16_t(std::lround(v * kBeepPeak));
    out.push_back(s);
    out.push_back(s);
  }
  return out;
}

class Audio : public ToneSink {
 public:
  Audio();
  ~Audio() override;
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;

  // Opens the default output. 0 when it worked, else the exit status of
  // the failure: 111 no device, 222 no context.
  int open();
  // Queues one beep behind any that still sounds; never waits.
  void tone() override;
  // Stops and frees everything; closing the device also finishes a wave
  // file written by the driver.
  void release();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vorn

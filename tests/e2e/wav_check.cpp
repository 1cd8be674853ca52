// Measures the beeps in a 16-bit PCM wave file written by the audio
// driver. Usage: e2e_wav FILE.wav COUNT
// Each tone (a run of sound between stretches of silence) must be a
// 783.99 Hz tone (+-1 Hz) that starts at 0 rising and stops right before
// a rising zero crossing: it holds whole cycles only, as many as fit in
// 8,820 frames of 44,100 Hz, so one more cycle would not fit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint32_t u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

constexpr double kHz = 783.99;
constexpr double kMaxSeconds = 8820.0 / 44100.0;
constexpr int kSilence = 2;  // at most this far from 0 counts as silence

int fail(const char* what) {
  std::fprintf(stderr, "wav: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s FILE.wav COUNT\n", argv[0]);
    return 2;
  }
  const int want_tones = std::atoi(argv[2]);
  FILE* f = std::fopen(argv[1], "rb");
  if (!f) return fail("cannot open the file");
  std::vector<uint8_t> d;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) d.insert(d.end(), buf, buf + n);
  std::fclose(f);
  if (d.size() < 12 || std::memcmp(&d[0], "RIFF", 4) != 0 || std::memcmp(&d[8], "WAVE", 4) != 0)
    return fail("not a RIFF WAVE file");

  unsigned channels = 0, rate = 0, bits = 0;
  const uint8_t* data = nullptr;
  size_t data_size = 0;
  for (size_t p = 12; p + 8 <= d.size();) {
    const uint32_t size = u32(&d[p + 4]);
    if (std::memcmp(&d[p], "fmt ", 4) == 0 && size >= 16 && p + 8 + 16 <= d.size()) {
      const uint16_t format = u16(&d[p + 8]);
      if (format != 1 && format != 0xFFFE) return fail("not PCM");
      channels = u16(&d[p + 10]);
      rate = u32(&d[p + 12]);
      bits = u16(&d[p + 22]);
    } else if (std::memcmp(&d[p], "data", 4) == 0) {
      data = &d[p + 8];
      data_size = std::min<size_t>(size, d.size() - p - 8);
      break;
    }
    p += 8 + size + (size & 1);
  }
  if (!data || channels == 0 || rate == 0) return fail("no fmt or data chunk");
  if (bits != 16) return fail("not 16-bit samples");

  // The first channel; all channels carry the same tone.
  const size_t frames = data_size / (2 * channels);
  std::vector<int> s(frames);
  for (size_t i = 0; i < frames; ++i) s[i] = int16_t(u16(data + 2 * channels * i));

  int tones = 0;
  size_t i = 0;
  const double cycle = rate / kHz;
  const size_t max_frames = size_t(std::floor(kMaxSeconds * rate + 0.5));
  while (i < frames) {
    while (i < frames && std::abs(s[i]) <= kSilence) ++i;
    if (i == frames) break;
    // The tone starts on the silent sample just before its first rise.
    const size_t start = i - (i > 0 ? 1 : 0);
    size_t end = i, quiet = 0;
    // A tone ends where silence lasts longer than a cycle.
    for (size_t j = i; j < frames && quiet <= size_t(cycle); ++j) {
      if (std::abs(s[j]) <= kSilence) {
        ++quiet;
      } else {
        quiet = 0;
        end = j;
      }
    }
    ++tones;
    const size_t length = end - start + 1;
    if (s[i] <= 0) return fail("a tone does not rise first");
    // Rising zero crossings, placed between samples by interpolation.
    std::vector<double> ups;
    for (size_t j = start; j < end; ++j)
      if (s[j] < 0 && s[j + 1] >= 0) ups.push_back(double(j) + double(-s[j]) / double(s[j + 1] - s[j]));
    if (ups.size() < 10) return fail("too few cycles in a tone");
    const double hz = double(ups.size() - 1) * rate / (ups.back() - ups.front());
    const double cycles = double(length) / cycle;
    const double whole = std::floor(kMaxSeconds * kHz);
    std::printf("tone %d: frames %zu-%zu (%zu frames, %.3f cycles), %.3f Hz, last samples %d %d\n", tones,
                start, end, length, cycles, hz, s[end - 1], s[end]);
    if (std::fabs(hz - kHz) > 1.0) return fail("the frequency is off by more than 1 Hz");
    if (length > max_frames) return fail("a tone is longer than 0.2 s");
    // Whole cycles only, and every whole cycle that fits in 0.2 s.
    if (std::fabs(double(length) - whole * cycle) > 2.0)
      return fail("a tone does not end at its last rising zero crossing");
    if (!(s[end] < 0 && s[end] > s[end - 1])) return fail("a tone does not end rising towards zero");
    i = end + 1;
  }
  if (tones != want_tones) {
    std::fprintf(stderr, "wav: %d tones, expected %d\n", tones, want_tones);
    return 1;
  }
  return 0;
}

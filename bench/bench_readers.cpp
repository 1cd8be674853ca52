// The two readers against a plain read() of the same files, in one run, so
// the ratios can be read off: one row (its Matrix file read and gathered,
// both zone sums), the Matrix read alone, and the FF Table read for the
// sample table and for a table of random gains with two decimals.
// bench/readers_ratios.sh runs this with repetitions and prints the ratios.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/flow.h"
#include "gt/zone.h"
#include "pattern/ff_table.h"
#include "pattern/matrix.h"
#include "tests/support/harness.h"
#include "tools/lib/writers.h"

namespace {

using vorn::test::Run;
using vorn::test::TempDir;

constexpr const char* kSample = "sample_fftab.txt";
constexpr const char* kRandom = "random_fftab.txt";
constexpr int kAlpha = 5;

// Gains uniform in -40..+20 dBi with two decimals: some 6,000 distinct values.
double random_gain(int phi, int theta) {
  static const std::vector<double> gains = [] {
    std::mt19937 gen(16);
    std::uniform_int_distribution<int> hundredths(-4000, 2000);
    std::vector<double> g(vorn::kGainSize);
    for (double& v : g) v = hundredths(gen) / 100.0;
    return g;
  }();
  return gains[std::size_t(vorn::point_index(phi, theta))];
}

// One folder for the process, removed at exit.
struct Folder {
  TempDir dir;
  Folder() {
    vorn::tools::write_ff_table(kSample, vorn::tools::directional_gain);
    vorn::tools::write_ff_table(kRandom, random_gain);
    vorn::tools::write_matrix(vorn::tools::matrix_path("", kAlpha), vorn::tools::tilt_sources(kAlpha));
  }
};

void folder() { static Folder f; }

std::string matrix_name() { return vorn::tools::matrix_path("", kAlpha); }

// The whole file in one read(2), into a buffer of its size.
void plain_read(benchmark::State& state, const std::string& name) {
  folder();
  struct stat st;
  if (::stat(name.c_str(), &st) != 0) std::abort();
  std::vector<char> buffer(std::size_t(st.st_size) + 1);
  long bytes = 0;
  for (auto _ : state) {
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n != st.st_size) std::abort();
    bytes += n;
    ::close(fd);
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(bytes);
}

void BM_PlainRead_Matrix(benchmark::State& state) { plain_read(state, matrix_name()); }
BENCHMARK(BM_PlainRead_Matrix)->Unit(benchmark::kMicrosecond);

// The same in blocks of the reader's size, which stay in the cache.
void BM_PlainReadBlocks_Matrix(benchmark::State& state) {
  folder();
  std::vector<char> block(std::size_t(1) << 18);
  long bytes = 0;
  for (auto _ : state) {
    int fd = ::open(matrix_name().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) std::abort();
    ssize_t n;
    while ((n = ::read(fd, block.data(), block.size())) > 0) bytes += n;
    ::close(fd);
    benchmark::DoNotOptimize(block.data());
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainReadBlocks_Matrix)->Unit(benchmark::kMicrosecond);

void BM_PlainRead_FFSample(benchmark::State& state) { plain_read(state, kSample); }
BENCHMARK(BM_PlainRead_FFSample)->Unit(benchmark::kMicrosecond);

void BM_PlainRead_FFRandom(benchmark::State& state) { plain_read(state, kRandom); }
BENCHMARK(BM_PlainRead_FFRandom)->Unit(benchmark::kMicrosecond);

// A run whose gain arrays hold the sample table.
std::unique_ptr<Run> sample_run() {
  folder();
  auto r = std::make_unique<Run>();
  vorn::set_extended_precision();
  r->S.ff_name = kSample;
  vorn::check_ff_grid(r->S);
  vorn::read_ff_table(r->S);
  return r;
}

void BM_MatrixRead(benchmark::State& state) {
  auto r = sample_run();
  r->S.alpha = kAlpha;
  vorn::form_alpha_text(r->S);
  for (auto _ : state) {
    vorn::load_matrix(r->S);
    benchmark::DoNotOptimize(r->S.Rot_Gain.data());
  }
}
BENCHMARK(BM_MatrixRead)->Unit(benchmark::kMicrosecond);

// compute_row without its figures and printing: the file and both zones.
void BM_Row(benchmark::State& state) {
  auto r = sample_run();
  for (auto _ : state) {
    r->S.alpha = kAlpha;
    vorn::form_alpha_text(r->S);
    vorn::load_matrix(r->S);
    r->S.theta_from = 0;
    r->S.theta_to = 90;
    vorn::integrate_zone(r->S);
    r->S.Sky_zone[kAlpha] = r->S.Zone_Sum;
    r->S.theta_from = 90;
    r->S.theta_to = 180;
    vorn::integrate_zone(r->S);
    r->S.Earth_zone[kAlpha] = r->S.Zone_Sum;
    benchmark::DoNotOptimize(r->S.Earth_zone[kAlpha]);
  }
}
BENCHMARK(BM_Row)->Unit(benchmark::kMicrosecond);

// Both passes over the table, with the cell gains.
void ff_read(benchmark::State& state, const char* name) {
  folder();
  vorn::set_extended_precision();
  for (auto _ : state) {
    state.PauseTiming();
    auto r = std::make_unique<Run>();
    r->S.ff_name = name;
    state.ResumeTiming();
    vorn::check_ff_grid(r->S);
    vorn::read_ff_table(r->S);
    benchmark::DoNotOptimize(r->S.Cell_Gain.data());
    state.PauseTiming();
    r.reset();
    state.ResumeTiming();
  }
}

void BM_FFRead_Sample(benchmark::State& state) { ff_read(state, kSample); }
BENCHMARK(BM_FFRead_Sample)->Unit(benchmark::kMicrosecond);

void BM_FFRead_Random(benchmark::State& state) { ff_read(state, kRandom); }
BENCHMARK(BM_FFRead_Random)->Unit(benchmark::kMicrosecond);

}  // namespace

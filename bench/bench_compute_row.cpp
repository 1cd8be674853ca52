// Reading the FF Table, one row (its Matrix file and both zones) and a page
// of 19 rows, on a realistic table and tilted Matrix files.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/flow.h"
#include "gt/zone.h"
#include "pattern/ff_table.h"
#include "pattern/matrix.h"
#include "tests/support/harness.h"
#include "tools/lib/writers.h"

namespace {

using vorn::test::Run;
using vorn::test::TempDir;

constexpr const char* kTable = "bench table.txt";

// One folder for the whole process: the table and the files of alpha 0-18.
// A static, so that it is removed at exit.
struct Folder {
  TempDir dir;
  Folder() {
    vorn::tools::write_ff_table(kTable, vorn::tools::directional_gain);
    for (int a = 0; a <= 18; ++a) vorn::tools::write_matrix(vorn::tools::matrix_path("", a), vorn::tools::tilt_sources(a));
  }
};

TempDir& folder() {
  static Folder f;
  return f.dir;
}

std::unique_ptr<Run> table_read() {
  folder();
  auto r = std::make_unique<Run>();
  vorn::set_extended_precision();
  r->S.T_sky = 50;
  r->S.T_earth = 290;
  r->S.ff_name = kTable;
  vorn::check_ff_grid(r->S);
  vorn::read_ff_table(r->S);
  vorn::reference_pass(r->S);
  return r;
}

void BM_ReadFFTable(benchmark::State& state) {
  folder();
  vorn::set_extended_precision();
  for (auto _ : state) {
    state.PauseTiming();
    auto r = std::make_unique<Run>();
    r->S.ff_name = kTable;
    state.ResumeTiming();
    vorn::check_ff_grid(r->S);
    vorn::read_ff_table(r->S);
    benchmark::DoNotOptimize(r->S.Max_Gain);
  }
}
BENCHMARK(BM_ReadFFTable)->Unit(benchmark::kMillisecond);

void BM_LoadMatrix(benchmark::State& state) {
  auto r = table_read();
  r->S.alpha = 5;
  vorn::form_alpha_text(r->S);
  for (auto _ : state) {
    vorn::load_matrix(r->S);
    benchmark::DoNotOptimize(r->S.Rot_Gain.data());
  }
}
BENCHMARK(BM_LoadMatrix)->Unit(benchmark::kMicrosecond);

void BM_IntegrateBothZones(benchmark::State& state) {
  auto r = table_read();
  for (auto _ : state) {
    r->S.theta_from = 0;
    r->S.theta_to = 90;
    vorn::integrate_zone(r->S);
    r->S.theta_from = 90;
    r->S.theta_to = 180;
    vorn::integrate_zone(r->S);
    benchmark::DoNotOptimize(r->S.Zone_Sum);
  }
}
BENCHMARK(BM_IntegrateBothZones)->Unit(benchmark::kMicrosecond);

void BM_ComputeRow(benchmark::State& state) {
  auto r = table_read();
  for (auto _ : state) {
    r->S.alpha = 5;
    vorn::compute_row(r->S);
    benchmark::DoNotOptimize(r->S.G_T[5]);
  }
}
BENCHMARK(BM_ComputeRow)->Unit(benchmark::kMillisecond);

void BM_ComputePageOf19Rows(benchmark::State& state) {
  auto r = table_read();
  for (auto _ : state) {
    for (int a = 0; a <= 18; ++a) {
      r->S.alpha = (int16_t)a;
      vorn::compute_row(r->S);
    }
    benchmark::DoNotOptimize(r->S.G_T[18]);
  }
}
BENCHMARK(BM_ComputePageOf19Rows)->Unit(benchmark::kMillisecond);

}  // namespace

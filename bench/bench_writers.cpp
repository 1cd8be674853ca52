#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "tools/lib/writers.h"

namespace {

std::filesystem::path temp_folder() {
  auto dir = std::filesystem::temp_directory_path() / "vorn-bench-matrices";
  std::filesystem::create_directories(dir);
  return dir;
}

void BM_WriteAllMatrices(benchmark::State& state) {
  const auto dir = temp_folder();
  for (auto _ : state) vorn::tools::write_all_matrices(dir.string());
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WriteAllMatrices)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TiltSources(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(vorn::tools::tilt_sources(45));
}
BENCHMARK(BM_TiltSources)->Unit(benchmark::kMillisecond);

void BM_WriteFFTable(benchmark::State& state) {
  const auto dir = temp_folder();
  const std::string path = (dir / "ff.txt").string();
  for (auto _ : state) vorn::tools::write_ff_table(path, vorn::tools::directional_gain);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WriteFFTable)->Unit(benchmark::kMillisecond);

}  // namespace

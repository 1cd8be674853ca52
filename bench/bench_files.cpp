// Reading an FF Table-sized file line by line and a Matrix-sized file field
// by field; each pass should take a few milliseconds.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/files.h"
#include "platform/to_number.h"

namespace {

constexpr int kTableLines = 65893;
constexpr int kRecords = 65341;

struct Files {
  std::filesystem::path dir;
  std::string table, matrix;

  Files() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vorn-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) std::abort();
    dir = tmpl;
    table = (dir / "table.txt").string();
    matrix = (dir / "matrix.txt").string();

    // About 4 MB: 65,893 lines of some 60 bytes, as a far-field table.
    std::ofstream t(table, std::ios::binary);
    char line[128];
    for (int i = 0; i < kTableLines; ++i) {
      std::snprintf(line, sizeof line, "%3d     %6.2f    %8.2f    %8.2f    %8.2f    %8.2f\r\n", i % 361,
                    (i % 181) - 90.0, -(i % 977) / 37.0, -(i % 613) / 19.0, -(i % 409) / 13.0,
                    (i % 97) / 7.0);
      t << line;
    }
    // 65,341 records, the source point in characters 14 to 22.
    std::ofstream m(matrix, std::ios::binary);
    for (int i = 1; i <= kRecords; ++i) {
      std::snprintf(line, sizeof line, "  %5d %5d %9d\r\n", i % 361, i % 181, (i * 7919) % kRecords + 1);
      m << line;
    }
  }
  ~Files() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

const Files& files() {
  static Files f;
  return f;
}

void BM_ReadLine_FFTable(benchmark::State& state) {
  const Files& f = files();
  std::string line;
  for (auto _ : state) {
    vorn::FileTable t;
    t.open_file(f.table, vorn::FileMode::Input, 1);
    for (int i = 0; i < kTableLines; ++i) t.read_line(1, line);
    t.close_file(1);
    benchmark::DoNotOptimize(line);
  }
  state.SetItemsProcessed(state.iterations() * kTableLines);
}
BENCHMARK(BM_ReadLine_FFTable)->Unit(benchmark::kMillisecond);

void BM_ReadField_Matrix(benchmark::State& state) {
  const Files& f = files();
  std::string record;
  for (auto _ : state) {
    vorn::FileTable t;
    t.open_file(f.matrix, vorn::FileMode::Input, 1);
    for (int i = 0; i < kRecords; ++i) t.read_field(1, record);
    t.close_file(1);
    benchmark::DoNotOptimize(record);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadField_Matrix)->Unit(benchmark::kMillisecond);

// A whole Matrix pass as the reader makes it: field, characters 14-22, number.
void BM_ReadField_Matrix_WithNumbers(benchmark::State& state) {
  const Files& f = files();
  std::string record;
  for (auto _ : state) {
    vorn::FileTable t;
    t.open_file(f.matrix, vorn::FileMode::Input, 1);
    long double sum = 0;
    for (int i = 0; i < kRecords; ++i) {
      t.read_field(1, record);
      sum += vorn::to_number(record.size() > 13 ? record.substr(13, 9) : std::string());
    }
    t.close_file(1);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_ReadField_Matrix_WithNumbers)->Unit(benchmark::kMillisecond);

void BM_ToNumber(benchmark::State& state) {
  const std::string texts[] = {"    -12.34", "  12345", "  -3,21", "1.234567E-3"};
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(vorn::to_number(texts[i++ & 3]));
}
BENCHMARK(BM_ToNumber);

}  // namespace

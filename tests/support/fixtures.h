#pragma once
// Test data: FF Tables written on the spot, and the 91 identity Matrix
// files written once per build folder and linked into each test folder.
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/lib/writers.h"

namespace vorn::test {

inline void constant_table(const std::string& name, double dB, const tools::FFTableOptions& o = {}) {
  tools::write_ff_table(name, [dB](int, int) { return dB; }, o);
}

inline std::filesystem::path identity_cache() {
#ifdef VORN_BINARY_DIR
  const std::filesystem::path dir = std::filesystem::path(VORN_BINARY_DIR) / "testdata" / "identity";
#else
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vorn-testdata-identity";
#endif
  if (std::filesystem::exists(dir / "FFstep1_phi2_theta2_basic_90_V2-0.txt")) return dir;
  // Several test processes may get here at once: build aside, then rename.
  const std::filesystem::path tmp = dir.string() + ".tmp-" + std::to_string(getpid());
  std::filesystem::create_directories(tmp);
  const std::vector<int32_t> id = tools::identity_sources();
  for (int a = 0; a <= 90; ++a) tools::write_matrix(tools::matrix_path(tmp.string(), a), id);
  std::error_code ec;
  std::filesystem::rename(tmp, dir, ec);
  if (ec) std::filesystem::remove_all(tmp, ec);
  return dir;
}

// Identity Matrix files for the given alphas (all when empty) in the
// working directory.
inline void identity_matrices(const std::vector<int>& alphas = {}) {
  const std::filesystem::path cache = identity_cache();
  std::vector<int> list = alphas;
  if (list.empty())
    for (int a = 0; a <= 90; ++a) list.push_back(a);
  for (int a : list) {
    const std::string name = tools::matrix_path(".", a);
    std::filesystem::remove(name);
    std::filesystem::create_symlink(cache / std::filesystem::path(name).filename(), name);
  }
}

}  // namespace vorn::test

// Writes the 91 Matrix files, for alpha 0 to 90, into a folder.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/lib/writers.h"

int main(int argc, char** argv) {
  using namespace vorn::tools;
  std::string folder;
  bool identity = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--identity") {
      identity = true;
    } else if (arg.rfind("--", 0) == 0 || !folder.empty()) {
      folder.clear();
      break;
    } else {
      folder = arg;
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: make_matrices FOLDER [--identity]\n");
    return 2;
  }
  try {
    if (identity) {
      const auto source = identity_sources();
      for (int alpha = 0; alpha <= 90; ++alpha) write_matrix(matrix_path(folder, alpha), source);
    } else {
      write_all_matrices(folder);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_matrices: %s\n", e.what());
    return 1;
  }
  return 0;
}

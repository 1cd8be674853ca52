#pragma once
// A whole run without a window: scripted keys, a virtual clock, the real
// flow. Tests read back screen rows and colours.
#include <filesystem>
#include <string>

#include "app/flow.h"
#include "app/state.h"
#include "tests/support/headless.h"

namespace vorn::test {

struct Run {
  HeadlessHost host;
  State S{host.console};

  Console& con() { return host.console; }
  Screen& screen() { return host.console.screen; }
  void flow() { run_flow(S); }
  std::string row(int r) { return screen().row_trimmed(r); }
  std::string row80(int r) { return screen().row_text(r); }
  int fg(int r, int c) { return screen().cell(r, c).fg; }
};

// A fresh folder that is the working directory while the object lives.
class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "vorn-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
    path_ = tmpl;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_, old_;
};

// Inside a TEST body the bare name Run means testing::Test::Run: use this.
using Session = Run;

}  // namespace vorn::test

// Runs the whole flow without a window in the current folder, with the keys
// of its argument typed when asked for ("\r" written as \r, "\\" as \\), so
// the end-to-end test can compare what the real window session wrote with
// what the same keys give here. Prints the final screen.
// Usage: e2e_headless KEYS
#include <cstdio>
#include <string>

#include "app/flow.h"
#include "app/state.h"
#include "tests/support/headless.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s KEYS\n", argv[0]);
    return 2;
  }
  std::string keys;
  for (const char* p = argv[1]; *p; ++p) {
    if (p[0] == '\\' && p[1] == 'r') {
      keys += '\r';
      ++p;
    } else if (p[0] == '\\' && p[1] == '\\') {
      keys += '\\';
      ++p;
    } else {
      keys += *p;
    }
  }
  vorn::HeadlessHost host;
  vorn::State S(host.console);
  host.type(keys);
  vorn::run_flow(S);
  S.files.close_all();
  for (int row = 1; row <= 25; ++row) std::printf("%s\n", host.console.screen.row_trimmed(row).c_str());
  // Ended by itself (not by running out of keys) is what a full session does.
  return host.script_exhausted() ? 1 : 0;
}

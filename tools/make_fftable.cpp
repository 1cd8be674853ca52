// Writes an FF Table for trying the program out and for tests.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tools/lib/writers.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: make_fftable OUT.txt [--pattern directional|constant:<dB>] [--comma]\n"
               "       [--phi-step N] [--theta-step N] [--header-lines N] [--keep-lines N]\n"
               "       [--extra-lines N]\n");
  return 2;
}

bool to_long(const char* text, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return *text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vorn::tools;
  std::string out;
  FFTableOptions options;
  bool constant = false;
  double constant_dB = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto number = [&](long& value) { return i + 1 < argc && to_long(argv[++i], value); };
    long n = 0;
    if (arg == "--comma") {
      options.decimal_comma = true;
    } else if (arg == "--pattern") {
      if (i + 1 >= argc) return usage();
      std::string p = argv[++i];
      if (p == "directional") {
        constant = false;
      } else if (p.rfind("constant:", 0) == 0) {
        char* end = nullptr;
        const char* text = p.c_str() + 9;
        constant_dB = std::strtod(text, &end);
        if (!*text || *end) return usage();
        constant = true;
      } else {
        return usage();
      }
    } else if (arg == "--phi-step" || arg == "--theta-step") {
      if (!number(n) || n < 1) return usage();
      (arg == "--phi-step" ? options.phi_step : options.theta_step) = static_cast<int>(n);
    } else if (arg == "--header-lines" || arg == "--extra-lines") {
      if (!number(n) || n < 0) return usage();
      (arg == "--header-lines" ? options.header_lines : options.extra_lines) = static_cast<int>(n);
    } else if (arg == "--keep-lines") {
      if (!number(n) || n < 0) return usage();
      options.keep_lines = n;
    } else if (arg.rfind("--", 0) == 0 || !out.empty()) {
      return usage();
    } else {
      out = arg;
    }
  }
  if (out.empty()) return usage();
  try {
    if (constant)
      write_ff_table(out, [=](int, int) { return constant_dB; }, options);
    else
      write_ff_table(out, directional_gain, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_fftable: %s\n", e.what());
    return 1;
  }
  return 0;
}

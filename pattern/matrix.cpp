// One Matrix file gathered into Rot_Gain: record i names the untilted point
// whose cell gain lands on point i. Read afresh for every row.
#include "pattern/matrix.h"

#include <cmath>

#include "app/flow.h"

namespace vorn {

namespace {

constexpr int kMatrixFile = 1;

// Nearest integer, ties to even. With a 64-bit mantissa every value from
// 2^63 up is whole already, and below that adding and taking away 2^63
// leaves the rounding to the adder (nearbyintl costs more than the rest of
// a record).
long double round_even(long double x) {
  constexpr long double big = 0x1p63L;
  if (!(fabsl(x) < big)) return x;
  const long double t = x >= 0 ? x + big : x - big;
  return x >= 0 ? t - big : t + big;
}

}  // namespace

std::string matrix_file_name(int alpha) {
  std::string two = std::to_string(alpha);
  if (alpha <= 9) two = "0" + two;
  return "FFstep1_phi2_theta2_basic_" + two + "_V2-0.txt";
}

void form_alpha_text(State& S) {
  S.alpha_text = std::to_string(S.alpha);
  if (S.alpha <= 9) S.alpha_text = "0" + S.alpha_text;
}

int32_t source_point(long double number) {
  const long double r = round_even(number);
  if (!(r >= -0x1p63L && r < 0x1p64L)) return 0;  // NaN lands here too
  const uint64_t bits = r >= 0x1p63L ? (uint64_t)r : (uint64_t)(int64_t)r;
  return (int32_t)(uint32_t)bits;
}

void load_matrix(State& S) {
  pass_checkpoint(S, 200);
  const std::string name = "FFstep1_phi2_theta2_basic_" + S.alpha_text + "_V2-0.txt";
  step(S, 737, [&] { S.files.open_file(name, FileMode::Input, kMatrixFile); });
  for (uint32_t i = 1; i <= (uint32_t)kPoints; ++i) {
    pass_checkpoint(S, 210);
    step(S, 740, [&] { S.files.read_field(kMatrixFile, S.line_text); });
    if (S.line_text.size() >= 14) {
      S.index_field.assign(S.line_text, 13, 9);
    } else {
      S.index_field.clear();
    }
    long double number = 0;
    step(S, 741, [&] { number = to_number(S.index_field); });
    const int32_t j = source_point(number);
    step(S, 742, [&] {
      if (j < 0 || j > kPoints) raise_error(err::subscript_out_of_range);
      S.Rot_Gain[i] = S.Cell_Gain[j];
    });
  }
  S.files.close_file(kMatrixFile);
}

}  // namespace vorn

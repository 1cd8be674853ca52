#pragma once
#include "app/state.h"

namespace vorn {
// alpha_text: two digits of alpha.
void form_alpha_text(State& S);
// The Matrix file of alpha_text gathered into Rot_Gain(1..65341).
void load_matrix(State& S);
// "FFstep1_phi2_theta2_basic_" + two digits + "_V2-0.txt"
std::string matrix_file_name(int alpha);
// The source point of an index field: rounded to nearest (ties to even) as
// a 64-bit integer, low 32 bits as a signed number.
int32_t source_point(long double number);
}  // namespace vorn

#pragma once
#include <string_view>

#include "app/state.h"

namespace vorn {
// The two digits of alpha: "0" before a single digit.
std::string alpha_digits(int alpha);
// alpha_text: the two digits of alpha.
void form_alpha_text(State& S);
// "FFstep1_phi2_theta2_basic_" + the two digits + "_V2-0.txt": the one name
// the reader opens and the writers write.
std::string matrix_file_name(std::string_view alpha_text);
// The name comes from the text: a plain 0 would pass for a null pointer.
std::string matrix_file_name(int) = delete;
// The Matrix file of alpha_text gathered into Rot_Gain(1..65341).
void load_matrix(State& S);
// The source point of an index field: rounded to nearest (ties to even) as
// a 64-bit integer, low 32 bits as a signed number.
int32_t source_point(long double number);
// The source point of an index field of digits, blanks and tabs alone,
// exactly as to_number and source_point give it; false for any other text.
bool plain_source_point(std::string_view index_field, int32_t& point);
}  // namespace vorn

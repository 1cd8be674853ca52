#pragma once
#include "app/state.h"

namespace vorn {
// First pass: 14 lines, the 1-degree grid test on lines 13 and 14.
void check_ff_grid(State& S);
// Second pass: the title, the pause, the 65,341 values into Tot_dB and
// Cell_Gain, Max_Gain and its direction, the last-line test.
void read_ff_table(State& S);
// The fatal display of a table that ends early or whose last line is not
// the one of azimuth 360.
[[noreturn]] void ff_format_error(State& S);
// 10^(Tot_dB/10) * (pi/180)^2, powers in extended precision, one rounding.
double cell_gain_of(double tot_dB);
}  // namespace vorn

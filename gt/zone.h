#pragma once
#include "app/state.h"

namespace vorn {
// Trapezoid integral of Rot_Gain over theta_from..theta_to into Zone_Sum.
void integrate_zone(State& S);
// Reads the Matrix file of alpha, integrates both zones, stores the five
// results of alpha and prints its row.
void compute_row(State& S);
// alpha 0, then Sky_zone_0, Earth_zone_0, Avg_Gain, Avg_Gain_dB, T_loss.
void reference_pass(State& S);
// Avg_Gain rounded to single above 0.999 rounded to single.
bool is_lossless(double avg_gain);
// Natural logarithm in extended precision rounded to double; error 5 for
// a value of 0 or below, NaN passes.
double checked_ln(double x);
}  // namespace vorn

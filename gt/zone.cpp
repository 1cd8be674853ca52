// Placeholder until the integration lands.
#include "gt/zone.h"

#include "report/pages.h"

namespace vorn {
void integrate_zone(State&) {}
void compute_row(State& S) { print_row(S); }
void reference_pass(State& S) { S.alpha = 0; compute_row(S); }
bool is_lossless(double avg_gain) { return float(avg_gain) > 0.999f; }
double checked_ln(double x) { return x; }
}  // namespace vorn

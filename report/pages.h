#pragma once
#include "app/state.h"

namespace vorn {
// The three summary lines at the top of a table page.
void show_summary(State& S);
// The heading line and compute_row for first_alpha..last_alpha.
void show_rows(State& S);
// The heading line alone (colour as in force).
void print_heading(State& S);
// The table row of alpha: the last step of compute_row.
void print_row(State& S);
// Row 25 prompt, optional beep, colour 7 and the key wait.
void end_page(State& S, bool with_beep);
}  // namespace vorn

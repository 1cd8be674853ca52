#pragma once
#include "app/state.h"

namespace vorn {
// Asks for the output file's name and writes the results of the saved range.
void save_results(State& S);
}  // namespace vorn

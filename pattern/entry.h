#pragma once
#include "app/state.h"

namespace vorn {
// Asks for T_sky, then T_earth, until each is in 0 <= T < 10000.
void enter_temperatures(State& S);
// Asks for the FF Table's name until a non-empty one is typed.
void enter_ff_name(State& S);
}  // namespace vorn

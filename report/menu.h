#pragma once
#include "app/state.h"

namespace vorn {
// The alpha menu and the pages of the chosen range.
void alpha_menu(State& S);
}  // namespace vorn

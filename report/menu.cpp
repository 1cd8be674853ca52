// Placeholder until the menu lands.
#include "report/menu.h"

namespace vorn {
void alpha_menu(State&) {}
}  // namespace vorn

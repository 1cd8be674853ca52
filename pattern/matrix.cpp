// Placeholder until the Matrix reader lands.
#include "pattern/matrix.h"

namespace vorn {
void form_alpha_text(State&) {}
void load_matrix(State&) {}
std::string matrix_file_name(int) { return {}; }
int32_t source_point(long double) { return 0; }
}  // namespace vorn

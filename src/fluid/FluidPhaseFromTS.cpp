// The state at a temperature and a molar entropy. Kept apart from the other state setters
// because it rests on the isentropic-point search, which comes with the isentropic paths.
#include "fluid/FluidPhase.h"

namespace vornex {

void FluidPhase::calculateFromTS(double TK, double entropy, char print) {
    calculate_isentropic_point_at_fixed_T(TK, entropy, V);
    calculate_state_functions();
    calculate_fugacities();
    if (print) dump();
}

}  // namespace vornex

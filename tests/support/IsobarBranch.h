// Whether the branch of an isobar's last row (T in K, V in m3/mol, P in bar) goes on by dT
// (the way the isobar ran): a mechanically stable root of the pressure within 5 % of the
// row's volume at T + dT, found by Newton steps of at most 1 % of the volume. An isobar that
// ends at its spinodal has none a few millikelvin on.
#pragma once

#include <cmath>

#include "fluid/FluidPhase.h"

namespace vornex::testing_support {

inline bool isobarBranchGoesOn(FluidPhase& f, double TK, double Vlast, double Pbar, double dT) {
    double V = Vlast;
    for (int k = 0; k < 100; ++k) {
        f.error = 0;
        f.calculateFromTV(TK + dT, V, 0);
        if (f.error != 0 || !(f.dPdV < 0.0)) return false;
        const double move = std::fmax(-0.01 * V, std::fmin(0.01 * V, -(f.P - Pbar * 1e5) / f.dPdV));
        V += move;
        if (std::fabs(V / Vlast - 1.0) > 0.05) return false;
        if (std::fabs(move) < 1e-12 * V) return true;
    }
    return false;
}

}  // namespace vornex::testing_support

// Volume solve of a fluid at its set T and pressure that stays on the branch of a given
// volume, for checks that difference a property along the state being checked.
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

// Solves the volume from Vnear (the stored-volume selector), leaving the fluid's phase
// selector and stored volume as they were; the phase error flag tells whether it converged.
inline void solveVolumeNear(FluidPhase& f, double Vnear) {
    const int selector = f.phase;
    const double stored = f.Vv0;
    f.Vv0 = Vnear;
    f.set_the_phase_as(5);
    f.calculate_molar_volume();
    f.set_the_phase_as(selector);
    f.Vv0 = stored;
}

}  // namespace vornex

#include "water/WaterEOS.h"

namespace vornex {

WaterEOS::WaterEOS(int nTerms, int phase, char extraTerm) : FluidPhase(nTerms, phase, extraTerm) {
    M = kWaterMolarMass;
    Tcrit = 650.0;
    Vcrit = 6e-5;
    // A saturated liquid is denser and a saturated vapour lighter than the critical fluid:
    // the saturation solves keep the two volumes on their own sides of it.
    Vsep = kWaterCriticalVolume;
    Scrit = kWaterCriticalEntropy;
    Tlowest = 230.0;
}

WaterEOS::~WaterEOS() = default;

}  // namespace vornex

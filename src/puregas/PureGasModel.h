// What every pure-gas model sets on its fluid once its terms are in place.
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

struct PureGasSetup {
    const char* modelName;
    const char* component;
    double molarMass;  // kg/mol
    double Vliquid;    // start volume of the liquid-side searches, m3/mol
    double Vvapour;    // stored volume of the vapour side, m3/mol
    double Tcrit = 0;  // start of the critical-point search, K (0: the fluid's own)
    double Vcrit = 0;  // m3/mol
};

// Start volumes, model name, the one component and its molar mass.
void setUpPureGas(FluidPhase& fluid, const PureGasSetup& setup);

// A Duan1 term in residual slot 0 with the constants of `gas` ("CH4" or "CO2") from the
// Duan-Moller-Weare gas table, the fluid set up with the gas's molar mass.
void setUpDuanGas(FluidPhase& fluid, const char* gas, const char* modelName, double Vliquid,
                  double Vvapour);

}  // namespace vornex

// What every pure-gas model sets on its fluid once its terms are in place.
#pragma once

#include "fluid/FluidPhase.h"

namespace vornex {

// The base of the pure-gas models. Their liquid-side searches start from one volume of the
// model's own, denser than its liquid at the triple point, never from a volume an earlier
// solve left (Vl0): a saturation solve at 120 K left nitrogen's saturated liquid of 53.5
// cm3/mol there, which at 95 K lies on a stable-looking stretch between the equation's
// spinodals, and the compressed liquid of 39 cm3/mol at 9.6 bar came out as a vapour of 575;
// the liquid spinodal searched from it came out as 110 cm3/mol at 64 K (36.5 from the dense
// side), or not at all. From a volume denser than every liquid root the search climbs the
// liquid branch from its dense side, and a state at (T, P) is the one a fresh model gives.
class PureGasPhase : public FluidPhase {
   public:
    using FluidPhase::FluidPhase;
    // The fixed start (Vl0 while setUpPureGas has not set one): the liquid side's volume
    // search, its last-resort retries and the dense end of the spinodal search.
    double estimate_Vl0() override;
    double liquidStart = 0.0;  // m3/mol
};

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
void setUpPureGas(PureGasPhase& fluid, const PureGasSetup& setup);

// A Duan1 term in residual slot 0 with the constants of `gas` ("CH4" or "CO2") from the
// Duan-Moller-Weare gas table, the fluid set up with the gas's molar mass.
void setUpDuanGas(PureGasPhase& fluid, const char* gas, const char* modelName, double Vliquid,
                  double Vvapour);

}  // namespace vornex

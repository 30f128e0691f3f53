// Holloway: reduced Helmholtz energy a = A/(RT) of H2O-CO2 fluids by the modified
// Redlich-Kwong equation of Holloway (1977) with the H2O and CO2 attractions of Flowers (1979):
//     a = -ln(V - b) + a_m/(b R T^1.5) ln(V/(V + b)),
//     P = R T/(V - b) - a_m/(T^0.5 V (V + b)),
// b = b1 x1 + b2 x2, a_m = a1 x1^2 + 2 a12 x1 x2 + a2 x2^2 (x1 H2O, x2 CO2).
// T in K, V in m3/mol, a in Pa m6 K^0.5/mol2, R = 8.31434 J/(mol K).
// The term carries the whole volume dependence (no ln V is subtracted), so its fluid,
// HollowayEOS, has no ideal-gas term.
#pragma once

#include <cstdio>

#include "fluid/FluidPhase.h"
#include "fluid/TermNodes.h"

namespace vornex {

class Holloway : public PooledGraphTerm<Interaction> {
   public:
    static constexpr double b1 = 1.46e-05;  // covolume of H2O, m3/mol
    static constexpr double b2 = 2.97e-05;  // covolume of CO2, m3/mol
    // The H2O attraction changes polynomial at 600 degC.
    static constexpr double kSwitchTemperature = 873.15;

    Holloway();
    ~Holloway() override;

    // Two components only; any other count is refused with a message.
    void number_of_components(int count) override;
    // b(x): below it no fluid exists.
    double getVolumeMinimum() override;

    // Two components; for k = 1 the graph's values and every derivative against numerical
    // differences at 1073 K, 1.23e-4 m3/mol, pure H2O.
    void test(int k);
};

class HollowayEOS : public FluidPhase {
   public:
    explicit HollowayEOS(int phase);
    ~HollowayEOS() override;
    double estimate_Vl0() override { return Vl0; }

    // Pure CO2 at 1073.15 K against the Sterner-Pitzer model for 100 to 4900 bar by 100:
    // "P V Vref f(CO2) fref(CO2)" rows, volumes in cm3/mol, fugacities in bar; a state
    // either model could not solve prints nan. Returns the number of such rows.
    int test(std::FILE* out = stdout);
};

}  // namespace vornex

// Carbon-dioxide models: CO2EOS, the FluidPhase base of every carbon-dioxide model, and
// DuanCO2, carbon dioxide by the Duan-Moller-Weare equation (Geochim. Cosmochim. Acta 56
// (1992) 2605): one Duan1 residual term with the carbon-dioxide constants, no ideal-gas
// term, model name "DMW CO2", M = 0.044 kg/mol.
#pragma once

#include <cstdio>

#include "puregas/PureGasModel.h"

namespace vornex {

// Molar mass the carbon-dioxide models carry, kg/mol.
constexpr double kCO2MolarMass = 0.044;

class CO2EOS : public PureGasPhase {
   public:
    CO2EOS(short nTerms, short phase, char extraTerm);
    ~CO2EOS() override;

    // The volume of carbon dioxide at high pressure after Shmonov and Shmulovich, as the
    // closed-form fit V(T, P) (m3/mol, T in K, P in Pa; 1500 to 8000 bar).
    static double shmonovVolume(double TK, double PPa);
    // The model's molar volumes against shmonovVolume at 408.2 and 610.2 °C and 1500 to
    // 8000 bar by 500 bar: 28 rows, then "AADP" over the states the model solved (a failed
    // solve prints nan). Returns the AADP.
    double compareShmonovData(FluidPhase* unused = nullptr, std::FILE* out = stdout);
};

class DuanCO2 : public CO2EOS {
   public:
    explicit DuanCO2(int phase);
    ~DuanCO2() override;
};

}  // namespace vornex

// Methane models: CH4EOS, the FluidPhase base of every methane model, and DuanCH4, methane
// by the Duan-Moller-Weare equation (Geochim. Cosmochim. Acta 56 (1992) 2605): one Duan1
// residual term with the methane constants, no ideal-gas term, model name "DMW CH4",
// M = 0.016 kg/mol.
//
// The saturation correlations of CH4EOS (T in K, densities in kg/m3, pressure in bar) were
// fitted to an early methane model and do not follow methane: their vapour pressure is
// 9.10 bar at 150 K where methane boils at 10.40 bar. They serve only as starting values of
// the saturation and homogenisation solves, never as results; outside 100-190 K they are
// not even starting values (the vapour density turns negative below about 100 K).
#pragma once

#include <cstdio>

#include "puregas/PureGasModel.h"

namespace vornex {

class CH4EOS : public PureGasPhase {
   public:
    CH4EOS(int nTerms, int phase, char extraTerm);
    ~CH4EOS() override;

    // Starting values of saturation solves only (see above), x = 1/T.
    static double get_saturation_pressure_from_temperature(double TK);           // bar
    static double get_saturation_liquid_density_from_temperature(double TK);     // kg/m3
    static double get_saturation_vapour_density_from_temperature(double TK);     // kg/m3
    static double get_saturation_temperature_from_liquid_density(double rho);    // K
    static double get_saturation_temperature_from_vapour_density(double rho);    // K
    // From 100 K to 190 K: the correlations' saturated volumes; else the framework's starts.
    void initializeSaturationVolumesFromT(const char* component, double TK) override;

    // Homogenisation temperature of a fluid of molar volume V (m3/mol) into the liquid or
    // the vapour, from the correlations' saturation state of that density, else on the
    // model's own saturation curve (homogeniseOnOwnSaturation). The solver's code; the
    // fluid's error flag tells failure, said on standard error.
    int calculateLiquidTh(double Vm3);
    int calculateGasTh(double Vm3);
    // flag 0: the liquid starter at 350 kg/m3, then the gas starter at 150 kg/m3.
    void test(int flag);

    // The model's molar volumes at the fourteen (T, P) states of Vennix et al. against their
    // measured volumes, one row per state, then "AADP" (mean |deviation|, %) over the states
    // the model solved; a failed solve prints nan and is left out. Returns the AADP.
    double compareVennixData(FluidPhase* unused = nullptr, std::FILE* out = stdout);
    // Per cent differences of molar volume and fugacity coefficient of `other` from this
    // model on 43 pressures (1 to 10000 bar) by ten temperatures (0 to 1200 °C); a cell
    // either model could not solve prints nan. Returns the number of such cells.
    int compareWithIUPAC(FluidPhase* other, std::FILE* out = stdout);
};

class DuanCH4 : public CH4EOS {
   public:
    explicit DuanCH4(int phase);
    ~DuanCH4() override;
    // flag 1: compareVennixData on this model.
    void test(char flag);
};

}  // namespace vornex

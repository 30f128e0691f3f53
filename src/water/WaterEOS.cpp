#include "water/WaterEOS.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

FluidPhase::VolumeStart WaterEOS::volumeSearchStart(bool liquidSide) {
    const double idealGas = gasConstant * T / P;
    if (!(T >= 230.0 && T < kWaterCriticalTemperature)) return {idealGas, false};
    if (liquidSide) return {kWaterMolarMass / saturatedLiquidDensityWagnerPruss(T), true};
    if (P > saturationPressureWagnerPruss(T))
        return {kWaterMolarMass / saturatedVapourDensityWagnerPruss(T), false};
    return {idealGas, false};
}

double WaterEOS::estimate_Vl0() {
    return liquidStart > 0.0 ? liquidStart : Vl0;
}

void WaterEOS::setUpPureWater(const char* name, double liquidV, double vapourV) {
    liquidStart = liquidV;
    Vl0 = liquidV;
    Vv0 = vapourV;
    setModelName(name);
    number_of_components(1);
    add_components("H2O");
    molarMass[0] = kWaterMolarMass;
    M = kWaterMolarMass;
}

}  // namespace vornex

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

void WaterEOS::setUpPureWater(const char* name, double liquidV, double vapourV) {
    Vl0 = liquidV;
    Vv0 = vapourV;
    setModelName(name);
    number_of_components(1);
    add_components("H2O");
    molarMass[0] = kWaterMolarMass;
    M = kWaterMolarMass;
}

int WaterEOS::doCommandEx(int argc, char* const* argv) {
    if (argc < 2 || std::strcmp(argv[0], "psat") != 0) return 0;
    char* end = nullptr;
    errno = 0;
    const double TK = std::strtod(argv[1], &end);
    if (end == argv[1] || *end != '\0' || errno != 0) return 0;
    printSaturationState(TK);
    return 2;
}

bool WaterEOS::printSaturationState(double TK) {
    if (!(TK > 0.0)) {
        std::printf("psat: %g K is not a temperature\n", TK);
        return false;
    }
    calculateTheSaturationPressure(TK);
    if (error != 0) {
        std::printf("psat: no saturation state of %s at %.10g K\n", modelName.c_str(), TK);
        return false;
    }
    const double Psat = P, Vliquid = Vl, Vvapour = Vv, vaporisation = Hvap;
    std::printf("Saturation at T : %12.2f K\tP : %12.6f bar\n", TK, Psat * 1e-5);
    std::printf("Liquid\n");
    calculateFromTV(TK, Vliquid, 1);
    std::printf("Vapour\n");
    calculateFromTV(TK, Vvapour, 1);
    std::printf("Vaporisation enthalpy : %12.3f kJ/kg\n", vaporisation / M * 0.001);
    return true;
}

}  // namespace vornex

#include "puregas/CO2EOS.h"

#include <cmath>
#include <vector>

#include "puregas/GasComparison.h"
#include "puregas/PureGasModel.h"

namespace vornex {

CO2EOS::CO2EOS(short nTerms, short phase, char extraTerm)
    : PureGasPhase(nTerms, phase, extraTerm) {
    Tcrit = 305.0;
    Vcrit = 9.4e-05;
    Tlowest = 80.0;
    Ttriple = 216.592;  // carbon dioxide's triple point (Span and Wagner 1996)
}

CO2EOS::~CO2EOS() = default;

double CO2EOS::shmonovVolume(double TK, double PPa) {
    return 5.912e-05 * (1.0 - 0.18555 * std::log((PPa - 1.233e8) / 7.67e7)) +
           5.0718e-08 * (TK - 773.15) * (1.0 - 0.3035 * std::log((PPa - 144700.0) / 1.998553e8));
}

double CO2EOS::compareShmonovData(FluidPhase*, std::FILE* out) {
    std::vector<VolumeReference> states;
    for (double tC : {408.2, 610.2})
        for (double Pbar = 1500.0; Pbar <= 8000.0; Pbar += 500.0)
            states.push_back({273.15 + tC, Pbar, shmonovVolume(273.15 + tC, 1e5 * Pbar)});
    return printVolumeDeviations(*this, "T(°C)", states, out);
}

// ------------------------------------------------------------------------ DuanCO2

DuanCO2::DuanCO2(int phase) : CO2EOS(1, static_cast<short>(phase), 0) {
    setUpDuanGas(*this, "CO2", "DMW CO2", 2e-05, 2e-04);
    Tcrit = 309.0;
}

DuanCO2::~DuanCO2() = default;

}  // namespace vornex

#include "phasediagram/PhaseDiagramInfo.h"

#include <cmath>
#include <initializer_list>

namespace vornex {

namespace {

// The result fields that reset() clears.
template <class F>
void forEachResultField(PhaseDiagramInfo& r, F&& f) {
    for (double* v : {&r.slvPressure,
                      &r.slvLiquidSalinity,
                      &r.slvVapourSalinity,
                      &r.slvLiquidDensity,
                      &r.slvVapourDensity,
                      &r.liquidGasPressure,
                      &r.lgLiquidSalinity,
                      &r.lgVapourSalinity,
                      &r.lgLiquidDensity,
                      &r.lgVapourDensity,
                      &r.haliteLiquidSalinity,
                      &r.haliteLiquidDensity,
                      &r.maxPressure,
                      &r.liquidusSalinityAtMaxPressure,
                      &r.liquidusDensityAtMaxPressure,
                      &r.haliteGasSalinity,
                      &r.haliteGasDensity,
                      &r.waterSaturationPressure,
                      &r.waterLiquidDensity,
                      &r.waterVapourDensity,
                      &r.naclSaturationPressure,
                      &r.naclLiquidDensity,
                      &r.naclVapourDensity,
                      &r.criticalPressure,
                      &r.criticalSalinity,
                      &r.criticalDensity,
                      &r.fluidCriticalPressure,
                      &r.fluidCriticalTemperature,
                      &r.fluidCriticalDensity,
                      &r.liquidMassFraction,
                      &r.haliteMassFraction,
                      &r.vapourMassFraction,
                      &r.liquidVolumeFraction,
                      &r.vapourVolumeFraction,
                      &r.haliteVolumeFraction})
        f(*v);
}

}  // namespace

PhaseDiagramInfo::PhaseDiagramInfo() {
    reset();
}

void PhaseDiagramInfo::reset() {
    region = 0;
    failed = 0;
    forEachResultField(*this, [](double& v) { v = -1.0; });
}

bool PhaseDiagramInfo::clearNonFinite() {
    bool found = false;
    forEachResultField(*this, [&](double& v) {
        if (!std::isfinite(v)) {
            v = -1.0;
            found = true;
        }
    });
    for (double* v : {&liquidusTemperatureAtMaxPressure, &haliteMeltingTemperatureAtMaxPressure,
                      &haliteMeltingTemperature, &density, &pressure})
        if (!std::isfinite(*v)) {
            *v = -1.0;
            found = true;
        }
    return found;
}

}  // namespace vornex

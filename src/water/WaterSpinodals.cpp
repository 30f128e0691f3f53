// The outer spinodals of a water model from its own terms, for its stability test.
#include <algorithm>
#include <cmath>

#include "water/WaterEOS.h"

namespace vornex {

namespace {

// The auxiliary equations that start the searches hold below the reference critical
// temperature; models with a higher one start from the last temperature they cover.
constexpr double kHighestStartTemperature = 647.09;

}  // namespace

void WaterEOS::addStabilityProbe(Interaction* term) {
    term->number_of_components(1);
    probes_.emplace_back(term);
    spinodalT_ = -1.0;
}

// dP/dV = -R T a_VV > 0, with a_VV summed over the probed terms (and the ideal gas's 1/V^2
// where it lies elsewhere).
bool WaterEOS::probeIsUnstable(double TK, double Vm3) {
    double curvature = probeAddsIdealGasVolume ? 1.0 / (Vm3 * Vm3) : 0.0;
    for (auto& probe : probes_) {
        probe->T = TK;
        probe->V = Vm3;
        probe->calculate_Z();
        if (probe->error != 0) return false;
        curvature += probe->d2aVV;
    }
    return !probes_.empty() && curvature < 0.0;
}

// The boundary between a stable volume and an unstable one (either order), by bisection
// in ln V.
double WaterEOS::spinodalBetween(double TK, double stableV, double unstableV) {
    for (int i = 0; i < 60 && std::fabs(unstableV / stableV - 1.0) > 1e-10; ++i) {
        const double mid = std::sqrt(stableV * unstableV);
        (probeIsUnstable(TK, mid) ? unstableV : stableV) = mid;
    }
    return 0.5 * (stableV + unstableV);
}

// The outermost volumes with dP/dV = 0: the liquid spinodal reached from the compressed
// liquid, the vapour spinodal reached from the saturated vapour. In between, a model may
// also have stable pockets (near the critical density), which are no stable states.
bool WaterEOS::outerSpinodals(double TK) {
    if (spinodalT_ == TK) return spinodalsFound_;
    spinodalT_ = TK;
    spinodalsFound_ = false;
    compressedLiquidFloor_ = 0.0;
    const double Tstart = std::min(TK, kHighestStartTemperature);
    // From the compressed liquid up; the fitted liquid spinodal of the reference model lies
    // within 1 % of its own.
    double V = 0.98 * getLiquidSpinodalVolume(Tstart);
    for (int i = 0; i < 40 && probeIsUnstable(TK, V); ++i) V *= 0.95;
    int steps = 0;
    while (!probeIsUnstable(TK, V * 1.002) && ++steps < 1000) V *= 1.002;
    if (steps >= 1000) return false;
    liquidSpinodal_ = spinodalBetween(TK, V, V * 1.002);
    // From beyond the saturated vapour down, in steps that shrink near the liquid spinodal
    // so that the narrow unstable range close to the critical point is not stepped over.
    V = 1.05 * kWaterMolarMass / saturatedVapourDensityWagnerPruss(Tstart);
    for (int i = 0; i < 40 && probeIsUnstable(TK, V); ++i) V *= 1.5;
    for (steps = 0; steps < 2000; ++steps) {
        const double factor = std::min(1.05, 1.0 + 0.2 * (V / liquidSpinodal_ - 1.0));
        if (!(factor > 1.0)) return false;
        if (probeIsUnstable(TK, V / factor)) {
            vapourSpinodal_ = spinodalBetween(TK, V, V / factor);
            break;
        }
        V /= factor;
    }
    if (steps >= 2000) return false;
    spinodalsFound_ = true;
    // Below the triple point the compressed liquid's branch may end, towards higher density,
    // in a loop beyond which a stretch of the equation rises again through ordinary
    // pressures; its roots are no states. Followed down to a tenth of the critical volume
    // (the branch at 10,000 bar and 250 K lies at 14.3 cm3/mol, a quarter of it).
    if (TK < 273.16) {
        for (V = liquidSpinodal_; V > 0.1 * kWaterCriticalVolume; V *= 0.98) {
            if (probeIsUnstable(TK, V * 0.98)) {
                compressedLiquidFloor_ = spinodalBetween(TK, V, V * 0.98);
                break;
            }
        }
    }
    return true;
}

bool WaterEOS::spinodalVolumes(double TK, double& liquid, double& vapour) {
    if (probes_.empty() || !(TK >= 230.0 && TK < spinodalCeiling) || !outerSpinodals(TK))
        return false;
    liquid = liquidSpinodal_;
    vapour = vapourSpinodal_;
    return true;
}

int WaterEOS::isInstable(double TK, double Vm3) {
    return isInstableBetweenSpinodals(TK, Vm3);
}

int WaterEOS::isInstableBetweenSpinodals(double TK, double Vm3) {
    if (probes_.empty()) return 0;
    if (TK < 230.0) return 1;
    if (!(TK < spinodalCeiling) || !(Vm3 > 0.0)) return 0;
    if (outerSpinodals(TK))
        return (liquidSpinodal_ < Vm3 && Vm3 < vapourSpinodal_) || Vm3 < compressedLiquidFloor_
                   ? 1
                   : 0;
    return probeIsUnstable(TK, Vm3) ? 1 : 0;
}

}  // namespace vornex

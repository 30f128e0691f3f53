#include "water/WagnerPruss.h"

#include <algorithm>
#include <cmath>

#include "water/Wagnerid.h"

namespace vornex {

WagnerPruss::WagnerPruss(int phase) : WaterEOS(1, phase, 0), probe_(std::make_unique<Wagner>()) {
    probe_->number_of_components(1);
    // Built after the probe, so the fluid's own terms are the graph's leaf-recomputation
    // target.
    setInteraction(0, new Wagner);
    setIdealTerm(new Wagnerid);
    setGasConstant(kWagnerPrussGasConstant);
    Vl0 = 1.8e-5;
    Vv0 = 2e-4;
    setModelName("Wagner & Pruss");
    number_of_components(1);
    add_components("H2O");
    molarMass[0] = kWaterMolarMass;
    M = kWaterMolarMass;
}

WagnerPruss::~WagnerPruss() = default;

bool WagnerPruss::probeIsUnstable(double TK, double Vm3) {
    probe_->T = TK;
    probe_->V = Vm3;
    probe_->calculate_Z();
    // dP/dV = -R T (a_VV of the residual + 1/V^2 of the ideal gas) > 0
    return probe_->error == 0 && probe_->d2aVV + 1.0 / (Vm3 * Vm3) < 0.0;
}

// The boundary between a stable volume and an unstable one (either order), by bisection
// in ln V.
double WagnerPruss::spinodalBetween(double TK, double stableV, double unstableV) {
    for (int i = 0; i < 60 && std::fabs(unstableV / stableV - 1.0) > 1e-10; ++i) {
        const double mid = std::sqrt(stableV * unstableV);
        (probeIsUnstable(TK, mid) ? unstableV : stableV) = mid;
    }
    return 0.5 * (stableV + unstableV);
}

// The outermost volumes with dP/dV = 0: the liquid spinodal reached from the compressed
// liquid, the vapour spinodal reached from the saturated vapour. In between, the model
// also has stable pockets (near the critical density), which are no stable states.
bool WagnerPruss::outerSpinodals(double TK) {
    if (spinodalT_ == TK) return spinodalsFound_;
    spinodalT_ = TK;
    spinodalsFound_ = false;
    // From the compressed liquid up; the fitted liquid spinodal lies within 1 % of the
    // model's.
    double V = 0.98 * getLiquidSpinodalVolume(TK);
    for (int i = 0; i < 40 && probeIsUnstable(TK, V); ++i) V *= 0.95;
    int steps = 0;
    while (!probeIsUnstable(TK, V * 1.002) && ++steps < 1000) V *= 1.002;
    if (steps >= 1000) return false;
    liquidSpinodal_ = spinodalBetween(TK, V, V * 1.002);
    // From beyond the saturated vapour down, in steps that shrink near the liquid spinodal
    // so that the narrow unstable range close to the critical point is not stepped over.
    V = 1.05 * kWaterMolarMass / saturatedVapourDensityWagnerPruss(TK);
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
    return true;
}

bool WagnerPruss::spinodalVolumes(double TK, double& liquid, double& vapour) {
    if (!(TK >= 230.0 && TK < kWaterCriticalTemperature) || !outerSpinodals(TK)) return false;
    liquid = liquidSpinodal_;
    vapour = vapourSpinodal_;
    return true;
}

int WagnerPruss::isInstable(double TK, double Vm3) {
    if (TK < 230.0) return 1;
    if (!(TK < kWaterCriticalTemperature) || !(Vm3 > 0.0)) return 0;
    // From 273.16 to 646 K the model's spinodals lie at least 5.8 % (liquid) and 8.3 %
    // (vapour) in volume inside the saturated volumes, which the auxiliary equations give
    // to better than 0.1 %: states up to 2 % beyond the saturated liquid volume or 4 %
    // short of the saturated vapour volume are not flagged without the spinodal search,
    // which is left to the states well inside the dome.
    if (TK >= 273.16 && TK <= 646.0) {
        if (domeT_ != TK) {
            domeT_ = TK;
            dome_[0] = kWaterMolarMass / saturatedLiquidDensityWagnerPruss(TK);
            dome_[1] = kWaterMolarMass / saturatedVapourDensityWagnerPruss(TK);
        }
        if (Vm3 < 1.02 * dome_[0] || Vm3 > 0.96 * dome_[1]) return 0;
    }
    if (outerSpinodals(TK)) return liquidSpinodal_ < Vm3 && Vm3 < vapourSpinodal_ ? 1 : 0;
    return probeIsUnstable(TK, Vm3) ? 1 : 0;
}

bool WagnerPruss::admitsVolume(double TK, double Vm3) {
    return isInstable(TK, Vm3) == 0;
}

FluidPhase::VolumeStart WagnerPruss::volumeSearchStart(bool liquidSide) {
    const double idealGas = gasConstant * T / P;
    if (!(T >= 230.0 && T < kWaterCriticalTemperature)) return {idealGas, false};
    if (liquidSide) return {kWaterMolarMass / saturatedLiquidDensityWagnerPruss(T), true};
    if (P > saturationPressureWagnerPruss(T))
        return {kWaterMolarMass / saturatedVapourDensityWagnerPruss(T), false};
    return {idealGas, false};
}

double WagnerPruss::calculateSigma(double, double) {
    const double t = 1.0 - T / kWaterCriticalTemperature;
    sigma = t > 0.0 ? 0.2358 * std::pow(t, 1.256) * (1.0 - 0.625 * t) : 0.0;
    return sigma;
}

double WagnerPruss::calculateWaterConductivity(double TK) {
    return 0.0784769460355426 +
           TK * (-0.00158330929400247 +
                 TK * (3.06955226587662e-5 +
                       TK * (-9.42725477742753e-8 +
                             TK * (1.12390728109853e-10 + TK * -5.01397987009335e-14))));
}

void WagnerPruss::checkInteractions(FILE* out) {
    temperature(500.0);
    volume(2.1497291846901942e-5);
    Interaction* residual = interaction[0];
    residual->calculate();
    ideal->calculate();
    std::fprintf(out, "Ar0 calculated %12.10lf /  2.04797734\n", ideal->table[Deriv::a]);
    std::fprintf(out, "Ar1 calculated %12.10lf / -3.42693206\n", residual->table[Deriv::a]);
    std::fflush(out);
    residual->detect_connection_errors();
    residual->check_derivatives_of(residual->root);
    residual->print_values();
}

void registerWaterModels() {
    FluidPhase::registerEOS("wagner", [] { return new WagnerPruss(2); });
}

}  // namespace vornex

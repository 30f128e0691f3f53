#include "water/WagnerPruss.h"

#include <cmath>

#include "water/Wagnerid.h"

namespace vornex {

WagnerPruss::WagnerPruss(int phase) : WaterEOS(1, phase, 0), probe_(std::make_unique<Wagner>()) {
    probe_->number_of_components(1);
    // Built after the probe, so the fluid's own terms are the graph's leaf-recomputation
    // target.
    setInteraction(0, new Wagner);
    setIdealTerm(new Wagnerid);
    Vl0 = 1.8e-5;
    Vv0 = 2e-4;
    setModelName("Wagner & Pruss");
    number_of_components(1);
    add_components("H2O");
    molarMass[0] = kWaterMolarMass;
    M = kWaterMolarMass;
}

WagnerPruss::~WagnerPruss() = default;

int WagnerPruss::isInstable(double TK, double Vm3) {
    if (TK < 230.0) return 1;
    if (TK >= kWaterCriticalTemperature || !(Vm3 > 0.0)) return 0;
    // Between the outer spinodals; near the critical density the model has a stable pocket
    // inside the two-phase region (dP/dV < 0 there), which is no stable state of water.
    if (getLiquidSpinodalVolume(TK) < Vm3 && Vm3 < getVapourSpinodalVolume(TK)) return 1;
    // Where the fitted spinodals fall short of the model's own.
    probe_->T = TK;
    probe_->V = Vm3;
    probe_->calculate_Z();
    if (probe_->error != 0) return 0;
    // dP/dV = -R T (a_VV of the residual + 1/V^2 of the ideal gas)
    const double curvature = probe_->d2aVV + 1.0 / (Vm3 * Vm3);
    return curvature < 0.0 ? 1 : 0;
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
}

void registerWaterModels() {
    FluidPhase::registerEOS("wagner", [] { return new WagnerPruss(2); });
}

}  // namespace vornex

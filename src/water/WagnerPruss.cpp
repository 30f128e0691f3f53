#include "water/WagnerPruss.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <typeinfo>

#include "water/Wagnerid.h"

namespace vornex {

WagnerPruss::WagnerPruss(int phase) : WaterEOS(1, phase, 0) {
    addStabilityProbe(new Wagner);
    probeAddsIdealGasVolume = true;
    setInteraction(0, new Wagner);
    setIdealTerm(new Wagnerid);
    setGasConstant(kWagnerPrussGasConstant);
    setUpPureWater("Wagner & Pruss", 1.8e-5, 2e-4);
}

WagnerPruss::~WagnerPruss() = default;

int WagnerPruss::isInstable(double TK, double Vm3) {
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
    return isInstableBetweenSpinodals(TK, Vm3);
}

WagnerPrussKernel* WagnerPruss::kernel() {
    // By exact type: a term derived from either may compute something else.
    if (interaction.size() != 1 || interaction[0] == nullptr || ideal == nullptr ||
        typeid(*interaction[0]) != typeid(Wagner) || typeid(*ideal) != typeid(Wagnerid))
        return nullptr;
    return &static_cast<Wagner*>(interaction[0])->kernel();
}

double WagnerPruss::calculate_pressure() {
    double phiD = 0.0, phiDD = 0.0;
    const double delta = iapws95::kReducing.Vc / V;
    WagnerPrussKernel* k = kernel();
    if (k == nullptr || !(T > 0.0) || !(V > 0.0) || isBelowCoVolume(V) ||
        !k->deltaDerivatives(iapws95::kReducing.Tc / T, delta, phiD, phiDD))
        return FluidPhase::calculate_pressure();
    error = 0;
    Z = 1.0 + delta * phiD;
    P = gasConstant * Z * T / V;
    return P;
}

bool WagnerPruss::pressureAndSlopeAt(double Vm3, double& Pcalc) {
    double phiD = 0.0, phiDD = 0.0;
    const double delta = iapws95::kReducing.Vc / Vm3;
    WagnerPrussKernel* k = kernel();
    if (k == nullptr || WagnerPrussKernel::nearCriticalTemperature(T) || !(T > 0.0) ||
        !(Vm3 > 0.0) || isBelowCoVolume(Vm3) ||
        !k->deltaDerivatives(iapws95::kReducing.Tc / T, delta, phiD, phiDD))
        return FluidPhase::pressureAndSlopeAt(Vm3, Pcalc);
    volume(Vm3);
    // a = phi_r + phi_0 in V, delta = Vc/V: a_V = -(1 + delta phi_d)/V,
    // a_VV = (1 + 2 delta phi_d + delta^2 phi_dd)/V^2 (the ideal gas's 1/V^2 included).
    const double aVV = (1.0 + 2.0 * delta * phiD + delta * delta * phiDD) / (Vm3 * Vm3);
    Z = 1.0 + delta * phiD;
    dZdV = Z / Vm3 - Vm3 * aVV;
    const double RT = gasConstant * T;
    Pcalc = RT * Z / Vm3;
    dPdV = -RT * aVV;
    return std::isfinite(Pcalc) && std::isfinite(dPdV);
}

bool WagnerPruss::admitsVolume(double TK, double Vm3) {
    return isInstable(TK, Vm3) == 0;
}

void WagnerPruss::initializeSaturationPressureSolve(const char* component, double TK) {
    initializeSaturationVolumesFromT(component, TK);
    if (component == nullptr || std::strcmp(component, "H2O") != 0) return;
    if (!(TK >= 273.16 && TK <= 646.0)) return;
    Vl0 = kWaterMolarMass / saturatedLiquidDensityWagnerPruss(TK);
    Vv0 = kWaterMolarMass / saturatedVapourDensityWagnerPruss(TK);
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
    vornex::cfprintf(out, "Ar0 calculated %12.10lf /  2.04797734\n", ideal->table[Deriv::a]);
    vornex::cfprintf(out, "Ar1 calculated %12.10lf / -3.42693206\n", residual->table[Deriv::a]);
    std::fflush(out);
    residual->detect_connection_errors();
    residual->check_derivatives_of(residual->root);
    residual->print_values();
}

namespace {

// Below the triple point ice Ih is stable between the sublimation and the melting pressure;
// above the ice Ih melting line the high-pressure ices are, up to their melting line.
std::string iceRegion(double TK, double PPa) {
    const double Pbar = PPa * 1e-5;
    if (TK < 273.16 && Pbar > WaterEOS::calculateSublimationP(TK) &&
        Pbar < WaterEOS::calculateMeltingP(TK))
        return "in the region of ice Ih (below the melting line)";
    if (TK < 715.0) {
        const double melting = WaterEOS::calculateMeltingP1(TK);
        if (Pbar > melting) {
            char text[160];
            vornex::csnprintf(text, sizeof text,
                          "in the region of the high-pressure ices: %s, above its melting "
                          "pressure (%.5g MPa at %g K)",
                          WaterEOS::highPressureIceAt(TK), melting * 0.1, TK);
            return text;
        }
    }
    return {};
}

}  // namespace

PublishedRange wagnerPrussRange() {
    PublishedRange range{251.165, 1273.0, 1000e6};
    range.solidRegion = iceRegion;
    range.lowerBound = "the melting line (251.165 K at its lowest)";
    return range;
}

void registerWaterModels() {
    FluidPhase::registerEOS("wagner", [] { return new WagnerPruss(2); });
    describeModel("wagner",
                  {"water: the 1995 international reference equation (IAPWS-95) of Wagner and "
                   "Pruss",
                   wagnerPrussRange()});
}

}  // namespace vornex

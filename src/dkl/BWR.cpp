#include "dkl/BWR.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "dkl/LeeKessler.h"
#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/Ideal.h"

namespace vornex {

namespace {

enum { b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, kBeta, kGamma };

}  // namespace

BWR::BWR() {
    TermNodes& n = nodes_;
    auto& T_ = n.make<FVar>("T_");
    T_.variableIndex = 0;
    auto& V_ = n.make<FVar>("V_");
    V_.variableIndex = 1;
    auto& Ti = tied<Inverse>(n, "Ti", T_);
    auto& Ti2 = tied<Square>(n, "Ti2", Ti);
    auto& Ti3 = tied<Cube>(n, "Ti3", Ti);
    auto& mlogV = tied<Logarithm>(n, "mlogV", V_);
    mlogV.set_scalars3(-1.0, 0.0, 0.0);
    auto& mV = tied<Inverse>(n, "mV", V_);
    auto& mV2 = tied<Square>(n, "mV2", mV);
    auto& mV5 = tied<Power>(n, "mV5", mV);
    mV5.set_scalars3(1.0, 5.0, 0.0);

    // Scalars of B, C, D, alpha, gamav2, beta1gv2, bracket and ag come with the constants.
    auto& B = weightedSum(n, "B", {&Ti3, &Ti2, &Ti}, {0.0, 0.0, 0.0}, 0.0);
    auto& C = tied<Sum2>(n, "C", Ti3, Ti);  // c1 - c2/T + c3/T^3
    auto& D = tied<Sum1>(n, "D", Ti);
    auto& alpha = tied<Sum1>(n, "alpha", Ti3);
    auto& Bv = tied<Product>(n, "Bv", B, mV);
    auto& Cv2 = tied<Product>(n, "Cv2", C, mV2);
    auto& Dv5 = tied<Product>(n, "Dv5", D, mV5);
    auto& gamav2 = tied<Sum1>(n, "gamav2", mV2);
    auto& beta1gv2 = tied<Sum1>(n, "beta1gv2", gamav2);
    auto& expgv2 = tied<Exponential>(n, "expgv2", gamav2);
    expgv2.set_scalars3(0.0, 1.0, -1.0);
    auto& be = tied<Product>(n, "be", beta1gv2, expgv2);
    auto& bracket = tied<Sum1>(n, "bracket", be);  // beta + 1 - be
    auto& ag = tied<Sum1>(n, "ag", alpha);         // c4/(2 gamma T^3)
    auto& E = tied<Product>(n, "E", ag, bracket);

    makeRoot({&mlogV, &Bv, &Cv2, &Dv5, &E}, {1.0, 1.0, 0.5, 0.2, 1.0});
    setModelName("BWR");
}

BWR::~BWR() = default;

void BWR::number_of_components(int count) {
    if (count < 1) return;
    sizeGraph(count);
    analyzeGraph();
}

void BWR::set_parameters(const double* k) {
    configured = true;
    beta = k[kBeta];
    gamma = k[kGamma];
    node("B")->set_scalars_(-k[b4], -k[b3], -k[b2], k[b1]);
    node("C")->set_scalars3(k[c3], -k[c2], k[c1]);
    node("D")->set_scalars2(k[d2], k[d1]);
    node("alpha")->set_scalars2(k[c4], 0.0);
    node("gamav2")->set_scalars2(gamma, 0.0);
    node("beta1gv2")->set_scalars2(1.0, beta + 1.0);
    node("bracket")->set_scalars2(-1.0, beta + 1.0);
    node("ag")->set_scalars2(0.5 / gamma, 0.0);
}

// --------------------------------------------------------------------------- BWREOS

BWREOS::BWREOS(int phase_) : FluidPhase(1, phase_, 0) {
    setModelName("BWR EOS");
    setInteraction(0, new BWR);
    setIdealTerm(new Ideal);
    Vl0 = 2e-05;
    Vv0 = 0.0002;
}

BWREOS::~BWREOS() = default;

void BWREOS::number_of_components(int count) {
    if (count != 1) {
        vornex::cfprintf(stderr, "Can handle only one-component fluid\n");
        refuseComponentCount();
        return;
    }
    FluidPhase::number_of_components(count);
}

void BWREOS::read_component_data(int index, const char* name) {
    if (index != 0) {
        vornex::cfprintf(stderr, "Can handle only one-component fluid\n");
        return;
    }
    const bool simpleFluid = name && std::strcmp(name, "C1") == 0;
    const bool referenceFluid = name && std::strcmp(name, "C8") == 0;
    if (!simpleFluid && !referenceFluid) {
        vornex::cfprintf(stderr, "Can only be applied to C1 or C8.\n");
        return;
    }
    static_cast<BWR*>(interaction[0])
        ->set_parameters(simpleFluid ? kLeeKesslerSimple : kLeeKesslerReference);
    const double mass = simpleFluid ? 0.016 : 0.146;
    molarMass[0] = mass;
    M = mass;
    // Lee and Kessler (1975): the simple fluid's omega 0 and Zc 0.2901, n-octane's 0.3978 and
    // 0.2563; the critical point at Tr = 1 and Vr = Zc.
    omega_ = simpleFluid ? 0.0 : 0.3978;
    Zc_ = simpleFluid ? 0.2901 : 0.2563;
    Tcrit = 1.0;
    Vcrit = Zc_;
    // The tracers' lowest temperature in the reduced unit: the lowest the saturation starts
    // from.
    Tlowest = 0.3;
    if (!locateOwnCriticalPoint())
        vornex::cfprintf(stderr, "BWR EOS: the critical point of %s was not located\n", name);
}

bool BWREOS::locateOwnCriticalPoint() {
    ownTc_ = ownVc_ = 0.0;
    const double T0 = T, V0 = V;
    // Newton on A_vv = A_vvv = 0 from the Lee-Kessler critical point; the equation's own lies
    // within 1e-3 of it in Vr.
    double Tr = Tcrit, Vr = Vcrit;
    bool located = false;
    for (int k = 0; k < 50 && !located; ++k) {
        error = 0;
        temperature(Tr);
        volume(Vr);
        calculate_critical_parameters_of_pure_fluid();
        const double det = ATvv * Avvvv - Avvv * ATvvv;
        if (error != 0 || !std::isfinite(det) || det == 0.0) break;
        const double dT = (Avv * Avvvv - Avvv * Avvv) / det;
        const double dV = (ATvv * Avvv - ATvvv * Avv) / det;
        Tr -= dT;
        Vr -= dV;
        if (!(Tr > 0.5 && Tr < 2.0 && Vr > 0.05 && Vr < 2.0)) break;
        located = std::fabs(dT) < 1e-13 * Tr && std::fabs(dV) < 1e-12 * Vr;
    }
    error = 0;
    temperature(T0);
    volume(V0);
    if (!located) return false;
    ownTc_ = Tr;
    ownVc_ = Vr;
    return true;
}

bool BWREOS::closedFormCriticalPoint(double& Tr, double& Vr) {
    if (componentCountRefused() || !(ownTc_ > 0.0)) return false;
    Tr = ownTc_;
    Vr = ownVc_;
    return true;
}

void BWREOS::initializeSaturationVolumesFromT(const char*, double Tr) {
    if (!(Tr > 0.3 && Tr < 1.0)) return;
    const double Pr = std::pow(10.0, 7.0 / 3.0 * (1.0 + omega_) * (1.0 - 1.0 / Tr));
    Vv0 = Tr / Pr;
    Vl0 = std::pow(Zc_, 1.0 + std::pow(1.0 - Tr, 2.0 / 7.0));
}

}  // namespace vornex

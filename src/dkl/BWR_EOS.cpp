#include <cmath>

#include "dkl/LeeKessler.h"
#include "numerics/Decimal.h"

namespace vornex {

namespace {

enum { b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, kBeta, kGamma };

}  // namespace

BWR_EOS::BWR_EOS(const double* values) : FluidPhase(0, 0, 0) {
    for (int k = 0; k < 12; ++k) constants[k] = values[k];
    beta = constants[kBeta];
    gamma = constants[kGamma];
    NewtonRaphson& s = *volumeSolver;
    s.equation = this;
    s.function = static_cast<EquationFunctionWithDerivative>(&BWR_EOS::equation2);
    s.tolerance = 1e-6;
    s.itermax = 40;
    s.checks = 1;
    // Reduced volumes: a dilute gas lies far beyond the bound of a molar volume in m3/mol
    // (methane at 300 K and 1 Pa has Vr = 7e6).
    s.xmax = 1e15;
}

BWR_EOS::~BWR_EOS() = default;

void BWR_EOS::temperature(double Tr) {
    if (Tr == T) return;
    stateComputed = 0;
    T = Tr;
    const double* k = constants;
    const double t = 1.0 / Tr, t3 = t * t * t;
    B = k[b1] - k[b2] * t - k[b3] * t * t - k[b4] * t3;
    C = k[c1] - k[c2] * t + k[c3] * t3;
    D = k[d1] + k[d2] * t;
    c4T3 = k[c4] * t3;
    beta = k[kBeta];
    gamma = k[kGamma];
}

void BWR_EOS::pressure(double Pr) {
    if (Pr == P) return;
    stateComputed = 0;
    P = Pr;
}

void BWR_EOS::volume(double Vr) {
    if (Vr == V) return;
    stateComputed = 0;
    V = Vr;
    Vr2 = Vr * Vr;
    Vr3 = Vr2 * Vr;
}

void BWR_EOS::initialize() {
    error = 0;
    Z = V = Vr2 = Vr3 = 0.0;
    H = S = G = Cv = Cp = 0.0;
    dZdV = dPdT = dPdV = 0.0;
}

double BWR_EOS::calculateZ() {
    const double ex = std::exp(-gamma / Vr2);
    const double parts[4] = {B / V, C / Vr2, D / (Vr2 * Vr3),
                             c4T3 / Vr2 * (beta + gamma / Vr2) * ex};
    if (trace)
        vornex::cfprintf(trace, "B/V %lg\nC/V2 %lg\nD/V5 %lg\nE %lg\n", parts[0], parts[1], parts[2],
                     parts[3]);
    Z = 1.0 + parts[0] + parts[1] + parts[2] + parts[3];
    return Z;
}

double BWR_EOS::dzdV() {
    const double ex = std::exp(-gamma / Vr2);
    dZdV = -B / Vr2 - 2.0 * C / Vr3 - 5.0 * D / (Vr3 * Vr3) -
           2.0 * c4T3 / (Vr2 * Vr3) * ex *
               (beta * Vr2 + 2.0 * gamma - beta * gamma - gamma * gamma / Vr2);
    return dZdV;
}

double BWR_EOS::dpdV() {
    dPdV = T * (dzdV() * V - calculateZ()) / Vr2;
    return dPdV;
}

double BWR_EOS::dpdT() {
    const double* k = constants;
    const double t = 1.0 / T, t2 = t * t, t3 = t2 * t;
    const double ex = std::exp(-gamma / Vr2);
    dPdT = (1.0 + (k[b1] + k[b3] * t2 + 2.0 * k[b4] * t3) / V + (k[c1] - 2.0 * k[c3] * t3) / Vr2 +
            k[d1] / (Vr2 * Vr3) - 2.0 * c4T3 / Vr2 * (beta + gamma / Vr2) * ex) /
           V;
    return dPdT;
}

double BWR_EOS::gd() {
    const double ex = std::exp(-gamma / Vr2);
    E = c4T3 / (2.0 * gamma) * (beta + 1.0 - (beta + 1.0 + gamma / Vr2) * ex);
    G = T * (Z - 1.0 - std::log(Z) + B / V + C / (2.0 * Vr2) + D / (5.0 * Vr2 * Vr3) + E);
    return G;
}

double BWR_EOS::hd() {
    const double* k = constants;
    const double Tr = T;
    H = Tr * (Z - 1.0 - (k[b2] + 2.0 * k[b3] / Tr + 3.0 * k[b4] / (Tr * Tr)) / (Tr * V) -
              (k[c2] - 3.0 * k[c3] / (Tr * Tr)) / (2.0 * Tr * Vr2) +
              k[d2] / (5.0 * Tr * Vr2 * Vr3) + 3.0 * E);
    return H;
}

double BWR_EOS::sd() {
    const double* k = constants;
    const double t = 1.0 / T, t2 = t * t, t3 = t2 * t;
    S = std::log(Z) - (k[b1] + k[b3] * t2 + 2.0 * k[b4] * t3) / V -
        (k[c1] - 2.0 * k[c3] * t3) / (2.0 * Vr2) - k[d1] / (5.0 * Vr2 * Vr3) + 2.0 * E;
    return S;
}

double BWR_EOS::cd() {
    const double* k = constants;
    const double Tr = T;
    Cv = 2.0 * (k[b3] + 3.0 * k[b4] / Tr) / (Tr * Tr * V) - 3.0 * k[c3] / (Tr * Tr * Tr * Vr2) -
         6.0 * E;
    dpdT();
    dpdV();
    Cp = Cv - 1.0 - Tr * dPdT * dPdT / dPdV;
    return Cv;
}

void BWR_EOS::equation2(double Vr, double& F, double& dF) {
    volume(Vr);
    F = P * Vr / T - calculateZ();
    dF = P / T - dzdV();
}

bool BWR_EOS::search_molar_volume(double Vstart, double relaxation) {
    error = 0;
    NewtonRaphson& s = *volumeSolver;
    s.x0 = s.x1 = Vstart;
    s.relaxation = relaxation;
    const double root = s.solve();
    if (s.error != 0 || !std::isfinite(root)) {
        error = 1;
        return false;
    }
    // The solver stops on an absolute step, loose for the liquid's Vr << 1: polished here
    // until the step is small against Vr itself.
    double Vr = root, F = 0.0, dF = 0.0;
    for (int k = 0; k < 20; ++k) {
        equation2(Vr, F, dF);
        const double step = F / dF;
        if (!std::isfinite(step) || !(Vr - step > 0.0)) break;
        Vr -= step;
        if (std::fabs(step) <= 1e-14 * Vr) break;
    }
    equation2(Vr, F, dF);
    dpdV();
    // Z of the root: Pr Vr / Tr.
    Z = P * V / T;
    // A volume with no physical compressibility or on the unstable branch is no solution.
    if (!(Z > 0.0) || Z >= 10.0 || dPdV > 0.0) {
        error = 1;
        return false;
    }
    gd();
    return true;
}

void BWR_EOS::describe() {
    if (stateComputed && computedPhase_ == phase) return;
    const double Tr = T, Pr = P;
    initialize();
    if (!(Tr > 0.0) || !(Pr > 0.0) || !std::isfinite(Tr) || !std::isfinite(Pr)) {
        error = 1;
        return;
    }
    const double Videal = Tr / Pr;
    bool found = false;
    if (Tr >= 1.0 || Pr >= 1.0 || phase == 0 || phase == 1) {
        found = search_molar_volume(Videal, 1.0) || search_molar_volume(0.1 * Videal, 1.0);
    } else if (phase == 2) {
        found = search_molar_volume(0.001 * Videal, 2.0) || search_molar_volume(Videal, 1.0) ||
                search_molar_volume(0.1 * Videal, 1.0);
    }
    if (!found) {
        // Reported through the flag; the state stays uncomputed so that the next request
        // searches again.
        error = 1;
        stateComputed = 0;
        return;
    }
    hd();
    sd();
    cd();
    stateComputed = 1;
    computedPhase_ = phase;
}

int BWR_EOS::diagnose_the_phase() {
    q = (P / dPdV + V) / T;
    if (T > 1.0 || P > 1.0) return 0;
    return q > 0.0 ? 2 : 1;
}

}  // namespace vornex

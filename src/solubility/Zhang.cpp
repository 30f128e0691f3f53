#include "solubility/Zhang.h"
#include "numerics/Decimal.h"

#include <cmath>

#include "fluid/Phase.h"
#include "numerics/Solver.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
}

void Zhang::example1() {
    nc = 0.8, P0 = 2130000.0, T0 = 296.0, r = std::exp(-0.13469092403214056), q = 19300.0;
    cw = 75.312, alpha = 0.00023, Vw = 1.8e-05, P1 = 90000.0, T1 = 291.7;
    const double RT = R * T0, rV = r * Vw;
    ncExample = (RT * P0 - rV * P0 * P1 + rV * P1 * P1) * rV * nw /
                (RT * RT - rV * P0 * RT + rV * rV * P0 * P1 - rV * rV * P1 * P1);
    nc = ncExample;
}

void Zhang::example2() {
    example1();
    P0 = 496000.0, T0 = 295.35, r = std::exp(-0.11891373223053314), P1 = 111000.0;
    const double RT = R * T0, rV = r * Vw;
    ncExample = (RT * P0 - rV * P0 * P1 + rV * P1 * P1) * rV * nw /
                (RT * RT - rV * P0 * RT + rV * rV * P0 * P1 - rV * rV * P1 * P1);
    nc = ncExample;
}

void Zhang::calculateParameters() {
    const double k = R * T1 / (P1 * Vw);
    kx0 = k * x0;
    x1 = r * x0 / kx0;
    oneMinusX1 = 1.0 - x1;
    naq = x1 * nw / (1.0 - x1);
    ngas = nc - naq;
    Vl = (nw + naq) * 1.8e-05;
    Vg = R * ngas * T1 / P1;
    Vx = r * V0 * (P0 / P1 - 1.0);
    dH = nw * cw * (T1 - T0) + nw * Vw * (1.0 - alpha * T1) * (P1 - P0) + ngas * q;
    Wrev = R * T1 * std::log((Vl + Vg) / V0);
    Wirr = P1 * (Vl + Vg - V0);
    dS = nw * cw * std::log(T1 / T0) + ngas * q / T1 -
         R * (naq * std::log(x1) + nw * std::log(1.0 - x1)) +
         R * (nc * std::log(xc0) + nw * std::log(xw0)) + nw * (P0 - P1) * alpha * Vw;
}

double Zhang::equationForReversibility(double T, void*) {
    T1 = T;
    calculateParameters();
    if (!std::isfinite(dS)) equationError = 1;
    return dS;
}

double Zhang::equationForIrreversibility(double T, void*) {
    T1 = T;
    calculateParameters();
    const double f = dH - (P1 - P0) * V0;
    if (!std::isfinite(f)) equationError = 1;
    return f;
}

int Zhang::solve(char reversible, FILE* out) {
    // Temperatures, pressures and amounts at or below zero have no logarithm in the entropy
    // balance: a final pressure of 0 gave an infinite work and an entropy of NaN, a T0 of
    // -10 K a final -16.2 K, each printed as a result.
    const double given[] = {T0, P0, P1, nc, nw, r, V0, Vw, cw, xc0, xw0};
    bool positive = true;
    for (double v : given) positive = positive && std::isfinite(v) && v > 0.0;
    if (!positive || !std::isfinite(q) || !std::isfinite(alpha)) {
        vornex::cfprintf(stderr,
                         "Zhang refused: T0 = %g K, P0 = %g Pa, P1 = %g Pa, %g mol CO2 in %g mol "
                         "water (temperatures, pressures, amounts and the solubility "
                         "coefficient must be positive and finite)\n",
                         T0, P0, P1, nc, nw);
        return -1;
    }
    Secant s;
    s.equation = this;
    s.function = reversible ? static_cast<EquationFunction>(&Zhang::equationForReversibility)
                            : static_cast<EquationFunction>(&Zhang::equationForIrreversibility);
    s.itermax = 15;
    s.tolerance = 1e-9;
    s.x0 = T0;
    s.x1 = 0.999 * T0;
    T1 = s.solve();
    calculateParameters();
    const double results[] = {Wrev, Wirr, dS, dH};
    bool finite = T1 > 0.0;
    for (double v : results) finite = finite && std::isfinite(v);
    if (s.error != 0 || !std::isfinite(T1) || !finite) {
        if (s.error != 0)
            vornex::cfprintf(stderr, "Zhang: no final temperature found (solver code %d)\n",
                             s.error);
        else
            vornex::cfprintf(stderr,
                             "Zhang: no final state: at T1 = %g K the balances give no finite "
                             "work, entropy or enthalpy\n",
                             T1);
        return s.error != 0 ? s.error : -1;
    }
    // With less CO2 than water holds at P1 none exsolves: the balance would count a negative
    // amount of gas, and its works per gram of CO2 would be of no gas at all.
    if (!(ngas > 0.0)) {
        vornex::cfprintf(stderr,
                         "Zhang: no CO2 exsolves at %g Pa: water keeps %g mol of the %g mol "
                         "given\n",
                         P1, naq, nc);
        return -1;
    }
    print(out);
    return 0;
}

void Zhang::print(FILE* out) const {
    vornex::cfprintf(out, "T0     %lf K\n", T0);
    vornex::cfprintf(out, "T1     %lf K\n", T1);
    vornex::cfprintf(out, "Wrev   %lf J/g H2O\n", Wrev / 1000.0);
    vornex::cfprintf(out, "Wirr   %lf J/g H2O\n", Wirr / 1000.0);
    vornex::cfprintf(out, "Wrev   %lf J/g CO2\n", Wrev / (44.0 * ngas));
    vornex::cfprintf(out, "Wirr   %lf J/g CO2\n", Wirr / (44.0 * ngas));
    vornex::cfprintf(out, "deltaS %lf J/g\n", dS / 1000.0);
    vornex::cfprintf(out, "deltaH %lf J/g\n\n", dH / 1000.0);
}

}  // namespace vornex

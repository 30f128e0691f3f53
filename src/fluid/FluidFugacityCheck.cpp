// Model-development aids: a console listing of the analytical derivatives of the fugacities,
// fugacity coefficients, compressibility and pressure beside their central differences,
// and the search for a liquid whose Gibbs energy exceeds that of the vapour at a slightly
// higher pressure by a fixed 17000 J/mol.
#include <cstdio>
#include <functional>
#include <vector>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"

namespace vornex {

namespace {

// What the numerical derivatives difference: the fluid's results at one state.
struct Snapshot {
    double Z, P;
    std::vector<double> f, phi, mur;
};

Snapshot take(const FluidPhase& fl) {
    return {fl.Z, fl.P, fl.fugacity, fl.fugacityCoefficient, fl.mur};
}

// (plus - minus) / step, entry by entry.
std::vector<double> quotient(const std::vector<double>& plus, const std::vector<double>& minus,
                             double step) {
    std::vector<double> d(plus.size());
    for (size_t i = 0; i < plus.size(); ++i) d[i] = (plus[i] - minus[i]) / step;
    return d;
}

void printRow(const char* label, const std::vector<double>& values) {
    vornex::cprintf("%s", label);
    for (double v : values) vornex::cprintf("%lg  ", v);
    vornex::cprintf("\n");
}

// An n x n table: one line per component i, entry j the derivative in x_j.
void printTable(const char* label, const std::vector<std::vector<double>>& rows) {
    for (const auto& row : rows) printRow(label, row);
}

// Central differences of a snapshot: the state is set to value + h and value - h by set,
// evaluated by evaluate, then set back to value and evaluated again.
struct Difference {
    Snapshot plus, minus;
    double step;
};

Difference difference(FluidPhase& fl, double value, double h,
                      const std::function<void(double)>& set,
                      const std::function<void()>& evaluate) {
    set(value + h);
    evaluate();
    const Snapshot plus = take(fl);
    set(value - h);
    evaluate();
    const Snapshot minus = take(fl);
    set(value);
    evaluate();
    return {plus, minus, 2.0 * h};
}

// Differences in every mole fraction, one at a time.
std::vector<Difference> compositionDifferences(FluidPhase& fl,
                                               const std::function<void()>& evaluate) {
    std::vector<Difference> out;
    for (int j = 0; j < fl.nc; ++j) {
        const double xj = fl.x[static_cast<size_t>(j)];
        out.push_back(difference(
            fl, xj, 1e-5, [&fl, j](double v) { fl.composition_of_component(j, v); }, evaluate));
    }
    return out;
}

// Table [i][j] of the differences in x_j of the member picked from the snapshots.
std::vector<std::vector<double>> tableOf(const std::vector<Difference>& byX,
                                         std::vector<double> Snapshot::*member) {
    const size_t n = byX.size();
    std::vector<std::vector<double>> t(n, std::vector<double>(n));
    for (size_t j = 0; j < n; ++j) {
        const std::vector<double> d =
            quotient(byX[j].plus.*member, byX[j].minus.*member, byX[j].step);
        for (size_t i = 0; i < n && i < d.size(); ++i) t[i][j] = d[i];
    }
    return t;
}

std::vector<double> scalarByX(const std::vector<Difference>& byX, double Snapshot::*member) {
    std::vector<double> d;
    for (const Difference& dx : byX) d.push_back((dx.plus.*member - dx.minus.*member) / dx.step);
    return d;
}

}  // namespace

void FluidPhase::check_fugacities() {
    vornex::cprintf("T %lg\n", T);
    vornex::cprintf("P %lg\n", P * 1e-5);
    vornex::cprintf("x ");
    for (int i = 0; i < nc; ++i) vornex::cprintf("%lg ", x[static_cast<size_t>(i)]);
    vornex::cprintf("\n");
    calculate_molar_volume();
    calculate_fugacities();
    printRow("Fugacities ", fugacity);
    vornex::cprintf("Fugacity coefficients ");
    printRow("", fugacityCoefficient);

    vornex::cprintf("Analytical derivatives as a function of T, P and x variables\n");
    printRow("dfugacitydT ", dfdT);
    printRow("dfugacitydP ", dfdP);
    printTable("dfugacitydx ", dfdx);

    // At constant P: every perturbed state gets its own volume.
    const auto atConstantP = [this] {
        calculate_molar_volume();
        calculate_fugacities();
    };
    vornex::cprintf("Numerical derivatives\n");
    const Difference byT = difference(
        *this, T, 1e-5, [this](double v) { temperature(v); }, atConstantP);
    printRow("dfugacitydT ", quotient(byT.plus.f, byT.minus.f, byT.step));
    const Difference byP = difference(
        *this, P * 1e-5, 1e-4, [this](double v) { pressure(v); }, atConstantP);
    printRow("dfugacitydP ", quotient(byP.plus.f, byP.minus.f, byP.step * 1e5));
    printTable("dfugacitydx ", tableOf(compositionDifferences(*this, atConstantP), &Snapshot::f));

    vornex::cprintf("V %lg\n", V);
    vornex::cprintf("Analytical derivatives as a function of T, V and x variables\n");
    vornex::cprintf("dZdT       %lg\n", dZdT);
    vornex::cprintf("dPdT       %lg\n", dPdT);
    printRow("drcpdT      ", dmudT);
    printRow("dfugcoefdT  ", dphidT);
    vornex::cprintf("dZdV       %lg\n", dZdV);
    vornex::cprintf("dPdV       %lg\n", dPdV);
    printRow("dfugcoefdV ", dphidV);
    printRow("dfugacitydV ", dfdV);
    vornex::cprintf("dZdP       %lg\n", dZdP);
    printRow("drcpdV      ", dmudV);
    printRow("dZdx        ", dZdx);
    printRow("dPdx        ", dPdx);
    printTable("drcpdx      ", dmudx);
    printTable("dfugcoefdx  ", dphidx);
    printRow("dfugcoefdP  ", dphidP);

    // At constant V.
    const auto atConstantV = [this] {
        calculate_pressure();
        calculate_fugacities();
    };
    vornex::cprintf("Numerical derivatives\n");
    const Difference byTV = difference(
        *this, T, 1e-5, [this](double v) { temperature(v); }, atConstantV);
    vornex::cprintf("dZdT       %lg\n", (byTV.plus.Z - byTV.minus.Z) / byTV.step);
    vornex::cprintf("dPdT       %lg\n", (byTV.plus.P - byTV.minus.P) / byTV.step);
    printRow("drcpdT     ", quotient(byTV.plus.mur, byTV.minus.mur, byTV.step));
    printRow("dfugcoefdT ", quotient(byTV.plus.phi, byTV.minus.phi, byTV.step));
    const Difference byV = difference(
        *this, V, 1e-11, [this](double v) { volume(v); }, atConstantV);
    vornex::cprintf("dZdV       %lg\n", (byV.plus.Z - byV.minus.Z) / byV.step);
    vornex::cprintf("dPdV       %lg\n", (byV.plus.P - byV.minus.P) / byV.step);
    printRow("drcpdV    ", quotient(byV.plus.mur, byV.minus.mur, byV.step));
    printRow("dfugcoefdV ", quotient(byV.plus.phi, byV.minus.phi, byV.step));
    printRow("dfugacitydV ", quotient(byV.plus.f, byV.minus.f, byV.step));
    const std::vector<Difference> byX = compositionDifferences(*this, atConstantV);
    printRow("dZdx        ", scalarByX(byX, &Snapshot::Z));
    printRow("dPdx        ", scalarByX(byX, &Snapshot::P));
    printTable("drcpdx      ", tableOf(byX, &Snapshot::mur));
    printTable("dfugcoefdx  ", tableOf(byX, &Snapshot::phi));
}

// --------------------------------------------------------- disequilibrated liquid

namespace {

// Context of the disequilibrated-liquid residual.
struct LiquidTarget {
    double mu;  // J/mol
    double P;   // Pa
};

}  // namespace

void FluidPhase::equationForDisequilibratedLiquid(double* xv, double* F, double** J, int& err, int,
                                                  void* context) {
    const LiquidTarget& target = *static_cast<const LiquidTarget*>(context);
    const double TK = xv[0], Vm3 = xv[1];
    if (TK < 270.0 || Vm3 < 1.7e-5) {
        err = 1;
        return;
    }
    set_the_phase_as(2);
    volume(Vm3);
    temperature(TK);
    calculate_pressure();
    calculate_state_functions();
    F[0] = G - target.mu;
    F[1] = P - target.P;
    // G = A - V A_V and P = -A_V.
    J[0][0] = AT - Vm3 * ATv;
    J[0][1] = -Vm3 * Avv;
    J[1][0] = -ATv;
    J[1][1] = -Avv;
}

void FluidPhase::calculateDisequilibratedLiquid(double TK, double Pbar) {
    const double Pvapour = Pbar + 1.0;
    set_the_phase_as(1);
    temperature(TK);
    pressure(Pvapour);
    calculate_molar_volume();
    calculate_state_functions();
    // The liquid is sought at the vapour's pressure, in Pa as the residual compares it.
    LiquidTarget target{G + 17000.0, Pvapour * 1e5};

    Newton solver;
    solver._setSysEquationToSolve(
        this, static_cast<EquationSystem>(&FluidPhase::equationForDisequilibratedLiquid), 2);
    solver.tolerance = 1e-12;
    solver.steptol = 5e-7;
    solver.dampmin = 1e-8;
    solver.itermax = 50;
    solver.verbose = 1;
    solver.context = &target;
    solver.x[0] = 373.15;
    solver.x[1] = 1.8e-5;
    vornex::cprintf("Vapour mu : %12f P : %lf\n", target.mu, Pvapour);
    if (solver.solve() == 0) {
        temperature(solver.x[0]);
        volume(solver.x[1]);
        calculate_pressure();
        calculate_state_functions();
    } else {
        vornex::cprintf("No convergence\n");
    }
    vornex::cprintf("T %.2f P %.2f\n", T, P * 1e-5);
    vornex::cprintf("Liquid mu %12f P : %f\n", G, P * 1e-5);
}

}  // namespace vornex

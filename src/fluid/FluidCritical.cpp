// Critical points of a fluid: the molar Helmholtz energy A(T, V, x) with its derivatives to
// fourth order summed over the terms (the critical derivative block), the critical
// conditions of a pure fluid (dP/dV = d2P/dV2 = 0, that is A_vv = A_vvv = 0) and of a binary
// mixture (the Hessian of A in (x, V) singular and its cubic form along the null direction
// zero), their Newton solves, the slope of the binary critical curve, the fourth-order
// stability value, the report of a pure-fluid critical point and the diagnostics.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationSolver.h"
#include "numerics/Diagnostics.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Solver.h"

namespace vornex {

namespace {

// Entry of the derivative table with one temperature differentiation fewer than entry k,
// or -1 when k has none.
int withOneTFewer(int k) {
    const int* c = kDerivCounts[k];
    if (c[0] == 0) return -1;
    for (int j = 0; j < Deriv::count; ++j)
        if (kDerivCounts[j][0] == c[0] - 1 && kDerivCounts[j][1] == c[1] &&
            kDerivCounts[j][2] == c[2])
            return j;
    return -1;
}

// Adds a term's share to the block entries listed: the term holds derivatives of
// a = A/(RT), so A_D = RT a_D, A_TD = R a_D + RT a_TD and A_TTD = 2R a_TD + RT a_TTD.
void addTerm(FluidPhase& fluid, const Interaction& term, const int* entries, int count) {
    const double R = fluid.gasConstant;
    const double RT = R * fluid.T;
    for (int e = 0; e < count; ++e) {
        const int k = entries[e];
        const int nT = kDerivCounts[k][0];
        double value = RT * term.table[k];
        if (nT > 0) value += nT * R * term.table[withOneTFewer(k)];
        fluid.Aentry(k) += value;
    }
}

void clearEntries(FluidPhase& fluid, const int* entries, int count) {
    for (int e = 0; e < count; ++e) fluid.Aentry(entries[e]) = 0.0;
}

constexpr int kAllEntries[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                               15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
// What an ideal-gas term adds to a binary block: no composition derivatives.
constexpr int kIdealEntries[] = {Deriv::a,      Deriv::a_T,   Deriv::a_V,   Deriv::a_TV,
                                 Deriv::a_VV,   Deriv::a_TVV, Deriv::a_VVV, Deriv::a_TVVV,
                                 Deriv::a_VVVV, Deriv::a_TTV, Deriv::a_TTVV};
constexpr int kPureEntries[] = {Deriv::a,   Deriv::a_V,  Deriv::a_VV,  Deriv::a_VVV, Deriv::a_VVVV,
                                Deriv::a_T, Deriv::a_TV, Deriv::a_TVV, Deriv::a_TVVV};
// Everything but the second temperature derivatives.
constexpr int kResidualEntries[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12,
                                    13, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25};
constexpr int kThirdOrderEntries[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 17, 18, 19, 20, 21};
constexpr int kSecondOrderEntries[] = {0, 1, 2, 3, 4, 5, 15, 17, 18};

template <std::size_t N>
constexpr int countOf(const int (&)[N]) {
    return static_cast<int>(N);
}

// Ideal mixing RT (x0 ln x0 + x1 ln x1) of a binary, up to the order asked for (2, 3 or 4).
void addIdealMixing(FluidPhase& fluid, int order) {
    if (fluid.nc != 2) return;
    const double x0 = fluid.x[0], x1 = fluid.x[1];
    const double R = fluid.gasConstant;
    const double RT = R * fluid.T;
    const double s = x0 * std::log(x0) + x1 * std::log(x1);
    const double ratio = std::log(x1 / x0);
    fluid.A += RT * s;
    fluid.AT += R * s;
    fluid.Ax += RT * ratio;
    fluid.ATx += R * ratio;
    fluid.Axx += RT / (x0 * x1);
    if (order < 3) return;
    fluid.ATxx += R / (x0 * x1);
    const double third = (x1 - x0) / (x0 * x0 * x1 * x1);
    fluid.Axxx += RT * third;
    if (order < 4) return;
    fluid.ATxxx += R * third;
    fluid.Axxxx += 2.0 * RT * (x0 * x0 - x0 * x1 + x1 * x1) / (x0 * x0 * x0 * x1 * x1 * x1);
}

// The binary critical conditions and their partial derivatives in T, V and x.
struct CriticalConditions {
    double F1, F2;
    double dT[2], dV[2], dx[2];
};

// Derivatives of the six members the conditions are made of, along one variable.
struct Along {
    double vv, vx, xx, xxx, vxx, vvx, vvv;
};

CriticalConditions criticalConditions(const FluidPhase& f) {
    const double vv = f.Avv, vx = f.Avx, xx = f.Axx;
    const double xxx = f.Axxx, vxx = f.Avxx, vvx = f.Avvx, vvv = f.Avvv;
    CriticalConditions c{};
    c.F1 = vv * xx - vx * vx;
    c.F2 = vv * vv * vv * xxx - 3.0 * vv * vv * vx * vxx + 3.0 * vv * vx * vx * vvx -
           vx * vx * vx * vvv;
    auto dF1 = [&](const Along& d) { return d.vv * xx + vv * d.xx - 2.0 * vx * d.vx; };
    auto dF2 = [&](const Along& d) {
        return 3.0 * vv * vv * d.vv * xxx + vv * vv * vv * d.xxx -
               3.0 * (2.0 * vv * d.vv * vx * vxx + vv * vv * d.vx * vxx + vv * vv * vx * d.vxx) +
               3.0 * (d.vv * vx * vx * vvx + 2.0 * vv * vx * d.vx * vvx + vv * vx * vx * d.vvx) -
               (3.0 * vx * vx * d.vx * vvv + vx * vx * vx * d.vvv);
    };
    const Along inT{f.ATvv, f.ATvx, f.ATxx, f.ATxxx, f.ATvxx, f.ATvvx, f.ATvvv};
    const Along inV{f.Avvv, f.Avvx, f.Avxx, f.Avxxx, f.Avvxx, f.Avvvx, f.Avvvv};
    const Along inX{f.Avvx, f.Avxx, f.Axxx, f.Axxxx, f.Avxxx, f.Avvxx, f.Avvvx};
    c.dT[0] = dF1(inT);
    c.dT[1] = dF2(inT);
    c.dV[0] = dF1(inV);
    c.dV[1] = dF2(inV);
    c.dx[0] = dF1(inX);
    c.dx[1] = dF2(inX);
    return c;
}

// Fourth-order stability of a binary critical point (positive: stable). Undefined where
// A_vv is 0; it is then reported as not a number rather than divided by zero.
double stabilityValue(const FluidPhase& f) {
    if (f.Avv == 0.0 || !std::isfinite(f.Avv)) return std::numeric_limits<double>::quiet_NaN();
    const double r = f.Avx / f.Avv;
    const double c3 = f.Avxx - 2.0 * r * f.Avvx + r * r * f.Avvv;
    const double c4 = f.Axxxx - 4.0 * r * f.Avxxx + 6.0 * r * r * f.Avvxx -
                      4.0 * r * r * r * f.Avvvx + r * r * r * r * f.Avvvv;
    return c4 - 3.0 * c3 * c3 / f.Avv;
}

void bindAndStart(FluidPhase& fluid, EquationSystem system, double first, double second) {
    Newton& solver = *fluid.systemSolver;
    solver._setSysEquationToSolve(&fluid, system, 2);
    solver.x[0] = solver.x0[0] = first;
    solver.x[1] = solver.x0[1] = second;
}

}  // namespace

// ------------------------------------------------------------------ the block

namespace {

// Clears the listed entries and sums the residual terms' shares into them, each term
// evaluated by `evaluate`. True when every term could be evaluated.
template <std::size_t N>
bool sumResidualTerms(FluidPhase& fluid, void (Interaction::*evaluate)(), const int (&entries)[N]) {
    clearEntries(fluid, entries, countOf(entries));
    bool ok = true;
    for (Interaction* term : fluid.interaction) {
        if (term == nullptr) continue;
        (term->*evaluate)();
        if (term->error) ok = false;
        addTerm(fluid, *term, entries, countOf(entries));
    }
    return ok;
}

}  // namespace

void FluidPhase::calculate_critical_parameters() {
    error =
        sumResidualTerms(*this, &Interaction::calculate_critical_parameters, kAllEntries) ? 0 : 1;
    if (ideal != nullptr) {
        ideal->calculate_critical_parameters();
        addTerm(*this, *ideal, kIdealEntries, countOf(kIdealEntries));
    }
    addIdealMixing(*this, 4);
}

void FluidPhase::calculate_critical_parameters_of_pure_fluid() {
    // A term that cannot be evaluated here must not pass for a critical point.
    if (!sumResidualTerms(*this, &Interaction::calculate_critical_parameters_of_pure_fluid,
                          kPureEntries))
        error = 1;
    if (ideal != nullptr) {
        ideal->calculate_critical_parameters_of_pure_fluid();
        addTerm(*this, *ideal, kPureEntries, countOf(kPureEntries));
    }
}

void FluidPhase::calculate_residual_critical_parameters() {
    sumResidualTerms(*this, &Interaction::calculate_critical_parameters, kResidualEntries);
}

void FluidPhase::calculate_third_order_critical_parameters() {
    error = sumResidualTerms(*this, &Interaction::calculate_third_order_critical_parameters,
                             kThirdOrderEntries)
                ? 0
                : 1;
    addIdealMixing(*this, 3);
}

void FluidPhase::calculate_second_order_critical_parameters() {
    error = sumResidualTerms(*this, &Interaction::calculate_second_order_critical_parameters,
                             kSecondOrderEntries)
                ? 0
                : 1;
    addIdealMixing(*this, 2);
}

// ---------------------------------------------------------- critical systems

namespace {

// Sets (T, V) when both lie in the domain and fills the block; false when the point is
// refused or a term cannot be evaluated there.
bool fillAt(FluidPhase& fluid, double TK, double Vm3, double Tlow, void (FluidPhase::*fill)()) {
    fluid.error = 0;
    if (TK < Tlow || Vm3 < 1e-10) return false;
    fluid.temperature(TK);
    fluid.volume(Vm3);
    (fluid.*fill)();
    return fluid.error == 0;
}

}  // namespace

void FluidPhase::equationForCalculatingCriticalPoint1(double* xv, double* F, double** J, int& err,
                                                      int order, void*) {
    if (!fillAt(*this, xv[0], xv[1], 50.0,
                &FluidPhase::calculate_critical_parameters_of_pure_fluid)) {
        err = 1;
        return;
    }
    // dP/dV = -A_vv and d2P/dV2 = -A_vvv vanish.
    writeTwoByTwo(F, J, order, Avv, Avvv, ATvv, Avvv, ATvvv, Avvvv);
}

void FluidPhase::equationForCalculatingCriticalPoint2TV(double* xv, double* F, double** J, int& err,
                                                        int order, void*) {
    if (!fillAt(*this, xv[0], xv[1], 0.0, &FluidPhase::calculate_critical_parameters)) {
        err = 1;
        return;
    }
    const CriticalConditions c = criticalConditions(*this);
    writeTwoByTwo(F, J, order, c.F1, c.F2, c.dT[0], c.dV[0], c.dT[1], c.dV[1]);
}

void FluidPhase::equationForCalculatingCriticalPoint2xV(double* xv, double* F, double** J, int& err,
                                                        int order, void*) {
    if (nc != 2 || xv[0] < 0.0 || xv[0] > 1.0 || xv[1] < 1e-9) {
        err = 1;
        return;
    }
    composition_of_component(0, 1.0 - xv[0]);
    composition_of_component(1, xv[0]);
    volume(xv[1]);
    calculate_critical_parameters();
    const CriticalConditions c = criticalConditions(*this);
    writeTwoByTwo(F, J, order, c.F1, c.F2, c.dx[0], c.dV[0], c.dx[1], c.dV[1]);
}

void FluidPhase::next_critical_point(double& dTdx, double& dVdx) {
    const CriticalConditions c = criticalConditions(*this);
    double row0[2] = {c.dT[0], c.dV[0]};
    double row1[2] = {c.dT[1], c.dV[1]};
    double* matrix[2] = {row0, row1};
    double rhs[2] = {-c.dx[0], -c.dx[1]};
    double slope[2] = {dTdx, dVdx};
    int failed = 0;
    solve_the_linear_system(matrix, rhs, slope, 2, failed);
    if (failed != 0) diagnostic("Next critical point : singular matrix\n");
    dTdx = slope[0];
    dVdx = slope[1];
}

// ----------------------------------------------------------------- searches

bool FluidPhase::supportsCriticalSearch(const char* search) {
    for (const Interaction* term : interaction)
        if (term != nullptr) return true;
    vornex::cfprintf(stderr, "%s does not support the %s: it fills no Helmholtz derivative block\n",
                 modelName.empty() ? "The model" : modelName.c_str(), search);
    error = 1;
    return false;
}

void FluidPhase::search_a_critical_point(CriticalPointFlag flag) {
    error = 0;
    if (!supportsCriticalSearch("critical search")) {
        stabi = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    if (flag == kCriticalAtFixedTemperature) {
        bindAndStart(
            *this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint2xV),
            nc > 1 ? x[1] : 0.0, V);
    } else {
        bindAndStart(
            *this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint2TV),
            T, V);
    }
    if (systemSolver->solve() == 0)
        calculate_pressure();
    else
        error = 1;
    stabi = stabilityValue(*this);
}

void FluidPhase::search_the_critical_point_of_the_pure_component() {
    // A one-component closed-form cubic fills no Helmholtz block for the search, but holds
    // its critical point in closed form (the triple root of its volume cubic); a model that
    // located its own critical point once (the BWR fluids, in reduced variables the search's
    // start and steps do not suit) gives it too: the curves that start there (saturation,
    // spinodals) start from it.
    double TcClosed = 0.0, VcClosed = 0.0;
    if (nc == 1 && closedFormCriticalPoint(TcClosed, VcClosed) && TcClosed > 0.0 &&
        VcClosed > 0.0) {
        temperature(TcClosed);
        volume(VcClosed);
        error = 0;
        calculate_pressure();
        calculate_state_functions();
        return;
    }
    if (!supportsCriticalSearch("critical search")) return;
    const double Tstart = T, Vstart = V;
    // The start is mostly the substance's estimate; a model's own critical volume may lie
    // some 30 % away from it (Duan-Moller-Weare's water by the general equation: 50.3
    // cm3/mol for water's 56), beyond the reach of Newton's method.
    for (double factor : {1.0, 0.8, 0.7, 1.25}) {
        bindAndStart(*this,
                     static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint1),
                     Tstart, factor * Vstart);
        error = 0;
        systemSolver->verbose = diagnosticsOn() ? 1 : 0;
        if (systemSolver->solve() == 0 && std::isfinite(T) && T > 0.0 && std::isfinite(V) &&
            V > 0.0) {
            error = 0;
            calculate_pressure();
            calculate_state_functions();
            return;
        }
    }
    error = 1;
}

void FluidPhase::equationForCalculating_Spinodal(double TK, double& f, double& df) {
    error = 0;
    temperature(TK);
    calculate_third_order_critical_parameters();
    if (error || Avv == 0.0) {
        equationError = 1;
        return;
    }
    const double r = Avx / Avv;
    f = Axx - Avx * r;
    df = ATxx - 2.0 * ATvx * r + r * r * ATvv;
}

double FluidPhase::equationForG3xFromV(double Vm3, void*) {
    if (Vm3 < 1e-8) {
        error = 1;
        equationError = 1;
        return 0.0;
    }
    volume(Vm3);
    NewtonRaphson solver;
    solver.equation = this;
    solver.function =
        static_cast<EquationFunctionWithDerivative>(&FluidPhase::equationForCalculating_Spinodal);
    solver.x0 = searchT;
    solver.itermax = 15;
    solver.tolerance = 1e-9;
    solver.relaxation = 1.0;
    const double Tspinodal = solver.solve();
    if (solver.error != 0 || Avv == 0.0) {
        error = 1;
        equationError = 1;
        return 0.0;
    }
    searchT = Tspinodal;
    const double r = Avx / Avv;
    return Axxx - 3.0 * r * Avxx + 3.0 * r * r * Avvx - r * r * r * Avvv;
}

void FluidPhase::search_a_critical_point1() {
    error = 0;
    if (!supportsCriticalSearch("critical search")) {
        stabi = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    Secant solver;
    solver.equation = this;
    solver.function = static_cast<EquationFunction>(&FluidPhase::equationForG3xFromV);
    solver.x0 = searchV;
    solver.x1 = 1.00001 * searchV;
    solver.itermax = 15;
    solver.tolerance = 1e-9;
    solver.relaxation = 1.0;
    solver.minrelaxation = 0.01;
    const double Vfound = solver.solve();
    if (solver.error != 0)
        error = 1;
    else
        searchV = Vfound;
    P = -Av;
    stabi = stabilityValue(*this);
}

// ------------------------------------------------------------------- report

namespace {

// The columns of the critical-point file: with a suffix the wave names carry it, without
// one they are numbered (there is no column 10).
void writeCriticalHeader(CurveOutput& out, char mode, const char* suffix) {
    static constexpr const char* names[] = {"T", "V", "rho", "P",  "H", "A",
                                            "U", "S", "G",   "Hm", "Um"};
    static constexpr const char* numbered[] = {"T(1)", "V(2)", "rho(3)", "P(4)",   "H(5)",  "A(6)",
                                               "U(7)", "S(8)", "G(9)",   "Hm(11)", "Um(12)"};
    out.print(mode == kIgorText ? "IGOR\nWAVES " : "# ");
    for (int i = 0; i < 11; ++i) {
        if (suffix != nullptr)
            out.print(i == 0 ? "%5s%s" : " %11s%s", names[i], suffix);
        else
            out.print(i == 0 ? "%5s" : " %12s", numbered[i]);
    }
    out.print("\n");
    if (mode == kIgorText) out.print("BEGIN\n");
}

}  // namespace

void FluidPhase::calculateTheCriticalPoint(char mode, const char* suffix) {
    if (!supportsCriticalSearch("critical search")) return;
    const double Tstart = Tcrit, Vstart = Vcrit;
    temperature(Tcrit);
    volume(Vcrit);
    systemSolver->verbose = diagnosticsOn() ? 1 : 0;
    search_the_critical_point_of_the_pure_component();
    const bool found = error == 0;
    if (found) {
        calculate_state_functions();
        vornex::cprintf("T   %12f K (%12f°C) \n", T, T - 273.15);
        vornex::cprintf("V   %12f cm3/mol\n", V * 1e6);
        vornex::cprintf("rho %12f kg/m3\n", M / V);
        vornex::cprintf("P   %12f bar\n", P * 1e-5);
        // At the critical point (dP/dV)_T is zero but for rounding: no cp to print.
        for (const auto& [name, value] : {std::pair{"cv", Cv}, std::pair{"cp", Cp}}) {
            if (std::isfinite(value))
                vornex::cprintf("%s  %12f kJ/kg/K\n", name, 0.001 * value / M);
            else
                vornex::cprintf("%s  %12s\n", name, "undefined");
        }
    } else {
        // No file: a row of nan would read as a critical point that is none.
        vornex::cfprintf(stderr,
                     "Critical point not found: the search from T = %g K, V = %g cm3/mol "
                     "ended at T = %g K, V = %g cm3/mol\n",
                     Tstart, Vstart * 1e6, T, V * 1e6);
        return;
    }

    CurveOutput out(mode == kIgorText ? kIgorText : kColumnTable);
    if (!out.open("crit", suffix)) return;
    writeCriticalHeader(out, mode, suffix);
    out.print("%12f %12f %12f %12f %12f %12f %12f %12f %12f %12f  %12f\n", T, V * 1e6, M / V,
              P * 1e-5, H, A, U, S, G, H / M / 1000.0, U / M / 1000.0);
    if (mode == kIgorText) out.print("END\n");
    out.close();
}

void FluidPhase::mapTheCriticalField() {
    bindAndStart(*this,
                 static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint1),
                 Tcrit, Vcrit);
    systemSolver->map(0, 1, Tcrit - 200.0, Tcrit + 200.0, Vcrit - 5e-5, Vcrit + 1e-4, 100, 100,
                      kIgorText, "0");
}

// ---------------------------------------------------------------- diagnostics

void FluidPhase::check_critical_parameters() {
    if (nc != 2) {
        vornex::cprintf("Works only for binary fluids\n");
        return;
    }
    const double T0 = T, V0 = V, x0 = x[0], x1 = x[1];
    constexpr double hT = 1e-5, hV = 1e-12, hx = 1e-9;
    double block[7][Deriv::count];  // T+, T-, V+, V-, x+, x-, the state itself
    auto keep = [&](int slot) {
        calculate_critical_parameters();
        for (int k = 0; k < Deriv::count; ++k) block[slot][k] = Aentry(k);
    };
    temperature(T0 + hT);
    keep(0);
    temperature(T0 - hT);
    keep(1);
    temperature(T0);
    volume(V0 + hV);
    keep(2);
    volume(V0 - hV);
    keep(3);
    volume(V0);
    composition_of_component(0, x0 - hx);
    composition_of_component(1, x1 + hx);
    keep(4);
    composition_of_component(0, x0 + hx);
    composition_of_component(1, x1 - hx);
    keep(5);
    composition_of_component(0, x0);
    composition_of_component(1, x1);
    keep(6);

    enum Variable { inT = 0, inV = 2, inX = 4 };
    struct Check {
        const char* label;
        int differenced;
        Variable variable;
        int analytic;
    };
    using D = Deriv;
    static constexpr Check checks[] = {
        {"AT    ", D::a, inT, D::a_T},        {"Av    ", D::a, inV, D::a_V},
        {"Ax    ", D::a, inX, D::a_x},        {"Avv   ", D::a_V, inV, D::a_VV},
        {"Avx   ", D::a_V, inX, D::a_Vx},     {"ATv   ", D::a_T, inV, D::a_TV},
        {"ATvv  ", D::a_TV, inV, D::a_TVV},   {"ATvvv ", D::a_TVV, inV, D::a_TVVV},
        {"Axx   ", D::a_x, inX, D::a_xx},     {"ATx   ", D::a_T, inX, D::a_Tx},
        {"Avvv  ", D::a_VV, inV, D::a_VVV},   {"Avvx  ", D::a_VV, inX, D::a_VVx},
        {"Avxx  ", D::a_Vx, inX, D::a_Vxx},   {"Axxx  ", D::a_xx, inX, D::a_xxx},
        {"ATxx  ", D::a_Tx, inX, D::a_Txx},   {"ATvx  ", D::a_TV, inX, D::a_TVx},
        {"Avvvv ", D::a_VVV, inV, D::a_VVVV}, {"Avvvx ", D::a_VVV, inX, D::a_VVVx},
        {"Avvxx ", D::a_VVx, inX, D::a_VVxx}, {"Avxxx ", D::a_Vxx, inX, D::a_Vxxx},
        {"Axxxx ", D::a_xxx, inX, D::a_xxxx}, {"ATxxx ", D::a_Txx, inX, D::a_Txxx},
        {"ATvxx ", D::a_TVx, inX, D::a_TVxx}, {"ATvvx ", D::a_TVV, inX, D::a_TVVx},
        {"ATvvv ", D::a_TVV, inV, D::a_TVVV},
    };
    const double step[5] = {2.0 * hT, 0.0, 2.0 * hV, 0.0, 2.0 * hx};
    vornex::cprintf("A          %lg\n", block[6][D::a]);
    for (const Check& c : checks) {
        const double numerical =
            (block[c.variable][c.differenced] - block[c.variable + 1][c.differenced]) /
            step[c.variable];
        vornex::cprintf("%snum. %lg\n", c.label, numerical);
        vornex::cprintf("      ana. %lg\n", block[6][c.analytic]);
    }
    vornex::cprintf("\n");
}

}  // namespace vornex

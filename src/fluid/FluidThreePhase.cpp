// Further equilibria of a binary mixture, each traced in temperature by prediction from its
// temperature derivatives and correction with the fluid's damped Newton solver: the
// liquid-liquid-gas line (two liquids "p" and "l" of different composition beside a
// vapour), the azeotrope (liquid and vapour of one composition) and the critical end point
// (a critical liquid beside a vapour). Mole fractions are those of component 1.
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/MixtureSide.h"

namespace vornex {

namespace {

constexpr int kMaxCurveSteps = 100000;

bool withinUnit(double x) {
    return x >= 0.0 && x <= 1.0;
}

// Rows of the LLG system in order: (liquid, quantity) with quantity 0, 1 the fugacities of
// the components and 2 the pressure.
constexpr int kLLGRowLiquid[6] = {0, 1, 0, 1, 0, 1};  // 0: "p" liquid, 1: "l" liquid
constexpr int kLLGRowQuantity[6] = {0, 0, 1, 1, 2, 2};

struct LLGState {
    MixtureSide p, l, v;
};

bool evaluateLLG(FluidPhase& f, double Vp, double Vl, double Vv, double xp, double xl, double xv,
                 LLGState& s) {
    return evaluateBinarySide(f, 2, xp, Vp, s.p) && evaluateBinarySide(f, 2, xl, Vl, s.l) &&
           evaluateBinarySide(f, 1, xv, Vv, s.v);
}

double value(const MixtureSide& side, int q) {
    return q < 2 ? side.f[q] : side.P;
}
double volumeDerivative(const MixtureSide& side, int q) {
    return q < 2 ? side.dfdV[q] : side.dPdV;
}
double compositionDerivative(const MixtureSide& side, int q) {
    return q < 2 ? side.D[q][1] : side.DP[1];
}
double temperatureDerivative(const MixtureSide& side, int q) {
    return q < 2 ? side.E[q] : side.EP;
}

// Jacobian of the LLG residual in (Vp, Vl, Vv, xp, xl, xv).
void llgJacobian(const LLGState& s, double** J) {
    for (int r = 0; r < 6; ++r) {
        const int q = kLLGRowQuantity[r], liquid = kLLGRowLiquid[r];
        const MixtureSide& L = liquid == 0 ? s.p : s.l;
        for (int c = 0; c < 6; ++c) J[r][c] = 0.0;
        J[r][liquid] = volumeDerivative(L, q);
        J[r][3 + liquid] = compositionDerivative(L, q);
        J[r][2] = -volumeDerivative(s.v, q);
        J[r][5] = -compositionDerivative(s.v, q);
    }
}

std::vector<std::vector<double>> squareMatrix(int n) {
    return std::vector<std::vector<double>>(static_cast<size_t>(n),
                                            std::vector<double>(static_cast<size_t>(n), 0.0));
}

std::vector<double*> rowPointers(std::vector<std::vector<double>>& m) {
    std::vector<double*> rows;
    for (auto& row : m) rows.push_back(row.data());
    return rows;
}

// The continuation in temperature shared by the LLG and azeotropic curves: correct, keep
// the point as the base, and step on; a failed point halves the step down to 1e-4 of dT.
// `solve` corrects at a temperature from predicted unknowns; `derivatives` gives their
// temperature derivatives at the stored point; `row` writes it.
template <typename Unknowns, typename Solve, typename Derivatives, typename Row>
void traceInTemperature(FluidPhase& f, double dT, Unknowns base, Solve solve,
                        Derivatives derivatives, Row row) {
    Unknowns slope = derivatives();
    double T0 = f.T, h = 1.0;
    for (int step = 0; step < kMaxCurveSteps && f.error == 0; ++step) {
        const double deltaT = h * dT;
        Unknowns predicted = base;
        for (size_t k = 0; k < predicted.size(); ++k) predicted[k] += deltaT * slope[k];
        Unknowns solved = solve(T0 + deltaT, predicted);
        if (f.error) {
            h /= 2.0;
            if (h <= 1e-4) break;
            f.error = 0;
            continue;
        }
        base = solved;
        T0 = f.T;
        row();
        slope = derivatives();
        if (h < 0.7) h *= 1.4;
    }
}

}  // namespace

// ----------------------------------------------------------------- liquid-liquid-gas

void FluidPhase::equationForLLG(double* xv, double* F, double** J, int& err, int order, void*) {
    const double Vpt = xv[0], Vlt = xv[1], Vvt = xv[2], xpt = xv[3], xlt = xv[4], xvt = xv[5];
    if (Vpt < 0.0 || Vlt < 0.0 || Vvt < 0.0 || !withinUnit(xpt) || !withinUnit(xlt) ||
        !withinUnit(xvt) || std::fabs(xpt - xlt) < 1e-4 || std::fabs(xvt - xlt) < 1e-4 ||
        Vvt <= Vpt || Vvt <= Vlt) {  // a third dense phase is no vapour
        err = 1;
        return;
    }
    Vl = Vlt;
    Vv = Vvt;
    LLGState s;
    if (!evaluateLLG(*this, Vpt, Vlt, Vvt, xpt, xlt, xvt, s)) {
        err = 1;
        return;
    }
    for (int r = 0; r < 6; ++r) {
        const int q = kLLGRowQuantity[r];
        F[r] = value(kLLGRowLiquid[r] == 0 ? s.p : s.l, q) - value(s.v, q);
    }
    if (order >= 1) llgJacobian(s, J);
    Vp = Vpt;
    xp[0] = 1.0 - xpt;
    xp[1] = xpt;
    storeBinaryPair(*this, Vlt, Vvt, xlt, xvt);
}

void FluidPhase::calculate_LLG_point(double TK, double Vliquid, double VpStart, double Vvapour,
                                     double xl, double xpGuess, double xv) {
    error = 0;
    if (nc != 2 || !(TK > 0.0)) {
        error = 1;
        return;
    }
    temperature(TK);
    Vp = VpStart;
    Vl0 = Vliquid;
    Vv0 = Vvapour;
    const double start[6] = {VpStart, Vliquid, Vvapour, xpGuess, xl, xv};
    Newton& solver = bindMixtureSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForLLG), 6, start);
    solver.dampmin = 1e-12;
    solver.itermax = 50;
    error = solver.solve() != 0 ? 1 : 0;
    if (error) {
        // A liquid is stiff: a volume guessed a few per cent off lies hundreds of bar from
        // the vapour. Once more, with both liquids at the vapour's pressure.
        MixtureSide v;
        if (evaluateBinarySide(*this, 1, xv, Vvapour, v) && v.P > 0.0) {
            const double retry[6] = {binaryVolumeAtPressure(*this, 2, xpGuess, v.P),
                                     binaryVolumeAtPressure(*this, 2, xl, v.P),
                                     Vvapour,
                                     xpGuess,
                                     xl,
                                     xv};
            if (retry[0] > 0.0 && retry[1] > 0.0) {
                temperature(TK);
                Newton& again = bindMixtureSystem(
                    *this, static_cast<EquationSystem>(&FluidPhase::equationForLLG), 6, retry);
                again.dampmin = 1e-12;
                again.itermax = 50;
                error = again.solve() != 0 ? 1 : 0;
            }
        }
    }
    vornex::cprintf("err  %d\n", error);
    vornex::cprintf("T    %#.10lg\n", T);
    vornex::cprintf("P    %#.10lg\n", P * 1e-5);
    vornex::cprintf("Vp   %#.10lg\n", Vp * 1e6);
    vornex::cprintf("Vl   %#.10lg\n", Vl0 * 1e6);
    vornex::cprintf("Vv   %#.10lg\n", Vv0 * 1e6);
    vornex::cprintf("xp   %#.10lg\n", xp[1]);
    vornex::cprintf("xl   %#.10lg\n", xLiquid[1]);
    vornex::cprintf("xv   %#.10lg\n", yVapour[1]);
}

void FluidPhase::next_LLG_point(double& dVl, double& dVp, double& dVv, double& dxl, double& dxp,
                                double& dxv) {
    LLGState s;
    if (!evaluateLLG(*this, Vp, Vl0, Vv0, xp[1], xLiquid[1], yVapour[1], s)) {
        error = 1;
        return;
    }
    auto J = squareMatrix(6);
    std::vector<double*> rows = rowPointers(J);
    llgJacobian(s, rows.data());
    std::vector<double> b(6), d;
    for (int r = 0; r < 6; ++r) {
        const int q = kLLGRowQuantity[r];
        const MixtureSide& L = kLLGRowLiquid[r] == 0 ? s.p : s.l;
        b[r] = -(temperatureDerivative(L, q) - temperatureDerivative(s.v, q));
    }
    if (!solveSmallSystem(J, b, d)) {
        error = 1;
        return;
    }
    dVp = d[0];
    dVl = d[1];
    dVv = d[2];
    dxp = d[3];
    dxl = d[4];
    dxv = d[5];
}

void FluidPhase::calculate_the_LLG_curve(const char* file, double dT, double TK, double Vliquid,
                                         double VpStart, double Vvapour, double xl, double xpGuess,
                                         double xv) {
    if (nc != 2 || file == nullptr) return;
    CurveOutput out(kColumnTable);
    if (!out.open(file)) return;
    calculate_LLG_point(TK, Vliquid, VpStart, Vvapour, xl, xpGuess, xv);
    using Unknowns = std::vector<double>;  // Vp, Vl, Vv, xp, xl, xv
    auto derivatives = [this]() {
        Unknowns d(6, 0.0);
        next_LLG_point(d[1], d[0], d[2], d[4], d[3], d[5]);
        return d;
    };
    auto row = [&]() {
        out.print(
            "%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg %#.10lg "
            "%#.10lg %#.10lg\n",
            T, P * 1e-5, 1.0 - xp[1], xp[1], 1.0 - xLiquid[1], xLiquid[1], 1.0 - yVapour[1],
            yVapour[1], Vp * 1e6, Vl0 * 1e6, Vv0 * 1e6);
    };
    if (error == 0) derivatives();
    if (error) {
        vornex::cfprintf(stderr, "Can't find a starting point for the LLG curve\n");
        out.close();
        return;
    }
    row();
    const Unknowns base = {Vp, Vl0, Vv0, xp[1], xLiquid[1], yVapour[1]};
    traceInTemperature(
        *this, dT, base,
        [this](double Tnew, const Unknowns& u) {
            calculate_LLG_point(Tnew, u[1], u[0], u[2], u[4], u[3], u[5]);
            return Unknowns{Vp, Vl0, Vv0, xp[1], xLiquid[1], yVapour[1]};
        },
        derivatives, row);
    out.close();
}

// ------------------------------------------------------------------------ azeotrope

void FluidPhase::equationForAzeotrope(double* xv, double* F, double** J, int& err, int order,
                                      void*) {
    const double Vlt = xv[0], Vvt = xv[1], c = xv[2];
    if (Vlt < 0.0 || Vvt < 0.0 || std::fabs(Vlt - Vvt) < 1e-10 || Vlt > Vvt || !withinUnit(c)) {
        err = 1;
        return;
    }
    Vl = Vlt;
    Vv = Vvt;
    MixtureSide l, v;
    if (!evaluateBinarySide(*this, 2, c, Vlt, l) || !evaluateBinarySide(*this, 1, c, Vvt, v)) {
        err = 1;
        return;
    }
    // Equal fugacities as ln(f_i liquid / f_i vapour): every model gives the fugacities with
    // their derivatives, while the closed-form cubics report no residual chemical potential.
    for (int i = 0; i < 2; ++i) {
        if (!(l.f[i] > 0.0) || !(v.f[i] > 0.0)) {
            err = 1;
            return;
        }
        F[i] = std::log(l.f[i] / v.f[i]);
    }
    F[2] = l.P - v.P;
    if (order >= 1) {
        for (int i = 0; i < 2; ++i) {
            J[i][0] = l.dfdV[i] / l.f[i];
            J[i][1] = -v.dfdV[i] / v.f[i];
            J[i][2] = l.D[i][1] / l.f[i] - v.D[i][1] / v.f[i];
        }
        J[2][0] = l.dPdV;
        J[2][1] = -v.dPdV;
        J[2][2] = l.DP[1] - v.DP[1];
    }
    storeBinaryPair(*this, Vlt, Vvt, c, c);
}

void FluidPhase::calculate_azeotropic_point(double TK, double Vliquid, double Vvapour, double x1) {
    error = 0;
    if (nc != 2 || !(TK > 0.0)) {
        error = 1;
        return;
    }
    temperature(TK);
    if (withinUnit(x1)) repairStartVolumes(*this, x1, x1, Vliquid, Vvapour);
    Vl0 = Vliquid;
    Vv0 = Vvapour;
    const double start[3] = {Vliquid, Vvapour, x1};
    Newton& solver = bindMixtureSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForAzeotrope), 3, start);
    error = solver.solve() != 0 ? 1 : 0;
}

void FluidPhase::next_azeotropic_point(double& dVl, double& dVv, double& dx) {
    MixtureSide l, v;
    if (!evaluateBinarySide(*this, 2, xLiquid[1], Vl0, l) ||
        !evaluateBinarySide(*this, 1, xLiquid[1], Vv0, v)) {
        error = 1;
        return;
    }
    auto J = squareMatrix(3);
    std::vector<double> b(3), d;
    for (int q = 0; q < 3; ++q) {
        J[q][0] = volumeDerivative(l, q);
        J[q][1] = -volumeDerivative(v, q);
        J[q][2] = compositionDerivative(l, q) - compositionDerivative(v, q);
        b[q] = -(temperatureDerivative(l, q) - temperatureDerivative(v, q));
    }
    if (!solveSmallSystem(J, b, d)) {
        error = 1;
        return;
    }
    dVl = d[0];
    dVv = d[1];
    dx = d[2];
}

void FluidPhase::calculate_the_azeotropic_curve(const char* file, double dT, double TK,
                                                double Vliquid, double Vvapour, double x1) {
    if (nc != 2 || file == nullptr) return;
    CurveOutput out(kColumnTable);
    if (!out.open(file)) return;
    calculate_azeotropic_point(TK, Vliquid, Vvapour, x1);
    using Unknowns = std::vector<double>;  // Vl, Vv, x
    auto derivatives = [this]() {
        Unknowns d(3, 0.0);
        next_azeotropic_point(d[0], d[1], d[2]);
        return d;
    };
    auto row = [&]() {
        out.print("%#.10lg %#.10lg %#.10lg %#.10lg %#.10lg \n", T, P * 1e-5, 1.0 - xLiquid[1],
                  xLiquid[1], Vl0 * 1e6);
    };
    if (error) {
        out.close();
        return;
    }
    row();
    traceInTemperature(
        *this, dT, Unknowns{Vl0, Vv0, xLiquid[1]},
        [this](double Tnew, const Unknowns& u) {
            calculate_azeotropic_point(Tnew, u[0], u[1], u[2]);
            return Unknowns{Vl0, Vv0, xLiquid[1]};
        },
        derivatives, row);
    out.close();
}

// ------------------------------------------------------------- critical end point

namespace {

// A critical-point search run inside the end-point residual must not take over the solver
// that is solving the end point: the search gets a solver of its own for its duration.
class LentSolver {
   public:
    LentSolver(FluidPhase& fluid, std::unique_ptr<Newton>& spare) : fluid_(fluid), spare_(spare) {
        if (!spare_) spare_ = std::make_unique<Newton>();
        std::swap(fluid_.systemSolver, spare_);
    }
    ~LentSolver() { std::swap(fluid_.systemSolver, spare_); }
    LentSolver(const LentSolver&) = delete;
    LentSolver& operator=(const LentSolver&) = delete;

   private:
    FluidPhase& fluid_;
    std::unique_ptr<Newton>& spare_;
};

}  // namespace

void FluidPhase::equationForEndPoint(double* xv, double* F, double** J, int& err, int order,
                                     void* context) {
    const double Vvt = xv[0], y = xv[1], TK = xv[2];
    if (Vvt < 0.0 || y < 0.0 || y > 1.00000001 || !(TK > 0.0)) {
        err = 1;
        return;
    }
    temperature(TK);
    MixtureSide v, c;
    if (!evaluateBinarySide(*this, 1, y, Vvt, v)) {
        err = 1;
        return;
    }
    // The critical liquid at this temperature, from the last one found.
    set_the_phase_as(2);
    composition_of_component(0, 1.0 - xLiquid[1]);
    composition_of_component(1, xLiquid[1]);
    volume(Vl0);
    std::unique_ptr<Newton> local;
    std::unique_ptr<Newton>& spare =
        context ? *static_cast<std::unique_ptr<Newton>*>(context) : local;
    {
        LentSolver lent(*this, spare);
        search_a_critical_point(kCriticalAtFixedTemperature);
    }
    if (error) {
        err = 1;
        return;
    }
    const double Vc = V, xc = x[1];
    double dTdx = 0.0, dVdx = 0.0;
    next_critical_point(dTdx, dVdx);
    if (!evaluateBinarySide(*this, 2, xc, Vc, c) || dTdx == 0.0 || !std::isfinite(dTdx)) {
        err = 1;
        return;
    }
    for (int q = 0; q < 3; ++q) {
        F[q] = value(c, q) - value(v, q);
        if (order < 1) continue;
        J[q][0] = -volumeDerivative(v, q);
        J[q][1] = -compositionDerivative(v, q);
        // The critical liquid moves with T along its critical curve.
        J[q][2] = temperatureDerivative(c, q) - temperatureDerivative(v, q) +
                  (volumeDerivative(c, q) * dVdx + compositionDerivative(c, q)) / dTdx;
    }
    storeBinaryPair(*this, Vc, Vvt, xc, y);
    Tendpoint = TK;
}

namespace {
// Residual measure below which a stalled end-point solve counts as converged.
constexpr double kEndPointStall = 1e-9;
// Relative difference of the pressures and fugacities of the two phases of an end point
// beyond which they are not in equilibrium.
constexpr double kEndPointMismatch = 1e-6;
}  // namespace

void FluidPhase::calculate_critical_endpoint1(double TK, double Vc, double Vvapour, double xc,
                                              double y1) {
    error = 0;
    if (nc != 2) {
        error = 1;
        return;
    }
    Tendpoint = TK;
    storeBinaryPair(*this, Vc, Vvapour, xc, y1);
    const double start[3] = {Vvapour, y1, TK};
    std::unique_ptr<Newton> inner;
    Newton& solver = bindMixtureSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForEndPoint), 3, start);
    solver.dampmin = 1e-8;
    // The nested critical-point search leaves noise near 1e-14 in the residual measure.
    solver.tolerance = 1e-12;
    solver.context = &inner;
    error = solver.solve() != 0 ? 1 : 0;
    // A solve that stalls on that noise below the residual measure 1e-9 has found the end
    // point all the same: where it stalls, no step of any length lowers the residual.
    if (error != 0 && solver.modG0 < kEndPointStall) {
        error = 0;
        int failedEvaluation = 0;
        solver.calculate(solver.x, solver.F, solver.J, failedEvaluation, 0);  // the point again
        if (failedEvaluation != 0) error = 1;
    }
    solver.context = nullptr;
    const int16_t failed = error;

    // Slopes dP/dT (Pa/K) of the critical curve and of the two-phase line at the end point.
    temperature(Tendpoint);
    const double x = xLiquid[1], y = yVapour[1];
    set_the_phase_as(2);
    composition_of_component(0, 1.0 - x);
    composition_of_component(1, x);
    volume(Vl0);
    calculate_critical_parameters();
    double dTdx = 0.0, dVdx = 0.0;
    next_critical_point(dTdx, dVdx);
    calculate_fugacities();
    const double Pc = P;
    const double fc0 = fugacity[0], fc1 = fugacity[1];
    const double slopec = dPdV * dVdx / dTdx + dPdT + (dPdx[1] - dPdx[0]) / dTdx;
    const double dVdxc = -Avx / Avv;
    const double dSdx = -(ATx + ATv * dVdxc);
    const double Sc = -AT;
    set_the_phase_as(1);
    composition_of_component(0, 1.0 - y);
    composition_of_component(1, y);
    volume(Vv0);
    calculate_fugacities();
    calculate_critical_parameters();
    const double Sv = -AT;
    const double slopea = (Sc - Sv - (x - y) * dSdx) / (Vl0 - Vv0 - (x - y) * dVdxc);
    // The solver measures its residual scaled by the Jacobian's rows, whose temperature
    // column grows without bound where the critical curve turns in temperature: there a
    // point far from equilibrium can pass as converged. An end point is one only where the
    // two phases are in equilibrium.
    const auto apart = [](double a, double b) {
        return !(std::fabs(a - b) <= kEndPointMismatch * std::fabs(a));
    };
    const bool inEquilibrium =
        !apart(Pc, P) && !apart(fc0, fugacity[0]) && !apart(fc1, fugacity[1]);
    error = failed != 0 || !inEquilibrium ? 1 : 0;
    vornex::cprintf("err  %d\n", error);
    vornex::cprintf("T    %#.10lg\n", Tendpoint);
    vornex::cprintf("P    %#.10lg\n", Pc * 1e-5);
    vornex::cprintf("Vl   %#.10lg\n", Vl0 * 1e6);
    vornex::cprintf("Vv   %#.10lg\n", Vv0 * 1e6);
    vornex::cprintf("xl   %#.10lg\n", x);
    vornex::cprintf("xv   %#.10lg\n", y);
    vornex::cprintf("slopec   %#.10lg\n", slopec);
    vornex::cprintf("slopea   %#.10lg\n", slopea);
}

void FluidPhase::search_a_double_critical_endpoint(int parameter, double value, double TK,
                                                   double Vc, double Vvapour, double xc,
                                                   double y1) {
    // Each value 1e-5 lower until an end point can no longer be found; the scan is bounded
    // so that a model whose end point never fails still stops. Each solve starts from the
    // end point of the value before: from the first starting values every time, the scan
    // would stop where they no longer converge, short of the double critical end point
    // where the end point ceases to exist.
    for (int step = 0; step < kMaxCurveSteps; ++step) {
        set_model_parameter(parameter, value);
        vornex::cprintf("\nPARAMETER %#.10lg\t", value);
        calculate_critical_endpoint1(TK, Vc, Vvapour, xc, y1);
        if (error) break;
        TK = Tendpoint;
        Vc = Vl0;
        Vvapour = Vv0;
        xc = xLiquid[1];
        y1 = yVapour[1];
        value -= 1e-5;
    }
}

}  // namespace vornex

// Limits of stability of a fluid on the critical derivative block: the pure-fluid spinodal
// dP/dV = 0 (A_vv = 0), the mechanical spinodal of a binary at fixed composition (A_vv = 0)
// and its diffusional spinodal F1 = A_vv A_xx - A_vx^2 = 0; one-variable point solvers,
// (T, V) Newton solvers at a given pressure or entropy, the coexisting phase of equal
// fugacities, and the curve tracers that step down from a critical point.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/Metastability.h"
#include "fluid/ParameterSearch.h"
#include "fluid/SaturationSolver.h"

namespace vornex {

namespace {

// Tries per curve beyond which a tracer stops whatever its step factor says.
constexpr long kMaxTries = 200000;

using Residual = void (FluidPhase::*)(double, double&, double&);

// One Newton-Raphson solve of a fluid residual from start; false (with the phase error flag
// raised) when it failed. On success the residual is evaluated once more at the root so
// that the fluid holds the block of the solution itself. The residual's own flag is lowered
// either way: it tells a solver about one evaluation, and left raised it would fail the
// next solve of any kind on this fluid.
bool solveOne(FluidPhase& fluid, Residual residual, double start, double tolerance, double& root) {
    NewtonRaphson solver;
    solver.equation = &fluid;
    solver.function = static_cast<EquationFunctionWithDerivative>(residual);
    solver.x0 = solver.x1 = start;
    solver.itermax = 15;
    solver.tolerance = tolerance;
    solver.relaxation = 1.0;
    root = solver.solve();
    if (solver.error != 0 || !std::isfinite(root)) {
        fluid.error = 1;
        fluid.equationError = 0;
        return false;
    }
    double f = 0.0, df = 0.0;
    fluid.equationError = 0;
    (fluid.*residual)(root, f, df);
    // A step that damping shortened (the full step led where the residual is refused) can
    // fall below the tolerance far from any root: the point is a root only when the full
    // Newton step from it is that small as well.
    if (fluid.equationError == 0 &&
        !(std::fabs(f) <= tolerance * std::fmax(1.0, std::fabs(root)) * std::fabs(df)))
        fluid.equationError = 1;
    if (fluid.equationError != 0) {
        fluid.error = 1;
        fluid.equationError = 0;
        return false;
    }
    fluid.error = 0;
    fluid.calculate_pressure();
    return true;
}

double F1of(const FluidPhase& f) {
    return f.Avv * f.Axx - f.Avx * f.Avx;
}
double dF1dV(const FluidPhase& f) {
    return f.Avvv * f.Axx + f.Avv * f.Avxx - 2.0 * f.Avx * f.Avvx;
}
double dF1dx(const FluidPhase& f) {
    return f.Avvx * f.Axx + f.Avv * f.Axxx - 2.0 * f.Avxx * f.Avx;
}
double dF1dT(const FluidPhase& f) {
    return f.Axx * f.ATvv + f.Avv * f.ATxx - 2.0 * f.ATvx * f.Avx;
}

// Fills the pure-fluid block at the set state; false when a term could not be evaluated.
bool fillPure(FluidPhase& fluid) {
    fluid.error = 0;
    fluid.calculate_critical_parameters_of_pure_fluid();
    return fluid.error == 0 && std::isfinite(fluid.Avv);
}

bool fillBinary(FluidPhase& fluid) {
    fluid.calculate_critical_parameters();
    return fluid.error == 0;
}

// ------------------------------------------------------------------ rows

constexpr const char* kCurveNames[12] = {"T", "P", "V", "H",  "A",  "G",
                                         "U", "S", "c", "Um", "Hm", "rho"};
constexpr const char* kCurveNumbered[12] = {"T(1)", "P(2)", "V(3)", "H(4)",   "A(5)",   "G(6)",
                                            "U(7)", "S(8)", "c(9)", "Um(10)", "Hm(11)", "rho(12)"};

void namedHeader(CurveOutput& out, const char* suffix) {
    for (int i = 0; i < 12; ++i) out.print(i == 0 ? "%6s%s" : " %12s%s", kCurveNames[i], suffix);
    out.print("\n");
}

void numberedHeader(CurveOutput& out) {
    out.print(" %11s", kCurveNumbered[0]);
    for (int i = 1; i < 12; ++i) out.print(" %13s", kCurveNumbered[i]);
    out.print("\n");
}

// A spinodal state as the curve files carry it: energies in kJ/mol and kJ/kg, V in cm3/mol.
void writeCurveRow(CurveOutput& out, const FluidPhase& f) {
    const double row[12] = {f.T,          f.P * 1e-5,       f.V * 1e6,        f.H * 1e-3,
                            f.A * 1e-3,   f.G * 1e-3,       f.U * 1e-3,       f.S,
                            f.soundSpeed, f.U / f.M * 1e-3, f.H / f.M * 1e-3, f.M / f.V};
    if (out.isText()) {
        out.print("%13.2f %13.5lf %13g %13g %13g %13g %13g %13g %13g %13g %13g %13g\n", row[0],
                  row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9], row[10],
                  row[11]);
    } else {
        out.row(std::span<const double>(row, 12));
    }
}

// The sound speed at a spinodal is the thermal part, T (dP/dT)_V^2 / (rho^2 cv), which needs
// the heat capacity of the whole fluid: a model that gives none has no sound speed there, and
// its files carry nan. Said once per file written, with why.
void noteSoundSpeedColumn(const FluidPhase& f, const CurveOutput& out, long rows) {
    if (rows == 0 || !out.writesFile() || f.givesHeatCapacities()) return;
    vornex::cfprintf(stderr,
                 "%s: no sound speed (column c is nan): %s, which the sound speed at a "
                 "spinodal, T (dP/dT)^2 / (rho^2 cv), needs (%s)\n",
                 out.fileName().c_str(), f.whyNoHeatCapacities(),
                 f.modelName.empty() ? "the model" : f.modelName.c_str());
}

}  // namespace

// ------------------------------------------------------------ point residuals

namespace {

// Sets the solved variable (refusing a negative one) and fills the block; false, with the
// Equation flag raised, when the point cannot be evaluated.
bool evaluateAt(FluidPhase& f, double value, void (FluidPhase::*set)(double),
                bool (*fill)(FluidPhase&)) {
    if (value < 0.0) {
        f.equationError = 1;
        return false;
    }
    (f.*set)(value);
    if (!fill(f)) {
        f.equationError = 1;
        return false;
    }
    return true;
}

}  // namespace

void FluidPhase::equationForCalculatingSpinodal0(double Vm3, double& f, double& df) {
    if (!evaluateAt(*this, Vm3, &FluidPhase::volume, fillPure)) return;
    f = Avv;
    df = Avvv;
}

void FluidPhase::equationForCalculatingSpinodal1(double TK, double& f, double& df) {
    if (!evaluateAt(*this, TK, &FluidPhase::temperature, fillPure)) return;
    f = Avv;
    df = ATvv;
}

void FluidPhase::equationForCalculatingMechanicalSpinodal(double Vm3, double& f, double& df) {
    if (!evaluateAt(*this, Vm3, &FluidPhase::volume, fillBinary)) return;
    f = Avv;
    df = Avvv;
}

void FluidPhase::equationForCalculatingSpinodalFromV(double Vm3, double& f, double& df) {
    if (!evaluateAt(*this, Vm3, &FluidPhase::volume, fillBinary)) return;
    f = F1of(*this);
    df = dF1dV(*this);
}

void FluidPhase::equationForCalculatingLiquidSpinodalFromV(double Vm3, double& f, double& df) {
    equationForCalculatingSpinodalFromV(Vm3, f, df);
    // The liquid side of the diffusional spinodal is where F1 falls with x1.
    if (equationError == 0 && dF1dx(*this) > 0.0) equationError = 1;
}

void FluidPhase::equationForCalculatingSpinodalFromX(double x1, double& f, double& df) {
    if (x1 < 0.0 || x1 > 1.0) {
        equationError = 1;
        return;
    }
    setBinaryComposition(*this, x1);
    if (!fillBinary(*this)) {
        equationError = 1;
        return;
    }
    f = F1of(*this);
    df = dF1dx(*this);
}

// ----------------------------------------------------------- point solvers

void FluidPhase::calculateSpinodalPoint(double TK, double Vstart) {
    temperature(TK);
    volume(Vstart);
    double root = 0.0;
    solveOne(*this, &FluidPhase::equationForCalculatingSpinodal0, Vstart, 1e-9, root);
}

void FluidPhase::calculateSpinodalPoint1(double Vm3, double Tstart) {
    temperature(Tstart);
    volume(Vm3);
    double root = 0.0;
    if (solveOne(*this, &FluidPhase::equationForCalculatingSpinodal1, Tstart, 1e-9, root))
        vornex::cprintf("Tsp : %12.2f K\t\t V : %12.2f cm3/mol\t\t Psp : %12.2f bar\n", T, V * 1e6,
                    P * 1e-5);
}

void FluidPhase::calculateMechanicalSpinodalPoint(double TK, double Vstart) {
    temperature(TK);
    volume(Vstart);
    double root = 0.0;
    solveOne(*this, &FluidPhase::equationForCalculatingMechanicalSpinodal, Vstart, 1e-16, root);
}

namespace {

// The diffusional spinodal volume at (T, x1) from Vstart.
void mixtureSpinodalFromV(FluidPhase& f, Residual residual, double TK, double Vstart, double x1) {
    f.temperature(TK);
    setBinaryComposition(f, x1);
    if (Vstart < 0.0) {
        f.error = 1;
        return;
    }
    f.volume(Vstart);
    double root = 0.0;
    solveOne(f, residual, Vstart, 1e-9, root);
}

// The diffusional spinodal composition at (T, V) from x1start.
void mixtureSpinodalFromX(FluidPhase& f, Residual residual, double TK, double Vm3,
                          double x1start) {
    f.temperature(TK);
    f.volume(Vm3);
    setBinaryComposition(f, x1start);
    double root = 0.0;
    solveOne(f, residual, x1start, 1e-9, root);
}

// A point solved on its own request prints its console line; the curve tracers, whose points
// are the rows of their files, solve them without it.
void printSpinodalPointByV(const FluidPhase& f) {
    vornex::cprintf("%d %10f %10f %10f\n", f.error, f.T, f.V * 1e6, f.P * 1e-5);
}

}  // namespace

void FluidPhase::calculateSpinodalPointInMixtureIterateV(double TK, double Vstart, double x1) {
    mixtureSpinodalFromV(*this, &FluidPhase::equationForCalculatingSpinodalFromV, TK, Vstart, x1);
    printSpinodalPointByV(*this);
}

void FluidPhase::calculateLiquidSpinodalPointInMixtureIterateV(double TK, double Vstart,
                                                               double x1) {
    mixtureSpinodalFromV(*this, &FluidPhase::equationForCalculatingLiquidSpinodalFromV, TK, Vstart,
                         x1);
    printSpinodalPointByV(*this);
}

void FluidPhase::calculateSpinodalPointInMixtureIterateX(double TK, double Vm3, double x1start) {
    mixtureSpinodalFromX(*this, &FluidPhase::equationForCalculatingSpinodalFromX, TK, Vm3, x1start);
    vornex::cprintf("%d %f %f\n", error, V, nc > 1 ? x[1] : 0.0);
}

// ------------------------------------------------- (T, V) Newton point solvers

namespace {

// Sets (T, V) and evaluates the pressure, fugacities, state functions and the pure block;
// false when the point is outside the domain or cannot be evaluated.
bool evaluateSpinodalState(FluidPhase& f, double TK, double Vm3) {
    if (TK < 0.0 || Vm3 < 0.0) return false;
    f.temperature(TK);
    f.volume(Vm3);
    f.error = 0;
    f.calculate_pressure();
    if (f.error != 0) return false;
    // Fugacities have no logarithm at the negative pressures of a liquid spinodal; the
    // system needs only the pressure derivatives and the entropy they come with.
    f.calculate_fugacities();
    f.calculate_state_functions();
    if (!std::isfinite(f.dPdT) || !std::isfinite(f.dPdV) || !std::isfinite(f.S) ||
        !std::isfinite(f.dSdT))
        return false;
    return fillPure(f);
}

int solveTV(FluidPhase& f, EquationSystem system, double Tstart, double Vstart) {
    Newton& solver = *f.systemSolver;
    solver._setSysEquationToSolve(&f, system, 2);
    solver.x[0] = solver.x0[0] = Tstart;
    solver.x[1] = solver.x0[1] = Vstart;
    const int code = solver.solve();
    if (code == 0) {
        f.temperature(solver.x[0]);
        f.volume(solver.x[1]);
        f.calculate_pressure();
    }
    return code;
}

}  // namespace

void FluidPhase::equationForSpinodalPoint(double* xv, double* F, double** J, int& err, int order,
                                          void*) {
    if (!evaluateSpinodalState(*this, xv[0], xv[1])) {
        err = 1;
        return;
    }
    writeTwoByTwo(F, J, order, P - Pstar, Avv, dPdT, dPdV, ATvv, Avvv);
}

void FluidPhase::equationForSpinodalPointFixedS(double* xv, double* F, double** J, int& err,
                                                int order, void*) {
    if (!evaluateSpinodalState(*this, xv[0], xv[1])) {
        err = 1;
        return;
    }
    writeTwoByTwo(F, J, order, S - Sstar, Avv, dSdT, -ATv, ATvv, Avvv);
}

namespace {

// The spinodal at the target pressure by nested one-variable solves: the spinodal volume at
// T, and a secant in T on P(T) - Ptarget. It serves where the (T, V) Newton cannot make
// progress: near the spinodal dP/dV vanishes, so the solver's row-scaled residual measure
// of the pressure equation grows as the solution comes closer, and damping stalls it.
bool spinodalAtPressureNested(FluidPhase& f, double Ptarget, double Tstart, double Vstart) {
    double V = Vstart;
    auto pressureMiss = [&](double TK, double& miss) {
        f.calculateSpinodalPoint(TK, V);
        if (f.error != 0) return false;
        V = f.V;
        miss = f.P - Ptarget;
        return true;
    };
    double T0 = Tstart, T1 = Tstart * (1.0 + 1e-4), F0 = 0.0, F1 = 0.0;
    if (!pressureMiss(T0, F0) || !pressureMiss(T1, F1)) return false;
    for (int iteration = 0; iteration < 50; ++iteration) {
        if (F1 == F0) return false;
        const double T2 = T1 - F1 * (T1 - T0) / (F1 - F0);
        T0 = T1;
        F0 = F1;
        T1 = T2;
        if (!pressureMiss(T1, F1)) return false;
        if (std::fabs(T1 - T0) < 1e-10 * T1) return true;
    }
    return false;
}

}  // namespace

int FluidPhase::calculateSpinodalPoint2(double Pbar, double Vstart, double Tstart) {
    Pstar = Pbar * 1e5;
    const int code = solveTV(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForSpinodalPoint), Tstart, Vstart);
    if (code == 0) return 0;
    return spinodalAtPressureNested(*this, Pstar, Tstart, Vstart) ? 0 : code;
}

namespace {

// A_vv at V (the fluid's temperature set); false where the model gives no value.
bool curvatureAt(FluidPhase& f, double Vm3, double& Avv, double& Avvv) {
    if (!(Vm3 > 0.0)) return false;
    f.volume(Vm3);
    if (!fillPure(f)) return false;
    Avv = f.Avv;
    Avvv = f.Avvv;
    return std::isfinite(Avvv);
}

// The liquid spinodal at T: the first volume where A_vv (RT A_vv = -dP/dV) falls to 0 as a
// compressed liquid expands, from a little below Vguess in steps of 0.2 %. Where A_vv has
// a least value between two steps, that value is looked at as well, so that a narrow
// unstable range close to the critical point is not stepped over; a model may have such
// minima that stay positive (a stable pocket) before its spinodal. 1 when found, 0 when
// none lies below three times Vguess (the isotherm has no liquid spinodal), -1 when the
// model gives no value.
int liquidSpinodalVolume(FluidPhase& f, double TK, double Vguess, double& Vfound) {
    constexpr double kStep = 1.002;
    f.temperature(TK);
    double V = 0.97 * Vguess, Avv = 0.0, Avvv = 0.0;
    for (int shrink = 0;; ++shrink, V *= 0.95) {
        if (shrink > 40 || !curvatureAt(f, V, Avv, Avvv)) return -1;
        if (Avv > 0.0 && Avvv < 0.0) break;
    }
    auto bisect = [&](double stable, double unstable) {
        for (int i = 0; i < 100 && std::fabs(unstable / stable - 1.0) > 1e-13; ++i) {
            const double mid = 0.5 * (stable + unstable);
            double a = 0.0, b = 0.0;
            if (!curvatureAt(f, mid, a, b)) return -1;
            (a > 0.0 ? stable : unstable) = mid;
        }
        Vfound = 0.5 * (stable + unstable);
        return 1;
    };
    for (const double Vend = 3.0 * Vguess; V < Vend; V *= kStep) {
        const double Vn = V * kStep;
        double An = 0.0, An1 = 0.0;
        if (!curvatureAt(f, Vn, An, An1)) return -1;
        if (!(An > 0.0)) return bisect(V, Vn);
        if (Avvv < 0.0 && An1 >= 0.0) {
            double lo = V, hi = Vn;
            for (int i = 0; i < 100 && std::fabs(hi / lo - 1.0) > 1e-13; ++i) {
                const double mid = 0.5 * (lo + hi);
                double a = 0.0, b = 0.0;
                if (!curvatureAt(f, mid, a, b)) return -1;
                if (!(a > 0.0)) return bisect(V, mid);
                (b < 0.0 ? lo : hi) = mid;
            }
        }
        Avvv = An1;
    }
    return 0;
}

// The liquid spinodal at the pressure Ptarget by nested searches: the liquid spinodal of
// each isotherm, and the temperature where its pressure is Ptarget, bracketed and then
// narrowed by regula falsi (a bisection where an isotherm has none). Along the liquid
// spinodal the pressure rises with the temperature up to the critical point.
bool liquidSpinodalAtPressure(FluidPhase& f, double Ptarget, double Tstart, double Vstart) {
    double V = Vstart;
    // 1 with the pressure miss where the isotherm has a liquid spinodal, 0 where it has none
    // (too hot), -1 on a failure.
    auto miss = [&](double TK, double& F) {
        double Vls = 0.0;
        // From the compressed side of the start as well, so that no earlier loss of
        // stability is passed over where the last isotherm's came later.
        const int found = liquidSpinodalVolume(f, TK, std::fmin(V, Vstart), Vls);
        if (found != 1) return found;
        V = Vls;
        f.volume(Vls);
        f.error = 0;
        F = f.calculate_pressure() - Ptarget;
        return f.error == 0 && std::isfinite(F) ? 1 : -1;
    };
    double Tlo = 0.0, Thi = 0.0, Flo = 0.0, Fhi = 0.0;
    bool haveLo = false, haveHi = false, hiHasValue = false;
    double Tbest = 0.0, Fbest = HUGE_VAL;
    // -1 when the point replaced the lower end, 1 the upper, 0 on a failure.
    auto classify = [&](double TK) {
        double F = 0.0;
        const int found = miss(TK, F);
        if (found < 0) return 0;
        if (found == 1 && std::fabs(F) < std::fabs(Fbest)) {
            Tbest = TK;
            Fbest = F;
        }
        if (found == 1 && F < 0.0) {
            Tlo = TK;
            Flo = F;
            haveLo = true;
            return -1;
        }
        Thi = TK;
        Fhi = F;
        haveHi = true;
        hiHasValue = found == 1;
        return 1;
    };
    if (classify(Tstart) == 0) return false;
    double step = 1.0;
    for (int k = 0; k < 40 && !(haveLo && haveHi); ++k, step *= 2.0) {
        const double TK = haveLo ? Tlo + step : Thi - step;
        if (!(TK > 0.0) || classify(TK) == 0) return false;
    }
    if (!(haveLo && haveHi)) return false;
    int last = 0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        if (Thi - Tlo < 1e-12 * Thi || std::fabs(Fbest) <= 1e-12 * Ptarget) break;
        double TK = 0.5 * (Tlo + Thi);
        if (hiHasValue) {
            const double t = Tlo - Flo * (Thi - Tlo) / (Fhi - Flo);
            if (t > Tlo && t < Thi) TK = t;
        }
        const int side = classify(TK);
        if (side == 0) return false;
        // Illinois: the end that stays twice running keeps half its weight.
        if (side == last) (side < 0 ? Fhi : Flo) *= 0.5;
        last = side;
    }
    double F = 0.0;
    if (!(Fbest < HUGE_VAL) || miss(Tbest, F) != 1) return false;
    if (std::fabs(F) > 1e-6 * std::fmax(Ptarget, 1e5)) return false;
    f.temperature(Tbest);
    f.volume(V);
    f.calculate_pressure();
    return f.error == 0;
}

}  // namespace

int FluidPhase::calculateLiquidSpinodalPoint2(double Pbar, double Vstart, double Tstart) {
    const double T0 = T, V0 = V, P0 = P;
    Pstar = Pbar * 1e5;
    // The (T, V) Newton from the start, kept where its answer is the liquid spinodal: the
    // first loss of stability as the liquid of that temperature expands.
    int code = solveTV(*this, static_cast<EquationSystem>(&FluidPhase::equationForSpinodalPoint),
                       Tstart, Vstart);
    if (code == 0) {
        const double Ts = T, Vs = V;
        double Vls = 0.0;
        if (liquidSpinodalVolume(*this, Ts, std::fmin(Vs, Vstart), Vls) == 1 &&
            std::fabs(Vls / Vs - 1.0) < 1e-6) {
            temperature(Ts);
            volume(Vs);
            calculate_pressure();
            if (error == 0) return 0;
        }
        code = 1;
    }
    if (liquidSpinodalAtPressure(*this, Pstar, Tstart, Vstart)) {
        // Polished by the Newton from the answer, which now starts on the liquid branch.
        const double Ts = T, Vs = V;
        if (solveTV(*this, static_cast<EquationSystem>(&FluidPhase::equationForSpinodalPoint), Ts,
                    Vs) == 0 &&
            std::fabs(V / Vs - 1.0) < 1e-4 && std::fabs(T / Ts - 1.0) < 1e-6)
            return 0;
        temperature(Ts);
        volume(Vs);
        error = 0;
        calculate_pressure();
        if (error == 0) return 0;
    }
    temperature(T0);
    volume(V0);
    P = P0;
    error = 1;
    return code != 0 ? code : 1;
}

void FluidPhase::calculateSpinodalPointFixedS(double entropy, double Vstart, double Tstart) {
    Sstar = entropy;
    systemSolver->verbose = 0;
    const int code =
        solveTV(*this, static_cast<EquationSystem>(&FluidPhase::equationForSpinodalPointFixedS),
                Tstart, Vstart);
    error = code != 0 ? 1 : 0;
}

// -------------------------------------------------------- coexisting phase

namespace {

// The phase of composition (1 - x, x) at V as one side of an equal-fugacity system:
// residuals f_i - target_i and their derivatives in V and along x1 at constant T and V.
bool coexistingResiduals(FluidPhase& f, int selector, double* xv, double* F, double** J,
                         int order) {
    const double Vm3 = xv[0], x1 = xv[1];
    if (Vm3 < 0.0 || x1 < 0.0 || x1 > 1.0) return false;
    f.set_the_phase_as(selector);
    setBinaryComposition(f, x1);
    f.volume(Vm3);
    f.error = 0;
    f.calculate_pressure();
    f.calculate_fugacities();
    if (f.error != 0) return false;
    const double targets[2] = {f.fugTarget0, f.fugTarget1};
    const double dVdx1 = f.partialMolarVolume[1] - f.partialMolarVolume[0];
    for (int i = 0; i < 2; ++i) {
        F[i] = f.fugacity[i] - targets[i];
        if (order == 0) continue;
        J[i][0] = f.dfdV[i];
        J[i][1] = f.dfdx[i][1] - f.dfdx[i][0] - dVdx1 * f.dfdV[i];
    }
    for (int i = 0; i < 2; ++i)
        if (!std::isfinite(F[i])) return false;
    return true;
}

// Solves the other phase from (VGuess, xGuess); true on success, leaving (V, x1) in it.
bool solveCoexisting(FluidPhase& f, EquationSystem system, double VGuess, double xGuess,
                     double& Vfound, double& xfound) {
    const int selector = f.phase;
    Newton& solver = *f.systemSolver;
    solver._setSysEquationToSolve(&f, system, 2);
    solver.verbose = 0;
    solver.x[0] = solver.x0[0] = VGuess;
    solver.x[1] = solver.x0[1] = xGuess;
    const int code = solver.solve();
    Vfound = solver.x[0];
    xfound = solver.x[1];
    f.set_the_phase_as(selector);
    return code == 0;
}

}  // namespace

void FluidPhase::equationForGasEquilibriumPoint(double* xv, double* F, double** J, int& err,
                                                int order, void*) {
    if (!coexistingResiduals(*this, 1, xv, F, J, order)) err = 1;
}

void FluidPhase::equationForLiquidEquilibriumPoint(double* xv, double* F, double** J, int& err,
                                                   int order, void*) {
    if (!coexistingResiduals(*this, 2, xv, F, J, order)) err = 1;
}

namespace {

// The phase of equal fugacities f0, f1 beside the given one (Vs, xs) at T: the vapour when
// solveLiquid is false, the liquid when it is true. The given phase is stored as the other
// side, the guesses and then the solution as the solved side.
void equilibriumPoint(FluidPhase& f, bool solveLiquid, double TK, double Vs, double xs, double f0,
                      double f1, double xGuess, double VGuess) {
    double& givenV = solveLiquid ? f.Vv0 : f.Vl0;
    std::vector<double>& givenX = solveLiquid ? f.yVapour : f.xLiquid;
    double& solvedV = solveLiquid ? f.Vl0 : f.Vv0;
    std::vector<double>& solvedX = solveLiquid ? f.xLiquid : f.yVapour;
    f.temperature(TK);
    givenV = Vs;
    givenX[0] = 1.0 - xs;
    givenX[1] = xs;
    solvedV = VGuess;
    solvedX[0] = 1.0 - xGuess;
    solvedX[1] = xGuess;
    f.fugTarget0 = f0;
    f.fugTarget1 = f1;
    const auto system =
        static_cast<EquationSystem>(solveLiquid ? &FluidPhase::equationForLiquidEquilibriumPoint
                                                : &FluidPhase::equationForGasEquilibriumPoint);
    double Vfound = 0.0, xfound = 0.0;
    if (!solveCoexisting(f, system, VGuess, xGuess, Vfound, xfound)) {
        f.error = 1;
        return;
    }
    f.error = 0;
    solvedV = Vfound;
    solvedX[0] = 1.0 - xfound;
    solvedX[1] = xfound;
}

}  // namespace

void FluidPhase::calculate_gas_equilibrium_point(double TK, double Vs, double xs, double f0,
                                                 double f1, double xGuess, double VGuess) {
    equilibriumPoint(*this, false, TK, Vs, xs, f0, f1, xGuess, VGuess);
}

void FluidPhase::calculate_liquid_equilibrium_point(double TK, double Vs, double xs, double f0,
                                                    double f1, double xGuess, double VGuess) {
    equilibriumPoint(*this, true, TK, Vs, xs, f0, f1, xGuess, VGuess);
}

// ------------------------------------------------------------------ tracers

void FluidPhase::calculateSpinodalCurve(const char* file, double TK, double Vm3, char branch,
                                        double Tmin, char mode, const char* suffix,
                                        CurveArray* array) {
    if (suffix != nullptr && !OutputFiles::checkSuffix(suffix)) return;
    CurveOutput out(mode, array);
    if (out.writesFile() && !out.open(file == nullptr ? "" : file)) return;
    if (out.isIgor()) {
        // An Igor file needs its wave names; without a suffix they stand alone.
        out.print("IGOR\nWAVES ");
        namedHeader(out, suffix == nullptr ? "" : suffix);
        out.print("BEGIN\n");
    } else if (mode == kColumnTable && suffix != nullptr) {
        out.print("# ");
        numberedHeader(out);
    }

    temperature(TK);
    volume(Vm3);
    search_the_critical_point_of_the_pure_component();
    long rows = 0;
    if (error == 0) {
        calculate_fugacities();
        calculate_state_functions();
        writeCurveRow(out, *this);
        ++rows;
    } else {
        vornex::cfprintf(stderr, "Spinodal curve: the critical point of the fluid was not found\n");
    }
    // Each row is the first loss of stability of the isotherm: of the liquid as it expands,
    // of the vapour as it is compressed. A continuation of dP/dV = 0 in T alone follows
    // whatever root it was on, and an equation's loops inside the two-phase region carry
    // roots far from the fluid's own spinodal (at pressures of -1e6 bar and below).
    const double Tc = T;
    const bool liquid = branch == 0;
    // Half a kelvin; a model in reduced variables (the BWR fluids, Tc about 1) steps as
    // finely in its own unit.
    const double step = Tc < 10.0 ? 1e-3 * Tc : 0.5;
    for (double Tnext = Tc - step; error == 0 && Tnext >= Tmin; Tnext -= step) {
        const double Vs = firstLossOfStability(*this, Tnext, liquid);
        bool ok = Vs > 0.0;
        if (ok) {
            temperature(Tnext);
            volume(Vs);
            error = 0;
            calculate_pressure();
            ok = error == 0 && std::isfinite(P);
        }
        if (!ok) {
            vornex::cfprintf(stderr,
                         "Spinodal curve: no %s spinodal found at %.2f K (the isotherm does "
                         "not lose stability from its %s side there); the curve ends\n",
                         liquid ? "liquid" : "vapour", Tnext, liquid ? "liquid" : "vapour");
            error = 1;
            break;
        }
        calculate_fugacities();
        calculate_state_functions();
        if (error != 0) {
            // A state the model itself refuses (nitrogen's beyond its melting line, where the
            // solid is stable: its vapour compressed at 98-115.7 K stays stable up to the
            // equation's loop near 97 cm3/mol, at 1,100 bar to 1.8e6 bar) is no spinodal of
            // the fluid.
            vornex::cfprintf(stderr,
                             "Spinodal curve: at %.2f K the %s first loses stability at %.6g bar, "
                             "%.6g cm3/mol, a state the model refuses; the curve ends\n",
                             Tnext, liquid ? "expanding liquid" : "compressed vapour", P * 1e-5,
                             V * 1e6);
            break;
        }
        writeCurveRow(out, *this);
        ++rows;
    }
    if (out.isIgor()) out.print("END\n");
    out.close();
    noteSoundSpeedColumn(*this, out, rows);
}

void FluidPhase::calculateSpinodalCurveInMixture(double TK, double Vm3, char, double Tend,
                                                 double dT, char mode, const char* suffix,
                                                 char fromCritical) {
    if (nc != 2) {
        vornex::cfprintf(stderr, "Spinodal of a mixture: not a binary mixture (N = %d)\n", nc);
        error = 1;
        return;
    }
    CurveOutput out(kColumnTable);
    if (!out.open("spinot", suffix)) return;
    out.print(mode == kIgorText ? "IGOR\nWAVES " : "# ");
    if (suffix == nullptr)
        numberedHeader(out);
    else
        namedHeader(out, suffix);
    if (mode == kIgorText) out.print("BEGIN\n");

    const double x1 = x[1];
    temperature(TK);
    volume(Vm3);
    double slope = 0.0, Tlast = TK, Vlast = Vm3, Tnext = TK, Vnext = Vm3;
    bool started = false;
    long rows = 0;
    if (fromCritical != 0) {
        search_a_critical_point(kCriticalAtFixedComposition);
        if (error == 0) {
            calculate_fugacities();
            calculate_state_functions();
            writeCurveRow(out, *this);
            ++rows;
            fillBinary(*this);
            slope = -dF1dT(*this) / dF1dV(*this);
            Tlast = T;
            Vlast = V;
            Tnext = T + dT;
            Vnext = V + dT * slope;
            started = true;
        }
    }
    if (!started) {
        // Retries then approach the given start from one step before it.
        Tlast = TK - dT;
        Vlast = Vm3;
    }
    error = 0;
    double lambda = 1.0;
    for (long tries = 0; error == 0 && Tnext >= Tend && tries < kMaxTries; ++tries) {
        mixtureSpinodalFromV(*this, &FluidPhase::equationForCalculatingSpinodalFromV, Tnext, Vnext,
                             x1);
        if (error == 0) {
            calculate_fugacities();
            fillBinary(*this);
            calculate_state_functions();
        }
        if (error == 0) {
            slope = -dF1dT(*this) / dF1dV(*this);
            writeCurveRow(out, *this);
            ++rows;
            Tlast = T;
            Vlast = V;
            Tnext = T + dT;
            Vnext = V + dT * slope;
            lambda = 1.0;
            continue;
        }
        lambda *= 0.5;
        if (lambda > 1e-4) {
            error = 0;
            Tnext = Tlast + lambda * dT;
            Vnext = Vlast + lambda * slope * dT;
        }
    }
    if (mode == kIgorText) out.print("END\n");
    out.close();
    noteSoundSpeedColumn(*this, out, rows);
}

void FluidPhase::calculateIsothermalMechanicalSpinodal(double TK, double Vm3, const char* suffix) {
    if (nc != 2) {
        vornex::cfprintf(stderr, "Mechanical spinodal: not a binary mixture (N = %d)\n", nc);
        error = 1;
        return;
    }
    CurveOutput out(kIgorText);
    if (!out.open("spinom", suffix)) return;
    static constexpr const char* names[] = {"T",  "x0", "x1", "V",  "P", "Hm",
                                            "Am", "Gm", "Um", "Sm", "c"};
    out.print("IGOR\nWAVES ");
    for (int i = 0; i < 11; ++i)
        out.print(i == 0 ? "%6s%s" : " %12s%s", names[i], suffix == nullptr ? "" : suffix);
    out.print("\nBEGIN\n");

    temperature(TK);
    volume(Vm3);
    error = 0;
    double xnext = 0.0, Vnext = Vm3, xlast = 0.0, Vlast = Vm3, slope = 0.0, lambda = 1.0;
    long rows = 0;
    for (long tries = 0; error == 0 && tries < kMaxTries; ++tries) {
        if (xnext > 1.0) {
            error = 1;  // past the pure second component there is no mixture
        } else {
            setBinaryComposition(*this, xnext);
            calculateMechanicalSpinodalPoint(TK, Vnext);
        }
        if (error == 0) {
            calculate_state_functions();
            out.print("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", T,
                      x[0], x[1], V, P * 1e-5, H, A, G, U, S, soundSpeed);
            ++rows;
            fillBinary(*this);
            slope = -Avvx / Avvv;
            xlast = xnext;
            Vlast = V;
            xnext += 0.001;
            Vnext = Vlast + 0.001 * slope;
            lambda = 1.0;
            error = 0;
            continue;
        }
        lambda *= 0.5;
        if (lambda >= 1e-4) {
            xnext = xlast + 0.001 * lambda;
            Vnext = Vlast + 0.001 * lambda * slope;
            error = 0;
        }
    }
    out.print("END\n");
    out.close();
    noteSoundSpeedColumn(*this, out, rows);
}

void FluidPhase::calculateIsothermalSpinodalCurveInMixture(const char* suffix, double TK,
                                                           double Vm3, double x1, char liquid,
                                                           char fromCritical) {
    if (nc != 2) {
        vornex::cfprintf(stderr, "Spinodal of a mixture: not a binary mixture (N = %d)\n", nc);
        error = 1;
        return;
    }
    CurveOutput out(kIgorText);
    if (!out.open("spinox", suffix)) return;
    static constexpr const char* names[] = {"T",    "Ps", "xs0", "xs1", "vs",
                                            "dxdv", "P",  "V",   "x0",  "x1"};
    const char* sfx = suffix == nullptr ? "" : suffix;
    out.print("IGOR\nWAVES ");
    for (int i = 0; i < 10; ++i) out.print(i == 0 ? "%6s%s" : " %10s%s", names[i], sfx);
    out.print("\nBEGIN\n");

    temperature(TK);
    volume(Vm3);
    setBinaryComposition(*this, x1);
    double slope = 0.01, xlast = x1, Vlast = Vm3, xnext = x1, Vnext = Vm3;
    auto row = [&](double Ps, double xs1, double vs, double dxdv, bool found, double Pc, double Vc,
                   double xc1) {
        out.print("%12f %12f %12f %12f %12g %12g ", T, Ps * 1e-5, 1.0 - xs1, xs1, vs, dxdv);
        if (found)
            out.print("%12f %12g %12g %12g \n", Pc * 1e-5, Vc, 1.0 - xc1, xc1);
        else
            out.print("%12s %12s %12s %12s \n", "nan", "nan", "nan", "nan");
    };
    auto nextAlong = [&](double lambda) {
        if (liquid != 0) {
            Vnext = Vlast + 1e-7 * lambda;
            xnext = xlast + slope * 1e-7 * lambda;
            if (xnext < 0.0) xnext = 1e-9;
        } else {
            xnext = std::max(0.0, xlast - 0.001 * lambda);
            Vnext = Vlast - 0.001 * lambda / slope;
        }
    };
    if (fromCritical != 0) {
        search_a_critical_point(kCriticalAtFixedTemperature);
        if (error == 0) {
            fillBinary(*this);
            slope = -dF1dV(*this) / dF1dx(*this);
            row(P, x[1], V, slope, true, P, V, x[1]);
            xlast = x[1];
            Vlast = V;
            nextAlong(1.0);
        }
    }
    // Starting guesses of the coexisting phase, kept from point to point.
    double xGuess = liquid != 0 ? xlast - 0.01 : xlast + 0.05;
    double VGuess = liquid != 0 ? Vnext - 1e-6 : Vnext + 5e-6;
    error = 0;
    double lambda = 1.0;
    for (long tries = 0; error == 0 && tries < kMaxTries; ++tries) {
        if (liquid != 0)
            mixtureSpinodalFromX(*this, &FluidPhase::equationForCalculatingSpinodalFromX, TK, Vnext,
                                 xnext);
        else
            mixtureSpinodalFromV(*this, &FluidPhase::equationForCalculatingSpinodalFromV, TK, Vnext,
                                 xnext);
        if (error != 0) {
            lambda *= 0.5;
            if (lambda < 1e-4) break;
            error = 0;
            nextAlong(lambda);
            continue;
        }
        lambda = 1.0;
        fillBinary(*this);
        slope = -dF1dV(*this) / dF1dx(*this);
        xlast = x[1];
        Vlast = V;
        const double Ps = calculate_pressure();
        calculate_fugacities();
        const double f0 = fugacity[0], f1 = fugacity[1];
        if (liquid != 0)
            calculate_liquid_equilibrium_point(TK, Vlast, xlast, f0, f1, xGuess, VGuess);
        else
            calculate_gas_equilibrium_point(TK, Vlast, xlast, f0, f1, xGuess, VGuess);
        const bool found = error == 0;
        double Pc = 0.0, Vc = 0.0, xc = 0.0;
        if (found) {
            Vc = liquid != 0 ? Vl0 : Vv0;
            xc = liquid != 0 ? xLiquid[1] : yVapour[1];
            setBinaryComposition(*this, xc);
            volume(Vc);
            Pc = calculate_pressure();
            xGuess = xc;
            VGuess = Vc;
        }
        error = 0;
        row(Ps, xlast, Vlast, slope, found, Pc, Vc, xc);
        nextAlong(1.0);
    }
    out.print("END\n");
    out.close();
}

}  // namespace vornex

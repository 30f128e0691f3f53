// Isentropic and isenthalpic states and paths of a fluid: the one-phase state of given molar
// entropy S (J/(mol K)) or molar enthalpy H (J/mol) at a fixed temperature (a secant search
// in V) or at a fixed pressure (Newton in (T, V)), and the paths through the one-phase
// region, stepped in temperature and switched to pressure steps where they become steep in
// the P-T plane. The entropy and the enthalpy families share every line but the quantity
// they hold and the way they choose their next step.
#include <cmath>
#include <string>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "numerics/Solver.h"

namespace vornex {

namespace {

// The quantity held constant along a path, with its derivatives at constant V and T.
struct PathQuantity {
    double Phase::*value;
    double FluidPhase::*dT;
    double FluidPhase::*dV;
    double FluidPhase::*target;
};

constexpr PathQuantity kEntropy{&Phase::S, &FluidPhase::dSdT, &FluidPhase::dSdV,
                                &FluidPhase::Sstar};
constexpr PathQuantity kEnthalpy{&Phase::H, &FluidPhase::dHdT, &FluidPhase::dHdV,
                                 &FluidPhase::Hstar};

double residualInV(FluidPhase& fluid, const PathQuantity& q, double Vm3) {
    if (Vm3 < 0.0) {
        fluid.equationError = 1;
        return 0.0;
    }
    fluid.volume(Vm3);
    fluid.calculate_state_functions();
    if (fluid.dPdV > 0.0) {
        fluid.equationError = 1;
        return 0.0;
    }
    return fluid.*q.value - fluid.*q.target;
}

void residualInTV(FluidPhase& fluid, const PathQuantity& q, const double* xv, double* F, double** J,
                  int& err) {
    if (xv[0] < 0.0 || xv[1] < 0.0) {
        err = 1;
        return;
    }
    fluid.temperature(xv[0]);
    fluid.volume(xv[1]);
    fluid.calculate_fugacities();
    fluid.calculate_state_functions();
    F[0] = fluid.*q.value - fluid.*q.target;
    F[1] = fluid.P - fluid.Pstar;
    J[0][0] = fluid.*q.dT;
    J[0][1] = fluid.*q.dV;
    J[1][0] = fluid.dPdT;
    J[1][1] = fluid.dPdV;
    if (fluid.dPdV > 0.0) err = 1;
}

// The solved state evaluated once more, so that every result in the phase belongs to it.
void settleAt(FluidPhase& fluid, double TK, double Vm3) {
    fluid.temperature(TK);
    fluid.volume(Vm3);
    fluid.calculate_fugacities();
    fluid.calculate_state_functions();
}

void pointAtFixedT(FluidPhase& fluid, const PathQuantity& q, EquationFunction residual, double TK,
                   double value, double Vstart) {
    fluid.error = 0;
    fluid.temperature(TK);
    fluid.*q.target = value;
    Secant solver;
    solver.equation = &fluid;
    solver.function = residual;
    solver.x0 = Vstart;
    solver.x1 = 1.0001 * Vstart;
    solver.tolerance = 1e-13;
    const double Vfound = solver.solve();
    if (solver.error != 0) {
        fluid.error = 1;
        return;
    }
    settleAt(fluid, TK, Vfound);
    fluid.error = 0;
}

void pointAtFixedP(FluidPhase& fluid, const PathQuantity& q, EquationSystem residual, double Pbar,
                   double value, double Tstart, double Vstart, double steptol) {
    fluid.error = 0;
    fluid.*q.target = value;
    fluid.Pstar = Pbar * 1e5;
    Newton& solver = *fluid.systemSolver;
    solver._setSysEquationToSolve(&fluid, residual, 2);
    solver.x[0] = solver.x0[0] = Tstart;
    solver.x[1] = solver.x0[1] = Vstart;
    solver.verbose = 0;
    // The default residual measure lets P miss by some 10 Pa where (dP/dV)_T is large
    // (liquids); this one is a hundred times tighter and still above rounding.
    solver.tolerance = 1e-13;
    if (steptol > 0.0) solver.steptol = steptol;
    const int code = solver.solve();
    if (steptol > 0.0) solver.steptol = 1e-8;
    if (code != 0) {
        fluid.error = 1;
        return;
    }
    settleAt(fluid, solver.x[0], solver.x[1]);
    fluid.error = 0;
}

// ----------------------------------------------------------------------------- paths

constexpr int kPathColumns = 13;
constexpr const char* kPathNames[kPathColumns] = {"T", "V",  "P",  "A",  "H",  "U",  "S",
                                                  "G", "Cv", "Cp", "Um", "Hm", "rho"};
// Points beyond which a path ends whatever its limits say.
constexpr int kMaxPathPoints = 100000;

// A path without a point keeps its header and no row: a row of nan would be read as a point.
void writePathHeader(CurveOutput& out, const char* suffix) {
    const char* s = suffix == nullptr ? "" : suffix;
    if (out.isIgor()) {
        out.print("IGOR\nWAVES ");
        for (int i = 0; i < kPathColumns; ++i)
            out.print(i == 0 ? "%5s%s" : "\t%11s%s", kPathNames[i], s);
        out.print("\nBEGIN\n");
    } else if (out.isText()) {
        out.print("# ");
        for (int i = 0; i < kPathColumns; ++i) {
            const std::string numbered =
                std::string(kPathNames[i]) + "(" + std::to_string(i + 1) + ")";
            out.print(i == 0 ? "%12s" : "\t%12s", numbered.c_str());
        }
        out.print("\n");
    }
}

void writePathPoint(CurveOutput& out, const FluidPhase& f) {
    const double row[kPathColumns] = {
        f.T,  f.V * 1e6,         f.P * 1e-5,        f.A,      f.H, f.U, f.S, f.G, f.Cv,
        f.Cp, f.U / f.M * 0.001, f.H / f.M * 0.001, f.M / f.V};
    if (out.isText()) {
        for (int i = 0; i < kPathColumns; ++i) out.print(i == 0 ? "%12lg" : "\t%12lg", row[i]);
        out.print("\n");
    } else {
        out.row(std::span<const double>(row, kPathColumns));
    }
}

// How a path goes on from the point just written: the next temperature, or a pressure
// step (bar) with the next point at fixed P.
struct NextStep {
    bool atFixedP;
    double value;  // T in K, or P in bar
};

NextStep nextIsentropicStep(const FluidPhase& f, double dT) {
    const double slope = (f.ATT - f.ATv * f.ATv / f.Avv) / (f.ATv / f.Avv);  // (dP/dT)_S, Pa/K
    if (slope > 1e7) return {true, f.P * 1e-5 - 1.0};
    return {false, f.T + dT};
}

NextStep nextIsenthalpicStep(const FluidPhase& f, double dT) {
    const double slope = f.dPdT - f.dPdV * f.dHdT / f.dHdV;  // (dP/dT)_H, Pa/K
    if (std::fabs(slope) > 1e6) return {true, f.P * 1e-5 - 2.0};
    return {false, slope >= 0.0 ? f.T + dT : f.T - dT};
}

using PointAtT = void (FluidPhase::*)(double, double, double);
using PointAtP = void (FluidPhase::*)(double, double, double, double);

struct PathKind {
    const char* file;
    PathQuantity quantity;
    PointAtT atT;
    PointAtP atP;
    NextStep (*next)(const FluidPhase&, double);
};

const PathKind kIsentrope{"isos", kEntropy, &FluidPhase::calculate_isentropic_point_at_fixed_T,
                          &FluidPhase::calculate_isentropic_point_at_fixed_P, nextIsentropicStep};
const PathKind kIsenthalp{"isoh", kEnthalpy, &FluidPhase::calculate_isenthalpic_point_at_fixed_T,
                          &FluidPhase::calculate_isenthalpic_point_at_fixed_P, nextIsenthalpicStep};

void tracePath(FluidPhase& f, const PathKind& kind, double value, double T0, double dT, double Tmin,
               double Tmax, double Pmin, double Pmax, char mode, const char* suffix,
               CurveArray* array) {
    const char channel =
        (mode == kIgorText || mode == kColumnTable || mode == kCurveArray) ? mode : 0;
    CurveOutput out(channel, array);
    if (!out.open(kind.file, suffix)) {
        f.error = 1;
        return;
    }
    writePathHeader(out, suffix);
    f.temperature(T0);
    f.*kind.quantity.target = value;
    bool atFixedP = false;
    for (int n = 0; n < kMaxPathPoints; ++n) {
        if (f.T <= Tmin || f.T >= Tmax) break;
        if (atFixedP)
            (f.*kind.atP)(f.P * 1e-5, value, f.T, f.V);
        else
            (f.*kind.atT)(f.T, value, f.V);
        // The path ends at the first point that has no solution: the file ends with it.
        if (f.error) break;
        f.calculate_state_functions();
        // A point solved at a pressure bound (to the solver's 1e-9) still lies on the path.
        constexpr double kBoundSlack = 1e-8;
        if (f.dPdV > 0.0 || f.P < Pmin * (1 - kBoundSlack) || f.P > Pmax * (1 + kBoundSlack)) break;
        writePathPoint(out, f);
        const NextStep next = kind.next(f, dT);
        atFixedP = next.atFixedP;
        if (atFixedP)
            f.pressure(next.value);
        else
            f.temperature(next.value);
    }
    if (out.isIgor()) out.print("END\n");
    out.close();
    f.error = 0;
}

// The quantity of the state (T0, V0) or, when V0 is not positive, of (T0, P0 in bar).
double quantityOfState(FluidPhase& f, const PathQuantity& q, double T0, double P0bar, double V0) {
    f.temperature(T0);
    if (V0 > 0.0) {
        f.volume(V0);
        f.calculate_pressure();
    } else {
        f.pressure(P0bar);
        f.calculate_molar_volume();
    }
    f.calculate_state_functions();
    return f.*q.value;
}

}  // namespace

// ------------------------------------------------------------------- residuals

double FluidPhase::equationForIsentropic(double Vm3, void*) {
    return residualInV(*this, kEntropy, Vm3);
}

double FluidPhase::equationForIsenthalpic(double Vm3, void*) {
    return residualInV(*this, kEnthalpy, Vm3);
}

void FluidPhase::equationForCalculatingTVFromPS(double* xv, double* F, double** J, int& err, int,
                                                void*) {
    residualInTV(*this, kEntropy, xv, F, J, err);
}

void FluidPhase::equationForCalculatingTVFromPH(double* xv, double* F, double** J, int& err, int,
                                                void*) {
    residualInTV(*this, kEnthalpy, xv, F, J, err);
}

// ---------------------------------------------------------------------- points

void FluidPhase::calculate_isentropic_point_at_fixed_T(double TK, double entropy, double Vstart) {
    pointAtFixedT(*this, kEntropy,
                  static_cast<EquationFunction>(&FluidPhase::equationForIsentropic), TK, entropy,
                  Vstart);
}

void FluidPhase::calculate_isenthalpic_point_at_fixed_T(double TK, double enthalpy, double Vstart) {
    pointAtFixedT(*this, kEnthalpy,
                  static_cast<EquationFunction>(&FluidPhase::equationForIsenthalpic), TK, enthalpy,
                  Vstart);
}

void FluidPhase::calculate_isentropic_point_at_fixed_P(double Pbar, double entropy, double Tstart,
                                                       double Vstart) {
    pointAtFixedP(*this, kEntropy,
                  static_cast<EquationSystem>(&FluidPhase::equationForCalculatingTVFromPS), Pbar,
                  entropy, Tstart, Vstart, 0.0);
}

void FluidPhase::calculate_isenthalpic_point_at_fixed_P(double Pbar, double enthalpy, double Tstart,
                                                        double Vstart) {
    // A looser step test for this search only; the solver's usual one comes back after it.
    pointAtFixedP(*this, kEnthalpy,
                  static_cast<EquationSystem>(&FluidPhase::equationForCalculatingTVFromPH), Pbar,
                  enthalpy, Tstart, Vstart, 1e-6);
}

// ----------------------------------------------------------------------- paths

void FluidPhase::calculateTheIsentropicCurve(double entropy, double T0, double dT, double Tmin,
                                             double Tmax, double Pmin, double Pmax, char mode,
                                             const char* suffix, CurveArray* array) {
    tracePath(*this, kIsentrope, entropy, T0, dT, Tmin, Tmax, Pmin, Pmax, mode, suffix, array);
}

void FluidPhase::calculateTheIsentropicCurve(double T0, double P0bar, double V0, double dT,
                                             double Tmin, double Tmax, double Pmin, double Pmax,
                                             char mode, const char* suffix, CurveArray* array) {
    calculateTheIsentropicCurve(quantityOfState(*this, kEntropy, T0, P0bar, V0), T0, dT, Tmin, Tmax,
                                Pmin, Pmax, mode, suffix, array);
}

void FluidPhase::calculateTheIsenthalpicCurve(double enthalpy, double T0, double dT, double Tmin,
                                              double Tmax, double Pmin, double Pmax, char mode,
                                              const char* suffix, CurveArray* array) {
    tracePath(*this, kIsenthalp, enthalpy, T0, dT, Tmin, Tmax, Pmin, Pmax, mode, suffix, array);
}

void FluidPhase::calculateTheIsenthalpicCurve(double T0, double P0bar, double V0, double dT,
                                              double Tmin, double Tmax, double Pmin, double Pmax,
                                              char mode, const char* suffix, CurveArray* array) {
    calculateTheIsenthalpicCurve(quantityOfState(*this, kEnthalpy, T0, P0bar, V0), T0, dT, Tmin,
                                 Tmax, Pmin, Pmax, mode, suffix, array);
}

}  // namespace vornex

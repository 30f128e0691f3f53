// Liquid-vapour coexistence of a fluid's major component: the two molar volumes Vl, Vv
// (m3/mol) at which both phases have the same fugacity f (Pa) of that component and the
// same pressure (or pressures apart by an imposed offset, or by the Laplace pressure
// 2 sigma / r of a curved interface), solved with the fluid's damped Newton solver. At a
// given T the unknowns are (Vl, Vv); at a given P they are (Vl, Vv, T). The conode writers
// print both saturated phases with their state functions.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationSolver.h"

namespace vornex {

namespace {

// The Newton step the solver last proposed is below its step tolerance.
bool stalledAtRounding(const Newton& solver) {
    double steps = 0.0;
    for (int j = 0; j < solver.n; ++j) steps += std::fabs(solver.dx[j] / solver.scale[j]);
    return steps <= solver.steptol;
}

// Degree-7 density correlations of the saturated phases, coefficients of T^7 ... T^0 (T in K).
struct SaturationDensities {
    const char* name;
    double molarMass;  // kg/mol
    double toKgPerM3;  // the correlations' unit in kg/m3
    double liquid[8];
    double vapour[8];
};

constexpr SaturationDensities kSaturationDensities[] = {
    {"CO2",
     0.044,
     1.0,
     {-2.38378e-11, 3.62592e-8, -2.34335e-5, 0.00833974, -1.76512, 222.198, -15410.0, 455953.0},
     {1.3423e-11, -1.97056e-8, 1.22592e-5, -0.00418769, 0.848022, -101.777, 6701.9, -186768.0}},
    {"CH4",
     0.016,
     1.0,
     {-7.67459e-11, 7.0479e-8, -2.7431e-5, 0.00586391, -0.743545, 55.9336, -2313.6, 41123.0},
     {8.34812e-11, -7.60445e-8, 2.9324e-5, -0.00620161, 0.776516, -57.5453, 2336.37, -40084.4}},
    // 0.014 kg/mol goes with these nitrogen correlations, not the molar mass of N2 (0.028).
    {"N2",
     0.014,
     1.0,
     {-3.03119e-8, 2.14489e-5, -0.0064807, 1.08379, -108.337, 6473.09, -214049.0, 3022360.0},
     {3.30576e-8, -2.33747e-5, 0.00705772, -1.17952, 117.834, -7036.37, 232544.0, -3281190.0}},
    {"H2S",
     0.034,
     1.0,
     {-2.70771e-12, 4.91907e-9, -3.79009e-6, 0.00160502, -0.403419, 60.1873, -4938.08, 173090.0},
     {1.52296e-12, -2.65098e-9, 1.95058e-6, -0.000785899, 0.187165, -26.3365, 2026.81, -65796.9}},
    // Molten salt and its vapour, correlations in g/cm3.
    {"NaCl",
     0.0585,
     1000.0,
     {-2.7786e-21, 2.6381e-17, -1.045e-13, 2.2286e-10, -2.7501e-7, 0.0001951, -0.073559, 13.126},
     {1.0265e-21, -9.0791e-18, 3.3508e-14, -6.6664e-11, 7.7032e-8, -5.1599e-5, 0.018524, -2.7469}},
};

double horner(const double (&c)[8], double TK) {
    double sum = 0.0;
    for (double coefficient : c) sum = sum * TK + coefficient;
    return sum;
}

}  // namespace

// -------------------------------------------------------------------- residuals

void FluidPhase::equationForCalculatingPsatFromVlVv(double* xv, double* F, double** J, int& err,
                                                    int order, void*) {
    Vl = xv[0];
    Vv = xv[1];
    if (Vl < 0.0 || Vv < 0.0 || std::fabs(Vl - Vv) / Vl < 1e-5 || Vl > Vv ||
        (Vsep != -1.0 && (Vsep < Vl || Vsep > Vv)) || !majorComponentUsable(*this)) {
        err = 1;
        return;
    }
    const int k = majorComponent;
    const double T0 = T;
    PhaseSide liquid{}, vapour{};

    set_the_phase_as(2);
    volume(Vl);
    if (deltaT != 0.0) temperature(offsetPhase == 0 ? T0 + deltaT : T0);
    const bool liquidOk = evaluateSide(*this, k, liquid, true);
    if (deltaT != 0.0 && offsetPhase == 0) temperature(T0);
    if (!liquidOk || liquid.dPdV > 0.0) {
        err = 1;
        return;
    }

    set_the_phase_as(1);
    if (deltaT != 0.0) temperature(offsetPhase == 0 ? T0 : T0 + deltaT);
    volume(Vv);
    const bool vapourOk = evaluateSide(*this, k, vapour, true);
    if (deltaT != 0.0 && offsetPhase != 0) temperature(T0);
    if (!vapourOk || vapour.dPdV > 0.0) {
        err = 1;
        return;
    }

    double Pliquid = liquid.P, Pvapour = vapour.P;
    if (!addCapillaryPressure(*this, Vl, Vv, Pliquid, Pvapour)) {
        err = 1;
        return;
    }
    F[0] = liquid.f - vapour.f;
    F[1] = Pliquid - Pvapour - deltaP;
    Pl = Pliquid;
    Pv = Pvapour;
    if (order >= 1) {
        J[0][0] = liquid.dfdV;
        J[0][1] = -vapour.dfdV;
        J[1][0] = liquid.dPdV;
        J[1][1] = -vapour.dPdV;
    }
}

void FluidPhase::equationForCalculatingTsatFromVlVv(double* xv, double* F, double** J, int& err,
                                                    int, void*) {
    Vl = xv[0];
    Vv = xv[1];
    const double TK = xv[2];
    if (Vl < 0.0 || Vv < 0.0 || std::fabs(Vl - Vv) / Vl < 1e-5 || Vv < Vl || TK <= 0.0 ||
        !majorComponentUsable(*this)) {
        err = 1;
        return;
    }
    const int k = majorComponent;
    PhaseSide liquid{}, vapour{};

    set_the_phase_as(2);
    volume(Vl);
    temperature(TK);
    if (!evaluateSide(*this, k, liquid)) {
        err = 1;
        return;
    }

    set_the_phase_as(1);
    temperature(deltaT != 0.0 ? TK + deltaT : TK);
    volume(Vv);
    const bool vapourOk = evaluateSide(*this, k, vapour);
    if (deltaT != 0.0) temperature(TK);
    if (!vapourOk) {
        err = 1;
        return;
    }

    double Pliquid = liquid.P, Pvapour = vapour.P;
    if (!addCapillaryPressure(*this, Vl, Vv, Pliquid, Pvapour)) {
        err = 1;
        return;
    }
    // Temperature derivatives of the fugacities along the fixed volumes.
    const double gl = liquid.dfdP * liquid.dPdT + liquid.dfdT_P;
    const double gv = vapour.dfdP * vapour.dPdT + vapour.dfdT_P;
    F[0] = liquid.f - vapour.f;
    F[1] = Pliquid - Pstar;
    F[2] = Pvapour - Pstar;
    // The higher of the two phase pressures is P* + |deltaP|.
    if (deltaP < 0.0) F[1] += deltaP;
    if (deltaP > 0.0) F[2] -= deltaP;
    Pl = Pliquid;
    Pv = Pvapour;
    J[0][0] = liquid.dfdV;
    J[0][1] = -vapour.dfdV;
    J[0][2] = gl - gv;
    J[1][0] = liquid.dPdV;
    J[1][1] = 0.0;
    J[1][2] = liquid.dPdT;
    J[2][0] = 0.0;
    J[2][1] = vapour.dPdV;
    J[2][2] = vapour.dPdT;
}

// ------------------------------------------------------------------- solves

void FluidPhase::calculate_saturation_pressure() {
    solveSaturationPressure(true);
}

void FluidPhase::solveSaturationPressure(bool completeVapour) {
    const int selector = phase;
    error = 0;
    TemperatureHold hold(*this);
    Newton& solver = bindSaturationSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingPsatFromVlVv), 2);
    solver.x[0] = solver.x0[0] = Vl0;
    solver.x[1] = solver.x0[1] = Vv0;
    solver.steptol = 1e-8;
    int code = solver.solve();
    // Close to the critical point dP/dV vanishes, the scaled residual measure stalls at
    // rounding a little above the tolerance and damping gives up, while the volumes no
    // longer move: that point is the solution.
    if (code == 1 && solver.modG0 < 1e-12 && stalledAtRounding(solver)) code = solver.error = 0;
    // The residual evaluates the phases along V alone: the vapour side's fugacities and
    // their derivatives complete at the solution, as the other drivers expect them.
    if (code == 0 && completeVapour) {
        const double T0 = T;
        const bool offset = deltaT != 0.0 && offsetPhase != 0;
        if (offset) temperature(T0 + deltaT);
        volume(Vv);
        calculate_fugacities();
        if (offset) temperature(T0);
    }
    // Trial evaluations may have raised the flag on their way; the solve decides.
    error = code != 0 ? 1 : 0;
    set_the_phase_as(selector);
}

void FluidPhase::calculate_saturation_temperature(double PPa, double Tstart) {
    Newton& solver = bindSaturationSystem(
        *this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingTsatFromVlVv), 3);
    Pstar = PPa;
    solver.x[0] = solver.x0[0] = Vl0;
    solver.x[1] = solver.x0[1] = Vv0;
    solver.x[2] = solver.x0[2] = Tstart;
    error = 0;
    solver.verbose = 0;
    solver.dampmin = 1e-4;
    const int code = solver.solve();
    error = code != 0 ? 1 : 0;
}

int FluidPhase::getMajorComponentIndex() {
    int major = 0;
    for (int i = 1; i < nc; ++i)
        if (x[i] > x[major]) major = i;
    return major;
}

double FluidPhase::calculateTheSaturationPressure(double TK) {
    const int major = getMajorComponentIndex();
    if (major < static_cast<int>(componentName.size()))
        initializeSaturationPressureSolve(componentName[major].c_str(), TK);
    TemperatureHold hold(*this);
    temperature(TK);
    solveSaturationPressure(false);
    const int16_t failed = error;
    volume(Vl);
    calculate_state_functions();
    const double Hliquid = H;
    volume(Vv);
    const double Psat = calculate_state_functions();
    // The saturated vapour's fugacities with their derivatives, read from the evaluation
    // just made.
    calculate_fugacities();
    Hvap = H - Hliquid;
    error = failed;
    return Psat;
}

void FluidPhase::initializeSaturationVolumesFromT(const char* component, double TK) {
    if (component == nullptr) return;
    for (const SaturationDensities& d : kSaturationDensities) {
        if (std::strcmp(component, d.name) != 0) continue;
        const double Vl = d.molarMass / (d.toKgPerM3 * horner(d.liquid, TK));
        const double Vv = d.molarMass / (d.toKgPerM3 * horner(d.vapour, TK));
        // Outside its fitted range a polynomial gives negative or crossed volumes (nitrogen's
        // vapour at 77 K): keep the starts the fluid had rather than start from those.
        if (std::isfinite(Vl) && std::isfinite(Vv) && 0.0 < Vl && Vl < Vv) {
            Vl0 = Vl;
            Vv0 = Vv;
        }
        return;
    }
}

void FluidPhase::initializeSaturationVolumesFromP(const char*, double) {
    std::fprintf(stderr, "InitializeSaturationVolumesFromP not implemented\n");
}

// ------------------------------------------------------------------- conodes

namespace {

// One saturated phase as a conode row: T (K), V (cm3/mol), rho (kg/m3), P (bar), H (kJ/mol),
// Hm, Um (kJ/kg), Sm, Cvm, Cpm (J/(kg K)), Joule-Thomson coefficient (K/Pa), U (J/mol), and
// with the entropy column S (J/(mol K)).
void writeConodeRow(const FluidPhase& f, std::FILE* out, bool withEntropy) {
    if (out == nullptr) return;
    std::fprintf(out, "%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f\t%12f", f.T,
                 f.V * 1e6, f.M / f.V, f.P * 1e-5, f.H * 0.001, f.H / f.M * 0.001,
                 f.U / f.M * 0.001, f.S / f.M, f.Cv / f.M, f.Cp / f.M, f.jouleThomson, f.U);
    if (withEntropy) std::fprintf(out, "\t%12f", f.S);
    std::fprintf(out, "\n");
}

// Shared end of both conode writers: the saturated liquid and vapour, printed and written.
void reportConode(FluidPhase& fluid, std::FILE* out, bool withEntropy) {
    if (fluid.error) {
        std::printf("Error calculation\n\n");
        return;
    }
    const double Vvapour = fluid.Vv;
    fluid.volume(fluid.Vl);
    fluid.calculate_state_functions();
    const double Hliquid = fluid.H;
    std::printf("Liquid\n");
    fluid.dump();
    writeConodeRow(fluid, out, withEntropy);
    fluid.volume(Vvapour);
    fluid.calculate_state_functions();
    std::printf("Gas\n");
    fluid.dump();
    writeConodeRow(fluid, out, withEntropy);
    std::printf("\nVaporisation Enthalpy = %12f kJ/kg\n\n", (fluid.H - Hliquid) / fluid.M * 0.001);
}

}  // namespace

void FluidPhase::calculateConodeFromP(double Pbar, double Tstart, FILE* out) {
    pressure(Pbar);
    calculate_saturation_temperature(Pbar * 1e5, Tstart);
    reportConode(*this, out, false);
}

void FluidPhase::calculateConodeFromT(double TK, FILE* out) {
    temperature(TK);
    calculate_saturation_pressure();
    reportConode(*this, out, true);
}

namespace {

// Conode file header. Without a suffix the columns are numbered.
void writeConodeHeader(CurveOutput& out, char igor, const char* suffix, bool withEntropy) {
    static constexpr const char* names[] = {"T",  "V",   "rho", "P",  "H", "Hm", "Um",
                                            "Sm", "Cvm", "Cpm", "JT", "U", "S"};
    static constexpr const char* numberedP[] = {"T(1)",   "V(2)",    "rho(3)", "P(4)",
                                                "H(5)",   "Hm(6)",   "Um(7)",  "Sm(8)",
                                                "Cvm(9)", "Cpm(10)", "JT(11)", "U(12)"};
    static constexpr const char* numberedT[] = {"T(1)",   "V(2)",  "rho(3)", "P(4)",   "H(5)",
                                                "Hm(6)",  "Um(7)", "Sm(8)",  "Cvs(9)", "Cps(10)",
                                                "JT(11)", "U(12)", "S(13)"};
    const int columns = withEntropy ? 13 : 12;
    out.print(igor == 1 ? "IGOR\nWAVES " : "# ");
    for (int i = 0; i < columns; ++i) {
        if (suffix != nullptr)
            out.print(i == 0 ? "%5s%s" : "\t%11s%s", names[i], suffix);
        else
            out.print(i == 0 ? "%12s" : "\t%12s", withEntropy ? numberedT[i] : numberedP[i]);
    }
    out.print("\n");
    if (igor == 1) out.print("BEGIN\n");
}

}  // namespace

void FluidPhase::calculateTheConodeFromP(double Pbar, double Tstart, char igor,
                                         const char* suffix) {
    CurveOutput out(igor == 1 ? kIgorText : kColumnTable);
    if (!out.open("conop", suffix)) return;
    writeConodeHeader(out, igor, suffix, false);
    calculateConodeFromP(Pbar, Tstart, out.stream());
    if (igor == 1) out.print("END\n");
    out.close();
}

void FluidPhase::calculateTheConodeFromT(double TK, char igor, const char* suffix) {
    CurveOutput out(igor == 1 ? kIgorText : kColumnTable);
    if (!out.open("cono", suffix)) return;
    writeConodeHeader(out, igor, suffix, true);
    calculateConodeFromT(TK, out.stream());
    if (igor == 1) out.print("END\n");
    out.close();
}

}  // namespace vornex

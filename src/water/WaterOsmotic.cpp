// Vapour pressure and boiling temperature of NaCl solutions (equal fugacity of water in the
// vapour and in the solution: f_v = a_w f_l, with a_w from the Pitzer 1984 model at the
// liquid state), the freezing-point curve, and their table writers.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "water/WaterActivity.h"
#include "water/WaterEOS.h"

namespace vornex {

namespace {

// One phase of the osmotic residuals: fugacity of water and pressure with their derivatives.
struct OsmoticSide {
    double f, dfdV, dfdT, P, dPdV, dPdT;
};

// Evaluates the fluid at its set T and V; false when the state cannot be one side of the
// equilibrium (the evaluation failed, a value is not finite, or the state is unstable).
bool evaluateOsmoticSide(WaterEOS& w, OsmoticSide& side) {
    w.error = 0;
    w.calculate_fugacities();
    // Temperature derivative of the fugacity along the fixed volume.
    side = {w.fugacity[0], w.dfdV[0], w.dfdP[0] * w.dPdT + w.dfdT[0], w.P, w.dPdV, w.dPdT};
    if (w.error || side.dPdV > 0.0) return false;
    for (double v : {side.f, side.dfdV, side.dfdT, side.P, side.dPdV, side.dPdT})
        if (!std::isfinite(v)) return false;
    return true;
}

bool acceptableVolumes(double Vl, double Vv) {
    return Vl > 0.0 && Vv > 0.0 && std::fabs(Vl - Vv) / Vl >= 1e-5 && Vl <= Vv;
}

// Liquid side at Vl with the activity of the solution, then the vapour side at Vv.
bool evaluateBothSides(WaterEOS& w, double Vl, double Vv, OsmoticSide& liquid,
                       OsmoticSide& vapour) {
    w.set_the_phase_as(2);
    w.volume(Vl);
    if (!evaluateOsmoticSide(w, liquid)) return false;
    w.calculatePitzer84(w.saltMolality, w.waterActivity, w.meanActivityCoefficient,
                        w.osmoticCoefficient);
    if (!std::isfinite(w.waterActivity)) return false;
    w.set_the_phase_as(1);
    w.volume(Vv);
    return evaluateOsmoticSide(w, vapour);
}

// Opens a writer's file with its Igor header when asked; false when it cannot be written.
bool openOsmoticFile(OutputFile& file, const char* prefix, const char* suffix, char igor,
                     const char* header, const char* const* names, int count) {
    if (!OutputFiles::checkSuffix(suffix)) return false;
    if (!file.open(std::string(prefix) + suffix)) return false;
    if (igor == 1) {
        file.print("%s", header);
        for (int i = 0; i < count; ++i) file.print(i == 0 ? "%5s%s" : " %11s%s", names[i], suffix);
        file.print("\nBEGIN\n");
    }
    return true;
}

const char* const kOsmoticNames[8] = {"T", "m", "P", "x", "Vl", "Vv", "a", "phi"};

// Whether a table row at (T, m) lies within the Pitzer 1984 range (its vapour pressure,
// below 86 bar up to 573.15 K, within it too); where not, the table says so and ends.
bool osmoticRowInRange(const char* table, double TK, double m) {
    if (water::pitzer84Range(TK, 0.0, m)) return true;
    vornex::cfprintf(stderr,
                     "%s ends before %g K, %g mol/kg: the Pitzer (1984) activity holds from "
                     "273.15 to 573.15 K, up to 6 mol/kg\n",
                     table, TK, m);
    return false;
}

void writeOsmoticRow(OutputFile& file, const WaterEOS& w, double TK, double m) {
    file.print("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", TK, m, w.P * 1e-5,
               water::saltMoleFraction(m), w.Vl * 1e6, w.Vv * 1e6, w.waterActivity,
               w.osmoticCoefficient);
}

}  // namespace

void WaterEOS::equationForCalculatingOsmoticPressure(double* xv, double* F, double** J, int& err,
                                                     int order, void*) {
    Vl = xv[0];
    Vv = xv[1];
    OsmoticSide liquid{}, vapour{};
    if (!acceptableVolumes(Vl, Vv) || !evaluateBothSides(*this, Vl, Vv, liquid, vapour)) {
        err = 1;
        return;
    }
    F[0] = waterActivity * liquid.f - vapour.f;
    F[1] = liquid.P - vapour.P;
    Pl = liquid.P;
    Pv = vapour.P;
    if (order >= 1) {
        J[0][0] = waterActivity * liquid.dfdV;
        J[0][1] = -vapour.dfdV;
        J[1][0] = liquid.dPdV;
        J[1][1] = -vapour.dPdV;
    }
}

void WaterEOS::equationForCalculatingOsmoticTemperature(double* xv, double* F, double** J, int& err,
                                                        int order, void*) {
    Vl = xv[0];
    Vv = xv[1];
    double TK = xv[2];
    OsmoticSide liquid{}, vapour{};
    if (TK <= 0.0 || !acceptableVolumes(Vl, Vv)) {
        err = 1;
        return;
    }
    temperature(TK);
    if (!evaluateBothSides(*this, Vl, Vv, liquid, vapour)) {
        err = 1;
        return;
    }
    F[0] = waterActivity * liquid.f - vapour.f;
    F[1] = liquid.P - Pstar;
    F[2] = vapour.P - Pstar;
    Pl = liquid.P;
    Pv = vapour.P;
    if (order >= 1) {
        J[0][0] = waterActivity * liquid.dfdV;
        J[0][1] = -vapour.dfdV;
        J[0][2] = waterActivity * liquid.dfdT - vapour.dfdT;
        J[1][0] = liquid.dPdV;
        J[1][1] = 0.0;
        J[1][2] = liquid.dPdT;
        J[2][0] = 0.0;
        J[2][1] = vapour.dPdV;
        J[2][2] = vapour.dPdT;
    }
}

namespace {

// Newton on the osmotic system from the volume estimates (and the temperature for three
// unknowns); the phase selector is restored and the error flag tells the outcome.
void solveOsmotic(WaterEOS& w, EquationSystem system, int unknowns) {
    int selector = w.phase;
    Newton& solver = *w.systemSolver;
    solver._setSysEquationToSolve(&w, system, unknowns);
    solver.x[0] = solver.x0[0] = w.Vl0;
    solver.x[1] = solver.x0[1] = w.Vv0;
    if (unknowns == 3) solver.x[2] = solver.x0[2] = w.T;
    int code = solver.solve();
    w.error = code != 0 ? 1 : 0;
    w.set_the_phase_as(selector);
}

}  // namespace

void WaterEOS::calculateOsmoticPressure(double TK, double m) {
    temperature(TK);
    saltMolality = m;
    initializeSaturationVolumesFromT("H2O", TK);
    solveOsmotic(*this,
                 static_cast<EquationSystem>(&WaterEOS::equationForCalculatingOsmoticPressure), 2);
    if (!water::pitzer84Range(TK, P * 1e-5, m)) error = 1;
}

void WaterEOS::calculateOsmoticTemperature(double Pbar, double m) {
    pressure(Pbar);
    Pstar = Pbar * 1e5;
    saltMolality = m;
    initializeSaturationVolumesFromP("H2O", Pbar);
    solveOsmotic(
        *this, static_cast<EquationSystem>(&WaterEOS::equationForCalculatingOsmoticTemperature), 3);
    if (!error && !water::pitzer84Range(T, Pbar, m)) {
        vornex::cfprintf(stderr,
                         "Boiling temperature %g K at %g bar and %g mol/kg lies beyond the "
                         "Pitzer (1984) activity's range (273.15 to 573.15 K, 1 kbar, 6 mol/kg)\n",
                         T, Pbar, m);
        error = 1;
    }
    if (!error) vornex::cprintf("T %12lg\n", T);
}

void WaterEOS::calculateOsmoticIsopleth(double m, char igor, const char* suffix) {
    OutputFile file;
    if (!openOsmoticFile(file, "satos", suffix, igor, "IGOR\nWAVES ", kOsmoticNames, 8)) return;
    for (double TK = 273.15; TK < 573.15; TK += 1.0) {
        if (!osmoticRowInRange("Osmotic isopleth", TK, m)) {
            error = 1;
            break;
        }
        calculateOsmoticPressure(TK, m);
        if (error) break;
        writeOsmoticRow(file, *this, TK, m);
    }
    if (igor == 1) file.print("END\n");
    file.commit();
}

void WaterEOS::calculateOsmoticIsotherm(double TK, char igor, const char* suffix) {
    OutputFile file;
    if (!openOsmoticFile(file, "osmo", suffix, igor, "IGOR\nWAVES ", kOsmoticNames, 8)) return;
    for (int i = 0; i < 81; ++i) {
        double m = 0.1 * i;
        if (!osmoticRowInRange("Osmotic isotherm", TK, m)) {
            error = 1;
            break;
        }
        calculateOsmoticPressure(TK, m);
        if (error) break;
        writeOsmoticRow(file, *this, TK, m);
    }
    if (igor == 1) file.print("END\n");
    file.commit();
}

void WaterEOS::calculateIceMeltingH2ONaClCurve(char igor, const char* suffix) {
    static const char* const names[5] = {"T", "m", "x", "wt", "a"};
    OutputFile file;
    if (!openOsmoticFile(file, "ice", suffix, igor, "IGOR\nWAVES ", names, 5)) return;
    for (int i = 0; i < 101; ++i) {
        double TK = 273.15 - 0.2 * i;
        calculateIceMeltingH2ONaCl(TK, 0.0);
        if (error && i == 0) {
            // The ice of the activity equation melts at 273.1444 K at 1 bar, so none stands
            // at 273.15 K: the curve begins just below that point, at the table's precision.
            TK = std::floor(water::iceMeltingTemperature(1e5) * 1e3) * 1e-3;
            calculateIceMeltingH2ONaCl(TK, 0.0);
        }
        if (error) continue;
        double m = saltMolality;
        file.print("%12lg %12lg %12lg %12lg %12lg\n", TK, m, water::saltMoleFraction(m),
                   water::weightPercentFromMolality(m), waterActivity);
    }
    if (igor == 1) file.print("END\n");
    file.commit();
}

void WaterEOS::test1(int k) {
    if (k == 1) calculateIceMeltingH2ONaClCurve(1, "0");
}

}  // namespace vornex

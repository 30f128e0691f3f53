// Reports of a fluid: the isotherm and isochore drivers that open their output and hand the
// stepping to the row writers, the grid of derived properties over (T, V), and the printout
// of the current state.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/FluidSweeps.h"
#include "fluid/OutputFiles.h"
#include "numerics/Gnuplot.h"

namespace vornex {

namespace {

// The isotherm and isochore offer the Igor text, the column table and the array.
char isoLineChannel(char igor) {
    return igor == kIgorText || igor == kColumnTable || igor == kCurveArray ? igor : 0;
}

// Wave names each followed by the suffix: "%5s%s" for the first, "\t%11s%s" for the others.
void printWaveNames(CurveOutput& out, std::initializer_list<const char*> names, const char* s) {
    const char* format = "%5s%s";
    for (const char* name : names) {
        out.print(format, name, s);
        format = "\t%11s%s";
    }
    out.print("\n");
}

// Numbered column names, "%12s" each, tab-separated.
void printColumnNames(CurveOutput& out, std::initializer_list<const char*> names) {
    const char* format = "%12s";
    for (const char* name : names) {
        out.print(format, name);
        format = "\t%12s";
    }
    out.print("\n");
}

// False, with a message naming the first value that is not finite and above zero (and the
// error flag set): no sweep starts from such a value.
bool positiveInputs(FluidPhase& f, const char* sweep,
                    std::initializer_list<std::pair<const char*, double>> values) {
    for (const auto& [name, value] : values) {
        if (std::isfinite(value) && value > 0.0) continue;
        vornex::cfprintf(stderr, "%s refused: %s = %g must be finite and above zero\n", sweep, name,
                     value);
        f.error = 1;
        return false;
    }
    return true;
}

}  // namespace

void FluidPhase::calculateTheIsotherm(double TK, double a, double b, int n, char igor,
                                      const char* suffix, CurveArray* array) {
    if (!positiveInputs(*this, "Isotherm",
                        {{"T (K)", TK}, {"Vmin (m3/mol)", a}, {"Vmax (m3/mol)", b}}))
        return;
    CurveOutput out(isoLineChannel(igor), array);
    if (!out.open("isot", suffix)) {
        error = 1;
        return;
    }
    out.print(out.isIgor() ? "IGOR\nWAVES " : "# ");
    // Igor text needs wave names; numbered column titles serve the table only.
    if (suffix != nullptr || out.isIgor()) {
        printWaveNames(out,
                       {"V", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "dPdV", "Hm", "Um", "rho"},
                       suffix == nullptr ? "" : suffix);
    } else {
        out.print("# ");
        printColumnNames(out, {"V(1)", "P(2)", "A(3)", "H(4)", "U(5)", "S(6)", "G(7)", "Cv(8)",
                               "Cp(9)", "dPdV(10)", "Hm(11)", "Um(12)", "rho(13)"});
    }
    if (out.isIgor()) out.print("BEGIN\n");
    // The driver's count picks the direction of the sweep; the sweep itself has 1000 steps.
    calculate_isotherm(out.stream(), TK, a, b, 1000, n, out.channel(), array);
    if (out.isIgor()) out.print("END\n");
    if (!out.close()) error = 1;
}

void FluidPhase::calculateTheIsochor(double Vm3, double T1, double T2, int simplified, char igor,
                                     const char* suffix, CurveArray* array) {
    if (!positiveInputs(*this, "Isochore", {{"V (m3/mol)", Vm3}, {"T1 (K)", T1}, {"T2 (K)", T2}}))
        return;
    // One step per kelvin, so the range bounds the row count.
    const double requestedEnd = T2;
    if (std::fabs(T2 - T1) > kMaxSweepRows) {
        const double end = T1 + std::copysign(double(kMaxSweepRows), T2 - T1);
        vornex::cfprintf(stderr,
                     "Isochore from %g to %g K: more than %d rows at one per kelvin; it stops at "
                     "%g K\n",
                     T1, T2, kMaxSweepRows, end);
        T2 = end;
    }
    const bool cutShort = T2 != requestedEnd;
    CurveOutput out(isoLineChannel(igor), array);
    if (!out.open("isoc", suffix)) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    if (out.isIgor()) {
        out.print("IGOR\nWAVES ");
        if (simplified)
            printWaveNames(out, {"T", "P"}, s);
        else
            printWaveNames(
                out, {"T", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "dPdV", "V", "Um", "Hm"}, s);
        out.print("BEGIN\n");
    } else {
        out.print("# # ");
        if (simplified)
            printColumnNames(out, {"T(1)", "P(2)"});
        else
            printColumnNames(out, {"T(1)", "P(2)", "A(3)", "H(4)", "U(5)", "S(6)", "G(7)", "Cv(8)",
                                   "Cp(9)", "dPdV(10)", "V(11)", "Um(12)", "Hm(13)"});
    }
    // One step per kelvin; a range that runs downward is swept downward.
    const int steps = static_cast<int>(std::fabs(T2 - T1));
    if (simplified)
        calculate_simplified_isochor(out.stream(), Vm3, T1, T2, steps, out.channel(), array);
    else
        calculate_isochor(out.stream(), Vm3, T1, T2, steps, out.channel(), array);
    if (out.isIgor()) out.print("END\n");
    // A range cut to the row bound is a curve traced in part: the caller is told through the
    // error flag.
    if (!out.close() || cutShort) {
        error = 1;
        if (!cutShort) return;
    }
    if (out.channel() != kColumnTable) return;

    OutputFile gp;
    if (!gp.open("g105.gp")) {
        error = 1;
        return;
    }
    const std::string data = gnuplotQuoted(OutputFiles::pathOf(out.fileName()));
    const double density = M / Vm3;
    gp.print(
        "reset\nset timestamp\nset multiplot\nset size 0.5, 0.5\n"
        "set origin 0,0\nset xlabel \"T (K)\"\nset ylabel \"P (bar)\"\n"
        "plot %s us 1:2 w l lt 1 title \"%.1f\" \n",
        data.c_str(), density);
    if (!simplified) {
        // Columns in J/mol and J/(mol K) divided by the molar mass in g/mol: kJ/kg, kJ/(kg K).
        struct Panel {
            const char* origin;
            const char* label;
            int column;
        };
        for (Panel p : {Panel{"0.5,0", "H (kJ/kg)", 4}, Panel{"0.0,0.5", "Cv (kJ/kg/K)", 8},
                        Panel{"0.5,0.5", "Cp (kJ/kg/K)", 9}})
            gp.print(
                "set origin %s\nset xlabel \"T (K)\"\nset ylabel \"%s\"\n"
                "plot %s us 1:($%d/%lf) w l lt 1 title \"%.1f\" \n",
                p.origin, p.label, data.c_str(), p.column, M * 1000, density);
    }
    gp.print("unset multiplot\n");
    if (!gp.commit()) {
        error = 1;
        return;
    }
    OutputFiles::plot("g105.gp");
}

void FluidPhase::calculatePropertiesGrid(double T1, double T2, double V1, double V2,
                                         const char* suffix) {
    CurveOutput out(kIgorText);
    if (!out.open("prop", suffix)) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    out.print("IGOR\n\nWAVES %5s%s", "T", s);
    for (const char* name : {"P", "V", "rho", "Cv", "Cp", "alpha", "beta", "dalpha"})
        out.print("%11s%s", name, s);
    out.print(" \nBEGIN\n");
    auto penUp = [&] {
        for (int k = 0; k < 9; ++k) out.print(k == 0 ? "%12s" : " %12s", "nan");
        out.print("\n");
    };
    for (double t = T1; t <= T2; t += 5) {
        double dV = 1e-8;
        bool unstableRun = false;
        for (double v = V1; v <= V2; v += dV) {
            bool unstable = isInstable(t, v) != 0;
            if (!unstable) {
                temperature(t);
                volume(v);
                calculate_state_functions();
                unstable = !(dPdV <= 0);
            }
            if (unstable) {
                if (!unstableRun) penUp();
                unstableRun = true;
                continue;
            }
            unstableRun = false;
            // Expansivity, compressibility and the temperature derivative of the
            // expansivity at constant P, from the A-table.
            const double alpha = dVdT / V;
            const double beta = -1e5 / (V * dPdV);
            const double dalpha =
                -(ATTv / Avv - ATv * ATvv / (Avv * Avv)) / V +
                (ATv / (V * V * Avv) - ATvv / (V * Avv) + ATv * Avvv / (V * Avv * Avv)) * dVdT;
            // Blank-separated: a value such as -1.23457e-05 fills the whole field.
            out.print("%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg\n", T, P * 1e-5,
                      V * 1e6, M / V, Cv / M, Cp / M, alpha, beta, dalpha);
            // The next volume changes the pressure by about 100 bar.
            dV = std::clamp(-1e7 / dPdV, 1e-8, 1e-6);
        }
        penUp();
    }
    out.print("END\n");
    if (!out.close()) error = 1;
}

void FluidPhase::dump() {
    if (error != 0) vornex::cprintf("!! The error flag is set: the values below are no state.\n");
    vornex::cprintf("** T %9.2f K    ( %9.2f\u00b0C )\n", T, T - 273.15);
    vornex::cprintf("** P %9.2f bar    \n", P * 1e-5);
    vornex::cprintf("-> V   %12lg m3/mol   %12lg cm3/mol     \n", V, V * 1e6);
    // A fluid set up without molar masses has figures per mole only: per kg they would be
    // divisions by zero. Their fields stay blank, so that the columns per mole stay put.
    auto known = [](double molarMassOf) { return molarMassOf > 0.0 && std::isfinite(molarMassOf); };
    const bool massKnown = known(M);
    if (massKnown)
        vornex::cprintf("-> rho %12f kg/m3    %12f mol/dm3\n", M / V, 0.001 / V);
    else
        vornex::cprintf("-> rho %12s          %12f mol/dm3\n", "", 0.001 / V);
    vornex::cprintf("-> Z   %12lg\n", Z);
    if (!massKnown) vornex::cprintf("   No molar mass: no figures per kg\n");
    if (nc > 1) {
        if (componentName.empty() || componentName[0] != "H2O") {
            for (int i = 0; i < nc; ++i) vornex::cprintf("x(i) %12f\n", x[i]);
        } else {
            vornex::cprintf("x(0) %12f\n", x[0]);
            for (int i = 1; i < nc; ++i) {
                if (!massKnown || !known(molarMass[0]) || !known(molarMass[i]) || !(x[0] > 0.0)) {
                    vornex::cprintf("x(%d) %12f\n", i, x[i]);
                    continue;
                }
                const double molality = x[i] / (x[0] * molarMass[0]);
                const double massPercent = x[i] * molarMass[i] / M * 100;
                vornex::cprintf("x(%d) %12f  m(%d) %12f  wt(%d)  %12f\n", i, x[i], i, molality, i,
                            massPercent);
            }
        }
    }
    // Two decimals in twelve places, or the exponent form where they would not fit: far
    // outside a model's range the values grow past any fixed field, and stay apart.
    auto field = [](double value) {
        char text[48];
        vornex::csnprintf(text, sizeof text, "%12.2f", value);
        if (std::strlen(text) > 12) vornex::csnprintf(text, sizeof text, "%12.5e", value);
        return std::string(text);
    };
    auto line = [this, massKnown, &field](const char* name, double perMole, bool energy) {
        const double scale = energy ? 1000.0 : 1.0;
        const std::string perKg =
            massKnown ? field(perMole / M / scale) + (energy ? " kJ/kg   " : " J/kg/K  ")
                      : std::string(21, ' ');
        if (!std::isfinite(perMole))
            vornex::cprintf("-> %14s %12s\n", name, "undefined");
        else
            vornex::cprintf("-> %14s %s%s %s\n", name, perKg.c_str(), field(perMole / scale).c_str(),
                        energy ? "kJ/mol" : "J/mol/K");
    };
    if (ideal == nullptr) {
        // Without an ideal-gas term the model knows the fluid only relative to the ideal gas
        // at the same temperature: U is the residual energy, H carries P V where the ideal
        // gas has R T. The entropy, the heat capacities, the sound speed and the
        // Joule-Thomson coefficient need the ideal-gas heat capacity.
        const double RT = kGasConstant * T;
        vornex::cprintf("   No ideal-gas term: residual properties (state minus ideal gas at T)\n");
        line("h residual", H - RT, true);
        line("u residual", U, true);
        line("cv residual", CvResidual, false);
        line("cp residual", CpResidual, false);
    } else {
        if (!givesHeatCapacities())
            vornex::cprintf("   No heat capacity, sound speed or Joule-Thomson coefficient: %s\n",
                        whyNoHeatCapacities());
        line("h", H, true);
        line("u", U, true);
        line("s", S, false);
        line("cv", Cv, false);
        line("cp", Cp, false);
    }
    // Derivatives that a state at the limit of stability does not have are said so.
    auto number = [](const char* format, double value) {
        char text[64];
        if (std::isfinite(value))
            vornex::csnprintf(text, sizeof text, format, value);
        else
            vornex::csnprintf(text, sizeof text, "%12s", "undefined");
        return std::string(text);
    };
    // Both diverge at a critical point, where what the slope gives them is rounding.
    const double none = std::numeric_limits<double>::quiet_NaN();
    const bool critical = isothermalSlopeVanishes();
    vornex::cprintf("->          alpha %s K-1,       beta %s Pa-1\n",
                number("%12lg", critical ? none : dVdT / V).c_str(),
                number("%12lg", critical ? none : -1 / (V * dPdV)).c_str());
    for (int i = 0; i < nc; ++i)
        vornex::cprintf("->    fugacity[%d] %12.2f bar, fugcoef[%d] %12f\n", i, fugacity[i] * 1e-5, i,
                    fugacityCoefficient[i]);
    if (ideal == nullptr) return;
    if (atCriticalPoint())
        vornex::cprintf(
            "   The critical point: cv and cp diverge, the sound speed vanishes, and the "
            "Joule-Thomson coefficient has no value\n");
    else if (isothermalSlopeVanishes())
        vornex::cprintf(
            "   (dP/dV)_T vanishes: a critical or spinodal state, without cp or "
            "Joule-Thomson coefficient\n");
    vornex::cprintf("->  Joule-Thomson %s K/bar\n", number("%12.4lf", jouleThomson * 1e5).c_str());
    vornex::cprintf("      Sound speed %s m/s\n", number("%12.2f", soundSpeed).c_str());
}

}  // namespace vornex

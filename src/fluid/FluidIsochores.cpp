// Sweeps of a fluid over temperature or volume: isochore and isotherm rows, stand-alone P-T
// isochores and P-V isotherms with their gnuplot diagrams, contour maps of a property over
// the (V, T) plane, and the isobar traced in the (T, V) plane through both phases.
// Rows carry T in K, P in bar, V in cm3/mol, A, U, H, G in J/mol, S, Cv, Cp in J/(mol K)
// unless a writer says otherwise.

#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/FluidSweeps.h"
#include "fluid/Metastability.h"
#include "fluid/OutputFiles.h"

namespace vornex {

namespace {

constexpr double kBarPerPa = 1e-5;
constexpr double kCm3PerM3 = 1e6;

// A point whose state functions are not all numbers (far beyond any model's range, where
// they overflow) is no point of the curve: it is left out, as an unstable one is. The heat
// capacities (columns 7 and 8) of a model that gives none are blank, not a failure.
template <std::size_t N>
bool allFinite(const double (&row)[N], const FluidPhase& fluid) {
    const bool heatCapacities = fluid.givesHeatCapacities();
    for (std::size_t k = 0; k < N; ++k)
        if (!std::isfinite(row[k]) && (heatCapacities || (k != 7 && k != 8))) return false;
    return true;
}

// What a curve's rows lack, said once when the curve is written: the heat-capacity columns a
// model without them leaves nan, and the points left out because their state functions were
// not numbers (a curve of none of its points would otherwise be an empty file, unexplained).
struct RowNotes {
    RowNotes(const FluidPhase& f, const char* what, double value, const char* unit)
        : fluid(f), curve(what), at(value), units(unit) {}
    const FluidPhase& fluid;
    const char* curve;
    double at;
    const char* units;
    long written = 0, notNumbers = 0;
    ~RowNotes() {
        if (written > 0 && !fluid.givesHeatCapacities())
            vornex::cfprintf(stderr, "%s at %g %s: the Cv and Cp columns are nan: %s\n", curve, at,
                         units, fluid.whyNoHeatCapacities());
        if (notNumbers > 0)
            vornex::cfprintf(stderr,
                         "%s at %g %s: %ld points left out (%ld written), where the model's "
                         "state functions are not numbers\n",
                         curve, at, units, notNumbers, written);
    }
};

// The temperatures of an isochore left out inside the two-phase region, where the stable
// state is the saturated liquid and vapour side by side at the saturation pressure and the
// uniform fluid of the isochore's volume is metastable at best (between the spinodals the
// equation's values belong to no state); said once, when the curve is written.
// The temperatures of an isochore's rows left out for one reason, said once.
struct RowsLeftOut {
    RowsLeftOut(double Vm3, const char* why) : volume(Vm3), reason(why) {}
    double volume;
    const char* reason;
    int count = 0;
    double first = 0.0, last = 0.0;
    void add(double TK) {
        if (count++ == 0) first = TK;
        last = TK;
    }
    ~RowsLeftOut() {
        if (count == 0) return;
        vornex::cfprintf(stderr, "Isochore at %g cm3/mol: no row from %g to %g K (%d rows), %s\n",
                         volume * kCm3PerM3, first, last, count, reason);
    }
};

struct DomeRows : RowsLeftOut {
    explicit DomeRows(double Vm3)
        : RowsLeftOut(Vm3,
                      "inside the two-phase region, where the stable state is the saturated "
                      "liquid and vapour at the saturation pressure") {}
};

// The temperatures of a mixture's isochore left out between the spinodals of its
// composition, where no uniform mixture is (the equation's loops there give falling
// stretches, at negative pressures too); its split into two phases at a given volume is not
// computed. Said once, when the curve is written.
class MixtureBandRows {
   public:
    // The band of a composition narrows as the temperature rises (its liquid spinodal
    // expands, its vapour spinodal contracts): a volume lies in it below one temperature and
    // out of it above. That temperature is bisected once over the isochore's range, so that
    // the costly search of the spinodals is not made at every row.
    MixtureBandRows(FluidPhase& f, double Vm3, double T1, double T2)
        : rows_(Vm3,
                "between the spinodals of the mixture's composition, where no uniform mixture "
                "is (its split into two phases at a given volume is not computed)") {
        if (f.nc < 2 || !(T1 > 0.0 && T2 > 0.0)) return;
        auto inside = [&](double TK) { return spinodalsAtComposition(f, TK).between(Vm3); };
        double lo = std::fmin(T1, T2), hi = std::fmax(T1, T2);
        if (!inside(lo)) return;
        if (inside(hi)) {
            top_ = HUGE_VAL;
            return;
        }
        while (hi > lo * (1.0 + 1e-9)) {
            const double mid = std::sqrt(lo * hi);
            (inside(mid) ? lo : hi) = mid;
        }
        top_ = hi;
    }
    // Whether the mixture at TK holds no uniform state at the isochore's volume (counted).
    bool leavesOut(double TK) {
        if (!(TK < top_)) return false;
        rows_.add(TK);
        return true;
    }

   private:
    RowsLeftOut rows_;
    double top_ = -HUGE_VAL;  // the band holds the volume below this temperature
};

// The text channels of a row writer go to the stream its driver opened.
struct RowOutput : CurveOutput {
    RowOutput(char mode, CurveArray* array, std::FILE* stream) : CurveOutput(mode, array) {
        attach(stream);
    }
};

}  // namespace

void FluidPhase::calculate_simplified_isochor(FILE* stream, double Vm3, double Tmin, double Tmax,
                                              int n, char mode, CurveArray* array) {
    RowOutput out(mode, array, stream);
    DomeRows dome(Vm3);
    MixtureBandRows band(*this, Vm3, Tmin, Tmax);
    volume(Vm3);
    geometricSteps(Tmin, Tmax, n, [&](double t) {
        if (insideSaturationDome(*this, t, Vm3)) {
            dome.add(t);
            return;
        }
        if (band.leavesOut(t)) return;
        temperature(t);
        volume(Vm3);
        calculate_pressure();
        const double row[] = {T, P * kBarPerPa};
        if (!std::isfinite(row[0]) || !std::isfinite(row[1])) return;
        out.print("%12.2f\t%12.6f\n", T, P * kBarPerPa);
        out.row({T, P * kBarPerPa});
    });
}

void FluidPhase::calculate_isochor(FILE* stream, double Vm3, double Tmin, double Tmax, int n,
                                   char mode, CurveArray* array) {
    RowOutput out(mode, array, stream);
    DomeRows dome(Vm3);
    MixtureBandRows band(*this, Vm3, Tmin, Tmax);
    RowNotes notes(*this, "Isochore", Vm3 * kCm3PerM3, "cm3/mol");
    volume(Vm3);
    geometricSteps(Tmin, Tmax, n, [&](double t) {
        if (insideSaturationDome(*this, t, Vm3)) {
            dome.add(t);
            return;
        }
        if (band.leavesOut(t)) return;
        temperature(t);
        volume(Vm3);
        calculate_fugacities();
        calculate_state_functions();
        if (!(dPdV < 0)) return;  // mechanically unstable
        const double row[] = {
            T,           P * kBarPerPa, A, H, U, S, G, Cv, Cp, dPdV, V * kCm3PerM3, U / M / 1000,
            H / M / 1000};
        if (!allFinite(row, *this)) {
            ++notes.notNumbers;
            return;
        }
        ++notes.written;
        out.print(
            "%12.2f\t%12.6f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12.4f\t%12f\t"
            "%12f\t%12f\t%12f\n",
            row[0], row[1], row[2], row[3], row[4], row[5], row[6], row[7], row[8], row[9], row[10],
            row[11], row[12]);
        out.row(row);
    });
}

void FluidPhase::calculate_isotherm(FILE* stream, double TK, double Vmin, double Vmax, int n,
                                    int direction, char mode, CurveArray* array) {
    if (direction != 0 && direction != 1) return;
    RowOutput out(mode, array, stream);
    const bool upward = direction == 0;
    // Between the spinodals no uniform fluid is, whatever the equation's loops give there:
    // no row; the liquid and the vapour branch are written on either side.
    const TwoPhaseBand band = twoPhaseBandAt(*this, TK);
    if (band.found && band.spinodalLiquid < Vmax && band.spinodalVapour > Vmin)
        vornex::cfprintf(stderr,
                     "Isotherm at %g K: no row between the spinodals at %g and %g cm3/mol, where "
                     "no uniform fluid is stable (the saturated liquid and vapour are, at %g "
                     "bar)\n",
                     TK, band.spinodalLiquid * kCm3PerM3, band.spinodalVapour * kCm3PerM3,
                     band.Psat * kBarPerPa);
    // The pressure must fall as V grows along each branch; a rise ends the branch. Swept
    // down, the liquid branch below the band may start under tension.
    const double start = upward ? HUGE_VAL : -HUGE_VAL;
    double previous = start;
    bool cutShort = false;
    RowNotes notes(*this, "Isotherm", TK, "K");
    temperature(TK);
    auto point = [&](double v) {
        if (band.unstable(v)) {
            previous = start;
            return true;
        }
        volume(v);
        calculate_state_functions();
        if (!(dPdV < 0)) return true;  // mechanically unstable: skipped
        const double row[] = {V * kCm3PerM3, P * kBarPerPa, A,    H, U, S, G, Cv, Cp, dPdV,
                              H / M / 1000,  U / M / 1000,  M / V};
        if (!allFinite(row, *this)) {
            ++notes.notNumbers;
            return true;
        }
        if (upward ? P >= previous : P <= previous) {
            vornex::cfprintf(stderr,
                         "Isotherm at %g K: the pressure %s again at V = %g cm3/mol, past the "
                         "unstable region; this branch ends there\n",
                         TK, upward ? "rises" : "falls", v * kCm3PerM3);
            cutShort = true;
            return false;
        }
        previous = P;
        ++notes.written;
        out.print("%12lg", row[0]);
        for (int k = 1; k < 13; ++k) out.print("\t%12lg", row[k]);
        out.print("\n");
        out.row(row);
        return true;
    };
    if (upward)
        geometricSweep(Vmin, Vmax, n, SweepEnd::Below, point);
    else
        geometricSweepDown(Vmax, Vmin, n, point);
    // The range asked was swept only in part: the caller is told through the error flag.
    if (cutShort) error = 1;
}

void FluidPhase::calculate_PT_isochor(double Vm3, double Tmin, double Tmax, int n, char mode,
                                      const char* suffix) {
    CurveOutput out(mode);
    if (!out.open("pt", suffix)) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    volume(Vm3);
    if (out.isIgor())
        out.print("IGOR\nWAVES  %11s%s %11s%s %11s%s\nBEGIN\n", "T", s, "P", s, "V", s);
    geometricSweep(Tmin, Tmax, n, SweepEnd::AtOrBelow, [&](double t) {
        temperature(t);
        calculate_pressure();
        out.print("%12lg %12lg %12lg\n", T, P * kBarPerPa, V * kCm3PerM3);
        out.row({T, P * kBarPerPa, V * kCm3PerM3});
        return true;
    });
    if (out.isIgor()) out.print("END\n");
    if (!out.close()) error = 1;
}

void FluidPhase::calculate_PV_isotherm(double TK, double Vmin, double Vmax, int n, char mode,
                                       const char* suffix) {
    CurveOutput out(mode);
    if (!out.open("pvt", suffix, ".txt")) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    temperature(TK);
    if (out.isIgor()) {
        out.print(
            "IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s %11s%s "
            "%9s%s \nBEGIN\n",
            "V", s, "P", s, "T", s, "A", s, "da", s, "Z", s, "phi", s, "H", s, "U", s, "S", s);
    }
    geometricSweep(Vmin, Vmax, n, SweepEnd::Below, [&](double v) {
        volume(v);
        calculate_pressure();
        calculate_state_functions();
        calculate_fugacities();
        const double row[] = {V * kCm3PerM3,
                              P * kBarPerPa,
                              T,
                              A,
                              A / (gasConstant * T) + std::log(V),
                              Z,
                              fugacityCoefficient[0],
                              H,
                              U,
                              S};
        for (double value : row) out.print("%12lg ", value);
        out.print("\n");
        out.row(row);
        return true;
    });
    if (out.isIgor()) out.print("END\n");
    if (!out.close()) error = 1;
}

void FluidPhase::build_PT_isochor_diagram(double* volumes, int count, double Tmin, double Tmax,
                                          int n, char mode, const char* suffix) {
    IsoLineDiagram diagram{"g6.gp", "P-T isochor", "T (K)"};
    diagram.draw(*this, mode, suffix, count, [&](int k, char m, const char* s) {
        calculate_PT_isochor(volumes[k], Tmin, Tmax, n, m, s);
        return IsoLine{"pt" + std::string(s), volumes[k] * kCm3PerM3, " cm^3/mol"};
    });
}

void FluidPhase::build_PV_isotherm_diagram(double* temperatures, int count, double Vmin,
                                           double Vmax, int n, char mode, const char* suffix) {
    IsoLineDiagram diagram{"g5.gp", "P-V isotherm", "V (cm^3/mol)"};
    diagram.draw(*this, mode, suffix, count, [&](int k, char m, const char* s) {
        calculate_PV_isotherm(temperatures[k], Vmin, Vmax, n, m, s);
        return IsoLine{"pvt" + std::string(s) + ".txt", temperatures[k], " K"};
    });
}

namespace {

// The (T, V) grid swept into the script's table, temperatures in nT equal steps, volumes in
// nV geometric steps, a blank line after each temperature; then the contour script.
template <class Point>
void contourMap(FluidPhase& fluid, const ContourScript& script, const double* levels, int nLevels,
                double Tmin, double Tmax, double Vmin, double Vmax, int nT, int nV, Point point) {
    CurveOutput out(kColumnTable);
    if (!out.open(script.data)) {
        fluid.error = 1;
        return;
    }
    const double dT = (Tmax - Tmin) / nT;
    for (int i = 0; i <= nT; ++i) {
        fluid.temperature(Tmin + i * dT);
        geometricSweep(Vmin, Vmax, nV, SweepEnd::AtOrBelow, [&](double v) {
            fluid.volume(v);
            point(out);
            return true;
        });
        out.print("\n");
    }
    if (!out.close() || !script.write(fluid.modelName, levels, nLevels)) fluid.error = 1;
}

}  // namespace

void FluidPhase::calculate_iso_surface(double* levels, int nLevels, double Tmin, double Tmax,
                                       double Vmin, double Vmax, int nT, int nV,
                                       ThermoCalcFlag flag) {
    const ContourScript script{"g52.gp", "parsurf.txt", int(flag) + 2};
    contourMap(*this, script, levels, nLevels, Tmin, Tmax, Vmin, Vmax, nT, nV,
               [this](CurveOutput& out) {
                   calculate_fugacities();
                   calculate_state_functions();
                   out.print("%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\n", T, V * kCm3PerM3,
                             P * kBarPerPa, A, H, U, S, G, Cv, Cp);
               });
    if (!givesHeatCapacities())
        vornex::cfprintf(stderr, "parsurf.txt: the Cv and Cp columns are nan: %s\n",
                     whyNoHeatCapacities());
}

void FluidPhase::calculate_P_surface(double* levels, int nLevels, double Tmin, double Tmax,
                                     double Vmin, double Vmax, int nT, int nV) {
    const ContourScript script{"g8.gp", "psurf.txt", 3};
    contourMap(*this, script, levels, nLevels, Tmin, Tmax, Vmin, Vmax, nT, nV,
               [this](CurveOutput& out) {
                   calculate_pressure();
                   out.print("%lg %lg %lg \n", T, V * kCm3PerM3, P * kBarPerPa);
               });
}

}  // namespace vornex

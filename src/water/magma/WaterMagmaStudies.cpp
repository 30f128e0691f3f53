// Study tables of a full magma-water cycle over a range of peak temperatures: cold water
// (20 degC, 1 bar) buried to a depth, heated by magma at the depth's pressure (phreatic
// cycle, with its boiling and spinodal limits) or at constant volume (Wohletz cycle),
// expanded to the two-phase boundary and to 1 bar, reversibly along the water's or the
// water-magma mixture's isentrope, and irreversibly against 1 bar. Reports in French, as
// the studies were first written.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kStudyMagmaCp = 1200.0;  // J/(kg K)
constexpr double kOneBar = 1e5;           // Pa
constexpr double kBoiling = 373.15;       // K
constexpr int kMaxRows = 100000;

const char* const kColumns[] = {"deltaT", "p3",   "t3",   "s3",   "p4",     "t4",    "t5",   "w4",
                                "w5",     "w",    "q",    "eta",  "etamax", "fl",    "R",    "em",
                                "ew",     "wirr", "tirr", "virr", "firr",   "wirr2", "code", "wir"};
const char* const kColumnTitles[] = {"deltaT(1)", "p3(2)",     "t3(3)",      "s3(4))",   "p4(5)",
                                     "t4(6)",     "t5(7)",     "w4(8)",      "w5(9)",    "w(10)",
                                     "q(11)",     "eta(12)",   "etamax(13)", "fl(14)",   "R(15)",
                                     "em(16)",    "ew(17)",    "wirr(18)",   "tirr(19)", "virr(20)",
                                     "firr(21)",  "wirr2(22)", "code(22)",   "wir(23)"};

struct Row {
    double deltaT = 0, p3 = 0, t3 = 0, s3 = 0, p4 = kNaN, t4 = kNaN, t5 = 0, w4 = 0, w5 = kNaN;
    double w = 0, q = 0, eta = 0, etamax = 0, fl = 0, R = 0, em = 0, ew = 0;
    double wirr = kNaN, tirr = kNaN, virr = kNaN, firr = 0, wirr2 = 0;
    int code = 0;
    double wir = 0;
    bool state4 = false;
};

struct Study {
    bool phreatic;
    bool mixture;  // the water-magma mixture isentrope, else the water's own
    bool igor;
    const char* suffix;
};

void writeHeader(std::FILE* out, const Study& s, const WaterMagmaCalculationResult& r) {
    const int columns = s.phreatic ? 24 : 23;
    if (s.igor) {
        vornex::cfprintf(out, "IGOR\nWAVES ");
        for (int i = 0; i < columns; ++i)
            vornex::cfprintf(out, i == 0 ? "%6s%s" : " %11s%s", kColumns[i], s.suffix);
        vornex::cfprintf(out, "\nBEGIN\n");
        return;
    }
    vornex::cfprintf(out, "# %s\n# T1 %12.2f P1 %12.2f V1 %12.2f\n# T2 %12.2f P2 %12.2f V2 %12.2f\n",
                 s.mixture ? "Isentropic Mixture" : "Isentropic Fluid", r.T1, r.P1, r.V1, r.T2,
                 r.P2, r.V2);
    for (int i = 0; i < columns; ++i)
        vornex::cfprintf(out, i == 0 ? "#%10s" : "\t%12s", kColumnTitles[i]);
    vornex::cfprintf(out, "\n");
}

void writeRow(std::FILE* out, const Study& s, const Row& r) {
    const char sep = s.phreatic ? ' ' : '\t';
    vornex::cfprintf(out, "%12.2f%c%12.2f%c%12.2f%c%12.2f%c", r.deltaT, sep, r.p3, sep, r.t3, sep, r.s3,
                 sep);
    if (r.state4)
        vornex::cfprintf(out, "%12.2f%c%12.2f%c", r.p4, sep, r.t4, sep);
    else
        vornex::cfprintf(out, "%12s%c%12s%c", "nan", sep, "nan", sep);
    vornex::cfprintf(out, "%12.2f%c%12.2f%c", r.t5, sep, r.w4, sep);
    if (r.state4)
        vornex::cfprintf(out, "%12.2f%c", r.w5, sep);
    else
        vornex::cfprintf(out, "%12s%c", "nan", sep);
    vornex::cfprintf(out,
                 "%12.2f%c%12.2f%c%12.8lf%c%12.8lf%c%12.6lf%c%12.6lf%c%12.6lf%c%12.6lf%c%12.6lf%c"
                 "%12.2f%c%12f%c%12.7lf%c%12f%c%5d",
                 r.w, sep, r.q, sep, r.eta, sep, r.etamax, sep, r.fl, sep, r.R, sep, r.em, sep,
                 r.ew, sep, r.wirr, sep, r.tirr, sep, r.virr, sep, r.firr, sep, r.wirr2, sep,
                 r.code);
    if (s.phreatic)
        vornex::cfprintf(out, " %12f\n", r.wir);
    else
        vornex::cfprintf(out, "\n");
}

// State 5 at 1 bar from state 4 (T4 K, water entropy S4): two-phase at 373.15 K by the fixed
// saturation data, or superheated steam. Along the water-magma mixture's isentrope (m kg of
// water a kg of magma) the magma cools with the water, and steam ends with it at their common
// temperature. Along the water's own (m 0) state 4 lies at 1 bar or above, where saturated
// steam holds less entropy than the fixed data's at 1 bar: without the magma's heat the end
// is never past saturation. Leaves the end's U in the model and its temperature in T5;
// returns the liquid fraction (0 for steam), NaN when the steam's end cannot be found.
double endAtOneBar(WaterEOS& w, double T4, double S4, double m, double& T5) {
    const SaturationEnds f = fixedOneBarSaturation();
    const double cpm = m > 0.0 ? w.M * w.magmaHeatCapacity / m : 0.0;  // J/K per mole of water
    const double S5 = S4 + cpm * std::log(T4 / kBoiling);
    T5 = kBoiling;
    const double x = w.calculateIsentropicVaporization(S5, f.Ul, f.Uv, f.Hl, f.Hv, f.Sl, f.Sv,
                                                       f.Vl * 1e6, f.Vv * 1e6);
    if (x >= 0.0) return x;
    vornex::cprintf("Superheated vapor %lf\n", x);
    if (!(m > 0.0) || !steamEndWithMagma(w, 1.0, kBoiling, T4, S4, m)) {
        w.error = 1;
        vornex::cprintf("No end of the expansion at 1 bar\n");
        return kNaN;
    }
    T5 = w.T;
    vornex::cprintf("\nT5 %12.2f P5 %12.2f S5 %12.2f\n", w.T, w.P * 1e-5, w.S);
    return 0.0;
}

void printTwoPhaseEnd(WaterEOS& w, double U4, double x) {
    const double M = w.M;
    vornex::cprintf("u4 : %12f u5 : %12f u5-u4 : %12f \n", U4, w.U, w.U - U4);
    vornex::cprintf("%% molaire de liquide : %3.2f\n", x);
    vornex::cprintf("\tH  %12.2f kJ/kg\n", w.H / M * 0.001);
    vornex::cprintf("\tU  %12.2f kJ/kg\n", w.U / M * 0.001);
    vornex::cprintf("\ts5  %12.2f J/mol\n", w.S);
    vornex::cprintf("\n");
}

// The heat the magma gives to bring the water from state 2 to the model's state, and the work
// done on it meanwhile: the whole rise of its enthalpy (the jump from the spinodal to the
// boiling point and the vaporisation included), and what the first law leaves of the rise
// of its energy.
void heatAndWorkFromState2(const WaterEOS& w, const WaterMagmaCalculationResult& r, double& Q,
                           double& wh) {
    Q = w.H - r.H2;
    wh = (w.U - r.U2) - Q;
}

// Keeps the model's magma parameters and gives them back when the study ends.
class MagmaParameters {
   public:
    explicit MagmaParameters(WaterEOS& w)
        : w_(w),
          cp_(w.magmaHeatCapacity),
          L_(w.latentHeat),
          m_(w.waterMagmaRatio),
          Tm_(w.magmaTemperature) {}
    ~MagmaParameters() {
        w_.magmaHeatCapacity = cp_;
        w_.latentHeat = L_;
        w_.waterMagmaRatio = m_;
        w_.magmaTemperature = Tm_;
    }
    MagmaParameters(const MagmaParameters&) = delete;
    MagmaParameters& operator=(const MagmaParameters&) = delete;

   private:
    WaterEOS& w_;
    double cp_, L_, m_, Tm_;
};

void runStudy(WaterEOS& w, double h, double Tm, const Study& s, double step) {
    const KeptPhaseSelector side(w);
    const double M = w.M;
    const MagmaParameters kept(w);
    if (!std::isfinite(h) || !std::isfinite(Tm) || !(step > 0.0) || h < 0.0) {
        vornex::cprintf(
            "The cycle study needs a depth pressure h >= 0, a magma temperature and a step\n");
        return;
    }
    if (!w.givesWholeEnergies("The cycle study")) return;
    w.magmaHeatCapacity = kStudyMagmaCp;
    w.latentHeat = 0.0;
    w.magmaTemperature = Tm;
    vornex::cprintf(s.mixture ? "Mixture isentropic\n" : "Fluid isentropic\n");
    WaterMagmaCalculationResult r;
    r.T1 = 293.15;
    r.P1 = 1.0;
    r.T2 = 293.15 + 0.3 * h;
    r.P2 = h + 1.0;
    vornex::cprintf("State 1\n----------\n");
    w.set_the_phase_as(2);
    w.Vl0 = 1.8e-5;
    w.calculateFromTP(r.T1, r.P1, 1);
    r.V1 = w.V * 1e6;
    vornex::cprintf("State 2\n----------\n");
    w.set_the_phase_as(2);
    w.calculateFromTP(r.T2, r.P2, 1);
    r.V2 = w.V * 1e6;
    r.U2 = w.U;
    r.H2 = w.H;
    const double V2 = w.V;
    if (w.error) return;
    if (s.phreatic && !isobaricReferenceData(w, r)) {
        vornex::cprintf("No saturation or spinodal state at %.2f bar\n", r.P2);
        return;
    }
    // In an Igor file the suffix ends every wave name of its header as well.
    if (s.phreatic && !(s.igor ? OutputFiles::checkWaveNameSuffix(s.suffix)
                               : OutputFiles::checkSuffix(s.suffix)))
        return;
    const std::string name =
        s.phreatic ? std::string("heatirr") + s.suffix : std::string(s.mixture ? "wohl1" : "wohl0");
    OutputFile file;
    if (!file.open(name)) return;
    std::FILE* out = file.stream();
    writeHeader(out, s, r);
    double tStart = 325.0, vGuess = 1.8e-5;
    double previousDelta = -1.0;
    for (int n = 0; n < kMaxRows; ++n) {
        const double deltaT = n * step;
        // Up to below the magma's temperature: water heated to it takes no heat from it (no
        // water/magma ratio), and Tm - T2 rounds above a step that meets Tm exactly.
        if (!(Tm - (r.T2 + deltaT) > 1e-9 * Tm)) break;
        if (!s.phreatic && previousDelta < 743.0 && deltaT >= 743.0) {
            tStart = 326.0;
            vGuess = 0.022273;
        }
        previousDelta = deltaT;
        double T3 = deltaT == 0.0 ? r.T2 + 0.001 : r.T2 + deltaT;
        vornex::cprintf("State 3\n----------\n");
        int branch = 0;
        double Q = 0.0, wh = 0.0, P3 = 0.0;
        if (s.phreatic) {
            w.error = 0;
            if (T3 < r.Tspin) {
                branch = T3 < r.Ts2 ? 101 : 102;
                w.set_the_phase_as(2);
                w.Vl0 = 1.85e-5;
                w.calculateFromTP(T3, r.P2, 1);
                heatAndWorkFromState2(w, r, Q, wh);
                P3 = r.P2;
                if (branch == 102) {
                    // The metastable liquid boils at once: state 3 is the boiling point of
                    // its entropy.
                    w.calculateBoilingPointFromS(w.S);
                    if (!w.error) w.calculateFromTV(w.T, w.V, 0);
                    T3 = w.T;
                    P3 = w.P * 1e-5;
                }
            } else if (T3 >= r.Tb) {
                branch = 103;
                w.set_the_phase_as(1);
                w.calculateFromTP(T3, r.Pb, 1);
                heatAndWorkFromState2(w, r, Q, wh);
                P3 = r.Pb;
            } else {
                continue;  // between the spinodal and the boiling temperature
            }
        } else {
            w.calculateFromTV(T3, V2, 1);
            Q = w.U - r.U2;
            P3 = w.P * 1e-5;
        }
        if (w.error) continue;
        const double U3 = w.U, S3 = w.S, V3 = w.V;
        const double m = (Tm - T3) * kStudyMagmaCp / Q * M;
        if (m < 0.0) {
            vornex::cprintf("Water/Magma ratio < 0 !\n");
            continue;
        }
        vornex::cprintf("State 4\n----------\n");
        vornex::cprintf("Mass water %12f\n", m);
        w.waterMagmaRatio = m;
        Row row;
        row.deltaT = deltaT;
        row.p3 = P3;
        row.t3 = T3;
        row.s3 = S3 / (M * 1000.0);
        row.R = m;
        double q = Q, U4 = 0.0, U5 = 0.0;
        const char* monophasic = "Décompression monophasique";
        if (s.mixture) {
            double bT = 0, bP = 0, bV = 0, bW = 0, bQ = 0;
            bool boundary = false;
            if (branch == 102) {
                bT = T3;
                bP = P3 * 1e5;
                bV = V3;
                boundary = true;
            } else {
                w.calculateHeatingDecompressionPath1("isoh", T3, V3, m);
                boundary = w.boundaryReached == 1 && w.boundaryPressure > kOneBar;
                bT = w.boundaryTemperature;
                bP = w.boundaryPressure;
                bV = w.boundaryVolume;
                bW = w.boundaryWork;
                bQ = w.boundaryHeat;
            }
            const double cpm = M * kStudyMagmaCp / m;  // J/K per mole of water
            if (!boundary) {
                std::puts(monophasic);
                vornex::cprintf("State 5\n----------\n");
                w.calculateFromTV(w.endTemperature, w.endVolume, 0);
                vornex::cprintf("\nT5 : %.2f K V5 %.2f cm3/mol\tP5    : %.2f bar   S5  : %.2f  \n", w.T,
                            w.V * 1e6, w.P * 1e-5, w.S);
                q += w.endHeat;
                row.t5 = w.T;
                row.w4 = w.endWork;
                row.fl = w.S < 80.0 ? 1.0 : 0.0;
                row.code = 100 + branch + 10;
            } else {
                w.calculateFromTV(bT, bV, 0);
                U4 = w.U;
                vornex::cprintf("\nT4 : %.2f K V4 %.2f cm3/mol\tPh    : %.2f bar\n", bT, bV * 1e6,
                            bP * 1e-5);
                double T5 = kBoiling;
                const double x = endAtOneBar(w, bT, w.S, m, T5);
                if (std::isnan(x)) continue;
                printTwoPhaseEnd(w, U4, x);
                U5 = w.U;
                q += bQ + cpm * (bT - T5);
                row.state4 = true;
                row.p4 = bP * 1e-5;
                row.t4 = bT;
                row.t5 = T5;
                row.w4 = bW;
                // Work of the last leg: the energy change less the magma's heat.
                row.w5 = U5 - U4 - cpm * (bT - T5);
                row.fl = x;
                row.code = 100 + branch + 20;
            }
        } else {
            const int code = S3 >= kWaterCriticalEntropy ? w.calculateCondensationPointFromS(S3)
                                                         : w.calculateBoilingPointFromS(S3);
            if (code != 0 || w.error) continue;
            if (w.P >= kOneBar) {
                w.calculateFromTV(w.T, w.V, 0);
                U4 = w.U;
                row.state4 = true;
                row.p4 = w.P * 1e-5;
                row.t4 = w.T;
                double T5 = kBoiling;
                const double x = endAtOneBar(w, w.T, S3, 0.0, T5);
                if (std::isnan(x)) continue;
                printTwoPhaseEnd(w, U4, x);
                U5 = w.U;
                row.t5 = T5;
                row.w4 = U4 - U3;
                row.w5 = U5 - U4;
                row.fl = x;
                row.code = branch + 20;
            } else {
                std::puts(monophasic);
                vornex::cprintf("State 5\n----------\n");
                w.calculateAtmosphericDecompressionPoint(S3, 1.0);
                if (w.error) continue;
                row.t5 = w.T;
                row.w4 = w.U - U3;
                row.fl = w.S < 80.0 ? 1.0 : 0.0;
                row.code = branch + 10;
            }
        }
        if (!s.phreatic) row.code = s.mixture ? (row.state4 ? 220 : 200) : (row.state4 ? 120 : 110);
        row.w = wh + row.w4 + (row.state4 ? row.w5 : 0.0);
        row.q = q;
        row.eta = -row.w / q;
        row.etamax = 1.0 - 293.15 / T3;
        row.em = m * row.w * 0.001 / M;
        row.ew = row.em / m;

        // Irreversible expansion against 1 bar.
        const double e = (s.phreatic && s.mixture) ? M * kStudyMagmaCp / m : 0.0;
        const SaturationEnds f = fixedOneBarSaturation();
        row.firr = f.irreversibleFraction(V3, U3, (T3 - kBoiling) * e);
        row.wirr2 = f.irreversibleWork(row.firr, V3) + wh;
        const double savedGuess = w.Vl0;
        w.Vl0 = vGuess;
        // Above the saturated steam's energy at 1 bar (firr < 0) the end is steam: searched
        // from the liquid side it would be a superheated liquid or nothing.
        w.calculateWaterIrreversibleDecompressionPoint(T3, V3, kOneBar, e, tStart,
                                                       row.firr < 0.0 ? 1 : 2);
        if (w.error) {
            tStart = T3;
            w.error = 0;
        } else {
            row.tirr = w.T;
            row.virr = w.V * 1e6;
            row.wirr = -kOneBar * (w.V - V3) + wh;
            tStart = w.T;
            vGuess = w.V;
        }
        w.Vl0 = savedGuess;
        row.wir = (row.firr >= 0.0 && row.firr <= 1.0) ? row.wirr2 : row.wirr;

        vornex::cprintf("Chaleur fournie par le magma                : %12.2f J/mol, %12.2f kJ/kg\n", q,
                    q / M * 0.001);
        vornex::cprintf("Travail fourni  par la détente du fluide (4): %12.2f J/mol, %12.2f kJ/kg\n",
                    row.w4, row.w4 / M * 0.001);
        vornex::cprintf("Travail fourni  par la détente du fluide (5): %12.2f J/mol, %12.2f kJ/kg\n",
                    row.state4 ? row.w5 : 0.0, (row.state4 ? row.w5 : 0.0) / M * 0.001);
        vornex::cprintf("Travail fourni  par la détente du fluide    : %12.2f J/mol, %12.2f kJ/kg\n",
                    row.w, row.w / M * 0.001);
        vornex::cprintf("Rendement                                   : %12.2f\n", row.eta);
        vornex::cprintf("Rendement maximal                           : %12.2f\n", row.etamax);
        vornex::cprintf("Travail / g eau                             : %12.2f\n", row.ew);
        vornex::cprintf("Travail / g magma                           : %12.2f\n", row.em);
        writeRow(out, s, row);
    }
    if (s.igor) vornex::cfprintf(out, "END\n");
    file.commit();
}

}  // namespace

void WaterEOS::calculatePhreaticCycle(double h, double Tm, char fluid, char igor,
                                      const char* suffix, double step) {
    runStudy(*this, h, Tm, Study{true, fluid == 0, igor == 1, suffix == nullptr ? "" : suffix},
             step);
}

void WaterEOS::calculateWohletzCycle(double h, double Tm, char fluid, double step) {
    runStudy(*this, h, Tm, Study{false, fluid == 0, false, ""}, step);
}

}  // namespace vornex

// What happens to water heated by magma when it decompresses: reversible against
// irreversible expansion, its volume fraction in a water-magma mixture, the mass ratio a
// temperature needs, the expansion works, choked flow through a vent and the shock wave
// that expanding steam drives into air.
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "fluid/OutputFiles.h"
#include "numerics/Decimal.h"
#include "numerics/Solver.h"
#include "water/WagnerPruss.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMagmaDensity = 2500.0;  // kg/m3
// Air ahead of the shock and its heat-capacity ratio term mu = (gamma-1)/(gamma+1).
constexpr double kAirMu = 0.166;
constexpr double kAirSound = 340.0;        // m/s
constexpr double kAirDensity = 1.155;      // kg/m3
constexpr double kAirTemperature = 300.0;  // K
// Steps of a sweep whatever its range says.
constexpr int kMaxSweepSteps = 200000;

bool validRange(double a, double b) {
    return std::isfinite(a) && std::isfinite(b) && a <= b;
}

double volumeFraction(double w, double M, double V) {
    const double water = w / M * V;
    return water / ((1.0 - w) / kMagmaDensity + water);
}

}  // namespace

AirShock airShock(double y) {
    AirShock s;
    // Shock Mach number from the pressure ratio: M^2 = (y + mu)/(1 + mu), 1 at y = 1.
    s.mach = std::sqrt((kAirMu + y) / (1.0 + kAirMu));
    s.particleVelocity = kAirSound * (1.0 - kAirMu) * (y - 1.0) / ((1.0 + kAirMu) * s.mach);
    s.shockVelocity = kAirSound * s.mach;
    s.density = kAirDensity * (kAirMu + y) / (1.0 + kAirMu * y);
    s.temperature = kAirTemperature * y * (1.0 + kAirMu * y) / (kAirMu + y);
    return s;
}

namespace {

// The liquid-steam mixture of vapour fraction xv on the saturation `ends` as the model's state.
void holdMixture(WaterEOS& w, const SaturationEnds& ends, double xv) {
    const double xl = 1.0 - xv;
    w.T = ends.T;
    w.P = ends.P;
    w.V = ends.volume(xl);
    w.U = ends.energy(xl);
    w.H = SaturationEnds::lever(xl, ends.Hl, ends.Hv);
    w.S = SaturationEnds::lever(xl, ends.Sl, ends.Sv);
}

// The isentropic point of entropy S at P (bar) from one start (T K, V m3/mol). A root between
// the model's outer spinodals is none: the pockets near the critical density where dP/dV < 0
// hold states of any entropy (a liquid of 473 K at 408 bar, started from the throat of an
// earlier flow, "choked" at 623 K and 51 cm3/mol), and below 230 K the model is not used (a
// liquid of 273.5 K at 4541 bar "choked" at 199 K). The error flag says whether it was found.
void isentropicPoint(WaterEOS& f, double Pbar, double S, double T, double V) {
    f.calculate_isentropic_point_at_fixed_P(Pbar, S, T, V);
    if (!f.error && f.isInstable(f.T, f.V)) f.error = 1;
}

// The point of entropy S at P (bar) reached from (T0 K, P0 bar, V0 m3/mol) by pressure steps
// of equal ratio along the isentrope; the error flag says whether every step was found.
void isentropeInSteps(WaterEOS& f, double Pbar, double S, double T0, double P0, double V0) {
    constexpr int kSteps = 16;
    double T = T0, V = V0;
    for (int i = 1; i <= kSteps; ++i) {
        const double P = i == kSteps ? Pbar : P0 * std::pow(Pbar / P0, double(i) / kSteps);
        f.error = 0;
        isentropicPoint(f, P, S, T, V);
        if (f.error) return;
        T = f.T;
        V = f.V;
    }
}

// The isentropic point of entropy S at P (bar) from the fluid's start guesses, then, when
// that fails, from the ideal-gas isentrope of the state (T0 K, P0 bar, V0 m3/mol) with ratio
// gamma, and last from the saturation at P: steam expanded from far above it ends superheated
// just above the saturated steam, where neither of those starts reaches, and a liquid, or
// water above the critical pressure, stays near its own temperature and volume. Given `mixture`, an
// entropy between those of the saturated ends gives the liquid-steam mixture of that entropy, the
// end in equilibrium, rather than a metastable phase. The error flag says whether a point was
// found.
void isentropicPointFrom(WaterEOS& f, double Pbar, double S, double T0, double P0, double V0,
                         double gamma, bool mixture) {
    SaturationEnds ends;
    bool saturated = false;
    auto saturation = [&] {
        f.error = 0;
        saturated = Pbar * 1e5 < kWaterCriticalPressure && saturationEndsAtP(f, Pbar, ends);
        f.error = 0;
    };
    if (mixture) {
        saturation();
        if (saturated && S >= ends.Sl && S <= ends.Sv) {
            holdMixture(f, ends, 1.0 - ends.isentropicFraction(S));
            return;
        }
    }
    if (f.TisenGuess > 0.0 && f.VisenGuess > 0.0) {
        isentropicPoint(f, Pbar, S, f.TisenGuess, f.VisenGuess);
        if (!f.error) return;
    }
    const double T = T0 * std::pow(Pbar / P0, (gamma - 1.0) / gamma);
    isentropicPoint(f, Pbar, S, T, 8.31434 * T / (Pbar * 1e5));
    if (!f.error) return;
    if (!mixture) saturation();
    if (!saturated || S < ends.Sl) {
        // A liquid, or water above the critical pressure, where no saturation tells the
        // side: from the state expanded, and when one solve does not reach so far (dense
        // fluid expanded to less than half its pressure: 800 K from 1000 to 428 bar), down
        // its isentrope in steps, each from the last point. No such end lies between the
        // saturated phases, so no step on the way does either.
        isentropicPoint(f, Pbar, S, T0, V0);
        if (f.error) isentropeInSteps(f, Pbar, S, T0, P0, V0);
    } else if (S > ends.Sv) {
        // Above the saturated steam by the entropy difference over a heat capacity of 4.5 R.
        const double shift = std::exp((S - ends.Sv) / (4.5 * 8.31434));
        isentropicPoint(f, Pbar, S, ends.T * shift, ends.Vv * shift);
    } else {
        // Between the saturated phases: a metastable phase next to the state expanded, or
        // none.
        isentropicPoint(f, Pbar, S, T0, V0);
    }
}

void printDecompressionEnd(const WaterEOS& w, const char* title, bool found, double xv) {
    vornex::cprintf("%s\n====================================\n", title);
    if (!found) {
        vornex::cprintf("not found\n");
        return;
    }
    vornex::cprintf("P : %12.2f\n", w.P * 1e-5);
    vornex::cprintf("S : %12.2f J/mol/K %12.2f J/kg/K\n", w.S, w.S / w.M);
    vornex::cprintf("T : %12.2f\n", w.T);
    vornex::cprintf("V : %12.2f\n", w.V * 1e6);
    vornex::cprintf("H : %12.2f kJ/mol %12.2f kJ/kg\n", 0.001 * w.H, 0.001 * w.H / w.M);
    if (xv > 0.0 && xv < 1.0) vornex::cprintf("Vapour fraction : %12.4f\n", xv);
}

}  // namespace

void WagnerPruss::compareReversibleIrreversibleWorks(double TK, double PPa) {
    const KeptPhaseSelector kept(*this);
    error = 0;
    // Both ends lie at 1 bar: from a state below it the "decompression" is a compression
    // against the air, whose ends lie far beyond any water (steam of 400 K and 0.001 bar
    // driven to 1 bar: 54,800 K irreversibly, 1,690 K reversibly).
    constexpr double kEndPressure = 1e5;  // Pa
    if (!std::isfinite(TK) || !(PPa >= kEndPressure * (1.0 - 1e-9))) {
        vornex::cfprintf(stderr,
                         "Decompression from %g K and %g Pa (%g bar): the state lies below the "
                         "end pressure of %g bar; nothing to decompress\n",
                         TK, PPa, PPa * 1e-5, kEndPressure * 1e-5);
        error = 1;
        return;
    }
    // The state decompressed is the stable one: below the critical point and above the
    // saturation pressure the vapour side still finds a metastable steam, whose energy
    // would make a compressed liquid flash almost wholly to steam.
    if (calculateStableStateFromTP(TK, 1e-5 * PPa) == StablePhase::None || error) {
        error = 1;
        return;
    }
    calculate_state_functions();
    if (error) return;
    set_the_phase_as(1);
    const double S0 = S, U0 = U, V0 = V;
    // Both ends at 1 bar are placed against the saturation there: between the saturated
    // phases the stable end is their mixture, not a metastable single phase.
    SaturationEnds ends;
    if (!saturationEndsAtP(*this, 1.0, ends)) {
        vornex::cfprintf(stderr, "Decompression: no saturation state at 1 bar\n");
        error = 1;
        return;
    }
    // Irreversible: U - U0 = -P (V - V0) against 1 bar.
    const double xl = ends.irreversibleFraction(V0, U0);
    double xv = 1.0 - xl;
    bool irreversibleFound = true;
    if (xl >= 0.0 && xl <= 1.0) {
        holdMixture(*this, ends, xv);
    } else {
        calculate_irreversible_decompression_point_at_fixed_p(TK, V0, ends.P, 0.0, TK,
                                                              xl < 0.0 ? 1 : 2);
        irreversibleFound = error == 0;
    }
    printDecompressionEnd(*this, "Irreversible Decompression point", irreversibleFound, xv);
    // Reversible: the isentrope of S0 down to 1 bar.
    xv = (S0 - ends.Sl) / (ends.Sv - ends.Sl);
    if (xv > 0.0 && xv < 1.0) {
        holdMixture(*this, ends, xv);
        error = 0;
    } else {
        calculateAtmosphericDecompressionPoint(S0, 1.0);
    }
    if (!irreversibleFound) error = 1;
}

double WagnerPruss::calculateWaterVolumeFractionMagma(double TK, double Pbar, double w) {
    if (!(w >= 0.0 && w <= 1.0)) {
        vornex::cfprintf(stderr, "Water volume fraction: the mass fraction must lie in [0, 1]\n");
        return kNaN;
    }
    // The water mixed with the magma is the stable state: from the liquid side the state at a
    // temperature and pressure of steam would be the superheated liquid (400 K and 1 bar: 19.2
    // cm3/mol for the steam's 32898), and the fraction that of a liquid.
    error = 0;
    if (calculateStableStateFromTP(TK, Pbar) == StablePhase::None || error) {
        vornex::cfprintf(stderr, "Water volume fraction: no water state at %g K and %g bar\n", TK,
                         Pbar);
        error = 1;
        return kNaN;
    }
    calculateFromTV(TK, V, 1);
    if (error) return kNaN;
    const double phi = volumeFraction(w, M, V);
    vornex::cprintf("Volume water fraction : %lf\n", phi);
    return phi;
}

bool WagnerPruss::calculateWaterVolumeFractionDiagram(double w, double T0, double T1, double P0,
                                                      double P1) {
    if (!(w >= 0.0 && w <= 1.0) || !validRange(T0, T1) || !validRange(P0, P1) ||
        (T1 - T0) / 5.0 * (P1 - P0) / 5.0 > kMaxSweepSteps) {
        vornex::cfprintf(stderr, "Water volume fraction diagram: bad fraction or ranges\n");
        return false;
    }
    OutputFile file;
    if (!file.open("wat")) return false;
    // A point without water is "nan" in its row; the diagram then fails saying how many there
    // are, and one without any water (temperatures in degC taken for K) writes no file.
    int points = 0, missing = 0;
    for (double T = T0; T <= T1 + 1e-9; T += 5.0) {
        for (double p = P0; p <= P1 + 1e-9; p += 5.0, ++points) {
            error = 0;
            if (calculateStableStateFromTP(T, p) != StablePhase::None && !error) {
                file.print("%12.2f\t%12.2f\t%12.10lf\n", T, p, volumeFraction(w, M, V));
            } else {
                file.print("%12.2f\t%12.2f\t%12s\n", T, p, "nan");
                ++missing;
            }
        }
        file.print("\n");
    }
    error = 0;
    if (missing == points) {
        vornex::cfprintf(stderr,
                         "Water volume fraction diagram: no water state at any of its %d points "
                         "(%g to %g K, %g to %g bar)\n",
                         points, T0, T1, P0, P1);
        file.abandon();
        error = 1;
        return false;
    }
    const bool written = file.commit();
    if (missing == 0) return written;
    vornex::cfprintf(stderr, "Water volume fraction diagram: %d of its %d points have no water state (nan)\n",
                     missing, points);
    error = 1;
    return false;
}

bool WagnerPruss::compareWohletzTemperature() {
    vornex::cprintf("State 1\n----------\n");
    calculateFromTP(293.15, 1.0, 1);
    vornex::cprintf("\n");
    vornex::cprintf("State 2\n----------\n");
    calculateFromTP(296.15, 101.0, 1);
    if (error) return false;
    const double U2 = U, V2 = V;
    OutputFile file;
    if (!file.open("tempo")) return false;
    for (double T = 296.15; T < 1473.15; T += 1.0) {
        calculateFromTV(T, V2, 1);
        const double constantCp = (T - 1473.15) * (-1200.0) / ((T - 296.15) * 4200.0);
        const double isochoric = error ? kNaN : (1473.15 - T) * 1200.0 / (U - U2) * M;
        file.print("%12.2f %12.5lf %12.5lf\n", T, constantCp, isochoric);
    }
    if (!file.commit()) return false;
    OutputFile script;
    if (!script.open("tokill")) return false;
    script.print(
        "reset\nset term x11\nplot \"tempo\" us 2:1 w l\nrep \"tempo\" us 3:1 w l\n"
        "set xlabel \"Water:Magma Ratio\"\nset ylabel \"T3\"\nset xr [0:2]; rep\n");
    return script.commit();
}

bool WagnerPruss::calculateEnergyFormula() {
    const KeptPhaseSelector kept(*this);
    OutputFile file;
    // The irreversible end is placed against the model's own saturation at 1 bar: the
    // steam-table constants once used there (1.83e-5 and 0.0298 m3/mol, an enthalpy of
    // evaporation 116 J/mol short) made every work of a two-phase end 2 to 5 % small.
    SaturationEnds atm;
    if (!saturationEndsAtP(*this, 1.0, atm)) {
        vornex::cfprintf(stderr, "Expansion works: no saturation state at 1 bar\n");
        error = 1;
        return false;
    }
    if (!file.open("formu6")) return false;
    file.print(
        "IGOR\nWAVES %6s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n"
        "BEGIN\n",
        "T3", "P3", "T4", "P4", "S3", "tirr", "virr", "firr", "wi", "wr", "wr1", "wr2", "we");
    double wr = 0.0, wr1 = 0.0, wr2 = 0.0, tirr = 325.0, virr = 1.8e-5;
    for (int i = 0; i < 121; ++i) {
        const double T3 = 400.0 + 10.0 * i;
        for (double P3 = 1.0; P3 <= 3000.0; P3 += P3 < 10.0 ? 0.5 : 10.0) {
            Vl0 = 1.9e-5;
            set_the_phase_as(2);
            calculateFromTP(T3, P3, 1);
            const double U3 = U, S3 = S, V3 = V, gamma3 = Cp / Cv;
            if (S3 < kWaterCriticalEntropy)
                calculateBoilingPointFromS(S3);
            else
                calculateCondensationPointFromS(S3);
            double T4 = error ? kNaN : T;
            const double P4 = error ? kNaN : P * 1e-5, U4 = U, V4 = V;
            if (P4 >= 1.0) {
                wr = (U4 - U3) / (1000.0 * M);
                wr1 = -wr;
                wr2 = 0.0;
            } else if (S3 > 79.34) {
                calculate_isentropic_point_at_fixed_P(1.0, S3, (T3 + T4) / 2, (V3 + V4) / 2);
                // Halfway to the condensation point lies far from the steam's end at 1 bar
                // where that point lies well below 1 bar (steam at 610 K and 2.5 bar found
                // none, its neighbours at 2 and 3 bar theirs): from the steam's own isentrope.
                if (error) {
                    isentropicPointFrom(*this, 1.0, S3, T3, P3, V3, gamma3, false);
                }
                if (!error) {
                    wr = (U - U3) / (1000.0 * M);
                    wr1 = -wr;
                    wr2 = kNaN;
                } else {
                    wr = wr1 = wr2 = kNaN;
                }
                T4 = kNaN;
            }
            // Irreversible end at 1 bar (H = U3 + P V3), first on the two-phase line of 1 bar:
            // f its liquid fraction, the row's end the saturation temperature and the
            // mixture's volume (tirr and virr otherwise carry the last steam or liquid end on
            // as the next search's start).
            double f = atm.irreversibleFraction(V3, U3);
            double wi, rowTirr = tirr, rowVirr = virr;
            if (f >= 0.0 && f <= 1.0) {
                wi = -atm.irreversibleWork(f, V3) / (1000.0 * M);
                rowTirr = atm.T;
                rowVirr = atm.volume(f);
            } else {
                const double saved = Vl0;
                Vl0 = virr;
                // Less liquid than none: the end is steam, searched on the vapour side.
                calculate_irreversible_decompression_point_at_fixed_p(T3, V3, 100000.0, 0.0, tirr,
                                                                      f < 0.0 ? 1 : 2);
                Vl0 = saved;
                if (!error) {
                    tirr = rowTirr = T;
                    virr = rowVirr = V;
                    wi = 1e5 * (V - V3) / (1000.0 * M);
                } else {
                    wi = kNaN;
                    rowTirr = rowVirr = kNaN;
                }
                f = kNaN;
            }
            const double we = 1e5 * P3 * (V3 - 1.2e-5);
            file.print("%12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f\n", T3, P3,
                       T4, P4, S3, rowTirr, rowVirr, f, wi, -wr, wr1, wr2, we);
        }
    }
    file.print("\nEND\n");
    return file.commit();
}

std::string WagnerPruss::chokedFlow(double TK, double Pbar, FILE* table) {
    error = 0;
    lastThroatPressure = kNaN;
    const int branch = phase;
    // Under tension (a negative pressure) the throat's pressure would be a share of that
    // tension: no flow leaves through a vent there.
    if (!(Pbar > 0.0)) {
        if (table != nullptr) vornex::cfprintf(table, "\n");
        error = 1;
        return "the pressure must be positive";
    }
    calculateFromTP(TK, Pbar, 1);
    if (error) {
        if (table != nullptr) vornex::cfprintf(table, "\n");
        const std::string outside = outsideWaterRange(TK, Pbar);
        return "no water state at the temperature and pressure" +
               (outside.empty() ? std::string() : " (" + outside + ")");
    }
    // Below the critical pressure the liquid branch lies denser than the critical density and
    // the steam branch lighter; where its own branch has no state (beyond its spinodal) the
    // volume solve ends on the other one, which is no start of this branch's flow.
    if ((branch == 1 || branch == 2) && Pbar < kWaterCriticalPressureBar &&
        (V < kWaterCriticalVolume) != (branch == 2)) {
        error = 1;
        if (table != nullptr) vornex::cfprintf(table, "\n");
        return branch == 1 ? "no steam at the temperature and pressure (beyond its spinodal): "
                             "the state there is the liquid"
                           : "no liquid at the temperature and pressure (beyond its spinodal): "
                             "the state there is steam";
    }
    const double V2 = V;
    if (V2 > 6e-5)
        Vv0 = V2;
    else
        Vl0 = V2;
    const double s2 = S, c2 = soundSpeed, gamma = Cp / Cv, rho2 = M / V2;
    const double cv2 = Cv, cp2 = Cp;
    vornex::cprintf("gamma2 : %lf\n", gamma);
    vornex::cprintf("mu2    : %lf\n", (gamma - 1) / (gamma + 1));
    vornex::cprintf("rho    : %lf\n", rho2);
    vornex::cprintf("V      : %lf\n", V2 * 1e6);
    const double a = std::pow(2 / (gamma + 1), 1 / (gamma - 1));
    const double b = std::pow(2 / (gamma + 1), gamma / (gamma - 1));
    const double Pf = Pbar * b;
    lastThroatPressure = Pf;
    isentropicPointFrom(*this, Pf, s2, TK, Pbar, V2, gamma, false);
    if (error == 0) calculate_state_functions();
    // A state between the spinodals is none.
    const bool found = error == 0 && dPdV < 0.0;
    double Tf1 = kNaN, Vf1 = kNaN, cf = kNaN;
    if (found) {
        Tf1 = T;
        Vf1 = V;
        cf = soundSpeed;
        TisenGuess = Tf1;
        VisenGuess = Vf1;
    }
    const double Vf = 1e6 * M / (a * rho2);
    vornex::cprintf("Vf  : %lf\n", Vf);
    vornex::cprintf("Vf1 : %lf\n", Vf1 * 1e6);
    vornex::cprintf("Pf  : %lf\n", Pf);
    vornex::cprintf("Tf1 : %lf\n", Tf1);
    if (table != nullptr) {
        if (found)
            vornex::cfprintf(
                table,
                "%12.2f %12.2f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f\n", Pbar,
                TK, 1e6 * V2, rho2, c2, Vf, 1e6 * Vf1, Tf1, Pf, cf, s2, cv2, cp2, gamma);
        else
            vornex::cfprintf(table, "\n");
    }
    if (found) return {};
    error = 1;
    // Between the saturated phases at the throat the expansion has boiled (or condensed):
    // the single-phase throat has no state there.
    SaturationEnds ends;
    const bool twoPhase = Pf * 1e5 < kWaterCriticalPressure && saturationEndsAtP(*this, Pf, ends) &&
                          s2 > ends.Sl && s2 < ends.Sv;
    error = 1;
    return twoPhase ? "at the throat pressure its entropy lies between those of the saturated "
                      "liquid and steam: the flow flashes, and a single-phase throat has no "
                      "state there"
                    : "no state of its entropy at the throat pressure was found";
}

void WagnerPruss::calculateFlow(double TK, double Pbar, FILE* table) {
    const std::string why = chokedFlow(TK, Pbar, table);
    if (!why.empty())
        vornex::cfprintf(stderr, "Choked flow at %g K and %g bar (throat at %g bar): %s\n", TK,
                         Pbar, lastThroatPressure, why.c_str());
}

bool WagnerPruss::calculateFlowIsobar(double Pbar, double T0, double T1, char liquid) {
    const KeptPhaseSelector kept(*this);
    if (!(Pbar > 0.0) || !validRange(T0, T1) || T1 - T0 > kMaxSweepSteps) {
        vornex::cfprintf(stderr, "Flow isobar: needs P > 0 and T0 <= T1\n");
        return false;
    }
    char name[64];
    vornex::csnprintf(name, sizeof name, liquid ? "flow%.0lf" : "flox%.0lf", Pbar);
    OutputFile file;
    if (!file.open(name)) return false;
    file.print("#%11s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s %12s\n", "P2(1)",
               "T2(2)", "V2(3)", "rho2(4)", "c2(5)", "Vf(6)", "Vf1(7)", "Tf(8)", "Pf(9)", "cf(10)",
               "s2(11)", "cv2(12)", "cp2(13)", "gamma2(14)");
    // The blank rows, told by runs of one reason.
    struct Run {
        std::string why;
        double first, last;
        int count;
    };
    std::vector<Run> runs;
    int rows = 0, blank = 0;
    auto row = [&](double T) {
        const std::string why = chokedFlow(T, Pbar, file.stream());
        ++rows;
        if (why.empty()) return;
        ++blank;
        if (!runs.empty() && runs.back().why == why && std::fabs(runs.back().last - T) == 1.0) {
            runs.back().last = T;
            ++runs.back().count;
        } else {
            runs.push_back({why, T, T, 1});
        }
    };
    if (liquid) {
        Vl0 = 1.7e-5;
        set_the_phase_as(2);
        for (double T = T0; T <= T1; T += 1.0) {
            row(T);
            TisenGuess += 1.0;
            VisenGuess += 1e-6;
        }
    } else {
        set_the_phase_as(1);
        for (double T = T1; T >= T0; T -= 1.0) {
            row(T);
            TisenGuess -= 1.0;
            VisenGuess += 1e-6;
        }
    }
    error = 0;
    if (!file.commit()) return false;
    if (blank == 0) return true;
    vornex::cfprintf(stderr, "Flow isobar at %g bar: %d of %d rows of %s left blank\n", Pbar, blank,
                     rows, name);
    for (const Run& r : runs)
        vornex::cfprintf(stderr, "  %g to %g K (%d row%s): %s\n", r.first, r.last, r.count,
                         r.count == 1 ? "" : "s", r.why.c_str());
    return false;
}

double WagnerPruss::equationForShockWave(double x, void* context) {
    ShockTubeContext& c = *static_cast<ShockTubeContext*>(context);
    if (x < 0.0) {
        equationError = 1;
        error = 1;
        return 0.0;
    }
    // Air shock: u1 vanishes with the jump (x = P1); steam rarefaction: u4 vanishes at P4.
    const double ratio = x / c.P1;
    const double u1 =
        (1.0 - c.mu1) * c.a1 * (ratio - 1.0) / std::sqrt((1.0 + c.mu1) * (ratio + c.mu1));
    const double u4 = -2.0 / (c.gamma4 - 1.0) * c.a4 *
                      (std::pow(x / c.P4, (c.gamma4 - 1.0) / (2.0 * c.gamma4)) - 1.0);
    c.x = x;
    c.u = u1;
    return u4 - u1;
}

void WagnerPruss::calculateShockWave(double TK, double Pbar, FILE* table) {
    error = 0;
    // Water at less than the air's pressure drives no shock into it: the air would expand
    // towards the water, and the shock relations give a "shock" slower than sound
    // (0.5 bar: Mach 0.78) with the air moving backwards.
    if (!(Pbar >= ShockTubeContext{}.P1)) {
        vornex::cfprintf(stderr, "Shock wave at %g K, %g bar: no shock below the air's %g bar\n",
                         TK, Pbar, ShockTubeContext{}.P1);
        error = 1;
        return;
    }
    // The water that drives the shock is the stable state: from the liquid side the state at
    // a temperature and pressure of steam would be the superheated liquid (600 K, 40 bar: 30.3
    // cm3/mol for the steam's 1136, a shock of 2.42 bar for 7.24), from the vapour side above
    // the vapour pressure the subcooled steam.
    if (calculateStableStateFromTP(TK, Pbar) == StablePhase::None || error) {
        error = 1;
        return;
    }
    calculateFromTV(TK, V, 1);
    if (error) return;
    const double S4 = S, a4 = soundSpeed, gamma4 = Cp / Cv, V4 = V;
    vornex::cprintf("gamma2 : %lf\n", gamma4);
    vornex::cprintf("mu2    : %lf\n", (gamma4 - 1) / (gamma4 + 1));
    ShockTubeContext context;
    context.a4 = a4;
    context.gamma4 = gamma4;
    context.P4 = Pbar;
    Secant solver;
    solver.equation = this;
    solver.function = static_cast<EquationFunction>(&WagnerPruss::equationForShockWave);
    solver.context = &context;
    solver.x0 = Pbar;
    solver.x1 = 0.99 * Pbar;
    solver.itermax = 15;
    solver.tolerance = 1e-10;
    solver.xmin = -1e15;
    solver.xmax = 1e15;
    solver.relaxation = 1.0;
    solver.minrelaxation = 0.01;
    const double x = solver.solve();
    if (solver.error != 0) {
        error = 1;
        return;
    }
    equationForShockWave(x, &context);  // the slots at the root itself
    error = 0;
    const double y = context.x, u = context.u;
    const AirShock air = airShock(y);
    vornex::cprintf("P shock wave            : %lf\n", y);
    vornex::cprintf("Particle velocity       : %lf\n", u);
    vornex::cprintf("Shock strength          : %lf\n", y);
    vornex::cprintf("Velocity of shocked air : %lf\n", air.particleVelocity);
    vornex::cprintf("Mach number             : %lf\n", air.mach);
    vornex::cprintf("Shock velocity          : %lf\n", air.shockVelocity);
    vornex::cprintf("Density compressed air  : %lf\n", air.density);
    vornex::cprintf("T compressed air        : %lf\n", air.temperature);
    isentropicPointFrom(*this, y, S4, TK, Pbar, V4, gamma4, true);
    if (!error) {
        TisenGuess = T;
        VisenGuess = V;
    }
    if (table != nullptr && !error)
        vornex::cfprintf(table,
                         "%12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f %12f\n",
                         Pbar, TK, y, u, y, air.particleVelocity, air.mach, air.shockVelocity,
                         air.density, air.temperature, T, V * 1e6, V4 * 1e6, S4 / 18.0);
}

namespace {

constexpr const char* kShockNames[14] = {
    "Pmagma(1)", "Tmagma(2)", "Pshock(3)", "u4(4)",       "y(5)",        "u(6)",        "M(7)",
    "U(8)",      "rho(9)",    "Tatm(10)",  "Tfmagma(11)", "Vfmagma(12)", "Vimagma(13)", "s(14)"};
constexpr const char* kShockWaves[14] = {"Pm", "Tm",  "ps",   "u4",  "y",   "u",  "M",
                                         "Us", "rho", "Tatm", "Tfm", "Vfm", "Vi", "s"};

// The end of a shock-wave sweep of `points` of which `missing` had no shock wave: a sweep
// without any writes no file, one with some missing is written and fails, said on standard
// error with `what` (the sweep) and `unit` (its points) and the footer written first.
bool finishShockSweep(OutputFile& file, int points, int missing, const std::string& what,
                      const char* unit, const char* footer) {
    if (missing == points) {
        vornex::cfprintf(stderr, "%s: no shock wave at any of its %d %s\n", what.c_str(), points,
                         unit);
        file.abandon();
        return false;
    }
    if (footer != nullptr) file.print("%s", footer);
    const bool written = file.commit();
    if (missing == 0) return written;
    vornex::cfprintf(stderr, "%s: %d of its %d %s have no shock wave\n", what.c_str(), missing,
                     points, unit);
    return false;
}

}  // namespace

bool WagnerPruss::calculateShockWaveIsobar(double Pbar, double T0, double T1, char ascending,
                                           char igor, const char* suffix) {
    const KeptPhaseSelector kept(*this);
    const char* s = suffix == nullptr ? "" : suffix;
    if (!(Pbar > 0.0) || !validRange(T0, T1) || T1 - T0 > kMaxSweepSteps) {
        vornex::cfprintf(stderr, "Shock-wave isobar: needs P > 0 and T0 <= T1\n");
        return false;
    }
    if (!OutputFiles::checkSuffix(s)) return false;
    char name[64];
    vornex::csnprintf(name, sizeof name, ascending ? "shockp%.0f" : "shocko%.0f", Pbar);
    // The suffix names the file as it names the waves: two sweeps at one pressure with
    // their own suffixes keep their own tables.
    OutputFile file;
    if (!file.open(std::string(name) + s)) return false;
    if (igor == 1) {
        file.print("IGOR\nWAVES");
        for (int i = 0; i < 14; ++i) file.print(i == 0 ? " %5s%s" : " %10s%s", kShockWaves[i], s);
        file.print("\nBEGIN\n");
    } else {
        file.print("#");
        for (int i = 0; i < 14; ++i) file.print(i == 0 ? " %10s" : " %12s", kShockNames[i]);
        file.print("\n");
    }
    set_the_phase_as(2);
    Vl0 = 1.85e-5;
    // As along an isotherm, a temperature without a shock wave is counted: the sweep fails
    // saying how many there are, and one without any writes no file.
    int points = 0, missing = 0;
    if (ascending) {
        TisenGuess = T0;
        VisenGuess = 1.85e-5;
        bool failing = false;
        for (double T = T0; T <= T1; T += 1.0, ++points) {
            calculateShockWave(T, Pbar, file.stream());
            if (error) ++missing;
            if (error && !failing) {
                if (igor == 1) {
                    for (int i = 0; i < 14; ++i) file.print(i == 0 ? "%12s" : " %12s", "nan");
                }
                file.print("\n");
            }
            failing = error != 0;
        }
    } else {
        TisenGuess = Pbar <= 500 ? 760.0 : Pbar <= 2000 ? 600.0 : 550.0;
        VisenGuess = Pbar <= 500 ? 0.0028 : Pbar <= 2000 ? 0.0008 : 0.000433;
        for (double T = T1; T > T0; T -= 1.0, ++points) {
            calculateShockWave(T, Pbar, file.stream());
            if (error) {
                ++missing;
                file.print("\n");
            }
        }
    }
    const bool whole = finishShockSweep(
        file, points, missing, cformat("Shock-wave isobar %g bar from %g to %g K", Pbar, T0, T1),
        "temperatures", igor == 1 ? "END\n" : nullptr);
    if (!whole) error = 1;
    return whole;
}

bool WagnerPruss::calculateShockWaveIsotherm(double TK, double P0, double P1) {
    if (!(P0 > 0.0) || !validRange(P0, P1) || P1 - P0 > kMaxSweepSteps) {
        vornex::cfprintf(stderr, "Shock-wave isotherm: needs 0 < P0 <= P1\n");
        return false;
    }
    OutputFile file;
    if (!file.open("shockt")) return false;
    // Every row holds the fourteen values the header names.
    file.print("#");
    for (int i = 0; i < 14; ++i) file.print(i == 0 ? " %10s" : " %12s", kShockNames[i]);
    file.print("\n");
    // A point without a shock wave has no row: the run says how many there are and fails,
    // after writing the rest; a run without any writes no file.
    int points = 0, missing = 0;
    for (double p = P1; p >= P0; p -= 1.0, ++points) {
        calculateShockWave(TK, p, file.stream());
        if (error) ++missing;
    }
    const bool whole = finishShockSweep(
        file, points, missing, cformat("Shock-wave isotherm %g K from %g to %g bar", TK, P0, P1),
        "pressures", nullptr);
    if (!whole) error = 1;
    return whole;
}

}  // namespace vornex

// Expansion of saturated liquid and saturated steam to an exit pressure (reversible along
// the isentrope, irreversible against the exit pressure), and the work of water exsolving
// from a melt.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/Metastability.h"
#include "numerics/Decimal.h"
#include "numerics/Diagnostics.h"
#include "numerics/LinearAlgebra.h"
#include "numerics/Solver.h"
#include "numerics/StandardOutput.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

struct ExpansionEnd {
    double x, xi, Wrev, Wirr, dH;  // fractions, J/g
};

// Isentropic and irreversible ends of the state (V0, U0, S0, H0) expanded to the exit.
ExpansionEnd expandTo(WaterEOS& w, const SaturationEnds& ex, double V0, double U0, double S0,
                      double H0) {
    const double M = w.M;
    ExpansionEnd e{};
    e.x = w.calculateIsentropicVaporization(S0, ex.Ul, ex.Uv, ex.Hl, ex.Hv, ex.Sl, ex.Sv,
                                            ex.Vl * 1e6, ex.Vv * 1e6);
    const bool outside = e.x < 0.0 || e.x > 1.0;
    e.x = std::fmin(1.0, std::fmax(0.0, e.x));
    e.Wrev = outside ? 0.0 : (U0 - ex.energy(e.x)) * 0.001 / M;
    e.dH = (H0 - SaturationEnds::lever(e.x, ex.Hl, ex.Hv)) * 0.001 / M;
    e.xi = ex.irreversibleFraction(V0, U0);
    e.Wirr = -ex.irreversibleWork(e.xi, V0) * 0.001 / M;
    return e;
}

// The four ends of a saturated expansion, each value times scale, in percent.
void printFractionLines(double liquid, double liquidIrr, double steam, double steamIrr,
                        double scale) {
    const char* const ends[] = {
        "liquid (isentropic decompression)  ", "liquid (irreversible decompression)",
        "steam  (isentropic decompression)  ", "steam  (irreversible decompression)"};
    const double values[] = {liquid, liquidIrr, steam, steamIrr};
    for (int i = 0; i < 4; ++i)
        vornex::cprintf("\t- for an initial saturated %s  : %8.2f %%\n", ends[i], values[i] * scale);
}

// Close to the critical point the general saturation search stops on its step test even
// where its state already coexists (the system is nearly singular there), and from the
// usual start it does not converge at all. Here the two phases are solved directly, by
// Newton on the pressures of both and the equality of their Gibbs energies, walking up from
// kNearCriticalStart in small pressure steps, each started from the last state
// extrapolated.
constexpr double kNearCriticalStart = 220.0;  // bar
constexpr double kNearCriticalStep = 0.005;   // bar
constexpr double kCoexistenceTolerance = 1e-11;

struct Coexistence {
    double T, Vl, Vv;  // K, m3/mol
};

bool solveCoexistence(WaterEOS& w, double PPa, Coexistence& c) {
    for (int iteration = 0; iteration < 40; ++iteration) {
        struct Side {
            double P, G, S, dPdV, dPdT;
        } side[2];
        const double volumes[2] = {c.Vl, c.Vv};
        for (int k = 0; k < 2; ++k) {
            w.error = 0;
            w.calculateFromTV(c.T, volumes[k], 0);
            if (w.error || !std::isfinite(w.P) || !std::isfinite(w.G)) return false;
            side[k] = {w.P, w.G, w.S, w.dPdV, -w.ATv};
        }
        const double RT = kGasConstant * c.T;
        double residual[3] = {(side[0].P - PPa) / PPa, (side[1].P - PPa) / PPa,
                              (side[0].G - side[1].G) / RT};
        if (std::fabs(residual[0]) < kCoexistenceTolerance &&
            std::fabs(residual[1]) < kCoexistenceTolerance &&
            std::fabs(residual[2]) < kCoexistenceTolerance)
            return c.Vv > c.Vl;
        // Unknowns Vl, Vv, T; dG/dV = V dP/dV and dG/dT = -S + V dP/dT at constant V.
        double row0[3] = {side[0].dPdV / PPa, 0.0, side[0].dPdT / PPa};
        double row1[3] = {0.0, side[1].dPdV / PPa, side[1].dPdT / PPa};
        double row2[3] = {
            c.Vl * side[0].dPdV / RT, -c.Vv * side[1].dPdV / RT,
            (-side[0].S + c.Vl * side[0].dPdT + side[1].S - c.Vv * side[1].dPdT) / RT};
        double* matrix[3] = {row0, row1, row2};
        for (double& r : residual) r = -r;
        double step[3] = {0.0, 0.0, 0.0};
        int failed = 0;
        solve_the_linear_system(matrix, residual, step, 3, failed);
        if (failed != 0 || !std::isfinite(step[0] + step[1] + step[2])) return false;
        // Keep both volumes positive and apart, halving a step that would cross them.
        double lambda = 1.0;
        while (lambda > 1e-6 && !(c.Vl + lambda * step[0] > 0.0 &&
                                  c.Vv + lambda * step[1] > c.Vl + lambda * step[0]))
            lambda *= 0.5;
        c.Vl += lambda * step[0];
        c.Vv += lambda * step[1];
        c.T += lambda * step[2];
    }
    return false;
}

bool saturationTemperatureNearCritical(WaterEOS& w, double Pbar) {
    w.error = 0;
    w.calculateTheSaturationTemperature(kNearCriticalStart, 0);
    if (w.error) return false;
    double p = kNearCriticalStart;
    Coexistence c{w.T, w.Vl, w.Vv}, change{0.0, 0.0, 0.0};
    const int steps = static_cast<int>(std::ceil((Pbar - p) / kNearCriticalStep));
    for (int k = 0; k < steps; ++k) {
        const double next = k + 1 == steps ? Pbar : p + kNearCriticalStep;
        const double f = (next - p) / kNearCriticalStep;
        Coexistence trial{c.T + f * change.T, c.Vl + f * change.Vl, c.Vv + f * change.Vv};
        if (!solveCoexistence(w, next * 1e5, trial)) {
            diagnostic("Saturation near the critical point: no state at %.4f bar\n", next);
            return false;
        }
        change = {(trial.T - c.T) / f, (trial.Vl - c.Vl) / f, (trial.Vv - c.Vv) / f};
        c = trial;
        p = next;
    }
    // The state as the general search leaves it: both volumes, the vapour's T and P.
    w.Vl = c.Vl;
    w.Vv = c.Vv;
    w.calculateFromTV(c.T, c.Vv, 0);
    return w.error == 0;
}

double steamVolumePercent(double x, const SaturationEnds& ex) {
    return (1.0 - x * ex.Vl / ((1.0 - x) * ex.Vv + x * ex.Vl)) * 100.0;
}

}  // namespace

bool saturationTemperatureAtP(WaterEOS& w, double Pbar) {
    w.error = 0;
    w.calculateTheSaturationTemperature(Pbar, 0);
    if (!w.error && w.Vv > w.Vl) return true;
    if (Pbar > kNearCriticalStart && saturationTemperatureNearCritical(w, Pbar)) return true;
    w.error = 1;
    return false;
}

void WaterEOS::calculateSaturationExpansionWorkForPex(
    double Vl0, double Vv0, double Ul0, double Uv0, double Sl0, double Sv0, double Hl0, double Hv0,
    double Pex, double Vlex, double Vvex, double Ulex, double Uvex, double Hlex, double Hvex,
    double Slex, double Svex, double& xl, double& xil, double& xv, double& xiv, double& Wrevl,
    double& Wirrl, double& Wrevv, double& Wirrv, double& dHl, double& dHv) {
    SaturationEnds ex;
    ex.P = Pex;
    ex.Vl = Vlex;
    ex.Vv = Vvex;
    ex.Ul = Ulex;
    ex.Uv = Uvex;
    ex.Hl = Hlex;
    ex.Hv = Hvex;
    ex.Sl = Slex;
    ex.Sv = Svex;
    const ExpansionEnd l = expandTo(*this, ex, Vl0, Ul0, Sl0, Hl0);
    const ExpansionEnd v = expandTo(*this, ex, Vv0, Uv0, Sv0, Hv0);
    xl = l.x;
    xil = l.xi;
    Wrevl = l.Wrev;
    Wirrl = l.Wirr;
    dHl = l.dH;
    xv = v.x;
    xiv = v.xi;
    Wrevv = v.Wrev;
    Wirrv = v.Wirr;
    dHv = v.dH;
}

void WaterEOS::calculateSaturationExpansionWork(double V1, double V2, double U1, double U2,
                                                double S1, double S2, double& x1, double& xi1,
                                                double& x2, double& xi2, double& W1, double& Wi1,
                                                double& W2, double& Wi2) {
    const SaturationEnds ex = fixedOneBarSaturation();
    const ExpansionEnd a = expandTo(*this, ex, V1, U1, S1, 0.0);
    const ExpansionEnd b = expandTo(*this, ex, V2, U2, S2, 0.0);
    x1 = a.x;
    xi1 = a.xi;
    W1 = a.Wrev;
    Wi1 = a.Wirr;
    x2 = b.x;
    xi2 = b.xi;
    W2 = b.Wrev;
    Wi2 = b.Wirr;
}

bool WaterEOS::calculateSaturatedExpansionWork(double TK, double Pbar, WaterSaturationResult* r,
                                               double Pex) {
    const bool console = r == nullptr;
    if (!std::isfinite(TK) || !std::isfinite(Pbar) || !(Pex > 0.0) || TK < 0.0 || Pbar < 0.0 ||
        (TK == 0.0 && Pbar == 0.0)) {
        if (console) vornex::cfprintf(stderr, "Saturated expansion needs a temperature or a pressure\n");
        error = 1;
        return false;
    }
    // The works are differences of whole energies and the fractions come from entropies.
    if (!givesWholeEnergies("Saturated expansion")) return false;
    SaturationEnds ex;
    if (!saturationEndsAtP(*this, Pex, ex)) {
        if (console)
            vornex::cfprintf(stderr, "No saturation state at the exit pressure %.2f bar\n", Pex);
        error = 1;
        return false;
    }
    // A temperature typed to the thousandth of a kelvin.
    constexpr double kCriticalTemperatureDigits = 5e-4;
    auto critical = [this] {
        error = 0;
        temperature(Tcrit);  // the start of the model's critical search
        volume(Vcrit);
        search_the_critical_point_of_the_pure_component();
        Vl = Vv = V;
    };
    if (Pbar != 0.0) {
        if (Pbar > 220.64) {
            if (console)
                vornex::cfprintf(stderr,
                             "The pressure (%6.2f bar) is above the critical pressure (220.64 "
                             "bar): no saturated state.\n",
                             Pbar);
            error = 1;
            return false;
        }
        if (Pbar <= 220.6) {
            saturationTemperatureAtP(*this, Pbar);
        } else {
            critical();
        }
        if (console && !error) {
            std::puts(Pbar <= 220.6 ? "Saturation properties:"
                                    : "Saturation properties (critical state):");
            vornex::cprintf("Temperature %6.2f deg.C, %6.2f K \n", T - 273.15, T);
            vornex::cprintf("Pressure    %6.2f bar \n", P * 1e-5);
        }
    } else {
        // Above the critical temperature there is neither saturated liquid nor steam.
        if (TK > kWaterCriticalTemperature) {
            if (console)
                vornex::cfprintf(stderr,
                             "The temperature (%6.2f deg. C, %6.2f K) is above the critical "
                             "temperature (%6.3lf deg. C, 647.096 K): no saturated state.\n",
                             TK - 273.15, TK, kWaterCriticalTemperature - 273.15);
            error = 1;
            return false;
        }
        // At the critical temperature (to the digits typed) the curve ends in the critical
        // state, as it does at the critical pressure.
        const bool atCritical = std::fabs(TK - kWaterCriticalTemperature) < kCriticalTemperatureDigits;
        if (atCritical) {
            critical();
        } else {
            temperature(TK);
            calculateTheSaturationPressure(TK);
        }
        if (console && !error) {
            if (atCritical) std::puts("Saturation properties (critical state):");
            vornex::cprintf("Temperature %6.2f deg. C, %6.2f K\n", T - 273.15, T);
            vornex::cprintf("Pressure    %6.2f bar \n", P * 1e-5);
        }
    }
    if (error || !std::isfinite(T) || !std::isfinite(P) || !(Vl > 0.0) || !std::isfinite(Vv)) {
        if (console) {
            // A pressure alone places the saturation state below the range when it lies under
            // the triple point's: the liquid would be colder than the melting line.
            std::string outside;
            if (TK > 0.0)
                outside = outsideWaterRange(TK, 0.0);
            else if (Pbar < 0.00611657)
                outside =
                    "below the triple-point pressure (0.00611657 bar) the saturated liquid lies "
                    "in the region of ice Ih, outside the published range of the water equation";
            vornex::cfprintf(stderr, "No saturation state found%s%s\n", outside.empty() ? "" : "; ",
                         outside.c_str());
        }
        error = 1;
        return false;
    }
    const double Ts = T, Ps = P, Vliquid = Vl, Vvapour = Vv;
    const double g = M * 1000.0;
    if (console) {
        vornex::cprintf("Liquid %12.4lf cm3/mol     %12.4lf cm3/g     %12.4lf g/cm3\n", Vliquid * 1e6,
                    Vliquid * 1e6 / g, g / (Vliquid * 1e6));
        vornex::cprintf("Steam  %12.4lf cm3/mol     %12.4lf cm3/g     %12.4lf g/cm3\n", Vvapour * 1e6,
                    Vvapour * 1e6 / g, g / (Vvapour * 1e6));
    }
    const bool belowExit = Ps < ex.P;
    if (console) {
        flushStandardOutput();
        noteOutsideWaterRange(TK > 0.0 ? "psat" : "tsat", "the saturation state", Ts, Ps * 1e-5);
        if (belowExit)
            std::fputs("The pressure is below the atmospheric pressure. No work is produced.\n",
                       stderr);
    }
    calculateFromTV(Ts, Vliquid, 0);
    const double Ul = U, Hl = H, Sl = S, Al = A, Gl = G, Cvl = Cv, Cpl = Cp;
    const double fl = fugacity.empty() ? 0.0 : fugacity[0];
    const double phil = fugacityCoefficient.empty() ? 0.0 : fugacityCoefficient[0];
    calculateFromTV(Ts, Vvapour, 0);
    const double Uv = U, Hv = H, Sv = S;
    const ExpansionEnd l = expandTo(*this, ex, Vliquid, Ul, Sl, Hl);
    const ExpansionEnd v = expandTo(*this, ex, Vvapour, Uv, Sv, Hv);
    if (console) {
        // Below the exit pressure nothing expands: the liquid stays liquid, the steam steam.
        // The final mixture is the saturation at the exit pressure, at its own temperature.
        vornex::cprintf("\nSteam mass %% of the final liquid-steam at %.2f°C and %g bar:\n",
                    ex.T - 273.15, ex.P * 1e-5);
        if (belowExit)
            printFractionLines(0.0, 0.0, 1.0, 1.0, 100.0);
        else
            printFractionLines(1.0 - l.x, 1.0 - l.xi, 1.0 - v.x, 1.0 - v.xi, 100.0);
        vornex::cprintf("Steam volume %% of the final liquid-steam at %.2f°C and %g bar:\n",
                    ex.T - 273.15, ex.P * 1e-5);
        if (belowExit)
            printFractionLines(0.0, 0.0, 100.0, 100.0, 1.0);
        else
            printFractionLines(steamVolumePercent(l.x, ex), steamVolumePercent(l.xi, ex),
                               steamVolumePercent(v.x, ex), steamVolumePercent(v.xi, ex), 1.0);
        vornex::cprintf(
            "Liquid expansion work (reversible) : %8.2f  J/g      (irreversible) %8.2f  J/g \n",
            belowExit ? 0.0 : l.Wrev, belowExit ? 0.0 : l.Wirr);
        vornex::cprintf(
            "Steam  expansion work (reversible) : %8.2f  J/g      (irreversible) %8.2f  J/g \n",
            belowExit ? 0.0 : v.Wrev, belowExit ? 0.0 : v.Wirr);
        return true;
    }
    r->P = Ps * 1e-5;
    r->T = Ts;
    r->Vl = Vliquid * 1e6;
    r->Vv = Vvapour * 1e6;
    r->vl = r->Vl / g;
    r->vv = r->Vv / g;
    r->rhol = 1.0 / r->vl;
    r->rhov = 1.0 / r->vv;
    r->Ul = Ul;
    r->Hl = Hl;
    r->Al = Al;
    r->Gl = Gl;
    r->Cvl = Cvl;
    r->Cpl = Cpl;
    r->Sl = Sl;
    r->Uv = Uv;
    r->Hv = Hv;
    r->Av = A;
    r->Gv = G;
    r->Cvv = Cv;
    r->Cpv = Cp;
    r->Sv = Sv;
    r->fugacityl = fl;
    r->phil = phil;
    r->Vlex = ex.Vl * 1e6;
    r->Vvex = ex.Vv * 1e6;
    r->belowExit = belowExit ? 1 : 0;
    if (belowExit) {
        r->steamMassl = r->steamMassIrrl = r->steamVolumel = r->steamVolumeIrrl = 0.0;
        r->steamMassv = r->steamMassIrrv = r->steamVolumev = r->steamVolumeIrrv = 100.0;
        r->Wrevl = r->Wirrl = r->Wrevv = r->Wirrv = 0.0;
        return true;
    }
    r->steamMassl = (1.0 - l.x) * 100.0;
    r->steamMassIrrl = (1.0 - l.xi) * 100.0;
    r->steamMassv = (1.0 - v.x) * 100.0;
    r->steamMassIrrv = (1.0 - v.xi) * 100.0;
    r->steamVolumel = steamVolumePercent(l.x, ex);
    r->steamVolumeIrrl = steamVolumePercent(l.xi, ex);
    r->steamVolumev = steamVolumePercent(v.x, ex);
    r->steamVolumeIrrv = steamVolumePercent(v.xi, ex);
    r->Wrevl = l.Wrev;
    r->Wirrl = l.Wirr;
    r->Wrevv = v.Wrev;
    r->Wirrv = v.Wirr;
    return true;
}

// ------------------------------------------------------------------- exsolution

namespace {

struct ExsolutionContext {
    double P, V0, W;  // bar, m3/mol, J/g
};

}  // namespace

bool WaterEOS::calculateExsolutionWork(double TK, double Pbar, double V0) {
    const KeptPhaseSelector side(*this);
    if (!std::isfinite(TK) || !std::isfinite(Pbar) || TK <= 0.0 || Pbar <= 0.0) {
        vornex::cfprintf(stderr, "Exsolution needs a positive temperature and pressure\n");
        return false;
    }
    set_the_phase_as(1);
    calculateFromTP(TK, Pbar, 0);
    if (error || !holdsPhysicalState()) {
        const std::string outside = outsideWaterRange(TK, Pbar);
        vornex::cfprintf(stderr, "exsol failed: no state of water at %.2f K and %.2f bar%s%s\n", TK,
                     Pbar, outside.empty() ? "" : "; ", outside.c_str());
        error = 1;
        return false;
    }
    // The pressure asked for is judged as asked, as the TP command judges it: the solved one
    // may lie a rounding beyond a bound it is not.
    noteOutsideWaterRange("exsol", "the state", TK, Pbar);
    // The free water is sought as steam: below its saturation pressure's temperature that
    // root is a supercooled vapour, said as the TP command says it.
    const Metastability stability = compareWithStableState(*this);
    error = 0;
    set_the_phase_as(1);
    calculateFromTP(TK, Pbar, 0);
    vornex::cprintf("\n");
    dump();
    if (stability.metastable) {
        vornex::cprintf("%s\n", stability.report("liquid", "steam").c_str());
        flushStandardOutput();
        vornex::cfprintf(stderr, "exsol: the water at %g deg. C and %g bar is metastable\n",
                     TK - 273.15, Pbar);
    }
    const double w = -P * (V - V0);
    vornex::cprintf("\n");
    vornex::cprintf("Exsolution work : %8.2f J/g of water\n", -w * 0.001 / M);
    vornex::cprintf("Cooling (1)     : %8.2f deg. C by percent of exsolved H2O\n",
                -0.01 * w / (1200.0 * M));
    vornex::cprintf("        (2)     : %8.2f deg. C by percent of exsolved H2O\n",
                0.01 * (10000.0 - w) / (1200.0 * M));
    vornex::cprintf("(1) by ignoring the enthalpy of exsolution of water.\n");
    vornex::cprintf("(2) by assuming an enthalpy of exsolution of 10 kJ/mole of water.\n\n");
    return true;
}

double WaterEOS::equationForExsolutionWork(double TK, void* context) {
    const ExsolutionContext& c = *static_cast<const ExsolutionContext*>(context);
    set_the_phase_as(1);
    calculateFromTP(TK, c.P, 0);
    if (error) {
        equationError = 1;
        return 0.0;
    }
    return (V - c.V0) * P * 0.001 / M - c.W;
}

void WaterEOS::calculateTemperatureForGivenExsolutionWorkAndPressure(double W, double Pbar,
                                                                     double V0) {
    pressure(Pbar);
    ExsolutionContext c{Pbar, V0, W};
    Secant s =
        waterSecant(*this, &WaterEOS::equationForExsolutionWork, &c, T, T + 1.0, 15, 1e-9, false);
    const double root = s.solve();
    error = s.error != 0 ? 1 : 0;
    if (!error) T = root;
}

void WaterEOS::calculateExsolutionWorkIsoCurve(double W, double T0, double P0, double P1, double dP,
                                               double V0, CurveArray** curve) {
    if (curve == nullptr) return;
    *curve = new CurveArray();
    (*curve)->reserve(50);
    if (!(dP > 0.0) || !std::isfinite(P0) || !std::isfinite(P1)) return;
    temperature(T0);
    int steps = 0;
    for (double Pbar = P0; Pbar <= P1 && steps < 100000; Pbar += dP, ++steps) {
        calculateTemperatureForGivenExsolutionWorkAndPressure(W, Pbar, V0);
        if (error) break;
        const double TK = T;
        temperature(TK);
        (*curve)->push_back(TK);
        (*curve)->push_back(Pbar);
    }
}

}  // namespace vornex

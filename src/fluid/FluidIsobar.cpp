// The isobar traced in the (T, V) plane through both phases: temperature steps where the
// isobar is flat in V, volume steps where it is steep, halved steps after a failed solve,
// and a change of phase where even small steps fail.

#include <cmath>
#include <cstdio>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"

namespace vornex {

namespace {
// A trace that neither reaches its bounds nor fails is stopped after this many points.
constexpr int kMaxIsobarPoints = 100000;
constexpr double kSmallestStepFraction = 1e-4;
}  // namespace

bool FluidPhase::crossToOtherPhase(double Pbar, double TK, double heading, bool toVapour,
                                   double Vunstable, double dT) {
    // The other phase's root lies beyond the unstable state reached. Where a model's
    // spinodals overlap in temperature (near its critical point) it has none at TK: the
    // temperatures further along the isobar's heading are tried, up to 16 steps on.
    const double sense = heading > 0.0 ? 1.0 : -1.0;
    set_the_phase_as(toVapour ? 1 : 2);
    for (double move = 0.0; move <= 16.0 * dT; move = move == 0.0 ? 1e-3 * dT : 2.0 * move) {
        temperature(TK + sense * move);
        pressure(Pbar);
        calculate_molar_volume();
        if (error == 0 && dPdV < 0.0 && (toVapour ? V > Vunstable : V < Vunstable)) return true;
    }
    error = 0;
    return false;
}

void FluidPhase::calculate_TV_isobar(double Pbar, double TK, double Vm3, double Tmin, double Tmax,
                                     double Vmin, double Vmax, double dT, double dV,
                                     char stopAtInstability, char mode, const char* suffix,
                                     CurveArray* array) {
    if (!(dT != 0.0 && dV != 0.0 && std::isfinite(dT) && std::isfinite(dV))) {
        vornex::cfprintf(stderr,
                     "Isobar %lf : the steps dT %lg and dV %lg must be finite and non-zero\n", Pbar,
                     dT, dV);
        error = 1;
        return;
    }
    const double slopeLimit = std::fabs(dV / dT);
    const double keptVl0 = Vl0, keptVv0 = Vv0;

    pressure(Pbar);
    temperature(TK);
    volume(Vm3);
    Vl0 = Vm3;
    calculate_molar_volume();
    if (error != 0) {
        calculate_temperature();
        if (error != 0) vornex::cfprintf(stderr, "Isobar %lf : calculation failure\n", Pbar);
    }

    CurveOutput out(mode == kIgorText || mode == kColumnTable || mode == kCurveArray ? mode : 0,
                    array);
    const bool opened = out.open("isob", suffix);
    const char* s = suffix == nullptr ? "" : suffix;
    if (out.isIgor()) {
        out.print("IGOR\nWAVES %5s%s", "V", s);
        for (const char* name : {"T", "P", "A", "H", "U", "S", "G", "Cv", "Cp", "fug", "phi", "jt"})
            out.print("\t%11s%s", name, s);
        out.print("\nBEGIN\n");
    } else {
        out.print("# %10s", "V(1)");
        for (const char* name : {"T(2)", "P(3)", "A(4)", "H(5)", "U(6)", "S(7)", "G(8)", "Cv(9)",
                                 "Cp(10)", "fug(11)", "phi(12)", "jt(13)"})
            out.print("\t%12s", name);
        out.print("\n");
    }

    int points = 0;
    double lastT = T, lastV = V;  // the point before, for the direction of the next step
    // The last mechanically stable point, and whether the isobar has gone over to the other
    // phase already.
    double stableT = 0.0, stableV = 0.0, earlierStableT = 0.0;
    bool stableSeen = false, crossed = false;
    while (opened && error == 0 && Tmin <= T && T <= Tmax && Vmin < V && V < Vmax) {
        if (++points > kMaxIsobarPoints) {
            vornex::cfprintf(stderr, "Isobar %lf : stopped after %d points\n", Pbar, kMaxIsobarPoints);
            break;
        }
        calculate_fugacities();
        const double slope = -dPdT / dPdV;  // dV/dT along the isobar
        calculate_state_functions();
        if (dPdV >= 0) {
            if (stopAtInstability) break;
            if (stableSeen) {
                // Past a spinodal the isobar leaves the stable states of its phase: it goes
                // over to the other phase at the temperature of the last stable point, on
                // the side it was heading for, instead of following the unstable states,
                // whose isobar (of a multi-parameter equation) may wander back into the
                // liquid. It crosses once; a second spinodal ends it.
                if (crossed) break;
                const double heading = stableT - earlierStableT;
                const bool toVapour = V > stableV;
                const double sense = heading != 0.0 ? (heading > 0.0 ? 1.0 : -1.0)
                                                    : (toVapour ? 1.0 : -1.0);
                if (crossToOtherPhase(Pbar, stableT, sense, toVapour, V, std::fabs(dT))) {
                    crossed = true;
                    // The way on keeps the temperature's heading: the jump between the two
                    // phases' volumes tells nothing of the course of the new branch (below
                    // water's density maximum the liquid shrinks as it warms).
                    lastT = T - sense * std::fabs(dT);
                    lastV = V;
                    continue;
                }
                vornex::cfprintf(stderr, "Isobar %lf : no %s beyond the spinodal near %lg K\n", Pbar,
                             V > stableV ? "vapour" : "liquid", stableT);
                error = 1;
                break;
            }
        } else {
            out.print(
                "%12lg\t%12lg\t%12f\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t"
                "%12lg\t%12lg\n",
                V * 1e6, T, P * 1e-5, A / 1000, H / 1000, U / 1000, S, G / 1000, Cv, Cp,
                fugacity[0] * 1e-5, fugacity[0] / P, jouleThomson);
            out.row({V * 1e6, T, P * 1e-5, A, H, U, S, G, Cv, Cp, fugacity[0] * 1e-5, M / V,
                     jouleThomson});
            earlierStableT = stableSeen ? stableT : T;
            stableT = T;
            stableV = V;
            stableSeen = true;
        }

        // Next point: a temperature step where the isobar is flat in V, else a volume step;
        // the steps keep to the direction of the isobar.
        const double T0 = T, V0 = V;
        const bool temperatureStep = std::fabs(slope) < slopeLimit;
        if (temperatureStep && dV * slope * dT < 0) dV = -dV;
        if (!temperatureStep && dT * slope * dV < 0) dT = -dT;
        // Where the step changes its kind at a turning point of the isobar, the signs kept
        // above may point back along the curve: the way on continues the last step (in
        // units of the two steps).
        if (points > 1) {
            const double stepT = temperatureStep ? dT : dV / slope;
            const double stepV = temperatureStep ? slope * dT : dV;
            if ((T0 - lastT) * stepT / (dT * dT) + (V0 - lastV) * stepV / (dV * dV) < 0) {
                dT = -dT;
                dV = -dV;
            }
        }
        lastT = T0;
        lastV = V0;
        // A temperature step solves the volume next to its prediction, on the branch the
        // isobar follows: the volume search of the fluid gives the stable root of its
        // selector's side, which may lie on the other branch (the liquid again, where a
        // multi-parameter equation's unstable isobar turns back).
        auto volumeNear = [&](double Vn, double reach) {
            const double target = P;
            double Vt = Vn;
            for (int iteration = 0; iteration < 50; ++iteration) {
                double Pcalc = 0.0;
                if (!pressureAndSlopeAt(Vt, Pcalc) || !(dPdV != 0.0)) break;
                const double move = -(Pcalc - target) / dPdV;
                if (!std::isfinite(move) || std::fabs(Vt + move - Vn) > reach) break;
                Vt += move;
                if (std::fabs(move) <= 1e-12 * Vt) {
                    volume(Vt);
                    P = target;
                    return true;
                }
            }
            volume(Vn);
            P = target;
            error = 1;
            return false;
        };
        bool pastSpinodal = false;
        auto step = [&](double h) {
            const double Tn = temperatureStep ? T0 + h * dT : T0 + h * dV / slope;
            const double Vn = temperatureStep ? V0 + slope * h * dT : V0 + h * dV;
            temperature(Tn);
            volume(Vn);
            pressure(Pbar);
            if (!temperatureStep) {
                calculate_temperature();
                // Its temperature too lies within a temperature step of its prediction: the
                // solve may end on a far state of the same isobar (Hill's water at 300 bar: 637
                // K from 218 K, at its cold liquid's spinodal), which it would trace again.
                if (error == 0 && std::fabs(T - Tn) > std::fmax(std::fabs(Tn - T0), std::fabs(dT)))
                    error = 1;
            } else {
                (phase == 2 ? Vl0 : Vv0) = Vn;
                error = 0;
                // The answer lies within the step's own length of its prediction.
                volumeNear(Vn, std::fmax(std::fabs(Vn - V0), 1e-4 * V0));
            }
            // An isobar that ends at its spinodal takes no state beyond it: a step that lands
            // on an unstable state, or whose temperature turns back against the step's, is
            // halved until the smallest step does, where the spinodal is reached. Ended at the
            // first such landing, the trace stopped short of it (water's steam at 215 bar at
            // 645 K, 0.06 K above its saturation and 0.2 K above its spinodal). Along one
            // branch the temperature runs one way up to the spinodal; a volume step across the
            // narrow loop near the critical point lands on the other branch (Keenan's steam at
            // 220 bar, from 646.938 K at 62.35 cm3/mol, on its liquid at 646.962 K), which the
            // trace would follow back down.
            double Pcalc = 0.0;
            pastSpinodal = error == 0 && stopAtInstability &&
                           (!(pressureAndSlopeAt(V, Pcalc) && dPdV < 0.0) ||
                            (T != T0 && !((T - T0) * (Tn - T0) > 0.0)));
            if (pastSpinodal) error = 1;
        };
        step(1.0);
        bool spinodalReached = false;
        for (double h = 1.0; error != 0;) {
            error = 0;
            h /= 2;
            if (h >= kSmallestStepFraction) {
                step(h);
                continue;
            }
            // Even the smallest step lands beyond the spinodal: the isobar has reached it.
            if (pastSpinodal) {
                spinodalReached = true;
                break;
            }
            // Even small steps fail: the isobar leaves this phase; carry on in the other one.
            pressure(Pbar);
            set_the_phase_as(phase == 2 ? 1 : 2);
            if (temperatureStep)
                calculate_molar_volume();
            else
                calculate_temperature();
            // A failure here ends the isobar through the error flag.
            if (error != 0)
                vornex::cfprintf(stderr,
                             "Isobar %lf : no state of either phase beyond %lg K, %lg cm3/mol\n",
                             Pbar, T0, V0 * 1e6);
            break;
        }
        if (spinodalReached) break;
    }

    // A trace without a row is no isobar: its start lies beyond the bounds (from the vapour
    // side above some 40 kbar the fluid at 1500 K is denser than the lightest volume kept) or
    // is no stable state.
    if (opened && error == 0 && !stableSeen) {
        vornex::cfprintf(stderr,
                         "Isobar %lf : no row: the start at %lg K, %lg cm3/mol is no stable state "
                         "within %lg to %lg K and %lg to %lg cm3/mol\n",
                         Pbar, T, V * 1e6, Tmin, Tmax, Vmin * 1e6, Vmax * 1e6);
        error = 1;
    }
    if (out.isIgor()) out.print("END\n");
    if (!out.close() || !opened) error = 1;
    Vl0 = keptVl0;
    Vv0 = keptVv0;
}

}  // namespace vornex

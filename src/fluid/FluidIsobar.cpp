// The isobar traced in the (T, V) plane through both phases: temperature steps where the
// isobar is flat in V, volume steps where it is steep, halved steps after a failed solve,
// and a change of phase where even small steps fail.

#include <cmath>
#include <cstdio>

#include "fluid/CurveOutput.h"
#include "fluid/FluidPhase.h"

namespace vornex {

namespace {
// A trace that neither reaches its bounds nor fails is stopped after this many points.
constexpr int kMaxIsobarPoints = 100000;
constexpr double kSmallestStepFraction = 1e-4;
}  // namespace

void FluidPhase::calculate_TV_isobar(double Pbar, double TK, double Vm3, double Tmin, double Tmax,
                                     double Vmin, double Vmax, double dT, double dV,
                                     char stopAtInstability, char mode, const char* suffix,
                                     CurveArray* array) {
    if (!(dT != 0.0 && dV != 0.0 && std::isfinite(dT) && std::isfinite(dV))) {
        std::fprintf(stderr,
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
        if (error != 0) std::fprintf(stderr, "Isobar %lf : calculation failure\n", Pbar);
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
    while (opened && error == 0 && Tmin <= T && T <= Tmax && Vmin < V && V < Vmax) {
        if (++points > kMaxIsobarPoints) {
            std::fprintf(stderr, "Isobar %lf : stopped after %d points\n", Pbar, kMaxIsobarPoints);
            break;
        }
        calculate_fugacities();
        const double slope = -dPdT / dPdV;  // dV/dT along the isobar
        calculate_state_functions();
        if (dPdV >= 0) {
            if (stopAtInstability) break;
        } else {
            out.print(
                "%12lg\t%12lg\t%12f\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t%12lg\t"
                "%12lg\t%12lg\n",
                V * 1e6, T, P * 1e-5, A / 1000, H / 1000, U / 1000, S, G / 1000, Cv, Cp,
                fugacity[0] * 1e-5, fugacity[0] / P, jouleThomson);
            out.row({V * 1e6, T, P * 1e-5, A, H, U, S, G, Cv, Cp, fugacity[0] * 1e-5, M / V,
                     jouleThomson});
        }

        // Next point: a temperature step where the isobar is flat in V, else a volume step;
        // the steps keep to the direction of the isobar.
        const double T0 = T, V0 = V;
        const bool temperatureStep = std::fabs(slope) < slopeLimit;
        if (temperatureStep && dV * slope * dT < 0) dV = -dV;
        if (!temperatureStep && dT * slope * dV < 0) dT = -dT;
        auto solve = [&] {
            if (temperatureStep)
                calculate_molar_volume();
            else
                calculate_temperature();
        };
        auto step = [&](double h) {
            const double Tn = temperatureStep ? T0 + h * dT : T0 + h * dV / slope;
            const double Vn = temperatureStep ? V0 + slope * h * dT : V0 + h * dV;
            temperature(Tn);
            volume(Vn);
            pressure(Pbar);
            if (temperatureStep) (phase == 2 ? Vl0 : Vv0) = Vn;
            solve();
        };
        step(1.0);
        for (double h = 1.0; error != 0;) {
            error = 0;
            h /= 2;
            if (h >= kSmallestStepFraction) {
                step(h);
                continue;
            }
            // Even small steps fail: the isobar leaves this phase; carry on in the other one.
            pressure(Pbar);
            set_the_phase_as(phase == 2 ? 1 : 2);
            solve();
            break;  // a failure here ends the isobar through the error flag
        }
    }

    if (out.isIgor()) out.print("END\n");
    if (!out.close() || !opened) error = 1;
    Vl0 = keptVl0;
    Vv0 = keptVv0;
}

}  // namespace vornex

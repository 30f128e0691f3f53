// Checks of an equation of state in its limits: the second and third virial coefficients
// from Z at two very large volumes, the approach to the ideal gas at a very large volume,
// and the Gibbs energy and activities of a binary mixture across the composition range.

#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"

namespace vornex {

namespace {

// A temperature table never takes more rows than this.
constexpr int kMaxRows = 1000000;

struct Virial {
    double B0, B, C;  // m3/mol, m3/mol, m6/mol2
};

// From Z - 1 = B/V + C/V^2 at two volumes V1 > V2: B, and C = (Z1 - 1) V1^2 - V1 B.
void fitPair(FluidPhase& fluid, double V1, double V2, double& B, double& C, double& Z2) {
    fluid.volume(V1);
    fluid.calculate_pressure();
    const double Z1 = fluid.Z;
    fluid.volume(V2);
    fluid.calculate_pressure();
    Z2 = fluid.Z;
    const double V1sq = V1 * V1, dV = V1 - V2;
    B = ((Z1 - 1.0) * V1sq - (Z2 - 1.0) * V2 * V2) / dV;
    C = (Z1 - 1.0) * V1sq - V1 * B;
}

// B from the pair 100.1 / 100 m3/mol and B0 = (Z - 1) V at 100 m3/mol, the one-volume
// estimate. At those volumes C/V^2 (~1e-13) lies below the rounding of Z near 1 (~1e-16
// times V^2 / (V1 - V2) in C), so C comes from the pair 1.001 / 1 m3/mol, where it stands
// clear of the rounding and the fourth coefficient still adds less than 1e-4 of it. Leaves
// the fluid at 100 m3/mol with its pressure there.
Virial virialAt(FluidPhase& fluid) {
    Virial v{};
    double Bnear = 0.0, Cfar = 0.0, Z = 0.0;
    fitPair(fluid, 1.001, 1.0, Bnear, v.C, Z);
    fitPair(fluid, 100.1, 100.0, v.B, Cfar, Z);
    v.B0 = (Z - 1.0) * 100.0;
    return v;
}

// The rows a range of whole kelvins gives, or -1 for a range that is not one.
int rowsOf(double Tmin, double Tmax) {
    if (!std::isfinite(Tmin) || !std::isfinite(Tmax) || Tmin <= 0.0) return -1;
    if (Tmax < Tmin) return 0;
    const double rows = std::floor(Tmax - Tmin) + 1.0;
    return rows > kMaxRows ? -1 : static_cast<int>(rows);
}

// Opens the table of a walk over whole kelvins; false, with a message, for a range that
// cannot be walked or a file that cannot be written.
bool openTemperatureTable(CurveOutput& out, const char* prefix, const char* suffix, double Tmin,
                          double Tmax) {
    if (rowsOf(Tmin, Tmax) < 0) {
        vornex::cfprintf(stderr,
                     "Temperature range %lg .. %lg K refused: positive, finite and at most %d "
                     "steps of 1 K\n",
                     Tmin, Tmax, kMaxRows);
        return false;
    }
    return out.open(prefix, suffix);
}

}  // namespace

void FluidPhase::calculateVirialCoefficients(double TK) {
    temperature(TK);
    const Virial v = virialAt(*this);
    vornex::cprintf("B0 : %12lg cm3/mol\n", v.B0 * 1e6);
    vornex::cprintf("B1 : %12lg cm3/mol\n", v.B * 1e6);
    vornex::cprintf("C  : %12lg cm6/mol2\n", v.C * 1e12);
}

void FluidPhase::plotVirialCoefficients(double Tmin, double Tmax, char mode, const char* suffix) {
    CurveOutput out(mode == kIgorText ? kIgorText : kColumnTable);
    if (!openTemperatureTable(out, "virial", suffix, Tmin, Tmax)) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    T = Tmin;
    volume(100.0);
    temperature(Tmin);
    if (out.isIgor())
        out.print("IGOR\nWAVES %5s%s %11s%s %11s%s %11s%s %11s%s %10s%s\nBEGIN\n", "T", s, "P", s,
                  "B0", s, "B1", s, "C", s, "Cr", s);
    const int rows = rowsOf(Tmin, Tmax);
    for (int k = 0; k < rows; ++k) {
        const Virial v = virialAt(*this);
        const double C = v.C * 1e12;
        const double Cr = (C < 0 ? -1.0 : C > 0 ? 1.0 : 0.0) * std::sqrt(std::fabs(v.C)) * 1e6;
        out.print("%12lg %12lg %12lg %12lg %12lg %12lg\n", T, P * 1e-5, v.B0 * 1e6, v.B * 1e6, C,
                  Cr);
        temperature(T + 1.0);
    }
    if (out.isIgor()) out.print("END\n");
    if (!out.close()) error = 1;
}

void FluidPhase::checkInfiniteVolumes(double Vm3, double Tmin, double Tmax, char mode,
                                      const char* suffix) {
    if (!(Vm3 > 0.0)) vornex::cfprintf(stderr, "Volume %lg m3/mol refused: not positive\n", Vm3);
    CurveOutput out(mode == kIgorText ? kIgorText : kColumnTable);
    if (!(Vm3 > 0.0) || !openTemperatureTable(out, "inf", suffix, Tmin, Tmax)) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    if (out.isIgor()) {
        out.print(
            "IGOR\n"
            "X // This file is to check that the Helmholz energy of the EOS follows the law of "
            "ideal gas at infinite expansion.\n"
            "X // \t We must verify that : \n"
            "X //\t\t * Z = 1\n"
            "X //\t\t * da = A/RT + ln(V) = 0\n\n");
        out.print("WAVES %5s%s %11s%s %11s%s %11s%s %11s%s\t%25s%s\t%15s%s %9s%s\nBEGIN\n", "T", s,
                  "V", s, "P", s, "Z", s, "Am", s, "da", s, "phi", s, "rcp", s);
    }
    volume(Vm3);
    const int rows = rowsOf(Tmin, Tmax);
    for (int k = 0; k < rows; ++k) {
        const double TK = Tmin + k;
        temperature(TK);
        calculate_state_functions();
        calculate_fugacities();
        double sumA = 0.0;
        for (Interaction* term : interaction)
            if (term) sumA += term->table[Deriv::a];
        if (ideal) sumA += ideal->table[Deriv::a];
        const double da = std::log(V) + Z - 1.0 + sumA;
        out.print("%12lg %12lg %12lg %12lg %12lg\t%.25lg\t%12lg %12lg\n", T, V, P, Z, A, da,
                  std::exp(da), mur.empty() ? 0.0 : mur[0]);
    }
    if (out.isIgor()) out.print("END\n");
    if (!out.close()) error = 1;
}

void FluidPhase::calculateGibbsTransect2(double TK, double Pbar, const char* suffix) {
    if (nc != 2) {
        vornex::cfprintf(stderr,
                     "The Gibbs transect needs a binary fluid (this one has %d "
                     "components)\n",
                     nc);
        error = 1;
        return;
    }
    CurveOutput out(kIgorText);
    if (!out.open("gibbs", suffix)) {
        error = 1;
        return;
    }
    const char* s = suffix == nullptr ? "" : suffix;
    temperature(TK);
    pressure(Pbar);
    out.print(
        "IGOR\nWAVES %6s%s %10s%s %11s%s %10s%s %11s%s %11s%s %11s%s %11s%s %11s%s %12s%s "
        "%12s%s %11s%s %11s%s %11s%s %11s%s\nBEGIN\n",
        "x0", s, "x1", s, "V", s, "Vex", s, "dPdV", s, "G", s, "Gex", s, "fug0", s, "fug1", s, "a0",
        s, "a1", s, "g0", s, "g1", s, "G2x", s, "err", s);

    // The pure components: their Gibbs energies, volumes and fugacities.
    double Gpure[2], Vpure[2], fpure[2];
    for (int i = 0; i < 2; ++i) {
        composition(i == 0 ? 1.0 : 0.0, i == 0 ? 0.0 : 1.0);
        calculate_molar_volume();
        calculate_fugacities();
        calculate_state_functions();
        Gpure[i] = G;
        Vpure[i] = V;
        fpure[i] = fugacity[static_cast<size_t>(i)];
    }
    for (int k = 0; k <= 1000; ++k) {
        const double x1 = k == 1000 ? 1.0 : 0.001 * k;
        composition(1.0 - x1, x1);
        calculate_molar_volume();
        if (error == 0) Vl0 = V;
        calculate_fugacities();
        calculate_state_functions();
        calculate_critical_parameters();
        const double Gref = (1.0 - x1) * Gpure[0] + x1 * Gpure[1];
        // The Gibbs energy of mixing, its ideal part R T sum x ln x included (the wave keeps
        // its name); a model of departures from the ideal mixture holds none of it in G.
        double Gex = G - Gref;
        if (!stateFunctionsHoldIdealMixing()) Gex += gasConstant * T * idealMixingSum();
        const double a0 = fugacity[0] / fpure[0], a1 = fugacity[1] / fpure[1];
        // At the pure ends one activity coefficient is 0/0 or a/0, as the limits give.
        const double g0 = a0 / (1.0 - x1), g1 = a1 / x1;
        activityCoefficient[0] = g0;
        activityCoefficient[1] = g1;
        const double G2x = Avv * Axx - Avx * Avx;
        const double Vex = V - (1.0 - x1) * Vpure[0] - x1 * Vpure[1];
        out.print(
            "%12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg %12lg "
            "%12d\n",
            1.0 - x1, x1, V * 1e6, Vex * 1e6, dPdV * 1e-5, G, Gex, fugacity[0] * 1e-5,
            fugacity[1] * 1e-5, a0, a1, g0, g1, G2x, static_cast<int>(error));
    }
    out.print("END\n");
    if (!out.close()) error = 1;
}

}  // namespace vornex

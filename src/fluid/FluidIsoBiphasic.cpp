// Two-phase iso-lines: the liquid-vapour mixtures along the saturation curve whose total
// molar entropy, volume, enthalpy or internal energy has a given value. At each conode the
// vapour fraction follows from the lever rule, beta = (X - Xl) / (Xv - Xl), and the
// mixture's properties are the beta-weighted means of the saturated phases.
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationSolver.h"

namespace vornex {

namespace {

struct IsoQuantity {
    const char* infix;
    double Phase::*value;
    double criticalTolerance;  // in the quantity's unit
};

// Indexed by the flag.
constexpr IsoQuantity kIsoQuantities[] = {
    {nullptr, nullptr, 0.0}, {"ss", &Phase::S, 0.01}, {"vv", &Phase::V, 1e-8},
    {"hh", &Phase::H, 0.01}, {"uu", &Phase::U, 0.01},
};

constexpr int kIsoColumns = 14;

void writeIsoHeader(CurveOutput& out, const char* suffix) {
    static constexpr const char* names[kIsoColumns] = {"P", "V",  "T",  "U",  "H",  "A",   "G",
                                                       "S", "Cp", "Cv", "Um", "Hm", "rho", "fug"};
    static constexpr const char* numbered[kIsoColumns] = {
        "P(1)", "V(2)",   "T(3)",   "U(4)",   "H(5)",   "A(6)",    "G(7)",
        "S(8)", "Cpl(9)", "Cv(10)", "Um(11)", "Hm(12)", "rho(13)", "fug(14)"};
    const char* s = suffix == nullptr ? "" : suffix;
    if (out.isIgor()) {
        out.print("IGOR\nWAVES ");
        for (int i = 0; i < kIsoColumns; ++i) out.print(i == 0 ? "%5s%s" : " %11s%s", names[i], s);
        out.print("\nBEGIN\n");
    } else {
        out.print("#");
        for (int i = 0; i < kIsoColumns; ++i) out.print(i == 0 ? " %11s" : " %12s", numbered[i]);
        out.print("\n");
    }
}

// The row of the state the fluid holds (a mixture or the critical state); G and the
// fugacity are those of the last evaluated phase.
void writeIsoRow(CurveOutput& out, const FluidPhase& f) {
    const int k = f.majorComponent;
    const double fug = k < static_cast<int>(f.fugacity.size()) ? f.fugacity[k] : 0.0;
    const double row[kIsoColumns] = {
        f.P * 1e-5,        f.V * 1e6,         f.T,       f.U,       f.H, f.A, f.G, f.S, f.Cp, f.Cv,
        f.U / f.M * 0.001, f.H / f.M * 0.001, f.M / f.V, fug * 1e-5};
    for (int i = 0; i < kIsoColumns; ++i) out.print(i == 0 ? "%12lg" : " %12lg", row[i]);
    out.print("\n");
}

// The critical point searched from the fluid's T and V, with its state functions; its row
// when its quantity is the iso-line's. False when there is no critical point.
bool criticalRow(FluidPhase& f, CurveOutput& out, const IsoQuantity& q, double value) {
    f.search_the_critical_point_of_the_pure_component();
    const bool found = f.error == 0;
    f.calculate_fugacities();
    f.calculate_state_functions();
    if (found && std::fabs(f.*q.value - value) < q.criticalTolerance) writeIsoRow(out, f);
    return found;
}

struct PhaseState {
    double V, U, H, S, A, Cp, Cv, X;
};

PhaseState evaluateSaturated(FluidPhase& f, double Vm3, const IsoQuantity& q) {
    f.volume(Vm3);
    f.calculate_fugacities();
    f.calculate_state_functions();
    return {f.V, f.U, f.H, f.S, f.A, f.Cp, f.Cv, f.*q.value};
}

// The conode the fluid holds, as the mixture of the iso-line when the lever rule allows.
void writeMixture(FluidPhase& f, CurveOutput& out, const IsoQuantity& q, double value) {
    const double Vliquid = f.Vl, Vvapour = f.Vv;
    const PhaseState l = evaluateSaturated(f, Vliquid, q);
    const PhaseState v = evaluateSaturated(f, Vvapour, q);
    f.calculateSigma(Vliquid, Vvapour);
    const double beta = (value - l.X) / (v.X - l.X);
    if (!(beta >= 0.0 && beta <= 1.0)) return;
    auto mix = [beta](double a, double b) { return (1.0 - beta) * a + beta * b; };
    f.U = mix(l.U, v.U);
    f.H = mix(l.H, v.H);
    f.S = mix(l.S, v.S);
    f.A = mix(l.A, v.A);
    f.V = mix(l.V, v.V);
    f.Cp = mix(l.Cp, v.Cp);
    f.Cv = mix(l.Cv, v.Cv);
    writeIsoRow(out, f);
}

}  // namespace

void FluidPhase::calculateIsoBiphasic(IsoParameterFlag flag, double value, short start, double T0,
                                      double dT, double V1, double V2, double Tmin, char igor,
                                      const char* suffix) {
    if (flag < kIsoEntropy || flag > kIsoInternalEnergy) return;
    const IsoQuantity& q = kIsoQuantities[flag];
    CurveOutput out(igor == 1 ? kIgorText : kColumnTable);
    if (!out.open(std::string("iso") + q.infix, suffix)) return;
    majorComponent = (nc < 2 || x[0] > 0.9999999) ? 0 : 1;
    if (T0 <= Tmin) Tmin = T0 - 1.0;
    writeIsoHeader(out, suffix);

    if (start == 2) {
        temperature(T0);
        volume(V1);
        if (!criticalRow(*this, out, q, value)) {
            vornex::cfprintf(stderr, "Cannot find the critical point\n");
        } else {
            const double Tc = T, Vc = V;
            dT = -std::fabs(dT);
            // Just below the critical point, from volumes mirrored in density about Vc.
            for (double delta = Vc / 100.0;; delta *= 2.0) {
                temperature(Tc - 0.1);
                Vl = Vl0 = Vc - delta;
                Vv = Vv0 = 1.0 / (2.0 / Vc - 1.0 / Vl);
                calculate_saturation_pressure();
                if (error == 0 || 2.0 * delta > 0.001) break;
            }
        }
    } else {
        startAtSaturatedState(*this, start, T0, V1, V2, dT);
    }
    if (error) {
        // No critical point or no saturated start: the file keeps its header only.
        if (out.isIgor()) out.print("END\n");
        out.close();
        return;
    }
    stepAlongSaturationCurve(*this, dT, Tmin, [&] { writeMixture(*this, out, q, value); });
    if (start == 0) criticalRow(*this, out, q, value);
    error = 0;
    if (out.isIgor()) out.print("END\n");
    out.close();
}

}  // namespace vornex

// Single-fluid calculations of boiling and fragmentation: the end state of an irreversible
// decompression against a constant pressure with heat exchange, the vapour nucleus with the
// Gibbs energy of a metastable liquid, the temperature at which the saturated liquid's
// internal energy is the mean of those of the saturated phases at 1 bar (the "Salla
// spinodal"), and saturation curves with curved interfaces (emulsion stability).
#include <cmath>
#include <cstdio>
#include <string>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/OutputFiles.h"
#include "numerics/Solver.h"

namespace vornex {

namespace {

// Context of the decompression residual.
struct Decompression {
    double P, V0, U0, k, T0;  // Pa, m3/mol, J/mol, J/(mol K), K
    int side;                 // volume selector of the end state: 1 vapour, 2 liquid
};

// Context of the Salla residual: internal energies of the saturated liquid and vapour.
struct SallaEnergies {
    double U1, U2;
};

// A secant search on one of the fluid's residuals from x0 and x0 + dx.
Secant secantOn(FluidPhase& f, double (FluidPhase::*residual)(double, void*), void* context,
                double x0, double dx) {
    Secant solver;
    solver.equation = &f;
    solver.function = static_cast<EquationFunction>(residual);
    solver.context = context;
    solver.x0 = x0;
    solver.x1 = x0 + dx;
    return solver;
}

// The saturated liquid (selector 2 at Vl) with its state functions.
void evaluateSaturatedLiquid(FluidPhase& f) {
    f.set_the_phase_as(2);
    f.volume(f.Vl);
    f.calculate_state_functions();
}

}  // namespace

// -------------------------------------------------------- irreversible decompression

bool FluidPhase::volumeAt(double TK, double PPa, int selector) {
    temperature(TK);
    pressure(PPa * 1e-5);
    set_the_phase_as(selector);
    calculate_molar_volume();
    return !error;
}

double FluidPhase::equationForIrreversibleDecompression(double TK, void* context) {
    const Decompression& d = *static_cast<const Decompression*>(context);
    if (TK < 0.0) {
        equationError = 1;
        return 0.0;
    }
    if (!volumeAt(TK, d.P, d.side)) {
        equationError = 1;
        return 0.0;
    }
    (d.side == 1 ? Vv0 : Vl0) = V;  // the next trial starts from this one's volume
    calculate_state_functions();
    // U - U0 = -P (V - V0) - k (T - T0): expansion against P, heat k (T0 - T) taken in.
    return (V - d.V0) * d.P + (TK - d.T0) * d.k + (U - d.U0);
}

void FluidPhase::calculate_irreversible_decompression_point_at_fixed_p(double T0, double V0,
                                                                       double PPa, double k,
                                                                       double Tstart,
                                                                       int side) {
    // A flag left by an earlier calculation must not pass for a failure of this one.
    error = 0;
    temperature(T0);
    volume(V0);
    calculate_state_functions();
    if (error) return;
    Decompression d{PPa, V0, U, k, T0, side};
    Secant solver =
        secantOn(*this, &FluidPhase::equationForIrreversibleDecompression, &d, Tstart, 0.0001);
    solver.tolerance = 1e-13;
    const double Tfinal = solver.solve();
    if (solver.error != 0) {
        error = 1;
        return;
    }
    equationForIrreversibleDecompression(Tfinal, &d);  // the phase at the end state
    error = equationError ? 1 : 0;
    equationError = 0;
}

// ------------------------------------------------------------------- bubble nucleus

double FluidPhase::equationForBubbleNucleus(double Vm3, void*) {
    // The liquid itself has the liquid's Gibbs energy: never a nucleus.
    if (Vm3 < 0.0 || std::fabs(Vm3 - Vl) < 1e-8) {
        equationError = 1;
        return 0.0;
    }
    set_the_phase_as(1);
    volume(Vm3);
    Vv = Vm3;
    calculate_state_functions();
    return G - Gstar;
}

void FluidPhase::searchBubbleNucleusPressure(double TK, double Vliquid, double Vstart) {
    error = 0;
    temperature(TK);
    set_the_phase_as(2);
    volume(Vliquid);
    calculate_state_functions();
    Gstar = G;
    Vl = Vliquid;
    Secant solver = secantOn(*this, &FluidPhase::equationForBubbleNucleus, nullptr, Vstart, 0.0001);
    const double Vnucleus = solver.solve();
    if (solver.error != 0) {
        error = 1;
        return;
    }
    equationForBubbleNucleus(Vnucleus, nullptr);  // the nucleus pressure is the phase's P
}

// ------------------------------------------------------------------- Salla spinodal

double FluidPhase::equationForSallaSpinodal(double TK, void* context) {
    const SallaEnergies& e = *static_cast<const SallaEnergies*>(context);
    if (TK <= 0.0) {
        equationError = 1;
        return 0.0;
    }
    temperature(TK);
    if (!componentName.empty()) initializeSaturationVolumesFromT(componentName[0].c_str(), TK);
    calculate_saturation_pressure();
    if (error) {
        equationError = 1;
        return 0.0;
    }
    evaluateSaturatedLiquid(*this);
    return (U - e.U1) - (e.U2 - U);
}

void FluidPhase::calculateTheSallaSpinodalTemperature() {
    const char* component = componentName.empty() ? "" : componentName[0].c_str();
    initializeSaturationVolumesFromP(component, 1.0);
    calculate_saturation_temperature(100000.0, 373.15);
    const double Tboil = error == 0 ? systemSolver->x[2] : T;
    temperature(Tboil);
    pressure(1.0);
    calculate_saturation_pressure();
    if (error) {
        vornex::cprintf("Salla spinodal: no saturation at %lg K\n", Tboil);
        return;
    }
    evaluateSaturatedLiquid(*this);
    SallaEnergies energies{U, 0.0};
    set_the_phase_as(1);
    volume(Vv);
    calculate_state_functions();
    energies.U2 = U;

    error = 0;
    Secant solver =
        secantOn(*this, &FluidPhase::equationForSallaSpinodal, &energies, 590.0, 0.0001);
    solver.verbose = 1;
    const double Ts = solver.solve();
    if (solver.error != 0) error = 1;
    vornex::cprintf("Salla spinodal temperature : %lg err : %d\n", Ts, error);
}

// -------------------------------------------------------------- emulsion stability

void FluidPhase::plot_emulsion_stability_curves(double* radii, int n, double T0, double dT,
                                                double Vm3, double Tmin, double parachorValue) {
    for (int i = 0; i < n; ++i) {
        const double r = radii[i];
        capillaryMode = r > 0.0 ? 1 : (r < 0.0 ? 2 : 0);
        radius = std::fabs(r);
        parachor = r == 0.0 ? 0.0 : parachorValue;
        const std::string file = "emuls" + std::to_string(i);
        calculate_saturation_curve(file.c_str(), 2, T0, dT, Vm3, Vm3, Tmin, 2, "", nullptr);
    }

    OutputFile gp;
    if (!gp.open("g58.gp")) {
        error = 1;
        return;
    }
    gp.print("reset\nset timestamp\n");
    gp.print("set title \"Emulsion stability - %s\"\n",
             modelName.empty() ? "noname" : modelName.c_str());
    gp.print("set xlabel \"T (K)\"\nset ylabel \"P (bar)\"\nset yrange [*:*]\n");
    for (int i = 0; i < n; ++i) {
        const std::string data = OutputFiles::pathOf("emuls" + std::to_string(i));
        gp.print("%s", i == 0 ? "plot" : ",\\\n");
        // Pressure of the phase that carries the Laplace term: liquid (21), vapour (22).
        if (radii[i] > 0.0)
            gp.print(" \"%s\" using 4:21 w lines title '%.0lf' ", data.c_str(), radii[i] * 1e6);
        else if (radii[i] < 0.0)
            gp.print(" \"%s\" using 4:22 w lines title '%.0lf' ", data.c_str(), radii[i] * 1e6);
        else
            gp.print(" \"%s\" using 4:1 w lines title 'sat' ", data.c_str());
    }
    gp.print("\n");
    if (!gp.commit()) {
        error = 1;
        return;
    }
    OutputFiles::plot("g58.gp");
}

}  // namespace vornex

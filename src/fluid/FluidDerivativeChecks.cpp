// Development checks of a fluid's analytic derivatives against central differences: the
// temperature and volume derivatives of Z and P and the temperature derivatives of V at
// constant pressure (report "Check.report"), and the isobaric heat capacity (console).
#include <cstdio>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/OutputFiles.h"
#include "fluid/VolumeNear.h"

namespace vornex {

namespace {

// What the expansivity derivative gives at one state.
struct Expansivity {
    double Z, dZdT, dZdV, P, dPdT, dPdV, V, dVdT;
};

Expansivity expansivityAt(FluidPhase& f) {
    f.calculate_pressure();
    f.calculate_expansivity_derivative();
    return {f.Z, f.dZdT, f.dZdV, f.P, f.dPdT, f.dPdV, f.V, f.dVdT};
}

}  // namespace

void FluidPhase::check_expansivity_parameters() {
    OutputFile report;
    if (!report.open("Check.report")) return;
    const double T0 = T, V0 = V;
    expansivityAt(*this);
    const double P0 = P;
    report.print("T %lg\n", T0);
    report.print("P %lg\n", P0);
    report.print("dZdT    %lg\n", dZdT);
    report.print("dZdV    %lg\n", dZdV);
    report.print("d2ZdT2  %lg\n", d2ZdT2);
    report.print("d2ZdTdV %lg\n", d2ZdTdV);
    report.print("d2ZdV2  %lg\n\n", d2ZdV2);
    report.print("dPdT    %lg\n", dPdT);
    report.print("dPdV    %lg\n", dPdV);
    report.print("d2PdT2  %lg\n", d2PdT2);
    report.print("d2PdTdV %lg\n", d2PdTdV);
    report.print("d2PdV2  %lg\n\n", d2PdV2);

    constexpr double hT = 1e-5, hV = 1e-9;
    temperature(T0 + hT);
    const Expansivity Tp = expansivityAt(*this);
    temperature(T0 - hT);
    const Expansivity Tm = expansivityAt(*this);
    temperature(T0);
    volume(V0 + hV);
    const Expansivity Vp = expansivityAt(*this);
    volume(V0 - hV);
    const Expansivity Vm = expansivityAt(*this);
    volume(V0);
    report.print("Numerical derivatives\n\n");
    report.print("dZdT    %lg\n", (Tp.Z - Tm.Z) / (2 * hT));
    report.print("dZdV    %lg\n", (Vp.Z - Vm.Z) / (2 * hV));
    report.print("d2ZdT2  %lg\n", (Tp.dZdT - Tm.dZdT) / (2 * hT));
    report.print("d2ZdTdV %lg\n", (Tp.dZdV - Tm.dZdV) / (2 * hT));
    report.print("d2ZdV2  %lg\n", (Vp.dZdV - Vm.dZdV) / (2 * hV));
    report.print("dPdT    %lg\n", (Tp.P - Tm.P) / (2 * hT));
    report.print("dPdV    %lg\n", (Vp.P - Vm.P) / (2 * hV));
    report.print("d2PdT2  %lg\n", (Tp.dPdT - Tm.dPdT) / (2 * hT));
    report.print("d2PdTdV %lg\n", (Tp.dPdV - Tm.dPdV) / (2 * hT));
    report.print("d2PdV2  %lg\n", (Vp.dPdV - Vm.dPdV) / (2 * hV));

    pressure(P0 * 1e-5);
    solveVolumeNear(*this, V0);
    calculate_pressure();
    calculate_expansivity_derivative();
    report.print("\nAnalytical derivatives\n");
    report.print("dVdT    %lg\n", dVdT);
    report.print("d2VdT2  %lg\n", d2VdT2);
    const double Vsolved = V;

    temperature(T0 + hT);
    pressure(P0 * 1e-5);
    solveVolumeNear(*this, Vsolved);
    const Expansivity Pp = expansivityAt(*this);
    temperature(T0 - hT);
    pressure(P0 * 1e-5);
    solveVolumeNear(*this, Vsolved);
    const Expansivity Pm = expansivityAt(*this);
    temperature(T0);
    report.print("\nNumerical derivatives\n");
    report.print("dVdT    %lg\n", (Pp.V - Pm.V) / (2 * hT));
    report.print("d2VdT2  %lg\n", (Pp.dVdT - Pm.dVdT) / (2 * hT));
    report.commit();
}

void FluidPhase::checkCpAt(double TK, double Pbar) {
    constexpr double h = 1e-6;
    auto enthalpyPerMass = [&](double Tnow) {
        temperature(Tnow);
        pressure(Pbar);
        calculate_molar_volume();
        calculate_state_functions();
        calculateBulkMolarWeight();
        return H / M;
    };
    const double Hminus = enthalpyPerMass(TK - h);
    const double Hplus = enthalpyPerMass(TK + h);
    vornex::cprintf("Cp (num.) %12f\n", (Hplus - Hminus) / (2 * h));
    enthalpyPerMass(TK);
    vornex::cprintf("Cp (ana.) %12f\n", Cp / M);
}

}  // namespace vornex

// Saturation curve of a fluid's major component, traced in temperature as a sequence of
// conodes: each point is solved from a first-order extrapolation of the last one along the
// curve (slopes dVl/dT, dVv/dT from differentiating the coexistence conditions), the step
// is halved after a failure and regrown after a success, and every point is written as one
// row of 28 properties of both phases (P, Vl, Vv, T, U, H, A, G, S, Cp, Cv, H per mass,
// phase pressures, speeds of sound, surface tension, densities, fugacity).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "fluid/SaturationSolver.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

namespace {

constexpr int kColumns = 28;
using SaturationRow = std::array<double, kColumns>;

constexpr const char* kNames[kColumns] = {"P",   "Vl",  "Vv",  "T",     "Ul",   "Uv",   "Hl",
                                          "Hv",  "Al",  "Av",  "Gl",    "Gv",   "Sl",   "Sv",
                                          "Cpl", "Cpv", "Cvl", "Cvv",   "Hml",  "Hmv",  "Pl",
                                          "Pv",  "cl",  "cv",  "sigma", "rhol", "rhov", "fug"};

// The state functions of one saturated phase as the row needs them.
struct SaturatedPhase {
    double V, P, U, H, A, G, S, Cp, Cv, c, fug0;
};

// The saturated phase the fluid holds now.
SaturatedPhase capture(const FluidPhase& fluid) {
    return {fluid.V,
            fluid.P,
            fluid.U,
            fluid.H,
            fluid.A,
            fluid.G,
            fluid.S,
            fluid.Cp,
            fluid.Cv,
            fluid.soundSpeed,
            fluid.fugacity.empty() ? 0.0 : fluid.fugacity[0]};
}

SaturatedPhase evaluatePhase(FluidPhase& fluid, double Vm3) {
    fluid.volume(Vm3);
    fluid.calculate_fugacities();
    fluid.calculate_state_functions();
    return capture(fluid);
}

// Pressures and the fugacity in bar, volumes in cm3/mol, H per mass in kJ/kg.
SaturationRow makeRow(const SaturatedPhase& l, const SaturatedPhase& v, double TK, double M,
                      double sigma) {
    return {v.P * 1e-5,
            l.V * 1e6,
            v.V * 1e6,
            TK,
            l.U,
            v.U,
            l.H,
            v.H,
            l.A,
            v.A,
            l.G,
            v.G,
            l.S,
            v.S,
            l.Cp,
            v.Cp,
            l.Cv,
            v.Cv,
            l.H / M * 0.001,
            v.H / M * 0.001,
            l.P * 1e-5,
            v.P * 1e-5,
            l.c,
            v.c,
            sigma,
            M / l.V,
            M / v.V,
            v.fug0 * 1e-5};
}

// One output of the tracer. The gathered binary file is opened with its first row, so that
// a curve that never starts leaves no data file behind.
class SaturationOutput {
   public:
    SaturationOutput(char mode, const char* file, const char* suffix, CurveArray* array)
        : out_(mode, array),
          mode_(mode),
          file_(file == nullptr ? "" : file),
          suffix_(suffix == nullptr ? "" : suffix) {
        if (mode_ == kBinaryGathered) {
            usable_ = OutputFiles::isValidName(file_);
            if (!usable_) out_.open(file_);  // says why
            return;
        }
        usable_ = out_.open(file_);
        writeHeader();
    }

    void write(const SaturationRow& row) {
        if (!usable_) return;
        if (mode_ == kBinaryGathered && !opened_) opened_ = out_.open(file_);
        if (out_.isText()) {
            for (int i = 0; i < kColumns; ++i) {
                if (i > 0) out_.print(" ");
                out_.print("%12lg", row[i]);
            }
            out_.print("\n");
        } else {
            out_.row(row);
        }
    }

    void close() {
        if (out_.isIgor()) out_.print("END\n");
        out_.close();
    }

   private:
    void writeHeader() {
        if (mode_ == kIgorText) {
            out_.print("IGOR\nWAVES ");
            for (int i = 0; i < kColumns; ++i)
                out_.print(i == 0 ? "%5s%s" : " %11s%s", kNames[i], suffix_.c_str());
            out_.print("\nBEGIN\n");
        } else if (mode_ == kColumnTable) {
            out_.print("# ");
            for (int i = 0; i < kColumns; ++i) {
                const std::string numbered =
                    std::string(kNames[i]) + "(" + std::to_string(i + 1) + ")";
                out_.print(i == 0 ? "%11s" : " %12s", numbered.c_str());
            }
            out_.print("\n");
        }
    }

    CurveOutput out_;
    char mode_;
    std::string file_, suffix_;
    bool usable_ = false, opened_ = false;
};

// The critical point as a row: both phases the critical state.
SaturationRow criticalRow(const FluidPhase& fluid, double sigma) {
    const SaturatedPhase c = capture(fluid);
    return makeRow(c, c, fluid.T, fluid.M, sigma);
}

// Tries per-point beyond which a curve is ended whatever the step factor says.
constexpr long kMaxTrials = 1000000;

}  // namespace

void FluidPhase::next_saturation_point(double& dVl, double& dVv) {
    const int k = majorComponent;
    const double T0 = T;
    set_the_phase_as(2);
    volume(Vl);
    calculate_fugacities();
    // Temperature derivatives at constant volume.
    const double dfdTl = dfdT[k] - dVdT * dfdV[k];
    const double dfdVl = dfdV[k], dPdVl = dPdV, dPdTl = dPdT;

    set_the_phase_as(1);
    if (deltaT != 0.0) temperature(T0 + deltaT);
    volume(Vv);
    calculate_fugacities();
    if (deltaT != 0.0) temperature(T0);
    const double dfdTv = dfdT[k] - dVdT * dfdV[k];

    double row0[2] = {dfdVl, -dfdV[k]};
    double row1[2] = {dPdVl, -dPdV};
    double* matrix[2] = {row0, row1};
    double rhs[2] = {dfdTv - dfdTl, dPdT - dPdTl};
    double slopes[2] = {0.0, 0.0};
    int failed = 0;
    solve_the_linear_system(matrix, rhs, slopes, 2, failed);
    dVl = slopes[0];
    dVv = slopes[1];
}

void stepAlongSaturationCurve(FluidPhase& fluid, double dT, double Tmin,
                              const std::function<void()>& atPoint) {
    double slopeL = 0.0, slopeV = 0.0;
    double lastT = fluid.T, lastVl = fluid.Vl, lastVv = fluid.Vv;
    fluid.next_saturation_point(slopeL, slopeV);
    atPoint();

    double s = 1.0;
    bool lastSucceeded = true;
    for (long trials = 0; trials < kMaxTrials; ++trials) {
        if (lastSucceeded && s <= 0.5) s *= 1.4;
        double Ttrial = lastT + s * dT;
        // A step past the lowest temperature ends the curve on it, rather than shrinking
        // towards it until the step gives out and the curve ends short of it, flagged.
        const bool toLowest = Ttrial < Tmin && lastT > Tmin;
        if (toLowest) Ttrial = Tmin;
        fluid.Vl0 = lastVl + slopeL * (Ttrial - lastT);
        fluid.Vv0 = lastVv + slopeV * (Ttrial - lastT);
        fluid.temperature(Ttrial);
        bool ok = !(fluid.Vl0 < 0.0 || fluid.Vv0 < 0.0 || Ttrial < Tmin);
        if (ok) {
            fluid.calculate_saturation_pressure();
            ok = fluid.error == 0;
        }
        if (!ok) {
            lastSucceeded = false;
            s /= 2.0;
            if (s <= 1e-5) break;
            continue;
        }
        lastSucceeded = true;
        fluid.next_saturation_point(slopeL, slopeV);
        lastT = Ttrial;
        lastVl = fluid.Vl;
        lastVv = fluid.Vv;
        atPoint();
        if (toLowest) break;
    }
}

void startAtSaturatedState(FluidPhase& fluid, short start, double T0, double V1, double V2,
                           double& dT) {
    fluid.Vl0 = V1;
    fluid.Vv0 = V2;
    if (start == 0) dT = std::fabs(dT);
    if (start == 1) dT = -std::fabs(dT);
    fluid.temperature(T0);
    fluid.calculate_saturation_pressure();
}

void FluidPhase::calculate_saturation_curve(const char* file, short start, double T0, double dT,
                                            double V1, double V2, double Tmin, char mode,
                                            const char* suffix, CurveArray* array) {
    if (!(dT != 0.0 && std::isfinite(dT) && std::isfinite(T0))) {
        // A zero step would write the same conode over and over.
        vornex::cfprintf(stderr,
                     "Saturation curve: the start temperature %g K and the step %g K must be "
                     "finite, the step non-zero\n",
                     T0, dT);
        error = 1;
        return;
    }
    const double VsepOnEntry = Vsep;
    // The saturation solves separate a one-component fluid's phases by its own critical
    // volume, searched here once, before the curve binds the solver that search uses.
    if (nc == 1) namingCriticalVolume();
    majorComponent = (nc < 2 || x[0] > 0.9999999) ? 0 : 1;
    if (majorComponent < static_cast<int>(molarMass.size())) M = molarMass[majorComponent];

    SaturationOutput out(mode, file, suffix, array);
    // A separating volume set for the start must not outlive the curve.
    auto finish = [&] {
        out.close();
        Vsep = VsepOnEntry;
    };
    // From the critical point T0 only starts the search: the curve's own start is the
    // critical temperature found (a closed-form cubic has no estimate, T0 = 0).
    if (start != 2 && T0 <= Tmin) Tmin = T0 - 1.0;

    if (start == 2) {
        temperature(T0);
        volume(V1);
        search_the_critical_point_of_the_pure_component();
        const bool found = error == 0;
        calculate_fugacities();
        calculate_state_functions();
        const double rhoc = M / V;
        if (!found || !(rhoc > 0.0) || !std::isfinite(rhoc)) {
            vornex::cfprintf(stderr, "Cannot find the critical point\n");
            // The state functions computed above clear the flag the failed search raised.
            error = 1;
            finish();
            return;
        }
        // The interface vanishes at the critical point: the model's surface tension of two
        // equal phases (0, where no model is given as well).
        calculateSigma(V, V);
        out.write(criticalRow(*this, sigma));
        const double Tc = T, Vc = V;
        if (Tc <= Tmin) Tmin = Tc - 1.0;
        Vsep = Vc;
        dT = -std::fabs(dT);

        // Start just below the critical point from densities mirrored about the critical one,
        // the liquid within a window below Vc and the vapour within it above. 0.1 K below
        // the critical point the phases of a large molecule lie farther apart than those of
        // a small one (Peng-Robinson decane: 34 cm3/mol either side of 762), so the window
        // grows with Vc.
        const double window = std::max(2e-5, 0.25 * Vc);
        // 0.1 K below the critical point; a model in reduced variables (the BWR fluids, Tc
        // and Vc about 1 and 0.3) starts as far below in its own unit.
        const bool reduced = Tc < 10.0;
        const double below = reduced ? 3e-4 * Tc : 0.1;
        Newton& solver = bindSaturationSystem(
            *this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingPsatFromVlVv), 2);
        solver.dampmin = 1e-8;
        solver.lower[0] = Vc - window;
        solver.upper[0] = Vc;
        solver.lower[1] = Vc;
        solver.upper[1] = Vc + window;
        solver.bounded[0] = solver.bounded[1] = 1;
        for (double drho = 0.01 * rhoc;; drho += 0.01 * rhoc) {
            temperature(Tc - below);
            Vl = M / (rhoc + drho);
            Vv = 1.0 / (2.0 / Vc - 1.0 / Vl);
            if (Vv < Vl) Vv = Vc;
            Vl0 = Vl;
            Vv0 = Vv;
            calculate_saturation_pressure();
            if (error == 0 || drho + 0.01 * rhoc > (reduced ? rhoc : 100.0)) break;
        }
        solver.dampmin = 0.01;
        solver.bounded[0] = solver.bounded[1] = 0;
    } else {
        startAtSaturatedState(*this, start, T0, V1, V2, dT);
    }
    if (error) {
        finish();
        return;
    }

    stepAlongSaturationCurve(*this, dT, Tmin, [&] {
        const double Tpoint = T, VlPoint = Vl, VvPoint = Vv;
        const SaturatedPhase liquid = evaluatePhase(*this, VlPoint);
        const SaturatedPhase vapour = evaluatePhase(*this, VvPoint);
        calculateSigma(VlPoint, VvPoint);
        out.write(makeRow(liquid, vapour, Tpoint, M, sigma));
    });

    if (start == 0) {
        search_the_critical_point_of_the_pure_component();
        const bool found = error == 0;
        calculate_fugacities();
        calculate_state_functions();
        if (found) {
            calculateSigma(V, V);
            out.write(criticalRow(*this, sigma));
        }
    }
    finish();
}

void FluidPhase::calculateTheSaturationCurve(const char* suffix, char mode) {
    temperature(Tcrit);
    volume(Vcrit);
    const std::string s = suffix == nullptr ? "" : suffix;
    if (!OutputFiles::checkSuffix(s)) return;
    calculate_saturation_curve(("satu" + s).c_str(), 2, Tcrit, -1.0, Vcrit, Vcrit, Tlowest, mode,
                               s.c_str(), nullptr);
}

void FluidPhase::calculateTheSaturationCurveFromT(double TK, const char* suffix) {
    const std::string s = suffix == nullptr ? "" : suffix;
    if (!OutputFiles::checkSuffix(s)) return;
    calculateTheSaturationPressure(TK);
    calculate_saturation_curve(("satu" + s).c_str(), 0, T, 1.0, Vl, Vv, Tlowest, kIgorText,
                               s.c_str(), nullptr);
}

}  // namespace vornex

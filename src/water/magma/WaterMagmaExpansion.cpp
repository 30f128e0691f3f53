// Expansion of heated water to the final pressure: reversibly along the isentrope of state 3
// (state 4 on the saturation curve, state 5 at the final pressure), irreversibly against the
// final pressure, and with the pyroclasts still heating the water; the irreversible end
// point search with the magma's heat, and the isentrope of the water-magma mixture.
#include <cmath>
#include <cstdio>

#include "fluid/CurveOutput.h"
#include "numerics/Decimal.h"
#include "fluid/FluidPhase.h"
#include "numerics/Diagnostics.h"
#include "numerics/Solver.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

SaturationEnds finalEnds(const WaterMagmaCalculationResult& r) {
    SaturationEnds e;
    e.T = r.Tsatf;
    e.P = r.Pf * 1e5;
    e.Vl = r.Vlf;
    e.Vv = r.Vvf;
    e.Ul = r.Ulf;
    e.Uv = r.Uvf;
    e.Hl = r.Hlf;
    e.Hv = r.Hvf;
    e.Sl = r.Slf;
    e.Sv = r.Svf;
    return e;
}

namespace {

double perGram(double molar, double M) {
    return molar * 0.001 / M;
}

// Context of the irreversible residual.
struct IrreversibleContext {
    double P, V0, U0, e, T0;  // Pa, m3/mol, J/mol, J/(mol K), K
    int side;                 // volume selector of the end state: 1 vapour, 2 liquid
};

}  // namespace

void irreversibleExpansion(WaterEOS& w, WaterMagmaCalculationResult& r, double Wh, double Tstart) {
    const double m = r.m, M = w.M;
    const double V3 = r.V3 * 1e-6;
    const SaturationEnds f = finalEnds(r);
    r.xi = f.irreversibleFraction(V3, r.U3);
    if (r.xi >= 0.0 && r.xi <= 1.0) {
        r.T5irr = f.T;
        r.Wirr = perGram(f.irreversibleWork(r.xi, V3) + Wh, M);
        r.S5irr = SaturationEnds::lever(r.xi, f.Sl, f.Sv);
    } else {
        // Below the saturated liquid's energy the end is liquid, above the vapour's steam.
        w.calculateWaterIrreversibleDecompressionPoint(r.T3, V3, f.P, 0.0, Tstart,
                                                       r.xi < 0.0 ? 1 : 2);
        if (w.error) {
            diagnostic("errorflag irreversible m %f\n", m);
            r.Wirr = r.T5irr = kNaN;
            w.error = 0;
        } else {
            r.T5irr = w.T;
            r.S5irr = w.S;
            r.Wirr = perGram(-f.P * (w.V - V3) + Wh, M);
        }
        r.xi = r.xi > 1.0 ? 1.0 : 0.0;
    }
    r.xiVolume = r.xi == 1.0 ? 1.0 : liquidVolumeFraction(r.xi, f.Vl, f.Vv);
    r.steamMassIrr = steamMassFraction(r.xi, m);
    r.steamVolumeIrr = steamVolumeFraction(r.xi, m, f.Vl, f.Vv);
}

SaturationEnds fixedOneBarSaturation() {
    constexpr double M = kWaterMolarMass;
    SaturationEnds e;
    e.T = 373.15;
    e.P = 100000.0;
    e.Sl = 1302.774796 * M;
    e.Sv = 7358.979099 * M;
    e.Ul = 417404.663 * M;
    e.Uv = 2505596.729 * M;
    e.Hl = 417508.978 * M;
    e.Hv = 2674992.175 * M;
    e.Vl = 18.792687e-6;
    e.Vv = 30517.043633e-6;
    return e;
}

namespace {

// Both saturated phases at the saturation the model has just found.
bool readSaturatedPhases(WaterEOS& w, SaturationEnds& e) {
    if (w.error) return false;
    e.Vl = w.Vl;
    e.Vv = w.Vv;
    w.calculateFromTV(e.T, e.Vl, 0);
    e.Ul = w.U;
    e.Hl = w.H;
    e.Sl = w.S;
    e.Al = w.A;
    w.calculateFromTV(e.T, e.Vv, 0);
    e.Uv = w.U;
    e.Hv = w.H;
    e.Sv = w.S;
    e.Av = w.A;
    return w.error == 0;
}

}  // namespace

bool saturationEndsAtP(WaterEOS& w, double Pbar, SaturationEnds& e) {
    if (!saturationTemperatureAtP(w, Pbar)) return false;
    e.T = w.T;
    e.P = Pbar * 1e5;
    return readSaturatedPhases(w, e);
}

bool saturationEndsAtT(WaterEOS& w, double TK, SaturationEnds& e) {
    w.error = 0;
    w.calculateTheSaturationPressure(TK);
    e.T = TK;
    e.P = w.P;
    return readSaturatedPhases(w, e);
}

void WaterEOS::prepareExpansionWorkCalculation(double Pf, WaterMagmaCalculationResult& r) {
    SaturationEnds e;
    r.Pf = Pf;
    // At and above the critical pressure the expanded water does not boil: its steam
    // fractions and the boiling point that ends the recharges have no meaning there.
    const bool supercritical = !(Pf < kWaterCriticalPressureBar);
    if (supercritical || !saturationEndsAtP(*this, Pf, e)) {
        r.failed = 1;
        error = 1;
        char why[160];
        vornex::csnprintf(why, sizeof why,
                      supercritical ? "the final pressure %g bar is not below the critical "
                                      "pressure of water (220.64 bar): water does not boil there"
                                    : "no saturation of water at the final pressure %g bar",
                      Pf);
        r.failWith(why);
        return;
    }
    r.Tsatf = e.T;
    r.Vlf = e.Vl;
    r.Vvf = e.Vv;
    r.Ulf = e.Ul;
    r.Uvf = e.Uv;
    r.Hlf = e.Hl;
    r.Hvf = e.Hv;
    r.Slf = e.Sl;
    r.Svf = e.Sv;
}

double WaterEOS::calculateIsentropicVaporization(double S, double Ul, double Uv, double Hl,
                                                 double Hv, double Sl, double Sv, double Vl,
                                                 double Vv) {
    const double x = (S - Sv) / (Sl - Sv);
    U = SaturationEnds::lever(x, Ul, Uv);
    H = SaturationEnds::lever(x, Hl, Hv);
    this->S = S;
    V = SaturationEnds::lever(x, Vl, Vv) * 1e-6;
    return x;
}

// ------------------------------------------------------------ reversible expansion

bool singlePhaseIsentropeEnd(WaterEOS& w, WaterMagmaCalculationResult& r) {
    w.calculateAtmosphericDecompressionPoint(r.S3, r.Pf);
    if (w.error) return false;
    r.T5 = w.T;
    r.P5 = r.Pf;
    r.U5 = w.U;
    r.H5 = w.H;
    r.S5 = w.S;
    r.twoPhase = 0;
    const double m = r.m;
    if (r.S5 >= kWaterCriticalEntropy) {
        r.x5 = 0.0;
        r.steamMass = m / (m + 1.0);
        r.steamVolume = m * w.V / (m * w.V + 4.86e-5);
    } else {
        r.x5 = 1.0;
        r.steamMass = r.steamVolume = 0.0;
    }
    return true;
}

namespace {

void drawExpansion(WaterEOS& w, WaterMagmaCalculationResult& r) {
    const double V2 = r.V2 * 1e-6, V3 = r.V3 * 1e-6, Pmin = r.Pf * 1e5;
    if (r.scriptFlag == kScriptIgor) {
        if (r.T2 > 0.0) w.calculateTheIsochor(V2, r.T2, r.T3, 0, 1, "0", nullptr);
        w.calculateTheIsentropicCurve(r.T3, 0.0, V3, -1.0, 273.15, r.Tm, Pmin, 1e10, kIgorText, "1",
                                      nullptr);
        if (r.twoPhase)
            w.calculateIsoBiphasic(kIsoEntropy, r.S3, 2, 647.0, -1.0, kWaterCriticalVolume,
                                   kWaterCriticalVolume, r.Tsatf, 1, "2");
    } else if (r.scriptFlag == kScriptArray) {
        r.isochoreArray.clear();
        r.isentropeArray.clear();
        r.isochoreArray.reserve(100);
        r.isentropeArray.reserve(100);
        if (r.T2 > 0.0)
            w.calculateTheIsochor(V2, r.T2, r.T3, 0, kCurveArray, "0", &r.isochoreArray);
        w.calculateTheIsentropicCurve(r.T3, 0.0, V3, -1.0, 273.15, r.Tm + 0.1, Pmin, 1e10,
                                      kCurveArray, "1", &r.isentropeArray);
    }
    w.error = 0;
}

}  // namespace

// The magma does not heat the steam past the temperature it shares with it: the water's
// entropy gain equals the magma's loss (a reversible exchange). The water's entropy at Pf
// rises with T, the magma's loss falls, so the balance has one root between Tlow and T4.
bool steamEndWithMagma(WaterEOS& w, double Pf, double Tlow, double T4, double S4, double m) {
    const double M = w.M, cp = w.magmaHeatCapacity;
    auto balance = [&](double TK, bool& ok) {
        w.error = 0;
        w.set_the_phase_as(1);
        w.calculateFromTP(TK, Pf, 0);
        ok = w.error == 0 && std::isfinite(w.S);
        return w.S - S4 - (M * cp / m) * std::log(T4 / TK) -
               (M / m) * w.calculateLatentHeatEntropicTerm(T4, TK);
    };
    double low = Tlow, high = T4;
    bool ok = false;
    if (!(high > low) || !(balance(high, ok) > 0.0) || !ok) return false;
    for (int n = 0; n < 100 && high - low > 1e-9 * high; ++n) {
        const double mid = 0.5 * (low + high);
        const double g = balance(mid, ok);
        if (!ok) return false;
        (g > 0.0 ? high : low) = mid;
    }
    balance(high, ok);
    return ok;
}

bool isentropeMeetsSaturation(WaterEOS& w, double S3) {
    const int code = S3 >= kWaterCriticalEntropy ? w.calculateCondensationPointFromS(S3)
                                                 : w.calculateBoilingPointFromS(S3);
    if (code == 0 && w.error == 0) return true;
    // The model's coexistence is solved up to some 1e-5 K below its critical point, where the
    // two sides' entropies are still 0.05 J/(mol K) apart: an isentrope whose entropy lies
    // closer to the critical one meets the curve within that last 1e-5 K and 3e-5 bar, at
    // the critical state to the figures printed, with the isentrope's own entropy (the
    // expansion's end and works follow from that entropy alone).
    if (!(std::fabs(S3 - kWaterCriticalEntropy) < 0.6)) {
        w.error = 1;
        return false;
    }
    w.error = 0;
    w.temperature(w.Tcrit);  // the start of the model's critical search
    w.volume(w.Vcrit);
    w.search_the_critical_point_of_the_pure_component();
    if (w.error) return false;
    w.S = S3;
    return true;
}

void WaterEOS::calculateExpansionWork(WaterMagmaCalculationResult& r) {
    r.failed = 0;
    const double m = r.m;
    const SaturationEnds f = finalEnds(r);
    if (!isentropeMeetsSaturation(*this, r.S3)) {
        r.failed = 1;
        error = 1;
        return;
    }
    r.T4 = T;
    r.P4 = P * 1e-5;
    if (r.P4 <= r.Pf) {
        r.twoPhase = 0;
        r.T4 = 0.0;
        if (!singlePhaseIsentropeEnd(*this, r)) {
            r.failed = 1;
            return;
        }
        r.x5Volume = r.x5;
        r.W34 = 0.0;
        r.W45 = perGram(r.U5 - r.U3, M);
    } else {
        r.U4 = U;
        r.S4 = S;
        r.V4 = V * 1e6;
        r.x5 = f.isentropicFraction(r.S4);
        r.x5Volume = liquidVolumeFraction(r.x5, f.Vl, f.Vv);
        r.U5 = f.energy(r.x5);
        r.H5 = SaturationEnds::lever(r.x5, f.Hl, f.Hv);
        r.S5 = SaturationEnds::lever(r.x5, f.Sl, f.Sv);
        r.T5 = f.T;
        r.P5 = r.Pf;
        r.twoPhase = 1;
        r.W34 = perGram(r.U4 - r.U3, M);
        r.W45 = perGram(r.U5 - r.U4, M);
        r.steamMass = steamMassFraction(r.x5, m);
        r.steamVolume = steamVolumeFraction(r.x5, m, f.Vl, f.Vv);
    }
    if (r.writeCurves) drawExpansion(*this, r);
    r.Q = perGram(r.U3 - r.U2, M);
    r.Wrev = perGram(r.U5 - r.U3, M);
    r.enthalpyDrop = perGram(r.H5 - r.H3, M);

    const double start = (r.T3 > 600.0 && r.T3 < 650.0) ? 700.0 : r.T3;
    irreversibleExpansion(*this, r, 0.0, start);
    if (r.pyroclast) calculateIsothermalExpansionWork(r);
}

void WaterEOS::calculateExpansionWorkOfState(WaterMagmaCalculationResult& r, double Pf) {
    r.T3 = T;
    r.P3 = P * 1e-5;
    r.S3 = S;
    r.U3 = U;
    r.H3 = H;
    r.V3 = V * 1e6;
    r.Pf = Pf;
    if (const std::string why = wholeEnergiesRefusal(); !why.empty()) {
        error = 1;
        r.failed = 1;
        return r.failWith(why);
    }
    prepareExpansionWorkCalculation(Pf, r);
    if (!error) calculateExpansionWork(r);
}

// -------------------------------------------------------------- pyroclast-heated

namespace {

// Steam that the fragments would heat past saturated steam at Pf ends with them at a common
// T5p: the pyroclasts' variant of the steam end with the magma.
bool superheatedPyroclastEnd(WaterEOS& w, WaterMagmaCalculationResult& r, double m) {
    if (!steamEndWithMagma(w, r.Pf, finalEnds(r).T, r.T4P, r.S4P, m)) return false;
    r.T5P = w.T;
    r.P5P = r.Pf;
    r.U5P = w.U;
    r.S5P = w.S;
    r.x5P = r.x5VolumeP = 0.0;
    return true;
}

// State 5p at Pf of entropy S5p (J/(mol K)) after the magma has heated the water from
// state 4p: two-phase by the lever rule, liquid above it, superheated steam below it.
// False when the superheated end cannot be found.
bool pyroclastEnd(WaterEOS& w, WaterMagmaCalculationResult& r, const SaturationEnds& f, double m) {
    r.x5P = f.isentropicFraction(r.S5P);
    r.x5VolumeP = liquidVolumeFraction(r.x5P, f.Vl, f.Vv);
    r.U5P = f.energy(r.x5P);
    if (r.x5P > 1.0) {
        r.x5P = r.x5VolumeP = 1.0;
        r.U5P = f.Ul;
    } else if (r.x5P < 0.0) {
        if (!superheatedPyroclastEnd(w, r, m)) return false;
    }
    r.steamMassP = steamMassFraction(r.x5P, m);
    r.steamVolumeP = steamVolumeFraction(r.x5P, m, f.Vl, f.Vv);
    return true;
}

// The pyroclast-heated variant could not be computed: its figures are none, and the
// report says so; the main cycle stands.
void pyroclastNotComputed(WaterEOS& w, WaterMagmaCalculationResult& r) {
    w.error = 0;
    r.pyroclastFailed = 1;
    for (double* v : {&r.WrevP, &r.WirrP, &r.QP, &r.T5P, &r.P5P, &r.S5P, &r.U5P, &r.T5irrP, &r.x5P,
                      &r.x5VolumeP, &r.steamMassP, &r.steamVolumeP, &r.xiP, &r.xiVolumeP,
                      &r.steamMassIrrP, &r.steamVolumeIrrP})
        *v = kNaN;
}

// The pyroclast-heated figures that are those of the plain expansion.
void copyPlainEnd(WaterMagmaCalculationResult& r) {
    r.twoPhaseP = 0;
    r.T5P = r.T5;
    r.P5P = r.P5;
    r.U5P = r.U5;
    r.S5P = r.S5;
    r.x5P = r.x5;
    r.x5VolumeP = r.x5Volume;
    r.steamMassP = r.steamMass;
    r.steamVolumeP = r.steamVolume;
    r.QP = r.Q;
    r.WrevP = r.Wrev;
}

void copyIrreversibleEnd(WaterMagmaCalculationResult& r) {
    r.WirrP = r.Wirr;
    r.T5irrP = r.T5irr;
    r.xiP = r.xi;
    r.xiVolumeP = r.xiVolume;
    r.steamMassIrrP = r.steamMassIrr;
    r.steamVolumeIrrP = r.steamVolumeIrr;
}

// Water the fragments do not heat ends as in the plain expansion; no path is traced, but
// the cycle's script loads one.
void endWithoutFragments(WaterMagmaCalculationResult& r) {
    copyPlainEnd(r);
    copyIrreversibleEnd(r);
    if (r.writeCurves && r.scriptFlag == kScriptIgor) writeEmptyWave("isoh3", "p3 t3");
}

}  // namespace

void WaterEOS::calculateIsothermalExpansionWork(WaterMagmaCalculationResult& r) {
    const double m = r.m, cp = magmaHeatCapacity;
    const double V3 = r.V3 * 1e-6;
    const SaturationEnds f = finalEnds(r);
    // Work done while heating at constant pressure, none for the isochoric and Wohletz ones.
    const double Wh = (r.heating == 0 || r.heating == 2) ? 0.0 : r.isobaricWork;
    const double heatToState3 = (r.heating == 0 || r.heating == 2) ? r.U3 - r.U2 : r.Q * 1000.0 * M;
    // The fragments' heat (J/mol of water) cooling from T4 to T5: their heat capacity and the
    // latent heat of the melt crystallising on the way, whose entropy the water takes too.
    const auto fragmentsHeat = [&](double T4, double T5) {
        return (M / m) * (cp * (T4 - T5) - calculateLatentHeatTerm(T4, T5));
    };
    r.twoPhaseP = 0;
    r.pyroclastFailed = 0;
    if (r.heating == 1 && (r.isobaricStage == 1 || r.isobaricStage == 2) && !r.twoPhase) {
        // The fragments heat the water once it boils. Heated water whose isentrope reaches
        // the final pressure before the boiling curve stays liquid: it ends as without them,
        // where a magma giving heat from state 4 would stand colder than the water it heats.
        return endWithoutFragments(r);
    }
    if (r.heating == 1 && (r.isobaricStage == 1 || r.isobaricStage == 2)) {
        r.twoPhaseP = 1;
        // A liquid heated past its boiling point at its own pressure (superheated) boils where
        // it starts: its isentrope meets saturation only at a higher pressure and temperature,
        // where neither the water nor the fragments, cooled to T3 with it, have been.
        const bool superheated = r.T4 > r.T3;
        r.T4P = superheated ? r.T3 : r.T4;
        r.P4P = superheated ? r.P3 : r.P4;
        r.S4P = superheated ? r.S3 : r.S4;
        r.U4P = superheated ? r.U3 : r.U4;
        r.V4P = superheated ? r.V3 : r.V4;
        r.T5P = f.T;
        r.P5P = r.Pf;
        r.S5P = r.S4P + (M * cp / m) * std::log(r.T4P / r.T5P) +
                (M / m) * calculateLatentHeatEntropicTerm(r.T4P, r.T5P);
        if (!pyroclastEnd(*this, r, f, m)) return pyroclastNotComputed(*this, r);
        // The work counts from state 3: the expansion to the boiling curve (state 4) is
        // part of it.
        r.WrevP = perGram(r.U5P - r.U3 - fragmentsHeat(r.T4P, r.T5P) + Wh, M);
        r.QP = perGram(r.Q * 1000.0 * M + fragmentsHeat(r.T4P, r.T5P), M);
        copyIrreversibleEnd(r);
        // No path is traced here, but the cycle's script loads one.
        if (r.writeCurves && r.scriptFlag == kScriptIgor) writeEmptyWave("isoh3", "p3 t3");
        return;
    }

    if (!(r.P3 > r.Pf)) {
        // Heated water at or below the final pressure does not expand: no path.
        return endWithoutFragments(r);
    }
    CurveArray* rows = nullptr;
    char flag = 0;
    const char* suffix = "";
    if (r.writeCurves && r.scriptFlag == kScriptIgor) {
        flag = 1;
        suffix = "3";
    } else if (r.writeCurves && r.scriptFlag == kScriptArray) {
        flag = 6;
        r.pathArray.clear();
        r.pathArray.reserve(100);
        rows = &r.pathArray;
    }
    calculateHeatingDecompression(V3, r.T3, 273.15, magmaTemperature, r.Pf * 1e5, flag, suffix,
                                  rows);
    if (error) return pyroclastNotComputed(*this, r);
    if (boundaryReached != 1 || boundaryPressure <= f.P) {
        r.T5P = endTemperature;
        r.P5P = endPressure * 1e-5;
        calculateFromTV(endTemperature, endVolume, 0);
        r.S5P = S;
        r.U5P = U;
        r.WrevP = perGram(endWork + Wh, M);
        r.QP = perGram(heatToState3 + endHeat, M);
        if (r.S5P >= kWaterCriticalEntropy) {
            r.x5P = 0.0;
            r.steamMassP = m / (m + 1.0);
            r.steamVolumeP = m * V / (m * V + 4.86e-5);
        } else {
            r.x5P = 1.0;
            r.steamMassP = r.steamVolumeP = 0.0;
        }
        r.x5VolumeP = r.x5P;
    } else {
        r.twoPhaseP = 1;
        r.T4P = boundaryTemperature;
        r.P4P = boundaryPressure * 1e-5;
        r.V4P = boundaryVolume * 1e6;
        calculateFromTV(boundaryTemperature, boundaryVolume, 0);
        r.U4P = U;
        r.H4P = H;
        r.S4P = S;
        r.T5P = f.T;
        r.P5P = r.Pf;
        r.S5P = r.S4P + (M * cp / m) * std::log(r.T4P / r.T5P) +
                (M / m) * calculateLatentHeatEntropicTerm(r.T4P, r.T5P);
        if (!pyroclastEnd(*this, r, f, m)) return pyroclastNotComputed(*this, r);
        r.WrevP = perGram(r.U5P - r.U4P - fragmentsHeat(r.T4P, r.T5P) + boundaryWork + Wh, M);
        r.QP = perGram(heatToState3 + boundaryHeat + fragmentsHeat(r.T4P, r.T5P), M);
    }

    // Irreversible end with the magma's heat.
    const double heat = -(r.T5P - r.T3) * M * cp / m - M * calculateLatentHeatTerm(r.T3, r.T5P) / m;
    r.xiP = f.irreversibleFraction(V3, r.U3, heat);
    if (r.xiP >= 0.0 && r.xiP <= 1.0) {
        r.T5irrP = r.T5P;
        r.WirrP = perGram(f.irreversibleWork(r.xiP, V3) + Wh, M);
        r.xiVolumeP = liquidVolumeFraction(r.xiP, f.Vl, f.Vv);
        r.steamMassIrrP = steamMassFraction(r.xiP, m);
        r.steamVolumeIrrP = steamVolumeFraction(r.xiP, m, f.Vl, f.Vv);
        return;
    }
    calculateWaterIrreversibleDecompressionPoint(r.T3, V3, f.P, M * cp / m, r.T3,
                                                 r.xiP < 0.0 ? 1 : 2);
    if (error) {
        r.WirrP = r.T5irrP = kNaN;
        error = 0;
        return;
    }
    r.T5irrP = T;
    r.WirrP = perGram(-f.P * (V - V3) + Wh, M);
    if (r.xiP < 0.0) {
        r.xiP = r.xiVolumeP = 0.0;
        r.steamMassIrrP = m / (m + 1.0);
        r.steamVolumeIrrP = m * V / (m * V + 4.86e-5);
    } else {
        r.xiP = r.xiVolumeP = 1.0;
        r.steamMassIrrP = r.steamVolumeIrrP = 0.0;
    }
}

// ------------------------------------------------------- irreversible end point

double WaterEOS::equationForWaterIrreversibleDecompression(double TK, void* context) {
    const IrreversibleContext& c = *static_cast<const IrreversibleContext*>(context);
    if (TK < 0.0) {
        equationError = 1;
        return 0.0;
    }
    if (volumeAt(TK, c.P, c.side)) calculate_state_functions();
    if (!error && U < 0.0) error = 1;
    if (!error && TK < 647.1) {
        // A metastable volume inside the spinodal band is no end state.
        const bool liquidSide = V < Vsep;
        if (liquidSide ? V > getLiquidSpinodalVolume(TK) : V < getVapourSpinodalVolume(TK))
            error = 1;
    }
    if (error) {
        equationError = 1;
        return 0.0;
    }
    Vl0 = V;
    double f = (U - c.U0) + c.P * (V - c.V0);
    if (c.e != 0.0)
        f += (TK - c.T0) * c.e + (M / waterMagmaRatio) * calculateLatentHeatTerm(c.T0, TK);
    return f;
}

void WaterEOS::calculateWaterIrreversibleDecompressionPoint(double T0, double V0, double PPa,
                                                            double e, double Tstart, int side) {
    error = 0;
    calculateFromTV(T0, V0, 0);
    if (error) return;
    IrreversibleContext c{PPa, V, U, e, T0, side};
    auto search = [&](double x0, bool stepLimit) {
        Secant s = waterSecant(*this, &WaterEOS::equationForWaterIrreversibleDecompression, &c, x0,
                               x0 + 0.0001, 50, 1e-13, true);
        s.bounded = 1;
        s.xmin = 270.0;
        s.xmax = 5000.0;
        if (stepLimit) {
            s.steplimited = 1;
            s.maxstep = 10.0;
        }
        error = 0;
        const double root = s.solve();
        if (s.error != 0) return false;
        equationForWaterIrreversibleDecompression(root, &c);
        const bool ok = equationError == 0 && error == 0;
        equationError = 0;
        return ok;
    };
    if (search(Tstart, false)) return;
    // From a fixed start on the side the end pressure suggests.
    double second = 640.0;
    if (PPa <= 2.2e7) {
        second = 590.0;
        if (side == 2) Vl0 = 0.00026;
    }
    if (search(second, true)) return;
    // Without the magma's heat the end is the state of the isobar with the enthalpy the water
    // had (U0 + P V0): close to the critical point, where both searches fail, it is found by
    // halving temperatures on its side of the boiling point.
    error = e == 0.0 && singlePhasePointOnTheIsobar(*this, PPa * 1e-5, c.U0 + PPa * c.V0,
                                                    IsobarValue::Enthalpy)
                ? 0
                : 1;
}

// ------------------------------------------------------- mixture isentrope

double WaterEOS::calculateIsentropicMixtureState(double S0, double T0, double TK) {
    const double m = waterMagmaRatio;
    const double entropy = S0 + (M * magmaHeatCapacity / m) * std::log(T0 / TK);
    SaturationEnds e;
    if (!saturationEndsAtT(*this, TK, e)) {
        vornex::cfprintf(stderr, "No saturation state of water at %g K on the isentrope\n", TK);
        return 1.0;
    }
    if (entropy > e.Sv) {
        calculate_isentropic_point_at_fixed_T(TK, entropy, e.Vv);
        return 0.0;
    }
    const double x = e.isentropicFraction(entropy);
    P = e.P;
    V = e.volume(x);
    H = SaturationEnds::lever(x, e.Hl, e.Hv);
    U = e.energy(x);
    S = entropy;
    return x;
}

}  // namespace vornex

// Heating of water by magma: the latent heat of the crystallising magma, the energy balances
// per kg of magma at constant volume, at constant pressure and with the constant heat
// capacity of Wohletz, and the secant searches for the peak temperature.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numerics/Solver.h"
#include "numerics/Decimal.h"
#include "water/WaterEOS.h"
#include "water/magma/WaterMagmaRecords.h"
#include "water/magma/WaterMagmaSaturation.h"

namespace vornex {

namespace {

constexpr double kLowestWaterTemperature = 273.0;  // K
constexpr double kLiquidGuess = 1.8e-5;            // m3/mol

struct RockSink {
    double cx, Tx;  // J/K per kg of water, K
};

struct WohletzContext {
    double cw, T1, cx, Tx;
};

}  // namespace

void WaterEOS::meltingRange(double& Tsol, double& Tliq) const {
    Tsol = solidusTemperature;
    Tliq = liquidusTemperature;
    // A single melting point releases its heat over the last hundredth of a kelvin: a
    // balance that falls on it then finds the magma there, partly crystallised, instead of
    // no temperature at all.
    if (Tsol == Tliq) Tsol -= kSingleMeltingWidth;
}

double WaterEOS::calculateLatentHeatTerm(double T0, double TK) {
    const double L = latentHeat;
    if (L == 0.0) return 0.0;
    double Tsol = 0.0, Tliq = 0.0;
    meltingRange(Tsol, Tliq);
    const double c0 = std::clamp(T0, Tsol, Tliq), c = std::clamp(TK, Tsol, Tliq);
    return L * (c - c0) / (Tliq - Tsol);
}

double WaterEOS::calculateLatentHeatEntropicTerm(double T0, double TK) {
    const double L = latentHeat;
    if (L == 0.0) return 0.0;
    // At a single melting point the heat comes at that temperature.
    if (solidusTemperature == liquidusTemperature)
        return calculateLatentHeatTerm(T0, TK) / liquidusTemperature;
    double Tsol = 0.0, Tliq = 0.0;
    meltingRange(Tsol, Tliq);
    const double c0 = std::clamp(T0, Tsol, Tliq), c = std::clamp(TK, Tsol, Tliq);
    return L / (Tliq - Tsol) * std::log(c / c0);
}

bool bracketedWaterRoot(WaterEOS& w, double (WaterEOS::*residual)(double, void*), void* context,
                        double Tlow, double Thigh, double& root) {
    if (!(Tlow < Thigh)) return false;
    Muller search = waterSearch<Muller>(w, residual, context, Tlow, Thigh, 300, 1e-12);
    const double T = search.solve();
    w.equationError = 0;
    if (search.error != 0 || !std::isfinite(T)) return false;
    root = T;
    return true;
}

double WaterEOS::equationForIsochorHeating(double TK, void* context) {
    const RockSink& rock = *static_cast<const RockSink*>(context);
    if (TK < kLowestWaterTemperature) {
        equationError = 1;
        return 0.0;
    }
    temperature(TK);  // the volume of the state before heating stays
    calculate_state_functions();
    if (error) {
        equationError = 1;
        return 0.0;
    }
    const double m = waterMagmaRatio;
    return m * U / M + magmaHeatCapacity * (TK - magmaTemperature) + m * rock.cx * (TK - rock.Tx) +
           calculateLatentHeatTerm(magmaTemperature, TK) - initialWaterEnergy;
}

double WaterEOS::equationForWohletzHeating(double TK, void* context) {
    const WohletzContext& c = *static_cast<const WohletzContext*>(context);
    if (TK < kLowestWaterTemperature) {
        equationError = 1;
        return 0.0;
    }
    temperature(TK);
    calculate_state_functions();
    const double m = waterMagmaRatio;
    return calculateLatentHeatTerm(magmaTemperature, TK) + m * c.cw * (TK - c.T1) / M +
           m * c.cx * (TK - c.Tx) + magmaHeatCapacity * (TK - magmaTemperature);
}

namespace {

// The water before heating: (T1, V1) or, with V1 = 0, the liquid at (T1, P1 bar).
void setStateBeforeHeating(WaterEOS& w, double T1, double V1, double P1) {
    w.error = 0;
    w.temperature(T1);
    if (V1 != 0.0) {
        w.volume(V1);
        w.calculate_state_functions();
    } else {
        w.set_the_phase_as(2);
        w.Vl0 = kLiquidGuess;
        w.pressure(P1);
        w.calculate_molar_volume();
        w.calculate_state_functions();
    }
}

// Runs the peak search from Tm and 0.99 Tm; the model is left at the last evaluation, with
// its error flag raised when the search failed.
void searchPeak(WaterEOS& w, double (WaterEOS::*residual)(double, void*), void* context) {
    const double Tbefore = w.T;
    w.error = 0;
    Secant s = waterSecant(w, residual, context, w.magmaTemperature, 0.99 * w.magmaTemperature, 15,
                           1e-10, false);
    double T3 = s.solve();
    if (s.error != 0 &&
        !bracketedWaterRoot(w, residual, context, Tbefore, w.magmaTemperature, T3)) {
        w.error = 1;
        return;
    }
    (w.*residual)(T3, context);  // the peak state itself
    if (w.equationError) {
        w.equationError = 0;
        w.error = 1;
    }
}

}  // namespace

void WaterEOS::calculateIsochoricPeakTemperature(double T1, double V1, double P1, double cx,
                                                 double Tx, FILE* out) {
    // The balance is the water's energy against the magma's heat: a residual energy alone
    // finds another peak (1651 K where the water's is 602 K).
    if (!givesWholeEnergies("The isochoric heating")) return;
    // The cold water is taken as a liquid; the model answers on its own side after.
    const KeptPhaseSelector side(*this);
    setStateBeforeHeating(*this, T1, V1, P1);
    if (error) return;
    initialWaterEnergy = waterMagmaRatio * U / M;
    RockSink rock{cx, Tx};
    searchPeak(*this, &WaterEOS::equationForIsochorHeating, &rock);
    if (out == nullptr || error) return;
    // The same balance with a constant water heat capacity of 4200 J/(kg K), for comparison.
    const double m = waterMagmaRatio, cp = magmaHeatCapacity, Tm = magmaTemperature;
    double Tc = T1, previous = 0.0;
    for (int n = 0; n < 1000; ++n) {
        previous = Tc;
        Tc =
            (Tm * cp + T1 * m * 4200.0 - calculateLatentHeatTerm(Tm, previous)) / (m * 4200.0 + cp);
        if (std::fabs(Tc - previous) <= 0.1) break;
    }
    vornex::cfprintf(out, "%12f %12.4lf %12.4lf\n", m, T, Tc);
}

void WaterEOS::calculateWohletzPeakTemperature(double T1, double V1, double P1, double cw,
                                               double cx, double Tx) {
    const KeptPhaseSelector side(*this);
    setStateBeforeHeating(*this, T1, V1, P1);
    if (error) return;
    initialWaterEnergy = waterMagmaRatio * U / M;
    WohletzContext context{cw, T1, cx, Tx};
    searchPeak(*this, &WaterEOS::equationForWohletzHeating, &context);
}

// ------------------------------------------------------------------ isobaric heating

namespace {

// The heat (J per kg of magma) the magma and the sediment give from their start down to TK.
double heatGivenDownTo(WaterEOS& w, const WaterMagmaCalculationResult& r, double TK) {
    return w.magmaHeatCapacity * (w.magmaTemperature - TK) -
           w.calculateLatentHeatTerm(w.magmaTemperature, TK) -
           w.waterMagmaRatio * r.sedimentHeatCapacity * (TK - r.sedimentTemperature);
}

}  // namespace

double WaterEOS::equationForIsobaricHeating(double TK, void* context) {
    const WaterMagmaCalculationResult& r =
        *static_cast<const WaterMagmaCalculationResult*>(context);
    const double m = waterMagmaRatio;
    const double B = heatGivenDownTo(*this, r, TK);
    auto fail = [this] {
        equationError = 1;
        return 0.0;
    };
    if (!std::isfinite(TK) || TK < kLowestWaterTemperature) return fail();
    if (r.isobaricStage == 4) {
        temperature(TK);
        pressure(r.P2);
        set_the_phase_as(TK >= 647.0 ? 1 : 2);
        calculate_molar_volume();
        if (!error) calculate_state_functions();
        if (error) return fail();
        return B - m * (H - r.H2) / M;
    }
    if (TK <= r.Tb) {
        if (TK <= r.T2 || r.isobaricStage == 3) return fail();
        if (TK > r.Tspin) {
            // Past its spinodal the liquid is on its way to the boiling point of the same
            // entropy: a state of that isentrope, whose enthalpy the magma pays like any other.
            const double share = (TK - r.Tspin) / (r.Tb - r.Tspin);
            error = 0;
            set_the_phase_as(2);
            calculate_isentropic_point_at_fixed_T(TK, r.Sspin, r.Vspin + share * (r.Vl - r.Vspin));
            if (!error) calculate_state_functions();
            if (error || !(dPdV < 0.0)) return fail();
            return B - m * (H - r.H2) / M;
        }
        initializeSaturationVolumesFromT("H2O", TK);
        set_the_phase_as(2);
        Vl0 -= 1e-8;
        temperature(TK);
        pressure(r.P2);
        calculate_molar_volume();
        if (error || V > r.Vspin) {
            // The root found lies beyond the liquid spinodal: from a dense liquid again. A
            // root there still (the steam's, close below the spinodal) is no liquid.
            error = 0;
            Vl0 = kLiquidGuess;
            calculate_molar_volume();
            if (error || V > r.Vspin) return fail();
        }
        calculate_state_functions();
        if (error) return fail();
        return B - m * (H - r.H2) / M;
    }
    if (r.isobaricStage == 1) return fail();
    temperature(TK);
    pressure(r.Pb);
    set_the_phase_as(1);
    calculate_molar_volume();
    if (!error) calculate_state_functions();
    if (error) return fail();
    return B - m * r.Qvap / M - m * (H - r.Hv) / M;
}

namespace {

// Isobaric search from x0 and x1; true when it converged, the model then at the root.
// The secant from (x0, x1), then, where it fails and a bracket [low, high] is given, the
// bracketed search; the state at the root evaluated.
bool isobaricSearch(WaterEOS& w, WaterMagmaCalculationResult& r, double x0, double x1,
                    double low = 0.0, double high = 0.0) {
    w.error = 0;
    Secant s = waterSecant(w, &WaterEOS::equationForIsobaricHeating, &r, x0, x1, 15, 1e-10, true);
    double T3 = s.solve();
    if (s.error != 0 &&
        !(low < high && bracketedWaterRoot(w, &WaterEOS::equationForIsobaricHeating, &r, low, high, T3)))
        return false;
    w.error = 0;
    w.equationForIsobaricHeating(T3, &r);
    const bool ok = w.equationError == 0 && w.error == 0;
    w.equationError = 0;
    return ok;
}

// The heat residual of the isobar at TK; false where the state is not solved (the model
// then holds whatever the search left).
bool isobaricResidual(WaterEOS& w, WaterMagmaCalculationResult& r, double TK, double& residual) {
    w.error = 0;
    w.equationError = 0;
    residual = w.equationForIsobaricHeating(TK, &r);
    const bool solved = w.equationError == 0 && w.error == 0;
    w.error = 0;
    w.equationError = 0;
    return solved;
}

// The liquid's heat capacity diverges at its spinodal: the heat residual falls ever more
// steeply up to Tspin, and states close to it, on either side, are not solved (within about
// 1e-5 K; near the critical point, patches up to 1e-4 K below it, where the volume found is
// the steam's). The solved state nearest the spinodal on the side `direction` (-1 below, +1
// above), from `nearest` K off it on, whose residual `wanted` accepts, with that residual;
// NaN where none within 0.1 K is.
double solvedNextToSpinodal(WaterEOS& w, WaterMagmaCalculationResult& r, double direction,
                            double& residual, double nearest = 1e-6,
                            bool (*wanted)(double) = nullptr) {
    for (double step = nearest; step <= 0.1; step *= 10.0) {
        const double TK = r.Tspin + direction * step;
        if (isobaricResidual(w, r, TK, residual) && (wanted == nullptr || wanted(residual)))
            return TK;
    }
    return std::nan("");
}

// The water at volume V (m3/mol) whose pressure (Pa) or entropy (J/(mol K)) is the target:
// at fixed volume both rise with T, so its temperature is bracketed by [Tlow, Thigh] and
// halved, where the searches from a start fail, next to the liquid spinodal. False where it
// is not bracketed; else the model holds the state.
enum class HeldValue { Pressure, Entropy };
bool waterAtVolume(WaterEOS& w, double V, HeldValue held, double target, double Tlow,
                   double Thigh) {
    auto excess = [&](double TK) {
        w.error = 0;
        w.temperature(TK);
        w.volume(V);
        if (held == HeldValue::Pressure) return w.calculate_pressure() - target;
        w.calculate_state_functions();
        return w.S - target;
    };
    if (!(excess(Tlow) < 0.0) || !(excess(Thigh) > 0.0) || w.error) return false;
    for (int n = 0; n < 80 && Thigh - Tlow > 1e-13 * Thigh; ++n) {
        const double mid = 0.5 * (Tlow + Thigh);
        (excess(mid) > 0.0 ? Thigh : Tlow) = mid;
    }
    excess(0.5 * (Tlow + Thigh));
    w.calculate_state_functions();
    return w.error == 0;
}

// The water's path next to the spinodal: the isobar up to it, or its isentrope past it, each
// followed by volume, the states there being found by temperature within [Tlow, Thigh].
struct PathByVolume {
    HeldValue held;
    double Tlow, Thigh;
};

// The heat residual at volume V on the path; `solved` false where the state is not found.
double residualAtVolume(WaterEOS& w, const WaterMagmaCalculationResult& r,
                        const PathByVolume& path, double V, bool& solved) {
    solved = waterAtVolume(w, V, path.held,
                           path.held == HeldValue::Pressure ? r.P2 * 1e5 : r.Sspin, path.Tlow,
                           path.Thigh);
    return heatGivenDownTo(w, r, w.T) - w.waterMagmaRatio * (w.H - r.H2) / w.M;
}

// The root of the heat balance on the path between the volume `cold`, where heat is left,
// and `hot`, where the water took more than the magma gives, halved in volume; false where a
// state between is not found, else the model holds the root.
bool rootByVolume(WaterEOS& w, const WaterMagmaCalculationResult& r, const PathByVolume& path,
                  double cold, double hot) {
    bool solved = false;
    for (int n = 0; n < 60 && std::fabs(hot - cold) > 1e-15 * std::fabs(hot); ++n) {
        const double mid = 0.5 * (cold + hot);
        const double f = residualAtVolume(w, r, path, mid, solved);
        if (!solved) return false;
        (f > 0.0 ? cold : hot) = mid;
    }
    residualAtVolume(w, r, path, 0.5 * (cold + hot), solved);
    return solved;
}

// The volume of the solved state of the isobar at TK.
bool volumeOnIsobar(WaterEOS& w, WaterMagmaCalculationResult& r, double TK, double& V) {
    double residual = 0.0;
    const bool solved = isobaricResidual(w, r, TK, residual);
    V = w.V;
    return solved;
}

// State 3 of a liquid the magma heats to within the unsolved states next to its spinodal,
// where the searches by temperature fail: the root of the heat balance along the isobar up to
// the spinodal, or past it along the isentrope of the spinodal, each followed by volume.
// Tbelow and Tabove are solved states either side of the spinodal, Tbelow's residual above 0
// unless the root lies below it (then a colder state with heat left bounds it). False where
// none is found.
bool liquidEndNextToTheSpinodal(WaterEOS& w, WaterMagmaCalculationResult& r, double Tbelow,
                                double below, double Tabove) {
    double Vbelow = 0.0;
    if (!volumeOnIsobar(w, r, Tbelow, Vbelow)) return false;
    if (!(below > 0.0)) {
        double cold = 0.0;
        const double Tcold = solvedNextToSpinodal(w, r, -1.0, cold, 10.0 * (r.Tspin - Tbelow),
                                                  [](double f) { return f > 0.0; });
        double Vcold = 0.0;
        return Tcold > r.T2 && volumeOnIsobar(w, r, Tcold, Vcold) &&
               rootByVolume(w, r, {HeldValue::Pressure, Tcold - 1.0, r.Tspin + 1.0}, Vcold,
                            Vbelow);
    }
    const PathByVolume isobar{HeldValue::Pressure, Tbelow - 1.0, r.Tspin + 1.0};
    double Vabove = 0.0;
    if (!(Tabove < r.Tb) || !volumeOnIsobar(w, r, Tabove, Vabove)) return false;
    bool solved = false;
    const double atSpinodal = residualAtVolume(w, r, isobar, r.Vspin, solved);
    if (!solved) return false;
    if (atSpinodal <= 0.0) return rootByVolume(w, r, isobar, Vbelow, r.Vspin);
    const PathByVolume isentrope{HeldValue::Entropy, r.Tspin - 1.0, Tabove + 1.0};
    return rootByVolume(w, r, isentrope, r.Vspin, Vabove);
}

void readState3(WaterEOS& w, WaterMagmaCalculationResult& r) {
    r.T3 = w.T;
    r.P3 = w.P * 1e-5;
    r.U3 = w.U;
    r.H3 = w.H;
    r.V3 = w.V * 1e6;
    r.S3 = w.S;
    r.A3 = w.A;
}

}  // namespace

void WaterEOS::calculateIsobaricPeakTemperature(WaterMagmaCalculationResult& r) {
    const double m = waterMagmaRatio, Tm = magmaTemperature, cp = magmaHeatCapacity;
    if (r.isobaricStage == 4) {
        r.x3 = 0.0;
        if (!isobaricSearch(*this, r, r.T2 + 1.0, r.T2 + 1.001, r.T2 + 1e-6, Tm)) {
            error = 1;
            return;
        }
        readState3(*this, r);
        return;
    }
    const double Bb = cp * (Tm - r.Tb) - calculateLatentHeatTerm(Tm, r.Tb) -
                      m * r.sedimentHeatCapacity * (r.Tb - r.sedimentTemperature);
    const double a = Bb - m * (r.Hl - r.H2) / M;  // heat left at the boiling point
    const double b = Bb - m * r.Qvap / M;         // heat left after full vaporisation
    double x0 = Tm, x1 = 0.99 * Tm;
    if (a >= 0.0 && b <= 0.0) {
        // The water ends boiling at Tb.
        const double x3 = (Bb - (m / M) * r.Qvap) / ((r.Hl - r.Hv) * m / M);
        r.x3 = x3;
        r.T3 = r.T4 = r.Tb;
        r.P3 = r.P4 = r.Pb;
        r.S3 = x3 * r.Sl + (1.0 - x3) * r.Sv;
        r.U3 = x3 * r.Ul + (1.0 - x3) * r.Uv;
        r.H3 = x3 * r.Hl + (1.0 - x3) * r.Hv;
        r.A3 = x3 * r.Al + (1.0 - x3) * r.Av;
        r.V3 = (x3 * r.Vl + (1.0 - x3) * r.Vv) * 1e6;
        // State 4 is state 3: the boiling water is on the saturation curve already.
        r.S4 = r.S3;
        r.U4 = r.U3;
        r.V4 = r.V3;
        r.isobaricStage = 2;
        error = 0;
        return;
    }
    if (a > 0.0 && b > 0.0) {
        r.x3 = 0.0;
        r.isobaricStage = 3;
    } else if (a < 0.0 && b < 0.0) {
        r.x3 = -2.0;
        r.isobaricStage = 1;
        double Te = ((r.T2 * 4000.0 * M + r.H2) * m / M + cp * Tm) / (cp + m * 4000.0);
        if (Te > r.Tspin) Te = r.Tspin - 1.0;
        x0 = std::max(r.T2, Te);
        x1 = x0 - 1.0;
    }
    if (r.isobaricStage != 1 && r.isobaricStage != 3) return;
    // The heat left falls from the cold water's temperature (the magma gives and the water
    // takes nothing) to Tb (liquid end) or from Tb to Tm (steam end): the root is bracketed.
    bool ok = r.isobaricStage == 3 ? isobaricSearch(*this, r, x0, x1, r.Tb + 1e-6, Tm)
                                   : isobaricSearch(*this, r, x0, x1, r.T2 + 1e-6, r.Tb);
    if (!ok && r.isobaricStage == 1 && r.Tspin > r.T2 && r.Tspin < r.Tb) {
        // The magma heats the liquid to within a fraction of a kelvin of its spinodal: the
        // root is bracketed on the side of the spinodal where the residual changes sign,
        // short of the states there that are not solved.
        double below = 0.0, above = 0.0;
        const double Tbelow = solvedNextToSpinodal(*this, r, -1.0, below);
        const double Tabove = solvedNextToSpinodal(*this, r, 1.0, above);
        if (Tbelow > r.T2 && below <= 0.0)
            ok = isobaricSearch(*this, r, Tbelow - 1.0, Tbelow - 1.001, r.T2 + 1e-6, Tbelow);
        else if (Tabove < r.Tb && above >= 0.0)
            ok = isobaricSearch(*this, r, Tabove + 0.1, Tabove + 0.101, Tabove, r.Tb);
        if (!ok && Tbelow > r.T2 && !(Tabove < r.Tb && above >= 0.0))
            ok = liquidEndNextToTheSpinodal(*this, r, Tbelow, below, Tabove);
    }
    if (!ok && r.isobaricStage == 1)
        ok = isobaricSearch(*this, r, r.Tspin - 1.0, r.Tspin - 1.001) ||
             isobaricSearch(*this, r, r.T2 + 1.0, r.T2 + 1.001);
    if (!ok) {
        error = 1;
        return;
    }
    readState3(*this, r);
}

}  // namespace vornex

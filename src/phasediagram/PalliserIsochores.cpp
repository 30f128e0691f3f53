// Isochores: the temperature-pressure path of a fluid of fixed salinity and density, and the
// pressure searches on the state computation that trace it.
#include <algorithm>
#include <cmath>

#include "phasediagram/Palliser.h"
#include "phasediagram/PalliserSteps.h"

namespace vornex {

namespace {

constexpr double kPureWater = 1e-8;
constexpr double kPureNaCl = 0.9999;
constexpr double kIsochoreWidening = 1.25;  // factor of each widening step of the bracket
constexpr int kIsochoreWidenings = 40;      // from the guess to beyond the diagram's pressures
constexpr int kIsochoreHalvings = 80;
// How closely the density at a pressure found for it must meet the density asked for.
constexpr double kBulkDensityTolerance = 1e-6;

struct IsochoreContext {
    double T, rho, x;
    double bound1 = -1.0, bound2 = -1.0;  // the SLV and water saturation pressures at T
    double xliq = -1.0;                   // liquidus salinity of the last evaluation
};

}  // namespace

// Residual of a two-phase isochore: the target density less the mixture's; the flag when the
// bulk is no mixture of the two phases.
double Palliser::mixtureResidual(const Mixture& m, double rho) {
    if (!m.valid) {
        equationError = 1;
        return 0.0;
    }
    return rho - m.rho;
}

void Palliser::calculateTheIsochor(CurveArray& out, double x, double T0, double P0, double Tend,
                                   double rho) {
    failed = 1;
    if (!std::isfinite(x) || !std::isfinite(P0) || !(rho > 0.0) || !std::isfinite(rho)) return;
    // A pure-NaCl fluid has no isochoric pressure to search: its curve would be an isobar.
    if (x > kPureNaCl) return;
    double P = P0;
    bool stop = false, lost = false;
    size_t rows = 0;
    steps(0.0, T0 - Tend, 1.0, Bound::AtOrBelow, [&](double dT) {
        if (stop) return;
        double T = T0 - dT;
        calculateFluidDensity(T, P, x, rho);
        if (region != kOnePhase) {
            stop = true;
            return;
        }
        const double Pnext = isochoricPressure(T, P, rho, x);
        // The path ends where no pressure is found, at a pressure that is no state, or where
        // the fluid at its isochoric pressure is no longer one phase (it has homogenised).
        if (!(Pnext > 0.0) || !std::isfinite(Pnext)) {
            stop = lost = true;
            return;
        }
        if (!isOnePhaseAt(T, Pnext, x, rho)) {
            stop = true;
            return;
        }
        P = Pnext;
        region = kIsochore;
        appendRow(out, {T, P});
        ++rows;
    });
    // A path whose pressure was lost, or that never left its first point, is no isochore.
    failed = lost || (rows < 2 && T0 - 1.0 >= Tend);
}

double Palliser::isochoricPressure(double T, double Pguess, double rho, double x) {
    return x < kPureWater ? getIsochoricWaterPressure(T, rho)
                          : getIsochoricFluidPressure(T, Pguess, rho, 100.0 * x);
}

bool Palliser::isOnePhaseAt(double T, double P, double x, double rho) {
    calculateFluidDensity(T, P, x, rho);
    bool onePhase = region == kOnePhase;
    // Pure water between its saturated densities is liquid and vapour, whatever P says.
    if (x < kPureWater && onePhase && T < waterCriticalTemperature)
        onePhase = rho >= waterLiquidDensity || rho <= waterVapourDensity;
    return onePhase;
}

double Palliser::pressureForBulkDensity(double T, double Pguess, double rho, double x) {
    auto holds = [&](double P) {
        if (!(P > 0.0) || !std::isfinite(P)) return false;
        const double d = calculateFluidDensity(T, P, x, rho);
        return d > 0.0 && std::fabs(d / rho - 1.0) <= kBulkDensityTolerance;
    };
    const double P = isochoricPressure(T, Pguess, rho, x);
    if (holds(P)) return P;
    // Pure water of a density between its saturated ones boils: liquid and vapour at the
    // saturation pressure, in the proportions the density gives.
    if (x < kPureWater) {
        if (T >= waterCriticalTemperature) return 0.0;
        double Psat = 0.0, rhoL = 0.0, rhoV = 0.0;
        calculateExtendedWaterSaturationPoint(T, Psat, rhoL, rhoV);
        return holds(Psat) ? Psat : 0.0;
    }
    // A brine splits into liquid and vapour, or into halite and one fluid: the pressure of
    // that mixture whose bulk density is rho.
    double xliq = 0.0;
    for (double Pmix : {getIsochoricLiquidGasPressure(T, Pguess, rho, 100.0 * x),
                        getIsochoricHaliteLiquidPressure(T, Pguess, rho, 100.0 * x, xliq),
                        getIsochoricHaliteGasPressure(T, Pguess, rho, 100.0 * x)})
        if (holds(Pmix)) return Pmix;
    return 0.0;
}

double Palliser::getIsochoricFluidPressure(double T, double Pguess, double rho, double w) {
    IsochoreContext c{T, rho, w / 100.0};
    int error = 0;
    double P =
        secant(&Palliser::equationForIsochoricFluidPressure, &c, Pguess, 1.001 * Pguess, error);
    if (!error) return P;
    // The secant ran onto a flat or broken stretch: bracket the root by widening from the guess
    // in the direction the residual points, then halve.
    auto residual = [&](double p, double& r) {
        int16_t outer = equationError;
        equationError = 0;
        r = equationForIsochoricFluidPressure(p, &c);
        bool ok = equationError == 0 && std::isfinite(r);
        equationError = outer;
        return ok;
    };
    double lo = Pguess, rLo = 0.0;
    if (!(Pguess > 0.0) || !residual(lo, rLo)) return 0.0;
    if (rLo == 0.0) return lo;
    const double factor = rLo < 0.0 ? kIsochoreWidening : 1.0 / kIsochoreWidening;
    double hi = lo, rHi = rLo;
    for (int i = 0; i < kIsochoreWidenings && (rHi < 0.0) == (rLo < 0.0); ++i) {
        lo = hi;
        rLo = rHi;
        hi = lo * factor;
        if (!residual(hi, rHi)) return 0.0;
    }
    if ((rHi < 0.0) == (rLo < 0.0)) return 0.0;
    for (int i = 0; i < kIsochoreHalvings && std::fabs(hi - lo) > 1e-10 * hi; ++i) {
        double mid = 0.5 * (lo + hi), rMid = 0.0;
        if (!residual(mid, rMid)) return 0.0;
        if ((rMid < 0.0) == (rLo < 0.0))
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

double Palliser::equationForIsochoricFluidPressure(double P, void* context) {
    auto& c = *static_cast<IsochoreContext*>(context);
    double rho = std::isfinite(P) ? calculateFluidDensity(c.T, P, c.x, c.rho) : -1.0;
    // An unclassified state (density -1) is no point of the isochore.
    if (!(rho > 0.0)) {
        equationError = 1;
        return 0.0;
    }
    return rho - c.rho;
}

double Palliser::getIsochoricLiquidGasPressure(double T, double Pguess, double rho, double w) {
    (void)Pguess;  // the search starts on the SLV pressure, the lower end of the LV loop
    IsochoreContext c{T, rho, w / 100.0};
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    if (T <= haliteTripleTemperature) calculateSLVPoint(T, c.bound1, xL, xV, rhoL, rhoV);
    if (T < waterCriticalTemperature)
        calculateExtendedWaterSaturationPoint(T, c.bound2, rhoL, rhoV);
    int error = 0;
    double P = secant(&Palliser::equationForIsochoricLiquidGasPressure, &c, c.bound1,
                      1.001 * c.bound1, error);
    return error ? 0.0 : P;
}

double Palliser::equationForIsochoricLiquidGasPressure(double P, void* context) {
    auto& c = *static_cast<IsochoreContext*>(context);
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    bool ok = !(c.T <= haliteTripleTemperature && P < c.bound1) &&
              !(c.T < waterCriticalTemperature && P > c.bound2);
    if (ok) {
        calculateLGPoint(c.T, P, xL, xV, rhoL, rhoV);
        ok = !failed;
    }
    Mixture m = ok ? mixture(c.x, xL, rhoL, xV, rhoV) : Mixture{};
    return mixtureResidual(m, c.rho);
}

double Palliser::getIsochoricHaliteGasPressure(double T, double Pguess, double rho, double w) {
    IsochoreContext c{T, rho, w / 100.0};
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    double start = Pguess;
    if (T <= haliteTripleTemperature) {
        calculateSLVPoint(T, c.bound1, xL, xV, rhoL, rhoV);
        start = std::min(c.bound1, Pguess);
    }
    int error = 0;
    double P =
        secant(&Palliser::equationForIsochoricHaliteGasPressure, &c, start, 0.999 * start, error);
    return error ? 0.0 : P;
}

double Palliser::equationForIsochoricHaliteGasPressure(double P, void* context) {
    auto& c = *static_cast<IsochoreContext*>(context);
    double xHG = 0.0, rhoHG = 0.0;
    Mixture m;
    if (!(c.T <= haliteTripleTemperature && P > c.bound1)) {
        calculateHaliteGasBubble(c.T, P, xHG, rhoHG);
        if (!failed && rhoHG > 0.0) m = mixture(c.x, 1.0, kHaliteDensity, xHG, rhoHG);
    }
    return mixtureResidual(m, c.rho);
}

double Palliser::getIsochoricHaliteLiquidPressure(double T, double Pguess, double rho, double w,
                                                  double& xliq) {
    IsochoreContext c{T, rho, w / 100.0};
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    double start = Pguess;
    if (T <= haliteTripleTemperature) {
        calculateSLVPoint(T, c.bound1, xL, xV, rhoL, rhoV);
        slvLiquidSalinity = xL;
        start = std::max(Pguess, c.bound1);
    }
    int error = 0;
    double P = secant(&Palliser::equationForIsochoricHaliteLiquidPressure, &c, start, 1.001 * start,
                      error);
    xliq = c.xliq;
    return error ? 0.0 : P;
}

double Palliser::equationForIsochoricHaliteLiquidPressure(double P, void* context) {
    auto& c = *static_cast<IsochoreContext*>(context);
    double rhoLiq = 0.0;
    Mixture m;
    if (!(c.T <= haliteTripleTemperature && P < c.bound1)) {
        calculateHaliteLiquidPoint(c.T, P, c.xliq, slvLiquidSalinity, rhoLiq);
        if (!failed) m = mixture(c.x, 1.0, kHaliteDensity, c.xliq, rhoLiq);
    }
    return mixtureResidual(m, c.rho);
}

}  // namespace vornex

// The state computation: region, bulk density and phase proportions of (T, P, x).
#include "phasediagram/Palliser.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "phasediagram/PalliserSteps.h"

namespace vornex {

namespace {

constexpr double kPureWater = 1e-8;   // below: pure water
constexpr double kPureNaCl = 0.9999;  // above: pure NaCl
// A pressure this close to a saturation (or the SLV) curve's is on it: within 0.01 bar, and
// within a ten-thousandth of the curve's pressure, six digits of a shown pressure. An
// absolute band alone is a stretch of the neighbouring regions where the curve's pressure is
// small: 0.01 bar is a hundredth of the SLV pressure near 85 degC and exceeds water's
// saturation pressure below 7 degC and NaCl's boiling pressure just above 800 degC.
constexpr double kOnCurve = 0.01;  // bar
constexpr double kOnCurveShare = 1e-4;

bool onCurve(double P, double Pcurve) {
    return P == Pcurve || std::fabs(P - Pcurve) < std::min(kOnCurve, kOnCurveShare * Pcurve);
}
// Mass share of a phase that is the rounding of the three-phase proportions, not a phase.
constexpr double kShareRounding = 1e-12;

bool inUnit(double v) {
    return v >= 0.0 && v <= 1.0;
}

// The SLV shares of liquid, vapour and halite with those below rounding set to 0; the number
// of phases they leave, or 0 where they are no proportions (one outside [0, 1]).
int roundedShares(double& wL, double& wV, double& wH) {
    wH = 1.0 - wL - wV;
    for (double* w : {&wL, &wV, &wH})
        if (std::fabs(*w) < kShareRounding) *w = 0.0;
    if (!inUnit(wL) || !inUnit(wV) || !inUnit(wH)) return 0;
    return (wL > 0.0) + (wV > 0.0) + (wH > 0.0);
}

}  // namespace

Palliser::Palliser() {
    haliteDensity = kHaliteDensity;
}

void Palliser::say(const char* format, ...) const {
    if (!diagnostics) return;
    char line[256];
    va_list args;
    va_start(args, format);
    vornex::vcsnprintf(line, sizeof line, format, args);
    va_end(args);
    diagnostics(line);
}

bool Palliser::criticalPointAt(double T, double& P, double& x, double& rho) {
    P = x = rho = -1.0;
    if (!(T >= waterCriticalTemperature && T <= naclCriticalTemperature)) return false;
    calculateCriticalPoint(T, P, x, rho);
    // The fit passes x = 0 (-7.6e-7) at water's critical point, where the curve starts at
    // pure water.
    if (x < 0.0 && x > -1e-5) x = 0.0;
    return std::isfinite(P) && std::isfinite(x) && std::isfinite(rho) && rho > 0.0;
}

double Palliser::onePhase(double rho) {
    region = kOnePhase;
    return rho;
}

void Palliser::checkState() {
    if (clearNonFinite()) failed = 1;
    if (!(density > 0.0)) failed = 1;
    // A state whose density rests on a failed evaluation is no classified state, and an
    // unclassified state has no results to read.
    if (failed) region = kUnclassified;
    if (region == kUnclassified) {
        density = -1.0;
        failed = 1;
    }
}

double Palliser::calculateFluidDensity(double T, double P, double x, double rho) {
    temperature = T;
    pressure = P;
    salinity = x;
    reset();
    maxPressure = kDiagramMaxPressure;
    density = -1.0;
    // Not cleared by reset(), which tracers also call; a state that does not compute them must
    // not show those of an earlier state.
    liquidusTemperatureAtMaxPressure = haliteMeltingTemperatureAtMaxPressure =
        haliteMeltingTemperature = -1.0;
    bool valid = std::isfinite(T) && std::isfinite(P) && std::isfinite(x) && std::isfinite(rho) &&
                 P > 0.0 && T >= 0.0 && x >= 0.0 && x <= 1.0;
    if (!valid) {
        failed = 1;
        return density;
    }
    if (x < kPureWater) {
        density = calculateWaterDensity(T, P, rho);
        fluidCriticalTemperature = waterCriticalTemperature;
        fluidCriticalPressure = waterCriticalPressure;
        fluidCriticalDensity = waterCriticalDensity;
        if (T < waterCriticalTemperature)
            calculateSLVPoint(T, slvPressure, slvLiquidSalinity, slvVapourSalinity,
                              slvLiquidDensity, slvVapourDensity);
    } else if (x > kPureNaCl) {
        if (T <= haliteTripleTemperature) {
            calculateSLVPoint(T, slvPressure, slvLiquidSalinity, slvVapourSalinity,
                              slvLiquidDensity, slvVapourDensity);
            criticalPointAt(T, criticalPressure, criticalSalinity, criticalDensity);
            liquidusAtMaxPressure(T);
        }
        density = calculateNaClDensity(T, P, rho);
    } else {
        calculateCriticalPointFromX(x, fluidCriticalTemperature, fluidCriticalPressure,
                                    fluidCriticalDensity);
        if (failed) fluidCriticalTemperature = fluidCriticalPressure = fluidCriticalDensity = -1.0;
        failed = 0;  // the region's own searches report from here on
        if (T < waterCriticalTemperature)
            density = classifyBelowWaterCritical(T, P, x, rho);
        else if (T <= haliteTripleTemperature)
            density = classifyUpTo800(T, P, x, rho);
        else if (T < naclCriticalTemperature)
            density = classifyAbove800(T, P, x);
    }
    checkState();
    return density;
}

void Palliser::fillHaliteFields(double T, double P, double x) {
    calculateSLVPoint(T, slvPressure, slvLiquidSalinity, slvVapourSalinity, slvLiquidDensity,
                      slvVapourDensity);
    liquidusAtMaxPressure(T);
    double scratch = 0.0;
    calculateHaliteLiquidTemperature(x, maxPressure, liquidusTemperatureAtMaxPressure, scratch, T);
    calculateHaliteLiquidTemperature(1.0, maxPressure, haliteMeltingTemperatureAtMaxPressure,
                                     scratch, T);
    calculateHaliteLiquidTemperature(1.0, P, haliteMeltingTemperature, scratch, T);
    failed = 0;  // the liquidus temperatures of a salinity without a liquidus read -1
}

void Palliser::liquidusAtMaxPressure(double T) {
    calculateHaliteLiquidPoint(T, maxPressure, liquidusSalinityAtMaxPressure, slvLiquidSalinity,
                               liquidusDensityAtMaxPressure);
    if (failed || !inUnit(liquidusSalinityAtMaxPressure)) {
        // No liquidus reaches the pressure limit at T (below about 124 degC): not computed.
        liquidusSalinityAtMaxPressure = liquidusDensityAtMaxPressure = -1.0;
        failed = 0;
    }
}

bool Palliser::haliteLiquidAt(double T, double P) {
    calculateHaliteLiquidPoint(T, P, haliteLiquidSalinity, slvLiquidSalinity, haliteLiquidDensity);
    const bool found = !failed && inUnit(haliteLiquidSalinity);
    if (!found) haliteLiquidSalinity = haliteLiquidDensity = -1.0;
    failed = 0;
    return found;
}

bool Palliser::haliteBeyondFits(double P, double x) {
    // Cold and compressed, the liquidus leaves the fits below the salinity of the SLV liquid at
    // 0 degC, where it would lie at lower salinities the fits do not reach. The halite-saturated
    // liquid keeps that salinity and is compressed as the liquidus liquid is, from the pressure
    // where the liquidus reaches it at T on: continuous with the liquidus below that pressure.
    // A fluid below that salinity has no halite.
    double Ps = 0.0, x0 = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0, T0 = 0.0, rho0 = 0.0;
    calculateSLVPoint(0.0, Ps, x0, xV, rhoL, rhoV);
    failed = 0;
    if (x < x0) return false;
    calculateHaliteLiquidTemperature(x0, P, T0, rho0, 0.0);
    if (!failed && rho0 > 0.0) {
        haliteLiquidSalinity = x0;
        haliteLiquidDensity = rho0;
        return false;
    }
    failed = 1;
    region = kUnclassified;
    return true;
}

double Palliser::haliteVapourOrVapour(double T, double P, double x) {
    calculateHaliteGasBubble(T, P, haliteGasSalinity, haliteGasDensity);
    if (x >= haliteGasSalinity) {
        region = kHaliteVapour;
        return calculateHaliteGasDensity();
    }
    return onePhase(calculateFluidDensityRegion8());
}

double Palliser::classifyBelowWaterCritical(double T, double P, double x, double rho) {
    fillHaliteFields(T, P, x);
    calculateExtendedWaterSaturationPoint(T, waterSaturationPressure, waterLiquidDensity,
                                          waterVapourDensity);
    if (onSLVCurve(T, P, x, rho)) {
        region = kHaliteLiquidVapour;
        return calculateHaliteLiquidGasDensity(T, x, rho);
    }
    // At exactly the SLV pressure a vapour below the SLV vapour salinity is vapour.
    if (P <= slvPressure) return haliteVapourOrVapour(T, P, x);
    if (!haliteLiquidAt(T, P) && haliteBeyondFits(P, x)) return -1.0;
    if (x > haliteLiquidSalinity && haliteLiquidSalinity >= 0.0) {
        region = kHaliteLiquid;
        return calculateHaliteLiquidDensity();
    }
    if (P > waterSaturationPressure) return onePhase(calculateFluidDensityRegion2b());
    return liquidVapourTest(T, P, x);
}

bool Palliser::onSLVCurve(double T, double P, double x, double rho) {
    if (!onCurve(P, slvPressure) || !(x >= slvVapourSalinity)) return false;
    // At the SLV pressure itself the state is the SLV point's: three phases, or the pair of
    // them that makes up x. Near it only a density that asks for three phases puts it there;
    // otherwise the side of the curve its pressure is on decides, continuous with the states
    // around it; the margin is no wider than a shown pressure's rounding, so that a state off
    // the curve is the same with and without its own density. A density that leaves one of
    // the three phases alone asks for no shares: that phase (the liquid or vapour of a
    // three-phase state) lies on the boundary of the fields beside the curve, and the side of
    // its pressure places it, whatever density came with it.
    if (P == slvPressure) return true;
    if (!(rho > 0.0)) return false;
    double Pslv = 0.0, wL = 0.0, wV = 0.0, wH = 0.0;
    getHaliteLiquidGasState(T, 100.0 * x, rho, Pslv, wL, wV);
    return roundedShares(wL, wV, wH) >= 2;
}

double Palliser::liquidVapourTest(double T, double P, double x) {
    calculateLGPoint(T, P, lgLiquidSalinity, lgVapourSalinity, lgLiquidDensity, lgVapourDensity);
    // Just below the critical pressure near the water critical point the surface's upper edge
    // lies below the state: its edge values classify it as one phase.
    failed = 0;
    if (x > lgLiquidSalinity) return onePhase(calculateFluidDensityRegion6());
    if (x < lgVapourSalinity) return onePhase(calculateFluidDensityRegion4());
    region = kLiquidVapour;
    return calculateLiquidGasDensity();
}

double Palliser::criticalOrLiquidVapourTest(double T, double P, double x) {
    if (P > criticalPressure) {
        // The critical salinity itself is the critical fluid, continuous with the rule below it.
        if (x <= criticalSalinity) return onePhase(calculateFluidDensityRegion2a());
        return onePhase(calculateFluidDensityRegion2b());
    }
    return liquidVapourTest(T, P, x);
}

double Palliser::classifyUpTo800(double T, double P, double x, double rho) {
    fillHaliteFields(T, P, x);
    criticalPointAt(T, criticalPressure, criticalSalinity, criticalDensity);
    if (onSLVCurve(T, P, x, rho)) {
        region = kHaliteLiquidVapour;
        return calculateHaliteLiquidGasDensity(T, x, rho);
    }
    if (P < slvPressure) return haliteVapourOrVapour(T, P, x);
    if (!haliteLiquidAt(T, P) && haliteBeyondFits(P, x)) return -1.0;
    if (x >= haliteLiquidSalinity && haliteLiquidSalinity >= 0.0) {
        region = kHaliteLiquid;
        return calculateHaliteLiquidDensity();
    }
    return criticalOrLiquidVapourTest(T, P, x);
}

double Palliser::classifyAbove800(double T, double P, double x) {
    criticalPointAt(T, criticalPressure, criticalSalinity, criticalDensity);
    calculateNaClSaturationPoint(T, naclSaturationPressure, naclLiquidDensity, naclVapourDensity);
    if (P <= naclSaturationPressure) return onePhase(calculateFluidDensityRegion7());
    return criticalOrLiquidVapourTest(T, P, x);
}

// ------------------------------------------------------------------ phase assemblages

double Palliser::calculateLiquidGasDensity() {
    Mixture m =
        mixture(salinity, lgLiquidSalinity, lgLiquidDensity, lgVapourSalinity, lgVapourDensity);
    // Both phases of one composition: the critical fluid, one phase.
    if (!(std::fabs(lgLiquidSalinity - lgVapourSalinity) > 1e-12)) return onePhase(lgLiquidDensity);
    const double rho = twoPhases(m, liquidMassFraction, liquidVolumeFraction, vapourMassFraction,
                                 vapourVolumeFraction, haliteMassFraction, haliteVolumeFraction);
    return heldLiquidVapour(temperature, pressure, salinity, rho);
}

double Palliser::liquidVapourBulk(double T, double P, double x) {
    const int32_t saved = failed;
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateLGPoint(T, P, xL, xV, rhoL, rhoV);
    const bool ok = !failed && x >= xV && x <= xL && std::fabs(xL - xV) > 1e-12;
    failed = saved;
    if (!ok) return std::nan("");
    const Mixture m = mixture(x, xL, rhoL, xV, rhoV);
    return m.valid ? m.rho : std::nan("");
}

// Near the critical curve, and near the pressure where a brine leaves the two phases above
// 800 degC, the surface's liquid grows lighter with pressure faster than the vapour's share
// shrinks (50 wt % at 1000 degC: 745.66 kg/m3 at 2215 bar, 744.56 at 2230, one phase of 745.07
// from 2232.5), so the lever rule's density falls with pressure and one density lies at three
// pressures. A closed fluid grows denser when compressed: the mixture is held, below the
// pressure where it leaves the two phases, no denser than it is at any higher pressure less a
// slight rise per bar. The held density meets the one-phase fluid where the mixture does, and
// is the lever rule's wherever that rises faster than the slight rise; the phases and their
// shares stay the surface's.
namespace {
constexpr double kLiquidVapourRise = 1e-7;  // of the density, per bar
constexpr int kLiquidVapourRungs = 200;     // below the end by (end - Pmin) 2^(-k/8)
constexpr int kLiquidVapourHalvings = 60;
}  // namespace

double Palliser::heldLiquidVapour(double T, double P, double x, double rho) {
    if (!(T > waterCriticalTemperature) || !std::isfinite(rho)) return rho;
    const int32_t saved = failed;
    double Pmin = 0.0, Pmax = 0.0;
    getLiquidGasPressureBounds(T, Pmin, Pmax);
    const bool bounded = !failed && Pmax > P && P >= Pmin;
    failed = saved;
    if (!bounded) return rho;
    LiquidVapourHold& h = lvHold;
    if (!(h.T == T && h.x == x && h.Pmin == Pmin && P <= h.Pend &&
          std::isfinite(liquidVapourBulk(T, h.Pend, x)))) {
        // Where x leaves the two phases above P.
        double lo = P, hi = Pmax;
        for (int i = 0; i < kLiquidVapourHalvings && halvable(lo, hi); ++i) {
            const double mid = 0.5 * (lo + hi);
            (std::isfinite(liquidVapourBulk(T, mid, x)) ? lo : hi) = mid;
        }
        h = LiquidVapourHold{T, x, Pmin, lo, {}, {}};
        for (int k = 0; k <= kLiquidVapourRungs; ++k) {
            const double Pk = lo - (lo - Pmin) * std::exp2(-(kLiquidVapourRungs - k) / 8.0);
            const double r = liquidVapourBulk(T, Pk, x);
            if (std::isfinite(r)) h.P.push_back(Pk), h.rho.push_back(r);
        }
        const double r = liquidVapourBulk(T, lo, x);
        if (std::isfinite(r)) h.P.push_back(lo), h.rho.push_back(r);
    }
    const double rise = kLiquidVapourRise * rho;
    for (size_t k = 0; k < h.P.size(); ++k)
        if (h.P[k] >= P) rho = std::min(rho, h.rho[k] - rise * (h.P[k] - P));
    return rho;
}

double Palliser::calculateHaliteGasDensity() {
    Mixture m = mixture(salinity, 1.0, haliteDensity, haliteGasSalinity, haliteGasDensity);
    return twoPhases(m, haliteMassFraction, haliteVolumeFraction, vapourMassFraction,
                     vapourVolumeFraction, liquidMassFraction, liquidVolumeFraction);
}

double Palliser::calculateHaliteLiquidDensity() {
    Mixture m = mixture(salinity, 1.0, haliteDensity, haliteLiquidSalinity, haliteLiquidDensity);
    return twoPhases(m, haliteMassFraction, haliteVolumeFraction, liquidMassFraction,
                     liquidVolumeFraction, vapourMassFraction, vapourVolumeFraction);
}

double Palliser::twoPhases(const Mixture& m, double& wA, double& phiA, double& wB, double& phiB,
                           double& wAbsent, double& phiAbsent) {
    wA = m.wA;
    phiA = m.phiA;
    wB = 1.0 - m.wA;
    phiB = 1.0 - m.phiA;
    wAbsent = phiAbsent = 0.0;
    return m.rho;
}

void Palliser::getHaliteLiquidGasState(double T, double w, double rho, double& P, double& wL,
                                       double& wV) {
    double xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
    double a = rho / haliteDensity;
    double X = w / 100.0;
    // wL (xL - 1) + wV (xV - 1) = X - 1 and wL (rho/rhoL - a) + wV (rho/rhoV - a) = 1 - a.
    double a11 = xL - 1.0, a12 = xV - 1.0, b1 = X - 1.0;
    double a21 = rho / rhoL - a, a22 = rho / rhoV - a, b2 = 1.0 - a;
    double det = a11 * a22 - a12 * a21;
    if (!(std::fabs(det) > 1e-300)) {
        wL = wV = -1.0;  // no proportions: outside [0, 1] for the caller
        return;
    }
    wL = (b1 * a22 - a12 * b2) / det;
    wV = (a11 * b2 - b1 * a21) / det;
}

double Palliser::calculateHaliteLiquidGasDensity(double T, double x, double rho) {
    getHaliteLiquidGasState(T, 100.0 * x, rho, slvPressure, liquidMassFraction, vapourMassFraction);
    // A share below the rounding of the proportions is none: the density of two of the SLV
    // phases, given back, is those two phases, as the state without a density is.
    const int phases = rho > 0.0 ? roundedShares(liquidMassFraction, vapourMassFraction,
                                                 haliteMassFraction)
                                 : 0;
    double result = 0.0;
    if (phases == 3) {
        result = rho;
        pressure = slvPressure;
    } else {
        // Two of the phases: those the proportions leave, or, where the density has none (none
        // is given, it is out of their reach, or it leaves one phase alone, which belongs to
        // either pair that holds it), the pair that makes up x on the side of the pressure.
        const bool proportions = phases == 2;
        const bool vapourSide = proportions ? liquidMassFraction == 0.0 : slvPressure > pressure;
        const bool halite = proportions ? haliteMassFraction > 0.0
                                        : vapourSide || x >= slvLiquidSalinity;
        Mixture m = !halite ? mixture(x, slvLiquidSalinity, slvLiquidDensity, slvVapourSalinity,
                                      slvVapourDensity)
                    : vapourSide
                        ? mixture(x, 1.0, haliteDensity, slvVapourSalinity, slvVapourDensity)
                        : mixture(x, 1.0, haliteDensity, slvLiquidSalinity, slvLiquidDensity);
        haliteMassFraction = halite ? m.wA : 0.0;
        liquidMassFraction = !halite ? m.wA : vapourSide ? 0.0 : 1.0 - m.wA;
        vapourMassFraction = 1.0 - haliteMassFraction - liquidMassFraction;
        result = m.rho;
        // Two phases are present, not three: the state is in that two-phase region, with the
        // SLV phases as its coexisting pair (a requested density is not one it can have).
        if (!halite) {
            region = kLiquidVapour;
            lgLiquidSalinity = slvLiquidSalinity;
            lgLiquidDensity = slvLiquidDensity;
            lgVapourSalinity = slvVapourSalinity;
            lgVapourDensity = slvVapourDensity;
        } else if (vapourSide) {
            region = kHaliteVapour;
            haliteGasSalinity = slvVapourSalinity;
            haliteGasDensity = slvVapourDensity;
        } else {
            region = kHaliteLiquid;
            haliteLiquidSalinity = slvLiquidSalinity;
            haliteLiquidDensity = slvLiquidDensity;
        }
    }
    double v = haliteMassFraction / haliteDensity + liquidMassFraction / slvLiquidDensity +
               vapourMassFraction / slvVapourDensity;
    liquidVolumeFraction = liquidMassFraction / (slvLiquidDensity * v);
    haliteVolumeFraction = haliteMassFraction / (haliteDensity * v);
    vapourVolumeFraction = vapourMassFraction / (slvVapourDensity * v);
    return result;
}

// ------------------------------------------------------------------------- pure ends

double Palliser::splitPureFractions(double rho, double rhoD, double rhoG, double& wD, double& phiD,
                                    double& wG, double& phiG) {
    // A density below rhoG (a free one, -1, included) is the lighter phase, above rhoD the
    // denser one, in between a mixture.
    double result = rho;
    if (rho < rhoG) {
        wD = phiD = 0.0;
        result = rhoG;
    } else if (rho > rhoD) {
        wD = phiD = 1.0;
        result = rhoD;
    } else {
        wD = (1.0 / rho - 1.0 / rhoG) / (1.0 / rhoD - 1.0 / rhoG);
        phiD = (rho - rhoG) / (rhoD - rhoG);
    }
    wG = 1.0 - wD;
    phiG = 1.0 - phiD;
    return result;
}

double Palliser::pureLiquidVapour(double T, double P, double rho, int32_t code,
                                  double (Palliser::*liquid)(double, double),
                                  double (Palliser::*vapour)(double, double)) {
    const double Psat = liquidGasPressure, rhoL = lgLiquidDensity, rhoV = lgVapourDensity;
    haliteMassFraction = haliteVolumeFraction = 0.0;
    if (!onCurve(P, Psat)) {
        bool isLiquid = P > Psat;
        liquidMassFraction = liquidVolumeFraction = isLiquid ? 1.0 : 0.0;
        vapourMassFraction = vapourVolumeFraction = isLiquid ? 0.0 : 1.0;
        return onePhase(isLiquid ? (this->*liquid)(T, P) : (this->*vapour)(T, P));
    }
    // At water's critical point, and on the surface's edge carried above it, liquid and vapour
    // are one fluid: no two phases to share the density between. Its density is the one the
    // equation gives at (T, P), as on either side of the pressure: the edge's 322 kg/m3 is the
    // fluid's only at the critical point itself (374.1 degC, 220.80 bar: 255.5, IAPWS-95),
    // where the equation, flat in the pressure, solves to 322.076.
    if (!(rhoL > rhoV)) {
        liquidMassFraction = liquidVolumeFraction = 1.0;
        vapourMassFraction = vapourVolumeFraction = 0.0;
        const double own = (this->*liquid)(T, P);
        failed = 0;
        const bool critical = P == Psat && std::fabs(own / rhoL - 1.0) < 1e-3;
        return onePhase(own > 0.0 && !critical ? own : rhoL);
    }
    region = code;
    pressure = Psat;
    return splitPureFractions(rho, rhoL, rhoV, liquidMassFraction, liquidVolumeFraction,
                              vapourMassFraction, vapourVolumeFraction);
}

double Palliser::calculateWaterDensity(double T, double P, double rho) {
    if (T > waterCriticalTemperature) return onePhase(getWaterVapourDensity(T, P));
    calculateExtendedWaterSaturationPoint(T, waterSaturationPressure, waterLiquidDensity,
                                          waterVapourDensity);
    liquidGasPressure = waterSaturationPressure;
    lgLiquidDensity = waterLiquidDensity;
    lgVapourDensity = waterVapourDensity;
    return pureLiquidVapour(T, P, rho, kWaterSaturation, &Palliser::getWaterLiquidDensity,
                            &Palliser::getWaterVapourDensity);
}

double Palliser::calculateNaClDensity(double T, double P, double rho) {
    if (T > naclCriticalTemperature) return onePhase(getNaClVapourDensity(T, P));
    if (T > haliteTripleTemperature) {
        calculateNaClSaturationPoint(T, naclSaturationPressure, naclLiquidDensity,
                                     naclVapourDensity);
        liquidGasPressure = naclSaturationPressure;
        lgLiquidDensity = naclLiquidDensity;
        lgVapourDensity = naclVapourDensity;
        return pureLiquidVapour(T, P, rho, kNaClSaturation, &Palliser::getNaClLiquidDensity,
                                &Palliser::getNaClVapourDensity);
    }
    // Halite and its vapour, an ideal gas: the vapour beside halite is NaCl's own.
    double Ps = getHaliteSublimationPressure(T);
    double rhoGas = P * 1e5 * naclMolarMass / ((T + 273.15) * 8.314);
    liquidMassFraction = liquidVolumeFraction = 0.0;
    region = kHaliteVapour;
    haliteGasSalinity = 1.0;
    haliteGasDensity = rhoGas;
    if (!onCurve(P, Ps)) {
        bool halite = P > Ps;
        if (halite) {
            // Halite alone, of the halite + liquid region: its liquid, of no share, is the
            // halite-saturated liquid at (T, P) the brines beside it have, from the SLV pressure
            // up. Where even that has no density, halite alone still has its own.
            haliteGasSalinity = haliteGasDensity = -1.0;
            if (!(P < slvPressure) && !haliteLiquidAt(T, P) && haliteBeyondFits(P, 1.0)) {
                failed = 0;
                haliteLiquidSalinity = haliteLiquidDensity = -1.0;
            }
            region = kHaliteLiquid;
        }
        haliteMassFraction = haliteVolumeFraction = halite ? 1.0 : 0.0;
        vapourMassFraction = vapourVolumeFraction = halite ? 0.0 : 1.0;
        return halite ? haliteDensity : rhoGas;
    }
    return splitPureFractions(rho, haliteDensity, rhoGas, haliteMassFraction, haliteVolumeFraction,
                              vapourMassFraction, vapourVolumeFraction);
}

// ---------------------------------------------------------------- searches on x and T

namespace {
struct CriticalContext {
    double x, P, rho;
};
struct SLVContext {
    double x, P, xV, rhoL, rhoV;
};
}  // namespace

double Palliser::equationForCriticalX(double T, void* context) {
    auto& c = *static_cast<CriticalContext*>(context);
    if (!(T >= waterCriticalTemperature && T <= naclCriticalTemperature)) {
        equationError = 1;
        return 0.0;
    }
    double xc = 0.0;
    calculateCriticalPoint(T, c.P, xc, c.rho);
    return xc - c.x;
}

void Palliser::calculateCriticalPointFromX(double x, double& Tc, double& Pc, double& rhoc) {
    CriticalContext c{x, -1.0, -1.0};
    int error = 0;
    Tc = secant(&Palliser::equationForCriticalX, &c, waterCriticalTemperature + 1.0,
                waterCriticalTemperature + 1.001, error);
    Pc = c.P;
    rhoc = c.rho;
    failed = error != 0;
}

// The SLV liquid salinity rises monotonically from 26.35 wt % at 0 degC to 99.9997 wt % at
// 800 degC, where the curve ends at the halite melting point; its fit reaches 1 only 0.0019 K
// beyond. The salinities from there to 1 are those of the melt at that end: the curve's point
// of 800 degC, so that the temperature of a salinity runs on continuously to 800 degC and no
// further. False where x has no SLV point (nor ends there): above 1.
bool Palliser::slvEndOf(double x, double& T) {
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPoint(haliteTripleTemperature, P, xL, xV, rhoL, rhoV);
    T = haliteTripleTemperature;
    return x >= xL && x <= 1.0;
}

double Palliser::equationForTm0(double T, void* context) {
    auto& c = *static_cast<SLVContext*>(context);
    if (!(T >= 0.0 && T <= haliteTripleTemperature)) {
        equationError = 1;
        return 0.0;
    }
    double xL = 0.0;
    calculateSLVPoint(T, c.P, xL, c.xV, c.rhoL, c.rhoV);
    return c.x - xL;
}

void Palliser::calculateSLVPointFromX(double x, double& T, double& P, double& xV, double& rhoL,
                                      double& rhoV, double Tguess) {
    SLVContext c{x, -1.0, -1.0, -1.0, -1.0};
    int error = 0;
    // The correlation ends at the halite melting point: a guess beyond it starts just inside.
    double start = std::clamp(Tguess, 0.0, haliteTripleTemperature - 0.001);
    if (slvEndOf(x, T))
        error = 0;
    else if (!(x <= 1.0))
        error = 1;
    else
        T = secantOrScan(&Palliser::equationForTm0, &c, start, start + 0.001, start,
                         {0.0, haliteTripleTemperature, 1.0, 1e-9}, error);
    failed = error != 0;
    double xL = 0.0;
    if (!failed) calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
}

double Palliser::calculateTm0(double x, double& rhoL, double& P) {
    SLVContext c{x, -1.0, -1.0, -1.0, -1.0};
    double T = 0.0;
    int error = 0;
    if (slvEndOf(x, T)) {
        equationForTm0(T, &c);
    } else {
        // The SLV liquid's salinity rises with T from 26.35 wt % at 0 degC: one root at most,
        // 0 degC itself included.
        std::vector<SignChange> roots = !(x <= 1.0) ? std::vector<SignChange>{}
                                                    : signChanges(&Palliser::equationForTm0, &c,
                                                                  0.0, haliteTripleTemperature,
                                                                  1.0);
        error = roots.empty() ? 1 : 0;
        T = error ? 0.0
                  : rootOf(&Palliser::equationForTm0, &c, roots.front(), error,
                           kNeighbouringDoubles);
    }
    failed = error != 0;
    rhoL = failed ? -1.0 : c.rhoL;
    P = failed ? -1.0 : c.P;
    return failed ? 0.0 : T;
}

}  // namespace vornex

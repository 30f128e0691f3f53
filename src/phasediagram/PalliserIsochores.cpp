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
// From a guess anywhere on the diagram to beyond its pressures either way: from 5000 bar down to
// 1e-12 bar, where the salt-rich vapours above 800 degC lie below molten NaCl's pressures.
constexpr int kIsochoreWidenings = 170;
constexpr int kIsochoreHalvings = 120;  // from a widened bracket to neighbouring doubles
constexpr int kLiquidVapourScan = 48;  // intervals of the scan of the liquid-vapour band
constexpr int kOnePhaseScan = 16;       // intervals of the scan below a halite + liquid state
constexpr int kHomogenisationHalvings = 26;  // a degree down to 1.5e-8 degC
// How closely the density at a pressure found for it must meet the density asked for.
constexpr double kBulkDensityTolerance = 1e-9;
// The most the density may change from one double of the pressure to the next at a root, and
// on a cusp, where the change across a million doubles is at least twice that across one (a
// step of the density is not: it stays the step).
constexpr double kNeighbourStep = 1e-6;
constexpr double kCuspStep = 1e-4;
constexpr double kCuspWidth = 1048576.0;  // doubles of the pressure either side
constexpr double kLowestHalitePressure = 1e-6;  // bar, the bottom of the halite + liquid scan

struct IsochoreContext {
    double T, rho, x;
    double bound1 = -1.0, bound2 = -1.0;  // the SLV and water saturation pressures at T
    double xliq = -1.0;                   // liquidus salinity of the last evaluation
};

// Root of a residual between a and b, where it has the values ra and rb of opposite signs, by
// halving down to neighbouring pressures; 0 when the residual fails on the way.
template <class Residual>
double bisectRoot(Residual&& residual, double a, double ra, double b, double rb) {
    for (int i = 0; i < kIsochoreHalvings && halvable(a, b); ++i) {
        double mid = 0.5 * (a + b), rMid = 0.0;
        if (!residual(mid, rMid)) return 0.0;
        if (rMid == 0.0) return mid;
        if ((rMid < 0.0) == (ra < 0.0))
            a = mid, ra = rMid;
        else
            b = mid, rb = rMid;
    }
    return std::fabs(ra) <= std::fabs(rb) ? a : b;
}

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
    out.clear();
    failed = 1;
    if (!std::isfinite(x) || !std::isfinite(P0) || !(rho > 0.0) || !std::isfinite(rho)) return;
    // A pure-NaCl fluid has no isochoric pressure to search: its curve would be an isobar.
    if (x > kPureNaCl) return;
    // The path starts from a one-phase state.
    calculateFluidDensity(T0, P0, x, rho);
    if (region != kOnePhase) {
        failed = 1;
        return;
    }
    double P = P0, Tone = T0;
    isochoreTurnTemperature = -1.0;
    bool stop = false, lost = false, split = false;
    size_t rows = 0;
    steps(0.0, T0 - Tend, 1.0, Bound::AtOrBelow, [&](double dT) {
        if (stop) return;
        const double T = T0 - dT;
        const double Pnext = pressureForBulkDensity(T, P, rho, x);
        // The path ends where the model has no state of the density (lost), or where that
        // state is no longer one phase: the fluid has homogenised between T and Tone.
        if (!(Pnext > 0.0)) {
            stop = lost = true;
        } else if (!onePhaseOfDensity(x, rho)) {
            // (At the first temperature: the density is no one-phase state through the start.)
            stop = true;
            split = rows > 0;
            lost = rows == 0;
        } else {
            if (rows > 0 && Pnext > P && isochoreTurnTemperature < 0.0)
                isochoreTurnTemperature = Tone;
            P = Pnext;
            Tone = T;
            region = kIsochore;
            appendRow(out, {T, P});
            ++rows;
        }
    });
    if (split) {
        // The last row is the homogenisation itself: where the one-phase fluid meets the
        // surface of its density and salinity, found by halving the degree it lies in.
        // Only the one-phase search is needed on the way: where it finds no one-phase state,
        // the fluid has split.
        double Tsplit = Tone - 1.0;
        for (int i = 0; i < kHomogenisationHalvings; ++i) {
            const double T = 0.5 * (Tsplit + Tone);
            const double Pmid = isochoricPressure(T, P, rho, x);
            const bool one = Pmid > 0.0 && std::isfinite(Pmid) &&
                             std::fabs(calculateFluidDensity(T, Pmid, x, rho) / rho - 1.0) <=
                                 kBulkDensityTolerance &&
                             onePhaseOfDensity(x, rho);
            if (one)
                Tone = T, P = Pmid;
            else
                Tsplit = T;
        }
        if (Tone < out[out.size() - 2]) appendRow(out, {Tone, P});
        region = kIsochore;
    }
    // A path whose pressure was lost, or that never left its first point, is no isochore; one
    // that homogenises within its first degree has left it for its homogenisation.
    failed = lost || (out.size() < 4 && T0 - 1.0 >= Tend);
}

bool Palliser::onePhaseOfDensity(double x, double rho) const {
    // Pure water between its saturated densities is liquid and vapour, whatever P says.
    if (region != kOnePhase) return false;
    return !(x < kPureWater && temperature < waterCriticalTemperature &&
             rho < waterLiquidDensity && rho > waterVapourDensity);
}

double Palliser::isochoricPressure(double T, double Pguess, double rho, double x) {
    return x < kPureWater ? getIsochoricWaterPressure(T, rho)
                          : getIsochoricFluidPressure(T, Pguess, rho, 100.0 * x);
}

double Palliser::pressureForBulkDensity(double T, double Pguess, double rho, double x) {
    const double P = stateOfBulkDensity(T, Pguess, rho, x);
    // The searches on the way leave the flag of their last evaluation, which may be a success.
    failed = !(P > 0.0);
    return P;
}

double Palliser::stateOfBulkDensity(double T, double Pguess, double rho, double x) {
    // The pressure of the state the model makes of (T, P): on a saturation or the SLV curve
    // that curve's own pressure, which a search that stopped within its margin only nears.
    auto settled = [&](double P) {
        if (!(P > 0.0) || !std::isfinite(P)) return 0.0;
        return ofBulkDensity(T, P, rho, x) ? pressure : 0.0;
    };
    if (double P = settled(isochoricPressure(T, Pguess, rho, x))) {
        // The mixture's density need not be monotonic in P (just above the SLV pressure it
        // falls and rises again, and on the SLV curve three phases take any density between
        // theirs): of its roots the one nearest the guess, which the secant need not have found.
        if ((region == kLiquidVapour || region == kHaliteLiquidVapour) && x >= kPureWater) {
            const double Pband = getIsochoricLiquidGasPressure(T, Pguess, rho, 100.0 * x);
            if (Pband > 0.0 && std::fabs(Pband - Pguess) < std::fabs(P - Pguess))
                if (double Pnear = settled(Pband)) return Pnear;
            settled(P);
        }
        return onePhaseFirst(T, P, rho, x);
    }
    // Pure water of a density between its saturated ones boils: liquid and vapour at the
    // saturation pressure, in the proportions the density gives.
    if (x < kPureWater) {
        if (T >= waterCriticalTemperature) return 0.0;
        double Psat = 0.0, rhoL = 0.0, rhoV = 0.0;
        calculateExtendedWaterSaturationPoint(T, Psat, rhoL, rhoV);
        return settled(Psat);
    }
    // A brine splits into halite, liquid and vapour on the SLV curve, into liquid and vapour,
    // or into halite and one fluid: the pressure of that assemblage whose bulk density is rho.
    if (T <= haliteTripleTemperature) {
        double Pslv = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        calculateSLVPoint(T, Pslv, xL, xV, rhoL, rhoV);
        if (double P = settled(Pslv)) return P;
    }
    double xliq = 0.0;
    for (double Pmix : {getIsochoricLiquidGasPressure(T, Pguess, rho, 100.0 * x),
                        getIsochoricHaliteLiquidPressure(T, Pguess, rho, 100.0 * x, xliq),
                        getIsochoricHaliteGasPressure(T, Pguess, rho, 100.0 * x)})
        if (double P = settled(Pmix)) return onePhaseFirst(T, P, rho, x);
    return 0.0;
}

double Palliser::onePhaseFirst(double T, double P, double rho, double x) {
    // Where the liquidus liquid is lighter than the one-phase liquid beside it, a density
    // between the two is halite + liquid and, at a lower pressure, one phase: the fluid is
    // the one phase, as it is on cooling until that state is gone, whichever state a search
    // from a guess reached first.
    if (region != kHaliteLiquid || !(T <= haliteTripleTemperature)) return P;
    double Pslv = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateSLVPoint(T, Pslv, xL, xV, rhoL, rhoV);
    IsochoreContext c{T, rho, x};
    double Pone = Pslv < P ? rootOnBand(&Palliser::equationForOnePhasePressure, &c, Pslv, P, P,
                                        kBulkDensityTolerance * rho, kOnePhaseScan)
                           : 0.0;
    // The record describes the state returned.
    calculateFluidDensity(T, Pone > 0.0 ? Pone : P, x, rho);
    return Pone > 0.0 && region == kOnePhase ? Pone : P;
}

bool Palliser::ofBulkDensity(double T, double P, double rho, double x) {
    double d = calculateFluidDensity(T, P, x, rho);
    if (d > 0.0 && std::fabs(d / rho - 1.0) <= kBulkDensityTolerance) return true;
    // Where the density climbs steeply (the cusp at the critical pressure) no double meets rho
    // that closely: the pressure is found when its neighbours lie on either side, close
    // together, and on a cusp up to a ten-thousandth apart (not across a step of the density,
    // as at the liquidus or where the halite-saturated vapour meets the surface's).
    const double below = calculateFluidDensity(T, std::nextafter(P, 0.0), x, rho);
    const double above = calculateFluidDensity(T, std::nextafter(P, HUGE_VAL), x, rho);
    const double change = std::fabs(above - below);
    bool found = below > 0.0 && above > 0.0 && (below - rho) * (above - rho) <= 0.0 &&
                 change <= kCuspStep * rho;
    if (found && change > kNeighbourStep * rho) {
        const double ulp = std::nextafter(P, HUGE_VAL) - P;
        const double wideBelow = calculateFluidDensity(T, P - kCuspWidth * ulp, x, rho);
        const double wideAbove = calculateFluidDensity(T, P + kCuspWidth * ulp, x, rho);
        found = std::fabs(wideAbove - wideBelow) >= 2.0 * change;
    }
    d = calculateFluidDensity(T, P, x, rho);  // the record describes P
    return d > 0.0 && found;
}

double Palliser::getIsochoricFluidPressure(double T, double Pguess, double rho, double w) {
    IsochoreContext c{T, rho, w / 100.0};
    int error = 0;
    double P =
        secant(&Palliser::equationForIsochoricFluidPressure, &c, Pguess, 1.001 * Pguess, error);
    if (!error && ofBulkDensity(T, P, rho, c.x)) return P;
    // The secant ran onto a flat or broken stretch, or stopped short of a steep one: bracket
    // the root by widening from the guess in the direction the residual points, then halve.
    auto residual = [&](double p, double& r) {
        return evaluate(&Palliser::equationForIsochoricFluidPressure, &c, p, r);
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
    return bisectRoot(residual, lo, rLo, hi, rHi);
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

double Palliser::equationForOnePhasePressure(double P, void* context) {
    auto& c = *static_cast<IsochoreContext*>(context);
    double rho = std::isfinite(P) ? calculateFluidDensity(c.T, P, c.x, c.rho) : -1.0;
    if (!(rho > 0.0) || region != kOnePhase) {
        equationError = 1;
        return 0.0;
    }
    return rho - c.rho;
}

double Palliser::getIsochoricLiquidGasPressure(double T, double Pguess, double rho, double w) {
    IsochoreContext c{T, rho, w / 100.0};
    // The liquid-vapour band at T: from the SLV pressure (the NaCl boiling pressure above the
    // halite melting point) up to the surface's upper edge, the water saturation or the
    // critical pressure.
    double Plow = -1.0, Pup = -1.0;
    getLiquidGasPressureBounds(T, Plow, Pup);
    if (failed || !(Plow > 0.0) || !(Pup > Plow) || !std::isfinite(Pup)) return 0.0;
    c.bound1 = T <= haliteTripleTemperature ? Plow : -1.0;
    c.bound2 = T < waterCriticalTemperature ? Pup : -1.0;
    // The bulk density of a given salinity exists as liquid + vapour only on a part of the
    // band (between its dew and bubble pressures), and near the bubble pressure it climbs
    // from vapour-like to liquid-like values within a tiny fraction of the band.
    return rootOnBand(&Palliser::equationForIsochoricLiquidGasPressure, &c, Plow, Pup, Pguess,
                      kBulkDensityTolerance * rho, kLiquidVapourScan);
}

double Palliser::rootOnBand(double (Palliser::*equation)(double, void*), void* context,
                            double Plow, double Pup, double Pguess, double close, int intervals) {
    auto residual = [&](double P, double& r) { return evaluate(equation, context, P, r); };
    double best = 0.0;
    // An end whose residual is within `close` of 0 (the bubble point of a fluid homogenising
    // at T, the liquidus of one meeting it there) is the root itself.
    auto consider = [&](double a, double ra, double b, double rb) {
        bool atA = std::fabs(ra) <= close, atB = std::fabs(rb) <= close;
        if ((ra < 0.0) == (rb < 0.0) && !atA && !atB) return;
        double P = atB ? b : atA ? a : bisectRoot(residual, a, ra, b, rb);
        if (P > 0.0 && (best == 0.0 || std::fabs(P - Pguess) < std::fabs(best - Pguess)))
            best = P;
    };
    double a = Plow, ra = 0.0;
    bool aValid = residual(a, ra);
    for (int i = 1; i <= intervals; ++i) {
        double b = i == intervals ? Pup : Plow + (Pup - Plow) * i / intervals;
        double rb = 0.0;
        bool bValid = residual(b, rb);
        if (aValid && bValid) {
            consider(a, ra, b, rb);
        } else if (aValid != bValid) {
            // The edge of the part of the band where the residual has values, and the
            // stretch up to it.
            double in = aValid ? a : b, out = aValid ? b : a, rIn = aValid ? ra : rb;
            for (int k = 0; k < kIsochoreHalvings && halvable(in, out); ++k) {
                double mid = 0.5 * (in + out), rMid = 0.0;
                if (residual(mid, rMid))
                    in = mid, rIn = rMid;
                else
                    out = mid;
            }
            if (aValid)
                consider(a, ra, in, rIn);
            else
                consider(in, rIn, b, rb);
        }
        a = b, ra = rb, aValid = bValid;
    }
    return best;
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
    // Halite and liquid lie above the SLV pressure: where the secant from the guess found no
    // root there (from high guesses it runs off the liquidus), the band up to the diagram's top
    // is scanned.
    const double Plow = T <= haliteTripleTemperature ? c.bound1 : kLowestHalitePressure;
    const double close = kBulkDensityTolerance * rho;
    double r = 0.0;
    auto root = [&](double p) {
        return p >= Plow && p <= kDiagramMaxPressure &&
               evaluate(&Palliser::equationForIsochoricHaliteLiquidPressure, &c, p, r) &&
               std::fabs(r) <= close;
    };
    if (error || !root(P)) {
        P = rootOnBand(&Palliser::equationForIsochoricHaliteLiquidPressure, &c, Plow,
                       kDiagramMaxPressure, Pguess, close, kLiquidVapourScan);
        // The liquidus salinity of the pressure found.
        if (P > 0.0) evaluate(&Palliser::equationForIsochoricHaliteLiquidPressure, &c, P, r);
    }
    xliq = c.xliq;
    return P;
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

// The liquid-vapour surface: boundaries, shape laws, their inverses and the dew-curve tracer.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "phasediagram/PalliserModel.h"
#include "phasediagram/PalliserSteps.h"

namespace vornex {

namespace {

constexpr double kWaterTc = 374.15;
const double kK = std::log(10.0) * 0.5 / 1.4;  // exponent of the water-branch salinity laws

double mExponent(double T) {
    return 0.00102499 * T + 0.787001 - 13.6227 / (T - 380.0);
}
double wShape(double T) {
    return (T / 800.0) * (T / 800.0) - 0.21873159765624997;
}
double aShape(double T) {
    return T <= 900.0 ? 0.00380337 * T - 0.923029 : 2.5;
}
double bShape(double T) {
    return T <= 900.0 ? (-3.15039e-06 * T + 0.00572558) * T - 1.20121 : 1.4;
}
double c1Shape(double T) {
    return T <= 850.0 ? (2.07312e-06 * T - 0.00379871) * T + 3.33107 : 1.6;
}
double c2Shape(double T) {
    return T <= 850.0 ? 4.75804 - 0.0033624 * T : 1.9;
}
// The critical salinity meets 0 at the water critical point; the laws need it positive.
double positive(double xc) {
    return std::max(xc, 1e-12);
}
double eShape(double T, double xc) {
    double w = wShape(T);
    return aShape(T) / (1.0 - 1.4 * std::log10(positive(xc)) / (80.0 * w + 1.0) + 6.0 * w);
}
// Near-critical reshaping u^gamma below 384 degC.
constexpr double kCarryEnd = 384.0;
constexpr double kSlvCarryStart = 790.0;
double gammaShape(double T) {
    return 0.7 + 0.3 * (T - kWaterTc) / 9.850000000000023;
}
// The two branches do not meet at the water critical temperature: the critical curve starts
// at 221.2 bar and 315 kg/m3, water saturation ends at 220.3 bar and 322 kg/m3, and the laws
// differ. Up to 384 degC the surface is therefore a mixture of the water branch at 374.15 degC
// (its upper boundary and exponents held there, the lower boundary of T) and the critical
// branch, the critical branch's share rising linearly from 0 to 1. The critical branch is
// evaluated at the shape coordinate s = u^gamma of the pressure coordinate u.
bool nearCritical(double T, bool waterBranch, bool patches) {
    return !waterBranch && patches && T < kCarryEnd;
}
void waterLaws(double xLlow, double xVlow, double rhoUpL, double rhoUpV, double rhoLlow,
               double rhoVlow, double m, double u, double& xL, double& xV, double& rhoL,
               double& rhoV) {
    xL = xLlow * std::pow(u, kK);
    xV = xVlow * std::pow(u, kK);
    rhoL = rhoUpL + (rhoLlow - rhoUpL) * std::pow(u, 1.0 / 2.2);
    rhoV = rhoUpV + (rhoVlow - rhoUpV) * std::pow(u, 1.0 / m);
}
// u limited to [0, 1], NaN to 0.
double clip(double u) {
    return u >= 0.0 ? std::min(u, 1.0) : 0.0;
}
// Reduced coordinate of P between the boundaries (0 when they meet).
double reduced(double Pup, double P, double Plow) {
    double d = Pup - Plow;
    return std::fabs(d) > 1e-12 ? (Pup - P) / d : 0.0;
}

struct GasContext {
    double xc, xVlow, b, xV;
};

}  // namespace

PalliserModel::Boundaries PalliserModel::boundariesAt(double T, bool naclAt800) {
    Boundaries b{};
    b.water = T <= kWaterTc;
    if (b.water) {
        calculateExtendedWaterSaturationPoint(T, b.Pup, b.rhoUpL, b.rhoUpV);
        b.xc = 0.0;
    } else {
        double P = -1.0, x = -1.0, rho = -1.0;
        criticalPointAt(T, P, x, rho);
        b.Pup = P;
        b.xc = positive(x);
        b.rhoUpL = b.rhoUpV = rho;
        if (nearCritical(T, false, patches)) {
            b.gamma = gammaShape(T);
            b.share = (T - kWaterTc) / (kCarryEnd - kWaterTc);
            double rhoL = 0.0, rhoV = 0.0;
            calculateExtendedWaterSaturationPoint(kWaterTc, b.PupWater, rhoL, rhoV);
            b.rhoUpWater = rhoL;
        }
    }
    b.Ptop = b.share * b.Pup + (1.0 - b.share) * b.PupWater;
    if (T < 800.0 || (T == 800.0 && !naclAt800)) {
        slvFitPoint(T, b.Plow, b.xLlow, b.xVlow, b.rhoLlow, b.rhoVlow);
        const double w = idealVapourShare(T);
        const double ideal = w > 0.0 ? idealVapour(T, b.Plow, b.xVlow) : -1.0;
        if (ideal > 0.0) b.rhoVlow += w * (ideal - b.rhoVlow);
        // The three-phase vapour ends at NaCl's ideal gas at 0.0069 bar, the lower edge above
        // 800 degC starts at NaCl's at its saturation pressure: over the last 10 degC the lower
        // boundary's vapour is carried from the one into the other. Its liquid, too, ends a
        // little off the molten salt's (1559.978 kg/m3 of 99.9997 wt %, for 1560.003 of NaCl),
        // and is carried likewise, so that the bubble-point liquid has no step at 800 degC.
        if (patches && T > kSlvCarryStart) {
            double Pn = 0.0, rhoLn = 0.0, rhoVn = 0.0, Ps = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0,
                   rhoV = 0.0;
            calculateNaClSaturationPoint(800.0, Pn, rhoLn, rhoVn);
            nearIdealNaClEdge(800.0, Pn, rhoVn);
            calculateSLVPoint(800.0, Ps, xL, xV, rhoL, rhoV);
            const double share = (T - kSlvCarryStart) / (800.0 - kSlvCarryStart);
            b.rhoVlow += (rhoVn - rhoV) * share;
            b.rhoLlow += (rhoLn - rhoL) * share;
            b.xLlow += (1.0 - xL) * share;
        }
    } else {
        calculateNaClSaturationPoint(T, b.Plow, b.rhoLlow, b.rhoVlow);
        nearIdealNaClEdge(T, b.Plow, b.rhoVlow);
        b.xLlow = b.xVlow = 1.0;
    }
    return b;
}

void PalliserModel::shapeLaws(double T, const Boundaries& b, double u, double& P, double& xL,
                              double& xV, double& rhoL, double& rhoV, double xGas) const {
    P = b.Ptop - (b.Ptop - b.Plow) * u;
    if (b.water) {
        waterLaws(b.xLlow, b.xVlow, b.rhoUpL, b.rhoUpV, b.rhoLlow, b.rhoVlow, mExponent(T), u, xL,
                  xV, rhoL, rhoV);
        if (patches)
            rhoV = steamLaw(T, P, b.Pup, b.rhoUpV, b.Plow, b.rhoVlow, u, rhoV);
        return;
    }
    const double s = b.gamma != 1.0 ? std::pow(u, b.gamma) : u;
    xL = b.xc * std::pow(b.xLlow / b.xc, std::pow(s, eShape(T, b.xc)));
    xV = criticalVapourSalinity(b.xc, b.xVlow, bShape(T), s);
    rhoL = b.rhoUpL + (b.rhoLlow - b.rhoUpL) * std::pow(s, 1.0 / c1Shape(T));
    rhoV = b.rhoUpV + (b.rhoVlow - b.rhoUpV) * std::pow(s, 1.0 / c2Shape(T));
    const double toIdeal = T > 800.0 ? (patches ? 1.0 : 0.0) : idealVapourShare(T);
    if (toIdeal > 0.0) {
        // The law's vapour is carried to the lower edge's: below 800 degC the three-phase
        // vapour fit (from 600 degC far above water vapour: 1.78 times it at 720 degC, 285
        // times the ideal gas at 800), whose place the near-ideal vapour takes there from 600
        // to 700 degC (boundariesAt), and NaCl's saturated-vapour fit above (thousands of times
        // the ideal gas: 0.507 kg/m3 at 801 degC for 2.5e-4). Even so carried, the law rises
        // with pressure far more slowly than a gas, and dilute vapours came out far from steam
        // and grew denser on heating. Far below the critical pressure a vapour is a near-ideal
        // gas: water (as its equation of state has it) with NaCl as an ideal gas, mixed by
        // volume. The vapour is that gas by the share u of the way down from the critical
        // point, the law's at the critical point; below 800 degC that share is handed over from
        // 600 to 700 degC, and at the lower edge the vapour is the three-phase vapour.
        const double ideal = idealVapour(T, P, xGas >= 0.0 ? xGas : xV);
        if (ideal > 0.0) rhoV += toIdeal * u * (ideal - rhoV);
    }
    if (b.share < 1.0) {
        double wL = 0.0, wV = 0.0, wrhoL = 0.0, wrhoV = 0.0;
        waterLaws(b.xLlow, b.xVlow, b.rhoUpWater, b.rhoUpWater, b.rhoLlow, b.rhoVlow,
                  mExponent(kWaterTc), u, wL, wV, wrhoL, wrhoV);
        // The water branch's vapour as it is at 374.15 degC, so that the surface has no step.
        if (patches)
            wrhoV = steamLaw(T, P, b.Ptop, b.rhoUpWater, b.Plow, b.rhoVlow, u, wrhoV);
        const double c = b.share, w = 1.0 - b.share;
        xL = w * wL + c * xL;
        xV = w * wV + c * xV;
        rhoL = w * wrhoL + c * rhoL;
        rhoV = w * wrhoV + c * rhoV;
    }
}

// The law joins its edge vapours by a power of u, not as a gas is compressed: a vapour all but
// free of salt came out up to 7 % above steam at its pressure (0.01 bar, 12 degC), and liquid +
// vapour grew denser on heating there; from 340 degC it carried the three-phase vapour's
// excess over steam (3 to 6 %) onto vapours of 1e-6, which lay up to 6.5 % below or 5 % above
// steam (370 degC, 209.46 bar: 177.56 kg/m3 for 189.78). Up to the surface's top the vapour is
// therefore water's at (T, P) plus the edges' excesses over water at their pressures: the
// lower edge's (the three-phase vapour fit's) by the share of its salt the vapour still holds,
// u^k, and the upper edge's (beyond water's critical point the edge's 322 kg/m3 is no water's)
// by the square of water's own share of the way from the lower edge's density to the upper's:
// near its critical point water leaves the edge far faster than the law does, and the edge's
// excess with it. The edges keep their values.
double PalliserModel::steamLaw(double T, double P, double Pup, double rhoUp, double Plow,
                               double rhoLow, double u, double law) const {
    // The edges' water is the same for every pressure of a temperature's surface.
    SteamEdges& e = steamEdges;
    if (!(e.T == T && e.Pup == Pup && e.Plow == Plow))
        e = {T, Pup, Plow, waterDensity(T, Pup, 1), Plow > 0.0 ? waterDensity(T, Plow, 1) : 0.0};
    const double w = waterDensity(T, P, 1);
    if (!(w > 0.0 && e.wUp > 0.0 && e.wLow >= 0.0)) return law;
    const double up = rhoUp - e.wUp, low = rhoLow - e.wLow, span = e.wUp - e.wLow;
    const double toUp = span > 0.0 ? std::clamp((w - e.wLow) / span, 0.0, 1.0) : 1.0 - u;
    return w + up * toUp * toUp + low * std::pow(u, kK);
}

namespace {
// Water from 590 degC on is tabulated as ln(rho/P) (which tends to its ideal gas's as the
// pressure goes) by 10 degC and by tenths of ln P from 1e-7 bar to 1e4 bar, each column of a
// temperature solved when first asked for, and interpolated by cubics through four
// neighbours both ways (within 1e-6 of the equation of state): the surface's vapour is asked
// for far too often to solve the equation of state each time.
constexpr double kHotWaterT0 = 580.0, kHotWaterStepT = 10.0;
constexpr double kHotWaterLnP0 = -16.11809565095832;  // ln 1e-7
constexpr double kHotWaterStepLnP = 0.1;
constexpr int kHotWaterColumns = 260;  // to 3170 degC
constexpr int kHotWaterRows = 255;     // to 1.2e4 bar
double cubic(double y0, double y1, double y2, double y3, double f) {
    return y1 + 0.5 * f *
                    (y2 - y0 +
                     f * (2.0 * y0 - 5.0 * y1 + 4.0 * y2 - y3 + f * (3.0 * (y1 - y2) + y3 - y0)));
}
}  // namespace

double PalliserModel::hotWaterDensity(double T, double P) const {
    auto solve = [&](double t, double p) {
        water->set_the_phase_as(1);
        water->temperature(t + 273.15);
        water->pressure(p);
        water->calculate_molar_volume();
        const double rho = water->M / water->V;
        const bool ok = !water->error && rho > 0.0 && std::isfinite(rho);
        water->error = 0;
        return ok ? rho : -1.0;
    };
    const double ti = (T - kHotWaterT0) / kHotWaterStepT;
    const double pj = (std::log(P) - kHotWaterLnP0) / kHotWaterStepLnP;
    if (!(ti >= 1.0 && ti < kHotWaterColumns - 2 && pj >= 1.0 && pj < kHotWaterRows - 2))
        return solve(T, P);
    if (hotWater.empty()) hotWater.resize(kHotWaterColumns);
    const int i = static_cast<int>(ti), j = static_cast<int>(pj);
    double column[4];
    for (int a = 0; a < 4; ++a) {
        std::vector<double>& c = hotWater[i - 1 + a];
        if (c.empty()) {
            c.resize(kHotWaterRows);
            const double t = kHotWaterT0 + kHotWaterStepT * (i - 1 + a);
            for (int k = 0; k < kHotWaterRows; ++k) {
                const double p = std::exp(kHotWaterLnP0 + kHotWaterStepLnP * k);
                const double rho = solve(t, p);
                c[k] = rho > 0.0 ? std::log(rho / p) : std::nan("");
            }
        }
        column[a] = cubic(c[j - 1], c[j], c[j + 1], c[j + 2], pj - j);
    }
    const double lnRatio = cubic(column[0], column[1], column[2], column[3], ti - i);
    return std::isfinite(lnRatio) ? P * std::exp(lnRatio) : solve(T, P);
}

void PalliserModel::nearIdealNaClEdge(double T, double P, double& rhoV) const {
    // NaCl's saturated-vapour fit lies thousands of times above its ideal gas (0.507 kg/m3 at
    // 801 degC for 2.5e-4), and through the vapour law it lifted every dilute vapour near the
    // edge; the edge's vapour is NaCl's ideal gas.
    const double ideal = patches ? idealVapour(T, P, 1.0) : -1.0;
    if (ideal > 0.0) rhoV = ideal;
}

double PalliserModel::idealVapour(double T, double P, double x) const {
    if (!(P > 0.0) || !(x >= 0.0 && x <= 1.0)) return -1.0;
    const double rhoW = hotWaterDensity(T, P);
    if (!(rhoW > 0.0)) return -1.0;
    const double rhoNaCl = 1e5 * P * 0.058443 / ((T + 273.15) * 8.314);
    return 1.0 / ((1.0 - x) / rhoW + x / rhoNaCl);
}

double PalliserModel::criticalVapourSalinity(double xc, double xVlow, double b, double s) const {
    return xc * std::pow(10.0, std::pow(s, gasExponentA) - std::pow(s, gasExponentB)) *
           std::pow(xVlow / xc, std::pow(s, b));
}

double PalliserModel::bubbleCoordinate(double T, const Boundaries& b, double xL) const {
    if (b.water) return std::pow(xL / b.xLlow, 1.0 / kK);
    if (b.share >= 1.0) {
        // Below the critical salinity the ratio of logarithms is negative: no bubble point.
        double r = std::log(xL / b.xc) / std::log(b.xLlow / b.xc);
        return r >= 0.0 ? std::pow(r, 1.0 / eShape(T, b.xc)) : -1.0;
    }
    // The carried-over surface's liquid salinity rises with u from both laws: halve on it.
    auto liquid = [&](double u) {
        double P = 0.0, x = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        shapeLaws(T, b, u, P, x, xV, rhoL, rhoV);
        return x;
    };
    if (!(xL >= liquid(0.0) && xL <= liquid(1.0))) return xL < liquid(0.0) ? -1.0 : 2.0;
    double lo = 0.0, hi = 1.0;
    for (int i = 0; i < 200 && hi - lo > 1e-16; ++i) {
        double mid = 0.5 * (lo + hi);
        (liquid(mid) < xL ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

void PalliserModel::calculateLGPoint(double T, double P, double& xL, double& xV, double& rhoL,
                                     double& rhoV) {
    failed = 0;
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !std::isfinite(P)) {
        failed = 1;
        xL = xV = rhoL = rhoV = -1.0;
        return;
    }
    Boundaries b = boundariesAt(T, true);
    if (patches) b.xVlow = patchForXgsat(T, P, b.Plow, b.xVlow, b.Ptop);
    double u = reduced(b.Ptop, P, b.Plow);
    if (b.water) {
        failed = P > b.Ptop || P < b.Plow;
    } else {
        // A pressure within 0.1 bar below the lower edge is on it where that is no more than a
        // thousandth of the edge's pressure: above 800 degC NaCl boils at hundredths of a bar,
        // and the band alone took every vapour below its boiling pressure for the edge.
        failed = (P < b.Plow && !(b.Plow - P < std::min(0.1, 1e-3 * b.Plow))) || P > b.Ptop;
    }
    double Pu = 0.0;
    shapeLaws(T, b, clip(u), Pu, xL, xV, rhoL, rhoV);
}

void PalliserModel::calculateBubblePoint(double T, double xL, double& P, double& xV, double& rhoL,
                                         double& rhoV) {
    failed = 0;
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !(xL >= 0.0 && xL <= 1.0)) {
        failed = 1;
        P = xV = rhoL = rhoV = -1.0;
        return;
    }
    Boundaries b = boundariesAt(T, false);
    double u = bubbleCoordinate(T, b, xL);
    if (!(u >= 0.0 && u <= 1.0)) failed = 1;
    // The vapour edge near and above 800 degC depends on the pressure: the bubble pressure's,
    // as calculateLGPoint has it there (the liquid's salinity does not depend on it).
    if (patches) b.xVlow = patchForXgsat(T, b.Ptop - (b.Ptop - b.Plow) * clip(u), b.Plow, b.xVlow,
                                        b.Ptop);
    double xLu = 0.0;
    shapeLaws(T, b, clip(u), P, xLu, xV, rhoL, rhoV);
}

double PalliserModel::equationForGas(double u, void* context) {
    auto& c = *static_cast<GasContext*>(context);
    if (!(u >= 0.0 && u <= 1.0)) {
        equationError = 1;
        return 0.0;
    }
    equationError = 0;
    return c.xV - criticalVapourSalinity(c.xc, c.xVlow, c.b, u);
}

void PalliserModel::analyzeGasEquation(void* context, int& state, double& u1, double& u2) {
    state = 0;
    for (int i = 0; i <= 10; ++i) {
        double u = 0.1 * i;
        double r = equationForGas(u, context);
        if (r > 0.0 && state == 0) {
            u1 = u;
            state = 1;
        } else if (r < 0.0 && state == 1) {
            u2 = u;
            state = 2;
        }
    }
    equationError = 0;
}

namespace {
constexpr int kDewScan = 100;  // bracketing steps of u over [0, 1]
}  // namespace

double PalliserModel::vapourSalinity(double T, const Boundaries& b, double u) const {
    if (b.water) return b.xVlow * std::pow(u, kK);
    const double s = b.gamma != 1.0 ? std::pow(u, b.gamma) : u;
    double xV = criticalVapourSalinity(b.xc, b.xVlow, bShape(T), s);
    if (b.share < 1.0) xV = (1.0 - b.share) * b.xVlow * std::pow(u, kK) + b.share * xV;
    return xV;
}

double PalliserModel::dewCoordinate(double T, const Boundaries& b, double xV, double Phint,
                                    int* side) const {
    if (b.water) {
        // The vapour salinity rises as a power of u: one dew point at most, in closed form.
        const double u = std::pow(xV / b.xVlow, 1.0 / kK);
        return u >= 0.0 && u <= 1.0 ? u : -1.0;
    }
    // Below 800 degC the vapour edge the surface has at a pressure depends on it (as in
    // calculateLGPoint), so that a dew point is where the surface's vapour has that salinity.
    const bool carried = patches && T > kSlvCarryStart;
    auto residual = [&](double u) {
        if (!carried) return vapourSalinity(T, b, u) - xV;
        Boundaries at = b;
        at.xVlow = patchForXgsat(T, b.Ptop - (b.Ptop - b.Plow) * u, b.Plow, b.xVlow, b.Ptop);
        return vapourSalinity(T, at, u) - xV;
    };
    // Every change of sign on the scan is a dew point; the vapour salinity is not monotonic in
    // u, so one salinity may have two.
    double best = -1.0, bestDistance = 0.0;
    int bestSide = 0;
    double a = 0.0, ra = residual(0.0);
    for (int i = 1; i <= kDewScan; ++i) {
        double bu = static_cast<double>(i) / kDewScan, rb = residual(bu);
        if (ra == 0.0 || (ra < 0.0) != (rb < 0.0)) {
            double lo = a, hi = bu, rlo = ra;
            while (rlo != 0.0 && hi - lo > 4e-16) {
                double mid = 0.5 * (lo + hi), rmid = residual(mid);
                if (mid <= lo || mid >= hi) break;
                if (rmid != 0.0 && (rmid < 0.0) == (rlo < 0.0)) {
                    lo = mid;
                    rlo = rmid;
                } else {
                    hi = mid;
                }
            }
            double u = rlo == 0.0 ? lo : 0.5 * (lo + hi);
            // The two dew points of one salinity lie on the two sides of the vapour salinity's
            // least value: the salinity falls with u through the one and rises through the
            // other. A curve keeps its side from one temperature to the next.
            const int rootSide = rb > ra ? 1 : -1;
            const bool onSide = side == nullptr || *side == 0 || *side == rootSide;
            if (onSide && !(Phint > 0.0)) {  // no entry pressure: the highest dew pressure
                if (side != nullptr) *side = rootSide;
                return u;
            }
            double distance = std::fabs(b.Ptop - (b.Ptop - b.Plow) * u - Phint);
            if (onSide && (best < 0.0 || distance < bestDistance)) {
                best = u;
                bestDistance = distance;
                bestSide = rootSide;
            }
        }
        a = bu;
        ra = rb;
    }
    if (ra == 0.0 && best < 0.0 && (side == nullptr || *side == 0)) return 1.0;
    if (side != nullptr && best >= 0.0) *side = bestSide;
    return best;
}

void PalliserModel::calculateDewPoint(double T, double xV, double& P, double& xL, double& rhoL,
                                      double& rhoV) {
    say("calculate dew point");
    failed = 0;
    double Pentry = std::isfinite(P) ? P : 0.0;
    P = xL = rhoL = rhoV = -1.0;
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !(xV > 0.0 && xV <= 1.0)) {
        failed = 1;
        return;
    }
    // The surface the states see (calculateLGPoint), whose vapour edge from 790 degC depends on
    // the pressure (dewCoordinate), so that a dew point is where the states' vapour has the
    // salinity.
    Boundaries b = boundariesAt(T, true);
    const double u = dewCoordinate(T, b, xV, Pentry);
    failed = !(u >= 0.0 && u <= 1.0);
    if (failed) return;
    fixedT[8] = u;
    double xVu = 0.0;
    // The vapour is the states' of xV at P, whose edge salinity near 800 degC depends on P.
    shapeLaws(T, b, u, P, xL, xVu, rhoL, rhoV, xV);
}

void PalliserModel::calculateLiquidSaturationPoint(double T, double x, double& P, double& rho) {
    Boundaries b = boundariesAt(T, false);
    double u = bubbleCoordinate(T, b, x);
    // Salinities outside the surface extend its laws; the carried-over zone stops at its ends.
    if (!b.water && b.share >= 1.0) u = std::max(u, 0.0);
    if (!b.water && b.share < 1.0) u = clip(u);
    double xL = 0.0, xV = 0.0, rhoV = 0.0;
    shapeLaws(T, b, u, P, xL, xV, rho, rhoV);
    failed = !std::isfinite(P) || !std::isfinite(rho);
}

bool PalliserModel::surfaceTopAt(double T, double& P, double& x, double& rho) {
    if (!nearCritical(T, T <= kWaterTc, patches)) return criticalPointAt(T, P, x, rho);
    const Boundaries b = boundariesAt(T, false);
    double xV = 0.0, rhoV = 0.0;
    shapeLaws(T, b, 0.0, P, x, xV, rho, rhoV);
    return std::isfinite(P) && std::isfinite(x) && std::isfinite(rho) && rho > 0.0;
}

double PalliserModel::bubbleCurveEndTemperature(double x, double Tc) {
    const int32_t saved = failed;
    double P = 0.0, xt = 0.0, rho = 0.0;
    const bool carried = Tc > kWaterTc && Tc < kCarryEnd && surfaceTopAt(Tc, P, xt, rho) && xt < x;
    failed = saved;
    if (!carried) return Tc;
    // The top's salinity grows with temperature up to the critical one at 384 degC.
    double lo = Tc, hi = kCarryEnd;
    for (int i = 0; i < 60 && halvable(lo, hi); ++i) {
        const double mid = 0.5 * (lo + hi);
        const bool below = surfaceTopAt(mid, P, xt, rho) && xt < x;
        (below ? lo : hi) = mid;
    }
    failed = saved;
    return lo;
}

void PalliserModel::preCalculate_Fixed_T_Parameters(double T) {
    if (!(T >= 0.0 && T <= naclCriticalTemperature)) {
        // No surface: nothing of an earlier temperature may stand for it.
        std::fill(fixedT, fixedT + 8, -1.0);
        failed = 1;
        return;
    }
    if (T <= kWaterTc)
        calculateExtendedWaterSaturationPoint(T, waterSaturationPressure, waterLiquidDensity,
                                              waterVapourDensity);
    else
        criticalPointAt(T, criticalPressure, criticalSalinity, criticalDensity);
    if (T >= 800.0)
        calculateNaClSaturationPoint(T, naclSaturationPressure, naclLiquidDensity,
                                     naclVapourDensity);
    if (T <= 800.0)
        calculateSLVPoint(T, slvPressure, slvLiquidSalinity, slvVapourSalinity, slvLiquidDensity,
                          slvVapourDensity);
    // w and a have no use on the water branch; they are written for every T all the same.
    fixedT[0] = wShape(T);
    fixedT[1] = aShape(T);
    if (T > kWaterTc) {
        fixedT[2] = bShape(T);
        fixedT[3] = eShape(T, criticalSalinity);
        fixedT[5] = c1Shape(T);
        fixedT[4] = c2Shape(T);
        say("t %f zl %f zg %f", T, fixedT[3], fixedT[2]);
    } else {
        fixedT[2] = fixedT[3] = kK;
        fixedT[5] = 2.2;
        fixedT[4] = mExponent(T);
    }
    fixedT[6] = 1.0 / fixedT[5];
    fixedT[7] = 1.0 / fixedT[4];
    failed = 0;
}

void PalliserModel::getLiquidGasPressureBounds(double T, double& Pmin, double& Pmax) {
    Boundaries b = boundariesAt(T, false);
    Pmin = b.Plow;
    Pmax = b.Ptop;
    failed = !(T >= 0.0 && T <= naclCriticalTemperature) || !std::isfinite(Pmin) ||
             !std::isfinite(Pmax) || Pmax < Pmin;
}

void PalliserModel::calculateForLiquidGasIsotherm(double T, double P, double& xL, double& xV,
                                                  double& rhoL, double& rhoV) {
    failed = 0;
    Boundaries b{};
    if (T >= 0.0 && T <= naclCriticalTemperature) b = boundariesAt(T, false);
    if (!(T >= 0.0 && T <= naclCriticalTemperature) || !(P >= b.Plow && P <= b.Ptop)) {
        failed = 1;  // below the lower boundary the laws would give salinities above 1
        xL = xV = rhoL = rhoV = -1.0;
        return;
    }
    if (patches) b.xVlow = patchForXgsat(T, P, b.Plow, b.xVlow, b.Ptop);
    double Pu = 0.0;
    shapeLaws(T, b, std::max(reduced(b.Ptop, P, b.Plow), 0.0), Pu, xL, xV, rhoL, rhoV);
}

// The dew curve of one salinity, traced by 1 degC from T0: at each temperature the dew point
// nearest the one before (every dew point of the surface at T is bracketed on a scan and
// halved, so none is taken for a root that is not one). Temperatures without a dew point are
// passed over until the curve is met; after that the first one ends it. Where the curve passes
// T0 or lies below it, it is traced downward from T0 as well. The rows run along the curve:
// from its critical end to the end of the NaCl vapour branch when it reaches the NaCl critical
// temperature, otherwise towards the end where it meets the three-phase curve.
void PalliserModel::calculateGasIsopleth(CurveArray& out, double w, double T0, double Tc, double Pc,
                                         double rhoc) {
    traceGasIsopleth(out, w, T0, Tc, Pc, rhoc, false);
}

void PalliserModel::calculateGasIsoplethAbove(CurveArray& out, double w, double Tfrom) {
    traceGasIsopleth(out, w, Tfrom + 1.0, 0.0, 0.0, 0.0, true);
}

void PalliserModel::traceGasIsopleth(CurveArray& out, double w, double T0, double Tc, double Pc,
                                     double rhoc, bool above) {
    out.clear();
    const double x = w / 100.0;
    failed = !(x > 0.0 && x <= 1.0) || !std::isfinite(T0);
    if (failed) return;
    // The salinity's critical point: where the curve starts there, it is the curve's first row.
    double Tx = -1.0, Px = -1.0, rhox = -1.0;
    calculateCriticalPointFromX(x, Tx, Px, rhox);
    const bool critical = !failed && Tx > kWaterTc && !nearCritical(Tx, false, patches) &&
                          Tx < naclCriticalTemperature && std::isfinite(Px) &&
                          std::isfinite(rhox);
    using Row = std::array<double, 3>;
    // The dew point at T nearest the pressure lastP (the highest without one).
    auto dewPoint = [&](double T, double lastP, int& side, Row& row) {
        const Boundaries b = boundariesAt(T, true);
        const double u = dewCoordinate(T, b, x, lastP, &side);
        if (!(u >= 0.0 && u <= 1.0)) return false;
        double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
        shapeLaws(T, b, u, P, xL, xV, rhoL, rhoV, x);
        row = {T, P, rhoV};
        // On NaCl's boiling curve the vapour is NaCl's own: no dew point of a brine. Just above
        // it the vapour edge is carried from NaCl's vapour to 1 wt %, and every salinity
        // between has a dew point in that band; the curve drawn is the one above it.
        if (!b.water && T >= 800.0 && x < 1.0 &&
            !(P > std::max(b.Plow, 0.0) + std::max(raoultEdgeWidth(b.Plow, b.Ptop), 1e-5)))
            return false;
        return std::isfinite(P) && std::isfinite(rhoV);
    };
    // Traces from T by s while 250 < T < the NaCl critical temperature; leading temperatures
    // without a dew point are passed over when `seek`. True when the curve runs to the end of
    // that range.
    auto trace = [&](double T, double s, bool seek, std::vector<Row>& rows) {
        double lastP = -1.0, Tnone = std::nan("");
        int side = 0;  // the side of the curve, once it has a row
        // The critical point between a temperature without a dew point and one with.
        auto criticalBetween = [&](double Ta, double Tb) {
            if (critical && std::min(Ta, Tb) <= Tx && Tx <= std::max(Ta, Tb))
                rows.push_back({Tx, Px, rhox});
        };
        for (int i = 0; i < kMaxCurveSteps; ++i, T += s) {
            if (!(T > 250.0 && T < naclCriticalTemperature)) return !rows.empty();
            Row row{};
            int rowSide = side;
            if (!dewPoint(T, lastP, rowSide, row)) {
                if (!rows.empty()) {
                    if (rows.back()[0] != Tx) criticalBetween(rows.back()[0], T);
                    return false;
                }
                if (!seek) return false;
                Tnone = T;
                continue;
            }
            if (rows.empty() && std::isfinite(Tnone)) criticalBetween(Tnone, T);
            rows.push_back(row);
            lastP = row[1];
            side = rowSide;
        }
        return false;
    };
    std::vector<Row> up, down;
    bool top = false;
    if (critical && T0 <= Tx && !above) {
        // Below its critical temperature the salinity's vapour has no dew point on the upper
        // part of the surface; what the surface has near the three-phase curve below 800 degC
        // belongs to no curve through the critical point.
        up.push_back({Tx, Px, rhox});
        top = trace(T0 + std::floor(Tx - T0) + 1.0, 1.0, false, up);
    } else {
        top = trace(T0, 1.0, true, up);
    }
    if (!above && (up.empty() || up.front()[0] == T0)) trace(T0 - 1.0, -1.0, up.empty(), down);
    std::vector<Row> rows;
    if (top || down.empty()) {
        rows.assign(down.rbegin(), down.rend());
        rows.insert(rows.end(), up.begin(), up.end());
    } else {
        rows.assign(up.rbegin(), up.rend());
        rows.insert(rows.end(), down.begin(), down.end());
    }
    for (const Row& r : rows) appendRow(out, {r[0], r[1], r[2]});
    if (top) {
        // The curve meets pure NaCl at its critical point and goes on down its vapour branch.
        for (int t = 3127; t >= 801; t -= 2) {
            double P = 0.0, rhoL = 0.0, rhoV = 0.0;
            calculateNaClSaturationPoint(t, P, rhoL, rhoV);
            appendRow(out, {static_cast<double>(t), P, rhoV});
        }
    } else if (!rows.empty() && std::fabs(rows.back()[0] - Tc) < 50.0) {
        appendRow(out, {Tc, Pc, rhoc});
    }
    failed = 0;
}

}  // namespace vornex

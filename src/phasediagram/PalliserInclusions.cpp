// Fluid inclusions (salinity and density from homogenisation and melting temperatures), ice
// melting, boiling with a vapour volume, the geotherm's boiling point and the spinodal.
#include <algorithm>
#include <cmath>
#include <memory>

#include "numerics/Quadrature.h"
#include "phasediagram/Palliser.h"
#include "phasediagram/PalliserSteps.h"

namespace vornex {

namespace {

constexpr double kThScanStep = 0.5;  // degC
// The scan for the temperatures at which an inclusion splits again after its homogenisation.
constexpr double kSplitScanStep = 0.5;    // degC
constexpr int kSplitEdgeHalvings = 21;    // a degree down to 5e-7 degC
constexpr double kSplitEdgeFrom = 1e-6;   // degC above Th: the liquid just homogenised
// Where the bubble-point liquid density turns, a finer step keeps crossings that lie close
// together apart.
constexpr double kThTurnFrom = 370.0, kThTurnTo = 420.0, kThTurnStep = 0.05;  // degC
constexpr int kTouchSearch = 60;  // golden sections: a degree down to some 3e-13 degC
constexpr double kTmScanStep = 1.0;  // degC
constexpr double kBubbleScanStep = 1.0;  // degC
// Intervals of the scan of the pressures below the bubble point for a vapour volume.
constexpr int kBoilingScan = 200;
constexpr double kGeothermClose = 1e-7;  // degC between the geotherm and the bubble point

struct TmContext {
    double x, phi;  // bulk salinity, volume fraction of vapour (Tm) or halite (Tm3)
    bool halite;
    double Tmin;  // lowest temperature searched
    double rho = -1.0, P = -1.0, xL = -1.0;
};

struct BubbleContext {
    double x, P;
    double xV = -1.0, rhoL = -1.0, rhoV = -1.0;
};

}  // namespace

// ------------------------------------------------------------------ one-dimensional searches

double Palliser::equationForThLiq(double T, void* context) {
    auto& c = *static_cast<ThContext*>(context);
    double xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    if (T >= kLowestInclusionT) calculateBubblePoint(T, c.x, c.P, xV, rhoL, rhoV);
    if (!(T >= kLowestInclusionT) || failed) {
        equationError = 1;
        return 0.0;
    }
    return c.rho - rhoL;
}

// Where the bubble-point liquid density has a least value (near 374-415 degC, and below the
// critical point of brines of some 26 wt % and more), an inclusion a little denser than that
// least value meets its bubble curve and leaves it again within a fraction of a degree, between
// two points of the scan: a scanned value that is a greatest one between two others, all
// negative, is searched for the greatest value between its neighbours, and where that is not
// negative the two changes of sign around it are kept.
std::vector<Palliser::SignChange> Palliser::thSignChanges(ThContext& c, double from, double to) {
    std::vector<SignChange> out;
    std::vector<std::pair<double, double>> samples;
    const double edges[] = {from, kThTurnFrom, kThTurnTo, to};
    for (int k = 0; k < 3; ++k) {
        const double lo = std::max(from, edges[k]), hi = std::min(to, edges[k + 1]);
        if (!(lo < hi)) continue;
        if (!samples.empty()) samples.emplace_back(NAN, 0.0);
        for (const SignChange& s : signChanges(&Palliser::equationForThLiq, &c, lo, hi,
                                               k == 1 ? kThTurnStep : kThScanStep, &samples))
            out.push_back(s);
    }
    auto value = [&](double T) {
        double r = 0.0;
        return evaluate(&Palliser::equationForThLiq, &c, T, r) ? r : -HUGE_VAL;
    };
    const double g = 0.5 * (std::sqrt(5.0) - 1.0);
    const size_t n = samples.size();
    for (size_t i = 1; i + 1 < n; ++i) {
        const auto [a, fa] = samples[i - 1];
        const auto [b, fb] = samples[i];
        const auto [e, fe] = samples[i + 1];
        if (std::isnan(a) || std::isnan(b) || std::isnan(e) || !(fa < 0.0 && fb < 0.0 && fe < 0.0) ||
            !(fb >= fa && fb >= fe))
            continue;
        double lo = a, hi = e, p = hi - g * (hi - lo), q = lo + g * (hi - lo);
        double fp = value(p), fq = value(q);
        for (int k = 0; k < kTouchSearch; ++k) {
            if (fp < fq) {
                lo = p, p = q, fp = fq;
                q = lo + g * (hi - lo), fq = value(q);
            } else {
                hi = q, q = p, fq = fp;
                p = hi - g * (hi - lo), fp = value(p);
            }
        }
        const double top = 0.5 * (lo + hi);
        if (!(value(top) >= 0.0)) continue;
        out.push_back({a, top, true});
        out.push_back({top, e, false});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const SignChange& p, const SignChange& q) { return p.a < q.a; });
    return out;
}

// An inclusion heated from T0 holds liquid and vapour while its density is below that of the
// bubble-point liquid of its salinity (the residual is negative) and homogenises where the two
// meet from below. Between 374 and about 415 degC the model's bubble-point liquid density falls
// and rises again, so the two can meet more than once.
std::vector<Palliser::SignChange> Palliser::homogenisationsToLiquid(ThContext& c, double T0) {
    // An inclusion that is not liquid + vapour at T0 is heated from the lowest temperature.
    double from = std::max(T0, kLowestInclusionT);
    const int16_t outer = equationError;
    equationError = 0;
    const double r = equationForThLiq(from, &c);
    if (equationError || !(r < 0.0)) from = kLowestInclusionT;
    equationError = outer;
    // The bubble curve of the salinity ends at its critical point.
    double Tc = naclCriticalTemperature, Pc = 0.0, rhoc = 0.0;
    calculateCriticalPointFromX(c.x, Tc, Pc, rhoc);
    const double to =
        failed || !(Tc > from) ? naclCriticalTemperature : bubbleCurveEndTemperature(c.x, Tc) + 1.0;
    std::vector<SignChange> all = thSignChanges(c, from, to);
    std::vector<SignChange> rising;
    for (const SignChange& s : all) {
        int error = 0;
        if (s.rising) rootOf(&Palliser::equationForThLiq, &c, s, error);
        if (s.rising && !error) rising.push_back(s);
    }
    return rising;
}

double Palliser::calculateThLiq(double x, double rho, double T0, double& P) {
    ThContext c{x, rho, -1.0};
    int error = 1;
    double T = 0.0;
    if (std::isfinite(x) && std::isfinite(rho) && std::isfinite(T0)) {
        for (const SignChange& s : homogenisationsToLiquid(c, T0)) {
            T = rootOf(&Palliser::equationForThLiq, &c, s, error);
            if (!error) break;
        }
    }
    failed = error != 0;
    P = failed ? -1.0 : c.P;
    return failed ? 0.0 : T;
}

int Palliser::countHomogenisationsToLiquid(double x, double rho, double T0) {
    ThContext c{x, rho, -1.0};
    if (!(std::isfinite(x) && std::isfinite(rho) && std::isfinite(T0))) {
        failed = 1;
        return 0;
    }
    const std::vector<SignChange> crossings = homogenisationsToLiquid(c, T0);
    int n = 0;
    if (!crossings.empty()) {
        int error = 0;
        const double Th = rootOf(&Palliser::equationForThLiq, &c, crossings.front(), error);
        n = 1 + static_cast<int>(splitsAfterHomogenisation(x, rho, Th).size());
    }
    failed = 0;  // the searches on the way leave the flag of their last evaluation
    return n;
}

bool Palliser::liquidAndVapourOfDensity(double T, double x, double rho) {
    const double P = getIsochoricLiquidGasPressure(T, -1.0, rho, 100.0 * x);
    return P > 0.0;
}

std::vector<std::pair<double, double>> Palliser::splitsAfterHomogenisation(double x, double rho,
                                                                           double Th,
                                                                           double Tend) {
    std::vector<std::pair<double, double>> splits;
    failed = !(std::isfinite(x) && std::isfinite(rho) && std::isfinite(Th) && x > 0.0);
    if (failed) return splits;
    // The edge between a temperature with and one without a mixture of the density.
    auto edge = [&](double with, double without) {
        for (int i = 0; i < kSplitEdgeHalvings; ++i) {
            const double mid = 0.5 * (with + without);
            (liquidAndVapourOfDensity(mid, x, rho) ? with : without) = mid;
        }
        return with;
    };
    // Just above Th the inclusion is liquid; a mixture found from there on is a new split (which
    // can begin within the first steps: near a least bubble-point liquid density it does).
    double from = -1.0, last = Th + kSplitEdgeFrom;
    bool split = false;
    steps(Th + 2.0 * kSplitScanStep, Tend, kSplitScanStep, Bound::AtOrBelow, [&](double T) {
        const bool two = liquidAndVapourOfDensity(T, x, rho);
        if (two && !split) from = edge(T, last);
        if (!two && split) splits.emplace_back(from, edge(last, T));
        split = two;
        last = T;
    });
    if (split) splits.emplace_back(from, last);
    failed = 0;  // the searches on the way leave the flag of their last evaluation
    return splits;
}

// Tm: the vapour's volume fraction in liquid + vapour on the SLV curve at T; Tm3: halite's in
// halite + liquid.
double Palliser::equationForTm(double T, void* context) {
    auto& c = *static_cast<TmContext*>(context);
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    Mixture m;
    if (T >= c.Tmin && T <= haliteTripleTemperature) {
        calculateSLVPoint(T, P, xL, xV, rhoL, rhoV);
        m = c.halite ? mixture(c.x, 1.0, haliteDensity, xL, rhoL)
                     : mixture(c.x, xV, rhoV, xL, rhoL);
    }
    if (!m.valid) {
        equationError = 1;
        return 0.0;
    }
    c.rho = m.rho;
    c.P = P;
    c.xL = xL;
    return m.phiA - c.phi;
}

double Palliser::equationForTm3(double T, void* context) {
    return equationForTm(T, context);
}

double Palliser::calculateTm(double x, double phiV, double T0, double& rho, double& P) {
    TmContext c{x, phiV, false, kLowestInclusionT};
    int error = 1;
    double T = 0.0;
    // A mixture of x exists from where the SLV liquid reaches x: the scan starts there, and in
    // steps that see the stretch (for the saltiest, between 799 and 800 degC) whole.
    double rhoL0 = 0.0, P0 = 0.0;
    const double Tm0 = calculateTm0(x, rhoL0, P0);
    if (!failed) c.Tmin = std::max(c.Tmin, Tm0);
    const double step = std::min(kTmScanStep, (haliteTripleTemperature - c.Tmin) / 8.0);
    // Mixtures of some salinities reach one vapour fraction at several temperatures: the one
    // nearest the start. Near 800 degC the vapour is a near-ideal gas some 3e5 times lighter
    // than the liquid, and the vapour fraction rises by 1e-5 within 1e-10 K (799.99 degC, 99.998
    // wt %): the temperature is halved down to neighbouring doubles, as is that of Tm0 where the
    // mixture starts.
    if (std::isfinite(x) && std::isfinite(phiV) && std::isfinite(T0) && step > 0.0)
        T = nearestRoot(&Palliser::equationForTm, &c, c.Tmin, haliteTripleTemperature, step, T0,
                        error, {}, kNeighbouringDoubles);
    failed = error != 0;
    rho = failed ? 0.0 : c.rho;
    P = failed ? 0.0 : c.P;
    return failed ? 0.0 : T;
}

double Palliser::calculateTm3(double x, double phiH, double T0, double& rho, double& Th, double& xL,
                              double& Ph, double& Pm) {
    TmContext c{x, phiH, true, kLowestInclusionT};
    int error = 1;
    tm3BeyondDiagram = false;
    if (std::isfinite(x) && std::isfinite(phiH) && std::isfinite(T0))
        Th = nearestRoot(&Palliser::equationForTm3, &c, c.Tmin, haliteTripleTemperature,
                         kTmScanStep, T0, error);
    double T = -1.0;
    if (!error) {
        rho = c.rho;
        Ph = c.P;
        xL = c.xL;
        calculateHaliteLiquidTemperatureFromRhoX(x, rho, T, Pm, Th);
        tm3BeyondDiagram = !failed && Pm > kDiagramMaxPressure;
        if (!failed) return T;
    }
    failed = 1;
    rho = 0.0;
    Th = xL = Ph = Pm = -1.0;
    return -1.0;
}

double Palliser::equationForBubblePointFromP(double T, void* context) {
    auto& c = *static_cast<BubbleContext*>(context);
    double P = 0.0;
    calculateBubblePoint(T, c.x, P, c.xV, c.rhoL, c.rhoV);
    if (failed) {
        equationError = 1;
        return 0.0;
    }
    return P - c.P;
}

void Palliser::calculateBubblePointFromP(double P, double x, double& T, double& xV, double& rhoL,
                                         double& rhoV, double T0) {
    BubbleContext c{x, P};
    int error = 1;
    double root = 0.0;
    if (std::isfinite(P) && std::isfinite(x) && std::isfinite(T0)) {
        // The bubble curve of x ends at its critical point.
        double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
        calculateCriticalPointFromX(x, Tc, Pc, rhoc);
        const double Tend =
            failed || !(Tc > 0.0) ? naclCriticalTemperature : bubbleCurveEndTemperature(x, Tc) + 1.0;
        root = secantOrScan(&Palliser::equationForBubblePointFromP, &c, T0, T0 + 1.0, T0,
                            {0.0, Tend, kBubbleScanStep, 1e-7 * P}, error);
    }
    failed = error != 0;
    if (failed) {
        T = -1.0;
        return;
    }
    T = root;
    xV = c.xV;
    rhoL = c.rhoL;
    rhoV = c.rhoV;
}

// ---------------------------------------------------------------- salinity from Th and Tm

// An inclusion that homogenises to the liquid at Th after its halite dissolved at Tm is, at Tm,
// the SLV liquid and vapour in some volume proportion phi of vapour; phi alone fixes its bulk
// salinity and density. Of all these mixtures the inclusion is one whose liquid at Th is on its
// bubble curve: residual rho(phi) - rhoL_bubble(Th, x(phi)), positive for phi = 0 (the liquid
// expands as it heats along its bubble curve) and negative once the mixture is too light to
// homogenise to the liquid by Th. Where the model's bubble-point liquid density falls and rises
// again (374 to ~415 degC) a mixture can meet its bubble curve at Th after having met it
// earlier: a heated inclusion shows the earlier one, so such a mixture is no answer. No guess
// enters, so every inclusion is found the same way.
namespace {
constexpr double kVapourFractionStep = 1.0 / 400.0;  // bracketing steps of phi over [0, 1)
constexpr double kSameTh = 1e-3;                     // degC
constexpr double kTogether = 0.1;  // degC: Th and Tm this close are one event
}  // namespace

bool Palliser::inclusionFromVapourFraction(const InclusionAtTm& c, double phi, double& x,
                                           double& rho, double& residual, double& Ph) {
    rho = phi * c.rhoV + (1.0 - phi) * c.rhoL;
    x = (phi * c.rhoV * c.xV + (1.0 - phi) * c.rhoL * c.xL) / rho;
    double P = c.Pm, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    calculateBubblePoint(c.Th, x, P, xV, rhoL, rhoV);
    if (failed || !(rhoL > 0.0) || !std::isfinite(rho)) return false;
    residual = rho - rhoL;
    Ph = P;
    return true;
}

double Palliser::equationForVapourFractionAtTm(double phi, void* context) {
    auto& c = *static_cast<InclusionAtTm*>(context);
    double r = 0.0;
    if (!(phi >= 0.0 && phi < 1.0) || !inclusionFromVapourFraction(c, phi, c.x, c.rho, r, c.Ph)) {
        equationError = 1;
        return 0.0;
    }
    return r;
}

double Palliser::firstHomogenisationFrom(double x, double rho, double T0, double Tend) {
    ThContext t{x, rho, -1.0};
    // A little past Tend, so that a touch of the bubble curve just below it is seen whole.
    for (const SignChange& s : thSignChanges(t, T0, Tend + 2.0 * kThScanStep)) {
        int error = 0;
        const double T = s.rising ? rootOf(&Palliser::equationForThLiq, &t, s, error) : -1.0;
        if (s.rising && !error) return T;
    }
    return -1.0;
}

void Palliser::calculateFromThTm(double Th, double Tm, double& x, double& rho, double TmGuess,
                                 double ThGuess, double xGuess, double rhoGuess, double& Pm,
                                 double& Ph, double& phiV) {
    (void)TmGuess;
    (void)ThGuess;
    (void)xGuess;
    (void)rhoGuess;
    failed = 0;
    thTmOutcome = ThTmOutcome::Solved;
    thTmEarlierTh = -1.0;
    auto fail = [&](ThTmOutcome why) {
        failed = 1;
        thTmOutcome = why;
        x = rho = 0.0;
        Ph = phiV = -1.0;
    };
    if (!(Tm >= kLowestInclusionT && Tm <= haliteTripleTemperature) || !std::isfinite(Th)) {
        Pm = -1.0;  // halite dissolves on the SLV curve or not at all
        return fail(ThTmOutcome::OutsideTheModel);
    }
    InclusionAtTm c{Th, Pm, 0.0, 0.0, 0.0, 0.0};
    calculateSLVPoint(Tm, Pm, c.xL, c.xV, c.rhoL, c.rhoV);
    c.Pm = Pm;
    // Within 0.1 K of each other both phases vanish together: the inclusion is nearly the SLV
    // liquid at Tm, with the trace of vapour that makes its bubble vanish at Th, or just above
    // Tm where Th is not above it. (The SLV liquid itself lies on the edge of its bubble curve,
    // and where that liquid grows denser on heating it homogenises far above Tm: no answer.)
    // From 790 degC the surface's liquid is carried towards molten NaCl, and the SLV liquid
    // reaches its bubble curve only a little above Tm (0.001 K at 790.5 degC, 0.05 at 800): no
    // inclusion homogenises below that, so the event is taken just above it.
    if (std::fabs(Th - Tm) < kTogether) {
        const double Th0 = firstHomogenisationFrom(c.xL, c.rhoL, Tm, Tm + kTogether);
        c.Th = std::max(Th, (Th0 > Tm && Th0 < Tm + kTogether ? Th0 : Tm) + kSameTh);
    } else if (!(Tm < Th))  // halite dissolving after homogenisation: no liquid + vapour at Tm
        return fail(ThTmOutcome::HaliteAfterBubble);
    // Every mixture at Tm whose liquid reaches its bubble curve at Th, from the liquid alone
    // upward; a mixture whose liquid has no bubble point at Th is none.
    std::vector<SignChange> roots = signChanges(&Palliser::equationForVapourFractionAtTm, &c, 0.0,
                                                1.0 - 1e-9, kVapourFractionStep);
    bool earlier = false, touching = false;
    for (const SignChange& s : roots) {
        int error = 0;
        const double phi = rootOf(&Palliser::equationForVapourFractionAtTm, &c, s, error);
        // The root must be a change of sign, not a step of the residual.
        double r = equationForVapourFractionAtTm(phi, &c);
        if (error || equationError || !(std::fabs(r) < 1e-6 * c.rho)) {
            equationError = 0;
            continue;
        }
        const double xs = c.x, rhos = c.rho, Phs = c.Ph;
        const double first = firstHomogenisationFrom(xs, rhos, Tm, c.Th + kSameTh);
        if (first >= 0.0 && first < c.Th - kSameTh) {
            earlier = true;
            if (thTmEarlierTh < 0.0) thTmEarlierTh = first;
            continue;
        }
        // A mixture whose liquid only touches its bubble curve at Th, or one that the forward
        // search does not see homogenise there, is no inclusion with this Th.
        if (!(std::fabs(first - c.Th) <= kSameTh)) {
            touching = true;
            continue;
        }
        x = xs;
        rho = rhos;
        Ph = Phs;
        phiV = phi;
        return;
    }
    fail(earlier                    ? ThTmOutcome::HomogenisesEarlier
         : roots.empty() || touching ? ThTmOutcome::NoSuchInclusion
                                     : ThTmOutcome::SearchFailed);
}

// ------------------------------------------------------------------------------ ice melting

void Palliser::calculateIceMeltingCurve(CurveArray& out, double f) {
    out.clear();
    failed = !(f >= 0.0 && f <= 1.0);  // f: the NaCl share of the salt
    if (failed) return;
    for (int i = 0; i <= 100; ++i) {
        double w = 0.4 * i, T = 0.0;
        calculateFreezingTemperature(w / 100.0, f, T);
        appendRow(out, {w, T});
    }
    failed = 0;
}

// ------------------------------------------------------------------ boiling with vapour

namespace {
struct BoilingContext {
    double T, x, f, P0;
    double xL = -1.0, xV = -1.0, rhoL = -1.0, rhoV = -1.0;
};
}  // namespace

double Palliser::equationForBoilingGasVolume(double P, void* context) {
    auto& c = *static_cast<BoilingContext*>(context);
    Mixture m;
    if (P <= c.P0) {
        calculateLGPoint(c.T, P, c.xL, c.xV, c.rhoL, c.rhoV);
        // The vapour's salt counts: hot vapours hold a good part of it. At the bubble pressure
        // itself the liquid is the bulk fluid, up to rounding.
        if (!failed) m = mixture(std::min(c.x, c.xL), c.xL, c.rhoL, c.xV, c.rhoV);
        if (c.x > c.xL * (1.0 + 1e-9)) m.valid = false;
    }
    if (!m.valid) {
        equationError = 1;
        return 0.0;
    }
    return (1.0 - m.phiA) - c.f;
}

void Palliser::calculateBoilingPointWithGasVolume(double T, double x, double f, double& P,
                                                  double& xL, double& xV, double& rhoL,
                                                  double& rhoV, double& rhoMix) {
    double P0 = 0.0, xV0 = 0.0, rhoL0 = 0.0, rhoV0 = 0.0;
    calculateBubblePoint(T, x, P0, xV0, rhoL0, rhoV0);
    if (failed || !(f >= 0.0 && f < 1.0)) {
        failed = 1;
        P = xL = xV = rhoL = rhoV = rhoMix = -1.0;
        return;
    }
    // Pure water boils at one pressure, where its liquid and vapour take any share of the
    // volume; without vapour the liquid alone. Where its liquid and vapour are one fluid (at
    // its critical point, and on the surface's edge carried above it to 374.15 degC, whose
    // 322 kg/m3 is no density of water there) it has no boiling point.
    if (x == 0.0 && !(rhoL0 > rhoV0)) {
        failed = 1;
        P = xL = xV = rhoL = rhoV = rhoMix = -1.0;
        return;
    }
    if (f == 0.0 || x == 0.0) {
        P = P0;
        xL = x;
        xV = xV0;
        rhoL = rhoL0;
        rhoV = rhoV0;
        rhoMix = (1.0 - f) * rhoL0 + f * rhoV0;
        return;
    }
    BoilingContext c{T, x, f, P0};
    // The liquid + vapour surface at T starts at its lower bounding pressure.
    double Plow = 0.0, Pmax = 0.0;
    getLiquidGasPressureBounds(T, Plow, Pmax);
    if (failed || !(Plow < P0)) Plow = 0.0;
    int error = 0;
    double root = secantOrScan(&Palliser::equationForBoilingGasVolume, &c, P0, P0 - 0.0001, P0,
                               {Plow, P0, (P0 - Plow) / kBoilingScan, 1e-9}, error);
    // A root the scan's halving left off the volume (within the tolerance on the pressure) is
    // sought again near the bubble pressure, where a dilute brine's is.
    double r = 0.0;
    bool rounded = false;
    if (error || !evaluate(&Palliser::equationForBoilingGasVolume, &c, root, r) ||
        !(std::fabs(r) <= 1e-9)) {
        int nearError = 0;
        const double nearRoot = boilingJustBelowBubble(&c, Plow, rounded, nearError);
        if (!nearError) {
            root = nearRoot;
            error = 0;
        } else if (!error) {
            evaluate(&Palliser::equationForBoilingGasVolume, &c, root, r);  // its phases again
        }
    }
    failed = error != 0;
    if (failed) {
        P = xL = xV = rhoL = rhoV = rhoMix = -1.0;
        return;
    }
    P = root;
    xL = c.xL;
    xV = c.xV;
    rhoL = c.rhoL;
    rhoV = c.rhoV;
    // The bulk specific volume is the mass-weighted sum of the phases'; where the pressure is
    // only the double nearest the root, the phases fill the volumes asked for.
    rhoMix = rounded ? (1.0 - f) * rhoL + f * rhoV
                     : mixture(std::min(x, xL), xL, rhoL, xV, rhoV).rho;
}

// A brine of a millionth of a percent of salt and less holds a tenth of its volume as vapour
// a part in 1e12 or less below its bubble pressure, within one step of the scan of the band:
// the pressure is sought down from the bubble pressure by doubling distances and halved to
// neighbouring doubles. Where neighbouring doubles still part the volume asked for, the nearer
// one is the answer (`rounded`).
double Palliser::boilingJustBelowBubble(void* context, double Plow, bool& rounded, int& error) {
    auto& c = *static_cast<BoilingContext*>(context);
    // The vapour volume less the one asked for; where the bulk salinity is above the liquid's
    // (the rounding of the bubble pressure), the liquid alone: no vapour.
    auto residual = [&](double P) {
        double r = 0.0;
        return evaluate(&Palliser::equationForBoilingGasVolume, &c, P, r) ? r : -c.f;
    };
    error = 1;
    rounded = false;
    double above = c.P0, rAbove = -c.f, below = -1.0, rBelow = 0.0;
    for (double d = c.P0 * DBL_EPSILON; d < c.P0 - Plow && below < 0.0; d *= 2.0) {
        const double r = residual(c.P0 - d);
        (r < 0.0 ? above : below) = c.P0 - d;
        (r < 0.0 ? rAbove : rBelow) = r;
    }
    if (below < 0.0) return 0.0;
    while (halvable(below, above)) {
        const double mid = 0.5 * (below + above), r = residual(mid);
        (r < 0.0 ? above : below) = mid;
        (r < 0.0 ? rAbove : rBelow) = r;
    }
    double P = std::fabs(rAbove) < std::fabs(rBelow) ? above : below, r = 0.0;
    // The context holds the answer's phases.
    if (!evaluate(&Palliser::equationForBoilingGasVolume, &c, P, r))
        evaluate(&Palliser::equationForBoilingGasVolume, &c, P = below, r);
    rounded = !(std::fabs(r) <= 1e-9);
    error = 0;
    return P;
}

void Palliser::calculateBoilingCurveWithGasVolume(CurveArray& out, double w, double fPercent,
                                                  double Tend, double T0) {
    out.clear();
    const double x = w / 100.0, f = fPercent / 100.0;
    failed = !std::isfinite(x) || !std::isfinite(f);
    if (failed) return;
    double P = 0.0, xL = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0, rhoMix = 0.0;
    steps(T0, Tend, 1.0, Bound::AtOrBelow, [&](double T) {
        calculateBoilingPointWithGasVolume(T, x, f, P, xL, xV, rhoL, rhoV, rhoMix);
        if (!failed && P > 0.0) appendRow(out, {T, P, rhoMix});
    });
    double xc = 0.0, rho = 0.0;
    if (criticalPointAt(Tend, P, xc, rho)) appendRow(out, {Tend, P, rho});
    failed = 0;
}

// ---------------------------------------------------------------------------- geotherm

namespace {
struct DepthContext {
    double g, x;
};
struct GeothermContext {
    double T0, d0, P0, gradient, x, rhoColumn, Tc;
    double P = -1.0, depth = -1.0, rhoL = -1.0;
};
}  // namespace

double Palliser::equationForDepthPressureConversion(double P, void* context) {
    auto& c = *static_cast<DepthContext*>(context);
    double T = 0.0, xV = 0.0, rhoL = -1.0, rhoV = 0.0;
    calculateBubblePointFromP(P, c.x, T, xV, rhoL, rhoV, 100.0);
    if (failed || !(rhoL > 0.0)) {
        equationError = 1;  // the quadrature counts the sample as 0 and leaves the flag up
        return 0.0;
    }
    return 1e5 / (c.g * rhoL);
}

bool Palliser::convertPressureToDepth(double x, double Pa, double Pb, double d0, double& depth) {
    DepthContext c{9.81, x};
    Gauss10 rule;
    rule.equation = this;
    rule.function = static_cast<EquationFunction>(&Palliser::equationForDepthPressureConversion);
    rule.context = &c;
    rule.a = Pa;
    rule.b = Pb;
    int16_t outer = equationError;
    equationError = 0;
    double integral = rule.calculate();
    bool ok = equationError == 0 && std::isfinite(integral);
    equationError = outer;
    depth = ok ? d0 + integral : -1.0;
    failed = !ok;
    return ok;
}

double Palliser::equationForGeothermBubblePoint(double T, void* context) {
    auto& c = *static_cast<GeothermContext*>(context);
    double P = 0.0, xV = 0.0, rhoL = 0.0, rhoV = 0.0;
    bool ok = T >= 0.0 && T <= c.Tc;
    if (ok) {
        calculateBubblePoint(T, c.x, P, xV, rhoL, rhoV);
        ok = !failed && rhoL > 0.0;
    }
    double depth = -1.0;
    if (ok) {
        if (c.rhoColumn < 0.0)
            depth = c.d0 + (P - c.P0) * 1e5 / (9.81 * rhoL);
        else if (c.rhoColumn > 0.0)
            depth = c.d0 + (P - c.P0) * 1e5 / (9.81 * c.rhoColumn);
        else
            ok = convertPressureToDepth(c.x, c.P0, P, c.d0, depth);
    }
    if (!ok) {
        equationError = 1;
        return 0.0;
    }
    c.P = P;
    c.depth = depth;
    c.rhoL = rhoL;
    return (depth - c.d0) * c.gradient + c.T0 - T;
}

void Palliser::calculateGeothermBubblePoint(double T0, double d0, double P0, double gradient,
                                            double x, double rhoColumn, double& T, double& P,
                                            double& depth, double& rhoL) {
    double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
    calculateCriticalPointFromX(x, Tc, Pc, rhoc);
    GeothermContext c{T0, d0, P0, gradient, x, rhoColumn, Tc};
    int error = failed ? 1 : 0;
    double root = 0.0;
    // A secant from near the critical point can miss a crossing near the top or stop off the
    // curve: then the crossing below the top nearest its temperature that a scan brackets.
    if (!error)
        root = secantOrScan(
            &Palliser::equationForGeothermBubblePoint, &c, Tc - 10.0, Tc - 11.0, T0,
            {0.0, Tc, kBubbleScanStep, kGeothermClose, [&] { return c.depth >= d0; }}, error);
    // The geotherm starts at d0: a crossing above it (T below T0 for a rising geotherm) is an
    // extrapolation the column does not have.
    failed = error != 0 || !(c.depth >= d0);
    if (failed) {
        T = P = depth = rhoL = -1.0;
        return;
    }
    T = root;
    P = c.P;
    depth = c.depth;
    rhoL = c.rhoL;
}

// ---------------------------------------------------------------------------- spinodal

void Palliser::calculateSpinodalCurve(CurveArray& out, double x) {
    out.clear();
    double Tc = 0.0, Pc = 0.0, rhoc = 0.0;
    calculateCriticalPointFromX(x, Tc, Pc, rhoc);
    if (failed) return;
    for (int i = 0; i < 190; ++i) {
        double tau = 0.001 * i;
        appendRow(out, {Tc - 647.096 * tau, Pc * (1.0 - 9.2817 * tau - 33.391 * tau * tau)});
    }
    failed = 0;
}

}  // namespace vornex

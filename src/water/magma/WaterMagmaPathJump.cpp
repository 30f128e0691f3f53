// Jumps along the heating-decompression path: the flow whose samples are the path's points,
// integrated with Dormand-Prince 5(4) over whole steps.
#include "water/magma/WaterMagmaPathJump.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "expression/Expression.h"
#include "fluid/Interaction.h"

namespace vornex {

bool outsideTwoPhase(double T, double P, double S, double& Psat, bool& vapourSide) {
    Psat = WaterEOS::saturationPressureWagnerPruss(T);
    vapourSide = S >= kVapourSideEntropy;
    return vapourSide ? P < Psat : P > Psat;
}

void stateFunctionsAt(WaterEOS& w, double T, double V) {
    w.error = 0;
    w.temperature(T);
    w.volume(V);
    w.calculate_state_functions();
}

namespace {

// What the flow reads of the water at (T, V): the Helmholtz energy's derivatives to the
// third order, as state functions and their derivatives (SI, molar).
struct WaterJet {
    double T, V, P, S, U, Cv, CvT, CvV, PT, PV, PTT, PTV, ATT, ATv, Avv;
};

bool evaluateJet(WaterEOS& w, double T, double V, WaterJet& j) {
    stateFunctionsAt(w, T, V);
    if (w.error) return false;
    // A_TTT is the one third derivative the state functions do not keep; each term gives
    // it from the same evaluation.
    double aTT = 0.0, aTTT = 0.0;
    bool complete = true;
    auto add = [&](Interaction* term) {
        if (term == nullptr) return;
        if (term->root == nullptr) {
            complete = false;
            return;
        }
        aTT += term->table[Deriv::a_TT];
        aTTT += term->thirdTemperatureDerivative();
    };
    for (Interaction* term : w.interaction) add(term);
    add(w.ideal);
    const double R = w.gasConstant, ATTT = 3.0 * R * aTT + R * T * aTTT;
    j = {T,      V,           w.P,      w.S,      w.U,     w.Cv,  -w.ATT - T * ATTT, -T * w.ATTv,
         w.dPdT, w.dPdV,      -w.ATTv,  -w.ATvv,  w.ATT,   w.ATv, w.Avv};
    return complete && std::isfinite(j.CvT) && std::isfinite(j.CvV) && std::isfinite(j.PTV) &&
           std::isfinite(j.P) && std::isfinite(j.U) && j.Cv > 0.0 && j.PV < 0.0 && j.PT != 0.0;
}

// Everything the step rules read of a point: where two points have equal regimes, the
// steps between them follow the same rules (a step's size follows the rules at the point
// before it, hence equal sizes on both sides of a jump).
struct PathRegime {
    bool inP = false, belowCritical = false, vapourSide = false, outside = false;
    bool aboveEnd = false, inRange = false;
    double sizeT = 0.0, sizeP = 0.0;
    int magma = 0;
    bool operator==(const PathRegime&) const = default;
};

PathRegime regimeOf(const WaterJet& j, const MagmaSide& magma, const PathLimits& limits) {
    PathRegime r;
    r.inP = isentropeSlope(j.ATT, j.ATv, j.Avv) > kSteepIsentrope;
    r.sizeT = temperatureStep(j.T);
    r.sizeP = pressureStep(j.P);
    r.belowCritical = j.T < kWaterCriticalTemperature;
    if (r.belowCritical) {
        double Psat = 0.0;
        r.outside = outsideTwoPhase(j.T, j.P, j.S, Psat, r.vapourSide);
    }
    r.aboveEnd = j.P > limits.Pend;
    r.inRange = j.T > limits.Tlow && j.T < limits.Thigh;
    r.magma = magma.range(j.T);
    return r;
}

// The same rules as margins that change sign where a rule changes: a crossing is placed by
// interpolating them, not by halving the step.
constexpr int kMargins = 16;
using Margins = std::array<double, kMargins>;

Margins marginsOf(const WaterJet& j, const MagmaSide& magma, const PathLimits& limits) {
    const double T = j.T, P = j.P;
    const double Psat =
        WaterEOS::saturationPressureWagnerPruss(std::min(T, kWaterCriticalTemperature - 1e-6));
    return {isentropeSlope(j.ATT, j.ATv, j.Avv) - kSteepIsentrope,
            T - 2000.0,
            T - 1000.0,
            T - 650.0,
            P - 1e9,
            P - 1e8,
            P - 2e7,
            P - 1e7,
            T - kWaterCriticalTemperature,
            j.S - kVapourSideEntropy,
            P - Psat,
            P - limits.Pend,
            T - limits.Tlow,
            T - limits.Thigh,
            T - magma.Tsol,
            T - magma.Tliq};
}

// The fraction of the way from a to b at which the first margin changes sign (1: none).
double firstCrossing(const Margins& a, const Margins& b) {
    double f = 1.0;
    for (size_t i = 0; i < a.size(); ++i)
        if ((a[i] > 0.0) != (b[i] > 0.0)) f = std::min(f, a[i] / (a[i] - b[i]));
    return f;
}

// Steps until the first margin (or the first-order term's share, against its bound)
// extrapolated from the last Runge-Kutta step of H steps changes sign; infinity when none
// heads for it.
double stepsToNextCrossing(const Margins& a, const Margins& b, double shareA, double shareB,
                           double H);

// d(T, V, W)/dt per step (t counts steps) for steps of h (K, or Pa in P) taken
// isentropically and then balanced with the magma at the water's new volume, and the
// first-order term's share of the flow. a is the isentrope's direction per unit of h,
// r the share of a step's cooling the magma gives back; the first-order terms are those of
// the map x -> B(A(x)) to h^2 (A the isentropic step, B the balance with the magma at the
// temperature before the step) minus half the flow's own second derivative.
struct Flow {
    std::array<double, 3> rate;
    double share;
};

Flow flowPerStep(const WaterJet& j, bool inP, double h, const MagmaSide& magma) {
    const double T = j.T, CvT = j.Cv / T, dCvT = j.CvT / T - j.Cv / (T * T);
    double aT = -1.0, aV = 0.0, dTaT = 0.0, dTaV = 0.0;
    if (inP) {
        const double D = j.PT * j.PT - j.PV * CvT;
        const double dTD = 2.0 * j.PT * j.PTT - j.PTV * CvT - j.PV * dCvT;
        aT = -j.PT / D;
        aV = CvT / D;
        dTaT = -j.PTT / D + j.PT * dTD / (D * D);
        dTaV = dCvT / D - CvT * dTD / (D * D);
    } else {
        aV = CvT / j.PT;
        dTaV = aV * (j.CvT / j.Cv - 1.0 / T - j.PTT / j.PT);
    }
    const double cm = magma.mu * magma.capacity(T), c = j.Cv + cm, r = cm / c;
    const double rT = -r * j.CvT / c, rV = -r * j.CvV / c, s = -0.5 * j.CvT * r * r / c;
    const double Dra = rT * aT + rV * aV;
    const double lead[3] = {aT * (1.0 - r), aV, -j.P * aV};
    const double first[3] = {
        h * (aT * aT * s + 0.5 * r * (1.0 - r) * aT * dTaT - 0.5 * aT * Dra - 0.5 * r * aT * aT * rT),
        0.5 * h * r * aT * dTaV, -0.5 * h * r * aT * (j.PT * aV + j.P * dTaV)};
    Flow f{};
    f.share = 0.0;
    for (int i = 0; i < 3; ++i) {
        f.rate[static_cast<size_t>(i)] = h * (lead[i] + first[i]);
        f.share = std::max(f.share, std::fabs(first[i] / lead[i]));
    }
    if (!std::isfinite(f.share)) f.share = 1.0;
    return f;
}

// Dormand-Prince 5(4): nodes, stages and the weights of the error estimate.
constexpr double kDPc[7] = {0.0, 1.0 / 5, 3.0 / 10, 4.0 / 5, 8.0 / 9, 1.0, 1.0};
constexpr double kDPa[7][6] = {
    {},
    {1.0 / 5},
    {3.0 / 40, 9.0 / 40},
    {44.0 / 45, -56.0 / 15, 32.0 / 9},
    {19372.0 / 6561, -25360.0 / 2187, 64448.0 / 6561, -212.0 / 729},
    {9017.0 / 3168, -355.0 / 33, 46732.0 / 5247, 49.0 / 176, -5103.0 / 18656},
    {35.0 / 384, 0.0, 500.0 / 1113, 125.0 / 192, -2187.0 / 6784, 11.0 / 84}};
constexpr double kDPe[7] = {71.0 / 57600,      0.0,        -71.0 / 16695, 71.0 / 1920,
                            -17253.0 / 339200, 22.0 / 525, -1.0 / 40};

// Local error allowed per Runge-Kutta step, relative: of T and of the energy the work is
// taken from, and of V (whose error moves the path's figures far less). The terms the flow
// leaves out (of the first-order term's square) stay about as small where that term is at
// most kLargestShare of the flow; beyond it (near the critical point, large steps where
// the water changes fast) the steps are taken one by one.
constexpr double kTolerance = 1e-9;
constexpr double kVolumeTolerance = 1e-8;
constexpr double kLargestShare = 1e-3;
// Whole steps a jump must cover to be worth its evaluations.
constexpr double kShortestJump = 4.0;
constexpr int kMaxTries = 400;

double stepsToNextCrossing(const Margins& a, const Margins& b, double shareA, double shareB,
                           double H) {
    double ahead = std::numeric_limits<double>::infinity();
    auto towards = [&](double from, double to) {
        // Linear from `from` (H steps back) to `to` (now): where it reaches zero.
        if (to == 0.0 || (from > 0.0) != (to > 0.0) || std::fabs(to) >= std::fabs(from)) return;
        ahead = std::min(ahead, H * to / (from - to));
    };
    for (size_t i = 0; i < a.size(); ++i) towards(a[i], b[i]);
    towards(shareA - kLargestShare, shareB - kLargestShare);
    return ahead;
}

}  // namespace

int jumpAlongPath(WaterEOS& w, bool inP, double h, const MagmaSide& magma,
                  const PathLimits& limits, int maxSteps, PathJump& jump, double& W) {
    jump.stepsToCrossing = 0;
    const double T0 = w.T, V0 = w.V;
    const double hh = std::fabs(h) * (inP ? 1e5 : 1.0);
    WaterJet j0{};
    Flow start{};
    if (!evaluateJet(w, T0, V0, j0) ||
        (start = flowPerStep(j0, inP, hh, magma)).share > kLargestShare) {
        stateFunctionsAt(w, T0, V0);
        return 0;
    }
    const PathRegime regime = regimeOf(j0, magma, limits);
    const Margins margins0 = marginsOf(j0, magma, limits);
    Margins marginsStart = margins0;
    std::array<double, 3> y{T0, V0, W};
    std::array<std::array<double, 3>, 7> k{};
    std::array<double, 7> share{};
    k[0] = start.rate;
    share[0] = start.share;
    double H = jump.H, Hnext = std::max(H, 2.0 * kShortestJump);
    double crossingAt = std::numeric_limits<double>::infinity();  // steps from the start
    int covered = 0;
    WaterJet end = j0;
    for (int tries = 0; tries < kMaxTries && covered < maxSteps; ++tries) {
        H = std::min({std::floor(H), static_cast<double>(maxSteps - covered),
                      std::floor(crossingAt - covered)});
        if (H < kShortestJump) break;
        // The stages, each a point of the same regime; where one is not, the crossing is
        // placed between the start and it.
        double crossing = 1.0;
        bool same = true;
        std::array<double, 3> ys{};
        for (size_t s = 1; s < 7 && same; ++s) {
            for (size_t i = 0; i < 3; ++i) {
                double sum = 0.0;
                for (size_t m = 0; m < s; ++m) sum += kDPa[s][m] * k[m][i];
                ys[i] = y[i] + H * sum;
            }
            WaterJet js{};
            if (!evaluateJet(w, ys[0], ys[1], js)) {
                same = false;
                crossing = 0.5 * kDPc[s];
            } else if (!(regimeOf(js, magma, limits) == regime)) {
                same = false;
                crossing = kDPc[s] * firstCrossing(margins0, marginsOf(js, magma, limits));
            } else {
                const Flow f = flowPerStep(js, inP, hh, magma);
                k[s] = f.rate;
                share[s] = f.share;
                end = js;
                if (f.share > kLargestShare) {
                    same = false;
                    crossing = kDPc[s] * (kLargestShare - share[0]) / (f.share - share[0]);
                }
            }
        }
        if (!same) {
            // Short of the crossing, so that the next try lands before it.
            crossingAt = std::min(crossingAt, covered + 0.98 * crossing * H);
            H = std::floor(0.98 * crossing * H);
            continue;
        }
        double err = 0.0;
        const double scale[3] = {kTolerance * y[0], kVolumeTolerance * y[1],
                                 kTolerance * (std::fabs(j0.U) + 1e3)};
        for (size_t i = 0; i < 3; ++i) {
            double e = 0.0;
            for (size_t s = 0; s < 7; ++s) e += kDPe[s] * k[s][i];
            err = std::max(err, std::fabs(H * e) / scale[i]);
        }
        const double grow = err > 0.0 ? 0.9 * std::pow(err, -0.2) : 5.0;
        if (!(err <= 1.0)) {
            H = std::floor(H * std::max(0.2, std::min(grow, 0.9)));
            continue;
        }
        y = ys;
        covered += static_cast<int>(H);
        const Margins marginsEnd = marginsOf(end, magma, limits);
        const double ahead = stepsToNextCrossing(marginsStart, marginsEnd, share[0], share[6], H);
        j0 = end;
        k[0] = k[6];
        share[0] = share[6];
        marginsStart = marginsEnd;
        H = std::floor(H * std::min(grow, 5.0));
        Hnext = H;
        // A rule change foreseen within reach: the next try ends short of it, or, closer
        // than a jump is worth, the jump ends here.
        if (ahead < kShortestJump)
            crossingAt = std::min(crossingAt, covered + ahead);
        else
            H = std::min(H, std::floor(0.98 * ahead));
    }
    // The next jump starts with the step the error allows, not one cut short by a crossing.
    jump.H = std::max(Hnext, 2.0 * kShortestJump);
    if (std::isfinite(crossingAt))
        jump.stepsToCrossing = static_cast<int>(std::ceil(crossingAt - covered));
    if (covered == 0) {
        stateFunctionsAt(w, T0, V0);
        return 0;
    }
    W = y[2];
    stateFunctionsAt(w, y[0], y[1]);
    return w.error ? 0 : covered;
}

}  // namespace vornex

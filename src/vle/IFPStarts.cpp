// Starts of the rigorous solver beyond Raoult's law: successive substitution on the models'
// equilibrium ratios, and a binary's retry from its saturation point at the specified
// temperature.
#include <algorithm>
#include <cmath>
#include <vector>

#include "vle/IFP.h"

namespace vornex {

namespace {

// Summed mole-fraction gap and relative molar-volume gap below which two phases are one.
constexpr double kMergedPhases = 0.01;
// Mole fractions of two phases this close, their volumes merged too, are at a critical point.
constexpr double kNearCritical = 1e-3;
// Shortest step, K, of the path from a colder saturation point up to the temperature given.
constexpr double kSmallestWarming = 1.0 / 64.0;
// Tries of the path up to the temperature given: it climbs at most some 30 K.
constexpr int kWarmingTries = 1000;

// Halvings of the Raoult start's pressure tried for a bubble point it does not reach, and
// the substitution steps from each.
constexpr int kPressureHalvings = 5;
constexpr int kLowerPressureSubstitutions = 30;

// Vapour fraction in (0, 1) of sum z_i (K_i - 1) / (1 + Fv (K_i - 1)) = 0 by bisection; false
// when the ratios leave the feed in one phase.
bool vapourFraction(const std::vector<double>& z, const std::vector<double>& K, double& Fv) {
    auto g = [&](double F) {
        double s = 0.0;
        for (std::size_t i = 0; i < z.size(); ++i) s += z[i] * (K[i] - 1.0) / (1.0 + F * (K[i] - 1.0));
        return s;
    };
    if (!(g(0.0) > 0.0) || !(g(1.0) < 0.0)) return false;
    double a = 0.0, b = 1.0;
    for (int k = 0; k < 100; ++k) {
        const double c = 0.5 * (a + b);
        (g(c) > 0.0 ? a : b) = c;
    }
    Fv = 0.5 * (a + b);
    return true;
}

bool isFraction(double v) {
    return std::isfinite(v) && v >= 0.0 && v <= 1.0;
}

}  // namespace

void IFP::substituteRatios(int steps) {
    const bool flash = type == 12 || type == 21;
    const bool atFv = type == 13 || type == 31;
    if (!firstPhase || !secondPhase || n < 2 || liquidLiquid != 0 || !(flash || atFv)) return;
    const VLECurrentState start = current;
    VLECurrentState sound = current;
    const auto un = static_cast<std::size_t>(n);
    std::vector<double> K(un, 1.0), previous(un, 0.0);
    for (int step = 0; step < steps; ++step) {
        if (!(current.P > 0.0) || !(current.T > 0.0)) break;
        correctPhaseKinds();
        apply_conditions();
        if (!describePhases()) break;
        double change = 0.0, spread = 0.0;
        bool finite = true;
        for (std::size_t i = 0; i < un; ++i) {
            const double lnK = firstPhase->lnPhi[i] - secondPhase->lnPhi[i];
            finite = finite && std::isfinite(lnK);
            change = std::max(change, std::fabs(lnK - previous[i]));
            spread = std::max(spread, std::fabs(lnK));
            previous[i] = lnK;
            K[i] = std::exp(lnK);
        }
        // Ratios near 1 mean both models found the same phase: the start is lost, and
        // Raoult's law serves better.
        if (!finite || spread < 1e-4) {
            current = spread < 1e-4 ? start : sound;
            return;
        }
        sound = current;
        VLECurrentState next = current;
        double Fv = N != 0.0 ? std::clamp(spec.nV / N, 0.0, 1.0) : 0.0;
        if (flash && !vapourFraction(z, K, Fv)) break;
        double sx = 0.0, sy = 0.0;
        for (std::size_t i = 0; i < un; ++i) {
            next.x[i] = z[i] / (1.0 + Fv * (K[i] - 1.0));
            next.y[i] = K[i] * next.x[i];
            sx += next.x[i];
            sy += next.y[i];
        }
        bool good = sx > 0.0 && sy > 0.0 && std::isfinite(sx) && std::isfinite(sy);
        for (std::size_t i = 0; good && i < un; ++i) {
            next.x[i] /= sx;
            next.y[i] /= sy;
            good = isFraction(next.x[i]) && isFraction(next.y[i]);
        }
        if (flash) {
            next.nV = Fv * N;
            next.nL = N - next.nV;
        } else {
            // At fixed T the pressure moves so that both phases close to unity.
            next.P = current.P * sy / sx;
            good = good && std::isfinite(next.P) && next.P > 0.0;
        }
        if (!good) break;
        current = next;
        if (change < 1e-10) return;
    }
    current = sound;
}

bool IFP::solveFromColderSaturation() {
    if (!(type == 13 || type == 31) || !(spec.T > 0.0)) return false;
    const double target = spec.T;
    // A failure leaves the state where it was, at the temperature given.
    const VLECurrentState before = current;
    bool found = false;
    for (int k = 1; k <= 6 && !found; ++k) {
        spec.T = target - 5.0 * k;
        status = 0;
        startBy(2);
        if (status != 0) continue;
        loadStartVector();
        found = runSolver() && phasesInOrder();
        if (!found && startFromBinarySaturation()) {
            loadStartVector();
            found = runSolver() && phasesInOrder();
        }
    }
    // Each point starts the next, 1 K warmer, the step halved from the last point where one
    // fails.
    if (found)
        found = followPath(
            spec.T, target, {1.0, 1.0, kSmallestWarming, kWarmingTries},
            [&](double T) { spec.T = current.T = T; },
            [&] { return runSolver() && phasesInOrder(); });
    spec.T = target;
    status = 0;
    if (!found) current = before;
    return found;
}

bool IFP::solveFromLowerPressures(const VLECurrentState& start) {
    const bool bubble = type == 13 && N != 0.0 && spec.nV / N == 0.0;
    if (!bubble || !(start.P > 0.0)) return false;
    // At that pressure the feed is one dense phase, and the vapour model's root is a liquid
    // one: the solver settles on no point, or on two liquids with their volumes swapped.
    for (int k = 1; k <= kPressureHalvings; ++k) {
        current = start;
        current.P = start.P * std::ldexp(1.0, -k);
        status = 0;
        substituteRatios(kLowerPressureSubstitutions);
        loadStartVector();
        if (runSolver() && phasesInOrder()) return true;
    }
    current = start;
    return false;
}

bool IFP::startFromBinarySaturation() {
    if (n != 2 || liquidLiquid != 0 || !firstPhase || !secondPhase) return false;
    const bool flash = type == 12 || type == 21;
    const bool atFv = type == 13 || type == 31;
    if (!(flash || atFv) || !(spec.T > 0.0)) return false;
    FluidPhase& f = *firstPhase;
    if (f.nc != 2) return false;
    const bool dew = atFv && N != 0.0 && spec.nV / N >= 0.5;
    // The vapour guess: the vapour model's volume where it is vapour-like, else half the
    // ideal gas's at the current pressure.
    const double P0 = current.P > 0.0 ? current.P : spec.P;
    if (!(P0 > 0.0)) return false;
    const double idealGas = kGasConstant * spec.T / P0;
    double Vv = secondPhase->V > 0.25 * idealGas ? secondPhase->V : 0.5 * idealGas;
    const double x1 = isFraction(current.x[1]) ? current.x[1] : z[1];
    const double y1 = isFraction(current.y[1]) ? current.y[1] : z[1];
    // The liquid guess must be a liquid: the liquid model's own volume where it is clearly
    // the denser phase, then its volume under two, four and eight times the pressure. The
    // saturation solve is tried from each in turn.
    auto liquidVolumeAt = [&](double P) {
        f.set_the_phase_as(2);
        f.composition(dew ? 1.0 - x1 : 1.0 - z[1], dew ? x1 : z[1]);
        f.temperature(spec.T);
        f.pressure(P / 1e5);
        f.error = 0;
        f.calculate_molar_volume();
        return f.error == 0 && std::isfinite(f.V) ? f.V : 0.0;
    };
    const double own = firstPhase->V;
    bool solved = false;
    for (int k = 0; k <= 3 && !solved; ++k) {
        const double Vl = k == 0 ? own : liquidVolumeAt(P0 * std::pow(2.0, k));
        if (!(Vl > 0.0 && Vl < 0.5 * Vv)) continue;
        if (dew)
            f.calculate_dew_point(spec.T, Vl, Vv, x1, z[1]);
        else
            f.calculate_bubble_point(spec.T, Vl, Vv, z[1], y1);
        solved = f.error == 0;
    }
    if (!solved) return false;
    double xs = f.xLiquid[1], ys = f.yVapour[1], P = f.P;
    double Vl = f.Vl;
    Vv = f.Vv;
    double nV = N != 0.0 ? std::clamp(spec.nV, 0.0, N) : 0.0;
    if (flash) {
        f.calculate_flash_point(spec.T, spec.P, Vl, Vv, xs, ys);
        if (f.error != 0) return false;
        xs = f.xLiquid[1];
        ys = f.yVapour[1];
        Vl = f.Vl;
        Vv = f.Vv;
        P = spec.P;
        // Lever rule: a feed outside the tie line has no two phases at this T and P.
        if (!(std::fabs(ys - xs) > 1e-12)) return false;
        const double Fv = (z[1] - xs) / (ys - xs);
        if (!(Fv > 0.0 && Fv < 1.0)) return false;
        nV = Fv * N;
    }
    if (!isFraction(xs) || !isFraction(ys) || !(P > 0.0)) return false;
    current.T = spec.T;
    current.P = P;
    current.x = {1.0 - xs, xs};
    current.y = {1.0 - ys, ys};
    current.nV = nV;
    current.nL = N - nV;
    firstPhase->Vl0 = Vl;
    secondPhase->Vv0 = Vv;
    return true;
}

unsigned IFP::densityOrders(unsigned* known) const {
    const double Vl = firstPhase->V, Vv = secondPhase->V;
    unsigned orders = Vl < Vv ? kDenserByMolarVolume : 0u;
    if (known) *known = kDenserByMolarVolume;
    // M / V of each phase, compared as Ml Vv > Mv Vl (both volumes positive); a model that
    // gives no molar masses has no such order.
    double Ml = 0.0, Mv = 0.0;
    const std::vector<double>& molar = firstPhase->molarMass;
    for (int i = 0; i < n && static_cast<std::size_t>(i) < molar.size(); ++i) {
        Ml += current.x[i] * molar[static_cast<std::size_t>(i)];
        Mv += current.y[i] * molar[static_cast<std::size_t>(i)];
    }
    if (!(Ml > 0.0 && Mv > 0.0 && Vl > 0.0 && Vv > 0.0)) return orders;
    if (known) *known |= kDenserByMass;
    if (Ml * Vv > Mv * Vl) orders |= kDenserByMass;
    return orders;
}

bool IFP::liquidIsLessVolatile() const {
    double first = 0.0, second = 0.0;
    for (int i = 0; i < n; ++i) {
        double Tc = 0.0, Pc = 0.0, omega = 0.0, Vc = 0.0;
        if (!firstPhase->componentCriticalConstants(i, Tc, Pc, omega) &&
            !firstPhase->componentCriticalEstimate(i, Tc, Vc))
            return true;
        if (!(Tc > 0.0) || !std::isfinite(Tc)) return true;
        first += current.x[i] * Tc;
        second += current.y[i] * Tc;
    }
    return first >= second;
}

bool IFP::phasesInOrder() const {
    if (liquidLiquid != 0 || !firstPhase || !secondPhase) return true;
    unsigned known = 0;
    const unsigned orders = densityOrders(&known);
    if (tracedOrders_ < 0) {
        if (orders == 0) return false;
        // Where the two senses disagree, a bubble point and the upper dew point of a feed
        // past the critical composition both pass one of them: the liquid is the phase
        // richer in the less volatile components. A flash or a vapour fraction between
        // takes the same phase for its liquid, so that its vapour fraction runs on from the
        // saturation point's 0 or 1 rather than from the other end.
        if (orders == known) return true;
        return liquidIsLessVolatile();
    }
    // The senses in which the answer's order is that of the last point.
    const unsigned kept = ~(orders ^ static_cast<unsigned>(tracedOrders_));
    return (kept & known) != 0;
}

bool IFP::atCriticalPoint() const {
    if (!firstPhase || !secondPhase) return false;
    double gap = 0.0;
    for (int i = 0; i < n; ++i) gap = std::max(gap, std::fabs(current.x[i] - current.y[i]));
    const double Vl = firstPhase->V, Vv = secondPhase->V;
    return gap < kNearCritical &&
           std::fabs(Vv - Vl) < kMergedPhases * std::fmax(std::fabs(Vl), std::fabs(Vv));
}

bool IFP::isTwoPhaseAnswer() const {
    if (!phasesInOrder()) return false;
    if (!firstPhase || !secondPhase) return true;
    // An azeotrope has equal compositions and distinct volumes, a density inversion equal
    // volumes and distinct compositions: only both together make one phase. Near the
    // critical point the fugacities of the trivial solution differ by the square of the
    // composition gap, and within the solver's tolerance it passes for an answer; the margin
    // keeps clear of that and stops a trace a fraction of a kelvin before the critical point.
    double dx = 0.0;
    for (int i = 0; i < n; ++i) dx += std::fabs(current.x[i] - current.y[i]);
    const double Vl = firstPhase->V, Vv = secondPhase->V;
    const bool sameVolume =
        std::fabs(Vv - Vl) < kMergedPhases * std::fmax(std::fabs(Vl), std::fabs(Vv));
    return !(dx < kMergedPhases && sameVolume);
}

bool IFP::followPath(double from, double target, const PathSteps& steps,
                     const std::function<void(double)>& impose,
                     const std::function<bool()>& solve) {
    double at = from, step = steps.first;
    VLECurrentState kept = current;
    for (int attempt = 0; at != target && attempt < steps.tries; ++attempt) {
        const double next =
            at < target ? std::min(target, at + step) : std::max(target, at - step);
        impose(next);
        loadStartVector();
        if (solve()) {
            at = next;
            kept = current;
            step = std::min(steps.largest, 2.0 * step);
        } else {
            current = kept;
            step *= 0.5;
            if (step <= steps.smallest) break;
        }
    }
    current = kept;
    return at == target;
}

}  // namespace vornex

// Whether a converged answer of the rigorous solver is an equilibrium: the common tangent
// plane of its two phases must lie below the Gibbs energy of every trial phase at its T and
// P. Near a mixture's critical point, and beyond it, the solver also settles on the trivial
// solution (the feed twice, to within its tolerance), and a liquid of some mixtures splits
// into two liquids. Both are found here by trial phases, and the saturation point is then
// sought again from the trial phase that lies below the plane.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <utility>
#include <vector>

#include "numerics/Diagnostics.h"
#include "numerics/Decimal.h"
#include "vle/IFP.h"

namespace vornex {

namespace {

// A trial phase this far below the tangent plane (in RT per mole) is a second phase; the
// rounding of a converged answer's fugacities (some 1e-9) is none.
constexpr double kBelowPlane = 1e-7;
// Successive-substitution steps of one trial phase; a trial still falling within
// kNearPlane (RT per mole) of the plane goes on up to kTrialStepsNearPlane steps: near a
// point where a third phase appears its minimum lies just below the plane, reached slowly.
constexpr int kTrialSteps = 40, kTrialStepsNearPlane = 400;
constexpr double kNearPlane = 1e-3, kNearAnswer = 0.01;
// Summed composition gap below which the two phases of an answer are taken for one.
constexpr double kOnePhaseGap = 0.01;
// Starts of trial phases along a binary's composition line.
constexpr int kBinarySteps = 10;
// Trials run from the starts nearest to a valley of the distance beyond those near the pure
// components.
constexpr std::size_t kRankedStarts = 3;
// Successive-substitution steps of the flash that starts a path along tie lines, and the
// steps of vapour fraction along it, failed ones included.
constexpr int kTieLineSubstitutionSteps = 30;
constexpr int kTieLineSteps = 60;
// Saturation points at a temperature that a point at a pressure is sought through.
constexpr int kIsothermalSteps = 40;
// Gap in ln P at which the secant through them has closed in on the pressure given.
constexpr double kIsothermalClose = 1e-5;
// Steps of pressure, failed ones included, from a neighbouring saturation point at a pressure.
constexpr int kPressureSteps = 60;
// Pressures tried above and below a bubble point's start for the boundary of the feed's
// stability (each a factor apart), and the halvings of the last such step.
constexpr int kStabilityRises = 8, kStabilityFalls = 30, kBoundaryHalvings = 6;
constexpr double kStabilityFactor = 0.8;
// Share of a pure component in the starts of mixtures of three or more components near the
// feed.
constexpr double kFallbackShift = 0.3;

// The feed's mole fractions summing to one.
std::vector<double> normalisedFeed(const std::vector<double>& z) {
    std::vector<double> feed(z);
    const double sum = std::accumulate(feed.begin(), feed.end(), 0.0);
    for (double& v : feed) v = sum > 0.0 ? v / sum : 1.0 / double(feed.size());
    return feed;
}

// The feed moved by t towards the pure component `pure`.
std::vector<double> feedTowards(const std::vector<double>& feed, double t, std::size_t pure) {
    std::vector<double> w(feed.size());
    for (std::size_t i = 0; i < feed.size(); ++i) w[i] = (1.0 - t) * feed[i] + (i == pure ? t : 0.0);
    return w;
}

}  // namespace

bool IFP::isSaturationProblem() const {
    const bool fixedFv = type == 13 || type == 31 || type == 23 || type == 32;
    const double Fv = N != 0.0 ? spec.nV / N : -1.0;
    return fixedFv && (Fv == 0.0 || Fv == 1.0);
}

bool IFP::trialLnPhi(FluidPhase& model, const std::vector<double>& w, std::vector<double>& lnPhi) {
    model.temperature(current.T);
    model.pressure(current.P / 100000.0);
    for (int i = 0; i < n; ++i) model.composition_of_component(i, w[static_cast<std::size_t>(i)]);
    model.error = 0;
    model.calculate_molar_volume();
    if (model.error != 0) return false;
    model.calculate_fugacities();
    if (model.error != 0) return false;
    lnPhi.assign(model.lnPhi.begin(), model.lnPhi.begin() + n);
    return std::all_of(lnPhi.begin(), lnPhi.end(), [](double v) { return std::isfinite(v); });
}

IFP::TrialPhase IFP::lowestTrialPhase(std::vector<TrialPhase>* each) {
    TrialPhase lowest;
    if (!firstPhase || !secondPhase || n < 2) return lowest;
    const auto un = static_cast<std::size_t>(n);
    // The tangent plane of the answer: ln f_i / P of its liquid, which its vapour shares.
    std::vector<double> plane(un);
    for (std::size_t i = 0; i < un; ++i) {
        const double xi = current.x[i];
        plane[i] = xi > 0.0 ? std::log(xi) + firstPhase->lnPhi[i] : -1e300;
        if (!std::isfinite(plane[i]) && xi > 0.0) return lowest;
    }
    return trialPhasesBelow(plane, phasesAreOne(), each);
}

std::vector<std::vector<double>> IFP::trialOrigins(bool nearFeed) const {
    const auto un = static_cast<std::size_t>(n);
    // From near each pure component. Where the phases judged are all but one, the region
    // below their plane may be a narrow one about them: trials also start a little way from
    // the feed towards each pure component.
    std::vector<std::vector<double>> origins;
    const std::vector<double> towards = normalisedFeed(z);
    for (double t : nearFeed ? std::vector<double>{0.98, 0.3, 0.1, 0.03}
                             : std::vector<double>{0.98}) {
        for (std::size_t pure = 0; pure < un; ++pure) {
            std::vector<double> o(un);
            if (t == 0.98) {
                for (std::size_t i = 0; i < un; ++i) o[i] = i == pure ? 0.98 : 0.02 / double(un - 1);
            } else {
                o = feedTowards(towards, t, pure);
            }
            origins.push_back(o);
        }
    }
    // A binary's composition line in steps, each a start: a second liquid may lie in a
    // narrow valley between them that no start near a pure component reaches.
    // Near a critical point, of the liquid and vapour or of two liquids, that valley lies
    // close to the feed: starts on either side of it too.
    if (n == 2) {
        for (int k = 1; k < kBinarySteps; ++k) {
            const double w0 = double(k) / kBinarySteps;
            origins.push_back({w0, 1.0 - w0});
        }
        for (double d : {0.001, 0.003, 0.01, 0.03, 0.06})
            for (double sign : {-1.0, 1.0}) {
                const double w0 = towards[0] + sign * d;
                if (w0 > 0.0 && w0 < 1.0) origins.push_back({w0, 1.0 - w0});
            }
    }
    return origins;
}

std::vector<IFP::TrialStart> IFP::fallbackOrigins() {
    const auto un = static_cast<std::size_t>(n);
    const std::vector<double> feed = normalisedFeed(z);
    // Wilson's (or the component's own) vapour pressure over the pressure: K_i. A component
    // without one is neutral.
    std::vector<double> lnK(un, 0.0);
    for (std::size_t i = 0; i < un; ++i) {
        const double Ps = Psat(static_cast<int>(i), current.T);
        if (Ps > 0.0 && std::isfinite(Ps) && current.P > 0.0)
            lnK[i] = std::clamp(std::log(Ps / current.P), -40.0, 40.0);
    }
    std::vector<TrialStart> starts;
    // The incipient vapour (K_i z_i) on the vapour model, the incipient liquid (z_i / K_i)
    // on the liquid model.
    for (FluidPhase* model : {secondPhase, firstPhase}) {
        const double sign = model == secondPhase ? 1.0 : -1.0;
        std::vector<double> w(un);
        double sum = 0.0;
        for (std::size_t i = 0; i < un; ++i) sum += w[i] = feed[i] * std::exp(sign * lnK[i]);
        if (!(sum > 0.0) || !std::isfinite(sum)) continue;
        for (double& v : w) v /= sum;
        starts.push_back({w, model});
    }
    // Near the feed on both models.
    for (std::size_t pure = 0; pure < un; ++pure)
        for (FluidPhase* model : {secondPhase, firstPhase})
            starts.push_back({feedTowards(feed, kFallbackShift, pure), model});
    return starts;
}

IFP::TrialPhase IFP::trialPhasesBelow(const std::vector<double>& plane, bool nearFeed,
                                      std::vector<TrialPhase>* each) {
    TrialPhase lowest;
    lowest.tested = true;
    const auto un = static_cast<std::size_t>(n);
    const std::vector<std::vector<double>> origins = trialOrigins(nearFeed);
    // A binary saturation solve of a start leaves its model on the vapour side.
    correctPhaseKinds();
    FluidPhase* kinds[2] = {secondPhase, firstPhase};
    // A trial phase is a liquid where its volume lies on the liquid's side of the phases
    // judged (whichever model's root it is: a vapour model has only a liquid root at some
    // compositions).
    const double liquidSide = std::sqrt(std::fabs(firstPhase->V * secondPhase->V));
    std::vector<double> lnPhi;
    auto distanceAt = [&](FluidPhase& model, const std::vector<double>& c) {
        if (!trialLnPhi(model, c, lnPhi)) return 1e300;
        double d = 0.0;
        for (std::size_t i = 0; i < un; ++i)
            if (c[i] > 0.0) d += c[i] * (std::log(c[i]) + lnPhi[i] - plane[i]);
        return std::isfinite(d) ? d : 1e300;
    };
    // The lowest point of the trial phase by successive substitution from w0:
    // W_i = exp(d_i - ln phi_i(w)), d_i the plane.
    auto trialFrom = [&](FluidPhase& model, const std::vector<double>& w0) {
        TrialPhase start;
        std::vector<double> w = w0;
        double before = 1e300;
        // A trial on its way to one of the answer's own phases reaches the plane, not below.
        auto nearAnswer = [&](const std::vector<double>& c) {
            if (current.x.size() < un || current.y.size() < un) return false;
            double toX = 0.0, toY = 0.0;
            for (std::size_t i = 0; i < un; ++i) {
                toX = std::max(toX, std::fabs(c[i] - current.x[i]));
                toY = std::max(toY, std::fabs(c[i] - current.y[i]));
            }
            return std::min(toX, toY) < kNearAnswer;
        };
        for (int step = 0; step < kTrialStepsNearPlane; ++step) {
            if (!trialLnPhi(model, w, lnPhi)) break;
            double distance = 0.0, sum = 0.0, change = 0.0;
            std::vector<double> W(un);
            for (std::size_t i = 0; i < un; ++i) {
                if (w[i] > 0.0) distance += w[i] * (std::log(w[i]) + lnPhi[i] - plane[i]);
                W[i] = std::exp(plane[i] - lnPhi[i]);
                sum += W[i];
            }
            if (!std::isfinite(distance) || !(sum > 0.0) || !std::isfinite(sum)) break;
            if (step >= kTrialSteps &&
                !(distance < before && distance < kNearPlane && !nearAnswer(w)))
                break;
            before = distance;
            if (distance < start.distance) {
                start.tested = true;
                start.distance = distance;
                start.w = w;
                start.liquid = &model == firstPhase || model.V < liquidSide;
                start.V = model.V;
            }
            for (std::size_t i = 0; i < un; ++i) {
                const double next = W[i] / sum;
                change = std::max(change, std::fabs(next - w[i]));
                w[i] = next;
            }
            if (change < 1e-10) break;
        }
        return start;
    };
    for (FluidPhase* model : kinds) {
        if (model == secondPhase && liquidLiquid != 0) continue;
        // Trials run from the starts near each pure component, and from the lowest two of
        // the others: a start's own distance tells where a valley lies.
        std::vector<std::pair<double, std::size_t>> ranked;
        for (std::size_t k = un; k < origins.size(); ++k)
            ranked.push_back({distanceAt(*model, origins[k]), k});
        std::sort(ranked.begin(), ranked.end());
        std::vector<std::size_t> chosen;
        for (std::size_t k = 0; k < un && k < origins.size(); ++k) chosen.push_back(k);
        for (std::size_t r = 0; r < ranked.size() && r < kRankedStarts; ++r)
            chosen.push_back(ranked[r].second);
        for (std::size_t k : chosen) {
            const TrialPhase start = trialFrom(*model, origins[k]);
            if (start.distance < lowest.distance) lowest = start;
            if (each && start.tested) each->push_back(start);
        }
    }
    // A mixture of three or more components may hold a second phase in a basin that none of
    // those starts reaches (a liquid rich in a light component just above its critical
    // temperature): where they found none below the plane, trials also start from Wilson's
    // estimates of the feed's incipient vapour and liquid, and from the feed moved a little
    // towards each pure component.
    if (n >= 3 && !(lowest.distance < -kBelowPlane)) {
        for (const TrialStart& o : fallbackOrigins()) {
            if (o.model == secondPhase && liquidLiquid != 0) continue;
            const TrialPhase start = trialFrom(*o.model, o.w);
            if (start.distance < lowest.distance) lowest = start;
            if (each && start.tested) each->push_back(start);
        }
    }
    // The phases hold the answer again, for whatever reads or differentiates them.
    apply_conditions();
    describePhases();
    return lowest;
}

bool IFP::dewBetweenLiquids() {
    // A dew point is where the feed's vapour meets its first drop of liquid. A feed that is
    // itself a liquid there (below its own critical temperature, on the liquid's side of its
    // critical volume) meets a second liquid: that boundary is no dew point.
    if (liquidLiquid != 0 || !secondPhase || !(N > 0.0) || spec.nV / N != 1.0) return false;
    const double Tc = secondPhase->namingCriticalTemperature();
    const double Vc = secondPhase->namingCriticalVolume();
    if (!(Tc > 0.0 && Vc > 0.0 && current.T < Tc && secondPhase->V < Vc)) return false;
    // The first such boundary met is the reason of a refusal, should no dew point be found.
    if (secondLiquid_.empty()) {
        char text[300];
        vornex::csnprintf(text, sizeof text,
                      "no dew point: the boundary found at %g bar is that of a second liquid "
                      "(%g K: the feed a liquid of %.4g cm3/mol below its critical point, the "
                      "incipient phase %.4g cm3/mol)",
                      current.P / 1e5, current.T, secondPhase->V * 1e6, firstPhase->V * 1e6);
        secondLiquid_ = text;
    }
    return true;
}

bool IFP::phasesAreOne() const {
    double gap = 0.0;
    for (int i = 0; i < n; ++i) gap += std::fabs(current.x[i] - current.y[i]);
    // Near a pure end the compositions of two true phases differ little; their volumes do.
    const double Vl = firstPhase ? firstPhase->V : 0.0, Vv = secondPhase ? secondPhase->V : 0.0;
    const bool sameVolume = std::fabs(Vv - Vl) < kOnePhaseGap * std::max(std::fabs(Vl), std::fabs(Vv));
    return gap < kOnePhaseGap && sameVolume;
}

bool IFP::isStableAnswer(TrialPhase& below, std::vector<TrialPhase>* each) {
    below = lowestTrialPhase(each);
    return !below.tested || !(below.distance < -kBelowPlane);
}

bool IFP::solveFromTrialPhase(const TrialPhase& below) {
    const double Fv = N != 0.0 ? spec.nV / N : 0.0;
    // The feed is one phase of a saturation point, the trial phase below the plane the start
    // of the other: far from the feed, where the solver does not fall back onto it.
    if (Fv == 0.0) {
        current.x = z;
        current.y = below.w;
        secondPhase->Vv0 = below.V;
    } else {
        current.x = below.w;
        current.y = z;
        firstPhase->Vl0 = below.V;
    }
    loadStartVector();
    return runSolver() && phasesInOrder() && !phasesAreOne();
}

bool IFP::solveAlongTieLines(const TrialPhase& below) {
    const short problem = type;
    const VLEImposedValues imposed = spec;
    const double target = N != 0.0 ? spec.nV / N : 0.0;
    const double feedV = target == 0.0 ? firstPhase->V : secondPhase->V;
    bool solved = false;
    auto sound = [&] { return runSolver() && phasesInOrder() && !phasesAreOne(); };
    // The flash of the feed at the answer's T and P, from the trial phase and the feed as
    // its two sides.
    set_type_of_problem(12);
    spec.T = current.T;
    spec.P = current.P;
    const bool trialIsLiquid = below.V < feedV;
    current.x = trialIsLiquid ? below.w : z;
    current.y = trialIsLiquid ? z : below.w;
    current.nV = current.nL = 0.5 * N;
    substituteRatios(kTieLineSubstitutionSteps);
    loadStartVector();
    if (sound() && current.nV > 0.0 && current.nV < N) {
        // Then the problem itself, its vapour fraction moved from the flash's to the bubble
        // (0) or dew (1) point in steps halved where one fails.
        set_type_of_problem(problem);
        spec = imposed;
        double Fv = current.nV / N;
        double step = 0.1;
        VLECurrentState kept = current;
        for (int attempt = 0; attempt < kTieLineSteps && !solved; ++attempt) {
            const double next = target > Fv ? std::min(target, Fv + step) : std::max(target, Fv - step);
            spec.nV = next * N;
            current.nV = next * N;
            current.nL = N - current.nV;
            loadStartVector();
            if (sound()) {
                Fv = next;
                kept = current;
                solved = Fv == target;
            } else {
                current = kept;
                step *= 0.5;
                if (step < 1e-4) break;
            }
        }
    }
    set_type_of_problem(problem);
    spec = imposed;
    return solved;
}

void IFP::judgeAnswer() {
    refusal.clear();
    if (!isSaturationProblem() || !firstPhase || !secondPhase) return;
    // A solve that failed ends at an iterate, often the feed twice inside the two-phase
    // region: its trial phases too are starts of the true point.
    const bool converged = status == 0;
    auto noConvergence = [&](const char* why) {
        char text[200];
        vornex::csnprintf(text, sizeof text, "no saturation point: %s (last iterate %g K, %g bar)",
                      why, current.T, current.P / 1e5);
        refusal = text;
    };
    // A tracer's failed step is its own to retry from its last point with a shorter step; a
    // solve from a fresh start has no point before it.
    if (!converged && !raoultStart_) {
        noConvergence("the solve did not converge from the start given");
        return;
    }
    bool described = converged;
    if (!converged) {
        apply_conditions();
        described = current.T > 0.0 && current.P > 0.0 && describePhases();
    }
    TrialPhase below;
    std::vector<TrialPhase> starts;
    bool liquids = false;
    secondLiquid_.clear();
    if (described && isStableAnswer(below, &starts)) {
        liquids = converged && dewBetweenLiquids();
        if (converged && !liquids) return;
        starts.clear();
    }
    const bool one = described && phasesAreOne();
    // Two phases in equilibrium, but the liquid itself splits into two liquids: a metastable
    // saturation point, not the stable one.
    if (converged && !liquids && !one && below.liquid && liquidLiquid == 0) {
        callMetastable(below);
        return;
    }
    // The searches below move the trial and last points, which a tracer steps from.
    const VLEPoint trial0 = trial, last0 = last;
    if (recoverFrom(starts)) return;
    trial = trial0;
    last = last0;
    status = 1;
    if (!secondLiquid_.empty()) {
        refusal = secondLiquid_;
    } else if (below.distance < -kBelowPlane && !converged) {
        // The plane of an iterate is its liquid's alone: its vapour's fugacities differ, so
        // a trial phase below it says nothing of whether the feed splits.
        char text[300];
        vornex::csnprintf(text, sizeof text,
                      "no saturation point: the solve did not converge (last iterate %g K, %g "
                      "bar, where a trial phase lies %.3g RT below the tangent plane of its "
                      "liquid), nor one from that trial phase or the neighbouring points",
                      current.T, current.P / 1e5, -below.distance);
        refusal = text;
    } else if (below.distance < -kBelowPlane) {
        char text[240];
        vornex::csnprintf(text, sizeof text,
                      "no equilibrium: %s at %g K and %g bar, where a trial phase lies %.3g RT "
                      "below the tangent plane of the answer, and no saturation point was "
                      "found from it",
                      one ? "the two phases found are one" : "the feed splits", current.T,
                      current.P / 1e5, -below.distance);
        refusal = text;
    } else {
        noConvergence("the solve did not converge, nor one from the neighbouring points");
    }
    diagnostic("%s\n", refusal.c_str());
}

bool IFP::recoverFrom(std::vector<TrialPhase>& starts) {
    const VLECurrentState answer = current;
    auto restore = [&] {
        current = answer;
        apply_conditions();
        describePhases();
    };
    // The trial phases below the plane on the side of the incipient phase (lighter than the
    // feed for a bubble point, denser for a dew point) first, each the lower the sooner.
    const bool bubble = N != 0.0 && spec.nV / N == 0.0;
    const double feedV = bubble ? firstPhase->V : secondPhase->V;
    std::stable_sort(starts.begin(), starts.end(), [&](const TrialPhase& a, const TrialPhase& b) {
        const bool sideA = bubble ? a.V > feedV : a.V < feedV;
        const bool sideB = bubble ? b.V > feedV : b.V < feedV;
        if (sideA != sideB) return sideA;
        return a.distance < b.distance;
    });
    // A two-phase answer found is the stable point, or a metastable one whose liquid splits.
    auto accepted = [&] {
        TrialPhase again;
        if (dewBetweenLiquids()) return false;
        if (isStableAnswer(again)) {
            // The searches' own refusals on the way are none of this answer's.
            status = 0;
            refusal.clear();
            return true;
        }
        if (!again.liquid || liquidLiquid != 0) return false;
        callMetastable(again);
        return true;
    };
    for (const TrialPhase& start : starts) {
        if (!(start.distance < -kBelowPlane)) continue;
        if (solveFromTrialPhase(start) && accepted()) return true;
        restore();
        if (solveAlongTieLines(start) && accepted()) return true;
        restore();
    }
    // Else from the neighbouring solutions: at a temperature, colder points followed up to
    // it (where the failed solve has not tried them already); at a pressure, the points at
    // temperatures whose saturation pressure closes in on it.
    const bool colder = (type == 13 || type == 31) && !(status != 0 && raoultStart_);
    if (colder && solveFromColderSaturation() && phasesInOrder() && !phasesAreOne() &&
        accepted())
        return true;
    restore();
    if ((type == 23 || type == 32) && solveThroughIsothermalPoints() && accepted()) return true;
    restore();
    if ((type == 23 || type == 32) && solveFromNeighbouringPressures() && accepted()) return true;
    restore();
    return false;
}

bool IFP::solveFromNeighbouringPressures() {
    if (!(type == 23 || type == 32) || !(spec.P > 0.0)) return false;
    const VLEImposedValues imposed = spec;
    const double target = imposed.P;
    auto sound = [&] { return runSolver() && phasesInOrder() && !phasesAreOne(); };
    // Each point starts the next, the step of pressure halved where one fails; true when
    // the path reaches the pressure given.
    auto follow = [&] {
        return followPath(
            spec.P, target, {0.01 * target, 0.02 * target, 1e-6 * target, kPressureSteps},
            [&](double P) { spec.P = current.P = P; }, sound);
    };
    // From 3 % below, 3 % above, 6 % below, ...: a point on the upper branch of a retrograde
    // dew curve may be reached from one side only, and a path from the other may end on
    // another branch. The first path to end stable is the answer; else the first to end.
    bool reached = false;
    VLECurrentState first;
    for (int k = 1; k <= 12; ++k) {
        const double shift = 0.03 * ((k + 1) / 2) * (k % 2 == 1 ? -1.0 : 1.0);
        spec = imposed;
        spec.P = target * (1.0 + shift);
        status = 0;
        startBy(2);
        if (status != 0) continue;
        loadStartVector();
        if (!sound() || !follow()) continue;
        spec = imposed;
        apply_conditions();
        describePhases();
        TrialPhase below;
        if (!dewBetweenLiquids() && isStableAnswer(below)) {
            status = 0;
            return true;
        }
        if (!reached) first = current;
        reached = true;
    }
    spec = imposed;
    status = 0;
    if (reached) {
        current = first;
        apply_conditions();
        describePhases();
    }
    return reached;
}

bool IFP::solveThroughIsothermalPoints() {
    const short problem = type;
    const VLEImposedValues imposed = spec;
    const int16_t mode = estimationMode;
    const short atT = problem == 23 ? 13 : 31;
    const double target = std::log(imposed.P);
    estimationMode = 0;
    // ln P(T) - ln P_spec at the saturation point at T, each from the one before.
    bool first = true;
    auto offset = [&](double T, double& f) {
        set_type_of_problem(atT);
        spec = imposed;
        spec.T = T;
        calculateVLE(static_cast<short>(first ? 2 : 0));
        if (status != 0 || !(current.P > 0.0)) return false;
        first = false;
        f = std::log(current.P) - target;
        return true;
    };
    double Ta = startT_ > 0.0 && std::isfinite(startT_) ? startT_ : 0.0, fa = 0.0;
    bool solved = Ta > 0.0 && offset(Ta, fa);
    for (double shift : {-10.0, 10.0, -25.0, 25.0})
        if (!solved && Ta + shift > 0.0) {
            solved = offset(Ta + shift, fa);
            if (solved) Ta += shift;
        }
    VLECurrentState kept = current;
    double step = fa < 0.0 ? 5.0 : -5.0;  // saturation pressures rise with temperature
    double Tb = Ta, fb = fa;
    // Each point at a temperature carries its solver's tolerance, some 1e-8 in ln P: the
    // secant stops well above that, and the problem itself is solved from its last point.
    for (int k = 0; solved && k < kIsothermalSteps && std::fabs(fb) > kIsothermalClose; ++k) {
        double T = Tb + step;
        if (Tb != Ta && fb != fa) {
            const double secant = Tb - fb * (Tb - Ta) / (fb - fa);
            T = Tb + std::clamp(secant - Tb, -std::fabs(step), std::fabs(step));
        }
        double f = 0.0;
        if (T > 0.0 && offset(T, f)) {
            Ta = Tb;
            fa = fb;
            Tb = T;
            fb = f;
            kept = current;
            step = std::copysign(std::min(10.0, 2.0 * std::fabs(step)), step);
        } else {
            // From the last point again, a shorter step.
            current = kept;
            trial.T = last.T = kept.T;
            trial.P = last.P = kept.P;
            trial.x = last.x = kept.x;
            trial.y = last.y = kept.y;
            step *= 0.5;
            solved = std::fabs(step) > 1e-3;
        }
    }
    estimationMode = mode;
    set_type_of_problem(problem);
    spec = imposed;
    if (!solved) return false;
    // The problem itself from the point found.
    current = kept;
    current.P = imposed.P;
    loadStartVector();
    return runSolver() && phasesInOrder() && !phasesAreOne();
}

IFP::TrialPhase IFP::trialPhaseOfFeed(double P) {
    const auto un = static_cast<std::size_t>(n);
    current.T = spec.T;
    current.P = P;
    current.x = current.y = z;
    // The feed's plane: its lower Gibbs energy of the two models' roots.
    std::vector<double> plane(un), lnPhi;
    double lowest = 1e300;
    for (FluidPhase* model : {firstPhase, secondPhase}) {
        if (!trialLnPhi(*model, z, lnPhi)) continue;
        double g = 0.0;
        for (std::size_t i = 0; i < un; ++i)
            if (z[i] > 0.0) g += z[i] * (std::log(z[i]) + lnPhi[i]);
        if (!(g < lowest)) continue;
        lowest = g;
        for (std::size_t i = 0; i < un; ++i)
            plane[i] = z[i] > 0.0 ? std::log(z[i]) + lnPhi[i] : -1e300;
    }
    if (!(lowest < 1e300)) return {};
    return trialPhasesBelow(plane, true);
}

bool IFP::incipientIsDenser(double feedV, const TrialPhase& trial) {
    const bool byVolume = trial.V < feedV;
    double Mf = 0.0, Mt = 0.0;
    const std::vector<double>& molar = firstPhase->molarMass;
    for (int i = 0; i < n && static_cast<std::size_t>(i) < molar.size(); ++i) {
        Mf += z[i] * molar[static_cast<std::size_t>(i)];
        Mt += trial.w[i] * molar[static_cast<std::size_t>(i)];
    }
    const bool byMass = Mf > 0.0 && Mt > 0.0 ? Mt * feedV > Mf * trial.V : byVolume;
    if (byVolume == byMass) return byVolume;
    // The senses disagree: the denser is the phase of the less volatile components.
    const VLECurrentState kept = current;
    current.x = trial.w;
    current.y = z;
    const bool denser = liquidIsLessVolatile();
    current = kept;
    return denser;
}

bool IFP::solveFromFeedInstability(double fromP) {
    const bool bubble = type == 13 && N != 0.0 && spec.nV / N == 0.0;
    if (!bubble || n < 2 || !(fromP > 0.0) || !std::isfinite(fromP)) return false;
    const VLECurrentState kept = current;
    auto splits = [&](double P, TrialPhase& below) {
        below = trialPhaseOfFeed(P);
        return below.distance < -kBelowPlane;
    };
    // A pressure where the feed is one phase, then down in steps to the first where it
    // splits: the trial phase there, just below the boundary, is the incipient phase.
    TrialPhase below;
    double stable = fromP;
    for (int k = 0; k < kStabilityRises && splits(stable, below); ++k) stable /= kStabilityFactor;
    double unstable = 0.0;
    if (!(below.distance < -kBelowPlane)) {
        for (int k = 1; k <= kStabilityFalls && unstable == 0.0; ++k) {
            const double P = stable * std::pow(kStabilityFactor, k);
            if (splits(P, below)) unstable = P;
            else stable = P;
        }
    }
    if (unstable == 0.0) {
        current = kept;
        return false;
    }
    for (int k = 0; k < kBoundaryHalvings; ++k) {
        TrialPhase mid;
        const double P = std::sqrt(stable * unstable);
        if (splits(P, mid)) {
            unstable = P;
            below = mid;
        } else {
            stable = P;
        }
    }
    splits(unstable, below);
    const double feedV = firstPhase->V;
    if (incipientIsDenser(feedV, below)) {
        // The incipient phase is the denser: the boundary above is the feed's dew point.
        char text[300];
        vornex::csnprintf(text, sizeof text,
                          "no bubble point: at %g K the feed is one phase above %.4g bar, and the "
                          "phase it forms below that is the denser (%.4g cm3/mol against its "
                          "%.4g): the saturation point there is a dew point",
                          spec.T, stable / 1e5, below.V * 1e6, feedV * 1e6);
        dewInstead_ = text;
        current = kept;
        return false;
    }
    if (solveAlongTieLines(below) && phasesInOrder()) return true;
    current = kept;
    return false;
}

void IFP::callMetastable(const TrialPhase& below) {
    status = 4;
    char text[200];
    vornex::csnprintf(text, sizeof text,
                  "metastable: the liquid splits into two liquids (a trial liquid lies %.3g RT "
                  "below the tangent plane at %g K and %g bar)",
                  -below.distance, current.T, current.P / 1e5);
    refusal = text;
    diagnostic("%s\n", text);
}

}  // namespace vornex

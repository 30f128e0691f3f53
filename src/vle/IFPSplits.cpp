// Whether an answer that is no saturation point is an equilibrium: a flash (problems 12, 21)
// or a state of given vapour fraction between 0 and 1 (13, 31, 23, 32). The answer must hold
// two distinct phases in order with no trial phase below their common tangent plane; the
// solver may also stop on the feed twice, or on a phase on a root of its model that is not
// its least Gibbs energy one. Such answers are sought again: a flash from the trial phases of
// the feed itself, a vapour fraction along tie lines from the feed's bubble or dew point.
// Bad input is refused before any of it, with its reason.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <vector>

#include "numerics/Diagnostics.h"
#include "numerics/Decimal.h"
#include "vle/IFP.h"

namespace vornex {

namespace {

// A trial phase this far below the tangent plane (RT per mole) splits the feed.
constexpr double kSplits = 1e-7;
// Successive-substitution steps of a flash started from a trial phase of the feed.
constexpr int kFlashSubstitutionSteps = 60;
// Steps of vapour fraction from a saturation point to the one given, failed ones included.
constexpr int kFractionSteps = 80;
// Largest gap of the feed's mole fractions from a sum of one.
constexpr double kClosure = 1e-6;

bool isFlash(int type) {
    return type == 12 || type == 21;
}

bool atVapourFraction(int type) {
    return type == 13 || type == 31 || type == 23 || type == 32;
}

}  // namespace

bool IFP::isSplitProblem() const {
    return (isFlash(type) || atVapourFraction(type)) && !isSaturationProblem();
}

bool IFP::refuseBadInput() {
    char text[240] = "";
    double sum = 0.0;
    for (int i = 0; i < n && !*text; ++i) {
        const double zi = z[static_cast<std::size_t>(i)];
        if (!(zi >= 0.0 && zi <= 1.0))
            vornex::csnprintf(text, sizeof text, "no state: the feed's mole fraction of %s is %g",
                          names[static_cast<std::size_t>(i)].c_str(), zi);
        sum += zi;
    }
    const bool givenT = type / 10 == 1 || type % 10 == 1;
    const bool givenP = type / 10 == 2 || type % 10 == 2;
    const bool givenFv = type / 10 == 3 || type % 10 == 3;
    const double Fv = N != 0.0 ? spec.nV / N : -1.0;
    if (*text) {
    } else if (n > 0 && !(std::fabs(sum - 1.0) <= kClosure)) {
        vornex::csnprintf(text, sizeof text, "no state: the feed's mole fractions sum to %.9g, not 1",
                      sum);
    } else if (givenT && !(spec.T > 0.0 && std::isfinite(spec.T))) {
        vornex::csnprintf(text, sizeof text, "no state: the temperature given, %g K, is not positive",
                      spec.T);
    } else if (givenP && !(spec.P > 0.0 && std::isfinite(spec.P))) {
        vornex::csnprintf(text, sizeof text, "no state: the pressure given, %g bar, is not positive",
                      spec.P / 1e5);
    } else if (givenFv && !(Fv >= 0.0 && Fv <= 1.0)) {
        vornex::csnprintf(text, sizeof text,
                      "no state: the vapour fraction given, %g, lies outside 0 to 1", Fv);
    }
    if (!*text) return false;
    status = 5;
    refusal = text;
    diagnostic("%s\n", text);
    return true;
}

bool IFP::soundSplit() {
    return runSolver() && phasesInOrder() && !phasesAreOne() && current.nV > 0.0 &&
           current.nL > 0.0;
}

bool IFP::flashFromFeed() {
    if (!firstPhase || !secondPhase || n < 2) return false;
    const auto un = static_cast<std::size_t>(n);
    current.T = spec.T;
    current.P = spec.P;
    // The feed on whichever model's root is its least Gibbs energy one: its plane.
    std::vector<double> plane(un), lnPhi;
    double feedG = 1e300, feedV = 0.0;
    for (FluidPhase* model : {firstPhase, secondPhase}) {
        if (!trialLnPhi(*model, z, lnPhi)) continue;
        double g = 0.0;
        for (std::size_t i = 0; i < un; ++i) g += z[i] * lnPhi[i];
        if (g < feedG) {
            feedG = g;
            feedV = model->V;
            for (std::size_t i = 0; i < un; ++i)
                plane[i] = z[i] > 0.0 ? std::log(z[i]) + lnPhi[i] : -1e300;
        }
    }
    if (!(feedG < 1e300)) return false;
    std::vector<TrialPhase> starts;
    const TrialPhase lowest = trialPhasesBelow(plane, true, &starts);
    if (!(lowest.distance < -kSplits)) {
        char text[200];
        vornex::csnprintf(text, sizeof text,
                      "no two phases: the feed is one stable phase at %g K and %g bar",
                      spec.T, spec.P / 1e5);
        refusal = text;
        return false;
    }
    std::stable_sort(starts.begin(), starts.end(),
                     [](const TrialPhase& a, const TrialPhase& b) { return a.distance < b.distance; });
    // Each start straight to Newton, then after successive substitution: a pair of liquids
    // is the stable split of some feeds, and substitution, which moves its second phase
    // onto the vapour model's gas root as soon as there is one, leaves it.
    auto from = [&](const std::vector<double>& x, const std::vector<double>& y) {
        for (bool substitute : {false, true}) {
            current.T = spec.T;
            current.P = spec.P;
            current.x = x;
            current.y = y;
            // The lever rule of the feed between the two, where it lies between them.
            double Fv = 0.5;
            const double gap = y[0] - x[0];
            if (std::fabs(gap) > 1e-6) Fv = std::clamp((z[0] - x[0]) / gap, 0.05, 0.95);
            current.nV = Fv * N;
            current.nL = N - current.nV;
            if (substitute) substituteRatios(kFlashSubstitutionSteps);
            loadStartVector();
            TrialPhase below;
            if (soundSplit() && isStableAnswer(below)) return true;
        }
        return false;
    };
    // The lowest liquid and the lowest vapour below the plane first: where a liquid splits
    // off a liquid feed and a vapour too, the feed and either one make a metastable pair.
    const TrialPhase* liquid = nullptr;
    const TrialPhase* vapour = nullptr;
    for (const TrialPhase& start : starts) {
        if (!(start.distance < -kSplits)) continue;
        // Where the molar volumes and the mass densities disagree (a light gas and a heavy
        // liquid whose molar volumes cross), the liquid is the phase of the less volatile
        // components, as in the answer's own order.
        const TrialPhase*& kind = incipientIsDenser(feedV, start) ? liquid : vapour;
        if (!kind) kind = &start;
    }
    if (liquid && vapour && from(liquid->w, vapour->w)) return true;
    for (const TrialPhase& start : starts) {
        if (!(start.distance < -kSplits)) continue;
        const bool trialIsLiquid = incipientIsDenser(feedV, start);
        if (from(trialIsLiquid ? start.w : z, trialIsLiquid ? z : start.w)) return true;
    }
    char text[300];
    vornex::csnprintf(text, sizeof text,
                  "no two-phase state: the feed splits at %g K and %g bar (a trial phase lies "
                  "%.3g RT below its tangent plane), but no split of it into this liquid and "
                  "vapour model's phases is stable (two liquids, or three phases)",
                  spec.T, spec.P / 1e5, -lowest.distance);
    refusal = text;
    return false;
}

bool IFP::fractionFromSaturation() {
    const short problem = type;
    const VLEImposedValues imposed = spec;
    const int16_t mode = estimationMode;
    const double target = N != 0.0 ? imposed.nV / N : 0.0;
    estimationMode = 0;
    bool solved = false;
    // From the nearer end first: the dew point (all vapour) or the bubble point.
    for (double end : target >= 0.5 ? std::vector<double>{1.0, 0.0} : std::vector<double>{0.0, 1.0}) {
        set_type_of_problem(problem);
        spec = imposed;
        spec.nV = end * N;
        calculateVLE(2);
        if (status != 0) continue;
        // Then along tie lines, the vapour fraction moved to the one given in steps halved
        // where one fails.
        const bool reached = followPath(
            end, target, {0.05, 0.1, 1e-5, kFractionSteps},
            [&](double Fv) {
                spec.nV = current.nV = Fv * N;
                current.nL = N - current.nV;
            },
            [&] { return soundSplit(); });
        TrialPhase below;
        if (reached) {
            apply_conditions();
            solved = describePhases() && isStableAnswer(below);
        }
        if (solved) break;
    }
    estimationMode = mode;
    set_type_of_problem(problem);
    spec = imposed;
    return solved;
}

void IFP::judgeSplitAnswer() {
    refusal.clear();
    if (!firstPhase || !secondPhase) return;
    TrialPhase below;
    // The solver lets an amount stray a millionth below zero on its way: an answer that keeps
    // it (a feed a millionth of its pressure past its bubble or dew point) is no split.
    const bool bothPresent = current.nV > 0.0 && current.nL > 0.0;
    if (status == 0 && bothPresent && !phasesAreOne() && isStableAnswer(below)) return;
    const bool converged = status == 0;
    const bool one = converged && phasesAreOne();
    const VLECurrentState answer = current;
    const VLEPoint trial0 = trial, last0 = last;
    bool found = false;
    if (isFlash(type)) {
        found = flashFromFeed();
    } else {
        found = fractionFromSaturation();
    }
    if (found) {
        status = 0;
        refusal.clear();
        return;
    }
    trial = trial0;
    last = last0;
    status = 1;
    char text[320];
    if (!refusal.empty()) {
        // The feed's own stability said why.
    } else if (converged) {
        vornex::csnprintf(text, sizeof text,
                      "no equilibrium: %s at %g K and %g bar (a trial phase %.3g RT below "
                      "the tangent plane of the answer), and none was found from the feed",
                      one ? "the two phases found are one" : "the answer splits further",
                      answer.T, answer.P / 1e5, -below.distance);
        refusal = text;
    } else {
        vornex::csnprintf(text, sizeof text,
                      "no two-phase state: the solve did not converge (last iterate %g K, %g "
                      "bar), nor one from the feed's trial phases or saturation points",
                      answer.T, answer.P / 1e5);
        refusal = text;
    }
    // What a caller reads is the answer that was judged, not a search's last iterate.
    current = answer;
    apply_conditions();
    describePhases();
    diagnostic("%s\n", refusal.c_str());
}

}  // namespace vornex

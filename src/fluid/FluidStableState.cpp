// The stable state at (T, P): what a user means by "the state at 300 K and 1 bar". The volume
// solve of calculateFromTP follows the side its phase selector names, so on its own it
// returns superheated liquid or subcooled vapour wherever that branch still has a root; here
// both branches are solved and the one of lower Gibbs energy is kept.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"
#include "fluid/Metastability.h"

namespace vornex {

namespace {

struct Branch {
    bool found = false;
    double V = 0.0;
    double gibbs = 0.0;  // sum x_i ln(f_i / Pa): G/(RT) up to terms of T alone
};

// A root is a state when the solve converged to a finite, mechanically stable volume that
// the model itself does not flag as unstable (the pockets of an equation of state between
// its spinodals are not states), with finite fugacities, positive for the components present.
bool isState(FluidPhase& fluid) {
    if (fluid.error != 0 || !std::isfinite(fluid.V) || !(fluid.V > 0.0)) return false;
    if (!std::isfinite(fluid.P) || !(fluid.dPdV < 0.0)) return false;
    if (fluid.isInstable(fluid.T, fluid.V) != 0) return false;
    for (int i = 0; i < fluid.nc; ++i) {
        const auto u = static_cast<std::size_t>(i);
        const double f = fluid.fugacity[u];
        if (!std::isfinite(f) || (fluid.x[u] > 0.0 && !(f > 0.0))) return false;
    }
    return true;
}

// The fluid's current state as a branch: not found unless it is a state.
Branch branchOf(FluidPhase& fluid) {
    Branch b;
    if (!isState(fluid)) return b;
    b.found = true;
    b.V = fluid.V;
    for (int i = 0; i < fluid.nc; ++i) {
        const auto u = static_cast<std::size_t>(i);
        if (fluid.x[u] > 0.0) b.gibbs += fluid.x[u] * std::log(fluid.fugacity[u]);
    }
    return b;
}

Branch solveBranch(FluidPhase& fluid, int selector, double TK, double Pbar) {
    fluid.phase = selector;
    fluid.calculateFromTP(TK, Pbar, 0);
    return branchOf(fluid);
}

constexpr int kVapourSide = 1;
constexpr int kLiquidSide = 2;
// Two roots closer than this (relative) are one state.
constexpr double kSameRoot = 1e-7;

}  // namespace

const char* FluidPhase::nameOf(StablePhase phase) {
    switch (phase) {
        case StablePhase::Liquid:
            return "liquid";
        case StablePhase::Vapour:
            return "vapour";
        case StablePhase::Fluid:
            return "fluid";
        case StablePhase::Critical:
            return "critical";
        case StablePhase::None:
            break;
    }
    return "none";
}

FluidPhase::StablePhase FluidPhase::calculateStableStateFromTP(double TK, double Pbar) {
    feedSplit = PhaseSplit{};
    const StablePhase uniform = calculateUniformStateFromTP(TK, Pbar);
    int present = 0;
    for (int i = 0; i < nc; ++i) present += x[static_cast<std::size_t>(i)] > 0.0 ? 1 : 0;
    if (uniform == StablePhase::None || present < 2) return uniform;
    // A uniform mixture inside a two-phase region is a volume root of its composition too,
    // of lower Gibbs energy than its other roots, but not the stable state: its two phases
    // are. The test leaves the fluid in that uniform root.
    feedSplit = testPhaseSplit(*this, TK, Pbar);
    if (!feedSplit.splits) return uniform;
    std::string feed, trial;
    for (int i = 1; i < nc; ++i) {
        const auto u = static_cast<std::size_t>(i);
        const double w = feedSplit.trial.size() > u ? feedSplit.trial[u] : feedSplit.trialX1;
        const std::string name =
            u < componentName.size() && !componentName[u].empty() ? componentName[u]
                                                                   : cformat("%d", i);
        feed += cformat("%sx(%s) = %.6g", i > 1 ? ", " : "", name.c_str(), x[u]);
        trial += cformat("%sx(%s) = %.6g", i > 1 ? ", " : "", name.c_str(), w);
    }
    vornex::cfprintf(stderr,
                     "%s: the feed of %s at %g K and %g bar splits into two phases (a trial "
                     "phase of %s lies %.3g RT below its tangent plane): no one-phase state is "
                     "stable there\n",
                     modelName.empty() ? "fluid" : modelName.c_str(), feed.c_str(), TK, Pbar,
                     trial.c_str(), -feedSplit.distance);
    error = 1;
    return StablePhase::None;
}

FluidPhase::StablePhase FluidPhase::calculateUniformStateFromTP(double TK, double Pbar) {
    // Found first: the critical search moves the state.
    const double Tc = namingCriticalTemperature();
    const double Vc = namingCriticalVolume();
    const int selector = phase;
    Branch vapour = solveBranch(*this, kVapourSide, TK, Pbar);
    Branch liquid = solveBranch(*this, kLiquidSide, TK, Pbar);
    phase = selector;
    vapourBeyondReach = 0.0;
    if (!vapour.found && !liquid.found) {
        error = 1;
        return StablePhase::None;
    }
    const bool belowOwnTc = nc == 1 && Tc > 0.0 && TK < Tc * (1.0 - 1e-8);
    // Below the critical temperature no vapour is denser than the critical volume: a lighter
    // root of the vapour side's search there, beside a liquid, lies on a stable-looking
    // stretch between the equation's spinodals, whose fugacity means nothing (Span's nitrogen
    // at 76 K and 72 bar: 87.6 cm3/mol and a fugacity of 120 Pa, beside the liquid's 33).
    if (belowOwnTc && vapour.found && liquid.found && Vc > 0.0 && vapour.V < Vc &&
        vapour.V > liquid.V * (1.0 + kSameRoot))
        vapour.found = false;
    // The vapour side's search falls back on the liquid branch where it finds no vapour,
    // and the liquid side's on the vapour branch.
    const bool sameRoot =
        vapour.found && liquid.found && std::fabs(vapour.V - liquid.V) <= kSameRoot * vapour.V;
    const bool distinctVapour = vapour.found && !sameRoot;
    if (vapour.found && (!liquid.found || sameRoot) && belowOwnTc && !(vapour.V < Vc)) {
        // A vapour found alone may lie above saturation, where the liquid is the stable
        // phase: near the critical point the liquid side's start (the substance's, not the
        // model's) can miss the liquid branch. The liquid then lies below the saturated
        // liquid's volume, on the branch that rises from it.
        const double Psat = calculateTheSaturationPressure(TK);
        const double Vsaturated = Vl;
        if (error == 0 && Pbar * 1e5 > Psat && Vsaturated > 0.0) {
            temperature(TK);
            pressure(Pbar);
            calculate_fixed_parameters();
            // A search whose bracket closed within the rounding of the pressure ends beside
            // the root without its own convergence: the pressure met decides.
            const bool solved = solveVolumeOnBranch(Vsaturated, true) || V < Vsaturated;
            error = solved && meetsTargetPressure() ? 0 : 1;
            if (error == 0) {
                calculate_fugacities();
                calculate_state_functions();
            }
            liquid = branchOf(*this);
            if (!liquid.found) {
                error = 1;
                return StablePhase::None;
            }
        } else {
            // The saturation solve moved the state: the vapour is solved again below.
            liquid.found = false;
        }
    }
    if (liquid.found && !distinctVapour && belowOwnTc && liquid.gibbs > std::log(Pbar * 1e5)) {
        // A liquid whose fugacity is above the pressure may lie below saturation, where the
        // vapour, had its solve succeeded, would be the stable phase.
        const double Psat = calculateTheSaturationPressure(TK);
        if (error == 0 && Pbar * 1e5 < Psat) {
            vapourBeyondReach = Psat;
            error = 1;
            return StablePhase::None;
        }
        phase = kLiquidSide;
        calculateFromTP(TK, Pbar, 0);
        phase = selector;
    }
    const bool takeLiquid = liquid.found && (!vapour.found || liquid.gibbs <= vapour.gibbs);
    if (!takeLiquid) {
        // The liquid side was solved last: solve the vapour again to make it the state.
        phase = kVapourSide;
        calculateFromTP(TK, Pbar, 0);
        phase = selector;
        if (!isState(*this)) {
            error = 1;
            return StablePhase::None;
        }
    }
    // The state left must be one at the pressure asked: a re-solve above that fell off its
    // branch (a liquid asked beyond the model's range) leaves the pressure of a bound. The
    // allowance has the volume solve's floor on a steep liquid branch, where the model's own
    // rounding moves its pressure by more than a share of a low one (HGK's liquid at 273-283
    // K and 0.0123 bar: 1-3e-3 Pa off 1232.66 Pa, of a modulus V (dP/dV) of 2e9 Pa).
    const double target = Pbar * 1e5;
    const double allowance = 1e-6 * std::fabs(target) + 1e-9 * std::fabs(V * dPdV);
    if (!isState(*this) || !(std::fabs(P - target) <= allowance)) {
        error = 1;
        return StablePhase::None;
    }
    error = 0;
    // At the critical point (its (dP/dV)_T zero to rounding) the state is neither liquid nor
    // vapour; within the rounding of the model's own critical temperature it is fluid.
    if (isothermalSlopeVanishes()) return StablePhase::Critical;
    if (Tc > 0.0 && TK >= Tc * (1.0 - 1e-8)) return StablePhase::Fluid;
    const bool twoRoots =
        vapour.found && liquid.found && std::fabs(vapour.V - liquid.V) > kSameRoot * vapour.V;
    if (twoRoots) return takeLiquid ? StablePhase::Liquid : StablePhase::Vapour;
    // One root only: named by its side of the critical volume, when there is one.
    if (Vc > 0.0) return V < Vc ? StablePhase::Liquid : StablePhase::Vapour;
    return StablePhase::Fluid;
}

int componentAlone(const FluidPhase& f) {
    int alone = -1;
    for (int i = 0; i < f.nc; ++i) {
        const double xi = f.x[static_cast<std::size_t>(i)];
        if (xi == 0.0) continue;
        if (xi != 1.0 || alone >= 0) return -1;
        alone = i;
    }
    return alone;
}

namespace {

// Where the naming searches a critical point from: a one-component fluid from its estimates
// (component -1); a mixture that holds one component alone, which is that component and
// is named as the one-component fluid is, from the model's estimates of that component.
// False for any other mixture, named by the mixture's estimates.
bool ownCriticalStart(FluidPhase& f, int& component, double& TK, double& Vm3) {
    component = -1;
    TK = f.Tcrit;
    Vm3 = f.Vcrit;
    if (f.nc == 1) return true;
    component = componentAlone(f);
    return component >= 0 && f.componentCriticalEstimate(component, TK, Vm3);
}

// The critical point the model gives in closed form at the fluid's composition (a
// component's own, alone or the only one; a mixture's pseudo-critical point), kept as the
// naming's; false where it gives none. Asked afresh each time: it is cheap, and follows the
// composition and constants changed since.
bool closedFormNaming(FluidPhase& f) {
    double TK = 0.0, Vm3 = 0.0;
    if (!f.closedFormCriticalPoint(TK, Vm3)) return false;
    f.namingTc = TK;
    f.namingVc = Vm3;
    f.namingComponent = f.nc == 1 ? -1 : componentAlone(f);
    return true;
}

}  // namespace

bool FluidPhase::componentCriticalEstimate(int, double&, double&) {
    return false;
}

bool FluidPhase::closedFormCriticalPoint(double&, double&) {
    return false;
}

double FluidPhase::namingCriticalTemperature() {
    if (closedFormNaming(*this)) return namingTc;
    int alone = -1;
    double Tstart = 0.0, Vstart = 0.0;
    if (!ownCriticalStart(*this, alone, Tstart, Vstart)) return Tcrit > 0.0 ? Tcrit : 0.0;
    if (namingTc >= 0.0 && namingComponent == alone) return namingTc;
    namingComponent = alone;
    namingTc = 0.0;
    namingVc = 0.0;
    if (!(Tstart > 0.0 && Vstart > 0.0) || !systemSolver) return namingTc;
    // The search moves the state; the caller's is put back.
    const double T0 = T, V0 = V, P0 = P;
    const int16_t error0 = error;
    Newton& s = *systemSolver;
    s._setSysEquationToSolve(
        this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint1), 2);
    s.verbose = 0;
    // The estimates are the substance's; a model's own critical volume may lie some 30 %
    // away from them, beyond the reach of Newton's method.
    for (double factor : {1.0, 0.8, 0.7, 1.25}) {
        s.x[0] = s.x0[0] = Tstart;
        s.x[1] = s.x0[1] = factor * Vstart;
        if (s.solve() == 0 && std::isfinite(s.x[0]) && s.x[0] > 0.0 && std::isfinite(s.x[1]) &&
            s.x[1] > 0.0) {
            namingTc = s.x[0];
            namingVc = s.x[1];
            break;
        }
    }
    temperature(T0);
    volume(V0);
    P = P0;
    error = error0;
    return namingTc;
}

bool FluidPhase::atOrAboveOwnCriticalTemperature(double TK) {
    if (nc != 1) return false;
    const double Tc = namingCriticalTemperature();
    return Tc > 0.0 && TK >= Tc * (1.0 - 1e-8);
}

double FluidPhase::namingCriticalVolume() {
    if (closedFormNaming(*this)) return namingVc;
    int alone = -1;
    double Tstart = 0.0, Vstart = 0.0;
    if (!ownCriticalStart(*this, alone, Tstart, Vstart)) return Vcrit > 0.0 ? Vcrit : 0.0;
    namingCriticalTemperature();
    return namingVc;
}

}  // namespace vornex

namespace vornex {

std::string Metastability::report(const char* denser, const char* lighter) const {
    if (!metastable) return {};
    char line[256];
    if (betweenSaturatedPhases) {
        vornex::csnprintf(line, sizeof line,
                      "The state is metastable: its volume (%.4f cm3/mol) lies between those of "
                      "the saturated %s (%.4f cm3/mol) and %s (%.4f cm3/mol) at its temperature.",
                      volume * 1e6, denser, saturatedLiquid * 1e6, lighter,
                      saturatedVapour * 1e6);
        return line;
    }
    vornex::csnprintf(line, sizeof line,
                  "The state is metastable: its fugacity (%.2f bar) is above that of the stable "
                  "%s (%.2f bar) at the same temperature and pressure.",
                  fugacity * 1e-5, stableIsDenser ? denser : lighter, stableFugacity * 1e-5);
    return line;
}

namespace {

// Whether the state lies strictly between the saturated volumes at its temperature.
bool betweenSaturatedPhases(const FluidPhase& f, Metastability& m) {
    if (!m.band.inside(f.V)) return false;
    m.betweenSaturatedPhases = true;
    m.volume = f.V;
    m.saturatedLiquid = m.band.saturatedLiquid;
    m.saturatedVapour = m.band.saturatedVapour;
    return true;
}

}  // namespace

Metastability compareWithStableState(FluidPhase& f) {
    Metastability m;
    if (f.nc != 1 || !(f.T > 0.0)) return m;
    m.fugacity = f.fugacity[0];
    const double V = f.V, TK = f.T;
    // Beyond a spinodal the equation's pressure is no state's, whatever its slope: nothing
    // shares it to compare with.
    m.band = twoPhaseBandAt(f, TK);
    f.calculateFromTV(TK, V, 0);
    m.unstable = m.band.unstable(V);
    if (m.unstable) return m;
    if (f.P > 0.0) {
        const bool solved =
            f.calculateStableStateFromTP(f.T, f.P * 1e-5) != FluidPhase::StablePhase::None &&
            f.error == 0;
        // The same root solved again differs in rounding only: neither its fugacity nor its
        // volume by more than that.
        if (solved && f.fugacity[0] < m.fugacity * (1.0 - 1e-7) &&
            std::fabs(f.V - V) > 1e-6 * V) {
            m.metastable = true;
            m.stableFugacity = f.fugacity[0];
            m.stableIsDenser = f.V < V;
            return m;
        }
        f.calculateFromTV(TK, V, 0);
    }
    m.metastable = betweenSaturatedPhases(f, m);
    return m;
}

}  // namespace vornex

namespace vornex {

namespace {

// The lowest sum_i w_i ln f_i over the volume roots of the fluid's present composition at
// (T, P); false when no root is a state.
bool lowestFugacitySum(FluidPhase& f, double TK, double Pbar, double& sum) {
    bool any = false;
    const int selector = f.phase;
    for (int side : {kVapourSide, kLiquidSide}) {
        const Branch b = solveBranch(f, side, TK, Pbar);
        if (b.found && (!any || b.gibbs < sum)) sum = b.gibbs;
        any = any || b.found;
    }
    f.phase = selector;
    return any;
}

// Trial compositions of component 1: logarithmic towards both pure ends, where the phases of
// a salt-water or gas-water pair lie (a vapour of x(NaCl) 8e-4 beside a brine of 0.25), and
// even between.
std::vector<double> trialCompositions() {
    std::vector<double> x;
    for (double e = -10.0; e < -1.0; e += 0.125) {
        x.push_back(std::pow(10.0, e));
        x.push_back(1.0 - std::pow(10.0, e));
    }
    for (int k = 1; k < 100; ++k) x.push_back(k / 100.0);
    return x;
}

struct StateOfMixture {
    bool found = false;
    std::vector<double> lnf;  // 0 for a component absent
};

// ln f_i of the uniform mixture at its stable root at (T, P), of the components present.
StateOfMixture stateOf(FluidPhase& f, double TK, double Pbar) {
    StateOfMixture s;
    if (f.calculateUniformStateFromTP(TK, Pbar) == FluidPhase::StablePhase::None || f.error != 0)
        return s;
    s.lnf.assign(static_cast<std::size_t>(f.nc), 0.0);
    for (std::size_t i = 0; i < s.lnf.size(); ++i) {
        if (!(f.x[i] > 0.0)) continue;
        const double fi = f.fugacity[i];
        if (!(fi > 0.0) || !std::isfinite(fi)) return s;
        s.lnf[i] = std::log(fi);
    }
    s.found = true;
    return s;
}

}  // namespace

namespace {

// The lowest D over the trial compositions, against ln f_i of the mixture z tested, into the
// split; leaves the fluid at composition z, its state the caller's to compute again.
void scanTangentPlane(FluidPhase& f, double TK, double Pbar, const std::vector<double>& z,
                      const StateOfMixture& own, PhaseSplit& split) {
    split.tested = true;
    // The composition itself too: another root of it may lie below the state tested.
    std::vector<double> trials = trialCompositions();
    trials.push_back(z[1]);
    for (double w1 : trials) {
        f.composition_of_component(1, w1);
        f.composition_of_component(0, 1.0 - w1);
        double sum = 0.0;
        if (!lowestFugacitySum(f, TK, Pbar, sum)) continue;
        const double D = sum - ((1.0 - w1) * own.lnf[0] + w1 * own.lnf[1]);
        if (D < split.distance) {
            split.distance = D;
            split.trialX1 = w1;
        }
    }
    // Rounding of the fugacities (1e-9 relative) is no second phase.
    split.splits = split.distance < -1e-7;
    f.composition_of_component(0, z[0]);
    f.composition_of_component(1, z[1]);
    f.calculateBulkMolarWeight();
}

// A mixture of three or more components has no composition line to scan: its trial phases
// are found by successive substitution, W_i = exp(d_i - ln phi_i(w)) with d_i = ln(f_i(z)/P),
// whose fixed points are the stationary points of D. Each trial runs on both sides of the
// model's isotherm from a start near every pure component present, from the feed's incipient
// vapour and liquid by Wilson's K-values (where the model holds critical constants) and by
// the pure components' own roots (an ideal solution of them), and from the feed moved a
// little towards each pure component: between them they reach the valleys of a liquid and a
// vapour of a gas mixture.
constexpr int kTrialSteps = 300;
// Share of a pure component in the starts near the feed.
constexpr double kNearFeedShift = 0.3;

class MulticomponentTrials {
   public:
    MulticomponentTrials(FluidPhase& f, double TK, double Pbar, const std::vector<double>& z,
                         const std::vector<double>& lnf)
        : f_(f), TK_(TK), Pbar_(Pbar), z_(z), plane_(z.size(), 0.0), lnPhi_(z.size(), 0.0) {
        for (std::size_t i = 0; i < z.size(); ++i)
            if (z[i] > 0.0) plane_[i] = lnf[i] - std::log(Pbar * 1e5);
    }

    void scan(PhaseSplit& split) {
        split.tested = true;
        for (const std::vector<double>& start : starts())
            for (int side : {kVapourSide, kLiquidSide}) trialFrom(side, start, split);
        split.splits = split.distance < -1e-7;
        if (split.trial.size() > 1) split.trialX1 = split.trial[1];
    }

   private:
    FluidPhase& f_;
    const double TK_, Pbar_;
    const std::vector<double> z_;
    std::vector<double> plane_, lnPhi_;

    bool present(std::size_t i) const { return z_[i] > 0.0; }

    // ln phi_i of w on the root of one side; false where that root is no state.
    bool lnPhiOnSide(int side, const std::vector<double>& w) {
        for (std::size_t i = 0; i < w.size(); ++i)
            f_.composition_of_component(static_cast<int>(i), w[i]);
        if (!solveBranch(f_, side, TK_, Pbar_).found) return false;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (!present(i)) continue;
            const double phi = f_.fugacityCoefficient[i];
            if (!(phi > 0.0) || !std::isfinite(phi)) return false;
            lnPhi_[i] = std::log(phi);
        }
        return true;
    }

    // w scaled to sum to one over the components present, nothing of the others; empty
    // where it holds nothing finite.
    std::vector<double> normalised(std::vector<double> w) const {
        double sum = 0.0;
        for (std::size_t i = 0; i < w.size(); ++i) {
            if (!present(i)) w[i] = 0.0;
            sum += w[i];
        }
        if (!(sum > 0.0) || !std::isfinite(sum)) return {};
        for (double& v : w) v /= sum;
        return w;
    }

    // The feed weighted by exp(sign ln K_i): its incipient vapour (sign 1) or liquid (-1).
    std::vector<double> weighted(const std::vector<double>& lnK, double sign) const {
        std::vector<double> w(z_.size(), 0.0);
        for (std::size_t i = 0; i < w.size(); ++i)
            w[i] = z_[i] * std::exp(std::clamp(sign * lnK[i], -300.0, 300.0));
        return normalised(w);
    }

    std::vector<std::vector<double>> starts() {
        const std::size_t n = z_.size();
        std::size_t count = 0;
        for (std::size_t i = 0; i < n; ++i) count += present(i) ? 1 : 0;
        std::vector<std::vector<double>> out;
        for (std::size_t pure = 0; pure < n; ++pure) {
            if (!present(pure)) continue;
            std::vector<double> w(n, 0.0);
            for (std::size_t i = 0; i < n; ++i)
                if (present(i)) w[i] = i == pure ? 0.98 : 0.02 / double(count - 1);
            out.push_back(w);
            for (std::size_t i = 0; i < n; ++i)
                w[i] = (1.0 - kNearFeedShift) * z_[i] + (i == pure ? kNearFeedShift : 0.0);
            out.push_back(w);
        }
        // Wilson: K_i = (Pc_i / P) exp(5.373 (1 + omega_i) (1 - Tc_i / T)).
        std::vector<double> lnK(n, 0.0);
        bool wilson = true;
        for (std::size_t i = 0; i < n && wilson; ++i) {
            double Tc = 0.0, Pc = 0.0, omega = 0.0;
            wilson = !present(i) ||
                     (f_.componentCriticalConstants(static_cast<int>(i), Tc, Pc, omega) &&
                      Tc > 0.0 && Pc > 0.0);
            if (wilson && present(i))
                lnK[i] = std::log(Pc / (Pbar_ * 1e5)) + 5.373 * (1.0 + omega) * (1.0 - Tc / TK_);
        }
        if (wilson)
            for (double sign : {1.0, -1.0})
                if (std::vector<double> w = weighted(lnK, sign); !w.empty()) out.push_back(w);
        // An ideal solution of the pure components on one side of their isotherms beside the
        // feed: w_i = z_i phi_i(z) / phi_i(pure i).
        for (int side : {kVapourSide, kLiquidSide}) {
            std::vector<double> lnPhiPure(n, 0.0);
            bool all = true;
            for (std::size_t pure = 0; pure < n && all; ++pure) {
                if (!present(pure)) continue;
                std::vector<double> w(n, 0.0);
                w[pure] = 1.0;
                all = lnPhiOnSide(side, w);
                lnPhiPure[pure] = lnPhi_[pure];
            }
            if (!all) continue;
            std::vector<double> lnRatio(n, 0.0);
            for (std::size_t i = 0; i < n; ++i)
                if (present(i)) lnRatio[i] = plane_[i] - std::log(z_[i]) - lnPhiPure[i];
            if (std::vector<double> w = weighted(lnRatio, 1.0); !w.empty()) out.push_back(w);
        }
        return out;
    }

    // The lowest D along the substitution from w0 on one side into the split.
    void trialFrom(int side, std::vector<double> w, PhaseSplit& split) {
        for (int step = 0; step < kTrialSteps; ++step) {
            if (!lnPhiOnSide(side, w)) return;
            double D = 0.0, change = 0.0, toFeed = 0.0;
            std::vector<double> W(w.size(), 0.0);
            for (std::size_t i = 0; i < w.size(); ++i) {
                if (!present(i)) continue;
                if (w[i] > 0.0) D += w[i] * (std::log(w[i]) + lnPhi_[i] - plane_[i]);
                W[i] = std::exp(std::clamp(plane_[i] - lnPhi_[i], -700.0, 700.0));
                toFeed = std::fmax(toFeed, std::fabs(w[i] - z_[i]));
            }
            if (!std::isfinite(D)) return;
            if (D < split.distance) {
                split.distance = D;
                split.trial = w;
            }
            const std::vector<double> next = normalised(W);
            if (next.empty()) return;
            for (std::size_t i = 0; i < w.size(); ++i)
                change = std::fmax(change, std::fabs(next[i] - w[i]));
            // Settled, or on its way to the feed itself (the trivial point, D = 0).
            if (change < 1e-10 || (toFeed < 1e-5 && D > -1e-7)) return;
            w = next;
        }
    }
};

PhaseSplit multicomponentSplit(FluidPhase& f, double TK, double Pbar) {
    PhaseSplit split;
    const std::vector<double> z(f.x.begin(), f.x.begin() + f.nc);
    // One component alone has no second composition to split into.
    if (std::count_if(z.begin(), z.end(), [](double v) { return v > 0.0; }) < 2) {
        split.tested = true;
        f.calculateUniformStateFromTP(TK, Pbar);
        return split;
    }
    const StateOfMixture own = stateOf(f, TK, Pbar);
    if (own.found) {
        const int selector = f.phase;
        MulticomponentTrials(f, TK, Pbar, z, own.lnf).scan(split);
        f.phase = selector;
        for (std::size_t i = 0; i < z.size(); ++i)
            f.composition_of_component(static_cast<int>(i), z[i]);
        f.calculateBulkMolarWeight();
    }
    f.calculateUniformStateFromTP(TK, Pbar);
    return split;
}

}  // namespace

PhaseSplit testPhaseSplit(FluidPhase& f, double TK, double Pbar) {
    PhaseSplit split;
    if (f.nc > 2) return multicomponentSplit(f, TK, Pbar);
    if (f.nc != 2) return split;
    const std::vector<double> z(f.x.begin(), f.x.begin() + 2);
    // One component alone has no second composition to split into; its stable state is the
    // one the caller is left in, as after any other test.
    if (!(z[0] > 0.0 && z[1] > 0.0)) {
        split.tested = true;
        f.calculateUniformStateFromTP(TK, Pbar);
        return split;
    }
    const StateOfMixture own = stateOf(f, TK, Pbar);
    if (!own.found) {
        f.calculateUniformStateFromTP(TK, Pbar);
        return split;
    }
    scanTangentPlane(f, TK, Pbar, z, own, split);
    f.calculateUniformStateFromTP(TK, Pbar);
    return split;
}

namespace {

// A composition's lowest root at (T, P): sum w_i ln f_i (G/RT up to terms linear in w), its
// volume and the side of the isotherm it lies on.
struct Sample {
    double w = 0.0, g = 0.0, V = 0.0;
    int side = 0;
};

bool lowestRoot(FluidPhase& f, double TK, double Pbar, Sample& s) {
    bool any = false;
    for (int side : {kVapourSide, kLiquidSide}) {
        const Branch b = solveBranch(f, side, TK, Pbar);
        if (!b.found || (any && b.gibbs >= s.g)) continue;
        s.g = b.gibbs;
        s.V = b.V;
        s.side = side;
        any = true;
    }
    return any;
}

void setBinary(FluidPhase& f, double w1) {
    f.composition_of_component(0, 1.0 - w1);
    f.composition_of_component(1, w1);
}

// One phase of a binary split: its composition as u = ln(w1 / w0), which resolves a phase
// holding 1e-12 of a component as well as the middle of the range, on the volume root of
// the side it was found on, and the range of u it may move in.
struct SplitEnd {
    double u = 0.0, lowest = 0.0, highest = 0.0;
    int side = 0;
    double lnf[2] = {0.0, 0.0};  // ln(f_i / P)
    double V = 0.0;
};

constexpr double kLogitBound = 700.0;

double logitOf(double w1) {
    if (!(w1 > 0.0)) return -kLogitBound;
    if (!(w1 < 1.0)) return kLogitBound;
    return std::clamp(std::log(w1) - std::log1p(-w1), -kLogitBound, kLogitBound);
}

double fractionOf(double u) {
    return 1.0 / (1.0 + std::exp(-u));
}

bool lnFugacitiesOf(FluidPhase& f, double TK, double Pbar, SplitEnd& e) {
    f.composition_of_component(0, 1.0 / (1.0 + std::exp(e.u)));
    f.composition_of_component(1, fractionOf(e.u));
    const Branch b = solveBranch(f, e.side, TK, Pbar);
    if (!b.found) return false;
    const double lnw[2] = {-std::log1p(std::exp(e.u)), -std::log1p(std::exp(-e.u))};
    for (int i = 0; i < 2; ++i) {
        const double phi = f.fugacityCoefficient[static_cast<std::size_t>(i)];
        if (!(phi > 0.0) || !std::isfinite(phi)) return false;
        e.lnf[i] = lnw[i] + std::log(phi);
    }
    e.V = b.V;
    return true;
}

// Two phases within the resolution of their compositions and volumes are one.
bool samePhase(double w1, double V1, double w2, double V2) {
    return std::fabs(w1 - w2) < 1e-9 && std::fabs(V1 - V2) <= 1e-6 * std::fmax(V1, V2);
}

double fugacityMismatch(const SplitEnd& a, const SplitEnd& b) {
    return std::fmax(std::fabs(a.lnf[0] - b.lnf[0]), std::fabs(a.lnf[1] - b.lnf[1]));
}

// Equal fugacities of both components in two phases that each stay within their range, by
// Newton's method on u of both, every step shortened until it lowers the mismatch. The ranges
// are the hull's spacing about each end of its gap: the phases can neither run out of the
// gap's ends nor meet in one composition. False, the ends as they were, where no step helps.
bool equalFugacities(FluidPhase& f, double TK, double Pbar, SplitEnd& a, SplitEnd& b) {
    if (!lnFugacitiesOf(f, TK, Pbar, a) || !lnFugacitiesOf(f, TK, Pbar, b)) return false;
    for (int step = 0; step < 60; ++step) {
        const double mismatch = fugacityMismatch(a, b);
        if (mismatch < 1e-10) return true;
        const double r[2] = {a.lnf[0] - b.lnf[0], a.lnf[1] - b.lnf[1]};
        double J[2][2];
        for (int k = 0; k < 2; ++k) {
            const SplitEnd& e = k == 0 ? a : b;
            SplitEnd moved = e;
            double h = 1e-6 * (1.0 + std::fabs(e.u));
            moved.u = e.u + h;
            if (!lnFugacitiesOf(f, TK, Pbar, moved)) {
                h = -h;
                moved.u = e.u + h;
                if (!lnFugacitiesOf(f, TK, Pbar, moved)) return false;
            }
            for (int i = 0; i < 2; ++i)
                J[i][k] = (k == 0 ? 1.0 : -1.0) * (moved.lnf[i] - e.lnf[i]) / h;
        }
        const double det = J[0][0] * J[1][1] - J[0][1] * J[1][0];
        if (!(std::fabs(det) > 0.0) || !std::isfinite(det)) return false;
        const double du[2] = {-(J[1][1] * r[0] - J[0][1] * r[1]) / det,
                              -(J[0][0] * r[1] - J[1][0] * r[0]) / det};
        double lambda = std::fmin(1.0, 2.0 / std::fmax(std::fabs(du[0]), std::fabs(du[1])));
        bool lowered = false;
        for (; lambda > 1e-6 && !lowered; lambda *= 0.5) {
            SplitEnd ta = a, tb = b;
            ta.u += lambda * du[0];
            tb.u += lambda * du[1];
            if (ta.u < ta.lowest || ta.u > ta.highest || tb.u < tb.lowest || tb.u > tb.highest)
                continue;
            if (!lnFugacitiesOf(f, TK, Pbar, ta) || !lnFugacitiesOf(f, TK, Pbar, tb)) continue;
            if (fugacityMismatch(ta, tb) < mismatch) {
                a = ta;
                b = tb;
                lowered = true;
            }
        }
        // Rounding of the roots' fugacities stops the descent short of the tolerance.
        if (!lowered) return mismatch < 1e-8;
    }
    return fugacityMismatch(a, b) < 1e-8;
}

}  // namespace

bool binarySplitStart(FluidPhase& f, double TK, double Pbar, BinarySplit& split) {
    split = BinarySplit{};
    if (f.nc != 2) return false;
    const std::vector<double> feed(f.x.begin(), f.x.begin() + 2);
    const int selector = f.phase;
    // G/RT of the stable root of every trial composition, the pure ends too: its lower convex
    // hull bridges each two-phase gap, the gap's ends the phases within the trials' spacing.
    std::vector<double> trials = trialCompositions();
    trials.push_back(0.0);
    trials.push_back(1.0);
    std::sort(trials.begin(), trials.end());
    std::vector<Sample> samples;
    for (double w1 : trials) {
        setBinary(f, w1);
        Sample s;
        s.w = w1;
        if (lowestRoot(f, TK, Pbar, s)) samples.push_back(s);
    }
    std::vector<std::size_t> hull;
    for (std::size_t k = 0; k < samples.size(); ++k) {
        while (hull.size() >= 2) {
            const Sample& a = samples[hull[hull.size() - 2]];
            const Sample& b = samples[hull.back()];
            const Sample& c = samples[k];
            // b lies on or above the chord from a to c.
            if ((b.g - a.g) * (c.w - a.w) < (c.g - a.g) * (b.w - a.w)) break;
            hull.pop_back();
        }
        hull.push_back(k);
    }
    // The widest gap: a chord passing over trial compositions lying above it. Rounding of
    // the fugacities (1e-9) makes no gap.
    std::size_t best = 0;
    double widest = 0.0;
    for (std::size_t k = 1; k < hull.size(); ++k) {
        const Sample &a = samples[hull[k - 1]], &b = samples[hull[k]];
        if (hull[k] - hull[k - 1] < 2) continue;
        double below = 0.0;
        for (std::size_t j = hull[k - 1] + 1; j < hull[k]; ++j) {
            const Sample& m = samples[j];
            const double chord = a.g + (b.g - a.g) * (m.w - a.w) / (b.w - a.w);
            below = std::fmax(below, m.g - chord);
        }
        if (below > 1e-7 && b.w - a.w > widest) {
            widest = b.w - a.w;
            best = k;
        }
    }
    if (best > 0) {
        // Each end may move to its neighbours among the trials, where the tangent touches.
        const auto endAt = [&](std::size_t k) {
            SplitEnd e;
            e.u = std::clamp(logitOf(samples[k].w), -kLogitBound + 10.0, kLogitBound - 10.0);
            e.lowest = logitOf(samples[k > 0 ? k - 1 : k].w);
            e.highest = logitOf(samples[std::min(k + 1, samples.size() - 1)].w);
            e.side = samples[k].side;
            e.V = samples[k].V;
            return e;
        };
        SplitEnd a = endAt(hull[best - 1]), b = endAt(hull[best]);
        SplitEnd refinedA = a, refinedB = b;
        // Where the refinement fails, or brings the phases together, the hull's ends are
        // the start: the two-phase solver converges from them.
        if (equalFugacities(f, TK, Pbar, refinedA, refinedB) &&
            !samePhase(fractionOf(refinedA.u), refinedA.V, fractionOf(refinedB.u), refinedB.V)) {
            a = refinedA;
            b = refinedB;
        }
        const double wa = fractionOf(a.u), wb = fractionOf(b.u);
        if (samePhase(wa, a.V, wb, b.V)) {
            split.trivial = true;
        } else {
            const bool aLiquid = a.V < b.V;
            split.found = true;
            split.xLiquid1 = aLiquid ? wa : wb;
            split.yVapour1 = aLiquid ? wb : wa;
            split.Vliquid = aLiquid ? a.V : b.V;
            split.Vvapour = aLiquid ? b.V : a.V;
        }
    }
    f.phase = selector;
    setBinary(f, feed[1]);
    f.composition_of_component(0, feed[0]);
    f.calculateBulkMolarWeight();
    return split.found;
}

void FluidPhase::initializeFlash2(double TK, double Pbar) {
    BinarySplit split;
    if (!binarySplitStart(*this, TK, Pbar, split) && split.trivial) {
        vornex::cfprintf(stderr,
                         "No two phases at %g K and %g bar: the ends of the gap in the mixture's "
                         "Gibbs energy are one phase (the same composition and volume), so the "
                         "isotherm has no starting point at that pressure\n",
                         TK, Pbar);
        error = 1;
        return;
    }
    if (!split.found) {
        vornex::cfprintf(stderr,
                         "No two phases at %g K and %g bar: the Gibbs energy of the mixture is "
                         "convex at every composition there (one phase), so the isotherm has no "
                         "starting point at that pressure\n",
                         TK, Pbar);
        error = 1;
        return;
    }
    Vl0 = split.Vliquid;
    Vv0 = split.Vvapour;
    xLiquid[1] = split.xLiquid1;
    xLiquid[0] = 1.0 - split.xLiquid1;
    yVapour[1] = split.yVapour1;
    yVapour[0] = 1.0 - split.yVapour1;
}

PhaseSplit testStateSplit(FluidPhase& f) {
    return testStateSplitAt(f, f.P * 1e-5);
}

PhaseSplit testStateSplitAt(FluidPhase& f, double Pbar) {
    PhaseSplit split;
    // No trial phase shares a pressure not above zero.
    if (f.nc != 2 || !(Pbar > 0.0) || !std::isfinite(Pbar)) return split;
    const std::vector<double> z(f.x.begin(), f.x.begin() + 2);
    const double TK = f.T, Vm3 = f.V;
    if (!(z[0] > 0.0 && z[1] > 0.0)) {
        // One component alone has no second composition to split into, but another root of
        // lower Gibbs energy at the same pressure is the stable state all the same.
        const double fi = f.fugacity[z[0] > 0.0 ? 0 : 1];
        double lowest = 0.0;
        if (!(fi > 0.0) || !std::isfinite(fi)) return split;
        split.tested = true;
        if (lowestFugacitySum(f, TK, Pbar, lowest)) {
            split.distance = std::fmin(0.0, lowest - std::log(fi));
            split.trialX1 = z[1];
            split.splits = split.distance < -1e-7;
        }
        f.calculateFromTV(TK, Vm3, 0);
        return split;
    }
    StateOfMixture own;
    own.lnf.assign(2, 0.0);
    for (int i = 0; i < 2; ++i) {
        const double fi = f.fugacity[static_cast<std::size_t>(i)];
        if (!(fi > 0.0) || !std::isfinite(fi)) return split;
        own.lnf[i] = std::log(fi);
    }
    scanTangentPlane(f, TK, Pbar, z, own, split);
    f.calculateFromTV(TK, Vm3, 0);
    return split;
}

}  // namespace vornex

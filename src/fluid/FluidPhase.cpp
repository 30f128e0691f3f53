#include "fluid/FluidPhase.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "expression/Expression.h"
#include "fluid/VenturiInteraction.h"

namespace vornex {

// ------------------------------------------------------------------ construction

FluidPhase::FluidPhase(int nTerms, int selector, char extra) {
    phase = selector;
    volumeSolver = std::make_unique<NewtonRaphson>();
    bindVolumeSolver(&FluidPhase::equationForCalculating_V_FromTP);
    volumeSolver->itermax = 100;
    volumeSolver->bounded = 1;
    volumeSolver->xmin = 1e-7;
    volumeSolver->xmax = 1e6;
    volumeSolver->verbose = 0;
    volumeSolver->tolerance = 1e-15;

    systemSolver = std::make_unique<Newton>();
    systemSolver->_setSysEquationToSolve(
        this, static_cast<EquationSystem>(&FluidPhase::equationForCalculatingCriticalPoint1), 2);

    extraTerm = extra;
    if (nTerms != 0) createInteractions(nTerms);
    Tlowest = 80.0;
    Vsep = -1.0;
}

FluidPhase::~FluidPhase() {
    purge();
}

void FluidPhase::createInteractions(int n) {
    for (Interaction* term : interaction) delete term;
    interaction.assign(static_cast<size_t>(std::max(n, 0)), nullptr);
    if (extraTerm) interaction.push_back(new VenturiInteraction());
}

bool FluidPhase::setInteraction(int index, Interaction* term) {
    const int slots = numberOfInteractions() - (extraTerm ? 1 : 0);
    if (index < 0 || index >= slots) {
        vornex::cfprintf(stderr, "You have specified a false interaction index (%d)...\n", index);
        return false;
    }
    auto& slot = interaction[static_cast<size_t>(index)];
    if (slot != term) delete slot;
    slot = term;
    if (term) term->gasConstant = gasConstant;
    return true;
}

void FluidPhase::setIdealTerm(Interaction* term) {
    if (ideal != term) delete ideal;
    ideal = term;
    if (term) term->gasConstant = gasConstant;
}

void FluidPhase::purge() {
    volumeSolver.reset();
    systemSolver.reset();
    for (Interaction* term : interaction) delete term;
    interaction.clear();
    delete ideal;
    ideal = nullptr;
    for (auto* v : perComponentArrays()) v->clear();
    for (auto* m : perComponentMatrices()) m->clear();
}

// Every term that takes part in an evaluation: the residual terms in order, then the
// ideal-gas term. Empty slots (a model still building itself) are skipped.
template <class F>
static void forEachTerm(FluidPhase& fluid, F&& f) {
    for (Interaction* term : fluid.interaction)
        if (term) f(*term);
    if (fluid.ideal) f(*fluid.ideal);
}

std::vector<std::vector<double>*> FluidPhase::perComponentArrays() {
    return {&mur,        &work1,   &work2,  &work3, &work4,
            &dphidT,     &dphidP,  &dphidV, &dmudT, &dmudV,
            &dmudP,      &dVdx,    &dZdx,   &dPdx,  &lnPhi,
            &lnFugacity, &dlnfdT,  &dlnfdP, &dPdn,  &partialMolarVolume,
            &xLiquid,    &yVapour, &xp,     &zFeed, &partialMolarEnthalpy};
}

std::vector<std::vector<std::vector<double>>*> FluidPhase::perComponentMatrices() {
    return {&workMatrix, &dphidx, &dmudx, &dlnfdx};
}

void FluidPhase::createPerComponentArrays() {
    const auto n = static_cast<size_t>(nc);
    for (auto* v : perComponentArrays()) v->assign(n, 0.0);
    for (auto* m : perComponentMatrices()) m->assign(n, std::vector<double>(n, 0.0));
}

void FluidPhase::number_of_components(int count) {
    if (count < 1) return;
    if (count == nc && !componentCountRefused_) {
        // The same count: the set-up stands unless names follow, which start it afresh.
        setUpAgain_ = true;
        return;
    }
    // The terms of a fluid that had components (kept after a refusal, or another count) still
    // hold their constants: until every name of the new set-up is given, no state is computed.
    const bool formerComponents = componentsAdded > 0;
    setUpAgain_ = setUpIncomplete_ = false;
    componentCountRefused_ = false;
    // A model that switches its component system starts the Phase part afresh, so that the
    // fluid, its terms and its arrays always agree on the count.
    nc = 0;
    componentsAdded = 0;
    Phase::number_of_components(count);
    createPerComponentArrays();
    // Residual terms that build their graphs once get back the count they were built for;
    // sized again, they would build a second graph beside the first. The ideal gas is sized
    // afresh, its per-component data following the components added again.
    const bool giveBack = termsBuildOnce && count == termsSizedFor_;
    bool refused = false;
    forEachTerm(*this, [this, count, giveBack, &refused](Interaction& term) {
        if (giveBack && &term != ideal)
            term.nc = count;
        else
            term.number_of_components(count);
        if (term.nc != count) refused = true;
    });
    termsSizedFor_ = refused ? 0 : count;
    if (refused) {
        refuseComponentCount();
        return;
    }
    if (count == 1) composition_of_component(0, 1.0);
    if (formerComponents) {
        setUpIncomplete_ = true;
        stateComputed = 0;
        forEachTerm(*this, [](Interaction& term) { term.nc = 0; });
    }
}

void FluidPhase::add_component(const char* name) {
    if (setUpAgain_ && name != nullptr && nc >= 1) {
        setUpAgain_ = false;
        if (componentsAdded > 0) {
            if (componentName[0] != name)
                vornex::cfprintf(stderr,
                             "%s: its %d components set up afresh, %s first; no state is computed "
                             "until all are given\n",
                             modelName.empty() ? "fluid" : modelName.c_str(), nc, name);
            componentsAdded = 0;
            setUpIncomplete_ = true;
            stateComputed = 0;
        }
    }
    if (setUpIncomplete_) {
        // The terms read each component with their count; between the names they are
        // unsized, so that no state of a half-given set-up is computed.
        forEachTerm(*this, [this](Interaction& term) { term.nc = nc; });
        Phase::add_component(name);
        if (componentsAdded < nc) {
            error = 1;
            forEachTerm(*this, [](Interaction& term) { term.nc = 0; });
        } else {
            setUpIncomplete_ = false;
            // Fractions given between the names reached the fluid alone.
            forEachTerm(*this, [this](Interaction& term) {
                for (size_t i = 0; i < term.x.size() && i < x.size(); ++i) term.x[i] = x[i];
                term.parametersCurrent = 0;
            });
        }
        return;
    }
    if (name != nullptr && nc >= 1 && componentsAdded >= nc &&
        std::find(componentName.begin(), componentName.end(), name) == componentName.end()) {
        vornex::cfprintf(stderr,
                     "%s: component %s refused, the fluid has its %d components; give a component "
                     "count to name others\n",
                     modelName.empty() ? "fluid" : modelName.c_str(), name, nc);
        refuseComponentCount();
        return;
    }
    Phase::add_component(name);
}

void FluidPhase::refuseComponentCount() {
    error = 1;
    componentCountRefused_ = true;
    stateComputed = 0;
    // An unsized term fails every evaluation (Interaction::prepare).
    forEachTerm(*this, [](Interaction& term) { term.nc = 0; });
}

void FluidPhase::temperature(double TK) {
    T = TK;
    stateComputed = 0;
    forEachTerm(*this, [TK](Interaction& term) {
        term.T = TK;
        term.parametersCurrent = 0;
    });
}

void FluidPhase::volume(double Vm3) {
    V = Vm3;
    stateComputed = 0;
    forEachTerm(*this, [Vm3](Interaction& term) {
        term.V = Vm3;
        term.parametersCurrent = 0;
    });
}

void FluidPhase::composition_of_component(int i, double xi) {
    Phase::composition_of_component(i, xi);
    if (i < 0 || i >= nc) return;
    // Whatever was computed belongs to the former composition.
    stateComputed = 0;
    forEachTerm(*this, [i, xi](Interaction& term) {
        if (i < term.nc) term.x[static_cast<size_t>(i)] = xi;
        term.parametersCurrent = 0;
    });
    if (const double m = bulkMolarMass(); m > 0.0) M = m;
}

void FluidPhase::calculate_fixed_parameters() {
    forEachTerm(*this, [](Interaction& term) { term.calculate_fixed_parameters(); });
}

void FluidPhase::setGasConstant(double R) {
    gasConstant = R;
    forEachTerm(*this, [R](Interaction& term) { term.gasConstant = R; });
}

FluidPhase::TemperatureHold::TemperatureHold(FluidPhase& fluid) : fluid_(fluid) {
    if (fluid_.holdDepth_++ == 0)
        forEachTerm(fluid_, [](Interaction& term) { term.holdFixedTemperature(true); });
}

FluidPhase::TemperatureHold::~TemperatureHold() {
    if (--fluid_.holdDepth_ == 0)
        forEachTerm(fluid_, [](Interaction& term) { term.holdFixedTemperature(false); });
}

// -------------------------------------------------------------- trivial virtuals

double FluidPhase::estimate_Vl0() {
    return Vl0;
}

int FluidPhase::isInstable(double, double) {
    return 0;
}

bool FluidPhase::isBelowCoVolume(double Vm3) {
    return !interaction.empty() && interaction[0] && interaction[0]->getVolumeMinimum() >= Vm3;
}

bool FluidPhase::hasIdealGasPart() const {
    return ideal != nullptr && ideal->root != nullptr && ideal->isIdealGasPart();
}

bool FluidPhase::isothermalSlopeVanishes() const {
    // V^2 (dP/dV)_T / (R T) is -1 for the ideal gas; at a critical point it is zero, and a
    // state found there from (T, P) keeps it within about 1e-9 of zero, as its pressure
    // moves by less than the solve's tolerance across the whole critical region.
    // A slope the model does not give (NaN) is not a vanishing one.
    constexpr double kVanishing = 1e-8;
    return std::isfinite(dPdV) && std::fabs(V * V * dPdV) <= kVanishing * gasConstant * T;
}

bool FluidPhase::atCriticalPoint() const {
    // V^3 (d2P/dV2)_T / (R T) is 2 for the ideal gas. A state solved from (T, P) at the
    // critical point keeps it within about 1e-5 of zero, a volume rounded to 5 digits within
    // 1e-7; a spinodal keeps it above 1e-4 from a millikelvin below the critical temperature.
    constexpr double kVanishing = 2e-5;
    return isothermalSlopeVanishes() && std::isfinite(Avvv) &&
           std::fabs(V * V * V * Avvv) <= kVanishing * gasConstant * T;
}

bool FluidPhase::admitsVolume(double, double) {
    return true;
}

FluidPhase::VolumeStart FluidPhase::volumeSearchStart(bool liquidSide) {
    if (liquidSide) return {estimate_Vl0(), true};
    return {gasConstant * T / P, false};
}

void FluidPhase::calculate_the_pseudo_critical_point(double& Tpc, double& Ppc, double& Vpc) {
    Tpc = Ppc = Vpc = 0.0;
}

void FluidPhase::correct_BIP(double) {}
void FluidPhase::calculate_corrected_BIP(double) {}

void FluidPhase::calculateParachor(double, double) {
    parachor = 0.0;
}

double FluidPhase::calculateSigma(double Vliquid, double Vvapour) {
    calculateParachor(Vliquid, Vvapour);
    sigma = parachor == 0.0 ? 0.0 : std::pow(parachor * M * (1.0 / Vliquid - 1.0 / Vvapour), 4);
    return sigma;
}

void FluidPhase::initializeBubblePoint2(double, double) {}
void FluidPhase::calculateTheTernaryDiagram(double, double, const char*) {}
// A model without its own critical-curve tracer says so, like the isopleth tracers below.
void FluidPhase::calculateTheCriticalCurve(const char*) {
    vornex::cfprintf(stderr, "%s has no critical-curve tracer for a binary mixture\n",
                 modelName.empty() ? "This model" : modelName.c_str());
    error = 1;
}
// A model without its own isopleth tracer says so, rather than leave the caller to find
// an empty result.
void FluidPhase::calculateTheIsopleth2(const char*, double, double, double) {
    vornex::cfprintf(stderr, "%s has no isopleth tracer for a binary mixture\n",
                 modelName.empty() ? "This model" : modelName.c_str());
    error = 1;
}
void FluidPhase::calculateTheIsopleth3(const char*, double, double, double, double) {
    vornex::cfprintf(stderr, "%s has no isopleth tracer for a ternary mixture\n",
                 modelName.empty() ? "This model" : modelName.c_str());
    error = 1;
}
void FluidPhase::calculateTheLiquidLiquidIsopleth3(const char*, double, double, double, double) {}

int FluidPhase::doCommandEx(int, char* const*) {
    return 0;
}

void FluidPhase::describe() {
    calculate_molar_volume();
    if (error == 0) calculate_fugacities();
}

// ------------------------------------------------------------------------ states

void FluidPhase::calculateFromTP(double TK, double Pbar, char print) {
    TemperatureHold hold(*this);
    temperature(TK);
    pressure(Pbar);
    calculate_molar_volume();
    // The solve's flag stands whatever the state evaluations add to it.
    completeState(print);
}

void FluidPhase::calculateFromTV(double TK, double Vm3, char print) {
    // Nothing is solved here, so nothing else would clear the flag a failure before left.
    error = 0;
    // The terms evaluate at any number: a temperature of -1 K gave 9e13 bar (IUPAC carbon
    // dioxide at 100 cm3/mol) with the flag clear.
    if (!(TK > 0.0) || !std::isfinite(TK) || !(Vm3 > 0.0) || !std::isfinite(Vm3)) {
        vornex::cfprintf(
            stderr, "%s: T %g K and V %g m3/mol make no state (each must be a positive number)\n",
            modelName.empty() ? "fluid" : modelName.c_str(), TK, Vm3);
        error = 1;
        return;
    }
    TemperatureHold hold(*this);
    temperature(TK);
    volume(Vm3);
    completeState(print);
}

void FluidPhase::calculateFromVP(double Vm3, double Pbar, char print) {
    volume(Vm3);
    pressure(Pbar);
    calculate_temperature();
    completeState(print);
}

bool FluidPhase::compositionIsAMixture(bool checkGiven) const {
    // A mole fraction outside 0 ... 1 is no mixture: the formulas extrapolate to numbers
    // that are no state.
    for (int i = 0; i < nc; ++i) {
        const double xi = x[static_cast<size_t>(i)];
        if (xi >= 0.0 && xi <= 1.0) continue;
        vornex::cfprintf(stderr, "%s: mole fraction %g of component %d outside 0 ... 1; no state\n",
                     modelName.empty() ? "fluid" : modelName.c_str(), xi, i);
        return false;
    }
    // A mixture whose fractions were never given is no mixture: its terms would give a state
    // of nothing at all (or of the last fractions' memory) with no flag.
    if (nc > 1 && checkGiven) {
        double sum = 0.0;
        for (int i = 0; i < nc; ++i) sum += x[static_cast<size_t>(i)];
        if (!(sum > 0.0)) {
            vornex::cfprintf(stderr, "%s: no mole fractions given; no state\n",
                             modelName.empty() ? "fluid" : modelName.c_str());
            return false;
        }
    }
    return true;
}

void FluidPhase::completeState(char print) {
    // The flag of what set the state (a solve) stands; the evaluations add their own.
    int16_t before = error;
    // A failed solve is said already: the fractions never given are not said again.
    if (!compositionIsAMixture(before == 0)) before = 1;
    // A set-up whose names are not all given is no fluid yet (a model naming its components
    // by itself leaves none of them unnamed).
    const bool unnamed = componentsAdded < nc && (setUpIncomplete_ || componentsAdded > 0 ||
                                                   componentName[0].empty());
    if (unnamed && (setUpIncomplete_ || componentsAdded > 0)) before = 1;
    TemperatureHold hold(*this);
    // State functions first: the fugacities then read the residual terms' highest-order
    // evaluation at the state instead of evaluating them again.
    calculate_state_functions();
    const int16_t functions = error;
    calculate_fugacities();
    if (before != 0 || functions != 0) error = 1;
    if (unnamed && error)
        vornex::cfprintf(stderr, "%s: %d of its %d components named; no state until all are given\n",
                         modelName.empty() ? "fluid" : modelName.c_str(), componentsAdded, nc);
    if (print) dump();
}

// ------------------------------------------------------------------- P(T, V)

double FluidPhase::calculate_pressure() {
    // Each computation raises the flag for itself: a failure before does not stick to it.
    error = 0;
    calculate_fixed_parameters();
    Z = 0.0;
    bool failed = false;
    // The pressure reads Z alone: no term evaluates its second volume derivative for it.
    forEachTerm(*this, [&](Interaction& term) {
        term.calculate_Z_alone();
        if (term.error) failed = true;
        Z += term.Z;
    });
    if (failed) error = 1;
    if (isBelowCoVolume(V)) {
        // At or below the co-volume there is no fluid, hence no pressure.
        Z = 0.0;
        P = 0.0;
    } else {
        P = gasConstant * Z * T / V;
        keepSolvedPressure();
    }
    return P;
}

void FluidPhase::keepSolvedPressure() {
    double kept = 0.0;
    if (!solvedPressure(Z, kept)) return;
    P = kept;
    Z = kept * V / (gasConstant * T);
}

// ------------------------------------------------------------------- V(T, P)

bool FluidPhase::pressureAndSlopeAt(double Vm3, double& Pcalc) {
    volume(Vm3);
    if (isBelowCoVolume(Vm3)) {
        // No state here: nothing of an earlier evaluation may pass for this volume's.
        Z = dZdV = dPdV = std::numeric_limits<double>::quiet_NaN();
        return false;
    }
    Z = dZdV = 0.0;
    double sumaVV = 0.0;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term) {
        if (failed) return;
        term.calculate_Z();
        if (term.error) {
            failed = true;
            return;
        }
        Z += term.Z;
        dZdV += term.dZdV;
        sumaVV += term.d2aVV;
    });
    if (failed) return false;
    const double RT = gasConstant * T;
    Pcalc = RT * Z / Vm3;
    dPdV = -RT * sumaVV;
    // Far out a term's second volume derivative may have lost its digits (or be inf - inf).
    if (farDiluteCompressibility(Vm3, Z, 0.0, dZdV)) dPdV = (dZdV - Z / Vm3) * RT / Vm3;
    return std::isfinite(Pcalc) && std::isfinite(dPdV);
}

void FluidPhase::equationForCalculating_V_FromTP(double Vm3, double& f, double& df) {
    double Pcalc = 0.0;
    if (!pressureAndSlopeAt(Vm3, Pcalc)) {
        equationError = 1;
        return;
    }
    const double RT = gasConstant * T;
    f = Pcalc - P;
    df = RT * (dZdV / Vm3 - Z / (Vm3 * Vm3));
    // A mechanically unstable volume, or one the model refuses, is no solution of a volume
    // search.
    if (dPdV > 0.0 || !admitsVolume(T, Vm3)) equationError = 1;
}

void FluidPhase::finishVolumeSolve() {
    dPdV = (dZdV - Z / V) * gasConstant * T / V;
    dZdP = dPdV != 0.0 ? dZdV / dPdV : 0.0;
}

bool FluidPhase::solveVolumeFrom(double V0) {
    NewtonRaphson& s = *volumeSolver;
    s.x0 = V0;
    s.x1 = V0;
    const double root = s.solve();
    bool converged = s.error == 0 && std::isfinite(root);
    if (converged) {
        // The state, Z and dZ/dV at the solution itself rather than at the last trial.
        double f = 0.0, df = 0.0;
        equationForCalculating_V_FromTP(root, f, df);
        converged = equationError == 0;
        equationError = 0;
    }
    finishVolumeSolve();
    return converged;
}

namespace {

constexpr int kBranchIterations = 100;
constexpr double kBranchTolerance = 1e-12;  // last Newton step, relative in V

// A search on one branch of an isotherm in its coordinate x (V on the liquid branch, ln V
// on the vapour branch), where F = P - P* (liquid) or ln(P/P*) (vapour) decreases. The
// bracket: F(lo) > 0 or lo beyond the branch on the small-volume side, F(hi) < 0 or hi
// beyond it on the large-volume side.
struct BranchSearch {
    bool liquid;
    double lo, hi;
    bool loRegular = false, hiRegular = false;

    explicit BranchSearch(bool liquidBranch)
        : liquid(liquidBranch),
          lo(liquidBranch ? 0.0 : -std::numeric_limits<double>::infinity()),
          hi(std::numeric_limits<double>::infinity()) {}

    bool bounded() const { return std::isfinite(lo) && std::isfinite(hi); }
    bool collapsed() const { return bounded() && hi - lo <= 1e-14 * std::fmax(std::fabs(hi), 1.0); }
    // A point inside: the midpoint, or a step away from the one finite end (doubling V on
    // the liquid side, a factor e on the vapour side).
    double inside(double x) const {
        if (bounded()) return 0.5 * (lo + hi);
        const double reach = liquid ? x : 1.0;
        return std::isfinite(lo) ? lo + reach : hi - reach;
    }
    // x lies beyond the branch: past its end on the far side of the search (the liquid
    // spinodal, the vapour one), or at or below the co-volume. The next trial.
    // A liquid point off the branch below a point of the branch under the target lies on
    // the branch's dense side (an equation whose isotherm turns up again there, as Duan's
    // water below 12 cm3/mol at 273 K, where its pressure goes negative).
    double beyond(double x, bool atCoVolume) {
        if (atCoVolume || !liquid || (hiRegular && x < hi)) {
            lo = x;
            loRegular = false;
        } else {
            hi = x;
            hiRegular = false;
        }
        return inside(x);
    }
    // A point of the branch with F and dF/dx: the Newton step, kept inside the bracket and
    // within a factor of 2 (liquid) or e^2 (vapour) in volume while unbounded. On the
    // vapour side, NaN when the tangent reaches the far bound beyond the branch: the branch
    // (concave in ln V) then holds no root. A liquid branch need not be convex all the way
    // to its spinodal (a multi-parameter equation's falls through an inflection towards
    // its loop, nitrogen's at 119 K from 52 to 75 cm3/mol): a tangent past the spinodal
    // says nothing there, and the search halves the bracket instead, ending at the
    // spinodal when the branch holds no root.
    double step(double x, double F, double dF) {
        (F > 0.0 ? lo : hi) = x;
        (F > 0.0 ? loRegular : hiRegular) = true;
        double next = x - F / dF;
        if (liquid && F > 0.0 && !hiRegular && std::isfinite(hi) && next >= hi)
            return 0.5 * (x + hi);
        const bool noRoot = !liquid && F < 0.0 && !loRegular && std::isfinite(lo) && next <= lo;
        if (noRoot) return std::numeric_limits<double>::quiet_NaN();
        if (!(next > lo && next < hi)) next = inside(x);
        if (liquid && !std::isfinite(hi)) next = std::fmin(next, 2.0 * x);
        if (!liquid && !bounded() && std::fabs(next - x) > 2.0) next = x + (next > x ? 2.0 : -2.0);
        return next;
    }
};

}  // namespace

bool FluidPhase::solveVolumeOnBranch(double V0, bool liquidBranch) {
    const double target = P;
    if (!(V0 > 0.0) || !std::isfinite(V0) || (!liquidBranch && !(target > 0.0))) return false;
    // Liquid branch: P(V) is convex and decreasing, Newton in V approaches the root from
    // below without passing it. Vapour branch: ln P is nearly linear in ln V (exactly so
    // for the ideal gas), Newton in ln V reaches it in a few steps.
    auto toV = [liquidBranch](double x) { return liquidBranch ? x : std::exp(x); };
    BranchSearch search(liquidBranch);
    double x = liquidBranch ? V0 : std::log(V0);
    // The last step is taken without evaluating again; the derivatives of the last
    // evaluation stand for the root's.
    auto converge = [&](double xLast, double F, double dF) {
        V = toV(xLast - F / dF);
        volume(V);
        Z = target * V / (gasConstant * T);
        dZdP = dPdV != 0.0 ? dZdV / dPdV : 0.0;
        return true;
    };
    double xLast = x, FLast = 0.0, dFLast = 1.0;
    // The pressures at the bracket's regular lower and upper ends.
    double Plower = std::numeric_limits<double>::infinity();
    double Pupper = -std::numeric_limits<double>::infinity();
    bool lastRegular = false;
    for (int iteration = 0; iteration < kBranchIterations && !search.collapsed(); ++iteration) {
        const double Vt = toV(x);
        double Pcalc = 0.0;
        const bool atCoVolume = isBelowCoVolume(Vt);
        bool regular = !atCoVolume && pressureAndSlopeAt(Vt, Pcalc) && dPdV < 0.0 &&
                       (liquidBranch || Pcalc > 0.0) && admitsVolume(T, Vt);
        // The liquid branch falls all the way: a falling point at a larger volume and a
        // higher pressure than one of the branch lies past a loop (a step that crossed the
        // loop onto the vapour branch, nitrogen's at 119 K from 58 to 100 cm3/mol).
        if (regular && liquidBranch && search.loRegular && x > search.lo && Pcalc >= Plower)
            regular = false;
        // So does the vapour branch: a falling point at a smaller volume and a lower pressure
        // than one of the branch lies past a loop (a long step from nitrogen's vapour at 115.7
        // K, 239 cm3/mol, across its loop near 97 onto the liquid branch).
        if (regular && !liquidBranch && search.hiRegular && x < search.hi && Pcalc <= Pupper)
            regular = false;
        lastRegular = regular;
        if (!regular) {
            x = search.beyond(x, atCoVolume);
            continue;
        }
        const double F = liquidBranch ? Pcalc - target : std::log(Pcalc / target);
        const double dF = liquidBranch ? dPdV : Vt * dPdV / Pcalc;
        if (F > 0.0) Plower = Pcalc;
        if (F < 0.0) Pupper = Pcalc;
        if (std::fabs(F / dF) <= kBranchTolerance * (liquidBranch ? x : 1.0) || F == 0.0)
            return converge(x, F, dF);
        xLast = x, FLast = F, dFLast = dF;
        x = search.step(x, F, dF);
        if (std::isnan(x)) return false;
    }
    // Closed in on a root between two states of the branch that straddle it: where the
    // model's pressure carries more rounding than the tolerance's share of a steep liquid
    // branch (HGK near 273 K at 0.01-1 bar, some 5e-3 Pa against 2e-3), the last step
    // cannot fall below the tolerance, yet the root is known to within the bracket; the
    // pressure it gives is checked by the caller against the one asked for.
    if (search.collapsed() && search.loRegular && search.hiRegular && lastRegular)
        return converge(xLast, FLast, dFLast);
    return false;
}

void FluidPhase::calculate_molar_volume() {
    error = 0;
    if (!std::isfinite(T) || !std::isfinite(P) || !(T > 0.0)) {
        error = 1;
        return;
    }
    TemperatureHold hold(*this);
    bindVolumeSolver(&FluidPhase::equationForCalculating_V_FromTP);
    calculate_fixed_parameters();

    bool ok = false;
    if (phase == 5) {
        ok = solveVolumeFrom(Vv0);
    } else {
        // From the selector's side first; where that branch has no root, the other side's.
        const bool liquidFirst = phase == 2;
        for (bool liquidSide : {liquidFirst, !liquidFirst}) {
            const VolumeStart start = volumeSearchStart(liquidSide);
            if ((ok = solveVolumeOnBranch(start.V, start.liquidBranch))) break;
        }
    }
    if (!ok) {
        // The former starts of the plain Newton search, kept as a last resort.
        if (phase == 1) {
            ok = solveVolumeFrom(Vv0) || solveVolumeFrom(4.5 * estimate_Vl0());
        } else if (phase == 2) {
            for (double retry : {1.7e-05, 1.8e-05, 2e-05, 2.2e-05})
                if ((ok = solveVolumeFrom(retry))) break;
        }
        // Every selector reports a search that found no volume, whether it retried or not.
        if (!ok) error = 1;
    }
    if (ok && phase == 2 && nc == 1) keepSmallestRoot();
    if (ok && !meetsTargetPressure()) error = 1;
}

void FluidPhase::keepSmallestRoot() {
    // A one-component equation may hold stretches of stable-looking states between its
    // spinodals (IUPAC methane at 92.4 K from 74 to 146 cm3/mol, where 0.1 bar has a root at
    // 100.2 beside the liquid's at 35.7), and a liquid start left near the critical volume by
    // an earlier solve, or beyond it, leads the liquid branch's search onto such a stretch or
    // onto the vapour. Down the isotherm from the root, a stable stretch beyond a loop that
    // reaches the pressure holds a denser root, solved from there; one whose own crossing
    // lies on a loop (its stable part all above the pressure) holds none, and the look goes
    // on below it. A root well below the fluid's critical volume estimate is a liquid: a
    // stiff one needs no look, and none is looked for below half its volume (IAPWS-95 at
    // 243 K holds a stable stretch above 2000 bar near 5.4 cm3/mol, beside the liquid's
    // 16.5). From any other root the look goes down to a quarter of that estimate (liquids
    // at their triple point lie at a third of their critical volume).
    const double target = P;
    const double steep = std::fmax(1e9, 100.0 * std::fabs(target));
    const bool liquid = Vcrit > 0.0 && V < 0.7 * Vcrit;
    if (liquid && -V * dPdV > steep) return;
    double root = V, from = V, Pfrom = target, slope = dPdV;
    const double Vfloor = liquid ? 0.5 * root : Vcrit > 0.0 ? 0.25 * Vcrit : 0.2 * root;
    for (int stretch = 0; stretch < 8; ++stretch) {
        double denser = 0.0;
        if (noDenserStretchReaches(from, Pfrom, slope, target, Vfloor, true, denser)) break;
        P = target;
        if (solveVolumeOnBranch(denser, true) && V < root) {
            root = from = V;
            Pfrom = target;
            slope = dPdV;
        } else if (pressureAndSlopeAt(denser, Pfrom)) {
            from = denser;
            slope = dPdV;
        } else {
            break;
        }
    }
    P = target;
    V = root;
    volume(root);
}

bool FluidPhase::meetsTargetPressure() {
    // A search may stop on a small step far from the root (a flat stretch of an isotherm
    // far below the triple point): the volume it returns is checked against the pressure
    // asked for. The allowance is relative, with a floor for the steep liquid branch where
    // the last digit of V moves P by V |dP/dV| times the rounding.
    const double target = P, Vroot = V;
    double Pcalc = 0.0;
    const bool evaluated = pressureAndSlopeAt(Vroot, Pcalc);
    P = target;
    if (!evaluated) return false;
    finishVolumeSolve();
    const double allowance = 1e-7 * std::fabs(target) + 1e-9 * std::fabs(Vroot * dPdV);
    return std::fabs(Pcalc - target) <= allowance;
}

// ------------------------------------------------------------------- T(V, P)

void FluidPhase::equationForCalculating_T_FromVP(double TK, double& f, double& df) {
    temperature(TK);
    pressure(P / 1e5);
    calculate_fixed_parameters();
    Z = 0.0;
    bool failed = false;
    forEachTerm(*this, [&](Interaction& term) {
        term.calculate_Z();
        if (term.error) failed = true;
        Z += term.Z;
    });
    if (!failed) {
        calculate_expansivity_derivative();
        forEachTerm(*this, [&](Interaction& term) { failed = failed || term.error != 0; });
    }
    if (failed) {
        equationError = 1;
        return;
    }
    f = TK * gasConstant * Z / V - P;
    df = (TK * dZdT + Z) * gasConstant / V;
}

void FluidPhase::calculate_temperature() {
    error = 0;
    NewtonRaphson& s = *volumeSolver;
    // The temperature solve borrows the volume solver; its binding and tolerance go back
    // afterwards so that later volume searches keep their own.
    const double savedTolerance = s.tolerance;
    bindVolumeSolver(&FluidPhase::equationForCalculating_T_FromVP);
    s.x0 = s.x1 = T;
    s.tolerance = 1e-10;
    const double root = s.solve();
    if (s.error != 0 || !std::isfinite(root)) {
        error = 1;
    } else {
        double f = 0.0, df = 0.0;
        equationForCalculating_T_FromVP(root, f, df);
        equationError = 0;
    }
    s.tolerance = savedTolerance;
    bindVolumeSolver(&FluidPhase::equationForCalculating_V_FromTP);
}

void FluidPhase::bindVolumeSolver(void (FluidPhase::*residual)(double, double&, double&)) {
    volumeSolver->equation = this;
    volumeSolver->function = static_cast<EquationFunctionWithDerivative>(residual);
}

// -------------------------------------------------------------------- printing

void FluidPhase::print_parameters(FILE* out) {
    forEachTerm(*this, [out](Interaction& term) { term.print_parameters(out); });
}

bool FluidPhase::hasStateToShow() const {
    if (!(T > 0.0) || !(V > 0.0) || !std::isfinite(T) || !std::isfinite(V) || nc < 1 ||
        x.size() != static_cast<size_t>(nc))
        return false;
    for (double xi : x)
        if (!std::isfinite(xi)) return false;
    return true;
}

void FluidPhase::print_parse_tree(FILE* out) {
    // A node holds what the term's last evaluation left, which may be any trial state of a
    // search: the values are those of the model's current (T, V, x), evaluated here.
    const bool haveState = hasStateToShow();
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            if (!haveState) {
                std::fputs("\nNo state is set: the values of the tree are not computed.\n", out);
                return;
            }
            vornex::cfprintf(out, "\nValues at T = %.10g K, V = %.10g cm3/mol", T, V * 1e6);
            for (int i = 0; i < nc && nc > 1; ++i)
                vornex::cfprintf(out, ", x%d = %.10g", i, x[static_cast<size_t>(i)]);
            std::fputs("\n", out);
        }
        forEachTerm(*this, [this, out, pass](Interaction& term) {
            if (term.root == nullptr) return;
            std::fputs("\n\n\n========================================================\n", out);
            if (!term.modelName.empty()) {
                vornex::cfprintf(out, "\t\t%s\n", term.modelName.c_str());
                std::fputs("========================================================\n\n", out);
            }
            if (pass == 0) {
                term.root->initialize_the_graph();
                term.root->check_pointers(out);
                term.root->printFormulas(out);
                return;
            }
            term.T = T;
            term.V = V;
            for (int i = 0; i < nc && i < term.nc; ++i)
                term.x[static_cast<size_t>(i)] = x[static_cast<size_t>(i)];
            term.parametersCurrent = 0;
            term.calculate();
            if (term.error) {
                std::fputs("No values: the term cannot be evaluated at this state.\n", out);
                return;
            }
            term.root->initialize_the_graph();
            term.root->printValues(out);
        });
    }
}

// --------------------------------------------------------------- A-table

double& FluidPhase::Aentry(int k) {
    static constexpr double FluidPhase::*members[Deriv::count] = {
        &FluidPhase::A,     &FluidPhase::Av,    &FluidPhase::Ax,    &FluidPhase::Axx,
        &FluidPhase::Avx,   &FluidPhase::Avv,   &FluidPhase::Axxx,  &FluidPhase::Avxx,
        &FluidPhase::Avvx,  &FluidPhase::Avvv,  &FluidPhase::Axxxx, &FluidPhase::Avxxx,
        &FluidPhase::Avvxx, &FluidPhase::Avvvx, &FluidPhase::Avvvv, &FluidPhase::AT,
        &FluidPhase::ATT,   &FluidPhase::ATv,   &FluidPhase::ATx,   &FluidPhase::ATvv,
        &FluidPhase::ATvx,  &FluidPhase::ATxx,  &FluidPhase::ATvvv, &FluidPhase::ATvvx,
        &FluidPhase::ATvxx, &FluidPhase::ATxxx, &FluidPhase::ATTv,  &FluidPhase::ATTvx,
        &FluidPhase::ATTvv, &FluidPhase::ATTxx};
    return this->*members[k < 0 || k >= Deriv::count ? 0 : k];
}

}  // namespace vornex

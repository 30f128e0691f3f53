#include "cubic/CubicBase.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "cubic/ClassicData.h"
#include "fluid/Ideal.h"
#include "numerics/LinearAlgebra.h"

namespace vornex {

bool positiveFinite(double v) {
    return std::isfinite(v) && v > 0.0;
}

ReducedCriticalPoint reducedCriticalPoint(double d1, double d2) {
    if (!(d1 < 1.0 && d2 < 1.0)) return {};
    // With q = (v - d1)(v - d2) and q' = dq/dv, dP/dV = 0 gives theta = q^2/((v - 1)^2 q')
    // and d2P/dV2 = 0 then E(v) = (v - 1)(q'^2 - q) - q' q = 0, negative at v = 1 and
    // growing as v^3: its root above 1 by bisection.
    const auto E = [&](double v) {
        const double q = (v - d1) * (v - d2), dq = 2.0 * v - d1 - d2;
        return (v - 1.0) * (dq * dq - q) - dq * q;
    };
    double lo = 1.0, hi = 2.0;
    while (E(hi) <= 0.0 && hi < 1e6) hi *= 2.0;
    if (!(E(hi) > 0.0)) return {};
    for (int k = 0; k < 200 && hi - lo > 4.0 * std::numeric_limits<double>::epsilon() * hi; ++k) {
        const double mid = 0.5 * (lo + hi);
        (E(mid) > 0.0 ? hi : lo) = mid;
    }
    const double v = 0.5 * (lo + hi);
    const double q = (v - d1) * (v - d2), dq = 2.0 * v - d1 - d2;
    return {q * q / ((v - 1.0) * (v - 1.0) * dq), v};
}

bool CubicBase::currentShape(CubicShape&) const {
    return false;
}

bool CubicBase::closedFormCriticalPoint(double& TK, double& Vm3) {
    CubicShape shape;
    if (nc < 1 || componentReady.size() != static_cast<size_t>(nc) ||
        std::find(componentReady.begin(), componentReady.end(), 0) != componentReady.end() ||
        componentCountRefused())
        return false;
    const double Tsaved = T;
    // a/(b R T) - theta at TK: from far above at low temperatures down through the critical
    // one, where the attraction still falls with T (it rises again only far above, past
    // the temperature where a Soave a(T) vanishes).
    auto excess = [&](double t, ReducedCriticalPoint& r) {
        temperature(t);
        refreshParameters();
        if (!currentShape(shape) || !(shape.b > 0.0)) return std::nan("");
        r = reducedCriticalPoint(shape.d1, shape.d2);
        return r.theta > 0.0 ? shape.a / (shape.b * kGasConstant * t) - r.theta : std::nan("");
    };
    ReducedCriticalPoint r;
    double lo = 1.0, hi = 0.0, flo = excess(lo, r), fhi = 0.0;
    for (double t = 1.1; t < 1e5 && std::isfinite(flo) && flo > 0.0; t *= 1.1) {
        fhi = excess(t, r);
        if (!(fhi > 0.0)) {
            hi = t;
            break;
        }
        lo = t;
        flo = fhi;
    }
    bool found = hi > 0.0 && std::isfinite(fhi);
    // Regula falsi with the Illinois halving of the end that stays.
    for (int k = 0, side = 0; found && k < 200 && hi - lo > 1e-15 * hi; ++k) {
        double t = (lo * fhi - hi * flo) / (fhi - flo);
        if (!(t > lo && t < hi)) t = 0.5 * (lo + hi);
        const double f = excess(t, r);
        if (!std::isfinite(f)) found = false;
        if (f == 0.0) lo = hi = t;
        if (f > 0.0) {
            lo = t;
            flo = f;
            if (side == 1) fhi *= 0.5;
            side = 1;
        } else {
            hi = t;
            fhi = f;
            if (side == -1) flo *= 0.5;
            side = -1;
        }
    }
    if (found) {
        TK = std::fabs(flo) < std::fabs(fhi) ? lo : hi;
        found = std::isfinite(excess(TK, r));
        Vm3 = r.v * shape.b - shape.shift;
    }
    temperature(Tsaved);
    if (positiveFinite(Tsaved)) refreshParameters();
    return found && positiveFinite(TK) && positiveFinite(Vm3);
}

CubicBase::CubicBase(int selector) : FluidPhase(0, 0, 0), departuresOnly_(true) {
    phase = selector;
    setIdealTerm(new Standard());
}

CubicBase::CubicBase(int nTerms, int selector, char extraTerm)
    : FluidPhase(nTerms, selector, extraTerm) {}

CubicBase::~CubicBase() = default;

bool CubicBase::givesHeatCapacities() const {
    return !departuresOnly_ && FluidPhase::givesHeatCapacities();
}

const char* CubicBase::whyNoHeatCapacities() const {
    if (!departuresOnly_) return FluidPhase::whyNoHeatCapacities();
    return "the model gives departure functions from the ideal gas at the same T and P (A, H, "
           "U, S, G); it holds no ideal-gas heat capacity, hence none of the whole fluid";
}

static bool isMolarMassKey(const char* key) {
    return std::strcmp(key, "mw") == 0 || std::strcmp(key, "M") == 0;
}

std::string componentFileName(const char* name) {
    if (name == nullptr) return "";
    static const char* const kShortNames[][2] = {{"C1", "CH4"}, {"C2", "C2H6"}};
    for (const auto& pair : kShortNames)
        if (std::strcmp(name, pair[0]) == 0) {
            ComponentFile probe(std::string("compo/") + name);
            if (!probe.isOpen()) return pair[1];
        }
    return name;
}

bool CubicBase::readComponentFile(int i, const char* name, const char* missingFormat,
                                  const double& Tc, const double& Pc,
                                  const std::vector<ComponentKey>& required,
                                  const std::vector<ComponentKey>& optional) {
    const auto u = static_cast<size_t>(i);
    componentReady[u] = 0;
    const std::string path = "compo/" + componentFileName(name);
    ComponentFile file(path);
    if (!file.isOpen()) {
        vornex::cfprintf(stderr, missingFormat, path.c_str());
        vornex::cfprintf(stderr, "%s: no data for %s; nothing will be computed\n", modelName.c_str(),
                     name ? name : "(null)");
        error = 1;
        return false;
    }
    for (const ComponentKey& k : required) *k.value = std::nan("");
    std::vector<ComponentKey> keys = required;
    keys.insert(keys.end(), optional.begin(), optional.end());
    file.readKeys(keys);
    if (file.refusedMolarMass()) {
        vornex::cfprintf(stderr, "%s: %s gives no usable molar mass; nothing will be computed\n",
                     modelName.c_str(), file.path().c_str());
        error = 1;
        return false;
    }
    // A molar mass the file gives must be positive, or every density follows its sign.
    const double* badMass = nullptr;
    for (const ComponentKey& k : keys)
        if (isMolarMassKey(k.key) && !std::isnan(*k.value) && !(*k.value > 0.0)) badMass = k.value;
    if (badMass != nullptr) {
        vornex::cfprintf(stderr,
                     "%s: %s gives the molar mass %g kg/mol, which is not positive; nothing will "
                     "be computed\n",
                     modelName.c_str(), file.path().c_str(), *badMass);
        error = 1;
        return false;
    }
    // Every key the file lacks, so that one reading says what the file needs.
    std::string missing;
    for (const ComponentKey& k : required)
        if (!std::isfinite(*k.value))
            missing += (missing.empty() ? "\"" : ", \"") + std::string(k.key) + "\"";
    if (!missing.empty()) {
        vornex::cfprintf(stderr, "%s: %s has no value for %s; nothing will be computed\n",
                     modelName.c_str(), file.path().c_str(), missing.c_str());
        error = 1;
        return false;
    }
    if (!positiveFinite(Tc) || !positiveFinite(Pc)) {
        vornex::cfprintf(stderr, "%s: %s gives no positive Tc and Pc; nothing will be computed\n",
                     modelName.c_str(), file.path().c_str());
        error = 1;
        return false;
    }
    componentReady[u] = 1;
    return true;
}

bool CubicBase::resizesTo(int n) {
    if (n < 1) {
        refuseComponentCountOf(n, "a fluid has at least one");
        return false;
    }
    if (n == nc && !componentCountRefused()) {
        // The set-up the fluid holds is taken again as it stands, until names follow: they
        // start it afresh (componentsStartAfresh).
        if (countRefused_) refusalReported_ = false;
        countRefused_ = false;
        FluidPhase::number_of_components(n);
        namesStartAfresh_ = true;
        return false;
    }
    return true;
}

void CubicBase::refuseComponentCountOf(int n, const char* why) {
    vornex::cfprintf(stderr, "%s: %d components refused (%s); nothing will be computed until a "
                 "component count is taken\n", modelName.c_str(), n, why);
    error = 1;
    countRefused_ = true;
    namesStartAfresh_ = false;
    // Said once for the refused count, not once for the fluid's life.
    refusalReported_ = true;
}

void CubicBase::number_of_components(int n) {
    if (!resizesTo(n)) return;
    countRefused_ = false;
    refusalReported_ = false;
    namesStartAfresh_ = false;
    FluidPhase::number_of_components(n);
    kaij.assign(static_cast<size_t>(n) * static_cast<size_t>(n), 0.0);
    componentReady.assign(static_cast<size_t>(n), 0);
}

void CubicBase::add_component(const char* name) {
    // The fluid's own restart (FluidPhase::add_component) reads the names again, each into
    // its row; what no name fills again is cleared first.
    if (namesStartAfresh_ && name != nullptr && nc >= 1) {
        namesStartAfresh_ = false;
        if (componentsAdded > 0) componentsStartAfresh();
    }
    FluidPhase::add_component(name);
}

void CubicBase::componentsStartAfresh() {
    namingTc = -1.0;
    namingVc = 0.0;
    namingComponent = -1;
    // Each component is ready again once its name has been read; the binary parameters are
    // those of the new names, from the zeros of a fresh fluid.
    componentReady.assign(static_cast<size_t>(nc), 0);
    kaij.assign(static_cast<size_t>(nc) * static_cast<size_t>(nc), 0.0);
    refusalReported_ = false;
}

void CubicBase::calculate_parameters_of_pure_components() {}
void CubicBase::calculate_mixing_parameters() {}

void CubicBase::refreshParameters() {
    calculate_parameters_of_pure_components();
    calculate_mixing_parameters();
}

bool CubicBase::prepareStateAtVolume() {
    if (evaluationRefused(false, true)) return false;
    refreshParameters();
    return true;
}

bool CubicBase::aboveCovolume(double volume, double covolume) {
    if (volume > covolume) return true;
    // At or below the covolume there is no fluid, hence no pressure.
    P = Z = 0.0;
    error = 1;
    return false;
}

bool CubicBase::isothermPoint(double Vm3, double& Pcalc, const IsothermAt& pressureAt) {
    volume(Vm3);
    if (evaluationRefused(false, true)) return false;
    refreshParameters();
    std::pair<double, double> at;
    if (!pressureAt(Vm3, at)) {
        // No state here: nothing of an earlier evaluation may pass for this volume's.
        Z = dZdV = dPdV = std::numeric_limits<double>::quiet_NaN();
        return false;
    }
    const double RT = kGasConstant * T;
    Pcalc = at.first;
    dPdV = at.second;
    Z = Pcalc * Vm3 / RT;
    dZdV = (Pcalc + Vm3 * dPdV) / RT;
    return std::isfinite(Pcalc) && std::isfinite(dPdV);
}

bool CubicBase::parametersAt(double TK) {
    if (!positiveFinite(TK)) {
        equationError = 1;
        return false;
    }
    temperature(TK);
    refreshParameters();
    return true;
}

void CubicBase::setSymmetric(std::vector<double>& matrix, int i, int j, double k,
                             const char* operation) {
    if (!validComponent(i, operation) || !validComponent(j, operation)) return;
    matrix[static_cast<size_t>(i * nc + j)] = matrix[static_cast<size_t>(j * nc + i)] = k;
}

void CubicBase::set_binary_interaction_kaij(int i, int j, double k) {
    setSymmetric(kaij, i, j, k, "set_binary_interaction_kaij");
}

bool CubicBase::prepareVolumeSearch() {
    error = 0;
    if (evaluationRefused(true, false)) return false;
    refreshParameters();
    return true;
}

void CubicBase::applyClassicKaij() {
    for (int i = 0; i < nc; ++i)
        for (int j = i + 1; j < nc; ++j)
            set_binary_interaction_kaij(i, j,
                                        classicKaij(componentName[static_cast<size_t>(i)],
                                                    componentName[static_cast<size_t>(j)]));
}

bool CubicBase::criticalConstantsOf(int i, const std::vector<double>& TcK,
                                    const std::vector<double>& PcPa,
                                    const std::vector<double>& omega, double& T, double& P,
                                    double& w) const {
    const auto u = static_cast<size_t>(i);
    if (i < 0 || u >= TcK.size() || u >= PcPa.size() || u >= omega.size()) return false;
    if (!(TcK[u] > 0.0 && PcPa[u] > 0.0 && std::isfinite(TcK[u]) && std::isfinite(PcPa[u]) &&
          std::isfinite(omega[u])))
        return false;
    T = TcK[u];
    P = PcPa[u];
    w = omega[u];
    return true;
}

bool CubicBase::evaluationRefused(bool needsP, bool needsV) {
    const char* why = nullptr;
    if (countRefused_ || componentCountRefused())
        why = "the component count it was given last was refused";
    else if (nc < 1 || componentReady.size() != static_cast<size_t>(nc))
        why = "no components declared";
    else if (std::find(componentReady.begin(), componentReady.end(), 0) != componentReady.end())
        why = "a component has no data (the keys its file lacks were said when it was read)";
    else if (!positiveFinite(T))
        why = "the temperature is not a positive number";
    else if (needsP && !positiveFinite(P))
        why = "the pressure is not a positive number";
    else if (needsV && !positiveFinite(V))
        why = "the volume is not a positive number";
    else if (!positiveFinite(OmegaA) || !positiveFinite(OmegaB))
        why = "the cubic's constants are not set";
    if (why == nullptr) return false;
    error = 1;
    if (!refusalReported_) {
        vornex::cfprintf(stderr, "%s: nothing computed, %s\n", modelName.c_str(), why);
        refusalReported_ = true;
    }
    return true;
}

std::vector<double> CubicBase::rootsAbove(double* g, double B) {
    double roots[3];
    int count = 0;
    degree3(g, count, roots);
    std::vector<double> kept;
    for (int r = 0; r < count; ++r)
        if (roots[r] > B) kept.push_back(roots[r]);
    std::sort(kept.begin(), kept.end());
    return kept;
}

bool CubicBase::takeRoot(const std::vector<double>& kept, double& Zroot) {
    if (kept.size() == 1) {
        Zroot = kept[0];
        return true;
    }
    if (!kept.empty() && (phase == 1 || phase == 2)) {
        Zroot = phase == 1 ? kept.back() : kept.front();
        return true;
    }
    error = 1;
    if (kept.empty())
        vornex::cfprintf(stderr, "%s: no volume above the covolume at %lg K, %lg Pa\n",
                     modelName.c_str(), T, P);
    else
        vornex::cfprintf(stderr, "%s: phase selector %d chooses none of %d volumes at %lg K\n",
                     modelName.c_str(), phase, static_cast<int>(kept.size()), T);
    return false;
}

void CubicBase::searchPseudoCriticalPoint(Secant& solver, double& Tc, double& Pc, double& Vc,
                                          const CriticalValues& valuesAt) {
    Tc = Pc = Vc = 0.0;
    error = 0;
    const double Tsaved = T;
    // The search sets its own temperatures; the fluid need not hold one.
    if (!positiveFinite(T)) temperature(300.0);
    if (!evaluationRefused(false, false)) {
        const double root = solver.solve();
        if (solver.error != 0 || !positiveFinite(root)) {
            error = 1;
            vornex::cfprintf(stderr,
                         "%s: pseudo-critical temperature not found (solver code %d, last %lg K)\n",
                         modelName.c_str(), solver.error, root);
        } else {
            temperature(root);
            refreshParameters();
            valuesAt(root, Pc, Vc);
            Tc = root;
        }
    }
    temperature(Tsaved);
    if (positiveFinite(Tsaved)) refreshParameters();
}

}  // namespace vornex

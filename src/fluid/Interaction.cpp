#include "fluid/Interaction.h"

#include <cstdarg>
#include <cstdio>
#include <limits>
#include <utility>

#include "expression/Expression.h"

namespace vornex {

Interaction::~Interaction() {
    Expression::clearVarbox(this);
}

void Interaction::number_of_components(int count) {
    if (count < 1) return;
    nc = count;
    const auto n = static_cast<size_t>(count);
    x.assign(n, 0.0);
    mu.assign(n, 0.0);
    dmudT.assign(n, 0.0);
    dmudV.assign(n, 0.0);
    dmudP.assign(n, 0.0);
    dmudx.assign(n, std::vector<double>(n, 0.0));
    dax.assign(n, 0.0);
    dZdx.assign(n, 0.0);
    d2aTx.assign(n, 0.0);
    d2aVx.assign(n, 0.0);
    d2axx.clear();
    for (size_t i = 0; i < n; ++i) d2axx.emplace_back(i + 1, 0.0);
    box.assign(n + 2, 0.0);
    if (count == 1) x[0] = 1.0;
}

void Interaction::calculate_fixed_parameters() {}
void Interaction::calculate_volume_dependent_parameters() {}
void Interaction::calculate_high_order_parameters() {}

void Interaction::calculate_the_leaves(double* values) {
    T = values[0];
    V = values[1];
    for (int i = 0; i < nc; ++i) x[static_cast<size_t>(i)] = values[i + 2];
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
    calculate_high_order_parameters();
}

double Interaction::getVolumeMinimum() {
    return 0.0;
}

void Interaction::print_parameters(FILE*) {}

void Interaction::setModelName(const char* name) {
    modelName = name ? name : "";
}

void Interaction::composition(double x0, ...) {
    if (nc < 1) return;
    va_list args;
    va_start(args, x0);
    x = variadicDoubles(x0, args, nc);
    va_end(args);
}

void Interaction::assignVariables() {
    if (root == nullptr || box.size() != static_cast<size_t>(nc) + 2) return;
    box[0] = T;
    box[1] = V;
    for (int i = 0; i < nc; ++i) box[static_cast<size_t>(i) + 2] = x[static_cast<size_t>(i)];
    root->initialize_the_graph();
    root->set_variable_values(box.data());
    Expression::sError = 0;
}

bool Interaction::prepare(bool fixed, bool volumeDependent, bool highOrder) {
    error = 0;
    if (root == nullptr) {
        // A term without a graph (a plain ideal-gas term that carries nothing) adds nothing:
        // its contributions stay zero and the fluid's evaluation goes on.
        clearContributions();
        return false;
    }
    if (nc < 1 || root->numberOfVariables() != nc + 2) {
        // A graph sized for another component count cannot be read without running off
        // its tables.
        error = 1;
        return false;
    }
    // A term that rebuilds or resizes its graph has it analysed again before its first use,
    // and the walk that hands the graph the variable values is kept for graphs whose nodes
    // read them.
    if (analysedRoot_ != root || analysedSize_ != nc + 2) {
        root->analyze_dependencies();
        analysedRoot_ = root;
        analysedSize_ = nc + 2;
        readsVariables_ = true;
        assignVariables();
        Expression::sVariablesRead = false;
        root->set_variable_values(box.data());
        readsVariables_ = Expression::sVariablesRead;
    }
    // Every node is made stale when the evaluation starts (EvaluationClock), not by a walk.
    box[0] = T;
    box[1] = V;
    for (int i = 0; i < nc; ++i) box[static_cast<size_t>(i) + 2] = x[static_cast<size_t>(i)];
    if (readsVariables_) root->set_variable_values(box.data());
    Expression::sError = 0;
    if (fixed) calculate_fixed_parameters();
    if (volumeDependent) calculate_volume_dependent_parameters();
    if (highOrder) calculate_high_order_parameters();
    return true;
}

void Interaction::clearContributions() {
    P = Z = dZdV = dZdT = d2ZdT2 = d2ZdTdV = d2ZdV2 = 0.0;
    daT = daV = d2aVV = d2aTV = 0.0;
    for (double& entry : table) entry = 0.0;
    for (auto* v : {&mu, &dmudT, &dmudV, &dmudP, &dax, &dZdx, &d2aTx, &d2aVx})
        for (double& value : *v) value = 0.0;
    for (auto* m : {&dmudx, &d2axx})
        for (auto& row : *m)
            for (double& value : row) value = 0.0;
}

bool Interaction::evaluate(int order, int var) {
    ++evaluations;
    EvaluationClock::beginEvaluation(order, var, holding_ ? heldEpoch() : 0);
    if (var >= 0)
        root->calculate(order, var);
    else
        root->calculate(order);
    EvaluationClock::endEvaluation();
    if (Expression::sError != 0) {
        error = 1;
        return false;
    }
    return true;
}

bool Interaction::StateKey::matches(const Interaction& term, bool withVolume) const {
    if (term.T != T || (withVolume && term.V != V) || x != term.x) return false;
    return !term.readsFugacityMode() || term.fugacityFlag == fugacityMode;
}

void Interaction::StateKey::take(const Interaction& term) {
    T = term.T;
    V = term.V;
    fugacityMode = term.fugacityFlag;
    x = term.x;
}

void Interaction::holdFixedTemperature(bool on) {
    holding_ = on;
    heldEpoch_ = 0;
    lastValid_ = false;
}

uint64_t Interaction::heldEpoch() {
    if (heldEpoch_ == 0 || !heldKey_.matches(*this, false)) {
        heldEpoch_ = EvaluationClock::newEpoch();
        heldKey_.take(*this);
    }
    return heldEpoch_;
}

bool Interaction::reusable(bool highOrder, int order, int var) const {
    if (!holding_ || !lastValid_ || (highOrder && !lastHighOrder_)) return false;
    if (!lastKey_.matches(*this, true)) return false;
    if (lastVar_ < 0) return lastOrder_ >= order;
    return var == lastVar_ && lastOrder_ >= order;
}

bool Interaction::run(bool fixed, bool volumeDependent, bool highOrder, int order, int var) {
    // An evaluation that ran every hook at this very state stands in for one it covers.
    if (root != nullptr && reusable(highOrder, order, var)) {
        error = 0;
        return true;
    }
    lastValid_ = false;
    if (!prepare(fixed, volumeDependent, highOrder) || !evaluate(order, var)) return false;
    if (holding_ && fixed && volumeDependent) {
        lastValid_ = true;
        lastKey_.take(*this);
        lastHighOrder_ = highOrder;
        lastOrder_ = order;
        lastVar_ = var;
    }
    return true;
}

void Interaction::calculate_Z() {
    if (!run(true, true, false, 2, 1)) return;
    table[Deriv::a] = root->value();
    daV = root->d1(1);
    d2aVV = root->d2(1, 1);
    Z = -V * daV;
    dZdV = -daV - V * d2aVV;
    P = gasConstant * Z * T / V;
}

void Interaction::calculate_Z_alone() {
    if (!run(true, true, false, 1, 1)) return;
    table[Deriv::a] = root->value();
    daV = root->d1(1);
    // Not evaluated: nothing of an earlier state may pass for this one's.
    d2aVV = dZdV = std::numeric_limits<double>::quiet_NaN();
    Z = -V * daV;
    P = gasConstant * Z * T / V;
}

namespace {
// The nine entries the state-function evaluations copy: value, T and V derivatives to the
// third order in V and the second in T.
void copyStateEntries(Expression& r, double* table) {
    table[Deriv::a] = r.value();
    table[Deriv::a_T] = r.d1(0);
    table[Deriv::a_V] = r.d1(1);
    table[Deriv::a_TT] = r.d2(0, 0);
    table[Deriv::a_TV] = r.d2(1, 0);
    table[Deriv::a_VV] = r.d2(1, 1);
    table[Deriv::a_TTV] = r.d3(1, 0, 0);
    table[Deriv::a_TVV] = r.d3(1, 1, 0);
    table[Deriv::a_VVV] = r.d3(1, 1, 1);
}
}  // namespace

void Interaction::storeStateEntries() {
    copyStateEntries(*root, table);
    daT = table[Deriv::a_T];
    daV = table[Deriv::a_V];
    d2aVV = table[Deriv::a_VV];
    d2aTV = table[Deriv::a_TV];
    P = -gasConstant * T * daV;
}

void Interaction::calculate_state_functions() {
    if (!run(true, true, false, 3)) return;
    storeStateEntries();
    Z = -V * daV;
}

double Interaction::thirdTemperatureDerivative() {
    return root != nullptr ? root->d3(0, 0, 0) : std::numeric_limits<double>::quiet_NaN();
}

void Interaction::stateFromEntries() {
    daT = table[Deriv::a_T];
    daV = table[Deriv::a_V];
    d2aVV = table[Deriv::a_VV];
    d2aTV = table[Deriv::a_TV];
    P = -gasConstant * T * daV;
    Z = -V * daV;
}

void Interaction::calculate() {
    if (!run(true, true, true, 4)) return;
    storeStateEntries();
}

void Interaction::calculate_expansivity_derivative() {
    if (!run(false, false, true, 3)) return;
    const Expression& r = *root;
    const double aV = r.d1(1), aVV = r.d2(1, 1), aTV = r.d2(1, 0);
    Z = -V * aV;
    P = gasConstant * Z * T / V;
    dZdV = -aV - V * aVV;
    dZdT = -V * aTV;
    d2ZdV2 = -2.0 * aVV - V * r.d3(1, 1, 1);
    d2ZdT2 = -V * r.d3(1, 0, 0);
    d2ZdTdV = -aTV - V * r.d3(1, 1, 0);
}

void Interaction::calculate_fugacities() {
    fugacityFlag = 1;
    const bool ready = run(true, true, false, 2);
    fugacityFlag = 0;
    if (!ready) return;
    const Expression& r = *root;
    const double a = r.value();
    daT = r.d1(0);
    daV = r.d1(1);
    d2aVV = r.d2(1, 1);
    d2aTV = r.d2(1, 0);
    table[Deriv::a] = a;
    table[Deriv::a_T] = daT;
    table[Deriv::a_V] = daV;
    table[Deriv::a_TT] = r.d2(0, 0);
    table[Deriv::a_TV] = d2aTV;
    table[Deriv::a_VV] = d2aVV;
    for (int i = 0; i < nc; ++i) {
        const auto ui = static_cast<size_t>(i);
        dax[ui] = r.d1(i + 2);
        d2aTx[ui] = r.d2(i + 2, 0);
        d2aVx[ui] = r.d2(i + 2, 1);
        for (int j = 0; j <= i; ++j) d2axx[ui][static_cast<size_t>(j)] = r.d2(i + 2, j + 2);
    }
    fugacitiesFromDerivatives();
}

void Interaction::fugacitiesFromDerivatives() {
    const double a = table[Deriv::a];
    Z = -V * daV;
    dZdT = -V * d2aTV;
    dZdV = -daV - V * d2aVV;
    P = gasConstant * Z * T / V;

    double sx = 0.0, sTx = 0.0, sVx = 0.0;
    for (int j = 0; j < nc; ++j) {
        const auto uj = static_cast<size_t>(j);
        sx += x[uj] * dax[uj];
        sTx += x[uj] * d2aTx[uj];
        sVx += x[uj] * d2aVx[uj];
        dZdx[uj] = -V * d2aVx[uj];
    }
    // The term's own dP/dV; a term without volume dependence has none to divide by.
    const double q = (gasConstant * T * dZdV - P) / V;
    auto axx = [this](int i, int j) {
        return i >= j ? d2axx[static_cast<size_t>(i)][static_cast<size_t>(j)]
                      : d2axx[static_cast<size_t>(j)][static_cast<size_t>(i)];
    };
    for (int i = 0; i < nc; ++i) {
        const auto ui = static_cast<size_t>(i);
        mu[ui] = dax[ui] - sx + a + Z;
        dmudT[ui] = d2aTx[ui] - sTx + daT + dZdT;
        dmudV[ui] = d2aVx[ui] - sVx + daV + dZdV;
        dmudP[ui] = q != 0.0 ? dmudV[ui] / q : 0.0;
        for (int j = 0; j < nc; ++j) {
            double s = 0.0;
            for (int k = 0; k < nc; ++k) s += x[static_cast<size_t>(k)] * axx(j, k);
            dmudx[ui][static_cast<size_t>(j)] = axx(i, j) - s + dZdx[static_cast<size_t>(j)];
        }
    }
}

void Interaction::calculatePureFugacityInVolume() {
    fugacityFlag = 1;
    const bool ready = run(true, true, false, 2, 1);
    fugacityFlag = 0;
    if (!ready) return;
    const Expression& r = *root;
    table[Deriv::a] = r.value();
    daV = r.d1(1);
    d2aVV = r.d2(1, 1);
    Z = -V * daV;
    dZdV = -daV - V * d2aVV;
    P = gasConstant * Z * T / V;
    if (nc == 1) {
        mu[0] = table[Deriv::a] + Z;
        dmudV[0] = daV + dZdV;
    }
}

namespace {
// Derivative of the root over a multiset of variable indices (at most four), in any order.
double rootDerivative(const Expression& r, int* idx, int order) {
    // Non-increasing order, as the derivative tables store each index set.
    for (int i = 1; i < order; ++i)
        for (int j = i; j > 0 && idx[j] > idx[j - 1]; --j) std::swap(idx[j], idx[j - 1]);
    switch (order) {
        case 0:
            return r.value();
        case 1:
            return r.d1(idx[0]);
        case 2:
            return r.d2(idx[0], idx[1]);
        case 3:
            return r.d3(idx[0], idx[1], idx[2]);
        default:
            return r.d4(idx[0], idx[1], idx[2], idx[3]);
    }
}

constexpr int kBinomial[5][5] = {
    {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 2, 1, 0, 0}, {1, 3, 3, 1, 0}, {1, 4, 6, 4, 1}};
}  // namespace

double Interaction::entryFromRoot(int k) const {
    const int nT = kDerivCounts[k][0], nV = kDerivCounts[k][1], nx = kDerivCounts[k][2];
    if (nx > 0 && nc != 2) return 0.0;
    // (d/dx_1 - d/dx_0)^nx: the binomial sum over how many of the nx derivatives fall on x_1.
    double sum = 0.0;
    for (int m = 0; m <= nx; ++m) {
        int idx[4];
        int order = 0;
        for (int i = 0; i < nT; ++i) idx[order++] = 0;
        for (int i = 0; i < nV; ++i) idx[order++] = 1;
        for (int i = 0; i < m; ++i) idx[order++] = 3;
        for (int i = 0; i < nx - m; ++i) idx[order++] = 2;
        const double sign = (nx - m) % 2 == 0 ? 1.0 : -1.0;
        sum += sign * kBinomial[nx][m] * rootDerivative(*root, idx, order);
    }
    return sum;
}

void Interaction::criticalTable(int order, bool highOrderHook, const int* entries, int count) {
    if (!run(true, true, highOrderHook, order)) return;
    for (int e = 0; e < count; ++e) table[entries[e]] = entryFromRoot(entries[e]);
}

void Interaction::calculate_critical_parameters() {
    static constexpr int all[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                  15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    criticalTable(4, true, all, 30);
}

void Interaction::calculate_third_order_critical_parameters() {
    static constexpr int third[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 18, 19, 20, 21};
    criticalTable(3, true, third, 17);
}

void Interaction::calculate_second_order_critical_parameters() {
    static constexpr int second[] = {0, 1, 2, 3, 4, 5, 15, 17, 18};
    criticalTable(2, true, second, 9);
}

void Interaction::calculate_critical_parameters_of_pure_fluid() {
    static constexpr int pure[] = {Deriv::a,     Deriv::a_V,    Deriv::a_VV,
                                   Deriv::a_VVV, Deriv::a_VVVV, Deriv::a_T,
                                   Deriv::a_TV,  Deriv::a_TVV,  Deriv::a_TVVV};
    criticalTable(4, true, pure, 9);
}

}  // namespace vornex

#include "expression/VarF.h"

#include <algorithm>

namespace vornex {

void VarF::set_variable_values(double* v) {
    Expression::sVariablesRead = true;
    if (firstIndex < 0) return;
    if (numberOfVariables() > 0 && endIndex > numberOfVariables()) return;
    std::copy(v + firstIndex, v + endIndex, composition.begin());
}

void VarF::setComposition(int n) {
    numberOfXVariables = std::max(n, 0);
    composition.assign(numberOfXVariables, 0.0);
    endIndex = firstIndex + numberOfXVariables;
}

void VarF::setStartingIndex(int s) {
    firstIndex = s;
    endIndex = s + numberOfXVariables;
}

bool VarF::inCurrentSet(int var) const {
    for (int t = 0; t < factorCount_; ++t) {
        if (factors_[t].variable == var) return true;
    }
    return false;
}

void VarF::select(const int* indices, short code) {
    value() = 0.0;
    if (factorCount_ > 0) visitEntries(std::min(degree_, allocatedOrder()), false);
    factorCount_ = 0;
    std::copy(indices, indices + degree_, indices_);
    code_ = code < 0 || code >= (1 << (degree_ - 1)) ? 0 : code;
    // Position p repeats the index before it unless the code's digit for the pair (p-1, p)
    // says it is strictly smaller; a code outside the table thus reads as all-equal.
    int chosen[kMaxDegree];
    for (int p = 0; p < degree_; ++p) {
        const bool fresh = p == 0 || ((code_ >> (degree_ - 1 - p)) & 1);
        chosen[p] = fresh ? indices_[p] : chosen[p - 1];
        if (chosen[p] < 0 || chosen[p] >= numberOfXVariables) return;  // nothing selected
    }
    // Non-increasing order; at most five entries, so insertion sort (std::sort on a
    // run-time length here trips a false array-bounds warning in GCC 12).
    for (int p = 1; p < degree_; ++p) {
        for (int q = p; q > 0 && chosen[q - 1] < chosen[q]; --q)
            std::swap(chosen[q - 1], chosen[q]);
    }
    for (int p = 0; p < degree_; ++p) {
        if (factorCount_ > 0 && factors_[factorCount_ - 1].variable == firstIndex + chosen[p]) {
            ++factors_[factorCount_ - 1].multiplicity;
        } else {
            factors_[factorCount_++] = {firstIndex + chosen[p], 1, composition[chosen[p]]};
        }
    }
    if (numberOfVariables() > 0 && factors_[0].variable >= numberOfVariables()) factorCount_ = 0;
}

void VarF::evaluate(int order) {
    const int wanted = order < 0 || order > kMaxDerivativeOrder ? kMaxDerivativeOrder : order;
    double m = factorCount_ > 0 ? 1.0 : 0.0;
    for (int t = 0; t < factorCount_; ++t) {
        for (int r = 0; r < factors_[t].multiplicity; ++r) m *= factors_[t].value;
    }
    value() = m;
    if (factorCount_ > 0) visitEntries(std::min({wanted, degree_, allocatedOrder()}), true);
}

void VarF::visitEntries(int maxOrder, bool write) {
    if (maxOrder < 1) return;
    int chosen[kMaxDegree] = {};
    visitFrom(0, 0, maxOrder, chosen, write);
}

// chosen[t] occurrences of factor t taken so far; size is their sum.
void VarF::visitFrom(int factor, int size, int maxOrder, int* chosen, bool write) {
    if (factor < factorCount_) {
        for (int r = 0; r <= factors_[factor].multiplicity && size + r <= maxOrder; ++r) {
            chosen[factor] = r;
            visitFrom(factor + 1, size + r, maxOrder, chosen, write);
        }
        chosen[factor] = 0;
        return;
    }
    if (size < 1) return;
    int index[kMaxDerivativeOrder];
    int p = 0;
    double coefficient = 1.0;
    for (int t = 0; t < factorCount_; ++t) {
        const Factor& f = factors_[t];
        for (int r = 0; r < chosen[t]; ++r) {
            index[p++] = f.variable;
            coefficient *= f.multiplicity - r;  // m!/(m - r)!
        }
        for (int r = chosen[t]; r < f.multiplicity; ++r) coefficient *= f.value;
    }
    const TensorLayout& L = layout();
    int position = 0;
    switch (size) {
        case 1:
            position = L.at(index[0]);
            break;
        case 2:
            position = L.at(index[0], index[1]);
            break;
        case 3:
            position = L.at(index[0], index[1], index[2]);
            break;
        default:
            position = L.at(index[0], index[1], index[2], index[3]);
            break;
    }
    block()[position] = write ? coefficient : 0.0;
}

void VarX2::components(int i, int j, short code) {
    const int s[] = {i, j};
    select(s, code);
}

void VarX3::components(int i, int j, int k, short code) {
    const int s[] = {i, j, k};
    select(s, code);
}

void VarX4::components(int i, int j, int k, int l, short code) {
    const int s[] = {i, j, k, l};
    select(s, code);
}

void VarX5::components(int i, int j, int k, int l, int m, short code) {
    const int s[] = {i, j, k, l, m};
    select(s, code);
}

}  // namespace vornex

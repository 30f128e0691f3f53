#include "expression/SeparableNode.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace vornex {

namespace {

// Partial Bell polynomials B[p][i] of the pure derivatives w[1..4] of one child.
void bellTable(const double* w, int order, double B[5][5]) {
    for (int p = 0; p < 5; ++p)
        for (int i = 0; i < 5; ++i) B[p][i] = 0.0;
    B[0][0] = 1.0;
    if (order >= 1) B[1][1] = w[1];
    if (order >= 2) B[2][1] = w[2], B[2][2] = w[1] * w[1];
    if (order >= 3) B[3][1] = w[3], B[3][2] = 3.0 * w[1] * w[2], B[3][3] = w[1] * w[1] * w[1];
    if (order >= 4) {
        B[4][1] = w[4];
        B[4][2] = 4.0 * w[1] * w[3] + 3.0 * w[2] * w[2];
        B[4][3] = 6.0 * w[1] * w[1] * w[2];
        B[4][4] = w[1] * w[1] * w[1] * w[1];
    }
}

}  // namespace

// The one variable each child depends on (-1: none), read at every evaluation since an
// owner may set the leaves' dependencies after the graph was analysed; false, with sError
// set and the fault reported once, when a child depends on more than one or both on the
// same.
bool SeparableNode::locateVariables() {
    varU_ = varV_ = -1;
    const int n = numberOfVariables();
    int countU = 0, countV = 0;
    for (int i = 0; i < n; ++i) {
        if (u->isDependent(i)) varU_ = i, ++countU;
        if (v->isDependent(i)) varV_ = i, ++countV;
    }
    if (countU <= 1 && countV <= 1 && (varU_ < 0 || varU_ != varV_)) return true;
    if (!reported_) {
        vornex::cfprintf(stderr,
                     "Error : \"%s\" needs children that depend on one variable each, and not "
                     "the same.\n",
                     label());
        reported_ = true;
    }
    sError = 1;
    return false;
}

// Where d^(p+q) / du^p dv^q goes in the block, for the variables and the order of this
// evaluation; kept while they and the number of variables hold.
void SeparableNode::locatePositions(int k) {
    const int n = numberOfVariables();
    if (positionsFor_[0] == varU_ && positionsFor_[1] == varV_ && positionsFor_[2] == k &&
        positionsFor_[3] == n)
        return;
    const int hi = std::max(varU_, varV_), lo = std::min(varU_, varV_);
    for (int p = 0; p <= k; ++p)
        for (int q = 0; p + q <= k; ++q) {
            if (p + q == 0 || (p > 0 && varU_ < 0) || (q > 0 && varV_ < 0)) continue;
            int idx[kMaxDerivativeOrder];
            int m = 0;
            const int nHi = hi == varU_ ? p : q, nLo = p + q - nHi;
            for (int r = 0; r < nHi; ++r) idx[m++] = hi;
            for (int r = 0; r < nLo; ++r) idx[m++] = lo;
            int pos = 0;
            switch (m) {
                case 1:
                    pos = layout().at(idx[0]);
                    break;
                case 2:
                    pos = layout().at(idx[0], idx[1]);
                    break;
                case 3:
                    pos = layout().at(idx[0], idx[1], idx[2]);
                    break;
                default:
                    pos = layout().at(idx[0], idx[1], idx[2], idx[3]);
                    break;
            }
            positions_[p][q] = pos;
        }
    positionsFor_[0] = varU_;
    positionsFor_[1] = varV_;
    positionsFor_[2] = k;
    positionsFor_[3] = n;
}

void SeparableNode::calculate(int order) {
    if (!linked() || computed) return;
    u->calculate(order);
    v->calculate(order);
    if (!locateVariables()) {
        computed = true;
        return;
    }
    const int k = usableOrder(order);
    const int kU = varU_ >= 0 ? k : 0, kV = varV_ >= 0 ? k : 0;
    double f[5][5];
    partials(u->value(), v->value(), kU, kV, f);
    value() = f[0][0];
    if (k < 1) {
        computed = true;
        return;
    }
    double wu[5] = {0, 0, 0, 0, 0}, wv[5] = {0, 0, 0, 0, 0};
    int pu[kMaxDerivativeOrder + 1], pv[kMaxDerivativeOrder + 1];
    if (kU > 0) {
        layout().diagonals(varU_, kU, pu);
        for (int p = 1; p <= kU; ++p) wu[p] = u->block()[pu[p]];
    }
    if (kV > 0) {
        layout().diagonals(varV_, kV, pv);
        for (int q = 1; q <= kV; ++q) wv[q] = v->block()[pv[q]];
    }
    double BU[5][5], BV[5][5];
    bellTable(wu, kU, BU);
    bellTable(wv, kV, BV);
    locatePositions(k);
    double* out = block();
    for (int p = 0; p <= kU; ++p) {
        for (int q = 0; q <= kV && p + q <= k; ++q) {
            if (p + q == 0) continue;
            double s = 0.0;
            for (int i = p > 0 ? 1 : 0; i <= p; ++i)
                for (int j = q > 0 ? 1 : 0; j <= q; ++j) s += f[i][j] * BU[p][i] * BV[q][j];
            out[positions_[p][q]] = s;
        }
    }
    computed = true;
}

void SeparableNode::calculate(int order, int var) {
    if (!linked() || computed) return;
    u->calculate(order, var);
    v->calculate(order, var);
    if (!locateVariables()) {
        computed = true;
        return;
    }
    const bool alongU = var == varU_ && var >= 0, alongV = var == varV_ && var >= 0;
    const int k = alongU || alongV ? usableOrder(order) : 0;
    double f[5][5];
    partials(u->value(), v->value(), alongU ? k : 0, alongV ? k : 0, f);
    value() = f[0][0];
    if (k >= 1) {
        Expression* child = alongU ? u : v;
        int p[kMaxDerivativeOrder + 1];
        layout().diagonals(var, k, p);
        double w[5] = {0, 0, 0, 0, 0};
        for (int r = 1; r <= k; ++r) w[r] = child->block()[p[r]];
        double B[5][5];
        bellTable(w, k, B);
        for (int r = 1; r <= k; ++r) {
            double s = 0.0;
            for (int i = 1; i <= r; ++i) s += (alongU ? f[i][0] : f[0][i]) * B[r][i];
            block()[p[r]] = s;
        }
    }
    computed = true;
}

std::string SeparableNode::exact(double x) {
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, x);
    return std::string(text, r.ptr);
}

void SeparableNode::printTerm(FILE* f, const std::string& name, const std::string& formula) const {
    sMargin += 4;
    printMargin(f);
    sMargin -= 4;
    vornex::cfprintf(f, "%s = %s\n", name.c_str(), formula.c_str());
}

}  // namespace vornex

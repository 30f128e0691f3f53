#include "anderko/Dispersion0.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "expression/Function.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

std::string indexName(const char* stem, std::initializer_list<int> indices) {
    std::string name = stem;
    name += " (";
    bool first = true;
    for (int i : indices) {
        if (!first) name += ",";
        name += std::to_string(i);
        first = false;
    }
    return name + ")";
}

// The leaf depends on variable `var` alone.
void dependOnlyOn(Leaf& leaf, int var) {
    for (int i = 0; i < leaf.numberOfVariables(); ++i) leaf.setDependent(i, i == var);
}

// c / x^p and its pure derivatives in `var`, up to the leaf's allocated order:
// the k-th is c (-1)^k p (p+1) ... (p+k-1) / x^(p+k).
void writeInversePower(Leaf& leaf, int var, double c, double x, int p) {
    const int order = leaf.allocatedOrder();
    const double r = 1.0 / x;
    double d = c * std::pow(r, p);
    leaf.value() = d;
    if (order >= 1) leaf.d1(var) = (d *= -p * r);
    if (order >= 2) leaf.d2(var, var) = (d *= -(p + 1) * r);
    if (order >= 3) leaf.d3(var, var, var) = (d *= -(p + 2) * r);
    if (order >= 4) leaf.d4(var, var, var, var) = (d *= -(p + 3) * r);
}

}  // namespace

Dispersion0::Dispersion0()
    : K_(&leaves_.make<Leaf>("K")),
      d_(&leaves_.make<Leaf>("d")),
      d2_(&leaves_.make<Leaf>("d2")),
      d3_(&leaves_.make<Leaf>("d3")),
      d4_(&leaves_.make<Leaf>("d4")),
      system_(std::make_unique<TermNodes>()) {
    // Until a system is built the root is a graph of no variables: an evaluation then
    // reports an error rather than a dispersion energy of zero.
    root = &leaves_.make<KVar>("no system");
    ai.setName("a");
    ci.setName("c");
    di.setName("d");
    ei.setName("e");
    aci.setName("aci");
    adi.setName("adi");
    aei.setName("aei");
    kij.setName("k");
    cCross.setName("cp");
    dCross.setName("dp");
    eCross.setName("ep");
}

Dispersion0::~Dispersion0() {
    root = nullptr;
    rootA_ = nullptr;
    system_.reset();
}

void Dispersion0::preAllocateComponentsNumber(int n) {
    if (n < 1) n = 0;
    root = leaves_.find("no system");
    rootA_ = nullptr;
    system_ = std::make_unique<TermNodes>();
    preparedComponents_ = n;
    lowestTemperature_ = 0.0;
    b.assign(static_cast<size_t>(n), 0.0);
    for (Expr1* a : {&ai, &ci, &di, &ei, &aci, &adi, &aei}) a->setSize(n);
    kij.setSize(n);
    cCross.setSize(n);
    dCross.setSize(n);
    eCross.setSize(n);
}

void Dispersion0::number_of_components(int n) {
    Interaction::number_of_components(n);
    if (n != preparedComponents_) {
        vornex::cfprintf(stderr, "%s: prepared for %d components, asked for %d\n",
                     modelName.empty() ? "Dispersion" : modelName.c_str(), preparedComponents_, n);
        return;
    }
    build_parse_graph();
}

double Dispersion0::mixedCovolume(const int* indices, int count) const {
    double s = 0.0;
    for (int q = 0; q < count; ++q) s += std::cbrt(b[static_cast<size_t>(indices[q])]);
    s /= count;
    return s * s * s;
}

bool Dispersion0::build_parse_graph() {
    const int n = preparedComponents_;
    const char* who = modelName.empty() ? "Dispersion" : modelName.c_str();
    if (n < 1) return false;
    // Every function and cross parameter must be present before anything is tied.
    for (int i = 0; i < n; ++i) {
        if (!ai.at(i)) {
            vornex::cfprintf(stderr, "%s: no a function for component %d\n", who, i);
            return false;
        }
        const bool products = aci.at(i) && adi.at(i) && aei.at(i);
        if (!products && !(ci.at(i) && di.at(i) && ei.at(i))) {
            vornex::cfprintf(stderr, "%s: no c, d, e functions for component %d\n", who, i);
            return false;
        }
    }
    auto missing = [&](const char* what, std::initializer_list<int> idx) {
        vornex::cfprintf(stderr, "%s: missing %s cross parameter %s\n", who, what,
                     indexName("", idx).c_str() + 1);
        return false;
    };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            if (j < i && !kij.at(i, j)) return missing("a", {i, j});
            for (int k = 0; k <= j; ++k) {
                if (k < i && !cCross.at(i, j, k)) return missing("c", {i, j, k});
                for (int l = 0; l <= k; ++l) {
                    if (l < i && !dCross.at(i, j, k, l)) return missing("d", {i, j, k, l});
                    for (int m = 0; m <= l; ++m)
                        if (m < i && !eCross.at(i, j, k, l, m))
                            return missing("e", {i, j, k, l, m});
                }
            }
        }

    Expr2 aij, ac2, ad2, ae2;
    Expr3 ad3, ae3, acq;
    Expr4 ae4, adq;
    Expr5 aeq;
    for (Expr2* e : {&aij, &ac2, &ad2, &ae2}) e->setSize(n);
    for (Expr3* e : {&ad3, &ae3, &acq}) e->setSize(n);
    for (Expr4* e : {&ae4, &adq}) e->setSize(n);
    aeq.setSize(n);

    for (int i = 0; i < n; ++i) {
        // Pure parts of component i.
        aij.at(i, i) = ai.at(i);
        if (!aci.at(i)) aci.at(i) = &makeProduct("aci" + std::to_string(i), *ai.at(i), *ci.at(i));
        if (!adi.at(i)) adi.at(i) = &makeProduct("adi" + std::to_string(i), *ai.at(i), *di.at(i));
        if (!aei.at(i)) aei.at(i) = &makeProduct("aei" + std::to_string(i), *ai.at(i), *ei.at(i));
        const double bi = b[static_cast<size_t>(i)];
        acq.at(i, i, i) = &makeScaled(indexName("acq", {i, i, i}), bi, *aci.at(i));
        adq.at(i, i, i, i) = &makeScaled(indexName("adq", {i, i, i, i}), bi * bi, *adi.at(i));
        aeq.at(i, i, i, i, i) =
            &makeScaled(indexName("aeq", {i, i, i, i, i}), bi * bi * bi, *aei.at(i));
    }
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            if (j < i) {
                Expression& p = makeProduct(indexName("aijp", {i, j}), *ai.at(i), *ai.at(j));
                Expression& r = makePower<Power>(indexName("aijr", {i, j}), p, 0.5);
                aij.at(i, j) = &makeProduct(indexName("aij ", {i, j}), *kij.at(i, j), r);
            }
            ac2.at(i, j) = &makeProduct(indexName("ac2", {i, j}), *aci.at(i), *aci.at(j));
            ad2.at(i, j) = &makeProduct(indexName("ad2", {i, j}), *adi.at(i), *adi.at(j));
            ae2.at(i, j) = &makeProduct(indexName("ae2", {i, j}), *aei.at(i), *aei.at(j));
            for (int k = 0; k <= j; ++k) {
                if (k < i) {
                    const int t[3] = {i, j, k};
                    Expression& c3 =
                        makeProduct(indexName("ac3", {i, j, k}), *ac2.at(i, j), *aci.at(k));
                    Expression& cr = makePower<Powo>(indexName("acr", {i, j, k}), c3, 1.0 / 3.0);
                    Expression& cp =
                        makeProduct(indexName("acp", {i, j, k}), cr, *cCross.at(i, j, k));
                    acq.at(i, j, k) =
                        &makeScaled(indexName("acq", {i, j, k}), mixedCovolume(t, 3), cp);
                }
                ad3.at(i, j, k) =
                    &makeProduct(indexName("ad3", {i, j, k}), *ad2.at(i, j), *adi.at(k));
                ae3.at(i, j, k) =
                    &makeProduct(indexName("ae3", {i, j, k}), *ae2.at(i, j), *aei.at(k));
                for (int l = 0; l <= k; ++l) {
                    if (l < i) {
                        const int t[4] = {i, j, k, l};
                        const double b4 = mixedCovolume(t, 4);
                        Expression& d4 = makeProduct(indexName("ad4", {i, j, k, l}),
                                                     *ad3.at(i, j, k), *adi.at(l));
                        Expression& dr = makePower<Power>(indexName("adr", {i, j, k, l}), d4, 0.25);
                        Expression& dp =
                            makeProduct(indexName("adp", {i, j, k, l}), dr, *dCross.at(i, j, k, l));
                        adq.at(i, j, k, l) =
                            &makeScaled(indexName("adq", {i, j, k, l}), b4 * b4, dp);
                    }
                    ae4.at(i, j, k, l) =
                        &makeProduct(indexName("ae4", {i, j, k, l}), *ae3.at(i, j, k), *aei.at(l));
                    for (int m = 0; m <= l; ++m) {
                        if (m == i) continue;
                        const int t[5] = {i, j, k, l, m};
                        const double b5 = mixedCovolume(t, 5);
                        Expression& e5 = makeProduct(indexName("ae5", {i, j, k, l, m}),
                                                     *ae4.at(i, j, k, l), *aei.at(m));
                        Expression& er =
                            makePower<Powo>(indexName("aer", {i, j, k, l, m}), e5, 0.2);
                        Expression& ep = makeProduct(indexName("aep", {i, j, k, l, m}), er,
                                                     *eCross.at(i, j, k, l, m));
                        aeq.at(i, j, k, l, m) =
                            &makeScaled(indexName("aeq", {i, j, k, l, m}), b5 * b5 * b5, ep);
                    }
                }
            }
        }

    // The composition sums, then the root A = K (a d + acb d2 + adb2 d3 + aeb3 d4).
    auto& a = make<SumX2>("a");
    auto& acb = make<SumX3>("acb");
    auto& adb2 = make<SumX4>("adb2");
    auto& aeb3 = make<SumX5>("aeb3");
    a.defineXVariables(2, n);
    acb.defineXVariables(2, n);
    adb2.defineXVariables(2, n);
    aeb3.defineXVariables(2, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j <= i; ++j) {
            a.tie_ij(i, j, aij.at(i, j));
            for (int k = 0; k <= j; ++k) {
                acb.tie_ijk(i, j, k, acq.at(i, j, k));
                for (int l = 0; l <= k; ++l) {
                    adb2.tie_ijkl(i, j, k, l, adq.at(i, j, k, l));
                    for (int m = 0; m <= l; ++m)
                        aeb3.tie_ijklm(i, j, k, l, m, aeq.at(i, j, k, l, m));
                }
            }
        }
    Expression& A1 = makeProduct("A1", a, *d_);
    Expression& A2 = makeProduct("A2", acb, *d2_);
    Expression& A3 = makeProduct("A3", adb2, *d3_);
    Expression& A4 = makeProduct("A4", aeb3, *d4_);
    auto& A0 = make<Sum>("A0");
    A0.number_of_terms(4);
    A0.tie_(&A1, &A2, &A3, &A4);
    A0.set_scalars_(1.0, 1.0, 1.0, 1.0, 0.0);
    rootA_ = &makeProduct("A", *K_, A0);
    root = rootA_;
    return true;
}

void Dispersion0::calculate_fixed_parameters() {
    if (!(T > lowestTemperature_) || !(V > 0.0)) Expression::sError = 1;
    writeInversePower(*K_, 0, -1.0 / kGasConstant, T, 1);
}

void Dispersion0::calculate_volume_dependent_parameters() {
    writeInversePower(*d_, 1, 1.0, V, 1);
    writeInversePower(*d2_, 1, 1.0 / 4.0, V, 2);
    writeInversePower(*d3_, 1, 1.0 / 16.0, V, 3);
    writeInversePower(*d4_, 1, 1.0 / 64.0, V, 4);
}

// The leaves are written whole by each hook, so an evaluation that runs this hook alone
// never reads derivatives of an earlier state.
void Dispersion0::calculate_high_order_parameters() {
    calculate_fixed_parameters();
    calculate_volume_dependent_parameters();
}

void Dispersion0::specify_dependencies() {
    if (K_->numberOfVariables() == 0) return;
    dependOnlyOn(*K_, 0);
    for (Leaf* leaf : {d_, d2_, d3_, d4_}) dependOnlyOn(*leaf, 1);
}

void Dispersion0::print_parameters(FILE* out) {
    vornex::cfprintf(out, "%s\n", modelName.empty() ? "Dispersion" : modelName.c_str());
    for (size_t i = 0; i < b.size(); ++i) vornex::cfprintf(out, "\tb%zu = %.9e m3/mol\n", i, b[i]);
}

Expression& Dispersion0::makeScaled(const std::string& name, double c, Expression& u) {
    auto& s = make<Sum1>(name);
    s.set_scalars2(c, 0.0);
    s.tie1(u);
    return s;
}

Expression& Dispersion0::makeProduct(const std::string& name, Expression& u, Expression& v) {
    auto& p = make<Product>(name);
    p.tie2(u, v);
    return p;
}

Expression* Dispersion0::node(const char* name) {
    if (name == nullptr) return nullptr;
    const std::string key(name);
    if (key == "A") return rootA_;
    if (Expression* e = system_->find(key)) return e;
    return leaves_.find(key);
}

}  // namespace vornex

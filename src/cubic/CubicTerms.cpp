#include "cubic/CubicTerms.h"
#include "numerics/Decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "anderko/Boublik.h"

namespace vornex {

// ------------------------------------------------------------------ Alpha, Soave72

void Alpha::set_variable_values(double* v) {
    PolyVar::set_variable_values(v);
    if (!variableValues.empty()) T = v[0];
    computed = false;
}

void Soave72::calculate(int order) {
    if (computed) return;
    if (!(T > 0.0) || !(Tc > 0.0)) {
        sError = 1;
        return;
    }
    const double r = std::sqrt(T / Tc);
    const double s = 1.0 + m * (1.0 - r);
    value() = ac * s * s;
    const int k = std::min(order, allocatedOrder());
    if (k >= 1 && numberOfVariables() > 0) {
        const double s1 = -m * r / (2.0 * T);
        const double s2 = -s1 / (2.0 * T);
        const double s3 = -3.0 * s2 / (2.0 * T);
        const double s4 = -5.0 * s3 / (2.0 * T);
        d1(0) = 2.0 * ac * s * s1;
        if (k >= 2) d2(0, 0) = 2.0 * ac * (s1 * s1 + s * s2);
        if (k >= 3) d3(0, 0, 0) = 2.0 * ac * (3.0 * s1 * s2 + s * s3);
        if (k >= 4) d4(0, 0, 0, 0) = 2.0 * ac * (3.0 * s2 * s2 + 4.0 * s1 * s3 + s * s4);
    }
    computed = true;
}

void Soave72::calculate(int order, int var) {
    calculate(isDependent(var) ? order : 0);
}

void dependOnlyOn(Expression& leaf, int var) {
    auto* op = dynamic_cast<Operator*>(&leaf);
    if (op == nullptr) return;
    for (int i = 0; i < leaf.numberOfVariables(); ++i) op->setDependent(i, i == var);
}

// -------------------------------------------------------------------- CovolumeSet

void CovolumeSet::size(int n) {
    const auto u = static_cast<size_t>(std::max(n, 0));
    b.assign(u, 0.0);
    sigma.assign(u, 0.0);
    kbij.assign(u * u, 0.0);
    bij.assign(u * u, 0.0);
}

bool CovolumeSet::setCovolume(int i, double covolume, const std::string& who) {
    if (i < 0 || i >= count() || !std::isfinite(covolume) || !(covolume > 0.0)) {
        vornex::cfprintf(stderr, "%s: covolume %lg of component %d refused\n", who.c_str(), covolume,
                     i);
        return false;
    }
    b[static_cast<size_t>(i)] = covolume;
    sigma[static_cast<size_t>(i)] = Boublik::diameterOfCovolume(covolume);
    return true;
}

bool CovolumeSet::setDiameter(int i, double diameter, const std::string& who) {
    if (i < 0 || i >= count() || !std::isfinite(diameter) || !(diameter > 0.0)) {
        vornex::cfprintf(stderr, "%s: hard-sphere diameter %lg of component %d refused\n", who.c_str(),
                     diameter, i);
        return false;
    }
    sigma[static_cast<size_t>(i)] = diameter;
    b[static_cast<size_t>(i)] = Boublik::covolumeOfDiameter(diameter);
    return true;
}

bool CovolumeSet::setKbij(int i, int j, double k, const std::string& who) {
    const int n = count();
    if (i < 0 || j < 0 || i >= n || j >= n || !std::isfinite(k)) {
        vornex::cfprintf(stderr, "%s: kbij %lg of the pair (%d, %d) refused\n", who.c_str(), k, i, j);
        return false;
    }
    kbij[static_cast<size_t>(i * n + j)] = kbij[static_cast<size_t>(j * n + i)] = k;
    return true;
}

void CovolumeSet::applyTo(LineaX2& form) {
    const auto n = b.size();
    if (form.coefficients.size() != n * (n + 1) / 2) return;
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j <= i; ++j) {
            const double v = 0.5 * (b[i] + b[j]) * (1.0 - kbij[i * n + j]);
            bij[i * n + j] = bij[j * n + i] = v;
            form.coefficients[i * (i + 1) / 2 + j] = v;
        }
    form.computed = false;
}

// ---------------------------------------------------------------- CovolumeSetters

void CovolumeSetters::set_covolume(int i, double b) {
    if (covolumes_.setCovolume(i, b, termName()) && i == covolumes_.count() - 1) covolumesSet();
}

void CovolumeSetters::set_hard_sphere_diameter(int i, double sigma) {
    if (covolumes_.setDiameter(i, sigma, termName()) && i == covolumes_.count() - 1) covolumesSet();
}

void CovolumeSetters::setEach(void (CovolumeSetters::*set)(int, double), double first,
                              va_list rest) {
    const int n = covolumes_.count();
    if (n < 1) return;
    (this->*set)(0, first);
    for (int i = 1; i < n; ++i) (this->*set)(i, va_arg(rest, double));
}

void CovolumeSetters::set_covolumes(double b0, ...) {
    va_list args;
    va_start(args, b0);
    setEach(&CovolumeSetters::set_covolume, b0, args);
    va_end(args);
}

void CovolumeSetters::set_hard_sphere_diameters(double sigma0, ...) {
    va_list args;
    va_start(args, sigma0);
    setEach(&CovolumeSetters::set_hard_sphere_diameter, sigma0, args);
    va_end(args);
}

double CovolumeSetters::covolume(int i) const {
    return i >= 0 && i < covolumes_.count() ? covolumes_.b[static_cast<size_t>(i)] : 0.0;
}

double CovolumeSetters::diameter(int i) const {
    return i >= 0 && i < covolumes_.count() ? covolumes_.sigma[static_cast<size_t>(i)] : 0.0;
}

double CovolumeSetters::bij(int i, int j) const {
    const int n = covolumes_.count();
    if (i < 0 || j < 0 || i >= n || j >= n) return 0.0;
    return covolumes_.bij[static_cast<size_t>(i * n + j)];
}

// ------------------------------------------------------------------- node builders

std::string nodeName(const char* base, int i) {
    return std::string(base) + "(" + std::to_string(i) + ")";
}

std::string nodeName(const char* base, int i, int j) {
    return std::string(base) + "(" + std::to_string(i) + "," + std::to_string(j) + ")";
}

Sum1& affine(TermNodes& nodes, const std::string& name, Expression& u, double a, double b) {
    auto& node = nodes.make<Sum1>(name);
    node.set_scalars2(a, b);
    node.tie1(u);
    return node;
}

Power& squareRoot(TermNodes& nodes, const std::string& name, Expression& u) {
    auto& node = nodes.make<Power>(name);
    node.set_scalars3(1.0, 0.5, 0.0);
    node.tie1(u);
    return node;
}

Power& geometricMean(TermNodes& nodes, const std::string& productName, const std::string& rootName,
                     Expression& ai, Expression& aj) {
    auto& product = nodes.make<Product>(productName);
    product.tie2(ai, aj);
    return squareRoot(nodes, rootName, product);
}

// ----------------------------------------------------------------------- TanhStep

namespace {
constexpr double kFlatStep = 40.0;
}

void TanhStep::build(TermNodes& nodes, const std::string& prefix, bool complement) {
    complement_ = complement;
    y_ = &nodes.make<Leaf>(prefix + "y");
    auto& E = nodes.make<Exponential>(prefix + "E");
    E.set_scalars3(0.0, 1.0, 1.0);
    E.tie1(*y_);
    auto& minus = nodes.make<Sum1>(prefix + "E-1");
    minus.set_scalars2(1.0, -1.0);
    minus.tie1(E);
    auto& plus = nodes.make<Sum1>(prefix + "E+1");
    plus.set_scalars2(1.0, 1.0);
    plus.tie1(E);
    auto& ratio = nodes.make<Division>(prefix + "tanh");
    ratio.tie2(minus, plus);
    k_ = &nodes.make<Sum1>(prefix + "k");
    k_->tie1(ratio);
    set(k0, k1, T0, w, prefix);
}

bool TanhStep::set(double low, double high, double Tstep, double width, const std::string& who) {
    if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(Tstep) ||
        !std::isfinite(width) || !(width > 0.0)) {
        vornex::cfprintf(stderr, "%s: step (k0 %lg, k1 %lg, T0 %lg K, w %lg K) refused\n", who.c_str(),
                     low, high, Tstep, width);
        return false;
    }
    k0 = low;
    k1 = high;
    T0 = Tstep;
    w = width;
    if (k_ != nullptr) {
        const double half = 0.5 * (k1 - k0), mean = 0.5 * (k0 + k1);
        if (complement_)
            k_->set_scalars2(-half, 1.0 - mean);
        else
            k_->set_scalars2(half, mean);
    }
    return true;
}

void TanhStep::write(double T) {
    if (y_ == nullptr) return;
    const double y = (T - T0) / w;
    const bool flat = !(std::fabs(y) < kFlatStep);
    y_->value() = flat ? std::copysign(kFlatStep, y) : y;
    if (y_->allocatedOrder() >= 1 && y_->numberOfVariables() > 0) y_->d1(0) = flat ? 0.0 : 1.0 / w;
}

double TanhStep::value(double T) const {
    const double k = 0.5 * (k0 + k1) + 0.5 * (k1 - k0) * std::tanh(0.5 * (T - T0) / w);
    return complement_ ? 1.0 - k : k;
}

// ------------------------------------------------------------------ StepCovolumes

void StepCovolumes::build(TermNodes& nodes, SumX2& sum) {
    kb.build(nodes, "kb", false);
    b1_ = &nodes.make<Leaf>("b(0)");
    b2_ = &nodes.make<Leaf>("b(1)");
    b12_ = &nodes.make<Sum1>("b(1,0)");
    b12_->tie1(kb.k());
    sum.defineXVariables(2, 2);
    sum.tie_ij(0, 0, b1_);
    sum.tie_ij(1, 0, b12_);
    sum.tie_ij(1, 1, b2_);
}

void StepCovolumes::write(double T, double b1, double b2) {
    if (b1_ == nullptr) return;
    kb.write(T);
    b1_->value() = b1;
    b2_->value() = b2;
    const double mean = 0.5 * (b1 + b2);
    b12_->set_scalars2(-mean, mean);
}

void StepCovolumes::markDependencies() {
    if (b1_ == nullptr) return;
    dependOnlyOn(*b1_, -1);
    dependOnlyOn(*b2_, -1);
    dependOnlyOn(kb.y(), 0);
}

}  // namespace vornex

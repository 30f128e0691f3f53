#include "dkl/HCB.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>

#include "dkl/HardCoreNodes.h"
#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// Packing fraction of close-packed spheres as the equation was fitted with (five digits).
constexpr double kClosePacking = 0.74048;

// V00 [1 - C exp(-3 u0k/T)]^3, the close-packed volume of one component at T.
double closePackedVolume(double V00, double u0k, double C, double TK) {
    if (!(TK > 0.0)) return 0.0;
    const double f = 1.0 - C * std::exp(-3.0 * u0k / TK);
    return V00 * f * f * f;
}

}  // namespace

void HCBTerm::buildPacking(Expression& V0, Expression& mV, Expression& V) {
    mlogV_ = &tied<Logarithm>(nodes_, "mlogV", V);
    mlogV_->set_scalars3(-1.0, 0.0, 0.0);
    dzeta_ = &tied<Product>(nodes_, "dzeta", V0, mV);
    dzeta_->set_scalars1(kClosePacking);
    dzeta2_ = &tied<Square>(nodes_, "dzeta2", *dzeta_);
    mdzeta_ = &tied<Sum1>(nodes_, "mdzeta", *dzeta_);
    mdzeta_->set_scalars2(-1.0, 0.0);
}

void HCBTerm::finishGraph(Expression& A0, Expression& A10) {
    auto& A11 = tied<Sum2>(nodes_, "A11", *dzeta_, *dzeta2_);  // (1 - xi)^2
    A11.set_scalars3(-2.0, 1.0, 1.0);
    auto& A1 = tied<Division>(nodes_, "A1", A10, A11);
    makeRoot({mlogV_, &A0, &A1}, {1.0, 1.0, 1.0});
}

bool HCBTerm::acceptCount(int count, int expected, const char* message) {
    if (count != expected) {
        vornex::cfprintf(stderr, "%s\n", message);
        return false;
    }
    sizeGraph(count);
    analyzeGraph();
    return true;
}

// ------------------------------------------------------------------------- HCB1

HCB1::HCB1() {
    setModelName("Hard Convex Bodies Interaction (1 component)");
    StateNodes s = makeStateNodes(nodes_);
    Expression& V0 = makeHardCoreVolume(nodes_, *s.mT, "A12", "V0");
    buildPacking(V0, *s.mV, *s.V);
    // Their scalars come with the parameters.
    finishGraph(tied<Logarithm>(nodes_, "A0", *mdzeta_),
                tied<Sum2>(nodes_, "A10", *dzeta_, *dzeta2_));
}

HCB1::~HCB1() = default;

void HCB1::number_of_components(int count) {
    acceptCount(count, 1, "Interaction for hard convex bodies for one-component system.");
}

double HCB1::getVolumeMinimum() {
    return configured ? closePackedVolume(V00, u0k, C, T) : 0.0;
}

void HCB1::set_parameters(double alpha_, double V00_, double u0k_, double C_) {
    alpha = alpha_;
    V00 = V00_;
    u0k = u0k_;
    C = C_;
    node("A0")->set_scalars3(alpha * alpha - 1.0, 1.0, 0.0);
    node("A10")->set_scalars3(alpha * alpha + 3.0 * alpha, -3.0 * alpha, 0.0);
    setHardCoreVolume(nodes_, "A12", "V0", V00, u0k, C);
    configured = true;
}

// ------------------------------------------------------------------------- HCB2

HCB2::HCB2() {
    setModelName("Hard Convex Bodies Interaction (2 components)");
    StateNodes s = makeStateNodes(nodes_);
    MixtureNodes m = makeMixedHardCoreVolume(nodes_, *s.mT);
    buildPacking(*m.V0, *s.mV, *s.V);
    auto& a = tied<Sum2>(nodes_, "alpha", *m.x1, *m.x2);  // scalars with the parameters
    auto& aSq = tied<Square>(nodes_, "alphaSq", a);
    auto& a21 = tied<Sum1>(nodes_, "alpha21", aSq);
    a21.set_scalars2(1.0, -1.0);
    auto& a23 = tied<Sum2>(nodes_, "alpha23", aSq, a);
    a23.set_scalars3(1.0, 3.0, 0.0);
    auto& logdzeta = tied<Logarithm>(nodes_, "logdzeta", *mdzeta_);
    logdzeta.set_scalars3(1.0, 1.0, 0.0);
    auto& A0 = tied<Product>(nodes_, "A0", a21, logdzeta);
    auto& A100 = tied<Product>(nodes_, "A100", a23, *dzeta_);
    auto& A101 = tied<Product>(nodes_, "A101", a, *dzeta2_);
    auto& A10 = tied<Sum2>(nodes_, "A10", A100, A101);
    A10.set_scalars3(1.0, -3.0, 0.0);
    finishGraph(A0, A10);
}

HCB2::~HCB2() = default;

void HCB2::number_of_components(int count) {
    acceptCount(count, 2, "Interaction for hard convex bodies for two-components system.");
}

double HCB2::getVolumeMinimum() {
    if (!configured || x.size() != 2) return 0.0;
    const double V01 = closePackedVolume(V00[0], u0k[0], C, T);
    const double V02 = closePackedVolume(V00[1], u0k[1], C, T);
    const double V12 = 0.5 * k * (V01 + V02);
    return x[0] * x[0] * V01 + 2.0 * x[0] * x[1] * V12 + x[1] * x[1] * V02;
}

void HCB2::set_parameters_of_component(int i, double alpha_, double V00_, double u0k_, double C_) {
    if (i == 0 || i == 1) {
        alpha[i] = alpha_;
        V00[i] = V00_;
        u0k[i] = u0k_;
    }
    C = C_;
}

void HCB2::set_binary_parameters(double k_) {
    k = k_;
}

void HCB2::finalize_parameters() {
    setMixedHardCoreVolume(nodes_, V00, u0k, C, k);
    node("alpha")->set_scalars3(alpha[0], alpha[1], 0.0);
    configured = true;
}

void HCB2::set_parameters(double alpha1, double V00_1, double u0k_1, double alpha2, double V00_2,
                          double u0k_2, double C_, double k_) {
    set_parameters_of_component(0, alpha1, V00_1, u0k_1, C_);
    set_parameters_of_component(1, alpha2, V00_2, u0k_2, C_);
    set_binary_parameters(k_);
    finalize_parameters();
}

}  // namespace vornex

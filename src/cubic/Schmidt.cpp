#include "cubic/Schmidt.h"

#include <cmath>

#include "fluid/Phase.h"

namespace vornex {

namespace {
constexpr double R = kGasConstant;
}

// ----------------------------------------------------------------------- SchmidtTerm

SchmidtTerm::SchmidtTerm(double u_, double w_) : u(u_), w(w_), D(u_ * u_ - 4.0 * w_) {}

SchmidtTerm::~SchmidtTerm() {
    root = nullptr;
}

void SchmidtTerm::tieGraph(Expression& mRT, Expression& volume, double weight) {
    const double s = std::sqrt(D);
    auto& A3 = nodes_.make<Sum2>("A3");
    A3.set_scalars3(weight, u - s, 0.0);
    A3.tie2(volume, *b);
    auto& A4 = nodes_.make<Sum2>("A4");
    A4.set_scalars3(weight, u + s, 0.0);
    A4.tie2(volume, *b);
    auto& A2 = nodes_.make<Division>("A2");
    A2.tie2(A3, A4);
    auto& A1 = nodes_.make<Logarithm>("A1");
    A1.set_scalars3(1.0 / s, 0.0, 0.0);
    A1.tie1(A2);
    auto& ab = nodes_.make<Division>("ab");
    ab.tie2(*a, *b);
    auto& A0 = nodes_.make<Product>("A0");
    A0.tie2(ab, A1);
    auto& A = nodes_.make<Product>("A");
    A.tie2(mRT, A0);
    root = &A;
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

bool SchmidtTerm::mixtureParameters(double& av, double& dadT, double& bv, std::vector<double>& dadx,
                                    std::vector<double>& dbdx) {
    // a and b do not depend on V; a volume far above any covolume keeps the logarithm of
    // the graph defined whatever volume the term held.
    const double Vheld = V;
    V = 1.0;
    const bool evaluated = prepare(true, true, false) && evaluate(1);
    V = Vheld;
    if (!evaluated) return false;
    av = a->value();
    bv = b->value();
    dadT = a->d1(0);
    dadx.assign(static_cast<size_t>(nc), 0.0);
    dbdx.assign(static_cast<size_t>(nc), 0.0);
    for (int i = 0; i < nc; ++i) {
        dadx[static_cast<size_t>(i)] = a->d1(i + 2);
        dbdx[static_cast<size_t>(i)] = b->d1(i + 2);
    }
    return true;
}

Expression* SchmidtTerm::node(const char* name) {
    return name ? nodes_.find(name) : nullptr;
}

// --------------------------------------------------------------------------- Schmidt

Schmidt::Schmidt(double u_, double w_) : SchmidtTerm(u_, w_) {
    a = &nodes_.make<SumX2>("a");
    b = &nodes_.make<LineaX>("b");
    T_ = &nodes_.make<FVar>("T_");
    auto& mRT = nodes_.make<Inverse>("mRT");
    mRT.set_scalars1(1.0 / R);
    mRT.tie1(*T_);
    V_ = &nodes_.make<FVar>("V_");
    tieGraph(mRT, *V_, 2.0);
}

// -------------------------------------------------------------------------- Schmidt0

Schmidt0::Schmidt0(double u_, double w_) : SchmidtTerm(u_, w_) {
    mRT_ = &nodes_.make<Leaf>("mRT");
    twoV_ = &nodes_.make<Leaf>("twoV");
}

void Schmidt0::build_parse_graph() {
    tieGraph(*mRT_, *twoV_, 1.0);
}

void Schmidt0::number_of_components(int n) {
    if (n < 1 || root == nullptr) return;
    Interaction::number_of_components(n);
    root->number_of_variables(n + 2);
    dependOnlyOn(*twoV_, 1);
    dependOnlyOn(*mRT_, 0);
    specify_dependencies();
    root->analyze_dependencies();
}

void Schmidt0::specify_dependencies() {}

void Schmidt0::calculate_fixed_parameters() {
    const double v = 1.0 / (R * T);
    mRT_->value() = v;
    const int order = mRT_->allocatedOrder();
    if (mRT_->numberOfVariables() < 1) return;
    if (order >= 1) mRT_->d1(0) = -v / T;
    if (order >= 2) mRT_->d2(0, 0) = 2.0 * v / (T * T);
    if (order >= 3) mRT_->d3(0, 0, 0) = -6.0 * v / (T * T * T);
    if (order >= 4) mRT_->d4(0, 0, 0, 0) = 24.0 * v / (T * T * T * T);
}

void Schmidt0::calculate_volume_dependent_parameters() {
    twoV_->value() = 2.0 * V;
    if (twoV_->allocatedOrder() >= 1 && twoV_->numberOfVariables() > 1) twoV_->d1(1) = 2.0;
}

}  // namespace vornex

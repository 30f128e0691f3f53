#include "cubic/VdWr.h"
#include "numerics/Decimal.h"

#include <cstdio>

namespace vornex {

// ----------------------------------------------------------------------------- VdWr

VdWr::VdWr() {
    setModelName("VdWr");
    V_ = &nodes_.make<Leaf>("V");
}

VdWr::~VdWr() {
    root = nullptr;
}

void VdWr::buildGraph(Expression& covolumeNode) {
    b_ = &covolumeNode;
    auto& difference = nodes_.make<Sum2>("VdWr-A1");
    difference.set_scalars3(1.0, -1.0, 0.0);
    difference.tie2(*V_, covolumeNode);
    auto& logarithm = nodes_.make<Logarithm>("A");
    logarithm.set_scalars3(-1.0, 0.0, 0.0);
    logarithm.tie1(difference);
    root = &logarithm;
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

void VdWr::number_of_components(int n) {
    if (n < 1) return;
    Interaction::number_of_components(n);
    covolumes_.size(n);
}

bool VdWr::sizeGraph(int n) {
    if (root == nullptr) return false;
    root->number_of_variables(n + 2);
    dependOnlyOn(*V_, 1);
    return true;
}

void VdWr::calculate_volume_dependent_parameters() {
    V_->value() = V;
    if (V_->allocatedOrder() >= 1 && V_->numberOfVariables() > 1) V_->d1(1) = 1.0;
}

double VdWr::getVolumeMinimum() {
    // From the term's own composition, not from the b node: the node holds the covolume of
    // the last graph evaluation, which may have been at another composition.
    return mixtureCovolume(covolumes_.bij);
}

double VdWr::mixtureCovolume(const std::vector<double>& pairs) const {
    const size_t n = x.size();
    if (n == 0 || pairs.size() != n * n) return 0.0;
    double b = 0.0;
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j) b += x[i] * x[j] * pairs[i * n + j];
    return b;
}

void VdWr::apply_mixing_rules() {}

// ---------------------------------------------------------------------------- VdWr1

VdWr1::VdWr1() {
    setModelName("VdWr1");
    form_ = &nodes_.make<LineaX2>("b");
    buildGraph(*form_);
}

void VdWr1::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    VdWr::number_of_components(n);
    form_->defineXVariables(2, n);
    if (sizeGraph(n)) root->analyze_dependencies();
}

void VdWr1::calculate_fixed_parameters() {
    apply_mixing_rules();
}

void VdWr1::apply_mixing_rules() {
    covolumes_.applyTo(*form_);
}

void VdWr1::set_binary_interaction_kbij(int i, int j, double k) {
    if (covolumes_.setKbij(i, j, k, modelName)) apply_mixing_rules();
}

// ---------------------------------------------------------------------------- VdWr2

VdWr2::VdWr2() {
    setModelName("VdWr2");
    sum_ = &nodes_.make<SumX2>("b");
    covolumeTable_.build(nodes_, *sum_);
    buildGraph(*sum_);
}

void VdWr2::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    if (n != 2) {
        // The graph stays unsized, so every evaluation of the term reports failure.
        vornex::cprintf("Can handle only two-component systems\n");
        Interaction::number_of_components(n);
        return;
    }
    VdWr::number_of_components(2);
    if (!sizeGraph(2)) return;
    covolumeTable_.markDependencies();
    root->analyze_dependencies();
}

void VdWr2::calculate_fixed_parameters() {
    if (covolumes_.count() == 2) covolumeTable_.write(T, covolumes_.b[0], covolumes_.b[1]);
}

double VdWr2::getVolumeMinimum() {
    if (covolumes_.count() != 2 || x.size() != 2) return 0.0;
    const double b1 = covolumes_.b[0], b2 = covolumes_.b[1];
    const double b12 = 0.5 * (b1 + b2) * (1.0 - covolumeTable_.kb.value(T));
    return mixtureCovolume({b1, b12, b12, b2});
}

void VdWr2::set_binary_interaction_kbij(int, int, double k0, double k1, double T0, double w) {
    covolumeTable_.kb.set(k0, k1, T0, w, modelName);
}

}  // namespace vornex

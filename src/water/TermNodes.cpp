#include "water/TermNodes.h"

namespace vornex {

TermNodes::~TermNodes() {
    while (!nodes_.empty()) nodes_.pop_back();
}

Expression* TermNodes::find(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

ReducedLeaves::ReducedLeaves(TermNodes& nodes, double criticalTemperature, double criticalVolume)
    : delta_(&nodes.make<Leaf>("delta")),
      tau_(&nodes.make<Leaf>("tau")),
      Tc_(criticalTemperature),
      Vc_(criticalVolume) {}

namespace {

// Only variable `var` of the leaf's n.
void dependOnlyOn(Leaf& leaf, int var) {
    for (int i = 0; i < leaf.numberOfVariables(); ++i) leaf.setDependent(i, i == var);
}

// c/x and its pure derivatives (-1)^k k! c / x^(k+1) in variable var.
void writeReciprocal(Leaf& leaf, int var, double c, double x) {
    const int order = leaf.allocatedOrder();
    const double r = 1.0 / x;
    double d = c * r;
    leaf.value() = d;
    if (order >= 1) leaf.d1(var) = (d *= -r);
    if (order >= 2) leaf.d2(var, var) = (d *= -2 * r);
    if (order >= 3) leaf.d3(var, var, var) = (d *= -3 * r);
    if (order >= 4) leaf.d4(var, var, var, var) = (d *= -4 * r);
}

}  // namespace

void ReducedLeaves::markDependencies() {
    dependOnlyOn(*tau_, 0);
    dependOnlyOn(*delta_, 1);
}

void ReducedLeaves::write(double TK, double Vm3) {
    writeReciprocal(*tau_, 0, Tc_, TK);
    writeReciprocal(*delta_, 1, Vc_, Vm3);
}

}  // namespace vornex

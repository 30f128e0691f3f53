#include "cubic/VanDerWaalsAttrac.h"
#include "numerics/Decimal.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "fluid/Phase.h"

namespace vornex {

VanDerWaalsAttrac::VanDerWaalsAttrac() {
    setModelName("VanDerWaalsAttrac");
    for (Expression* e : std::initializer_list<Expression*>{&T_, &V_, &x1_, &RTv_, &axSquare_, &A_})
        e->holdAsMember();
    V_.setName("_V");
    x1_.setName("_x1");
    RTv_.setName("RTv");
    axSquare_.setName("axSquare");
    A_.setName("A");
    RTv_.set_scalars1(kGasConstant);
    RTv_.tie2(T_, V_);
    axSquare_.set_scalars1(alpha);
    axSquare_.tie1(x1_);
    A_.tie2(axSquare_, RTv_);
    root = &A_;
}

VanDerWaalsAttrac::~VanDerWaalsAttrac() {
    root = nullptr;
}

void VanDerWaalsAttrac::number_of_components(int n) {
    Interaction::number_of_components(n);
    if (n != 2) {
        // The graph stays unsized, so every evaluation of the term reports failure.
        vornex::cprintf("Can handle only two-component system.\n");
        return;
    }
    T_.variableIndex = 0;
    V_.variableIndex = 1;
    x1_.variableIndex = 2;
    A_.number_of_variables(4);
    A_.analyze_dependencies();
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

void VanDerWaalsAttrac::set_alpha(double value) {
    if (!std::isfinite(value)) {
        vornex::cfprintf(stderr, "VanDerWaalsAttrac: alpha %lg refused\n", value);
        return;
    }
    alpha = value;
    axSquare_.set_scalars1(value);
}

void VanDerWaalsAttrac::test() {
    number_of_components(2);
    set_alpha(-1.0);
    T = 300.0;
    V = 1.8e-05;
    composition(0.4, 0.6);
    error = 0;
    checkInteraction();
}

}  // namespace vornex

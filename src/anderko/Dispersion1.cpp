#include "anderko/Dispersion1.h"

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

Dispersion1::Dispersion1()
    : T_(&nodes_.make<FVar>("T_")),
      K_(&nodes_.make<Inverse>("K")),
      A0_(&nodes_.make<Sum>("A0")),
      A1_(&nodes_.make<Product>("A1")),
      A2_(&nodes_.make<Product>("A2")),
      A3_(&nodes_.make<Product>("A3")),
      A4_(&nodes_.make<Product>("A4")),
      V_(&nodes_.make<FVar>("V_")),
      d_(&nodes_.make<Inverse>("d")),
      d2_(&nodes_.make<Square>("d2")),
      d3_(&nodes_.make<Cube>("d3")),
      d4_(&nodes_.make<Square>("d4")),
      A_(&nodes_.make<Product>("A")) {
    T_->set_scalars2(1.0, 0.0);
    V_->set_scalars2(1.0, 0.0);
    K_->set_scalars1(kMinusInverseGasConstant);
    K_->tie1(*T_);
    A0_->number_of_terms(4);
    Product* products[4] = {A1_, A2_, A3_, A4_};
    for (int i = 0; i < 4; ++i) {
        A0_->tiei(i, *products[i]);
        A0_->set_scalar(i, 1.0);
    }
    A0_->set_scalar(4, 0.0);
    d_->tie1(*V_);
    d2_->set_scalars1(0.25);
    d2_->tie1(*d_);
    d3_->set_scalars1(0.0625);
    d3_->tie1(*d_);
    d4_->set_scalars1(0.25);
    d4_->tie1(*d2_);
    A_->tie2(*K_, *A0_);
    root = A_;
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

// A0 and the four products were made before their children (the coefficient functions
// even by the subclass), and the pool releases the latest nodes first: they are unlinked
// here so that none of them touches a child already released.
Dispersion1::~Dispersion1() {
    root = nullptr;
    for (Product* p : {A1_, A2_, A3_, A4_}) {
        p->u = nullptr;
        p->v = nullptr;
    }
    for (Expression*& term : A0_->terms) term = nullptr;
}

void Dispersion1::finish_parse_graph() {
    Product* products[4] = {A1_, A2_, A3_, A4_};
    Expression* powers[4] = {d_, d2_, d3_, d4_};
    for (int k = 0; k < 4; ++k)
        if (coefficient[k] != nullptr) products[k]->tie2(*coefficient[k], *powers[k]);
}

Expression* Dispersion1::node(const char* name) {
    return name == nullptr ? nullptr : nodes_.find(name);
}

}  // namespace vornex

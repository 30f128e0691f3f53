#include "anderko/H2ODisp.h"
#include "numerics/Decimal.h"

#include <cstdio>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// Water coefficients in Tr = 647.067/T: {Tr, Tr^2, Tr^4, constant}.
constexpr double kA[4] = {0.182838483, 0.15466527, 0.010718969, 0.171825354};
constexpr double kC[4] = {-8.87482349, 3.17933413, -0.16869781, 2.95354801};
constexpr double kD[4] = {9.44220297, -3.1440167, 0.14953913, 2.13933917};
constexpr double kE = -9.0;
constexpr double kTstar = 647.067;  // K

}  // namespace

H2ODisp::H2ODisp() {
    auto& tr = nodes_.make<Inverse>("Tr");
    tr.set_scalars1(kTstar);
    tr.tie1(*T_);
    auto& tr2 = nodes_.make<Square>("Tr2");
    tr2.tie1(tr);
    auto& tr4 = nodes_.make<Square>("Tr4");
    tr4.tie1(tr2);
    auto polynomial = [&](const char* name, const double* c) -> Expression& {
        auto& s = nodes_.make<Sum>(name);
        s.number_of_terms(3);
        s.tie_(static_cast<Expression*>(&tr), static_cast<Expression*>(&tr2),
               static_cast<Expression*>(&tr4));
        s.set_scalars_(c[0], c[1], c[2], c[3]);
        return s;
    };
    Expression& a1 = polynomial("a1", kA);
    Expression& c1 = polynomial("c1", kC);
    Expression& d1 = polynomial("d1", kD);
    auto& e1 = nodes_.make<FVar>("e1");
    e1.set_scalars2(0.0, kE);
    auto product = [&](const char* name, Expression& u) -> Expression& {
        auto& p = nodes_.make<Product>(name);
        p.set_scalars1(1.0);
        p.tie2(a1, u);
        return p;
    };
    coefficient[0] = &a1;
    coefficient[1] = &product("acb1", c1);
    coefficient[2] = &product("adb1", d1);
    coefficient[3] = &product("aeb1", e1);
    finish_parse_graph();
    setModelName("H2O Dispersion");
}

// The frame's products tie nodes made after them; they are unlinked here so that the pool,
// which releases the latest nodes first, never lets a product touch a released child.
H2ODisp::~H2ODisp() {
    for (Product* p : {A1_, A2_, A3_, A4_}) {
        p->u = nullptr;
        p->v = nullptr;
    }
    for (Expression*& term : A0_->terms) term = nullptr;
}

void H2ODisp::set_covolume(double b) {
    if (b == 0.0) return;
    coefficient[1]->set_scalars1(b);
    coefficient[2]->set_scalars1(b * b);
    coefficient[3]->set_scalars1(b * b * b);
}

void H2ODisp::number_of_components(int n) {
    if (n != 1) {
        vornex::cfprintf(stderr, "%s: a term of pure water takes one component, not %d\n",
                     modelName.c_str(), n);
        return;
    }
    Interaction::number_of_components(1);
    T_->variableIndex = 0;
    V_->variableIndex = 1;
    if (auto* e1 = dynamic_cast<FVar*>(node("e1"))) e1->variableIndex = 0;
    root->number_of_variables(3);
    root->analyze_dependencies();
    Expression::setVarbox(
        this, static_cast<void (Equation::*)(double*)>(&Interaction::calculate_the_leaves));
}

}  // namespace vornex

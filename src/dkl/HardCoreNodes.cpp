#include "dkl/HardCoreNodes.h"

#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

StateNodes makeStateNodes(TermNodes& nodes) {
    StateNodes s{};
    s.T = &nodes.make<FVar>("T_");
    s.T->variableIndex = 0;
    s.V = &nodes.make<FVar>("V_");
    s.V->variableIndex = 1;
    auto& mT = nodes.make<Inverse>("mT");
    mT.tie1(*s.T);
    auto& mV = nodes.make<Inverse>("mV");
    mV.tie1(*s.V);
    s.mT = &mT;
    s.mV = &mV;
    return s;
}

Expression& makeHardCoreVolume(TermNodes& nodes, Expression& mT, const std::string& factor,
                               const std::string& name) {
    auto& e = nodes.make<Exponential>(factor);
    e.tie1(mT);
    auto& v = nodes.make<Cube>(name);
    v.tie1(e);
    return v;
}

void setHardCoreVolume(TermNodes& nodes, const std::string& factor, const std::string& name,
                       double V00, double u0k, double C) {
    nodes.find(factor)->set_scalars3(1.0, -C, -3.0 * u0k);
    nodes.find(name)->set_scalars1(V00);
}

MixtureNodes makeMixedHardCoreVolume(TermNodes& nodes, Expression& mT) {
    MixtureNodes m{};
    m.x1 = &nodes.make<FVar>("x1_");
    m.x1->variableIndex = 2;
    m.x2 = &nodes.make<FVar>("x2_");
    m.x2->variableIndex = 3;
    auto& x1x1 = nodes.make<Square>("x1x1");
    x1x1.tie1(*m.x1);
    auto& x2x2 = nodes.make<Square>("x2x2");
    x2x2.tie1(*m.x2);
    auto& x1x2 = nodes.make<Product>("x1x2");
    x1x2.tie2(*m.x1, *m.x2);
    Expression& V01 = makeHardCoreVolume(nodes, mT, "A01", "V01");
    Expression& V02 = makeHardCoreVolume(nodes, mT, "A02", "V02");
    auto& V12 = nodes.make<Sum2>("V12");
    V12.tie2(V01, V02);
    auto& p11 = nodes.make<Product>("x1x1V01");
    p11.tie2(x1x1, V01);
    auto& p12 = nodes.make<Product>("x1x2V12");
    p12.tie2(x1x2, V12);
    auto& p22 = nodes.make<Product>("x2x2V02");
    p22.tie2(x2x2, V02);
    auto& V0 = nodes.make<Sum>("V0");
    V0.number_of_terms(3);
    V0.tie_(static_cast<Expression*>(&p11), static_cast<Expression*>(&p12),
            static_cast<Expression*>(&p22));
    V0.set_scalars_(1.0, 2.0, 1.0, 0.0);
    m.V0 = &V0;
    return m;
}

void setMixedHardCoreVolume(TermNodes& nodes, const double* V00, const double* u0k, double C,
                            double k) {
    setHardCoreVolume(nodes, "A01", "V01", V00[0], u0k[0], C);
    setHardCoreVolume(nodes, "A02", "V02", V00[1], u0k[1], C);
    nodes.find("V12")->set_scalars3(0.5 * k, 0.5 * k, 0.0);
}

}  // namespace vornex

#include "dkl/HardCoreNodes.h"

#include "dkl/GraphTerm.h"
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
    s.mT = &tied<Inverse>(nodes, "mT", *s.T);
    s.mV = &tied<Inverse>(nodes, "mV", *s.V);
    return s;
}

Expression& makeHardCoreVolume(TermNodes& nodes, Expression& mT, const std::string& factor,
                               const std::string& name) {
    return tied<Cube>(nodes, name, tied<Exponential>(nodes, factor, mT));
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
    auto& x1x1 = tied<Square>(nodes, "x1x1", *m.x1);
    auto& x2x2 = tied<Square>(nodes, "x2x2", *m.x2);
    auto& x1x2 = tied<Product>(nodes, "x1x2", *m.x1, *m.x2);
    Expression& V01 = makeHardCoreVolume(nodes, mT, "A01", "V01");
    Expression& V02 = makeHardCoreVolume(nodes, mT, "A02", "V02");
    auto& V12 = tied<Sum2>(nodes, "V12", V01, V02);
    auto& p11 = tied<Product>(nodes, "x1x1V01", x1x1, V01);
    auto& p12 = tied<Product>(nodes, "x1x2V12", x1x2, V12);
    auto& p22 = tied<Product>(nodes, "x2x2V02", x2x2, V02);
    m.V0 = &weightedSum(nodes, "V0", {&p11, &p12, &p22}, {1.0, 2.0, 1.0}, 0.0);
    return m;
}

void setMixedHardCoreVolume(TermNodes& nodes, const double* V00, const double* u0k, double C,
                            double k) {
    setHardCoreVolume(nodes, "A01", "V01", V00[0], u0k[0], C);
    setHardCoreVolume(nodes, "A02", "V02", V00[1], u0k[1], C);
    nodes.find("V12")->set_scalars3(0.5 * k, 0.5 * k, 0.0);
}

}  // namespace vornex

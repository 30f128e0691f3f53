#include "dkl/BWR.h"

#include <cstdio>
#include <cstring>

#include "dkl/LeeKessler.h"
#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "fluid/Ideal.h"

namespace vornex {

namespace {

enum { b1, b2, b3, b4, c1, c2, c3, c4, d1, d2, kBeta, kGamma };

}  // namespace

BWR::BWR() {
    auto& T_ = nodes_.make<FVar>("T_");
    T_.variableIndex = 0;
    auto& V_ = nodes_.make<FVar>("V_");
    V_.variableIndex = 1;
    auto& Ti = nodes_.make<Inverse>("Ti");
    Ti.tie1(T_);
    auto& Ti2 = nodes_.make<Square>("Ti2");
    Ti2.tie1(Ti);
    auto& Ti3 = nodes_.make<Cube>("Ti3");
    Ti3.tie1(Ti);
    auto& mlogV = nodes_.make<Logarithm>("mlogV");
    mlogV.set_scalars3(-1.0, 0.0, 0.0);
    mlogV.tie1(V_);
    auto& mV = nodes_.make<Inverse>("mV");
    mV.tie1(V_);
    auto& mV2 = nodes_.make<Square>("mV2");
    mV2.tie1(mV);
    auto& mV5 = nodes_.make<Power>("mV5");
    mV5.set_scalars3(1.0, 5.0, 0.0);
    mV5.tie1(mV);

    auto& B = nodes_.make<Sum>("B");
    B.number_of_terms(3);
    B.tie_(static_cast<Expression*>(&Ti3), static_cast<Expression*>(&Ti2),
           static_cast<Expression*>(&Ti));
    auto& C = nodes_.make<Sum2>("C");  // c1 - c2/T + c3/T^3
    C.tie2(Ti3, Ti);
    auto& D = nodes_.make<Sum1>("D");
    D.tie1(Ti);
    auto& alpha = nodes_.make<Sum1>("alpha");
    alpha.tie1(Ti3);
    auto& Bv = nodes_.make<Product>("Bv");
    Bv.tie2(B, mV);
    auto& Cv2 = nodes_.make<Product>("Cv2");
    Cv2.tie2(C, mV2);
    auto& Dv5 = nodes_.make<Product>("Dv5");
    Dv5.tie2(D, mV5);
    auto& gamav2 = nodes_.make<Sum1>("gamav2");
    gamav2.tie1(mV2);
    auto& beta1gv2 = nodes_.make<Sum1>("beta1gv2");
    beta1gv2.tie1(gamav2);
    auto& expgv2 = nodes_.make<Exponential>("expgv2");
    expgv2.set_scalars3(0.0, 1.0, -1.0);
    expgv2.tie1(gamav2);
    auto& be = nodes_.make<Product>("be");
    be.tie2(beta1gv2, expgv2);
    auto& bracket = nodes_.make<Sum1>("bracket");  // beta + 1 - be
    bracket.tie1(be);
    auto& ag = nodes_.make<Sum1>("ag");  // c4/(2 gamma T^3)
    ag.tie1(alpha);
    auto& E = nodes_.make<Product>("E");
    E.tie2(ag, bracket);

    makeRoot({&mlogV, &Bv, &Cv2, &Dv5, &E}, {1.0, 1.0, 0.5, 0.2, 1.0});
    setModelName("BWR");
}

BWR::~BWR() = default;

void BWR::number_of_components(int count) {
    if (count < 1) return;
    sizeGraph(count);
    analyzeGraph();
}

void BWR::set_parameters(const double* k) {
    configured = true;
    beta = k[kBeta];
    gamma = k[kGamma];
    node("B")->set_scalars_(-k[b4], -k[b3], -k[b2], k[b1]);
    node("C")->set_scalars3(k[c3], -k[c2], k[c1]);
    node("D")->set_scalars2(k[d2], k[d1]);
    node("alpha")->set_scalars2(k[c4], 0.0);
    node("gamav2")->set_scalars2(gamma, 0.0);
    node("beta1gv2")->set_scalars2(1.0, beta + 1.0);
    node("bracket")->set_scalars2(-1.0, beta + 1.0);
    node("ag")->set_scalars2(0.5 / gamma, 0.0);
}

// --------------------------------------------------------------------------- BWREOS

BWREOS::BWREOS(int phase_) : FluidPhase(1, phase_, 0) {
    setModelName("BWR EOS");
    setInteraction(0, new BWR);
    setIdealTerm(new Ideal);
    Vl0 = 2e-05;
    Vv0 = 0.0002;
}

BWREOS::~BWREOS() = default;

void BWREOS::number_of_components(int count) {
    FluidPhase::number_of_components(count);
    if (nc != 1) std::fprintf(stderr, "Can handle only one-component fluid\n");
}

void BWREOS::read_component_data(int index, const char* name) {
    if (index != 0) {
        std::fprintf(stderr, "Can handle only one-component fluid\n");
        return;
    }
    const bool simpleFluid = name && std::strcmp(name, "C1") == 0;
    const bool referenceFluid = name && std::strcmp(name, "C8") == 0;
    if (!simpleFluid && !referenceFluid) {
        std::fprintf(stderr, "Can only be applied to C1 or C8.\n");
        return;
    }
    static_cast<BWR*>(interaction[0])
        ->set_parameters(simpleFluid ? kLeeKesslerSimple : kLeeKesslerReference);
    const double mass = simpleFluid ? 0.016 : 0.146;
    molarMass[0] = mass;
    M = mass;
}

}  // namespace vornex

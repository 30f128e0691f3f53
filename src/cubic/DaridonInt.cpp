#include "cubic/DaridonInt.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace vornex {

DaridonInt::DaridonInt() : Schmidt(2.0, -1.0) {
    setModelName("daridon");
    const char* names1[] = {"ai", "aie", "aim", "Tri", "kiw",  "betai",
                            "xi", "xiw", "xpi", "mxw", "mxw4", "kw"};
    Expr1* arrays1[] = {&ai, &aie, &aim, &Tri, &kiw, &betai, &xi, &xiw, &xpi, &mxw, &mxw4, &kw};
    for (int k = 0; k < 12; ++k) arrays1[k]->setName(names1[k]);
    aijp.setName("aijp");
    aijr0.setName("aijr0");
    aijr.setName("aijr");
    mkij.setName("mkij");
    xw_ = &nodes_.make<FVar>("xw");
}

void DaridonInt::number_of_components(int n) {
    if (n < 1 || nc >= 1) return;
    T_->variableIndex = 0;
    V_->variableIndex = 1;
    xw_->variableIndex = 2;
    auto& sum = *static_cast<SumX2*>(a);
    sum.defineXVariables(2, n);
    static_cast<LineaX*>(b)->defineXVariables(2, n);
    for (Expr1* array : {&ai, &aie, &aim, &Tri, &kiw, &betai, &xi, &xiw, &xpi, &mxw, &mxw4, &kw})
        array->setSize(n);
    for (Expr2* array : {&aijp, &aijr0, &aijr, &mkij}) array->setSize(n);
    for (int i = 0; i < n; ++i) {
        auto& Tr = nodes_.make<Sum1>(nodeName("Tri", i));
        Tr.tie1(*T_);
        auto& exponent = nodes_.make<Sum1>(nodeName("aim", i));
        exponent.tie1(Tr);
        auto& e = nodes_.make<Exponential>(nodeName("aie", i));
        e.set_scalars3(0.0, 1.0, 1.0);
        e.tie1(exponent);
        auto& attraction = nodes_.make<Sum1>(nodeName("ai", i));
        attraction.tie1(e);
        Tri.at(i) = &Tr;
        aim.at(i) = &exponent;
        aie.at(i) = &e;
        ai.at(i) = &attraction;
        sum.tie_ij(i, i, &attraction);
        if (i == 0) {
            // Made after its child: the pool releases nodes in reverse order of creation.
            Trw2_ = &nodes_.make<Square>("Trw2");
            Trw2_->tie1(Tr);
            continue;
        }
        auto& x = nodes_.make<FVar>(nodeName("xi", i));
        x.variableIndex = i + 2;
        auto& pairSum = nodes_.make<Sum2>(nodeName("xiw", i));
        pairSum.tie2(x, *xw_);
        auto& share = nodes_.make<Division>(nodeName("xpi", i));
        share.tie2(*xw_, pairSum);
        auto& complement = nodes_.make<Sum1>(nodeName("mxw", i));
        complement.set_scalars2(-1.0, 1.0);
        complement.tie1(share);
        auto& fourth = nodes_.make<Power>(nodeName("mxw4", i));
        fourth.set_scalars3(1.0, 4.0, 0.0);
        fourth.tie1(complement);
        auto& decay = nodes_.make<Exponential>(nodeName("kw", i));
        decay.set_scalars3(0.0, 1.0, -10.0);
        decay.tie1(fourth);
        auto& beta = nodes_.make<Sum2>(nodeName("betai", i));
        beta.set_scalars3(0.0, 0.0, 1.0);
        beta.tie2(*Tri.at(0), *Trw2_);
        auto& k = nodes_.make<Product>(nodeName("kiw", i));
        k.tie2(beta, decay);
        xi.at(i) = &x;
        xiw.at(i) = &pairSum;
        xpi.at(i) = &share;
        mxw.at(i) = &complement;
        mxw4.at(i) = &fourth;
        kw.at(i) = &decay;
        betai.at(i) = &beta;
        kiw.at(i) = &k;
        for (int j = 0; j < i; ++j) {
            auto& root2 = geometricMean(nodes_, nodeName("aijp", i, j), nodeName("aijr0", i, j),
                                        attraction, *ai.at(j));
            // With water (j = 0): 1 - k_i - kiw_i once the binary parameters are set; between
            // two gases the plain geometric mean.
            auto& factor = nodes_.make<Sum1>(nodeName("mkij", i, j));
            factor.set_scalars2(j == 0 ? -1.0 : 0.0, 1.0);
            factor.tie1(k);
            auto& pair = nodes_.make<Product>(nodeName("aijr", i, j));
            pair.tie2(root2, factor);
            aijp.at(i, j) = root2.u;
            aijr0.at(i, j) = &root2;
            mkij.at(i, j) = &factor;
            aijr.at(i, j) = &pair;
            sum.tie_ij(i, j, &pair);
        }
    }
    Interaction::number_of_components(n);
    root->number_of_variables(n + 2);
    root->analyze_dependencies();
}

void DaridonInt::set_parametersx(int i, double ac, double m, double Tc, double bi) {
    if (i < 0 || i >= ai.size) return;
    Tri.at(i)->set_scalars2(1.0 / Tc, 0.0);
    aim.at(i)->set_scalars2(-m, m);
    ai.at(i)->set_scalars2(ac, 0.0);
    static_cast<LineaX*>(b)->coefficients[static_cast<size_t>(i)] = bi;
}

void DaridonInt::set_binary_parameters(int i, double k, double beta0, double beta1, double beta2,
                                       double gamma) {
    if (i < 1 || i >= ai.size) return;
    betai.at(i)->set_scalars3(beta1, beta2, beta0);
    mkij.at(i, 0)->set_scalars2(-1.0, 1.0 - k);
    kw.at(i)->set_scalars3(0.0, 1.0, -std::pow(10.0, gamma));
}

}  // namespace vornex

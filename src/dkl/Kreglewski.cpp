#include "dkl/Kreglewski.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "dkl/HardCoreNodes.h"
#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// D(n, m), m = 1 .. kTerms[n - 1] (Chen and Kreglewski 1977, Table 1; D(2, 5) to the
// publication's -133.70055).
constexpr int kTerms[4] = {6, 9, 5, 4};
constexpr double kD[4][9] = {
    {-8.8043, 4.164627, -48.203555, 140.4362, -195.23339, 113.515},
    {2.9396, -6.0865383, 40.137956, -76.230797, -133.70055, 860.25349, -1535.3224, 1221.4261,
     -409.10539},
    {-2.8225, 4.7600148, 11.257177, -66.382743, 69.248785},
    {0.34, -3.1875014, 12.231796, -12.110681}};

}  // namespace

void KreglewskiTerm::buildSeries(Expression& u, Expression& V0, Expression& mV) {
    Expression* up[5] = {nullptr, &u, nullptr, nullptr, nullptr};
    auto& u2 = nodes_.make<Square>("u2");
    u2.tie1(u);
    auto& u3 = nodes_.make<Cube>("u3");
    u3.tie1(u);
    auto& u4 = nodes_.make<Square>("u4");
    u4.tie1(u2);
    up[2] = &u2;
    up[3] = &u3;
    up[4] = &u4;
    Expression* wp[10] = {};
    auto& w = nodes_.make<Product>("w");
    w.tie2(V0, mV);
    auto& w2 = nodes_.make<Square>("w2");
    w2.tie1(w);
    auto& w3 = nodes_.make<Cube>("w3");
    w3.tie1(w);
    auto& w4 = nodes_.make<Square>("w4");
    w4.tie1(w2);
    wp[1] = &w;
    wp[2] = &w2;
    wp[3] = &w3;
    wp[4] = &w4;
    for (int m = 5; m <= 9; ++m) {
        auto& p = nodes_.make<Product>("w" + std::to_string(m));
        p.tie2(*wp[m - 1], w);
        wp[m] = &p;
    }
    std::vector<Expression*> terms;
    std::vector<double> scalars;
    for (int n = 1; n <= 4; ++n)
        for (int m = 1; m <= kTerms[n - 1]; ++m) {
            auto& p = nodes_.make<Product>("A" + std::to_string(n) + std::to_string(m));
            p.tie2(*up[n], *wp[m]);
            terms.push_back(&p);
            scalars.push_back(kD[n - 1][m - 1]);
        }
    makeRoot(terms, scalars);
}

// ------------------------------------------------------------------ Kreglewski1

Kreglewski1::Kreglewski1() {
    setModelName("KreglewskiInteraction");
    StateNodes s = makeStateNodes(nodes_);
    auto& u1 = nodes_.make<Sum1>("u1");
    u1.tie1(*s.mT);
    auto& u = nodes_.make<Product>("u");
    u.tie2(u1, *s.mT);
    Expression& V0 = makeHardCoreVolume(nodes_, *s.mT, "V0e", "V0");
    buildSeries(u, V0, *s.mV);
}

Kreglewski1::~Kreglewski1() = default;

void Kreglewski1::number_of_components(int count) {
    if (count < 1) return;
    sizeGraph(count);
    analyzeGraph();
}

void Kreglewski1::set_parameters(double V00_, double u0k_, double etak_, double C_) {
    V00 = V00_;
    u0k = u0k_;
    etak = etak_;
    C = C_;
    node("u1")->set_scalars2(u0k * etak, u0k);
    setHardCoreVolume(nodes_, "V0e", "V0", V00, u0k, C);
    configured = true;
}

// ------------------------------------------------------------------ Kreglewski2

Kreglewski2::Kreglewski2() {
    setModelName("Kreglewski Interaction for 2-components mixture");
    StateNodes s = makeStateNodes(nodes_);
    MixtureNodes m = makeMixedHardCoreVolume(nodes_, *s.mT);
    auto& mT2 = nodes_.make<Square>("mT2");
    mT2.tie1(*s.mT);
    auto& xg = nodes_.make<Sum2>("xg");
    xg.tie2(*m.x1, *m.x2);
    auto& phi1 = nodes_.make<Division>("phi1");
    phi1.tie2(*m.x1, xg);
    auto& phi2 = nodes_.make<Division>("phi2");
    phi2.tie2(*m.x2, xg);
    auto& phi11 = nodes_.make<Square>("phi11");
    phi11.tie1(phi1);
    auto& phi22 = nodes_.make<Square>("phi22");
    phi22.tie1(phi2);
    auto& phi12 = nodes_.make<Product>("phi12");
    phi12.tie2(phi1, phi2);
    auto& u11 = nodes_.make<Sum1>("u11");
    u11.tie1(*s.mT);
    auto& u22 = nodes_.make<Sum1>("u22");
    u22.tie1(*s.mT);
    auto& u12 = nodes_.make<Sum2>("u12");
    u12.tie2(*s.mT, mT2);
    auto& e11 = nodes_.make<Product>("phie11");
    e11.tie2(phi11, u11);
    auto& e12 = nodes_.make<Product>("phie12");
    e12.tie2(phi12, u12);
    auto& e22 = nodes_.make<Product>("phie22");
    e22.tie2(phi22, u22);
    auto& ss = nodes_.make<Sum>("ss");
    ss.number_of_terms(3);
    ss.tie_(static_cast<Expression*>(&e11), static_cast<Expression*>(&e12),
            static_cast<Expression*>(&e22));
    ss.set_scalars_(1.0, 2.0, 1.0, 0.0);
    auto& u1 = nodes_.make<Product>("u1");
    u1.tie2(xg, ss);
    auto& u = nodes_.make<Product>("u");
    u.tie2(u1, *s.mT);
    buildSeries(u, *m.V0, *s.mV);
}

Kreglewski2::~Kreglewski2() = default;

void Kreglewski2::number_of_components(int count) {
    if (count != 2) {
        std::fprintf(stderr, "Kreglewski interaction for two-components system.\n");
        return;
    }
    sizeGraph(2);
    analyzeGraph();
}

void Kreglewski2::set_parameters_of_component(int i, double V00_, double u0k_, double etak_,
                                              double C_) {
    if (i == 0 || i == 1) {
        V00[i] = V00_;
        u0k[i] = u0k_;
        etak[i] = etak_;
    }
    C = C_;
}

void Kreglewski2::set_binary_parameters(double k_, double eta12_, double theta12_, double xi12_) {
    k = k_;
    eta12 = eta12_;
    theta12 = theta12_;
    xi12 = xi12_;
}

void Kreglewski2::finalize_parameters() {
    if (!(V00[0] > 0.0) || !(V00[1] > 0.0) || !(u0k[0] > 0.0) || !(u0k[1] > 0.0)) {
        std::fprintf(stderr, "Kreglewski2: volumes and energies of both components must be positive\n");
        configured = false;
        return;
    }
    setMixedHardCoreVolume(nodes_, V00, u0k, C, k);
    r = std::cbrt(V00[1] / V00[0]);
    const double r2 = r * r;
    node("xg")->set_scalars3(1.0, r2, 0.0);
    node("phi2")->set_scalars1(r2);
    const double X = 2.0 * xi12 / (1.0 / u0k[0] + r2 / u0k[1]);
    node("u11")->set_scalars2(u0k[0] * etak[0], u0k[0]);
    node("u22")->set_scalars2(u0k[1] * etak[1] / r2, u0k[1] / r2);
    node("u12")->set_scalars3(eta12 * X, theta12 * theta12 * X, X);
    configured = true;
}

void Kreglewski2::set_parameters(double V00_1, double u0k_1, double etak_1, double V00_2,
                                 double u0k_2, double etak_2, double k_, double eta12_,
                                 double theta12_, double xi12_, double C_) {
    set_parameters_of_component(0, V00_1, u0k_1, etak_1, C_);
    set_parameters_of_component(1, V00_2, u0k_2, etak_2, C_);
    set_binary_parameters(k_, eta12_, theta12_, xi12_);
    finalize_parameters();
}

}  // namespace vornex

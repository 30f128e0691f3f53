#include "dkl/Kreglewski.h"
#include "numerics/Decimal.h"

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
constexpr double kD[4][9] = {{-8.8043, 4.164627, -48.203555, 140.4362, -195.23339, 113.515},
                             {2.9396, -6.0865383, 40.137956, -76.230797, -133.70055, 860.25349,
                              -1535.3224, 1221.4261, -409.10539},
                             {-2.8225, 4.7600148, 11.257177, -66.382743, 69.248785},
                             {0.34, -3.1875014, 12.231796, -12.110681}};

}  // namespace

void KreglewskiTerm::buildSeries(Expression& u, Expression& V0, Expression& mV) {
    TermNodes& n = nodes_;
    Expression* up[5] = {nullptr, &u, nullptr, nullptr, nullptr};
    up[2] = &tied<Square>(n, "u2", u);
    up[3] = &tied<Cube>(n, "u3", u);
    up[4] = &tied<Square>(n, "u4", *up[2]);
    Expression* wp[10] = {};
    wp[1] = &tied<Product>(n, "w", V0, mV);
    wp[2] = &tied<Square>(n, "w2", *wp[1]);
    wp[3] = &tied<Cube>(n, "w3", *wp[1]);
    wp[4] = &tied<Square>(n, "w4", *wp[2]);
    for (int m = 5; m <= 9; ++m)
        wp[m] = &tied<Product>(n, "w" + std::to_string(m), *wp[m - 1], *wp[1]);
    std::vector<Expression*> terms;
    std::vector<double> scalars;
    for (int i = 1; i <= 4; ++i)
        for (int m = 1; m <= kTerms[i - 1]; ++m) {
            terms.push_back(
                &tied<Product>(n, "A" + std::to_string(i) + std::to_string(m), *up[i], *wp[m]));
            scalars.push_back(kD[i - 1][m - 1]);
        }
    makeRoot(terms, scalars);
}

// ------------------------------------------------------------------ Kreglewski1

Kreglewski1::Kreglewski1() {
    setModelName("KreglewskiInteraction");
    StateNodes s = makeStateNodes(nodes_);
    auto& u1 = tied<Sum1>(nodes_, "u1", *s.mT);
    auto& u = tied<Product>(nodes_, "u", u1, *s.mT);
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
    TermNodes& n = nodes_;
    auto& mT2 = tied<Square>(n, "mT2", *s.mT);
    auto& xg = tied<Sum2>(n, "xg", *m.x1, *m.x2);
    auto& phi1 = tied<Division>(n, "phi1", *m.x1, xg);
    auto& phi2 = tied<Division>(n, "phi2", *m.x2, xg);
    auto& phi11 = tied<Square>(n, "phi11", phi1);
    auto& phi22 = tied<Square>(n, "phi22", phi2);
    auto& phi12 = tied<Product>(n, "phi12", phi1, phi2);
    // Scalars of xg, phi2, u11, u22 and u12 come with the parameters.
    auto& u11 = tied<Sum1>(n, "u11", *s.mT);
    auto& u22 = tied<Sum1>(n, "u22", *s.mT);
    auto& u12 = tied<Sum2>(n, "u12", *s.mT, mT2);
    auto& e11 = tied<Product>(n, "phie11", phi11, u11);
    auto& e12 = tied<Product>(n, "phie12", phi12, u12);
    auto& e22 = tied<Product>(n, "phie22", phi22, u22);
    auto& ss = weightedSum(n, "ss", {&e11, &e12, &e22}, {1.0, 2.0, 1.0}, 0.0);
    auto& u = tied<Product>(n, "u", tied<Product>(n, "u1", xg, ss), *s.mT);
    buildSeries(u, *m.V0, *s.mV);
}

Kreglewski2::~Kreglewski2() = default;

void Kreglewski2::number_of_components(int count) {
    if (count != 2) {
        vornex::cfprintf(stderr, "Kreglewski interaction for two-components system.\n");
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
        vornex::cfprintf(stderr,
                     "Kreglewski2: volumes and energies of both components must be positive\n");
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

#include "oldwater/Keenan.h"

#include <cmath>

#include "expression/BinOp.h"
#include "expression/UnOp.h"

namespace vornex {

namespace {

// tau = 1000 K / T and rho = 1.8015268e-5/V g/cm3; the publication's R = 0.46151 kJ/(kg K).
constexpr ReducingState kKeenanReducing = {1000.0, 1.8015268e-5, 0.46151 * 18.015268};
constexpr double kTauC = 1.544912;

// A_ij of Keenan, Keyes, Hill and Moore (1969), by column j: A_1j ... A_nj of the
// polynomial (n = 8 for j = 1, 2, else 4), then A_9j and A_10j.
struct KeenanColumn {
    int n;
    double A[8];
    double A9, A10;
};
constexpr KeenanColumn kColumns[7] = {
    {8,
     {29.492937, -132.13917, 274.64632, -360.93828, 342.18431, -244.50042, 155.18535, 5.9728487},
     -410.30848,
     -416.0586},
    {8,
     {-5.198586, 7.7779182, -33.301902, -16.254622, -177.31074, 127.48742, 137.46153, 155.97836},
     337.3118,
     -209.88866},
    {4, {6.8335354, -26.149751, 65.326396, -26.181978}, -137.46618, -733.96848},
    {4, {-0.1564104, -0.72546108, -9.2734289, 4.312584}, 6.7874983, 10.401717},
    {4, {-6.3972405, 26.409282, -47.740374, 56.32313}, 136.87317, 645.8188},
    {4, {-3.9661401, 15.453061, -29.14247, 29.568796}, 79.84797, 399.1757},
    {4, {-0.69048554, 2.7407416, -5.102807, 3.9636085}, 13.041253, 71.531353},
};

// psi0 tau/461.51 in tau, theta = 1/tau and ln tau, with ln T = ln 1000 - ln tau.
constexpr double kRT0 = 461.51;  // R times 1000 K, kJ/kg
constexpr double kLn1000 = 6.907755278982137;
constexpr TauPowerCoefficient kKeenanTheta[4] = {{-419.465 / kRT0, -1.0},
                                                 {36.6649 / kRT0, -2.0},
                                                 {-20.5516 / kRT0, -3.0},
                                                 {4.85233 / kRT0, -4.0}};

IdealGasTable keenanIdealTable() {
    return {false,
            (3229.12 - 1011.249 * kLn1000) / kRT0,
            (1857.065 + 46.0 * kLn1000) / kRT0,
            1011.249 / kRT0,
            -46.0 / kRT0,
            kKeenanTheta,
            {},
            -std::log(1.8015268e-05)};
}

}  // namespace

// Q is built as G_1 + (tau - tau_c) S: the published (tau - tau_c)^-1 factor of G_1 would
// divide by zero at tau_c.
KeenanRes::KeenanRes() : ReducedTerm(kKeenanReducing) {
    setModelName("Keenan residual");
    Leaf& rho = leaves_.delta();
    auto& lnRho = tied<Logarithm>(nodes_, "lnrho", rho);
    lnRho.set_scalars3(1.0, 0.0, 0.0);
    auto& e = tied<Exponential>(nodes_, "E", rho);  // exp(-4.8 rho)
    e.set_scalars3(0.0, 1.0, -4.8);
    Expression& rho1 = build_.shifted("rhoa1", rho, 0.634);
    Expression& rho2 = build_.shifted("rhoa", rho, 1.0);
    Expression& tauA = build_.shifted("taua", leaves_.tau(), 2.5);
    std::vector<Expression*> G;
    for (int j = 0; j < 7; ++j) {
        const KeenanColumn& col = kColumns[j];
        const std::string n = std::to_string(j + 1);
        std::vector<Expression*> children;
        std::vector<double> c;
        for (int i = 1; i < col.n; ++i) {
            children.push_back(j == 0 ? &build_.integerPower("rhoa1_", rho1, i)
                                      : &build_.integerPower("rhoa_", rho2, i));
            c.push_back(col.A[i]);
        }
        auto& linear = tied<Sum1>(nodes_, "L" + n, rho);
        linear.set_scalars2(col.A10, col.A9);
        children.push_back(&tied<Product>(nodes_, "EL" + n, e, linear));
        c.push_back(1.0);
        G.push_back(&weightedSum(nodes_, "G" + n, children, c, col.A[0]));
    }
    std::vector<Expression*> groups{G[1]};
    for (int j = 2; j < 7; ++j)
        groups.push_back(&tied<Product>(nodes_, "tG" + std::to_string(j + 1),
                                        build_.integerPower("taua_", tauA, j - 1),
                                        *G[static_cast<size_t>(j)]));
    auto& S = weightedSum(nodes_, "S", groups, std::vector<double>(groups.size(), 1.0), 0.0);
    auto& tauC = build_.shifted("tauc", leaves_.tau(), kTauC);
    auto& tS = tied<Product>(nodes_, "tS", tauC, S);
    auto& Q = tied<Sum2>(nodes_, "Q", *G[0], tS);
    Q.set_scalars3(1.0, 1.0, 0.0);
    auto& rhoQ = tied<Product>(nodes_, "rhoQ", rho, Q);
    makeRoot({&lnRho, &rhoQ});
}

KeenanId::KeenanId() : ReducedIdeal(kKeenanReducing, keenanIdealTable()) {
    setModelName("Keenan ideal");
}

Keenan::Keenan(int phase) : WaterEOS(1, phase, 0) {
    setInteraction(0, new KeenanRes);
    setIdealTerm(new KeenanId);
    setUpPureWater("Keenan", 1.8e-5, 2e-4);
}

Keenan::~Keenan() = default;

}  // namespace vornex

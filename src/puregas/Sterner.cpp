#include "puregas/Sterner.h"

#include <cmath>
#include <string>
#include <vector>

#include "expression/BinOp.h"
#include "expression/Sum.h"
#include "expression/UnOp.h"
#include "puregas/PureGasModel.h"

namespace vornex {

namespace {

// Sterner and Pitzer state R = 8.31451 J/(mol K).
constexpr ReducingState kSternerReducing = {1.0, 1e-6, 8.31451};

// Sterner and Pitzer (1994), Table 1: c_i = sum_k a_ik T^k, columns T^-4, T^-2, T^-1, 1,
// T, T^2; as powers of tau = 1/T: 4, 2, 1, 0, -1, -2.
constexpr int kTauPowers[6] = {4, 2, 1, 0, -1, -2};
constexpr double kSternerTable[10][6] = {
    {0, 0, 1826134, 79.224365, 0, 0},
    {0, 0, 0, 6.656066e-05, 5.7152798e-06, 3.0222363e-10},
    {0, 0, 0, 0.0059957845, 7.1669631e-05, 6.2416103e-09},
    {0, 0, -1.3270279, -0.15210731, 0.00053654244, -7.1115142e-08},
    {0, 0, 0.12456776, 4.9045367, 0.009822056, 5.5962121e-06},
    {0, 0, 0, 0.75522299, 0, 0},
    {-3.9344644e11, 90918237, 427767.16, -22.347856, 0, 0},
    {0, 0, 402.82608, 119.71627, 0, 0},
    {0, 22995650, -78971.817, -63.376456, 0, 0},
    {0, 0, 95029.765, 18.038071, 0, 0},
};

}  // namespace

SternerCO2::SternerCO2() : ReducedTerm(kSternerReducing) {
    Expression& rho = leaves_.delta();
    // c_i over the powers of tau it uses; c6 is a constant and enters B1 as a scalar.
    Expression* c[10] = {};
    for (int i = 0; i < 10; ++i) {
        if (i == 5) continue;
        std::vector<Expression*> powers;
        std::vector<double> scalars;
        for (int k = 0; k < 6; ++k) {
            if (kSternerTable[i][k] == 0.0 || kTauPowers[k] == 0) continue;
            const int power = kTauPowers[k];
            powers.push_back(&build_.integerPower("tau", leaves_.tau(), power));
            scalars.push_back(kSternerTable[i][k]);
        }
        c[i] = &weightedSum(nodes_, "c" + std::to_string(i + 1), powers, scalars,
                            kSternerTable[i][3]);
    }
    // B1 = c2 + c3 rho + c4 rho^2 + c5 rho^3 + c6 rho^4
    auto& c3r = tied<Product>(nodes_, "c3r", *c[2], rho);
    auto& c4r2 = tied<Product>(nodes_, "c4r2", *c[3], build_.deltaPower(2));
    auto& c5r3 = tied<Product>(nodes_, "c5r3", *c[4], build_.deltaPower(3));
    auto& b1 = weightedSum(nodes_, "B1", {c[1], &c3r, &c4r2, &c5r3, &build_.deltaPower(4)},
                           {1, 1, 1, 1, kSternerTable[5][3]}, 0.0);
    auto& a1 = tied<Product>(nodes_, "A1", *c[0], rho);
    auto& a2 = tied<Inverse>(nodes_, "A2", b1);
    auto& a3 = tied<Inverse>(nodes_, "A3", *c[1]);
    // (c_p/c_q)(exp(-c_q rho) - 1)
    auto exponentialPart = [&](const char* name, Expression& cp, Expression& cq) -> Expression& {
        const std::string stem = name;
        auto& ratio = tied<Division>(nodes_, stem + "ratio", cp, cq);
        auto& cqr = tied<Product>(nodes_, stem + "r", cq, rho);
        auto& e = tied<Exponential>(nodes_, stem + "e", cqr);
        e.set_scalars3(-1.0, 1.0, -1.0);
        return tied<Product>(nodes_, name, ratio, e);
    };
    Expression& a4 = exponentialPart("A4", *c[6], *c[7]);
    Expression& a5 = exponentialPart("A5", *c[8], *c[9]);
    // -ln V = ln(rho) - ln(1 cm3/mol)
    auto& mlogV = tied<Logarithm>(nodes_, "mlogV", rho);
    mlogV.set_scalars3(1.0, 0.0, -std::log(kSternerReducing.Vc));
    makeRoot({&mlogV, &a1, &a2, &a3, &a4, &a5}, {1, 1, 1, -1, -1, -1});
    setModelName("Sterner & Pitzer CO2 residual");
}

Sterner::Sterner(int phase) : CO2EOS(1, static_cast<short>(phase), 0) {
    setInteraction(0, new SternerCO2);
    setGasConstant(kSternerReducing.R);
    setUpPureGas(*this, {"Sterner & Pitzer CO2", "CO2", kCO2MolarMass, 2e-05, 2e-04});
}

Sterner::~Sterner() = default;

}  // namespace vornex

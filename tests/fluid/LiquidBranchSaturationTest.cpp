// The saturation solve keeps to the liquid branch: a van der Waals fluid given an extra loop
// on its liquid side (a bump of the Helmholtz energy, a = -ln(V - b) - a_vdW/(R T V)
// + (K/T) exp(-(ln(V/V0)/w)^2)) holds a second pair of equal pressures and fugacities whose
// "liquid" lies between the two loops. A solve started there must end on the pair of the
// liquid branch, solved here apart from the closed forms of P and G.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "expression/BinOp.h"
#include "expression/Function.h"
#include "expression/UnOp.h"
#include "fluid/FluidPhase.h"
#include "fluid/TestFluids.h"

namespace vornex {
namespace {

using testing::kVdwA;
using testing::kVdwB;

constexpr double R = kGasConstant;
constexpr double kBumpK = 20.0;           // K
constexpr double kBumpV0 = 1.5 * kVdwB;  // m3/mol
constexpr double kBumpWidth = 0.08;       // in ln V

// a = (K/T) exp(-(ln(V/V0)/w)^2).
class BumpTerm : public Interaction {
   public:
    BumpTerm() {
        setModelName("liquid-side bump");
        for (Expression* e : std::initializer_list<Expression*>{&T_, &V_, &lnV_, &square_,
                                                                &bump_, &invT_, &product_})
            e->holdAsMember();
        T_.variableIndex = 0;
        V_.variableIndex = 1;
        lnV_.set_scalars3(1.0, 0.0, -std::log(kBumpV0));
        lnV_.tie1(V_);
        square_.set_scalars1(1.0 / (kBumpWidth * kBumpWidth));
        square_.tie1(lnV_);
        bump_.set_scalars3(0.0, kBumpK, -1.0);
        bump_.tie1(square_);
        invT_.tie1(T_);
        product_.tie2(bump_, invT_);
        root = &product_;
    }
    ~BumpTerm() override { root = nullptr; }
    void number_of_components(int n) override {
        Interaction::number_of_components(n);
        product_.number_of_variables(n + 2);
    }

   private:
    FVar T_, V_;
    Logarithm lnV_;
    Square square_;
    Exponential bump_;
    Inverse invT_;
    Product product_;
};

double bumpOf(double V) {
    const double L = std::log(V / kBumpV0);
    return std::exp(-L * L / (kBumpWidth * kBumpWidth));
}

double pressure(double T, double V) {
    const double L = std::log(V / kBumpV0);
    return R * T / (V - kVdwB) - kVdwA / (V * V) +
           2.0 * R * kBumpK * bumpOf(V) * L / (kBumpWidth * kBumpWidth * V);
}

// G/(R T) = a + P V/(R T).
double gibbs(double T, double V) {
    return -std::log(V - kVdwB) - kVdwA / (R * T * V) + kBumpK / T * bumpOf(V) +
           pressure(T, V) * V / (R * T);
}

struct Pair {
    double Vl, Vv, P;
};

// Equal pressures and Gibbs energies by Newton from (Vl, Vv), differences for the slopes.
Pair coexistence(double T, double Vl, double Vv) {
    for (int k = 0; k < 60; ++k) {
        auto residual = [&](double l, double v, double* f) {
            f[0] = (pressure(T, l) - pressure(T, v)) * v / (R * T);
            f[1] = gibbs(T, l) - gibbs(T, v);
        };
        double f[2], fl[2], fv[2];
        residual(Vl, Vv, f);
        if (std::fabs(f[0]) + std::fabs(f[1]) < 1e-14) break;
        const double hl = 1e-7 * Vl, hv = 1e-7 * Vv;
        residual(Vl + hl, Vv, fl);
        residual(Vl, Vv + hv, fv);
        const double a = (fl[0] - f[0]) / hl, b = (fv[0] - f[0]) / hv;
        const double c = (fl[1] - f[1]) / hl, d = (fv[1] - f[1]) / hv;
        const double det = a * d - b * c;
        Vl -= (d * f[0] - b * f[1]) / det;
        Vv -= (a * f[1] - c * f[0]) / det;
    }
    return {Vl, Vv, pressure(T, Vl)};
}

std::unique_ptr<FluidPhase> makeBumpedVanDerWaals() {
    auto fluid = std::make_unique<FluidPhase>(2, 2, 0);
    fluid->setInteraction(0, new testing::VanDerWaalsTerm({kVdwA}, {kVdwB}));
    fluid->setInteraction(1, new BumpTerm());
    fluid->number_of_components(1);
    fluid->molarMass[0] = testing::kVdwMass;
    double x = 1.0;
    fluid->composition(&x);
    // The bump lies far on the liquid side: the critical point is van der Waals'.
    const testing::VdwCritical c = testing::vdwCritical(kVdwA, kVdwB);
    fluid->Tcrit = c.Tc;
    fluid->Vcrit = c.Vc;
    return fluid;
}

TEST(LiquidBranchSaturation, ASolveStartedBetweenTheLoopsEndsOnTheLiquidBranch) {
    auto fluid = makeBumpedVanDerWaals();
    const double T = 0.75 * testing::vdwCritical(kVdwA, kVdwB).Tc;
    // The model is the closed form.
    for (double V : {1.2 * kVdwB, 1.4 * kVdwB, kBumpV0, 1.7 * kVdwB, 10 * kVdwB}) {
        fluid->calculateFromTV(T, V, 0);
        EXPECT_NEAR(fluid->P, pressure(T, V), 1e-9 * R * T / (V - kVdwB)) << V;
    }
    const Pair liquid = coexistence(T, 1.3 * kVdwB, 17 * kVdwB);
    const Pair between = coexistence(T, 1.7 * kVdwB, 17 * kVdwB);
    // Two pairs (21.87 and 21.95 bar): the "liquid" of the one between the loops is less
    // dense than the extra loop, that of the other denser.
    ASSERT_LT(liquid.Vl, 1.4 * kVdwB);
    ASSERT_GT(between.Vl, 1.6 * kVdwB);
    ASSERT_GT(std::fabs(liquid.P / between.P - 1.0), 1e-3);
    // The bare solve from there finds that pair...
    ASSERT_TRUE(testing::saturate(*fluid, T, 1.7 * kVdwB, 17 * kVdwB));
    EXPECT_NEAR(fluid->Vl / between.Vl, 1.0, 1e-6);
    // ...the saturation of the fluid goes on to the liquid branch.
    fluid->Vl0 = 1.7 * kVdwB;
    fluid->Vv0 = 17 * kVdwB;
    const double Psat = fluid->calculateTheSaturationPressure(T);
    ASSERT_EQ(fluid->error, 0);
    EXPECT_NEAR(Psat / liquid.P, 1.0, 1e-8);
    EXPECT_NEAR(fluid->Vl / liquid.Vl, 1.0, 1e-6);
    EXPECT_NEAR(fluid->Vv / liquid.Vv, 1.0, 1e-6);
}

}  // namespace
}  // namespace vornex

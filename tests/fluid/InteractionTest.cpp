// Helmholtz terms: the evaluations of the base class on the analytic test terms, the
// derivative tables of the critical-point work against differences, and the entries each
// evaluation leaves alone.
#include <gtest/gtest.h>

#include <cmath>

#include "fluid/Ideal.h"
#include "fluid/Interaction.h"
#include "fluid/TestFluids.h"

namespace vornex {
namespace {

constexpr double R = kGasConstant;

class TermEvaluations : public ::testing::Test {
   protected:
    testing::VanDerWaalsTerm vdw{{0.3640, 0.2893, 0.2303}, {4.267e-05, 4.306e-05}};

    void SetUp() override {
        vdw.number_of_components(2);
        setState(310.0, 2e-4, 0.6);
    }
    void setState(double T, double V, double x0) {
        vdw.T = T;
        vdw.V = V;
        vdw.x = {x0, 1.0 - x0};
    }
};

TEST_F(TermEvaluations, IdealGasTermCompressibility) {
    testing::IdealGasTerm ideal;
    ideal.number_of_components(1);
    ideal.T = 300.0;
    ideal.V = 1e-3;
    ideal.calculate_Z();
    EXPECT_EQ(ideal.error, 0);
    EXPECT_NEAR(ideal.Z, 1.0, 1e-14);
    EXPECT_NEAR(ideal.dZdV, 0.0, 1e-10);
    EXPECT_NEAR(ideal.P, R * 300.0 / 1e-3, 1e-8);
    // One component: mu_0 = a + Z, the composition parts cancel.
    ideal.calculate_fugacities();
    EXPECT_NEAR(ideal.mu[0], -std::log(1e-3) + 1.0, 1e-12);
}

// The full table is checked against differences through the fluid's critical block, which
// sums it; the reduced evaluations fill their entries with the same values.
TEST_F(TermEvaluations, ReducedTablesAgreeWithTheFullOne) {
    vdw.calculate_critical_parameters();
    double full[Deriv::count];
    std::copy(vdw.table, vdw.table + Deriv::count, full);
    std::fill(vdw.table, vdw.table + Deriv::count, 0.0);
    vdw.calculate_third_order_critical_parameters();
    for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 18, 19, 20, 21})
        EXPECT_DOUBLE_EQ(vdw.table[k], full[k]) << k;
    EXPECT_EQ(vdw.table[Deriv::a_VVVV], 0.0);
    std::fill(vdw.table, vdw.table + Deriv::count, 0.0);
    vdw.calculate_critical_parameters_of_pure_fluid();
    for (int k : {0, 1, 5, 9, 14, 15, 17, 19, 22}) EXPECT_DOUBLE_EQ(vdw.table[k], full[k]) << k;
    EXPECT_EQ(vdw.table[Deriv::a_x], 0.0);
}

TEST_F(TermEvaluations, StateFunctionsLeaveTheCompositionEntries) {
    std::fill(vdw.table, vdw.table + Deriv::count, 7.0);
    vdw.calculate_state_functions();
    for (int k : {2, 3, 4, 6, 7, 8, 10, 11, 12, 13, 18, 20, 21, 23, 24, 25, 27, 29})
        EXPECT_EQ(vdw.table[k], 7.0) << k;
    EXPECT_NE(vdw.table[Deriv::a_TVV], 7.0);
}

TEST_F(TermEvaluations, ExpansivityDerivativesOfZ) {
    const double T = 310.0, V = 2e-4, hT = 1e-3, hV = 1e-8;
    auto zAt = [&](double t, double v) {
        setState(t, v, 0.6);
        vdw.calculate_Z();
        return vdw.Z;
    };
    const double z0 = zAt(T, V), zVp = zAt(T, V + hV), zVm = zAt(T, V - hV), zTp = zAt(T + hT, V),
                 zTm = zAt(T - hT, V);
    setState(T, V, 0.6);
    vdw.calculate_expansivity_derivative();
    EXPECT_NEAR(vdw.Z, z0, 1e-14);
    EXPECT_NEAR(vdw.dZdT, (zTp - zTm) / (2 * hT), 1e-8);
    EXPECT_NEAR(vdw.d2ZdV2, (zVp - 2 * z0 + zVm) / (hV * hV), 1e-3 * std::fabs(vdw.d2ZdV2));
    EXPECT_NEAR(vdw.d2ZdT2, (zTp - 2 * z0 + zTm) / (hT * hT), 1e-5 * std::fabs(vdw.d2ZdT2) + 1e-9);
}

TEST_F(TermEvaluations, EvaluationOutsideTheDomainOrOfAnotherSizeSetsTheErrorFlag) {
    setState(310.0, 1e-5, 0.6);  // inside the co-volume: ln(V - b) undefined
    vdw.calculate_Z();
    EXPECT_EQ(vdw.error, 1);
    setState(310.0, 2e-4, 0.6);
    vdw.calculate_Z();
    EXPECT_EQ(vdw.error, 0);
    // The graph has 2 + 2 variables; a term told of three components must not read it.
    vdw.nc = 3;
    vdw.calculate_state_functions();
    EXPECT_EQ(vdw.error, 1);
}

TEST(BareTerm, TermWithoutGraphContributesNothingWithoutError) {
    Ideal bare;
    bare.number_of_components(2);
    bare.T = 300.0;
    bare.V = 1e-3;
    bare.x = {0.4, 0.6};
    for (auto evaluate : {&Interaction::calculate_Z, &Interaction::calculate_fugacities,
                          &Interaction::calculate_critical_parameters}) {
        (bare.*evaluate)();
        EXPECT_EQ(bare.error, 0);
    }
    EXPECT_EQ(bare.Z, 0.0);
    EXPECT_EQ(bare.P, 0.0);
    for (double m : bare.mu) EXPECT_EQ(m, 0.0);
    for (double entry : bare.table) EXPECT_EQ(entry, 0.0);
}

}  // namespace
}  // namespace vornex

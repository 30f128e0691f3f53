// Helmholtz terms: the evaluations of the base class on the analytic test terms, the
// derivative tables of the critical-point work against differences, and the entries each
// evaluation leaves alone.
#include <gtest/gtest.h>

#include <cmath>

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
    // One table entry after the full critical-parameter evaluation at (T, V, x0).
    double entryAt(int k, double T, double V, double x0) {
        setState(T, V, x0);
        vdw.calculate_critical_parameters();
        return vdw.table[k];
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

TEST_F(TermEvaluations, CriticalTableAgainstDifferences) {
    // Every entry is the difference quotient of the entry with one derivative less: in x
    // along (x_1 up, x_0 down), in V or in T, whichever has its entry with one less.
    const double T = 310.0, V = 2e-4, x0 = 0.6;
    const double hT = 1e-3, hV = 1e-9, hx = 1e-4;
    vdw.calculate_critical_parameters();
    ASSERT_EQ(vdw.error, 0);
    double table[Deriv::count];
    std::copy(vdw.table, vdw.table + Deriv::count, table);
    for (int k = 1; k < Deriv::count; ++k) {
        int parent = -1, axis = 2;
        for (; axis >= 0 && parent < 0; --axis) {
            if (kDerivCounts[k][axis] == 0) continue;
            for (int p = 0; p < Deriv::count; ++p) {
                bool lower = true;
                for (int d = 0; d < 3; ++d)
                    lower = lower && kDerivCounts[p][d] == kDerivCounts[k][d] - (d == axis);
                if (lower) parent = p;
            }
        }
        ++axis;
        ASSERT_GE(parent, 0) << "entry " << k;
        double fd;
        if (axis == 2)
            fd = (entryAt(parent, T, V, x0 - hx) - entryAt(parent, T, V, x0 + hx)) / (2 * hx);
        else if (axis == 1)
            fd = (entryAt(parent, T, V + hV, x0) - entryAt(parent, T, V - hV, x0)) / (2 * hV);
        else
            fd = (entryAt(parent, T + hT, V, x0) - entryAt(parent, T - hT, V, x0)) / (2 * hT);
        EXPECT_NEAR(table[k], fd, 1e-5 * std::fabs(table[k]) + 1e-9) << "entry " << k;
    }
}

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
    const double T = 310.0, V = 2e-4, x0 = 0.6, hT = 1e-3, hV = 1e-8;
    auto zAt = [&](double t, double v) {
        setState(t, v, x0);
        vdw.calculate_Z();
        return vdw.Z;
    };
    const double zVp = zAt(T, V + hV), zVm = zAt(T, V - hV), zTp = zAt(T + hT, V),
                 zTm = zAt(T - hT, V), z0 = zAt(T, V);
    setState(T, V, x0);
    vdw.calculate_expansivity_derivative();
    EXPECT_NEAR(vdw.Z, z0, 1e-14);
    EXPECT_NEAR(vdw.dZdT, (zTp - zTm) / (2 * hT), 1e-8);
    EXPECT_NEAR(vdw.d2ZdV2, (zVp - 2 * z0 + zVm) / (hV * hV), 1e-3 * std::fabs(vdw.d2ZdV2));
    EXPECT_NEAR(vdw.d2ZdT2, (zTp - 2 * z0 + zTm) / (hT * hT), 1e-5 * std::fabs(vdw.d2ZdT2) + 1e-9);
}

TEST_F(TermEvaluations, EvaluationOutsideTheDomainSetsTheErrorFlag) {
    setState(310.0, 1e-5, 0.6);  // inside the co-volume: ln(V - b) undefined
    vdw.calculate_Z();
    EXPECT_EQ(vdw.error, 1);
    setState(310.0, 2e-4, 0.6);
    vdw.calculate_Z();
    EXPECT_EQ(vdw.error, 0);
}

TEST_F(TermEvaluations, TermWithoutGraphFailsInsteadOfReadingNothing) {
    Interaction bare;
    bare.number_of_components(1);
    bare.calculate_state_functions();
    EXPECT_EQ(bare.error, 1);
}

}  // namespace
}  // namespace vornex

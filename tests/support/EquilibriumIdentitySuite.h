// The identities of a solved two-phase equilibrium, as one parameterised suite for the
// mixture models of the equilibrium subsystem: the solution closes (sum x = sum y = 1) and
// balances every component's mass (nL x_i + nV y_i = N z_i); its phases are in equilibrium,
// by the solver's own rule, evaluated afresh at the solution's T and P (equal fugacities of
// every component in the two fluid models for IFP; Raoult's law y_i P = x_i Psat_i(T) for
// IdealMixture); and the same problem given with the components in the other order has the
// same solution. VLE itself solves nothing (its design: the problem, its state and the
// tracers' bookkeeping, solved by its subclasses), so it is checked through IdealMixture and
// IFP, which are it. The fluid models the solvers stand on are in the identity suite of the
// equations of state (EosIdentitySuite.h).
//
// A case joins with one line in one source file of its test program:
//     VORNEX_EQUILIBRIUM_IDENTITY_SUITE(Vle, EquilibriumCase{"name", solve, solveReversed});
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fluid/FluidPhase.h"
#include "vle/IFP.h"
#include "vle/IdealMixture.h"
#include "vle/VLE.h"

namespace vornex::testing_support {

// A solver with one problem solved, and the fluid models it stands on (owned here).
struct SolvedEquilibrium {
    std::vector<std::unique_ptr<FluidPhase>> phases;
    std::unique_ptr<VLE> solver;
};

struct EquilibriumCase {
    std::string name;
    std::function<SolvedEquilibrium()> solve;
    std::function<SolvedEquilibrium()> solveReversed;  // the components in reverse order
    double tolerance = 1e-7;                           // of the solve
};

inline void PrintTo(const EquilibriumCase& c, std::ostream* os) {
    *os << c.name;
}

inline std::string equilibriumCaseName(const ::testing::TestParamInfo<EquilibriumCase>& info) {
    return info.param.name;
}

class EquilibriumIdentityTest : public ::testing::TestWithParam<EquilibriumCase> {
   protected:
    void SetUp() override {
        solved = GetParam().solve();
        ASSERT_NE(solved.solver, nullptr);
        ASSERT_EQ(solved.solver->status, 0) << "the problem is solved";
    }
    const VLECurrentState& state() const { return solved.solver->current; }
    SolvedEquilibrium solved;
};

TEST_P(EquilibriumIdentityTest, SolutionClosesAndBalancesMass) {
    const VLE& s = *solved.solver;
    const double tol = GetParam().tolerance;
    double sx = 0.0, sy = 0.0, N = 0.0;
    for (int i = 0; i < s.n; ++i) {
        const auto u = static_cast<size_t>(i);
        sx += state().x[u];
        sy += state().y[u];
        N += s.bulkAmount[u];
        EXPECT_NEAR(state().nL * state().x[u] + state().nV * state().y[u], s.bulkAmount[u],
                    tol * s.bulkAmount[u] + 1e-12)
            << "mass of component " << i;
    }
    EXPECT_NEAR(sx, 1.0, tol);
    EXPECT_NEAR(sy, 1.0, tol);
    EXPECT_NEAR(state().nL + state().nV, N, tol * N);
}

TEST_P(EquilibriumIdentityTest, PhasesAreInEquilibriumAtTheSolution) {
    const VLE& s = *solved.solver;
    const double T = state().T, P = state().P, tol = GetParam().tolerance;
    auto* raoult = dynamic_cast<IdealMixture*>(solved.solver.get());
    if (raoult != nullptr && dynamic_cast<IFP*>(raoult) == nullptr) {
        for (int i = 0; i < s.n; ++i) {
            const auto u = static_cast<size_t>(i);
            const double partial = state().x[u] * raoult->Psat(i, T);
            EXPECT_NEAR(state().y[u] * P, partial, tol * partial) << "Raoult, component " << i;
        }
        return;
    }
    // Each phase evaluated anew at T, P and its own composition, on its own side.
    auto lnf = [&](FluidPhase& phase, const std::vector<double>& z) {
        phase.composition(z.data());
        phase.calculateFromTP(T, P / 1e5, 0);
        EXPECT_EQ(phase.error, 0) << phase.modelName;
        return phase.lnFugacity;
    };
    const std::vector<double> first = lnf(*s.firstPhase, state().x);
    const double Vfirst = s.firstPhase->V;
    const std::vector<double> second = lnf(*s.secondPhase, state().y);
    for (int i = 0; i < s.n; ++i)
        EXPECT_NEAR(first[static_cast<size_t>(i)], second[static_cast<size_t>(i)], 10 * tol)
            << "ln f of component " << i;
    EXPECT_LT(1.01 * Vfirst, s.secondPhase->V) << "two distinct phases";
}

TEST_P(EquilibriumIdentityTest, SolutionIsTheSameInEitherComponentOrder) {
    ASSERT_TRUE(GetParam().solveReversed) << "a case joins with its other component order";
    const SolvedEquilibrium other = GetParam().solveReversed();
    ASSERT_NE(other.solver, nullptr);
    ASSERT_EQ(other.solver->status, 0);
    const VLECurrentState& b = other.solver->current;
    const double tol = 10 * GetParam().tolerance;
    EXPECT_NEAR(b.T, state().T, tol * state().T);
    EXPECT_NEAR(b.P, state().P, tol * state().P);
    EXPECT_NEAR(b.nV, state().nV, tol * (state().nV + state().nL));
    const size_t n = state().x.size();
    ASSERT_EQ(b.x.size(), n);
    for (size_t i = 0; i < n; ++i) {
        EXPECT_NEAR(b.x[n - 1 - i], state().x[i], tol) << "x of component " << i;
        EXPECT_NEAR(b.y[n - 1 - i], state().y[i], tol) << "y of component " << i;
    }
}

}  // namespace vornex::testing_support

// Instantiates the suite for the listed EquilibriumCase values.
#define VORNEX_EQUILIBRIUM_IDENTITY_SUITE(Name, ...)                                        \
    using ::vornex::testing_support::EquilibriumIdentityTest;                               \
    INSTANTIATE_TEST_SUITE_P(Name, EquilibriumIdentityTest, ::testing::Values(__VA_ARGS__), \
                             ::vornex::testing_support::equilibriumCaseName)

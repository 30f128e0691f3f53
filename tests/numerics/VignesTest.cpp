#include <gtest/gtest.h>

#include <cmath>

#include "numerics/CallbackProbe.h"
#include "numerics/Vignes.h"

namespace vornex {
namespace {

using test::CircleLine;

// Rosenbrock's function as a system: 10 (y - x^2) = 0, 1 - x = 0; root (1, 1) at the end
// of a curved valley.
struct Rosenbrock : Equation {
    bool broken = false;
    void system(double* x, double* F, double** J, int& error, int order, void*) {
        if (broken) {
            error = 1;
            return;
        }
        F[0] = 10 * (x[1] - x[0] * x[0]);
        F[1] = 1 - x[0];
        if (order == 1) {
            J[0][0] = -20 * x[0];
            J[0][1] = 10;
            J[1][0] = -1;
            J[1][1] = 0;
        }
    }
};

// The circle twice over: J^T J is singular wherever y = 0, so only the descent moves.
struct DoubledCircle : Equation {
    void system(double* x, double* F, double** J, int&, int order, void*) {
        const double r = x[0] * x[0] + x[1] * x[1] - 4.0;
        F[0] = r;
        F[1] = 2 * r;
        if (order == 1) {
            J[0][0] = 2 * x[0];
            J[0][1] = 2 * x[1];
            J[1][0] = 4 * x[0];
            J[1][1] = 4 * x[1];
        }
    }
};

class VignesSolver : public ::testing::Test {
   protected:
    Vignes solver;
    template <typename System>
    void bind(System& system, double x, double y) {
        solver._setSysEquationToSolve(&system, static_cast<EquationSystem>(&System::system), 2);
        solver.x[0] = x;
        solver.x[1] = y;
    }
};

TEST_F(VignesSolver, CircleLineWithEitherJacobian) {
    CircleLine circle;
    for (int numerical : {0, 1}) {
        bind(circle, 1.0, 0.5);
        solver.numerical = numerical;
        solver.eps[0] = solver.eps[1] = 1e-7;
        EXPECT_EQ(solver.solve(), 0);
        EXPECT_NEAR(solver.x[0], std::sqrt(2.0), 1e-6);
        EXPECT_NEAR(solver.x[1], std::sqrt(2.0), 1e-6);
        EXPECT_LT(solver.modG, 1e-11);
    }
}

TEST_F(VignesSolver, RosenbrockValleyFromAwayAtAndWithoutEvaluation) {
    Rosenbrock rosenbrock;
    bind(rosenbrock, -1.2, 1.0);
    solver.itermax = 100;
    EXPECT_EQ(solver.solve(), 0);
    EXPECT_NEAR(solver.x[0], 1.0, 1e-6);
    EXPECT_NEAR(solver.x[1], 1.0, 1e-6);
    // At the root the Gauss-Newton step is zero, and so the first descent step length: the
    // search must still end.
    bind(rosenbrock, 1.0, 1.0);
    EXPECT_EQ(solver.solve(), 0);
    EXPECT_EQ(solver.x[0] + solver.x[1], 2.0);
    rosenbrock.broken = true;
    bind(rosenbrock, -1.2, 1.0);
    EXPECT_EQ(solver.solve(), 1);
    EXPECT_EQ(solver.x[0], -1.2);
}

TEST_F(VignesSolver, DescentCarriesOnWhenGaussNewtonIsSingular) {
    DoubledCircle circle;
    bind(circle, 1.0, 0.0);
    testing::internal::CaptureStdout();  // the singular step is the solver's own affair
    solver.solve();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(solver.x[1], 0.0);
    EXPECT_NEAR(solver.x[0], 2.0, 1e-3);
    EXPECT_LT(solver.modG, 1e-4);
}

}  // namespace
}  // namespace vornex

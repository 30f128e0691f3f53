// The derivative check of the one-unknown Newton solver: the callback's own slope beside
// the central difference, which tells a wrong analytic derivative from a right one.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "numerics/CallbackProbe.h"
#include "numerics/NewtonRaphson.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace derivative_check {

using test::CallbackProbe;

// The two numbers the check prints after "Anal. :" and "Num. :".
void printedSlopes(const std::string& text, double& analytic, double& numerical) {
    const auto at = text.find("Anal. :");
    ASSERT_NE(at, std::string::npos) << text;
    ASSERT_EQ(std::sscanf(text.c_str() + at, "Anal. : %lg  Num. : %lg", &analytic, &numerical), 2)
        << text;
}

TEST(NewtonRaphsonDerivativeCheck, PrintsTheSlopeBesideItsCentralDifference) {
    CallbackProbe probe;
    probe.f = test::cubic;
    probe.dfdx = test::cubicSlope;
    NewtonRaphson nr;
    nr.equation = &probe;
    nr.function = CallbackProbe::withDerivative();
    double analytic = 0, numerical = 0;
    const std::string text = test::stdoutOf([&] { nr.check_derivatives(2.0, 1e-3); });
    EXPECT_NE(text.find("Check derivatives at 2.000000"), std::string::npos) << text;
    printedSlopes(text, analytic, numerical);
    EXPECT_DOUBLE_EQ(analytic, 10.0);  // 3 x^2 - 2
    EXPECT_NEAR(numerical, 10.0, 1e-5);  // six printed digits
    EXPECT_EQ(probe.calls, (std::vector<double>{2.0, 2.0 - 1e-3, 2.0 + 1e-3}));

    // A wrong analytic slope shows as a difference between the two.
    probe.dfdx = [](double x) { return 3 * x * x; };
    printedSlopes(test::stdoutOf([&] { nr.check_derivatives(2.0, 1e-3); }), analytic, numerical);
    EXPECT_NEAR(analytic - numerical, 2.0, 1e-5);

    // A callback that fails at the probe points leaves no flag for the next solve.
    probe.fails = [](double x, int) { return x > 2.0; };
    test::stdoutOf([&] { nr.check_derivatives(2.0, 1e-3); });
    EXPECT_EQ(probe.equationError, 0);
}

// A solver with no callback bound reports that instead of calling through a null pointer.
TEST(NewtonRaphsonDerivativeCheck, UnboundSolverSaysSo) {
    NewtonRaphson nr;
    const std::string text = test::outputOf([&] { nr.check_derivatives(1.0, 1e-3); });
    EXPECT_NE(text.find("no equation"), std::string::npos) << text;
}

}  // namespace derivative_check
}  // namespace vornex

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "numerics/CallbackProbe.h"
#include "numerics/NewtonRaphson.h"
#include "numerics/TextCapture.h"

namespace vornex {
namespace {

using test::CallbackProbe;

class NewtonRaphsonSolve : public testing::Test {
   protected:
    CallbackProbe probe;
    NewtonRaphson nr;

    void bind(std::function<double(double)> f, std::function<double(double)> df, double x0) {
        probe.f = std::move(f);
        probe.dfdx = std::move(df);
        probe.calls.clear();
        nr = NewtonRaphson();
        nr.equation = &probe;
        nr.function = CallbackProbe::withDerivative();
        nr.x0 = x0;
    }
    // Scripted: f = f' = 1 at the first call, then values given by the call number.
    void script(std::function<double(size_t, double)> f, std::function<double(size_t)> df,
                double x0) {
        bind([=,
              this](double x) { return probe.calls.size() == 1 ? 1.0 : f(probe.calls.size(), x); },
             [=, this](double) { return probe.calls.size() == 1 ? 1.0 : df(probe.calls.size()); },
             x0);
    }
};

TEST_F(NewtonRaphsonSolve, FindsTheReferenceRoots) {
    bind(test::cubic, test::cubicSlope, 2);
    nr.tolerance = 1e-13;
    EXPECT_NEAR(nr.solve(), test::kCubicRoot, 1e-12);
    EXPECT_EQ(nr.error, 0);
    bind(test::cosMinusX, test::cosMinusXSlope, 0);
    EXPECT_NEAR(nr.solve(), test::kDottie, 1e-12);
    EXPECT_EQ(nr.error, 0);
    // P(V) = RT/V at 300 K and 1 bar, with the settings of the fluid's volume search.
    const double RT = 8.31434 * 300, P = 1e5;
    bind([&](double V) { return RT / V - P; }, [&](double V) { return -RT / (V * V); }, 1e-3);
    nr.itermax = 100;
    nr.tolerance = 1e-15;
    nr.bounded = 1;
    nr.xmin = 1e-7;
    nr.xmax = 1e6;
    EXPECT_NEAR(nr.solve(), RT / P, 1e-14);
    EXPECT_EQ(nr.error, 0);
    // Starting at a root converges after one step.
    bind([](double x) { return x - 3; }, [](double) { return 1.0; }, 3);
    EXPECT_EQ(nr.solve(), 3);
    EXPECT_EQ(nr.error * 10 + nr.iterations, 2);
}

TEST_F(NewtonRaphsonSolve, ErrorCodes) {
    bind(test::cubic, test::cubicSlope, 2);
    probe.fails = [](double, int) { return true; };
    EXPECT_TRUE(std::isnan(nr.solve()));
    EXPECT_EQ(nr.error * 10 + probe.equationError, 40);
    probe.fails = nullptr;
    bind([](double) { return std::numeric_limits<double>::infinity(); }, test::cubicSlope, 2);
    EXPECT_TRUE(std::isnan(nr.solve()));
    EXPECT_EQ(nr.error, 4);  // a value that is not finite is a failed evaluation

    // Bound violations: every relaxed step is refused unevaluated, then the error.
    bind([](double x) { return x + 100; }, [](double) { return 1.0; }, 0);
    nr.bounded = 1;
    nr.xmin = -0.1;
    nr.solve();
    EXPECT_EQ(nr.error, 2);
    EXPECT_EQ(probe.calls.size(), 1u);
    bind([](double x) { return x - 100; }, [](double) { return 1.0; }, 0);
    nr.bounded = 1;
    nr.xmax = 0.1;
    nr.solve();
    EXPECT_EQ(nr.error, 3);

    script([](size_t, double) { return 2.0; }, [](size_t) { return 1.0; }, 5);
    nr.checks = 1;
    nr.solve();
    EXPECT_EQ(nr.error, 5);
    EXPECT_EQ(probe.calls.size(), 11u);
    script([](size_t, double) { return 0.5; }, [](size_t) { return -1.0; }, 5);
    nr.checks = 1;
    nr.solve();
    EXPECT_EQ(nr.error, 6);

    // Newton on x^3 - 2x + 2 from 0 cycles 0, 1, 0, 1 ... on the positive side.
    bind([](double x) { return x * x * x - 2 * x + 2; }, [](double x) { return 3 * x * x - 2; }, 0);
    nr.solve();
    EXPECT_EQ(nr.error, 1);
}

TEST_F(NewtonRaphsonSolve, BracketEndAtZeroIsNoBracket) {
    // atan(x - 2) from 0: Newton diverges; the only negative value seen is at x = 0.
    bind([](double x) { return std::atan(x - 2); },
         [](double x) { return 1 / (1 + (x - 2) * (x - 2)); }, 0);
    nr.itermax = 5;
    EXPECT_GT(std::fabs(nr.solve() - 2), 1);
    EXPECT_EQ(nr.error, 1);
    EXPECT_EQ(nr.xneg, 0);
}

TEST_F(NewtonRaphsonSolve, BisectionFallbackEndsWithSuccess) {
    // atan x from 2: Newton diverges, leaving a sign bracket around the root 0.
    bind([](double x) { return std::atan(x); }, [](double x) { return 1 / (1 + x * x); }, 2);
    nr.itermax = 50;  // bounds the bisection as well
    nr.tolerance = 1e-12;
    EXPECT_NEAR(nr.solve(), 0, 1e-11);
    EXPECT_EQ(nr.error, 0);
}

TEST_F(NewtonRaphsonSolve, BisectionFallbackIgnoresGrowthChecks) {
    // Newton steps from 2 to 1, bracketing the root; the next step fails at every
    // relaxation. Halving [1, 2] then meets a larger |f| and a slope of the other sign
    // than at the last Newton point, which are no failures of a bisection.
    script([](size_t call, double x) { return call == 2 ? -1.0 : 10 * (x - 1.2); },
           [](size_t call) { return call == 2 ? 1.0 : -1.0; }, 2);
    probe.fails = [](double, int k) { return k >= 3 && k <= 12; };
    nr.checks = 1;
    nr.itermax = 50;
    nr.tolerance = 1e-12;
    EXPECT_NEAR(nr.solve(), 1.2, 1e-11);
    EXPECT_EQ(nr.error, 0);
    EXPECT_EQ(nr.checks, 1);
}

TEST_F(NewtonRaphsonSolve, ConvergedStepMustNotClearCalleeError) {
    // Every point below the start fails; the smallest relaxed step passes the step test.
    bind([](double x) { return x - 1; }, [](double) { return 1.0; }, 1.2);
    nr.tolerance = 0.1;
    probe.fails = [](double x, int) { return x < 1.2; };
    nr.solve();
    EXPECT_EQ(nr.error, 4);
    EXPECT_EQ(probe.equationError, 0);
}

TEST_F(NewtonRaphsonSolve, FlagLeftByAnEarlierCallDoesNotFailTheNextSolve) {
    // The flag a refused evaluation outside the solve left raised belongs to none of its
    // points.
    bind(test::cubic, test::cubicSlope, 2);
    nr.tolerance = 1e-13;
    probe.equationError = 1;
    EXPECT_NEAR(nr.solve(), test::kCubicRoot, 1e-12);
    EXPECT_EQ(nr.error, 0);
}

TEST_F(NewtonRaphsonSolve, PlotWritesTheCurveAndLowersTheFlag) {
    test::ScratchFolder folder;
    bind([](double x) { return 2 * x; }, [](double) { return 2.0; }, 0);
    probe.fails = [](double x, int) { return x > 1.5; };
    nr.plot(0, 2, 4);
    EXPECT_EQ(test::readFile("nr").substr(0, 14), "0 0\n0.5 1\n1 2\n");
    EXPECT_EQ(probe.calls.size(), 5u);
    EXPECT_EQ(probe.equationError, 0);

    std::filesystem::remove("nr");
    std::filesystem::create_directory("nr");
    EXPECT_NE(test::stderrOf([&] { nr.plot(0, 1, 2); }).find("nr"), std::string::npos);
}

}  // namespace
}  // namespace vornex

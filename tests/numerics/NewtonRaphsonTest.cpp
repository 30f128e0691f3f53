#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "numerics/CallbackProbe.h"
#include "numerics/NewtonRaphson.h"

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
        nr.equation = &probe;
        nr.function = CallbackProbe::withDerivative();
        nr.x0 = x0;
    }
    int trialLines(const std::string& out) {
        int n = 0;
        for (size_t p = out.find("i "); p != std::string::npos; p = out.find("\ni ", p + 1)) ++n;
        return n;
    }
};

TEST_F(NewtonRaphsonSolve, FindsTheReferenceRoots) {
    bind(test::cubic, test::cubicSlope, 2);
    nr.tolerance = 1e-13;
    EXPECT_NEAR(nr.solve(), test::kCubicRoot, 1e-12);
    EXPECT_EQ(nr.error, 0);

    probe.calls.clear();
    bind(test::cosMinusX, test::cosMinusXSlope, 0);
    EXPECT_NEAR(nr.solve(), test::kDottie, 1e-12);
    EXPECT_EQ(nr.error, 0);
}

TEST_F(NewtonRaphsonSolve, FindsAnIdealGasVolumeWithTheFluidSettings) {
    // P(V) = RT/V at 300 K and 1 bar, in the settings the fluid's volume search uses.
    const double RT = 8.31434 * 300, P = 1e5;
    bind([&](double V) { return RT / V - P; }, [&](double V) { return -RT / (V * V); }, 1e-3);
    nr.itermax = 100;
    nr.tolerance = 1e-15;
    nr.bounded = 1;
    nr.xmin = 1e-7;
    nr.xmax = 1e6;
    EXPECT_NEAR(nr.solve(), RT / P, 1e-14);
    EXPECT_EQ(nr.error, 0);
}

TEST_F(NewtonRaphsonSolve, StartingAtARootConvergesAfterOneStep) {
    bind([](double x) { return x - 3; }, [](double) { return 1.0; }, 3);
    EXPECT_EQ(nr.solve(), 3);
    EXPECT_EQ(nr.error, 0);
    EXPECT_EQ(nr.iterations, 2);
}

TEST_F(NewtonRaphsonSolve, FailedStartReturnsNaNWithFour) {
    bind(test::cubic, test::cubicSlope, 2);
    probe.fails = [](double, int) { return true; };
    EXPECT_TRUE(std::isnan(nr.solve()));
    EXPECT_EQ(nr.error, 4);
    EXPECT_EQ(probe.equationError, 0);

    bind([](double) { return std::numeric_limits<double>::infinity(); }, [](double) { return 1.0; },
         2);
    probe.fails = nullptr;
    EXPECT_TRUE(std::isnan(nr.solve()));
    EXPECT_EQ(nr.error, 4);  // a value that is not finite is a failed evaluation
}

TEST_F(NewtonRaphsonSolve, BoundViolationTriesTenRelaxations) {
    bind([](double x) { return x + 100; }, [](double) { return 1.0; }, 0);
    nr.bounded = 1;
    nr.xmin = -0.1;
    nr.verbose = 1;
    testing::internal::CaptureStdout();
    nr.solve();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(nr.error, 2);
    EXPECT_EQ(trialLines(out), 10);  // r = 1, 1/2, ..., 1/512
    EXPECT_EQ(probe.calls.size(), 1u);

    bind([](double x) { return x - 100; }, [](double) { return 1.0; }, 0);
    nr.verbose = 0;
    nr.bounded = 1;
    nr.xmin = -1e15;
    nr.xmax = 0.1;
    nr.solve();
    EXPECT_EQ(nr.error, 3);
}

TEST_F(NewtonRaphsonSolve, ChecksReportGrowthAndConvexityChange) {
    // Scripted values: f = 1, f' = 1 at the start, then whatever the trial.
    auto scripted = [&](double fTrial, double dfTrial) {
        probe.calls.clear();
        bind([&, fTrial](double) { return probe.calls.size() == 1 ? 1.0 : fTrial; },
             [&, dfTrial](double) { return probe.calls.size() == 1 ? 1.0 : dfTrial; }, 5);
        nr.checks = 1;
        nr.solve();
    };
    scripted(2.0, 1.0);
    EXPECT_EQ(nr.error, 5);
    EXPECT_EQ(probe.calls.size(), 11u);
    scripted(0.5, -1.0);
    EXPECT_EQ(nr.error, 6);
}

TEST_F(NewtonRaphsonSolve, CyclingWithoutBracketReportsOne) {
    // Newton on x^3 - 2x + 2 from 0 cycles 0, 1, 0, 1 ... on the positive side.
    bind([](double x) { return x * x * x - 2 * x + 2; }, [](double x) { return 3 * x * x - 2; }, 0);
    nr.itermax = 10;
    nr.solve();
    EXPECT_EQ(nr.error, 1);
}

TEST_F(NewtonRaphsonSolve, BracketEndAtZeroIsNoBracket) {
    // atan(x - 2) from 0: Newton diverges; the only negative value seen is at x = 0.
    bind([](double x) { return std::atan(x - 2); },
         [](double x) { return 1 / (1 + (x - 2) * (x - 2)); }, 0);
    nr.itermax = 5;
    double x = nr.solve();
    EXPECT_EQ(nr.error, 1);
    EXPECT_EQ(nr.xneg, 0);
    EXPECT_GT(std::fabs(x - 2), 1);
}

TEST_F(NewtonRaphsonSolve, BisectionFallbackEndsWithSuccess) {
    // atan x from 2: Newton diverges, leaving a sign bracket around the root 0.
    bind([](double x) { return std::atan(x); }, [](double x) { return 1 / (1 + x * x); }, 2);
    nr.itermax = 50;  // bounds the bisection as well
    nr.tolerance = 1e-12;
    double x = nr.solve();
    EXPECT_EQ(nr.error, 0);
    EXPECT_NEAR(x, 0, 1e-11);
}

TEST_F(NewtonRaphsonSolve, BisectionFallbackIgnoresGrowthChecks) {
    // Newton steps from 2 to 1, bracketing the root; the next step fails at every
    // relaxation. Halving [1, 2] then meets a larger |f| and a slope of the other sign
    // than at the last Newton point, which are no failures of a bisection.
    auto call = [this] { return probe.calls.size(); };
    bind([=](double x) { return call() == 1   ? 1.0
                                : call() == 2 ? -1.0
                                              : 10 * (x - 1.2); },
         [=](double) { return call() <= 2 ? 1.0 : -1.0; }, 2);
    probe.fails = [](double, int k) { return k >= 3 && k <= 12; };
    nr.checks = 1;
    nr.itermax = 50;
    nr.tolerance = 1e-12;
    double x = nr.solve();
    EXPECT_EQ(nr.error, 0);
    EXPECT_NEAR(x, 1.2, 1e-11);
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

class NewtonRaphsonDiagnostics : public NewtonRaphsonSolve {
   protected:
    test::ScratchFolder folder;
};

TEST_F(NewtonRaphsonDiagnostics, PlotWritesTheCurveAndLowersTheFlag) {
    bind([](double x) { return 2 * x; }, [](double) { return 2.0; }, 0);
    probe.fails = [](double x, int) { return x > 1.5; };
    nr.plot(0, 2, 4);
    std::ifstream in("nr");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all.substr(0, 16), "0 0\n0.5 1\n1 2\n1.");
    EXPECT_EQ(probe.calls.size(), 5u);
    EXPECT_EQ(probe.equationError, 0);
}

TEST_F(NewtonRaphsonDiagnostics, PlotReportsAFileItCannotOpen) {
    std::filesystem::create_directory("nr");
    bind([](double x) { return x; }, [](double) { return 1.0; }, 0);
    testing::internal::CaptureStderr();
    nr.plot(0, 1, 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("nr"), std::string::npos);
}

TEST_F(NewtonRaphsonDiagnostics, CheckDerivativesPrintsBothSlopes) {
    bind(test::cubic, test::cubicSlope, 0);
    testing::internal::CaptureStdout();
    nr.check_derivatives(1, 1e-3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Check derivatives at 1.000000\n\tAnal. : 1  Num. : 1\n");
    EXPECT_EQ(probe.calls, (std::vector<double>{1, 1 - 1e-3, 1 + 1e-3}));
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "numerics/CallbackProbe.h"
#include "numerics/Solver.h"

namespace vornex {
namespace {

using test::CallbackProbe;
using test::kCubicRoot;
using test::kDottie;

class RootFinders : public testing::Test {
   protected:
    CallbackProbe probe;

    template <class S>
    S make(double (*f)(double), double x0, double x1) {
        S s;
        probe.f = f;
        s.equation = &probe;
        s.function = CallbackProbe::function();
        s.x0 = x0;
        s.x1 = x1;
        s.tolerance = 1e-13;
        s.itermax = 200;
        return s;
    }
    // Both reference roots, from the given starts for the cubic and for cos x = x.
    template <class S>
    void expectRoots(double c0, double c1, double d0, double d1) {
        auto c = make<S>(test::cubic, c0, c1);
        EXPECT_NEAR(c.solve(), kCubicRoot, 1e-12);
        EXPECT_EQ(c.error, 0);
        auto d = make<S>(test::cosMinusX, d0, d1);
        EXPECT_NEAR(d.solve(), kDottie, 1e-12);
        EXPECT_EQ(d.error, 0);
    }
    // The scripted value of call k (1-based), whatever x is.
    void script(std::vector<double> values) {
        probe.f = [this, values](double) {
            size_t k = std::min(probe.calls.size(), values.size()) - 1;
            return values[k];
        };
    }
};

// --- The reference roots with every method -----------------------------------------------

TEST_F(RootFinders, SecantFindsTheReferenceRoots) {
    auto s = make<Secant>(test::cubic, 2, 3);
    s.itermax = 50;
    double x = s.solve();
    EXPECT_EQ(s.error, 0);
    EXPECT_NEAR(x, kCubicRoot, 1e-12);
    EXPECT_EQ(s.x1, x);                // the root is left in x1
    EXPECT_EQ(probe.calls.back(), x);  // and the last evaluation was there

    auto c = make<Secant>(test::cosMinusX, 0, 1);
    c.itermax = 50;
    EXPECT_NEAR(c.solve(), kDottie, 1e-12);
    EXPECT_EQ(c.error, 0);
}

TEST_F(RootFinders, BracketingMethodsFindTheReferenceRoots) {
    expectRoots<Muller>(2, 3, 1, 0);
    expectRoots<Bolzano>(2, 3, 0, 1);
}

TEST_F(RootFinders, SecantThenBracketFindsTheReferenceRootsFromOneSide) {
    // Both starts on one side: the secant phase must find the other one.
    expectRoots<SecDic>(1.5, 1.6, 0, 0.1);
    expectRoots<SecMul>(1.5, 1.6, 0, 0.1);
    auto d = make<SecDic>(test::cubic, 1.5, 1.6);
    d.solve();
    EXPECT_GT(d.fpos, 0);
    EXPECT_LT(d.fneg, 0);
}

TEST_F(RootFinders, ConvergenceIsRelativeAboveOneAndAbsoluteBelow) {
    auto big = make<Bolzano>([](double x) { return x - 1e6 - 0.3; }, 1e6, 1e6 + 1);
    big.tolerance = 1e-9;
    double x = big.solve();
    EXPECT_EQ(big.error, 0);
    EXPECT_LE(big.iterations, 11);  // a width of 1e-3 suffices at 1e6
    EXPECT_NEAR(x, 1e6 + 0.3, 1e-3);

    auto small = make<Bolzano>([](double x) { return x - 0.3; }, 0, 1);
    small.tolerance = 1e-9;
    EXPECT_NEAR(small.solve(), 0.3, 1e-9);
    EXPECT_GE(small.iterations, 28);
}

// --- Secant error codes -------------------------------------------------------------------

TEST_F(RootFinders, SecantStartingAtARootNeverEvaluatesTheSecondStart) {
    auto s = make<Secant>([](double x) { return x - 2; }, 2, 5);
    EXPECT_EQ(s.solve(), 2);
    EXPECT_EQ(s.error, 0);
    EXPECT_EQ(probe.calls.size(), 1u);
}

TEST_F(RootFinders, SecantWithAFailingCallbackReportsFourAndLowersTheFlag) {
    auto s = make<Secant>(test::cubic, 2, 3);
    probe.fails = [](double, int) { return true; };
    s.solve();
    EXPECT_EQ(s.error, 4);
    EXPECT_EQ(probe.equationError, 0);
    EXPECT_EQ(probe.calls.size(), 1u);
}

TEST_F(RootFinders, SecantHalvesTheRelaxationSevenTimesBeforeGivingUp) {
    auto s = make<Secant>(test::cubic, 2, 3);
    probe.fails = [](double, int call) { return call > 2; };
    s.solve();
    EXPECT_EQ(s.error, 4);
    EXPECT_EQ(probe.equationError, 0);
    EXPECT_EQ(probe.calls.size(), 2u + 7u);  // lambda 1, 1/2, ..., 1/64
}

TEST_F(RootFinders, SecantReportsTrialsOutsideTheBounds) {
    // Bounds just past the second start: every relaxed trial step leaves them.
    auto low = make<Secant>([](double x) { return x + 100; }, 0.02, 0.01);
    low.bounded = 1;
    low.xmin = 0.009;
    low.solve();
    EXPECT_EQ(low.error, 2);
    EXPECT_EQ(probe.calls.size(), 2u);  // out-of-bounds trials are not evaluated

    auto high = make<Secant>([](double x) { return x - 100; }, -0.02, -0.01);
    high.bounded = 1;
    high.xmax = -0.009;
    high.solve();
    EXPECT_EQ(high.error, 3);
}

TEST_F(RootFinders, SecantGrowthCheckReportsFive) {
    auto s = make<Secant>(nullptr, 0, 1);
    script({2.0, 1.9, 5.0});
    s.growthcheck = 1;
    s.solve();
    EXPECT_EQ(s.error, 5);
    EXPECT_EQ(probe.calls.size(), 2u + 7u);
    EXPECT_EQ(s.lastf, 5.0);
}

TEST_F(RootFinders, SecantIterationLimitReportsOne) {
    auto s = make<Secant>(test::cubic, 10, 11);
    s.itermax = 2;
    s.solve();
    EXPECT_EQ(s.error, 1);
    EXPECT_EQ(s.iterations, 3);
}

TEST_F(RootFinders, SecantStepLimitCapsEachStep) {
    auto s = make<Secant>([](double x) { return x - 10; }, 0, 1);
    s.steplimited = 1;
    s.maxstep = 2;
    s.itermax = 50;
    EXPECT_NEAR(s.solve(), 10, 1e-12);
    EXPECT_EQ(probe.calls[2], 3.0);  // the first trial, 9 away, is cut to 2
}

TEST_F(RootFinders, SecantConvergedStepMustNotClearCalleeError) {
    // Every point below the second start fails; the last relaxed trial moves so little
    // that the step test is met, at a point where nothing could be evaluated.
    auto s = make<Secant>([](double x) { return x - 1; }, 1.2, 1.1);
    s.tolerance = 0.1;
    probe.fails = [](double x, int) { return x < 1.1; };
    double x = s.solve();
    EXPECT_EQ(s.error, 4);
    EXPECT_LT(x, 1.1);
    EXPECT_EQ(probe.equationError, 0);
}

TEST_F(RootFinders, SecantReturnsTheLastIterateWhenTheStartFails) {
    auto s = make<Secant>(test::cubic, 2, 3);
    probe.fails = [](double, int call) { return call == 2; };
    EXPECT_EQ(s.solve(), 3);
    EXPECT_EQ(s.error, 4);
}

TEST_F(RootFinders, SecantVerboseLinesFollowTheIterations) {
    auto s = make<Secant>([](double x) { return x - 1; }, 0, 2);
    s.verbose = 1;
    testing::internal::CaptureStdout();
    s.solve();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, out.find('\n') + 1),
              "   0\t           0\t           2\t           1\n");
}

// --- Muller and bisection error codes -----------------------------------------------------

TEST_F(RootFinders, MullerWithoutSignChangeReportsFourAfterTwoCalls) {
    auto m = make<Muller>(test::cubic, 3, 4);
    m.verbose = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(m.solve(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Initialization error\n");
    EXPECT_EQ(m.error, 4);
    EXPECT_EQ(probe.calls.size(), 2u);
}

TEST_F(RootFinders, BolzanoWithoutSignChangeReportsOne) {
    auto b = make<Bolzano>(test::cubic, 3, 4);
    EXPECT_EQ(b.solve(), 0);
    EXPECT_EQ(b.error, 1);
}

TEST_F(RootFinders, BracketingMethodsReportBoundsAndIterationLimit) {
    auto m = make<Muller>(test::cubic, 2, 3);
    m.bounded = 1;
    m.xmax = 2.5;
    EXPECT_EQ(m.solve(), 0);
    EXPECT_EQ(m.error, 3);
    auto b = make<Bolzano>(test::cubic, 2, 3);
    b.bounded = 1;
    b.xmin = 2.5;
    b.solve();
    EXPECT_EQ(b.error, 2);

    auto limited = make<Bolzano>(test::cubic, 2, 3);
    limited.itermax = 5;
    limited.solve();
    EXPECT_EQ(limited.error, 1);
    auto mlimited = make<Muller>(test::cubic, 2, 3);
    mlimited.itermax = 1;
    mlimited.solve();
    EXPECT_EQ(mlimited.error, 1);
}

TEST_F(RootFinders, AlwaysFailingCallbackStopsEveryMethodWithFour) {
    probe.fails = [](double, int) { return true; };
    auto m = make<Muller>(test::cubic, 2, 3);
    EXPECT_EQ(m.solve(), 0);
    EXPECT_EQ(m.error, 4);
    auto b = make<Bolzano>(test::cubic, 2, 3);
    EXPECT_EQ(b.solve(), 0);
    EXPECT_EQ(b.error, 4);
    auto d = make<SecDic>(test::cubic, 2, 3);
    EXPECT_EQ(d.solve(), 0);
    EXPECT_EQ(d.error, 4);
    auto s = make<SecMul>(test::cubic, 2, 3);
    EXPECT_EQ(s.solve(), 0);
    EXPECT_EQ(s.error, 4);
    EXPECT_EQ(probe.calls.size(), 4u);  // one call each
    EXPECT_EQ(probe.equationError, 0);
}

// Each bracketing search, run once cleanly and then with its callback failing at the
// call after `at`, must stop at that call with error 4.
template <class S>
void expectStopAtFailure(CallbackProbe& probe, S solver, size_t at) {
    probe.calls.clear();
    probe.fails = [at](double, int call) { return size_t(call) == at + 1; };
    solver.solve();
    EXPECT_EQ(solver.error, 4);
    EXPECT_EQ(probe.calls.size(), at + 1);
    EXPECT_EQ(probe.equationError, 0);
}

TEST_F(RootFinders, MullerStopsAtFirstFailedCallback) {
    for (size_t at : {2u, 3u, 6u}) expectStopAtFailure(probe, make<Muller>(test::cubic, 2, 3), at);
}

TEST_F(RootFinders, BolzanoStopsAtFirstFailedCallback) {
    for (size_t at : {2u, 3u, 9u}) expectStopAtFailure(probe, make<Bolzano>(test::cubic, 2, 3), at);
}

// Calls made before the bracket phase: its first call is the midpoint of the bracket.
template <class S>
size_t secantPhaseCalls(S solver) {
    CallbackProbe counter;
    counter.f = test::cubic;
    solver.equation = &counter;
    solver.solve();
    EXPECT_EQ(solver.error, 0);
    double midpoint = (solver.xpos + solver.xneg) / 2;
    for (size_t k = 0; k < counter.calls.size(); ++k)
        if (counter.calls[k] == midpoint) return k;
    ADD_FAILURE() << "no bracket phase";
    return 0;
}

TEST_F(RootFinders, SecantBracketPhasesStopAtFirstFailedCallback) {
    auto dic = make<SecDic>(test::cubic, 1.5, 1.6);
    size_t calls = secantPhaseCalls(dic);
    EXPECT_EQ(calls, 3u);  // both starts negative: one secant step crosses the root
    for (size_t after : {0u, 1u, 5u}) expectStopAtFailure(probe, dic, calls + after);

    auto mul = make<SecMul>(test::cubic, 1.5, 1.6);
    calls = secantPhaseCalls(mul);
    for (size_t after : {0u, 1u, 4u}) expectStopAtFailure(probe, mul, calls + after);
}

TEST_F(RootFinders, SecantBracketGrowthCheckReportsFive) {
    // No sign change ever: the third secant pass makes |f| grow at every relaxation.
    auto d = make<SecDic>(nullptr, 0, 1);
    script({2.0, 1.9, 1.8, 1.7, 5.0});
    d.growthcheck = 1;
    d.solve();
    EXPECT_EQ(d.error, 5);
    EXPECT_EQ(probe.calls.size(), 4u + 7u);
}

TEST_F(RootFinders, SecantBracketIterationLimitReportsOne) {
    auto d = make<SecMul>([](double x) { return x * x + 1; }, 3, 4);  // no root at all
    d.itermax = 3;
    d.solve();
    EXPECT_EQ(d.error, 1);
}

// --- Curve check ----------------------------------------------------------------------------

class SolverPlot : public RootFinders {
   protected:
    test::ScratchFolder folder;
};

TEST_F(SolverPlot, WritesTheCurveAndTheScript) {
    auto s = make<Secant>([](double x) { return x * x; }, 0, 1);
    s.plot(1, 100, 2, 1);
    std::ifstream data("solver.txt");
    std::stringstream text;
    text << data.rdbuf();
    EXPECT_EQ(
        text.str(),
        "           1\t           1\n          10\t         100\n         100\t       10000\n");
    std::ifstream script("solver.gp");
    std::string first;
    std::getline(script, first);
    EXPECT_EQ(first, "reset");
    EXPECT_EQ(probe.calls.size(), 3u);
}

TEST_F(SolverPlot, PlotMustLowerTheFlagForTheNextSolve) {
    auto s = make<Secant>(test::cubic, 2, 3);
    s.itermax = 50;
    probe.fails = [](double x, int) { return x < 0; };  // part of the plotted range fails
    s.plot(-1, 4, 10, 0);
    EXPECT_EQ(probe.equationError, 0);
    EXPECT_NEAR(s.solve(), kCubicRoot, 1e-12);
    EXPECT_EQ(s.error, 0);
}

TEST_F(SolverPlot, UnwritableFilesAreReportedNotFatal) {
    std::filesystem::create_directory("solver.txt");
    auto s = make<Secant>(test::cubic, 2, 3);
    testing::internal::CaptureStderr();
    s.plot(0, 1, 4, 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("solver.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("solver.gp"));
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>

#include "numerics/CallbackProbe.h"
#include "numerics/Diagnostics.h"
#include "numerics/Solver.h"
#include "numerics/TextCapture.h"

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
        if (f) probe.f = f;
        s.equation = &probe;
        s.function = CallbackProbe::function();
        s.x0 = x0;
        s.x1 = x1;
        s.tolerance = 1e-13;
        s.itermax = 200;
        return s;
    }
    template <class S>
    void expectRoot(double (*f)(double), double root, double x0, double x1) {
        auto s = make<S>(f, x0, x1);
        EXPECT_NEAR(s.solve(), root, 1e-12);
        EXPECT_EQ(s.error, 0);
    }
    // Solves, checks the code, the number of calls and that the flag is down.
    template <class S>
    double expectError(S s, int16_t code, size_t calls) {
        probe.calls.clear();
        double x = s.solve();
        EXPECT_EQ(s.error, code);
        EXPECT_EQ(probe.calls.size(), calls);
        EXPECT_EQ(probe.equationError, 0);
        return x;
    }
    // Call k (1-based) returns values[k - 1], the last value for every later call.
    void script(std::vector<double> values) {
        probe.f = [this, values](double) {
            return values[std::min(probe.calls.size(), values.size()) - 1];
        };
    }
};

TEST_F(RootFinders, EveryMethodFindsTheReferenceRoots) {
    expectRoot<Secant>(test::cosMinusX, kDottie, 0, 1);
    expectRoot<Muller>(test::cosMinusX, kDottie, 1, 0);
    expectRoot<Bolzano>(test::cubic, kCubicRoot, 2, 3);
    // Both starts on one side: the secant phase must find the other one.
    expectRoot<SecDic>(test::cosMinusX, kDottie, 0, 0.1);
    expectRoot<SecMul>(test::cubic, kCubicRoot, 1.5, 1.6);
    auto s = make<Secant>(test::cubic, 2, 3);
    double x = s.solve();
    EXPECT_EQ(s.x1, x);                // the root is left in x1,
    EXPECT_EQ(probe.calls.back(), x);  // where the last evaluation was made
}

// A root exactly at either end brackets itself: the bracketing methods return it.
TEST_F(RootFinders, ARootExactlyAtAnEndIsFound) {
    for (auto [x0, x1] : {std::pair{2.0, 3.0}, std::pair{1.0, 2.0}, std::pair{3.0, 2.0}}) {
        auto line = [](double x) { return x - 2.0; };
        auto bolzano = make<Bolzano>(line, x0, x1);
        EXPECT_NEAR(bolzano.solve(), 2.0, 1e-12) << x0 << ' ' << x1;
        EXPECT_EQ(bolzano.error, 0);
        auto muller = make<Muller>(line, x0, x1);
        EXPECT_NEAR(muller.solve(), 2.0, 1e-12) << x0 << ' ' << x1;
        EXPECT_EQ(muller.error, 0);
    }
}

TEST_F(RootFinders, ConvergenceIsRelativeAboveOneAndAbsoluteBelow) {
    auto big = make<Bolzano>([](double x) { return x - 1e6 - 0.3; }, 1e6, 1e6 + 1);
    big.tolerance = 1e-9;
    EXPECT_NEAR(big.solve(), 1e6 + 0.3, 1e-3);
    EXPECT_LE(big.iterations, 11);  // a width of 1e-3 suffices at 1e6
    auto small = make<Bolzano>([](double x) { return x - 0.3; }, 0, 1);
    small.tolerance = 1e-9;
    EXPECT_NEAR(small.solve(), 0.3, 1e-9);
    EXPECT_GE(small.iterations, 28);
}

TEST_F(RootFinders, SecantErrorCodes) {
    EXPECT_EQ(expectError(make<Secant>([](double x) { return x - 2; }, 2, 5), 0, 1), 2);
    probe.fails = [](double, int) { return true; };
    expectError(make<Secant>(test::cubic, 2, 3), 4, 1);
    probe.fails = [](double, int call) { return call > 2; };
    expectError(make<Secant>(test::cubic, 2, 3), 4, 2 + 7);  // relaxation 1, 1/2, ..., 1/64
    probe.fails = [](double, int call) { return call == 2; };
    EXPECT_EQ(expectError(make<Secant>(test::cubic, 2, 3), 4, 2), 3);  // the last iterate
    probe.fails = nullptr;

    // Bounds just past the second start: every relaxed trial leaves them unevaluated.
    auto low = make<Secant>([](double x) { return x + 100; }, 0.02, 0.01);
    low.bounded = 1;
    low.xmin = 0.009;
    expectError(low, 2, 2);
    auto high = make<Secant>([](double x) { return x - 100; }, -0.02, -0.01);
    high.bounded = 1;
    high.xmax = -0.009;
    expectError(high, 3, 2);

    auto growth = make<Secant>(nullptr, 0, 1);
    script({2.0, 1.9, 5.0});
    growth.growthcheck = 1;
    expectError(growth, 5, 2 + 7);

    auto limit = make<Secant>(test::cubic, 10, 11);
    limit.itermax = 2;
    expectError(limit, 1, 2 + 3);
}

TEST_F(RootFinders, SecantStepLimitCapsEachStep) {
    auto s = make<Secant>([](double x) { return x - 10; }, 0, 1);
    s.steplimited = 1;
    s.maxstep = 2;
    EXPECT_NEAR(s.solve(), 10, 1e-12);
    EXPECT_EQ(probe.calls[2], 3.0);  // the first trial, 9 away, is cut to 2
}

TEST_F(RootFinders, SecantConvergedStepMustNotClearCalleeError) {
    // Every point below the second start fails; the last relaxed trial moves so little
    // that the step test is met, at a point where nothing could be evaluated.
    auto s = make<Secant>([](double x) { return x - 1; }, 1.2, 1.1);
    s.tolerance = 0.1;
    probe.fails = [](double x, int) { return x < 1.1; };
    EXPECT_LT(expectError(s, 4, 2 + 7), 1.1);
}

// A trial halved until the function is defined, or until its residual stops growing, moves
// little because it was cut: with a loose tolerance that short step is still no root.
TEST_F(RootFinders, SecantStepCutByHalvingIsNoConvergence) {
    // f = x - 5 is defined only below 0.2: from 0.1 the secant asks for 5, and 1/64 of that
    // step (0.0766, under the tolerance of 0.1) lands at 0.1766 where f is -4.82.
    auto domain = make<Secant>([](double x) { return x - 5; }, 0, 0.1);
    domain.tolerance = 0.1;
    probe.fails = [](double x, int) { return x > 0.2; };
    probe.calls.clear();
    double x = domain.solve();
    EXPECT_NE(domain.error, 0) << "accepted " << x;
    probe.fails = nullptr;

    // The residual grows at every trial: the last, 1/64 of the step, is within the tolerance.
    auto growth = make<Secant>(nullptr, 0, 1);
    script({2.0, 1.9, 5.0});
    growth.growthcheck = 1;
    growth.tolerance = 1.0;
    expectError(growth, 5, 2 + 7);

    // Where the full step is itself within the tolerance the cut step converges as before.
    auto near = make<Secant>([](double x) { return x - 1; }, 0.9, 0.95);
    near.tolerance = 0.1;
    probe.fails = [](double x, int) { return x > 0.97; };
    EXPECT_NEAR(near.solve(), 0.97, 0.03);
    EXPECT_EQ(near.error, 0);
    probe.fails = nullptr;
}

TEST_F(RootFinders, BracketingErrorCodes) {
    auto noSignChange = make<Muller>(test::cubic, 3, 4);
    noSignChange.verbose = 1;
    setDiagnostics(true);
    EXPECT_EQ(test::stderrOf([&] { EXPECT_EQ(expectError(noSignChange, 4, 2), 0); }),
              "Initialization error\n");
    setDiagnostics(false);
    EXPECT_EQ(expectError(make<Bolzano>(test::cubic, 3, 4), 1, 2), 0);

    auto above = make<Muller>(test::cubic, 2, 3);
    above.bounded = 1;
    above.xmax = 2.5;
    expectError(above, 3, 1);
    auto below = make<Bolzano>(test::cubic, 2, 3);
    below.bounded = 1;
    below.xmin = 2.5;
    expectError(below, 2, 0);

    auto muller = make<Muller>(test::cubic, 2, 3);
    muller.itermax = 1;
    muller.solve();
    auto bolzano = make<Bolzano>(test::cubic, 2, 3);
    bolzano.itermax = 5;
    bolzano.solve();
    auto secMul = make<SecMul>([](double x) { return x * x + 1; }, 3, 4);  // no root at all
    secMul.itermax = 3;
    secMul.solve();
    EXPECT_EQ(muller.error + bolzano.error + secMul.error, 3);

    auto growth = make<SecDic>(nullptr, 0, 1);  // the third secant pass makes |f| grow
    script({2.0, 1.9, 1.8, 1.7, 5.0});
    growth.growthcheck = 1;
    expectError(growth, 5, 4 + 7);
}

TEST_F(RootFinders, AlwaysFailingCallbackStopsEveryMethodAtOnce) {
    probe.fails = [](double, int) { return true; };
    EXPECT_EQ(expectError(make<Muller>(test::cubic, 2, 3), 4, 1), 0);
    EXPECT_EQ(expectError(make<Bolzano>(test::cubic, 2, 3), 4, 1), 0);
    EXPECT_EQ(expectError(make<SecDic>(test::cubic, 2, 3), 4, 1), 0);
    EXPECT_EQ(expectError(make<SecMul>(test::cubic, 2, 3), 4, 1), 0);
}

TEST_F(RootFinders, FlagLeftByAnEarlierCallDoesNotFailTheNextSolve) {
    // Each method, started with the flag a refused evaluation outside the solve left raised.
    auto stale = [this]() { probe.equationError = 1; };
    stale();
    expectRoot<Secant>(test::cosMinusX, kDottie, 0, 1);
    stale();
    expectRoot<Muller>(test::cosMinusX, kDottie, 1, 0);
    stale();
    expectRoot<Bolzano>(test::cubic, kCubicRoot, 2, 3);
    stale();
    expectRoot<SecDic>(test::cosMinusX, kDottie, 0, 0.1);
    stale();
    expectRoot<SecMul>(test::cubic, kCubicRoot, 1.5, 1.6);
}

// Calls a clean solve makes before its bracket phase, whose first call is the midpoint.
template <class S>
size_t secantPhaseCalls(S solver) {
    CallbackProbe counter;
    counter.f = test::cubic;
    solver.equation = &counter;
    solver.solve();
    auto first =
        std::find(counter.calls.begin(), counter.calls.end(), (solver.xpos + solver.xneg) / 2);
    return size_t(first - counter.calls.begin());
}

TEST_F(RootFinders, MullerAndBisectionStopAtFirstFailedCallback) {
    size_t dic = secantPhaseCalls(make<SecDic>(test::cubic, 1.5, 1.6));
    size_t mul = secantPhaseCalls(make<SecMul>(test::cubic, 1.5, 1.6));
    EXPECT_EQ(dic, 3u);  // both starts negative: one secant step crosses the root
    for (size_t after : {2u, 3u, 6u, 9u}) {
        probe.fails = [after](double, int call) { return size_t(call) == after + 1; };
        expectError(make<Muller>(test::cubic, 2, 3), 4, after + 1);
        expectError(make<Bolzano>(test::cubic, 2, 3), 4, after + 1);
        probe.fails = [n = dic + after - 2](double, int call) { return size_t(call) == n + 1; };
        expectError(make<SecDic>(test::cubic, 1.5, 1.6), 4, dic + after - 1);
        probe.fails = [n = mul + after - 2](double, int call) { return size_t(call) == n + 1; };
        expectError(make<SecMul>(test::cubic, 1.5, 1.6), 4, mul + after - 1);
    }
}

class SolverPlot : public RootFinders {
   protected:
    test::ScratchFolder folder;
};

TEST_F(SolverPlot, WritesTheCurveAndTheScript) {
    auto s = make<Secant>([](double x) { return x * x; }, 0, 1);
    s.plot(1, 100, 2, 1);
    EXPECT_EQ(
        test::readFile("solver.txt"),
        "           1\t           1\n          10\t         100\n         100\t       10000\n");
    EXPECT_TRUE(std::filesystem::exists("solver.gp"));
}

TEST_F(SolverPlot, PlotMustLowerTheFlagForTheNextSolve) {
    auto s = make<Secant>(test::cubic, 2, 3);
    probe.fails = [](double x, int) { return x < 0; };  // part of the plotted range fails
    s.plot(-1, 4, 10, 0);
    EXPECT_NEAR(expectError(s, 0, 9), kCubicRoot, 1e-12);
}

TEST_F(SolverPlot, UnwritableFilesAreReportedNotFatal) {
    std::filesystem::create_directory("solver.txt");
    auto s = make<Secant>(test::cubic, 2, 3);
    EXPECT_NE(test::stderrOf([&] { s.plot(0, 1, 4, 0); }).find("solver.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("solver.gp"));
}

// A logarithmic range must lie above 0: one that does not is said and writes nothing. At least
// one step is taken. When only the script cannot be written, the curve is kept.
TEST_F(SolverPlot, RangeOrScriptThatCannotBeUsedIsReported) {
    auto s = make<Secant>([](double x) { return 2 * x; }, 0, 1);
    const std::string logNote = test::stderrOf([&] { s.plot(0, 10, 4, 1); });
    EXPECT_NE(logNote.find("positive ends"), std::string::npos) << logNote;
    EXPECT_FALSE(std::filesystem::exists("solver.txt"));
    EXPECT_NE(test::stderrOf([&] { s.plot(-10, -1, 4, 1); }), "");
    EXPECT_FALSE(std::filesystem::exists("solver.txt"));

    std::filesystem::create_directory("solver.gp");
    const std::string scriptNote = test::stderrOf([&] { s.plot(1, 4, 0, 0); });
    EXPECT_NE(scriptNote.find("Cannot write solver.gp: is a folder"), std::string::npos)
        << scriptNote;
    EXPECT_EQ(test::readFile("solver.txt"),
              "           1\t           2\n           4\t           8\n");
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/CallbackProbe.h"
#include "numerics/Diagnostics.h"
#include "numerics/Newton.h"
#include "numerics/TextCapture.h"
#include "support/PrintedChecks.h"
#include "numerics/Decimal.h"

namespace vornex {
namespace {

using test::CircleLine;

// F_i = x_i - (i + 1) for any size; the context names the size the caller meant.
struct Diagonal : Equation {
    void system(double* x, double* F, double** J, int&, int order, void* context) {
        const int n = *static_cast<int*>(context);
        for (int i = 0; i < n; ++i) {
            F[i] = x[i] - (i + 1);
            if (order == 1)
                for (int j = 0; j < n; ++j) J[i][j] = i == j ? 1.0 : 0.0;
        }
    }
};

// One unknown, F = f(x) with F' = df(x), failing everywhere when `broken` is set or above
// `wall`, where it reports zero residuals as a careless model might.
struct OneUnknown : Equation {
    std::function<double(double)> f = [](double x) { return x - 10; };
    std::function<double(double)> df = [](double) { return 1.0; };
    double wall = 1e300;
    bool broken = false;
    std::vector<double> evaluated;
    void system(double* x, double* F, double** J, int& error, int order, void*) {
        evaluated.push_back(x[0]);
        const bool fails = broken || x[0] > wall;
        if (fails) error = 1;
        F[0] = fails ? 0.0 : f(x[0]);
        if (order == 1) J[0][0] = fails ? 0.0 : df(x[0]);
    }
};

class NewtonSolver : public ::testing::Test {
   protected:
    Newton newton;
    CircleLine circle;
    OneUnknown one;
    void bindCircle(double x, double y) {
        newton._setSysEquationToSolve(&circle, static_cast<EquationSystem>(&CircleLine::system), 2);
        newton.x[0] = x;
        newton.x[1] = y;
    }
    void bindOne(double x) {
        newton._setSysEquationToSolve(&one, static_cast<EquationSystem>(&OneUnknown::system), 1);
        newton.x[0] = x;
    }
};

TEST_F(NewtonSolver, CircleLineConvergesWithEitherJacobian) {
    for (int numerical : {0, 1}) {
        bindCircle(1.0, 0.5);
        newton.numerical = numerical;
        EXPECT_EQ(newton.solve(), 0);
        EXPECT_EQ(newton.error, 0);
        EXPECT_NEAR(newton.x[0], std::sqrt(2.0), 1e-12);
        EXPECT_NEAR(newton.x[1], std::sqrt(2.0), 1e-12);
        EXPECT_LT(newton.iterations, 10);
        EXPECT_EQ(newton.solve(), 0);  // from the root: one iteration
        EXPECT_EQ(newton.iterations, 1);
    }
}

TEST_F(NewtonSolver, NumericalJacobianEqualsAnalyticOne) {
    bindCircle(0.7, -1.3);
    int error = -1;
    newton.calculate(newton.x, newton.F, newton.J, error, 1);
    double analytic[2][2] = {{newton.J[0][0], newton.J[0][1]}, {newton.J[1][0], newton.J[1][1]}};
    newton.eps[0] = newton.eps[1] = 1e-6;
    newton.calculate_numerical(newton.x, newton.F, newton.J, error);
    EXPECT_EQ(error, 0);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_NEAR(newton.J[i][j], analytic[i][j], 1e-8);
    EXPECT_EQ(newton.x[0], 0.7);  // restored exactly
    EXPECT_EQ(newton.x[1], -1.3);
}

TEST_F(NewtonSolver, NumericalJacobianKeepsEveryEvaluationError) {
    one.wall = 2.0;  // x itself evaluates; only x + eps fails
    bindOne(2.0);
    int error = 0;
    newton.calculate_numerical(newton.x, newton.F, newton.J, error);
    EXPECT_NE(error, 0);
    EXPECT_EQ(newton.x[0], 2.0);
}

// The derivative check writes the analytical Jacobian above its central differences; a
// system that fails there, or none, gives a message and no matrix.
TEST_F(NewtonSolver, DerivativeCheckWritesBothJacobiansOrWhyNot) {
    double at[] = {1.5, -0.5}, h[] = {1e-6, 1e-6};
    std::string text = test::writtenText([&](FILE* out) { newton.check_derivatives(out, at, h); });
    EXPECT_EQ(text, "No system to check\n");
    bindCircle(0.0, 0.0);
    text = test::writtenText([&](FILE* out) { newton.check_derivatives(out, at, h); });
    std::istringstream in(text);
    std::string word;
    double analytic[4], numeric[4];
    in >> word;
    EXPECT_EQ(word, "Analytical");
    for (double& v : analytic) in >> v;
    in >> word;
    EXPECT_EQ(word, "Numerical");
    for (double& v : numeric) in >> v;
    ASSERT_FALSE(in.fail()) << text;
    const double exact[] = {3.0, -1.0, -1.0, 1.0};  // 2x, 2y; -1, 1
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(analytic[k], exact[k], 1e-5);  // printed to six digits
        EXPECT_NEAR(numeric[k], exact[k], 1e-5);
    }
    EXPECT_EQ(at[0], 1.5);  // the point is given back unchanged
    one.wall = 2.0;
    bindOne(2.0);
    double edge[] = {2.0}, step[] = {1e-6};
    text = test::writtenText([&](FILE* out) { newton.check_derivatives(out, edge, step); });
    EXPECT_EQ(text, "The system cannot be evaluated at this point or beside it\n");
}

TEST_F(NewtonSolver, FailureAtTheStartEndsAfterOneEvaluation) {
    EXPECT_EQ(newton.solve(), 1);  // nothing bound yet
    one.broken = true;
    bindOne(3.0);
    EXPECT_EQ(newton.solve(), 1);
    EXPECT_EQ(one.evaluated.size(), 1u);
    EXPECT_EQ(newton.x[0], 3.0);
}

TEST_F(NewtonSolver, FailedTrialIsRetriedNeverAccepted) {
    one.f = [](double x) { return x * x * x - 8; };
    one.df = [](double x) { return 3 * x * x; };
    one.wall = 3;
    bindOne(0.5);  // the full Newton step lands at 11, behind the wall
    EXPECT_EQ(newton.solve(), 0);
    EXPECT_NEAR(newton.x[0], 2.0, 1e-12);
    EXPECT_GT(one.evaluated[1], 3.0);  // the failing trial happened and was damped away
}

TEST_F(NewtonSolver, StepIsCappedAndStopsShortOfABound) {
    bindOne(0.0);
    newton.scale[0] = 4.0;
    newton.solve();
    ASSERT_GE(one.evaluated.size(), 3u);
    EXPECT_EQ(one.evaluated[1], 4.0);  // step 10 capped at 4

    one.evaluated.clear();
    newton.scale[0] = 10000.0;
    newton.bounded[0] = 1;
    newton.lower[0] = -1.0;
    newton.upper[0] = 1.0;
    newton.x[0] = 0.0;
    newton.solve();
    ASSERT_GE(one.evaluated.size(), 2u);
    EXPECT_DOUBLE_EQ(one.evaluated[1], 0.9);  // 90 % of the way to the bound
    for (double v : one.evaluated) EXPECT_LE(v, 1.0);
    EXPECT_NE(newton.error, 0);  // the root lies beyond the bound
}

TEST_F(NewtonSolver, SingularJacobianIsReported) {
    struct Parallel : Equation {
        void system(double* x, double* F, double** J, int&, int, void*) {
            F[0] = x[0] + x[1] - 2;
            F[1] = x[0] + x[1] - 3;
            J[0][0] = J[0][1] = J[1][0] = J[1][1] = 1;
        }
    } parallel;
    newton._setSysEquationToSolve(&parallel, static_cast<EquationSystem>(&Parallel::system), 2);
    // A diagnostic: said on standard error only while diagnostics are on.
    EXPECT_EQ(test::stderrOf([&] { test::stdoutOf([&] { EXPECT_EQ(newton.solve(), 1); }); }), "");
    setDiagnostics(true);
    EXPECT_EQ(test::stderrOf([&] { test::stdoutOf([&] { EXPECT_EQ(newton.solve(), 1); }); }),
              "The system is degenerated.\n");
    setDiagnostics(false);
}

TEST_F(NewtonSolver, RebindsWhenTheSizeOrTheObjectChanges) {
    Diagonal diagonal;
    auto fn = static_cast<EquationSystem>(&Diagonal::system);
    int size = 2;
    newton._setSysEquationToSolve(&diagonal, fn, 2);
    newton.context = &size;
    newton.itermax = 7;
    EXPECT_EQ(newton.solve(), 0);
    EXPECT_NEAR(newton.x[1], 2.0, 1e-14);

    // The same binding again keeps every setting.
    newton._setSysEquationToSolve(&diagonal, fn, 2);
    EXPECT_EQ(newton.itermax, 7);
    EXPECT_EQ(newton.context, &size);

    // A larger system of the same function gets arrays of its own size (the old ones
    // would be overrun: the sanitizer build sees any write past them).
    size = 3;
    newton._setSysEquationToSolve(&diagonal, fn, 3);
    EXPECT_EQ(newton.n, 3);
    EXPECT_EQ(newton.itermax, 25);
    newton.context = &size;
    EXPECT_EQ(newton.solve(), 0);
    EXPECT_NEAR(newton.x[2], 3.0, 1e-14);

    // Another object of the same type and size is called back, not the old one.
    Diagonal other;
    newton._setSysEquationToSolve(&other, fn, 3);
    EXPECT_EQ(newton.equation, &other);
    EXPECT_EQ(newton.context, &size);  // same size: arrays and context kept
}

TEST_F(NewtonSolver, MapWritesRowsInIncreasingOrder) {
    bindCircle(0.0, 0.0);
    newton.map(0, 1, 0.0, 1.0, -1.0, 1.0, 3, 3, 1, "T");
    std::ifstream in("mapcritT");
    std::string line;
    while (std::getline(in, line) && line != "BEGIN") continue;
    int rows = 0, points = 0;
    double lastXj = 0;
    while (std::getline(in, line) && line != "END") {
        if (line.empty()) {
            ++rows;
            continue;
        }
        double xi, xj, res, f0;
        std::istringstream(line) >> xi >> xj >> res >> f0;
        if (points % 3 != 0) {
            EXPECT_GT(xj, lastXj);
        }
        lastXj = xj;
        EXPECT_NEAR(f0, xi * xi + xj * xj - 4.0, 1e-5);  // signed in both directions
        EXPECT_NEAR(res, std::fabs(f0 + xj - xi), 1e-5);
        ++points;
    }
    EXPECT_EQ(line, "END");
    EXPECT_EQ(rows, 4);  // three rows asked, rounded up to a pair
    EXPECT_EQ(points, 12);
    EXPECT_EQ(newton.x[0], 0.0);  // the unknowns are restored
}

// A map that cannot be written is said and leaves the unknowns as they were; the gnuplot form
// (mode 2: plain rows, no Igor header) is kept when only its script cannot be written.
TEST_F(NewtonSolver, MapThatCannotBeWrittenIsReportedAndChangesNothing) {
    test::ScratchFolder folder;
    bindCircle(0.25, -0.75);
    std::filesystem::create_directory("mapcritD");
    const std::string refused =
        test::stderrOf([&] { newton.map(0, 1, 0.0, 1.0, -1.0, 1.0, 2, 2, 1, "D"); });
    EXPECT_NE(refused.find("Cannot write mapcritD"), std::string::npos) << refused;
    EXPECT_TRUE(std::filesystem::is_directory("mapcritD"));
    EXPECT_EQ(newton.x[0], 0.25);
    EXPECT_EQ(newton.x[1], -0.75);

    std::filesystem::create_directory("g60.gp");
    const std::string said =
        test::stderrOf([&] { newton.map(0, 1, 0.0, 1.0, -1.0, 1.0, 2, 2, 2, "G"); });
    EXPECT_NE(said.find("Cannot write g60.gp"), std::string::npos) << said;
    EXPECT_TRUE(std::filesystem::is_directory("g60.gp"));
    std::ifstream in("mapcritG");
    std::string line;
    int points = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        double xi, xj, res, f0;
        ASSERT_TRUE(std::istringstream(line) >> xi >> xj >> res >> f0) << line;
        EXPECT_NEAR(f0, xi * xi + xj * xj - 4.0, 1e-5);
        ++points;
    }
    EXPECT_EQ(points, 4);
    EXPECT_EQ(newton.x[0], 0.25);
    EXPECT_EQ(newton.x[1], -0.75);
}

// The script names the map by a gnuplot string that reads back as the file's name, whatever
// the suffix holds: a quote, a backslash, a line end before a digit.
TEST_F(NewtonSolver, MapScriptQuotesTheNameOfTheMap) {
    test::ScratchFolder folder;
    bindCircle(0.25, -0.75);
    const std::string suffix = "q\"b\\\n7";
    ASSERT_TRUE(newton.map(0, 1, 0.0, 1.0, -1.0, 1.0, 2, 2, 2, suffix.c_str()));
    EXPECT_TRUE(std::filesystem::exists("mapcrit" + suffix));
    const std::string script = test::readFile("g60.gp");
    EXPECT_NE(script.find("\nsplot \"mapcritq\\\"b\\\\\\00127\" \n"), std::string::npos)
        << script;
    EXPECT_NE(script.find("\nsplot \"mapcritq\\\"b\\\\\\00127\" using 1:2:4\n"),
              std::string::npos)
        << script;
}

// The two trace lines on their own: the unknowns with the iteration count and the measure
// from verbose 1, the Jacobian and residuals from verbose 3 once an iteration was made; all
// on the diagnostics stream and only while diagnostics are on.
TEST_F(NewtonSolver, TraceLinesNameTheIterationTheMeasureAndEachUnknown) {
    bindCircle(1.25, -0.5);
    newton.iterations = 2;
    newton.modG = 0.125;
    newton.J[0][0] = 1.5;
    newton.J[0][1] = -2;
    newton.J[1][0] = 0.25;
    newton.J[1][1] = 4;
    newton.F[0] = 3;
    newton.F[1] = -0.75;
    auto both = [&] {
        return test::outputOf([&] {
            newton.display_the_vector();
            newton.display_the_Jacobian_matrix();
        });
    };
    newton.verbose = 3;
    EXPECT_EQ(both(), "");  // diagnostics off
    setDiagnostics(true);
    std::string out;
    EXPECT_EQ(test::stdoutOf([&] {
                  out = test::stderrOf([&] {
                      newton.display_the_vector();
                      newton.display_the_Jacobian_matrix();
                  });
              }),
              "");
    EXPECT_EQ(out,
              "  2\t\tmodG        0.125\t\tU0         1.25\t\t\tU1         -0.5\t\t\t\n"
              "1.5  -2  \n0.25  4  \n3  -0.75  \n");
    newton.verbose = 2;  // the vector only
    EXPECT_EQ(test::stderrOf([&] { newton.display_the_Jacobian_matrix(); }), "");
    EXPECT_NE(test::stderrOf([&] { newton.display_the_vector(); }), "");
    newton.verbose = 3;
    newton.iterations = 0;  // nothing solved yet: no Jacobian
    EXPECT_EQ(test::stderrOf([&] { newton.display_the_Jacobian_matrix(); }), "");
    newton.verbose = 0;
    EXPECT_EQ(both(), "");
    setDiagnostics(false);
}

// The trace of a solve with verbose 3: before each trial a line "iteration, modG, U0 .. Un"
// and, from the first iteration on, the scaled Jacobian rows and residuals of the point the
// line names. Each printed block is recomputed from the printed unknowns.
TEST_F(NewtonSolver, TraceShowsEachIterateWithItsScaledJacobianAndResiduals) {
    bindCircle(1.0, 0.5);
    newton.verbose = 3;
    // Diagnostics off: nothing on either stream.
    EXPECT_EQ(test::outputOf([&] { EXPECT_EQ(newton.solve(), 0); }), "");
    bindCircle(1.0, 0.5);
    setDiagnostics(true);
    std::string trace;
    EXPECT_EQ(test::stdoutOf([&] { trace = test::stderrOf([&] { newton.solve(); }); }), "");
    setDiagnostics(false);

    std::istringstream in(trace);
    std::vector<std::vector<double>> numbers;  // each line's numbers
    std::vector<int> iterationLines;
    for (std::string line; std::getline(in, line);) {
        std::vector<double> row;
        const bool iterate = line.find("modG") != std::string::npos;
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            if (w == "modG") continue;
            if (w[0] == 'U') {  // "U0" then the value
                EXPECT_EQ(std::stoi(w.substr(1)), int(row.size()) - 2) << line;
                continue;
            }
            row.push_back(vornex::cstrtod(w.c_str(), nullptr));
        }
        if (iterate) iterationLines.push_back(int(numbers.size()));
        numbers.push_back(row);
    }
    ASSERT_GE(iterationLines.size(), 3u);
    // The last line repeats the converged point after convergence.
    ASSERT_EQ(numbers.back().size(), 4u);
    EXPECT_NEAR(numbers.back()[2], std::sqrt(2.0), 1e-5);
    EXPECT_NEAR(numbers.back()[3], std::sqrt(2.0), 1e-5);
    EXPECT_EQ(numbers.back()[0], newton.iterations);
    EXPECT_EQ(numbers[0][0], 0);
    EXPECT_EQ(numbers[0][1], 1e15);
    for (size_t k = 1; k + 1 < iterationLines.size(); ++k) {
        const int at = iterationLines[k];
        const auto& head = numbers[at];
        ASSERT_EQ(head.size(), 4u);
        EXPECT_EQ(head[0], double(k));
        // Two rows of J and one of F, just above the line, at the point it names.
        ASSERT_GE(at, 3);
        const auto &J0 = numbers[at - 3], &J1 = numbers[at - 2], &F = numbers[at - 1];
        ASSERT_EQ(J0.size(), 2u);
        ASSERT_EQ(J1.size(), 2u);
        ASSERT_EQ(F.size(), 2u);
        const double x = head[2], y = head[3];
        const double f0 = x * x + y * y - 4, f1 = y - x;
        const double w0 = std::fabs(f0) + 2 * std::fabs(x) + 2 * std::fabs(y);
        const double w1 = std::fabs(f1) + 2;
        EXPECT_NEAR(J0[0], 2 * x / w0, 1e-5);
        EXPECT_NEAR(J0[1], 2 * y / w0, 1e-5);
        EXPECT_NEAR(J1[0], -1 / w1, 1e-5);
        EXPECT_NEAR(J1[1], 1 / w1, 1e-5);
        EXPECT_NEAR(F[0], f0 / w0, 1e-5 + 1e-5 * std::fabs(F[0]));
        EXPECT_NEAR(F[1], f1 / w1, 1e-5 + 1e-5 * std::fabs(F[1]));
        // modG is the scaled residual measure of that point.
        EXPECT_NEAR(head[1], std::fabs(F[0]) + std::fabs(F[1]), 1e-5 * head[1] + 1e-12);
    }
}

}  // namespace
}  // namespace vornex

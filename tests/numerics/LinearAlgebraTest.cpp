#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "numerics/LinearAlgebra.h"

namespace vornex {
namespace {

// A dense matrix held as rows, lent to the solvers as double**.
struct Matrix {
    std::vector<std::vector<double>> rows;
    std::vector<double*> pointers;
    explicit Matrix(std::vector<std::vector<double>> r) : rows(std::move(r)) {}
    Matrix(int n, int m) : rows(n, std::vector<double>(m)) {}
    double** data() {  // rebuilt on each call, so copies point at their own rows
        pointers.clear();
        for (auto& row : rows) pointers.push_back(row.data());
        return pointers.data();
    }
    int size() const { return static_cast<int>(rows.size()); }
};

std::vector<double> denseSolve(Matrix a, std::vector<double> b) {
    std::vector<double> x(b.size());
    int error = -1;
    solve_the_linear_system(a.data(), b.data(), x.data(), a.size(), error);
    EXPECT_EQ(error, 0);
    return x;
}

class LinearSystems : public ::testing::Test {
   protected:
    std::mt19937 rng{12345};
    double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng); }
};

TEST_F(LinearSystems, DenseSolveNeedsPivoting) {
    // Zero leading pivot: only row exchanges make this solvable.
    Matrix a({{0, 2, 1}, {1, 1, 1}, {2, 1, 0}});
    std::vector<double> b{5, 4, 4};  // x = (1, 2, 1)
    auto x = denseSolve(a, b);
    EXPECT_NEAR(x[0], 1, 1e-14);
    EXPECT_NEAR(x[1], 2, 1e-14);
    EXPECT_NEAR(x[2], 1, 1e-14);
}

TEST_F(LinearSystems, SingularSystemsAreReported) {
    int error = -1;
    std::vector<double> b{1, 2, 3}, x{7, 7, 7};
    // n = 0: error 2, x untouched.
    solve_the_linear_system(nullptr, b.data(), x.data(), 0, error);
    EXPECT_EQ(error, 2);
    EXPECT_EQ(x[0], 7);

    Matrix zeroColumn({{1, 0, 2}, {3, 0, 4}, {5, 0, 6}});
    testing::internal::CaptureStdout();
    solve_the_linear_system(zeroColumn.data(), b.data(), x.data(), 3, error);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Singular matrix\n");
    EXPECT_EQ(error, 1);

    // Third row = half the first + the second: the last pivot cancels exactly.
    Matrix lastPivot({{2, 0, 2}, {0, 1, 1}, {1, 1, 2}});
    b = {1, 2, 3};
    testing::internal::CaptureStdout();
    solve_the_linear_system(lastPivot.data(), b.data(), x.data(), 3, error);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Singular matrix\n");
    EXPECT_EQ(error, 1);
}

TEST_F(LinearSystems, InverseOfHilbertMatrixIsTheKnownIntegerMatrix) {
    Matrix h(4, 4);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) h.rows[i][j] = 1.0 / (i + j + 1);
    const double exact[4][4] = {{16, -120, 240, -140},
                                {-120, 1200, -2700, 1680},
                                {240, -2700, 6480, -4200},
                                {-140, 1680, -4200, 2800}};
    ASSERT_EQ(inverse(h.data(), 4), 0);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(h.rows[i][j], exact[i][j], 3e-9 * std::fabs(exact[i][j])) << i << j;
}

TEST_F(LinearSystems, InverseUndoesRowExchanges) {
    const int n = 6;
    Matrix a(n, n);
    for (auto& row : a.rows)
        for (double& v : row) v = uniform(-1, 1);
    a.rows[0][0] = 0.0;  // forces an exchange at the first column
    Matrix original = a;
    ASSERT_EQ(inverse(a.data(), n), 0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            double sum = 0;
            for (int k = 0; k < n; ++k) sum += original.rows[i][k] * a.rows[k][j];
            EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-12);
        }
}

TEST_F(LinearSystems, InverseOfSingularMatrixWithVanishingLastPivotFails) {
    Matrix lastPivot({{2, 0, 2}, {0, 1, 1}, {1, 1, 2}});
    EXPECT_EQ(inverse(lastPivot.data(), 3), 1);
    Matrix twoByTwo({{1, 2}, {2, 4}});
    EXPECT_EQ(inverse(twoByTwo.data(), 2), 1);
    Matrix zero(1, 1);
    EXPECT_EQ(inverse(zero.data(), 1), 1);
}

TEST_F(LinearSystems, CramerTwoByTwo) {
    double x, y;
    solve_linear_system2(2, 1, 5, 1, -1, 1, x, y);  // x = 2, y = 1
    EXPECT_NEAR(x, 2, 1e-15);
    EXPECT_NEAR(y, 1, 1e-15);
    solve_linear_system2(1, 2, 3, 2, 4, 6, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(LinearSystems, TridiagonalMatchesDenseSolve) {
    const int n = 9;
    std::vector<double> diag(n), upper(n), lower(n), rhs(n), x(n);
    Matrix a(n, n);
    for (int i = 0; i < n; ++i) {
        lower[i] = i > 0 ? uniform(-1, 1) : 0;
        upper[i] = i < n - 1 ? uniform(-1, 1) : 0;
        diag[i] = 3 + uniform(0, 1);
        rhs[i] = uniform(-5, 5);
        a.rows[i][i] = diag[i];
        if (i > 0) a.rows[i][i - 1] = lower[i];
        if (i < n - 1) a.rows[i][i + 1] = upper[i];
    }
    auto expected = denseSolve(a, rhs);
    solve_tridiagonal_system(n, diag.data(), upper.data(), lower.data(), rhs.data(), x.data());
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-13);
}

class Pentadiagonal : public LinearSystems {
   protected:
    static constexpr int n = 10;
    std::vector<double> diag = std::vector<double>(n), u1 = diag, u2 = diag, l1 = diag, l2 = diag,
                        rhs = diag, x = diag;

    Matrix dense() const {
        Matrix a(n, n);
        for (int i = 0; i < n; ++i) {
            a.rows[i][i] = diag[i];
            if (i >= 1) a.rows[i][i - 1] = l1[i];
            if (i >= 2) a.rows[i][i - 2] = l2[i];
            if (i + 1 < n) a.rows[i][i + 1] = u1[i];
            if (i + 2 < n) a.rows[i][i + 2] = u2[i];
        }
        return a;
    }
    void solveAndCompare() {
        auto inputs = std::vector{diag, u1, u2, l1, l2, rhs};
        auto expected = denseSolve(dense(), rhs);
        solve_pentadiagonal_system(n, diag.data(), u1.data(), u2.data(), l1.data(), l2.data(),
                                   rhs.data(), x.data());
        for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-12) << i;
        EXPECT_EQ(inputs, (std::vector{diag, u1, u2, l1, l2, rhs})) << "inputs changed";
    }
};

TEST_F(Pentadiagonal, MatchesDenseSolve) {
    for (int i = 0; i < n; ++i) {
        diag[i] = 5 + uniform(0, 1);
        u1[i] = uniform(-1, 1);
        u2[i] = uniform(-1, 1);
        l1[i] = uniform(-1, 1);
        l2[i] = uniform(-1, 1);
        rhs[i] = uniform(-3, 3);
    }
    solveAndCompare();
}

TEST_F(Pentadiagonal, DiagonalMatrixDoesNotDivideZeroByZero) {
    for (int i = 0; i < n; ++i) {
        diag[i] = i + 1.0;
        rhs[i] = 2.0 * (i + 1.0);
    }
    solve_pentadiagonal_system(n, diag.data(), u1.data(), u2.data(), l1.data(), l2.data(),
                               rhs.data(), x.data());
    for (int i = 0; i < n; ++i) EXPECT_EQ(x[i], 2.0);
}

TEST_F(Pentadiagonal, ZeroFirstSubDiagonalWithSecondOne) {
    for (int i = 0; i < n; ++i) {
        diag[i] = 4 + uniform(0, 1);
        u1[i] = uniform(-1, 1);
        l2[i] = uniform(-1, 1);
        rhs[i] = uniform(-3, 3);
    }
    solveAndCompare();
}

// degree3 ---------------------------------------------------------------------------

class CubicRoots : public ::testing::Test {
   protected:
    // Coefficients of (x - r0)(x - r1)(x - r2) times k, in increasing powers.
    static std::vector<double> fromRoots(double r0, double r1, double r2, double k = 1.0) {
        return {-k * r0 * r1 * r2, k * (r0 * r1 + r0 * r2 + r1 * r2), -k * (r0 + r1 + r2), k};
    }
    static std::vector<double> solve(std::vector<double> a, int expectedCount) {
        int count = -1;
        double roots[3] = {NAN, NAN, NAN};
        degree3(a.data(), count, roots);
        EXPECT_EQ(count, expectedCount);
        std::vector<double> r(roots, roots + std::max(0, std::min(count, 3)));
        std::sort(r.begin(), r.end());
        return r;
    }
    static void expectRoots(std::vector<double> got, std::vector<double> want, double rel) {
        std::sort(want.begin(), want.end());
        ASSERT_EQ(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_NEAR(got[i], want[i], rel * std::fabs(want[i]) + 1e-300) << "root " << i;
    }
};

TEST_F(CubicRoots, ThreeDistinctRoots) {
    expectRoots(solve(fromRoots(1, 2, 3), 3), {1, 2, 3}, 1e-14);
    expectRoots(solve(fromRoots(-4, 0.5, 7, -2.5), 3), {-4, 0.5, 7}, 1e-14);
}

TEST_F(CubicRoots, OneRealRoot) {
    // x^3 + x + 1 = 0: the real root of the depressed cubic with p = q = 1.
    expectRoots(solve({1, 1, 0, 1}, 1), {-0.6823278038280193}, 1e-15);
    // (x - 2)(x^2 + 1)
    expectRoots(solve({-2, 1, -2, 1}, 1), {2}, 1e-15);
}

TEST_F(CubicRoots, TripleAndDoubleRoots) {
    expectRoots(solve(fromRoots(1, 1, 1), 3), {1, 1, 1}, 1e-15);
    expectRoots(solve(fromRoots(-0.5, -0.5, -0.5, 3), 3), {-0.5, -0.5, -0.5}, 1e-15);
    expectRoots(solve(fromRoots(1, 1, 2), 3), {1, 1, 2}, 1e-8);
    expectRoots(solve(fromRoots(2, 2, -1), 3), {-1, 2, 2}, 1e-8);
    expectRoots(solve(fromRoots(-3, -3, 1), 3), {-3, -3, 1}, 1e-8);
}

TEST_F(CubicRoots, RootAtZeroKeepsTheOtherTwo) {
    // x^3 - x: the middle root is exactly 0, so the product of the roots cannot give the
    // third; it used to come back as a copy of the first.
    expectRoots(solve({0, -1, 0, 1}, 3), {-1, 0, 1}, 1e-15);
    expectRoots(solve(fromRoots(0, 1, 2), 3), {0, 1, 2}, 1e-15);
}

TEST_F(CubicRoots, WidelySeparatedRootsKeepTheirRelativeAccuracy) {
    // Built so that the plain formulas cancel: the small roots are lost in -s + y.
    expectRoots(solve(fromRoots(1e6, 1, 1e-6), 3), {1e-6, 1, 1e6}, 1e-9);
    expectRoots(solve(fromRoots(-1e5, 3e-4, 2e-3), 3), {-1e5, 3e-4, 2e-3}, 1e-9);
    // One real root, small beside the complex pair: (x - 1e-7)(x^2 + 1e3 x + 1e6).
    const double r = 1e-7, bb = 1e3, cc = 1e6;
    expectRoots(solve({-r * cc, cc - r * bb, bb - r, 1}, 1), {r}, 1e-9);
}

TEST_F(CubicRoots, RandomCubicsSatisfyTheirEquation) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<> u(-1, 1);
    for (int trial = 0; trial < 2000; ++trial) {
        double a[4] = {u(rng), u(rng), u(rng), u(rng) + (trial % 2 ? 2 : -2)};
        int count = 0;
        double roots[3];
        degree3(a, count, roots);
        ASSERT_TRUE(count == 1 || count == 3);
        for (int i = 0; i < count; ++i) {
            double x = roots[i];
            double value = a[0] + x * (a[1] + x * (a[2] + x * a[3]));
            double terms = std::fabs(a[0]) + std::fabs(a[1] * x) + std::fabs(a[2] * x * x) +
                           std::fabs(a[3] * x * x * x);
            EXPECT_LT(std::fabs(value), 1e-12 * terms) << trial << " root " << x;
        }
        if (count == 3) {  // Vieta: the roots must be the three roots, not repeats of one.
            EXPECT_NEAR(roots[0] + roots[1] + roots[2], -a[2] / a[3],
                        1e-9 * (1 + std::fabs(a[2] / a[3])));
        }
    }
}

TEST_F(CubicRoots, NotACubic) {
    int count = -1;
    double a[4] = {1, 2, 3, 0}, roots[3];
    degree3(a, count, roots);
    EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "numerics/LinearAlgebra.h"
#include "numerics/TextCapture.h"

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
    // Third row = half the first + the second: the last pivot cancels exactly.
    Matrix lastPivot{{{2, 0, 2}, {0, 1, 1}, {1, 1, 2}}};
};

TEST_F(LinearSystems, DenseSolveNeedsPivoting) {
    // Zero leading pivot: only row exchanges make this solvable; x = (1, 2, 1).
    auto x = denseSolve(Matrix({{0, 2, 1}, {1, 1, 1}, {2, 1, 0}}), {5, 4, 4});
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(x[i], i == 1 ? 2 : 1, 1e-14);
    // A tiny leading pivot that is not zero: eliminating on it loses x0 entirely (1 - 1e-17
    // rounds to 1, giving x = (0, 1)); on the larger entry of the column, x = (1, 1) to the
    // rounding (exactly 1/(1 - 1e-17) and (1 - 2e-17)/(1 - 1e-17)).
    x = denseSolve(Matrix({{1e-17, 1}, {1, 1}}), {1, 2});
    EXPECT_NEAR(x[0], 1.0, 1e-15);
    EXPECT_NEAR(x[1], 1.0, 1e-15);
}

TEST_F(LinearSystems, SingularSystemsAreReported) {
    int error = -1;
    std::vector<double> b{1, 2, 3}, x{7, 7, 7};
    solve_the_linear_system(nullptr, b.data(), x.data(), 0, error);  // n = 0: x untouched
    EXPECT_EQ(error, 2);
    EXPECT_EQ(x[0], 7);
    for (Matrix a : {Matrix({{1, 0, 2}, {3, 0, 4}, {5, 0, 6}}), lastPivot}) {
        b = {1, 2, 3};
        error = 0;
        // Said by the error alone: a library writes nothing into its caller's output.
        EXPECT_EQ(test::stdoutOf(
                      [&] { solve_the_linear_system(a.data(), b.data(), x.data(), 3, error); }),
                  "");
        EXPECT_EQ(error, 1);
    }
}

TEST_F(LinearSystems, InverseOfRowReversedHilbertMatrixIsTheKnownIntegerMatrix) {
    // Rows in reverse order force exchanges; the inverse is that of the Hilbert matrix
    // with its columns reversed.
    Matrix h(4, 4);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) h.rows[3 - i][j] = 1.0 / (i + j + 1);
    const double exact[4][4] = {{16, -120, 240, -140},
                                {-120, 1200, -2700, 1680},
                                {240, -2700, 6480, -4200},
                                {-140, 1680, -4200, 2800}};
    ASSERT_EQ(inverse(h.data(), 4), 0);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(h.rows[i][3 - j], exact[i][j], 3e-9 * std::fabs(exact[i][j])) << i << j;
}

TEST_F(LinearSystems, InverseOfSingularMatrixWithVanishingLastPivotFails) {
    for (Matrix a : {lastPivot, Matrix({{1, 2}, {2, 4}}), Matrix(1, 1)})
        EXPECT_EQ(inverse(a.data(), a.size()), 1) << a.size();
}

// a x + b y = c, d x + e y = f built around a known solution, its rows in either order and
// with a tiny determinant well above the singular threshold.
TEST_F(LinearSystems, TwoByTwoGivesTheSolutionItWasBuiltAround) {
    const struct {
        double a, b, d, e, x, y;
    } cases[] = {{2, 1, 1, 3, 1.5, -2}, {0, 4, 3, 0, -7, 0.25}, {1, 1, 1, 1 + 1e-9, 3, 4}};
    for (const auto& k : cases) {
        const double c = k.a * k.x + k.b * k.y, f = k.d * k.x + k.e * k.y;
        double x = NAN, y = NAN;
        solve_linear_system2(k.a, k.b, c, k.d, k.e, f, x, y);
        EXPECT_NEAR(x, k.x, 1e-6 * (1 + std::fabs(k.x))) << k.a << " " << k.e;
        EXPECT_NEAR(y, k.y, 1e-6 * (1 + std::fabs(k.y))) << k.a << " " << k.e;
        solve_linear_system2(k.d, k.e, f, k.a, k.b, c, x, y);
        EXPECT_NEAR(x, k.x, 1e-6 * (1 + std::fabs(k.x)));
        EXPECT_NEAR(y, k.y, 1e-6 * (1 + std::fabs(k.y)));
    }
}

TEST_F(LinearSystems, SingularTwoByTwoGivesZeros) {
    double x = 7, y = 7;
    solve_linear_system2(1, 2, 3, 2, 4, 6, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

// Banded systems against the dense solve: bands[b] is the band at offset b - 2 (lower2,
// lower1, diagonal, upper1, upper2), entry i of a band being the coefficient of row i.
class BandedSystems : public LinearSystems {
   protected:
    static constexpr int n = 10;
    std::vector<std::vector<double>> bands = std::vector(5, std::vector<double>(n));
    std::vector<double> rhs = std::vector<double>(n), x = rhs;

    // Random bands (those flagged off stay zero) around a dominant diagonal.
    void randomise(std::vector<bool> on) {
        for (int b = 0; b < 5; ++b)
            for (int i = 0; i < n && on[b]; ++i)
                bands[b][i] = b == 2 ? 5 + uniform(0, 1) : uniform(-1, 1);
        for (double& r : rhs) r = uniform(-3, 3);
    }
    std::vector<double> dense() {
        Matrix a(n, n);
        for (int i = 0; i < n; ++i)
            for (int b = 0; b < 5; ++b)
                if (i + b - 2 >= 0 && i + b - 2 < n) a.rows[i][i + b - 2] = bands[b][i];
        return denseSolve(a, rhs);
    }
    void pentadiagonal() {
        auto& d = bands;
        solve_pentadiagonal_system(n, d[2].data(), d[3].data(), d[4].data(), d[1].data(),
                                   d[0].data(), rhs.data(), x.data());
    }
};

TEST_F(BandedSystems, TridiagonalMatchesDenseSolve) {
    randomise({false, true, true, true, false});
    bands[1][0] = bands[3][n - 1] = 0;
    solve_tridiagonal_system(n, bands[2].data(), bands[3].data(), bands[1].data(), rhs.data(),
                             x.data());
    auto expected = dense();
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-13);
}

TEST_F(BandedSystems, PentadiagonalMatchesDenseSolveAndKeepsItsInputs) {
    // Every band, then a zero first sub-diagonal beside a second one.
    for (std::vector<bool> on :
         {std::vector{true, true, true, true, true}, std::vector{true, false, true, true, false}}) {
        randomise(on);
        const auto inputs = bands;
        const auto rhsBefore = rhs;
        auto expected = dense();
        pentadiagonal();
        for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], expected[i], 1e-12) << i;
        EXPECT_EQ(inputs, bands) << "inputs changed";
        EXPECT_EQ(rhsBefore, rhs) << "inputs changed";
    }
}

TEST_F(BandedSystems, DiagonalPentadiagonalDoesNotDivideZeroByZero) {
    for (int i = 0; i < n; ++i) {
        bands[2][i] = i + 1.0;
        rhs[i] = 2.0 * (i + 1.0);
    }
    pentadiagonal();
    for (int i = 0; i < n; ++i) EXPECT_EQ(x[i], 2.0);
}

// degree3 ---------------------------------------------------------------------------

// Coefficients of (x - r0)(x - r1)(x - r2) times k, in increasing powers.
std::vector<double> fromRoots(double r0, double r1, double r2, double k = 1.0) {
    return {-k * r0 * r1 * r2, k * (r0 * r1 + r0 * r2 + r1 * r2), -k * (r0 + r1 + r2), k};
}

TEST(CubicRoots, KnownRootsToTheirAccuracy) {
    const double r = 1e-7, bb = 1e3, cc = 1e6;
    const struct {
        std::vector<double> a, roots;
        double rel;
    } cases[] = {
        {fromRoots(1, 2, 3), {1, 2, 3}, 1e-14},
        // x^3 + x + 1 = 0: the real root of the depressed cubic with p = q = 1.
        {{1, 1, 0, 1}, {-0.6823278038280193}, 1e-15},
        {fromRoots(-0.5, -0.5, -0.5, 3), {-0.5, -0.5, -0.5}, 1e-15},
        {fromRoots(2, 2, -1), {-1, 2, 2}, 1e-8},
        // A root at exactly 0: the product of the roots cannot give the third; it used to
        // come back as a copy of the first.
        {fromRoots(0, 1, 2), {0, 1, 2}, 1e-15},
        // Widely separated roots, where the plain formulas cancel (-s + y loses the small
        // ones), and one small real root beside a complex pair.
        {fromRoots(1e6, 1, 1e-6), {1e-6, 1, 1e6}, 1e-9},
        {{-r * cc, cc - r * bb, bb - r, 1}, {r}, 1e-9},
        // Roots nine and more decades apart with a small leading coefficient: the discriminant
        // cancels to a positive value, and the two small roots used to be lost (roots of the
        // given coefficients by mpmath at 50 digits).
        {{-0.11374430901714559, -273.4370197422829, -6754.016407020957, 9.883939669345249e-06},
         {-0.040064754310626965, -0.00042034422155975865, 683332419.39633586},
         1e-13},
        {{1704.349370235728, 4.0962124036953895, -30002.68738146337, -0.00017426544647544423},
         {-172166588.31855599, -0.23827300744309458, 0.23840953529648957},
         1e-13},
    };
    for (const auto& c : cases) {
        std::vector<double> a = c.a, want = c.roots;
        int count = -1;
        double roots[3] = {NAN, NAN, NAN};
        degree3(a.data(), count, roots);
        ASSERT_EQ(count, int(want.size())) << want[0];
        std::vector<double> got(roots, roots + want.size());
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_NEAR(got[i], want[i], c.rel * std::fabs(want[i]) + 1e-300) << want[0];
    }
}

TEST(CubicRoots, NotACubic) {
    int count = -1;
    double a[4] = {1, 2, 3, 0}, roots[3];
    degree3(a, count, roots);
    EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace vornex

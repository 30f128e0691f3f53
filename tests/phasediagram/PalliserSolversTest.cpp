// The model's one-dimensional solvers on residuals whose roots are known: a secant that runs
// to a root outside the band the caller searches gives way to the root the band's scan finds.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "phasediagram/PalliserModel.h"

namespace vornex {
namespace {

// The model with a residual of its own, (x - 2)(x - 20) by default, and its solvers at hand.
class Roots : public PalliserModel {
   public:
    double a = 2.0, b = 20.0;
    double residual(double x, void*) { return (x - a) * (x - b); }
    double secantOrScanOn(double x0, double x1, double lo, double hi, int& error) {
        return secantOrScan(&Roots::residual, nullptr, x0, x1, x0, {lo, hi, 0.5, 1e-9}, error);
    }
    double nearestOn(double lo, double hi, double x0, int& error) {
        return nearestRoot(&Roots::residual, nullptr, lo, hi, 0.5, x0, error);
    }
    // x - 2 up to 4, undefined on (4, 6), 2 - x beyond: of opposite signs across the gap,
    // with its one root at 2.
    double broken(double x, void*) {
        if (x > 4.0 && x < 6.0) {
            equationError = 1;
            return 0.0;
        }
        return x <= 4.0 ? x - 2.0 : 2.0 - x;
    }
    std::vector<SignChange> brokenChanges(double lo, double hi) {
        return signChanges(&Roots::broken, nullptr, lo, hi, 0.5);
    }
    double nearestBrokenRoot(double x0, int& error) {
        return nearestRoot(&Roots::broken, nullptr, 0.0, 10.0, 0.5, x0, error);
    }
};

TEST(PalliserSolvers, ASecantRootOutsideTheBandGivesWayToTheBandsRoot) {
    Roots r;
    int error = -1;
    // From 15 the secant runs to 20, above the band [0, 10]; the band's root is 2.
    EXPECT_NEAR(r.secantOrScanOn(15.0, 15.001, 0.0, 10.0, error), 2.0, 1e-9);
    EXPECT_EQ(error, 0);
    // And below it: from -5 with roots at -10 and 4 in the band [0, 10].
    r.a = -10.0;
    r.b = 4.0;
    EXPECT_NEAR(r.secantOrScanOn(-5.0, -5.001, 0.0, 10.0, error), 4.0, 1e-9);
    EXPECT_EQ(error, 0);
    // The secant's own root is kept where it lies in the band.
    EXPECT_NEAR(r.secantOrScanOn(3.0, 3.001, 0.0, 10.0, error), 4.0, 1e-12);
    EXPECT_EQ(error, 0);
    // With no root in the band the search fails.
    r.b = 40.0;
    r.secantOrScanOn(35.0, 35.001, 0.0, 10.0, error);
    EXPECT_NE(error, 0);
}

TEST(PalliserSolvers, TheScanTakesTheRootNearestTheStartLowerOnATie) {
    Roots r;
    int error = -1;
    for (auto [x0, root] :
         {std::pair{18.0, 20.0}, {3.0, 2.0}, {11.0, 2.0}, {-4.0, 2.0}, {40.0, 20.0}}) {
        EXPECT_NEAR(r.nearestOn(0.0, 30.0, x0, error), root, 1e-9) << x0;
        EXPECT_EQ(error, 0) << x0;
    }
    r.nearestOn(3.0, 19.0, 10.0, error);
    EXPECT_EQ(error, 1);
}

// Where the residual is undefined no change of sign is counted across the gap, however the
// signs on its two sides differ; its edges are located to the halving's precision.
TEST(PalliserSolvers, AGapInTheResidualIsNoRoot) {
    Roots r;
    const auto changes = r.brokenChanges(0.0, 10.0);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_LE(changes[0].a, 2.0);
    EXPECT_GE(changes[0].b, 2.0);
    EXPECT_TRUE(changes[0].rising);
    int error = -1;
    EXPECT_NEAR(r.nearestBrokenRoot(5.0, error), 2.0, 1e-9);
    EXPECT_EQ(error, 0);
    // A scan that starts inside the gap finds the edge where the residual is 2 - x < 0 and no
    // root beyond.
    EXPECT_TRUE(r.brokenChanges(4.5, 10.0).empty());
}

}  // namespace
}  // namespace vornex

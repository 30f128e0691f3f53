// The model's one-dimensional solvers on residuals whose roots are known: a secant that runs
// to a root outside the band the caller searches gives way to the root the band's scan finds.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vornex

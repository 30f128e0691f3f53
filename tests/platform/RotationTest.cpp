// Rotations by degrees: whole quarter turns land exactly on the axes, in either direction and
// beyond a full turn, as the general rotation does within rounding; other angles are the
// general rotation's.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/AffineTransform.h"

namespace vornex {
namespace {

TEST(Rotation, QuarterTurnsAreExactAndOtherAnglesTheGeneralRotation) {
    const Point corners[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};  // (1, 0) after 0, 1, 2, 3 turns
    for (int k = -9; k <= 9; ++k) {
        const AffineTransform exact = AffineTransform::rotationDegrees(90.0 * k);
        const Point p = exact.transformPoint({1, 0});
        const Point& wanted = corners[((k % 4) + 4) % 4];
        EXPECT_EQ(p.x, wanted.x) << k;  // exactly: no 6e-17 left where 0 is meant
        EXPECT_EQ(p.y, wanted.y) << k;
        const Point general =
            AffineTransform::rotationRadians(k * M_PI / 2).transformPoint({1, 0});
        EXPECT_NEAR(p.x, general.x, 1e-12) << k;
        EXPECT_NEAR(p.y, general.y, 1e-12) << k;
    }
    // Four quarter turns are the identity; a turn back undoes a turn forward.
    AffineTransform full = AffineTransform::rotationDegrees(90);
    for (int i = 0; i < 3; ++i) full.append(AffineTransform::rotationDegrees(90));
    const Point q = full.transformPoint({3, -2});
    EXPECT_EQ(q.x, 3);
    EXPECT_EQ(q.y, -2);
    AffineTransform there = AffineTransform::rotationDegrees(-270);
    there.append(AffineTransform::rotationDegrees(270));
    EXPECT_EQ(there.transformPoint({5, 7}).x, 5);
    for (double degrees : {30.0, -45.0, 89.5, 405.0}) {
        const Point p = AffineTransform::rotationDegrees(degrees).transformPoint({2, 0});
        const double r = degrees * M_PI / 180;
        EXPECT_NEAR(p.x, 2 * std::cos(r), 1e-12) << degrees;
        EXPECT_NEAR(p.y, 2 * std::sin(r), 1e-12) << degrees;
    }
    const Point thirty = AffineTransform::rotationDegrees(30).transformPoint({1, 0});
    EXPECT_NEAR(thirty.x, std::sqrt(3.0) / 2, 1e-15);
    EXPECT_NEAR(thirty.y, 0.5, 1e-15);
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <cmath>

#include "platform/AffineTransform.h"
#include "platform/Geometry.h"

namespace vornex {
namespace {

void expectNear(Point a, Point b, double tol = 1e-12) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
}

TEST(RectTest, MouseInUnflippedViewKeepsLeftAndTopEdges) {
    Rect r(10, 20, 30, 40);
    EXPECT_TRUE(r.containsMouse({10, 60}));   // left and top edges inside
    EXPECT_FALSE(r.containsMouse({40, 30}));  // right edge outside
    EXPECT_FALSE(r.containsMouse({20, 20}));  // bottom edge outside
    EXPECT_TRUE(r.containsMouse({20, 20}, true));
    EXPECT_FALSE(r.containsMouse({20, 60}, true));
    EXPECT_TRUE(r.contains(Point{10, 20}));
    EXPECT_FALSE(r.contains(Point{40, 60}));
}

TEST(RectTest, UnionIntersectionAndSpan) {
    EXPECT_EQ(Rect(0, 0, 1, 1).unionWith(Rect()), Rect(0, 0, 1, 1));
    EXPECT_EQ(Rect().unionWith(Rect(2, 3, 1, 1)), Rect(2, 3, 1, 1));
    EXPECT_EQ(Rect(0, 0, 1, 1).unionWith(Rect(2, 3, 1, 1)), Rect(0, 0, 3, 4));
    EXPECT_EQ(Rect(0, 0, 2, 2).intersection(Rect(1, 1, 5, 5)), Rect(1, 1, 1, 1));
    EXPECT_TRUE(Rect(0, 0, 1, 1).intersection(Rect(2, 2, 1, 1)).isZero());
    EXPECT_EQ(Rect::spanning({5, 1}, {2, 7}), Rect(2, 1, 3, 6));
}

class AffineTransformTest : public ::testing::Test {
   protected:
    // A transform with every kind of step, as a rotated, scaled and shifted axis title gets.
    AffineTransform mixed() const {
        AffineTransform t;
        t.translate(12.5, -3).rotateByDegrees(30).scale(2, 0.5).translate(-1, 4);
        return t;
    }
};

TEST_F(AffineTransformTest, InverseUndoesTheTransform) {
    AffineTransform t = mixed();
    std::optional<AffineTransform> inv = t.inverted();
    ASSERT_TRUE(inv);
    for (Point p : {Point{0, 0}, Point{1, 2}, Point{-300, 47.25}, Point{1e4, -1e3}}) {
        expectNear(inv->transformPoint(t.transformPoint(p)), p, 1e-9);
        expectNear(t.transformPoint(inv->transformPoint(p)), p, 1e-9);
    }
    AffineTransform both = t;
    both.append(*inv);
    expectNear(both.transformPoint({7, 9}), {7, 9}, 1e-12);
    // Inverted in place, the transform maps each image back to where it came from.
    AffineTransform back = t;
    ASSERT_TRUE(back.invert());
    for (Point p : {Point{0, 0}, Point{-2.5, 8}})
        expectNear(back.transformPoint(t.transformPoint(p)), p, 1e-9);
}

TEST_F(AffineTransformTest, SingularTransformIsNotInverted) {
    AffineTransform flat = AffineTransform::scaling(1, 0);
    EXPECT_FALSE(flat.inverted());
    AffineTransform copy = flat;
    EXPECT_FALSE(copy.invert());
    EXPECT_EQ(copy, flat);
}

TEST_F(AffineTransformTest, StepsActOnPointsBeforeEarlierSteps) {
    // A context translated and then turned by 90 degrees: (1, 0) of the turned system lies
    // one unit above the translated origin.
    AffineTransform t;
    t.translate(10, 20).rotateByDegrees(90);
    expectNear(t.transformPoint({1, 0}), {10, 21});
    expectNear(t.transformPoint({0, 1}), {9, 20});
    // append: this first, then the other.
    AffineTransform a = AffineTransform::scaling(2, 2);
    a.append(AffineTransform::translation(1, 0));
    expectNear(a.transformPoint({1, 1}), {3, 2});
    AffineTransform p = AffineTransform::scaling(2, 2);
    p.prepend(AffineTransform::translation(1, 0));
    expectNear(p.transformPoint({1, 1}), {4, 2});
    // Quarter turns are exact.
    EXPECT_EQ(AffineTransform::rotationDegrees(90), AffineTransform(0, 1, -1, 0, 0, 0));
    EXPECT_EQ(AffineTransform::rotationDegrees(-270), AffineTransform::rotationDegrees(90));
    Size s = AffineTransform::translation(5, 5).transformSize({3, 4});
    EXPECT_EQ(s, (Size{3, 4}));
}

TEST_F(AffineTransformTest, TransformedRectIsTheBoxOfItsCorners) {
    Rect r = AffineTransform::rotationDegrees(90).transformRect(Rect(0, 0, 2, 1));
    EXPECT_NEAR(r.x(), -1, 1e-12);
    EXPECT_NEAR(r.y(), 0, 1e-12);
    EXPECT_NEAR(r.width(), 1, 1e-12);
    EXPECT_NEAR(r.height(), 2, 1e-12);
}

}  // namespace
}  // namespace vornex

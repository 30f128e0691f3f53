#include <gtest/gtest.h>

#include <cmath>

#include "platform/BezierPath.h"

namespace vornex {
namespace {

class PathContainmentTest : public ::testing::Test {
   protected:
    static BezierPath triangle(Point a, Point b, Point c) {
        BezierPath p;
        p.moveTo(a);
        p.lineTo(b);
        p.lineTo(c);
        p.closePath();
        return p;
    }
};

TEST_F(PathContainmentTest, OvalHoldsItsInsideOnly) {
    BezierPath oval = BezierPath::withOval(Rect(0, 0, 20, 10));  // centre (10, 5), radii 10, 5
    EXPECT_TRUE(oval.containsPoint({10, 5}));
    EXPECT_TRUE(oval.containsPoint({19.5, 5}));
    EXPECT_TRUE(oval.containsPoint({10, 9.5}));
    // Corner of the bounding box lies outside the ellipse.
    EXPECT_FALSE(oval.containsPoint({1, 1}));
    EXPECT_FALSE(oval.containsPoint({18, 9}));  // (0.8)^2 + (0.8)^2 > 1
    EXPECT_TRUE(oval.containsPoint({16, 8}));   // (0.6)^2 + (0.6)^2 < 1
    EXPECT_FALSE(oval.containsPoint({20.5, 5}));
}

TEST_F(PathContainmentTest, RectanglesAndOpenPolygons) {
    BezierPath r = BezierPath::withRect(Rect(-5, -5, 10, 4));
    EXPECT_TRUE(r.containsPoint({0, -3}));
    EXPECT_FALSE(r.containsPoint({0, 0}));
    EXPECT_FALSE(r.containsPoint({6, -3}));
    // An open triangle is filled as if closed.
    BezierPath open;
    open.moveTo({0, 0});
    open.lineTo({10, 0});
    open.lineTo({0, 10});
    EXPECT_TRUE(open.containsPoint({2, 2}));
    EXPECT_FALSE(open.containsPoint({6, 6}));
    // A concave polygon: the notch is outside.
    BezierPath u;
    u.moveTo({0, 0});
    u.lineTo({30, 0});
    u.lineTo({30, 30});
    u.lineTo({20, 30});
    u.lineTo({20, 10});
    u.lineTo({10, 10});
    u.lineTo({10, 30});
    u.lineTo({0, 30});
    u.closePath();
    EXPECT_TRUE(u.containsPoint({5, 25}));
    EXPECT_TRUE(u.containsPoint({25, 25}));
    EXPECT_FALSE(u.containsPoint({15, 25}));
    EXPECT_TRUE(u.containsPoint({15, 5}));
}

TEST_F(PathContainmentTest, OverlapsFollowTheWindingRule) {
    // Two squares drawn the same way round: the overlap has winding 2.
    BezierPath p = BezierPath::withRect(Rect(0, 0, 10, 10));
    p.appendRect(Rect(5, 5, 10, 10));
    EXPECT_TRUE(p.containsPoint({7, 7}));
    p.setWindingRule(WindingRule::EvenOdd);
    EXPECT_FALSE(p.containsPoint({7, 7}));
    EXPECT_TRUE(p.containsPoint({2, 2}));
    EXPECT_TRUE(p.containsPoint({12, 12}));
    // A marker made of lines only (a plus sign) encloses nothing.
    BezierPath plus;
    plus.moveTo({-3, 0});
    plus.lineTo({3, 0});
    plus.moveTo({0, -3});
    plus.lineTo({0, 3});
    EXPECT_FALSE(plus.containsPoint({0.5, 0.5}));
    EXPECT_FALSE(plus.containsPoint({NAN, 0}));
    EXPECT_FALSE(BezierPath().containsPoint({0, 0}));
}

TEST_F(PathContainmentTest, TriangleEdgesSplitInsideFromOutside) {
    BezierPath t = triangle({0, 0}, {10, 0}, {5, 10});
    EXPECT_TRUE(t.containsPoint({5, 9}));
    EXPECT_FALSE(t.containsPoint({1, 9}));
    // The same triangle the other way round is just as full under both rules.
    BezierPath r = triangle({5, 10}, {10, 0}, {0, 0});
    EXPECT_TRUE(r.containsPoint({5, 5}));
    r.setWindingRule(WindingRule::EvenOdd);
    EXPECT_TRUE(r.containsPoint({5, 5}));
}

TEST(PathShapeTest, BoundsAreTightAroundCurves) {
    BezierPath oval = BezierPath::withOval(Rect(2, 3, 8, 6));
    Rect b = oval.bounds();
    EXPECT_NEAR(b.x(), 2, 1e-9);
    EXPECT_NEAR(b.y(), 3, 1e-9);
    EXPECT_NEAR(b.width(), 8, 1e-9);
    EXPECT_NEAR(b.height(), 6, 1e-9);
    // A curve whose control points stick out: the drawn curve does not reach them.
    BezierPath bump;
    bump.moveTo({0, 0});
    bump.curveTo({0, 10}, {10, 10}, {10, 0});
    EXPECT_NEAR(bump.bounds().height(), 7.5, 1e-9);
    EXPECT_NEAR(bump.controlPointBounds().height(), 10, 1e-12);
    EXPECT_TRUE(BezierPath().bounds().isZero());
}

TEST(PathShapeTest, ElementsAndCurrentPoint) {
    BezierPath p;
    p.lineTo({1, 1});  // no current point: starts a subpath
    ASSERT_EQ(p.elementCount(), 1u);
    EXPECT_EQ(p.elements()[0].type, BezierPath::Element::Type::MoveTo);
    p.lineTo({4, 1});
    p.closePath();
    p.closePath();  // a second close adds nothing
    EXPECT_EQ(p.elementCount(), 3u);
    EXPECT_EQ(p.currentPoint(), (Point{1, 1}));
    p.lineTo({1, 5});  // after a close a line starts from the subpath's start
    EXPECT_EQ(p.elements()[3].type, BezierPath::Element::Type::MoveTo);
    EXPECT_EQ(p.elements()[3].points[0], (Point{1, 1}));
    BezierPath moved = p.transformed(AffineTransform::translation(1, 2));
    EXPECT_EQ(moved.currentPoint(), (Point{2, 7}));
}

TEST(PathShapeTest, DashPatternsKeptOrDroppedWhenUndrawable) {
    BezierPath p;
    p.setLineDash({6, 3, 0});
    EXPECT_EQ(p.lineDash(), (std::vector<double>{6, 3, 0}));
    p.setLineDash({0, 0});
    EXPECT_TRUE(p.lineDash().empty());
    p.setLineDash({4, -1});
    EXPECT_TRUE(p.lineDash().empty());
    p.setLineDash({5, 2}, 1.5);
    EXPECT_EQ(p.lineDashPhase(), 1.5);
    EXPECT_EQ(p.lineWidth(), 1.0);
}

}  // namespace
}  // namespace vornex

// Paths: which points a filled path holds under both winding rules, tight bounds around
// curves, subpath bookkeeping and dash patterns.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/BezierPath.h"

namespace vornex {
namespace {

BezierPath polygon(std::initializer_list<Point> points, bool close = true) {
    BezierPath p;
    for (Point q : points) p.isEmpty() ? p.moveTo(q) : p.lineTo(q);
    if (close) p.closePath();
    return p;
}

TEST(PathContainment, InsideAndOutsideOfEveryShape) {
    BezierPath overlap = BezierPath::withRect(Rect(0, 0, 10, 10));
    overlap.appendRect(Rect(5, 5, 10, 10));  // the same way round: the overlap winds twice
    BezierPath evenOdd = overlap;
    evenOdd.setWindingRule(WindingRule::EvenOdd);
    BezierPath reversed = polygon({{5, 10}, {10, 0}, {0, 0}});
    BezierPath reversedEvenOdd = reversed;
    reversedEvenOdd.setWindingRule(WindingRule::EvenOdd);
    BezierPath plus = polygon({{-3, 0}, {3, 0}}, false);  // a marker of lines only
    plus.moveTo({0, -3});
    plus.lineTo({0, 3});
    struct Case {
        const char* shape;
        BezierPath path;
        std::vector<Point> inside, outside;
    };
    const Case cases[] = {
        // Centre (10, 5), radii 10 and 5: the box's corners lie outside the ellipse.
        {"oval",
         BezierPath::withOval(Rect(0, 0, 20, 10)),
         {{10, 5}, {19.5, 5}, {10, 9.5}, {16, 8}},
         {{1, 1}, {18, 9}, {20.5, 5}}},
        {"rect",
         BezierPath::withRect(Rect(-5, -5, 10, 4)),
         {{0, -3}, {-4, -2}, {4, -4}, {0, -4.5}},
         {{0, 0}, {6, -3}, {0, -5.5}}},
        {"open triangle, filled as if closed",
         polygon({{0, 0}, {10, 0}, {0, 10}}, false),
         {{2, 2}, {1, 8}, {8, 1}, {4, 4}},
         {{6, 6}, {-1, 1}, {1, -1}}},
        {"concave U, the notch outside",
         polygon({{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}}),
         {{5, 25}, {25, 25}, {15, 5}, {15, 9}},
         {{15, 25}, {15, 11}, {31, 5}}},
        {"overlapping squares, nonzero",
         overlap,
         {{7, 7}, {2, 2}, {12, 12}, {9, 9}},
         {{12, 2}, {2, 12}, {16, 16}}},
        {"overlapping squares, even-odd",
         evenOdd,
         {{2, 2}, {12, 12}, {9, 4}, {4, 9}},
         {{7, 7}, {12, 2}, {16, 16}}},
        {"triangle drawn backwards",
         reversed,
         {{5, 5}, {5, 9}, {2, 1}, {8, 1}},
         {{1, 9}, {9, 9}, {5, -1}}},
        {"triangle drawn backwards, even-odd",
         reversedEvenOdd,
         {{5, 5}, {5, 9}, {2, 1}, {8, 1}},
         {{1, 9}, {9, 9}, {5, -1}}},
        {"plus", plus, {}, {{0.5, 0.5}, {NAN, 0}, {0, 0}}},
        {"empty", BezierPath(), {}, {{0, 0}, {1, 1}, {-1, -1}}},
    };
    for (const Case& c : cases) {
        for (Point p : c.inside)
            EXPECT_TRUE(c.path.containsPoint(p)) << c.shape << " " << p.x << "," << p.y;
        for (Point p : c.outside)
            EXPECT_FALSE(c.path.containsPoint(p)) << c.shape << " " << p.x << "," << p.y;
    }
}

TEST(PathShape, BoundsAreTightAroundCurves) {
    Rect b = BezierPath::withOval(Rect(2, 3, 8, 6)).bounds();
    EXPECT_NEAR(b.x(), 2, 1e-9);
    EXPECT_NEAR(b.y(), 3, 1e-9);
    EXPECT_NEAR(b.width(), 8, 1e-9);
    EXPECT_NEAR(b.height(), 6, 1e-9);
    // The drawn curve does not reach the control points that stick out: 3/4 of their height.
    BezierPath bump;
    bump.moveTo({0, 0});
    bump.curveTo({0, 10}, {10, 10}, {10, 0});
    EXPECT_NEAR(bump.bounds().height(), 7.5, 1e-9);
    EXPECT_NEAR(bump.controlPointBounds().height(), 10, 1e-12);
    EXPECT_TRUE(BezierPath().bounds().isZero());
}

TEST(PathShape, ElementsAndCurrentPoint) {
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
    EXPECT_EQ(p.transformed(AffineTransform::translation(1, 2)).currentPoint(), (Point{2, 7}));
    // A curve ends at its end point, not at a control point; the next line starts there.
    p.curveTo({2, 6}, {3, 7}, {4, 5});
    EXPECT_EQ(p.currentPoint(), (Point{4, 5}));
    p.lineTo({6, 5});
    EXPECT_EQ(p.elements().back().type, BezierPath::Element::Type::LineTo);
    EXPECT_EQ(p.transformed(AffineTransform::scaling(2, 1)).currentPoint(), (Point{12, 5}));
    p.curveTo({7, 5}, {8, 6}, {9, 9});
    EXPECT_EQ(p.transformed(AffineTransform::translation(-9, -9)).currentPoint(), (Point{0, 0}));
}

TEST(PathShape, DashPatternsKeptOrDroppedWhenUndrawable) {
    BezierPath p;
    p.setLineDash({6, 3, 0});
    EXPECT_EQ(p.lineDash(), (std::vector<double>{6, 3, 0}));
    for (auto undrawable : {std::vector<double>{0, 0}, std::vector<double>{4, -1}}) {
        p.setLineDash(undrawable);
        EXPECT_TRUE(p.lineDash().empty());
    }
    p.setLineDash({5, 2}, 1.5);
    EXPECT_EQ(p.lineDashPhase(), 1.5);
}

}  // namespace
}  // namespace vornex

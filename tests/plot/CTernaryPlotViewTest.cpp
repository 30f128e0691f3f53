// The ternary plot: the composition transform and clicks that report a composition (both ways
// round), truncated ranges, and what is drawn where.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plot/CTernaryPlotView.h"
#include "plot/PlotTestSupport.h"

namespace vornex {
namespace {

using Kind = RecordedOperation::Kind;

MouseEvent press(Point p, MouseButton button = MouseButton::Left) {
    MouseEvent e = test::mouse(MouseEvent::Type::Down, p);
    e.button = button;
    return e;
}

Point along(Point from, Point to, double t) {
    return {from.x + t * (to.x - from.x), from.y + t * (to.y - from.y)};
}

// A 400 × 300 view with margins 30 has an area of 340 × 240: the triangle is as high as the
// area (240 / 0.8660254 wide), centred.
class TernaryGeometry : public ::testing::Test {
   protected:
    void SetUp() override {
        view.setNotificationCenter(&center);
        center.addObserver(this, notifications::ternaryPlotSelection, &view,
                           [this](const Notification&) { ++posts; });
        view.placeCorners();
    }
    bool click(Point p) { return view.mouseDown(press(p)); }
    void expectSelection(double a, double b, double tolerance = 1e-4) {
        EXPECT_NEAR(view.mSela(), a, tolerance);
        EXPECT_NEAR(view.mSelb(), b, tolerance);
        EXPECT_NEAR(view.mSelc(), 100 - a - b, tolerance);
        EXPECT_GE(view.mSelc(), 0);
    }

    NotificationCenter center;
    CTernaryPlotView view{Rect(0, 0, 400, 300)};
    int posts = 0;
};

TEST_F(TernaryGeometry, CompositionsAndClicksRoundTrip) {
    // Pure components on their corners, each component growing toward its corner.
    EXPECT_EQ(view.viewPointForComposition(100, 0), view.cornerA());
    EXPECT_EQ(view.viewPointForComposition(0, 100), view.cornerB());
    EXPECT_EQ(view.viewPointForComposition(0, 0), view.cornerC());
    const Point mid = view.viewPointForComposition(50, 50);
    EXPECT_NEAR(mid.x, (view.cornerA().x + view.cornerB().x) / 2, 1e-4);
    EXPECT_NEAR(mid.y, view.cornerA().y, 1e-4);
    const std::pair<double, double> compositions[] = {{33.3, 33.3}, {10, 70}, {45.5, 12.25}};
    for (auto [a, b] : compositions) {
        ASSERT_TRUE(click(view.viewPointForComposition(a, b)));
        expectSelection(a, b);
    }
    // Corners and edges are accepted, never a negative fraction.
    for (auto [corner, a, b] :
         {std::tuple{view.cornerA(), 100.0, 0.0}, std::tuple{view.cornerB(), 0.0, 100.0},
          std::tuple{view.cornerC(), 0.0, 0.0}}) {
        ASSERT_TRUE(click(corner));
        expectSelection(a, b, 1e-9);
    }
    for (double t : {0.37, 0.9}) {
        ASSERT_TRUE(click(along(view.cornerA(), view.cornerB(), t))) << t;
        expectSelection(100 * (1 - t), 100 * t);
    }
    EXPECT_EQ(posts, 8);
}

// Every point the view gives for a composition on an edge is a click on that edge, whatever
// the rounding of the view point: on each of the three edges, in steps of 0.5 %, in views of
// several sizes.
TEST_F(TernaryGeometry, EveryEdgePointIsAClickOnItsEdge) {
    int clicks = 0;
    for (const Rect frame : {Rect(0, 0, 400, 300), Rect(0, 0, 617, 433), Rect(0, 0, 1283, 977)}) {
        view.setFrame(frame);
        view.placeCorners();
        for (double t = 0; t <= 100; t += 0.5)
            for (auto [a, b] : {std::pair{0.0, t}, std::pair{t, 0.0}, std::pair{t, 100 - t}}) {
                ASSERT_TRUE(click(view.viewPointForComposition(a, b)))
                    << a << " " << b << " in " << frame.width() << " x " << frame.height();
                expectSelection(a, b);
                // Exactly on the edge: no trace of the component it lacks.
                EXPECT_TRUE(view.mSela() == 0 || a != 0) << b;
                EXPECT_TRUE(view.mSelb() == 0 || b != 0) << a;
                EXPECT_TRUE(view.mSelc() == 0 || a + b != 100) << a;
                ++clicks;
            }
    }
    EXPECT_EQ(posts, clicks);
}

TEST_F(TernaryGeometry, ClicksOutsideTheTriangleOnATruncatedOrFlatOnePostNothing) {
    view.setMSela(5);
    EXPECT_FALSE(click({35, 260}));  // inside the margins, left of edge CA
    EXPECT_EQ(view.mSela(), -1);
    EXPECT_EQ(view.mSelc(), -1);
    EXPECT_FALSE(click({200, 285}));  // in the top margin
    EXPECT_FALSE(view.mouseDown(press({200, 100}, MouseButton::Right)));
    view.setRanges(10, 20, 50);
    EXPECT_FALSE(click({200, 100}));
    view.setRanges(0, 0, 100);
    view.setFrame(Rect(0, 0, 60, 60));  // nothing left inside the margins
    EXPECT_FALSE(click({30, 30}));
    EXPECT_EQ(posts, 0);
    // Nor does the solver behind them divide by a zero determinant.
    double u = 7, v = 7;
    EXPECT_FALSE(my_solve_linear_system2(1, 2, 3, 2, 4, 6, u, v));
}

TEST_F(TernaryGeometry, ClickBeforeTheFirstDrawingUsesThePresentSize) {
    CTernaryPlotView fresh(Rect(0, 0, 400, 300));  // no drawing has placed its corners
    fresh.setNotificationCenter(&center);
    ASSERT_TRUE(fresh.mouseDown(press(view.viewPointForComposition(20, 30))));
    EXPECT_NEAR(fresh.mSela(), 20, 1e-4);
    EXPECT_NEAR(fresh.mSelb(), 30, 1e-4);
}

TEST_F(TernaryGeometry, RangesAreClampedAndTheirCornersSitOnTheTrianglesCorners) {
    view.setRanges(60, 70, 50);
    const auto& r = view.ranges();
    EXPECT_EQ(std::vector<float>({r.aMin, r.aMax, r.bMin, r.bMax, r.cMin, r.cMax}),
              std::vector<float>({50, 100, 50, 100, 0, 50}));  // 100 − 100 − 100 < 0
    view.setRanges(NAN, 0, 100);
    EXPECT_TRUE(view.isTruncated());
    view.setRanges(0, 0, 50);  // A, B and C from 0 to 50
    view.placeCorners();
    double wA, wB, wC;
    view.weights(50, 0, wA, wB, wC);  // A at its top, B at its bottom
    EXPECT_NEAR(wA + wB + wC, 1, 1e-12);
    EXPECT_NEAR(wA, 0.5, 1e-12);  // (1, 0, 1) normalised
    EXPECT_NEAR(view.viewPointForComposition(50, 0).x, (view.cornerA().x + view.cornerC().x) / 2,
                1e-4);
}

class TernaryDrawing : public ::testing::Test {
   protected:
    void SetUp() override {
        view.setLabels("NaCl", "KCl", "H2O");
        view.setMargin(35);
    }
    std::vector<RecordedOperation> strokes() {
        view.drawRect(canvas);
        return canvas.operations(Kind::Stroke);
    }
    CTernaryPlotView view{Rect(0, 0, 400, 300)};
    RecordingCanvas canvas{{400, 300}};
};

TEST_F(TernaryDrawing, CurvesInBlueThenMarkersWithTheirGuideLines) {
    view.plotPoint(20, 30, 1, 0, 0);
    view.plotCurve({0, 10, 99, 5, 20, 99, 10, 30, 99}, 3, 0, 1);
    view.plotPoint(20, 30, 13, 1 | 2 | 4, 1);
    auto s = strokes();
    ASSERT_EQ(s.size(), 7u);  // outline, ticks, grid, curve, marker, guides, lines to edges
    ASSERT_EQ(s[3].path.elementCount(), 3u);
    EXPECT_EQ(s[3].path.elements()[2].points[0], view.viewPointForComposition(10, 30));
    // From C through the point to AB, divided as wA : wB = 20 : 30; along A = 20 % to CA.
    const Point A = view.cornerA(), B = view.cornerB(), C = view.cornerC();
    const BezierPath &guides = s[5].path, &toEdges = s[6].path;
    ASSERT_EQ(guides.elementCount(), 6u);
    EXPECT_NEAR(guides.elements()[1].points[0].x, along(A, B, 0.6).x, 1e-3);
    ASSERT_EQ(toEdges.elementCount(), 6u);
    EXPECT_NEAR(toEdges.elements()[1].points[0].y, along(C, A, 0.2).y, 1e-3);
}

TEST_F(TernaryDrawing, ShortCurveDrawsNothingAndBadStrideAddsNone) {
    view.plotCurve({1}, 2, 0, 1);
    view.plotCurve({1, 2, 3}, 0, 0, 1);
    view.plotCurve({1, 2, 3}, 2, 0, 2);
    ASSERT_EQ(view.curves().size(), 1u);
    EXPECT_TRUE(view.curves()[0].empty());
    for (const auto& op : strokes()) EXPECT_TRUE(op.color != Color::blue() || op.path.isEmpty());
    view.purge();
    EXPECT_TRUE(view.curves().empty() && view.points().empty());
}

TEST_F(TernaryDrawing, PngShowsTheTriangleAndTheMarker) {
    view.plotPoint(20, 30, 1, 0, 0);
    ASSERT_TRUE(view.writeImage(FileFormat::Png, "ternary_drawing.png").ok());
    view.placeCorners();
    const test::PngPixels png("ternary_drawing.png");
    EXPECT_EQ(png.at(view.viewPointForComposition(20, 30)).hex(), 0x000000);
    EXPECT_EQ(png.at(view.viewPointForComposition(53, 42)).hex(), 0xFFFFFF);
    EXPECT_TRUE(png.at({view.cornerC().x, view.cornerC().y - 2}).dark());
}

}  // namespace
}  // namespace vornex

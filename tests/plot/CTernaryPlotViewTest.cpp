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

// Corners, the composition transform and clicks. A 400 × 300 view with margins 30 has an
// area of 340 × 240: the triangle is as high as the area (240 / 0.8660254 wide), centred.
class TernaryGeometry : public ::testing::Test {
   protected:
    void SetUp() override {
        view.setNotificationCenter(&center);
        center.addObserver(this, notifications::ternaryPlotSelection, &view,
                           [this](const Notification&) { ++posts; });
    }
    bool click(Point p) { return view.mouseDown(press(p)); }

    NotificationCenter center;
    CTernaryPlotView view{Rect(0, 0, 400, 300)};
    int posts = 0;
};

TEST_F(TernaryGeometry, WideViewGetsATriangleAsHighAsTheArea) {
    view.placeCorners();
    const double side = 240 / 0.8660254;
    EXPECT_NEAR(view.cornerA().x, 30 + (340 - side) / 2, 1e-4);
    EXPECT_NEAR(view.cornerA().y, 30, 1e-4);
    EXPECT_NEAR(view.cornerB().x - view.cornerA().x, side, 1e-4);
    EXPECT_NEAR(view.cornerC().x, view.cornerA().x + side / 2, 1e-4);
    EXPECT_NEAR(view.cornerC().y, 270, 1e-4);
}

TEST_F(TernaryGeometry, NarrowViewGetsATriangleAsWideAsTheArea) {
    view.setFrame(Rect(0, 0, 200, 400));
    view.setMargin(35);
    view.placeCorners();
    const double height = 130 * 0.8660254;
    EXPECT_NEAR(view.cornerA().x, 35, 1e-4);
    EXPECT_NEAR(view.cornerB().x, 165, 1e-4);
    EXPECT_NEAR(view.cornerA().y, 35 + (330 - height) / 2, 1e-4);
    EXPECT_NEAR(view.cornerC().y - view.cornerA().y, height, 1e-4);
}

TEST_F(TernaryGeometry, PureComponentsSitOnTheirCorners) {
    view.placeCorners();
    EXPECT_EQ(view.viewPointForComposition(100, 0), view.cornerA());
    EXPECT_EQ(view.viewPointForComposition(0, 100), view.cornerB());
    EXPECT_EQ(view.viewPointForComposition(0, 0), view.cornerC());
    // Each component grows toward its corner: half A, half B is the middle of AB.
    const Point mid = view.viewPointForComposition(50, 50);
    EXPECT_NEAR(mid.x, (view.cornerA().x + view.cornerB().x) / 2, 1e-4);
    EXPECT_NEAR(mid.y, view.cornerA().y, 1e-4);
}

TEST_F(TernaryGeometry, ClickedCompositionRoundTrips) {
    view.placeCorners();
    const double cases[][2] = {{33.3, 33.3}, {10, 70}, {80, 5}, {1, 1}, {45.5, 12.25}};
    for (const auto& ab : cases) {
        ASSERT_TRUE(click(view.viewPointForComposition(ab[0], ab[1])));
        EXPECT_NEAR(view.mSela(), ab[0], 1e-4);
        EXPECT_NEAR(view.mSelb(), ab[1], 1e-4);
        EXPECT_NEAR(view.mSelc(), 100 - ab[0] - ab[1], 1e-4);
        EXPECT_NEAR(view.mSela() + view.mSelb() + view.mSelc(), 100, 1e-9);
    }
    EXPECT_EQ(posts, 5);
}

TEST_F(TernaryGeometry, CornersAndEdgesAreAccepted) {
    view.placeCorners();
    ASSERT_TRUE(click(view.cornerA()));
    EXPECT_DOUBLE_EQ(view.mSela(), 100);
    EXPECT_DOUBLE_EQ(view.mSelb(), 0);
    EXPECT_DOUBLE_EQ(view.mSelc(), 0);
    ASSERT_TRUE(click(view.cornerB()));
    EXPECT_DOUBLE_EQ(view.mSelb(), 100);
    ASSERT_TRUE(click(view.cornerC()));
    EXPECT_DOUBLE_EQ(view.mSelc(), 100);
    for (double t : {0.1, 0.37, 0.5, 0.9}) {
        const Point ab{view.cornerA().x + t * (view.cornerB().x - view.cornerA().x),
                       view.cornerA().y};
        ASSERT_TRUE(click(ab)) << t;
        EXPECT_NEAR(view.mSelc(), 0, 1e-9);
        EXPECT_GE(view.mSelc(), 0);
        EXPECT_NEAR(view.mSelb(), 100 * t, 1e-4);
    }
    EXPECT_EQ(posts, 7);
}

TEST_F(TernaryGeometry, ClickOutsideTheTriangleOrInTheMarginPostsNothing) {
    view.placeCorners();
    view.setMSela(5);
    EXPECT_FALSE(click({35, 260}));  // inside the margins, left of edge CA
    EXPECT_EQ(view.mSela(), -1);
    EXPECT_EQ(view.mSelb(), -1);
    EXPECT_EQ(view.mSelc(), -1);
    EXPECT_FALSE(click({10, 150}));   // in the left margin
    EXPECT_FALSE(click({200, 285}));  // in the top margin
    EXPECT_FALSE(view.mouseDown(press({200, 100}, MouseButton::Right)));
    EXPECT_EQ(posts, 0);
}

TEST_F(TernaryGeometry, TruncatedRangesRefuseClicks) {
    view.setRanges(10, 20, 50);
    EXPECT_TRUE(view.isTruncated());
    EXPECT_FALSE(click({200, 100}));
    EXPECT_EQ(view.mSelc(), -1);
    EXPECT_EQ(posts, 0);
}

TEST_F(TernaryGeometry, ClickBeforeTheFirstDrawingUsesThePresentSize) {
    // No drawing has placed the corners yet: the click still reads the true triangle.
    CTernaryPlotView fresh(Rect(0, 0, 400, 300));
    fresh.setNotificationCenter(&center);
    CTernaryPlotView drawn(Rect(0, 0, 400, 300));
    drawn.placeCorners();
    ASSERT_TRUE(fresh.mouseDown(press(drawn.viewPointForComposition(20, 30))));
    EXPECT_NEAR(fresh.mSela(), 20, 1e-4);
    EXPECT_NEAR(fresh.mSelb(), 30, 1e-4);
}

TEST_F(TernaryGeometry, TriangleWithoutAreaPostsNothing) {
    view.setFrame(Rect(0, 0, 60, 60));  // nothing left inside the margins
    EXPECT_FALSE(click({30, 30}));
    EXPECT_EQ(view.mSelc(), -1);
    EXPECT_EQ(posts, 0);
    double u = 7, v = 7;
    EXPECT_FALSE(my_solve_linear_system2(1, 2, 3, 2, 4, 6, u, v));
    EXPECT_EQ(u, 0);
    EXPECT_EQ(v, 0);
    ASSERT_TRUE(my_solve_linear_system2(1, 1, 3, 1, -1, 1, u, v));  // u + v = 3, u − v = 1
    EXPECT_DOUBLE_EQ(u, 2);
    EXPECT_DOUBLE_EQ(v, 1);
}

TEST_F(TernaryGeometry, SetRangesClampsAndDetectsTruncation) {
    view.setRanges(60, 70, 50);
    const auto& r = view.ranges();
    EXPECT_EQ(r.aMin, 50);
    EXPECT_EQ(r.aMax, 100);
    EXPECT_EQ(r.bMin, 50);
    EXPECT_EQ(r.bMax, 100);
    EXPECT_EQ(r.cMin, 0);  // 100 − 100 − 100 < 0
    EXPECT_EQ(r.cMax, 50);
    view.setRanges(0, 0, 250);  // too wide: the full diagram
    EXPECT_FALSE(view.isTruncated());
    view.setRanges(NAN, 0, 100);
    EXPECT_TRUE(view.isTruncated());
}

TEST_F(TernaryGeometry, TruncatedTransformPutsTheRangeCornersOnTheCorners) {
    view.setRanges(0, 0, 50);  // A 0..50, B 0..50, C 0..50
    view.placeCorners();
    const Point p = view.viewPointForComposition(50, 0);  // A at its top, B at its bottom
    double wA, wB, wC;
    view.weights(50, 0, wA, wB, wC);
    EXPECT_NEAR(wA + wB + wC, 1, 1e-12);
    EXPECT_NEAR(wA, 0.5, 1e-12);  // (1, 0, 1) normalised
    EXPECT_NEAR(p.x, (view.cornerA().x + view.cornerC().x) / 2, 1e-4);
}

// What is drawn where.
class TernaryDrawing : public ::testing::Test {
   protected:
    void SetUp() override {
        view.setLabels("NaCl", "KCl", "H2O");
        view.setMargin(35);
    }
    void draw() { view.drawRect(canvas); }
    CTernaryPlotView view{Rect(0, 0, 400, 300)};
    RecordingCanvas canvas{{400, 300}};
};

TEST_F(TernaryDrawing, OutlineTicksAndTickLabels) {
    draw();
    auto strokes = canvas.operations(Kind::Stroke);
    ASSERT_GE(strokes.size(), 3u);
    const BezierPath& outline = strokes[0].path;
    ASSERT_EQ(outline.elementCount(), 4u);  // A, B, C and the close
    EXPECT_EQ(outline.elements()[0].points[0], view.cornerA());
    EXPECT_EQ(outline.elements()[1].points[0], view.cornerB());
    EXPECT_EQ(outline.elements()[2].points[0], view.cornerC());
    EXPECT_EQ(strokes[0].color, Color::black());
    const BezierPath& ticks = strokes[1].path;
    EXPECT_EQ(ticks.elementCount(), 54u);  // 27 ticks of two points
    // The first tick hangs 5 below the AB point at 10 %.
    EXPECT_NEAR(ticks.elements()[0].points[0].x,
                view.cornerA().x + 0.1 * (view.cornerB().x - view.cornerA().x), 1e-4);
    EXPECT_NEAR(ticks.elements()[1].points[0].y, view.cornerA().y - 5, 1e-4);

    std::vector<std::string> texts = canvas.texts();
    ASSERT_EQ(texts.size(), 30u);
    for (int edge = 0; edge < 3; ++edge)
        for (int i = 1; i <= 9; ++i) {
            // Tick labels come edge by edge: AB, then BC, then CA.
            EXPECT_EQ(texts[static_cast<size_t>(edge * 9 + i - 1)], std::to_string(10 * i));
        }
    EXPECT_EQ(texts[27], "NaCl");
    EXPECT_EQ(texts[28], "KCl");
    EXPECT_EQ(texts[29], "H2O");
}

TEST_F(TernaryDrawing, LabelsSitBesideTheirCornersAndTicks) {
    draw();
    const RecordedOperation* a = test::findText(canvas, "NaCl");
    const RecordedOperation* c = test::findText(canvas, "H2O");
    ASSERT_TRUE(a && c);
    EXPECT_NEAR(a->origin.x + a->textSize.width, view.cornerA().x - 5, 1e-4);
    EXPECT_NEAR(a->origin.y + a->textSize.height, view.cornerA().y - 5, 1e-4);
    EXPECT_NEAR(c->origin.x + c->textSize.width / 2, view.cornerC().x, 1e-4);
    EXPECT_NEAR(c->origin.y, view.cornerC().y + 5, 1e-4);
    // "50" on AB: centred under the tick, the box of "900" measured once.
    const auto texts = canvas.operations(Kind::Text);
    const RecordedOperation& fifty = texts[4];
    ASSERT_EQ(fifty.text, "50");
    const Size box =
        RecordingCanvas::textSize(AttributedString("900", TextAttributes(Font::labelFont())));
    EXPECT_NEAR(fifty.origin.x + box.width / 2, (view.cornerA().x + view.cornerB().x) / 2, 1e-4);
    EXPECT_NEAR(fifty.origin.y, view.cornerA().y - 5 - box.height - 5, 1e-4);
}

TEST_F(TernaryDrawing, GridIsOneDashedPath) {
    draw();
    auto strokes = canvas.operations(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 3u);
    const BezierPath& grid = strokes[2].path;
    EXPECT_EQ(grid.elementCount(), 54u);  // 27 lines
    EXPECT_EQ(grid.lineDash(), (std::vector<double>{4, 2, 2, 2}));
    EXPECT_EQ(grid.lineWidth(), 0.5);
    // The first line holds B at 10 %: from the AB point at 0.1 to the BC point at 0.9.
    const Point to = grid.elements()[1].points[0];
    const Point expected{view.cornerB().x + 0.9 * (view.cornerC().x - view.cornerB().x),
                         view.cornerB().y + 0.9 * (view.cornerC().y - view.cornerB().y)};
    EXPECT_NEAR(to.x, expected.x, 1e-4);
    EXPECT_NEAR(to.y, expected.y, 1e-4);
}

TEST_F(TernaryDrawing, CurvesInBlueThenPointsInTheColourLeft) {
    view.plotPoint(20, 30, 1, 0, 0);
    view.plotCurve({0, 10, 99, 5, 20, 99, 10, 30, 99}, 3, 0, 1);
    draw();
    auto strokes = canvas.operations(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 4u);
    EXPECT_EQ(strokes[3].color, Color::blue());
    ASSERT_EQ(strokes[3].path.elementCount(), 3u);
    EXPECT_EQ(strokes[3].path.elements()[2].points[0], view.viewPointForComposition(10, 30));
    auto fills = canvas.operations(Kind::Fill);
    ASSERT_EQ(fills.size(), 2u);  // background and the marker
    EXPECT_EQ(fills[1].color, Color::blue());
    const Rect marker = fills[1].path.bounds();
    const Point p = view.viewPointForComposition(20, 30);
    EXPECT_NEAR(marker.midX(), p.x, 1e-4);
    EXPECT_NEAR(marker.midY(), p.y, 1e-4);
    EXPECT_NEAR(marker.width(), 10, 1e-4);
}

TEST_F(TernaryDrawing, OutlinedMarkersAndGuideLines) {
    view.plotPoint(20, 30, 13, 1 | 2 | 4, 1);
    draw();
    auto strokes = canvas.operations(Kind::Stroke);
    ASSERT_EQ(strokes.size(), 6u);  // outline, ticks, grid, marker, guides, lines to edges
    EXPECT_EQ(canvas.count(Kind::Fill), 1u);
    const BezierPath& guides = strokes[4].path;
    ASSERT_EQ(guides.elementCount(), 6u);
    // From C through the point to AB, divided as wA : wB = 20 : 30.
    const Point A = view.cornerA(), B = view.cornerB();
    EXPECT_EQ(guides.elements()[0].points[0], view.cornerC());
    EXPECT_NEAR(guides.elements()[1].points[0].x, A.x + 0.6 * (B.x - A.x), 1e-3);
    const BezierPath& toEdges = strokes[5].path;
    ASSERT_EQ(toEdges.elementCount(), 6u);
    // Along A = 20 % to edge CA, where A is 20 %.
    const Point onCA = toEdges.elements()[1].points[0];
    const Point C = view.cornerC();
    EXPECT_NEAR(onCA.x, C.x + 0.2 * (A.x - C.x), 1e-3);
    EXPECT_NEAR(onCA.y, C.y + 0.2 * (A.y - C.y), 1e-3);
}

TEST_F(TernaryDrawing, ShortCurveDrawsNothingAndBadStrideAddsNone) {
    view.plotCurve({1}, 2, 0, 1);
    ASSERT_EQ(view.curves().size(), 1u);
    EXPECT_TRUE(view.curves()[0].empty());
    view.plotCurve({1, 2, 3}, 0, 0, 1);
    view.plotCurve({1, 2, 3}, 2, 0, 2);
    EXPECT_EQ(view.curves().size(), 1u);
    draw();
    for (const auto& op : canvas.operations(Kind::Stroke))
        EXPECT_TRUE(op.color != Color::blue() || op.path.isEmpty());
    view.purge();
    EXPECT_TRUE(view.curves().empty());
    EXPECT_TRUE(view.points().empty());
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

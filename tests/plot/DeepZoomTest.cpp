// A plot zoomed far into its curves: what reaches the canvas stays near the plot rectangle and
// on the curves' own lines, files of every kind are written, and the zoom stops at the span the
// 32-bit values still resolve.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/ViewClip.h"

namespace vornex {
namespace {

// A dashed curve of 2001 points over 0 ... 1000 and a field under it, as the density plot
// holds them; shown at x spans down to one unit of the last place of 400.
class DeepZoom : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setFrame(Rect(0, 0, 640, 480));
        view->setMaxXYRange(0, 1000, 0, 1400);
        view->setDefaultXYRange(0, 1000, 0, 1400);
        view->setTicksNumber(11, 11);
        auto curve = std::make_unique<CGraphCurve>();
        auto field = std::make_unique<CGraphArea>();
        field->addPoint(0, 0);
        for (int i = 0; i <= 2000; ++i) {
            const float t = 0.5f * static_cast<float>(i);
            curve->addPoint(t, density(t), false);
            field->addPoint(t, density(t));
        }
        field->addPoint(1000, 0);
        curve->setLineDash(2);
        curve->setLabel("liquid", 200, density(200));
        liquid = view->add(std::move(curve));
        view->add(std::move(field));
    }
    static float density(float t) { return 1200.0f - 0.9f * t; }
    // Everything stroked or filled, in the canvas' space.
    std::vector<BezierPath> paths(const RecordingCanvas& canvas) const {
        std::vector<BezierPath> out;
        for (const RecordedOperation& op : canvas.operations())
            if (op.kind == RecordedOperation::Kind::Stroke ||
                op.kind == RecordedOperation::Kind::Fill)
                out.push_back(op.canvasPath());
        return out;
    }
    CGraphCurve* liquid = nullptr;
};

TEST_F(DeepZoom, WhatIsDrawnStaysNearThePlotAndOnTheCurve) {
    for (float span : {10.0f, 0.01f, 4e-5f}) {
        // Ranges as a file or a case may hold them, narrower than a zoom goes.
        view->setXYRange(400 - span / 2, 400 + span / 2, density(400) - 50, density(400) + 50);
        RecordingCanvas canvas(view->bounds().size);
        view->drawRect(canvas);
        // The plot rectangle grown by the margin for line widths, markers and labels: 64 view
        // units on every side.
        const Rect plot = view->getPlotRect();
        const double left = plot.minX() - 64, right = plot.maxX() + 64;
        const double bottom = plot.minY() - 64, top = plot.maxY() + 64;
        auto inside = [&](Point p) {
            return std::isfinite(p.x) && std::isfinite(p.y) && left - 1e-6 <= p.x &&
                   p.x <= right + 1e-6 && bottom - 1e-6 <= p.y && p.y <= top + 1e-6;
        };
        std::size_t elements = 0;
        for (const BezierPath& path : paths(canvas)) {
            elements += path.elementCount();
            for (const BezierPath::Element& e : path.elements())
                for (const Point& p : e.points) {
                    if (e.type == BezierPath::Element::Type::ClosePath) break;
                    EXPECT_TRUE(inside(p)) << span << ": " << p.x << ", " << p.y;
                }
        }
        EXPECT_LT(elements, 8000u) << span;
        // The curve's visible part is one piece on its line, running through the whole
        // region: from its left edge to its right edge (the line is nearly level there).
        const BezierPath& drawn = *liquid->path();
        ASSERT_FALSE(drawn.isEmpty()) << span;
        double first = 1e300, last = -1e300;
        for (const BezierPath::Element& e : drawn.elements()) {
            const Point p = e.points[0];
            EXPECT_TRUE(inside(p)) << span << ": " << p.x << ", " << p.y;
            first = std::fmin(first, p.x);
            last = std::fmax(last, p.x);
            const double t = view->getXFromPixelValue(static_cast<float>(p.x));
            const double rho = view->getYFromPixelValue(static_cast<float>(p.y));
            EXPECT_NEAR(rho, density(static_cast<float>(t)), 1e-3 * 100 + 0.9 * span) << span;
        }
        EXPECT_NEAR(first, left, 1e-3) << span;
        EXPECT_NEAR(last, right, 1e-3) << span;
    }
}

TEST_F(DeepZoom, FilesOfEveryKindAreWritten) {
    view->setXYRange(400 - 2e-5f, 400 + 2e-5f, density(400) - 1, density(400) + 1);
    for (const char* name : {"deep.pdf", "deep.svg", "deep.png"}) {
        const std::optional<FileFormat> format = fileFormatForPath(name);
        ASSERT_TRUE(format);
        const IoResult written = view->writeImage(*format, name);
        EXPECT_TRUE(written.ok()) << name << ": " << written.message;
        EXPECT_GT(std::filesystem::file_size(name), 100u) << name;
        // Bounded by what is visible, not by the curve's length at this scale.
        EXPECT_LT(std::filesystem::file_size(name), 2'000'000u) << name;
    }
    test::PngPixels png("deep.png");
    ASSERT_TRUE(png.ok());
}

TEST_F(DeepZoom, ZoomStopsAtTheResolvableSpan) {
    view->doChangeAxisRanges(400 - 2e-5f, 400 + 2e-5f, 840, 860);
    float minX, maxX, minY, maxY;
    view->getXYRange(minX, maxX, minY, maxY);
    EXPECT_NEAR(maxX - minX, 400 * PlotAxis::kMinRelativeSpan, 1e-4);
    EXPECT_NEAR(0.5 * (minX + maxX), 400, 1e-4);
    EXPECT_EQ(minY, 840);  // wide enough already
    EXPECT_EQ(maxY, 860);
    // A reversed axis stays reversed; undo gives the range back.
    view->doChangeAxisRanges(600, 0, 860.01f, 860);
    view->getXYRange(minX, maxX, minY, maxY);
    EXPECT_EQ(minX, 600);
    EXPECT_GT(minY, maxY);
    EXPECT_GE(minY - maxY, 860 * PlotAxis::kMinRelativeSpan * 0.999);
    undo.undo();
    view->getXYRange(minX, maxX, minY, maxY);
    EXPECT_NEAR(0.5 * (minX + maxX), 400, 1e-4);
    // At the narrowest span neighbouring values still land on distinct, ordered view points.
    draw();
    float previous = view->getXValue(minX);
    int distinct = 0;
    for (float x = std::nextafter(minX, 1e9f); x <= maxX; x = std::nextafter(x, 1e9f)) {
        const float v = view->getXValue(x);
        EXPECT_GE(v, previous);
        distinct += v > previous;
        previous = v;
    }
    EXPECT_GT(distinct, 500);
}

TEST(ViewClip, PolygonsAndPolylinesAreCutToTheRegion) {
    const Rect region(0, 0, 100, 100);
    // A polygon wholly inside comes back unchanged; one around the region becomes it.
    const BezierPath inside = clippedPolygon({{10, 10}, {90, 10}, {50, 90}}, region);
    EXPECT_EQ(inside.elementCount(), 3u);
    const BezierPath around = clippedPolygon({{-1e9, -1e9}, {1e9, -1e9}, {0, 1e9}}, region);
    EXPECT_TRUE(around.containsPoint({50, 50}));
    EXPECT_TRUE(around.containsPoint({1, 1}));
    for (const BezierPath::Element& e : around.elements())
        EXPECT_TRUE(insideRegion(region, e.points[0]));
    EXPECT_TRUE(clippedPolygon({{200, 200}, {300, 200}, {250, 300}}, region).isEmpty());
    // A line through the region from far outside: one piece between the crossings, on the
    // line; a non-finite point lifts the pen.
    BezierPath path;
    ClippedPolyline line(path, region);
    line.add({-1e12, -1e12 + 20});
    line.add({1e12, 1e12 + 20});
    line.add({NAN, 5});
    line.add({10, 10});
    line.add({20, 10});
    ASSERT_EQ(path.elementCount(), 4u);
    EXPECT_NEAR(path.elements()[0].points[0].x, 0, 1e-3);
    EXPECT_NEAR(path.elements()[0].points[0].y, 20, 1e-3);
    EXPECT_NEAR(path.elements()[1].points[0].x, 80, 1e-3);
    EXPECT_NEAR(path.elements()[1].points[0].y, 100, 1e-3);
    EXPECT_EQ(path.elements()[2].type, BezierPath::Element::Type::MoveTo);
    EXPECT_EQ(path.elements()[3].points[0], (Point{20, 10}));
}

}  // namespace
}  // namespace vornex

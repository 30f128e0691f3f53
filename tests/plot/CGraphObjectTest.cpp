// Graph objects: marker shapes, highlighting, colour cousins and copies; markers drawn in a
// plot and hit by clicks, and point curves that tell which point was hit.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphObject.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"

namespace vornex {
namespace {

TEST(Markers, ShapesFillsAndOutOfRangeSelectors) {
    // Out-of-range selectors are circles, never filled.
    const BezierPath circle = CGraphObject::constructPoint0(0, 3, 3, 10, 10);
    EXPECT_EQ(circle.bounds(), Rect(7, 7, 6, 6));
    for (int s : {-1, 13})
        EXPECT_EQ(CGraphObject::constructPoint0(s, 3, 3, 10, 10).elementCount(),
                  circle.elementCount());
    for (int s = -2; s < 15; ++s)
        EXPECT_EQ(CGraphObject::isFilledMarker(s), s == 1 || s == 3 || s == 7 || s == 8 || s == 11)
            << s;
}

TEST(GraphObjectState, HighlightColourCousinsAndCopies) {
    CGraphObject plain;
    plain.setHilited(true);
    EXPECT_FALSE(plain.isHilited());  // only selectable items highlight
    // Colour reaches cousins through setColor alone.
    CGraphObject a, b, c;
    a.setColorCousinship(&b);
    a.setColorCousinship(&c);
    a.setColor(Color::red());
    EXPECT_EQ(c.color(), Color::red());
    // A copy keeps the appearance but not the links to other objects.
    CGraphPoint point;
    point.setSelector(7);
    point.setReferenceObject(&point);
    point.setColorCousinship(&a);
    auto copy = point.copy();
    EXPECT_EQ(copy->selector(), 7);
    EXPECT_EQ(copy->referenceObject(), nullptr);
    EXPECT_TRUE(copy->colorCousins().empty());
    // Nor its size factor: a copy starts at its class's own, whoever enlarged the original.
    point.setToolSizeFactor(5.0f);
    EXPECT_EQ(point.copy()->getToolSizeFactor(), CGraphPoint().getToolSizeFactor());
}

TEST(GraphObjectState, DestroyedItemLeavesNoCousinPointingAtIt) {
    CGraphObject a, b;
    {
        CGraphObject gone;
        gone.setColorCousinship(&a);
        gone.setColorCousinship(&b);
        EXPECT_EQ(a.colorCousins().size(), 1u);
    }
    EXPECT_TRUE(a.colorCousins().empty() && b.colorCousins().empty());
    a.setColor(Color::green());  // would reach a destroyed item otherwise
}

// Colour components on 0 ... 65535 (0 without a colour); a broken cousinship no longer
// carries colours either way.
TEST(GraphObjectState, ColourComponentsAndBrokenCousinship) {
    CGraphObject a, b;
    EXPECT_EQ(a.getRed() + a.getGreen() + a.getBlue(), 0);
    a.setColor(1.0f, 0.5f, 0.0f);
    EXPECT_EQ(a.getRed(), 65535);
    EXPECT_NEAR(a.getGreen(), 32767, 1);
    EXPECT_EQ(a.getBlue(), 0);
    a.setColorCousinship(&b);
    a.setColor(Color::blue());
    EXPECT_EQ(b.getBlue(), 65535);
    a.breakCousinship(&b);
    a.breakCousinship(nullptr);
    EXPECT_TRUE(a.colorCousins().empty() && b.colorCousins().empty());
    a.setColor(Color::red());
    b.setColor(Color::green());
    EXPECT_EQ(b.getRed(), 0);
    EXPECT_EQ(a.getGreen(), 0);
}

class PointsInPlot : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setDefaultXYRange(0, 100, 0, 100);
        draw();
    }
    void render(CGraphObject& object) {
        RecordingCanvas canvas(view->bounds().size);
        object.render(canvas);
    }
};

TEST_F(PointsInPlot, HitOnlyInsideTheDrawnMarker) {
    auto* point = view->add(CGraphPoint::newGraphPoint(50, 50));
    const Point c = viewPoint(50, 50);
    EXPECT_FALSE(point->isHit(c));  // not drawn yet
    render(*point);
    EXPECT_TRUE(point->isHit(c));
    EXPECT_FALSE(point->isHit({c.x + 6, c.y}));
    point->setSelectable(false);
    EXPECT_FALSE(point->isHit(c));
}

// The base item draws nothing and has no bounds; a marker's bounds are the marker drawn
// around its data point.
TEST_F(PointsInPlot, BoundsAreThoseOfWhatWasDrawn) {
    CGraphObject plain;
    RecordingCanvas canvas(view->bounds().size);
    plain.render(canvas);
    EXPECT_TRUE(canvas.operations().empty());
    EXPECT_TRUE(plain.getBounds().isZero());
    auto* point = view->add(CGraphPoint::newGraphPoint(50, 50));
    EXPECT_TRUE(point->getBounds().isZero());
    render(*point);
    const Rect r = point->getBounds();
    const Point c = viewPoint(50, 50);
    EXPECT_NEAR(r.midX(), c.x, 0.01);
    EXPECT_NEAR(r.midY(), c.y, 0.01);
    EXPECT_GT(r.width(), 1.0);
    EXPECT_LT(r.width(), 20.0);
}

// A list handed to a curve, an area or a point set is the item's own: changing the caller's
// list afterwards changes nothing drawn; what is drawn passes through the points given.
TEST_F(PointsInPlot, PointListsAreKeptAsGivenAndDrawnThroughThem) {
    std::vector<CurvePoint> line = {{10, 20}, {50, 60}, {90, 20}};
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    curve->setMPointsList(line);
    std::vector<DataPoint> corners = {{10, 10}, {40, 10}, {40, 40}};
    auto* area = view->add(std::make_unique<CGraphArea>());
    area->setMPointsList(corners);
    auto* set = view->add(std::make_unique<CGraphPointCurve>());
    set->setMPointsList(corners);
    line[1].y = 0;
    corners[2] = {80, 80};
    EXPECT_EQ(curve->mPointsList()[1], (CurvePoint{50, 60}));
    EXPECT_EQ(area->mPointsList()[2], (DataPoint{40, 40}));
    EXPECT_EQ(set->mPointsList().size(), 3u);
    for (CGraphObject* item : std::initializer_list<CGraphObject*>{curve, area, set}) render(*item);
    EXPECT_TRUE(curve->isHit(viewPoint(50, 60)));
    EXPECT_TRUE(curve->isHit(viewPoint(30, 40)));  // on the first segment
    EXPECT_FALSE(curve->isHit(viewPoint(50, 20)));
    const Rect filled = area->path()->bounds();
    EXPECT_NEAR(filled.minX(), view->getXValue(10), 1e-3);
    EXPECT_NEAR(filled.maxX(), view->getXValue(40), 1e-3);
    EXPECT_NEAR(filled.maxY(), view->getYValue(40), 1e-3);
    EXPECT_TRUE(set->isHit(viewPoint(40, 40)));
    EXPECT_FALSE(set->isHit(viewPoint(80, 80)));
}

// The settings panels' size reset: whatever the argument, the point's size factor is 1.
TEST_F(PointsInPlot, TheDefaultToolSizeIsOne) {
    auto point = CGraphPoint::newGraphPoint(50, 50);
    point->setToolSizeFactor(2.5f);
    point->setDefaultToolSize(7.0f);
    EXPECT_EQ(point->getToolSizeFactor(), 1.0f);
}

TEST_F(PointsInPlot, JoinedPointCurveIsHitOnItsLine) {
    auto* curve = view->add(std::make_unique<CGraphPointCurve>());
    for (float xy : {10.0f, 90.0f}) curve->addPoint(xy, 10, 0);
    curve->addPoint(90, 90, 0);
    curve->addPoint(50, 50, 1);  // dropped
    EXPECT_EQ(curve->mPointsList().size(), 3u);
    render(*curve);
    const Point inside = viewPoint(70, 30);  // inside the triangle the line closes
    EXPECT_FALSE(curve->isHit(inside));
    EXPECT_TRUE(curve->isHit(viewPoint(90, 90)));
    curve->setJoinPoints(true);
    render(*curve);
    EXPECT_TRUE(curve->isHit(inside));
}

TEST_F(PointsInPlot, LabelledPointCurveTellsWhichPointWasHit) {
    auto* curve = view->add(std::make_unique<CGraphStringPointCurve>());
    curve->addPoint("first", 20, 20);
    curve->addPoint("second", 60, 60);
    render(*curve);
    const Point second = viewPoint(60, 60);
    EXPECT_TRUE(curve->isHit({second.x + 3.9, second.y}));
    EXPECT_EQ(curve->lastHitPointIndex(), 1);
    EXPECT_EQ(curve->getHitPointName(), "second");
    // 4.1 units off: inside the drawn marker (half size 4) only when highlighted, which
    // draws one unit larger than the tolerance box.
    curve->setHilited(true);
    render(*curve);
    EXPECT_TRUE(curve->isHit({second.x + 4.1, second.y}));
    EXPECT_EQ(curve->lastHitPointIndex(), 2);
    EXPECT_EQ(curve->getHitPointName(), "");  // no point: nothing read past the list
    // A copy holds points of its own.
    auto copy = curve->copy();
    view->purge();
    auto* c = dynamic_cast<CGraphStringPointCurve*>(copy.get());
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->mStringPointArray().size(), 2u);
    EXPECT_EQ(c->mStringPointArray()[0]->getLabel(), "first");
}

// The copies of the plain item and of the labelled point keep the name, size, selector and
// colour, and the point its place, label and label offset; neither takes the hidden switch.
TEST(GraphObjectState, CopiesOfThePlainItemAndTheLabelledPoint) {
    CGraphObject plain;
    plain.setName("frame");
    plain.setSize(3.0f);
    plain.setSelector(4);
    plain.setColor(Color::red());
    plain.setHidden(true);
    const std::unique_ptr<CGraphObject> plainCopy = plain.copy();
    EXPECT_EQ(plainCopy->name(), "frame");
    EXPECT_EQ(plainCopy->size(), 3.0f);
    EXPECT_EQ(plainCopy->selector(), 4);
    EXPECT_EQ(plainCopy->color(), Color::red());
    EXPECT_FALSE(plainCopy->isHidden());

    auto labelled = CGraphStringPoint::newGraphStringPoint(2.5f, -1.0f);
    labelled->setName("halite");
    labelled->setLabel("Hl");
    labelled->setOffsetX(4.0f);
    labelled->setOffsetY(-2.0f);
    labelled->setHidden(true);
    const std::unique_ptr<CGraphObject> copied = labelled->copy();
    auto* point = dynamic_cast<CGraphStringPoint*>(copied.get());
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->name(), "halite");
    EXPECT_EQ(point->getX(), 2.5f);
    EXPECT_EQ(point->getY(), -1.0f);
    EXPECT_EQ(point->getLabel(), "Hl");
    EXPECT_EQ(point->offsetX(), 4.0f);
    EXPECT_EQ(point->offsetY(), -2.0f);
    EXPECT_FALSE(point->isHidden());
}

}  // namespace
}  // namespace vornex

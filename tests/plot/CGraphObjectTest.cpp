#include <gtest/gtest.h>

#include "PlotTestSupport.h"
#include "plot/CGraphObject.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"

namespace vornex {
namespace {

using Type = BezierPath::Element::Type;

std::vector<Type> shape(const BezierPath& path) {
    std::vector<Type> types;
    for (const auto& e : path.elements()) types.push_back(e.type);
    return types;
}

// Marker shapes and their fill rule.
class Markers : public ::testing::Test {};

TEST_F(Markers, OutOfRangeSelectorsAreCircles) {
    BezierPath circle = CGraphObject::constructPoint0(0, 3, 3, 10, 10);
    EXPECT_EQ(shape(CGraphObject::constructPoint0(13, 3, 3, 10, 10)), shape(circle));
    EXPECT_EQ(shape(CGraphObject::constructPoint0(-1, 3, 3, 10, 10)), shape(circle));
    EXPECT_EQ(circle.bounds(), Rect(7, 7, 6, 6));
    EXPECT_FALSE(CGraphObject::isFilledMarker(13));
    EXPECT_FALSE(CGraphObject::isFilledMarker(-1));
}

TEST_F(Markers, TriangleApexUpUsesSinglePrecisionFactors) {
    BezierPath up = CGraphObject::constructPoint0(7, 2, 3, 0, 0);
    ASSERT_EQ(up.elementCount(), 4u);
    EXPECT_FLOAT_EQ(static_cast<float>(up.elements()[0].points[0].y), -0.667f * 3);
    EXPECT_FLOAT_EQ(static_cast<float>(up.elements()[2].points[0].y), 1.333f * 3);
    BezierPath down = CGraphObject::constructPoint0(10, 2, 3, 0, 0);
    EXPECT_FLOAT_EQ(static_cast<float>(down.elements()[2].points[0].y), -1.333f * 3);
}

TEST_F(Markers, PlusAndCrossAreTwoStrokes) {
    EXPECT_EQ(shape(CGraphObject::constructPoint0(5, 2, 2, 0, 0)),
              (std::vector<Type>{Type::MoveTo, Type::LineTo, Type::MoveTo, Type::LineTo}));
    BezierPath cross = CGraphObject::constructPoint0(6, 2, 2, 0, 0);
    EXPECT_EQ(cross.elements()[0].points[0], (Point{-2, -2}));
    EXPECT_EQ(CGraphObject::constructPoint0(11, 2, 2, 0, 0).bounds(), Rect(-2, -2, 4, 4));
}

TEST_F(Markers, FilledSelectors) {
    for (int s = -2; s < 15; ++s)
        EXPECT_EQ(CGraphObject::isFilledMarker(s), s == 1 || s == 3 || s == 7 || s == 8 || s == 11)
            << s;
}

// Switches, colours and cousins.
class GraphObjectState : public ::testing::Test {};

TEST_F(GraphObjectState, OnlySelectableItemsHighlight) {
    CGraphObject plain;
    plain.setHilited(true);
    EXPECT_FALSE(plain.isHilited());
    CGraphPoint point;
    point.setHilited(true);
    EXPECT_TRUE(point.isHilited());
}

TEST_F(GraphObjectState, ColourReachesCousinsOnlyThroughSetColor) {
    CGraphObject a, b, c;
    a.setColorCousinship(&b);
    a.setColorCousinship(&c);
    a.setColor(Color::red());
    EXPECT_EQ(b.color(), Color::red());
    EXPECT_EQ(c.color(), Color::red());
    a.setColor(0.0f, 0.0f, 1.0f);
    EXPECT_EQ(a.color(), Color::calibratedRGB(0, 0, 1));
    EXPECT_EQ(b.color(), Color::red());
    EXPECT_EQ(b.getRed(), 65535);
    EXPECT_EQ(a.getRed(), 0);
    CGraphObject none;
    EXPECT_EQ(none.getGreen(), 0);
}

TEST_F(GraphObjectState, DestroyedItemLeavesNoCousinPointingAtIt) {
    CGraphObject a, b;
    {
        CGraphObject gone;
        gone.setColorCousinship(&a);
        gone.setColorCousinship(&b);
        EXPECT_EQ(a.colorCousins().size(), 1u);
    }
    EXPECT_TRUE(a.colorCousins().empty());
    EXPECT_TRUE(b.colorCousins().empty());
    a.setColor(Color::green());  // would reach a destroyed item otherwise
}

TEST_F(GraphObjectState, CopyStartsWithClassDefaults) {
    CGraphPoint point;
    point.setName("p");
    point.setSelector(7);
    point.setSize(4);
    point.setColor(Color::blue());
    point.setHilited(true);
    point.setHidden(true);
    point.setToolSizeFactor(5);
    point.setReferenceObject(&point);
    CGraphObject cousin;
    point.setColorCousinship(&cousin);
    auto copy = point.copy();
    EXPECT_EQ(copy->name(), "p");
    EXPECT_EQ(copy->selector(), 7);
    EXPECT_EQ(copy->size(), 4);
    EXPECT_EQ(copy->color(), Color::blue());
    EXPECT_FALSE(copy->isHilited());
    EXPECT_FALSE(copy->isHidden());
    EXPECT_EQ(copy->getToolSizeFactor(), 3.0f);
    EXPECT_EQ(copy->referenceObject(), nullptr);
    EXPECT_TRUE(copy->colorCousins().empty());
    EXPECT_NE(dynamic_cast<CGraphPoint*>(copy.get()), nullptr);
}

// Markers drawn in a plot and hit by clicks.
class PointsInPlot : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setDefaultXYRange(0, 100, 0, 100);
        draw();
    }
    std::unique_ptr<RecordingCanvas> render(CGraphObject& object) {
        auto canvas = std::make_unique<RecordingCanvas>(view->bounds().size);
        object.render(*canvas);
        return canvas;
    }
};

TEST_F(PointsInPlot, MarkerSizeAndStrokeFollowTheSizeFactor) {
    auto* point = view->add(CGraphPoint::newGraphPoint(50, 50));
    point->setSelector(4);
    auto canvas = render(*point);
    auto strokes = canvas->operations(RecordedOperation::Kind::Stroke);
    ASSERT_EQ(strokes.size(), 1u);
    EXPECT_NEAR(strokes[0].path.bounds().width(), 7.0, 1e-5);  // half size 3.5
    EXPECT_NEAR(strokes[0].path.lineWidth(), 1.3, 1e-6);
    point->setHilited(true);
    point->setSelector(3);
    canvas = render(*point);
    auto fills = canvas->operations(RecordedOperation::Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_NEAR(fills[0].path.bounds().width(), 9.0, 1e-5);  // half size 4.5
}

TEST_F(PointsInPlot, NameCentredUnderTheMarker) {
    auto* point = view->add(CGraphPoint::newGraphPoint(50, 50));
    point->setName("CP");
    point->setShowLabel(true);
    auto canvas = render(*point);
    auto texts = canvas->operations(RecordedOperation::Kind::Text);
    ASSERT_EQ(texts.size(), 1u);
    const Point centre = viewPoint(50, 50);
    const Size t = texts[0].textSize;
    EXPECT_NEAR(texts[0].origin.x + t.width / 2, centre.x, 1e-4);
    EXPECT_NEAR(texts[0].origin.y, centre.y - 0.7 * t.height - 3.5 - 2.0, 1e-4);
}

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

TEST_F(PointsInPlot, JoinedPointCurveIsHitOnItsLine) {
    auto* curve = view->add(std::make_unique<CGraphPointCurve>());
    curve->addPoint(10, 10, 0);
    curve->addPoint(90, 10, 0);
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
    EXPECT_FLOAT_EQ(view->selectedPointX(), 60);
    // 4.1 units off: inside the drawn marker (half size 4) only when highlighted, which
    // draws one unit larger than the tolerance box.
    curve->setHilited(true);
    render(*curve);
    EXPECT_TRUE(curve->isHit({second.x + 4.1, second.y}));
    EXPECT_EQ(curve->lastHitPointIndex(), 2);
    EXPECT_EQ(curve->getHitPointName(), "");  // no point: nothing read past the list
}

TEST_F(PointsInPlot, LabelledPointCurveCopyHoldsItsOwnPoints) {
    auto curve = std::make_unique<CGraphStringPointCurve>();
    curve->addPoint("a", 1, 2);
    auto copy = curve->copy();
    curve.reset();
    auto* c = dynamic_cast<CGraphStringPointCurve*>(copy.get());
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->mStringPointArray().size(), 1u);
    EXPECT_EQ(c->mStringPointArray()[0]->getLabel(), "a");
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphLegend.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"

namespace vornex {
namespace {

// Legend layout with the recording canvas's test metric: the legend font is 10 pt, so each
// character is 6 units wide and each line 12 high.
class LegendLayout : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setDefaultXYRange(0, 100, 0, 100);
        draw();
        view->setLegendPosition(50, 50);
        anchor = viewPoint(50, 50);
    }
    std::unique_ptr<RecordingCanvas> renderLegend() {
        auto canvas = std::make_unique<RecordingCanvas>(view->bounds().size);
        view->mLegend().render(*canvas);
        return canvas;
    }
    CGraphLegend& legend() { return view->mLegend(); }
    Point anchor;
};

TEST_F(LegendLayout, LastRegisteredEntryIsLowest) {
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    curve->setName("curve");
    auto* point = view->add(CGraphPoint::newGraphPoint(1, 1));
    point->setName("pt");
    view->includesIntoLegend(curve);
    view->includesIntoLegend(point);
    auto canvas = renderLegend();
    auto texts = canvas->operations(RecordedOperation::Kind::Text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "pt");
    EXPECT_DOUBLE_EQ(texts[0].origin.y, anchor.y);
    EXPECT_DOUBLE_EQ(texts[0].origin.x, anchor.x + 30);
    EXPECT_EQ(texts[1].text, "curve");
    EXPECT_DOUBLE_EQ(texts[1].origin.y, anchor.y + 12 + 2);
    EXPECT_FLOAT_EQ(legend().height(), 12 + 12 + 6);
    EXPECT_FLOAT_EQ(legend().width(), 5 * 6 + 30);
}

TEST_F(LegendLayout, OtherKindsTakeNoRoom) {
    auto* area = view->add(std::make_unique<CGraphArea>());
    auto* labelled = view->add(std::make_unique<CGraphStringPointCurve>());
    auto* stringPoint = view->add(CGraphStringPoint::newGraphStringPoint(1, 1));
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    for (CGraphObject* o : std::initializer_list<CGraphObject*>{area, labelled, stringPoint, curve})
        view->includesIntoLegend(o);
    auto canvas = renderLegend();
    EXPECT_EQ(canvas->texts(), std::vector<std::string>{"Untitled"});
    EXPECT_FLOAT_EQ(legend().height(), 12);
    EXPECT_FLOAT_EQ(legend().width(), 8 * 6 + 30);
}

TEST_F(LegendLayout, MarkerSampleSizedByItsObject) {
    auto* point = view->add(CGraphPoint::newGraphPoint(1, 1));
    point->setToolSizeFactor(4);
    point->setSelector(3);
    view->includesIntoLegend(point);
    auto canvas = renderLegend();
    auto fills = canvas->operations(RecordedOperation::Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    const Rect box = fills[0].path.bounds();
    EXPECT_NEAR(box.width(), 8, 1e-9);  // half size 0.5·4 + 2
    EXPECT_NEAR(box.midX(), anchor.x + 6, 1e-9);
    EXPECT_NEAR(box.midY(), anchor.y + 6, 1e-9);
}

TEST_F(LegendLayout, EmptyLegendIsNeverHit) {
    renderLegend();
    EXPECT_FLOAT_EQ(legend().height(), -6);
    EXPECT_FALSE(legend().isHit(anchor));
    EXPECT_FALSE(legend().isHit({anchor.x + 1, anchor.y - 3}));
}

TEST_F(LegendLayout, HitInsideItsBoxUnlessHidden) {
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    view->includesIntoLegend(curve);
    renderLegend();
    EXPECT_TRUE(legend().isHit({anchor.x + 10, anchor.y + 5}));
    EXPECT_FALSE(legend().isHit({anchor.x + 10, anchor.y + 13}));
    legend().setHidden(true);
    EXPECT_FALSE(legend().isHit({anchor.x + 10, anchor.y + 5}));
}

TEST_F(LegendLayout, HighlightDrawsHandleAndDashedFrame) {
    auto* curve = view->add(std::make_unique<CGraphCurve>());
    view->includesIntoLegend(curve);
    legend().setHilited(true);
    auto canvas = renderLegend();
    auto fills = canvas->operations(RecordedOperation::Kind::Fill);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].path.bounds(), Rect(anchor.x - 5, anchor.y - 5, 10, 10));
    auto strokes = canvas->operations(RecordedOperation::Kind::Stroke);
    ASSERT_EQ(strokes.size(), 2u);  // the sample line, then the frame
    EXPECT_EQ(strokes[1].path.lineDash(), (std::vector<double>{5, 2}));
    EXPECT_EQ(strokes[1].color, Color::black());
}

}  // namespace
}  // namespace vornex

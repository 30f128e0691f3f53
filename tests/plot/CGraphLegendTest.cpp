// The legend: which objects it lists and in what order, and where it can be hit.
#include <gtest/gtest.h>

#include "PlotTestSupport.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphLegend.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"

namespace vornex {
namespace {

// With the recording canvas's test metric the legend font (10 pt) sets lines 12 high.
class LegendLayout : public test::PlotFixture {
   protected:
    void SetUp() override {
        PlotFixture::SetUp();
        view->setDefaultXYRange(0, 100, 0, 100);
        draw();
        view->setLegendPosition(50, 50);
        anchor = viewPoint(50, 50);
    }
    std::vector<RecordedOperation> texts() {
        RecordingCanvas canvas(view->bounds().size);
        view->mLegend().render(canvas);
        return canvas.operations(RecordedOperation::Kind::Text);
    }
    template <class T>
    T* listed(std::unique_ptr<T> object, const char* name = nullptr) {
        T* o = view->add(std::move(object));
        if (name) o->setName(name);
        view->includesIntoLegend(o);
        return o;
    }
    CGraphLegend& legend() { return view->mLegend(); }
    Point anchor;
};

TEST_F(LegendLayout, LastRegisteredEntryIsLowestAndOtherKindsTakeNoRoom) {
    listed(std::make_unique<CGraphCurve>(), "curve");
    listed(std::make_unique<CGraphArea>());
    listed(std::make_unique<CGraphStringPointCurve>());
    listed(CGraphStringPoint::newGraphStringPoint(1, 1));
    listed(CGraphPoint::newGraphPoint(1, 1), "pt");
    auto t = texts();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, "pt");
    EXPECT_EQ(t[1].text, "curve");
    EXPECT_GT(t[1].origin.y, t[0].origin.y);
}

TEST_F(LegendLayout, HitInsideItsBoxUnlessHiddenOrEmpty) {
    texts();
    EXPECT_FALSE(legend().isHit(anchor));
    EXPECT_FALSE(legend().isHit({anchor.x + 1, anchor.y - 3}));
    listed(std::make_unique<CGraphCurve>());
    texts();
    EXPECT_TRUE(legend().isHit({anchor.x + 10, anchor.y + 5}));
    EXPECT_FALSE(legend().isHit({anchor.x + 10, anchor.y + 13}));
    legend().setHidden(true);
    EXPECT_FALSE(legend().isHit({anchor.x + 10, anchor.y + 5}));
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "PlotTestSupport.h"
#include "platform/PlatformLog.h"
#include "plot/CGraphArea.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CPlotView.h"

namespace vornex {
namespace {

using test::PlotFixture;

// Ranges and their notifications.
class PlotRanges : public PlotFixture {};

TEST_F(PlotRanges, DefaultRangeSetsCurrentAndPostsTheChange) {
    view->setDefaultXYRange(0, 800, 1, 5000);
    EXPECT_EQ(test::rangeOf(*view), (std::vector<float>{0, 800, 1, 5000}));
    EXPECT_EQ(axisChanges, 1);
    view->setMaxXYRange(-10, 1000, 0, 6000);
    EXPECT_EQ(axisChanges, 1);
    EXPECT_EQ(test::rangeOf(*view)[1], 800);
    // Another view's current range becomes the default one.
    axisChanges = 0;
    CPlotView other(Rect(0, 0, 100, 100), &noDefaults);
    other.setXYRange(2, 3, 4, 5);
    view->getSameXYRange(other);
    EXPECT_EQ(test::defaultRangeOf(*view), (std::vector<float>{2, 3, 4, 5}));
    EXPECT_EQ(axisChanges, 1);
}

TEST_F(PlotRanges, AdjustWidensXOutwardsByTheStep) {
    view->setDefaultXYRange(100, 200, 10, 20);
    view->adjustXYRange(37, 255, 5, 30, 25, 7);  // (37 div 25 − 1)·25, (255 div 25 + 1)·25
    EXPECT_EQ(test::defaultRangeOf(*view), (std::vector<float>{0, 275, 5, 30}));
    // A step below one, or bounds beyond whole numbers, are taken as given: no division by 0.
    view->setDefaultXYRange(100, 200, 10, 20);
    view->adjustXYRange(37.5f, 255.5f, 5, 30, 0.5f, 1);
    EXPECT_EQ(test::defaultRangeOf(*view), (std::vector<float>{37.5f, 255.5f, 5, 30}));
    view->adjustXYRange(NAN, 1e30f, 5, 30, 10, 1);
    EXPECT_EQ(test::defaultRangeOf(*view)[1], 1e30f);
}

TEST_F(PlotRanges, TransformRoundTripsAfterDrawing) {
    view->setDefaultXYRange(0.5f, 2000, -3, 7);
    view->setShowLogX(true);
    draw();
    for (float x : {0.5f, 3.0f, 1999.0f})
        EXPECT_NEAR(view->getXFromPixelValue(view->getXValue(x)), x, x * 2e-5f);
    for (float y : {-3.0f, 0.0f, 6.5f})
        EXPECT_NEAR(view->getYFromPixelValue(view->getYValue(y)), y, 2e-4f);
    EXPECT_FLOAT_EQ(view->xAxis().lo(), -1);
    EXPECT_FLOAT_EQ(view->xAxis().hi(), 4);
}

// The object list, names, legend and selection bookkeeping.
class PlotObjects : public PlotFixture {
   protected:
    CGraphCurve* named(const std::string& name) {
        auto* curve = view->add(std::make_unique<CGraphCurve>());
        curve->setName(name);
        view->includesIntoLegend(curve);
        return curve;
    }
};

TEST_F(PlotObjects, CurvesFromFlatArrays) {
    std::vector<double> seven{1, 2, 3, 4, 5, 6, 7};
    CGraphCurve* curve = view->plotFromArray(seven, 2, 0, 1);
    ASSERT_EQ(curve->pointCount(), 3);
    EXPECT_EQ(curve->getPointAtIndex(2), (CurvePoint{5, 6, false}));
    EXPECT_EQ(view->plotFromArray({}, 2, 0, 1)->pointCount(), 0);

    std::vector<double> rows{0, 1, 2, 3, 4, 5, 6, 7};
    CGraphCurve* swapped = view->plotFromArray(rows, 4, 3, 0);
    EXPECT_EQ(swapped->getPointAtIndex(0), (CurvePoint{3, 0, false}));
    EXPECT_EQ(swapped->getPointAtIndex(1), (CurvePoint{7, 4, false}));

    CGraphCurve* scaled = view->plotFromArray({0.1, 300}, 2, 0, 1, 100, 273.15, 1e-5, 0);
    EXPECT_FLOAT_EQ(scaled->getPointAtIndex(0).x, static_cast<float>(0.1f * 100.0 + 273.15));
    EXPECT_FLOAT_EQ(scaled->getPointAtIndex(0).y, 300e-5f);
}

TEST_F(PlotObjects, BadStrideGivesAnEmptyCurve) {
    const auto logged = test::loggedBy([&] {
        EXPECT_EQ(view->plotFromArray({1, 2, 3}, 0, 0, 1)->pointCount(), 0);
        EXPECT_EQ(view->plotFromArray({1, 2, 3}, 2, 0, 2)->pointCount(), 0);
        EXPECT_EQ(view->plotFromArray({1, 2, 3}, 2, -1, 1)->pointCount(), 0);
    });
    EXPECT_EQ(logged.size(), 3u);
}

TEST_F(PlotObjects, RemovalByPrefixLeavesNoStaleLegendEntryOrSelection) {
    named("t_pthv");
    CGraphCurve* x = named("t_x");
    CGraphCurve* base = named("ptslv");
    auto* unnamed = view->add(std::make_unique<CGraphCurve>());
    view->setSelectedObject(x);
    view->removeGraphObjectWithKindOfName("t_");
    ASSERT_EQ(view->graphObjects().size(), 2u);
    EXPECT_EQ(view->graphObjects()[0].get(), base);
    EXPECT_EQ(view->graphObjects()[1].get(), unnamed);
    EXPECT_EQ(view->mLegend().mRefObjectList(), std::vector<CGraphObject*>{base});
    EXPECT_EQ(view->selectedObject(), nullptr);
    draw();  // the legend lists no removed curve
    // A selection the removal does not touch is kept.
    CGraphCurve* kept = named("keep");
    named("t_a");
    view->setSelectedObject(kept);
    view->removeGraphObjectWithKindOfName("t_");
    EXPECT_EQ(view->selectedObject(), kept);
}

TEST_F(PlotObjects, LookupAndRemovalByNameAndObject) {
    CGraphCurve* a = named("a");
    named("a");
    CGraphCurve* b = named("b");
    EXPECT_EQ(view->getGraphObjectWithName("a"), a);  // the first of equal names
    view->setSelectedObject(a);
    view->removeGraphObjectWithName("a");
    EXPECT_EQ(view->graphObjects().size(), 2u);
    EXPECT_EQ(view->selectedObject(), nullptr);
    EXPECT_EQ(view->mLegend().mRefObjectList().size(), 2u);
    view->removeGraphObject(b);
    EXPECT_EQ(view->mLegend().mRefObjectList().size(), 1u);
}

TEST_F(PlotObjects, PurgesByKind) {
    named("curve");
    auto* area = view->add(std::make_unique<CGraphArea>());
    auto* free = view->add(std::make_unique<CGraphPointCurve>());
    auto* derived = view->add(std::make_unique<CGraphPointCurve>());
    derived->setReferenceObject(area);
    view->purgePointCurves();
    EXPECT_FALSE(view->containsGraphObject(free));
    EXPECT_TRUE(view->containsGraphObject(derived));
    view->purgeCurves();
    EXPECT_EQ(view->graphObjects().size(), 2u);
    EXPECT_TRUE(view->mLegend().mRefObjectList().empty());
    view->purgeReferenceObjects();
    EXPECT_EQ(view->graphObjects().size(), 1u);
    view->setSelectedObject(area);
    view->purge();
    EXPECT_TRUE(view->graphObjects().empty());
    EXPECT_EQ(view->selectedObject(), nullptr);
}

TEST_F(PlotObjects, CopyListsItsOwnObjectsInTheLegend) {
    view->setDefaultXYRange(0, 10, 0, 10);
    view->setXYRange(2, 4, 3, 5);
    CGraphCurve* a = named("a");
    a->addPoint(1, 1, false);
    named("b");
    view->setLegendPosition(1, 9);
    auto copy = view->copy();
    ASSERT_EQ(copy->graphObjects().size(), 2u);
    const auto& listed = copy->mLegend().mRefObjectList();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1], copy->graphObjects()[1].get());
    EXPECT_EQ(listed[0]->getPlotView(), copy.get());
    EXPECT_EQ(test::defaultRangeOf(*copy), (std::vector<float>{2, 4, 3, 5}));
    // Changing the source afterwards leaves the copy alone.
    view->purge();
    view.reset();
    RecordingCanvas canvas(copy->bounds().size);
    copy->drawRect(canvas);
    EXPECT_EQ(canvas.texts().back(), "a");
}

TEST_F(PlotObjects, SettingItsOwnLegendOrObjectListKeepsThem) {
    CGraphCurve* a = named("a");
    a->addPoint(1, 2, false);
    CGraphCurve* b = named("b");
    view->setLegendPosition(1, 2);
    view->setMLegend(view->mLegend());
    EXPECT_FALSE(view->mLegend().isHidden());
    EXPECT_EQ(view->mLegend().mRefObjectList(), (std::vector<CGraphObject*>{a, b}));
    view->setGraphObjects(view->graphObjects());
    ASSERT_EQ(view->graphObjects().size(), 2u);
    EXPECT_EQ(view->graphObjects()[0]->name() + view->graphObjects()[1]->name(), "ab");
}

TEST_F(PlotObjects, LegendOfAnotherPlotListsNoneOfItsObjects) {
    auto other = std::make_unique<CPlotView>(Rect(0, 0, 400, 300), &noDefaults);
    CGraphCurve* foreign = other->add(std::make_unique<CGraphCurve>());
    foreign->setName("foreign");
    other->includesIntoLegend(foreign);
    CGraphCurve* own = named("own");
    other->includesIntoLegend(own);  // an object of this view, listed over there
    other->setLegendPosition(1, 2);
    view->setMLegend(other->mLegend());
    other.reset();
    // Only this view's own objects stay listed; drawing reads no object of the other plot.
    ASSERT_EQ(view->mLegend().mRefObjectList().size(), 1u);
    EXPECT_EQ(view->mLegend().mRefObjectList()[0], own);
    RecordingCanvas canvas(view->bounds().size);
    view->drawRect(canvas);
    EXPECT_EQ(canvas.texts().back(), "own");
}

// Tick labels as a scientist writes them: "500", not "500.0", whatever decimals the plot was
// given, and in the same form after a zoom. Regression: a P-T plot labelled "500.0" and
// changed its label form once zoomed.
TEST_F(PlotObjects, TickLabelsCarryTheFewestDecimalsAtEveryZoom) {
    auto labels = [this] {
        RecordingCanvas canvas(view->bounds().size);
        view->drawRect(canvas);
        std::vector<std::string> numbers;
        for (const std::string& t : canvas.texts())
            if (!t.empty() && (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-')) numbers.push_back(t);
        return numbers;
    };
    view->setDefaultXYRange(100, 1000, 0, 500);
    view->setTicksDigits(1, 1);
    view->doChangeAxisRanges(100, 1000, 0, 500);
    // x labels first, then y (a 400 x 300 plot labels every 500 here).
    const std::vector<std::string> whole = labels();
    EXPECT_EQ(whole, (std::vector<std::string>{"500", "1000", "0", "500"}));
    // Zoomed in, and out again: decimals only where the ticks need them.
    view->doChangeAxisRanges(400.5f, 401.5f, 10, 10.4f);
    // x labelled a whole degree apart, y 0.2 apart: as many decimals as that, on every label.
    EXPECT_EQ(labels(), (std::vector<std::string>{"401", "10.0", "10.2", "10.4"}));
    view->doChangeAxisRanges(100, 1000, 0, 500);
    EXPECT_EQ(labels(), whole);
}

// Without a toolkit the shared services have no panels: every command that would open
// one leaves the plot as it was, save panels are cancelled so nothing is written, a new
// window is not opened, and failures go to the platform log.
TEST(HeadlessServices, PanelsDoNothingSavesAreCancelledAndFailuresAreLogged) {
    PlotServices::setShared(nullptr);
    UserDefaults none{""};
    CPlotView view(Rect(0, 0, 400, 300), &none);
    view.setDefaultXYRange(0, 100, 0, 100);
    auto* curve = view.add(std::make_unique<CGraphCurve>());
    curve->addPoint(10, 10, false);
    curve->addPoint(90, 90, false);
    const auto before = test::rangeOf(view);
    const auto logged = test::loggedBy([&] {
        view.onShowAxisRangePanel();
        view.onLabelFontSettings();
        view.setSelectedObject(curve);
        view.onCurvesSettingsPanel();
        view.onPointsSettingsPanel();
        view.onGraphObjectColor();
        view.onOpenNewPlotWindow();
        EXPECT_FALSE(view.onPrintPlot());
        EXPECT_FALSE(view.onExportCurveData());
        EXPECT_FALSE(view.onExportIgorData());
        PlotServices::shared().reportError("cannot write plot.pdf");
    });
    EXPECT_EQ(logged, (std::vector<std::string>{"cannot write plot.pdf"}));
    EXPECT_EQ(test::rangeOf(view), before);
    EXPECT_FALSE(PlotServices::shared().isAxisRangePanelVisible());
    EXPECT_FALSE(PlotServices::shared().isColorPanelVisible());
    EXPECT_FALSE(PlotServices::shared().runSavePanel("plot", "pdf").has_value());
    EXPECT_FALSE(curve->color().has_value());
    EXPECT_EQ(view.graphObjects().size(), 1u);
}

}  // namespace
}  // namespace vornex

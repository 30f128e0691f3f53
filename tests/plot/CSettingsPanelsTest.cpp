#include <gtest/gtest.h>

#include <memory>

#include "plot/CCurveSettingsWindow.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "plot/CPointSettingsWindow.h"
#include "plot/PanelServices.h"
#include "plot/PlotTestSupport.h"

namespace vornex {
namespace {

// Panels of their own on a curve and a point of the fixture's plot.
class SettingsPanels : public test::PlotFixture {
   protected:
    void SetUp() override {
        test::PlotFixture::SetUp();
        curve = view->add(std::make_unique<CGraphCurve>());
        curve->addPoint(0, 0, false);
        curve->addPoint(1, 1, false);
        curve->setColor(Color::green());
        point = view->plotPoint(0.5, 0.5, 3, Color::magenta());
        curves.setPlotView(view.get());
        points.setPlotView(view.get());
        view->setNeedsDisplay(false);
    }
    CGraphCurve* curve = nullptr;
    CGraphPoint* point = nullptr;
    CCurveSettingsWindow curves;
    CPointSettingsWindow points;
};

TEST_F(SettingsPanels, ThicknessItemsSetWholeFactors) {
    curve->setToolSizeFactor(1.5f);
    curves.selectThicknessItem(2);
    curves.setGraphCurve(curve);
    EXPECT_EQ(curves.selectedThicknessItem(), 2);  // 1.5 matches no item: unchanged
    curves.selectThicknessItem(1);
    curves.onChangeThickness();
    EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);
    curves.selectThicknessItem(5);
    curves.onChangeThickness();
    EXPECT_EQ(curve->getToolSizeFactor(), 2.0f);
    curve->setToolSizeFactor(3);
    curves.setGraphCurve(curve);
    EXPECT_EQ(curves.selectedThicknessItem(), 2);
}

TEST_F(SettingsPanels, CurveCancelRestoresTheHandOver) {
    curves.setGraphCurve(curve);
    curves.startModalSession();
    curves.setColorWell(Color::red());
    curves.onChangeColor();
    curves.selectThicknessItem(2);
    curves.onChangeThickness();
    EXPECT_EQ(*curve->color(), Color::red());
    curves.onCancelButton();
    EXPECT_EQ(*curve->color(), Color::green());
    EXPECT_EQ(curve->getToolSizeFactor(), 1.0f);
    EXPECT_FALSE(curves.isModalSessionRunning());
}

// A curve handed over without a colour of its own (drawn in the default black) is drawn in
// black again after a cancelled change of colour; one whose colour was never changed keeps
// having none.
TEST_F(SettingsPanels, CancelOnACurveWithoutColourGivesTheDefaultBack) {
    CGraphCurve* plain = view->add(std::make_unique<CGraphCurve>());
    plain->addPoint(0, 1, false);
    ASSERT_FALSE(plain->color());
    curves.setGraphCurve(plain);
    curves.startModalSession();
    curves.onCancelButton();
    EXPECT_FALSE(plain->color());

    curves.setGraphCurve(plain);
    curves.startModalSession();
    curves.setColorWell(Color::red());
    curves.onChangeColor();
    ASSERT_EQ(*plain->color(), Color::red());
    curves.onCancelButton();
    ASSERT_TRUE(plain->color());
    EXPECT_EQ(*plain->color(), Color::black());
    EXPECT_FALSE(curves.isModalSessionRunning());
}

// A panel not tied to a plot edits the object handed to it, and its cancel restores it.
TEST_F(SettingsPanels, PanelWithoutAPlotEditsItsObject) {
    CCurveSettingsWindow loose;
    loose.setGraphCurve(curve);
    loose.startModalSession();
    loose.selectThicknessItem(2);
    loose.onChangeThickness();
    EXPECT_EQ(curve->getToolSizeFactor(), 3.0f);
    loose.onCancelButton();
    EXPECT_EQ(curve->getToolSizeFactor(), 1.0f);
}

TEST_F(SettingsPanels, MarkerAndSizeItems) {
    points.setGraphObject(point);
    EXPECT_EQ(points.selectedMarkerItem(), 2);  // type 3
    const struct {
        bool marker;
        int item, selector;
        float size;
    } choices[] = {{true, 0, 1, 3}, {false, 9, 1, 10}, {false, 12, 1, 1}};
    for (const auto& c : choices) {
        if (c.marker) {
            points.selectMarkerItem(c.item);
            points.onChangeMarkerType();
        } else {
            points.selectSizeItem(c.item);
            points.onChangeMarkerSize();
        }
        EXPECT_EQ(point->selector(), c.selector) << c.item;
        EXPECT_EQ(point->getToolSizeFactor(), c.size) << c.item;
    }
    // Marker type 0 selects no item and is kept.
    point->setSelector(0);
    points.setGraphObject(point);
    points.onChangeMarkerType();
    EXPECT_EQ(point->selector(), 0);
}

TEST_F(SettingsPanels, ClosingTheWindowEndsTheSessionAndKeepsTheEdits) {
    int colorPanelCloses = 0;
    points.setColorPanelCloser([&] { ++colorPanelCloses; });
    points.setGraphObject(point);
    points.startModalSession();
    points.selectSizeItem(2);
    points.onChangeMarkerSize();
    points.windowWillClose();
    EXPECT_FALSE(points.isModalSessionRunning());
    EXPECT_EQ(point->getToolSizeFactor(), 3.0f);
    EXPECT_EQ(colorPanelCloses, 1);
}

// The panels let go of destroyed objects: their edits land nowhere, not on objects made
// afterwards, and ask for no redraw; a forgotten plot is no longer theirs.
TEST_F(SettingsPanels, EditAfterTheObjectLeftThePlotOrThePlotWasForgottenIsIgnored) {
    points.setGraphObject(point);
    curves.setGraphCurve(curve);
    points.startModalSession();
    view->purge();  // both objects are destroyed
    EXPECT_EQ(points.graphObject(), nullptr);
    EXPECT_EQ(curves.graphCurve(), nullptr);
    CGraphCurve* fresh = view->add(std::make_unique<CGraphCurve>());
    fresh->setColor(Color::blue());
    CGraphPoint* other = view->plotPoint(0.2, 0.2, 3, Color::magenta());
    const float otherSize = other->getToolSizeFactor();
    view->setNeedsDisplay(false);
    points.selectSizeItem(5);
    points.onChangeMarkerSize();
    points.setColorWell(Color::red());
    points.onChangeColor();
    points.onCancelButton();
    EXPECT_FALSE(points.isModalSessionRunning());
    curves.selectThicknessItem(2);
    curves.onChangeThickness();
    curves.setColorWell(Color::red());
    curves.onChangeColor();
    curves.onCancelButton();
    EXPECT_EQ(fresh->getToolSizeFactor(), 1.0f);
    EXPECT_EQ(*fresh->color(), Color::blue());
    EXPECT_EQ(other->getToolSizeFactor(), otherSize);
    EXPECT_EQ(*other->color(), Color::magenta());
    EXPECT_FALSE(view->needsDisplay());
    curves.forgetPlotView(view.get());
    EXPECT_EQ(curves.plotView(), nullptr);
    view.reset();
    curves.onChangeThickness();
    curves.onChangeColor();
    curves.onCancelButton();
    EXPECT_EQ(curves.graphCurve(), nullptr);
}

// A panel editing an object of a plot that goes closes with the plot, its session ended and
// the colour panel closed; a panel of another plot stays.
TEST_F(SettingsPanels, PanelsCloseWithTheirPlot) {
    int colourPanelsClosed = 0;
    curves.setColorPanelCloser([&] { ++colourPanelsClosed; });
    curves.setGraphCurve(curve);
    curves.startModalSession();
    points.startModalSession();
    auto other = std::make_unique<CPlotView>(Rect(0, 0, 400, 300), &noDefaults);
    curves.forgetPlotView(other.get());
    EXPECT_TRUE(curves.isVisible() && curves.isModalSessionRunning());
    curves.forgetPlotView(view.get());
    points.forgetPlotView(view.get());
    EXPECT_FALSE(curves.isVisible() || curves.isModalSessionRunning());
    EXPECT_FALSE(points.isVisible() || points.isModalSessionRunning());
    EXPECT_EQ(colourPanelsClosed, 1);
}

// The plot's commands open the shared panels through the panel services.
class SettingsPanelsThroughServices : public SettingsPanels {
   protected:
    void SetUp() override {
        SettingsPanels::SetUp();
        PlotServices::setShared(&panels);
    }
    void TearDown() override {
        CCurveSettingsWindow::sharedCurvesSettingsCtroller().forgetPlotView(view.get());
        CPointSettingsWindow::sharedPointsSettingsCtroller().forgetPlotView(view.get());
        SettingsPanels::TearDown();
    }
    PanelServices panels;
};

TEST_F(SettingsPanelsThroughServices, SelectedCurveOpensTheCurvePanel) {
    view->setSelectedObject(curve);
    view->onCurvesSettingsPanel();
    CCurveSettingsWindow& shared = CCurveSettingsWindow::sharedCurvesSettingsCtroller();
    EXPECT_EQ(shared.graphCurve(), curve);
    EXPECT_EQ(shared.plotView(), view.get());
    EXPECT_TRUE(shared.isModalSessionRunning());
    shared.onCancelButton();
    view->setSelectedObject(point);
    view->onPointsSettingsPanel();
    CPointSettingsWindow& sharedPoints = CPointSettingsWindow::sharedPointsSettingsCtroller();
    EXPECT_EQ(sharedPoints.graphObject(), point);
    sharedPoints.onOKButton();
}

}  // namespace
}  // namespace vornex

#include <gtest/gtest.h>

#include <memory>

#include "plot/CAxisRangeWindow.h"
#include "plot/CCurveSettingsWindow.h"
#include "plot/CDrawPlotView.h"
#include "plot/CGraphCurve.h"
#include "plot/PanelServices.h"
#include "plot/PlotTestSupport.h"

namespace vornex {
namespace {

class PlotHostView : public ::testing::Test {
   protected:
    void SetUp() override { PlotServices::setShared(&panels); }
    void TearDown() override { PlotServices::setShared(nullptr); }
    std::unique_ptr<CPlotView> newPlot() {
        auto plot = std::make_unique<CPlotView>(Rect(0, 0, 10, 10), &noDefaults);
        plot->setNotificationCenter(&center);
        return plot;
    }

    UserDefaults noDefaults{""};
    NotificationCenter center;
    PanelServices panels;
    CDrawPlotView host{Rect(0, 0, 400, 300)};
};

TEST_F(PlotHostView, StatusBeforeTheButtonsIsDroppedAndDisabledZoomDoesNothing) {
    CPlotView* plot = host.setPlotView(newPlot());
    EXPECT_EQ(plot->drawPlotView(), &host);
    host.setStatusMessage("T = 300");  // no status bar yet
    EXPECT_EQ(host.statusBar().text, "");
    host.installButtons();
    host.setStatusMessage("T = 300");
    EXPECT_EQ(host.statusBar().text, "T = 300");
    host.setEnabledZoomingControls(false);
    EXPECT_FALSE(host.zoomInButton().press());
}

// The buttons show icons only: each says what it does from the start. Regression: the zoom
// and grid buttons had no tool tip until a zoom rectangle was drawn.
TEST_F(PlotHostView, EveryButtonSaysWhatItDoes) {
    host.setPlotView(newPlot());
    host.installButtons();
    for (const CDrawPlotView::ToolButton* b : {&host.zoomInButton(), &host.zoomOutButton(), &host.gridButton(),
                                               &host.resetButton(), &host.axisButton()})
        EXPECT_FALSE(b->toolTip.empty()) << b->actionName;
}

// Zooming needs a dragged rectangle: a host's zoom buttons start off, with the hint that
// says how to zoom, and a press does nothing until a drag outlines a rectangle.
TEST_F(PlotHostView, ZoomButtonsStartOffUntilARectangleIsDragged) {
    CPlotView* plot = host.setPlotView(newPlot());
    plot->setDefaultXYRange(0, 100, 0, 50);
    plot->setXYRange(0, 100, 0, 50);
    host.installButtons();
    for (const CDrawPlotView::ToolButton* b : {&host.zoomInButton(), &host.zoomOutButton()}) {
        EXPECT_FALSE(b->enabled) << b->actionName;
        EXPECT_EQ(b->toolTip,
                  "Disabled. To enable it, press and drag the mouse on the plot to delimit the "
                  "area to zoom.");
    }
    EXPECT_FALSE(host.zoomInButton().press());
    EXPECT_EQ(plot->mCurrentMaxX(), 100);
}

TEST_F(PlotHostView, ButtonsCommandThePlot) {
    CPlotView* plot = host.setPlotView(newPlot());
    host.installButtons();
    plot->setDefaultXYRange(0, 100, 0, 50);
    plot->setXYRange(10, 20, 10, 20);
    ASSERT_TRUE(host.gridButton().press());
    EXPECT_TRUE(plot->drawsGrid());
    EXPECT_EQ(host.gridButton().state, 1);  // the plot set it through its host
    ASSERT_TRUE(host.resetButton().press());
    EXPECT_EQ(plot->mCurrentMaxX(), 100);
    EXPECT_FALSE(host.zoomInButton().enabled);  // a range change disables zooming
    ASSERT_TRUE(host.axisButton().press());
    CAxisRangeWindow& panel = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    EXPECT_EQ(panel.currentPlotView(), plot);
    panel.orderOut();
}

// A host resized (its window resized): the plot follows in width and height, the status bar
// in width at the bottom, the buttons keep their place at the lower left.
TEST_F(PlotHostView, APlotAndItsStatusBarFollowTheHostsSize) {
    CPlotView* plot = host.setPlotView(newPlot());
    host.installButtons();
    const Rect plotBefore = plot->frame(), statusBefore = host.statusBar().frame,
               zoomBefore = host.zoomInButton().frame, axisBefore = host.axisButton().frame;
    ASSERT_EQ(statusBefore.width(), 400 - 130);
    host.setFrame(Rect(10, 20, 650, 420));
    EXPECT_EQ(host.frame(), Rect(10, 20, 650, 420));
    EXPECT_EQ(plot->frame(), Rect(plotBefore.x(), plotBefore.y(), plotBefore.width() + 250,
                                  plotBefore.height() + 120));
    EXPECT_EQ(host.statusBar().frame,
              Rect(statusBefore.x(), statusBefore.y(), 650 - 130, statusBefore.height()));
    EXPECT_EQ(host.zoomInButton().frame, zoomBefore);
    EXPECT_EQ(host.axisButton().frame, axisBefore);
    // Back to the first size: everything where it was.
    host.setFrame(Rect(0, 0, 400, 300));
    EXPECT_EQ(plot->frame(), plotBefore);
    EXPECT_EQ(host.statusBar().frame, statusBefore);
    // A host without a plot or buttons takes its new size alone.
    CDrawPlotView bare(Rect(0, 0, 100, 100));
    bare.setFrame(Rect(0, 0, 200, 50));
    EXPECT_EQ(bare.bounds(), Rect(0, 0, 200, 50));
    EXPECT_EQ(bare.plotView(), nullptr);
}

TEST_F(PlotHostView, HostDestroyedWhilePanelsHoldItsPlot) {
    auto host2 = std::make_unique<CDrawPlotView>(Rect(0, 0, 300, 200));
    CPlotView* plot = host2->setPlotView(newPlot());
    auto* curve = plot->add(std::make_unique<CGraphCurve>());
    CAxisRangeWindow& axes = CAxisRangeWindow::sharedAxisRangeWindowCtroller();
    axes.showWindow();
    axes.setCurrentPlotView(plot);
    CCurveSettingsWindow& curves = CCurveSettingsWindow::sharedCurvesSettingsCtroller();
    curves.setPlotView(plot);
    curves.setGraphCurve(curve);
    host2.reset();
    EXPECT_EQ(axes.currentPlotView(), nullptr);
    EXPECT_EQ(curves.plotView(), nullptr);
    axes.setFieldText(CAxisRangeWindow::kXmin, "3");
    EXPECT_FALSE(axes.onChangeCoordinates());
    curves.onChangeThickness();
    axes.orderOut();
}

}  // namespace
}  // namespace vornex

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

TEST_F(PlotHostView, ButtonsStatusBarAndPlotLayout) {
    CPlotView* plot = host.setPlotView(newPlot());
    EXPECT_EQ(plot->frame(), Rect(0, 0, 400, 300));
    EXPECT_EQ(plot->drawPlotView(), &host);
    host.installButtons();
    const CDrawPlotView::ToolButton* buttons[] = {&host.zoomInButton(), &host.zoomOutButton(),
                                                  &host.gridButton(), &host.resetButton(),
                                                  &host.axisButton()};
    const char* images[] = {"biggerUp", "smallerUp", "grid", "resetOff", "axis"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(buttons[i]->frame, Rect(26.0 * i, 0, 22, 22));
        EXPECT_EQ(buttons[i]->image, images[i]);
    }
    EXPECT_EQ(host.resetButton().toolTip, "To return to the axis ranges by default");
    EXPECT_EQ(host.axisButton().toolTip, "To set the axes ranges");
    EXPECT_EQ(host.statusBar().frame, Rect(130, 0, 270, 22));
    EXPECT_EQ(host.statusBar().toolTip, "The status bar");
    EXPECT_FALSE(host.statusBar().editable);
    EXPECT_EQ(plot->frame(), Rect(0, 25, 400, 275));
}

TEST_F(PlotHostView, StatusMessageWaitsForTheButtons) {
    host.setPlotView(newPlot());
    host.setStatusMessage("T = 300");
    EXPECT_EQ(host.statusBar().text, "");
    host.installButtons();
    host.setStatusMessage("T = 300");
    EXPECT_EQ(host.statusBar().text, "T = 300");
}

TEST_F(PlotHostView, DisabledZoomButtonsShowTheSameHint) {
    host.setPlotView(newPlot());
    host.installButtons();
    host.setEnabledZoomingControls(false);
    EXPECT_FALSE(host.zoomInButton().enabled);
    EXPECT_FALSE(host.zoomOutButton().enabled);
    EXPECT_EQ(host.zoomInButton().toolTip, CDrawPlotView::kZoomDisabledHint);
    EXPECT_EQ(host.zoomOutButton().toolTip, CDrawPlotView::kZoomDisabledHint);
    EXPECT_FALSE(host.zoomInButton().press());
    host.setEnabledZoomingControls(true);
    EXPECT_EQ(host.zoomInButton().toolTip, "To zoom in the rectangular area");
    EXPECT_EQ(host.zoomOutButton().toolTip, "To zoom out of the rectangular area.");
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
    EXPECT_TRUE(panel.isVisible());
    panel.orderOut();
}

TEST_F(PlotHostView, ResizingCarriesThePlotAndStatusBar) {
    CPlotView* plot = host.setPlotView(newPlot());
    host.installButtons();
    host.setFrame(Rect(0, 0, 500, 400));
    EXPECT_EQ(plot->frame(), Rect(0, 25, 500, 375));
    EXPECT_EQ(host.statusBar().frame, Rect(130, 0, 370, 22));
    EXPECT_EQ(host.axisButton().frame, Rect(104, 0, 22, 22));
    // A plot set after the buttons goes above them.
    CPlotView* second = host.setPlotView(newPlot());
    EXPECT_EQ(second->frame(), Rect(0, 25, 500, 375));
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

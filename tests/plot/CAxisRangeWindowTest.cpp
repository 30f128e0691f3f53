#include <gtest/gtest.h>

#include <string>

#include "numerics/Decimal.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/CCurveSettingsWindow.h"
#include "plot/PanelServices.h"
#include "plot/PlotTestSupport.h"
#include "support/ScopedLocale.h"

namespace vornex {
namespace {

using Panel = CAxisRangeWindow;

// A panel of its own on the fixture's plot (default and current ranges 0 ... 1000 by
// 0 ... 600, at most -100 ... 2000 by -50 ... 900) and notification centre.
class AxisPanel : public test::PlotFixture {
   protected:
    void SetUp() override {
        test::PlotFixture::SetUp();
        view->setMaxXYRange(-100, 2000, -50, 900);
        view->setDefaultXYRange(0, 1000, 0, 600);
        view->setTicksNumber(11, 7);
        panel.showWindow();
        panel.setCurrentPlotView(view.get());
        axisChanges = 0;
    }
    void type(float xmin, float xmax, float ymin, float ymax) {
        panel.setFieldText(Panel::kXmin, Panel::formatValue(xmin));
        panel.setFieldText(Panel::kXmax, Panel::formatValue(xmax));
        panel.setFieldText(Panel::kYmin, Panel::formatValue(ymin));
        panel.setFieldText(Panel::kYmax, Panel::formatValue(ymax));
    }
    void expectRange(float xmin, float xmax, float ymin, float ymax) {
        EXPECT_EQ(view->mCurrentMinX(), xmin);
        EXPECT_EQ(view->mCurrentMaxX(), xmax);
        EXPECT_EQ(view->mCurrentMinY(), ymin);
        EXPECT_EQ(view->mCurrentMaxY(), ymax);
    }
    // The input is refused: the plot keeps 0 ... 1000 by 0 ... 600 and hears of nothing.
    void expectRefused(const std::string& mention) {
        EXPECT_FALSE(panel.onChangeCoordinates());
        EXPECT_NE(panel.message().find(mention), std::string::npos) << panel.message();
        expectRange(0, 1000, 0, 600);
        EXPECT_EQ(axisChanges, 0);
    }

    Panel panel{&center};
};

TEST_F(AxisPanel, IncrementsAndDecimalsFromTheWidth) {
    const struct {
        double width;
        bool mirrored, ok;
        double increment;
        int digits;
    } widths[] = {{150, false, true, 5, 0},     {0.5, false, true, 0.01, 2},
                  {1000, false, true, 20, 0},  // strictly above 1000
                  {-600, true, true, -20, 0},   {0, true, false, 0, 7},
                  {-600, false, false, -600, 7}};  // x has no mirror
    for (const auto& w : widths) {
        double inc = 99;
        int digits = 7;
        EXPECT_EQ(Panel::incrementForWidth(w.width, w.mirrored, inc, digits), w.ok) << w.width;
        EXPECT_EQ(inc, w.increment) << w.width;
        EXPECT_EQ(digits, w.digits) << w.width;
    }
    view->setXYRange(0, 0.5f, 0, 5);
    panel.updatePanel();
    EXPECT_EQ(view->mXTicksDigits(), 2);  // the plot takes the panel's decimals
}

TEST_F(AxisPanel, AcceptedRangesReachThePlotAndAreAnnounced) {
    type(100, 500, 50, 300);
    panel.setFieldText(Panel::kYTicks, " 5 ");
    ASSERT_TRUE(panel.onChangeCoordinates());
    expectRange(100, 500, 50, 300);
    EXPECT_EQ(view->mNbYTicks(), 5);
    EXPECT_EQ(axisChanges, 1);
    EXPECT_TRUE(view->needsDisplay());
    EXPECT_TRUE(panel.message().empty());
    panel.setFieldText(Panel::kXTicks, "2");
    EXPECT_TRUE(panel.onChangeCoordinates());
    EXPECT_EQ(view->mNbXTicks(), 2);
}

TEST_F(AxisPanel, BadInputIsRefusedAndTheRangesKept) {
    const struct {
        Panel::Field field;
        const char* text;
        const char* mention;
    } texts[] = {{Panel::kXmin, "12abc", "x minimum is not a number"},
                 {Panel::kYmax, "inf", "y maximum"},
                 {Panel::kYmax, "1e39", "y maximum"}};  // beyond single precision
    for (const auto& t : texts) {
        type(0, 1000, 0, 600);
        panel.setFieldText(t.field, t.text);
        expectRefused(t.mention);
    }
    for (const char* bad : {"1", "2.5", "201", "99999999999"}) {
        type(0, 1000, 0, 600);
        panel.setFieldText(Panel::kXTicks, bad);
        expectRefused("number of x ticks must be a whole number from 2 to 200");
    }
    panel.setFieldText(Panel::kXTicks, "11");
    type(5, 5, 0, 600);
    expectRefused("x range is empty");
    type(1000, 0, 0, 600);
    expectRefused("x range runs the wrong way");
    EXPECT_NE(panel.message().find("upward"), std::string::npos);
}

// In a German locale a range is typed with the point or the comma, shown with the point and
// taken again as shown; hexadecimal is no number.
TEST_F(AxisPanel, RangesTypedWithEitherDecimalMarkInAGermanLocale) {
    testing::ScopedLocale german("de_DE.UTF-8");
    ASSERT_TRUE(german.ok()) << "de_DE.UTF-8 is missing (scripts/setup generates it)";
    setTypedDecimalSeparator(',');
    type(0, 1000, 0, 600);
    panel.setFieldText(Panel::kXmin, "150.5");
    panel.setFieldText(Panel::kYmax, "450,25");
    EXPECT_TRUE(panel.onChangeCoordinates()) << panel.message();
    expectRange(150.5f, 1000, 0, 450.25f);
    panel.updatePanel();
    EXPECT_EQ(panel.field(Panel::kXmin).text, "150.5");
    EXPECT_TRUE(panel.onChangeCoordinates()) << panel.message();
    expectRange(150.5f, 1000, 0, 450.25f);
    for (const char* bad : {"0x10", "nan", "1.5,5", "150,5.5"}) {
        panel.setFieldText(Panel::kXmin, bad);
        EXPECT_FALSE(panel.onChangeCoordinates()) << bad;
        EXPECT_EQ(view->mCurrentMinX(), 150.5f) << bad;
    }
    setTypedDecimalSeparator(0);
}

TEST_F(AxisPanel, DownwardAxisKeepsItsDirection) {
    // A depth axis: its default range runs from 600 down to 0.
    view->setDefaultXYRange(0, 1000, 600, 0);
    panel.setCurrentPlotView(view.get());
    type(0, 1000, 500, 100);
    ASSERT_TRUE(panel.onChangeCoordinates()) << panel.message();
    expectRange(0, 1000, 500, 100);
    type(0, 1000, 100, 500);
    EXPECT_FALSE(panel.onChangeCoordinates());
    EXPECT_NE(panel.message().find("downward"), std::string::npos);
    expectRange(0, 1000, 500, 100);
}

TEST_F(AxisPanel, OkClosesOnlyWhenAcceptedAndCancelRestoresTheHandOver) {
    type(5, 5, 0, 600);
    EXPECT_FALSE(panel.onOKButton());
    EXPECT_TRUE(panel.isVisible());
    type(100, 200, 0, 600);
    ASSERT_TRUE(panel.onOKButton());
    EXPECT_FALSE(panel.isVisible());
    type(300, 400, 10, 20);
    ASSERT_TRUE(panel.onChangeCoordinates());
    panel.onCancelButton();
    expectRange(0, 1000, 0, 600);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(AxisPanel, SteppersCopyTheirValueAndStayWithinTheirLimits) {
    panel.setStepperValue(Panel::kXmin, 5);
    ASSERT_TRUE(panel.onStepXmin());
    expectRange(5, 1000, 0, 600);
    panel.setStepperValue(Panel::kYmax, 1e9);
    EXPECT_EQ(panel.stepper(Panel::kYmax).value, 100000);
    ASSERT_TRUE(panel.onStepYmax());
    EXPECT_EQ(view->mCurrentMaxY(), 900);  // the plot's maximum
    panel.setStepperValue(Panel::kYmin, 250);
    ASSERT_TRUE(panel.onStepYmin());
    EXPECT_EQ(view->mCurrentMinY(), 250);
    panel.setStepperValue(Panel::kXmax, 5);  // stepping onto xmin empties the range
    EXPECT_FALSE(panel.onStepXmax());
    EXPECT_EQ(view->mCurrentMaxX(), 1000);
}

// Regression: a range beyond the plot's maximum (up to ±3e38) reached the plot and its case,
// where the transform overflowed; Cancel left the tick count and decimals the panel had set.
TEST_F(AxisPanel, RangesAreClampedToTheMaximumAndCancelRestoresTheTicks) {
    view->setTicksDigits(1, 1);
    panel.setCurrentPlotView(view.get());  // the panel sets decimals for 0 ... 1000: none
    EXPECT_EQ(view->mXTicksDigits(), 0);
    type(-3e38f, 3e38f, 100, 1e30f);
    ASSERT_TRUE(panel.onChangeCoordinates());
    expectRange(-100, 2000, 100, 900);
    EXPECT_EQ(panel.field(Panel::kXmin).text, "-100");
    EXPECT_EQ(panel.field(Panel::kYmax).text, "900");
    type(3000, 4000, 0, 600);  // wholly beyond the maximum
    EXPECT_FALSE(panel.onChangeCoordinates());
    EXPECT_NE(panel.message().find("maximum range"), std::string::npos);
    expectRange(-100, 2000, 100, 900);
    type(500, 500.01f, 0, 600);  // narrower than the values resolve
    ASSERT_TRUE(panel.onChangeCoordinates());
    EXPECT_GE(view->mCurrentMaxX() - view->mCurrentMinX(), 500 * PlotAxis::kMinRelativeSpan * 0.99);
    type(100, 200, 0, 600);
    panel.setFieldText(Panel::kXTicks, "5");
    ASSERT_TRUE(panel.onChangeCoordinates());
    panel.onCancelButton();
    expectRange(0, 1000, 0, 600);
    EXPECT_EQ(view->mNbXTicks(), 11);
    EXPECT_EQ(view->mNbYTicks(), 7);
    EXPECT_EQ(view->mXTicksDigits(), 1);
    EXPECT_EQ(view->mYTicksDigits(), 1);
}

// A range too narrow to resolve, typed at the edge of the maximum range, is widened inside it
// (1999.99 ... 2000 became 1999.895 ... 2000.095, past the maximum 2000).
TEST_F(AxisPanel, NarrowRangeAtTheEdgeIsWidenedWithinTheMaximum) {
    type(1999.99f, 2000, 899.99f, 900);
    ASSERT_TRUE(panel.onChangeCoordinates());
    EXPECT_LE(view->mCurrentMaxX(), 2000.0f);
    EXPECT_GE(view->mCurrentMaxX() - view->mCurrentMinX(), 2000 * PlotAxis::kMinRelativeSpan * 0.99f);
    EXPECT_LE(view->mCurrentMaxY(), 900.0f);
    EXPECT_GE(view->mCurrentMaxY() - view->mCurrentMinY(), 900 * PlotAxis::kMinRelativeSpan * 0.99f);
    type(-100, -99.999f, 0, 600);
    ASSERT_TRUE(panel.onChangeCoordinates());
    EXPECT_GE(view->mCurrentMinX(), -100.0f);
    EXPECT_GT(view->mCurrentMaxX() - view->mCurrentMinX(), 100 * PlotAxis::kMinRelativeSpan * 0.99f);
}

TEST_F(AxisPanel, DefaultAndMaximumButtons) {
    view->setMaxXYRange(-100, 2000, -50, 900);
    panel.onUseMaximumRangeValues();
    expectRange(-100, 2000, -50, 900);
    panel.onUseDefaultRangeValues();
    expectRange(0, 1000, 0, 600);
}

TEST_F(AxisPanel, WithoutAPlotOrAfterForgettingItTheControlsDoNothing) {
    panel.setCurrentPlotView(nullptr);
    EXPECT_FALSE(panel.onChangeCoordinates());
    panel.onCancelButton();
    panel.onUseDefaultRangeValues();
    EXPECT_EQ(axisChanges, 0);
    panel.setCurrentPlotView(view.get());
    panel.forgetPlotView(view.get());
    EXPECT_EQ(panel.currentPlotView(), nullptr);
    view.reset();
    EXPECT_FALSE(panel.onChangeCoordinates());
    panel.onCancelButton();
}

// A refusal belongs to the edit refused: an accepted edit, Default, Maximum or another plot
// clears it; the panel of a plot that goes closes with it.
TEST_F(AxisPanel, RefusalClearedByAcceptedEditAndPanelClosesWithItsPlot) {
    type(5, 5, 0, 600);
    EXPECT_FALSE(panel.onChangeCoordinates());
    EXPECT_FALSE(panel.message().empty());
    panel.onUseDefaultRangeValues();
    EXPECT_TRUE(panel.message().empty());
    type(5, 5, 0, 600);
    EXPECT_FALSE(panel.onChangeCoordinates());
    EXPECT_FALSE(panel.message().empty());
    panel.onUseMaximumRangeValues();
    EXPECT_TRUE(panel.message().empty());
    const int window = 0, other = 0;
    auto second = std::make_unique<CPlotView>(Rect(0, 0, 400, 300), &noDefaults);
    panel.setMainWindowResolver([&](const void* w) -> std::optional<Panel::MainWindow> {
        if (w == &window) return Panel::MainWindow{view.get(), Rect(0, 0, 500, 400)};
        if (w == &other) return Panel::MainWindow{second.get(), Rect(0, 0, 500, 400)};
        return std::nullopt;
    });
    center.post(notifications::windowDidBecomeMain, &window);
    type(5, 5, 0, 600);
    EXPECT_FALSE(panel.onChangeCoordinates());
    EXPECT_FALSE(panel.message().empty());
    center.post(notifications::windowDidBecomeMain, &other);
    EXPECT_TRUE(panel.message().empty());
    EXPECT_TRUE(panel.isVisible());
    panel.forgetPlotView(view.get());  // not the panel's plot now: it stays
    EXPECT_TRUE(panel.isVisible());
    panel.forgetPlotView(second.get());
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(panel.currentPlotView(), nullptr);
}

TEST_F(AxisPanel, FollowsTheMainWindow) {
    const int window = 0;  // stands for a window the toolkit knows
    panel.setMainWindowResolver([&](const void* w) -> std::optional<Panel::MainWindow> {
        if (w != &window) return std::nullopt;
        return Panel::MainWindow{view.get(), Rect(100, 200, 500, 400)};
    });
    center.post(notifications::windowDidResignMain, &window);
    EXPECT_EQ(panel.currentPlotView(), nullptr);
    const int other = 0;
    center.post(notifications::windowDidBecomeMain, &other);  // a document without a plot
    EXPECT_EQ(panel.currentPlotView(), nullptr);
    center.post(notifications::windowDidBecomeMain, &window);
    EXPECT_EQ(panel.currentPlotView(), view.get());
}

// The plot reaches the shared panel through the panel services.
class AxisPanelThroughServices : public test::PlotFixture {
   protected:
    void SetUp() override {
        test::PlotFixture::SetUp();
        PlotServices::setShared(&panels);
    }
    void TearDown() override {
        Panel::sharedAxisRangeWindowCtroller().forgetPlotView(view.get());
        Panel::sharedAxisRangeWindowCtroller().orderOut();
        test::PlotFixture::TearDown();
    }
    PanelServices panels;
};

TEST_F(AxisPanelThroughServices, PlotShowsThePanelAndKeepsItUpToDate) {
    view->setDefaultXYRange(0, 100, 0, 50);
    view->onShowAxisRangePanel();
    Panel& panel = Panel::sharedAxisRangeWindowCtroller();
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(panel.currentPlotView(), view.get());
    view->setXYRange(10, 20, 0, 50);
    EXPECT_EQ(panel.field(Panel::kXmin).text, "10");
}

// Regression: new default ranges (a focus preset of the workbench) left the panel on screen
// showing the ranges before them, and its OK put those back.
TEST_F(AxisPanelThroughServices, NewDefaultRangesReachThePanel) {
    view->setMaxXYRange(0, 100, 0, 50);
    view->setDefaultXYRange(0, 100, 0, 50);
    view->onShowAxisRangePanel();
    Panel& panel = Panel::sharedAxisRangeWindowCtroller();
    view->setDefaultXYRange(20, 40, 5, 15);
    EXPECT_EQ(panel.field(Panel::kXmin).text, "20");
    EXPECT_EQ(panel.field(Panel::kYmax).text, "15");
    EXPECT_TRUE(panel.onOKButton()) << panel.message();
    EXPECT_EQ(view->mCurrentMinX(), 20);
    EXPECT_EQ(view->mCurrentMaxY(), 15);
}

TEST_F(AxisPanelThroughServices, PlotDestroyedOutsideAHostLeavesNoPanelHoldingIt) {
    view->onShowAxisRangePanel();
    Panel& panel = Panel::sharedAxisRangeWindowCtroller();
    ASSERT_EQ(panel.currentPlotView(), view.get());
    CCurveSettingsWindow& curves = CCurveSettingsWindow::sharedCurvesSettingsCtroller();
    curves.setPlotView(view.get());
    view.reset();
    EXPECT_EQ(panel.currentPlotView(), nullptr);
    EXPECT_EQ(curves.plotView(), nullptr);
    // Another plot changing its ranges refreshes the panel, which reads no freed plot.
    auto other = std::make_unique<CPlotView>(Rect(0, 0, 400, 300), &noDefaults);
    other->setNotificationCenter(&center);
    other->setXYRange(0, 2, 0, 3);
    EXPECT_FALSE(panel.isButtonEnabled(Panel::kOK));
}

}  // namespace
}  // namespace vornex

// The buttons and controls of the GTK panels clicked as a user clicks them, on a display (the
// suite registers them under xvfb-run; without a display they are skipped): the axis-range
// panel's steppers, Enter in a field, Default, Maximum, OK and Cancel; the curve panel's thickness
// and colour, and the point panel's colour, with OK keeping and Cancel undoing what they did.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/colorbutton.h>
#include <gtkmm/dropdown.h>
#include <gtkmm/init.h>

#include <memory>
#include <string>
#include <vector>

#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "WidgetSearch.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::shell {
namespace {

std::vector<float> shownRange(const CPlotView& v) {
    float a, b, c, d;
    v.getXYRange(a, b, c, d);
    return {a, b, c, d};
}

class WidgetsPanels : public ::testing::Test {
   protected:
    void SetUp() override {
        static const bool opened = gtk_init_check() && (Gtk::init_gtkmm_internals(), true);
        if (!opened) GTEST_SKIP() << "no display";
        document = HeadlessWorkbench::newDocument();
        plot = document->mPTViewp;
        plot->setMaxXYRange(-1000, 3000, -500, 5000);
        plot->setDefaultXYRange(0, 1000, 0, 2000);
    }
    void TearDown() override { runPendingEvents(); }
    // Sets a colour in the colour button as the colour chooser does, then says it was set.
    static void chooseColour(Gtk::ColorButton& button, const Gdk::RGBA& colour) {
        button.set_rgba(colour);
        g_signal_emit_by_name(button.gobj(), "color-set");
    }
    GtkPlotServices& services = GtkPlotServices::instance();
    std::unique_ptr<MyDocument> document;
    CPlotView* plot = nullptr;
};

// Steppers move a bound by the increment of the range's width (10 for a width of 400) and
// apply it; Default and Maximum apply those ranges; OK applies the fields and closes;
// Cancel puts back the ranges the plot had when it became the panel's.
TEST_F(WidgetsPanels, AxisRangeButtonsApplyTheirRanges) {
    plot->setXYRange(100, 500, 200, 1200);
    services.showAxisRangePanel(*plot);
    AxisRangeWindow& panel = services.axisRangeWindow();
    runPendingEvents();
    ASSERT_TRUE(panel.get_visible());
    const auto ups = buttonsWithTooltip(panel, "Step up");
    const auto downs = buttonsWithTooltip(panel, "Step down");
    ASSERT_EQ(ups.size(), 4u);
    ASSERT_EQ(downs.size(), 4u);
    click(ups[CAxisRangeWindow::kXmax]);
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{100, 510, 200, 1200}));
    EXPECT_EQ(std::string(panel.fieldEntry(CAxisRangeWindow::kXmax).get_text()), "510");
    click(downs[CAxisRangeWindow::kYmin]);  // a width of 1000: steps of 20
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{100, 510, 180, 1200}));

    click(buttonLabelled(panel, "Default"));
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{0, 1000, 0, 2000}));
    EXPECT_EQ(std::string(panel.fieldEntry(CAxisRangeWindow::kYmax).get_text()), "2000");
    click(buttonLabelled(panel, "Maximum"));
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{-1000, 3000, -500, 5000}));

    // Enter in a field applies it at once; the panel stays.
    auto& ymax = const_cast<Gtk::Entry&>(panel.fieldEntry(CAxisRangeWindow::kYmax));
    ymax.set_text("4000");
    g_signal_emit_by_name(ymax.gobj(), "activate");
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{-1000, 3000, -500, 4000}));
    EXPECT_TRUE(panel.get_visible());
    ymax.set_text("5000");
    g_signal_emit_by_name(ymax.gobj(), "activate");

    // Typed without Enter, applied by OK.
    auto& xmin = const_cast<Gtk::Entry&>(panel.fieldEntry(CAxisRangeWindow::kXmin));
    xmin.set_text("250");
    click(buttonLabelled(panel, "OK"));
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{250, 3000, -500, 5000}));
    runPendingEvents();
    EXPECT_FALSE(panel.get_visible());

    services.showAxisRangePanel(*plot);
    runPendingEvents();
    click(buttonLabelled(panel, "Default"));
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{0, 1000, 0, 2000}));
    click(buttonLabelled(panel, "Cancel"));
    EXPECT_EQ(shownRange(*plot), (std::vector<float>{250, 3000, -500, 5000}));
    runPendingEvents();
    EXPECT_FALSE(panel.get_visible());
}

// The thickness menu and the colour button change the curve at once; Cancel restores both,
// OK keeps them.
TEST_F(WidgetsPanels, CurveThicknessAndColourKeptByOKUndoneByCancel) {
    auto* curve = plot->add(std::make_unique<CGraphCurve>());
    curve->addPoint(100, 100, false);
    curve->addPoint(500, 900, false);
    curve->setColor(Color::red());
    for (const bool keep : {false, true}) {
        services.showCurveSettingsPanel(*plot, *curve);
        Gtk::Window* panel = services.curveSettingsWindow();
        ASSERT_NE(panel, nullptr);
        runPendingEvents();
        const auto menus = widgetsOf<Gtk::DropDown>(*panel);
        const auto colours = widgetsOf<Gtk::ColorButton>(*panel);
        ASSERT_EQ(menus.size(), 1u);
        ASSERT_EQ(colours.size(), 1u);
        menus[0]->set_selected(2);  // Triple
        EXPECT_EQ(curve->getToolSizeFactor(), 3.0f);
        chooseColour(*colours[0], Gdk::RGBA(0.0, 0.0, 1.0));
        ASSERT_TRUE(curve->color().has_value());
        EXPECT_EQ(curve->getBlue(), 65535);
        EXPECT_EQ(curve->getRed(), 0);
        click(buttonLabelled(*panel, keep ? "OK" : "Cancel"));
        runPendingEvents();
        EXPECT_FALSE(panel->get_visible());
        EXPECT_EQ(curve->getToolSizeFactor(), keep ? 3.0f : 1.0f);
        EXPECT_EQ(curve->getRed(), keep ? 0 : 65535);
        EXPECT_EQ(curve->getBlue(), keep ? 65535 : 0);
    }
}

TEST_F(WidgetsPanels, PointColourKeptByOKUndoneByCancel) {
    CGraphPoint* point = plot->plotPoint(300, 400, 1, Color::red());
    for (const bool keep : {false, true}) {
        services.showPointSettingsPanel(*plot, *point);
        PointSettingsWindow* panel = services.pointSettingsWindow();
        ASSERT_NE(panel, nullptr);
        runPendingEvents();
        const auto colours = widgetsOf<Gtk::ColorButton>(*panel);
        ASSERT_EQ(colours.size(), 1u);
        chooseColour(*colours[0], Gdk::RGBA(0.0, 1.0, 0.0));
        EXPECT_EQ(point->getGreen(), 65535);
        click(buttonLabelled(*panel, keep ? "OK" : "Cancel"));
        runPendingEvents();
        EXPECT_FALSE(panel->get_visible());
        EXPECT_EQ(point->getGreen(), keep ? 65535 : 0);
        EXPECT_EQ(point->getRed(), keep ? 0 : 65535);
    }
}

// Regression: Escape closed no settings panel (the curve panel stayed open with its session
// running). In each panel it closes the window as its close button does: the panel's session
// ends.
TEST_F(WidgetsPanels, EscapeClosesEachPanel) {
    auto* curve = plot->add(std::make_unique<CGraphCurve>());
    curve->addPoint(100, 100, false);
    curve->addPoint(500, 900, false);
    CGraphPoint* point = plot->plotPoint(300, 400, 1, Color::red());
    // Escape pressed in the panel shown last: the window goes.
    auto escapeCloses = [](Gtk::Window* panel) {
        runPendingEvents();
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->get_visible());
        GtkEventController* keys = controllerOf(*panel, GTK_TYPE_EVENT_CONTROLLER_KEY);
        ASSERT_NE(keys, nullptr);
        gboolean handled = FALSE;
        g_signal_emit_by_name(keys, "key-pressed", GDK_KEY_Escape, 0u, 0, &handled);
        runPendingEvents();
        EXPECT_TRUE(handled);
        EXPECT_FALSE(panel->get_visible());
    };
    services.showCurveSettingsPanel(*plot, *curve);
    escapeCloses(services.curveSettingsWindow());
    EXPECT_FALSE(CCurveSettingsWindow::sharedCurvesSettingsCtroller().isModalSessionRunning());
    services.showPointSettingsPanel(*plot, *point);
    escapeCloses(services.pointSettingsWindow());
    services.showAxisRangePanel(*plot);
    escapeCloses(&services.axisRangeWindow());
}

}  // namespace
}  // namespace vornex::shell

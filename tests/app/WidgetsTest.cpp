// The shell's widgets against a real document, on a display (the suite registers them under
// xvfb-run; without a display they are skipped).
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/colorchooserdialog.h>
#include <gtkmm/init.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>

#include <chrono>
#include <functional>
#include <thread>

#include "CaseTable.h"
#include "ExperimentalPanel.h"
#include "FormBinding.h"
#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "PlotWidget.h"
#include "PopoverKeys.h"
#include "WidgetSearch.h"
#include "platform/Font.h"
#include "platform/PlatformLog.h"
#include "plot/CGraphPoint.h"
#include "plot/CGraphPointCurve.h"
#include "plot/CLogWindow.h"
#include "plot/CPointSettingsWindow.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::shell {
namespace {

constexpr unsigned kDown = 0xff54, kDelete = 0xffff;

// Runs the main loop until DONE holds or LIMIT has passed; returns DONE's last answer. What a
// widget shows is settled by the main loop in its own time (layout, idle handlers, the X
// server's replies), which on a loaded machine can take far longer than usual: a test waits
// for what it checks, never for a fixed number of turns.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Runs the main loop until nothing is pending for a while (a quiet spell of QUIET).
void pumpUntilQuiet(std::chrono::milliseconds quiet = std::chrono::milliseconds(150)) {
    auto since = std::chrono::steady_clock::now();
    const auto deadline = since + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        bool busy = false;
        while (g_main_context_iteration(nullptr, FALSE)) busy = true;
        const auto now = std::chrono::steady_clock::now();
        if (busy) since = now;
        else if (now - since >= quiet) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

class Widgets : public ::testing::Test {
   protected:
    void SetUp() override {
        static const bool display = [] {
            if (!gtk_init_check()) return false;
            Gtk::init_gtkmm_internals();
            return true;
        }();
        if (!display) GTEST_SKIP() << "no display";
        document = HeadlessWorkbench::newDocument();
        window = std::make_unique<Gtk::Window>();
    }
    // What the window does around every action: count it (and refresh, by the caller).
    FormBinding::Runner counting() {
        return [this](const std::function<void()>& action) {
            ++runs;
            action();
        };
    }
    // Shows a widget in a window and lets the main loop lay it out.
    void show(Gtk::Widget& widget, int width, int height) {
        window->set_default_size(width, height);
        window->set_child(widget);
        window->present();
        ASSERT_TRUE(pumpUntil([&widget] { return widget.get_height() >= 50; }))
            << "the widget was not laid out (height " << widget.get_height() << ")";
    }
    void TearDown() override {
        if (!window) return;
        window->unset_child();
        window.reset();
    }

    std::unique_ptr<MyDocument> document;
    std::unique_ptr<Gtk::Window> window;
    int runs = 0;
};

TEST_F(Widgets, TypedTextAndSteppedValuesReachTheStateAndRefreshSendsNothing) {
    FormBinding form(*document, counting());
    Gtk::Entry* name = form.entry("mName");
    Gtk::SpinButton* temperature = form.stepper("mStepHaliteTm");
    Gtk::Entry* phases = form.entry("mPhaseAssoc");
    ASSERT_TRUE(name && temperature && phases);
    EXPECT_EQ(form.entry("noSuchControl"), nullptr);
    form.refresh();
    EXPECT_EQ(runs, 0);

    EXPECT_TRUE(form.type("mName", "Brine 1"));
    EXPECT_EQ(document->cases().at(0).get("name").toString(), "Brine 1");
    temperature->set_value(320);
    EXPECT_EQ(document->mTm, 320);
    EXPECT_EQ(document->form().value("mHaliteTm"), 320);
    EXPECT_EQ(runs, 2);
    // A result field takes no input, and mirroring the form sends no action back.
    EXPECT_FALSE(form.type("mPhaseAssoc", "liquid"));
    form.refresh();
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(std::string(phases->get_text()), document->form().text("mPhaseAssoc"));
    EXPECT_FALSE(phases->get_editable());
}

TEST_F(Widgets, SteppersTakeTheirIncrementAndDisabledControlsTheirState) {
    FormBinding form(*document, counting());
    Gtk::SpinButton* fine = form.stepper("mStepHaliteXm1");
    Gtk::Button* reset = form.button("mResetButton", "Reset");
    ASSERT_TRUE(fine && reset);
    EXPECT_TRUE(form.type("mStepHaliteXm1", "20"));
    form.refresh();
    double step = 0, page = 0;
    fine->get_increments(step, page);
    EXPECT_NEAR(step, 0.2, 1e-12);
    // The state left the case's initial conditions: Reset is offered, and puts them back.
    EXPECT_TRUE(reset->get_sensitive());
    EXPECT_TRUE(form.click("mResetButton"));
    form.refresh();
    EXPECT_EQ(document->mXm, 30);
    EXPECT_FALSE(reset->get_sensitive());
    EXPECT_FALSE(form.click("mResetButton"));
}

TEST_F(Widgets, TableKeysGoToTheDocumentsRowCommands) {
    document->onAddCase();
    document->onAddCase();
    document->tableViewSetObjectValue(document->listView(), PlistValue("last"), "name", 2);
    CaseTable table(*document, counting());
    table.refresh();
    ASSERT_EQ(g_list_model_get_n_items(G_LIST_MODEL(table.get_model()->gobj())), 3u);
    table.selectRow(2);
    EXPECT_TRUE(table.keyPressed(kDown, 0));  // wraps to the first row
    EXPECT_EQ(document->listView().selectedRow(), 0);
    EXPECT_TRUE(table.keyPressed(kDown, 0));
    EXPECT_TRUE(table.keyPressed(kDown, gdkmask::shift));  // moves the case down
    EXPECT_EQ(document->cases().at(1).get("name").toString(), "last");
    EXPECT_TRUE(table.keyPressed(kDelete, 0));
    table.refresh();
    EXPECT_EQ(document->caseCount(), 2);
    EXPECT_EQ(g_list_model_get_n_items(G_LIST_MODEL(table.get_model()->gobj())), 2u);
    EXPECT_FALSE(table.keyPressed('a', 0));
}

// Cells show six significant digits as the fields do, and take edits in place: the row
// widgets stay, so a click on a row is not selected over again by its rebuilt row.
TEST_F(Widgets, CaseCellsShowSixDigitsAndRefreshInPlace) {
    document->tableViewSetObjectValue(document->listView(), PlistValue(29.8365526174065), "X0", 0);
    CaseTable table(*document, counting());
    table.refresh();
    show(table, 600, 200);
    auto cellText = [&table](const std::string& key) {
        for (const CaseTable::Cell& c : table.cells())
            if (c.row == 0 && c.key == key) return std::string(c.label->get_text());
        return std::string("(not shown)");
    };
    EXPECT_EQ(cellText("X0"), "29.8366");
    Gtk::Label* before = nullptr;
    for (const CaseTable::Cell& c : table.cells())
        if (c.row == 0 && c.key == "T0") before = c.label;
    ASSERT_NE(before, nullptr);
    document->tableViewSetObjectValue(document->listView(), PlistValue(1.88163e-05), "T0", 0);
    table.refresh();
    EXPECT_EQ(cellText("T0"), "0.0000188163");
    EXPECT_EQ(std::string(before->get_text()), "0.0000188163");  // the same label, rewritten
    EXPECT_EQ(runs, 0);
    window->unset_child();
}

TEST_F(Widgets, DragHandlersOutlineTheZoomRectangleInViewCoordinates) {
    GtkPlotServices::instance().setFirstResponder(nullptr);
    CDrawPlotView* host = document->hostNamed("mPTView");
    auto* area = Gtk::make_managed<PlotArea>(*host, nullptr);
    show(*area, 500, 400);
    const double h = area->canvas().get_height();
    area->onContextClick(250, 0.5 * h);
    ASSERT_TRUE(area->menuActions()->lookup_action("item0"));
    EXPECT_FALSE(area->menuActions()->lookup_action("item0")->get_enabled());  // no rectangle yet

    area->onDragBegin(150, 100);
    area->onDragUpdate(40, 30);
    area->onDragEnd(100, 120);
    const Rect r = host->plotView()->trackingRect();
    EXPECT_NEAR(r.minX(), 150, 1e-9);
    EXPECT_NEAR(r.maxX(), 250, 1e-9);
    EXPECT_NEAR(r.maxY(), h - 100, 1e-9);  // widget y runs down, view y up
    EXPECT_NEAR(r.minY(), h - 220, 1e-9);
    EXPECT_TRUE(host->zoomInButton().enabled);
    area->onContextClick(250, 0.5 * h);
    EXPECT_TRUE(area->menuActions()->lookup_action("item0")->get_enabled());
    EXPECT_EQ(GtkPlotServices::instance().firstResponder(), host->plotView());
}

// Regression: the plot menu's popover kept the size it opened with, before its last section
// ("Open in a new window...") had its size, which then lay below its fold.
TEST_F(Widgets, ThePlotMenuShowsEveryItemWithoutScrolling) {
    CDrawPlotView* host = document->hostNamed("mPTView");
    auto* area = Gtk::make_managed<PlotArea>(*host, nullptr);
    show(*area, 500, 400);
    const Rect inside = host->plotView()->getPlotRect();
    area->onContextClick(inside.midX(), area->canvas().get_height() - inside.midY());
    Gtk::PopoverMenu* popover = area->contextPopover();
    ASSERT_TRUE(popover);
    Gtk::Widget* scroller = popover->get_child();
    ASSERT_TRUE(scroller && scroller->get_first_child());
    Gtk::Widget* content = scroller->get_first_child();
    // The items' own heights, whatever the theme or a style sheet an application installed
    // makes them: the content holds them all once the last section has its size.
    auto itemHeights = [&] {
        std::vector<Gtk::Widget*> items;
        collectWidgets<Gtk::Widget>(
            *content, [](Gtk::Widget& w) { return std::string(w.get_css_name()) == "modelbutton"; },
            items);
        int sum = 0;
        for (Gtk::Widget* item : items) {
            int minimum = 0, natural = 0, baseline = 0;
            item->measure(Gtk::Orientation::VERTICAL, -1, minimum, natural, baseline, baseline);
            sum += natural;
        }
        return std::pair{items.size(), sum};
    };
    std::size_t items = 0;  // ten, in three sections
    for (const MenuItem& item : host->plotView()->plotMenu().items()) items += !item.isSeparator();
    int minimum = 0, natural = 0, baseline = 0;
    // The popover is placed again once its items have their size: wait for that, not longer.
    pumpUntil([&] {
        content->measure(Gtk::Orientation::VERTICAL, -1, minimum, natural, baseline, baseline);
        const auto [count, heights] = itemHeights();
        return count == items && heights > 0 && natural >= heights &&
               scroller->get_height() >= natural;
    });
    const auto [count, heights] = itemHeights();
    EXPECT_EQ(count, items);
    EXPECT_GT(heights, 10 * int(items));
    EXPECT_GE(natural, heights);
    EXPECT_GE(scroller->get_height(), natural);
    popover->popdown();
}

TEST_F(Widgets, APressWithoutADragSelectsThePointUnderItInsideThePlotOnly) {
    CDrawPlotView* host = document->hostNamed("mPTView");
    auto* area = Gtk::make_managed<PlotArea>(*host, [this] { ++runs; });
    show(*area, 500, 400);
    CPlotView& plot = *host->plotView();
    // A click in the margin, outside the plot rectangle: no point is selected; the state
    // stays, and the mark shows it.
    const double T = document->mTm, P = document->mPm;
    area->onDragBegin(5, 5);
    area->onDragEnd(1, 0);
    EXPECT_TRUE(plot.trackingRect().isZero());
    EXPECT_FALSE(plot.isTrackingMouse());
    EXPECT_EQ(document->mTm, T);
    EXPECT_EQ(document->mPm, P);
    EXPECT_TRUE(plot.isSelectionPointVisible());
    EXPECT_FLOAT_EQ(plot.selectedPointX(), static_cast<float>(T));
    EXPECT_EQ(runs, 2);  // the press and the release each refresh the window
    // Inside it, the point under the press is selected.
    const Rect inside = plot.getPlotRect();
    const double h = area->canvas().get_height();
    area->onDragBegin(inside.minX() + 3, h - inside.maxY() + 3);
    area->onDragEnd(0, 0);
    EXPECT_TRUE(plot.isSelectionPointVisible());
    EXPECT_NEAR(plot.getXValue(plot.selectedPointX()), inside.minX() + 3, 0.5);
}

// The point settings panel restyles the point at once; closing its window ends the session
// and keeps what was chosen.
TEST_F(Widgets, PointPanelChoicesReachThePointAndClosingKeepsThem) {
    CPlotView& plot = *document->mPTViewp;
    CGraphPoint* point = plot.plotPoint(500, 200, 1, Color::red());
    GtkPlotServices& services = GtkPlotServices::instance();
    services.showPointSettingsPanel(plot, *point);
    PointSettingsWindow* panel = services.pointSettingsWindow();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->get_visible());
    EXPECT_TRUE(panel->get_modal());
    // Regression: the panel was narrower than its title and grew with a longer choice.
    panel->chooseMarker(7);  // "Filled triangle down", the longest
    pumpUntil([panel] { return panel->get_width() >= 340; });
    pumpUntilQuiet();
    const int width = panel->get_width();
    EXPECT_GE(width, 340);
    panel->chooseMarker(4);
    pumpUntilQuiet();
    EXPECT_EQ(panel->get_width(), width);
    panel->chooseSize(9);
    EXPECT_EQ(point->selector(), 5);
    EXPECT_EQ(point->getToolSizeFactor(), 10.0f);
    panel->close();
    EXPECT_FALSE(CPointSettingsWindow::sharedPointsSettingsCtroller().isModalSessionRunning());
    EXPECT_FALSE(panel->get_visible());
    EXPECT_EQ(point->selector(), 5);
}

// The colour chooser opens on the colour it is given and follows the selection; its OK
// gives the chosen colour to the selected object of the plot that last had the mouse.
TEST_F(Widgets, TheColourChooserRecolorsTheSelectedObjectOfThePlotInFront) {
    GtkPlotServices& services = GtkPlotServices::instance();
    CPlotView& plot = *document->mPTViewp;
    CGraphPoint* point = plot.plotPoint(500, 200, 1, Color::red());
    plot.setSelectedObject(point);
    services.registerPlot(&plot);
    services.setFirstResponder(&plot);
    services.showColorPanel(Color::red());
    ASSERT_TRUE(pumpUntil([&] { return services.isColorPanelVisible(); }));
    Gtk::ColorChooserDialog* dialog = nullptr;
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
        if (auto* d = dynamic_cast<Gtk::ColorChooserDialog*>(w); d && d->get_visible()) dialog = d;
    ASSERT_NE(dialog, nullptr);
    EXPECT_NEAR(dialog->get_rgba().get_red(), 1.0, 1e-6);
    EXPECT_NEAR(dialog->get_rgba().get_green(), 0.0, 1e-6);
    services.setColorPanelColor(Color::blue());
    EXPECT_NEAR(dialog->get_rgba().get_blue(), 1.0, 1e-6);
    dialog->response(Gtk::ResponseType::OK);
    ASSERT_TRUE(pumpUntil([&] { return !services.isColorPanelVisible(); }));
    ASSERT_TRUE(point->color().has_value());
    EXPECT_NEAR(point->color()->blueComponent(), 1.0, 1e-6);
    EXPECT_NEAR(point->color()->redComponent(), 0.0, 1e-6);
    services.forgetPlot(&plot);
}

// An error is kept and logged; with no application window in front there is no dialog to
// show it in.
TEST_F(Widgets, AReportedErrorIsKeptAndLogged) {
    GtkPlotServices& services = GtkPlotServices::instance();
    const std::size_t before = services.reportedErrors().size();
    std::vector<std::string> logged;
    LogSink previous = setLogSink([&logged](const std::string& m) { logged.push_back(m); });
    services.reportError("cannot write no-such-folder/plot.pdf");
    setLogSink(previous);
    ASSERT_EQ(services.reportedErrors().size(), before + 1);
    EXPECT_EQ(services.reportedErrors().back(), "cannot write no-such-folder/plot.pdf");
    EXPECT_EQ(logged, (std::vector<std::string>{"cannot write no-such-folder/plot.pdf"}));
    EXPECT_EQ(services.parentWindow(), nullptr);
}

// The font dialog opens on the font being edited: its row selected and scrolled into view,
// wherever it lies in the list (regression: the list stayed at its top, on no font).
TEST_F(Widgets, TheFontDialogShowsTheCurrentFontInItsList) {
    GtkPlotServices& services = GtkPlotServices::instance();
    for (const Font& font : {Font("Liberation Serif", 15, true, true), Font("Helvetica", 12),
                             Font("DejaVu Sans Mono", 10, true, false)}) {
        services.showFontPanel(font);
        EXPECT_TRUE(pumpUntil([&] { return services.fontDialogShows(font); }))
            << font.installedFamily() << (font.isBold() ? " bold" : "")
            << (font.isItalic() ? " italic" : "");
    }
}

// The log window shows the shared log's text with its attributes while the log is shown.
// Whether the log window shows the character at AT in bold.
bool boldAt(LogWindow& window, std::size_t at) {
    for (const auto& tag : window.buffer()->get_iter_at_offset(static_cast<int>(at)).get_tags())
        if (tag->property_weight() == 700) return true;
    return false;
}

// Whether the log window comes to show the shared log's text (a change of the log reaches the
// window in an idle turn of its own, before the window draws).
bool comesToShow(LogWindow& window, CLogWindow& log) {
    return pumpUntil([&] { return std::string(window.buffer()->get_text()) == log.string(); });
}

// The log follows its end as recalculations append to it, however long it grows.
TEST_F(Widgets, LogWindowShowsTheEndOfALogLongerThanItsView) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    LogWindow& window = GtkPlotServices::instance().logWindow();
    log.clearText();
    log.showWindow();
    for (int i = 0; i < 200; ++i) log.appendFormat1("line %d", i);
    EXPECT_TRUE(pumpUntil([&window] { return window.get_mapped() && window.distanceFromEnd() < 1; }))
        << "the text shown lies " << window.distanceFromEnd() << " pixels above the end";
    for (int i = 0; i < 100; ++i) log.appendFormat1("more %d", i);
    EXPECT_TRUE(pumpUntil([&window] { return window.get_mapped() && window.distanceFromEnd() < 1; }))
        << "after more lines, " << window.distanceFromEnd() << " pixels above the end";
    log.clearText();
    log.orderOut();
    window.refresh();
}

// The log changed in the middle of a frame of its window, after GTK laid the window out and
// before it draws (as input handled in another window's frame changes it, in the same turn of
// the main loop): the text view laid the new lines out while it drew and moved the scroll bar
// drawn after it ("Trying to snapshot GtkGizmo ... without a current allocation", a warning
// GTK prints through its structured log, which the suite's run fails on).
TEST_F(Widgets, LogChangedBetweenLayoutAndDrawingDrawsWithoutAWarning) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    LogWindow& window = GtkPlotServices::instance().logWindow();
    log.clearText();
    log.showWindow();
    for (int i = 0; i < 200; ++i) log.appendFormat1("line %d", i);
    ASSERT_TRUE(pumpUntil([&] { return window.get_mapped() && window.distanceFromEnd() < 1; }));
    GdkFrameClock* clock = gdk_surface_get_frame_clock(window.get_surface()->gobj());
    int frames = 0;
    struct Appender {
        CLogWindow& log;
        int& frames;
    } appender{log, frames};
    // After the surface's own layout handler, which was connected when the window was realized.
    const gulong layout = g_signal_connect(
        clock, "layout", G_CALLBACK(+[](GdkFrameClock*, Appender* a) {
            a->log.appendFormat1("appended in frame %d", ++a->frames);
        }),
        &appender);
    for (int i = 0; i < 40; ++i) {
        const int before = frames;
        window.queue_draw();
        gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_LAYOUT);
        ASSERT_TRUE(pumpUntil([&] { return frames > before; }));
    }
    g_signal_handler_disconnect(clock, layout);
    EXPECT_TRUE(comesToShow(window, log));
    log.clearText();
    log.orderOut();
    window.refresh();
}

// The log's text view takes what each recalculation appends, in its fonts, without being
// built again (the buffer stays), and is built afresh when the log is cleared.
TEST_F(Widgets, LogWindowAppendsWhatTheLogAddsAndShowsAClearedLogAfresh) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    LogWindow& window = GtkPlotServices::instance().logWindow();
    log.clearText();
    log.showWindow();
    log.appendString1("first");
    ASSERT_TRUE(comesToShow(window, log));
    const auto buffer = window.buffer();
    for (int i = 0; i < 50; ++i) {
        log.appendFormat1("line %d", i);
        if (i % 10 == 0) {
            log.beginEditingRTF();
            log.appendRTF("\\b bold\\b0\\par ");
            log.endEditingRTF();
        }
    }
    EXPECT_TRUE(comesToShow(window, log));
    EXPECT_EQ(window.buffer(), buffer);
    const std::size_t at = log.string().rfind("bold");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(boldAt(window, at));
    log.clearText();
    log.appendString1("after");
    EXPECT_TRUE(comesToShow(window, log));
    log.orderOut();
    window.refresh();
}

TEST_F(Widgets, LogWindowMirrorsTheSharedLogAndItsBoldText) {
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    LogWindow& window = GtkPlotServices::instance().logWindow();
    log.clearText();
    log.showWindow();
    log.appendString1("T = 300");
    log.beginEditingRTF();
    log.appendRTF("\\b bold\\b0\\par ");
    log.endEditingRTF();
    EXPECT_TRUE(window.get_visible());
    EXPECT_TRUE(comesToShow(window, log));
    const std::size_t at = log.string().find("bold");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(boldAt(window, at));
    // A line far wider than the window wraps inside it (regression: it ran past the edge).
    std::string wide(60, 'x');
    wide.push_back(' ');
    wide.append(300, 'y');
    log.appendString1(wide);
    std::function<Gtk::ScrolledWindow*(Gtk::Widget*)> scrollerIn = [&](Gtk::Widget* w) {
        auto* found = dynamic_cast<Gtk::ScrolledWindow*>(w);
        for (Gtk::Widget* c = w->get_first_child(); c && !found; c = c->get_next_sibling())
            found = scrollerIn(c);
        return found;
    };
    auto* scroller = scrollerIn(window.get_child());
    ASSERT_NE(scroller, nullptr);
    const auto across = scroller->get_hadjustment();
    // The text view wraps its lines in idle turns after the window has its size.
    pumpUntil([&] {
        return window.get_width() > 0 && across->get_page_size() > 0 &&
               across->get_upper() <= across->get_page_size();
    });
    EXPECT_GT(across->get_page_size(), 0);
    EXPECT_LE(across->get_upper(), across->get_page_size());  // nothing hidden to the right
    log.orderOut();
    window.refresh();
    EXPECT_FALSE(window.get_visible());
}

// Return in a popover (an open menu) asks the popover's window which widget has the keyboard:
// GTK printed a critical when none had it, or when the popover lay in no window any more.
TEST_F(Widgets, ReturnInAPopoverWithNoFocusWidgetPrintsNoCriticalAndActsWithOne) {
    guardPopoverDefaultKey();
    int criticals = 0;
    const guint handler = g_log_set_handler(
        "Gtk", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
        [](const gchar*, GLogLevelFlags, const gchar*, gpointer count) { ++*static_cast<int*>(count); },
        &criticals);
    auto* box = GTK_WIDGET(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0));
    auto* entry = gtk_entry_new();
    gtk_box_append(GTK_BOX(box), entry);
    gtk_window_set_child(window->gobj(), box);
    window->present();
    ASSERT_TRUE(pumpUntil([entry] { return gtk_widget_get_mapped(entry); }));
    GtkWidget* popover = gtk_popover_new();
    gtk_widget_set_parent(popover, box);
    GtkWidget* button = gtk_button_new_with_label("Default");
    gtk_popover_set_child(GTK_POPOVER(popover), button);
    gtk_popover_set_default_widget(GTK_POPOVER(popover), button);
    int clicks = 0;
    g_signal_connect_swapped(button, "clicked", G_CALLBACK(+[](int* n) { ++*n; }), &clicks);

    gtk_window_set_focus(window->gobj(), nullptr);
    g_signal_emit_by_name(popover, "activate-default");
    EXPECT_EQ(criticals, 0) << "with no widget holding the keyboard";
    // The same through the popover's "default.activate" action, which an entry in it that
    // activates the default runs (GTK's action calls its handler directly, past the signal).
    gtk_widget_realize(popover);
    gtk_widget_activate_action(button, "default.activate", nullptr);
    EXPECT_EQ(criticals, 0) << "through the action, with no widget holding the keyboard";
    EXPECT_EQ(clicks, 0);

    // With a widget holding the keyboard, the key does what GTK does: that widget acts.
    gtk_popover_set_autohide(GTK_POPOVER(popover), FALSE);
    gtk_popover_popup(GTK_POPOVER(popover));
    ASSERT_TRUE(pumpUntil([button] { return gtk_widget_get_mapped(button); }));
    gtk_widget_grab_focus(button);
    g_signal_emit_by_name(popover, "activate-default");
    // A button activated shows itself pressed a moment before it reports the click.
    EXPECT_TRUE(pumpUntil([&clicks] { return clicks == 1; }));
    gtk_widget_activate_action(button, "default.activate", nullptr);
    EXPECT_TRUE(pumpUntil([&clicks] { return clicks == 2; })) << "through the action";

    GtkWidget* lone = gtk_popover_new();
    g_object_ref_sink(lone);
    g_signal_emit_by_name(lone, "activate-default");
    EXPECT_EQ(criticals, 0) << "in no window";
    g_object_unref(lone);

    gtk_widget_unparent(popover);
    g_log_remove_handler("Gtk", handler);
}


// The colour chooser opens on the selected object's colour, follows the selection, and its
// choice reaches the selected object of the plot in front only.
Gtk::ColorChooserDialog* colourDialog() {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
        if (auto* d = dynamic_cast<Gtk::ColorChooserDialog*>(w)) return d;
    return nullptr;
}

TEST_F(Widgets, ColourChooserOpensOnTheSelectionAndItsChoiceReachesIt) {
    GtkPlotServices& services = GtkPlotServices::instance();
    CPlotView* plot = document->mPTViewp;
    services.registerPlot(plot);
    services.setFirstResponder(plot);
    PlotServices::setShared(&services);
    CGraphPoint* red = plot->plotPoint(500, 200, 1, Color::red());
    CGraphPoint* blue = plot->plotPoint(400, 100, 1, Color::blue());
    plot->setSelectedObject(red);
    plot->onGraphObjectColor();
    ASSERT_TRUE(pumpUntil([&] { return services.isColorPanelVisible(); }));
    Gtk::ColorChooserDialog* dialog = colourDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->get_rgba(), Gdk::RGBA(1.0, 0.0, 0.0, 1.0));
    // Another object selected while the chooser is up: it shows that object's colour.
    plot->setSelectedObject(blue);
    plot->updateColorPanel();
    EXPECT_EQ(dialog->get_rgba(), Gdk::RGBA(0.0, 0.0, 1.0, 1.0));
    // Cancelled: nothing changes, and the chooser goes.
    dialog->set_rgba(Gdk::RGBA(0.0, 1.0, 0.0, 1.0));
    dialog->response(Gtk::ResponseType::CANCEL);
    EXPECT_EQ(blue->color(), Color::blue());
    EXPECT_TRUE(pumpUntil([&] { return !services.isColorPanelVisible(); }));
    // Chosen: the selected object takes the colour.
    plot->onGraphObjectColor();
    ASSERT_TRUE(pumpUntil([&] { return services.isColorPanelVisible(); }));
    EXPECT_EQ(dialog->get_rgba(), Gdk::RGBA(0.0, 0.0, 1.0, 1.0));
    dialog->set_rgba(Gdk::RGBA(0.0, 1.0, 0.0, 1.0));
    dialog->response(Gtk::ResponseType::OK);
    EXPECT_EQ(blue->getRed(), 0);
    EXPECT_EQ(blue->getGreen(), 65535);
    EXPECT_EQ(blue->getBlue(), 0);
    EXPECT_EQ(red->color(), Color::red());
    EXPECT_TRUE(pumpUntil([&] { return !services.isColorPanelVisible(); }));
    // With no plot in front the choice goes nowhere.
    services.setFirstResponder(nullptr);
    plot->onGraphObjectColor();
    ASSERT_TRUE(pumpUntil([&] { return services.isColorPanelVisible(); }));
    dialog->set_rgba(Gdk::RGBA(1.0, 1.0, 0.0, 1.0));
    dialog->response(Gtk::ResponseType::OK);
    EXPECT_EQ(blue->getRed(), 0);
    services.forgetPlot(plot);
    PlotServices::setShared(nullptr);
}

// A failure is kept and logged; its dialog needs an application window to stand over.
TEST_F(Widgets, AFailureIsKeptAndLoggedWithNoDialogWithoutAWindow) {
    GtkPlotServices& services = GtkPlotServices::instance();
    std::vector<std::string> logged;
    LogSink previous = setLogSink([&logged](const std::string& m) { logged.push_back(m); });
    const std::size_t before = services.reportedErrors().size();
    const std::size_t windows = Gtk::Window::list_toplevels().size();
    services.reportError("The plot could not be saved as PDF to /full/disk.pdf");
    setLogSink(previous);
    ASSERT_EQ(services.reportedErrors().size(), before + 1);
    EXPECT_EQ(services.reportedErrors().back(),
              "The plot could not be saved as PDF to /full/disk.pdf");
    EXPECT_EQ(logged, std::vector<std::string>{services.reportedErrors().back()});
    EXPECT_EQ(Gtk::Window::list_toplevels().size(), windows);
}

// The Fixed density box, ticked as its click does, holds the fluid's density: the pressure and
// salinity fields take no input, and a new temperature moves the pressure along the isochore
// (up with T). Cleared, it frees the fields again.
TEST_F(Widgets, TheFixedDensityBoxHoldsTheDensityAndFreesTheFieldsWhenCleared) {
    FormBinding form(*document, counting());
    Gtk::CheckButton* fixed = form.check("mFixDensity", "Fixed density");
    Gtk::SpinButton* temperature = form.stepper("mStepHaliteTm");
    Gtk::SpinButton* pressure = form.stepper("mStepHalitePm");
    Gtk::SpinButton* salinity = form.stepper("mStepHaliteXm");
    ASSERT_TRUE(fixed && temperature && pressure && salinity);
    form.refresh();
    ASSERT_TRUE(pressure->get_sensitive() && salinity->get_sensitive());
    const double rho = document->mRm, P = document->mPm, T = document->mTm;
    ASSERT_GT(rho, 0);

    gtk_widget_activate(GTK_WIDGET(fixed->gobj()));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(document->form()["mFixDensity"].state, 1);
    form.refresh();
    EXPECT_TRUE(fixed->get_active());
    EXPECT_FALSE(pressure->get_sensitive());
    EXPECT_FALSE(salinity->get_sensitive());
    temperature->set_value(T + 20);
    EXPECT_EQ(document->mTm, T + 20);
    EXPECT_NEAR(document->mRm, rho, 1e-3 * rho);
    EXPECT_GT(document->mPm, P);

    EXPECT_TRUE(form.click("mFixDensity"));  // the click of a box toggles it
    EXPECT_EQ(document->form()["mFixDensity"].state, 0);
    form.refresh();
    EXPECT_FALSE(fixed->get_active());
    EXPECT_TRUE(pressure->get_sensitive());
    EXPECT_TRUE(salinity->get_sensitive());
}

// Ctrl+Z in a text field: text typed and not yet taken goes back to what the field holds;
// with nothing typed it is the window's Undo (Shift: Redo); other keys are the field's own.
TEST_F(Widgets, ControlZInATextFieldTakesBackTheTypingElseItIsTheWindowsUndo) {
    FormBinding form(*document, counting());
    Gtk::Entry* name = form.entry("mName");
    ASSERT_TRUE(name);
    int undone = 0, redone = 0;
    auto actions = Gio::SimpleActionGroup::create();
    actions->add_action("undo", [&undone] { ++undone; });
    actions->add_action("redo", [&redone] { ++redone; });
    window->insert_action_group("win", actions);
    show(*name, 300, 60);
    form.refresh();
    const std::string held = document->form().text("mName");
    GtkEventController* keys =
        controllerOf(*name, GTK_TYPE_EVENT_CONTROLLER_KEY, GTK_PHASE_CAPTURE);
    ASSERT_TRUE(keys);
    auto press = [keys](guint key, GdkModifierType state) {
        gboolean handled = FALSE;
        g_signal_emit_by_name(keys, "key-pressed", key, 0u, state, &handled);
        return handled != FALSE;
    };
    name->set_text("Typed");
    EXPECT_TRUE(press(GDK_KEY_z, GDK_CONTROL_MASK));
    EXPECT_EQ(std::string(name->get_text()), held);
    EXPECT_EQ(undone, 0);
    EXPECT_TRUE(press(GDK_KEY_z, GDK_CONTROL_MASK));
    EXPECT_EQ(undone, 1);
    name->set_text("Typed");
    EXPECT_TRUE(press(GDK_KEY_Z, GdkModifierType(GDK_CONTROL_MASK | GDK_SHIFT_MASK)));
    EXPECT_EQ(redone, 1);
    EXPECT_EQ(std::string(name->get_text()), "Typed");  // Redo leaves the typing alone
    EXPECT_FALSE(press(GDK_KEY_z, GdkModifierType(0)));
    EXPECT_FALSE(press(GDK_KEY_y, GDK_CONTROL_MASK));
    EXPECT_EQ(undone + redone, 2);
    EXPECT_EQ(document->form().text("mName"), held);
    EXPECT_EQ(runs, 0);
    window->unset_child();
}

// The experimental-data panel's tick draws the one set with data (its ten published rows) in
// the P-x plot and takes it away again; a set without rows cannot be ticked.
TEST_F(Widgets, ExperimentalPanelTicksDrawTheSetWithDataInThePxPlot) {
    document->form()["mExpPanel"].hidden = false;
    ExperimentalPanel panel(*document, counting());
    panel.refresh();
    std::vector<Gtk::CheckButton*> boxes;
    ASSERT_TRUE(pumpUntil([&] {
        boxes = widgetsOf<Gtk::CheckButton>(panel);
        return boxes.size() >= 2;
    }));
    Gtk::CheckButton* withData = nullptr;
    int sensitive = 0;
    for (Gtk::CheckButton* b : boxes)
        if (b->get_sensitive()) withData = b, ++sensitive;
    ASSERT_EQ(sensitive, 1);
    auto liquid = [this] {
        auto* c = dynamic_cast<const CGraphPointCurve*>(
            document->mPxViewp->getGraphObjectWithName("exp_px_x0"));
        return c ? c->mPointsList() : std::vector<DataPoint>{};
    };
    gtk_widget_activate(GTK_WIDGET(withData->gobj()));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(document->experimentalSets().at(0).select);
    ASSERT_EQ(liquid().size(), 10u);
    EXPECT_EQ(liquid().front().x, 37.5f);
    for (std::size_t k = 1; k < document->experimentalSets().size(); ++k)
        EXPECT_FALSE(document->experimentalSets()[k].select) << k;
    gtk_widget_activate(GTK_WIDGET(withData->gobj()));
    EXPECT_FALSE(document->experimentalSets().at(0).select);
    EXPECT_TRUE(liquid().empty());
    panel.set_visible(false);
}

// A drag the system cuts short (a grab taken by another window) ends as a release where the
// pointer last was: the rectangle dragged so far stays, ready for Zoom in.
TEST_F(Widgets, ADragCutShortKeepsTheRectangleDraggedSoFar) {
    CDrawPlotView* host = document->hostNamed("mPTView");
    auto* area = Gtk::make_managed<PlotArea>(*host, [this] { ++runs; });
    show(*area, 500, 400);
    CPlotView& plot = *host->plotView();
    GtkEventController* drag = controllerOf(area->canvas(), GTK_TYPE_GESTURE_DRAG);
    ASSERT_TRUE(drag);
    const double h = area->canvas().get_height();
    g_signal_emit_by_name(drag, "drag-begin", 150.0, 100.0);
    EXPECT_TRUE(plot.isTrackingMouse());
    g_signal_emit_by_name(drag, "drag-update", 40.0, 30.0);
    g_signal_emit_by_name(drag, "cancel", static_cast<GdkEventSequence*>(nullptr));
    EXPECT_FALSE(plot.isTrackingMouse());
    const Rect r = plot.trackingRect();
    EXPECT_NEAR(r.minX(), 150, 1e-9);
    EXPECT_NEAR(r.maxX(), 190, 1e-9);
    EXPECT_NEAR(r.maxY(), h - 100, 1e-9);
    EXPECT_NEAR(r.minY(), h - 130, 1e-9);
    EXPECT_TRUE(host->zoomInButton().enabled);
    EXPECT_EQ(runs, 2);  // the press and the cut each refresh the window
}

// A press in the ternary diagram gives the ice panel the brine's NaCl : KCl ratio and
// salinity; a press in its margin chooses nothing.
TEST_F(Widgets, APressInTheTernaryDiagramGivesTheIcePanelItsComposition) {
    CTernaryPlotView& view = document->ternaryView();
    auto* area = Gtk::make_managed<TernaryArea>(view, [this] { ++runs; });
    show(*area, 400, 350);
    ASSERT_TRUE(pumpUntil([&] { return view.bounds().width() == area->get_width(); }));
    GtkEventController* press = controllerOf(*area, GTK_TYPE_GESTURE_CLICK);
    ASSERT_TRUE(press);
    const Point p = view.viewPointForComposition(16, 4);  // 80 % of the salt NaCl, 20 wt %
    g_signal_emit_by_name(press, "pressed", 1, p.x, area->get_height() - p.y);
    EXPECT_NEAR(document->form().value("mIceRatio"), 80, 0.5);
    EXPECT_NEAR(document->form().value("mIceSalinity"), 20, 0.5);
    g_signal_emit_by_name(press, "pressed", 1, 2.0, 2.0);
    EXPECT_EQ(view.mSela(), -1);
    EXPECT_NEAR(document->form().value("mIceRatio"), 80, 0.5);
    EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace vornex::shell

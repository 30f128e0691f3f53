// The application as its command line and its window's actions drive it, in a process of its
// own on a display (the suite registers it under xvfb-run; without a display it is skipped):
// a document named on the command line opens in its window, a refused one is reported and
// ends the run with a failure, and the window's undo, redo, print-plot and close actions do
// what their menu items say; the question before closing and GTK's file dialog are answered
// through their own buttons and responses.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/init.h>
#include <gtkmm/messagedialog.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "PlotWidget.h"
#include "WidgetSearch.h"
#include "WyvraApplication.h"
#include "plot/CAxisRangeWindow.h"
#include "plot/CGraphCurve.h"
#include "plot/CGraphPoint.h"
#include "workbench/HeadlessWorkbench.h"

namespace vornex::shell {
namespace {

// Closes GTK's print dialog once it shows (from a timeout: the dialog runs a loop of its
// own); `shown` tells whether it did within 20 s.
struct PrintDialogCloser {
    bool shown = false;
    int turns = 0;
    guint source = 0;
    PrintDialogCloser() {
        source = g_timeout_add(50, &PrintDialogCloser::look, this);
    }
    ~PrintDialogCloser() {
        if (!shown && turns < 400) g_source_remove(source);
    }
    static gboolean look(gpointer data) {
        auto* self = static_cast<PrintDialogCloser*>(data);
        GListModel* toplevels = gtk_window_get_toplevels();
        for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
            auto* w = static_cast<GtkWindow*>(g_list_model_get_item(toplevels, i));
            const bool dialog = std::string(G_OBJECT_TYPE_NAME(w)) == "GtkPrintUnixDialog" &&
                                gtk_widget_get_mapped(GTK_WIDGET(w));
            if (dialog) gtk_window_close(w);
            g_object_unref(w);
            if (dialog) {
                self->shown = true;
                return G_SOURCE_REMOVE;
            }
        }
        return ++self->turns < 400 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }
};

// The visible toplevel of GTK type TYPE_NAME (a plain GTK dialog), or null.
GtkWindow* shownToplevel(const char* typeName) {
    GListModel* toplevels = gtk_window_get_toplevels();
    GtkWindow* found = nullptr;
    for (guint i = 0; i < g_list_model_get_n_items(toplevels) && !found; ++i) {
        auto* w = static_cast<GtkWindow*>(g_list_model_get_item(toplevels, i));
        if (std::string(G_OBJECT_TYPE_NAME(w)) == typeName && gtk_widget_get_visible(GTK_WIDGET(w)))
            found = w;
        g_object_unref(w);
    }
    return found;
}

// The question shown over WINDOW before it closes, or null.
Gtk::MessageDialog* closeQuestionOver(Gtk::Window& window) {
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
        if (auto* d = dynamic_cast<Gtk::MessageDialog*>(w);
            d && d->get_visible() && d->get_transient_for() == &window)
            return d;
    return nullptr;
}

// Answers the question over WINDOW by a click on the button LABEL; false when there is none.
bool answerCloseQuestion(Gtk::Window& window, const std::string& label) {
    Gtk::MessageDialog* question = closeQuestionOver(window);
    Gtk::Button* button = question ? buttonLabelled(*question, label) : nullptr;
    if (!button) return false;
    click(button);
    runPendingEvents();
    return true;
}

std::string head(const std::filesystem::path& file, std::size_t n) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes(n, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(n));
    return in ? bytes : std::string();
}

// Answers the save panel GTK shows with `name` in `folder` (Accept) or Cancel, as a person
// does in its dialog, and waits until the panel has taken the answer.
void answerSavePanel(const std::filesystem::path& folder, const char* name, int response) {
    GtkPlotServices& services = GtkPlotServices::instance();
    ASSERT_TRUE(services.isSavePanelOpen());
    GtkWindow* dialog = nullptr;
    for (int turn = 0; turn < 400 && !dialog; ++turn) {
        runPendingEvents();
        dialog = shownToplevel("GtkFileChooserDialog");
        if (!dialog) g_usleep(50000);
    }
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    GFile* where = g_file_new_for_path(folder.c_str());
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), where, nullptr);
    g_object_unref(where);
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dialog), name);
    gtk_dialog_response(GTK_DIALOG(dialog), response);
    // The dialog looks the file up before it answers.
    for (int turn = 0; turn < 400 && services.isSavePanelOpen(); ++turn) {
        runPendingEvents();
        if (services.isSavePanelOpen()) g_usleep(50000);
    }
    EXPECT_FALSE(services.isSavePanelOpen());
}

// The action of the item titled `title` in the popover's menu ("item3"), empty when the menu
// shows no such item.
std::string actionTitled(Gtk::PopoverMenu* popover, const std::string& title) {
    if (!popover || !popover->get_menu_model()) return {};
    GMenuModel* root = popover->get_menu_model()->gobj();
    for (int i = 0; i < g_menu_model_get_n_items(root); ++i) {
        GMenuModel* section = g_menu_model_get_item_link(root, i, G_MENU_LINK_SECTION);
        if (!section) continue;
        std::string found;
        for (int j = 0; j < g_menu_model_get_n_items(section) && found.empty(); ++j) {
            gchar* label = nullptr;
            gchar* action = nullptr;
            if (g_menu_model_get_item_attribute(section, j, G_MENU_ATTRIBUTE_LABEL, "s", &label) &&
                g_menu_model_get_item_attribute(section, j, G_MENU_ATTRIBUTE_ACTION, "s",
                                                &action) &&
                title == label) {
                const std::string full = action;
                found = full.substr(full.find('.') + 1);
            }
            g_free(label);
            g_free(action);
        }
        g_object_unref(section);
        if (!found.empty()) return found;
    }
    return {};
}

class WindowActions : public ::testing::Test {
   protected:
    void SetUp() override {
        static const bool opened = gtk_init_check() && (Gtk::init_gtkmm_internals(), true);
        if (!opened) GTEST_SKIP() << "no display";
        // The program's name, which its own command line gives it: the list of recent files
        // records each document opened under it.
        if (g_get_prgname() == nullptr) g_set_prgname("wyvra");
        folder = std::filesystem::temp_directory_path() /
                 ("vornex-actions-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        app = WyvraApplication::create();
        app->set_flags(app->get_flags() | Gio::Application::Flags::NON_UNIQUE);
        ASSERT_TRUE(app->register_application());
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    // What the command line's files do: the application's open, as GIO calls it.
    void openFromCommandLine(const std::vector<std::string>& paths) {
        std::vector<Glib::RefPtr<Gio::File>> files;
        for (const auto& p : paths) files.push_back(Gio::File::create_for_path(p));
        app->open(files);
        runPendingEvents();
    }
    // A new document window, shown, and the area of its P-T plot.
    PlotArea* newWindowsPTPlot(DocumentWindow*& window) {
        window = app->newDocument();
        window->present();
        runPendingEvents();
        return window->plotArea("mPTViewp");
    }
    std::filesystem::path folder;
    Glib::RefPtr<WyvraApplication> app;
};

TEST_F(WindowActions, DocumentsNamedOnTheCommandLineOpenAndTheActionsAct) {
    const std::string path = (folder / "saved.wyvra").string();
    {
        auto document = HeadlessWorkbench::newDocument();
        ASSERT_TRUE(document->saveToFile(path).ok());
    }
    openFromCommandLine({path});
    ASSERT_EQ(app->windows().size(), 1u);
    DocumentWindow& window = *app->windows().front();
    EXPECT_EQ(std::filesystem::path(window.document().fileName()), std::filesystem::path(path));
    EXPECT_EQ(app->exitStatus(), 0);
    openFromCommandLine({path});  // the same file again: its window, not a second one
    EXPECT_EQ(app->windows().size(), 1u);

    // Undo and Redo act on the document's own changes.
    CPlotView& plot = *window.document().mPTViewp;
    auto rangeShown = [](const CPlotView& p) {
        return std::vector<float>{p.mCurrentMinX(), p.mCurrentMaxX(), p.mCurrentMinY(),
                                  p.mCurrentMaxY()};
    };
    const auto before = rangeShown(plot);
    plot.doChangeAxisRanges(before[0] + 10, before[1] - 10, before[2] + 5, before[3] - 5);
    window.refresh();  // as after every change: Undo is enabled now
    const auto changed = rangeShown(plot);
    ASSERT_NE(changed, before);
    window.activate_action("win.undo");
    EXPECT_EQ(rangeShown(plot), before);
    window.activate_action("win.undo");  // nothing more to undo: disabled, no change
    EXPECT_EQ(rangeShown(plot), before);
    window.activate_action("win.redo");
    EXPECT_EQ(rangeShown(plot), changed);

    // Print Plot opens the print dialog over the window.
    {
        PrintDialogCloser closer;
        window.activate_action("win.print-plot");
        runPendingEvents();
        EXPECT_TRUE(closer.shown);
    }
    EXPECT_EQ(rangeShown(plot), changed);

    // Close ends the window once its unsaved change is settled: saved first, it goes at once.
    ASSERT_TRUE(window.document().saveToFile(path).ok());
    ASSERT_FALSE(window.document().isDocumentEdited());
    window.activate_action("win.close");
    runPendingEvents();
    EXPECT_TRUE(app->windows().empty());

    // A file that cannot be read opens no window; with none open the run ends with status 1.
    const auto& errors = GtkPlotServices::instance().reportedErrors();
    const std::size_t reported = errors.size();
    openFromCommandLine({(folder / "missing.wyvra").string()});
    EXPECT_TRUE(app->windows().empty());
    EXPECT_EQ(app->exitStatus(), 1);
    ASSERT_EQ(errors.size(), reported + 1);
    EXPECT_NE(errors.back().find("missing.wyvra"), std::string::npos) << errors.back();
}

// A new window nobody has used gives way to the document opened; one with an edit stays. The
// question before closing an edited window is answered by its buttons: Cancel keeps the window
// and its edit, Save writes the edit to the document's file and closes, Close without Saving
// closes and writes nothing.
TEST_F(WindowActions, ANewWindowGivesWayAndTheQuestionBeforeClosingIsAnsweredByItsButtons) {
    const std::string path = (folder / "edited.wyvra").string();
    {
        auto document = HeadlessWorkbench::newDocument();
        ASSERT_TRUE(document->saveToFile(path).ok());
    }
    app->newDocument()->present();
    DocumentWindow* opened = app->openDocument(path);
    runPendingEvents();
    ASSERT_EQ(app->windows().size(), 1u);
    ASSERT_EQ(app->windows().front().get(), opened);

    ASSERT_TRUE(opened->form().type("mStepHaliteTm", "285"));
    ASSERT_TRUE(opened->document().isDocumentEdited());
    opened->activate_action("win.close");
    runPendingEvents();
    ASSERT_TRUE(opened->isAskingBeforeClosing());
    EXPECT_NE(closeQuestionOver(*opened), nullptr);
    ASSERT_TRUE(answerCloseQuestion(*opened, "_Cancel"));
    ASSERT_EQ(app->windows().size(), 1u);
    EXPECT_FALSE(opened->isAskingBeforeClosing());
    EXPECT_TRUE(opened->document().isDocumentEdited());
    EXPECT_EQ(opened->document().mTm, 285);

    opened->activate_action("win.close");
    runPendingEvents();
    ASSERT_TRUE(answerCloseQuestion(*opened, "_Save"));
    ASSERT_TRUE(app->windows().empty());
    {
        auto saved = HeadlessWorkbench::openDocument(path);
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->cases().at(0).get("Tm").toDouble(), 285);
    }

    DocumentWindow* untitled = app->newDocument();
    untitled->present();
    ASSERT_TRUE(untitled->form().type("mStepHaliteTm", "290"));
    DocumentWindow* reopened = app->openDocument(path);
    ASSERT_NE(reopened, nullptr);
    runPendingEvents();
    ASSERT_EQ(app->windows().size(), 2u);  // the edited new window stays
    EXPECT_EQ(reopened->document().mTm, 285);
    reopened->activate_action("win.close");  // unchanged: closes without asking
    runPendingEvents();
    ASSERT_EQ(app->windows().size(), 1u);

    auto files = [this] {
        return std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator());
    };
    const auto written = files();
    untitled->activate_action("win.close");
    runPendingEvents();
    ASSERT_TRUE(answerCloseQuestion(*untitled, "Close _without Saving"));
    EXPECT_TRUE(app->windows().empty());
    EXPECT_EQ(files(), written);
}

// The plot's Save as PDF asks for a file in GTK's file dialog: the file named there is written
// as a PDF, Cancel writes nothing. The point panel closed by its window's close button takes the
// colour chooser it opened along.
TEST_F(WindowActions, ThePlotsSavePanelWritesWhereItsDialogSaysAndPanelsCloseTheirChooser) {
    DocumentWindow* window = nullptr;
    PlotArea* area = newWindowsPTPlot(window);
    ASSERT_NE(area, nullptr);
    CPlotView& plot = area->plot();
    GtkPlotServices& services = GtkPlotServices::instance();
    auto saveAsPdf = [&](const char* name, int response) {
        const Rect inside = plot.getPlotRect();
        area->onContextClick(inside.midX(), area->canvas().get_height() - inside.maxY() + 2);
        int item = -1;
        for (std::size_t i = 0; i < plot.plotMenu().size(); ++i)
            if (plot.plotMenu().item(i).actionName() == "onPrintPlot:") item = static_cast<int>(i);
        ASSERT_GE(item, 0);
        area->menuActions()->activate_action("item" + std::to_string(item));
        if (area->contextPopover()) area->contextPopover()->popdown();
        answerSavePanel(folder, name, response);
    };
    saveAsPdf("cancelled", GTK_RESPONSE_CANCEL);
    EXPECT_FALSE(std::filesystem::exists(folder / "cancelled.pdf"));
    saveAsPdf("pt", GTK_RESPONSE_ACCEPT);  // the type's extension is added
    EXPECT_EQ(head(folder / "pt.pdf", 5), "%PDF-");

    CGraphPoint* point = plot.plotPoint(300, 400, 1, Color::red());
    services.showPointSettingsPanel(plot, *point);
    PointSettingsWindow* panel = services.pointSettingsWindow();
    ASSERT_NE(panel, nullptr);
    runPendingEvents();
    ASSERT_TRUE(panel->get_visible());
    services.showColorPanel(Color::red());
    runPendingEvents();
    ASSERT_TRUE(services.isColorPanelVisible());
    panel->close();
    runPendingEvents();
    EXPECT_FALSE(panel->get_visible());
    EXPECT_FALSE(services.isColorPanelVisible());
    window->closeConfirmed();
    runPendingEvents();
}

// The plot's own menu, a curve's and a point's, opened by a right click on the P-T plot and
// chosen in the popover GTK shows, as a person chooses them: each item does what it says.
TEST_F(WindowActions, ItemsChosenInTheContextPopoverActOnThePlot) {
    DocumentWindow* window = nullptr;
    PlotArea* area = newWindowsPTPlot(window);
    ASSERT_NE(area, nullptr);
    CPlotView& plot = area->plot();
    GtkPlotServices& services = GtkPlotServices::instance();
    const double h = area->canvas().get_height();
    // A right click at the data point (x, y), then the item titled `title` in its popover.
    auto choose = [&](float x, float y, const std::string& title) {
        const Point at = plot.viewPoint(x, y);
        area->onContextClick(at.x, h - at.y);
        const std::string action = actionTitled(area->contextPopover(), title);
        EXPECT_FALSE(action.empty()) << "no \"" << title << "\" where clicked";
        if (action.empty()) return false;
        area->menuActions()->activate_action(action);
        if (area->contextPopover()) area->contextPopover()->popdown();
        runPendingEvents();
        return true;
    };
    const float x0 = plot.mCurrentMinX(), x1 = plot.mCurrentMaxX();
    const float y0 = plot.mCurrentMinY(), y1 = plot.mCurrentMaxY();
    const float xm = 0.5f * (x0 + x1), ym = 0.5f * (y0 + y1);

    // Zoom in takes the rectangle dragged; Zoom out then squeezes the whole range into the
    // next one: a rectangle of half the plot's width doubles the x span.
    const Rect inside = plot.getPlotRect();
    auto drag = [&] {
        area->onDragBegin(inside.midX() - 0.25 * inside.width(), h - inside.midY() - 20);
        area->onDragUpdate(0.25 * inside.width(), 20);
        area->onDragEnd(0.5 * inside.width(), 40);
        runPendingEvents();
        return !plot.trackingRect().isZero();
    };
    ASSERT_TRUE(drag());
    ASSERT_TRUE(choose(xm, ym, "Zoom in"));
    const float zoomed = plot.mCurrentMaxX() - plot.mCurrentMinX();
    EXPECT_NEAR(zoomed, 0.5f * (x1 - x0), 0.02f * (x1 - x0));
    ASSERT_TRUE(drag());
    ASSERT_TRUE(choose(xm, ym, "Axis ranges by default..."));
    EXPECT_EQ(plot.mCurrentMinX(), x0);
    EXPECT_EQ(plot.mCurrentMaxX(), x1);
    EXPECT_EQ(plot.mCurrentMaxY(), y1);
    ASSERT_TRUE(choose(xm, ym, "Set Axis ranges..."));
    EXPECT_TRUE(services.axisRangeWindow().get_visible());
    EXPECT_EQ(CAxisRangeWindow::sharedAxisRangeWindowCtroller().currentPlotView(), &plot);
    services.axisRangeWindow().close();
    runPendingEvents();

    // The logarithmic y axis is ticked on, then off again.
    ASSERT_TRUE(choose(xm, ym, "Logarithmic Y axis"));
    EXPECT_TRUE(plot.showLogY());
    ASSERT_TRUE(choose(xm, ym, "Logarithmic Y axis"));
    EXPECT_FALSE(plot.showLogY());

    // A curve's menu: its settings panel, and its points written as Igor text where the save
    // panel's dialog says.
    const CGraphCurve* curve = nullptr;
    CurvePoint on{};
    for (const auto& object : plot.graphObjects()) {
        const auto* c = dynamic_cast<const CGraphCurve*>(object.get());
        if (!c || curve) continue;
        const auto& points = c->mPointsList();
        for (std::size_t k = points.size() / 2; k < points.size(); ++k)
            if (!points[k].penUp && points[k].x > x0 && points[k].x < x1 && points[k].y > y0 &&
                points[k].y < y1) {
                curve = c;
                on = points[k];
                break;
            }
    }
    ASSERT_NE(curve, nullptr) << "no curve within the P-T plot's ranges";
    ASSERT_TRUE(choose(on.x, on.y, "Settings panel..."));
    ASSERT_NE(services.curveSettingsWindow(), nullptr);
    EXPECT_TRUE(services.curveSettingsWindow()->get_visible());
    services.curveSettingsWindow()->close();
    runPendingEvents();
    ASSERT_TRUE(choose(on.x, on.y, "Save to Igor data file..."));
    answerSavePanel(folder, "curve.itx", GTK_RESPONSE_ACCEPT);
    EXPECT_EQ(head(folder / "curve.itx", 4), "IGOR");

    // A point's menu, where the plot's own opened before: its settings panel.
    CGraphPoint* point = plot.plotPoint(xm, ym, 1, Color::red());  // where nothing else lies
    // A click finds a marker where it was last drawn: the window draws it first.
    for (int frame = 0; frame < 25; ++frame) {
        area->canvas().queue_draw();
        runPendingEvents();
        g_usleep(20000);
    }
    ASSERT_TRUE(choose(point->getX(), point->getY(), "Settings panel..."));
    ASSERT_NE(services.pointSettingsWindow(), nullptr);
    EXPECT_TRUE(services.pointSettingsWindow()->get_visible());
    services.pointSettingsWindow()->close();
    runPendingEvents();
    window->closeConfirmed();
    runPendingEvents();
}

// Regression: in a window 1280 pixels wide the Boiling tab's fields lay off its right edge
// (4 px of them showed) until the page was scrolled sideways. They show whole when the tab
// opens, at 1280 pixels as in the window's own size.
TEST_F(WindowActions, TheBoilingPanelsFieldsShowWholeIn1280Pixels) {
    for (const int width : {1280, 1360}) {
        DocumentWindow* window = app->newDocument();
        window->set_default_size(width, 800);
        window->present();
        runPendingEvents();
        Gtk::Notebook& tabs = window->tabs();
        tabs.set_current_page(5);
        Gtk::Widget* page = tabs.get_nth_page(5);
        ASSERT_NE(page, nullptr);
        // Until GTK has laid the page out.
        for (int turn = 0; turn < 250 && !(page->get_mapped() && page->get_width() > 0); ++turn) {
            runPendingEvents();
            g_usleep(20000);
        }
        runPendingEvents();
        ASSERT_GT(page->get_width(), 0);
        int fields = 0;
        for (const std::string& name : window->document().form().names()) {
            if (name.rfind("mBoil", 0) != 0) continue;
            Gtk::Widget* field = window->form().widget(name);
            if (!field || !field->get_mapped()) continue;
            graphene_rect_t r;
            ASSERT_TRUE(gtk_widget_compute_bounds(field->gobj(), page->gobj(), &r)) << name;
            EXPECT_GE(r.origin.x, 0) << name << " at " << width;
            EXPECT_LE(r.origin.x + r.size.width, page->get_width() + 0.5) << name << " at " << width;
            ++fields;
        }
        EXPECT_GT(fields, 20) << width;
        window->document().updateChangeCount(ChangeKind::Cleared);
        window->activate_action("win.close");
        runPendingEvents();
    }
}

// A window of the application that has been hidden (the log, closed) is no parent: with no
// other window an error has no dialog (it had one over the hidden log), and with a document
// window shown its dialog stands over that.
TEST_F(WindowActions, DialogsStandOverAShownWindowNeverAHiddenOne) {
    GtkPlotServices& services = GtkPlotServices::instance();
    Gtk::Window closed;
    app->add_window(closed);
    ASSERT_EQ(app->get_active_window(), &closed);
    ASSERT_FALSE(closed.get_visible());
    EXPECT_EQ(services.parentWindow(), nullptr);
    const std::size_t windows = Gtk::Window::list_toplevels().size();
    services.reportError("The plot could not be saved as PDF to /full/disk.pdf");
    EXPECT_EQ(Gtk::Window::list_toplevels().size(), windows);

    DocumentWindow* window = nullptr;
    newWindowsPTPlot(window);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(services.parentWindow(), window);
    services.reportError("The plot could not be saved as PDF to /full/disk.pdf");
    int dialogs = 0;
    for (Gtk::Window* w : Gtk::Window::list_toplevels())
        if (dynamic_cast<Gtk::MessageDialog*>(w) && w->get_transient_for() == window) {
            ++dialogs;
            w->close();
        }
    EXPECT_EQ(dialogs, 1);
    runPendingEvents();
    app->remove_window(closed);
    window->document().updateChangeCount(ChangeKind::Cleared);
    window->activate_action("win.close");
    runPendingEvents();
}

}  // namespace
}  // namespace vornex::shell

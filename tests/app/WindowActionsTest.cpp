// The application as its command line and its window's actions drive it, in a process of its
// own on a display (the suite registers it under xvfb-run; without a display it is skipped):
// a document named on the command line opens in its window, a refused one is reported and
// ends the run with a failure, and the window's undo, redo, print-plot and close actions do
// what their menu items say.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/init.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "WidgetSearch.h"
#include "WyvraApplication.h"
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

}  // namespace
}  // namespace vornex::shell

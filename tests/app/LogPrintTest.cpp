// The log window's buttons and its printing, on a display (the suite registers them under
// xvfb-run; without a display they are skipped): Clear empties the log; Print… opens the
// print dialog; the log printed into a PDF holds every line once, in order, a long line whole,
// and a PDF that cannot be written is reported.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/init.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "WidgetSearch.h"
#include "plot/CLogWindow.h"

namespace vornex::shell {
namespace {

// What a command writes on its standard output.
std::string outputOf(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

class WidgetsLog : public ::testing::Test {
   protected:
    void SetUp() override {
        static const bool opened = gtk_init_check() && (Gtk::init_gtkmm_internals(), true);
        if (!opened) GTEST_SKIP() << "no display";
        log.clearText();
        log.showWindow();
        runPendingEvents();
    }
    void TearDown() override {
        log.clearText();
        log.orderOut();
        runPendingEvents();
    }
    CLogWindow& log = CLogWindow::sharedLogWindowCtroller();
    LogWindow& window() { return GtkPlotServices::instance().logWindow(); }
};

TEST_F(WidgetsLog, ClearEmptiesTheLogAndItsWindow) {
    log.appendString1("Th = 250.0");
    runPendingEvents();
    Gtk::Button* clear = buttonLabelled(window(), "Clear");
    ASSERT_NE(clear, nullptr);
    click(clear);
    runPendingEvents();
    EXPECT_EQ(log.string(), "");
    EXPECT_EQ(std::string(window().buffer()->get_text()), "");
    log.appendString("again");
    runPendingEvents();
    EXPECT_EQ(std::string(window().buffer()->get_text()), "again");
}

// Print… opens GTK's print dialog over the log; closed, it prints nothing and leaves the log.
TEST_F(WidgetsLog, PrintOpensThePrintDialog) {
    log.appendString1("Tm = -2.1");
    runPendingEvents();
    Gtk::Button* print = buttonLabelled(window(), "Print\u2026");
    ASSERT_NE(print, nullptr);
    struct Seen {
        bool dialog = false;
        int turns = 0;
    } seen;
    // The dialog runs its own loop: a timeout finds it among the toplevels and closes it.
    const guint source = g_timeout_add(
        50,
        [](gpointer data) -> gboolean {
            auto* s = static_cast<Seen*>(data);
            GListModel* toplevels = gtk_window_get_toplevels();
            for (guint i = 0; i < g_list_model_get_n_items(toplevels); ++i) {
                auto* w = static_cast<GtkWindow*>(g_list_model_get_item(toplevels, i));
                const bool isPrintDialog =
                    std::string(G_OBJECT_TYPE_NAME(w)) == "GtkPrintUnixDialog" &&
                    gtk_widget_get_mapped(GTK_WIDGET(w));
                if (isPrintDialog) {
                    s->dialog = true;
                    gtk_window_close(w);
                }
                g_object_unref(w);
                if (isPrintDialog) return G_SOURCE_REMOVE;
            }
            return ++s->turns < 400 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;  // 20 s at most
        },
        &seen);
    click(print);
    runPendingEvents();
    if (!seen.dialog && seen.turns < 400) g_source_remove(source);
    EXPECT_TRUE(seen.dialog);
    EXPECT_EQ(log.string(), "Tm = -2.1\n");
}

// Enough lines for several pages, and a line wider than the page: every line is printed once
// and in order (none lost or doubled at a page break), the long one wrapped but whole.
TEST_F(WidgetsLog, PrintedLogHoldsEveryLineOnWholePages) {
    std::string longLine;
    for (int i = 0; i < 60; ++i) longLine += "w" + std::to_string(100 + i) + " ";
    for (int i = 0; i < 160; ++i) {
        log.appendFormat1("line %03d", i);
        if (i == 70) log.appendString1(longLine);
    }
    const std::filesystem::path pdf =
        std::filesystem::temp_directory_path() / ("vornex-log-" + std::to_string(::getpid()) + ".pdf");
    ASSERT_TRUE(window().exportPdf(pdf.string()));
    const std::string info = outputOf("pdfinfo '" + pdf.string() + "'");
    int pages = 0;
    std::sscanf(info.c_str() + std::min(info.size(), info.find("Pages:")), "Pages: %d", &pages);
    ASSERT_GE(pages, 3) << info;
    std::vector<std::string> printed;
    for (int page = 1; page <= pages; ++page) {
        const auto words = wordsOf(outputOf("pdftotext -f " + std::to_string(page) + " -l " +
                                            std::to_string(page) + " '" + pdf.string() + "' -"));
        EXPECT_FALSE(words.empty()) << "page " << page;
        printed.insert(printed.end(), words.begin(), words.end());
    }
    std::filesystem::remove(pdf);
    std::vector<std::string> expected;
    for (int i = 0; i < 160; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", i);
        expected.insert(expected.end(), {"line", number});
        if (i == 70) {
            const auto words = wordsOf(longLine);
            expected.insert(expected.end(), words.begin(), words.end());
        }
    }
    EXPECT_EQ(printed, expected);
    // A file that cannot be made is said so (it once threw out of the print operation).
    const auto& errors = GtkPlotServices::instance().reportedErrors();
    const std::size_t before = errors.size();
    EXPECT_FALSE(window().exportPdf("/nonexistent-folder/log.pdf"));
    ASSERT_EQ(errors.size(), before + 1);
    EXPECT_EQ(errors.back().rfind("Could not print the log: ", 0), 0u) << errors.back();
}

}  // namespace
}  // namespace vornex::shell

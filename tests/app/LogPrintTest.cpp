// The log window's buttons and its printing, on a display (the suite registers them under
// xvfb-run; without a display they are skipped): Clear empties the log; Print… opens the
// print dialog and prints through it to a file with no printer attached; the log printed into
// a PDF holds every line once, in order, a long line whole, none cut at a page's foot, and a
// PDF that cannot be written is reported.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/init.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "GtkPlotServices.h"
#include "PanelWindows.h"
#include "PrintToFile.h"
#include "WidgetSearch.h"
#include "plot/CLogWindow.h"

namespace vornex::shell {
namespace {

// Checks the pages of a printed log whose lines each begin with the word "line": no word
// lies outside the printable area of GTK's default page setup (the print keeps its paper),
// and each page ends only where what follows would not have fitted: the next line whole, or
// the next row of a line that goes on over the page.
void expectPagesFilledAndWhole(const std::vector<PageBoxes>& boxes) {
    const PrintableArea area = defaultPrintableArea();
    const double top = area.top, foot = area.top + area.height;
    for (std::size_t p = 0; p < boxes.size(); ++p) {
        const PageBoxes& page = boxes[p];
        ASSERT_FALSE(page.words.empty()) << "page " << p + 1;
        EXPECT_NEAR(page.height, area.paperHeight, 0.5);
        double bottom = 0;
        int outside = 0;
        for (const WordBox& w : page.words) {
            if (w.yMin < top - 0.5 || w.yMax > foot + 0.5) ++outside;
            bottom = std::max(bottom, w.yMax);
        }
        EXPECT_EQ(outside, 0) << "words beyond the printable area of page " << p + 1;
        if (p + 1 == boxes.size()) break;
        // What follows: the next page's first line, up to the next line's first word, or
        // only its first row where it goes on from this page.
        const auto& next = boxes[p + 1].words;
        double followingBottom = next.front().yMax;
        for (std::size_t k = 1;
             next.front().text == "line" && k < next.size() && next[k].text != "line"; ++k)
            followingBottom = std::max(followingBottom, next[k].yMax);
        EXPECT_GT(bottom + (followingBottom - next.front().yMin), foot)
            << "page " << p + 1 << " ends early";
    }
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

// Print… completed through the print dialog with GTK's "Print to File" printer, as a user does
// with no printer attached. A log of 109 lines, some of them state reports wider than the page:
// the PDF holds every word once and in order, no line reaches past the printable area, and
// each page ends only where the next line, whole, would not have fitted.
TEST_F(WidgetsLog, PrintButtonPrintsEveryLineToAFileThroughTheDialog) {
    constexpr int kLines = 109;
    std::vector<std::string> expected;
    for (int i = 0; i < kLines; ++i) {
        char number[12];
        std::snprintf(number, sizeof number, "%03d", i);
        std::string line = std::string("line ") + number;
        expected.insert(expected.end(), {"line", number});
        if (i % 12 == 6)
            for (int k = 0; k < 140; ++k) {
                line += " w" + std::to_string(100 + k);
                expected.push_back("w" + std::to_string(100 + k));
            }
        log.appendString1(line);
    }
    runPendingEvents();
    // A printed file is added to the recently used files under the program's name.
    if (g_get_prgname() == nullptr) g_set_prgname("wyvra");
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vornex-print-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string pdf = (folder / "log.pdf").string();
    {
        PrintToFileDriver driver(pdf);
        click(buttonLabelled(window(), "Print\u2026"));
        runPendingEvents();
        EXPECT_TRUE(driver.dialogShown());
        EXPECT_EQ(driver.printerPressed(), PrintToFileDriver::kPrinter)
            << PrintToFileDriver::kNotOffered;
    }
    const auto pages = wordsByPage(pdf);
    const auto boxes = wordBoxes(pdf);
    std::filesystem::remove_all(folder);
    EXPECT_EQ(pages.size(), 3u);
    ASSERT_EQ(boxes.size(), pages.size());
    std::vector<std::string> printed;
    for (const auto& words : pages) printed.insert(printed.end(), words.begin(), words.end());
    EXPECT_EQ(printed, expected);

    expectPagesFilledAndWhole(boxes);
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
    const auto pages = wordsByPage(pdf.string());
    ASSERT_GE(pages.size(), 3u);
    std::vector<std::string> printed;
    for (std::size_t page = 0; page < pages.size(); ++page) {
        EXPECT_FALSE(pages[page].empty()) << "page " << page + 1;
        printed.insert(printed.end(), pages[page].begin(), pages[page].end());
    }
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
    expectPagesFilledAndWhole(wordBoxes(pdf.string()));
    std::filesystem::remove(pdf);
    // A file that cannot be made is said so (it once threw out of the print operation).
    const auto& errors = GtkPlotServices::instance().reportedErrors();
    const std::size_t before = errors.size();
    EXPECT_FALSE(window().exportPdf("/nonexistent-folder/log.pdf"));
    ASSERT_EQ(errors.size(), before + 1);
    EXPECT_EQ(errors.back().rfind("Could not print the log: ", 0), 0u) << errors.back();
}

// A line taller than a whole page (a state report of 2,000 fields) goes on over the pages
// after it, broken between its rows: every word printed once, in order, none past a page.
TEST_F(WidgetsLog, ALineTallerThanAPageGoesOnOverTheNextPages) {
    std::string giant = "line 001";
    for (int i = 0; i < 2000; ++i) giant += " g" + std::to_string(1000 + i);
    log.appendString1("line 000");
    log.appendString1(giant);
    log.appendString1("line 002");
    const std::filesystem::path pdf = std::filesystem::temp_directory_path() /
                                      ("vornex-log-tall-" + std::to_string(::getpid()) + ".pdf");
    ASSERT_TRUE(window().exportPdf(pdf.string()));
    const auto pages = wordsByPage(pdf.string());
    const auto boxes = wordBoxes(pdf.string());
    std::filesystem::remove(pdf);
    EXPECT_GE(pages.size(), 3u);
    std::vector<std::string> printed;
    for (const auto& words : pages) printed.insert(printed.end(), words.begin(), words.end());
    std::vector<std::string> expected = {"line", "000"};
    const auto words = wordsOf(giant);
    expected.insert(expected.end(), words.begin(), words.end());
    expected.insert(expected.end(), {"line", "002"});
    EXPECT_EQ(printed, expected);
    expectPagesFilledAndWhole(boxes);
}

}  // namespace
}  // namespace vornex::shell

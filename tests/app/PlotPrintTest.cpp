// The plot printed from its document window (File > Print Plot, Ctrl+P) through GTK's print
// dialog with the "Print to File" printer, in a process of its own on a display (the suite
// registers it under xvfb-run; without a display it is skipped): one page that shows what the
// plot's own PDF shows, within the page; a file that cannot be written is reported, not
// passed over as printed.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/init.h>
#include <sigc++/adaptors/track_obj.h>
#include <sigc++/signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "DocumentWindow.h"
#include "GtkPlotServices.h"
#include "PlotWidget.h"
#include "PrintToFile.h"
#include "WidgetSearch.h"
#include "WyvraApplication.h"
#include "plot/CPlotView.h"

namespace vornex::shell {
namespace {

class PrintPlot : public ::testing::Test {
   protected:
    void SetUp() override {
        static const bool opened = gtk_init_check() && (Gtk::init_gtkmm_internals(), true);
        if (!opened) GTEST_SKIP() << "no display";
        if (g_get_prgname() == nullptr) g_set_prgname("wyvra");
        folder = std::filesystem::temp_directory_path() /
                 ("vornex-print-plot-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        // One application for the process, as the program has, kept to its end (not released
        // among the static objects after the display went); a new document for each test.
        static const auto* shared = new Glib::RefPtr<WyvraApplication>([] {
            auto created = WyvraApplication::create();
            created->set_flags(created->get_flags() | Gio::Application::Flags::NON_UNIQUE);
            return created->register_application() ? created : Glib::RefPtr<WyvraApplication>();
        }());
        app = *shared;
        ASSERT_TRUE(app);
        window = app->newDocument();
        ASSERT_NE(window, nullptr);
        runPendingEvents();
    }
    // The test's window goes with it: the application stays for the process, and a window
    // left open would stand in front of the tests that follow (their errors reported over it,
    // their panels kept above it).
    void TearDown() override {
        if (app && window && app->isOpen(window)) {
            window->document().updateChangeCount(ChangeKind::Cleared);  // no question asked
            window->close();
            for (int turn = 0; turn < 1000 && app->isOpen(window); ++turn) runPendingEvents();
            EXPECT_FALSE(app->isOpen(window)) << "the window stayed after the test";
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    // Ctrl+P in the window, completed in the print dialog with a PDF at `pdf`: the printer
    // the dialog had when Print was pressed ("" if it never could be).
    std::string printPlotTo(const std::string& pdf) {
        PrintToFileDriver driver(pdf);
        window->activate_action("win.print-plot");
        runPendingEvents();
        return driver.printerPressed();
    }
    std::filesystem::path folder;
    Glib::RefPtr<WyvraApplication> app;
    DocumentWindow* window = nullptr;
};

// Checks that the printed page holds the words of the plot saved as PDF (axis titles, tick
// labels), each where the saved page has it, scaled by one factor about the printable area's
// corner, and all within that area; returns the factor.
double checkPrintedAsSaved(const std::string& printed, const std::string& saved) {
    const auto pages = wordsByPage(printed), own = wordsByPage(saved);
    const auto boxes = wordBoxes(printed), ownBoxes = wordBoxes(saved);
    EXPECT_EQ(pages.size(), 1u);
    EXPECT_EQ(own.size(), 1u);
    if (pages.size() != 1 || own.size() != 1 || boxes.size() != 1 || ownBoxes.size() != 1) return 0;
    EXPECT_EQ(pages.front(), own.front());
    const auto& words = boxes.front().words;
    const auto& ownWords = ownBoxes.front().words;
    EXPECT_EQ(words.size(), ownWords.size());
    if (words.size() != ownWords.size() || words.size() < 2) return 0;
    auto extent = [](const std::vector<WordBox>& w, auto lo, auto hi) {
        double a = 1e300, b = -1e300;
        for (const WordBox& box : w) a = std::min(a, box.*lo), b = std::max(b, box.*hi);
        return b - a;
    };
    const double scale = extent(words, &WordBox::xMin, &WordBox::xMax) /
                         extent(ownWords, &WordBox::xMin, &WordBox::xMax);
    EXPECT_NEAR(extent(words, &WordBox::yMin, &WordBox::yMax) /
                    extent(ownWords, &WordBox::yMin, &WordBox::yMax),
                scale, 0.01 * scale);
    const PrintableArea area = defaultPrintableArea();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const WordBox &w = words[i], &o = ownWords[i];
        EXPECT_EQ(w.text, o.text);
        EXPECT_NEAR(w.xMin, area.left + scale * o.xMin, 1.0) << w.text;
        EXPECT_NEAR(w.yMin, area.top + scale * o.yMin, 1.0) << w.text;
        EXPECT_GE(w.xMin, area.left - 0.5) << w.text;
        EXPECT_LE(w.xMax, area.left + area.width + 0.5) << w.text;
        EXPECT_GE(w.yMin, area.top - 0.5) << w.text;
        EXPECT_LE(w.yMax, area.top + area.height + 0.5) << w.text;
    }
    return scale;
}

// The size of a PDF's first page, in points.
std::pair<double, double> pageSize(const std::string& pdf) {
    const auto boxes = wordBoxes(pdf);
    return boxes.empty() ? std::pair{0.0, 0.0} : std::pair{boxes[0].width, boxes[0].height};
}

TEST_F(PrintPlot, CtrlPPrintsThePlotOnOnePageAsItsPdfShowsIt) {
    const std::vector<Glib::ustring> keys = app->get_accels_for_action("win.print-plot");
    EXPECT_NE(std::find(keys.begin(), keys.end(), "<Control>p"), keys.end());
    CPlotView* plot = window->currentPlot();
    ASSERT_NE(plot, nullptr);
    const std::string printed = (folder / "printed.pdf").string();
    ASSERT_EQ(printPlotTo(printed), PrintToFileDriver::kPrinter) << PrintToFileDriver::kNotOffered;
    ASSERT_TRUE(std::filesystem::exists(printed));
    const std::string saved = (folder / "saved.pdf").string();
    ASSERT_TRUE(plot->writePdf(saved).ok());
    const auto [width, height] = pageSize(saved);
    const PrintableArea area = defaultPrintableArea();
    ASSERT_LT(width, area.width);
    ASSERT_LT(height, area.height);
    // A plot smaller than the page is printed at its own size.
    EXPECT_NEAR(checkPrintedAsSaved(printed, saved), 1.0, 0.005);
    const std::string text = outputOf("pdftotext '" + printed + "' -");
    for (const std::string& title : {plot->mXLabel().string(), plot->mYLabel().string()}) {
        EXPECT_FALSE(wordsOf(title).empty());
        for (const std::string& word : wordsOf(title))
            EXPECT_NE(text.find(word), std::string::npos) << "axis title word " << word;
    }
}

// A plot larger than the page is scaled down, as a whole, to the largest size the page takes.
TEST_F(PrintPlot, APlotLargerThanThePageIsScaledToFitIt) {
    const PrintableArea area = defaultPrintableArea();
    CPlotView* plot = window->currentPlot();
    ASSERT_NE(plot, nullptr);
    PlotArea* shown = window->plotArea(plot->plotName());
    ASSERT_NE(shown, nullptr);
    shown->set_size_request(static_cast<int>(1.5 * area.width),
                            static_cast<int>(0.8 * area.height));
    const auto deadline = g_get_monotonic_time() + 20 * G_USEC_PER_SEC;
    while (plot->bounds().width() < 1.2 * area.width && g_get_monotonic_time() < deadline) {
        runPendingEvents();
        g_usleep(5000);
    }
    ASSERT_GE(plot->bounds().width(), 1.2 * area.width);
    const std::string printed = (folder / "printed.pdf").string();
    ASSERT_EQ(printPlotTo(printed), PrintToFileDriver::kPrinter) << PrintToFileDriver::kNotOffered;
    const std::string saved = (folder / "saved.pdf").string();
    ASSERT_TRUE(plot->writePdf(saved).ok());
    const auto [width, height] = pageSize(saved);
    const double scale = checkPrintedAsSaved(printed, saved);
    EXPECT_LT(scale, 1.0);
    EXPECT_LE(scale * width, area.width + 0.5);
    EXPECT_LE(scale * height, area.height + 0.5);
    EXPECT_TRUE(scale * width > area.width - 1 || scale * height > area.height - 1)
        << "scaled to " << scale * width << " x " << scale * height;
}

// A PDF that cannot be made (its folder is missing) is said so and leaves no file.
TEST_F(PrintPlot, AFileThatCannotBeWrittenIsReported) {
    const auto& errors = GtkPlotServices::instance().reportedErrors();
    const std::size_t before = errors.size();
    const std::filesystem::path pdf = folder / "missing" / "plot.pdf";
    EXPECT_EQ(printPlotTo(pdf.string()), PrintToFileDriver::kPrinter)
        << PrintToFileDriver::kNotOffered;
    EXPECT_FALSE(std::filesystem::exists(pdf));
    ASSERT_EQ(errors.size(), before + 1);
    EXPECT_EQ(errors.back().rfind("Could not print the plot: ", 0), 0u) << errors.back();
}

// The window closed (its document saved) while its print dialog shows, then Print pressed:
// the plot is printed as it showed, and the window goes once the print is done (it once
// went at once, and the page was drawn from a plot no longer there).
TEST_F(PrintPlot, AWindowClosedWhileItsPrintDialogShowsIsPrintedThenGoes) {
    ASSERT_TRUE(window->document().saveToFile((folder / "saved.wyvra").string()).ok());
    CPlotView* plot = window->currentPlot();
    ASSERT_NE(plot, nullptr);
    const std::string saved = (folder / "saved.pdf").string();
    ASSERT_TRUE(plot->writePdf(saved).ok());
    const auto& errors = GtkPlotServices::instance().reportedErrors();
    const std::size_t before = errors.size();
    const std::string printed = (folder / "printed.pdf").string();
    bool listedAfterClosing = true;
    // A connection that lasts as long as the window does.
    sigc::signal<void()> signal;
    const sigc::connection whileTheWindowLasts = signal.connect(sigc::track_object([] {}, *window));
    {
        PrintToFileDriver driver(printed, [this] { window->close(); });
        window->activate_action("win.print-plot");
        runPendingEvents();
        EXPECT_EQ(driver.printerPressed(), PrintToFileDriver::kPrinter)
            << PrintToFileDriver::kNotOffered;
        const auto& open = app->windows();
        listedAfterClosing = std::any_of(open.begin(), open.end(),
                                         [this](const auto& w) { return w.get() == window; });
    }
    EXPECT_FALSE(listedAfterClosing);
    EXPECT_EQ(errors.size(), before);
    EXPECT_NEAR(checkPrintedAsSaved(printed, saved), 1.0, 0.005);
    runPendingEvents();
    EXPECT_FALSE(whileTheWindowLasts.connected()) << "the window was kept after its print";
    window = nullptr;
}

}  // namespace
}  // namespace vornex::shell

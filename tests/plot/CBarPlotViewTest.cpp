// The bar chart: scales (linear and logarithmic, with degenerate bounds), bars, markers,
// reference dots and labels where they belong, and its menu, stepper, Igor export and PDF.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "plot/CBarPlotView.h"
#include "plot/PlotTestSupport.h"

namespace vornex {
namespace {

using Kind = RecordedOperation::Kind;
using Labels = std::vector<std::string>;
using test::findText;
using test::readFile;

// A view of 480 × 300 has a plot area of 400 × 240 from (60, 40).
class BarChart : public ::testing::Test {
   protected:
    void SetUp() override { PlotServices::setShared(&services); }
    void TearDown() override { PlotServices::setShared(nullptr); }
    Labels scaleLabels() const {
        Labels out;
        for (const auto& m : view.scaleMarks()) out.push_back(m.label);
        return out;
    }
    const RecordingCanvas& drawn() {
        canvas = std::make_unique<RecordingCanvas>(view.bounds().size);
        view.drawRect(*canvas);
        return *canvas;
    }
    // Bounds of the filled shapes of one colour, optionally of one width.
    std::vector<Rect> fills(const Color& colour, double width = -1) {
        std::vector<Rect> out;
        for (const auto& op : drawn().operations(Kind::Fill))
            if (op.color == colour && (width < 0 || op.path.bounds().width() == width))
                out.push_back(op.path.bounds());
        return out;
    }
    CBarPlotView view{Rect(0, 0, 480, 300)};
    std::unique_ptr<RecordingCanvas> canvas;
    test::FakeServices services;
};

// Axis titles are drawn once set; a right click anywhere gets the plot menu, whose grid
// item names what it will do and adds or removes the grey grid lines.
TEST_F(BarChart, TitlesAndTheGridFromThePlotMenu) {
    view.setValues({5, 10, 15});
    view.setLabels("Cases", "Salinity");
    EXPECT_NE(findText(drawn(), "Cases"), nullptr);
    EXPECT_NE(findText(*canvas, "Salinity"), nullptr);
    auto greyStrokes = [&] {
        int n = 0;
        for (const auto& op : drawn().operations(Kind::Stroke)) n += op.color == Color::gray();
        return n;
    };
    EXPECT_FALSE(view.showsGrid());
    EXPECT_EQ(greyStrokes(), 0);
    Menu& menu = view.menuForEvent(test::mouse(MouseEvent::Type::Down, {5, 5}));
    EXPECT_EQ(&menu, &view.plotMenu());
    menu.update();
    EXPECT_EQ(menu.itemWithAction("onToggleGrid:")->title(), "Show grid");
    ASSERT_TRUE(menu.performAction("onToggleGrid:"));
    EXPECT_TRUE(view.showsGrid());
    EXPECT_GT(greyStrokes(), 0);
    menu.update();
    EXPECT_EQ(menu.itemWithAction("onToggleGrid:")->title(), "Hide grid");
    view.onToggleGrid();
    EXPECT_EQ(greyStrokes(), 0);
}

TEST_F(BarChart, ScaleLabelsFromTheBounds) {
    const struct {
        bool logarithmic;
        float low, high;
        Labels labels;
    } cases[] = {
        // Linear labels stop at the first beyond the maximum.
        {false, 0, 90, {"0.0", "20.0", "40.0", "60.0", "80.0"}},
        // Equal logarithmic bounds widen to two decades below.
        {true, 100, 100, {"     1", "    10", "   100"}},
        // Decades beyond the written-out ones are powers of ten, each decade one mark.
        {true,
         2e-5f,
         5e5f,
         {"1e-5", "1e-4", " 0.001", "  0.01", "   0.1", "     1", "    10", "   100", "  1000",
          "10 000", "1e5", "1e6"}},
    };
    view.setValues({5});
    for (const auto& c : cases) {
        view.setIsLogarithmic(c.logarithmic);
        view.setMinimum(c.low, c.high);
        EXPECT_EQ(scaleLabels(), c.labels) << c.low << " " << c.high;
    }
    view.setIsLogarithmic(false);
    view.setMinimum(0.5f, 45);
    EXPECT_EQ(view.mMinimum(), 0.5f);
    EXPECT_EQ(view.mMaximum(), 45.0f);
    // The bounds are the stepper's limits too.
    const auto& stepper = view.stepper();
    EXPECT_EQ(stepper.minValue, 0.5);
    EXPECT_EQ(stepper.maxValue, 45.0);
    EXPECT_DOUBLE_EQ(view.scaleMarks()[3].y, 40 + 240);  // 45 stands at the top
}

// Each menu action and stepper click asks the window for a redraw; drawing meets the request.
TEST_F(BarChart, ActionsAskForARedrawThatDrawingMeets) {
    int requests = 0;
    view.setDisplayRequestHandler([&requests] { ++requests; });
    view.setValues({5, 10});
    drawn();
    EXPECT_FALSE(view.needsDisplay());
    view.onToggleGrid();
    EXPECT_TRUE(view.needsDisplay());
    EXPECT_EQ(requests, 1);
    drawn();
    EXPECT_FALSE(view.needsDisplay());
    view.onToggleScale();
    view.stepMaximum(-1);
    EXPECT_TRUE(view.needsDisplay());
    EXPECT_EQ(requests, 3);
    drawn();
    EXPECT_FALSE(view.needsDisplay());
}

TEST_F(BarChart, ZeroMaximumDoesNotDivideByZero) {
    view.setValues({2, 7.5, 4});
    ASSERT_EQ(view.mMaximum(), 0.0f);  // its value at creation
    EXPECT_DOUBLE_EQ(view.linearTop(), 7.5);
    double h = 0;
    ASSERT_TRUE(view.heightOf(7.5, h));
    EXPECT_DOUBLE_EQ(h, 240);
    view.setValues({0, -1});
    EXPECT_DOUBLE_EQ(view.linearTop(), 10);
    for (const auto& op : drawn().operations())
        for (const auto& e : op.path.elements())
            for (const Point& p : e.points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST_F(BarChart, LogarithmicScaleFromTheValuesWithInvertedInfiniteOrNonPositiveBounds) {
    view.setIsLogarithmic(true);
    view.setValues({0.5, 20, 3000});
    int lo, hi;
    view.decades(lo, hi);
    EXPECT_EQ(lo, -1);
    EXPECT_EQ(hi, 2);
    double h;
    ASSERT_TRUE(view.heightOf(3000, h));
    EXPECT_NEAR(h, (std::log10(3000.0) + 1) / 3 * 240, 1e-9);  // above the top line
    view.setValues({5});
    view.setMinimum(1e5f, 10);
    view.decades(lo, hi);
    EXPECT_LT(lo, hi);
    view.setMinimum(0, INFINITY);
    view.decades(lo, hi);
    EXPECT_EQ(hi, 2);
    EXPECT_LT(view.scaleMarks().size(), 10u);
    // A value that is not positive leaves its slot empty: the line joins its neighbours.
    view.setValues({1, 0, 100});
    view.onSetLines();
    const BezierPath line = drawn().operations(Kind::Stroke).back().path;  // the line, last
    ASSERT_EQ(line.elementCount(), 2u);
    EXPECT_DOUBLE_EQ(line.elements()[1].points[0].x, view.layout().barCentre(2));
}

TEST_F(BarChart, ShortLabelListIsNotReadPast) {
    view.setValues({1, 2, 3, 4});
    view.setLabels(Labels{"a", "b"});
    view.setReferenceLabels({"b", "c"}, {1.5});       // "c" has no value either
    EXPECT_EQ(fills(Color::black(), 10).size(), 1u);  // one reference dot, on bar 1
    EXPECT_NE(findText(*canvas, "a"), nullptr);
    EXPECT_NE(findText(*canvas, "b"), nullptr);
}

TEST_F(BarChart, BarsMarkersAndDotsWhereTheyBelong) {
    view.setValues({10, 50});
    view.setMinimum(0, 100);
    view.setLabels(Labels{"NaCl", "KCl"});
    view.setReferenceLabels({"KCl"}, {25});
    const auto l = view.layout();
    // Markers on the values and the reference dot on its bar, at the bar centres.
    const auto white = fills(Color::white(), 10), black = fills(Color::black(), 10);
    ASSERT_EQ(white.size(), 2u);
    ASSERT_EQ(black.size(), 1u);
    EXPECT_EQ(white[1].midX(), l.barCentre(1));
    EXPECT_EQ(white[1].midY(), 40 + 120);
    EXPECT_EQ(black[0].midX(), l.barCentre(1));
    EXPECT_EQ(black[0].midY(), 40 + 60);
    // Bars: red rectangles, 10 and 50 of 100 over 240.
    view.onSetBars();
    EXPECT_EQ(fills(Color::red()),
              (std::vector<Rect>{Rect(l.barX(0), 40, 50, 24), Rect(l.barX(1), 40, 50, 120)}));
    // Back to lines and markers: the markers are on the values again, and no bar is.
    view.onSetLinesMarkers();
    EXPECT_EQ(view.mode(), CBarPlotView::kLinesAndMarkers);
    EXPECT_EQ(fills(Color::white(), 10).size(), 2u);
    EXPECT_TRUE(fills(Color::red()).empty());
    // No values: only the background.
    view.setValues({});
    drawn();
    EXPECT_EQ(canvas->count(Kind::Fill), 1u);
    EXPECT_EQ(canvas->count(Kind::Stroke), 0u);
}

TEST_F(BarChart, StepperLowersTheTopToItsFloorThenTheScaleFollowsTheValues) {
    ASSERT_TRUE(view.plotMenu().performAction("onToggleScale:"));
    EXPECT_TRUE(view.isLogarithmic());
    view.setIsLogarithmic(false);
    view.setValues({5});
    view.stepMaximum(-1);
    EXPECT_EQ(view.mMaximum(), 99.0f);
    view.setMinimum(0, 2);
    view.stepper().value = 1;
    view.stepMaximum(-1);
    view.stepMaximum(-1);
    EXPECT_EQ(view.mMaximum(), 0.0f);
    EXPECT_EQ(scaleLabels().back(), "4.0");
}

TEST_F(BarChart, IgorExportByteForByteWithQuotedLabels) {
    view.setValues({1.5, -2, 1e-10});
    view.setLabels(Labels{"NaCl", "KCl", "say \"hi\"\\now\n"});
    services.savePath = "bars_export.itx";
    ASSERT_TRUE(view.onExportToIgor());
    EXPECT_EQ(
        readFile("bars_export.itx"),
        "IGOR\nWAVES v0\nBEGIN\n"
        "\t      1.500000e+00\n\t     -2.000000e+00\n\t      1.000000e-10\n"
        "END\nWAVES/T s0\nBEGIN\n\t\"NaCl\"\n\t\"KCl\"\n\t\"say \\\"hi\\\"\\\\now\\n\"\nEND\n");
    ASSERT_TRUE(view.onExportToIgor());
    EXPECT_EQ(readFile("bars_export.itx").substr(0, 19), "IGOR\nWAVES v1\nBEGIN");
}

// A label of several columns or lines stays one quoted field of its row: tab, carriage return
// and line feed are written as their escapes, and undoing the escapes gives the label back.
TEST(IgorText, TabsAndLineEndsAreEscapedInsideTheQuotes) {
    const std::string label = "T\t(\u00B0C)\r\nP\t\"bar\"\\";
    const std::string quoted = igorQuoted(label);
    EXPECT_EQ(quoted, "\"T\\t(\u00B0C)\\r\\nP\\t\\\"bar\\\"\\\\\"");
    EXPECT_EQ(quoted.find_first_of("\t\r\n"), std::string::npos);
    std::string back;
    for (std::size_t i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] != '\\') {
            back += quoted[i];
            continue;
        }
        const char e = quoted[++i];
        back += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
    }
    EXPECT_EQ(back, label);
}

TEST_F(BarChart, FailedOrCancelledExportIsReportedOnceAndKeepsTheIndex) {
    view.setValues({1});
    services.savePath = "no_such_folder/bars.itx";
    EXPECT_FALSE(view.onExportToIgor());
    EXPECT_EQ(view.mIgorIndex(), 0);
    EXPECT_EQ(services.errors.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists("no_such_folder"));
    services.savePath.reset();  // cancelled
    EXPECT_FALSE(view.onExportToIgor());
    EXPECT_EQ(services.errors.size(), 1u);
}

TEST_F(BarChart, PdfIsWrittenUnderThePlotName) {
    view.setValues({1, 2});
    view.setPlotName("salts");
    services.savePath = "bars_saved.pdf";
    ASSERT_TRUE(view.onPrintPlot());
    EXPECT_EQ(services.proposals.back(), "salts");
    EXPECT_EQ(view.plotName(), "salts");
    EXPECT_EQ(readFile("bars_saved.pdf").substr(0, 5), "%PDF-");
}

}  // namespace
}  // namespace vornex

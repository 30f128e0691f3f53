#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plot/CBarPlotView.h"
#include "plot/PlotTestSupport.h"

namespace vornex {
namespace {

using Kind = RecordedOperation::Kind;
using test::findText;
using test::readFile;

std::vector<std::string> scaleLabels(const CBarPlotView& v) {
    std::vector<std::string> out;
    for (const auto& m : v.scaleMarks()) out.push_back(m.label);
    return out;
}

// Bars, scale and label layout. A view of 480 × 300 has a plot area of 400 × 240.
class BarChartLayout : public ::testing::Test {
   protected:
    CBarPlotView view{Rect(0, 0, 480, 300)};
};

TEST_F(BarChartLayout, BarWidthFromTheValueCount) {
    view.setValues({3});
    EXPECT_DOUBLE_EQ(view.layout().plotWidth, 400);
    EXPECT_DOUBLE_EQ(view.layout().barWidth, 50);  // 400, capped
    view.setValues(std::vector<double>(20, 1.0));
    const auto l = view.layout();
    // The separation ratio is a float 0.2.
    EXPECT_NEAR(l.barWidth, 400 / 23.8, 1e-6);
    EXPECT_NEAR(l.barX(0), 60 + 0.1 * l.barWidth, 1e-6);
}

TEST_F(BarChartLayout, ScaleLabelsFromTheBounds) {
    using Labels = std::vector<std::string>;
    const struct {
        bool logarithmic;
        float low, high;
        Labels labels;
    } cases[] = {
        // Linear labels stop at the first beyond the maximum.
        {false, 0, 90, {"0.0", "20.0", "40.0", "60.0", "80.0"}},
        {false, 0, 80, {"0.0", "20.0", "40.0", "60.0", "80.0"}},
        {false, 0, 45, {"0.0", "15.0", "30.0", "45.0"}},
        // Equal logarithmic bounds widen to two decades below.
        {true, 100, 100, {"     1", "    10", "   100"}},
    };
    view.setValues({5});
    for (const auto& c : cases) {
        view.setIsLogarithmic(c.logarithmic);
        view.setMinimum(c.low, c.high);
        EXPECT_EQ(scaleLabels(view), c.labels) << c.low << " " << c.high;
    }
    view.setMinimum(1e-5f, 1e6f);
    EXPECT_EQ(scaleLabels(view).front() + scaleLabels(view).back(), "1e-51e6");
    view.setIsLogarithmic(false);
    view.setMinimum(0, 45);
    EXPECT_DOUBLE_EQ(view.scaleMarks()[3].y, 40 + 240);  // 45 stands at the top
}

TEST_F(BarChartLayout, ZeroMaximumDoesNotDivideByZero) {
    view.setValues({2, 7.5, 4});
    ASSERT_EQ(view.mMaximum(), 0.0f);  // its value at creation
    EXPECT_DOUBLE_EQ(view.linearTop(), 7.5);
    double h = 0;
    ASSERT_TRUE(view.heightOf(7.5, h));
    EXPECT_DOUBLE_EQ(h, 240);
    view.setValues({0, -1});
    EXPECT_DOUBLE_EQ(view.linearTop(), 10);
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    for (const auto& op : canvas.operations())
        for (const auto& e : op.path.elements())
            for (const Point& p : e.points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST_F(BarChartLayout, LogarithmicDecadesFromTheValues) {
    view.setIsLogarithmic(true);
    view.setValues({0.5, 20, 3000});
    int lo, hi;
    view.decades(lo, hi);
    EXPECT_EQ(lo, -1);
    EXPECT_EQ(hi, 2);
    EXPECT_EQ(scaleLabels(view),
              (std::vector<std::string>{"   0.1", "     1", "    10", "   100"}));
    double h;
    ASSERT_TRUE(view.heightOf(3000, h));
    EXPECT_GT(h, 240);  // above the top line
    EXPECT_NEAR(h, (std::log10(3000.0) + 1) / 3 * 240, 1e-9);
}

TEST_F(BarChartLayout, InvertedOrInfiniteLogarithmicBoundsStayDrawable) {
    view.setIsLogarithmic(true);
    view.setValues({5});
    view.setMinimum(1e5f, 10);
    int lo, hi;
    view.decades(lo, hi);
    EXPECT_LT(lo, hi);
    view.setMinimum(0, INFINITY);
    view.decades(lo, hi);
    EXPECT_EQ(hi, 2);
    EXPECT_LT(view.scaleMarks().size(), 10u);
}

TEST_F(BarChartLayout, NonPositiveValueLeavesItsSlotEmptyOnTheLogScale) {
    view.setIsLogarithmic(true);
    view.setValues({1, 0, 100});
    view.onSetLines();
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    auto strokes = canvas.operations(Kind::Stroke);
    ASSERT_FALSE(strokes.empty());
    const BezierPath& line = strokes.back().path;  // the blue line, stroked last
    EXPECT_EQ(strokes.back().color, Color::blue());
    ASSERT_EQ(line.elementCount(), 2u);  // the line joins the two drawn neighbours
    const auto l = view.layout();
    EXPECT_DOUBLE_EQ(line.elements()[1].points[0].x, l.barX(2) + l.barWidth / 2);
}

TEST_F(BarChartLayout, CategoryLabelsAreThinnedBelowASlotOf26) {
    view.setSepBarRatio(0);
    std::vector<std::string> labels;
    for (int i = 1; i <= 10; ++i) labels.push_back(std::to_string(i));
    view.setLabels(labels);
    view.setValues(std::vector<double>(10, 1));
    view.setFrame(Rect(0, 0, 180, 300));  // PW 100: slots of 10
    RecordingCanvas narrow({180, 300});
    view.drawRect(narrow);
    for (const char* shown : {"1", "4", "7", "10"}) EXPECT_NE(findText(narrow, shown), nullptr);
    for (const char* hidden : {"2", "3", "5", "9"}) EXPECT_EQ(findText(narrow, hidden), nullptr);

    view.setValues(std::vector<double>(4, 1));
    view.setFrame(Rect(0, 0, 184, 300));  // PW 104: slots of 26
    RecordingCanvas wide({184, 300});
    view.drawRect(wide);
    for (const char* shown : {"1", "2", "3", "4"}) EXPECT_NE(findText(wide, shown), nullptr);
}

TEST_F(BarChartLayout, ShortLabelListIsNotReadPast) {
    view.setValues({1, 2, 3, 4});
    view.setLabels(std::vector<std::string>{"a", "b"});
    view.setReferenceLabels({"b", "c"}, {1.5});  // "c" has no value either
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    EXPECT_NE(findText(canvas, "a"), nullptr);
    EXPECT_NE(findText(canvas, "b"), nullptr);
    // One reference dot, on bar 1.
    int dots = 0;
    for (const auto& op : canvas.operations(Kind::Fill))
        if (op.color == Color::black() && op.path.bounds().width() == 10) ++dots;
    EXPECT_EQ(dots, 1);
}

// What is drawn where.
class BarChartDrawing : public ::testing::Test {
   protected:
    void SetUp() override {
        view.setValues({10, 50});
        view.setLabels(std::vector<std::string>{"NaCl", "KCl"});
        view.setMinimum(0, 100);
    }
    CBarPlotView view{Rect(0, 0, 480, 300)};
};

TEST_F(BarChartDrawing, BarsAreRedRectanglesFramedInBlack) {
    view.onSetBars();
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    const auto l = view.layout();
    std::vector<Rect> red;
    for (const auto& op : canvas.operations(Kind::Fill))
        if (op.color == Color::red()) red.push_back(op.path.bounds());
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(red[0], Rect(l.barX(0), 40, 50, 24));   // 10 of 100 over 240
    EXPECT_EQ(red[1], Rect(l.barX(1), 40, 50, 120));  // 50 of 100
}

TEST_F(BarChartDrawing, MarkersAndReferenceDotsSitOnTheBarCentres) {
    view.setReferenceLabels({"KCl"}, {25});
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    const auto l = view.layout();
    std::vector<Rect> white, black;
    for (const auto& op : canvas.operations(Kind::Fill)) {
        if (op.path.bounds().width() != 10) continue;
        if (op.color == Color::white()) white.push_back(op.path.bounds());
        if (op.color == Color::black()) black.push_back(op.path.bounds());
    }
    ASSERT_EQ(white.size(), 2u);
    EXPECT_NEAR(white[1].midX(), l.barCentre(1), 1e-9);
    EXPECT_NEAR(white[1].midY(), 40 + 120, 1e-9);
    ASSERT_EQ(black.size(), 1u);
    EXPECT_NEAR(black[0].midX(), l.barCentre(1), 1e-9);
    EXPECT_NEAR(black[0].midY(), 40 + 60, 1e-9);
}

TEST_F(BarChartDrawing, TitlesCentredAndTheYTitleReadsUpward) {
    view.setLabels("salt", "percent");
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    const RecordedOperation* x = findText(canvas, "salt");
    ASSERT_NE(x, nullptr);
    EXPECT_NEAR(x->origin.x + x->textSize.width / 2, 60 + 200, 1e-9);
    EXPECT_EQ(x->origin.y, 5);
    const RecordedOperation* y = findText(canvas, "percent");
    ASSERT_NE(y, nullptr);
    const Point corner = y->transform.transformPoint(y->origin);
    EXPECT_NEAR(corner.x, 5 + y->textSize.height, 1e-9);  // the box spans x 5 ... 5 + h
    EXPECT_NEAR(corner.y, 40 + 120 - y->textSize.width / 2, 1e-9);
}

TEST_F(BarChartDrawing, NoValuesDrawsOnlyTheBackground) {
    view.setValues({});
    RecordingCanvas canvas({480, 300});
    view.drawRect(canvas);
    EXPECT_EQ(canvas.count(Kind::Fill), 1u);
    EXPECT_EQ(canvas.count(Kind::Stroke), 0u);
}

// Menu, stepper and the files the menu writes.
class BarChartCommands : public ::testing::Test {
   protected:
    void SetUp() override { PlotServices::setShared(&services); }
    void TearDown() override { PlotServices::setShared(nullptr); }
    CBarPlotView view{Rect(0, 0, 480, 300)};
    test::FakeServices services;
};

TEST_F(BarChartCommands, MenuTitlesAndCheckMarksFollowTheState) {
    Menu& menu = view.plotMenu();
    EXPECT_EQ(menu.title(), "Barplot");
    menu.update();
    EXPECT_EQ(menu.itemWithAction("onToggleScale:")->title(), "Set logarithmic scale");
    EXPECT_EQ(menu.itemWithAction("onToggleGrid:")->title(), "Show grid");
    EXPECT_EQ(menu.itemWithAction("onSetLinesMarkers:")->state(), MenuItem::State::On);
    ASSERT_TRUE(menu.performAction("onToggleScale:"));
    ASSERT_TRUE(menu.performAction("onSetBars:"));
    menu.update();
    EXPECT_EQ(menu.itemWithAction("onToggleScale:")->title(), "Set linear scale");
    EXPECT_EQ(menu.itemWithAction("onSetBars:")->state(), MenuItem::State::On);
    EXPECT_EQ(menu.itemWithAction("onSetLinesMarkers:")->state(), MenuItem::State::Off);
    EXPECT_TRUE(view.needsDisplay());
}

TEST_F(BarChartCommands, StepperLowersTheTopWithinItsLimits) {
    view.setValues({5});
    EXPECT_EQ(view.stepper().frame, Rect(1, 270, 20, 30));
    view.stepMaximum(-1);
    EXPECT_EQ(view.mMaximum(), 99.0f);
    view.setMinimum(0, 2);
    view.stepper().value = 1;
    view.stepMaximum(-1);
    view.stepMaximum(-1);
    EXPECT_EQ(view.mMaximum(), 0.0f);            // the stepper's floor
    EXPECT_EQ(scaleLabels(view).back(), "4.0");  // scaled on the value 5 instead
}

TEST_F(BarChartCommands, IgorExportByteForByte) {
    view.setValues({1.5, -2, 1e-10});
    view.setLabels(std::vector<std::string>{"NaCl", "KCl", "H2O"});
    services.savePath = "bars_export.itx";
    ASSERT_TRUE(view.onExportToIgor());
    EXPECT_EQ(readFile("bars_export.itx"),
              "IGOR\nWAVES v0\nBEGIN\n"
              "\t      1.500000e+00\n\t     -2.000000e+00\n\t      1.000000e-10\n"
              "END\nWAVES/T s0\nBEGIN\n\t\"NaCl\"\n\t\"KCl\"\n\t\"H2O\"\nEND\n");
    ASSERT_TRUE(view.onExportToIgor());
    EXPECT_EQ(readFile("bars_export.itx").substr(0, 19), "IGOR\nWAVES v1\nBEGIN");
    EXPECT_EQ(services.proposals, (std::vector<std::string>{"data0.itx", "data1.itx"}));
    EXPECT_EQ(services.fileTypes, (std::vector<std::string>{"itx", "itx"}));
}

TEST_F(BarChartCommands, QuotesInLabelsDoNotBreakTheTextWave) {
    view.setValues({1});
    view.setLabels(std::vector<std::string>{"say \"hi\"\\now\n"});
    EXPECT_NE(view.igorText().find("\t\"say \\\"hi\\\"\\\\now\\n\"\n"), std::string::npos);
}

TEST_F(BarChartCommands, FailedExportIsReportedAndKeepsTheIndex) {
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

TEST_F(BarChartCommands, PdfIsWrittenWithoutTheStepper) {
    view.setValues({1, 2});
    view.setPlotName("salts");
    services.savePath = "bars_saved.pdf";
    ASSERT_TRUE(view.onPrintPlot());
    EXPECT_EQ(services.proposals.back(), "salts");
    EXPECT_EQ(services.fileTypes.back(), "pdf");
    EXPECT_EQ(readFile("bars_saved.pdf").substr(0, 5), "%PDF-");
    EXPECT_FALSE(view.stepper().hidden);
}

}  // namespace
}  // namespace vornex

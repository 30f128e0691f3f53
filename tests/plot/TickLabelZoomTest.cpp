// Tick labels after zoom-ins: whatever the 32-bit ranges a zoom rectangle leaves, every label
// drawn is a whole multiple of the step between labels, written with exactly the decimals that
// step needs (no "1128.85999", no "248.760010"), and the axis titles lie clear of the labels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "PlotTestSupport.h"
#include "numerics/Decimal.h"

namespace vornex {
namespace {

struct DrawnLabel {
    std::string text;
    Point origin;
    Size size;
};

// The texts drawn that are wholly numbers, split into the row under the plot (x) and the
// column beside it (y).
void drawnLabels(const RecordingCanvas& canvas, std::vector<DrawnLabel>& x,
                 std::vector<DrawnLabel>& y) {
    std::vector<DrawnLabel> all;
    for (const RecordedOperation& op : canvas.operations(RecordedOperation::Kind::Text)) {
        char* end = nullptr;
        vornex::cstrtod(op.text.c_str(), &end);
        if (!op.text.empty() && *end == '\0') all.push_back({op.text, op.origin, op.textSize});
    }
    double lowest = 1e300;
    for (const DrawnLabel& l : all) lowest = std::min(lowest, l.origin.y);
    for (const DrawnLabel& l : all) (l.origin.y == lowest ? x : y).push_back(l);
}

int decimalsOf(const std::string& label) {
    const std::size_t dot = label.find('.');
    return dot == std::string::npos ? 0 : int(label.size() - dot - 1);
}

// The labels of one axis: all with one number of decimals, at equal steps, each the multiple
// of the step that the text says with those decimals, and that many decimals needed.
void expectRoundLabels(const std::vector<DrawnLabel>& labels, const std::string& where) {
    ASSERT_GE(labels.size(), 2u) << where;
    const int d = decimalsOf(labels[0].text);
    const double step = std::fabs(vornex::cstrtod(labels[1].text.c_str(), nullptr) -
                                  vornex::cstrtod(labels[0].text.c_str(), nullptr));
    ASSERT_GT(step, 0.0) << where;
    // The step is 1, 2 or 5 times a power of ten.
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                std::fabs(mantissa - 5) < 1e-6)
        << where << ": step " << step;
    bool someLastDigitNonZero = d == 0;
    for (const DrawnLabel& l : labels) {
        EXPECT_EQ(decimalsOf(l.text), d) << where << ": " << l.text;
        const double v = vornex::cstrtod(l.text.c_str(), nullptr);
        const double k = std::round(v / step);
        char expected[64];
        vornex::csnprintf(expected, sizeof expected, "%.*f", d, k * step);
        EXPECT_EQ(l.text, expected) << where << ": not a round multiple of " << step;
        someLastDigitNonZero = someLastDigitNonZero || l.text.back() != '0';
    }
    // No more decimals than tell neighbours apart, and no fewer.
    EXPECT_TRUE(someLastDigitNonZero) << where << ": " << labels[0].text;
    EXPECT_LE(std::fabs(step * std::pow(10.0, d) - std::round(step * std::pow(10.0, d))), 1e-6)
        << where << ": " << labels[0].text << " with step " << step;
}

class TickLabelsAfterZoomIns : public test::PlotFixture {};

TEST_F(TickLabelsAfterZoomIns, EveryLabelIsARoundMultipleOfItsStepWithoutNoiseDigits) {
    view->setFrame(Rect(0, 0, 640, 480));
    view->setTicksNumber(11, 11);
    view->setLabels("Temperature [°C]", "Pressure [bar]");
    // Ranges of the workbench's plots: temperature, pressure, density, salinity.
    const float ranges[][4] = {{0, 1000, 0, 2000},  {1100, 1200, 240, 260},  {-20, 40, 0.5f, 1.3f},
                               {0, 100, 800, 1400}, {374, 376, 220, 221.5f}, {600, 0, 1500, 100}};
    std::mt19937 rng(52);
    std::uniform_real_distribution<double> share(0.0, 1.0);
    int drawings = 0;
    for (const auto& r : ranges) {
        for (int session = 0; session < 6; ++session) {
            view->setMaxXYRange(r[0], r[1], r[2], r[3]);
            view->setDefaultXYRange(r[0], r[1], r[2], r[3]);
            view->doChangeAxisRanges(r[0], r[1], r[2], r[3]);
            for (int depth = 0; depth < 14; ++depth) {
                RecordingCanvas canvas(view->bounds().size);
                view->drawRect(canvas);
                ++drawings;
                std::vector<DrawnLabel> x, y;
                drawnLabels(canvas, x, y);
                const std::vector<float> range = test::rangeOf(*view);
                const std::string where =
                    "range x " + std::to_string(range[0]) + ".." + std::to_string(range[1]) +
                    ", y " + std::to_string(range[2]) + ".." + std::to_string(range[3]) +
                    ", depth " + std::to_string(depth);
                expectRoundLabels(x, "x " + where);
                expectRoundLabels(y, "y " + where);
                // The y title lies left of the widest y label, the x title below the x labels.
                const RecordedOperation* yTitle = test::findText(canvas, "Pressure [bar]");
                const RecordedOperation* xTitle = test::findText(canvas, "Temperature [°C]");
                ASSERT_TRUE(yTitle && xTitle);
                for (const DrawnLabel& l : y)
                    EXPECT_GE(l.origin.x, 5 + yTitle->textSize.height) << l.text << " " << where;
                for (const DrawnLabel& l : x)
                    EXPECT_GE(l.origin.y, xTitle->origin.y + xTitle->textSize.height)
                        << l.text << " " << where;
                if (HasFailure()) return;
                // A zoom rectangle of a fifth to two thirds of the plot, anywhere in it.
                const Rect plot = view->getPlotRect();
                const double w = plot.width() * (0.2 + 0.47 * share(rng)),
                             h = plot.height() * (0.2 + 0.47 * share(rng));
                const double x0 = plot.x() + (plot.width() - w) * share(rng),
                             y0 = plot.y() + (plot.height() - h) * share(rng);
                drag({x0, y0}, {{x0 + w / 2, y0 + h / 2}, {x0 + w, y0 + h}});
                view->onZoomIn();
            }
        }
    }
    std::printf("%d drawings checked\n", drawings);
}

}  // namespace
}  // namespace vornex

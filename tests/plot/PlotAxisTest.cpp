// Plot axes: tick steps and sequences of linear and logarithmic axes, labels, the data-view
// transform both ways, and ranges and tick requests that once made the tick loops run away.
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>
#include <string>
#include <vector>

#include "plot/PlotAxis.h"

namespace vornex {
namespace {

TEST(AxisTicks, StepsAndSequencesOfLinearAndLogarithmicAxes) {
    const struct {
        float lo, hi;
        bool log;
        int ticks, digits;
        float step, first;
        size_t count;
        const char *firstLabel, *lastLabel;
    } cases[] = {
        {-1, 100, false, 11, 1, 10, 0, 11, "0.0", "100.0"},   // from the first tick inside
        {100, 4000, false, 11, 0, 200, 200, 20, "", ""},      // the largest nice step below 390
        {610, 0, false, 11, 0, -50, 600, 13, "", ""},         // from the tick below its start
        {0, 0.7f, false, 8, 1, 0.1f, 0, 8, "", "0.7"},        // the top kept despite rounding
        {0.5f, 2000, true, 11, 1, 1, -1, 6, "0.1", "10000"},  // whole decades around the range
        {1e-3f, 1e7f, true, 3, 1, 5, -3, 3, "0.001", "1e+07"},  // many decades, few ticks
        {0.0001f, 100, false, 11, 1, 5, 0, 21, "0.0", "100.0"},  // 0 a whisker below the start
        {-1000, 199.5f, false, 11, 0, 100, -1000, 12, "", ""},  // 200 beyond the end, not rounding
        {0, 1e-15f, false, 11, 1, 1e-16f, 0, 11, "", ""},      // finer than labels have decimals
    };
    for (const auto& c : cases) {
        const PlotAxis axis(c.lo, c.hi, c.log, c.ticks, c.digits);
        const std::vector<double> ticks = axis.ticks();
        EXPECT_FLOAT_EQ(std::fabs(axis.step()), std::fabs(c.step)) << c.lo << ".." << c.hi;
        ASSERT_EQ(ticks.size(), c.count) << c.lo << ".." << c.hi;
        for (size_t i = 0; i < ticks.size(); ++i)
            EXPECT_NEAR(ticks[i], c.first + c.step * float(i), std::fabs(c.step) * 1e-4f)
                << c.lo << ".." << c.hi << " tick " << i;
        EXPECT_TRUE(!*c.firstLabel || axis.label(ticks.front()) == c.firstLabel);
        EXPECT_TRUE(!*c.lastLabel || axis.label(ticks.back()) == c.lastLabel);
    }
    for (double t : PlotAxis(-1, 1, false, 21, 1).ticks())
        EXPECT_NE(PlotAxis(-1, 1, false, 21, 1).label(t), "-0.0");
    EXPECT_EQ(PlotAxis(-1, 100, false, 11, 1).sampleLabel(), "-100.0");  // room for a sign
    // Regression: a range from 0.0001 (the focus presets') lost the label of its 0.
    PlotAxis fromAWhisker(0.0001f, 100, false, 11, 1);
    fromAWhisker.fit(0, 400);
    const std::vector<double> labelled = fromAWhisker.labelTicks(40, false);
    ASSERT_FALSE(labelled.empty());
    EXPECT_EQ(fromAWhisker.label(labelled.front()), "0.0");
    // Non-positive logarithmic bounds fall back to fixed decades.
    EXPECT_FLOAT_EQ(PlotAxis(0, 2000, true, 11, 1).lo(), -2);
    EXPECT_FLOAT_EQ(PlotAxis(-5, 0, true, 11, 1).hi(), -1);
}

// A logarithmic axis spanning more decades than it has ticks labels whole decades only, all
// on the axis, both ways: 1e-3 to 1e4 with 6 ticks is not labelled 6.3e-05 (below its start),
// 0.0016, 0.04, 1, 25 and 631.
TEST(AxisTicks, LogarithmicTicksAreWholeDecadesOnTheAxis) {
    const struct {
        float lo, hi;
        int ticks;
    } cases[] = {{1e-3f, 1e4f, 6}, {1e-30f, 1e30f, 6}, {1e4f, 1e-3f, 6}, {1e-10f, 1e3f, 11},
                 {1e30f, 1e-30f, 11}, {1, 1e38f, 4}};
    for (const auto& c : cases) {
        PlotAxis axis(c.lo, c.hi, true, c.ticks, 1);
        axis.fit(0, 400);
        const double low = std::min(axis.lo(), axis.hi()), high = std::max(axis.lo(), axis.hi());
        for (const auto& ticks : {axis.ticks(), axis.labelTicks(40, false)}) {
            ASSERT_FALSE(ticks.empty()) << c.lo << ".." << c.hi;
            for (double t : ticks) {
                EXPECT_EQ(t, std::round(t)) << c.lo << ".." << c.hi;
                EXPECT_GE(t, low) << c.lo << ".." << c.hi;
                EXPECT_LE(t, high) << c.lo << ".." << c.hi;
            }
        }
        EXPECT_EQ(axis.ticks().front(), axis.lo()) << c.lo << ".." << c.hi;
    }
}

// A logarithmic axis runs the way its range does whatever bound lies at or below zero: a
// range from 0 to 0.001 ran down from 0.01 to 0.001, with 1e-4 drawn outside the frame
// (at 200 of a 100-point axis), and one from 0.001 down to 0 ran up; both bounds at or below
// zero on a downward range turned it upward.
TEST(AxisTicks, LogarithmicAxisWithANonPositiveBoundRunsTheWayItsRangeDoes) {
    const struct {
        float min, max, lo, hi;
    } cases[] = {{0, 0.001f, -4, -3}, {-5, 0.001f, -4, -3}, {0, 0.05f, -2, -1},
                 {0.001f, 0, -3, -4}, {500, 0, 3, -1},      {0, -5, -1, -2}};
    for (const auto& c : cases) {
        PlotAxis axis(c.min, c.max, true, 11, 1);
        EXPECT_FLOAT_EQ(axis.lo(), c.lo) << c.min << " to " << c.max;
        EXPECT_FLOAT_EQ(axis.hi(), c.hi) << c.min << " to " << c.max;
        EXPECT_EQ(axis.isIncreasing(), c.max >= c.min) << c.min << " to " << c.max;
        axis.fit(0, 100);
        if (c.max == 0.001f) {
            // A value of the range lies inside the frame, above the lower bound.
            EXPECT_GE(axis.viewPosition(1e-4f), 0.0) << c.min;
            EXPECT_LT(axis.viewPosition(1e-4f), axis.viewPosition(5e-4f)) << c.min;
            EXPECT_LE(axis.viewPosition(5e-4f), 100.0) << c.min;
        }
    }
}

TEST(AxisTicks, LabelStepDoublesUntilLabelsFitButAReversedAxisLabelsEveryTick) {
    PlotAxis axis(0, 100, false, 11, 0);  // ticks every 10, 20 view units apart
    axis.fit(0, 200);
    EXPECT_EQ(axis.labelTicks(5, true).size(), 11u);  // 15 ≤ 20: every tick
    EXPECT_EQ(axis.labelTicks(25, true).size(), 6u);  // 35 > 20, ≤ 40: every second
    EXPECT_EQ(axis.labelTicks(60, true).size(), 3u);  // every fourth: 0, 40, 80
    PlotAxis reversed(600, 0, false, 11, 0);
    reversed.fit(0, 10);
    EXPECT_EQ(reversed.labelTicks(100, true).size(), 13u);
    // A collapsed view, where no label ever fits, still ends the doubling.
    PlotAxis collapsed(0, 1, false, 11, 3);
    collapsed.fit(0, 0);
    const auto labels = collapsed.labelTicks(40, true);
    EXPECT_TRUE(!labels.empty() && labels.size() <= 2u);
}

// Data and view coordinates are inverse to single precision, both ways round.
class AxisTransform : public ::testing::TestWithParam<bool> {};

TEST_P(AxisTransform, RoundTripsOnIncreasingAndReversedAxes) {
    const bool log = GetParam();
    PlotAxis axis(0.5f, 2000, log, 11, 1), reversed(600, 1, log, 11, 1);
    axis.fit(80, 310);
    reversed.fit(15, 400);
    // Relative to the value on a logarithmic axis, to the span on a linear one.
    for (float v : {0.5f, 1.0f, 3.7f, 42.0f, 999.0f, 2000.0f})
        EXPECT_NEAR(axis.fromView(axis.toView(v)), v, (log ? v : 2000.0f) * 2e-5f) << v;
    for (float v : {1.0f, 10.0f, 333.0f, 600.0f})
        EXPECT_NEAR(reversed.fromView(reversed.toView(v)), v, (log ? v : 600.0f) * 2e-5f) << v;
    EXPECT_GT(reversed.toView(10), reversed.toView(100));
}

INSTANTIATE_TEST_SUITE_P(LinearAndLogarithmic, AxisTransform, ::testing::Bool());

TEST(AxisTransform, ValuesNotPositiveLandOnTheLowEdgeOfALogarithmicAxis) {
    PlotAxis axis(1, 100, true, 3, 1);
    axis.fit(50, 200);
    EXPECT_FLOAT_EQ(axis.toView(0), 50);
    EXPECT_FLOAT_EQ(axis.toView(-3), 50);
    EXPECT_FLOAT_EQ(axis.toView(10), 150);
}

TEST(DegenerateAxes, EmptyOrNaNRangesGiveNoTicksAndAFiniteTransform) {
    for (PlotAxis axis : {PlotAxis(5, 5, false, 11, 1), PlotAxis(NAN, 1, false, 11, 1)}) {
        EXPECT_TRUE(axis.ticks().empty());
        axis.fit(0, 100);
        EXPECT_TRUE(std::isfinite(axis.a()) && std::isfinite(axis.b()));
        EXPECT_TRUE(std::isfinite(axis.toView(5)));
        EXPECT_TRUE(axis.labelTicks(30, true).empty());
    }
    EXPECT_TRUE(PlotAxis(1, INFINITY, true, 11, 1).ticks().empty());
}

TEST(DegenerateAxes, TickCountsBelowTwoHugeOrBelowFloatResolutionEnd) {
    for (int n : {1, 0, -4}) {  // taken as two
        EXPECT_FLOAT_EQ(PlotAxis(0, 100, false, n, 0).step(), 100) << n;
        EXPECT_EQ(PlotAxis(0, 100, false, n, 0).ticks().size(), 2u) << n;
        EXPECT_FLOAT_EQ(PlotAxis(1, 1000, true, n, 0).step(), 3) << n;
    }
    const auto capped = PlotAxis(0, 1, false, 1 << 30, 3).ticks();
    EXPECT_LE(capped.size(), static_cast<size_t>(PlotAxis::kMaxTicks));
    EXPECT_GE(capped.size(), 100u);
    // Ticks are multiples of the step in double precision: finer than the 32-bit bounds
    // resolve, they are still distinct, and no more than the step gives.
    const auto fine = PlotAxis(1.0e6f, 1.0e6f + 0.125f, false, 11, 3).ticks();
    EXPECT_LE(fine.size(), 13u);
    for (size_t i = 1; i < fine.size(); ++i) EXPECT_GT(fine[i], fine[i - 1]);
}

}  // namespace
}  // namespace vornex

namespace vornex {
namespace {

// Ticks and labels of linear axes fall on 1, 2 or 5 times a power of ten, labels on ticks.
TEST(AxisTicks, LinearTicksAndLabelsFollowOneTwoFive) {
    const struct {
        float lo, hi;
        int ticks;
        float sample;
    } rows[] = {{100, 1000, 11, 5},  {100, 1000, 11, 40}, {100, 1000, 11, 70},
                {-10, 1600, 11, 30}, {50, 800, 11, 30},   {0, 2138, 11, 60},
                {0, 0.7f, 8, 45},    {-1e30f, 1e30f, 11, 60}};
    auto oneTwoFive = [](float step) {
        const float p = std::pow(10.0f, std::floor(std::log10(step) + 1e-4f));
        const float m = step / p;
        return std::fabs(m - 1) < 1e-3f || std::fabs(m - 2) < 1e-3f || std::fabs(m - 5) < 1e-3f;
    };
    for (const auto& r : rows) {
        PlotAxis axis(r.lo, r.hi, false, r.ticks, 1);
        axis.fit(0, 400);
        EXPECT_TRUE(oneTwoFive(axis.step())) << r.lo << ".." << r.hi << " step " << axis.step();
        const std::vector<double> labels = axis.labelTicks(r.sample, true);
        ASSERT_GE(labels.size(), 2u) << r.lo << ".." << r.hi;
        const float labelStep = labels[1] - labels[0];
        EXPECT_TRUE(oneTwoFive(labelStep)) << r.lo << ".." << r.hi << " labels " << labelStep;
        const float onTick = labelStep / axis.step();
        EXPECT_NEAR(onTick, std::round(onTick), 1e-3f);
        for (float t : labels) {
            const float k = t / labelStep;
            EXPECT_NEAR(k, std::round(k), 1e-3f) << t;
        }
    }
    // Regression: a 100-1000 axis was labelled 160, 320, 480 ...
    PlotAxis pt(100, 1000, false, 11, 0);
    pt.fit(0, 300);
    const auto labels = pt.labelTicks(40, true);
    ASSERT_FALSE(labels.empty());
    EXPECT_FLOAT_EQ(labels.front(), 200);
    EXPECT_FLOAT_EQ(labels[1] - labels[0], 200);
}

// Regression: ticks of +-1e30 printed as 31-digit strings that filled a third of the plot.
TEST(AxisTicks, HugeAndTinyLabelsPrintInExponentForm) {
    const struct {
        float t;
        const char* label;
    } rows[] = {{1e30f, "1e+30"},    {-2e30f, "-2e+30"}, {5e9f, "5e+09"}, {1e-5f, "1e-05"},
                {0, "0.0"},          {123.5f, "123.5"},  {-0.5f, "-0.5"}, {999999, "999999.0"}};
    PlotAxis axis(-1e30f, 1e30f, false, 11, 1);
    for (const auto& r : rows) EXPECT_EQ(axis.label(r.t), r.label) << r.t;
    for (double t : axis.ticks()) EXPECT_LE(axis.label(t).size(), 8u) << t;
}

TEST(AxisTicks, LabelDecimalsTellNeighboursApartAndNoMore) {
    const struct {
        float step;
        int decimals;
    } rows[] = {{500, 0}, {100, 0}, {50, 0}, {1, 0},     {0.5f, 1},   {2.5f, 1},
                {0.2f, 1}, {0.1f, 1}, {0.05f, 2}, {0.25f, 2}, {0.002f, 3}, {1e-6f, 6}};
    for (const auto& r : rows) EXPECT_EQ(PlotAxis::decimalsFor(r.step), r.decimals) << r.step;
    EXPECT_EQ(PlotAxis::decimalsFor(0), 0);
    EXPECT_EQ(PlotAxis::decimalsFor(std::nanf("")), 0);
    // Labels at those decimals: distinct neighbours, whatever the digits the plot was given.
    for (float span : {1000.0f, 90.0f, 7.0f, 0.3f, 0.004f}) {
        PlotAxis axis(100, 100 + span, false, 11, 4);
        const int d = PlotAxis::decimalsFor(axis.step());
        std::vector<std::string> shown;
        for (double t : axis.ticks()) shown.push_back(axis.label(t, d));
        for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_NE(shown[i], shown[i - 1]) << span;
        // and no decimal that every label leaves at zero.
        if (d > 0) {
            EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                                    [](const std::string& t) { return t.back() != '0'; }))
                << span;
        }
    }
}

}  // namespace
}  // namespace vornex

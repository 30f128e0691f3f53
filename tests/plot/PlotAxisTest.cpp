#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "plot/PlotAxis.h"

namespace vornex {
namespace {

std::vector<std::string> labelsOf(const PlotAxis& axis, const std::vector<float>& ticks) {
    std::vector<std::string> out;
    for (float t : ticks) out.push_back(axis.label(t));
    return out;
}

void expectTicks(const std::vector<float>& ticks, float first, float step, size_t count) {
    ASSERT_EQ(ticks.size(), count);
    for (size_t i = 0; i < count; ++i)
        EXPECT_NEAR(ticks[i], first + step * static_cast<float>(i), std::fabs(step) * 1e-4f) << i;
}

// Tick steps and sequences of linear axes, increasing and reversed.
class LinearTicks : public ::testing::Test {};

TEST_F(LinearTicks, PressureAxisFromZeroTo5000) {
    PlotAxis axis(0.0f, 5000.0f, false, 11, 1);
    EXPECT_FLOAT_EQ(axis.step(), 500.0f);
    expectTicks(axis.ticks(), 0.0f, 500.0f, 11);
}

TEST_F(LinearTicks, RangeFromMinusOneStartsAtZero) {
    PlotAxis axis(-1.0f, 100.0f, false, 11, 1);
    EXPECT_FLOAT_EQ(axis.step(), 10.0f);
    EXPECT_FLOAT_EQ(axis.firstTick(), 0.0f);
    expectTicks(axis.ticks(), 0.0f, 10.0f, 11);
    auto labels = labelsOf(axis, axis.ticks());
    EXPECT_EQ(labels.front(), "0.0");
    EXPECT_EQ(labels.back(), "100.0");
}

TEST_F(LinearTicks, StepIsLargestNiceValueBelowRaw) {
    PlotAxis axis(100.0f, 4000.0f, false, 11, 0);  // raw step 390
    EXPECT_FLOAT_EQ(axis.step(), 200.0f);
    expectTicks(axis.ticks(), 200.0f, 200.0f, 20);
}

TEST_F(LinearTicks, ReversedRangeRunsDownFromItsStart) {
    PlotAxis axis(600.0f, 0.0f, false, 11, 0);
    EXPECT_FALSE(axis.isIncreasing());
    EXPECT_FLOAT_EQ(axis.step(), 50.0f);
    expectTicks(axis.ticks(), 600.0f, -50.0f, 13);
    // A reversed axis labels every tick, whatever the room.
    axis.fit(0.0f, 10.0f);
    EXPECT_EQ(axis.labelTicks(100.0f, true).size(), 13u);
}

TEST_F(LinearTicks, ReversedRangeOffTheGridStartsAtTheTickBelowItsStart) {
    PlotAxis axis(610.0f, 0.0f, false, 11, 0);
    EXPECT_FLOAT_EQ(axis.firstTick(), 600.0f);
}

TEST_F(LinearTicks, TopOfRangeKeptDespiteRounding) {
    PlotAxis axis(0.0f, 0.7f, false, 8, 1);  // step 0.1 accumulates past 0.7 in floats
    auto ticks = axis.ticks();
    ASSERT_EQ(ticks.size(), 8u);
    EXPECT_EQ(axis.label(ticks.back()), "0.7");
}

TEST_F(LinearTicks, NoNegativeZeroLabel) {
    PlotAxis axis(-1.0f, 1.0f, false, 21, 1);
    for (float t : axis.ticks()) EXPECT_NE(axis.label(t), "-0.0");
}

TEST_F(LinearTicks, LabelStepDoublesUntilLabelsFit) {
    PlotAxis axis(0.0f, 100.0f, false, 11, 0);           // ticks every 10
    axis.fit(0.0f, 200.0f);                              // 20 view units per tick
    EXPECT_EQ(axis.labelTicks(5.0f, true).size(), 11u);  // 15 ≤ 20: every tick
    EXPECT_EQ(axis.labelTicks(25.0f, true).size(), 6u);  // 35 > 20, ≤ 40: every second
    EXPECT_EQ(axis.labelTicks(60.0f, true).size(), 3u);  // every fourth: 0, 40, 80
}

// Logarithmic axes show whole decades enclosing the range.
class LogarithmicTicks : public ::testing::Test {};

TEST_F(LogarithmicTicks, DecadesEnclosingTheRange) {
    PlotAxis axis(0.5f, 2000.0f, true, 11, 1);
    EXPECT_FLOAT_EQ(axis.lo(), -1.0f);
    EXPECT_FLOAT_EQ(axis.hi(), 4.0f);
    EXPECT_FLOAT_EQ(axis.step(), 1.0f);
    expectTicks(axis.ticks(), -1.0f, 1.0f, 6);
    EXPECT_EQ(labelsOf(axis, axis.ticks()),
              (std::vector<std::string>{"0.1", "1", "10", "100", "1000", "10000"}));
}

TEST_F(LogarithmicTicks, NonPositiveBoundsFallBackToFixedDecades) {
    PlotAxis axis(0.0f, 2000.0f, true, 11, 1);
    EXPECT_FLOAT_EQ(axis.lo(), -2.0f);
    PlotAxis both(-5.0f, 0.0f, true, 11, 1);
    EXPECT_FLOAT_EQ(both.lo(), -2.0f);
    EXPECT_FLOAT_EQ(both.hi(), -1.0f);
}

TEST_F(LogarithmicTicks, ManyDecadesFewTicksGiveWiderSteps) {
    PlotAxis axis(1e-3f, 1e7f, true, 3, 1);  // 10 decades, 3 ticks
    EXPECT_FLOAT_EQ(axis.step(), 5.0f);
    expectTicks(axis.ticks(), -5.0f, 5.0f, 3);  // first = floor(lo / step)·step
}

TEST_F(LogarithmicTicks, ValuesNotPositiveLandOnTheLowEdge) {
    PlotAxis axis(1.0f, 100.0f, true, 3, 1);
    axis.fit(50.0f, 200.0f);
    EXPECT_FLOAT_EQ(axis.toView(0.0f), 50.0f);
    EXPECT_FLOAT_EQ(axis.toView(-3.0f), 50.0f);
    EXPECT_FLOAT_EQ(axis.toView(10.0f), 150.0f);
}

// Data ↔ view transforms are inverse to single precision.
class AxisTransform : public ::testing::TestWithParam<bool> {};

TEST_P(AxisTransform, RoundTrip) {
    const bool logarithmic = GetParam();
    PlotAxis axis(0.5f, 2000.0f, logarithmic, 11, 1);
    axis.fit(80.0f, 310.0f);
    // Single precision: relative to the value on a logarithmic axis, to the span on a linear one.
    for (float v : {0.5f, 1.0f, 3.7f, 42.0f, 999.0f, 2000.0f})
        EXPECT_NEAR(axis.fromView(axis.toView(v)), v, (logarithmic ? v : 2000.0f) * 2e-5f) << v;
}

TEST_P(AxisTransform, ReversedRoundTrip) {
    PlotAxis axis(600.0f, 1.0f, GetParam(), 11, 1);
    axis.fit(15.0f, 400.0f);
    EXPECT_GT(axis.toView(10.0f), axis.toView(100.0f));
    for (float v : {1.0f, 10.0f, 333.0f, 600.0f})
        EXPECT_NEAR(axis.fromView(axis.toView(v)), v, (GetParam() ? v : 600.0f) * 2e-5f) << v;
}

INSTANTIATE_TEST_SUITE_P(LinearAndLogarithmic, AxisTransform, ::testing::Bool());

// Ranges and tick requests that once made the tick loops run away.
class DegenerateAxes : public ::testing::Test {};

TEST_F(DegenerateAxes, ZeroWidthRangeGivesNoTicksAndAFiniteTransform) {
    PlotAxis axis(5.0f, 5.0f, false, 11, 1);
    EXPECT_EQ(axis.step(), 0.0f);
    EXPECT_TRUE(axis.ticks().empty());
    axis.fit(0.0f, 100.0f);
    EXPECT_TRUE(std::isfinite(axis.a()));
    EXPECT_TRUE(std::isfinite(axis.toView(5.0f)));
    EXPECT_TRUE(axis.labelTicks(30.0f, true).empty());
}

TEST_F(DegenerateAxes, NaNRangeGivesNoTicksAndAFiniteTransform) {
    PlotAxis axis(NAN, 1.0f, false, 11, 1);
    EXPECT_TRUE(axis.ticks().empty());
    axis.fit(0.0f, 100.0f);
    EXPECT_TRUE(std::isfinite(axis.a()));
    EXPECT_TRUE(std::isfinite(axis.b()));
    EXPECT_TRUE(axis.labelTicks(30.0f, true).empty());
    PlotAxis logAxis(1.0f, INFINITY, true, 11, 1);
    EXPECT_TRUE(logAxis.ticks().empty());
}

TEST_F(DegenerateAxes, TickCountBelowTwoIsTreatedAsTwo) {
    for (int n : {1, 0, -4}) {
        PlotAxis axis(0.0f, 100.0f, false, n, 0);
        EXPECT_FLOAT_EQ(axis.step(), 100.0f) << n;
        EXPECT_EQ(axis.ticks().size(), 2u) << n;
        PlotAxis logAxis(1.0f, 1000.0f, true, n, 0);
        EXPECT_FLOAT_EQ(logAxis.step(), 3.0f) << n;
    }
}

TEST_F(DegenerateAxes, HugeTickCountIsCapped) {
    PlotAxis axis(0.0f, 1.0f, false, 1 << 30, 3);
    EXPECT_LE(axis.ticks().size(), static_cast<size_t>(PlotAxis::kMaxTicks));
    EXPECT_GE(axis.ticks().size(), 100u);
}

TEST_F(DegenerateAxes, StepBelowFloatResolutionEnds) {
    PlotAxis axis(1.0e6f, 1.0e6f + 0.125f, false, 11, 3);
    auto ticks = axis.ticks();
    EXPECT_LE(ticks.size(), 12u);
    for (size_t i = 1; i < ticks.size(); ++i) EXPECT_GT(ticks[i], ticks[i - 1]);
}

TEST_F(DegenerateAxes, LabelDoublingEndsWhenNothingFits) {
    PlotAxis axis(0.0f, 1.0f, false, 11, 3);
    axis.fit(0.0f, 0.0f);  // collapsed view: no label ever fits
    auto labels = axis.labelTicks(40.0f, true);
    EXPECT_LE(labels.size(), 2u);
    EXPECT_FALSE(labels.empty());
}

TEST_F(DegenerateAxes, SampleLabelLeavesRoomForASign) {
    EXPECT_EQ(PlotAxis(-1.0f, 100.0f, false, 11, 1).sampleLabel(), "-100.0");
    EXPECT_EQ(PlotAxis(10.0f, 100.0f, false, 11, 2).sampleLabel(), "100.00");
}

}  // namespace
}  // namespace vornex

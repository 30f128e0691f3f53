// PlotAxis: one axis of a plot, linear or base-10 logarithmic. From the shown range it gives
// the axis bounds (data values, or whole-decade exponents on a logarithmic axis), the affine
// map between axis units and view units, the tick sequence, the label sequence and the label
// texts. Pure arithmetic in single precision, shared by every view that draws scaled axes.
#pragma once

#include <string>
#include <vector>

namespace vornex {

class PlotAxis {
   public:
    // Upper limits that keep a degenerate request from building an endless axis.
    static constexpr int kMaxTickRequest = 200;  // ticks asked for
    static constexpr int kMaxTicks = 1000;       // ticks produced
    // The narrowest span, relative to the magnitude of its bounds, that a view still
    // draws: data held as 32-bit floats keep about a thousand distinct values across it.
    static constexpr float kMinRelativeSpan = 1e-4f;

    // Widens a finite range narrower than kMinRelativeSpan about its centre, keeping its
    // direction (an empty one widens upward); other ranges are left as they are.
    static void widenToResolvable(float& min, float& max);

    // min and max are the shown range (min may exceed max: the axis is then drawn reversed);
    // nbTicks the number of ticks the step aims at (clamped to 2 ... kMaxTickRequest);
    // digits the decimals of linear tick labels.
    PlotAxis(float min, float max, bool logarithmic, int nbTicks, int digits);

    bool isLogarithmic() const { return mLog; }
    bool isIncreasing() const { return mHi >= mLo; }
    // Axis bounds: the range itself on a linear axis; on a logarithmic one the decade
    // exponents floor(log10(min)) (−2 when min ≤ 0) and ceil(log10(max)) (−1 when max ≤ 0).
    float lo() const { return mLo; }
    float hi() const { return mHi; }

    // Fits the bounds onto the view interval [origin, origin + length]:
    // view = a·X + b with a = length / (hi − lo). A zero-width or non-finite range is widened
    // around its value (or replaced by 0 ... 1) so that the map stays finite.
    void fit(float origin, float length);
    float a() const { return mA; }
    float b() const { return mB; }

    // Axis units (a value, or an exponent on a logarithmic axis) → view coordinate, computed
    // from the axis origin so that a narrow range far from zero keeps its resolution.
    float viewOf(float units) const {
        return static_cast<float>(mOrigin + mScale * (static_cast<double>(units) - mFitLo));
    }
    // Data value → view coordinate; on a logarithmic axis values ≤ 0 land on the low edge.
    float toView(float value) const { return static_cast<float>(viewPosition(value)); }
    // The same in double precision, finite for every finite value.
    double viewPosition(float value) const;
    // View coordinate → data value (ten to the power on a logarithmic axis).
    float fromView(float view) const;

    // Tick step in axis units (0 when the range gives no ticks) and first tick.
    float step() const { return mStep; }
    float firstTick() const { return mFirst; }
    // Tick positions in axis units (values, or exponents on a logarithmic axis).
    std::vector<float> ticks() const { return sequence(mStep, mFirst); }
    // Positions that carry a label: on a linear axis at the next 1-2-5 steps above the tick
    // step (on a logarithmic one every tick, every second, every fourth ...), so that labels
    // sampleExtent wide (along the axis, view units) keep 10 units apart.
    // reverseLabelsEveryTick: a reversed axis labels every tick.
    std::vector<float> labelTicks(float sampleExtent, bool reverseLabelsEveryTick) const;

    // Label of a tick: "%.*f" with the digits, or "%g" of 10^t on a logarithmic axis. A
    // linear tick of magnitude 1e9 or more, or below 1e-4 (but not zero), prints in exponent
    // form, which keeps its label short.
    std::string label(float t) const;
    // The same with the given decimals on a linear axis.
    std::string label(float t, int decimals) const;
    // The widest label to expect, for sizing margins: that of max(|lo|, |hi|), negated when a
    // bound is not positive.
    std::string sampleLabel() const;
    std::string sampleLabel(int decimals) const;
    // The fewest decimals that tell labels `step` apart: 0 for 500, 1 for 0.5 or 2.5, ...;
    // what the plot draws, whatever the zoom that led to the range.
    static int decimalsFor(float step);

   private:
    std::vector<float> sequence(float step, float first) const;
    // The first tick of a step, at or inside the start of the range.
    float firstOf(float step) const;

    bool mLog;
    int mNbTicks;
    int mDigits;
    float mMin, mMax;  // the shown range
    float mLo, mHi;    // axis bounds
    float mA = 1.0f, mB = 0.0f;
    // The same map in double precision: view = mOrigin + mScale·(units − mFitLo).
    double mOrigin = 0.0, mScale = 1.0, mFitLo = 0.0;
    float mStep = 0.0f, mFirst = 0.0f;
    // How far, in steps, a tick may lie outside the start of a linear range and still be drawn.
    static constexpr float kTickSlack = 1e-3f;
};

}  // namespace vornex

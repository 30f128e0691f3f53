// PlotAxis: one axis of a plot, linear or base-10 logarithmic. From the shown range it gives
// the axis bounds (data values, or whole-decade exponents on a logarithmic axis), the affine
// map between axis units and view units, the tick sequence, the label sequence and the label
// texts. The range comes in single precision, as views keep it; ticks are worked out in double
// precision as whole multiples of their step (the k-th tick is k × step, rounded to the
// step's decimals), so that a label shows the round value of its tick at any zoom, never the
// noise of a 32-bit sum. Shared by every view that draws scaled axes.
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
    // The same, a range it widens then moved (or cut) to lie within the bounds a and b (in
    // either order): a narrow range typed or zoomed at the edge of the maximum range stays
    // inside it.
    static void widenToResolvable(float& min, float& max, float a, float b);

    // min and max are the shown range (min may exceed max: the axis is then drawn reversed);
    // nbTicks the number of ticks the step aims at (clamped to 2 ... kMaxTickRequest);
    // digits the decimals of linear tick labels.
    PlotAxis(float min, float max, bool logarithmic, int nbTicks, int digits);

    bool isIncreasing() const { return mHi >= mLo; }
    // Axis bounds: the range itself on a linear axis; on a logarithmic one the decade
    // exponents floor(log10(min)) (−2 when min ≤ 0) and ceil(log10(max)) (−1 when max ≤ 0),
    // on a downward axis (min > max) ceil(log10(min)) and floor(log10(max)).
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
    double viewOf(double units) const { return mOrigin + mScale * (units - mFitLo); }
    // Data value → view coordinate; on a logarithmic axis values ≤ 0 land on the low edge.
    float toView(float value) const { return static_cast<float>(viewPosition(value)); }
    // The same in double precision, finite for every finite value.
    double viewPosition(float value) const;
    // View coordinate → data value (ten to the power on a logarithmic axis).
    float fromView(float view) const;

    // Tick step in axis units (0 when the range gives no ticks) and first tick.
    double step() const { return mTick.value(); }
    double firstTick() const { return mTick.multiple(mFirstIndex); }
    // Tick positions in axis units (values, or exponents on a logarithmic axis).
    std::vector<double> ticks() const { return sequence(mTick, mFirstIndex); }
    // Positions that carry a label: on a linear axis at the next 1-2-5 steps above the tick
    // step (on a logarithmic one every tick, every second, every fourth ...), so that labels
    // sampleExtent wide (along the axis, view units) keep 10 units apart.
    // reverseLabelsEveryTick: a reversed axis labels every tick.
    std::vector<double> labelTicks(float sampleExtent, bool reverseLabelsEveryTick) const;
    // The step between those labels (the tick step when every tick is labelled).
    double labelStep(float sampleExtent, bool reverseLabelsEveryTick) const;

    // Label of a tick: "%.*f" with the digits, or "%g" of 10^t on a logarithmic axis. A
    // linear tick of magnitude 1e9 or more, or below 1e-4 (but not zero), prints in exponent
    // form, which keeps its label short.
    std::string label(double t) const;
    // The same with the given decimals on a linear axis.
    std::string label(double t, int decimals) const;
    // The widest label to expect, for sizing margins: that of max(|lo|, |hi|), negated when a
    // bound is not positive.
    std::string sampleLabel() const;
    std::string sampleLabel(int decimals) const;
    // The fewest decimals that tell labels `step` apart: 0 for 500, 1 for 0.5 or 2.5, ...;
    // what the plot draws, whatever the zoom that led to the range.
    static int decimalsFor(double step);

    // A step as a whole mantissa and its decimals (0.05 is 5 with 2 decimals, 200 is 200 with
    // none), so that its k-th multiple is one exact product and one division by a power of
    // ten: the double nearest the decimal value, which prints exactly at those decimals.
    struct DecimalStep {
        double mantissa = 0.0;
        int decimals = 0;
        static DecimalStep of(double step);
        double value() const;
        double multiple(double k) const;
    };

   private:
    // The multiples of `step` from index `first` on, along the direction of the range.
    std::vector<double> sequence(const DecimalStep& step, double first) const;
    // Index of the first tick of a step, at or inside the start of the range.
    double firstIndexOf(const DecimalStep& step) const;

    bool mLog;
    int mNbTicks;
    int mDigits;
    float mMin, mMax;  // the shown range
    float mLo, mHi;    // axis bounds
    float mA = 1.0f, mB = 0.0f;
    // The same map in double precision: view = mOrigin + mScale·(units − mFitLo).
    double mOrigin = 0.0, mScale = 1.0, mFitLo = 0.0;
    DecimalStep mTick;         // mantissa 0 when the range gives no ticks
    double mFirstIndex = 0.0;  // the first tick is mTick.multiple(mFirstIndex)
    // How far, in steps, a tick may lie outside the start of a linear range and still be drawn.
    static constexpr double kTickSlack = 1e-3;
};

}  // namespace vornex

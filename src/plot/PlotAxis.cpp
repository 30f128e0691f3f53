#include "plot/PlotAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "numerics/Decimal.h"

namespace vornex {

namespace {

std::string formatted(const char* format, int digits, double value) {
    int n = digits < 0 ? vornex::csnprintf(nullptr, 0, format, value)
                       : vornex::csnprintf(nullptr, 0, format, digits, value);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    if (digits < 0)
        vornex::csnprintf(text.data(), text.size(), format, value);
    else
        vornex::csnprintf(text.data(), text.size(), format, digits, value);
    text.resize(static_cast<size_t>(n));
    return text;
}

// The largest of 10p, 5p, 2p, p (p the decade of raw) that does not exceed raw: ticks at
// multiples of 1, 2 or 5 times a power of ten, which a reader counts at a glance. A raw step
// short of one of them by no more than the rounding of 32-bit bounds (0.7 / 7) takes it.
double linearStep(double raw) {
    if (!(raw > 0.0) || !std::isfinite(raw)) return 0.0;
    const double within = raw * (1.0 + 1e-6);
    const double p = std::pow(10.0, std::floor(std::log10(within)));
    for (double factor : {10.0, 5.0, 2.0, 1.0})
        if (factor * p <= within) return factor * p;
    return 0.1 * p;
}

// The 1-2-5 step after a 1-2-5 step (20 -> 50 -> 100).
double nextLinearStep(double step) {
    const double p = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    const double m = step / p;
    if (m < 1.5) return 2.0 * p;
    if (m < 3.5) return 5.0 * p;
    return 10.0 * p;
}

// The next 1-2-5 step above `step` that is a whole multiple of the tick step, so that every
// label sits on a tick (after 20 comes 100, not 50).
double nextLabelStep(double step, double tick) {
    double next = nextLinearStep(step);
    for (int i = 0; i < 4; ++i) {
        const double r = next / tick;
        if (std::fabs(r - std::round(r)) < 1e-6 * r) break;
        next = nextLinearStep(next);
    }
    return next;
}

}  // namespace

PlotAxis::DecimalStep PlotAxis::DecimalStep::of(double step) {
    if (!(step > 0.0) || !std::isfinite(step)) return {};
    const int d = decimalsFor(step);
    const double whole = std::round(step * std::pow(10.0, d));
    // A step finer than the decimals a label shows, or one no whole mantissa holds, is kept
    // as it is: its multiples are products.
    if (d >= 12 || whole <= 0.0) return {step, 0};
    return {whole, d};
}

double PlotAxis::DecimalStep::value() const {
    return multiple(1.0);
}

double PlotAxis::DecimalStep::multiple(double k) const {
    return decimals > 0 ? k * mantissa / std::pow(10.0, decimals) : k * mantissa;
}

PlotAxis::PlotAxis(float min, float max, bool logarithmic, int nbTicks, int digits)
    : mLog(logarithmic),
      mNbTicks(std::clamp(nbTicks, 2, kMaxTickRequest)),
      mDigits(std::clamp(digits, 0, 30)),
      mMin(min),
      mMax(max) {
    if (mLog) {
        // Whole decades that hold the range: rounded outward, which on an axis running
        // downward (depth) is up at its start and down at its end.
        const bool downward = max < min;
        auto outward = [](float v, bool up) {
            return up ? std::ceil(std::log10(v)) : std::floor(std::log10(v));
        };
        // A bound at or below zero has no logarithm: it stands at 0.01 (the start) or 0.1
        // (the end), or a decade beyond the other bound where that lies past it, so that the
        // axis runs the way its range does (0 to 0.001 up from 0.0001, not down from 0.01).
        mLo = min > 0.0f ? outward(min, downward) : NAN;
        mHi = max > 0.0f ? outward(max, !downward) : NAN;
        if (std::isnan(mLo) && std::isnan(mHi)) {
            mLo = downward ? -1.0f : -2.0f;
            mHi = downward ? -2.0f : -1.0f;
        } else if (std::isnan(mLo)) {  // only upward: min <= 0 < max
            mLo = std::min(-2.0f, mHi - 1.0f);
        } else if (std::isnan(mHi)) {  // only downward: max <= 0 < min
            mHi = std::min(-1.0f, mLo - 1.0f);
        }
    } else {
        mLo = min;
        mHi = max;
    }
    if (!std::isfinite(mLo) || !std::isfinite(mHi)) return;  // no ticks

    const double intervals = static_cast<double>(mNbTicks - 1);
    if (mLog) {
        // Whole decades from the axis' own start: a fractional step would label 10^1.4, and
        // multiples of the step counted from zero would put the first tick below the frame.
        const double step = std::fabs(static_cast<double>(mHi) - mLo) / intervals;
        mTick = {step > 1.0 ? std::ceil(step - 1e-9) : 1.0, 0};
        mFirstIndex = mLo / mTick.mantissa;
    } else {
        mTick =
            DecimalStep::of(linearStep(std::fabs(static_cast<double>(mMax) - mMin) / intervals));
        if (mTick.mantissa == 0.0) return;
        mFirstIndex = firstIndexOf(mTick);
    }
    if (!std::isfinite(firstTick())) mTick = {};
}

void PlotAxis::fit(float origin, float length) {
    float lo = mLo, hi = mHi;
    if (!std::isfinite(lo) || !std::isfinite(hi)) {
        lo = 0.0f;
        hi = 1.0f;
    } else if (hi == lo) {
        float half = std::max(0.5f, std::fabs(lo) * 0.01f);
        lo -= half;
        hi += half;
    }
    mA = length / (hi - lo);
    mB = origin - length * lo / (hi - lo);
    mOrigin = origin;
    mFitLo = lo;
    mScale = static_cast<double>(length) / (static_cast<double>(hi) - lo);
}

void PlotAxis::widenToResolvable(float& min, float& max) {
    if (!std::isfinite(min) || !std::isfinite(max)) return;
    const double least =
        static_cast<double>(kMinRelativeSpan) * std::max(std::fabs(min), std::fabs(max));
    const double span = std::fabs(static_cast<double>(max) - min);
    if (span >= least || !(least > 0.0)) return;
    const double centre = 0.5 * (static_cast<double>(min) + max);
    const double half = (max >= min ? 0.5 : -0.5) * least;
    min = static_cast<float>(centre - half);
    max = static_cast<float>(centre + half);
}

void PlotAxis::widenToResolvable(float& min, float& max, float a, float b) {
    const float givenMin = min, givenMax = max;
    widenToResolvable(min, max);
    if (min == givenMin && max == givenMax) return;  // a range wide enough is left as it is
    const float lowest = std::min(a, b), highest = std::max(a, b);
    if (!std::isfinite(min) || !std::isfinite(max) || !(lowest < highest)) return;
    float& low = min <= max ? min : max;
    float& high = min <= max ? max : min;
    if (high - low >= highest - lowest) {
        low = lowest;
        high = highest;
    } else if (high > highest) {
        low -= high - highest;
        high = highest;
    } else if (low < lowest) {
        high += lowest - low;
        low = lowest;
    }
}

double PlotAxis::viewPosition(float value) const {
    float x = value;
    if (mLog) x = value > 0.0f ? std::log10(value) : mLo;
    return mOrigin + mScale * (static_cast<double>(x) - mFitLo);
}

float PlotAxis::fromView(float view) const {
    const double v = mFitLo + (static_cast<double>(view) - mOrigin) / mScale;
    return mLog ? static_cast<float>(std::pow(10.0, v)) : static_cast<float>(v);
}

double PlotAxis::firstIndexOf(const DecimalStep& step) const {
    // A tick a whisker outside the range (0 for a range from 0.0001) is still its first.
    const double slack = kTickSlack * step.value();
    double first = std::floor(mMin / step.value());
    if (isIncreasing()) {
        if (step.multiple(first) < mMin - slack) first += 1.0;
    } else if (step.multiple(first) > mMin + slack) {
        first -= 1.0;
    }
    return first;
}

std::vector<double> PlotAxis::sequence(const DecimalStep& step, double first) const {
    std::vector<double> out;
    const double s = step.value();
    if (!(s > 0.0) || !std::isfinite(s) || !std::isfinite(first)) return out;
    const double direction = isIncreasing() ? 1.0 : -1.0;
    const double slack = kTickSlack * s;
    double previous = NAN;
    for (int i = 0; i < kMaxTicks; ++i) {
        double t = step.multiple(first + direction * i);
        // Ticks a whisker off zero would print as "-0.0".
        if (std::fabs(t) < 1e-4 * s) t = 0.0;
        if (t == previous) break;  // the step is below the resolution of the values
        // A first tick that rounding left before the start of the range is not on the axis.
        if (isIncreasing() ? t < mLo - slack : t > mLo + slack) continue;
        const bool inside = isIncreasing() ? t <= mHi : t >= mHi;
        if (!inside) {
            // Keep the top of the range that rounding pushed just past it (but not a tick
            // beyond the frame of a range narrower than a thousandth of its values).
            const double past = std::fabs(t - mHi);
            if (mHi != 0.0f && past / std::fabs(mHi) < 0.001 &&
                past <= 0.001 * std::fabs(static_cast<double>(mHi) - mLo))
                out.push_back(t);
            break;
        }
        out.push_back(t);
        previous = t;
    }
    return out;
}

double PlotAxis::labelStep(float sampleExtent, bool reverseLabelsEveryTick) const {
    double step = mTick.value();
    if (isIncreasing() || !reverseLabelsEveryTick) {
        const double span = std::fabs(static_cast<double>(mHi) - mLo);
        for (int i = 0; i < 64 && step < span && sampleExtent + 10.0 > std::fabs(step * mA); ++i)
            step = mLog ? 2.0 * step : nextLabelStep(step, mTick.value());
    }
    return step;
}

std::vector<double> PlotAxis::labelTicks(float sampleExtent, bool reverseLabelsEveryTick) const {
    const double step = labelStep(sampleExtent, reverseLabelsEveryTick);
    if (step == mTick.value()) return ticks();
    // Labels sit on multiples of their own step; on a logarithmic axis from the first tick.
    if (mLog) return sequence({step, 0}, firstTick() / step);
    const DecimalStep labels = DecimalStep::of(step);
    return sequence(labels, firstIndexOf(labels));
}

std::string PlotAxis::label(double t) const {
    return label(t, mDigits);
}

std::string PlotAxis::label(double t, int decimals) const {
    if (mLog) return formatted("%g", -1, std::pow(10.0, t));
    const double v = t;
    const double m = std::fabs(v);
    if (m >= 1e9 || (m > 0.0 && m < 1e-4)) return formatted("%.*g", 6, v);
    return formatted("%.*f", std::clamp(decimals, 0, 30), v);
}

std::string PlotAxis::sampleLabel() const {
    return sampleLabel(mDigits);
}

std::string PlotAxis::sampleLabel(int decimals) const {
    double m = std::max(std::fabs(mLo), std::fabs(mHi));
    if (mLo <= 0.0f || mHi <= 0.0f) m = -m;
    return label(m, decimals);
}

int PlotAxis::decimalsFor(double step) {
    const double s = std::fabs(step);
    if (!(s > 0.0) || !std::isfinite(s)) return 0;
    // Whole after the last decimal up to the rounding of the step (of a 32-bit one too).
    double scaled = s;
    for (int d = 0; d < 12; ++d, scaled *= 10.0)
        if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * scaled) return d;
    return 12;
}

}  // namespace vornex

#include "plot/PlotAxis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vornex {

namespace {

std::string formatted(const char* format, int digits, double value) {
    int n = digits < 0 ? std::snprintf(nullptr, 0, format, value)
                       : std::snprintf(nullptr, 0, format, digits, value);
    if (n <= 0) return {};
    std::string text(static_cast<size_t>(n) + 1, '\0');
    if (digits < 0)
        std::snprintf(text.data(), text.size(), format, value);
    else
        std::snprintf(text.data(), text.size(), format, digits, value);
    text.resize(static_cast<size_t>(n));
    return text;
}

// The largest of 10p, 5p, 2p, p (p the decade of raw) that does not exceed raw: ticks at
// multiples of 1, 2 or 5 times a power of ten, which a reader counts at a glance.
float linearStep(float raw) {
    if (!(raw > 0.0f) || !std::isfinite(raw)) return 0.0f;
    float p = std::pow(10.0f, std::floor(std::log10(raw)));
    for (float factor : {10.0f, 5.0f, 2.0f, 1.0f})
        if (factor * p <= raw) return factor * p;
    return 0.1f * p;
}

// The 1-2-5 step after a 1-2-5 step (20 -> 50 -> 100).
float nextLinearStep(float step) {
    const float p = std::pow(10.0f, std::floor(std::log10(step) + 1e-4f));
    const float m = step / p;
    if (m < 1.5f) return 2.0f * p;
    if (m < 3.5f) return 5.0f * p;
    return 10.0f * p;
}

// The next 1-2-5 step above `step` that is a whole multiple of the tick step, so that every
// label sits on a tick (after 20 comes 100, not 50).
float nextLabelStep(float step, float tick) {
    float next = nextLinearStep(step);
    for (int i = 0; i < 4; ++i) {
        const float r = next / tick;
        if (std::fabs(r - std::round(r)) < 1e-3f * r) break;
        next = nextLinearStep(next);
    }
    return next;
}

}  // namespace

PlotAxis::PlotAxis(float min, float max, bool logarithmic, int nbTicks, int digits)
    : mLog(logarithmic),
      mNbTicks(std::clamp(nbTicks, 2, kMaxTickRequest)),
      mDigits(std::clamp(digits, 0, 30)),
      mMin(min),
      mMax(max) {
    if (mLog) {
        mLo = min > 0.0f ? std::floor(std::log10(min)) : -2.0f;
        mHi = max > 0.0f ? std::ceil(std::log10(max)) : -1.0f;
    } else {
        mLo = min;
        mHi = max;
    }
    if (!std::isfinite(mLo) || !std::isfinite(mHi)) return;  // no ticks

    if (mLog) {
        float step = std::fabs(mHi - mLo) / static_cast<float>(mNbTicks - 1);
        mStep = step > 1.0f ? step : 1.0f;
        mFirst = isIncreasing() ? std::floor(mLo / mStep) * mStep : std::ceil(mLo / mStep) * mStep;
    } else {
        mStep = linearStep(std::fabs((mMax - mMin) / static_cast<float>(mNbTicks - 1)));
        if (mStep == 0.0f) return;
        mFirst = firstOf(mStep);
    }
    if (!std::isfinite(mFirst)) mStep = 0.0f;
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

double PlotAxis::viewPosition(float value) const {
    float x = value;
    if (mLog) x = value > 0.0f ? std::log10(value) : mLo;
    return mOrigin + mScale * (static_cast<double>(x) - mFitLo);
}

float PlotAxis::fromView(float view) const {
    const double v = mFitLo + (static_cast<double>(view) - mOrigin) / mScale;
    return mLog ? static_cast<float>(std::pow(10.0, v)) : static_cast<float>(v);
}

float PlotAxis::firstOf(float step) const {
    // A tick a whisker outside the range (0 for a range from 0.0001) is still its first.
    const float slack = kTickSlack * step;
    float first = std::floor(mMin / step) * step;
    if (isIncreasing()) {
        if (first < mMin - slack) first += step;
    } else if (first > mMin + slack) {
        first -= step;
    }
    return first;
}

std::vector<float> PlotAxis::sequence(float step, float first) const {
    std::vector<float> out;
    if (!(step > 0.0f) || !std::isfinite(step) || !std::isfinite(first)) return out;
    const float direction = isIncreasing() ? 1.0f : -1.0f;
    float previous = NAN;
    for (int i = 0; i < kMaxTicks; ++i) {
        float t = first + direction * static_cast<float>(i) * step;
        // Ticks a whisker off zero would print as "-0.0".
        if (std::fabs(t) < 1e-4f * step) t = 0.0f;
        if (t == previous) break;  // the step is below the resolution of the values
        // A first tick that rounding left before the start of a linear range is not on the
        // axis (a logarithmic axis starts at the decade below its range by design).
        const float slack = kTickSlack * step;
        if (!mLog && (isIncreasing() ? t < mLo - slack : t > mLo + slack)) continue;
        bool inside = isIncreasing() ? t <= mHi : t >= mHi;
        if (!inside) {
            // Keep the top of the range that rounding pushed just past it (but not a tick
            // beyond the frame of a range narrower than a thousandth of its values).
            const float past = std::fabs(t - mHi);
            if (mHi != 0.0f && past / std::fabs(mHi) < 0.001f &&
                past <= 0.001f * std::fabs(mHi - mLo))
                out.push_back(t);
            break;
        }
        out.push_back(t);
        previous = t;
    }
    return out;
}

std::vector<float> PlotAxis::labelTicks(float sampleExtent, bool reverseLabelsEveryTick) const {
    float step = mStep;
    if (isIncreasing() || !reverseLabelsEveryTick) {
        const float span = std::fabs(mHi - mLo);
        for (int i = 0; i < 64 && step < span && sampleExtent + 10.0f > std::fabs(step * mA); ++i)
            step = mLog ? 2.0f * step : nextLabelStep(step, mStep);
    }
    if (step == mStep) return sequence(step, mFirst);
    // Labels sit on multiples of their own step.
    return sequence(step, mLog ? mFirst : firstOf(step));
}

std::string PlotAxis::label(float t) const {
    return label(t, mDigits);
}

std::string PlotAxis::label(float t, int decimals) const {
    if (mLog) return formatted("%g", -1, std::pow(10.0, static_cast<double>(t)));
    const double v = static_cast<double>(t);
    const double m = std::fabs(v);
    if (m >= 1e9 || (m > 0.0 && m < 1e-4)) return formatted("%.*g", 6, v);
    return formatted("%.*f", std::clamp(decimals, 0, 30), v);
}

std::string PlotAxis::sampleLabel() const {
    return sampleLabel(mDigits);
}

std::string PlotAxis::sampleLabel(int decimals) const {
    float m = std::max(std::fabs(mLo), std::fabs(mHi));
    if (mLo <= 0.0f || mHi <= 0.0f) m = -m;
    return label(m, decimals);
}

int PlotAxis::decimalsFor(float step) {
    const double s = std::fabs(static_cast<double>(step));
    if (!(s > 0.0) || !std::isfinite(s)) return 0;
    // A step in single precision is whole after its last decimal up to float's rounding.
    double scaled = s;
    for (int d = 0; d < 12; ++d, scaled *= 10.0)
        if (std::fabs(scaled - std::round(scaled)) <= 1e-4 * scaled) return d;
    return 12;
}

}  // namespace vornex
